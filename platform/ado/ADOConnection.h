#pragma once
// The database connection: SQLCipher through its C API, taking Jet SQL texts.
// The connection string keys that matter are "Data Source" (the file),
// "Jet OLEDB:Database Password" (the key; empty opens a plaintext file) and
// "Mode" (Share Deny ... opens the file exclusively).
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/Variants.h"
#include "platform/ado/Recordset.h"

struct sqlite3;
class TCustomADODataSet;

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
    // EDatabaseError; a missing file raises and is never created.
    void Open();
    void Close();
    bool Connected() const { return FDb != nullptr; }
    void SetConnected(bool v) { v ? Open() : Close(); }

    // Executes one Jet SQL text command. A statement that yields rows returns
    // them as a read-only recordset, others return nullptr; RowsAffected gets
    // the count of changed rows. Raises EDatabaseError with the engine's text.
    // "ALTER DATABASE PASSWORD new old" (NULL for no password) re-keys the file.
    ado::RecordsetPtr Execute(const QString& jetSql, int* RowsAffected = nullptr);

    // Transactions on the connection; every statement and every dataset post
    // made meanwhile is committed or undone together.
    int BeginTrans();
    void CommitTrans();
    void RollbackTrans();
    bool InTransaction() const { return FTransLevel > 0; }

    // Datasets opened on this connection (closed when it closes).
    int DataSetCount() const { return int(FDataSets.size()); }
    TCustomADODataSet* DataSets(int i) const { return FDataSets.at(size_t(i)); }
    void RegisterDataSet(TCustomADODataSet* ds);
    void UnregisterDataSet(TCustomADODataSet* ds);

    // The Jet SQL text in the engine's dialect (for tests and diagnostics).
    QString Translate(const QString& jetSql) const;
    // Column names of date-time type in the open database (lower case).
    const QStringList& DateTimeColumns() const { return FDateTimeColumns; }

    sqlite3* Handle() const { return FDb; }
    // Raises EDatabaseError with the engine's last message.
    [[noreturn]] void RaiseError(const QString& context = QString()) const;

    TNotifyEvent AfterConnect, AfterDisconnect, BeforeConnect, BeforeDisconnect;

    // Value of one key of a connection string ("" when absent); keys compare
    // case-insensitively.
    static QString ConnectionStringValue(const QString& connectionString, const QString& key);

private:
    QString FConnectionString;
    bool FLoginPrompt = true;
    int FConnectionTimeout = 15;
    sqlite3* FDb = nullptr;
    int FTransLevel = 0;
    QString FFileName;
    QStringList FDateTimeColumns;
    std::vector<TCustomADODataSet*> FDataSets;
    void ChangePassword(const QString& newPwd, const QString& oldPwd);
};
