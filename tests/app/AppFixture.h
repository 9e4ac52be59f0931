#pragma once
// The main window over a fresh database in a temporary folder that stands in
// for the executable's folder; message boxes and modal dialogs are answered
// by the recorder.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "app/unMain.h"
#include "data/unDM.h"
#include "dbtool/DbBuilder.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/core/SysUtils.h"

class AppFixture : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString folder;
    std::unique_ptr<TDialogRecorder> rec;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        folder = dir.path() + QLatin1Char('/');
        AppFolderOverride = folder;
        LoginAttempts = 3;
        DbPassword.clear();
        rec = std::make_unique<TDialogRecorder>();
    }
    void TearDown() override
    {
        // The register windows belong to the application, not to the main
        // window: free them so that the next test starts without any.
        while (fmMain && fmMain->MDIChildCount() > 0) fmMain->MDIChildren(0)->Free();
        if (fmMain) fmMain->Free();
        fmMain = nullptr;
        delete DM;
        DM = nullptr;
        rec.reset();
        AppFolderOverride.clear();
    }
    QString DbFile() const { return folder + QStringLiteral("qorvane.db"); }
    // The form storages' settings file: beside the executable, one for every
    // test of the suite.
    static QString SettingsFile() { return ExeFolder() + QStringLiteral("qorvane.ini"); }
    void MakeDb(const QString& password = QString(), bool demo = false)
    {
        dbtool::CreateDatabase(DbFile(), password, demo);
    }
    void CreateMain()
    {
        Application->CreateForm(fmMain);
        Application->SetMainForm(fmMain);
        if (!DM) Application->CreateForm(DM);
    }
    // Creates and shows the main window: the login runs.
    void ShowMain()
    {
        if (!fmMain) CreateMain();
        fmMain->Show();
        Application->ProcessMessages();
    }
    // The window of that class the main window's command opened (or brought
    // to the front), its timer run once; none when there is no such window.
    template <class W>
    W* OpenRegister(TAction* command)
    {
        command->Execute();
        Application->ProcessMessages();
        for (int i = 0; i < fmMain->MDIChildCount(); ++i)
            if (auto* w = dynamic_cast<W*>(fmMain->MDIChildren(i))) {
                w->Timer->Fire();
                return w;
            }
        return nullptr;
    }
    int Boxes(const QString& caption) const
    {
        int n = 0;
        for (const auto& c : rec->Calls)
            if (c.Kind == TDialogKind::MessageBox && c.Caption == caption) ++n;
        return n;
    }
    int Forms(const QString& cls) const
    {
        int n = 0;
        for (const auto& c : rec->Calls)
            if (c.Kind == TDialogKind::ModalForm && c.FormClass == cls) ++n;
        return n;
    }
};

// The same, each test starting and ending without the settings file.
class FreshSettingsFixture : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        QFile::remove(SettingsFile());
    }
    void TearDown() override
    {
        AppFixture::TearDown();
        QFile::remove(SettingsFile());
    }
};
