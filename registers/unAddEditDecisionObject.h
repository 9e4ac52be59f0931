#pragma once
// The draft decision dialog: the session the decision is put to (its link
// row in LNK_SESSIONS_DECISIONS), the question it answers and its text. The
// register puts the decision and its link row into insert or edit state
// before showing it; OK stores both in one transaction.
#include "registers/EditDialog.h"

class TDBLookupComboBox;

class TfmAddEditDecisionObject : public TEditDialog {
    QV_CLASS(TfmAddEditDecisionObject, TEditDialog)
public:
    explicit TfmAddEditDecisionObject(TComponent* AOwner = nullptr);

    TDataSource* dsoMain;
    TDataSource* dsoLnkSessionsDecisions;
    TDataSource* dsoSessions;
    TDataSource* dsoQuestions;
    TLabel* Label2;
    TDBLookupComboBox* DBLookupComboBox2;
    TLabel* Label1;
    TDBLookupComboBox* DBLookupComboBox1;
    TLabel* Label5;
    TDBMemo* DBMemo1;

    // Stores the decision, then its link row, in one transaction, and closes
    // with OK. When either is refused, both are undone and stay as the user
    // left them, so OK can be pressed again and Cancel leaves nothing. A link
    // row made for a decision that had none is stored only with a session.
    void btnOKClick(TObject* Sender) override;
};
