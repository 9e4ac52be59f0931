// The register grid on a real dataset under the offscreen platform.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QKeyEvent>
#include <QPaintEvent>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

#include "../platform/AdoTestUtil.h"
#include "../platform/ScreenInput.h"
#include "GuiFixture.h"
#include "components/DBUtils.h"
#include "components/QvDBCtrl.h"
#include "platform/ado/ADODB.h"
#include "platform/os/IniFiles.h"

namespace {

class GridTest : public GuiTest {
protected:
    QTemporaryDir Dir;
    std::unique_ptr<TADOConnection> Db;
    TADOTable* Table = nullptr;
    TDataSource* Source = nullptr;
    TQvDBGrid* Grid = nullptr;

    void SetUp() override
    {
        GuiTest::SetUp();
        Db = adotest::CreateDb(Dir.filePath(QStringLiteral("g.db")), QString(),
                               {QStringLiteral("CREATE TABLE T (id INTEGER PRIMARY KEY, name VARCHAR(40), "
                                               "amount INTEGER, note MEMO)")});
        for (int i = 1; i <= 30; ++i)
            Db->Execute(QStringLiteral("INSERT INTO T VALUES (%1, \"name%2\", %3, \"memo %1\")").arg(i).arg(i, 2, 10, QLatin1Char('0')).arg(i * 10));
        Table = new TADOTable(Form);
        Table->SetName(QStringLiteral("adoT"));
        Table->SetConnection(Db.get());
        Table->SetTableName(QStringLiteral("T"));
        Source = new TDataSource(Form);
        Source->SetDataSet(Table);
        Grid = new TQvDBGrid(Form);
        Grid->SetName(QStringLiteral("DBGrid"));
        Grid->SetParent(Form);
        Form->SetBounds(100, 100, 640, 300);
        Grid->SetBounds(0, 0, 620, 260);
        Grid->SetTitleButtons(true);
        Grid->SetDataSource(Source);
        Table->Open();
        Events();
    }
    void TearDown() override
    {
        Grid = nullptr;
        GuiTest::TearDown();
        Db.reset();
    }
    TRect Cell(int col, int row) const { return Grid->CellRect(col, row); }
    void Click(int col, int row, TShiftState shift = {})
    {
        TRect r = Cell(col, row);
        Press(r.Left + 3, r.Top + 3, shift);
    }
    void Press(int x, int y, TShiftState shift = {}, TMouseButton b = mbLeft)
    {
        GridPress(b, shift, x, y);
        GridRelease(b, shift, x, y);
    }
    // The protected handlers, as the window's mouse messages reach them.
    struct Access : TQvDBGrid {
        using TQvDBGrid::MouseDown;
        using TQvDBGrid::MouseMove;
        using TQvDBGrid::MouseUp;
    };
    void GridPress(TMouseButton b, TShiftState s, int x, int y) { static_cast<Access*>(Grid)->MouseDown(b, s, x, y); }
    void GridMove(TShiftState s, int x, int y) { static_cast<Access*>(Grid)->MouseMove(s, x, y); }
    void GridRelease(TMouseButton b, TShiftState s, int x, int y) { static_cast<Access*>(Grid)->MouseUp(b, s, x, y); }
    QString Name() const { return Table->FieldByName(QStringLiteral("name"))->AsString(); }
    QStringList SelectedNames()
    {
        QStringList out;
        TBookmark keep = Table->GetBookmark();
        for (int i = 0; i < Grid->SelectedRows()->Count(); ++i) {
            Table->GotoBookmark(Grid->SelectedRows()->Items(i));
            out << Name();
        }
        Table->GotoBookmark(keep);
        return out;
    }
    // Colour of the pixel as 0x00BBGGRR.
    static QRgb Pixel(const QImage& img, int x, int y) { return img.pixel(x, y) & 0xFFFFFF; }
};

TEST_F(GridTest, DefaultsAndColumnsFromFields)
{
    EXPECT_EQ(Grid->Options().Bits(), 3197u);
    EXPECT_TRUE(Grid->ShowGlyphs());
    EXPECT_TRUE(Grid->DefaultDrawing());
    EXPECT_TRUE(Grid->ClearSelection());
    EXPECT_EQ(Grid->FixedCols(), 0);
    ASSERT_EQ(Grid->Columns()->Count(), 4);
    EXPECT_EQ(Grid->Columns()->State(), csDefault);
    EXPECT_EQ(Grid->Columns()->Items(1)->Title()->Caption(), QStringLiteral("name"));
    EXPECT_EQ(Grid->Columns()->Items(2)->Alignment(), taRightJustify);
    // Only the rows that fit are read through the link.
    EXPECT_EQ(Grid->DataLink()->BufferCount(), Grid->VisibleRowCount());
    EXPECT_LT(Grid->DataLink()->BufferCount(), 30);
}

TEST_F(GridTest, MouseToCellForTitleIndicatorAndData)
{
    int c, r;
    TRect t = Cell(2, 0);
    Grid->MouseToCell(t.Left + 2, t.Top + 2, c, r);
    EXPECT_EQ(r, 0);
    EXPECT_EQ(c, 2);
    TRect ind = Cell(0, 3);
    Grid->MouseToCell(ind.Left + 2, ind.Top + 2, c, r);
    EXPECT_EQ(c, 0);
    EXPECT_EQ(r, 3);
    TRect d = Cell(1, 2);
    Grid->MouseToCell(d.Left + 2, d.Top + 2, c, r);
    EXPECT_EQ(c, 1);
    EXPECT_EQ(r, 2);
    Grid->MouseToCell(-5, 5, c, r);
    EXPECT_EQ(c, -1);
}

TEST_F(GridTest, TitleButtonPressAndRelease)
{
    std::vector<int> btn;
    std::vector<QString> titles;
    Grid->OnTitleBtnClick = [&](TObject*, int col, TField* f) { btn.push_back(col); };
    Grid->OnTitleClick = [&](TColumn* c) { titles.push_back(c->FieldName()); };
    TRect a = Cell(2, 0), b = Cell(3, 0);
    GridPress(mbLeft, {}, a.Left + 4, a.Top + 3);
    EXPECT_TRUE(Grid->Tracking());
    EXPECT_TRUE(Grid->TitlePressed());
    EXPECT_EQ(Grid->PressedColumn(), Grid->Columns()->Items(1));
    GridMove({}, b.Left + 4, b.Top + 3);
    EXPECT_FALSE(Grid->TitlePressed());
    GridRelease(mbLeft, {}, b.Left + 4, b.Top + 3);
    EXPECT_FALSE(Grid->Tracking());
    // Released over another title: no button click, the base still sees a title click.
    EXPECT_TRUE(btn.empty());
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_EQ(titles[0], QStringLiteral("amount"));

    Press(a.Left + 4, a.Top + 3);
    ASSERT_EQ(btn.size(), 1u);
    EXPECT_EQ(btn[0], 1);
    EXPECT_EQ(titles.back(), QStringLiteral("name"));

    // A refused press does nothing but beep.
    Grid->OnCheckButton = [](TObject*, int, TField*, bool& en) { en = false; };
    GridPress(mbLeft, {}, a.Left + 4, a.Top + 3);
    EXPECT_FALSE(Grid->Tracking());
    GridRelease(mbLeft, {}, a.Left + 4, a.Top + 3);
    EXPECT_EQ(btn.size(), 1u);
}

TEST_F(GridTest, SortMarkerOnlyWhereAskedAndWhenItFits)
{
    std::vector<QString> asked;
    Grid->OnGetBtnParams = [&](TObject*, TField* f, TFont*, TColor&, TSortMarker& m, bool) {
        asked.push_back(f->FieldName());
        m = f->FieldName() == QLatin1String("name") ? smDown : smNone;
    };
    QImage img = Grid->Grab();
    Screenshot(img, "qvdbgrid_sortmarker");
    auto markerIn = [&](const QImage& im, int col) {
        TRect r = Cell(col, 0);
        for (int y = r.Top; y < r.Bottom; ++y)
            for (int x = r.Left; x < r.Right; ++x)
                if (Pixel(im, x, y) == 0x808080) return true;
        return false;
    };
    EXPECT_TRUE(markerIn(img, 2));
    EXPECT_FALSE(markerIn(img, 1));
    EXPECT_FALSE(markerIn(img, 3));
    EXPECT_NE(std::find(asked.begin(), asked.end(), QStringLiteral("name")), asked.end());

    // Too narrow: no marker, the caption still drawn shortened.
    Grid->Columns()->Items(1)->SetWidth(12);
    img = Grid->Grab();
    EXPECT_FALSE(markerIn(img, 2));

    // An unbound column gets no call.
    asked.clear();
    Grid->Columns()->Items(0)->SetFieldName(QStringLiteral("nosuchfield"));
    Grid->Grab();
    EXPECT_EQ(std::count(asked.begin(), asked.end(), QStringLiteral("nosuchfield")), 0);
}

TEST_F(GridTest, CellParamsColourTheCells)
{
    Grid->OnGetCellParams = [](TObject*, TField* f, TFont* font, TColor& bg, bool hl) {
        if (!hl && f->DataSet()->FieldByName(QStringLiteral("amount"))->AsInteger() == 30) bg = clRed;
    };
    QImage img = Grid->Grab();
    TRect third = Cell(1, 3), second = Cell(1, 2);   // rows: 1 title, then records 1..
    EXPECT_EQ(Pixel(img, third.Right - 2, third.Top + 2), QRgb(0xFF0000));
    EXPECT_NE(Pixel(img, second.Right - 2, second.Top + 2), QRgb(0xFF0000));
}

TEST_F(GridTest, MultiSelectByMouseAndKeys)
{
    Grid->SetOptions(Grid->Options() + dgMultiSelect);
    EXPECT_TRUE(Grid->MultiSelect());
    Click(1, 2);
    EXPECT_EQ(SelectedNames(), QStringList{QStringLiteral("name02")});
    Click(1, 4, TShiftState{ssCtrl});
    EXPECT_EQ(SelectedNames(), (QStringList{QStringLiteral("name02"), QStringLiteral("name04")}));
    Click(1, 4, TShiftState{ssCtrl});   // toggles off
    EXPECT_EQ(SelectedNames(), QStringList{QStringLiteral("name02")});
    Click(1, 3);
    EXPECT_EQ(SelectedNames(), QStringList{QStringLiteral("name03")});

    Grid->SimulateKeyDown(VK_DOWN, TShiftState{ssShift});
    Grid->SimulateKeyDown(VK_DOWN, TShiftState{ssShift});
    EXPECT_EQ(SelectedNames(), (QStringList{QStringLiteral("name03"), QStringLiteral("name04"), QStringLiteral("name05")}));
    // The marks show in the indicator column.
    QImage img = Grid->Grab();
    Screenshot(img, "qvdbgrid_multiselect");
    TRect ind = Cell(0, 3);
    bool mark = false;
    for (int y = ind.Top; y < ind.Bottom; ++y)
        for (int x = ind.Left; x < ind.Right; ++x) mark = mark || Pixel(img, x, y) == 0;
    EXPECT_TRUE(mark);
    Grid->SimulateKeyDown(VK_UP, TShiftState{ssShift});
    Grid->SimulateKeyDown(VK_UP, TShiftState{ssShift});
    EXPECT_EQ(SelectedNames(), QStringList{QStringLiteral("name03")});
    // A plain move leaves the row moved to alone selected, as a plain click
    // does; without ClearSelection it leaves the selection as it was.
    Grid->SimulateKeyDown(VK_DOWN);
    EXPECT_EQ(SelectedNames(), QStringList{QStringLiteral("name04")});
    Grid->SimulateKeyDown(VK_NEXT);
    EXPECT_EQ(SelectedNames(), QStringList{Name()});
    Grid->SetClearSelection(false);
    Grid->SimulateKeyDown(VK_UP);
    EXPECT_EQ(SelectedNames().size(), 1);
    EXPECT_NE(SelectedNames(), QStringList{Name()});
    Grid->SetOptions(Grid->Options() - dgMultiSelect);
    EXPECT_EQ(Grid->SelectedRows()->Count(), 0);
}

TEST_F(GridTest, DeletionKeyRules)
{
    struct Case {
        bool confirm;
        int selected;
        int answer;
        const char* question;
        int deleted;
    };
    const Case cases[] = {
        {true, 3, mrYes, "Delete all selected records?", 3},
        {true, 0, mrYes, "Delete record?", 1},
        {true, 3, mrNo, "Delete all selected records?", 0},
        {false, 3, 0, nullptr, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.question ? c.question : "no confirmation");
        Table->Close();
        Table->Open();
        Grid->SetOptions((c.confirm ? Grid->Options() + dgConfirmDelete : Grid->Options() - dgConfirmDelete) +
                         dgMultiSelect);
        Click(1, 1);
        for (int i = 1; i < c.selected; ++i) Grid->SimulateKeyDown(VK_DOWN, TShiftState{ssShift});
        if (c.selected == 0) Grid->SelectedRows()->Clear();
        const int before = Table->RecordCount();
        TDialogRecorder rec;
        if (c.answer) rec.Answers.push_back(c.answer);
        Grid->SimulateKeyDown(VK_DELETE, TShiftState{ssCtrl});
        EXPECT_EQ(before - Table->RecordCount(), c.deleted);
        if (c.question) {
            ASSERT_EQ(rec.Calls.size(), 1u);
            EXPECT_EQ(rec.Last().Text, QString::fromLatin1(c.question));
        } else {
            EXPECT_TRUE(rec.Calls.empty());
        }
    }
    // The form's handler turning the key into 12 stops the grid's own deletion.
    Grid->OnKeyDown = [](TObject*, WORD& key, TShiftState s) {
        if (key == VK_DELETE && s.Contains(ssCtrl)) key = 12;
    };
    const int before = Table->RecordCount();
    TDialogRecorder rec;
    Grid->SimulateKeyDown(VK_DELETE, TShiftState{ssCtrl});
    EXPECT_EQ(Table->RecordCount(), before);
}

TEST_F(GridTest, DownOnLastRecordAppendsOnlyWhenEditable)
{
    Table->Last();
    Grid->SimulateKeyDown(VK_DOWN);
    EXPECT_EQ(Table->State(), dsInsert);
    Table->Cancel();
    Grid->SetReadOnly(true);
    Table->Last();
    Grid->SimulateKeyDown(VK_DOWN);
    EXPECT_EQ(Table->State(), dsBrowse);
}

TEST_F(GridTest, FrozenColumnsWithHomeLeftAndTab)
{
    Grid->SetOptions(Grid->Options() + dgTabs);
    Grid->SetFixedCols(1);
    EXPECT_EQ(Grid->FixedCols(), 1);
    EXPECT_EQ(Grid->FixedCount(), 2);
    EXPECT_FALSE(Grid->TabStops(1));
    Grid->SetSelectedIndex(3);
    Grid->SimulateKeyDown(VK_HOME);
    EXPECT_EQ(Grid->SelectedIndex(), 1);   // first column after the frozen one
    Grid->SimulateKeyDown(VK_LEFT);
    EXPECT_EQ(Grid->SelectedIndex(), 1);   // left stops at the frozen columns
    Grid->SimulateKeyDown(VK_TAB);
    EXPECT_EQ(Grid->SelectedIndex(), 2);
    // A click on the frozen cell selects the row, never the cell.
    Click(1, 3);
    EXPECT_EQ(Grid->SelectedIndex(), 2);
    EXPECT_EQ(Name(), QStringLiteral("name03"));
}

TEST_F(GridTest, KeyPressFiresOutsideTheEditorAndOnce)
{
    QString typed;
    Grid->OnKeyPress = [&](TObject*, QChar& k) { typed += k; };
    Grid->SetReadOnly(true);
    Grid->SimulateKeyPress(QLatin1Char('a'));
    EXPECT_EQ(typed, QStringLiteral("a"));
    // The handler may eat the key: no editor then.
    Grid->SetReadOnly(false);
    Grid->OnKeyPress = [&](TObject*, QChar& k) { typed += k; k = QChar(); };
    Grid->SimulateKeyPress(QLatin1Char('b'));
    EXPECT_FALSE(Grid->EditorMode());
    EXPECT_EQ(typed, QStringLiteral("ab"));
}

TEST_F(GridTest, EditorWritesTheFieldAndPickList)
{
    Grid->SetSelectedIndex(1);
    Grid->SimulateKeyPress(QLatin1Char('Z'));
    ASSERT_TRUE(Grid->EditorMode());
    EXPECT_EQ(Grid->InplaceEditor()->Text(), QStringLiteral("Z"));
    Grid->SimulateKeyDown(VK_RETURN);
    EXPECT_FALSE(Grid->EditorMode());
    EXPECT_EQ(Name(), QStringLiteral("Z"));
    Grid->SimulateKeyDown(VK_DOWN);   // posts
    EXPECT_EQ(Table->State(), dsBrowse);
    Table->First();
    EXPECT_EQ(Name(), QStringLiteral("Z"));

    TColumn* col = Grid->Columns()->Items(1);
    col->PickList()->Add(QStringLiteral("Да"));
    col->PickList()->Add(QStringLiteral("Нет"));
    Grid->SetEditorMode(true);
    EXPECT_EQ(Grid->InplaceEditor()->Items(), (QStringList{QStringLiteral("Да"), QStringLiteral("Нет")}));
    Grid->SetEditorMode(false);
}

// F2 opens the editor on the field's text, selected; what is typed then
// replaces it whole, the first character included, although that character
// is what starts the edit of the record.
TEST_F(GridTest, TypingOverTheSelectedTextStartsTheEditAndKeepsEveryCharacter)
{
    Grid->SetSelectedIndex(2);   // amount, 10
    Grid->SimulateKeyDown(VK_F2);
    ASSERT_TRUE(Grid->EditorMode());
    ASSERT_EQ(Table->State(), dsBrowse);
    QWidget* editor = Grid->InplaceEditor()->Widget();
    ASSERT_NE(editor, nullptr);
    screen::Type(editor, QStringLiteral("150"));
    EXPECT_EQ(Table->State(), dsEdit);
    EXPECT_EQ(Grid->InplaceEditor()->Text(), QStringLiteral("150"));
    Grid->SimulateKeyDown(VK_RETURN);
    Table->Post();
    EXPECT_EQ(Table->FieldByName(QStringLiteral("amount"))->AsInteger(), 150);
}

TEST_F(GridTest, MemoFieldShowsPictureAndNoEditor)
{
    TField* memo = Table->FieldByName(QStringLiteral("note"));
    EXPECT_EQ(Grid->GetImageIndex(memo), 1);
    EXPECT_EQ(Grid->GetImageIndex(Table->FieldByName(QStringLiteral("name"))), -1);
    Grid->SetSelectedIndex(3);
    Grid->SetEditorMode(true);
    EXPECT_FALSE(Grid->EditorMode());
    // The picture's olive background is drawn transparent: no olive pixel.
    QImage img = Grid->Grab();
    TRect r = Cell(4, 2);
    bool olive = false, dark = false;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x) {
            olive = olive || Pixel(img, x, y) == 0x008080;
            dark = dark || Pixel(img, x, y) == 0;
        }
    EXPECT_FALSE(olive);
    EXPECT_TRUE(dark);
    Grid->SetShowGlyphs(false);
    EXPECT_EQ(Grid->GetImageIndex(memo), -1);
}

TEST_F(GridTest, RowsHeightSetsTitleRow)
{
    Grid->SetRowsHeight(20);
    EXPECT_EQ(Grid->RowsHeight(), 20);
    EXPECT_EQ(Grid->RowHeights(0), 22);
    EXPECT_EQ(Grid->CellRect(1, 1).Height(), 20);
}

TEST_F(GridTest, GridLayoutRoundTripsThroughTheSettingsFile)
{
    TColumn* a = Grid->Columns()->Add();
    a->SetFieldName(QStringLiteral("name"));
    TColumn* b = Grid->Columns()->Add();
    b->SetFieldName(QStringLiteral("amount"));
    ASSERT_EQ(Grid->Columns()->Count(), 2);   // the user's columns replace the default ones
    b->SetWidth(77);
    TIniFile ini(Dir.filePath(QStringLiteral("q.ini")));
    Grid->SaveGridLayout(&ini, QStringLiteral("S"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("DBGrid.amount"), QString()), QStringLiteral("1,77"));
    b->SetIndex(0);
    b->SetWidth(10);
    ini.WriteString(QStringLiteral("S"), QStringLiteral("DBGrid.name"), QStringLiteral("0,x"));   // bad width word
    Grid->RestoreGridLayout(&ini, QStringLiteral("S"));
    EXPECT_EQ(Grid->Columns()->Items(0)->FieldName(), QStringLiteral("name"));
    EXPECT_EQ(Grid->Columns()->Items(1)->Width(), 77);
}

TEST_F(GridTest, FieldLayoutStore)
{
    TIniFile ini(Dir.filePath(QStringLiteral("f.ini")));
    TField* name = Table->FieldByName(QStringLiteral("name"));
    name->SetDisplayWidth(15);
    SaveFields(Table, &ini, QString());
    // Owned by a form: the section is the form's class name.
    EXPECT_EQ(ini.ReadString(QStringLiteral("TForm"), QStringLiteral("adoTname"), QString()), QStringLiteral("1,15,1"));
    struct Case { const char* key; const char* value; int index; int width; bool visible; };
    const Case cases[] = {
        {"adoTname", "2,30,0", 2, 30, false},    // moved, wider, hidden
        {"adoTname", "x,y,z", 1, 15, true},      // malformed words keep the values
        {"adoTnone", "0,1,0", 1, 15, true},      // no entry of its own
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        name->SetIndex(1);
        name->SetDisplayWidth(15);
        name->SetVisible(true);
        ini.EraseSection(QStringLiteral("L"));
        ini.WriteString(QStringLiteral("L"), QString::fromLatin1(c.key), QString::fromLatin1(c.value));
        RestoreFields(Table, &ini, QStringLiteral("L"), true);
        EXPECT_EQ(name->Index(), c.index);
        EXPECT_EQ(name->DisplayWidth(), c.width);
        EXPECT_EQ(name->Visible(), c.visible);
    }
    // Two fields on one place: only the first is moved there.
    ini.EraseSection(QStringLiteral("D"));
    ini.WriteString(QStringLiteral("D"), QStringLiteral("adoTid"), QStringLiteral("3"));
    ini.WriteString(QStringLiteral("D"), QStringLiteral("adoTamount"), QStringLiteral("3"));
    name->SetIndex(1);
    RestoreFields(Table, &ini, QStringLiteral("D"), false);
    EXPECT_EQ(Table->FieldByName(QStringLiteral("id"))->Index(), 3);
    EXPECT_TRUE(IsDataSetEmpty(nullptr));
    EXPECT_FALSE(IsDataSetEmpty(Table));
}

}  // namespace

namespace {
// Counts the paint events a widget gets and the area they cover.
class PaintCounter : public QObject {
public:
    int Paints = 0;
    QRegion Area;
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint) {
            ++Paints;
            Area += static_cast<QPaintEvent*>(e)->region();
        }
        return false;
    }
};
}  // namespace

TEST_F(GridTest, RowsReadAgainOrScrolledArePaintedAgain)
{
    auto* area = qobject_cast<QAbstractScrollArea*>(Grid->Widget());
    ASSERT_NE(area, nullptr);
    PaintCounter counter;
    area->viewport()->installEventFilter(&counter);
    Events();
    const QRect whole = area->viewport()->rect();
    for (const auto& change : std::vector<std::function<void()>>{[&] { Table->Requery(); },
                                                                  [&] { Table->MoveBy(25); },
                                                                  [&] { Table->First(); }}) {
        counter.Paints = 0;
        counter.Area = QRegion();
        change();
        Events();
        EXPECT_GT(counter.Paints, 0);
        EXPECT_TRUE(counter.Area.contains(whole));
    }
    area->viewport()->removeEventFilter(&counter);
}
