#pragma once
// The password-change dialog: old password, new password and confirmation.
#include "platform/ui/Forms.h"

class TLabel;
class TEdit;
class TMaskEdit;
class TButton;

class TfmChangePwd : public TForm {
    QV_CLASS(TfmChangePwd, TForm)
public:
    explicit TfmChangePwd(TComponent* AOwner = nullptr);
    TLabel* lbInfo;
    TLabel* Label1;
    TLabel* Label2;
    TLabel* Label3;
    TEdit* edOldPwd;
    TMaskEdit* edNewPwd;
    TMaskEdit* edConfirmPwd;
    TButton* btOK;
    TButton* btCancel;
    void FormShow(TObject* Sender);
    void btOKClick(TObject* Sender);

private:
    bool FGrown = false;
};
