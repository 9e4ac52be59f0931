#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "components/DateUtil.h"
#include "platform/core/SysUtils.h"

static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

// The expectations with two-digit years hold while the current year is 2000 to 2059.
TEST(DateUtil, FreeFormScannerInTheLocaleOrder)
{
    const int cy = CurrentYear();
    struct Case { const char* text; bool ok; int d, m, y; } cases[] = {
        {"31.12.99", true, 31, 12, 1999},
        {"1.2.05", true, 1, 2, 2005},
        {"29.02.2023", false, 0, 0, 0},
        {"29.02.2024", true, 29, 2, 2024},
        {"5.3", true, 5, 3, cy},
        {"12345.1.2000", false, 0, 0, 0},   // the number stops at 1234, then no separator
        {"31.12.1999x", false, 0, 0, 0},
        {"31.12.1999 abc", false, 0, 0, 0},
        {" 31 . 12 . 1999.  ", true, 31, 12, 1999},
        {"", false, 0, 0, 0},
        {"31.04.2000", false, 0, 0, 0},
        {"0.1.2000", false, 0, 0, 0},
        {"1/2/2000", false, 0, 0, 0},
        {"1.2.", false, 0, 0, 0},
        {"15.06.123", true, 15, 6, 123},   // three digits are a year as it stands
    };
    for (const Case& c : cases) {
        int pos = 1, d = -9, m = -9, y = -9;
        const bool ok = ScanDate(QLatin1String(c.text), FormatSettings().ShortDateFormat, pos, d, m, y);
        EXPECT_EQ(ok, c.ok) << c.text;
        if (c.ok && ok) {
            EXPECT_EQ(d, c.d) << c.text;
            EXPECT_EQ(m, c.m) << c.text;
            EXPECT_EQ(y, c.y) << c.text;
        }
    }
    // The order comes from the format given.
    int pos = 1, d, m, y;
    ASSERT_TRUE(ScanDate(QStringLiteral("12.31.2001"), QStringLiteral("mm/dd/yyyy"), pos, d, m, y));
    EXPECT_EQ(d * 10000 + m * 100 + y % 100, 311201);
    pos = 1;
    ASSERT_TRUE(ScanDate(QStringLiteral("2001.12.31"), QStringLiteral("yyyy/mm/dd"), pos, d, m, y));
    EXPECT_EQ(d * 10000 + m * 100 + y % 100, 311201);
}

TEST(DateUtil, StrToDateFmtReadsTheMaskThenFallsBackToTheScanner)
{
    const QString fmt = DefDateFormat(true);
    struct Case { QString text; int y, m, d; } good[] = {
        {QStringLiteral("31.12.1999"), 1999, 12, 31},
        {QStringLiteral("31.12.99"), 1999, 12, 31},
        {QStringLiteral("01.02.2005"), 2005, 2, 1},
        {QStringLiteral("1.2.05"), 2005, 2, 1},
        {QStringLiteral(" 5.03.2020"), 2020, 3, 5},
    };
    for (const Case& c : good) EXPECT_EQ(StrToDateFmt(fmt, c.text), EncodeDate(c.y, c.m, c.d)) << c.text.toStdString();
    EXPECT_EQ(StrToDateFmt(fmt, QString()), NullDate);
    // A month name where the format has MMM.
    EXPECT_EQ(StrToDateFmt(QStringLiteral("DD-MMM-YYYY"), QStringLiteral("05-мар-2020")), EncodeDate(2020, 3, 5));

    const QString bad[] = {
        QStringLiteral("29.02.2023"), QStringLiteral("12.03.    "),   // blank year in the mask
        QStringLiteral("31.12.99 x"), QStringLiteral("01.01.0x1f"), QStringLiteral("  .  .    "),
        QStringLiteral("31.12.1999x"),
    };
    for (const QString& t : bad) {
        try {
            StrToDateFmt(fmt, t);
            ADD_FAILURE() << "accepted " << t.toStdString();
        } catch (const EConvertError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("'") + t + QStringLiteral("' is not a valid date"));
        }
    }
    EXPECT_EQ(StrToDateDef(fmt, QStringLiteral("30.02.2020"), 45000.75), 45000.0);
    EXPECT_EQ(StrToDateDef(fmt, QString(), 45000.75), NullDate);
}

TEST(DateUtil, YearsMonthsAndValidity)
{
    const int cy = CurrentYear();
    const int n = cy - CenturyOffset;
    EXPECT_EQ(ExpandYear(n % 100), n);
    EXPECT_EQ(ExpandYear((n - 1) % 100), n - 1 + 100);
    EXPECT_EQ(ExpandYear(cy % 100), cy);
    EXPECT_EQ(ExpandYear(100), 100);
    EXPECT_EQ(ExpandYear(-1), -1);

    EXPECT_EQ(DaysPerMonth(2024, 2), 29);
    EXPECT_EQ(DaysPerMonth(1900, 2), 28);
    EXPECT_EQ(DaysPerMonth(2000, 2), 29);
    EXPECT_EQ(DaysPerMonth(2023, 4), 30);
    EXPECT_EQ(DaysPerMonth(2023, 13), 0);
    EXPECT_TRUE(ValidDate(9999, 12, 31));
    EXPECT_FALSE(ValidDate(0, 1, 1));
    EXPECT_FALSE(ValidDate(10000, 1, 1));
    EXPECT_TRUE(ValidDate(EncodeDate(2024, 2, 29)));
    EXPECT_FALSE(ValidDate(std::numeric_limits<double>::quiet_NaN()));
    EXPECT_FALSE(ValidDate(1e12));

    EXPECT_EQ(MonthFromName(QStringLiteral("мар"), 3), 3);
    EXPECT_EQ(MonthFromName(QStringLiteral("МАРТ"), 4), 3);
    EXPECT_EQ(MonthFromName(QStringLiteral("Ию"), 2), 6);
    EXPECT_EQ(MonthFromName(QStringLiteral("Ма"), 3), 0);
    EXPECT_EQ(MonthFromName(QString(), 3), 0);
}

TEST(DateUtil, OrderFormatsAndMasks)
{
    struct Case { const char* format; TDateOrder order; } orders[] = {
        {"dd.mm.yyyy", doDMY}, {"MM/dd/yy", doMDY}, {"yyyy-mm-dd", doYMD}, {"ee/mm/dd", doYMD}, {"", doDMY}, {"h:nn", doDMY},
    };
    for (const Case& c : orders) EXPECT_EQ(GetDateOrder(QLatin1String(c.format)), c.order) << c.format;
    EXPECT_TRUE(FourDigitYear);
    EXPECT_EQ(DefDateFormat(true), QStringLiteral("DD/MM/YYYY"));
    EXPECT_EQ(DefDateFormat(false), QStringLiteral("DD/MM/YY"));
    EXPECT_EQ(DefDateMask(QLatin1Char('_'), true), QStringLiteral("!99/99/9999;1;_"));
    EXPECT_EQ(DefDateMask(QLatin1Char(' '), false), QStringLiteral("!99/99/99;1; "));
}
