#pragma once
// The search line under a register window's grid: typing moves the grid's
// dataset to the first record whose value in the grid's selected column
// contains the text (the text turns red when none does), Enter moves on to
// the next such record, Esc returns to the grid, and the line hides itself
// when it loses the focus. The window creates one object, fills its fields
// and installs its three methods as the edit's handlers; the object owns
// none of them.
#include "platform/core/Classes.h"
#include "platform/ui/Controls.h"
#include "platform/ui/StdCtrls.h"

class TDataSet;
class TQvDBGrid;
class TPanel;
class TForm;

// The search line's edit: Enter and Esc are its own (search on, back to the
// grid), so in a dialog they never reach its OK and Cancel buttons.
class TSearchEdit : public TEdit {
    QV_CLASS(TSearchEdit, TEdit)
public:
    explicit TSearchEdit(TComponent* AOwner = nullptr) : TEdit(AOwner) {}
    bool WantsDialogKey(WORD Key, TShiftState Shift) const override { return Key == VK_RETURN || Key == VK_ESCAPE; }
};

class cPanelSearch : public TObject {
    QV_CLASS(cPanelSearch, TObject)
public:
    TDataSet* DataSet = nullptr;
    TQvDBGrid* Grid = nullptr;
    TEdit* Edit = nullptr;
    TPanel* Panel = nullptr;
    TForm* Form = nullptr;

    void EditChange(TObject* Sender);
    void EditKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
    void EditExit(TObject* Sender);

    // Installs the three handlers on Edit.
    void Install();

private:
    // The field name of the grid's selected column; empty when it has none.
    QString SelectedFieldName() const;
};
