#include "platform/ui/ExtCtrls.h"
#include "platform/ui/EventBridge.h"

#include <QTimer>
#include <algorithm>

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner)
{
    FTimer = new QTimer;
    QObject::connect(FTimer, &QTimer::timeout, [this] { CallHandler(this, [this] { Fire(); }); });
    Update();
}

TTimer::~TTimer() { delete FTimer; }

void TTimer::SetEnabled(bool v)
{
    FEnabled = v;
    Update();
}

void TTimer::SetInterval(unsigned v)
{
    FInterval = v;
    Update();
}

void TTimer::Update()
{
    FTimer->stop();
    if (FEnabled && FInterval > 0) FTimer->start(int(FInterval));
}

void TTimer::Fire()
{
    if (OnTimer) OnTimer(this);
}

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner)
{
    SetBounds(0, 0, 185, 41);
    FTakesFocus = false;
    FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                                  csDoubleClicks, csReplicatable};
}

void TPanel::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    auto bevel = [&](TPanelBevel b) {
        if (b == bvNone) return;
        const TColor tl = b == bvLowered ? clBtnShadow : clBtnHighlight;
        const TColor br = b == bvLowered ? clBtnHighlight : clBtnShadow;
        if (b == bvSpace)
            Frame3D(c, r, Color(), Color(), FBevelWidth);
        else
            Frame3D(c, r, tl, br, FBevelWidth);
    };
    bevel(FBevelOuter);
    bevel(FBevelInner);
    if (!Caption().isEmpty()) {
        c->Brush()->SetStyle(bsClear);
        c->SetTextColor(Font()->Color());
        c->DrawText(Caption(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
}

// ------------------------------------------------------------------ TBevel

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner)
{
    SetBounds(0, 0, 50, 50);
}

void TBevel::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(Color());
    c->FillRect(ClientRect());
    if (FShape == bsSpacer) return;
    const TColor dark = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
    const TColor light = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
    const int w = Width(), h = Height();
    auto line = [&](TColor col, int x1, int y1, int x2, int y2) {
        c->Pen()->SetColor(col);
        c->MoveTo(x1, y1);
        c->LineTo(x2, y2);
    };
    switch (FShape) {
    case bsBox: {
        TRect r = ClientRect();
        Frame3D(c, r, dark, light, 1);
        break;
    }
    case bsFrame: {
        TRect outer = Rect(0, 0, w - 1, h - 1), inner = Rect(1, 1, w, h);
        Frame3D(c, inner, light, light, 1);
        Frame3D(c, outer, dark, dark, 1);
        break;
    }
    case bsTopLine: line(dark, 0, 0, w, 0); line(light, 0, 1, w, 1); break;
    case bsBottomLine: line(dark, 0, h - 2, w, h - 2); line(light, 0, h - 1, w, h - 1); break;
    case bsLeftLine: line(dark, 0, 0, 0, h); line(light, 1, 0, 1, h); break;
    case bsRightLine: line(dark, w - 2, 0, w - 2, h); line(light, w - 1, 0, w - 1, h); break;
    default: break;
    }
}

// --------------------------------------------------------------- TSplitter

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner)
{
    SetBounds(0, 0, 3, 100);
    SetAlign(alLeft);
    SetCursor(crHSplit);
}

bool TSplitter::Horizontal() const { return Align() == alLeft || Align() == alRight; }

TControl* TSplitter::Neighbour() const
{
    TWinControl* p = Parent();
    if (!p) return nullptr;
    for (int i = 0; i < p->ControlCount(); ++i) {
        TControl* c = p->Controls(i);
        if (c == this || !c->Visible() || c->Align() != Align()) continue;
        switch (Align()) {
        case alLeft: if (c->Left() + c->Width() == Left()) return c; break;
        case alRight: if (c->Left() == Left() + Width()) return c; break;
        case alTop: if (c->Top() + c->Height() == Top()) return c; break;
        case alBottom: if (c->Top() == Top() + Height()) return c; break;
        default: break;
        }
    }
    return nullptr;
}

int TSplitter::MoveBy(int Delta)
{
    TControl* n = Neighbour();
    TWinControl* p = Parent();
    if (!n || !p) return 0;
    const bool horz = Horizontal();
    const int old = horz ? n->Width() : n->Height();
    // Positive deltas go right or down: they grow a left or top neighbour.
    int want = (Align() == alLeft || Align() == alTop) ? old + Delta : old - Delta;
    // The space the splitter's side takes: every visible control aligned
    // along the same axis but the neighbour; the rest goes to the client.
    int taken = 0, clientMin = 0;
    for (int i = 0; i < p->ControlCount(); ++i) {
        TControl* c = p->Controls(i);
        if (!c->Visible()) continue;
        const TAlign a = c->Align();
        if (c != n && (horz ? (a == alLeft || a == alRight) : (a == alTop || a == alBottom)))
            taken += horz ? c->Width() : c->Height();
        if (a == alClient)
            clientMin = std::max(clientMin, horz ? c->Constraints()->MinWidth() : c->Constraints()->MinHeight());
    }
    const int extent = horz ? p->ClientWidth() : p->ClientHeight();
    const int nMin = std::max(FMinSize, horz ? n->Constraints()->MinWidth() : n->Constraints()->MinHeight());
    int nMax = extent - taken - std::max(FMinSize, clientMin);
    const int cMax = horz ? n->Constraints()->MaxWidth() : n->Constraints()->MaxHeight();
    if (cMax > 0) nMax = std::min(nMax, cMax);
    int size = std::min(want, nMax);
    size = std::max(size, nMin);
    if (size != old) {
        if (horz)
            n->SetWidth(size);
        else
            n->SetHeight(size);
        p->Realign();
        if (OnMoved) OnMoved(this);
    }
    return horz ? n->Width() : n->Height();
}

void TSplitter::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(Color());
    c->FillRect(ClientRect());
}

int TSplitter::Position(int X, int Y) const { return Horizontal() ? Left() + X : Top() + Y; }

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft || !Neighbour()) return;
    FDragging = true;
    FDragStart = Position(X, Y);
}

void TSplitter::MouseMove(TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!FDragging) return;
    const int pos = Position(X, Y);
    if (pos == FDragStart) return;
    // The splitter moves with the neighbour's edge; the next delta counts
    // from where the edge went.
    TControl* n = Neighbour();
    const int before = n ? (Horizontal() ? n->Width() : n->Height()) : 0;
    const int after = MoveBy(pos - FDragStart);
    const int moved = (Align() == alLeft || Align() == alTop) ? after - before : before - after;
    FDragStart += moved;
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft) FDragging = false;
}
