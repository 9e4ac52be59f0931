#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include "platform/os/IniFiles.h"

static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("qorvane.ini"));

    void Put(const QByteArray& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    QByteArray Get() const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    // Everything in the folder but the settings file: temporary files must not stay.
    QStringList Leftovers() const
    {
        QStringList l = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
        l.removeAll(QStringLiteral("qorvane.ini"));
        return l;
    }
};

TEST_F(IniFileTest, ReadStringTrimsRemovesOneMatchingQuotePairAndCaps)
{
    Put("[S]\n"
        "apos='x'\n"
        "dq=\"x\"\n"
        "mixed='x\"\n"
        "twice=''x''\n"
        "one=\"\n"
        "spaced =   a b   \n"
        "empty=\n"
        "long=" + QByteArray(3000, 'z') + "\n");
    TIniFile ini(path);
    struct Case { const char* key; QString want; } cases[] = {
        {"apos", QStringLiteral("x")},    {"dq", QStringLiteral("x")},        {"mixed", QStringLiteral("'x\"")},
        {"twice", QStringLiteral("'x'")}, {"one", QStringLiteral("\"")},      {"spaced", QStringLiteral("a b")},
        {"empty", QString()},             {"long", QString(2047, QLatin1Char('z'))},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QLatin1String(c.key), QStringLiteral("def")), c.want) << c.key;
    EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("absent"), QStringLiteral("def")), QStringLiteral("def"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("Other"), QStringLiteral("apos"), QStringLiteral("def")), QStringLiteral("def"));
}

TEST_F(IniFileTest, QuotedValueRoundTripsThroughOneMorePairOfQuotes)
{
    // What the settings routines write for the letter x between two apostrophes.
    TIniFile ini(path);
    ini.WriteString(QStringLiteral("S"), QStringLiteral("v"), QStringLiteral("\"'x'\""));
    EXPECT_EQ(Get(), QByteArray("[S]\nv=\"'x'\"\n"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("v"), QString()), QStringLiteral("'x'"));
    // Cyrillic text is stored as UTF-8 and read back as written.
    ini.WriteString(QStringLiteral("Окна"), QStringLiteral("Заголовок"), QStringLiteral("Члены совета"));
    TIniFile again(path);
    EXPECT_EQ(again.ReadString(QStringLiteral("окна"), QStringLiteral("ЗАГОЛОВОК"), QString()), QStringLiteral("Члены совета"));
}

TEST_F(IniFileTest, IntegersHexDecimalAndBooleans)
{
    Put("[N]\nh1=0x1F\nh2=0X10\nh3=0xFFFFFFFF\nneg=-12\nplus=+7\nbare=0x\nbad=12abc\nbadhex=0xZZ\n"
        "big=99999999999\nhexbig=0x100000000\nquoted='5'\nspaced=  42  \nt=1\nf=0\nword=yes\n");
    TIniFile ini(path);
    struct Case { const char* key; int want; } cases[] = {
        {"h1", 31}, {"h2", 16}, {"h3", -1}, {"neg", -12}, {"plus", 7}, {"bare", 99}, {"bad", 99}, {"badhex", 99},
        {"big", 99}, {"hexbig", 99}, {"quoted", 5}, {"spaced", 42}, {"absent", 99},
    };
    for (const Case& c : cases) EXPECT_EQ(ini.ReadInteger(QStringLiteral("N"), QLatin1String(c.key), 99), c.want) << c.key;
    EXPECT_TRUE(ini.ReadBool(QStringLiteral("N"), QStringLiteral("t"), false));
    EXPECT_FALSE(ini.ReadBool(QStringLiteral("N"), QStringLiteral("f"), true));
    EXPECT_TRUE(ini.ReadBool(QStringLiteral("N"), QStringLiteral("word"), true));

    ini.WriteInteger(QStringLiteral("W"), QStringLiteral("i"), -2147483647 - 1);
    ini.WriteBool(QStringLiteral("W"), QStringLiteral("b"), true);
    ini.WriteBool(QStringLiteral("W"), QStringLiteral("c"), false);
    EXPECT_EQ(ini.ReadString(QStringLiteral("W"), QStringLiteral("i"), QString()), QStringLiteral("-2147483648"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("W"), QStringLiteral("b"), QString()), QStringLiteral("1"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("W"), QStringLiteral("c"), QString()), QStringLiteral("0"));
}

TEST_F(IniFileTest, MissingFileReadsEmptyAndFirstWriteCreatesIt)
{
    TIniFile ini(path);
    TStringList l;
    l.Add(QStringLiteral("stale"));
    ini.ReadSections(&l);
    EXPECT_EQ(l.Count(), 0);
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("S")));
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("S"), QStringLiteral("k"), 7), 7);
    ini.EraseSection(QStringLiteral("S"));   // nothing to erase: no file appears
    EXPECT_FALSE(QFile::exists(path));
    ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v"));
    EXPECT_EQ(Get(), QByteArray("[S]\nk=v\n"));
    EXPECT_TRUE(Leftovers().isEmpty());
}

TEST_F(IniFileTest, ReadOnlyFileRaisesOnWriteAndStaysWhole)
{
    const QByteArray before = "; kept\r\n[S]\r\nk=old\r\n";
    Put(before);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    TIniFile ini(path);
    try {
        ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("new"));
        FAIL() << "no error";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Unable to write to ") + path);
    }
    EXPECT_THROW(ini.EraseSection(QStringLiteral("S")), EIniFileException);
    EXPECT_THROW(ini.DeleteKey(QStringLiteral("S"), QStringLiteral("k")), EIniFileException);
    EXPECT_EQ(Get(), before);
    EXPECT_TRUE(Leftovers().isEmpty());
    EXPECT_EQ(ini.ReadString(QStringLiteral("S"), QStringLiteral("k"), QString()), QStringLiteral("old"));
    // Writing what the file already says changes nothing and is no error.
    EXPECT_NO_THROW(ini.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("old")));
}

TEST_F(IniFileTest, WritesThatCannotBeDoneRaiseAndTouchNothing)
{
    const QByteArray before = "[S]\nk=v\n";
    Put(before);
    TIniFile ini(path);
    const struct { QString section, key, value; } bad[] = {
        {QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("two\r\nlines")},
        {QStringLiteral("S"), QStringLiteral("a=b"), QStringLiteral("v")},
        {QStringLiteral("S"), QStringLiteral("[x"), QStringLiteral("v")},
        {QStringLiteral("S"), QStringLiteral(";c"), QStringLiteral("v")},
        {QStringLiteral("A\nB"), QStringLiteral("k"), QStringLiteral("v")},
    };
    for (const auto& b : bad) EXPECT_THROW(ini.WriteString(b.section, b.key, b.value), EIniFileException) << b.key.toStdString();
    EXPECT_EQ(Get(), before);

    TIniFile noFolder(dir.filePath(QStringLiteral("missing/qorvane.ini")));
    EXPECT_THROW(noFolder.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")), EIniFileException);

    // A path that cannot be read as a file is never replaced blind.
    const QString folder = dir.filePath(QStringLiteral("folder.ini"));
    ASSERT_TRUE(QDir().mkdir(folder));
    TIniFile onFolder(folder);
    EXPECT_EQ(onFolder.ReadString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_THROW(onFolder.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")), EIniFileException);
    EXPECT_TRUE(QFileInfo(folder).isDir());
}

TEST_F(IniFileTest, RewriteIsAtomicAndKeepsEverythingElse)
{
    Put("\xEF\xBB\xBF; settings\r\n"
        "[Qorvane]\r\n"
        "Flags=0\r\n"
        "NormPos = 1,2,3,4\r\n"
        "; a note inside\r\n"
        "\r\n"
        "[Other]\r\n"
        "legacy=\xC7\xE0\xF1\xE5\xE4\xE0\xED\xE8\xFF\r\n"
        "odd line without equals\r\n"
        "last=1");
    struct stat before;
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &before), 0);
    // A reader that has the file open keeps seeing the whole old text: the
    // file is replaced, never rewritten in place.
    QFile reader(path);
    ASSERT_TRUE(reader.open(QIODevice::ReadOnly));
    const QByteArray old = Get();
    TIniFile ini(path);
    ini.WriteString(QStringLiteral("QORVANE"), QStringLiteral("normpos"), QStringLiteral("5,6,7,8"));
    ini.WriteString(QStringLiteral("Qorvane"), QStringLiteral("ShowCmd"), QStringLiteral("1"));
    ini.WriteString(QStringLiteral("Other"), QStringLiteral("added"), QStringLiteral("x"));
    ini.WriteString(QStringLiteral("New"), QStringLiteral("k"), QStringLiteral("v"));
    EXPECT_EQ(Get(), QByteArray("\xEF\xBB\xBF; settings\r\n"
                                "[Qorvane]\r\n"
                                "Flags=0\r\n"
                                "NormPos = 5,6,7,8\r\n"
                                "ShowCmd=1\r\n"
                                "; a note inside\r\n"
                                "\r\n"
                                "[Other]\r\n"
                                "legacy=\xC7\xE0\xF1\xE5\xE4\xE0\xED\xE8\xFF\r\n"
                                "odd line without equals\r\n"
                                "last=1\r\n"
                                "added=x\r\n"
                                "\r\n"
                                "[New]\r\n"
                                "k=v"));
    EXPECT_EQ(reader.readAll(), old);
    struct stat after;
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &after), 0);
    EXPECT_EQ(before.st_mode, after.st_mode);
    EXPECT_TRUE(Leftovers().isEmpty());
}

TEST_F(IniFileTest, SectionsAndKeysCompareWithoutCase)
{
    Put("[Main]\nKey=1\n[main]\nkey=shadowed\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString(QStringLiteral("MAIN"), QStringLiteral("kEy"), QString()), QStringLiteral("1"));
    EXPECT_TRUE(ini.ValueExists(QStringLiteral("main"), QStringLiteral("KEY")));
    ini.WriteString(QStringLiteral("mAiN"), QStringLiteral("KEY"), QStringLiteral("2"));
    EXPECT_EQ(Get(), QByteArray("[Main]\nKey=2\n[main]\nkey=shadowed\n"));
    TStringList l;
    ini.ReadSections(&l);
    EXPECT_EQ(l.ToStringList(), QStringList{QStringLiteral("Main")});
}

TEST_F(IniFileTest, EraseSectionDeleteKeyAndListings)
{
    Put("[A]\na1=1\na2='two'\n\n[B]\nb=1\n[a]\nextra=1\n[C]\nc=1\n");
    TIniFile ini(path);
    TStringList l;
    ini.ReadSectionValues(QStringLiteral("A"), &l);
    EXPECT_EQ(l.ToStringList(), (QStringList{QStringLiteral("a1=1"), QStringLiteral("a2=two")}));
    ini.EraseSection(QStringLiteral("a"));
    EXPECT_EQ(Get(), QByteArray("[B]\nb=1\n[C]\nc=1\n"));
    EXPECT_FALSE(ini.SectionExists(QStringLiteral("A")));
    ini.DeleteKey(QStringLiteral("C"), QStringLiteral("C"));
    EXPECT_EQ(Get(), QByteArray("[B]\nb=1\n[C]\n"));
    EXPECT_TRUE(ini.SectionExists(QStringLiteral("C")));
    ini.ReadSection(QStringLiteral("C"), &l);
    EXPECT_EQ(l.Count(), 0);
    ini.ReadSections(&l);
    EXPECT_EQ(l.ToStringList(), (QStringList{QStringLiteral("B"), QStringLiteral("C")}));
}

TEST_F(IniFileTest, ObjectsOnOneFileSeeEachOthersWrites)
{
    TIniFile a(path), b(path);
    EXPECT_EQ(b.ReadString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("none")), QStringLiteral("none"));
    a.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("1"));
    EXPECT_EQ(b.ReadString(QStringLiteral("S"), QStringLiteral("k"), QString()), QStringLiteral("1"));
    b.WriteString(QStringLiteral("S"), QStringLiteral("j"), QStringLiteral("2"));
    a.WriteString(QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("3"));
    EXPECT_EQ(Get(), QByteArray("[S]\nk=3\nj=2\n"));
}

// ------------------------------------------------------------ registry stand-in

class RegIniFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString store = dir.filePath(QStringLiteral("cfg/qorvane/registry.ini"));
    void SetUp() override { TRegIniFile::SetStorageFileName(store); }
    void TearDown() override { TRegIniFile::SetStorageFileName(QString()); }
};

TEST_F(RegIniFileTest, ValuesRoundTripExactlyUnderKeyPath)
{
    TRegIniFile reg(QStringLiteral("Software\\qorvane"));
    const QString tricky = QStringLiteral("  \"'x'\" back\\slash\r\nline  ");
    reg.WriteString(QStringLiteral("TfmMain"), QStringLiteral("Caption"), tricky);
    reg.WriteInteger(QStringLiteral("TfmMain"), QStringLiteral("Flags"), 0x1F);
    EXPECT_EQ(reg.ReadString(QStringLiteral("tfmmain"), QStringLiteral("caption"), QString()), tricky);
    EXPECT_EQ(reg.ReadInteger(QStringLiteral("TfmMain"), QStringLiteral("Flags"), 0), 31);

    QFile f(store);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().startsWith("[HKEY_CURRENT_USER\\Software\\qorvane\\TfmMain]\n"));

    // Another object, another root: another key.
    TRegIniFile other(QStringLiteral("Software\\qorvane"));
    other.SetRootKey(HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(other.OpenKey(QStringLiteral("Software\\qorvane"), false));
    EXPECT_TRUE(other.OpenKey(QStringLiteral("Software\\qorvane"), true));
    EXPECT_EQ(other.ReadString(QStringLiteral("TfmMain"), QStringLiteral("Caption"), QStringLiteral("d")), QStringLiteral("d"));
}

TEST_F(RegIniFileTest, SectionsAreSubkeysAndEraseTakesTheTree)
{
    TRegIniFile reg(QStringLiteral("Software\\qorvane"));
    reg.WriteString(QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("1"));
    reg.WriteString(QStringLiteral("A\\Deep"), QStringLiteral("k"), QStringLiteral("2"));
    reg.WriteString(QStringLiteral("B"), QStringLiteral("k"), QStringLiteral("3"));
    TStringList l;
    reg.ReadSections(&l);
    EXPECT_EQ(l.ToStringList(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
    reg.EraseSection(QStringLiteral("a"));
    EXPECT_FALSE(reg.SectionExists(QStringLiteral("A\\Deep")));
    EXPECT_EQ(reg.ReadString(QStringLiteral("B"), QStringLiteral("k"), QString()), QStringLiteral("3"));

    TRegIniFile readOnly(QStringLiteral("Software\\qorvane"), true);
    EXPECT_EQ(readOnly.ReadString(QStringLiteral("B"), QStringLiteral("k"), QString()), QStringLiteral("3"));
    EXPECT_THROW(readOnly.WriteString(QStringLiteral("B"), QStringLiteral("k"), QStringLiteral("4")), ERegistryException);
    EXPECT_THROW(readOnly.EraseSection(QStringLiteral("B")), ERegistryException);
    EXPECT_EQ(reg.ReadString(QStringLiteral("B"), QStringLiteral("k"), QString()), QStringLiteral("3"));
}

}   // namespace

TEST_F(IniFileTest, HeldWritesReachTheFileInOneReplacement)
{
    Put("; kept\r\n[A]\r\nx=1\r\n");
    {
        TIniFile ini(path);
        ini.HoldWrites();
        ini.WriteString(QStringLiteral("A"), QStringLiteral("x"), QStringLiteral("2"));
        ini.WriteInteger(QStringLiteral("B"), QStringLiteral("n"), 7);
        ini.EraseSection(QStringLiteral("C"));
        // The program reads what it wrote; the disk has nothing of it yet.
        EXPECT_EQ(ini.ReadString(QStringLiteral("A"), QStringLiteral("x"), QString()), QStringLiteral("2"));
        EXPECT_EQ(ini.ReadInteger(QStringLiteral("B"), QStringLiteral("n"), 0), 7);
        EXPECT_EQ(Get(), QByteArray("; kept\r\n[A]\r\nx=1\r\n"));
        ini.FlushWrites();
        EXPECT_EQ(Get(), QByteArray("; kept\r\n[A]\r\nx=2\r\n\r\n[B]\r\nn=7\r\n"));
        // Held again and the object freed: what it held is not lost.
        ini.HoldWrites();
        ini.WriteString(QStringLiteral("A"), QStringLiteral("y"), QStringLiteral("3"));
    }
    EXPECT_TRUE(Get().contains("y=3"));
    EXPECT_TRUE(Leftovers().isEmpty());
}
