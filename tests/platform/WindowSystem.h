#pragma once
// The window system's side of the activation, delivered to the toolkit the
// way its platform plugin delivers it: another program taking the focus is a
// focus loss of this program's focused window (nothing, when none of its
// windows has the focus), a click on a window asks the window system to
// activate it.
#include <qpa/qwindowsysteminterface.h>

#include "platform/ui/Forms.h"

inline void OtherProgramTakesTheFocus()
{
    QWindowSystemInterface::handleWindowActivated(nullptr, Qt::ActiveWindowFocusReason);
    Application->ProcessMessages();
}

inline void UserClicks(TForm* Form)
{
    Form->OuterWidget()->activateWindow();
    Application->ProcessMessages();
}
