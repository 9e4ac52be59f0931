// The system parameters dialog built from SYS_PARAMETERS rows.
#include "AppFixture.h"

#include "app/unSysParams.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/StdCtrls.h"

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
