#pragma once
// The data-aware date edit: shows and edits the date held in one field of a
// dataset through a field data link. An empty edit writes a null field; a
// typed or chosen date keeps the time part the field held.
#include "components/ToolEdit.h"
#include "platform/ui/DBCtrls.h"

class TDBDateEdit : public TCustomDateEdit, public TFieldControlLink {
    QV_CLASS(TDBDateEdit, TCustomDateEdit)
public:
    explicit TDBDateEdit(TComponent* AOwner = nullptr);

    bool ReadOnly() const { return FDataLink.ReadOnly(); }
    void SetReadOnly(bool v) override { FDataLink.SetReadOnly(v); }
    // The text painted as a copy for a repeating data control.
    QString CopyText() const;

protected:
    bool GetReadOnly() const override { return FDataLink.ReadOnly(); }
    bool EditCanModify() override { return FDataLink.Edit(); }
    bool CanPaste() override;
    bool CanCut() override;
    void Change() override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void DoExit() override;
    void DataChange() override { ShowFieldText(); }
    void EditingChange() override;
    void UpdateData() override;

private:
    void AcceptDate(TObject* Sender, TDateTime& ADate, bool& Action);
    void ShowFieldText();
};
