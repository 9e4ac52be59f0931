#pragma once
// The about box: product name, version and build, a short description and
// the link to the product's web page.
#include "platform/ui/Forms.h"

class TImage;
class TShape;
class TLabel;
class TButton;

class TfmAbout : public TForm {
    QV_CLASS(TfmAbout, TForm)
public:
    explicit TfmAbout(TComponent* AOwner = nullptr);
    TShape* shpIcoBorder;
    TImage* imgLogo;
    TLabel* Label1;
    TLabel* lblVer;
    TLabel* lblInfo;
    TLabel* lblLink;
    TButton* btOK;
    void FormCreate(TObject* Sender);
    void lblLinkClick(TObject* Sender);
};

// "Версия 1.0.3 (cборка 17)." filled in from the format of the version label.
QString AboutVersionText(const QString& Format, const struct TVersionInfo& Info);
