#include "registers/unDecisionObject.h"

#include "data/unDM.h"
#include "platform/ado/ADODB.h"
#include "platform/ado/JetSql.h"
#include "platform/core/ScopeGuard.h"
#include "platform/db/DB.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/DBCtrls.h"
#include "registers/unAddEditDecisionObject.h"

TfmDecisionObject::TfmDecisionObject(TComponent* AOwner) : TObjectRegisterWindow(AOwner)
{
    MakeHighlightAction(aHighLight, "aHighLight", QStringLiteral("Подсветить утвержденные проекты"),
                        [this](TObject* s) { aHighLightExecute(s); });
}

void TfmDecisionObject::aNAddExecute(TObject*) { ShowDecisionDialog(true); }

void TfmDecisionObject::aNEditExecute(TObject*) { ShowDecisionDialog(false); }

void TfmDecisionObject::ShowDecisionDialog(bool Adding)
{
    auto* dlg = new TfmAddEditDecisionObject(Application);
    dlg->AfterConstruction();
    dlg->SetCaption(Adding ? QStringLiteral("Добавление проекта решения")
                           : QStringLiteral("Редактирование проекта решения"));
    TDataSet* decision = dlg->dsoMain->DataSet();
    TDataSet* link = dlg->dsoLnkSessionsDecisions->DataSet();
    ShowEditDialog(
        dlg,
        [&] {
            // The link rows are read afresh, so that the row found is the
            // one stored.
            if (link->Active())
                link->Requery();
            else
                link->Open();
            if (Adding) {
                // The link's insert rule takes the new decision's key.
                decision->Insert();
                link->Insert();
            } else {
                decision->Edit();
                const QString id = decision->FieldByName(QStringLiteral("id"))->AsString();
                if (link->Locate(QStringLiteral("id_decision"), id)) {
                    link->Edit();
                } else {
                    // A decision without a session link gets one here; the
                    // dialog stores it only when a session is chosen.
                    link->Insert();
                    link->FieldByName(QStringLiteral("id_decision"))->SetAsString(id);
                }
            }
            dlg->SetActiveControl(dlg->DBLookupComboBox2);
        },
        {decision, link});
    if (DM->adqObjSessions2->Active()) DM->adqObjSessions2->Requery();
    if (TDataSet* ds = DataSet(); ds && ds->Active()) ds->Requery();
}

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
