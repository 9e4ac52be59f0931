#pragma once
// A headless office for the tests of one process: its own pipe, profile and
// output folder in a temporary folder, started on first use, ended (and the
// folder removed) when the test program ends. Tests that need it call
// RequireOffice() first; it skips them when the office is not installed.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <memory>

#include <unistd.h>

#include "platform/ole/LibreOffice.h"

namespace officetest {

struct TOfficeEnv : ::testing::Environment {
    std::unique_ptr<QTemporaryDir> Dir;
    void TearDown() override
    {
        OfficeShutdown(true);
        // An office ended by force leaves its pipe's socket file behind.
        QFile::remove(QStringLiteral("/tmp/OSL_PIPE_%1_qv-test-office-%2").arg(getuid()).arg(getpid()));
        Dir.reset();
    }
};

inline TOfficeEnv*& Env()
{
    static TOfficeEnv* env = nullptr;
    return env;
}

// The options the tests run with (headless, private pipe and profile).
inline TOfficeOptions TestOptions()
{
    if (!Env()) {
        Env() = new TOfficeEnv;
        ::testing::AddGlobalTestEnvironment(Env());   // gtest owns it
        Env()->Dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/qv-office-XXXXXX"));
    }
    TOfficeOptions o;
    o.PipeName = QStringLiteral("qv-test-office-%1").arg(getpid());
    o.ProfileDir = Env()->Dir->filePath(QStringLiteral("profile"));
    o.OutputDir = Env()->Dir->filePath(QStringLiteral("out"));
    o.Headless = TOfficeOptions::hlAlways;
    o.StartTimeoutMs = 120000;
    o.CallTimeoutMs = 60000;
    return o;
}

inline bool OfficeInstalled()
{
    return OfficeSupported() && !QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty();
}

}  // namespace officetest

#define RequireOffice()                                                                 \
    do {                                                                                \
        if (!officetest::OfficeInstalled()) GTEST_SKIP() << "LibreOffice is not installed"; \
        SetOfficeOptions(officetest::TestOptions());                                    \
    } while (0)
