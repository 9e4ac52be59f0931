#pragma once
// The splash window and the program's version record.
#include <QString>

#include "platform/os/FileVersion.h"
#include "platform/ui/Forms.h"

class TImage;
class TLabel;

// The executable's own fixed version information and its text
// (major.minor.release.build), set once by InitVersionInfo.
extern TVersionInfo VersionInfo;
extern QString VersionString;

// Reads the version record of the running executable (a file without one
// leaves zeros) and builds VersionString.
void InitVersionInfo();
// Makes the program's compiled-in pictures available (":/splash.jpg", ...).
void InitAppResources();
// The picture of the program's resources decoded with libjpeg; an empty
// image when it cannot be read.
class QImage;
QImage LoadJpegResource(const QString& name);

class TfmSplash : public TForm {
    QV_CLASS(TfmSplash, TForm)
public:
    explicit TfmSplash(TComponent* AOwner = nullptr);
    TImage* Image1;
    TLabel* lblVersion;
    TLabel* Label1;
};
