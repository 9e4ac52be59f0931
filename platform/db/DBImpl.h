#pragma once
// Internals of the dataset layer shared by its source files: the compiled
// filter, the hash indexes over a view, the master link of a detail dataset,
// and value conversions. Not for use outside platform/db.
#include <QByteArray>
#include <QHash>
#include <QString>
#include <memory>
#include <vector>

#include "platform/db/DB.h"

namespace dbimpl {

// Conversions used by fields, filters, sorting and keys.
bool VariantToNumber(const Variant& v, double& out);
bool VariantToDateTime(const Variant& v, TDateTime& out);
bool TextToBoolean(const QString& s, bool& out);
bool IsNumericType(TFieldType t);
bool IsTextType(TFieldType t);
// Case folding used for text comparison in filters and sorting.
QString FoldText(QString s);

// A filter text parsed once, then bound to a dataset's columns and evaluated
// row by row. A disjunction of equalities on the same text columns (the vote
// filter "(a = 'M' AND b = 'J1') OR (a = 'M' AND b = 'J2')", or "a = 'x'")
// becomes a lookup in a small trie of the wanted values compared on the
// cells' UTF-8 bytes.
// Rows of a store chained by the hash of one text column's folded cells, so
// the rows holding a value are found without looking at the others. Built
// for one store generation; chains hold rows in store order.
struct ColumnIndex {
    quint64 StoreStamp = 0;
    int Col = -1;
    quint64 Mask = 0;
    std::vector<qint32> Head;   // bucket -> first row + 1 (0: none)
    std::vector<qint32> Next;   // row -> next row of the bucket + 1
};

class Filter {
public:
    ~Filter();
    // Raises EDatabaseError on a syntax error.
    static std::shared_ptr<Filter> Parse(const QString& text);
    // Resolves field names to columns of ds; raises for unknown fields and
    // values that do not fit the column.
    void Bind(const TDataSet* ds);
    bool Match(const TDataSet* ds, qsizetype row) const;
    // For an equality set: the store rows 0..n-1 that match, in store order,
    // found through an index on its first column (made or remade in idx when
    // it is not for this column and store stamp). False when the filter is
    // not an equality set.
    bool SelectRows(const TDataSet* ds, qsizetype n, quint64 stamp, std::shared_ptr<ColumnIndex>& idx,
                    std::vector<qsizetype>& out) const;
    // Keeping an index in step with a write to one row: the row's bucket
    // before the write (-1: none), then the move to the bucket of its value
    // after it, for the store stamp the write left.
    static qint64 IndexBucket(const ColumnIndex& idx, const TDataSet* ds, qsizetype row);
    static void Rechain(ColumnIndex& idx, const TDataSet* ds, qsizetype row, qint64 from, quint64 stamp);
    const QString& Text() const { return FText; }

    struct Node;
    struct Trie;
private:
    QString FText;
    std::unique_ptr<Node> FRoot;
    std::unique_ptr<Trie> FTrie;         // set when the whole filter is an equality set
    std::vector<int> FTrieCols;
};

// Key text -> first view position (lookups, Locate) or -> all store rows
// (detail restriction), built for one stamp.
// An exact-match index over a view: an open-addressing table of key hashes
// and view positions, checked against the rows themselves on lookup (so it
// holds no copies of the keys). Keys are the cells' UTF-8 bytes for text
// fields and a canonical number text for the others. An exact search that
// finds no index scans the view; the second one on the same view builds it.
struct ViewIndex {
    quint64 Stamp = 0;          // view stamp the index was built for
    quint64 MissStamp = 0;      // stamp of the last search that scanned instead
    bool Built = false;
    std::vector<quint64> Hash;  // per slot; slot empty when Pos == 0
    std::vector<quint32> Pos;   // view position + 1
    // Detail restriction: all store rows per key.
    quint64 StoreStamp = 0;
    QHash<QByteArray, std::vector<qsizetype>> All;
};

class MasterLink : public TDataLink {
public:
    explicit MasterLink(TDataSet* detail) : FDetail(detail) {}
    bool KeyValid = false;       // the applied master key
    QByteArray Key;
protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int Distance) override;
    void RecordChanged(TField* Field) override;
    void CheckBrowseMode() override;
private:
    TDataSet* FDetail;
};

}  // namespace dbimpl
