#pragma once
// What the fuzz targets share: a check that stops the run where it fails, and
// a scratch folder for the files a target writes (in memory when possible).
#include <QDir>
#include <QTemporaryDir>

#define CHECK(c) \
    do {         \
        if (!(c)) __builtin_trap(); \
    } while (0)

inline const QTemporaryDir& ScratchDir()
{
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm/qvfuzz-XXXXXX")
                                                                       : QDir::tempPath() + QStringLiteral("/qvfuzz-XXXXXX"));
    return dir;
}
