#include "components/DrawUtils.h"

#include <cstdlib>
#include <cstring>

#include <QPainter>

#include "components/QvConst.h"
#include "platform/ui/Forms.h"
#include "platform/ui/PaintCtrls.h"

TColor PaletteRelativeColor(TColor Color) { return ColorToRGBPlain(Color) | 0x02000000; }

void PaintParentBackground(TControl* Control, TCanvas* Dest)
{
    TWinControl* parent = Control ? Control->Parent() : nullptr;
    if (!parent || !Dest) return;
    const TPoint keep = Dest->Origin();
    const TPoint off = Point(keep.X - Control->Left(), keep.Y - Control->Top());
    // The parent's own background.
    Dest->SetOrigin(off);
    const TColor brush = Dest->Brush()->Color();
    Dest->Brush()->SetColor(parent->Color());
    Dest->FillRect(parent->ClientRect());
    Dest->Brush()->SetColor(brush);
    // Then the graphic siblings below the control, each at its own place.
    const TRect me = Control->BoundsRect();
    for (int i = 0; i < parent->ControlCount(); ++i) {
        TControl* c = parent->Controls(i);
        if (c == Control) break;
        auto* g = dynamic_cast<TGraphicControl*>(c);
        if (!g || !g->Visible()) continue;
        const TRect b = g->BoundsRect();
        if (b.Right <= me.Left || b.Left >= me.Right || b.Bottom <= me.Top || b.Top >= me.Bottom) continue;
        TImageCanvas src;
        QImage img = g->PaintTo();
        src.SetImage(&img);
        Dest->SetOrigin(Point(off.X + b.Left, off.Y + b.Top));
        BitBlt(Dest, 0, 0, b.Width(), b.Height(), &src, 0, 0, SRCCOPY);
    }
    Dest->SetOrigin(keep);
}

void StretchBltMasked(TCanvas* Dest, int X, int Y, int W, int H, TCanvas* Src, int SrcX, int SrcY, int SrcW,
                      int SrcH, TColor TransparentColor)
{
    if (!Dest || !Src || !Src->Image() || !Dest->Image()) return;
    // Source copy, mask (transparent pixels 1) and its inverse.
    TBitmap srcCopy(SrcW, SrcH), mask(SrcW, SrcH), invMask(SrcW, SrcH), work(W, H);
    mask.SetMonochrome(true);
    invMask.SetMonochrome(true);
    BitBlt(srcCopy.Canvas(), 0, 0, SrcW, SrcH, Src, SrcX, SrcY, SRCCOPY);
    srcCopy.Canvas()->SetBkColor(PaletteRelativeColor(TransparentColor) & 0x00FFFFFF);
    BitBlt(mask.Canvas(), 0, 0, SrcW, SrcH, srcCopy.Canvas(), 0, 0, SRCCOPY);
    BitBlt(invMask.Canvas(), 0, 0, SrcW, SrcH, mask.Canvas(), 0, 0, NOTSRCCOPY);
    // Monochrome onto colour: 0 black, 1 white.
    for (TBitmap* b : {&srcCopy, &work}) {
        b->Canvas()->SetTextColor(clBlack);
        b->Canvas()->SetBkColor(clWhite);
    }
    BitBlt(work.Canvas(), 0, 0, W, H, Dest, X, Y, SRCCOPY);
    StretchBlt(work.Canvas(), 0, 0, W, H, mask.Canvas(), 0, 0, SrcW, SrcH, SRCAND);
    BitBlt(srcCopy.Canvas(), 0, 0, SrcW, SrcH, invMask.Canvas(), 0, 0, SRCAND);
    StretchBlt(work.Canvas(), 0, 0, W, H, srcCopy.Canvas(), 0, 0, SrcW, SrcH, SRCPAINT);
    BitBlt(Dest, X, Y, W, H, work.Canvas(), 0, 0, SRCCOPY);
}

void DrawBitmapRectMasked(TCanvas* Dest, int X, int Y, int W, int H, TBitmap* Bitmap, int SrcX, int SrcY, int SrcW,
                          int SrcH, TColor TransparentColor)
{
    if (!Dest || !Bitmap || Bitmap->Empty()) return;
    if (W < 1 || H < 1) { W = Bitmap->Width(); H = Bitmap->Height(); }
    if (SrcW < 1 || SrcH < 1) { SrcX = 0; SrcY = 0; SrcW = Bitmap->Width(); SrcH = Bitmap->Height(); }
    if (TransparentColor == clNone) {
        StretchBlt(Dest, X, Y, W, H, Bitmap->Canvas(), SrcX, SrcY, SrcW, SrcH, Dest->CopyMode());
        return;
    }
    TColor mc;
    if (Bitmap->Monochrome())
        mc = clWhite;
    else if (TransparentColor == clDefault)
        mc = Bitmap->Canvas()->Pixel(0, Bitmap->Height() - 1);
    else
        mc = ColorToRGBPlain(TransparentColor);
    StretchBltMasked(Dest, X, Y, W, H, Bitmap->Canvas(), SrcX, SrcY, SrcW, SrcH, mc);
}

void DrawBitmapMasked(TCanvas* Dest, int X, int Y, TBitmap* Bitmap, TColor TransparentColor)
{
    if (!Bitmap) return;
    DrawBitmapRectMasked(Dest, X, Y, Bitmap->Width(), Bitmap->Height(), Bitmap, 0, 0, Bitmap->Width(),
                         Bitmap->Height(), TransparentColor);
}

TBitmap* MakeDisabledBitmapEx(TBitmap* Original, TColor OutlineColor, TColor BackColor, TColor HighlightColor,
                              TColor ShadowColor, bool DrawHighlight)
{
    const int w = Original ? Original->Width() : 0, h = Original ? Original->Height() : 0;
    auto* result = new TBitmap(w, h);
    if (!Original || Original->Empty()) return result;
    // The stencil: the outline colour's pixels white, the rest black.
    TBitmap stencil;
    stencil.Assign(Original);
    if (stencil.Monochrome()) stencil.SetMonochrome(false);
    stencil.Canvas()->Brush()->SetColor(OutlineColor);
    stencil.SetMonochrome(true);

    TCanvas* c = result->Canvas();
    c->Brush()->SetColor(BackColor);
    c->FillRect(Rect(0, 0, w, h));
    c->SetTextColor(clBlack);
    c->SetBkColor(clWhite);
    if (DrawHighlight) {
        c->Brush()->SetColor(HighlightColor);
        c->SetTextColor(clBlack);
        c->SetBkColor(clWhite);
        BitBlt(c, 1, 1, w - 1, h - 1, stencil.Canvas(), 0, 0, ROP_DSPDxax);
    }
    c->Brush()->SetColor(ShadowColor);
    c->SetTextColor(clBlack);
    c->SetBkColor(clWhite);
    BitBlt(c, 0, 0, w, h, stencil.Canvas(), 0, 0, ROP_DSPDxax);
    return result;
}

TBitmap* MakeDisabledBitmap(TBitmap* Original, TColor OutlineColor)
{
    return MakeDisabledBitmapEx(Original, OutlineColor, clBtnFace, clBtnHighlight, clBtnShadow, true);
}

void DrawImageDisabled(TImageList* Images, TCanvas* Canvas, int X, int Y, int Index, bool DrawHighlight,
                       TColor HighlightColor, TColor ShadowColor)
{
    if (!Images || !Canvas || !Images->ValidIndex(Index)) return;
    TBitmap mask;
    Images->GetMask(Index, &mask);   // 0 where the image shows
    const TColor keep = Canvas->Brush()->Color();
    auto lay = [&](int x, int y, TColor colour) {
        Canvas->Brush()->SetColor(colour);
        Canvas->SetTextColor(clWhite);
        Canvas->SetBkColor(clBlack);
        BitBlt(Canvas, x, y, Images->Width(), Images->Height(), mask.Canvas(), 0, 0, ROP_DSPDxax);
    };
    if (DrawHighlight) lay(X + 1, Y + 1, HighlightColor);
    lay(X, Y, ShadowColor);
    Canvas->Brush()->SetColor(keep);
}

namespace {
TBitmap*& Scratch()
{
    static TBitmap* b = nullptr;
    return b;
}
}  // namespace

TBitmap* EnsureScratchBitmap()
{
    if (!Scratch()) Scratch() = new TBitmap;
    return Scratch();
}

void FreeScratchBitmap()
{
    delete Scratch();
    Scratch() = nullptr;
}

void WriteCellText(TCanvas* Canvas, const TRect& ARect, int DX, int DY, const QString& Text, TAlignment Alignment,
                   bool WordWrap, bool ARightToLeft)
{
    if (!Canvas) return;
    const bool solid = Canvas->Brush()->Style() == bsSolid && !Canvas->Brush()->Bitmap();
    if (!WordWrap && solid && !Text.contains(QLatin1Char('\r'))) {
        int x = 0;
        switch (Alignment) {
        case taLeftJustify: x = ARect.Left + DX; break;
        case taRightJustify: x = ARect.Right - Canvas->TextWidth(Text) - 3; break;
        case taCenter: x = ARect.Left + ARect.Width() / 2 - Canvas->TextWidth(Text) / 2; break;
        }
        Canvas->SetTextColor(Canvas->Font()->Color());
        Canvas->TextRect(ARect, x, ARect.Top + DY, Text);
        return;
    }
    // Through the scratch bitmap: filled, then the text wrapped into it.
    TBitmap* s = EnsureScratchBitmap();
    const int w = std::max(ARect.Width(), 1), h = std::max(ARect.Height(), 1);
    if (s->Width() < w || s->Height() < h) s->SetSize(std::max(s->Width(), w), std::max(s->Height(), h));
    TCanvas* sc = s->Canvas();
    sc->SetFont(Canvas->Font());
    sc->Brush()->SetColor(Canvas->Brush()->Color());
    sc->FillRect(Rect(0, 0, w, h));
    sc->SetTextColor(Canvas->Font()->Color());
    UINT flags = Alignment == taRightJustify ? 0x842 : Alignment == taCenter ? 0x841 : 0x840;
    if (WordWrap) flags |= DT_WORDBREAK;
    if (ARightToLeft) flags |= DT_RTLREADING;
    TRect tr = Rect(DX, DY, w - 1, h - 1);
    sc->DrawText(Text, tr, flags);
    BitBlt(Canvas, ARect.Left, ARect.Top, w, h, sc, 0, 0, SRCCOPY);
}

void DrawCellTextAligned(TCanvas* Canvas, const QString& Text, const TRect& ARect, TAlignment Align,
                         TVertAlignment VertAlign, bool WordWrap, bool ARightToLeft)
{
    const int hW = Canvas->TextHeight(QStringLiteral("W"));
    int dy = 2;
    if (VertAlign == vaCenterJustify) dy = std::max(1, (ARect.Height() - hW) / 2);
    else if (VertAlign == vaBottomJustify) dy = std::max(2, ARect.Height() - hW);
    WriteCellText(Canvas, ARect, 2, dy, Text, Align, WordWrap, ARightToLeft);
}

void DrawCellTextPlain(TCanvas* Canvas, const QString& Text, const TRect& ARect, TAlignment Align,
                       TVertAlignment VertAlign, bool WordWrap)
{
    DrawCellTextAligned(Canvas, Text, ARect, Align, VertAlign, WordWrap, false);
}

void DrawCellTextAligned(TCanvas* Canvas, const QString& Text, const TRect& ARect, TAlignment Align,
                         TVertAlignment VertAlign)
{
    DrawCellTextAligned(Canvas, Text, ARect, Align, VertAlign, Align == taCenter, false);
}

QString ShortenTextToWidth(const QString& Text, TCanvas* Canvas, int MaxWidth)
{
    QString result = Text;
    int i = 1;
    const int len = int(Text.size());
    while (i <= len && Canvas->TextWidth(result) > MaxWidth) {
        ++i;
        result = Text.left(std::max(0, len - i)) + QStringLiteral("...");
    }
    return result;
}

void* AllocZeroedBlock(int Size)
{
    if (Size < 1) return nullptr;
    return std::calloc(size_t(Size), 1);
}

void FreeBlock(void*& P)
{
    if (P) std::free(P);
    P = nullptr;
}

bool IsAppForeground() { return Application->Active() || Screen->ActiveForm() != nullptr; }

void DefaultBeep() { MessageBeep(); }

void LoadActionPictures(TImageList* List, int Count, std::initializer_list<TActionPicture> Pictures)
{
    EnsureComponentResources();
    if (List->Count() < Count) List->SetCount(Count);
    for (const TActionPicture& p : Pictures) {
        const QImage img(QStringLiteral(":/icons/%1.png").arg(QString::fromLatin1(p.Name)));
        if (img.isNull()) throw EReadError(QStringLiteral("Picture %1 not found").arg(QString::fromLatin1(p.Name)));
        List->ReplacePicture(p.Index, img);
    }
}

void DrawWindowsPicture(TImageList* List, int Index, std::initializer_list<TRect> Windows)
{
    QImage img(List->Width(), List->Height(), QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    for (const TRect& r : Windows) {
        const QRect q(r.Left, r.Top, r.Right - r.Left - 1, r.Bottom - r.Top - 1);
        p.fillRect(q, QColor(0xee, 0xee, 0xec));
        p.fillRect(QRect(q.left(), q.top(), q.width() + 1, 3), QColor(0x34, 0x65, 0xa4));
        p.setPen(QColor(0x2e, 0x34, 0x36));
        p.drawRect(q);
    }
    p.end();
    List->ReplacePicture(Index, img);
}
