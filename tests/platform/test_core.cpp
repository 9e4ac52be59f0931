#include <gtest/gtest.h>

#include "platform/core/Classes.h"
#include "platform/core/DateTime.h"

TEST(Core, OwnerFreesOwnedComponentsAndFindsByName)
{
    struct Probe : TComponent {
        bool* flag;
        Probe(TComponent* o, bool* f) : TComponent(o), flag(f) {}
        ~Probe() override { *flag = true; }
    };
    bool freed = false;
    {
        TComponent owner;
        auto* p = new Probe(&owner, &freed);
        p->SetName(QStringLiteral("DataSource"));
        EXPECT_EQ(owner.FindComponent(QStringLiteral("datasource")), p);
        EXPECT_EQ(owner.ComponentCount(), 1);
        EXPECT_THROW(TComponent(&owner).SetName(QStringLiteral("DATASOURCE")), EComponentError);
    }
    EXPECT_TRUE(freed);
}

TEST(Core, StringListTextNamesAndSortedDuplicates)
{
    TStringList l;
    l.SetText(QStringLiteral("a=1\r\nb=2\nc"));
    ASSERT_EQ(l.Count(), 3);
    EXPECT_EQ(l.Values(QStringLiteral("B")), QStringLiteral("2"));
    EXPECT_EQ(l.Names(0), QStringLiteral("a"));
    EXPECT_EQ(l.Text(), QStringLiteral("a=1\r\nb=2\r\nc\r\n"));

    TStringList s;
    s.SetSorted(true);
    s.SetDuplicates(dupIgnore);
    s.Add(QStringLiteral("б"));
    s.Add(QStringLiteral("А"));
    s.Add(QStringLiteral("а"));
    EXPECT_EQ(s.Count(), 2);
    EXPECT_EQ(s[0], QStringLiteral("А"));
    s.SetDuplicates(dupError);
    EXPECT_THROW(s.Add(QStringLiteral("Б")), EStringListError);
}

TEST(Core, DateTimeEpochFormatAndParse)
{
    EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
    EXPECT_EQ(EncodeDate(2024, 1, 15), 45306.0);
    TDateTime dt = EncodeDate(2024, 1, 15) + EncodeTime(9, 5, 7, 0);
    EXPECT_EQ(DateToStr(dt), QStringLiteral("15.01.2024"));
    EXPECT_EQ(DateTimeToStr(dt), QStringLiteral("15.01.2024 9:05:07"));
    EXPECT_EQ(DateTimeToStr(EncodeDate(2024, 1, 15)), QStringLiteral("15.01.2024"));
    EXPECT_EQ(StrToDate(QStringLiteral("15.01.2024")), 45306.0);
    TDateTime d;
    EXPECT_FALSE(TryStrToDate(QStringLiteral("31.02.2024"), d));
    EXPECT_FALSE(TryStrToDate(QStringLiteral("abc"), d));
    EXPECT_THROW(StrToDate(QStringLiteral("1.13")), EConvertError);
}

TEST(Core, CollectionHearsOfAnItemOnlyWhenItIsWhole)
{
    struct Item : TCollectionItem {
        QString name = QStringLiteral("made");
        explicit Item(TCollection* c) : TCollectionItem(c) {}
    };
    struct Items : TCollection {
        QStringList seen;
        Items() : TCollection([](TCollection* c) { return new Item(c); }) {}
        void Notify(TCollectionItem* it, bool added) override
        {
            if (added) seen << static_cast<Item*>(it)->name;
        }
    } items;
    items.Add();
    items.Insert(0);
    EXPECT_EQ(items.seen, QStringList({QStringLiteral("made"), QStringLiteral("made")}));
    EXPECT_EQ(items.Count(), 2);
    items.Delete(0);
    EXPECT_EQ(items.Count(), 1);
}
