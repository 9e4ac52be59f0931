#pragma once
// Run-time descriptions of published properties: for each registered class the
// list of its published properties (name, kind, type with its enumeration
// names, default, getter and setter on a TObject*). The settings-file property
// storage reads and writes components through them by name.
//
// A class registers its own published properties once, naming the nearest
// ancestor whose properties are registered; the list of an object is that of
// the most derived registered class it inherits from, ancestors' first. A class
// may redeclare an ancestor's property under the same name: the newer one
// replaces it. Registration is usually a static object in the class's .cpp:
//
//   static const TPropertyRegistration reg(QStringLiteral("TFont"), QStringLiteral("TPersistent"), [] {
//       return std::vector<TPropInfo>{
//           OrdProp(QStringLiteral("Size"), TypeInfoInteger(), &TFont::Size, &TFont::SetSize), ...};
//   });
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <type_traits>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/Sets.h"
#include "platform/core/Variants.h"

QV_DECLARE_EXCEPTION(EPropertyError, Exception)

enum TTypeKind {
    tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass, tkMethod,
    tkWChar, tkLString, tkWString, tkVariant, tkArray, tkRecord, tkInterface, tkInt64, tkDynArray
};
using TTypeKinds = TSet<TTypeKind>;
constexpr TTypeKinds tkAny = TTypeKinds::FromBits((quint64(1) << (tkDynArray + 1)) - 1);
constexpr TTypeKinds tkMethods = TTypeKinds{tkMethod};
constexpr TTypeKinds tkProperties = tkAny - tkMethods;

enum TFloatType { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };

struct TTypeInfo {
    TTypeKind Kind = tkUnknown;
    QString Name;
    QStringList EnumNames;                // tkEnumeration: the value names, by ordinal
    const TTypeInfo* CompType = nullptr;  // tkSet: the member enumeration
    TFloatType FloatType = ftDouble;      // tkFloat
};
using PTypeInfo = const TTypeInfo*;

// The standard types.
PTypeInfo TypeInfoInteger();
PTypeInfo TypeInfoInt64();
PTypeInfo TypeInfoBoolean();   // enumeration False, True
PTypeInfo TypeInfoChar();
PTypeInfo TypeInfoWideChar();
PTypeInfo TypeInfoString();    // long string
PTypeInfo TypeInfoDouble();
PTypeInfo TypeInfoSingle();
PTypeInfo TypeInfoVariant();

// Named types; asking again for a registered name returns the same description
// (the enumeration names of the first registration stay).
PTypeInfo RegisterOrdinalType(const QString& name, TTypeKind kind);    // e.g. "TColor" as tkInteger
PTypeInfo RegisterEnumType(const QString& name, const QStringList& names);
PTypeInfo RegisterSetType(const QString& name, PTypeInfo memberType);
PTypeInfo RegisterFloatType(const QString& name, TFloatType floatType);
PTypeInfo RegisterClassType(const QString& className);                 // tkClass
PTypeInfo FindTypeInfo(const QString& name);

// The name of an enumeration value ("" when out of range) and the value of a
// name (case-insensitive; -1 when none).
QString GetEnumName(PTypeInfo type, int value);
int GetEnumValue(PTypeInfo type, const QString& name);

// The "no default" marker of a property.
constexpr qint64 NoDefault = qint64(0x80000000LL);

struct TPropInfo {
    QString Name;
    PTypeInfo PropType = nullptr;
    qint64 Default = NoDefault;
    // Ordinal kinds (integer, character, enumeration, set as bits, 64-bit integer).
    std::function<qint64(TObject*)> GetOrd;
    std::function<void(TObject*, qint64)> SetOrd;
    std::function<double(TObject*)> GetFloat;
    std::function<void(TObject*, double)> SetFloat;
    std::function<QString(TObject*)> GetStr;
    std::function<void(TObject*, const QString&)> SetStr;
    std::function<Variant(TObject*)> GetVar;
    std::function<void(TObject*, const Variant&)> SetVar;
    // Class kind: the held object; the setter takes a reference (components)
    // or copies (persistent objects assign).
    std::function<TObject*(TObject*)> GetObj;
    std::function<void(TObject*, TObject*)> SetObj;

    TTypeKind Kind() const { return PropType ? PropType->Kind : tkUnknown; }
    bool Writable() const { return SetOrd || SetFloat || SetStr || SetVar || SetObj; }
};
using PPropInfo = const TPropInfo*;

// Registers the published properties of a class (replacing an earlier
// registration of the same class). parentClassName: the nearest ancestor whose
// properties are registered, or empty.
void RegisterPublishedProperties(const QString& className, const QString& parentClassName,
                                 std::vector<TPropInfo> props);

struct TPropertyRegistration {
    TPropertyRegistration(const QString& className, const QString& parentClassName,
                          const std::function<std::vector<TPropInfo>()>& make)
    {
        RegisterPublishedProperties(className, parentClassName, make());
    }
};

// True when properties are registered for the class itself.
bool HasPublishedProperties(const QString& className);
// The published properties of the object's class and its ancestors (ancestors
// first, then in registration order), restricted to the kinds; empty for an
// object of no registered class.
std::vector<PPropInfo> GetPropList(const TObject* obj, TTypeKinds kinds = tkProperties);
// Case-insensitive; none when absent or not of the kinds.
PPropInfo GetPropInfo(const TObject* obj, const QString& name, TTypeKinds kinds = tkAny);
bool IsPublishedProp(const TObject* obj, const QString& name);

// Access by descriptor; a kind that does not fit or a read-only property raises
// EPropertyError.
qint64 GetOrdProp(TObject* obj, PPropInfo prop);
void SetOrdProp(TObject* obj, PPropInfo prop, qint64 value);
qint64 GetInt64Prop(TObject* obj, PPropInfo prop);
void SetInt64Prop(TObject* obj, PPropInfo prop, qint64 value);
double GetFloatProp(TObject* obj, PPropInfo prop);
void SetFloatProp(TObject* obj, PPropInfo prop, double value);
QString GetStrProp(TObject* obj, PPropInfo prop);
void SetStrProp(TObject* obj, PPropInfo prop, const QString& value);
Variant GetVariantProp(TObject* obj, PPropInfo prop);
void SetVariantProp(TObject* obj, PPropInfo prop, const Variant& value);
TObject* GetObjectProp(TObject* obj, PPropInfo prop);
void SetObjectProp(TObject* obj, PPropInfo prop, TObject* value);
// Enumerations by name; sets as "[a,b]" texts of the member names.
QString GetEnumProp(TObject* obj, PPropInfo prop);
void SetEnumProp(TObject* obj, PPropInfo prop, const QString& name);   // raises on an unknown name

// ---------------------------------------------------------------- builders
namespace typinfo_detail {
template <class T>
qint64 ToOrd(const T& v)
{
    if constexpr (IsTSet<T>::value)
        return qint64(v.Bits());
    else if constexpr (std::is_same_v<T, QChar>)
        return v.unicode();
    else
        return static_cast<qint64>(v);
}
template <class T>
T FromOrd(qint64 v)
{
    if constexpr (IsTSet<T>::value)
        return T::FromBits(quint64(v));
    else if constexpr (std::is_same_v<T, QChar>)
        return QChar(char16_t(v));
    else if constexpr (std::is_same_v<T, bool>)
        return v != 0;
    else
        return static_cast<T>(v);
}
}  // namespace typinfo_detail

// Integer, character, enumeration (also bool) and set (TSet) properties.
template <class C, class R, class A>
TPropInfo OrdProp(const QString& name, PTypeInfo type, R (C::*get)() const, void (C::*set)(A),
                  qint64 def = NoDefault)
{
    using V = std::decay_t<R>;
    using S = std::decay_t<A>;
    TPropInfo p;
    p.Name = name;
    p.PropType = type;
    p.Default = def;
    p.GetOrd = [get](TObject* o) { return typinfo_detail::ToOrd<V>((static_cast<C*>(o)->*get)()); };
    if (set)
        p.SetOrd = [set](TObject* o, qint64 v) { (static_cast<C*>(o)->*set)(typinfo_detail::FromOrd<S>(v)); };
    return p;
}
template <class C, class R>
TPropInfo OrdProp(const QString& name, PTypeInfo type, R (C::*get)() const, std::nullptr_t, qint64 def = NoDefault)
{
    using V = std::decay_t<R>;
    TPropInfo p;
    p.Name = name;
    p.PropType = type;
    p.Default = def;
    p.GetOrd = [get](TObject* o) { return typinfo_detail::ToOrd<V>((static_cast<C*>(o)->*get)()); };
    return p;
}

template <class C, class R, class A>
TPropInfo FloatProp(const QString& name, PTypeInfo type, R (C::*get)() const, void (C::*set)(A))
{
    TPropInfo p;
    p.Name = name;
    p.PropType = type;
    p.GetFloat = [get](TObject* o) { return double((static_cast<C*>(o)->*get)()); };
    if (set)
        p.SetFloat = [set](TObject* o, double v) { (static_cast<C*>(o)->*set)(static_cast<std::decay_t<A>>(v)); };
    return p;
}

template <class C, class R, class A>
TPropInfo StrProp(const QString& name, R (C::*get)() const, void (C::*set)(A), PTypeInfo type = TypeInfoString())
{
    TPropInfo p;
    p.Name = name;
    p.PropType = type;
    p.GetStr = [get](TObject* o) { return QString((static_cast<C*>(o)->*get)()); };
    if (set)
        p.SetStr = [set](TObject* o, const QString& v) { (static_cast<C*>(o)->*set)(v); };
    return p;
}

template <class C, class R, class A>
TPropInfo VariantProp(const QString& name, R (C::*get)() const, void (C::*set)(A))
{
    TPropInfo p;
    p.Name = name;
    p.PropType = TypeInfoVariant();
    p.GetVar = [get](TObject* o) { return Variant((static_cast<C*>(o)->*get)()); };
    if (set)
        p.SetVar = [set](TObject* o, const Variant& v) { (static_cast<C*>(o)->*set)(v); };
    return p;
}

// A property holding an object of class type (a reference to a component, or
// an owned persistent object whose setter copies).
template <class C, class R, class A>
TPropInfo ObjectProp(const QString& name, PTypeInfo type, R* (C::*get)() const, void (C::*set)(A*))
{
    TPropInfo p;
    p.Name = name;
    p.PropType = type;
    p.GetObj = [get](TObject* o) -> TObject* { return (static_cast<C*>(o)->*get)(); };
    if (set)
        p.SetObj = [set](TObject* o, TObject* v) {
            A* typed = nullptr;
            if (v) {
                typed = dynamic_cast<A*>(v);
                if (!typed) throw EPropertyError(QStringLiteral("Invalid property value"));
            }
            (static_cast<C*>(o)->*set)(typed);
        };
    return p;
}
template <class C, class R>
TPropInfo ObjectProp(const QString& name, PTypeInfo type, R* (C::*get)() const, std::nullptr_t)
{
    TPropInfo p;
    p.Name = name;
    p.PropType = type;
    p.GetObj = [get](TObject* o) -> TObject* { return (static_cast<C*>(o)->*get)(); };
    return p;
}
