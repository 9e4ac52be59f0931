// The speed button: glyph strips and their states, layout, held-button
// repeats, groups; pictures of its states.
#include <QPainter>

#include "GuiFixture.h"
#include "components/PickDate.h"
#include "components/QvConst.h"
#include "components/QvCtrls.h"

namespace {

// Shows the state a press would give, without the mouse.
struct ProbeButton : TQvSpeedButton {
    using TQvSpeedButton::TQvSpeedButton;
    void Press() { FState = rbsDown; }
};

class SpeedButtonTest : public GuiTest {
protected:
    TQvSpeedButton* Make(int x = 10)
    {
        auto* b = new TQvSpeedButton(Form);
        b->SetParent(Form);
        b->SetBounds(x, 10, 40, 30);
        return b;
    }
};

TBitmap Strip(int w, int h)
{
    TBitmap b(w, h);
    b.Canvas()->Brush()->SetColor(clFuchsia);
    b.Canvas()->FillRect(Rect(0, 0, w, h));
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(Rect(2, 2, 6, 6));
    return b;
}

TEST_F(SpeedButtonTest, GlyphCountFromTheStripAndClipping)
{
    TQvSpeedButton* b = Make();
    TBitmap s = Strip(32, 16);
    b->SetGlyph(&s);
    EXPECT_EQ(b->NumGlyphs(), 2);
    TBitmap odd = Strip(28, 12);
    b->SetNumGlyphs(3);
    b->SetGlyph(&odd);
    EXPECT_EQ(b->NumGlyphs(), 3) << "a width no multiple of the height keeps the count";
    b->SetNumGlyphs(7);
    EXPECT_EQ(b->NumGlyphs(), 5);
}

TEST_F(SpeedButtonTest, GlyphImagesSharedAndStatesMade)
{
    TQvSpeedButton* a = Make(10);
    TQvSpeedButton* b = Make(60);
    TBitmap s = Strip(16, 16);
    a->SetGlyph(&s);
    b->SetGlyph(&s);
    const int ia = a->ButtonGlyph()->CreateButtonGlyph(rbsUp);
    const int ib = b->ButtonGlyph()->CreateButtonGlyph(rbsUp);
    EXPECT_EQ(a->ButtonGlyph()->GlyphList(), b->ButtonGlyph()->GlyphList());
    EXPECT_NE(ia, ib);
    // Down with one glyph is the up image.
    EXPECT_EQ(a->ButtonGlyph()->CreateButtonGlyph(rbsDown), ia);
    // Disabled with one glyph: embossed, the red square gone grey-shadowed.
    const int id = a->ButtonGlyph()->CreateButtonGlyph(rbsDisabled);
    TBitmap img;
    img.Canvas()->Brush()->SetColor(clWhite);
    a->ButtonGlyph()->GlyphList()->GetBitmap(id, &img);
    EXPECT_NE(img.Canvas()->Pixel(3, 3), clRed);
    // Inactive: grey of red = (255 * 77) >> 8.
    const int ii = a->ButtonGlyph()->CreateButtonGlyph(rbsInactive);
    a->ButtonGlyph()->GlyphList()->GetBitmap(ii, &img);
    EXPECT_EQ(img.Canvas()->Pixel(3, 3), RGB(76, 76, 76));
}

TEST_F(SpeedButtonTest, LayoutCentresGlyphAndCaption)
{
    TQvSpeedButton* b = Make();
    TBitmap s = Strip(10, 10);
    b->SetGlyph(&s);
    TQvButtonGlyph* g = b->ButtonGlyph();
    TBitmap canvasHost(1, 1);
    TPoint gp;
    TRect tb;
    QString cap;
    // No caption, glyph top: centred both ways.
    g->CalcButtonLayout(canvasHost.Canvas(), Rect(0, 0, 40, 30), Point(0, 0), cap, blGlyphTop, -1, 1, gp, tb, false, 0);
    EXPECT_EQ(gp, Point(15, 10));
    // Margin and spacing -1: equal gaps along the axis.
    cap = QStringLiteral("Ab");
    g->CalcButtonLayout(canvasHost.Canvas(), Rect(0, 0, 100, 30), Point(0, 0), cap, blGlyphLeft, -1, -1, gp, tb, false, 0);
    const int gap = (100 - (10 + tb.Width())) / 3;
    EXPECT_EQ(gp.X, gap);
    EXPECT_EQ(tb.Left, gap + 10 + gap);
}

TEST_F(SpeedButtonTest, HeldTimerButtonRepeats)
{
    auto* b = new TQvTimerSpeedButton(Form);
    b->SetParent(Form);
    b->SetBounds(10, 10, 20, 20);
    Events();
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    QWidget* w = b->Widget();
    MousePress(w, QPoint(5, 5));
    ASSERT_NE(b->RepeatTimer(), nullptr);
    EXPECT_EQ(b->RepeatTimer()->Interval(), 500u);
    EXPECT_TRUE(b->RepeatTimer()->Enabled());
    b->RepeatTimer()->Fire();   // the initial pause is over
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(b->RepeatTimer()->Interval(), 100u);
    b->RepeatTimer()->Fire();
    EXPECT_EQ(clicks, 2);
    MouseMove(w, QPoint(50, 5));   // outside: the clicks pause
    b->RepeatTimer()->Fire();
    EXPECT_EQ(clicks, 2);
    MouseMove(w, QPoint(5, 5));
    b->RepeatTimer()->Fire();
    EXPECT_EQ(clicks, 3);
    MouseRelease(w, QPoint(5, 5));   // one more on release inside
    EXPECT_EQ(clicks, 4);
    EXPECT_FALSE(b->RepeatTimer()->Enabled());
}

TEST_F(SpeedButtonTest, RepeatedClickThatFailsStopsTheTimer)
{
    auto* b = new TQvTimerSpeedButton(Form);
    b->SetParent(Form);
    Events();
    b->OnClick = [](TObject*) { throw Exception(QStringLiteral("boom")); };
    MousePress(b->Widget(), QPoint(3, 3));
    EXPECT_THROW(b->RepeatTimer()->Fire(), Exception);
    EXPECT_FALSE(b->RepeatTimer()->Enabled());
}

TEST_F(SpeedButtonTest, GroupKeepsOneDown)
{
    TQvSpeedButton* a = Make(10);
    TQvSpeedButton* b = Make(60);
    a->SetDown(true);
    EXPECT_FALSE(a->Down()) << "no group, no down";
    a->SetGroupIndex(1);
    b->SetGroupIndex(1);
    Events();
    MouseClick(a->Widget(), QPoint(5, 5));
    EXPECT_TRUE(a->Down());
    EXPECT_EQ(a->State(), rbsExclusive);
    MouseClick(b->Widget(), QPoint(5, 5));
    EXPECT_TRUE(b->Down());
    EXPECT_FALSE(a->Down());
    MouseClick(b->Widget(), QPoint(5, 5));
    EXPECT_TRUE(b->Down()) << "AllowAllUp off: the last one stays down";
    b->SetAllowAllUp(true);
    MouseClick(b->Widget(), QPoint(5, 5));
    EXPECT_FALSE(b->Down());
    EXPECT_TRUE(a->AllowAllUp()) << "the group shares AllowAllUp";
}

TEST_F(SpeedButtonTest, ExtraCursorsAndArrowPictures)
{
    LoadExtraCursors();
    QCursor c;
    ASSERT_TRUE(FindExtraCursor(crHand, c));
    EXPECT_EQ(c.pixmap().width(), 32);
    EXPECT_TRUE(FindExtraCursor(crDragHand, c));
    for (const char* n : {"PREV2", "PREV1", "NEXT1", "NEXT2"}) {
        std::unique_ptr<TBitmap> b(LoadComponentBitmap(QString::fromLatin1(n)));
        EXPECT_EQ(b->Width(), 8) << n;
        EXPECT_EQ(b->Height(), 6) << n;
        EXPECT_TRUE(b->Monochrome()) << n;
    }
}

TEST_F(SpeedButtonTest, PicturesOfTheStates)
{
    TBitmap* g = LoadComponentBitmap(QStringLiteral("DEDITBMP"));
    ASSERT_EQ(g->Width(), 28);
    ASSERT_EQ(g->Height(), 12);
    QImage sheet(5 * 44, 34, QImage::Format_RGB32);
    sheet.fill(Qt::white);
    QPainter p(&sheet);
    int x = 0;
    for (int k = 0; k < 5; ++k) {
        auto* b = new ProbeButton(Form);
        b->SetParent(Form);
        b->SetBounds(10, 10, 40, 30);
        b->SetGlyph(g);
        b->SetNumGlyphs(2);
        b->SetCaption(k == 4 ? QStringLiteral("Flat") : QString());
        if (k == 1) b->SetEnabled(false);
        if (k == 2) b->Press();
        if (k == 3) { b->SetGroupIndex(5); b->SetDown(true); }
        if (k == 4) b->SetFlat(true);
        p.drawImage(x, 2, b->PaintTo());
        x += 44;
    }
    p.end();
    delete g;
    Screenshot(sheet, "speed_button_states");
}

}  // namespace
