#include "registers/unDecisionObject.h"

#include "data/unDM.h"
#include "platform/ado/ADODB.h"
#include "platform/ado/JetSql.h"
#include "platform/core/ScopeGuard.h"
#include "platform/db/DB.h"
#include "platform/ui/ActnList.h"

TfmDecisionObject::TfmDecisionObject(TComponent* AOwner) : TObjectRegisterWindow(AOwner)
{
    aHighLight = MakeHighlightAction("aHighLight", QStringLiteral("Подсветить утвержденные проекты"));
    aHighLight->OnExecute = [this](TObject* s) { aHighLightExecute(s); };
}

void TfmDecisionObject::aNAddExecute(TObject* Sender) { TObjectRegisterWindow::aNAddExecute(Sender); }

void TfmDecisionObject::aNEditExecute(TObject* Sender) { TObjectRegisterWindow::aNEditExecute(Sender); }

void TfmDecisionObject::RequeryDecisions()
{
    for (TDataSet* ds : {static_cast<TDataSet*>(DM->adoLnkDecisionsMembers), static_cast<TDataSet*>(DM->adqObjSessions2),
                         static_cast<TDataSet*>(DM->adoLnkSessionsDecisions), DataSet()})
        if (ds && ds->Active()) ds->Requery();
}

void TfmDecisionObject::aNDeleteExecute(TObject*)
{
    if (DBGrid->CanFocus()) DBGrid->SetFocus();
    TDataSet* ds = DataSet();
    if (!ds || ds->RecNo() < 1) return;
    const QString id = ds->FieldByName(QStringLiteral("id"))->AsString();

    // The data module's warning is asked here, once, before anything is
    // deleted; the row's own deletion below then runs without it.
    try {
        DM->WarningBeforeDelete(ds);
    } catch (const EAbort&) {
        RequeryDecisions();
        return;
    }

    bool rowGone = false;
    try {
        TADOTransaction transaction(DM->adoConnection);
        const QString key = SqlQuote(id);
        DM->adoConnection->Execute(QStringLiteral("DELETE * FROM LNK_SESSIONS_DECISIONS WHERE id_decision=") + key);
        DM->adoConnection->Execute(QStringLiteral("DELETE * FROM LNK_DECISIONS_MEMBERS WHERE id_decision=") + key);
        {
            TDataSetNotifyEvent warning = ds->BeforeDelete;
            ds->BeforeDelete = nullptr;
            auto restore = Finally([&] { ds->BeforeDelete = warning; });
            ds->Delete();
        }
        rowGone = true;
        transaction.Commit();
    } catch (...) {
        // Everything was undone: the rows the dataset dropped come back.
        if (rowGone) ds->Requery();
        Application->MessageBox(
            QStringLiteral("Удаление позиции запрещено, в объекте «Заседания» имеются связанные записи."),
            QStringLiteral("Удаление"), MB_OK | MB_ICONERROR);
        return;
    }
    RequeryDecisions();
}
