#pragma once
// Controls: the visual component classes on Qt Widgets.
//
// Each control wraps one QWidget. The control object holds its state (bounds,
// visibility, caption, font, colour, ...) and pushes it to the widget; the
// widget is made when the control's parent has its widget (windowed controls:
// when their handle is created) and may be destroyed and made again
// (RecreateWnd) without losing that state. What Qt reports back (the user
// resized or closed a window, activation, state changes) arrives as messages
// through the control's window procedure: WindowProc, a std::function that a
// component may swap (subclassing), whose default is the virtual WndProc.
//
// Coordinates are the framework's: Left/Top relative to the parent's client
// area, Width/Height the outer size. For a top-level form the outer size is
// the Qt window's size without the window manager's frame (the frame is not
// ours to measure before the window is mapped; leaving it out keeps a saved
// and restored size stable).
#include <QCursor>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/Sets.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Windows.h"

class TWinControl;
class TForm;
class QEvent;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
enum TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateFlag>;
enum TMouseButton { mbLeft, mbRight, mbMiddle };

using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6,
                  crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11, crDrag = -12,
                  crNoDrop = -13, crHSplit = -14, crVSplit = -15, crMultiDrag = -16, crSQLWait = -17, crNo = -18,
                  crAppStart = -19, crHelp = -20, crHandPoint = -21, crSizeAll = -22;

// The part of a hint before "|" (the tool tip) and after it (the status text);
// a hint without "|" serves for both.
QString GetShortHint(const QString& hint);
QString GetLongHint(const QString& hint);

// Minimum and maximum size of a control (0: no limit).
class TSizeConstraints : public TPersistent {
    QV_CLASS(TSizeConstraints, TPersistent)
public:
    int MinWidth() const { return FMinWidth; }
    int MinHeight() const { return FMinHeight; }
    int MaxWidth() const { return FMaxWidth; }
    int MaxHeight() const { return FMaxHeight; }
    void SetMinWidth(int v) { Set(FMinWidth, v); }
    void SetMinHeight(int v) { Set(FMinHeight, v); }
    void SetMaxWidth(int v) { Set(FMaxWidth, v); }
    void SetMaxHeight(int v) { Set(FMaxHeight, v); }
    void Assign(TPersistent* Source) override;
    TNotifyEvent OnChange;
private:
    void Set(int& f, int v);
    int FMinWidth = 0, FMinHeight = 0, FMaxWidth = 0, FMaxHeight = 0;
};

class TControl : public TComponent {
    QV_CLASS(TControl, TComponent)
public:
    explicit TControl(TComponent* AOwner = nullptr);
    ~TControl() override;

    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* AParent);

    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign v);
    TAnchors Anchors() const { return FAnchors; }
    void SetAnchors(TAnchors v);
    TSizeConstraints* Constraints() const { return FConstraints; }

    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
    void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    // The client area; a plain control's is its whole size.
    virtual int ClientWidth() const { return FWidth; }
    virtual int ClientHeight() const { return FHeight; }
    void SetClientWidth(int v) { SetWidth(FWidth + v - ClientWidth()); }
    void SetClientHeight(int v) { SetHeight(FHeight + v - ClientHeight()); }
    TRect ClientRect() const { return Rect(0, 0, ClientWidth(), ClientHeight()); }
    TPoint ClientToScreen(const TPoint& p) const;
    TPoint ScreenToClient(const TPoint& p) const;

    bool Visible() const { return FVisible; }
    virtual void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool v);

    // Caption and Text are the same text of the control.
    QString Caption() const { return FText; }
    void SetCaption(const QString& v) { SetText(v); }
    QString Text() const { return FText; }
    void SetText(const QString& v);

    QString Hint() const { return FHint; }
    void SetHint(const QString& v);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool v);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool v);

    TFont* Font() const { return FFont; }
    void SetFont(TFont* v) { FFont->Assign(v); }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool v);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool v);
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor v);

    // Sends the message through the window procedure and gives its result.
    LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
    // The window procedure: swap it to watch or answer the control's messages;
    // call the previous one to pass a message on. Default: WndProc.
    TWndMethod WindowProc;
    virtual void WndProc(TMessage& Message);
    // What is left of a message that WndProc did not handle.
    virtual void DefaultHandler(TMessage& Message);

    // The widget; none until made. OuterWidget carries the bounds (for an MDI
    // child the frame around the form).
    QWidget* Widget() const { return FWidget; }
    virtual QWidget* OuterWidget() const { return FWidget; }
    // The widget whose top left is the client origin (ScreenToClient,
    // ClientToScreen): inside a frame the control draws around its area.
    virtual QWidget* ClientOriginWidget() const { return FWidget; }

    // Asks for a repaint of everything the control shows (done by the event
    // loop); a control that draws into an inner widget invalidates that too.
    void Invalidate();
    void Update();
    void Repaint();
    void Refresh() { Repaint(); }
    void BringToFront();
    void SendToBack();

    virtual void Click();
    virtual void DblClick();

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TNotifyEvent OnResize;

protected:
    // Makes the widget (a plain QWidget unless overridden) under the parent
    // widget; state is pushed afterwards by InitWidget.
    virtual QWidget* CreateWidget(QWidget* parentWidget);
    virtual void InitWidget();
    // Makes the widget when the parent has its own; destroys it.
    void MakeWidget();
    virtual void ReleaseWidget();
    // Qt events of the widgets the control watches; true consumes the event.
    virtual bool WidgetEvent(QObject* watched, QEvent* event);
    void WatchWidget(QObject* w);

    virtual void Resize();
    virtual void FontChanged();
    virtual void ColorChanged();
    virtual void TextChanged();
    // True while InitWidget hands the text to a new widget: that is no change
    // of the text, so edits do not announce it (OnChange) then.
    bool InitializingWidget() const { return FInitializingWidget; }
    virtual void VisibleChanged();
    virtual void EnabledChanged();
    virtual void ApplyBoundsToWidget();
    // Bounds reported by Qt (the user moved or resized the window).
    void BoundsChangedByWidget(int l, int t, int w, int h);
    void UpdateAnchorRules();
    bool IsAligning() const;
    void RequestParentRealign();
    // The part of the tool tip this control shows (empty when hints are off).
    QString EffectiveToolTip() const;
    bool EffectiveShowHint() const;

    // Takes a widget made by the control itself (forms make their windows).
    void AdoptWidget(QWidget* w);
    // False for windows, which appear through their own show path.
    virtual bool ShowsWithParent() const { return true; }
    // The object Qt's queued calls of this control are bound to; it goes with
    // the control.
    QObject* Bridge() const { return FBridge; }

    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    bool FVisible = true;
    bool FApplyingBounds = false;
    QPointer<QWidget> FWidget;

private:
    friend class TWinControl;
    friend class TControlEventBridge;
    void ParentFontChanged();
    void ParentColorChanged();
    void FontObjectChanged();
    void ApplyFontToWidget();
    void ApplyColorToWidget();

    TWinControl* FParent = nullptr;
    TAlign FAlign = alNone;
    TAnchors FAnchors{akLeft, akTop};
    int FAnchorRight = 0, FAnchorBottom = 0;   // distances to the parent's right and bottom edges
    TSizeConstraints* FConstraints;
    bool FEnabled = true;
    QString FText;
    QString FHint;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TFont* FFont;
    bool FParentFont = true;
    bool FSettingParentFont = false;
    bool FInitializingWidget = false;
    TColor FColor = clBtnFace;
    bool FParentColor = true;
    TCursor FCursor = crDefault;
    QObject* FBridge = nullptr;
};

// A control that has a window: a handle, child controls, focus and tab order.
class TWinControl : public TControl, public winapi_detail::IWindowTarget {
    QV_CLASS(TWinControl, TControl)
public:
    explicit TWinControl(TComponent* AOwner = nullptr);
    ~TWinControl() override;

    // The window handle, made (with the widget) when needed; raises
    // EInvalidOperation for a control without a parent window.
    HWND Handle();
    bool HandleAllocated() const { return FHandle != NullHWND; }
    void HandleNeeded();
    // Destroys the window (WM_DESTROY goes through the window procedure) and
    // makes it again with the same state.
    void RecreateWnd();
    // Visible and all its parents visible, with a window shown on the screen.
    bool Showing() const;

    int ControlCount() const { return int(FControls.size()); }
    TControl* Controls(int i) const { return FControls.at(size_t(i)); }
    bool ContainsControl(const TControl* c) const;

    int TabOrder() const;
    void SetTabOrder(int v);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool v);
    virtual bool CanFocus() const;
    // Whether a click gives the control the focus (Tab does while TabStop is
    // on). Bars and forms never take it from the control the user is in, nor
    // does a cancel button (TButton).
    virtual bool TakesClickFocus() const { return true; }
    // The dialog keys, Enter and Esc: one that the focused control does not
    // claim goes on to its form once the control has seen it, and the form's
    // default button (Enter) or cancel button (Esc) takes it (CM_DIALOGKEY,
    // sent down to every control of the form). A control that acts on the
    // key itself claims it: a memo breaking a line, an open drop-down or
    // calendar, a grid's open in-place editor, a focused button.
    // The page keys (PageKeyDirection) are dialog keys too, but reach the form
    // before the control sees them: only a control whose own pop-up is open
    // (a calendar, a list) claims them.
    virtual bool WantsDialogKey(WORD Key, TShiftState Shift) const { return false; }
    Qt::FocusPolicy FocusPolicy() const;
    bool Focused() const;
    virtual void SetFocus();

    // Lays out the aligned and anchored children again.
    void Realign();
    void DisableAlign() { ++FAlignDisabled; }
    void EnableAlign();

    // The widget under which the children's widgets live.
    virtual QWidget* ClientWidget() const { return FWidget; }

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;

    void WndProc(TMessage& Message) override;

    // The window-system side of the handle.
    void HandleMessage(TMessage& m) override;
    bool GetWindowPlacementOf(TWindowPlacement& wp) override;
    bool SetWindowPlacementOf(const TWindowPlacement& wp) override;
    bool WindowVisible() override;
    bool WindowMinimized() override { return false; }
    bool WindowMaximized() override { return false; }
    bool ShowWindowCmd(int cmd) override;
    void UpdateWindowNow() override;

protected:
    virtual void CreateHandle();
    virtual void DestroyHandle();
    // Makes the widget of the window (under the parent's client widget).
    virtual void CreateWindowWidget();
    void ReleaseWidget() override;
    bool WidgetEvent(QObject* watched, QEvent* event) override;
    // Lays out the children inside the rectangle; what is left is passed to
    // AlignRemainder (the MDI frame puts its client area there).
    virtual void AlignControls(TRect& r);
    virtual void AlignRemainder(const TRect& r) {}
    virtual void DoEnter();
    virtual void DoExit();
    void FocusMoved(bool in, Qt::FocusReason reason);

    // The tab order: the children's windowed controls that take part.
    std::vector<TWinControl*> TabList() const;

private:
    friend class TControl;
    void InsertControl(TControl* c);
    void RemoveControl(TControl* c);
    void ApplyTabOrder();

    HWND FHandle = NullHWND;
    std::vector<TControl*> FControls;
    bool FTabStop = false;
    int FAlignDisabled = 0;
    bool FAligning = false;
    bool FRecreating = false;
};

QCursor CursorToQCursor(TCursor c);

// The keys that turn the pages of the page control the focus is in, from
// whatever control inside it has the focus: Ctrl+Tab and Ctrl+PageDown to the
// next page, Ctrl+Shift+Tab and Ctrl+PageUp to the previous one. Returns +1,
// -1, or 0 for any other key.
int PageKeyDirection(WORD Key, TShiftState Shift);

// The form a control stands on (the outermost parent), or none.
TForm* GetParentForm(const TControl* c);
// The control whose window (or a child widget of it) is the widget.
TControl* FindControl(const QWidget* w);
// A press on a control that takes no focus by a click (a panel, a tab sheet,
// a navigator) leaves the focus where it is, as long as something in the
// same form has it: the toolkit would hand it to the first parent that
// takes it (a page control around the sheet). Returns the control's widget,
// which then stands in for the focused widget while the press is delivered,
// or null when the press goes the toolkit's way.
QWidget* PressKeepsFocusAt(QWidget* pressed);
// The widget that draws the contents: a scroll area's viewport, else the
// widget itself.
QWidget* PaintedWidget(QWidget* w);
