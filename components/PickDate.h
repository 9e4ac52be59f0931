#pragma once
// The month calendar (TQvCalendar), its borderless pop-up variant
// (TLocCalendar), the drop-down calendar of the date edits (TPopupCalendar),
// the modal date dialog (TSelectDateDlg, SelectDate) and the auto-repeating
// arrow button of both (TQvTimerSpeedButton).
//
// The calendar is a 7 x 7 grid: row 0 holds the short day names from
// StartOfWeek, rows 1..6 the days of the month; cells outside the month are
// empty and can not be selected.
#include "components/ToolEdit.h"
#include "platform/ui/Forms.h"

class TQvTimerSpeedButton : public TQvSpeedButton {
    QV_CLASS(TQvTimerSpeedButton, TQvSpeedButton)
public:
    explicit TQvTimerSpeedButton(TComponent* AOwner = nullptr);
};

class TQvCalendar : public TCustomControl {
    QV_CLASS(TQvCalendar, TCustomControl)
public:
    explicit TQvCalendar(TComponent* AOwner = nullptr);

    TDateTime CalendarDate() const { return FDate; }
    void SetCalendarDate(TDateTime v);
    int Year() const;
    int Month() const;
    int Day() const;
    void SetYear(int v) { SetDateElement(1, v); }
    void SetMonth(int v) { SetDateElement(2, v); }
    void SetDay(int v) { SetDateElement(3, v); }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v) { FReadOnly = v; }
    TDayOfWeekName StartOfWeek() const { return FStartOfWeek; }
    void SetStartOfWeek(TDayOfWeekName v);
    bool UseCurrentDate() const { return FUseCurrentDate; }
    void SetUseCurrentDate(bool v);
    TDaysOfWeek Weekends() const { return FWeekends; }
    void SetWeekends(TDaysOfWeek v);
    TColor WeekendColor() const { return FWeekendColor; }
    void SetWeekendColor(TColor v);
    QString CellText(int ACol, int ARow) const;
    int Col() const { return FCol; }
    int Row() const { return FRow; }
    int MonthOffset() const { return FMonthOffset; }
    TRect CellRect(int ACol, int ARow) const;
    void MouseToCell(int X, int Y, int& ACol, int& ARow) const;
    // Lines between the cells (the pop-up shows only the header's).
    bool GridLines() const { return FGridLines; }
    void SetGridLines(bool v) { FGridLines = v; Invalidate(); }

    void NextMonth() { ChangeMonth(1); }
    void PrevMonth() { ChangeMonth(-1); }
    void NextYear();
    void PrevYear();
    virtual void UpdateCalendar();

    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;

    TNotifyEvent OnChange;

protected:
    virtual void Change();
    virtual bool SelectCell(int ACol, int ARow);
    virtual void DrawCell(int ACol, int ARow, const TRect& ARect, bool Selected);
    void Click() override;
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void ChangeMonth(int Delta);
    void SetDateElement(int Index, int Value);
    void UpdateDayOnly();
    bool MoveCell(int ACol, int ARow, bool byUser);
    TDateTime FDate = 0;
    int FMonthOffset = 0;
    bool FReadOnly = false;
    TDayOfWeekName FStartOfWeek = Mon;
    bool FUpdating = false;
    bool FUseCurrentDate = true;
    TDaysOfWeek FWeekends{Sun};
    TColor FWeekendColor = clRed;
    int FCol = 0, FRow = 1;
    bool FGridLines = true;
};

class TLocCalendar : public TQvCalendar {
    QV_CLASS(TLocCalendar, TQvCalendar)
public:
    explicit TLocCalendar(TComponent* AOwner = nullptr);
protected:
    void DrawCell(int ACol, int ARow, const TRect& ARect, bool Selected) override;
};

class TPopupCalendar : public TPopupWindow {
    QV_CLASS(TPopupCalendar, TPopupWindow)
public:
    explicit TPopupCalendar(TWinControl* AOwner);
    Variant GetValue() override;
    void SetValue(const Variant& Value) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    TLocCalendar* Calendar() const { return FCalendar; }
    TQvTimerSpeedButton* Buttons(int i) const { return FBtns[i]; }
    QString Title() const { return FTitleText; }
protected:
    void Paint() override;
private:
    void CalendarChange(TObject*);
    void CalendarMouseUp(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y);
    TLocCalendar* FCalendar;
    TQvTimerSpeedButton* FBtns[4];
    QString FTitleText;
};

class TSelectDateDlg : public TForm {
    QV_CLASS(TSelectDateDlg, TForm)
public:
    explicit TSelectDateDlg(TComponent* AOwner = nullptr);
    TQvCalendar* Calendar;
    TCustomControl* TitleLabel;
    TDateTime Date() const { return Calendar->CalendarDate(); }
    void SetDate(TDateTime v);
    TQvTimerSpeedButton* Buttons(int i) const { return FBtns[i]; }
    QString TitleText() const { return FTitle; }

    void TopPanelDblClick(TObject*);
    void PrevYearBtnClick(TObject*) { Calendar->PrevYear(); }
    void NextYearBtnClick(TObject*) { Calendar->NextYear(); }
    void PrevMonthBtnClick(TObject*) { Calendar->PrevMonth(); }
    void NextMonthBtnClick(TObject*) { Calendar->NextMonth(); }
    void CalendarChange(TObject*);
    void CalendarDblClick(TObject*);
    void FormKeyDown(TObject*, WORD& Key, TShiftState Shift);
private:
    TQvTimerSpeedButton* FBtns[4];
    QString FTitle;
};

// The pop-up size of the library (a point; at least 180 x 120 is used).
extern TPoint PopupCalendarSize;

TPopupWindow* CreatePopupCalendar(TWinControl* AOwner, int ABiDiMode = 0);
void SetupPopupCalendar(TPopupWindow* PopupCalendar, TDayOfWeekName AStartOfWeek, TDaysOfWeek AWeekends,
                        TColor AWeekendColor, TStrings* BtnHints);
bool SelectDate(TDateTime& Date, const QString& DlgCaption, TDayOfWeekName AStartOfWeek, TDaysOfWeek AWeekends,
                TColor AWeekendColor, TStrings* BtnHints);
