#include "platform/ado/ADOConnection.h"

#include <sqlcipher/sqlite3.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>
#include <algorithm>
#include <limits>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <unistd.h>

#include "platform/ado/AdoInternal.h"
#include "platform/ado/EngineFunctions.h"
#include "platform/core/SysUtils.h"

// Stands in until the datasets' unit (ADODB.cpp) links in its own definition.
__attribute__((weak)) void ado_CloseDataSet(TCustomADODataSet*) {}

namespace {

const char* const kPasswordKey = "Jet OLEDB:Database Password";
// Statements wait this long for a lock another connection holds.
constexpr int kBusyTimeoutMs = 5000;

struct Pair {
    QString Key, Value;
};

// "key=value;" pairs. A value may be quoted ("..." or '...', the quote
// doubled inside); a piece without '=' continues the value before it, so a
// password holding ';' written unquoted still reads back whole.
std::vector<Pair> ParseConnectionString(const QString& s)
{
    std::vector<Pair> out;
    const int n = int(s.size());
    int i = 0;
    while (i < n) {
        while (i < n && (s[i] == QLatin1Char(';') || s[i].isSpace())) ++i;
        if (i >= n) break;
        const int start = i;
        while (i < n && s[i] != QLatin1Char('=') && s[i] != QLatin1Char(';')) ++i;
        if (i >= n || s[i] == QLatin1Char(';')) {
            const QString piece = s.mid(start, i - start);
            if (!out.empty()) out.back().Value += QLatin1Char(';') + piece;
            continue;
        }
        Pair p;
        p.Key = s.mid(start, i - start).trimmed();
        ++i;  // '='
        int j = i;
        while (j < n && s[j] == QLatin1Char(' ')) ++j;
        if (j < n && (s[j] == QLatin1Char('"') || s[j] == QLatin1Char('\''))) {
            const QChar q = s[j];
            int k = j + 1;
            QString v;
            bool closed = false;
            while (k < n) {
                if (s[k] == q) {
                    if (k + 1 < n && s[k + 1] == q) {
                        v += q;
                        k += 2;
                        continue;
                    }
                    closed = true;
                    ++k;
                    break;
                }
                v += s[k++];
            }
            if (closed) {
                while (k < n && s[k] != QLatin1Char(';')) ++k;
                p.Value = v;
                i = k;
                out.push_back(p);
                continue;
            }
        }
        while (i < n && s[i] != QLatin1Char(';')) p.Value += s[i++];
        out.push_back(p);
    }
    return out;
}

QByteArray SqlString(const QString& v)
{
    QString r = v;
    r.replace(QLatin1Char('\''), QLatin1String("''"));
    return (QLatin1Char('\'') + r + QLatin1Char('\'')).toUtf8();
}

bool IsExclusiveMode(const QString& mode)
{
    const QString m = mode.toLower();
    return m.contains(QLatin1String("share deny read")) || m.contains(QLatin1String("share deny write")) ||
           m.contains(QLatin1String("share exclusive"));
}

int Exec(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }

QString Message(sqlite3* db) { return QString::fromUtf8(sqlite3_errmsg(db)); }

// The engine's quick check of the whole file: empty when it is sound, else
// the first fault found (or why the check could not run).
QString QuickCheck(sqlite3* db)
{
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &s, nullptr) != SQLITE_OK) {
        if (s) sqlite3_finalize(s);
        return Message(db);
    }
    ado::internal::StatementGuard g(s);
    if (sqlite3_step(s) != SQLITE_ROW) return Message(db);
    const char* r = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
    if (!r) return Message(db);
    return qstrcmp(r, "ok") == 0 ? QString() : QString::fromUtf8(r);
}

qint64 QueryInt(sqlite3* db, const char* sql)
{
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &s, nullptr) != SQLITE_OK) {
        if (s) sqlite3_finalize(s);
        throw EDatabaseError(Message(db));
    }
    ado::internal::StatementGuard g(s);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) return sqlite3_column_int64(s, 0);
    if (rc == SQLITE_DONE) return 0;
    throw EDatabaseError(Message(db));
}

void SyncDirectory(const QString& file)
{
    const QByteArray dir = QFile::encodeName(QFileInfo(file).absolutePath());
    const int fd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace

TADOConnection::TADOConnection(TComponent* AOwner)
    : TComponent(AOwner), FAlive(std::make_shared<TADOConnection*>(this))
{
}

TADOConnection::~TADOConnection()
{
    Destroying();
    if (FDb) {
        const auto sets = FDataSets;
        for (TCustomADODataSet* ds : sets) {
            try {
                ado_CloseDataSet(ds);
            } catch (...) {
            }
        }
        sqlite3_close_v2(FDb);
        FDb = nullptr;
    }
    *FAlive = nullptr;
}

void TADOConnection::SetConnectionString(const QString& s)
{
    if (FDb) throw EDatabaseError(QStringLiteral("Operation is not allowed when the object is open."));
    FConnectionString = s;
}

QString TADOConnection::Provider() const { return ConnectionStringValue(FConnectionString, QStringLiteral("Provider")); }

QString TADOConnection::ConnectionStringValue(const QString& connectionString, const QString& key)
{
    QString r;
    for (const Pair& p : ParseConnectionString(connectionString))
        if (p.Key.compare(key, Qt::CaseInsensitive) == 0) r = p.Value;
    return r;
}

QString TADOConnection::QuoteConnectionStringValue(const QString& value)
{
    const bool plain = !value.contains(QLatin1Char(';')) && !value.startsWith(QLatin1Char('"')) &&
                       !value.startsWith(QLatin1Char('\'')) && value.trimmed() == value;
    if (plain) return value;
    QString v = value;
    v.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + v + QLatin1Char('"');
}

void TADOConnection::SetPasswordInConnectionString(const QString& pwd)
{
    QStringList parts;
    bool found = false;
    for (const Pair& p : ParseConnectionString(FConnectionString)) {
        QString v = p.Value;
        if (p.Key.compare(QLatin1String(kPasswordKey), Qt::CaseInsensitive) == 0) {
            v = pwd;
            found = true;
        }
        parts << p.Key + QLatin1Char('=') + QuoteConnectionStringValue(v);
    }
    if (!found) parts << QLatin1String(kPasswordKey) + QLatin1Char('=') + QuoteConnectionStringValue(pwd);
    FConnectionString = parts.join(QLatin1Char(';'));
}

sqlite3* TADOConnection::CheckedHandle() const
{
    if (!FDb) throw EDatabaseError(QStringLiteral("Operation is not allowed when the object is closed."));
    return FDb;
}

void TADOConnection::RaiseError(const QString& context) const
{
    const QString msg = FDb ? Message(FDb) : QStringLiteral("Operation is not allowed when the object is closed.");
    throw EDatabaseError(context.isEmpty() ? msg : context + QLatin1String(": ") + msg);
}

sqlite3* TADOConnection::OpenHandle(const QString& file, const QString& password, bool exclusive) const
{
    sqlite3* db = nullptr;
    const QByteArray path = QFile::encodeName(file);
    // Read-write only: a file that is not there is never created. A
    // connection is used by one thread only, so the handle needs no mutex.
    int rc = sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    auto fail = [&](const QString& msg) {
        sqlite3_close_v2(db);
        throw EDatabaseError(msg);
    };
    if (rc != SQLITE_OK) fail(QStringLiteral("Could not open file '%1': %2").arg(file, db ? Message(db) : QString::fromUtf8(sqlite3_errstr(rc))));
    if (!password.isEmpty() && Exec(db, ("PRAGMA key = " + SqlString(password)).constData()) != SQLITE_OK)
        fail(Message(db));
    // A wrong key shows only when the first page is read.
    sqlite3_busy_timeout(db, 0);
    rc = Exec(db, "SELECT count(*) FROM sqlite_master");
    if (rc == SQLITE_NOTADB) {
        const QString msg = QStringLiteral("Not a valid password. (%1)").arg(Message(db));
        sqlite3_close_v2(db);
        throw EInvalidPassword(msg);
    }
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
        fail(QStringLiteral("Could not use '%1'; file already in use.").arg(file));
    if (rc != SQLITE_OK) fail(Message(db));
    if (exclusive) {
        if (Exec(db, "PRAGMA locking_mode = EXCLUSIVE") != SQLITE_OK) fail(Message(db));
        rc = Exec(db, "BEGIN EXCLUSIVE");
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            fail(QStringLiteral("Could not use '%1'; file already in use.").arg(file));
        if (rc != SQLITE_OK || Exec(db, "COMMIT") != SQLITE_OK) fail(Message(db));
    }
    if (ado::RegisterEngineFunctions(db) != SQLITE_OK) fail(Message(db));
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    return db;
}

TDatabaseFileKind DatabaseFileKind(const QString& fileName)
{
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly)) return TDatabaseFileKind::NotADatabase;
    const qint64 size = f.size();
    if (size == 0 || f.peek(16) == QByteArrayView("SQLite format 3\0", 16)) return TDatabaseFileKind::Plain;
    if (size % 512 != 0) return TDatabaseFileKind::NotADatabase;
    return TDatabaseFileKind::PossiblyEncrypted;
}

QString TADOConnection::CheckFile() { return QuickCheck(CheckedHandle()); }

void TADOConnection::ReadSchema()
{
    FTranslations.clear();
    FDateTimeSet.clear();
    FNumericSet.clear();
    QSet<QString> textual;
    sqlite3_stmt* s = nullptr;
    if (sqlite3_prepare_v2(FDb, "SELECT name FROM sqlite_master WHERE type IN ('table', 'view')", -1, &s, nullptr) !=
        SQLITE_OK)
        RaiseError();
    QStringList tables;
    {
        ado::internal::StatementGuard g(s);
        while (sqlite3_step(s) == SQLITE_ROW)
            tables << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(s, 0)));
    }
    for (const QString& t : tables) {
        const QByteArray sql = "PRAGMA table_info(" + ado::QuoteIdentifier(t).toUtf8() + ")";
        sqlite3_stmt* ti = nullptr;
        if (sqlite3_prepare_v2(FDb, sql.constData(), int(sql.size()), &ti, nullptr) != SQLITE_OK) {
            if (ti) sqlite3_finalize(ti);
            continue;  // a view that no longer compiles
        }
        ado::internal::StatementGuard g(ti);
        while (sqlite3_step(ti) == SQLITE_ROW) {
            const QString name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(ti, 1)));
            const QString type = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(ti, 2)));
            const ado::ColumnKind kind = ado::internal::KindOfDeclType(type);
            if (kind == ado::ColumnKind::DateTime) FDateTimeSet.insert(name.toLower());
            if (kind == ado::ColumnKind::DateTime || kind == ado::ColumnKind::Integer ||
                kind == ado::ColumnKind::Float || kind == ado::ColumnKind::Boolean)
                FNumericSet.insert(name.toLower());
            else
                textual.insert(name.toLower());
        }
    }
    FNumericSet.subtract(textual);
    FDateTimeColumns = QStringList(FDateTimeSet.begin(), FDateTimeSet.end());
    FDateTimeColumns.sort();
}

void TADOConnection::Open()
{
    ++FUndoEpoch;
    if (FDb) return;
    if (BeforeConnect) BeforeConnect(this);
    const QString file = ConnectionStringValue(FConnectionString, QStringLiteral("Data Source")).trimmed();
    const QString pwd = ConnectionStringValue(FConnectionString, QLatin1String(kPasswordKey));
    const bool exclusive = IsExclusiveMode(ConnectionStringValue(FConnectionString, QStringLiteral("Mode")));
    if (file.isEmpty()) throw EDatabaseError(QStringLiteral("The connection string names no database file (Data Source)."));
    const QFileInfo fi(file);
    if (!fi.exists() || !fi.isFile()) throw EDatabaseError(QStringLiteral("Could not find file '%1'.").arg(file));
    FDb = OpenHandle(fi.absoluteFilePath(), pwd, exclusive);
    FFileName = fi.absoluteFilePath();
    FPassword = pwd;
    FExclusive = exclusive;
    FTransLevel = 0;
    Reopened();
    try {
        ReadSchema();
    } catch (...) {
        sqlite3_close_v2(FDb);
        FDb = nullptr;
        throw;
    }
    if (AfterConnect) AfterConnect(this);
}

void TADOConnection::Close()
{
    ++FUndoEpoch;
    if (!FDb) return;
    if (BeforeDisconnect) BeforeDisconnect(this);
    std::exception_ptr first;
    const auto sets = FDataSets;
    for (TCustomADODataSet* ds : sets) {
        try {
            ado_CloseDataSet(ds);
        } catch (...) {
            if (!first) first = std::current_exception();
        }
    }
    if (FTransLevel > 0 && !sqlite3_get_autocommit(FDb)) Exec(FDb, "ROLLBACK");
    FTransLevel = 0;
    sqlite3_close_v2(FDb);
    FDb = nullptr;
    FExclusive = false;
    FTranslations.clear();
    if (AfterDisconnect) AfterDisconnect(this);
    if (first) std::rethrow_exception(first);
}

std::shared_ptr<const ado::JetStatement> TADOConnection::TranslateStatement(const QString& jetSql) const
{
    const auto it = FTranslations.constFind(jetSql);
    if (it != FTranslations.constEnd()) return it.value();
    auto st = std::make_shared<const ado::JetStatement>(ado::TranslateJet(jetSql, FDateTimeSet, FNumericSet));
    if (st->Kind != ado::JetStatementKind::Password) {
        if (FTranslations.size() >= 2048) FTranslations.clear();
        FTranslations.insert(jetSql, st);
    }
    return st;
}

QString TADOConnection::Translate(const QString& jetSql) const
{
    return QString::fromUtf8(TranslateStatement(jetSql)->Sql);
}

void TADOConnection::ExecSimple(const char* sql)
{
    if (Exec(CheckedHandle(), sql) != SQLITE_OK) {
        const QString msg = Message(FDb);
        if (FTransLevel > 0 && sqlite3_get_autocommit(FDb)) FTransLevel = 0;
        throw EDatabaseError(msg);
    }
}

ado::RecordsetPtr TADOConnection::Execute(const QString& jetSql, int* RowsAffected)
{
    sqlite3* db = CheckedHandle();
    if (RowsAffected) *RowsAffected = 0;
    const auto st = TranslateStatement(jetSql);
    if (st->Kind == ado::JetStatementKind::Password) {
        ChangePassword(st->NewPassword, st->OldPassword);
        return nullptr;
    }
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, st->Sql.constData(), int(st->Sql.size()), &stmt, nullptr) != SQLITE_OK) {
        if (stmt) sqlite3_finalize(stmt);
        RaiseError();
    }
    if (!stmt) return nullptr;
    if (sqlite3_column_count(stmt) > 0) return ado::internal::ReadOnlyFromStatement(this, jetSql, stmt);
    {
        ado::internal::StatementGuard g(stmt);
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            const QString msg = Message(db);
            if (FTransLevel > 0 && sqlite3_get_autocommit(db)) FTransLevel = 0;
            throw EDatabaseError(msg);
        }
    }
    if (RowsAffected) *RowsAffected = sqlite3_changes(db);
    if (FTransLevel > 0 && sqlite3_get_autocommit(db)) FTransLevel = 0;
    if (st->Kind == ado::JetStatementKind::Ddl) ReadSchema();
    return nullptr;
}

// ------------------------------------------------------ table versions
//
// The update hook sees every row written to a table with rowid (triggers'
// writes included): it bumps the table's version and lists the row. The
// rollback hook, which the engine calls for every rollback of a whole
// transaction (asked for or not), lists once more, at a new version, every
// row written since the transaction began, as RollbackTrans does for a
// savepoint: those rows are back as they were. Whatever the engine counts
// as a change and the update hook did not see (a table without rowid, a
// whole table emptied by the engine's shortcut) shows in UntrackedChanges.

// A new handle on the file: nothing read before is known to hold.
void TADOConnection::Reopened()
{
    ++FUndoEpoch;
    FWritten.assign(1, {});
    FRootPages.clear();
    FRootPagesSchema = -1;
    FTablesRead.clear();
    InstallHooks();
}

void TADOConnection::InstallHooks()
{
    sqlite3_update_hook(FDb, &TADOConnection::UpdateHook, this);
    sqlite3_rollback_hook(FDb, &TADOConnection::RollbackHook, this);
    sqlite3_commit_hook(FDb, &TADOConnection::CommitHook, this);
    FTrackedChanges = sqlite3_total_changes(FDb);
}

namespace {
// Beyond these the rows are no longer listed: whoever read the table reads it again.
constexpr qsizetype kMaxListedWrites = 20000;    // per table and transaction level
constexpr size_t kMaxLogEntries = 50000;         // per table

}  // namespace

void TADOConnection::UpdateHook(void* self, int, const char*, const char* table, long long rowid)
{
    auto* c = static_cast<TADOConnection*>(self);
    ++c->FTrackedChanges;
    // Rows come table after table: the name is made once for a run of them.
    if (c->FHookTable != table) {
        c->FHookTable = QByteArray(table);
        c->FHookName = QString::fromUtf8(table).toLower();
    }
    const QString& name = c->FHookName;
    c->RowChanged(name, rowid);
    if (c->FWritten.empty()) c->FWritten.resize(1);
    TableWrites& w = c->FWritten.back()[name];
    if (w.Whole) return;
    w.Rows.insert(rowid);
    if (w.Rows.size() > kMaxListedWrites) {
        w.Rows.clear();
        w.Whole = true;
    }
}

void TADOConnection::RowChanged(const QString& table, qint64 rowid)
{
    TableLog& t = FTables[table];
    if (t.Entries.size() >= kMaxLogEntries) {
        TableChangedWhole(table);
        return;
    }
    ++t.Version;
    ++FAllVersions;
    t.Entries.emplace_back(t.Version, rowid);
}

void TADOConnection::TableChangedWhole(const QString& table)
{
    TableLog& t = FTables[table];
    ++t.Version;
    ++FAllVersions;
    t.Entries.clear();
    t.Listed = t.Version;
}

// The rows written are as they were before: a change of each of them.
void TADOConnection::WritesUndone(const LevelWrites& writes)
{
    for (auto it = writes.cbegin(); it != writes.cend(); ++it) {
        TableLog& t = FTables[it.key()];
        if (it->Whole || t.Entries.size() + size_t(it->Rows.size()) > kMaxLogEntries) {
            TableChangedWhole(it.key());
            continue;
        }
        ++t.Version;
        ++FAllVersions;
        for (qint64 rowid : it->Rows) t.Entries.emplace_back(t.Version, rowid);
    }
}

// The rows written since the innermost level began count as written by the
// level around it.
void TADOConnection::MergeInnermost(std::vector<LevelWrites>& written)
{
    if (written.size() < 2) return;
    LevelWrites& outer = written[written.size() - 2];
    const LevelWrites& inner = written.back();
    for (auto it = inner.cbegin(); it != inner.cend(); ++it) {
        TableWrites& w = outer[it.key()];
        if (w.Whole) continue;
        if (it->Whole || w.Rows.size() + it->Rows.size() > kMaxListedWrites) {
            w.Rows.clear();
            w.Whole = true;
            continue;
        }
        w.Rows.unite(it->Rows);
    }
    written.pop_back();
}

void TADOConnection::RollbackHook(void* self)
{
    auto* c = static_cast<TADOConnection*>(self);
    while (c->FWritten.size() > 1) MergeInnermost(c->FWritten);
    if (!c->FWritten.empty()) c->WritesUndone(c->FWritten.front());
    c->FWritten.assign(1, {});
}

// A statement outside a transaction commits here. A transaction's COMMIT
// may still fail after the hook (and be rolled back later), so its writes
// are forgotten only once CommitTrans has seen it succeed.
int TADOConnection::CommitHook(void* self)
{
    auto* c = static_cast<TADOConnection*>(self);
    if (c->FTransLevel == 0) c->FWritten.assign(1, {});
    return 0;
}

quint64 TADOConnection::TableVersion(const QString& table) const
{
    if (table.isEmpty()) return FAllVersions;
    const auto it = FTables.constFind(table.toLower());
    return it == FTables.constEnd() ? 0 : it->Version;
}

bool TADOConnection::RowsChangedSince(const QString& table, quint64 version, std::vector<qint64>& rowids) const
{
    rowids.clear();
    const auto it = FTables.constFind(table.toLower());
    if (it == FTables.constEnd() || version >= it->Version) return true;
    if (version < it->Listed) return false;
    const auto& e = it->Entries;
    auto from = std::upper_bound(e.begin(), e.end(), std::pair<quint64, qint64>(version, std::numeric_limits<qint64>::max()));
    for (; from != e.end(); ++from) rowids.push_back(from->second);
    std::sort(rowids.begin(), rowids.end());
    rowids.erase(std::unique(rowids.begin(), rowids.end()), rowids.end());
    return true;
}

qint64 TADOConnection::UntrackedChanges() const
{
    return FDb ? sqlite3_total_changes(FDb) - FTrackedChanges : 0;
}

bool TADOConnection::ReadTables(const QByteArray& engineSql, QStringList& tables) const
{
    tables.clear();
    sqlite3* db = CheckedHandle();
    auto prepare = [db](const QByteArray& sql) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &s, nullptr) != SQLITE_OK && s) {
            sqlite3_finalize(s);
            s = nullptr;
        }
        return s;
    };
    // Every b-tree of the main database by its root page: a table's own and
    // those of its indexes, which a query may read instead of the table.
    {
        ado::internal::StatementGuard v(prepare("PRAGMA schema_version"));
        if (!v.Stmt || sqlite3_step(v.Stmt) != SQLITE_ROW) return false;
        const qint64 schema = sqlite3_column_int64(v.Stmt, 0);
        if (schema != FRootPagesSchema) {
            FRootPages.clear();
            ado::internal::StatementGuard m(prepare("SELECT rootpage, tbl_name FROM sqlite_master WHERE rootpage > 0"));
            if (!m.Stmt) return false;
            while (sqlite3_step(m.Stmt) == SQLITE_ROW)
                FRootPages.insert(sqlite3_column_int(m.Stmt, 0),
                                  QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m.Stmt, 1))).toLower());
            FRootPagesSchema = schema;
            FTablesRead.clear();
        }
    }
    // A statement is asked again on every reading of its rows.
    if (const auto known = FTablesRead.constFind(engineSql); known != FTablesRead.constEnd()) {
        tables = known->second;
        return known->first;
    }
    auto answer = [&](bool ok) {
        if (FTablesRead.size() >= 1024) FTablesRead.clear();
        FTablesRead.insert(engineSql, {ok, tables});
        return ok;
    };
    ado::internal::StatementGuard g(prepare("EXPLAIN " + engineSql));
    if (!g.Stmt) return false;
    int rc;
    while ((rc = sqlite3_step(g.Stmt)) == SQLITE_ROW) {
        const char* op = reinterpret_cast<const char*>(sqlite3_column_text(g.Stmt, 1));
        if (!op) continue;
        const QByteArrayView code(op);
        if (code == "VOpen") return answer(false);
        if (code != "OpenRead" && code != "OpenWrite" && code != "ReopenIdx") continue;
        // p2 the root page, p3 the database (0 the main one).
        if (sqlite3_column_int(g.Stmt, 4) != 0) return answer(false);
        const auto it = FRootPages.constFind(sqlite3_column_int(g.Stmt, 3));
        if (it == FRootPages.constEnd()) return answer(false);
        if (!tables.contains(it.value())) tables << it.value();
    }
    return rc == SQLITE_DONE && answer(true);
}

int TADOConnection::BeginTrans()
{
    if (FTransLevel == 0) {
        ExecSimple("BEGIN IMMEDIATE");
        FWritten.assign(1, {});
    } else {
        ExecSimple(QByteArray("SAVEPOINT qv_trans_" + QByteArray::number(FTransLevel + 1)).constData());
    }
    ++FTransLevel;
    FWritten.resize(size_t(FTransLevel) + 1);
    FWritten.back().clear();
    return FTransLevel;
}

void TADOConnection::CommitTrans()
{
    sqlite3* db = CheckedHandle();
    if (FTransLevel == 0) throw EDatabaseError(QStringLiteral("No transaction is active."));
    if (sqlite3_get_autocommit(db)) {
        FTransLevel = 0;
        throw EDatabaseError(QStringLiteral("The transaction was already rolled back by the database engine."));
    }
    if (FTransLevel == 1) {
        ExecSimple("COMMIT");
        FWritten.assign(1, {});
    } else {
        ExecSimple(QByteArray("RELEASE qv_trans_" + QByteArray::number(FTransLevel)).constData());
        MergeInnermost(FWritten);
    }
    --FTransLevel;
}

void TADOConnection::RollbackTrans()
{
    sqlite3* db = CheckedHandle();
    if (FTransLevel == 0) throw EDatabaseError(QStringLiteral("No transaction is active."));
    if (sqlite3_get_autocommit(db)) {  // the engine already undid it
        ++FUndoEpoch;
        FTransLevel = 0;
        return;
    }
    if (FTransLevel == 1) {
        ExecSimple("ROLLBACK");   // the rollback hook marks the tables
    } else {
        const QByteArray name = "qv_trans_" + QByteArray::number(FTransLevel);
        ExecSimple(("ROLLBACK TO " + name).constData());
        if (FWritten.size() > 1) WritesUndone(FWritten.back());
        ExecSimple(("RELEASE " + name).constData());
        MergeInnermost(FWritten);
    }
    --FTransLevel;
}

TADOTransaction::TADOTransaction(TADOConnection* Connection) : FConnection(Connection)
{
    FConnection->BeginTrans();
    FActive = true;
}

TADOTransaction::~TADOTransaction()
{
    if (!FActive) return;
    try {
        Rollback();
    } catch (...) {
    }
}

void TADOTransaction::Commit()
{
    if (!FActive) throw EDatabaseError(QStringLiteral("No transaction is active."));
    FConnection->CommitTrans();
    FActive = false;
}

void TADOTransaction::Rollback()
{
    if (!FActive) return;
    FActive = false;
    FConnection->RollbackTrans();
}

void TADOConnection::RegisterDataSet(TCustomADODataSet* ds)
{
    if (ds && std::find(FDataSets.begin(), FDataSets.end(), ds) == FDataSets.end()) FDataSets.push_back(ds);
}

void TADOConnection::UnregisterDataSet(TCustomADODataSet* ds)
{
    FDataSets.erase(std::remove(FDataSets.begin(), FDataSets.end(), ds), FDataSets.end());
}

// Re-keys the open file. Encrypted to encrypted is done in place (the engine
// rewrites every page inside one transaction). Between plaintext and
// encrypted the data is exported into a new file beside the database, the
// copy is checked, and only then replaces the file by a rename, so a failure
// at any step leaves the old file whole.
void TADOConnection::ChangePassword(const QString& newPwd, const QString& oldPwd)
{
    sqlite3* db = CheckedHandle();
    if (FTransLevel > 0) throw EDatabaseError(QStringLiteral("The password cannot be changed inside a transaction."));
    if (!FExclusive) throw EDatabaseError(QStringLiteral("Cannot change password on a shared open database."));
    if (oldPwd != FPassword) throw EDatabaseError(QStringLiteral("Not a valid password."));
    if (newPwd == oldPwd) return;
    // A change that was killed half-way leaves its copy (perhaps without a
    // password) beside the file. No other change can run while this
    // connection holds the file exclusively, so any such copy is stale.
    {
        const QFileInfo fi(FFileName);
        QDir dir = fi.absoluteDir();
        for (const QString& stale : dir.entryList({fi.fileName() + QLatin1String(".rekey-*")}, QDir::Files | QDir::Hidden))
            QFile::remove(dir.filePath(stale));
    }

    if (!oldPwd.isEmpty() && !newPwd.isEmpty()) {
        if (Exec(db, ("PRAGMA rekey = " + SqlString(newPwd)).constData()) != SQLITE_OK) RaiseError();
        if (Exec(db, "SELECT count(*) FROM sqlite_master") != SQLITE_OK) RaiseError();
        FPassword = newPwd;
        SetPasswordInConnectionString(newPwd);
        return;
    }

    const QString tmp = FFileName + QLatin1String(".rekey-") + QUuid::createUuid().toString(QUuid::Id128).left(12);
    {
        QFile f(tmp);
        if (!f.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            throw EDatabaseError(QStringLiteral("Cannot create the file '%1': %2").arg(tmp, f.errorString()));
    }
    auto removeTemp = [&] {
        QFile::remove(tmp);
        QFile::remove(tmp + QLatin1String("-journal"));
    };
    bool attached = false;
    try {
        const qint64 userVersion = QueryInt(db, "PRAGMA user_version");
        const qint64 appId = QueryInt(db, "PRAGMA application_id");
        {
            sqlite3_stmt* s = nullptr;
            if (sqlite3_prepare_v2(db, "ATTACH DATABASE ?1 AS qv_rekey KEY ?2", -1, &s, nullptr) != SQLITE_OK) {
                if (s) sqlite3_finalize(s);
                RaiseError();
            }
            ado::internal::StatementGuard g(s);
            const QByteArray path = QFile::encodeName(tmp);
            const QByteArray key = newPwd.toUtf8();
            sqlite3_bind_text(s, 1, path.constData(), int(path.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(s, 2, key.constData(), int(key.size()), SQLITE_TRANSIENT);
            if (sqlite3_step(s) != SQLITE_DONE) RaiseError();
            attached = true;
        }
        if (Exec(db, "SELECT sqlcipher_export('qv_rekey')") != SQLITE_OK) RaiseError();
        // The export leaves out the header fields the application may use.
        if (Exec(db, QByteArray("PRAGMA qv_rekey.user_version = " + QByteArray::number(userVersion)).constData()) != SQLITE_OK ||
            Exec(db, QByteArray("PRAGMA qv_rekey.application_id = " + QByteArray::number(appId)).constData()) != SQLITE_OK)
            RaiseError();
        if (Exec(db, "DETACH DATABASE qv_rekey") != SQLITE_OK) RaiseError();
        attached = false;
        // The copy must open with the new password and be sound.
        sqlite3* check = OpenHandle(tmp, newPwd, false);
        const bool ok = QuickCheck(check).isEmpty();
        sqlite3_close_v2(check);
        if (!ok) throw EDatabaseError(QStringLiteral("The re-keyed copy of the database failed its check."));
    } catch (...) {
        if (attached) Exec(db, "DETACH DATABASE qv_rekey");
        removeTemp();
        throw;
    }

    sqlite3_close_v2(FDb);
    FDb = nullptr;
    if (::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(FFileName).constData()) != 0) {
        const QString err = QString::fromLocal8Bit(std::strerror(errno));
        removeTemp();
        FDb = OpenHandle(FFileName, oldPwd, true);
        Reopened();
        throw EDatabaseError(QStringLiteral("Cannot replace the database file '%1': %2").arg(FFileName, err));
    }
    QFile::remove(tmp + QLatin1String("-journal"));
    SyncDirectory(FFileName);
    FPassword = newPwd;
    SetPasswordInConnectionString(newPwd);
    FDb = OpenHandle(FFileName, newPwd, true);
    Reopened();
    ReadSchema();
}
