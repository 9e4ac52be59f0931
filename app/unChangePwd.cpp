#include "app/unChangePwd.h"

#include "app/unMain.h"
#include "app/unSplash.h"
#include "platform/ui/StdCtrls.h"

#include <algorithm>

TfmChangePwd::TfmChangePwd(TComponent* AOwner) : TForm(AOwner)
{
    InitAppResources();
    SetName(QStringLiteral("fmChangePwd"));
    SetBorderStyle(bsDialog);
    SetCaption(QStringLiteral("Изменение пароля"));
    SetPosition(poOwnerFormCenter);
    Font()->SetName(QStringLiteral("Tahoma"));
    Font()->SetSize(8);
    SetClientWidth(288);
    SetClientHeight(221);

    auto label = [this](const char* name, int top, const QString& text) {
        auto* l = new TLabel(this);
        l->SetName(QString::fromLatin1(name));
        l->SetParent(this);
        l->SetBounds(8, top, 150, 13);
        l->SetCaption(text);
        return l;
    };
    lbInfo = label("lbInfo", 8, QStringLiteral("Для смены пароля введите сначала старый пароль, \r\nа затем новый и подтверждение."));
    lbInfo->SetWordWrap(true);
    lbInfo->SetBounds(8, 8, 272, 29);
    lbInfo->SetAutoSize(true);   // see FormShow

    auto edit = [this](TEdit* e, const char* name, int top) {
        e->SetName(QString::fromLatin1(name));
        e->SetParent(this);
        e->SetBounds(8, top, 269, 21);
        e->SetMaxLength(250);
        e->SetPasswordChar(QLatin1Char('*'));
    };
    edOldPwd = new TEdit(this);
    edit(edOldPwd, "edOldPwd", 62);
    edNewPwd = new TMaskEdit(this);
    edit(edNewPwd, "edNewPwd", 110);
    edConfirmPwd = new TMaskEdit(this);
    edit(edConfirmPwd, "edConfirmPwd", 158);
    Label1 = label("Label1", 46, QStringLiteral("&Старый пароль:"));
    Label1->SetFocusControl(edOldPwd);
    Label2 = label("Label2", 94, QStringLiteral("&Новый пароль:"));
    Label2->SetFocusControl(edNewPwd);
    Label3 = label("Label3", 142, QStringLiteral("Подтвер&ждение:"));
    Label3->SetFocusControl(edConfirmPwd);

    btOK = new TButton(this);
    btOK->SetName(QStringLiteral("btOK"));
    btOK->SetParent(this);
    btOK->SetBounds(122, 190, 75, 25);
    btOK->SetCaption(QStringLiteral("OK"));
    btOK->SetDefault(true);
    btOK->OnClick = [this](TObject* s) { btOKClick(s); };

    btCancel = new TButton(this);
    btCancel->SetName(QStringLiteral("btCancel"));
    btCancel->SetParent(this);
    btCancel->SetBounds(203, 190, 75, 25);
    btCancel->SetCaption(QStringLiteral("Отмена"));
    btCancel->SetCancel(true);
    btCancel->SetModalResult(mrCancel);

    OnShow = [this](TObject* s) { FormShow(s); };
}

void TfmChangePwd::FormShow(TObject*)
{
    // The note is two lines of its own. The face standing in for Tahoma sets
    // the first a fraction of a pixel wider than the 272 laid out, and the
    // word-wrapped label would break it into three: the label takes the
    // width of its longer line, up to 4 pixels short of the dialog's edge.
    lbInfo->SetWordWrap(false);   // sized to its lines as they are
    const int lines = lbInfo->Width();
    lbInfo->SetBounds(lbInfo->Left(), lbInfo->Top(), std::clamp(lines, 272, ClientWidth() - lbInfo->Left() - 4),
                      lbInfo->Height());
    lbInfo->SetWordWrap(true);   // sized to the width
    // The two lines of lbInfo fit 29 pixels in the face the dialog was laid
    // out for; a face wider still wraps them further, and the rest of the
    // dialog moves down instead of the text being cut.
    const int extra = lbInfo->Height() - 29;
    if (extra > 0 && !FGrown) {
        FGrown = true;
        for (int i = 0; i < ControlCount(); ++i)
            if (Controls(i) != lbInfo) Controls(i)->SetTop(Controls(i)->Top() + extra);
        SetClientHeight(ClientHeight() + extra);
    }
    edOldPwd->Clear();
    edNewPwd->Clear();
    edConfirmPwd->Clear();
    SetActiveControl(edOldPwd);
}

void TfmChangePwd::btOKClick(TObject*)
{
    const QString caption = QStringLiteral("Изменение пароля");
    const int flags = MB_OK | MB_ICONWARNING;
    if (edOldPwd->Text() != DbPassword) {
        Application->MessageBox(QStringLiteral("Неверный старый пароль. Пароли вводятся с учетом регистра."), caption,
                                flags);
        if (edOldPwd->CanFocus()) SetActiveControl(edOldPwd);
        edOldPwd->SelectAll();
        return;
    }
    if (edNewPwd->Text() != edConfirmPwd->Text()) {
        Application->MessageBox(
            QStringLiteral("Введенные пароли не совпадают. Введите в оба поля один и тот же пароль."), caption, flags);
        return;
    }
    if (edNewPwd->Text() == edOldPwd->Text()) {
        Application->MessageBox(
            QStringLiteral("Введенный пароль совпадает с текущим. Введите пароль, отличный от текущего."), caption,
            flags);
        return;
    }
    SetModalResult(mrOk);
}
