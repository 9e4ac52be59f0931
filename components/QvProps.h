#pragma once
// Published-property storage: turns published properties of components into
// texts of the settings file and back, by their run-time descriptions
// (platform/core/TypInfo.h). It knows nothing of files: it reads, writes and
// erases through three callbacks.
//
// A stored-list entry is a component name, "." and a property name; it lands
// under the key <component>_<property> of the section. Values: integers and
// colours as signed decimals, Booleans "True"/"False", enumerations by name,
// sets as "[fsBold,fsItalic]", floats with "." as decimal separator. A string
// list goes to its own section "<section>.<key>" (Count, Item0, Item1, ...); a
// collection writes "<key>.Count" in the section and its items, each with the
// prefix Item<i>_, into the section "<section>.<key>"; other objects (fonts,
// titles) are stored property by property under the key prefix.
//
// A stored count is taken only when the file backs it: a string list's count
// when every Item<i> key is there, a collection's changed count when every
// item has a key of its own, and neither beyond MaxStoredItems. Otherwise the
// list or the collection stays as it is (a damaged or hostile file can not
// make the window build a million grid columns).
#include <QString>
#include <functional>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/TypInfo.h"

// Put between a component name (or an item prefix) and a property name.
extern const QString PropNameDelimiter;
// The most items a stored string list or collection is loaded with: well
// beyond any grid's columns (the widest here has 14) or pick list, and few
// enough that the window still opens at once.
constexpr int MaxStoredItems = 64;

// The published properties of one object for a set of kinds, sorted by name.
class TPropInfoList : public TObject {
    QV_CLASS(TPropInfoList, TObject)
public:
    TPropInfoList(TObject* AObject, TTypeKinds Filter);
    int Count() const { return int(FList.size()); }
    PPropInfo Items(int i) const { return FList.at(size_t(i)); }
    // Case-insensitive; none when absent.
    PPropInfo Find(const QString& AName) const;
    void Delete(int i);

private:
    std::vector<PPropInfo> FList;
};

using TReadStrEvent = std::function<QString(const QString& ASection, const QString& Item, const QString& Default)>;
using TWriteStrEvent = std::function<void(const QString& ASection, const QString& Item, const QString& Value)>;
using TEraseSectEvent = std::function<void(const QString& ASection)>;

class TPropsStorage : public TObject {
    QV_CLASS(TPropsStorage, TObject)
public:
    TPropsStorage() = default;

    TObject* AObject() const { return FObject; }
    void SetAObject(TObject* v) { FObject = v; }
    TComponent* Owner() const { return FOwner; }
    QString Prefix() const { return FPrefix; }
    void SetPrefix(const QString& v) { FPrefix = v; }
    QString Section() const { return FSection; }
    void SetSection(const QString& v) { FSection = v; }

    TReadStrEvent OnReadString;
    TWriteStrEvent OnWriteString;
    TEraseSectEvent OnEraseSection;

    // One property of the current object. Loading never raises: a property
    // that cannot be read back keeps its value.
    void StoreAnyProperty(PPropInfo PropInfo);
    void LoadAnyProperty(PPropInfo PropInfo);
    // Every entry of the list (entries that name no component or property are
    // dropped or skipped).
    void StoreObjectsProps(TComponent* AOwner, TStrings* AList);
    void LoadObjectsProps(TComponent* AOwner, TStrings* AList);

    virtual QString ReadString(const QString& ASection, const QString& Item, const QString& Default);
    virtual void WriteString(const QString& ASection, const QString& Item, const QString& Value);
    virtual void EraseSection(const QString& ASection);
    virtual QString GetItemName(const QString& APropName);
    virtual TPropsStorage* CreateInfoStorage();

private:
    // The text of an ordinal, float, string or variant property as stored;
    // false for kinds that are not stored as one text.
    bool ValueText(PPropInfo p, QString& text);
    QString StoreClassProperty(PPropInfo p);
    void LoadClassProperty(PPropInfo p, const QString& text);
    void StoreNested(TObject* obj, const QString& prefix, const QString& section);
    void LoadNested(TObject* obj, const QString& prefix, const QString& section);
    void ObjectsProps(TComponent* AOwner, TStrings* AList, bool store);
    // Whether the section holds any key that storing obj with the prefix writes.
    bool IsStored(TObject* obj, const QString& prefix, const QString& section);
    // Whether count items of the collection are stored in the section.
    bool ItemsStored(TCollection* coll, int count, const QString& section);

    TObject* FObject = nullptr;
    TComponent* FOwner = nullptr;
    QString FPrefix;
    QString FSection;
};

// Entries from last to first: an entry that does not parse is deleted.
// FromForm: the owner's component of that name becomes the entry's object (no
// such component: deleted). Otherwise: an entry without object is deleted, the
// others get their object's current name.
void UpdateStoredList(TComponent* AComponent, TStrings* AStoredList, bool FromForm);
bool ParseStoredItem(const QString& Item, QString& CompName, QString& PropName);
QString CreateStoredItem(const QString& CompName, const QString& PropName);
QString ReplaceCompName(const QString& Item, const QString& CompName);
// The screen's form, or else data module, of that name (case-insensitive).
TComponent* FindFormOrDataModule(const QString& Name);
