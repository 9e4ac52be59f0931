#include "registers/unQuestionObject.h"

#include "platform/db/DB.h"
#include "platform/ui/ActnList.h"

TfmQuestionObject::TfmQuestionObject(TComponent* AOwner) : TObjectRegisterWindow(AOwner)
{
    aHighlight = MakeHighlightAction("aHighlight", QStringLiteral("Подсветить решенные вопросы"));
    aHighlight->OnExecute = [this](TObject* s) { aHighlightExecute(s); };
}

void TfmQuestionObject::aNAddExecute(TObject* Sender) { TObjectRegisterWindow::aNAddExecute(Sender); }

void TfmQuestionObject::aNEditExecute(TObject* Sender) { TObjectRegisterWindow::aNEditExecute(Sender); }

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
