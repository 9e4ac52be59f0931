// The sessions register and the session edit dialog, the way the secretary
// uses them: opened from the main window, a session added, then edited to
// record participants, votes and payments; OK keeps all of it, anything
// else leaves the database as it was before the dialog opened.
#include <QStringList>
#include <functional>

#include "components/QvDBCtrl.h"
#include "components/ToolEdit.h"
#include "platform/ado/ADODB.h"
#include "platform/core/DateTime.h"
#include "platform/core/SysUtils.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComboBoxes.h"
#include "platform/ui/StdCtrls.h"
#include "registers/unAddEditSessionObject.h"
#include "registers/unSessionObject.h"
#include "tests/app/AppFixture.h"

namespace {

QString Key(int n) { return QStringLiteral("{00000000-0000-0000-0000-%1}").arg(n, 12, 10, QLatin1Char('0')); }

// Members 1..4 (4 has left the board), forms 11 (no comment) and 12, places
// 21 and 22, sessions 31 (No. 1) and 32 (No. 2), questions 41 and decisions
// 51, 52 on it, linked to session 32; a decision 53 linked to session 31.
const int M1 = 1, M2 = 2, M3 = 3, SessionA = 31, SessionB = 32, D1 = 51, D2 = 52;

class Sessions : public AppFixture {
protected:
    TfmSessionObject* w = nullptr;

    void SetUp() override
    {
        AppFixture::SetUp();
        MakeDb();
        ShowMain();
        ASSERT_TRUE(DM->adoConnection->Connected());
        const char* rows[] = {
            "INSERT INTO REF_MEMBERS (id, fullname, enabled) VALUES ('%1', 'Алексеев Борис Петрович', 1)",
            "INSERT INTO REF_MEMBERS (id, fullname, enabled) VALUES ('%2', 'Белова Анна Ивановна', 1)",
            "INSERT INTO REF_MEMBERS (id, fullname, enabled) VALUES ('%3', 'Волков Иван Сергеевич', 1)",
            "INSERT INTO REF_MEMBERS (id, fullname, enabled) VALUES ('%4', 'Громов Олег Юрьевич', 0)",
            "INSERT INTO REF_FORMS (id, name, comment) VALUES ('%11', 'Заочная', 'Опросные листы до пятницы')",
            "INSERT INTO REF_FORMS (id, name, comment) VALUES ('%12', 'Очная', 'Собрание в большом зале')",
            "INSERT INTO REF_PLACES (id, name) VALUES ('%21', 'Большой зал')",
            "INSERT INTO OBJ_SESSIONS (id, pnumber, pdate, memberscount) VALUES ('%31', 1, 40000, 7)",
            "INSERT INTO OBJ_SESSIONS (id, pnumber, pdate, memberscount) VALUES ('%32', 2, 40100, 7)",
            "INSERT INTO OBJ_QUESTIONS (id, date, question) VALUES ('%41', 40000, 'Об отчете')",
            "INSERT INTO OBJ_DECISIONS (id, id_question, description) VALUES ('%51', '%41', 'Утвердить отчет')",
            "INSERT INTO OBJ_DECISIONS (id, id_question, description) VALUES ('%52', '%41', 'Отклонить отчет')",
            "INSERT INTO OBJ_DECISIONS (id, id_question, description) VALUES ('%53', '%41', 'Перенести')",
            "INSERT INTO LNK_SESSIONS_DECISIONS (id, id_session, id_decision) VALUES ('%61', '%32', '%51')",
            "INSERT INTO LNK_SESSIONS_DECISIONS (id, id_session, id_decision) VALUES ('%62', '%32', '%52')",
            "INSERT INTO LNK_SESSIONS_DECISIONS (id, id_session, id_decision) VALUES ('%63', '%31', '%53')",
            "UPDATE SYS_PARAMETERS SET val='Петров П. П.' WHERE name='zam_gen_director'",
            "UPDATE SYS_PARAMETERS SET val='Иванов И. И.' WHERE name='gen_director'",
            "UPDATE SYS_PARAMETERS SET val='Выплата в течение месяца' WHERE name='pay_reglament'"};
        for (const char* r : rows) {
            QString sql = QString::fromUtf8(r);
            for (int n : {63, 62, 61, 53, 52, 51, 41, 32, 31, 21, 12, 11, 4, 3, 2, 1})
                sql.replace(QLatin1Char('%') + QString::number(n), Key(n));
            DM->adoConnection->Execute(sql);
        }
        for (int i = 0; i < DM->ComponentCount(); ++i)
            if (auto* ds = dynamic_cast<TDataSet*>(DM->Components(i)); ds && ds->Active()) ds->Requery();
        fmMain->aOpenObjSessions->Execute();
        for (int i = 0; i < fmMain->MDIChildCount(); ++i)
            if (auto* f = dynamic_cast<TfmSessionObject*>(fmMain->MDIChildren(i))) w = f;
        ASSERT_NE(w, nullptr);
        w->Timer->Fire();
    }

    TDataSet* S() const { return DM->adoObjSessions; }
    QString Field(TDataSet* ds, const char* name) const
    {
        return ds->FieldByName(QString::fromLatin1(name))->AsString();
    }
    bool GoTo(int session)
    {
        const bool ok = S()->Locate(QStringLiteral("id"), Variant(Key(session)));
        w->Timer->Fire();
        return ok;
    }
    int Count(const QString& sql) const
    {
        ado::RecordsetPtr rs = DM->adoConnection->Execute(QStringLiteral("SELECT COUNT(*) FROM ") + sql);
        return rs->Value(0, 0).toInt();
    }
    QString Value(const QString& sql) const
    {
        ado::RecordsetPtr rs = DM->adoConnection->Execute(sql);
        return rs && rs->RowCount() > 0 ? rs->Text(0, 0) : QString();
    }
    // Every row of every table the dialog may write, as text.
    QString Snapshot() const
    {
        QString out;
        for (const char* t : {"OBJ_SESSIONS", "LNK_SESSIONS_MEMBERS", "LNK_SESSIONS_DECISIONS", "LNK_DECISIONS_MEMBERS",
                              "OBJ_PAYMENTS", "OBJ_DECISIONS", "OBJ_QUESTIONS"}) {
            ado::RecordsetPtr rs =
                DM->adoConnection->Execute(QStringLiteral("SELECT * FROM ") + QString::fromLatin1(t) +
                                           QStringLiteral(" ORDER BY id"));
            out += QString::fromLatin1(t) + QLatin1Char('\n');
            for (qsizetype r = 0; r < rs->RowCount(); ++r) {
                for (int c = 0; c < rs->ColumnCount(); ++c) out += rs->Text(r, c) + QLatin1Char('|');
                out += QLatin1Char('\n');
            }
        }
        return out;
    }
    // What the event loop does with an exception escaping a user's action.
    static void User(const std::function<void()>& f)
    {
        try {
            f();
        } catch (...) {
            Application->HandleException(nullptr);
        }
    }
    // Adds a participant through the participants grid's dataset.
    static void AddParticipant(TfmAddEditSessionObject* d, int member)
    {
        TDataSet* p = d->dsoLnkSessionsMembers->DataSet();
        p->Append();
        p->FieldByName(QStringLiteral("id_member"))->SetAsString(Key(member));
        p->Post();
    }
    // Participants added, then payments switched on for them.
    static void PaymentsOn(TfmAddEditSessionObject* d, std::initializer_list<int> members)
    {
        for (int m : members) AddParticipant(d, m);
        d->TabSheet3Show(d->TabSheet3);
        User([&] { d->cbxSetPay->Click(); });
    }
    // The edit dialog of the session, worked by the function, which returns
    // the modal result the user gives.
    void Edit(int session, const std::function<int(TfmAddEditSessionObject*)>& work)
    {
        ASSERT_TRUE(GoTo(session));
        rec->OnModal = [&](TForm* f) {
            auto* d = dynamic_cast<TfmAddEditSessionObject*>(f);
            EXPECT_NE(d, nullptr);
            return d ? work(d) : int(mrCancel);
        };
        User([&] { w->ToolButton7->Click(); });
        rec->OnModal = nullptr;
    }
    static void Ok(TfmAddEditSessionObject* d) { User([&] { d->btnOK->Click(); }); }
    int Errors() const
    {
        int n = 0;
        for (const auto& c : rec->Calls)
            if (c.Kind == TDialogKind::MessageBox && (c.Flags & MB_ICONSTOP)) ++n;
        return n;
    }
};

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

    // Typing in the grid never edits.
    WORD key = 'A';
    w->DBGridKeyDown(w->DBGrid, key, TShiftState{});
    EXPECT_EQ(S()->State(), dsBrowse);
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
        AddParticipant(d, M1);
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
                if (g == d->dbgVotes || c.key != VK_DOWN) EXPECT_EQ(k, c.after) << c.key;
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

// The payment date: an incomplete text writes nothing and raises nothing; a
// complete date goes on every row; no text typed reaches a statement.
TEST_F(Sessions, PaymentDateIsWrittenOnlyWhenCompleteAndValid)
{
    Edit(SessionB, [&](TfmAddEditSessionObject* d) {
        PaymentsOn(d, {M1, M2});
        const QString where = QStringLiteral("OBJ_PAYMENTS WHERE paymentdate=");
        d->dtePay->SetText(QStringLiteral("03.03.2026"));
        EXPECT_EQ(Count(where + QString::number(EncodeDate(2026, 3, 3))), 2);
        for (const char* text : {"1", "15.0", "15.01.20", "31.02.2026", "xx.yy.zzzz", ""}) {
            d->dtePay->SetText(QString::fromLatin1(text));
            EXPECT_EQ(Count(where + QString::number(EncodeDate(2026, 3, 3))), 2) << text;
        }
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

// Deleting a session takes its participants, their votes on its decisions,
// its decision links and its payments; decisions and questions stay.
TEST_F(Sessions, DeleteTakesTheSessionsRowsWithIt)
{
    Edit(SessionB, [&](TfmAddEditSessionObject* d) {
        PaymentsOn(d, {M1, M2});
        Ok(d);
        return int(d->ModalResult());
    });
    Edit(SessionA, [&](TfmAddEditSessionObject* d) {
        AddParticipant(d, M1);
        Ok(d);
        return int(d->ModalResult());
    });
    ASSERT_EQ(Count(QStringLiteral("LNK_DECISIONS_MEMBERS")), 5);
    const QString before = Snapshot();
    ASSERT_TRUE(GoTo(SessionB));
    rec->Answers.push_back(IDNO);
    User([&] { w->ToolButton6->Click(); });
    EXPECT_EQ(Snapshot(), before);
    EXPECT_EQ(rec->Last().Caption, QStringLiteral("Подтверждение удаления"));

    ASSERT_TRUE(GoTo(SessionB));
    rec->Answers.push_back(IDYES);
    User([&] { w->ToolButton6->Click(); });
    EXPECT_FALSE(DM->adoConnection->InTransaction());
    EXPECT_EQ(Count(QStringLiteral("OBJ_SESSIONS")), 1);
    const QString s = QStringLiteral("'") + Key(SessionB) + QStringLiteral("'");
    EXPECT_EQ(Count(QStringLiteral("LNK_SESSIONS_MEMBERS WHERE id_session=") + s), 0);
    EXPECT_EQ(Count(QStringLiteral("LNK_SESSIONS_DECISIONS WHERE id_session=") + s), 0);
    EXPECT_EQ(Count(QStringLiteral("OBJ_PAYMENTS")), 0);
    // Session A's participant keeps his vote; the decisions stay.
    EXPECT_EQ(Count(QStringLiteral("LNK_DECISIONS_MEMBERS")), 1);
    EXPECT_EQ(Count(QStringLiteral("OBJ_DECISIONS")), 3);
    EXPECT_EQ(Count(QStringLiteral("OBJ_QUESTIONS")), 1);
    EXPECT_EQ(DM->adoObjPayments->RecordCount(), 0);
    EXPECT_EQ(Errors(), 0);
}

}  // namespace
