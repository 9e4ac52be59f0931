// Forms and the application: the show sequence, closing and freeing, modal
// dialogs and message boxes through the dialog hook, the error display, MDI
// frames and alignment of controls.
#include <gtest/gtest.h>

#include <QMdiArea>

#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"

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
