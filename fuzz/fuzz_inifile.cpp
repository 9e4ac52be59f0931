// Feeds arbitrary bytes to the settings-file reader as a file on disk, then
// writes, erases and deletes through it and checks that nothing else the file
// said changed and that what was written reads back. The same file is read
// as a window's stored properties too: a collection of columns and a string
// list are loaded from it, whatever counts it claims, and never grow beyond
// what the property storage allows.
#include <QDir>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>

#include "FuzzUtil.h"

#include <cstddef>
#include <cstdint>

#include "components/QvProps.h"
#include "platform/os/IniFiles.h"


namespace {

struct Snapshot {
    QStringList sections;
    QHash<QString, QString> values;   // "section\nkey" (lower case) -> value
};

Snapshot Take(const TIniFile& ini)
{
    Snapshot s;
    TStringList sections, keys;
    ini.ReadSections(&sections);
    s.sections = sections.ToStringList();
    for (const QString& sec : s.sections) {
        ini.ReadSection(sec, &keys);
        for (int i = 0; i < keys.Count(); ++i) {
            s.values.insert(sec.toCaseFolded() + QLatin1Char('\n') + keys[i].toCaseFolded(), ini.ReadString(sec, keys[i], QString()));
            ini.ReadInteger(sec, keys[i], 0);
            ini.ReadBool(sec, keys[i], false);
        }
    }
    return s;
}

// Every value of Before outside the section/key that was touched reads the same.
void CheckKept(const Snapshot& before, const Snapshot& after, const QString& section, const QString& key)
{
    const QString sec = section.toCaseFolded() + QLatin1Char('\n');
    for (auto it = before.values.cbegin(); it != before.values.cend(); ++it) {
        if (it.key().startsWith(sec) && (key.isEmpty() || it.key() == sec + key.toCaseFolded())) continue;
        CHECK(after.values.value(it.key(), QStringLiteral("\x01missing")) == it.value());
    }
}

// A component with stored properties of the shapes a grid has: a collection
// of items with values, a nested object and a string list each, and a list.
class TFuzzTitle : public TPersistent {
    QV_CLASS(TFuzzTitle, TPersistent)
public:
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& v) { FCaption = v; }
    QString FCaption;
};

class TFuzzItem : public TCollectionItem {
    QV_CLASS(TFuzzItem, TCollectionItem)
public:
    using TCollectionItem::TCollectionItem;
    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& v) { FFieldName = v; }
    int Width() const { return FWidth; }
    void SetWidth(int v) { FWidth = v; }
    bool Visible() const { return FVisible; }
    void SetVisible(bool v) { FVisible = v; }
    TFuzzTitle* Title() const { return const_cast<TFuzzTitle*>(&FTitle); }
    void SetTitle(TFuzzTitle* t) { FTitle.FCaption = t->FCaption; }
    TStrings* PickList() const { return const_cast<TStringList*>(&FPickList); }
    void SetPickList(TStrings* l) { FPickList.Assign(l); }
    QString FFieldName;
    int FWidth = 64;
    bool FVisible = true;
    TFuzzTitle FTitle;
    TStringList FPickList;
};

class TFuzzGrid : public TComponent {
    QV_CLASS(TFuzzGrid, TComponent)
public:
    explicit TFuzzGrid(TComponent* owner)
        : TComponent(owner), FColumns(this, [](TCollection* c) { return new TFuzzItem(c); })
    {
    }
    TCollection* Columns() const { return const_cast<TOwnedCollection*>(&FColumns); }
    void SetColumns(TCollection* c) { FColumns.Assign(c); }
    TStrings* Lines() const { return const_cast<TStringList*>(&FLines); }
    void SetLines(TStrings* l) { FLines.Assign(l); }
    TOwnedCollection FColumns;
    TStringList FLines;
};

const TPropertyRegistration regTitle(QStringLiteral("TFuzzTitle"), QString(), [] {
    return std::vector<TPropInfo>{StrProp(QStringLiteral("Caption"), &TFuzzTitle::Caption, &TFuzzTitle::SetCaption)};
});
const TPropertyRegistration regItem(QStringLiteral("TFuzzItem"), QString(), [] {
    return std::vector<TPropInfo>{
        StrProp(QStringLiteral("FieldName"), &TFuzzItem::FieldName, &TFuzzItem::SetFieldName),
        ObjectProp(QStringLiteral("PickList"), RegisterClassType(QStringLiteral("TStrings")), &TFuzzItem::PickList,
                   &TFuzzItem::SetPickList),
        ObjectProp(QStringLiteral("Title"), RegisterClassType(QStringLiteral("TFuzzTitle")), &TFuzzItem::Title,
                   &TFuzzItem::SetTitle),
        OrdProp(QStringLiteral("Visible"), TypeInfoBoolean(), &TFuzzItem::Visible, &TFuzzItem::SetVisible),
        OrdProp(QStringLiteral("Width"), TypeInfoInteger(), &TFuzzItem::Width, &TFuzzItem::SetWidth),
    };
});
const TPropertyRegistration regGrid(QStringLiteral("TFuzzGrid"), QStringLiteral("TComponent"), [] {
    return std::vector<TPropInfo>{
        ObjectProp(QStringLiteral("Columns"), RegisterClassType(QStringLiteral("TCollection")), &TFuzzGrid::Columns,
                   &TFuzzGrid::SetColumns),
        ObjectProp(QStringLiteral("Lines"), RegisterClassType(QStringLiteral("TStrings")), &TFuzzGrid::Lines,
                   &TFuzzGrid::SetLines),
    };
});

// The file's section "S" read as a window's stored properties, the way the
// form storage reads them (section S, keys Grid_Columns.Count, Grid_Lines,
// items in S.Grid_Columns): what is loaded stays within bounds.
void LoadStoredProps(const TIniFile& ini)
{
    TComponent owner;
    owner.SetName(QStringLiteral("fmFuzz"));
    auto* grid = new TFuzzGrid(&owner);
    grid->SetName(QStringLiteral("Grid"));
    for (int i = 0; i < 3; ++i) static_cast<TFuzzItem*>(grid->Columns()->Add())->SetFieldName(QStringLiteral("f%1").arg(i));
    grid->Lines()->Add(QStringLiteral("kept"));
    TStringList list;
    list.Add(QStringLiteral("Grid.Columns"));
    list.Add(QStringLiteral("Grid.Lines"));
    UpdateStoredList(&owner, &list, true);
    TPropsStorage s;
    s.SetSection(QStringLiteral("S"));
    s.OnReadString = [&ini](const QString& sec, const QString& key, const QString& def) {
        return ini.ReadString(sec, key, def);
    };
    s.LoadObjectsProps(&owner, &list);
    const int n = grid->Columns()->Count();
    CHECK(n == 3 || (n >= 0 && n <= MaxStoredItems));
    CHECK(grid->Lines()->Count() == 1 || grid->Lines()->Count() <= MaxStoredItems);
    for (int i = 0; i < n; ++i)
        CHECK(static_cast<TFuzzItem*>(grid->Columns()->Items(i))->PickList()->Count() <= MaxStoredItems);
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 65536) return 0;
    const QTemporaryDir& dir = ScratchDir();
    const QString path = dir.filePath(QStringLiteral("f.ini"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    TIniFile ini(path);
    const Snapshot before = Take(ini);
    LoadStoredProps(ini);

    // Write a plain value into the first section (or a new one) and read it back.
    const QString section = before.sections.isEmpty() ? QStringLiteral("Fuzz") : before.sections.first();
    const QString value = QStringLiteral("v%1 Значение").arg(size);
    try {
        ini.WriteString(section, QStringLiteral("FuzzKey"), value);
    } catch (const EIniFileException&) {
        // Only a name a line cannot hold may refuse.
        CHECK(section.contains(QLatin1Char('\r')) || section.contains(QLatin1Char('\n')));
        return 0;
    }
    TIniFile again(path);
    CHECK(again.ReadString(section, QStringLiteral("fuzzkey"), QString()) == value);
    Snapshot after = Take(again);
    CheckKept(before, after, section, QStringLiteral("FuzzKey"));
    CHECK(after.sections.size() == before.sections.size() + (before.sections.isEmpty() ? 1 : 0));

    // Erase the last section: the others stay as they were.
    if (!before.sections.isEmpty()) {
        const QString last = before.sections.last();
        again.EraseSection(last);
        CHECK(!again.SectionExists(last));
        const Snapshot erased = Take(again);
        for (auto it = after.values.cbegin(); it != after.values.cend(); ++it)
            if (!it.key().startsWith(last.toCaseFolded() + QLatin1Char('\n')))
                CHECK(erased.values.value(it.key(), QStringLiteral("\x01missing")) == it.value());
    }
    // Delete the key that was written.
    if (again.SectionExists(section)) {
        again.DeleteKey(section, QStringLiteral("FUZZKEY"));
        CHECK(!again.ValueExists(section, QStringLiteral("FuzzKey")));
    }
    return 0;
}
