#pragma once
// The window system's side of the activation, delivered to the toolkit the
// way its platform plugin delivers it: another program taking the focus is a
// focus loss of this program's focused window (nothing, when none of its
// windows has the focus), a click on a window asks the window system to
// activate it.
#include <QApplication>
#include <QGuiApplication>
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
