#include "components/QvCtrls.h"

#include <algorithm>

#include "components/DrawUtils.h"
#include "platform/ui/Forms.h"

// ------------------------------------------------------------- glyph lists

TGlyphList::TGlyphList(int AWidth, int AHeight) : TImageList(AWidth, AHeight) {}

int TGlyphList::AllocateIndex()
{
    auto it = std::find(FUsed.begin(), FUsed.end(), false);
    int i;
    if (it == FUsed.end()) {
        i = int(FUsed.size());
        FUsed.push_back(true);
        TImageList::SetCount(i + 1);
    } else {
        i = int(it - FUsed.begin());
        *it = true;
    }
    return i;
}

int TGlyphList::AddMasked(TBitmap* Image, TColor MaskColor)
{
    const int i = AllocateIndex();
    ReplaceMasked(i, Image, MaskColor);
    ++FCount;
    return i;
}

int TGlyphList::Add(TBitmap* Image, TBitmap* Mask)
{
    const int i = AllocateIndex();
    Replace(i, Image, Mask);
    ++FCount;
    return i;
}

void TGlyphList::Delete(int Index)
{
    if (!Used(Index)) return;
    --FCount;
    FUsed[size_t(Index)] = false;
}

namespace {
TGlyphCache* gCache = nullptr;
}

TGlyphCache* GlyphCache() { return gCache; }

TGlyphCache::~TGlyphCache()
{
    for (TGlyphList* l : FLists) delete l;
}

TGlyphList* TGlyphCache::GetList(int AWidth, int AHeight)
{
    for (auto it = FLists.rbegin(); it != FLists.rend(); ++it)
        if ((*it)->Width() == AWidth && (*it)->Height() == AHeight) return *it;
    auto* l = new TGlyphList(AWidth, AHeight);
    FLists.push_back(l);
    return l;
}

void TGlyphCache::ReturnList(TGlyphList* List)
{
    if (!List || List->Count() != 0) return;
    auto it = std::find(FLists.begin(), FLists.end(), List);
    if (it != FLists.end()) FLists.erase(it);
    delete List;
}

// ------------------------------------------------------------ glyph painter

TQvButtonGlyph::TQvButtonGlyph() : FOriginal(new TBitmap)
{
    FOriginal->OnChange = [this](TObject* s) { GlyphChanged(s); };
    if (!gCache) gCache = new TGlyphCache;
}

TQvButtonGlyph::~TQvButtonGlyph()
{
    FOriginal->OnChange = nullptr;
    delete FOriginal;
    Invalidate();
    if (gCache && gCache->Empty()) {
        delete gCache;
        gCache = nullptr;
    }
}

void TQvButtonGlyph::Invalidate()
{
    for (int& i : FIndexs) {
        if (i != -1 && FGlyphList) FGlyphList->Delete(i);
        i = -1;
    }
    if (FGlyphList && gCache) gCache->ReturnList(FGlyphList);
    FGlyphList = nullptr;
}

void TQvButtonGlyph::GlyphChanged(TObject*)
{
    Invalidate();
    if (FOriginal->Height() > 0) {
        FTransparentColor = FOriginal->TransparentColor() & ~0x02000000;
        if (FOriginal->Width() % FOriginal->Height() == 0) {
            int n = FOriginal->Width() / FOriginal->Height();
            if (n > 5) n = 1;
            FNumGlyphs = std::max(n, 1);
        }
    }
    if (OnChange) OnChange(nullptr);
}

void TQvButtonGlyph::SetGlyph(TBitmap* Value)
{
    Invalidate();
    FOriginal->Assign(Value);
}

void TQvButtonGlyph::SetNumGlyphs(TQvNumGlyphs Value)
{
    if (Value != FNumGlyphs && Value > 0) {
        Invalidate();
        FNumGlyphs = Value;
        if (OnChange) OnChange(nullptr);
    }
}

int TQvButtonGlyph::CreateButtonGlyph(TQvButtonState State)
{
    if (State == rbsDown && FNumGlyphs < 3) State = rbsUp;
    if (FIndexs[State] != -1) return FIndexs[State];
    if (FOriginal->Empty()) return -1;
    const int W = FOriginal->Width() / FNumGlyphs, H = FOriginal->Height();
    if (W < 1) return -1;
    if (!gCache) gCache = new TGlyphCache;
    if (!FGlyphList) FGlyphList = gCache->GetList(W, H);
    int ord = int(State);
    if (ord >= FNumGlyphs) ord = 0;
    const TRect src = Rect(ord * W, 0, (ord + 1) * W, H);
    TBitmap tmp(W, H);
    auto plain = [&] {
        tmp.Canvas()->Brush()->SetColor(clBtnFace);
        tmp.Canvas()->FillRect(Rect(0, 0, W, H));
        tmp.Canvas()->SetTextColor(clBlack);
        tmp.Canvas()->SetBkColor(clWhite);
        BitBlt(tmp.Canvas(), 0, 0, W, H, FOriginal->Canvas(), src.Left, 0, SRCCOPY);
        // A monochrome strip's white is its transparent colour.
        const TColor mask = FOriginal->Monochrome() ? clWhite : FTransparentColor;
        return FGlyphList->AddMasked(&tmp, mask);
    };
    int index = -1;
    switch (State) {
    case rbsUp:
    case rbsDown:
    case rbsExclusive: index = plain(); break;
    case rbsDisabled:
        if (FNumGlyphs > 1) {
            index = plain();
        } else {
            TBitmap* d = MakeDisabledBitmap(FOriginal, clBlack);
            TBitmap cell(W, H);
            BitBlt(cell.Canvas(), 0, 0, W, H, d->Canvas(), 0, 0, SRCCOPY);
            delete d;
            index = FGlyphList->AddMasked(&cell, ColorToRGB(clBtnFace));
        }
        break;
    case rbsInactive:
        if (FNumGlyphs > 4) {
            index = plain();
        } else {
            const TColor t = ColorToRGBPlain(FTransparentColor), face = ColorToRGB(clBtnFace);
            for (int y = 0; y < H; ++y)
                for (int x = 0; x < W; ++x) {
                    TColor c = FOriginal->Canvas()->Pixel(x, y);
                    if (c != t && c != face) {
                        const int g = (GetRValue(c) * 77 + GetGValue(c) * 150 + GetBValue(c) * 29) >> 8;
                        c = RGB(g, g, g);
                    }
                    tmp.ImageRef().setPixel(x, y, qRgb(GetRValue(c), GetGValue(c), GetBValue(c)));
                }
            index = FGlyphList->AddMasked(&tmp, FOriginal->Monochrome() ? clWhite : FTransparentColor);
        }
        break;
    }
    FOriginal->Dormant();
    FIndexs[State] = index;
    return index;
}

void TQvButtonGlyph::CalcButtonLayout(TCanvas* Canvas, const TRect& Client, const TPoint& Offset, QString& Caption,
                                      TButtonLayout Layout, int Margin, int Spacing, TPoint& GlyphPos,
                                      TRect& TextBounds, bool PopupMark, UINT Flags)
{
    const TPoint ClientSize = Point(Client.Width(), Client.Height());
    TPoint GlyphSize = FOriginal->Empty() ? Point(0, 0) : Point(FOriginal->Width() / FNumGlyphs, FOriginal->Height());
    int MaxX, MaxY;
    if (Layout == blGlyphLeft || Layout == blGlyphRight) {
        MaxX = ClientSize.X - GlyphSize.X;
        if (Margin != -1) MaxX -= Margin;
        if (Spacing != -1) MaxX -= Spacing;
        if (PopupMark) MaxX -= 9;
        MaxY = ClientSize.Y;
    } else {
        MaxX = ClientSize.X;
        MaxY = ClientSize.Y - GlyphSize.Y;
        if (Margin != -1) MaxY -= Margin;
        if (Spacing != -1) MaxY -= Spacing;
    }
    MaxX = std::max(MaxX, 0);
    MaxY = std::max(MaxY, 0);
    if (!FWordWrap) {
        QStringList lines = Caption.split(QStringLiteral("\r\n"));
        for (QString& l : lines) l = ShortenTextToWidth(l, Canvas, MaxX);
        Caption = lines.join(QStringLiteral("\r\n"));
    }
    Caption = Caption.left(255);
    if (Caption.isEmpty()) {
        TextBounds = Rect(0, 0, 0, 0);
    } else {
        TextBounds = Rect(0, 0, MaxX, 0);
        Canvas->DrawText(Caption, TextBounds, DT_CALCRECT | DT_CENTER | DT_VCENTER | (FWordWrap ? DT_WORDBREAK : 0) | Flags);
        TextBounds.Right = std::min(TextBounds.Right, MaxX);
        TextBounds.Bottom = std::min(TextBounds.Bottom, MaxY);
    }
    TPoint TextSize = Point(TextBounds.Width(), TextBounds.Height());
    if (PopupMark) {
        if (GlyphSize.X == 0 || GlyphSize.Y == 0 || Layout == blGlyphLeft)
            TextSize.X += 9;
        else
            GlyphSize.X += 6;
    }
    TPoint TextPos;
    if (Layout == blGlyphLeft || Layout == blGlyphRight) {
        GlyphPos.Y = ClientSize.Y / 2 - GlyphSize.Y / 2;
        TextPos.Y = ClientSize.Y / 2 - TextSize.Y / 2;
    } else {
        GlyphPos.X = ClientSize.X / 2 - GlyphSize.X / 2;
        TextPos.X = ClientSize.X / 2 - TextSize.X / 2;
    }
    if (TextSize.X == 0 || GlyphSize.X == 0) Spacing = 0;
    const bool horiz = Layout == blGlyphLeft || Layout == blGlyphRight;
    const int cs = horiz ? ClientSize.X : ClientSize.Y;
    const int gs = horiz ? GlyphSize.X : GlyphSize.Y;
    const int ts = horiz ? TextSize.X : TextSize.Y;
    if (Margin == -1) {
        if (Spacing == -1) {
            Margin = (cs - (gs + ts)) / 3;
            Spacing = Margin;
        } else {
            Margin = cs / 2 - (gs + Spacing + ts) / 2;
        }
    } else if (Spacing == -1) {
        Spacing = (cs - (Margin + gs)) / 2 - ts / 2;
    }
    switch (Layout) {
    case blGlyphLeft:
        GlyphPos.X = Margin;
        TextPos.X = GlyphPos.X + GlyphSize.X + Spacing;
        break;
    case blGlyphRight:
        GlyphPos.X = ClientSize.X - Margin - GlyphSize.X;
        TextPos.X = GlyphPos.X - Spacing - TextSize.X;
        break;
    case blGlyphTop:
        GlyphPos.Y = Margin;
        TextPos.Y = GlyphPos.Y + GlyphSize.Y + Spacing;
        break;
    case blGlyphBottom:
        GlyphPos.Y = ClientSize.Y - Margin - GlyphSize.Y;
        TextPos.Y = GlyphPos.Y - Spacing - TextSize.Y;
        break;
    }
    GlyphPos.X += Client.Left + Offset.X;
    GlyphPos.Y += Client.Top + Offset.Y;
    TextBounds = Rect(TextPos.X + Client.Left + Offset.X, TextPos.Y + Client.Top + Offset.Y,
                      TextPos.X + Client.Left + Offset.X + TextSize.X, TextPos.Y + Client.Top + Offset.Y + TextSize.Y);
}

void TQvButtonGlyph::DrawPopupMark(TCanvas* Canvas, int X, int Y, TQvButtonState State)
{
    auto tri = [&](int x, int y, TColor c) {
        Canvas->Pen()->SetColor(c);
        for (int row = 0; row < 4; ++row) {
            Canvas->MoveTo(x + row, y - 1 + row);
            Canvas->LineTo(x + 7 - row, y - 1 + row);
        }
    };
    if (State == rbsDisabled) {
        tri(X + 1, Y + 1, clBtnHighlight);
        tri(X, Y, clBtnShadow);
    } else {
        tri(X, Y, clBtnText);
    }
}

TRect TQvButtonGlyph::Draw(TCanvas* Canvas, const TRect& Client, const TPoint& Offset, const QString& Caption,
                           TButtonLayout Layout, int Margin, int Spacing, bool PopupMark, TQvButtonState State,
                           UINT Flags)
{
    QString caption = Caption;
    TPoint gp;
    TRect tb;
    CalcButtonLayout(Canvas, Client, Offset, caption, Layout, Margin, Spacing, gp, tb, PopupMark, Flags);
    const int index = CreateButtonGlyph(State);
    int gw = 0, gh = 0;
    if (index >= 0 && FGlyphList) {
        FGlyphList->Draw(Canvas, gp.X, gp.Y, index, true);
        gw = FGlyphList->Width();
        gh = FGlyphList->Height();
    }
    if (!caption.isEmpty()) {
        UINT f = DT_VCENTER | (FAlignment == taLeftJustify ? DT_LEFT : FAlignment == taRightJustify ? DT_RIGHT : DT_CENTER);
        if (FWordWrap) f |= DT_WORDBREAK;
        f |= Flags;
        Canvas->Brush()->SetStyle(bsClear);
        TRect r = tb;
        if (State == rbsDisabled) {
            TRect r1 = Rect(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1);
            Canvas->SetTextColor(clBtnHighlight);
            Canvas->DrawText(caption, r1, f);
            Canvas->SetTextColor(clBtnShadow);
            Canvas->DrawText(caption, r, f);
        } else {
            Canvas->SetTextColor(Canvas->Font()->Color());
            Canvas->DrawText(caption, r, f);
        }
    }
    if (PopupMark) {
        if (Layout != blGlyphLeft && gw > 0)
            DrawPopupMark(Canvas, gp.X + gw + 1, gp.Y + gh / 2, State);
        else if (!caption.isEmpty())
            DrawPopupMark(Canvas, tb.Right + 3, tb.Top + tb.Height() / 2, State);
        else
            DrawPopupMark(Canvas, (Client.Left + Client.Right - 7) / 2, tb.Top + tb.Height() / 2, State);
    }
    return tb;
}

// ------------------------------------------------------------ speed button

TQvSpeedButton::TQvSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), FGlyph(new TQvButtonGlyph)
{
    SetBounds(0, 0, 25, 25);
    FControlStyle = TControlStyle{csCaptureMouse, csOpaque, csDoubleClicks, csReplicatable};
    FGlyph->OnChange = [this](TObject*) { Invalidate(); };
    SetParentFont(true);
    SetParentShowHint(false);
    SetShowHint(true);
}

TQvSpeedButton::~TQvSpeedButton()
{
    delete FGlyph;
    delete FRepeatTimer;
}

void TQvSpeedButton::Loaded()
{
    TGraphicControl::Loaded();
    FGlyph->CreateButtonGlyph(Enabled() ? (FFlat ? rbsInactive : rbsUp) : rbsDisabled);
}

void TQvSpeedButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TGraphicControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDropDownMenu) FDropDownMenu = nullptr;
}

void TQvSpeedButton::SetLayout(TButtonLayout v) { if (v != FLayout) { FLayout = v; Invalidate(); } }
void TQvSpeedButton::SetMargin(int v) { if (v != FMargin && v >= -1) { FMargin = v; Invalidate(); } }
void TQvSpeedButton::SetSpacing(int v) { if (v != FSpacing) { FSpacing = v; Invalidate(); } }
void TQvSpeedButton::SetFlat(bool v) { if (v != FFlat) { FFlat = v; Invalidate(); } }
void TQvSpeedButton::SetStyle(TButtonStyle v) { if (v != FStyle) { FStyle = v; Invalidate(); } }
void TQvSpeedButton::SetMarkDropDown(bool v) { if (v != FMarkDropDown) { FMarkDropDown = v; Invalidate(); } }
void TQvSpeedButton::SetTransparent(bool v) { if (v != FTransparent) { FTransparent = v; Invalidate(); } }
void TQvSpeedButton::SetGrayedInactive(bool v) { if (v != FGrayedInactive) { FGrayedInactive = v; Invalidate(); } }
void TQvSpeedButton::SetWordWrap(bool v) { if (v != WordWrap()) { FGlyph->SetWordWrap(v); Invalidate(); } }
void TQvSpeedButton::SetAlignment(TAlignment v) { if (v != Alignment()) { FGlyph->SetAlignment(v); Invalidate(); } }

void TQvSpeedButton::SetGlyph(TBitmap* v)
{
    FGlyph->SetGlyph(v);
    Invalidate();
}

void TQvSpeedButton::SetNumGlyphs(TQvNumGlyphs v)
{
    v = std::clamp(v, 1, 5);
    if (v != FGlyph->NumGlyphs()) {
        FGlyph->SetNumGlyphs(v);
        Invalidate();
    }
}

void TQvSpeedButton::SetDropDownMenu(TComponent* v)
{
    if (v == FDropDownMenu) return;
    FDropDownMenu = v;
    if (v) v->FreeNotification(this);
    if (FMarkDropDown) Invalidate();
}

void TQvSpeedButton::SetAllowTimer(bool v)
{
    FAllowTimer = v;
    if (!v && FRepeatTimer) {
        FRepeatTimer->SetEnabled(false);
        delete FRepeatTimer;
        FRepeatTimer = nullptr;
    }
}

void TQvSpeedButton::SetGroupIndex(int v)
{
    if (v != FGroupIndex) {
        FGroupIndex = v;
        UpdateExclusive();
    }
}

void TQvSpeedButton::SetAllowAllUp(bool v)
{
    if (v != FAllowAllUp) {
        FAllowAllUp = v;
        UpdateExclusive();
    }
}

void TQvSpeedButton::SetDown(bool v)
{
    if (FGroupIndex == 0) v = false;
    if (v == FDown) return;
    if (FDown && !FAllowAllUp) return;
    FDown = v;
    if (v) {
        if (FState == rbsUp) Invalidate();
        FState = rbsExclusive;
    } else {
        FState = rbsUp;
    }
    Repaint();
    if (v) UpdateExclusive();
}

void TQvSpeedButton::UpdateExclusive()
{
    // The group is every speed button of the parent with the same index.
    if (FGroupIndex == 0 || !Parent()) return;
    for (int i = 0; i < Parent()->ControlCount(); ++i)
        if (auto* b = dynamic_cast<TQvSpeedButton*>(Parent()->Controls(i)); b && b != this)
            b->ButtonPressed(this);
}

void TQvSpeedButton::ButtonPressed(TQvSpeedButton* Sender)
{
    if (Sender->FGroupIndex != FGroupIndex) return;
    if (Sender->FDown && FDown) {
        FDown = false;
        FState = rbsUp;
        Invalidate();
    }
    FAllowAllUp = Sender->FAllowAllUp;
}

void TQvSpeedButton::SetEnabled(bool v)
{
    TGraphicControl::SetEnabled(v);
    FGlyph->CreateButtonGlyph(v ? rbsUp : rbsDisabled);
    UpdateTracking(FMouseInControl && v);
    Invalidate();
}

void TQvSpeedButton::DrawFrame(TCanvas* c, TRect& r, bool pressed)
{
    const bool newStyle = FStyle == bsNew || FStyle == bsAutoDetect;
    if (pressed) {
        if (newStyle) {
            Frame3D(c, r, clWindowFrame, clBtnHighlight, 1);
            if (!FFlat) Frame3D(c, r, clBtnShadow, clBtnFace, 1);
        } else if (FFlat) {
            Frame3D(c, r, clWindowFrame, clBtnHighlight, 1);
        } else {
            Frame3D(c, r, clWindowFrame, clWindowFrame, 1);
            c->Pen()->SetColor(clBtnShadow);
            c->Polyline({Point(r.Left, r.Bottom - 1), Point(r.Left, r.Top), Point(r.Right, r.Top)});
        }
    } else if (newStyle) {
        if (FFlat) {
            Frame3D(c, r, clBtnHighlight, clBtnShadow, 1);
        } else {
            Frame3D(c, r, clBtnHighlight, clWindowFrame, 1);
            Frame3D(c, r, clBtnFace, clBtnShadow, 1);
        }
    } else if (FFlat) {
        Frame3D(c, r, clBtnHighlight, clWindowFrame, 1);
    } else {
        Frame3D(c, r, clWindowFrame, clWindowFrame, 1);
        Frame3D(c, r, clBtnHighlight, clBtnShadow, 1);
    }
    r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
}

void TQvSpeedButton::Paint()
{
    if (!Enabled()) {
        FState = rbsDisabled;
        FDragging = false;
        FWasDisabled = true;
    } else if (FState == rbsDisabled || FWasDisabled) {
        FWasDisabled = false;
        FState = (FDown && FGroupIndex != 0) ? rbsExclusive : rbsUp;
    }
    TQvButtonState drawState = FState;
    if (FFlat && !FMouseInControl) drawState = rbsInactive;
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->SetFont(Font());
    c->Brush()->SetColor(clBtnFace);
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
    if (FTransparent) PaintParentBackground(this, c);
    if (drawState != rbsInactive || FState == rbsExclusive)
        DrawFrame(c, r, drawState == rbsDown || drawState == rbsExclusive);
    else if (FFlat)
        r = Rect(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2);
    if (FState == rbsExclusive && !FTransparent && (!FFlat || drawState != rbsInactive)) {
        TBitmap* pat = AllocPatternBitmap(clBtnFace, clBtnHighlight);
        c->Brush()->SetBitmap(pat);
        delete pat;
        c->FillRect(Rect(r.Left - 1, r.Top - 1, r.Right + 1, r.Bottom + 1));
        c->Brush()->SetBitmap(nullptr);
    }
    if (drawState == rbsDown || drawState == rbsExclusive) r = Rect(r.Left + 1, r.Top + 1, r.Right + 1, r.Bottom + 1);
    TQvButtonState glyphState = (FGrayedInactive && FState != rbsDisabled) ? drawState : FState;
    PaintGlyph(c, r, glyphState, FMarkDropDown && FDropDownMenu);
}

void TQvSpeedButton::PaintGlyph(TCanvas* Canvas, const TRect& ARect, TQvButtonState AState, bool DrawMark)
{
    FGlyph->Draw(Canvas, ARect, Point(0, 0), Caption(), FLayout, FMargin, FSpacing, DrawMark, AState, 0);
}

TPoint TQvSpeedButton::GetDropDownMenuPos() const
{
    if (!FDropDownMenu) return Point(0, 0);
    // The menu's own alignment is left here.
    if (FMenuPosition == dmpBottom) return Point(-1, Height());
    return Point(Width(), -1);
}

void TQvSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (FMenuTracking) return;
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Enabled() && !FMouseInControl) UpdateTracking(true);
    if (Button != mbLeft || !Enabled()) return;
    if (!FDown) {
        FState = rbsDown;
        Repaint();
    }
    FDragging = true;
    if (FDropDownMenu && OnDropDown) {
        FMenuTracking = true;
        const TPoint p = GetDropDownMenuPos();
        OnDropDown(this, ClientToScreen(p));
        FMenuTracking = false;
        MouseUp(Button, Shift, -1, -1);
        return;
    }
    if (FAllowTimer) {
        if (!FRepeatTimer) FRepeatTimer = new TTimer(nullptr);
        FRepeatTimer->SetEnabled(false);
        FRepeatTimer->OnTimer = [this](TObject* s) { TimerExpired(s); };
        FRepeatTimer->SetInterval(FInitPause);
        FRepeatTimer->SetEnabled(true);
    }
}

void TQvSpeedButton::MouseMove(TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseMove(Shift, X, Y);
    if (!FDragging) return;
    TQvButtonState n = FDown ? rbsExclusive : (Inside(X, Y) ? rbsDown : rbsUp);
    if (n != FState) {
        FState = n;
        Invalidate();
    }
}

void TQvSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    if (FDragging) {
        FDragging = false;
        const bool inside = Inside(X, Y);
        if (FGroupIndex == 0) {
            FState = rbsUp;
            FMouseInControl = false;
            Invalidate();
        } else if (inside) {
            SetDown(!FDown);
            if (FDown) Repaint();
        } else {
            if (FDown) FState = rbsExclusive;
            Repaint();
        }
        if (inside && !FMenuTracking) Click();
        UpdateTracking(inside && Enabled());
    }
    if (FRepeatTimer) FRepeatTimer->SetEnabled(false);
}

void TQvSpeedButton::TimerExpired(TObject*)
{
    FRepeatTimer->SetInterval(FRepeatInterval);
    if (FState == rbsDown && MouseCapture()) {
        try {
            Click();
        } catch (...) {
            FRepeatTimer->SetEnabled(false);
            throw;
        }
    }
}

void TQvSpeedButton::Click()
{
    if (TForm* f = GetParentForm(this); f && FModalResult != 0) f->SetModalResult(FModalResult);
    TGraphicControl::Click();
}

void TQvSpeedButton::UpdateTracking(bool inControl)
{
    if (inControl == FMouseInControl) return;
    FMouseInControl = inControl;
    if (FFlat) Invalidate();
    if (inControl) MouseEnter(); else MouseLeave();
}

void TQvSpeedButton::MouseEnter()
{
    if (OnMouseEnter) OnMouseEnter(this);
}

void TQvSpeedButton::MouseLeave()
{
    if (OnMouseLeave) OnMouseLeave(this);
}

void TQvSpeedButton::WndProc(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_MOUSEENTER:
        if (Enabled()) UpdateTracking(true);
        break;
    case CM_MOUSELEAVE:
        if (!FDragging) UpdateTracking(false);
        break;
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED: Invalidate(); break;
    default: break;
    }
    TGraphicControl::WndProc(Message);
}
