#include "registers/unSessionObject.h"

#include <vector>

#include "data/unDM.h"
#include "platform/ado/ADODB.h"
#include "platform/ado/JetSql.h"
#include "platform/db/DB.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/DBCtrls.h"
#include "registers/unAddEditSessionObject.h"

namespace {

// Re-reads the dataset and, when a key is given, returns to the record with
// that key.
void Reread(TDataSet* ds, const QString& key = QString())
{
    if (!ds || !ds->Active()) return;
    ds->Requery();
    if (!key.isEmpty()) ds->Locate(QStringLiteral("id"), Variant(key));
}

// Everything the session edit dialog may have written to or read from: the
// lists re-read after a rolled-back edit.
std::vector<TDataSet*> SessionDataSets()
{
    return {DM->adoLnkSessionsMembers, DM->adoLnkSessionsDecisions, DM->adoLnkDecisionsMembers,
            DM->adoObjPayments,        DM->adoObjPayments2,         DM->adqLnkDecisionsMembers,
            DM->adqObjPayments,        DM->adqObjSessions,          DM->adqObjSessions2,
            DM->adqObjSessions3,       DM->adqRefForms,             DM->adqRefPlaces};
}

// The transaction of one session edit, ended whatever happens:
// Commit makes it permanent; leaving the scope without it rolls back, then
// re-reads the sessions (back on the same session) and every list the edit
// touched, so that nothing undone is still shown. Whoever edits datasets
// inside the scope cancels what is pending before it ends (a re-query would
// post it outside the transaction). Nothing escapes the destructor: the
// error that ended the scope is the one the user sees.
class SessionEditScope {
public:
    explicit SessionEditScope(const QString& SessionId) : FSessionId(SessionId) {}
    ~SessionEditScope()
    {
        if (!FTransaction.Active()) return;
        for (TDataSet* ds : PendingDataSets()) Quietly([ds] {
                if (IsEditing(ds)) ds->Cancel();
            });
        Quietly([this] { FTransaction.Rollback(); });
        Quietly([this] { Reread(DM->adoObjSessions, FSessionId); });
        for (TDataSet* ds : SessionDataSets()) Quietly([ds] { Reread(ds); });
    }
    SessionEditScope(const SessionEditScope&) = delete;
    SessionEditScope& operator=(const SessionEditScope&) = delete;

    // On failure the transaction stays open and the destructor undoes it.
    void Commit() { FTransaction.Commit(); }

    // The datasets the session dialog edits directly.
    static std::vector<TDataSet*> PendingDataSets()
    {
        return {DM->adoObjSessions, DM->adoLnkSessionsMembers, DM->adoLnkDecisionsMembers, DM->adoObjPayments2,
                DM->adoObjPayments};
    }

private:
    template <class F>
    static void Quietly(F f)
    {
        try {
            f();
        } catch (...) {
        }
    }
    TADOTransaction FTransaction{DM->adoConnection};
    QString FSessionId;
};

void FirstPage(TfmAddEditSessionObject* dlg)
{
    dlg->tabParams->SetActivePage(dlg->TabSheet1);
    dlg->SetActiveControl(dlg->DBEdit1);
}

}  // namespace

TfmSessionObject::TfmSessionObject(TComponent* AOwner) : TObjectRegisterWindow(AOwner)
{
    SetName(QStringLiteral("fmSessionObject"));
}

void TfmSessionObject::FormShow(TObject* Sender)
{
    TRegisterWindow::FormShow(Sender);
    // The highest number first, and current: the newest session is the one
    // the secretary works on.
    if (TDataSet* ds = DataSet(); ds && ds->Active()) {
        ds->SetSort(QStringLiteral("pnumber DESC"));
        ds->First();
    }
}

void TfmSessionObject::aNAddExecute(TObject*)
{
    auto* dlg = new TfmAddEditSessionObject(Application);
    dlg->SetCaption(QStringLiteral("Добавление заседания"));
    TDataSet* session = dlg->dsoMain->DataSet();
    // OK has posted the session; anything else drops the new record.
    ShowEditDialog(
        dlg,
        [&] {
            session->Insert();
            FirstPage(dlg);
            dlg->TabSheet2->SetTabVisible(false);
            dlg->TabSheet3->SetTabVisible(false);
        },
        {session});
}

void TfmSessionObject::aNEditExecute(TObject*)
{
    TDataSet* session = DataSet();
    const QString id = session->FieldByName(QStringLiteral("id"))->AsString();
    SessionEditScope edit(id);
    auto* dlg = new TfmAddEditSessionObject(Application);
    dlg->SetCaption(QStringLiteral("Редактирование заседания"));
    // Whatever ends the dialog but OK cancels what it left pending before
    // the scope rolls back.
    const TModalResult result = ShowEditDialog(
        dlg,
        [&] {
            dlg->dsoMain->DataSet()->Edit();
            TDataSet* members = dlg->dsoLnkSessionsMembers->DataSet();
            members->SetFilter(QStringLiteral("id_session=") + SqlQuote(id, QLatin1Char('\'')));
            members->SetFiltered(true);
            FirstPage(dlg);
        },
        SessionEditScope::PendingDataSets());
    if (result == mrOk) edit.Commit();
}
