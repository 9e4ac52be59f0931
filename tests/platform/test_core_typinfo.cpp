// Run-time property tables: resolution to the most derived registered class,
// redeclaration, access by kind, enumeration names.
#include <gtest/gtest.h>

#include "platform/core/TypInfo.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Graphics.h"

namespace {

enum TShade { shLight, shDark };

class TTiBase : public TPersistent {
    QV_CLASS(TTiBase, TPersistent)
public:
    int Size() const { return FSize; }
    void SetSize(int v) { FSize = v; }
    TShade Shade() const { return FShade; }
    void SetShade(TShade v) { FShade = v; }
    int Fixed() const { return 7; }
    int FSize = 0;
    TShade FShade = shLight;
};

class TTiDerived : public TTiBase {
    QV_CLASS(TTiDerived, TTiBase)
public:
    int Size2() const { return FSize * 2; }
    void SetSize2(int v) { FSize = v / 2; }
};

// Not registered itself: takes the list of its registered base.
class TTiLeaf : public TTiDerived {
    QV_CLASS(TTiLeaf, TTiDerived)
};

PTypeInfo ShadeType() { return RegisterEnumType(QStringLiteral("TShade"), {QStringLiteral("shLight"), QStringLiteral("shDark")}); }

const TPropertyRegistration regBase(QStringLiteral("TTiBase"), QString(), [] {
    return std::vector<TPropInfo>{
        OrdProp(QStringLiteral("Size"), TypeInfoInteger(), &TTiBase::Size, &TTiBase::SetSize),
        OrdProp(QStringLiteral("Shade"), ShadeType(), &TTiBase::Shade, &TTiBase::SetShade),
        OrdProp(QStringLiteral("Fixed"), TypeInfoInteger(), &TTiBase::Fixed, nullptr),
    };
});
const TPropertyRegistration regDerived(QStringLiteral("TTiDerived"), QStringLiteral("TTiBase"), [] {
    // Redeclares Size with its own access.
    return std::vector<TPropInfo>{OrdProp(QStringLiteral("Size"), TypeInfoInteger(), &TTiDerived::Size2, &TTiDerived::SetSize2)};
});

QStringList Names(const std::vector<PPropInfo>& l)
{
    QStringList n;
    for (PPropInfo p : l) n << p->Name;
    return n;
}

}  // namespace

TEST(TypInfo, MostDerivedRegisteredClassWithRedeclaredProperties)
{
    TTiLeaf leaf;
    EXPECT_EQ(Names(GetPropList(&leaf)), (QStringList{"Size", "Shade", "Fixed"}));
    PPropInfo size = GetPropInfo(&leaf, QStringLiteral("size"));
    ASSERT_TRUE(size);
    SetOrdProp(&leaf, size, 10);
    EXPECT_EQ(leaf.FSize, 5);   // the redeclared setter
    TTiBase base;
    SetOrdProp(&base, GetPropInfo(&base, QStringLiteral("Size")), 10);
    EXPECT_EQ(base.FSize, 10);
    TObject plain;
    EXPECT_TRUE(GetPropList(&plain).empty());
    EXPECT_FALSE(GetPropInfo(&leaf, QStringLiteral("Missing")));
}

TEST(TypInfo, EnumerationsByNameAndKindErrors)
{
    TTiBase o;
    PPropInfo shade = GetPropInfo(&o, QStringLiteral("Shade"));
    SetEnumProp(&o, shade, QStringLiteral("SHDARK"));
    EXPECT_EQ(o.FShade, shDark);
    EXPECT_EQ(GetEnumProp(&o, shade), QStringLiteral("shDark"));
    EXPECT_THROW(SetEnumProp(&o, shade, QStringLiteral("shBlue")), EPropertyError);
    EXPECT_EQ(GetEnumValue(TypeInfoBoolean(), QStringLiteral("true")), 1);
    EXPECT_EQ(GetEnumName(shade->PropType, 5), QString());
    EXPECT_THROW(SetOrdProp(&o, GetPropInfo(&o, QStringLiteral("Fixed")), 1), EPropertyError);
    EXPECT_THROW(GetStrProp(&o, shade), EPropertyError);
    EXPECT_EQ(GetPropList(&o, TTypeKinds{tkEnumeration}).size(), 1u);
}

TEST(TypInfo, PlatformClassesPublishWhatTheStorageReads)
{
    TFont font;
    EXPECT_EQ(Names(GetPropList(&font)),
              (QStringList{"Charset", "Color", "Height", "Name", "Pitch", "Size", "Style"}));
    PPropInfo style = GetPropInfo(&font, QStringLiteral("Style"));
    ASSERT_EQ(style->Kind(), tkSet);
    SetOrdProp(&font, style, qint64(TFontStyles{fsBold, fsItalic}.Bits()));
    EXPECT_TRUE(font.Style().Contains(fsItalic));
    EXPECT_EQ(GetEnumName(style->PropType->CompType, 0), QStringLiteral("fsBold"));
    font.SetColor(clWindow);
    EXPECT_EQ(GetOrdProp(&font, GetPropInfo(&font, QStringLiteral("Color"))), qint64(int(0x80000005)));

    TWinControl panel;
    for (const char* n : {"Visible", "Height", "Width", "Font", "Name", "TabOrder"})
        EXPECT_TRUE(IsPublishedProp(&panel, QString::fromLatin1(n))) << n;
    SetOrdProp(&panel, GetPropInfo(&panel, QStringLiteral("Height")), 42);
    EXPECT_EQ(panel.Height(), 42);
    EXPECT_EQ(GetObjectProp(&panel, GetPropInfo(&panel, QStringLiteral("Font"))), panel.Font());
}
