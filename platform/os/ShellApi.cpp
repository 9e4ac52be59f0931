#include "platform/os/ShellApi.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QUrl>

static TShellHook& Hook()
{
    static TShellHook h;
    return h;
}

TShellHook SetShellHook(TShellHook hook)
{
    TShellHook old = std::move(Hook());
    Hook() = std::move(hook);
    return old;
}

bool ShellExecuteOpen(const QString& target)
{
    if (Hook()) return Hook()(QStringLiteral("open"), target);
    QUrl url = QUrl::fromUserInput(target);
    if (QFileInfo::exists(target)) url = QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath());
    return QDesktopServices::openUrl(url);
}
