// Data sources and data links: how controls follow a dataset.
#include <algorithm>

#include "platform/db/DBImpl.h"

// ============================================================ TDataSource

TDataSource::TDataSource(TComponent* AOwner) : TComponent(AOwner) {}

TDataSource::~TDataSource()
{
    Destroying();
    if (FDataSet) {
        FDataSet->RemoveDataSource(this);
        FDataSet->RemoveFreeNotification(this);
        FDataSet = nullptr;
    }
    for (TDataLink* l : std::vector<TDataLink*>(FLinks)) {
        l->FDataSource = nullptr;
        l->UpdateActive();
        l->UpdateEditing();
    }
    FLinks.clear();
}

void TDataSource::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FDataSet) {
        FDataSet = nullptr;
        UpdateState();
    }
}

void TDataSource::SetDataSet(TDataSet* ds)
{
    if (ds == FDataSet) return;
    if (ds && ds->IsLinkedTo(this)) throw EDatabaseError(QStringLiteral("Circular datalinks are not allowed"));
    if (FDataSet) {
        FDataSet->RemoveDataSource(this);
        FDataSet->RemoveFreeNotification(this);
    }
    FDataSet = ds;
    if (ds) {
        ds->AddDataSource(this);
        ds->FreeNotification(this);
    }
    UpdateState();
}

void TDataSource::SetEnabled(bool v)
{
    if (v == FEnabled) return;
    FEnabled = v;
    UpdateState();
}

TDataSetState TDataSource::State() const { return FState; }

void TDataSource::UpdateState()
{
    TDataSetState s = (FEnabled && FDataSet) ? FDataSet->State() : dsInactive;
    // Temporary states of the dataset (calculating, filtering) are not shown.
    if (s == dsCalcFields || s == dsFilter || s == dsOpening) s = FState;
    if (s == FState) return;
    FState = s;
    for (TDataLink* l : std::vector<TDataLink*>(FLinks))
        if (std::find(FLinks.begin(), FLinks.end(), l) != FLinks.end()) l->DataEvent(deUpdateState, nullptr);
    if (OnStateChange) OnStateChange(this);
}

void TDataSource::DataEvent(TDataEvent event, TField* field)
{
    if (event == deUpdateState) {
        UpdateState();
        return;
    }
    if (FState == dsInactive) return;
    for (TDataLink* l : std::vector<TDataLink*>(FLinks))
        if (std::find(FLinks.begin(), FLinks.end(), l) != FLinks.end()) l->DataEvent(event, field);
    switch (event) {
    case deFieldChange:
        if (OnDataChange) OnDataChange(this, field);
        break;
    case deRecordChange:
    case deDataSetChange:
    case deDataSetScroll:
    case deLayoutChange:
        if (OnDataChange) OnDataChange(this, nullptr);
        break;
    case deUpdateRecord:
        if (OnUpdateData) OnUpdateData(this);
        break;
    default: break;
    }
}

void TDataSource::Edit()
{
    if (FAutoEdit && FDataSet && FState == dsBrowse) FDataSet->Edit();
}

bool TDataSource::IsLinkedTo(TDataSet* ds) const
{
    // A data source is linked to ds when ds (through its masters) shows this source.
    for (const TDataSet* d = ds; d;) {
        TDataSource* m = d->DataSource();
        if (!m) return false;
        if (m == this) return true;
        d = m->DataSet();
    }
    return false;
}

void TDataSource::AddLink(TDataLink* l)
{
    if (std::find(FLinks.begin(), FLinks.end(), l) == FLinks.end()) FLinks.push_back(l);
}

void TDataSource::RemoveLink(TDataLink* l) { FLinks.erase(std::remove(FLinks.begin(), FLinks.end(), l), FLinks.end()); }

// ============================================================== TDataLink

TDataLink::TDataLink() = default;

TDataLink::~TDataLink()
{
    if (FDataSource) FDataSource->RemoveLink(this);
    FDataSource = nullptr;
}

void TDataLink::SetDataSource(TDataSource* ds)
{
    if (ds == FDataSource) return;
    if (FDataSource) FDataSource->RemoveLink(this);
    FDataSource = ds;
    if (ds) ds->AddLink(this);
    UpdateActive();
    UpdateEditing();
}

TDataSet* TDataLink::DataSet() const { return FDataSource ? FDataSource->DataSet() : nullptr; }

void TDataLink::SetReadOnly(bool v)
{
    if (v == FReadOnly) return;
    FReadOnly = v;
    UpdateEditing();
}

void TDataLink::UpdateActive()
{
    bool a = FDataSource && FDataSource->State() != dsInactive;
    if (a == FActive) return;
    FActive = a;
    if (a) {
        FFirst = 0;
        AdjustWindow();
    }
    ActiveChanged();
}

void TDataLink::UpdateEditing()
{
    TDataSetState s = FDataSource ? FDataSource->State() : dsInactive;
    bool e = FActive && (s == dsEdit || s == dsInsert) && !FReadOnly;
    if (e == FEditing) return;
    FEditing = e;
    EditingChanged();
}

bool TDataLink::Edit()
{
    if (!FReadOnly && FDataSource) FDataSource->Edit();
    return FEditing;
}

void TDataLink::UpdateRecord()
{
    FUpdating = true;
    try {
        UpdateData();
    } catch (...) {
        FUpdating = false;
        throw;
    }
    FUpdating = false;
}

void TDataLink::SetBufferCount(int n)
{
    FBufferCount = std::max(1, n);
    if (FActive) AdjustWindow();
}

int TDataLink::AdjustWindow()
{
    TDataSet* ds = DataSet();
    const int old = FFirst;
    if (!ds || !ds->Active()) {
        FFirst = 0;
        return -old;
    }
    const int count = ds->ViewRowCount();
    const int cur = ds->CurrentViewRow();
    if (cur < 0) FFirst = 0;
    else if (cur < FFirst) FFirst = cur;
    else if (cur >= FFirst + FBufferCount) FFirst = cur - FBufferCount + 1;
    const int maxFirst = std::max(0, count - FBufferCount);
    if (FFirst > maxFirst) FFirst = maxFirst;
    if (FFirst < 0) FFirst = 0;
    return FFirst - old;
}

int TDataLink::RecordCount() const
{
    TDataSet* ds = DataSet();
    if (!FActive || !ds) return 0;
    return std::clamp(ds->ViewRowCount() - FFirst, 0, FBufferCount);
}

int TDataLink::ActiveRecord() const
{
    TDataSet* ds = DataSet();
    if (!FActive || !ds) return 0;
    return ds->ActiveViewRow() - FFirst;
}

void TDataLink::SetActiveRecord(int i)
{
    TDataSet* ds = DataSet();
    if (!FActive || !ds) return;
    ds->SetActiveViewRow(FFirst + i);
}

int TDataLink::MoveBy(int distance)
{
    TDataSet* ds = DataSet();
    return ds ? ds->MoveBy(distance) : 0;
}

bool TDataLink::Bof() const
{
    TDataSet* ds = DataSet();
    return !ds || ds->Bof();
}

bool TDataLink::Eof() const
{
    TDataSet* ds = DataSet();
    return !ds || ds->Eof();
}

void TDataLink::DataEvent(TDataEvent event, TField* field)
{
    if (event == deUpdateState) {
        UpdateActive();
        UpdateEditing();
        return;
    }
    if (!FActive) return;
    switch (event) {
    case deFieldChange:
    case deRecordChange:
        if (!FUpdating) RecordChanged(field);
        break;
    case deDataSetChange:
        AdjustWindow();
        DataSetChanged();
        break;
    case deDataSetScroll:
        DataSetScrolled(AdjustWindow());
        break;
    case deLayoutChange:
    case deFieldListChange:
        AdjustWindow();
        LayoutChanged();
        break;
    case deUpdateRecord: UpdateRecord(); break;
    case deCheckBrowseMode: CheckBrowseMode(); break;
    case deFocusControl: FocusControl(field); break;
    default: break;
    }
}

// ========================================================= TFieldDataLink

void TFieldDataLink::SetFieldName(const QString& n)
{
    if (n == FFieldName) return;
    FFieldName = n;
    UpdateField();
}

void TFieldDataLink::UpdateField()
{
    TField* f = nullptr;
    if (Active() && !FFieldName.isEmpty() && DataSet()) f = DataSet()->FindField(FFieldName);
    if (f != FField) {
        FField = f;
        EditingChanged();
    }
    RecordChanged(nullptr);
}

bool TFieldDataLink::CanModify() const { return !ReadOnly() && FField && FField->CanModify(); }

void TFieldDataLink::Reset() { RecordChanged(nullptr); }

void TFieldDataLink::ActiveChanged()
{
    UpdateField();
    if (OnActiveChange) OnActiveChange(FControl);
}

void TFieldDataLink::EditingChanged()
{
    if (OnEditingChange) OnEditingChange(FControl);
}

void TFieldDataLink::FocusControl(TField* Field) { Q_UNUSED(Field); }

void TFieldDataLink::LayoutChanged() { UpdateField(); }

void TFieldDataLink::RecordChanged(TField* Field)
{
    if (Field == nullptr || Field == FField) {
        FModified = false;
        if (OnDataChange) OnDataChange(FControl);
    }
}

void TFieldDataLink::UpdateData()
{
    if (FModified) {
        if (FField && OnUpdateData) OnUpdateData(FControl);
        FModified = false;
    }
}
