#include "registers/unAddEditQuestionObject.h"

#include "components/DBDateEdit.h"
#include "data/unDM.h"
#include "platform/db/DB.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/StdCtrls.h"

TfmAddEditQuestionObject::TfmAddEditQuestionObject(TComponent* AOwner) : TEditDialog(AOwner)
{
    SetName(QStringLiteral("fmAddEditQuestionObject"));
    dsoMain = MakeDataSource("dsoMain", DM->adoObjQuestions);

    DBDateEdit1 = new TDBDateEdit(this);
    DBDateEdit1->SetName(QStringLiteral("DBDateEdit1"));
    DBDateEdit1->SetParent(this);
    DBDateEdit1->SetBounds(144, 10, 150, 21);
    DBDateEdit1->SetDataSource(dsoMain);
    DBDateEdit1->SetDataField(QStringLiteral("date"));
    DBDateEdit1->SetTabOrder(0);
    DBDateEdit1->SetButtonHint(QStringLiteral("Уточнить"));
    DBDateEdit1->SetDialogTitle(QStringLiteral("Выбор даты"));
    DBDateEdit1->SetButtonWidth(20);
    DBDateEdit1->SetNumGlyphs(2);
    DBDateEdit1->SetWeekends(TDaysOfWeek{Sat, Sun});
    DBDateEdit1->SetYearDigits(dyFour);

    DBMemo1 = MakeMemo("DBMemo1", dsoMain, "question", 11, 55, 369, 125, 1);
    DBMemo2 = MakeMemo("DBMemo2", dsoMain, "information", 10, 206, 369, 125, 2);
    Label2 = MakeLabel("Label2", QStringLiteral("&Дата внесения вопроса:"), 11, 13, DBDateEdit1);
    Label5 = MakeLabel("Label5", QStringLiteral("&Вопрос:"), 11, 38, DBMemo1);
    Label6 = MakeLabel("Label6", QStringLiteral("Дополнительная &информация по вопросу:"), 10, 189, DBMemo2);
}

void TfmAddEditQuestionObject::btnOKClick(TObject*)
{
    TDataSet* ds = dsoMain->DataSet();
    // A refused post has shown the data module's message; the dialog stays.
    if (IsEditing(ds)) ds->Post();
    if (!IsEditing(ds)) SetModalResult(mrOk);
}
