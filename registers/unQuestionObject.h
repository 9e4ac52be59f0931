#pragma once
// The questions register: the questions put before board sessions, over the
// data module's adoObjQuestions (opened by the main window's
// aOpenObjQuestions). Questions are added and changed in the question dialog
// (unAddEditQuestionObject); a question that a draft decision still refers
// to cannot be deleted.
#include "registers/ObjectRegister.h"

class TfmQuestionObject : public TObjectRegisterWindow {
    QV_CLASS(TfmQuestionObject, TObjectRegisterWindow)
public:
    explicit TfmQuestionObject(TComponent* AOwner = nullptr);

    TAction* aHighlight;

    void aNAddExecute(TObject* Sender) override;
    void aNDeleteExecute(TObject* Sender) override;
    void aNEditExecute(TObject* Sender) override;
    void aHighlightExecute(TObject* Sender) { HighlightExecute(Sender); }

private:
    void ShowQuestionDialog(bool Adding);
};
