// The recordset object handed to template macros, reached by member name.
#include <gtest/gtest.h>

#include <QDateTime>
#include <ctime>

#include "AdoTestUtil.h"
#include "platform/core/ScopeGuard.h"
#include "platform/ole/OleRecordset.h"

namespace {
struct RecordsetObjectTest : ::testing::Test {
    QTemporaryDir dir;
    std::unique_ptr<TADOConnection> db;
    OleVariant rs;
    void SetUp() override
    {
        const QString file = dir.filePath(QStringLiteral("t.db"));
        db = adotest::CreateDb(file, QString(),
                               {QStringLiteral("CREATE TABLE T (n INTEGER, x FLOAT, s VARCHAR(20), d DATETIME, b BOOLEAN)"),
                                QStringLiteral("INSERT INTO T VALUES (1, 1.5, 'один', 45316, 1)"),
                                QStringLiteral("INSERT INTO T VALUES (2, NULL, NULL, NULL, 0)"),
                                QStringLiteral("INSERT INTO T VALUES (3, -2.25, 'три', 45316.5, 1)")});
        rs = CreateRecordsetObject(ado::Recordset::OpenWithConnectionString(
            adotest::ConnString(file), QStringLiteral("SELECT n, x, s, d, b FROM T ORDER BY n")));
    }
    Variant Field(const OleVariant& key) const { return rs.Call(QStringLiteral("Fields"), {key}).Get(QStringLiteral("Value")).Value(); }
    bool Is(const char* p) const { return rs.Get(QString::fromLatin1(p)).ToBool(); }
};
}  // namespace

TEST_F(RecordsetObjectTest, NavigatesLikeTheDatabaseRecordset)
{
    EXPECT_EQ(rs.Get(QStringLiteral("RecordCount")).ToInt(), 3);
    EXPECT_FALSE(Is("BOF"));
    EXPECT_FALSE(Is("EOF"));
    EXPECT_EQ(Field(QStringLiteral("N")).toInt(), 1);   // names in any letter case
    rs.Call(QStringLiteral("MoveLast"));
    EXPECT_EQ(Field(0).toInt(), 3);
    rs.Call(QStringLiteral("MoveNext"));
    EXPECT_TRUE(Is("EOF"));
    EXPECT_THROW(rs.Call(QStringLiteral("MoveNext")), EOleError);
    EXPECT_THROW(Field(0), EOleError);
    rs.Call(QStringLiteral("MovePrevious"));
    rs.Call(QStringLiteral("MovePrevious"));
    EXPECT_EQ(Field(0).toInt(), 2);
    rs.Call(QStringLiteral("MoveFirst"));
    rs.Call(QStringLiteral("MovePrevious"));
    EXPECT_TRUE(Is("BOF"));
    EXPECT_THROW(Field(QStringLiteral("nosuch")), EOleError);
}

TEST_F(RecordsetObjectTest, ValuesKeepTheirKinds)
{
    const OleVariant fields = rs.Call(QStringLiteral("Fields"));
    EXPECT_EQ(fields.Get(QStringLiteral("Count")).ToInt(), 5);
    EXPECT_EQ(fields.Call(QStringLiteral("Item"), {3}).Get(QStringLiteral("Name")).ToString(), QStringLiteral("d"));
    EXPECT_EQ(rs.Call(QStringLiteral("Fields"), {2}).Dispatch()->DefaultMember(), QStringLiteral("Value"));
    EXPECT_DOUBLE_EQ(Field(1).toDouble(), 1.5);
    EXPECT_EQ(Field(2).toString(), QStringLiteral("один"));
    EXPECT_EQ(Field(3).toDateTime(), QDateTime(QDate(2024, 1, 25), QTime(0, 0)));
    EXPECT_EQ(Field(4).typeId(), QMetaType::Bool);
    rs.Call(QStringLiteral("MoveNext"));
    for (int i = 1; i < 4; ++i) EXPECT_FALSE(Field(i).isValid()) << i;   // NULL is Empty
    EXPECT_EQ(Field(4), Variant(false));
}

TEST_F(RecordsetObjectTest, GetRowsShipsABlockAndMovesPastIt)
{
    rs.Call(QStringLiteral("MoveNext"));
    OleVariant two = rs.Call(QStringLiteral("GetRows"), {2});
    ASSERT_TRUE(two.IsArray());
    EXPECT_EQ(two.Array()->RowCount(), 2);
    EXPECT_EQ(two.Array()->ColCount(), 5);
    EXPECT_EQ(two.Array()->Cell(1, 0).toInt(), 3);
    EXPECT_EQ(two.Array()->Cell(1, 3).toDateTime(), QDateTime(QDate(2024, 1, 25), QTime(12, 0)));
    EXPECT_TRUE(Is("EOF"));
    EXPECT_THROW(rs.Call(QStringLiteral("GetRows")), EOleError);
    rs.Call(QStringLiteral("MoveFirst"));
    EXPECT_EQ(rs.Call(QStringLiteral("GetRows")).Array()->RowCount(), 3);
}

TEST_F(RecordsetObjectTest, DatesDoNotShiftWithTheLocalTimeZone)
{
    // A zone with summer time: day 0 (30 December 1899) falls in winter
    // time, 1 July 2024 in summer time, and the day count knows no zones.
    const QByteArray zone = qgetenv("TZ");
    const bool hadZone = qEnvironmentVariableIsSet("TZ");
    qputenv("TZ", "EST5EDT,M3.2.0,M11.1.0");
    tzset();
    auto restore = Finally([&] {
        if (hadZone) qputenv("TZ", zone);
        else qunsetenv("TZ");
        tzset();
    });
    db->Execute(QStringLiteral("UPDATE T SET d = 45474.25 WHERE n = 1"));
    const OleVariant r = CreateRecordsetObject(ado::Recordset::OpenWithConnectionString(
        adotest::ConnString(dir.filePath(QStringLiteral("t.db"))), QStringLiteral("SELECT d FROM T ORDER BY n")));
    EXPECT_EQ(r.Call(QStringLiteral("Fields"), {0}).Get(QStringLiteral("Value")).Value().toDateTime(),
              QDateTime(QDate(2024, 7, 1), QTime(6, 0)));
    EXPECT_EQ(r.Call(QStringLiteral("GetRows")).Array()->Cell(0, 0).toDateTime(),
              QDateTime(QDate(2024, 7, 1), QTime(6, 0)));
}
