#pragma once
// Standard controls: label, single-line edit, masked edit, memo, push button
// and check box, each on its Qt widget.
//
// Texts: Text/Caption of an edit follows what the user types. A memo's Text
// has its lines joined by CR LF, as the framework's memo gives it; the widget
// shows them as lines.
//
// Keys: OnKeyPress sees every character typed into an edit before the edit
// does; setting Key to 0 drops it, any other character is typed instead.
// Backspace arrives as '\b', Enter as '\r'.
//
// Buttons: a click fires OnClick, then, when ModalResult is set, sets the
// modal result of the button's form (which closes a modal form). Default
// buttons answer Enter and cancel buttons Escape that the focused control
// does not claim (the form's dialog key, Forms.h; an edit passes both on, a
// memo keeps Enter). Enter on a focused button presses that button.
#include <QPointer>
#include <QString>
#include <functional>

#include "platform/ui/Controls.h"

class QLineEdit;
class QPlainTextEdit;

using TKeyPressEvent = std::function<void(TObject* Sender, QChar& Key)>;

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// A text on the form; with FocusControl its accelerator ("&x") focuses that
// control.
class TLabel : public TControl {
    QV_CLASS(TLabel, TControl)
public:
    explicit TLabel(TComponent* AOwner = nullptr);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool v);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    TWinControl* FocusControl() const { return FFocusControl; }
    void SetFocusControl(TWinControl* c);

protected:
    QWidget* CreateWidget(QWidget* parentWidget) override;
    void InitWidget() override;
    void TextChanged() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    bool WidgetEvent(QObject* watched, QEvent* event) override;

private:
    void ApplyLook();
    void DoAutoSize();
    bool FAutoSize = true;
    bool FWordWrap = false;
    bool FTransparent = false;
    TAlignment FAlignment = taLeftJustify;
    TWinControl* FFocusControl = nullptr;
};

// The common part of the edits: the key filter and the change event.
class TCustomEdit : public TWinControl {
    QV_CLASS(TCustomEdit, TWinControl)
public:
    explicit TCustomEdit(TComponent* AOwner = nullptr);
    int MaxLength() const { return FMaxLength; }
    virtual void SetMaxLength(int v);
    bool ReadOnly() const { return FReadOnly; }
    virtual void SetReadOnly(bool v);
    virtual void SelectAll() {}
    virtual void Clear() { SetText(QString()); }
    TKeyPressEvent OnKeyPress;
    TNotifyEvent OnChange;
    // Every key pressed in the edit, with its virtual-key code and shift
    // state, before OnKeyPress; a handler that sets Key to 0 consumes it.
    std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)> OnKeyDown;
    // Runs OnKeyDown as a pressed key would; true when it consumed the key.
    bool DoKeyDown(WORD Key, TShiftState Shift);

    // Types the character as a user would: through OnKeyPress, then into the
    // edit at the cursor (Backspace deletes before it).
    virtual void TypeChar(QChar c) = 0;

protected:
    // Runs KeyPress; false when the key was dropped.
    bool FilterKey(QChar& c);
    // Every key pressed, then every character typed (default: the events);
    // Change after every change of the text by the user or the program.
    virtual void KeyDown(WORD& Key, TShiftState Shift);
    virtual void KeyPress(QChar& Key);
    virtual void Change();
    // The widget's text changed by the user.
    void TextFromWidget(const QString& t);
    bool WidgetEvent(QObject* watched, QEvent* event) override;
    int FMaxLength = 0;
    bool FReadOnly = false;
    bool FSyncing = false;
};

class TEdit : public TCustomEdit {
    QV_CLASS(TEdit, TCustomEdit)
public:
    explicit TEdit(TComponent* AOwner = nullptr);
    QChar PasswordChar() const { return FPasswordChar; }
    void SetPasswordChar(QChar c);
    void SetMaxLength(int v) override;
    void SetReadOnly(bool v) override;
    void SelectAll() override;
    QString SelText() const;
    void TypeChar(QChar c) override;

protected:
    QWidget* CreateWidget(QWidget* parentWidget) override;
    void InitWidget() override;
    void TextChanged() override;

private:
    QLineEdit* Line() const;
    QChar FPasswordChar = QChar(0);
};

// An edit with an input mask; an empty mask makes it a plain edit.
class TMaskEdit : public TEdit {
    QV_CLASS(TMaskEdit, TEdit)
public:
    explicit TMaskEdit(TComponent* AOwner = nullptr) : TEdit(AOwner) {}
    QString EditMask() const { return FEditMask; }
    void SetEditMask(const QString& v) { FEditMask = v; }
private:
    QString FEditMask;
};

class TMemo : public TCustomEdit {
    QV_CLASS(TMemo, TCustomEdit)
public:
    explicit TMemo(TComponent* AOwner = nullptr);
    TScrollStyle ScrollBars() const { return FScrollBars; }
    void SetScrollBars(TScrollStyle v);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool v);
    void SetReadOnly(bool v) override;
    void SelectAll() override;
    void TypeChar(QChar c) override;
    // Enter breaks the line.
    bool WantsDialogKey(WORD Key, TShiftState Shift) const override { return Key == VK_RETURN; }

protected:
    QWidget* CreateWidget(QWidget* parentWidget) override;
    void InitWidget() override;
    void TextChanged() override;

private:
    QPlainTextEdit* Plain() const;
    void ApplyLook();
    TScrollStyle FScrollBars = ssNone;
    bool FWordWrap = true;
};

class TButton : public TWinControl {
    QV_CLASS(TButton, TWinControl)
public:
    explicit TButton(TComponent* AOwner = nullptr);
    bool Default() const { return FDefault; }
    void SetDefault(bool v);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool v);
    // A click on the cancel button throws away what the form's controls
    // hold, as Esc does: it leaves the focus where it is, so the control the
    // user was in is not left and its exit check (an impossible date) does
    // not stand in the way. Tab still reaches the button, checking as it goes.
    // Any other button acts on a click only once the control left let the
    // focus go.
    bool TakesClickFocus() const override { return !FCancel; }
    int ModalResult() const { return FModalResult; }
    void SetModalResult(int v) { FModalResult = v; }
    void Click() override;
    bool WantsDialogKey(WORD Key, TShiftState Shift) const override { return Key == VK_RETURN; }
    void WndProc(TMessage& Message) override;

protected:
    QWidget* CreateWidget(QWidget* parentWidget) override;
    void InitWidget() override;
    void TextChanged() override;
    bool WidgetEvent(QObject* watched, QEvent* event) override;

private:
    bool FDefault = false;
    bool FCancel = false;
    int FModalResult = 0;
};

// Setting Checked runs OnClick, as a click does, unless clicks are
// disabled: SetCheckedWithoutClick changes the mark silently.
class TCheckBox : public TWinControl {
    QV_CLASS(TCheckBox, TWinControl)
public:
    explicit TCheckBox(TComponent* AOwner = nullptr);
    bool Checked() const { return FChecked; }
    void SetChecked(bool v);
    void SetCheckedWithoutClick(bool v);
    bool ClicksDisabled() const { return FClicksDisabled; }
    void SetClicksDisabled(bool v) { FClicksDisabled = v; }
    void Click() override;   // what a user's click does: flips the mark

protected:
    QWidget* CreateWidget(QWidget* parentWidget) override;
    void InitWidget() override;
    void TextChanged() override;

private:
    bool FChecked = false;
    bool FClicksDisabled = false;
};
