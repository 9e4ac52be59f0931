#include "registers/unQuestionObject.h"

#include "platform/db/DB.h"
#include "components/DBDateEdit.h"
#include "platform/ui/ActnList.h"
#include "registers/unAddEditQuestionObject.h"

TfmQuestionObject::TfmQuestionObject(TComponent* AOwner) : TObjectRegisterWindow(AOwner)
{
    MakeHighlightAction(aHighlight, "aHighlight", QStringLiteral("Подсветить решенные вопросы"),
                        [this](TObject* s) { aHighlightExecute(s); });
}

void TfmQuestionObject::aNAddExecute(TObject*) { ShowQuestionDialog(true); }

void TfmQuestionObject::aNEditExecute(TObject*) { ShowQuestionDialog(false); }

// The dialog edits the very dataset the grid shows: nothing is requeried
// afterwards.
void TfmQuestionObject::ShowQuestionDialog(bool Adding)
{
    auto* dlg = new TfmAddEditQuestionObject(Application);
    dlg->AfterConstruction();
    dlg->SetCaption(Adding ? QStringLiteral("Добавление вопроса") : QStringLiteral("Редактирование вопроса"));
    TDataSet* ds = dlg->dsoMain->DataSet();
    ShowEditDialog(
        dlg,
        [&] {
            if (Adding)
                ds->Insert();
            else
                ds->Edit();
            dlg->SetActiveControl(dlg->DBDateEdit1);
        },
        {ds});
}

void TfmQuestionObject::aNDeleteExecute(TObject*)
{
    if (DBGrid->CanFocus()) DBGrid->SetFocus();
    TDataSet* ds = DataSet();
    if (!ds || ds->IsEmpty()) return;
    try {
        // The data module's rule asks first; No ends the command silently.
        ds->Delete();
    } catch (const EAbort&) {
        return;
    } catch (...) {
        Application->MessageBox(
            QStringLiteral("Удаление позиции запрещено, в объекте «Проекты решений» имеются связанные записи."),
            QStringLiteral("Удаление"), MB_OK | MB_ICONERROR);
    }
}
