// Feeds arbitrary text to the Jet SQL translator, and arbitrary values through
// the literal writer into statements that run on a real connection: any text
// written by SqlQuote must come back from the engine unchanged, and the LIKE
// matcher the connection registers must answer any pattern.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "FuzzUtil.h"

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/ado/ADOConnection.h"
#include "platform/ado/JetSql.h"
#include "platform/ado/Recordset.h"
#include "platform/core/SysUtils.h"


namespace {

TADOConnection* Connection()
{
    const QTemporaryDir& dir = ScratchDir();
    static std::unique_ptr<TADOConnection> c;
    if (!c) {
        const QString file = dir.filePath(QStringLiteral("j.db"));
        QFile(file).open(QIODevice::WriteOnly);
        c = std::make_unique<TADOConnection>();
        c->SetConnectionString(QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + file);
        c->Open();
        c->Execute(QStringLiteral("CREATE TABLE T (id CHAR(38), name VARCHAR(250), pdate DATETIME, n INTEGER)"));
        c->Execute(QStringLiteral("INSERT INTO T (id, name, pdate, n) VALUES (\"{1}\", \"Иванов\", #03/15/2024#, 1)"));
    }
    return c.get();
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 2048) return 0;
    const uint8_t mode = data[0];
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1));

    // Any text: translated or refused with EDatabaseError, nothing else.
    static const QSet<QString> dates{QStringLiteral("pdate")}, numbers{QStringLiteral("n")};
    try {
        ado::JetStatement st = ado::TranslateJet(text, dates, numbers);
        if (st.Updatable) CHECK(!st.BaseTable.isEmpty() && !st.RowidSql.isEmpty());
    } catch (const EDatabaseError&) {
    }

    // A value inside a statement through the literal writer.
    TADOConnection* c = Connection();
    const QChar delim = (mode & 1) ? QLatin1Char('\'') : QLatin1Char('"');
    int cut = int(text.size() / 2);
    if (cut > 0 && text[cut].isLowSurrogate()) --cut;   // never halve a character
    const QString a = text.left(cut), b = text.mid(cut);
    if (a.contains(QChar(0)) || b.contains(QChar(0))) return 0;   // the engine's texts end at NUL
    ado::RecordsetPtr rs = c->Execute(QStringLiteral("SELECT ") + SqlQuote(a, delim) + QStringLiteral(", ") +
                                      SqlQuote(b, delim));
    CHECK(rs->RowCount() == 1);
    CHECK(rs->Text(0, 0) == a && rs->Text(0, 1) == b);
    // The same value as a LIKE pattern against the table (the register filter's form).
    const QString cond = (mode & 2) ? QStringLiteral("pdate") : QStringLiteral("name");
    c->Execute(QStringLiteral("SELECT id FROM T WHERE ") + cond + QStringLiteral(" LIKE ") + SqlQuote(a, delim) +
               QStringLiteral(" OR name LIKE ") + SqlQuote(QLatin1Char('%') + b + QLatin1Char('%'), delim));
    return 0;
}
