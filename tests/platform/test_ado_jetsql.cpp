// Jet SQL texts run on a real database file and give the rows Jet would.
#include <gtest/gtest.h>

#include "AdoTestUtil.h"
#include "platform/ado/JetSql.h"
#include "platform/core/DateTime.h"
#include "platform/core/SysUtils.h"

using namespace adotest;

namespace {

class JetSqlTest : public ::testing::Test {
protected:
    QTemporaryDir Dir;
    std::unique_ptr<TADOConnection> Db;
    QString Question;  // 60 Cyrillic characters

    void SetUp() override
    {
        ASSERT_TRUE(Dir.isValid());
        Db = CreateDb(Dir.filePath(QStringLiteral("t.db")), QString(),
                      {QStringLiteral("CREATE TABLE REF_MEMBERS (id CHAR(38) PRIMARY KEY, fullname VARCHAR(255), "
                                      "birthday DATETIME, enabled BOOLEAN, share VARCHAR(100))"),
                       QStringLiteral("CREATE TABLE OBJ_QUESTIONS (id CHAR(38) PRIMARY KEY, date DATETIME, question MEMO)")});
        // The statements the system writes: keys in double quotes, dates through DateValue.
        Db->Execute(QStringLiteral("INSERT INTO REF_MEMBERS (id, fullname, birthday, enabled) VALUES "
                                   "(\"{1}\", \"Иванов И.И.\", DateValue('15.01.2024'), true)"));
        Db->Execute(QStringLiteral("INSERT INTO REF_MEMBERS (id, fullname, birthday, enabled, share) VALUES "
                                   "(\"{2}\", \"O'Brien\", DateValue('20.02.2023'), false, '')"));
        Db->Execute(QStringLiteral("INSERT INTO REF_MEMBERS (id, fullname, birthday, enabled, share) VALUES "
                                   "(\"{3}\", \"АБВ-групп\", CDate('15.01.2024 10:30:00'), yes, '5%')"));
        Db->Execute(QStringLiteral("INSERT INTO REF_MEMBERS (id, fullname, enabled) VALUES (\"{4}\", \"бета\", no)"));
        Question = QString(60, QChar(0x0416));  // Ж x 60
        Question.replace(10, 5, QStringLiteral("вопро"));
        Db->Execute(QStringLiteral("INSERT INTO OBJ_QUESTIONS (id, date, question) VALUES (\"{q}\", Date(), ") +
                    SqlQuote(Question) + QLatin1Char(')'));
    }
};

TEST_F(JetSqlTest, DialectCasesGiveJetRows)
{
    struct Case {
        const char* jet;
        const char* rows;
    };
    const Case cases[] = {
        {"SELECT id FROM REF_MEMBERS WHERE fullname=\"O'Brien\"", "{2}"},
        {"SELECT id FROM REF_MEMBERS WHERE enabled=true ORDER BY id", "{1},{3}"},
        {"SELECT id FROM REF_MEMBERS WHERE enabled=No ORDER BY id", "{2},{4}"},
        {"SELECT* FROM REF_MEMBERS WHERE [id]=\"{1}\"", "{1}|Иванов И.И.|15.01.2024|1|"},
        {"SELECT id FROM REF_MEMBERS WHERE birthday = DateValue('15.01.2024')", "{1}"},
        {"SELECT id FROM REF_MEMBERS WHERE birthday >= DateValue('1.1.2024') ORDER BY birthday DESC", "{3},{1}"},
        {"SELECT id FROM REF_MEMBERS WHERE birthday < DateValue('15.01.2024') ORDER BY id", "{2}"},
        {"SELECT id FROM REF_MEMBERS WHERE birthday = #01/15/2024#", "{1}"},
        {"SELECT id FROM REF_MEMBERS WHERE fullname LIKE '%абв%'", "{3}"},
        {"SELECT id FROM REF_MEMBERS WHERE fullname LIKE 'o''b%'", "{2}"},
        {"SELECT id FROM REF_MEMBERS WHERE fullname NOT LIKE '%И%' ORDER BY id", "{2},{3},{4}"},
        {"SELECT id FROM REF_MEMBERS WHERE fullname LIKE '[иа]%' ORDER BY id", "{1},{3}"},
        {"SELECT id FROM REF_MEMBERS WHERE share LIKE '5[%]'", "{3}"},
        // LIKE on a date column matches the date's text, time included when there is one
        {"SELECT id FROM REF_MEMBERS WHERE birthday LIKE '%.01.2024' ORDER BY id", "{1}"},
        {"SELECT id FROM REF_MEMBERS WHERE REF_MEMBERS.birthday LIKE '%.01.2024%' ORDER BY id", "{1},{3}"},
        {"SELECT id FROM REF_MEMBERS WHERE birthday LIKE '15.01.2024 10:30:00'", "{3}"},
        // the filter builder's forms
        {"SELECT * FROM REF_MEMBERS WHERE  enabled LIKE '0' AND ((share IS NULL) OR (share LIKE ''))", "{2}|O'Brien|20.02.2023|0|,{4}|бета||0|"},
        {"SELECT id FROM REF_MEMBERS WHERE  (id IN (SELECT id FROM REF_MEMBERS WHERE fullname != 'бета')) ORDER BY id",
         "{1},{2},{3}"},
        {"SELECT IIf(enabled, \"да\", \"нет\") & \" \" & fullname FROM REF_MEMBERS WHERE id=\"{2}\"", "нет O'Brien"},
        {"SELECT RIGHT(fullname, 5), MID(fullname, 2, 2), LEN(fullname), UCASE(fullname), LCASE(\"АБВ\") "
         "FROM REF_MEMBERS WHERE id=\"{3}\"",
         "групп|БВ|9|АБВ-ГРУПП|абв"},
        {"SELECT RIGHT(fullname, 0) & \"|\" & Nz(share, \"-\") FROM REF_MEMBERS WHERE id=\"{1}\"", "|-"},
        // texts sort case-insensitively, as Jet sorts them
        {"SELECT id FROM REF_MEMBERS WHERE fullname <> \"O'Brien\" ORDER BY fullname ASC", "{3},{4},{1}"},
        {"SELECT TOP 2 id FROM REF_MEMBERS ORDER BY id DESC", "{4},{3}"},
        {"SELECT COUNT(*) FROM REF_MEMBERS WHERE enabled=true", "2"},
        {"SELECT MAX(id) FROM REF_MEMBERS WHERE id = \"none\"", ""},
        {"SELECT id FROM REF_MEMBERS WHERE Year(birthday) = 2023 AND Month(birthday) = 2 AND Day(birthday) = 20", "{2}"},
        {"SELECT id FROM REF_MEMBERS WHERE id = \"{1}\";", "{1}"},
    };
    for (const Case& c : cases) {
        const QString jet = QString::fromUtf8(c.jet);
        EXPECT_EQ(Query(Db.get(), jet), QString::fromUtf8(c.rows)) << c.jet << "\n  -> " << Db->Translate(jet).toStdString();
    }
}

TEST_F(JetSqlTest, LeftCutsCyrillicQuestionToCharacters)
{
    auto rs = Db->Execute(
        QStringLiteral("SELECT id, date, LEFT(question, 37) as question FROM OBJ_QUESTIONS ORDER BY question ASC"));
    ASSERT_EQ(rs->RowCount(), 1);
    const int q = rs->FindColumn(QStringLiteral("question"));
    ASSERT_GE(q, 0);
    EXPECT_EQ(rs->Value(0, q).toString(), Question.left(37));
    EXPECT_EQ(rs->Column(q).Kind, ado::ColumnKind::Text);
    EXPECT_DOUBLE_EQ(rs->Value(0, rs->FindColumn(QStringLiteral("date"))).toDouble(), Date());
}

TEST_F(JetSqlTest, DeleteStarAndUpdateWithDateValue)
{
    int rows = -1;
    Db->Execute(QStringLiteral("UPDATE REF_MEMBERS SET birthday=DateValue('01.03.2020') WHERE id=\"{4}\""), &rows);
    EXPECT_EQ(rows, 1);
    EXPECT_EQ(Query(Db.get(), QStringLiteral("SELECT birthday FROM REF_MEMBERS WHERE id=\"{4}\"")), QStringLiteral("01.03.2020"));
    Db->Execute(QStringLiteral("DELETE * FROM REF_MEMBERS WHERE enabled=false"), &rows);
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(Query(Db.get(), QStringLiteral("SELECT id FROM REF_MEMBERS ORDER BY id")), QStringLiteral("{1},{3}"));
}

TEST_F(JetSqlTest, BadTextsFailInsteadOfMatchingNothing)
{
    const char* bad[] = {
        "SELECT id FROM REF_MEMBERS WHERE birthday = DateValue('32.13.2024')",  // not a date
        "UPDATE REF_MEMBERS SET birthday=DateValue('завтра') WHERE id=\"{1}\"",
        "SELECT id FROM REF_MEMBERS WHERE fullname = 'O'Brien'",                 // an apostrophe pasted in
        "SELECT id FROM REF_MEMBERS WHERE fullname = \"unterminated",
        "SELECT id FROM REF_MEMBERS; DELETE * FROM REF_MEMBERS",                 // a second statement
        "SELECT id FROM REF_MEMBERS WHERE birthday = #13/45/2024#",
        "SELECT LEFT(fullname) FROM REF_MEMBERS",
    };
    for (const char* jet : bad) EXPECT_THROW(Db->Execute(QString::fromUtf8(jet)), EDatabaseError) << jet;
    EXPECT_EQ(Query(Db.get(), QStringLiteral("SELECT COUNT(*) FROM REF_MEMBERS")), QStringLiteral("4"));
    EXPECT_EQ(Query(Db.get(), QStringLiteral("SELECT birthday FROM REF_MEMBERS WHERE id=\"{1}\"")), QStringLiteral("15.01.2024"));
}

TEST_F(JetSqlTest, SqlQuoteMakesAnyTextALiteral)
{
    Db->Execute(QStringLiteral("CREATE TABLE T (v MEMO)"));
    const QString values[] = {QStringLiteral("O'Brien"), QStringLiteral("a\"b"), QStringLiteral("\"\""),
                              QStringLiteral("x\" OR \"1\"=\"1"), QStringLiteral("'; DELETE FROM T; --"),
                              QStringLiteral("[x]] & y"), QStringLiteral("строка \"в кавычках\"")};
    for (const QString& v : values) {
        for (QChar delim : {QLatin1Char('"'), QLatin1Char('\'')}) {
            Db->Execute(QStringLiteral("DELETE * FROM T"));
            Db->Execute(QStringLiteral("INSERT INTO T (v) VALUES (") + SqlQuote(v, delim) + QLatin1Char(')'));
            Db->Execute(QStringLiteral("INSERT INTO T (v) VALUES ('other')"));
            EXPECT_EQ(Query(Db.get(), QStringLiteral("SELECT v FROM T WHERE v = ") + SqlQuote(v, delim)), v);
        }
    }
    EXPECT_EQ(SqlQuote(QStringLiteral("a]b"), QLatin1Char('[')), QStringLiteral("[a]]b]"));
}

TEST(JetTranslator, RecognisesPlainOneTableSelectsAsUpdatable)
{
    using ado::TranslateJet;
    EXPECT_TRUE(TranslateJet(QStringLiteral("SELECT * FROM OBJ_PAYMENTS WHERE  suma > '5'")).Updatable);
    EXPECT_TRUE(TranslateJet(QStringLiteral("SELECT * FROM SYS_PARAMETERS ORDER BY ord ASC, category ASC")).Updatable);
    EXPECT_TRUE(TranslateJet(QStringLiteral("SELECT p.id, p.suma FROM OBJ_PAYMENTS p WHERE p.suma > 1")).Updatable);
    for (const char* ro : {"SELECT* FROM OBJ_SESSIONS INNER JOIN LNK_SESSIONS_DECISIONS ON "
                           "OBJ_SESSIONS.id=LNK_SESSIONS_DECISIONS.id_session",
                           "SELECT DISTINCT id_decision FROM LNK_SESSIONS_DECISIONS", "SELECT MAX(pnumber) FROM OBJ_SESSIONS",
                           "SELECT a FROM T, U", "SELECT a FROM T GROUP BY a", "SELECT TOP 5 * FROM T"})
        EXPECT_FALSE(TranslateJet(QString::fromUtf8(ro)).Updatable) << ro;
    // keywords are rewritten only as bare words
    EXPECT_EQ(TranslateJet(QStringLiteral("SELECT t.yes, [true], Left(a, 2) AS no FROM t WHERE b = yes")).Sql,
              QByteArray("SELECT t.yes, \"true\", substr(a, 1, 2) AS no FROM t WHERE b = 1"));
    // texts sort case-insensitively; a column holding only numbers keeps its plain order (and index)
    EXPECT_EQ(TranslateJet(QStringLiteral("SELECT * FROM S ORDER BY S.pnumber DESC, name"), {}, {QStringLiteral("pnumber")}).Sql,
              QByteArray("SELECT * FROM S ORDER BY S.pnumber DESC, name COLLATE jet_nocase"));
    // An empty bracketed name is refused (it made a one-table select of no table).
    EXPECT_THROW(TranslateJet(QStringLiteral("SELECT a FROM[]T1 WHERE d = #00:00#")), EDatabaseError);
    const ado::JetStatement p = TranslateJet(QStringLiteral("ALTER DATABASE PASSWORD [new pwd] NULL"));
    EXPECT_EQ(p.Kind, ado::JetStatementKind::Password);
    EXPECT_EQ(p.NewPassword, QStringLiteral("new pwd"));
    EXPECT_TRUE(p.OldPassword.isEmpty());
}

}  // namespace
