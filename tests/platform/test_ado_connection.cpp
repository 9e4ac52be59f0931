// The connection: opening with and without a key, the password statement,
// the exclusive mode and transactions, all on real files.
#include <gtest/gtest.h>

#include <QFileInfo>

#include "AdoTestUtil.h"
#include "platform/core/SysUtils.h"

using namespace adotest;

namespace {

QByteArray Header(const QString& file)
{
    QFile f(file);
    f.open(QIODevice::ReadOnly);
    return f.read(16);
}

TEST(AdoConnection, MissingFileRaisesAndIsNotCreated)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("none.db"));
    TADOConnection c;
    c.SetConnectionString(ConnString(file));
    EXPECT_THROW(c.Open(), EDatabaseError);
    EXPECT_FALSE(c.Connected());
    EXPECT_FALSE(QFileInfo::exists(file));
    c.SetConnectionString(ConnString(dir.path()));  // a folder is no database file either
    EXPECT_THROW(c.Open(), EDatabaseError);
}

TEST(AdoConnection, PlaintextAndEncryptedFilesOpenOnlyWithTheirKey)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain.db"));
    const QString secret = dir.filePath(QStringLiteral("secret.db"));
    CreateDb(plain, QString(), {QStringLiteral("CREATE TABLE T (v INTEGER)"), QStringLiteral("INSERT INTO T VALUES (1)")});
    CreateDb(secret, QStringLiteral("пароль;1"),
             {QStringLiteral("CREATE TABLE T (v INTEGER)"), QStringLiteral("INSERT INTO T VALUES (2)")});
    EXPECT_EQ(Header(plain), QByteArray("SQLite format 3\0", 16));
    EXPECT_NE(Header(secret), QByteArray("SQLite format 3\0", 16));

    EXPECT_EQ(Query(OpenDb(plain).get(), QStringLiteral("SELECT v FROM T")), QStringLiteral("1"));
    EXPECT_THROW(OpenDb(plain, QStringLiteral("x")), EDatabaseError);
    for (const QString& wrong : {QString(), QStringLiteral("пароль"), QStringLiteral("ПАРОЛЬ;1")}) {
        TADOConnection c;
        c.SetConnectionString(ConnString(secret, wrong));
        try {
            c.Open();
            ADD_FAILURE() << "opened with " << wrong.toStdString();
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Not a valid password"))) << e.what();
        }
        EXPECT_FALSE(c.Connected());
    }
    EXPECT_EQ(Query(OpenDb(secret, QStringLiteral("пароль;1")).get(), QStringLiteral("SELECT v FROM T")), QStringLiteral("2"));
}

TEST(AdoConnection, PasswordChangesKeepTheData)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("q.db"));
    {
        auto c = CreateDb(file, QString(), {QStringLiteral("CREATE TABLE T (v VARCHAR(20), d DATETIME)"),
                                           QStringLiteral("INSERT INTO T VALUES (\"строка\", DateValue('15.01.2024'))"),
                                           QStringLiteral("PRAGMA user_version = 7")});
        // A shared connection may not re-key the file.
        EXPECT_THROW(c->Execute(QStringLiteral("ALTER DATABASE PASSWORD key1 NULL")), EDatabaseError);
    }
    struct Step {
        QString from, to;
    };
    const Step steps[] = {{QString(), QStringLiteral("key1")},
                          {QStringLiteral("key1"), QStringLiteral("[other] key")},
                          {QStringLiteral("[other] key"), QString()}};
    for (const Step& s : steps) {
        auto c = OpenDb(file, s.from, true);
        auto word = [](const QString& p) { return p.isEmpty() ? QStringLiteral("NULL") : SqlQuote(p, QLatin1Char('[')); };
        // the old password must be the one the file is open with
        EXPECT_THROW(c->Execute(QStringLiteral("ALTER DATABASE PASSWORD ") + word(s.to) + QStringLiteral(" wrong")),
                     EDatabaseError);
        c->Execute(QStringLiteral("ALTER DATABASE PASSWORD ") + word(s.to) + QLatin1Char(' ') + word(s.from));
        // the open connection goes on working, and its string now carries the new key
        EXPECT_EQ(Query(c.get(), QStringLiteral("SELECT v, d FROM T")), QStringLiteral("строка|15.01.2024"));
        EXPECT_EQ(TADOConnection::ConnectionStringValue(c->ConnectionString(),
                                                        QStringLiteral("Jet OLEDB:Database Password")),
                  s.to);
        c->Close();
        EXPECT_THROW(OpenDb(file, s.from), EDatabaseError) << s.from.toStdString();
        auto again = OpenDb(file, s.to);
        EXPECT_EQ(Query(again.get(), QStringLiteral("SELECT v, d FROM T")), QStringLiteral("строка|15.01.2024"));
        EXPECT_EQ(Query(again.get(), QStringLiteral("PRAGMA user_version")), QStringLiteral("7"));
    }
    // no temporary file is left beside the database
    EXPECT_EQ(QDir(dir.path()).entryList(QStringList{QStringLiteral("*.rekey*")}, QDir::Files).size(), 0);
}

TEST(AdoConnection, ExclusiveModeKeepsOthersOut)
{
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("x.db"));
    CreateDb(file, QString(), {QStringLiteral("CREATE TABLE T (v INTEGER)")});
    auto owner = OpenDb(file, QString(), true);
    EXPECT_TRUE(owner->Exclusive());
    EXPECT_THROW(OpenDb(file), EDatabaseError);
    EXPECT_THROW(OpenDb(file, QString(), true), EDatabaseError);
    owner->Close();
    EXPECT_NO_THROW(OpenDb(file));
}

TEST(AdoConnection, RollbackUndoesStatementsAndRecordsetWritesAlike)
{
    QTemporaryDir dir;
    auto c = CreateDb(dir.filePath(QStringLiteral("t.db")), QString(), {QStringLiteral("CREATE TABLE T (v INTEGER)")});
    auto rs = ado::Recordset::OpenTable(c.get(), QStringLiteral("T"));

    EXPECT_EQ(c->BeginTrans(), 1);
    c->Execute(QStringLiteral("INSERT INTO T VALUES (1)"));
    rs->InsertRow(0, {Variant(2)});
    c->RollbackTrans();
    EXPECT_FALSE(c->InTransaction());
    rs->Requery();
    EXPECT_EQ(rs->RowCount(), 0);

    // nested levels: the inner rollback undoes only its own part
    c->BeginTrans();
    c->Execute(QStringLiteral("INSERT INTO T VALUES (10)"));
    EXPECT_EQ(c->BeginTrans(), 2);
    rs->InsertRow(0, {Variant(20)});
    c->RollbackTrans();
    rs->InsertRow(0, {Variant(30)});
    c->CommitTrans();
    EXPECT_EQ(Query(c.get(), QStringLiteral("SELECT v FROM T ORDER BY v")), QStringLiteral("10,30"));
    EXPECT_THROW(c->CommitTrans(), EDatabaseError);

    // closing with a transaction open undoes it
    c->BeginTrans();
    c->Execute(QStringLiteral("DELETE * FROM T"));
    c->Close();
    c->Open();
    EXPECT_EQ(Query(c.get(), QStringLiteral("SELECT COUNT(*) FROM T")), QStringLiteral("2"));
}

TEST(AdoConnection, ConnectionStringKeysAndQuotedValues)
{
    const QString s = QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;jet oledb:database password=a;b;"
                                     "Data Source=/x/q.db;Mode=\"Share Deny Read|Share Deny Write\";Persist Security Info=True");
    EXPECT_EQ(TADOConnection::ConnectionStringValue(s, QStringLiteral("Jet OLEDB:Database Password")), QStringLiteral("a;b"));
    EXPECT_EQ(TADOConnection::ConnectionStringValue(s, QStringLiteral("DATA SOURCE")), QStringLiteral("/x/q.db"));
    EXPECT_EQ(TADOConnection::ConnectionStringValue(s, QStringLiteral("mode")), QStringLiteral("Share Deny Read|Share Deny Write"));
    EXPECT_EQ(TADOConnection::ConnectionStringValue(s, QStringLiteral("User ID")), QString());
    for (const QString& pwd : {QStringLiteral("x;Data Source=/etc/y"), QStringLiteral(" blank "), QStringLiteral("\"q\"")}) {
        const QString cs = QStringLiteral("Jet OLEDB:Database Password=") + TADOConnection::QuoteConnectionStringValue(pwd) +
                           QStringLiteral(";Data Source=/x/q.db");
        EXPECT_EQ(TADOConnection::ConnectionStringValue(cs, QStringLiteral("Jet OLEDB:Database Password")), pwd);
        EXPECT_EQ(TADOConnection::ConnectionStringValue(cs, QStringLiteral("Data Source")), QStringLiteral("/x/q.db"));
    }
    TADOConnection c;
    c.SetConnectionString(s);
    EXPECT_EQ(c.Provider(), QStringLiteral("Microsoft.Jet.OLEDB.4.0"));
}

}  // namespace
