#pragma once
// Forms, the screen and the application.
//
// A form is a top-level window, an MDI frame (its client area holds a
// QMdiArea) or an MDI child (shown inside the frame's area in a
// QMdiSubWindow). Forms are created in two steps, as the framework creates
// them from their definitions: the constructor of the form class makes and
// sets up its components and binds its handlers, then AfterConstruction ends
// the creation: every owned component gets Loaded, OnCreate fires, and a form
// that is visible from its definition (every MDI child) is shown. NewForm<T>()
// and Application->CreateForm() do both steps; Show and ShowModal finish a
// creation that was not finished. Forms are freed with Free() or Release()
// (freed from the message queue, so it is safe inside the form's own
// handlers); OnDestroy fires while the form is still whole.
//
// Showing a form: the first time, its Position is applied (centring); then
// OnShow fires, then the window appears in its WindowState. A handler that
// sets WindowState or the placement from OnShow thus decides how the window
// first appears; a centred window whose OnShow only changes its size (a
// dialog that lays itself out) is centred again with the new size.
//
// Window placement (GetWindowPlacement/SetWindowPlacement) maps onto Qt as
// follows: the normal rectangle is the form's bounds in the normal state (kept
// while maximised or minimised, and re-applied on restore); the show command
// is 2 while minimised, 3 while maximised, else 1; WPF_RESTORETOMAXIMIZED is
// set while a window minimised from the maximised state. The minimised and
// maximised positions have no meaning for a Qt window: they are kept as set
// and given back (an MDI child reports its minimised position).
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QString>
#include <functional>
#include <type_traits>
#include <vector>

#include "platform/ui/Controls.h"
#include "platform/ui/PaintCtrls.h"

class QEventLoop;
class QMenuBar;
class TMainMenu;
class QScrollArea;

enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TPosition {
    poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
    poMainFormCenter, poOwnerFormCenter
};
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TTileMode { tbHorizontal, tbVertical };
enum TFormStateFlag { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TSet<TFormStateFlag>;

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6,
                       mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TForm : public TWinControl {
    QV_CLASS(TForm, TWinControl)
public:
    explicit TForm(TComponent* AOwner = nullptr);
    ~TForm() override;

    // Ends the creation (see above); runs once.
    virtual void AfterConstruction();
    bool Created() const { return FCreated; }
    void BeforeDestruction() override;
    // Frees the form from the message queue.
    void Release();

    TFormStyle FormStyle() const { return FFormStyle; }
    // Keeps the client size: an MDI child's frame and caption are added to
    // (taken from) the outer size.
    void SetFormStyle(TFormStyle v);
    TPosition Position() const { return FPosition; }
    // Stored only; it takes effect when the form is first shown.
    void SetPosition(TPosition v) { FPosition = v; }
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle v);   // re-creates the window
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons v);       // re-creates the window
    TWindowState WindowState() const { return FWindowState; }
    void SetWindowState(TWindowState v);
    // Sets the state field only; a window not yet shown appears in it.
    void SetWindowStateField(TWindowState v) { FWindowState = v; }
    TFormState FormState() const { return FFormState; }

    int ClientWidth() const override;
    int ClientHeight() const override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

    TWinControl* ActiveControl() const { return FActiveControl; }
    // Raises EInvalidOperation when the form is shown and the control can not
    // take the focus.
    void SetActiveControl(TWinControl* c);
    void FocusControl(TWinControl* c);
    bool Active() const { return FActive; }

    // Showing and closing.
    void SetVisible(bool v) override;
    void Close();
    bool CloseQuery();
    // Shows the form and waits until ModalResult is set (a button, Close)
    // and the close query lets it close; returns the result.
    TModalResult ShowModal();
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(TModalResult v);

    // A key pressed anywhere inside the form: the first action of the
    // form's action lists (or of the form itself) with that shortcut runs
    // when it is enabled; true when one ran. A disabled action leaves the
    // key to the control that has the focus.
    virtual bool IsShortCut(TShortCut ShortCut);
    // The form's dialog-key step: an Enter or Esc that the focused control
    // did not claim (WantsDialogKey) comes here after the control has seen
    // it, and is offered to the form's controls as CM_DIALOGKEY, where the
    // default button takes Enter and the cancel button Esc (its click gives
    // the modal result, so a refused OK keeps the dialog open); true when
    // one took it. The application runs this step for every key pressed in
    // a form's window; keys pressed in a pop-up (a drop-down list, a menu, a
    // message box) stay there.
    bool DialogKey(WORD Key, TShiftState Shift);
    // A click on a form's free area leaves the focus where it is.
    bool TakesClickFocus() const override { return false; }

    // MDI frame.
    int MDIChildCount() const;
    TForm* MDIChildren(int i) const;   // 0 is the top (active) child
    TForm* ActiveMDIChild() const;
    void Cascade();
    // The children that cascade and tile arrange.
    std::vector<TForm*> ArrangedChildren() const;
    void Tile();
    TTileMode TileMode() const { return FTileMode; }
    void SetTileMode(TTileMode v) { FTileMode = v; }
    void ArrangeIcons();
    // The window system's next and previous child (Ctrl+F6, Ctrl+Shift+F6):
    // Next brings the child under the active one forward and sends the
    // active one to the bottom; Previous brings the bottom child forward.
    void Next();
    void Previous();
    // What the window system does for every MDI child: a press anywhere on
    // a child (its title bar, frame, tool bar or any control) activates it
    // before the press is delivered; true when one was activated.
    static bool MDIChildPressed(QWidget* w);
    // Ctrl+F4 closes the active child as its close command does, Ctrl+F6
    // and Ctrl+Shift+F6 activate the next and previous one, when pressed in
    // the frame's window (a child's control or the frame's own); true when
    // the key was such a key.
    static bool MDISystemKey(QWidget* w, WORD Key, TShiftState Shift);
    QMdiArea* MdiArea() const { return FMdiArea; }
    // The MDI frame an MDI child lives in.
    TForm* MDIFrame() const;

    // The main menu, its bar shown above the client area (set by the main
    // menu, TMainMenu::SetForm). F10 and a tap of Alt reach it from anywhere
    // in the form and in its MDI children.
    void SetMenu(TMainMenu* m);
    TMainMenu* Menu() const { return FMenu; }
    QWidget* MenuBarWidget() const { return FMenuBar; }

    QWidget* ClientWidget() const override { return FClient; }
    QWidget* OuterWidget() const override;

    void WndProc(TMessage& Message) override;

    // Window system side.
    bool GetWindowPlacementOf(TWindowPlacement& wp) override;
    bool SetWindowPlacementOf(const TWindowPlacement& wp) override;
    bool WindowVisible() override;
    bool WindowMinimized() override;
    bool WindowMaximized() override;
    bool ShowWindowCmd(int cmd) override;
    void UpdateWindowNow() override;

    // Re-reads the size limits through WM_GETMINMAXINFO (constraints and
    // whoever watches the window procedure) and applies them to the window.
    void UpdateMinMaxInfo();

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnDestroy;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;

protected:
    void CreateHandle() override;
    void CreateWindowWidget() override;
    void DestroyHandle() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    bool ShowsWithParent() const override { return false; }
    bool WidgetEvent(QObject* watched, QEvent* event) override;
    void TextChanged() override;
    void ApplyBoundsToWidget() override;
    void AlignRemainder(const TRect& r) override;
    virtual void DoCreate();
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& Action);
    virtual void DoDestroy();
    virtual void Activate();
    virtual void Deactivate();

private:
    friend class TApplication;
    friend class TWinControl;
    void ApplyWindowFlags();
    void ApplyPosition();
    void ShowInState();
    void ApplyQtState(TWindowState ws, bool restoreToMaximized = false);
    TWindowState QtState() const;
    void StateChangedByWindow();
    void CloseModal();
    void MDIChildActivated(QMdiSubWindow* w);
    // The MDI child whose sub-window holds the widget.
    static TForm* MDIChildAt(QWidget* w);
    void AddMDIChild(TForm* f);
    void RemoveMDIChild(TForm* f);
    void LayoutClient();
    QSize FrameExtra() const;
    bool IsSizeable() const { return FBorderStyle == bsSizeable || FBorderStyle == bsSizeToolWin; }

    TFormStyle FFormStyle = fsNormal;
    TPosition FPosition = poDesigned;
    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons{biSystemMenu, biMinimize, biMaximize};
    TWindowState FWindowState = wsNormal;
    TFormState FFormState{fsCreating};
    TModalResult FModalResult = mrNone;
    int FModalAttempts = 0;
    TTileMode FTileMode = tbHorizontal;
    // MDI frame: the children placed at the default position so far (each
    // comes one title bar lower and further right than the one before).
    int FDefaultPlacements = 0;
    TWinControl* FActiveControl = nullptr;
    // The control the focus has entered (OnEnter ran, OnExit not yet).
    TWinControl* FEnteredControl = nullptr;
    bool FCreated = false;
    bool FVisibleOnCreate = false;
    bool FShownOnce = false;
    bool FDestroyDone = false;
    bool FActive = false;
    bool FClosing = false;
    // An MDI child's sub-window is handling a change of its state.
    bool FSubWindowChangingState = false;
    TRect FNormalBounds;
    TPoint FMinPosition{-1, -1};
    TPoint FMaxPosition{-1, -1};
    UINT FPlacementFlags = 0;
    QPointer<QWidget> FClient;
    QPointer<QMdiArea> FMdiArea;
    QPointer<QMdiSubWindow> FSubWindow;
    QPointer<QWidget> FMenuBar;
    TMainMenu* FMenu = nullptr;
    QEventLoop* FModalLoop = nullptr;
    TForm* FMDIFrame = nullptr;
    std::vector<TForm*> FMDIChildren;
    TForm* FActiveChild = nullptr;
};

// Creates a form and ends its creation.
template <class T, class... Args>
T* NewForm(Args&&... args)
{
    T* f = new T(std::forward<Args>(args)...);
    try {
        f->AfterConstruction();
    } catch (...) {
        f->Free();
        throw;
    }
    return f;
}

// A box whose children stand on a content area that scrolls within it. The
// content area is as large as the children need (their right and bottom
// edges plus Margin), and at least as large as the visible part; the scroll
// bars appear when it is larger. A child that takes the focus, by the Tab
// key, a label's accelerator or SetFocus, is scrolled into view. Children's
// bounds are content coordinates, whatever the scroll position.
class TScrollBox : public TWinControl {
    QV_CLASS(TScrollBox, TWinControl)
public:
    explicit TScrollBox(TComponent* AOwner = nullptr);
    // bsSingle (a sunken frame, the default) or bsNone.
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle v);
    int Margin() const { return FMargin; }
    void SetMargin(int v);
    // The visible part of the content area.
    int ClientWidth() const override;
    int ClientHeight() const override;
    QWidget* ClientWidget() const override { return FContent; }
    // The size of the content area.
    int ContentWidth() const;
    int ContentHeight() const;
    // The content coordinates shown at the top left of the visible part.
    int HorzScrollPos() const;
    int VertScrollPos() const;
    void ScrollInView(TControl* AControl);

protected:
    QWidget* CreateWidget(QWidget* parentWidget) override;
    void InitWidget() override;
    void ReleaseWidget() override;
    bool WidgetEvent(QObject* watched, QEvent* event) override;

private:
    QScrollArea* Area() const;
    void UpdateContentSize();
    QPointer<QWidget> FContent;
    TFormBorderStyle FBorderStyle = bsSingle;
    int FMargin = 0;
};

// A container of non-visual components (the data module), known to the
// screen. AfterConstruction ends the creation (Loaded for components that
// were marked as loading, then OnCreate); a module used without it simply
// never fires OnCreate. Owned components go before the module's own members.
class TDataModule : public TComponent {
    QV_CLASS(TDataModule, TComponent)
public:
    explicit TDataModule(TComponent* AOwner = nullptr);
    ~TDataModule() override;
    virtual void AfterConstruction();
    void BeforeDestruction() override;
    TNotifyEvent OnCreate;
    TNotifyEvent OnDestroy;
private:
    bool FCreated = false;
    bool FDestroyDone = false;
};

// The screen: size, resolution, forms, data modules and the cursor.
class TScreen : public TComponent {
    QV_CLASS(TScreen, TComponent)
public:
    TScreen();
    int Width() const;          // the primary screen, in pixels
    int Height() const;
    int DesktopWidth() const;   // all screens together
    int DesktopHeight() const;
    int PixelsPerInch() const;
    // Replaces what Qt reports (tests; a scale chosen by the user); 0 keeps it.
    void SetMetricsOverride(int width, int height, int pixelsPerInch);
    void ClearMetricsOverride();

    int FormCount() const { return int(FForms.size()); }
    TForm* Forms(int i) const { return FForms.at(size_t(i)); }
    TForm* ActiveForm() const;
    int DataModuleCount() const { return int(FDataModules.size()); }
    TComponent* DataModules(int i) const { return FDataModules.at(size_t(i)); }

    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor v);

    // Called by forms and data modules as they come and go.
    void AddForm(TForm* f);
    void RemoveForm(TForm* f);
    void AddDataModule(TComponent* d);
    void RemoveDataModule(TComponent* d);

private:
    std::vector<TForm*> FForms;
    std::vector<TComponent*> FDataModules;
    TCursor FCursor = 0;
    int FWidthOverride = 0, FHeightOverride = 0, FPpiOverride = 0;
};

using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;

// The application: its window, main form, message loop, hints, error display
// and message boxes.
class TApplication : public TComponent, public winapi_detail::IWindowTarget {
    QV_CLASS(TApplication, TComponent)
public:
    TApplication();
    ~TApplication() override;

    // Makes the QApplication when there is none yet (with these arguments, or
    // a program name only).
    static void EnsureQtApplication(int* argc = nullptr, char** argv = nullptr);
    void Initialize(int& argc, char** argv);

    QString Title() const;
    void SetTitle(const QString& v) { FTitle = v; }
    // The program's icon (a compiled-in picture): every window without an
    // icon of its own shows it, MDI children included.
    void SetIcon(const QString& ResourceName);
    QString ExeName() const;
    TForm* MainForm() const { return FMainForm; }
    void SetMainForm(TForm* f);
    bool ShowMainForm() const { return FShowMainForm; }
    void SetShowMainForm(bool v) { FShowMainForm = v; }
    HWND Handle() const { return FHandle; }
    bool Active() const { return FActive; }
    bool Terminated() const { return FTerminated; }

    // Creates a form, ends its creation, and makes the first one the main form.
    template <class T>
    T* CreateForm(T*& Reference)
    {
        Reference = new T(this);
        try {
            Reference->AfterConstruction();
        } catch (...) {
            Reference->Free();
            Reference = nullptr;
            throw;
        }
        if constexpr (std::is_base_of_v<TForm, T>)
            if (!FMainForm) SetMainForm(Reference);
        return Reference;
    }

    // Shows the main form and runs the message loop until Terminate.
    void Run();
    void Terminate();
    void ProcessMessages();
    void HandleMessage();
    void Minimize();
    void Restore();
    void BringToFront();

    QString Hint() const { return FHint; }
    void SetHint(const QString& v);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool v) { FShowHint = v; }

    // The one message box of the system (through the dialog hook, Dialogs.h):
    // returns IDOK, IDYES, IDNO, ...
    int MessageBox(const QString& Text, const QString& Caption, int Flags = MB_OK);
    // The general error display, called from inside a catch block: OnException
    // when bound, else ShowException; the silent abort shows nothing.
    void HandleException(TObject* Sender);
    void ShowException(const Exception& E);

    TExceptionEvent OnException;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnHint;
    TNotifyEvent OnMinimize;
    TNotifyEvent OnRestore;

    // Window system side of the application window.
    void HandleMessage(TMessage& m) override;
    bool GetWindowPlacementOf(TWindowPlacement&) override { return false; }
    bool SetWindowPlacementOf(const TWindowPlacement&) override { return false; }
    bool WindowVisible() override { return true; }
    bool WindowMinimized() override { return FMinimized; }
    bool WindowMaximized() override { return false; }
    bool ShowWindowCmd(int cmd) override;
    void UpdateWindowNow() override {}

    virtual void WndProc(TMessage& Message);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void SetActive(bool v);
    QString FTitle;
    TForm* FMainForm = nullptr;
    bool FShowMainForm = true;
    HWND FHandle = NullHWND;
    bool FTerminated = false;
    bool FMinimized = false;
    bool FActive = false;
    QString FHint;
    bool FShowHint = true;
    QObject* FStateWatcher = nullptr;
};

// The application and the screen, made on first use (the application also
// makes the QApplication when the program has not made one).
struct TApplicationRef {
    TApplication* operator->() const { return Get(); }
    operator TApplication*() const { return Get(); }
    static TApplication* Get();
};
struct TScreenRef {
    TScreen* operator->() const { return Get(); }
    operator TScreen*() const { return Get(); }
    static TScreen* Get();
};
extern const TApplicationRef Application;
extern const TScreenRef Screen;

// Frees the application's forms and components (at the program's end).
void DoneApplication();

// Gives the activation back when a modal window ends. Without a window
// manager nobody passes the activation on when the active window closes: the
// window system's focus falls to no window of the program, yet the toolkit
// still reports the application active, so neither the loss of the focus to
// another program nor the next return to this one would reach the
// application's activation events. Made as the modal window opens, it
// remembers the window active then; Ended, called once the modal window is
// hidden, activates that window again when the closed one still held the
// activation (an activation the user gave to another program meanwhile is
// left where it is).
class TModalActivation {
public:
    TModalActivation();
    void Ended(QWidget* Modal);

private:
    QPointer<QWidget> FBefore;
};
