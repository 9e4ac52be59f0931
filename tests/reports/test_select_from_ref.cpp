// The record picker: captions, command states, the double click and Enter,
// the choice read back through the parameter dialog, and the shared dataset
// given back as it was.
#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QWidget>

#include "components/QvDBCtrl.h"
#include "components/ToolEdit.h"
#include "dbtool/DbBuilder.h"
#include "platform/ado/ADODB.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "reports/unReportsEnterParams.h"
#include "reports/unReportsSelectFromRef.h"
#include "tests/data/DmFixture.h"
#include "tests/platform/ScreenInput.h"

namespace {
class Picker : public DmFixture {
protected:
    TfmReportsSelectFromRef* w = nullptr;
    TADOTable* members() const { return DM->adoRefMembers; }
    void SetUp() override
    {
        TApplication::EnsureQtApplication();
        DmFixture::SetUp();
        dbtool::FillDemo(DM->adoConnection);
        members()->Close();
        members()->Open();
    }
    void TearDown() override
    {
        if (w) w->Free();
        DmFixture::TearDown();
    }
    void Make(TDataSet* ds, bool several)
    {
        w = NewForm<TfmReportsSelectFromRef>(Application);
        w->DataSource->SetDataSet(ds);
        TDBGridOptions o = w->DBGrid->Options();
        if (several) o += dgMultiSelect;
        w->DBGrid->SetOptions(o);
    }
    void Show(TDataSet* ds, bool several)
    {
        Make(ds, several);
        w->Show();
        QApplication::processEvents();
        w->Timer->Fire();
    }
    QString Key(TDataSet* ds) const { return ds->FieldByName(QStringLiteral("id"))->AsString(); }
    // The parameter dialog of a report whose one parameter takes board
    // members (one or several), shown; Edit is its reference editor.
    static TfmReportsEnterParams* MembersDialog(bool several, TComboEdit*& Edit)
    {
        TReportParam p;
        p.Name = QStringLiteral("members");
        p.Kind = QStringLiteral("ptReference");
        p.Caption = QStringLiteral("Члены совета");
        p.RefTable = QStringLiteral("REF_MEMBERS");
        p.MultiSelect = several;
        CurrentReport = TReport();
        CurrentReport.Params.Add(p);
        CurrentSql = QStringLiteral("SELECT * FROM REF_MEMBERS WHERE id IN (:members)");
        auto* dlg = NewForm<TfmReportsEnterParams>(Application);
        dlg->Show();
        QApplication::processEvents();
        Edit = dynamic_cast<TComboEdit*>(dlg->FindComponent(QStringLiteral("edParam0")));
        return dlg;
    }
    // A real double click at the point of the grid, the mouse pointer there.
    void DoubleClick(QPoint p)
    {
        QWidget* g = qobject_cast<QAbstractScrollArea*>(w->DBGrid->Widget())->viewport();
        QCursor::setPos(g->mapToGlobal(p));
        QMouseEvent e(QEvent::MouseButtonDblClick, QPointF(p), g->mapToGlobal(QPointF(p)), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(g, &e);
    }
};
}  // namespace

TEST_F(Picker, CaptionLayoutAndCommands)
{
    Show(members(), true);
    EXPECT_EQ(w->Caption(), QStringLiteral("Выбор членов совета"));
    EXPECT_EQ(w->ClientWidth(), 502);
    EXPECT_EQ(w->ClientHeight(), 335);
    EXPECT_EQ(w->panBottom->Height(), 44);
    EXPECT_EQ(w->btOK->Left(), 337);
    EXPECT_EQ(w->btCancel->Left(), 418);
    EXPECT_TRUE(w->DBGrid->ReadOnly());
    EXPECT_FALSE(w->DBGrid->Options().Contains(dgEditing));
    EXPECT_EQ(w->FilterRows().size(), 1u);
    EXPECT_TRUE(w->aSearch->Enabled());
    EXPECT_TRUE(w->aExportToExcel->Enabled());
    EXPECT_FALSE(w->aNFirst->Enabled());
    EXPECT_TRUE(w->aNLast->Enabled());
    members()->Last();
    EXPECT_TRUE(w->aNFirst->Enabled());
    EXPECT_FALSE(w->aNNext->Enabled());
    EXPECT_TRUE(w->aNRefresh->Enabled());
    EXPECT_EQ(w->aNRefresh->ShortCut(), VK_F5);
    // The grid sits between the filter rows and the bottom panel.
    EXPECT_EQ(w->DBGrid->Top(), w->panFilter->Top() + w->panFilter->Height());
    EXPECT_EQ(w->DBGrid->Top() + w->DBGrid->Height(), w->panBottom->Top());
    w->Free();
    w = nullptr;

    Show(members(), false);
    EXPECT_EQ(w->Caption(), QStringLiteral("Выбор члена совета"));
}

TEST_F(Picker, DoubleClickOnADataCellIsOkElsewhereNothing)
{
    Show(members(), false);
    const TRect title = w->DBGrid->CellRect(2, 0), indicator = w->DBGrid->CellRect(0, 2),
                cell = w->DBGrid->CellRect(1, 2);
    auto centre = [](const TRect& r) { return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2); };
    DoubleClick(centre(title));
    DoubleClick(centre(indicator));
    EXPECT_EQ(w->ModalResult(), mrNone);
    DoubleClick(centre(cell));
    EXPECT_EQ(w->ModalResult(), mrOk);
}

TEST_F(Picker, AnEmptyTableDisablesSearchAndExportAndOkPicksNothing)
{
    TDataSet* forms = DM->adoRefForms;
    Exec(QStringLiteral("DELETE FROM OBJ_SESSIONS"));
    Exec(QStringLiteral("DELETE FROM REF_FORMS"));
    Show(forms, false);
    EXPECT_EQ(forms->RecordCount(), 0);
    EXPECT_FALSE(w->aSearch->Enabled());
    EXPECT_FALSE(w->aExportToExcel->Enabled());
    w->btOK->Click();
    EXPECT_EQ(w->ModalResult(), mrOk);
    QString keys = QStringLiteral("x"), names = QStringLiteral("x");
    PickedRecords(forms, nullptr, QStringLiteral("name"), keys, names);
    EXPECT_TRUE(keys.isEmpty() && names.isEmpty());
}

TEST_F(Picker, TheDataSetIsGivenBackAsItWas)
{
    TADOTable* ds = members();
    // A register window's filter: the rows of its own query handed over.
    TADOQuery filter(nullptr);
    filter.SetConnection(DM->adoConnection);
    filter.SQL()->SetText(QStringLiteral("SELECT * FROM REF_MEMBERS WHERE fullname LIKE '%а%'"));
    filter.Open();
    ds->SetRecordset(filter.Recordset());
    const int filtered = ds->RecordCount();
    ASSERT_GE(filtered, 2);
    ds->SetSort(QStringLiteral("fullname DESC"));
    ds->Last();
    const QString key = Key(ds);
    // A pending edit.
    ds->Edit();
    ds->FieldByName(QStringLiteral("address"))->SetAsString(QStringLiteral("Новый адрес"));

    Show(ds, false);
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(Scalar(QStringLiteral("SELECT address FROM REF_MEMBERS WHERE id = '") + key + QStringLiteral("'")),
              QStringLiteral("Новый адрес"));
    EXPECT_GT(ds->RecordCount(), filtered);   // the picker shows the whole table
    w->DBGrid->OnTitleClick(w->DBGrid->Columns()->Items(0));
    ds->First();
    w->Free();
    w = nullptr;

    EXPECT_EQ(ds->HandedOverRecordset(), filter.Recordset());
    EXPECT_EQ(ds->RecordCount(), filtered);
    EXPECT_EQ(ds->Sort(), QStringLiteral("fullname DESC"));
    EXPECT_EQ(Key(ds), key);
}

TEST_F(Picker, ThroughTheDialogThreeRowsGiveThreeKeysAndNames)
{
    TComboEdit* edit = nullptr;
    auto* dlg = MembersDialog(true, edit);
    ASSERT_NE(edit, nullptr);

    members()->Last();
    const QString current = Key(members());
    QStringList keys, names;
    TDialogRecorder recorder;
    recorder.OnModal = [&](TForm* f) {
        auto* picker = dynamic_cast<TfmReportsSelectFromRef*>(f);
        if (!picker) return int(mrCancel);
        EXPECT_EQ(picker->Caption(), QStringLiteral("Выбор членов совета"));
        TDataSet* ds = picker->DataSource->DataSet();
        ds->First();
        for (int i = 0; i < 3; ++i, ds->Next()) {
            picker->DBGrid->SelectedRows()->SetCurrentRowSelected(true);
            keys << QLatin1Char('\'') + Key(ds) + QLatin1Char('\'');
            names << ds->FieldByName(QStringLiteral("fullname"))->AsString();
        }
        picker->btOK->Click();
        return int(mrOk);
    };
    edit->Button()->Click();
    EXPECT_EQ(recorder.Count(TDialogKind::ModalForm), 1);
    EXPECT_EQ(CurrentReport.Params[0].Value, keys.join(QStringLiteral(", ")));
    EXPECT_EQ(edit->Text(), names.join(QStringLiteral("; ")));
    EXPECT_EQ(Key(members()), current);

    // Cancelled: nothing changes.
    recorder.OnModal = [](TForm*) { return int(mrCancel); };
    edit->Button()->Click();
    EXPECT_EQ(edit->Text(), names.join(QStringLiteral("; ")));

    dlg->btOK->Click();
    EXPECT_EQ(CurrentSql, QStringLiteral("SELECT * FROM REF_MEMBERS WHERE id IN (") + keys.join(QStringLiteral(", ")) +
                              QStringLiteral(")"));
    dlg->Free();
    CurrentReport = TReport();
}

// Enter on the grid moves the current column and then chooses the row, as
// OK does; with Shift it only moves the column back (not past the first). The search line keeps
// its Enter (search on) and Esc (back to the grid).
TEST_F(Picker, EnterOnTheGridChoosesTheRowTheSearchLineKeepsItsKeys)
{
    TComboEdit* edit = nullptr;
    auto* dlg = MembersDialog(false, edit);
    ASSERT_NE(edit, nullptr);
    ActivateForm(dlg);
    ASSERT_TRUE(edit->TWinControl::Focused());
    QString chosen, chosenName;
    TDialogRecorder recorder;
    recorder.OnModal = [&](TForm* f) {
        auto* picker = dynamic_cast<TfmReportsSelectFromRef*>(f);
        if (!picker) return int(mrCancel);
        ActivateForm(picker);
        TQvDBGrid* grid = picker->DBGrid;
        EXPECT_TRUE(grid->Focused());
        PressKey(Qt::Key_F, Qt::ControlModifier);   // the search line
        EXPECT_TRUE(picker->edSearch->Focused());
        for (int key : {Qt::Key_Return, Qt::Key_Escape}) PressKey(key);
        EXPECT_EQ(picker->ModalResult(), mrNone);
        EXPECT_TRUE(grid->Focused());
        PressKey(Qt::Key_Down);
        PressKey(Qt::Key_Down);
        EXPECT_EQ(grid->SelectedIndex(), 0);
        // Shift+Enter moves the column back, and at the first one stays.
        PressKey(Qt::Key_Right);
        EXPECT_EQ(grid->SelectedIndex(), 1);
        PressKey(Qt::Key_Return, Qt::ShiftModifier);
        EXPECT_EQ(grid->SelectedIndex(), 0);
        PressKey(Qt::Key_Return, Qt::ShiftModifier);
        EXPECT_EQ(grid->SelectedIndex(), 0);
        EXPECT_EQ(picker->ModalResult(), mrNone);
        TDataSet* ds = picker->DataSource->DataSet();
        chosen = QLatin1Char('\'') + Key(ds) + QLatin1Char('\'');
        chosenName = ds->FieldByName(QStringLiteral("fullname"))->AsString();
        PressKey(Qt::Key_Return);
        EXPECT_EQ(grid->SelectedIndex(), 1);
        EXPECT_EQ(picker->ModalResult(), mrOk);
        return int(picker->ModalResult() == mrNone ? mrIgnore : mrNone);
    };
    PressKey(Qt::Key_F2);
    EXPECT_EQ(recorder.Count(TDialogKind::ModalForm), 1);
    EXPECT_EQ(CurrentReport.Params[0].Value, chosen);
    EXPECT_EQ(edit->Text(), chosenName);
    dlg->Free();
    CurrentReport = TReport();
}

// In the several-row picker a row reached with the arrow keys is the one
// selected, so Enter chooses it; Shift+Down adds the rows it passes.
TEST_F(Picker, ArrowKeysSelectTheRowTheyReachAndEnterChoosesIt)
{
    TComboEdit* edit = nullptr;
    auto* dlg = MembersDialog(true, edit);
    ASSERT_NE(edit, nullptr);
    ActivateForm(dlg);
    struct Case {
        std::vector<std::pair<int, Qt::KeyboardModifiers>> keys;
        int firstRow, rows;   // the rows chosen: from the first, 0-based
    };
    const Case cases[] = {
        {{{Qt::Key_Down, Qt::NoModifier}, {Qt::Key_Down, Qt::NoModifier}}, 2, 1},
        {{{Qt::Key_Down, Qt::NoModifier}, {Qt::Key_Down, Qt::ShiftModifier}}, 1, 2},
        {{{Qt::Key_Down, Qt::ShiftModifier}, {Qt::Key_Down, Qt::NoModifier}, {Qt::Key_Up, Qt::NoModifier}}, 1, 1},
    };
    for (const Case& c : cases) {
        QStringList keys;
        TDialogRecorder recorder;
        recorder.OnModal = [&](TForm* f) {
            auto* picker = dynamic_cast<TfmReportsSelectFromRef*>(f);
            if (!picker) return int(mrCancel);
            ActivateForm(picker);
            EXPECT_TRUE(picker->DBGrid->Focused());
            for (const auto& [key, mods] : c.keys) PressKey(key, mods);
            TDataSet* ds = picker->DataSource->DataSet();
            const TBookmark at = ds->GetBookmark();
            ds->First();
            ds->MoveBy(c.firstRow);
            for (int i = 0; i < c.rows; ++i, ds->Next()) keys << QLatin1Char('\'') + Key(ds) + QLatin1Char('\'');
            ds->GotoBookmark(at);
            PressKey(Qt::Key_Return);
            EXPECT_EQ(picker->ModalResult(), mrOk);
            return int(picker->ModalResult() == mrNone ? mrIgnore : mrNone);
        };
        edit->Button()->Click();
        EXPECT_EQ(recorder.Count(TDialogKind::ModalForm), 1);
        EXPECT_EQ(CurrentReport.Params[0].Value, keys.join(QStringLiteral(", "))) << c.firstRow << " " << c.rows;
    }
    dlg->Free();
    CurrentReport = TReport();
}
