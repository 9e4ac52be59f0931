// Drawing routines checked pixel by pixel on small bitmaps.
#include <gtest/gtest.h>

#include "GuiFixture.h"
#include "components/DrawUtils.h"

namespace {

// A 4 x 2 bitmap: red, fuchsia (transparent), blue, fuchsia / all green.
TBitmap* Sample()
{
    auto* b = new TBitmap(4, 2);
    const TColor row0[] = {clRed, clFuchsia, clBlue, clFuchsia};
    for (int x = 0; x < 4; ++x) {
        b->Canvas()->SetPixel(x, 0, row0[x]);
        b->Canvas()->SetPixel(x, 1, clGreen);
    }
    return b;
}

TEST(DrawUtils, TransparentColourLeavesTheDestination)
{
    TApplication::EnsureQtApplication();
    std::unique_ptr<TBitmap> src(Sample());
    struct Case { TColor transparent; TColor at1; TColor at3; };
    // clNone draws opaque; a colour found nowhere draws opaque too.
    const Case cases[] = {{clFuchsia, clYellow, clYellow}, {clNone, clFuchsia, clFuchsia}, {clAqua, clFuchsia, clFuchsia}};
    for (const Case& c : cases) {
        TBitmap dst(6, 3);
        dst.Canvas()->Brush()->SetColor(clYellow);
        dst.Canvas()->FillRect(Rect(0, 0, 6, 3));
        DrawBitmapMasked(dst.Canvas(), 1, 0, src.get(), c.transparent);
        EXPECT_EQ(dst.Canvas()->Pixel(1, 0), clRed);
        EXPECT_EQ(dst.Canvas()->Pixel(2, 0), c.at1) << c.transparent;
        EXPECT_EQ(dst.Canvas()->Pixel(3, 0), clBlue);
        EXPECT_EQ(dst.Canvas()->Pixel(4, 0), c.at3);
        EXPECT_EQ(dst.Canvas()->Pixel(2, 1), clGreen);
        EXPECT_EQ(dst.Canvas()->Pixel(0, 0), clYellow);
    }
}

TEST(DrawUtils, DefaultTransparentIsBottomLeftAndStretchDoubles)
{
    TApplication::EnsureQtApplication();
    std::unique_ptr<TBitmap> src(Sample());
    TBitmap dst(8, 4);
    dst.Canvas()->Brush()->SetColor(clWhite);
    dst.Canvas()->FillRect(Rect(0, 0, 8, 4));
    DrawBitmapRectMasked(dst.Canvas(), 0, 0, 8, 4, src.get(), 0, 0, 0, 0, clDefault);   // green is transparent
    EXPECT_EQ(dst.Canvas()->Pixel(0, 0), clRed);
    EXPECT_EQ(dst.Canvas()->Pixel(1, 1), clRed);
    EXPECT_EQ(dst.Canvas()->Pixel(4, 1), clBlue);
    EXPECT_EQ(dst.Canvas()->Pixel(0, 2), clWhite);
    EXPECT_EQ(dst.Canvas()->Pixel(7, 3), clWhite);
}

TEST(DrawUtils, DisabledBitmapEmbossesTheOutline)
{
    TApplication::EnsureQtApplication();
    TBitmap src(4, 4);
    src.Canvas()->Brush()->SetColor(clWhite);
    src.Canvas()->FillRect(Rect(0, 0, 4, 4));
    src.Canvas()->SetPixel(1, 1, clBlack);
    std::unique_ptr<TBitmap> d(MakeDisabledBitmapEx(&src, clBlack, clSilver, clWhite, clGray, true));
    EXPECT_EQ(d->Canvas()->Pixel(1, 1), clGray);    // shadow in place
    EXPECT_EQ(d->Canvas()->Pixel(2, 2), clWhite);   // highlight one right and down
    EXPECT_EQ(d->Canvas()->Pixel(0, 0), clSilver);
    EXPECT_EQ(d->Canvas()->Pixel(3, 1), clSilver);
    std::unique_ptr<TBitmap> flat(MakeDisabledBitmapEx(&src, clBlack, clSilver, clWhite, clGray, false));
    EXPECT_EQ(flat->Canvas()->Pixel(2, 2), clSilver);
}

TEST(DrawUtils, ImageListImageGreyed)
{
    TApplication::EnsureQtApplication();
    TImageList il(2, 1);
    TBitmap img(2, 1);
    img.Canvas()->SetPixel(0, 0, clRed);
    img.Canvas()->SetPixel(1, 0, clFuchsia);
    il.AddMasked(&img, clFuchsia);
    TBitmap dst(4, 3);
    dst.Canvas()->Brush()->SetColor(clYellow);
    dst.Canvas()->FillRect(Rect(0, 0, 4, 3));
    DrawImageDisabled(&il, dst.Canvas(), 0, 0, 0, true, clWhite, clGray);
    EXPECT_EQ(dst.Canvas()->Pixel(0, 0), clGray);
    EXPECT_EQ(dst.Canvas()->Pixel(1, 1), clWhite);
    EXPECT_EQ(dst.Canvas()->Pixel(1, 0), clYellow) << "the mask's transparent pixel stays";
    EXPECT_EQ(dst.Canvas()->Brush()->Color(), clYellow);
}

TEST(DrawUtils, ShortenTextToWidth)
{
    TApplication::EnsureQtApplication();
    TBitmap b(10, 10);
    TCanvas* c = b.Canvas();
    EXPECT_EQ(ShortenTextToWidth(QStringLiteral("abc"), c, 1000), QStringLiteral("abc"));
    EXPECT_EQ(ShortenTextToWidth(QStringLiteral("ab"), c, 1), QStringLiteral("..."));
    const QString s = QStringLiteral("abcdefghij");
    const int w = c->TextWidth(QStringLiteral("abcdef..."));
    EXPECT_EQ(ShortenTextToWidth(s, c, w), QStringLiteral("abcdef..."));
    EXPECT_EQ(ShortenTextToWidth(s, c, w - 1), QStringLiteral("abcde..."));
}

// Where the first dark pixel of a row range lies.
int FirstInk(TCanvas* c, const TRect& r, bool fromRight)
{
    for (int i = 0; i < r.Width(); ++i) {
        const int x = fromRight ? r.Right - 1 - i : r.Left + i;
        for (int y = r.Top; y < r.Bottom; ++y)
            if (GetRValue(c->Pixel(x, y)) < 128) return x;
    }
    return -1;
}

TEST(DrawUtils, CellTextAlignsAndCentredWraps)
{
    TApplication::EnsureQtApplication();
    TBitmap b(120, 60);
    TCanvas* c = b.Canvas();
    c->Font()->SetColor(clBlack);
    const TRect cell = Rect(0, 0, 120, 20);
    auto draw = [&](TAlignment a, const QString& t) {
        c->Brush()->SetColor(clWhite);
        c->FillRect(Rect(0, 0, 120, 60));
        DrawCellTextAligned(c, t, cell, a, vaTopJustify);
    };
    draw(taLeftJustify, QStringLiteral("Ab"));
    const int leftInk = FirstInk(c, cell, false);
    EXPECT_GE(leftInk, 2);
    EXPECT_LE(leftInk, 4);
    draw(taRightJustify, QStringLiteral("Ab"));
    const int rightInk = FirstInk(c, cell, true);
    EXPECT_GE(rightInk, 120 - 3 - 3);
    EXPECT_LE(rightInk, 120 - 3);
    draw(taCenter, QStringLiteral("Ab"));
    const int l = FirstInk(c, cell, false), r = FirstInk(c, cell, true);
    EXPECT_NEAR((l + r) / 2, 60, 3);
    // Centred text wraps inside a narrow cell; left-aligned is cut instead.
    const TRect narrow = Rect(0, 0, 40, 60);
    auto inkBelow = [&](int y0) {
        for (int y = y0; y < 60; ++y)
            for (int x = 0; x < 40; ++x)
                if (GetRValue(c->Pixel(x, y)) < 128) return true;
        return false;
    };
    const int lineH = c->TextHeight(QStringLiteral("W"));
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, 120, 60));
    DrawCellTextAligned(c, QStringLiteral("aa bb cc dd"), narrow, taCenter, vaTopJustify);
    EXPECT_TRUE(inkBelow(lineH + 3));
    c->FillRect(Rect(0, 0, 120, 60));
    DrawCellTextAligned(c, QStringLiteral("aa bb cc dd"), narrow, taLeftJustify, vaTopJustify);
    EXPECT_FALSE(inkBelow(lineH + 3));
    EXPECT_EQ(c->Pixel(50, 5), clWhite) << "clipped to the cell";
}

TEST(DrawUtils, RasterOperationsAndBlocks)
{
    TApplication::EnsureQtApplication();
    TBitmap a(1, 1), d(1, 1);
    struct Case { DWORD rop; TColor src, dst, want; };
    const Case cases[] = {{SRCCOPY, RGB(10, 20, 30), clWhite, RGB(10, 20, 30)},
                          {SRCAND, RGB(0xF0, 0x0F, 0xFF), RGB(0x3C, 0xFF, 0x00), RGB(0x30, 0x0F, 0x00)},
                          {SRCPAINT, RGB(0xF0, 0x00, 0x01), RGB(0x0F, 0x00, 0x02), RGB(0xFF, 0x00, 0x03)},
                          {SRCINVERT, RGB(0xFF, 0x0F, 0), RGB(0x0F, 0x0F, 0), RGB(0xF0, 0, 0)},
                          {NOTSRCCOPY, RGB(0xFF, 0, 0x0F), clBlack, RGB(0, 0xFF, 0xF0)}};
    for (const Case& c : cases) {
        a.Canvas()->SetPixel(0, 0, c.src);
        d.Canvas()->SetPixel(0, 0, c.dst);
        BitBlt(d.Canvas(), 0, 0, 1, 1, a.Canvas(), 0, 0, c.rop);
        EXPECT_EQ(d.Canvas()->Pixel(0, 0), c.want) << std::hex << c.rop;
    }
    void* p = AllocZeroedBlock(0);
    EXPECT_EQ(p, nullptr);
    FreeBlock(p);
    p = AllocZeroedBlock(16);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(static_cast<unsigned char*>(p)[15], 0);
    FreeBlock(p);
    EXPECT_EQ(p, nullptr);
}

}  // namespace
