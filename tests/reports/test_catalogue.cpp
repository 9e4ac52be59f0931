// Report catalogues and the menus built from them.
#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/ui/ActnList.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Menus.h"
#include "reports/unReports.h"

namespace {
struct Folder {
    QTemporaryDir dir;
    QString path() const { return dir.path() + QLatin1Char('/'); }
    void Write(const char* name, const QByteArray& bytes) const
    {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
    }
};
QByteArray Cp1251(const QString& s)
{
    QByteArray out;
    for (QChar c : s) {
        ushort u = c.unicode();
        if (u < 0x80) out += char(u);
        else if (u >= 0x410 && u <= 0x44F) out += char(0xC0 + (u - 0x410));
        else if (u == 0x401) out += char(0xA8);
        else if (u == 0x451) out += char(0xB8);
        else out += '?';
    }
    return out;
}
QStringList Captions(const TReportList& l)
{
    QStringList out;
    for (const TReport& r : l) out << r.Caption;
    return out;
}
}  // namespace

TEST(ReportParams, ParsesTheExampleLine)
{
    TReportParams p;
    ParseReportParams(QStringLiteral("'id_session', ptReference, 'Заседание', true, 'OBJ_SESSIONS', false, '' ; "
                                     "'dt', ptDate, 'Дата', false, '', false, 'TODAY'"),
                      QString(), p);
    ASSERT_EQ(p.Length(), 2);
    EXPECT_EQ(p[0].Name, QStringLiteral("id_session"));
    EXPECT_EQ(p[0].Kind, QStringLiteral("ptReference"));
    EXPECT_EQ(p[0].Caption, QStringLiteral("Заседание"));
    EXPECT_TRUE(p[0].Required);
    EXPECT_EQ(p[0].RefTable, QStringLiteral("OBJ_SESSIONS"));
    EXPECT_FALSE(p[0].MultiSelect);
    EXPECT_EQ(p[1].Default, QStringLiteral("TODAY"));
    EXPECT_TRUE(p[1].Value.isEmpty());
}

TEST(ReportParams, LineRules)
{
    struct Case {
        const char* line;
        const char* filter;
        int count;
        const char* firstName;
        const char* firstCaption;
    };
    const Case cases[] = {
        {"name, ptString, 'N', true, '', false, ''", "", 0, "", ""},                       // unquoted name
        {"'a', ptString, 'A;B,C', 1, '', 0, ''", "", 1, "a", "A;B,C"},                     // separators in quotes
        {"'it''s', ptString, 'x' tail, 0, '', 0, ''", "", 1, "it's", "x"},                 // doubled quote, tail
        {"'a', ptString, 'A', 0, ''", "", 0, "", ""},                                      // too few fields
        {"'a',, ptString,, 'A', 0, '', 0, '' ;; ", "", 1, "a", "A"},                       // empty parts dropped
        {"'a', ptString, 'A', 0, '', 0, '', extra, more", "", 1, "a", "A"},                // extra fields ignored
        {"'a', , '', 0, '', 0, ''", "", 0, "", ""},                                        // empty caption
        {"'m', ptReference, 'M', 0, 'REF_MEMBERS', 0, ''", "OBJ_SESSIONS", 0, "", ""},     // filter misses
        {"'m', ptReference, 'M', 0, 'REF_MEMBERS', 0, ''", "REF_MEMBERS", 1, "m", "M"},    // filter hits
        {"'m', ptReference, 'M', 0, 'ref_members', 0, ''", "REF_MEMBERS", 0, "", ""},      // case matters
        {"-", "", 0, "", ""},
    };
    for (const Case& c : cases) {
        TReportParams p;
        ParseReportParams(QString::fromUtf8(c.line), QString::fromUtf8(c.filter), p);
        ASSERT_EQ(p.Length(), c.count) << c.line;
        if (c.count) {
            EXPECT_EQ(p[0].Name, QString::fromUtf8(c.firstName)) << c.line;
            EXPECT_EQ(p[0].Caption, QString::fromUtf8(c.firstCaption)) << c.line;
        }
    }
    TReportParams b;
    ParseReportParams(QStringLiteral("'a', ptBoolean, 'A', TRUE, '', 7, ''"), QString(), b);
    EXPECT_TRUE(b[0].Required);
    EXPECT_TRUE(b[0].MultiSelect);
}

TEST(ReportParams, CopiesOfAReportShareTheirParameters)
{
    TReport r;
    ParseReportParams(QStringLiteral("'a', ptString, 'A', 0, '', 0, ''"), QString(), r.Params);
    TReport copy = r;
    copy.Params[0].Value = QStringLiteral("'x'");
    EXPECT_EQ(r.Params[0].Value, QStringLiteral("'x'"));
}

TEST(Catalogue, EntriesKeptAndDropped)
{
    Folder f;
    f.Write("t.ods", "x");
    const QString text = QStringLiteral(
        "; комментарий в начале\r\n"
        "Первый\r\n"
        "; комментарий между заголовком и параметрами\r\n"
        "'id', ptReference, 'Заседание', true, 'OBJ_SESSIONS', false, ''\r\n"
        "t.ods\r\n"
        "SELECT *\r\n"
        "FROM OBJ_SESSIONS WHERE id = :id\r\n"
        "\r\n\r\n"
        "Без шаблона\r\n-\r\nmissing.ods\r\nSELECT 1\r\n\r\n"
        "Без SQL\r\n-\r\nt.ods\r\n\r\n"
        " ; не комментарий\r\n-\r\nt.ods\r\nSELECT 2\r\n\r\n"
        "Участники\r\n"
        "'m', ptReference, 'Член', true, 'REF_MEMBERS', false, ''\r\n"
        "t.ods\r\n"
        "SELECT 3");   // the last entry ends without an empty line
    f.Write("reports.dat", Cp1251(text));
    TReportList all = LoadReports(f.path(), QString());
    EXPECT_EQ(Captions(all), (QStringList{QStringLiteral("Первый"), QStringLiteral(" ; не комментарий"),
                                          QStringLiteral("Участники")}));
    ASSERT_FALSE(all.empty());
    EXPECT_EQ(all[0].Sql, QStringLiteral(" SELECT * FROM OBJ_SESSIONS WHERE id = :id"));
    EXPECT_EQ(all[0].FileName, QStringLiteral("t.ods"));
    EXPECT_EQ(Captions(LoadReports(f.path(), QStringLiteral("OBJ_SESSIONS"))), QStringList{QStringLiteral("Первый")});
    EXPECT_EQ(Captions(LoadReports(f.path(), QStringLiteral("REF_MEMBERS"))),
              QStringList{QStringLiteral("Участники")});
    // The same file in UTF-8 reads alike.
    f.Write("reports.dat", text.toUtf8());
    EXPECT_EQ(Captions(LoadReports(f.path(), QString())).size(), 3);
    // A missing or empty catalogue is an empty list.
    f.Write("reports.dat", "");
    EXPECT_TRUE(LoadReports(f.path(), QString()).empty());
    EXPECT_TRUE(LoadReports(f.path() + QStringLiteral("nowhere/"), QString()).empty());
}

// Catalogues written by hand, or by something else: what reads as entries is
// offered, the rest is dropped without a word (the catalogue is read on every
// activation), and the file is only ever read.
TEST(Catalogue, HostileFilesAreReadWithoutHarm)
{
    Folder f;
    f.Write("t.ods", "x");
    const QString good = QStringLiteral("Первый\r\n-\r\nt.ods\r\nSELECT 1\r\n\r\nВторой\r\n-\r\nt.ods\r\nSELECT 2\r\n");
    auto utf16 = [](const QString& s, bool le) {
        QByteArray b = le ? QByteArray("\xFF\xFE") : QByteArray("\xFE\xFF");
        for (QChar c : s) {
            const char lo = char(c.unicode() & 0xFF), hi = char(c.unicode() >> 8);
            b += le ? lo : hi;
            b += le ? hi : lo;
        }
        return b;
    };
    QByteArray junk;
    for (int i = 0; i < 5000; ++i) junk += char((i * 7919) % 251);
    struct Case {
        const char* name;
        QByteArray bytes;
        QStringList captions;
    };
    const Case cases[] = {
        {"UTF-16 little-endian", utf16(good, true), {QStringLiteral("Первый"), QStringLiteral("Второй")}},
        {"UTF-16 big-endian", utf16(good, false), {QStringLiteral("Первый"), QStringLiteral("Второй")}},
        {"only a byte-order mark", QByteArray("\xFF\xFE"), {}},
        {"broken parameter lines",
         Cp1251(QStringLiteral("Первый\r\n'a, ptString, 'A', 0\r\nt.ods\r\nSELECT 1\r\n\r\n"
                               "Второй\r\n'it''s\", ;;; ,,,\r\nt.ods\r\nSELECT 2\r\n")),
         {QStringLiteral("Первый"), QStringLiteral("Второй")}},
        {"lone CR line ends and NUL bytes", QByteArray("A\0B\rx\rt.ods\rSELECT 1\r\r\r\n\n", 25),
         {QString::fromUtf8("A\0B", 3)}},
        {"a line of 200,000 characters", QByteArray(200000, 'x') + "\r\n-\r\nt.ods\r\nSELECT 1", {QString(200000, QLatin1Char('x'))}},
        {"binary junk", junk, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        f.Write("reports.dat", c.bytes);
        const TReportList all = LoadReports(f.path(), QString());
        if (QByteArrayView(c.name) != "binary junk") { EXPECT_EQ(Captions(all), c.captions); }
        for (const TReport& r : all) EXPECT_EQ(r.FileName, QStringLiteral("t.ods"));
        LoadReports(f.path(), QStringLiteral("OBJ_SESSIONS"));
        QFile back(f.dir.filePath(QStringLiteral("reports.dat")));
        ASSERT_TRUE(back.open(QIODevice::ReadOnly));
        EXPECT_TRUE(back.readAll() == c.bytes);
    }
    // A folder where the catalogue should be is no catalogue.
    QFile::remove(f.dir.filePath(QStringLiteral("reports.dat")));
    ASSERT_TRUE(QDir(f.dir.path()).mkdir(QStringLiteral("reports.dat")));
    EXPECT_TRUE(LoadReports(f.path(), QString()).empty());
}

namespace {
struct MenuFixture : ::testing::Test {
    TForm* form = nullptr;
    TActionList* list = nullptr;
    TMenuItem* menu = nullptr;
    void SetUp() override
    {
        form = new TForm(nullptr);
        list = new TActionList(form);
        menu = new TMenuItem(form);
    }
    void TearDown() override { delete form; }
    static TReportList Reports(int n)
    {
        TReportList l;
        for (int i = 0; i < n; ++i) l.push_back(TReport{QStringLiteral("R%1").arg(i), {}, {}, QStringLiteral(" S")});
        return l;
    }
    QStringList Items() const
    {
        QStringList out;
        for (int i = 0; i < menu->Count(); ++i) {
            TMenuItem* it = menu->Items(i);
            out << (it->Action() ? it->Action()->Name() : it->Caption());
        }
        return out;
    }
};
}  // namespace

TEST_F(MenuFixture, ItemsSeparatorAndRebuilds)
{
    struct Case {
        int excel, word;
        QStringList items;
    };
    const Case cases[] = {
        {0, 0, {}},
        {0, 2, {QStringLiteral("aWReport0"), QStringLiteral("aWReport1")}},
        {1, 0, {QStringLiteral("aEReport0")}},
        {2, 1, {QStringLiteral("aEReport0"), QStringLiteral("aEReport1"), QStringLiteral("-"), QStringLiteral("aWReport0")}},
    };
    auto* keep = new TAction(form);
    keep->SetName(QStringLiteral("aEReport"));   // exactly the prefix: not one of ours
    keep->SetActionList(list);
    int fired = -1;
    for (const Case& c : cases) {
        // Twice in a row: one set only.
        for (int round = 0; round < 2; ++round)
            BuildReportsMenu(list, menu, Reports(c.excel), Reports(c.word), 70, 71,
                             [&](TObject* s) { fired = static_cast<TComponent*>(s)->Tag(); });
        EXPECT_EQ(Items(), c.items);
        EXPECT_EQ(list->ActionCount(), 1 + c.excel + c.word);
    }
    EXPECT_EQ(keep->ActionList(), list);
    // A separator with a text would show it as a heading.
    EXPECT_TRUE(menu->Items(2)->QtAction()->isSeparator());
    EXPECT_TRUE(menu->Items(2)->QtAction()->text().isEmpty());
    TAction* w0 = dynamic_cast<TAction*>(form->FindComponent(QStringLiteral("aWReport0")));
    ASSERT_NE(w0, nullptr);
    EXPECT_EQ(w0->Category(), QStringLiteral("Отчеты"));
    EXPECT_EQ(w0->Caption(), QStringLiteral("R0"));
    EXPECT_EQ(w0->Hint(), QStringLiteral("Создать документ «R0»"));
    EXPECT_EQ(w0->ImageIndex(), 71);
    TAction* e1 = dynamic_cast<TAction*>(form->FindComponent(QStringLiteral("aEReport1")));
    ASSERT_NE(e1, nullptr);
    EXPECT_EQ(e1->ImageIndex(), 70);
    menu->Items(1)->Click();
    EXPECT_EQ(fired, 1);
}

TEST_F(MenuFixture, AMenuRebuiltDuringARunWaitsForItsEndAndTheRunningActionLives)
{
    BuildReportsMenu(list, menu, Reports(1), {}, 70, 71, [](TObject*) {});
    TAction* running = list->Actions(0);
    // A second menu whose form goes during the run.
    auto* other = new TForm(nullptr);
    auto* otherList = new TActionList(other);
    auto* otherMenu = new TMenuItem(other);
    bool stillThere = false;
    GenerateReportProc = [&](TReport, const QString&, const QString&, bool) {
        EXPECT_TRUE(ReportRunning());
        // Activations while the dialog is open: twice, the second wins.
        BuildReportsMenu(list, menu, Reports(3), {}, 70, 71, [](TObject*) {});
        BuildReportsMenu(list, menu, Reports(2), Reports(1), 70, 71, [](TObject*) {});
        BuildReportsMenu(otherList, otherMenu, Reports(1), {}, 70, 71, [](TObject*) {});
        delete other;
        stillThere = list->ActionCount() == 1 && list->Actions(0) == running && menu->Count() == 1;
    };
    running->OnExecute = [&](TObject*) { RunReport(Reports(1)[0], QString(), QString(), true); };
    running->Execute();
    GenerateReportProc = nullptr;
    EXPECT_TRUE(stillThere);
    EXPECT_FALSE(ReportRunning());
    EXPECT_EQ(Items(), (QStringList{QStringLiteral("aEReport0"), QStringLiteral("aEReport1"), QStringLiteral("-"),
                                    QStringLiteral("aWReport0")}));
}
