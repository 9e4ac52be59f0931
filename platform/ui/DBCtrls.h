#pragma once
// Data-aware controls: an edit, a memo and a lookup combo box that show and
// edit one field of a data source's current record, and the navigator whose
// buttons move through and edit a data source's dataset.
//
// Every field control stands on TFieldControlLink: one field data link owned
// by the control, whose events reach the control's DataChange,
// EditingChange and UpdateData. The rules they share, as the framework has
// them:
// - The control shows the field of the current record and follows it (a
//   move, a change made elsewhere, cancel).
// - Typing asks the data source for edit state (its AutoEdit); while the
//   dataset cannot be put into editing the control refuses the input. The
//   window is read-only exactly while the link is not editing.
// - A character the field cannot take (IsValidChar: a letter in a number)
//   is refused with a beep as it is typed; a pasted text is not filtered.
// - What was typed is written to the field when the control loses the focus
//   and when the dataset posts; Esc gives back the field's value. A value the
//   field refuses goes to the application's error display and the control
//   keeps the focus.
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

#include "platform/core/Sets.h"
#include "platform/db/DB.h"
#include "platform/ui/Mask.h"
#include "platform/ui/StdCtrls.h"

class QComboBox;
class QToolButton;
class TStringList;
class TStrings;

// The field data link of a data-aware control: binds the control's
// DataSource/DataField to its field and its hooks to the link's events.
class TFieldControlLink {
public:
    TDataSource* DataSource() const { return FDataLink.DataSource(); }
    void SetDataSource(TDataSource* v) { FDataLink.SetDataSource(v); }
    QString DataField() const { return FDataLink.FieldName(); }
    void SetDataField(const QString& v) { FDataLink.SetFieldName(v); }
    TField* Field() const { return FDataLink.Field(); }
    TFieldDataLink* DataLink() { return &FDataLink; }

protected:
    explicit TFieldControlLink(TComponent* control);
    virtual ~TFieldControlLink();
    TFieldControlLink(const TFieldControlLink&) = delete;
    TFieldControlLink& operator=(const TFieldControlLink&) = delete;

    // The record or the field changed: show the field again.
    virtual void DataChange() {}
    // The link started or stopped editing.
    virtual void EditingChange() {}
    // The dataset asks for the control's pending value (post, leaving the control).
    virtual void UpdateData() {}
    // Writes the pending value now; a refused value is shown by the error
    // display and false returned.
    bool CommitOrReport(TWinControl* control);
    // The key rules of the edits: a key that changes the text asks for
    // editing and is dropped when there is none to be had (Enter too when it
    // breaks a line); a character the field refuses (IsValidChar) is dropped
    // with a beep; Esc gives the field's value back (EditKeyPress: true).
    void EditKeyDown(WORD& Key, TShiftState Shift, bool EnterEdits);
    bool EditKeyPress(QChar& Key);
    // The text changed: a change by the user is pending for the field.
    void TextChangedByUser();

    TFieldDataLink FDataLink;
    bool FShowing = false;   // the control is showing the field's value
};

// A single-line edit of a field: its edit text while editing, its display
// text otherwise; string fields limit the length to the field's size.
class TDBEdit : public TCustomMaskEdit, public TFieldControlLink {
    QV_CLASS(TDBEdit, TCustomMaskEdit)
public:
    explicit TDBEdit(TComponent* AOwner = nullptr);
    bool ReadOnly() const { return FDataLink.ReadOnly(); }
    void SetReadOnly(bool v) override { FDataLink.SetReadOnly(v); }

protected:
    void DataChange() override;
    void EditingChange() override;
    void UpdateData() override;
    bool EditCanModify() override { return FDataLink.Edit(); }
    bool CanPaste() override { return FDataLink.Edit(); }
    bool CanCut() override { return FDataLink.Edit(); }
    void Change() override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void DoEnter() override;
    void DoExit() override;
};

// A memo of a (memo) field; its text has CR LF line breaks.
class TDBMemo : public TMemo, public TFieldControlLink {
    QV_CLASS(TDBMemo, TMemo)
public:
    explicit TDBMemo(TComponent* AOwner = nullptr);
    bool ReadOnly() const { return FDataLink.ReadOnly(); }
    void SetReadOnly(bool v) override { FDataLink.SetReadOnly(v); }

protected:
    void DataChange() override;
    void EditingChange() override;
    void UpdateData() override;
    void Change() override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void DoExit() override;
};

enum TDropDownAlign { daLeft, daRight, daCenter };

// A closed list of the rows of ListSource's dataset: the data field holds the
// KeyField of the chosen row, the box shows its list field. ListField names
// one or several fields ("date;question"); the drop-down shows each in a
// column as wide as the field's DisplayWidth, the box shows the one at
// ListFieldIndex. When the key changes the list dataset is moved to its row,
// so that controls on ListSource follow the choice.
class TDBLookupComboBox : public TWinControl, public TFieldControlLink {
    QV_CLASS(TDBLookupComboBox, TWinControl)
public:
    explicit TDBLookupComboBox(TComponent* AOwner = nullptr);
    ~TDBLookupComboBox() override;

    TDataSource* ListSource() const;
    void SetListSource(TDataSource* v);
    const QString& KeyField() const { return FKeyField; }
    void SetKeyField(const QString& v);
    const QString& ListField() const { return FListField; }
    void SetListField(const QString& v);
    int ListFieldIndex() const { return FListFieldIndex; }
    void SetListFieldIndex(int v);
    int DropDownRows() const { return FDropDownRows; }
    void SetDropDownRows(int v);
    // Width of the drop-down list; 0: the box's width.
    int DropDownWidth() const { return FDropDownWidth; }
    void SetDropDownWidth(int v) { FDropDownWidth = v; }
    TDropDownAlign DropDownAlign() const { return FDropDownAlign; }
    void SetDropDownAlign(TDropDownAlign v) { FDropDownAlign = v; }
    bool ReadOnly() const { return FDataLink.ReadOnly(); }
    void SetReadOnly(bool v) { FDataLink.SetReadOnly(v); }

    // The key value shown (the data field's value when bound).
    Variant KeyValue() const { return FKeyValue; }
    void SetKeyValue(const Variant& v);
    // The list text shown in the box.
    QString DisplayText() const { return Text(); }
    // The list's fields, in ListField order (empty until the list is open).
    std::vector<TField*> ListFields() const;
    // The widths in pixels of the drop-down's columns.
    std::vector<int> ColumnWidths() const;

    // What a user does: picks row i of the list dataset (its view order) with
    // the mouse or the arrow keys.
    void SelectRow(int row);
    void DropDown();
    void CloseUp();
    bool ListVisible() const;
    // While the list is open Enter and Esc are the list's.
    bool WantsDialogKey(WORD Key, TShiftState Shift) const override { return ListVisible(); }

    TNotifyEvent OnCloseUp;
    TNotifyEvent OnDropDown;

protected:
    QWidget* CreateWidget(QWidget* parentWidget) override;
    void InitWidget() override;
    void DataChange() override;
    QComboBox* Combo() const;

private:
    class ListLink;
    class ListModel;
    friend class ListLink;
    void ListChanged();
    void ShowKey();
    void ApplyListLook();
    ListLink* FListLink;
    ListModel* FModel;
    QString FKeyField, FListField;
    int FListFieldIndex = 0;
    int FDropDownRows = 7;
    int FDropDownWidth = 0;
    TDropDownAlign FDropDownAlign = daLeft;
    Variant FKeyValue;
};

enum TNavigateBtn { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh };
using TButtonSet = TSet<TNavigateBtn>;
using TNavClickEvent = std::function<void(TObject* Sender, TNavigateBtn Button)>;

// A row of buttons on a data source's dataset: move to the first, prior,
// next and last record, insert, delete, edit, post, cancel and refresh. Only
// VisibleButtons are shown, sharing the width. A button is enabled when its
// command makes sense in the dataset's state. Hints: one line per button in
// the order above, each button's hint as a control's own: its tool tip shows
// the short part (with ShowHint), and the long part is the application's
// hint while the mouse is over the button (a button without a line shows
// the navigator's). Delete asks "Удалить запись?" first only with
// ConfirmDelete.
class TDBNavigator : public TWinControl {
    QV_CLASS(TDBNavigator, TWinControl)
public:
    explicit TDBNavigator(TComponent* AOwner = nullptr);
    ~TDBNavigator() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* v);
    TButtonSet VisibleButtons() const { return FVisibleButtons; }
    void SetVisibleButtons(TButtonSet v);
    bool Flat() const { return FFlat; }
    void SetFlat(bool v);
    bool ConfirmDelete() const { return FConfirmDelete; }
    void SetConfirmDelete(bool v) { FConfirmDelete = v; }
    TStrings* Hints() const;
    void SetHints(TStrings* v);

    // What a click on the button does (also when the button is hidden).
    void BtnClick(TNavigateBtn Index);
    bool ButtonEnabled(TNavigateBtn b) const;
    bool ButtonVisible(TNavigateBtn b) const;
    // The button's widget (none before the control has its window).
    QToolButton* Button(TNavigateBtn b) const;
    // The button's line of Hints (empty when there is none).
    QString ButtonHint(TNavigateBtn b) const;

    TNavClickEvent BeforeAction;
    TNavClickEvent OnClick;

protected:
    QWidget* CreateWidget(QWidget* parentWidget) override;
    void InitWidget() override;
    void Resize() override;
    void EnabledChanged() override;
    bool WidgetEvent(QObject* watched, QEvent* event) override;
    // A press on a button takes the focus only to a navigator that is a tab
    // stop: otherwise the control the user works in (a grid with its row
    // being edited) keeps it, and Esc still reaches that control.
    bool TakesClickFocus() const override { return TabStop(); }

private:
    class NavLink;
    friend class NavLink;
    void UpdateButtons();
    void LayoutButtons();
    void ApplyHints();
    NavLink* FLink;
    TButtonSet FVisibleButtons{nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh};
    bool FFlat = false;
    bool FConfirmDelete = true;
    TStringList* FHints;
    std::vector<QPointer<QToolButton>> FButtons;
};
