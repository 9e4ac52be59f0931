// The event bridge and form shortcuts, through the toolkit's own event
// delivery: an exception raised by any kind of handler reaches the error
// display once and the program goes on; a refused OK keeps a modal dialog
// open; an action's shortcut works wherever the focus is inside its form,
// only while the action is enabled, and never in another MDI child.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QTimerEvent>
#include <QToolButton>

#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComboBoxes.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "tests/platform/ScreenInput.h"
#include "tests/platform/ShownForm.h"

namespace {

void Click(QWidget* w)
{
    const QPointF at(w->width() / 2.0, w->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
}

[[noreturn]] void Raise(const char* what) { throw Exception(QString::fromLatin1(what)); }

class TRaisingForm : public TForm {
    QV_CLASS(TRaisingForm, TForm)
public:
    explicit TRaisingForm(TComponent* AOwner) : TForm(AOwner) {}
    void WndProc(TMessage& m) override
    {
        if (m.Msg == WM_USER + 5) Raise("posted");
        TForm::WndProc(m);
    }
};

using Shown = ShownForm<TRaisingForm>;

}  // namespace

TEST(EventBridge, AnExceptionFromAnyHandlerShowsOneMessageAndTheProgramGoesOn)
{
    Shown s;
    auto* button = new TButton(s.form);
    button->SetParent(s.form);
    button->OnClick = [](TObject*) { Raise("button"); };
    auto* edit = new TEdit(s.form);
    edit->SetParent(s.form);
    edit->SetTop(40);
    edit->OnKeyDown = [](TObject*, WORD& k, TShiftState) {
        if (k == VK_F2) Raise("key");
    };
    auto* panel = new TPanel(s.form);
    panel->SetParent(s.form);
    panel->SetBounds(200, 0, 100, 100);
    panel->OnMouseDown = [](TObject*, TMouseButton, TShiftState, int, int) { Raise("mouse"); };
    auto* combo = new TComboBox(s.form);
    combo->SetParent(s.form);
    combo->SetTop(80);
    combo->Items()->Add(QStringLiteral("a"));
    combo->Items()->Add(QStringLiteral("b"));
    combo->OnSelect = [](TObject*) { Raise("combo"); };
    auto* menu = new TPopupMenu(s.form);
    auto* item = NewMenuItem(s.form, QStringLiteral("miRaise"), nullptr);
    item->SetCaption(QStringLiteral("Raise"));
    item->OnClick = [](TObject*) { Raise("menu"); };
    menu->Items()->Add(item);
    auto* bar = new TToolBar(s.form);
    bar->SetParent(s.form);
    bar->SetAlign(alBottom);
    auto* action = new TAction(s.form);
    action->OnExecute = [](TObject*) { Raise("action"); };
    auto* tool = new TToolButton(s.form);
    tool->SetToolBar(bar);
    tool->SetAction(action);
    auto* timer = new TTimer(s.form);
    timer->SetInterval(60000);
    timer->OnTimer = [](TObject*) { Raise("timer"); };
    s.Show();

    const std::vector<std::pair<const char*, std::function<void()>>> sources = {
        {"button", [&] { Click(button->Widget()); }},
        {"key", [&] { screen::Key(edit->Widget(), Qt::Key_F2); }},
        {"mouse", [&] { Click(panel->Widget()); }},
        {"combo", [&] { Q_EMIT qobject_cast<QComboBox*>(combo->Widget())->activated(1); }},
        {"menu", [&] { item->QtAction()->trigger(); }},
        {"action", [&] { Click(tool->QtButton()); }},
        {"timer", [&] {
             QTimerEvent e(timer->QtTimer()->timerId());
             QApplication::sendEvent(timer->QtTimer(), &e);
         }},
        {"posted", [&] {
             PostMessage(s.form->Handle(), WM_USER + 5);
             Application->ProcessMessages();
         }},
    };
    for (const auto& [what, fire] : sources) {
        TDialogRecorder dialogs;
        fire();
        fire();   // the program went on: the same source raises again
        ASSERT_EQ(dialogs.Calls.size(), 2u) << what;
        EXPECT_EQ(dialogs.Calls[0].Text, QString::fromLatin1(what) + QLatin1Char('.')) << what;
        EXPECT_EQ(dialogs.Calls[0].Flags, MB_OK | MB_ICONSTOP) << what;
    }
    // The silent abort shows nothing.
    button->OnClick = [](TObject*) { Abort(); };
    TDialogRecorder dialogs;
    Click(button->Widget());
    EXPECT_TRUE(dialogs.Calls.empty());
}

TEST(EventBridge, ARefusedOkKeepsTheDialogOpenWithItsMessage)
{
    auto* dlg = NewForm<TForm>(nullptr);
    dlg->SetBounds(0, 0, 300, 120);
    auto* ok = new TButton(dlg);
    ok->SetParent(dlg);
    ok->SetCaption(QStringLiteral("OK"));
    ok->SetModalResult(mrOk);
    int posts = 0;
    dlg->OnCloseQuery = [&](TObject*, bool&) {
        if (++posts == 1) throw EDatabaseError(QStringLiteral("Поле \"Название\" должно быть заполнено"));
    };
    TDialogRecorder dialogs;
    std::vector<TModalResult> afterClick;
    dialogs.OnModal = [&](TForm* f) {
        Click(ok->Widget());
        afterClick.push_back(f->ModalResult());
        return mrNone;
    };
    EXPECT_EQ(dlg->ShowModal(), mrOk);
    ASSERT_EQ(afterClick.size(), 2u);
    EXPECT_EQ(afterClick[0], mrNone);   // refused: still open
    EXPECT_EQ(afterClick[1], mrOk);
    ASSERT_EQ(dialogs.Count(TDialogKind::MessageBox), 1);
    const auto box = std::find_if(dialogs.Calls.begin(), dialogs.Calls.end(),
                                  [](const TDialogRequest& r) { return r.Kind == TDialogKind::MessageBox; });
    EXPECT_EQ(box->Text, QStringLiteral("Поле \"Название\" должно быть заполнено."));
    dlg->Free();
}

TEST(FormShortCuts, WorkAnywhereInTheFormOnlyWhileEnabled)
{
    Shown s;
    auto* list = new TActionList(s.form);
    int searches = 0, refreshes = 0;
    auto* search = new TAction(s.form);
    search->SetActionList(list);
    search->SetShortCut(scCtrl | 'F');
    search->OnExecute = [&](TObject*) { ++searches; };
    auto* refresh = new TAction(s.form);
    refresh->SetShortCut(VK_F5);   // an action of the form without a list
    refresh->OnExecute = [&](TObject*) { ++refreshes; };
    auto* edit = new TEdit(s.form);
    edit->SetParent(s.form);
    auto* panel = new TPanel(s.form);
    panel->SetParent(s.form);
    panel->SetTop(40);
    auto* inner = new TEdit(s.form);
    inner->SetParent(panel);
    QList<WORD> editKeys;
    edit->OnKeyDown = [&](TObject*, WORD& k, TShiftState) { editKeys << k; };
    s.Show();

    screen::Key(edit->Widget(), Qt::Key_F, Qt::ControlModifier);
    screen::Key(inner->Widget(), Qt::Key_F, Qt::ControlModifier);
    screen::Key(inner->Widget(), Qt::Key_F5);
    EXPECT_EQ(searches, 2);
    EXPECT_EQ(refreshes, 1);
    EXPECT_TRUE(editKeys.isEmpty());   // the form had the key first
    search->SetEnabled(false);
    screen::Key(edit->Widget(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(searches, 2);
    EXPECT_EQ(editKeys, QList<WORD>{WORD('F')});   // a disabled action leaves the key to the control
}

TEST(FormShortCuts, AnMdiChildsShortCutsStayInThatChild)
{
    auto* frame = NewForm<TForm>(nullptr);
    frame->SetFormStyle(fsMDIForm);
    frame->SetBounds(0, 0, 800, 600);
    Application->SetMainForm(frame);
    frame->Show();
    int frameRuns = 0;
    auto* frameAction = new TAction(frame);
    frameAction->SetShortCut(VK_F1);
    frameAction->OnExecute = [&](TObject*) { ++frameRuns; };
    struct Child {
        TForm* form;
        TEdit* edit;
        int runs = 0;
    };
    std::vector<Child> children(2);
    for (Child& c : children) {
        c.form = new TForm(nullptr);
        c.form->SetFormStyle(fsMDIChild);
        c.form->SetBounds(10, 10, 300, 200);
        auto* a = new TAction(c.form);
        a->SetShortCut(VK_F5);
        a->OnExecute = [&c](TObject*) { ++c.runs; };
        c.edit = new TEdit(c.form);
        c.edit->SetParent(c.form);
        c.form->AfterConstruction();
    }
    Application->ProcessMessages();
    screen::Key(children[0].edit->Widget(), Qt::Key_F5);
    EXPECT_EQ(children[0].runs, 1);
    EXPECT_EQ(children[1].runs, 0);
    screen::Key(children[1].edit->Widget(), Qt::Key_F5);
    EXPECT_EQ(children[0].runs, 1);
    EXPECT_EQ(children[1].runs, 1);
    // The frame's own actions work from inside a child.
    screen::Key(children[1].edit->Widget(), Qt::Key_F1);
    EXPECT_EQ(frameRuns, 1);
    for (Child& c : children) c.form->Free();
    Application->SetMainForm(nullptr);
    frame->Free();
}
