#include "app/unSysParams.h"

#include "app/unSplash.h"
#include "platform/core/SysUtils.h"
#include "platform/db/DB.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/Windows.h"

TfmSysParams::TfmSysParams(TComponent* AOwner) : TForm(AOwner)
{
    InitAppResources();
    SetName(QStringLiteral("fmSysParams"));
    SetBorderStyle(bsDialog);
    SetCaption(QStringLiteral("Параметры системы"));
    SetPosition(poOwnerFormCenter);
    Font()->SetName(QStringLiteral("Tahoma"));
    Font()->SetSize(8);
    SetClientWidth(392);
    SetClientHeight(379);

    tabParams = new TPageControl(this);
    tabParams->SetName(QStringLiteral("tabParams"));
    tabParams->SetParent(this);
    tabParams->SetBounds(10, 9, 372, 325);

    btnOK = new TButton(this);
    btnOK->SetName(QStringLiteral("btnOK"));
    btnOK->SetParent(this);
    btnOK->SetBounds(226, 344, 75, 25);
    btnOK->SetCaption(QStringLiteral("OK"));
    btnOK->SetDefault(true);
    btnOK->SetModalResult(mrOk);

    btnCancel = new TButton(this);
    btnCancel->SetName(QStringLiteral("btnCancel"));
    btnCancel->SetParent(this);
    btnCancel->SetBounds(307, 344, 75, 25);
    btnCancel->SetCaption(QStringLiteral("Отмена"));
    btnCancel->SetCancel(true);
    btnCancel->SetModalResult(mrCancel);
}

void TfmSysParams::BuildFrom(TDataSet* Rows)
{
    QString category;
    // Each tab's editors stand in a box that scrolls when they need more
    // room than the tab has.
    TScrollBox* tab = nullptr;
    int y = 10;
    int contentHeight = 0;   // the tallest tab's editors, with the gap below
    auto label = [&](const QString& caption, TWinControl* target) {
        auto* l = new TLabel(this);
        l->SetParent(tab);
        l->SetAutoSize(false);
        l->SetBounds(10, y, 342, 13);
        l->SetFocusControl(target);
        l->SetCaption(QLatin1Char('&') + caption + QLatin1Char(':'));
        y += l->Height() + 4;
    };
    Rows->First();
    while (!Rows->Eof()) {
        const QString rowCategory = Rows->FieldByName(QStringLiteral("category"))->AsString();
        if (rowCategory != category) {
            auto* sheet = new TTabSheet(this);
            sheet->SetPageControl(tabParams);
            sheet->SetCaption(QLatin1Char('&') + rowCategory);
            tab = new TScrollBox(this);
            tab->SetBorderStyle(bsNone);
            tab->SetMargin(10);
            tab->SetParent(sheet);
            tab->SetAlign(alClient);
            category = rowCategory;
            y = 10;
        }
        if (!tab) {
            Rows->Next();
            continue;
        }
        const int ord = Rows->FieldByName(QStringLiteral("ord"))->AsInteger();
        const QString type = Rows->FieldByName(QStringLiteral("type"))->AsString();
        const QString caption = Rows->FieldByName(QStringLiteral("caption"))->AsString();
        const QString value = Rows->FieldByName(QStringLiteral("val"))->AsString();
        const QString name = QStringLiteral("element") + QString::number(ord);
        if (type == QLatin1String("string") || type == QLatin1String("integer") || type == QLatin1String("float")) {
            auto* e = new TEdit(this);
            e->SetName(name);
            e->SetTag(ord);
            e->SetMaxLength(250);
            e->SetText(value);
            label(caption, e);
            e->SetParent(tab);
            e->SetBounds(10, y, 342, 21);
            y += e->Height() + 10;
            if (type == QLatin1String("float"))
                e->OnKeyPress = [this](TObject* s, QChar& k) { FloatKeyPress(s, k); };
            else if (type == QLatin1String("integer"))
                e->OnKeyPress = [this](TObject* s, QChar& k) { IntegerKeyPress(s, k); };
        } else if (type == QLatin1String("multistring") || type == QLatin1String("multistring5") ||
                   type == QLatin1String("multistring8")) {
            const int h = type == QLatin1String("multistring") ? 34 : type == QLatin1String("multistring5") ? 79 : 124;
            auto* m = new TMemo(this);
            m->SetName(name);
            m->SetTag(ord);
            m->SetScrollBars(ssVertical);
            m->SetText(value);
            label(caption, m);
            m->SetParent(tab);
            m->SetBounds(10, y, 342, h);
            y += h + 10;
        } else if (type == QLatin1String("boolean")) {
            auto* c = new TCheckBox(this);
            c->SetName(name);
            c->SetTag(ord);
            c->SetCaption(QStringLiteral(" &") + Rows->FieldByName(QStringLiteral("name"))->AsString() +
                          QLatin1Char(' '));
            c->SetChecked(value == QLatin1String("1"));
            c->SetParent(tab);
            c->SetBounds(10, y, 342, 17);
            y += c->Height() + 10;
        }
        contentHeight = std::max(contentHeight, y);
        Rows->Next();
    }
    if (tabParams->PageCount() > 0) {
        tabParams->SetActivePageIndex(0);
        FitToContent(contentHeight);
    }
}

void TfmSysParams::FitToContent(int ContentHeight)
{
    // The dialog grows to show the tallest tab whole, as far as the screen
    // leaves room (its title bar and a task bar); beyond that the tab
    // scrolls, and the dialog is as much wider as the scroll bar takes, so
    // the editors keep their full width.
    HandleNeeded();   // the tabs' height is known once the page control has its window
    const int pageHeight = tabParams->Pages(0)->Height();
    if (ContentHeight <= pageHeight) return;
    const int room = Screen->Height() - 2 * GetSystemMetrics(SM_CYCAPTION) - 48 - ClientHeight();
    const int grow = std::max(std::min(ContentHeight - pageHeight, room), 0);
    const int widen = ContentHeight > pageHeight + grow ? GetSystemMetrics(SM_CXVSCROLL) : 0;
    SetClientWidth(ClientWidth() + widen);
    SetClientHeight(ClientHeight() + grow);
    tabParams->SetBounds(tabParams->Left(), tabParams->Top(), tabParams->Width() + widen, tabParams->Height() + grow);
    for (TButton* b : {btnOK, btnCancel}) b->SetBounds(b->Left() + widen, b->Top() + grow, b->Width(), b->Height());
}

void TfmSysParams::WriteBack(const std::function<void(int, const QString&)>& Write)
{
    for (int i = ComponentCount() - 1; i >= 0; --i) {
        TComponent* c = Components(i);
        auto* edit = dynamic_cast<TEdit*>(c);
        auto* memo = dynamic_cast<TMemo*>(c);
        auto* check = dynamic_cast<TCheckBox*>(c);
        if (!edit && !memo && !check) continue;
        QString n = c->Name();
        n.remove(QStringLiteral("element"));
        const int ord = StrToIntDef(n, -1);
        if (ord <= -1) continue;
        QString value;
        if (edit)
            value = edit->Text();
        else if (memo)
            value = memo->Text().replace(QLatin1String("\r\n"), QLatin1String(" "));
        else
            value = check->Checked() ? QStringLiteral("1") : QStringLiteral("0");
        Write(ord, value);
    }
}

void TfmSysParams::FloatKeyPress(TObject*, QChar& Key)
{
    if (Key == QLatin1Char('\b') || Key == QLatin1Char(',')) return;
    if (Key < QLatin1Char('0') || Key > QLatin1Char('9')) Key = QChar(0);
}

void TfmSysParams::IntegerKeyPress(TObject*, QChar& Key)
{
    if (Key == QLatin1Char('\b')) return;
    if (Key < QLatin1Char('0') || Key > QLatin1Char('9')) Key = QChar(0);
}
