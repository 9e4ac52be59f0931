#include "components/ToolEdit.h"

#include <QEvent>
#include <QScopedValueRollback>
#include <cmath>

#include "components/PickDate.h"
#include "components/QvConst.h"
#include "platform/core/SysUtils.h"
#include "platform/ui/Forms.h"

namespace {
QString VarText(const Variant& v) { return VarIsNull(v) ? QString() : v.toString(); }
}  // namespace

// ------------------------------------------------------------- pop-up window

TPopupWindow::TPopupWindow(TWinControl* AOwner) : TCustomControl(AOwner), FEditor(AOwner)
{
    FControlStyle = FControlStyle + csAcceptsControls + csNoDesignVisible + csReplicatable;
    SetPopupWindow(true);
    SetTakesFocus(false);
    SetVisible(false);
    SetParent(AOwner);
}

void TPopupWindow::Paint()
{
    TRect r = ClientRect();
    Canvas()->Brush()->SetColor(Color());
    Canvas()->FillRect(r);
    Canvas()->Brush()->SetColor(clWindowFrame);
    Canvas()->FrameRect(r);   // the window's border
}

void TPopupWindow::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseUp(Button, Shift, X, Y);
    if (Button == mbLeft) CloseUp(X >= 0 && Y >= 0 && X < ClientWidth() && Y < ClientHeight());
}

void TPopupWindow::CloseUp(bool Accept)
{
    if (OnCloseUp) OnCloseUp(this, Accept);
}

void TPopupWindow::Show(TPoint Origin) { ShowPopupAt(Origin); }
void TPopupWindow::Hide() { HidePopupWindow(); }
bool TPopupWindow::PopupShowing() const { return PopupWindowShowing(); }

// -------------------------------------------------------------- edit button

TEditButton::TEditButton(TComponent* AOwner) : TQvSpeedButton(AOwner)
{
    FControlStyle = FControlStyle + csReplicatable;
    SetParentShowHint(true);
}

TCustomComboEdit* TEditButton::Editor() const
{
    return Parent() ? dynamic_cast<TCustomComboEdit*>(Parent()->Parent()) : nullptr;
}

void TEditButton::Paint()
{
    TQvSpeedButton::Paint();
    if (State() != rbsDown && State() != rbsExclusive) {
        TCanvas* c = Canvas();
        c->Pen()->SetColor(clBtnFace);
        c->MoveTo(0, 0);
        c->LineTo(0, Height() - 1);
        c->Pen()->SetColor(clBtnHighlight);
        c->MoveTo(1, 1);
        c->LineTo(1, Height() - 2);
    }
}

void TEditButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) {
        TCustomComboEdit* ed = Editor();
        FNoAction = ed && ed->FPopup && ed->FPopupVisible;
        if (ed && !ed->FPopupVisible) {
            if (ed->TabStop() && ed->CanFocus() && !ed->TWinControl::Focused()) ed->SetFocus();
        } else if (ed) {
            ed->PopupCloseUp(ed->FPopup, true);
        }
    }
    TQvSpeedButton::MouseDown(Button, Shift, X, Y);
}

void TEditButton::Click()
{
    if (FNoAction) {
        FNoAction = false;
        return;
    }
    TQvSpeedButton::Click();
}

// --------------------------------------------------------------- combo edit

TCustomComboEdit::TCustomComboEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner)
{
    FCreating = true;
    auto* panel = new TPanel(this);
    panel->SetBevelOuter(bvNone);
    FBtnControl = panel;
    FBtnControl->SetControlStyle(FBtnControl->ControlStyle() + csReplicatable);
    FBtnControl->SetBounds(0, 0, 21, 17);
    FBtnControl->SetParent(this);
    FButton = new TEditButton(this);
    FButton->SetBounds(0, 0, FBtnControl->Width(), FBtnControl->Height());
    FButton->SetParent(FBtnControl);
    FButton->OnClick = [this](TObject* s) { EditButtonClick(s); };
    SetHeight(21);
    FDefNumGlyphs = 1;
    FGlyphKind = gkCustom;
    FCreating = false;
    UpdateBtnBounds();
}

TCustomComboEdit::~TCustomComboEdit()
{
    if (FButton) FButton->OnClick = nullptr;
}

void TCustomComboEdit::InitWidget()
{
    TCustomMaskEdit::InitWidget();
    UpdateBtnBounds();
}

void TCustomComboEdit::WndProc(TMessage& Message)
{
    // The pop-up goes before the window under it.
    if (Message.Msg == WM_DESTROY && FPopup) {
        FPopup->Hide();
        FPopupVisible = false;
    }
    TCustomMaskEdit::WndProc(Message);
}

void TCustomComboEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    TCustomMaskEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (FBtnControl) UpdateBtnBounds();
}

void TCustomComboEdit::UpdateBtnBounds()
{
    if (!FBtnControl || !FButton) return;
    const int bw = FButton->Width();
    // Inside the edit's 2-pixel sunken border, at its right edge.
    FBtnControl->SetBounds(Width() - bw - 2, 2, bw, std::max(Height() - 4, 0));
    FButton->SetHeight(FBtnControl->Height());
    SetRightMargin(FBtnControl->Visible() ? bw + 2 : 0);
}

int TCustomComboEdit::ButtonWidth() const { return FButton->Width(); }

void TCustomComboEdit::SetButtonWidth(int v)
{
    if (v == ButtonWidth()) return;
    FBtnControl->SetVisible(v > 1);
    if (FCreating || v < ClientWidth()) {
        FBtnControl->SetWidth(v);
        FButton->SetWidth(v);
        FButton->SetControlStyle(FButton->ControlStyle() - csFixedWidth);
        UpdateBtnBounds();
        RecreateGlyph();
    }
}

QString TCustomComboEdit::ButtonHint() const { return FButton->Hint(); }
void TCustomComboEdit::SetButtonHint(const QString& v) { FButton->SetHint(v); }
TBitmap* TCustomComboEdit::Glyph() const { return FButton->Glyph(); }

void TCustomComboEdit::SetGlyph(TBitmap* v)
{
    FButton->SetGlyph(v);
    FGlyphKind = gkCustom;
}

TNumGlyphs TCustomComboEdit::NumGlyphs() const { return FButton->NumGlyphs(); }

void TCustomComboEdit::SetNumGlyphs(TNumGlyphs v)
{
    if (FGlyphKind == gkDropDown || FGlyphKind == gkEllipsis)
        FButton->SetNumGlyphs(1);
    else if (FGlyphKind == gkDefault)
        FButton->SetNumGlyphs(FDefNumGlyphs);
    else
        FButton->SetNumGlyphs(v);
}

void TCustomComboEdit::SetGlyphKind(TGlyphKind v)
{
    if (v == FGlyphKind) return;
    FGlyphKind = v;
    if (v == gkCustom && IsLoading()) FButton->Glyph()->Assign(nullptr);
    RecreateGlyph();
    if (v == gkDefault && !FButton->Glyph()->Empty()) {
        SetButtonWidth(std::max(FButton->Glyph()->Width() / FButton->NumGlyphs() + 6, ButtonWidth()));
    } else if (v == gkDropDown) {
        SetButtonWidth(GetSystemMetrics(SM_CXVSCROLL));
        FButton->SetControlStyle(FButton->ControlStyle() + csFixedWidth);
    }
}

void TCustomComboEdit::RecreateGlyph()
{
    switch (FGlyphKind) {
    case gkDefault: {
        bool freeAfter = false;
        TBitmap* b = GetDefaultGlyph(freeAfter);
        FButton->SetGlyph(b);
        FButton->SetNumGlyphs(FDefNumGlyphs);
        if (freeAfter) delete b;
        break;
    }
    case gkDropDown: {
        // The combo box arrow: a 7 x 4 downward triangle.
        TBitmap b(7, 4);
        b.Canvas()->Brush()->SetColor(clFuchsia);
        b.Canvas()->FillRect(Rect(0, 0, 7, 4));
        for (int row = 0; row < 4; ++row)
            for (int x = row; x < 7 - row; ++x) b.Canvas()->SetPixel(x, row, clBlack);
        b.SetTransparentColor(clFuchsia);
        FButton->SetGlyph(&b);
        FButton->SetNumGlyphs(1);
        break;
    }
    case gkEllipsis: {
        const int w = std::max(1, ButtonWidth() - 6);
        TBitmap b(w, 4);
        b.SetMonochrome(true);
        const int W = 2;
        const int G = std::clamp((w - 6) / 2, 1, 3);
        const int I = (w - 6 - 2 * G) / 2;
        b.Canvas()->Brush()->SetColor(clWhite);
        b.Canvas()->FillRect(Rect(0, 0, w, 4));
        for (int x : {I, I + G + 2, I + 2 * G + 4}) PatBlt(b.Canvas(), x, 1, W, W, BLACKNESS);
        FButton->SetGlyph(&b);
        FButton->SetNumGlyphs(1);
        break;
    }
    case gkCustom: break;
    }
}

void TCustomComboEdit::SetDirectInput(bool v)
{
    FDirectInput = v;
    SetWindowReadOnly(!v || ReadOnly());
}

void TCustomComboEdit::SetReadOnly(bool v)
{
    if (v == ReadOnly()) return;
    TCustomMaskEdit::SetReadOnly(v);
    SetWindowReadOnly(v || !FDirectInput);
}

void TCustomComboEdit::SetAlignment(TAlignment v)
{
    if (v == FAlignment) return;
    FAlignment = v;
    SetEditAlignment(v);
}

void TCustomComboEdit::SetEnabled(bool v)
{
    TCustomMaskEdit::SetEnabled(v);
    FButton->SetEnabled(v);
}

void TCustomComboEdit::SelectAll()
{
    if (FDirectInput) TCustomMaskEdit::SelectAll();
}

void TCustomComboEdit::EditButtonClick(TObject*)
{
    if (ReadOnly() && !FAlwaysEnable) return;
    ButtonClick();
}

void TCustomComboEdit::ButtonClick()
{
    if (OnButtonClick) OnButtonClick(this);
    if (FPopup) {
        if (FPopupVisible)
            PopupCloseUp(FPopup, true);
        else
            DropDown(true);
    }
}

void TCustomComboEdit::DropDown(bool DisableEdit)
{
    if (!FPopup || GetReadOnly() || FPopupVisible) return;
    TPoint P = ClientToScreen(Point(0, 0));
    const int sw = Screen->Width(), sh = Screen->Height();
    int Y = P.Y + Height();
    if (Y + FPopup->Height() > sh) Y = P.Y - FPopup->Height();
    if (FPopupAlign == epaRight) {
        const int x = P.X - (FPopup->Width() - Width());
        if (x >= 0) P.X = x;
    } else if (P.X + FPopup->Width() > sw) {
        P.X -= FPopup->Width() - Width();
    }
    if (P.X < 0)
        P.X = 0;
    else if (P.X + FPopup->Width() > sw)
        P.X = sw - FPopup->Width();
    if (Text().trimmed().isEmpty() && EditMask().isEmpty())
        SetPopupValue(VarNull());
    else
        SetPopupValue(Text());
    if (CanFocus()) {
        try {
            SetFocus();
        } catch (const Exception&) {
        }
    }
    ShowPopup(Point(P.X, Y));
    FPopupVisible = true;
    if (DisableEdit) {
        SetWindowReadOnly(true);
        SetCaretVisible(false);
    }
}

void TCustomComboEdit::PopupCloseUp(TObject*, bool Accept)
{
    if (!FPopup || !FPopupVisible) return;
    struct Clear {
        bool& f;
        ~Clear() { f = false; }
    } clear{FPopupVisible};
    Variant value = GetPopupValue();
    HidePopup();
    try {
        if (!FLosingFocus && CanFocus()) SetFocus();
        SetCaretVisible(true);
    } catch (...) {
        // Giving the focus back is a courtesy; a refusal changes nothing.
    }
    SetDirectInput(DirectInput());
    Invalidate();
    if (Accept && AcceptPopup(value) && EditCanModify()) {
        AcceptValue(value);
        if (FFocused) TCustomMaskEdit::SelectAll();
    }
}

void TCustomComboEdit::AcceptValue(const Variant& Value)
{
    if (Text() != VarText(Value)) {
        SetText(VarText(Value));
        SetModified(true);
        FPopupVisible = FPopup && FPopup->PopupShowing();
        TCustomMaskEdit::Change();
    }
}

void TCustomComboEdit::Change()
{
    if (PopupVisible())
        PopupChange();
    else
        TCustomMaskEdit::Change();
}

Variant TCustomComboEdit::GetPopupValue() { return FPopup ? FPopup->GetValue() : Variant(QString()); }

void TCustomComboEdit::SetPopupValue(const Variant& Value)
{
    if (FPopup) FPopup->SetValue(Value);
}

void TCustomComboEdit::ShowPopup(TPoint Origin)
{
    if (FPopup) FPopup->Show(Origin);
}

void TCustomComboEdit::HidePopup()
{
    if (FPopup) FPopup->Hide();
}

void TCustomComboEdit::KeyDown(WORD& Key, TShiftState Shift)
{
    TCustomMaskEdit::KeyDown(Key, Shift);
    if (Key && ShortCut(Key, Shift) == FClickKey && ButtonWidth() > 0) {
        EditButtonClick(this);
        Key = 0;
    }
}

void TCustomComboEdit::KeyPress(QChar& Key)
{
    if (Key == QLatin1Char('\r') || Key.unicode() == 27) {
        if (PopupVisible()) {
            PopupCloseUp(FPopup, Key == QLatin1Char('\r'));
            Key = QChar();
            return;
        }
        // Enter and Esc go on to the form (its default and cancel buttons).
        TCustomMaskEdit::KeyPress(Key);
        return;
    }
    TCustomMaskEdit::KeyPress(Key);
}

void TCustomComboEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft && FPopup) {
        if (CanFocus() && !TWinControl::Focused()) {
            try {
                SetFocus();
            } catch (...) {
            }
        }
        if (!TWinControl::Focused()) {
            DropMouseDown();
            return;
        }
        if (FPopupVisible) PopupCloseUp(FPopup, false);
    }
    TCustomMaskEdit::MouseDown(Button, Shift, X, Y);
}

bool TCustomComboEdit::WidgetEvent(QObject* watched, QEvent* event)
{
    if (watched == Widget() && event->type() == QEvent::FocusOut && PopupVisible()) {
        QScopedValueRollback<bool> losing(FLosingFocus, true);
        PopupCloseUp(FPopup, false);
    }
    return TCustomMaskEdit::WidgetEvent(watched, event);
}

void TCustomComboEdit::DoEnter()
{
    FFocused = true;
    TCustomMaskEdit::DoEnter();
}

void TCustomComboEdit::DoExit()
{
    FFocused = false;
    PopupCloseUp(FPopup, false);
    TCustomMaskEdit::DoExit();
}

// ---------------------------------------------------------------- date edit

TBitmap* DateEditGlyph()
{
    static TBitmap* glyph = nullptr;
    if (!glyph) {
        glyph = LoadComponentBitmap(QStringLiteral("DEDITBMP"));
        static struct Free {
            ~Free() { delete glyph; glyph = nullptr; }
        } freeAtEnd;
    }
    return glyph;
}

TCustomDateEdit::TCustomDateEdit(TComponent* AOwner) : TCustomComboEdit(AOwner), FCalendarHints(new TStringList)
{
    FTitle = SDateDlgTitle();
    FDefNumGlyphs = 2;
    FCalendarHints->OnChange = [this](TObject* s) { CalendarHintsChanged(s); };
    FCreating = true;
    UpdateFormat();
    FPopup = CreatePopupCalendar(this);
    FPopup->OnCloseUp = [this](TObject* s, bool a) { PopupCloseUp(s, a); };
    FPopup->SetColor(FPopupColor);
    SetGlyphKind(gkDefault);
    FCreating = false;
}

TCustomDateEdit::~TCustomDateEdit()
{
    if (FPopup) {
        FPopup->OnCloseUp = nullptr;
        TPopupWindow* p = FPopup;
        FPopup = nullptr;
        delete p;
    }
    FCalendarHints->OnChange = nullptr;
    delete FCalendarHints;
}

TBitmap* TCustomDateEdit::GetDefaultGlyph(bool& FreeAfterUse)
{
    FreeAfterUse = false;
    return DateEditGlyph();
}

bool TCustomDateEdit::FourDigitYearNow() const
{
    return FYearDigits == dyFour || (FYearDigits == dyDefault && FourDigitYear);
}

void TCustomDateEdit::UpdateFormat() { FDateFormat = DefDateFormat(FourDigitYearNow()); }

void TCustomDateEdit::UpdatePopup()
{
    if (FPopup) SetupPopupCalendar(FPopup, FStartOfWeek, FWeekends, FWeekendColor, FCalendarHints);
}

void TCustomDateEdit::UpdateMask()
{
    const TDateTime keep = Date();
    const QString oldFormat = FDateFormat;
    UpdateFormat();
    const QString mask = DefDateMask(FBlanksChar, FourDigitYearNow());
    if (mask != EditMask() || oldFormat != FDateFormat) {
        SetEditMask(QString());
        SetEditMask(mask);
    }
    UpdatePopup();
    SetDate(keep);
}

TDateTime TCustomDateEdit::Date() const
{
    const TDateTime def = FDefaultToday ? ::Date() : NullDate;
    return StrToDateDef(FDateFormat, Text(), def);
}

void TCustomDateEdit::SetDate(TDateTime Value)
{
    if (!ValidDate(Value) || Value == NullDate) Value = FDefaultToday ? ::Date() : NullDate;
    const TDateTime old = Date();
    SetText(Value == NullDate ? QString() : FormatDateTime(FDateFormat, Value));
    SetModified(Date() != old);
}

void TCustomDateEdit::ApplyDate(TDateTime Value)
{
    SetDate(Value);
    SelectAll();
}

bool TCustomDateEdit::TextStored() const
{
    const QString sep = FormatSettings().DateSeparator;
    for (QChar c : Text())
        if (c != QChar(0) && c != QLatin1Char(' ') && !sep.contains(c) && c != FBlanksChar) return true;
    return false;
}

void TCustomDateEdit::CheckValidDate()
{
    if (!TextStored()) return;
    const QString typed = Text();
    FFormatting = true;
    try {
        SetDate(StrToDateFmt(FDateFormat, Text()));
    } catch (...) {
        FFormatting = false;
        if (CanFocus()) {
            try {
                SetFocus();
            } catch (...) {
            }
        }
        throw;
    }
    FFormatting = false;
    // The text written out (a short year, a one-digit day or month) is what
    // the edit shows from now on: one change, after the formatting.
    if (Text() != typed) Change();
}

void TCustomDateEdit::DoExit()
{
    if (FCheckOnExit) {
        try {
            CheckValidDate();
        } catch (...) {
            // Leaving is refused: the edit keeps the focus and the error
            // reaches the application's error box.
            FFocused = false;
            PopupCloseUp(FPopup, false);
            Application->HandleException(this);
            return;
        }
    }
    TCustomComboEdit::DoExit();
}

void TCustomDateEdit::Change()
{
    if (!FFormatting) TCustomComboEdit::Change();
}

void TCustomDateEdit::KeyDown(WORD& Key, TShiftState Shift)
{
    const bool calKey = Key == VK_PRIOR || Key == VK_NEXT || Key == VK_LEFT || Key == VK_UP || Key == VK_RIGHT ||
                        Key == VK_DOWN || Key == VK_ADD || Key == VK_SUBTRACT;
    if (calKey && PopupVisible()) {
        FPopup->KeyDown(Key, Shift);
        Key = 0;
    } else if ((Key == VK_ADD || Key == VK_SUBTRACT) && Shift == TShiftState{} && DirectInput()) {
        const TDateTime base = NvlDate(Date(), Now());
        ApplyDate(base + (Key == VK_ADD ? 1 : -1));
        Key = 0;
    }
    if (Key) TCustomComboEdit::KeyDown(Key, Shift);
}

void TCustomDateEdit::KeyPress(QChar& Key)
{
    const bool calChar = Key == QLatin1Char('+') || Key == QLatin1Char('-') || Key == QLatin1Char('T') ||
                         Key == QLatin1Char('t');
    if (calChar && PopupVisible()) {
        FPopup->KeyPress(Key);
        Key = QChar();
    } else if (Key == QLatin1Char('\r') && FCheckOnExit && !PopupVisible()) {
        // Enter ends the typing as leaving does: an impossible date raises
        // its error here, once, and the key goes no further (not to the
        // form's default button).
        CheckValidDate();
    } else if (DirectInput()) {
        if (Key == QLatin1Char('T') || Key == QLatin1Char('t')) {
            ApplyDate(std::trunc(Now()));
            Key = QChar();
        } else if (Key == QLatin1Char('+') || Key == QLatin1Char('-')) {
            Key = QChar();
        }
    }
    if (!Key.isNull()) TCustomComboEdit::KeyPress(Key);
}

void TCustomDateEdit::ButtonClick()
{
    TCustomComboEdit::ButtonClick();
    if (CalendarStyle() == csDialog) {
        TDateTime D = Date();
        bool action = SelectDate(D, FTitle, FStartOfWeek, FWeekends, FWeekendColor, FCalendarHints);
        if (CanFocus()) {
            try {
                SetFocus();
            } catch (...) {
            }
        }
        if (action) {
            if (OnAcceptDate) OnAcceptDate(this, D, action);
            if (action) {
                SetDate(D);
                if (FFocused) SelectAll();
            }
        }
    }
}

bool TCustomDateEdit::AcceptPopup(Variant& Value)
{
    if (!OnAcceptDate) return true;
    TDateTime D = NullDate;
    if (!VarIsNull(Value)) {
        bool ok = false;
        D = Value.toDouble(&ok);
        if (!ok) D = FDefaultToday ? ::Date() : NullDate;
    }
    bool result = true;
    OnAcceptDate(this, D, result);
    if (result) Value = D;
    return result;
}

void TCustomDateEdit::AcceptValue(const Variant& Value)
{
    SetDate(VarIsNull(Value) ? NullDate : Value.toDouble());
    FPopupVisible = FPopup && FPopup->PopupShowing();
    if (Modified()) TCustomMaskEdit::Change();
}

void TCustomDateEdit::SetPopupValue(const Variant& Value)
{
    if (FPopup) FPopup->SetValue(StrToDateDef(FDateFormat, VarText(Value), ::Date()));
}

TColor TCustomDateEdit::PopupColor() const { return FPopup ? FPopup->Color() : FPopupColor; }

void TCustomDateEdit::SetPopupColor(TColor v)
{
    FPopupColor = v;
    if (FPopup) FPopup->SetColor(v);
}

void TCustomDateEdit::SetBlanksChar(QChar v)
{
    if (v < QLatin1Char(' ')) v = QLatin1Char(' ');
    if (v == FBlanksChar) return;
    FBlanksChar = v;
    UpdateMask();
}

void TCustomDateEdit::SetYearDigits(TYearDigits v)
{
    if (v == FYearDigits) return;
    FYearDigits = v;
    UpdateMask();
}

void TCustomDateEdit::SetCalendarHints(TStrings* v)
{
    FCalendarHints->Assign(v);
}

void TCustomDateEdit::CalendarHintsChanged(TObject*)
{
    auto keep = FCalendarHints->OnChange;
    FCalendarHints->OnChange = nullptr;
    while (FCalendarHints->Count() > 4) FCalendarHints->Delete(FCalendarHints->Count() - 1);
    FCalendarHints->OnChange = keep;
    UpdatePopup();
}

void TCustomDateEdit::SetStartOfWeek(TDayOfWeekName v)
{
    FStartOfWeek = v;
    UpdatePopup();
}

void TCustomDateEdit::SetWeekends(TDaysOfWeek v)
{
    FWeekends = v;
    UpdatePopup();
}

void TCustomDateEdit::SetWeekendColor(TColor v)
{
    FWeekendColor = v;
    UpdatePopup();
}

void TCustomDateEdit::SetCalendarStyle(TCalendarStyle v)
{
    if (v == CalendarStyle()) return;
    if (v == csPopup) {
        FPopup = CreatePopupCalendar(this);
        FPopup->OnCloseUp = [this](TObject* s, bool a) { PopupCloseUp(s, a); };
        FPopup->SetColor(FPopupColor);
        UpdatePopup();
    } else {
        TPopupWindow* p = FPopup;
        FPopup = nullptr;
        FPopupVisible = false;
        p->OnCloseUp = nullptr;
        delete p;
    }
}

TDateEdit::TDateEdit(TComponent* AOwner) : TCustomDateEdit(AOwner) { UpdateMask(); }
