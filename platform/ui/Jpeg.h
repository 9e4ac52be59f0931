#pragma once
// JPEG pictures, decoded with libjpeg (the 6b interface).
//
// Decoding never ends the program: libjpeg's fatal errors come back as
// EInvalidJpeg, and its warnings are kept out of the standard error stream.
#include <QByteArray>
#include <QImage>
#include <QString>

#include "platform/core/SysUtils.h"

class EInvalidJpeg : public Exception {
public:
    using Exception::Exception;
};

class TJPEGImage {
public:
    // Raise EInvalidJpeg when the data is no JPEG picture or is damaged.
    void LoadFromBytes(const QByteArray& data);
    // A file or a Qt resource (":/..." names).
    void LoadFromFile(const QString& fileName);
    int Width() const { return FImage.width(); }
    int Height() const { return FImage.height(); }
    bool Empty() const { return FImage.isNull(); }
    const QImage& ToImage() const { return FImage; }

private:
    QImage FImage;
};
