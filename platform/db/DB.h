#pragma once
// The dataset layer: fields, datasets with their states, navigation, editing,
// filters, sort order, bookmarks, calculated and lookup fields, master/detail,
// and the data sources and data links through which controls follow a dataset.
//
// A dataset shows a *view* of the rows its concrete class supplies (the ADO
// layer supplies a recordset's rows): the rows of the current master record,
// passing the filter, in the sort order. The current record is a position in
// that view. Rows are never copied: values are read from the rows underneath
// when a field is read, so opening, filtering and sorting do not touch
// calculated or lookup fields, and a grid painting rows k..k+n reads only those.
//
// Conventions that hold throughout:
// - Text comparisons in filters ('=', '<>', '<', '>', LIKE) ignore letter case
//   (Unicode simple case folding), as the original cursor engine's filters do.
//   Locate and Lookup are exact and case-sensitive unless loCaseInsensitive /
//   loPartialKey are given.
// - Sort order: text case-insensitively by Unicode code point (with "ё" taken
//   as "е"), numbers and dates numerically, NULLs first; ties keep the
//   natural order (the sort is stable).
// - A bookmark is the row key of the record (the rowid for table rows), so it
//   survives sorting, filtering and requerying.
// - Errors are EDatabaseError; a before-event that raises stops the operation
//   (EAbort silently: it propagates as EAbort and callers catch it).
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/DateTime.h"
#include "platform/core/SysUtils.h"
#include "platform/core/Variants.h"

class TDataSet;
class TDataSource;
class TDataLink;
class TField;

// ----------------------------------------------------------------- enumerations

enum TFieldKind { fkData, fkCalculated, fkLookup, fkInternalCalc, fkAggregate };

enum TFieldType {
    ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat, ftCurrency, ftBCD, ftDate,
    ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob, ftMemo, ftGraphic, ftFmtMemo,
    ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor, ftFixedChar, ftWideString, ftLargeint, ftADT,
    ftArray, ftReference, ftDataSet, ftOraBlob, ftOraClob, ftVariant, ftInterface, ftIDispatch, ftGuid,
    ftTimeStamp, ftFMTBcd, ftFixedWideChar, ftWideMemo
};

enum TDataSetState {
    dsInactive, dsBrowse, dsEdit, dsInsert, dsSetKey, dsCalcFields, dsFilter, dsNewValue, dsOldValue,
    dsCurValue, dsBlockRead, dsInternalCalc, dsOpening
};

enum TDataEvent {
    deFieldChange, deRecordChange, deDataSetChange, deDataSetScroll, deLayoutChange, deUpdateRecord,
    deUpdateState, deCheckBrowseMode, dePropertyChange, deFieldListChange, deFocusControl,
    deParentScroll, deConnectChange, deReconcileError, deDisabledStateChange
};

enum TDataAction { daFail, daAbort, daRetry };

enum TLocateOption { loCaseInsensitive = 1, loPartialKey = 2 };
using TLocateOptions = int;   // or-ed TLocateOption values

enum TBlobType { btMemo = ftMemo, btBlob = ftBlob };

// Row identity below a dataset (the rowid of a table row, else its position).
using TRowKey = qint64;

// A record's place that survives Sort, Filter and Requery.
struct TBookmark {
    TRowKey Key = -1;
    bool IsNull() const { return Key < 0; }
    bool operator==(const TBookmark& o) const { return Key == o.Key; }
    bool operator!=(const TBookmark& o) const { return Key != o.Key; }
};

// ----------------------------------------------------------------------- events

using TDataSetNotifyEvent = std::function<void(TDataSet* DataSet)>;
using TDataSetErrorEvent = std::function<void(TDataSet* DataSet, EDatabaseError& E, TDataAction& Action)>;
using TFilterRecordEvent = std::function<void(TDataSet* DataSet, bool& Accept)>;
using TFieldNotifyEvent = std::function<void(TField* Sender)>;
using TFieldGetTextEvent = std::function<void(TField* Sender, QString& Text, bool DisplayText)>;
using TFieldSetTextEvent = std::function<void(TField* Sender, const QString& Text)>;
using TDataChangeEvent = std::function<void(TObject* Sender, TField* Field)>;

// Several values for Locate / Lookup on several fields ("a;b").
inline Variant VarArrayOf(std::initializer_list<Variant> values) { return QVariantList(values); }

// ------------------------------------------------------------------------ fields

// One column of a dataset (or a calculated / lookup value), a component owned
// by the form or data module that declares it and attached to a dataset with
// SetDataSet. A dataset without such fields makes default fields from its
// columns when it opens (and frees them when it closes).
class TField : public TComponent {
    QV_CLASS(TField, TComponent)
public:
    explicit TField(TComponent* AOwner = nullptr);
    ~TField() override;

    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* ds);              // appends the field to the dataset's Fields
    const QString& FieldName() const { return FFieldName; }
    void SetFieldName(const QString& n);
    // The label shown as a grid column title; FieldName when none is set.
    QString DisplayLabel() const { return FDisplayLabel.isEmpty() ? FFieldName : FDisplayLabel; }
    void SetDisplayLabel(const QString& s);
    QString DisplayName() const { return DisplayLabel(); }
    int DisplayWidth() const { return FDisplayWidth > 0 ? FDisplayWidth : DefaultDisplayWidth(); }
    void SetDisplayWidth(int w);
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);
    int Size() const { return FSize; }
    void SetSize(int s) { FSize = s; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v) { FReadOnly = v; }
    bool Required() const { return FRequired; }
    void SetRequired(bool v) { FRequired = v; }
    TFieldKind FieldKind() const { return FFieldKind; }
    void SetFieldKind(TFieldKind k);
    bool Calculated() const { return FFieldKind == fkCalculated || FFieldKind == fkInternalCalc; }
    bool Lookup() const { return FFieldKind == fkLookup; }
    TFieldType DataType() const { return FDataType; }
    // Position among the dataset's fields; setting it moves the field.
    int Index() const;
    void SetIndex(int i);
    // 1-based column number in the rows underneath; 0 for calculated, lookup
    // and unbound fields.
    int FieldNo() const { return FColumn + 1; }
    bool CanModify() const;

    // Value of the dataset's active record (the current one, or the row a
    // grid is drawing). Null reads as empty text, 0 and false.
    Variant Value() const;
    void SetValue(const Variant& v);
    Variant AsVariant() const { return Value(); }
    void SetAsVariant(const Variant& v) { SetValue(v); }
    // The value the record had before it was put into edit (Null while inserting).
    Variant OldValue() const;
    bool IsNull() const;
    void Clear() { SetValue(VarNull()); }

    virtual QString AsString() const;
    virtual void SetAsString(const QString& s);
    virtual int AsInteger() const;
    virtual void SetAsInteger(int v);
    virtual double AsFloat() const;
    virtual void SetAsFloat(double v);
    virtual TDateTime AsDateTime() const;
    virtual void SetAsDateTime(TDateTime v);
    virtual bool AsBoolean() const;
    virtual void SetAsBoolean(bool v);

    // Whether a character typed into a control of the field can belong to
    // its value; the data-aware edits and the grid's editor refuse any other
    // as it is typed. Every character for most fields.
    virtual bool IsValidChar(QChar) const { return true; }

    // Text shown in a grid cell / the text edited in a control; OnGetText and
    // OnSetText take them over when set.
    QString DisplayText() const;
    QString Text() const;
    void SetText(const QString& s);

    // Lookup definition (FieldKind fkLookup): the value is LookupResultField of
    // the LookupDataSet row whose LookupKeyFields equal this record's KeyFields
    // ("a;b" for several); empty when there is none. Resolved through a hash
    // index on the lookup dataset. Setting a lookup field's text finds the row
    // whose result equals it and sets KeyFields from it.
    const QString& KeyFields() const { return FKeyFields; }
    void SetKeyFields(const QString& s) { FKeyFields = s; LookupChanged(); }
    TDataSet* LookupDataSet() const { return FLookupDataSet; }
    void SetLookupDataSet(TDataSet* ds);
    const QString& LookupKeyFields() const { return FLookupKeyFields; }
    void SetLookupKeyFields(const QString& s) { FLookupKeyFields = s; LookupChanged(); }
    const QString& LookupResultField() const { return FLookupResultField; }
    void SetLookupResultField(const QString& s) { FLookupResultField = s; LookupChanged(); }
    bool LookupCache() const { return FLookupCache; }
    void SetLookupCache(bool v) { FLookupCache = v; }

    // Asks the controls showing this field to take the focus.
    void FocusControl();

    TFieldNotifyEvent OnChange;
    TFieldNotifyEvent OnValidate;
    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;

protected:
    friend class TDataSet;
    TFieldType FDataType = ftUnknown;
    int FSize = 0;

    virtual int DefaultDisplayWidth() const { return 10; }
    // Turns a value being set into the form the field keeps (raises
    // EConvertError when it cannot); Null passes unchanged.
    virtual Variant Normalize(const Variant& v) const { return v; }
    // The field's own text for a value (not Null).
    virtual QString FormatText(const Variant& v, bool displayText) const;
    // Value for a text typed by the user (empty text: Null).
    virtual Variant ParseText(const QString& s) const;
    [[noreturn]] void ConvertError(const QString& what, const QString& text) const;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Tells the dataset's controls that the field's look changed.
    void PropertyChanged(bool layout);

private:
    TDataSet* FDataSet = nullptr;
    QString FFieldName, FDisplayLabel;
    int FDisplayWidth = 0;
    bool FVisible = true, FReadOnly = false, FRequired = false;
    TFieldKind FFieldKind = fkData;
    QString FKeyFields, FLookupKeyFields, FLookupResultField;
    TDataSet* FLookupDataSet = nullptr;
    bool FLookupCache = false;
    // Set by the dataset: the bound column, the slot among calculated values.
    int FColumn = -1;
    int FCalcSlot = -1;
    bool FDefault = false;          // made by the dataset from a column
    void LookupChanged();
};

class TStringField : public TField {
    QV_CLASS(TStringField, TField)
public:
    explicit TStringField(TComponent* AOwner = nullptr);
    bool FixedChar() const { return FFixedChar; }
    void SetFixedChar(bool v) { FFixedChar = v; }
protected:
    int DefaultDisplayWidth() const override { return FSize > 0 ? FSize : 20; }
    Variant Normalize(const Variant& v) const override;
    bool FFixedChar = false;
};

class TWideStringField : public TStringField {
    QV_CLASS(TWideStringField, TStringField)
public:
    explicit TWideStringField(TComponent* AOwner = nullptr);
};

// A key or reference: a GUID in its 38-character text form with braces.
class TGuidField : public TStringField {
    QV_CLASS(TGuidField, TStringField)
public:
    explicit TGuidField(TComponent* AOwner = nullptr);
protected:
    int DefaultDisplayWidth() const override { return 38; }
};

class TNumericField : public TField {
    QV_CLASS(TNumericField, TField)
public:
    explicit TNumericField(TComponent* AOwner = nullptr) : TField(AOwner) {}
    const QString& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const QString& f);
    const QString& EditFormat() const { return FEditFormat; }
    void SetEditFormat(const QString& f) { FEditFormat = f; }
    // The number as text (no format; decimal comma for fractions).
    QString AsString() const override;
    // Digits and the signs "+" and "-".
    bool IsValidChar(QChar c) const override;
protected:
    QString FormatText(const Variant& v, bool displayText) const override;
private:
    QString FDisplayFormat, FEditFormat;
};

class TIntegerField : public TNumericField {
    QV_CLASS(TIntegerField, TNumericField)
public:
    explicit TIntegerField(TComponent* AOwner = nullptr);
    int MinValue() const { return FMinValue; }
    void SetMinValue(int v) { FMinValue = v; }
    int MaxValue() const { return FMaxValue; }
    void SetMaxValue(int v) { FMaxValue = v; }
protected:
    int DefaultDisplayWidth() const override { return 11; }
    Variant Normalize(const Variant& v) const override;
    Variant ParseText(const QString& s) const override;
    int FMinValue = 0, FMaxValue = 0;   // both 0: the type's own range
    qint64 FTypeMin = INT_MIN, FTypeMax = INT_MAX;
};

class TSmallintField : public TIntegerField {
    QV_CLASS(TSmallintField, TIntegerField)
public:
    explicit TSmallintField(TComponent* AOwner = nullptr);
protected:
    int DefaultDisplayWidth() const override { return 6; }
};

class TFloatField : public TNumericField {
    QV_CLASS(TFloatField, TNumericField)
public:
    explicit TFloatField(TComponent* AOwner = nullptr);
    int Precision() const { return FPrecision; }
    void SetPrecision(int p) { FPrecision = p; }
    bool Currency() const { return FCurrency; }
    void SetCurrency(bool v) { FCurrency = v; }
    // Also the decimal separator and the exponent's "e" or "E".
    bool IsValidChar(QChar c) const override;
protected:
    Variant Normalize(const Variant& v) const override;
    Variant ParseText(const QString& s) const override;
    int FPrecision = 15;
    bool FCurrency = false;
};

// Fixed-point numbers; kept as double here (4 decimals are exact enough for
// the amounts this system keeps).
class TBCDField : public TFloatField {
    QV_CLASS(TBCDField, TFloatField)
public:
    explicit TBCDField(TComponent* AOwner = nullptr);
};

class TBooleanField : public TField {
    QV_CLASS(TBooleanField, TField)
public:
    explicit TBooleanField(TComponent* AOwner = nullptr);
    // "text for true;text for false" ("Да;Нет"); default "True;False".
    const QString& DisplayValues() const { return FDisplayValues; }
    void SetDisplayValues(const QString& s);
protected:
    int DefaultDisplayWidth() const override { return 5; }
    Variant Normalize(const Variant& v) const override;
    QString FormatText(const Variant& v, bool displayText) const override;
    Variant ParseText(const QString& s) const override;
private:
    QString FDisplayValues;
    QString FTrueText = QStringLiteral("True"), FFalseText = QStringLiteral("False");
};

// Date and time, kept as TDateTime (days since 30.12.1899). Shown in the
// short date format with the time after a blank when it is not midnight,
// or with DisplayFormat when set; Null shows as empty text.
class TDateTimeField : public TField {
    QV_CLASS(TDateTimeField, TField)
public:
    explicit TDateTimeField(TComponent* AOwner = nullptr);
    const QString& DisplayFormat() const { return FDisplayFormat; }
    void SetDisplayFormat(const QString& f);
protected:
    int DefaultDisplayWidth() const override { return 18; }
    Variant Normalize(const Variant& v) const override;
    QString FormatText(const Variant& v, bool displayText) const override;
    Variant ParseText(const QString& s) const override;
private:
    QString FDisplayFormat;
};

class TBlobField : public TField {
    QV_CLASS(TBlobField, TField)
public:
    explicit TBlobField(TComponent* AOwner = nullptr);
    TBlobType BlobType() const { return FBlobType; }
    void SetBlobType(TBlobType t);
protected:
    // Display text: "(MEMO)" / "(BLOB)" when there is content, "(memo)" /
    // "(blob)" when empty; the edit text of a memo is its content.
    QString FormatText(const Variant& v, bool displayText) const override;
    TBlobType FBlobType = btBlob;
};

class TMemoField : public TBlobField {
    QV_CLASS(TMemoField, TBlobField)
public:
    explicit TMemoField(TComponent* AOwner = nullptr);
protected:
    Variant Normalize(const Variant& v) const override;
};

// ---------------------------------------------------------------------- dataset

// What the rows underneath a dataset tell about one column.
enum class TStoreColumnKind { Integer, Float, Boolean, DateTime, Text, Blob, Unknown };
struct TStoreColumn {
    QString Name, Table, DeclType;
    TStoreColumnKind Kind = TStoreColumnKind::Unknown;
    int Size = 0;         // n of CHAR(n) / VARCHAR(n), else 0
};

namespace dbimpl { class Filter; struct SortKey; struct ViewIndex; struct ColumnIndex; class MasterLink; }

class TDataSet : public TComponent {
    QV_CLASS(TDataSet, TComponent)
public:
    explicit TDataSet(TComponent* AOwner = nullptr);
    ~TDataSet() override;

    // ---- opening
    void Open();
    void Close();
    bool Active() const { return FState != dsInactive; }
    void SetActive(bool v) { v ? Open() : Close(); }
    TDataSetState State() const { return FState; }
    bool Modified() const { return FModified; }
    // Whether a field of the new record changed after the insert and its
    // after-insert handlers ended: the defaults those handlers fill in are
    // not the user's (a grid leaving such a row cancels it as untouched).
    bool TouchedSinceInsert() const { return FState == dsInsert && FFieldChanges != FFieldChangesAtInsert; }
    // While CheckBrowseMode tells the links that the record is being left
    // (a move, a refresh, another insert), not stored by an explicit post.
    bool LeavingRecord() const { return FLeavingRecord; }
    void CheckActive() const;
    void CheckBrowseMode();   // posts a modified record, cancels an untouched one

    // ---- fields
    int FieldCount() const { return int(FFields.size()); }
    TField* Fields(int i) const { return FFields.at(size_t(i)); }
    const std::vector<TField*>& FieldList() const { return FFields; }
    TField* FindField(const QString& name) const;             // case-insensitive; nullptr when missing
    TField* FieldByName(const QString& name) const;           // raises "Field 'x' not found"
    void GetFieldNames(TStrings* list) const;
    // Value(s) of one field or of several ("a;b", a list then).
    Variant FieldValues(const QString& names) const;
    void SetFieldValues(const QString& names, const Variant& values);
    // Whether the dataset has persistent fields (declared ones rather than defaults).
    bool DefaultFields() const { return FDefaultFieldsMade; }

    // ---- navigation
    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    int MoveBy(int distance);
    bool Bof() const
    {
        if (FViewPending) SyncStore();
        return FBof;
    }
    bool Eof() const
    {
        if (FViewPending) SyncStore();
        return FEof;
    }
    // 1-based position of the current record in the view; -1 while inserting,
    // when empty or closed.
    int RecNo() const;
    void SetRecNo(int n);
    // Records in the view (the record being inserted not counted).
    int RecordCount() const;
    bool IsEmpty() const;

    // ---- editing
    void Insert();
    void Append();
    void Edit();           // an empty dataset appends instead
    void Post();
    void Cancel();
    void Delete();
    // Writes pending control text into the fields (data links' UpdateData).
    void UpdateRecord();
    virtual bool CanModify() const;
    // Reads the rows again and stays on the current record when it is still there.
    void Refresh();
    // Runs the statement again and goes to the first record.
    virtual void Requery();
    // Re-reads the current view (after rows changed underneath).
    void Resync();

    // ---- controls
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount > 0; }
    bool IsLinkedTo(TDataSource* ds) const;
    // The master data source of a detail dataset, if any.
    virtual TDataSource* DataSource() const;

    // ---- bookmarks
    TBookmark GetBookmark() const;
    void GotoBookmark(const TBookmark& b);        // raises "Record not found" when gone
    void FreeBookmark(TBookmark&) {}
    bool BookmarkValid(const TBookmark& b) const;
    // -1, 0, 1 by position in the view (null bookmarks first).
    int CompareBookmarks(const TBookmark& a, const TBookmark& b) const;
    TBookmark Bookmark() const { return GetBookmark(); }
    void SetBookmark(const TBookmark& b) { GotoBookmark(b); }

    // ---- searching
    // Moves to the first record of the view whose fields ("a;b") equal the
    // values (a list for several fields). Exact and case-sensitive by default.
    bool Locate(const QString& keyFields, const Variant& keyValues, TLocateOptions options = 0);
    // The result field(s) of the first matching record, without moving; Null when none.
    Variant Lookup(const QString& keyFields, const Variant& keyValues, const QString& resultFields);

    // ---- filter and sort
    // The filter text ("a = 'x' AND (b > 5 OR c LIKE 'y*')"), applied while
    // Filtered; a text that does not parse, or names an unknown column, raises
    // EDatabaseError and leaves the previous filter in force.
    const QString& Filter() const { return FFilterText; }
    void SetFilter(const QString& text);
    bool Filtered() const { return FFiltered; }
    void SetFiltered(bool v);
    // Sort order "field ASC" / "field DESC" / "a ASC, b DESC"; empty = natural
    // order. The text is kept exactly as set. Unknown or non-column fields raise.
    const QString& Sort() const { return FSortText; }
    void SetSort(const QString& text);

    // ---- rows as a grid sees them (the view, the record being inserted included)
    int ViewRowCount() const;                // RecordCount() + 1 while inserting
    int CurrentViewRow() const;              // 0-based; -1 when empty
    // Makes row i of the view the active record for field reads (a grid drawing
    // it) without moving the current record; -1 or the current row restores it.
    void SetActiveViewRow(int i);
    int ActiveViewRow() const;
    // Field text of view row i (display or edit text) without moving.
    QString GetFieldText(int viewRow, TField* field, bool displayText = true);
    Variant GetFieldValue(int viewRow, TField* field);
    // Bookmark of view row i without moving (null for the record being inserted).
    TBookmark ViewRowBookmark(int viewRow) const;
    // Changes with every rebuild of the view or change of the rows (for caches).
    quint64 ViewStamp() const { return FViewStamp; }

    bool AutoCalcFields() const { return FAutoCalcFields; }
    void SetAutoCalcFields(bool v) { FAutoCalcFields = v; }

    // ---- events, in the framework's order:
    // Open: BeforeOpen, AfterOpen, AfterScroll (when not empty). Close: BeforeClose, AfterClose.
    // Insert/Append: BeforeInsert, BeforeScroll, (new record, OnNewRecord), AfterInsert, AfterScroll.
    // Edit: BeforeEdit, AfterEdit. Post: BeforePost, write (OnPostError on failure), AfterPost.
    // Cancel: BeforeCancel, (BeforeScroll when inserting), AfterCancel, (AfterScroll).
    // Delete: BeforeDelete, BeforeScroll, delete (OnDeleteError), AfterDelete, AfterScroll.
    // Moves: BeforeScroll, AfterScroll. Refresh: BeforeRefresh, AfterRefresh.
    TDataSetNotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;
    TDataSetNotifyEvent BeforeInsert, AfterInsert, BeforeEdit, AfterEdit;
    TDataSetNotifyEvent BeforePost, AfterPost, BeforeCancel, AfterCancel;
    TDataSetNotifyEvent BeforeDelete, AfterDelete, BeforeScroll, AfterScroll;
    TDataSetNotifyEvent BeforeRefresh, AfterRefresh;
    TDataSetNotifyEvent OnCalcFields, OnNewRecord;
    TDataSetErrorEvent OnPostError, OnDeleteError, OnEditError;
    TFilterRecordEvent OnFilterRecord;

protected:
    // ---- the rows underneath, supplied by the concrete dataset
    virtual void InternalOpen() = 0;          // get the rows; raise EDatabaseError on failure
    virtual void InternalClose() = 0;         // let them go
    virtual void InternalRequery() = 0;       // read them again
    virtual int StoreColumnCount() const = 0;
    virtual TStoreColumn StoreColumn(int col) const = 0;
    virtual int StoreFindColumn(const QString& name) const = 0;
    virtual qsizetype StoreRowCount() const = 0;
    // Whether the store holds at least n rows, reading no more than that needs.
    virtual bool StoreRowsAtLeast(qsizetype n) const { return StoreRowCount() >= n; }
    // Whether every row is read already (false while a store reads its rows
    // only as they are asked for).
    virtual bool StoreAllRead() const { return true; }
    virtual bool StoreIsNull(qsizetype row, int col) const = 0;
    virtual Variant StoreValue(qsizetype row, int col) const = 0;
    virtual QString StoreText(qsizetype row, int col) const = 0;
    // UTF-8 of a text cell without building a QString; false for NULL.
    virtual bool StoreUtf8(qsizetype row, int col, QByteArrayView& out) const = 0;
    virtual TRowKey StoreKey(qsizetype row) const = 0;
    virtual qsizetype StoreFindKey(TRowKey key) const = 0;
    virtual quint64 StoreGeneration() const = 0;
    // Whether the column's values stand at the rows where they stood at that
    // generation (only other columns changed in place since), so an index of
    // the column made then still holds.
    virtual bool StoreColumnUnchangedSince(quint64 generation, int) const { return generation == StoreGeneration(); }
    virtual bool StoreUpdatable() const = 0;
    // Values in column order; Unassigned = default on insert / unchanged on update.
    virtual qsizetype StoreInsert(qsizetype position, const std::vector<Variant>& values) = 0;
    virtual void StoreUpdate(qsizetype row, const std::vector<Variant>& values) = 0;
    virtual void StoreDelete(qsizetype row) = 0;

    // Master/detail: the view holds only rows whose detailFields equal the
    // masterFields of the master source's current record; a new record takes
    // the master's values.
    void SetMasterLink(TDataSource* master, const QString& masterFields, const QString& detailFields);
    TDataSource* MasterSource() const;

    void DataEvent(TDataEvent event, TField* field = nullptr);
    [[noreturn]] void DatabaseError(const QString& msg) const;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Concrete classes call this first in their destructor (closes while the
    // rows can still be released).
    void DestroyDataSet();

private:
    friend class TField;
    friend class TDataSource;
    friend class TDataLink;
    friend class dbimpl::Filter;
    friend class dbimpl::MasterLink;

    struct EditBuffer {
        std::vector<Variant> values;       // one per column
        std::vector<char> changed;         // column changed since Edit/Insert
        std::vector<Variant> old;          // values before Edit
        std::vector<Variant> calc;         // calculated and lookup values
        bool calcValid = false;
    };
    struct CalcEntry {
        std::vector<Variant> values;
    };
    struct LookupStamp { TDataSet* ds; quint64 stamp; };

    TDataSetState FState = dsInactive;
    bool FBof = true, FEof = true, FModified = false, FAutoCalcFields = true;
    bool FDefaultFieldsMade = false;
    quint64 FFieldChanges = 0, FFieldChangesAtInsert = 0;   // see TouchedSinceInsert
    bool FLeavingRecord = false;
    int FDisableCount = 0;
    TDataSetState FDisableState = dsInactive;
    bool FEnableEventPending = false;
    std::vector<TField*> FFields;
    std::vector<TField*> FCalcFields;        // calculated and lookup fields, by slot
    std::vector<TDataSource*> FDataSources;

    // The view: store rows in view order; empty with FIdentity = every row in order.
    std::vector<qsizetype> FView;
    bool FIdentity = true;
    // A filter or requery on a store that has not read its rows yet, with
    // nothing watching the dataset, leaves the view to be made when first
    // looked at (SyncStore): the current record is then the first.
    bool FViewPending = false;
    qsizetype FCur = -1;                     // current position in the view (stored records)
    quint64 FStoreGen = 0;                   // store generation the view was built for
    quint64 FViewStamp = 1;
    mutable std::vector<qsizetype> FReverse;  // store row -> view position + 1 (built on demand)
    mutable quint64 FReverseStamp = 0;

    // Editing
    EditBuffer FBuf;
    qsizetype FInsertPos = -1;               // view position of the record being inserted
    qsizetype FCurBeforeInsert = -1;
    bool FAppending = false;

    // Field reads: the active row as a store row (-2 = the current record,
    // -1 = the edit buffer, -3 = none) and the grid row it came from.
    qsizetype FActiveStore = -2;
    int FActiveGrid = -1;
    int FCalcDepth = 0;                      // OnCalcFields / OnFilterRecord running
    // Key of the current record; kKeyUnread while the store has not read the
    // row yet (CurKey() reads it).
    mutable TRowKey FCurKey = -1;
    static constexpr TRowKey kKeyUnread = -2;
    TRowKey CurKey() const;
    std::vector<Variant>* FCalcTarget = nullptr;   // while OnCalcFields runs

    // Calculated / lookup cache per store row.
    QHash<qsizetype, CalcEntry> FCalcCache;
    quint64 FCalcCacheGen = 0;
    std::vector<LookupStamp> FCalcLookupStamps;
    qsizetype FCalcRecomputeRow = -1;        // current row whose values must be recomputed

    // Filter and sort
    QString FFilterText;
    bool FFiltered = false;
    std::shared_ptr<dbimpl::Filter> FFilter;          // parsed text
    QString FSortText;
    std::vector<std::pair<QString, bool>> FSortSpec;  // field name, descending

    // Indexes over the view for lookups and Locate, by field list.
    mutable QHash<QString, std::shared_ptr<dbimpl::ViewIndex>> FIndexes;
    // Index over all store rows for the detail restriction.
    std::shared_ptr<dbimpl::ViewIndex> FDetailIndex;
    // Index over one column of all store rows for an equality-set filter.
    std::shared_ptr<dbimpl::ColumnIndex> FFilterIndex;

    // Master/detail
    std::unique_ptr<dbimpl::MasterLink> FMasterLink;
    QString FMasterFields, FDetailFields;

    // ---- internals
    void SetState(TDataSetState s);
    void BindFields();
    void UnbindFields();
    void RebuildView(bool keepCurrent);
    bool SyncStore() const;                  // rebuilds after an outside change; true when it did
    void SyncStoreNow();
    qsizetype ViewSize() const { return FIdentity ? StoreRowCount() : qsizetype(FView.size()); }
    // Whether view position pos holds a record (reads no more store rows than that needs).
    bool InView(qsizetype pos) const
    {
        return pos >= 0 && (FIdentity ? StoreRowsAtLeast(pos + 1) : pos < qsizetype(FView.size()));
    }
    // Puts off making the view after a filter change or requery (see FViewPending); false when it cannot.
    bool DeferView();
    qsizetype ViewToStore(qsizetype v) const { return FIdentity ? v : FView[size_t(v)]; }
    qsizetype StoreToView(qsizetype row) const;   // -1 when not in view
    // Store row of view row i of ViewRowCount() terms; -1 = the record being inserted.
    qsizetype GridRowToStore(qsizetype i) const;
    qsizetype ActiveStoreRow() const;        // -1 = edit buffer
    bool ActiveIsBuffer() const;
    void ClearCalcCache();
    void CheckCalcCache();
    const std::vector<Variant>& CalcValuesFor(qsizetype storeRow);
    void ComputeCalc(qsizetype storeRow, std::vector<Variant>& out);
    Variant LookupValue(TField* f);
    Variant ReadField(const TField* f) const;
    Variant ReadColumn(int col) const;
    void WriteField(TField* f, const Variant& v);
    void BeginInsertAppend(bool append);
    void InitNewRecord();
    void InternalPostRecord();
    void CheckRequired();
    void ClearBuffer();
    void DoBeforeScroll();
    void DoAfterScroll();
    void Fire(const TDataSetNotifyEvent& e) { if (e && !IsDestroying()) e(this); }
    void SetCur(qsizetype pos);
    Variant FieldValueAtStore(const TField* f, qsizetype storeRow);
    void CloseInternal(bool events);
    void MasterChanged();
    bool CurrentMasterKey(QByteArray& key) const;
    void ParseSort(const QString& text, std::vector<std::pair<QString, bool>>& out) const;
    // Canonical text of a value for key comparison in indexes and Locate.
    static QString CanonicalKey(const Variant& v, TFieldType type);
    static QByteArray ValueKey(const Variant& v, TFieldType type);
    void AppendCellKey(QByteArray& key, qsizetype storeRow, TField* f);
    QByteArray RowKeyBytes(qsizetype storeRow, const std::vector<TField*>& fields);
    // View position of the first record whose fields have exactly these keys, or -1.
    qsizetype FindExact(const std::vector<TField*>& fields, const std::vector<QByteArray>& keys);
    quint64 RowHash(qsizetype storeRow, const std::vector<TField*>& fields);
    bool RowMatches(qsizetype storeRow, const std::vector<TField*>& fields, const std::vector<QByteArray>& keys);
    qsizetype FindInView(const std::vector<TField*>& fields, const QVariantList& values,
                         TLocateOptions options);
    std::vector<TField*> ResolveFields(const QString& fieldList) const;
    bool MasterRestricted() const;
    QVariantList KeyList(const Variant& values, int count) const;
    void NotifyDataSources(TDataEvent event, TField* field);
    void AddDataSource(TDataSource* ds);
    void RemoveDataSource(TDataSource* ds);
    void AddField(TField* f);
    void RemoveField(TField* f);
    void CheckCalcSlots();
};

// A dataset in insert or edit state (a record is being typed).
inline bool IsEditing(const TDataSet* DataSet)
{
    return DataSet && (DataSet->State() == dsEdit || DataSet->State() == dsInsert);
}

// --------------------------------------------------------------- data sources

class TDataSource : public TComponent {
    QV_CLASS(TDataSource, TComponent)
public:
    explicit TDataSource(TComponent* AOwner = nullptr);
    ~TDataSource() override;

    TDataSet* DataSet() const { return FDataSet; }
    void SetDataSet(TDataSet* ds);
    // Typing into a control puts the dataset into edit when on.
    bool AutoEdit() const { return FAutoEdit; }
    void SetAutoEdit(bool v) { FAutoEdit = v; }
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v);
    // The dataset's state, or dsInactive when there is none or it is disabled.
    TDataSetState State() const;
    // Puts the dataset into edit when AutoEdit is on and it is browsing.
    void Edit();
    bool IsLinkedTo(TDataSet* ds) const;

    int DataLinkCount() const { return int(FLinks.size()); }
    TDataLink* DataLinks(int i) const { return FLinks.at(size_t(i)); }

    TDataChangeEvent OnDataChange;   // Field: the changed field, or nullptr for the record
    TNotifyEvent OnStateChange;
    TNotifyEvent OnUpdateData;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TDataSet;
    friend class TDataLink;
    TDataSet* FDataSet = nullptr;
    bool FAutoEdit = true, FEnabled = true;
    TDataSetState FState = dsInactive;
    std::vector<TDataLink*> FLinks;
    void DataEvent(TDataEvent event, TField* field);
    void UpdateState();
    void AddLink(TDataLink* l);
    void RemoveLink(TDataLink* l);
};

// The connection of one control (or a master/detail relation) to a data
// source. A control that shows several rows sets BufferCount to the number it
// can show; the link keeps a window of view rows around the current record
// (FirstRecord .. FirstRecord + RecordCount - 1) and ActiveRecord selects the
// row that field reads return, so drawing a page costs the same whatever the
// dataset's size.
class TDataLink {
public:
    TDataLink();
    virtual ~TDataLink();
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* ds);
    TDataSet* DataSet() const;
    bool Active() const { return FActive; }
    bool Editing() const { return FEditing; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v);
    // Asks for editing (the data source's AutoEdit); true when the dataset is now editing.
    bool Edit();
    // Writes the control's pending value (UpdateData) when the dataset asks.
    void UpdateRecord();

    int BufferCount() const { return FBufferCount; }
    void SetBufferCount(int n);
    int FirstRecord() const { return FFirst; }           // view row shown at the top
    int RecordCount() const;                              // rows in the window
    int ActiveRecord() const;                             // the current record, relative to the window
    void SetActiveRecord(int i);                          // selects row FirstRecord + i for field reads
    int MoveBy(int distance);
    bool Bof() const;
    bool Eof() const;

protected:
    virtual void ActiveChanged() {}
    virtual void CheckBrowseMode() {}
    virtual void DataSetChanged() { RecordChanged(nullptr); }
    virtual void DataSetScrolled(int Distance) { DataSetChanged(); }
    virtual void EditingChanged() {}
    virtual void FocusControl(TField* Field) {}
    virtual void LayoutChanged() { DataSetChanged(); }
    virtual void RecordChanged(TField* Field) {}
    virtual void UpdateData() {}

private:
    friend class TDataSource;
    friend class TDataSet;
    TDataSource* FDataSource = nullptr;
    bool FActive = false, FEditing = false, FReadOnly = false, FUpdating = false;
    int FBufferCount = 1;
    int FFirst = 0;
    void DataEvent(TDataEvent event, TField* field);
    void UpdateActive();
    void UpdateEditing();
    int AdjustWindow();                                   // returns how far the window moved
};

// The link of a control that edits one field.
class TFieldDataLink : public TDataLink {
public:
    TFieldDataLink() = default;
    TComponent* Control() const { return FControl; }
    void SetControl(TComponent* c) { FControl = c; }
    const QString& FieldName() const { return FFieldName; }
    void SetFieldName(const QString& n);
    TField* Field() const { return FField; }
    bool CanModify() const;
    bool Modified() const { return FModified; }
    void SetModified() { FModified = true; }
    // Re-reads the field into the control (drops a pending change).
    void Reset();

    TNotifyEvent OnDataChange, OnEditingChange, OnUpdateData, OnActiveChange;

protected:
    void ActiveChanged() override;
    void EditingChanged() override;
    void FocusControl(TField* Field) override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;
    void UpdateData() override;

private:
    TComponent* FControl = nullptr;
    QString FFieldName;
    TField* FField = nullptr;
    bool FModified = false;
    void UpdateField();
};
