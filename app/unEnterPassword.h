#pragma once
// The password dialog of the login.
#include "platform/ui/Forms.h"

class TImage;
class TLabel;
class TEdit;
class TButton;

class TfmEnterPassword : public TForm {
    QV_CLASS(TfmEnterPassword, TForm)
public:
    explicit TfmEnterPassword(TComponent* AOwner = nullptr);
    TImage* Image1;
    TLabel* Label1;
    TEdit* edPassword;
    TButton* btOK;
    TButton* btCancel;
    void FormShow(TObject* Sender);
};
