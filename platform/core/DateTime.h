#pragma once
// TDateTime: days since 30.12.1899 with the time as the fraction; 0.0 is the
// null date. The locale format settings are fixed to the Russian ones.
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

using TDateTime = double;
using TDate = double;

struct TFormatSettings {
    QString ShortDateFormat = QStringLiteral("dd.mm.yyyy");
    QString LongDateFormat = QStringLiteral("d MMMM yyyy 'г.'");
    QChar DateSeparator = QLatin1Char('.');
    QChar TimeSeparator = QLatin1Char(':');
    QString ShortTimeFormat = QStringLiteral("h:nn");
    QString LongTimeFormat = QStringLiteral("h:nn:ss");
    QChar DecimalSeparator = QLatin1Char(',');
    QString TimeAMString, TimePMString;
    QStringList ShortMonthNames, LongMonthNames;   // nominative, 1..12 at 0..11
    QStringList GenitiveMonthNames;                 // "января", ...
    QStringList ShortDayNames, LongDayNames;         // Sunday first
    TFormatSettings();
};

// The process-wide settings (the locale of the user).
TFormatSettings& FormatSettings();

constexpr double MSecsPerDay = 86400000.0;

TDateTime EncodeDate(int y, int m, int d);                  // raises EConvertError on an invalid date
TDateTime EncodeTime(int h, int n, int s, int ms);
bool TryEncodeDate(int y, int m, int d, TDateTime& out);
void DecodeDate(TDateTime dt, int& y, int& m, int& d);
void DecodeTime(TDateTime dt, int& h, int& n, int& s, int& ms);
int DayOfWeek(TDateTime dt);                                // 1 = Sunday .. 7 = Saturday
bool IsLeapYear(int y);
int DaysInMonth(int y, int m);

TDateTime Date();   // today, no time
TDateTime Now();
TDateTime Time();
inline TDateTime DateOf(TDateTime dt);
inline TDateTime TimeOf(TDateTime dt);

QDate DateTimeToQDate(TDateTime dt);
QDateTime DateTimeToQDateTime(TDateTime dt);
TDateTime QDateToDateTime(const QDate& d);
TDateTime QDateTimeToDateTime(const QDateTime& d);

// Formatting with the run-time library's specifiers (d dd ddd dddd m mm mmm
// mmmm yy yyyy h hh n nn s ss z zzz c t tt am/pm, quoted literals, '/' and ':').
QString FormatDateTime(const QString& format, TDateTime dt);
QString DateToStr(TDateTime dt);        // short date format
QString TimeToStr(TDateTime dt);        // long time format
QString DateTimeToStr(TDateTime dt);    // date, then the time after a blank when not midnight
// Parses a date in the order of the short date format ("dd.mm.yyyy"); two-digit
// years are taken within the century window. Raises EConvertError
// "'%s' is not a valid date".
TDateTime StrToDate(const QString& s);
bool TryStrToDate(const QString& s, TDateTime& out);
TDateTime StrToDateTime(const QString& s);
bool TryStrToDateTime(const QString& s, TDateTime& out);
bool TryStrToTime(const QString& s, TDateTime& out);

inline TDateTime DateOf(TDateTime dt)
{
    double i = static_cast<double>(static_cast<long long>(dt));
    return i;
}
inline TDateTime TimeOf(TDateTime dt)
{
    double f = dt - static_cast<double>(static_cast<long long>(dt));
    return f < 0 ? -f : f;
}
