#include "components/QvProps.h"

#include <QRegularExpression>
#include <algorithm>
#include <memory>

#include "components/qvStrUtils.h"
#include "platform/core/DateTime.h"
#include "platform/core/SysUtils.h"
#include "platform/ui/Forms.h"

const QString PropNameDelimiter = QStringLiteral("_");

static const QString kCount = QStringLiteral("Count");
static const QString kItem = QStringLiteral("Item%1");
// A default no stored text equals (the reader gives it back for a missing key).
static const QString kAbsent = QString(QChar(0xFFFF));

// ------------------------------------------------------------ TPropInfoList

TPropInfoList::TPropInfoList(TObject* AObject, TTypeKinds Filter)
{
    if (AObject) FList = GetPropList(AObject, Filter);
    std::stable_sort(FList.begin(), FList.end(),
                     [](PPropInfo a, PPropInfo b) { return a->Name.compare(b->Name, Qt::CaseInsensitive) < 0; });
}

PPropInfo TPropInfoList::Find(const QString& AName) const
{
    for (PPropInfo p : FList)
        if (p->Name.compare(AName, Qt::CaseInsensitive) == 0) return p;
    return nullptr;
}

void TPropInfoList::Delete(int i)
{
    if (i >= 0 && i < Count()) FList.erase(FList.begin() + i);
}

// ----------------------------------------------------------- stored lists

bool ParseStoredItem(const QString& Item, QString& CompName, QString& PropName)
{
    CompName.clear();
    PropName.clear();
    if (Item.isEmpty()) return false;
    int dot = Item.indexOf(QLatin1Char('.'));
    if (dot < 0) return false;
    CompName = Trim(Item.left(dot));
    PropName = Trim(Item.mid(dot + 1));
    return !CompName.isEmpty() && !PropName.isEmpty();
}

QString CreateStoredItem(const QString& CompName, const QString& PropName)
{
    if (CompName.isEmpty() || PropName.isEmpty()) return QString();
    return CompName + QLatin1Char('.') + PropName;
}

QString ReplaceCompName(const QString& Item, const QString& CompName)
{
    QString comp, prop;
    if (ParseStoredItem(Item, comp, prop)) return CreateStoredItem(CompName, prop);
    return Item;
}

void UpdateStoredList(TComponent* AComponent, TStrings* AStoredList, bool FromForm)
{
    if (!AStoredList) return;
    for (int i = AStoredList->Count() - 1; i >= 0; --i) {
        QString comp, prop;
        if (!ParseStoredItem(AStoredList->Strings(i), comp, prop)) {
            AStoredList->Delete(i);
            continue;
        }
        if (FromForm) {
            TComponent* c = AComponent ? AComponent->FindComponent(comp) : nullptr;
            if (!c)
                AStoredList->Delete(i);
            else
                AStoredList->SetObjects(i, c);
        } else {
            auto* c = dynamic_cast<TComponent*>(AStoredList->Objects(i));
            if (!c)
                AStoredList->Delete(i);
            else
                AStoredList->SetStrings(i, ReplaceCompName(AStoredList->Strings(i), c->Name()));
        }
    }
}

TComponent* FindFormOrDataModule(const QString& Name)
{
    for (int i = 0; i < Screen->FormCount(); ++i)
        if (Screen->Forms(i)->Name().compare(Name, Qt::CaseInsensitive) == 0) return Screen->Forms(i);
    for (int i = 0; i < Screen->DataModuleCount(); ++i)
        if (Screen->DataModules(i)->Name().compare(Name, Qt::CaseInsensitive) == 0) return Screen->DataModules(i);
    return nullptr;
}

// ------------------------------------------------------------ TPropsStorage

QString TPropsStorage::ReadString(const QString& ASection, const QString& Item, const QString& Default)
{
    return OnReadString ? OnReadString(ASection, Item, Default) : QString();
}

void TPropsStorage::WriteString(const QString& ASection, const QString& Item, const QString& Value)
{
    if (OnWriteString) OnWriteString(ASection, Item, Value);
}

void TPropsStorage::EraseSection(const QString& ASection)
{
    if (OnEraseSection) OnEraseSection(ASection);
}

QString TPropsStorage::GetItemName(const QString& APropName) { return FPrefix + APropName; }

TPropsStorage* TPropsStorage::CreateInfoStorage() { return new TPropsStorage; }

namespace {

int FloatPrecision(TFloatType t)
{
    switch (t) {
    case ftSingle: return 7;
    case ftDouble: return 15;
    case ftCurr: return 19;
    default: return 18;   // extended, comp
    }
}

// General format: the shortest text of at most `precision` significant
// digits, with an exponent written as E-5 / E20.
QString GeneralFloat(double v, int precision)
{
    QString s = QString::number(v, 'g', precision);
    int e = s.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        QString mant = s.left(e);
        QString exp = s.mid(e + 1);
        bool neg = exp.startsWith(QLatin1Char('-'));
        if (exp.startsWith(QLatin1Char('+')) || neg) exp = exp.mid(1);
        while (exp.size() > 1 && exp.startsWith(QLatin1Char('0'))) exp = exp.mid(1);
        s = mant + QLatin1Char('E') + (neg ? QStringLiteral("-") : QString()) + exp;
    }
    return s;
}

QString VariantText(const Variant& v)
{
    if (VarIsNull(v)) return QString();
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) return FloatToStr(v.toDouble());
    return v.toString();
}

bool IsStringKind(TTypeKind k) { return k == tkString || k == tkLString || k == tkWString; }

}  // namespace

bool TPropsStorage::ValueText(PPropInfo p, QString& text)
{
    TObject* o = FObject;
    switch (p->Kind()) {
    case tkInteger:
    case tkInt64: text = IntToStr(GetOrdProp(o, p)); return true;
    case tkChar:
    case tkWChar: {
        // The whole character (the old one-byte rule would corrupt any
        // character outside Latin-1).
        qint64 c = GetOrdProp(o, p);
        text = c ? QString(QChar(char16_t(c))) : QString();
        return true;
    }
    case tkEnumeration: text = GetEnumName(p->PropType, int(GetOrdProp(o, p))); return true;
    case tkFloat: {
        text = GeneralFloat(GetFloatProp(o, p), FloatPrecision(p->PropType->FloatType));
        text.replace(FormatSettings().DecimalSeparator, QLatin1Char('.'));
        return true;
    }
    case tkString:
    case tkLString:
    case tkWString: text = GetStrProp(o, p); return true;
    case tkVariant: text = VariantText(GetVariantProp(o, p)); return true;
    case tkSet: {
        const quint64 bits = quint64(GetOrdProp(o, p));
        QStringList names;
        for (int i = 0; i < 32; ++i)
            if (bits & (quint64(1) << i)) names << GetEnumName(p->PropType->CompType, i);
        text = QLatin1Char('[') + names.join(QLatin1Char(',')) + QLatin1Char(']');
        return true;
    }
    default: return false;
    }
}

void TPropsStorage::StoreAnyProperty(PPropInfo PropInfo)
{
    if (!PropInfo || !FObject) return;
    const TTypeKind kind = PropInfo->Kind();
    QString text;
    if (kind == tkClass) {
        text = StoreClassProperty(PropInfo);
    } else if (!ValueText(PropInfo, text)) {
        return;
    }
    text = Trim(text);
    if (!text.isEmpty() || IsStringKind(kind) || kind == tkWChar)
        WriteString(FSection, GetItemName(PropInfo->Name), text);
}

void TPropsStorage::LoadAnyProperty(PPropInfo PropInfo)
{
    if (!PropInfo || !FObject) return;
    try {
        const TTypeKind kind = PropInfo->Kind();
        QString def;
        if (kind != tkClass && !ValueText(PropInfo, def)) return;
        QString text;
        if (!def.isEmpty() || IsStringKind(kind) || kind == tkClass || kind == tkWChar)
            text = Trim(ReadString(FSection, GetItemName(PropInfo->Name), def));
        TObject* o = FObject;
        switch (kind) {
        case tkInteger: SetOrdProp(o, PropInfo, StrToIntDef(text, 0)); break;
        case tkInt64: {
            bool ok = false;
            qint64 v = text.toLongLong(&ok);
            SetOrdProp(o, PropInfo, ok ? v : 0);
            break;
        }
        case tkChar:
        case tkWChar:
            if (!text.isEmpty()) SetOrdProp(o, PropInfo, text.at(0).unicode());
            break;
        case tkEnumeration: {
            int v = GetEnumValue(PropInfo->PropType, text);
            if (v >= 0) SetOrdProp(o, PropInfo, v);
            break;
        }
        case tkFloat: {
            double v;
            QString t = text;
            t.replace(QLatin1Char('.'), FormatSettings().DecimalSeparator);
            if (TryStrToFloat(t, v)) SetFloatProp(o, PropInfo, v);
            break;
        }
        case tkString:
        case tkLString:
        case tkWString: SetStrProp(o, PropInfo, text); break;
        case tkVariant: SetVariantProp(o, PropInfo, Variant(text)); break;
        case tkSet: {
            static const TCharSet delims{u' ', u',', u'[', u']'};
            quint64 bits = 0;
            const int n = WordCount(text, delims);
            for (int i = 1; i <= n; ++i) {
                int v = GetEnumValue(PropInfo->PropType->CompType, ExtractWord(i, text, delims));
                if (v >= 0 && v < 32) bits |= quint64(1) << v;
            }
            SetOrdProp(o, PropInfo, qint64(bits));
            break;
        }
        case tkClass: LoadClassProperty(PropInfo, text); break;
        default: break;
        }
    } catch (...) {
        // The property keeps its value.
    }
}

void TPropsStorage::StoreNested(TObject* obj, const QString& prefix, const QString& section)
{
    std::unique_ptr<TPropsStorage> s(CreateInfoStorage());
    s->FObject = obj;
    s->FOwner = nullptr;
    s->FPrefix = prefix;
    s->FSection = section;
    s->OnWriteString = OnWriteString;
    s->OnEraseSection = OnEraseSection;
    if (!obj) return;
    TPropInfoList props(obj, tkProperties);
    for (int i = 0; i < props.Count(); ++i) s->StoreAnyProperty(props.Items(i));
}

void TPropsStorage::LoadNested(TObject* obj, const QString& prefix, const QString& section)
{
    std::unique_ptr<TPropsStorage> s(CreateInfoStorage());
    s->FObject = obj;
    s->FOwner = nullptr;
    s->FPrefix = prefix;
    s->FSection = section;
    s->OnReadString = OnReadString;
    if (!obj) return;
    TPropInfoList props(obj, tkProperties);
    for (int i = 0; i < props.Count(); ++i) s->LoadAnyProperty(props.Items(i));
}

QString TPropsStorage::StoreClassProperty(PPropInfo p)
{
    TObject* obj = GetObjectProp(FObject, p);
    const QString item = GetItemName(p->Name);
    if (auto* list = dynamic_cast<TStrings*>(obj)) {
        const QString sect = QStringLiteral("%1.%2").arg(FSection, item);
        EraseSection(sect);
        if (list->Count() > 0) {
            WriteString(sect, kCount, IntToStr(list->Count()));
            for (int i = 0; i < list->Count(); ++i) WriteString(sect, kItem.arg(i), list->Strings(i));
        }
    } else if (auto* coll = dynamic_cast<TCollection*>(obj)) {
        const QString sect = QStringLiteral("%1.%2").arg(FSection, item);
        EraseSection(sect);
        WriteString(FSection, QStringLiteral("%1.%2").arg(item, kCount), IntToStr(coll->Count()));
        for (int i = 0; i < coll->Count(); ++i)
            StoreNested(coll->Items(i), kItem.arg(i) + PropNameDelimiter, sect);
    } else if (auto* comp = dynamic_cast<TComponent*>(obj)) {
        QString text = comp->Name();
        if (TComponent* owner = comp->Owner(); owner && owner != FOwner) {
            QString ownerName = owner->Name();
            if (ownerName.isEmpty()) {
                ownerName = owner->ClassName();
                if (ownerName.startsWith(QLatin1Char('T'))) ownerName = ownerName.mid(1);
            }
            text = QStringLiteral("%1.%2").arg(ownerName, comp->Name());
        }
        return text;
    }
    StoreNested(obj, FPrefix + p->Name, FSection);
    return QString();
}

void TPropsStorage::LoadClassProperty(PPropInfo p, const QString& text)
{
    TObject* obj = GetObjectProp(FObject, p);
    if (!obj) return;   // nothing to load into
    const QString item = GetItemName(p->Name);
    if (auto* list = dynamic_cast<TStrings*>(obj)) {
        const QString sect = QStringLiteral("%1.%2").arg(FSection, item);
        const int count = StrToIntDef(Trim(ReadString(sect, kCount, QStringLiteral("0"))), 0);
        QStringList items;
        if (count > 0 && count <= MaxStoredItems) {
            for (int i = 0; i < count; ++i) {
                const QString s = ReadString(sect, kItem.arg(i), kAbsent);
                if (s == kAbsent) break;   // a count the keys do not back: the list stays
                items << s;
            }
        }
        if (count > 0 && items.size() == count) {
            list->BeginUpdate();
            try {
                list->Clear();
                for (const QString& s : items) list->Add(s);
            } catch (...) {
                list->EndUpdate();
                throw;
            }
            list->EndUpdate();
        }
    } else if (auto* coll = dynamic_cast<TCollection*>(obj)) {
        const QString sect = QStringLiteral("%1.%2").arg(FSection, item);
        // A count that is no number keeps the items there are.
        int count = StrToIntDef(
            Trim(ReadString(FSection, QStringLiteral("%1.%2").arg(item, kCount), IntToStr(coll->Count()))),
            coll->Count());
        coll->BeginUpdate();
        try {
            if (count != coll->Count()) {
                // A changed count rebuilds every item, and only when the file
                // holds that many items (no count below 0 or beyond reason):
                // otherwise the items stay as they are.
                if (count < 0 || count > MaxStoredItems || !ItemsStored(coll, count, sect)) {
                    coll->EndUpdate();
                    return;
                }
                coll->Clear();
                for (int i = 0; i < count; ++i) coll->Add();
            }
            for (int i = 0; i < coll->Count(); ++i)
                LoadNested(coll->Items(i), kItem.arg(i) + PropNameDelimiter, sect);
        } catch (...) {
            coll->EndUpdate();
            throw;
        }
        coll->EndUpdate();
    } else if (dynamic_cast<TComponent*>(obj)) {
        if (text.compare(QLatin1String("(null)"), Qt::CaseInsensitive) == 0) {
            SetObjectProp(FObject, p, nullptr);
        } else if (!text.isEmpty()) {
            int dot = text.indexOf(QLatin1Char('.'));
            QString root = dot >= 0 ? text.left(dot) : QString();
            QString name = dot >= 0 ? text.mid(dot + 1) : text;
            TComponent* rootComp = root.isEmpty() ? FOwner : FindFormOrDataModule(root);
            if (rootComp) SetObjectProp(FObject, p, rootComp->FindComponent(name));
        }
        return;
    }
    LoadNested(obj, FPrefix + p->Name, FSection);
}

bool TPropsStorage::IsStored(TObject* obj, const QString& prefix, const QString& section)
{
    if (!obj) return false;
    auto present = [&](const QString& sect, const QString& key) { return ReadString(sect, key, kAbsent) != kAbsent; };
    TPropInfoList props(obj, tkProperties);
    for (int i = 0; i < props.Count(); ++i) {
        PPropInfo p = props.Items(i);
        const QString key = prefix + p->Name;
        if (p->Kind() != tkClass) {
            if (present(section, key)) return true;
            continue;
        }
        TObject* held = GetObjectProp(obj, p);
        if (dynamic_cast<TStrings*>(held)) {
            if (present(QStringLiteral("%1.%2").arg(section, key), kCount)) return true;
        } else if (dynamic_cast<TCollection*>(held)) {
            if (present(section, QStringLiteral("%1.%2").arg(key, kCount))) return true;
        } else if (dynamic_cast<TComponent*>(held)) {
            if (present(section, key)) return true;
        } else if (IsStored(held, key, section)) {
            return true;
        }
    }
    return false;
}

bool TPropsStorage::ItemsStored(TCollection* coll, int count, const QString& section)
{
    if (count == 0) return true;
    // The items' keys, told by the properties of an item of the collection
    // (one made for the look and freed again when it has none).
    const bool made = coll->Count() == 0;
    TCollectionItem* probe = made ? coll->Add() : coll->Items(0);
    bool stored = true;
    for (int i = 0; i < count && stored; ++i) stored = IsStored(probe, kItem.arg(i) + PropNameDelimiter, section);
    if (made) delete probe;
    return stored;
}

void TPropsStorage::ObjectsProps(TComponent* AOwner, TStrings* AList, bool store)
{
    if (!AList) return;
    UpdateStoredList(AOwner, AList, false);
    // The property lists of the stored components, built once, by name.
    struct Info {
        QString name;
        std::unique_ptr<TPropInfoList> props;
    };
    std::vector<Info> infos;
    try {
        for (int i = 0; i < AList->Count(); ++i) {
            QString comp, prop;
            if (!ParseStoredItem(AList->Strings(i), comp, prop)) continue;
            auto it = std::find_if(infos.begin(), infos.end(), [&](const Info& x) {
                return x.name.compare(comp, Qt::CaseInsensitive) == 0;
            });
            if (it == infos.end())
                infos.push_back({comp, std::make_unique<TPropInfoList>(AList->Objects(i), tkProperties)});
        }
        std::sort(infos.begin(), infos.end(),
                  [](const Info& a, const Info& b) { return a.name.compare(b.name, Qt::CaseInsensitive) < 0; });
    } catch (...) {
        return;
    }
    FOwner = AOwner;
    struct ResetOwner {
        TComponent*& o;
        ~ResetOwner() { o = nullptr; }
    } reset{FOwner};
    for (int i = 0; i < AList->Count(); ++i) {
        QString comp, prop;
        if (!ParseStoredItem(AList->Strings(i), comp, prop)) continue;
        FObject = AList->Objects(i);
        FPrefix = comp;
        auto it = std::find_if(infos.begin(), infos.end(),
                               [&](const Info& x) { return x.name.compare(comp, Qt::CaseInsensitive) == 0; });
        if (it == infos.end()) continue;
        FPrefix = comp + PropNameDelimiter;
        PPropInfo p = it->props->Find(prop);
        if (!p) continue;
        if (store)
            StoreAnyProperty(p);
        else
            LoadAnyProperty(p);
    }
}

void TPropsStorage::StoreObjectsProps(TComponent* AOwner, TStrings* AList) { ObjectsProps(AOwner, AList, true); }

void TPropsStorage::LoadObjectsProps(TComponent* AOwner, TStrings* AList) { ObjectsProps(AOwner, AList, false); }
