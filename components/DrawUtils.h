#pragma once
// Drawing routines of the component library: bitmaps with a transparent
// colour, greyed bitmaps and image-list images, cell text with horizontal and
// vertical alignment, text shortened with "..." to a width, the parent's
// background under a transparent control, and a few one-line helpers.
#include <QString>
#include <initializer_list>

#include "platform/ui/Canvas.h"
#include "platform/ui/Controls.h"
#include "platform/ui/ImgList.h"


enum TVertAlignment { vaTopJustify, vaCenterJustify, vaBottomJustify };

// The parent's background and the graphic siblings below the control, drawn
// into the canvas as they lie under the control.
void PaintParentBackground(TControl* Control, TCanvas* Dest);

// Transparent stretch copy: pixels of TransparentColor in the source leave
// the destination as it was.
void StretchBltMasked(TCanvas* Dest, int X, int Y, int W, int H, TCanvas* Src, int SrcX, int SrcY, int SrcW,
                      int SrcH, TColor TransparentColor);
// A rectangle of the bitmap, stretched, with a transparent colour: clNone
// copies plainly, clDefault takes the bitmap's bottom-left pixel, a
// monochrome bitmap's transparent colour is white. Widths or heights below 1
// mean the bitmap's own.
void DrawBitmapRectMasked(TCanvas* Dest, int X, int Y, int W, int H, TBitmap* Bitmap, int SrcX, int SrcY, int SrcW,
                          int SrcH, TColor TransparentColor);
void DrawBitmapMasked(TCanvas* Dest, int X, int Y, TBitmap* Bitmap, TColor TransparentColor);

// Greyed copies (the caller frees the result): the pixels of OutlineColor in
// the bitmap become ShadowColor on BackColor, with a HighlightColor copy one
// pixel right and down when DrawHighlight.
TBitmap* MakeDisabledBitmapEx(TBitmap* Original, TColor OutlineColor, TColor BackColor, TColor HighlightColor,
                              TColor ShadowColor, bool DrawHighlight);
TBitmap* MakeDisabledBitmap(TBitmap* Original, TColor OutlineColor);
void DrawImageDisabled(TImageList* Images, TCanvas* Canvas, int X, int Y, int Index, bool DrawHighlight,
                       TColor HighlightColor = clBtnHighlight, TColor ShadowColor = clBtnShadow);

// The shared scratch bitmap of cell text.
TBitmap* EnsureScratchBitmap();
void FreeScratchBitmap();

// Cell text at (left + dx, top + dy) by the alignment, clipped to the
// rectangle; with word wrap (or a line break in the text) drawn wrapped.
void WriteCellText(TCanvas* Canvas, const TRect& ARect, int DX, int DY, const QString& Text, TAlignment Alignment,
                   bool WordWrap, bool ARightToLeft);
// Cell text with vertical alignment, measured on the canvas (a grid's).
void DrawCellTextAligned(TCanvas* Canvas, const QString& Text, const TRect& ARect, TAlignment Align,
                         TVertAlignment VertAlign, bool WordWrap, bool ARightToLeft);
void DrawCellTextPlain(TCanvas* Canvas, const QString& Text, const TRect& ARect, TAlignment Align,
                       TVertAlignment VertAlign, bool WordWrap);
// The short forms wrap exactly the centred text.
void DrawCellTextAligned(TCanvas* Canvas, const QString& Text, const TRect& ARect, TAlignment Align,
                         TVertAlignment VertAlign);

// The text cut with "..." until it fits; "..." at the least.
QString ShortenTextToWidth(const QString& Text, TCanvas* Canvas, int MaxWidth);

// A zero-filled block (none for a size below 1) and its release.
void* AllocZeroedBlock(int Size);
void FreeBlock(void*& P);

// True when the application has an active window.
bool IsAppForeground();
TColor PaletteRelativeColor(TColor Color);
inline int RectWidth(const TRect& R) { return R.Right - R.Left; }
inline int RectHeight(const TRect& R) { return R.Bottom - R.Top; }
void DefaultBeep();
inline QString PassThroughString(const QString& S) { return S; }

// The product's action pictures: public-domain icons compiled in (see
// resources/icons/LICENSE), each under the name of its meaning ("first",
// "add", "search", "spreadsheet", ...).
struct TActionPicture {
    int Index;
    const char* Name;
};
// Grows List to hold Count slots and puts each picture into its slot.
void LoadActionPictures(TImageList* List, int Count, std::initializer_list<TActionPicture> Pictures);
// A picture of arranged windows in slot Index: each rectangle (within the
// list's size) drawn as a small window with its title bar.
void DrawWindowsPicture(TImageList* List, int Index, std::initializer_list<TRect> Windows);
