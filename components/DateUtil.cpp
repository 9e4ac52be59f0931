#include "components/DateUtil.h"

#include <cmath>

#include "components/qvStrUtils.h"
#include "platform/core/SysUtils.h"

bool FourDigitYear = FormatSettings().ShortDateFormat.toUpper().contains(QLatin1String("YYYY"));
bool SysLocaleFarEast = false;

int DaysPerMonth(int AYear, int AMonth)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (AMonth < 1 || AMonth > 12) return 0;
    return days[AMonth - 1] + (AMonth == 2 && IsLeapYear(AYear) ? 1 : 0);
}

// On plain integers, so that no field value wraps into a valid one.
static bool ValidYMD(int Y, int M, int D)
{
    return Y >= 1 && Y <= 9999 && M >= 1 && M <= 12 && D >= 1 && D <= DaysPerMonth(Y, M);
}

bool ValidDate(quint16 Y, quint16 M, quint16 D) { return ValidYMD(Y, M, D); }

bool ValidDate(TDateTime ADate)
{
    // 01.01.0001 .. 31.12.9999 as day numbers; anything else cannot be split.
    if (!std::isfinite(ADate) || ADate < -693593.0 || ADate >= 2958466.0) return false;
    int y, m, d;
    DecodeDate(ADate, y, m, d);
    return ValidYMD(y, m, d);
}

int CurrentYear() { return QDate::currentDate().year(); }

int ExpandYear(int Year)
{
    if (Year < 0 || Year >= 100) return Year;
    const int n = CurrentYear() - CenturyOffset;
    Year += (n / 100) * 100;
    if (CenturyOffset > 0 && Year < n) Year += 100;
    return Year;
}

TDateOrder GetDateOrder(const QString& DateFormat)
{
    for (QChar c : DateFormat) {
        switch (c.toUpper().unicode()) {
        case 'D': return doDMY;
        case 'E':
        case 'Y': return doYMD;
        case 'M': return doMDY;
        default: break;
        }
    }
    return doDMY;
}

static bool IsDigit(QChar c) { return c.unicode() >= '0' && c.unicode() <= '9'; }

static void ScanBlanks(const QString& S, int& i)
{
    while (i < S.size() && S[i] == QLatin1Char(' ')) ++i;
}

// Digits are taken while the value so far is below 1000.
static bool ScanNumber(const QString& S, int& i, int& N)
{
    ScanBlanks(S, i);
    const int start = i;
    int v = 0;
    while (i < S.size() && IsDigit(S[i]) && v < 1000) {
        v = v * 10 + (S[i].unicode() - '0');
        ++i;
    }
    if (i == start) return false;
    N = v;
    return true;
}

static bool ScanChar(const QString& S, int& i, QChar c)
{
    ScanBlanks(S, i);
    if (i < S.size() && S[i] == c) {
        ++i;
        return true;
    }
    return false;
}

static bool StartsWithText(const QString& S, int i, const QString& t)
{
    return !t.isEmpty() && QStringView(S).mid(i, t.size()).compare(t, Qt::CaseInsensitive) == 0;
}

bool ScanDate(const QString& S, const QString& DateFormat, int& Pos, int& Day, int& Month, int& Year)
{
    const TFormatSettings& fs = FormatSettings();
    const QChar sep = fs.DateSeparator;
    Day = Month = Year = 0;
    const TDateOrder order = GetDateOrder(DateFormat);
    int i = Pos < 1 ? 0 : Pos - 1;

    if (fs.ShortDateFormat.startsWith(QLatin1Char('g'), Qt::CaseInsensitive)) {
        // An era name comes first: go to the first digit.
        while (i < S.size() && !IsDigit(S[i])) ++i;
    }
    int n1 = 0, n2 = 0, n3 = 0;
    bool ok = ScanNumber(S, i, n1) && ScanChar(S, i, sep) && ScanNumber(S, i, n2);
    if (ok) {
        if (ScanChar(S, i, sep)) {
            ok = ScanNumber(S, i, n3);
            if (ok) {
                switch (order) {
                case doMDY: Month = n1; Day = n2; Year = n3; break;
                case doDMY: Day = n1; Month = n2; Year = n3; break;
                case doYMD: Year = n1; Month = n2; Day = n3; break;
                }
                Year = ExpandYear(Year);
            }
        } else {
            Year = CurrentYear();
            if (order == doDMY) {
                Day = n1;
                Month = n2;
            } else {
                Month = n1;
                Day = n2;
            }
        }
    }
    if (ok) {
        ScanChar(S, i, sep);
        ScanBlanks(S, i);
        if (SysLocaleFarEast && fs.ShortDateFormat.contains(QLatin1String("ddd"), Qt::CaseInsensitive)) {
            // A day name may follow the date.
            if (!fs.ShortTimeFormat.isEmpty() && IsDigit(fs.ShortTimeFormat[0])) {
                while (i < S.size() && !IsDigit(S[i])) ++i;
            } else {
                while (i < S.size() && !StartsWithText(S, i, fs.TimeAMString) && !StartsWithText(S, i, fs.TimePMString)) {
                    while (i < S.size() && S[i] != QLatin1Char(' ')) ++i;
                    ScanBlanks(S, i);
                }
            }
        }
    }
    Pos = i + 1;
    return ok && ValidYMD(Year, Month, Day) && i >= S.size();
}

int MonthFromName(const QString& S, int MaxLen)
{
    if (S.isEmpty() || MaxLen < 1) return 0;
    const QStringList& names = FormatSettings().LongMonthNames;
    const QStringView head = QStringView(S).left(MaxLen);
    for (int m = 1; m <= 12 && m <= names.size(); ++m) {
        const QString& name = names[m - 1];
        if (!name.isEmpty() && QStringView(name).left(MaxLen).compare(head, Qt::CaseInsensitive) == 0) return m;
    }
    return 0;
}

// Plain decimal digits only; -1 for anything else (signs, hex, overflow).
static int FieldToInt(const QString& s)
{
    if (s.isEmpty()) return -1;
    qint64 v = 0;
    for (QChar c : s) {
        if (!IsDigit(c)) return -1;
        v = v * 10 + (c.unicode() - '0');
        if (v > 0x7FFFFFFF) return -1;
    }
    return int(v);
}

// One field of a text typed into the edit mask of Format.
static int ExtractMask(const QString& Format, const QString& S, QChar Ch, int Cnt, int Def, int Blank)
{
    if (S.size() > Format.size()) return Def;
    const int len = S.size();
    const QString fmt = Format.toUpper();
    const QChar up = Ch.toUpper();
    int p = fmt.indexOf(MakeStr(up, Cnt));
    if (p < 0) return Def;
    QString got;
    for (; p < fmt.size() && p < len && fmt[p] == up; ++p)
        if (S[p] != QLatin1Char(' ') && got.size() < 20) got += S[p];
    if (got.isEmpty()) return Blank;
    if (Cnt > 1) {
        int m = MonthFromName(got, got.size());
        return m > 0 ? m : -1;
    }
    return FieldToInt(got);
}

bool ScanDateStr(const QString& Format, const QString& S, int& Day, int& Month, int& Year)
{
    Month = ExtractMask(Format, S, QLatin1Char('m'), 3, 0, -1);
    if (Month == 0) Month = ExtractMask(Format, S, QLatin1Char('m'), 1, 0, -1);
    Day = ExtractMask(Format, S, QLatin1Char('d'), 1, 1, -1);
    Year = ExpandYear(ExtractMask(Format, S, QLatin1Char('y'), 1, CurrentYear(), -1));
    if (ValidYMD(Year, Month, Day)) return true;
    int pos = 1;
    return ScanDate(S, Format, pos, Day, Month, Year);
}

TDateTime StrToDateFmt(const QString& DateFormat, const QString& S)
{
    if (S.isEmpty()) return NullDate;
    int d, m, y;
    if (!ScanDateStr(DateFormat, S, d, m, y))
        throw EConvertError(QStringLiteral("'%1' is not a valid date").arg(S));
    return EncodeDate(y, m, d);
}

TDateTime StrToDateDef(const QString& DateFormat, const QString& S, TDateTime Default)
{
    try {
        return StrToDateFmt(DateFormat, S);
    } catch (const EConvertError&) {
        return std::trunc(Default);
    }
}

QString DefDateFormat(bool AFourDigitYear)
{
    switch (GetDateOrder(FormatSettings().ShortDateFormat)) {
    case doMDY: return AFourDigitYear ? QStringLiteral("MM/DD/YYYY") : QStringLiteral("MM/DD/YY");
    case doYMD: return AFourDigitYear ? QStringLiteral("YYYY/MM/DD") : QStringLiteral("YY/MM/DD");
    case doDMY: break;
    }
    return AFourDigitYear ? QStringLiteral("DD/MM/YYYY") : QStringLiteral("DD/MM/YY");
}

QString DefDateMask(QChar BlanksChar, bool AFourDigitYear)
{
    QString m;
    if (!AFourDigitYear)
        m = QStringLiteral("!99/99/99;1;");
    else if (GetDateOrder(FormatSettings().ShortDateFormat) == doYMD)
        m = QStringLiteral("!9999/99/99;1;");
    else
        m = QStringLiteral("!99/99/9999;1;");
    return m + BlanksChar;
}
