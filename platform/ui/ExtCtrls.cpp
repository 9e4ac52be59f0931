#include "platform/ui/ExtCtrls.h"
#include "platform/ui/EventBridge.h"

#include <QTimer>

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
