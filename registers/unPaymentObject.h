#pragma once
// The payments register (adoObjPayments, opened by the main window's
// aOpenObjPayments): a read-only view of the remuneration payments, newest
// payment date first. Payments are made by the session dialog and the record
// rules; here the add, edit and delete commands do nothing and their tool
// buttons are hidden.
#include "registers/RegisterWindow.h"

class TfmPaymentObject : public TRegisterWindow {
    QV_CLASS(TfmPaymentObject, TRegisterWindow)
public:
    explicit TfmPaymentObject(TComponent* AOwner = nullptr);

    void FormShow(TObject* Sender) override;
    void aNAddExecute(TObject*) override {}
    void aNDeleteExecute(TObject*) override {}
    void aNEditExecute(TObject*) override {}
    void DBGridKeyDown(TObject* Sender, WORD& Key, TShiftState Shift) override;
    void DBGridDblClick(TObject* Sender);
};
