// The directories of forms of holding and of board members opened from the
// main window over the demonstration board: the memo pane and its height cap,
// the members' panes following the current member, their stored sizes and
// caps, Ctrl+Del in a detail grid, details of an unsaved or missing member,
// closing after a failed post and activation while a detail row is typed.
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <functional>

#include "components/Placement.h"
#include "platform/ado/ADODB.h"
#include "platform/os/IniFiles.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComboBoxes.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/EventBridge.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "components/QvDBCtrl.h"
#include "components/QvCtrls.h"
#include "registers/unMainReferenceMembers.h"
#include "registers/unMainReferenceMemo.h"
#include "tests/app/AppFixture.h"
#include "tests/platform/AdoTestUtil.h"
#include "tests/platform/ScreenInput.h"

namespace {

class Directories : public FreshSettingsFixture {
protected:
    void Start(bool demo = true)
    {
        MakeDb(QString(), demo);
        ShowMain();
        ASSERT_TRUE(DM->adoConnection->Connected());
    }
    TfmMainReferenceMemo* OpenForms() { return OpenRegister<TfmMainReferenceMemo>(fmMain->aOpenRefForms); }
    TfmMainReferenceMembers* OpenMembers() { return OpenRegister<TfmMainReferenceMembers>(fmMain->aOpenRefMembers); }
    void Close(TForm* w)
    {
        w->Close();
        Application->ProcessMessages();
    }
    static QString Shown(TDBMemo* m)
    {
        auto* e = qobject_cast<QPlainTextEdit*>(m->Widget());
        return e ? e->toPlainText() : QStringLiteral("<no widget>");
    }
    int Count(const QString& sql)
    {
        return DM->adoConnection->Execute(sql)->Value(0, 0).toInt();
    }
    // The memo beside the grid of the forms' or the members' window.
    static TDBMemo* Memo(TRegisterWindow* w)
    {
        auto* m = dynamic_cast<TDBMemo*>(w->FindComponent(QStringLiteral("DBMemo1")));
        return m ? m : dynamic_cast<TDBMemo*>(w->FindComponent(QStringLiteral("DBMemo")));
    }
    // A click on a row the grid shows (0 = the top one), and into the memo,
    // which takes the focus with it.
    static void ClickRow(TRegisterWindow* w, int dataRow)
    {
        const TRect r = w->DBGrid->CellRect(1, w->DBGrid->TopRow() + dataRow);
        screen::Click(qobject_cast<QAbstractScrollArea*>(w->DBGrid->Widget())->viewport(), QPointF(r.Left + 3, r.Top + 3));
        Application->ProcessMessages();
    }
    static void ClickMemo(TRegisterWindow* w)
    {
        screen::Click(qobject_cast<QAbstractScrollArea*>(Memo(w)->Widget())->viewport());
        Application->ProcessMessages();
    }
};

// ------------------------------------------------------------ every register window

TEST_F(Directories, EveryRegisterWindowOpensWithTheClientAreaOfItsDefinition)
{
    Start();
    // The client area of the definition and the least size of the whole
    // window, which wins where this system's caption and frame are thinner
    // than the ones the least size was set for.
    struct Case {
        TAction* command;
        QSize client, least;
    };
    const QSize templ(502, 308), templLeast(510, 150);
    for (const Case& c :
         {Case{fmMain->aOpenRefPlaces, templ, templLeast}, Case{fmMain->aOpenRefForms, templ, templLeast},
          Case{fmMain->aOpenRefMembers, QSize(572, 366), QSize(580, 400)},
          Case{fmMain->aOpenObjSessions, templ, templLeast}, Case{fmMain->aOpenObjQuestions, templ, templLeast},
          Case{fmMain->aOpenObjDecisions, templ, templLeast}, Case{fmMain->aOpenObjPayments, templ, templLeast}}) {
        c.command->Execute();
        Application->ProcessMessages();
        TForm* w = fmMain->ActiveMDIChild();
        ASSERT_NE(w, nullptr) << c.command->Name().toStdString();
        const QString name = w->ClassName();
        const QSize frame(w->Width() - w->ClientWidth(), w->Height() - w->ClientHeight());
        EXPECT_GT(frame.height(), frame.width()) << name.toStdString();   // the caption is in it
        const QSize expected = c.client.expandedTo(c.least - frame);
        // What the window's frame holds on the screen, inside its caption.
        EXPECT_EQ(w->Widget()->size(), expected) << name.toStdString();
        EXPECT_EQ(w->OuterWidget()->size(), expected + frame) << name.toStdString();
        Close(w);
    }
}

// ------------------------------------------------------------ forms of holding

TEST_F(Directories, FormsMemoShowsTheCommentAndEditsTheRecord)
{
    Start();
    TfmMainReferenceMemo* w = OpenForms();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Caption(), QStringLiteral("Справочник «Формы проведения заседаний»"));
    EXPECT_EQ(w->DBMemo1->DataField(), QStringLiteral("comment"));
    EXPECT_EQ(w->lblMemo->Caption(), QStringLiteral("&Примечание к форме проведения (шаблон):"));
    TADOTable* ds = DM->adoRefForms;
    ds->First();
    Application->ProcessMessages();
    const QString first = ds->FieldByName(QStringLiteral("comment"))->AsString();
    ASSERT_FALSE(first.isEmpty());
    EXPECT_EQ(Shown(w->DBMemo1), QString(first).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    // The comment column is not in the grid.
    for (int i = 0; i < w->DBGrid->Columns()->Count(); ++i)
        EXPECT_NE(w->DBGrid->Columns()->Items(i)->FieldName(), QStringLiteral("comment"));

    // Typing into the memo edits the record; the window's post saves it.
    w->DBMemo1->SetFocus();
    w->DBMemo1->SelectAll();
    w->DBMemo1->TypeChar(QLatin1Char('Z'));
    EXPECT_EQ(ds->State(), dsEdit);
    w->Timer->Fire();
    ASSERT_TRUE(w->aNPost->Enabled());
    w->aNPost->Execute();
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM REF_FORMS WHERE comment=\"Z\"")), 1);

    // Another record shows its own comment.
    ds->Next();
    Application->ProcessMessages();
    EXPECT_EQ(Shown(w->DBMemo1),
              ds->FieldByName(QStringLiteral("comment"))->AsString().replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

// "+" on the tool bar, a click into the memo beside the grid, typing and a
// click on another row: the new record gets the text, every other record
// keeps its own. Typing at the end of a record's memo and Esc puts its text
// back, and the move to another row stores nothing.
TEST_F(Directories, PlusThenTheMemoThenAnotherRowChangesNoOtherRecord)
{
    Start();
    struct Case {
        TAction* command;
        const char* table;
        const char* memoField;
    };
    for (const Case& c : {Case{fmMain->aOpenRefForms, "REF_FORMS", "comment"},
                          Case{fmMain->aOpenRefMembers, "REF_MEMBERS", "paymentinfo"}}) {
        c.command->Execute();
        Application->ProcessMessages();
        auto* w = dynamic_cast<TRegisterWindow*>(fmMain->ActiveMDIChild());
        ASSERT_NE(w, nullptr) << c.table;
        TDBMemo* memo = Memo(w);
        ASSERT_NE(memo, nullptr) << c.table;
        ActivateForm(w);
        auto clickRow = [&](int dataRow) { ClickRow(w, dataRow); };
        auto clickMemo = [&] { ClickMemo(w); };
        const QString table = QString::fromLatin1(c.table), field = QString::fromLatin1(c.memoField);
        // The records (all, or all but the new one) with their memo texts.
        auto rows = [&](const QString& which) {
            return adotest::Query(DM->adoConnection,
                                  QStringLiteral("SELECT id, %1 FROM %2 %3 ORDER BY id").arg(field, table, which));
        };
        auto others = [&] { return rows(QStringLiteral("WHERE %1 IS NULL OR %1<>\"Новый шаблон\"").arg(field)); };
        const QString before = others();
        const int count = Count(QStringLiteral("SELECT COUNT(*) FROM ") + table);

        clickRow(0);
        screen::Click(w->ToolButton5->QtButton());   // "+"
        Application->ProcessMessages();
        ASSERT_EQ(w->DataSource->DataSet()->State(), dsInsert) << c.table;
        clickMemo();
        ASSERT_TRUE(memo->Focused()) << c.table;
        EXPECT_EQ(w->DataSource->DataSet()->State(), dsInsert) << c.table;
        TypeKeys(QStringLiteral("Новый шаблон"));
        clickRow(2);
        EXPECT_EQ(w->DataSource->DataSet()->State(), dsBrowse) << c.table;
        EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM ") + table), count + 1) << c.table;
        EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2=\"Новый шаблон\"").arg(table, field)), 1)
            << c.table;
        EXPECT_EQ(others(), before) << c.table;

        // Esc in the memo: the record keeps its stored text.
        clickRow(0);
        const QString all = rows(QString());
        clickMemo();
        qobject_cast<QPlainTextEdit*>(memo->Widget())->moveCursor(QTextCursor::End);
        TypeKeys(QStringLiteral(" и ещё"));
        PressKey(Qt::Key_Escape);
        PressKey(Qt::Key_Escape);
        clickRow(1);
        EXPECT_EQ(rows(QString()), all) << c.table;
        Close(w);
    }
}

// "+" on the tool bar and a click into the memo beside the grid (or "+"
// while the focus is in the memo); then the focus goes on, or a command runs while the new row waits, and the window
// closes. Left untouched, the row is dropped: no record without a name is
// stored (a new member's date of filling and active mark, filled in as the
// row is made, are not the user's typing). Typed into, it is stored with the
// text.
TEST_F(Directories, ANewRowLeftFromTheMemoIsDroppedUntouchedAndStoredTyped)
{
    Start();
    struct Window {
        TAction* command;
        const char *table, *name, *memo;
    };
    const Window forms{fmMain->aOpenRefForms, "REF_FORMS", "name", "comment"};
    const Window members{fmMain->aOpenRefMembers, "REF_MEMBERS", "fullname", "paymentinfo"};
    struct Path {
        const char* what;
        std::function<void(TRegisterWindow*)> go;
        bool atOnce = true;   // the row is left then, not only as the window closes
    };
    const Path paths[] = {
        {"the window closing", [](TRegisterWindow*) {}, false},
        {"Обновить", [](TRegisterWindow* w) { screen::Click(w->ToolButton10->QtButton()); }},
        {"a filter's field list",
         [](TRegisterWindow* w) {
             screen::Click(w->FilterRows().at(0).cmbField->Widget());   // opens its list
             PressKey(Qt::Key_Escape);
         }},
        {"the filter applied", [](TRegisterWindow* w) { screen::Click(w->sbApplyFilter->Widget()); }},
        {"another window",
         [](TRegisterWindow*) {
             fmMain->aOpenRefPlaces->Execute();
             Application->ProcessMessages();
         }},
    };
    struct Case {
        const Window& window;
        const char* typed;
        bool plusInMemo = false;   // "+" pressed while the focus is in the memo
    };
    for (const Case& c : {Case{forms, ""}, Case{forms, "", true}, Case{forms, "Шаблон"}, Case{members, ""},
                          Case{members, "", true}, Case{members, "Счёт 40817"}})
        for (const Path& p : paths) {
            const QString table = QString::fromLatin1(c.window.table), typed = QString::fromUtf8(c.typed);
            const std::string what = c.window.table + std::string(", ") + p.what + (typed.isEmpty() ? "" : ", typed") +
                                     (c.plusInMemo ? ", + in the memo" : "");
            c.window.command->Execute();
            Application->ProcessMessages();
            auto* w = dynamic_cast<TRegisterWindow*>(fmMain->ActiveMDIChild());
            ASSERT_NE(w, nullptr) << what;
            ActivateForm(w);
            const int count = Count(QStringLiteral("SELECT COUNT(*) FROM ") + table);
            ClickRow(w, 0);
            if (c.plusInMemo) ClickMemo(w);
            screen::Click(w->ToolButton5->QtButton());   // "+"
            Application->ProcessMessages();
            if (!c.plusInMemo) ClickMemo(w);
            ASSERT_TRUE(Memo(w)->Focused()) << what;
            ASSERT_EQ(w->DataSource->DataSet()->State(), dsInsert) << what;
            TypeKeys(typed);
            p.go(w);
            if (typed.isEmpty() && p.atOnce) EXPECT_EQ(w->DataSource->DataSet()->State(), dsBrowse) << what;
            Close(w);
            while (fmMain->MDIChildCount() > 0) Close(fmMain->MDIChildren(0));
            EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM ") + table), count + (typed.isEmpty() ? 0 : 1)) << what;
            EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE %2 IS NULL AND %3=\"%4\"")
                                .arg(table, QString::fromLatin1(c.window.name), QString::fromLatin1(c.window.memo), typed)),
                      typed.isEmpty() ? 0 : 1)
                << what;
            DM->adoConnection->Execute(QStringLiteral("DELETE FROM %1 WHERE %2 IS NULL")
                                           .arg(table, QString::fromLatin1(c.window.name)));
        }
    EXPECT_EQ(Boxes(QStringLiteral("Ошибка сохранения данных")), 0);
}

TEST_F(Directories, FormsMemoPaneIsCappedOnShowAndResizeAndOnlyItsHeightIsStored)
{
    Start();
    TfmMainReferenceMemo* w = OpenForms();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(w->FormStorage->Active());
    w->SetHeight(400);
    w->Panel1->SetHeight(250);   // 250 <= 400 - 100: kept
    Application->ProcessMessages();
    EXPECT_EQ(w->Panel1->Height(), 250);
    w->SetHeight(330);           // 250 > 230: back to 70
    EXPECT_EQ(w->Panel1->Height(), 70);
    w->Panel1->SetHeight(180);
    Close(w);
    {
        TIniFile ini(SettingsFile());
        const QString section = QStringLiteral("TfmMainReferenceMemo_adoRefForms");
        TStringList keys;
        ini.ReadSection(section, &keys);
        EXPECT_TRUE(keys.Text().contains(QStringLiteral("Panel1_Height")));
        EXPECT_FALSE(keys.Text().contains(QStringLiteral("Columns")));
    }

    // Shown again: 180 comes back; stored too tall for the window it is cut to 70.
    w = OpenForms();
    EXPECT_EQ(w->Panel1->Height(), 180);
    w->SetHeight(250);
    EXPECT_EQ(w->Panel1->Height(), 70);
    w->Panel1->SetHeight(200);
    Close(w);
    w = OpenForms();
    EXPECT_EQ(w->Panel1->Height(), 70);   // 200 > 250 - 100
    // The status bar lies under the panes.
    EXPECT_GE(w->StatusBar->Top(), w->Panel2->Top() + w->Panel2->Height());
}

TEST_F(Directories, FormsSplitterKeepsBothSidesAndEditStartsARecordOnAnEmptyTable)
{
    Start(false);
    TfmMainReferenceMemo* w = OpenForms();
    ASSERT_NE(w, nullptr);
    w->SetHeight(450);
    Application->ProcessMessages();
    // Dragged up: the grid side keeps 50 pixels; dragged down: the pane keeps 70.
    w->Splitter1->MoveBy(-1000);
    EXPECT_EQ(w->Panel3->Height(), 50);
    w->Splitter1->MoveBy(1000);
    EXPECT_EQ(w->Panel1->Height(), 70);

    EXPECT_EQ(DM->adoRefForms->RecordCount(), 0);
    w->Timer->Fire();
    EXPECT_TRUE(w->aNEdit->Enabled());
    EXPECT_FALSE(w->aNDelete->Enabled());
    w->aNEdit->Execute();
    EXPECT_EQ(DM->adoRefForms->State(), dsInsert);
    DM->adoRefForms->Cancel();
}

// ------------------------------------------------------------ board members

TEST_F(Directories, MembersPanesFollowTheCurrentMember)
{
    Start();
    TfmMainReferenceMembers* w = OpenMembers();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->DataSource1->DataSet(), DM->adoRefPosts);
    EXPECT_EQ(w->DataSource2->DataSet(), DM->adoRefOtherManagement);
    EXPECT_EQ(w->DBMemo->DataField(), QStringLiteral("paymentinfo"));
    TADOTable* members = DM->adoRefMembers;
    for (members->First(); !members->Eof(); members->Next()) {
        Application->ProcessMessages();
        const QString id = members->FieldByName(QStringLiteral("id"))->AsString();
        EXPECT_EQ(DM->adoRefPosts->RecordCount(),
                  Count(QStringLiteral("SELECT COUNT(*) FROM REF_POSTS WHERE id_member=\"%1\"").arg(id)));
        EXPECT_EQ(DM->adoRefOtherManagement->RecordCount(),
                  Count(QStringLiteral("SELECT COUNT(*) FROM REF_OTHER_MANAGEMENT WHERE id_member=\"%1\"").arg(id)));
        EXPECT_EQ(Shown(w->DBMemo), members->FieldByName(QStringLiteral("paymentinfo"))
                                        ->AsString()
                                        .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }
    // Typing payment details edits the member.
    members->First();
    w->DBMemo->SetFocus();
    w->DBMemo->TypeChar(QLatin1Char('x'));
    EXPECT_EQ(members->State(), dsEdit);
    members->Cancel();
}

TEST_F(Directories, MembersPaneSizesAreStoredAndCappedOnShow)
{
    Start();
    TfmMainReferenceMembers* w = OpenMembers();
    ASSERT_NE(w, nullptr);
    w->SetBounds(w->Left(), w->Top(), 600, 450);
    Close(w);
    const QString section = QStringLiteral("TfmMainReferenceMembers_adoRefMembers");
    {
        TIniFile ini(SettingsFile());
        TStringList keys;
        ini.ReadSection(section, &keys);
        const QString all = keys.Text();
        for (const char* k : {"Panel5_Height", "Panel6_Height", "Panel2_Width", "DBGrid_Columns.Count",
                              "DBGrid1_Columns.Count", "DBGrid2_Columns.Count"})
            EXPECT_TRUE(all.contains(QString::fromLatin1(k))) << k;
        // Too tall a memo pane and too wide a right part; a seats pane that fits.
        ini.WriteInteger(section, QStringLiteral("Panel5_Height"), 380);
        ini.WriteInteger(section, QStringLiteral("Panel6_Height"), 340);
        ini.WriteInteger(section, QStringLiteral("Panel2_Width"), 500);
    }
    w = OpenMembers();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Height(), 450);
    EXPECT_EQ(w->Panel5->Height(), 100);
    EXPECT_EQ(w->Panel6->Height(), 340);
    EXPECT_EQ(w->Panel2->Width(), 240);
    // A resize caps them again.
    w->SetHeight(430);
    EXPECT_EQ(w->Panel6->Height(), 100);
}

// The number of data rows the grid shows on the screen: rows whose first
// data cell holds drawn text; Room gets how many rows there is room for.
static int RowsShown(TQvDBGrid* grid, int* Room = nullptr)
{
    QWidget* vp = qobject_cast<QAbstractScrollArea*>(grid->Widget())->viewport();
    const QImage img = screen::ScreenOf(vp);
    int rows = 0;
    if (Room) *Room = 0;
    for (int r = grid->TitleOffset();; ++r) {
        const TRect cell = grid->CellRect(grid->IndicatorOffset(), r);
        if (cell.Width() <= 0 || cell.Bottom > img.height()) break;
        if (Room) ++*Room;
        // Text on the cell's background, current cell or not: more than one
        // colour inside the cell's lines.
        const QRgb back = img.pixel(cell.Left + 2, cell.Top + 2);
        bool text = false;
        for (int y = cell.Top + 2; y < cell.Bottom - 2 && !text; ++y)
            for (int x = cell.Left + 2; x < cell.Right - 2 && !text; ++x) text = img.pixel(x, y) != back;
        rows += text ? 1 : 0;
    }
    return rows;
}

TEST_F(Directories, ARefusedFilterShowsTheWholeTableAsTheStatusBarSays)
{
    Start();
    TfmMainReferenceMembers* w = OpenMembers();
    ASSERT_NE(w, nullptr);
    auto settle = [&] {
        w->Timer->Fire();
        for (int i = 0; i < 3; ++i) Application->ProcessMessages();
    };
    const FilterRow& row = w->FilterRows()[0];
    auto fill = [&](const QString& op, const QString& value) {
        row.cmbField->Select(row.cmbField->Items()->IndexOf(QStringLiteral("Дата рождения")));
        row.cmbExp->Select(row.cmbExp->Items()->IndexOf(op));
        screen::Type(row.cmbValue->Widget(), value);
        ASSERT_EQ(row.cmbValue->Text(), value);
    };
    const int all = Count(QStringLiteral("SELECT COUNT(*) FROM REF_MEMBERS"));
    const int young = Count(QStringLiteral("SELECT COUNT(*) FROM REF_MEMBERS WHERE birthday > %1")
                                .arg(EncodeDate(1978, 1, 1)));
    settle();
    int room = 0;
    const int fit = std::min(all, RowsShown(w->DBGrid, &room));
    ASSERT_EQ(RowsShown(w->DBGrid), std::min(all, room));
    ASSERT_LT(young, fit);

    // A filter the database takes: its rows, and the indicator.
    fill(QStringLiteral("Больше"), QStringLiteral("01.01.1978"));
    screen::Click(w->sbApplyFilter->Widget());
    settle();
    EXPECT_TRUE(w->Filter->Active());
    EXPECT_EQ(RowsShown(w->DBGrid), young);
    EXPECT_EQ(w->StatusBar->PanelText(1), QStringLiteral("Фильтр"));

    // One it refuses: the error is shown once, and the grid and the status
    // bar agree that no filter is on.
    fill(QStringLiteral("Равно"), QStringLiteral("abc"));
    screen::Click(w->sbApplyFilter->Widget());
    settle();
    EXPECT_EQ(rec->Calls.size(), 1u);
    EXPECT_FALSE(w->Filter->Active());
    EXPECT_EQ(DM->adoRefMembers->RecordCount(), all);
    EXPECT_EQ(RowsShown(w->DBGrid), fit);
    EXPECT_EQ(w->StatusBar->PanelText(1), QString());
}

TEST_F(Directories, CtrlDelDeletesOnePostAfterTheQuestion)
{
    Start();
    TfmMainReferenceMembers* w = OpenMembers();
    ASSERT_NE(w, nullptr);
    TADOTable* posts = DM->adoRefPosts;
    DM->adoRefMembers->First();
    Application->ProcessMessages();
    const int members = DM->adoRefMembers->RecordCount();
    const int before = posts->RecordCount();
    ASSERT_GT(before, 0);
    // The key as the grid hands it to its handler, through the event bridge
    // (a "No" ends the deletion with a silent abort).
    auto ctrlDel = [&] {
        WORD key = VK_DELETE;
        CallHandler(w->DBGrid1, [&] { w->DBGrid1->OnKeyDown(w->DBGrid1, key, TShiftState{ssCtrl}); });
        return key;
    };
    rec->Answers = {IDNO};
    EXPECT_EQ(ctrlDel(), VK_CLEAR);
    EXPECT_EQ(posts->RecordCount(), before);
    rec->Answers = {IDYES};
    ctrlDel();
    EXPECT_EQ(posts->RecordCount(), before - 1);
    EXPECT_EQ(Boxes(QStringLiteral("Подтверждение удаления")), 2);
    EXPECT_EQ(DM->adoRefMembers->RecordCount(), members);

    // A member without posts: nothing to delete, nothing asked.
    DM->adoRefPosts->First();
    rec->Answers = {IDYES, IDYES, IDYES, IDYES, IDYES};
    while (!posts->IsEmpty()) posts->Delete();
    const int asked = Boxes(QStringLiteral("Подтверждение удаления"));
    EXPECT_EQ(ctrlDel(), VK_CLEAR);
    EXPECT_EQ(Boxes(QStringLiteral("Подтверждение удаления")), asked);
    EXPECT_EQ(DM->adoRefMembers->RecordCount(), members);
}

// The "Активный" pick list of a new member's row (its last column) opened
// by a press on the cell's arrow is not the row left: the list opens over the row, "Нет"
// clicked in it stands in the cell, and the member is stored with it as
// the window closes. Opened and closed again untouched, the row still goes
// when the focus moves to another control.
TEST_F(Directories, TheActivePickListOfANewMembersRowOpensAndChoosesByClicks)
{
    Start();
    TfmMainReferenceMembers* w = OpenMembers();
    ASSERT_NE(w, nullptr);
    ActivateForm(w);
    TDBGrid* g = w->DBGrid;
    const int members = Count(QStringLiteral("SELECT COUNT(*) FROM REF_MEMBERS"));
    // "+" on the tool bar, End to the last column, "Активный", then a click
    // on the new row's cell there, the current cell: its editor opens.
    auto newRowsList = [&]() -> QComboBox* {
        ClickRow(w, 0);
        screen::Click(w->ToolButton5->QtButton());
        Application->ProcessMessages();
        EXPECT_EQ(DM->adoRefMembers->State(), dsInsert);
        PressKey(Qt::Key_End);
        EXPECT_EQ(g->SelectedField(), DM->adoRefMembers->FieldByName(QStringLiteral("enabled")));
        const TRect r = g->CellRect(g->Col(), g->Row());
        screen::Click(qobject_cast<QAbstractScrollArea*>(g->Widget())->viewport(),
                      QPointF((r.Left + r.Right) / 2.0, (r.Top + r.Bottom) / 2.0));
        Application->ProcessMessages();
        auto* box = g->EditorMode() ? qobject_cast<QComboBox*>(g->InplaceEditor()->Widget()) : nullptr;
        if (!box) return nullptr;
        screen::Click(box, screen::ArrowOf(box));
        Application->ProcessMessages();
        EXPECT_TRUE(box->view()->isVisible());
        EXPECT_EQ(DM->adoRefMembers->State(), dsInsert);
        return box;
    };
    QComboBox* box = newRowsList();
    ASSERT_NE(box, nullptr);
    PressKey(Qt::Key_Escape);
    EXPECT_EQ(DM->adoRefMembers->State(), dsInsert);
    ClickMemo(w);
    EXPECT_EQ(DM->adoRefMembers->State(), dsInsert);   // the memo edits the row: it waits for it
    screen::Click(w->sbApplyFilter->Widget());
    Application->ProcessMessages();
    EXPECT_EQ(DM->adoRefMembers->State(), dsBrowse);
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM REF_MEMBERS")), members);

    box = newRowsList();
    ASSERT_NE(box, nullptr);
    screen::ClickListRow(box, box->findText(QStringLiteral("Нет")));
    EXPECT_EQ(box->currentText(), QStringLiteral("Нет"));
    Close(w);
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM REF_MEMBERS")), members + 1);
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM REF_MEMBERS WHERE fullname IS NULL AND enabled=0")), 1);
    EXPECT_EQ(Boxes(QStringLiteral("Ошибка сохранения данных")), 0);
}

// Tab in the posts grid, which has no "tab moves", leaves it for the next
// control of the window and Shift+Tab for the previous one: the post typed
// in the new row is stored as typed when another member is clicked, and
// what is typed after the key goes into the control the focus went to (Esc
// takes it back there), never onto the post. The seats grid has the option:
// Tab moves on to the organisation's column, and the seat is stored with
// both.
TEST_F(Directories, TabLeavesThePostsGridAndMovesBetweenTheSeatsColumns)
{
    Start();
    TfmMainReferenceMembers* w = OpenMembers();
    ASSERT_NE(w, nullptr);
    ActivateForm(w);
    auto clickGrid = [](TDBGrid* g) {
        const TRect r = g->CellRect(g->IndicatorOffset(), g->TopRow());
        screen::Click(qobject_cast<QAbstractScrollArea*>(g->Widget())->viewport(), QPointF(r.Left + 3, r.Top + 3));
        Application->ProcessMessages();
    };
    DM->adoRefMembers->First();
    const QString first = DM->adoRefMembers->FieldByName(QStringLiteral("id"))->AsString();
    auto stored = [&](const char* table, const QString& where) {
        return Count(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE id_member=\"%2\" AND %3")
                         .arg(QString::fromLatin1(table), first, where));
    };
    const QString members = adotest::Query(DM->adoConnection, QStringLiteral("SELECT * FROM REF_MEMBERS ORDER BY id"));
    const int seats = Count(QStringLiteral("SELECT COUNT(*) FROM REF_OTHER_MANAGEMENT"));
    for (const bool back : {false, true}) {
        SCOPED_TRACE(back ? "Shift+Tab" : "Tab");
        ClickRow(w, 0);
        ASSERT_EQ(DM->adoRefMembers->FieldByName(QStringLiteral("id"))->AsString(), first);
        clickGrid(w->DBGrid1);
        PressKey(Qt::Key_Insert);
        ASSERT_EQ(DM->adoRefPosts->State(), dsInsert);
        const QString post = back ? QStringLiteral("Заместитель") : QStringLiteral("Директор");
        TypeKeys(post);
        back ? PressKey(Qt::Key_Backtab, Qt::ShiftModifier) : PressKey(Qt::Key_Tab);
        QWidget* now = QApplication::focusWidget();
        ASSERT_NE(now, nullptr);
        EXPECT_FALSE(now == w->DBGrid1->Widget() || w->DBGrid1->Widget()->isAncestorOf(now));
        EXPECT_EQ(GetParentForm(FindControl(now)), w);
        TypeKeys(QStringLiteral("ООО Тест"));
        PressKey(Qt::Key_Escape);
        ClickRow(w, 1);
        EXPECT_EQ(stored("REF_POSTS", QStringLiteral("postname=\"%1\"").arg(post)), 1);
    }
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM REF_POSTS WHERE postname LIKE \"%Тест%\"")), 0);
    EXPECT_EQ(adotest::Query(DM->adoConnection, QStringLiteral("SELECT * FROM REF_MEMBERS ORDER BY id")), members);
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM REF_OTHER_MANAGEMENT")), seats);

    ClickRow(w, 0);
    clickGrid(w->DBGrid2);
    PressKey(Qt::Key_Insert);
    ASSERT_EQ(DM->adoRefOtherManagement->State(), dsInsert);
    TypeKeys(QStringLiteral("Член совета"));
    PressKey(Qt::Key_Tab);
    EXPECT_TRUE(w->DBGrid2->Widget()->isAncestorOf(QApplication::focusWidget()) || w->DBGrid2->Focused());
    TypeKeys(QStringLiteral("АО Тест"));
    ClickRow(w, 1);
    EXPECT_EQ(stored("REF_OTHER_MANAGEMENT", QStringLiteral("post=\"Член совета\" AND orgname=\"АО Тест\"")), 1);
}

TEST_F(Directories, APostOfANewMemberSavesTheMemberFirstAndWithoutMembersIsRefused)
{
    Start(false);
    TfmMainReferenceMembers* w = OpenMembers();
    ASSERT_NE(w, nullptr);
    TADOTable* posts = DM->adoRefPosts;
    // No member at all: the row is refused with a message.
    EXPECT_THROW(posts->Insert(), EAbort);
    EXPECT_EQ(posts->State(), dsBrowse);
    EXPECT_EQ(Boxes(QStringLiteral("Добавление записи")), 1);

    // A member being entered is saved when his first post is added.
    w->aNAdd->Execute();
    DM->adoRefMembers->FieldByName(QStringLiteral("fullname"))->SetAsString(QStringLiteral("Новиков И. И."));
    posts->Insert();
    EXPECT_EQ(DM->adoRefMembers->State(), dsBrowse);
    posts->FieldByName(QStringLiteral("postname"))->SetAsString(QStringLiteral("Директор"));
    posts->Post();
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM REF_POSTS p INNER JOIN REF_MEMBERS m ON p.id_member=m.id "
                                   "WHERE m.fullname=\"Новиков И. И.\"")),
              1);
    EXPECT_EQ(posts->RecordCount(), 1);
}

TEST_F(Directories, ClosingAfterAFailedPostLeavesNoDatasetEditing)
{
    Start();
    TfmMainReferenceMembers* w = OpenMembers();
    ASSERT_NE(w, nullptr);
    TADOTable* members = DM->adoRefMembers;
    members->First();
    Application->ProcessMessages();
    // A post row given another post's key fails; a seat row is being typed.
    TADOTable* posts = DM->adoRefPosts;
    ASSERT_GE(posts->RecordCount(), 2);
    posts->Last();
    const QString other = posts->FieldByName(QStringLiteral("id"))->AsString();
    posts->First();
    posts->Edit();
    posts->FieldByName(QStringLiteral("id"))->SetAsString(other);
    ASSERT_FALSE(DM->adoRefOtherManagement->IsEmpty());
    DM->adoRefOtherManagement->Edit();
    DM->adoRefOtherManagement->FieldByName(QStringLiteral("orgname"))->SetAsString(QStringLiteral("не сохранится"));
    Close(w);
    EXPECT_EQ(fmMain->MDIChildCount(), 0);
    EXPECT_EQ(Boxes(QStringLiteral("Ошибка сохранения данных")), 1);
    for (TDataSet* ds : {static_cast<TDataSet*>(members), static_cast<TDataSet*>(posts),
                         static_cast<TDataSet*>(DM->adoRefOtherManagement)})
        EXPECT_EQ(ds->State(), dsBrowse) << ds->Name().toStdString();
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM REF_OTHER_MANAGEMENT WHERE orgname=\"не сохранится\"")), 0);
}

TEST_F(Directories, ClosingSavesADetailRowBeingEdited)
{
    Start();
    TfmMainReferenceMembers* w = OpenMembers();
    ASSERT_NE(w, nullptr);
    DM->adoRefMembers->First();
    DM->adoRefOtherManagement->Edit();
    DM->adoRefOtherManagement->FieldByName(QStringLiteral("orgname"))->SetAsString(QStringLiteral("АО «Новое»"));
    Close(w);
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM REF_OTHER_MANAGEMENT WHERE orgname=\"АО «Новое»\"")), 1);
}

TEST_F(Directories, ActivationWhileADetailRowIsTypedKeepsTheRow)
{
    Start();
    TfmMainReferenceMembers* w = OpenMembers();
    ASSERT_NE(w, nullptr);
    DM->adoRefMembers->First();
    const int before = Count(QStringLiteral("SELECT COUNT(*) FROM REF_POSTS"));
    DM->adoRefPosts->Insert();
    DM->adoRefPosts->FieldByName(QStringLiteral("postname"))->SetAsString(QStringLiteral("половина"));
    w->FormActivate(nullptr);
    EXPECT_EQ(DM->adoRefPosts->State(), dsInsert);
    EXPECT_EQ(DM->adoRefPosts->FieldByName(QStringLiteral("postname"))->AsString(), QStringLiteral("половина"));
    EXPECT_EQ(Count(QStringLiteral("SELECT COUNT(*) FROM REF_POSTS")), before);
    DM->adoRefPosts->Cancel();
}

TEST_F(Directories, MembersEditCommandOnAnEmptyDirectoryStartsAMember)
{
    Start(false);
    TfmMainReferenceMembers* w = OpenMembers();
    ASSERT_NE(w, nullptr);
    w->Timer->Fire();
    EXPECT_TRUE(w->aNEdit->Enabled());
    EXPECT_FALSE(w->aNDelete->Enabled());
    w->aNEdit->Execute();
    EXPECT_EQ(DM->adoRefMembers->State(), dsInsert);
    DM->adoRefMembers->Cancel();
}

}  // namespace
