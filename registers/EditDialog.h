#pragma once
// TEditDialog: the frame the record dialogs of the object registers share
// (question, draft decision): a fixed dialog of client area 392 x 379,
// centred on its owner, Tahoma 8 pt, with the OK button (default, click
// handler btnOKClick) and the Cancel button ("Отмена", modal result Cancel)
// in its lower right corner, and small builders for its labels, memos and
// data sources.
#include "platform/ui/Forms.h"

class TButton;
class TDataSet;
class TDataSource;
class TDBMemo;
class TLabel;
class TWinControl;

class TEditDialog : public TForm {
    QV_CLASS(TEditDialog, TForm)
public:
    explicit TEditDialog(TComponent* AOwner = nullptr);

    TButton* btnOK;
    TButton* btnCancel;

    virtual void btnOKClick(TObject* Sender) = 0;

protected:
    // A data source with AutoEdit off, bound to the data module's dataset.
    TDataSource* MakeDataSource(const char* Name, TDataSet* DataSet);
    TLabel* MakeLabel(const char* Name, const QString& Caption, int Left, int Top, TWinControl* FocusControl);
    // A memo of the field with a vertical scroll bar.
    TDBMemo* MakeMemo(const char* Name, TDataSource* Source, const char* Field, int Left, int Top, int Width,
                      int Height, int TabOrder);
};
