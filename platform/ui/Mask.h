#pragma once
// The masked edit: a single-line edit whose text follows an edit mask.
//
// Masks are the framework's: "!99/99/9999;1; " — '9' an optional digit, '0'
// a required digit, 'L'/'l' letters, 'A'/'a' letters or digits, 'C'/'c' any
// character, '/' the date separator, ':' the time separator, '\' takes the
// next character literally, '!' drops leading blanks; after the first ';'
// "1" keeps the literal characters in Text (else they are left out), and
// after the second ';' comes the blank character. Digits-only positions
// refuse every other character, so no letter gets into a date mask.
//
// Keys: KeyDown sees the virtual key and shift state first (Key := 0
// consumes it), then KeyPress the character (#0 drops it). Paste and cut
// (Ctrl+V, Shift+Insert, Ctrl+X, Shift+Delete) ask CanPaste/CanCut first.
// Change() runs after every change of the text, typed or set.
#include <QPointer>

#include "platform/ui/PaintCtrls.h"

class QLineEdit;

class TCustomMaskEdit : public TWinControl {
    QV_CLASS(TCustomMaskEdit, TWinControl)
public:
    explicit TCustomMaskEdit(TComponent* AOwner = nullptr);

    QString EditMask() const { return FEditMask; }
    void SetEditMask(const QString& v);
    // The text as the edit shows it, blanks included.
    QString EditText() const { return Text(); }
    bool ReadOnly() const { return FReadOnly; }
    virtual void SetReadOnly(bool v);
    int MaxLength() const { return FMaxLength; }
    void SetMaxLength(int v);
    bool Modified() const { return FModified; }
    void SetModified(bool v) { FModified = v; }
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool v) { FAutoSelect = v; }
    virtual void SelectAll();
    int SelStart() const;
    void SetSelStart(int v);
    int SelLength() const;
    QString SelText() const;
    // Sets the window's own read-only state without touching ReadOnly.
    void SetWindowReadOnly(bool v);
    bool WindowReadOnly() const { return FWindowReadOnly; }
    // Right margin kept clear of text (a button inside the edit).
    void SetRightMargin(int px);
    void SetEditAlignment(TAlignment v);
    // Shows or hides the caret (the text cursor).
    void SetCaretVisible(bool v);

    // Types a key as a user would: KeyDown, KeyPress, then into the text.
    void TypeKey(WORD vk, TShiftState shift = {}, QChar ch = QChar());
    void TypeText(const QString& s);

    TNotifyEvent OnChange;
    TKeyEvent OnKeyDown;
    TKeyCharEvent OnKeyPress;
    TMouseEvent OnMouseDown;

    QLineEdit* LineEdit() const;

protected:
    QWidget* CreateWidget(QWidget* parentWidget) override;
    void InitWidget() override;
    void TextChanged() override;
    // The colour is the background the text is written on.
    void ColorChanged() override;
    bool WidgetEvent(QObject* watched, QEvent* event) override;
    virtual void Change();
    virtual void KeyDown(WORD& Key, TShiftState Shift);
    virtual void KeyPress(QChar& Key);
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual bool EditCanModify() { return !FReadOnly; }
    virtual bool CanPaste() { return !FWindowReadOnly; }
    virtual bool CanCut() { return !FWindowReadOnly; }
    void DoEnter() override;
    // Called from MouseDown: the press goes no further (no caret placement).
    void DropMouseDown() { if (FFocusDropGuard) *FFocusDropGuard = true; }
    bool* FFocusDropGuard = nullptr;
    // Qt's mask for the framework's one.
    static QString QtMask(const QString& mask);

private:
    void SyncFromWidget();
    QString FEditMask;
    bool FReadOnly = false;
    bool FWindowReadOnly = false;
    int FMaxLength = 0;
    bool FModified = false;
    bool FAutoSelect = true;
    bool FSyncing = false;
    int FRightMargin = 0;
    bool FCaretHidden = false;
    TAlignment FEditAlignment = taLeftJustify;
};
