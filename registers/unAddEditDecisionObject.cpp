#include "registers/unAddEditDecisionObject.h"

#include <vector>

#include "data/unDM.h"
#include "platform/ado/ADODB.h"
#include "platform/db/DB.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/StdCtrls.h"

TfmAddEditDecisionObject::TfmAddEditDecisionObject(TComponent* AOwner) : TEditDialog(AOwner)
{
    SetName(QStringLiteral("fmAddEditDecisionObject"));
    dsoMain = MakeDataSource("dsoMain", DM->adoObjDecisions);
    dsoLnkSessionsDecisions = MakeDataSource("dsoLnkSessionsDecisions", DM->adoLnkSessionsDecisions);
    dsoSessions = MakeDataSource("dsoSessions", DM->adqObjSessions);
    dsoQuestions = MakeDataSource("dsoQuestions", DM->adqObjQuestions2);

    struct Picker {
        TDBLookupComboBox*& combo;
        const char* name;
        TDataSource* source;
        const char* field;
        TDataSource* list;
        const char* listField;
        int top;
        int dropDownWidth;
        int tabOrder;
    };
    for (const Picker& p : {Picker{DBLookupComboBox2, "DBLookupComboBox2", dsoLnkSessionsDecisions, "id_session",
                                   dsoSessions, "session", 10, 0, 0},
                            Picker{DBLookupComboBox1, "DBLookupComboBox1", dsoMain, "id_question", dsoQuestions,
                                   "date;question", 41, 369, 1}}) {
        p.combo = new TDBLookupComboBox(this);
        p.combo->SetName(QString::fromLatin1(p.name));
        p.combo->SetParent(this);
        p.combo->SetBounds(93, p.top, 287, 21);
        p.combo->SetDataSource(p.source);
        p.combo->SetDataField(QString::fromLatin1(p.field));
        p.combo->SetListSource(p.list);
        p.combo->SetKeyField(QStringLiteral("id"));
        p.combo->SetListField(QString::fromLatin1(p.listField));
        p.combo->SetDropDownRows(8);
        p.combo->SetDropDownWidth(p.dropDownWidth);
        p.combo->SetDropDownAlign(daRight);
        p.combo->SetTabOrder(p.tabOrder);
    }
    DBMemo1 = MakeMemo("DBMemo1", dsoMain, "description", 11, 87, 369, 244, 2);
    Label2 = MakeLabel("Label2", QStringLiteral("&На заседание:"), 11, 13, DBLookupComboBox2);
    Label1 = MakeLabel("Label1", QStringLiteral("По &вопросу:"), 11, 45, DBLookupComboBox1);
    Label5 = MakeLabel("Label5", QStringLiteral("&Проект решения:"), 11, 70, DBMemo1);
}

namespace {
// A record about to be posted inside a transaction: its state and the values
// of its data fields, so that after a rollback it can be put back into that
// state with those values, as the user left it.
class TPendingRecord {
public:
    explicit TPendingRecord(TDataSet* DataSet) : FDataSet(DataSet), FState(DataSet->State())
    {
        if (!IsEditing(DataSet)) return;
        DataSet->UpdateRecord();
        for (int i = 0; i < DataSet->FieldCount(); ++i) {
            TField* f = DataSet->Fields(i);
            if (f->FieldKind() == fkData) FValues.emplace_back(f, f->Value());
        }
    }
    void Post()
    {
        if (!IsEditing(FDataSet)) return;
        FDataSet->Post();
        FPosted = true;
    }
    // After the rollback: the stored row is gone from the database (or holds
    // its old values again), so the dataset reads the rows afresh and the
    // record is inserted or edited anew with what it held.
    void Restore()
    {
        if (!FPosted) return;
        FPosted = false;
        FDataSet->Requery();
        if (FState == dsInsert) {
            FDataSet->Insert();
        } else {
            if (!FDataSet->Locate(QStringLiteral("id"), ValueOf(QStringLiteral("id")))) return;
            FDataSet->Edit();
        }
        for (const auto& [f, v] : FValues) f->SetValue(v);
    }

private:
    Variant ValueOf(const QString& name) const
    {
        for (const auto& [f, v] : FValues)
            if (f->FieldName() == name) return v;
        return Variant();
    }
    TDataSet* FDataSet;
    TDataSetState FState;
    std::vector<std::pair<TField*, Variant>> FValues;
    bool FPosted = false;
};
}  // namespace

void TfmAddEditDecisionObject::btnOKClick(TObject*)
{
    TDataSet* decision = dsoMain->DataSet();
    TDataSet* link = dsoLnkSessionsDecisions->DataSet();
    // A decision that had no session link gets one only when a session was
    // chosen; a new decision always stores its link, chosen or not.
    if (IsEditing(link)) link->UpdateRecord();
    const bool dropLink = decision->State() == dsEdit && link->State() == dsInsert &&
                          link->FieldByName(QStringLiteral("id_session"))->AsString().isEmpty();
    TPendingRecord pendingDecision(decision);
    TPendingRecord pendingLink(link);
    try {
        TADOTransaction transaction(DM->adoConnection);
        pendingDecision.Post();
        if (!dropLink) pendingLink.Post();
        transaction.Commit();
    } catch (...) {
        pendingDecision.Restore();
        pendingLink.Restore();
        throw;
    }
    if (dropLink) link->Cancel();
    if (!IsEditing(decision)) SetModalResult(mrOk);
}
