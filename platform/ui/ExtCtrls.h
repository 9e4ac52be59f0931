#pragma once
// Timers and panels.
//
// TTimer: OnTimer every Interval milliseconds while Enabled and bound; it
// runs on the user-interface thread's event loop (a window-message timer on
// the original). Changing Interval or Enabled restarts the count.
//
// TPanel: a windowed container painted with its outer and inner bevels and
// its caption centred.
#include <QPointer>

#include "platform/ui/PaintCtrls.h"

class QTimer;

class TTimer : public TComponent {
    QV_CLASS(TTimer, TComponent)
public:
    explicit TTimer(TComponent* AOwner = nullptr);
    ~TTimer() override;
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v);
    unsigned Interval() const { return FInterval; }
    void SetInterval(unsigned v);
    TNotifyEvent OnTimer;
    // Fires the timer now, as if its interval had run out (tests).
    void Fire();
    // The toolkit's timer behind it (tests deliver its timer events).
    QTimer* QtTimer() const { return FTimer; }

private:
    void Update();
    QTimer* FTimer = nullptr;
    bool FEnabled = true;
    unsigned FInterval = 1000;
};

enum TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };

class TPanel : public TCustomControl {
    QV_CLASS(TPanel, TCustomControl)
public:
    explicit TPanel(TComponent* AOwner = nullptr);
    TPanelBevel BevelOuter() const { return FBevelOuter; }
    void SetBevelOuter(TPanelBevel v) { FBevelOuter = v; Invalidate(); }
    TPanelBevel BevelInner() const { return FBevelInner; }
    void SetBevelInner(TPanelBevel v) { FBevelInner = v; Invalidate(); }
    int BevelWidth() const { return FBevelWidth; }
    void SetBevelWidth(int v) { FBevelWidth = v < 1 ? 1 : v; Invalidate(); }

protected:
    void Paint() override;

private:
    TPanelBevel FBevelOuter = bvRaised;
    TPanelBevel FBevelInner = bvNone;
    int FBevelWidth = 1;
};
