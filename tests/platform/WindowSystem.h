#pragma once
// The window system's side of the activation, delivered to the toolkit the
// way its platform plugin delivers it: another program taking the focus is a
// focus loss of this program's focused window (nothing, when none of its
// windows has the focus), a click on a window asks the window system to
// activate it; a click of the user's mouse comes to the widget's window and
// the toolkit finds the widget under the pointer and gives the focus itself.
#include <QWidget>
#include <QWindow>
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

// A left click of the user's mouse at the widget's point (its centre by
// default), as the window system delivers it to the widget's window.
inline void UserClick(QWidget* w, QPoint at = QPoint(-1, -1))
{
    if (at.x() < 0) at = w->rect().center();
    QWindow* window = w->window()->windowHandle();
    const QPointF local = w->mapTo(w->window(), QPointF(at));
    const QPointF global = w->mapToGlobal(QPointF(at));
    using WSI = QWindowSystemInterface;
    WSI::handleMouseEvent<WSI::SynchronousDelivery>(window, local, global, Qt::LeftButton, Qt::LeftButton,
                                                    QEvent::MouseButtonPress);
    WSI::handleMouseEvent<WSI::SynchronousDelivery>(window, local, global, Qt::NoButton, Qt::LeftButton,
                                                    QEvent::MouseButtonRelease);
    Application->ProcessMessages();
}

