#pragma once
// The window system's side of the activation, delivered to the toolkit the
// way its platform plugin delivers it: another program taking the focus is a
// focus loss of this program's focused window (nothing, when none of its
// windows has the focus), a click on a window asks the window system to
// activate it; a click of the user's mouse comes to the widget's window and
// the toolkit finds the widget under the pointer and gives the focus itself.
// An MDI child's title bar is pressed as the toolkit delivers the user's
// mouse to it.
#include <QApplication>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

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

namespace winsys_detail {
// The window the keyboard's events go to: the focused one, else the active
// one (a closed pop-up leaves the offscreen platform without a focused
// window, where a window manager gives the focus back).
inline QWindow* KeyWindow()
{
    if (QWindow* w = QGuiApplication::focusWindow()) return w;
    QWidget* active = QApplication::activeWindow();
    return active ? active->windowHandle() : nullptr;
}

inline void KeyEvent(QEvent::Type type, int key, Qt::KeyboardModifiers held, const QString& text)
{
    if (QWindow* w = KeyWindow())
        QWindowSystemInterface::handleKeyEvent<QWindowSystemInterface::SynchronousDelivery>(w, type, key, held, text);
}
}  // namespace winsys_detail

// A key of the keyboard pressed and released, with the modifiers held down
// around it, as the window system hands them to the toolkit: each event goes
// to the focused window, whose toolkit offers a press to the shortcuts first
// (a menu title's accelerator, the menu bar's watch for Alt alone) and then
// hands it to the open pop-up or the focused widget. An event carries the
// modifiers held before it (a modifier key's own press does not carry
// itself, its release does). Then the event loop runs.
inline void KeyboardKey(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = QString())
{
    using winsys_detail::KeyEvent;
    static const std::pair<Qt::KeyboardModifier, int> order[] = {
        {Qt::ControlModifier, Qt::Key_Control}, {Qt::ShiftModifier, Qt::Key_Shift}, {Qt::AltModifier, Qt::Key_Alt}};
    Qt::KeyboardModifiers held;
    for (const auto& [m, k] : order)
        if (mods & m) {
            KeyEvent(QEvent::KeyPress, k, held, QString());
            held |= m;
        }
    KeyEvent(QEvent::KeyPress, key, held, text);
    Qt::KeyboardModifiers after = held;
    for (const auto& [m, k] : order)
        if (key == k) after |= m;
    KeyEvent(QEvent::KeyRelease, key, after, text);
    for (auto it = std::rbegin(order); it != std::rend(order); ++it)
        if (mods & it->first) {
            KeyEvent(QEvent::KeyRelease, it->second, held, QString());
            held &= ~it->first;
        }
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
