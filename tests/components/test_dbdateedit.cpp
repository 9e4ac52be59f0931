// The data-aware date edit bound to a table's date field.
#include <QTemporaryDir>

#include "GuiFixture.h"
#include "components/DBDateEdit.h"
#include "components/PickDate.h"
#include "platform/ado/ADODB.h"
#include "tests/platform/AdoTestUtil.h"

namespace {

class DBDateEditTest : public GuiTest {
protected:
    QTemporaryDir Dir;
    std::unique_ptr<TADOConnection> Db;
    TADOTable* Table = nullptr;
    TDataSource* Source = nullptr;
    TDBDateEdit* Edit = nullptr;
    TDBDateEdit* Other = nullptr;

    void SetUp() override
    {
        GuiTest::SetUp();
        Db = adotest::CreateDb(Dir.filePath(QStringLiteral("d.db")), QString(),
                               {QStringLiteral("CREATE TABLE OBJ_SESSIONS (id INTEGER, pdate DATETIME)")});
        Db->Execute(QStringLiteral("INSERT INTO OBJ_SESSIONS VALUES (1, #2024-03-05 10:30:00#)"));
        Db->Execute(QStringLiteral("INSERT INTO OBJ_SESSIONS VALUES (2, NULL)"));
        Table = new TADOTable(Form);
        Table->SetConnection(Db.get());
        Table->SetTableName(QStringLiteral("OBJ_SESSIONS"));
        Table->Open();
        Source = new TDataSource(Form);
        Source->SetDataSet(Table);
        Edit = MakeEdit(10);
        Other = MakeEdit(60);
        Edit->SetFocus();
        Events();
    }
    void TearDown() override
    {
        if (Table->State() != dsBrowse) Table->Cancel();
        GuiTest::TearDown();
        Db.reset();
    }
    TDBDateEdit* MakeEdit(int top)
    {
        auto* e = new TDBDateEdit(Form);
        e->SetParent(Form);
        e->SetBounds(10, top, 120, 21);
        e->SetYearDigits(dyFour);
        e->SetDataSource(Source);
        e->SetDataField(QStringLiteral("pdate"));
        e->HandleNeeded();
        return e;
    }
    TField* Field() { return Table->FieldByName(QStringLiteral("pdate")); }
};

TEST_F(DBDateEditTest, ShowsTheFieldAndEmptyForNull)
{
    EXPECT_EQ(Edit->Text(), QStringLiteral("05.03.2024"));
    Table->Next();
    EXPECT_FALSE(Edit->TextStored());
    EXPECT_EQ(Edit->Date(), NullDate);
}

TEST_F(DBDateEditTest, TypedDateKeepsTheTimeAndEmptyWritesNull)
{
    Edit->SelectAll();
    Edit->TypeText(QStringLiteral("07042025"));
    EXPECT_EQ(Table->State(), dsEdit);
    Other->SetFocus();
    Events();
    const TDateTime v = Field()->AsDateTime();
    EXPECT_EQ(std::floor(v), EncodeDate(2025, 4, 7));
    EXPECT_NEAR(v - std::floor(v), 10.5 / 24, 1e-6);
    Edit->SetFocus();
    Events();
    Edit->SelectAll();
    Edit->TypeKey(VK_DELETE);
    Other->SetFocus();
    Events();
    EXPECT_TRUE(Field()->IsNull());
}

TEST_F(DBDateEditTest, LettersBeepAndEscapeRestoresTheField)
{
    int beeps = 0;
    SetBeepHandler([&] { ++beeps; });
    Edit->TypeText(QStringLiteral("x"));
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(Edit->Text(), QStringLiteral("05.03.2024"));
    Edit->SelectAll();
    Edit->TypeText(QStringLiteral("01"));
    EXPECT_NE(Edit->Text(), QStringLiteral("05.03.2024"));
    Edit->TypeKey(VK_ESCAPE, {}, QChar(27));
    EXPECT_EQ(Edit->Text(), QStringLiteral("05.03.2024"));
    SetBeepHandler(nullptr);
}

TEST_F(DBDateEditTest, CalendarChoiceGoesIntoTheField)
{
    MouseClick(Edit->Button()->Widget(), QPoint(5, 5));
    auto* p = dynamic_cast<TPopupCalendar*>(Edit->Popup());
    ASSERT_TRUE(Edit->PopupVisible());
    EXPECT_EQ(p->Calendar()->CalendarDate(), EncodeDate(2024, 3, 5));
    p->Calendar()->SetCalendarDate(EncodeDate(2024, 3, 20));
    Edit->TypeKey(VK_RETURN, {}, QLatin1Char('\r'));
    EXPECT_FALSE(Edit->PopupVisible());
    EXPECT_EQ(Table->State(), dsEdit);
    EXPECT_EQ(std::floor(Field()->AsDateTime()), EncodeDate(2024, 3, 20));
    EXPECT_EQ(Edit->Text(), QStringLiteral("20.03.2024"));
}

TEST_F(DBDateEditTest, BadDateOnExitKeepsFocusAndFieldUntouched)
{
    Edit->SetCheckOnExit(true);
    Edit->SelectAll();
    Edit->TypeText(QStringLiteral("32132024"));
    TDialogRecorder rec;
    Other->SetFocus();
    Events();
    EXPECT_EQ(rec.Calls.size(), 1u);
    EXPECT_TRUE(Edit->TWinControl::Focused());
    EXPECT_EQ(std::floor(Field()->AsDateTime()), EncodeDate(2024, 3, 5));
}

TEST_F(DBDateEditTest, ReadOnlyLinkRefusesThePopup)
{
    Edit->SetReadOnly(true);
    MouseClick(Edit->Button()->Widget(), QPoint(5, 5));
    EXPECT_FALSE(Edit->PopupVisible());
    EXPECT_EQ(Table->State(), dsBrowse);
}

}  // namespace
