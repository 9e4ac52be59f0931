#pragma once
// The payments register (adoObjPayments, opened by the main window's
// aOpenObjPayments): a read-only view of the remuneration payments, newest
// payment date first, with the object registers' grid and keys. Payments are
// made by the session dialog and the record rules; here the add, edit and
// delete commands do nothing and their tool buttons are hidden.
#include "registers/ObjectRegister.h"

class TfmPaymentObject : public TObjectRegisterWindow {
    QV_CLASS(TfmPaymentObject, TObjectRegisterWindow)
public:
    explicit TfmPaymentObject(TComponent* AOwner = nullptr);

    void FormShow(TObject* Sender) override;
    void aNAddExecute(TObject*) override {}
    void aNDeleteExecute(TObject*) override {}
    void aNEditExecute(TObject*) override {}
};
