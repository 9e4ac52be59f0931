#pragma once
// Controls that paint themselves on a canvas and see the mouse and the
// keyboard as the framework gives them: TGraphicControl (a control without
// the focus, e.g. a speed button) and TCustomControl (a windowed control that
// may take the focus, e.g. a calendar grid).
//
// Painting: when Qt paints the widget, the control's Canvas (an off-screen
// image of the control's size) is handed to Paint(); the image is then put on
// the screen. Tests call PaintTo() to get the picture without a screen.
//
// Mouse: MouseDown/MouseMove/MouseUp with the framework's button, shift state
// and client coordinates; the control holds the mouse capture from a press to
// its release (MouseCapture()). A double click arrives as MouseDown with
// ssDouble, then DblClick. Click() follows a left press and release inside
// unless the control says otherwise (ClicksOnRelease()).
//
// Keys (TCustomControl and the edits built on TQvKeyFilter): KeyDown with the
// virtual-key code and shift state (a handler that sets Key to 0 consumes the
// key), then KeyPress with the character (0 drops it).
#include <QImage>
#include <QPointer>
#include <functional>

#include "platform/ui/Canvas.h"
#include "platform/ui/Controls.h"

class QKeyEvent;
class QMouseEvent;

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyCharEvent = std::function<void(TObject* Sender, QChar& Key)>;

// Menu shortcuts: the virtual key in the low byte, scShift 0x2000, scCtrl
// 0x4000, scAlt 0x8000.
using TShortCut = quint16;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;
TShortCut ShortCut(WORD Key, TShiftState Shift);

// The framework's view of a Qt key event: virtual-key code (0 when it has
// none), shift state, and the character it types (null when none).
WORD VirtualKeyOf(const QKeyEvent* e);
TShiftState ShiftStateOf(Qt::KeyboardModifiers m, Qt::MouseButtons b = Qt::NoButton);
QChar KeyCharOf(const QKeyEvent* e);

// Control styles used by the painting controls.
enum TControlStyleFlag {
    csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed, csSetCaption, csOpaque,
    csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible, csReplicatable, csNoStdEvents,
    csDisplayDragImage, csReflector, csActionClient, csMenuEvents
};
using TControlStyle = TSet<TControlStyleFlag>;

// What the painting controls share (mixed into both bases).
class TPaintSupport {
public:
    virtual ~TPaintSupport() = default;
    TCanvas* Canvas() { return &FCanvas; }
    TControlStyle ControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle s) { FControlStyle = s; }
    bool MouseCapture() const { return FCapture; }
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;

protected:
    TImageCanvas FCanvas;
    QImage FBuffer;
    TControlStyle FControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks};
    bool FCapture = false;
    bool FPressedInside = false;
};

class TGraphicControl : public TControl, public TPaintSupport {
    QV_CLASS(TGraphicControl, TControl)
public:
    explicit TGraphicControl(TComponent* AOwner = nullptr);
    // Paints the control into an image of its size (at the control's own
    // state), without a screen.
    QImage PaintTo();
    // Feeds a mouse event as Qt would deliver it (tests; the widget uses it too).
    void DoMouseDown(TMouseButton b, TShiftState s, int x, int y);
    void DoMouseMove(TShiftState s, int x, int y);
    void DoMouseUp(TMouseButton b, TShiftState s, int x, int y);

protected:
    virtual void Paint() {}
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    QWidget* CreateWidget(QWidget* parentWidget) override;
    bool WidgetEvent(QObject* watched, QEvent* event) override;
    void PaintNow(QWidget* w);
    friend class TPaintWidget;
};

class TCustomControl : public TWinControl, public TPaintSupport {
    QV_CLASS(TCustomControl, TWinControl)
public:
    explicit TCustomControl(TComponent* AOwner = nullptr);
    QImage PaintTo();
    void DoMouseDown(TMouseButton b, TShiftState s, int x, int y);
    void DoMouseMove(TShiftState s, int x, int y);
    void DoMouseUp(TMouseButton b, TShiftState s, int x, int y);
    // Runs a key through KeyDown and, when not consumed, KeyPress; true when
    // the key was consumed.
    bool DoKey(WORD key, TShiftState shift, QChar ch);

    TKeyEvent OnKeyDown;
    TKeyCharEvent OnKeyPress;

    // False: neither clicks nor Tab give the control the focus (panels, the
    // calendar inside a pop-up that must leave the focus in its edit).
    bool TakesFocus() const { return FTakesFocus; }
    void SetTakesFocus(bool v);

    // A pop-up window: a borderless window of its own over its parent that
    // never takes the activation or the focus (drop-downs of edits). Its
    // bounds are screen coordinates. Set before the window is made.
    bool IsPopupWindow() const { return FPopupWindow; }
    void SetPopupWindow(bool v) { FPopupWindow = v; }
    void ShowPopupAt(TPoint screenPos);
    void HidePopupWindow();
    bool PopupWindowShowing() const;

protected:
    void CreateHandle() override;
    void ApplyBoundsToWidget() override;
    bool FTakesFocus = true;
    bool FPopupWindow = false;
    virtual void Paint() {}
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void KeyDown(WORD& Key, TShiftState Shift);
    virtual void KeyPress(QChar& Key);
    QWidget* CreateWidget(QWidget* parentWidget) override;
    bool WidgetEvent(QObject* watched, QEvent* event) override;
    void PaintNow(QWidget* w);
    friend class TPaintWidget;
};

// The screen's table of extra cursors: ids above the built-in ones (the
// component library registers 14000 and 14001). Controls whose Cursor names
// a registered id show that cursor.
void SetScreenCursor(TCursor id, const QCursor& cursor);
bool FindScreenCursor(TCursor id, QCursor& out);
// Registers the picture (a resource or file name) with its hot spot; false when
// the picture can not be read.
bool LoadScreenCursor(TCursor id, const QString& picture, int hotX, int hotY);

// The rectangle's edges in two colours (top-left, bottom-right), the
// rectangle shrunk by the width.
void Frame3D(TCanvas* canvas, TRect& r, TColor topColor, TColor bottomColor, int width);
