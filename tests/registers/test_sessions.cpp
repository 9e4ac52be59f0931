// The sessions register and the session edit dialog, the way the secretary
// uses them: opened from the main window, a session added, then edited to
// record participants, votes and payments; OK keeps all of it, anything
// else leaves the database as it was before the dialog opened.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

#include "components/QvDBCtrl.h"
#include "components/ToolEdit.h"
#include "platform/ui/ComboBoxes.h"
#include "platform/ui/DBCtrls.h"
#include "tests/platform/AdoTestUtil.h"
#include "tests/registers/SessionsFixture.h"

namespace {

TEST_F(Sessions, RegisterListsByDescendingNumberWithItsOwnCommands)
{
    EXPECT_EQ(w->Caption(), QStringLiteral("Объект «Заседания совета»"));
    EXPECT_EQ(S()->Sort(), QStringLiteral("pnumber DESC"));
    EXPECT_EQ(S()->RecNo(), 1);
    EXPECT_EQ(Field(S(), "pnumber"), QStringLiteral("2"));
    EXPECT_FALSE(w->DBGrid->Options().Contains(dgEditing));
    EXPECT_FALSE(w->DataSource->AutoEdit());
    for (TToolButton* b : {w->ToolButton8, w->ToolButton9, w->ToolButton10}) EXPECT_FALSE(b->Visible());
    EXPECT_EQ(w->aNAdd->ShortCut(), TShortCut(45));
    EXPECT_EQ(w->aNDelete->ShortCut(), TShortCut(16430));
    EXPECT_EQ(w->aNEdit->ShortCut(), TShortCut(113));
    EXPECT_EQ(w->aNEdit->Hint(), QStringLiteral("Редактировать текущую позицию|Редактировать текущую позицию"));

    // The number column's title: no sort, ascending, descending again.
    TColumn* number = nullptr;
    for (int i = 0; i < w->DBGrid->Columns()->Count(); ++i)
        if (w->DBGrid->Columns()->Items(i)->FieldName() == QLatin1String("pnumber")) number = w->DBGrid->Columns()->Items(i);
    ASSERT_NE(number, nullptr);
    for (const char* sort : {"", "pnumber ASC", "pnumber DESC"}) {
        w->DBGridTitleClick(number);
        EXPECT_EQ(S()->Sort(), QString::fromLatin1(sort));
    }

    // Only the data fields are offered to the filter: number and date.
    ASSERT_FALSE(w->FilterRows().empty());
    QStringList fields;
    for (int i = 0; i < w->FilterRows()[0].cmbField->Items()->Count(); ++i)
        fields << w->FilterRows()[0].cmbField->Items()->Strings(i);
    EXPECT_EQ(fields, (QStringList{QStringLiteral(" - Поле - "), QStringLiteral("№ заседания"),
                                   QStringLiteral("Дата заседания")}));

    // Typing in the grid, as the keys reach the focused grid, never edits:
    // no editor opens, the record stays as it is, nothing is written.
    w->Show();
    Application->ProcessMessages();
    w->DBGrid->SetFocus();
    Application->ProcessMessages();
    ASSERT_EQ(QApplication::focusWidget(), w->DBGrid->Widget());
    const QString before = Snapshot();
    struct Typed { int key; const char* text; };
    for (const Typed& t : {Typed{Qt::Key_A, "A"}, Typed{Qt::Key_5, "5"}, Typed{Qt::Key_Space, " "},
                           Typed{Qt::Key_Backspace, "\b"}, Typed{Qt::Key_Delete, ""}}) {
        PressKey(t.key, Qt::NoModifier, QString::fromLatin1(t.text));
        EXPECT_EQ(S()->State(), dsBrowse) << t.key;
        EXPECT_FALSE(w->DBGrid->InplaceEditor()->Visible()) << t.key;
    }
    EXPECT_EQ(Field(S(), "pnumber"), QStringLiteral("2"));
    EXPECT_EQ(Snapshot(), before);
}

// Ins, F2 and Ctrl+Del work from the search line too: they are the window's.
TEST_F(Sessions, WindowKeysWorkFromTheSearchLine)
{
    auto key = [](TControl* c, int k, Qt::KeyboardModifiers mods = Qt::NoModifier) { screen::Key(c->Widget(), k, mods); };
    w->Show();
    Application->ProcessMessages();
    w->aSearch->Execute();
    Application->ProcessMessages();
    ASSERT_TRUE(w->edSearch->Focused());
    key(w->edSearch, Qt::Key_Insert);
    ASSERT_EQ(Forms(QStringLiteral("TfmAddEditSessionObject")), 1);
    EXPECT_EQ(rec->Last().Caption, QStringLiteral("Добавление заседания"));
    key(w->edSearch, Qt::Key_F2);
    ASSERT_EQ(Forms(QStringLiteral("TfmAddEditSessionObject")), 2);
    EXPECT_EQ(rec->Last().Caption, QStringLiteral("Редактирование заседания"));
    rec->Answers.push_back(IDNO);
    key(w->edSearch, Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(rec->Last().Caption, QStringLiteral("Подтверждение удаления"));
    EXPECT_EQ(Count(QStringLiteral("OBJ_SESSIONS")), 2);
}

TEST_F(Sessions, DoubleClickOpensTheEditorOnlyOnADataCell)
{
    auto clickAt = [&](int col, int row) {
        const TRect r = w->DBGrid->CellRect(col, row);
        const TPoint p = w->DBGrid->ClientToScreen(Point((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
        SetCursorPos(p.X, p.Y);
        User([&] { w->DBGrid->DblClick(); });
    };
    w->Show();
    Application->ProcessMessages();
    clickAt(1, 0);   // title
    clickAt(0, 1);   // indicator
    EXPECT_EQ(Forms(QStringLiteral("TfmAddEditSessionObject")), 0);
    clickAt(1, 1);
    EXPECT_EQ(Forms(QStringLiteral("TfmAddEditSessionObject")), 1);
    EXPECT_EQ(rec->Last().Caption, QStringLiteral("Редактирование заседания"));
    EXPECT_FALSE(DM->adoConnection->InTransaction());
}

TEST_F(Sessions, AddCancelledLeavesNoSessionAndAddOkKeepsIt)
{
    const QString before = Snapshot();
    rec->OnModal = [&](TForm* f) {
        EXPECT_EQ(f->Caption(), QStringLiteral("Добавление заседания"));
        EXPECT_EQ(S()->State(), dsInsert);
        EXPECT_FALSE(DM->adoConnection->InTransaction());
        return int(mrCancel);
    };
    User([&] { w->ToolButton5->Click(); });
    EXPECT_EQ(S()->State(), dsBrowse);
    EXPECT_EQ(Snapshot(), before);

    // OK: the next number, today, and the count of members on the board now.
    rec->OnModal = [&](TForm* f) {
        auto* d = static_cast<TfmAddEditSessionObject*>(f);
        S()->FieldByName(QStringLiteral("memberscount"))->SetAsInteger(0);
        Ok(d);
        return int(d->ModalResult());
    };
    User([&] { w->ToolButton5->Click(); });
    EXPECT_EQ(Count(QStringLiteral("OBJ_SESSIONS")), 3);
    EXPECT_EQ(Value(QStringLiteral("SELECT memberscount FROM OBJ_SESSIONS WHERE pnumber=3")), QStringLiteral("3"));
    EXPECT_EQ(Value(QStringLiteral("SELECT pdate FROM OBJ_SESSIONS WHERE pnumber=3")), DateToStr(Date()));
}

// Editing keeps the member count stored when the session was entered.
TEST_F(Sessions, EditOkKeepsTheStoredMemberCount)
{
    Edit(SessionB, [&](TfmAddEditSessionObject* d) {
        S()->FieldByName(QStringLiteral("mcomment"))->SetAsString(QStringLiteral("Кворум есть"));
        Ok(d);
        return int(d->ModalResult());
    });
    EXPECT_FALSE(DM->adoConnection->InTransaction());
    EXPECT_EQ(Value(QStringLiteral("SELECT memberscount FROM OBJ_SESSIONS WHERE pnumber=2")), QStringLiteral("7"));
    EXPECT_EQ(Value(QStringLiteral("SELECT mcomment FROM OBJ_SESSIONS WHERE pnumber=2")), QStringLiteral("Кворум есть"));
}

// The note for notifications takes the comment of the form the new session
// holds, only while it is empty; an edit never copies.
TEST_F(Sessions, NoteTakesTheChosenFormsCommentOnlyWhileAddingAndEmpty)
{
    rec->OnModal = [&](TForm* f) {
        auto* d = static_cast<TfmAddEditSessionObject*>(f);
        d->TabSheet1Show(d->TabSheet1);   // the list re-read: the first form is current
        EXPECT_EQ(Field(S(), "fcomment"), QString());
        S()->FieldByName(QStringLiteral("id_form"))->SetAsString(Key(12));
        EXPECT_EQ(Field(S(), "fcomment"), QStringLiteral("Собрание в большом зале"));
        S()->FieldByName(QStringLiteral("id_form"))->SetAsString(Key(11));
        EXPECT_EQ(Field(S(), "fcomment"), QStringLiteral("Собрание в большом зале"));
        return int(mrCancel);
    };
    User([&] { w->ToolButton5->Click(); });
    Edit(SessionB, [&](TfmAddEditSessionObject* d) {
        d->TabSheet1Show(d->TabSheet1);
        S()->FieldByName(QStringLiteral("id_form"))->SetAsString(Key(12));
        EXPECT_EQ(Field(S(), "fcomment"), QString());
        return int(mrCancel);
    });
}

TEST_F(Sessions, SecondTabGivesEveryParticipantAVoteRowOnEveryDecisionOnce)
{
    // Participants added straight into the table: no vote rows yet.
    for (int m : {M1, M2, M3})
        DM->adoConnection->Execute(QStringLiteral("INSERT INTO LNK_SESSIONS_MEMBERS (id, id_session, id_member) VALUES ('") +
                                   Key(100 + m) + QStringLiteral("', '") + Key(SessionB) + QStringLiteral("', '") +
                                   Key(m) + QStringLiteral("')"));
    DM->adoLnkSessionsMembers->Requery();
    Edit(SessionB, [&](TfmAddEditSessionObject* d) {
        d->TabSheet2Show(d->TabSheet2);
        EXPECT_EQ(Count(QStringLiteral("LNK_DECISIONS_MEMBERS WHERE vote=0")), 6);
        d->TabSheet2Show(d->TabSheet2);
        EXPECT_EQ(Count(QStringLiteral("LNK_DECISIONS_MEMBERS")), 6);
        // The votes grid shows the current participant's two votes.
        EXPECT_EQ(d->dsoLnkDecisionsMembers->DataSet()->RecordCount(), 2);
        Ok(d);
        return int(d->ModalResult());
    });
    EXPECT_EQ(Count(QStringLiteral("LNK_DECISIONS_MEMBERS")), 6);
}

TEST_F(Sessions, VotesAndPaymentsGridsNeitherAppendInsertNorDelete)
{
    Edit(SessionB, [&](TfmAddEditSessionObject* d) {
        PaymentsOn(d, {M1});
        d->TabSheet2Show(d->TabSheet2);
        TDataSet* votes = d->dsoLnkDecisionsMembers->DataSet();
        votes->Last();
        struct {
            WORD key;
            TShiftState shift;
            WORD after;
        } cases[] = {{VK_DOWN, {}, VK_CLEAR},       {VK_INSERT, {}, VK_CLEAR}, {VK_DELETE, {ssCtrl}, VK_CLEAR},
                     {VK_INSERT, {ssShift}, VK_CLEAR}, {VK_UP, {}, VK_UP},       {VK_RETURN, {}, VK_RETURN}};
        for (auto& c : cases)
            for (TQvDBGrid* g : {d->dbgVotes, d->dbgPayments}) {
                WORD k = c.key;
                d->dbgVotesKeyDown(g, k, c.shift);
                if (g == d->dbgVotes || c.key != VK_DOWN) { EXPECT_EQ(k, c.after) << c.key; }
            }
        // Through the grids themselves: no row appears or goes.
        for (TQvDBGrid* g : {d->dbgVotes, d->dbgPayments}) {
            TDataSet* ds = g->DataSource()->DataSet();
            const int rows = ds->RecordCount();
            ds->Last();
            for (WORD key : {WORD(VK_DOWN), WORD(VK_INSERT), WORD(VK_DELETE)}) {
                g->SimulateKeyDown(key, key == VK_DELETE ? TShiftState{ssCtrl} : TShiftState{});
                EXPECT_EQ(ds->State(), dsBrowse) << key;
                EXPECT_EQ(ds->RecordCount(), rows) << key;
            }
        }
        votes->First();
        WORD k = VK_DOWN;
        d->dbgVotesKeyDown(d->dbgVotes, k, {});
        EXPECT_EQ(k, VK_DOWN);   // not on the last row: the grid moves down
        return int(mrCancel);
    });
}

TEST_F(Sessions, PaymentsSwitchedOnGiveEachParticipantARowAndOffAsksFirst)
{
    Edit(SessionB, [&](TfmAddEditSessionObject* d) {
        AddParticipant(d, M1);
        AddParticipant(d, M2);
        d->TabSheet3Show(d->TabSheet3);
        EXPECT_FALSE(d->cbxSetPay->Checked());
        EXPECT_FALSE(d->dbgPayments->Enabled());
        EXPECT_FALSE(d->cmbSign->Enabled());
        EXPECT_EQ(d->dbgPayments->Color(), clBtnFace);

        User([&] { d->cbxSetPay->Click(); });
        EXPECT_TRUE(d->dbgPayments->Enabled());
        EXPECT_TRUE(d->dtePay->Enabled());
        EXPECT_EQ(d->dbgPayments->Color(), clWindow);
        const QString where = QStringLiteral("OBJ_PAYMENTS WHERE id_session='") + Key(SessionB) + QStringLiteral("'");
        EXPECT_EQ(Count(where), 2);
        EXPECT_EQ(Count(where + QStringLiteral(" AND suma=0 AND signpost='Зам. генерального директора' AND "
                                               "signname='Петров П. П.' AND reglament='Выплата в течение месяца'")),
                  2);
        EXPECT_EQ(Value(QStringLiteral("SELECT MIN(paymentdate) FROM ") + where).toDouble(), Date());
        EXPECT_EQ(d->dsoPayments->DataSet()->RecordCount(), 2);

        // The signatory goes on every row.
        User([&] { d->cmbSign->Select(1); });
        EXPECT_EQ(Count(where + QStringLiteral(" AND signpost='Генеральный директор' AND signname='Иванов И. И.'")), 2);

        // A participant added later gets his row, with the stored post.
        AddParticipant(d, M3);
        d->TabSheet3Show(d->TabSheet3);
        EXPECT_TRUE(d->cbxSetPay->Checked());
        EXPECT_EQ(d->cmbSign->ItemIndex(), 1);
        EXPECT_EQ(Count(where + QStringLiteral(" AND signpost='Генеральный директор'")), 3);

        // Off, answered No: everything stays.
        rec->Answers.push_back(IDNO);
        User([&] { d->cbxSetPay->Click(); });
        EXPECT_TRUE(d->cbxSetPay->Checked());
        EXPECT_EQ(rec->Last().Caption, QStringLiteral("Сброс вознаграждений"));
        EXPECT_EQ(rec->Last().Text, QStringLiteral("Отключение выплат повлечет за собой сброс сумм вознаграждений по "
                                                   "данному заседанию.   \r\nВы действительно желаете отключить "
                                                   "выплаты?"));
        EXPECT_EQ(Count(where), 3);
        EXPECT_EQ(d->cmbSign->ItemIndex(), 1);
        // Yes: the session's rows go.
        rec->Answers.push_back(IDYES);
        User([&] { d->cbxSetPay->Click(); });
        EXPECT_FALSE(d->cbxSetPay->Checked());
        EXPECT_FALSE(d->dbgPayments->Enabled());
        EXPECT_EQ(Count(where), 0);
        EXPECT_EQ(d->dsoPayments->DataSet()->RecordCount(), 0);
        return int(mrCancel);
    });
}

// Cancel after adding participants, changing votes and typing amounts (some
// still being edited) leaves every table exactly as it was.
TEST_F(Sessions, CancelUndoesEverythingWrittenWhileTheDialogWasOpen)
{
    const QString before = Snapshot();
    Edit(SessionB, [&](TfmAddEditSessionObject* d) {
        S()->FieldByName(QStringLiteral("mcomment"))->SetAsString(QStringLiteral("изменено"));
        AddParticipant(d, M1);
        AddParticipant(d, M2);
        d->TabSheet2Show(d->TabSheet2);
        TDataSet* votes = d->dsoLnkDecisionsMembers->DataSet();
        votes->Edit();
        votes->FieldByName(QStringLiteral("vote"))->SetAsInteger(1);
        votes->Post();
        votes->Next();
        votes->Edit();
        votes->FieldByName(QStringLiteral("vote"))->SetAsInteger(2);   // still being edited
        d->TabSheet3Show(d->TabSheet3);
        User([&] { d->cbxSetPay->Click(); });
        TDataSet* pay = d->dsoPayments->DataSet();
        pay->Edit();
        pay->FieldByName(QStringLiteral("suma"))->SetAsInteger(5000);
        pay->Post();
        pay->Next();
        pay->Edit();
        pay->FieldByName(QStringLiteral("suma"))->SetAsInteger(7000);   // still being edited
        d->dsoLnkSessionsMembers->DataSet()->Append();
        d->dsoLnkSessionsMembers->DataSet()->FieldByName(QStringLiteral("id_member"))->SetAsString(Key(M3));
        return int(mrCancel);
    });
    EXPECT_FALSE(DM->adoConnection->InTransaction());
    EXPECT_EQ(Snapshot(), before);
    for (TDataSet* ds : {static_cast<TDataSet*>(DM->adoObjSessions), static_cast<TDataSet*>(DM->adoLnkSessionsMembers),
                         static_cast<TDataSet*>(DM->adoLnkDecisionsMembers), static_cast<TDataSet*>(DM->adoObjPayments2)})
        EXPECT_EQ(ds->State(), dsBrowse) << ds->Name().toStdString();
    EXPECT_EQ(DM->adoObjPayments->RecordCount(), 0);
    EXPECT_EQ(DM->adoLnkSessionsMembers->RecordCount(), 0);
    EXPECT_EQ(Field(S(), "id"), Key(SessionB));   // the register stays on the session
}

// The whole road: participants, votes, payments, signatory and date; OK
// keeps all of it.
TEST_F(Sessions, OkCommitsParticipantsVotesAndPayments)
{
    Edit(SessionB, [&](TfmAddEditSessionObject* d) {
        for (int m : {M1, M2, M3}) AddParticipant(d, m);
        d->TabSheet2Show(d->TabSheet2);
        TDataSet* votes = d->dsoLnkDecisionsMembers->DataSet();
        votes->First();
        votes->Edit();
        votes->FieldByName(QStringLiteral("vote"))->SetAsInteger(1);   // posted by OK
        d->TabSheet3Show(d->TabSheet3);
        User([&] { d->cbxSetPay->Click(); });
        User([&] { d->cmbSign->Select(1); });
        d->dtePay->SetText(QStringLiteral("15.01.2026"));
        TDataSet* pay = d->dsoPayments->DataSet();
        pay->Edit();
        pay->FieldByName(QStringLiteral("suma"))->SetAsInteger(12000);   // posted by OK
        Ok(d);
        return int(d->ModalResult());
    });
    EXPECT_FALSE(DM->adoConnection->InTransaction());
    const QString s = QStringLiteral("'") + Key(SessionB) + QStringLiteral("'");
    EXPECT_EQ(Count(QStringLiteral("LNK_SESSIONS_MEMBERS WHERE id_session=") + s), 3);
    EXPECT_EQ(Count(QStringLiteral("LNK_DECISIONS_MEMBERS")), 6);
    EXPECT_EQ(Count(QStringLiteral("LNK_DECISIONS_MEMBERS WHERE vote=1")), 1);
    EXPECT_EQ(Count(QStringLiteral("OBJ_PAYMENTS WHERE id_session=") + s +
                    QStringLiteral(" AND signpost='Генеральный директор' AND paymentdate=") +
                    QString::number(EncodeDate(2026, 1, 15))),
              3);
    EXPECT_EQ(Count(QStringLiteral("OBJ_PAYMENTS WHERE suma=12000")), 1);
    EXPECT_EQ(DM->adoObjPayments->RecordCount(), 3);
}

// An exception between the beginning of the transaction and the end of the
// dialog ends the transaction, frees the dialog and shows the error.
TEST_F(Sessions, FailureToStartTheEditEndsTheTransaction)
{
    ASSERT_TRUE(GoTo(SessionB));
    S()->BeforeEdit = [](TDataSet*) { throw EDatabaseError(QStringLiteral("Запись заблокирована")); };
    const int forms = Application->ComponentCount();
    User([&] { w->ToolButton7->Click(); });
    S()->BeforeEdit = nullptr;
    EXPECT_FALSE(DM->adoConnection->InTransaction());
    EXPECT_EQ(Application->ComponentCount(), forms);
    EXPECT_EQ(Forms(QStringLiteral("TfmAddEditSessionObject")), 0);
    EXPECT_EQ(Errors(), 1);
    EXPECT_EQ(S()->State(), dsBrowse);
    // The next edit works.
    Edit(SessionB, [&](TfmAddEditSessionObject* d) {
        Ok(d);
        return int(d->ModalResult());
    });
    EXPECT_EQ(Errors(), 1);
}

// A failed OK can be repeated once the cause is gone.
TEST_F(Sessions, OkCanBeRepeatedAfterAFailedPost)
{
    bool refuse = true;
    DM->adoLnkDecisionsMembers->BeforePost = [&](TDataSet*) {
        if (refuse) throw EDatabaseError(QStringLiteral("Голос не сохранен"));
    };
    Edit(SessionB, [&](TfmAddEditSessionObject* d) {
        refuse = false;
        AddParticipant(d, M1);
        d->TabSheet2Show(d->TabSheet2);
        S()->FieldByName(QStringLiteral("mcomment"))->SetAsString(QStringLiteral("с третьей попытки"));
        TDataSet* votes = d->dsoLnkDecisionsMembers->DataSet();
        votes->Edit();
        votes->FieldByName(QStringLiteral("vote"))->SetAsInteger(2);
        refuse = true;
        Ok(d);
        Ok(d);
        EXPECT_EQ(d->ModalResult(), mrNone);
        EXPECT_EQ(Errors(), 2);
        refuse = false;
        Ok(d);
        return int(d->ModalResult());
    });
    DM->adoLnkDecisionsMembers->BeforePost = nullptr;
    EXPECT_FALSE(DM->adoConnection->InTransaction());
    EXPECT_EQ(Value(QStringLiteral("SELECT mcomment FROM OBJ_SESSIONS WHERE pnumber=2")),
              QStringLiteral("с третьей попытки"));
    EXPECT_EQ(Count(QStringLiteral("LNK_DECISIONS_MEMBERS WHERE vote=2")), 1);
}

// The payment date: a text that reads as no date writes nothing and raises
// nothing; one that reads as a date (a short year too: the date the edit
// completes it to) goes on every row; no text typed reaches a statement.
TEST_F(Sessions, PaymentDateIsWrittenWheneverTheTextReadsAsADate)
{
    Edit(SessionB, [&](TfmAddEditSessionObject* d) {
        PaymentsOn(d, {M1, M2});
        const QString where = QStringLiteral("OBJ_PAYMENTS WHERE paymentdate=");
        d->dtePay->SetText(QStringLiteral("03.03.2026"));
        EXPECT_EQ(Count(where + QString::number(EncodeDate(2026, 3, 3))), 2);
        for (const char* text : {"1", "15.0", "15.01.", "31.02.2026", "xx.yy.zzzz", ""}) {
            d->dtePay->SetText(QString::fromLatin1(text));
            EXPECT_EQ(Count(where + QString::number(EncodeDate(2026, 3, 3))), 2) << text;
        }
        d->dtePay->SetText(QStringLiteral("15.01.20"));
        EXPECT_EQ(Count(where + QString::number(EncodeDate(2020, 1, 15))), 2);
        // The edit's mask keeps only the digits of whatever is typed.
        d->dtePay->SetText(QStringLiteral("15.01.2026') OR ('1'='1"));
        EXPECT_EQ(Count(where + QString::number(EncodeDate(2026, 1, 15))), 2);
        EXPECT_EQ(Count(QStringLiteral("OBJ_PAYMENTS")), 2);
        EXPECT_EQ(Errors(), 0);
        return int(mrCancel);
    });
}

// Statements on the payments never lose or resurrect a row being edited.
TEST_F(Sessions, PendingPaymentEditIsCancelledBeforeDeleteAndPostedBeforeUpdate)
{
    Edit(SessionB, [&](TfmAddEditSessionObject* d) {
        PaymentsOn(d, {M1, M2});
        TDataSet* pay = d->dsoPayments->DataSet();
        pay->Edit();
        pay->FieldByName(QStringLiteral("suma"))->SetAsInteger(3000);
        User([&] { d->cmbSign->Select(1); });
        EXPECT_EQ(Count(QStringLiteral("OBJ_PAYMENTS WHERE suma=3000 AND signpost='Генеральный директор'")), 1);
        pay->Edit();
        pay->FieldByName(QStringLiteral("suma"))->SetAsInteger(4000);
        d->dtePay->SetText(QStringLiteral("01.02.2026"));
        EXPECT_EQ(Count(QStringLiteral("OBJ_PAYMENTS WHERE suma=4000 AND paymentdate=") +
                        QString::number(EncodeDate(2026, 2, 1))),
                  1);
        pay->Edit();
        pay->FieldByName(QStringLiteral("suma"))->SetAsInteger(9000);
        rec->Answers.push_back(IDYES);
        User([&] { d->cbxSetPay->Click(); });
        EXPECT_EQ(pay->State(), dsBrowse);
        EXPECT_EQ(Count(QStringLiteral("OBJ_PAYMENTS")), 0);
        Ok(d);   // nothing pending comes back
        EXPECT_EQ(Count(QStringLiteral("OBJ_PAYMENTS")), 0);
        return int(d->ModalResult());
    });
    EXPECT_EQ(Errors(), 0);
    EXPECT_EQ(Count(QStringLiteral("OBJ_PAYMENTS")), 0);
}

// Session No. 2 as the secretary left it some time ago: members 1 and 2 took
// part, voted on both its decisions and were paid, on 27.07.2024.
class PaidSession : public Sessions {
protected:
    const TDateTime Paid = EncodeDate(2024, 7, 27);

    void SetUp() override
    {
        Sessions::SetUp();
        if (HasFatalFailure()) return;
        const QString s = Key(SessionB);
        for (int m : {M1, M2}) {
            Exec(QStringLiteral("INSERT INTO LNK_SESSIONS_MEMBERS (id, id_session, id_member) VALUES ('%1', '%2', '%3')")
                     .arg(Key(100 + m), s, Key(m)));
            for (int dec : {51, 52})
                Exec(QStringLiteral("INSERT INTO LNK_DECISIONS_MEMBERS (id, id_decision, id_member, vote) VALUES "
                                    "('%1', '%2', '%3', 1)")
                         .arg(Key(1000 + 10 * m + dec), Key(dec), Key(m)));
            Exec(QStringLiteral("INSERT INTO OBJ_PAYMENTS (id, id_session, id_member, suma, paymentdate, reglament, "
                                "signpost, signname) VALUES ('%1', '%2', '%3', %4, %5, 'Выплата в течение месяца', "
                                "'Генеральный директор', 'Иванов И. И.')")
                     .arg(Key(200 + m), s, Key(m))
                     .arg(1000 * m)
                     .arg(Paid));
        }
        for (int i = 0; i < DM->ComponentCount(); ++i)
            if (auto* ds = dynamic_cast<TDataSet*>(DM->Components(i)); ds && ds->Active()) ds->Requery();
    }
    static void Exec(const QString& sql) { DM->adoConnection->Execute(sql); }
    // What the payment date edit shows.
    static QString ShownPayDate(TfmAddEditSessionObject* d) { return d->dtePay->LineEdit()->displayText(); }
    int PaidOn(TDateTime date) const
    {
        return Count(QStringLiteral("OBJ_PAYMENTS WHERE id_session='") + Key(SessionB) +
                     QStringLiteral("' AND paymentdate=") + QString::number(date));
    }
};

// Opening the session, going through every tab and pressing OK changes no
// payment, also when one row carries a date of its own; opened again, the
// payments tab shows the stored date.
TEST_F(PaidSession, EditOkLeavesThePaymentsAndTheirDateAsTheyWere)
{
    for (bool ownDate : {false, true}) {
        if (ownDate)
            Exec(QStringLiteral("UPDATE OBJ_PAYMENTS SET paymentdate=%1 WHERE id_member='%2'").arg(Paid - 1).arg(Key(M2)));
        const QString before = Rows(QStringLiteral("OBJ_PAYMENTS"));
        EditByKey(SessionB, [&](TfmAddEditSessionObject* d) {
            EXPECT_EQ(Rows(QStringLiteral("OBJ_PAYMENTS")), before);
            for (TTabSheet* t : {d->TabSheet2, d->TabSheet3, d->TabSheet1}) {
                ClickTab(d, t);
                EXPECT_EQ(d->tabParams->ActivePage(), t);
            }
            ClickOn(d->btnOK);
        });
        EXPECT_EQ(Rows(QStringLiteral("OBJ_PAYMENTS")), before) << ownDate;
        if (ownDate) continue;
        EditByKey(SessionB, [&](TfmAddEditSessionObject* d) {
            ClickTab(d, d->TabSheet3);
            EXPECT_TRUE(d->cbxSetPay->Checked());
            EXPECT_EQ(ShownPayDate(d), QStringLiteral("27.07.2024"));
            ClickOn(d->btnCancel);
        });
        EXPECT_EQ(Rows(QStringLiteral("OBJ_PAYMENTS")), before);
    }
    EXPECT_EQ(Errors(), 0);
}

// Every row a recordset holds, as text, in its order.
static QString HeldRows(const ado::RecordsetPtr& rs)
{
    QString out;
    for (qsizetype r = 0; r < rs->RowCount(); ++r) {
        for (int c = 0; c < rs->ColumnCount(); ++c) out += rs->Text(r, c) + QLatin1Char('|');
        out += QLatin1Char('\n');
    }
    return out;
}

// Cancel after participants added and removed, votes changed and payments
// switched on and typed, with the questions, decisions and payments
// registers open beside: every list of the data module holds what its table
// or statement gives from the file, the lists the windows show show the
// stored rows, and the next edit starts from them.
TEST_F(PaidSession, CancelLeavesEveryListAsTheDatabaseHoldsIt)
{
    for (TAction* a : {fmMain->aOpenObjQuestions, fmMain->aOpenObjDecisions, fmMain->aOpenObjPayments}) a->Execute();
    Application->ProcessMessages();
    const QString before = Snapshot();
    const QString b = QStringLiteral("'") + Key(SessionB) + QStringLiteral("'");
    EditByKey(SessionB, [&](TfmAddEditSessionObject* d) {
        S()->FieldByName(QStringLiteral("mcomment"))->SetAsString(QStringLiteral("изменено"));
        ClickTab(d, d->TabSheet2);
        AddParticipant(d, M3);
        TDataSet* votes = d->dsoLnkDecisionsMembers->DataSet();
        ASSERT_GT(votes->RecordCount(), 0);
        votes->Edit();
        votes->FieldByName(QStringLiteral("vote"))->SetAsInteger(2);
        votes->Post();
        TDataSet* p = d->dsoLnkSessionsMembers->DataSet();
        ASSERT_TRUE(p->Locate(QStringLiteral("id_member"), Variant(Key(M1))));
        rec->Answers.push_back(IDYES);
        ClickButton(d->DBNavigator1, nbDelete);
        ClickTab(d, d->TabSheet3);
        TDataSet* pay = d->dsoPayments->DataSet();
        ASSERT_TRUE(pay->Locate(QStringLiteral("id_member"), Variant(Key(M2))));
        pay->Edit();
        pay->FieldByName(QStringLiteral("suma"))->SetAsInteger(9000);
        pay->Post();
        ASSERT_NE(Snapshot(), before);
        ClickOn(d->btnCancel);
    });
    EXPECT_EQ(Snapshot(), before);
    for (int i = 0; i < DM->ComponentCount(); ++i) {
        auto* ds = dynamic_cast<TCustomADODataSet*>(DM->Components(i));
        if (!ds || !ds->Active() || !ds->Recordset()) continue;
        const ado::RecordsetPtr held = ds->Recordset();
        const ado::RecordsetPtr stored = held->IsTable() ? ado::Recordset::OpenTable(DM->adoConnection, held->Source())
                                                         : ado::Recordset::Open(DM->adoConnection, held->Source());
        EXPECT_EQ(HeldRows(held), HeldRows(stored)) << ds->Name().toStdString();
    }
    // What the windows show.
    EXPECT_EQ(S()->RecordCount(), Count(QStringLiteral("OBJ_SESSIONS")));
    EXPECT_EQ(Field(S(), "id"), Key(SessionB));
    EXPECT_EQ(Field(S(), "mcomment"), Value(QStringLiteral("SELECT mcomment FROM OBJ_SESSIONS WHERE id=") + b));
    EXPECT_EQ(DM->adoLnkSessionsMembers->RecordCount(), Count(QStringLiteral("LNK_SESSIONS_MEMBERS WHERE id_session=") + b));
    EXPECT_EQ(DM->adoObjPayments->RecordCount(), Count(QStringLiteral("OBJ_PAYMENTS")));
    EXPECT_EQ(DM->adoObjDecisions->RecordCount(), Count(QStringLiteral("OBJ_DECISIONS")));
    EXPECT_EQ(DM->adoObjQuestions->RecordCount(), Count(QStringLiteral("OBJ_QUESTIONS")));
    // The next edit shows the stored votes and amounts.
    EditByKey(SessionB, [&](TfmAddEditSessionObject* d) {
        ClickTab(d, d->TabSheet2);
        TDataSet* p = d->dsoLnkSessionsMembers->DataSet();
        EXPECT_EQ(p->RecordCount(), 2);
        TDataSet* votes = d->dsoLnkDecisionsMembers->DataSet();
        for (p->First(); !p->Eof(); p->Next()) {
            EXPECT_EQ(votes->RecordCount(), 2);
            for (votes->First(); !votes->Eof(); votes->Next())
                EXPECT_EQ(votes->FieldByName(QStringLiteral("vote"))->AsInteger(), 1) << Field(votes, "id").toStdString();
        }
        ClickTab(d, d->TabSheet3);
        TDataSet* pay = d->dsoPayments->DataSet();
        EXPECT_EQ(pay->RecordCount(), 2);
        ASSERT_TRUE(pay->Locate(QStringLiteral("id_member"), Variant(Key(M2))));
        EXPECT_EQ(pay->FieldByName(QStringLiteral("suma"))->AsInteger(), 2000);
        ClickOn(d->btnCancel);
    });
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(Errors(), 0);
}

// A member who joins the paid session gets his payment with the date of the
// rows already there; those rows stay as they were.
TEST_F(PaidSession, ParticipantAddedLaterIsPaidOnTheStoredDate)
{
    const QString others = QStringLiteral("OBJ_PAYMENTS WHERE id_member<>'") + Key(M3) + QStringLiteral("'");
    const QString before = Rows(others);
    EditByKey(SessionB, [&](TfmAddEditSessionObject* d) {
        ClickTab(d, d->TabSheet2);
        AddParticipant(d, M3);
        ClickTab(d, d->TabSheet3);
        EXPECT_EQ(ShownPayDate(d), QStringLiteral("27.07.2024"));
        ClickOn(d->btnOK);
    });
    EXPECT_EQ(Rows(others), before);
    EXPECT_EQ(Count(QStringLiteral("OBJ_PAYMENTS WHERE id_member='") + Key(M3) +
                    QStringLiteral("' AND suma=0 AND signpost='Генеральный директор' AND paymentdate=") +
                    QString::number(Paid)),
              1);
    EXPECT_EQ(PaidOn(Paid), 3);
}

// Алексеев's row changed to Волков as a user does it: a click on the cell,
// "Вол", Enter, the navigator's Post. Алексеев's votes and payment leave
// the session with his participation; Волков gets his two votes (0) and a
// payment of 0 on the session's date and signatory, and the votes grid shows
// his votes alone. Белова's rows stay as they were. Cancel puts everything
// back; OK keeps it.
TEST_F(PaidSession, ParticipantChangedToAnotherMemberTakesTheVotesAndPaymentAlong)
{
    const QString before = Snapshot();
    const QString b = QStringLiteral("'") + Key(SessionB) + QStringLiteral("'");
    const QString belova = Rows(QStringLiteral("LNK_DECISIONS_MEMBERS WHERE id_member='") + Key(M2) + QStringLiteral("'")) +
                            Rows(QStringLiteral("OBJ_PAYMENTS WHERE id_member='") + Key(M2) + QStringLiteral("'"));
    for (bool ok : {false, true}) {
        EditByKey(SessionB, [&](TfmAddEditSessionObject* d) {
            ClickTab(d, d->TabSheet2);
            TDataSet* p = d->dsoLnkSessionsMembers->DataSet();
            ASSERT_EQ(Field(p, "id_member"), Key(M1));
            ChooseMember(d, QStringLiteral("Вол"));
            EXPECT_EQ(Field(p, "member"), QStringLiteral("Волков Иван Сергеевич"));
            ClickButton(d->DBNavigator1, nbPost);
            ASSERT_EQ(p->State(), dsBrowse);
            EXPECT_EQ(Value(QStringLiteral("SELECT id_member FROM LNK_SESSIONS_MEMBERS WHERE id='") + Key(100 + M1) +
                            QStringLiteral("'")),
                      Key(M3));
            // The votes grid: Волков's two votes, nobody else's.
            TDataSet* votes = d->dsoLnkDecisionsMembers->DataSet();
            EXPECT_EQ(votes->RecordCount(), 2);
            for (votes->First(); !votes->Eof(); votes->Next()) {
                EXPECT_EQ(Field(votes, "id_member"), Key(M3));
                EXPECT_EQ(votes->FieldByName(QStringLiteral("vote"))->AsInteger(), 0);
            }
            ClickTab(d, d->TabSheet3);
            TDataSet* pay = d->dsoPayments->DataSet();
            EXPECT_EQ(pay->RecordCount(), 2);
            EXPECT_FALSE(pay->Locate(QStringLiteral("id_member"), Variant(Key(M1))));
            EXPECT_EQ(ShownPayDate(d), QStringLiteral("27.07.2024"));
            ClickOn(ok ? d->btnOK : d->btnCancel);
        });
        if (!ok) EXPECT_EQ(Snapshot(), before);
    }
    EXPECT_EQ(Count(QStringLiteral("LNK_SESSIONS_MEMBERS WHERE id_member='") + Key(M1) + QStringLiteral("'")), 0);
    EXPECT_EQ(Count(QStringLiteral("LNK_DECISIONS_MEMBERS WHERE id_member='") + Key(M1) + QStringLiteral("'")), 0);
    EXPECT_EQ(Count(QStringLiteral("OBJ_PAYMENTS WHERE id_member='") + Key(M1) + QStringLiteral("'")), 0);
    EXPECT_EQ(Count(QStringLiteral("LNK_DECISIONS_MEMBERS WHERE vote=0 AND id_member='") + Key(M3) + QStringLiteral("'")), 2);
    EXPECT_EQ(Count(QStringLiteral("LNK_DECISIONS_MEMBERS WHERE id_member='") + Key(M3) + QStringLiteral("'")), 2);
    EXPECT_EQ(Count(QStringLiteral("OBJ_PAYMENTS WHERE id_member='") + Key(M3) + QStringLiteral("'")), 1);
    EXPECT_EQ(Count(QStringLiteral("OBJ_PAYMENTS WHERE suma=0 AND id_session=") + b + QStringLiteral(" AND id_member='") +
                    Key(M3) + QStringLiteral("' AND signpost='Генеральный директор' AND signname='Иванов И. И.' AND "
                                             "reglament='Выплата в течение месяца' AND paymentdate=") +
                    QString::number(Paid)),
              1);
    EXPECT_EQ(Rows(QStringLiteral("LNK_DECISIONS_MEMBERS WHERE id_member='") + Key(M2) + QStringLiteral("'")) +
                  Rows(QStringLiteral("OBJ_PAYMENTS WHERE id_member='") + Key(M2) + QStringLiteral("'")),
              belova);
    EXPECT_EQ(Errors(), 0);
}

// Волков still has a vote (Против) on decision 51 of the session from some
// earlier entry, and decision 52 is linked to the session twice. Added as a
// participant the way a user does it (the navigator's Insert, "Вол", Enter,
// Post), he has one vote row on each decision: his vote on 51 stays, 52
// gets one row with vote 0; showing the tab again adds nothing.
TEST_F(PaidSession, MemberWithALeftoverVoteAddedHasOneRowPerDecision)
{
    Exec(QStringLiteral("INSERT INTO LNK_DECISIONS_MEMBERS (id, id_decision, id_member, vote) VALUES ('%1', '%2', '%3', 2)")
             .arg(Key(900), Key(51), Key(M3)));
    Exec(QStringLiteral("INSERT INTO LNK_SESSIONS_DECISIONS (id, id_session, id_decision) VALUES ('%1', '%2', '%3')")
             .arg(Key(64), Key(SessionB), Key(52)));
    const QString votesOfM3 = QStringLiteral("SELECT id_decision, COUNT(*), MAX(vote) FROM LNK_DECISIONS_MEMBERS WHERE "
                                             "id_member='") + Key(M3) + QStringLiteral("' GROUP BY id_decision ORDER BY 1");
    const QString expected = Key(51) + QStringLiteral("|1|2,") + Key(52) + QStringLiteral("|1|0");
    EditByKey(SessionB, [&](TfmAddEditSessionObject* d) {
        ClickTab(d, d->TabSheet2);
        ClickButton(d->DBNavigator1, nbInsert);
        TDataSet* p = d->dsoLnkSessionsMembers->DataSet();
        ASSERT_EQ(p->State(), dsInsert);
        ChooseMember(d, QStringLiteral("Вол"));
        ClickButton(d->DBNavigator1, nbPost);
        ASSERT_EQ(p->State(), dsBrowse);
        EXPECT_EQ(Field(p, "id_member"), Key(M3));
        EXPECT_EQ(adotest::Query(DM->adoConnection, votesOfM3), expected);
        // The votes grid shows his two votes, one per decision.
        EXPECT_EQ(d->dsoLnkDecisionsMembers->DataSet()->RecordCount(), 2);
        ClickTab(d, d->TabSheet1);
        ClickTab(d, d->TabSheet2);
        EXPECT_EQ(adotest::Query(DM->adoConnection, votesOfM3), expected);
        ClickOn(d->btnOK);
        EXPECT_EQ(d->ModalResult(), mrOk);
    });
    EXPECT_EQ(adotest::Query(DM->adoConnection, votesOfM3), expected);
    EXPECT_EQ(Count(QStringLiteral("LNK_DECISIONS_MEMBERS")), 4 + 2);
    EXPECT_EQ(Errors(), 0);
}

// The navigator's Insert leaves the focus in the participants grid: Esc
// there cancels the new row alone and the dialog stays open; after another
// Insert, the first OK drops the untouched row and closes the dialog,
// storing no participant and showing nothing.
TEST_F(PaidSession, NavigatorInsertThenEscOrOkLeavesNoParticipant)
{
    const QString participants = QStringLiteral("SELECT id, id_member FROM LNK_SESSIONS_MEMBERS ORDER BY id");
    const QString before = adotest::Query(DM->adoConnection, participants);
    EditByKey(SessionB, [&](TfmAddEditSessionObject* d) {
        ClickTab(d, d->TabSheet2);
        TDataSet* p = d->dsoLnkSessionsMembers->DataSet();
        ClickOn(d->dbgMembers);
        ClickButton(d->DBNavigator1, nbInsert);
        ASSERT_EQ(p->State(), dsInsert);
        EXPECT_TRUE(d->dbgMembers->Focused());
        Press(Qt::Key_Escape);
        EXPECT_EQ(p->State(), dsBrowse);
        EXPECT_EQ(d->ModalResult(), mrNone);
        ClickButton(d->DBNavigator1, nbInsert);
        ASSERT_EQ(p->State(), dsInsert);
        ClickOn(d->btnOK);
        EXPECT_EQ(d->ModalResult(), mrOk);
    });
    EXPECT_EQ(adotest::Query(DM->adoConnection, participants), before);
    EXPECT_EQ(Errors(), 0);
}

// The main road by the mouse alone: "+" on the participants' navigator, a
// click on the new row's member cell, a click on its arrow, a click on a
// name in the list that opened, OK: the participant is stored, with a vote
// row on each decision of the session.
TEST_F(PaidSession, AParticipantChosenByClicksInTheNewRowsListIsStored)
{
    const QString participants = QStringLiteral("SELECT id_member FROM LNK_SESSIONS_MEMBERS WHERE id_session='") +
                                 Key(SessionB) + QStringLiteral("' ORDER BY id_member");
    EditByKey(SessionB, [&](TfmAddEditSessionObject* d) {
        ClickTab(d, d->TabSheet2);
        TDataSet* p = d->dsoLnkSessionsMembers->DataSet();
        ClickButton(d->DBNavigator1, nbInsert);
        ASSERT_EQ(p->State(), dsInsert);
        TQvDBGrid* g = d->dbgMembers;
        const TRect cell = g->CellRect(g->IndicatorOffset(), g->Row());
        ClickAt(qobject_cast<QAbstractScrollArea*>(g->Widget())->viewport(),
                QPoint((cell.Left + cell.Right) / 2, (cell.Top + cell.Bottom) / 2));
        ASSERT_TRUE(g->EditorMode());
        auto* box = qobject_cast<QComboBox*>(g->InplaceEditor()->Widget());
        ASSERT_NE(box, nullptr);
        ClickAt(box, screen::ArrowOf(box));
        ASSERT_TRUE(box->view()->isVisible());
        ASSERT_EQ(p->State(), dsInsert);
        screen::ClickListRow(box, box->findText(QStringLiteral("Волков Иван Сергеевич")));
        EXPECT_FALSE(box->view()->isVisible());
        EXPECT_EQ(box->currentText(), QStringLiteral("Волков Иван Сергеевич"));
        ClickOn(d->btnOK);
        EXPECT_EQ(d->ModalResult(), mrOk);
    });
    EXPECT_EQ(adotest::Query(DM->adoConnection, participants),
              QStringList({Key(M1), Key(M2), Key(M3)}).join(QLatin1Char(',')));
    EXPECT_EQ(Count(QStringLiteral("LNK_DECISIONS_MEMBERS WHERE id_member='") + Key(M3) + QLatin1Char('\'')), 2);
    EXPECT_EQ(Errors(), 0);
}

// A participant's post that the database refuses, or whose participation
// cannot be completed once the row is stored, changes no table: the row, the
// votes of the old and the new member and the payments stay as they were.
// The post error is shown once; a refused row stays being edited until the
// navigator's Cancel, one stored and undone shows the stored member again.
// OK then keeps the session as it was; so does Esc, which first cancels the
// row and then is the dialog's Cancel.
TEST_F(PaidSession, ParticipantPostThatFailsChangesNoTable)
{
    struct Case {
        const char* what;
        bool change;   // Алексеев's row changed to Волков, else Волков added
        const char* table;
        const char* operation;
        bool esc;   // the dialog ended by Esc, else by OK
    };
    const Case cases[] = {
        {"changed row refused", true, "LNK_SESSIONS_MEMBERS", "UPDATE", false},
        {"changed row refused, Esc", true, "LNK_SESSIONS_MEMBERS", "UPDATE", true},
        {"new member's payment refused", true, "OBJ_PAYMENTS", "INSERT", false},
        {"old member's payment kept", true, "OBJ_PAYMENTS", "DELETE", false},
        {"new member's votes refused", true, "LNK_DECISIONS_MEMBERS", "INSERT", false},
        {"new row refused", false, "LNK_SESSIONS_MEMBERS", "INSERT", false},
        {"new row's votes refused", false, "LNK_DECISIONS_MEMBERS", "INSERT", false},
    };
    const QString before = Snapshot();
    int errors = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString table = QString::fromLatin1(c.table), operation = QString::fromLatin1(c.operation);
        ASSERT_TRUE(adotest::Refuse(DM->adoConnection, table, operation));
        EditByKey(SessionB, [&](TfmAddEditSessionObject* d) {
            ClickTab(d, d->TabSheet2);
            TDataSet* p = d->dsoLnkSessionsMembers->DataSet();
            ASSERT_EQ(Field(p, "id_member"), Key(M1));
            if (!c.change) ClickButton(d->DBNavigator1, nbInsert);
            ChooseMember(d, QStringLiteral("Вол"));
            ClickButton(d->DBNavigator1, nbPost);
            EXPECT_EQ(Errors(), ++errors);
            EXPECT_EQ(rec->Last().Caption, QStringLiteral("Ошибка сохранения данных"));
            EXPECT_EQ(Snapshot(), before);
            if (c.esc) {
                // The focus stayed in the grid: the first Esc cancels the
                // refused row, the second is the dialog's Cancel.
                Press(Qt::Key_Escape);
                EXPECT_EQ(p->State(), dsBrowse);
                EXPECT_EQ(d->ModalResult(), mrNone);
                Press(Qt::Key_Escape);
                EXPECT_EQ(d->ModalResult(), mrCancel);
                return;
            }
            const bool refused = table == QLatin1String("LNK_SESSIONS_MEMBERS");
            EXPECT_EQ(p->State(), refused ? (c.change ? dsEdit : dsInsert) : dsBrowse);
            if (refused) ClickButton(d->DBNavigator1, nbCancel);
            ASSERT_EQ(p->State(), dsBrowse);
            EXPECT_EQ(Field(p, "id_member"), Key(M1));
            EXPECT_EQ(p->RecordCount(), 2);
            TDataSet* votes = d->dsoLnkDecisionsMembers->DataSet();
            EXPECT_EQ(votes->RecordCount(), 2);
            for (votes->First(); !votes->Eof(); votes->Next()) EXPECT_EQ(Field(votes, "id_member"), Key(M1));
            ClickTab(d, d->TabSheet3);
            EXPECT_EQ(d->dsoPayments->DataSet()->RecordCount(), 2);
            ClickOn(d->btnOK);
            EXPECT_EQ(d->ModalResult(), mrOk);
        });
        ASSERT_TRUE(adotest::Agree(DM->adoConnection, table, operation));
        EXPECT_EQ(Snapshot(), before);
    }
    EXPECT_EQ(Errors(), errors);
}

// OK, by a click from the first tab, by Enter in the emptied payment date or
// by a click, is refused while the payment date is empty: a message, the
// payments tab with the focus in the date, nothing stored (neither the
// comment being typed nor a payment), the dialog open. Shown again, the tab
// shows the stored date, and OK keeps it; a date typed there is kept by OK.
TEST_F(PaidSession, OkWithAnEmptiedPaymentDateIsRefusedUntilADateIsGiven)
{
    const QString comment = QStringLiteral("SELECT mcomment FROM OBJ_SESSIONS WHERE id='") + Key(SessionB) +
                            QLatin1Char('\'');
    TDateTime stored = Paid;
    int day = 1;
    for (const char* way : {"OK on the first tab", "Enter", "OK"}) {
        SCOPED_TRACE(way);
        const QString w = QString::fromLatin1(way);
        const QString payments = Rows(QStringLiteral("OBJ_PAYMENTS")), storedComment = Value(comment);
        const TDateTime given = w == QLatin1String("OK on the first tab") ? stored : EncodeDate(2026, 2, day);
        QString typed;
        EditByKey(SessionB, [&](TfmAddEditSessionObject* d) {
            ClickOn(d->DBMemo2);
            Type(QStringLiteral(" Кворум ") + QString::number(day));
            ClickTab(d, d->TabSheet3);
            ClickOn(d->dtePay);
            Press(Qt::Key_A, Qt::ControlModifier);
            Press(Qt::Key_Delete);
            ASSERT_FALSE(d->dtePay->TextStored());
            const int boxes = int(rec->Calls.size());
            if (w == QLatin1String("Enter")) {
                Press(Qt::Key_Return);
            } else {
                if (w != QLatin1String("OK")) ClickTab(d, d->TabSheet1);
                ClickOn(d->btnOK);
            }
            ASSERT_EQ(int(rec->Calls.size()), boxes + 1);
            EXPECT_EQ(rec->Last().Caption, QStringLiteral("Оформление выплаты"));
            EXPECT_EQ(rec->Last().Text, QStringLiteral("Дата выплаты вознаграждений не указана или указана "
                                                       "неправильно.   \r\nУкажите дату выплаты."));
            EXPECT_EQ(rec->Last().Flags, MB_OK | MB_ICONWARNING);
            EXPECT_EQ(d->ModalResult(), mrNone);
            EXPECT_EQ(d->tabParams->ActivePage(), d->TabSheet3);
            EXPECT_TRUE(d->dtePay->Focused());
            EXPECT_TRUE(DM->adoConnection->InTransaction());
            EXPECT_EQ(S()->State(), dsEdit);
            EXPECT_EQ(Value(comment), storedComment);
            EXPECT_EQ(Rows(QStringLiteral("OBJ_PAYMENTS")), payments);
            if (w == QLatin1String("OK on the first tab")) {
                EXPECT_EQ(ShownPayDate(d), QStringLiteral("27.07.2024"));
            } else {
                EXPECT_FALSE(d->dtePay->TextStored());
                Type(QStringLiteral("%1").arg(day, 2, 10, QLatin1Char('0')) + QStringLiteral("022026"));
                EXPECT_EQ(PaidOn(given), 2);
            }
            typed = Field(S(), "mcomment");
            ClickOn(d->btnOK);
            EXPECT_EQ(d->ModalResult(), mrOk);
        });
        EXPECT_TRUE(typed.startsWith(QStringLiteral(" Кворум ") + QString::number(day)));
        EXPECT_EQ(Value(comment), typed);
        EXPECT_EQ(PaidOn(given), 2);
        stored = given;
        ++day;
    }
    EXPECT_EQ(Count(QStringLiteral("OBJ_PAYMENTS WHERE suma IN (1000, 2000)")), 2);
    EXPECT_EQ(Errors(), 0);
}

// A date the user types goes on every payment of the session; Cancel undoes
// it, OK keeps it and the tab shows it the next time.
TEST_F(PaidSession, TypedPaymentDateGoesOnEveryRowUntilCancelled)
{
    const TDateTime typed = EncodeDate(2026, 12, 20);
    const QString before = Rows(QStringLiteral("OBJ_PAYMENTS"));
    for (bool ok : {false, true}) {
        EditByKey(SessionB, [&](TfmAddEditSessionObject* d) {
            ClickTab(d, d->TabSheet3);
            ClickOn(d->dtePay);
            Press(Qt::Key_Home);
            Type(QStringLiteral("20122026"));
            EXPECT_EQ(ShownPayDate(d), QStringLiteral("20.12.2026"));
            EXPECT_EQ(PaidOn(typed), 2);
            ClickOn(ok ? d->btnOK : d->btnCancel);
        });
        if (!ok) {
            EXPECT_EQ(Rows(QStringLiteral("OBJ_PAYMENTS")), before);
        }
    }
    EXPECT_EQ(PaidOn(typed), 2);
    EXPECT_EQ(Count(QStringLiteral("OBJ_PAYMENTS WHERE suma IN (1000, 2000)")), 2);
    EditByKey(SessionB, [&](TfmAddEditSessionObject* d) {
        ClickTab(d, d->TabSheet3);
        EXPECT_EQ(ShownPayDate(d), QStringLiteral("20.12.2026"));
        ClickOn(d->btnCancel);
    });
    EXPECT_EQ(PaidOn(typed), 2);
    EXPECT_EQ(Errors(), 0);
}

// Letters typed on a selected lookup cell, its editor not open, choose by
// those letters: "Пр" on a vote cell showing "За" chooses Против, "Вол" on
// Белова's participant cell chooses Волков.
TEST_F(PaidSession, LettersTypedOnASelectedLookupCellChooseByThem)
{
    // A click on the cell of the row that is not the current one: the cell
    // is selected, its editor stays closed.
    auto clickOtherRow = [](TQvDBGrid* g, const char* field) {
        int col = -1;
        for (int i = 0; i < g->Columns()->Count(); ++i)
            if (g->Columns()->Items(i)->FieldName() == QLatin1String(field)) col = g->IndicatorOffset() + i;
        ASSERT_GE(col, 0) << field;
        const int row = g->Row() == g->TopRow() ? g->TopRow() + 1 : g->TopRow();
        const TRect r = g->CellRect(col, row);
        ClickAt(qobject_cast<QAbstractScrollArea*>(g->Widget())->viewport(), QPoint(r.Left + 4, r.Top + 4));
        ASSERT_EQ(g->Row(), row) << field;
        ASSERT_FALSE(g->EditorMode()) << field;
    };
    auto type = [](const QString& letters) {
        for (QChar ch : letters) Press(0, Qt::NoModifier, QString(ch));
        Press(Qt::Key_Return);
    };
    const QString votesOfM1 = QStringLiteral("LNK_DECISIONS_MEMBERS WHERE id_member='") + Key(M1) + QLatin1Char('\'');
    // The second tab, on Алексеев's row of the participants.
    auto atFirstMember = [](TfmAddEditSessionObject* d) {
        ClickTab(d, d->TabSheet2);
        ASSERT_TRUE(d->dsoLnkSessionsMembers->DataSet()->Locate(QStringLiteral("id_member"), Variant(Key(M1))));
        Application->ProcessMessages();
    };
    EditByKey(SessionB, [&](TfmAddEditSessionObject* d) {
        atFirstMember(d);
        clickOtherRow(d->dbgVotes, "vvote");
        EXPECT_EQ(Field(d->dsoLnkDecisionsMembers->DataSet(), "vvote"), QStringLiteral("За"));
        type(QStringLiteral("Пр"));
        EXPECT_EQ(Field(d->dsoLnkDecisionsMembers->DataSet(), "vvote"), QStringLiteral("Против"));
        ClickOn(d->btnOK);
    });
    EXPECT_EQ(Count(votesOfM1 + QStringLiteral(" AND vote=2")), 1);
    EXPECT_EQ(Count(votesOfM1 + QStringLiteral(" AND vote=1")), 1);

    EditByKey(SessionB, [&](TfmAddEditSessionObject* d) {
        atFirstMember(d);
        TDataSet* participants = d->dsoLnkSessionsMembers->DataSet();
        clickOtherRow(d->dbgMembers, "member");
        EXPECT_EQ(Field(participants, "id_member"), Key(M2));
        type(QStringLiteral("Вол"));
        EXPECT_EQ(Field(participants, "member"), QStringLiteral("Волков Иван Сергеевич"));
        ClickOn(d->btnOK);
    });
    const QString participants = QStringLiteral("SELECT id_member FROM LNK_SESSIONS_MEMBERS WHERE id_session='") +
                                 Key(SessionB) + QStringLiteral("' ORDER BY id_member");
    EXPECT_EQ(adotest::Query(DM->adoConnection, participants), Key(M1) + QLatin1Char(',') + Key(M3));
    EXPECT_EQ(Errors(), 0);
}

// A date typed with a short year and left by Tab, by Enter or by a click on
// OK goes on every payment of the session as the field shows it, written
// out; opened again, the tab shows it.
TEST_F(PaidSession, AShortYearTypedAndLeftIsStoredOnEveryPaymentAsShown)
{
    const QString others = Rows(QStringLiteral("OBJ_PAYMENTS WHERE id_session<>'") + Key(SessionB) + QStringLiteral("'"));
    int day = 20;
    for (const char* way : {"Tab", "Enter", "OK"}) {
        SCOPED_TRACE(way);
        const QString w = QString::fromLatin1(way);
        const TDateTime typed = EncodeDate(2026, 12, day);
        EditByKey(SessionB, [&](TfmAddEditSessionObject* d) {
            ClickTab(d, d->TabSheet3);
            ClickOn(d->dtePay);
            Press(Qt::Key_A, Qt::ControlModifier);
            Press(Qt::Key_Delete);
            Type(QString::number(day) + QStringLiteral("1226"));
            EXPECT_EQ(ShownPayDate(d), QString::number(day) + QStringLiteral(".12.26  "));
            if (w == QLatin1String("Tab")) {
                Press(Qt::Key_Tab);
                EXPECT_EQ(ShownPayDate(d), QString::number(day) + QStringLiteral(".12.2026"));
                ClickOn(d->btnOK);
            } else if (w == QLatin1String("Enter")) {
                Press(Qt::Key_Return);
            } else {
                ClickOn(d->btnOK);
            }
            EXPECT_EQ(d->ModalResult(), mrOk);
        });
        EXPECT_EQ(PaidOn(typed), 2);
        EXPECT_EQ(Count(QStringLiteral("OBJ_PAYMENTS WHERE suma IN (1000, 2000)")), 2);
        EditByKey(SessionB, [&](TfmAddEditSessionObject* d) {
            ClickTab(d, d->TabSheet3);
            EXPECT_EQ(ShownPayDate(d), QString::number(day) + QStringLiteral(".12.2026"));
            ClickOn(d->btnCancel);
        });
        ++day;
    }
    EXPECT_EQ(Rows(QStringLiteral("OBJ_PAYMENTS WHERE id_session<>'") + Key(SessionB) + QStringLiteral("'")), others);
    EXPECT_EQ(Errors(), 0);
}

// Ctrl+Del deletes, after the data module's question, the session row
// alone: its participants, votes, decision links and payments stay.
TEST_F(PaidSession, DeleteRemovesTheSessionRowAlone)
{
    const QString sessionsLeft =
        Rows(QStringLiteral("OBJ_SESSIONS WHERE id<>'") + Key(SessionB) + QStringLiteral("'"));
    const QString before = Snapshot();
    std::vector<std::pair<QString, QString>> dependents;
    for (const char* t : {"LNK_SESSIONS_MEMBERS", "LNK_SESSIONS_DECISIONS", "LNK_DECISIONS_MEMBERS", "OBJ_PAYMENTS"})
        dependents.emplace_back(QString::fromLatin1(t), Rows(QString::fromLatin1(t)));
    FocusGrid(SessionB);
    rec->Answers.push_back(IDNO);
    Press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Snapshot(), before);

    rec->Answers.push_back(IDYES);
    Press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(Boxes(QStringLiteral("Подтверждение удаления")), 2);
    EXPECT_EQ(Rows(QStringLiteral("OBJ_SESSIONS")), sessionsLeft);
    for (const auto& [table, rows] : dependents) EXPECT_EQ(Rows(table), rows) << table.toStdString();
    EXPECT_FALSE(DM->adoConnection->InTransaction());
    EXPECT_EQ(S()->RecordCount(), 1);
    EXPECT_EQ(Errors(), 0);
}

}  // namespace
