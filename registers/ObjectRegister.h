#pragma once
// TObjectRegisterWindow: the register window of the objects whose records
// change only through an edit dialog (sessions, questions, draft decisions),
// and of the read-only payments.
//
// On top of the template it makes the grid read-only and the data source's
// AutoEdit off, gives add, delete and edit the shortcuts Ins, Ctrl+Del and F2
// (hints without the key names), hides the post, cancel and refresh buttons,
// opens the edit command by a double click on a data cell, and carries the
// hidden highlight toggle (ToolButton16) that repaints the grid. Its filter
// rows offer only data fields.
#include <vector>

#include "registers/RegisterWindow.h"

class TFont;

class TObjectRegisterWindow : public TRegisterWindow {
    QV_CLASS(TObjectRegisterWindow, TRegisterWindow)
public:
    explicit TObjectRegisterWindow(TComponent* AOwner = nullptr);

    TToolButton* ToolButton16;

    void DBGridDblClick(TObject* Sender);
    void DBGridKeyDown(TObject* Sender, WORD& Key, TShiftState Shift) override;
    void DBGridGetCellParams(TObject* Sender, TField* Field, TFont* AFont, TColor& Background, bool Highlight);

protected:
    // The highlight toggle: auto-check, image 21, no shortcut, caption and
    // hint the same text; its button ToolButton16 stays hidden.
    void MakeHighlightAction(TAction*& a, const char* Name, const QString& Caption, TNotifyEvent Execute);
    void HighlightExecute(TObject* Sender);

    // Runs an edit dialog: Prepare puts the records into insert or edit
    // state, then the dialog is shown modally and freed. When it did not end
    // with OK (or Prepare or the dialog failed), each of the datasets still
    // in insert or edit state is cancelled, in the order given. Returns the
    // dialog's result.
    TModalResult ShowEditDialog(TForm* Dialog, const std::function<void()>& Prepare,
                                const std::vector<TDataSet*>& CancelUnlessOk);
};
