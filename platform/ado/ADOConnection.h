#pragma once
// The database connection: SQLCipher through its C API, taking Jet SQL texts.
// The connection string keys that matter are "Data Source" (the file),
// "Jet OLEDB:Database Password" (the key; empty opens a plaintext file) and
// "Mode" (Share Deny ... opens the file exclusively).
//
// Storage forms (what dbtool and every statement can rely on):
//   DATETIME columns   REAL, days since 30.12.1899 with the time as the
//                      fraction (TDateTime); 0.0 is a date, NULL is NULL
//   BOOLEAN columns    INTEGER 1 (true) or 0 (false)
//   keys, references   TEXT (CHAR(38)), the GUID with braces
// Declared types the layer reads: CHAR(n), VARCHAR(n), MEMO, DATETIME,
// INTEGER, SMALLINT, BOOLEAN (see ado::ColumnKind).
// The file is never created by opening it: a zero-byte file is a valid empty
// database (with a password in the connection string its pages are written
// encrypted from the start). Keep the default rollback journal (no WAL).
#include <QByteArray>
#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/Variants.h"
#include "platform/ado/JetSql.h"
#include "platform/ado/Recordset.h"

struct sqlite3;
class TCustomADODataSet;

// Closes a dataset registered on a connection that is closing; defined with
// the datasets (ADODB.cpp).
void ado_CloseDataSet(TCustomADODataSet* ds);

// Raised by Open when the file's first page does not read with the password
// given: a wrong or missing password (or a first page damaged beyond reading).
QV_DECLARE_EXCEPTION(EInvalidPassword, EDatabaseError)

// What a file can be, judged by its size and first bytes without opening
// it: a plain database (an empty file is one too), possibly an encrypted one
// (encrypted pages look like any other bytes), or no database at all (a file
// of pages has a size that is a multiple of 512).
enum class TDatabaseFileKind { Plain, PossiblyEncrypted, NotADatabase };
TDatabaseFileKind DatabaseFileKind(const QString& fileName);

// A connection and its recordsets belong to one thread (the handle is opened
// without a mutex).
class TADOConnection : public TComponent {
    QV_CLASS(TADOConnection, TComponent)
public:
    explicit TADOConnection(TComponent* AOwner = nullptr);
    ~TADOConnection() override;

    QString ConnectionString() const { return FConnectionString; }
    void SetConnectionString(const QString& s);       // raises while connected
    bool LoginPrompt() const { return FLoginPrompt; }
    void SetLoginPrompt(bool v) { FLoginPrompt = v; }
    int ConnectionTimeout() const { return FConnectionTimeout; }
    void SetConnectionTimeout(int s) { FConnectionTimeout = s; }
    QString Provider() const;                          // "Provider" key of the string

    // Opening checks the key with a first statement: a wrong password raises
    // EDatabaseError; a missing file raises and is never created. "Mode" with
    // Share Deny Read/Write (or Share Exclusive) takes the file's exclusive
    // lock and holds it while connected: no other connection can open or read
    // the file meanwhile, and opening fails at once while another connection
    // holds a lock (an exclusive one, or one in a transaction). An idle
    // shared connection holds no lock, so unlike Jet it does not prevent it.
    void Open();
    void Close();
    bool Connected() const { return FDb != nullptr; }
    void SetConnected(bool v) { v ? Open() : Close(); }

    // Executes one Jet SQL text command. A statement that yields rows returns
    // them as a read-only recordset, others return nullptr; RowsAffected gets
    // the count of changed rows. Raises EDatabaseError with the engine's text.
    // "ALTER DATABASE PASSWORD new old" (NULL for no password) re-keys the
    // file: only on an exclusive connection outside a transaction, and only
    // when old is the password the file is open with. The connection stays
    // open and its connection string then carries the new password.
    ado::RecordsetPtr Execute(const QString& jetSql, int* RowsAffected = nullptr);
    // The same re-keying without a statement text, so that any password
    // (blanks, quotes, semicolons) works: empty means no password. Raises
    // EDatabaseError as Execute does; on failure the file keeps its key.
    void ChangePassword(const QString& newPwd, const QString& oldPwd);

    // Transactions on the connection; every statement and every dataset post
    // made meanwhile is committed or undone together. Nested levels are
    // savepoints; BeginTrans returns the new level. After RollbackTrans the
    // recordsets still hold the rows they read: requery them.
    int BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const { return FTransLevel > 0; }
    // Grows whenever any row may have changed unseen (a reconnect, a
    // transaction the engine ended on its own): recordsets compare it, with
    // the versions below, to know whether a requery can keep the rows they hold.
    quint64 UndoEpoch() const { return FUndoEpoch; }
    // The version of a table (any letter case): it grows with every row
    // written to it, and again when a rollback (of the transaction or of a
    // savepoint) undoes writes to it, so rows read from it are still what
    // the table holds while its version stands. A rollback leaves the
    // versions of the tables it did not touch alone. Empty: the sum of the
    // versions of all tables.
    quint64 TableVersion(const QString& table) const;
    // The rows (rowids) of the table written or put back by a rollback
    // after the table had the given version, each once; false when they are
    // not all listed any more (too many since, or a change that names no row).
    bool RowsChangedSince(const QString& table, quint64 version, std::vector<qint64>& rowids) const;
    // Rows changed in ways the versions cannot tell apart (a table without
    // rowid, a whole table emptied at once): a reader treats growth here as
    // a change of every table.
    qint64 UntrackedChanges() const;
    // The tables (lower case) a statement in the engine's dialect reads,
    // views resolved to their tables, as its compiled program opens them;
    // false when that cannot be told (a table of another database, a
    // virtual table, a statement that does not compile).
    bool ReadTables(const QByteArray& engineSql, QStringList& tables) const;

    // Datasets opened on this connection (closed when it closes).
    int DataSetCount() const { return int(FDataSets.size()); }
    TCustomADODataSet* DataSets(int i) const { return FDataSets.at(size_t(i)); }
    void RegisterDataSet(TCustomADODataSet* ds);
    void UnregisterDataSet(TCustomADODataSet* ds);

    // Whether the open file reads back whole: empty when it does, otherwise
    // the engine's first complaint. Reads every page (a second or so per
    // 100 MB), so it is for diagnosing a failure, not for every start.
    QString CheckFile();

    // The Jet SQL text in the engine's dialect (for tests and diagnostics).
    QString Translate(const QString& jetSql) const;
    // Column names of date-time type in the open database (lower case).
    const QStringList& DateTimeColumns() const { return FDateTimeColumns; }

    bool Exclusive() const { return FExclusive; }

    sqlite3* Handle() const { return FDb; }
    // Raises EDatabaseError with the engine's last message.
    [[noreturn]] void RaiseError(const QString& context = QString()) const;

    TNotifyEvent AfterConnect, AfterDisconnect, BeforeConnect, BeforeDisconnect;

    // Value of one key of a connection string ("" when absent); keys compare
    // case-insensitively.
    static QString ConnectionStringValue(const QString& connectionString, const QString& key);
    // A value as it must stand in a connection string: quoted when it holds
    // ';', a quote or blanks at its ends (so any password survives the string).
    static QString QuoteConnectionStringValue(const QString& value);

    // Used by the recordsets of this layer: the translation of a Jet text
    // (cached per text; raises EDatabaseError) ...
    std::shared_ptr<const ado::JetStatement> TranslateStatement(const QString& jetSql) const;
    // ... and a token that turns null when the connection is destroyed.
    std::shared_ptr<TADOConnection* const> AliveToken() const { return FAlive; }
    // Raises EDatabaseError when not connected.
    sqlite3* CheckedHandle() const;

private:
    QString FConnectionString;
    bool FLoginPrompt = true;
    int FConnectionTimeout = 15;
    sqlite3* FDb = nullptr;
    int FTransLevel = 0;
    quint64 FUndoEpoch = 0;
    // The rows of one table written within a transaction level.
    struct TableWrites {
        QSet<qint64> Rows;
        bool Whole = false;        // too many to list: every row counts as written
    };
    using LevelWrites = QHash<QString, TableWrites>;
    // One table's version and the rows changed, by version.
    struct TableLog {
        quint64 Version = 0;
        quint64 Listed = 0;        // every change after this version is in Entries
        std::vector<std::pair<quint64, qint64>> Entries;   // (version, rowid), by version
    };
    QHash<QString, TableLog> FTables;          // by lower-case table name
    quint64 FAllVersions = 0;                  // the sum of the tables' versions
    // The rows written since each open transaction level began ([0]
    // outside any; [n] since BeginTrans returned n).
    std::vector<LevelWrites> FWritten{1};
    qint64 FTrackedChanges = 0;                // rows the update hook saw
    QByteArray FHookTable;                     // the table the update hook saw last, and its key
    QString FHookName;
    mutable QHash<int, QString> FRootPages;    // b-tree root page -> its table, for one schema version
    mutable qint64 FRootPagesSchema = -1;
    mutable QHash<QByteArray, std::pair<bool, QStringList>> FTablesRead;   // by statement, for that schema

    void Reopened();
    void InstallHooks();
    void RowChanged(const QString& table, qint64 rowid);
    void TableChangedWhole(const QString& table);
    void WritesUndone(const LevelWrites& writes);
    static void MergeInnermost(std::vector<LevelWrites>& written);
    static void UpdateHook(void* self, int op, const char* db, const char* table, long long rowid);
    static void RollbackHook(void* self);
    static int CommitHook(void* self);
    QString FFileName;
    QStringList FDateTimeColumns;
    std::vector<TCustomADODataSet*> FDataSets;
    QString FPassword;
    bool FExclusive = false;
    QSet<QString> FDateTimeSet;
    QSet<QString> FNumericSet;   // column names that hold no text in any table
    mutable QHash<QString, std::shared_ptr<const ado::JetStatement>> FTranslations;
    std::shared_ptr<TADOConnection*> FAlive;

    sqlite3* OpenHandle(const QString& file, const QString& password, bool exclusive) const;
    void ReadSchema();
    void ExecSimple(const char* sql);
    void SetPasswordInConnectionString(const QString& pwd);
};

// One transaction for the life of the object (a scope guard): the
// constructor begins it, Commit makes it stick, and leaving the scope
// without Commit (an exception, an early return) rolls it back. A failing
// rollback on the way out is swallowed, so the error that caused it is the
// one that travels on.
class TADOTransaction {
public:
    explicit TADOTransaction(TADOConnection* Connection);
    ~TADOTransaction();
    TADOTransaction(const TADOTransaction&) = delete;
    TADOTransaction& operator=(const TADOTransaction&) = delete;
    void Commit();
    void Rollback();
    bool Active() const { return FActive; }

private:
    TADOConnection* FConnection;
    bool FActive = false;
};
