// The grid export against a real headless LibreOffice: the workbook the
// user is given (stored, since the office has no screen) is opened again and
// read cell by cell; and the message when there is no spreadsheet at all.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "data/unCommon.h"
#include "platform/ado/ADODB.h"
#include "platform/db/DB.h"
#include "platform/ole/ComObj.h"
#include "platform/ole/LibreOffice.h"
#include "platform/ui/DBGrids.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "tests/platform/AdoTestUtil.h"
#include "tests/platform/OfficeTestUtil.h"

namespace {

const QString kErrorText = QStringLiteral(
    "Ошибка экспорта в Microsoft Excel. Данная ошибка может возникнуть в случае,   \r\n"
    "если у вас не установлен (или установлен некорректно) Microsoft Excel.  ");
const QString kErrorCaption = QStringLiteral("Ошибка экспорта в Excel");

class ExportGridTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    std::unique_ptr<TADOConnection> Db;
    TComponent Owner;
    TADOTable* Table = nullptr;
    TDataSource* Source = nullptr;
    TDBGrid* Grid = nullptr;
    TDialogRecorder Boxes;

    void SetUp() override
    {
        Application->Title();   // the application (and Qt's) exists before any control
        Db = adotest::CreateDb(Dir.filePath(QStringLiteral("x.db")), QString(),
                               {QStringLiteral("CREATE TABLE OBJ_PAYMENTS (id CHAR(38) NOT NULL, name VARCHAR(250), "
                                               "amount INTEGER, d DATETIME, code VARCHAR(20), price FLOAT)")});
        Table = new TADOTable(&Owner);
        Table->SetConnection(Db.get());
        Table->SetTableName(QStringLiteral("OBJ_PAYMENTS"));
        auto add = [&](TField* f, const char* name, const char* label) {
            f->SetFieldName(QString::fromLatin1(name));
            f->SetDisplayLabel(QString::fromUtf8(label));
            f->SetDataSet(Table);
        };
        add(new TWideStringField(&Owner), "name", "Член совета");
        add(new TGuidField(&Owner), "id", "Ключ");
        add(new TIntegerField(&Owner), "amount", "Сумма");
        add(new TDateTimeField(&Owner), "d", "Дата");
        add(new TWideStringField(&Owner), "code", "Код");
        add(new TFloatField(&Owner), "price", "Цена");
        Source = new TDataSource(&Owner);
        Source->SetDataSet(Table);
        Grid = new TDBGrid(&Owner);
        Grid->SetDataSource(Source);
        for (const char* f : {"name", "id", "amount", "d", "code", "price"})
            Grid->Columns()->Add()->SetFieldName(QString::fromLatin1(f));
        Grid->Columns()->Items(1)->SetVisible(false);   // the key is hidden
    }

    void AddRows()
    {
        Db->Execute(QStringLiteral("INSERT INTO OBJ_PAYMENTS VALUES (\"{00000000-0000-0000-0000-000000000001}\", "
                                   "\"Иванов И.И.\", 1500, DateValue('12.05.2024'), \"00123\", 2.5)"));
        Db->Execute(QStringLiteral("INSERT INTO OBJ_PAYMENTS VALUES (\"{00000000-0000-0000-0000-000000000002}\", "
                                   "\"O'Brien\", -20, DateValue('01.02.2023'), \"42\", NULL)"));
    }

    // The workbook the export produced, opened again from its file.
    OleVariant StoredSheet(OleVariant& book)
    {
        EXPECT_FALSE(OfficeShownDocuments().isEmpty());
        if (OfficeShownDocuments().isEmpty()) return {};
        book = CreateOleObject("Excel.Application").Get("WorkBooks").Call("Open", {OfficeShownDocuments().last()});
        return book.Get("WorkSheets", {1});
    }
};

Variant At(const OleVariant& sheet, int r, int c) { return sheet.Get("Cells", {r, c}).Get("Value").Value(); }

TEST_F(ExportGridTest, TheWorkbookHoldsTitleHeaderAndRecordsAsTheGridShowsThem)
{
    RequireOffice();
    AddRows();
    Table->Open();
    Table->Last();
    const int before = int(OfficeShownDocuments().size());
    ExportGridToExcel(Grid, QStringLiteral("Выплаты"));
    EXPECT_TRUE(Boxes.Calls.empty()) << (Boxes.Calls.empty() ? "" : Boxes.Last().Text.toStdString());
    EXPECT_EQ(Table->RecNo(), 1);             // left on the first record
    EXPECT_FALSE(Table->ControlsDisabled());
    ASSERT_EQ(int(OfficeShownDocuments().size()), before + 1);

    OleVariant book;
    OleVariant sheet = StoredSheet(book);
    ASSERT_TRUE(sheet.IsDispatch());
    auto cell = [&](int r, int c) { return sheet.Get("Cells", {r, c}); };
    auto range = [&](int r1, int c1, int r2, int c2) { return sheet.Get("Range", {cell(r1, c1), cell(r2, c2)}); };

    EXPECT_EQ(At(sheet, 1, 1), Variant(QStringLiteral("Выплаты")));
    EXPECT_TRUE(cell(1, 1).Get("Font").Get("Bold").ToBool());
    EXPECT_DOUBLE_EQ(cell(1, 1).Get("Font").Get("Size").ToDouble(), 12.0);
    EXPECT_TRUE(range(2, 1, 2, 6).Get("MergeCells").ToBool());
    EXPECT_TRUE(cell(2, 1).Get("WrapText").ToBool());
    EXPECT_FALSE(At(sheet, 2, 1).isValid());

    // Header over all six columns, the hidden one empty but filled grey too.
    const Variant header[] = {QStringLiteral("Член совета"), Variant(), QStringLiteral("Сумма"), QStringLiteral("Дата"),
                              QStringLiteral("Код"), QStringLiteral("Цена")};
    for (int c = 1; c <= 6; ++c) {
        EXPECT_EQ(At(sheet, 3, c), header[c - 1]) << c;
        EXPECT_EQ(cell(3, c).Get("Interior").Get("Color").ToInt(), 0xC0C0C0) << c;
        EXPECT_TRUE(cell(3, c).Get("Font").Get("Bold").ToBool()) << c;
    }
    EXPECT_FALSE(At(sheet, 3, 7).isValid());
    EXPECT_EQ(cell(4, 1).Get("Interior").Get("ColorIndex").ToInt(), -4142);
    EXPECT_FALSE(cell(4, 1).Get("Font").Get("Bold").ToBool());

    // Integers and floating point as numbers; dates, digit texts and names as text.
    struct { int r, c; Variant want; } cells[] = {
        {4, 1, QStringLiteral("Иванов И.И.")}, {4, 2, Variant()}, {4, 3, 1500.0}, {4, 4, QStringLiteral("12.05.2024")},
        {4, 5, QStringLiteral("00123")}, {4, 6, 2.5},
        {5, 1, QStringLiteral("O'Brien")}, {5, 3, -20.0}, {5, 4, QStringLiteral("01.02.2023")},
        {5, 5, QStringLiteral("42")}, {5, 6, Variant()}, {6, 1, Variant()},
    };
    for (const auto& k : cells) {
        const Variant got = At(sheet, k.r, k.c);
        EXPECT_EQ(got.typeId(), k.want.typeId()) << k.r << "," << k.c;
        EXPECT_EQ(got, k.want) << k.r << "," << k.c;
    }
    EXPECT_DOUBLE_EQ(cell(5, 5).Get("Font").Get("Size").ToDouble(), 8.0);
    EXPECT_EQ(cell(5, 3).Get("HorizontalAlignment").ToInt(), -4131);   // left
    book.Call("Close");
}

TEST_F(ExportGridTest, AnEmptyListGivesTitleGapAndHeaderOnly)
{
    RequireOffice();
    Table->Open();
    ExportGridToExcel(Grid, QStringLiteral("Пусто"));
    ASSERT_TRUE(Boxes.Calls.empty());
    OleVariant book;
    OleVariant sheet = StoredSheet(book);
    ASSERT_TRUE(sheet.IsDispatch());
    EXPECT_EQ(At(sheet, 1, 1), Variant(QStringLiteral("Пусто")));
    EXPECT_TRUE(sheet.Get("Range", {QStringLiteral("A2:F2")}).Get("MergeCells").ToBool());
    EXPECT_EQ(At(sheet, 3, 1), Variant(QStringLiteral("Член совета")));
    EXPECT_EQ(sheet.Get("Cells", {3, 6}).Get("Interior").Get("ColorIndex").ToInt(), 15);
    for (int c = 1; c <= 6; ++c) EXPECT_FALSE(At(sheet, 4, c).isValid()) << c;
    book.Call("Close");
}

TEST_F(ExportGridTest, WithoutASpreadsheetTheMessageIsShownAndTheGridWorksOn)
{
    OfficeShutdown(true);   // no office of an earlier test in this process
    TOfficeOptions o = officetest::TestOptions();
    o.PipeName = QStringLiteral("qv-test-none-%1").arg(getpid());
    o.Program = QStringLiteral("/nonexistent/soffice");
    SetOfficeOptions(o);
    AddRows();
    Table->Open();
    Table->Last();
    ExportGridToExcel(Grid, QStringLiteral("Выплаты"));
    ASSERT_EQ(Boxes.Count(TDialogKind::MessageBox), 1);
    EXPECT_EQ(Boxes.Last().Text, kErrorText);
    EXPECT_EQ(Boxes.Last().Caption, kErrorCaption);
    EXPECT_EQ(Boxes.Last().Flags, MB_OK | MB_ICONERROR);
    EXPECT_EQ(Table->RecNo(), 1);
    EXPECT_FALSE(Table->ControlsDisabled());
    Table->Next();   // the grid's dataset is usable as before
    EXPECT_EQ(Table->RecNo(), 2);
}

TEST_F(ExportGridTest, AClosedListExportsNothing)
{
    bool asked = false;
    RegisterOleServer("Excel.Application", {[&] { asked = true; return OleVariant(); }, [&] { asked = true; return OleVariant(); }});
    ExportGridToExcel(Grid, QStringLiteral("x"));
    RegisterOleServer("Excel.Application", {});
    EXPECT_FALSE(asked);
    EXPECT_TRUE(Boxes.Calls.empty());
}

}  // namespace
