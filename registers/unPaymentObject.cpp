#include "registers/unPaymentObject.h"

#include "platform/db/DB.h"
#include "platform/ui/ComCtrls.h"

TfmPaymentObject::TfmPaymentObject(TComponent* AOwner) : TObjectRegisterWindow(AOwner)
{
    for (TToolButton* b : {ToolButton5, ToolButton6, ToolButton7}) b->SetVisible(false);
}

void TfmPaymentObject::FormShow(TObject* Sender)
{
    TRegisterWindow::FormShow(Sender);
    if (TDataSet* ds = DataSet()) {
        ds->SetSort(QStringLiteral("paymentdate DESC"));
        ds->First();   // the newest payment at the top, as the sorted rows are read
    }
}
