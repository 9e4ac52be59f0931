#pragma once
// The rows of one statement, held in memory (a client-side cursor), and the
// writes made through them. A recordset can be handed from one dataset to
// another (a filter query's rows shown by a table dataset); requerying it
// runs its statement again.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <memory>
#include <vector>

#include "platform/core/Variants.h"

class TADOConnection;

namespace ado {

// How a column's values are kept and read back. The kind comes from the
// declared type of the base column: DATETIME/DATE/TIME/TIMESTAMP -> DateTime,
// BOOLEAN/BOOL/BIT/YESNO -> Boolean, ...INT... -> Integer, CHAR/TEXT/MEMO/CLOB
// -> Text, REAL/FLOAT/DOUBLE/NUMERIC/DECIMAL/CURRENCY -> Float, BLOB -> Blob.
// A computed column (no declared type) takes the kind of its first non-null
// value (Integer, Float, Text or Blob), else Unknown (asking for it reads the
// rows a recordset has not read yet).
//
// Value() gives: DateTime a double (TDateTime), Boolean a bool, Integer a
// qlonglong, Float a double, Text a QString, Blob a QByteArray; NULL is a
// Null variant. Text() gives the same values as text: dates "dd.mm.yyyy"
// [" h:nn:ss"], booleans "1"/"0", numbers in decimal with a point.
enum class ColumnKind { Integer, Float, Boolean, DateTime, Text, Blob, Unknown };

// How one stored value is held (SQLite's storage classes).
enum class CellType : unsigned char { Null, Integer, Float, Text, Blob };

struct ColumnInfo {
    QString Name;        // as the statement names it ("id", "question")
    QString Table;       // base table when the column comes straight from one, else empty
    QString Origin;      // base column name, else empty
    QString DeclType;    // declared type of the base column ("DATETIME", "VARCHAR(255)"), else empty
    ColumnKind Kind = ColumnKind::Unknown;
    int Size = 0;        // n of CHAR(n)/VARCHAR(n), else 0
    bool Writable = false;  // a column of the base table of an updatable recordset
};

// Identity of a stored row that survives sorting, filtering and requery:
// the row's rowid for rows of an updatable recordset, otherwise its position.
using RowKey = qint64;

class Recordset : public std::enable_shared_from_this<Recordset> {
public:
    virtual ~Recordset() = default;

    // Opens a Jet SQL text on the connection (translated before it runs).
    // Raises EDatabaseError with the engine's message on failure.
    static std::shared_ptr<Recordset> Open(TADOConnection* connection, const QString& jetSql);
    // The rows of a whole table, updatable, in the table's own order.
    static std::shared_ptr<Recordset> OpenTable(TADOConnection* connection, const QString& tableName);
    // A read-only recordset on a connection of its own, opened from the
    // connection string (the recordset keeps that connection while it lives).
    static std::shared_ptr<Recordset> OpenWithConnectionString(const QString& connectionString, const QString& jetSql);

    virtual TADOConnection* Connection() const = 0;
    virtual QString Source() const = 0;         // the Jet SQL text or the table name
    virtual bool IsTable() const = 0;           // opened by OpenTable

    virtual int ColumnCount() const = 0;
    virtual const ColumnInfo& Column(int i) const = 0;
    // Index of the column with that name (case-insensitive; "table.column" for
    // joined columns that share a name; a bare name finds the first), or -1.
    virtual int FindColumn(const QString& name) const = 0;

    // Stored rows, deleted ones excluded; positions 0..RowCount()-1 stay valid
    // until the next Requery, Insert or Delete.
    virtual qsizetype RowCount() const = 0;
    // Whether there are at least n rows, reading no more of them than that
    // needs (a recordset opened for a dataset holds only its first rows until
    // more are asked for).
    virtual bool RowsAtLeast(qsizetype n) const { return RowCount() >= n; }
    // False while only the first rows are read.
    virtual bool AllRowsRead() const { return true; }
    virtual bool IsNull(qsizetype row, int col) const = 0;
    virtual Variant Value(qsizetype row, int col) const = 0;      // Null variant for NULL
    virtual QString Text(qsizetype row, int col) const = 0;       // empty for NULL; numbers in decimal
    // The UTF-8 bytes of a cell as text (as Text() gives it), without building a
    // QString; false for NULL. Filters and indexes over many rows read cells
    // through this. The default converts Text(); an implementation that keeps
    // UTF-8 should return a view of its own bytes, valid until the rows change.
    // (Added by the dataset layer; the default keeps the last 4 results alive.)
    virtual bool Utf8(qsizetype row, int col, QByteArrayView& out) const
    {
        if (IsNull(row, col)) return false;
        thread_local QByteArray scratch[4];
        thread_local unsigned next = 0;
        QByteArray& b = scratch[next++ & 3];
        b = Text(row, col).toUtf8();
        out = QByteArrayView(b);
        return true;
    }
    virtual RowKey Key(qsizetype row) const = 0;
    virtual qsizetype FindKey(RowKey key) const = 0;              // position or -1

    // Raw access for sorting, filtering and indexing without a Variant per cell.
    virtual CellType TypeOf(qsizetype row, int col) const = 0;
    virtual qint64 IntegerAt(qsizetype row, int col) const = 0;   // 0 for NULL; text is not converted
    virtual double FloatAt(qsizetype row, int col) const = 0;     // integers widened; 0 for NULL/text
    virtual QByteArrayView Utf8At(qsizetype row, int col) const = 0;  // text/blob bytes, else empty
    // Orders two rows by one column: NULL first, then numbers by value, then
    // texts case-insensitively (Unicode), then blobs. <0, 0, >0.
    virtual int CompareRows(qsizetype a, qsizetype b, int col) const = 0;

    // Writes go to the database first, then into the rows. Only an updatable
    // recordset (one base table, rowid known) takes them; others raise
    // EDatabaseError. Values are in column order; Unassigned leaves a column to
    // the database default on insert and unchanged on update.
    virtual bool Updatable() const = 0;
    virtual QString BaseTable() const = 0;
    // Values convert to the column's storage form (a double or QDate/QDateTime
    // or "dd.mm.yyyy" text for a date-time column, bool or 1/0 or "Да"/"Нет"
    // for a boolean, ...); a value that does not convert raises. Columns that
    // are not Writable take no value (an unchanged one is ignored on update).
    // After the write the row is read back, so defaults the database gave show.
    // InsertRow returns the new row's position (clamped to 0..RowCount()).
    virtual qsizetype InsertRow(qsizetype position, const std::vector<Variant>& values) = 0;
    virtual void UpdateRow(qsizetype row, const std::vector<Variant>& values) = 0;
    virtual void DeleteRow(qsizetype row) = 0;

    // Brings the rows up to what the statement gives now: kept when nothing
    // it reads has changed since they were read, a table's few rows changed
    // since read again by their rowids, else the statement run again and the
    // rows replaced (a failure leaves them as they were).
    virtual void Requery() = 0;
    // Changes with every change of the rows (requery, insert, update,
    // delete), so callers can keep caches and indexes keyed on it. Values
    // grow and are never shared between two recordsets.
    virtual quint64 Generation() const = 0;
    // Whether the values of the column stand where they stood at that
    // generation of this recordset: since then only rows' other columns
    // changed in place. False when that is not known.
    virtual bool ColumnUnchangedSince(quint64 generation, int) const { return generation == Generation(); }
};

using RecordsetPtr = std::shared_ptr<Recordset>;

}  // namespace ado
