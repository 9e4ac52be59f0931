// The database tool: the file it makes (tables, columns, seed rows, password,
// demonstration board, benchmark data) read back through the platform's
// connection, as the program reads it, and the tool's command line.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <map>
#include <ostream>
#include <set>

#include "dbtool/DbBuilder.h"
#include "platform/ado/ADOConnection.h"
#include "platform/ado/ADODB.h"
#include "platform/ado/Recordset.h"

// Readable failure output for texts.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

struct Db {
    TADOConnection conn;
    explicit Db(const QString& file, const QString& password = QString())
    {
        conn.SetLoginPrompt(false);
        conn.SetConnectionString(dbtool::ConnectionString(file, password));
        conn.Open();
    }
    ado::RecordsetPtr Rows(const QString& sql) { return conn.Execute(sql); }
    qint64 Count(const QString& sql)
    {
        auto rs = conn.Execute(sql);
        return rs->Value(0, 0).toLongLong();
    }
    // Every row of a one-column statement, as texts.
    QStringList Column(const QString& sql)
    {
        QStringList out;
        auto rs = conn.Execute(sql);
        for (qsizetype r = 0; r < rs->RowCount(); ++r)
            out << rs->Text(r, 0);
        return out;
    }
};

class DbTool : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString Path(const QString& name) const { return dir.filePath(name); }
};

// The 14 tables with their columns in order and the declared storage forms.
const std::map<QString, QStringList>& ExpectedTables()
{
    static const std::map<QString, QStringList> tables = {
        {"REF_MEMBERS",
         {"id CHAR(38)", "fullname VARCHAR(255)", "birthday DATETIME", "address VARCHAR(255)",
          "passport VARCHAR(255)", "education VARCHAR(255)", "share VARCHAR(100)", "postaddress VARCHAR(250)",
          "workphone VARCHAR(50)", "workfax VARCHAR(50)", "email VARCHAR(250)", "paymentinfo MEMO TEXT",
          "inn VARCHAR(30)", "pensionnum VARCHAR(50)", "date DATETIME", "enabled BOOLEAN"}},
        {"REF_POSTS",
         {"id CHAR(38)", "id_member CHAR(38)", "postname VARCHAR(100)", "orgname VARCHAR(100)",
          "orgaddress VARCHAR(250)", "startdate DATETIME", "enddate DATETIME"}},
        {"REF_OTHER_MANAGEMENT",
         {"id CHAR(38)", "id_member CHAR(38)", "post VARCHAR(100)", "orgname VARCHAR(100)", "startdate DATETIME"}},
        {"REF_FORMS", {"id CHAR(38)", "name VARCHAR(255)", "comment MEMO TEXT"}},
        {"REF_PLACES", {"id CHAR(38)", "name VARCHAR(250)"}},
        {"REF_VOTE_TYPES", {"id SMALLINT", "name VARCHAR(50)"}},
        {"OBJ_SESSIONS",
         {"id CHAR(38)", "id_place CHAR(38)", "id_form CHAR(38)", "pnumber INTEGER", "pdate DATETIME",
          "fcomment MEMO TEXT", "mcomment MEMO TEXT", "signpost1 VARCHAR(255)", "signname1 VARCHAR(255)",
          "signpost2 VARCHAR(255)", "signname2 VARCHAR(255)", "memberscount INTEGER"}},
        {"OBJ_QUESTIONS", {"id CHAR(38)", "date DATETIME", "question MEMO TEXT", "information MEMO TEXT"}},
        {"OBJ_DECISIONS", {"id CHAR(38)", "id_question CHAR(38)", "description MEMO TEXT"}},
        {"OBJ_PAYMENTS",
         {"id CHAR(38)", "id_session CHAR(38)", "id_member CHAR(38)", "paymentdate DATETIME", "suma INTEGER",
          "reglament MEMO TEXT", "signpost VARCHAR(255)", "signname VARCHAR(255)"}},
        {"LNK_SESSIONS_MEMBERS", {"id CHAR(38)", "id_session CHAR(38)", "id_member CHAR(38)"}},
        {"LNK_SESSIONS_DECISIONS", {"id CHAR(38)", "id_session CHAR(38)", "id_decision CHAR(38)"}},
        {"LNK_DECISIONS_MEMBERS", {"id CHAR(38)", "id_decision CHAR(38)", "id_member CHAR(38)", "vote INTEGER"}},
        {"SYS_PARAMETERS",
         {"name VARCHAR(50)", "val VARCHAR(4000)", "ord INTEGER", "category VARCHAR(100)", "type VARCHAR(20)",
          "caption VARCHAR(255)"}},
    };
    return tables;
}

// References of the file: (table, column) -> referenced table (its id).
const std::vector<std::tuple<QString, QString, QString>>& References()
{
    static const std::vector<std::tuple<QString, QString, QString>> refs = {
        {"REF_POSTS", "id_member", "REF_MEMBERS"},
        {"REF_OTHER_MANAGEMENT", "id_member", "REF_MEMBERS"},
        {"OBJ_SESSIONS", "id_place", "REF_PLACES"},
        {"OBJ_SESSIONS", "id_form", "REF_FORMS"},
        {"OBJ_DECISIONS", "id_question", "OBJ_QUESTIONS"},
        {"OBJ_PAYMENTS", "id_session", "OBJ_SESSIONS"},
        {"OBJ_PAYMENTS", "id_member", "REF_MEMBERS"},
        {"LNK_SESSIONS_MEMBERS", "id_session", "OBJ_SESSIONS"},
        {"LNK_SESSIONS_MEMBERS", "id_member", "REF_MEMBERS"},
        {"LNK_SESSIONS_DECISIONS", "id_session", "OBJ_SESSIONS"},
        {"LNK_SESSIONS_DECISIONS", "id_decision", "OBJ_DECISIONS"},
        {"LNK_DECISIONS_MEMBERS", "id_decision", "OBJ_DECISIONS"},
        {"LNK_DECISIONS_MEMBERS", "id_member", "REF_MEMBERS"},
    };
    return refs;
}

// What every filled file must hold, whatever made the rows: keys in the
// program's form, every reference pointing at a row, votes and payments only
// for participants, votes only on decisions linked to the session, and no
// member twice in one session.
void ExpectConsistent(Db& db)
{
    const QRegularExpression guid(QStringLiteral(
        "^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$"));
    for (const auto& [table, columns] : ExpectedTables()) {
        if (table == "REF_VOTE_TYPES" || table == "SYS_PARAMETERS")
            continue;
        for (const QString& key : db.Column("SELECT id FROM " + table))
            ASSERT_TRUE(guid.match(key).hasMatch()) << table.toStdString() << ": " << key.toStdString();
    }
    for (const auto& [table, column, target] : References()) {
        EXPECT_EQ(db.Count("SELECT COUNT(*) FROM " + table + " t WHERE t." + column + " IS NULL OR NOT EXISTS "
                           "(SELECT 1 FROM " + target + " x WHERE x.id = t." + column + ")"),
                  0)
            << table.toStdString() << "." << column.toStdString();
    }
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM LNK_DECISIONS_MEMBERS v WHERE v.vote IS NULL OR NOT EXISTS "
                       "(SELECT 1 FROM REF_VOTE_TYPES t WHERE t.id = v.vote)"),
              0);
    // A vote belongs to a participant of a session that the decision is put to.
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM LNK_DECISIONS_MEMBERS v WHERE NOT EXISTS "
                       "(SELECT 1 FROM LNK_SESSIONS_DECISIONS l INNER JOIN LNK_SESSIONS_MEMBERS p "
                       "ON p.id_session = l.id_session WHERE l.id_decision = v.id_decision AND p.id_member = v.id_member)"),
              0);
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM OBJ_PAYMENTS y WHERE NOT EXISTS (SELECT 1 FROM LNK_SESSIONS_MEMBERS p "
                       "WHERE p.id_session = y.id_session AND p.id_member = y.id_member)"),
              0);
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM (SELECT id_session, id_member FROM LNK_SESSIONS_MEMBERS "
                       "GROUP BY id_session, id_member HAVING COUNT(*) > 1) d"),
              0);
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM (SELECT id_decision, id_member FROM LNK_DECISIONS_MEMBERS "
                       "GROUP BY id_decision, id_member HAVING COUNT(*) > 1) d"),
              0);
    // Participants are members that can be chosen as participants.
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM LNK_SESSIONS_MEMBERS p INNER JOIN REF_MEMBERS m ON m.id = p.id_member "
                       "WHERE m.enabled <> 1"),
              0);
}

int RunTool(const QStringList& args, QString* output = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(QORVANE_BIN_DIR "/qorvane-db"), args);
    if (!p.waitForFinished(120000))
        return -1;
    if (output)
        *output = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

QByteArray Head(const QString& file, int n)
{
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.read(n) : QByteArray();
}

}  // namespace

TEST_F(DbTool, CreatesTheFourteenTablesWithTheirColumnsInOrder)
{
    const QString file = Path("qorvane.db");
    dbtool::CreateDatabase(file, QString(), false);
    Db db(file);
    QStringList names = db.Column("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name");
    QStringList expected;
    for (const auto& [table, columns] : ExpectedTables())
        expected << table;
    expected.sort();
    EXPECT_EQ(names, expected);
    for (const auto& [table, columns] : ExpectedTables()) {
        auto rs = db.Rows("SELECT * FROM " + table);
        QStringList got;
        for (int i = 0; i < rs->ColumnCount(); ++i)
            got << rs->Column(i).Name + ' ' + rs->Column(i).DeclType;
        EXPECT_EQ(got, columns) << table.toStdString();
    }
    // A fresh installation has the seed rows only.
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM REF_MEMBERS"), 0);
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM OBJ_SESSIONS"), 0);
}

TEST_F(DbTool, SeedHoldsVoteTypesAndTheParametersTheProgramReads)
{
    const QString file = Path("qorvane.db");
    dbtool::CreateDatabase(file, QString(), false);
    Db db(file);
    EXPECT_EQ(db.Column("SELECT name FROM REF_VOTE_TYPES WHERE id = 0"), QStringList{"Не голосовал"});
    EXPECT_GE(db.Count("SELECT COUNT(*) FROM REF_VOTE_TYPES"), 3);

    const QStringList keys = db.Column("SELECT name FROM SYS_PARAMETERS");
    for (const char* k : {"predsedatel_name", "secretar_name", "pay_reglament", "gen_director", "zam_gen_director"})
        EXPECT_TRUE(keys.contains(QString::fromUtf8(k))) << k;

    // Every row gets an editor in the parameters dialog, and each category
    // one tab: rows of a category follow each other in the order of ord.
    const std::set<QString> kinds = {"string", "integer", "float", "multistring", "multistring5", "multistring8",
                                     "boolean"};
    auto rs = db.Rows("SELECT category, type, caption FROM SYS_PARAMETERS ORDER BY ord ASC, category ASC");
    ASSERT_GT(rs->RowCount(), 5);
    QStringList runs;
    for (qsizetype r = 0; r < rs->RowCount(); ++r) {
        EXPECT_TRUE(kinds.count(rs->Text(r, 1))) << rs->Text(r, 1).toStdString();
        EXPECT_FALSE(rs->Text(r, 0).trimmed().isEmpty());
        EXPECT_FALSE(rs->Text(r, 2).trimmed().isEmpty());
        if (runs.isEmpty() || runs.last() != rs->Text(r, 0))
            runs << rs->Text(r, 0);
    }
    EXPECT_EQ(runs.size(), QSet<QString>(runs.begin(), runs.end()).size()) << runs.join(',').toStdString();
    EXPECT_FALSE(db.Column("SELECT val FROM SYS_PARAMETERS WHERE name = 'pay_reglament'").value(0).isEmpty());
}

// Texts stay texts: a memo or a parameter that looks like a number must
// come back exactly as written.
TEST_F(DbTool, TextColumnsKeepNumberLikeTexts)
{
    const QString file = Path("qorvane.db");
    dbtool::CreateDatabase(file, QString(), false);
    Db db(file);
    const QString key = dbtool::NewKey();
    db.conn.Execute("INSERT INTO OBJ_QUESTIONS (id, question, information) VALUES ('" + key + "', '007', '1.50')");
    db.conn.Execute("UPDATE SYS_PARAMETERS SET val='0012' WHERE name='company_inn'");
    db.conn.Execute("INSERT INTO REF_MEMBERS (id, inn, share) VALUES ('" + dbtool::NewKey() + "', '0035', '1e3')");
    EXPECT_EQ(db.Column("SELECT question FROM OBJ_QUESTIONS"), QStringList{"007"});
    EXPECT_EQ(db.Column("SELECT information FROM OBJ_QUESTIONS"), QStringList{"1.50"});
    EXPECT_EQ(db.Column("SELECT val FROM SYS_PARAMETERS WHERE name='company_inn'"), QStringList{"0012"});
    EXPECT_EQ(db.Column("SELECT inn FROM REF_MEMBERS"), QStringList{"0035"});
    EXPECT_EQ(db.Column("SELECT share FROM REF_MEMBERS"), QStringList{"1e3"});
}

TEST_F(DbTool, PasswordEncryptsTheFileAndOnlyTheKeyOpensIt)
{
    const QString plain = Path("plain.db"), locked = Path("locked.db");
    dbtool::CreateDatabase(plain, QString(), false);
    dbtool::CreateDatabase(locked, QStringLiteral("Секрет 1"), true);
    EXPECT_EQ(Head(plain, 16), QByteArray("SQLite format 3\0", 16));
    EXPECT_NE(Head(locked, 16), QByteArray("SQLite format 3\0", 16));

    for (const QString& wrong : {QString(), QStringLiteral("секрет 1"), QStringLiteral("Секрет")}) {
        TADOConnection c;
        c.SetLoginPrompt(false);
        c.SetConnectionString(dbtool::ConnectionString(locked, wrong));
        EXPECT_THROW(c.Open(), EDatabaseError) << wrong.toStdString();
        EXPECT_FALSE(c.Connected());
    }
    Db db(locked, QStringLiteral("Секрет 1"));
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM OBJ_SESSIONS"), 6);
}

TEST_F(DbTool, RefusesAnExistingFileAndLeavesNothingBehindOnFailure)
{
    const QString file = Path("qorvane.db");
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the user's data");
    }
    for (bool demo : {false, true})
        EXPECT_THROW(dbtool::CreateDatabase(file, QString(), demo), dbtool::EDbToolError);
    EXPECT_THROW(dbtool::CreateBenchDatabase(file, QString(), {}), dbtool::EDbToolError);
    EXPECT_EQ(Head(file, 100), QByteArray("the user's data"));

    // A folder that does not exist, and a password the login could never
    // pass on: a clear error and no file.
    EXPECT_THROW(dbtool::CreateDatabase(Path("no/such/folder/q.db"), QString(), false), dbtool::EDbToolError);
    EXPECT_THROW(dbtool::CreateDatabase(dir.path(), QString(), false), dbtool::EDbToolError);
    EXPECT_THROW(dbtool::CreateDatabase(Path("semi.db"), QStringLiteral("x;y=z"), false), dbtool::EDbToolError);
    EXPECT_FALSE(QFile::exists(Path("semi.db")));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList{"qorvane.db"});
}

TEST_F(DbTool, CommandLineCreatesRefusesAndReportsUsage)
{
    const QString file = Path("cli.db");
    QString out;
    EXPECT_EQ(RunTool({"create", file, "--demo", "--password", "pw"}, &out), 0) << out.toStdString();
    EXPECT_TRUE(QFile::exists(file));
    const QByteArray before = Head(file, 1 << 20);

    EXPECT_EQ(RunTool({"create", file}, &out), 1);
    EXPECT_TRUE(out.contains(file)) << out.toStdString();
    EXPECT_EQ(Head(file, 1 << 20), before);

    struct Case {
        QStringList args;
    };
    const Case usage[] = {
        {{}},
        {{"create"}},
        {{"drop", file}},
        {{"create", Path("x.db"), "--sessions", "5"}},
        {{"create", Path("x.db"), "--password"}},
        {{"create", Path("x.db"), "--password="}},
        {{"bench-data", Path("x.db"), "--votes", "-1"}},
        {{"bench-data", Path("x.db"), "--members", "0"}},
        {{"bench-data", Path("x.db"), "--members", "many"}},
        {{"create", Path("x.db"), Path("y.db")}},
    };
    for (const Case& c : usage)
        EXPECT_EQ(RunTool(c.args), 2) << c.args.join(' ').toStdString();
    EXPECT_FALSE(QFile::exists(Path("x.db")));

    Db db(file, QStringLiteral("pw"));
    EXPECT_GT(db.Count("SELECT COUNT(*) FROM REF_MEMBERS"), 0);
}

TEST_F(DbTool, DemoBoardIsConsistentAndBelievable)
{
    const QString file = Path("demo.db");
    dbtool::CreateDatabase(file, QString(), true);
    Db db(file);
    ExpectConsistent(db);

    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM REF_MEMBERS WHERE enabled = 0"), 1);
    EXPECT_GE(db.Count("SELECT COUNT(*) FROM REF_MEMBERS WHERE enabled = 1"), 7);
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM REF_PLACES"), 3);
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM REF_FORMS WHERE comment IS NOT NULL AND comment <> ''"), 3);
    EXPECT_GT(db.Count("SELECT COUNT(*) FROM REF_POSTS"), 0);
    EXPECT_GT(db.Count("SELECT COUNT(*) FROM REF_OTHER_MANAGEMENT"), 0);
    EXPECT_GE(db.Count("SELECT COUNT(*) FROM OBJ_QUESTIONS"), 8);
    EXPECT_GE(db.Count("SELECT COUNT(*) FROM OBJ_DECISIONS"), 10);
    EXPECT_GT(db.Count("SELECT COUNT(*) FROM OBJ_PAYMENTS"), 0);

    // Sessions numbered 1..n in date order, signed by the parameters' names,
    // with the count of enabled members.
    auto rs = db.Rows("SELECT pnumber, pdate, signname1, signname2, memberscount FROM OBJ_SESSIONS ORDER BY pnumber");
    ASSERT_GE(rs->RowCount(), 5);
    const QString chairman = db.Column("SELECT val FROM SYS_PARAMETERS WHERE name='predsedatel_name'").value(0);
    const QString secretary = db.Column("SELECT val FROM SYS_PARAMETERS WHERE name='secretar_name'").value(0);
    EXPECT_FALSE(chairman.isEmpty());
    const qint64 enabled = db.Count("SELECT COUNT(*) FROM REF_MEMBERS WHERE enabled = 1");
    for (qsizetype r = 0; r < rs->RowCount(); ++r) {
        EXPECT_EQ(rs->Value(r, 0).toInt(), r + 1);
        if (r > 0) {
            EXPECT_GT(rs->Value(r, 1).toDouble(), rs->Value(r - 1, 1).toDouble());
        }
        EXPECT_EQ(rs->Text(r, 2), chairman);
        EXPECT_EQ(rs->Text(r, 3), secretary);
        EXPECT_EQ(rs->Value(r, 4).toLongLong(), enabled);
    }
    // Every participant has voted (or not yet) on every decision of his
    // session, and the votes are not all alike.
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM LNK_SESSIONS_MEMBERS p INNER JOIN LNK_SESSIONS_DECISIONS l "
                       "ON l.id_session = p.id_session"),
              db.Count("SELECT COUNT(*) FROM LNK_DECISIONS_MEMBERS"));
    EXPECT_EQ(db.Count("SELECT COUNT(DISTINCT vote) FROM LNK_DECISIONS_MEMBERS"), 4);
    // Every decision goes to a session; some sessions are paid, not all.
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM OBJ_DECISIONS d WHERE NOT EXISTS "
                       "(SELECT 1 FROM LNK_SESSIONS_DECISIONS l WHERE l.id_decision = d.id)"),
              0);
    const qint64 paid = db.Count("SELECT COUNT(DISTINCT id_session) FROM OBJ_PAYMENTS");
    EXPECT_GT(paid, 0);
    EXPECT_LT(paid, rs->RowCount());
}

// The declared storage forms give the field classes the program declares
// (opened with default fields, as a dataset without persistent fields does),
// and the demonstration rows read back as dates, yes/no values and texts.
TEST_F(DbTool, StorageFormsGiveTheProgramsFieldClasses)
{
    const QString file = Path("demo.db");
    dbtool::CreateDatabase(file, QString(), true);
    Db db(file);
    auto fieldClass = [](const QString& decl) -> QString {
        if (decl.startsWith("CHAR") || decl.startsWith("VARCHAR"))
            return "TWideStringField";
        static const std::map<QString, QString> byDecl = {{"MEMO TEXT", "TMemoField"},
                                                          {"DATETIME", "TDateTimeField"},
                                                          {"INTEGER", "TIntegerField"},
                                                          {"SMALLINT", "TSmallintField"},
                                                          {"BOOLEAN", "TBooleanField"}};
        return byDecl.at(decl);
    };
    for (const auto& [table, columns] : ExpectedTables()) {
        TADOTable t;
        t.SetConnection(&db.conn);
        t.SetTableName(table);
        t.Open();
        ASSERT_EQ(t.FieldCount(), columns.size()) << table.toStdString();
        for (int i = 0; i < t.FieldCount(); ++i) {
            const QString decl = columns[i].section(' ', 1);
            EXPECT_EQ(t.Fields(i)->ClassName(), fieldClass(decl)) << table.toStdString() << "." << columns[i].toStdString();
        }
    }
    TADOTable members;
    members.SetConnection(&db.conn);
    members.SetTableName("REF_MEMBERS");
    members.Open();
    ASSERT_TRUE(members.Locate("fullname", QStringLiteral("Федоров Алексей Юрьевич")));
    EXPECT_FALSE(members.FieldByName("enabled")->AsBoolean());
    EXPECT_EQ(DateToStr(members.FieldByName("birthday")->AsDateTime()), QStringLiteral("30.05.1958"));
    EXPECT_TRUE(members.FieldByName("paymentinfo")->AsString().contains("\r\n"));
    EXPECT_EQ(members.FieldByName("id")->AsString().size(), 38);
}

// A question a decision refers to cannot be deleted; once the decision is
// gone, it can. Other deletions are never refused.
TEST_F(DbTool, DeletingAReferencedQuestionIsRefused)
{
    const QString file = Path("demo.db");
    dbtool::CreateDatabase(file, QString(), true);
    Db db(file);
    const QString question = db.Column("SELECT id_question FROM OBJ_DECISIONS").value(0);
    EXPECT_THROW(db.conn.Execute("DELETE FROM OBJ_QUESTIONS WHERE id='" + question + "'"), EDatabaseError);
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM OBJ_QUESTIONS WHERE id='" + question + "'"), 1);

    db.conn.Execute("DELETE FROM OBJ_DECISIONS WHERE id_question='" + question + "'");
    db.conn.Execute("DELETE FROM OBJ_QUESTIONS WHERE id='" + question + "'");
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM OBJ_QUESTIONS WHERE id='" + question + "'"), 0);

    for (const char* table : {"REF_MEMBERS", "OBJ_SESSIONS", "REF_PLACES", "REF_FORMS", "OBJ_DECISIONS"}) {
        db.conn.Execute(QStringLiteral("DELETE FROM ") + table);
        EXPECT_EQ(db.Count(QStringLiteral("SELECT COUNT(*) FROM ") + table), 0) << table;
    }
}

TEST_F(DbTool, BenchDataHasTheAskedSizesAndHoldsTogether)
{
    struct Case {
        qint64 sessions, votes, members;
    };
    // Uneven shares, more votes than members can give in pairs, no votes,
    // no sessions.
    const Case cases[] = {{40, 333, 7}, {3, 100, 4}, {5, 0, 3}, {0, 50, 2}};
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(n);
        const QString file = Path(QStringLiteral("bench%1.db").arg(n++));
        dbtool::BenchOptions o;
        o.Sessions = c.sessions;
        o.Votes = c.votes;
        o.Members = c.members;
        const dbtool::BenchCounts counts = dbtool::CreateBenchDatabase(file, QString(), o);
        Db db(file);
        EXPECT_EQ(db.Count("SELECT COUNT(*) FROM OBJ_SESSIONS"), c.sessions);
        EXPECT_EQ(db.Count("SELECT COUNT(*) FROM REF_MEMBERS"), c.members);
        EXPECT_EQ(db.Count("SELECT COUNT(*) FROM LNK_DECISIONS_MEMBERS"), c.sessions ? c.votes : 0);
        EXPECT_EQ(counts.Votes, c.sessions ? c.votes : 0);
        EXPECT_EQ(counts.Participants, db.Count("SELECT COUNT(*) FROM LNK_SESSIONS_MEMBERS"));
        EXPECT_EQ(db.Count("SELECT MAX(pnumber) FROM OBJ_SESSIONS"), c.sessions);
        ExpectConsistent(db);
        // The indexes are there, made after the rows.
        EXPECT_GE(db.Count("SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND name LIKE 'LNK%'"), 6);
    }
}

TEST_F(DbTool, BoardDataGivesEveryParticipantAVoteOnEveryDecisionAndAPayment)
{
    const QString file = Path(QStringLiteral("board.db"));
    dbtool::BenchOptions o;
    o.Sessions = 6;
    o.Members = 5;
    o.Questions = 3;
    o.Decisions = 2;
    const dbtool::BenchCounts counts = dbtool::CreateBenchDatabase(file, QString(), o);
    Db db(file);
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM OBJ_QUESTIONS"), 6 * 3);
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM OBJ_DECISIONS"), 6 * 3 * 2);
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM LNK_SESSIONS_MEMBERS"), 6 * 5);
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM LNK_DECISIONS_MEMBERS"), 6 * 5 * 3 * 2);
    EXPECT_EQ(db.Count("SELECT COUNT(*) FROM OBJ_PAYMENTS"), 6 * 5);
    EXPECT_EQ(counts.Votes, 6 * 5 * 3 * 2);
    EXPECT_EQ(counts.Questions, 6 * 3);
    ExpectConsistent(db);
}
