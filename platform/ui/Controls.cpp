#include "platform/ui/Controls.h"
#include "platform/ui/EventBridge.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QMoveEvent>
#include <QPalette>
#include <QResizeEvent>
#include <QScopedValueRollback>
#include <algorithm>

#include "platform/core/TypInfo.h"
#include "platform/ui/Forms.h"

static const char* const ControlProperty = "qvControl";

QString GetShortHint(const QString& hint)
{
    int i = hint.indexOf(QLatin1Char('|'));
    return i < 0 ? hint : hint.left(i);
}

QString GetLongHint(const QString& hint)
{
    int i = hint.indexOf(QLatin1Char('|'));
    return i < 0 ? hint : hint.mid(i + 1);
}

// ------------------------------------------------------- TSizeConstraints

void TSizeConstraints::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TSizeConstraints*>(Source)) {
        FMinWidth = s->FMinWidth;
        FMinHeight = s->FMinHeight;
        FMaxWidth = s->FMaxWidth;
        FMaxHeight = s->FMaxHeight;
        if (OnChange) OnChange(this);
        return;
    }
    TPersistent::Assign(Source);
}

void TSizeConstraints::Set(int& f, int v)
{
    if (v < 0) v = 0;
    if (f == v) return;
    f = v;
    if (OnChange) OnChange(this);
}

// ----------------------------------------------------- the event bridge

class TControlEventBridge : public QObject {
public:
    explicit TControlEventBridge(TControl* c) : control(c) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        // A handler that raised has had the event: nothing else gets it.
        bool done = true;
        CallHandler(control, [&] { done = control->WidgetEvent(watched, event); });
        return done;
    }
    TControl* control;
};

// ---------------------------------------------------------------- TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner)
{
    TApplication::EnsureQtApplication();
    WindowProc = [this](TMessage& m) { WndProc(m); };
    FConstraints = new TSizeConstraints;
    // SetBounds keeps the size within the new limits.
    FConstraints->OnChange = [this](TObject*) { SetBounds(FLeft, FTop, FWidth, FHeight); };
    FFont = new TFont;
    FFont->OnChange = [this](TObject*) { FontObjectChanged(); };
    FBridge = new TControlEventBridge(this);
}

TControl::~TControl()
{
    Destroying();
    if (FParent) FParent->RemoveControl(this);
    FParent = nullptr;
    if (FWidget) delete FWidget.data();
    delete FBridge;
    delete FFont;
    delete FConstraints;
}

void TControl::SetParent(TWinControl* AParent)
{
    if (AParent == FParent) return;
    if (AParent == this) throw EInvalidOperation(QStringLiteral("A control cannot have itself as its parent"));
    if (FParent) {
        ReleaseWidget();
        TWinControl* old = FParent;
        old->RemoveControl(this);
        if (FAlign != alNone && !old->IsDestroying()) old->Realign();
    }
    FParent = AParent;
    if (!AParent) return;
    AParent->InsertControl(this);
    if (FParentFont) ParentFontChanged();
    if (FParentColor) ParentColorChanged();
    if (AParent->ClientWidget()) {
        if (auto* w = dynamic_cast<TWinControl*>(this))
            w->CreateHandle();
        else
            MakeWidget();
    }
    UpdateAnchorRules();
    RequestParentRealign();
}

void TControl::SetAlign(TAlign v)
{
    if (v == FAlign) return;
    FAlign = v;
    if (v == alLeft || v == alRight)
        FAnchors = TAnchors{akLeft, akTop, akBottom};
    else if (v == alTop || v == alBottom)
        FAnchors = TAnchors{akLeft, akTop, akRight};
    else if (v == alClient)
        FAnchors = TAnchors{akLeft, akTop, akRight, akBottom};
    RequestParentRealign();
}

void TControl::SetAnchors(TAnchors v)
{
    FAnchors = v;
    UpdateAnchorRules();
}

void TControl::UpdateAnchorRules()
{
    if (!FParent) return;
    FAnchorRight = FParent->ClientWidth() - (FLeft + FWidth);
    FAnchorBottom = FParent->ClientHeight() - (FTop + FHeight);
}

bool TControl::IsAligning() const { return FParent && FParent->FAligning; }

void TControl::RequestParentRealign()
{
    if (FParent && !FParent->FAligning && (FAlign != alNone || !(FAnchors == TAnchors{akLeft, akTop})))
        FParent->Realign();
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    AWidth = std::max(AWidth, 0);
    AHeight = std::max(AHeight, 0);
    if (FConstraints->MinWidth() > 0) AWidth = std::max(AWidth, FConstraints->MinWidth());
    if (FConstraints->MaxWidth() > 0) AWidth = std::min(AWidth, FConstraints->MaxWidth());
    if (FConstraints->MinHeight() > 0) AHeight = std::max(AHeight, FConstraints->MinHeight());
    if (FConstraints->MaxHeight() > 0) AHeight = std::min(AHeight, FConstraints->MaxHeight());
    bool sized = AWidth != FWidth || AHeight != FHeight;
    bool moved = ALeft != FLeft || ATop != FTop;
    if (!sized && !moved) return;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    ApplyBoundsToWidget();
    if (!IsAligning()) UpdateAnchorRules();
    if (sized) Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(WORD(ClientWidth()), WORD(ClientHeight())));
    if (moved) Perform(WM_MOVE, 0, MAKELPARAM(WORD(FLeft), WORD(FTop)));
    if (!IsAligning() && FAlign != alNone) RequestParentRealign();
}

void TControl::ApplyBoundsToWidget()
{
    QWidget* w = OuterWidget();
    if (!w) return;
    FApplyingBounds = true;
    w->setGeometry(FLeft, FTop, FWidth, FHeight);
    FApplyingBounds = false;
    // Qt may have kept the size within the widget's own limits.
    FWidth = w->width();
    FHeight = w->height();
}

void TControl::BoundsChangedByWidget(int l, int t, int w, int h)
{
    if (FApplyingBounds) return;
    bool sized = w != FWidth || h != FHeight;
    bool moved = l != FLeft || t != FTop;
    if (!sized && !moved) return;
    FLeft = l;
    FTop = t;
    FWidth = w;
    FHeight = h;
    if (sized) Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(WORD(ClientWidth()), WORD(ClientHeight())));
    if (moved) Perform(WM_MOVE, 0, MAKELPARAM(WORD(FLeft), WORD(FTop)));
}

TPoint TControl::ClientToScreen(const TPoint& p) const
{
    QWidget* w = ClientOriginWidget();
    if (!w) return p;
    QPoint q = w->mapToGlobal(QPoint(p.X, p.Y));
    return Point(q.x(), q.y());
}

TPoint TControl::ScreenToClient(const TPoint& p) const
{
    QWidget* w = ClientOriginWidget();
    if (!w) return p;
    QPoint q = w->mapFromGlobal(QPoint(p.X, p.Y));
    return Point(q.x(), q.y());
}

void TControl::SetVisible(bool v)
{
    if (v == FVisible) return;
    FVisible = v;
    if (QWidget* w = OuterWidget()) w->setVisible(v);
    VisibleChanged();
    Perform(CM_VISIBLECHANGED, v ? 1 : 0);
    if (FParent && FAlign != alNone) FParent->Realign();
}

void TControl::SetEnabled(bool v)
{
    if (v == FEnabled) return;
    FEnabled = v;
    if (FWidget) FWidget->setEnabled(v);
    EnabledChanged();
    Perform(CM_ENABLEDCHANGED);
}

void TControl::SetText(const QString& v)
{
    if (v == FText) return;
    FText = v;
    TextChanged();
    Perform(CM_TEXTCHANGED);
}

void TControl::SetHint(const QString& v)
{
    FHint = v;
    if (FWidget) FWidget->setToolTip(EffectiveToolTip());
}

void TControl::SetShowHint(bool v)
{
    FShowHint = v;
    FParentShowHint = false;
    if (FWidget) FWidget->setToolTip(EffectiveToolTip());
    if (auto* wc = dynamic_cast<TWinControl*>(this))
        for (TControl* c : wc->FControls)
            if (c->FParentShowHint && c->FWidget) c->FWidget->setToolTip(c->EffectiveToolTip());
}

void TControl::SetParentShowHint(bool v)
{
    FParentShowHint = v;
    if (FWidget) FWidget->setToolTip(EffectiveToolTip());
}

bool TControl::EffectiveShowHint() const
{
    if (FParentShowHint && FParent) return FParent->EffectiveShowHint();
    return FShowHint;
}

QString TControl::EffectiveToolTip() const
{
    return EffectiveShowHint() && Application->ShowHint() ? GetShortHint(FHint) : QString();
}

void TControl::SetParentFont(bool v)
{
    if (v == FParentFont) return;
    FParentFont = v;
    if (v) ParentFontChanged();
}

void TControl::ParentFontChanged()
{
    if (!FParentFont || !FParent) return;
    FSettingParentFont = true;
    try {
        FFont->Assign(FParent->Font());
    } catch (...) {
        FSettingParentFont = false;
        throw;
    }
    FSettingParentFont = false;
}

void TControl::FontObjectChanged()
{
    if (!FSettingParentFont) FParentFont = false;
    ApplyFontToWidget();
    FontChanged();
    Perform(CM_FONTCHANGED);
    if (auto* wc = dynamic_cast<TWinControl*>(this))
        for (TControl* c : wc->FControls) c->ParentFontChanged();
}

void TControl::ApplyFontToWidget()
{
    if (!FWidget) return;
    FWidget->setFont(FFont->ToQFont());
    // The font's colour is the colour of the control's text (a disabled
    // control keeps the greyed text of the style).
    const QColor c = ColorToQColor(FFont->Color());
    if (!c.isValid()) return;
    QPalette p = FWidget->palette();
    for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive})
        for (QPalette::ColorRole r : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText}) p.setColor(g, r, c);
    FWidget->setPalette(p);
}

void TControl::SetColor(TColor v)
{
    FParentColor = false;
    if (v == FColor) return;
    FColor = v;
    ApplyColorToWidget();
    ColorChanged();
    Perform(CM_COLORCHANGED);
    if (auto* wc = dynamic_cast<TWinControl*>(this))
        for (TControl* c : wc->FControls) c->ParentColorChanged();
}

void TControl::SetParentColor(bool v)
{
    if (v == FParentColor) return;
    FParentColor = v;
    if (v) ParentColorChanged();
}

void TControl::ParentColorChanged()
{
    if (!FParentColor || !FParent) return;
    if (FColor == FParent->Color()) return;
    FColor = FParent->Color();
    ApplyColorToWidget();
    ColorChanged();
    if (auto* wc = dynamic_cast<TWinControl*>(this))
        for (TControl* c : wc->FControls) c->ParentColorChanged();
}

void TControl::ApplyColorToWidget()
{
    if (!FWidget || FParentColor) return;
    QColor c = ColorToQColor(FColor);
    if (!c.isValid()) return;
    QPalette p = FWidget->palette();
    p.setColor(QPalette::Window, c);
    FWidget->setPalette(p);
    FWidget->setAutoFillBackground(true);
}

static Qt::CursorShape CursorShape(TCursor c)
{
    switch (c) {
    case crNone: return Qt::BlankCursor;
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait: return Qt::WaitCursor;
    case crDrag:
    case crMultiDrag: return Qt::DragMoveCursor;
    case crNoDrop:
    case crNo: return Qt::ForbiddenCursor;
    case crHSplit: return Qt::SplitHCursor;
    case crVSplit: return Qt::SplitVCursor;
    case crAppStart: return Qt::BusyCursor;
    case crHelp: return Qt::WhatsThisCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    default: return Qt::ArrowCursor;
    }
}

bool FindScreenCursor(TCursor id, QCursor& out);   // PaintCtrls.h: registered extra cursors

QCursor CursorToQCursor(TCursor c)
{
    QCursor extra;
    if (FindScreenCursor(c, extra)) return extra;
    return QCursor(CursorShape(c));
}

void TControl::SetCursor(TCursor v)
{
    FCursor = v;
    if (!FWidget) return;
    if (v == crDefault)
        FWidget->unsetCursor();
    else
        FWidget->setCursor(CursorToQCursor(v));
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TMessage m{Msg, WParam, LParam, 0};
    if (WindowProc)
        WindowProc(m);
    else
        WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_SIZE:
        if (!IsLoading()) Resize();
        break;
    case CM_MOUSEENTER: {
        // The application's hint follows the control under the mouse; a
        // control without a hint shows its parent's.
        const TControl* c = this;
        while (c && c->FHint.isEmpty()) c = c->FParent;
        Application->SetHint(c ? GetLongHint(c->FHint) : QString());
        break;
    }
    case CM_MOUSELEAVE: {
        const TControl* c = FParent;
        while (c && c->FHint.isEmpty()) c = c->FParent;
        Application->SetHint(c ? GetLongHint(c->FHint) : QString());
        break;
    }
    default: DefaultHandler(Message); break;
    }
}

void TControl::DefaultHandler(TMessage& Message) { Q_UNUSED(Message); }

// A scroll area draws its contents in its viewport, a child widget that an
// update of the frame alone does not reach.
QWidget* PaintedWidget(QWidget* w)
{
    auto* area = qobject_cast<QAbstractScrollArea*>(w);
    return area && area->viewport() ? area->viewport() : w;
}

void TControl::Invalidate()
{
    if (!FWidget) return;
    FWidget->update();
    if (QWidget* v = PaintedWidget(FWidget); v != FWidget) v->update();
}

void TControl::Update()
{
    if (!FWidget || !FWidget->isVisible()) return;
    FWidget->repaint();
    if (QWidget* v = PaintedWidget(FWidget); v != FWidget) v->repaint();
}

void TControl::Repaint()
{
    Invalidate();
    Update();
}

void TControl::BringToFront()
{
    if (QWidget* w = OuterWidget()) w->raise();
}

void TControl::SendToBack()
{
    if (QWidget* w = OuterWidget()) w->lower();
}

void TControl::Click()
{
    if (OnClick) OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick) OnDblClick(this);
}

QWidget* TControl::CreateWidget(QWidget* parentWidget) { return new QWidget(parentWidget); }

void TControl::InitWidget()
{
    QWidget* w = FWidget;
    if (!w) return;
    ApplyBoundsToWidget();
    w->setEnabled(FEnabled);
    ApplyFontToWidget();
    ApplyColorToWidget();
    w->setToolTip(EffectiveToolTip());
    if (FCursor != crDefault) w->setCursor(CursorToQCursor(FCursor));
    {
        QScopedValueRollback<bool> initializing(FInitializingWidget, true);
        TextChanged();
    }
    if (QWidget* o = OuterWidget(); o && ShowsWithParent()) o->setVisible(FVisible);
}

void TControl::AdoptWidget(QWidget* w)
{
    FWidget = w;
    w->setProperty(ControlProperty, QVariant::fromValue<void*>(this));
    WatchWidget(w);
}

void TControl::MakeWidget()
{
    if (FWidget || !FParent || !FParent->ClientWidget()) return;
    AdoptWidget(CreateWidget(FParent->ClientWidget()));
    InitWidget();
}

void TControl::WatchWidget(QObject* w)
{
    if (w) w->installEventFilter(FBridge);
}

void TControl::ReleaseWidget()
{
    if (FWidget) delete FWidget.data();
    FWidget = nullptr;
}

bool TControl::WidgetEvent(QObject* watched, QEvent* event)
{
    QWidget* outer = OuterWidget();
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::Move:
        if (watched == outer) BoundsChangedByWidget(outer->x(), outer->y(), outer->width(), outer->height());
        break;
    case QEvent::Enter:
        if (watched == FWidget) Perform(CM_MOUSEENTER);
        break;
    case QEvent::Leave:
        if (watched == FWidget) Perform(CM_MOUSELEAVE);
        break;
    default: break;
    }
    return false;
}

void TControl::Resize()
{
    if (OnResize) OnResize(this);
}

void TControl::FontChanged() {}
void TControl::ColorChanged() {}
void TControl::TextChanged() {}
void TControl::VisibleChanged() {}
void TControl::EnabledChanged() {}

// ------------------------------------------------------------- TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl()
{
    // Whoever watches the window procedure sees WM_DESTROY of a control that
    // is going, not of a window about to be made again.
    Destroying();
    if (TForm* f = GetParentForm(this); f && f->FEnteredControl == this) f->FEnteredControl = nullptr;
    DestroyHandle();
    for (TControl* c : FControls) c->FParent = nullptr;
    FControls.clear();
}

HWND TWinControl::Handle()
{
    HandleNeeded();
    return FHandle;
}

void TWinControl::HandleNeeded()
{
    if (HandleAllocated()) return;
    if (Parent() && !Parent()->HandleAllocated()) Parent()->HandleNeeded();
    if (!HandleAllocated()) CreateHandle();
}

void TWinControl::CreateHandle()
{
    if (HandleAllocated()) return;
    if (!FWidget) CreateWindowWidget();
    FHandle = winapi_detail::RegisterWindow(this);
    if (FWidget) FWidget->setFocusPolicy(FocusPolicy());
    Perform(WM_CREATE);
    for (TControl* c : std::vector<TControl*>(FControls)) {
        if (auto* w = dynamic_cast<TWinControl*>(c))
            w->CreateHandle();
        else
            c->MakeWidget();
    }
    ApplyTabOrder();
    Realign();
}

void TWinControl::CreateWindowWidget()
{
    if (!Parent() || !Parent()->ClientWidget())
        throw EInvalidOperation(QStringLiteral("Control '%1' has no parent window").arg(Name()));
    MakeWidget();
}

void TWinControl::DestroyHandle()
{
    if (!HandleAllocated()) return;
    std::vector<TControl*> kids(FControls);
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) (*it)->ReleaseWidget();
    // The window procedure (and whoever subclassed it) sees the window go.
    Perform(WM_DESTROY);
    winapi_detail::UnregisterWindow(FHandle);
    FHandle = NullHWND;
    Perform(WM_NCDESTROY);
    TControl::ReleaseWidget();
}

void TWinControl::ReleaseWidget()
{
    if (HandleAllocated())
        DestroyHandle();
    else
        TControl::ReleaseWidget();
}

void TWinControl::RecreateWnd()
{
    if (!HandleAllocated() || FRecreating) return;
    FRecreating = true;
    try {
        DestroyHandle();
        CreateHandle();
    } catch (...) {
        FRecreating = false;
        throw;
    }
    FRecreating = false;
}

bool TWinControl::Showing() const
{
    QWidget* w = OuterWidget();
    return w && w->isVisible();
}

bool TWinControl::ContainsControl(const TControl* c) const
{
    for (; c; c = c->Parent())
        if (c == this) return true;
    return false;
}

void TWinControl::InsertControl(TControl* c)
{
    FControls.push_back(c);
}

void TWinControl::RemoveControl(TControl* c)
{
    auto it = std::find(FControls.begin(), FControls.end(), c);
    if (it != FControls.end()) FControls.erase(it);
}

std::vector<TWinControl*> TWinControl::TabList() const
{
    std::vector<TWinControl*> out;
    if (!Parent()) return out;
    for (TControl* c : Parent()->FControls)
        if (auto* w = dynamic_cast<TWinControl*>(c)) out.push_back(w);
    return out;
}

int TWinControl::TabOrder() const
{
    auto l = TabList();
    auto it = std::find(l.begin(), l.end(), this);
    return it == l.end() ? -1 : int(it - l.begin());
}

void TWinControl::SetTabOrder(int v)
{
    if (!Parent()) return;
    auto& all = Parent()->FControls;
    auto l = TabList();
    int cur = TabOrder();
    if (cur < 0 || l.empty()) return;
    v = std::clamp(v, 0, int(l.size()) - 1);
    if (v == cur) return;
    // The tab order is the order of the windowed children in the parent's list.
    all.erase(std::find(all.begin(), all.end(), this));
    TWinControl* anchor = l[size_t(v)];
    auto pos = std::find(all.begin(), all.end(), anchor);
    if (v > cur) ++pos;
    all.insert(pos, this);
    Parent()->ApplyTabOrder();
}

void TWinControl::ApplyTabOrder()
{
    QWidget* prev = nullptr;
    for (TControl* c : FControls) {
        auto* w = dynamic_cast<TWinControl*>(c);
        if (!w || !w->FWidget) continue;
        if (prev) QWidget::setTabOrder(prev, w->FWidget);
        prev = w->FWidget;
    }
}

Qt::FocusPolicy TWinControl::FocusPolicy() const
{
    if (FTabStop) return TakesClickFocus() ? Qt::StrongFocus : Qt::TabFocus;
    return TakesClickFocus() ? Qt::ClickFocus : Qt::NoFocus;
}

void TWinControl::SetTabStop(bool v)
{
    FTabStop = v;
    if (FWidget) FWidget->setFocusPolicy(FocusPolicy());
}

bool TWinControl::CanFocus() const
{
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled()) return false;
    return true;
}

bool TWinControl::Focused() const { return FWidget && FWidget->hasFocus(); }

void TWinControl::SetFocus()
{
    if (!CanFocus()) throw EInvalidOperation(QStringLiteral("Cannot focus a disabled or invisible window"));
    if (TForm* f = GetParentForm(this)) f->FocusControl(this);
    if (FWidget) FWidget->setFocus(Qt::OtherFocusReason);
}

void TWinControl::EnableAlign()
{
    if (FAlignDisabled > 0 && --FAlignDisabled == 0) Realign();
}

void TWinControl::Realign()
{
    if (FAlignDisabled > 0 || FAligning || IsDestroying()) return;
    TRect r = ClientRect();
    FAligning = true;
    try {
        AlignControls(r);
        AlignRemainder(r);
    } catch (...) {
        FAligning = false;
        throw;
    }
    FAligning = false;
}

void TWinControl::AlignControls(TRect& r)
{
    auto take = [this](TAlign a) {
        std::vector<TControl*> l;
        for (TControl* c : FControls)
            if (c->FAlign == a && c->FVisible) l.push_back(c);
        // Within one kind the nearer edge comes first.
        std::stable_sort(l.begin(), l.end(), [a](TControl* x, TControl* y) {
            switch (a) {
            case alTop: return x->FTop < y->FTop;
            case alBottom: return x->FTop + x->FHeight > y->FTop + y->FHeight;
            case alLeft: return x->FLeft < y->FLeft;
            case alRight: return x->FLeft + x->FWidth > y->FLeft + y->FWidth;
            default: return false;
            }
        });
        return l;
    };
    for (TControl* c : take(alTop)) {
        c->SetBounds(r.Left, r.Top, r.Width(), c->FHeight);
        r.Top += c->FHeight;
    }
    for (TControl* c : take(alBottom)) {
        c->SetBounds(r.Left, r.Bottom - c->FHeight, r.Width(), c->FHeight);
        r.Bottom -= c->FHeight;
    }
    for (TControl* c : take(alLeft)) {
        c->SetBounds(r.Left, r.Top, c->FWidth, std::max(r.Height(), 0));
        r.Left += c->FWidth;
    }
    for (TControl* c : take(alRight)) {
        c->SetBounds(r.Right - c->FWidth, r.Top, c->FWidth, std::max(r.Height(), 0));
        r.Right -= c->FWidth;
    }
    for (TControl* c : take(alClient))
        c->SetBounds(r.Left, r.Top, std::max(r.Width(), 0), std::max(r.Height(), 0));
    // Anchored controls keep their distances to the right and bottom edges.
    const int pw = ClientWidth(), ph = ClientHeight();
    for (TControl* c : FControls) {
        if (c->FAlign != alNone) continue;
        int l = c->FLeft, t = c->FTop, w = c->FWidth, h = c->FHeight;
        if (c->FAnchors.Contains(akRight)) {
            if (c->FAnchors.Contains(akLeft))
                w = std::max(pw - l - c->FAnchorRight, 0);
            else
                l = pw - w - c->FAnchorRight;
        }
        if (c->FAnchors.Contains(akBottom)) {
            if (c->FAnchors.Contains(akTop))
                h = std::max(ph - t - c->FAnchorBottom, 0);
            else
                t = ph - h - c->FAnchorBottom;
        }
        c->SetBounds(l, t, w, h);
    }
}

void TWinControl::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_SIZE:
        Realign();
        TControl::WndProc(Message);
        break;
    case CM_DIALOGKEY:
        // Offered to the children in turn until one takes it.
        for (TControl* c : std::vector<TControl*>(FControls)) {
            if (c->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0) {
                Message.Result = 1;
                return;
            }
        }
        break;
    default: TControl::WndProc(Message); break;
    }
}

bool TWinControl::WidgetEvent(QObject* watched, QEvent* event)
{
    // A control on its way out gets no enter or exit events (the focus moves
    // while its window is torn down; an exit check must not run then).
    if (watched == FWidget && !IsDestroying() && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        FocusMoved(event->type() == QEvent::FocusIn, static_cast<QFocusEvent*>(event)->reason());
    return TControl::WidgetEvent(watched, event);
}

// Enter and exit follow the focus from control to control within the form.
// The focus leaving the window for a while (another window or a message box
// activated, a pop-up menu or list open) and coming back to the same control
// neither exits nor enters it: an exit check that shows its error in a box
// would otherwise run again as the box takes the focus. A control that
// refuses to be left and takes the focus back stays entered.
void TWinControl::FocusMoved(bool in, Qt::FocusReason reason)
{
    TForm* f = GetParentForm(this);
    const bool away = reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason;
    if (in) {
        if (f) f->FocusControl(this);
        if (f && f->FEnteredControl == this) return;
        if (f) f->FEnteredControl = this;
        DoEnter();
        return;
    }
    if (away || (f && f->FEnteredControl != this)) return;
    DoExit();
    QWidget* now = QApplication::focusWidget();
    const bool back = FWidget && now && (now == FWidget || FWidget->isAncestorOf(now));
    if (f && f->FEnteredControl == this && !back) f->FEnteredControl = nullptr;
}

void TWinControl::DoEnter()
{
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit) OnExit(this);
}

void TWinControl::HandleMessage(TMessage& m)
{
    if (WindowProc)
        WindowProc(m);
    else
        WndProc(m);
}

bool TWinControl::GetWindowPlacementOf(TWindowPlacement& wp)
{
    wp.flags = 0;
    wp.showCmd = SW_SHOWNORMAL;
    wp.ptMinPosition = Point(-1, -1);
    wp.ptMaxPosition = Point(-1, -1);
    wp.rcNormalPosition = BoundsRect();
    return true;
}

bool TWinControl::SetWindowPlacementOf(const TWindowPlacement& wp)
{
    const TRect& r = wp.rcNormalPosition;
    SetBounds(r.Left, r.Top, r.Width(), r.Height());
    return ShowWindowCmd(int(wp.showCmd));
}

bool TWinControl::WindowVisible() { return Showing(); }

bool TWinControl::ShowWindowCmd(int cmd)
{
    SetVisible(cmd != int(SW_HIDE));
    return true;
}

void TWinControl::UpdateWindowNow() { Update(); }

int PageKeyDirection(WORD Key, TShiftState Shift)
{
    if (!Shift.Contains(ssCtrl) || Shift.Contains(ssAlt)) return 0;
    if (Key == VK_TAB) return Shift.Contains(ssShift) ? -1 : 1;
    if (Shift.Contains(ssShift)) return 0;
    return Key == VK_NEXT ? 1 : Key == VK_PRIOR ? -1 : 0;
}

// ------------------------------------------------------------------ lookups

TForm* GetParentForm(const TControl* c)
{
    if (!c) return nullptr;
    while (c->Parent()) c = c->Parent();
    return dynamic_cast<TForm*>(const_cast<TControl*>(c));
}

QWidget* PressKeepsFocusAt(QWidget* pressed)
{
    if (!pressed || (pressed->focusPolicy() & Qt::ClickFocus)) return nullptr;
    TControl* c = FindControl(pressed);
    while (c && !dynamic_cast<TWinControl*>(c)) c = c->Parent();
    auto* control = static_cast<TWinControl*>(c);
    if (!control || !control->Parent() || control->TakesClickFocus()) return nullptr;   // a form has no parent control
    // Only within the form that has the focus: a press on another window
    // (an MDI child not active yet) activates it the toolkit's way.
    // A control that has the focus itself (a cancel button Tab brought it
    // to) keeps it the toolkit's way: its search stops there.
    QWidget* focused = QApplication::focusWidget();
    QWidget* own = control->Widget();
    if (!focused || !own || focused == own || own->focusProxy() ||
        GetParentForm(FindControl(focused)) != GetParentForm(control))
        return nullptr;
    return own;
}

TControl* FindControl(const QWidget* w)
{
    for (; w; w = w->parentWidget()) {
        QVariant v = w->property(ControlProperty);
        if (v.isValid()) return static_cast<TControl*>(v.value<void*>());
    }
    return nullptr;
}

// --------------------------------------------------------- property tables

static const TPropertyRegistration regComponent(QStringLiteral("TComponent"), QString(), [] {
    return std::vector<TPropInfo>{
        StrProp(QStringLiteral("Name"), &TComponent::Name, &TComponent::SetName),
        OrdProp(QStringLiteral("Tag"), TypeInfoInteger(), &TComponent::Tag, &TComponent::SetTag, 0),
    };
});

static const TPropertyRegistration regControl(QStringLiteral("TControl"), QStringLiteral("TComponent"), [] {
    PTypeInfo color = RegisterOrdinalType(QStringLiteral("TColor"), tkInteger);
    PTypeInfo cursor = RegisterOrdinalType(QStringLiteral("TCursor"), tkInteger);
    PTypeInfo align = RegisterEnumType(QStringLiteral("TAlign"),
                                       {QStringLiteral("alNone"), QStringLiteral("alTop"), QStringLiteral("alBottom"),
                                        QStringLiteral("alLeft"), QStringLiteral("alRight"), QStringLiteral("alClient"),
                                        QStringLiteral("alCustom")});
    PTypeInfo anchors = RegisterSetType(
        QStringLiteral("TAnchors"),
        RegisterEnumType(QStringLiteral("TAnchorKind"), {QStringLiteral("akLeft"), QStringLiteral("akTop"),
                                                          QStringLiteral("akRight"), QStringLiteral("akBottom")}));
    PTypeInfo font = RegisterClassType(QStringLiteral("TFont"));
    PTypeInfo b = TypeInfoBoolean();
    PTypeInfo i = TypeInfoInteger();
    return std::vector<TPropInfo>{
        OrdProp(QStringLiteral("Align"), align, &TControl::Align, &TControl::SetAlign, alNone),
        OrdProp(QStringLiteral("Anchors"), anchors, &TControl::Anchors, &TControl::SetAnchors),
        StrProp(QStringLiteral("Caption"), &TControl::Caption, &TControl::SetCaption),
        OrdProp(QStringLiteral("Color"), color, &TControl::Color, &TControl::SetColor),
        OrdProp(QStringLiteral("Cursor"), cursor, &TControl::Cursor, &TControl::SetCursor, crDefault),
        OrdProp(QStringLiteral("Enabled"), b, &TControl::Enabled, &TControl::SetEnabled, 1),
        ObjectProp(QStringLiteral("Font"), font, &TControl::Font, &TControl::SetFont),
        OrdProp(QStringLiteral("Height"), i, &TControl::Height, &TControl::SetHeight),
        StrProp(QStringLiteral("Hint"), &TControl::Hint, &TControl::SetHint),
        OrdProp(QStringLiteral("Left"), i, &TControl::Left, &TControl::SetLeft),
        OrdProp(QStringLiteral("ParentColor"), b, &TControl::ParentColor, &TControl::SetParentColor),
        OrdProp(QStringLiteral("ParentFont"), b, &TControl::ParentFont, &TControl::SetParentFont, 1),
        OrdProp(QStringLiteral("ParentShowHint"), b, &TControl::ParentShowHint, &TControl::SetParentShowHint, 1),
        OrdProp(QStringLiteral("ShowHint"), b, &TControl::ShowHint, &TControl::SetShowHint),
        OrdProp(QStringLiteral("Top"), i, &TControl::Top, &TControl::SetTop),
        OrdProp(QStringLiteral("Visible"), b, &TControl::Visible, &TControl::SetVisible, 1),
        OrdProp(QStringLiteral("Width"), i, &TControl::Width, &TControl::SetWidth),
    };
});

static const TPropertyRegistration regWinControl(QStringLiteral("TWinControl"), QStringLiteral("TControl"), [] {
    return std::vector<TPropInfo>{
        OrdProp(QStringLiteral("TabOrder"), TypeInfoInteger(), &TWinControl::TabOrder, &TWinControl::SetTabOrder),
        OrdProp(QStringLiteral("TabStop"), TypeInfoBoolean(), &TWinControl::TabStop, &TWinControl::SetTabStop),
    };
});
