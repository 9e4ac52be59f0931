#pragma once
// The question dialog: the date a question was entered, its text and the
// further information on it, edited on the data module's adoObjQuestions,
// which the register puts into insert or edit state before showing it.
#include "registers/EditDialog.h"

class TDBDateEdit;

class TfmAddEditQuestionObject : public TEditDialog {
    QV_CLASS(TfmAddEditQuestionObject, TEditDialog)
public:
    explicit TfmAddEditQuestionObject(TComponent* AOwner = nullptr);

    TDataSource* dsoMain;
    TLabel* Label2;
    TDBDateEdit* DBDateEdit1;
    TLabel* Label5;
    TDBMemo* DBMemo1;
    TLabel* Label6;
    TDBMemo* DBMemo2;

    // Posts the question; closes with OK once it is stored.
    void btnOKClick(TObject* Sender) override;
};
