// The reports the installation ships, run from their built catalogues on the
// demonstration database; the documents are read back.
#include "ReportFixture.h"

namespace {
// Spaces as the office writes them in numbers made plain.
QString Plain(QString s)
{
    s.replace(QChar(0x00A0), QLatin1Char(' ')).replace(QChar(0x202F), QLatin1Char(' '));
    return s;
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
