// The report parameter dialog: placeholder replacement, the literals of each
// kind, the rows it builds, pre-filled references, the required check.
#include <gtest/gtest.h>

#include <QApplication>

#include "components/StrHolder.h"
#include "components/ToolEdit.h"
#include "dbtool/DbBuilder.h"
#include "platform/core/DateTime.h"
#include "platform/ui/StdCtrls.h"
#include "reports/unReportsEnterParams.h"
#include "tests/data/DmFixture.h"
#include "tests/platform/ScreenBoxes.h"
#include "tests/platform/ScreenInput.h"

namespace {
TReportParam Param(const QString& name, const QString& kind, const QString& value = QString())
{
    TReportParam p;
    p.Name = name;
    p.Kind = kind;
    p.Caption = name;
    p.Value = value;
    return p;
}
TReportParams Params(std::initializer_list<TReportParam> list)
{
    TReportParams ps;
    for (const TReportParam& p : list) ps.Add(p);
    return ps;
}
}  // namespace

TEST(ReportPlaceholders, WholeNamesAnyCaseOutsideLiteralsOnePass)
{
    const TReportParam dt = Param(QStringLiteral("dt"), QStringLiteral("ptDate"), QStringLiteral("'01.02.2024'"));
    const TReportParam dt2 = Param(QStringLiteral("dt2"), QStringLiteral("ptDate"), QStringLiteral("'05.02.2024'"));
    const TReportParam s = Param(QStringLiteral("s"), QStringLiteral("ptString"), QStringLiteral("'a :dt2 b'"));
    const TReportParam none = Param(QStringLiteral("n"), QStringLiteral("ptInteger"));
    struct Case {
        TReportParams params;
        const char* sql;
        const char* expected;
    } cases[] = {
        {Params({dt, dt2}), "x >= :dt AND x <= :dt2", "x >= '01.02.2024' AND x <= '05.02.2024'"},
        {Params({dt2, dt}), "x >= :dt AND x <= :dt2", "x >= '01.02.2024' AND x <= '05.02.2024'"},
        {Params({s, dt2}), "WHERE c = :s AND d = :dt2", "WHERE c = 'a :dt2 b' AND d = '05.02.2024'"},
        {Params({dt}), "Format(x, 'hh:dt') = :dt", "Format(x, 'hh:dt') = '01.02.2024'"},
        {Params({dt}), "\"a:dt\" & 'it''s :dt' & :dt", "\"a:dt\" & 'it''s :dt' & '01.02.2024'"},
        {Params({dt}), "x = :DT OR x = :Dt", "x = '01.02.2024' OR x = '01.02.2024'"},
        {Params({dt}), "x = :dt_from + :dtx", "x = :dt_from + :dtx"},
        {Params({dt}), "x=:dt)", "x='01.02.2024')"},
        {Params({none}), "x = :n", "x = NULL"},
        {Params({}), "a : b :", "a : b :"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ReplaceReportPlaceholders(QString::fromUtf8(c.sql), c.params), QString::fromUtf8(c.expected))
            << c.sql;
}

TEST(ReportLiterals, TextsQuotedNumbersBareWithAPoint)
{
    EXPECT_EQ(ReportTextLiteral(QStringLiteral("O'Brien")), QStringLiteral("'O''Brien'"));
    EXPECT_EQ(ReportTextLiteral(QString()), QStringLiteral("''"));
    struct Case {
        const char* text;
        bool isFloat, ok;
        const char* literal;
    } cases[] = {
        {"12", false, true, "12"},     {"-7", false, true, "-7"},     {"", false, true, ""},
        {"1,5", false, false, ""},     {"1'", false, false, ""},      {"-", false, false, ""},
        {"1,5", true, true, "1.5"},    {"-0,25", true, true, "-0.25"}, {"3.75", true, true, "3.75"},
        {",5", true, true, "0.5"},     {"2,", true, true, "2"},       {"1,2,3", true, false, ""},
        {"1 OR 1=1", true, false, ""}, {"$FF", false, false, ""},
    };
    for (const Case& c : cases) {
        QString lit = QStringLiteral("junk");
        EXPECT_EQ(ReportNumberLiteral(QString::fromUtf8(c.text), c.isFloat, lit), c.ok) << c.text;
        EXPECT_EQ(lit, QString::fromUtf8(c.literal)) << c.text;
    }
    EXPECT_TRUE(IsReportDateText(QStringLiteral("29.02.2024")));
    for (const char* bad : {"30.02.2024", "  .  .    ", "", "abc"})
        EXPECT_FALSE(IsReportDateText(QString::fromUtf8(bad))) << bad;
}

namespace {
class EnterParams : public DmFixture {
protected:
    TfmReportsEnterParams* dlg = nullptr;
    void SetUp() override
    {
        TApplication::EnsureQtApplication();
        DmFixture::SetUp();
        dbtool::FillDemo(DM->adoConnection);
        for (TDataSet* ds : {static_cast<TDataSet*>(DM->adoRefMembers), static_cast<TDataSet*>(DM->adoObjSessions)}) {
            ds->Close();
            ds->Open();
        }
    }
    void TearDown() override
    {
        if (dlg) dlg->Free();
        CurrentReport = TReport();
        DmFixture::TearDown();
    }
    void Show(std::initializer_list<TReportParam> params, const QString& sql = QString())
    {
        CurrentReport = TReport();
        CurrentReport.Caption = QStringLiteral("Протокол");
        for (const TReportParam& p : params) CurrentReport.Params.Add(p);
        CurrentSql = sql;
        dlg = NewForm<TfmReportsEnterParams>(Application);
        dlg->Show();
        QApplication::processEvents();
    }
    template <class T> T* Ed(int i) const
    {
        return dynamic_cast<T*>(dlg->FindComponent(QStringLiteral("edParam") + QString::number(i)));
    }
    TReportParam& P(int i) const { return CurrentReport.Params[i]; }
    static TReportParam Def(const QString& name, const QString& kind, const QString& def, bool required = false)
    {
        TReportParam p = Param(name, kind);
        p.Caption = name;
        p.Default = def;
        p.Required = required;
        return p;
    }
    // The dialog of a required date d (with the default) and a text, shown
    // active; gives the date's editor.
    TDateEdit* RequiredDate(const QString& def)
    {
        Show({Def(QStringLiteral("d"), QStringLiteral("ptDate"), def, true),
              Def(QStringLiteral("t"), QStringLiteral("ptString"), QString())},
             QStringLiteral("x=:d"));
        ActivateForm(dlg);
        return Ed<TDateEdit>(0);
    }
    bool Accepts()
    {
        asked.clear();
        dlg->btOK->Click();
        return dlg->ModalResult() == mrOk;
    }
};
}  // namespace

TEST_F(EnterParams, RowsOfEveryKindTheirGeometryAndStartingValues)
{
    Show({Def(QStringLiteral("Текст"), QStringLiteral("ptString"), QStringLiteral("abc")),
          Def(QStringLiteral("Целое"), QStringLiteral("ptInteger"), QStringLiteral("5")),
          Def(QStringLiteral("Дробное число"), QStringLiteral("ptFloat"), QStringLiteral("1,5")),
          Def(QStringLiteral("Дата"), QStringLiteral("ptDate"), QStringLiteral("today")),
          Def(QStringLiteral("Флаг"), QStringLiteral("ptBoolean"), QString()),
          Def(QStringLiteral("Член совета"), QStringLiteral("ptReference"), QString()),
          Def(QStringLiteral("Иное"), QStringLiteral("ptOther"), QStringLiteral("x"))});
    const int labels = dlg->GetMaxCaptionWidth();
    ASSERT_GT(labels, 0);
    for (int i = 0; i < 7; ++i) {
        auto* lb = dynamic_cast<TLabel*>(dlg->FindComponent(QStringLiteral("lbParam") + QString::number(i)));
        auto* ed = Ed<TControl>(i);
        const bool label = i != 4 && i != 6, editor = i != 6;
        ASSERT_EQ(lb != nullptr, label) << i;
        ASSERT_EQ(ed != nullptr, editor) << i;
        if (lb) { EXPECT_EQ(lb->Top(), 31 * i + 13); }
        if (lb) { EXPECT_EQ(lb->Left(), 8); }
        if (ed) { EXPECT_EQ(ed->Tag(), i); }
        if (ed && i != 4) { EXPECT_EQ(ed->Left(), labels + 25) << i; }
    }
    EXPECT_EQ(Ed<TControl>(0)->Width(), 350);
    EXPECT_EQ(Ed<TDateEdit>(3)->Width(), 125);
    EXPECT_EQ(Ed<TComboEdit>(5)->Width(), 350);
    EXPECT_EQ(Ed<TCheckBox>(4)->Left(), 8);
    EXPECT_EQ(Ed<TCheckBox>(4)->Caption(), QStringLiteral(" Флаг "));

    const QString today = FormatDateTime(QStringLiteral("dd.mm.yyyy"), Date());
    EXPECT_EQ(Ed<TDateEdit>(3)->Text(), today);
    const QStringList values{QStringLiteral("'abc'"), QStringLiteral("5"),  QStringLiteral("1.5"),
                             QLatin1Char('\'') + today + QLatin1Char('\''),
                             QStringLiteral("0"),     QString(),          QString()};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(P(i).Value, values[i]) << i;

    // The dialog ends under the last row, its buttons at its bottom right.
    const int right = labels + 25 + 350;
    EXPECT_EQ(dlg->ClientWidth(), right + 15 - 6);
    EXPECT_EQ(dlg->btCancel->Left() + dlg->btCancel->Width(), dlg->ClientWidth() - 8);
    EXPECT_EQ(dlg->btOK->Top() + 25, dlg->ClientHeight() - 8);
    EXPECT_EQ(dlg->ActiveControl(), Ed<TWinControl>(0));
}

TEST_F(EnterParams, EditsKeepTheValuesAsSoundLiterals)
{
    Show({Def(QStringLiteral("s"), QStringLiteral("ptString"), QString()),
          Def(QStringLiteral("i"), QStringLiteral("ptInteger"), QString()),
          Def(QStringLiteral("f"), QStringLiteral("ptFloat"), QString()),
          Def(QStringLiteral("d"), QStringLiteral("ptDate"), QString()),
          Def(QStringLiteral("b"), QStringLiteral("ptBoolean"), QStringLiteral("1"))},
         QStringLiteral("SELECT * FROM T WHERE s = :s AND i = :i AND f > :f AND d = :d AND b = :b"));
    EXPECT_EQ(P(4).Value, QStringLiteral("1"));
    EXPECT_TRUE(Ed<TCheckBox>(4)->Checked());

    // Key filters: the apostrophe typed is dropped, a pasted one is text.
    auto* s = Ed<TMaskEdit>(0);
    s->TypeChar(QLatin1Char('\''));
    EXPECT_EQ(s->Text(), QString());
    s->SetText(QStringLiteral("O'Brien"));
    EXPECT_EQ(P(0).Value, QStringLiteral("'O''Brien'"));

    auto* i = Ed<TMaskEdit>(1);
    for (QChar c : QStringLiteral("0a-12")) i->TypeChar(c);
    EXPECT_EQ(i->Text(), QStringLiteral("-12"));
    EXPECT_EQ(P(1).Value, QStringLiteral("-12"));

    auto* f = Ed<TMaskEdit>(2);
    for (QChar c : QStringLiteral(",1.,5")) f->TypeChar(c);
    EXPECT_EQ(f->Text(), QStringLiteral("1,5"));
    EXPECT_EQ(P(2).Value, QStringLiteral("1.5"));

    auto* d = Ed<TDateEdit>(3);
    d->SetText(QStringLiteral("07.03.2024"));
    EXPECT_EQ(P(3).Value, QStringLiteral("'07.03.2024'"));
    d->SetText(QString());   // cleared: the last valid date stays
    EXPECT_EQ(P(3).Value, QStringLiteral("'07.03.2024'"));

    Ed<TCheckBox>(4)->Click();
    EXPECT_EQ(P(4).Value, QStringLiteral("0"));

    ASSERT_TRUE(Accepts());
    EXPECT_EQ(CurrentSql, QStringLiteral("SELECT * FROM T WHERE s = 'O''Brien' AND i = -12 AND f > 1.5 AND "
                                         "d = '07.03.2024' AND b = 0"));
}

TEST_F(EnterParams, RequiredAndMalformedValuesAreRefused)
{
    struct Case {
        const char* kind;
        const char* typed;   // nullptr: left as it starts
        bool required, accepted;
    } cases[] = {
        {"ptString", "abc", true, true},   {"ptString", "", true, false},     {"ptString", nullptr, true, false},
        {"ptString", "", false, true},     {"ptInteger", "12", true, true},   {"ptInteger", "-", false, false},
        {"ptInteger", nullptr, false, true}, {"ptDate", "31.02.2024", true, false},
        {"ptDate", "29.02.2024", true, true}, {"ptDate", nullptr, true, false},
        {"ptReference", nullptr, true, false}, {"ptBoolean", nullptr, true, true},
    };
    for (const Case& c : cases) {
        Show({Def(QStringLiteral("p"), QString::fromLatin1(c.kind), QString(), c.required)}, QStringLiteral("x=:p"));
        auto* e = Ed<TControl>(0);
        if (c.typed) {
            // Typed, then replaced: an erased text counts as typed.
            e->SetText(QStringLiteral("9"));
            e->SetText(QString::fromUtf8(c.typed));
        }
        EXPECT_EQ(Accepts(), c.accepted) << c.kind << " " << (c.typed ? c.typed : "-");
        if (!c.accepted) {
            ASSERT_EQ(asked.size(), 1u);
            EXPECT_EQ(asked[0].Text, ReportParamsErrorText);
            EXPECT_EQ(asked[0].Caption, ReportParamsErrorCaption);
            EXPECT_EQ(asked[0].Flags, MB_ICONERROR | MB_OK);
            EXPECT_EQ(CurrentSql, QStringLiteral("x=:p"));
        }
        dlg->Free();
        dlg = nullptr;
    }
}

// An impossible date shows its conversion error once, the box taking the
// focus as on the screen, when the editor is left and when OK is pressed
// with Enter from it; the dialog stays open with the focus in the editor,
// and OK runs nothing until the date is mended.
TEST_F(EnterParams, AnImpossibleDateShowsOneBoxOnLeavingAndOnOk)
{
    TDateEdit* date = RequiredDate(QString());
    ASSERT_TRUE(date->TWinControl::Focused());
    date->SelectAll();
    TypeKeys(QStringLiteral("31022024"));
    ASSERT_EQ(date->Text(), QStringLiteral("31.02.2024"));
    for (int key : {Qt::Key_Tab, Qt::Key_Return}) {
        SCOPED_TRACE(key == Qt::Key_Tab ? "Tab" : "Enter");
        TScreenBoxes boxes;
        PressKey(key);
        ASSERT_EQ(boxes.Texts.size(), 1) << boxes.Texts.join(QLatin1Char('\n')).toStdString();
        EXPECT_TRUE(boxes.Texts[0].startsWith(QStringLiteral("'31.02.2024' is not a valid date")));
        EXPECT_TRUE(date->TWinControl::Focused());
        EXPECT_EQ(dlg->ModalResult(), mrNone);
        EXPECT_EQ(CurrentSql, QStringLiteral("x=:d"));
    }
    date->SelectAll();
    TypeKeys(QStringLiteral("29022024"));
    PressKey(Qt::Key_Return);
    EXPECT_EQ(dlg->ModalResult(), mrOk);
    EXPECT_EQ(CurrentSql, QStringLiteral("x='29.02.2024'"));
}

// A required date whose editor the user emptied is refused by Enter and by
// a click on OK, with the dialog's message, though its value still holds the
// date shown before; a short year typed and left goes into the SQL written
// out, as the editor shows it.
TEST_F(EnterParams, AnEmptiedRequiredDateIsRefusedAndAShortYearGoesInWrittenOut)
{
    TDateEdit* date = RequiredDate(QStringLiteral("07.03.2024"));
    ASSERT_TRUE(date->TWinControl::Focused());
    date->SelectAll();
    PressKey(Qt::Key_Delete);
    ASSERT_FALSE(date->TextStored());
    EXPECT_EQ(P(0).Value, QStringLiteral("'07.03.2024'"));
    for (const char* way : {"Enter", "OK"}) {
        SCOPED_TRACE(way);
        TScreenBoxes boxes;
        if (QLatin1String(way) == QLatin1String("Enter"))
            PressKey(Qt::Key_Return);
        else
            screen::Click(dlg->btOK->Widget());
        Application->ProcessMessages();
        EXPECT_EQ(boxes.Texts, QStringList{ReportParamsErrorText});
        EXPECT_EQ(dlg->ModalResult(), mrNone);
        EXPECT_EQ(CurrentSql, QStringLiteral("x=:d"));
    }
    date->SetFocus();
    Application->ProcessMessages();
    date->SelectAll();
    TypeKeys(QStringLiteral("200326"));
    PressKey(Qt::Key_Tab);
    EXPECT_EQ(date->Text(), QStringLiteral("20.03.2026"));
    EXPECT_EQ(P(0).Value, QStringLiteral("'20.03.2026'"));
    ASSERT_TRUE(Accepts());
    EXPECT_EQ(CurrentSql, QStringLiteral("x='20.03.2026'"));
}

TEST_F(EnterParams, AReferenceValueShowsItsRecordsTextsWithoutMovingTheDataSet)
{
    TDataSet* sessions = DM->adoObjSessions;
    ASSERT_GE(sessions->RecordCount(), 2);
    sessions->Last();
    const QString key = sessions->FieldByName(QStringLiteral("id"))->AsString();
    const QString text = sessions->FieldByName(QStringLiteral("reportfield"))->AsString();
    ASSERT_FALSE(text.isEmpty());
    sessions->First();
    const QString firstKey = sessions->FieldByName(QStringLiteral("id"))->AsString();
    const QString firstText = sessions->FieldByName(QStringLiteral("reportfield"))->AsString();

    // As a register window passes its current record.
    TReportParam p = Def(QStringLiteral("id_session"), QStringLiteral("ptReference"), QString(), true);
    p.RefTable = QStringLiteral("OBJ_SESSIONS");
    p.Value = QLatin1Char('\'') + key + QLatin1Char('\'');
    // A default of several keys.
    TReportParam several = Def(QStringLiteral("ids"), QStringLiteral("ptReference"),
                               QStringLiteral("'") + firstKey + QStringLiteral("', '") + key + QStringLiteral("'"));
    several.RefTable = QStringLiteral("OBJ_SESSIONS");
    TReportParam missing = Def(QStringLiteral("m"), QStringLiteral("ptReference"), QStringLiteral("{none}"));
    missing.RefTable = QStringLiteral("NO_TABLE");
    Show({p, several, missing});
    EXPECT_EQ(Ed<TComboEdit>(0)->Text(), text);
    EXPECT_EQ(Ed<TComboEdit>(1)->Text(), firstText + QStringLiteral("; ") + text);
    EXPECT_EQ(P(1).Value, several.Default);
    EXPECT_EQ(Ed<TComboEdit>(2)->Text(), QString());
    EXPECT_EQ(P(2).Value, QStringLiteral("'{none}'"));
    EXPECT_EQ(sessions->FieldByName(QStringLiteral("id"))->AsString(), firstKey);
    EXPECT_FALSE(Ed<TComboEdit>(0)->DirectInput());
    EXPECT_EQ(Ed<TComboEdit>(0)->ButtonWidth(), 19);
    auto* label = dynamic_cast<TLabel*>(dlg->FindComponent(QStringLiteral("lbParam0")));
    EXPECT_EQ(label->Font()->Color(), clHotLight);
}

TEST_F(EnterParams, ThreePickedRecordsGiveQuotedKeysAndNames)
{
    TDataSet* members = DM->adoRefMembers;
    ASSERT_GE(members->RecordCount(), 3);
    std::vector<TBookmark> marks;
    QStringList keys, names;
    members->First();
    for (int i = 0; i < 3; ++i, members->Next()) {
        marks.push_back(members->GetBookmark());
        keys << QLatin1Char('\'') + members->FieldByName(QStringLiteral("id"))->AsString() + QLatin1Char('\'');
        names << members->FieldByName(QStringLiteral("fullname"))->AsString();
    }
    QString k, n;
    PickedRecords(members, &marks, QStringLiteral("fullname"), k, n);
    EXPECT_EQ(k, keys.join(QStringLiteral(", ")));
    EXPECT_EQ(n, names.join(QStringLiteral("; ")));
    PickedRecords(members, nullptr, QStringLiteral("fullname"), k, n);
    EXPECT_EQ(k, keys.last());
    const std::vector<TBookmark> none;
    PickedRecords(members, &none, QStringLiteral("fullname"), k, n);
    EXPECT_TRUE(k.isEmpty() && n.isEmpty());
}
