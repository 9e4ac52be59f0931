// TDataSet: states, the view over the rows underneath, navigation, editing,
// filter, sort, bookmarks, calculated and lookup values, master/detail.
#include <QDateTime>
#include <QScopedValueRollback>
#include <algorithm>
#include <numeric>

#include "platform/db/DBImpl.h"

using dbimpl::Filter;
using dbimpl::ViewIndex;

namespace {

// Restores the active row and calc state when a scope ends, also on errors.
struct ActiveRowGuard {
    qsizetype& slot;
    qsizetype saved;
    ActiveRowGuard(qsizetype& s, qsizetype v) : slot(s), saved(s) { slot = v; }
    ~ActiveRowGuard() { slot = saved; }
};

QStringList SplitFieldList(const QString& list)
{
    QStringList out;
    for (const QString& p : list.split(QLatin1Char(';'))) {
        QString t = p.trimmed();
        if (!t.isEmpty()) out << t;
    }
    return out;
}

QString NumberKey(double d)
{
    if (d == std::floor(d) && std::fabs(d) < 1e15) return QString::number(qint64(d));
    return QString::number(d, 'g', 17);
}

}  // namespace

// ================================================================ lifecycle

TDataSet::TDataSet(TComponent* AOwner) : TComponent(AOwner) {}

TDataSet::~TDataSet()
{
    Destroying();
    // The concrete class has released its rows already (DestroyDataSet).
    FState = dsInactive;
    FMasterLink.reset();
    for (TDataSource* ds : std::vector<TDataSource*>(FDataSources)) {
        ds->FDataSet = nullptr;
        ds->UpdateState();
    }
    FDataSources.clear();
    for (TField* f : std::vector<TField*>(FFields)) {
        f->FDataSet = nullptr;
        f->FColumn = -1;
        if (f->FDefault) delete f;
    }
    FFields.clear();
}

void TDataSet::DestroyDataSet()
{
    Destroying();
    if (FState != dsInactive) CloseInternal(false);
}

void TDataSet::DatabaseError(const QString& msg) const
{
    throw EDatabaseError(Name().isEmpty() ? msg : Name() + QStringLiteral(": ") + msg);
}

void TDataSet::CheckActive() const
{
    if (FState == dsInactive) DatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void TDataSet::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
}

void TDataSet::SetState(TDataSetState s)
{
    if (FState == s) return;
    FState = s;
    FModified = false;
    DataEvent(deUpdateState);
}

void TDataSet::Open()
{
    if (FState != dsInactive) return;
    Fire(BeforeOpen);
    FState = dsOpening;
    try {
        InternalOpen();
        BindFields();
        FStoreGen = StoreGeneration();
        if (FFilter) FFilter->Bind(this);
        // A sort order set while closed is checked now.
        if (!FSortText.isEmpty()) {
            std::vector<std::pair<QString, bool>> spec;
            ParseSort(FSortText, spec);
            FSortSpec = spec;
        }
        if (FMasterLink) FMasterLink->KeyValid = CurrentMasterKey(FMasterLink->Key);
        FCurKey = -1;
        FCur = 0;
        RebuildView(false);
        FBof = true;
        FEof = !InView(0);
        SetCur(FEof ? -1 : 0);
    } catch (...) {
        FState = dsInactive;
        try { InternalClose(); } catch (...) {}
        UnbindFields();
        FView.clear();
        FIdentity = true;
        throw;
    }
    FState = dsInactive;
    SetState(dsBrowse);
    Fire(AfterOpen);
    if (!IsEmpty()) DoAfterScroll();
}

void TDataSet::Close()
{
    if (FState == dsInactive) return;
    CloseInternal(true);
}

void TDataSet::CloseInternal(bool events)
{
    if (events) Fire(BeforeClose);
    ClearBuffer();
    FInsertPos = -1;
    SetState(dsInactive);
    try {
        InternalClose();
    } catch (...) {
    }
    UnbindFields();
    FView.clear();
    FView.shrink_to_fit();
    FIdentity = true;
    FViewPending = false;
    FCur = -1;
    FCurKey = -1;
    FBof = FEof = true;
    FSortText.clear();
    FSortSpec.clear();
    FIndexes.clear();
    FDetailIndex.reset();
    FFilterIndex.reset();
    FReverse.clear();
    ClearCalcCache();
    ++FViewStamp;
    if (FMasterLink) FMasterLink->KeyValid = false;
    if (events) Fire(AfterClose);
}

// ================================================================== fields

void TDataSet::AddField(TField* f)
{
    if (std::find(FFields.begin(), FFields.end(), f) == FFields.end()) FFields.push_back(f);
    CheckCalcSlots();
    if (Active()) DataEvent(deFieldListChange);
}

void TDataSet::RemoveField(TField* f)
{
    auto it = std::find(FFields.begin(), FFields.end(), f);
    if (it == FFields.end()) return;
    FFields.erase(it);
    CheckCalcSlots();
    if (Active() && !IsDestroying()) DataEvent(deFieldListChange);
}

void TDataSet::CheckCalcSlots()
{
    FCalcFields.clear();
    for (TField* f : FFields) {
        if (f->FieldKind() != fkData) {
            f->FCalcSlot = int(FCalcFields.size());
            FCalcFields.push_back(f);
        } else
            f->FCalcSlot = -1;
    }
    ClearCalcCache();
    FBuf.calcValid = false;
}

void TDataSet::BindFields()
{
    bool persistent = !FFields.empty();
    FDefaultFieldsMade = !persistent;
    if (!persistent) {
        const int n = StoreColumnCount();
        QStringList names;
        for (int c = 0; c < n; ++c) {
            TStoreColumn col = StoreColumn(c);
            QString name = col.Name;
            bool dup = false;
            for (int k = 0; k < n; ++k)
                if (k != c && StoreColumn(k).Name.compare(name, Qt::CaseInsensitive) == 0) dup = true;
            if (dup && !col.Table.isEmpty()) name = col.Table + QLatin1Char('.') + col.Name;
            QString decl = col.DeclType.toUpper();
            int size = col.Size;
            if (int lp = decl.indexOf(QLatin1Char('(')); size <= 0 && lp >= 0)
                size = decl.mid(lp + 1).section(QLatin1Char(')'), 0, 0).section(QLatin1Char(','), 0, 0).trimmed().toInt();
            TField* f = nullptr;
            switch (col.Kind) {
            case TStoreColumnKind::Integer:
                f = decl.contains(QLatin1String("SMALLINT")) ? new TSmallintField() : new TIntegerField();
                break;
            case TStoreColumnKind::Float:
                if (decl.contains(QLatin1String("DEC")) || decl.contains(QLatin1String("NUMERIC")) ||
                    decl.contains(QLatin1String("CURRENCY")) || decl.contains(QLatin1String("MONEY")))
                    f = new TBCDField();
                else
                    f = new TFloatField();
                break;
            case TStoreColumnKind::Boolean: f = new TBooleanField(); break;
            case TStoreColumnKind::DateTime: f = new TDateTimeField(); break;
            case TStoreColumnKind::Blob: f = new TBlobField(); break;
            case TStoreColumnKind::Text:
            case TStoreColumnKind::Unknown:
                if (decl.contains(QLatin1String("MEMO")) || decl.contains(QLatin1String("LONG")) ||
                    decl.contains(QLatin1String("CLOB")) || decl.contains(QLatin1String("NTEXT")))
                    f = new TMemoField();
                else {
                    f = new TWideStringField();
                    f->SetSize(size > 0 ? size : 255);
                }
                break;
            }
            f->SetFieldName(name);
            f->FDefault = true;
            f->FDataSet = this;
            f->FColumn = c;
            FFields.push_back(f);
        }
        CheckCalcSlots();
        return;
    }
    for (TField* f : FFields) {
        f->FColumn = -1;
        if (f->FieldKind() != fkData) continue;
        int c = StoreFindColumn(f->FieldName());
        if (c < 0) {
            for (TField* g : FFields) g->FColumn = -1;
            DatabaseError(QStringLiteral("Field '%1' not found").arg(f->FieldName()));
        }
        f->FColumn = c;
    }
    CheckCalcSlots();
}

void TDataSet::UnbindFields()
{
    std::vector<TField*> keep;
    for (TField* f : FFields) {
        if (f->FDefault) {
            f->FDataSet = nullptr;
            delete f;
        } else {
            f->FColumn = -1;
            keep.push_back(f);
        }
    }
    FFields = keep;
    FDefaultFieldsMade = false;
    CheckCalcSlots();
}

TField* TDataSet::FindField(const QString& name) const
{
    for (TField* f : FFields)
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0) return f;
    return nullptr;
}

TField* TDataSet::FieldByName(const QString& name) const
{
    TField* f = FindField(name);
    if (!f) DatabaseError(QStringLiteral("Field '%1' not found").arg(name));
    return f;
}

void TDataSet::GetFieldNames(TStrings* list) const
{
    list->Clear();
    for (TField* f : FFields) list->Add(f->FieldName());
}

std::vector<TField*> TDataSet::ResolveFields(const QString& fieldList) const
{
    std::vector<TField*> out;
    for (const QString& n : SplitFieldList(fieldList)) out.push_back(FieldByName(n));
    if (out.empty()) DatabaseError(QStringLiteral("No field names given"));
    return out;
}

Variant TDataSet::FieldValues(const QString& names) const
{
    std::vector<TField*> fs = ResolveFields(names);
    if (fs.size() == 1) return fs[0]->Value();
    QVariantList l;
    for (TField* f : fs) l << f->Value();
    return l;
}

void TDataSet::SetFieldValues(const QString& names, const Variant& values)
{
    std::vector<TField*> fs = ResolveFields(names);
    QVariantList l = KeyList(values, int(fs.size()));
    for (size_t k = 0; k < fs.size(); ++k) fs[k]->SetValue(l[int(k)]);
}

// ==================================================================== view

bool TDataSet::MasterRestricted() const
{
    return FMasterLink && FMasterLink->DataSource() && !FMasterFields.trimmed().isEmpty() &&
           !FDetailFields.trimmed().isEmpty();
}

bool TDataSet::SyncStore() const
{
    if (FState == dsInactive || FState == dsOpening) return false;
    if (FViewPending) {
        auto* self = const_cast<TDataSet*>(this);
        self->RebuildView(false);
        self->FBof = true;
        self->FEof = !self->InView(self->FCur);
        return true;
    }
    if (StoreGeneration() == FStoreGen) return false;
    const_cast<TDataSet*>(this)->SyncStoreNow();
    return true;
}

void TDataSet::SyncStoreNow()
{
    // The rows changed underneath (another dataset on the same recordset, a
    // requery elsewhere): rebuild and find the current record again.
    RebuildView(true);
    if (FInsertPos > ViewSize()) FInsertPos = ViewSize();
}

void TDataSet::RebuildView(bool keepCurrent)
{
    FViewPending = false;
    const bool whole = !MasterRestricted() && !(FFiltered && (FFilter || OnFilterRecord)) && FSortSpec.empty();
    // A view of every row in order needs no count: the rows are read as far
    // as they are looked at.
    const qsizetype n = whole ? 0 : StoreRowCount();
    FStoreGen = StoreGeneration();
    ClearCalcCache();
    std::vector<qsizetype> rows;
    bool identity = true;

    if (MasterRestricted()) {
        identity = false;
        if (FMasterLink->KeyValid) {
            if (!FDetailIndex || FDetailIndex->StoreStamp != FStoreGen) {
                FDetailIndex = std::make_shared<ViewIndex>();
                FDetailIndex->StoreStamp = FStoreGen;
                std::vector<TField*> df = ResolveFields(FDetailFields);
                for (qsizetype r = 0; r < n; ++r) FDetailIndex->All[RowKeyBytes(r, df)].push_back(r);
            }
            auto it = FDetailIndex->All.constFind(FMasterLink->Key);
            if (it != FDetailIndex->All.constEnd()) rows = it.value();
        }
    }

    bool filtering = FFiltered && (FFilter || OnFilterRecord);
    if (filtering) {
        std::vector<qsizetype> kept;
        auto test = [&](qsizetype r) {
            if (FFilter && !FFilter->Match(this, r)) return false;
            if (OnFilterRecord) {
                bool accept = true;
                ActiveRowGuard g(FActiveStore, r);
                TDataSetState saved = FState;
                FState = dsFilter;
                ++FCalcDepth;
                try {
                    OnFilterRecord(this, accept);
                } catch (...) {
                    FState = saved;
                    --FCalcDepth;
                    throw;
                }
                FState = saved;
                --FCalcDepth;
                return accept;
            }
            return true;
        };
        if (identity && FFilter && !OnFilterRecord && FFilter->SelectRows(this, n, FStoreGen, FFilterIndex, kept)) {
            // An equality set (the vote filter): its rows come from an index.
        } else if (identity) {
            kept.reserve(size_t(n / 8 + 16));
            for (qsizetype r = 0; r < n; ++r)
                if (test(r)) kept.push_back(r);
        } else {
            for (qsizetype r : rows)
                if (test(r)) kept.push_back(r);
        }
        rows.swap(kept);
        identity = false;
    }

    if (!FSortSpec.empty()) {
        if (identity) {
            rows.resize(size_t(n));
            std::iota(rows.begin(), rows.end(), qsizetype(0));
            identity = false;
        }
        struct Key {
            int col;
            bool desc, numeric;
            std::vector<double> num;
            std::vector<QString> txt;
            std::vector<char> null;
        };
        std::vector<Key> keys;
        for (auto& [name, desc] : FSortSpec) {
            Key k;
            k.col = StoreFindColumn(name);
            if (TField* f = FindField(name); k.col < 0 && f && f->FieldKind() == fkData) k.col = f->FColumn;
            k.desc = desc;
            TStoreColumnKind kind = StoreColumn(k.col).Kind;
            k.numeric = kind == TStoreColumnKind::Integer || kind == TStoreColumnKind::Float ||
                        kind == TStoreColumnKind::Boolean || kind == TStoreColumnKind::DateTime;
            const size_t m = rows.size();
            k.null.resize(m);
            if (k.numeric) k.num.resize(m);
            else k.txt.resize(m);
            for (size_t i = 0; i < m; ++i) {
                qsizetype r = rows[i];
                if (StoreIsNull(r, k.col)) { k.null[i] = 1; continue; }
                if (k.numeric) {
                    double d = 0;
                    Variant v = StoreValue(r, k.col);
                    if (kind == TStoreColumnKind::DateTime) dbimpl::VariantToDateTime(v, d);
                    else dbimpl::VariantToNumber(v, d);
                    k.num[i] = d;
                } else
                    k.txt[i] = dbimpl::FoldText(StoreText(r, k.col));
            }
            keys.push_back(std::move(k));
        }
        std::vector<quint32> perm(rows.size());
        std::iota(perm.begin(), perm.end(), quint32(0));
        std::stable_sort(perm.begin(), perm.end(), [&](quint32 a, quint32 b) {
            for (const Key& k : keys) {
                int c;
                bool na = k.null[a], nb = k.null[b];
                if (na || nb) c = na == nb ? 0 : (na ? -1 : 1);
                else if (k.numeric) c = k.num[a] < k.num[b] ? -1 : (k.num[a] > k.num[b] ? 1 : 0);
                else c = QString::compare(k.txt[a], k.txt[b], Qt::CaseSensitive);
                if (c != 0) return k.desc ? c > 0 : c < 0;
            }
            return false;
        });
        std::vector<qsizetype> sorted(rows.size());
        for (size_t i = 0; i < perm.size(); ++i) sorted[i] = rows[perm[i]];
        rows.swap(sorted);
    }

    FView.swap(rows);
    FIdentity = identity;
    if (identity) {
        FView.clear();
        FView.shrink_to_fit();
    }
    ++FViewStamp;
    FReverse.clear();

    if (identity && !(keepCurrent && CurKey() >= 0)) {
        const qsizetype want = std::max<qsizetype>(FCur, 0);
        if (InView(want)) {
            SetCur(want);
            return;
        }
    }
    const qsizetype size = ViewSize();
    if (keepCurrent && CurKey() >= 0) {
        qsizetype r = StoreFindKey(FCurKey);
        qsizetype pos = r >= 0 ? StoreToView(r) : -1;
        if (pos < 0) pos = std::min(FCur, size - 1);
        SetCur(size > 0 ? std::max<qsizetype>(pos, 0) : -1);
    } else {
        SetCur(size > 0 ? std::clamp<qsizetype>(FCur, 0, size - 1) : -1);
    }
    if (size == 0) FBof = FEof = true;
}

qsizetype TDataSet::StoreToView(qsizetype row) const
{
    if (row < 0) return -1;
    if (FIdentity) return row < StoreRowCount() ? row : -1;
    if (FReverseStamp != FViewStamp || FReverse.empty()) {
        FReverse.assign(size_t(StoreRowCount()), 0);
        for (size_t i = 0; i < FView.size(); ++i)
            if (FView[i] >= 0 && FView[i] < qsizetype(FReverse.size())) FReverse[size_t(FView[i])] = qsizetype(i) + 1;
        FReverseStamp = FViewStamp;
    }
    if (row >= qsizetype(FReverse.size())) return -1;
    return FReverse[size_t(row)] - 1;
}

void TDataSet::SetCur(qsizetype pos)
{
    FCur = pos;
    if (InView(pos)) {
        qsizetype r = ViewToStore(pos);
        // A store that reads its rows when asked keeps them unread until the
        // key is wanted.
        FCurKey = StoreAllRead() ? StoreKey(r) : kKeyUnread;
        FCalcRecomputeRow = r;
    } else
        FCurKey = -1;
}

TRowKey TDataSet::CurKey() const
{
    if (FCurKey == kKeyUnread) FCurKey = InView(FCur) ? StoreKey(ViewToStore(FCur)) : -1;
    return FCurKey;
}

qsizetype TDataSet::GridRowToStore(qsizetype i) const
{
    if (i < 0) return -3;
    if (FState == dsInsert && FInsertPos >= 0) {
        if (i == FInsertPos) return -1;
        if (i > FInsertPos) --i;
    }
    if (!InView(i)) return -3;
    return ViewToStore(i);
}

qsizetype TDataSet::ActiveStoreRow() const
{
    if (FActiveStore != -2) return FActiveStore;
    if (FState == dsEdit || FState == dsInsert) return -1;
    if (FViewPending) SyncStore();
    if (!InView(FCur)) return -3;
    return ViewToStore(FCur);
}

bool TDataSet::ActiveIsBuffer() const { return ActiveStoreRow() == -1; }

int TDataSet::ViewRowCount() const
{
    if (!Active()) return 0;
    SyncStore();
    return int(ViewSize() + (FState == dsInsert ? 1 : 0));
}

int TDataSet::CurrentViewRow() const
{
    if (!Active()) return -1;
    if (FState == dsInsert) return int(FInsertPos);
    if (FViewPending) SyncStore();
    return int(FCur);
}

void TDataSet::SetActiveViewRow(int i)
{
    if (i < 0 || i == CurrentViewRow()) {
        FActiveStore = -2;
        FActiveGrid = -1;
        return;
    }
    FActiveStore = GridRowToStore(i);
    FActiveGrid = i;
}

int TDataSet::ActiveViewRow() const { return FActiveStore == -2 ? CurrentViewRow() : FActiveGrid; }

Variant TDataSet::GetFieldValue(int viewRow, TField* field)
{
    if (!Active() || !field) return VarNull();
    SyncStore();
    qsizetype r = viewRow == CurrentViewRow() ? -2 : GridRowToStore(viewRow);
    if (r == -3) return VarNull();
    ActiveRowGuard g(FActiveStore, r);
    return field->Value();
}

QString TDataSet::GetFieldText(int viewRow, TField* field, bool displayText)
{
    if (!Active() || !field) return QString();
    SyncStore();
    qsizetype r = viewRow == CurrentViewRow() ? -2 : GridRowToStore(viewRow);
    if (r == -3) return QString();
    ActiveRowGuard g(FActiveStore, r);
    return displayText ? field->DisplayText() : field->Text();
}

Variant TDataSet::FieldValueAtStore(const TField* f, qsizetype storeRow)
{
    ActiveRowGuard g(FActiveStore, storeRow);
    return f->Value();
}

// ============================================================ field values

Variant TDataSet::ReadColumn(int col) const
{
    qsizetype r = ActiveStoreRow();
    if (r == -1) return col < int(FBuf.values.size()) ? FBuf.values[size_t(col)] : VarNull();
    if (r < 0) return VarNull();
    if (StoreIsNull(r, col)) return VarNull();
    return StoreValue(r, col);
}

Variant TDataSet::ReadField(const TField* f) const
{
    if (FState == dsInactive || FState == dsOpening) return VarNull();
    SyncStore();
    if (f->FieldKind() == fkData) {
        if (f->FColumn < 0) return VarNull();
        return ReadColumn(f->FColumn);
    }
    const int slot = f->FCalcSlot;
    if (slot < 0) return VarNull();
    if (FCalcTarget) return (*FCalcTarget)[size_t(slot)];
    auto* self = const_cast<TDataSet*>(this);
    qsizetype r = ActiveStoreRow();
    if (r == -1) {
        if (!FBuf.calcValid) {
            self->FBuf.calcValid = true;
            try {
                self->ComputeCalc(-1, self->FBuf.calc);
            } catch (...) {
                self->FBuf.calcValid = false;
                throw;
            }
        }
        return slot < int(FBuf.calc.size()) ? FBuf.calc[size_t(slot)] : VarNull();
    }
    if (r < 0) return VarNull();
    const std::vector<Variant>& v = self->CalcValuesFor(r);
    return slot < int(v.size()) ? v[size_t(slot)] : VarNull();
}

void TDataSet::ClearCalcCache()
{
    FCalcCache.clear();
    FCalcCacheGen = (FState == dsInactive) ? 0 : StoreGeneration();
    FCalcLookupStamps.clear();
}

void TDataSet::CheckCalcCache()
{
    bool stale = FCalcCacheGen != StoreGeneration();
    // The lookup datasets' rows as they were when the values were made.
    std::vector<LookupStamp> now;
    for (TField* f : FCalcFields) {
        if (f->FieldKind() != fkLookup || !f->LookupDataSet()) continue;
        TDataSet* l = f->LookupDataSet();
        l->SyncStore();
        bool seen = false;
        for (auto& s : now)
            if (s.ds == l) seen = true;
        if (!seen) now.push_back({l, l->Active() ? l->FViewStamp : 0});
    }
    if (!stale) {
        if (now.size() != FCalcLookupStamps.size()) stale = true;
        else
            for (size_t i = 0; i < now.size(); ++i)
                if (now[i].ds != FCalcLookupStamps[i].ds || now[i].stamp != FCalcLookupStamps[i].stamp) stale = true;
    }
    if (stale || FCalcCache.size() > 20000) {
        FCalcCache.clear();
        FCalcCacheGen = StoreGeneration();
        FCalcLookupStamps = now;
    }
}

const std::vector<Variant>& TDataSet::CalcValuesFor(qsizetype storeRow)
{
    CheckCalcCache();
    if (storeRow == FCalcRecomputeRow) {
        FCalcCache.remove(storeRow);
        FCalcRecomputeRow = -1;
    }
    auto it = FCalcCache.find(storeRow);
    if (it != FCalcCache.end()) return it->values;
    CalcEntry e;
    ComputeCalc(storeRow, e.values);
    return FCalcCache.insert(storeRow, e)->values;
}

void TDataSet::ComputeCalc(qsizetype storeRow, std::vector<Variant>& out)
{
    out.assign(FCalcFields.size(), VarNull());
    if (FCalcFields.empty()) return;
    ActiveRowGuard g(FActiveStore, storeRow);
    std::vector<Variant>* savedTarget = FCalcTarget;
    FCalcTarget = nullptr;
    // Lookup values first, so that OnCalcFields can use them.
    for (TField* f : FCalcFields)
        if (f->FieldKind() == fkLookup) out[size_t(f->FCalcSlot)] = LookupValue(f);
    if (OnCalcFields && FAutoCalcFields) {
        TDataSetState saved = FState;
        FCalcTarget = &out;
        FState = dsCalcFields;
        ++FCalcDepth;
        try {
            OnCalcFields(this);
        } catch (...) {
            FState = saved;
            --FCalcDepth;
            FCalcTarget = savedTarget;
            throw;
        }
        FState = saved;
        --FCalcDepth;
    }
    FCalcTarget = savedTarget;
}

Variant TDataSet::LookupValue(TField* f)
{
    TDataSet* l = f->LookupDataSet();
    if (!l || !l->Active() || f->KeyFields().isEmpty() || f->LookupKeyFields().isEmpty() ||
        f->LookupResultField().isEmpty())
        return VarNull();
    std::vector<TField*> keys = ResolveFields(f->KeyFields());
    std::vector<TField*> lkeys = l->ResolveFields(f->LookupKeyFields());
    std::vector<QByteArray> want;
    for (size_t k = 0; k < keys.size(); ++k) {
        Variant v = keys[k]->Value();
        if (VarIsNull(v)) return VarNull();
        want.push_back(ValueKey(v, k < lkeys.size() ? lkeys[k]->DataType() : keys[k]->DataType()));
    }
    if (want.size() != lkeys.size()) return VarNull();
    qsizetype pos = l->FindExact(lkeys, want);
    if (pos < 0) return VarNull();
    TField* result = l->FieldByName(f->LookupResultField());
    return l->FieldValueAtStore(result, l->ViewToStore(pos));
}

void TDataSet::WriteField(TField* f, const Variant& v)
{
    // Inside OnCalcFields: only calculated fields, into the values being made.
    if (FCalcTarget && f->FieldKind() != fkData) {
        (*FCalcTarget)[size_t(f->FCalcSlot)] = VarIsNull(v) ? VarNull() : f->Normalize(v);
        return;
    }
    if (FState == dsCalcFields || FState == dsFilter)
        DatabaseError(QStringLiteral("Field '%1' cannot be modified").arg(f->DisplayName()));
    if (FState != dsEdit && FState != dsInsert) DatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
    if (f->ReadOnly()) DatabaseError(QStringLiteral("Field '%1' cannot be modified").arg(f->DisplayName()));
    SyncStore();
    Variant nv = VarIsNull(v) ? VarNull() : f->Normalize(v);

    if (f->FieldKind() == fkLookup) {
        // The row of the lookup dataset whose result equals the value gives the keys.
        TDataSet* l = f->LookupDataSet();
        std::vector<TField*> keys = ResolveFields(f->KeyFields());
        if (VarIsNull(nv) || nv.toString().isEmpty()) {
            for (TField* k : keys) k->SetValue(VarNull());
            return;
        }
        if (!l || !l->Active()) DatabaseError(QStringLiteral("Lookup dataset of field '%1' is not open").arg(f->DisplayName()));
        std::vector<TField*> rf = l->ResolveFields(f->LookupResultField());
        qsizetype pos = l->FindInView(rf, QVariantList{nv}, 0);
        if (pos < 0)
            DatabaseError(QStringLiteral("'%1' is not a valid value for field '%2'").arg(nv.toString(), f->DisplayName()));
        std::vector<TField*> lk = l->ResolveFields(f->LookupKeyFields());
        qsizetype r = l->ViewToStore(pos);
        for (size_t k = 0; k < keys.size() && k < lk.size(); ++k) keys[k]->SetValue(l->FieldValueAtStore(lk[k], r));
        return;
    }

    if (f->FieldKind() != fkData) {
        if (!FBuf.calcValid) {
            FBuf.calcValid = true;
            ComputeCalc(-1, FBuf.calc);
        }
        Variant old = FBuf.calc[size_t(f->FCalcSlot)];
        FBuf.calc[size_t(f->FCalcSlot)] = nv;
        if (f->OnValidate) {
            try { f->OnValidate(f); } catch (...) { FBuf.calc[size_t(f->FCalcSlot)] = old; throw; }
        }
        DataEvent(deFieldChange, f);
        return;
    }
    if (f->FColumn < 0) DatabaseError(QStringLiteral("Field '%1' is not bound to a column").arg(f->DisplayName()));
    const size_t c = size_t(f->FColumn);
    Variant old = FBuf.values[c];
    char oldChanged = FBuf.changed[c];
    FBuf.values[c] = nv;
    FBuf.changed[c] = 1;
    if (f->OnValidate) {
        try {
            f->OnValidate(f);
        } catch (...) {
            FBuf.values[c] = old;
            FBuf.changed[c] = oldChanged;
            throw;
        }
    }
    DataEvent(deFieldChange, f);
}

// ================================================================ events

void TDataSet::DataEvent(TDataEvent event, TField* field)
{
    if (event == deFieldChange && field) {
        if (field->FieldKind() == fkData || field->FieldKind() == fkInternalCalc) {
            FModified = true;
            ++FFieldChanges;
            FBuf.calcValid = false;
        }
        if (field->OnChange) field->OnChange(field);
    }
    if (FCalcDepth > 0 && event != deUpdateRecord && event != deCheckBrowseMode) return;
    if (FDisableCount > 0 && event != deUpdateRecord && event != deCheckBrowseMode) {
        FEnableEventPending = true;
        return;
    }
    NotifyDataSources(event, field);
}

void TDataSet::NotifyDataSources(TDataEvent event, TField* field)
{
    for (TDataSource* ds : std::vector<TDataSource*>(FDataSources))
        if (std::find(FDataSources.begin(), FDataSources.end(), ds) != FDataSources.end()) ds->DataEvent(event, field);
}

void TDataSet::AddDataSource(TDataSource* ds)
{
    if (std::find(FDataSources.begin(), FDataSources.end(), ds) == FDataSources.end()) FDataSources.push_back(ds);
}

void TDataSet::RemoveDataSource(TDataSource* ds)
{
    FDataSources.erase(std::remove(FDataSources.begin(), FDataSources.end(), ds), FDataSources.end());
}

bool TDataSet::IsLinkedTo(TDataSource* ds) const
{
    for (const TDataSet* d = this; d;) {
        TDataSource* m = d->DataSource();
        if (!m) return false;
        if (m == ds) return true;
        d = m->DataSet();
    }
    return false;
}

TDataSource* TDataSet::DataSource() const { return MasterSource(); }

TDataSource* TDataSet::MasterSource() const { return FMasterLink ? FMasterLink->DataSource() : nullptr; }

void TDataSet::DisableControls()
{
    if (FDisableCount++ == 0) {
        FDisableState = FState;
        FEnableEventPending = false;
    }
}

void TDataSet::EnableControls()
{
    if (FDisableCount == 0) return;
    if (--FDisableCount == 0) {
        if (FDisableState != FState) NotifyDataSources(deUpdateState, nullptr);
        if (FDisableState != dsInactive && FState != dsInactive) NotifyDataSources(deDataSetChange, nullptr);
        FEnableEventPending = false;
    }
}

void TDataSet::DoBeforeScroll() { Fire(BeforeScroll); }
void TDataSet::DoAfterScroll() { Fire(AfterScroll); }

// ============================================================= navigation

void TDataSet::CheckBrowseMode()
{
    CheckActive();
    {
        QScopedValueRollback<bool> leaving(FLeavingRecord, true);
        DataEvent(deCheckBrowseMode);
    }
    if (FState == dsEdit || FState == dsInsert) {
        UpdateRecord();
        if (FModified) Post();
        else Cancel();
    }
}

void TDataSet::First()
{
    CheckActive();
    CheckBrowseMode();
    SyncStore();
    DoBeforeScroll();
    SetCur(InView(0) ? 0 : -1);
    FBof = true;
    FEof = FCur < 0;
    DataEvent(deDataSetChange);
    DoAfterScroll();
}

void TDataSet::Last()
{
    CheckActive();
    CheckBrowseMode();
    SyncStore();
    DoBeforeScroll();
    SetCur(ViewSize() - 1);
    FEof = true;
    FBof = ViewSize() == 0;
    DataEvent(deDataSetChange);
    DoAfterScroll();
}

int TDataSet::MoveBy(int distance)
{
    CheckActive();
    CheckBrowseMode();
    SyncStore();
    if (distance == 0) return 0;
    DoBeforeScroll();
    int moved = 0;
    if ((distance > 0 && !FEof) || (distance < 0 && !FBof)) {
        const qsizetype n = ViewSize();
        FBof = FEof = false;
        qsizetype target = FCur + distance;
        if (target >= n) {
            target = n - 1;
            FEof = true;
        }
        if (target < 0) {
            target = n > 0 ? 0 : -1;
            FBof = true;
        }
        if (n == 0) FBof = FEof = true;
        moved = int(target - FCur);
        SetCur(target);
        DataEvent(deDataSetScroll);
        DoAfterScroll();
    }
    return moved;
}

int TDataSet::RecNo() const
{
    if (!Active() || FState == dsInsert) return -1;
    SyncStore();
    if (FCur < 0 || ViewSize() == 0) return -1;
    return int(FCur + 1);
}

void TDataSet::SetRecNo(int n)
{
    CheckActive();
    SyncStore();
    if (n < 1 || n > ViewSize()) return;
    MoveBy(n - RecNo());
}

int TDataSet::RecordCount() const
{
    if (!Active()) return 0;
    SyncStore();
    return int(ViewSize());
}

bool TDataSet::IsEmpty() const
{
    if (!Active()) return true;
    SyncStore();
    return !InView(0) && FState != dsInsert;
}

// ================================================================ editing

bool TDataSet::CanModify() const { return Active() && StoreUpdatable(); }

void TDataSet::ClearBuffer()
{
    FBuf.values.clear();
    FBuf.changed.clear();
    FBuf.old.clear();
    FBuf.calc.clear();
    FBuf.calcValid = false;
}

void TDataSet::BeginInsertAppend(bool append)
{
    CheckActive();
    CheckBrowseMode();
    if (!CanModify()) DatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    Fire(BeforeInsert);
    DoBeforeScroll();
    SyncStore();
    FCurBeforeInsert = FCur;
    FAppending = append;
    FInsertPos = append ? ViewSize() : std::max<qsizetype>(FCur, 0);
    const size_t cols = size_t(StoreColumnCount());
    ClearBuffer();
    FBuf.values.assign(cols, VarNull());
    FBuf.changed.assign(cols, 0);
    FBuf.old.assign(cols, VarNull());
    FBof = false;
    FEof = append;
    SetState(dsInsert);
    try {
        InitNewRecord();
    } catch (...) {
        ClearBuffer();
        FInsertPos = -1;
        SetCur(FCurBeforeInsert);
        SetState(dsBrowse);
        DataEvent(deDataSetChange);
        throw;
    }
    FModified = false;
    DataEvent(deDataSetChange);
    Fire(AfterInsert);
    FFieldChangesAtInsert = FFieldChanges;
    DoAfterScroll();
}

void TDataSet::InitNewRecord()
{
    // A detail record takes the master's values.
    if (MasterRestricted() && FMasterLink->Active()) {
        TDataSet* m = FMasterLink->DataSet();
        QStringList mf = SplitFieldList(FMasterFields);
        std::vector<TField*> df = ResolveFields(FDetailFields);
        if (m && (m->RecordCount() > 0 || m->State() == dsInsert))
            for (int k = 0; k < mf.size() && k < int(df.size()); ++k) df[size_t(k)]->SetValue(m->FieldByName(mf[k])->Value());
    }
    Fire(OnNewRecord);
}

void TDataSet::Insert() { BeginInsertAppend(false); }
void TDataSet::Append() { BeginInsertAppend(true); }

void TDataSet::Edit()
{
    CheckActive();
    if (FState == dsEdit || FState == dsInsert) return;
    SyncStore();
    if (ViewSize() == 0) {
        Append();
        return;
    }
    CheckBrowseMode();
    if (!CanModify()) DatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    Fire(BeforeEdit);
    SyncStore();
    for (;;) {
        try {
            if (FCur < 0) DatabaseError(QStringLiteral("No current record"));
            qsizetype r = ViewToStore(FCur);
            const int cols = StoreColumnCount();
            ClearBuffer();
            FBuf.values.resize(size_t(cols));
            for (int c = 0; c < cols; ++c) FBuf.values[size_t(c)] = StoreIsNull(r, c) ? VarNull() : StoreValue(r, c);
            FBuf.changed.assign(size_t(cols), 0);
            FBuf.old = FBuf.values;
            break;
        } catch (EDatabaseError& e) {
            TDataAction a = daFail;
            if (OnEditError) OnEditError(this, e, a);
            if (a == daFail) throw;
            if (a == daAbort) Abort();
        }
    }
    SetState(dsEdit);
    DataEvent(deRecordChange);
    Fire(AfterEdit);
}

void TDataSet::UpdateRecord()
{
    if (FState != dsEdit && FState != dsInsert) DatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
    DataEvent(deUpdateRecord);
}

void TDataSet::CheckRequired()
{
    for (TField* f : FFields) {
        if (!f->Required() || f->ReadOnly() || f->FieldKind() != fkData || f->FColumn < 0) continue;
        const Variant& v = FBuf.values[size_t(f->FColumn)];
        if (VarIsNull(v)) DatabaseError(QStringLiteral("Field '%1' must have a value").arg(f->DisplayName()));
    }
}

void TDataSet::InternalPostRecord()
{
    const int cols = StoreColumnCount();
    std::vector<Variant> vals(static_cast<size_t>(cols));
    bool any = false;
    for (int c = 0; c < cols; ++c)
        if (c < int(FBuf.changed.size()) && FBuf.changed[size_t(c)]) {
            vals[size_t(c)] = FBuf.values[size_t(c)];
            any = true;
        }
    if (FState == dsInsert) {
        const qsizetype vs = ViewSize();
        qsizetype pos = std::clamp<qsizetype>(FInsertPos, 0, vs);
        qsizetype storePos = pos >= vs ? StoreRowCount() : ViewToStore(pos);
        qsizetype p = StoreInsert(storePos, vals);
        if (FIdentity && p != pos) {
            // Keep the new record where it was inserted in the view.
            FView.resize(size_t(StoreRowCount() - 1));
            for (size_t i = 0, r = 0; i < FView.size(); ++i, ++r) {
                if (qsizetype(r) == p) ++r;
                FView[i] = qsizetype(r);
            }
            FIdentity = false;
        }
        if (!FIdentity) {
            for (auto& r : FView)
                if (r >= p) ++r;
            FView.insert(FView.begin() + pos, p);
        }
        FStoreGen = StoreGeneration();
        ++FViewStamp;
        FReverse.clear();
        FDetailIndex.reset();
        ClearCalcCache();
        FInsertPos = -1;
        SetCur(pos);
    } else {
        qsizetype r = StoreFindKey(CurKey());
        if (r < 0) DatabaseError(QStringLiteral("Record not found or changed by another user"));
        // The filter index follows this dataset's own writes (a vote changed
        // in the grid), so the next filter does not make it anew.
        const bool follow = any && FFilterIndex && FFilterIndex->StoreStamp == StoreGeneration();
        const qint64 from = follow ? dbimpl::Filter::IndexBucket(*FFilterIndex, this, r) : -1;
        if (any) StoreUpdate(r, vals);
        if (follow) dbimpl::Filter::Rechain(*FFilterIndex, this, r, from, StoreGeneration());
        FStoreGen = StoreGeneration();
        ++FViewStamp;
        FDetailIndex.reset();
        ClearCalcCache();
        qsizetype pos = StoreToView(r);
        if (pos >= 0) SetCur(pos);
    }
}

void TDataSet::Post()
{
    CheckActive();
    UpdateRecord();
    DataEvent(deCheckBrowseMode);
    Fire(BeforePost);
    for (;;) {
        try {
            CheckRequired();
            InternalPostRecord();
            break;
        } catch (EDatabaseError& e) {
            TDataAction a = daFail;
            if (OnPostError) OnPostError(this, e, a);
            if (a == daFail) throw;
            if (a == daAbort) Abort();
        }
    }
    ClearBuffer();
    FBof = FEof = false;
    SetState(dsBrowse);
    DataEvent(deDataSetChange);
    Fire(AfterPost);
}

void TDataSet::Cancel()
{
    if (FState != dsEdit && FState != dsInsert) return;
    DataEvent(deCheckBrowseMode);
    Fire(BeforeCancel);
    const bool wasInsert = FState == dsInsert;
    if (wasInsert) DoBeforeScroll();
    ClearBuffer();
    SyncStore();
    if (wasInsert) {
        FInsertPos = -1;
        const qsizetype n = ViewSize();
        SetCur(n > 0 ? std::clamp<qsizetype>(FCurBeforeInsert, 0, n - 1) : -1);
    } else if (FCur >= 0) {
        FCalcRecomputeRow = ViewToStore(FCur);
    }
    FBof = FEof = ViewSize() == 0;
    SetState(dsBrowse);
    DataEvent(deDataSetChange);
    Fire(AfterCancel);
    if (wasInsert) DoAfterScroll();
}

void TDataSet::Delete()
{
    CheckActive();
    if (FState == dsInsert) {
        Cancel();
        return;
    }
    SyncStore();
    if (ViewSize() == 0) DatabaseError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    if (!CanModify()) DatabaseError(QStringLiteral("Cannot modify a read-only dataset"));
    DataEvent(deCheckBrowseMode);
    Fire(BeforeDelete);
    DoBeforeScroll();
    SyncStore();
    qsizetype r = -1;
    for (;;) {
        try {
            r = StoreFindKey(CurKey());
            if (r < 0) DatabaseError(QStringLiteral("Record not found or changed by another user"));
            StoreDelete(r);
            break;
        } catch (EDatabaseError& e) {
            TDataAction a = daFail;
            if (OnDeleteError) OnDeleteError(this, e, a);
            if (a == daFail) throw;
            if (a == daAbort) Abort();
        }
    }
    qsizetype pos = FCur;
    if (!FIdentity) {
        auto it = std::find(FView.begin(), FView.end(), r);
        if (it != FView.end()) {
            pos = qsizetype(it - FView.begin());
            FView.erase(it);
        }
        for (auto& x : FView)
            if (x > r) --x;
    }
    FStoreGen = StoreGeneration();
    ++FViewStamp;
    FReverse.clear();
    FDetailIndex.reset();
    ClearCalcCache();
    ClearBuffer();
    const qsizetype n = ViewSize();
    SetCur(n > 0 ? std::min(pos, n - 1) : -1);
    FBof = FEof = n == 0;
    SetState(dsBrowse);
    DataEvent(deDataSetChange);
    Fire(AfterDelete);
    DoAfterScroll();
}

void TDataSet::Refresh()
{
    CheckActive();
    CheckBrowseMode();
    Fire(BeforeRefresh);
    InternalRequery();
    RebuildView(true);
    DataEvent(deDataSetChange);
    Fire(AfterRefresh);
}

void TDataSet::Requery()
{
    CheckActive();
    CheckBrowseMode();
    InternalRequery();
    if (DeferView()) return;
    RebuildView(false);
    First();
}

bool TDataSet::DeferView()
{
    // Only where no one could see the difference: no control or scroll
    // handler follows the dataset, and making the view now would read rows
    // the store has not read yet.
    if (FState != dsBrowse || !FDataSources.empty() || BeforeScroll || AfterScroll || StoreAllRead()) return false;
    FViewPending = true;
    FView.clear();
    FIdentity = false;
    FCur = 0;
    FCurKey = -1;
    FBof = true;
    FEof = false;
    FReverse.clear();
    ClearCalcCache();
    ++FViewStamp;
    return true;
}

void TDataSet::Resync()
{
    CheckActive();
    RebuildView(true);
    DataEvent(deDataSetChange);
}

// =============================================================== bookmarks

TBookmark TDataSet::GetBookmark() const
{
    TBookmark b;
    if (!Active() || FState == dsInsert) return b;
    SyncStore();
    if (!InView(FCur)) return b;
    b.Key = CurKey();
    return b;
}

TBookmark TDataSet::ViewRowBookmark(int viewRow) const
{
    TBookmark b;
    if (!Active()) return b;
    SyncStore();
    const qsizetype r = GridRowToStore(viewRow);
    if (r < 0) return b;
    b.Key = StoreKey(r);
    return b;
}

bool TDataSet::BookmarkValid(const TBookmark& b) const
{
    if (!Active() || b.IsNull()) return false;
    SyncStore();
    return StoreToView(StoreFindKey(b.Key)) >= 0;
}

void TDataSet::GotoBookmark(const TBookmark& b)
{
    CheckActive();
    CheckBrowseMode();
    SyncStore();
    qsizetype pos = b.IsNull() ? -1 : StoreToView(StoreFindKey(b.Key));
    if (pos < 0) DatabaseError(QStringLiteral("Record not found"));
    DoBeforeScroll();
    SetCur(pos);
    FBof = FEof = false;
    DataEvent(deDataSetChange);
    DoAfterScroll();
}

int TDataSet::CompareBookmarks(const TBookmark& a, const TBookmark& b) const
{
    if (a.IsNull() || b.IsNull()) return a.IsNull() == b.IsNull() ? 0 : (a.IsNull() ? -1 : 1);
    if (a.Key == b.Key) return 0;
    SyncStore();
    qsizetype pa = StoreToView(StoreFindKey(a.Key)), pb = StoreToView(StoreFindKey(b.Key));
    if (pa < 0 || pb < 0) return a.Key < b.Key ? -1 : 1;
    return pa < pb ? -1 : (pa > pb ? 1 : 0);
}

// ======================================================= keys, Locate, Lookup

QString TDataSet::CanonicalKey(const Variant& v, TFieldType type)
{
    if (VarIsNull(v)) return QStringLiteral("\x01");
    if (dbimpl::IsNumericType(type) || type == ftBoolean || type == ftDate || type == ftTime || type == ftDateTime) {
        double d;
        bool ok = type == ftDate || type == ftTime || type == ftDateTime ? dbimpl::VariantToDateTime(v, d)
                                                                         : dbimpl::VariantToNumber(v, d);
        if (type == ftBoolean && !ok && v.typeId() == QMetaType::QString) {
            bool b;
            if (dbimpl::TextToBoolean(v.toString(), b)) { d = b; ok = true; }
        }
        if (ok) return NumberKey(d);
        return QStringLiteral("\x02") + v.toString();
    }
    return v.toString();
}

QByteArray TDataSet::ValueKey(const Variant& v, TFieldType type) { return CanonicalKey(v, type).toUtf8(); }

void TDataSet::AppendCellKey(QByteArray& key, qsizetype storeRow, TField* f)
{
    if (f->FieldKind() == fkData && f->FColumn >= 0) {
        if (dbimpl::IsTextType(f->DataType())) {
            QByteArrayView v;
            if (StoreUtf8(storeRow, f->FColumn, v)) key.append(v.data(), v.size());
            else key.append('\x01');
            return;
        }
        key += ValueKey(StoreIsNull(storeRow, f->FColumn) ? VarNull() : StoreValue(storeRow, f->FColumn), f->DataType());
        return;
    }
    key += ValueKey(FieldValueAtStore(f, storeRow), f->DataType());
}

QByteArray TDataSet::RowKeyBytes(qsizetype storeRow, const std::vector<TField*>& fields)
{
    QByteArray key;
    for (size_t k = 0; k < fields.size(); ++k) {
        if (k) key += '\x1F';
        AppendCellKey(key, storeRow, fields[k]);
    }
    return key;
}

namespace {
inline quint64 Mix(quint64 h, QByteArrayView v) { return qHash(v, size_t(h * 0x9E3779B97F4A7C15ull + 0x632BE5AB)); }
}  // namespace

quint64 TDataSet::RowHash(qsizetype storeRow, const std::vector<TField*>& fields)
{
    quint64 h = 0x51ED27;
    QByteArray tmp;
    for (TField* f : fields) {
        if (f->FieldKind() == fkData && f->FColumn >= 0 && dbimpl::IsTextType(f->DataType())) {
            QByteArrayView v;
            h = StoreUtf8(storeRow, f->FColumn, v) ? Mix(h, v) : Mix(h, QByteArrayView("\x01", 1));
        } else {
            tmp.clear();
            AppendCellKey(tmp, storeRow, f);
            h = Mix(h, tmp);
        }
    }
    return h;
}

bool TDataSet::RowMatches(qsizetype r, const std::vector<TField*>& fields, const std::vector<QByteArray>& keys)
{
    QByteArray cell;
    for (size_t k = 0; k < fields.size(); ++k) {
        TField* f = fields[k];
        if (f->FieldKind() == fkData && f->FColumn >= 0 && dbimpl::IsTextType(f->DataType())) {
            QByteArrayView view;
            if (StoreUtf8(r, f->FColumn, view)) {
                if (view != QByteArrayView(keys[k])) return false;
            } else if (keys[k] != "\x01")
                return false;
        } else {
            cell.clear();
            AppendCellKey(cell, r, f);
            if (cell != keys[k]) return false;
        }
    }
    return true;
}

qsizetype TDataSet::FindExact(const std::vector<TField*>& fields, const std::vector<QByteArray>& keys)
{
    SyncStore();
    QString name;
    for (TField* f : fields) name += f->FieldName().toLower() + QLatin1Char(';');
    auto& slot = FIndexes[name];
    if (!slot) slot = std::make_shared<ViewIndex>();
    ViewIndex& idx = *slot;
    const qsizetype n = ViewSize();
    if (!(idx.Built && idx.Stamp == FViewStamp) && idx.MissStamp == FViewStamp && n < qsizetype(UINT32_MAX / 2)) {
        // The second search on this view: index it.
        size_t cap = 16;
        while (cap < size_t(n) * 2) cap <<= 1;
        idx.Hash.assign(cap, 0);
        idx.Pos.assign(cap, 0);
        for (qsizetype v = 0; v < n; ++v) {
            quint64 h = RowHash(ViewToStore(v), fields);
            size_t i = size_t(h) & (cap - 1);
            while (idx.Pos[i]) i = (i + 1) & (cap - 1);
            idx.Hash[i] = h;
            idx.Pos[i] = quint32(v + 1);
        }
        idx.Stamp = FViewStamp;
        idx.Built = true;
    }
    if (idx.Built && idx.Stamp == FViewStamp) {
        quint64 h = 0x51ED27;
        for (const QByteArray& k : keys) h = Mix(h, k);
        const size_t cap = idx.Hash.size();
        qsizetype best = -1;
        for (size_t i = size_t(h) & (cap - 1); idx.Pos[i]; i = (i + 1) & (cap - 1)) {
            if (idx.Hash[i] != h) continue;
            qsizetype v = qsizetype(idx.Pos[i]) - 1;
            if ((best < 0 || v < best) && RowMatches(ViewToStore(v), fields, keys)) best = v;
        }
        return best;
    }
    idx.MissStamp = FViewStamp;
    idx.Built = false;
    for (qsizetype v = 0; v < n; ++v)
        if (RowMatches(ViewToStore(v), fields, keys)) return v;
    return -1;
}

QVariantList TDataSet::KeyList(const Variant& values, int count) const
{
    QVariantList l;
    if (values.typeId() == QMetaType::QVariantList) l = values.toList();
    else if (values.typeId() == QMetaType::QStringList)
        for (const QString& s : values.toStringList()) l << s;
    else
        l << values;
    if (l.size() != count)
        DatabaseError(QStringLiteral("%1 values given for %2 fields").arg(l.size()).arg(count));
    return l;
}

qsizetype TDataSet::FindInView(const std::vector<TField*>& fields, const QVariantList& values, TLocateOptions options)
{
    SyncStore();
    if (options == 0) {
        std::vector<QByteArray> keys;
        for (size_t k = 0; k < fields.size(); ++k) keys.push_back(ValueKey(values[int(k)], fields[k]->DataType()));
        return FindExact(fields, keys);
    }
    const bool ci = options & loCaseInsensitive, partial = options & loPartialKey;
    std::vector<QString> wanted;
    for (size_t k = 0; k < fields.size(); ++k) {
        const Variant& v = values[int(k)];
        wanted.push_back(VarIsNull(v) ? QString() : (dbimpl::IsTextType(fields[k]->DataType()) ? v.toString()
                                                                                              : CanonicalKey(v, fields[k]->DataType())));
    }
    const qsizetype n = ViewSize();
    for (qsizetype pos = 0; pos < n; ++pos) {
        qsizetype r = ViewToStore(pos);
        bool all = true;
        for (size_t k = 0; k < fields.size() && all; ++k) {
            TField* f = fields[k];
            Variant cell = f->FieldKind() == fkData && f->FColumn >= 0
                               ? (StoreIsNull(r, f->FColumn) ? VarNull() : StoreValue(r, f->FColumn))
                               : FieldValueAtStore(f, r);
            const Variant& want = values[int(k)];
            if (VarIsNull(want) || VarIsNull(cell)) {
                all = VarIsNull(want) && VarIsNull(cell);
                continue;
            }
            if (dbimpl::IsTextType(f->DataType())) {
                QString s = cell.toString();
                Qt::CaseSensitivity cs = ci ? Qt::CaseInsensitive : Qt::CaseSensitive;
                all = partial ? s.startsWith(wanted[k], cs) : s.compare(wanted[k], cs) == 0;
            } else
                all = CanonicalKey(cell, f->DataType()) == wanted[k];
        }
        if (all) return pos;
    }
    return -1;
}

bool TDataSet::Locate(const QString& keyFields, const Variant& keyValues, TLocateOptions options)
{
    CheckActive();
    CheckBrowseMode();
    std::vector<TField*> fields = ResolveFields(keyFields);
    QVariantList vals = KeyList(keyValues, int(fields.size()));
    DoBeforeScroll();
    qsizetype pos = FindInView(fields, vals, options);
    if (pos < 0) return false;
    SetCur(pos);
    FBof = FEof = false;
    DataEvent(deDataSetChange);
    DoAfterScroll();
    return true;
}

Variant TDataSet::Lookup(const QString& keyFields, const Variant& keyValues, const QString& resultFields)
{
    CheckActive();
    std::vector<TField*> fields = ResolveFields(keyFields);
    QVariantList vals = KeyList(keyValues, int(fields.size()));
    std::vector<TField*> res = ResolveFields(resultFields);
    qsizetype pos = FindInView(fields, vals, 0);
    if (pos < 0) return VarNull();
    qsizetype r = ViewToStore(pos);
    if (res.size() == 1) return FieldValueAtStore(res[0], r);
    QVariantList out;
    for (TField* f : res) out << FieldValueAtStore(f, r);
    return out;
}

// ========================================================== filter and sort

void TDataSet::SetFilter(const QString& text)
{
    std::shared_ptr<dbimpl::Filter> parsed;
    if (!text.trimmed().isEmpty()) parsed = dbimpl::Filter::Parse(text);
    if (Active() && FFiltered) {
        CheckBrowseMode();
        if (parsed) parsed->Bind(this);
    }
    FFilterText = text;
    FFilter = parsed;
    if (Active() && FFiltered && !DeferView()) {
        RebuildView(false);
        First();
    }
}

void TDataSet::SetFiltered(bool v)
{
    if (v == FFiltered) return;
    if (Active()) {
        CheckBrowseMode();
        if (v && FFilter) FFilter->Bind(this);
    }
    FFiltered = v;
    if (Active() && !DeferView()) {
        RebuildView(false);
        First();
    }
}

void TDataSet::ParseSort(const QString& text, std::vector<std::pair<QString, bool>>& out) const
{
    out.clear();
    for (const QString& part : text.split(QLatin1Char(','))) {
        QString p = part.trimmed();
        if (p.isEmpty()) {
            if (text.trimmed().isEmpty()) continue;
            DatabaseError(QStringLiteral("Invalid sort order \"%1\"").arg(text));
        }
        QStringList w = p.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        bool desc = false;
        if (w.size() > 2) DatabaseError(QStringLiteral("Invalid sort order \"%1\"").arg(text));
        if (w.size() == 2) {
            if (w[1].compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0) desc = true;
            else if (w[1].compare(QLatin1String("ASC"), Qt::CaseInsensitive) != 0)
                DatabaseError(QStringLiteral("Invalid sort order \"%1\"").arg(text));
        }
        QString name = w[0];
        if (name.startsWith(QLatin1Char('[')) && name.endsWith(QLatin1Char(']'))) name = name.mid(1, name.size() - 2);
        if (Active() || FState == dsOpening) {
            TField* f = FindField(name);
            if (f && f->FieldKind() != fkData)
                DatabaseError(QStringLiteral("Field '%1' is not a column and cannot be sorted on").arg(name));
            if (StoreFindColumn(name) < 0 && !(f && f->FColumn >= 0))
                DatabaseError(QStringLiteral("Field '%1' not found").arg(name));
        }
        out.emplace_back(name, desc);
    }
}

void TDataSet::SetSort(const QString& text)
{
    std::vector<std::pair<QString, bool>> spec;
    ParseSort(text, spec);
    if (Active()) CheckBrowseMode();
    FSortText = text;
    FSortSpec = spec;
    if (Active()) {
        RebuildView(true);
        DataEvent(deDataSetChange);
    }
}

// ========================================================== master / detail

void TDataSet::SetMasterLink(TDataSource* master, const QString& masterFields, const QString& detailFields)
{
    if (!FMasterLink) FMasterLink = std::make_unique<dbimpl::MasterLink>(this);
    if (master && master->DataSet() == this) DatabaseError(QStringLiteral("Circular datalinks are not allowed"));
    FMasterFields = masterFields;
    FDetailFields = detailFields;
    FMasterLink->KeyValid = false;
    FMasterLink->SetDataSource(master);
    if (Active()) {
        FMasterLink->Key = QByteArray("\x03");   // force a refresh
        FMasterLink->KeyValid = true;
        MasterChanged();
    }
}

bool TDataSet::CurrentMasterKey(QByteArray& key) const
{
    key.clear();
    if (!MasterRestricted()) return false;
    TDataSet* m = FMasterLink->DataSet();
    if (!m || !m->Active() || (m->RecordCount() == 0 && m->State() != dsInsert)) return false;
    QStringList mf = SplitFieldList(FMasterFields);
    std::vector<TField*> df = ResolveFields(FDetailFields);
    for (int k = 0; k < mf.size() && k < int(df.size()); ++k) {
        if (k) key += '\x1F';
        key += ValueKey(m->FieldByName(mf[k])->Value(), df[size_t(k)]->DataType());
    }
    return true;
}

void TDataSet::MasterChanged()
{
    if (FState == dsInactive || FState == dsOpening || !FMasterLink) return;
    QByteArray key;
    bool valid = CurrentMasterKey(key);
    if (valid == FMasterLink->KeyValid && key == FMasterLink->Key) return;
    CheckBrowseMode();
    FMasterLink->KeyValid = valid;
    FMasterLink->Key = key;
    RebuildView(false);
    First();
}

namespace dbimpl {

void MasterLink::ActiveChanged() { FDetail->MasterChanged(); }
void MasterLink::DataSetChanged() { FDetail->MasterChanged(); }
void MasterLink::DataSetScrolled(int) { FDetail->MasterChanged(); }
void MasterLink::RecordChanged(TField* Field)
{
    if (!Field) {
        FDetail->MasterChanged();
        return;
    }
    for (const QString& n : FDetail->FMasterFields.split(QLatin1Char(';')))
        if (n.trimmed().compare(Field->FieldName(), Qt::CaseInsensitive) == 0) {
            FDetail->MasterChanged();
            return;
        }
}
void MasterLink::CheckBrowseMode()
{
    if (FDetail->Active()) FDetail->CheckBrowseMode();
}

}  // namespace dbimpl
