#pragma once
// The record picker: a modal copy of the register window over the data
// module's dataset of a referenced table, read-only, with navigation, filter
// rows, the search line, sorting by column title and export, and OK and
// Cancel. With the grid's multi-select option several rows can be chosen.
//
// The caller binds DataSource to the dataset, sets the grid's multi-select
// option, shows the picker modally and reads the chosen records from the
// dataset (the selected rows, or the current record) before it frees the
// picker.
//
// The dataset is shared with the register windows of that table: a pending
// edit is posted before the picker touches it, and when the picker is freed
// the dataset gets back what it had (the rows a register window's filter
// handed it, its sort and filter, its current record).
#include <QString>
#include <vector>

#include "platform/ado/Recordset.h"
#include "platform/db/DB.h"
#include "registerbase/RegisterWindowBase.h"

class TButton;

class TfmReportsSelectFromRef : public TRegisterWindowBase {
    QV_CLASS(TfmReportsSelectFromRef, TRegisterWindowBase)
public:
    explicit TfmReportsSelectFromRef(TComponent* AOwner = nullptr);
    ~TfmReportsSelectFromRef() override;

    TPanel* panBottom;
    TButton* btOK;
    TButton* btCancel;

    void FormShow(TObject* Sender) override;
    void FormClose(TObject* Sender, TCloseAction& Action) override;
    void DataSourceDataChange(TObject* Sender, TField* Field) override;
    void DataSourceStateChange(TObject* Sender) override;
    void DBGridKeyDown(TObject* Sender, WORD& Key, TShiftState Shift) override;
    void DBGridDblClick(TObject* Sender);

protected:
    // Navigation without record-number tests.
    void UpdateNavigationActions() override;
    void UpdateRefreshAction();

private:
    // What the dataset had before the picker used it.
    struct Kept {
        TDataSet* DataSet = nullptr;
        bool Active = false;
        ado::RecordsetPtr HandedOver;
        QString Filter, Sort, Key;
        bool Filtered = false;
        TBookmark Bookmark;
    } FKept;
    void KeepDataSet();
    void GiveBackDataSet();
};
