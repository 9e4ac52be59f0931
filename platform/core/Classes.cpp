#include "platform/core/Classes.h"

#include <algorithm>

void TPersistent::Assign(TPersistent* Source)
{
    if (Source) {
        Source->AssignTo(this);
        return;
    }
    throw EConvertError(QStringLiteral("Cannot assign a nil to a %1").arg(ClassName()));
}

void TPersistent::AssignTo(TPersistent* Dest)
{
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2").arg(ClassName(), Dest->ClassName()));
}

// ---------------------------------------------------------------- TComponent

TComponent::TComponent(TComponent* AOwner)
{
    if (AOwner) AOwner->InsertComponent(this);
}

void TComponent::Destroying()
{
    if (FState & csDestroying) return;
    FState |= csDestroying;
    for (TComponent* c : FComponents) c->Destroying();
}

TComponent::~TComponent()
{
    Destroying();
    // Tell everyone who asked, then free what we own (last created first).
    auto notifies = FFreeNotifies;
    FFreeNotifies.clear();
    for (TComponent* c : notifies) {
        c->RemoveFreeNotification(this);
        c->Notification(this, opRemove);
    }
    DestroyComponents();
    if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::DestroyComponents()
{
    while (!FComponents.empty()) {
        TComponent* c = FComponents.back();
        RemoveComponent(c);
        c->BeforeDestruction();
        delete c;
    }
}

void TComponent::SetName(const QString& n)
{
    if (n == FName) return;
    if (!n.isEmpty() && FOwner) {
        TComponent* other = FOwner->FindComponent(n);
        if (other && other != this)
            throw EComponentError(QStringLiteral("A component named %1 already exists").arg(n));
    }
    FName = n;
}

TComponent* TComponent::FindComponent(const QString& name) const
{
    if (name.isEmpty()) return nullptr;
    for (TComponent* c : FComponents)
        if (c->FName.compare(name, Qt::CaseInsensitive) == 0) return c;
    return nullptr;
}

int TComponent::ComponentIndex() const
{
    if (!FOwner) return -1;
    auto& v = FOwner->FComponents;
    auto it = std::find(v.begin(), v.end(), this);
    return it == v.end() ? -1 : int(it - v.begin());
}

void TComponent::InsertComponent(TComponent* c)
{
    if (c->FOwner) c->FOwner->RemoveComponent(c);
    c->FOwner = this;
    FComponents.push_back(c);
    Notification(c, opInsert);
}

void TComponent::RemoveComponent(TComponent* c)
{
    auto it = std::find(FComponents.begin(), FComponents.end(), c);
    if (it == FComponents.end()) return;
    FComponents.erase(it);
    c->FOwner = nullptr;
    if (!(FState & csDestroying)) Notification(c, opRemove);
}

void TComponent::FreeNotification(TComponent* c)
{
    if (!c || c == this) return;
    if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), c) == FFreeNotifies.end()) {
        FFreeNotifies.push_back(c);
        c->FreeNotification(this);
    }
}

void TComponent::RemoveFreeNotification(TComponent* c)
{
    auto it = std::find(FFreeNotifies.begin(), FFreeNotifies.end(), c);
    if (it != FFreeNotifies.end()) {
        FFreeNotifies.erase(it);
        c->RemoveFreeNotification(this);
    }
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation)
{
    if (Operation == opRemove && AComponent)
        RemoveFreeNotification(AComponent);
}

// ------------------------------------------------------------------ TStrings

TStrings::TStrings(const TStrings& o)
    : TPersistent(), FItems(o.FItems), FNameValueSeparator(o.FNameValueSeparator), FDelimiter(o.FDelimiter),
      FQuoteChar(o.FQuoteChar), FCaseSensitive(o.FCaseSensitive)
{
}

TStrings& TStrings::operator=(const TStrings& o)
{
    if (this != &o) {
        FItems = o.FItems;
        FNameValueSeparator = o.FNameValueSeparator;
        FDelimiter = o.FDelimiter;
        FQuoteChar = o.FQuoteChar;
        FCaseSensitive = o.FCaseSensitive;
    }
    return *this;
}

static void CheckIndex(int i, int count)
{
    if (i < 0 || i >= count)
        throw EStringListError(QStringLiteral("List index out of bounds (%1)").arg(i));
}

QString TStrings::Strings(int i) const
{
    CheckIndex(i, Count());
    return FItems[size_t(i)].s;
}

void TStrings::SetStrings(int i, const QString& s)
{
    CheckIndex(i, Count());
    Changing();
    FItems[size_t(i)].s = s;
    Changed();
}

TObject* TStrings::Objects(int i) const
{
    CheckIndex(i, Count());
    return FItems[size_t(i)].o;
}

void TStrings::SetObjects(int i, TObject* o)
{
    CheckIndex(i, Count());
    FItems[size_t(i)].o = o;
}

int TStrings::Add(const QString& s) { return AddObject(s, nullptr); }

int TStrings::AddObject(const QString& s, TObject* o)
{
    int i = Count();
    InsertObject(i, s, o);
    return i;
}

void TStrings::AddStrings(const TStrings& s)
{
    BeginUpdate();
    for (int i = 0; i < s.Count(); ++i) AddObject(s.FItems[size_t(i)].s, s.FItems[size_t(i)].o);
    EndUpdate();
}

void TStrings::Insert(int i, const QString& s) { InsertObject(i, s, nullptr); }

void TStrings::InsertObject(int i, const QString& s, TObject* o)
{
    if (i < 0 || i > Count())
        throw EStringListError(QStringLiteral("List index out of bounds (%1)").arg(i));
    Changing();
    FItems.insert(FItems.begin() + i, Item{s, o});
    Changed();
}

void TStrings::Delete(int i)
{
    CheckIndex(i, Count());
    Changing();
    FItems.erase(FItems.begin() + i);
    Changed();
}

void TStrings::Clear()
{
    if (FItems.empty()) return;
    Changing();
    FItems.clear();
    Changed();
}

void TStrings::Exchange(int i, int j)
{
    CheckIndex(i, Count());
    CheckIndex(j, Count());
    Changing();
    std::swap(FItems[size_t(i)], FItems[size_t(j)]);
    Changed();
}

void TStrings::Move(int from, int to)
{
    if (from == to) return;
    CheckIndex(from, Count());
    CheckIndex(to, Count());
    Changing();
    Item it = FItems[size_t(from)];
    FItems.erase(FItems.begin() + from);
    FItems.insert(FItems.begin() + to, it);
    Changed();
}

int TStrings::CompareStrings(const QString& a, const QString& b) const
{
    return FCaseSensitive ? AnsiCompareStr(a, b) : AnsiCompareText(a, b);
}

int TStrings::IndexOf(const QString& s) const
{
    for (int i = 0; i < Count(); ++i)
        if (CompareStrings(FItems[size_t(i)].s, s) == 0) return i;
    return -1;
}

int TStrings::IndexOfName(const QString& name) const
{
    for (int i = 0; i < Count(); ++i) {
        const QString& s = FItems[size_t(i)].s;
        int p = s.indexOf(FNameValueSeparator);
        if (p >= 0 && CompareStrings(s.left(p), name) == 0) return i;
    }
    return -1;
}

int TStrings::IndexOfObject(TObject* o) const
{
    for (int i = 0; i < Count(); ++i)
        if (FItems[size_t(i)].o == o) return i;
    return -1;
}

QString TStrings::Names(int i) const
{
    QString s = Strings(i);
    int p = s.indexOf(FNameValueSeparator);
    return p < 0 ? QString() : s.left(p);
}

QString TStrings::ValueFromIndex(int i) const
{
    QString s = Strings(i);
    int p = s.indexOf(FNameValueSeparator);
    return p < 0 ? QString() : s.mid(p + 1);
}

QString TStrings::Values(const QString& name) const
{
    int i = IndexOfName(name);
    return i < 0 ? QString() : ValueFromIndex(i);
}

void TStrings::SetValues(const QString& name, const QString& value)
{
    int i = IndexOfName(name);
    if (value.isEmpty()) {
        if (i >= 0) Delete(i);
        return;
    }
    QString line = name + FNameValueSeparator + value;
    if (i < 0)
        Add(line);
    else
        SetStrings(i, line);
}

QString TStrings::Text() const
{
    QString r;
    for (const Item& it : FItems) {
        r += it.s;
        r += QLatin1String("\r\n");
    }
    return r;
}

void TStrings::SetText(const QString& t)
{
    BeginUpdate();
    Clear();
    int start = 0, n = t.size();
    int i = 0;
    while (i < n) {
        QChar c = t[i];
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n')) {
            Add(t.mid(start, i - start));
            if (c == QLatin1Char('\r') && i + 1 < n && t[i + 1] == QLatin1Char('\n')) ++i;
            start = i + 1;
        }
        ++i;
    }
    if (start < n) Add(t.mid(start));
    EndUpdate();
}

QString TStrings::DelimitedText() const
{
    QString r;
    for (int i = 0; i < Count(); ++i) {
        const QString& s = FItems[size_t(i)].s;
        bool needQuote = s.isEmpty() && Count() == 1;
        for (QChar c : s)
            if (c.unicode() <= ' ' || c == FDelimiter || c == FQuoteChar) { needQuote = true; break; }
        if (i) r += FDelimiter;
        r += needQuote ? QuotedStr(s, FQuoteChar) : s;
    }
    return r;
}

void TStrings::SetDelimitedText(const QString& t)
{
    BeginUpdate();
    Clear();
    int i = 0, n = t.size();
    auto skipBlanks = [&] { while (i < n && t[i].unicode() <= ' ' && t[i] != FDelimiter) ++i; };
    skipBlanks();
    while (i < n) {
        QString item;
        if (t[i] == FQuoteChar) {
            ++i;
            while (i < n) {
                if (t[i] == FQuoteChar) {
                    if (i + 1 < n && t[i + 1] == FQuoteChar) { item += FQuoteChar; i += 2; continue; }
                    ++i;
                    break;
                }
                item += t[i++];
            }
        } else {
            while (i < n && t[i].unicode() > ' ' && t[i] != FDelimiter) item += t[i++];
        }
        Add(item);
        skipBlanks();
        if (i < n && t[i] == FDelimiter) {
            ++i;
            skipBlanks();
            if (i >= n) Add(QString());
        }
    }
    EndUpdate();
}

QString TStrings::CommaText() const
{
    TStrings copy(*this);
    copy.FDelimiter = QLatin1Char(',');
    copy.FQuoteChar = QLatin1Char('"');
    return copy.DelimitedText();
}

void TStrings::SetCommaText(const QString& t)
{
    QChar d = FDelimiter, q = FQuoteChar;
    FDelimiter = QLatin1Char(',');
    FQuoteChar = QLatin1Char('"');
    SetDelimitedText(t);
    FDelimiter = d;
    FQuoteChar = q;
}

void TStrings::SetCaseSensitive(bool v) { FCaseSensitive = v; }

void TStrings::BeginUpdate()
{
    if (FUpdateCount++ == 0) Changing();
}

void TStrings::EndUpdate()
{
    if (--FUpdateCount == 0) Changed();
}

void TStrings::Changed()
{
    if (FUpdateCount == 0 && OnChange) OnChange(this);
}

void TStrings::Changing()
{
    if (FUpdateCount == 0 && OnChanging) OnChanging(this);
}

QStringList TStrings::ToStringList() const
{
    QStringList l;
    l.reserve(Count());
    for (const Item& it : FItems) l << it.s;
    return l;
}

void TStrings::SetFromStringList(const QStringList& l)
{
    BeginUpdate();
    Clear();
    for (const QString& s : l) Add(s);
    EndUpdate();
}

void TStrings::Assign(TPersistent* Source)
{
    if (auto* s = dynamic_cast<TStrings*>(Source)) {
        BeginUpdate();
        Clear();
        FNameValueSeparator = s->FNameValueSeparator;
        FDelimiter = s->FDelimiter;
        FQuoteChar = s->FQuoteChar;
        AddStrings(*s);
        EndUpdate();
        return;
    }
    TPersistent::Assign(Source);
}

bool TStrings::Equals(const TStrings& o) const
{
    if (Count() != o.Count()) return false;
    for (int i = 0; i < Count(); ++i)
        if (FItems[size_t(i)].s != o.FItems[size_t(i)].s) return false;
    return true;
}

// --------------------------------------------------------------- TStringList

void TStringList::SetSorted(bool v)
{
    if (v == FSorted) return;
    if (v) Sort();
    FSorted = v;
}

bool TStringList::Find(const QString& s, int& Index) const
{
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int c = CompareStrings(FItems[size_t(mid)].s, s);
        if (c < 0)
            lo = mid + 1;
        else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (FDuplicates != dupAccept) lo = mid;
            }
        }
    }
    Index = lo;
    return found;
}

int TStringList::Add(const QString& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const QString& s, TObject* o)
{
    int i;
    if (!FSorted) {
        i = Count();
    } else if (Find(s, i)) {
        switch (FDuplicates) {
        case dupIgnore: return i;
        case dupError: throw EStringListError(QStringLiteral("String list does not allow duplicates"));
        case dupAccept: break;
        }
    }
    TStrings::InsertObject(i, s, o);
    return i;
}

void TStringList::Insert(int i, const QString& s)
{
    if (FSorted) throw EStringListError(QStringLiteral("Operation not allowed on sorted list"));
    TStrings::Insert(i, s);
}

int TStringList::IndexOf(const QString& s) const
{
    if (!FSorted) return TStrings::IndexOf(s);
    int i;
    return Find(s, i) ? i : -1;
}

void TStringList::Sort()
{
    Changing();
    std::stable_sort(FItems.begin(), FItems.end(),
                     [this](const Item& a, const Item& b) { return CompareStrings(a.s, b.s) < 0; });
    Changed();
}

// --------------------------------------------------------------- collections

// The item joins its collection quietly: the collection is told about it
// (Notify, Update) by Add, once the derived item is whole.
TCollectionItem::TCollectionItem(TCollection* Collection)
{
    if (Collection) Collection->InsertItem(this, false);
}

TCollectionItem::~TCollectionItem()
{
    if (FCollection) FCollection->RemoveItem(this);
}

int TCollectionItem::Index() const
{
    if (!FCollection) return -1;
    auto& v = FCollection->FItems;
    auto it = std::find(v.begin(), v.end(), this);
    return it == v.end() ? -1 : int(it - v.begin());
}

void TCollectionItem::SetIndex(int i)
{
    int cur = Index();
    if (cur < 0 || i == cur || i < 0 || i >= FCollection->Count()) return;
    auto& v = FCollection->FItems;
    v.erase(v.begin() + cur);
    v.insert(v.begin() + i, this);
    Changed(true);
}

void TCollectionItem::Changed(bool AllItems)
{
    if (FCollection && FCollection->FUpdateCount == 0) FCollection->Update(AllItems ? nullptr : this);
}

TCollection::TCollection(ItemFactory factory) : FFactory(std::move(factory)) {}

TCollection::~TCollection()
{
    FUpdateCount = 1;
    Clear();
}

TCollectionItem* TCollection::Add()
{
    TCollectionItem* it = FFactory ? FFactory(this) : new TCollectionItem(this);
    if (it->FCollection != this)
        InsertItem(it, true);
    else {
        Notify(it, true);
        Changed();
    }
    return it;
}

TCollectionItem* TCollection::Insert(int i)
{
    TCollectionItem* it = Add();
    it->SetIndex(i);
    return it;
}

void TCollection::Delete(int i) { delete FItems.at(size_t(i)); }

void TCollection::Clear()
{
    if (FItems.empty()) return;
    BeginUpdate();
    while (!FItems.empty()) delete FItems.back();
    EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int id) const
{
    for (auto* it : FItems)
        if (it->FID == id) return it;
    return nullptr;
}

void TCollection::Assign(TPersistent* Source)
{
    if (auto* c = dynamic_cast<TCollection*>(Source)) {
        BeginUpdate();
        Clear();
        for (auto* src : c->FItems) Add()->Assign(src);
        EndUpdate();
        return;
    }
    TPersistent::Assign(Source);
}

void TCollection::InsertItem(TCollectionItem* item, bool notify)
{
    item->FCollection = this;
    item->FID = FNextID++;
    FItems.push_back(item);
    if (!notify) return;
    Notify(item, true);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* item)
{
    auto it = std::find(FItems.begin(), FItems.end(), item);
    if (it == FItems.end()) return;
    Notify(item, false);
    FItems.erase(it);
    item->FCollection = nullptr;
    Changed();
}
