#pragma once
// The directory of board members (adoRefMembers, opened by the main window's
// aOpenRefMembers): the register window with three panes that follow the
// current member: his posts of the last five years and his seats in other
// management bodies, each edited in place in its own grid, and a memo with
// his payment details. The form storage keeps the panes' sizes and the
// columns of the three grids.
#include "registers/RegisterWindow.h"

class TDBMemo;
class TLabel;
class TSplitter;

class TfmMainReferenceMembers : public TRegisterWindow {
    QV_CLASS(TfmMainReferenceMembers, TRegisterWindow)
public:
    explicit TfmMainReferenceMembers(TComponent* AOwner = nullptr);

    TPanel* Panel1 = nullptr;
    TPanel* Panel2 = nullptr;
    TPanel* Panel3 = nullptr;
    TPanel* Panel4 = nullptr;
    TPanel* Panel5 = nullptr;
    TPanel* Panel6 = nullptr;
    TPanel* Panel7 = nullptr;
    TSplitter* Splitter1;
    TSplitter* Splitter2;
    TSplitter* Splitter3;
    TLabel* lblMemo;
    TDBMemo* DBMemo;
    TLabel* Label1;
    TLabel* Label2;
    TQvDBGrid* DBGrid1;
    TQvDBGrid* DBGrid2;
    TDataSource* DataSource1;
    TDataSource* DataSource2;

    void FormShow(TObject* Sender) override;
    void FormActivate(TObject* Sender) override;
    void FormClose(TObject* Sender, TCloseAction& Action) override;
    void FormResize(TObject* Sender);
    void DBGrid1KeyDown(TObject* Sender, WORD& Key, TShiftState Shift);

protected:
    void UpdateEditActions() override;

private:
    TQvDBGrid* DetailGrid(TWinControl* Parent, const char* Name, TDataSource* Source, TDBGridOptions Options);
    // The memo and seats panes at most the window's height minus 100 (else
    // 100 high), the right part at most its width minus 200 (else 240 wide).
    void CapPanes();
};
