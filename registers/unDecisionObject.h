#pragma once
// The draft decisions register, over the data module's adoObjDecisions
// (opened by the main window's aOpenObjDecisions). Each decision is put to a
// session through its link row in LNK_SESSIONS_DECISIONS; the decision
// dialog (unAddEditDecisionObject) keeps the decision and its link in step.
// Deleting a decision removes its session links and every vote cast on it,
// all in one transaction.
#include "registers/ObjectRegister.h"

class TfmDecisionObject : public TObjectRegisterWindow {
    QV_CLASS(TfmDecisionObject, TObjectRegisterWindow)
public:
    explicit TfmDecisionObject(TComponent* AOwner = nullptr);

    TAction* aHighLight;

    void aNAddExecute(TObject* Sender) override;
    void aNDeleteExecute(TObject* Sender) override;
    void aNEditExecute(TObject* Sender) override;
    void aHighLightExecute(TObject* Sender) { HighlightExecute(Sender); }

private:
    void ShowDecisionDialog(bool Adding);
    // The lists that show decisions and links, then the window's own rows.
    void RequeryDecisions();
};
