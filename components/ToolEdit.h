#pragma once
// The edit with a button inside its right edge (TCustomComboEdit/TComboEdit)
// and the date edit built on it (TCustomDateEdit/TDateEdit).
//
// The button either raises OnButtonClick or drops a pop-up window
// (TPopupWindow) under the edit. The pop-up never takes the focus: keys keep
// going to the edit, which passes the calendar's keys on while it is open.
// The date edit keeps its text in the date format with a matching edit mask
// (digits only), reads an empty text as the null date (0.0), and opens a
// pop-up calendar or, with csDialog, the modal date dialog. With CheckOnExit
// an impossible date raises its conversion error once, when the edit is left
// and when Enter is pressed in it (before the form's default button could
// take the key), and the edit keeps the focus; a date it can read is written
// out in the date format then (20.12.26 becomes 20.12.2026), and that
// completion is announced as one change of the text (OnChange), so whoever
// follows the text sees what the edit shows.
#include <QPointer>

#include "components/DateUtil.h"
#include "components/QvCtrls.h"
#include "platform/core/Variants.h"
#include "platform/ui/Mask.h"

class TCustomComboEdit;
class TStringList;

using TCloseUpEvent = std::function<void(TObject* Sender, bool Accept)>;

// The drop-down window of a combo edit.
class TPopupWindow : public TCustomControl {
    QV_CLASS(TPopupWindow, TCustomControl)
public:
    explicit TPopupWindow(TWinControl* AOwner);
    TWinControl* Editor() const { return FEditor; }
    virtual Variant GetValue() = 0;
    virtual void SetValue(const Variant& Value) = 0;
    virtual void CloseUp(bool Accept);
    virtual QString GetPopupText() { return QString(); }
    // Keys forwarded by the edit while the pop-up is open.
    using TCustomControl::KeyDown;
    using TCustomControl::KeyPress;
    // Shows the window at the screen point without taking the activation.
    void Show(TPoint Origin);
    void Hide();
    bool PopupShowing() const;
    TCloseUpEvent OnCloseUp;

protected:
    void Paint() override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    TWinControl* FEditor;
};

class TEditButton : public TQvSpeedButton {
    QV_CLASS(TEditButton, TQvSpeedButton)
public:
    explicit TEditButton(TComponent* AOwner = nullptr);
    void Click() override;
    TCustomComboEdit* Editor() const;
protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
private:
    bool FNoAction = false;
};

enum TPopupAlign { epaRight, epaLeft };
enum TGlyphKind { gkCustom, gkDefault, gkDropDown, gkEllipsis };
using TNumGlyphs = int;   // 1..4

class TCustomComboEdit : public TCustomMaskEdit {
    QV_CLASS(TCustomComboEdit, TCustomMaskEdit)
public:
    explicit TCustomComboEdit(TComponent* AOwner = nullptr);
    ~TCustomComboEdit() override;

    TEditButton* Button() const { return FButton; }
    TCustomControl* ButtonPanel() const { return FBtnControl; }
    TShortCut ClickKey() const { return FClickKey; }
    void SetClickKey(TShortCut v) { FClickKey = v; }
    bool DirectInput() const { return FDirectInput; }
    void SetDirectInput(bool v);
    void SetReadOnly(bool v) override;
    bool AlwaysEnable() const { return FAlwaysEnable; }
    void SetAlwaysEnable(bool v) { FAlwaysEnable = v; }
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    TPopupAlign PopupAlign() const { return FPopupAlign; }
    void SetPopupAlign(TPopupAlign v) { FPopupAlign = v; }
    TGlyphKind GlyphKind() const { return FGlyphKind; }
    void SetGlyphKind(TGlyphKind v);
    int ButtonWidth() const;
    void SetButtonWidth(int v);
    QString ButtonHint() const;
    void SetButtonHint(const QString& v);
    TBitmap* Glyph() const;
    void SetGlyph(TBitmap* v);
    TNumGlyphs NumGlyphs() const;
    void SetNumGlyphs(TNumGlyphs v);
    bool PopupVisible() const { return FPopup && FPopupVisible; }
    // While the pop-up is open Enter accepts it and Esc closes it.
    bool WantsDialogKey(WORD Key, TShiftState Shift) const override { return PopupVisible(); }
    TPopupWindow* Popup() const { return FPopup; }
    bool Focused() const { return FFocused; }

    // The pop-up's life.
    virtual void DropDown(bool DisableEdit = true);
    void PopupCloseUp(TObject* Sender, bool Accept);
    // The button's handler (also ClickKey's).
    void EditButtonClick(TObject* Sender);
    virtual void ButtonClick();

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void SetEnabled(bool v) override;
    void SelectAll() override;

    TNotifyEvent OnButtonClick;

protected:
    friend class TEditButton;
    virtual TBitmap* GetDefaultGlyph(bool& FreeAfterUse) { FreeAfterUse = false; return nullptr; }
    virtual void ShowPopup(TPoint Origin);
    virtual void HidePopup();
    virtual bool AcceptPopup(Variant& Value) { return true; }
    virtual void AcceptValue(const Variant& Value);
    virtual void SetPopupValue(const Variant& Value);
    virtual Variant GetPopupValue();
    virtual void PopupChange() {}
    virtual bool GetReadOnly() const { return ReadOnly(); }
    bool EditCanModify() override { return !ReadOnly(); }
    bool CanPaste() override { return FDirectInput && !ReadOnly(); }
    bool CanCut() override { return FDirectInput && !ReadOnly(); }
    void Change() override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void InitWidget() override;
    void WndProc(TMessage& Message) override;
    // The pop-up closes, unaccepted, whenever the edit loses the focus: to
    // another control, and also to another window, which is no leaving of
    // the control (no exit check then).
    bool WidgetEvent(QObject* watched, QEvent* event) override;
    void DoEnter() override;
    void DoExit() override;
    void UpdateBtnBounds();
    void RecreateGlyph();
    int FDefNumGlyphs = 1;
    TPopupWindow* FPopup = nullptr;
    bool FPopupVisible = false;
    bool FCreating = false;
    bool FFocused = false;
    // Set while the pop-up closes because the focus went elsewhere: the
    // focus is not called back then.
    bool FLosingFocus = false;

private:
    TEditButton* FButton;
    TCustomControl* FBtnControl;
    TShortCut FClickKey = 32808;
    bool FDirectInput = true;
    bool FAlwaysEnable = false;
    TAlignment FAlignment = taLeftJustify;
    TPopupAlign FPopupAlign = epaRight;
    TGlyphKind FGlyphKind = gkCustom;
};

class TComboEdit : public TCustomComboEdit {
    QV_CLASS(TComboEdit, TCustomComboEdit)
public:
    explicit TComboEdit(TComponent* AOwner = nullptr) : TCustomComboEdit(AOwner) {}
};

enum TDayOfWeekName { Sun, Mon, Tue, Wed, Thu, Fri, Sat };
using TDaysOfWeek = TSet<TDayOfWeekName>;
enum TYearDigits { dyDefault, dyFour, dyTwo };
enum TCalendarStyle { csPopup, csDialog };
using TExecDateDialog = std::function<void(TObject* Sender, TDateTime& ADate, bool& Action)>;

class TCustomDateEdit : public TCustomComboEdit {
    QV_CLASS(TCustomDateEdit, TCustomComboEdit)
public:
    explicit TCustomDateEdit(TComponent* AOwner = nullptr);
    ~TCustomDateEdit() override;

    TDateTime Date() const;
    void SetDate(TDateTime Value);
    virtual void ApplyDate(TDateTime Value);
    virtual void UpdateMask();
    void CheckValidDate();
    bool TextStored() const;
    QString DateFormat() const { return FDateFormat; }

    QString DialogTitle() const { return FTitle; }
    void SetDialogTitle(const QString& v) { FTitle = v; }
    bool DefaultToday() const { return FDefaultToday; }
    void SetDefaultToday(bool v) { FDefaultToday = v; }
    TColor PopupColor() const;
    void SetPopupColor(TColor v);
    bool CheckOnExit() const { return FCheckOnExit; }
    void SetCheckOnExit(bool v) { FCheckOnExit = v; }
    QChar BlanksChar() const { return FBlanksChar; }
    void SetBlanksChar(QChar v);
    TStringList* CalendarHints() const { return FCalendarHints; }
    void SetCalendarHints(TStrings* v);
    TDayOfWeekName StartOfWeek() const { return FStartOfWeek; }
    void SetStartOfWeek(TDayOfWeekName v);
    TDaysOfWeek Weekends() const { return FWeekends; }
    void SetWeekends(TDaysOfWeek v);
    TColor WeekendColor() const { return FWeekendColor; }
    void SetWeekendColor(TColor v);
    TYearDigits YearDigits() const { return FYearDigits; }
    void SetYearDigits(TYearDigits v);
    TCalendarStyle CalendarStyle() const { return FPopup ? csPopup : csDialog; }
    void SetCalendarStyle(TCalendarStyle v);
    void ButtonClick() override;

    TExecDateDialog OnAcceptDate;

protected:
    TBitmap* GetDefaultGlyph(bool& FreeAfterUse) override;
    bool AcceptPopup(Variant& Value) override;
    void AcceptValue(const Variant& Value) override;
    void SetPopupValue(const Variant& Value) override;
    void Change() override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void DoExit() override;
    void UpdateFormat();
    void UpdatePopup();
    bool FourDigitYearNow() const;
    bool FFormatting = false;

private:
    void CalendarHintsChanged(TObject*);
    QString FTitle;
    bool FDefaultToday = false;
    TColor FPopupColor = clBtnFace;
    bool FCheckOnExit = false;
    QChar FBlanksChar = QLatin1Char(' ');
    TStringList* FCalendarHints;
    TDayOfWeekName FStartOfWeek = Mon;
    TDaysOfWeek FWeekends{Sun};
    TColor FWeekendColor = clRed;
    TYearDigits FYearDigits = dyDefault;
    QString FDateFormat;
};

class TDateEdit : public TCustomDateEdit {
    QV_CLASS(TDateEdit, TCustomDateEdit)
public:
    explicit TDateEdit(TComponent* AOwner = nullptr);
};

// The date edit's shared default glyph ("DEDITBMP"), freed at the end.
TBitmap* DateEditGlyph();
// Returns B when A is the null date, else A.
inline TDateTime NvlDate(TDateTime A, TDateTime B) { return A == NullDate ? B : A; }
