#pragma once
// The directory of the forms of holding (adoRefForms, opened by the main
// window's aOpenRefForms): the register window with a memo pane under the
// grid that edits the current record's long text (the dataset's first memo
// field), a splitter between them. The form storage keeps the pane's
// height only.
#include "registers/RegisterWindow.h"

class TBevel;
class TDBMemo;
class TLabel;
class TSplitter;

class TfmMainReferenceMemo : public TRegisterWindow {
    QV_CLASS(TfmMainReferenceMemo, TRegisterWindow)
public:
    explicit TfmMainReferenceMemo(TComponent* AOwner = nullptr);

    TPanel* Panel2 = nullptr;
    TPanel* Panel3;
    TSplitter* Splitter1;
    TPanel* Panel1 = nullptr;
    TBevel* Bevel2;
    TLabel* lblMemo;
    TDBMemo* DBMemo1;

    void FormShow(TObject* Sender) override;
    void FormResize(TObject* Sender);

protected:
    void UpdateEditActions() override;

private:
    // The memo pane at most the window's height minus 100 (else 70 high);
    // the status bar and the panes aligned again.
    void CapMemoPane();
    void RealignPanes();
};
