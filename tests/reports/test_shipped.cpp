// The reports the installation ships, run from their built catalogues on the
// demonstration database; the documents are read back.
#include <QLocale>
#include <QRegularExpression>
#include <QUuid>
#include <algorithm>
#include <map>

#include "ReportFixture.h"

namespace {
// Spaces as the office writes them in numbers made plain.
QString Plain(QString s)
{
    s.replace(QChar(0x00A0), QLatin1Char(' ')).replace(QChar(0x202F), QLatin1Char(' '));
    return s;
}

// The rows of a sheet's text (";" between cells, a cell with a line break or
// a ";" in quotes), each row as its cells joined by ";" without the empty
// cells at its end; a cell's line breaks stay in it.
QStringList SheetRows(const QString& csv)
{
    QStringList rows;
    QStringList cells;
    QString cell;
    bool quoted = false, any = false;
    const auto endRow = [&] {
        cells << cell;
        while (!cells.isEmpty() && cells.last().isEmpty()) cells.removeLast();
        rows << cells.join(QLatin1Char(';'));
        cells.clear();
        cell.clear();
        any = false;
    };
    for (qsizetype i = 0; i < csv.size(); ++i) {
        const QChar ch = csv[i];
        if (quoted) {
            if (ch != QLatin1Char('"')) cell += ch;
            else if (i + 1 < csv.size() && csv[i + 1] == QLatin1Char('"')) cell += ch, ++i;
            else quoted = false;
        } else if (ch == QLatin1Char('"')) {
            quoted = true, any = true;
        } else if (ch == QLatin1Char(';')) {
            cells << cell, cell.clear(), any = true;
        } else if (ch == QLatin1Char('\n')) {
            endRow();
        } else {
            cell += ch, any = true;
        }
    }
    if (any || !cell.isEmpty()) endRow();
    return rows;
}

// A text of the database as a document shows it: a line break per CR LF.
QString Shown(QString s) { return s.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }

// What the documents print for a member without a name or without a card.
const QString kNoName = QStringLiteral("(член совета не указан в справочнике)");

QString NewKey() { return QUuid::createUuid().toString(QUuid::WithBraces).toUpper(); }

// Rows added as the registers' windows would add them.
QString AddMember(TADOConnection* c, const QString& name, bool null = false)
{
    const QString key = NewKey();
    c->Execute(QStringLiteral("INSERT INTO REF_MEMBERS (id, fullname, enabled) VALUES ('%1', %2, 1)")
                   .arg(key, null ? QStringLiteral("NULL") : QLatin1Char('\'') + name + QLatin1Char('\'')));
    return key;
}
void AddParticipant(TADOConnection* c, const QString& session, const QString& member)
{
    c->Execute(QStringLiteral("INSERT INTO LNK_SESSIONS_MEMBERS (id, id_session, id_member) VALUES ('%1', '%2', '%3')")
                   .arg(NewKey(), session, member));
}
void AddPayment(TADOConnection* c, const QString& session, const QString& member, int sum)
{
    c->Execute(QStringLiteral("INSERT INTO OBJ_PAYMENTS (id, id_session, id_member, suma) VALUES ('%1', '%2', '%3', %4)")
                   .arg(NewKey(), session, member)
                   .arg(sum));
}
// The session's decisions, in the order of their keys.
QStringList DecisionsOf(TADOConnection* c, const QString& session)
{
    ado::RecordsetPtr rs = c->Execute(
        QStringLiteral("SELECT id_decision FROM LNK_SESSIONS_DECISIONS WHERE id_session = '%1' ORDER BY id_decision").arg(session));
    QStringList out;
    for (qsizetype r = 0; r < rs->RowCount(); ++r) out << rs->Text(r, 0);
    return out;
}
void AddVote(TADOConnection* c, const QString& decision, const QString& member, int vote)
{
    c->Execute(QStringLiteral("INSERT INTO LNK_DECISIONS_MEMBERS (id, id_decision, id_member, vote) VALUES ('%1', '%2', '%3', %4)")
                   .arg(NewKey(), decision, member)
                   .arg(vote));
}
}  // namespace

class ShippedTest : public ReportFixture {
protected:
    void SetUp() override
    {
        ReportFixture::SetUp();
        ExcelReportsDir = QStringLiteral(QORVANE_BIN_DIR "/reports/excel/");
        WordReportsDir = QStringLiteral(QORVANE_BIN_DIR "/reports/word/");
    }
    QString Key(const QString& sql) { return Scalar(sql).toString(); }
    QString Member(const char* name)
    {
        return Key(QStringLiteral("SELECT id FROM REF_MEMBERS WHERE fullname = '%1'").arg(QString::fromUtf8(name)));
    }
    QString Session(int number) { return Key(QStringLiteral("SELECT id FROM OBJ_SESSIONS WHERE pnumber = %1").arg(number)); }
    // Runs the report of that caption and returns the document's text.
    QString Run(bool excel, const QString& caption)
    {
        const TReportList list = LoadReports(excel ? ExcelReportsDir : WordReportsDir, QString());
        for (const TReport& r : list)
            if (r.Caption == caption) {
                const int before = int(OfficeShownDocuments().size());
                GenerateReport(r, QString(), QString(), excel);
                EXPECT_TRUE(boxes.empty()) << qPrintable(boxes.empty() ? QString() : boxes[0].Caption);
                return Plain(LastText(before));
            }
        ADD_FAILURE() << "no report " << qPrintable(caption);
        return {};
    }
};

TEST_F(ShippedTest, EveryParameterKindAndBothApplicationsAreShipped)
{
    QSet<QString> kinds;
    int excel = 0, word = 0;
    for (bool isExcel : {true, false})
        for (const TReport& r : LoadReports(isExcel ? ExcelReportsDir : WordReportsDir, QString())) {
            (isExcel ? excel : word)++;
            for (const TReportParam& p : r.Params) kinds.insert(p.Kind);
        }
    EXPECT_EQ(excel, 2);
    EXPECT_EQ(word, 2);
    EXPECT_EQ(kinds, (QSet<QString>{QStringLiteral("ptString"), QStringLiteral("ptInteger"), QStringLiteral("ptFloat"),
                                    QStringLiteral("ptDate"), QStringLiteral("ptBoolean"), QStringLiteral("ptReference")}));
    // The register windows offer them by their tables.
    EXPECT_EQ(LoadReports(WordReportsDir, QStringLiteral("OBJ_SESSIONS")).size(), 1u);
    EXPECT_EQ(LoadReports(ExcelReportsDir, QStringLiteral("OBJ_SESSIONS")).size(), 1u);
    EXPECT_EQ(LoadReports(WordReportsDir, QStringLiteral("REF_MEMBERS")).size(), 1u);
    EXPECT_EQ(LoadReports(ExcelReportsDir, QStringLiteral("REF_MEMBERS")).size(), 1u);
}

TEST_F(ShippedTest, TheMinutesHoldTheSessionAndTheVotes)
{
    RequireOffice();
    values = {{QStringLiteral("id_session"), QLatin1Char('\'') + Session(1) + QLatin1Char('\'')}};
    const QString text = Run(false, QStringLiteral("Протокол заседания Совета директоров"));
    EXPECT_TRUE(text.contains(QStringLiteral("ПРОТОКОЛ № 1"))) << qPrintable(text);
    EXPECT_TRUE(text.contains(QStringLiteral("Дата проведения заседания: 25.01.2024")));
    EXPECT_TRUE(text.contains(QStringLiteral("Присутствовали члены Совета директоров (7): ")));
    EXPECT_TRUE(text.contains(QStringLiteral("Утвердить план работы Совета директоров Общества на 2024 год")));
    EXPECT_TRUE(text.contains(QStringLiteral("Акционерное общество «Северный машиностроительный завод»")));
    // The votes "За" of each decision, as the table holds them.
    const int inFavour = Scalar(QStringLiteral(
        "SELECT COUNT(*) FROM (LNK_DECISIONS_MEMBERS dm INNER JOIN OBJ_DECISIONS d ON d.id = dm.id_decision) "
        "WHERE d.description LIKE 'Утвердить план работы%' AND dm.vote = 1")).toInt();
    const QStringList lines = text.split(QLatin1Char('\n'));
    const int at = int(lines.indexOf(QStringLiteral("Утвердить план работы Совета директоров Общества на 2024 год (приложение № 1).")));
    ASSERT_GE(at, 0) << qPrintable(text);
    EXPECT_EQ(lines.value(at + 1), QString::number(inFavour));
    EXPECT_TRUE(text.contains(QStringLiteral("Секретарь Совета директоров _______________ Кузнецова Ольга Викторовна")) ||
                text.contains(QStringLiteral("Кузнецова Ольга Викторовна")));
}

TEST_F(ShippedTest, TheMemberCardHoldsThePostsAndSeats)
{
    RequireOffice();
    const QString key = QLatin1Char('\'') + Member("Соколов Андрей Николаевич") + QLatin1Char('\'');
    values = {{QStringLiteral("id_member"), key}, {QStringLiteral("with_other"), QStringLiteral("1")}};
    QString text = Run(false, QStringLiteral("Карточка члена Совета директоров"));
    EXPECT_TRUE(text.contains(QStringLiteral("Соколов Андрей Николаевич"))) << qPrintable(text);
    EXPECT_TRUE(text.contains(QStringLiteral("Дата рождения: 12.04.1961")));
    for (const char* s : {"Главный инженер", "01.03.1998", "30.06.2012", "Советник генерального директора", "по настоящее время",
                          "Председатель Совета директоров", "АО «СМЗ-Литейный завод»", "22.06.2018"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(s))) << s;
    EXPECT_FALSE(text.contains(QStringLiteral("30.12.1899"))) << "a seat has no end date";
    values = {{QStringLiteral("id_member"), key}, {QStringLiteral("with_other"), QStringLiteral("0")}};
    text = Run(false, QStringLiteral("Карточка члена Совета директоров"));
    EXPECT_TRUE(text.contains(QStringLiteral("Главный инженер")));
    EXPECT_FALSE(text.contains(QStringLiteral("СМЗ-Литейный")));
}

TEST_F(ShippedTest, TheAttendanceStatementSumsThePeriod)
{
    RequireOffice();
    values = {{QStringLiteral("dt_from"), QStringLiteral("'01.01.2024'")},
              {QStringLiteral("dt_to"), QStringLiteral("'30.06.2024'")},
              {QStringLiteral("id_members"), QStringLiteral("'%1', '%2'").arg(Member("Соколов Андрей Николаевич"), Member("Орлов Дмитрий Сергеевич"))},
              {QStringLiteral("rate"), QStringLiteral("'1000,5'")},
              {QStringLiteral("min_count"), QStringLiteral("1")}};
    const QString text = Run(true, QStringLiteral("Ведомость участия в заседаниях и вознаграждения за период"));
    EXPECT_TRUE(text.contains(QStringLiteral("за период с 01.01.2024 по 30.06.2024"))) << qPrintable(text);
    // Four sessions in the first half year, all paid: 25 000 to the chairman, 15 000 to the others.
    EXPECT_TRUE(text.contains(QStringLiteral("Соколов Андрей Николаевич;1;25.01.2024;25 000,00")));
    EXPECT_TRUE(text.contains(QStringLiteral("Орлов Дмитрий Сергеевич;4;27.06.2024;15 000,00")));
    EXPECT_TRUE(text.contains(QStringLiteral("Орлов Дмитрий Сергеевич;4;60 000,00;4 002,00")));
    EXPECT_TRUE(text.contains(QStringLiteral("Соколов Андрей Николаевич;4;100 000,00;4 002,00")));
    EXPECT_TRUE(text.contains(QStringLiteral("Итого;8;160 000,00;8 004,00")));
}

// Attendance is participation and payments are payment rows: a session paid
// in two rows is one session attended, a session without a payment row is
// attended and paid nothing.
TEST_F(ShippedTest, TheAttendanceStatementCountsParticipationsAndSumsPaymentRows)
{
    RequireOffice();
    const QString sokolov = Member("Соколов Андрей Николаевич"), orlov = Member("Орлов Дмитрий Сергеевич");
    dm->adoConnection->Execute(QStringLiteral("INSERT INTO OBJ_PAYMENTS (id, id_session, id_member, suma) VALUES ('%1', '%2', '%3', 5000)")
                                   .arg(QUuid::createUuid().toString(QUuid::WithBraces).toUpper(), Session(1), sokolov));
    dm->adoConnection->Execute(QStringLiteral("DELETE FROM OBJ_PAYMENTS WHERE id_session = '%1' AND id_member = '%2'").arg(Session(2), orlov));
    values = {{QStringLiteral("dt_from"), QStringLiteral("'01.01.2024'")},
              {QStringLiteral("dt_to"), QStringLiteral("'30.06.2024'")},
              {QStringLiteral("id_members"), QStringLiteral("'%1', '%2'").arg(sokolov, orlov)},
              {QStringLiteral("rate"), QStringLiteral("1000")},
              {QStringLiteral("min_count"), QStringLiteral("1")}};
    const QStringList text = Run(true, QStringLiteral("Ведомость участия в заседаниях и вознаграждения за период")).split(QLatin1Char('\n'));
    const QString period = QStringLiteral("s.pdate >= DateValue('01.01.2024') AND s.pdate < DateValue('01.07.2024')");
    const auto money = [](double v) { return Plain(QLocale(QLocale::Russian).toString(v, 'f', 2)); };
    int sessions = 0;
    double paid = 0;
    for (const auto& [name, key] : {std::pair{"Соколов Андрей Николаевич", sokolov}, std::pair{"Орлов Дмитрий Сергеевич", orlov}}) {
        const int n = Scalar(QStringLiteral("SELECT COUNT(*) FROM LNK_SESSIONS_MEMBERS l INNER JOIN OBJ_SESSIONS s ON s.id = l.id_session "
                                            "WHERE l.id_member = '%1' AND %2").arg(key, period)).toInt();
        const double sum = Scalar(QStringLiteral("SELECT SUM(p.suma) FROM OBJ_PAYMENTS p INNER JOIN OBJ_SESSIONS s ON s.id = p.id_session "
                                                 "WHERE p.id_member = '%1' AND %2").arg(key, period)).toDouble();
        const QString who = QString::fromUtf8(name);
        EXPECT_EQ(text.filter(QRegularExpression(QStringLiteral("^%1;\\d+;\\d\\d\\.").arg(who))).size(), n) << qPrintable(text.join(QLatin1Char('\n')));
        EXPECT_TRUE(text.contains(QStringLiteral("%1;%2;%3;%4").arg(who).arg(n).arg(money(sum), money(n * 1000.0)))) << n << " " << sum;
        sessions += n;
        paid += sum;
    }
    EXPECT_TRUE(text.contains(QStringLiteral("Соколов Андрей Николаевич;1;25.01.2024;%1").arg(money(30000))));
    EXPECT_TRUE(text.contains(QStringLiteral("Орлов Дмитрий Сергеевич;2;14.03.2024;%1").arg(money(0))));
    EXPECT_TRUE(text.contains(QStringLiteral("Итого;%1;%2;%3").arg(sessions).arg(money(paid), money(sessions * 1000.0))));
}

TEST_F(ShippedTest, TheVotingSheetIsMembersByDecisions)
{
    RequireOffice();
    values = {{QStringLiteral("id_session"), QLatin1Char('\'') + Session(2) + QLatin1Char('\'')},
              {QStringLiteral("title"), QStringLiteral("'Лист голосования (проверка)'")}};
    const QString text = Run(true, QStringLiteral("Лист голосования по заседанию"));
    EXPECT_TRUE(text.contains(QStringLiteral("Лист голосования (проверка)"))) << qPrintable(text);
    EXPECT_TRUE(text.contains(QStringLiteral("Заседание № 2 от 14.03.2024")));
    EXPECT_TRUE(text.contains(QStringLiteral("Член Совета директоров;Решение 1;Решение 2;Решение 3")));
    // Each member's row holds the member's three votes.
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        if (!line.startsWith(QStringLiteral("Зайцев Сергей Михайлович;"))) continue;
        QStringList votes = line.split(QLatin1Char(';')).mid(1, 3);
        votes.sort();
        ado::RecordsetPtr rs = dm->adoConnection->Execute(QStringLiteral(
            "SELECT v.name FROM ((LNK_DECISIONS_MEMBERS dm INNER JOIN LNK_SESSIONS_DECISIONS sd ON sd.id_decision = dm.id_decision) "
            "INNER JOIN REF_MEMBERS m ON m.id = dm.id_member) INNER JOIN REF_VOTE_TYPES v ON v.id = dm.vote "
            "WHERE sd.id_session = '%1' AND m.fullname = 'Зайцев Сергей Михайлович' ORDER BY v.name").arg(Session(2)));
        QStringList expected;
        for (qsizetype r = 0; r < rs->RowCount(); ++r) expected << rs->Text(r, 0);
        EXPECT_EQ(votes, expected);
        return;
    }
    ADD_FAILURE() << "no row of the member";
}

// The minutes and the voting sheet of a session against what the tables say
// of it: those present are its participants, each decision's votes are their
// vote rows (without a row a participant has not voted), and the kinds of
// vote are the rows of REF_VOTE_TYPES.
namespace {
struct TKind {
    int Code;
    QString Name;
};
struct TSessionModel {
    QStringList Members;             // the participants' names, in name order
    QStringList Decisions;           // the texts of the session's decisions
    std::vector<std::vector<int>> Votes;   // [decision][participant]: the code, 0 without a row
    std::vector<TKind> Kinds;        // in the documents' order: codes ascending, 0 last
    int KindOf(int code) const
    {
        for (size_t k = 0; k < Kinds.size(); ++k)
            if (Kinds[k].Code == code) return int(k);
        return -1;
    }
    int Count(size_t d, int kind) const
    {
        return int(std::count_if(Votes[d].begin(), Votes[d].end(), [&](int c) { return KindOf(c) == kind; }));
    }
    // "Против: a, b; Воздержался: c": the kinds besides the first and not voted.
    QString Named(size_t d) const
    {
        QStringList parts;
        for (size_t k = 1; k + 1 < Kinds.size(); ++k) {
            QStringList who;
            for (qsizetype m = 0; m < Members.size(); ++m)
                if (KindOf(Votes[d][size_t(m)]) == int(k)) who << Members[m];
            if (!who.isEmpty()) parts << Kinds[k].Name + QStringLiteral(": ") + who.join(QStringLiteral(", "));
        }
        return parts.join(QStringLiteral("; "));
    }
};

struct TSessionCase {
    const char* What;
    int Session;                     // its number (7: a session the case makes)
    int Participants;                // as the tables hold them after the change
    const char* Title;               // the voting sheet's title as the dialog gives it
    const char* ShownTitle;
    std::function<void(TADOConnection*, const std::function<QString(int)>& session)> Change;
};

void PrintTo(const TSessionCase& c, std::ostream* os) { *os << c.What; }

const TSessionCase kSessionCases[] = {
    {"a decision postponed from session 3 to session 6 keeps its old vote rows", 6, 5, "'Лист (6)'", "Лист (6)",
     [](TADOConnection* c, const auto& session) {
         c->Execute(QStringLiteral("UPDATE LNK_SESSIONS_DECISIONS SET id_session = '%1' WHERE id IN "
                                   "(SELECT TOP 1 id FROM LNK_SESSIONS_DECISIONS WHERE id_session = '%2' ORDER BY id)")
                        .arg(session(6), session(3)));
     }},
    {"a session with participants and no decisions yet; the title erased", 7, 7, "''", "Лист голосования",
     [](TADOConnection* c, const auto& session) {
         const QString key = NewKey();
         c->Execute(QStringLiteral("INSERT INTO OBJ_SESSIONS (id, pnumber, pdate) VALUES ('%1', 7, DateValue('16.12.2024'))").arg(key));
         ado::RecordsetPtr rs = c->Execute(QStringLiteral("SELECT id_member FROM LNK_SESSIONS_MEMBERS WHERE id_session = '%1'").arg(session(5)));
         for (qsizetype r = 0; r < rs->RowCount(); ++r)
             c->Execute(QStringLiteral("INSERT INTO LNK_SESSIONS_MEMBERS (id, id_session, id_member) VALUES ('%1', '%2', '%3')")
                            .arg(NewKey(), key, rs->Text(r, 0)));
     }},
    {"a decision linked after the participants were added has no vote rows", 2, 8, "", "Лист голосования",
     [](TADOConnection* c, const auto& session) {
         const QString decision = NewKey();
         c->Execute(QStringLiteral("INSERT INTO OBJ_DECISIONS (id, id_question, description) SELECT TOP 1 '%1', id, "
                                   "'Принять к сведению информацию о ходе подготовки годового отчета.' FROM OBJ_QUESTIONS ORDER BY date")
                        .arg(decision));
         c->Execute(QStringLiteral("INSERT INTO LNK_SESSIONS_DECISIONS (id, id_session, id_decision) VALUES ('%1', '%2', '%3')")
                        .arg(NewKey(), session(2), decision));
     }},
    {"vote kinds outside 1-3, one of them in no row of REF_VOTE_TYPES", 1, 7, "'Лист'", "Лист",
     [](TADOConnection* c, const auto& session) {
         c->Execute(QStringLiteral("INSERT INTO REF_VOTE_TYPES (id, name) VALUES (4, 'Особое мнение')"));
         const QString votes = QStringLiteral("SELECT dm.id FROM LNK_DECISIONS_MEMBERS dm INNER JOIN LNK_SESSIONS_DECISIONS sd "
                                              "ON sd.id_decision = dm.id_decision WHERE sd.id_session = '%1' ORDER BY dm.id").arg(session(1));
         c->Execute(QStringLiteral("UPDATE LNK_DECISIONS_MEMBERS SET vote = 4 WHERE id IN (SELECT TOP 2 id FROM (%1))").arg(votes));
         c->Execute(QStringLiteral("UPDATE LNK_DECISIONS_MEMBERS SET vote = 9 WHERE id IN (SELECT TOP 1 id FROM (%1) ORDER BY id DESC)").arg(votes));
     }},
    {"a second member of the same full name is a participant of his own, voting Против once", 1, 8, "", "Лист голосования",
     [](TADOConnection* c, const auto& session) {
         const QString key = AddMember(c, QStringLiteral("Лебедева Наталья Павловна"));
         AddParticipant(c, session(1), key);
         AddVote(c, DecisionsOf(c, session(1)).value(0), key, 2);
     }},
    {"a participant whose member has an empty name votes Против twice", 1, 8, "", "Лист голосования",
     [](TADOConnection* c, const auto& session) {
         const QString key = AddMember(c, QString());
         AddParticipant(c, session(1), key);
         const QStringList decisions = DecisionsOf(c, session(1));
         AddVote(c, decisions.value(0), key, 2);
         AddVote(c, decisions.value(1), key, 2);
     }},
    {"a participant whose member card was deleted keeps his participant and vote rows", 1, 7, "", "Лист голосования",
     [](TADOConnection* c, const auto& session) {
         c->Execute(QStringLiteral("DELETE FROM REF_MEMBERS WHERE id IN (SELECT TOP 1 dm.id_member FROM LNK_DECISIONS_MEMBERS dm "
                                   "INNER JOIN LNK_SESSIONS_DECISIONS sd ON sd.id_decision = dm.id_decision "
                                   "WHERE sd.id_session = '%1' AND dm.vote <> 1 ORDER BY dm.id)").arg(session(1)));
     }},
    {"a question, a decision and the session's comment hold line breaks (CR LF)", 2, 8, "", "Лист голосования",
     [](TADOConnection* c, const auto& session) {
         const QString decision = DecisionsOf(c, session(2)).value(0);
         c->Execute(QStringLiteral("UPDATE OBJ_SESSIONS SET mcomment = 'Кворум имеется.\r\nЗаседание открыто в 10:00.' "
                                   "WHERE id = '%1'").arg(session(2)));
         c->Execute(QStringLiteral("UPDATE OBJ_DECISIONS SET description = 'Утвердить смету расходов:\r\n- на ремонт;\r\n- на связь.' "
                                   "WHERE id = '%1'").arg(decision));
         c->Execute(QStringLiteral("UPDATE OBJ_QUESTIONS SET question = 'О смете расходов\r\nна второе полугодие' "
                                   "WHERE id IN (SELECT id_question FROM OBJ_DECISIONS WHERE id = '%1')").arg(decision));
     }},
    {"each decision of session 2 on a question of its own, all of one text", 2, 8, "", "Лист голосования",
     [](TADOConnection* c, const auto& session) {
         for (const QString& decision : DecisionsOf(c, session(2))) {
             const QString question = NewKey();
             c->Execute(QStringLiteral("INSERT INTO OBJ_QUESTIONS (id, date, question) VALUES ('%1', DateValue('10.02.2024'), "
                                       "'О текущих делах Общества')").arg(question));
             c->Execute(QStringLiteral("UPDATE OBJ_DECISIONS SET id_question = '%1' WHERE id = '%2'").arg(question, decision));
         }
     }},
    {"a session with decisions and no participants yet", 8, 0, "", "Лист голосования",
     [](TADOConnection* c, const auto&) {
         const QString key = NewKey(), question = NewKey();
         c->Execute(QStringLiteral("INSERT INTO OBJ_SESSIONS (id, pnumber, pdate, signpost1, signname1) VALUES "
                                   "('%1', 8, DateValue('20.12.2024'), 'Председатель Совета директоров', 'Соколов А. Н.')").arg(key));
         c->Execute(QStringLiteral("INSERT INTO OBJ_QUESTIONS (id, date, question) VALUES ('%1', DateValue('01.12.2024'), "
                                   "'О плане работы на 2025 год')").arg(question));
         for (const char* text : {"Утвердить план работы на 2025 год.", "Поручить секретарю разослать план."}) {
             const QString decision = NewKey();
             c->Execute(QStringLiteral("INSERT INTO OBJ_DECISIONS (id, id_question, description) VALUES ('%1', '%2', '%3')")
                            .arg(decision, question, QString::fromUtf8(text)));
             c->Execute(QStringLiteral("INSERT INTO LNK_SESSIONS_DECISIONS (id, id_session, id_decision) VALUES ('%1', '%2', '%3')")
                            .arg(NewKey(), key, decision));
         }
     }},
};
}  // namespace

class SessionDocuments : public ShippedTest, public ::testing::WithParamInterface<TSessionCase> {
protected:
    std::vector<std::vector<QString>> Rows(const QString& sql)
    {
        ado::RecordsetPtr rs = dm->adoConnection->Execute(sql);
        std::vector<std::vector<QString>> out;
        for (qsizetype r = 0; r < rs->RowCount(); ++r) {
            out.emplace_back();
            for (int c = 0; c < rs->ColumnCount(); ++c) out.back().push_back(rs->Text(r, c));
        }
        return out;
    }
    TSessionModel Model(const QString& session)
    {
        TSessionModel m;
        QStringList ids;
        // Every participant, also one whose member has no name or no card
        // (named by the placeholder); by name (none first), then by key.
        auto participants = Rows(QStringLiteral("SELECT l.id_member, r.fullname, IIf(r.fullname IS NULL, 0, 1) FROM "
                                                "LNK_SESSIONS_MEMBERS l LEFT JOIN REF_MEMBERS r ON r.id = l.id_member "
                                                "WHERE l.id_session = '%1'").arg(session));
        std::sort(participants.begin(), participants.end(), [](const auto& a, const auto& b) {
            if (a[2] != b[2]) return a[2] < b[2];
            if (const int c = a[1].compare(b[1], Qt::CaseInsensitive)) return c < 0;
            return a[0].compare(b[0], Qt::CaseInsensitive) < 0;
        });
        for (const auto& p : participants) ids << p[0], m.Members << (p[1].trimmed().isEmpty() ? kNoName : p[1]);
        std::map<int, QString> kinds;
        for (const auto& k : Rows(QStringLiteral("SELECT id, name FROM REF_VOTE_TYPES"))) kinds[k[0].toInt()] = k[1];
        for (const auto& d : Rows(QStringLiteral("SELECT d.id, d.description FROM LNK_SESSIONS_DECISIONS l, OBJ_DECISIONS d "
                                                 "WHERE d.id = l.id_decision AND l.id_session = '%1'").arg(session))) {
            m.Decisions << Shown(d[1]);
            std::vector<int> votes(size_t(ids.size()), 0);
            for (const auto& v : Rows(QStringLiteral("SELECT id_member, vote FROM LNK_DECISIONS_MEMBERS WHERE id_decision = '%1'").arg(d[0]))) {
                const qsizetype at = ids.indexOf(v[0]);
                if (at < 0) continue;
                votes[size_t(at)] = v[1].toInt();
                if (!kinds.count(votes[size_t(at)])) kinds[votes[size_t(at)]] = QStringLiteral("Голос с кодом ") + v[1];
            }
            m.Votes.push_back(votes);
        }
        for (const auto& [code, name] : kinds)
            if (code != 0) m.Kinds.push_back({code, name});
        m.Kinds.push_back({0, kinds.count(0) ? kinds[0] : QStringLiteral("Не голосовали")});
        return m;
    }
};

TEST_P(SessionDocuments, TheMinutesAndTheVotingSheetFollowTheParticipants)
{
    RequireOffice();
    const TSessionCase& c = GetParam();
    c.Change(dm->adoConnection, [this](int n) { return Session(n); });
    const QString session = Session(c.Session);
    ASSERT_FALSE(session.isEmpty());
    const TSessionModel m = Model(session);
    const qsizetype members = m.Members.size(), decisions = m.Decisions.size(), kinds = qsizetype(m.Kinds.size());
    ASSERT_EQ(members, c.Participants);
    const auto lines = [](const QStringList& l) { return l.join(QLatin1Char('\n')).toStdString(); };

    values = {{QStringLiteral("id_session"), QLatin1Char('\'') + session + QLatin1Char('\'')}};
    const QStringList minutes = Run(false, QStringLiteral("Протокол заседания Совета директоров")).split(QLatin1Char('\n'));
    EXPECT_TRUE(minutes.contains(members ? QStringLiteral("Присутствовали члены Совета директоров (%1): %2.")
                                               .arg(members).arg(m.Members.join(QStringLiteral(", ")))
                                         : QStringLiteral("Присутствовали члены Совета директоров (0).")))
        << lines(minutes);
    // The session's texts, a line break of the text a line break of the
    // document (not a paragraph end and a line break, a blank line).
    const QString whole = minutes.join(QLatin1Char('\n'));
    const QString comment = Shown(Key(QStringLiteral("SELECT mcomment FROM OBJ_SESSIONS WHERE id = '%1'").arg(session)));
    if (!comment.isEmpty()) {
        EXPECT_TRUE(whole.contains(QLatin1Char('\n') + comment + QLatin1Char('\n'))) << qPrintable(comment);
    }
    for (const auto& q : Rows(QStringLiteral("SELECT q.question FROM (LNK_SESSIONS_DECISIONS l INNER JOIN OBJ_DECISIONS d "
                                             "ON d.id = l.id_decision) INNER JOIN OBJ_QUESTIONS q ON q.id = d.id_question "
                                             "WHERE l.id_session = '%1' AND q.question <> ''").arg(session)))
        EXPECT_TRUE(whole.contains(QRegularExpression(QStringLiteral("\n\\d+\\. ") + QRegularExpression::escape(Shown(q[0])) + QLatin1Char('\n'))))
            << "the agenda lacks " << qPrintable(q[0]);
    EXPECT_EQ(minutes.contains(QStringLiteral("ПОВЕСТКА ДНЯ")), decisions > 0) << "an agenda heading needs an agenda";
    // One agenda item per question of the decisions, told apart by its key.
    if (decisions > 0) {
        const qsizetype from = minutes.indexOf(QStringLiteral("ПОВЕСТКА ДНЯ")),
                        to = minutes.indexOf(QStringLiteral("РЕШЕНИЯ И ИТОГИ ГОЛОСОВАНИЯ"));
        ASSERT_LT(from, to);
        const qsizetype items = std::count_if(minutes.begin() + from, minutes.begin() + to, [](const QString& l) {
            return QRegularExpression(QStringLiteral("^\\d+\\. ")).match(l).hasMatch();
        });
        const auto questions = Rows(QStringLiteral("SELECT DISTINCT q.id FROM (LNK_SESSIONS_DECISIONS l INNER JOIN OBJ_DECISIONS d "
                                                   "ON d.id = l.id_decision) INNER JOIN OBJ_QUESTIONS q ON q.id = d.id_question "
                                                   "WHERE l.id_session = '%1'").arg(session));
        EXPECT_EQ(items, qsizetype(questions.size())) << lines(minutes);
    }
    if (decisions == 0) {
        EXPECT_TRUE(minutes.contains(QStringLiteral("Проекты решений к заседанию не внесены.")));
    } else {
        // The table: a header, then one row per decision in the session's
        // order, each cell a line (a decision's text as many as it has);
        // its decisions are known by their texts.
        QStringList header{QStringLiteral("№"), QStringLiteral("Решение")};
        for (const TKind& k : m.Kinds) header << k.Name;
        if (kinds > 2) header << QStringLiteral("Голосовали не «%1»").arg(m.Kinds[0].Name);
        const qsizetype width = header.size(), head = minutes.indexOf(header[0]);
        ASSERT_GE(head, 0) << lines(minutes);
        EXPECT_EQ(lines(minutes.mid(head, width)), lines(header));
        QStringList seen;
        qsizetype at = head + width;
        for (qsizetype i = 0; i < decisions; ++i) {
            qsizetype d = -1, size = 0;
            for (qsizetype j = 0; j < decisions; ++j) {
                const QStringList text = m.Decisions[j].split(QLatin1Char('\n'));
                if (minutes.mid(at + 1, text.size()) == text && text.size() > size) d = j, size = text.size();
            }
            ASSERT_GE(d, 0) << "not a decision of the session: " << lines(minutes.mid(at, width));
            const QStringList row = QStringList{minutes[at], minutes.mid(at + 1, size).join(QLatin1Char('\n'))} +
                                    minutes.mid(at + 1 + size, width - 2);
            at += size + width - 1;
            seen << m.Decisions[d];
            QStringList expected{QString::number(i + 1), m.Decisions[d]};
            for (qsizetype k = 0; k < kinds; ++k) expected << QString::number(m.Count(size_t(d), int(k)));
            if (kinds > 2) expected << m.Named(size_t(d));
            EXPECT_EQ(lines(row), lines(expected));
        }
        seen.removeDuplicates();
        EXPECT_EQ(seen.size(), decisions);
        while (at < minutes.size() && minutes[at].isEmpty()) ++at;
        EXPECT_TRUE(minutes.value(at).startsWith(QStringLiteral("Председатель Совета директоров")))
            << "the table has more rows than the session has decisions: " << lines(minutes);
    }

    values.push_back({QStringLiteral("title"), QString::fromUtf8(c.Title)});
    const QStringList sheet = SheetRows(Run(true, QStringLiteral("Лист голосования по заседанию")));
    ASSERT_GE(sheet.size(), 5);
    EXPECT_EQ(sheet[1].toStdString(), c.ShownTitle);
    // The decisions of the columns, from their texts below the table.
    QStringList columns;
    qsizetype last = sheet.indexOf(QStringLiteral("Проекты решений к заседанию не внесены."));
    for (qsizetype i = 1; i <= decisions; ++i)
        for (qsizetype r = 0; r < sheet.size(); ++r)
            if (sheet[r].startsWith(QStringLiteral("Решение %1. ").arg(i)))
                columns << sheet[r].mid(QStringLiteral("Решение %1. ").arg(i).size()), last = r;
    ASSERT_EQ(columns.size(), decisions) << lines(sheet);
    for (const QString& text : columns) EXPECT_TRUE(m.Decisions.contains(text)) << qPrintable(text);
    EXPECT_TRUE(sheet.value(last + 2).startsWith(QStringLiteral("Секретарь Совета директоров _______________ ")))
        << "the secretary's line after the decisions: " << lines(sheet);
    if (members == 0) {
        EXPECT_EQ(sheet[4], QStringLiteral("Участники заседания не указаны."));
        return;
    }
    // The header, a row per participant, the totals of each kind, an empty row.
    QStringList expected{QStringLiteral("Член Совета директоров")};
    for (qsizetype i = 1; i <= decisions; ++i) expected.last() += QStringLiteral(";Решение %1").arg(i);
    for (qsizetype p = 0; p < members; ++p) {
        expected << m.Members[p];
        for (const QString& text : columns)
            expected.last() += QLatin1Char(';') + m.Kinds[size_t(m.KindOf(m.Votes[size_t(m.Decisions.indexOf(text))][size_t(p)]))].Name;
    }
    for (qsizetype k = 0; k < (decisions ? kinds : 0); ++k) {
        expected << QStringLiteral("Итого «%1»").arg(m.Kinds[size_t(k)].Name);
        for (const QString& text : columns)
            expected.last() += QLatin1Char(';') + QString::number(m.Count(size_t(m.Decisions.indexOf(text)), int(k)));
    }
    expected << QString();
    EXPECT_EQ(lines(sheet.mid(4, expected.size())), lines(expected));
}

INSTANTIATE_TEST_SUITE_P(Cases, SessionDocuments, ::testing::ValuesIn(kSessionCases),
                         [](const auto& info) { return "case" + std::to_string(info.index); });

// The attendance statement against what the tables say of the period: a
// member's sessions are the sessions he is a participant of (each once, also
// where earlier data has him twice), his pay there all his payment rows of
// that session, the lines by name and then by member, members below the
// minimum of sessions left out of both blocks.
namespace {
struct TAttendanceCase {
    const char* What;
    int MinCount;
    QStringList Shows;   // the shapes of data the case is there for
    std::function<void(TADOConnection*, const std::function<QString(int)>& session)> Change;
};

QString MemberKey(TADOConnection* c, const QString& name)
{
    ado::RecordsetPtr rs = c->Execute(QStringLiteral("SELECT id FROM REF_MEMBERS WHERE fullname = '%1'").arg(name));
    return rs->RowCount() ? rs->Text(0, 0) : QString();
}

void PrintTo(const TAttendanceCase& c, std::ostream* os) { *os << c.What; }

const TAttendanceCase kAttendanceCases[] = {
    {"a second member of the same full name, at one session", 1, {QStringLiteral("namesakes")},
     [](TADOConnection* c, const auto& session) {
         const QString key = AddMember(c, QStringLiteral("Лебедева Наталья Павловна"));
         AddParticipant(c, session(4), key);
         AddPayment(c, session(4), key, 15000);
     }},
    {"members with an empty name and without a name, each at a session of his own", 1, {QStringLiteral("nameless")},
     [](TADOConnection* c, const auto& session) {
         const QString empty = AddMember(c, QString()), none = AddMember(c, QString(), true);
         AddParticipant(c, session(1), empty);
         AddPayment(c, session(1), empty, 15000);
         AddParticipant(c, session(2), none);
         AddParticipant(c, session(3), none);
         AddPayment(c, session(3), none, 10000);
     }},
    {"a minimum of sessions that leaves members out", 5, {QStringLiteral("left out")}, [](TADOConnection*, const auto&) {}},
    {"a session paid in two rows", 1, {QStringLiteral("paid in rows")},
     [](TADOConnection* c, const auto& session) {
         AddPayment(c, session(2), MemberKey(c, QStringLiteral("Орлов Дмитрий Сергеевич")), 5000);
     }},
    // Earlier data: the same participant twice in a session, and a member
    // twice in his only session (paid in two rows there) under a minimum of two.
    {"a member entered twice at a session, with a minimum of two", 2,
     {QStringLiteral("twice"), QStringLiteral("left out")},
     [](TADOConnection* c, const auto& session) {
         AddParticipant(c, session(1), MemberKey(c, QStringLiteral("Орлов Дмитрий Сергеевич")));
         const QString once = AddMember(c, QStringLiteral("Новиков Игорь Петрович"));
         AddParticipant(c, session(4), once);
         AddParticipant(c, session(4), once);
         AddPayment(c, session(4), once, 7500);
         AddPayment(c, session(4), once, 7500);
     }},
};
}  // namespace

class AttendanceStatement : public ShippedTest, public ::testing::WithParamInterface<TAttendanceCase> {};

TEST_P(AttendanceStatement, PrintsEachMemberKeptOnceAndSumsWhatItPrints)
{
    RequireOffice();
    const TAttendanceCase& c = GetParam();
    c.Change(dm->adoConnection, [this](int n) { return Session(n); });
    const double rate = 15000;
    const QString period = QStringLiteral("s.pdate >= DateValue('01.01.2024') AND s.pdate < DateValue('01.01.2025')");
    const auto money = [](double v) { return Plain(QLocale(QLocale::Russian).toString(v, 'f', 2)); };
    const auto rows = [this](const QString& sql) {
        ado::RecordsetPtr rs = dm->adoConnection->Execute(sql);
        std::vector<QStringList> out;
        for (qsizetype r = 0; r < rs->RowCount(); ++r) {
            out.emplace_back();
            for (int i = 0; i < rs->ColumnCount(); ++i) out.back() << rs->Text(r, i);
        }
        return out;
    };
    // Every member chosen, by name (none first), then by key.
    auto members = rows(QStringLiteral("SELECT id, fullname, IIf(fullname IS NULL, 0, 1) FROM REF_MEMBERS"));
    std::sort(members.begin(), members.end(), [](const QStringList& a, const QStringList& b) {
        if (a[2] != b[2]) return a[2] < b[2];
        if (const int r = a[1].compare(b[1], Qt::CaseInsensitive)) return r < 0;
        return a[0].compare(b[0], Qt::CaseInsensitive) < 0;
    });
    QStringList keys, detail, summary;
    QSet<QString> shapes;
    int count = 0;
    double paid = 0;
    for (const QStringList& member : members) {
        keys << QLatin1Char('\'') + member[0] + QLatin1Char('\'');
        // His participant rows of the period; a session he is entered at twice is one session.
        auto sessions = rows(QStringLiteral("SELECT s.pnumber, s.pdate, s.id FROM LNK_SESSIONS_MEMBERS l INNER JOIN OBJ_SESSIONS s "
                                            "ON s.id = l.id_session WHERE l.id_member = '%1' AND %2 ORDER BY s.pdate, s.pnumber, s.id")
                                 .arg(member[0], period));
        const size_t entries = sessions.size();
        sessions.erase(std::unique(sessions.begin(), sessions.end()), sessions.end());
        if (sessions.size() < entries) shapes << QStringLiteral("twice");
        if (sessions.empty()) continue;
        if (int(sessions.size()) < c.MinCount) {
            shapes << QStringLiteral("left out");
            continue;
        }
        const QString name = member[1].trimmed().isEmpty() ? kNoName : member[1];
        if (!summary.filter(QRegularExpression(QStringLiteral("^") + QRegularExpression::escape(name) + QLatin1Char(';'))).isEmpty())
            shapes << QStringLiteral("namesakes");
        if (name == kNoName) shapes << QStringLiteral("nameless");
        double sum = 0;
        for (const QStringList& session : sessions) {
            const auto pay = rows(QStringLiteral("SELECT COUNT(*), SUM(suma) FROM OBJ_PAYMENTS WHERE id_session = '%1' AND id_member = '%2'")
                                      .arg(session[2], member[0]));
            if (pay[0][0].toInt() > 1) shapes << QStringLiteral("paid in rows");
            const double one = pay[0][1].toDouble();
            detail << QStringLiteral("%1;%2;%3;%4").arg(name, session[0], session[1].left(10), money(one));
            sum += one;
        }
        summary << QStringLiteral("%1;%2;%3;%4").arg(name).arg(sessions.size()).arg(money(sum), money(double(sessions.size()) * rate));
        count += int(sessions.size());
        paid += sum;
    }
    // The shapes the case means to show are there.
    for (const QString& shape : c.Shows) EXPECT_TRUE(shapes.contains(shape)) << qPrintable(shape);
    ASSERT_FALSE(summary.isEmpty());

    values = {{QStringLiteral("dt_from"), QStringLiteral("'01.01.2024'")},
              {QStringLiteral("dt_to"), QStringLiteral("'31.12.2024'")},
              {QStringLiteral("id_members"), keys.join(QStringLiteral(", "))},
              {QStringLiteral("rate"), QStringLiteral("15000")},
              {QStringLiteral("min_count"), QString::number(c.MinCount)}};
    const QStringList sheet = SheetRows(Run(true, QStringLiteral("Ведомость участия в заседаниях и вознаграждения за период")));
    const auto lines = [](const QStringList& l) { return l.join(QLatin1Char('\n')).toStdString(); };
    QStringList expected{QStringLiteral("Член Совета директоров;№ заседания;Дата заседания;Выплачено, руб.")};
    expected << detail << QString() << QStringLiteral("Итоги по членам Совета директоров")
             << QStringLiteral("Член Совета директоров;Заседаний;Выплачено, руб.;Начислено по ставке, руб.") << summary
             << QStringLiteral("Итого;%1;%2;%3").arg(count).arg(money(paid), money(count * rate)) << QString();
    EXPECT_EQ(lines(sheet.mid(5, expected.size())), lines(expected));
    EXPECT_TRUE(sheet.value(5 + expected.size()).startsWith(QStringLiteral("Секретарь Совета директоров _______________ ")))
        << lines(sheet);
}

INSTANTIATE_TEST_SUITE_P(Cases, AttendanceStatement, ::testing::ValuesIn(kAttendanceCases),
                         [](const auto& info) { return "case" + std::to_string(info.index); });
