#include "platform/ui/Forms.h"
#include "platform/ui/EventBridge.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QIcon>
#include <QKeyEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QScopedValueRollback>
#include <QChildEvent>
#include <QStyle>
#include <QStyleOptionTitleBar>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/core/ScopeGuard.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Menus.h"

namespace {

QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

constexpr int MaxTrack = 32767;

// An MDI child's frame. While it changes its state it hides itself for a
// moment to change its geometry, and the toolkit would pass the focus on to
// the next control of the window and back (the focused control left and
// entered, a search line closed, a grid's editor ended); while it is kept,
// the focus stays where it is, as a window maximised or restored keeps its
// focused control.
class TMdiSubWindow : public QMdiSubWindow {
public:
    bool KeepFocus = false;

protected:
    bool focusNextPrevChild(bool next) override { return KeepFocus || QMdiSubWindow::focusNextPrevChild(next); }
};

}  // namespace

// ------------------------------------------------------------------- TForm

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner)
{
    BeginLoading();
    FVisible = false;
    FWidth = 320;
    FHeight = 240;
    FNormalBounds = BoundsRect();
    SetParentFont(false);
    SetColor(clBtnFace);
    Screen->AddForm(this);
}

TForm::~TForm()
{
    BeforeDestruction();
    if (FModalLoop) FModalLoop->quit();
    DestroyHandle();
    // The owned components go while the form's own members are still there
    // (they may reach back, as a placement putting back the form's handlers).
    DestroyComponents();
    if (FMDIFrame) FMDIFrame->RemoveMDIChild(this);
    for (TForm* c : FMDIChildren) c->FMDIFrame = nullptr;
    FMDIChildren.clear();
    Screen->RemoveForm(this);
}

void TForm::AfterConstruction()
{
    if (FCreated) return;
    FCreated = true;
    std::vector<TComponent*> comps;
    for (int i = 0; i < ComponentCount(); ++i) comps.push_back(Components(i));
    for (TComponent* c : comps)
        if (c->IsLoading()) c->Loaded();
    Loaded();
    FFormState -= fsCreating;
    DoCreate();
    if (FFormStyle == fsMDIChild || FVisibleOnCreate) Show();
}

void TForm::BeforeDestruction()
{
    if (FDestroyDone) return;
    FDestroyDone = true;
    Destroying();
    try {
        DoDestroy();
    } catch (...) {
        Application->HandleException(this);
    }
}

void TForm::Release() { PostMessage(Handle(), CM_RELEASE); }

void TForm::SetFormStyle(TFormStyle v)
{
    if (v == FFormStyle) return;
    if (HandleAllocated() && (v == fsMDIChild || FFormStyle == fsMDIChild || v == fsMDIForm || FFormStyle == fsMDIForm))
        throw EInvalidOperation(QStringLiteral("Cannot change the form style of a shown form"));
    // The client area is what a form's definition fixes, whichever of its
    // properties comes first: a style that brings or drops the MDI child's
    // frame and caption changes the outer size around it.
    const int clientWidth = ClientWidth(), clientHeight = ClientHeight();
    FFormStyle = v;
    SetBounds(FLeft, FTop, FWidth + clientWidth - ClientWidth(), FHeight + clientHeight - ClientHeight());
    if (HandleAllocated()) RecreateWnd();
}

void TForm::SetBorderStyle(TFormBorderStyle v)
{
    if (v == FBorderStyle) return;
    FBorderStyle = v;
    RecreateWnd();
}

void TForm::SetBorderIcons(TBorderIcons v)
{
    if (v == FBorderIcons) return;
    FBorderIcons = v;
    RecreateWnd();
}

void TForm::SetWindowState(TWindowState v)
{
    if (v == FWindowState && (!WindowVisible() || QtState() == v)) return;
    FWindowState = v;
    if (WindowVisible()) ApplyQtState(v);
}

QSize TForm::FrameExtra() const
{
    if (FFormStyle != fsMDIChild) return QSize(0, 0);
    QStyle* st = FSubWindow ? FSubWindow->style() : QApplication::style();
    int frame = st->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, FSubWindow);
    QStyleOptionTitleBar opt;
    if (FSubWindow) opt.initFrom(FSubWindow);
    opt.titleBarFlags = Qt::Window | Qt::WindowTitleHint;
    int title = st->pixelMetric(QStyle::PM_TitleBarHeight, &opt, FSubWindow);
    return QSize(2 * frame, title + frame);
}

int TForm::ClientWidth() const { return std::max(FWidth - FrameExtra().width(), 0); }

int TForm::ClientHeight() const
{
    int menu = FMenuBar ? FMenuBar->sizeHint().height() : 0;
    return std::max(FHeight - FrameExtra().height() - menu, 0);
}

void TForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    // Outside the normal state the bounds are those the window returns to.
    if (OuterWidget() && QtState() != wsNormal) {
        FNormalBounds = Bounds(ALeft, ATop, std::max(AWidth, 0), std::max(AHeight, 0));
        return;
    }
    TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    FNormalBounds = BoundsRect();
}

void TForm::ApplyBoundsToWidget()
{
    QWidget* o = OuterWidget();
    if (!o) return;
    FApplyingBounds = true;
    // Sizes set by the program are not bound by the user's sizing limits.
    if (o->minimumSize() != QSize(0, 0)) o->setMinimumSize(0, 0);
    if (o->maximumSize() != QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX)) o->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    if (FFormStyle == fsMDIChild) {
        o->setGeometry(FLeft, FTop, FWidth, FHeight);
    } else {
        o->move(FLeft, FTop);
        o->resize(FWidth, FHeight);
    }
    FApplyingBounds = false;
    UpdateMinMaxInfo();
    FWidth = o->width();
    FHeight = o->height();
    LayoutClient();
}

void TForm::UpdateMinMaxInfo()
{
    QWidget* o = OuterWidget();
    if (!o || IsDestroying()) return;
    TMinMaxInfo mmi;
    mmi.ptMaxSize = Point(Screen->Width(), Screen->Height());
    mmi.ptMaxPosition = Point(0, 0);
    mmi.ptMinTrackSize = Point(0, 0);
    mmi.ptMaxTrackSize = Point(MaxTrack, MaxTrack);
    Perform(WM_GETMINMAXINFO, 0, LPARAM(&mmi));
    QSize mn(std::max(mmi.ptMinTrackSize.X, 0), std::max(mmi.ptMinTrackSize.Y, 0));
    QSize mx(std::clamp(mmi.ptMaxTrackSize.X, 0, MaxTrack), std::clamp(mmi.ptMaxTrackSize.Y, 0, MaxTrack));
    if (!IsSizeable()) mn = mx = QSize(FWidth, FHeight);
    mx = mx.expandedTo(mn);
    if (o->minimumSize() == mn && o->maximumSize() == mx) return;
    bool was = FApplyingBounds;
    FApplyingBounds = true;
    o->setMinimumSize(mn);
    o->setMaximumSize(mx);
    FApplyingBounds = was;
}

void TForm::SetActiveControl(TWinControl* c)
{
    if (c == FActiveControl) return;
    if (c && WindowVisible() && !c->CanFocus())
        throw EInvalidOperation(QStringLiteral("Cannot focus a disabled or invisible window"));
    FActiveControl = c;
    if (c && WindowVisible() && c->Widget()) c->Widget()->setFocus(Qt::OtherFocusReason);
}

void TForm::FocusControl(TWinControl* c)
{
    if (c != this) FActiveControl = c;
}

// ------------------------------------------------------------ the window

void TForm::Notification(TComponent* AComponent, TOperation Operation)
{
    // Components made while the form is being created are being loaded too.
    if (Operation == opInsert && FFormState.Contains(fsCreating) && AComponent) AComponent->BeginLoading();
    if (Operation == opRemove && AComponent == FActiveControl) FActiveControl = nullptr;
    if (Operation == opRemove && AComponent == FEnteredControl) FEnteredControl = nullptr;
    if (Operation == opRemove && AComponent == FMenu) FMenu = nullptr;
    TWinControl::Notification(AComponent, Operation);
}

void TForm::CreateWindowWidget()
{
    QWidget* w = nullptr;
    if (FFormStyle == fsMDIChild) {
        TForm* frame = FMDIFrame ? FMDIFrame : Application->MainForm();
        if (!frame || frame->FFormStyle != fsMDIForm)
            throw EInvalidOperation(QStringLiteral("Cannot create form. No MDI forms are currently active"));
        frame->HandleNeeded();
        FMDIFrame = frame;
        frame->AddMDIChild(this);
        w = new QWidget;
        auto* sub = new TMdiSubWindow;
        sub->setAttribute(Qt::WA_DeleteOnClose, false);
        // A click on the frame or a bar of the child activates it and leaves
        // the focus in the control that had it.
        sub->setFocusPolicy(Qt::NoFocus);
        sub->setWidget(w);
        frame->FMdiArea->addSubWindow(sub);
        sub->hide();
        FSubWindow = sub;
        sub->setProperty("qvControl", QVariant::fromValue<void*>(static_cast<TControl*>(this)));
        WatchWidget(sub);
    } else {
        w = new QWidget(nullptr, Qt::Window);
    }
    AdoptWidget(w);
    FClient = new QWidget(w);
    if (FMenuBar) FMenuBar->setParent(w);
    if (FFormStyle == fsMDIForm) {
        auto* area = new QMdiArea(FClient);
        area->setFocusPolicy(Qt::NoFocus);
        area->setBackground(ColorToQColor(clAppWorkSpace));
        FMdiArea = area;
        QObject::connect(area, &QMdiArea::subWindowActivated, Bridge(),
                         [this](QMdiSubWindow* sw) { CallHandler(this, [&] { MDIChildActivated(sw); }); });
    }
    ApplyWindowFlags();
    InitWidget();
}

void TForm::CreateHandle()
{
    if (HandleAllocated()) return;
    TWinControl::CreateHandle();
    if (FFormStyle == fsMDIForm)
        for (TForm* c : std::vector<TForm*>(FMDIChildren))
            if (c->FCreated) c->CreateHandle();
    UpdateMinMaxInfo();
    LayoutClient();
    Realign();
    if (FVisible) ShowInState();
}

void TForm::DestroyHandle()
{
    if (!HandleAllocated()) return;
    if (FFormStyle == fsMDIForm)
        for (TForm* c : std::vector<TForm*>(FMDIChildren)) c->DestroyHandle();
    if (FMDIFrame && FMDIFrame->FActiveChild == this) FMDIFrame->FActiveChild = nullptr;
    QPointer<QMdiSubWindow> sub = FSubWindow;
    if (sub) sub->removeEventFilter(Bridge());
    TWinControl::DestroyHandle();
    if (sub) delete sub.data();
    FSubWindow = nullptr;
    FClient = nullptr;
    FMdiArea = nullptr;
    FActive = false;
}

void TForm::ApplyWindowFlags()
{
    Qt::WindowFlags f;
    const bool dialog = FBorderStyle == bsDialog;
    if (FFormStyle == fsMDIChild) {
        f = Qt::SubWindow;
    } else if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin) {
        f = Qt::Tool;
    } else if (dialog) {
        f = Qt::Dialog;
    } else {
        f = Qt::Window;
    }
    if (FBorderStyle == bsNone) {
        f |= Qt::FramelessWindowHint;
    } else {
        f |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (FBorderIcons.Contains(biSystemMenu)) f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (!dialog && FBorderIcons.Contains(biMinimize)) f |= Qt::WindowMinimizeButtonHint;
        if (!dialog && FBorderIcons.Contains(biMaximize)) f |= Qt::WindowMaximizeButtonHint;
        if (FBorderIcons.Contains(biHelp)) f |= Qt::WindowContextHelpButtonHint;
    }
    if (FFormStyle == fsStayOnTop) f |= Qt::WindowStaysOnTopHint;
    if (FSubWindow)
        FSubWindow->setWindowFlags(f);
    else if (FWidget)
        FWidget->setWindowFlags(f);
}

QWidget* TForm::OuterWidget() const
{
    if (FSubWindow) return FSubWindow;
    return FWidget;
}

void TForm::LayoutClient()
{
    if (!FWidget || !FClient) return;
    int menu = 0;
    if (FMenuBar) {
        menu = FMenuBar->sizeHint().height();
        FMenuBar->setGeometry(0, 0, FWidget->width(), menu);
    }
    FClient->setGeometry(0, menu, FWidget->width(), std::max(FWidget->height() - menu, 0));
}

void TForm::SetMenu(TMainMenu* m)
{
    FMenu = m;
    QWidget* w = m ? m->MenuBar() : nullptr;
    if (FMenuBar && FMenuBar != w) FMenuBar->hide();
    FMenuBar = w;
    if (w && FWidget) {
        w->setParent(FWidget);
        w->show();
    }
    LayoutClient();
    Realign();
}

void TForm::AlignRemainder(const TRect& r)
{
    if (FMdiArea) FMdiArea->setGeometry(ToQRect(r));
}

void TForm::TextChanged()
{
    if (FSubWindow)
        FSubWindow->setWindowTitle(Caption());
    else if (FWidget)
        FWidget->setWindowTitle(Caption());
}

TWindowState TForm::QtState() const
{
    QWidget* o = OuterWidget();
    if (!o) return FWindowState;
    Qt::WindowStates s = o->windowState();
    if (s & Qt::WindowMinimized) return wsMinimized;
    if (s & (Qt::WindowMaximized | Qt::WindowFullScreen)) return wsMaximized;
    return wsNormal;
}

void TForm::ApplyQtState(TWindowState ws, bool restoreToMaximized)
{
    QWidget* o = OuterWidget();
    if (!o) return;
    switch (ws) {
    case wsMaximized: o->showMaximized(); break;
    case wsMinimized:
        if (restoreToMaximized && FFormStyle != fsMDIChild) {
            o->setWindowState(Qt::WindowMinimized | Qt::WindowMaximized);
            o->show();
        } else {
            o->showMinimized();
        }
        break;
    default:
        o->showNormal();
        ApplyBoundsToWidget();
        break;
    }
    StateChangedByWindow();
}

void TForm::StateChangedByWindow()
{
    TWindowState ws = QtState();
    if (ws == wsNormal && OuterWidget()) {
        // Back to the normal rectangle this form keeps.
        FLeft = FNormalBounds.Left;
        FTop = FNormalBounds.Top;
        FWidth = FNormalBounds.Width();
        FHeight = FNormalBounds.Height();
        if (OuterWidget()->geometry().size() != QSize(FWidth, FHeight) || OuterWidget()->pos() != QPoint(FLeft, FTop))
            ApplyBoundsToWidget();
    }
    if (ws == FWindowState) return;
    FWindowState = ws;
    if (Application->MainForm() == this && ws != wsMinimized && Application->WindowMinimized()) Application->Restore();
    WPARAM kind = ws == wsMinimized ? SIZE_MINIMIZED : ws == wsMaximized ? SIZE_MAXIMIZED : SIZE_RESTORED;
    Perform(WM_SIZE, kind, MAKELPARAM(WORD(ClientWidth()), WORD(ClientHeight())));
}

void TForm::ApplyPosition()
{
    int w = FWidth, h = FHeight;
    auto centreOn = [&](const TRect& r) {
        SetBounds(r.Left + (r.Width() - w) / 2, r.Top + (r.Height() - h) / 2, w, h);
    };
    TRect screen = FFormStyle == fsMDIChild && FMDIFrame && FMDIFrame->FMdiArea
                       ? Rect(0, 0, FMDIFrame->FMdiArea->viewport()->width(), FMDIFrame->FMdiArea->viewport()->height())
                       : Rect(0, 0, Screen->Width(), Screen->Height());
    auto centreOnScreen = [&] {
        centreOn(screen);
        if (FLeft < 0 || FTop < 0) SetBounds(std::max(FLeft, 0), std::max(FTop, 0), w, h);
    };
    switch (FPosition) {
    case poScreenCenter: centreOnScreen(); break;
    case poDesktopCenter:
        if (FFormStyle == fsMDIChild)
            centreOnScreen();
        else
            centreOn(Rect(0, 0, Screen->DesktopWidth(), Screen->DesktopHeight()));
        break;
    case poMainFormCenter:
    case poOwnerFormCenter: {
        TForm* c = FPosition == poOwnerFormCenter ? dynamic_cast<TForm*>(Owner()) : nullptr;
        if (!c) c = Application->MainForm();
        if (c && c != this && c->FFormStyle != fsMDIChild && FFormStyle != fsMDIChild)
            centreOn(c->BoundsRect());
        else
            centreOnScreen();
        break;
    }
    case poDefault:
    case poDefaultPosOnly:
        if (FFormStyle == fsMDIChild && FMDIFrame && FMDIFrame->FMdiArea) {
            // The window system's default placement of MDI children: each
            // new one a title bar lower and further right, back to the
            // corner when it would no longer fit.
            const int step = QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight) +
                             2 * QApplication::style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
            int k = FMDIFrame->FDefaultPlacements++;
            if (k > 0 && (k * step + w > screen.Width() || k * step + h > screen.Height())) {
                k = 0;
                FMDIFrame->FDefaultPlacements = 1;
            }
            SetBounds(k * step, k * step, w, h);
        }
        break;
    default: break;   // designed bounds
    }
}

void TForm::ShowInState()
{
    QWidget* o = OuterWidget();
    if (!o) return;
    if (FFormStyle == fsMDIChild) {
        FWidget->show();
        // A new child of a frame whose active child is maximised comes up
        // maximised too.
        if (FWindowState == wsNormal && FMDIFrame) {
            TForm* act = FMDIFrame->ActiveMDIChild();
            if (act && act != this && act->WindowState() == wsMaximized) FWindowState = wsMaximized;
        }
    }
    ApplyQtState(FWindowState, FPlacementFlags & WPF_RESTORETOMAXIMIZED);
    UpdateMinMaxInfo();
    if (FFormStyle == fsMDIChild && FMDIFrame && FMDIFrame->FMdiArea)
        FMDIFrame->FMdiArea->setActiveSubWindow(FSubWindow);
    else if (FWindowState != wsMinimized) {
        o->raise();
        o->activateWindow();
    }
}

// ------------------------------------------------------ showing and closing

void TForm::SetVisible(bool v)
{
    if (!FCreated) {
        // Visible from the definition: shown when the creation ends.
        FVisibleOnCreate = v;
        return;
    }
    if (v) {
        if (FVisible && WindowVisible()) {
            BringToFront();
            return;
        }
        HandleNeeded();
        const bool first = !FShownOnce;
        if (first) {
            FShownOnce = true;
            ApplyPosition();
        }
        const TRect before = BoundsRect();
        FVisible = true;
        FFormState += fsShowing;
        try {
            DoShow();
        } catch (...) {
            FFormState -= fsShowing;
            throw;
        }
        FFormState -= fsShowing;
        // A centred window that its show handler resized (and did not move)
        // is centred again with its new size, as the framework centres after
        // the show handler.
        const TRect after = BoundsRect();
        if (first && FPosition != poDesigned && FPosition != poDefault && FPosition != poDefaultPosOnly &&
            FPosition != poDefaultSizeOnly && after.Left == before.Left && after.Top == before.Top &&
            (after.Width() != before.Width() || after.Height() != before.Height()))
            ApplyPosition();
        if (!FVisible || !HandleAllocated()) return;   // hidden again by its own show handler
        ShowInState();
        if (FActiveControl && FActiveControl->CanFocus() && FActiveControl->Widget())
            FActiveControl->Widget()->setFocus(Qt::OtherFocusReason);
    } else {
        if (!FVisible) return;
        if (FFormStyle == fsMDIChild) throw EInvalidOperation(QStringLiteral("Cannot hide an MDI Child Form"));
        FVisible = false;
        FEnteredControl = nullptr;   // shown again, the form enters its control afresh
        DoHide();
        if (QWidget* o = OuterWidget()) o->hide();
    }
}

bool TForm::CloseQuery()
{
    if (FFormStyle == fsMDIForm)
        for (int i = 0; i < MDIChildCount(); ++i)
            if (!MDIChildren(i)->CloseQuery()) return false;
    bool can = true;
    if (OnCloseQuery) OnCloseQuery(this, can);
    return can;
}

void TForm::Close()
{
    if (FFormState.Contains(fsModal)) {
        SetModalResult(mrCancel);
        return;
    }
    if (FClosing) return;
    FClosing = true;
    struct Reset {
        bool& f;
        ~Reset() { f = false; }
    } reset{FClosing};
    if (!CloseQuery()) return;
    TCloseAction action = caHide;
    if (FFormStyle == fsMDIChild) action = FBorderIcons.Contains(biMinimize) ? caMinimize : caNone;
    DoClose(action);
    if (action == caNone) return;
    if (Application->MainForm() == this) {
        Application->Terminate();
        return;
    }
    switch (action) {
    case caHide: Hide(); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Release(); break;
    default: break;
    }
}

bool TForm::IsShortCut(TShortCut ShortCut)
{
    if (ShortCut == 0) return false;
    auto run = [ShortCut](TAction* a) { return a->ShortCut() == ShortCut && a->Execute(); };
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* list = dynamic_cast<TActionList*>(Components(i)))
            for (int k = 0; k < list->ActionCount(); ++k)
                if (run(list->Actions(k))) return true;
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* a = dynamic_cast<TAction*>(Components(i)); a && !a->ActionList() && run(a)) return true;
    return false;
}

bool TForm::DialogKey(WORD Key, TShiftState Shift)
{
    return Perform(CM_DIALOGKEY, Key, LPARAM(Shift.Bits())) != 0;
}

void TForm::CloseModal()
{
    TCloseAction action = caNone;
    // A close query or close handler that raises (a refused post) keeps the
    // dialog open: the result goes back to none before the error travels on.
    auto keepOpen = Finally([this] { FModalResult = mrNone; });
    if (CloseQuery()) {
        action = caHide;
        DoClose(action);
    }
    keepOpen.Dismiss();
    if (action == caNone)
        FModalResult = mrNone;
    else if (action == caFree)
        Release();
}

void TForm::SetModalResult(TModalResult v)
{
    FModalResult = v;
    if (v != mrNone) ++FModalAttempts;
    if (!FFormState.Contains(fsModal) || v == mrNone) return;
    CloseModal();
    if (FModalResult != mrNone && FModalLoop) FModalLoop->quit();
}

TModalResult TForm::ShowModal()
{
    if ((FVisible && WindowVisible()) || !Enabled() || FFormState.Contains(fsModal) || FFormStyle == fsMDIChild)
        throw EInvalidOperation(QStringLiteral("Cannot make a visible window modal"));
    if (!FCreated) AfterConstruction();
    FModalResult = mrNone;
    FFormState += fsModal;
    struct EndModal {
        TForm* f;
        ~EndModal() { f->FFormState -= fsModal; }
    } endModal{this};
    HandleNeeded();
    TModalActivation activation;
    if (FWidget) FWidget->setWindowModality(Qt::ApplicationModal);
    if (DialogHookActive()) {
        // A test acts as the user: it may work the form, and it answers.
        Show();
        for (int tries = 0; FModalResult == mrNone; ++tries) {
            TDialogRequest r;
            r.Kind = TDialogKind::ModalForm;
            r.Form = this;
            r.Caption = Caption();
            r.FormClass = ClassName();
            const int attempts = FModalAttempts;
            int answer = RunDialog(r);
            // A hook that tried to close (SetModalResult) and was refused is
            // asked again, as a user would try again; one that only answers
            // closes the form with its answer.
            if (FModalResult == mrNone && (answer != mrNone || FModalAttempts == attempts))
                SetModalResult(answer != mrNone ? answer : mrCancel);
            if (FModalResult == mrNone && tries >= 99) {
                FModalResult = mrCancel;   // a form that never lets itself close
                break;
            }
        }
    } else {
        Show();
        if (FModalResult == mrNone && !Application->Terminated()) {
            QEventLoop loop;
            FModalLoop = &loop;
            loop.exec(QEventLoop::DialogExec);
            FModalLoop = nullptr;
        }
        if (FModalResult == mrNone) FModalResult = mrCancel;
    }
    TModalResult result = FModalResult;
    if (FVisible) {
        FFormState -= fsModal;
        SetVisible(false);
    }
    if (FWidget) FWidget->setWindowModality(Qt::NonModal);
    activation.Ended(OuterWidget());
    return result;
}

// ----------------------------------------------------------------- messages

void TForm::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_RELEASE:
        // Freed after the message has returned, outside any window procedure.
        QTimer::singleShot(0, Bridge(), [this] { Free(); });
        return;
    case WM_CLOSE: Close(); return;
    case WM_SYSCOMMAND:
        switch (Message.WParam & 0xFFF0) {
        case SC_MINIMIZE: SetWindowState(wsMinimized); return;
        case SC_MAXIMIZE: SetWindowState(wsMaximized); return;
        case SC_RESTORE: SetWindowState(wsNormal); return;
        case SC_CLOSE: Close(); return;
        case SC_NEXTWINDOW:
        case SC_PREVWINDOW:
            if (FMDIFrame) {
                if ((Message.WParam & 0xFFF0) == SC_NEXTWINDOW)
                    FMDIFrame->Next();
                else
                    FMDIFrame->Previous();
                return;
            }
            break;
        default: break;
        }
        break;
    case WM_ACTIVATE:
        if (LOWORD(Message.WParam) != WA_INACTIVE)
            Activate();
        else
            Deactivate();
        return;
    case WM_GETMINMAXINFO: {
        auto* mmi = reinterpret_cast<TMinMaxInfo*>(Message.LParam);
        if (!mmi) return;
        TSizeConstraints* c = Constraints();
        if (c->MinWidth() > 0) mmi->ptMinTrackSize.X = std::max(mmi->ptMinTrackSize.X, c->MinWidth());
        if (c->MinHeight() > 0) mmi->ptMinTrackSize.Y = std::max(mmi->ptMinTrackSize.Y, c->MinHeight());
        if (c->MaxWidth() > 0) mmi->ptMaxTrackSize.X = mmi->ptMaxSize.X = c->MaxWidth();
        if (c->MaxHeight() > 0) mmi->ptMaxTrackSize.Y = mmi->ptMaxSize.Y = c->MaxHeight();
        return;
    }
    default: break;
    }
    TWinControl::WndProc(Message);
}

bool TForm::WidgetEvent(QObject* watched, QEvent* event)
{
    QWidget* outer = OuterWidget();
    switch (event->type()) {
    case QEvent::Close:
        if ((watched == FWidget || (FSubWindow && watched == FSubWindow)) && !IsDestroying()) {
            // The user (or the window system) asks to close: the form decides.
            event->ignore();
            Perform(WM_CLOSE);
            return true;
        }
        break;
    case QEvent::WindowStateChange:
        if (watched != outer) break;
        if (FSubWindow && watched == FSubWindow) {
            if (FSubWindowChangingState) break;   // the sub-window's own turn, below
            // The sub-window enters and leaves its maximised and minimised
            // modes in its own handler of the change, which runs after the
            // filters. Bounds put back before it (a resize while it still
            // counts itself maximised) would leave it maximised in the
            // toolkit's eyes at its normal size, and the area would then
            // maximise whichever child is activated next. Let it finish
            // first, then take the state over.
            const QPointer<QMdiSubWindow> sub = FSubWindow;
            {
                QScopedValueRollback<bool> own(FSubWindowChangingState, true);
                // A child minimised hides its contents: the focus goes on.
                auto* frame = static_cast<TMdiSubWindow*>(sub.data());
                QScopedValueRollback<bool> keep(frame->KeepFocus, !(sub->windowState() & Qt::WindowMinimized));
                QCoreApplication::sendEvent(sub, event);
            }
            if (sub && !IsDestroying()) StateChangedByWindow();
            return true;
        }
        StateChangedByWindow();
        break;
    case QEvent::WindowActivate:
        if (watched == FWidget && !FSubWindow) Perform(WM_ACTIVATE, WA_ACTIVE);
        break;
    case QEvent::WindowDeactivate:
        if (watched == FWidget && !FSubWindow) Perform(WM_ACTIVATE, WA_INACTIVE);
        break;
    case QEvent::Resize:
        if (watched == FWidget) LayoutClient();
        break;
    default: break;
    }
    bool r = TWinControl::WidgetEvent(watched, event);
    if ((event->type() == QEvent::Resize || event->type() == QEvent::Move) && watched == outer && !FApplyingBounds &&
        QtState() == wsNormal && outer->isVisible())
        FNormalBounds = BoundsRect();
    return r;
}

void TForm::DoCreate()
{
    if (OnCreate) OnCreate(this);
}

void TForm::DoShow()
{
    if (OnShow) OnShow(this);
}

void TForm::DoHide()
{
    if (OnHide) OnHide(this);
}

void TForm::DoClose(TCloseAction& Action)
{
    if (OnClose) OnClose(this, Action);
}

void TForm::DoDestroy()
{
    if (OnDestroy) OnDestroy(this);
}

void TForm::Activate()
{
    if (FActive) return;
    FActive = true;
    FFormState += fsActivated;
    if (OnActivate) OnActivate(this);
}

void TForm::Deactivate()
{
    if (!FActive) return;
    FActive = false;
    if (OnDeactivate) OnDeactivate(this);
}

// -------------------------------------------------------- window placement

bool TForm::GetWindowPlacementOf(TWindowPlacement& wp)
{
    TWindowState ws = QtState();
    QWidget* o = OuterWidget();
    wp.flags = FPlacementFlags & WPF_SETMINPOSITION;
    if (ws == wsMinimized && o && (o->windowState() & Qt::WindowMaximized)) wp.flags |= WPF_RESTORETOMAXIMIZED;
    wp.showCmd = ws == wsMinimized ? SW_SHOWMINIMIZED : ws == wsMaximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    wp.ptMinPosition = FMinPosition;
    if (ws == wsMinimized && FSubWindow) wp.ptMinPosition = Point(FSubWindow->x(), FSubWindow->y());
    wp.ptMaxPosition = FMaxPosition;
    wp.rcNormalPosition = ws == wsNormal ? BoundsRect() : FNormalBounds;
    return true;
}

bool TForm::SetWindowPlacementOf(const TWindowPlacement& wp)
{
    FPlacementFlags = wp.flags;
    FMinPosition = wp.ptMinPosition;
    FMaxPosition = wp.ptMaxPosition;
    const TRect& r = wp.rcNormalPosition;
    SetBounds(r.Left, r.Top, std::max(r.Width(), 0), std::max(r.Height(), 0));
    if (QtState() != wsNormal) FNormalBounds = Bounds(r.Left, r.Top, std::max(r.Width(), 0), std::max(r.Height(), 0));
    if (wp.showCmd == SW_HIDE) {
        if (WindowVisible() && FFormStyle != fsMDIChild) SetVisible(false);
        return true;
    }
    return ShowWindowCmd(int(wp.showCmd));
}

bool TForm::WindowVisible()
{
    QWidget* o = OuterWidget();
    return o && o->isVisible();
}

bool TForm::WindowMinimized() { return OuterWidget() && QtState() == wsMinimized; }

bool TForm::WindowMaximized() { return OuterWidget() && QtState() == wsMaximized; }

bool TForm::ShowWindowCmd(int cmd)
{
    TWindowState ws;
    switch (cmd) {
    case SW_HIDE:
        if (FFormStyle != fsMDIChild) SetVisible(false);
        return true;
    case SW_SHOWNORMAL:
    case SW_SHOWNOACTIVATE:
    case SW_RESTORE: ws = wsNormal; break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE: ws = wsMinimized; break;
    case SW_SHOWMAXIMIZED: ws = wsMaximized; break;
    default:   // SW_SHOW, SW_SHOWNA, SW_SHOWDEFAULT: as it is
        if (!FVisible || !WindowVisible()) SetVisible(true);
        return true;
    }
    if (!FVisible || !WindowVisible()) {
        FWindowState = ws;
        SetVisible(true);
    } else {
        FWindowState = ws;
        ApplyQtState(ws, ws == wsMinimized && (FPlacementFlags & WPF_RESTORETOMAXIMIZED));
    }
    return true;
}

void TForm::UpdateWindowNow()
{
    if (QWidget* o = OuterWidget(); o && o->isVisible()) o->repaint();
}

// ------------------------------------------------------------------- MDI

void TForm::AddMDIChild(TForm* f)
{
    if (std::find(FMDIChildren.begin(), FMDIChildren.end(), f) == FMDIChildren.end()) FMDIChildren.push_back(f);
}

void TForm::RemoveMDIChild(TForm* f)
{
    auto it = std::find(FMDIChildren.begin(), FMDIChildren.end(), f);
    if (it != FMDIChildren.end()) FMDIChildren.erase(it);
    if (FActiveChild == f) FActiveChild = nullptr;
}

TForm* TForm::MDIFrame() const { return FMDIFrame; }

int TForm::MDIChildCount() const
{
    int n = 0;
    for (TForm* f : FMDIChildren)
        if (f->FSubWindow) ++n;
    return n;
}

TForm* TForm::MDIChildren(int i) const
{
    std::vector<TForm*> order;
    if (FMdiArea) {
        const auto list = FMdiArea->subWindowList(QMdiArea::StackingOrder);
        for (auto it = list.rbegin(); it != list.rend(); ++it)
            for (TForm* f : FMDIChildren)
                if (f->FSubWindow == *it) order.push_back(f);
    }
    if (i < 0 || i >= int(order.size())) throw EListError(QStringLiteral("List index out of bounds (%1)").arg(i));
    return order[size_t(i)];
}

TForm* TForm::ActiveMDIChild() const
{
    if (!FMdiArea) return nullptr;
    if (QMdiSubWindow* sw = FMdiArea->currentSubWindow())
        for (TForm* f : FMDIChildren)
            if (f->FSubWindow == sw) return f;
    return FActiveChild;
}

void TForm::MDIChildActivated(QMdiSubWindow* w)
{
    TForm* nf = nullptr;
    for (TForm* f : FMDIChildren)
        if (f->FSubWindow == w) nf = f;
    if (!nf) return;   // the frame lost the focus; the current child stays
    if (nf == FActiveChild) return;
    TForm* old = FActiveChild;
    FActiveChild = nf;
    if (old) old->Perform(WM_ACTIVATE, WA_INACTIVE);
    nf->Perform(WM_ACTIVATE, WA_ACTIVE);
}

std::vector<TForm*> TForm::ArrangedChildren() const
{
    // The shown children that are not minimised, bottom of the stack first.
    std::vector<TForm*> kids;
    for (int i = MDIChildCount() - 1; i >= 0; --i) {
        TForm* f = MDIChildren(i);
        if (f->WindowVisible() && f->WindowState() != wsMinimized) kids.push_back(f);
    }
    return kids;
}

void TForm::Cascade()
{
    // Every shown child that is not minimised, from the bottom of the stack
    // to the top, one title bar further down and to the right than the one
    // below it; all get the same size, the area less the offsets, so each
    // lies wholly inside the area with its title bar in view. When the
    // offsets would take more than half the area, the stair starts again at
    // the top left. The stacking order stays as it was.
    if (!FMdiArea) return;
    const std::vector<TForm*> kids = ArrangedChildren();
    if (kids.empty()) return;
    const int vw = FMdiArea->viewport()->width(), vh = FMdiArea->viewport()->height();
    const int step = std::max(kids.front()->FrameExtra().height(), 8);
    const int n = int(kids.size());
    const int steps = std::min(n - 1, std::min(vw, vh) / 2 / step);
    const int w = vw - steps * step, h = vh - steps * step;
    for (int i = 0; i < n; ++i) {
        TForm* f = kids[size_t(i)];
        if (f->WindowState() == wsMaximized) f->SetWindowState(wsNormal);
        const int k = i % (steps + 1);
        f->SetBounds(k * step, k * step, w, h);
    }
}

void TForm::Tile()
{
    if (!FMdiArea) return;
    const std::vector<TForm*> kids = ArrangedChildren();
    if (kids.empty()) return;
    const int n = int(kids.size());
    const int vw = FMdiArea->viewport()->width(), vh = FMdiArea->viewport()->height();
    for (int i = 0; i < n; ++i) {
        TForm* f = kids[size_t(i)];
        if (f->WindowState() == wsMaximized) f->SetWindowState(wsNormal);
        if (FTileMode == tbHorizontal)
            f->SetBounds(0, i * vh / n, vw, (i + 1) * vh / n - i * vh / n);
        else
            f->SetBounds(i * vw / n, 0, (i + 1) * vw / n - i * vw / n, vh);
    }
}

void TForm::ArrangeIcons()
{
    if (!FMdiArea) return;
    int x = 0;
    const int vh = FMdiArea->viewport()->height();
    for (int i = MDIChildCount() - 1; i >= 0; --i) {
        TForm* f = MDIChildren(i);
        if (f->WindowState() != wsMinimized || !f->FSubWindow) continue;
        QMdiSubWindow* sw = f->FSubWindow;
        sw->move(x, vh - sw->height());
        x += sw->width();
    }
}

void TForm::Next()
{
    // The child under the active one comes forward, and the active one goes
    // to the bottom of the stack: repeated, every child has its turn.
    if (MDIChildCount() < 2) return;
    TForm* active = MDIChildren(0);
    FMdiArea->setActiveSubWindow(MDIChildren(1)->FSubWindow);
    if (active->FSubWindow && ActiveMDIChild() != active) active->FSubWindow->lower();
}

void TForm::Previous()
{
    // The child at the bottom of the stack comes forward.
    if (MDIChildCount() < 2) return;
    FMdiArea->setActiveSubWindow(MDIChildren(MDIChildCount() - 1)->FSubWindow);
}

TForm* TForm::MDIChildAt(QWidget* w)
{
    for (; w; w = w->parentWidget()) {
        auto* sub = qobject_cast<QMdiSubWindow*>(w);
        if (!sub) continue;
        auto* f = dynamic_cast<TForm*>(FindControl(sub));
        if (f && f->FSubWindow == sub && f->FMDIFrame) return f;
    }
    return nullptr;
}

bool TForm::MDIChildPressed(QWidget* w)
{
    TForm* f = MDIChildAt(w);
    if (!f || !f->FMDIFrame->FMdiArea || f->IsDestroying()) return false;
    QMdiSubWindow* sub = f->FSubWindow;
    QMdiArea* area = f->FMDIFrame->FMdiArea;
    // A modal window keeps the others from being worked.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && !modal->isAncestorOf(sub)) return false;
    if (!sub->isVisible() || !sub->isEnabled() || area->currentSubWindow() == sub) return false;
    area->setActiveSubWindow(sub);
    return true;
}

bool TForm::MDISystemKey(QWidget* w, WORD Key, TShiftState Shift)
{
    if (Key != VK_F4 && Key != VK_F6) return false;
    if (!Shift.Contains(ssCtrl) || Shift.Contains(ssAlt)) return false;
    if (Key == VK_F4 && Shift.Contains(ssShift)) return false;
    // Pressed in the frame's own window, not in a pop-up or dialog over it.
    TForm* f = GetParentForm(FindControl(w));
    TForm* frame = f && f->FFormStyle == fsMDIForm ? f : f ? f->FMDIFrame : nullptr;
    if (!frame || frame->FFormStyle != fsMDIForm || !frame->FWidget || w->window() != frame->FWidget->window())
        return false;
    TForm* child = frame->ActiveMDIChild();
    if (!child) return false;
    if (Key == VK_F4)
        child->Perform(WM_SYSCOMMAND, SC_CLOSE);
    else
        child->Perform(WM_SYSCOMMAND, Shift.Contains(ssShift) ? SC_PREVWINDOW : SC_NEXTWINDOW);
    return true;
}

// -------------------------------------------------------------- TScrollBox

TScrollBox::TScrollBox(TComponent* AOwner) : TWinControl(AOwner)
{
    FWidth = 185;
    FHeight = 41;
}

QScrollArea* TScrollBox::Area() const { return qobject_cast<QScrollArea*>(FWidget.data()); }

// Scrolls so that all of the widget (not only its text cursor, as Qt's own
// ensureWidgetVisible does for edits) is in view, as far as it fits.
static void ScrollWidgetInView(QScrollArea* area, QWidget* content, QWidget* w)
{
    const QRect r(w->mapTo(content, QPoint(0, 0)), w->size());
    auto fit = [](QScrollBar* bar, int from, int size, int view) {
        if (from + size > bar->value() + view) bar->setValue(from + size - view);
        if (from < bar->value()) bar->setValue(from);
    };
    fit(area->verticalScrollBar(), r.top(), r.height(), area->viewport()->height());
    fit(area->horizontalScrollBar(), r.left(), r.width(), area->viewport()->width());
}

QWidget* TScrollBox::CreateWidget(QWidget* parentWidget)
{
    auto* area = new QScrollArea(parentWidget);
    area->setWidgetResizable(false);
    auto* content = new QWidget;
    content->setAutoFillBackground(false);
    area->setWidget(content);
    area->viewport()->setAutoFillBackground(false);
    FContent = content;
    // Children come and go, move and resize on the content area: the area
    // follows them. The viewport's size is the least size of the content.
    WatchWidget(content);
    WatchWidget(area->viewport());
    QObject::connect(qApp, &QApplication::focusChanged, area, [this, area](QWidget*, QWidget* now) {
        if (now && FContent && FContent->isAncestorOf(now)) ScrollWidgetInView(area, FContent, now);
    });
    return area;
}

void TScrollBox::InitWidget()
{
    TWinControl::InitWidget();
    if (QScrollArea* a = Area()) a->setFrameShape(FBorderStyle == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
    UpdateContentSize();
}

void TScrollBox::ReleaseWidget()
{
    TWinControl::ReleaseWidget();
    FContent = nullptr;
}

void TScrollBox::SetBorderStyle(TFormBorderStyle v)
{
    FBorderStyle = v == bsNone ? bsNone : bsSingle;
    if (QScrollArea* a = Area()) a->setFrameShape(FBorderStyle == bsNone ? QFrame::NoFrame : QFrame::StyledPanel);
    UpdateContentSize();
}

void TScrollBox::SetMargin(int v)
{
    FMargin = std::max(v, 0);
    UpdateContentSize();
}

int TScrollBox::ClientWidth() const
{
    if (QScrollArea* a = Area()) return a->viewport()->width();
    return std::max(FWidth - (FBorderStyle == bsNone ? 0 : 4), 0);
}

int TScrollBox::ClientHeight() const
{
    if (QScrollArea* a = Area()) return a->viewport()->height();
    return std::max(FHeight - (FBorderStyle == bsNone ? 0 : 4), 0);
}

int TScrollBox::ContentWidth() const { return FContent ? FContent->width() : ClientWidth(); }
int TScrollBox::ContentHeight() const { return FContent ? FContent->height() : ClientHeight(); }

int TScrollBox::HorzScrollPos() const
{
    QScrollArea* a = Area();
    return a ? a->horizontalScrollBar()->value() : 0;
}

int TScrollBox::VertScrollPos() const
{
    QScrollArea* a = Area();
    return a ? a->verticalScrollBar()->value() : 0;
}

void TScrollBox::ScrollInView(TControl* AControl)
{
    QScrollArea* a = Area();
    if (!a || !AControl || !ContainsControl(AControl) || !AControl->OuterWidget()) return;
    ScrollWidgetInView(a, FContent, AControl->OuterWidget());
}

void TScrollBox::UpdateContentSize()
{
    QScrollArea* a = Area();
    if (!a || !FContent || IsDestroying()) return;
    int right = 0, bottom = 0;
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        if (!c->Visible() || c->Align() == alClient) continue;
        right = std::max(right, c->Left() + c->Width());
        bottom = std::max(bottom, c->Top() + c->Height());
    }
    if (right > 0) right += FMargin;
    if (bottom > 0) bottom += FMargin;
    // The scroll bars take room from the viewport: decide them on the full
    // box first, then on what is left.
    const int frame = a->frameWidth() * 2;
    const int bar = a->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, a);
    int vw = std::max(FWidth - frame, 0), vh = std::max(FHeight - frame, 0);
    const bool needV = bottom > vh || (right > vw && bottom > vh - bar);
    if (needV) vw = std::max(vw - bar, 0);
    const bool needH = right > vw;
    if (needH) vh = std::max(vh - bar, 0);
    const QSize size(std::max(right, vw), std::max(bottom, vh));
    if (FContent->size() != size) FContent->resize(size);
}

bool TScrollBox::WidgetEvent(QObject* watched, QEvent* event)
{
    QScrollArea* a = Area();
    if (a && FContent) {
        switch (event->type()) {
        case QEvent::ChildAdded:
            if (watched == FContent) {
                QObject* child = static_cast<QChildEvent*>(event)->child();
                if (child->isWidgetType()) WatchWidget(child);
            }
            break;
        case QEvent::ChildRemoved:
            // The control of a widget being removed may still count itself
            // a child: measure once it has gone.
            if (watched == FContent)
                QMetaObject::invokeMethod(FContent, [this] { CallHandler(this, [this] { UpdateContentSize(); }); }, Qt::QueuedConnection);
            break;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            if (watched == a->viewport() || (watched != FContent && watched->parent() == FContent)) UpdateContentSize();
            break;
        default: break;
        }
    }
    bool r = TWinControl::WidgetEvent(watched, event);
    if (watched == FWidget && event->type() == QEvent::Resize) UpdateContentSize();
    return r;
}

// ------------------------------------------------------------- TDataModule

TDataModule::TDataModule(TComponent* AOwner) : TComponent(AOwner) { Screen->AddDataModule(this); }

TDataModule::~TDataModule()
{
    BeforeDestruction();
    Destroying();
    DestroyComponents();
    Screen->RemoveDataModule(this);
}

void TDataModule::AfterConstruction()
{
    if (FCreated) return;
    FCreated = true;
    std::vector<TComponent*> comps;
    for (int i = 0; i < ComponentCount(); ++i) comps.push_back(Components(i));
    for (TComponent* c : comps)
        if (c->IsLoading()) c->Loaded();
    if (IsLoading()) Loaded();
    if (OnCreate) OnCreate(this);
}

void TDataModule::BeforeDestruction()
{
    if (FDestroyDone) return;
    FDestroyDone = true;
    Destroying();
    try {
        if (OnDestroy) OnDestroy(this);
    } catch (...) {
        Application->HandleException(this);
    }
}

// ----------------------------------------------------------------- TScreen

TScreen::TScreen() : TComponent(nullptr) {}

static QScreen* PrimaryScreen()
{
    TApplication::EnsureQtApplication();
    return QGuiApplication::primaryScreen();
}

int TScreen::Width() const
{
    if (FWidthOverride > 0) return FWidthOverride;
    QScreen* s = PrimaryScreen();
    return s ? s->geometry().width() : 1024;
}

int TScreen::Height() const
{
    if (FHeightOverride > 0) return FHeightOverride;
    QScreen* s = PrimaryScreen();
    return s ? s->geometry().height() : 768;
}

int TScreen::DesktopWidth() const
{
    if (FWidthOverride > 0) return FWidthOverride;
    QScreen* s = PrimaryScreen();
    return s ? s->virtualGeometry().width() : Width();
}

int TScreen::DesktopHeight() const
{
    if (FHeightOverride > 0) return FHeightOverride;
    QScreen* s = PrimaryScreen();
    return s ? s->virtualGeometry().height() : Height();
}

int TScreen::PixelsPerInch() const
{
    if (FPpiOverride > 0) return FPpiOverride;
    QScreen* s = PrimaryScreen();
    return s ? qRound(s->logicalDotsPerInch()) : 96;
}

void TScreen::SetMetricsOverride(int width, int height, int pixelsPerInch)
{
    FWidthOverride = std::max(width, 0);
    FHeightOverride = std::max(height, 0);
    FPpiOverride = std::max(pixelsPerInch, 0);
}

void TScreen::ClearMetricsOverride() { SetMetricsOverride(0, 0, 0); }

TForm* TScreen::ActiveForm() const
{
    if (QWidget* w = QApplication::activeWindow())
        if (TForm* f = GetParentForm(FindControl(w))) return f;
    for (TForm* f : FForms)
        if (f->Active() && f->FormStyle() != fsMDIChild) return f;
    return nullptr;
}

void TScreen::SetCursor(TCursor v)
{
    if (v == FCursor) return;
    TApplication::EnsureQtApplication();
    if (FCursor != crDefault) QApplication::restoreOverrideCursor();
    FCursor = v;
    if (v != crDefault) QApplication::setOverrideCursor(CursorToQCursor(v));
}

void TScreen::AddForm(TForm* f)
{
    if (std::find(FForms.begin(), FForms.end(), f) == FForms.end()) FForms.push_back(f);
}

void TScreen::RemoveForm(TForm* f)
{
    auto it = std::find(FForms.begin(), FForms.end(), f);
    if (it != FForms.end()) FForms.erase(it);
}

void TScreen::AddDataModule(TComponent* d)
{
    if (std::find(FDataModules.begin(), FDataModules.end(), d) == FDataModules.end()) FDataModules.push_back(d);
}

void TScreen::RemoveDataModule(TComponent* d)
{
    auto it = std::find(FDataModules.begin(), FDataModules.end(), d);
    if (it != FDataModules.end()) FDataModules.erase(it);
}

// ------------------------------------------------------------ TApplication

namespace {
TApplication* g_application = nullptr;
TScreen* g_screen = nullptr;
}  // namespace

const TApplicationRef Application{};
const TScreenRef Screen{};

TApplication* TApplicationRef::Get()
{
    if (!g_application) g_application = new TApplication;
    return g_application;
}

TScreen* TScreenRef::Get()
{
    if (!g_screen) g_screen = new TScreen;
    return g_screen;
}

namespace {
// The key as a shortcut number: virtual key and shift keys.
TShortCut ShortCutOf(const QKeyEvent* k)
{
    return ShortCut(VirtualKeyOf(k), ShiftStateOf(k->modifiers()));
}

// A key pressed in a widget: a shortcut of the form the widget lies in,
// else of that form's MDI frame.
bool FormShortCut(QWidget* w, const QKeyEvent* k)
{
    TForm* f = GetParentForm(FindControl(w));
    if (!f) return false;
    const TShortCut sc = ShortCutOf(k);
    if (f->IsShortCut(sc)) return true;
    TForm* frame = f->MDIFrame();
    return frame && frame != f && frame->IsShortCut(sc);
}

// The windowed control a key pressed in the widget belongs to, when the
// widget lies in its form's own window (not in a pop-up over it).
TWinControl* KeyControl(QWidget* w)
{
    TControl* c = FindControl(w);
    while (c && !dynamic_cast<TWinControl*>(c)) c = c->Parent();
    auto* control = static_cast<TWinControl*>(c);
    TForm* f = GetParentForm(control);
    QWidget* window = f ? f->OuterWidget() : nullptr;
    if (!window || w->window() != window->window()) return nullptr;
    return control;
}

// The form that gets the key as a dialog key once the focused control has
// seen it: an Enter or Esc pressed in the form's own window (not in a pop-up
// over it) that the control does not claim.
TForm* DialogKeyForm(QWidget* w, const QKeyEvent* k)
{
    const WORD key = VirtualKeyOf(k);
    if (key != VK_RETURN && key != VK_ESCAPE) return nullptr;
    TWinControl* control = KeyControl(w);
    if (!control || control->WantsDialogKey(key, ShiftStateOf(k->modifiers()))) return nullptr;
    return GetParentForm(control);
}

// A page key (Ctrl+Tab, Ctrl+PageDown, ...) goes to the form as a dialog key
// before the focused control sees it, where the page control around the
// control takes it: a grid would move a column or go to its last row, a
// memo take the tab. A control whose pop-up is open keeps it (a calendar
// turns its years). True when a page control took it.
bool PageKey(QWidget* w, const QKeyEvent* k)
{
    TShiftState shift = ShiftStateOf(k->modifiers());
    if (k->key() == Qt::Key_Backtab) shift += ssShift;
    const WORD key = VirtualKeyOf(k);
    if (PageKeyDirection(key, shift) == 0) return false;
    TWinControl* control = KeyControl(w);
    if (!control || control->WantsDialogKey(key, shift)) return false;
    return GetParentForm(control)->DialogKey(key, shift);
}

// F10 pressed in a form's window puts the form's main menu (an MDI child's:
// its frame's) into the keyboard mode, as a tap of Alt does; pressed in the
// menu bar, it takes the menu out of it.
bool MenuKey(QWidget* w, const QKeyEvent* k)
{
    if (VirtualKeyOf(k) != VK_F10 || ShiftStateOf(k->modifiers()) != TShiftState{}) return false;
    TForm* f = GetParentForm(FindControl(w));
    QWidget* window = f ? f->OuterWidget() : nullptr;
    if (!window || w->window() != window->window()) return false;
    if (!f->Menu() && f->MDIFrame()) f = f->MDIFrame();
    TMainMenu* menu = f->Menu();
    if (!menu || !menu->MenuBar() || !menu->MenuBar()->isVisible()) return false;
    menu->SetKeyboardMode(!menu->KeyboardMode());
    return true;
}

// The stand-in a press sets for the toolkit's focus search (see notify),
// taken away as soon as the press reaches the widget: the toolkit has given
// the press's focus by then, and what the press opens (a menu, a dialog, each
// with an event loop of its own) runs with nothing of it set.
class TPressFocusStandIn : public QObject {
public:
    TPressFocusStandIn(QObject* receiver, QEvent* press) : FReceiver(receiver), FPress(press)
    {
        FKeeping = PressKeepsFocusAt(static_cast<QWidget*>(receiver));
        if (!FKeeping) return;
        FKeeping->setFocusProxy(QApplication::focusWidget());
        receiver->installEventFilter(this);
    }
    ~TPressFocusStandIn() override
    {
        Release();
        if (FReceiver) FReceiver->removeEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e == FPress) Release();
        return false;
    }

private:
    void Release()
    {
        if (FKeeping) FKeeping->setFocusProxy(nullptr);
        FKeeping = nullptr;
    }
    QPointer<QObject> FReceiver;
    QEvent* FPress;
    QPointer<QWidget> FKeeping;
};

// The toolkit's application object. Every event passes through notify: a
// key press is first offered to the actions of the form it was pressed in,
// then a page key to the page control around the focus and F10 to the main
// menu, before the focused control sees it, and a dialog key goes on to the
// form after the control has seen it; an exception that escaped a handler's
// own bridge ends here, on the error display, instead of ending the program.
class TQtApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* e) override
    {
        TForm* dialogKeyForm = nullptr;
        QPointer<QWidget> formWindow;
        if (e->type() == QEvent::KeyPress && receiver->isWidgetType()) {
            auto* w = static_cast<QWidget*>(receiver);
            auto* k = static_cast<QKeyEvent*>(e);
            bool used = false;
            const bool ok = CallHandler(nullptr, [&] {
                used = TForm::MDISystemKey(w, VirtualKeyOf(k), ShiftStateOf(k->modifiers())) || FormShortCut(w, k) ||
                       PageKey(w, k) || MenuKey(w, k);
                if (!used) dialogKeyForm = DialogKeyForm(w, k);
            });
            if (used || !ok) return true;
            if (dialogKeyForm) formWindow = dialogKeyForm->Widget();
        }
        // A press on an MDI child that is not the active one activates it
        // first, as the window system does; the press then goes on to what
        // was pressed.
        if (e->type() == QEvent::MouseButtonPress && receiver->isWidgetType() &&
            !CallHandler(nullptr, [&] { TForm::MDIChildPressed(static_cast<QWidget*>(receiver)); }))
            return true;
        // The toolkit gives a press's focus before it delivers the press;
        // over a control that takes none, the focused widget stands in for
        // the control meanwhile, which ends the toolkit's search there.
        std::optional<TPressFocusStandIn> standIn;
        if (e->type() == QEvent::MouseButtonPress && e->spontaneous() && receiver->isWidgetType())
            standIn.emplace(receiver, e);
        const unsigned errors = ReportedHandlerErrors();
        bool result = true;
        try {
            result = QApplication::notify(receiver, e);
        } catch (...) {
            ReportHandlerException(nullptr);
        }
        standIn.reset();
        // A control whose handling of the key raised has had it; the control
        // may also have closed (or be closing) or freed its form meanwhile.
        const auto closing = [](TForm* f) {
            return !f->Showing() || (f->FormState().Contains(fsModal) && f->ModalResult() != mrNone);
        };
        if (dialogKeyForm && errors == ReportedHandlerErrors() && formWindow && !dialogKeyForm->IsDestroying() &&
            !closing(dialogKeyForm)) {
            auto* k = static_cast<QKeyEvent*>(e);
            CallHandler(dialogKeyForm,
                        [&] { dialogKeyForm->DialogKey(VirtualKeyOf(k), ShiftStateOf(k->modifiers())); });
        }
        return result;
    }
};
}  // namespace

namespace {
QtMessageHandler g_startupPrevious = nullptr;

// While the toolkit starts, a fatal error can only mean that the windowing
// system is out of reach (no display, a display that went away, a missing
// platform plugin). The toolkit would abort with a core dump, which looks
// like a crash of the program; the program ends instead with the toolkit's
// own explanation and exit status 1. Other messages go on as before.
void StartupMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg) {
        if (g_startupPrevious)
            g_startupPrevious(type, context, message);
        else
            std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
        return;
    }
    std::fprintf(stderr, "%s\nqorvane: the windowing system could not be reached; the program ends.\n",
                 qPrintable(message));
    std::fflush(stderr);
    std::_Exit(1);
}
}  // namespace

void TApplication::EnsureQtApplication(int* argc, char** argv)
{
    if (QCoreApplication::instance()) return;
    static int s_argc = 1;
    static char s_name[] = "qorvane";
    static char* s_argv[] = {s_name, nullptr};
    g_startupPrevious = qInstallMessageHandler(StartupMessageHandler);
    if (argc && argv) {
        s_argc = *argc;
        new TQtApplication(*argc, argv);
    } else {
        new TQtApplication(s_argc, s_argv);
    }
    qInstallMessageHandler(g_startupPrevious);
    g_startupPrevious = nullptr;
    QApplication::setQuitOnLastWindowClosed(false);
}

TApplication::TApplication() : TComponent(nullptr)
{
    EnsureQtApplication();
    FHandle = winapi_detail::RegisterWindow(this);
    FStateWatcher = new QObject;
    QObject::connect(qApp, &QGuiApplication::applicationStateChanged, FStateWatcher, [this](Qt::ApplicationState s) {
        SendMessage(FHandle, WM_ACTIVATEAPP, s == Qt::ApplicationActive ? 1 : 0, 0);
    });
}

TApplication::~TApplication()
{
    winapi_detail::UnregisterWindow(FHandle);
    delete FStateWatcher;
}

void TApplication::Initialize(int& argc, char** argv) { EnsureQtApplication(&argc, argv); }

void TApplication::SetIcon(const QString& ResourceName) { QApplication::setWindowIcon(QIcon(ResourceName)); }

QString TApplication::Title() const
{
    if (!FTitle.isEmpty()) return FTitle;
    return QFileInfo(ExeName()).completeBaseName();
}

QString TApplication::ExeName() const
{
    QString p = QCoreApplication::applicationFilePath();
    return p.isEmpty() ? QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath() : p;
}

void TApplication::SetMainForm(TForm* f)
{
    if (FMainForm == f) return;
    if (FMainForm) FMainForm->RemoveFreeNotification(this);
    FMainForm = f;
    if (f) f->FreeNotification(this);
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == opRemove && AComponent == FMainForm) FMainForm = nullptr;
    TComponent::Notification(AComponent, Operation);
}

void TApplication::Run()
{
    FTerminated = false;
    if (FMainForm && FShowMainForm) FMainForm->Show();
    if (!FTerminated) QApplication::exec();
    FTerminated = true;
}

void TApplication::Terminate()
{
    FTerminated = true;
    QCoreApplication::exit(0);
}

void TApplication::ProcessMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    DeliverPostedMessages();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void TApplication::HandleMessage() { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); }

void TApplication::Minimize()
{
    if (FMinimized) return;
    FMinimized = true;
    if (FMainForm && FMainForm->OuterWidget() && FMainForm->WindowVisible()) FMainForm->OuterWidget()->showMinimized();
    if (OnMinimize) OnMinimize(this);
}

void TApplication::Restore()
{
    if (!FMinimized) return;
    FMinimized = false;
    if (FMainForm && FMainForm->OuterWidget() && FMainForm->WindowMinimized()) {
        TWindowState ws = FMainForm->WindowState();
        FMainForm->ApplyQtState(ws == wsMinimized ? wsNormal : ws);
    }
    if (OnRestore) OnRestore(this);
}

void TApplication::BringToFront()
{
    if (FMainForm && FMainForm->OuterWidget()) {
        FMainForm->OuterWidget()->raise();
        FMainForm->OuterWidget()->activateWindow();
    }
}

void TApplication::SetActive(bool v)
{
    if (v == FActive) return;
    FActive = v;
    if (v) {
        if (OnActivate) OnActivate(this);
    } else if (OnDeactivate) {
        OnDeactivate(this);
    }
}

void TApplication::SetHint(const QString& v)
{
    if (v == FHint) return;
    FHint = v;
    if (OnHint) OnHint(this);
}

int TApplication::MessageBox(const QString& Text, const QString& Caption, int Flags)
{
    TDialogRequest r;
    r.Kind = TDialogKind::MessageBox;
    r.Text = Text;
    r.Caption = Caption;
    r.Flags = Flags;
    return RunDialog(r);
}

void TApplication::HandleException(TObject* Sender)
{
    std::exception_ptr p = std::current_exception();
    if (!p) return;
    auto report = [&](const Exception& e) {
        if (OnException)
            OnException(Sender, e);
        else
            ShowException(e);
    };
    try {
        std::rethrow_exception(p);
    } catch (const EAbort&) {
    } catch (const Exception& e) {
        report(e);
    } catch (const std::exception& e) {
        report(Exception(QString::fromUtf8(e.what())));
    } catch (...) {
        report(Exception(QStringLiteral("Unknown error")));
    }
}

void TApplication::ShowException(const Exception& E)
{
    QString msg = E.Message();
    if (!msg.isEmpty() && msg.back() > QLatin1Char('.')) msg += QLatin1Char('.');
    MessageBox(msg, Title(), MB_OK | MB_ICONSTOP);
}

void TApplication::HandleMessage(TMessage& m)
{
    WndProc(m);
}

void TApplication::WndProc(TMessage& Message)
{
    try {
        switch (Message.Msg) {
        case WM_SYSCOMMAND:
            switch (Message.WParam & 0xFFF0) {
            case SC_MINIMIZE: Minimize(); break;
            case SC_RESTORE: Restore(); break;
            case SC_CLOSE:
                if (FMainForm) FMainForm->Close();
                break;
            default: break;
            }
            break;
        case WM_ACTIVATEAPP: SetActive(Message.WParam != 0); break;
        case WM_CLOSE:
            if (FMainForm) FMainForm->Close();
            break;
        case WM_QUIT: Terminate(); break;
        default: break;
        }
    } catch (...) {
        HandleException(this);
    }
}

bool TApplication::ShowWindowCmd(int cmd)
{
    if (cmd == SW_MINIMIZE || cmd == SW_SHOWMINIMIZED || cmd == SW_SHOWMINNOACTIVE || cmd == SW_FORCEMINIMIZE)
        Minimize();
    else if (cmd == SW_RESTORE || cmd == SW_SHOWNORMAL)
        Restore();
    return true;
}

TModalActivation::TModalActivation() : FBefore(QApplication::activeWindow()) {}

void TModalActivation::Ended(QWidget* Modal)
{
    QWidget* before = FBefore;
    if (!before || !Modal || before == Modal || !before->isVisible()) return;
    // The closed window held the activation when the toolkit still counts
    // the application active and names no other window as the focus window
    // (it names the hidden one, or none once that is gone or let go).
    const QWindow* focus = QGuiApplication::focusWindow();
    if (QGuiApplication::applicationState() == Qt::ApplicationActive && (!focus || focus == Modal->windowHandle()))
        before->activateWindow();
}

void DoneApplication()
{
    if (!g_application) return;
    TApplication* app = g_application;
    app->DestroyComponents();
    app->SetMainForm(nullptr);
}
