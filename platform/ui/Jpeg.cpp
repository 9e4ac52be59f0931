#include "platform/ui/Jpeg.h"

#include <QFile>
#include <csetjmp>
#include <cstdio>

extern "C" {
#include <jpeglib.h>
}

namespace {

struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void OnMessage(j_common_ptr, int) {}   // warnings and traces stay quiet

}  // namespace

void TJPEGImage::LoadFromBytes(const QByteArray& data)
{
    if (data.isEmpty()) throw EInvalidJpeg(QStringLiteral("JPEG error: the picture is empty"));
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnError;
    err.pub.emit_message = OnMessage;
    err.message[0] = 0;
    // Everything the decoder allocates lives in cinfo; the picture is
    // written into the member (reached through this, never a register copy).
    FImage = QImage();
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        FImage = QImage();
        throw EInvalidJpeg(QStringLiteral("JPEG error: %1").arg(QString::fromLocal8Bit(err.message)));
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(data.constData()), (unsigned long)data.size());
    jpeg_read_header(&cinfo, TRUE);
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    FImage = QImage(int(cinfo.output_width), int(cinfo.output_height), QImage::Format_RGB888);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = FImage.scanLine(int(cinfo.output_scanline));
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    FImage = FImage.convertToFormat(QImage::Format_RGB32);
}

void TJPEGImage::LoadFromFile(const QString& fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        throw EInvalidJpeg(QStringLiteral("Cannot open the picture '%1'").arg(fileName));
    LoadFromBytes(f.readAll());
}
