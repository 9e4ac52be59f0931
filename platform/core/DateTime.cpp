#include "platform/core/DateTime.h"

#include <cmath>

#include "platform/core/SysUtils.h"

static const qint64 kJulianOfZero = 2415019;   // 30.12.1899

TFormatSettings::TFormatSettings()
{
    LongMonthNames = {QStringLiteral("Январь"), QStringLiteral("Февраль"), QStringLiteral("Март"),
                      QStringLiteral("Апрель"), QStringLiteral("Май"), QStringLiteral("Июнь"),
                      QStringLiteral("Июль"), QStringLiteral("Август"), QStringLiteral("Сентябрь"),
                      QStringLiteral("Октябрь"), QStringLiteral("Ноябрь"), QStringLiteral("Декабрь")};
    ShortMonthNames = {QStringLiteral("янв"), QStringLiteral("фев"), QStringLiteral("мар"),
                       QStringLiteral("апр"), QStringLiteral("май"), QStringLiteral("июн"),
                       QStringLiteral("июл"), QStringLiteral("авг"), QStringLiteral("сен"),
                       QStringLiteral("окт"), QStringLiteral("ноя"), QStringLiteral("дек")};
    GenitiveMonthNames = {QStringLiteral("января"), QStringLiteral("февраля"), QStringLiteral("марта"),
                          QStringLiteral("апреля"), QStringLiteral("мая"), QStringLiteral("июня"),
                          QStringLiteral("июля"), QStringLiteral("августа"), QStringLiteral("сентября"),
                          QStringLiteral("октября"), QStringLiteral("ноября"), QStringLiteral("декабря")};
    LongDayNames = {QStringLiteral("воскресенье"), QStringLiteral("понедельник"), QStringLiteral("вторник"),
                    QStringLiteral("среда"), QStringLiteral("четверг"), QStringLiteral("пятница"),
                    QStringLiteral("суббота")};
    ShortDayNames = {QStringLiteral("Вс"), QStringLiteral("Пн"), QStringLiteral("Вт"), QStringLiteral("Ср"),
                     QStringLiteral("Чт"), QStringLiteral("Пт"), QStringLiteral("Сб")};
}

TFormatSettings& FormatSettings()
{
    static TFormatSettings s;
    return s;
}

bool IsLeapYear(int y) { return (y % 4 == 0) && (y % 100 != 0 || y % 400 == 0); }

int DaysInMonth(int y, int m)
{
    static const int d[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12) return 0;
    return d[m - 1] + (m == 2 && IsLeapYear(y) ? 1 : 0);
}

bool TryEncodeDate(int y, int m, int d, TDateTime& out)
{
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) return false;
    out = double(QDate(y, m, d).toJulianDay() - kJulianOfZero);
    return true;
}

TDateTime EncodeDate(int y, int m, int d)
{
    TDateTime r;
    if (!TryEncodeDate(y, m, d, r)) throw EConvertError(QStringLiteral("Invalid argument to date encode"));
    return r;
}

TDateTime EncodeTime(int h, int n, int s, int ms)
{
    if (h < 0 || h > 23 || n < 0 || n > 59 || s < 0 || s > 59 || ms < 0 || ms > 999)
        throw EConvertError(QStringLiteral("Invalid argument to time encode"));
    return (h * 3600000.0 + n * 60000.0 + s * 1000.0 + ms) / MSecsPerDay;
}

static qint64 MSecsOfDay(TDateTime dt)
{
    double f = std::fabs(dt - std::trunc(dt));
    qint64 ms = qint64(std::llround(f * MSecsPerDay));
    if (ms >= qint64(MSecsPerDay)) ms = qint64(MSecsPerDay) - 1;
    return ms;
}

void DecodeDate(TDateTime dt, int& y, int& m, int& d)
{
    QDate q = DateTimeToQDate(dt);
    y = q.year();
    m = q.month();
    d = q.day();
}

void DecodeTime(TDateTime dt, int& h, int& n, int& s, int& ms)
{
    qint64 t = MSecsOfDay(dt);
    h = int(t / 3600000);
    n = int(t / 60000 % 60);
    s = int(t / 1000 % 60);
    ms = int(t % 1000);
}

int DayOfWeek(TDateTime dt) { return DateTimeToQDate(dt).dayOfWeek() % 7 + 1; }

QDate DateTimeToQDate(TDateTime dt) { return QDate::fromJulianDay(qint64(std::trunc(dt)) + kJulianOfZero); }

QDateTime DateTimeToQDateTime(TDateTime dt)
{
    return QDateTime(DateTimeToQDate(dt), QTime::fromMSecsSinceStartOfDay(int(MSecsOfDay(dt))));
}

TDateTime QDateToDateTime(const QDate& d) { return double(d.toJulianDay() - kJulianOfZero); }

TDateTime QDateTimeToDateTime(const QDateTime& d)
{
    double day = QDateToDateTime(d.date());
    double frac = d.time().msecsSinceStartOfDay() / MSecsPerDay;
    return day >= 0 ? day + frac : day - frac;
}

TDateTime Date() { return QDateToDateTime(QDate::currentDate()); }
TDateTime Now() { return QDateTimeToDateTime(QDateTime::currentDateTime()); }
TDateTime Time() { return QTime::currentTime().msecsSinceStartOfDay() / MSecsPerDay; }

// ---------------------------------------------------------------- formatting

QString FormatDateTime(const QString& format, TDateTime dt)
{
    const TFormatSettings& fs = FormatSettings();
    int y, m, d, h, n, s, ms;
    DecodeDate(dt, y, m, d);
    DecodeTime(dt, h, n, s, ms);
    QString r;
    const QString f = format.isEmpty() ? QStringLiteral("c") : format;
    const int len = f.size();
    // 'm' after an 'h' means minutes, as in the run-time library.
    bool lastWasHour = false;
    int i = 0;
    auto count = [&](QChar c) {
        int k = 0;
        while (i + k < len && f[i + k].toLower() == c) ++k;
        return k;
    };
    while (i < len) {
        QChar c = f[i];
        QChar lc = c.toLower();
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            int j = i + 1;
            while (j < len && f[j] != c) r += f[j++];
            i = j + 1;
            continue;
        }
        if (lc == QLatin1Char('d')) {
            int k = count(lc);
            i += k;
            if (k == 1) r += QString::number(d);
            else if (k == 2) r += QString::asprintf("%02d", d);
            else if (k == 3) r += fs.ShortDayNames[DayOfWeek(dt) - 1];
            else if (k == 4) r += fs.LongDayNames[DayOfWeek(dt) - 1];
            else if (k == 5) r += FormatDateTime(fs.ShortDateFormat, dt);
            else r += FormatDateTime(fs.LongDateFormat, dt);
            lastWasHour = false;
        } else if (lc == QLatin1Char('m')) {
            int k = count(lc);
            i += k;
            if (lastWasHour && k <= 2)
                r += k == 1 ? QString::number(n) : QString::asprintf("%02d", n);
            else if (k == 1) r += QString::number(m);
            else if (k == 2) r += QString::asprintf("%02d", m);
            else if (k == 3) r += fs.ShortMonthNames[m - 1];
            else r += fs.LongMonthNames[m - 1];
            lastWasHour = false;
        } else if (lc == QLatin1Char('y')) {
            int k = count(lc);
            i += k;
            r += k <= 2 ? QString::asprintf("%02d", y % 100) : QString::asprintf("%04d", y);
            lastWasHour = false;
        } else if (lc == QLatin1Char('h')) {
            int k = count(lc);
            i += k;
            r += k == 1 ? QString::number(h) : QString::asprintf("%02d", h);
            lastWasHour = true;
        } else if (lc == QLatin1Char('n')) {
            int k = count(lc);
            i += k;
            r += k == 1 ? QString::number(n) : QString::asprintf("%02d", n);
            lastWasHour = false;
        } else if (lc == QLatin1Char('s')) {
            int k = count(lc);
            i += k;
            r += k == 1 ? QString::number(s) : QString::asprintf("%02d", s);
            lastWasHour = false;
        } else if (lc == QLatin1Char('z')) {
            int k = count(lc);
            i += k;
            r += k == 1 ? QString::number(ms) : QString::asprintf("%03d", ms);
        } else if (lc == QLatin1Char('t')) {
            int k = count(lc);
            i += k;
            r += FormatDateTime(k == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, dt);
        } else if (lc == QLatin1Char('c') && i + 1 <= len) {
            ++i;
            r += FormatDateTime(fs.ShortDateFormat, dt);
            if (h || n || s || ms) r += QLatin1Char(' ') + FormatDateTime(fs.LongTimeFormat, dt);
        } else if (c == QLatin1Char('/')) {
            r += fs.DateSeparator;
            ++i;
        } else if (c == QLatin1Char(':')) {
            r += fs.TimeSeparator;
            ++i;
        } else {
            r += c;
            ++i;
        }
    }
    return r;
}

QString DateToStr(TDateTime dt) { return FormatDateTime(FormatSettings().ShortDateFormat, dt); }
QString TimeToStr(TDateTime dt) { return FormatDateTime(FormatSettings().LongTimeFormat, dt); }
QString DateTimeToStr(TDateTime dt) { return FormatDateTime(QStringLiteral("c"), dt); }

// ------------------------------------------------------------------- parsing

static bool ScanNumbers(const QString& s, int& pos, QList<int>& nums, QChar sep, int maxCount)
{
    const int len = s.size();
    while (pos < len && s[pos] == QLatin1Char(' ')) ++pos;
    while (pos < len && nums.size() < maxCount) {
        int start = pos;
        int v = 0;
        while (pos < len && s[pos].isDigit() && pos - start < 5) v = v * 10 + s[pos++].digitValue();
        if (pos == start) return false;
        nums << v;
        if (pos < len && s[pos] == sep)
            ++pos;
        else
            break;
    }
    return !nums.isEmpty();
}

static bool ScanDate(const QString& str, int& pos, TDateTime& out)
{
    QList<int> nums;
    const TFormatSettings& fs = FormatSettings();
    if (!ScanNumbers(str, pos, nums, fs.DateSeparator, 3)) return false;
    int d, m, y;
    int cy = QDate::currentDate().year();
    if (nums.size() == 3) {
        d = nums[0]; m = nums[1]; y = nums[2];
        // a separator right after the year is not part of a date
        if (y < 100 && str.mid(pos - 1, 1) != fs.DateSeparator) {
            int century = cy / 100 * 100;
            y += century;
            if (y > cy + 50) y -= 100;
            else if (y <= cy - 50) y += 100;
        }
    } else if (nums.size() == 2) {
        d = nums[0]; m = nums[1]; y = cy;
    } else
        return false;
    return TryEncodeDate(y, m, d, out);
}

static bool ScanTime(const QString& str, int& pos, TDateTime& out)
{
    QList<int> nums;
    if (!ScanNumbers(str, pos, nums, FormatSettings().TimeSeparator, 3)) return false;
    if (nums.size() < 2 && pos < str.size()) return false;
    int h = nums.value(0), n = nums.value(1), s = nums.value(2);
    if (h > 23 || n > 59 || s > 59) return false;
    out = EncodeTime(h, n, s, 0);
    return true;
}

bool TryStrToDate(const QString& s, TDateTime& out)
{
    int pos = 0;
    TDateTime d;
    if (!ScanDate(s, pos, d)) return false;
    while (pos < s.size() && s[pos] == QLatin1Char(' ')) ++pos;
    if (pos != s.size()) return false;
    out = d;
    return true;
}

TDateTime StrToDate(const QString& s)
{
    TDateTime d;
    if (!TryStrToDate(s, d)) throw EConvertError(QStringLiteral("'%1' is not a valid date").arg(s));
    return d;
}

bool TryStrToTime(const QString& s, TDateTime& out)
{
    int pos = 0;
    TDateTime t;
    if (!ScanTime(s, pos, t)) return false;
    while (pos < s.size() && s[pos] == QLatin1Char(' ')) ++pos;
    if (pos != s.size()) return false;
    out = t;
    return true;
}

bool TryStrToDateTime(const QString& s, TDateTime& out)
{
    int pos = 0;
    TDateTime d = 0, t = 0;
    if (!ScanDate(s, pos, d)) {
        return TryStrToTime(s, out);
    }
    while (pos < s.size() && s[pos] == QLatin1Char(' ')) ++pos;
    if (pos < s.size()) {
        if (!ScanTime(s, pos, t)) return false;
        while (pos < s.size() && s[pos] == QLatin1Char(' ')) ++pos;
        if (pos != s.size()) return false;
    }
    out = d >= 0 ? d + t : d - t;
    return true;
}

TDateTime StrToDateTime(const QString& s)
{
    TDateTime d;
    if (!TryStrToDateTime(s, d)) throw EConvertError(QStringLiteral("'%1' is not a valid date and time").arg(s));
    return d;
}
