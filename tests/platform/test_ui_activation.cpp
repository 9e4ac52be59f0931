// The application's activation across a modal window: the window active
// before it gets the activation back when it closes, so that the window
// system's next focus loss and the return after it reach the application.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>

#include "platform/ui/AppEvnts.h"
#include "platform/ui/Dialogs.h"
#include "tests/platform/WindowSystem.h"

TEST(Activation, AModalWindowGivesTheActivationBackUnlessTheUserLeftMeanwhile)
{
    struct Case {
        const char* name;
        bool leaveDuringDialog;   // the user turns to another program while the dialog is open
    };
    const Case cases[] = {
        {"closed while it held the activation", false},
        {"closed after the user went to another program", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* main = NewForm<TForm>(nullptr);
        main->SetBounds(0, 0, 400, 300);
        main->Show();
        Application->ProcessMessages();
        ASSERT_EQ(QApplication::activeWindow(), main->OuterWidget());
        TApplicationEvents events(nullptr);
        int activations = 0, deactivations = 0;
        events.OnActivate = [&](TObject*) { ++activations; };
        events.OnDeactivate = [&](TObject*) { ++deactivations; };

        TDialogRecorder dialogs;
        dialogs.OnModal = [&](TForm* dialog) {
            Application->ProcessMessages();   // the dialog on the screen, as the user sees it
            EXPECT_EQ(QApplication::activeWindow(), dialog->OuterWidget());
            if (c.leaveDuringDialog) OtherProgramTakesTheFocus();
            return int(mrOk);
        };
        auto* dialog = NewForm<TForm>(nullptr);
        dialog->SetBorderStyle(bsDialog);
        EXPECT_EQ(dialog->ShowModal(), mrOk);
        dialog->Free();   // as the callers free their dialogs at once
        Application->ProcessMessages();
        EXPECT_EQ(QApplication::activeWindow(), c.leaveDuringDialog ? nullptr : main->OuterWidget());

        OtherProgramTakesTheFocus();
        EXPECT_EQ(deactivations, 1);
        EXPECT_EQ(QGuiApplication::applicationState(), Qt::ApplicationInactive);
        UserClicks(main);
        EXPECT_EQ(activations, 1);
        EXPECT_EQ(deactivations, 1);
        main->Free();
        Application->ProcessMessages();
    }
}
