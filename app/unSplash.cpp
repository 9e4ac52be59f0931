#include "app/unSplash.h"

#include <QImage>

#include "platform/ui/FontSubst.h"
#include "platform/ui/ImageCtrls.h"
#include "platform/ui/Jpeg.h"
#include "platform/ui/StdCtrls.h"

TVersionInfo VersionInfo;
QString VersionString;

void InitAppResources()
{
    static bool done = false;
    if (done) return;
    done = true;
    Q_INIT_RESOURCE(qorvane_app);
    UseFontSubstitutes();
    Application->SetIcon(QStringLiteral(":/logo.jpg"));
}

void InitVersionInfo()
{
    TVersionInfo info;   // zeros when the file carries no record
    GetFileVersionFixedInfo(ExeFileName(), info);
    VersionInfo = info;
    VersionString = VersionInfoString(VersionInfo);
}

QImage LoadJpegResource(const QString& name)
{
    InitAppResources();
    try {
        TJPEGImage jpg;
        jpg.LoadFromFile(QStringLiteral(":/") + name);
        return jpg.ToImage();
    } catch (const Exception&) {
        return QImage();
    }
}

TfmSplash::TfmSplash(TComponent* AOwner) : TForm(AOwner)
{
    SetName(QStringLiteral("fmSplash"));
    SetBorderStyle(bsNone);
    SetPosition(poScreenCenter);
    Font()->SetName(QStringLiteral("Tahoma"));
    Font()->SetSize(8);
    Font()->SetColor(clGray);
    SetClientWidth(424);
    SetClientHeight(275);

    Image1 = new TImage(this);
    Image1->SetName(QStringLiteral("Image1"));
    Image1->SetParent(this);
    Image1->SetBounds(0, 0, 424, 275);
    Image1->SetPicture(LoadJpegResource(QStringLiteral("splash.jpg")));

    lblVersion = new TLabel(this);
    lblVersion->SetName(QStringLiteral("lblVersion"));
    lblVersion->SetParent(this);
    lblVersion->SetAutoSize(false);
    lblVersion->SetBounds(154, 55, 249, 18);
    lblVersion->SetTransparent(true);
    lblVersion->SetWordWrap(true);
    lblVersion->Font()->SetColor(5592405);
    lblVersion->SetCaption(QString());

    Label1 = new TLabel(this);
    Label1->SetName(QStringLiteral("Label1"));
    Label1->SetParent(this);
    Label1->SetAutoSize(false);
    Label1->SetBounds(154, 85, 248, 58);
    Label1->SetTransparent(true);
    Label1->SetWordWrap(true);
    Label1->Font()->SetColor(5592405);
    // The text keeps its width; should the face be wider than the one it was
    // laid out for, the label grows downwards rather than cut the text.
    Label1->SetAutoSize(true);
    Label1->SetCaption(QStringLiteral(
        "Система учета документооборота секретаря совета директоров акционерного общества, предназначенная для "
        "учета и формирования документов по проводимым заседаниям совета."));
}
