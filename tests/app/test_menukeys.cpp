// The main menu from the keyboard alone, the keys delivered as the window
// system delivers them: Alt or F10 puts the menu bar into its keyboard mode
// with the first title highlighted on the screen, the arrows and Enter open
// the sessions register, Esc (or F10 again) gives the focus back; each
// title's accelerator, typed in the Russian layout, opens its menu wherever
// the focus is in the main window.
#include "AppFixture.h"

#include <QApplication>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <string>
#include <vector>

#include "components/StrHolder.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Menus.h"
#include "registers/unSessionObject.h"
#include "tests/platform/ScreenInput.h"
#include "tests/platform/WindowSystem.h"

namespace {

class MenuKeys : public AppFixture {
protected:
    QMenuBar* bar = nullptr;

    void SetUp() override
    {
        AppFixture::SetUp();
        MakeDb(QString(), true);
        ShowMain();
        ActivateForm(fmMain);
        bar = fmMain->mnuMain->MenuBar();
        ASSERT_NE(bar, nullptr);
    }
    // Where the focus is when the keys come: the main window alone, or the
    // grid of a register window opened in it.
    QWidget* FocusIn(bool inRegister)
    {
        if (inRegister) {
            fmMain->aOpenRefPlaces->Execute();
            ActivateForm(fmMain);
        }
        return QApplication::focusWidget();
    }
    void CloseRegisters()
    {
        while (fmMain->MDIChildCount() > 0) fmMain->MDIChildren(0)->Free();
        Application->ProcessMessages();
        ActivateForm(fmMain);
    }
    // The share of the title's place on the screen drawn in the highlight
    // colour.
    double Highlighted(TMenuItem* title) const
    {
        const QImage shown = screen::ScreenOf(bar);
        const QRect r = bar->actionGeometry(title->QtAction());
        const QRgb highlight = bar->palette().color(QPalette::Highlight).rgb();
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (shown.pixel(x, y) == highlight) ++n;
        return r.isEmpty() ? 0.0 : double(n) / (r.width() * r.height());
    }
    static QMenu* OpenMenu() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }
};

TEST_F(MenuKeys, AltOrF10HighlightsTheFirstTitleAndTheArrowsAndEnterOpenTheSessionsRegister)
{
    for (int key : {int(Qt::Key_Alt), int(Qt::Key_F10)})
        for (bool inRegister : {false, true}) {
            SCOPED_TRACE(std::string(key == Qt::Key_Alt ? "Alt" : "F10") + (inRegister ? " in a register" : ""));
            FocusIn(inRegister);
            KeyboardKey(key);
            EXPECT_TRUE(bar->hasFocus());
            EXPECT_EQ(bar->activeAction(), fmMain->mnuFile->QtAction());
            EXPECT_EQ(OpenMenu(), nullptr);
            EXPECT_GT(Highlighted(fmMain->mnuFile), 0.3);
            EXPECT_EQ(Highlighted(fmMain->mnuObjects), 0.0);

            KeyboardKey(Qt::Key_Right);
            KeyboardKey(Qt::Key_Right);
            EXPECT_EQ(bar->activeAction(), fmMain->mnuObjects->QtAction());
            EXPECT_EQ(Highlighted(fmMain->mnuFile), 0.0);
            EXPECT_GT(Highlighted(fmMain->mnuObjects), 0.3);

            // Down opens the title's menu, and so does Enter.
            if (inRegister)
                KeyboardKey(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
            else
                KeyboardKey(Qt::Key_Down);
            ASSERT_EQ(OpenMenu(), fmMain->mnuObjects->QtMenu());
            EXPECT_EQ(OpenMenu()->activeAction(), fmMain->mnuObjects->Items(0)->QtAction());
            KeyboardKey(Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));

            EXPECT_EQ(OpenMenu(), nullptr);
            EXPECT_NE(dynamic_cast<TfmSessionObject*>(fmMain->ActiveMDIChild()), nullptr);
            EXPECT_EQ(fmMain->ActiveMDIChild()->Caption(), DM->FormsCaptions->Strings()->Strings(0));
            EXPECT_FALSE(bar->hasFocus());
            EXPECT_EQ(bar->activeAction(), nullptr);
            CloseRegisters();
        }
}

TEST_F(MenuKeys, EscOrF10AgainLeavesTheMenuAndTheFocusGoesBack)
{
    QWidget* grid = FocusIn(true);
    ASSERT_NE(grid, nullptr);
    const struct {
        const char* what;
        std::vector<int> keys;
    } cases[] = {
        {"F10, Esc", {Qt::Key_F10, Qt::Key_Escape}},
        {"Alt, F10", {Qt::Key_Alt, Qt::Key_F10}},
        {"F10, F10", {Qt::Key_F10, Qt::Key_F10}},
        {"F10, Down, Esc, Esc", {Qt::Key_F10, Qt::Key_Down, Qt::Key_Escape, Qt::Key_Escape}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        KeyboardKey(c.keys.front());
        EXPECT_TRUE(fmMain->mnuMain->KeyboardMode());
        EXPECT_EQ(bar->activeAction(), fmMain->mnuFile->QtAction());
        for (size_t i = 1; i < c.keys.size(); ++i) KeyboardKey(c.keys[i]);
        EXPECT_EQ(OpenMenu(), nullptr);
        EXPECT_EQ(QApplication::focusWidget(), grid);
        EXPECT_EQ(bar->activeAction(), nullptr);
        EXPECT_EQ(Highlighted(fmMain->mnuFile), 0.0);
    }
    // After Down and one Esc the menu closes and its title stays highlighted.
    KeyboardKey(Qt::Key_F10);
    KeyboardKey(Qt::Key_Down);
    ASSERT_EQ(OpenMenu(), fmMain->mnuFile->QtMenu());
    KeyboardKey(Qt::Key_Escape);
    EXPECT_EQ(OpenMenu(), nullptr);
    EXPECT_EQ(bar->activeAction(), fmMain->mnuFile->QtAction());
    EXPECT_GT(Highlighted(fmMain->mnuFile), 0.3);
}

// The tool bar's drop-down buttons carry the same captions ("Об&ъекты") and
// the register windows' buttons others ("&Добавить"); the title's menu opens
// at the first press all the same.
TEST_F(MenuKeys, EachTitlesAcceleratorOpensItsMenuInTheRussianLayout)
{
    TAction* const where[] = {nullptr, fmMain->aOpenObjSessions, fmMain->aOpenRefMembers, fmMain->aOpenRefForms};
    for (TAction* open : where) {
        SCOPED_TRACE(open ? open->Name().toStdString() : "main window");
        if (open) {
            open->Execute();
            ActivateForm(fmMain);
        }
        QWidget* focus = QApplication::focusWidget();
        TMenuItem* titles = fmMain->mnuMain->Items();
        for (int i = 0; i < titles->Count(); ++i) {
            TMenuItem* title = titles->Items(i);
            SCOPED_TRACE(title->Caption().toStdString());
            const QChar letter = title->Caption().at(title->Caption().indexOf(QLatin1Char('&')) + 1).toLower();
            KeyboardKey(letter.toUpper().unicode(), Qt::AltModifier, QString(letter));
            EXPECT_EQ(OpenMenu(), title->QtMenu());
            KeyboardKey(Qt::Key_Escape);
            KeyboardKey(Qt::Key_Escape);
            EXPECT_EQ(OpenMenu(), nullptr);
            if (focus) EXPECT_EQ(QApplication::focusWidget(), focus);
        }
        CloseRegisters();
    }
}

}  // namespace
