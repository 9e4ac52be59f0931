#include "platform/os/FileVersion.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>

#ifndef QORVANE_VERSION_MAJOR
#define QORVANE_VERSION_MAJOR 0
#define QORVANE_VERSION_MINOR 0
#define QORVANE_VERSION_PATCH 0
#define QORVANE_VERSION_TWEAK 0
#endif

namespace {

// The marker is kept scrambled in the code so that only the record itself
// carries it in plain form.
constexpr char ScrambledMarker[] = {'q' ^ 0x2A, 'v' ^ 0x2A, 'V' ^ 0x2A, 'E' ^ 0x2A, 'R' ^ 0x2A, 'S' ^ 0x2A,
                                    'I' ^ 0x2A, 'O' ^ 0x2A, 'N' ^ 0x2A, 'F' ^ 0x2A, 'I' ^ 0x2A, 'X' ^ 0x2A,
                                    'E' ^ 0x2A, 'D' ^ 0x2A, '#' ^ 0x2A, '1' ^ 0x2A};
constexpr int MarkerSize = 16;

QByteArray Marker()
{
    QByteArray m(MarkerSize, '\0');
    for (int i = 0; i < MarkerSize; ++i) m[i] = char(ScrambledMarker[i] ^ 0x2A);
    return m;
}

// The record of this executable, kept in the binary even though nothing
// reads it directly.
struct StoredRecord {
    char marker[MarkerSize];
    uint32_t words[11];
};

__attribute__((used)) const StoredRecord BuildRecord = {
    {'q', 'v', 'V', 'E', 'R', 'S', 'I', 'O', 'N', 'F', 'I', 'X', 'E', 'D', '#', '1'},
    {VS_FFI_SIGNATURE, VS_FFI_STRUCVERSION,
     (uint32_t(QORVANE_VERSION_MAJOR) << 16) | uint32_t(QORVANE_VERSION_MINOR),
     (uint32_t(QORVANE_VERSION_PATCH) << 16) | uint32_t(QORVANE_VERSION_TWEAK),
     (uint32_t(QORVANE_VERSION_MAJOR) << 16) | uint32_t(QORVANE_VERSION_MINOR),
     (uint32_t(QORVANE_VERSION_PATCH) << 16) | uint32_t(QORVANE_VERSION_TWEAK),
     0x3F, 0, 0x40004 /* NT, 32-bit windows as the original declares */, 1 /* application */, 0}};

uint32_t ReadWord(const uchar* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

}  // namespace

TVersionInfo BuildVersionInfo()
{
    TVersionInfo v;
    static_assert(sizeof(TVersionInfo) == 11 * sizeof(uint32_t));
    std::memcpy(&v, BuildRecord.words, sizeof v);
    return v;
}

QByteArray EncodeVersionRecord(const TVersionInfo& info)
{
    QByteArray out = Marker();
    const uint32_t* w = reinterpret_cast<const uint32_t*>(&info);
    for (int i = 0; i < 11; ++i)
        for (int b = 0; b < 4; ++b) out.append(char((w[i] >> (8 * b)) & 0xFF));
    return out;
}

void GetFileVersionFixedInfo(const QString& FileName, TVersionInfo& Info)
{
    QFile f(FileName);
    if (!f.open(QIODevice::ReadOnly)) return;
    const qint64 size = f.size();
    const qint64 recordSize = MarkerSize + 11 * 4;
    if (size < recordSize) return;
    uchar* data = f.map(0, size);
    QByteArray whole;
    if (!data) {
        whole = f.readAll();
        data = reinterpret_cast<uchar*>(whole.data());
    }
    const QByteArray marker = Marker();
    QByteArrayView all(reinterpret_cast<const char*>(data), size);
    qsizetype from = 0;
    while ((from = all.indexOf(QByteArrayView(marker), from)) >= 0) {
        if (from + recordSize <= size) {
            const uchar* p = data + from + MarkerSize;
            if (ReadWord(p) == VS_FFI_SIGNATURE) {
                TVersionInfo v;
                uint32_t* w = reinterpret_cast<uint32_t*>(&v);
                for (int i = 0; i < 11; ++i) w[i] = ReadWord(p + 4 * i);
                Info = v;
                break;
            }
        }
        ++from;
    }
    if (whole.isEmpty()) f.unmap(data);
}

QString VersionInfoString(const TVersionInfo& info)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(info.dwFileVersionMS >> 16)
        .arg(info.dwFileVersionMS & 0xFFFF)
        .arg(info.dwFileVersionLS >> 16)
        .arg(info.dwFileVersionLS & 0xFFFF);
}

QString ExeFileName() { return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath(); }
