// Settings-file routines: quoting, dispatch on the settings object, position
// texts per screen size, default names, and the window placement written and
// read back.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "components/AppUtils.h"
#include "platform/os/IniFiles.h"
#include "platform/ui/Forms.h"

namespace {

class TfmSettings : public TForm {
    QV_CLASS(TfmSettings, TForm)
public:
    using TForm::TForm;
};

struct AppUtilsTest : ::testing::Test {
    QTemporaryDir dir;
    QString path;
    std::unique_ptr<TIniFile> ini;
    void SetUp() override
    {
        path = dir.filePath(QStringLiteral("qorvane.ini"));
        ini = std::make_unique<TIniFile>(path);
        Screen->SetMetricsOverride(1024, 768, 96);
    }
    void TearDown() override { Screen->ClearMetricsOverride(); }
    QString Raw() const
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
};

}  // namespace

TEST_F(AppUtilsTest, QuotedValuesReadBackAsWritten)
{
    const QStringList values{QStringLiteral("'x'"), QStringLiteral("\"x\""), QStringLiteral("\""), QStringLiteral("'"),
                             QStringLiteral("'a\""), QStringLiteral("a'b'"), QStringLiteral("Доклад"), QString()};
    for (const QString& v : values) {
        IniWriteString(ini.get(), QStringLiteral("S"), QStringLiteral("K"), v);
        EXPECT_EQ(IniReadString(ini.get(), QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("def")), v) << v.toStdString();
    }
    IniWriteString(ini.get(), QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("'x'"));
    EXPECT_TRUE(Raw().contains(QStringLiteral("K=\"'x'\""))) << Raw().toStdString();
}

TEST_F(AppUtilsTest, RegistryGetsValuesUnchangedAndOtherObjectsGiveDefaults)
{
    TRegIniFile::SetStorageFileName(dir.filePath(QStringLiteral("registry.ini")));
    {
        TRegIniFile reg(QStringLiteral("Software\\qorvane"));
        IniWriteString(&reg, QStringLiteral("TfmMain"), QStringLiteral("K"), QStringLiteral("'x'"));
        EXPECT_EQ(reg.ReadString(QStringLiteral("TfmMain"), QStringLiteral("K"), QString()), QStringLiteral("'x'"));
        IniWriteInteger(&reg, QStringLiteral("TfmMain"), QStringLiteral("N"), -5);
        EXPECT_EQ(IniReadInteger(&reg, QStringLiteral("TfmMain"), QStringLiteral("N"), 0), -5);
        IniEraseSection(&reg, QStringLiteral("TfmMain"));
        EXPECT_EQ(IniReadInteger(&reg, QStringLiteral("TfmMain"), QStringLiteral("N"), 7), 7);
    }
    TRegIniFile::SetStorageFileName(QString());

    TStringList notSettings;
    IniWriteString(&notSettings, QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("v"));
    IniEraseSection(nullptr, QStringLiteral("S"));
    EXPECT_EQ(IniReadString(&notSettings, QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("d")), QStringLiteral("d"));
    EXPECT_EQ(IniReadInteger(nullptr, QStringLiteral("S"), QStringLiteral("K"), 3), 3);
    EXPECT_EQ(notSettings.Count(), 0);
}

TEST_F(AppUtilsTest, PositionTextPrefersTheKeyOfTheCurrentScreenSize)
{
    EXPECT_EQ(ScreenSizeSuffix(), QStringLiteral("(1024x768)"));
    WritePosStr(ini.get(), QStringLiteral("S"), QStringLiteral("NormPos"), QStringLiteral("1,2,3,4"));
    EXPECT_EQ(ini->ReadString(QStringLiteral("S"), QStringLiteral("NormPos(1024x768)"), QString()), QStringLiteral("1,2,3,4"));
    Screen->SetMetricsOverride(1280, 1024, 96);
    WritePosStr(ini.get(), QStringLiteral("S"), QStringLiteral("NormPos"), QStringLiteral("5,6,7,8"));
    // Back at 1024 x 768: the position once saved there wins over the plain key.
    Screen->SetMetricsOverride(1024, 768, 96);
    EXPECT_EQ(ReadPosStr(ini.get(), QStringLiteral("S"), QStringLiteral("NormPos")), QStringLiteral("1,2,3,4"));
    // A size never saved at: the plain key, written last.
    Screen->SetMetricsOverride(800, 600, 96);
    EXPECT_EQ(ReadPosStr(ini.get(), QStringLiteral("S"), QStringLiteral("NormPos")), QStringLiteral("5,6,7,8"));
}

TEST_F(AppUtilsTest, DefaultSectionsAndNames)
{
    auto* form = NewForm<TfmSettings>(nullptr);
    auto* panel = new TWinControl(form);
    panel->SetName(QStringLiteral("Panel1"));
    panel->SetParent(form);
    auto* timer = new TComponent(form);
    timer->SetName(QStringLiteral("Timer1"));
    TWinControl box, edit;
    box.SetName(QStringLiteral("Box"));
    edit.SetName(QStringLiteral("Edit"));
    edit.SetParent(&box);
    TComponent loose;
    loose.SetName(QStringLiteral("Loose"));
    EXPECT_EQ(GetDefaultSection(nullptr), QString());
    EXPECT_EQ(GetDefaultSection(form), QStringLiteral("TfmSettings"));
    EXPECT_EQ(GetDefaultSection(panel), QStringLiteral("TfmSettingsPanel1"));
    EXPECT_EQ(GetDefaultSection(timer), QStringLiteral("TfmSettings.Timer1"));
    EXPECT_EQ(GetDefaultSection(&edit), QStringLiteral("BoxEdit"));
    EXPECT_EQ(GetDefaultSection(&loose), QStringLiteral("Loose"));
    edit.SetParent(nullptr);
    form->Free();

    EXPECT_EQ(GetDefaultIniName(), QStringLiteral("test_components.INI"));
    DefaultIniNameHook = [] { return QStringLiteral("other.ini"); };
    EXPECT_EQ(GetDefaultIniName(), QStringLiteral("other.ini"));
    DefaultIniNameHook = nullptr;
    EXPECT_EQ(GetDefaultIniRegKey(), QStringLiteral("Software\\test_components"));
    RegistryCompanyName = QStringLiteral("Maker");
    RegistryUseAppTitle = true;
    Application->SetTitle(QStringLiteral("Velmora"));
    EXPECT_EQ(GetDefaultIniRegKey(), QStringLiteral("Software\\Maker\\Velmora"));
    RegistryCompanyName.clear();
    RegistryUseAppTitle = false;
    Application->SetTitle(QString());
}

TEST_F(AppUtilsTest, PlacementIsWrittenAndReadBack)
{
    auto* form = NewForm<TfmSettings>(nullptr);
    form->SetBounds(100, 80, 400, 300);
    form->Show();
    WriteFormPlacement(form, ini.get(), QStringLiteral("W"));
    EXPECT_EQ(ini->ReadInteger(QStringLiteral("W"), QStringLiteral("Flags"), -1), 0);
    EXPECT_EQ(ini->ReadInteger(QStringLiteral("W"), QStringLiteral("ShowCmd"), -1), 1);
    EXPECT_EQ(ini->ReadInteger(QStringLiteral("W"), QStringLiteral("PixelsPerInch"), -1), 96);
    EXPECT_EQ(ini->ReadString(QStringLiteral("W"), QStringLiteral("NormPos"), QString()), QStringLiteral("100,80,500,380"));
    EXPECT_EQ(ini->ReadString(QStringLiteral("W"), QStringLiteral("NormPos(1024x768)"), QString()),
              QStringLiteral("100,80,500,380"));
    EXPECT_FALSE(ini->ReadString(QStringLiteral("W"), QStringLiteral("MinMaxPos"), QString()).isEmpty());
    form->Free();

    auto* again = NewForm<TfmSettings>(nullptr);
    again->SetBounds(0, 0, 200, 100);
    ini->WriteInteger(QStringLiteral("W"), QStringLiteral("ShowCmd"), 3);
    ReadFormPlacement(again, ini.get(), QStringLiteral("W"), true, true);
    EXPECT_EQ(again->BoundsRect(), Rect(100, 80, 500, 380));
    EXPECT_EQ(again->WindowState(), wsMaximized);
    EXPECT_FALSE(again->Visible());
    again->Free();
}

TEST_F(AppUtilsTest, OtherPixelsPerInchKeepsThePositionButAppliesTheState)
{
    ini->WriteString(QStringLiteral("W"), QStringLiteral("NormPos"), QStringLiteral("10,20,310,220"));
    ini->WriteInteger(QStringLiteral("W"), QStringLiteral("PixelsPerInch"), 96);
    ini->WriteInteger(QStringLiteral("W"), QStringLiteral("ShowCmd"), 3);
    Screen->SetMetricsOverride(1024, 768, 120);
    auto* form = NewForm<TfmSettings>(nullptr);
    form->SetBounds(50, 60, 200, 100);
    ReadFormPlacement(form, ini.get(), QStringLiteral("W"), true, true);
    EXPECT_EQ(form->BoundsRect(), Bounds(50, 60, 200, 100));
    EXPECT_EQ(form->WindowState(), wsMaximized);
    form->Free();
}

TEST_F(AppUtilsTest, MalformedAndMissingWordsFallBackWordByWord)
{
    struct Case {
        const char* normPos;
        TRect expected;   // the form stands at 50,60 with 200 x 100
    } cases[] = {
        {"15,25", Rect(15, 25, 250, 160)},          // missing right and bottom: the form's own
        {"x,25,300,y", Rect(50, 25, 300, 160)},
        {"15 25 315 225", Rect(15, 25, 315, 225)},  // blanks separate too
        {"15,25,10,200", Bounds(50, 60, 200, 100)}, // right not beyond left: nothing applied
    };
    for (const Case& c : cases) {
        ini->WriteString(QStringLiteral("W"), QStringLiteral("NormPos"), QString::fromLatin1(c.normPos));
        auto* form = NewForm<TfmSettings>(nullptr);
        form->SetBounds(50, 60, 200, 100);
        ReadFormPlacement(form, ini.get(), QStringLiteral("W"), false, true);
        EXPECT_EQ(form->BoundsRect(), c.expected) << c.normPos;
        form->Free();
    }
}

TEST_F(AppUtilsTest, DialogBorderUsesOnlyTheStoredCorner)
{
    ini->WriteString(QStringLiteral("W"), QStringLiteral("NormPos"), QStringLiteral("10,20,910,820"));
    auto* form = NewForm<TfmSettings>(nullptr);
    form->SetBorderStyle(bsDialog);
    form->SetBounds(50, 60, 300, 200);
    ReadFormPlacement(form, ini.get(), QStringLiteral("W"), false, true);
    EXPECT_EQ(form->BoundsRect(), Bounds(10, 20, 300, 200));
    form->Free();
}

TEST_F(AppUtilsTest, FirstStartMaximisesOnlyTheMainMdiFrame)
{
    auto* frame = NewForm<TfmSettings>(nullptr);
    frame->SetFormStyle(fsMDIForm);
    Application->SetMainForm(frame);
    ReadFormPlacement(frame, ini.get(), QStringLiteral("Nothing"), true, true);
    EXPECT_EQ(frame->WindowState(), wsMaximized);
    frame->Show();
    auto* child = new TfmSettings(nullptr);
    child->SetFormStyle(fsMDIChild);
    child->AfterConstruction();
    const TRect before = child->BoundsRect();
    ReadFormPlacement(child, ini.get(), QStringLiteral("Nothing"), true, true);
    EXPECT_EQ(child->WindowState(), wsNormal);
    EXPECT_EQ(child->BoundsRect(), before);
    child->Free();
    Application->SetMainForm(nullptr);
    frame->Free();
}

TEST_F(AppUtilsTest, MinimisedMainFormOpensNormalAndMinimisesTheApplication)
{
    ini->WriteInteger(QStringLiteral("W"), QStringLiteral("ShowCmd"), 6);
    auto* form = NewForm<TfmSettings>(nullptr);
    Application->SetMainForm(form);
    ReadFormPlacement(form, ini.get(), QStringLiteral("W"), true, false);
    EXPECT_EQ(form->WindowState(), wsNormal);
    EXPECT_FALSE(IsIconic(Application->Handle()));   // posted, not yet done
    Application->ProcessMessages();
    EXPECT_TRUE(IsIconic(Application->Handle()));
    // Saved now, the main form's show command tells it was minimised.
    WriteFormPlacement(form, ini.get(), QStringLiteral("Saved"));
    EXPECT_EQ(ini->ReadInteger(QStringLiteral("Saved"), QStringLiteral("ShowCmd"), 0), 2);
    Application->Restore();
    Application->SetMainForm(nullptr);
    form->Free();
}
