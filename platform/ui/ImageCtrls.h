#pragma once
// Pictures and shapes on a form: TImage shows a picture (stretched or at its
// size, from the top left), TShape draws a rectangle frame with its pen
// colour and, unless the brush is clear, a fill.
#include <QImage>

#include "platform/ui/Controls.h"

class TImage : public TControl {
    QV_CLASS(TImage, TControl)
public:
    explicit TImage(TComponent* AOwner = nullptr);
    const QImage& Picture() const { return FPicture; }
    void SetPicture(const QImage& img);
    bool Stretch() const { return FStretch; }
    void SetStretch(bool v);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);

protected:
    QWidget* CreateWidget(QWidget* parentWidget) override;
    void InitWidget() override;
    bool WidgetEvent(QObject* watched, QEvent* event) override;

private:
    void ApplyPicture();
    QImage FPicture;
    bool FStretch = false;
    bool FAutoSize = false;
};

class TShape : public TControl {
    QV_CLASS(TShape, TControl)
public:
    explicit TShape(TComponent* AOwner = nullptr);
    TColor PenColor() const { return FPenColor; }
    void SetPenColor(TColor c) { FPenColor = c; Invalidate(); }
    bool BrushClear() const { return FBrushClear; }
    void SetBrushClear(bool v) { FBrushClear = v; Invalidate(); }
    TColor BrushColor() const { return FBrushColor; }
    void SetBrushColor(TColor c) { FBrushColor = c; Invalidate(); }

protected:
    QWidget* CreateWidget(QWidget* parentWidget) override;

private:
    friend class TShapeWidget;
    TColor FPenColor = clBlack;
    TColor FBrushColor = clWhite;
    bool FBrushClear = false;
};
