#include "app/unEnterPassword.h"

#include "app/unSplash.h"
#include "platform/ui/ImageCtrls.h"
#include "platform/ui/StdCtrls.h"

TfmEnterPassword::TfmEnterPassword(TComponent* AOwner) : TForm(AOwner)
{
    SetName(QStringLiteral("fmEnterPassword"));
    SetBorderStyle(bsDialog);
    SetCaption(QStringLiteral("Вход в систему"));
    SetPosition(poDesktopCenter);
    Font()->SetName(QStringLiteral("Tahoma"));
    Font()->SetSize(8);
    SetClientWidth(326);
    SetClientHeight(95);

    Image1 = new TImage(this);
    Image1->SetName(QStringLiteral("Image1"));
    Image1->SetParent(this);
    Image1->SetBounds(12, 12, 32, 32);
    Image1->SetPicture(LoadJpegResource(QStringLiteral("key.jpg")));

    edPassword = new TEdit(this);
    edPassword->SetName(QStringLiteral("edPassword"));
    edPassword->SetParent(this);
    edPassword->SetBounds(54, 30, 264, 21);
    edPassword->SetMaxLength(200);
    edPassword->SetPasswordChar(QLatin1Char('*'));

    Label1 = new TLabel(this);
    Label1->SetName(QStringLiteral("Label1"));
    Label1->SetParent(this);
    Label1->SetBounds(54, 12, 190, 13);
    Label1->SetFocusControl(edPassword);
    Label1->SetCaption(QStringLiteral("Для входа в систему введите &пароль:"));

    btOK = new TButton(this);
    btOK->SetName(QStringLiteral("btOK"));
    btOK->SetParent(this);
    btOK->SetBounds(162, 62, 75, 25);
    btOK->SetCaption(QStringLiteral("OK"));
    btOK->SetDefault(true);
    btOK->SetModalResult(mrOk);

    btCancel = new TButton(this);
    btCancel->SetName(QStringLiteral("btCancel"));
    btCancel->SetParent(this);
    btCancel->SetBounds(243, 62, 75, 25);
    btCancel->SetCaption(QStringLiteral("Отмена"));
    btCancel->SetCancel(true);
    btCancel->SetModalResult(mrCancel);

    OnShow = [this](TObject* s) { FormShow(s); };
}

void TfmEnterPassword::FormShow(TObject*)
{
    SetActiveControl(edPassword);
    edPassword->SelectAll();
}
