#pragma once
// A database file in a temporary folder for the ado tests.
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <sqlcipher/sqlite3.h>

#include "platform/ado/ADOConnection.h"

namespace adotest {

inline QString ConnString(const QString& file, const QString& pwd = QString(), bool exclusive = false)
{
    return QStringLiteral("Provider=Microsoft.Jet.OLEDB.4.0;Jet OLEDB:Database Password=") + pwd +
           QStringLiteral(";Data Source=") + file +
           (exclusive ? QStringLiteral(";Mode=Share Deny Read|Share Deny Write") : QString()) +
           QStringLiteral(";Persist Security Info=True");
}

// Creates the (empty) file and a connection open on it.
inline std::unique_ptr<TADOConnection> CreateDb(const QString& file, const QString& pwd = QString(),
                                                const QStringList& ddl = {})
{
    QFile f(file);
    f.open(QIODevice::WriteOnly);
    f.close();
    auto c = std::make_unique<TADOConnection>();
    c->SetConnectionString(ConnString(file, pwd));
    c->Open();
    for (const QString& s : ddl) c->Execute(s);
    return c;
}

inline std::unique_ptr<TADOConnection> OpenDb(const QString& file, const QString& pwd = QString(), bool exclusive = false)
{
    auto c = std::make_unique<TADOConnection>();
    c->SetConnectionString(ConnString(file, pwd, exclusive));
    c->Open();
    return c;
}

// Every row as its columns' texts joined by "|", rows joined by ",".
inline QString Rows(const ado::RecordsetPtr& rs)
{
    QStringList rows;
    for (qsizetype r = 0; r < rs->RowCount(); ++r) {
        QStringList cols;
        for (int c = 0; c < rs->ColumnCount(); ++c) cols << rs->Text(r, c);
        rows << cols.join(QLatin1Char('|'));
    }
    return rows.join(QLatin1Char(','));
}

inline QString Query(TADOConnection* c, const QString& jet) { return Rows(c->Execute(jet)); }

// A statement in the engine's own dialect (triggers); true when it ran.
inline bool Native(TADOConnection* c, const QString& sql)
{
    return sqlite3_exec(c->Handle(), sql.toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
}

// Makes the database refuse the operation (DELETE, INSERT, UPDATE) on the
// table, until Agree.
inline bool Refuse(TADOConnection* c, const QString& table, const QString& operation)
{
    return Native(c, QStringLiteral("CREATE TRIGGER refuse_") + table + QLatin1Char('_') + operation +
                         QStringLiteral(" BEFORE ") + operation + QStringLiteral(" ON ") + table +
                         QStringLiteral(" BEGIN SELECT RAISE(ABORT, 'refused'); END"));
}
inline bool Agree(TADOConnection* c, const QString& table, const QString& operation)
{
    return Native(c, QStringLiteral("DROP TRIGGER refuse_") + table + QLatin1Char('_') + operation);
}

}  // namespace adotest
