// Dataset operations on a large database, each timed against the same SELECT
// run by the sqlcipher shell in the same run:
//   open a TADOTable on OBJ_SESSIONS and on LNK_DECISIONS_MEMBERS  (goal: within 3x the shell's SELECT *)
//   Sort on one column
//   the vote filter of the record rules, set and applied (and with its requery)
//   Locate by id                                                    (goal: under 1 ms)
//   walking 100,000 records, reading a calculated field for the first 50 only
//
// The database is made once by the tool's generator (100,000 sessions,
// 1,000,000 votes, 1,000 members) in /tmp and reused by later runs;
// QORVANE_BENCH_DB names another file. Every benchmark prints the median of its
// own iterations, the median of the shell's runs and their ratio; a table of
// them follows at the end.
#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "dbtool/DbBuilder.h"
#include "platform/ado/ADOConnection.h"
#include "platform/ado/ADODB.h"
#include "platform/core/DateTime.h"
#include "platform/db/DB.h"

namespace {

dbtool::BenchOptions Sizes()
{
    return dbtool::BenchOptions{};   // 100,000 sessions, 1,000,000 votes, 1,000 members
}

QString DbFile()
{
    const QByteArray env = qgetenv("QORVANE_BENCH_DB");
    if (!env.isEmpty())
        return QString::fromLocal8Bit(env);
    const dbtool::BenchOptions o = Sizes();
    return QStringLiteral("/tmp/qorvane-bench-%1s-%2v-%3m.db").arg(o.Sessions).arg(o.Votes).arg(o.Members);
}

double Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Milliseconds of one run of the shell printing the statement's rows to /dev/null.
double ShellRunMs(const QString& file, const QString& sql)
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("sqlcipher"), {file, sql});
    if (!p.waitForFinished(600000) || p.exitCode() != 0) {
        std::fprintf(stderr, "sqlcipher failed on: %s\n%s\n", sql.toUtf8().constData(),
                     p.readAllStandardError().constData());
        return 0;
    }
    return double(t.nsecsElapsed()) / 1e6;
}

double ShellMedianMs(const QString& file, const QString& sql, int runs = 5)
{
    std::vector<double> v;
    for (int i = 0; i < runs; ++i)
        v.push_back(ShellRunMs(file, sql));
    return Median(v);
}

struct Result {
    double ours = 0, shell = 0;
    QString note;
};
// In the order the benchmarks ran.
std::vector<std::pair<std::string, Result>>& Results()
{
    static std::vector<std::pair<std::string, Result>> r;
    return r;
}

// The shared database: made once, opened once.
struct Bench {
    QString file;
    TADOConnection conn;
    QStringList sessionKeys;     // a sample of session keys
    QString participant, session;  // a participant row with its session, for the vote filter

    Bench()
    {
        file = DbFile();
        const dbtool::BenchOptions o = Sizes();
        if (!QFile::exists(file)) {
            std::fprintf(stderr, "Making %s ...\n", file.toUtf8().constData());
            QElapsedTimer t;
            t.start();
            const dbtool::BenchCounts c = dbtool::CreateBenchDatabase(file, QString(), o);
            std::fprintf(stderr, "  %lld sessions, %lld votes, %lld participants in %.1f s\n",
                         (long long)c.Sessions, (long long)c.Votes, (long long)c.Participants,
                         double(t.elapsed()) / 1000.0);
        }
        conn.SetLoginPrompt(false);
        conn.SetConnectionString(dbtool::ConnectionString(file, QString()));
        conn.Open();
        // A file left by an interrupted run holds fewer rows: say so rather
        // than time the wrong thing.
        const qint64 sessions = conn.Execute(QStringLiteral("SELECT COUNT(*) FROM OBJ_SESSIONS"))->Value(0, 0).toLongLong();
        const qint64 votes =
            conn.Execute(QStringLiteral("SELECT COUNT(*) FROM LNK_DECISIONS_MEMBERS"))->Value(0, 0).toLongLong();
        if (qgetenv("QORVANE_BENCH_DB").isEmpty() && (sessions != o.Sessions || votes != o.Votes))
            throw EDatabaseError(QStringLiteral("%1 holds %2 sessions and %3 votes instead of %4 and %5; delete it "
                                                "and run again")
                                     .arg(file)
                                     .arg(sessions)
                                     .arg(votes)
                                     .arg(o.Sessions)
                                     .arg(o.Votes));
        auto rs = conn.Execute(QStringLiteral("SELECT id FROM OBJ_SESSIONS"));
        QRandomGenerator rng(7);
        for (int i = 0; i < 1000 && rs->RowCount() > 0; ++i)
            sessionKeys << rs->Text(qsizetype(rng.bounded(int(rs->RowCount()))), 0);
        auto p = conn.Execute(QStringLiteral(
            "SELECT id_member, id_session FROM LNK_SESSIONS_MEMBERS WHERE id_session IN "
            "(SELECT id_session FROM LNK_SESSIONS_DECISIONS)"));
        if (p->RowCount() > 0) {
            const qsizetype r = p->RowCount() / 2;
            participant = p->Text(r, 0);
            session = p->Text(r, 1);
        }
    }
    static Bench& Get()
    {
        static Bench b;
        return b;
    }
};

using Clock = std::chrono::steady_clock;
double MsSince(Clock::time_point t0)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// Reports the iteration times, the shell's reference and the ratio.
void Finish(benchmark::State& state, const char* name, const std::vector<double>& samples, const QString& shellSql)
{
    Bench& b = Bench::Get();
    Result r;
    r.ours = Median(samples);
    r.shell = ShellMedianMs(b.file, shellSql);
    state.counters["median_ms"] = r.ours;
    state.counters["shell_ms"] = r.shell;
    state.counters["ratio"] = r.shell > 0 ? r.ours / r.shell : 0;
    Results().emplace_back(name, r);
}

// Each iteration: timed body, manual time.
template <typename Body>
void Run(benchmark::State& state, std::vector<double>& samples, Body&& body)
{
    for (auto _ : state) {
        const auto t0 = Clock::now();
        body();
        const double ms = MsSince(t0);
        samples.push_back(ms);
        state.SetIterationTime(ms / 1000.0);
    }
}

void OpenTable(benchmark::State& state, const char* name, const QString& table)
{
    Bench& b = Bench::Get();
    TADOTable t;
    t.SetConnection(&b.conn);
    t.SetTableName(table);
    t.SetTableDirect(true);
    std::vector<double> samples;
    int rows = 0;
    Run(state, samples, [&] {
        t.Open();
        rows = t.RecordCount();
        t.Close();
    });
    state.counters["rows"] = rows;
    Finish(state, name, samples, QStringLiteral("SELECT * FROM ") + table);
}

void BM_OpenSessions(benchmark::State& state) { OpenTable(state, "open OBJ_SESSIONS", QStringLiteral("OBJ_SESSIONS")); }
void BM_OpenVotes(benchmark::State& state) { OpenTable(state, "open LNK_DECISIONS_MEMBERS", QStringLiteral("LNK_DECISIONS_MEMBERS")); }

// Sorting the open sessions table on one column, the way a click on a grid
// title does; each iteration sorts from the natural order.
void SortSessions(benchmark::State& state, const char* name, const QString& sort)
{
    Bench& b = Bench::Get();
    TADOTable t;
    t.SetConnection(&b.conn);
    t.SetTableName(QStringLiteral("OBJ_SESSIONS"));
    t.Open();
    std::vector<double> samples;
    for (auto _ : state) {
        t.SetSort(QString());
        t.First();
        const auto t0 = Clock::now();
        t.SetSort(sort);
        t.First();
        const double ms = MsSince(t0);
        samples.push_back(ms);
        state.SetIterationTime(ms / 1000.0);
    }
    Finish(state, name, samples, QStringLiteral("SELECT * FROM OBJ_SESSIONS ORDER BY ") + sort);
}

// A date column, and a text column (keys: case-insensitive text order).
void BM_SortSessionsByDate(benchmark::State& state)
{
    SortSessions(state, "sort OBJ_SESSIONS, pdate DESC", QStringLiteral("pdate DESC"));
}
void BM_SortSessionsByText(benchmark::State& state)
{
    SortSessions(state, "sort OBJ_SESSIONS, id ASC", QStringLiteral("id ASC"));
}

// The vote filter that follows the current participant: the session's
// decisions read with a temporary query, the filter text built from them,
// set and switched on over all vote rows.
QString VoteFilterText(Bench& b)
{
    TADOQuery q;
    q.SetConnection(&b.conn);
    q.SQL()->SetText(QStringLiteral("SELECT DISTINCT id_decision FROM LNK_SESSIONS_DECISIONS WHERE id_session=\"")
                     + b.session + QStringLiteral("\""));
    q.Open();
    QStringList d;
    for (q.First(); !q.Eof(); q.Next())
        d << q.FieldByName(QStringLiteral("id_decision"))->AsString();
    const QString m = b.participant;
    return QStringLiteral("(id_member = '") + m + QStringLiteral("' AND id_decision = '")
           + d.join(QStringLiteral("') OR (id_member = '") + m + QStringLiteral("' AND id_decision = '"))
           + QStringLiteral("')");
}

QString VoteShellSql(const QString& filter)
{
    return QStringLiteral("SELECT * FROM LNK_DECISIONS_MEMBERS WHERE ") + filter;
}

void BM_VoteFilter(benchmark::State& state)
{
    Bench& b = Bench::Get();
    TADOTable votes;
    votes.SetConnection(&b.conn);
    votes.SetTableName(QStringLiteral("LNK_DECISIONS_MEMBERS"));
    votes.Open();
    std::vector<double> samples;
    QString filter;
    int shown = 0;
    for (auto _ : state) {
        votes.SetFiltered(false);
        votes.SetFilter(QString());
        const auto t0 = Clock::now();
        filter = VoteFilterText(b);
        votes.SetFilter(filter);
        votes.SetFiltered(true);
        votes.First();
        shown = votes.RecordCount();
        const double ms = MsSince(t0);
        samples.push_back(ms);
        state.SetIterationTime(ms / 1000.0);
    }
    state.counters["rows"] = shown;
    Finish(state, "vote filter", samples, VoteShellSql(filter));
}

// The same, with the requery the rule ends with (all vote rows read again).
void BM_VoteFilterWithRequery(benchmark::State& state)
{
    Bench& b = Bench::Get();
    TADOTable votes;
    votes.SetConnection(&b.conn);
    votes.SetTableName(QStringLiteral("LNK_DECISIONS_MEMBERS"));
    votes.Open();
    std::vector<double> samples;
    QString filter;
    Run(state, samples, [&] {
        filter = VoteFilterText(b);
        votes.SetFilter(filter);
        votes.SetFiltered(true);
        votes.Requery();
        votes.RecordCount();   // as the grid showing the votes asks
    });
    state.counters["rows"] = votes.RecordCount();
    Finish(state, "vote filter with requery", samples, VoteShellSql(filter));
}

// Locate by key on the open sessions table. The first Locate of a field
// builds its index; it is reported apart.
void BM_LocateById(benchmark::State& state)
{
    Bench& b = Bench::Get();
    TADOTable t;
    t.SetConnection(&b.conn);
    t.SetTableName(QStringLiteral("OBJ_SESSIONS"));
    t.Open();
    auto t0 = Clock::now();
    const bool firstFound = t.Locate(QStringLiteral("id"), b.sessionKeys.value(0));
    const double firstMs = MsSince(t0);
    state.counters["first_ms"] = firstMs;
    std::vector<double> samples;
    int i = 0;
    bool allFound = firstFound;
    Run(state, samples, [&] {
        allFound = t.Locate(QStringLiteral("id"), b.sessionKeys[i++ % b.sessionKeys.size()]) && allFound;
    });
    if (!allFound)
        state.SkipWithError("Locate did not find a key");
    Finish(state, "locate by id", samples, QStringLiteral("SELECT * FROM OBJ_SESSIONS WHERE id='") + b.sessionKeys.value(0)
                               + QStringLiteral("'"));
    Result first = Results().back().second;
    first.ours = firstMs;
    Results().emplace_back("locate by id, first (index built)", first);
}

// Walking every session record (a report's or an export's loop) while a
// calculated field is read for the first 50 only: the other records must not
// pay for it.
void BM_WalkWithCalcField(benchmark::State& state)
{
    Bench& b = Bench::Get();
    TComponent owner;
    TADOTable t(&owner);
    t.SetConnection(&b.conn);
    t.SetTableName(QStringLiteral("OBJ_SESSIONS"));
    auto* id = new TGuidField(&owner);
    id->SetFieldName(QStringLiteral("id"));
    id->SetSize(38);
    id->SetDataSet(&t);
    auto* number = new TIntegerField(&owner);
    number->SetFieldName(QStringLiteral("pnumber"));
    number->SetDataSet(&t);
    auto* date = new TDateTimeField(&owner);
    date->SetFieldName(QStringLiteral("pdate"));
    date->SetDataSet(&t);
    auto* report = new TWideStringField(&owner);
    report->SetFieldName(QStringLiteral("reportfield"));
    report->SetSize(250);
    report->SetFieldKind(fkCalculated);
    report->SetDataSet(&t);
    int calcs = 0;
    t.OnCalcFields = [&](TDataSet*) {
        ++calcs;
        report->SetAsString(QStringLiteral("№") + number->AsString() + QStringLiteral(" от ")
                            + DateTimeToStr(date->AsDateTime()));
    };
    t.Open();
    std::vector<double> samples;
    int walked = 0;
    QString last;
    Run(state, samples, [&] {
        walked = 0;
        for (t.First(); !t.Eof() && walked < 100000; t.Next()) {
            if (walked < 50)
                last = report->AsString();
            ++walked;
        }
    });
    state.counters["records"] = walked;
    state.counters["calcs_per_walk"] = state.iterations() ? double(calcs) / double(state.iterations()) : 0;
    benchmark::DoNotOptimize(last);
    Finish(state, "walk 100000, calc for 50", samples, QStringLiteral("SELECT * FROM OBJ_SESSIONS LIMIT 100000"));
}

}  // namespace

BENCHMARK(BM_OpenSessions)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_OpenVotes)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SortSessionsByDate)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_SortSessionsByText)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_VoteFilter)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);
BENCHMARK(BM_VoteFilterWithRequery)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_LocateById)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(1000);
BENCHMARK(BM_WalkWithCalcField)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(7);

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    try {
        Bench::Get();
    } catch (const Exception& e) {
        std::fprintf(stderr, "bench: %s\n", e.what());
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    std::printf("\n%-34s %12s %12s %9s\n", "benchmark (medians)", "ours, ms", "shell, ms", "ratio");
    for (const auto& [name, r] : Results())
        std::printf("%-34s %12.4f %12.3f %9.4f\n", name.c_str(), r.ours, r.shell, r.shell > 0 ? r.ours / r.shell : 0.0);
    return 0;
}
