#pragma once
// Keys pressed as a user presses them: the press and the release go through
// the toolkit's own delivery (the application's notify, as QTest does) to
// the widget that has the keyboard, the open pop-up's or else the focused
// one; then the event loop runs.
#include <QApplication>
#include <QKeyEvent>
#include <QString>

#include "platform/ui/Forms.h"

// Makes the form's window the active one, as the window system does for a
// window the user works in (the offscreen platform activates none itself).
inline void ActivateForm(TForm* f)
{
    QWidget* w = f->OuterWidget() ? f->OuterWidget()->window() : nullptr;
    if (!w) return;
    w->activateWindow();
    QApplication::setActiveWindow(w);
    Application->ProcessMessages();
}

inline QWidget* KeyboardWidget()
{
    if (QWidget* popup = QApplication::activePopupWidget()) return popup->focusWidget() ? popup->focusWidget() : popup;
    return QApplication::focusWidget();
}

// Returns false when no widget has the keyboard.
inline bool PressKey(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, QString text = QString())
{
    QWidget* w = KeyboardWidget();
    if (!w) return false;
    if (text.isEmpty()) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter) text = QStringLiteral("\r");
        else if (key == Qt::Key_Escape) text = QString(QChar(27));
        else if (key == Qt::Key_Tab) text = QStringLiteral("\t");
    }
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(w, &press);
    // The press may have closed the window that had the keyboard.
    if (QWidget* now = KeyboardWidget()) {
        QKeyEvent release(QEvent::KeyRelease, key, mods, text);
        QApplication::sendEvent(now, &release);
    }
    Application->ProcessMessages();
    return true;
}

// Types the characters one key each (digits and the date separator).
inline void TypeKeys(const QString& s)
{
    for (QChar c : s) {
        const int key = c.isDigit() ? Qt::Key_0 + (c.unicode() - '0') : c == QLatin1Char('.') ? Qt::Key_Period : 0;
        PressKey(key, Qt::NoModifier, QString(c));
    }
}
