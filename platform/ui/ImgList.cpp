#include "platform/ui/ImgList.h"

TImageList::TImageList(TComponent* AOwner) : TComponent(AOwner) {}
TImageList::TImageList(int w, int h, TComponent* AOwner) : TComponent(AOwner), FWidth(w), FHeight(h) {}

void TImageList::SetSize(int w, int h)
{
    if (w == FWidth && h == FHeight) return;
    FWidth = w;
    FHeight = h;
    Clear();
}

TImageList::Entry TImageList::Make(TBitmap* image, TBitmap* mask, bool byColour, TColor colour) const
{
    Entry e;
    e.image = QImage(std::max(FWidth, 1), std::max(FHeight, 1), QImage::Format_RGB32);
    e.image.fill(Qt::white);
    e.shown.assign(size_t(FWidth * FHeight), false);
    if (!image || image->Empty()) return e;
    const QImage& src = image->ToImage();
    const TColor mc = ColorToRGBPlain(colour);
    const QRgb mrgb = qRgb(GetRValue(mc), GetGValue(mc), GetBValue(mc));
    for (int y = 0; y < FHeight && y < src.height(); ++y)
        for (int x = 0; x < FWidth && x < src.width(); ++x) {
            const QRgb p = src.pixel(x, y) | 0xFF000000u;
            bool show = true;
            if (byColour)
                show = p != mrgb;
            else if (mask && !mask->Empty() && x < mask->Width() && y < mask->Height())
                show = (mask->ToImage().pixel(x, y) | 0xFF000000u) != 0xFFFFFFFFu;
            e.image.setPixel(x, y, p);
            e.shown[size_t(y * FWidth + x)] = show;
        }
    return e;
}

int TImageList::Add(TBitmap* image, TBitmap* mask)
{
    FImages.push_back(Make(image, mask, false, clNone));
    Changed();
    return Count() - 1;
}

int TImageList::AddMasked(TBitmap* image, TColor maskColor)
{
    FImages.push_back(Make(image, nullptr, true, maskColor));
    Changed();
    return Count() - 1;
}

void TImageList::Replace(int index, TBitmap* image, TBitmap* mask)
{
    if (!ValidIndex(index)) return;
    FImages[size_t(index)] = Make(image, mask, false, clNone);
    Changed();
}

void TImageList::ReplaceMasked(int index, TBitmap* image, TColor maskColor)
{
    if (!ValidIndex(index)) return;
    FImages[size_t(index)] = Make(image, nullptr, true, maskColor);
    Changed();
}

void TImageList::Delete(int index)
{
    if (!ValidIndex(index)) return;
    FImages.erase(FImages.begin() + index);
    Changed();
}

void TImageList::Clear()
{
    FImages.clear();
    Changed();
}

void TImageList::SetCount(int n)
{
    n = std::max(n, 0);
    while (Count() > n) FImages.pop_back();
    while (Count() < n) FImages.push_back(Make(nullptr, nullptr, false, clNone));
    Changed();
}

void TImageList::ReplacePicture(int index, const QImage& picture)
{
    if (!ValidIndex(index)) return;
    Entry e = Make(nullptr, nullptr, false, clNone);
    e.picture = picture.scaled(FWidth, FHeight, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x) {
            const QRgb p = e.picture.pixel(x, y);
            e.image.setPixel(x, y, p | 0xFF000000u);
            e.shown[size_t(y * FWidth + x)] = qAlpha(p) >= 128;
        }
    FImages[size_t(index)] = e;
    Changed();
}

QImage TImageList::Picture(int index) const
{
    if (!ValidIndex(index)) return QImage();
    const Entry& e = FImages[size_t(index)];
    if (!e.picture.isNull()) return e.picture;
    QImage out = e.image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < FHeight; ++y)
        for (int x = 0; x < FWidth; ++x)
            if (!e.shown[size_t(y * FWidth + x)]) out.setPixel(x, y, 0);
    return out;
}

void TImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) const
{
    if (!canvas || !ValidIndex(index) || !canvas->Image()) return;
    const Entry& e = FImages[size_t(index)];
    for (int j = 0; j < FHeight; ++j)
        for (int i = 0; i < FWidth; ++i) {
            if (!e.shown[size_t(j * FWidth + i)]) continue;
            QRgb p = e.image.pixel(i, j);
            if (!enabled) {
                const int g = qGray(p);
                p = qRgb(g, g, g);
            }
            canvas->SetPixel(x + i, y + j, RGB(qRed(p), qGreen(p), qBlue(p)));
        }
}

void TImageList::GetBitmap(int index, TBitmap* bmp) const
{
    if (!bmp) return;
    bmp->SetSize(FWidth, FHeight);
    bmp->Canvas()->FillRect(Rect(0, 0, FWidth, FHeight));
    Draw(bmp->Canvas(), 0, 0, index, true);
}

void TImageList::GetMask(int index, TBitmap* bmp) const
{
    if (!bmp || !ValidIndex(index)) return;
    bmp->SetMonochrome(false);
    bmp->SetSize(FWidth, FHeight);
    const Entry& e = FImages[size_t(index)];
    for (int j = 0; j < FHeight; ++j)
        for (int i = 0; i < FWidth; ++i)
            bmp->ImageRef().setPixel(i, j, e.shown[size_t(j * FWidth + i)] ? 0xFF000000u : 0xFFFFFFFFu);
    bmp->SetMonochrome(true);
}
