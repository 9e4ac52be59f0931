// The data module on a fresh database: datasets, fields, lookups, the caption
// lists and the system-parameter routines.
#include "DmFixture.h"

#include "components/StrHolder.h"

TEST_F(DmFixture, FreshDatabaseOpensEveryDatasetWithItsFields)
{
    int datasets = 0;
    for (int i = 0; i < dm->ComponentCount(); ++i)
        if (auto* ds = dynamic_cast<TCustomADODataSet*>(dm->Components(i))) {
            ++datasets;
            EXPECT_TRUE(ds->Active()) << ds->Name().toStdString();
        }
    EXPECT_EQ(datasets, 27);

    // Field order, labels and visibility as declared.
    QStringList names;
    for (TField* f : dm->adoObjSessions->FieldList()) names << f->FieldName();
    EXPECT_EQ(names.join(QLatin1Char(',')),
              QStringLiteral("id,id_place,id_form,pnumber,pdate,place,form,fcomment,mcomment,signpost1,signname1,"
                             "signpost2,signname2,memberscount,reportfield"));
    TField* place = dm->adoObjSessions->FieldByName(QStringLiteral("place"));
    EXPECT_EQ(place->FieldKind(), fkLookup);
    EXPECT_EQ(place->DisplayLabel(), QStringLiteral("Место проведения"));
    EXPECT_FALSE(dm->adoObjSessions->FieldByName(QStringLiteral("id"))->Visible());
    EXPECT_EQ(dm->FindComponent(QStringLiteral("adoRefMembersfullname")),
              dm->adoRefMembers->FieldByName(QStringLiteral("fullname")));
    EXPECT_EQ(dm->FindComponent(QStringLiteral("adoObjPaymentssum")),
              dm->adoObjPayments->FieldByName(QStringLiteral("suma")));
}

TEST_F(DmFixture, CaptionListsAreIndexedByRegisterTag)
{
    EXPECT_EQ(dm->MainFields->Strings()->Strings(dm->adoRefMembers->Tag()), QStringLiteral("fullname"));
    EXPECT_EQ(dm->FormsCaptions->Strings()->Strings(dm->adoRefPlaces->Tag()),
              QStringLiteral("Справочник «Места проведения заседаний»"));
    EXPECT_EQ(dm->SelectFromCaptions->Strings()->ValueFromIndex(dm->adoObjQuestions->Tag()),
              QStringLiteral("Выбор вопросов"));
}

TEST_F(DmFixture, FindDataSetByTableReturnsOnlyRegisterDatasets)
{
    struct Case { const char* table; TDataSet* expected; };
    const Case cases[] = {
        {"OBJ_PAYMENTS", dm->adoObjPayments},
        {"obj_payments", nullptr},
        {"LNK_SESSIONS_MEMBERS", nullptr},
        {"REF_PLACES", dm->adoRefPlaces},
        {"REF_MEMBERS", dm->adoRefMembers},
        {"", nullptr},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dm->FindDataSetByTable(QString::fromUtf8(c.table)), c.expected) << c.table;
}

TEST_F(DmFixture, SysParamsDropQuotesOnWriteAndReadAsTheRulesSay)
{
    const int ord = Scalar(QStringLiteral("SELECT ord FROM SYS_PARAMETERS WHERE name='secretar_name'")).toInt();
    dm->SysParamSet(ord, QStringLiteral("Иванов \"Иван\" д'Артаньян"));
    EXPECT_EQ(Scalar(QStringLiteral("SELECT val FROM SYS_PARAMETERS WHERE name='secretar_name'")).toString(),
              QStringLiteral("Иванов Иван д'Артаньян"));
    EXPECT_EQ(dm->SysParamGet(QStringLiteral("secretar_name")), QStringLiteral("Иванов Иван дАртаньян"));
    EXPECT_EQ(dm->SysParamGet(QStringLiteral("no such parameter")), QString());
    // A key holding a double quote is looked up safely, not pasted into the statement.
    EXPECT_EQ(dm->SysParamGet(QStringLiteral("x\" OR \"1\"=\"1")), QString());

    Exec(QStringLiteral("UPDATE SYS_PARAMETERS SET val='a\"b''c' WHERE name='gen_director'"));
    EXPECT_EQ(dm->SysParamGet(QStringLiteral("gen_director")), QStringLiteral("abc"));

    dm->adoConnection->Close();
    EXPECT_EQ(dm->SysParamGet(QStringLiteral("gen_director")), QString());
    dm->SysParamSet(ord, QStringLiteral("ignored"));   // does nothing while not connected
    dm->adoConnection->Open();
    EXPECT_EQ(Scalar(QStringLiteral("SELECT val FROM SYS_PARAMETERS WHERE name='secretar_name'")).toString(),
              QStringLiteral("Иванов Иван д'Артаньян"));
}

TEST_F(DmFixture, LookupsShowEmptyTextWithoutAMatchingRow)
{
    Exec(QStringLiteral("INSERT INTO REF_MEMBERS (id, fullname, enabled) VALUES ('{M1}', 'Петров П.П.', 1)"));
    Exec(QStringLiteral("INSERT INTO REF_MEMBERS (id, fullname, enabled) VALUES ('{M2}', 'Сидоров С.С.', 0)"));
    Exec(QStringLiteral("INSERT INTO OBJ_PAYMENTS (id, id_member, suma) VALUES ('{P1}', '{M1}', 100)"));
    Exec(QStringLiteral("INSERT INTO OBJ_PAYMENTS (id, id_member, suma) VALUES ('{P2}', '{GONE}', 200)"));
    Exec(QStringLiteral("INSERT INTO LNK_SESSIONS_MEMBERS (id, id_session, id_member) VALUES ('{L1}', '{S}', '{M2}')"));
    for (TDataSet* ds : {static_cast<TDataSet*>(dm->adqRefMembers2), static_cast<TDataSet*>(dm->adqRefMembers3),
                         static_cast<TDataSet*>(dm->adoObjPayments), static_cast<TDataSet*>(dm->adoLnkSessionsMembers)})
        ds->Requery();

    TADOTable* pay = dm->adoObjPayments;
    ASSERT_TRUE(pay->Locate(QStringLiteral("id"), QStringLiteral("{P1}")));
    EXPECT_EQ(pay->FieldByName(QStringLiteral("member"))->AsString(), QStringLiteral("Петров П.П."));
    EXPECT_EQ(pay->FieldByName(QStringLiteral("suma"))->DisplayText(), QStringLiteral("100,00"));
    ASSERT_TRUE(pay->Locate(QStringLiteral("id"), QStringLiteral("{P2}")));
    EXPECT_EQ(pay->FieldByName(QStringLiteral("member"))->AsString(), QString());

    // A member who is not enabled is not among the participants' lookup rows.
    EXPECT_EQ(dm->adqRefMembers3->RecordCount(), 1);
    ASSERT_EQ(dm->adoLnkSessionsMembers->RecordCount(), 1);
    EXPECT_EQ(dm->adoLnkSessionsMembers->FieldByName(QStringLiteral("member"))->AsString(), QString());
}

TEST_F(DmFixture, QuestionsQueryCutsTheTextAt37Characters)
{
    const QString text = QString(60, QChar(0x0416));   // Ж x 60
    Exec(QStringLiteral("INSERT INTO OBJ_QUESTIONS (id, question) VALUES ('{Q1}', '%1')").arg(text));
    Exec(QStringLiteral("INSERT INTO OBJ_QUESTIONS (id, question) VALUES ('{Q2}', 'short')"));
    dm->adqObjQuestions2->Requery();
    ASSERT_TRUE(dm->adqObjQuestions2->Locate(QStringLiteral("id"), QStringLiteral("{Q1}")));
    EXPECT_EQ(dm->adqObjQuestions2->FieldByName(QStringLiteral("question"))->AsString(), text.left(37));
    ASSERT_TRUE(dm->adqObjQuestions2->Locate(QStringLiteral("id"), QStringLiteral("{Q2}")));
    EXPECT_EQ(dm->adqObjQuestions2->FieldByName(QStringLiteral("question"))->AsString(), QStringLiteral("short"));
}

TEST_F(DmFixture, FailedPostShowsTheMessageOnceAndStaysInInsert)
{
    Exec(QStringLiteral("INSERT INTO REF_PLACES (id, name) VALUES ('{P1}', 'Москва')"));
    TADOTable* places = dm->adoRefPlaces;
    places->Requery();
    places->Insert();
    places->FieldByName(QStringLiteral("id"))->SetAsString(QStringLiteral("{P1}"));   // the key is taken
    places->FieldByName(QStringLiteral("name"))->SetAsString(QStringLiteral("Тверь"));
    EXPECT_THROW(places->Post(), EAbort);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].Caption, QStringLiteral("Ошибка сохранения данных"));
    EXPECT_EQ(asked[0].Text, QStringLiteral("Невозможно выполнить сохранение введенных данных. Возможно,   \r\n"
                                            "не все обязательные поля заполнены или заполнены неправильно.  "));
    EXPECT_EQ(asked[0].Flags, MB_OK | MB_ICONERROR);
    EXPECT_EQ(places->State(), dsInsert);
    EXPECT_EQ(places->FieldByName(QStringLiteral("name"))->AsString(), QStringLiteral("Тверь"));
    places->Cancel();
    EXPECT_EQ(places->RecordCount(), 1);
    EXPECT_EQ(Scalar(QStringLiteral("SELECT COUNT(*) FROM REF_PLACES")).toInt(), 1);
}

TEST_F(DmFixture, WrongPasswordDoesNotConnect)
{
    dm->adoConnection->Close();
    EXPECT_THROW(Connect(QStringLiteral("not the password")), EDatabaseError);
    EXPECT_FALSE(dm->adoConnection->Connected());
}
