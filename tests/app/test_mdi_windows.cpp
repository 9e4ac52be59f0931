// The register windows as MDI children, the way the user works them: a press
// on a window's title bar or tool bar brings it forward, its maximise and
// restore buttons leave the other windows as they were, its status bar shows
// exactly while it is not maximised with the search line above it, and the
// window system's keys close it (saving its placement) and turn to the next
// and previous window.
#include "AppFixture.h"

#include <QApplication>
#include <QFile>
#include <QSettings>

#include "components/QvCtrls.h"
#include "components/StrHolder.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "registers/RegisterWindow.h"
#include "tests/platform/ScreenInput.h"
#include "tests/platform/WindowSystem.h"

namespace {

class RegisterWindows : public FreshSettingsFixture {
protected:
    void SetUp() override
    {
        FreshSettingsFixture::SetUp();
        MakeDb(QString(), true);
        ShowMain();
        ActivateForm(fmMain);
    }
    TRegisterWindow* Open(TAction* command)
    {
        command->Execute();
        Application->ProcessMessages();
        return dynamic_cast<TRegisterWindow*>(fmMain->ActiveMDIChild());
    }
    // What the window shows once its timer has run and the loop settled.
    static void Settle(TRegisterWindow* w)
    {
        w->Timer->Fire();
        Application->ProcessMessages();
    }
    // The window the user works in: in front, with the focus in its grid.
    static bool Working(TRegisterWindow* w)
    {
        QWidget* focus = QApplication::focusWidget();
        return fmMain->ActiveMDIChild() == w && fmMain->MDIChildren(0) == w && focus &&
               (focus == w->DBGrid->Widget() || w->DBGrid->Widget()->isAncestorOf(focus));
    }
    // Normal, in the toolkit's eyes too, with its status bar at the bottom of
    // the window and the search line, when shown, right above it.
    static void ExpectNormal(TRegisterWindow* w)
    {
        SCOPED_TRACE(w->Caption().toStdString());
        Settle(w);
        EXPECT_EQ(w->WindowState(), wsNormal);
        EXPECT_FALSE(w->OuterWidget()->windowState() & Qt::WindowMaximized);
        EXPECT_TRUE(w->StatusBar->Visible());
        EXPECT_TRUE(w->StatusBar->Widget()->isVisible());
        EXPECT_EQ(w->StatusBar->Top() + w->StatusBar->Height(), w->ClientHeight());
        if (w->panSearch->Visible()) {
            EXPECT_EQ(w->panSearch->Top() + w->panSearch->Height(), w->StatusBar->Top());
            EXPECT_EQ(w->DBGrid->Top() + w->DBGrid->Height(), w->panSearch->Top());
        }
    }
    static void ExpectMaximised(TRegisterWindow* w)
    {
        SCOPED_TRACE(w->Caption().toStdString());
        Settle(w);
        EXPECT_EQ(w->WindowState(), wsMaximized);
        EXPECT_FALSE(w->StatusBar->Visible());
        const int bottom = w->panSearch->Visible() ? w->panSearch->Top() : w->ClientHeight();
        EXPECT_EQ(w->DBGrid->Top() + w->DBGrid->Height(), bottom);
    }
    // A press on the empty end of the window's tool bar, past its buttons.
    static void PressToolBar(TRegisterWindow* w)
    {
        QWidget* bar = w->ToolBar->Widget();
        screen::Click(bar, QPointF(bar->width() - 4, bar->height() / 2.0));
        Application->ProcessMessages();
    }
};

}  // namespace

TEST_F(RegisterWindows, APressOnABackgroundWindowsTitleOrToolBarBringsItForward)
{
    TRegisterWindow* sessions = Open(fmMain->aOpenObjSessions);
    TRegisterWindow* decisions = Open(fmMain->aOpenObjDecisions);
    ASSERT_TRUE(sessions && decisions);
    ASSERT_TRUE(Working(decisions));

    PressTitleBar(sessions, QStyle::SC_TitleBarLabel);
    EXPECT_TRUE(Working(sessions));
    PressToolBar(decisions);
    EXPECT_TRUE(Working(decisions));
    // The press on the tool bar ran nothing: the current record stayed.
    EXPECT_EQ(DM->adoObjDecisions->RecNo(), 1);
}

TEST_F(RegisterWindows, AfterAMaximiseAndARestoreTheOtherWindowsStayNormalWithTheirStatusBars)
{
    TRegisterWindow* sessions = Open(fmMain->aOpenObjSessions);
    TRegisterWindow* decisions = Open(fmMain->aOpenObjDecisions);
    ASSERT_TRUE(sessions && decisions);

    PressTitleBar(decisions, QStyle::SC_TitleBarMaxButton);
    ExpectMaximised(decisions);
    PressTitleBar(decisions, QStyle::SC_TitleBarNormalButton);
    ExpectNormal(decisions);
    EXPECT_TRUE(Working(decisions));

    // A click into the sessions register's grid.
    screen::Click(sessions->DBGrid->Widget(), QPointF(30, 60));
    EXPECT_TRUE(Working(sessions));
    ExpectNormal(sessions);
    ExpectNormal(decisions);

    // A window opened later is normal too, and so is one turned to again.
    TRegisterWindow* places = Open(fmMain->aOpenRefPlaces);
    ASSERT_TRUE(places);
    ExpectNormal(places);
    PressTitleBar(decisions, QStyle::SC_TitleBarLabel);
    EXPECT_TRUE(Working(decisions));
    ExpectNormal(decisions);

    // While one is maximised, the window opened next comes up maximised (and
    // stores nothing), and that one restored leaves the others normal again.
    PressTitleBar(decisions, QStyle::SC_TitleBarMaxButton);
    TRegisterWindow* payments = Open(fmMain->aOpenObjPayments);
    ASSERT_TRUE(payments);
    ExpectMaximised(payments);
    EXPECT_FALSE(payments->FormStorage->Active());
    PressTitleBar(payments, QStyle::SC_TitleBarNormalButton);
    ExpectNormal(payments);
    for (TRegisterWindow* w : {sessions, decisions, places}) ExpectNormal(w);
}

TEST_F(RegisterWindows, TheSearchLineStandsAboveTheStatusBarWhateverTheOrder)
{
    TRegisterWindow* w = Open(fmMain->aOpenRefPlaces);
    ASSERT_TRUE(w);
    const auto search = [&] {
        ASSERT_TRUE(PressKey(Qt::Key_F, Qt::ControlModifier));
        ASSERT_TRUE(w->panSearch->Visible());
    };
    // Opened, then the window maximised and restored: the line stays open
    // with the focus in it.
    search();
    PressTitleBar(w, QStyle::SC_TitleBarMaxButton);
    ExpectMaximised(w);
    PressTitleBar(w, QStyle::SC_TitleBarNormalButton);
    ExpectNormal(w);
    EXPECT_TRUE(w->panSearch->Visible());
    EXPECT_EQ(QApplication::focusWidget(), w->edSearch->Widget());
    // Opened while maximised.
    PressKey(Qt::Key_Escape);
    PressTitleBar(w, QStyle::SC_TitleBarMaxButton);
    search();
    ExpectMaximised(w);
    PressTitleBar(w, QStyle::SC_TitleBarNormalButton);
    ExpectNormal(w);
    EXPECT_TRUE(w->panSearch->Visible());
    // Closed while maximised, opened again after the restore.
    PressKey(Qt::Key_Escape);
    PressTitleBar(w, QStyle::SC_TitleBarMaxButton);
    Settle(w);
    search();
    PressKey(Qt::Key_Escape);
    ASSERT_FALSE(w->panSearch->Visible());
    PressTitleBar(w, QStyle::SC_TitleBarNormalButton);
    Settle(w);
    search();
    ExpectNormal(w);
}

TEST_F(RegisterWindows, CtrlF6TurnsToTheNextWindowAndCtrlF4ClosesItKeepingItsPlacement)
{
    TRegisterWindow* sessions = Open(fmMain->aOpenObjSessions);
    TRegisterWindow* decisions = Open(fmMain->aOpenObjDecisions);
    TRegisterWindow* places = Open(fmMain->aOpenRefPlaces);
    ASSERT_TRUE(sessions && decisions && places);
    // The keys go where the focus is: the grid of the window in front.
    for (TRegisterWindow* want : {decisions, sessions, places}) {
        ASSERT_TRUE(PressKey(Qt::Key_F6, Qt::ControlModifier));
        EXPECT_TRUE(Working(want)) << want->Caption().toStdString();
    }
    for (TRegisterWindow* want : {sessions, decisions, places}) {
        ASSERT_TRUE(PressKey(Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier));
        EXPECT_TRUE(Working(want)) << want->Caption().toStdString();
    }

    // Ctrl+F4 in the places directory, moved and sized by the user: the
    // window goes and its section holds where it stood.
    places->SetBounds(40, 30, 560, 260);
    ASSERT_TRUE(Working(places));
    ASSERT_TRUE(PressKey(Qt::Key_F4, Qt::ControlModifier));
    EXPECT_EQ(fmMain->MDIChildCount(), 2);
    for (int i = 0; i < fmMain->MDIChildCount(); ++i)
        EXPECT_NE(fmMain->MDIChildren(i)->Caption(), DM->FormsCaptions->Strings()->Strings(DM->adoRefPlaces->Tag()));
    QSettings ini(SettingsFile(), QSettings::IniFormat);
    EXPECT_EQ(ini.value(QStringLiteral("TfmMainReference_adoRefPlaces/NormPos")).toStringList(),
              (QStringList{QStringLiteral("40"), QStringLiteral("30"), QStringLiteral("600"), QStringLiteral("290")}));
    EXPECT_EQ(ini.value(QStringLiteral("TfmMainReference_adoRefPlaces/ShowCmd")).toInt(), 1);

    // The next window in front has the keys now.
    TForm* next = fmMain->ActiveMDIChild();
    ASSERT_TRUE(next == sessions || next == decisions);
    EXPECT_TRUE(Working(static_cast<TRegisterWindow*>(next)));
    ASSERT_TRUE(PressKey(Qt::Key_F4, Qt::ControlModifier));
    ASSERT_TRUE(PressKey(Qt::Key_F4, Qt::ControlModifier));
    EXPECT_EQ(fmMain->MDIChildCount(), 0);
}
