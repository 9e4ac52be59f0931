#pragma once
// Shell execution: asks the desktop to "open" a file or a web address with
// the program the user has chosen for it (xdg-open behind Qt's desktop
// services). Returns false when the desktop refused; callers decide whether
// that is worth a word.
//
// A test hook replaces the desktop: while set, every request goes to it.
#include <QString>
#include <functional>

bool ShellExecuteOpen(const QString& target);

using TShellHook = std::function<bool(const QString& verb, const QString& target)>;
TShellHook SetShellHook(TShellHook hook);
