#pragma once
// The data-aware date edit: shows and edits the date held in one field of a
// dataset through a field data link. An empty edit writes a null field; a
// typed or chosen date keeps the time part the field held.
#include "components/ToolEdit.h"
#include "platform/db/DB.h"

class TDBDateEdit : public TCustomDateEdit {
    QV_CLASS(TDBDateEdit, TCustomDateEdit)
public:
    explicit TDBDateEdit(TComponent* AOwner = nullptr);
    ~TDBDateEdit() override;

    TDataSource* DataSource() const { return FDataLink->DataSource(); }
    void SetDataSource(TDataSource* v);
    QString DataField() const { return FDataLink->FieldName(); }
    void SetDataField(const QString& v) { FDataLink->SetFieldName(v); }
    bool ReadOnly() const { return FDataLink->ReadOnly(); }
    void SetReadOnly(bool v) override { FDataLink->SetReadOnly(v); }
    TField* Field() const { return FDataLink->Field(); }
    TFieldDataLink* DataLink() const { return FDataLink; }
    // The text painted as a copy for a repeating data control.
    QString CopyText() const;

protected:
    bool GetReadOnly() const override { return FDataLink->ReadOnly(); }
    bool EditCanModify() override { return FDataLink->Edit(); }
    bool CanPaste() override;
    bool CanCut() override;
    void Change() override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void DoExit() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void DataChange(TObject*);
    void EditingChange(TObject*);
    void UpdateData(TObject*);
    void AcceptDate(TObject* Sender, TDateTime& ADate, bool& Action);
    void ShowFieldText();
    TFieldDataLink* FDataLink;
};
