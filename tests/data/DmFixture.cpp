#include "DmFixture.h"

#include "platform/ui/Dialogs.h"

void DmFixture::SetUp()
{
    ASSERT_TRUE(dir.isValid());
    file = dir.filePath(QStringLiteral("qorvane.db"));
    dbtool::CreateDatabase(file, QString(), false);
    SetMessageBoxHook([this](const QString& text, const QString& caption, int flags) {
        asked.push_back({text, caption, flags});
        return answer;
    });
    dm = std::make_unique<TDM>(nullptr);
    DM = dm.get();
    Connect();
    OpenDataSets();
}

void DmFixture::TearDown()
{
    dm.reset();
    SetMessageBoxHook(nullptr);
}

void DmFixture::Connect(const QString& password)
{
    dm->adoConnection->SetConnectionString(dbtool::ConnectionString(file, password));
    dm->adoConnection->Open();
}

void DmFixture::OpenDataSets()
{
    // As the login does: every table and query on the connection, last first.
    for (int i = dm->ComponentCount() - 1; i >= 0; --i) {
        TComponent* c = dm->Components(i);
        if (c->ClassName() == QLatin1String("TADOTable") || c->ClassName() == QLatin1String("TADOQuery")) {
            auto* ds = static_cast<TCustomADODataSet*>(c);
            if (ds->Connection() == dm->adoConnection) ds->Open();
        }
    }
}

void DmFixture::Exec(const QString& sql) { dm->adoConnection->Execute(sql); }

Variant DmFixture::Scalar(const QString& sql)
{
    ado::RecordsetPtr rs = dm->adoConnection->Execute(sql);
    if (!rs || rs->RowCount() == 0) return Variant();
    return rs->Value(0, 0);
}
