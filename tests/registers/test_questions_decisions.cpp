// The questions and draft decisions registers opened from the main window:
// the read-only grid and its commands, deleting a question that a decision
// refers to, deleting a decision with its session links and votes in one
// transaction (failures at each step undone), the filter rows, the title
// clicks on calculated columns and the highlight toggle.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QTabBar>

#include "platform/ado/ADODB.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComboBoxes.h"
#include "platform/ui/ExtCtrls.h"
#include "components/DBDateEdit.h"
#include "platform/core/SysUtils.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "registers/unAddEditDecisionObject.h"
#include "registers/unAddEditQuestionObject.h"
#include "registers/unAddEditSessionObject.h"
#include "registers/unDecisionObject.h"
#include "registers/unQuestionObject.h"
#include "registers/unSessionObject.h"
#include "tests/app/AppFixture.h"
#include "tests/platform/AdoTestUtil.h"
#include "tests/platform/ScreenInput.h"

using namespace RegisterFilter;

namespace {

const QString S1 = QStringLiteral("{10000000-0000-0000-0000-000000000001}");
const QString S2 = QStringLiteral("{10000000-0000-0000-0000-000000000002}");
const QString Q1 = QStringLiteral("{20000000-0000-0000-0000-000000000001}");
const QString Q2 = QStringLiteral("{20000000-0000-0000-0000-000000000002}");
const QString D1 = QStringLiteral("{30000000-0000-0000-0000-000000000001}");
const QString D2 = QStringLiteral("{30000000-0000-0000-0000-000000000002}");
const QString M1 = QStringLiteral("{40000000-0000-0000-0000-000000000001}");
const QString M2 = QStringLiteral("{40000000-0000-0000-0000-000000000002}");

const QString DecisionRefusal =
    QStringLiteral("Удаление позиции запрещено, в объекте «Заседания» имеются связанные записи.");
const QString QuestionRefusal =
    QStringLiteral("Удаление позиции запрещено, в объекте «Проекты решений» имеются связанные записи.");

class Objects : public AppFixture {
protected:
    void Start(bool rows = true)
    {
        MakeDb();
        ShowMain();
        ASSERT_TRUE(DM->adoConnection->Connected());
        if (!rows) return;
        // Two sessions, two questions, decision D1 on Q1 put to session 1
        // with two votes, decision D2 on Q1 put to session 2 with one vote.
        // Question Q2 has no decision.
        Exec("INSERT INTO OBJ_SESSIONS (id, pnumber, pdate) VALUES (\"" + S1 + "\", 1, #01/15/2026#)");
        Exec("INSERT INTO OBJ_SESSIONS (id, pnumber, pdate) VALUES (\"" + S2 + "\", 2, #02/20/2026#)");
        Exec("INSERT INTO OBJ_QUESTIONS (id, [date], question) VALUES (\"" + Q1 + "\", #01/10/2026#, \"О бюджете\")");
        Exec("INSERT INTO OBJ_QUESTIONS (id, [date], question) VALUES (\"" + Q2 + "\", #01/11/2026#, \"Об аудиторе\")");
        Exec("INSERT INTO OBJ_DECISIONS (id, id_question, description) VALUES (\"" + D1 + "\", \"" + Q1 +
             "\", \"Утвердить бюджет\")");
        Exec("INSERT INTO OBJ_DECISIONS (id, id_question, description) VALUES (\"" + D2 + "\", \"" + Q1 +
             "\", \"Отложить бюджет\")");
        Exec("INSERT INTO LNK_SESSIONS_DECISIONS (id, id_session, id_decision) VALUES "
             "(\"{50000000-0000-0000-0000-000000000001}\", \"" + S1 + "\", \"" + D1 + "\")");
        Exec("INSERT INTO LNK_SESSIONS_DECISIONS (id, id_session, id_decision) VALUES "
             "(\"{50000000-0000-0000-0000-000000000002}\", \"" + S2 + "\", \"" + D2 + "\")");
        int n = 0;
        for (const auto& [d, m] : {std::pair{D1, M1}, std::pair{D1, M2}, std::pair{D2, M1}})
            Exec("INSERT INTO LNK_DECISIONS_MEMBERS (id, id_decision, id_member, vote) VALUES "
                 "(\"{60000000-0000-0000-0000-00000000000" + QString::number(++n) + "}\", \"" + d + "\", \"" + m +
                 "\", 1)");
        Reread();
    }
    // Rows were written behind the data module's back: every open dataset
    // reads them.
    static void Reread()
    {
        for (int i = 0; i < DM->ComponentCount(); ++i)
            if (auto* ds = dynamic_cast<TDataSet*>(DM->Components(i)); ds && ds->Active()) ds->Requery();
    }
    static void Exec(const QString& sql) { DM->adoConnection->Execute(sql); }
    static int Count(const QString& sql)
    {
        ado::RecordsetPtr rs = DM->adoConnection->Execute(sql);
        return rs && rs->RowCount() > 0 ? rs->Value(0, 0).toInt() : -1;
    }
    static int Rows(const QString& table, const QString& where = QString())
    {
        return Count(QStringLiteral("SELECT COUNT(*) FROM ") + table + (where.isEmpty() ? QString() : " WHERE " + where));
    }
    template <class W>
    W* Open(TAction* command)
    {
        command->Execute();
        for (int i = 0; i < fmMain->MDIChildCount(); ++i)
            if (auto* w = dynamic_cast<W*>(fmMain->MDIChildren(i))) {
                w->Timer->Fire();
                return w;
            }
        return nullptr;
    }
    TfmQuestionObject* Questions() { return Open<TfmQuestionObject>(fmMain->aOpenObjQuestions); }
    TfmDecisionObject* Decisions() { return Open<TfmDecisionObject>(fmMain->aOpenObjDecisions); }
    // Makes the database refuse the operation (DELETE, INSERT, UPDATE) on
    // the table, until Agree.
    static void Refuse(const QString& table, const QString& operation = QStringLiteral("DELETE"))
    {
        ASSERT_TRUE(adotest::Refuse(DM->adoConnection, table, operation));
    }
    static void Agree(const QString& table, const QString& operation = QStringLiteral("DELETE"))
    {
        ASSERT_TRUE(adotest::Agree(DM->adoConnection, table, operation));
    }
    static TColumn* Column(TRegisterWindow* w, const QString& field)
    {
        for (int i = 0; i < w->DBGrid->Columns()->Count(); ++i)
            if (w->DBGrid->Columns()->Items(i)->FieldName() == field) return w->DBGrid->Columns()->Items(i);
        return nullptr;
    }
    static QStringList FieldList(TRegisterWindow* w)
    {
        QStringList out;
        TStrings* items = w->FilterRows().at(0).cmbField->Items();
        for (int i = 0; i < items->Count(); ++i) out << items->Strings(i);
        return out;
    }
    static TSortMarker Marker(TRegisterWindow* w, TField* f)
    {
        TSortMarker m = smNone;
        TColor bg = clWindow;
        w->DBGridGetBtnParams(w->DBGrid, f, nullptr, bg, m, false);
        return m;
    }
    // A double click at the middle of a grid cell (raw column and row), with
    // the mouse pointer there as a user's double click leaves it.
    static void DoubleClick(TRegisterWindow* w, int col, int row)
    {
        const TRect r = w->DBGrid->CellRect(col, row);
        const TPoint p = w->DBGrid->ClientToScreen(Point((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
        SetCursorPos(p.X, p.Y);
        w->DBGrid->OnDblClick(w->DBGrid);
    }
};

}  // namespace

TEST_F(Objects, EmptyRegistersOfferOnlyAdd)
{
    Start(false);
    for (TObjectRegisterWindow* w :
         {static_cast<TObjectRegisterWindow*>(Questions()), static_cast<TObjectRegisterWindow*>(Decisions())}) {
        ASSERT_NE(w, nullptr);
        w->Timer->Fire();
        EXPECT_TRUE(w->aNAdd->Enabled());
        EXPECT_FALSE(w->aNEdit->Enabled());
        EXPECT_FALSE(w->aNDelete->Enabled());
        const size_t asked = rec->Calls.size();
        WORD key = VK_DELETE;
        w->DBGridKeyDown(w->DBGrid, key, TShiftState{ssCtrl});
        EXPECT_EQ(key, VK_CLEAR);
        w->DBGrid->SimulateKeyDown(VK_DELETE, TShiftState{ssCtrl});
        DoubleClick(w, 1, 1);
        EXPECT_EQ(rec->Calls.size(), asked);
        EXPECT_EQ(w->DataSource->DataSet()->State(), dsBrowse);
    }
}

TEST_F(Objects, CommandsHintsShortcutsAndToolBar)
{
    Start();
    TfmQuestionObject* q = Questions();
    TfmDecisionObject* d = Decisions();
    ASSERT_NE(q, nullptr);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(q->Caption(), QStringLiteral("Объект «Вопросы заседаний»"));
    EXPECT_EQ(d->Caption(), QStringLiteral("Объект «Проекты решений»"));
    for (TObjectRegisterWindow* w : {static_cast<TObjectRegisterWindow*>(q), static_cast<TObjectRegisterWindow*>(d)}) {
        EXPECT_EQ(w->aNAdd->ShortCut(), VK_INSERT);
        EXPECT_EQ(w->aNDelete->ShortCut(), TShortCut(scCtrl | VK_DELETE));
        EXPECT_EQ(w->aNEdit->ShortCut(), VK_F2);
        EXPECT_EQ(w->aNAdd->Hint(), QStringLiteral("Добавить новую позицию|Добавить новую позицию"));
        EXPECT_EQ(w->aNDelete->Hint(), QStringLiteral("Удалить текущую позицию|Удалить текущую позицию"));
        EXPECT_EQ(w->aNEdit->Hint(), QStringLiteral("Редактировать текущую позицию|Редактировать текущую позицию"));
        for (TToolButton* b : {w->ToolButton8, w->ToolButton9, w->ToolButton10, w->ToolButton16})
            EXPECT_FALSE(b->Visible()) << b->Name().toStdString();
        EXPECT_TRUE(w->ToolButton7->Visible());
        EXPECT_FALSE(w->DBGrid->Options().Contains(dgEditing));
        EXPECT_FALSE(w->DataSource->AutoEdit());
        EXPECT_EQ(w->ToolButton16->Action()->ImageIndex(), 21);
        EXPECT_TRUE(w->ToolButton16->Action()->AutoCheck());
        EXPECT_EQ(w->ToolButton16->Action()->ShortCut(), 0);
    }
    EXPECT_EQ(q->aHighlight->Name(), QStringLiteral("aHighlight"));
    EXPECT_EQ(q->aHighlight->Caption(), QStringLiteral("Подсветить решенные вопросы"));
    EXPECT_EQ(q->aHighlight->Hint(), QStringLiteral("Подсветить решенные вопросы"));
    EXPECT_EQ(d->aHighLight->Name(), QStringLiteral("aHighLight"));
    EXPECT_EQ(d->aHighLight->Caption(), QStringLiteral("Подсветить утвержденные проекты"));

    // The filter rows list only data fields.
    EXPECT_EQ(FieldList(q), (QStringList{FieldPlaceholder, QStringLiteral("Дата внесения")}));
    EXPECT_EQ(FieldList(d), QStringList{FieldPlaceholder});

    // Typing into the read-only grid starts no editing.
    q->Timer->Fire();
    q->DBGrid->SimulateKeyPress(QLatin1Char('x'));
    EXPECT_EQ(DM->adoObjQuestions->State(), dsBrowse);
}

TEST_F(Objects, QuestionReferredToByADecisionStays)
{
    Start();
    TfmQuestionObject* w = Questions();
    ASSERT_NE(w, nullptr);
    TDataSet* ds = DM->adoObjQuestions;
    ASSERT_EQ(ds->RecordCount(), 2);

    // No: nothing follows.
    ASSERT_TRUE(ds->Locate(QStringLiteral("id"), Q1));
    w->Timer->Fire();
    rec->Answers.push_back(IDNO);
    w->aNDelete->Execute();
    EXPECT_EQ(rec->Calls.size(), 1u);
    EXPECT_EQ(rec->Last().Caption, QStringLiteral("Подтверждение удаления"));
    EXPECT_EQ(rec->Last().Text, QStringLiteral("Вы действительно хотите удалить текущую запись?"));
    EXPECT_EQ(Rows("OBJ_QUESTIONS"), 2);

    // Yes: the database refuses, the message says why, the question stays.
    rec->Answers.push_back(IDYES);
    w->aNDelete->Execute();
    ASSERT_EQ(rec->Calls.size(), 3u);
    EXPECT_EQ(rec->Last().Text, QuestionRefusal);
    EXPECT_EQ(rec->Last().Caption, QStringLiteral("Удаление"));
    EXPECT_EQ(rec->Last().Flags, MB_OK | MB_ICONERROR);
    EXPECT_EQ(Rows("OBJ_QUESTIONS"), 2);
    EXPECT_EQ(ds->RecordCount(), 2);
    EXPECT_EQ(ds->FieldByName(QStringLiteral("id"))->AsString(), Q1);

    // A question no decision refers to goes, through Ctrl+Del on the grid.
    ASSERT_TRUE(ds->Locate(QStringLiteral("id"), Q2));
    w->Timer->Fire();
    rec->Answers.push_back(IDYES);
    w->DBGrid->SimulateKeyDown(VK_DELETE, TShiftState{ssCtrl});
    EXPECT_EQ(Rows("OBJ_QUESTIONS"), 1);
    EXPECT_EQ(ds->RecordCount(), 1);
}

TEST_F(Objects, TitleClicksOnCalculatedColumnsDoNothing)
{
    Start();
    TfmQuestionObject* q = Questions();
    ASSERT_NE(q, nullptr);
    TColumn* preview = Column(q, QStringLiteral("qpreview"));
    TColumn* date = Column(q, QStringLiteral("date"));
    ASSERT_NE(preview, nullptr);
    ASSERT_NE(date, nullptr);
    EXPECT_EQ(preview->Title()->Caption(), QStringLiteral("Вопрос"));
    EXPECT_NO_THROW(q->DBGrid->OnTitleClick(preview));
    EXPECT_EQ(DM->adoObjQuestions->Sort(), QString());
    EXPECT_EQ(Marker(q, preview->Field()), smNone);
    q->DBGrid->OnTitleClick(date);
    EXPECT_EQ(DM->adoObjQuestions->Sort(), QStringLiteral("date ASC"));
    EXPECT_EQ(Marker(q, date->Field()), smDown);
    // The calculated column leaves the date's order and gets no marker.
    q->DBGrid->OnTitleClick(preview);
    EXPECT_EQ(DM->adoObjQuestions->Sort(), QStringLiteral("date ASC"));
    EXPECT_EQ(Marker(q, preview->Field()), smNone);

    TfmDecisionObject* d = Decisions();
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(d->DBGrid->Columns()->Count(), 3);
    for (int i = 0; i < 3; ++i) {
        TColumn* c = d->DBGrid->Columns()->Items(i);
        EXPECT_NO_THROW(d->DBGrid->OnTitleClick(c)) << c->FieldName().toStdString();
        EXPECT_EQ(DM->adoObjDecisions->Sort(), QString());
        EXPECT_EQ(Marker(d, c->Field()), smNone);
    }
}

TEST_F(Objects, HighlightTwiceLeavesCheckMarkAndGrid)
{
    Start();
    TfmQuestionObject* w = Questions();
    ASSERT_NE(w, nullptr);
    Application->ProcessMessages();
    const QImage before = w->DBGrid->Grab();
    EXPECT_FALSE(w->aHighlight->Checked());
    w->aHighlight->Execute();
    EXPECT_TRUE(w->aHighlight->Checked());
    w->aHighlight->Execute();
    EXPECT_FALSE(w->aHighlight->Checked());
    Application->ProcessMessages();
    EXPECT_EQ(w->DBGrid->Grab(), before);
}

TEST_F(Objects, DecisionDeletionDeclinedKeepsEverything)
{
    Start();
    TfmDecisionObject* w = Decisions();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(DM->adoObjDecisions->Locate(QStringLiteral("id"), D1));
    w->Timer->Fire();
    rec->Answers.push_back(IDNO);
    w->aNDelete->Execute();
    ASSERT_EQ(rec->Calls.size(), 1u);
    EXPECT_EQ(rec->Last().Caption, QStringLiteral("Подтверждение удаления"));
    EXPECT_EQ(rec->Last().Text, QStringLiteral("ВСЕ ДАННЫЕ, связанные с выбранной позицией будут также удалены.   "
                                               "\r\nВы действительно хотите удалить текущую запись?"));
    EXPECT_EQ(Rows("OBJ_DECISIONS"), 2);
    EXPECT_EQ(Rows("LNK_SESSIONS_DECISIONS"), 2);
    EXPECT_EQ(Rows("LNK_DECISIONS_MEMBERS"), 3);
}

TEST_F(Objects, DecisionDeletionRemovesLinksAndVotesAskingOnce)
{
    Start();
    TfmDecisionObject* w = Decisions();
    ASSERT_NE(w, nullptr);
    TDataSet* ds = DM->adoObjDecisions;
    ASSERT_TRUE(ds->Locate(QStringLiteral("id"), D1));
    EXPECT_EQ(ds->FieldByName(QStringLiteral("session"))->AsString(), QStringLiteral("№1 от 15.01.2026"));
    w->Timer->Fire();
    rec->Answers.push_back(IDYES);
    w->DBGrid->SimulateKeyDown(VK_DELETE, TShiftState{ssCtrl});
    EXPECT_EQ(rec->Calls.size(), 1u);   // the warning, once; no refusal
    EXPECT_EQ(Rows("OBJ_DECISIONS", "id=\"" + D1 + "\""), 0);
    EXPECT_EQ(Rows("LNK_SESSIONS_DECISIONS", "id_decision=\"" + D1 + "\""), 0);
    EXPECT_EQ(Rows("LNK_DECISIONS_MEMBERS", "id_decision=\"" + D1 + "\""), 0);
    // The other decision keeps its link and vote, and the grid shows it first.
    EXPECT_EQ(Rows("LNK_SESSIONS_DECISIONS"), 1);
    EXPECT_EQ(Rows("LNK_DECISIONS_MEMBERS"), 1);
    EXPECT_EQ(ds->RecordCount(), 1);
    EXPECT_EQ(ds->RecNo(), 1);
    EXPECT_EQ(ds->FieldByName(QStringLiteral("session"))->AsString(), QStringLiteral("№2 от 20.02.2026"));
}

TEST_F(Objects, DecisionDeletionFailingAtAnyStepLeavesEverything)
{
    for (const QString& table : {QStringLiteral("LNK_SESSIONS_DECISIONS"), QStringLiteral("LNK_DECISIONS_MEMBERS"),
                                QStringLiteral("OBJ_DECISIONS")}) {
        SCOPED_TRACE(table.toStdString());
        Start();
        Refuse(table);
        TfmDecisionObject* w = Decisions();
        ASSERT_NE(w, nullptr);
        TDataSet* ds = DM->adoObjDecisions;
        ASSERT_TRUE(ds->Locate(QStringLiteral("id"), D1));
        w->Timer->Fire();
        rec->Answers.push_back(IDYES);
        w->aNDelete->Execute();
        ASSERT_EQ(rec->Calls.size(), 2u);
        EXPECT_EQ(rec->Last().Text, DecisionRefusal);
        EXPECT_EQ(rec->Last().Caption, QStringLiteral("Удаление"));
        EXPECT_EQ(rec->Last().Flags, MB_OK | MB_ICONERROR);
        EXPECT_EQ(Rows("OBJ_DECISIONS"), 2);
        EXPECT_EQ(Rows("LNK_SESSIONS_DECISIONS"), 2);
        EXPECT_EQ(Rows("LNK_DECISIONS_MEMBERS"), 3);
        EXPECT_EQ(ds->RecordCount(), 2);
        EXPECT_FALSE(DM->adoConnection->InTransaction());
        EXPECT_TRUE(ds->Locate(QStringLiteral("id"), D1));
        // The next deletion asks again and works once the database agrees.
        Agree(table);
        rec->Answers.push_back(IDYES);
        w->aNDelete->Execute();
        EXPECT_EQ(Rows("OBJ_DECISIONS"), 1);
        EXPECT_EQ(Rows("LNK_DECISIONS_MEMBERS"), 1);
        TearDown();
        QFile::remove(DbFile());
        SetUp();
    }
}

TEST_F(Objects, DoubleClickOnTitleOrIndicatorDoesNothing)
{
    Start();
    TfmQuestionObject* w = Questions();
    ASSERT_NE(w, nullptr);
    Application->ProcessMessages();
    DoubleClick(w, 1, 0);
    DoubleClick(w, 0, 1);
    EXPECT_EQ(rec->Calls.size(), 0u);
    EXPECT_EQ(DM->adoObjQuestions->State(), dsBrowse);
}

// ---------------------------------------------------------------- the dialogs

namespace {
// The texts the grid painted, row by row, after the event loop ran.
QStringList Painted(TRegisterWindow* w)
{
    QStringList out;
    Application->ProcessMessages();
    auto previous = w->DBGrid->OnDrawColumnCell;
    w->DBGrid->OnDrawColumnCell = [&](TObject*, const TRect&, int, TColumn* c, TGridDrawState) {
        if (c && c->Field()) out << c->Field()->DisplayText();
    };
    w->DBGrid->Grab();
    w->DBGrid->OnDrawColumnCell = previous;
    return out;
}
QString Text(TDataSet* ds, const char* field) { return ds->FieldByName(QString::fromLatin1(field))->AsString(); }
}  // namespace

TEST_F(Objects, QuestionAddCancelStoresNothingAndOkShowsTheNewQuestion)
{
    Start(false);
    TfmQuestionObject* w = Questions();
    ASSERT_NE(w, nullptr);
    TDataSet* ds = DM->adoObjQuestions;
    rec->OnModal = [&](TForm* f) {
        auto* d = dynamic_cast<TfmAddEditQuestionObject*>(f);
        EXPECT_NE(d, nullptr);
        if (!d) return int(mrCancel);
        EXPECT_EQ(d->Caption(), QStringLiteral("Добавление вопроса"));
        EXPECT_EQ(d->ActiveControl(), d->DBDateEdit1);
        EXPECT_EQ(ds->State(), dsInsert);
        EXPECT_EQ(ds->FieldByName(QStringLiteral("date"))->AsDateTime(), Date());
        ds->FieldByName(QStringLiteral("question"))->SetAsString(QStringLiteral("Брошенный вопрос"));
        return int(mrCancel);
    };
    w->aNAdd->Execute();
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(Rows("OBJ_QUESTIONS"), 0);
    EXPECT_EQ(ds->RecordCount(), 0);

    rec->OnModal = [&](TForm* f) {
        auto* d = dynamic_cast<TfmAddEditQuestionObject*>(f);
        d->DBMemo1->SetText(QStringLiteral("О дивидендах"));
        d->btnOK->Click();
        return d->ModalResult();
    };
    w->aNAdd->Execute();
    EXPECT_EQ(ds->State(), dsBrowse);
    EXPECT_EQ(Rows("OBJ_QUESTIONS"), 1);
    EXPECT_EQ(Rows("OBJ_QUESTIONS", "question=\"О дивидендах\""), 1);
    const QStringList painted = Painted(w);
    EXPECT_TRUE(painted.contains(DateToStr(Date()))) << painted.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(painted.contains(QStringLiteral("О дивидендах..."))) << painted.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(Forms(QStringLiteral("TfmAddEditQuestionObject")), 2);
}

// Esc with the focus in a single-line field of the session, question and
// decision dialogs (a pending change typed first where the field takes one)
// ends the dialog as its Cancel button does: the record is cancelled and
// nothing is stored.
TEST_F(Objects, EscInAnyFieldOfTheEditDialogsCancelsAndStoresNothing)
{
    Start();
    struct Case {
        const char* reg;
        bool add;
        const char* control;
        const char* typed;
    };
    const Case cases[] = {
        {"sessions", true, "DBEdit1", "9"},          {"sessions", true, "DBDateEdit1", "1"},
        {"sessions", false, "DBEdit1", "9"},         {"sessions", false, "DBDateEdit1", "1"},
        {"questions", true, "DBDateEdit1", "1"},     {"questions", false, "DBDateEdit1", "1"},
        {"decisions", true, "DBLookupComboBox2", ""}, {"decisions", true, "DBLookupComboBox1", ""},
    };
    const QStringList tables{QStringLiteral("OBJ_SESSIONS"), QStringLiteral("OBJ_QUESTIONS"),
                             QStringLiteral("OBJ_DECISIONS"), QStringLiteral("LNK_SESSIONS_DECISIONS")};
    auto snapshot = [&] {
        QString out;
        for (const QString& t : tables) {
            ado::RecordsetPtr rs = DM->adoConnection->Execute("SELECT * FROM " + t + " ORDER BY id");
            for (qsizetype r = 0; r < rs->RowCount(); ++r)
                for (int c = 0; c < rs->ColumnCount(); ++c) out += rs->Text(r, c) + QLatin1Char('|');
        }
        return out;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.reg) + (c.add ? " add " : " edit ") + c.control);
        const QString reg = QString::fromLatin1(c.reg);
        TRegisterWindow* w = reg == QLatin1String("sessions")    ? Open<TfmSessionObject>(fmMain->aOpenObjSessions)
                             : reg == QLatin1String("questions") ? static_cast<TRegisterWindow*>(Questions())
                                                                 : Decisions();
        ASSERT_NE(w, nullptr);
        const QString before = snapshot();
        TModalResult result = mrNone;
        rec->OnModal = [&](TForm* f) {
            ActivateForm(f);
            auto* control = dynamic_cast<TWinControl*>(f->FindComponent(QString::fromLatin1(c.control)));
            EXPECT_NE(control, nullptr);
            if (!control) return int(mrCancel);
            control->SetFocus();
            Application->ProcessMessages();
            const QString shown = control->Text();
            TypeKeys(QString::fromLatin1(c.typed));
            if (*c.typed) {
                EXPECT_NE(control->Text(), shown);
            }
            PressKey(Qt::Key_Escape);
            result = f->ModalResult();
            return int(result == mrNone ? mrIgnore : mrNone);
        };
        (c.add ? w->aNAdd : w->aNEdit)->Execute();
        rec->OnModal = nullptr;
        EXPECT_EQ(result, mrCancel);
        EXPECT_EQ(w->DataSource->DataSet()->State(), dsBrowse);
        EXPECT_EQ(snapshot(), before);
        EXPECT_FALSE(DM->adoConnection->InTransaction());
    }
}

// With an impossible date in a date field of the session or question
// dialog, a click on Отмена closes the dialog with Cancel: the date's error
// box does not come, the record is cancelled and nothing is stored. The
// session date while adding and editing, the payment date of a paid session,
// the question date while adding and editing.
TEST_F(Objects, CancelClickedWithAnImpossibleDateClosesAndStoresNothing)
{
    Start();
    Exec("INSERT INTO OBJ_PAYMENTS (id, id_session, id_member, suma, paymentdate, signpost) VALUES "
         "(\"{70000000-0000-0000-0000-000000000001}\", \"" + S2 + "\", \"" + M1 +
         "\", 500, #03/01/2026#, \"Генеральный директор\")");
    Reread();
    struct Case {
        const char* reg;
        bool add;
        const char* control;
    };
    const Case cases[] = {
        {"sessions", true, "DBDateEdit1"},  {"sessions", false, "DBDateEdit1"}, {"sessions", false, "dtePay"},
        {"questions", true, "DBDateEdit1"}, {"questions", false, "DBDateEdit1"},
    };
    auto snapshot = [&] {
        QString out;
        for (const char* t : {"OBJ_SESSIONS", "OBJ_QUESTIONS", "OBJ_PAYMENTS"}) {
            ado::RecordsetPtr rs = DM->adoConnection->Execute(QStringLiteral("SELECT * FROM ") + t + " ORDER BY id");
            for (qsizetype r = 0; r < rs->RowCount(); ++r)
                for (int c = 0; c < rs->ColumnCount(); ++c) out += rs->Text(r, c) + QLatin1Char('|');
        }
        return out;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.reg) + (c.add ? " add " : " edit ") + c.control);
        const bool sessions = QLatin1String(c.reg) == QLatin1String("sessions");
        TRegisterWindow* w =
            sessions ? Open<TfmSessionObject>(fmMain->aOpenObjSessions) : static_cast<TRegisterWindow*>(Questions());
        ASSERT_NE(w, nullptr);
        if (!c.add) ASSERT_TRUE(w->DataSource->DataSet()->Locate(QStringLiteral("id"), Variant(sessions ? S2 : Q1)));
        const QString before = snapshot();
        rec->Calls.clear();
        TModalResult result = mrNone;
        rec->OnModal = [&](TForm* f) {
            ActivateForm(f);
            if (auto* d = dynamic_cast<TfmAddEditSessionObject*>(f); d && QLatin1String(c.control) == QLatin1String("dtePay")) {
                QTabBar* bar = d->tabParams->TabBar();
                screen::Click(bar, bar->tabRect(d->TabSheet3->PageIndex()).center());
                Application->ProcessMessages();
            }
            auto* date = dynamic_cast<TCustomDateEdit*>(f->FindComponent(QString::fromLatin1(c.control)));
            auto* cancel = dynamic_cast<TButton*>(f->FindComponent(QStringLiteral("btnCancel")));
            EXPECT_TRUE(date && cancel);
            if (!date || !cancel) return int(mrCancel);
            EXPECT_TRUE(date->Enabled());
            date->SetFocus();
            Application->ProcessMessages();
            date->SelectAll();
            TypeKeys(QStringLiteral("31022026"));
            EXPECT_EQ(date->Text(), QStringLiteral("31.02.2026"));
            screen::Click(cancel->Widget());
            Application->ProcessMessages();
            result = f->ModalResult();
            return int(result == mrNone ? mrIgnore : mrNone);
        };
        (c.add ? w->aNAdd : w->aNEdit)->Execute();
        rec->OnModal = nullptr;
        EXPECT_EQ(result, mrCancel);
        EXPECT_EQ(rec->Count(TDialogKind::MessageBox), 0);
        EXPECT_EQ(w->DataSource->DataSet()->State(), dsBrowse);
        EXPECT_EQ(snapshot(), before);
        EXPECT_FALSE(DM->adoConnection->InTransaction());
    }
}

TEST_F(Objects, QuestionEditedThroughADoubleClickOnACell)
{
    Start();
    TfmQuestionObject* w = Questions();
    ASSERT_NE(w, nullptr);
    TDataSet* ds = DM->adoObjQuestions;
    ASSERT_TRUE(ds->Locate(QStringLiteral("id"), Q2));
    w->Timer->Fire();
    Application->ProcessMessages();
    QString caption;
    rec->OnModal = [&](TForm* f) {
        auto* d = dynamic_cast<TfmAddEditQuestionObject*>(f);
        caption = d->Caption();
        EXPECT_EQ(ds->State(), dsEdit);
        ds->FieldByName(QStringLiteral("information"))->SetAsString(QStringLiteral("Справка"));
        d->btnOK->Click();
        return d->ModalResult();
    };
    DoubleClick(w, 1, ds->RecNo());
    EXPECT_EQ(caption, QStringLiteral("Редактирование вопроса"));
    EXPECT_EQ(Rows("OBJ_QUESTIONS", "information=\"Справка\""), 1);
    EXPECT_EQ(ds->State(), dsBrowse);
}

TEST_F(Objects, DecisionAddWithSessionAndQuestion)
{
    Start();
    TfmDecisionObject* w = Decisions();
    ASSERT_NE(w, nullptr);
    QString newId, questionId;
    rec->OnModal = [&](TForm* f) {
        auto* d = dynamic_cast<TfmAddEditDecisionObject*>(f);
        EXPECT_EQ(d->Caption(), QStringLiteral("Добавление проекта решения"));
        EXPECT_EQ(d->ActiveControl(), d->DBLookupComboBox2);
        newId = Text(DM->adoObjDecisions, "id");
        EXPECT_EQ(Text(DM->adoLnkSessionsDecisions, "id_decision"), newId);
        d->DBLookupComboBox2->SelectRow(1);   // sessions by number: №2
        d->DBLookupComboBox1->SelectRow(0);
        questionId = Text(DM->adqObjQuestions2, "id");
        DM->adoObjDecisions->FieldByName(QStringLiteral("description"))->SetAsString(QStringLiteral("Принять"));
        d->btnOK->Click();
        return d->ModalResult();
    };
    w->aNAdd->Execute();
    ASSERT_FALSE(newId.isEmpty());
    EXPECT_EQ(Rows("OBJ_DECISIONS", "id=\"" + newId + "\" AND id_question=\"" + questionId + "\""), 1);
    EXPECT_EQ(Rows("LNK_SESSIONS_DECISIONS", "id_decision=\"" + newId + "\""), 1);
    EXPECT_EQ(Rows("LNK_SESSIONS_DECISIONS", "id_decision=\"" + newId + "\" AND id_session=\"" + S2 + "\""), 1);
    EXPECT_EQ(Rows("LNK_DECISIONS_MEMBERS"), 3);   // no vote rows made here
    EXPECT_EQ(DM->adoObjDecisions->State(), dsBrowse);
    EXPECT_EQ(DM->adoLnkSessionsDecisions->State(), dsBrowse);
    const QStringList painted = Painted(w);
    EXPECT_TRUE(painted.contains(QStringLiteral("Принять..."))) << painted.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(painted.contains(QStringLiteral("№2 от 20.02.2026")));
}

TEST_F(Objects, DecisionAddCancelledOrWithoutChoicesStoresBothOrNothing)
{
    Start();
    TfmDecisionObject* w = Decisions();
    ASSERT_NE(w, nullptr);
    rec->OnModal = [&](TForm*) {
        DM->adoObjDecisions->FieldByName(QStringLiteral("description"))->SetAsString(QStringLiteral("x"));
        return int(mrCancel);
    };
    w->aNAdd->Execute();
    EXPECT_EQ(Rows("OBJ_DECISIONS"), 2);
    EXPECT_EQ(Rows("LNK_SESSIONS_DECISIONS"), 2);
    EXPECT_EQ(DM->adoObjDecisions->State(), dsBrowse);
    EXPECT_EQ(DM->adoLnkSessionsDecisions->State(), dsBrowse);

    // OK without a session or a question: both stored, references empty.
    rec->OnModal = [&](TForm* f) {
        auto* d = dynamic_cast<TfmAddEditDecisionObject*>(f);
        d->btnOK->Click();
        return d->ModalResult();
    };
    w->aNAdd->Execute();
    EXPECT_EQ(Rows("OBJ_DECISIONS"), 3);
    EXPECT_EQ(Rows("OBJ_DECISIONS", "id_question IS NULL"), 1);
    EXPECT_EQ(Rows("LNK_SESSIONS_DECISIONS", "id_session IS NULL"), 1);
}

TEST_F(Objects, DecisionEditMovesItsOneLinkAndKeepsTheVotes)
{
    Start();
    TfmDecisionObject* w = Decisions();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(DM->adoObjDecisions->Locate(QStringLiteral("id"), D1));
    w->Timer->Fire();
    rec->OnModal = [&](TForm* f) {
        auto* d = dynamic_cast<TfmAddEditDecisionObject*>(f);
        EXPECT_EQ(d->Caption(), QStringLiteral("Редактирование проекта решения"));
        EXPECT_EQ(d->DBLookupComboBox2->DisplayText(), QStringLiteral("№1 от 15.01.2026"));
        d->DBLookupComboBox2->SelectRow(1);
        d->btnOK->Click();
        return d->ModalResult();
    };
    w->aNEdit->Execute();
    EXPECT_EQ(Rows("LNK_SESSIONS_DECISIONS", "id_decision=\"" + D1 + "\""), 1);
    EXPECT_EQ(Rows("LNK_SESSIONS_DECISIONS", "id_decision=\"" + D1 + "\" AND id_session=\"" + S2 + "\""), 1);
    EXPECT_EQ(Rows("LNK_DECISIONS_MEMBERS", "id_decision=\"" + D1 + "\""), 2);
    ASSERT_TRUE(DM->adoObjDecisions->Locate(QStringLiteral("id"), D1));
    EXPECT_EQ(Text(DM->adoObjDecisions, "session"), QStringLiteral("№2 от 20.02.2026"));
}

TEST_F(Objects, DecisionWithoutALinkGetsOneWhenASessionIsChosen)
{
    Start();
    Exec("DELETE * FROM LNK_SESSIONS_DECISIONS WHERE id_decision=\"" + D2 + "\"");
    Reread();
    TfmDecisionObject* w = Decisions();
    ASSERT_NE(w, nullptr);
    auto edit = [&](int sessionRow) {
        ASSERT_TRUE(DM->adoObjDecisions->Locate(QStringLiteral("id"), D2));
        w->Timer->Fire();
        rec->OnModal = [&, sessionRow](TForm* f) {
            auto* d = dynamic_cast<TfmAddEditDecisionObject*>(f);
            EXPECT_EQ(d->DBLookupComboBox2->DisplayText(), QString());
            DM->adoObjDecisions->FieldByName(QStringLiteral("description"))->SetAsString(QStringLiteral("Новый текст"));
            if (sessionRow >= 0) d->DBLookupComboBox2->SelectRow(sessionRow);
            d->btnOK->Click();
            return d->ModalResult();
        };
        w->aNEdit->Execute();
    };
    // No session chosen: the decision is saved, no empty link is stored.
    edit(-1);
    EXPECT_EQ(Rows("OBJ_DECISIONS", "description=\"Новый текст\""), 1);
    EXPECT_EQ(Rows("LNK_SESSIONS_DECISIONS", "id_decision=\"" + D2 + "\""), 0);
    EXPECT_EQ(DM->adoLnkSessionsDecisions->State(), dsBrowse);
    // A session chosen: its one link row is made.
    edit(0);
    EXPECT_EQ(Rows("LNK_SESSIONS_DECISIONS", "id_decision=\"" + D2 + "\" AND id_session=\"" + S1 + "\""), 1);
    EXPECT_EQ(Rows("LNK_SESSIONS_DECISIONS"), 2);
}

TEST_F(Objects, RefusedDecisionOrLinkIsUndoneAndOkCanBePressedAgain)
{
    for (const QString& table : {QStringLiteral("LNK_SESSIONS_DECISIONS"), QStringLiteral("OBJ_DECISIONS")}) {
        SCOPED_TRACE(table.toStdString());
        Start();
        Refuse(table, QStringLiteral("INSERT"));
        TfmDecisionObject* w = Decisions();
        ASSERT_NE(w, nullptr);
        QString newId;
        int firstResult = -1;
        rec->OnModal = [&](TForm* f) {
            auto* d = dynamic_cast<TfmAddEditDecisionObject*>(f);
            newId = Text(DM->adoObjDecisions, "id");
            d->DBLookupComboBox2->SelectRow(0);
            DM->adoObjDecisions->FieldByName(QStringLiteral("description"))->SetAsString(QStringLiteral("Повтор"));
            EXPECT_THROW(d->btnOK->Click(), EAbort);
            firstResult = d->ModalResult();
            // Nothing stored; both records still as the user left them.
            EXPECT_EQ(Rows("OBJ_DECISIONS"), 2);
            EXPECT_EQ(Rows("LNK_SESSIONS_DECISIONS"), 2);
            EXPECT_EQ(DM->adoObjDecisions->State(), dsInsert);
            EXPECT_EQ(DM->adoLnkSessionsDecisions->State(), dsInsert);
            EXPECT_EQ(Text(DM->adoObjDecisions, "id"), newId);
            EXPECT_EQ(Text(DM->adoObjDecisions, "description"), QStringLiteral("Повтор"));
            EXPECT_EQ(Text(DM->adoLnkSessionsDecisions, "id_decision"), newId);
            EXPECT_EQ(Text(DM->adoLnkSessionsDecisions, "id_session"), S1);
            // The database agrees now: the same OK stores both.
            Agree(table, QStringLiteral("INSERT"));
            d->btnOK->Click();
            return d->ModalResult();
        };
        w->aNAdd->Execute();
        EXPECT_EQ(firstResult, mrNone);
        EXPECT_EQ(Boxes(QStringLiteral("Ошибка сохранения данных")), 1);
        EXPECT_EQ(Rows("OBJ_DECISIONS", "id=\"" + newId + "\" AND description=\"Повтор\""), 1);
        EXPECT_EQ(Rows("LNK_SESSIONS_DECISIONS", "id_decision=\"" + newId + "\" AND id_session=\"" + S1 + "\""), 1);
        EXPECT_FALSE(DM->adoConnection->InTransaction());
        TearDown();
        QFile::remove(DbFile());
        SetUp();
    }
}

TEST_F(Objects, RefusedLinkThenCancelLeavesNothing)
{
    Start();
    Refuse(QStringLiteral("LNK_SESSIONS_DECISIONS"), QStringLiteral("INSERT"));
    TfmDecisionObject* w = Decisions();
    ASSERT_NE(w, nullptr);
    rec->OnModal = [&](TForm* f) {
        auto* d = dynamic_cast<TfmAddEditDecisionObject*>(f);
        EXPECT_THROW(d->btnOK->Click(), EAbort);
        return int(mrCancel);
    };
    w->aNAdd->Execute();
    EXPECT_EQ(Rows("OBJ_DECISIONS"), 2);
    EXPECT_EQ(Rows("LNK_SESSIONS_DECISIONS"), 2);
    EXPECT_EQ(DM->adoObjDecisions->State(), dsBrowse);
    EXPECT_EQ(DM->adoObjDecisions->RecordCount(), 2);
}

TEST_F(Objects, DialogLayouts)
{
    Start();
    struct Place {
        const char* name;
        int left, top, width, height, tabOrder;
    };
    auto check = [](TForm* f, std::initializer_list<Place> places) {
        EXPECT_EQ(f->ClientWidth(), 392);
        EXPECT_EQ(f->ClientHeight(), 379);
        EXPECT_EQ(f->BorderStyle(), bsDialog);
        EXPECT_EQ(f->Position(), poOwnerFormCenter);
        for (const Place& p : places) {
            auto* c = dynamic_cast<TControl*>(f->FindComponent(QString::fromLatin1(p.name)));
            ASSERT_NE(c, nullptr) << p.name;
            EXPECT_EQ(c->BoundsRect(), Bounds(p.left, p.top, p.width, p.height)) << p.name;
            if (auto* w = dynamic_cast<TWinControl*>(c); w && p.tabOrder >= 0) { EXPECT_EQ(w->TabOrder(), p.tabOrder) << p.name; }
        }
        auto* ok = dynamic_cast<TButton*>(f->FindComponent(QStringLiteral("btnOK")));
        auto* cancel = dynamic_cast<TButton*>(f->FindComponent(QStringLiteral("btnCancel")));
        ASSERT_TRUE(ok && cancel);
        EXPECT_EQ(ok->Caption(), QStringLiteral("OK"));
        EXPECT_TRUE(ok->Default());
        EXPECT_EQ(cancel->Caption(), QStringLiteral("Отмена"));
        EXPECT_TRUE(cancel->Cancel());
        EXPECT_EQ(cancel->ModalResult(), mrCancel);
        EXPECT_EQ(ok->Anchors(), (TAnchors{akRight, akBottom}));
    };
    auto label = [](TForm* f, const char* name, const char* caption, TWinControl* focus) {
        auto* l = dynamic_cast<TLabel*>(f->FindComponent(QString::fromLatin1(name)));
        ASSERT_NE(l, nullptr) << name;
        EXPECT_EQ(l->Caption(), QString::fromUtf8(caption));
        EXPECT_EQ(l->FocusControl(), focus) << name;
    };

    auto* q = new TfmAddEditQuestionObject(Application);
    q->AfterConstruction();
    check(q, {{"DBDateEdit1", 144, 10, 150, 21, 0},
              {"DBMemo1", 11, 55, 369, 125, 1},
              {"DBMemo2", 10, 206, 369, 125, 2},
              {"btnOK", 219, 343, 75, 25, 3},
              {"btnCancel", 305, 343, 75, 25, 4}});
    label(q, "Label2", "&Дата внесения вопроса:", q->DBDateEdit1);
    label(q, "Label5", "&Вопрос:", q->DBMemo1);
    label(q, "Label6", "Дополнительная &информация по вопросу:", q->DBMemo2);
    EXPECT_EQ(q->dsoMain->DataSet(), DM->adoObjQuestions);
    EXPECT_FALSE(q->dsoMain->AutoEdit());
    EXPECT_EQ(q->DBDateEdit1->DataField(), QStringLiteral("date"));
    EXPECT_EQ(q->DBDateEdit1->ButtonHint(), QStringLiteral("Уточнить"));
    EXPECT_EQ(q->DBDateEdit1->DialogTitle(), QStringLiteral("Выбор даты"));
    EXPECT_EQ(q->DBDateEdit1->ButtonWidth(), 20);
    EXPECT_EQ(q->DBDateEdit1->NumGlyphs(), 2);
    EXPECT_EQ(q->DBDateEdit1->Weekends(), (TDaysOfWeek{Sat, Sun}));
    EXPECT_EQ(q->DBDateEdit1->YearDigits(), dyFour);
    EXPECT_EQ(q->DBMemo1->DataField(), QStringLiteral("question"));
    EXPECT_EQ(q->DBMemo2->DataField(), QStringLiteral("information"));
    EXPECT_EQ(q->DBMemo1->ScrollBars(), ssVertical);
    q->Free();

    auto* d = new TfmAddEditDecisionObject(Application);
    d->AfterConstruction();
    check(d, {{"DBLookupComboBox2", 93, 10, 287, 21, 0},
              {"DBLookupComboBox1", 93, 41, 287, 21, 1},
              {"DBMemo1", 11, 87, 369, 244, 2},
              {"btnOK", 219, 343, 75, 25, 3},
              {"btnCancel", 305, 343, 75, 25, 4}});
    label(d, "Label2", "&На заседание:", d->DBLookupComboBox2);
    label(d, "Label1", "По &вопросу:", d->DBLookupComboBox1);
    label(d, "Label5", "&Проект решения:", d->DBMemo1);
    const std::pair<TDataSource*, TDataSet*> sources[] = {{d->dsoMain, DM->adoObjDecisions},
                                                          {d->dsoLnkSessionsDecisions, DM->adoLnkSessionsDecisions},
                                                          {d->dsoSessions, DM->adqObjSessions},
                                                          {d->dsoQuestions, DM->adqObjQuestions2}};
    for (const auto& [source, dataset] : sources) {
        EXPECT_EQ(source->DataSet(), dataset) << source->Name().toStdString();
        EXPECT_FALSE(source->AutoEdit());
    }
    EXPECT_EQ(d->DBLookupComboBox2->DataSource(), d->dsoLnkSessionsDecisions);
    EXPECT_EQ(d->DBLookupComboBox2->DataField(), QStringLiteral("id_session"));
    EXPECT_EQ(d->DBLookupComboBox2->ListSource(), d->dsoSessions);
    EXPECT_EQ(d->DBLookupComboBox2->ListField(), QStringLiteral("session"));
    EXPECT_EQ(d->DBLookupComboBox1->DataField(), QStringLiteral("id_question"));
    EXPECT_EQ(d->DBLookupComboBox1->ListSource(), d->dsoQuestions);
    EXPECT_EQ(d->DBLookupComboBox1->ListField(), QStringLiteral("date;question"));
    EXPECT_EQ(d->DBLookupComboBox1->ListFields().size(), 2u);
    EXPECT_EQ(d->DBLookupComboBox1->DropDownWidth(), 369);
    for (TDBLookupComboBox* c : {d->DBLookupComboBox1, d->DBLookupComboBox2}) {
        EXPECT_EQ(c->KeyField(), QStringLiteral("id"));
        EXPECT_EQ(c->DropDownRows(), 8);
        EXPECT_EQ(c->DropDownAlign(), daRight);
    }
    EXPECT_EQ(d->DBMemo1->DataField(), QStringLiteral("description"));
    d->Free();
}

TEST_F(Objects, TheDecisionDialogsListsDropDownAtMostEightRows)
{
    MakeDb(QString(), true);
    ShowMain();
    TfmDecisionObject* w = Decisions();
    ASSERT_NE(w, nullptr);
    const int questions = Rows("OBJ_QUESTIONS"), sessions = Rows("OBJ_SESSIONS");
    ASSERT_GT(questions, 8);
    std::vector<int> shown;
    rec->OnModal = [&](TForm* f) {
        auto* d = dynamic_cast<TfmAddEditDecisionObject*>(f);
        for (TDBLookupComboBox* box : {d->DBLookupComboBox1, d->DBLookupComboBox2}) {
            box->SetFocus();
            Application->ProcessMessages();
            // Alt+Down on the focused box opens its list, as a user opens it.
            screen::Key(QApplication::focusWidget(), Qt::Key_Down, Qt::AltModifier);
            Application->ProcessMessages();
            EXPECT_TRUE(box->ListVisible()) << box->Name().toStdString();
            auto* combo = qobject_cast<QComboBox*>(box->Widget());
            shown.push_back(screen::ListRowsShown(combo));
            screen::Key(combo->view(), Qt::Key_Escape);
            Application->ProcessMessages();
            EXPECT_FALSE(box->ListVisible());
        }
        return mrCancel;
    };
    w->aNEdit->Execute();
    EXPECT_EQ(shown, (std::vector<int>{std::min(8, questions), std::min(8, sessions)}));
}

TEST_F(Objects, RefusedQuestionKeepsTheDialogOpenForAnotherOk)
{
    Start(false);
    Refuse(QStringLiteral("OBJ_QUESTIONS"), QStringLiteral("INSERT"));
    TfmQuestionObject* w = Questions();
    ASSERT_NE(w, nullptr);
    int firstResult = -1;
    rec->OnModal = [&](TForm* f) {
        auto* d = dynamic_cast<TfmAddEditQuestionObject*>(f);
        DM->adoObjQuestions->FieldByName(QStringLiteral("question"))->SetAsString(QStringLiteral("Второй раз"));
        EXPECT_THROW(d->btnOK->Click(), EAbort);
        firstResult = d->ModalResult();
        EXPECT_EQ(DM->adoObjQuestions->State(), dsInsert);
        Agree(QStringLiteral("OBJ_QUESTIONS"), QStringLiteral("INSERT"));
        d->btnOK->Click();
        return d->ModalResult();
    };
    w->aNAdd->Execute();
    EXPECT_EQ(firstResult, mrNone);
    EXPECT_EQ(Boxes(QStringLiteral("Ошибка сохранения данных")), 1);
    EXPECT_EQ(Rows("OBJ_QUESTIONS", "question=\"Второй раз\""), 1);
    EXPECT_EQ(DM->adoObjQuestions->State(), dsBrowse);
}

TEST_F(Objects, RefusedLinkChangeUndoesTheEditedDecisionToo)
{
    Start();
    Refuse(QStringLiteral("LNK_SESSIONS_DECISIONS"), QStringLiteral("UPDATE"));
    TfmDecisionObject* w = Decisions();
    ASSERT_NE(w, nullptr);
    ASSERT_TRUE(DM->adoObjDecisions->Locate(QStringLiteral("id"), D1));
    w->Timer->Fire();
    rec->OnModal = [&](TForm* f) {
        auto* d = dynamic_cast<TfmAddEditDecisionObject*>(f);
        d->DBLookupComboBox2->SelectRow(1);
        DM->adoObjDecisions->FieldByName(QStringLiteral("description"))->SetAsString(QStringLiteral("Изменено"));
        EXPECT_THROW(d->btnOK->Click(), EAbort);
        EXPECT_EQ(d->ModalResult(), mrNone);
        // The stored decision keeps its text; the dialog still shows the change.
        EXPECT_EQ(Rows("OBJ_DECISIONS", "description=\"Утвердить бюджет\""), 1);
        EXPECT_EQ(DM->adoObjDecisions->State(), dsEdit);
        EXPECT_EQ(Text(DM->adoObjDecisions, "id"), D1);
        EXPECT_EQ(Text(DM->adoObjDecisions, "description"), QStringLiteral("Изменено"));
        EXPECT_EQ(Text(DM->adoLnkSessionsDecisions, "id_session"), S2);
        Agree(QStringLiteral("LNK_SESSIONS_DECISIONS"), QStringLiteral("UPDATE"));
        d->btnOK->Click();
        return d->ModalResult();
    };
    w->aNEdit->Execute();
    EXPECT_EQ(Rows("OBJ_DECISIONS", "id=\"" + D1 + "\" AND description=\"Изменено\""), 1);
    EXPECT_EQ(Rows("LNK_SESSIONS_DECISIONS", "id_decision=\"" + D1 + "\" AND id_session=\"" + S2 + "\""), 1);
    EXPECT_EQ(Rows("LNK_SESSIONS_DECISIONS", "id_decision=\"" + D1 + "\""), 1);
}
