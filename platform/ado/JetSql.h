#pragma once
// Jet SQL texts turned into the engine's (SQLite) dialect.
//
// The system writes its statements in Jet SQL. One tokenizer reads them and
// the translator rewrites what SQLite reads differently:
//   "text"                  a string literal (-> 'text', apostrophes doubled)
//   [name]                  a quoted name (-> "name")
//   DELETE * FROM T         -> DELETE FROM T
//   true/yes, false/no      -> 1, 0 (bare keywords only)
//   &                       string concatenation (-> ||)
//   LEFT, RIGHT, MID, LEN, UCASE, LCASE, IIf, Nz, Now, Date, Time, DateValue,
//   CDate, Year, Month, Day, Hour, Minute, Second, Weekday
//                           -> SQLite expressions or functions the connection registers
//   #mm/dd/yyyy [h:nn:ss]#  a date literal (-> its TDateTime number)
//   SELECT [DISTINCT] TOP n -> ... LIMIT n
//   X LIKE p                 where X is a date-time column: the date's text
//                            ("dd.mm.yyyy" [" h:nn:ss"]) is matched, as Jet does
//   ORDER BY terms           compare texts case-insensitively (Unicode), as Jet does
//   Mod                      -> %
// LIKE uses the ANSI wildcards % and _ (and [set], [!set]); it and upper/lower
// are Unicode-aware functions registered on the connection.
// "ALTER DATABASE PASSWORD new old" is recognised and handed to the
// connection (NULL stands for no password; a password with blanks goes in [brackets]).
// A text holding more than one statement is refused.
//
// Storage forms the translator and the recordsets rely on:
//   DATETIME columns   REAL, days since 30.12.1899 (TDateTime); NULL is NULL, 0.0 is a date
//   BOOLEAN columns    INTEGER 1 or 0
//   keys               TEXT, the 38-character GUID form
#include <QByteArray>
#include <QSet>
#include <QString>

namespace ado {

enum class JetStatementKind { Select, Insert, Update, Delete, Ddl, Password, Other };

struct JetStatement {
    JetStatementKind Kind = JetStatementKind::Other;
    QByteArray Sql;              // the statement in the engine's dialect, UTF-8

    // A plain SELECT of one table (no join, grouping, DISTINCT, TOP or
    // aggregate): its rows can be written back by rowid.
    bool Updatable = false;
    QString BaseTable;           // as the text names it
    QByteArray RowidSql;         // Sql with the table's rowid as an extra first column
    QByteArray RowSql;           // the same columns of one row: rowid bound as ?1

    // ALTER DATABASE PASSWORD: empty text stands for no password.
    QString NewPassword, OldPassword;
};

// Translates one Jet SQL text. DateTimeColumns holds the lower-case names of
// the date-time columns of the database (for LIKE on dates); NumericColumns
// the names that hold no text in any table (ORDER BY on them needs no text
// order, so an index can serve it). Raises
// EDatabaseError for a text that cannot be read (an unterminated string, a
// bad date literal, a wrong count of function arguments, a second statement).
JetStatement TranslateJet(const QString& jetSql, const QSet<QString>& dateTimeColumns = {},
                          const QSet<QString>& numericColumns = {});

// A name as the engine reads it: "name" with inner double quotes doubled.
QString QuoteIdentifier(const QString& name);

}  // namespace ado

// The SQL literal of a value: the delimiter before and after, and every
// delimiter inside doubled ('[' gives [name] with ']' doubled). The Jet
// translator reads such literals back exactly, so any text is safe inside
// a statement when written through this routine.
QString SqlQuote(const QString& v, QChar delim = QLatin1Char('"'));
