#include "platform/ado/ADOBatch.h"

#include <sqlcipher/sqlite3.h>

#include <QDate>
#include <QDateTime>

#include "platform/ado/ADOConnection.h"
#include "platform/core/DateTime.h"
#include "platform/core/SysUtils.h"

namespace ado {
namespace {

sqlite3* OpenHandle(TADOConnection* connection)
{
    if (!connection || !connection->Handle())
        throw EDatabaseError(QStringLiteral("Соединение с базой данных не открыто"));
    return connection->Handle();
}

QString EngineMessage(sqlite3* db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

// The first line of a statement, shortened, to name it in a message.
QString Lead(const QString& sql)
{
    QString s = sql.trimmed();
    const qsizetype nl = s.indexOf(QLatin1Char('\n'));
    if (nl >= 0)
        s.truncate(nl);
    if (s.size() > 80)
        s = s.left(77) + QStringLiteral("...");
    return s;
}

}  // namespace

void ExecuteScript(TADOConnection* connection, const QString& script)
{
    sqlite3* db = OpenHandle(connection);
    const QByteArray utf8 = script.toUtf8();
    const char* tail = utf8.constData();
    const char* const end = tail + utf8.size();
    while (tail < end) {
        sqlite3_stmt* stmt = nullptr;
        const char* start = tail;
        int rc = sqlite3_prepare_v2(db, start, int(end - start), &stmt, &tail);
        const QString text = QString::fromUtf8(start, qsizetype(tail - start));
        if (rc != SQLITE_OK)
            throw EDatabaseError(EngineMessage(db) + QStringLiteral(" (") + Lead(text) + QLatin1Char(')'));
        if (!stmt)   // only blanks or comments were left
            continue;
        do {
            rc = sqlite3_step(stmt);
        } while (rc == SQLITE_ROW);
        if (rc != SQLITE_DONE) {
            const QString msg = EngineMessage(db);
            sqlite3_finalize(stmt);
            throw EDatabaseError(msg + QStringLiteral(" (") + Lead(text) + QLatin1Char(')'));
        }
        sqlite3_finalize(stmt);
    }
}

QStringList ScriptStatements(const QString& script)
{
    QStringList result;
    QString current;
    const QStringList lines = script.split(QLatin1Char('\n'));
    for (const QString& line : lines) {
        current += line;
        current += QLatin1Char('\n');
        // A statement is complete at a semicolon outside quotes, comments and
        // trigger bodies; the engine's own test knows all three.
        if (sqlite3_complete(current.toUtf8().constData())) {
            const QString s = current.trimmed();
            if (!s.isEmpty())
                result << s;
            current.clear();
        }
    }
    return result;
}

PreparedStatement::PreparedStatement(TADOConnection* connection, const QString& sql)
    : FConnection(connection), FSql(sql)
{
    sqlite3* db = OpenHandle(connection);
    const QByteArray utf8 = sql.toUtf8();
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &FStmt, &tail);
    if (rc != SQLITE_OK || !FStmt) {
        const QString msg = rc != SQLITE_OK ? EngineMessage(db) : QStringLiteral("empty statement");
        sqlite3_finalize(FStmt);
        FStmt = nullptr;
        throw EDatabaseError(msg + QStringLiteral(" (") + Lead(sql) + QLatin1Char(')'));
    }
    if (tail && QByteArray(tail).trimmed().size() > 0) {
        sqlite3_finalize(FStmt);
        FStmt = nullptr;
        throw EDatabaseError(QStringLiteral("one statement expected (") + Lead(sql) + QLatin1Char(')'));
    }
}

PreparedStatement::~PreparedStatement()
{
    sqlite3_finalize(FStmt);
}

int PreparedStatement::ParamCount() const
{
    return sqlite3_bind_parameter_count(FStmt);
}

void PreparedStatement::Check(int rc, const char* what) const
{
    if (rc != SQLITE_OK)
        throw EDatabaseError(EngineMessage(sqlite3_db_handle(FStmt)) + QStringLiteral(" (") + QLatin1String(what)
                             + QStringLiteral(": ") + Lead(FSql) + QLatin1Char(')'));
}

void PreparedStatement::BindNull(int index)
{
    Check(sqlite3_bind_null(FStmt, index), "bind");
}

void PreparedStatement::BindInt(int index, qint64 value)
{
    Check(sqlite3_bind_int64(FStmt, index, value), "bind");
}

void PreparedStatement::BindDouble(int index, double value)
{
    Check(sqlite3_bind_double(FStmt, index, value), "bind");
}

void PreparedStatement::BindText(int index, const QString& value)
{
    if (value.isNull()) {
        BindNull(index);
        return;
    }
    const QByteArray utf8 = value.toUtf8();
    Check(sqlite3_bind_text(FStmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT), "bind");
}

void PreparedStatement::Bind(int index, const Variant& value)
{
    if (VarIsNull(value)) {
        BindNull(index);
        return;
    }
    switch (value.typeId()) {
    case QMetaType::Bool:
        BindInt(index, value.toBool() ? 1 : 0);
        break;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
        BindInt(index, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        BindDouble(index, value.toDouble());
        break;
    case QMetaType::QDate:
        BindDouble(index, QDateToDateTime(value.toDate()));
        break;
    case QMetaType::QDateTime:
        BindDouble(index, QDateTimeToDateTime(value.toDateTime()));
        break;
    case QMetaType::QByteArray: {
        const QByteArray b = value.toByteArray();
        Check(sqlite3_bind_blob(FStmt, index, b.constData(), int(b.size()), SQLITE_TRANSIENT), "bind");
        break;
    }
    default:
        BindText(index, value.toString());
        break;
    }
}

int PreparedStatement::Execute()
{
    sqlite3* db = sqlite3_db_handle(FStmt);
    int rc;
    do {
        rc = sqlite3_step(FStmt);
    } while (rc == SQLITE_ROW);
    const QString msg = rc == SQLITE_DONE ? QString() : EngineMessage(db);
    sqlite3_reset(FStmt);
    if (rc != SQLITE_DONE)
        throw EDatabaseError(msg + QStringLiteral(" (") + Lead(FSql) + QLatin1Char(')'));
    return sqlite3_changes(db);
}

int PreparedStatement::Execute(const std::vector<Variant>& values)
{
    for (size_t i = 0; i < values.size(); ++i)
        Bind(int(i) + 1, values[i]);
    return Execute();
}

}  // namespace ado
