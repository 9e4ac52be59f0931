#pragma once
// Document generation against a real headless office: a demonstration
// database with the data module connected, report folders of the test's own
// with templates made from Basic sources by the installation's packer, the
// parameter dialog answered by a stand-in and message boxes recorded.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

#include "../platform/OfficeTestUtil.h"
#include "data/unDM.h"
#include "dbtool/DbBuilder.h"
#include "platform/ado/ADOConnection.h"
#include "platform/ado/ADODB.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "reports/unReports.h"

class ReportFixture : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::unique_ptr<TDM> dm;
    struct TBox {
        QString Text, Caption;
    };
    std::vector<TBox> boxes;
    int dialogs = 0;
    // Values the stand-in dialog gives the parameters, by name (a parameter
    // not named keeps the value it had, as the dialog would show it).
    std::vector<std::pair<QString, QString>> values;
    QString dialogCaption;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        const QString file = dir.filePath(QStringLiteral("qorvane.db"));
        dbtool::CreateDatabase(file, QString(), true);
        SetMessageBoxHook([this](const QString& text, const QString& caption, int) {
            boxes.push_back({text, caption});
            return IDOK;
        });
        dm = std::make_unique<TDM>(nullptr);
        DM = dm.get();
        dm->adoConnection->SetConnectionString(dbtool::ConnectionString(file, QString()));
        dm->adoConnection->Open();
        QDir().mkpath(dir.filePath(QStringLiteral("excel")));
        QDir().mkpath(dir.filePath(QStringLiteral("word")));
        ExcelReportsDir = dir.filePath(QStringLiteral("excel/"));
        WordReportsDir = dir.filePath(QStringLiteral("word/"));
        ReportParamsDialog = [this](const QString& caption) { return StandInDialog(caption); };
    }

    void TearDown() override
    {
        ReportParamsDialog = nullptr;
        dm.reset();
        DM = nullptr;
        SetMessageBoxHook(nullptr);
    }

    // What the parameter dialog does on OK: values into the parameters, then
    // every ":name" of the SQL (any letter case) replaced by its value.
    int StandInDialog(const QString& caption)
    {
        ++dialogs;
        dialogCaption = caption;
        for (TReportParam& p : CurrentReport.Params)
            for (const auto& [name, value] : values)
                if (p.Name == name) p.Value = value;
        QString sql = CurrentSql;
        for (const TReportParam& p : CurrentReport.Params)
            sql.replace(QLatin1Char(':') + p.Name, p.Value, Qt::CaseInsensitive);
        CurrentSql = sql;
        return mrOk;
    }

    // A template made from Basic sources (with the shipped Common module) in
    // the report folder of its kind.
    QString MakeTemplate(bool excel, const QString& name, const QString& basic)
    {
        const QString kind = excel ? QStringLiteral("excel") : QStringLiteral("word");
        const QString src = QStringLiteral(QORVANE_SOURCE_DIR "/install/reports/");
        const QString out = dir.filePath(kind + QLatin1Char('/') + name);
        const int rc = QProcess::execute(QStringLiteral(QORVANE_BIN_DIR "/qorvane-odfpack"),
                                         {out, excel ? QStringLiteral("spreadsheet") : QStringLiteral("text"),
                                          src + QStringLiteral("common/Common.bas,") +
                                              QStringLiteral(QORVANE_SOURCE_DIR "/tests/reports/templates/") + basic,
                                          src + kind + QStringLiteral("/content.xml"), src + kind + QStringLiteral("/styles.xml")});
        EXPECT_EQ(rc, 0) << "packing " << qPrintable(name);
        return name;
    }

    // The report folders the build installs beside the executable.
    static void UseShippedReports()
    {
        ExcelReportsDir = QStringLiteral(QORVANE_BIN_DIR "/reports/excel/");
        WordReportsDir = QStringLiteral(QORVANE_BIN_DIR "/reports/word/");
    }

    static TReport Report(const QString& caption, const QString& file, const QString& sql, const QString& params = QString())
    {
        TReport r;
        r.Caption = caption;
        r.FileName = file;
        r.Sql = sql;
        if (!params.isEmpty()) ParseReportParams(params, QString(), r.Params);
        return r;
    }

    // The document the last run produced (stored by the headless office).
    QString LastDocument(int before)
    {
        const QStringList shown = OfficeShownDocuments();
        if (shown.size() != before + 1) {
            ADD_FAILURE() << "expected one new document, have " << shown.size() - before;
            return {};
        }
        return shown.last();
    }
    QString LastText(int before)
    {
        const QString file = LastDocument(before);
        return file.isEmpty() ? QString() : OfficeDocumentText(file);
    }
    Variant Scalar(const QString& sql)
    {
        ado::RecordsetPtr rs = dm->adoConnection->Execute(sql);
        return rs && rs->RowCount() ? rs->Value(0, 0) : Variant();
    }
};
