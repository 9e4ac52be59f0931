// The places directory opened from the main window: command states, position
// text, sorting, deletion, filter rows and their conditions, the search line,
// form storage and closing.
#include <QFile>
#include <QPixmap>
#include <QWidget>

#include "components/Placement.h"
#include "components/QvCtrls.h"
#include "platform/ado/ADODB.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComboBoxes.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "registers/unMainReference.h"
#include "registerbase/unPanSearch.h"
#include "components/ToolEdit.h"
#include "platform/ui/Dialogs.h"
#include "reports/unReportsEnterParams.h"
#include "reports/unReportsSelectFromRef.h"
#include "tests/app/AppFixture.h"

using namespace RegisterFilter;

namespace {
const QString PlaceLabel = QStringLiteral("Место проведения");

class Places : public AppFixture {
protected:
    TfmMainReference* w = nullptr;
    TADOTable* ds() const { return DM->adoRefPlaces; }

    void TearDown() override
    {
        // The register windows belong to the application, not to the main window.
        while (fmMain && fmMain->MDIChildCount() > 0) fmMain->MDIChildren(0)->Free();
        AppFixture::TearDown();
    }

    void Open(const QStringList& names)
    {
        MakeDb();
        ShowMain();
        ASSERT_TRUE(DM->adoConnection->Connected());
        if (!ds()->Active()) ds()->Open();
        for (const QString& n : names) {
            ds()->Append();
            ds()->FieldByName(QStringLiteral("name"))->SetAsString(n);
            ds()->Post();
        }
        fmMain->aOpenRefPlacesExecute(nullptr);
        ASSERT_EQ(fmMain->MDIChildCount(), 1);
        w = dynamic_cast<TfmMainReference*>(fmMain->MDIChildren(0));
        ASSERT_NE(w, nullptr);
        w->Timer->Fire();
    }
    QString Pos() { w->Timer->Fire(); return w->StatusBar->PanelText(0); }
    const FilterRow& Row(int i) { return w->FilterRows().at(size_t(i)); }
    void SetRow(int i, const QString& label, const QString& op, const QString& value = QString())
    {
        TComboBox* f = Row(i).cmbField;
        f->Select(f->Items()->IndexOf(label));
        TComboBox* e = Row(i).cmbExp;
        e->Select(e->Items()->IndexOf(op));
        if (!value.isEmpty()) Row(i).cmbValue->SetText(value);
    }
    void Apply() { w->sbApplyFilter->Click(); }
};
}  // namespace

TEST_F(Places, OpensFromMainWindowWithEmptyTable)
{
    Open({});
    EXPECT_EQ(w->Name(), QStringLiteral("TfmMainReference_adoRefPlaces"));
    EXPECT_EQ(w->DataSource->DataSet(), ds());
    EXPECT_EQ(Pos(), QStringLiteral("  Позиция: 0 из 0  "));
    for (TAction* a : {w->aSearch, w->aExportToExcel, w->aNDelete, w->aNEdit, w->aCallReport})
        EXPECT_FALSE(a->Enabled()) << a->Name().toStdString();
    EXPECT_TRUE(w->aNAdd->Enabled());
    EXPECT_EQ(w->FilterRows().size(), 1u);
    EXPECT_EQ(w->aNRefresh->ShortCut(), VK_F5);
    EXPECT_EQ(w->aSearch->Caption(), QStringLiteral("&Поиск..."));
}

TEST_F(Places, PositionTextWhileInsertingAndNavigation)
{
    Open({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("e")});
    EXPECT_EQ(Pos(), QStringLiteral("  Позиция: 1 из 5  "));
    EXPECT_FALSE(w->aNFirst->Enabled());
    EXPECT_TRUE(w->aNLast->Enabled());
    w->aNLast->Execute();
    EXPECT_EQ(Pos(), QStringLiteral("  Позиция: 5 из 5  "));
    EXPECT_FALSE(w->aNNext->Enabled());
    w->aNAdd->Execute();
    EXPECT_EQ(Pos(), QStringLiteral("  Позиция: 6 из 6  "));
    EXPECT_TRUE(w->aNPost->Enabled());
    EXPECT_FALSE(w->aNDelete->Enabled());
    ds()->FieldByName(QStringLiteral("name"))->SetAsString(QStringLiteral("f"));
    w->aNPost->Execute();
    EXPECT_EQ(ds()->RecordCount(), 6);
}

TEST_F(Places, TitleClicksCycleSortAndMarkers)
{
    Open({QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("a")});
    TColumn* col = nullptr;
    for (int i = 0; i < w->DBGrid->Columns()->Count(); ++i)
        if (w->DBGrid->Columns()->Items(i)->FieldName() == QLatin1String("name")) col = w->DBGrid->Columns()->Items(i);
    ASSERT_NE(col, nullptr);
    auto marker = [&] {
        TSortMarker m = smNone;
        TColor bg = clWindow;
        w->DBGridGetBtnParams(w->DBGrid, col->Field(), nullptr, bg, m, false);
        return m;
    };
    const QString first[] = {QStringLiteral("a"), QStringLiteral("c"), QStringLiteral("b")};
    const QString sorts[] = {QStringLiteral("name ASC"), QStringLiteral("name DESC"), QString()};
    const TSortMarker marks[] = {smDown, smUp, smNone};
    for (int k = 0; k < 3; ++k) {
        w->DBGrid->OnTitleClick(col);
        EXPECT_EQ(ds()->Sort(), sorts[k]);
        EXPECT_EQ(marker(), marks[k]);
        ds()->First();
        EXPECT_EQ(ds()->FieldByName(QStringLiteral("name"))->AsString(), first[k]);
    }
    // A sort by another column starts this one at ascending order.
    ds()->SetSort(QStringLiteral("id ASC"));
    w->DBGrid->OnTitleClick(col);
    EXPECT_EQ(ds()->Sort(), QStringLiteral("name ASC"));
}

TEST_F(Places, DeleteAsksTheDataModuleAndCtrlDeleteFollowsTheCommand)
{
    Open({QStringLiteral("a"), QStringLiteral("b")});
    rec->Answers.push_back(IDNO);
    // Answering No aborts the deletion silently.
    EXPECT_THROW(w->aNDelete->Execute(), EAbort);
    ASSERT_GE(rec->Calls.size(), 1u);
    EXPECT_EQ(rec->Last().Caption, QStringLiteral("Подтверждение удаления"));
    EXPECT_EQ(rec->Last().Text, QStringLiteral("Вы действительно хотите удалить текущую запись?"));
    EXPECT_EQ(ds()->RecordCount(), 2);

    // While a record is edited the delete command is off: Ctrl+Del does
    // nothing, and the grid does not delete either.
    ds()->Edit();
    w->Timer->Fire();
    ASSERT_FALSE(w->aNDelete->Enabled());
    const size_t calls = rec->Calls.size();
    WORD key = VK_DELETE;
    w->DBGridKeyDown(w->DBGrid, key, TShiftState{ssCtrl});
    EXPECT_EQ(key, VK_CLEAR);
    w->DBGrid->SimulateKeyDown(VK_DELETE, TShiftState{ssCtrl});
    EXPECT_EQ(rec->Calls.size(), calls);
    ds()->Cancel();
    EXPECT_EQ(ds()->RecordCount(), 2);

    w->Timer->Fire();
    rec->Answers.push_back(IDYES);
    w->DBGrid->SimulateKeyDown(VK_DELETE, TShiftState{ssCtrl});
    EXPECT_EQ(ds()->RecordCount(), 1);
}

TEST(FilterConditions, TextForEachFieldClassAndOperation)
{
    TWideStringField s;
    s.SetFieldName(QStringLiteral("name"));
    TIntegerField i;
    i.SetFieldName(QStringLiteral("num"));
    TDateTimeField d;
    d.SetFieldName(QStringLiteral("dt"));
    TBCDField b;
    b.SetFieldName(QStringLiteral("sum"));
    TBooleanField flag;
    flag.SetFieldName(QStringLiteral("ok"));
    struct Case {
        TField* f;
        const char* op;
        const char* v;
        const char* want;
    };
    const Case cases[] = {
        {&s, "Содержит", "x", "name LIKE '%x%'"},
        {&s, "Не содержит", "x", "name NOT LIKE '%x%'"},
        {&s, "Начинается с", "x", "name LIKE 'x%'"},
        {&s, "Не начинается с", "x", "name NOT LIKE 'x%'"},
        {&s, "Заканчивается на", "x", "name LIKE '%x'"},
        {&s, "Не заканчивается на", "x", "name NOT LIKE '%x'"},
        {&s, "Равно", "x", "name LIKE 'x'"},
        {&s, "Не равно", "x", "name NOT LIKE 'x'"},
        {&s, "Пусто", "NULL", "((name IS NULL) OR (name LIKE ''))"},
        {&s, "Не пусто", "NULL", "((name IS NOT NULL) AND (name NOT LIKE ''))"},
        {&s, "Равно", "O'Brien", "name LIKE 'O''Brien'"},
        {&i, "Больше", "5", "num > '5'"},
        {&i, "Меньше или равно", "5", "num <= '5'"},
        {&flag, "Равно", "1", "ok LIKE '1'"},
        {&d, "Содержит", "2007", "dt LIKE '%2007%'"},
        {&d, "Равно", "01.05.2007", "dt = DateValue('01.05.2007')"},
        {&d, "Не равно", "01.05.2007", "dt <> DateValue('01.05.2007')"},
        {&d, "Больше или равно", "01.05.2007", "dt >= DateValue('01.05.2007')"},
        {&d, "Пусто", "NULL", "dt IS NULL"},
        {&b, "Равно", "12,5", "sum = 12.5"},
        {&b, "Не равно", "3", "sum <> 3"},
        {&b, "Не пусто", "NULL", "sum IS NOT NULL"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Condition(c.f, QString::fromUtf8(c.op), QString::fromUtf8(c.v)), QString::fromUtf8(c.want))
            << c.op << " " << c.v;
    // A BCD value goes in unquoted: anything but a number is refused.
    EXPECT_THROW(Condition(&b, QStringLiteral("Равно"), QStringLiteral("1 OR 1=1")), EDatabaseError);

    // Operation lists by class.
    EXPECT_EQ(OperationsFor(&s).size(), 14);
    EXPECT_EQ(OperationsFor(&d).size(), 14);
    EXPECT_EQ(OperationsFor(&i), (QStringList{QStringLiteral("Равно"), QStringLiteral("Не равно"),
                                              QStringLiteral("Больше"), QStringLiteral("Меньше"),
                                              QStringLiteral("Больше или равно"), QStringLiteral("Меньше или равно"),
                                              QStringLiteral("Пусто"), QStringLiteral("Не пусто")}));
    EXPECT_EQ(OperationsFor(&flag).size(), 4);
    EXPECT_TRUE(IsValueOperation(QStringLiteral("Содержит")));
    EXPECT_FALSE(IsValueOperation(QStringLiteral("Пусто")));
}

TEST_F(Places, FilterRowsApplyAndReset)
{
    Open({QStringLiteral("Москва"), QStringLiteral("Минск"), QStringLiteral("O'Brien hall")});
    // Incomplete rows are skipped: "Содержит" without a value.
    SetRow(0, PlaceLabel, QStringLiteral("Содержит"));
    EXPECT_EQ(Row(0).cmbValue->Style(), csSimple);
    EXPECT_EQ(w->FilterConditionText(), QString());
    // A typed apostrophe does nothing; a pasted one filters literally.
    Row(0).cmbValue->TypeChar(QLatin1Char('\''));
    EXPECT_EQ(Row(0).cmbValue->Text(), QString());
    Row(0).cmbValue->SetText(QStringLiteral("O'B"));
    Apply();
    EXPECT_TRUE(w->Filter->Active());
    EXPECT_EQ(ds()->RecordCount(), 1);
    w->Timer->Fire();
    EXPECT_EQ(w->StatusBar->PanelText(1), QStringLiteral("Фильтр"));

    // Enter in the value box applies.
    Row(0).cmbValue->SetText(QStringLiteral("М"));
    Row(0).cmbValue->TypeChar(QLatin1Char('\r'));
    EXPECT_EQ(ds()->RecordCount(), 2);
    EXPECT_EQ(w->FilterConditionText(), QStringLiteral(" name LIKE '%М%'"));

    // "Пусто" takes no value: the box admits no entry and the row applies.
    SetRow(0, PlaceLabel, QStringLiteral("Пусто"));
    EXPECT_EQ(Row(0).cmbValue->Style(), csDropDownList);
    Apply();
    EXPECT_EQ(ds()->RecordCount(), 0);

    // Deleting the only row resets it and shows the whole table.
    Row(0).sbDel->Click();
    EXPECT_EQ(Row(0).cmbField->Text(), FieldPlaceholder);
    EXPECT_EQ(Row(0).cmbExp->Items()->Count(), 0);
    EXPECT_FALSE(w->Filter->Active());
    EXPECT_EQ(ds()->RecordCount(), 3);
}

TEST_F(Places, FilterRowGeometryDeletionAndTheHundredPixelRule)
{
    Open({QStringLiteral("a")});
    w->sbAddFilter->Click();
    w->sbAddFilter->Click();
    ASSERT_EQ(w->FilterRows().size(), 3u);
    EXPECT_EQ(w->panFilter->Height(), 71);
    EXPECT_EQ(Row(2).cmbField->Top(), 48);
    EXPECT_EQ(Row(2).cmbValue->Left(), 316);
    EXPECT_EQ(Row(2).sbDel->Left(), w->panFilter->Width() - 67);
    TComboBox* third = Row(2).cmbField;
    Row(1).sbDel->Click();
    EXPECT_EQ(w->FilterRows().size(), 3u);   // removed when the posted message arrives
    DeliverPostedMessages();
    ASSERT_EQ(w->FilterRows().size(), 2u);
    EXPECT_EQ(Row(1).cmbField, third);
    EXPECT_EQ(Row(1).cmbField->Top(), 25);
    for (TControl* c : {static_cast<TControl*>(Row(1).cmbField), static_cast<TControl*>(Row(1).cmbExp),
                        static_cast<TControl*>(Row(1).cmbValue), static_cast<TControl*>(Row(1).sbDel)})
        EXPECT_EQ(c->Tag(), 1);
    EXPECT_EQ(Row(1).cmbField->TabOrder(), 3);
    EXPECT_EQ(Row(1).cmbExp->TabOrder(), 4);
    EXPECT_EQ(Row(1).cmbValue->TabOrder(), 5);
    EXPECT_EQ(w->panFilter->Height(), 48);
    EXPECT_EQ(w->sbAddFilter->Top(), 25);

    // Rows are added only while the grid keeps 100 pixels.
    for (int k = 0; k < 30; ++k) w->sbAddFilter->Click();
    const size_t rows = w->FilterRows().size();
    EXPECT_LT(rows, 30u);
    EXPECT_GE(w->DBGrid->Height(), 100);
    w->sbAddFilter->Click();
    EXPECT_EQ(w->FilterRows().size(), rows);
}

TEST_F(Places, ColumnWidthsSurviveAnApply)
{
    Open({QStringLiteral("a"), QStringLiteral("b")});
    TColumn* col = w->DBGrid->Columns()->Items(0);
    col->SetWidth(211);
    SetRow(0, PlaceLabel, QStringLiteral("Равно"), QStringLiteral("a"));
    Apply();
    EXPECT_EQ(ds()->RecordCount(), 1);
    EXPECT_EQ(w->DBGrid->Columns()->Items(0)->Width(), 211);
    // QORVANE_SCREENSHOT=<file.png> keeps a picture of the main window.
    if (qEnvironmentVariableIsSet("QORVANE_SCREENSHOT")) {
        w->sbAddFilter->Click();
        w->aSearch->Execute();
        w->Timer->Fire();
        Application->ProcessMessages();
        fmMain->OuterWidget()->window()->grab().save(qEnvironmentVariable("QORVANE_SCREENSHOT"));
    }
}

TEST_F(Places, SearchLine)
{
    Open({QStringLiteral("Москва"), QStringLiteral("Минск"), QStringLiteral("Мосты")});
    w->Timer->Fire();
    ASSERT_TRUE(w->aSearch->Enabled());
    w->aSearch->Execute();
    EXPECT_TRUE(w->panSearch->Visible());
    w->Timer->Fire();
    EXPECT_TRUE(w->DBGrid->ReadOnly());
    EXPECT_TRUE(w->aSearch->Checked());
    ASSERT_NE(w->PanelSearch(), nullptr);
    TField* name = ds()->FieldByName(QStringLiteral("name"));
    w->DBGrid->SetSelectedField(name);

    w->edSearch->SetText(QStringLiteral("zzz"));
    EXPECT_EQ(w->edSearch->Font()->Color(), TColor(255));
    w->edSearch->SetText(QStringLiteral("мос"));
    EXPECT_EQ(w->edSearch->Font()->Color(), clWindowText);
    EXPECT_EQ(name->AsString(), QStringLiteral("Москва"));
    // Enter moves on to the next match.
    EXPECT_FALSE(w->edSearch->DoKeyDown(VK_RETURN, {}));
    EXPECT_EQ(name->AsString(), QStringLiteral("Мосты"));
    // Clearing keeps the last colour.
    w->edSearch->SetText(QStringLiteral("zzz"));
    w->edSearch->SetText(QString());
    EXPECT_EQ(w->edSearch->Font()->Color(), TColor(255));
    // Esc leaves the line, which hides.
    w->edSearch->DoKeyDown(VK_ESCAPE, {});
    EXPECT_FALSE(w->panSearch->Visible());
    w->Timer->Fire();
    EXPECT_FALSE(w->DBGrid->ReadOnly());
}

TEST_F(Places, StorageOnlyWhenNoChildIsMaximised)
{
    const QString iniName = SettingsFile();
    QFile::remove(iniName);
    Open({QStringLiteral("a")});
    EXPECT_TRUE(w->FormStorage->Active());
    EXPECT_EQ(w->FormStorage->IniSection(), QStringLiteral("TfmMainReference_adoRefPlaces"));
    w->Close();
    Application->ProcessMessages();
    EXPECT_EQ(fmMain->MDIChildCount(), 0);
    QFile ini(iniName);
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    const QByteArray saved = ini.readAll();
    ini.close();
    EXPECT_TRUE(saved.contains("[TfmMainReference_adoRefPlaces]"));
    QFile::remove(ini.fileName());

    // Another child maximised: this one opens maximised, restores nothing and
    // saves nothing.
    fmMain->aOpenRefFormsExecute(nullptr);
    ASSERT_EQ(fmMain->MDIChildCount(), 1);
    fmMain->MDIChildren(0)->SetWindowState(wsMaximized);
    fmMain->aOpenRefPlacesExecute(nullptr);
    TfmMainReference* w2 = nullptr;
    for (int i = 0; i < fmMain->MDIChildCount(); ++i)
        if (auto* p = dynamic_cast<TfmMainReference*>(fmMain->MDIChildren(i))) w2 = p;
    ASSERT_NE(w2, nullptr);
    EXPECT_FALSE(w2->FormStorage->Active());
    EXPECT_EQ(w2->WindowState(), wsMaximized);
    w2->Close();
    Application->ProcessMessages();
    QFile again(iniName);
    if (again.open(QIODevice::ReadOnly)) { EXPECT_FALSE(again.readAll().contains("TfmMainReference")); }
    QFile::remove(iniName);
}

TEST_F(Places, ClosingWhileEditingPostsAndStillClosesWhenThePostFails)
{
    Open({QStringLiteral("a"), QStringLiteral("b")});
    ds()->First();
    ds()->Edit();
    ds()->FieldByName(QStringLiteral("name"))->SetAsString(QStringLiteral("a2"));
    w->Close();
    Application->ProcessMessages();
    EXPECT_EQ(fmMain->MDIChildCount(), 0);
    EXPECT_EQ(ds()->State(), dsBrowse);
    EXPECT_TRUE(ds()->Locate(QStringLiteral("name"), QStringLiteral("a2")));

    // A duplicate key makes the post fail: the data module's message, and the
    // window closes all the same, leaving the dataset browsing.
    fmMain->aOpenRefPlacesExecute(nullptr);
    ASSERT_EQ(fmMain->MDIChildCount(), 1);
    w = dynamic_cast<TfmMainReference*>(fmMain->MDIChildren(0));
    ds()->First();
    const QString firstId = ds()->FieldByName(QStringLiteral("id"))->AsString();
    ds()->Next();
    ds()->Edit();
    ds()->FieldByName(QStringLiteral("id"))->SetAsString(firstId);
    const size_t before = rec->Calls.size();
    w->Close();
    Application->ProcessMessages();
    EXPECT_EQ(fmMain->MDIChildCount(), 0);
    EXPECT_GT(rec->Calls.size(), before);
    EXPECT_EQ(rec->Last().Caption, QStringLiteral("Ошибка сохранения данных"));
    EXPECT_EQ(ds()->State(), dsBrowse);
}

TEST_F(Places, AfterThePickerTheWindowHasItsRowsFilterAndColumnsBack)
{
    Open({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    TColumn* col = w->DBGrid->Columns()->Items(0);
    col->SetWidth(211);
    w->FormStorage->SaveFormPlacement();
    SetRow(0, PlaceLabel, QStringLiteral("Равно"), QStringLiteral("b"));
    Apply();
    ASSERT_EQ(ds()->RecordCount(), 1);

    // A report parameter over the same table: the picker filters for "c"
    // and sorts, the user picks.
    TReportParam p;
    p.Name = QStringLiteral("place");
    p.Kind = QStringLiteral("ptReference");
    p.Caption = QStringLiteral("Место");
    p.RefTable = QStringLiteral("REF_PLACES");
    CurrentReport = TReport();
    CurrentReport.Params.Add(p);
    auto* dlg = NewForm<TfmReportsEnterParams>(Application);
    dlg->Show();
    QString seen;
    TDialogRecorder recorder;
    recorder.OnModal = [&](TForm* f) {
        auto* picker = dynamic_cast<TfmReportsSelectFromRef*>(f);
        if (!picker) return int(mrCancel);
        EXPECT_EQ(ds()->RecordCount(), 3);   // the whole table
        TComboBox* field = picker->FilterRows().at(0).cmbField;
        field->Select(field->Items()->IndexOf(PlaceLabel));
        TComboBox* op = picker->FilterRows().at(0).cmbExp;
        op->Select(op->Items()->IndexOf(QStringLiteral("Равно")));
        picker->FilterRows().at(0).cmbValue->SetText(QStringLiteral("c"));
        picker->sbApplyFilter->Click();
        seen = ds()->FieldByName(QStringLiteral("name"))->AsString();
        picker->DBGrid->OnTitleClick(picker->DBGrid->Columns()->Items(0));
        picker->btOK->Click();
        return int(mrOk);
    };
    auto* edit = dynamic_cast<TComboEdit*>(dlg->FindComponent(QStringLiteral("edParam0")));
    ASSERT_NE(edit, nullptr);
    edit->Button()->Click();
    EXPECT_EQ(seen, QStringLiteral("c"));
    EXPECT_EQ(edit->Text(), QStringLiteral("c"));
    dlg->Free();
    CurrentReport = TReport();

    Application->ProcessMessages();
    EXPECT_EQ(ds()->RecordCount(), 1);
    EXPECT_EQ(ds()->FieldByName(QStringLiteral("name"))->AsString(), QStringLiteral("b"));
    EXPECT_EQ(ds()->Sort(), QString());
    EXPECT_TRUE(w->Filter->Active());
    EXPECT_EQ(ds()->HandedOverRecordset(), w->Filter->Recordset());
    EXPECT_EQ(w->DBGrid->Columns()->Items(0)->Width(), 211);
}
