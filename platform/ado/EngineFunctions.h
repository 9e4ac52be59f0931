#pragma once
// Functions and the collation the Jet translator relies on, registered on
// every connection handle (internal to the ado layer):
//   like(p, v[, esc])   Unicode case-insensitive LIKE with % _ [set] [!set]
//   upper, lower        Unicode case mapping
//   jet_right(s, n)     the last n characters
//   jet_datevalue(x)    the date of a "dd.mm.yyyy" text (or of a number); an
//                       unreadable text fails the statement
//   jet_cdate(x)        date and time of a text
//   jet_datetext(x)     a date-time number as "dd.mm.yyyy" [" h:nn:ss"]; other values unchanged
//   jet_now, jet_date, jet_time, jet_year .. jet_second, jet_weekday
//   collation jet_nocase  case-insensitive Unicode order, ties by code points
#include <QByteArrayView>
#include <QString>

struct sqlite3;

namespace ado {

// Returns SQLITE_OK or the first failing code.
int RegisterEngineFunctions(sqlite3* db);

// Case-insensitive comparison of two UTF-8 texts (the jet_nocase order).
int CompareTextNoCase(QByteArrayView a, QByteArrayView b);

// "dd.mm.yyyy", plus " h:nn:ss" when the time of day is not midnight.
QString DateTimeText(double dt);

}  // namespace ado
