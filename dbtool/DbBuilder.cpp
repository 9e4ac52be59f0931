#include "dbtool/DbBuilder.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator64>
#include <QUuid>
#include <algorithm>
#include <memory>
#include <vector>

#include "dbtool/DbScripts.h"
#include "platform/ado/ADOBatch.h"
#include "platform/ado/ADOConnection.h"
#include "platform/core/DateTime.h"

namespace dbtool {

QString ConnectionString(const QString& fileName, const QString& password)
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=") + password
           + QStringLiteral(";Data Source=") + fileName + QStringLiteral(";Persist Security Info=True");
}

QString NewKey()
{
    return QUuid::createUuid().toString(QUuid::WithBraces).toUpper();
}

namespace {

const QString kPasswordKey = QStringLiteral("Jet OLEDB:Database Password");

// The program builds its connection string by pasting the password in, so a
// password that does not read back from that string (a ";" in it, say) could
// never be typed at the login: such a file is refused before it is made.
void CheckPassword(const QString& fileName, const QString& password)
{
    const QString cs = ConnectionString(fileName, password);
    if (TADOConnection::ConnectionStringValue(cs, kPasswordKey) != password
        || TADOConnection::ConnectionStringValue(cs, QStringLiteral("Data Source")) != fileName)
        throw EDbToolError(QStringLiteral("Пароль или имя файла содержат знаки, с которыми программа не сможет "
                                          "открыть базу данных (например, «;»)."));
}

// The file being made: created empty and exclusively (an existing file is
// refused, never opened), and removed again unless Keep() was called.
class NewFile {
public:
    explicit NewFile(const QString& fileName) : FName(fileName)
    {
        if (QFileInfo(fileName).isDir())
            throw EDbToolError(QStringLiteral("Вместо файла указана папка: ") + fileName);
        if (QFileInfo::exists(fileName))
            throw EDbToolError(QStringLiteral("Файл уже существует: ") + fileName
                               + QStringLiteral(". Существующая база данных не перезаписывается."));
        QFile f(fileName);
        if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw EDbToolError(QStringLiteral("Не удалось создать файл ") + fileName + QStringLiteral(": ")
                               + f.errorString());
        f.close();
        FCreated = true;
    }
    ~NewFile()
    {
        if (FCreated && !FKeep) {
            QFile::remove(FName);
            QFile::remove(FName + QStringLiteral("-journal"));
        }
    }
    void Keep() { FKeep = true; }
private:
    QString FName;
    bool FCreated = false;
    bool FKeep = false;
};

// Opens the new file as the program will, runs Fill inside one transaction
// and closes it; any failure undoes the transaction and reaches the caller as
// EDbToolError. The empty file is what the engine takes for an empty database.
template <typename Fill>
void BuildFile(const QString& fileName, const QString& password, Fill&& fill)
{
    CheckPassword(fileName, password);
    NewFile file(fileName);
    try {
        TADOConnection conn;
        conn.SetLoginPrompt(false);
        conn.SetConnectionString(ConnectionString(fileName, password));
        conn.Open();
        conn.BeginTrans();
        try {
            fill(conn);
            conn.CommitTrans();
        } catch (...) {
            if (conn.InTransaction()) {
                try {
                    conn.RollbackTrans();
                } catch (...) {
                }
            }
            throw;
        }
        conn.Close();
    } catch (const EDbToolError&) {
        throw;
    } catch (const Exception& e) {
        throw EDbToolError(QStringLiteral("Не удалось создать базу данных ") + fileName + QStringLiteral(": ")
                           + e.Message());
    } catch (const std::exception& e) {
        throw EDbToolError(QStringLiteral("Не удалось создать базу данных ") + fileName + QStringLiteral(": ")
                           + QString::fromLocal8Bit(e.what()));
    }
    file.Keep();
}

// "INSERT INTO table (a, b, ...) VALUES (?, ?, ...)" prepared once.
std::unique_ptr<ado::PreparedStatement> Inserter(TADOConnection& conn, const QString& table,
                                                 const QStringList& columns)
{
    QStringList marks;
    for (int i = 0; i < columns.size(); ++i)
        marks << QStringLiteral("?");
    return std::make_unique<ado::PreparedStatement>(
        &conn, QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + columns.join(QStringLiteral(", "))
                   + QStringLiteral(") VALUES (") + marks.join(QStringLiteral(", ")) + QStringLiteral(")"));
}

Variant D(int y, int m, int d) { return EncodeDate(y, m, d); }

const QString kChairmanPost = QStringLiteral("Председатель Совета директоров");
const QString kSecretaryPost = QStringLiteral("Секретарь Совета директоров");
const QString kDeputyPost = QStringLiteral("Зам. генерального директора");
const QString kDirectorPost = QStringLiteral("Генеральный директор");

struct FormRow {
    const char* name;
    const char* comment;
};
const FormRow kForms[] = {
    {"Совместное присутствие",
     "Заседание проводится в форме совместного присутствия членов Совета директоров для обсуждения вопросов "
     "повестки дня и принятия решений по вопросам, поставленным на голосование."},
    {"Заочное голосование",
     "Заседание проводится в форме заочного голосования. Заполненные и подписанные опросные листы необходимо "
     "направить секретарю Совета директоров не позднее даты окончания приема опросных листов."},
    {"Совместное присутствие с учетом письменных мнений",
     "Заседание проводится в форме совместного присутствия. Члены Совета директоров, отсутствующие на "
     "заседании, вправе представить письменное мнение по вопросам повестки дня до начала заседания."},
};

}  // namespace

// --- The demonstration board ----------------------------------------------

void FillDemo(TADOConnection* connection)
{
    TADOConnection& conn = *connection;

    // Organisation settings and signatories.
    const QString chairman = QStringLiteral("Соколов Андрей Николаевич");
    const QString secretary = QStringLiteral("Кузнецова Ольга Викторовна");
    const QString director = QStringLiteral("Орлов Дмитрий Сергеевич");
    const QString deputy = QStringLiteral("Белова Марина Игоревна");
    {
        ado::PreparedStatement set(&conn, QStringLiteral("UPDATE SYS_PARAMETERS SET val = ? WHERE name = ?"));
        const std::pair<const char*, QString> values[] = {
            {"company_name", QStringLiteral("Акционерное общество «Северный машиностроительный завод»")},
            {"company_short_name", QStringLiteral("АО «СМЗ»")},
            {"company_address", QStringLiteral("162600, Вологодская обл., г. Череповец, ул. Заводская, д. 5")},
            {"company_postaddress", QStringLiteral("162600, Вологодская обл., г. Череповец, а/я 112")},
            {"company_phone", QStringLiteral("(8202) 55-12-34")},
            {"company_inn", QStringLiteral("3528000123 / 352801001")},
            {"predsedatel_name", chairman},
            {"secretar_name", secretary},
            {"gen_director", director},
            {"zam_gen_director", deputy},
            {"pay_sum", QStringLiteral("15000")},
            {"doc_city", QStringLiteral("г. Череповец")},
        };
        for (const auto& [name, val] : values)
            set.Execute({val, QString::fromUtf8(name)});
    }
    QString reglament;
    {
        auto rs = conn.Execute(QStringLiteral("SELECT val FROM SYS_PARAMETERS WHERE name=\"pay_reglament\""));
        if (rs && rs->RowCount() > 0)
            reglament = rs->Text(0, 0);
    }

    // Members: the eighth-to-last is the one who left the board.
    struct MemberRow {
        const char* fullname;
        int by, bm, bd;
        const char* education;
        const char* share;
        const char* email;
        bool enabled;
    };
    const MemberRow members[] = {
        {"Соколов Андрей Николаевич", 1961, 4, 12, "высшее, Ленинградский политехнический институт, инженер-механик",
         "1,20%", "sokolov@smz.example", true},
        {"Орлов Дмитрий Сергеевич", 1970, 9, 3, "высшее, Вологодский политехнический институт; MBA", "0,45%",
         "orlov@smz.example", true},
        {"Лебедева Наталья Павловна", 1975, 1, 28, "высшее, Санкт-Петербургский государственный университет, экономист",
         "нет", "lebedeva@smz.example", true},
        {"Волков Игорь Александрович", 1966, 11, 7, "высшее, Московский государственный технический университет",
         "0,10%", "volkov@invest.example", true},
        {"Морозова Елена Викторовна", 1979, 6, 15, "высшее, Финансовая академия при Правительстве РФ", "нет",
         "morozova@invest.example", true},
        {"Зайцев Сергей Михайлович", 1968, 2, 20, "высшее, Вологодский государственный педагогический институт",
         "нет", "zaytsev@smz.example", true},
        {"Григорьев Павел Олегович", 1982, 8, 9, "высшее, Высшая школа экономики, юрист", "нет",
         "grigoryev@law.example", true},
        {"Никитина Ирина Валерьевна", 1973, 12, 1, "высшее, Российская экономическая академия им. Г.В. Плеханова",
         "0,05%", "nikitina@smz.example", true},
        {"Федоров Алексей Юрьевич", 1958, 5, 30, "высшее, Череповецкий металлургический институт", "0,80%",
         "fedorov@smz.example", false},
    };
    const int memberCount = int(std::size(members));
    QStringList memberKeys;
    {
        auto ins = Inserter(conn, QStringLiteral("REF_MEMBERS"),
                            {"id", "fullname", "birthday", "address", "passport", "education", "share", "postaddress",
                             "workphone", "workfax", "email", "paymentinfo", "inn", "pensionnum", "date", "enabled"});
        const char* streets[] = {"ул. Ленина", "пр. Победы", "ул. Металлургов", "ул. Гоголя", "Советский пр."};
        for (int i = 0; i < memberCount; ++i) {
            const MemberRow& m = members[i];
            const QString key = NewKey();
            memberKeys << key;
            const QString address = QStringLiteral("162%1, г. Череповец, %2, д. %3, кв. %4")
                                        .arg(600 + i * 7)
                                        .arg(QString::fromUtf8(streets[i % 5]))
                                        .arg(3 + i * 4)
                                        .arg(11 + i * 9);
            const QString passport = QStringLiteral("19 %1 %2, выдан ОВД г. Череповца %3")
                                         .arg(2 + i % 8, 2, 10, QLatin1Char('0'))
                                         .arg(512340 + i * 1371)
                                         .arg(DateToStr(EncodeDate(2001 + i, 1 + i % 12, 10 + i)));
            const QString paymentinfo =
                QStringLiteral("Получатель: %1\r\nр/с 40817810%2\r\nПАО «Северный банк», г. Вологда\r\n"
                               "к/с 30101810900000000644, БИК 041909644")
                    .arg(QString::fromUtf8(m.fullname))
                    .arg(120000000000LL + i * 73015331LL);
            ins->Execute({key, QString::fromUtf8(m.fullname), D(m.by, m.bm, m.bd), address, passport,
                          QString::fromUtf8(m.education), QString::fromUtf8(m.share), address,
                          QStringLiteral("(8202) 55-%1-%2").arg(10 + i).arg(20 + i * 3),
                          i % 3 == 0 ? QStringLiteral("(8202) 55-%1-00").arg(10 + i) : QString(),
                          QString::fromUtf8(m.email), paymentinfo,
                          QStringLiteral("35280%1").arg(1234567 + i * 98765, 7, 10, QLatin1Char('0')),
                          QStringLiteral("%1-%2-%3 %4")
                              .arg(112 + i * 3)
                              .arg(345 + i * 11)
                              .arg(678 + i)
                              .arg(10 + i * 7 % 90, 2, 10, QLatin1Char('0')),
                          D(2019, 5, 20 + i), m.enabled});
        }
    }

    // Posts held and seats in other management bodies.
    {
        auto ins = Inserter(conn, QStringLiteral("REF_POSTS"),
                            {"id", "id_member", "postname", "orgname", "orgaddress", "startdate", "enddate"});
        const QString smz = QStringLiteral("АО «СМЗ»");
        const QString smzAddr = QStringLiteral("г. Череповец, ул. Заводская, д. 5");
        struct PostRow {
            int member;
            const char* post;
            const char* org;
            const char* addr;   // nullptr: the company's own address
            Variant start, end;
        };
        const PostRow posts[] = {
            {0, "Главный инженер", nullptr, nullptr, D(1998, 3, 1), D(2012, 6, 30)},
            {0, "Советник генерального директора", nullptr, nullptr, D(2012, 7, 1), VarNull()},
            {1, "Генеральный директор", nullptr, nullptr, D(2016, 10, 1), VarNull()},
            {2, "Директор по экономике и финансам", nullptr, nullptr, D(2014, 2, 17), VarNull()},
            {3, "Управляющий партнер", "ООО «Северинвест»", "г. Москва, ул. Тверская, д. 16", D(2010, 1, 11), VarNull()},
            {4, "Директор департамента корпоративных финансов", "ООО «Северинвест»", "г. Москва, ул. Тверская, д. 16",
             D(2015, 9, 1), VarNull()},
            {5, "Председатель первичной профсоюзной организации", nullptr, nullptr, D(2011, 4, 5), VarNull()},
            {6, "Адвокат", "Коллегия адвокатов «Правовой центр»", "г. Вологда, ул. Мира, д. 30", D(2009, 3, 2),
             VarNull()},
            {7, "Начальник юридического управления", nullptr, nullptr, D(2013, 8, 19), VarNull()},
            {8, "Директор по производству", nullptr, nullptr, D(2001, 1, 9), D(2023, 12, 29)},
        };
        for (const PostRow& p : posts)
            ins->Execute({NewKey(), memberKeys[p.member], QString::fromUtf8(p.post),
                          p.org ? QString::fromUtf8(p.org) : smz, p.addr ? QString::fromUtf8(p.addr) : smzAddr, p.start,
                          p.end});
    }
    {
        auto ins = Inserter(conn, QStringLiteral("REF_OTHER_MANAGEMENT"),
                            {"id", "id_member", "post", "orgname", "startdate"});
        struct SeatRow {
            int member;
            const char* post;
            const char* org;
            Variant start;
        };
        const SeatRow seats[] = {
            {0, "Председатель Совета директоров", "АО «СМЗ-Литейный завод»", D(2018, 6, 22)},
            {1, "Член правления", "Ассоциация машиностроителей Вологодской области", D(2019, 2, 14)},
            {3, "Член Совета директоров", "ПАО «Вологодский подшипниковый завод»", D(2017, 6, 30)},
            {4, "Член ревизионной комиссии", "ООО «СМЗ-Сервис»", D(2021, 4, 28)},
            {7, "Член Совета директоров", "ООО «СМЗ-Сервис»", D(2020, 5, 15)},
        };
        for (const SeatRow& s : seats)
            ins->Execute({NewKey(), memberKeys[s.member], QString::fromUtf8(s.post), QString::fromUtf8(s.org), s.start});
    }

    // Places and forms of holding.
    QStringList placeKeys, formKeys, formComments;
    {
        auto ins = Inserter(conn, QStringLiteral("REF_PLACES"), {"id", "name"});
        const char* places[] = {"г. Череповец, ул. Заводская, д. 5, зал заседаний заводоуправления",
                                "г. Москва, ул. Тверская, д. 16, офис ООО «Северинвест», переговорная № 2",
                                "г. Вологда, ул. Мира, д. 30, конференц-зал гостиницы «Вологда»"};
        for (const char* p : places) {
            placeKeys << NewKey();
            ins->Execute({placeKeys.last(), QString::fromUtf8(p)});
        }
    }
    {
        auto ins = Inserter(conn, QStringLiteral("REF_FORMS"), {"id", "name", "comment"});
        for (const FormRow& f : kForms) {
            formKeys << NewKey();
            formComments << QString::fromUtf8(f.comment);
            ins->Execute({formKeys.last(), QString::fromUtf8(f.name), formComments.last()});
        }
    }

    // Sessions: numbers 1..6 through 2024; the last one has not voted fully yet.
    struct SessionRow {
        int m, d;
        int place, form;
        std::vector<int> participants;   // member indices (enabled members only)
        bool payments;
        bool director;                   // payments signed by the director, else by the deputy
    };
    const SessionRow sessions[] = {
        {1, 25, 0, 0, {0, 1, 2, 3, 4, 6, 7}, true, false},
        {3, 14, 1, 0, {0, 1, 2, 3, 4, 5, 6, 7}, true, false},
        {4, 25, 0, 2, {0, 1, 2, 5, 6, 7}, true, true},
        {6, 27, 2, 0, {0, 1, 2, 3, 4, 5, 7}, true, false},
        {9, 19, 0, 1, {0, 1, 3, 4, 5, 6, 7}, false, false},
        {11, 28, 0, 1, {0, 1, 2, 4, 6}, false, false},
    };
    int enabledCount = 0;
    for (const MemberRow& m : members)
        enabledCount += m.enabled ? 1 : 0;
    QStringList sessionKeys;
    {
        auto ins = Inserter(conn, QStringLiteral("OBJ_SESSIONS"),
                            {"id", "id_place", "id_form", "pnumber", "pdate", "fcomment", "mcomment", "signpost1",
                             "signname1", "signpost2", "signname2", "memberscount"});
        for (int i = 0; i < int(std::size(sessions)); ++i) {
            const SessionRow& s = sessions[i];
            sessionKeys << NewKey();
            const int present = int(s.participants.size());
            const QString mcomment =
                QStringLiteral("Присутствовали %1 из %2 членов Совета директоров. Кворум для принятия решений по "
                               "всем вопросам повестки дня имеется.")
                    .arg(present)
                    .arg(enabledCount);
            ins->Execute({sessionKeys.last(), placeKeys[s.place], formKeys[s.form], i + 1, D(2024, s.m, s.d),
                          formComments[s.form], mcomment, kChairmanPost, chairman, kSecretaryPost, secretary,
                          enabledCount});
        }
    }

    // Questions and the draft decisions on them; each decision goes to one session.
    struct QuestionRow {
        int m, d;
        const char* question;
        const char* information;
    };
    const QuestionRow questions[] = {
        {1, 10, "Об утверждении плана работы Совета директоров Общества на 2024 год.",
         "Проект плана подготовлен секретарем Совета директоров с учетом предложений членов Совета."},
        {1, 12, "Об одобрении бюджета Общества на 2024 год.",
         "Бюджет рассмотрен комитетом по аудиту 15.01.2024.\r\nПриложение: проект бюджета, пояснительная записка."},
        {2, 27, "О предварительном утверждении годового отчета Общества за 2023 год.",
         "Годовой отчет подготовлен в соответствии с требованиями законодательства об акционерных обществах."},
        {2, 28,
         "О рекомендациях годовому общему собранию акционеров по распределению прибыли, в том числе по размеру "
         "дивидендов, по результатам 2023 отчетного года.",
         "Чистая прибыль Общества по итогам 2023 года составила 412,6 млн руб."},
        {4, 2, "О созыве годового общего собрания акционеров Общества.",
         "Предлагается провести собрание в форме совместного присутствия."},
        {6, 10, "Об избрании Председателя Совета директоров Общества.",
         "Совет директоров избран годовым общим собранием акционеров 27.06.2024."},
        {6, 11, "Об одобрении сделки, в совершении которой имеется заинтересованность.",
         "Договор поставки литых заготовок с АО «СМЗ-Литейный завод»."},
        {9, 2, "Об утверждении Положения о закупочной деятельности Общества в новой редакции.", ""},
        {11, 8, "Об итогах финансово-хозяйственной деятельности Общества за 9 месяцев 2024 года.",
         "Докладчик: директор по экономике и финансам."},
        {11, 11, "Об утверждении кандидатуры аудитора Общества на 2025 год.",
         "Проведен конкурс; поступило три предложения."},
    };
    QStringList questionKeys;
    {
        auto ins = Inserter(conn, QStringLiteral("OBJ_QUESTIONS"), {"id", "date", "question", "information"});
        for (const QuestionRow& q : questions) {
            questionKeys << NewKey();
            ins->Execute({questionKeys.last(), D(2024, q.m, q.d), QString::fromUtf8(q.question),
                          QString::fromUtf8(q.information)});
        }
    }
    struct DecisionRow {
        int question;
        int session;
        int vote;   // the usual vote on it; the others vary around it
        const char* text;
    };
    const DecisionRow decisions[] = {
        {0, 0, 1, "Утвердить план работы Совета директоров Общества на 2024 год (приложение № 1)."},
        {1, 0, 1, "Одобрить бюджет Общества на 2024 год в редакции, представленной генеральным директором."},
        {2, 1, 1, "Предварительно утвердить годовой отчет Общества за 2023 год и рекомендовать годовому общему "
                  "собранию акционеров утвердить его."},
        {3, 1, 1, "Рекомендовать годовому общему собранию акционеров направить на выплату дивидендов 30% чистой "
                  "прибыли Общества по результатам 2023 года."},
        {3, 1, 2, "Рекомендовать годовому общему собранию акционеров дивиденды по результатам 2023 года не "
                  "выплачивать, направить чистую прибыль на развитие производства."},
        {4, 2, 1, "Созвать годовое общее собрание акционеров Общества 27 июня 2024 года в 11:00 по адресу: "
                  "г. Череповец, ул. Заводская, д. 5."},
        {4, 2, 1, "Утвердить повестку дня годового общего собрания акционеров Общества."},
        {5, 3, 1, "Избрать Председателем Совета директоров Общества Соколова Андрея Николаевича."},
        {6, 3, 1, "Одобрить договор поставки литых заготовок между Обществом и АО «СМЗ-Литейный завод» на сумму "
                  "не более 96 млн руб."},
        {7, 4, 1, "Утвердить Положение о закупочной деятельности Общества в новой редакции (приложение № 2)."},
        {8, 5, 1, "Принять к сведению отчет генерального директора об итогах финансово-хозяйственной деятельности "
                  "Общества за 9 месяцев 2024 года."},
        {9, 5, 1, "Утвердить кандидатуру ООО «Аудит-Консалт» в качестве аудитора Общества на 2025 год."},
    };
    {
        auto insDecision = Inserter(conn, QStringLiteral("OBJ_DECISIONS"), {"id", "id_question", "description"});
        auto insLink = Inserter(conn, QStringLiteral("LNK_SESSIONS_DECISIONS"), {"id", "id_session", "id_decision"});
        auto insParticipant =
            Inserter(conn, QStringLiteral("LNK_SESSIONS_MEMBERS"), {"id", "id_session", "id_member"});
        auto insVote = Inserter(conn, QStringLiteral("LNK_DECISIONS_MEMBERS"), {"id", "id_decision", "id_member", "vote"});
        auto insPayment = Inserter(conn, QStringLiteral("OBJ_PAYMENTS"),
                                   {"id", "id_session", "id_member", "paymentdate", "suma", "reglament", "signpost",
                                    "signname"});
        QStringList decisionKeys;
        for (const DecisionRow& d : decisions) {
            decisionKeys << NewKey();
            insDecision->Execute({decisionKeys.last(), questionKeys[d.question], QString::fromUtf8(d.text)});
        }
        const int lastSession = int(std::size(sessions)) - 1;
        for (int s = 0; s < int(std::size(sessions)); ++s) {
            const SessionRow& session = sessions[s];
            for (int d = 0; d < int(std::size(decisions)); ++d)
                if (decisions[d].session == s)
                    insLink->Execute({NewKey(), sessionKeys[s], decisionKeys[d]});
            for (int m : session.participants) {
                insParticipant->Execute({NewKey(), sessionKeys[s], memberKeys[m]});
                for (int d = 0; d < int(std::size(decisions)); ++d) {
                    if (decisions[d].session != s)
                        continue;
                    int vote = decisions[d].vote;
                    if ((m * 5 + d * 3) % 11 == 4)
                        vote = 3;                           // abstained
                    else if ((m * 7 + d) % 13 == 6)
                        vote = vote == 1 ? 2 : 1;           // the other way
                    if (s == lastSession && m % 2 == 1)
                        vote = 0;                           // not voted yet
                    insVote->Execute({NewKey(), decisionKeys[d], memberKeys[m], vote});
                }
                if (session.payments) {
                    const double due = EncodeDate(2024, session.m, session.d) + 30;
                    insPayment->Execute({NewKey(), sessionKeys[s], memberKeys[m], due, m == 0 ? 25000 : 15000,
                                         reglament, session.director ? kDirectorPost : kDeputyPost,
                                         session.director ? director : deputy});
                }
            }
        }
    }
}

void CreateDatabase(const QString& fileName, const QString& password, bool demo)
{
    BuildFile(fileName, password, [&](TADOConnection& conn) {
        ado::ExecuteScript(&conn, QString::fromUtf8(SchemaScript()));
        ado::ExecuteScript(&conn, QString::fromUtf8(SeedScript()));
        if (demo)
            FillDemo(&conn);
    });
}

// --- The benchmark database ------------------------------------------------

namespace {

// Reproducible keys: version-4 GUIDs from a seeded generator, formatted by
// hand (a million of them must not cost seconds).
class KeyMaker {
public:
    explicit KeyMaker(quint64 seed) : FRng(seed) {}
    QString Next()
    {
        quint64 hi = FRng.generate();
        quint64 lo = FRng.generate();
        hi = (hi & ~quint64(0xF000)) | quint64(0x4000);
        lo = (lo & ~(quint64(0xC) << 60)) | (quint64(0x8) << 60);
        static const char hex[] = "0123456789ABCDEF";
        char16_t buf[38];
        int n = 0;
        buf[n++] = u'{';
        auto put = [&](quint64 v, int digits, int fromBit) {
            for (int i = 0; i < digits; ++i)
                buf[n++] = char16_t(hex[(v >> (fromBit - 4 * (i + 1))) & 0xF]);
        };
        put(hi, 8, 64);
        buf[n++] = u'-';
        put(hi, 4, 32);
        buf[n++] = u'-';
        put(hi, 4, 16);
        buf[n++] = u'-';
        put(lo, 4, 64);
        buf[n++] = u'-';
        put(lo, 12, 48);
        buf[n++] = u'}';
        return QString(reinterpret_cast<const QChar*>(buf), n);
    }
    QRandomGenerator64& Rng() { return FRng; }
private:
    QRandomGenerator64 FRng;
};

// The leading word of a statement, comments skipped ("CREATE INDEX", ...).
bool IsCreateIndex(const QString& statement)
{
    QStringList lines = statement.split(QLatin1Char('\n'));
    for (const QString& l : lines) {
        const QString t = l.trimmed();
        if (t.isEmpty() || t.startsWith(QLatin1String("--")))
            continue;
        return t.startsWith(QLatin1String("CREATE INDEX"), Qt::CaseInsensitive)
               || t.startsWith(QLatin1String("CREATE UNIQUE INDEX"), Qt::CaseInsensitive);
    }
    return false;
}

const char* const kSurnames[] = {"Иванов", "Смирнов", "Кузнецов", "Попов", "Васильев", "Петров", "Соколов",
                                 "Михайлов", "Новиков", "Федоров", "Морозов", "Волков", "Алексеев", "Лебедев",
                                 "Семенов", "Егоров", "Павлов", "Козлов", "Степанов", "Николаев"};
const char* const kNames[] = {"Александр", "Сергей", "Дмитрий", "Андрей", "Алексей", "Максим", "Евгений",
                              "Владимир", "Игорь", "Николай"};
const char* const kPatronymics[] = {"Александрович", "Сергеевич", "Дмитриевич", "Андреевич", "Алексеевич",
                                    "Михайлович", "Викторович", "Николаевич"};

}  // namespace

BenchCounts CreateBenchDatabase(const QString& fileName, const QString& password, const BenchOptions& o)
{
    if (o.Sessions < 0 || o.Votes < 0 || o.Members < 1)
        throw EDbToolError(QStringLiteral("Число заседаний и голосов не может быть отрицательным, число членов "
                                          "совета должно быть не меньше 1."));
    BenchCounts counts;
    BuildFile(fileName, password, [&](TADOConnection& conn) {
        // The indexes are made after the rows: sorting once is much faster
        // than keeping them in step row by row.
        QStringList deferred;
        for (const QString& st : ado::ScriptStatements(QString::fromUtf8(SchemaScript()))) {
            if (IsCreateIndex(st))
                deferred << st;
            else
                ado::ExecuteScript(&conn, st);
        }
        ado::ExecuteScript(&conn, QString::fromUtf8(SeedScript()));
        ado::ExecuteScript(&conn, QStringLiteral("PRAGMA cache_size = -262144; PRAGMA temp_store = MEMORY;"));

        KeyMaker keys(o.Seed);
        QRandomGenerator64& rng = keys.Rng();
        auto below = [&](qint64 n) { return qint64(rng.bounded(quint64(n))); };

        // Members; one in twenty has left the board.
        std::vector<QString> memberKeys;
        std::vector<qint64> enabled;
        {
            auto ins = Inserter(conn, QStringLiteral("REF_MEMBERS"),
                                {"id", "fullname", "birthday", "address", "email", "inn", "date", "enabled"});
            for (qint64 i = 0; i < o.Members; ++i) {
                memberKeys.push_back(keys.Next());
                const bool on = i % 20 != 19;
                if (on)
                    enabled.push_back(i);
                ins->BindText(1, memberKeys.back());
                ins->BindText(2, QStringLiteral("%1 %2 %3")
                                     .arg(QString::fromUtf8(kSurnames[i % 20]), QString::fromUtf8(kNames[(i / 20) % 10]),
                                          QString::fromUtf8(kPatronymics[(i / 200) % 8])));
                ins->BindDouble(3, EncodeDate(1950, 1, 1) + double(below(365 * 45)));
                ins->BindText(4, QStringLiteral("г. Череповец, ул. Ленина, д. %1, кв. %2").arg(1 + i % 150).arg(1 + i % 97));
                ins->BindText(5, QStringLiteral("member%1@example.org").arg(i));
                ins->BindText(6, QStringLiteral("35%1").arg(100000000 + i, 10, 10, QLatin1Char('0')));
                ins->BindDouble(7, EncodeDate(2005, 1, 1) + double(below(365 * 18)));
                ins->BindInt(8, on ? 1 : 0);
                ins->Execute();
            }
            counts.Members = o.Members;
        }
        if (enabled.empty())
            enabled.push_back(0);

        std::vector<QString> placeKeys, formKeys;
        {
            auto ins = Inserter(conn, QStringLiteral("REF_PLACES"), {"id", "name"});
            for (int i = 0; i < 20; ++i) {
                placeKeys.push_back(keys.Next());
                ins->Execute({placeKeys.back(), QStringLiteral("г. Череповец, ул. Заводская, д. 5, зал № %1").arg(i + 1)});
            }
            counts.Places = 20;
            auto insForm = Inserter(conn, QStringLiteral("REF_FORMS"), {"id", "name", "comment"});
            for (const FormRow& f : kForms) {
                formKeys.push_back(keys.Next());
                insForm->Execute({formKeys.back(), QString::fromUtf8(f.name), QString::fromUtf8(f.comment)});
            }
            counts.Forms = qint64(std::size(kForms));
        }

        auto insSession = Inserter(conn, QStringLiteral("OBJ_SESSIONS"),
                                   {"id", "id_place", "id_form", "pnumber", "pdate", "fcomment", "mcomment",
                                    "signpost1", "signname1", "signpost2", "signname2", "memberscount"});
        auto insQuestion = Inserter(conn, QStringLiteral("OBJ_QUESTIONS"), {"id", "date", "question", "information"});
        auto insDecision = Inserter(conn, QStringLiteral("OBJ_DECISIONS"), {"id", "id_question", "description"});
        auto insLink = Inserter(conn, QStringLiteral("LNK_SESSIONS_DECISIONS"), {"id", "id_session", "id_decision"});
        auto insParticipant = Inserter(conn, QStringLiteral("LNK_SESSIONS_MEMBERS"), {"id", "id_session", "id_member"});
        auto insVote = Inserter(conn, QStringLiteral("LNK_DECISIONS_MEMBERS"), {"id", "id_decision", "id_member", "vote"});
        auto insPayment = Inserter(conn, QStringLiteral("OBJ_PAYMENTS"),
                                   {"id", "id_session", "id_member", "paymentdate", "suma", "reglament", "signpost",
                                    "signname"});
        // Columns that are the same in every row are bound once.
        insSession->BindText(8, kChairmanPost);
        insSession->BindText(9, QStringLiteral("Соколов Андрей Николаевич"));
        insSession->BindText(10, kSecretaryPost);
        insSession->BindText(11, QStringLiteral("Кузнецова Ольга Викторовна"));
        insSession->BindInt(12, qint64(enabled.size()));
        insPayment->BindInt(5, 15000);
        insPayment->BindText(6, QStringLiteral("Вознаграждение выплачивается в течение 30 календарных дней."));
        insPayment->BindText(7, kDeputyPost);
        insPayment->BindText(8, QStringLiteral("Белова Марина Игоревна"));

        const qint64 nEnabled = qint64(enabled.size());
        const double firstDay = EncodeDate(1995, 1, 1);
        std::vector<QString> decisionKeys, participantKeys;
        for (qint64 s = 0; s < o.Sessions; ++s) {
            // Votes of this session: the total spread evenly over the sessions.
            const bool board = o.Questions > 0;
            qint64 target = board ? 0 : o.Votes / o.Sessions + (s < o.Votes % o.Sessions ? 1 : 0);
            qint64 nDecisions = 0, nParticipants = 0;
            if (board) {
                nDecisions = o.Questions * o.Decisions;
                nParticipants = nEnabled;
                target = nDecisions * nParticipants;
            } else if (target > 0) {
                nDecisions = std::max<qint64>(std::min<qint64>(2, target), (target + nEnabled - 1) / nEnabled);
                nParticipants = (target + nDecisions - 1) / nDecisions;
            }
            const QString sessionKey = keys.Next();
            const int form = int(s % 3);
            // The sessions spread over about 25 years, several on a busy day.
            const double day = firstDay + double((s * 9000) / o.Sessions);
            insSession->BindText(1, sessionKey);
            insSession->BindText(2, placeKeys[size_t(below(20))]);
            insSession->BindText(3, formKeys[size_t(form)]);
            insSession->BindInt(4, s + 1);
            insSession->BindDouble(5, day);
            insSession->BindText(6, QString::fromUtf8(kForms[form].comment));
            insSession->BindText(7, QStringLiteral("Присутствовали %1 членов Совета директоров. Кворум имеется.")
                                        .arg(nParticipants));
            insSession->Execute();
            ++counts.Sessions;

            // One question per session with its decisions (or the board's
            // number of questions), the decisions on each.
            decisionKeys.clear();
            const qint64 nQuestions = nDecisions == 0 ? 0 : board ? o.Questions : 1;
            for (qint64 qn = 0; qn < nQuestions; ++qn) {
                const QString questionKey = keys.Next();
                insQuestion->Execute({questionKey, day - 14,
                                      QStringLiteral("Вопрос %1 повестки дня: об утверждении отчета о выполнении "
                                                     "решений Совета директоров.")
                                          .arg(board ? QStringLiteral("%1.%2").arg(s + 1).arg(qn + 1) : QString::number(s + 1)),
                                      QStringLiteral("Материалы к вопросу %1.").arg(s + 1)});
                ++counts.Questions;
                const qint64 perQuestion = nDecisions / nQuestions;
                for (qint64 d = 0; d < perQuestion; ++d) {
                    decisionKeys.push_back(keys.Next());
                    insDecision->Execute({decisionKeys.back(), questionKey,
                                          QStringLiteral("Проект решения %1.%2: утвердить отчет в представленной "
                                                         "редакции.")
                                              .arg(s + 1)
                                              .arg(decisionKeys.size())});
                    insLink->Execute({keys.Next(), sessionKey, decisionKeys.back()});
                }
            }
            counts.Decisions += nDecisions;
            counts.SessionDecisions += nDecisions;

            // Participants: consecutive enabled members from a random start,
            // each with a vote on the decisions until the session's share is reached.
            const qint64 start = below(nEnabled);
            qint64 left = target;
            const bool paid = board || s % 10 == 0;
            for (qint64 p = 0; p < nParticipants; ++p) {
                const QString& member = memberKeys[size_t(enabled[size_t((start + p) % nEnabled)])];
                insParticipant->Execute({keys.Next(), sessionKey, member});
                ++counts.Participants;
                for (qint64 d = 0; d < nDecisions && left > 0; ++d, --left) {
                    const qint64 r = below(20);
                    insVote->BindText(1, keys.Next());
                    insVote->BindText(2, decisionKeys[size_t(d)]);
                    insVote->BindText(3, member);
                    insVote->BindInt(4, r < 14 ? 1 : r < 17 ? 2 : r < 19 ? 3 : 0);
                    insVote->Execute();
                    ++counts.Votes;
                }
                if (paid) {
                    insPayment->BindText(1, keys.Next());
                    insPayment->BindText(2, sessionKey);
                    insPayment->BindText(3, member);
                    insPayment->BindDouble(4, day + 30);
                    insPayment->Execute();
                    ++counts.Payments;
                }
            }
        }
        for (const QString& st : deferred)
            ado::ExecuteScript(&conn, st);
    });
    return counts;
}

}  // namespace dbtool
