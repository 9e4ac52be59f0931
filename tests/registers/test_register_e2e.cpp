// The places directory used from end to end, the way a secretary does it:
// opened from the main window's menu command, a place added, edited and
// deleted (with the confirmation answered), a filter, the search line, a sort
// by a click on a column title, the export into a real headless office (the
// stored workbook is opened again and read), and the grid's column widths and
// the window's placement back after the program is closed and started anew.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QFile>
#include <QMouseEvent>

#include "components/Placement.h"
#include "components/QvCtrls.h"
#include "platform/ado/ADODB.h"
#include "platform/ole/ComObj.h"
#include "platform/ole/LibreOffice.h"
#include "platform/core/SysUtils.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComboBoxes.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "registers/unMainReference.h"
#include "tests/app/AppFixture.h"
#include "tests/platform/OfficeTestUtil.h"

namespace {

class PlacesEndToEnd : public FreshSettingsFixture {
protected:
    TADOTable* ds() const { return DM->adoRefPlaces; }
    TField* Name() const { return ds()->FieldByName(QStringLiteral("name")); }

    // The places directory through the main window's command.
    TfmMainReference* OpenPlaces()
    {
        fmMain->aOpenRefPlaces->Execute();
        for (int i = 0; i < fmMain->MDIChildCount(); ++i)
            if (auto* w = dynamic_cast<TfmMainReference*>(fmMain->MDIChildren(i))) {
                w->Timer->Fire();
                return w;
            }
        return nullptr;
    }
    // The program ends (windows closed, main window and data module freed)
    // and starts again on the same database.
    void Restart()
    {
        while (fmMain->MDIChildCount() > 0) {
            fmMain->MDIChildren(0)->Close();
            Application->ProcessMessages();
        }
        fmMain->Close();
        Application->ProcessMessages();
        fmMain->Free();
        fmMain = nullptr;
        delete DM;
        DM = nullptr;
        ShowMain();
    }
    static TColumn* Column(TRegisterWindow* w, const QString& field)
    {
        for (int i = 0; i < w->DBGrid->Columns()->Count(); ++i)
            if (w->DBGrid->Columns()->Items(i)->FieldName() == field) return w->DBGrid->Columns()->Items(i);
        return nullptr;
    }
    // A left click on the column's title, as the mouse gives it to the grid.
    static void ClickTitle(TRegisterWindow* w, TColumn* col)
    {
        auto* area = qobject_cast<QAbstractScrollArea*>(w->DBGrid->Widget());
        ASSERT_NE(area, nullptr);
        const int dataCol = col->Index() + (w->DBGrid->Options().Contains(dgIndicator) ? 1 : 0);
        const TRect r = w->DBGrid->CellRect(dataCol, 0);
        const QPointF at((r.Left + r.Right) / 2.0, (r.Top + r.Bottom) / 2.0);
        QWidget* vp = area->viewport();
        QMouseEvent press(QEvent::MouseButtonPress, at, vp->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QApplication::sendEvent(vp, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, vp->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QApplication::sendEvent(vp, &release);
    }
    static QStringList Names(TDataSet* d, TField* f)
    {
        QStringList out;
        d->First();
        for (; !d->Eof(); d->Next()) out << f->AsString();
        d->First();
        return out;
    }
};

TEST_F(PlacesEndToEnd, AddEditDeleteFilterSearchSortExportAndSettingsAcrossARestart)
{
    RequireOffice();
    MakeDb();
    ShowMain();
    ASSERT_TRUE(DM->adoConnection->Connected());
    TfmMainReference* w = OpenPlaces();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Caption(), QStringLiteral("Справочник «Места проведения заседаний»"));
    EXPECT_EQ(w->StatusBar->PanelText(0), QStringLiteral("  Позиция: 0 из 0  "));

    // Add three places through the tool bar's commands.
    for (const QString& n : {QStringLiteral("Малый зал"), QStringLiteral("Большой зал"), QStringLiteral("Кабинет 12")}) {
        ASSERT_TRUE(w->aNAdd->Enabled());
        w->aNAdd->Execute();
        w->Timer->Fire();
        EXPECT_TRUE(w->aNPost->Enabled());
        Name()->SetAsString(n);
        w->aNPost->Execute();
        w->Timer->Fire();
    }
    EXPECT_EQ(ds()->RecordCount(), 3);
    EXPECT_TRUE(w->aExportToExcel->Enabled());

    // Edit one.
    ASSERT_TRUE(ds()->Locate(QStringLiteral("name"), QStringLiteral("Кабинет 12")));
    w->Timer->Fire();
    ASSERT_TRUE(w->aNEdit->Enabled());
    w->aNEdit->Execute();
    EXPECT_EQ(ds()->State(), dsEdit);
    EXPECT_TRUE(w->DBGrid->EditorMode());
    Name()->SetAsString(QStringLiteral("Кабинет 14"));
    w->aNPost->Execute();
    EXPECT_EQ(ds()->State(), dsBrowse);
    EXPECT_FALSE(w->DBGrid->EditorMode());

    // Delete it, the confirmation answered Yes.
    w->Timer->Fire();
    rec->Answers.push_back(IDYES);
    w->aNDelete->Execute();
    ASSERT_FALSE(rec->Calls.empty());
    EXPECT_EQ(rec->Last().Caption, QStringLiteral("Подтверждение удаления"));
    EXPECT_EQ(ds()->RecordCount(), 2);
    EXPECT_FALSE(ds()->Locate(QStringLiteral("name"), QStringLiteral("Кабинет 14")));
    // What was written is in the database, not only in the dataset.
    ds()->Close();
    ds()->Open();
    EXPECT_EQ(ds()->RecordCount(), 2);

    // Filter: "Начинается с" "Бол" leaves one row; the status bar says so.
    const FilterRow& row = w->FilterRows().at(0);
    row.cmbField->Select(row.cmbField->Items()->IndexOf(QStringLiteral("Место проведения")));
    row.cmbExp->Select(row.cmbExp->Items()->IndexOf(QStringLiteral("Начинается с")));
    ASSERT_EQ(row.cmbValue->Style(), csSimple);
    for (QChar c : QStringLiteral("Бол")) row.cmbValue->TypeChar(c);
    row.cmbValue->TypeChar(QLatin1Char('\r'));
    EXPECT_TRUE(w->Filter->Active());
    EXPECT_EQ(Names(ds(), Name()), QStringList{QStringLiteral("Большой зал")});
    w->Timer->Fire();
    EXPECT_EQ(w->StatusBar->PanelText(0), QStringLiteral("  Позиция: 1 из 1  "));
    EXPECT_EQ(w->StatusBar->PanelText(1), QStringLiteral("Фильтр"));
    // The row's delete button resets the only row: the whole table again.
    row.sbDel->Click();
    EXPECT_FALSE(w->Filter->Active());
    EXPECT_EQ(ds()->RecordCount(), 2);
    w->Timer->Fire();
    EXPECT_EQ(w->StatusBar->PanelText(1), QString());

    // Search the name column for "зал": the first match, then Enter for the next.
    ASSERT_TRUE(w->aSearch->Enabled());
    w->aSearch->Execute();
    EXPECT_TRUE(w->panSearch->Visible());
    w->DBGrid->SetSelectedField(Name());
    w->edSearch->SetText(QStringLiteral("ЗАЛ"));
    EXPECT_EQ(w->edSearch->Font()->Color(), clWindowText);
    EXPECT_EQ(Name()->AsString(), QStringLiteral("Малый зал"));
    w->edSearch->DoKeyDown(VK_RETURN, {});
    EXPECT_EQ(Name()->AsString(), QStringLiteral("Большой зал"));
    w->edSearch->DoKeyDown(VK_ESCAPE, {});
    EXPECT_FALSE(w->panSearch->Visible());

    // Sort by a click on the name column's title: ascending, then descending.
    TColumn* col = Column(w, QStringLiteral("name"));
    ASSERT_NE(col, nullptr);
    ClickTitle(w, col);
    EXPECT_EQ(ds()->Sort(), QStringLiteral("name ASC"));
    EXPECT_EQ(Names(ds(), Name()), (QStringList{QStringLiteral("Большой зал"), QStringLiteral("Малый зал")}));
    ClickTitle(w, col);
    EXPECT_EQ(ds()->Sort(), QStringLiteral("name DESC"));
    EXPECT_EQ(Names(ds(), Name()), (QStringList{QStringLiteral("Малый зал"), QStringLiteral("Большой зал")}));

    // Export in the grid's order into the office; read the stored workbook back.
    ds()->Last();
    const int shown = int(OfficeShownDocuments().size());
    w->aExportToExcel->Execute();
    EXPECT_EQ(rec->Count(TDialogKind::MessageBox), 1) << rec->Last().Text.toStdString();   // only the deletion's
    EXPECT_TRUE(w->aExportToExcel->Enabled());
    EXPECT_EQ(ds()->RecNo(), 1);
    ASSERT_EQ(int(OfficeShownDocuments().size()), shown + 1);
    OleVariant book =
        CreateOleObject("Excel.Application").Get("WorkBooks").Call("Open", {OfficeShownDocuments().last()});
    OleVariant sheet = book.Get("WorkSheets", {1});
    ASSERT_TRUE(sheet.IsDispatch());
    auto at = [&](int r, int c) { return sheet.Get("Cells", {r, c}).Get("Value").Value(); };
    const int c = col->Index() + 1;
    EXPECT_EQ(at(1, 1), Variant(w->Caption()));
    EXPECT_EQ(at(3, c), Variant(QStringLiteral("Место проведения")));
    EXPECT_TRUE(sheet.Get("Cells", {3, c}).Get("Font").Get("Bold").ToBool());
    EXPECT_EQ(at(4, c), Variant(QStringLiteral("Малый зал")));
    EXPECT_EQ(at(5, c), Variant(QStringLiteral("Большой зал")));
    EXPECT_FALSE(at(6, c).isValid());
    book.Call("Close");

    // Column width and placement set by the user come back after a restart.
    col->SetWidth(231);
    w->SetBounds(17, 23, 640, 380);
    const TRect placed = w->BoundsRect();
    Restart();
    ASSERT_TRUE(DM->adoConnection->Connected());
    {
        QFile ini(SettingsFile());
        ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
        const QByteArray all = ini.readAll();
        EXPECT_TRUE(all.contains("[TfmMainReference_adoRefPlaces]"));
        EXPECT_TRUE(all.contains("DBGrid_Columns.Count=1"));
        EXPECT_TRUE(all.contains("Item0_Width=231"));
    }
    EXPECT_EQ(fmMain->MDIChildCount(), 0);
    w = OpenPlaces();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->FormStorage->Active());
    col = Column(w, QStringLiteral("name"));
    ASSERT_NE(col, nullptr);
    EXPECT_EQ(col->Width(), 231);
    EXPECT_EQ(w->BoundsRect().Left, placed.Left);
    EXPECT_EQ(w->BoundsRect().Top, placed.Top);
    EXPECT_EQ(w->Width(), 640);
    EXPECT_EQ(w->Height(), 380);
    EXPECT_EQ(ds()->RecordCount(), 2);
}

}  // namespace
