// Datasets over a real database: states and the order of events, post errors,
// navigation, bookmarks, Locate, fields and their texts, the data link window.
#include <gtest/gtest.h>

#include "AdoTestUtil.h"
#include "platform/ado/ADODB.h"
#include "platform/core/DateTime.h"
#include "platform/db/DB.h"

using namespace adotest;

namespace {

class DataSetTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    std::unique_ptr<TADOConnection> Db;
    TComponent Owner;

    void SetUp() override
    {
        Db = CreateDb(Dir.filePath(QStringLiteral("d.db")), QString(),
                      {QStringLiteral("CREATE TABLE REF_PLACES (id CHAR(38) NOT NULL, name VARCHAR(250), "
                                      "num INTEGER, d DATETIME, flag BOOLEAN, note MEMO)")});
        for (int i = 1; i <= 5; ++i)
            Db->Execute(QStringLiteral("INSERT INTO REF_PLACES (id, name, num) VALUES (\"{%1}\", \"place %2\", %3)")
                            .arg(i, 8, 10, QLatin1Char('0'))
                            .arg(i)
                            .arg(i * 10));
    }

    TADOTable* Table(const QString& name = QStringLiteral("REF_PLACES"))
    {
        auto* t = new TADOTable(&Owner);
        t->SetConnection(Db.get());
        t->SetTableName(name);
        return t;
    }

    // Persistent fields the way the data module declares them.
    TADOTable* PlacesWithFields()
    {
        TADOTable* t = Table();
        auto add = [&](TField* f, const char* name) {
            f->SetFieldName(QString::fromLatin1(name));
            f->SetDataSet(t);
            return f;
        };
        add(new TGuidField(&Owner), "id")->SetVisible(false);
        add(new TWideStringField(&Owner), "name")->SetDisplayLabel(QStringLiteral("Место проведения"));
        static_cast<TIntegerField*>(add(new TIntegerField(&Owner), "num"))->SetDisplayFormat(QStringLiteral("0.00"));
        add(new TDateTimeField(&Owner), "d");
        static_cast<TBooleanField*>(add(new TBooleanField(&Owner), "flag"))->SetDisplayValues(QStringLiteral("Да;Нет"));
        add(new TMemoField(&Owner), "note");
        return t;
    }
};

// Every event of the dataset appends its name to a trace.
struct Trace {
    QStringList log;
    void Hook(TDataSet* ds)
    {
        auto on = [this](const char* n) { return [this, n](TDataSet*) { log << QString::fromLatin1(n); }; };
        ds->BeforeInsert = on("BeforeInsert");
        ds->AfterInsert = on("AfterInsert");
        ds->BeforeEdit = on("BeforeEdit");
        ds->AfterEdit = on("AfterEdit");
        ds->BeforePost = on("BeforePost");
        ds->AfterPost = on("AfterPost");
        ds->BeforeCancel = on("BeforeCancel");
        ds->AfterCancel = on("AfterCancel");
        ds->BeforeDelete = on("BeforeDelete");
        ds->AfterDelete = on("AfterDelete");
        ds->BeforeScroll = on("BeforeScroll");
        ds->AfterScroll = on("AfterScroll");
        ds->OnNewRecord = on("OnNewRecord");
        ds->BeforeOpen = on("BeforeOpen");
        ds->AfterOpen = on("AfterOpen");
        ds->BeforeClose = on("BeforeClose");
        ds->AfterClose = on("AfterClose");
    }
    QString Take()
    {
        QString s = log.join(QLatin1Char(','));
        log.clear();
        return s;
    }
};

TEST_F(DataSetTest, StatesAndEventOrder)
{
    TADOTable* t = Table();
    Trace tr;
    tr.Hook(t);
    t->Open();
    EXPECT_EQ(tr.Take(), QStringLiteral("BeforeOpen,AfterOpen,AfterScroll"));
    EXPECT_EQ(t->State(), dsBrowse);
    EXPECT_EQ(t->RecordCount(), 5);
    EXPECT_EQ(t->RecNo(), 1);

    t->Insert();
    EXPECT_EQ(tr.Take(), QStringLiteral("BeforeInsert,BeforeScroll,OnNewRecord,AfterInsert,AfterScroll"));
    EXPECT_EQ(t->State(), dsInsert);
    EXPECT_EQ(t->RecNo(), -1);
    EXPECT_EQ(t->RecordCount(), 5);
    t->FieldByName(QStringLiteral("id"))->SetAsString(QStringLiteral("{NEW}"));
    t->FieldByName(QStringLiteral("name"))->SetAsString(QStringLiteral("new place"));
    t->Post();
    EXPECT_EQ(tr.Take(), QStringLiteral("BeforePost,AfterPost"));
    EXPECT_EQ(t->State(), dsBrowse);
    EXPECT_EQ(t->RecordCount(), 6);
    EXPECT_EQ(t->RecNo(), 1);   // inserted before the record that was current
    EXPECT_EQ(Query(Db.get(), QStringLiteral("SELECT name FROM REF_PLACES WHERE id=\"{NEW}\"")),
              QStringLiteral("new place"));

    t->Edit();
    EXPECT_EQ(tr.Take(), QStringLiteral("BeforeEdit,AfterEdit"));
    t->FieldByName(QStringLiteral("name"))->SetAsString(QStringLiteral("changed"));
    EXPECT_EQ(t->FieldByName(QStringLiteral("name"))->OldValue().toString(), QStringLiteral("new place"));
    t->Cancel();
    EXPECT_EQ(tr.Take(), QStringLiteral("BeforeCancel,AfterCancel"));
    EXPECT_EQ(t->FieldByName(QStringLiteral("name"))->AsString(), QStringLiteral("new place"));

    t->Append();
    tr.Take();
    t->Cancel();   // the new record is discarded
    EXPECT_EQ(tr.Take(), QStringLiteral("BeforeCancel,BeforeScroll,AfterCancel,AfterScroll"));
    EXPECT_EQ(t->RecordCount(), 6);

    t->Delete();
    EXPECT_EQ(tr.Take(), QStringLiteral("BeforeDelete,BeforeScroll,AfterDelete,AfterScroll"));
    EXPECT_EQ(t->RecordCount(), 5);
    EXPECT_EQ(t->FieldByName(QStringLiteral("name"))->AsString(), QStringLiteral("place 1"));

    // Navigation flags.
    t->Last();
    EXPECT_TRUE(t->Eof());
    EXPECT_EQ(t->RecNo(), 5);
    t->Prior();
    EXPECT_FALSE(t->Eof());
    EXPECT_EQ(t->MoveBy(-10), -3);
    EXPECT_TRUE(t->Bof());
    tr.Take();
    t->Close();
    EXPECT_EQ(tr.Take(), QStringLiteral("BeforeClose,AfterClose"));
    EXPECT_EQ(t->State(), dsInactive);
}

TEST_F(DataSetTest, BeforeEventAbortsSilentlyAndPostStillRequiresEditing)
{
    TADOTable* t = Table();
    t->Open();
    int afterInserts = 0;
    t->BeforeInsert = [](TDataSet*) { Abort(); };
    t->AfterInsert = [&](TDataSet*) { ++afterInserts; };
    EXPECT_THROW(t->Insert(), EAbort);
    EXPECT_EQ(t->State(), dsBrowse);
    EXPECT_EQ(afterInserts, 0);

    // A post of a dataset that is not being edited is an error.
    EXPECT_THROW(t->Post(), EDatabaseError);
    // So is writing a field in browse state.
    EXPECT_THROW(t->FieldByName(QStringLiteral("name"))->SetAsString(QStringLiteral("x")), EDatabaseError);

    t->BeforeInsert = nullptr;
    t->Edit();
    t->BeforePost = [](TDataSet*) { Abort(); };
    t->FieldByName(QStringLiteral("name"))->SetAsString(QStringLiteral("kept"));
    EXPECT_THROW(t->Post(), EAbort);
    EXPECT_EQ(t->State(), dsEdit);
    EXPECT_EQ(t->FieldByName(QStringLiteral("name"))->AsString(), QStringLiteral("kept"));
}

TEST_F(DataSetTest, PostErrorActions)
{
    TADOTable* t = Table();
    t->Open();
    int calls = 0;
    TDataAction action = daAbort;
    t->OnPostError = [&](TDataSet*, EDatabaseError&, TDataAction& a) {
        ++calls;
        a = action;
    };
    // id is NOT NULL: the database refuses the new record.
    t->Append();
    t->FieldByName(QStringLiteral("name"))->SetAsString(QStringLiteral("no key"));
    EXPECT_THROW(t->Post(), EAbort);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(t->State(), dsInsert);
    EXPECT_EQ(t->FieldByName(QStringLiteral("name"))->AsString(), QStringLiteral("no key"));

    action = daFail;
    EXPECT_THROW(t->Post(), EDatabaseError);
    EXPECT_EQ(t->State(), dsInsert);

    // daRetry after the handler fixed the record.
    action = daRetry;
    t->OnPostError = [&](TDataSet* ds, EDatabaseError&, TDataAction& a) {
        ds->FieldByName(QStringLiteral("id"))->SetAsString(QStringLiteral("{FIXED}"));
        a = daRetry;
    };
    t->Post();
    EXPECT_EQ(t->State(), dsBrowse);
    EXPECT_EQ(t->RecordCount(), 6);

    // Cancelling a refused insert leaves nothing behind.
    t->OnPostError = nullptr;
    t->Append();
    EXPECT_THROW(t->Post(), EDatabaseError);
    t->Cancel();
    EXPECT_EQ(t->RecordCount(), 6);
    EXPECT_EQ(Query(Db.get(), QStringLiteral("SELECT COUNT(*) FROM REF_PLACES")), QStringLiteral("6"));
}

TEST_F(DataSetTest, CheckBrowseModePostsModifiedAndCancelsUntouchedRecords)
{
    TADOTable* t = Table();
    t->Open();
    t->Edit();
    t->FieldByName(QStringLiteral("name"))->SetAsString(QStringLiteral("moved away"));
    t->Next();   // posts
    EXPECT_EQ(Query(Db.get(), QStringLiteral("SELECT name FROM REF_PLACES WHERE num=10")), QStringLiteral("moved away"));
    t->Append();
    t->First();  // nothing typed: cancelled
    EXPECT_EQ(t->RecordCount(), 5);
    // Edit of an empty dataset appends.
    Db->Execute(QStringLiteral("DELETE FROM REF_PLACES"));
    t->Requery();
    EXPECT_TRUE(t->IsEmpty());
    t->Edit();
    EXPECT_EQ(t->State(), dsInsert);
}

TEST_F(DataSetTest, FieldsTextsAndConversions)
{
    TADOTable* t = PlacesWithFields();
    Db->Execute(QStringLiteral("UPDATE REF_PLACES SET d = DateValue('05.03.2021'), flag = true, note = \"text\" WHERE num = 10"));
    t->Open();
    ASSERT_EQ(t->FieldCount(), 6);
    EXPECT_EQ(t->Fields(1)->DisplayLabel(), QStringLiteral("Место проведения"));
    EXPECT_EQ(t->Fields(0)->DisplayLabel(), QStringLiteral("id"));
    EXPECT_EQ(t->FindField(QStringLiteral("missing")), nullptr);
    try {
        t->FieldByName(QStringLiteral("missing"));
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("Field 'missing' not found")));
    }
    TField* num = t->FieldByName(QStringLiteral("NUM"));
    EXPECT_EQ(num->DisplayText(), QStringLiteral("10,00"));
    EXPECT_EQ(num->AsString(), QStringLiteral("10"));
    EXPECT_EQ(num->AsInteger(), 10);
    TField* d = t->FieldByName(QStringLiteral("d"));
    EXPECT_EQ(d->DisplayText(), QStringLiteral("05.03.2021"));
    EXPECT_EQ(d->AsDateTime(), EncodeDate(2021, 3, 5));
    TField* flag = t->FieldByName(QStringLiteral("flag"));
    EXPECT_EQ(flag->DisplayText(), QStringLiteral("Да"));
    EXPECT_TRUE(flag->AsBoolean());
    TField* note = t->FieldByName(QStringLiteral("note"));
    EXPECT_EQ(note->DisplayText(), QStringLiteral("(MEMO)"));
    EXPECT_EQ(note->AsString(), QStringLiteral("text"));

    t->Next();   // a record with NULLs
    EXPECT_TRUE(d->IsNull());
    EXPECT_EQ(d->DisplayText(), QString());
    EXPECT_EQ(flag->DisplayText(), QString());
    EXPECT_EQ(note->DisplayText(), QStringLiteral("(memo)"));

    // Values set as text are stored in the column's form.
    t->Edit();
    d->SetAsString(QStringLiteral("31.12.2020 10:30"));
    flag->SetText(QStringLiteral("нет"));
    num->SetAsString(QStringLiteral("42"));
    EXPECT_THROW(num->SetAsString(QStringLiteral("x")), EConvertError);
    t->Post();
    EXPECT_EQ(d->DisplayText(), QStringLiteral("31.12.2020 10:30:00"));
    EXPECT_EQ(Query(Db.get(), QStringLiteral("SELECT flag, num FROM REF_PLACES WHERE num = 42")), QStringLiteral("0|42"));

    // A dataset without declared fields makes them from the columns.
    TADOTable* plain = Table();
    plain->Open();
    EXPECT_EQ(plain->FieldCount(), 6);
    EXPECT_EQ(plain->FieldByName(QStringLiteral("d"))->DataType(), ftDateTime);
    EXPECT_EQ(plain->FieldByName(QStringLiteral("name"))->Size(), 250);
    EXPECT_EQ(plain->FieldByName(QStringLiteral("note"))->DataType(), ftMemo);
    plain->Close();
    EXPECT_EQ(plain->FieldCount(), 0);
}

TEST_F(DataSetTest, PersistentFieldWithoutColumnFailsToOpen)
{
    TADOTable* t = Table();
    auto* f = new TWideStringField(&Owner);
    f->SetFieldName(QStringLiteral("nosuch"));
    f->SetDataSet(t);
    EXPECT_THROW(t->Open(), EDatabaseError);
    EXPECT_FALSE(t->Active());
}

TEST_F(DataSetTest, LocateOnOneAndTwoFields)
{
    TADOTable* t = Table();
    Db->Execute(QStringLiteral("UPDATE REF_PLACES SET name = \"Place 2\" WHERE num = 40"));
    t->Open();
    EXPECT_TRUE(t->Locate(QStringLiteral("name"), QStringLiteral("place 3")));
    EXPECT_EQ(t->RecNo(), 3);
    // Exact and case-sensitive by default; the position stays when nothing is found.
    EXPECT_FALSE(t->Locate(QStringLiteral("name"), QStringLiteral("PLACE 1")));
    EXPECT_EQ(t->RecNo(), 3);
    EXPECT_TRUE(t->Locate(QStringLiteral("name"), QStringLiteral("PLACE 1"), loCaseInsensitive));
    EXPECT_EQ(t->RecNo(), 1);
    EXPECT_TRUE(t->Locate(QStringLiteral("name"), QStringLiteral("plac"), loPartialKey));
    EXPECT_EQ(t->RecNo(), 1);
    // Two fields, numbers compared as numbers.
    EXPECT_TRUE(t->Locate(QStringLiteral("name;num"), VarArrayOf({QStringLiteral("Place 2"), 40})));
    EXPECT_EQ(t->RecNo(), 4);
    EXPECT_FALSE(t->Locate(QStringLiteral("name;num"), VarArrayOf({QStringLiteral("Place 2"), 20})));
    EXPECT_TRUE(t->Locate(QStringLiteral("name;num"), VarArrayOf({QStringLiteral("place 2"), QStringLiteral("20")})));
    EXPECT_EQ(t->RecNo(), 2);
    EXPECT_THROW(t->Locate(QStringLiteral("name;num"), QStringLiteral("x")), EDatabaseError);
    EXPECT_EQ(t->Lookup(QStringLiteral("num"), 50, QStringLiteral("name")).toString(), QStringLiteral("place 5"));
    EXPECT_TRUE(VarIsNull(t->Lookup(QStringLiteral("num"), 55, QStringLiteral("name"))));
    EXPECT_EQ(t->RecNo(), 2);
    // The index follows writes.
    t->Edit();
    t->FieldByName(QStringLiteral("name"))->SetAsString(QStringLiteral("renamed"));
    t->Post();
    EXPECT_FALSE(t->Locate(QStringLiteral("name;num"), VarArrayOf({QStringLiteral("place 2"), 20})));
    EXPECT_TRUE(t->Locate(QStringLiteral("name"), QStringLiteral("renamed")));
    // The first match wins, whether the view is scanned or (on later searches) indexed.
    Db->Execute(QStringLiteral("UPDATE REF_PLACES SET note = \"dup\" WHERE num >= 30"));
    t->Requery();
    for (int i = 0; i < 3; ++i) {
        t->Last();
        EXPECT_TRUE(t->Locate(QStringLiteral("note"), QStringLiteral("dup")));
        EXPECT_EQ(t->RecNo(), 3);
    }
}

TEST_F(DataSetTest, BookmarksSurviveSortFilterAndRequery)
{
    TADOTable* t = Table();
    t->Open();
    t->Locate(QStringLiteral("num"), 30);
    TBookmark b = t->GetBookmark();
    t->Last();
    TBookmark last = t->GetBookmark();
    EXPECT_LT(t->CompareBookmarks(b, last), 0);

    t->SetSort(QStringLiteral("num DESC"));
    EXPECT_EQ(t->RecNo(), 1);   // the current record (num 50) stays current, now first
    EXPECT_GT(t->CompareBookmarks(b, last), 0);
    t->GotoBookmark(b);
    EXPECT_EQ(t->FieldByName(QStringLiteral("num"))->AsInteger(), 30);
    EXPECT_EQ(t->RecNo(), 3);

    t->SetFilter(QStringLiteral("num >= 30"));
    t->SetFiltered(true);
    EXPECT_EQ(t->RecordCount(), 3);
    ASSERT_TRUE(t->BookmarkValid(b));
    t->GotoBookmark(b);
    EXPECT_EQ(t->FieldByName(QStringLiteral("num"))->AsInteger(), 30);

    Db->Execute(QStringLiteral("INSERT INTO REF_PLACES (id, num) VALUES (\"{X}\", 35)"));
    t->Requery();
    EXPECT_EQ(t->RecordCount(), 4);
    t->GotoBookmark(b);
    EXPECT_EQ(t->FieldByName(QStringLiteral("num"))->AsInteger(), 30);

    t->SetFilter(QStringLiteral("num < 30"));
    EXPECT_FALSE(t->BookmarkValid(b));
    EXPECT_THROW(t->GotoBookmark(b), EDatabaseError);
    EXPECT_FALSE(t->BookmarkValid(TBookmark()));
}

TEST_F(DataSetTest, SortTexts)
{
    Db->Execute(QStringLiteral("INSERT INTO REF_PLACES (id, name, num) VALUES (\"{A}\", \"Ёлки\", 20)"));
    Db->Execute(QStringLiteral("INSERT INTO REF_PLACES (id, name, num) VALUES (\"{B}\", \"арбат\", NULL)"));
    Db->Execute(QStringLiteral("INSERT INTO REF_PLACES (id, name, num) VALUES (\"{C}\", \"Жуковка\", 20)"));
    Db->Execute(QStringLiteral("INSERT INTO REF_PLACES (id, name, num) VALUES (\"{D}\", \"PLACE 10\", 100)"));
    TADOTable* t = Table();
    t->Open();
    auto order = [&]() {
        QStringList out;
        for (t->First(); !t->Eof(); t->Next()) out << t->FieldByName(QStringLiteral("id"))->AsString();
        return out.join(QLatin1Char(' '));
    };
    struct Case { const char* sort; const char* ids; };
    const Case cases[] = {
        {"name ASC", "{00000001} {D} {00000002} {00000003} {00000004} {00000005} {B} {A} {C}"},
        {"num", "{B} {00000001} {00000002} {A} {C} {00000003} {00000004} {00000005} {D}"},
        {"num DESC", "{D} {00000005} {00000004} {00000003} {00000002} {A} {C} {00000001} {B}"},
        {"num ASC, name DESC", "{B} {00000001} {C} {A} {00000002} {00000003} {00000004} {00000005} {D}"},
        {"", "{00000001} {00000002} {00000003} {00000004} {00000005} {A} {B} {C} {D}"},
    };
    for (const Case& c : cases) {
        t->SetSort(QString::fromUtf8(c.sort));
        EXPECT_EQ(t->Sort(), QString::fromUtf8(c.sort));
        EXPECT_EQ(order(), QString::fromUtf8(c.ids)) << c.sort;
    }
    EXPECT_THROW(t->SetSort(QStringLiteral("nosuch ASC")), EDatabaseError);
    EXPECT_THROW(t->SetSort(QStringLiteral("name SIDEWAYS")), EDatabaseError);
    EXPECT_EQ(t->Sort(), QString());
}

TEST_F(DataSetTest, DataLinkWindowReadsRowsWithoutMoving)
{
    TADOTable* t = Table();
    t->Open();
    TDataSource src;
    src.SetDataSet(t);
    struct Grid : TDataLink {
        int changes = 0, scrolls = 0, states = 0;
        void DataSetChanged() override { ++changes; }
        void DataSetScrolled(int) override { ++scrolls; }
        void EditingChanged() override { ++states; }
    } grid;
    grid.SetDataSource(&src);
    grid.SetBufferCount(3);
    ASSERT_TRUE(grid.Active());
    EXPECT_EQ(grid.RecordCount(), 3);
    t->MoveBy(3);   // record 4: the window moves down to rows 2..4
    EXPECT_EQ(grid.FirstRecord(), 1);
    EXPECT_EQ(grid.ActiveRecord(), 2);
    TField* name = t->FieldByName(QStringLiteral("name"));
    QStringList shown;
    for (int i = 0; i < grid.RecordCount(); ++i) {
        grid.SetActiveRecord(i);
        shown << name->DisplayText();
    }
    grid.SetActiveRecord(2);
    EXPECT_EQ(shown.join(QLatin1Char(',')), QStringLiteral("place 2,place 3,place 4"));
    EXPECT_EQ(t->RecNo(), 4);
    EXPECT_EQ(name->AsString(), QStringLiteral("place 4"));
    EXPECT_EQ(t->GetFieldText(0, name), QStringLiteral("place 1"));
    EXPECT_GT(grid.scrolls, 0);

    // The record being inserted is a row of the window too.
    t->Insert();
    EXPECT_EQ(grid.states, 1);
    EXPECT_EQ(t->ViewRowCount(), 6);
    EXPECT_EQ(t->CurrentViewRow(), 3);
    name->SetAsString(QStringLiteral("typed"));
    EXPECT_EQ(t->GetFieldText(3, name), QStringLiteral("typed"));
    EXPECT_EQ(t->GetFieldText(4, name), QStringLiteral("place 4"));
    t->Cancel();

    // Disabled controls hear nothing until enabled again.
    const int changes = grid.changes, scrolls = grid.scrolls;
    t->DisableControls();
    t->First();
    t->Next();
    EXPECT_EQ(grid.changes, changes);
    EXPECT_EQ(grid.scrolls, scrolls);
    t->EnableControls();
    EXPECT_EQ(grid.changes, changes + 1);
    EXPECT_EQ(grid.ActiveRecord(), t->RecNo() - 1 - grid.FirstRecord());
}

TEST_F(DataSetTest, DataSourceEventsAndAutoEdit)
{
    TADOTable* t = Table();
    TDataSource src;
    QStringList log;
    src.OnStateChange = [&](TObject*) { log << QStringLiteral("state %1").arg(int(src.State())); };
    src.OnDataChange = [&](TObject*, TField* f) { log << (f ? f->FieldName() : QStringLiteral("record")); };
    src.SetDataSet(t);
    t->Open();
    src.Edit();
    t->FieldByName(QStringLiteral("name"))->SetAsString(QStringLiteral("x"));
    t->Cancel();
    src.SetAutoEdit(false);
    src.Edit();
    EXPECT_EQ(t->State(), dsBrowse);
    EXPECT_EQ(log.join(QLatin1Char(',')),
              QStringLiteral("state 1,state 2,record,name,state 1,record"));
}

TEST_F(DataSetTest, ReadOnlyRecordsetsCannotBeModified)
{
    auto* q = new TADOQuery(&Owner);
    q->SetConnection(Db.get());
    q->SQL()->SetText(QStringLiteral("SELECT COUNT(*) AS n FROM REF_PLACES"));
    q->Open();
    EXPECT_EQ(q->FieldByName(QStringLiteral("n"))->AsInteger(), 5);
    EXPECT_FALSE(q->CanModify());
    EXPECT_THROW(q->Insert(), EDatabaseError);
    EXPECT_THROW(q->Edit(), EDatabaseError);
    EXPECT_THROW(q->Delete(), EDatabaseError);
    // Changing the statement closes the query.
    q->SQL()->SetText(QStringLiteral("SELECT * FROM REF_PLACES"));
    EXPECT_FALSE(q->Active());
}

TEST_F(DataSetTest, ConnectionCloseClosesItsDataSets)
{
    TADOTable* t = Table();
    t->Open();
    EXPECT_EQ(Db->DataSetCount(), 1);
    Db->Close();
    EXPECT_FALSE(t->Active());
    EXPECT_EQ(Db->DataSetCount(), 0);
}

}  // namespace

namespace {

TEST(FormatFloat, PicturesUsedForNumericFields)
{
    struct Case { const char* format; double value; const char* text; };
    const Case cases[] = {
        {"0.00", 1500, "1500,00"},
        {"0.00", -2.5, "-2,50"},
        {"#,##0.00", 1234567.891, "1 234 567,89"},
        {"0.###", 1.5, "1,5"},
        {"0", -0.4, "0"},
        {"0.00;(0.00)", -3, "(3,00)"},
        {"0.00;;'нет'", 0, "нет"},
        {"00000", 42, "00042"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatFloat(QString::fromUtf8(c.format), c.value), QString::fromUtf8(c.text)) << c.format;
}

}  // namespace
