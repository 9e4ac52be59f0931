// Document generation through the template macro, against a real headless
// office; the produced documents are read back.
#include "ReportFixture.h"

#include <QRegularExpression>
#include <private/qzipreader_p.h>
#include <private/qzipwriter_p.h>

#include "platform/ole/ComObj.h"
#include "platform/ole/OleRecordset.h"
#include "platform/ui/EventBridge.h"
#include "tests/platform/Warnings.h"

namespace {
const QString kWordError = QStringLiteral("Ошибка экспорта в Word");
const QString kExcelError = QStringLiteral("Ошибка экспорта в Excel");

// Gives a template a second Basic library, "Locked", that its author marked
// read-only: the office keeps it as it is and refuses to remove it.
void AddReadOnlyLibrary(const QString& file)
{
    std::vector<std::pair<QString, QByteArray>> entries;
    {
        QZipReader in(file);
        for (const QZipReader::FileInfo& f : in.fileInfoList())
            if (f.isFile) entries.emplace_back(f.filePath, in.fileData(f.filePath));
    }
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    for (auto& [name, data] : entries) {
        if (name == QLatin1String("Basic/script-lc.xml"))
            data.replace("</library:libraries>",
                         " <library:library library:name=\"Locked\" library:link=\"false\" library:readonly=\"true\"/>\n"
                         "</library:libraries>");
        if (name == QLatin1String("META-INF/manifest.xml"))
            data.replace("</manifest:manifest>",
                         " <manifest:file-entry manifest:full-path=\"Basic/Locked/Kept.xml\" manifest:media-type=\"text/xml\"/>\n"
                         " <manifest:file-entry manifest:full-path=\"Basic/Locked/script-lb.xml\" manifest:media-type=\"text/xml\"/>\n"
                         "</manifest:manifest>");
    }
    entries.emplace_back(QStringLiteral("Basic/Locked/Kept.xml"),
                         head + "<script:module xmlns:script=\"http://openoffice.org/2000/script\" script:name=\"Kept\" "
                                "script:language=\"StarBasic\" script:moduleType=\"normal\">Sub Kept\nEnd Sub\n</script:module>\n");
    entries.emplace_back(QStringLiteral("Basic/Locked/script-lb.xml"),
                         head + "<library:library xmlns:library=\"http://openoffice.org/2000/library\" library:name=\"Locked\" "
                                "library:readonly=\"true\" library:passwordprotected=\"false\">\n"
                                " <library:element library:name=\"Kept\"/>\n</library:library>\n");
    QFile::remove(file);
    QZipWriter out(file);
    out.setCompressionPolicy(QZipWriter::NeverCompress);   // "mimetype" first and stored, as the format asks
    for (const auto& [name, data] : entries) out.addFile(name, data);
    out.close();
}

}  // namespace

using GenerateTest = ReportFixture;

TEST_F(GenerateTest, RemoveApostrophesKeepsAnEmptyQuotedText)
{
    EXPECT_EQ(RemoveApostrophes(QString()), QString());
    EXPECT_EQ(RemoveApostrophes(QStringLiteral("''")), QStringLiteral("''"));
    EXPECT_EQ(RemoveApostrophes(QStringLiteral("'abc'")), QStringLiteral("abc"));
    EXPECT_EQ(RemoveApostrophes(QStringLiteral("'k1', 'k2'")), QStringLiteral("k1, k2"));
    EXPECT_EQ(RemoveApostrophes(QStringLiteral("'")), QStringLiteral("'"));
}

TEST_F(GenerateTest, SystemPairsFollowTheTable)
{
    TStringArray pairs;
    LoadSysParamPairs(pairs);
    EXPECT_EQ(pairs.size(), Scalar(QStringLiteral("SELECT COUNT(*) FROM SYS_PARAMETERS")).toInt());
    EXPECT_TRUE(pairs.contains(QStringLiteral("company_short_name|!=!|АО «СМЗ»")));
    EXPECT_TRUE(pairs.contains(QStringLiteral("company_phone|!=!|(8202) 55-12-34")));
}

TEST_F(GenerateTest, AReportWithoutParametersRunsAtOnceWithItsSql)
{
    RequireOffice();
    const int before = int(OfficeShownDocuments().size());
    GenerateReport(Report(QStringLiteral("Даты"), MakeTemplate(false, QStringLiteral("probe.ott"), QStringLiteral("Probe.bas")),
                          QStringLiteral(" SELECT pdate, pnumber, NULL AS nothing FROM OBJ_SESSIONS WHERE pnumber <= 2 ORDER BY pnumber")),
                   QString(), QString(), false);
    EXPECT_EQ(dialogs, 0);
    EXPECT_TRUE(boxes.empty());
    const QString text = LastText(before);
    EXPECT_TRUE(text.startsWith(QStringLiteral("RC=2 BOF=False EOF=False"))) << qPrintable(text);
    // Numbers as numbers, NULL as Empty, dates as dates, by name and by index.
    EXPECT_TRUE(text.contains(QStringLiteral("|pnumber=1/1|")));
    EXPECT_TRUE(text.contains(QStringLiteral("|nothing=/<empty>")));
    EXPECT_TRUE(text.contains(QStringLiteral("|Date:25.01.2024"))) << qPrintable(text);
    EXPECT_TRUE(text.contains(QStringLiteral("|Date:14.03.2024")));
    EXPECT_TRUE(text.contains(QStringLiteral("S:company_short_name|!=!|АО «СМЗ»")));
}

// LibreOffice hands automation dates to Basic as dates in VBA mode; other
// modules get the date object (the shipped Common module reads both).
TEST_F(GenerateTest, AVbaModeMacroReadsDatesAsDates)
{
    RequireOffice();
    const int before = int(OfficeShownDocuments().size());
    GenerateReport(Report(QStringLiteral("Даты"), MakeTemplate(false, QStringLiteral("vba.ott"), QStringLiteral("VbaDates.bas")),
                          QStringLiteral(" SELECT pdate FROM OBJ_SESSIONS WHERE pnumber = 3")),
                   QString(), QString(), false);
    EXPECT_TRUE(boxes.empty());
    EXPECT_EQ(LastText(before).trimmed(), QStringLiteral("Date;2024-4-25;2024"));
}

TEST_F(GenerateTest, PairsCarryTheDialogValuesWithoutApostrophes)
{
    RequireOffice();
    values = {{QStringLiteral("empty"), QStringLiteral("''")},
              {QStringLiteral("text"), QStringLiteral("'abc'")},
              {QStringLiteral("keys"), QStringLiteral("'k1', 'k2', 'k3'")},
              {QStringLiteral("flag"), QStringLiteral("1")}};
    const int before = int(OfficeShownDocuments().size());
    GenerateReport(Report(QStringLiteral("Пары"), MakeTemplate(false, QStringLiteral("probe.ott"), QStringLiteral("Probe.bas")),
                          QStringLiteral(" SELECT :text AS t, :flag AS f FROM SYS_PARAMETERS WHERE name = 'company_phone'"),
                          QStringLiteral("'empty', ptString, 'Пусто', false, '', false, '' ; "
                                         "'text', ptString, 'Текст', false, '', false, '' ; "
                                         "'keys', ptReference, 'Ключи', false, 'REF_MEMBERS', true, '' ; "
                                         "'flag', ptBoolean, 'Флаг', false, '', false, ''")),
                   QString(), QString(), false);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(dialogCaption, QStringLiteral("Параметры документа «Пары»"));
    const QString text = LastText(before);
    const QStringList lines = text.split(QLatin1Char('\n'));
    const int first = int(lines.indexOf(QStringLiteral("P:empty|!=!|''")));
    ASSERT_GE(first, 0) << qPrintable(text);
    EXPECT_EQ(lines.mid(first, 4), (QStringList{QStringLiteral("P:empty|!=!|''"), QStringLiteral("P:text|!=!|abc"),
                                                QStringLiteral("P:keys|!=!|k1, k2, k3"), QStringLiteral("P:flag|!=!|1")}));
    // The SQL ran with the placeholders replaced.
    EXPECT_TRUE(text.contains(QStringLiteral("|t=abc/abc|f=1/1"))) << qPrintable(text);
    // The system pairs arrive unchanged, in the table's order.
    TStringArray sys;
    LoadSysParamPairs(sys);
    for (const QString& p : sys) EXPECT_TRUE(lines.contains(QStringLiteral("S:") + p)) << qPrintable(p);
}

TEST_F(GenerateTest, ARegisterRunPresetsTheParameterOfItsTable)
{
    RequireOffice();
    dm->adoObjSessions->Open();
    ASSERT_TRUE(dm->adoObjSessions->Locate(QStringLiteral("pnumber"), 3, {}));
    const QString key = dm->adoObjSessions->FieldByName(QStringLiteral("id"))->AsString();
    QString seen, seenMember;
    ReportParamsDialog = [&](const QString& caption) {
        seen = CurrentReport.Params[0].Value;
        seenMember = CurrentReport.Params[1].Value;
        return StandInDialog(caption);
    };
    const int before = int(OfficeShownDocuments().size());
    GenerateReport(Report(QStringLiteral("Заседание"), MakeTemplate(false, QStringLiteral("probe.ott"), QStringLiteral("Probe.bas")),
                          QStringLiteral(" SELECT pnumber FROM OBJ_SESSIONS WHERE id = :id_session"),
                          QStringLiteral("'id_session', ptReference, 'Заседание', true, 'OBJ_SESSIONS', false, '' ; "
                                         "'id_member', ptReference, 'Член', false, 'REF_MEMBERS', false, ''")),
                   QStringLiteral("OBJ_SESSIONS"), key, false);
    EXPECT_EQ(seen, QLatin1Char('\'') + key + QLatin1Char('\''));
    const QString text = LastText(before);
    EXPECT_TRUE(text.contains(QStringLiteral("ROW|pnumber=3/3"))) << qPrintable(text);
    EXPECT_TRUE(text.contains(QStringLiteral("P:id_session|!=!|") + key));
    // The parameter of another table is not preset: empty in the dialog and
    // in the pairs the macro gets.
    EXPECT_EQ(seenMember, QString());
    EXPECT_TRUE(text.split(QLatin1Char('\n')).contains(QStringLiteral("P:id_member|!=!|"))) << qPrintable(text);
}

TEST_F(GenerateTest, TheParameterDialogIsAskedWithTheReportsCaption)
{
    ReportParamsDialog = nullptr;
    std::vector<TDialogRequest> asked;
    const TDialogHook previous = SetDialogHook([&](const TDialogRequest& r) {
        asked.push_back(r);
        return int(mrCancel);
    });
    const int before = int(OfficeShownDocuments().size());
    GenerateReport(Report(QStringLiteral("Протокол"), QStringLiteral("probe.ott"), QStringLiteral(" SELECT 1"),
                          QStringLiteral("'a', ptString, 'A', false, '', false, ''")),
                   QString(), QString(), false);
    SetDialogHook(previous);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Kind, TDialogKind::ModalForm);
    EXPECT_EQ(asked[0].FormClass, QStringLiteral("TfmReportsEnterParams"));
    EXPECT_EQ(asked[0].Caption, QStringLiteral("Параметры документа «Протокол»"));
    EXPECT_EQ(int(OfficeShownDocuments().size()), before);
}

TEST_F(GenerateTest, CancellingTheDialogMakesNothing)
{
    RequireOffice();
    ReportParamsDialog = [this](const QString&) { return ++dialogs, mrCancel; };
    const int before = int(OfficeShownDocuments().size());
    GenerateReport(Report(QStringLiteral("Отмена"), MakeTemplate(false, QStringLiteral("probe.ott"), QStringLiteral("Probe.bas")),
                          QStringLiteral(" SELECT 1"), QStringLiteral("'a', ptString, 'A', false, '', false, ''")),
                   QString(), QString(), false);
    EXPECT_EQ(dialogs, 1);
    EXPECT_EQ(int(OfficeShownDocuments().size()), before);
    EXPECT_TRUE(boxes.empty());
}

TEST_F(GenerateTest, AnSqlErrorGoesOnToTheErrorDisplay)
{
    RequireOffice();
    const int before = int(OfficeShownDocuments().size());
    EXPECT_THROW(GenerateReport(Report(QStringLiteral("Ошибка"), MakeTemplate(false, QStringLiteral("probe.ott"), QStringLiteral("Probe.bas")),
                                       QStringLiteral(" SELECT nosuchcolumn FROM OBJ_SESSIONS")),
                                QString(), QString(), false),
                 EDatabaseError);
    EXPECT_EQ(int(OfficeShownDocuments().size()), before);
    EXPECT_TRUE(boxes.empty());
    // From a report command the error display shows the engine's text.
    EXPECT_FALSE(CallHandler(nullptr, [&] {
        RunReport(Report(QStringLiteral("Ошибка"), QStringLiteral("probe.ott"), QStringLiteral(" SELECT nosuchcolumn FROM OBJ_SESSIONS")),
                  QString(), QString(), false);
    }));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].Text.contains(QStringLiteral("nosuchcolumn"))) << qPrintable(boxes[0].Text);
    EXPECT_EQ(int(OfficeShownDocuments().size()), before);
}

// A failing macro: the message at once, the half-made document closed
// unsaved, an earlier document of the office left alone.
TEST_F(GenerateTest, AFailingMacroLeavesEveryOtherDocumentAlone)
{
    RequireOffice();
    OleVariant excel = CreateOleObject(QStringLiteral("Excel.Application"));
    OleVariant earlier = excel.Get(QStringLiteral("WorkBooks")).Call(QStringLiteral("Add"));
    earlier.Get(QStringLiteral("WorkSheets"), {1}).Get(QStringLiteral("Cells"), {1, 1}).Set(QStringLiteral("Value"), QStringLiteral("earlier"));
    const int documents = OfficeDocumentCount();
    const int before = int(OfficeShownDocuments().size());

    GenerateReport(Report(QStringLiteral("Сбой"), MakeTemplate(false, QStringLiteral("fails.ott"), QStringLiteral("Fails.bas")),
                          QStringLiteral(" SELECT 1 AS one")),
                   QString(), QString(), false);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Caption, kWordError);
    EXPECT_EQ(boxes[0].Text, QStringLiteral("Ошибка экспорта в Microsoft Word. Данная ошибка может возникнуть в случае,   \r\n"
                                            "если у вас не установлен (или установлен некорректно) Microsoft Word.  "));
    EXPECT_EQ(int(OfficeShownDocuments().size()), before);
    EXPECT_EQ(OfficeDocumentCount(), documents);
    EXPECT_EQ(earlier.Get(QStringLiteral("WorkSheets"), {1}).Get(QStringLiteral("Cells"), {1, 1}).Get(QStringLiteral("Value")).ToString(),
              QStringLiteral("earlier"));
    earlier.Call(QStringLiteral("Close"), {false});
}

TEST_F(GenerateTest, AFailingMacroEndsTheOfficeThisProgramStartedWhenNothingElseIsOpen)
{
    RequireOffice();
    CreateOleObject(QStringLiteral("Word.Application"));
    ASSERT_EQ(OfficeDocumentCount(), 0);
    ASSERT_NE(OfficeProcessId(), 0);
    GenerateReport(Report(QStringLiteral("Сбой"), MakeTemplate(true, QStringLiteral("fails.ots"), QStringLiteral("Fails.bas")),
                          QStringLiteral(" SELECT 1 AS one")),
                   QString(), QString(), true);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Caption, kExcelError);
    EXPECT_EQ(OfficeProcessId(), 0);
    // The next run starts it again.
    const int before = int(OfficeShownDocuments().size());
    GenerateReport(Report(QStringLiteral("Снова"), MakeTemplate(false, QStringLiteral("probe.ott"), QStringLiteral("Probe.bas")),
                          QStringLiteral(" SELECT 7 AS seven")),
                   QString(), QString(), false);
    EXPECT_TRUE(LastText(before).contains(QStringLiteral("ROW|seven=7/7")));
}

// Missing templates, templates without the macro and a macro that does not
// compile: the application's message, no document left.
TEST_F(GenerateTest, AMissingTemplateOrMacroGivesTheMessage)
{
    RequireOffice();
    struct TCase {
        bool Excel;
        QString File;
    } cases[] = {{false, QStringLiteral("missing.ott")},
                 {true, QStringLiteral("missing.ots")},
                 {false, MakeTemplate(false, QStringLiteral("other.ott"), QStringLiteral("Other.bas"))},
                 {true, MakeTemplate(true, QStringLiteral("other.ots"), QStringLiteral("Other.bas"))},
                 {false, MakeTemplate(false, QStringLiteral("broken.ott"), QStringLiteral("Broken.bas"))}};
    const int before = int(OfficeShownDocuments().size());
    for (const TCase& c : cases) {
        boxes.clear();
        GenerateReport(Report(QStringLiteral("Нет"), c.File, QStringLiteral(" SELECT 1 AS one")), QString(), QString(), c.Excel);
        ASSERT_EQ(boxes.size(), 1u) << qPrintable(c.File);
        EXPECT_EQ(boxes[0].Caption, c.Excel ? kExcelError : kWordError);
        EXPECT_EQ(OfficeDocumentCount(), 0) << qPrintable(c.File);
    }
    EXPECT_EQ(int(OfficeShownDocuments().size()), before);
}

// What a macro may still hold after the run is closed: the rows and their
// connection go with the run.
TEST_F(GenerateTest, AReleasedRecordsetObjectIsClosed)
{
    ado::RecordsetPtr rows = ado::Recordset::OpenWithConnectionString(dm->adoConnection->ConnectionString(),
                                                                       QStringLiteral("SELECT pnumber FROM OBJ_SESSIONS"));
    std::weak_ptr<ado::Recordset> alive = rows;
    OleVariant rs = CreateRecordsetObject(std::move(rows));
    EXPECT_EQ(rs.Get(QStringLiteral("RecordCount")).ToInt(), 6);
    ReleaseRecordsetObject(rs);
    EXPECT_TRUE(alive.expired());   // the rows and the connection they held are gone
    EXPECT_THROW(rs.Get(QStringLiteral("RecordCount")), EOleError);
    EXPECT_THROW(rs.Call(QStringLiteral("Fields"), {0}), EOleError);
    EXPECT_TRUE(rs.Get(QStringLiteral("EOF")).ToBool());
}

TEST_F(GenerateTest, TheSpreadsheetMacroTakesTheRowsInOneBlock)
{
    RequireOffice();
    const int before = int(OfficeShownDocuments().size());
    GenerateReport(Report(QStringLiteral("Лист"), MakeTemplate(true, QStringLiteral("sheet.ots"), QStringLiteral("SheetProbe.bas")),
                          QStringLiteral(" SELECT pnumber, memberscount FROM OBJ_SESSIONS ORDER BY pnumber")),
                   QString(), QString(), true);
    EXPECT_TRUE(boxes.empty());
    const QString text = LastText(before);
    EXPECT_TRUE(text.startsWith(QStringLiteral("1;8\n2;8\n3;8\n4;8\n5;8\n6;8"))) << qPrintable(text);
}

// The macros are taken out of a made document as a step of their own: when
// the office refuses (a library of the template it holds read-only), the
// finished document is still shown, the spreadsheet's events are on again,
// and the reason is in the log, not in a message.
TEST_F(GenerateTest, MacrosTheOfficeWillNotRemoveStayAndTheDocumentIsShown)
{
    RequireOffice();
    struct TCase {
        bool Excel;
        const char* Template;
        const char* Basic;
        const char* Shows;
    } cases[] = {{false, "locked.ott", "Probe.bas", "ROW|seven=7/7"}, {true, "locked.ots", "SheetProbe.bas", "7"}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Template);
        boxes.clear();
        const QString name = MakeTemplate(c.Excel, QString::fromUtf8(c.Template), QString::fromUtf8(c.Basic));
        AddReadOnlyLibrary(dir.filePath((c.Excel ? QStringLiteral("excel/") : QStringLiteral("word/")) + name));
        const int before = int(OfficeShownDocuments().size());
        TWarnings log;
        GenerateReport(Report(QStringLiteral("Заперто"), name, QStringLiteral(" SELECT 7 AS seven")), QString(), QString(), c.Excel);
        EXPECT_TRUE(boxes.empty()) << qPrintable(boxes.empty() ? QString() : boxes[0].Caption);
        EXPECT_TRUE(LastText(before).contains(QString::fromUtf8(c.Shows)));
        ASSERT_EQ(log.Texts.filter(QStringLiteral("The macros were left in the document")).size(), 1) << qPrintable(log.Texts.join('\n'));
        EXPECT_EQ(OfficeDocumentCount(), 0);   // stored and closed as a shown document is, headless
        if (c.Excel) {
            EXPECT_TRUE(CreateOleObject(QStringLiteral("Excel.Application")).Get(QStringLiteral("Application")).Get(QStringLiteral("EnableEvents")).ToBool());
        }
    }
}
