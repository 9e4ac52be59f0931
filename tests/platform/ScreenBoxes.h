#pragma once
// Message boxes answered as on the screen: each one is a window of its own
// that takes the activation, and with it the focus, from the window under it
// while it is up, and gives them back when it closes. The texts shown are
// recorded; modal forms are worked by OnModal (cancelled without it).
#include <QApplication>
#include <QStringList>
#include <QWidget>
#include <functional>

#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"

class TScreenBoxes {
public:
    TScreenBoxes()
    {
        FPrevious = SetDialogHook([this](const TDialogRequest& r) { return Answer(r); });
    }
    ~TScreenBoxes() { SetDialogHook(FPrevious); }
    TScreenBoxes(const TScreenBoxes&) = delete;
    TScreenBoxes& operator=(const TScreenBoxes&) = delete;

    QStringList Texts;
    std::function<int(TForm*)> OnModal;

private:
    static void Activate(QWidget* w)
    {
        w->activateWindow();
        QApplication::setActiveWindow(w);
        QApplication::processEvents();
    }
    int Answer(const TDialogRequest& r)
    {
        if (r.Kind == TDialogKind::ModalForm) {
            if (r.Form) Activate(r.Form->OuterWidget()->window());
            return OnModal ? OnModal(r.Form) : mrCancel;
        }
        Texts << r.Text;
        QWidget* under = QApplication::activeWindow();
        QWidget box(nullptr, Qt::Dialog);
        box.resize(200, 80);
        box.show();
        Activate(&box);
        box.hide();
        if (under) Activate(under);
        return DefaultButtonAnswer(r.Flags);
    }
    TDialogHook FPrevious;
};
