#pragma once
// The ADO dataset classes: a dataset over an ado::Recordset (TCustomADODataSet),
// the table (TADOTable), the query (TADOQuery) and the command (TADOCommand).
//
// A dataset opens its recordset on its connection when it opens and registers
// with the connection (which closes it when the connection closes). The
// recordset can be handed from one dataset to another (SetRecordset): the
// receiving dataset shows those rows with its own fields, Requery re-runs that
// recordset's statement, and Close + Open returns to the dataset's own source.
// Inserts, edits and deletes go through the recordset, which writes them to
// the database first; a recordset that is not updatable makes CanModify false.
#include <QString>

#include "platform/ado/ADOConnection.h"
#include "platform/ado/Recordset.h"
#include "platform/core/Classes.h"
#include "platform/db/DB.h"

enum TCursorType { ctUnspecified = -1, ctOpenForwardOnly = 0, ctKeyset = 1, ctDynamic = 2, ctStatic = 3 };
enum TLockType { ltUnspecified = -1, ltReadOnly = 1, ltPessimistic = 2, ltOptimistic = 3, ltBatchOptimistic = 4 };
enum TCursorLocation { clUseServer = 2, clUseClient = 3 };
enum TCommandType { cmdUnknown = 0, cmdText = 1, cmdTable = 2, cmdStoredProc = 3, cmdFile = 4, cmdTableDirect = 5 };

class TCustomADODataSet : public TDataSet {
    QV_CLASS(TCustomADODataSet, TDataSet)
public:
    explicit TCustomADODataSet(TComponent* AOwner = nullptr);
    ~TCustomADODataSet() override;

    TADOConnection* Connection() const { return FConnection; }
    void SetConnection(TADOConnection* c);       // closes the dataset when it changes

    // The rows shown. Setting hands a recordset over: the dataset closes and
    // reopens on it (nullptr just closes).
    ado::RecordsetPtr Recordset() const { return FRecordset; }
    void SetRecordset(ado::RecordsetPtr rs);
    // The recordset handed over and shown now (null while the dataset shows
    // its own source).
    ado::RecordsetPtr HandedOverRecordset() const { return FHandedOver; }

    // The table name of a table, the SQL text of a query.
    virtual QString CommandText() const { return FCommandText; }
    void SetCommandText(const QString& s);

    TCursorType CursorType() const { return FCursorType; }
    void SetCursorType(TCursorType t) { FCursorType = t; }
    TLockType LockType() const { return FLockType; }
    void SetLockType(TLockType t) { FLockType = t; }
    TCursorLocation CursorLocation() const { return FCursorLocation; }
    void SetCursorLocation(TCursorLocation l) { FCursorLocation = l; }

    bool CanModify() const override;
    // Re-runs the recordset's statement (the handed-over one too) and goes to
    // the first record; sort and filter stay.
    void Requery() override;

protected:
    // The recordset of the dataset's own source (table or statement).
    virtual ado::RecordsetPtr CreateRecordset() = 0;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    void InternalOpen() override;
    void InternalClose() override;
    void InternalRequery() override;
    int StoreColumnCount() const override;
    TStoreColumn StoreColumn(int col) const override;
    int StoreFindColumn(const QString& name) const override;
    qsizetype StoreRowCount() const override;
    bool StoreRowsAtLeast(qsizetype n) const override;
    bool StoreAllRead() const override;
    bool StoreIsNull(qsizetype row, int col) const override;
    Variant StoreValue(qsizetype row, int col) const override;
    QString StoreText(qsizetype row, int col) const override;
    bool StoreUtf8(qsizetype row, int col, QByteArrayView& out) const override;
    TRowKey StoreKey(qsizetype row) const override;
    qsizetype StoreFindKey(TRowKey key) const override;
    quint64 StoreGeneration() const override;
    bool StoreColumnUnchangedSince(quint64 generation, int col) const override;
    bool StoreUpdatable() const override;
    qsizetype StoreInsert(qsizetype position, const std::vector<Variant>& values) override;
    void StoreUpdate(qsizetype row, const std::vector<Variant>& values) override;
    void StoreDelete(qsizetype row) override;

    void CheckConnection() const;
    void CheckInactive() const;

private:
    TADOConnection* FConnection = nullptr;
    ado::RecordsetPtr FRecordset;
    ado::RecordsetPtr FHandedOver;     // set by SetRecordset until the next Close
    QString FCommandText;
    TCursorType FCursorType = ctKeyset;
    TLockType FLockType = ltOptimistic;
    TCursorLocation FCursorLocation = clUseClient;
    bool FRegistered = false;
};

class TADOTable : public TCustomADODataSet {
    QV_CLASS(TADOTable, TCustomADODataSet)
public:
    explicit TADOTable(TComponent* AOwner = nullptr);
    ~TADOTable() override;

    QString TableName() const { return CommandText(); }
    void SetTableName(const QString& n);           // closes the table when it changes
    bool TableDirect() const { return FTableDirect; }
    void SetTableDirect(bool v) { FTableDirect = v; }
    bool ReadOnly() const { return LockType() == ltReadOnly; }
    void SetReadOnly(bool v) { SetLockType(v ? ltReadOnly : ltOptimistic); }

    // Master/detail: the table shows the rows whose IndexFieldNames equal the
    // MasterFields of the master source's current record ("a;b" for several).
    TDataSource* MasterSource() const { return FMasterSource; }
    void SetMasterSource(TDataSource* ds);
    const QString& MasterFields() const { return FMasterFields; }
    void SetMasterFields(const QString& s);
    const QString& IndexFieldNames() const { return FIndexFieldNames; }
    void SetIndexFieldNames(const QString& s);
    TDataSource* DataSource() const override { return FMasterSource; }

protected:
    ado::RecordsetPtr CreateRecordset() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    bool FTableDirect = false;
    TDataSource* FMasterSource = nullptr;
    QString FMasterFields, FIndexFieldNames;
    void UpdateMasterLink();
};

class TADOQuery : public TCustomADODataSet {
    QV_CLASS(TADOQuery, TCustomADODataSet)
public:
    explicit TADOQuery(TComponent* AOwner = nullptr);
    ~TADOQuery() override;

    // The statement; changing it closes the query.
    TStrings* SQL() { return &FSQL; }
    const TStrings* SQL() const { return &FSQL; }
    QString CommandText() const override { return FSQL.Text(); }
    // Executes the statement as a command; returns the number of rows changed.
    int ExecSQL();
    int RowsAffected() const { return FRowsAffected; }

protected:
    ado::RecordsetPtr CreateRecordset() override;

private:
    TStringList FSQL;
    int FRowsAffected = -1;
};

class TADOCommand : public TComponent {
    QV_CLASS(TADOCommand, TComponent)
public:
    explicit TADOCommand(TComponent* AOwner = nullptr);
    ~TADOCommand() override;

    TADOConnection* Connection() const { return FConnection; }
    void SetConnection(TADOConnection* c);
    const QString& CommandText() const { return FCommandText; }
    void SetCommandText(const QString& s) { FCommandText = s; }
    TCommandType CommandType() const { return FCommandType; }
    void SetCommandType(TCommandType t) { FCommandType = t; }
    int CommandTimeout() const { return FCommandTimeout; }
    void SetCommandTimeout(int s) { FCommandTimeout = s; }

    // Runs the command text on the connection; rows of a statement that yields
    // them come back as a recordset, else nullptr.
    ado::RecordsetPtr Execute(int* RowsAffected = nullptr);

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TADOConnection* FConnection = nullptr;
    QString FCommandText;
    TCommandType FCommandType = cmdText;
    int FCommandTimeout = 30;
};

// Called by TADOConnection::Close for every dataset registered with it.
void ado_CloseDataSet(TCustomADODataSet* ds);
