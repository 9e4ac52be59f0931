// Writes killed at random moments: a child process repeats a write (a session
// edit through the data module inside its transaction, a password change, a
// settings-file write) and is killed with SIGKILL after a random delay; the
// files must then hold the state before or after a whole write, never a part.
// 50 kills per case; how the kills fell (a journal or a temporary file left
// behind, the password the file was left with) is printed.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <csignal>
#include <random>
#include <thread>

#include "KillChild.h"
#include "dbtool/DbBuilder.h"
#include "platform/ado/ADOConnection.h"
#include "platform/ado/Recordset.h"
#include "platform/os/IniFiles.h"

namespace {

constexpr int Kills = 50;
QString S(const char* s) { return QString::fromUtf8(s); }

class KillTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    std::mt19937 Random{20240601};

    // Starts the writer, waits until it has opened its file, lets it write
    // for a random time up to MaxMicros and kills it.
    void RunAndKill(const QStringList& args, int maxMicros)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        p.start(QStringLiteral(QORVANE_KILLCHILD), args);
        ASSERT_TRUE(p.waitForStarted(30000));
        QByteArray out;
        while (!out.contains("ready\n")) {
            ASSERT_TRUE(p.waitForReadyRead(60000)) << "the writer stopped: " << out.constData();
            out += p.readAllStandardOutput();
        }
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, maxMicros)(Random)));
        ::kill(pid_t(p.processId()), SIGKILL);
        ASSERT_TRUE(p.waitForFinished(30000));
        ASSERT_EQ(p.exitStatus(), QProcess::CrashExit) << "the writer ended by itself";
    }

    static QString Connection(const QString& file, const QString& password)
    {
        return dbtool::ConnectionString(file, password);
    }

    static QString IntegrityCheck(TADOConnection& c)
    {
        return c.Execute(S("PRAGMA integrity_check"))->Text(0, 0);
    }
};

// ------------------------------------------------------------ session edit

TEST_F(KillTest, SessionEditIsWholeOrAbsent)
{
    const QString demo = Dir.filePath(S("demo.db")), file = Dir.filePath(S("qorvane.db"));
    dbtool::CreateDatabase(demo, QString(), true);
    QString session;
    int decisions = 0, pnumber = 0;
    {
        TADOConnection c;
        c.SetConnectionString(Connection(demo, QString()));
        c.Open();
        auto rs = c.Execute(S("SELECT s.id, s.pnumber, COUNT(*) FROM OBJ_SESSIONS s INNER JOIN LNK_SESSIONS_DECISIONS l "
                              "ON l.id_session = s.id GROUP BY s.id, s.pnumber ORDER BY COUNT(*) DESC"));
        ASSERT_GT(rs->RowCount(), 0);
        session = rs->Text(0, 0);
        pnumber = rs->Text(0, 1).toInt();
        decisions = rs->Text(0, 2).toInt();
    }
    int interrupted = 0, edits = 0;
    for (int kill = 0; kill < Kills; ++kill) {
        QFile::remove(file);
        ASSERT_TRUE(QFile::copy(demo, file));
        RunAndKill({S("session"), file, session}, 60000);
        if (QFile::exists(file + S("-journal")) && QFileInfo(file + S("-journal")).size() > 0) ++interrupted;

        TADOConnection c;
        c.SetConnectionString(Connection(file, QString()));
        c.Open();
        ASSERT_EQ(IntegrityCheck(c), S("ok")) << "kill " << kill;
        // The members the edits made, each with his participation, a vote of
        // 1 on every decision of the session and his payment.
        auto members = c.Execute(S("SELECT id, fullname FROM REF_MEMBERS WHERE fullname LIKE 'kill %'"));
        const int n = int(members->RowCount());
        std::vector<bool> seen(size_t(n) + 1, false);
        for (qsizetype r = 0; r < members->RowCount(); ++r) {
            const QString id = members->Text(r, 0);
            const int pass = members->Text(r, 1).mid(5).toInt();
            ASSERT_TRUE(pass >= 1 && pass <= n && !seen[size_t(pass)]) << "kill " << kill << ": " << pass << " of " << n;
            seen[size_t(pass)] = true;
            const QString m = SqlQuote(id), s = SqlQuote(session);
            auto count = [&](const QString& sql) { return c.Execute(sql)->Text(0, 0).toInt(); };
            EXPECT_EQ(count(S("SELECT COUNT(*) FROM LNK_SESSIONS_MEMBERS WHERE id_member = ") + m +
                            S(" AND id_session = ") + s), 1) << "kill " << kill;
            EXPECT_EQ(count(S("SELECT COUNT(*) FROM LNK_DECISIONS_MEMBERS WHERE vote = 1 AND id_member = ") + m),
                      decisions) << "kill " << kill;
            EXPECT_EQ(count(S("SELECT COUNT(*) FROM LNK_DECISIONS_MEMBERS WHERE vote <> 1 AND id_member = ") + m), 0);
            EXPECT_EQ(count(S("SELECT COUNT(*) FROM OBJ_PAYMENTS WHERE id_member = ") + m + S(" AND id_session = ") +
                            s + S(" AND suma = ") + QString::number(pass)), 1) << "kill " << kill;
        }
        // The session's number is the number of the last whole edit.
        EXPECT_EQ(c.Execute(S("SELECT pnumber FROM OBJ_SESSIONS WHERE id = ") + SqlQuote(session))->Text(0, 0).toInt(),
                  n == 0 ? pnumber : n) << "kill " << kill;
        edits += n;
    }
    std::printf("[ figures  ] session edit: %d kills, %d left a journal, %d whole edits found\n", Kills, interrupted,
                edits);
}

// ------------------------------------------------------------ password change

class PasswordKill : public KillTest, public ::testing::WithParamInterface<std::pair<const char*, const char*>> {};

TEST_P(PasswordKill, FileOpensWithTheOldOrTheNewPassword)
{
    const QString a = S(GetParam().first), b = S(GetParam().second);
    const QString demo = Dir.filePath(S("demo.db")), file = Dir.filePath(S("qorvane.db"));
    dbtool::CreateDatabase(demo, a, true);
    int members = 0;
    {
        TADOConnection c;
        c.SetConnectionString(Connection(demo, a));
        c.Open();
        members = c.Execute(S("SELECT COUNT(*) FROM REF_MEMBERS"))->Text(0, 0).toInt();
    }
    int changed = 0;
    QString current = a;   // the password the file has now
    ASSERT_TRUE(QFile::copy(demo, file));
    for (int kill = 0; kill < Kills; ++kill) {
        // Each round goes on from the file the last one left.
        const QString other = current == a ? b : a;
        RunAndKill({S("password"), file, current, other}, a.isEmpty() ? 400000 : 150000);

        QStringList opens;
        for (const QString& pwd : {current, other}) {
            TADOConnection c;
            c.SetConnectionString(Connection(file, pwd));
            try {
                c.Open();
                ASSERT_EQ(IntegrityCheck(c), S("ok")) << "kill " << kill;
                ASSERT_EQ(c.Execute(S("SELECT COUNT(*) FROM REF_MEMBERS"))->Text(0, 0).toInt(), members);
                opens << pwd;
            } catch (const EDatabaseError&) {
            }
        }
        ASSERT_EQ(opens.size(), 1) << "kill " << kill << ": the file opens with " << opens.size() << " passwords";
        if (opens[0] != current) ++changed;
        current = opens[0];
    }
    std::printf("[ figures  ] password %s <-> %s: %d kills, the file then opened %d times with the password "
                "before the change and %d times with the one after it\n",
                a.isEmpty() ? "none" : "set", b.isEmpty() ? "none" : "set", Kills, Kills - changed, changed);
    // The next change removes what an interrupted one left beside the file.
    TADOConnection c;
    c.SetConnectionString(KillExclusiveConnectionString(file, current));
    c.Open();
    c.ChangePassword(current == a ? b : a, current);
    EXPECT_EQ(QDir(Dir.path()).entryList({S("qorvane.db.*")}, QDir::Files), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Kinds, PasswordKill,
                         ::testing::Values(std::make_pair("", "секрет"), std::make_pair("первый", "второй")),
                         [](const auto& info) { return info.index == 0 ? std::string("NoneAndSet") : std::string("SetAndSet"); });

// ------------------------------------------------------------ settings file

TEST_F(KillTest, SettingsFileIsTheOldOrTheNew)
{
    const QString file = Dir.filePath(S("qorvane.ini"));
    {
        TIniFile ini(file);
        ini.WriteString(S("Main"), S("Left"), S("10"));
        ini.WriteString(S("Main"), S("Caption"), S("Секретарь совета"));
        ini.WriteString(S("Kill"), S("Value"), KillSettingsValue(0));
        ini.WriteString(S("Zeta"), S("Last"), S("end"));
    }
    int interrupted = 0, writes = 0;
    for (int kill = 0; kill < Kills; ++kill) {
        TIniFile(file).WriteString(S("Kill"), S("Value"), KillSettingsValue(0));
        const QStringList before = QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden);
        RunAndKill({S("settings"), file}, 20000);
        if (QDir(Dir.path()).entryList(QDir::Files | QDir::Hidden).size() > before.size()) ++interrupted;

        TIniFile ini(file);
        EXPECT_EQ(ini.ReadString(S("Main"), S("Left"), QString()), S("10"));
        EXPECT_EQ(ini.ReadString(S("Main"), S("Caption"), QString()), S("Секретарь совета"));
        EXPECT_EQ(ini.ReadString(S("Zeta"), S("Last"), QString()), S("end"));
        const QString v = ini.ReadString(S("Kill"), S("Value"), QString());
        const int n = v.section(QLatin1Char(' '), 1, 1).toInt();
        ASSERT_EQ(v, KillSettingsValue(n)) << "kill " << kill << ": a torn value";
        writes += n;   // the writes of this round that were whole
    }
    std::printf("[ figures  ] settings file: %d kills, %d left a temporary file, %d whole writes found\n", Kills,
                interrupted, writes);
}

}   // namespace
