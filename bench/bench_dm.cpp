// The data module over the generated databases: what a user waits for at
// login and in the sessions dialog, each figure against the sqlcipher shell
// measured in the same run.
//   login: a fresh data module connects and opens every dataset as the main
//     window does; the shell runs the same statements (every dataset's
//     SELECT, printed to /dev/null) and, for reference, reads each table once.
//     Peak resident memory of the process during the first login is printed.
//   a page of 30 vote rows read as the grid reads them (calculated question
//     and decision texts, the vote's lookup), a fresh page each run
//   moving to another participant (the vote filter of the record rules and
//     its requery) against one shell run answering the same question through
//     the vote table's index (and the query's own time in the shell, found by
//     repeating it 200 times in one run)
// Every database runs twice, as a plain and as an encrypted file. The files
// are made by the tool's generator in /tmp on the first run and reused:
//   the large one: 100,000 sessions, 1,000,000 votes, 1,000 members
//   a realistic board: 15 members, 600 sessions, 10 questions a session,
//     2 decisions a question, every participant voting and paid
// QORVANE_BENCH_DB names a single plain file to use instead.
// Medians of the runs are printed.
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "data/unDM.h"
#include "bench/BenchCommon.h"
#include "dbtool/DbBuilder.h"

namespace {

const QString kPassword = QStringLiteral("bench");
using bench::Median;
using bench::Ms;

// Peak resident memory of this process in MB since the last reset.
double PeakMb() { return bench::StatusMb("VmHWM:"); }
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

struct Db {
    QString title, file, password;
    dbtool::BenchOptions sizes;
    int loginRuns;
};

// Milliseconds of one shell run of a script (its output thrown away).
double ShellMs(const Db& db, const QByteArray& script)
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("sqlcipher"), {db.file});
    const QByteArray key = db.password.isEmpty() ? QByteArray() : "PRAGMA key='" + db.password.toUtf8() + "';\n";
    p.write(key + script);
    p.closeWriteChannel();
    if (!p.waitForFinished(600000) || p.exitCode() != 0) {
        std::fprintf(stderr, "sqlcipher failed: %s\n", p.readAllStandardError().constData());
        return 0;
    }
    return Ms(t);
}

double ShellMedianMs(const Db& db, const QByteArray& script, int runs)
{
    std::vector<double> v;
    for (int i = 0; i < runs; ++i) v.push_back(ShellMs(db, script));
    return Median(v);
}

std::vector<TCustomADODataSet*> LoginDataSets(TDM& dm)
{
    // As the main window opens them: the data module's datasets, last made first.
    std::vector<TCustomADODataSet*> out;
    for (int i = dm.ComponentCount() - 1; i >= 0; --i)
        if (auto* ds = dynamic_cast<TCustomADODataSet*>(dm.Components(i))) out.push_back(ds);
    return out;
}

void Row(const char* what, double ours, double shell, const char* unit = "ms")
{
    if (shell > 0)
        std::printf("  %-58s %10.2f %s  shell %9.2f %s  ratio %6.3f\n", what, ours, unit, shell, unit, ours / shell);
    else
        std::printf("  %-58s %10.2f %s\n", what, ours, unit);
}

void Run(const Db& db)
{
    std::printf("%s: %s\n", qPrintable(db.title), qPrintable(db.file));
    std::fflush(stdout);
    // QORVANE_BENCH_DETAIL=1 prints what each dataset's opening costs at the first login.
    const bool detail = !qgetenv("QORVANE_BENCH_DETAIL").isEmpty();
    std::vector<double> login, connect;
    double peak = 0;
    QByteArray loginScript, tablesScript;
    for (int run = 0; run < db.loginRuns; ++run) {
        if (run == 0) ResetPeak();
        TDM dm;
        DM = &dm;
        dm.adoConnection->SetConnectionString(dbtool::ConnectionString(db.file, db.password));
        QElapsedTimer t;
        t.start();
        dm.adoConnection->Open();
        connect.push_back(Ms(t));
        for (TCustomADODataSet* ds : LoginDataSets(dm)) {
            QElapsedTimer one;
            one.start();
            ds->Open();
            if (run == 0 && detail) std::printf("    %-28s %8.2f ms\n", qPrintable(ds->Name()), Ms(one));
        }
        login.push_back(Ms(t));
        if (run == 0) {
            peak = PeakMb();
            QSet<QString> tables;
            for (TCustomADODataSet* ds : LoginDataSets(dm)) {
                if (auto* table = dynamic_cast<TADOTable*>(ds)) {
                    loginScript += "SELECT * FROM " + table->TableName().toUtf8() + ";\n";
                    tables.insert(table->TableName());
                } else {
                    // The shell has not our collation; its own case-blind one stands in.
                    QByteArray sql = dm.adoConnection->TranslateStatement(ds->CommandText())->Sql;
                    loginScript += sql.replace("jet_nocase", "NOCASE") + ";\n";
                }
            }
            for (const QString& name : tables) tablesScript += "SELECT * FROM " + name.toUtf8() + ";\n";
            tablesScript += "SELECT * FROM SYS_PARAMETERS;\nSELECT * FROM REF_VOTE_TYPES;\n";
        }
        DM = nullptr;
    }
    const int shellRuns = std::max(3, db.loginRuns / 3);
    const double shellLogin = ShellMedianMs(db, loginScript, shellRuns);
    const double shellTables = ShellMedianMs(db, tablesScript, shellRuns);
    Row("login: open every dataset (shell: the same statements)", Median(login), shellLogin);
    Row("login (shell: each table read once)", Median(login), shellTables);
    Row("  of it the connection (an encrypted file derives its key)", Median(connect), 0);
    Row("peak resident memory during the first login", peak, 0, "MB");

    TDM dm;
    DM = &dm;
    dm.adoConnection->SetConnectionString(dbtool::ConnectionString(db.file, db.password));
    dm.adoConnection->Open();
    for (TCustomADODataSet* ds : LoginDataSets(dm)) ds->Open();

    // A grid page of vote rows never read before, spread over the whole table.
    TADOTable* votes = dm.adoLnkDecisionsMembers;
    votes->SetFiltered(false);
    TField* q = votes->FieldByName(QStringLiteral("question"));
    TField* d = votes->FieldByName(QStringLiteral("decision"));
    TField* v = votes->FieldByName(QStringLiteral("vvote"));
    const int count = votes->RecordCount();
    std::vector<double> page;
    for (int run = 0; run < 15 && count > 0; ++run) {
        const int first = int((qint64(run) * 30011) % std::max(1, count - 30));
        QElapsedTimer t;
        t.start();
        for (int r = first; r < std::min(count, first + 30); ++r) {
            votes->GetFieldText(r, q);
            votes->GetFieldText(r, d);
            votes->GetFieldText(r, v);
        }
        page.push_back(Ms(t));
    }
    Row(qPrintable(QStringLiteral("votes grid page, 30 of %1 rows, calculated columns").arg(count)), Median(page), 0);

    // The first vote filter over the rows read makes the index the later ones use.
    {
        QElapsedTimer t;
        t.start();
        votes->SetFilter(QStringLiteral("id_member = '{00000000-0000-0000-0000-000000000000}'"));
        votes->SetFiltered(true);
        votes->RecordCount();
        Row("the first vote filter (makes its index)", Ms(t), 0);
    }

    // A session with participants: move from one to the next.
    TADOTable* people = dm.adoLnkSessionsMembers;
    TADOTable* sessions = dm.adoObjSessions;
    sessions->First();
    while (!sessions->Eof()) {
        const QString id = sessions->FieldByName(QStringLiteral("id"))->AsString();
        people->SetFilter(QStringLiteral("id_session = '") + id + QStringLiteral("'"));
        people->SetFiltered(true);
        if (people->RecordCount() > 1) break;
        sessions->Next();
    }
    // The votes are shown in a grid: a data source follows them, so the view
    // is made at once, and the grid reads the count and the first row.
    TDataSource shown;
    shown.SetDataSet(votes);
    std::vector<double> scroll;
    for (int run = 0; run < 15 && people->RecordCount() > 1; ++run) {
        QElapsedTimer t;
        t.start();
        run % 2 ? people->First() : people->Last();
        if (votes->RecordCount() > 0) votes->GetFieldText(0, v);
        scroll.push_back(Ms(t));
    }
    // A vote changed in the grid, then the next participant: the filter's
    // index follows the write instead of being made anew.
    // The votes changed are put back afterwards: the files are shared.
    std::vector<double> afterVote;
    std::vector<std::pair<QString, int>> changed;
    for (int run = 0; run < 7 && people->RecordCount() > 1 && votes->RecordCount() > 0; ++run) {
        votes->Edit();
        TField* vote = votes->FieldByName(QStringLiteral("vote"));
        changed.emplace_back(votes->FieldByName(QStringLiteral("id"))->AsString(), vote->AsInteger());
        vote->SetAsInteger(vote->AsInteger() % 3 + 1);
        votes->Post();
        QElapsedTimer t;
        t.start();
        run % 2 ? people->First() : people->Last();
        if (votes->RecordCount() > 0) votes->GetFieldText(0, v);
        afterVote.push_back(Ms(t));
    }
    for (auto it = changed.rbegin(); it != changed.rend(); ++it)
        dm.adoConnection->Execute(QStringLiteral("UPDATE LNK_DECISIONS_MEMBERS SET vote = %1 WHERE id = '%2'")
                                      .arg(it->second)
                                      .arg(it->first));

    // The shell answers the same question: the votes of the participant on the
    // session's decisions, through the index.
    const QByteArray query = "SELECT * FROM LNK_DECISIONS_MEMBERS WHERE id_member = '" +
                             people->FieldByName(QStringLiteral("id_member"))->AsString().toUtf8() +
                             "' AND id_decision IN (SELECT id_decision FROM LNK_SESSIONS_DECISIONS WHERE id_session = '" +
                             sessions->FieldByName(QStringLiteral("id"))->AsString().toUtf8() + "');\n";
    QByteArray many;
    for (int i = 0; i < 201; ++i) many += query;
    const double shellRun = ShellMedianMs(db, query, 7);
    const double shellQuery = std::max(0.0, (ShellMedianMs(db, many, 5) - shellRun) / 200);
    Row(qPrintable(QStringLiteral("next participant, vote filter + requery (%1 votes shown)").arg(votes->RecordCount())),
        Median(scroll), shellRun);
    if (!scroll.empty()) Row("  the first move of the run", scroll.front(), shellRun);
    Row("  (the shell's query alone, without its start)", shellQuery, 0);
    Row("next participant after a vote was changed", Median(afterVote), shellRun);
    Row("peak resident memory by now", PeakMb(), 0, "MB");
    DM = nullptr;
    std::fflush(stdout);
}

}  // namespace

int main()
{
    try {
        std::vector<Db> dbs;
        const QByteArray env = qgetenv("QORVANE_BENCH_DB");
        if (!env.isEmpty()) {
            dbs.push_back({QStringLiteral("the given database"), QString::fromLocal8Bit(env), QString(), {}, 7});
        } else {
            using bench::MakeFile;
            const dbtool::BenchOptions big = bench::Large(), board = bench::Board();
            const QString bigName = bench::LargeName(), boardName = bench::BoardName();
            const char* bigTitle = "100,000 sessions, 1,000,000 votes, 1,000 members";
            const char* boardTitle = "realistic board: 600 sessions, 180,000 votes, 15 members";
            dbs.push_back({QStringLiteral("%1, plain").arg(QLatin1String(boardTitle)),
                           MakeFile(boardName + QStringLiteral(".db"), QString(), board), QString(), board, 15});
            dbs.push_back({QStringLiteral("%1, encrypted").arg(QLatin1String(boardTitle)),
                           MakeFile(boardName + QStringLiteral("-enc.db"), kPassword, board), kPassword, board, 15});
            dbs.push_back({QStringLiteral("%1, plain").arg(QLatin1String(bigTitle)),
                           MakeFile(bigName + QStringLiteral(".db"), QString(), big), QString(), big, 7});
            dbs.push_back({QStringLiteral("%1, encrypted").arg(QLatin1String(bigTitle)),
                           MakeFile(bigName + QStringLiteral("-enc.db"), kPassword, big), kPassword, big, 7});
        }
        for (const Db& db : dbs) Run(db);
    } catch (const Exception& e) {
        std::fprintf(stderr, "bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
