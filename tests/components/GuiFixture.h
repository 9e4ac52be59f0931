#pragma once
// A shown form under the offscreen platform for the component tests, and
// helpers that work the controls as a user would.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QWidget>
#include <gtest/gtest.h>

#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"

class GuiTest : public ::testing::Test {
protected:
    TForm* Form = nullptr;
    void SetUp() override
    {
        TApplication::EnsureQtApplication();
        Form = NewForm<TForm>(Application);
        Form->SetBounds(100, 100, 400, 300);
        Form->Show();
        Activate();
    }
    void TearDown() override
    {
        Form->Free();
        QApplication::processEvents();
    }
    void Activate()
    {
        QWidget* w = Form->OuterWidget();
        w->activateWindow();
        QApplication::setActiveWindow(w);
        QApplication::processEvents();
    }
    static void Events() { QApplication::processEvents(); }
    // Saves a picture when QORVANE_SCREENSHOTS names a folder.
    static void Screenshot(const QImage& img, const char* name)
    {
        const QByteArray dir = qgetenv("QORVANE_SCREENSHOTS");
        if (!dir.isEmpty()) img.save(QDir(QString::fromLocal8Bit(dir)).filePath(QString::fromLatin1(name) + ".png"));
    }
    static QImage Grab(QWidget* w) { return w->grab().toImage(); }
};

#include <QMouseEvent>
// A real mouse press and release at the point of the widget.
inline void MousePress(QWidget* w, QPoint p)
{
    QMouseEvent e(QEvent::MouseButtonPress, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::LeftButton, Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
inline void MouseRelease(QWidget* w, QPoint p)
{
    QMouseEvent e(QEvent::MouseButtonRelease, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::LeftButton, Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
inline void MouseMove(QWidget* w, QPoint p)
{
    QMouseEvent e(QEvent::MouseMove, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::NoButton, Qt::LeftButton,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}
inline void MouseClick(QWidget* w, QPoint p)
{
    MousePress(w, p);
    MouseRelease(w, p);
}
