// Program start-up: the real executable, copied into a temporary folder with
// its own runtime folder for the instance lock.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sys/stat.h>

#include "app/qorvane.h"
#include "app/unSplash.h"
#include "dbtool/DbBuilder.h"
#include "platform/os/FileVersion.h"
#include "platform/os/SingleInstance.h"
#include "platform/ui/ImageCtrls.h"
#include "platform/ui/Jpeg.h"
#include "platform/ui/StdCtrls.h"

namespace {
struct Install {
    QTemporaryDir dir;
    QString exe;
    Install()
    {
        exe = dir.filePath(QStringLiteral("qorvane"));
        QFile::copy(QStringLiteral(QORVANE_BIN_DIR "/qorvane"), exe);
        QFile::setPermissions(exe, QFile::permissions(exe) | QFileDevice::ExeOwner);
    }
    QString Path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }
    QString LockFile() const { return Path("one_instance_qorvane_file"); }
    void Start(QProcess& p, const QStringList& args,
               const QList<std::pair<QString, QString>>& extraEnv = {}) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
        for (const auto& [name, value] : extraEnv) env.insert(name, value);
        p.setProcessEnvironment(env);
        p.start(exe, args);
        p.waitForStarted();
    }
};

// No display of any kind: the toolkit cannot be opened.
QList<std::pair<QString, QString>> NoDisplay()
{
    return {{QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb")},
            {QStringLiteral("DISPLAY"), QString()},
            {QStringLiteral("WAYLAND_DISPLAY"), QString()}};
}

// Whether the process holds an exclusive flock on the file, as the kernel
// lists it in /proc/locks.
bool HoldsLock(qint64 pid, const QString& file)
{
    struct stat st {};
    if (::stat(QFile::encodeName(file).constData(), &st) != 0) return false;
    QFile locks(QStringLiteral("/proc/locks"));
    if (!locks.open(QIODevice::ReadOnly)) return false;
    const QByteArray inode = ":" + QByteArray::number(qulonglong(st.st_ino));
    for (const QByteArray& line : locks.readAll().split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        // "1: FLOCK ADVISORY WRITE <pid> <major>:<minor>:<inode> 0 EOF"
        if (f.size() >= 6 && f[1] == "FLOCK" && f[3] == "WRITE" && f[4].toLongLong() == pid && f[5].endsWith(inode))
            return true;
    }
    return false;
}

// Waits until the running process holds the instance lock; false when it
// ends first or has not taken it within a minute.
bool WaitForLock(QProcess& p, const QString& file)
{
    for (int i = 0; i < 1200; ++i) {
        if (p.state() != QProcess::Running) return false;
        if (HoldsLock(p.processId(), file)) return true;
        p.waitForFinished(50);
    }
    return false;
}
}  // namespace

TEST(Startup, ResetOnlyAsTheFirstArgumentExactly)
{
    struct Case {
        QStringList args;
        bool deleted;
    };
    const Case cases[] = {
        {{QStringLiteral("-reset")}, true},
        {{QStringLiteral("-RESET")}, false},
        {{QStringLiteral("x"), QStringLiteral("-reset")}, false},
        {{}, false},
    };
    for (const Case& c : cases) {
        Install in;
        QFile ini(in.Path("qorvane.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[Marker]\r\nkeep=1\r\n");
        ini.close();
        // No database: the program names the missing file and ends.
        QProcess p;
        in.Start(p, c.args);
        ASSERT_TRUE(p.waitForFinished(60000));
        EXPECT_EQ(p.exitCode(), 0);
        // The main window saves its placement again as it closes; only a reset
        // file has lost the other sections.
        QFile back(in.Path("qorvane.ini"));
        back.open(QIODevice::ReadOnly);
        EXPECT_EQ(back.readAll().contains("keep=1"), !c.deleted) << c.args.join(' ').toStdString();
        EXPECT_TRUE(QString::fromUtf8(p.readAllStandardError()).contains(in.Path("qorvane.db")));
        EXPECT_FALSE(QFile::exists(in.Path("qorvane.db")));
    }
}

TEST(Startup, SecondInstanceEndsSilentlyAndADeadOneNeverBlocks)
{
    Install in;
    dbtool::CreateDatabase(in.Path("qorvane.db"), QString(), false);
    QProcess first;
    in.Start(first, {});
    ASSERT_TRUE(WaitForLock(first, in.LockFile())) << "the first instance never took the lock";

    // The second start asks for a reset and has no display to reach: had it
    // gone past the instance check, it would delete the settings file, and
    // opening the toolkit for its splash or any window would end it with
    // code 1 and a message.
    {
        QFile ini(in.Path("qorvane.ini"));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write("[Marker]\r\nkeep=1\r\n");
    }
    QProcess second;
    in.Start(second, {QStringLiteral("-reset")}, NoDisplay());
    ASSERT_TRUE(second.waitForFinished(60000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.readAllStandardOutput().isEmpty());
    EXPECT_TRUE(second.readAllStandardError().isEmpty());
    QFile ini(in.Path("qorvane.ini"));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("keep=1")) << "the second instance reset the settings";
    EXPECT_EQ(first.state(), QProcess::Running);

    first.kill();   // a crash: the lock goes with the process
    first.waitForFinished(60000);
    QProcess third;
    in.Start(third, {});
    EXPECT_TRUE(WaitForLock(third, in.LockFile())) << "the third start did not take the lock a dead one left";
    third.kill();
    third.waitForFinished(60000);
}

TEST(Startup, AnUnreachableDisplayEndsTheProgramWithAMessageNotAnAbort)
{
    // The toolkit treats a display it cannot open as fatal and would abort
    // with a core dump, indistinguishable from a crash of the program.
    Install in;
    dbtool::CreateDatabase(in.Path("qorvane.db"), QString(), false);
    QProcess p;
    in.Start(p, {}, NoDisplay());
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 1);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.contains(QStringLiteral("the windowing system could not be reached"))) << err.toStdString();
}

TEST(SingleInstance, InProcessAndAfterAKilledHolder)
{
    QTemporaryDir dir;
    qputenv("XDG_RUNTIME_DIR", dir.path().toLocal8Bit());
    {
        TSingleInstance a(QStringLiteral("qv_test_instance"));
        EXPECT_TRUE(a.Held());
        TSingleInstance b(QStringLiteral("qv_test_instance"));
        EXPECT_TRUE(b.AlreadyExists());
        EXPECT_FALSE(b.Held());
    }
    TSingleInstance c(QStringLiteral("qv_test_instance"));
    EXPECT_TRUE(c.Held());
    EXPECT_EQ(c.FileName(), dir.filePath(QStringLiteral("qv_test_instance")));
}

TEST(VersionRecord, ReadBackFromFilesAndIntoTheSplashText)
{
    QTemporaryDir dir;
    // A file without a record leaves what the caller prepared.
    const QString plain = dir.filePath(QStringLiteral("plain.txt"));
    {
        QFile f(plain);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    }
    TVersionInfo info;
    info.dwFileVersionMS = 0x12345678;
    GetFileVersionFixedInfo(plain, info);
    EXPECT_EQ(info.dwFileVersionMS, 0x12345678u);
    GetFileVersionFixedInfo(dir.filePath(QStringLiteral("missing")), info);
    EXPECT_EQ(info.dwFileVersionMS, 0x12345678u);

    // A file carrying 2.1.0.45 somewhere inside.
    TVersionInfo v;
    v.dwSignature = VS_FFI_SIGNATURE;
    v.dwStrucVersion = VS_FFI_STRUCVERSION;
    v.dwFileVersionMS = (2u << 16) | 1u;
    v.dwFileVersionLS = (0u << 16) | 45u;
    const QString file = dir.filePath(QStringLiteral("exe"));
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(1000, '\0') + EncodeVersionRecord(v) + QByteArray(77, 'z'));
    }
    TVersionInfo got;
    GetFileVersionFixedInfo(file, got);
    EXPECT_EQ(got.dwFileVersionLS, v.dwFileVersionLS);
    EXPECT_EQ(QStringLiteral("Версия ") + VersionInfoString(got), QStringLiteral("Версия 2.1.0.45"));

    // The program carries the project's version.
    TVersionInfo own;
    GetFileVersionFixedInfo(QStringLiteral(QORVANE_BIN_DIR "/qorvane"), own);
    EXPECT_EQ(VersionInfoString(own), QStringLiteral(QORVANE_VERSION));
    InitVersionInfo();   // this test executable has the record too
    EXPECT_EQ(VersionString, QStringLiteral(QORVANE_VERSION));
}

TEST(Splash, PictureTextsAndPlaces)
{
    TfmSplash* s = NewForm<TfmSplash>(nullptr);
    EXPECT_EQ(s->ClientWidth(), 424);
    EXPECT_EQ(s->ClientHeight(), 275);
    EXPECT_EQ(s->Image1->Picture().size(), QSize(424, 275));
    EXPECT_EQ(s->lblVersion->Left(), 154);
    EXPECT_EQ(s->lblVersion->Top(), 55);
    EXPECT_EQ(s->Label1->Top(), 85);
    EXPECT_TRUE(s->Label1->Caption().startsWith(QStringLiteral("Система учета документооборота")));
    s->Free();
    // A damaged picture is an error to the caller, never the end of the program.
    TJPEGImage j;
    EXPECT_THROW(j.LoadFromBytes(QByteArray("\xFF\xD8\xFF\xE0 not really", 16)), EInvalidJpeg);
    EXPECT_THROW(j.LoadFromBytes(QByteArray()), EInvalidJpeg);
}
