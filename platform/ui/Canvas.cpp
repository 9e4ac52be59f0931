#include "platform/ui/Canvas.h"

#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QImageReader>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "platform/core/SysUtils.h"

namespace {

QRgb ToRgb(TColor c)
{
    const TColor v = ColorToRGBPlain(c);
    return qRgb(GetRValue(v), GetGValue(v), GetBValue(v));
}

TColor FromRgb(QRgb p) { return RGB(qRed(p), qGreen(p), qBlue(p)); }

constexpr QRgb kBlack = 0xFF000000u, kWhite = 0xFFFFFFFFu;

// The colour a monochrome surface shows for a colour: white for light
// colours, black for the rest.
QRgb MonoOf(QRgb p) { return qGray(p) >= 128 ? kWhite : kBlack; }

// One raster operation on 24-bit values: each bit of the result is the bit
// of the truth table (the ROP code's third byte) at index P*4 + S*2 + D.
inline quint32 Rop3(quint8 index, quint32 p, quint32 s, quint32 d)
{
    quint32 r = 0;
    for (int i = 0; i < 8; ++i) {
        if (!(index & (1u << i))) continue;
        const quint32 pm = (i & 4) ? p : ~p, sm = (i & 2) ? s : ~s, dm = (i & 1) ? d : ~d;
        r |= pm & sm & dm;
    }
    return r & 0x00FFFFFFu;
}

QRgb Normalised(QRgb c, bool mono) { return mono ? MonoOf(c) : (c | 0xFF000000u); }

}  // namespace

// ---------------------------------------------------------------- pen, brush

void TPen::Assign(TPersistent* Source)
{
    if (auto* p = dynamic_cast<TPen*>(Source)) {
        FColor = p->FColor;
        FWidth = p->FWidth;
        FStyle = p->FStyle;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

TBrush::~TBrush() { delete FBitmap; }

void TBrush::SetColor(TColor v)
{
    FColor = v;
    if (FStyle == bsClear) FStyle = bsSolid;
    Changed();
}

void TBrush::SetBitmap(TBitmap* v)
{
    delete FBitmap;
    FBitmap = nullptr;
    if (v) {
        FBitmap = new TBitmap;
        FBitmap->Assign(v);
    }
    Changed();
}

void TBrush::Assign(TPersistent* Source)
{
    if (auto* b = dynamic_cast<TBrush*>(Source)) {
        FColor = b->FColor;
        FStyle = b->FStyle;
        SetBitmap(b->FBitmap);
        return;
    }
    TPersistent::Assign(Source);
}

// -------------------------------------------------------------------- canvas

TCanvas::TCanvas() : FFont(new TFont), FPen(new TPen), FBrush(new TBrush)
{
    FFont->SetColor(clBlack);
    FTextColor = clBlack;
    FBkColor = clWhite;
    FFont->OnChange = [this](TObject* s) { FontChanged(s); };
    FBrush->OnChange = [this](TObject* s) { BrushChanged(s); };
}

TCanvas::~TCanvas()
{
    delete FFont;
    delete FPen;
    delete FBrush;
}

void TCanvas::FontChanged(TObject*) { FTextColor = FFont->Color(); }
void TCanvas::BrushChanged(TObject*) { FBkColor = FBrush->Color(); }

QFont TCanvas::DeviceFont() const { return FFont->ToQFont(); }

TRect TCanvas::ClipRect() const
{
    QImage* img = Image();
    TRect r = img ? Rect(-FOrigin.X, -FOrigin.Y, img->width() - FOrigin.X, img->height() - FOrigin.Y) : TRect{};
    if (FHasClip) {
        r.Left = std::max(r.Left, FClip.Left);
        r.Top = std::max(r.Top, FClip.Top);
        r.Right = std::min(r.Right, FClip.Right);
        r.Bottom = std::min(r.Bottom, FClip.Bottom);
    }
    return r;
}

namespace {
// A painter over the canvas's image, origin and clip applied.
struct CanvasPainter {
    QPainter p;
    explicit CanvasPainter(const TCanvas* c, QImage* img)
        : p(img)
    {
        const TRect clip = c->ClipRect();
        p.setClipRect(QRect(clip.Left + c->Origin().X, clip.Top + c->Origin().Y, std::max(clip.Width(), 0),
                            std::max(clip.Height(), 0)));
        p.translate(c->Origin().X, c->Origin().Y);
    }
};
}  // namespace

void TCanvas::FillRect(const TRect& r)
{
    QImage* img = Image();
    if (!img || FBrush->Style() == bsClear || r.Width() <= 0 || r.Height() <= 0) return;
    if (FBrush->Bitmap() && !FBrush->Bitmap()->Empty()) {
        // Patterns are tiled from the device's (0, 0).
        PatBlt(this, r.Left, r.Top, r.Width(), r.Height(), PATCOPY);
        return;
    }
    {
        CanvasPainter cp(this, img);
        cp.p.fillRect(QRect(r.Left, r.Top, r.Width(), r.Height()), QColor::fromRgb(Normalised(ToRgb(FBrush->Color()), Monochrome())));
    }
    Changed();
}

void TCanvas::FrameRect(const TRect& r)
{
    if (r.Width() <= 0 || r.Height() <= 0) return;
    FillRect(Rect(r.Left, r.Top, r.Right, r.Top + 1));
    FillRect(Rect(r.Left, r.Bottom - 1, r.Right, r.Bottom));
    FillRect(Rect(r.Left, r.Top, r.Left + 1, r.Bottom));
    FillRect(Rect(r.Right - 1, r.Top, r.Right, r.Bottom));
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    FillRect(Rect(x1, y1, x2, y2));
    if (FPen->Style() == psClear) return;
    const TPoint keep = FPenPos;
    MoveTo(x1, y1);
    LineTo(x2 - 1, y1);
    LineTo(x2 - 1, y2 - 1);
    LineTo(x1, y2 - 1);
    LineTo(x1, y1);
    FPenPos = keep;
}

void TCanvas::LineTo(int x, int y)
{
    QImage* img = Image();
    const TPoint from = FPenPos;
    FPenPos = Point(x, y);
    if (!img || FPen->Style() == psClear) return;
    const QRgb c = Normalised(ToRgb(FPen->Color()), Monochrome());
    const TRect clip = ClipRect();
    const int w = std::max(FPen->Width(), 1);
    auto plot = [&](int px, int py) {
        for (int oy = 0; oy < w; ++oy)
            for (int ox = 0; ox < w; ++ox) {
                const int lx = px + ox - w / 2, ly = py + oy - w / 2;
                if (lx < clip.Left || ly < clip.Top || lx >= clip.Right || ly >= clip.Bottom) continue;
                img->setPixel(lx + FOrigin.X, ly + FOrigin.Y, c);
            }
    };
    // Bresenham; the end point is left out, as on the original device.
    int x0 = from.X, y0 = from.Y;
    const int dx = std::abs(x - x0), sx = x0 < x ? 1 : -1;
    const int dy = -std::abs(y - y0), sy = y0 < y ? 1 : -1;
    int err = dx + dy;
    while (!(x0 == x && y0 == y)) {
        plot(x0, y0);
        const int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x0 += sx; }
        if (e2 <= dx) { err += dx; y0 += sy; }
    }
    Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& pts)
{
    if (pts.empty()) return;
    MoveTo(pts[0].X, pts[0].Y);
    for (size_t i = 1; i < pts.size(); ++i) LineTo(pts[i].X, pts[i].Y);
}

void TCanvas::Polygon(const std::vector<TPoint>& pts)
{
    QImage* img = Image();
    if (!img || pts.empty()) return;
    {
        CanvasPainter cp(this, img);
        QPolygon poly;
        for (const TPoint& p : pts) poly << QPoint(p.X, p.Y);
        if (FBrush->Style() != bsClear) {
            cp.p.setPen(Qt::NoPen);
            cp.p.setBrush(QColor::fromRgb(Normalised(ToRgb(FBrush->Color()), Monochrome())));
            cp.p.drawPolygon(poly);
        }
    }
    std::vector<TPoint> closed(pts);
    closed.push_back(pts[0]);
    Polyline(closed);
    Changed();
}

TColor TCanvas::Pixel(int x, int y) const
{
    QImage* img = Image();
    const int px = x + FOrigin.X, py = y + FOrigin.Y;
    if (!img || px < 0 || py < 0 || px >= img->width() || py >= img->height()) return clNone;
    return FromRgb(img->pixel(px, py));
}

void TCanvas::SetPixel(int x, int y, TColor c)
{
    QImage* img = Image();
    const TRect clip = ClipRect();
    if (!img || x < clip.Left || y < clip.Top || x >= clip.Right || y >= clip.Bottom) return;
    img->setPixel(x + FOrigin.X, y + FOrigin.Y, Normalised(ToRgb(c), Monochrome()));
    Changed();
}

int TCanvas::TextWidth(const QString& text) const { return QFontMetrics(DeviceFont()).horizontalAdvance(text); }
int TCanvas::TextHeight(const QString& text) const
{
    Q_UNUSED(text);
    return QFontMetrics(DeviceFont()).height();
}
TPoint TCanvas::TextExtent(const QString& text) const { return Point(TextWidth(text), TextHeight(text)); }

void TCanvas::TextOut(int x, int y, const QString& text)
{
    const TPoint ext = TextExtent(text);
    TextRect(Rect(x, y, x + ext.X, y + ext.Y), x, y, text);
    FPenPos = Point(x + ext.X, y);
}

void TCanvas::TextRect(const TRect& r, int x, int y, const QString& text)
{
    QImage* img = Image();
    if (!img) return;
    if (FBrush->Style() != bsClear) FillRect(r);
    {
        CanvasPainter cp(this, img);
        cp.p.setClipRect(QRect(r.Left, r.Top, std::max(r.Width(), 0), std::max(r.Height(), 0)), Qt::IntersectClip);
        cp.p.setFont(DeviceFont());
        cp.p.setPen(QColor::fromRgb(Normalised(ToRgb(FTextColor), Monochrome())));
        const QFontMetrics fm(DeviceFont());
        cp.p.drawText(QPoint(x, y + fm.ascent()), text);
    }
    Changed();
}

int TCanvas::DrawText(const QString& text, TRect& r, UINT flags)
{
    int qf = 0;
    if (flags & DT_RIGHT) qf |= Qt::AlignRight;
    else if (flags & DT_CENTER) qf |= Qt::AlignHCenter;
    else qf |= Qt::AlignLeft;
    if (flags & DT_BOTTOM) qf |= Qt::AlignBottom;
    else if (flags & DT_VCENTER) qf |= Qt::AlignVCenter;
    else qf |= Qt::AlignTop;
    if (flags & DT_WORDBREAK) qf |= Qt::TextWordWrap;
    if (flags & DT_SINGLELINE) qf |= Qt::TextSingleLine;
    if (flags & DT_EXPANDTABS) qf |= Qt::TextExpandTabs;
    if (!(flags & DT_NOPREFIX)) qf |= Qt::TextShowMnemonic;
    const QFont font = DeviceFont();
    const QFontMetrics fm(font);
    if (flags & DT_CALCRECT) {
        const int maxW = (flags & DT_WORDBREAK) ? std::max(r.Width(), 1) : 100000;
        const QRect b = fm.boundingRect(QRect(0, 0, maxW, 100000), qf & ~(Qt::AlignVCenter | Qt::AlignBottom), text);
        const int h = text.isEmpty() ? fm.height() : b.height();
        r.Right = r.Left + (text.isEmpty() ? 0 : b.width());
        r.Bottom = r.Top + h;
        return h;
    }
    QImage* img = Image();
    if (!img) return 0;
    {
        CanvasPainter cp(this, img);
        const QRect qr(r.Left, r.Top, std::max(r.Width(), 0), std::max(r.Height(), 0));
        if (!(flags & DT_NOCLIP)) cp.p.setClipRect(qr, Qt::IntersectClip);
        cp.p.setFont(font);
        cp.p.setPen(QColor::fromRgb(Normalised(ToRgb(FTextColor), Monochrome())));
        cp.p.drawText(qr, qf, text);
    }
    Changed();
    const QRect b = fm.boundingRect(QRect(0, 0, std::max(r.Width(), 1), 100000),
                                    qf & ~(Qt::AlignVCenter | Qt::AlignBottom), text);
    return b.height();
}

void TCanvas::Draw(int x, int y, TBitmap* bmp)
{
    if (!bmp || bmp->Empty() || !Image()) return;
    if (!bmp->Transparent()) {
        BitBlt(this, x, y, bmp->Width(), bmp->Height(), bmp->Canvas(), 0, 0, SRCCOPY);
        return;
    }
    const QRgb t = ToRgb(bmp->TransparentColor() & 0x00FFFFFF);
    const QImage& src = bmp->ToImage();
    const TRect clip = ClipRect();
    QImage* img = Image();
    for (int j = 0; j < src.height(); ++j)
        for (int i = 0; i < src.width(); ++i) {
            const QRgb p = src.pixel(i, j) | 0xFF000000u;
            if (p == t) continue;
            const int lx = x + i, ly = y + j;
            if (lx < clip.Left || ly < clip.Top || lx >= clip.Right || ly >= clip.Bottom) continue;
            img->setPixel(lx + Origin().X, ly + Origin().Y, Normalised(p, Monochrome()));
        }
    Changed();
}

void TCanvas::StretchDraw(const TRect& r, TBitmap* bmp)
{
    if (!bmp || bmp->Empty()) return;
    StretchBlt(this, r.Left, r.Top, r.Width(), r.Height(), bmp->Canvas(), 0, 0, bmp->Width(), bmp->Height(),
               SRCCOPY);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* src, const TRect& source)
{
    StretchBlt(this, dest.Left, dest.Top, dest.Width(), dest.Height(), src, source.Left, source.Top,
               source.Width(), source.Height(), FCopyMode);
}

// ------------------------------------------------------------ raster engine

namespace {

bool Blt(TCanvas* dest, int x, int y, int w, int h, TCanvas* src, int sx, int sy, int sw, int sh, DWORD rop)
{
    QImage* di = dest ? dest->Image() : nullptr;
    if (!di) return false;
    const quint8 index = quint8((rop >> 16) & 0xFF);
    const bool usesSrc = ((index >> 2) & 0x33) != (index & 0x33);
    const bool usesPat = ((index >> 4) & 0x0F) != (index & 0x0F);
    QImage* si = src ? src->Image() : nullptr;
    if (usesSrc && !si) return false;
    if (w == 0 || h == 0) return true;
    // Negative extents mirror, as on the original; rare, handled simply.
    if (w < 0) { x += w; w = -w; }
    if (h < 0) { y += h; h = -h; }

    const bool dMono = dest->Monochrome();
    const bool sMono = src && src->Monochrome();
    const QRgb dText = ToRgb(dest->TextColor()), dBk = ToRgb(dest->BkColor());
    const QRgb sBk = src ? ToRgb(src->BkColor()) : 0;

    const TBitmap* pattern = dest->Brush()->Bitmap();
    const bool hasPattern = pattern && !pattern->Empty();
    const QRgb patColour = Normalised(ToRgb(dest->Brush()->Color()), dMono);

    const TRect clip = dest->ClipRect();
    const TPoint dOrg = dest->Origin();
    const TPoint sOrg = src ? src->Origin() : TPoint{};
    for (int j = 0; j < h; ++j) {
        const int ly = y + j;
        if (ly < clip.Top || ly >= clip.Bottom) continue;
        const int dy = ly + dOrg.Y;
        const int syy = sy + (sh == h ? j : int((qint64(j) * sh) / h)) + sOrg.Y;
        for (int i = 0; i < w; ++i) {
            const int lx = x + i;
            if (lx < clip.Left || lx >= clip.Right) continue;
            const int dx = lx + dOrg.X;
            quint32 S = 0, P = 0;
            if (usesSrc) {
                const int sxx = sx + (sw == w ? i : int((qint64(i) * sw) / w)) + sOrg.X;
                // Outside the source reads as white, as an empty device would.
                QRgb sp = (sxx >= 0 && syy >= 0 && sxx < si->width() && syy < si->height()) ? si->pixel(sxx, syy)
                                                                                           : kWhite;
                sp |= 0xFF000000u;
                if (sMono && !dMono)
                    sp = (sp == kWhite) ? dBk : dText;
                else if (!sMono && dMono)
                    sp = (sp == (sBk | 0xFF000000u)) ? kWhite : kBlack;
                S = sp & 0x00FFFFFFu;
            }
            if (usesPat) {
                if (hasPattern) {
                    const QImage& pi = pattern->ToImage();
                    QRgb pp = pi.pixel(dx % pi.width(), dy % pi.height());
                    P = Normalised(pp, dMono) & 0x00FFFFFFu;
                } else {
                    P = patColour & 0x00FFFFFFu;
                }
            }
            const quint32 D = di->pixel(dx, dy) & 0x00FFFFFFu;
            const quint32 r = Rop3(index, P, S, D);
            di->setPixel(dx, dy, Normalised(r | 0xFF000000u, dMono));
        }
    }
    dest->Changed();
    return true;
}

}  // namespace

bool BitBlt(TCanvas* dest, int x, int y, int w, int h, TCanvas* src, int sx, int sy, DWORD rop)
{
    return Blt(dest, x, y, w, h, src, sx, sy, w, h, rop);
}

bool StretchBlt(TCanvas* dest, int x, int y, int w, int h, TCanvas* src, int sx, int sy, int sw, int sh, DWORD rop)
{
    return Blt(dest, x, y, w, h, src, sx, sy, sw, sh, rop);
}

bool PatBlt(TCanvas* dest, int x, int y, int w, int h, DWORD rop)
{
    return Blt(dest, x, y, w, h, nullptr, 0, 0, w, h, rop);
}

// -------------------------------------------------------------------- bitmap

class TBitmap::BitmapCanvas : public TCanvas {
public:
    explicit BitmapCanvas(TBitmap* owner) : FOwner(owner) {}
    QImage* Image() const override { return &FOwner->FImage; }
    bool Monochrome() const override { return FOwner->FMonochrome; }
    void Changed() override { FOwner->Changed(); }
private:
    TBitmap* FOwner;
};

TBitmap::TBitmap() = default;

TBitmap::TBitmap(int w, int h) { SetSize(w, h); }

TBitmap::~TBitmap() { delete FCanvas; }

TCanvas* TBitmap::Canvas()
{
    if (!FCanvas) FCanvas = new BitmapCanvas(this);
    return FCanvas;
}

void TBitmap::SetSize(int w, int h)
{
    w = std::max(w, 0);
    h = std::max(h, 0);
    if (w == Width() && h == Height() && !FImage.isNull()) return;
    QImage n(std::max(w, 1), std::max(h, 1), QImage::Format_RGB32);
    n.fill(kWhite);
    if (w == 0 || h == 0) n = QImage();
    if (!FImage.isNull() && !n.isNull()) {
        QPainter p(&n);
        p.drawImage(0, 0, FImage);
    }
    FImage = n;
    Changed();
}

void TBitmap::SetMonochrome(bool v)
{
    if (v == FMonochrome) return;
    FMonochrome = v;
    if (v && !FImage.isNull()) {
        const QRgb bk = ToRgb(Canvas()->BkColor()) | 0xFF000000u;
        for (int j = 0; j < FImage.height(); ++j)
            for (int i = 0; i < FImage.width(); ++i)
                FImage.setPixel(i, j, (FImage.pixel(i, j) | 0xFF000000u) == bk ? kWhite : kBlack);
    }
    Changed();
}

TColor TBitmap::TransparentColor() const
{
    if (FTransparentMode == tmFixed && FTransparentColor != clDefault) return FTransparentColor;
    if (FImage.isNull()) return clDefault;
    return FromRgb(FImage.pixel(0, FImage.height() - 1)) | 0x02000000;
}

void TBitmap::SetTransparentColor(TColor c)
{
    FTransparentColor = c;
    FTransparentMode = c == clDefault ? tmAuto : tmFixed;
    Changed();
}

void TBitmap::Assign(TPersistent* Source)
{
    if (!Source) {
        FImage = QImage();
        FMonochrome = false;
        Changed();
        return;
    }
    if (auto* b = dynamic_cast<TBitmap*>(Source)) {
        if (b == this) return;
        FImage = b->FImage.copy();
        FMonochrome = b->FMonochrome;
        FTransparent = b->FTransparent;
        FTransparentMode = b->FTransparentMode;
        FTransparentColor = b->FTransparentColor;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TBitmap::SetImage(const QImage& img)
{
    FImage = img.isNull() ? QImage() : img.convertToFormat(QImage::Format_RGB32);
    FMonochrome = false;
    Changed();
}

void TBitmap::LoadFromFile(const QString& fileName)
{
    QImageReader r(fileName);
    QImage img = r.read();
    if (img.isNull()) throw EInvalidGraphic(QStringLiteral("Cannot read the picture %1").arg(fileName));
    // A picture of black and white only (and an indexed one of two colours)
    // is kept monochrome.
    const bool mono = img.format() == QImage::Format_Mono || img.format() == QImage::Format_MonoLSB ||
                      (img.colorCount() == 2 && img.color(0) == kBlack && img.color(1) == kWhite) ||
                      (img.colorCount() == 2 && img.color(1) == kBlack && img.color(0) == kWhite);
    FImage = img.convertToFormat(QImage::Format_RGB32);
    FMonochrome = mono;
    Changed();
}

void TBitmap::LoadFromResourceName(const QString& name)
{
    for (const char* ext : {".bmp", ".xpm", ".png", ".pbm", ""}) {
        const QString path = QStringLiteral(":/") + name + QLatin1String(ext);
        if (QFile::exists(path)) {
            LoadFromFile(path);
            return;
        }
    }
    throw EInvalidGraphic(QStringLiteral("Resource %1 not found").arg(name));
}

void TBitmap::SaveToFile(const QString& fileName) const
{
    if (!FImage.save(fileName)) throw EInvalidGraphic(QStringLiteral("Cannot write the picture %1").arg(fileName));
}

void TBitmap::Changed()
{
    if (OnChange) OnChange(this);
}

TBitmap* AllocPatternBitmap(TColor back, TColor fore)
{
    auto* b = new TBitmap(8, 8);
    const QRgb bc = ToRgb(back), fc = ToRgb(fore);
    for (int j = 0; j < 8; ++j)
        for (int i = 0; i < 8; ++i) b->ImageRef().setPixel(i, j, ((i + j) & 1) ? fc : bc);
    return b;
}

namespace {
std::function<void()>& BeepHandler()
{
    static std::function<void()> h;
    return h;
}
}  // namespace

void MessageBeep()
{
    if (BeepHandler())
        BeepHandler()();
    else if (qApp)
        QApplication::beep();
}

void SetBeepHandler(std::function<void()> handler) { BeepHandler() = std::move(handler); }
