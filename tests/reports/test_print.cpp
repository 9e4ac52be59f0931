// The shipped documents on paper: each is made through the headless office
// and stored in the office's own format (.ods, .odt), as the secretary saves
// the shown document, then opened again and exported to PDF. The PDF must
// hold every word of the document whole (nothing blank, cut off or broken
// across lines), on A4, and the saved document no macros.
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QUuid>
#include <private/qzipreader_p.h>

#include "ReportFixture.h"

namespace {

QString NewKey() { return QUuid::createUuid().toString(QUuid::WithBraces).toUpper(); }

QStringList Words(QString text)
{
    text.replace(QChar(0x00A0), QLatin1Char(' ')).replace(QChar(0x202F), QLatin1Char(' '));
    return text.split(QRegularExpression(QStringLiteral("[\\s;]+")), Qt::SkipEmptyParts);
}

// The Basic modules and dialogs a document file holds.
QStringList MacroEntries(const QString& file)
{
    QStringList out;
    QZipReader zip(file);
    for (const QZipReader::FileInfo& f : zip.fileInfoList())
        if ((f.filePath.startsWith(QLatin1String("Basic/")) || f.filePath.startsWith(QLatin1String("Dialogs/"))) &&
            !f.filePath.endsWith(QLatin1String("script-lc.xml")) && !f.filePath.endsWith(QLatin1String("script-lb.xml")) &&
            !f.filePath.endsWith(QLatin1String("dialog-lc.xml")) && !f.filePath.endsWith(QLatin1String("dialog-lb.xml")) &&
            f.isFile)
            out << f.filePath;
    return out;
}

QString Tool(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

struct TPdf {
    QString Text;
    QStringList Pages;   // "w x h" in points, one a page
};

}  // namespace

class PrintTest : public ReportFixture {
protected:
    void SetUp() override
    {
        ReportFixture::SetUp();
        UseShippedReports();
    }
    void TearDown() override
    {
        if (officetest::OfficeInstalled()) SetOfficeOptions(officetest::TestOptions());
        ReportFixture::TearDown();
    }
    // The office, storing the documents as a user saves them from it.
    bool Office()
    {
        if (!officetest::OfficeInstalled() || QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) return false;
        TOfficeOptions o = officetest::TestOptions();
        o.StoreOwnFormat = true;
        SetOfficeOptions(o);
        return true;
    }
    QString Key(const QString& sql) { return Scalar(sql).toString(); }
    QString Quoted(const QString& sql) { return QLatin1Char('\'') + Key(sql) + QLatin1Char('\''); }
    QString Session(int n) { return Quoted(QStringLiteral("SELECT id FROM OBJ_SESSIONS WHERE pnumber = %1").arg(n)); }
    // The saved file of the document the report of that caption makes.
    QString Made(bool excel, const QString& caption)
    {
        for (const TReport& r : LoadReports(excel ? ExcelReportsDir : WordReportsDir, QString()))
            if (r.Caption == caption) {
                const int before = int(OfficeShownDocuments().size());
                GenerateReport(r, QString(), QString(), excel);
                EXPECT_TRUE(boxes.empty()) << qPrintable(boxes.empty() ? QString() : boxes[0].Text);
                const QString file = LastDocument(before);
                EXPECT_TRUE(file.endsWith(excel ? QLatin1String(".ods") : QLatin1String(".odt"))) << qPrintable(file);
                return file;
            }
        ADD_FAILURE() << "no report " << qPrintable(caption);
        return {};
    }
    TPdf Pdf(const QString& file)
    {
        const QString pdf = dir.filePath(QFileInfo(file).completeBaseName() + QStringLiteral(".pdf"));
        OfficeExportPdf(file, pdf);
        TPdf out;
        out.Text = Tool(QStringLiteral("pdftotext"), {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
        const QRegularExpression size(QStringLiteral("^Page +\\d+ size: +([\\d.]+) x ([\\d.]+)"), QRegularExpression::MultilineOption);
        for (auto m = size.globalMatch(Tool(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"), QStringLiteral("-l"),
                                                                          QStringLiteral("999"), pdf}));
             m.hasNext();) {
            const auto one = m.next();
            out.Pages << QStringLiteral("%1 x %2").arg(qRound(one.captured(1).toDouble())).arg(qRound(one.captured(2).toDouble()));
        }
        return out;
    }
    // The words of the saved document that its PDF does not hold whole.
    QStringList Missing(const QString& file, const TPdf& pdf)
    {
        const QStringList printed = Words(pdf.Text);
        const QSet<QString> have(printed.begin(), printed.end());
        QStringList missing;
        for (const QString& w : Words(OfficeDocumentText(file)))
            if (!have.contains(w)) missing << w;
        missing.removeDuplicates();
        return missing;
    }
    void Execute(const QString& sql) { dm->adoConnection->Execute(sql); }
};

static const QString kPortrait = QStringLiteral("595 x 842"), kLandscape = QStringLiteral("842 x 595");

// Saved as the office's own files and opened again, each document prints
// its text on A4 (the spreadsheets across, one page wide) and holds no
// macros, while the templates keep theirs.
TEST_F(PrintTest, SavedDocumentsPrintTheirWordsWholeAndCarryNoMacros)
{
    if (!Office()) GTEST_SKIP() << "LibreOffice or pdftotext is not installed";
    struct TCase {
        bool Excel;
        const char* Caption;
        std::vector<std::pair<QString, QString>> Values;
        const char* Shows;
        QString Page;
        const char* Template;
    };
    const QString members = QStringLiteral("'%1', '%2'").arg(Key(QStringLiteral("SELECT id FROM REF_MEMBERS WHERE fullname LIKE 'Соколов%'")),
                                                             Key(QStringLiteral("SELECT id FROM REF_MEMBERS WHERE fullname LIKE 'Орлов%'")));
    const TCase cases[] = {
        {true, "Лист голосования по заседанию", {{QStringLiteral("id_session"), Session(2)}, {QStringLiteral("title"), QStringLiteral("''")}},
         "Заседание № 2 от 14.03.2024", kLandscape, "excel/voting.ots"},
        {true, "Ведомость участия в заседаниях и вознаграждения за период",
         {{QStringLiteral("dt_from"), QStringLiteral("'01.01.2024'")}, {QStringLiteral("dt_to"), QStringLiteral("'31.12.2024'")},
          {QStringLiteral("id_members"), members}, {QStringLiteral("rate"), QStringLiteral("1000")}, {QStringLiteral("min_count"), QStringLiteral("1")}},
         "Итоги по членам Совета директоров", kLandscape, "excel/attendance.ots"},
        {false, "Протокол заседания Совета директоров", {{QStringLiteral("id_session"), Session(1)}}, "ПРОТОКОЛ № 1", kPortrait,
         "word/minutes.ott"},
        {false, "Карточка члена Совета директоров",
         {{QStringLiteral("id_member"), Quoted(QStringLiteral("SELECT id FROM REF_MEMBERS WHERE fullname LIKE 'Соколов%'"))},
          {QStringLiteral("with_other"), QStringLiteral("1")}},
         "КАРТОЧКА ЧЛЕНА СОВЕТА ДИРЕКТОРОВ", kPortrait, "word/member.ott"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Caption);
        values = c.Values;
        const QString file = Made(c.Excel, QString::fromUtf8(c.Caption));
        ASSERT_FALSE(file.isEmpty());
        EXPECT_EQ(MacroEntries(file).join(QLatin1Char(' ')).toStdString(), "");
        EXPECT_FALSE(MacroEntries(QStringLiteral(QORVANE_BIN_DIR "/reports/") + QString::fromUtf8(c.Template)).isEmpty());
        const TPdf pdf = Pdf(file);
        EXPECT_TRUE(pdf.Text.contains(QString::fromUtf8(c.Shows))) << qPrintable(pdf.Text);
        EXPECT_EQ(Missing(file, pdf).join(QLatin1Char(' ')).toStdString(), "") << qPrintable(pdf.Text);
        ASSERT_FALSE(pdf.Pages.isEmpty());
        for (const QString& page : pdf.Pages) EXPECT_EQ(page.toStdString(), c.Page.toStdString());
    }
}

// Tables sized for their content: long names and decision texts wrap inside
// their cells, the vote counts' headings and the dates never break, and a
// table of many kinds of vote goes on a landscape page; the voting sheet
// stays one page wide.
TEST_F(PrintTest, TablesFitTheirPage)
{
    if (!Office()) GTEST_SKIP() << "LibreOffice or pdftotext is not installed";
    Execute(QStringLiteral("INSERT INTO REF_VOTE_TYPES (id, name) VALUES (4, 'Особое мнение')"));
    Execute(QStringLiteral("INSERT INTO REF_VOTE_TYPES (id, name) VALUES (5, 'Отсутствовал по уважительной причине')"));
    const QString longName = QStringLiteral("Константинопольский-Задунайский Александр Александрович");
    const QString member = NewKey();
    Execute(QStringLiteral("INSERT INTO REF_MEMBERS (id, fullname) VALUES ('%1', '%2')").arg(member, longName));
    for (int session : {1, 2}) {
        Execute(QStringLiteral("INSERT INTO LNK_SESSIONS_MEMBERS (id, id_session, id_member) VALUES ('%1', %2, '%3')")
                    .arg(NewKey(), Session(session), member));
        ado::RecordsetPtr rs = dm->adoConnection->Execute(
            QStringLiteral("SELECT id_decision FROM LNK_SESSIONS_DECISIONS WHERE id_session = %1").arg(Session(session)));
        for (qsizetype r = 0; r < rs->RowCount(); ++r)
            Execute(QStringLiteral("INSERT INTO LNK_DECISIONS_MEMBERS (id, id_decision, id_member, vote) VALUES ('%1', '%2', '%3', %4)")
                        .arg(NewKey(), rs->Text(r, 0), member).arg(r % 2 ? 4 : 5));
    }

    values = {{QStringLiteral("id_session"), Session(1)}};
    const QString minutes = Made(false, QStringLiteral("Протокол заседания Совета директоров"));
    ASSERT_FALSE(minutes.isEmpty());
    TPdf pdf = Pdf(minutes);
    EXPECT_EQ(Missing(minutes, pdf).join(QLatin1Char(' ')).toStdString(), "") << qPrintable(pdf.Text);
    ASSERT_FALSE(pdf.Pages.isEmpty());
    for (const QString& page : pdf.Pages) EXPECT_EQ(page.toStdString(), kLandscape.toStdString()) << "six kinds of vote do not fit a portrait page";

    values = {{QStringLiteral("id_session"), Session(2)}, {QStringLiteral("title"), QStringLiteral("''")}};
    const QString sheet = Made(true, QStringLiteral("Лист голосования по заседанию"));
    ASSERT_FALSE(sheet.isEmpty());
    pdf = Pdf(sheet);
    EXPECT_TRUE(pdf.Text.contains(QStringLiteral("Константинопольский-Задунайский"))) << qPrintable(pdf.Text);
    EXPECT_EQ(Missing(sheet, pdf).join(QLatin1Char(' ')).toStdString(), "") << qPrintable(pdf.Text);
    EXPECT_EQ(pdf.Pages.join(QLatin1Char(',')).toStdString(), kLandscape.toStdString()) << qPrintable(pdf.Text);
}
