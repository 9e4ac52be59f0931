#include "platform/core/TypInfo.h"

#include <memory>

namespace {

struct ClassEntry {
    QString Name;
    QString Parent;
    std::vector<TPropInfo> Props;
};

struct Registry {
    QHash<QString, std::shared_ptr<TTypeInfo>> types;
    QHash<QString, std::shared_ptr<ClassEntry>> classes;
    // Most derived registered class per run-time class name; cleared whenever a
    // class is registered.
    QHash<QString, std::shared_ptr<ClassEntry>> resolved;
};

// Never destroyed: registrations run from static initialisers of other units
// and lookups may run from static destructors.
Registry& Reg()
{
    static Registry* r = new Registry;
    return *r;
}

PTypeInfo MakeType(const QString& name, TTypeKind kind, const QStringList& names = {}, PTypeInfo comp = nullptr,
                   TFloatType ft = ftDouble)
{
    auto& types = Reg().types;
    auto it = types.find(name);
    if (it != types.end()) return it->get();
    auto t = std::make_shared<TTypeInfo>();
    t->Kind = kind;
    t->Name = name;
    t->EnumNames = names;
    t->CompType = comp;
    t->FloatType = ft;
    types.insert(name, t);
    return t.get();
}

int Depth(const ClassEntry* e)
{
    int d = 0;
    auto& classes = Reg().classes;
    QString parent = e->Parent;
    while (!parent.isEmpty() && d < 64) {
        auto it = classes.find(parent);
        if (it == classes.end()) break;
        ++d;
        parent = (*it)->Parent;
    }
    return d;
}

std::shared_ptr<ClassEntry> Resolve(const TObject* obj)
{
    if (!obj) return nullptr;
    Registry& r = Reg();
    const QString cls = obj->ClassName();
    auto hit = r.resolved.find(cls);
    if (hit != r.resolved.end()) return *hit;
    std::shared_ptr<ClassEntry> best;
    int bestDepth = -1;
    for (auto it = r.classes.begin(); it != r.classes.end(); ++it) {
        if (!obj->InheritsFrom(it.key())) continue;
        int d = Depth(it->get());
        if (d > bestDepth) {
            best = *it;
            bestDepth = d;
        }
    }
    r.resolved.insert(cls, best);
    return best;
}

[[noreturn]] void KindError(PPropInfo prop)
{
    throw EPropertyError(QStringLiteral("Invalid property type: %1").arg(prop ? prop->Name : QString()));
}

[[noreturn]] void ReadOnlyError(PPropInfo prop)
{
    throw EPropertyError(QStringLiteral("Property %1 is read-only").arg(prop->Name));
}

bool IsOrdinal(TTypeKind k)
{
    return k == tkInteger || k == tkChar || k == tkEnumeration || k == tkSet || k == tkWChar || k == tkInt64;
}

}  // namespace

PTypeInfo TypeInfoInteger() { static PTypeInfo t = MakeType(QStringLiteral("Integer"), tkInteger); return t; }
PTypeInfo TypeInfoInt64() { static PTypeInfo t = MakeType(QStringLiteral("Int64"), tkInt64); return t; }
PTypeInfo TypeInfoBoolean()
{
    static PTypeInfo t = MakeType(QStringLiteral("Boolean"), tkEnumeration,
                                  {QStringLiteral("False"), QStringLiteral("True")});
    return t;
}
PTypeInfo TypeInfoChar() { static PTypeInfo t = MakeType(QStringLiteral("Char"), tkChar); return t; }
PTypeInfo TypeInfoWideChar() { static PTypeInfo t = MakeType(QStringLiteral("WideChar"), tkWChar); return t; }
PTypeInfo TypeInfoString() { static PTypeInfo t = MakeType(QStringLiteral("String"), tkLString); return t; }
PTypeInfo TypeInfoDouble()
{
    static PTypeInfo t = MakeType(QStringLiteral("Double"), tkFloat, {}, nullptr, ftDouble);
    return t;
}
PTypeInfo TypeInfoSingle()
{
    static PTypeInfo t = MakeType(QStringLiteral("Single"), tkFloat, {}, nullptr, ftSingle);
    return t;
}
PTypeInfo TypeInfoVariant() { static PTypeInfo t = MakeType(QStringLiteral("Variant"), tkVariant); return t; }

PTypeInfo RegisterOrdinalType(const QString& name, TTypeKind kind) { return MakeType(name, kind); }
PTypeInfo RegisterEnumType(const QString& name, const QStringList& names) { return MakeType(name, tkEnumeration, names); }
PTypeInfo RegisterSetType(const QString& name, PTypeInfo memberType) { return MakeType(name, tkSet, {}, memberType); }
PTypeInfo RegisterFloatType(const QString& name, TFloatType ft) { return MakeType(name, tkFloat, {}, nullptr, ft); }
PTypeInfo RegisterClassType(const QString& className) { return MakeType(className, tkClass); }

PTypeInfo FindTypeInfo(const QString& name)
{
    auto& types = Reg().types;
    auto it = types.find(name);
    return it == types.end() ? nullptr : it->get();
}

QString GetEnumName(PTypeInfo type, int value)
{
    if (!type || value < 0 || value >= type->EnumNames.size()) return QString();
    return type->EnumNames.at(value);
}

int GetEnumValue(PTypeInfo type, const QString& name)
{
    if (!type) return -1;
    for (int i = 0; i < type->EnumNames.size(); ++i)
        if (type->EnumNames.at(i).compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

void RegisterPublishedProperties(const QString& className, const QString& parentClassName, std::vector<TPropInfo> props)
{
    auto e = std::make_shared<ClassEntry>();
    e->Name = className;
    e->Parent = parentClassName;
    e->Props = std::move(props);
    Registry& r = Reg();
    r.classes.insert(className, e);
    r.resolved.clear();
}

bool HasPublishedProperties(const QString& className) { return Reg().classes.contains(className); }

std::vector<PPropInfo> GetPropList(const TObject* obj, TTypeKinds kinds)
{
    std::vector<PPropInfo> out;
    auto entry = Resolve(obj);
    if (!entry) return out;
    // Chain from the root ancestor down to the class.
    std::vector<const ClassEntry*> chain;
    auto& classes = Reg().classes;
    for (const ClassEntry* e = entry.get(); e && chain.size() < 64;) {
        chain.insert(chain.begin(), e);
        auto it = classes.find(e->Parent);
        e = (e->Parent.isEmpty() || it == classes.end()) ? nullptr : it->get();
    }
    for (const ClassEntry* e : chain) {
        for (const TPropInfo& p : e->Props) {
            bool replaced = false;
            for (PPropInfo& q : out) {
                if (q->Name.compare(p.Name, Qt::CaseInsensitive) == 0) {
                    q = &p;
                    replaced = true;
                    break;
                }
            }
            if (!replaced) out.push_back(&p);
        }
    }
    std::vector<PPropInfo> filtered;
    for (PPropInfo p : out)
        if (kinds.Contains(p->Kind())) filtered.push_back(p);
    return filtered;
}

PPropInfo GetPropInfo(const TObject* obj, const QString& name, TTypeKinds kinds)
{
    for (PPropInfo p : GetPropList(obj, kinds))
        if (p->Name.compare(name, Qt::CaseInsensitive) == 0) return p;
    return nullptr;
}

bool IsPublishedProp(const TObject* obj, const QString& name) { return GetPropInfo(obj, name) != nullptr; }

qint64 GetOrdProp(TObject* obj, PPropInfo prop)
{
    if (!prop || !IsOrdinal(prop->Kind()) || !prop->GetOrd) KindError(prop);
    return prop->GetOrd(obj);
}

void SetOrdProp(TObject* obj, PPropInfo prop, qint64 value)
{
    if (!prop || !IsOrdinal(prop->Kind())) KindError(prop);
    if (!prop->SetOrd) ReadOnlyError(prop);
    prop->SetOrd(obj, value);
}

qint64 GetInt64Prop(TObject* obj, PPropInfo prop) { return GetOrdProp(obj, prop); }
void SetInt64Prop(TObject* obj, PPropInfo prop, qint64 value) { SetOrdProp(obj, prop, value); }

double GetFloatProp(TObject* obj, PPropInfo prop)
{
    if (!prop || prop->Kind() != tkFloat || !prop->GetFloat) KindError(prop);
    return prop->GetFloat(obj);
}

void SetFloatProp(TObject* obj, PPropInfo prop, double value)
{
    if (!prop || prop->Kind() != tkFloat) KindError(prop);
    if (!prop->SetFloat) ReadOnlyError(prop);
    prop->SetFloat(obj, value);
}

QString GetStrProp(TObject* obj, PPropInfo prop)
{
    if (!prop) KindError(prop);
    TTypeKind k = prop->Kind();
    if ((k == tkString || k == tkLString || k == tkWString) && prop->GetStr) return prop->GetStr(obj);
    KindError(prop);
}

void SetStrProp(TObject* obj, PPropInfo prop, const QString& value)
{
    if (!prop) KindError(prop);
    TTypeKind k = prop->Kind();
    if (k != tkString && k != tkLString && k != tkWString) KindError(prop);
    if (!prop->SetStr) ReadOnlyError(prop);
    prop->SetStr(obj, value);
}

Variant GetVariantProp(TObject* obj, PPropInfo prop)
{
    if (!prop || prop->Kind() != tkVariant || !prop->GetVar) KindError(prop);
    return prop->GetVar(obj);
}

void SetVariantProp(TObject* obj, PPropInfo prop, const Variant& value)
{
    if (!prop || prop->Kind() != tkVariant) KindError(prop);
    if (!prop->SetVar) ReadOnlyError(prop);
    prop->SetVar(obj, value);
}

TObject* GetObjectProp(TObject* obj, PPropInfo prop)
{
    if (!prop || prop->Kind() != tkClass || !prop->GetObj) KindError(prop);
    return prop->GetObj(obj);
}

void SetObjectProp(TObject* obj, PPropInfo prop, TObject* value)
{
    if (!prop || prop->Kind() != tkClass) KindError(prop);
    if (!prop->SetObj) ReadOnlyError(prop);
    prop->SetObj(obj, value);
}

QString GetEnumProp(TObject* obj, PPropInfo prop)
{
    if (!prop || prop->Kind() != tkEnumeration) KindError(prop);
    return GetEnumName(prop->PropType, int(GetOrdProp(obj, prop)));
}

void SetEnumProp(TObject* obj, PPropInfo prop, const QString& name)
{
    if (!prop || prop->Kind() != tkEnumeration) KindError(prop);
    int v = GetEnumValue(prop->PropType, name);
    if (v < 0) throw EPropertyError(QStringLiteral("Invalid property element: %1").arg(name));
    SetOrdProp(obj, prop, v);
}
