// The bulk helpers the tool fills files with: scripts of several statements
// and prepared statements with bound values, on the platform's connection.
#include <gtest/gtest.h>

#include <QDate>
#include <QFile>
#include <QTemporaryDir>

#include "platform/ado/ADOBatch.h"
#include "platform/ado/ADOConnection.h"
#include "platform/core/DateTime.h"

namespace {

class AdoBatch : public ::testing::Test {
protected:
    QTemporaryDir dir;
    TADOConnection conn;
    void SetUp() override
    {
        const QString file = dir.filePath("t.db");
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.close();
        conn.SetLoginPrompt(false);
        conn.SetConnectionString("Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=;Data Source=" + file +
                                 ";Persist Security Info=True");
        conn.Open();
    }
    qint64 Count(const QString& table) { return conn.Execute("SELECT COUNT(*) FROM " + table)->Value(0, 0).toLongLong(); }
};

}  // namespace

TEST_F(AdoBatch, ScriptRunsInOrderAndStopsAtTheFailingStatement)
{
    // Semicolons inside texts, comments and a trigger body do not split.
    const QString script =
        "-- a comment; with a semicolon\n"
        "CREATE TABLE a (x VARCHAR(10));\n"
        "INSERT INTO a VALUES ('1;2');\n"
        "CREATE TRIGGER a_t AFTER INSERT ON a BEGIN INSERT INTO a VALUES ('t'); SELECT 1; END;\n";
    EXPECT_EQ(ado::ScriptStatements(script).size(), 3);
    ado::ExecuteScript(&conn, script);
    EXPECT_EQ(Count("a"), 1);

    // Inside a transaction a failure undoes what came before it.
    conn.BeginTrans();
    try {
        ado::ExecuteScript(&conn, "INSERT INTO a VALUES ('2');\nINSERT INTO no_such_table VALUES (1);\nINSERT INTO a VALUES ('3');");
        ADD_FAILURE() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains("no_such_table")) << e.what();
    }
    conn.RollbackTrans();
    EXPECT_EQ(Count("a"), 1);
}

TEST_F(AdoBatch, PreparedStatementBindsEachKindOfValue)
{
    ado::ExecuteScript(&conn, "CREATE TABLE v (t VARCHAR(20), i INTEGER, d DATETIME, b BOOLEAN, m MEMO TEXT);");
    ado::PreparedStatement ins(&conn, "INSERT INTO v (t, i, d, b, m) VALUES (?, ?, ?, ?, ?)");
    EXPECT_EQ(ins.ParamCount(), 5);
    EXPECT_EQ(ins.Execute({QStringLiteral("Ёлка"), 42, QDate(2024, 3, 14), true, QString()}), 1);
    EXPECT_EQ(ins.Execute({VarNull(), Unassigned(), EncodeDate(2024, 3, 14) + 0.5, false, QStringLiteral("x'\"y")}), 1);
    auto rs = conn.Execute("SELECT t, i, d, b, m FROM v");
    ASSERT_EQ(rs->RowCount(), 2);
    EXPECT_EQ(rs->Text(0, 0), QStringLiteral("Ёлка"));
    EXPECT_EQ(rs->Value(0, 1).toLongLong(), 42);
    EXPECT_DOUBLE_EQ(rs->Value(0, 2).toDouble(), EncodeDate(2024, 3, 14));
    EXPECT_EQ(rs->Value(0, 3).toBool(), true);
    EXPECT_TRUE(rs->IsNull(0, 4));
    EXPECT_TRUE(rs->IsNull(1, 0));
    EXPECT_TRUE(rs->IsNull(1, 1));
    EXPECT_DOUBLE_EQ(rs->Value(1, 2).toDouble(), EncodeDate(2024, 3, 14) + 0.5);
    EXPECT_EQ(rs->Value(1, 3).toBool(), false);
    EXPECT_EQ(rs->Text(1, 4), QStringLiteral("x'\"y"));

    // One statement only, and a clear error for a bad one or a closed connection.
    EXPECT_THROW(ado::PreparedStatement(&conn, "SELECT 1; SELECT 2"), EDatabaseError);
    EXPECT_THROW(ado::PreparedStatement(&conn, "INSERT INTO nowhere VALUES (?)"), EDatabaseError);
    ado::ExecuteScript(&conn, "CREATE UNIQUE INDEX v_t ON v (t);");
    EXPECT_THROW(ins.Execute({QStringLiteral("Ёлка"), 1, VarNull(), false, VarNull()}), EDatabaseError);
    EXPECT_EQ(ins.Execute({QStringLiteral("ель"), 1, VarNull(), false, VarNull()}), 1);   // usable after a failure
    TADOConnection closed;
    EXPECT_THROW(ado::ExecuteScript(&closed, "SELECT 1;"), EDatabaseError);
}
