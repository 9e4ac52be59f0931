#pragma once
// Drawing surfaces: pens, brushes, canvases, bitmaps and the raster
// operations of the original graphics interface.
//
// Every canvas draws into an image (QImage, 32 bits per pixel). A bitmap owns
// its image; a control's canvas draws into the control's off-screen image,
// which the control puts on the screen when Qt paints it. Drawing therefore
// never depends on the screen, and raster operations work pixel by pixel
// exactly as the original ones: BitBlt/StretchBlt combine pattern (the
// destination's brush), source and destination bit by bit by the operation's
// truth table (the third byte of the ROP code), so SRCCOPY, SRCAND,
// SRCPAINT, SRCINVERT, NOTSRCCOPY, 0xE20746 and any other code behave alike.
//
// Colour rules of the device contexts, kept here:
// - every canvas has a text colour and a background colour (the font colour
//   and the brush colour unless set apart with SetTextColor/SetBkColor);
// - a monochrome source copied onto a colour destination: bits 0 take the
//   destination's text colour, bits 1 its background colour;
// - a colour source copied onto a monochrome destination: pixels equal to
//   the source's background colour become 1 (white), all others 0 (black).
// A monochrome bitmap holds only pure black and pure white pixels.
//
// Text drawing (DrawText with the DT_ flags) aligns left, right or centred,
// top, middle (single line) or bottom, wraps words and measures (DT_CALCRECT).
#include <QImage>
#include <QString>
#include <functional>

#include "platform/ui/Graphics.h"
#include "platform/ui/Windows.h"

// Raster operations.
constexpr DWORD SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6, SRCINVERT = 0x00660046,
                SRCERASE = 0x00440328, NOTSRCCOPY = 0x00330008, NOTSRCERASE = 0x001100A6,
                MERGECOPY = 0x00C000CA, MERGEPAINT = 0x00BB0226, PATCOPY = 0x00F00021, PATPAINT = 0x00FB0A09,
                PATINVERT = 0x005A0049, DSTINVERT = 0x00550009, BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062,
                ROP_DSPDxax = 0x00E20746;

// DrawText flags.
constexpr UINT DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4, DT_BOTTOM = 0x8,
               DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40, DT_TABSTOP = 0x80,
               DT_NOCLIP = 0x100, DT_EXTERNALLEADING = 0x200, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800,
               DT_END_ELLIPSIS = 0x8000, DT_RTLREADING = 0x20000;

// Stretch modes (only the deleting one is meaningful here: nearest pixel).
constexpr int BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, STRETCH_DELETESCANS = 3;

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear };
enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBitmap;

class TPen : public TPersistent {
    QV_CLASS(TPen, TPersistent)
public:
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { FColor = v; Changed(); }
    int Width() const { return FWidth; }
    void SetWidth(int v) { FWidth = v < 1 ? 1 : v; Changed(); }
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle v) { FStyle = v; Changed(); }
    void Assign(TPersistent* Source) override;
    TNotifyEvent OnChange;
private:
    void Changed() { if (OnChange) OnChange(this); }
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
};

class TBrush : public TPersistent {
    QV_CLASS(TBrush, TPersistent)
public:
    ~TBrush() override;
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle v) { FStyle = v; Changed(); }
    // A pattern bitmap (8 x 8 is usual) tiled instead of the colour; the brush
    // keeps its own copy. nullptr removes it.
    TBitmap* Bitmap() const { return FBitmap; }
    void SetBitmap(TBitmap* v);
    void Assign(TPersistent* Source) override;
    TNotifyEvent OnChange;
private:
    void Changed() { if (OnChange) OnChange(this); }
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    TBitmap* FBitmap = nullptr;
};

class TCanvas : public TPersistent {
    QV_CLASS(TCanvas, TPersistent)
public:
    TCanvas();
    ~TCanvas() override;

    TFont* Font() const { return FFont; }
    void SetFont(TFont* v) { FFont->Assign(v); }
    TPen* Pen() const { return FPen; }
    TBrush* Brush() const { return FBrush; }
    DWORD CopyMode() const { return FCopyMode; }
    void SetCopyMode(DWORD v) { FCopyMode = v; }
    TPoint PenPos() const { return FPenPos; }
    void SetPenPos(TPoint p) { FPenPos = p; }

    // Device-context state.
    TColor TextColor() const { return FTextColor; }
    void SetTextColor(TColor c) { FTextColor = c; }
    TColor BkColor() const { return FBkColor; }
    void SetBkColor(TColor c) { FBkColor = c; }
    bool BkTransparent() const { return FBkTransparent; }
    void SetBkTransparent(bool v) { FBkTransparent = v; }
    // Logical (0, 0) lands on this device point (viewport origin).
    TPoint Origin() const { return FOrigin; }
    void SetOrigin(TPoint p) { FOrigin = p; }
    // A clip rectangle in logical coordinates; ClearClip removes it.
    void SetClipRect(const TRect& r) { FClip = r; FHasClip = true; }
    void ClearClip() { FHasClip = false; }
    bool HasClip() const { return FHasClip; }
    TRect ClipRect() const;

    // The image drawn into (none: drawing does nothing) and whether it is
    // monochrome.
    virtual QImage* Image() const = 0;
    virtual bool Monochrome() const { return false; }
    // Called after every change of the image.
    virtual void Changed() {}

    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void MoveTo(int x, int y) { FPenPos = Point(x, y); }
    // A line from the pen position to (x, y), the end point left out.
    void LineTo(int x, int y);
    void Polyline(const std::vector<TPoint>& pts);
    void Polygon(const std::vector<TPoint>& pts);
    TColor Pixel(int x, int y) const;       // clNone outside the image
    void SetPixel(int x, int y, TColor c);

    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text) const;
    TPoint TextExtent(const QString& text) const;
    // Text at (x, y), its cell filled with the brush unless the brush is clear.
    void TextOut(int x, int y, const QString& text);
    // Text at (x, y) clipped to the rectangle, which is filled first (brush).
    void TextRect(const TRect& r, int x, int y, const QString& text);
    // The text in the rectangle by the DT_ flags; returns the text height.
    // With DT_CALCRECT only measures: the rectangle's right and bottom edges
    // take the size the text needs.
    int DrawText(const QString& text, TRect& r, UINT flags);

    // A bitmap at (x, y); a Transparent bitmap leaves its transparent colour out.
    void Draw(int x, int y, TBitmap* bmp);
    void StretchDraw(const TRect& r, TBitmap* bmp);
    // A rectangle of another canvas, stretched, by CopyMode.
    void CopyRect(const TRect& dest, TCanvas* src, const TRect& source);

protected:
    void FontChanged(TObject*);
    void BrushChanged(TObject*);
    QFont DeviceFont() const;

private:
    TFont* FFont;
    TPen* FPen;
    TBrush* FBrush;
    DWORD FCopyMode = SRCCOPY;
    TPoint FPenPos;
    TColor FTextColor = clBlack;
    TColor FBkColor = clWhite;
    bool FBkTransparent = false;
    TPoint FOrigin;
    TRect FClip;
    bool FHasClip = false;
};

// A canvas over an image the caller keeps (a control's off-screen image).
class TImageCanvas : public TCanvas {
    QV_CLASS(TImageCanvas, TCanvas)
public:
    explicit TImageCanvas(QImage* image = nullptr) : FImage(image) {}
    QImage* Image() const override { return FImage; }
    void SetImage(QImage* image) { FImage = image; }
private:
    QImage* FImage;
};

enum TTransparentMode { tmAuto, tmFixed };

class TBitmap : public TPersistent {
    QV_CLASS(TBitmap, TPersistent)
public:
    TBitmap();
    TBitmap(int w, int h);
    ~TBitmap() override;

    int Width() const { return FImage.width(); }
    int Height() const { return FImage.height(); }
    void SetWidth(int w) { SetSize(w, Height()); }
    void SetHeight(int h) { SetSize(Width(), h); }
    // Keeps what fits, new pixels white.
    void SetSize(int w, int h);
    bool Empty() const { return FImage.isNull() || Width() == 0 || Height() == 0; }

    TCanvas* Canvas();
    bool Monochrome() const { return FMonochrome; }
    // To monochrome: pixels equal to the canvas's background (brush) colour
    // become white, all others black. Back to colour keeps black and white.
    void SetMonochrome(bool v);

    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v) { FTransparent = v; Changed(); }
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode v) { FTransparentMode = v; Changed(); }
    // tmAuto: the bottom-left pixel with 0x02000000 set; tmFixed: as set.
    TColor TransparentColor() const;
    void SetTransparentColor(TColor c);

    // Images that are only kept compact on the original; nothing to do here.
    void Dormant() {}
    void FreeImage() {}
    void ReleaseHandle() {}

    void Assign(TPersistent* Source) override;
    // An image file (any format Qt reads); ":/" names are Qt resources.
    // Raises EInvalidGraphic when it can not be read.
    void LoadFromFile(const QString& fileName);
    // The program's picture named so: ":/<name>.*" among the resources.
    void LoadFromResourceName(const QString& name);
    void SaveToFile(const QString& fileName) const;

    QImage& ImageRef() { return FImage; }
    const QImage& ToImage() const { return FImage; }
    void SetImage(const QImage& img);

    // After every change of size, content (through the canvas) or mode.
    TNotifyEvent OnChange;
    void Changed();

private:
    class BitmapCanvas;
    QImage FImage;
    BitmapCanvas* FCanvas = nullptr;
    bool FMonochrome = false;
    bool FTransparent = false;
    TTransparentMode FTransparentMode = tmAuto;
    TColor FTransparentColor = clDefault;
};

class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// Raster operations between canvases (coordinates in each canvas's logical
// units). False when either canvas has no image.
bool BitBlt(TCanvas* dest, int x, int y, int w, int h, TCanvas* src, int sx, int sy, DWORD rop);
bool StretchBlt(TCanvas* dest, int x, int y, int w, int h, TCanvas* src, int sx, int sy, int sw, int sh,
                DWORD rop);
// The destination's brush combined with the destination.
bool PatBlt(TCanvas* dest, int x, int y, int w, int h, DWORD rop);

// The brush patterns of the original toolkit: an 8 x 8 checker of the two
// colours (held-down buttons).
TBitmap* AllocPatternBitmap(TColor back, TColor fore);

// A colour as a plain RGB number, system colours resolved (0x02000000 kept
// out).
inline TColor ColorToRGBPlain(TColor c) { return c < 0 ? ColorToRGB(c) : (c & 0x00FFFFFF); }

// The default system beep; tests may replace it to count beeps.
void MessageBeep();
void SetBeepHandler(std::function<void()> handler);
