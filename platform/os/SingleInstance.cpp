#include "platform/os/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

static QString LockFolder()
{
    QByteArray rt = qgetenv("XDG_RUNTIME_DIR");
    if (!rt.isEmpty() && QDir(QString::fromLocal8Bit(rt)).exists()) return QString::fromLocal8Bit(rt);
    return QDir::tempPath();
}

TSingleInstance::TSingleInstance(const QString& name)
{
    QString folder = LockFolder();
    QString file = name;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) file += QStringLiteral("-%1").arg(getuid());
    FFileName = QDir(folder).filePath(file);
    const QByteArray path = QFile::encodeName(FFileName);
    int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return;   // no lock can be had: the program still runs
    int r;
    do {
        r = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (r != 0 && errno == EINTR);
    if (r != 0) {
        FAlreadyExists = errno == EWOULDBLOCK;
        ::close(fd);
        return;
    }
    // The object's contents are never used; it keeps the mapping's size.
    if (::ftruncate(fd, 1024) != 0) {
    }
    FFd = fd;
}

TSingleInstance::~TSingleInstance() { Close(); }

void TSingleInstance::Close()
{
    if (FFd < 0) return;
    ::close(FFd);
    FFd = -1;
}
