#include "platform/ui/PaintCtrls.h"
#include "platform/ui/EventBridge.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QWidget>
#include <map>

TShortCut ShortCut(WORD Key, TShiftState Shift)
{
    if (Key & 0xFF00) return scNone;
    TShortCut r = TShortCut(Key);
    if (Shift.Contains(ssShift)) r |= scShift;
    if (Shift.Contains(ssCtrl)) r |= scCtrl;
    if (Shift.Contains(ssAlt)) r |= scAlt;
    return r;
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers m, Qt::MouseButtons b)
{
    TShiftState s;
    if (m & Qt::ShiftModifier) s.Include(ssShift);
    if (m & Qt::ControlModifier) s.Include(ssCtrl);
    if (m & Qt::AltModifier) s.Include(ssAlt);
    if (b & Qt::LeftButton) s.Include(ssLeft);
    if (b & Qt::RightButton) s.Include(ssRight);
    if (b & Qt::MiddleButton) s.Include(ssMiddle);
    return s;
}

WORD VirtualKeyOf(const QKeyEvent* e)
{
    const int k = e->key();
    const bool pad = e->modifiers() & Qt::KeypadModifier;
    if (pad) {
        if (k == Qt::Key_Plus) return VK_ADD;
        if (k == Qt::Key_Minus) return VK_SUBTRACT;
        if (k == Qt::Key_Asterisk) return VK_MULTIPLY;
        if (k == Qt::Key_Slash) return VK_DIVIDE;
        if (k >= Qt::Key_0 && k <= Qt::Key_9) return WORD(VK_NUMPAD0 + (k - Qt::Key_0));
    }
    if (k >= Qt::Key_A && k <= Qt::Key_Z) return WORD('A' + (k - Qt::Key_A));
    if (k >= Qt::Key_0 && k <= Qt::Key_9) return WORD('0' + (k - Qt::Key_0));
    if (k >= Qt::Key_F1 && k <= Qt::Key_F12) return WORD(VK_F1 + (k - Qt::Key_F1));
    switch (k) {
    case Qt::Key_Backspace: return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    default: return 0;
    }
}

QChar KeyCharOf(const QKeyEvent* e)
{
    const int k = e->key();
    if (k == Qt::Key_Backspace) return QLatin1Char('\b');
    if (k == Qt::Key_Return || k == Qt::Key_Enter) return QLatin1Char('\r');
    if (k == Qt::Key_Escape) return QChar(27);
    if (k == Qt::Key_Tab) return QChar();
    const QString t = e->text();
    if (t.isEmpty() || !t[0].isPrint()) return QChar();
    return t[0];
}

namespace {
std::map<TCursor, QCursor>& CursorTable()
{
    static std::map<TCursor, QCursor> t;
    return t;
}
}  // namespace

void SetScreenCursor(TCursor id, const QCursor& cursor) { CursorTable()[id] = cursor; }

bool FindScreenCursor(TCursor id, QCursor& out)
{
    auto it = CursorTable().find(id);
    if (it == CursorTable().end()) return false;
    out = it->second;
    return true;
}

bool LoadScreenCursor(TCursor id, const QString& picture, int hotX, int hotY)
{
    QPixmap pm(picture);
    if (pm.isNull()) return false;
    SetScreenCursor(id, QCursor(pm, hotX, hotY));
    return true;
}

void Frame3D(TCanvas* canvas, TRect& r, TColor topColor, TColor bottomColor, int width)
{
    canvas->Pen()->SetWidth(1);
    r.Bottom -= 1;
    r.Right -= 1;
    for (int i = 0; i < width; ++i) {
        canvas->Pen()->SetColor(topColor);
        canvas->Polyline({Point(r.Left, r.Bottom), Point(r.Left, r.Top), Point(r.Right, r.Top)});
        canvas->Pen()->SetColor(bottomColor);
        canvas->Polyline({Point(r.Right, r.Top), Point(r.Right, r.Bottom), Point(r.Left - 1, r.Bottom)});
        r.Left += 1;
        r.Top += 1;
        r.Right -= 1;
        r.Bottom -= 1;
    }
    r.Bottom += 1;
    r.Right += 1;
}

// ------------------------------------------------------------ paint widget

class TPaintWidget : public QWidget {
public:
    TPaintWidget(QWidget* parent, TGraphicControl* g, TCustomControl* c) : QWidget(parent), FG(g), FC(c)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMouseTracking(true);
    }
protected:
    void paintEvent(QPaintEvent*) override
    {
        CallPaintHandler(FFailed, [this] {
            if (FG) FG->PaintNow(this);
            if (FC) FC->PaintNow(this);
        });
    }
private:
    TGraphicControl* FG;
    TCustomControl* FC;
    bool FFailed = false;
};

namespace {

TMouseButton ButtonOf(Qt::MouseButton b)
{
    if (b == Qt::RightButton) return mbRight;
    if (b == Qt::MiddleButton) return mbMiddle;
    return mbLeft;
}

void PrepareBuffer(TPaintSupport& s, QImage& buf, TImageCanvas& canvas, int w, int h, TFont* font)
{
    w = std::max(w, 1);
    h = std::max(h, 1);
    if (buf.width() != w || buf.height() != h) buf = QImage(w, h, QImage::Format_RGB32);
    buf.fill(Qt::white);
    canvas.SetImage(&buf);
    canvas.SetOrigin(Point(0, 0));
    canvas.ClearClip();
    canvas.SetFont(font);
    canvas.Brush()->SetColor(clBtnFace);
    Q_UNUSED(s);
}

// Shared mouse routing of the two bases.
template <class C>
bool RouteMouse(C* c, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        auto* me = static_cast<QMouseEvent*>(event);
        TShiftState s = ShiftStateOf(me->modifiers(), me->buttons() | me->button());
        if (event->type() == QEvent::MouseButtonDblClick) s.Include(ssDouble);
        c->DoMouseDown(ButtonOf(me->button()), s, int(me->position().x()), int(me->position().y()));
        if (event->type() == QEvent::MouseButtonDblClick && c->ControlStyle().Contains(csDoubleClicks)) c->DblClick();
        return true;
    }
    case QEvent::MouseMove: {
        auto* me = static_cast<QMouseEvent*>(event);
        c->DoMouseMove(ShiftStateOf(me->modifiers(), me->buttons()), int(me->position().x()),
                       int(me->position().y()));
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* me = static_cast<QMouseEvent*>(event);
        c->DoMouseUp(ButtonOf(me->button()), ShiftStateOf(me->modifiers(), me->buttons()),
                     int(me->position().x()), int(me->position().y()));
        return true;
    }
    default: return false;
    }
}

}  // namespace

// ---------------------------------------------------------- TGraphicControl

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) {}

QWidget* TGraphicControl::CreateWidget(QWidget* parentWidget) { return new TPaintWidget(parentWidget, this, nullptr); }

QImage TGraphicControl::PaintTo()
{
    PrepareBuffer(*this, FBuffer, FCanvas, Width(), Height(), Font());
    Paint();
    return FBuffer;
}

void TGraphicControl::PaintNow(QWidget* w)
{
    PaintTo();
    QPainter p(w);
    p.drawImage(0, 0, FBuffer);
}

bool TGraphicControl::WidgetEvent(QObject* watched, QEvent* event)
{
    if (watched == FWidget && RouteMouse(this, event)) return true;
    return TControl::WidgetEvent(watched, event);
}

void TGraphicControl::DoMouseDown(TMouseButton b, TShiftState s, int x, int y)
{
    if (!Enabled()) return;
    if (b == mbLeft) {
        FCapture = FControlStyle.Contains(csCaptureMouse);
        FPressedInside = true;
    }
    MouseDown(b, s, x, y);
}

void TGraphicControl::DoMouseMove(TShiftState s, int x, int y)
{
    if (!Enabled()) return;
    MouseMove(s, x, y);
}

void TGraphicControl::DoMouseUp(TMouseButton b, TShiftState s, int x, int y)
{
    if (!Enabled()) return;
    const bool wasCaptured = FCapture;
    if (b == mbLeft) FCapture = false;
    MouseUp(b, s, x, y);
    Q_UNUSED(wasCaptured);
}

void TGraphicControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TGraphicControl::MouseMove(TShiftState Shift, int X, int Y)
{
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TGraphicControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

// ----------------------------------------------------------- TCustomControl

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {}

void TCustomControl::SetTakesFocus(bool v)
{
    FTakesFocus = v;
    if (FWidget && !v) FWidget->setFocusPolicy(Qt::NoFocus);
}

void TCustomControl::CreateHandle()
{
    TWinControl::CreateHandle();
    if (FWidget && !FTakesFocus) FWidget->setFocusPolicy(Qt::NoFocus);
}

QWidget* TCustomControl::CreateWidget(QWidget* parentWidget)
{
    QWidget* w = new TPaintWidget(parentWidget, nullptr, this);
    if (FPopupWindow) {
        // A tool-tip kind of window is never activated, so the edit under
        // it keeps the focus.
        w->setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
        w->setAttribute(Qt::WA_ShowWithoutActivating);
        w->setFocusPolicy(Qt::NoFocus);
    }
    return w;
}

void TCustomControl::ApplyBoundsToWidget()
{
    if (FPopupWindow) {
        if (FWidget) FWidget->setGeometry(FLeft, FTop, FWidth, FHeight);
        return;
    }
    TWinControl::ApplyBoundsToWidget();
}

void TCustomControl::ShowPopupAt(TPoint p)
{
    SetBounds(p.X, p.Y, Width(), Height());
    HandleNeeded();
    SetVisible(true);
    if (FWidget) {
        FWidget->setGeometry(p.X, p.Y, Width(), Height());
        FWidget->show();
        FWidget->raise();
    }
}

void TCustomControl::HidePopupWindow()
{
    SetVisible(false);
    if (FWidget) FWidget->hide();
}

bool TCustomControl::PopupWindowShowing() const { return Visible() && FWidget && FWidget->isVisible(); }

QImage TCustomControl::PaintTo()
{
    PrepareBuffer(*this, FBuffer, FCanvas, Width(), Height(), Font());
    Paint();
    return FBuffer;
}

void TCustomControl::PaintNow(QWidget* w)
{
    PaintTo();
    QPainter p(w);
    p.drawImage(0, 0, FBuffer);
}

bool TCustomControl::WidgetEvent(QObject* watched, QEvent* event)
{
    if (watched == FWidget) {
        if (RouteMouse(this, event)) return true;
        if (event->type() == QEvent::KeyPress) {
            auto* ke = static_cast<QKeyEvent*>(event);
            if (DoKey(VirtualKeyOf(ke), ShiftStateOf(ke->modifiers()), KeyCharOf(ke))) return true;
        }
    }
    return TWinControl::WidgetEvent(watched, event);
}

bool TCustomControl::DoKey(WORD key, TShiftState shift, QChar ch)
{
    if (key) {
        KeyDown(key, shift);
        if (key == 0) return true;
    }
    if (!ch.isNull()) {
        KeyPress(ch);
        if (ch.isNull()) return true;
    }
    return false;
}

void TCustomControl::DoMouseDown(TMouseButton b, TShiftState s, int x, int y)
{
    if (!Enabled() && !FControlStyle.Contains(csReplicatable)) return;
    if (b == mbLeft) FCapture = FControlStyle.Contains(csCaptureMouse);
    MouseDown(b, s, x, y);
}

void TCustomControl::DoMouseMove(TShiftState s, int x, int y) { MouseMove(s, x, y); }

void TCustomControl::DoMouseUp(TMouseButton b, TShiftState s, int x, int y)
{
    if (b == mbLeft) FCapture = false;
    MouseUp(b, s, x, y);
}

void TCustomControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TCustomControl::MouseMove(TShiftState Shift, int X, int Y)
{
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TCustomControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TCustomControl::KeyDown(WORD& Key, TShiftState Shift)
{
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TCustomControl::KeyPress(QChar& Key)
{
    if (OnKeyPress) OnKeyPress(this, Key);
}
