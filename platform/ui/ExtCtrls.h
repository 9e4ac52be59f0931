#pragma once
// Timers and panels.
//
// TTimer: OnTimer every Interval milliseconds while Enabled and bound; it
// runs on the user-interface thread's event loop (a window-message timer on
// the original). Changing Interval or Enabled restarts the count.
//
// TPanel: a windowed container painted with its outer and inner bevels and
// its caption centred.
//
// TBevel: a lowered or raised box, frame or line, or an empty spacer.
//
// TSplitter: a bar between aligned controls that the user drags to resize
// the control on its aligned side (the neighbour: for a splitter aligned to
// the bottom, the bottom-aligned control right under it). The neighbour keeps
// at least MinSize and what its Constraints allow; the space left for the
// rest of the parent (the client-aligned control) keeps at least MinSize and
// that control's minimum.
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
    // A press on the panel (or on a control on it that takes no focus)
    // leaves the focus where it is.
    bool TakesClickFocus() const override { return false; }
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

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

class TBevel : public TGraphicControl {
    QV_CLASS(TBevel, TGraphicControl)
public:
    explicit TBevel(TComponent* AOwner = nullptr);
    TBevelShape Shape() const { return FShape; }
    void SetShape(TBevelShape v) { FShape = v; Invalidate(); }
    TBevelStyle Style() const { return FStyle; }
    void SetStyle(TBevelStyle v) { FStyle = v; Invalidate(); }

protected:
    void Paint() override;

private:
    TBevelShape FShape = bsBox;
    TBevelStyle FStyle = bsLowered;
};

class TSplitter : public TGraphicControl {
    QV_CLASS(TSplitter, TGraphicControl)
public:
    explicit TSplitter(TComponent* AOwner = nullptr);
    int MinSize() const { return FMinSize; }
    void SetMinSize(int v) { FMinSize = v < 1 ? 1 : v; }
    // The control the splitter resizes (none when nothing lies on its side).
    TControl* Neighbour() const;
    // Moves the splitter as a drag by Delta pixels would (towards the right
    // or the bottom when positive); returns the neighbour's new size.
    int MoveBy(int Delta);
    TNotifyEvent OnMoved;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    bool Horizontal() const;   // resizes widths (aligned left or right)
    int Position(int X, int Y) const;
    int FMinSize = 30;
    bool FDragging = false;
    int FDragStart = 0;
};
