#include <gtest/gtest.h>

#include "components/StrHolder.h"
#include "components/qvStrUtils.h"

static void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace {

QStringList MacroNames(const TStrHolder& h)
{
    QStringList l;
    for (int i = 0; i < h.Macros()->Count(); ++i) l << h.Macros()->Items(i)->Name();
    return l;
}

// A caption list as the data module keeps it.
void FillCaptions(TStrHolder& h)
{
    h.SetCapacity(8);
    h.SetDuplicates(dupError);
    for (const char* s : {"Выбор заседания совета=Выбор заседаний совета", "Выбор вопроса=Выбор вопросов",
                          "Выбор проекта решения=Выбор проектов решений", "Выбор вознаграждения=Выбор вознаграждений",
                          "Выбор члена совета=Выбор членов совета", "Выбор формы заседания=Выбор форм заседаний",
                          "Выбор места заседания=Выбор мест заседаний"})
        h.Strings()->Add(QString::fromUtf8(s));
}

}   // namespace

TEST(StrHolder, CaptionListStreamsAsPlainHexAndReadsBackInOrder)
{
    TComponent dm;
    auto* h = new TStrHolder(&dm);
    h->SetName(QStringLiteral("SelectFromCaptions"));
    FillCaptions(*h);
    EXPECT_EQ(h->Strings()->Names(4), QStringLiteral("Выбор члена совета"));
    EXPECT_EQ(h->Strings()->ValueFromIndex(4), QStringLiteral("Выбор членов совета"));
    EXPECT_TRUE(MacroNames(*h).isEmpty());
    EXPECT_EQ(h->Capacity(), 8);

    const QString text = h->SaveToText();
    EXPECT_TRUE(text.startsWith(QStringLiteral("object SelectFromCaptions: TStrHolder\n"
                                               "  Capacity = 8\n"
                                               "  Macros = <>\n"
                                               "  Duplicates = dupError\n"
                                               "  InternalVer = 1\n"
                                               "  StrData = (\n"
                                               "    ''\n"
                                               "    '")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QLatin1Char('\'') + XorEncode(QString(), h->Strings()->Strings(6)) + QStringLiteral("')\nend\n")));

    TStrHolder back;
    back.LoadFromText(text);
    EXPECT_EQ(back.Name(), QStringLiteral("SelectFromCaptions"));
    EXPECT_TRUE(back.Strings()->Equals(*h->Strings()));
    EXPECT_EQ(back.Capacity(), 8);
    EXPECT_EQ(back.Duplicates(), dupError);
    EXPECT_EQ(back.StoredVersion(), 1);
    EXPECT_TRUE(MacroNames(back).isEmpty());
    EXPECT_EQ(back.SaveToText(), text);
}

TEST(StrHolder, SmallHolderExactTextForm)
{
    TStrHolder h;
    h.SetName(QStringLiteral("MainFields"));
    h.Strings()->Add(QStringLiteral("abc"));
    h.Strings()->Add(QStringLiteral("reportfield"));
    EXPECT_EQ(h.SaveToText(), QStringLiteral("object MainFields: TStrHolder\n"
                                             "  Capacity = 2\n"
                                             "  Macros = <>\n"
                                             "  InternalVer = 1\n"
                                             "  StrData = (\n"
                                             "    ''\n"
                                             "    '616263'\n"
                                             "    '7265706f72746669656c64')\n"
                                             "end\n"));
}

TEST(StrHolder, ScrambledRoundTripAndOlderFormat)
{
    TStrHolder h;
    h.SetKeyString(QStringLiteral("секрет"));
    h.Strings()->Add(QStringLiteral("Объект «Заседания совета»"));
    h.Strings()->Add(QStringLiteral("it's 100% \"quoted\"\ttab"));
    h.Strings()->Add(QString());
    const QString text = h.SaveToText();
    EXPECT_FALSE(text.contains(XorEncode(QString(), h.Strings()->Strings(0)))) << "the key must scramble";
    EXPECT_FALSE(text.contains(QStringLiteral("Заседания")));
    TStrHolder back;
    back.LoadFromText(text);
    EXPECT_EQ(back.KeyString(), h.KeyString());
    EXPECT_TRUE(back.Strings()->Equals(*h.Strings()));

    // Version 0: each item is the string XOR-ed with the key, its characters the bytes.
    auto item = [](const QByteArray& bytes) {
        QString s;
        for (char c : bytes) s += QLatin1Char('#') + QString::number(quint8(c));
        return s;
    };
    const QByteArray key = "k";
    TStrHolder old;
    old.LoadFromText(QStringLiteral("object Old: TStrHolder\n  StrData = (\n    'k'\n    %1\n    %2)\nend\n")
                         .arg(item(XorString(key, "hello")), item(XorString(key, QStringLiteral("Привет").toUtf8()))));
    EXPECT_EQ(old.StoredVersion(), 0);
    EXPECT_EQ(old.Strings()->ToStringList(), (QStringList{QStringLiteral("hello"), QStringLiteral("Привет")}));
    // The same hex items read as version 1 decode as hex.
    TStrHolder hex;
    hex.LoadFromText(QStringLiteral("object : TStrHolder\n  InternalVer = 1\n  StrData = ('' '616263' '61zz62f')\nend"));
    EXPECT_EQ(hex.Strings()->ToStringList(), (QStringList{QStringLiteral("abc"), QStringLiteral("a b")}));
}

TEST(StrHolder, DuplicatesCapacityAndAssign)
{
    TStrHolder h;
    h.SetDuplicates(dupError);
    h.Strings()->Add(QStringLiteral("b"));
    h.Strings()->Add(QStringLiteral("b"));   // the rule is the sorted list's: unsorted keeps both
    EXPECT_EQ(h.Strings()->Count(), 2);
    h.Strings()->Clear();
    h.SetSorted(true);
    h.Strings()->Add(QStringLiteral("b"));
    h.Strings()->Add(QStringLiteral("a"));
    try {
        h.Strings()->Add(QStringLiteral("B"));
        FAIL() << "duplicate accepted";
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("String list does not allow duplicates"));
    }
    EXPECT_EQ(h.Strings()->ToStringList(), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    EXPECT_THROW(h.SetCapacity(1), EStringListError);

    TStringList src;
    src.Add(QStringLiteral("x=1"));
    TStrHolder other;
    other.Assign(&src);
    EXPECT_EQ(other.Strings()->Values(QStringLiteral("x")), QStringLiteral("1"));
    TStringList dest;
    dest.Assign(&h);   // through the holder's AssignTo
    EXPECT_EQ(dest.ToStringList(), (QStringList{QStringLiteral("a"), QStringLiteral("b")}));
    other.Assign(&h);
    EXPECT_EQ(other.Strings()->Count(), 2);
    TComponent plain;
    EXPECT_THROW(other.Assign(&plain), EConvertError);
}

TEST(StrHolder, MacrosFoundInTheText)
{
    struct Case { const char* text; QStringList names; } cases[] = {
        {"select * from t where %Cond\r\n", {QStringLiteral("Cond")}},
        {"100%% sure, %%x", {}},
        {"%'a b' and %\"c d\".", {QStringLiteral("a b"), QStringLiteral("c d")}},
        {"'%inside' \"%too\" %out", {QStringLiteral("out")}},
        {"%a, %A; (%b) %c.d", {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}},
        {"50 % and %", {}},
        {"%first%second", {QStringLiteral("first%second")}},
    };
    for (const Case& c : cases) {
        TStrHolder h;
        h.Strings()->SetText(QString::fromUtf8(c.text));
        EXPECT_EQ(MacroNames(h), c.names) << c.text;
    }
}

TEST(StrHolder, MacroRebuildKeepsValuesAndFollowsMacroChar)
{
    TStrHolder h;
    h.Strings()->Add(QStringLiteral("where %Cond and #Other"));
    ASSERT_EQ(MacroNames(h), QStringList{QStringLiteral("Cond")});
    h.Macros()->FindMacro(QStringLiteral("cond"))->SetValue(QStringLiteral("a=1"));
    EXPECT_EQ(h.ExpandedText(), QStringLiteral("where a=1 and #Other\r\n"));

    h.Strings()->Add(QStringLiteral("order by %Sort"));
    EXPECT_EQ(MacroNames(h), (QStringList{QStringLiteral("Cond"), QStringLiteral("Sort")}));
    EXPECT_EQ(h.Macros()->FindMacro(QStringLiteral("Cond"))->Value().toString(), QStringLiteral("a=1"));
    EXPECT_FALSE(h.Macros()->FindMacro(QStringLiteral("Sort"))->Value().isValid());

    h.SetMacroChar(QLatin1Char('#'));
    EXPECT_EQ(MacroNames(h), QStringList{QStringLiteral("Other")});
    h.SetMacroChar(QChar());
    EXPECT_TRUE(MacroNames(h).isEmpty());
    h.SetMacroChar(QLatin1Char('%'));
    EXPECT_EQ(MacroNames(h), (QStringList{QStringLiteral("Cond"), QStringLiteral("Sort")}));
    EXPECT_FALSE(h.Macros()->FindMacro(QStringLiteral("Cond"))->Value().isValid()) << "a macro gone from the text loses its value";
}

TEST(StrHolder, MacroNamesRefuseDuplicates)
{
    TStrHolder h;
    TMacros* m = h.Macros();
    m->Add(QStringLiteral("One"));
    TMacro* two = m->Add(QStringLiteral("Two"));
    EXPECT_THROW(m->Add(QStringLiteral("ONE")), EStringListError);
    EXPECT_EQ(m->Count(), 2) << "a failed add leaves nothing behind";
    EXPECT_THROW(two->SetName(QStringLiteral("one")), EStringListError);
    EXPECT_EQ(two->Name(), QStringLiteral("Two"));
    two->SetName(QStringLiteral("TWO"));   // its own name in another case
    EXPECT_EQ(two->DisplayName(), QStringLiteral("TWO"));
    EXPECT_EQ(m->IndexOf(QStringLiteral("two")), 1);
    EXPECT_EQ(m->IndexOf(QStringLiteral("three")), -1);
}

TEST(StrHolder, EventsFireOnChangesButNotWhileLoading)
{
    TStrHolder h;
    QStringList log;
    h.OnChanging = [&](TObject* s) { log << QStringLiteral("changing:%1").arg(s == &h); };
    h.OnChange = [&](TObject* s) { log << QStringLiteral("change:%1:%2").arg(s == &h).arg(h.Macros()->Count()); };
    h.Strings()->Add(QStringLiteral("%M"));
    EXPECT_EQ(log, (QStringList{QStringLiteral("changing:1"), QStringLiteral("change:1:1")}));

    // The streamed macros stand after loading, whatever the strings say.
    log.clear();
    h.LoadFromText(QStringLiteral("object : TStrHolder\n"
                                  "  Macros = <\n    item\n      Name = 'Kept'\n      Value = 'v'\n    end>\n"
                                  "  InternalVer = 1\n  StrData = ('' '25596f75')\nend\n"));
    EXPECT_TRUE(log.isEmpty());
    EXPECT_EQ(h.Strings()->Strings(0), QStringLiteral("%You"));
    EXPECT_EQ(MacroNames(h), QStringList{QStringLiteral("Kept")});
    EXPECT_EQ(h.Macros()->Items(0)->Value().toString(), QStringLiteral("v"));
    EXPECT_FALSE(h.IsLoading());
    h.Strings()->Add(QString());
    EXPECT_EQ(MacroNames(h), QStringList{QStringLiteral("You")});
    EXPECT_EQ(log.size(), 2);
}

TEST(StrHolder, StoredPropertiesAndAncestorComparison)
{
    TStrHolder h;
    h.SetName(QStringLiteral("H"));
    h.SetMacroChar(QLatin1Char('#'));
    h.SetSorted(true);
    h.Strings()->Add(QStringLiteral("#X line"));
    h.Macros()->Items(0)->SetValue(42);
    const QString text = h.SaveToText();
    EXPECT_TRUE(text.contains(QStringLiteral("  MacroChar = '#'\n"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("      Name = 'X'\n      Value = 42\n    end>\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("  Sorted = True\n")));
    TStrHolder back;
    back.LoadFromText(text);
    EXPECT_EQ(back.MacroChar(), QLatin1Char('#'));
    EXPECT_TRUE(back.Sorted());
    EXPECT_EQ(back.Macros()->Items(0)->Value(), Variant(42));

    // Against an ancestor: the strings are written only when they differ
    // (ASCII case aside), and always when the count differs, even emptied.
    TStrHolder anc, same, caseOnly, emptied;
    anc.Strings()->Add(QStringLiteral("Name"));
    same.Strings()->Add(QStringLiteral("Name"));
    caseOnly.Strings()->Add(QStringLiteral("NAME"));
    EXPECT_FALSE(same.SaveToText(&anc).contains(QStringLiteral("StrData")));
    EXPECT_FALSE(caseOnly.SaveToText(&anc).contains(QStringLiteral("StrData")));
    EXPECT_FALSE(same.SaveToText(&anc).contains(QStringLiteral("InternalVer")));
    EXPECT_TRUE(emptied.SaveToText(&anc).contains(QStringLiteral("StrData = (\n    '')")));
    EXPECT_FALSE(emptied.SaveToText().contains(QStringLiteral("StrData")));
}

TEST(StrHolder, MalformedStreamsRaiseReadError)
{
    const char* bad[] = {
        "",
        "object X: TStringList\nend",
        "object X: TStrHolder\n  Capacity = 8",
        "object X: TStrHolder\n  Unknown = 1\nend",
        "object X: TStrHolder\n  Capacity = 'eight'\nend",
        "object X: TStrHolder\n  Duplicates = dupMaybe\nend",
        "object X: TStrHolder\n  StrData = ('' 12)\nend",
        "object X: TStrHolder\n  StrData = ('unterminated)\nend",
        "object X: TStrHolder\n  MacroChar = 'ab'\nend",
        "object X: TStrHolder\nend\ntrailing",
        "object X: TStrHolder\n  Macros = <\n item\n Size = 1\n end>\nend",
    };
    for (const char* t : bad) {
        TStrHolder h;
        EXPECT_THROW(h.LoadFromText(QString::fromUtf8(t)), EReadError) << t;
        EXPECT_FALSE(h.IsLoading()) << t;
    }
}
