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
#include <QWidget>

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

inline void Key(QWidget* target, int key, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString& text = QString())
{
    QKeyEvent press(QEvent::KeyPress, key, mods, text);
    QKeyEvent release(QEvent::KeyRelease, key, mods, text);
    QApplication::sendEvent(target, &press);
    QApplication::sendEvent(target, &release);
}

// Characters typed on the keyboard into the widget that has the focus.
inline void Type(QWidget* target, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(target, &press);
    }
}

// What the toolkit does before it delivers a press of the user's mouse: the
// first widget from the one under the pointer up to its window that takes
// the focus by a click gets it, unless one on the way has it already (an
// event sent by the program is not the user's, so the toolkit leaves that
// step out for it).
inline void GiveFocusForPress(QWidget* target)
{
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

}  // namespace screen
