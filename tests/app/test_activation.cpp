// Every return to the program counts as an activation, also each return
// after a report's parameter dialog came and went and another program (the
// office, showing the document) took the focus: the catalogues are read
// again and the Documents menu is rebuilt from them.
#include "AppFixture.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QStringList>
#include <string>

#include "platform/ui/Menus.h"
#include "reports/unReports.h"
#include "tests/platform/WindowSystem.h"

namespace {

void WriteCatalogue(const QString& caption)
{
    QDir().mkpath(ExcelReportsDir);
    QFile t(ExcelReportsDir + QStringLiteral("t.ods"));
    ASSERT_TRUE(t.open(QIODevice::WriteOnly));
    t.write("x");
    QFile f(ExcelReportsDir + QStringLiteral("reports.dat"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(caption.toLatin1() +
            "\r\n'id_session', ptReference, 'Session', true, 'OBJ_SESSIONS', false, ''\r\nt.ods\r\n"
            "SELECT 1 FROM OBJ_SESSIONS WHERE id = :id_session\r\n");
}

// The Documents menu's items as the menu bar shows them.
std::string DocumentsMenu()
{
    QStringList texts;
    for (QAction* a : fmMain->N6->QtMenu()->actions())
        if (!a->isSeparator()) texts << a->text();
    return texts.join(QStringLiteral(" | ")).toStdString();
}

}  // namespace

TEST_F(AppFixture, EveryReturnAfterAReportRebuildsTheDocumentsMenu)
{
    MakeDb(QString(), true);
    ShowMain();
    WriteCatalogue(QStringLiteral("Voting sheet"));
    OtherProgramTakesTheFocus();
    UserClicks(fmMain);
    ASSERT_EQ(DocumentsMenu(), "Voting sheet");

    // The user looks at the report's parameter dialog and closes it; the
    // office then takes the focus, and the user comes back.
    rec->OnModal = [](TForm*) {
        Application->ProcessMessages();
        return int(mrCancel);
    };
    int runs = 0;
    for (const char* caption : {"Voting sheet, second edition", "Voting sheet, third edition"}) {
        SCOPED_TRACE(caption);
        fmMain->N6->Items(0)->QtAction()->trigger();
        Application->ProcessMessages();
        ASSERT_EQ(Forms(QStringLiteral("TfmReportsEnterParams")), ++runs);
        OtherProgramTakesTheFocus();
        WriteCatalogue(QString::fromLatin1(caption));
        UserClicks(fmMain);
        EXPECT_EQ(DocumentsMenu(), caption);
    }
}
