#pragma once
// Base classes of the component model: objects, persistent objects, components
// with owners and names, string lists, collections and the event types.
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "platform/core/SysUtils.h"

class TObject {
public:
    virtual ~TObject() = default;
    virtual QString ClassName() const { return QStringLiteral("TObject"); }
    // True when this object's class or one of its bases has the name.
    virtual bool InheritsFrom(const QString& className) const { return className == QLatin1String("TObject"); }
    // Runs while the object is still whole, before its destructors (forms fire
    // OnDestroy here). Free() and owners freeing their components call it.
    virtual void BeforeDestruction() {}
    void Free() { BeforeDestruction(); delete this; }
};

#define QV_CLASS(Name, Base)                                                          \
public:                                                                               \
    QString ClassName() const override { return QStringLiteral(#Name); }              \
    bool InheritsFrom(const QString& c) const override { return c == QLatin1String(#Name) || Base::InheritsFrom(c); }

// Horizontal alignment of a text in its box.
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

using TNotifyEvent = std::function<void(TObject* Sender)>;

class TPersistent : public TObject {
    QV_CLASS(TPersistent, TObject)
public:
    // Copies the state of Source; raises EConvertError when the classes do not match.
    virtual void Assign(TPersistent* Source);
protected:
    virtual void AssignTo(TPersistent* Dest);
};

enum TComponentStateFlag { csLoading = 1, csReading = 2, csWriting = 4, csDestroying = 8, csDesigning = 16 };
enum TOperation { opInsert, opRemove };

class TComponent : public TPersistent {
    QV_CLASS(TComponent, TPersistent)
public:
    explicit TComponent(TComponent* AOwner = nullptr);
    ~TComponent() override;

    TComponent* Owner() const { return FOwner; }
    const QString& Name() const { return FName; }
    void SetName(const QString& n);
    int Tag() const { return FTag; }
    void SetTag(int t) { FTag = t; }

    int ComponentCount() const { return int(FComponents.size()); }
    TComponent* Components(int i) const { return FComponents.at(size_t(i)); }
    // Case-insensitive, like the framework's name lookup.
    TComponent* FindComponent(const QString& name) const;
    int ComponentIndex() const;

    int ComponentState() const { return FState; }
    bool IsLoading() const { return FState & csLoading; }
    bool IsDestroying() const { return FState & csDestroying; }
    // Marks the component and everything it owns as being destroyed, so that
    // none of them reacts to the others going (called before any is freed).
    void Destroying();
    // Frees the owned components, the last created first.
    void DestroyComponents();
    // Marks the component as being read from its definition; Loaded() ends it.
    void BeginLoading() { FState |= csLoading; }
    virtual void Loaded() { FState &= ~csLoading; }

    void InsertComponent(TComponent* c);
    void RemoveComponent(TComponent* c);
    // Asks to be told (Notification opRemove) when c is destroyed.
    void FreeNotification(TComponent* c);
    void RemoveFreeNotification(TComponent* c);

protected:
    virtual void Notification(TComponent* AComponent, TOperation Operation);

private:
    TComponent* FOwner = nullptr;
    QString FName;
    int FTag = 0;
    int FState = 0;
    std::vector<TComponent*> FComponents;
    std::vector<TComponent*> FFreeNotifies;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

// A list of strings with associated objects; name=value pairs; CR LF text.
class TStrings : public TPersistent {
    QV_CLASS(TStrings, TPersistent)
public:
    TStrings() = default;
    TStrings(const TStrings& o);
    TStrings& operator=(const TStrings& o);

    int Count() const { return int(FItems.size()); }
    QString Strings(int i) const;
    QString operator[](int i) const { return Strings(i); }
    void SetStrings(int i, const QString& s);
    TObject* Objects(int i) const;
    void SetObjects(int i, TObject* o);

    virtual int Add(const QString& s);
    virtual int AddObject(const QString& s, TObject* o);
    void AddStrings(const TStrings& s);
    void Append(const QString& s) { Add(s); }
    virtual void Insert(int i, const QString& s);
    void InsertObject(int i, const QString& s, TObject* o);
    virtual void Delete(int i);
    virtual void Clear();
    void Exchange(int i, int j);
    void Move(int from, int to);

    virtual int IndexOf(const QString& s) const;
    int IndexOfName(const QString& name) const;
    int IndexOfObject(TObject* o) const;

    QString Names(int i) const;
    QString ValueFromIndex(int i) const;
    QString Values(const QString& name) const;
    void SetValues(const QString& name, const QString& value);
    QChar NameValueSeparator() const { return FNameValueSeparator; }
    void SetNameValueSeparator(QChar c) { FNameValueSeparator = c; }

    // Lines joined and ended by CR LF; setting splits on CR LF, CR or LF.
    QString Text() const;
    virtual void SetText(const QString& t);
    QString CommaText() const;
    void SetCommaText(const QString& t);
    QChar Delimiter() const { return FDelimiter; }
    void SetDelimiter(QChar c) { FDelimiter = c; }
    QChar QuoteChar() const { return FQuoteChar; }
    void SetQuoteChar(QChar c) { FQuoteChar = c; }
    QString DelimitedText() const;
    void SetDelimitedText(const QString& t);

    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool v);

    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }

    QStringList ToStringList() const;
    void SetFromStringList(const QStringList& l);

    void Assign(TPersistent* Source) override;
    bool Equals(const TStrings& o) const;

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    struct Item { QString s; TObject* o = nullptr; };
    std::vector<Item> FItems;
    virtual void Changed();
    virtual void Changing();
    int CompareStrings(const QString& a, const QString& b) const;

private:
    QChar FNameValueSeparator = QLatin1Char('=');
    QChar FDelimiter = QLatin1Char(',');
    QChar FQuoteChar = QLatin1Char('"');
    bool FCaseSensitive = false;
    int FUpdateCount = 0;
};

// The sortable string list.
class TStringList : public TStrings {
    QV_CLASS(TStringList, TStrings)
public:
    TStringList() = default;
    TStringList(const TStringList& o) = default;
    TStringList& operator=(const TStringList& o) = default;

    bool Sorted() const { return FSorted; }
    void SetSorted(bool v);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates d) { FDuplicates = d; }

    int Add(const QString& s) override;
    int AddObject(const QString& s, TObject* o) override;
    void Insert(int i, const QString& s) override;
    int IndexOf(const QString& s) const override;
    // Binary search of a sorted list; Index is where s is or would go.
    bool Find(const QString& s, int& Index) const;
    void Sort();

private:
    bool FSorted = false;
    TDuplicates FDuplicates = dupIgnore;
};

class TCollection;

class TCollectionItem : public TPersistent {
    QV_CLASS(TCollectionItem, TPersistent)
public:
    explicit TCollectionItem(TCollection* Collection);
    ~TCollectionItem() override;
    TCollection* Collection() const { return FCollection; }
    int Index() const;
    void SetIndex(int i);
    int ID() const { return FID; }
    virtual QString DisplayName() const { return ClassName(); }
protected:
    void Changed(bool AllItems);
private:
    friend class TCollection;
    TCollection* FCollection = nullptr;
    int FID = 0;
};

// A collection owns its items; an item created with a collection is added to it.
class TCollection : public TPersistent {
    QV_CLASS(TCollection, TPersistent)
public:
    using ItemFactory = std::function<TCollectionItem*(TCollection*)>;
    explicit TCollection(ItemFactory factory);
    ~TCollection() override;

    int Count() const { return int(FItems.size()); }
    TCollectionItem* Items(int i) const { return FItems.at(size_t(i)); }
    TCollectionItem* Add();
    TCollectionItem* Insert(int i);
    void Delete(int i);
    void Clear();
    TCollectionItem* FindItemID(int id) const;
    void BeginUpdate() { ++FUpdateCount; }
    void EndUpdate() { if (--FUpdateCount == 0) Changed(); }
    int UpdateCount() const { return FUpdateCount; }
    void Assign(TPersistent* Source) override;
    virtual TPersistent* GetOwner() const { return nullptr; }

protected:
    virtual void Update(TCollectionItem* Item) {}
    virtual void Notify(TCollectionItem* Item, bool added) {}
    void Changed() { if (FUpdateCount == 0) Update(nullptr); }

private:
    friend class TCollectionItem;
    ItemFactory FFactory;
    std::vector<TCollectionItem*> FItems;
    int FNextID = 0;
    int FUpdateCount = 0;
    void InsertItem(TCollectionItem* item, bool notify);
    void RemoveItem(TCollectionItem* item);
};

// A collection with an owner, whose owner is its path root for storage.
class TOwnedCollection : public TCollection {
    QV_CLASS(TOwnedCollection, TCollection)
public:
    TOwnedCollection(TPersistent* AOwner, ItemFactory factory) : TCollection(std::move(factory)), FOwner(AOwner) {}
    TPersistent* GetOwner() const override { return FOwner; }
private:
    TPersistent* FOwner;
};

