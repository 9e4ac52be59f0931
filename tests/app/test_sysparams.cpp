// The system parameters dialog built from SYS_PARAMETERS rows.
#include "AppFixture.h"

#include <QLineEdit>
#include <vector>

#include "app/unSysParams.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "platform/ui/Windows.h"

namespace {
class SysParams : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        MakeDb();
        ShowMain();
        ASSERT_TRUE(DM->adoConnection->Connected());
        DM->adoConnection->Execute(QStringLiteral("DELETE * FROM SYS_PARAMETERS"));
    }
    void Row(int ord, const char* category, const char* type, const char* value, const char* name = "key")
    {
        DM->adoConnection->Execute(
            QStringLiteral("INSERT INTO SYS_PARAMETERS (name, val, ord, category, type, caption) VALUES "
                           "('%1%2', '%3', %2, '%4', '%5', 'Подпись %2')")
                .arg(QString::fromUtf8(name))
                .arg(ord)
                .arg(QString::fromUtf8(value), QString::fromUtf8(category), QString::fromUtf8(type)));
    }
    QString Val(int ord)
    {
        auto rs = DM->adoConnection->Execute(QStringLiteral("SELECT val FROM SYS_PARAMETERS WHERE ord = %1").arg(ord));
        return rs->Value(0, 0).toString();
    }
    // Shows the dialog; Work fills it in and says OK or Cancel.
    void Run(std::function<int(TfmSysParams*)> work)
    {
        rec->OnModal = [work](TForm* f) {
            auto* d = dynamic_cast<TfmSysParams*>(f);
            return d ? work(d) : int(mrCancel);
        };
        fmMain->aParametersExecute(nullptr);
    }
};
}  // namespace

TEST_F(SysParams, TabsPerRunOfCategoryAndOnlyKnownTypes)
{
    Row(1, "", "string", "skipped before any category");
    Row(2, "A", "string", "s");
    Row(3, "B", "integer", "5");
    Row(4, "A", "boolean", "1", "flag");
    Row(5, "A", "date", "01.01.2020");
    Row(6, "A", "multistring5", "m");
    QStringList tabs;
    QStringList editors;
    Run([&](TfmSysParams* d) {
        for (int i = 0; i < d->tabParams->PageCount(); ++i) tabs << d->tabParams->Pages(i)->Caption();
        for (int i = 0; i < d->ComponentCount(); ++i)
            if (d->Components(i)->Name().startsWith(QLatin1String("element"))) editors << d->Components(i)->Name();
        auto* check = dynamic_cast<TCheckBox*>(d->FindComponent(QStringLiteral("element4")));
        EXPECT_TRUE(check && check->Checked());
        EXPECT_EQ(check ? check->Caption() : QString(), QStringLiteral(" &flag4 "));
        auto* memo = dynamic_cast<TMemo*>(d->FindComponent(QStringLiteral("element6")));
        EXPECT_TRUE(memo && memo->Height() == 79);
        EXPECT_EQ(d->ClientWidth(), 392);
        EXPECT_EQ(d->ClientHeight(), 379);
        return int(mrCancel);
    });
    EXPECT_EQ(tabs, (QStringList{QStringLiteral("&A"), QStringLiteral("&B"), QStringLiteral("&A")}));
    editors.sort();
    EXPECT_EQ(editors, (QStringList{QStringLiteral("element2"), QStringLiteral("element3"), QStringLiteral("element4"),
                                    QStringLiteral("element6")}));
    EXPECT_EQ(Val(2), QStringLiteral("s"));   // Cancel writes nothing
}

TEST_F(SysParams, OkWritesEveryEditorAndMultilineBecomesOneLine)
{
    Row(1, "A", "string", "old");
    Row(2, "A", "multistring", "x");
    Row(3, "A", "boolean", "1");
    Row(4, "A", "float", "1,5");
    Run([](TfmSysParams* d) {
        dynamic_cast<TEdit*>(d->FindComponent(QStringLiteral("element1")))->SetText(QStringLiteral("Иванов И. И."));
        dynamic_cast<TMemo*>(d->FindComponent(QStringLiteral("element2")))
            ->SetText(QStringLiteral("первая\r\nвторая\r\nтретья"));
        dynamic_cast<TCheckBox*>(d->FindComponent(QStringLiteral("element3")))->SetChecked(false);
        return int(mrOk);
    });
    EXPECT_EQ(Val(1), QStringLiteral("Иванов И. И."));
    EXPECT_EQ(Val(2), QStringLiteral("первая вторая третья"));
    EXPECT_EQ(Val(3), QStringLiteral("0"));
    EXPECT_EQ(Val(4), QStringLiteral("1,5"));   // unchanged, written all the same
}

TEST_F(SysParams, KeyFiltersOfNumbers)
{
    Row(1, "A", "float", "");
    Row(2, "A", "integer", "");
    Run([](TfmSysParams* d) {
        auto* f = dynamic_cast<TEdit*>(d->FindComponent(QStringLiteral("element1")));
        auto* i = dynamic_cast<TEdit*>(d->FindComponent(QStringLiteral("element2")));
        for (QChar c : QStringLiteral("12,5.-x")) f->TypeChar(c);
        for (QChar c : QStringLiteral("12,5.-x")) i->TypeChar(c);
        EXPECT_EQ(f->Text(), QStringLiteral("12,5"));
        EXPECT_EQ(i->Text(), QStringLiteral("125"));
        f->TypeChar(QLatin1Char('\b'));
        EXPECT_EQ(f->Text(), QStringLiteral("12,"));
        return int(mrOk);
    });
    EXPECT_EQ(Val(1), QStringLiteral("12,"));
    EXPECT_EQ(Val(2), QStringLiteral("125"));
}

namespace {
// The editors of one tab, in the order of its box's children (the tab order).
std::vector<TWinControl*> Editors(TTabSheet* page)
{
    std::vector<TWinControl*> v;
    if (page->ControlCount() != 1) return v;
    auto* box = dynamic_cast<TScrollBox*>(page->Controls(0));
    if (!box) return v;
    for (int i = 0; i < box->ControlCount(); ++i)
        if (auto* w = dynamic_cast<TWinControl*>(box->Controls(i)); w && w->Name().startsWith(QLatin1String("element")))
            v.push_back(w);
    return v;
}
TScrollBox* Box(TTabSheet* page) { return dynamic_cast<TScrollBox*>(page->Controls(0)); }

// Scrolls the editor into view and says whether all of it is then visible.
bool Reachable(TScrollBox* box, TWinControl* e)
{
    box->ScrollInView(e);
    const int top = e->Top() - box->VertScrollPos(), left = e->Left() - box->HorzScrollPos();
    return top >= 0 && top + e->Height() <= box->ClientHeight() && left >= 0 && left + e->Width() <= box->ClientWidth();
}
}  // namespace

// The demo data: every tab's editors are in reach, named, tagged, placed and
// ordered as built, and a long value shows from its start.
TEST_F(AppFixture, SysParamsDemoTabsShowEveryEditor)
{
    MakeDb(QString(), true);
    ShowMain();
    bool seen = false;
    rec->OnModal = [&](TForm* f) {
        auto* d = dynamic_cast<TfmSysParams*>(f);
        if (!d) return int(mrCancel);
        seen = true;
        Application->ProcessMessages();   // the shown dialog lays out its boxes
        EXPECT_LE(d->Height(), Screen->Height());
        EXPECT_GE(d->ClientHeight(), 379);
        EXPECT_EQ(d->btnOK->Top() + d->btnOK->Height() + 10, d->ClientHeight());
        EXPECT_EQ(d->tabParams->PageCount(), 4);
        int lastOrd = 0;
        for (int p = 0; p < d->tabParams->PageCount(); ++p) {
            TTabSheet* page = d->tabParams->Pages(p);
            SCOPED_TRACE(page->Caption().toStdString());
            d->tabParams->SetActivePageIndex(p);
            const auto editors = Editors(page);
            if (editors.empty()) {
                ADD_FAILURE() << "no editors";
                continue;
            }
            EXPECT_EQ(editors.front()->Top(), 27);   // below its label, 10 from the top
            for (size_t i = 0; i < editors.size(); ++i) {
                TWinControl* e = editors[i];
                EXPECT_EQ(e->Name(), QStringLiteral("element%1").arg(e->Tag()));
                EXPECT_GT(e->Tag(), lastOrd);
                lastOrd = e->Tag();
                EXPECT_EQ(e->TabOrder(), int(i));
                EXPECT_EQ(e->Left(), 10);
                EXPECT_EQ(e->Width(), 342);
                // The next row starts 10 below, and its editor 17 further (its label).
                if (i > 0) { EXPECT_EQ(e->Top(), editors[i - 1]->Top() + editors[i - 1]->Height() + 10 + 17); }
                EXPECT_TRUE(Reachable(Box(page), e)) << e->Name().toStdString();
            }
        }
        auto* first = dynamic_cast<TEdit*>(d->FindComponent(QStringLiteral("element1")));
        EXPECT_TRUE(first && first->Text().startsWith(QStringLiteral("Акционерное общество")));
        auto* line = first ? qobject_cast<QLineEdit*>(first->Widget()) : nullptr;
        EXPECT_TRUE(line && line->cursorPosition() == 0);
        return int(mrCancel);
    };
    fmMain->aParametersExecute(nullptr);
    EXPECT_TRUE(seen);
}

TEST_F(SysParams, TabTallerThanTheScreenScrollsAndKeepsItsWidth)
{
    Screen->SetMetricsOverride(800, 480, 0);
    for (int ord = 1; ord <= 14; ++ord) Row(ord, "A", "string", "значение");
    Row(15, "A", "multistring8", "последнее");
    Run([](TfmSysParams* d) {
        Application->ProcessMessages();   // the shown dialog lays out its boxes
        TTabSheet* page = d->tabParams->Pages(0);
        TScrollBox* box = Box(page);
        EXPECT_LE(d->Height() + 2 * GetSystemMetrics(SM_CYCAPTION), 480);
        EXPECT_GT(d->ClientHeight(), 379);   // grew as far as the screen allows
        EXPECT_EQ(d->ClientWidth(), 392 + GetSystemMetrics(SM_CXVSCROLL));
        EXPECT_GT(box->ContentHeight(), box->ClientHeight());
        EXPECT_EQ(box->ContentWidth(), box->ClientWidth());   // no sideways scrolling
        const auto editors = Editors(page);
        EXPECT_EQ(editors.size(), 15u);
        for (TWinControl* e : editors) EXPECT_TRUE(Reachable(box, e)) << e->Name().toStdString();
        EXPECT_GT(box->VertScrollPos(), 0);
        // The box ends 10 below the last editor.
        EXPECT_EQ(box->ContentHeight(), editors.back()->Top() + editors.back()->Height() + 10);
        return int(mrOk);
    });
    Screen->ClearMetricsOverride();
    EXPECT_EQ(Val(15), QStringLiteral("последнее"));
}

// Cursor positions of a line edit filled by the program, before and after it
// has its window and its length limit.
TEST(EditText, FilledEditShowsItsStart)
{
    auto* f = NewForm<TForm>(nullptr);
    f->HandleNeeded();
    const QString longText = QString(300, QLatin1Char('x'));
    auto* before = new TEdit(f);
    before->SetText(longText);
    before->SetMaxLength(250);
    before->SetParent(f);
    auto* after = new TEdit(f);
    after->SetParent(f);
    after->SetText(longText);
    after->SetMaxLength(200);
    for (TEdit* e : {before, after}) {
        auto* line = qobject_cast<QLineEdit*>(e->Widget());
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->cursorPosition(), 0);
        EXPECT_EQ(line->text(), e->Text());
        EXPECT_EQ(e->Text().size(), e->MaxLength());
    }
    // Where the user put the cursor, it stays.
    auto* line = qobject_cast<QLineEdit*>(after->Widget());
    line->setCursorPosition(120);
    after->SetMaxLength(150);
    EXPECT_EQ(line->cursorPosition(), 120);
    f->Free();
}
