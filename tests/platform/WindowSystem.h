#pragma once
// The window system's side of the activation, delivered to the toolkit the
// way its platform plugin delivers it: another program taking the focus is a
// focus loss of this program's focused window (nothing, when none of its
// windows has the focus), a click on a window asks the window system to
// activate it. An MDI child's title bar is pressed as the toolkit delivers
// the user's mouse to it.
#include <qpa/qwindowsysteminterface.h>

#include <QApplication>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPointer>
#include <QStyle>
#include <QStyleOptionTitleBar>

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

// The centre of a part of an MDI child's title bar (its caption, or its
// minimise, maximise, restore or close button), in the sub-window's
// coordinates, where the sub-window's own hit test finds it.
inline QPoint TitleBarPoint(TForm* Child, QStyle::SubControl Part)
{
    auto* sub = qobject_cast<QMdiSubWindow*>(Child->OuterWidget());
    if (!sub) return QPoint(-1, -1);
    QStyle* st = sub->style();
    QStyleOptionTitleBar opt;
    opt.initFrom(sub);
    opt.subControls = QStyle::SC_All;
    opt.titleBarFlags = sub->windowFlags();
    opt.titleBarState = sub->windowState();
    const int border = st->styleHint(QStyle::SH_TitleBar_NoBorder, &opt, sub) ? 0 : 4;
    opt.rect = QRect(border, border, sub->width() - 2 * border, st->pixelMetric(QStyle::PM_TitleBarHeight, &opt, sub));
    return st->subControlRect(QStyle::CC_TitleBar, &opt, Part, sub).center();
}

// The user presses the left button on that part of the title bar: the
// pointer comes over it (the toolkit reports its way in more than one move:
// the first move after a drag of the title ends the drag), the button goes
// down and up there; then the event loop runs.
inline void PressTitleBar(TForm* Child, QStyle::SubControl Part)
{
    QPointer<QWidget> sub = Child->OuterWidget();
    const QPoint at = TitleBarPoint(Child, Part);
    const QPoint global = sub->mapToGlobal(at);
    auto send = [&](QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons) {
        QMouseEvent e(type, at, global, button, buttons, Qt::NoModifier);
        if (sub) QApplication::sendEvent(sub, &e);
    };
    send(QEvent::MouseMove, Qt::NoButton, Qt::NoButton);
    send(QEvent::MouseMove, Qt::NoButton, Qt::NoButton);
    send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
    Application->ProcessMessages();
}
