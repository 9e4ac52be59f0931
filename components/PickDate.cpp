#include "components/PickDate.h"

#include <cmath>

#include "components/QvConst.h"
#include "platform/core/SysUtils.h"

TPoint PopupCalendarSize = {187, 124};

namespace {

// A caption drawn centred, without a window of its own (the title labels).
class TTitleText : public TGraphicControl {
public:
    explicit TTitleText(TComponent* AOwner) : TGraphicControl(AOwner) {}
    TColor TextColor = clWindowText;
    bool Bold = false;
protected:
    void Paint() override
    {
        TCanvas* c = Canvas();
        TRect r = ClientRect();
        c->Brush()->SetColor(Parent() ? Parent()->Color() : clBtnFace);
        c->FillRect(r);
        c->SetFont(Font());
        if (Bold) {
            TFontStyles st = c->Font()->Style();
            st.Include(fsBold);
            c->Font()->SetStyle(st);
        }
        c->SetTextColor(TextColor);
        c->DrawText(Caption(), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
};

TQvTimerSpeedButton* MakeNavButton(TComponent* owner, TWinControl* parent, int x, int y, int size,
                                   const char* glyph, const QString& hint)
{
    auto* b = new TQvTimerSpeedButton(owner);
    b->SetParent(parent);
    b->SetBounds(x, y, size, size);
    TBitmap* g = LoadComponentBitmap(QString::fromLatin1(glyph));
    b->SetGlyph(g);
    delete g;
    b->SetHint(hint);
    return b;
}

TDateTime Today() { return ::Date(); }

}  // namespace

// ----------------------------------------------------- timer speed button

TQvTimerSpeedButton::TQvTimerSpeedButton(TComponent* AOwner) : TQvSpeedButton(AOwner)
{
    SetAllowTimer(true);
    SetStyle(bsWin31);
    SetControlStyle(ControlStyle() + csReplicatable);
}

// ----------------------------------------------------------------- calendar

TQvCalendar::TQvCalendar(TComponent* AOwner) : TCustomControl(AOwner)
{
    FControlStyle = FControlStyle + csFramed;
    SetBounds(0, 0, 192, 115);
    SetColor(clWindow);
    SetParentColor(false);
    SetTabStop(true);
    FDate = Today();
    UpdateCalendar();
}

int TQvCalendar::Year() const { int y, m, d; DecodeDate(FDate, y, m, d); return y; }
int TQvCalendar::Month() const { int y, m, d; DecodeDate(FDate, y, m, d); return m; }
int TQvCalendar::Day() const { int y, m, d; DecodeDate(FDate, y, m, d); return d; }

void TQvCalendar::SetCalendarDate(TDateTime v)
{
    if (v == FDate) return;
    FDate = v;
    UpdateCalendar();
    Change();
}

void TQvCalendar::SetStartOfWeek(TDayOfWeekName v)
{
    FStartOfWeek = v;
    UpdateCalendar();
}

void TQvCalendar::SetUseCurrentDate(bool v)
{
    FUseCurrentDate = v;
    if (v) {
        FDate = Today();
        UpdateCalendar();
    }
}

void TQvCalendar::SetWeekends(TDaysOfWeek v)
{
    FWeekends = v;
    UpdateCalendar();
}

void TQvCalendar::SetWeekendColor(TColor v)
{
    FWeekendColor = v;
    Invalidate();
}

void TQvCalendar::Change()
{
    if (OnChange) OnChange(this);
}

void TQvCalendar::UpdateCalendar()
{
    FUpdating = true;
    int y, m, d;
    DecodeDate(FDate, y, m, d);
    const TDateTime first = EncodeDate(y, m, 1);
    FMonthOffset = 2 - ((DayOfWeek(first) - int(FStartOfWeek) + 7) % 7);
    if (FMonthOffset == 2) FMonthOffset = -5;
    MoveCell((d - FMonthOffset) % 7, (d - FMonthOffset) / 7 + 1, false);
    Invalidate();
    FUpdating = false;
}

void TQvCalendar::UpdateDayOnly()
{
    FUpdating = true;
    const int d = Day();
    MoveCell((d - FMonthOffset) % 7, (d - FMonthOffset) / 7 + 1, false);
    Repaint();
    FUpdating = false;
}

bool TQvCalendar::MoveCell(int ACol, int ARow, bool byUser)
{
    if (ACol < 0 || ACol > 6 || ARow < 1 || ARow > 6) return false;
    if (!SelectCell(ACol, ARow)) return false;
    FCol = ACol;
    FRow = ARow;
    Invalidate();
    if (byUser) Click();
    return true;
}

QString TQvCalendar::CellText(int ACol, int ARow) const
{
    if (ARow == 0) return FormatSettings().ShortDayNames.value((int(FStartOfWeek) + ACol) % 7);
    const int n = FMonthOffset + ACol + (ARow - 1) * 7;
    if (n < 1 || n > DaysPerMonth(Year(), Month())) return QString();
    return QString::number(n);
}

bool TQvCalendar::SelectCell(int ACol, int ARow)
{
    if (CellText(ACol, ARow).isEmpty()) return false;
    if (FReadOnly && !FUpdating) return false;
    return ARow > 0;
}

void TQvCalendar::Click()
{
    TCustomControl::Click();
    const QString t = CellText(FCol, FRow);
    if (!t.isEmpty()) SetDay(t.toInt());
}

void TQvCalendar::SetDateElement(int Index, int Value)
{
    if (Value <= 0) return;
    int y, m, d;
    DecodeDate(FDate, y, m, d);
    switch (Index) {
    case 1:
        if (Value == y) return;
        y = Value;
        // 29 February in a year without it becomes the 28th.
        d = std::min(d, DaysPerMonth(y, m));
        break;
    case 2:
        if (Value > 12 || Value == m) return;
        m = Value;
        d = std::min(d, DaysPerMonth(y, m));
        break;
    case 3:
        if (Value > DaysPerMonth(y, m) || Value == d) return;
        d = Value;
        break;
    default: return;
    }
    FDate = EncodeDate(y, m, d) + (FDate - std::floor(FDate));
    FUseCurrentDate = false;
    if (Index == 3)
        UpdateDayOnly();
    else
        UpdateCalendar();
    Change();
}

void TQvCalendar::ChangeMonth(int Delta)
{
    int y, m, d;
    DecodeDate(FDate, y, m, d);
    TDateTime base = Delta > 0 ? EncodeDate(y, m, DaysPerMonth(y, m)) : EncodeDate(y, m, 1);
    base += Delta;
    int y2, m2, d2;
    DecodeDate(base, y2, m2, d2);
    const int day = DaysPerMonth(y2, m2) > d ? d : DaysPerMonth(y2, m2);
    SetCalendarDate(EncodeDate(y2, m2, day));
}

void TQvCalendar::NextYear()
{
    if (IsLeapYear(Year()) && Month() == 2 && Day() == 29) SetDay(28);
    SetYear(Year() + 1);
}

void TQvCalendar::PrevYear()
{
    if (IsLeapYear(Year()) && Month() == 2 && Day() == 29) SetDay(28);
    SetYear(Year() - 1);
}

void TQvCalendar::KeyDown(WORD& Key, TShiftState Shift)
{
    if (Shift == TShiftState{}) {
        switch (Key) {
        case VK_LEFT:
        case VK_SUBTRACT:
            if (Day() > 1) SetDay(Day() - 1); else SetCalendarDate(FDate - 1);
            Key = 0;
            return;
        case VK_RIGHT:
        case VK_ADD:
            if (Day() < DaysPerMonth(Year(), Month())) SetDay(Day() + 1); else SetCalendarDate(FDate + 1);
            Key = 0;
            return;
        case VK_UP:
            MoveCell(FCol, FRow - 1, true);
            Key = 0;
            return;
        case VK_DOWN:
            MoveCell(FCol, FRow + 1, true);
            Key = 0;
            return;
        default: break;
        }
    }
    TCustomControl::KeyDown(Key, Shift);
}

void TQvCalendar::KeyPress(QChar& Key)
{
    if (Key == QLatin1Char('T') || Key == QLatin1Char('t')) {
        SetCalendarDate(std::trunc(Now()));
        Key = QChar();
    }
    TCustomControl::KeyPress(Key);
}

TRect TQvCalendar::CellRect(int ACol, int ARow) const
{
    const int lw = FGridLines ? 1 : 0;
    const int cw = (Width() - 6 * lw) / 7, rh = (Height() - 6 * (FGridLines ? 1 : 0)) / 7;
    const int x = ACol * (cw + lw), y = ARow * (rh + lw);
    return Rect(x, y, x + cw, y + rh);
}

void TQvCalendar::MouseToCell(int X, int Y, int& ACol, int& ARow) const
{
    ACol = ARow = -1;
    for (int r = 0; r < 7; ++r)
        for (int c = 0; c < 7; ++c) {
            const TRect cr = CellRect(c, r);
            if (X >= cr.Left && X < cr.Right + 1 && Y >= cr.Top && Y < cr.Bottom + 1) {
                ACol = c;
                ARow = r;
                return;
            }
        }
}

void TQvCalendar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) {
        if (FTakesFocus && CanFocus() && !Focused()) {
            try { SetFocus(); } catch (...) {}
        }
        int c, r;
        MouseToCell(X, Y, c, r);
        if (r > 0) MoveCell(c, r, true);
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TQvCalendar::DrawCell(int ACol, int ARow, const TRect& ARect, bool Selected)
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(ARow == 0 ? clBtnFace : Selected ? clHighlight : Color());
    c->FillRect(ARect);
    const QString t = CellText(ACol, ARow);
    TColor fc = Selected ? clHighlightText : Font()->Color();
    if (!Selected && FWeekends.Contains(TDayOfWeekName((int(FStartOfWeek) + ACol) % 7))) fc = FWeekendColor;
    c->SetTextColor(fc);
    c->Brush()->SetStyle(bsClear);
    const int x = ARect.Left + (ARect.Width() - c->TextWidth(t)) / 2;
    const int y = ARect.Top + (ARect.Height() - c->TextHeight(t)) / 2;
    c->TextRect(ARect, x, y, t);
    c->Brush()->SetStyle(bsSolid);
}

void TQvCalendar::Paint()
{
    TCanvas* c = Canvas();
    c->SetFont(Font());
    c->Brush()->SetColor(FGridLines ? clBtnShadow : Color());
    c->FillRect(ClientRect());
    if (!FGridLines) {
        // Only the header row's line.
        const TRect h = CellRect(0, 0);
        c->Brush()->SetColor(clBtnShadow);
        c->FillRect(Rect(0, h.Bottom, Width(), h.Bottom + 1));
    }
    for (int r = 0; r < 7; ++r)
        for (int col = 0; col < 7; ++col) DrawCell(col, r, CellRect(col, r), r > 0 && col == FCol && r == FRow);
}

// ------------------------------------------------------- pop-up's calendar

TLocCalendar::TLocCalendar(TComponent* AOwner) : TQvCalendar(AOwner)
{
    FControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks, csReplicatable};
    FTakesFocus = false;
    SetTabStop(false);
    SetParentColor(true);
    FGridLines = false;
    SetCalendarDate(Today());
    SetUseCurrentDate(false);
}

void TLocCalendar::DrawCell(int ACol, int ARow, const TRect& ARect, bool Selected)
{
    TQvCalendar::DrawCell(ACol, ARow, ARect, Selected);
    if (ARow == 0) return;
    const QString t = CellText(ACol, ARow);
    int y, m, d;
    DecodeDate(Today(), y, m, d);
    if (!t.isEmpty() && t.toInt() == d && Year() == y && Month() == m) {
        TRect r = ARect;
        Frame3D(Canvas(), r, clBtnShadow, clBtnHighlight, 1);
    }
}

// --------------------------------------------------------- pop-up calendar

TPopupCalendar::TPopupCalendar(TWinControl* AOwner) : TPopupWindow(AOwner)
{
    SetBounds(0, 0, std::max(PopupCalendarSize.X, 180), std::max(PopupCalendarSize.Y, 120));
    SetColor(clBtnFace);
    SetParentColor(false);
    // The arrow buttons show their hints as the editor that makes the pop-up
    // shows its own at that moment; a pop-up without an editor shows them.
    SetShowHint(AOwner ? AOwner->ShowHint() : true);

    auto* back = new TPanel(this);
    back->SetBevelOuter(bvNone);
    back->SetParent(this);
    back->SetBounds(1, 1, Width() - 2, Height() - 2);   // inside the border
    back->SetParentColor(true);
    auto* top = new TPanel(this);
    top->SetBevelOuter(bvNone);
    top->SetParent(back);
    top->SetParentColor(true);
    top->SetBounds(0, 0, Width() - 4, 18);
    top->SetAlign(alTop);
    FCalendar = new TLocCalendar(this);
    FCalendar->SetParent(back);
    FCalendar->SetBounds(0, 18, back->Width(), back->Height() - 18);
    FCalendar->SetAlign(alClient);
    FCalendar->OnChange = [this](TObject* s) { CalendarChange(s); };
    FCalendar->OnMouseUp = [this](TObject* s, TMouseButton b, TShiftState sh, int x, int y) {
        CalendarMouseUp(s, b, sh, x, y);
    };
    const int tw = top->Width();
    FBtns[0] = MakeNavButton(this, top, -1, -1, 14, "PREV2", SPrevYear());
    FBtns[1] = MakeNavButton(this, top, 12, -1, 14, "PREV1", SPrevMonth());
    FBtns[2] = MakeNavButton(this, top, tw - 26, -1, 14, "NEXT1", SNextMonth());
    FBtns[3] = MakeNavButton(this, top, tw - 13, -1, 14, "NEXT2", SNextYear());
    FBtns[0]->OnClick = [this](TObject*) { FCalendar->PrevYear(); };
    FBtns[1]->OnClick = [this](TObject*) { FCalendar->PrevMonth(); };
    FBtns[2]->OnClick = [this](TObject*) { FCalendar->NextMonth(); };
    FBtns[3]->OnClick = [this](TObject*) { FCalendar->NextYear(); };
    auto* title = new TTitleText(this);
    title->SetParent(top);
    title->SetBounds(29, 1, tw - 58, 14);
    title->OnDblClick = [this](TObject*) { FCalendar->SetCalendarDate(Today()); };
    CalendarChange(nullptr);
}

void TPopupCalendar::Paint() { TPopupWindow::Paint(); }

void TPopupCalendar::CalendarChange(TObject*)
{
    FTitleText = FormatDateTime(QStringLiteral("MMMM, YYYY"), FCalendar->CalendarDate());
    // The title is the fifth control of the top panel.
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* t = dynamic_cast<TTitleText*>(Components(i))) {
            t->SetCaption(FTitleText);
            t->Invalidate();
        }
}

void TPopupCalendar::CalendarMouseUp(TObject*, TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button != mbLeft || Shift.Contains(ssShift) || Shift.Contains(ssCtrl) || Shift.Contains(ssAlt)) return;
    int c, r;
    FCalendar->MouseToCell(X, Y, c, r);
    if (r > 0 && !FCalendar->CellText(c, r).isEmpty()) CloseUp(true);
}

Variant TPopupCalendar::GetValue() { return Variant(FCalendar->CalendarDate()); }

void TPopupCalendar::SetValue(const Variant& Value)
{
    TDateTime d = Today();
    if (!VarIsNull(Value)) {
        QString t = Value.toString();
        t.remove(FormatSettings().DateSeparator);
        if (!t.trimmed().isEmpty()) {
            bool ok = false;
            const double v = Value.toDouble(&ok);
            if (ok && Value.typeId() != QMetaType::QString) {
                d = ValidDate(v) ? v : Today();
            } else {
                TDateTime parsed;
                d = TryStrToDate(Value.toString(), parsed) ? parsed : Today();
            }
        }
    }
    FCalendar->SetCalendarDate(std::trunc(d));
    CalendarChange(nullptr);
}

void TPopupCalendar::KeyDown(WORD& Key, TShiftState Shift)
{
    TPopupWindow::KeyDown(Key, Shift);
    const bool ctrl = Shift.Contains(ssCtrl);
    if (Key == VK_NEXT) {
        if (ctrl) FCalendar->NextYear(); else FCalendar->NextMonth();
    } else if (Key == VK_PRIOR) {
        if (ctrl) FCalendar->PrevYear(); else FCalendar->PrevMonth();
    } else if (Key) {
        FCalendar->KeyDown(Key, Shift);
    }
}

void TPopupCalendar::KeyPress(QChar& Key)
{
    TPopupWindow::KeyPress(Key);
    if (!Key.isNull()) FCalendar->KeyPress(Key);
}

TPopupWindow* CreatePopupCalendar(TWinControl* AOwner, int ABiDiMode)
{
    Q_UNUSED(ABiDiMode);
    return new TPopupCalendar(AOwner);
}

void SetupPopupCalendar(TPopupWindow* PopupCalendar, TDayOfWeekName AStartOfWeek, TDaysOfWeek AWeekends,
                        TColor AWeekendColor, TStrings* BtnHints)
{
    auto* p = dynamic_cast<TPopupCalendar*>(PopupCalendar);
    if (!p) return;
    p->Calendar()->SetStartOfWeek(AStartOfWeek);
    p->Calendar()->SetWeekendColor(AWeekendColor);
    p->Calendar()->SetWeekends(AWeekends);
    if (BtnHints)
        for (int i = 0; i <= std::min(BtnHints->Count() - 1, 3); ++i)
            if (!BtnHints->Strings(i).isEmpty()) p->Buttons(i)->SetHint(BtnHints->Strings(i));
}

// -------------------------------------------------------------- date dialog

TSelectDateDlg::TSelectDateDlg(TComponent* AOwner) : TForm(AOwner)
{
    SetCaption(SDateDlgTitle());
    SetBorderStyle(bsToolWindow);
    SetBorderIcons(TBorderIcons{biSystemMenu});
    SetColor(clBtnFace);
    SetPosition(poScreenCenter);
    SetShowHint(true);
    SetClientWidth(222);
    SetClientHeight(154);

    auto* top = new TPanel(this);
    top->SetParent(this);
    top->SetBounds(0, 0, 222, 22);
    top->SetAlign(alTop);
    top->SetBevelInner(bvLowered);
    top->SetParentColor(true);
    auto* title = new TTitleText(this);
    title->SetParent(top);
    title->SetBounds(35, 4, 152, 14);
    title->TextColor = clBlue;
    title->Bold = true;
    title->OnDblClick = [this](TObject* s) { TopPanelDblClick(s); };
    TitleLabel = nullptr;
    FBtns[0] = MakeNavButton(this, top, 3, 3, 16, "PREV2", SPrevYear());
    FBtns[1] = MakeNavButton(this, top, 18, 3, 16, "PREV1", SPrevMonth());
    FBtns[2] = MakeNavButton(this, top, 188, 3, 16, "NEXT1", SNextMonth());
    FBtns[3] = MakeNavButton(this, top, 203, 3, 16, "NEXT2", SNextYear());
    FBtns[0]->OnClick = [this](TObject* s) { PrevYearBtnClick(s); };
    FBtns[1]->OnClick = [this](TObject* s) { PrevMonthBtnClick(s); };
    FBtns[2]->OnClick = [this](TObject* s) { NextMonthBtnClick(s); };
    FBtns[3]->OnClick = [this](TObject* s) { NextYearBtnClick(s); };

    auto* bottom = new TPanel(this);
    bottom->SetParent(this);
    bottom->SetBounds(0, 133, 222, 21);
    bottom->SetAlign(alBottom);
    bottom->SetBevelOuter(bvNone);
    auto* ok = new TQvSpeedButton(this);
    ok->SetParent(bottom);
    ok->SetBounds(0, 0, 112, 21);
    ok->SetCaption(QStringLiteral("OK"));
    ok->SetModalResult(mrOk);
    auto* cancel = new TQvSpeedButton(this);
    cancel->SetParent(bottom);
    cancel->SetBounds(111, 0, 111, 21);
    cancel->SetCaption(QStringLiteral("Cancel"));
    cancel->SetModalResult(mrCancel);

    auto* calPanel = new TPanel(this);
    calPanel->SetParent(this);
    calPanel->SetBounds(0, 22, 222, 111);
    calPanel->SetAlign(alClient);
    calPanel->SetBevelInner(bvLowered);
    Calendar = new TQvCalendar(this);
    Calendar->SetParent(calPanel);
    Calendar->SetBounds(2, 2, 218, 107);
    Calendar->SetAlign(alClient);
    Calendar->SetColor(clWhite);
    Calendar->SetUseCurrentDate(false);
    Calendar->OnChange = [this](TObject* s) { CalendarChange(s); };
    Calendar->OnDblClick = [this](TObject* s) { CalendarDblClick(s); };
    Calendar->OnKeyDown = [this](TObject* s, WORD& k, TShiftState sh) { FormKeyDown(s, k, sh); };
    Calendar->SetCalendarDate(Today());
    CalendarChange(nullptr);
    SetActiveControl(Calendar);
}

void TSelectDateDlg::SetDate(TDateTime v)
{
    if (v == NullDate || !ValidDate(v)) v = Today();
    Calendar->SetCalendarDate(std::trunc(v));
    CalendarChange(nullptr);
}

void TSelectDateDlg::CalendarChange(TObject*)
{
    FTitle = FormatDateTime(QStringLiteral("MMMM, YYYY"), Calendar->CalendarDate());
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* t = dynamic_cast<TTitleText*>(Components(i))) {
            t->SetCaption(FTitle);
            t->Invalidate();
        }
}

void TSelectDateDlg::TopPanelDblClick(TObject*) { SetDate(Today()); }
void TSelectDateDlg::CalendarDblClick(TObject*) { SetModalResult(mrOk); }

void TSelectDateDlg::FormKeyDown(TObject*, WORD& Key, TShiftState Shift)
{
    const bool ctrl = Shift.Contains(ssCtrl);
    switch (Key) {
    case VK_ESCAPE: SetModalResult(mrCancel); break;
    case VK_RETURN: SetModalResult(mrOk); break;
    case VK_TAB:
        if (Shift == TShiftState{ssShift}) Calendar->PrevMonth(); else Calendar->NextMonth();
        break;
    case VK_NEXT: if (ctrl) Calendar->NextYear(); else Calendar->NextMonth(); break;
    case VK_PRIOR: if (ctrl) Calendar->PrevYear(); else Calendar->PrevMonth(); break;
    default: break;
    }
}

bool SelectDate(TDateTime& Date, const QString& DlgCaption, TDayOfWeekName AStartOfWeek, TDaysOfWeek AWeekends,
                TColor AWeekendColor, TStrings* BtnHints)
{
    TSelectDateDlg* dlg = NewForm<TSelectDateDlg>(Application);
    bool result = false;
    try {
        if (!DlgCaption.isEmpty()) dlg->SetCaption(DlgCaption);
        dlg->SetDate(Date);
        dlg->Calendar->SetStartOfWeek(AStartOfWeek);
        dlg->Calendar->SetWeekends(AWeekends);
        dlg->Calendar->SetWeekendColor(AWeekendColor);
        if (BtnHints)
            for (int i = 0; i <= std::min(BtnHints->Count() - 1, 3); ++i)
                if (!BtnHints->Strings(i).isEmpty()) dlg->Buttons(i)->SetHint(BtnHints->Strings(i));
        if (dlg->ShowModal() == mrOk) {
            Date = dlg->Date();
            result = true;
        }
    } catch (...) {
        dlg->Free();
        throw;
    }
    dlg->Free();
    return result;
}
