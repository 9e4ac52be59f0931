#include "registers/unPaymentObject.h"

#include "platform/db/DB.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"

TfmPaymentObject::TfmPaymentObject(TComponent* AOwner) : TRegisterWindow(AOwner)
{
    DBGrid->SetOptions(TDBGridOptions{dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines,
                                      dgAlwaysShowSelection, dgCancelOnExit});
    DBGrid->OnDblClick = [this](TObject* s) { DBGridDblClick(s); };
    DataSource->SetAutoEdit(false);
    for (TToolButton* b : {ToolButton5, ToolButton6, ToolButton7, ToolButton8, ToolButton9, ToolButton10})
        b->SetVisible(false);
    aNAdd->SetShortCut(VK_INSERT);
    aNAdd->SetHint(QStringLiteral("Добавить новую позицию|Добавить новую позицию"));
    aNDelete->SetShortCut(scCtrl | VK_DELETE);
    aNDelete->SetHint(QStringLiteral("Удалить текущую позицию|Удалить текущую позицию"));
    aNEdit->SetShortCut(VK_F2);
    aNEdit->SetHint(QStringLiteral("Редактировать текущую позицию|Редактировать текущую позицию"));
    // Only the payment date and the amount can be filtered.
    FilterDataFieldsOnly = true;
}

void TfmPaymentObject::FormShow(TObject* Sender)
{
    TRegisterWindow::FormShow(Sender);
    if (TDataSet* ds = DataSet()) {
        ds->SetSort(QStringLiteral("paymentdate DESC"));
        ds->First();   // the newest payment at the top, as the sorted rows are read
    }
}

void TfmPaymentObject::DBGridDblClick(TObject*)
{
    TPoint p;
    GetCursorPos(&p);
    p = DBGrid->ScreenToClient(p);
    const TGridCoord cell = DBGrid->MouseCoord(p.X, p.Y);
    if (cell.X >= 1 && cell.Y >= 1 && aNEdit->Enabled()) aNEdit->Execute();
}

void TfmPaymentObject::DBGridKeyDown(TObject*, WORD& Key, TShiftState Shift)
{
    // Ctrl+Del is the delete command's key, and that command deletes nothing
    // here; it must not reach the grid, whose own Ctrl+Del would delete the
    // payment without asking.
    if (Key == VK_DELETE && Shift.Contains(ssCtrl)) Key = VK_CLEAR;
}
