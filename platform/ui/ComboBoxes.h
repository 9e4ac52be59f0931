#pragma once
// The combo box: a list of texts with a current entry, in one of three
// styles. csDropDownList: a closed list, nothing can be typed, Text is the
// chosen entry's text (empty with none chosen). csDropDown: a list with an
// entry line. csSimple: a plain entry line without a list (the filter rows
// switch their value box between csSimple and csDropDownList).
//
// OnSelect fires when the user picks an entry (not when the program sets
// ItemIndex). OnKeyPress sees every character typed into the entry line
// before it is typed; setting it to 0 drops it. OnChange fires when the user
// changes the text.
#include <QPointer>
#include <QString>

#include "platform/core/Classes.h"
#include "platform/ui/Controls.h"
#include "platform/ui/StdCtrls.h"

class QComboBox;

// Makes the box's list drop down under the box and show at most the box's
// maxVisibleItems rows, as the platform's closed lists do; some toolkit
// styles lay a closed list over the box and show every one of its rows.
void DropListUnderBox(QComboBox* Box);

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

class TComboBox : public TWinControl {
    QV_CLASS(TComboBox, TWinControl)
public:
    explicit TComboBox(TComponent* AOwner = nullptr);
    ~TComboBox() override;

    TComboBoxStyle Style() const { return FStyle; }
    void SetStyle(TComboBoxStyle v);
    TStrings* Items() const { return FItems; }
    void SetItems(TStrings* v) { FItems->Assign(v); }
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int v);
    int DropDownCount() const { return FDropDownCount; }
    void SetDropDownCount(int v);
    // Empties the list and the text.
    void Clear();

    // What a user does (tests use them too): picks entry i (then OnSelect),
    // types a character into the entry line (through OnKeyPress; Backspace
    // deletes the last one, Enter is passed to OnKeyPress only).
    void Select(int i);
    void TypeChar(QChar c);
    // Enter in an entry line is the line's (OnKeyPress acts on it).
    bool WantsDialogKey(WORD Key, TShiftState Shift) const override { return Key == VK_RETURN && Editable(); }

    TNotifyEvent OnSelect;
    TNotifyEvent OnChange;
    TKeyPressEvent OnKeyPress;

protected:
    QWidget* CreateWidget(QWidget* parentWidget) override;
    void InitWidget() override;
    void TextChanged() override;
    bool WidgetEvent(QObject* watched, QEvent* event) override;

private:
    QComboBox* Combo() const;
    void ItemsChanged();
    void ApplyStyle();
    void SyncWidget();
    bool Editable() const { return FStyle == csSimple || FStyle == csDropDown; }

    TStringList* FItems;
    TComboBoxStyle FStyle = csDropDown;
    int FItemIndex = -1;
    int FDropDownCount = 8;
    bool FSyncing = false;
};
