// Late-bound automation, and the spreadsheet server against a real headless
// LibreOffice: values put in one block and read back, formatting members,
// column fitting, the workbook stored when shown, and the failures a user
// must get as errors rather than a hang.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <signal.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include "OfficeTestUtil.h"
#include "platform/ole/ComObj.h"
#include "platform/ole/LibreOffice.h"
#include "platform/ui/Forms.h"

namespace {

// The processes whose parent is Parent, with their state letter ('Z': ended,
// not yet collected by the parent), as /proc lists them.
std::vector<std::pair<int, char>> ChildProcesses(int Parent)
{
    std::vector<std::pair<int, char>> out;
    for (const QString& name : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const int pid = name.toInt(&number);
        if (!number) continue;
        QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!f.open(QIODevice::ReadOnly)) continue;
        // "pid (command) state ppid ...": the command may hold blanks and brackets.
        const QByteArray stat = f.readAll();
        const QList<QByteArray> rest = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (rest.size() >= 2 && rest[1].toInt() == Parent) out.emplace_back(pid, rest[0].at(0));
    }
    return out;
}

std::vector<int> Zombies(int Parent)
{
    std::vector<int> out;
    for (const auto& [pid, state] : ChildProcesses(Parent))
        if (state == 'Z') out.push_back(pid);
    return out;
}

// A tiny server: one property and one method, for the late-bound layer.
class TCounter : public IDispatch {
public:
    int Value = 0;
    QString TypeName() const override { return QStringLiteral("Counter"); }
    OleVariant Invoke(TInvokeKind k, const QString& n, const OleArgs& a, const OleVariant& v) override
    {
        if (ole::Is(n, "Value")) {
            if (k == TInvokeKind::Put) return Value = v.ToInt(), OleVariant();
            return OleVariant(Value);
        }
        if (ole::Is(n, "Add")) {
            if (a.size() != 1) ole::BadArguments(this, n);
            Value += a[0].ToInt();
            return OleVariant(Value);
        }
        ole::UnknownMember(this, n);
    }
};

TEST(OleVariantTest, CallsByNameAndReportsMisuseAsOleErrors)
{
    OleVariant c(IDispatchPtr(std::make_shared<TCounter>()));
    c.Set("value", 5);
    EXPECT_EQ(c.Call("ADD", {3}).ToInt(), 8);
    EXPECT_EQ(c.Get("Value").ToInt(), 8);
    EXPECT_THROW(c.Get("Nope"), EOleError);
    EXPECT_THROW(c.Call("Add"), EOleError);
    EXPECT_THROW(OleVariant(3).Get("Value"), EOleError);      // not an object
    EXPECT_THROW(c.ToString(), EOleError);                      // an object is no value

    OleVariant arr = VarArrayCreate({0, 2, 0, 3});
    ASSERT_TRUE(arr.IsArray());
    EXPECT_EQ(arr.Array()->RowCount(), 3);
    EXPECT_EQ(arr.Array()->ColCount(), 4);
    arr.Array()->Put(2, 3, QStringLiteral("x"));
    EXPECT_EQ(arr.Array()->At(2, 3).toString(), QStringLiteral("x"));
    EXPECT_FALSE(arr.Array()->At(0, 0).isValid());
    EXPECT_THROW(arr.Array()->Put(3, 0, 1), EOleError);
}

TEST(OleServerTest, RegisteredServersReplaceAndUnknownOnesFail)
{
    RegisterOleServer("Test.Counter", {nullptr, [] { return OleVariant(IDispatchPtr(std::make_shared<TCounter>())); }});
    EXPECT_EQ(CreateOleObject("test.counter").Call("Add", {2}).ToInt(), 2);
    EXPECT_THROW(GetActiveOleObject("Test.Counter"), EOleError);
    RegisterOleServer("Test.Counter", {});
    EXPECT_THROW(CreateOleObject("Test.Counter"), EOleError);
    EXPECT_THROW(CreateOleObject("No.Such.Server"), EOleError);
}

TEST(OfficeStartTest, AMissingOfficeIsAnErrorNotAHang)
{
    if (!OfficeSupported()) GTEST_SKIP() << "built without the office client";
    OfficeShutdown(true);   // no office of an earlier test in this process
    TOfficeOptions o = officetest::TestOptions();
    o.PipeName = QStringLiteral("qv-test-nothing-%1").arg(getpid());
    o.Program = QStringLiteral("/nonexistent/soffice");
    SetOfficeOptions(o);
    EXPECT_THROW(GetActiveOleObject("Excel.Application"), EOleError);   // nothing runs on that pipe
    // The start fails at once for what it is, not by waiting out the start
    // timeout for a pipe nobody will open.
    try {
        CreateOleObject("Excel.Application");
        ADD_FAILURE() << "a missing office started";
    } catch (const EOleError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("could not be started"))) << e.Message().toStdString();
        EXPECT_TRUE(e.Message().contains(o.Program)) << e.Message().toStdString();
    }
}

TEST(OfficeStartTest, TheLauncherIsCollectedWhenTheOfficeEndsOnItsOwn)
{
    RequireOffice();
    OleVariant excel = CreateOleObject("Excel.Application");
    excel.Get("WorkBooks").Call("Add").Call("Close", {false});
    const int launcher = OfficeProcessId();
    ASSERT_GT(launcher, 0);
    EXPECT_TRUE(Zombies(getpid()).empty());

    // The office ends without this program asking (the user quits it, or it
    // crashes); its launcher ends with it and must not stay in the process
    // table while the program runs on.
    const auto office = ChildProcesses(launcher);
    ASSERT_FALSE(office.empty());
    for (const auto& [pid, state] : office) ::kill(pid, SIGKILL);
    for (int i = 0; i < 1200 && QFile::exists(QStringLiteral("/proc/%1").arg(launcher)); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(QFile::exists(QStringLiteral("/proc/%1").arg(launcher))) << "the launcher was never collected";
    EXPECT_TRUE(Zombies(getpid()).empty());

    // The next request starts an office again.
    OleVariant again = CreateOleObject("Excel.Application");
    OleVariant book = again.Get("WorkBooks").Call("Add");
    OleVariant cell = book.Get("WorkSheets", {1}).Get("Cells", {1, 1});
    cell.Set("Value", 7);
    EXPECT_EQ(cell.Get("Value").ToInt(), 7);
    book.Call("Close", {false});
    EXPECT_NE(OfficeProcessId(), launcher);
    EXPECT_TRUE(Zombies(getpid()).empty());
}

class ExcelTest : public ::testing::Test {
protected:
    OleVariant Excel, Book, Sheet;
    void SetUp() override
    {
        RequireOffice();
        Excel = CreateOleObject("Excel.Application");
        Book = Excel.Get("WorkBooks").Call("Add");
        Sheet = Book.Get("WorkSheets", {1});
    }
    void TearDown() override
    {
        if (Book.IsDispatch()) try { Book.Call("Close", {false}); } catch (const EOleError&) {}
    }
    OleVariant Cell(int r, int c) { return Sheet.Get("Cells", {r, c}); }
    OleVariant Area(int r1, int c1, int r2, int c2) { return Sheet.Get("Range", {Cell(r1, c1), Cell(r2, c2)}); }
};

TEST_F(ExcelTest, BlockValuesFollowTheInputRules)
{
    // Rows 0..1, columns 0..4; the last column of the array stays outside
    // the range and must not arrive anywhere.
    OleVariant data = VarArrayCreate({0, 1, 0, 4});
    TVarArray* a = data.Array();
    const Variant row0[] = {QStringLiteral("42"), QStringLiteral("-1,5"), QStringLiteral("'0042"), QStringLiteral("'12.05.2024"),
                            QStringLiteral("spill")};
    for (int c = 0; c < 5; ++c) a->Put(0, c, row0[c]);
    a->Put(1, 0, 7);
    a->Put(1, 1, QStringLiteral("text"));
    a->Put(1, 2, QStringLiteral(""));
    // (1, 3) stays unassigned
    Area(1, 1, 3, 4).Set("Value", data);   // one row more than the array

    struct { int r, c; Variant want; } cases[] = {
        {1, 1, 42.0}, {1, 2, -1.5}, {1, 3, QStringLiteral("0042")}, {1, 4, QStringLiteral("12.05.2024")},
        {2, 1, 7.0}, {2, 2, QStringLiteral("text")}, {2, 3, Variant()}, {2, 4, Variant()},
        {3, 1, Variant()}, {1, 5, Variant()},
    };
    for (const auto& k : cases) {
        const Variant got = Cell(k.r, k.c).Get("Value").Value();
        EXPECT_EQ(got.typeId(), k.want.typeId()) << k.r << "," << k.c;
        EXPECT_EQ(got, k.want) << k.r << "," << k.c;
    }
    const OleVariant all = Area(1, 1, 2, 2).Get("Value");
    ASSERT_TRUE(all.IsArray());
    EXPECT_EQ(all.Array()->At(2, 2).toString(), QStringLiteral("text"));   // 1-based like the spreadsheet
}

TEST_F(ExcelTest, FormattingMembersReadBackAsSet)
{
    OleVariant r = Area(3, 1, 4, 3);
    r.Get("Font").Set("Size", 8);
    r.Get("Font").Set("Bold", true);
    r.Get("Interior").Set("ColorIndex", 15);
    r.Set("HorizontalAlignment", 2);
    Area(2, 1, 2, 3).Set("MergeCells", true);
    Area(2, 1, 2, 3).Set("WrapText", true);

    EXPECT_DOUBLE_EQ(Cell(4, 3).Get("Font").Get("Size").ToDouble(), 8.0);
    EXPECT_TRUE(Cell(4, 3).Get("Font").Get("Bold").ToBool());
    EXPECT_FALSE(Cell(5, 3).Get("Font").Get("Bold").ToBool());
    EXPECT_EQ(Cell(3, 1).Get("Interior").Get("ColorIndex").ToInt(), 15);
    EXPECT_EQ(Cell(3, 1).Get("Interior").Get("Color").ToInt(), 0xC0C0C0);   // the palette's light grey
    EXPECT_EQ(Cell(5, 1).Get("Interior").Get("ColorIndex").ToInt(), -4142); // no fill
    EXPECT_EQ(Cell(3, 2).Get("HorizontalAlignment").ToInt(), -4131);        // left
    EXPECT_TRUE(Area(2, 1, 2, 3).Get("MergeCells").ToBool());
    EXPECT_TRUE(Area(2, 1, 2, 3).Get("WrapText").ToBool());
}

TEST_F(ExcelTest, WrongCallsRaiseOleErrors)
{
    EXPECT_THROW(Cell(0, 1), EOleError);
    EXPECT_THROW(Cell(1, 1).Get("NoSuchMember"), EOleError);
    EXPECT_THROW(Cell(1, 1).Call("AutoFit"), EOleError);                   // not rows or columns
    EXPECT_THROW(Cell(1, 1).Set("HorizontalAlignment", 99), EOleError);
    EXPECT_THROW(Cell(1, 1).Get("Interior").Set("ColorIndex", 57), EOleError);
    EXPECT_THROW(Book.Get("WorkSheets", {9}), EOleError);
    EXPECT_THROW(Excel.Get("WorkBooks").Call("Add", {QStringLiteral("/nonexistent/template.ots")}), EOleError);
}

// A template that is no workbook (a text, a word-processor document, an empty
// file, a damaged package, a folder) is an error, the file stays as it was,
// and the office goes on serving.
TEST_F(ExcelTest, TemplatesThatAreNoWorkbookRaiseAndStayUnchanged)
{
    QTemporaryDir dir;
    QStringList written;
    QByteArray junk("PK\x03\x04", 4);
    for (int i = 0; i < 3000; ++i) junk += char((i * 131) % 256);
    const std::pair<const char*, QByteArray> files[] = {
        {"text.ots", QByteArray("Это не шаблон.\r\n")},
        {"empty.ots", QByteArray()},
        {"damaged.ots", junk},
        {"binary.xlt", QByteArray(4096, '\xFF')},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        const QString path = dir.filePath(QString::fromLatin1(name));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        EXPECT_THROW(Excel.Get("WorkBooks").Call("Add", {path}), EOleError);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_TRUE(f.readAll() == bytes);
        // Nothing left beside it (no lock file of the office).
        written << QString::fromLatin1(name);
        written.sort();
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), written);
    }
    EXPECT_THROW(Excel.Get("WorkBooks").Call("Add", {dir.path()}), EOleError);
    // The office still answers.
    Cell(1, 1).Set("Value", QStringLiteral("после"));
    EXPECT_EQ(Cell(1, 1).Get("Value").ToString(), QStringLiteral("после"));
}

TEST_F(ExcelTest, AutoFitSizesColumnsByTheRangeAloneAndShowingStoresTheWorkbook)
{
    Cell(1, 1).Set("Value", QStringLiteral("A very long title that spills over many columns of the sheet"));
    OleVariant data = VarArrayCreate({0, 1, 0, 1});
    data.Array()->Put(0, 0, QStringLiteral("ab"));
    data.Array()->Put(0, 1, QStringLiteral("a much wider cell text"));
    data.Array()->Put(1, 0, QStringLiteral("x"));
    OleVariant table = Area(3, 1, 4, 2);
    table.Set("Value", data);
    table.Get("Columns").Call("AutoFit");
    const double a = Cell(3, 1).Get("Width").ToDouble(), b = Cell(3, 2).Get("Width").ToDouble();
    EXPECT_GT(a, 0);
    EXPECT_LT(a, b);      // the title in A1 did not widen column A
    EXPECT_LT(b, 200);

    const int before = int(OfficeShownDocuments().size());
    Excel.Set("Visible", true);
    ASSERT_EQ(int(OfficeShownDocuments().size()), before + 1);
    const QString file = OfficeShownDocuments().last();
    EXPECT_TRUE(QFileInfo(file).isFile()) << file.toStdString();
    Book = OleVariant();   // shown in a headless office: stored and let go

    OleVariant back = Excel.Get("WorkBooks").Call("Open", {file});
    OleVariant s = back.Get("WorkSheets", {1});
    EXPECT_EQ(s.Get("Cells", {3, 2}).Get("Value").ToString(), QStringLiteral("a much wider cell text"));
    EXPECT_NEAR(s.Get("Cells", {3, 1}).Get("Width").ToDouble(), a, 2.0);
    back.Call("Close");
}

// Columns fitted right after their values were put are measured on our
// side; they must come out as wide as the office's own fitting makes them.
TEST_F(ExcelTest, ColumnsFittedFromTheValuesJustPutMatchTheOfficesOwnFit)
{
    Application->Title();   // texts are measured with the GUI application's fonts
    const QStringList column[4] = {
        {QStringLiteral("Фамилия"), QStringLiteral("Член совета 100000"), QStringLiteral("x")},
        {QStringLiteral("Сумма"), QStringLiteral("1234567"), QStringLiteral("-12,5")},
        {QStringLiteral("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW"), QStringLiteral("'00042"), QStringLiteral("iiii")},
        {QStringLiteral("Price"), QStringLiteral("12345.625"), QStringLiteral("0.333333333333333")}};
    OleVariant data = VarArrayCreate({0, 2, 0, 3});
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 3; ++r) data.Array()->Put(r, c, column[c][r]);
    OleVariant ours = Area(3, 1, 5, 4), office = Area(3, 6, 5, 9);
    ours.Set("Value", data);
    ours.Get("Columns").Call("AutoFit");
    office.Set("Value", data);
    office.Get("Value");   // any other call in between leaves the fitting to the office
    office.Get("Columns").Call("AutoFit");
    for (int c = 1; c <= 4; ++c) {
        const double mine = Cell(3, c).Get("Width").ToDouble(), theirs = Cell(3, c + 5).Get("Width").ToDouble();
        EXPECT_NEAR(mine, theirs, 1.0) << "column " << c;   // points
    }
}

TEST(OfficeWatchdogTest, AnOfficeThatStopsAnsweringGivesAnErrorAndIsReplaced)
{
    RequireOffice();
    TOfficeOptions o = officetest::TestOptions();
    o.CallTimeoutMs = 2000;
    SetOfficeOptions(o);
    OleVariant excel = CreateOleObject("Excel.Application");
    OleVariant book = excel.Get("WorkBooks").Call("Add");
    const int pid = OfficeProcessId();
    ASSERT_GT(pid, 0);
    ::kill(-pid, SIGSTOP);   // the office hangs
    // The watchdog's own timeout ends the call: its message, and a bound
    // far above the 2 s it is set to (a hung call would never come back).
    QElapsedTimer t;
    t.start();
    try {
        book.Get("WorkSheets", {1}).Get("Cells", {1, 1}).Set("Value", 1);
        ADD_FAILURE() << "a call into a stopped office came back";
    } catch (const EOleError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("did not answer within 2 s"))) << e.Message().toStdString();
    }
    EXPECT_LT(t.elapsed(), 30000);
    ::kill(-pid, SIGCONT);   // harmless when the watchdog has ended it
    // The next request starts a new office.
    OleVariant again = CreateOleObject("Excel.Application");
    OleVariant sheet = again.Get("WorkBooks").Call("Add").Get("WorkSheets", {1});
    sheet.Get("Cells", {1, 1}).Set("Value", 5);
    EXPECT_EQ(sheet.Get("Cells", {1, 1}).Get("Value").ToInt(), 5);
    EXPECT_NE(OfficeProcessId(), pid);
}

}  // namespace
