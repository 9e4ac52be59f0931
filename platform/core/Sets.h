#pragma once
// Small sets of enumeration members, as the framework's "set of" types
// (TFontStyles, TAnchors, TBorderIcons, TPlacementOptions, ...). A member's
// ordinal is its bit; ordinals 0 to 63 fit.
#include <QtGlobal>
#include <initializer_list>
#include <type_traits>

template <typename E>
class TSet {
    static_assert(std::is_enum_v<E>, "TSet holds members of an enumeration");

public:
    constexpr TSet() = default;
    constexpr TSet(std::initializer_list<E> members)
    {
        for (E e : members) FBits |= Bit(e);
    }
    static constexpr TSet FromBits(quint64 bits)
    {
        TSet s;
        s.FBits = bits;
        return s;
    }
    constexpr quint64 Bits() const { return FBits; }

    constexpr bool Contains(E e) const { return (FBits & Bit(e)) != 0; }
    constexpr bool Empty() const { return FBits == 0; }
    TSet& Include(E e) { FBits |= Bit(e); return *this; }
    TSet& Exclude(E e) { FBits &= ~Bit(e); return *this; }

    constexpr TSet operator+(TSet o) const { return FromBits(FBits | o.FBits); }   // union
    constexpr TSet operator-(TSet o) const { return FromBits(FBits & ~o.FBits); }  // difference
    constexpr TSet operator*(TSet o) const { return FromBits(FBits & o.FBits); }   // intersection
    constexpr TSet operator+(E e) const { return FromBits(FBits | Bit(e)); }
    constexpr TSet operator-(E e) const { return FromBits(FBits & ~Bit(e)); }
    TSet& operator+=(TSet o) { FBits |= o.FBits; return *this; }
    TSet& operator-=(TSet o) { FBits &= ~o.FBits; return *this; }
    TSet& operator+=(E e) { return Include(e); }
    TSet& operator-=(E e) { return Exclude(e); }
    constexpr bool operator==(const TSet& o) const = default;

private:
    static constexpr quint64 Bit(E e) { return quint64(1) << unsigned(e); }
    quint64 FBits = 0;
};

template <typename T>
struct IsTSet : std::false_type {};
template <typename E>
struct IsTSet<TSet<E>> : std::true_type {};
