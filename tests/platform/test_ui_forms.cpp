// Forms and the application: the show sequence, closing and freeing, modal
// dialogs and message boxes through the dialog hook, the error display, MDI
// frames and alignment of controls.
#include <gtest/gtest.h>

#include <QMdiArea>

#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/StdCtrls.h"
#include "tests/platform/ScreenInput.h"
#include "tests/platform/WindowSystem.h"

namespace {

class TfmProbe : public TForm {
    QV_CLASS(TfmProbe, TForm)
public:
    explicit TfmProbe(TComponent* AOwner) : TForm(AOwner) {}
};

TForm* NewMdiFrame()
{
    auto* frame = NewForm<TForm>(nullptr);
    frame->SetFormStyle(fsMDIForm);
    frame->SetBounds(0, 0, 800, 600);
    Application->SetMainForm(frame);
    frame->Show();
    return frame;
}

TForm* NewMdiChild(const QString& caption)
{
    auto* child = new TForm(nullptr);
    child->SetFormStyle(fsMDIChild);
    child->SetCaption(caption);
    child->SetBounds(10, 10, 200, 150);
    child->AfterConstruction();
    Application->ProcessMessages();
    return child;
}

}  // namespace

TEST(Forms, PositionFirstThenOnShowThenTheWindowInItsState)
{
    auto* f = NewForm<TForm>(nullptr);
    f->SetBounds(0, 0, 300, 200);
    f->SetPosition(poScreenCenter);
    bool visibleInShow = true;
    TRect inShow;
    f->OnShow = [&](TObject*) {
        visibleInShow = f->WindowVisible();
        inShow = f->BoundsRect();
        f->SetWindowState(wsMaximized);
    };
    f->Show();
    Application->ProcessMessages();
    EXPECT_FALSE(visibleInShow);
    EXPECT_EQ(inShow, Bounds((Screen->Width() - 300) / 2, (Screen->Height() - 200) / 2, 300, 200));
    EXPECT_TRUE(f->WindowVisible());
    EXPECT_TRUE(IsZoomed(f->Handle()));
    f->Free();
}

TEST(Forms, ACentredFormSizedByItsShowHandlerIsCentredWithItsNewSize)
{
    for (bool move : {false, true}) {
        auto* f = NewForm<TForm>(nullptr);
        f->SetBounds(0, 0, 300, 200);
        f->SetPosition(poScreenCenter);
        f->OnShow = [&](TObject*) {
            if (move) f->SetBounds(5, 6, 400, 100);
            else f->SetBounds(f->Left(), f->Top(), 400, 100);
        };
        f->Show();
        Application->ProcessMessages();
        // Moved by its handler: the handler's place holds.
        EXPECT_EQ(f->BoundsRect(), move ? Bounds(5, 6, 400, 100)
                                        : Bounds((Screen->Width() - 400) / 2, (Screen->Height() - 100) / 2, 400, 100));
        f->Free();
    }
}

TEST(Forms, CloseAsksCloseQueryAndFollowsTheCloseAction)
{
    auto* f = NewForm<TForm>(nullptr);
    int destroyed = 0;
    bool allow = false;
    TCloseAction action = caHide;
    f->OnCloseQuery = [&](TObject*, bool& can) { can = allow; };
    f->OnClose = [&](TObject*, TCloseAction& a) { a = action; };
    f->OnDestroy = [&](TObject*) { ++destroyed; };
    f->Show();
    f->Close();
    EXPECT_TRUE(f->Visible());
    allow = true;
    f->Close();
    EXPECT_FALSE(f->Visible());
    f->Show();
    action = caFree;
    f->Close();   // freed from the queue, after the close has returned
    EXPECT_EQ(destroyed, 0);
    Application->ProcessMessages();
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(Screen->FormCount(), 0);
}

TEST(Forms, UserClosingTheWindowGoesThroughClose)
{
    auto* f = NewForm<TForm>(nullptr);
    int queries = 0;
    f->OnCloseQuery = [&](TObject*, bool& can) {
        ++queries;
        can = false;
    };
    f->Show();
    EXPECT_FALSE(f->Widget()->close());   // refused by the form
    EXPECT_EQ(queries, 1);
    EXPECT_TRUE(f->WindowVisible());
    f->Free();
}

TEST(Forms, ShowModalIsWorkedByTheDialogHook)
{
    TDialogRecorder dialogs;
    auto* f = NewForm<TfmProbe>(Application);
    f->SetCaption(QStringLiteral("Вход в систему"));
    int shows = 0, queries = 0;
    f->OnShow = [&](TObject*) { ++shows; };
    f->OnCloseQuery = [&](TObject*, bool& can) { can = ++queries > 1; };   // refuses the first OK
    dialogs.OnModal = [&](TForm* form) {
        EXPECT_TRUE(form->WindowVisible());
        form->SetModalResult(mrOk);   // as the OK button does
        return mrNone;
    };
    EXPECT_EQ(f->ShowModal(), mrOk);
    EXPECT_EQ(shows, 1);
    EXPECT_EQ(queries, 2);
    ASSERT_EQ(dialogs.Count(TDialogKind::ModalForm), 2);
    EXPECT_EQ(dialogs.Last().FormClass, QStringLiteral("TfmProbe"));
    EXPECT_EQ(dialogs.Last().Caption, QStringLiteral("Вход в систему"));
    EXPECT_FALSE(f->Visible());
    // Without OnModal the dialog is cancelled; a form that never closes does not hang.
    dialogs.OnModal = nullptr;
    queries = -1000;
    EXPECT_EQ(f->ShowModal(), mrCancel);
    f->Free();
}

TEST(Forms, MessageBoxesAreRecordedAndAnswered)
{
    TDialogRecorder dialogs;
    dialogs.Answers = {IDNO};
    EXPECT_EQ(Application->MessageBox(QStringLiteral("Удалить?"), QStringLiteral("Подтверждение удаления"),
                                      MB_YESNO | MB_ICONQUESTION),
              IDNO);
    ASSERT_EQ(dialogs.Calls.size(), 1u);
    EXPECT_EQ(dialogs.Last().Text, QStringLiteral("Удалить?"));
    EXPECT_EQ(dialogs.Last().Caption, QStringLiteral("Подтверждение удаления"));
    EXPECT_EQ(dialogs.Last().Flags, MB_YESNO | MB_ICONQUESTION);
    // No answer queued: the default button.
    EXPECT_EQ(Application->MessageBox(QStringLiteral("a"), QStringLiteral("b"), MB_YESNO), IDYES);
    EXPECT_EQ(Application->MessageBox(QStringLiteral("a"), QStringLiteral("b"), MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(MessageDlg(QStringLiteral("Delete record?"), mtConfirmation, TMsgDlgButtons{mbYes, mbNo}), mrYes);
    EXPECT_EQ(dialogs.Last().Caption, QStringLiteral("Confirm"));
}

TEST(Forms, WithoutHookAndScreenMessageBoxesBackOutInsteadOfWaiting)
{
    ASSERT_FALSE(DialogHookActive());
    EXPECT_EQ(Application->MessageBox(QStringLiteral("?"), QStringLiteral("Выход"), MB_YESNO), IDNO);
    EXPECT_EQ(Application->MessageBox(QStringLiteral("!"), QStringLiteral("Ошибка"), MB_OK | MB_ICONERROR), IDOK);
    EXPECT_EQ(MessageDlg(QStringLiteral("?"), mtConfirmation, mbYesNoCancel), mrCancel);
}

TEST(Forms, ErrorDisplayShowsTheMessageAndIgnoresTheSilentAbort)
{
    TDialogRecorder dialogs;
    Application->SetTitle(QStringLiteral("Velmora"));
    try {
        throw EConvertError(QStringLiteral("Unable to write to /x/qorvane.ini"));
    } catch (...) {
        Application->HandleException(nullptr);
    }
    ASSERT_EQ(dialogs.Calls.size(), 1u);
    EXPECT_EQ(dialogs.Last().Text, QStringLiteral("Unable to write to /x/qorvane.ini."));
    EXPECT_EQ(dialogs.Last().Caption, QStringLiteral("Velmora"));
    EXPECT_EQ(dialogs.Last().Flags, MB_OK | MB_ICONSTOP);
    try {
        Abort();
    } catch (...) {
        Application->HandleException(nullptr);
    }
    EXPECT_EQ(dialogs.Calls.size(), 1u);
    QString seen;
    Application->OnException = [&](TObject*, const Exception& e) { seen = e.Message(); };
    try {
        throw std::runtime_error("plain");
    } catch (...) {
        Application->HandleException(nullptr);
    }
    Application->OnException = nullptr;
    EXPECT_EQ(seen, QStringLiteral("plain"));
    EXPECT_EQ(dialogs.Calls.size(), 1u);
    Application->SetTitle(QString());
}

TEST(Forms, MdiFrameChildrenActivationAndArrangement)
{
    auto* orphan = new TForm(nullptr);
    orphan->SetFormStyle(fsMDIChild);
    EXPECT_THROW(orphan->AfterConstruction(), EInvalidOperation);   // no frame yet
    orphan->Free();

    TForm* frame = NewMdiFrame();
    TForm* a = NewMdiChild(QStringLiteral("A"));
    int activations = 0;
    a->OnActivate = [&](TObject*) { ++activations; };
    TForm* b = NewMdiChild(QStringLiteral("B"));
    EXPECT_EQ(frame->MDIChildCount(), 2);
    EXPECT_EQ(frame->ActiveMDIChild(), b);
    EXPECT_EQ(frame->MDIChildren(0), b);   // the top child first
    EXPECT_EQ(frame->MDIChildren(1), a);
    EXPECT_THROW(b->Hide(), EInvalidOperation);
    frame->MdiArea()->setActiveSubWindow(static_cast<QMdiSubWindow*>(a->OuterWidget()));
    EXPECT_EQ(activations, 1);
    EXPECT_EQ(frame->MDIChildren(0), a);

    // Closing an MDI child minimises it unless its close handler frees it.
    b->Close();
    EXPECT_EQ(b->WindowState(), wsMinimized);
    b->OnClose = [](TObject*, TCloseAction& act) { act = caFree; };
    b->Close();
    Application->ProcessMessages();
    EXPECT_EQ(frame->MDIChildCount(), 1);
    b = NewMdiChild(QStringLiteral("B"));

    frame->SetTileMode(tbHorizontal);
    frame->Tile();
    const int h = frame->MdiArea()->viewport()->height();
    EXPECT_EQ(a->Width(), b->Width());
    EXPECT_EQ(a->Height() + b->Height(), h);
    EXPECT_NE(a->Top(), b->Top());

    // A child opened while the active one is maximised comes up maximised.
    a->SetWindowState(wsMaximized);
    TForm* c = NewMdiChild(QStringLiteral("C"));
    EXPECT_EQ(c->WindowState(), wsMaximized);

    EXPECT_EQ(frame->MDIChildCount(), 3);
    b->Free();
    c->Free();
    a->Free();
    Application->SetMainForm(nullptr);
    frame->Free();
}

TEST(Forms, AnMdiChildsClientAreaIsTheOneSetWhicheverComesFirst)
{
    TForm* frame = NewMdiFrame();
    for (const bool clientFirst : {true, false}) {
        auto* child = new TForm(nullptr);
        if (!clientFirst) child->SetFormStyle(fsMDIChild);
        child->SetClientWidth(502);
        child->SetClientHeight(308);
        if (clientFirst) child->SetFormStyle(fsMDIChild);
        child->AfterConstruction();
        Application->ProcessMessages();
        // The form's own widget lies inside the frame and the caption.
        EXPECT_EQ(child->Widget()->size(), QSize(502, 308)) << clientFirst;
        EXPECT_EQ(child->ClientWidth(), 502) << clientFirst;
        EXPECT_EQ(child->ClientHeight(), 308) << clientFirst;
        EXPECT_GT(child->Height(), 308) << clientFirst;
        child->Free();
    }
    Application->SetMainForm(nullptr);
    frame->Free();
}

TEST(Forms, AlignedAndAnchoredControlsFollowTheClientArea)
{
    auto* f = NewForm<TForm>(nullptr);
    f->SetBounds(0, 0, 300, 200);
    auto make = [&](TAlign a, int l, int t, int w, int h) {
        auto* c = new TWinControl(f);
        c->SetParent(f);
        c->SetBounds(l, t, w, h);
        c->SetAlign(a);
        return c;
    };
    TWinControl* top = make(alTop, 0, 0, 10, 30);
    TWinControl* bottom = make(alBottom, 0, 0, 10, 20);
    TWinControl* client = make(alClient, 0, 0, 10, 10);
    TWinControl* button = make(alNone, 220, 170, 70, 25);
    button->SetAnchors(TAnchors{akRight, akBottom});
    f->Show();
    EXPECT_EQ(top->BoundsRect(), Rect(0, 0, 300, 30));
    EXPECT_EQ(bottom->BoundsRect(), Rect(0, 180, 300, 200));
    EXPECT_EQ(client->BoundsRect(), Rect(0, 30, 300, 180));
    f->SetBounds(0, 0, 400, 260);
    EXPECT_EQ(client->BoundsRect(), Rect(0, 30, 400, 240));
    EXPECT_EQ(button->BoundsRect(), Bounds(320, 230, 70, 25));
    EXPECT_EQ(client->Widget()->geometry(), QRect(0, 30, 400, 210));
    bottom->Hide();
    EXPECT_EQ(client->BoundsRect(), Rect(0, 30, 400, 260));
    f->Free();
}

TEST(Forms, HintsReachTheApplicationAsTheLongPart)
{
    auto* f = NewForm<TForm>(nullptr);
    auto* c = new TWinControl(f);
    c->SetParent(f);
    c->SetHint(QStringLiteral("Выход|Выход из Velmora"));
    int hints = 0;
    Application->OnHint = [&](TObject*) { ++hints; };
    c->Perform(CM_MOUSEENTER);
    EXPECT_EQ(Application->Hint(), QStringLiteral("Выход из Velmora"));
    c->Perform(CM_MOUSELEAVE);
    EXPECT_EQ(Application->Hint(), QString());
    EXPECT_EQ(hints, 2);
    EXPECT_EQ(GetShortHint(c->Hint()), QStringLiteral("Выход"));
    EXPECT_EQ(GetLongHint(QStringLiteral("Обновить")), QStringLiteral("Обновить"));
    Application->OnHint = nullptr;
    f->Free();
}

TEST(Forms, MdiChildrenAtTheDefaultPositionOpenStaggered)
{
    TForm* frame = NewMdiFrame();
    std::vector<TForm*> children;
    for (int i = 0; i < 3; ++i) {
        auto* child = new TForm(nullptr);
        child->SetFormStyle(fsMDIChild);
        child->SetPosition(poDefault);
        child->SetBounds(0, 0, 200, 150);
        child->AfterConstruction();
        Application->ProcessMessages();
        children.push_back(child);
    }
    const QPoint first = children[0]->OuterWidget()->pos();
    for (int i = 1; i < 3; ++i) {
        const QPoint p = children[size_t(i)]->OuterWidget()->pos();
        const QPoint before = children[size_t(i - 1)]->OuterWidget()->pos();
        EXPECT_GT(p.x(), before.x()) << i;
        EXPECT_GT(p.y(), before.y()) << i;
        EXPECT_EQ(p.x() - before.x(), p.y() - before.y()) << i;
        EXPECT_EQ(children[size_t(i)]->Width(), 200);
    }
    EXPECT_EQ(first, QPoint(0, 0));
    for (TForm* c : children) c->Free();
    Application->SetMainForm(nullptr);
    frame->Free();
}

// An MDI frame the window system has activated, with children that each hold
// a bar taking no focus by a click (as a tool bar) above an edit. Closed
// children are freed, as the register windows free themselves.
class MdiChildren : public ::testing::Test {
protected:
    struct Child {
        TForm* form;
        TPanel* bar;
        TEdit* edit;
    };
    TForm* frame = nullptr;
    std::vector<Child> kids;

    void SetUp() override
    {
        frame = NewMdiFrame();
        ActivateForm(frame);
    }
    void TearDown() override
    {
        while (frame->MDIChildCount() > 0) frame->MDIChildren(0)->Free();
        Application->SetMainForm(nullptr);
        frame->Free();
    }
    Child& Add(const QString& caption)
    {
        auto* f = new TForm(nullptr);
        f->SetFormStyle(fsMDIChild);
        f->SetCaption(caption);
        f->SetBounds(20 * int(kids.size()), 20 * int(kids.size()), 300, 200);
        auto* bar = new TPanel(f);
        bar->SetParent(f);
        bar->SetAlign(alTop);
        bar->SetHeight(30);
        auto* edit = new TEdit(f);
        edit->SetParent(f);
        edit->SetBounds(10, 50, 150, 21);
        f->OnClose = [](TObject*, TCloseAction& a) { a = caFree; };
        f->AfterConstruction();
        Application->ProcessMessages();
        edit->SetFocus();
        Application->ProcessMessages();
        kids.push_back({f, bar, edit});
        return kids.back();
    }
    // The child the user works in: the active one, holding the focus.
    static bool Working(const Child& c)
    {
        return c.form->MDIFrame()->ActiveMDIChild() == c.form && c.form->MDIFrame()->MDIChildren(0) == c.form &&
               QApplication::focusWidget() == c.edit->Widget();
    }
    static bool Maximised(const Child& c)
    {
        return c.form->WindowState() == wsMaximized && (c.form->OuterWidget()->windowState() & Qt::WindowMaximized);
    }
    static bool Normal(const Child& c)
    {
        return c.form->WindowState() == wsNormal &&
               !(c.form->OuterWidget()->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized)) &&
               c.form->OuterWidget()->geometry() == QRect(c.form->Left(), c.form->Top(), c.form->Width(), c.form->Height());
    }
};

TEST_F(MdiChildren, APressAnywhereOnABackgroundChildActivatesIt)
{
    Child a = Add(QStringLiteral("A"));
    int activations = 0;
    a.form->OnActivate = [&](TObject*) { ++activations; };
    Child b = Add(QStringLiteral("B"));
    ASSERT_TRUE(Working(b));

    // Its title bar: it comes to the front with the focus in its edit again.
    PressTitleBar(a.form, QStyle::SC_TitleBarLabel);
    EXPECT_TRUE(Working(a));
    EXPECT_EQ(activations, 1);

    // Its bar, which takes no focus itself.
    screen::Click(b.bar->Widget(), QPointF(5, 5));
    EXPECT_TRUE(Working(b));

    // A press on the active child's title bar or bar keeps the focus where it is.
    PressTitleBar(b.form, QStyle::SC_TitleBarLabel);
    screen::Click(b.bar->Widget(), QPointF(5, 5));
    EXPECT_TRUE(Working(b));
    EXPECT_EQ(activations, 1);
}

TEST_F(MdiChildren, AChildMaximisedAndRestoredByItsButtonsLeavesTheOthersNormal)
{
    Child a = Add(QStringLiteral("A"));
    Child b = Add(QStringLiteral("B"));
    const TRect normal = b.form->BoundsRect();
    // The edit keeps the focus throughout: it is neither left nor entered.
    int moves = 0;
    b.edit->OnExit = [&](TObject*) { ++moves; };
    b.edit->OnEnter = [&](TObject*) { ++moves; };
    PressTitleBar(b.form, QStyle::SC_TitleBarMaxButton);
    ASSERT_TRUE(Maximised(b));
    EXPECT_TRUE(Working(b));
    PressTitleBar(b.form, QStyle::SC_TitleBarNormalButton);
    EXPECT_TRUE(Normal(b));
    EXPECT_EQ(b.form->BoundsRect(), normal);
    EXPECT_TRUE(Working(b));
    EXPECT_EQ(moves, 0);

    // The next child the user turns to, and the next one opened, are normal.
    PressTitleBar(a.form, QStyle::SC_TitleBarLabel);
    EXPECT_TRUE(Working(a));
    EXPECT_TRUE(Normal(a));
    EXPECT_TRUE(Normal(b));
    Child c = Add(QStringLiteral("C"));
    EXPECT_TRUE(Working(c));
    EXPECT_TRUE(Normal(c));
    // And the one restored stays so when it is turned to again.
    PressTitleBar(b.form, QStyle::SC_TitleBarLabel);
    EXPECT_TRUE(Working(b));
    EXPECT_TRUE(Normal(b));
}

TEST_F(MdiChildren, CtrlF6TurnsToTheNextChildAndCtrlF4ClosesTheActiveOne)
{
    Child a = Add(QStringLiteral("A"));
    Child b = Add(QStringLiteral("B"));
    Child c = Add(QStringLiteral("C"));
    const auto press = [](int key, Qt::KeyboardModifiers mods) { ASSERT_TRUE(PressKey(key, mods)); };
    // Next: the child under the active one, the active one going to the
    // bottom; previous: the bottom one. Each round visits every child.
    for (const Child* want : {&b, &a, &c}) {
        press(Qt::Key_F6, Qt::ControlModifier);
        EXPECT_TRUE(Working(*want)) << want->form->Caption().toStdString();
    }
    for (const Child* want : {&a, &b, &c}) {
        press(Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier);
        EXPECT_TRUE(Working(*want)) << want->form->Caption().toStdString();
    }

    // While the active child is maximised the next one is shown maximised
    // in its place.
    c.form->SetWindowState(wsMaximized);
    press(Qt::Key_F6, Qt::ControlModifier);
    EXPECT_TRUE(Working(b));
    EXPECT_TRUE(Maximised(b));
    EXPECT_TRUE(Normal(c));
    b.form->SetWindowState(wsNormal);

    // Ctrl+F4 closes the active child as its close command does; another
    // one takes over.
    int closes = 0;
    b.form->OnClose = [&](TObject*, TCloseAction& act) {
        ++closes;
        act = caFree;
    };
    press(Qt::Key_F4, Qt::ControlModifier);
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(frame->MDIChildCount(), 2);
    TForm* now = frame->ActiveMDIChild();
    ASSERT_TRUE(now == a.form || now == c.form);
    EXPECT_TRUE(Working(now == a.form ? a : c));

    // Ctrl+Shift+F4 and Ctrl+Alt+F6 are not the window system's keys.
    press(Qt::Key_F4, Qt::ControlModifier | Qt::ShiftModifier);
    press(Qt::Key_F6, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(frame->MDIChildCount(), 2);
    EXPECT_EQ(frame->ActiveMDIChild(), now);
}
