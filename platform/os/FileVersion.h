#pragma once
// The version record: the leading fields of the fixed file-version
// information, compiled into the executable from the project version, and
// read back from an executable file.
//
// The record is stored in the file as a marker followed by the eleven
// fields in their order (little-endian 32-bit words). GetFileVersionFixedInfo
// looks for it in the named file; a file without one (or one that cannot be
// read) leaves Info untouched.
#include <QByteArray>
#include <QString>
#include <cstdint>

struct TVersionInfo {
    uint32_t dwSignature = 0;
    uint32_t dwStrucVersion = 0;
    uint32_t dwFileVersionMS = 0;
    uint32_t dwFileVersionLS = 0;
    uint32_t dwProductVersionMS = 0;
    uint32_t dwProductVersionLS = 0;
    uint32_t dwFileFlagsMask = 0;
    uint32_t dwFileFlags = 0;
    uint32_t dwFileOS = 0;
    uint32_t dwFileType = 0;
    uint32_t dwFileSubtype = 0;
};

constexpr uint32_t VS_FFI_SIGNATURE = 0xFEEF04BD;
constexpr uint32_t VS_FFI_STRUCVERSION = 0x00010000;

void GetFileVersionFixedInfo(const QString& FileName, TVersionInfo& Info);
// The record of this build (the project version).
TVersionInfo BuildVersionInfo();
// The bytes a file carries for the record (tests write such files).
QByteArray EncodeVersionRecord(const TVersionInfo& info);
// major.minor.release.build of the file version.
QString VersionInfoString(const TVersionInfo& info);
// The running executable's file.
QString ExeFileName();
