// The record rules of the data module, through the datasets as the windows use them.
#include "DmFixture.h"

#include <QRegularExpression>
#include <map>

#include "data/unCommon.h"
#include "tests/platform/AdoTestUtil.h"

namespace {
QString S(const char* s) { return QString::fromUtf8(s); }
}

TEST_F(DmFixture, NewSessionTakesNextNumberTodayMembersAndSignatories)
{
    Exec(S("UPDATE SYS_PARAMETERS SET val='Иванов И.И.' WHERE name='predsedatel_name'"));
    Exec(S("UPDATE SYS_PARAMETERS SET val='Петрова А.А.' WHERE name='secretar_name'"));
    TADOTable* s = dm->adoObjSessions;
    s->Insert();
    EXPECT_EQ(s->FieldByName(S("pnumber"))->AsInteger(), 1);   // empty table
    EXPECT_EQ(s->FieldByName(S("id"))->AsString().size(), 38);
    EXPECT_EQ(s->FieldByName(S("pdate"))->AsDateTime(), Date());
    EXPECT_EQ(s->FieldByName(S("signpost1"))->AsString(), S("Председатель Совета директоров"));
    EXPECT_EQ(s->FieldByName(S("signname1"))->AsString(), S("Иванов И.И."));
    EXPECT_EQ(s->FieldByName(S("signpost2"))->AsString(), S("Секретарь Совета директоров"));
    EXPECT_EQ(s->FieldByName(S("signname2"))->AsString(), S("Петрова А.А."));
    EXPECT_EQ(s->FieldByName(S("memberscount"))->AsInteger(), 0);
    s->Cancel();

    for (int n : {1, 2, 5})
        Exec(S("INSERT INTO OBJ_SESSIONS (id, pnumber) VALUES ('{S%1}', %1)").arg(n));
    Exec(S("INSERT INTO REF_MEMBERS (id, fullname, enabled) VALUES ('{A}', 'a', 1), ('{B}', 'b', 1), ('{C}', 'c', 0)"));
    s->Insert();
    EXPECT_EQ(s->FieldByName(S("pnumber"))->AsInteger(), 6);
    EXPECT_EQ(s->FieldByName(S("memberscount"))->AsInteger(), 2);
    s->Post();
    EXPECT_EQ(Scalar(S("SELECT MAX(pnumber) FROM OBJ_SESSIONS")).toInt(), 6);
    // Posting re-queries the session lookups: the new session is offered at once.
    EXPECT_TRUE(dm->adqObjSessions3->Locate(S("id"), s->FieldByName(S("id"))->AsString()));
}

TEST_F(DmFixture, SessionTextAndPreviews)
{
    const QString line = QString(60, QLatin1Char('x'));
    Exec(S("INSERT INTO OBJ_SESSIONS (id, pnumber, pdate) VALUES ('{S1}', 7, %1)").arg(EncodeDate(2024, 3, 5)));
    Exec(S("INSERT INTO OBJ_SESSIONS (id, pnumber, pdate) VALUES ('{S2}', 8, %1)")
             .arg(EncodeDate(2024, 3, 6) + EncodeTime(14, 30, 0, 0), 0, 'f', 10));
    Exec(S("INSERT INTO OBJ_QUESTIONS (id, question) VALUES ('{Q0}', ''), ('{Q1}', '%1'), ('{Q2}', '%2')")
             .arg(line.left(53), S("а\r\nб")));
    dm->adoObjSessions->Requery();
    dm->adoObjQuestions->Requery();

    struct Case { TDataSet* ds; const char* id; const char* field; QString expected; };
    const Case cases[] = {
        {dm->adoObjSessions, "{S1}", "reportfield", S("№7 от 05.03.2024")},
        {dm->adoObjSessions, "{S2}", "reportfield", S("№8 от 06.03.2024 14:30:00")},
        {dm->adoObjQuestions, "{Q0}", "qpreview", S("...")},
        {dm->adoObjQuestions, "{Q1}", "qpreview", line.left(53) + S("...")},
        {dm->adoObjQuestions, "{Q2}", "qpreview", S("а б...")},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(c.ds->Locate(S("id"), S(c.id))) << c.id;
        EXPECT_EQ(c.ds->FieldByName(S(c.field))->AsString(), c.expected) << c.id;
    }
}

class ParticipantRules : public DmFixture {
protected:
    void SetUp() override
    {
        DmFixture::SetUp();
        Exec(S("INSERT INTO REF_MEMBERS (id, fullname, enabled) VALUES ('{M1}', 'Первый', 1), ('{M2}', 'Второй', 1)"));
        Exec(S("INSERT INTO OBJ_SESSIONS (id, pnumber) VALUES ('{S1}', 1), ('{S2}', 2)"));
        Exec(S("INSERT INTO OBJ_QUESTIONS (id, question) VALUES ('{Q1}', 'Вопрос первый')"));
        Exec(S("INSERT INTO OBJ_DECISIONS (id, id_question, description) VALUES "
               "('{D1}', '{Q1}', 'Решение один'), ('{D2}', '{Q1}', 'Решение два'), ('{D3}', '{Q1}', 'Другое')"));
        Exec(S("INSERT INTO LNK_SESSIONS_DECISIONS (id, id_session, id_decision) VALUES "
               "('{L1}', '{S1}', '{D1}'), ('{L2}', '{S1}', '{D2}'), ('{L3}', '{S2}', '{D3}')"));
        for (TDataSet* ds : {static_cast<TDataSet*>(dm->adqRefMembers3), static_cast<TDataSet*>(dm->adoObjSessions)})
            ds->Requery();
        ASSERT_TRUE(dm->adoObjSessions->Locate(S("id"), S("{S1}")));
    }
    void AddParticipant(const char* member)
    {
        TADOTable* p = dm->adoLnkSessionsMembers;
        p->Insert();
        p->FieldByName(S("id_member"))->SetAsString(S(member));
        p->Post();
    }
    int Votes(const char* where) { return Scalar(S("SELECT COUNT(*) FROM LNK_DECISIONS_MEMBERS WHERE ") + S(where)).toInt(); }
    // Every row of the participants, votes and payments.
    QString Snapshot()
    {
        QString out;
        for (const char* t : {"LNK_SESSIONS_MEMBERS", "LNK_DECISIONS_MEMBERS", "OBJ_PAYMENTS"})
            out += adotest::Query(dm->adoConnection, S("SELECT * FROM ") + S(t) + S(" ORDER BY id")) + S("\n");
        return out;
    }
};

TEST_F(ParticipantRules, NewParticipantGetsOneVoteRowPerLinkedDecision)
{
    AddParticipant("{M1}");
    EXPECT_EQ(dm->adoLnkSessionsMembers->FieldByName(S("id_session"))->AsString(), S("{S1}"));
    EXPECT_EQ(Scalar(S("SELECT COUNT(*) FROM LNK_SESSIONS_MEMBERS")).toInt(), 1);
    EXPECT_EQ(Votes("id_member='{M1}' AND vote=0"), 2);
    EXPECT_EQ(Votes("id_decision='{D3}'"), 0);

    // The vote list follows the participant: his votes on this session's decisions.
    dm->adoLnkSessionsMembers->First();
    TADOTable* votes = dm->adoLnkDecisionsMembers;
    EXPECT_TRUE(votes->Filtered());
    EXPECT_EQ(votes->RecordCount(), 2);
    votes->First();
    EXPECT_EQ(votes->FieldByName(S("decision"))->AsString(), S("Решение один..."));
    EXPECT_EQ(votes->FieldByName(S("question"))->AsString(), S("Вопрос первый..."));
    EXPECT_EQ(votes->FieldByName(S("vvote"))->AsString(),
              Scalar(S("SELECT name FROM REF_VOTE_TYPES WHERE id=0")).toString());
}

TEST_F(ParticipantRules, DuplicateOrEmptyParticipantIsDroppedSilently)
{
    AddParticipant("{M1}");
    TADOTable* p = dm->adoLnkSessionsMembers;
    for (const char* member : {"{M1}", ""}) {
        p->Insert();
        if (*member) p->FieldByName(S("id_member"))->SetAsString(S(member));
        EXPECT_THROW(p->Post(), EAbort) << member;
        EXPECT_EQ(p->State(), dsBrowse);
    }
    // Posting an existing row again, unchanged, is dropped the same way.
    p->First();
    p->Edit();
    EXPECT_THROW(p->Post(), EAbort);
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(Scalar(S("SELECT COUNT(*) FROM LNK_SESSIONS_MEMBERS")).toInt(), 1);
    EXPECT_EQ(Votes("1=1"), 2);
}

TEST_F(ParticipantRules, SessionWithoutDecisionsGivesNoVotesAndAnEmptyList)
{
    ASSERT_TRUE(dm->adoObjSessions->Locate(S("id"), S("{S2}")));
    Exec(S("DELETE FROM LNK_SESSIONS_DECISIONS WHERE id_session='{S2}'"));
    AddParticipant("{M2}");
    EXPECT_EQ(Votes("id_member='{M2}'"), 0);
    dm->adoLnkSessionsMembers->First();
    EXPECT_EQ(dm->adoLnkDecisionsMembers->RecordCount(), 0);
}

TEST_F(ParticipantRules, DeletingAParticipantRemovesHisVotesAndPaymentsOfThatSessionOnly)
{
    AddParticipant("{M1}");
    Exec(S("INSERT INTO LNK_DECISIONS_MEMBERS (id, id_decision, id_member, vote) VALUES ('{V9}', '{D3}', '{M1}', 1)"));
    Exec(S("INSERT INTO OBJ_PAYMENTS (id, id_session, id_member) VALUES ('{P1}', '{S1}', '{M1}'), ('{P2}', '{S2}', '{M1}')"));
    TADOTable* p = dm->adoLnkSessionsMembers;
    p->First();

    answer = IDNO;
    EXPECT_THROW(p->Delete(), EAbort);
    EXPECT_EQ(p->RecordCount(), 1);
    EXPECT_EQ(Votes("id_member='{M1}'"), 3);

    answer = IDYES;
    p->Delete();
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_EQ(asked[1].Caption, S("Подтверждение удаления"));
    EXPECT_EQ(asked[1].Text, S("Вы действительно хотите удалить текущую запись?"));
    EXPECT_EQ(asked[1].Flags, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(Scalar(S("SELECT COUNT(*) FROM LNK_SESSIONS_MEMBERS")).toInt(), 0);
    EXPECT_EQ(Votes("id_member='{M1}'"), 1);   // his vote in the other session stays
    EXPECT_EQ(Scalar(S("SELECT COUNT(*) FROM OBJ_PAYMENTS")).toInt(), 1);
    EXPECT_EQ(Scalar(S("SELECT id_session FROM OBJ_PAYMENTS")).toString(), S("{S2}"));
}

// A stored participant row moved to another member hands the participation
// over: the old member's votes on the session's decisions and his payment
// for it go, his rows of the other session stay; the new member gets one vote
// row per decision and, when the session has payments, one payment carrying
// the others' date, rules and signatory with the amount 0. A rolled-back
// transaction puts every row back.
TEST_F(ParticipantRules, ChangingTheMemberOfAParticipantMovesVotesAndPaymentToTheNewOne)
{
    auto payments = [&](const char* where) {
        return Scalar(S("SELECT COUNT(*) FROM OBJ_PAYMENTS WHERE ") + S(where)).toInt();
    };
    for (bool paid : {true, false}) {
        SCOPED_TRACE(paid ? "paid session" : "session without payments");
        for (const char* t : {"LNK_SESSIONS_MEMBERS", "LNK_DECISIONS_MEMBERS", "OBJ_PAYMENTS"})
            Exec(S("DELETE FROM ") + S(t));
        dm->adoLnkSessionsMembers->Requery();
        AddParticipant("{M1}");
        Exec(S("UPDATE LNK_DECISIONS_MEMBERS SET vote=1"));
        Exec(S("INSERT INTO LNK_DECISIONS_MEMBERS (id, id_decision, id_member, vote) VALUES ('{V9}', '{D3}', '{M1}', 2)"));
        if (paid)
            Exec(S("INSERT INTO OBJ_PAYMENTS (id, id_session, id_member, suma, paymentdate, reglament, signpost, signname) "
                   "VALUES ('{P1}', '{S1}', '{M1}', 25000, 45000, 'Правила', 'Генеральный директор', 'Иванов')"));
        Exec(S("INSERT INTO OBJ_PAYMENTS (id, id_session, id_member, suma) VALUES ('{P2}', '{S2}', '{M1}', 700)"));
        const QString before = Snapshot();
        TADOTable* p = dm->adoLnkSessionsMembers;
        for (bool keep : {false, true}) {
            if (!keep) dm->adoConnection->BeginTrans();
            p->First();
            p->Edit();
            p->FieldByName(S("id_member"))->SetAsString(S("{M2}"));
            p->Post();
            EXPECT_EQ(Scalar(S("SELECT id_member FROM LNK_SESSIONS_MEMBERS")).toString(), S("{M2}"));
            EXPECT_EQ(Votes("id_member='{M1}'"), 1);   // his vote in the other session
            EXPECT_EQ(Votes("id_member='{M1}' AND id_decision='{D3}' AND vote=2"), 1);
            EXPECT_EQ(Votes("id_member='{M2}'"), 2);
            EXPECT_EQ(Votes("id_member='{M2}' AND vote=0 AND id_decision IN ('{D1}', '{D2}')"), 2);
            EXPECT_EQ(payments("id_session='{S1}' AND id_member='{M1}'"), 0);
            EXPECT_EQ(payments("id_session='{S1}'"), paid ? 1 : 0);
            EXPECT_EQ(payments("id_session='{S1}' AND id_member='{M2}' AND suma=0 AND paymentdate=45000 AND "
                               "reglament='Правила' AND signpost='Генеральный директор' AND signname='Иванов'"),
                      paid ? 1 : 0);
            EXPECT_EQ(payments("id='{P2}' AND id_member='{M1}' AND suma=700"), 1);
            // The vote list follows the row to the new member at once.
            TADOTable* votes = dm->adoLnkDecisionsMembers;
            EXPECT_EQ(votes->RecordCount(), 2);
            for (votes->First(); !votes->Eof(); votes->Next())
                EXPECT_EQ(votes->FieldByName(S("id_member"))->AsString(), S("{M2}"));
            if (keep) continue;
            dm->adoConnection->RollbackTrans();
            EXPECT_EQ(Snapshot(), before);
            p->Requery();
        }

        // To a member who already takes part: dropped silently, nothing moves.
        AddParticipant("{M1}");
        const QString both = Snapshot();
        ASSERT_TRUE(p->Locate(S("id_member"), S("{M2}")));
        p->Edit();
        p->FieldByName(S("id_member"))->SetAsString(S("{M1}"));
        EXPECT_THROW(p->Post(), EAbort);
        EXPECT_EQ(p->State(), dsBrowse);
        EXPECT_EQ(Snapshot(), both);
    }
    EXPECT_TRUE(asked.empty());
}

// A participation that cannot be completed once its row is stored (here the
// new member's votes are refused) takes the row back with it, inside a
// transaction or without one: a new row goes, a changed one has its old
// member again with his votes and payment; the post error is shown and the
// post ends silently.
TEST_F(ParticipantRules, ParticipationThatCannotBeCompletedTakesItsRowBack)
{
    AddParticipant("{M1}");
    Exec(S("INSERT INTO OBJ_PAYMENTS (id, id_session, id_member, suma) VALUES ('{P1}', '{S1}', '{M1}', 500)"));
    const QString before = Snapshot();
    TADOTable* p = dm->adoLnkSessionsMembers;
    ASSERT_TRUE(adotest::Refuse(dm->adoConnection, S("LNK_DECISIONS_MEMBERS"), S("INSERT")));
    for (bool inTransaction : {false, true})
        for (bool change : {false, true}) {
            SCOPED_TRACE(std::string(inTransaction ? "in a transaction, " : "") + (change ? "changed" : "added"));
            if (inTransaction) dm->adoConnection->BeginTrans();
            asked.clear();
            if (change) {
                p->First();
                p->Edit();
            } else {
                p->Insert();
            }
            p->FieldByName(S("id_member"))->SetAsString(S("{M2}"));
            EXPECT_THROW(p->Post(), EAbort);
            ASSERT_EQ(asked.size(), 1u);
            EXPECT_EQ(asked[0].Caption, S("Ошибка сохранения данных"));
            EXPECT_EQ(Snapshot(), before);
            EXPECT_EQ(p->State(), dsBrowse);
            EXPECT_EQ(p->RecordCount(), 1);
            EXPECT_EQ(p->FieldByName(S("id_member"))->AsString(), S("{M1}"));
            EXPECT_EQ(dm->adoLnkDecisionsMembers->RecordCount(), 2);
            EXPECT_EQ(dm->adoConnection->InTransaction(), inTransaction);
            if (inTransaction) dm->adoConnection->CommitTrans();
            EXPECT_EQ(Snapshot(), before);
        }
    ASSERT_TRUE(adotest::Agree(dm->adoConnection, S("LNK_DECISIONS_MEMBERS"), S("INSERT")));
}

// A place, form, member or session deleted after Yes takes its own row
// alone: every row that refers to it stays as it was.
TEST_F(DmFixture, DeletingARecordAsksAndLeavesReferringRows)
{
    Exec(S("INSERT INTO REF_PLACES (id, name) VALUES ('{P1}', 'Москва')"));
    Exec(S("INSERT INTO REF_FORMS (id, name) VALUES ('{F1}', 'Очная')"));
    Exec(S("INSERT INTO REF_MEMBERS (id, fullname, enabled) VALUES ('{M1}', 'Иванов', 1)"));
    Exec(S("INSERT INTO REF_POSTS (id, id_member) VALUES ('{R1}', '{M1}')"));
    Exec(S("INSERT INTO REF_OTHER_MANAGEMENT (id, id_member) VALUES ('{O1}', '{M1}')"));
    Exec(S("INSERT INTO OBJ_SESSIONS (id, pnumber, id_place, id_form) VALUES ('{S1}', 1, '{P1}', '{F1}')"));
    Exec(S("INSERT INTO OBJ_DECISIONS (id) VALUES ('{D1}')"));
    Exec(S("INSERT INTO LNK_SESSIONS_MEMBERS (id, id_session, id_member) VALUES ('{L1}', '{S1}', '{M1}')"));
    Exec(S("INSERT INTO LNK_SESSIONS_DECISIONS (id, id_session, id_decision) VALUES ('{L2}', '{S1}', '{D1}')"));
    Exec(S("INSERT INTO LNK_DECISIONS_MEMBERS (id, id_decision, id_member, vote) VALUES ('{V1}', '{D1}', '{M1}', 1)"));
    Exec(S("INSERT INTO OBJ_PAYMENTS (id, id_session, id_member, suma) VALUES ('{Y1}', '{S1}', '{M1}', 500)"));
    const char* const tables[] = {"REF_PLACES",           "REF_FORMS",           "REF_MEMBERS",
                                  "REF_POSTS",            "REF_OTHER_MANAGEMENT", "OBJ_SESSIONS",
                                  "OBJ_DECISIONS",        "LNK_SESSIONS_MEMBERS", "LNK_SESSIONS_DECISIONS",
                                  "LNK_DECISIONS_MEMBERS", "OBJ_PAYMENTS"};
    // Every row of the table as text.
    auto rows = [&](const char* table) {
        ado::RecordsetPtr rs = dm->adoConnection->Execute(S("SELECT * FROM ") + S(table) + S(" ORDER BY id"));
        QStringList out;
        for (qsizetype r = 0; r < rs->RowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < rs->ColumnCount(); ++c) cells << rs->Text(r, c);
            out << cells.join(QLatin1Char('|'));
        }
        return out;
    };
    const struct {
        TDataSet* ds;
        const char* table;
    } cases[] = {{dm->adoRefPlaces, "REF_PLACES"},
                 {dm->adoRefForms, "REF_FORMS"},
                 {dm->adoRefMembers, "REF_MEMBERS"},
                 {dm->adoObjSessions, "OBJ_SESSIONS"}};
    for (const auto& c : cases) {
        c.ds->Requery();
        ASSERT_EQ(c.ds->RecordCount(), 1) << c.table;
        std::map<QString, QStringList> before;
        for (const char* t : tables) before[S(t)] = rows(t);
        c.ds->Delete();
        for (const char* t : tables)
            EXPECT_EQ(rows(t), QByteArray(t) == c.table ? QStringList() : before[S(t)]) << c.table << ": " << t;
    }

    dm->adoObjDecisions->Requery();
    answer = IDNO;
    EXPECT_THROW(dm->adoObjDecisions->Delete(), EAbort);
    ASSERT_EQ(asked.size(), 5u);
    EXPECT_EQ(asked[4].Text, S("ВСЕ ДАННЫЕ, связанные с выбранной позицией будут также удалены.   \r\n"
                               "Вы действительно хотите удалить текущую запись?"));
    EXPECT_EQ(Scalar(S("SELECT COUNT(*) FROM OBJ_DECISIONS")).toInt(), 1);
}

TEST_F(DmFixture, InsertDefaultsAndKeys)
{
    TADOTable* m = dm->adoRefMembers;
    m->Insert();
    EXPECT_EQ(m->FieldByName(S("date"))->AsDateTime(), Date());
    EXPECT_TRUE(m->FieldByName(S("enabled"))->AsBoolean());
    EXPECT_TRUE(m->FieldByName(S("id"))->IsNull());   // the key comes on post
    m->FieldByName(S("fullname"))->SetAsString(S("Новый"));
    m->Post();
    const QString key = m->FieldByName(S("id"))->AsString();
    EXPECT_TRUE(QRegularExpression(S("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$")).match(key).hasMatch()) << key.toStdString();
    EXPECT_TRUE(dm->adqRefMembers3->Locate(S("id"), key));   // re-queried after the post
    m->Edit();
    m->Post();
    EXPECT_EQ(m->FieldByName(S("id"))->AsString(), key);   // a key is kept

    Exec(S("UPDATE SYS_PARAMETERS SET val='Порядок выплат' WHERE name='pay_reglament'"));
    dm->adoObjPayments->Insert();
    EXPECT_EQ(dm->adoObjPayments->FieldByName(S("reglament"))->AsString(), S("Порядок выплат"));
    dm->adoObjPayments->Cancel();
}

TEST(Common, RemoveLineBreaksAndJoinStrings)
{
    EXPECT_EQ(RemoveLineBreaks(S("a\r\nb")), S("a b"));
    EXPECT_EQ(RemoveLineBreaks(S("a\nb")), S("ab"));
    EXPECT_EQ(RemoveLineBreaks(S("a\rb")), S("a b"));
    EXPECT_EQ(JoinStrings(S("-"), {S(""), S("x"), S(""), S("y")}), S("x--y"));
    EXPECT_EQ(JoinStrings(S("-"), {}), S(""));
    EXPECT_EQ(JoinStrings(S(", "), {S("a"), S("b")}), S("a, b"));
}

TEST_F(DmFixture, SearchInDataSetIgnoresCaseWrapsAndRestoresPosition)
{
    Exec(S("INSERT INTO REF_PLACES (id, name) VALUES ('{1}', 'Москва, ЦЕНТР'), ('{2}', 'Тверь'), "
           "('{3}', 'центральный офис'), ('{4}', 'Омск')"));
    TADOTable* t = dm->adoRefPlaces;
    t->Requery();
    t->SetSort(S("name ASC"));   // Москва, Омск, Тверь, центральный
    EXPECT_TRUE(SearchInDataSet(true, t, S("name"), S("центр")));
    EXPECT_EQ(t->FieldByName(S("id"))->AsString(), S("{1}"));
    EXPECT_TRUE(SearchInDataSet(false, t, S("name"), S("центр")));
    EXPECT_EQ(t->FieldByName(S("id"))->AsString(), S("{3}"));
    EXPECT_TRUE(SearchInDataSet(false, t, S("name"), S("центр")));   // wraps to the first match
    EXPECT_EQ(t->FieldByName(S("id"))->AsString(), S("{1}"));

    t->Locate(S("id"), S("{2}"));
    EXPECT_FALSE(SearchInDataSet(false, t, S("name"), S("нет такого")));
    EXPECT_EQ(t->FieldByName(S("id"))->AsString(), S("{2}"));
    EXPECT_FALSE(SearchInDataSet(true, t, S("name"), S("")));
    EXPECT_EQ(t->FieldByName(S("id"))->AsString(), S("{2}"));
    EXPECT_FALSE(t->ControlsDisabled());
    EXPECT_THROW(SearchInDataSet(true, t, S("nofield"), S("x")), EDatabaseError);
    EXPECT_FALSE(t->ControlsDisabled());
}
