// Published-property storage: keys and value texts of a grid's columns, the
// collection rebuilt or updated in place, sets, Booleans and malformed texts,
// trimmed strings, string lists, references, and stored-list upkeep.
#include <gtest/gtest.h>

#include <map>

#include "components/QvProps.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Graphics.h"

namespace {

// A column collection of the shape the data grid stores.
class TTestTitle : public TPersistent {
    QV_CLASS(TTestTitle, TPersistent)
public:
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v) { FCaption = v; }
    TFont* Font() const { return const_cast<TFont*>(&FFont); }
    void SetFont(TFont* f) { FFont.Assign(f); }
    QString FCaption;
    TFont FFont;
};

class TTestColumn : public TCollectionItem {
    QV_CLASS(TTestColumn, TCollectionItem)
public:
    using TCollectionItem::TCollectionItem;
    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& v) { FFieldName = v; }
    int Width() const { return FWidth; }
    void SetWidth(int v) { FWidth = v; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool v) { FVisible = v; }
    TColor Color() const { return FColor; }
    void SetColor(TColor v) { FColor = v; }
    TFont* Font() const { return const_cast<TFont*>(&FFont); }
    void SetFont(TFont* f) { FFont.Assign(f); }
    TTestTitle* Title() const { return const_cast<TTestTitle*>(&FTitle); }
    void SetTitle(TTestTitle* t) { FTitle.FCaption = t->FCaption; }
    TStrings* PickList() const { return const_cast<TStringList*>(&FPickList); }
    void SetPickList(TStrings* l) { FPickList.Assign(l); }
    TComponent* PopupMenu() const { return FPopup; }
    void SetPopupMenu(TComponent* c) { FPopup = c; }
    double Scale() const { return FScale; }
    void SetScale(double v) { FScale = v; }
    QChar Mark() const { return FMark; }
    void SetMark(QChar c) { FMark = c; }
    QString FFieldName;
    int FWidth = 64;
    bool FVisible = true;
    TColor FColor = clWindow;
    TFont FFont;
    TTestTitle FTitle;
    TStringList FPickList;
    TComponent* FPopup = nullptr;
    double FScale = 1.5;
    QChar FMark = QLatin1Char('a');
    int FNotStored = 0;   // tells an item kept from one made anew
};

class TTestGrid : public TComponent {
    QV_CLASS(TTestGrid, TComponent)
public:
    explicit TTestGrid(TComponent* owner)
        : TComponent(owner), FColumns(this, [](TCollection* c) { return new TTestColumn(c); })
    {
    }
    TCollection* Columns() const { return const_cast<TOwnedCollection*>(&FColumns); }
    void SetColumns(TCollection* c) { FColumns.Assign(c); }
    TTestColumn* Column(int i) const { return static_cast<TTestColumn*>(FColumns.Items(i)); }
    TFontStyles Styles() const { return FStyles; }
    void SetStyles(TFontStyles v) { FStyles = v; }
    QString Title() const { return FTitle; }
    void SetTitle(const QString& v) { FTitle = v; }
    TOwnedCollection FColumns;
    TFontStyles FStyles;
    QString FTitle;
};

const TPropertyRegistration regTitle(QStringLiteral("TTestTitle"), QString(), [] {
    return std::vector<TPropInfo>{
        StrProp(QStringLiteral("Caption"), &TTestTitle::Caption, &TTestTitle::SetCaption),
        ObjectProp(QStringLiteral("Font"), RegisterClassType(QStringLiteral("TFont")), &TTestTitle::Font, &TTestTitle::SetFont),
    };
});
const TPropertyRegistration regColumn(QStringLiteral("TTestColumn"), QString(), [] {
    return std::vector<TPropInfo>{
        OrdProp(QStringLiteral("Color"), RegisterOrdinalType(QStringLiteral("TColor"), tkInteger), &TTestColumn::Color, &TTestColumn::SetColor),
        StrProp(QStringLiteral("FieldName"), &TTestColumn::FieldName, &TTestColumn::SetFieldName),
        ObjectProp(QStringLiteral("Font"), RegisterClassType(QStringLiteral("TFont")), &TTestColumn::Font, &TTestColumn::SetFont),
        OrdProp(QStringLiteral("Mark"), TypeInfoWideChar(), &TTestColumn::Mark, &TTestColumn::SetMark),
        ObjectProp(QStringLiteral("PickList"), RegisterClassType(QStringLiteral("TStrings")), &TTestColumn::PickList, &TTestColumn::SetPickList),
        ObjectProp(QStringLiteral("PopupMenu"), RegisterClassType(QStringLiteral("TComponent")), &TTestColumn::PopupMenu, &TTestColumn::SetPopupMenu),
        FloatProp(QStringLiteral("Scale"), TypeInfoDouble(), &TTestColumn::Scale, &TTestColumn::SetScale),
        ObjectProp(QStringLiteral("Title"), RegisterClassType(QStringLiteral("TTestTitle")), &TTestColumn::Title, &TTestColumn::SetTitle),
        OrdProp(QStringLiteral("Visible"), TypeInfoBoolean(), &TTestColumn::Visible, &TTestColumn::SetVisible),
        OrdProp(QStringLiteral("Width"), TypeInfoInteger(), &TTestColumn::Width, &TTestColumn::SetWidth),
    };
});
const TPropertyRegistration regGrid(QStringLiteral("TTestGrid"), QStringLiteral("TComponent"), [] {
    return std::vector<TPropInfo>{
        ObjectProp(QStringLiteral("Columns"), RegisterClassType(QStringLiteral("TCollection")), &TTestGrid::Columns, &TTestGrid::SetColumns),
        OrdProp(QStringLiteral("Styles"), RegisterSetType(QStringLiteral("TFontStyles"),
                        RegisterEnumType(QStringLiteral("TFontStyle"), {QStringLiteral("fsBold"), QStringLiteral("fsItalic"),
                                                                         QStringLiteral("fsUnderline"), QStringLiteral("fsStrikeOut")})), &TTestGrid::Styles, &TTestGrid::SetStyles),
        StrProp(QStringLiteral("Title"), &TTestGrid::Title, &TTestGrid::SetTitle),
    };
});

// The settings as sections of keys, read and written through the callbacks.
struct Settings {
    std::map<QString, std::map<QString, QString>> sections;
    std::vector<QString> erased;
    void Bind(TPropsStorage& s)
    {
        s.OnReadString = [this](const QString& sec, const QString& key, const QString& def) {
            auto it = sections.find(sec);
            if (it == sections.end() || !it->second.count(key)) return def;
            return it->second[key];
        };
        s.OnWriteString = [this](const QString& sec, const QString& key, const QString& v) { sections[sec][key] = v; };
        s.OnEraseSection = [this](const QString& sec) {
            erased.push_back(sec);
            sections.erase(sec);
        };
    }
    QString Get(const QString& sec, const QString& key) const
    {
        auto it = sections.find(sec);
        if (it == sections.end()) return QStringLiteral("<none>");
        auto k = it->second.find(key);
        return k == it->second.end() ? QStringLiteral("<none>") : k->second;
    }
};

struct QvPropsTest : ::testing::Test {
    TComponent owner;
    TTestGrid* grid;
    TStringList list;
    Settings settings;
    void SetUp() override
    {
        owner.SetName(QStringLiteral("fmRegister"));
        grid = new TTestGrid(&owner);
        grid->SetName(QStringLiteral("DBGrid"));
        list.Add(QStringLiteral("DBGrid.Columns"));
        UpdateStoredList(&owner, &list, true);
    }
    void AddColumns(int n)
    {
        for (int i = 0; i < n; ++i) {
            auto* c = static_cast<TTestColumn*>(grid->Columns()->Add());
            c->SetFieldName(QStringLiteral("f%1").arg(i));
            c->SetWidth(50 + i);
        }
    }
    void Store()
    {
        TPropsStorage s;
        s.SetSection(QStringLiteral("S"));
        settings.Bind(s);
        s.StoreObjectsProps(&owner, &list);
    }
    void Load()
    {
        TPropsStorage s;
        s.SetSection(QStringLiteral("S"));
        settings.Bind(s);
        s.LoadObjectsProps(&owner, &list);
    }
};

}  // namespace

TEST_F(QvPropsTest, ColumnsGoToTheirSubSectionUnderItemKeys)
{
    AddColumns(2);
    TTestColumn* c = grid->Column(0);
    c->Font()->SetStyle(TFontStyles{fsItalic, fsBold});
    c->Title()->SetCaption(QStringLiteral("Дата заседания"));
    c->PickList()->Add(QStringLiteral("Да"));
    c->PickList()->Add(QStringLiteral("Нет"));
    c->SetVisible(false);
    TComponent menu(&owner);
    menu.SetName(QStringLiteral("pmnGrid"));
    grid->Column(1)->SetPopupMenu(&menu);
    grid->Column(1)->SetScale(0.25);
    Store();
    const QString sub = QStringLiteral("S.DBGrid_Columns");
    EXPECT_EQ(settings.Get("S", "DBGrid_Columns.Count"), "2");
    EXPECT_EQ(settings.Get(sub, "Item0_FieldName"), "f0");
    EXPECT_EQ(settings.Get(sub, "Item0_Width"), "50");
    EXPECT_EQ(settings.Get(sub, "Item0_Visible"), "False");
    EXPECT_EQ(settings.Get(sub, "Item0_Color"), "-2147483643");   // clWindow as a signed decimal
    EXPECT_EQ(settings.Get(sub, "Item0_FontStyle"), "[fsBold,fsItalic]");
    EXPECT_EQ(settings.Get(sub, "Item0_FontPitch"), "fpDefault");
    EXPECT_EQ(settings.Get(sub, "Item0_TitleCaption"), "Дата заседания");
    EXPECT_EQ(settings.Get(sub, "Item0_TitleFontName"), c->Title()->Font()->Name());
    EXPECT_EQ(settings.Get(sub, "Item0_PopupMenu"), "<none>");              // no menu: not written
    EXPECT_EQ(settings.Get(sub, "Item1_PopupMenu"), "fmRegister.pmnGrid");  // owner's name and its name
    EXPECT_EQ(settings.Get(sub, "Item1_Scale"), "0.25");
    EXPECT_EQ(settings.Get(sub + ".Item0_PickList", "Count"), "2");
    EXPECT_EQ(settings.Get(sub + ".Item0_PickList", "Item1"), "Нет");
    EXPECT_EQ(settings.Get(sub + ".Item1_PickList", "Count"), "<none>");   // empty list: erased section
    EXPECT_NE(std::find(settings.erased.begin(), settings.erased.end(), sub + ".Item1_PickList"), settings.erased.end());
    menu.SetName(QString());
    grid->Column(1)->SetPopupMenu(nullptr);
}

TEST_F(QvPropsTest, ChangedCountRebuildsEqualCountUpdatesInPlace)
{
    AddColumns(5);
    grid->Column(4)->SetWidth(99);
    Store();
    grid->Columns()->Clear();
    AddColumns(6);
    grid->Column(0)->FNotStored = 1;
    Load();
    ASSERT_EQ(grid->Columns()->Count(), 5);
    EXPECT_EQ(grid->Column(4)->Width(), 99);
    EXPECT_EQ(grid->Column(4)->FieldName(), QStringLiteral("f4"));
    EXPECT_EQ(grid->Column(0)->FNotStored, 0);   // rebuilt from defaults

    grid->Column(2)->SetWidth(1);
    grid->Column(0)->FNotStored = 2;
    Load();
    EXPECT_EQ(grid->Column(0)->FNotStored, 2);   // same count: the same items, updated
    EXPECT_EQ(grid->Column(2)->Width(), 52);

    settings.sections["S"]["DBGrid_Columns.Count"] = QStringLiteral("0");
    Load();
    EXPECT_EQ(grid->Columns()->Count(), 0);
    settings.sections["S"]["DBGrid_Columns.Count"] = QStringLiteral("many");
    AddColumns(2);
    Load();
    EXPECT_EQ(grid->Columns()->Count(), 2);   // a count that is no number keeps the columns
}

TEST_F(QvPropsTest, ACountTheFileDoesNotBackLeavesTheItemsAsTheyAre)
{
    AddColumns(2);
    grid->Column(0)->PickList()->Add(QStringLiteral("Да"));
    Store();
    const QString sub = QStringLiteral("S.DBGrid_Columns"), picks = sub + QStringLiteral(".Item0_PickList");
    // Items stored beyond the limit, each with one key of its own.
    for (int i = 2; i <= MaxStoredItems; ++i)
        settings.sections[sub][QStringLiteral("Item%1_Width").arg(i)] = QStringLiteral("7");
    struct Case {
        QString count;
        int columns;   // after the load; 2 = as they were
    } cases[] = {{QStringLiteral("999999"), 2},
                 {QStringLiteral("2147483647"), 2},
                 {QStringLiteral("-1"), 2},
                 {QString::number(MaxStoredItems + 1), 2},   // backed, but beyond reason
                 {QString::number(MaxStoredItems), MaxStoredItems},
                 {QStringLiteral("1"), 1}};
    for (const Case& c : cases) {
        grid->Columns()->Clear();
        AddColumns(2);
        grid->Column(0)->FNotStored = 3;
        settings.sections["S"]["DBGrid_Columns.Count"] = c.count;
        Load();
        ASSERT_EQ(grid->Columns()->Count(), c.columns) << c.count.toStdString();
        EXPECT_EQ(grid->Column(0)->FNotStored, c.columns == 2 ? 3 : 0) << c.count.toStdString();
        EXPECT_EQ(grid->Column(0)->FieldName(), QStringLiteral("f0"));
    }
    // A gap in the items: the count is not backed.
    for (auto it = settings.sections[sub].begin(); it != settings.sections[sub].end();)
        it = it->first.startsWith(QLatin1String("Item1_")) ? settings.sections[sub].erase(it) : std::next(it);
    settings.sections[sub + ".Item1_PickList"].clear();
    settings.sections["S"]["DBGrid_Columns.Count"] = QStringLiteral("3");
    grid->Columns()->Clear();
    AddColumns(2);
    Load();
    EXPECT_EQ(grid->Columns()->Count(), 2);
    // Into an empty collection: made when backed, left empty when not (the
    // item made to learn the keys is gone again).
    grid->Columns()->Clear();
    Load();
    EXPECT_EQ(grid->Columns()->Count(), 0);
    settings.sections["S"]["DBGrid_Columns.Count"] = QStringLiteral("1");
    Load();
    ASSERT_EQ(grid->Columns()->Count(), 1);
    EXPECT_EQ(grid->Column(0)->FieldName(), QStringLiteral("f0"));

    // A pick list: its count must be backed by every Item key (an empty
    // text is a key too).
    struct ListCase {
        std::map<QString, QString> keys;
        QStringList expected;
    } lists[] = {{{{"Count", "999999"}}, {"Да"}},
                 {{{"Count", "3"}, {"Item0", "a"}, {"Item1", "b"}}, {"Да"}},
                 {{{"Count", "-2"}, {"Item0", "a"}}, {"Да"}},
                 {{{"Count", "2"}, {"Item0", "Нет"}, {"Item1", ""}}, {"Нет", ""}}};
    for (const ListCase& c : lists) {
        grid->Column(0)->PickList()->Clear();
        grid->Column(0)->PickList()->Add(QStringLiteral("Да"));
        settings.sections[picks] = c.keys;
        Load();
        EXPECT_EQ(grid->Column(0)->PickList()->ToStringList(), c.expected) << c.keys.begin()->second.toStdString();
    }
}

TEST_F(QvPropsTest, ValueTextsAreReadTolerantly)
{
    AddColumns(1);
    list.Add(QStringLiteral("DBGrid.Styles"));
    UpdateStoredList(&owner, &list, true);
    const QString sub = QStringLiteral("S.DBGrid_Columns");
    struct Case {
        const char* key;
        const char* text;
        std::function<bool(TTestGrid*)> check;
    } cases[] = {
        {"Item0_Visible", "true", [](TTestGrid* g) { return g->Column(0)->Visible(); }},
        {"Item0_Visible", "Maybe", [](TTestGrid* g) { return !g->Column(0)->Visible(); }},   // unknown name: unchanged
        {"Item0_Width", "12x", [](TTestGrid* g) { return g->Column(0)->Width() == 0; }},      // malformed integer: 0
        {"Item0_Width", " 80 ", [](TTestGrid* g) { return g->Column(0)->Width() == 80; }},
        {"Item0_Scale", "2.5", [](TTestGrid* g) { return g->Column(0)->Scale() == 2.5; }},
        {"Item0_Scale", "abc", [](TTestGrid* g) { return g->Column(0)->Scale() == 1.5; }},   // malformed float: unchanged
        {"Item0_FontStyle", "[ fsItalic , fsBold ]",
         [](TTestGrid* g) { return g->Column(0)->Font()->Style() == TFontStyles{fsBold, fsItalic}; }},
        {"Item0_FontStyle", "[FSBOLD,fsBlah]", [](TTestGrid* g) { return g->Column(0)->Font()->Style() == TFontStyles{fsBold}; }},
        {"Item0_Mark", "Жук", [](TTestGrid* g) { return g->Column(0)->Mark() == QChar(0x0416); }},
        {"Item0_Mark", "", [](TTestGrid* g) { return g->Column(0)->Mark() == QChar(0x0416); }},
        {"Item0_FieldName", "   name  ", [](TTestGrid* g) { return g->Column(0)->FieldName() == QStringLiteral("name"); }},
    };
    for (const Case& c : cases) {
        grid->Column(0)->SetVisible(false);
        grid->Column(0)->SetScale(1.5);
        settings.sections[sub][QString::fromLatin1(c.key)] = QString::fromUtf8(c.text);
        settings.sections["S"]["DBGrid_Columns.Count"] = QStringLiteral("1");
        Load();
        EXPECT_TRUE(c.check(grid)) << c.key << " = " << c.text;
    }
    settings.sections["S"]["DBGrid_Styles"] = QStringLiteral("[fsUnderline,fsStrikeOut]");
    Load();
    EXPECT_EQ(grid->Styles(), (TFontStyles{fsUnderline, fsStrikeOut}));
}

TEST_F(QvPropsTest, StringsAreTrimmedAndEmptyStringListsLeftAlone)
{
    AddColumns(1);
    list.Add(QStringLiteral("DBGrid.Title"));
    UpdateStoredList(&owner, &list, true);
    grid->SetTitle(QStringLiteral("   Заседания  "));
    grid->Column(0)->SetMark(QChar(0x0416));
    Store();
    EXPECT_EQ(settings.Get("S", "DBGrid_Title"), "Заседания");
    EXPECT_EQ(settings.Get("S.DBGrid_Columns", "Item0_Mark"), "Ж");   // the whole character
    grid->SetTitle(QString());
    grid->Column(0)->PickList()->Add(QStringLiteral("kept"));
    Load();
    EXPECT_EQ(grid->Title(), QStringLiteral("Заседания"));
    EXPECT_EQ(grid->Column(0)->PickList()->Count(), 1);   // nothing stored: unchanged
    EXPECT_EQ(grid->Column(0)->Mark(), QChar(0x0416));
}

TEST_F(QvPropsTest, ComponentReferencesResolveThroughTheirRoot)
{
    auto* form = NewForm<TForm>(nullptr);
    form->SetName(QStringLiteral("fmMenus"));
    auto* menu = new TComponent(form);
    menu->SetName(QStringLiteral("pmnGrid"));
    AddColumns(1);
    const QString sub = QStringLiteral("S.DBGrid_Columns");
    settings.sections["S"]["DBGrid_Columns.Count"] = QStringLiteral("1");
    TComponent placeholder;
    grid->Column(0)->SetPopupMenu(&placeholder);
    settings.sections[sub]["Item0_PopupMenu"] = QStringLiteral("FMMENUS.pmnGrid");
    Load();
    EXPECT_EQ(grid->Column(0)->PopupMenu(), menu);
    settings.sections[sub]["Item0_PopupMenu"] = QStringLiteral("fmMenus.missing");
    Load();
    EXPECT_EQ(grid->Column(0)->PopupMenu(), nullptr);
    settings.sections[sub]["Item0_PopupMenu"] = QStringLiteral("(NULL)");
    grid->Column(0)->SetPopupMenu(&placeholder);
    Load();
    EXPECT_EQ(grid->Column(0)->PopupMenu(), nullptr);
    form->Free();
}

TEST_F(QvPropsTest, StoredListEntriesParseBindAndFollowRenames)
{
    struct Case {
        const char* item;
        bool ok;
        const char* comp;
        const char* prop;
    } cases[] = {{"DBGrid.Columns", true, "DBGrid", "Columns"}, {" Panel5 . Height ", true, "Panel5", "Height"},
                 {"a.b.c", true, "a", "b.c"},                   {"Panel5.", false, "", ""},
                 {".Height", false, "", ""},                    {"Panel5", false, "", ""},
                 {"", false, "", ""}};
    for (const Case& c : cases) {
        QString comp, prop;
        EXPECT_EQ(ParseStoredItem(QString::fromLatin1(c.item), comp, prop), c.ok) << c.item;
        if (c.ok) {
            EXPECT_EQ(comp, QString::fromLatin1(c.comp));
            EXPECT_EQ(prop, QString::fromLatin1(c.prop));
        }
    }
    EXPECT_EQ(CreateStoredItem(QStringLiteral("a"), QString()), QString());
    EXPECT_EQ(ReplaceCompName(QStringLiteral("Old.Height"), QStringLiteral("New")), QStringLiteral("New.Height"));

    TStringList l;
    l.SetText(QStringLiteral("DBGrid.Columns\r\nMissing.Height\r\nbroken\r\ndbgrid.Title"));
    UpdateStoredList(&owner, &l, true);
    ASSERT_EQ(l.Count(), 2);
    EXPECT_EQ(l.Objects(1), grid);
    grid->SetName(QStringLiteral("DBGrid2"));
    UpdateStoredList(&owner, &l, false);
    EXPECT_EQ(l.Strings(0), QStringLiteral("DBGrid2.Columns"));
    EXPECT_EQ(l.Strings(1), QStringLiteral("DBGrid2.Title"));
    // A property the component does not have is skipped, the rest stored.
    list.SetText(QStringLiteral("DBGrid2.NoSuch\r\nDBGrid2.Title"));
    UpdateStoredList(&owner, &list, true);
    grid->SetTitle(QStringLiteral("t"));
    Store();
    EXPECT_EQ(settings.Get("S", "DBGrid2_Title"), "t");
    EXPECT_EQ(settings.Get("S", "DBGrid2_NoSuch"), "<none>");
}
