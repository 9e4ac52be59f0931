#pragma once
// Message boxes and modal dialogs, all through one entry point (RunDialog).
//
// Every message box (Application->MessageBox, MessageDlg, ShowMessage) and
// every modal form (TForm::ShowModal) goes through RunDialog. While a dialog
// hook is set, the hook answers instead of the screen: for a message box it
// returns the button pressed (IDOK, IDYES, ... or mrOk, mrYes, ... for
// MessageDlg); for a modal form it is called while the form is shown, may work
// the form as a user would (set its edits, call SetModalResult) and returns
// the modal result (mrNone counts as mrCancel). Tests install a
// TDialogRecorder, which records what was asked.
//
// Without a hook, on a platform with no screen (offscreen, minimal) a message
// box is written to the standard error stream and answered with the button
// that backs out (Cancel, No, or OK when there is no other), so that nothing
// waits for a user who is not there.
#include <QString>
#include <deque>
#include <functional>
#include <vector>

#include "platform/core/Sets.h"
#include "platform/ui/Windows.h"

class TForm;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = TSet<TMsgDlgBtn>;
constexpr TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
constexpr TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
constexpr TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// Shows the message with the type's caption ("Warning", "Error",
// "Information", "Confirm"; the application title for mtCustom) and returns
// the modal result of the button pressed.
int MessageDlg(const QString& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, int HelpCtx = 0);
// The message with an OK button under the application title.
void ShowMessage(const QString& Msg);

enum class TDialogKind { MessageBox, MessageDlg, ModalForm };

struct TDialogRequest {
    TDialogKind Kind = TDialogKind::MessageBox;
    QString Text;                    // message text
    QString Caption;                 // box caption; a form's caption
    int Flags = 0;                   // MessageBox: MB_* flags
    TMsgDlgType DlgType = mtCustom;  // MessageDlg
    TMsgDlgButtons Buttons;          // MessageDlg
    TForm* Form = nullptr;           // ModalForm: the form (valid during the call only)
    QString FormClass;               // ModalForm: its class name
};
using TDialogHook = std::function<int(const TDialogRequest&)>;

// Sets the hook (none: the screen) and returns the previous one.
TDialogHook SetDialogHook(TDialogHook hook);
bool DialogHookActive();
// The one entry point: the hook's answer, or the dialog on the screen.
int RunDialog(const TDialogRequest& request);

// Shorthand for a hook that only cares about message boxes: every message box
// (and MessageDlg, whose buttons are given as the nearest MB_* type, answered
// with ID* numbers, which equal the mr* results) goes to the function; modal
// forms are cancelled. nullptr removes the hook.
using TMessageBoxHook = std::function<int(const QString& Text, const QString& Caption, int Flags)>;
void SetMessageBoxHook(TMessageBoxHook hook);

// A hook for tests: records every request and answers from Answers in order;
// with no answer queued a message box gets its default button (the one Enter
// presses) and a modal form is worked by OnModal when set, else cancelled.
class TDialogRecorder {
public:
    TDialogRecorder();
    ~TDialogRecorder();
    TDialogRecorder(const TDialogRecorder&) = delete;
    TDialogRecorder& operator=(const TDialogRecorder&) = delete;

    std::vector<TDialogRequest> Calls;
    std::deque<int> Answers;
    std::function<int(TForm* form)> OnModal;

    int Count(TDialogKind kind) const;
    const TDialogRequest& Last() const { return Calls.back(); }

private:
    int Answer(const TDialogRequest& r);
    TDialogHook FPrevious;
};

// The answer of the button Enter presses and of the one that backs out.
int DefaultButtonAnswer(int flags);
int EscapeButtonAnswer(int flags);
