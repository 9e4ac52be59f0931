// The data module over the large benchmark database (the file qorvane-bench
// makes): what a user waits for in the sessions dialog and the votes grid.
//   opening every dataset as the login does
//   a page of 30 vote rows read as the grid reads them (calculated question and
//     decision texts, the vote's lookup), a fresh page each run
//   moving to another participant (the vote filter of the record rules and its requery)
// Medians of the runs are printed.
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "data/unDM.h"
#include "dbtool/DbBuilder.h"

namespace {

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double Ms(QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

}  // namespace

int main()
{
    const QByteArray env = qgetenv("QORVANE_BENCH_DB");
    const dbtool::BenchOptions o;
    const QString file = !env.isEmpty() ? QString::fromLocal8Bit(env)
                                        : QStringLiteral("/tmp/qorvane-bench-%1s-%2v-%3m.db")
                                              .arg(o.Sessions).arg(o.Votes).arg(o.Members);
    if (!QFile::exists(file)) {
        std::fprintf(stderr, "bench: %s is missing; run qorvane-bench first (it makes the file)\n", qPrintable(file));
        return 1;
    }
    try {
        TDM dm;
        DM = &dm;
        dm.adoConnection->SetConnectionString(dbtool::ConnectionString(file, QString()));
        QElapsedTimer t;
        t.start();
        dm.adoConnection->Open();
        for (int i = dm.ComponentCount() - 1; i >= 0; --i)
            if (auto* ds = dynamic_cast<TCustomADODataSet*>(dm.Components(i))) ds->Open();
        std::printf("%-52s %10.1f ms\n", "open every dataset (login)", Ms(t));

        TADOTable* votes = dm.adoLnkDecisionsMembers;
        votes->SetFiltered(false);
        TField* q = votes->FieldByName(QStringLiteral("question"));
        TField* d = votes->FieldByName(QStringLiteral("decision"));
        TField* v = votes->FieldByName(QStringLiteral("vvote"));
        std::vector<double> page;
        for (int run = 0; run < 15; ++run) {
            const int first = run * 30000;   // a page never read before
            t.restart();
            for (int r = first; r < first + 30; ++r) {
                votes->GetFieldText(r, q);
                votes->GetFieldText(r, d);
                votes->GetFieldText(r, v);
            }
            page.push_back(Ms(t));
        }
        std::printf("%-52s %10.3f ms (of %d rows)\n", "votes grid page, 30 rows, calculated columns", Median(page),
                    votes->RecordCount());

        // A session with participants: move from one to the next.
        TADOTable* people = dm.adoLnkSessionsMembers;
        dm.adoObjSessions->First();
        people->SetFilter(QStringLiteral("id_session = '") + dm.adoObjSessions->FieldByName(QStringLiteral("id"))->AsString() +
                          QStringLiteral("'"));
        people->SetFiltered(true);
        std::vector<double> scroll;
        for (int run = 0; run < 15 && people->RecordCount() > 1; ++run) {
            t.restart();
            run % 2 ? people->First() : people->Last();
            scroll.push_back(Ms(t));
        }
        std::printf("%-52s %10.3f ms (%d votes shown)\n", "next participant (vote filter + requery)", Median(scroll),
                    votes->RecordCount());
    } catch (const Exception& e) {
        std::fprintf(stderr, "bench: %s\n", e.what());
        return 1;
    }
    return 0;
}
