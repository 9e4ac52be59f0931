#include "app/unAbout.h"

#include "app/unMain.h"
#include "app/unSplash.h"
#include "platform/os/ShellApi.h"
#include "platform/ui/ImageCtrls.h"
#include "platform/ui/StdCtrls.h"

QString AboutVersionText(const QString& Format, const TVersionInfo& Info)
{
    const QString release = QStringLiteral("%1.%2.%3")
                                .arg(Info.dwFileVersionMS >> 16)
                                .arg(Info.dwFileVersionMS & 0xFFFF)
                                .arg(Info.dwFileVersionLS >> 16);
    const QString build = QString::number(Info.dwFileVersionLS & 0xFFFF);
    QString s = Format;
    int i = s.indexOf(QLatin1String("%s"));
    if (i >= 0) s.replace(i, 2, release);
    i = s.indexOf(QLatin1String("%s"), i < 0 ? 0 : i + release.size());
    if (i >= 0) s.replace(i, 2, build);
    return s;
}

TfmAbout::TfmAbout(TComponent* AOwner) : TForm(AOwner)
{
    SetName(QStringLiteral("fmAbout"));
    SetBorderStyle(bsDialog);
    SetCaption(QStringLiteral("О программе"));
    SetPosition(poMainFormCenter);
    Font()->SetName(QStringLiteral("Tahoma"));
    Font()->SetSize(8);
    SetClientWidth(351);
    SetClientHeight(266);

    shpIcoBorder = new TShape(this);
    shpIcoBorder->SetName(QStringLiteral("shpIcoBorder"));
    shpIcoBorder->SetParent(this);
    shpIcoBorder->SetBounds(15, 15, 66, 66);
    shpIcoBorder->SetBrushClear(true);
    shpIcoBorder->SetPenColor(5131854);

    imgLogo = new TImage(this);
    imgLogo->SetName(QStringLiteral("imgLogo"));
    imgLogo->SetParent(this);
    imgLogo->SetBounds(16, 16, 64, 64);
    imgLogo->SetPicture(LoadJpegResource(QStringLiteral("logo.jpg")));

    Label1 = new TLabel(this);
    Label1->SetName(QStringLiteral("Label1"));
    Label1->SetParent(this);
    Label1->SetLeft(99);
    Label1->SetTop(11);
    Label1->Font()->SetName(QStringLiteral("Tahoma"));
    Label1->Font()->SetHeight(-15);
    Label1->Font()->SetStyle(TFontStyles{fsBold});
    Label1->SetCaption(QStringLiteral("Velmora"));

    lblVer = new TLabel(this);
    lblVer->SetName(QStringLiteral("lblVer"));
    lblVer->SetParent(this);
    lblVer->SetLeft(99);
    lblVer->SetTop(30);
    // The first letter of "cборка" is the Latin c, as the product has it.
    lblVer->SetCaption(QStringLiteral("Версия %s (cборка %s)."));

    lblInfo = new TLabel(this);
    lblInfo->SetName(QStringLiteral("lblInfo"));
    lblInfo->SetParent(this);
    lblInfo->SetAutoSize(false);
    lblInfo->SetWordWrap(true);
    lblInfo->SetBounds(15, 97, 325, 116);
    lblInfo->SetCaption(QStringLiteral(
        "Velmora — программа, предназначенная для ведения документооборота секретаря совета директоров компании, "
        "осуществляющая учет и формирование различных документов по проводимым заседаниям совета.\r\n\r\n"
        "Программа распространяется по принципу «как есть». Разработчик не несет ответственности за прямой или "
        "косвенный ущерб, возникший в результате ее использования."));

    lblLink = new TLabel(this);
    lblLink->SetName(QStringLiteral("lblLink"));
    lblLink->SetParent(this);
    lblLink->SetLeft(15);
    lblLink->SetTop(231);
    lblLink->SetAnchors(TAnchors{akLeft, akBottom});
    lblLink->Font()->SetColor(13977088);
    lblLink->Font()->SetStyle(TFontStyles{fsUnderline});
    lblLink->SetCursor(crHandPoint);
    lblLink->SetHint(QStringLiteral("Перейти на сайт"));
    lblLink->SetShowHint(true);
    lblLink->SetCaption(ProductWebAddress);
    lblLink->OnClick = [this](TObject* s) { lblLinkClick(s); };

    btOK = new TButton(this);
    btOK->SetName(QStringLiteral("btOK"));
    btOK->SetParent(this);
    btOK->SetBounds(265, 229, 75, 25);
    btOK->SetAnchors(TAnchors{akRight, akBottom});
    btOK->SetCaption(QStringLiteral("OK"));
    btOK->SetDefault(true);
    btOK->SetCancel(true);
    btOK->SetModalResult(mrOk);

    OnCreate = [this](TObject* s) { FormCreate(s); };
}

void TfmAbout::FormCreate(TObject*) { lblVer->SetCaption(AboutVersionText(lblVer->Caption(), VersionInfo)); }

void TfmAbout::lblLinkClick(TObject*) { ShellExecuteOpen(ProductWebAddress); }
