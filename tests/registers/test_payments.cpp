// The payments register opened from the main window over the demonstration
// board: newest payment first with its marker, add/edit/delete doing nothing,
// title clicks on the calculated and lookup columns doing nothing, the
// numeric filter comparing numbers.
#include <QApplication>
#include <QCursor>
#include <QKeyEvent>

#include "components/QvCtrls.h"
#include "platform/ado/ADODB.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComboBoxes.h"
#include "registers/unPaymentObject.h"
#include "tests/app/AppFixture.h"
#include "tests/platform/ScreenInput.h"

namespace {

class Payments : public AppFixture {
protected:
    TfmPaymentObject* w = nullptr;
    TADOTable* ds() const { return DM->adoObjPayments; }

    void Open()
    {
        MakeDb(QString(), true);
        ShowMain();
        ASSERT_TRUE(DM->adoConnection->Connected());
        fmMain->aOpenObjPayments->Execute();
        ASSERT_EQ(fmMain->MDIChildCount(), 1);
        w = dynamic_cast<TfmPaymentObject*>(fmMain->MDIChildren(0));
        ASSERT_NE(w, nullptr);
        w->Timer->Fire();
        Application->ProcessMessages();
    }
    TColumn* Column(const QString& field)
    {
        for (int i = 0; i < w->DBGrid->Columns()->Count(); ++i)
            if (w->DBGrid->Columns()->Items(i)->FieldName() == field) return w->DBGrid->Columns()->Items(i);
        return nullptr;
    }
    TSortMarker Marker(const QString& field)
    {
        TSortMarker m = smNone;
        TColor bg = clBtnFace;
        w->DBGridGetBtnParams(w->DBGrid, ds()->FieldByName(field), w->DBGrid->Font(), bg, m, false);
        return m;
    }
    int adotest_count()
    {
        ado::RecordsetPtr rs = DM->adoConnection->Execute(QStringLiteral("SELECT COUNT(*) FROM OBJ_PAYMENTS"));
        return rs->Value(0, 0).toInt();
    }
    QList<double> Dates()
    {
        QList<double> out;
        TField* f = ds()->FieldByName(QStringLiteral("paymentdate"));
        for (ds()->First(); !ds()->Eof(); ds()->Next()) out << f->AsFloat();
        ds()->First();
        return out;
    }
};

TEST_F(Payments, OpensNewestFirstAndTheFirstTitleClickRemovesTheSort)
{
    Open();
    EXPECT_EQ(w->Caption(), QStringLiteral("Объект «Вознаграждения»"));
    ASSERT_GT(ds()->RecordCount(), 2);
    EXPECT_EQ(ds()->Sort(), QStringLiteral("paymentdate DESC"));
    const QList<double> d = Dates();
    EXPECT_TRUE(std::is_sorted(d.rbegin(), d.rend()));
    EXPECT_EQ(Marker(QStringLiteral("paymentdate")), smUp);

    // The columns: date, session, member, amount.
    QStringList titles;
    for (int i = 0; i < w->DBGrid->Columns()->Count(); ++i) titles << w->DBGrid->Columns()->Items(i)->Title()->Caption();
    EXPECT_EQ(titles, (QStringList{QStringLiteral("Срок платежа"), QStringLiteral("По заседанию"),
                                   QStringLiteral("Ф.И.О. члена совета"), QStringLiteral("Сумма, руб.")}));

    w->DBGridTitleClick(Column(QStringLiteral("paymentdate")));
    EXPECT_TRUE(ds()->Sort().isEmpty());
    EXPECT_EQ(Marker(QStringLiteral("paymentdate")), smNone);
    w->DBGridTitleClick(Column(QStringLiteral("paymentdate")));
    EXPECT_EQ(ds()->Sort(), QStringLiteral("paymentdate ASC"));

    // The calculated session and the lookup member change no sort and raise nothing.
    for (const char* f : {"session", "member"}) {
        EXPECT_NO_THROW(w->DBGridTitleClick(Column(QString::fromLatin1(f))));
        EXPECT_EQ(ds()->Sort(), QStringLiteral("paymentdate ASC"));
    }
    EXPECT_EQ(rec->Calls.size(), 0u);
}

TEST_F(Payments, AddEditDeleteAndDoubleClickChangeNothing)
{
    Open();
    const int before = adotest_count();
    // The editing buttons are off the bar; the commands keep their keys.
    for (TToolButton* b : {w->ToolButton5, w->ToolButton6, w->ToolButton7, w->ToolButton8, w->ToolButton9,
                           w->ToolButton10})
        EXPECT_FALSE(b->Visible());
    EXPECT_EQ(w->aNEdit->ShortCut(), VK_F2);
    EXPECT_EQ(w->aNDelete->Hint(), QStringLiteral("Удалить текущую позицию|Удалить текущую позицию"));
    ASSERT_TRUE(w->aNAdd->Enabled());
    ASSERT_TRUE(w->aNDelete->Enabled());
    w->aNAdd->Execute();
    w->aNEdit->Execute();
    w->aNDelete->Execute();
    EXPECT_EQ(ds()->State(), dsBrowse);

    // Ctrl+Del and Insert typed into the grid.
    w->DBGrid->SetFocus();
    for (auto [key, mods] : {std::pair{Qt::Key_Delete, Qt::ControlModifier}, std::pair{Qt::Key_Insert, Qt::NoModifier},
                             std::pair{Qt::Key_F2, Qt::NoModifier}})
        screen::Key(w->DBGrid->Widget(), key, mods);
    EXPECT_EQ(ds()->State(), dsBrowse);

    // A double click on a data cell: nothing either.
    const TRect r = w->DBGrid->CellRect(1, 1);
    QCursor::setPos(w->DBGrid->Widget()->mapToGlobal(QPoint(r.Left + 3, r.Top + 3)));
    w->DBGridDblClick(w->DBGrid);
    EXPECT_EQ(ds()->State(), dsBrowse);
    EXPECT_EQ(adotest_count(), before);
    EXPECT_EQ(rec->Calls.size(), 0u);
}

TEST_F(Payments, TheFilterListsDataFieldsAndComparesAmountsAsNumbers)
{
    Open();
    TComboBox* f = w->FilterRows().at(0).cmbField;
    QStringList items;
    for (int i = 0; i < f->Items()->Count(); ++i) items << f->Items()->Strings(i);
    EXPECT_EQ(items, (QStringList{QStringLiteral(" - Поле - "), QStringLiteral("Срок платежа"),
                                  QStringLiteral("Сумма, руб.")}));

    // Amounts 5, 10 and 40 among the payments: "Больше" 5 keeps 10 and 40.
    DM->adoConnection->Execute(QStringLiteral("UPDATE OBJ_PAYMENTS SET suma=0"));
    const QStringList ids = [&] {
        QStringList out;
        ado::RecordsetPtr rs = DM->adoConnection->Execute(QStringLiteral("SELECT id FROM OBJ_PAYMENTS"));
        for (qsizetype i = 0; i < rs->RowCount() && i < 3; ++i) out << rs->Text(i, 0);
        return out;
    }();
    ASSERT_EQ(ids.size(), 3);
    const int amounts[] = {5, 10, 40};
    for (int i = 0; i < 3; ++i)
        DM->adoConnection->Execute(
            QStringLiteral("UPDATE OBJ_PAYMENTS SET suma=%1 WHERE id=\"%2\"").arg(amounts[i]).arg(ids[i]));
    f->Select(f->Items()->IndexOf(QStringLiteral("Сумма, руб.")));
    TComboBox* e = w->FilterRows().at(0).cmbExp;
    e->Select(e->Items()->IndexOf(QStringLiteral("Больше")));
    TComboBox* v = w->FilterRows().at(0).cmbValue;
    v->TypeChar(QLatin1Char('5'));
    w->sbApplyFilter->Click();
    EXPECT_EQ(rec->Calls.size(), 0u);
    QList<int> shown;
    for (ds()->First(); !ds()->Eof(); ds()->Next()) shown << ds()->FieldByName(QStringLiteral("suma"))->AsInteger();
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, (QList<int>{10, 40}));
}

}  // namespace
