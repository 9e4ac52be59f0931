#include "app/qorvane.h"

#include <chrono>
#include <cstring>
#include <thread>

#include "app/unMain.h"
#include "app/unSplash.h"
#include "data/unDM.h"
#include "platform/core/SysUtils.h"
#include "platform/os/SingleInstance.h"
#include "platform/ui/StdCtrls.h"

QString SettingsFileName() { return AppFolder() + QStringLiteral("qorvane.ini"); }

bool ResetRequested(int argc, char** argv) { return argc > 1 && argv[1] && std::strcmp(argv[1], "-reset") == 0; }

int QorvaneRun(int& argc, char** argv, int SplashMs)
{
    // 1. The version record and its text.
    InitVersionInfo();
    // 2. One instance at a time; a second start ends here, silently.
    TSingleInstance instance(QStringLiteral("one_instance_qorvane_file"));
    if (instance.AlreadyExists()) return 0;
    // 3. The application.
    Application->Initialize(argc, argv);
    Application->SetTitle(QStringLiteral("Velmora"));
    InitAppResources();
    // 4. "-reset": the settings file goes (a failed delete is no matter).
    if (ResetRequested(argc, argv)) {
        const QString ini = SettingsFileName();
        if (FileExists(ini)) DeleteFile(ini);
    }
    // 5, 6. The splash, painted at once, for a second.
    {
        auto* splash = NewForm<TfmSplash>(nullptr);
        splash->lblVersion->SetCaption(QStringLiteral("Версия ") + VersionString);
        splash->Show();
        splash->Repaint();
        Application->ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(SplashMs));
        splash->Hide();
        splash->Free();
    }
    // 7. The main window first (it becomes the main form), then the data module.
    Application->CreateForm(fmMain);
    Application->CreateForm(DM);
    // 8. The message loop; showing the main window runs the login.
    Application->Run();
    // 9.
    DoneApplication();
    instance.Close();
    return 0;
}
