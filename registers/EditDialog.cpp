#include "registers/EditDialog.h"

#include "platform/db/DB.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/StdCtrls.h"

TEditDialog::TEditDialog(TComponent* AOwner) : TForm(AOwner)
{
    SetBorderStyle(bsDialog);
    SetPosition(poOwnerFormCenter);
    Font()->SetName(QStringLiteral("Tahoma"));
    Font()->SetHeight(-11);
    Font()->SetCharset(RUSSIAN_CHARSET);
    SetClientWidth(392);
    SetClientHeight(379);

    struct Button {
        TButton*& button;
        const char* name;
        const char* caption;
        int left;
        int tabOrder;
    };
    for (const Button& b : {Button{btnOK, "btnOK", "OK", 219, 3}, Button{btnCancel, "btnCancel", "Отмена", 305, 4}}) {
        b.button = new TButton(this);
        b.button->SetName(QString::fromLatin1(b.name));
        b.button->SetParent(this);
        b.button->SetBounds(b.left, 343, 75, 25);
        b.button->SetCaption(QString::fromUtf8(b.caption));
        b.button->SetAnchors(TAnchors{akRight, akBottom});
        b.button->SetTabOrder(b.tabOrder);
    }
    btnOK->SetDefault(true);
    btnOK->OnClick = [this](TObject* s) { btnOKClick(s); };
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);
}

TDataSource* TEditDialog::MakeDataSource(const char* Name, TDataSet* DataSet)
{
    auto* d = new TDataSource(this);
    d->SetName(QString::fromLatin1(Name));
    d->SetAutoEdit(false);
    d->SetDataSet(DataSet);
    return d;
}

TLabel* TEditDialog::MakeLabel(const char* Name, const QString& Caption, int Left, int Top, TWinControl* FocusControl)
{
    auto* l = new TLabel(this);
    l->SetName(QString::fromLatin1(Name));
    l->SetParent(this);
    l->SetLeft(Left);
    l->SetTop(Top);
    l->SetCaption(Caption);
    l->SetFocusControl(FocusControl);
    return l;
}

TDBMemo* TEditDialog::MakeMemo(const char* Name, TDataSource* Source, const char* Field, int Left, int Top, int Width,
                               int Height, int TabOrder)
{
    auto* m = new TDBMemo(this);
    m->SetName(QString::fromLatin1(Name));
    m->SetParent(this);
    m->SetBounds(Left, Top, Width, Height);
    m->SetDataSource(Source);
    m->SetDataField(QString::fromLatin1(Field));
    m->SetScrollBars(ssVertical);
    m->SetTabOrder(TabOrder);
    return m;
}
