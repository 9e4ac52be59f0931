// The ADO datasets over ado::Recordset.
#include "platform/ado/ADODB.h"

namespace {

TStoreColumnKind KindOf(ado::ColumnKind k)
{
    switch (k) {
    case ado::ColumnKind::Integer: return TStoreColumnKind::Integer;
    case ado::ColumnKind::Float: return TStoreColumnKind::Float;
    case ado::ColumnKind::Boolean: return TStoreColumnKind::Boolean;
    case ado::ColumnKind::DateTime: return TStoreColumnKind::DateTime;
    case ado::ColumnKind::Text: return TStoreColumnKind::Text;
    case ado::ColumnKind::Blob: return TStoreColumnKind::Blob;
    case ado::ColumnKind::Unknown: break;
    }
    return TStoreColumnKind::Unknown;
}

}  // namespace

void ado_CloseDataSet(TCustomADODataSet* ds)
{
    if (ds) ds->Close();
}

// ====================================================== TCustomADODataSet

TCustomADODataSet::TCustomADODataSet(TComponent* AOwner) : TDataSet(AOwner) {}

TCustomADODataSet::~TCustomADODataSet()
{
    DestroyDataSet();
    if (FConnection) {
        if (FRegistered) FConnection->UnregisterDataSet(this);
        FConnection->RemoveFreeNotification(this);
        FConnection = nullptr;
    }
}

void TCustomADODataSet::Notification(TComponent* AComponent, TOperation Operation)
{
    TDataSet::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FConnection) {
        // The connection goes: the rows stay readable, nothing can be written.
        FRegistered = false;
        FConnection = nullptr;
        Close();
    }
}

void TCustomADODataSet::SetConnection(TADOConnection* c)
{
    if (c == FConnection) return;
    Close();
    if (FConnection) {
        if (FRegistered) FConnection->UnregisterDataSet(this);
        FRegistered = false;
        FConnection->RemoveFreeNotification(this);
    }
    FConnection = c;
    if (c) c->FreeNotification(this);
}

void TCustomADODataSet::SetRecordset(ado::RecordsetPtr rs)
{
    Close();
    if (!rs) return;
    FHandedOver = std::move(rs);
    Open();
}

void TCustomADODataSet::SetCommandText(const QString& s)
{
    if (s == FCommandText) return;
    Close();
    FCommandText = s;
}

void TCustomADODataSet::CheckConnection() const
{
    if (!FConnection) DatabaseError(QStringLiteral("Missing Connection or ConnectionString"));
    if (!FConnection->Connected()) FConnection->Open();
}

void TCustomADODataSet::CheckInactive() const
{
    if (Active()) DatabaseError(QStringLiteral("Cannot perform this operation on an open dataset"));
}

bool TCustomADODataSet::CanModify() const
{
    return Active() && FLockType != ltReadOnly && FRecordset && FRecordset->Updatable();
}

void TCustomADODataSet::InternalOpen()
{
    if (FHandedOver) {
        FRecordset = FHandedOver;
    } else {
        CheckConnection();
        FRecordset = CreateRecordset();
        if (!FRecordset) DatabaseError(QStringLiteral("No rows to open"));
    }
    TADOConnection* c = FRecordset->Connection();
    if (!c) c = FConnection;
    if (c && c == FConnection && !FRegistered) {
        FConnection->RegisterDataSet(this);
        FRegistered = true;
    }
}

void TCustomADODataSet::InternalClose()
{
    FRecordset.reset();
    FHandedOver.reset();
    if (FConnection && FRegistered) FConnection->UnregisterDataSet(this);
    FRegistered = false;
}

void TCustomADODataSet::InternalRequery()
{
    if (!FRecordset) DatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
    FRecordset->Requery();
}

void TCustomADODataSet::Requery() { TDataSet::Requery(); }

int TCustomADODataSet::StoreColumnCount() const { return FRecordset ? FRecordset->ColumnCount() : 0; }

TStoreColumn TCustomADODataSet::StoreColumn(int col) const
{
    TStoreColumn c;
    if (!FRecordset || col < 0 || col >= FRecordset->ColumnCount()) return c;
    const ado::ColumnInfo& i = FRecordset->Column(col);
    c.Name = i.Name;
    c.Table = i.Table;
    c.DeclType = i.DeclType;
    c.Kind = KindOf(i.Kind);
    c.Size = i.Size;
    return c;
}

int TCustomADODataSet::StoreFindColumn(const QString& name) const
{
    return FRecordset ? FRecordset->FindColumn(name) : -1;
}

qsizetype TCustomADODataSet::StoreRowCount() const { return FRecordset ? FRecordset->RowCount() : 0; }

bool TCustomADODataSet::StoreRowsAtLeast(qsizetype n) const { return FRecordset ? FRecordset->RowsAtLeast(n) : n <= 0; }

bool TCustomADODataSet::StoreAllRead() const { return !FRecordset || FRecordset->AllRowsRead(); }

bool TCustomADODataSet::StoreIsNull(qsizetype row, int col) const { return FRecordset->IsNull(row, col); }

Variant TCustomADODataSet::StoreValue(qsizetype row, int col) const { return FRecordset->Value(row, col); }

QString TCustomADODataSet::StoreText(qsizetype row, int col) const { return FRecordset->Text(row, col); }

bool TCustomADODataSet::StoreUtf8(qsizetype row, int col, QByteArrayView& out) const
{
    switch (FRecordset->TypeOf(row, col)) {
    case ado::CellType::Null: return false;
    case ado::CellType::Text: out = FRecordset->Utf8At(row, col); return true;
    default: return FRecordset->Utf8(row, col, out);
    }
}

TRowKey TCustomADODataSet::StoreKey(qsizetype row) const { return FRecordset->Key(row); }

qsizetype TCustomADODataSet::StoreFindKey(TRowKey key) const { return FRecordset ? FRecordset->FindKey(key) : -1; }

quint64 TCustomADODataSet::StoreGeneration() const { return FRecordset ? FRecordset->Generation() : 0; }

bool TCustomADODataSet::StoreColumnUnchangedSince(quint64 generation, int col) const
{
    return FRecordset && FRecordset->ColumnUnchangedSince(generation, col);
}

bool TCustomADODataSet::StoreUpdatable() const
{
    return FLockType != ltReadOnly && FRecordset && FRecordset->Updatable();
}

qsizetype TCustomADODataSet::StoreInsert(qsizetype position, const std::vector<Variant>& values)
{
    return FRecordset->InsertRow(position, values);
}

void TCustomADODataSet::StoreUpdate(qsizetype row, const std::vector<Variant>& values)
{
    FRecordset->UpdateRow(row, values);
}

void TCustomADODataSet::StoreDelete(qsizetype row) { FRecordset->DeleteRow(row); }

// ============================================================== TADOTable

TADOTable::TADOTable(TComponent* AOwner) : TCustomADODataSet(AOwner) {}

TADOTable::~TADOTable()
{
    DestroyDataSet();
    if (FMasterSource) FMasterSource->RemoveFreeNotification(this);
}

void TADOTable::SetTableName(const QString& n) { SetCommandText(n); }

ado::RecordsetPtr TADOTable::CreateRecordset()
{
    if (TableName().trimmed().isEmpty()) DatabaseError(QStringLiteral("Missing TableName property"));
    return ado::Recordset::OpenTable(Connection(), TableName());
}

void TADOTable::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomADODataSet::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FMasterSource) {
        FMasterSource = nullptr;
        UpdateMasterLink();
    }
}

void TADOTable::SetMasterSource(TDataSource* ds)
{
    if (ds == FMasterSource) return;
    if (ds && ds->DataSet() == this) DatabaseError(QStringLiteral("Circular datalinks are not allowed"));
    if (FMasterSource) FMasterSource->RemoveFreeNotification(this);
    FMasterSource = ds;
    if (ds) ds->FreeNotification(this);
    UpdateMasterLink();
}

void TADOTable::SetMasterFields(const QString& s)
{
    FMasterFields = s;
    UpdateMasterLink();
}

void TADOTable::SetIndexFieldNames(const QString& s)
{
    FIndexFieldNames = s;
    UpdateMasterLink();
}

void TADOTable::UpdateMasterLink() { SetMasterLink(FMasterSource, FMasterFields, FIndexFieldNames); }

// ============================================================== TADOQuery

TADOQuery::TADOQuery(TComponent* AOwner) : TCustomADODataSet(AOwner)
{
    FSQL.OnChange = [this](TObject*) { Close(); };
}

TADOQuery::~TADOQuery()
{
    FSQL.OnChange = nullptr;
    DestroyDataSet();
}

ado::RecordsetPtr TADOQuery::CreateRecordset()
{
    const QString sql = FSQL.Text().trimmed();
    if (sql.isEmpty()) DatabaseError(QStringLiteral("CommandText does not return a result set"));
    return ado::Recordset::Open(Connection(), sql);
}

int TADOQuery::ExecSQL()
{
    CheckConnection();
    int rows = 0;
    Connection()->Execute(FSQL.Text().trimmed(), &rows);
    FRowsAffected = rows;
    return rows;
}

// ============================================================ TADOCommand

TADOCommand::TADOCommand(TComponent* AOwner) : TComponent(AOwner) {}

TADOCommand::~TADOCommand()
{
    if (FConnection) FConnection->RemoveFreeNotification(this);
}

void TADOCommand::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FConnection) FConnection = nullptr;
}

void TADOCommand::SetConnection(TADOConnection* c)
{
    if (c == FConnection) return;
    if (FConnection) FConnection->RemoveFreeNotification(this);
    FConnection = c;
    if (c) c->FreeNotification(this);
}

ado::RecordsetPtr TADOCommand::Execute(int* RowsAffected)
{
    if (!FConnection) throw EDatabaseError(QStringLiteral("Missing Connection or ConnectionString"));
    if (!FConnection->Connected()) FConnection->Open();
    QString text = FCommandText;
    if (FCommandType == cmdTable || FCommandType == cmdTableDirect) text = QStringLiteral("SELECT * FROM ") + FCommandText;
    return FConnection->Execute(text, RowsAffected);
}
