// What a dataset shows: filters as the system writes them, master/detail,
// calculated and lookup fields, and a query's rows handed to a table.
#include <gtest/gtest.h>

#include "AdoTestUtil.h"
#include "platform/ado/ADODB.h"
#include "platform/db/DB.h"

using namespace adotest;

namespace {

const QString M1 = QStringLiteral("{6A1B2C3D-0000-4000-8000-000000000001}");
const QString M2 = QStringLiteral("{6A1B2C3D-0000-4000-8000-000000000002}");

class ViewTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    std::unique_ptr<TADOConnection> Db;
    TComponent Owner;

    void SetUp() override
    {
        Db = CreateDb(Dir.filePath(QStringLiteral("v.db")), QString(),
                      {QStringLiteral("CREATE TABLE LNK_DECISIONS_MEMBERS (id CHAR(38), id_decision CHAR(38), "
                                      "id_member CHAR(38), vote INTEGER, note VARCHAR(50))"),
                       QStringLiteral("CREATE TABLE REF_MEMBERS (id CHAR(38), fullname VARCHAR(255), enabled BOOLEAN)"),
                       QStringLiteral("CREATE TABLE REF_POSTS (id CHAR(38), id_member CHAR(38), postname VARCHAR(100))"),
                       QStringLiteral("CREATE TABLE REF_VOTE_TYPES (id SMALLINT, name VARCHAR(50))")});
        auto vote = [&](const char* id, const char* dec, const QString& m, int v, const char* note) {
            Db->Execute(QStringLiteral("INSERT INTO LNK_DECISIONS_MEMBERS (id, id_decision, id_member, vote, note) "
                                       "VALUES (\"%1\", \"%2\", \"%3\", %4, %5)")
                            .arg(QString::fromLatin1(id), QString::fromLatin1(dec), m)
                            .arg(v)
                            .arg(note ? QStringLiteral("\"%1\"").arg(QString::fromUtf8(note)) : QStringLiteral("NULL")));
        };
        vote("v1", "J1", M1, 0, "O'Brien");
        vote("v2", "J2", M1, 1, "Fisher");
        vote("v3", "J3", M1, 2, nullptr);
        vote("v4", "J1", M2, 1, "ober");
        Db->Execute(QStringLiteral("INSERT INTO REF_MEMBERS VALUES (\"%1\", \"Иванов\", true)").arg(M1));
        Db->Execute(QStringLiteral("INSERT INTO REF_MEMBERS VALUES (\"%1\", \"Петров\", false)").arg(M2));
        Db->Execute(QStringLiteral("INSERT INTO REF_POSTS VALUES (\"p1\", \"%1\", \"директор\")").arg(M1));
        Db->Execute(QStringLiteral("INSERT INTO REF_POSTS VALUES (\"p2\", \"%1\", \"инженер\")").arg(M1));
        Db->Execute(QStringLiteral("INSERT INTO REF_POSTS VALUES (\"p3\", \"%1\", \"бухгалтер\")").arg(M2));
        Db->Execute(QStringLiteral("INSERT INTO REF_VOTE_TYPES VALUES (0, \"Не голосовал\")"));
        Db->Execute(QStringLiteral("INSERT INTO REF_VOTE_TYPES VALUES (1, \"За\")"));
    }

    TADOTable* Table(const QString& name)
    {
        auto* t = new TADOTable(&Owner);
        t->SetConnection(Db.get());
        t->SetTableName(name);
        return t;
    }
    TADOQuery* Query(const QString& sql)
    {
        auto* q = new TADOQuery(&Owner);
        q->SetConnection(Db.get());
        q->SQL()->SetText(sql);
        return q;
    }
    static QString Ids(TDataSet* ds)
    {
        QStringList out;
        for (ds->First(); !ds->Eof(); ds->Next()) out << ds->FieldByName(QStringLiteral("id"))->AsString();
        return out.join(QLatin1Char(' '));
    }
};

TEST_F(ViewTest, FilterTextsAsTheSystemWritesThem)
{
    TADOTable* votes = Table(QStringLiteral("LNK_DECISIONS_MEMBERS"));
    votes->Open();
    const QString vote2 = QStringLiteral("(id_member = '") + M1 + QStringLiteral("' AND id_decision = 'J1') OR (id_member = '") +
                          M1 + QStringLiteral("' AND id_decision = 'J2')");
    struct Case { QString filter, ids; };
    const Case cases[] = {
        {vote2, QStringLiteral("v1 v2")},
        {QStringLiteral("id_member = {6F9619FF-8B86-D011-B42D-00C04FC964FF}"), QString()},
        {QStringLiteral("id_member=") + M2, QStringLiteral("v4")},                  // a bare key compares as text
        {QStringLiteral("id_member = '") + M2.toLower() + QStringLiteral("'"), QStringLiteral("v4")},   // letter case ignored
        {QStringLiteral("note = 'O''Brien'"), QStringLiteral("v1")},
        {QStringLiteral("note LIKE 'ob*'"), QStringLiteral("v4")},
        {QStringLiteral("note LIKE '%er%'"), QStringLiteral("v2 v4")},
        {QStringLiteral("note NOT LIKE '%er%'"), QStringLiteral("v1")},
        {QStringLiteral("vote > 0 AND (id_decision = 'J1' OR id_decision = 'J3')"), QStringLiteral("v3 v4")},
        {QStringLiteral("vote >= '1' AND vote <> 2"), QStringLiteral("v2 v4")},
        {QStringLiteral("note IS NULL OR note = 'fisher'"), QStringLiteral("v2 v3")},
        {QStringLiteral("[id_decision] = \"J3\""), QStringLiteral("v3")},
        {QString(), QStringLiteral("v1 v2 v3 v4")},
    };
    votes->SetFiltered(true);
    for (const Case& c : cases) {
        votes->SetFilter(c.filter);
        EXPECT_EQ(Ids(votes), c.ids) << c.filter.toStdString();
    }
    // A filter that does not parse or does not fit raises and the previous one stays.
    votes->SetFilter(QStringLiteral("vote = 1"));
    for (const char* bad : {"vote >", "(vote = 1", "nosuch = 1", "vote = 'abc'", "vote = 1 AND", "note 'x'"}) {
        EXPECT_THROW(votes->SetFilter(QString::fromLatin1(bad)), EDatabaseError) << bad;
        EXPECT_EQ(votes->Filter(), QStringLiteral("vote = 1"));
        EXPECT_EQ(Ids(votes), QStringLiteral("v2 v4"));
    }
    // The filter stays through a requery and applies to new rows.
    Db->Execute(QStringLiteral("INSERT INTO LNK_DECISIONS_MEMBERS (id, vote) VALUES (\"v5\", 1)"));
    votes->Requery();
    EXPECT_EQ(Ids(votes), QStringLiteral("v2 v4 v5"));
    votes->SetFiltered(false);
    EXPECT_EQ(votes->RecordCount(), 5);

    // OnFilterRecord works together with the text.
    votes->OnFilterRecord = [](TDataSet* ds, bool& accept) {
        accept = ds->FieldByName(QStringLiteral("id_decision"))->AsString() != QStringLiteral("J1");
    };
    votes->SetFiltered(true);
    EXPECT_EQ(Ids(votes), QStringLiteral("v2 v5"));
}

TEST_F(ViewTest, MasterDetailFollowsTheMaster)
{
    TADOTable* members = Table(QStringLiteral("REF_MEMBERS"));
    TDataSource dso;
    dso.SetDataSet(members);
    TADOTable* posts = Table(QStringLiteral("REF_POSTS"));
    posts->SetMasterSource(&dso);
    posts->SetMasterFields(QStringLiteral("id"));
    posts->SetIndexFieldNames(QStringLiteral("id_member"));
    posts->Open();
    EXPECT_TRUE(posts->IsEmpty());   // master still closed
    members->Open();
    EXPECT_EQ(Ids(posts), QStringLiteral("p1 p2"));
    members->Next();
    EXPECT_EQ(Ids(posts), QStringLiteral("p3"));

    // A new detail record takes the master's key.
    posts->Append();
    EXPECT_EQ(posts->FieldByName(QStringLiteral("id_member"))->AsString(), M2);
    posts->FieldByName(QStringLiteral("id"))->SetAsString(QStringLiteral("p4"));
    // Moving the master posts the detail first.
    members->First();
    EXPECT_EQ(adotest::Query(Db.get(), QStringLiteral("SELECT id_member FROM REF_POSTS WHERE id=\"p4\"")), M2);
    EXPECT_EQ(Ids(posts), QStringLiteral("p1 p2"));
    members->Last();
    EXPECT_EQ(Ids(posts), QStringLiteral("p3 p4"));

    // A member without posts, and an empty master, show none.
    members->Append();
    EXPECT_TRUE(posts->IsEmpty());
    members->Cancel();
    members->SetFilter(QStringLiteral("fullname = 'nobody'"));
    members->SetFiltered(true);
    EXPECT_TRUE(posts->IsEmpty());
}

TEST_F(ViewTest, CalculatedFieldsOnlyForRecordsRead)
{
    Db->Execute(QStringLiteral("CREATE TABLE NUMS (id INTEGER, n INTEGER)"));
    Db->BeginTrans();
    for (int i = 0; i < 1000; ++i) Db->Execute(QStringLiteral("INSERT INTO NUMS VALUES (%1, %2)").arg(i).arg(i * 2));
    Db->CommitTrans();
    TADOTable* t = Table(QStringLiteral("NUMS"));
    auto* id = new TIntegerField(&Owner);
    id->SetFieldName(QStringLiteral("id"));
    id->SetDataSet(t);
    auto* n = new TIntegerField(&Owner);
    n->SetFieldName(QStringLiteral("n"));
    n->SetDataSet(t);
    auto* calc = new TWideStringField(&Owner);
    calc->SetFieldName(QStringLiteral("calc"));
    calc->SetFieldKind(fkCalculated);
    calc->SetDataSet(t);
    int calls = 0;
    TDataSetState seen = dsInactive;
    t->OnCalcFields = [&](TDataSet* ds) {
        ++calls;
        seen = ds->State();
        ds->FieldByName(QStringLiteral("calc"))->SetAsString(QStringLiteral("#") + ds->FieldByName(QStringLiteral("n"))->AsString());
        EXPECT_THROW(ds->FieldByName(QStringLiteral("n"))->SetAsInteger(1), EDatabaseError);
    };
    t->Open();
    t->SetSort(QStringLiteral("n DESC"));
    t->SetSort(QString());
    EXPECT_EQ(calls, 0);
    QStringList firstTen;
    for (t->First(); !t->Eof(); t->Next())
        if (t->RecNo() <= 10) firstTen << calc->AsString();
    EXPECT_EQ(calls, 10);
    EXPECT_EQ(seen, dsCalcFields);
    EXPECT_EQ(firstTen.first(), QStringLiteral("#0"));
    EXPECT_EQ(firstTen.last(), QStringLiteral("#18"));
    // Reading again does not compute again; a grid row read twice is cached.
    EXPECT_EQ(calc->AsString(), QStringLiteral("#1998"));
    EXPECT_EQ(calc->AsString(), QStringLiteral("#1998"));
    EXPECT_EQ(t->GetFieldText(5, calc), QStringLiteral("#10"));
    EXPECT_EQ(t->GetFieldText(5, calc), QStringLiteral("#10"));
    EXPECT_EQ(calls, 11);
    // A field change recomputes the current record's values.
    t->Edit();
    n->SetAsInteger(7);
    EXPECT_EQ(calc->AsString(), QStringLiteral("#7"));
    t->Cancel();
    EXPECT_EQ(calc->AsString(), QStringLiteral("#1998"));
}

TEST_F(ViewTest, LookupFieldsThroughTheLookupDataSet)
{
    TADOQuery* members = Query(QStringLiteral("SELECT * FROM REF_MEMBERS ORDER BY fullname ASC"));
    TADOQuery* types = Query(QStringLiteral("SELECT* FROM REF_VOTE_TYPES"));
    TADOTable* votes = Table(QStringLiteral("LNK_DECISIONS_MEMBERS"));
    for (const char* name : {"id", "id_member", "vote"}) {
        TField* f = QByteArray(name) == "vote" ? static_cast<TField*>(new TIntegerField(&Owner))
                                               : static_cast<TField*>(new TGuidField(&Owner));
        f->SetFieldName(QString::fromLatin1(name));
        f->SetDataSet(votes);
    }
    auto lookup = [&](const char* name, const char* key, TDataSet* ds, const char* result) {
        auto* f = new TWideStringField(&Owner);
        f->SetFieldName(QString::fromLatin1(name));
        f->SetFieldKind(fkLookup);
        f->SetKeyFields(QString::fromLatin1(key));
        f->SetLookupDataSet(ds);
        f->SetLookupKeyFields(QStringLiteral("id"));
        f->SetLookupResultField(QString::fromLatin1(result));
        f->SetDataSet(votes);
        return f;
    };
    TField* member = lookup("member", "id_member", members, "fullname");
    TField* vvote = lookup("vvote", "vote", types, "name");
    members->Open();
    types->Open();
    votes->Open();
    EXPECT_EQ(member->AsString(), QStringLiteral("Иванов"));
    EXPECT_EQ(vvote->AsString(), QStringLiteral("Не голосовал"));   // INTEGER key against a SMALLINT id
    votes->Last();
    EXPECT_EQ(member->AsString(), QStringLiteral("Петров"));
    votes->Prior();   // vote 2 has no vote type
    EXPECT_EQ(vvote->AsString(), QString());
    EXPECT_TRUE(vvote->IsNull());

    // The lookup dataset re-queried gives the new texts.
    Db->Execute(QStringLiteral("UPDATE REF_MEMBERS SET fullname = \"Сидоров\" WHERE id = \"%1\"").arg(M1));
    EXPECT_EQ(member->AsString(), QStringLiteral("Иванов"));
    members->Requery();
    EXPECT_EQ(member->AsString(), QStringLiteral("Сидоров"));
    // A member missing from the lookup rows shows empty text.
    Db->Execute(QStringLiteral("DELETE FROM REF_MEMBERS WHERE id = \"%1\"").arg(M1));
    members->Requery();
    EXPECT_EQ(member->AsString(), QString());

    // Setting a lookup text sets the key.
    votes->Edit();
    member->SetAsString(QStringLiteral("Петров"));
    EXPECT_EQ(votes->FieldByName(QStringLiteral("id_member"))->AsString(), M2);
    EXPECT_THROW(member->SetAsString(QStringLiteral("nobody")), EDatabaseError);
    votes->Cancel();
    // Lookup and calculated fields cannot be sorted on.
    EXPECT_THROW(votes->SetSort(QStringLiteral("member ASC")), EDatabaseError);
}

TEST_F(ViewTest, QueryRecordsetHandedToATableAndBack)
{
    TADOTable* t = Table(QStringLiteral("REF_MEMBERS"));
    auto* id = new TGuidField(&Owner);
    id->SetFieldName(QStringLiteral("id"));
    id->SetDataSet(t);
    auto* name = new TWideStringField(&Owner);
    name->SetFieldName(QStringLiteral("fullname"));
    name->SetDataSet(t);
    t->Open();
    EXPECT_EQ(t->RecordCount(), 2);

    TADOQuery* filter = Query(QStringLiteral("SELECT * FROM REF_MEMBERS WHERE  enabled = true"));
    filter->Open();
    t->SetRecordset(filter->Recordset());
    EXPECT_TRUE(filter->Active());
    EXPECT_EQ(t->RecordCount(), 1);
    EXPECT_EQ(t->FieldCount(), 2);   // its own fields
    EXPECT_EQ(name->AsString(), QStringLiteral("Иванов"));
    // The table writes through the handed-over rows.
    ASSERT_TRUE(t->CanModify());
    t->Edit();
    name->SetAsString(QStringLiteral("Иванов И."));
    t->Post();
    EXPECT_EQ(adotest::Query(Db.get(), QStringLiteral("SELECT fullname FROM REF_MEMBERS WHERE id=\"%1\"").arg(M1)),
              QStringLiteral("Иванов И."));
    // Requery re-runs the query's statement.
    Db->Execute(QStringLiteral("UPDATE REF_MEMBERS SET enabled = true"));
    t->Requery();
    EXPECT_EQ(t->RecordCount(), 2);
    Db->Execute(QStringLiteral("UPDATE REF_MEMBERS SET enabled = false WHERE id=\"%1\"").arg(M2));
    t->Requery();
    EXPECT_EQ(t->RecordCount(), 1);
    // Close and open go back to the whole table.
    t->Close();
    t->Open();
    EXPECT_EQ(t->RecordCount(), 2);
}

}  // namespace
