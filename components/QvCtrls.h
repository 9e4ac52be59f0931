#pragma once
// The speed button of the component library, its glyph painter and the
// process-wide cache of glyph image lists.
//
// Glyph strip: the Glyph bitmap holds NumGlyphs images side by side, in the
// order of TQvButtonState (up, disabled, down, exclusive, inactive); missing
// ones are made from the first: the disabled one embossed, the inactive one
// grey. Images are made once per state and kept in image lists shared by all
// buttons whose glyphs have one size.
//
// Held buttons with AllowTimer click InitPause ms after the press, then every
// RepeatInterval ms while pressed with the pointer inside, and once more when
// released inside.
#include <vector>

#include "platform/core/Classes.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/PaintCtrls.h"

enum TQvButtonState { rbsUp, rbsDisabled, rbsDown, rbsExclusive, rbsInactive };
enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };
enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
enum TQvDropDownMenuPos { dmpBottom, dmpRight };
enum TPopupAlignment { paLeft, paRight, paCenter };
using TQvNumGlyphs = int;   // 1..5

// Images of one size; slots are reused after deletion.
class TGlyphList : public TImageList {
    QV_CLASS(TGlyphList, TImageList)
public:
    TGlyphList(int AWidth, int AHeight);
    int AddMasked(TBitmap* Image, TColor MaskColor);
    int Add(TBitmap* Image, TBitmap* Mask);
    void Delete(int Index);
    int Count() const { return FCount; }
    // Slots in use.
    bool Used(int Index) const { return Index >= 0 && Index < int(FUsed.size()) && FUsed[size_t(Index)]; }
private:
    int AllocateIndex();
    std::vector<bool> FUsed;
    int FCount = 0;
};

class TGlyphCache {
public:
    ~TGlyphCache();
    TGlyphList* GetList(int AWidth, int AHeight);
    void ReturnList(TGlyphList* List);
    bool Empty() const { return FLists.empty(); }
    int ListCount() const { return int(FLists.size()); }
private:
    std::vector<TGlyphList*> FLists;
};
// The one cache (none until a glyph painter exists).
TGlyphCache* GlyphCache();

class TQvButtonGlyph {
public:
    TQvButtonGlyph();
    ~TQvButtonGlyph();
    TBitmap* Glyph() const { return FOriginal; }
    void SetGlyph(TBitmap* Value);
    TQvNumGlyphs NumGlyphs() const { return FNumGlyphs; }
    void SetNumGlyphs(TQvNumGlyphs Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v) { FWordWrap = v; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v) { FAlignment = v; }
    TColor TransparentColor() const { return FTransparentColor; }
    // Makes (once) and gives the image index of the state; -1 without a glyph.
    int CreateButtonGlyph(TQvButtonState State);
    void Invalidate();   // drops the made images
    TGlyphList* GlyphList() const { return FGlyphList; }

    // Lays out glyph and caption in Client and draws them; returns the text
    // bounds.
    TRect Draw(TCanvas* Canvas, const TRect& Client, const TPoint& Offset, const QString& Caption,
               TButtonLayout Layout, int Margin, int Spacing, bool PopupMark, TQvButtonState State, UINT Flags);
    // The layout only (glyph position and text bounds).
    void CalcButtonLayout(TCanvas* Canvas, const TRect& Client, const TPoint& Offset, QString& Caption,
                          TButtonLayout Layout, int Margin, int Spacing, TPoint& GlyphPos, TRect& TextBounds,
                          bool PopupMark, UINT Flags);

    TNotifyEvent OnChange;

private:
    void GlyphChanged(TObject*);
    void DrawPopupMark(TCanvas* Canvas, int X, int Y, TQvButtonState State);
    TBitmap* FOriginal;
    TGlyphList* FGlyphList = nullptr;
    int FIndexs[5] = {-1, -1, -1, -1, -1};
    TColor FTransparentColor = clFuchsia;
    TQvNumGlyphs FNumGlyphs = 1;
    bool FWordWrap = false;
    TAlignment FAlignment = taCenter;
};

class TQvSpeedButton : public TGraphicControl {
    QV_CLASS(TQvSpeedButton, TGraphicControl)
public:
    explicit TQvSpeedButton(TComponent* AOwner = nullptr);
    ~TQvSpeedButton() override;

    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int v);
    bool Down() const { return FDown; }
    void SetDown(bool v);
    bool AllowAllUp() const { return FAllowAllUp; }
    void SetAllowAllUp(bool v);
    bool Flat() const { return FFlat; }
    void SetFlat(bool v);
    TButtonStyle Style() const { return FStyle; }
    void SetStyle(TButtonStyle v);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout v);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int v);
    int Margin() const { return FMargin; }
    void SetMargin(int v);
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int v) { FModalResult = v; }
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v);
    bool MarkDropDown() const { return FMarkDropDown; }
    void SetMarkDropDown(bool v);
    // The menu dropped by a press; popping it up is the menu's own business
    // (OnDropDown receives the screen point).
    TComponent* DropDownMenu() const { return FDropDownMenu; }
    void SetDropDownMenu(TComponent* v);
    TQvDropDownMenuPos MenuPosition() const { return FMenuPosition; }
    void SetMenuPosition(TQvDropDownMenuPos v) { FMenuPosition = v; }
    bool GrayedInactive() const { return FGrayedInactive; }
    void SetGrayedInactive(bool v);
    bool AllowTimer() const { return FAllowTimer; }
    void SetAllowTimer(bool v);
    int InitPause() const { return FInitPause; }
    void SetInitPause(int v) { FInitPause = quint16(v); }
    int RepeatInterval() const { return FRepeatInterval; }
    void SetRepeatInterval(int v) { FRepeatInterval = quint16(v); }
    TBitmap* Glyph() const { return FGlyph->Glyph(); }
    void SetGlyph(TBitmap* v);
    TQvNumGlyphs NumGlyphs() const { return FGlyph->NumGlyphs(); }
    void SetNumGlyphs(TQvNumGlyphs v);
    bool WordWrap() const { return FGlyph->WordWrap(); }
    void SetWordWrap(bool v);
    TAlignment Alignment() const { return FGlyph->Alignment(); }
    void SetAlignment(TAlignment v);
    TQvButtonState State() const { return FState; }
    bool MouseInControl() const { return FMouseInControl; }
    TQvButtonGlyph* ButtonGlyph() const { return FGlyph; }
    TTimer* RepeatTimer() const { return FRepeatTimer; }
    TPoint GetDropDownMenuPos() const;

    void SetEnabled(bool v) override;
    void Click() override;
    void Loaded() override;
    // Mouse entering and leaving (the framework's CM_MOUSEENTER/LEAVE).
    void UpdateTracking(bool inControl);

    TNotifyEvent OnMouseEnter, OnMouseLeave;
    std::function<void(TQvSpeedButton* Sender, TPoint ScreenPos)> OnDropDown;

protected:
    TQvButtonState FState = rbsUp;
    void Paint() override;
    virtual void PaintGlyph(TCanvas* Canvas, const TRect& ARect, TQvButtonState AState, bool DrawMark);
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    virtual void MouseEnter();
    virtual void MouseLeave();
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void WndProc(TMessage& Message) override;
    void DrawFrame(TCanvas* c, TRect& r, bool pressed);
    bool Inside(int X, int Y) const { return X >= 0 && X < ClientWidth() && Y >= 0 && Y <= ClientHeight(); }

private:
    void UpdateExclusive();
    void ButtonPressed(TQvSpeedButton* Sender);
    void TimerExpired(TObject*);
    int FGroupIndex = 0;
    TButtonStyle FStyle = bsAutoDetect;
    TQvButtonGlyph* FGlyph;
    bool FDown = false;
    bool FDragging = false;
    bool FFlat = false;
    bool FMouseInControl = false;
    bool FAllowAllUp = false;
    TButtonLayout FLayout = blGlyphTop;
    int FSpacing = 1;
    int FMargin = -1;
    int FModalResult = 0;
    bool FTransparent = false;
    bool FMarkDropDown = true;
    TComponent* FDropDownMenu = nullptr;
    TQvDropDownMenuPos FMenuPosition = dmpBottom;
    bool FGrayedInactive = true;
    bool FMenuTracking = false;
    TTimer* FRepeatTimer = nullptr;
    bool FAllowTimer = false;
    quint16 FInitPause = 500;
    quint16 FRepeatInterval = 100;
    bool FWasDisabled = false;
};
