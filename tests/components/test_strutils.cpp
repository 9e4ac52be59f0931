#include <gtest/gtest.h>

#include "components/MaxMin.h"
#include "components/qvStrUtils.h"

static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

TEST(StrUtils, Words)
{
    const TCharSet comma{u','}, spaceComma{u' ', u','};
    struct Case { const char* text; TCharSet delims; int n; int count, position; const char* word; } cases[] = {
        {"10,20", spaceComma, 3, 2, 0, ""},
        {"10,20", spaceComma, 2, 2, 4, "20"},
        {",,a,,b,", comma, 1, 2, 3, "a"},
        {",,a,,b,", comma, 2, 2, 6, "b"},
        {"  5, 6  ,7 ", spaceComma, 3, 3, 10, "7"},
        {"", comma, 1, 0, 0, ""},
        {"abc", comma, 0, 1, 0, ""},
        {"abc", comma, -1, 1, 0, ""},
    };
    for (const Case& c : cases) {
        const QString t = QLatin1String(c.text);
        EXPECT_EQ(WordCount(t, c.delims), c.count) << c.text;
        EXPECT_EQ(WordPosition(c.n, t, c.delims), c.position) << c.text << " #" << c.n;
        EXPECT_EQ(ExtractWord(c.n, t, c.delims), QLatin1String(c.word)) << c.text << " #" << c.n;
    }
    // Characters outside the byte range are never delimiters.
    EXPECT_EQ(WordCount(QStringLiteral("Иван Петрович"), TCharSet{u' '}), 2);
}

TEST(StrUtils, ReplaceMakeAndCharSets)
{
    EXPECT_EQ(ReplaceStr(QStringLiteral("aaa"), QStringLiteral("a"), QStringLiteral("aa")), QStringLiteral("aaaaaa"));
    EXPECT_EQ(ReplaceStr(QStringLiteral("a-b-c"), QStringLiteral("-"), QString()), QStringLiteral("abc"));
    EXPECT_EQ(ReplaceStr(QStringLiteral("abc"), QString(), QStringLiteral("x")), QStringLiteral("abc"));
    EXPECT_EQ(MakeStr(QLatin1Char('x'), 3), QStringLiteral("xxx"));
    EXPECT_EQ(MakeStr(QLatin1Char('x'), 0), QString());
    EXPECT_EQ(MakeStr(QLatin1Char('x'), -5), QString());
    const TCharSet digits{u'0', u'1', u'2', u'3', u'4', u'5', u'6', u'7', u'8', u'9'};
    EXPECT_TRUE(AllCharsInSet(QString(), digits));
    EXPECT_TRUE(AllCharsInSet(QStringLiteral("2026"), digits));
    EXPECT_FALSE(AllCharsInSet(QStringLiteral("20a6"), digits));
    EXPECT_EQ(IntMax(-3, 2), 2);
    EXPECT_EQ(IntMin(-3, 2), -3);
}

TEST(StrUtils, XorCoder)
{
    EXPECT_EQ(XorEncode(QString(), QStringLiteral("abc")), QStringLiteral("616263"));
    EXPECT_EQ(XorEncode(QStringLiteral("A"), QStringLiteral("a")), QStringLiteral("20"));
    struct Case { const char* key; const char* hex; QString want; } decodes[] = {
        {"", "616263", QStringLiteral("abc")},
        {"", "6162636", QStringLiteral("abc")},    // odd last character ignored
        {"", "61zz63", QStringLiteral("a c")},     // not hex: a space
        {"", "4A4b", QStringLiteral("JK")},        // either case
        {"A", "zz", QStringLiteral("a")},          // the space, then the key
        {"", "", QString()},
    };
    for (const Case& c : decodes) EXPECT_EQ(XorDecode(QLatin1String(c.key), QLatin1String(c.hex)), c.want) << c.hex;

    for (const QString& key : {QString(), QStringLiteral("k"), QStringLiteral("ключ-2")}) {
        const QString text = QStringLiteral("Выбор заседания=Выбор заседаний; %Cond 100%");
        const QString hex = XorEncode(key, text);
        EXPECT_EQ(hex.size(), text.toUtf8().size() * 2);
        EXPECT_EQ(XorDecode(key, hex), text) << key.toStdString();
    }
    const QByteArray key = "key", src = "plain text";
    EXPECT_EQ(XorString(key, XorString(key, src)), src);
    EXPECT_EQ(XorString(QByteArray(), src), src);
    EXPECT_EQ(XorString(key, QByteArray(300, 'x')).size(), 255);
}
