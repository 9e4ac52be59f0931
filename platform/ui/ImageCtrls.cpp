#include "platform/ui/ImageCtrls.h"

#include <QEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>

TImage::TImage(TComponent* AOwner) : TControl(AOwner)
{
    FWidth = 105;
    FHeight = 105;
}

QWidget* TImage::CreateWidget(QWidget* parentWidget)
{
    auto* l = new QLabel(parentWidget);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return l;
}

void TImage::InitWidget()
{
    TControl::InitWidget();
    ApplyPicture();
}

void TImage::SetPicture(const QImage& img)
{
    FPicture = img;
    if (FAutoSize && !img.isNull()) SetBounds(FLeft, FTop, img.width(), img.height());
    ApplyPicture();
}

void TImage::SetStretch(bool v)
{
    FStretch = v;
    ApplyPicture();
}

void TImage::SetAutoSize(bool v)
{
    FAutoSize = v;
    if (v && !FPicture.isNull()) SetBounds(FLeft, FTop, FPicture.width(), FPicture.height());
}

void TImage::ApplyPicture()
{
    auto* l = qobject_cast<QLabel*>(FWidget.data());
    if (!l) return;
    if (FPicture.isNull()) {
        l->clear();
        return;
    }
    QImage img = FStretch ? FPicture.scaled(FWidth, FHeight) : FPicture;
    l->setPixmap(QPixmap::fromImage(img));
}

bool TImage::WidgetEvent(QObject* watched, QEvent* event)
{
    bool r = TControl::WidgetEvent(watched, event);
    if (watched == FWidget && event->type() == QEvent::Resize && FStretch) ApplyPicture();
    if (watched == FWidget && event->type() == QEvent::MouseButtonRelease) Click();
    return r;
}

class TShapeWidget : public QWidget {
public:
    TShapeWidget(TShape* s, QWidget* parent) : QWidget(parent), shape(s) {}
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setPen(ColorToQColor(shape->FPenColor));
        if (shape->FBrushClear)
            p.setBrush(Qt::NoBrush);
        else
            p.setBrush(ColorToQColor(shape->FBrushColor));
        p.drawRect(0, 0, width() - 1, height() - 1);
    }
    TShape* shape;
};

TShape::TShape(TComponent* AOwner) : TControl(AOwner)
{
    FWidth = 65;
    FHeight = 65;
}

QWidget* TShape::CreateWidget(QWidget* parentWidget) { return new TShapeWidget(this, parentWidget); }
