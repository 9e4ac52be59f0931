// Feeds arbitrary bytes to the version-record reader as a file, alone and with
// a record appended, and checks that a record is only ever taken from a marker
// followed by the signature, and that the first record of the file wins.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "FuzzUtil.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "platform/os/FileVersion.h"


namespace {

bool Same(const TVersionInfo& a, const TVersionInfo& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TVersionInfo Read(const QString& path, const QByteArray& bytes)
{
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) __builtin_trap();
        f.write(bytes);
    }
    TVersionInfo v;
    v.dwFileSubtype = 0xDEADBEEF;   // untouched when no record is found
    GetFileVersionFixedInfo(path, v);
    return v;
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 65536) return 0;
    const QTemporaryDir& dir = ScratchDir();
    const QString path = dir.filePath(QStringLiteral("v.bin"));
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    const TVersionInfo alone = Read(path, bytes);
    const bool found = alone.dwFileSubtype != 0xDEADBEEF;
    if (found) CHECK(alone.dwSignature == VS_FFI_SIGNATURE);

    TVersionInfo mine = BuildVersionInfo();
    mine.dwFileSubtype = 7;
    const TVersionInfo appended = Read(path, bytes + EncodeVersionRecord(mine));
    // A record cut short at the end of the bytes may be completed by the one
    // appended; either way what is read carries the signature.
    CHECK(appended.dwSignature == VS_FFI_SIGNATURE);
    if (found) CHECK(Same(appended, alone));
    VersionInfoString(appended);
    return 0;
}
