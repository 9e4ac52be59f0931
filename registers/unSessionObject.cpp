#include "registers/unSessionObject.h"

#include <memory>
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

bool Editing(TDataSet* ds) { return ds && ds->Active() && (ds->State() == dsEdit || ds->State() == dsInsert); }

QString Q(const QString& v) { return SqlQuote(v, QLatin1Char('"')); }

// Re-reads the dataset and, when a key is given, returns to the record with
// that key.
void Reread(TDataSet* ds, const QString& key = QString())
{
    if (!ds || !ds->Active()) return;
    ds->Requery();
    if (!key.isEmpty()) ds->Locate(QStringLiteral("id"), Variant(key));
}

// Everything the session edit dialog and the session cascade may have
// written to or read from: the lists re-read after the transaction ends.
std::vector<TDataSet*> SessionDataSets()
{
    return {DM->adoLnkSessionsMembers, DM->adoLnkSessionsDecisions, DM->adoLnkDecisionsMembers,
            DM->adoObjPayments,        DM->adoObjPayments2,         DM->adqLnkDecisionsMembers,
            DM->adqObjPayments,        DM->adqObjSessions,          DM->adqObjSessions2,
            DM->adqObjSessions3,       DM->adqRefForms,             DM->adqRefPlaces};
}

// The transaction of one session edit (or delete), ended whatever happens:
// Commit makes it permanent; leaving the scope without it cancels every
// pending edit of the datasets the dialog edits (a re-query would post them
// outside the transaction), rolls back, then re-reads the sessions (back on
// the same session) and every list the edit touched. Nothing escapes the
// destructor: the error that ended the scope is the one the user sees.
class SessionEditScope {
public:
    explicit SessionEditScope(const QString& SessionId) : FSessionId(SessionId)
    {
        DM->adoConnection->BeginTrans();
    }
    ~SessionEditScope()
    {
        if (FDone) return;
        for (TDataSet* ds : {static_cast<TDataSet*>(DM->adoObjSessions),
                             static_cast<TDataSet*>(DM->adoLnkSessionsMembers),
                             static_cast<TDataSet*>(DM->adoLnkDecisionsMembers),
                             static_cast<TDataSet*>(DM->adoObjPayments2), static_cast<TDataSet*>(DM->adoObjPayments)})
            Quietly([ds] {
                if (Editing(ds)) ds->Cancel();
            });
        Quietly([] {
            if (DM->adoConnection->InTransaction()) DM->adoConnection->RollbackTrans();
        });
        Quietly([this] { Reread(DM->adoObjSessions, FSessionId); });
        for (TDataSet* ds : SessionDataSets()) Quietly([ds] { Reread(ds); });
    }
    SessionEditScope(const SessionEditScope&) = delete;
    SessionEditScope& operator=(const SessionEditScope&) = delete;

    // On failure the transaction stays open and the destructor undoes it.
    void Commit()
    {
        DM->adoConnection->CommitTrans();
        FDone = true;
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
    QString FSessionId;
    bool FDone = false;
};

// The dialog, with the session put into insert or edit state, on the first
// tab with the focus on the number.
std::unique_ptr<TfmAddEditSessionObject> NewDialog(const QString& caption)
{
    auto dlg = std::make_unique<TfmAddEditSessionObject>(Application);
    dlg->SetCaption(caption);
    return dlg;
}

void FirstPage(TfmAddEditSessionObject* dlg)
{
    dlg->tabParams->SetActivePage(dlg->TabSheet1);
    dlg->SetActiveControl(dlg->DBEdit1);
}

}  // namespace

void DeleteSessionRows(const QString& SessionId)
{
    TADOConnection* c = DM->adoConnection;
    const QString s = Q(SessionId);
    c->Execute(QStringLiteral("DELETE * FROM LNK_DECISIONS_MEMBERS WHERE id_member IN (SELECT id_member FROM "
                              "LNK_SESSIONS_MEMBERS WHERE id_session=") +
               s + QStringLiteral(") AND id_decision IN (SELECT id_decision FROM LNK_SESSIONS_DECISIONS WHERE id_session=") +
               s + QStringLiteral(")"));
    c->Execute(QStringLiteral("DELETE * FROM LNK_SESSIONS_MEMBERS WHERE id_session=") + s);
    c->Execute(QStringLiteral("DELETE * FROM LNK_SESSIONS_DECISIONS WHERE id_session=") + s);
    c->Execute(QStringLiteral("DELETE * FROM OBJ_PAYMENTS WHERE id_session=") + s);
}

TfmSessionObject::TfmSessionObject(TComponent* AOwner) : TRegisterWindow(AOwner)
{
    SetName(QStringLiteral("fmSessionObject"));
    DBGrid->SetOptions(TDBGridOptions{dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines,
                                      dgAlwaysShowSelection, dgCancelOnExit});
    DBGrid->OnDblClick = [this](TObject* s) { DBGridDblClick(s); };
    DataSource->SetAutoEdit(false);
    for (TToolButton* b : {ToolButton8, ToolButton9, ToolButton10}) b->SetVisible(false);
    aNAdd->SetHint(QStringLiteral("Добавить новую позицию|Добавить новую позицию"));
    aNAdd->SetShortCut(VK_INSERT);
    aNDelete->SetHint(QStringLiteral("Удалить текущую позицию|Удалить текущую позицию"));
    aNDelete->SetShortCut(scCtrl | VK_DELETE);
    aNEdit->SetHint(QStringLiteral("Редактировать текущую позицию|Редактировать текущую позицию"));
    aNEdit->SetShortCut(VK_F2);
    // Of the sessions' columns only data fields can be filtered on.
    FilterDataFieldsOnly = true;
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
    auto dlg = NewDialog(QStringLiteral("Добавление заседания"));
    TDataSet* ds = dlg->dsoMain->DataSet();
    // Whatever ends the dialog but OK (which has posted the session) drops
    // the new record.
    struct DropInsert {
        TDataSet* ds;
        ~DropInsert()
        {
            try {
                if (Editing(ds)) ds->Cancel();
            } catch (...) {
            }
        }
    } drop{ds};
    ds->Insert();
    FirstPage(dlg.get());
    dlg->TabSheet2->SetTabVisible(false);
    dlg->TabSheet3->SetTabVisible(false);
    dlg->ShowModal();
}

void TfmSessionObject::aNEditExecute(TObject*)
{
    auto dlg = NewDialog(QStringLiteral("Редактирование заседания"));
    TDataSet* ds = dlg->dsoMain->DataSet();
    const QString id = ds->FieldByName(QStringLiteral("id"))->AsString();
    SessionEditScope edit(id);
    ds->Edit();
    TDataSet* members = dlg->dsoLnkSessionsMembers->DataSet();
    members->SetFilter(QStringLiteral("id_session=") + SqlQuote(id, QLatin1Char('\'')));
    members->SetFiltered(true);
    FirstPage(dlg.get());
    if (dlg->ShowModal() == mrOk) edit.Commit();
}

void TfmSessionObject::aNDeleteExecute(TObject*)
{
    if (DBGrid->CanFocus()) DBGrid->SetFocus();
    TDataSet* ds = DataSet();
    const QString id = ds->FieldByName(QStringLiteral("id"))->AsString();
    SessionEditScope del(id);
    // The data module's rule asks the confirmation; No ends here silently
    // and the scope undoes nothing but the empty transaction.
    ds->Delete();
    DeleteSessionRows(id);
    del.Commit();
    for (TDataSet* d : SessionDataSets()) Reread(d);
}

void TfmSessionObject::DBGridKeyDown(TObject*, WORD& Key, TShiftState Shift)
{
    if (Key != VK_DELETE || !Shift.Contains(ssCtrl)) return;
    if (aNDelete->Enabled()) aNDelete->Execute();
    Key = VK_CLEAR;
}

void TfmSessionObject::DBGridDblClick(TObject*)
{
    TPoint p;
    GetCursorPos(&p);
    p = DBGrid->ScreenToClient(p);
    int col = -1, row = -1;
    DBGrid->MouseToCell(p.X, p.Y, col, row);
    if (col > 0 && row > 0 && aNEdit->Enabled()) aNEdit->Execute();
}
