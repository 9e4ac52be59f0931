// The main window: timer, window commands, register windows, exit question,
// view toggles, help, web page, about box, the Documents menu.
#include "AppFixture.h"

#include <algorithm>

#include <QDir>
#include <QFile>
#include <QRegion>
#include <vector>

#include "components/StrHolder.h"
#include "platform/core/SysUtils.h"

#include "app/unAbout.h"
#include "app/unSplash.h"
#include "platform/os/ShellApi.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/EventBridge.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

TEST(MainDate, GenitiveMonthAndYearWord)
{
    EXPECT_EQ(MainDateText(EncodeDate(2007, 5, 1)), QStringLiteral("1 мая 2007 года"));
    EXPECT_EQ(MainDateText(EncodeDate(2024, 12, 31)), QStringLiteral("31 декабря 2024 года"));
    EXPECT_EQ(MainDateText(EncodeDate(2010, 1, 9)), QStringLiteral("9 января 2010 года"));
}

TEST_F(AppFixture, TimerWritesDateAndF1TextAndEnablesWindowCommands)
{
    MakeDb();
    ShowMain();
    fmMain->Clock = [] { return EncodeDate(2007, 5, 1) + 0.5; };
    fmMain->MainTimerTimer(nullptr);
    EXPECT_EQ(fmMain->stbMain->PanelText(0), QStringLiteral("1 мая 2007 года"));
    EXPECT_EQ(fmMain->stbMain->PanelText(1), QStringLiteral("Для вызова справки нажмите F1"));
    TAction* window[] = {fmMain->aWTopToBottom, fmMain->aWLeftToRight, fmMain->aWCascade,
                         fmMain->aWArrange,     fmMain->aWMinimizeAll, fmMain->aWClose};
    for (TAction* a : window) EXPECT_FALSE(a->Enabled()) << a->Name().toStdString();

    // A hint replaces the F1 text; when it goes, the F1 text is back on the next tick.
    Application->SetHint(QStringLiteral("Изменить параметры системы"));
    EXPECT_EQ(fmMain->stbMain->PanelText(1), QStringLiteral("Изменить параметры системы"));
    Application->SetHint(QString());
    fmMain->MainTimerTimer(nullptr);
    EXPECT_EQ(fmMain->stbMain->PanelText(1), QStringLiteral("Для вызова справки нажмите F1"));

    fmMain->aOpenObjSessions->Execute();
    fmMain->MainTimerTimer(nullptr);
    for (TAction* a : window) EXPECT_TRUE(a->Enabled()) << a->Name().toStdString();
    // The commands run without children too, harmlessly.
    fmMain->aWCascade->Execute();
    fmMain->aWTopToBottom->Execute();
    fmMain->aWLeftToRight->Execute();
    fmMain->aWMinimizeAll->Execute();
    fmMain->aWArrange->Execute();
    EXPECT_EQ(fmMain->MDIChildren(0)->WindowState(), wsMinimized);
    fmMain->aWClose->Execute();
    Application->ProcessMessages();
    EXPECT_EQ(fmMain->MDIChildCount(), 0);
    fmMain->MainTimerTimer(nullptr);
    for (TAction* a : window) EXPECT_FALSE(a->Enabled());
}

// Three register windows open over the demo data, window commands enabled.
class WindowCommands : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        MakeDb(QString(), true);
        ShowMain();
        fmMain->aOpenObjSessions->Execute();
        fmMain->aOpenRefPlaces->Execute();
        fmMain->aOpenRefMembers->Execute();
        fmMain->MainTimerTimer(nullptr);
        ASSERT_EQ(fmMain->MDIChildCount(), 3);
    }
    std::vector<TForm*> TopFirst() const
    {
        std::vector<TForm*> v;
        for (int i = 0; i < fmMain->MDIChildCount(); ++i) v.push_back(fmMain->MDIChildren(i));
        return v;
    }
    // Each child lies inside the area, keeps a usable size, differs from the
    // others, and shows its title bar's left end above the children over it.
    void ExpectCascaded()
    {
        const QRect area = fmMain->MdiArea()->viewport()->rect();
        const auto kids = TopFirst();
        for (size_t i = 0; i < kids.size(); ++i) {
            TForm* f = kids[i];
            SCOPED_TRACE(f->Caption().toStdString());
            const QRect g = f->OuterWidget()->geometry();
            EXPECT_EQ(f->WindowState(), wsNormal);
            EXPECT_TRUE(f->OuterWidget()->isVisible());
            EXPECT_EQ(g, QRect(f->Left(), f->Top(), f->Width(), f->Height()));
            EXPECT_TRUE(area.contains(g)) << g.x() << "," << g.y() << " " << g.width() << "x" << g.height();
            EXPECT_GE(g.width(), area.width() / 2);
            EXPECT_GE(g.height(), area.height() / 2);
            for (size_t j = 0; j < i; ++j) {
                const QRect above = kids[j]->OuterWidget()->geometry();
                EXPECT_NE(above.topLeft(), g.topLeft());
                EXPECT_FALSE(above.contains(g.topLeft() + QPoint(4, 4)));
            }
        }
    }
};

TEST_F(WindowCommands, CascadeStaggersEveryChildInView)
{
    TForm* active = fmMain->ActiveMDIChild();
    fmMain->aWCascade->Execute();
    ExpectCascaded();
    EXPECT_EQ(fmMain->ActiveMDIChild(), active);   // the stacking stays
    EXPECT_EQ(TopFirst().front(), active);

    // From tiled windows too, and with a minimised one, which stays an icon.
    fmMain->aWLeftToRight->Execute();
    TForm* icon = TopFirst().back();
    icon->SetWindowState(wsMinimized);
    fmMain->aWCascade->Execute();
    EXPECT_EQ(icon->WindowState(), wsMinimized);
    icon->SetWindowState(wsNormal);
    fmMain->aWCascade->Execute();
    ExpectCascaded();

    // A maximised child comes back to normal and takes its step.
    fmMain->ActiveMDIChild()->SetWindowState(wsMaximized);
    fmMain->aWCascade->Execute();
    ExpectCascaded();
}

TEST_F(WindowCommands, TileBothWaysSharesTheArea)
{
    // One band each, across the whole area; a window's minimum size may make
    // its band wider than its share.
    const QRect area = fmMain->MdiArea()->viewport()->rect();
    for (const bool rows : {true, false}) {
        SCOPED_TRACE(rows ? "top to bottom" : "left to right");
        (rows ? fmMain->aWTopToBottom : fmMain->aWLeftToRight)->Execute();
        const int along = rows ? area.height() : area.width();
        std::vector<int> starts;
        for (TForm* f : TopFirst()) {
            const QRect g = f->OuterWidget()->geometry();
            EXPECT_EQ(f->WindowState(), wsNormal);
            EXPECT_EQ(rows ? g.width() : g.height(), rows ? area.width() : area.height());
            EXPECT_EQ(rows ? g.x() : g.y(), 0);
            starts.push_back(rows ? g.y() : g.x());
        }
        std::sort(starts.begin(), starts.end());
        EXPECT_EQ(starts, (std::vector<int>{0, along / 3, 2 * along / 3}));
    }
}

TEST_F(WindowCommands, MinimiseAllMinimisesEveryChildAndArrangeLinesTheIconsUp)
{
    // Minimising one child activates another and reorders the list.
    fmMain->aWMinimizeAll->Execute();
    for (TForm* f : TopFirst()) EXPECT_EQ(f->WindowState(), wsMinimized) << f->Caption().toStdString();
    fmMain->aWArrange->Execute();
    const int bottom = fmMain->MdiArea()->viewport()->height();
    QRegion covered;
    for (TForm* f : TopFirst()) {
        const QRect g = f->OuterWidget()->geometry();
        EXPECT_EQ(g.bottom() + 1, bottom);
        EXPECT_FALSE(covered.intersects(g));
        covered += g;
    }
}

TEST_F(AppFixture, RegisterOpenedTwiceIsOneWindowBroughtBack)
{
    MakeDb(QString(), true);
    ShowMain();
    fmMain->aOpenObjSessions->Execute();
    ASSERT_EQ(fmMain->MDIChildCount(), 1);
    TForm* child = fmMain->MDIChildren(0);
    EXPECT_EQ(child->Name(), QStringLiteral("TfmSessionObject_adoObjSessions"));
    EXPECT_EQ(child->Caption(), DM->FormsCaptions->Strings()->Strings(DM->adoObjSessions->Tag()));
    auto* ds = dynamic_cast<TDataSource*>(child->FindComponent(QStringLiteral("DataSource")));
    ASSERT_NE(ds, nullptr);
    EXPECT_EQ(ds->DataSet(), DM->adoObjSessions);
    child->SetWindowState(wsMinimized);
    fmMain->aOpenObjSessions->Execute();
    EXPECT_EQ(fmMain->MDIChildCount(), 1);
    EXPECT_EQ(child->WindowState(), wsNormal);
    fmMain->aOpenRefPlaces->Execute();
    EXPECT_EQ(fmMain->MDIChildCount(), 2);
    // The window menu lists both.
    auto* mm = fmMain->mnuMain;
    mm->UpdateWindowList();
    EXPECT_EQ(mm->WindowListCaptions().size(), 2);
}

// A window class name that no class answers to (a misspelt one) is an error
// the user sees with the name, and no window opens.
TEST_F(AppFixture, AnUnknownWindowClassIsAClearErrorAndOpensNothing)
{
    MakeDb(QString(), true);
    ShowMain();
    EXPECT_FALSE(CallHandler(fmMain, [] {
        fmMain->OpenRegisterWindow(DM->adoObjSessions, FindWindowClass(QStringLiteral("TfmSesionObject")));
    }));
    std::vector<QString> errors;
    for (const auto& c : rec->Calls)
        if (c.Kind == TDialogKind::MessageBox && (c.Flags & MB_ICONSTOP)) errors.push_back(c.Text);
    EXPECT_EQ(errors, std::vector<QString>{QStringLiteral("Неизвестный класс окна «TfmSesionObject».")});
    EXPECT_EQ(fmMain->MDIChildCount(), 0);
}

TEST_F(AppFixture, ExitQuestion)
{
    MakeDb();
    ShowMain();
    const bool before = Application->Terminated();   // sticky within one process
    rec->Answers = {IDNO};
    fmMain->aExit->Execute();
    ASSERT_EQ(Boxes(QStringLiteral("Выход")), 1);
    EXPECT_EQ(rec->Last().Text, QStringLiteral("Вы действительно хотите выйти из приложения?"));
    EXPECT_EQ(rec->Last().Flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(Application->Terminated(), before);
    rec->Answers = {IDYES};
    fmMain->Close();
    EXPECT_TRUE(Application->Terminated());
}

TEST_F(AppFixture, ViewTogglesFlipAndAreStored)
{
    MakeDb();
    QFile::remove(SettingsFile());
    ShowMain();
    EXPECT_TRUE(fmMain->aToggleToolbarView->Checked());
    fmMain->aToggleToolbarView->Execute();
    EXPECT_FALSE(fmMain->aToggleToolbarView->Checked());
    EXPECT_FALSE(fmMain->CoolBar1->Visible());
    fmMain->aToggleStatusbarView->Execute();
    EXPECT_FALSE(fmMain->stbMain->Visible());
    fmMain->Free();   // saves through fstMain
    fmMain = nullptr;
    ShowMain();
    EXPECT_FALSE(fmMain->aToggleToolbarView->Checked());
    EXPECT_FALSE(fmMain->CoolBar1->Visible());
    EXPECT_FALSE(fmMain->aToggleStatusbarView->Checked());
    EXPECT_FALSE(fmMain->stbMain->Visible());
    fmMain->aToggleToolbarView->Execute();
    fmMain->aToggleStatusbarView->Execute();
    fmMain->Free();
    fmMain = nullptr;
    QFile::remove(SettingsFile());
}

TEST_F(AppFixture, HelpWebPageAndAbout)
{
    MakeDb();
    ShowMain();
    QStringList opened;
    TShellHook old = SetShellHook([&](const QString& verb, const QString& target) {
        opened << verb + QLatin1Char(' ') + target;
        return true;
    });
    fmMain->aHelp->Execute();
    ASSERT_EQ(Boxes(QStringLiteral("Отсутствует файл справки")), 1);
    EXPECT_EQ(rec->Last().Text, QStringLiteral("Файл справки QORVANE.CHM не найден."));
    EXPECT_EQ(rec->Last().Flags, MB_OK | MB_ICONERROR);
    QFile chm(folder + QStringLiteral("qorvane.chm"));
    ASSERT_TRUE(chm.open(QIODevice::WriteOnly));
    chm.close();
    fmMain->aHelp->Execute();
    fmMain->aCompanyInWWW->Execute();
    EXPECT_EQ(opened, (QStringList{QStringLiteral("open ") + folder + QStringLiteral("qorvane.chm"),
                                   QStringLiteral("open ") + ProductWebAddress}));
    EXPECT_EQ(fmMain->aHelp->ShortCut(), 112);
    EXPECT_EQ(fmMain->aExit->ShortCut(), 32883);

    VersionInfo.dwFileVersionMS = (1u << 16) | 0u;
    VersionInfo.dwFileVersionLS = (3u << 16) | 17u;
    rec->OnModal = [&](TForm* f) {
        auto* a = dynamic_cast<TfmAbout*>(f);
        EXPECT_NE(a, nullptr);
        if (a) {
            EXPECT_EQ(a->lblVer->Caption(), QStringLiteral("Версия 1.0.3 (cборка 17)."));
            EXPECT_EQ(a->lblVer->Caption()[a->lblVer->Caption().indexOf(QLatin1Char('(')) + 1], QLatin1Char('c'));   // Latin
            a->lblLink->Click();
        }
        return int(mrOk);
    };
    fmMain->aAboutProgramm->Execute();
    EXPECT_EQ(Forms(QStringLiteral("TfmAbout")), 1);
    EXPECT_EQ(opened.size(), 3);
    SetShellHook(old);
}

TEST_F(AppFixture, DocumentsMenuFollowsTheCataloguesOnActivation)
{
    MakeDb();
    ShowMain();
    QDir().mkpath(ExcelReportsDir);
    QDir().mkpath(WordReportsDir);
    auto write = [](const QString& file, const QByteArray& bytes) {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    };
    write(ExcelReportsDir + QStringLiteral("t.ods"), "x");
    write(ExcelReportsDir + QStringLiteral("reports.dat"),
          "Report one\r\n-\r\nt.ods\r\nSELECT 1\r\n\r\nReport two\r\n-\r\nt.ods\r\nSELECT 2\r\n");
    fmMain->AppEvtActivate(nullptr);
    ASSERT_EQ(fmMain->N6->Count(), 2);
    EXPECT_EQ(fmMain->N6->Items(1)->Action()->Name(), QStringLiteral("aEReport1"));
    EXPECT_EQ(fmMain->N6->Items(1)->Action()->Hint(), QStringLiteral("Создать документ «Report two»"));
    std::vector<QString> ran;
    GenerateReportProc = [&](TReport r, const QString&, const QString&, bool excel) {
        ran.push_back(r.Caption + (excel ? QStringLiteral("/E") : QStringLiteral("/W")));
    };
    // A report number past the list does nothing.
    TAction stray(nullptr);
    stray.SetName(QStringLiteral("aEReport7"));
    fmMain->ReportActionExecute(&stray);
    EXPECT_TRUE(ran.empty());
    fmMain->N6->Items(1)->Click();
    GenerateReportProc = nullptr;
    EXPECT_EQ(ran, std::vector<QString>{QStringLiteral("Report two/E")});
}
