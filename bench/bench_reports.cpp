// Document generation from the command to the finished document, with the
// reports the installation ships, on a board of 15 members that met 1,000
// times with 10 questions of 2 draft decisions each (20 decisions a session,
// every member present and voting, every participant paid):
//   - the minutes of one session (15 participants, 20 decisions: 300 vote
//     rows into a Writer document with a table), goal under 2 s;
//   - the attendance statement over all 1,000 sessions for all 15 members
//     (15,000 rows into a Calc sheet, then the summary), goal under 2 s.
// The office runs headless, so showing the document stores it (.docx,
// .xlsx); that storing is part of the time. The parameter dialog is answered
// as a user would; its own time is not part of the figure. Medians of 7 runs
// after one warm-up run (the office is started before).
//   cmake -B build-x -DQORVANE_BENCH=ON && cmake --build build-x --target qorvane-bench-reports
//   build-x/bench/qorvane-bench-reports
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

#include <unistd.h>

#include "data/unDM.h"
#include "dbtool/DbBuilder.h"
#include "platform/ado/ADOConnection.h"
#include "platform/ole/ComObj.h"
#include "platform/ole/LibreOffice.h"
#include "platform/ole/OleRecordset.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "reports/unReports.h"

namespace {

QString DbFile() { return QStringLiteral("/tmp/qorvane-bench-reports-1000.db"); }

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

const TReport* Find(const TReportList& list, const QString& caption)
{
    for (const TReport& r : list)
        if (r.Caption == caption) return &r;
    return nullptr;
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application->Initialize(argc, argv);
    if (!QFile::exists(DbFile())) {
        dbtool::BenchOptions o;
        o.Sessions = 1000;
        o.Members = 15;
        o.Questions = 10;
        o.Decisions = 2;
        const dbtool::BenchCounts c = dbtool::CreateBenchDatabase(DbFile(), QString(), o);
        std::printf("made %s: %lld sessions, %lld participants, %lld votes, %lld payments\n", qPrintable(DbFile()),
                    c.Sessions, c.Participants, c.Votes, c.Payments);
    }
    QTemporaryDir dir;
    TOfficeOptions oo;
    oo.PipeName = QStringLiteral("qv-bench-reports-%1").arg(getpid());
    oo.ProfileDir = dir.filePath(QStringLiteral("profile"));
    oo.OutputDir = dir.filePath(QStringLiteral("out"));
    oo.Headless = TOfficeOptions::hlAlways;
    oo.StartTimeoutMs = 120000;
    SetOfficeOptions(oo);
    SetMessageBoxHook([](const QString& text, const QString& caption, int) {
        std::fprintf(stderr, "message: %s: %s\n", qPrintable(caption), qPrintable(text));
        return IDOK;
    });

    TDM dm(nullptr);
    DM = &dm;
    dm.adoConnection->SetConnectionString(dbtool::ConnectionString(DbFile(), QString()));
    dm.adoConnection->Open();
    ExcelReportsDir = QStringLiteral(QORVANE_BIN_DIR "/reports/excel/");
    WordReportsDir = QStringLiteral(QORVANE_BIN_DIR "/reports/word/");
    const TReportList word = LoadReports(WordReportsDir, QString()), excel = LoadReports(ExcelReportsDir, QString());
    const TReport* minutes = Find(word, QStringLiteral("Протокол заседания Совета директоров"));
    const TReport* attendance = Find(excel, QStringLiteral("Ведомость участия в заседаниях и вознаграждения за период"));
    if (!minutes || !attendance) {
        std::fprintf(stderr, "the shipped reports are not in %s\n", QORVANE_BIN_DIR "/reports");
        return 1;
    }
    auto scalar = [&](const QString& sql) {
        ado::RecordsetPtr rs = dm.adoConnection->Execute(sql);
        return rs && rs->RowCount() ? rs->Text(0, 0) : QString();
    };
    const QString session = scalar(QStringLiteral("SELECT id FROM OBJ_SESSIONS WHERE pnumber = 500"));
    QStringList members;
    {
        ado::RecordsetPtr rs = dm.adoConnection->Execute(QStringLiteral("SELECT id FROM REF_MEMBERS"));
        for (qsizetype r = 0; r < rs->RowCount(); ++r) members << QLatin1Char('\'') + rs->Text(r, 0) + QLatin1Char('\'');
    }
    std::printf("session 500: %s participants, %s decisions; %lld members\n",
                qPrintable(scalar(QStringLiteral("SELECT COUNT(*) FROM LNK_SESSIONS_MEMBERS WHERE id_session = '%1'").arg(session))),
                qPrintable(scalar(QStringLiteral("SELECT COUNT(*) FROM LNK_SESSIONS_DECISIONS WHERE id_session = '%1'").arg(session))),
                qint64(members.size()));

    // The dialog as a user fills it; its time is left out of the figures.
    std::vector<std::pair<QString, QString>> values;
    qint64 dialogNs = 0;
    ReportParamsDialog = [&](const QString&) {
        QElapsedTimer t;
        t.start();
        for (TReportParam& p : CurrentReport.Params)
            for (const auto& [name, value] : values)
                if (p.Name == name) p.Value = value;
        for (const TReportParam& p : CurrentReport.Params)
            CurrentSql.replace(QLatin1Char(':') + p.Name, p.Value, Qt::CaseInsensitive);
        dialogNs += t.nsecsElapsed();
        return mrOk;
    };
    CreateOleObject(QStringLiteral("Word.Application"));   // the office is up before the clock runs

    auto measure = [&](const char* what, const TReport& report, bool isExcel) {
        std::vector<double> ms;
        for (int i = 0; i < 8; ++i) {
            const int before = int(OfficeShownDocuments().size());
            dialogNs = 0;
            QElapsedTimer t;
            t.start();
            GenerateReport(report, QString(), QString(), isExcel);
            const double elapsed = double(t.nsecsElapsed() - dialogNs) / 1e6;
            if (int(OfficeShownDocuments().size()) != before + 1) {
                std::fprintf(stderr, "%s: no document\n", what);
                return;
            }
            QFile::remove(OfficeShownDocuments().last());
            if (i > 0) ms.push_back(elapsed);   // the first run warms up
        }
        std::printf("%-60s median %8.0f ms   (min %.0f, max %.0f, goal < 2000)\n", what, Median(ms),
                    *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()));
    };
    values = {{QStringLiteral("id_session"), QLatin1Char('\'') + session + QLatin1Char('\'')}};
    measure("minutes of a session (15 participants, 20 decisions)", *minutes, false);
    {
        // The same rows read field by field, one call back into this program
        // for each member access, against the one GetRows the shipped macros use.
        TReport perField = *minutes;
        perField.FileName = QStringLiteral("field-by-field.ott");
        const QString out = dir.filePath(QStringLiteral("word/"));
        QDir().mkpath(out);
        if (QProcess::execute(QStringLiteral(QORVANE_BIN_DIR "/qorvane-odfpack"),
                              {out + perField.FileName, QStringLiteral("text"), QStringLiteral(QORVANE_SOURCE_DIR "/bench/FieldByField.bas"),
                               QStringLiteral(QORVANE_SOURCE_DIR "/install/reports/word/content.xml"),
                               QStringLiteral(QORVANE_SOURCE_DIR "/install/reports/word/styles.xml")}) == 0) {
            const QString shipped = WordReportsDir;
            WordReportsDir = out;
            measure("the same 300 rows x 15 fields read field by field", perField, false);
            WordReportsDir = shipped;
        }
    }
    values = {{QStringLiteral("dt_from"), QStringLiteral("'01.01.1990'")},
              {QStringLiteral("dt_to"), QStringLiteral("'31.12.2100'")},
              {QStringLiteral("id_members"), members.join(QStringLiteral(", "))},
              {QStringLiteral("rate"), QStringLiteral("15000")},
              {QStringLiteral("min_count"), QStringLiteral("1")}};
    const QString rows = scalar(QStringLiteral("SELECT COUNT(*) FROM LNK_SESSIONS_MEMBERS"));
    measure(qPrintable(QStringLiteral("attendance statement, 1,000 sessions (%1 rows)").arg(rows)), *attendance, true);
    {
        // Its parts: the SQL into the recordset, and the rows through the
        // recordset object as the macro takes them (one GetRows).
        QString sql = attendance->Sql;
        for (const auto& [name, value] : values) sql.replace(QLatin1Char(':') + name, value);
        std::vector<double> open, fetch;
        for (int i = 0; i < 7; ++i) {
            QElapsedTimer t;
            t.start();
            OleVariant rs = CreateRecordsetObject(ado::Recordset::OpenWithConnectionString(dm.adoConnection->ConnectionString(), sql));
            open.push_back(double(t.nsecsElapsed()) / 1e6);
            t.restart();
            rs.Call(QStringLiteral("GetRows"));
            fetch.push_back(double(t.nsecsElapsed()) / 1e6);
        }
        std::printf("  of which the SQL into the recordset: median %.0f ms; GetRows in this process: %.1f ms\n", Median(open), Median(fetch));
    }
    OfficeShutdown(true);
    return 0;
}
