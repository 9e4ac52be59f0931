// Data-aware controls on a table: what they show after the event loop, what
// typing posts through the link, lookups with one and two list fields, the
// navigator's buttons and their hints; the check box set without its click
// handler, the splitter's limits, hidden tab sheets and their on-show event;
// the page keys from the controls on the pages; Enter and Esc in a modal
// dialog, for data-aware and plain controls.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <QToolButton>
#include <functional>

#include "AdoTestUtil.h"
#include "ScreenInput.h"
#include "ShownForm.h"
#include "Warnings.h"
#include "WindowSystem.h"
#include "platform/ado/ADODB.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComboBoxes.h"
#include "platform/ui/DBGrids.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

using namespace adotest;

namespace {

// A painted control whose painting raises while Fail is set.
class TFailingPaint : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    bool Fail = false;
    void Paint() override
    {
        if (Fail) throw Exception(QStringLiteral("Нет данных"));
    }
};

class DBCtrlsTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    std::unique_ptr<TADOConnection> Db;
    TForm* Form = nullptr;
    TADOTable* Sessions = nullptr;
    TADOTable* Forms = nullptr;
    TDataSource* Src = nullptr;
    TDataSource* FormsSrc = nullptr;

    void SetUp() override
    {
        Db = CreateDb(Dir.filePath(QStringLiteral("c.db")), QString(),
                      {QStringLiteral("CREATE TABLE OBJ_SESSIONS (id CHAR(38), pnumber VARCHAR(5), id_form CHAR(38), "
                                      "mcomment MEMO TEXT, memberscount INTEGER)"),
                       QStringLiteral("CREATE TABLE REF_FORMS (id CHAR(38), name VARCHAR(255), fdate DATETIME)")});
        Db->Execute(QStringLiteral("INSERT INTO OBJ_SESSIONS VALUES (\"s1\", \"12\", \"f2\", \"раз\r\nдва\", 7)"));
        Db->Execute(QStringLiteral("INSERT INTO OBJ_SESSIONS VALUES (\"s2\", \"13\", NULL, NULL, 3)"));
        Db->Execute(QStringLiteral("INSERT INTO REF_FORMS VALUES (\"f1\", \"Очная\", #2024-01-05#)"));
        Db->Execute(QStringLiteral("INSERT INTO REF_FORMS VALUES (\"f2\", \"Заочная\", #2024-02-06#)"));
        Form = NewForm<TForm>(nullptr);
        Form->SetBounds(0, 0, 500, 400);
        Sessions = Table(QStringLiteral("OBJ_SESSIONS"));
        Forms = Table(QStringLiteral("REF_FORMS"));
        Src = new TDataSource(Form);
        Src->SetDataSet(Sessions);
        FormsSrc = new TDataSource(Form);
        FormsSrc->SetDataSet(Forms);
    }
    void TearDown() override
    {
        if (Sessions->Active() && Sessions->State() != dsBrowse) Sessions->Cancel();
        Form->Free();
        Db.reset();
    }
    TADOTable* Table(const QString& name)
    {
        auto* t = new TADOTable(Form);
        t->SetConnection(Db.get());
        t->SetTableName(name);
        t->Open();
        return t;
    }
    template <class C>
    C* Make(int top, int height = 21)
    {
        auto* c = new C(Form);
        c->SetParent(Form);
        c->SetBounds(10, top, 200, height);
        return c;
    }
    // The session's form chosen by its name.
    TDBLookupComboBox* FormLookup()
    {
        auto* box = Make<TDBLookupComboBox>(10);
        box->SetListSource(FormsSrc);
        box->SetKeyField(QStringLiteral("id"));
        box->SetListField(QStringLiteral("name"));
        box->SetDataSource(Src);
        box->SetDataField(QStringLiteral("id_form"));
        return box;
    }
    void Show()
    {
        Form->Show();
        Application->ProcessMessages();
    }
    // A grid on the sessions and beside it a memo on their comment, and a
    // plain edit.
    struct GridAndMemo {
        TDBGrid* grid;
        TDBMemo* memo;
        TEdit* other;
    };
    GridAndMemo MakeGridAndMemo()
    {
        auto* grid = Make<TDBGrid>(10, 120);
        grid->SetDataSource(Src);
        auto* memo = Make<TDBMemo>(140, 80);
        memo->SetDataSource(Src);
        memo->SetDataField(QStringLiteral("mcomment"));
        return {grid, memo, Make<TEdit>(230)};
    }
    // A click on a row the grid shows (0 = the top one), and one into the
    // memo, which takes the focus with it.
    static void ClickRow(TDBGrid* grid, int dataRow)
    {
        const TRect r = grid->CellRect(1, grid->TopRow() + dataRow);
        screen::Click(qobject_cast<QAbstractScrollArea*>(grid->Widget())->viewport(), QPointF(r.Left + 3, r.Top + 3));
        Application->ProcessMessages();
    }
    static void ClickMemo(TDBMemo* memo)
    {
        screen::Click(qobject_cast<QAbstractScrollArea*>(memo->Widget())->viewport());
        Application->ProcessMessages();
    }
    QString Stored(const QString& field)
    {
        return Query(Db.get(), QStringLiteral("SELECT %1 FROM OBJ_SESSIONS WHERE id=\"s1\"").arg(field));
    }
    // A grid over the sessions whose form is chosen from a list by its name
    // (a lookup cell, the grid's current column), with a third form "Опрос";
    // beside it a plain edit.
    struct LookupGrid {
        TADOTable* sessions;
        TDBGrid* grid;
        TEdit* other;
    };
    LookupGrid MakeLookupGrid()
    {
        Db->Execute(QStringLiteral("INSERT INTO REF_FORMS VALUES (\"f3\", \"Опрос\", #2024-03-07#)"));
        Forms->Requery();
        auto* sessions = new TADOTable(Form);
        sessions->SetConnection(Db.get());
        sessions->SetTableName(QStringLiteral("OBJ_SESSIONS"));
        for (const char* name : {"id", "pnumber", "id_form"}) {
            auto* f = new TWideStringField(Form);
            f->SetFieldName(QString::fromLatin1(name));
            f->SetDataSet(sessions);
        }
        for (const char* key : {"id", "id_form"}) sessions->FieldByName(QString::fromLatin1(key))->SetVisible(false);
        auto* form = new TWideStringField(Form);
        form->SetFieldName(QStringLiteral("form"));
        form->SetFieldKind(fkLookup);
        form->SetKeyFields(QStringLiteral("id_form"));
        form->SetLookupDataSet(Forms);
        form->SetLookupKeyFields(QStringLiteral("id"));
        form->SetLookupResultField(QStringLiteral("name"));
        form->SetDataSet(sessions);
        sessions->Open();
        auto* src = new TDataSource(Form);
        src->SetDataSet(sessions);
        auto* grid = Make<TDBGrid>(10, 120);
        grid->SetDataSource(src);
        grid->SetSelectedField(form);
        return {sessions, grid, Make<TEdit>(230)};
    }
};

TEST_F(DBCtrlsTest, EditShowsTheFieldAndTypingPostsThroughTheLink)
{
    auto* ed = Make<TDBEdit>(10);
    ed->SetDataSource(Src);
    ed->SetDataField(QStringLiteral("pnumber"));
    auto* other = Make<TDBEdit>(40);
    other->SetDataSource(Src);
    other->SetDataField(QStringLiteral("memberscount"));
    Show();
    EXPECT_EQ(ed->LineEdit()->text(), QStringLiteral("12"));
    EXPECT_EQ(ed->MaxLength(), 5);   // the string field's size
    EXPECT_TRUE(ed->LineEdit()->isReadOnly());   // browsing: nothing typed yet

    ed->SetFocus();
    ed->LineEdit()->selectAll();
    ed->TypeText(QStringLiteral("44"));
    EXPECT_EQ(Sessions->State(), dsEdit);   // typing started the edit
    EXPECT_EQ(ed->LineEdit()->text(), QStringLiteral("44"));
    Sessions->Post();   // the pending text goes into the record
    EXPECT_EQ(Stored(QStringLiteral("pnumber")), QStringLiteral("44"));

    // Moving shows the next record; Esc gives back the field's value.
    Sessions->Next();
    Application->ProcessMessages();
    EXPECT_EQ(ed->LineEdit()->text(), QStringLiteral("13"));
    ed->TypeText(QStringLiteral("9"));
    ed->TypeKey(VK_ESCAPE, {}, QChar(27));
    EXPECT_EQ(ed->LineEdit()->text(), QStringLiteral("13"));
    Sessions->Cancel();
}

TEST_F(DBCtrlsTest, EditRefusesInputWhenTheSourceCannotEditAndReportsABadValue)
{
    Src->SetAutoEdit(false);
    auto* ed = Make<TDBEdit>(10);
    ed->SetDataSource(Src);
    ed->SetDataField(QStringLiteral("memberscount"));
    auto* next = Make<TDBEdit>(40);
    Show();
    ed->SetFocus();
    ed->TypeText(QStringLiteral("5"));
    EXPECT_EQ(Sessions->State(), dsBrowse);
    EXPECT_EQ(ed->LineEdit()->text(), QStringLiteral("7"));

    // Editing: a pasted text the integer field refuses is reported and the
    // edit keeps the focus (a letter typed is refused as it is typed).
    Sessions->Edit();
    Application->ProcessMessages();
    ed->LineEdit()->selectAll();
    QApplication::clipboard()->setText(QStringLiteral("x"));
    ed->TypeKey('V', TShiftState{ssCtrl}, QChar(0x16));
    ASSERT_EQ(ed->LineEdit()->text(), QStringLiteral("x"));
    QStringList shown;
    SetDialogHook([&](const TDialogRequest& r) {
        shown << r.Text;
        return IDOK;
    });
    next->SetFocus();
    Application->ProcessMessages();
    SetDialogHook(nullptr);
    EXPECT_EQ(shown, QStringList{QStringLiteral("'x' is not a valid integer value for field 'memberscount'")});
    EXPECT_TRUE(ed->Focused());
    EXPECT_EQ(Sessions->FieldByName(QStringLiteral("memberscount"))->AsInteger(), 7);
    Sessions->Cancel();
}

// A character that cannot belong to a number is refused as it is typed, with
// a beep, in a data-aware edit and in the grid's editor alike; a text field
// takes every character.
TEST_F(DBCtrlsTest, NumberFieldsRefuseWhatCannotBelongToTheNumberAsItIsTyped)
{
    Db->Execute(QStringLiteral("CREATE TABLE NUMS (id CHAR(38), n INTEGER, x FLOAT, t VARCHAR(20))"));
    Db->Execute(QStringLiteral("INSERT INTO NUMS VALUES (\"r1\", NULL, NULL, NULL)"));
    TADOTable* nums = Table(QStringLiteral("NUMS"));
    auto* src = new TDataSource(Form);
    src->SetDataSet(nums);
    auto* ed = Make<TDBEdit>(10);
    ed->SetDataSource(src);
    auto* grid = Make<TDBGrid>(40, 120);
    grid->SetDataSource(src);
    Show();
    int beeps = 0;
    SetBeepHandler([&] { ++beeps; });
    // One key event per character, to whatever has the focus, as typing does.
    auto type = [](const char* text) { TypeKeys(QString::fromLatin1(text)); };
    struct Case { const char* field; const char* typed; const char* kept; int refused; };
    const Case cases[] = {
        {"n", "-12a3,5e+", "-1235+", 3},   // integer: digits and signs
        {"n", "a7", "7", 1},               // a refused first key opens no grid editor
        {"x", "-1,5e3x.", "-1,5e3", 2},    // float: also the decimal comma and the exponent
        {"t", "12a,e.", "12a,e.", 0},
    };
    for (const Case& c : cases) {
        const QString field = QString::fromLatin1(c.field);
        ed->SetDataField(field);
        ed->SetFocus();
        Application->ProcessMessages();
        beeps = 0;
        type(c.typed);
        EXPECT_EQ(ed->LineEdit()->text(), QString::fromLatin1(c.kept)) << "edit " << c.typed;
        EXPECT_EQ(beeps, c.refused) << "edit " << c.typed;
        nums->Cancel();

        grid->SetSelectedField(nums->FieldByName(field));
        grid->SetFocus();
        Application->ProcessMessages();
        beeps = 0;
        type(c.typed);
        ASSERT_TRUE(grid->InplaceEditor()->Visible()) << "grid " << c.typed;
        EXPECT_EQ(grid->InplaceEditor()->Text(), QString::fromLatin1(c.kept)) << "grid " << c.typed;
        EXPECT_EQ(beeps, c.refused) << "grid " << c.typed;
        nums->Cancel();
        grid->SetEditorMode(false);
    }
    SetBeepHandler(nullptr);
}

TEST_F(DBCtrlsTest, MemoShowsLinesAndWritesCrLfText)
{
    auto* memo = Make<TDBMemo>(10, 80);
    memo->SetDataSource(Src);
    memo->SetDataField(QStringLiteral("mcomment"));
    memo->SetScrollBars(ssVertical);
    Show();
    auto* plain = qobject_cast<QPlainTextEdit*>(memo->Widget());
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->toPlainText(), QStringLiteral("раз\nдва"));
    EXPECT_TRUE(plain->isReadOnly());

    memo->SetFocus();
    plain->moveCursor(QTextCursor::End);
    memo->TypeChar(QLatin1Char('!'));
    EXPECT_EQ(Sessions->State(), dsEdit);
    Sessions->Post();
    EXPECT_EQ(Stored(QStringLiteral("mcomment")), QStringLiteral("раз\r\nдва!"));

    // Another record with a null memo shows an empty text.
    Sessions->Next();
    Application->ProcessMessages();
    EXPECT_TRUE(plain->toPlainText().isEmpty());
}

// "+" on a grid, then a click into the memo beside it: the new row stays,
// because the memo edits a field of that very record, and the memo's text
// goes into it; the other records keep theirs. Leaving the grid for a control
// of anything else still throws an untouched new row away. Esc in the memo
// puts the stored text back, so a later move to another row stores nothing.
TEST_F(DBCtrlsTest, AMemoBesideTheGridFillsTheNewRowAndEscPutsBackTheStoredText)
{
    auto [grid, memo, other] = MakeGridAndMemo();
    Show();
    ActivateForm(Form);
    auto clickRow = [&](int dataRow) { ClickRow(grid, dataRow); };
    auto stored = [&] { return Query(Db.get(), QStringLiteral("SELECT id, mcomment FROM OBJ_SESSIONS ORDER BY id")); };
    auto clickMemo = [&] { ClickMemo(memo); };
    const QString before = stored();

    clickRow(1);
    ASSERT_TRUE(grid->Focused());
    Sessions->Insert();   // the tool bar's "+": the focus stays in the grid
    clickMemo();
    ASSERT_TRUE(memo->Focused());
    EXPECT_EQ(Sessions->State(), dsInsert);
    TypeKeys(QStringLiteral("новая"));
    clickRow(0);
    EXPECT_EQ(Sessions->State(), dsBrowse);
    EXPECT_EQ(stored(), QStringLiteral("|новая,") + before);   // the new row has no key

    // An untouched new row goes when the focus leaves for another control.
    Db->Execute(QStringLiteral("DELETE FROM OBJ_SESSIONS WHERE id IS NULL"));
    Sessions->Requery();
    clickRow(0);
    Sessions->Insert();
    other->SetFocus();
    Application->ProcessMessages();
    EXPECT_EQ(Sessions->State(), dsBrowse);

    // Typing at the end of the memo, Esc: the stored text is back and
    // nothing typed is saved by the move to another row.
    clickRow(0);
    clickMemo();
    ASSERT_TRUE(memo->Focused());
    auto* plain = qobject_cast<QPlainTextEdit*>(memo->Widget());
    plain->moveCursor(QTextCursor::End);
    TypeKeys(QStringLiteral(" три"));
    EXPECT_EQ(plain->toPlainText(), QStringLiteral("раз\nдва три"));
    PressKey(Qt::Key_Escape);
    EXPECT_EQ(plain->toPlainText(), QStringLiteral("раз\nдва"));
    clickRow(1);
    EXPECT_EQ(Sessions->State(), dsBrowse);
    EXPECT_EQ(stored(), before);
}

// The new row kept for the memo beside the grid is left as the grid leaves
// it once the focus goes on from the memo to another control of the window,
// and when the window calls for it as it closes. Untouched, it is cancelled
// and the record before it is current again; typed into, it stays with the
// text for its post. Another window or another program taking the focus for
// a while leave it waiting for the memo. Back in the grid, the grid has its
// row again.
// The values an after-insert handler fills in (a default date, a key) are
// not the user's: in a grid the rows are typed in, such a row is untouched
// and goes when the grid is left or the record is moved from, instead of
// being stored empty. Typed into, it is stored. A grid that only shows rows
// made elsewhere counts every change, as the dataset does.
TEST_F(DBCtrlsTest, DefaultsFilledInOnInsertLeaveTheNewRowUntouched)
{
    auto [grid, memo, other] = MakeGridAndMemo();
    Sessions->AfterInsert = [](TDataSet* ds) { ds->FieldByName(QStringLiteral("mcomment"))->SetAsString(QStringLiteral("по умолчанию")); };
    Show();
    ActivateForm(Form);
    auto count = [&] { return Query(Db.get(), QStringLiteral("SELECT COUNT(*) FROM OBJ_SESSIONS")); };
    const QString before = count();
    struct Case {
        const char* what;
        bool editing;
        std::function<void()> leave;
        bool typed, kept;
        bool posted = false;   // stored by the leaving itself
    };
    const std::function<void()> toOther = [&] {
        screen::Click(other->Widget());
        Application->ProcessMessages();
    };
    const std::function<void()> move = [&] { Sessions->Next(); };
    const std::function<void()> post = [&] { Sessions->Post(); };
    for (const Case& c : {Case{"to another control", true, toOther, false, false},
                          Case{"a move", true, move, false, false},
                          Case{"an explicit post, which stores it", true, post, false, false, true},
                          Case{"to another control, typed", true, toOther, true, true},
                          Case{"a read-only grid", false, toOther, false, true}}) {
        grid->SetOptions(c.editing ? grid->Options() + dgEditing : grid->Options() - dgEditing);
        ClickRow(grid, 0);
        Sessions->Insert();
        EXPECT_TRUE(Sessions->Modified()) << c.what;
        if (c.typed) Sessions->FieldByName(QStringLiteral("pnumber"))->SetAsString(QStringLiteral("77"));
        c.leave();
        EXPECT_EQ(Sessions->State(), c.kept ? dsInsert : dsBrowse) << c.what;
        if (Sessions->State() == dsInsert) c.typed ? Sessions->Post() : Sessions->Cancel();
        EXPECT_EQ(count().toInt(), before.toInt() + (c.typed || c.posted ? 1 : 0)) << c.what;
        Db->Execute(QStringLiteral("DELETE FROM OBJ_SESSIONS WHERE pnumber=\"77\" OR pnumber IS NULL"));
        Sessions->Requery();
    }
    Sessions->AfterInsert = nullptr;
}

TEST_F(DBCtrlsTest, TheNewRowKeptForTheMemoIsLeftWhenTheFocusGoesOnFromIt)
{
    auto [grid, memo, other] = MakeGridAndMemo();
    ShownForm<> second;
    Show();
    second.Show();
    ActivateForm(Form);
    auto clickCell = [&](int dataRow) { ClickRow(grid, dataRow); };
    auto count = [&] { return Query(Db.get(), QStringLiteral("SELECT COUNT(*) FROM OBJ_SESSIONS")); };
    const QString before = count();

    struct Case {
        const char* leave;
        const char* typed;   // into the memo before the focus goes on
        std::function<void()> go;
        bool kept;           // the new row is still being inserted
    };
    const std::function<void()> toOther = [&] {
        screen::Click(other->Widget());
        Application->ProcessMessages();
    };
    const std::function<void()> toSecond = [&] { ActivateForm(second.form); };
    const std::function<void()> toProgram = [] { OtherProgramTakesTheFocus(); };
    const std::function<void()> toGrid = [&] { clickCell(0); };   // the new row's own cell
    const std::function<void()> closing = [&] { grid->CancelUntouchedNewRow(); };
    // Another window or program for a while, then back in the memo and on
    // to another control.
    auto forAWhile = [&](const std::function<void()>& away) -> std::function<void()> {
        return [&, away] {
            away();
            EXPECT_EQ(Sessions->State(), dsInsert);
            ActivateForm(Form);
            ASSERT_TRUE(memo->Focused());
            toOther();
        };
    };
    const std::function<void()> toSecondAndOn = forAWhile(toSecond), toProgramAndOn = forAWhile(toProgram);
    const Case cases[] = {
        {"another control", "", toOther, false},
        {"another window, then another control", "", toSecondAndOn, false},
        {"another program, then another control", "", toProgramAndOn, false},
        {"the window closing", "", closing, false},
        {"the grid", "", toGrid, true},
        {"another control", "текст", toOther, true},
        {"another program, then another control", "текст", toProgramAndOn, true},
        {"the window closing", "текст", closing, true},
    };
    for (const Case& c : cases) {
        const std::string what = std::string(c.leave) + (*c.typed ? ", typed" : "");
        ActivateForm(Form);
        clickCell(1);
        clickCell(0);   // the first session, the grid's editor closed
        ASSERT_TRUE(grid->Focused()) << what;
        Sessions->Insert();   // the tool bar's "+": the focus stays in the grid
        ClickMemo(memo);
        ASSERT_TRUE(memo->Focused()) << what;
        ASSERT_EQ(Sessions->State(), dsInsert) << what;
        TypeKeys(QString::fromUtf8(c.typed));
        c.go();
        EXPECT_EQ(Sessions->State(), c.kept ? dsInsert : dsBrowse) << what;
        if (c.kept)
            EXPECT_EQ(Sessions->FieldByName(QStringLiteral("mcomment"))->AsString(), QString::fromUtf8(c.typed)) << what;
        else
            EXPECT_EQ(Sessions->FieldByName(QStringLiteral("id"))->AsString(), QStringLiteral("s1")) << what;
        if (Sessions->State() == dsInsert) Sessions->Cancel();
        EXPECT_EQ(count(), before) << what;
    }

    // Begun while the focus is in the memo (the tool bar's "+" takes none),
    // the new row is kept and left the same way.
    ActivateForm(Form);
    clickCell(1);
    clickCell(0);
    ClickMemo(memo);
    Sessions->Insert();
    ASSERT_TRUE(memo->Focused());
    toOther();
    EXPECT_EQ(Sessions->State(), dsBrowse);
    EXPECT_EQ(Sessions->FieldByName(QStringLiteral("id"))->AsString(), QStringLiteral("s1"));

    // Kept in the grid again, the row goes by the grid's own rule when the
    // focus leaves the grid.
    ActivateForm(Form);
    clickCell(1);
    clickCell(0);
    Sessions->Insert();
    ClickMemo(memo);
    clickCell(0);
    ASSERT_EQ(Sessions->State(), dsInsert);
    toOther();
    EXPECT_EQ(Sessions->State(), dsBrowse);
}

// A character typed on a cell whose editor is not open opens it with that
// character as the start: of the text in a text cell, of the search in a
// lookup cell's list, so that the letters typed choose the row they begin.
TEST_F(DBCtrlsTest, ACharacterTypedOnACellStartsItsEditorsTextOrSearch)
{
    auto [sessions, grid, other] = MakeLookupGrid();
    Show();
    ActivateForm(Form);
    struct Case { const char* field; const char* typed; const char* stored, *result; };
    // Session s1 holds "12" and the form f2, "Заочная"; the forms' list reads
    // Очная, Заочная, Опрос.
    const Case cases[] = {
        {"pnumber", "7", "pnumber", "7"},
        {"form", "О", "id_form", "f3"},    // the first form after the current one that begins so
        {"form", "Оч", "id_form", "f1"},
    };
    for (const Case& c : cases) {
        grid->SetSelectedField(sessions->FieldByName(QString::fromLatin1(c.field)));
        grid->SetFocus();
        Application->ProcessMessages();
        ASSERT_FALSE(grid->EditorMode());
        for (QChar ch : QString::fromUtf8(c.typed)) PressKey(0, Qt::NoModifier, QString(ch));
        ASSERT_TRUE(grid->EditorMode()) << c.typed;
        PressKey(Qt::Key_Return);
        if (sessions->State() != dsBrowse) sessions->Post();
        EXPECT_EQ(Stored(QString::fromLatin1(c.stored)), QString::fromUtf8(c.result)) << c.typed;
        sessions->Edit();   // back to the form and number the session had
        sessions->FieldByName(QStringLiteral("pnumber"))->SetAsString(QStringLiteral("12"));
        sessions->FieldByName(QStringLiteral("id_form"))->SetAsString(QStringLiteral("f2"));
        sessions->Post();
    }
}

// The grid's own pop-ups and what stands over its window for a while are
// not the user leaving a new row: its list opened by a press on the cell's
// arrow, by Alt+Down or by F4, the grid's context menu on a right click,
// another window (a message box) and another program. The untouched row
// stays and goes once the focus moves to another control. A form chosen in
// the list by clicks stands in the cell, and the row is stored by its post.
TEST_F(DBCtrlsTest, TheGridsPopUpsAndOtherWindowsDoNotLeaveTheNewRow)
{
    auto [sessions, grid, other] = MakeLookupGrid();
    auto* menu = new TPopupMenu(Form);
    menu->Items()->Add(NewMenuItem(Form, QStringLiteral("miFind"), nullptr, QStringLiteral("Найти")));
    grid->OnMouseUp = [grid, menu](TObject*, TMouseButton b, TShiftState, int x, int y) {
        if (b != mbRight) return;
        const TPoint p = grid->ClientToScreen(Point(x, y));
        menu->Popup(p.X, p.Y);
    };
    ShownForm<> second;   // with a control that takes the focus, as a message box's button does
    auto* button = new TButton(second.form);
    button->SetParent(second.form);
    Show();
    second.Show();
    QWidget* cells = qobject_cast<QAbstractScrollArea*>(grid->Widget())->viewport();
    auto count = [&](const char* where) {
        return Query(Db.get(), QStringLiteral("SELECT COUNT(*) FROM OBJ_SESSIONS WHERE ") + QString::fromLatin1(where))
            .toInt();
    };
    const int all = count("1=1");
    // The navigator's "+" (the focus stays in the grid), then a click on the
    // new row's form cell, the current cell: its list editor opens.
    auto newRow = [&]() -> QComboBox* {
        ActivateForm(Form);
        grid->SetFocus();
        Application->ProcessMessages();
        sessions->Insert();
        const TRect r = grid->CellRect(grid->Col(), grid->Row());
        screen::Click(cells, QPointF((r.Left + r.Right) / 2.0, (r.Top + r.Bottom) / 2.0));
        Application->ProcessMessages();
        return grid->EditorMode() ? qobject_cast<QComboBox*>(grid->InplaceEditor()->Widget()) : nullptr;
    };
    auto cellCentre = [&] {
        const TRect r = grid->CellRect(grid->Col(), grid->Row());
        return QPoint((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
    };
    auto escape = [] { PressKey(Qt::Key_Escape); };
    struct Case {
        const char* what;
        std::function<bool(QComboBox*)> away;   // true when the pop-up showed
        bool editorClosed = false;              // by F2 first: the grid itself has the focus
    };
    const std::function<bool(QComboBox*)> toWindow = [&](QComboBox*) {
        ActivateForm(second.form);
        const bool shown = QApplication::focusWidget() == button->Widget();
        ActivateForm(Form);
        return shown;
    };
    const std::function<bool(QComboBox*)> toProgram = [&](QComboBox*) {
        OtherProgramTakesTheFocus();
        ActivateForm(Form);
        return true;
    };
    const Case cases[] = {
        {"a press on the arrow",
         [&](QComboBox* box) {
             screen::Click(box, screen::ArrowOf(box));
             Application->ProcessMessages();
             const bool shown = box->view()->isVisible();
             escape();
             return shown;
         }},
        {"Alt+Down",
         [&](QComboBox* box) {
             PressKey(Qt::Key_Down, Qt::AltModifier);
             const bool shown = box->view()->isVisible();
             escape();
             return shown;
         }},
        {"F4",
         [&](QComboBox* box) {
             PressKey(Qt::Key_F4);
             const bool shown = box->view()->isVisible();
             escape();
             return shown;
         }},
        {"a right click on the row",
         [&](QComboBox*) {
             screen::RightClick(cells, cellCentre());
             const bool shown = QApplication::activePopupWidget() != nullptr;
             escape();
             return shown;
         }},
        {"another window", toWindow},
        {"another window, the editor closed", toWindow, true},
        {"another program", toProgram},
        {"another program, the editor closed", toProgram, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QComboBox* box = newRow();
        ASSERT_NE(box, nullptr);
        if (c.editorClosed) {
            PressKey(Qt::Key_F2);
            ASSERT_TRUE(grid->Focused());
        }
        EXPECT_TRUE(c.away(box));
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        EXPECT_EQ(sessions->State(), dsInsert);
        screen::Click(other->Widget());
        Application->ProcessMessages();
        EXPECT_EQ(sessions->State(), dsBrowse);
        EXPECT_EQ(count("1=1"), all);
    }

    // By the mouse alone: the arrow, a click on "Очная"; the row, typed now,
    // stays when the focus moves on and is stored by its post.
    QComboBox* box = newRow();
    ASSERT_NE(box, nullptr);
    screen::Click(box, screen::ArrowOf(box));
    Application->ProcessMessages();
    ASSERT_TRUE(box->view()->isVisible());
    screen::ClickListRow(box, box->findText(QStringLiteral("Очная")));
    EXPECT_FALSE(box->view()->isVisible());
    EXPECT_EQ(box->currentText(), QStringLiteral("Очная"));
    ASSERT_EQ(sessions->State(), dsInsert);
    screen::Click(other->Widget());
    Application->ProcessMessages();
    ASSERT_EQ(sessions->State(), dsInsert);
    sessions->Post();
    EXPECT_EQ(count("1=1"), all + 1);
    EXPECT_EQ(count("id IS NULL AND id_form='f1'"), 1);
}

// The cell's editor moved to a column off the screen (End to the last
// column of a new row, the grid scrolling on to it) keeps the focus in the
// grid, also one where Tab leaves the grid: the new row is not left, and
// the editor opens in that column.
TEST_F(DBCtrlsTest, TheEditorScrolledOffTheScreenKeepsTheFocusInTheGrid)
{
    auto* other = Make<TEdit>(140);   // the first control of the form
    auto* grid = Make<TDBGrid>(10, 120);
    grid->SetDataSource(Src);
    grid->SetOptions(grid->Options() - dgTabs);
    Show();
    ActivateForm(Form);
    grid->SetFocus();
    Application->ProcessMessages();
    Sessions->Insert();
    PressKey(Qt::Key_F2);
    ASSERT_TRUE(grid->EditorMode());
    ASSERT_EQ(grid->SelectedIndex(), 0);
    PressKey(Qt::Key_End);
    EXPECT_EQ(grid->SelectedIndex(), grid->Columns()->Count() - 1);
    EXPECT_GT(grid->LeftCol(), grid->IndicatorOffset());
    EXPECT_EQ(Sessions->State(), dsInsert);
    EXPECT_EQ(QApplication::focusWidget(), grid->InplaceEditor()->Widget());
    screen::Click(other->Widget());
    Application->ProcessMessages();
    EXPECT_EQ(Sessions->State(), dsBrowse);
}

// Tab and Shift+Tab in a grid without "tab moves" leave it for the next and
// the previous control of the form, from its open editor too: what the cell
// holds stays the cell's (stored when the row is left), and what is typed
// next goes into the control the focus went to. With the option, Tab moves
// between the columns and the focus stays in the grid.
TEST_F(DBCtrlsTest, TabLeavesAGridWithoutTabMovesAndMovesBetweenColumnsWithIt)
{
    auto* before = Make<TEdit>(10);
    auto* grid = Make<TDBGrid>(40, 120);
    grid->SetDataSource(Src);
    grid->SetOptions(grid->Options() - dgTabs);
    auto* after = Make<TEdit>(170);
    Sessions->FieldByName(QStringLiteral("id"))->SetVisible(false);
    Show();
    ActivateForm(Form);
    TField* number = Sessions->FieldByName(QStringLiteral("pnumber"));
    struct Case {
        const char* what;
        bool back;
        const char* typed;   // into the cell first; none: the editor stays closed
        TEdit* to;
    };
    int n = 0;
    for (const Case& c : {Case{"Tab", false, "", after}, Case{"Shift+Tab", true, "", before},
                          Case{"Tab from the editor", false, "21", after},
                          Case{"Shift+Tab from the editor", true, "22", before}}) {
        SCOPED_TRACE(c.what);
        const QString typed = QString::fromLatin1(c.typed), next = QString::number(++n);
        Sessions->First();
        grid->SetSelectedField(number);
        grid->SetFocus();
        Application->ProcessMessages();
        TypeKeys(typed);
        ASSERT_EQ(grid->EditorMode(), !typed.isEmpty());
        c.back ? PressKey(Qt::Key_Backtab, Qt::ShiftModifier) : PressKey(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), c.to->Widget());
        TypeKeys(next);
        EXPECT_EQ(c.to->Text(), next);
        ClickRow(grid, 1);   // the row left: what the cell holds is stored
        EXPECT_EQ(Sessions->State(), dsBrowse);
        EXPECT_EQ(Stored(QStringLiteral("pnumber")), typed.isEmpty() ? QStringLiteral("12") : typed);
        c.to->SetText(QString());
    }

    grid->SetOptions(grid->Options() + dgTabs);
    Sessions->First();
    grid->SetSelectedField(number);
    grid->SetFocus();
    Application->ProcessMessages();
    TypeKeys(QStringLiteral("23"));
    PressKey(Qt::Key_Tab);
    EXPECT_TRUE(grid->Focused() || grid->Widget()->isAncestorOf(QApplication::focusWidget()));
    EXPECT_EQ(grid->SelectedField(), Sessions->FieldByName(QStringLiteral("id_form")));
    PressKey(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(grid->SelectedField(), number);
    ClickRow(grid, 1);
    EXPECT_EQ(Stored(QStringLiteral("pnumber")), QStringLiteral("23"));
    EXPECT_EQ(before->Text() + after->Text(), QString());
}

// The editor made again while it has the focus (the register's edit command
// puts the record into editing and the editor mode on) keeps the keyboard.
TEST_F(DBCtrlsTest, TheGridsEditorMadeAgainKeepsTheKeyboard)
{
    auto* grid = Make<TDBGrid>(10, 120);
    grid->SetDataSource(Src);
    Show();
    ActivateForm(Form);
    grid->SetSelectedField(Sessions->FieldByName(QStringLiteral("pnumber")));
    grid->SetFocus();
    PressKey(Qt::Key_F2);
    ASSERT_TRUE(grid->EditorMode());
    Sessions->Edit();
    grid->SetEditorMode(true);
    Application->ProcessMessages();
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_EQ(QApplication::focusWidget(), grid->InplaceEditor()->Widget());
    for (QChar ch : QStringLiteral("34")) PressKey(0, Qt::NoModifier, QString(ch));
    PressKey(Qt::Key_Return);
    Sessions->Post();
    EXPECT_EQ(Stored(QStringLiteral("pnumber")), QStringLiteral("34"));
}

TEST_F(DBCtrlsTest, LookupShowsTheListTextAndWritesTheKey)
{
    TDBLookupComboBox* box = FormLookup();
    Show();
    auto* combo = qobject_cast<QComboBox*>(box->Widget());
    ASSERT_NE(combo, nullptr);
    EXPECT_EQ(combo->currentText(), QStringLiteral("Заочная"));
    EXPECT_EQ(Forms->FieldByName(QStringLiteral("id"))->AsString(), QStringLiteral("f2"));   // the list follows
    EXPECT_EQ(combo->count(), 2);

    // Picking a row puts the record into edit and writes the row's key.
    box->SelectRow(0);
    EXPECT_EQ(Sessions->State(), dsEdit);
    EXPECT_EQ(Sessions->FieldByName(QStringLiteral("id_form"))->AsString(), QStringLiteral("f1"));
    EXPECT_EQ(combo->currentText(), QStringLiteral("Очная"));
    EXPECT_EQ(Forms->FieldByName(QStringLiteral("id"))->AsString(), QStringLiteral("f1"));
    Sessions->Post();
    EXPECT_EQ(Stored(QStringLiteral("id_form")), QStringLiteral("f1"));

    // A record without a key shows nothing; a cancelled choice goes back.
    Sessions->Next();
    Application->ProcessMessages();
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_TRUE(box->DisplayText().isEmpty());
    Src->SetAutoEdit(false);
    box->SelectRow(1);
    EXPECT_EQ(Sessions->State(), dsBrowse);
    EXPECT_TRUE(Sessions->FieldByName(QStringLiteral("id_form"))->IsNull());
    EXPECT_EQ(combo->currentIndex(), -1);

    // A form added to the list is offered.
    Forms->Append();
    Forms->FieldByName(QStringLiteral("id"))->SetAsString(QStringLiteral("f3"));
    Forms->FieldByName(QStringLiteral("name"))->SetAsString(QStringLiteral("Смешанная"));
    Forms->Post();
    Application->ProcessMessages();
    EXPECT_EQ(combo->count(), 3);
}

TEST_F(DBCtrlsTest, LookupWithTwoListFieldsShowsColumnsInAWiderDropDown)
{
    auto* box = Make<TDBLookupComboBox>(10);
    box->SetListSource(FormsSrc);
    box->SetKeyField(QStringLiteral("id"));
    box->SetListField(QStringLiteral("fdate;name"));
    box->SetListFieldIndex(1);
    box->SetDropDownWidth(369);
    box->SetDropDownRows(8);
    box->SetDropDownAlign(daRight);
    box->SetDataSource(Src);
    box->SetDataField(QStringLiteral("id_form"));
    Show();
    auto* combo = qobject_cast<QComboBox*>(box->Widget());
    ASSERT_EQ(box->ListFields().size(), 2u);
    EXPECT_EQ(combo->currentText(), QStringLiteral("Заочная"));   // the field at ListFieldIndex
    EXPECT_EQ(combo->model()->columnCount(), 2);
    EXPECT_EQ(combo->model()->index(0, 0).data().toString(), QStringLiteral("05.01.2024"));
    EXPECT_EQ(combo->model()->index(0, 1).data().toString(), QStringLiteral("Очная"));
    EXPECT_EQ(combo->maxVisibleItems(), 8);

    box->DropDown();
    Application->ProcessMessages();
    ASSERT_TRUE(box->ListVisible());
    QWidget* popup = combo->view()->window();
    EXPECT_GE(popup->width(), 369);
    // Aligned to the right edge of the box.
    EXPECT_NEAR(popup->geometry().right(), combo->mapToGlobal(QPoint(combo->width() - 1, 0)).x(), 3);
    box->CloseUp();
}

TEST_F(DBCtrlsTest, LookupDropsDownAtMostItsDropDownRows)
{
    for (int i = 3; i <= 11; ++i)
        Db->Execute(QStringLiteral("INSERT INTO REF_FORMS VALUES (\"f%1\", \"Форма %1\", #2024-03-01#)").arg(i));
    Forms->Requery();
    TDBLookupComboBox* box = FormLookup();
    Show();
    auto* combo = qobject_cast<QComboBox*>(box->Widget());
    const int all = Query(Db.get(), QStringLiteral("SELECT COUNT(*) FROM REF_FORMS")).toInt();
    // The rows the opened list shows whole; it opens under the box.
    auto shown = [&] {
        box->DropDown();
        Application->ProcessMessages();
        EXPECT_TRUE(box->ListVisible());
        EXPECT_GE(combo->view()->window()->y(), combo->mapToGlobal(QPoint(0, combo->height())).y() - 1);
        const int rows = screen::ListRowsShown(combo);
        box->CloseUp();
        Application->ProcessMessages();
        return rows;
    };
    for (const int rows : {8, 7, 3, 20}) {
        box->SetDropDownRows(rows);
        EXPECT_EQ(shown(), std::min(rows, all)) << rows;
    }
}

TEST_F(DBCtrlsTest, NavigatorButtonsFollowTheStateAndDeleteWithoutAsking)
{
    auto* nav = Make<TDBNavigator>(10, 18);
    nav->SetDataSource(Src);
    nav->SetVisibleButtons({nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh});
    nav->SetFlat(true);
    nav->SetConfirmDelete(false);
    nav->SetShowHint(true);
    nav->Hints()->SetText(QStringLiteral("К первой позиции\r\nК предыдущей позиции\r\nК следующей позиции\r\n"
                                         "К последней позиции\r\nДобавить позицию\r\nУдалить позицию"));
    Show();
    EXPECT_FALSE(nav->Button(nbFirst)->isVisible());
    EXPECT_TRUE(nav->Button(nbInsert)->isVisible());
    EXPECT_TRUE(nav->Button(nbInsert)->autoRaise());
    EXPECT_EQ(nav->Button(nbInsert)->width(), 200 / 6 + 1);
    EXPECT_EQ(nav->Button(nbDelete)->toolTip(), QStringLiteral("Удалить позицию"));
    EXPECT_TRUE(nav->Button(nbEdit)->isEnabled());
    EXPECT_FALSE(nav->Button(nbPost)->isEnabled());

    nav->BtnClick(nbEdit);
    Application->ProcessMessages();
    EXPECT_EQ(Sessions->State(), dsEdit);
    EXPECT_FALSE(nav->Button(nbEdit)->isEnabled());
    EXPECT_TRUE(nav->Button(nbPost)->isEnabled());
    nav->BtnClick(nbCancel);

    int asked = 0;
    SetDialogHook([&](const TDialogRequest&) {
        ++asked;
        return IDOK;
    });
    nav->BtnClick(nbDelete);
    SetDialogHook(nullptr);
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(Query(Db.get(), QStringLiteral("SELECT COUNT(*) FROM OBJ_SESSIONS")), QStringLiteral("1"));

    // On an empty dataset delete is disabled.
    nav->BtnClick(nbDelete);
    Application->ProcessMessages();
    EXPECT_FALSE(nav->Button(nbDelete)->isEnabled());
    EXPECT_TRUE(nav->Button(nbInsert)->isEnabled());
}

// A press on a navigator button leaves the focus in the grid the user works
// in, so Esc there still cancels the row; a navigator that is a tab stop
// takes the focus as other controls do.
TEST_F(DBCtrlsTest, NavigatorButtonPressLeavesTheFocusUnlessItIsATabStop)
{
    auto* grid = Make<TDBGrid>(10, 120);
    grid->SetDataSource(Src);
    // On a panel, as a dialog's navigators sit on their tab sheet: the press
    // does not give the focus to the panel either.
    auto* panel = Make<TPanel>(140, 40);
    auto* nav = new TDBNavigator(Form);
    nav->SetParent(panel);
    nav->SetBounds(4, 4, 120, 18);
    nav->SetDataSource(Src);
    nav->SetVisibleButtons({nbEdit, nbPost, nbCancel});
    Show();
    ActivateForm(Form);
    grid->SetFocus();
    Application->ProcessMessages();

    screen::Click(nav->Button(nbEdit));
    Application->ProcessMessages();
    EXPECT_EQ(Sessions->State(), dsEdit);
    EXPECT_TRUE(grid->Focused());
    screen::Key(screen::KeyboardWidget(), Qt::Key_Escape);
    EXPECT_EQ(Sessions->State(), dsBrowse);

    nav->SetTabStop(true);
    screen::Click(nav->Button(nbEdit));
    Application->ProcessMessages();
    EXPECT_TRUE(nav->Focused());
    nav->BtnClick(nbCancel);
}

TEST(CheckBoxes, CheckedCanBeSetWithoutTheClickHandler)
{
    TForm* form = NewForm<TForm>(nullptr);
    auto* cb = new TCheckBox(form);
    cb->SetParent(form);
    int clicks = 0;
    cb->OnClick = [&](TObject*) { ++clicks; };
    form->Show();
    cb->SetChecked(true);
    EXPECT_EQ(clicks, 1);
    cb->SetCheckedWithoutClick(false);
    EXPECT_FALSE(cb->Checked());
    EXPECT_EQ(clicks, 1);
    Application->ProcessMessages();
    EXPECT_FALSE(qobject_cast<QAbstractButton*>(cb->Widget())->isChecked());
    cb->Click();   // a user's click still runs it
    EXPECT_EQ(clicks, 2);
    form->Free();
}

TEST(Splitters, KeepTheMinimumSizesOfBothSides)
{
    TForm* form = NewForm<TForm>(nullptr);
    form->SetBounds(0, 0, 300, 300);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetAlign(alClient);
    auto* top = new TPanel(form);
    top->SetParent(panel);
    top->SetAlign(alClient);
    auto* bottom = new TPanel(form);
    bottom->SetParent(panel);
    bottom->SetBounds(0, 200, 100, 70);
    bottom->SetAlign(alBottom);
    bottom->Constraints()->SetMinHeight(70);
    auto* split = new TSplitter(form);
    split->SetParent(panel);
    split->SetAlign(alBottom);
    split->SetBounds(0, 190, 100, 3);
    split->SetMinSize(50);
    form->Show();
    Application->ProcessMessages();
    const int h = panel->ClientHeight();
    ASSERT_EQ(split->Neighbour(), bottom);
    EXPECT_EQ(split->Top() + split->Height(), bottom->Top());

    // Dragging up grows the bottom pane until 50 pixels are left above.
    split->DoMouseDown(mbLeft, {ssLeft}, 1, 1);
    split->DoMouseMove({ssLeft}, 1, -1000);
    split->DoMouseUp(mbLeft, {}, 1, -1000);
    EXPECT_EQ(top->Height(), 50);
    EXPECT_EQ(bottom->Height(), h - 50 - 3);
    // Dragging down stops at the pane's own minimum (70 > 50).
    EXPECT_EQ(split->MoveBy(1000), 70);
    EXPECT_EQ(top->Height(), h - 70 - 3);
    form->Free();
}

TEST(PageControls, HiddenTabsAndTheOnShowEvent)
{
    TForm* form = NewForm<TForm>(nullptr);
    form->SetBounds(0, 0, 300, 300);
    auto* pc = new TPageControl(form);
    pc->SetParent(form);
    pc->SetBounds(5, 5, 280, 250);
    QStringList shown;
    TTabSheet* sheets[3];
    for (int i = 0; i < 3; ++i) {
        sheets[i] = new TTabSheet(form);
        sheets[i]->SetPageControl(pc);
        sheets[i]->SetCaption(QStringLiteral("&Лист %1").arg(i + 1));
        sheets[i]->OnShow = [&shown, i](TObject*) { shown << QString::number(i + 1); };
    }
    sheets[1]->SetTabVisible(false);
    form->Show();
    Application->ProcessMessages();
    EXPECT_EQ(shown, QStringList{QStringLiteral("1")});   // the active sheet came on the screen
    EXPECT_EQ(pc->TabBar()->count(), 2);
    EXPECT_EQ(pc->TabBar()->tabText(1), QStringLiteral("&Лист 3"));

    pc->TabBar()->setCurrentIndex(1);   // a click on the second tab shows the third sheet
    Application->ProcessMessages();
    EXPECT_EQ(pc->ActivePage(), sheets[2]);
    EXPECT_EQ(shown.join(QLatin1Char(',')), QStringLiteral("1,3"));

    sheets[1]->SetTabVisible(true);
    EXPECT_EQ(pc->TabBar()->count(), 3);
    EXPECT_EQ(pc->TabBar()->currentIndex(), 2);
    // Hiding the active sheet's tab moves on to the next sheet that has one.
    sheets[2]->SetTabVisible(false);
    Application->ProcessMessages();
    EXPECT_EQ(pc->ActivePage(), sheets[0]);
    EXPECT_EQ(shown.join(QLatin1Char(',')), QStringLiteral("1,3,1"));
    form->Free();
}

// The page keys turn the pages from whatever control inside the page control
// has the focus, as the keyboard delivers them: a grid (which moves between
// its columns by Tab and goes to its first and last rows by Ctrl+PageUp and
// Ctrl+PageDown), its open editor, a memo (which takes Tab) and an edit never
// act on them. A sheet without a tab is passed over; an open list keeps the
// keys; a control that refuses to be left keeps the page.
TEST_F(DBCtrlsTest, PageKeysTurnThePagesFromAnyControlInsideThePageControl)
{
    auto* pc = new TPageControl(Form);
    pc->SetParent(Form);
    pc->SetBounds(5, 5, 480, 380);
    TTabSheet* sheets[4];
    for (int i = 0; i < 4; ++i) {
        sheets[i] = new TTabSheet(Form);
        sheets[i]->SetPageControl(pc);
        sheets[i]->SetCaption(QStringLiteral("Лист %1").arg(i + 1));
    }
    sheets[2]->SetTabVisible(false);
    auto on = [this](TTabSheet* sheet, auto* c, int top, int height = 21) {
        c->SetParent(sheet);
        c->SetBounds(10, top, 300, height);
        return c;
    };
    TEdit* edit = on(sheets[0], new TEdit(Form), 10);
    TMemo* memo = on(sheets[0], new TMemo(Form), 40, 60);
    TDBLookupComboBox* list = on(sheets[0], new TDBLookupComboBox(Form), 110);
    list->SetListSource(FormsSrc);
    list->SetKeyField(QStringLiteral("id"));
    list->SetListField(QStringLiteral("name"));
    list->SetDataSource(Src);
    list->SetDataField(QStringLiteral("id_form"));
    TEdit* stubborn = on(sheets[0], new TEdit(Form), 140);
    bool refuse = false;
    stubborn->OnExit = [stubborn, &refuse](TObject*) {
        if (refuse) stubborn->SetFocus();
    };
    TDBGrid* grid = on(sheets[1], new TDBGrid(Form), 10, 150);
    grid->SetDataSource(Src);
    on(sheets[2], new TEdit(Form), 10);
    TEdit* last = on(sheets[3], new TEdit(Form), 10);
    Show();
    ActivateForm(Form);
    ASSERT_TRUE(grid->Options().Contains(dgTabs));

    const Qt::KeyboardModifiers ctrl = Qt::ControlModifier;
    QWidget* const tabs = pc->TabBar();
    struct Case {
        const char* what;
        int from;
        QWidget* start;
        int key;
        Qt::KeyboardModifiers mods;
        int page;
        QWidget* focus;   // where the focus is afterwards (none: in the open list)
    } cases[] = {
        {"edit, Ctrl+Tab", 0, edit->Widget(), Qt::Key_Tab, ctrl, 1, grid->Widget()},
        {"memo, Ctrl+Tab", 0, memo->Widget(), Qt::Key_Tab, ctrl, 1, grid->Widget()},
        {"grid, Ctrl+Tab", 1, grid->Widget(), Qt::Key_Tab, ctrl, 3, last->Widget()},
        {"grid editor, Ctrl+Shift+Tab", 1, nullptr, Qt::Key_Backtab, ctrl | Qt::ShiftModifier, 0, edit->Widget()},
        {"grid, Ctrl+PageDown", 1, grid->Widget(), Qt::Key_PageDown, ctrl, 3, last->Widget()},
        {"grid, Ctrl+PageUp", 1, grid->Widget(), Qt::Key_PageUp, ctrl, 0, edit->Widget()},
        {"last page, Ctrl+Tab", 3, last->Widget(), Qt::Key_Tab, ctrl, 0, edit->Widget()},
        {"tab row, Ctrl+PageDown", 0, tabs, Qt::Key_PageDown, ctrl, 1, tabs},
        {"tab row, Ctrl+PageUp", 0, tabs, Qt::Key_PageUp, ctrl, 3, tabs},
        {"open list, Ctrl+PageDown", 0, list->Widget(), Qt::Key_PageDown, ctrl, 0, nullptr},
        {"refusing edit, Ctrl+Tab", 0, stubborn->Widget(), Qt::Key_Tab, ctrl, 0, stubborn->Widget()},
        {"edit, Tab alone", 0, edit->Widget(), Qt::Key_Tab, Qt::NoModifier, 0, memo->Widget()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        pc->SetActivePage(sheets[c.from]);
        Application->ProcessMessages();
        const bool editor = !c.start;
        (editor ? grid->Widget() : c.start)->setFocus(Qt::OtherFocusReason);
        Application->ProcessMessages();
        if (editor) {
            PressKey(Qt::Key_F2);
            ASSERT_TRUE(grid->EditorMode());
        }
        if (c.start == list->Widget()) {
            list->DropDown();
            Application->ProcessMessages();
            ASSERT_TRUE(list->ListVisible());
        }
        refuse = c.start == stubborn->Widget();
        const int column = grid->SelectedIndex();
        KeyboardKey(c.key, c.mods, c.key == Qt::Key_Tab || c.key == Qt::Key_Backtab ? QStringLiteral("\t") : QString());
        EXPECT_EQ(pc->ActivePage(), sheets[c.page]);
        EXPECT_TRUE(sheets[c.page]->Widget()->isVisible());
        QWidget* focus = QApplication::focusWidget();
        if (c.focus)
            EXPECT_TRUE(focus == c.focus || (focus && c.focus->isAncestorOf(focus)))
                << (focus ? focus->metaObject()->className() : "none");
        else
            EXPECT_TRUE(list->ListVisible());
        // Nothing acted on the key besides the page control.
        EXPECT_EQ(memo->Text(), QString());
        EXPECT_EQ(grid->SelectedIndex(), column);
        EXPECT_EQ(Sessions->RecNo(), 1);
        refuse = false;
        if (list->ListVisible()) list->CloseUp();
        if (Sessions->State() != dsBrowse) Sessions->Cancel();
    }
}

}  // namespace

namespace {
// A refused post from the navigator's button, clicked through the toolkit,
// reaches the error display once and leaves the record being edited.
// Each button's hint is a control's own: the mouse over a button makes its
// long part the application's hint, off the buttons the navigator's (or its
// parent's) hint is back; the tool tip follows ShowHint set at any time.
TEST_F(DBCtrlsTest, NavigatorButtonsShowTheirHintsAsControlsDo)
{
    Form->SetHint(QStringLiteral("Окно|Окно заседания"));
    auto* nav = Make<TDBNavigator>(10, 18);
    nav->SetDataSource(Src);
    nav->Hints()->SetText(QStringLiteral("Первая|К первой позиции\r\nПредыдущая\r\n\r\nПоследняя"));
    Show();
    auto hover = [](QWidget* w, bool enter) {
        QEvent e(enter ? QEvent::Enter : QEvent::Leave);
        QApplication::sendEvent(w, &e);
    };
    EXPECT_EQ(nav->Button(nbFirst)->toolTip(), QString());   // ShowHint off
    const struct {
        TNavigateBtn button;
        const char* hint;
    } cases[] = {{nbFirst, "К первой позиции"}, {nbPrior, "Предыдущая"}, {nbNext, "Окно заседания"}};
    for (const auto& c : cases) {
        hover(nav->Widget(), true);
        hover(nav->Button(c.button), true);
        EXPECT_EQ(Application->Hint(), QString::fromUtf8(c.hint));
        hover(nav->Button(c.button), false);
        EXPECT_EQ(Application->Hint(), QStringLiteral("Окно заседания"));
        hover(nav->Widget(), false);
    }
    nav->SetShowHint(true);
    hover(nav->Button(nbFirst), true);
    EXPECT_EQ(nav->Button(nbFirst)->toolTip(), QStringLiteral("Первая"));
    EXPECT_EQ(nav->Button(nbLast)->toolTip(), QStringLiteral("Последняя"));
    Application->SetHint(QString());
}

TEST_F(DBCtrlsTest, NavigatorPostRefusedFromTheToolkitShowsOneError)
{
    auto* nav = Make<TDBNavigator>(10, 18);
    nav->SetDataSource(Src);
    Show();
    Sessions->BeforePost = [](TDataSet*) { throw EDatabaseError(QStringLiteral("Запись не сохранена")); };
    QStringList shown;
    SetDialogHook([&](const TDialogRequest& r) {
        shown << r.Text;
        return int(IDOK);
    });
    Sessions->Edit();
    Application->ProcessMessages();
    nav->Button(nbPost)->click();
    SetDialogHook(nullptr);
    Sessions->BeforePost = nullptr;
    EXPECT_EQ(shown, QStringList{QStringLiteral("Запись не сохранена.")});
    EXPECT_EQ(Sessions->State(), dsEdit);
}

TEST_F(DBCtrlsTest, APaintThatRaisesShowsOneMessageAfterThePaintNotOnePerRepaint)
{
    auto* grid = Make<TDBGrid>(10, 150);
    grid->SetDataSource(Src);
    auto* control = Make<TFailingPaint>(170, 40);
    Show();
    bool gridFails = false;
    Sessions->FieldByName(QStringLiteral("id"))->OnGetText = [&](TField* f, QString& text, bool) {
        if (gridFails) throw Exception(QStringLiteral("Нет данных"));
        text = f->AsString();
    };
    const std::vector<std::tuple<const char*, QWidget*, std::function<void(bool)>>> painted = {
        {"grid", qobject_cast<QAbstractScrollArea*>(grid->Widget())->viewport(), [&](bool f) { gridFails = f; }},
        {"control", control->Widget(), [&](bool f) { control->Fail = f; }},
    };
    for (const auto& [what, widget, fail] : painted) {
        TDialogRecorder dialogs;
        fail(true);
        widget->repaint();
        EXPECT_TRUE(dialogs.Calls.empty()) << what;   // not from inside the paint
        Application->ProcessMessages();
        for (int i = 0; i < 3; ++i) widget->repaint();
        Application->ProcessMessages();
        ASSERT_EQ(dialogs.Calls.size(), 1u) << what;
        EXPECT_EQ(dialogs.Calls[0].Text, QStringLiteral("Нет данных.")) << what;
        // After a clean paint the next failure is reported again.
        fail(false);
        widget->repaint();
        fail(true);
        widget->repaint();
        Application->ProcessMessages();
        EXPECT_EQ(dialogs.Calls.size(), 2u) << what;
        fail(false);
    }
}

// The dialog keys: in a modal dialog, Enter and Esc that the focused control
// does not claim reach the default and the cancel button after the control
// has seen them; a control that acts on them itself (a memo, an entry line,
// an open list, a grid's open editor, a focused button) keeps them. The keys
// go through the toolkit's delivery to the widget that has the keyboard (the
// open list's while one is dropped down).
constexpr TModalResult StillOpen = mrIgnore;

class DialogKeys : public DBCtrlsTest {
protected:
    TButton* Ok = nullptr;
    TButton* Cancel = nullptr;
    int OkClicks = 0, CancelClicks = 0;
    TDialogRecorder Dialogs;

    void SetUp() override
    {
        DBCtrlsTest::SetUp();
        Form->SetBorderStyle(bsDialog);
        Ok = NewButton(QStringLiteral("OK"), 320, mrOk, OkClicks);
        Ok->SetDefault(true);
        Cancel = NewButton(QStringLiteral("Отмена"), 410, mrCancel, CancelClicks);
        Cancel->SetCancel(true);
    }
    TButton* NewButton(const QString& caption, int left, TModalResult result, int& clicks)
    {
        auto* b = new TButton(Form);
        b->SetParent(Form);
        b->SetBounds(left, 360, 75, 25);
        b->SetCaption(caption);
        b->SetModalResult(result);
        b->OnClick = [&clicks](TObject*) { ++clicks; };
        return b;
    }
    // Shows the dialog modally, focuses the control, runs the preparation
    // (keys that come before), presses the key; StillOpen when the dialog
    // did not close.
    TModalResult Press(TWinControl* control, int key, Qt::KeyboardModifiers mods = Qt::NoModifier,
                       const std::function<void()>& before = {})
    {
        Dialogs.OnModal = [&](TForm* f) {
            ActivateForm(f);
            control->SetFocus();
            Application->ProcessMessages();
            EXPECT_TRUE(control->Widget()->isAncestorOf(QApplication::focusWidget()) ||
                        control->Widget() == QApplication::focusWidget());
            if (before) before();
            EXPECT_TRUE(PressKey(key, mods));
            return f->ModalResult() == mrNone ? StillOpen : mrNone;
        };
        return Form->ShowModal();
    }
};

struct Case {
    const char* control;
    int key;
    Qt::KeyboardModifiers mods;
    TModalResult result;
};

TEST_F(DialogKeys, EnterAndEscReachTheButtonsUnlessTheFocusedControlClaimsThem)
{
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Case cases[] = {
        {"edit", Qt::Key_Return, none, mrOk},
        {"edit", Qt::Key_Escape, none, mrCancel},
        {"edit", Qt::Key_Return, Qt::ShiftModifier, StillOpen},   // a shift key: no button's key
        {"closing edit", Qt::Key_Escape, none, mrAbort},            // its own Esc closed the dialog
        {"memo", Qt::Key_Return, none, StillOpen},                 // breaks the line
        {"memo", Qt::Key_Escape, none, mrCancel},
        {"check box", Qt::Key_Return, none, mrOk},
        {"check box", Qt::Key_Escape, none, mrCancel},
        {"closed list", Qt::Key_Return, none, mrOk},
        {"closed list", Qt::Key_Escape, none, mrCancel},
        {"entry line", Qt::Key_Return, none, StillOpen},           // the line's own Enter
        {"entry line", Qt::Key_Escape, none, mrCancel},
        {"open list", Qt::Key_Return, none, StillOpen},            // picks the row
        {"open list", Qt::Key_Escape, none, StillOpen},            // closes the list
        {"OK focused", Qt::Key_Return, none, mrOk},
        {"Cancel focused", Qt::Key_Return, none, mrCancel},        // the focused button is pressed
        {"data edit", Qt::Key_Return, none, mrOk},
        {"data edit", Qt::Key_Escape, none, mrCancel},
        {"data memo", Qt::Key_Return, none, StillOpen},
        {"data memo", Qt::Key_Escape, none, mrCancel},
        {"grid", Qt::Key_Return, none, mrOk},
        {"grid", Qt::Key_Escape, none, mrCancel},
        {"grid editor", Qt::Key_Return, none, StillOpen},
        {"grid editor", Qt::Key_Escape, none, StillOpen},
        {"grid row", Qt::Key_Escape, none, StillOpen},             // cancels the new row alone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.control) + (c.key == Qt::Key_Return ? " Enter" : " Esc"));
        const QString name = QString::fromLatin1(c.control);
        OkClicks = CancelClicks = 0;
        TWinControl* control = nullptr;
        std::function<void()> before;
        if (name == QLatin1String("edit")) {
            control = Make<TEdit>(10);
        } else if (name == QLatin1String("closing edit")) {
            auto* ed = Make<TEdit>(10);
            ed->OnKeyDown = [this](TObject*, WORD& key, TShiftState) {
                if (key == VK_ESCAPE) Form->SetModalResult(mrAbort);
            };
            control = ed;
        } else if (name == QLatin1String("memo")) {
            control = Make<TMemo>(10, 60);
        } else if (name == QLatin1String("check box")) {
            control = Make<TCheckBox>(10);
        } else if (name == QLatin1String("closed list") || name == QLatin1String("entry line")) {
            auto* box = Make<TComboBox>(10);
            box->SetStyle(name == QLatin1String("entry line") ? csSimple : csDropDownList);
            box->Items()->Add(QStringLiteral("Зам. генерального директора"));
            box->Items()->Add(QStringLiteral("Генеральный директор"));
            control = box;
        } else if (name == QLatin1String("open list")) {
            auto* box = Make<TDBLookupComboBox>(10);
            box->SetDataSource(Src);
            box->SetDataField(QStringLiteral("id_form"));
            box->SetListSource(FormsSrc);
            box->SetKeyField(QStringLiteral("id"));
            box->SetListField(QStringLiteral("name"));
            control = box;
            before = [box] {
                box->DropDown();
                Application->ProcessMessages();
                ASSERT_TRUE(box->ListVisible());
            };
        } else if (name == QLatin1String("OK focused")) {
            control = Ok;
        } else if (name == QLatin1String("Cancel focused")) {
            control = Cancel;
        } else if (name == QLatin1String("data edit")) {
            auto* ed = Make<TDBEdit>(10);
            ed->SetDataSource(Src);
            ed->SetDataField(QStringLiteral("pnumber"));
            control = ed;
            before = [] { TypeKeys(QStringLiteral("9")); };   // an edit under way
        } else if (name == QLatin1String("data memo")) {
            auto* m = Make<TDBMemo>(10, 60);
            m->SetDataSource(Src);
            m->SetDataField(QStringLiteral("mcomment"));
            control = m;
        } else {
            auto* g = Make<TDBGrid>(10, 120);
            g->SetDataSource(Src);
            control = g;
            if (name == QLatin1String("grid editor")) before = [] { PressKey(Qt::Key_F2); };
            if (name == QLatin1String("grid row")) before = [this] {
                PressKey(Qt::Key_Insert);
                ASSERT_EQ(Sessions->State(), dsInsert);
            };
        }
        EXPECT_EQ(Press(control, c.key, c.mods, before), c.result);
        EXPECT_EQ(OkClicks, c.result == mrOk ? 1 : 0);
        EXPECT_EQ(CancelClicks, c.result == mrCancel ? 1 : 0);
        if (name == QLatin1String("memo")) {
            EXPECT_EQ(static_cast<TMemo*>(control)->Text().count(QStringLiteral("\r\n")), c.key == Qt::Key_Return ? 1 : 0);
        } else if (name == QLatin1String("data edit") && c.key == Qt::Key_Escape) {   // reset to the field's value as well
            EXPECT_EQ(static_cast<TDBEdit*>(control)->Text(), QStringLiteral("12"));
        } else if (name == QLatin1String("grid editor")) {
            EXPECT_FALSE(static_cast<TDBGrid*>(control)->EditorMode());
        } else if (name == QLatin1String("grid row")) {
            EXPECT_EQ(Sessions->State(), dsBrowse);
        } else if (name == QLatin1String("open list")) {
            EXPECT_FALSE(static_cast<TDBLookupComboBox*>(control)->ListVisible());
        }
        if (Sessions->State() != dsBrowse) Sessions->Cancel();
        if (control != Ok && control != Cancel) control->Free();
    }
    EXPECT_EQ(Stored(QStringLiteral("pnumber")), QStringLiteral("12"));
}

// A refusal shows one message and keeps the dialog open: OK's handler that
// raises, or the focused control's own key handler that raises (the key
// then goes no further); the next Enter tries again.
TEST_F(DialogKeys, ARefusalKeepsTheDialogOpen)
{
    Ok->SetModalResult(mrNone);
    bool refuseOk = true, refuseKey = false;
    Ok->OnClick = [&](TObject*) {
        ++OkClicks;
        if (refuseOk) throw Exception(QStringLiteral("Не заполнено поле"));
        Form->SetModalResult(mrOk);
    };
    auto* ed = Make<TEdit>(10);
    ed->OnKeyDown = [&](TObject*, WORD& key, TShiftState) {
        if (refuseKey && key == VK_RETURN) throw Exception(QStringLiteral("Неверная дата"));
    };
    EXPECT_EQ(Press(ed, Qt::Key_Return), StillOpen);
    EXPECT_EQ(OkClicks, 1);
    EXPECT_EQ(Dialogs.Count(TDialogKind::MessageBox), 1);
    refuseOk = false;
    refuseKey = true;
    EXPECT_EQ(Press(ed, Qt::Key_Return), StillOpen);
    EXPECT_EQ(OkClicks, 1);
    EXPECT_EQ(Dialogs.Count(TDialogKind::MessageBox), 2);
    refuseKey = false;
    EXPECT_EQ(Press(ed, Qt::Key_Return), mrOk);
}

}  // namespace

namespace {

// A click on the cancel button closes the dialog with Cancel whatever the
// focused control holds: the focus stays where it is, so the control is not
// left and its exit check (here one that refuses every value, as a date edit
// refuses 31.02.2026) does not run on a value that is thrown away. A click
// on OK and Tab do leave the control and meet the check.
TEST_F(DialogKeys, TheCancelButtonsClickSkipsTheExitCheckOkAndTabMeetIt)
{
    auto* ed = Make<TEdit>(10);
    int checks = 0;
    ed->OnExit = [&](TObject*) {
        ++checks;
        ed->SetFocus();
        Application->MessageBox(QStringLiteral("'31.02.2026' is not a valid date."), QStringLiteral("Ошибка"),
                                MB_ICONSTOP | MB_OK);
    };
    for (const char* way : {"Cancel", "OK", "Tab"}) {
        SCOPED_TRACE(way);
        const QString w = QString::fromLatin1(way);
        checks = OkClicks = CancelClicks = 0;
        Dialogs.Calls.clear();
        Dialogs.OnModal = [&](TForm* f) {
            ActivateForm(f);
            ed->SetFocus();
            Application->ProcessMessages();
            if (w == QLatin1String("Tab"))
                PressKey(Qt::Key_Tab);
            else
                screen::Click((w == QLatin1String("OK") ? Ok : Cancel)->Widget());
            Application->ProcessMessages();
            EXPECT_EQ(QApplication::focusWidget(), ed->Widget());
            return f->ModalResult() == mrNone ? StillOpen : mrNone;
        };
        const TModalResult result = Form->ShowModal();
        if (w == QLatin1String("Cancel")) {
            EXPECT_EQ(result, mrCancel);
            EXPECT_EQ(CancelClicks, 1);
            EXPECT_EQ(checks, 0);
            EXPECT_EQ(Dialogs.Count(TDialogKind::MessageBox), 0);
        } else {
            EXPECT_EQ(result, StillOpen);
            EXPECT_EQ(OkClicks + CancelClicks, 0);
            EXPECT_EQ(checks, 1);
            EXPECT_EQ(Dialogs.Count(TDialogKind::MessageBox), 1);
        }
    }
    // Tab still reaches the cancel button, and Enter there presses it.
    ed->OnExit = nullptr;
    Dialogs.OnModal = [&](TForm* f) {
        ActivateForm(f);
        Ok->SetFocus();
        Application->ProcessMessages();
        PressKey(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), Cancel->Widget());
        PressKey(Qt::Key_Return);
        return f->ModalResult() == mrNone ? StillOpen : mrNone;
    };
    EXPECT_EQ(Form->ShowModal(), mrCancel);
}

// A press of the user's mouse (the toolkit giving its focus) on the cancel
// button that has the focus already (Tab brought it there) closes the
// dialog with Cancel and makes the toolkit warn of nothing; a press on a
// panel leaves the focus in the edit, and the handler of the press, which
// may open a menu or a dialog of its own, runs with nothing of the press
// rule left set on the panel.
TEST_F(DialogKeys, PressesOnAFocusedButtonAndOnAPanelLeaveNothingSet)
{
    auto* ed = Make<TEdit>(10);
    auto* panel = Make<TPanel>(60, 40);
    int presses = 0;
    panel->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) {
        ++presses;
        EXPECT_EQ(panel->Widget()->focusProxy(), nullptr);
        EXPECT_EQ(QApplication::focusWidget(), ed->Widget());
    };
    TWarnings warnings;
    Dialogs.OnModal = [&](TForm* f) {
        ActivateForm(f);
        ed->SetFocus();
        Application->ProcessMessages();
        UserClick(panel->Widget());
        EXPECT_EQ(presses, 1);
        EXPECT_EQ(QApplication::focusWidget(), ed->Widget());
        EXPECT_EQ(panel->Widget()->focusProxy(), nullptr);
        PressKey(Qt::Key_Tab);
        PressKey(Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), Cancel->Widget());
        UserClick(Cancel->Widget());
        return f->ModalResult() == mrNone ? StillOpen : mrNone;
    };
    EXPECT_EQ(Form->ShowModal(), mrCancel);
    EXPECT_EQ(CancelClicks, 1);
    EXPECT_TRUE(warnings.Texts.filter(QStringLiteral("focus proxy")).isEmpty()) << warnings.Texts.join(u'\n').toStdString();
}

// Tab in a memo, plain or data-aware, moves the focus on and Shift+Tab back,
// instead of typing a tab into the text.
TEST_F(DialogKeys, TabInAMemoMovesTheFocusOn)
{
    auto* before = Make<TEdit>(10);
    auto* plain = Make<TMemo>(40, 60);
    auto* data = Make<TDBMemo>(110, 60);
    data->SetDataSource(Src);
    data->SetDataField(QStringLiteral("mcomment"));
    auto* after = Make<TEdit>(180);
    Dialogs.OnModal = [&](TForm* f) {
        ActivateForm(f);
        for (TWinControl* memo : std::initializer_list<TWinControl*>{plain, data}) {
            SCOPED_TRACE(memo == plain ? "memo" : "data memo");
            const QString text = memo->Text();
            memo->SetFocus();
            Application->ProcessMessages();
            PressKey(Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), (memo == plain ? static_cast<TWinControl*>(data) : after)->Widget());
            memo->SetFocus();
            Application->ProcessMessages();
            PressKey(Qt::Key_Backtab, Qt::ShiftModifier);
            EXPECT_EQ(QApplication::focusWidget(), (memo == plain ? before : static_cast<TWinControl*>(plain))->Widget());
            EXPECT_EQ(memo->Text(), text);
            EXPECT_FALSE(memo->Text().contains(QLatin1Char('\t')));
        }
        return int(mrCancel);
    };
    Form->ShowModal();
    EXPECT_EQ(Stored(QStringLiteral("mcomment")), QStringLiteral("раз\r\nдва"));
}

}  // namespace
