// Form placement and form storage on a real (offscreen) form: restore on
// show, save on close query or destruction, versions, stored properties and
// values, links, and the window-procedure limits.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "components/Placement.h"
#include "components/QvHook.h"
#include "platform/os/IniFiles.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"

namespace {

class TfmPlaced : public TForm {
    QV_CLASS(TfmPlaced, TForm)
public:
    TFormStorage* Storage;
    TWinControl* Panel1;
    // Outlives the form, so tests can look after freeing it.
    std::shared_ptr<std::vector<QString>> log = std::make_shared<std::vector<QString>>();
    std::vector<QString>& events = *log;
    TRect boundsInOwnShow;
    bool allowClose = true;

    TfmPlaced(TComponent* AOwner, const QString& iniFile, const QString& section = QStringLiteral("Placed"))
        : TForm(AOwner)
    {
        SetBounds(10, 10, 400, 300);
        Panel1 = new TWinControl(this);
        Panel1->SetName(QStringLiteral("Panel1"));
        Panel1->SetParent(this);
        Panel1->SetBounds(0, 0, 120, 50);
        Storage = new TFormStorage(this);
        Storage->SetName(QStringLiteral("FormStorage"));
        Storage->SetIniFileName(iniFile);
        Storage->SetIniSection(section);
        Storage->StoredProps()->Add(QStringLiteral("Panel1.Height"));
        Storage->StoredProps()->Add(QStringLiteral("Gone.Height"));   // names no component: dropped
        Storage->OnSavePlacement = [this](TObject*) { events.push_back(QStringLiteral("save")); };
        Storage->OnRestorePlacement = [this](TObject*) { events.push_back(QStringLiteral("restore")); };
        OnShow = [this](TObject*) {
            events.push_back(QStringLiteral("show"));
            boundsInOwnShow = BoundsRect();
        };
        OnCloseQuery = [this](TObject*, bool& can) {
            events.push_back(QStringLiteral("query"));
            can = allowClose;
        };
        OnDestroy = [this](TObject*) { events.push_back(QStringLiteral("destroy")); };
    }
    int Count(const char* e) const { return int(std::count(events.begin(), events.end(), QString::fromLatin1(e))); }
};

int Count(const std::shared_ptr<std::vector<QString>>& log, const char* e)
{
    return int(std::count(log->begin(), log->end(), QString::fromLatin1(e)));
}

struct PlacementTest : ::testing::Test {
    QTemporaryDir dir;
    QString path;
    void SetUp() override
    {
        path = dir.filePath(QStringLiteral("qorvane.ini"));
        Screen->SetMetricsOverride(1024, 768, 96);
    }
    void TearDown() override { Screen->ClearMetricsOverride(); }
    QString Read(const QString& section, const QString& key) const
    {
        return TIniFile(path).ReadString(section, key, QStringLiteral("<none>"));
    }
    TfmPlaced* Make(const QString& section = QStringLiteral("Placed"))
    {
        return NewForm<TfmPlaced>(nullptr, path, section);
    }
};

}  // namespace

TEST_F(PlacementTest, FormSavesAndRestoresPlacementAndStoredPropertyAcrossCreations)
{
    TfmPlaced* f = Make();
    EXPECT_EQ(f->Storage->StoredProps()->Count(), 1);
    f->Show();
    EXPECT_EQ(f->events, (std::vector<QString>{"restore", "show"}));
    f->SetBounds(150, 120, 500, 350);
    f->Panel1->SetHeight(77);
    f->Close();
    EXPECT_FALSE(f->Visible());
    EXPECT_EQ(Read("Placed", "FormVersion"), "0");
    EXPECT_EQ(Read("Placed", "NormPos"), "150,120,650,470");
    EXPECT_EQ(Read("Placed", "NormPos(1024x768)"), "150,120,650,470");
    EXPECT_EQ(Read("Placed", "ShowCmd"), "1");
    EXPECT_EQ(Read("Placed", "Visible"), "0");
    EXPECT_EQ(Read("Placed", "Panel1_Height"), "77");
    auto log = f->log;
    f->Free();
    EXPECT_EQ(Count(log, "save"), 1);   // the destroy hook did not save again

    TfmPlaced* g = Make();
    g->Show();
    EXPECT_EQ(g->boundsInOwnShow, Rect(150, 120, 650, 470));   // restored before the form's own OnShow
    EXPECT_EQ(g->BoundsRect(), Rect(150, 120, 650, 470));
    EXPECT_EQ(g->Panel1->Height(), 77);
    g->Free();
}

TEST_F(PlacementTest, DestroyWithoutCloseQuerySavesWithVisibleOne)
{
    TfmPlaced* f = Make();
    f->Show();
    f->SetLeft(33);
    f->Free();
    EXPECT_EQ(Read("Placed", "Visible"), "1");
    EXPECT_EQ(Read("Placed", "NormPos"), "33,10,433,310");
}

TEST_F(PlacementTest, NeverRestoredPlacementIsNeverWritten)
{
    TfmPlaced* f = Make();
    f->HandleNeeded();
    f->Close();
    auto log = f->log;
    f->Free();
    EXPECT_EQ(Count(log, "save"), 0);
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(PlacementTest, RefusedCloseQuerySavesNothing)
{
    TfmPlaced* f = Make();
    f->Show();
    f->allowClose = false;
    f->Close();
    EXPECT_TRUE(f->Visible());
    EXPECT_EQ(f->Count("save"), 0);
    f->allowClose = true;
    auto log = f->log;
    f->Free();   // saves from the destroy hook
    EXPECT_EQ(Count(log, "save"), 1);
}

TEST_F(PlacementTest, HigherVersionKeepsTheDesignPlacementAndWritesTheNewVersion)
{
    {
        TIniFile ini(path);
        ini.WriteInteger("Placed", "FormVersion", 1);
        ini.WriteString("Placed", "NormPos", "200,200,600,500");
        ini.WriteString("Placed", "Panel1_Height", "90");
    }
    TfmPlaced* f = NewForm<TfmPlaced>(nullptr, path);
    f->Storage->SetVersion(2);
    f->Show();
    EXPECT_EQ(f->BoundsRect(), Bounds(10, 10, 400, 300));
    EXPECT_EQ(f->Panel1->Height(), 50);
    EXPECT_EQ(f->Count("restore"), 0);
    EXPECT_TRUE(f->Storage->Restored());
    f->Close();
    f->Free();
    EXPECT_EQ(Read("Placed", "FormVersion"), "2");
    EXPECT_EQ(Read("Placed", "NormPos"), "10,10,410,310");
}

TEST_F(PlacementTest, EmptySectionIsTheFormClassAndInactiveStorageStaysOut)
{
    TfmPlaced* f = NewForm<TfmPlaced>(nullptr, path, QString());
    f->Show();
    f->Close();
    f->Free();
    EXPECT_EQ(Read("TfmPlaced", "FormVersion"), "0");

    // Inactive (as the register windows are until their show handler):
    // neither restores nor saves, and the form's own handlers still run.
    auto* g = new TfmPlaced(nullptr, path, QStringLiteral("Inactive"));
    g->Storage->SetActive(false);
    g->AfterConstruction();
    g->Show();
    g->Close();
    auto log = g->log;
    g->Free();
    EXPECT_EQ(*log, (std::vector<QString>{"show", "query", "destroy"}));
    EXPECT_EQ(Read("Inactive", "FormVersion"), "<none>");
}

TEST_F(PlacementTest, ErrorsReachTheErrorDisplayAndTheFormGoesOn)
{
    TDialogRecorder dialogs;
    TfmPlaced* f = Make();
    f->Storage->OnRestorePlacement = [](TObject*) { throw EConvertError(QStringLiteral("broken restore")); };
    f->Show();
    EXPECT_TRUE(f->WindowVisible());
    EXPECT_EQ(f->Count("show"), 1);
    ASSERT_EQ(dialogs.Calls.size(), 1u);
    EXPECT_EQ(dialogs.Last().Text, QStringLiteral("broken restore."));

    // A settings file that cannot be written: the close reports it and closes.
    { TIniFile(path).WriteString("Placed", "x", "1"); }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    f->Close();
    EXPECT_FALSE(f->Visible());
    ASSERT_EQ(dialogs.Calls.size(), 2u);
    EXPECT_TRUE(dialogs.Last().Text.startsWith(QStringLiteral("Unable to write to "))) << dialogs.Last().Text.toStdString();
    f->Free();
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
}

TEST_F(PlacementTest, StoredValuesAreKeyedAndNamesUnique)
{
    TfmPlaced* f = Make();
    TStoredValue* plain = f->Storage->StoredValues()->Add();
    plain->SetName(QStringLiteral("LastPath"));
    TStoredValue* secret = f->Storage->StoredValues()->Add();
    secret->SetName(QStringLiteral("Secret"));
    secret->SetKeyString(QStringLiteral("k"));
    EXPECT_THROW(secret->SetName(QStringLiteral("lastpath")), EStringListError);
    secret->SetName(QStringLiteral("SECRET"));   // its own name in another case is fine
    plain->SetValue(QStringLiteral("/home/x"));
    secret->SetValue(QStringLiteral("abc"));
    plain->OnSave = [](TStoredValue*, Variant& v) { v = v.toString() + QStringLiteral("/"); };
    f->Show();
    f->Close();
    f->Free();
    EXPECT_EQ(Read("Placed", "LastPath"), "/home/x/");
    EXPECT_EQ(Read("Placed", "SECRET"), "0a0908");   // "abc" XOR "k", in hex

    TfmPlaced* g = Make();
    TStoredValue* s = g->Storage->StoredValues()->Add();
    s->SetName(QStringLiteral("Secret"));
    s->SetKeyString(QStringLiteral("k"));
    s->OnRestore = [](TStoredValue*, Variant& v) { v = v.toString().toUpper(); };
    g->Show();
    EXPECT_EQ(s->Value().toString(), QStringLiteral("ABC"));
    EXPECT_EQ(g->Storage->StoredValues()->IndexOf(QStringLiteral("secret")), 0);
    EXPECT_EQ(g->Storage->StoredValues()->IndexOf(QStringLiteral("none")), -1);
    g->Free();
}

TEST_F(PlacementTest, LinksSaveAndLoadWithTheStorage)
{
    TfmPlaced* f = Make();
    TIniLink link;
    std::vector<QString> seen;
    link.OnIniSave = [&](TObject*) {
        seen.push_back(QStringLiteral("save:") + link.RootSection());
        EXPECT_TRUE(link.IniObject());
        dynamic_cast<TCustomIniFile*>(link.IniObject())->WriteString("Placed", "Link", "1");
    };
    link.OnIniLoad = [&](TObject*) { seen.push_back(QStringLiteral("load")); };
    link.SetStorage(f->Storage);
    EXPECT_EQ(f->Storage->LinkCount(), 1);
    f->Show();
    f->Close();
    EXPECT_EQ(seen, (std::vector<QString>{"load", "save:Placed\\"}));
    EXPECT_EQ(Read("Placed", "Link"), "1");
    EXPECT_FALSE(link.IniObject());   // closed again
    link.SetStorage(nullptr);
    EXPECT_EQ(f->Storage->LinkCount(), 0);
    f->Free();
}

TEST_F(PlacementTest, PreventResizeAndLimitsGoThroughTheWindowHook)
{
    TfmPlaced* f = Make();
    f->Show();
    EXPECT_FALSE(f->Storage->WinHook()->ControlHook());   // detached while nothing is limited
    TWindowPlacement wp;
    GetWindowPlacement(f->Handle(), &wp);
    EXPECT_EQ(wp.ptMaxPosition, Point(-4, -4));   // a maximised frame just outside the screen

    f->Storage->SetPreventResize(true);
    Application->ProcessMessages();
    ASSERT_TRUE(f->Storage->WinHook()->ControlHook());
    EXPECT_FALSE(f->BorderIcons().Contains(biMaximize));
    EXPECT_EQ(f->OuterWidget()->minimumSize(), QSize(400, 300));
    EXPECT_EQ(f->OuterWidget()->maximumSize(), QSize(400, 300));
    EXPECT_EQ(f->Perform(WM_NCHITTEST), HTNOWHERE);
    f->Storage->SetPreventResize(false);
    Application->ProcessMessages();
    EXPECT_TRUE(f->BorderIcons().Contains(biMaximize));
    EXPECT_EQ(f->OuterWidget()->minimumSize(), QSize(0, 0));

    f->Storage->MinMaxInfo()->SetMinTrackWidth(250);
    f->Storage->MinMaxInfo()->SetMaxTrackHeight(500);
    Application->ProcessMessages();
    EXPECT_EQ(f->OuterWidget()->minimumWidth(), 250);
    EXPECT_EQ(f->OuterWidget()->maximumHeight(), 500);
    TWinMinMaxInfo none;
    f->Storage->SetMinMaxInfo(&none);
    Application->ProcessMessages();
    EXPECT_EQ(f->OuterWidget()->minimumWidth(), 0);
    f->Free();
}
