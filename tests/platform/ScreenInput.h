#pragma once
// What a user does to a window's widgets, as the toolkit delivers it (keys,
// typed characters, mouse clicks), and what the screen holds of a widget.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QWidget>

#include "platform/ui/Forms.h"

namespace screen {

// The widget's area as the screen holds it now.
inline QImage ScreenOf(QWidget* w)
{
    QWidget* top = w->window();
    const QPoint at = w->mapTo(top, QPoint(0, 0));
    return QGuiApplication::primaryScreen()
        ->grabWindow(top->winId(), at.x(), at.y(), w->width(), w->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// The widget that has the keyboard: the open pop-up's focused widget (or the
// pop-up itself), else the focused one.
inline QWidget* KeyboardWidget()
{
    if (QWidget* popup = QApplication::activePopupWidget()) return popup->focusWidget() ? popup->focusWidget() : popup;
    return QApplication::focusWidget();
}

// The key code the keyboard gives with a typed character: digits, the date
// separator, a blank and Latin letters have theirs; any other character
// comes with none, its text alone.
inline int KeyOf(QChar c)
{
    if (c.isDigit() && c.unicode() < 128) return Qt::Key_0 + (c.unicode() - '0');
    if (c == QLatin1Char('.')) return Qt::Key_Period;
    if (c == QLatin1Char(' ')) return Qt::Key_Space;
    if (c.unicode() < 128 && c.isLetter()) return c.toUpper().unicode();
    return 0;
}

// A key pressed and released as the toolkit delivers them, through the
// application's notify: the press to the target, the release to whatever has
// the keyboard then when the target had it (the press may have moved the
// focus or closed the window), else to the target while it lives; then the
// event loop runs. Enter, Esc and Tab carry their control characters when no
// text is given.
inline void Key(QWidget* target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, QString text = QString())
{
    if (!target) return;
    if (text.isEmpty()) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter) text = QStringLiteral("\r");
        else if (key == Qt::Key_Escape) text = QString(QChar(27));
        else if (key == Qt::Key_Tab) text = QStringLiteral("\t");
    }
    const bool atKeyboard = target == KeyboardWidget();
    const QPointer<QWidget> alive(target);
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QApplication::sendEvent(target, &press);
    if (QWidget* now = atKeyboard || !alive ? KeyboardWidget() : alive.data()) {
        QKeyEvent release(QEvent::KeyRelease, key, mods, text);
        QApplication::sendEvent(now, &release);
    }
    Application->ProcessMessages();
}

// Characters typed on the keyboard into the target, one key each.
inline void Type(QWidget* target, const QString& text)
{
    for (QChar c : text) Key(target, KeyOf(c), Qt::NoModifier, QString(c));
}

// What the toolkit does before it delivers a press of the user's mouse: the
// first widget from the one under the pointer up to its window that takes
// the focus by a click gets it, unless one on the way has it already (an
// event sent by the program is not the user's, so the toolkit leaves that
// step out for it); over a control that takes no focus by a click, the
// application keeps the focus where it is.
inline void GiveFocusForPress(QWidget* target)
{
    if (PressKeepsFocusAt(target)) return;
    for (QWidget* w = target; w; w = w->parentWidget()) {
        QWidget* f = w;
        while (f->focusProxy()) f = f->focusProxy();
        if (w->isEnabled() && (w->focusPolicy() & Qt::ClickFocus) && (f->focusPolicy() & Qt::ClickFocus)) {
            w->setFocus(Qt::MouseFocusReason);
            return;
        }
        if (w->isWindow() || f->hasFocus()) return;
    }
}

// A left click at the point (the widget's centre by default), the focus
// given as for the user's press; with Double the second press comes as a
// double click, as the toolkit sends it.
inline void Click(QWidget* target, QPointF at = QPointF(-1, -1), bool Double = false)
{
    if (at.x() < 0) at = QPointF(target->width() / 2.0, target->height() / 2.0);
    const QPointF global = target->mapToGlobal(at);
    const QPointer<QWidget> alive(target);
    GiveFocusForPress(target);
    if (!alive) return;
    auto send = [&](QEvent::Type type, Qt::MouseButtons buttons) {
        QMouseEvent e(type, at, global, Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(target, &e);
    };
    send(QEvent::MouseButtonPress, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    if (!Double) return;
    send(QEvent::MouseButtonDblClick, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
}

// The rows an opened combo box list shows whole.
inline int ListRowsShown(QComboBox* box)
{
    QAbstractItemView* view = box->view();
    int rows = 0;
    for (int r = 0; r < box->model()->rowCount(); ++r) {
        const QRect row = view->visualRect(box->model()->index(r, 0));
        if (row.top() >= 0 && row.bottom() < view->viewport()->height()) ++rows;
    }
    return rows;
}

// The centre of a combo box's arrow, where a press opens its list.
inline QPoint ArrowOf(QComboBox* box)
{
    QStyleOptionComboBox opt;
    opt.initFrom(box);
    opt.editable = box->isEditable();
    opt.subControls = QStyle::SC_All;
    return box->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxArrow, box).center();
}

// A click on a row of the open list: the pointer moved there first, as the
// user's hand moves it from the arrow, then pressed and released.
inline void ClickListRow(QComboBox* box, int row)
{
    QWidget* rows = box->view()->viewport();
    const QPoint at = box->view()->visualRect(box->model()->index(row, 0)).center();
    QMouseEvent move(QEvent::MouseMove, QPointF(at), rows->mapToGlobal(QPointF(at)), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(rows, &move);
    Click(rows, at);
    Application->ProcessMessages();
}

// A right click, press and release; the press gives the focus as any press
// of the user's does.
inline void RightClick(QWidget* w, QPoint at)
{
    GiveFocusForPress(w);
    for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent e(t, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::RightButton,
                      t == QEvent::MouseButtonPress ? Qt::RightButton : Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(w, &e);
    }
    Application->ProcessMessages();
}

}  // namespace screen

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

// A key pressed where the keyboard is, as a user presses it: the release
// goes to whatever has the keyboard after the press. Returns false when no
// widget has the keyboard.
inline bool PressKey(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = QString())
{
    QWidget* w = screen::KeyboardWidget();
    if (!w) return false;
    screen::Key(w, key, mods, text);
    return true;
}

// Types the characters one key each where the keyboard is (it may move as
// they are typed).
inline void TypeKeys(const QString& s)
{
    for (QChar c : s) PressKey(screen::KeyOf(c), Qt::NoModifier, QString(c));
}
