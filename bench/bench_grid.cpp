// Painting one page of the register grid over the vote rows (1,000,000 with
// the default options) and scrolling 1,000 rows.
// Target: under 5 ms a page (median).
//   cmake -B build-x -DQORVANE_BENCH=ON && cmake --build build-x --target qorvane-bench-grid
#include <QApplication>
#include <QPainter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include "components/QvDBCtrl.h"
#include "dbtool/DbBuilder.h"
#include "platform/ado/ADODB.h"
#include "platform/ui/Forms.h"

namespace {

struct GridBench {
    QTemporaryDir dir;
    std::unique_ptr<TADOConnection> db;
    TForm* form = nullptr;
    TADOTable* votes = nullptr;
    TQvDBGrid* grid = nullptr;
    GridBench()
    {
        TApplication::EnsureQtApplication();
        const QString file = dir.filePath(QStringLiteral("bench.db"));
        dbtool::BenchOptions o;
        dbtool::CreateBenchDatabase(file, QString(), o);
        db = std::make_unique<TADOConnection>();
        db->SetConnectionString(dbtool::ConnectionString(file, QString()));
        db->Open();
        form = new TForm(Application);
        form->SetBounds(0, 0, 800, 600);
        votes = new TADOTable(form);
        votes->SetConnection(db.get());
        votes->SetTableName(QStringLiteral("LNK_DECISIONS_MEMBERS"));
        auto* src = new TDataSource(form);
        src->SetDataSet(votes);
        grid = new TQvDBGrid(form);
        grid->SetParent(form);
        grid->SetBounds(0, 0, 780, 560);
        grid->SetTitleButtons(true);
        grid->SetDataSource(src);
        grid->OnGetBtnParams = [](TObject*, TField* f, TFont*, TColor&, TSortMarker& m, bool) {
            m = f->FieldName() == QLatin1String("vote") ? smDown : smNone;
        };
        votes->Open();
        form->Show();
        QApplication::processEvents();
    }
};

GridBench& Bench()
{
    // Kept to the end of the run: it must not outlive the application object.
    static GridBench* b = new GridBench;
    return *b;
}

void BM_GridPaintPage(benchmark::State& state)
{
    GridBench& b = Bench();
    b.votes->First();
    b.votes->MoveBy(500000);
    QImage img(780, 560, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter p(&img);
        b.grid->PaintTo(&p, Rect(0, 0, img.width(), img.height()));
    }
    state.counters["rows"] = b.votes->RecordCount();
    state.counters["pageRows"] = b.grid->DataLink()->RecordCount();
    state.counters["cols"] = b.grid->Columns()->Count();
}
BENCHMARK(BM_GridPaintPage)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_GridScroll1000Rows(benchmark::State& state)
{
    GridBench& b = Bench();
    QImage img(780, 560, QImage::Format_RGB32);
    b.votes->First();
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            b.grid->SimulateKeyDown(VK_DOWN);
        }
        QPainter p(&img);
        b.grid->PaintTo(&p, Rect(0, 0, img.width(), img.height()));
        state.PauseTiming();
        b.votes->First();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_GridScroll1000Rows)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
