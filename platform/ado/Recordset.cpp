#include "platform/ado/Recordset.h"

#include <sqlcipher/sqlite3.h>

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <utility>
#include <sys/mman.h>

#include "platform/ado/ADOConnection.h"
#include "platform/ado/AdoInternal.h"
#include "platform/ado/EngineFunctions.h"
#include "platform/core/DateTime.h"
#include "platform/core/Hash.h"
#include "platform/core/SysUtils.h"

// Rows are kept column by column: per cell one storage-class byte and one
// 64-bit word (the integer, the double's bits, or the place of a text in the
// text arena, where each text is a 32-bit length followed by its UTF-8
// bytes). Positions map to stored rows through an order vector, made only
// once rows are inserted or deleted, so a plain read costs no index at all.
// Large blocks are mapped on their own, in huge pages where the system
// offers them, and given back when freed (see BigAlloc).
//
// A recordset opened for a dataset reads only its first rows at once (so a
// login that opens every table costs little); the rest is read the first time
// anything asks for a row beyond them, for the count, or writes. When the
// database changed in between, the statement is read anew in whole and the
// generation moves on, as after a requery.

namespace ado {

namespace internal {

StatementGuard::~StatementGuard()
{
    if (Stmt) sqlite3_finalize(Stmt);
}

ColumnKind KindOfDeclType(const QString& declType)
{
    const QString t = declType.trimmed().toUpper();
    if (t.isEmpty()) return ColumnKind::Unknown;
    auto starts = [&](const char* w) { return t.startsWith(QLatin1String(w)); };
    if (starts("DATETIME") || starts("DATE") || starts("TIMESTAMP") || t == QLatin1String("TIME"))
        return ColumnKind::DateTime;
    if (starts("BOOL") || t == QLatin1String("BIT") || t == QLatin1String("YESNO") || t == QLatin1String("LOGICAL"))
        return ColumnKind::Boolean;
    if (t.contains(QLatin1String("INT")) || t == QLatin1String("COUNTER") || t == QLatin1String("AUTOINCREMENT"))
        return ColumnKind::Integer;
    if (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("TEXT")) || t.contains(QLatin1String("CLOB")) ||
        t.contains(QLatin1String("MEMO")) || t.contains(QLatin1String("GUID")) || t.contains(QLatin1String("STRING")))
        return ColumnKind::Text;
    if (t.contains(QLatin1String("BLOB")) || t.contains(QLatin1String("BINARY")) || t.contains(QLatin1String("IMAGE")) ||
        t.contains(QLatin1String("OLEOBJECT")))
        return ColumnKind::Blob;
    if (t.contains(QLatin1String("REAL")) || t.contains(QLatin1String("FLOA")) || t.contains(QLatin1String("DOUB")) ||
        t.contains(QLatin1String("NUMERIC")) || t.contains(QLatin1String("DECIMAL")) ||
        t.contains(QLatin1String("CURRENCY")) || t.contains(QLatin1String("MONEY")) || t.contains(QLatin1String("SINGLE")))
        return ColumnKind::Float;
    return ColumnKind::Unknown;
}

}  // namespace internal

namespace {

using internal::StatementGuard;

constexpr unsigned char kNull = SQLITE_NULL, kInt = SQLITE_INTEGER, kFloat = SQLITE_FLOAT, kText = SQLITE_TEXT,
                        kBlob = SQLITE_BLOB;

inline quint64 DoubleBits(double d)
{
    quint64 u;
    std::memcpy(&u, &d, sizeof u);
    return u;
}
inline double BitsDouble(quint64 u)
{
    double d;
    std::memcpy(&d, &u, sizeof d);
    return d;
}

constexpr size_t kHugePage = size_t(2) << 20;

inline size_t MappedSize(size_t bytes) { return (bytes + kHugePage - 1) & ~(kHugePage - 1); }

// Blocks of 2 MB and more are mapped from the system on their own, aligned
// to huge pages where the system offers them (filling a million rows into
// fresh memory otherwise costs more in page faults than reading them from
// the file), and given back to it when freed: rows read again whole would
// otherwise leave the freed blocks of the old rows in the heap, and the
// resident memory would grow with every reading.
void* BigAlloc(size_t bytes)
{
    if (bytes >= kHugePage) {
        const size_t size = MappedSize(bytes);
        void* m = mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (m == MAP_FAILED) throw std::bad_alloc();
        char* base = static_cast<char*>(m);
        char* aligned = reinterpret_cast<char*>((reinterpret_cast<uintptr_t>(base) + kHugePage - 1) & ~uintptr_t(kHugePage - 1));
        if (aligned > base) munmap(base, size_t(aligned - base));
        const size_t tail = size_t(base + size + kHugePage - (aligned + size));
        if (tail) munmap(aligned + size, tail);
        madvise(aligned, size, MADV_HUGEPAGE);
        return aligned;
    }
    void* p = std::malloc(bytes ? bytes : 1);
    if (!p) throw std::bad_alloc();
    return p;
}

void BigFree(void* p, size_t bytes)
{
    if (!p) return;
    if (bytes >= kHugePage) munmap(p, MappedSize(bytes));
    else std::free(p);
}

template <class T>
struct BigAllocator {
    using value_type = T;
    BigAllocator() = default;
    template <class U>
    BigAllocator(const BigAllocator<U>&) {}
    T* allocate(size_t n) { return static_cast<T*>(BigAlloc(n * sizeof(T))); }
    void deallocate(T* p, size_t n) { BigFree(p, n * sizeof(T)); }
    template <class U>
    bool operator==(const BigAllocator<U>&) const { return true; }
};

struct BigBlock {
    char* P = nullptr;
    size_t Size = 0;
    explicit BigBlock(size_t n) : P(static_cast<char*>(BigAlloc(n))), Size(n) {}
    BigBlock(BigBlock&& o) noexcept : P(std::exchange(o.P, nullptr)), Size(o.Size) {}
    BigBlock(const BigBlock&) = delete;
    BigBlock& operator=(const BigBlock&) = delete;
    BigBlock& operator=(BigBlock&&) = delete;
    ~BigBlock() { BigFree(P, Size); }
};

// Texts and blobs, in blocks that never move; blocks grow from 64 KB to 32 MB.
class Arena {
public:
    quint64 Add(const char* data, quint32 len)
    {
        const size_t need = sizeof(quint32) + len;
        if (FBlocks.empty() || FUsed + need > FCap) {
            const size_t next = FBlocks.empty() ? kFirstBlock : std::min(FCap * 2, kLastBlock);
            const size_t cap = std::max(next, need);
            FBlocks.emplace_back(cap);
            FCap = cap;
            FUsed = 0;
        }
        char* p = FBlocks.back().P + FUsed;
        std::memcpy(p, &len, sizeof len);
        if (len) std::memcpy(p + sizeof len, data, len);
        const quint64 ref = (quint64(FBlocks.size() - 1) << 32) | quint64(FUsed);
        FUsed += need;
        return ref;
    }
    QByteArrayView Get(quint64 ref) const
    {
        const char* p = FBlocks[size_t(ref >> 32)].P + (ref & 0xFFFFFFFFu);
        quint32 len;
        std::memcpy(&len, p, sizeof len);
        return QByteArrayView(p + sizeof len, qsizetype(len));
    }

private:
    static constexpr size_t kFirstBlock = size_t(1) << 16, kLastBlock = size_t(1) << 25;
    std::vector<BigBlock> FBlocks;
    size_t FCap = 0, FUsed = 0;
};

struct ColumnData {
    std::vector<unsigned char, BigAllocator<unsigned char>> Type;
    std::vector<quint64, BigAllocator<quint64>> Val;
};

// Everything one run of the statement reads; swapped in whole, so a failed
// requery leaves the rows as they were.
struct Storage {
    std::vector<ColumnInfo> Columns;
    std::vector<ColumnData> Data;
    std::unique_ptr<Arena> Texts = std::make_unique<Arena>();
    std::vector<qint64, BigAllocator<qint64>> Rowids;
    size_t Count = 0;
    bool WithRowid = false;
};

// One row read back after a write, before it goes into the storage.
struct Cell {
    unsigned char Type = kNull;
    quint64 Val = 0;
    QByteArray Bytes;
};

const char* const kNotUpdatable =
    "Current Recordset does not support updating. This may be a limitation of the provider, or of the selected "
    "locktype.";
const char* const kRowMissing = "Row cannot be located for updating. Some values may have been changed since it was "
                                "last read.";

QString EngineMessage(sqlite3* db) { return QString::fromUtf8(sqlite3_errmsg(db)); }

// Generations are drawn from one counter, so no two states of any two
// recordsets share a number.
quint64 NextGeneration()
{
    static std::atomic<quint64> counter{0};
    return ++counter;
}

// While a column is read, its recent texts are remembered by hash, so a
// value that repeats (a reference column holds few distinct keys) is stored
// once and its cells share it. Texts are never changed in place, so sharing
// is safe.
class TextCache {
public:
    quint64 Add(Arena& a, const char* p, quint32 n)
    {
        if (n > kMaxLen) return a.Add(p, n);
        const quint64 h = HashBytes(p, qsizetype(n));
        Slot& s = FSlots[h & (kSlots - 1)];
        if (s.Used && s.Hash == h) {
            const QByteArrayView v = a.Get(s.Ref);
            if (v.size() == qsizetype(n) && std::memcmp(v.data(), p, n) == 0) return s.Ref;
        }
        s = Slot{h, a.Add(p, n), true};
        return s.Ref;
    }

private:
    static constexpr size_t kSlots = 4096;
    static constexpr quint32 kMaxLen = 256;
    struct Slot {
        quint64 Hash = 0, Ref = 0;
        bool Used = false;
    };
    std::vector<Slot> FSlots = std::vector<Slot>(kSlots);
};

void StoreCell(sqlite3_stmt* s, int i, ColumnData& d, Arena& a, TextCache& cache)
{
    const int t = sqlite3_column_type(s, i);
    switch (t) {
    case SQLITE_INTEGER:
        d.Type.push_back(kInt);
        d.Val.push_back(quint64(sqlite3_column_int64(s, i)));
        break;
    case SQLITE_FLOAT:
        d.Type.push_back(kFloat);
        d.Val.push_back(DoubleBits(sqlite3_column_double(s, i)));
        break;
    case SQLITE_TEXT: {
        const char* p = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
        const int n = sqlite3_column_bytes(s, i);
        d.Type.push_back(kText);
        d.Val.push_back(cache.Add(a, p, quint32(n)));
        break;
    }
    case SQLITE_BLOB: {
        const char* p = static_cast<const char*>(sqlite3_column_blob(s, i));
        const int n = sqlite3_column_bytes(s, i);
        d.Type.push_back(kBlob);
        d.Val.push_back(a.Add(p, quint32(n)));
        break;
    }
    default:
        d.Type.push_back(kNull);
        d.Val.push_back(0);
        break;
    }
}

int DeclSize(const QString& decl)
{
    const int open = int(decl.indexOf(QLatin1Char('(')));
    if (open < 0) return 0;
    const int close = int(decl.indexOf(QLatin1Char(')'), open));
    bool ok = false;
    const int n = decl.mid(open + 1, (close < 0 ? decl.size() : close) - open - 1).section(QLatin1Char(','), 0, 0).trimmed().toInt(&ok);
    return ok ? n : 0;
}

bool TextToBool(const QString& s, bool& out)
{
    const QString t = s.trimmed().toLower();
    if (t == QLatin1String("1") || t == QLatin1String("-1") || t == QLatin1String("true") || t == QLatin1String("yes") ||
        t == QStringLiteral("да")) {
        out = true;
        return true;
    }
    if (t == QLatin1String("0") || t == QLatin1String("false") || t == QLatin1String("no") || t == QStringLiteral("нет")) {
        out = false;
        return true;
    }
    return false;
}

bool ParseDate(const QString& text, double& out)
{
    const QString s = text.trimmed();
    if (TryStrToDate(s, out) || TryStrToDateTime(s, out)) return true;
    const QDateTime iso = QDateTime::fromString(s, Qt::ISODate);
    if (iso.isValid()) {
        out = QDateTimeToDateTime(iso);
        return true;
    }
    return false;
}

bool IsNumericType(int t)
{
    switch (t) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar: return true;
    default: return false;
    }
}

bool IsIntegralType(int t) { return IsNumericType(t) && t != QMetaType::Double && t != QMetaType::Float; }

// Binds a value for a column, converted to the column's storage form.
void BindValue(sqlite3_stmt* s, int idx, const Variant& v, const ColumnInfo& c)
{
    if (VarIsNull(v)) {
        sqlite3_bind_null(s, idx);
        return;
    }
    const int t = v.typeId();
    auto text = [&](const QString& str) {
        const QByteArray u = str.toUtf8();
        sqlite3_bind_text(s, idx, u.constData(), int(u.size()), SQLITE_TRANSIENT);
    };
    auto mismatch = [&]() {
        throw EDatabaseError(QStringLiteral("The value '%1' cannot be stored in the field '%2'.").arg(v.toString(), c.Name));
    };
    auto dateOf = [&](double& out) {
        if (t == QMetaType::QDate) out = QDateToDateTime(v.toDate());
        else if (t == QMetaType::QDateTime) out = QDateTimeToDateTime(v.toDateTime());
        else if (t == QMetaType::QTime) out = v.toTime().msecsSinceStartOfDay() / MSecsPerDay;
        else return false;
        return true;
    };
    double dt;
    switch (c.Kind) {
    case ColumnKind::DateTime:
        if (IsNumericType(t)) sqlite3_bind_double(s, idx, v.toDouble());
        else if (dateOf(dt)) sqlite3_bind_double(s, idx, dt);
        else if (t == QMetaType::QString) {
            const QString str = v.toString();
            if (str.trimmed().isEmpty()) sqlite3_bind_null(s, idx);
            else if (ParseDate(str, dt)) sqlite3_bind_double(s, idx, dt);
            else mismatch();
        } else mismatch();
        return;
    case ColumnKind::Boolean:
        if (t == QMetaType::Bool) sqlite3_bind_int(s, idx, v.toBool() ? 1 : 0);
        else if (IsNumericType(t)) sqlite3_bind_int(s, idx, v.toDouble() != 0 ? 1 : 0);
        else if (t == QMetaType::QString) {
            bool b;
            if (v.toString().trimmed().isEmpty()) sqlite3_bind_null(s, idx);
            else if (TextToBool(v.toString(), b)) sqlite3_bind_int(s, idx, b ? 1 : 0);
            else mismatch();
        } else mismatch();
        return;
    case ColumnKind::Integer:
    case ColumnKind::Float: {
        const bool integer = c.Kind == ColumnKind::Integer;
        auto number = [&](double d) {
            if (integer) sqlite3_bind_int64(s, idx, sqlite3_int64(std::nearbyint(d)));
            else sqlite3_bind_double(s, idx, d);
        };
        if (t == QMetaType::Bool) sqlite3_bind_int(s, idx, v.toBool() ? 1 : 0);
        else if (IsIntegralType(t)) {
            if (integer) sqlite3_bind_int64(s, idx, v.toLongLong());
            else sqlite3_bind_double(s, idx, v.toDouble());
        } else if (IsNumericType(t)) number(v.toDouble());
        else if (t == QMetaType::QString) {
            const QString str = v.toString().trimmed();
            bool ok = false;
            const qlonglong i = str.toLongLong(&ok);
            double d;
            if (str.isEmpty()) sqlite3_bind_null(s, idx);
            else if (ok && integer) sqlite3_bind_int64(s, idx, i);
            else if (TryStrToFloat(str, d)) number(d);
            else mismatch();
        } else mismatch();
        return;
    }
    case ColumnKind::Text:
        if (t == QMetaType::QByteArray) {
            const QByteArray b = v.toByteArray();
            sqlite3_bind_text(s, idx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        } else if (dateOf(dt)) text(DateTimeText(dt));
        else text(v.toString());
        return;
    case ColumnKind::Blob:
        if (t == QMetaType::QByteArray) {
            const QByteArray b = v.toByteArray();
            sqlite3_bind_blob(s, idx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        } else text(v.toString());
        return;
    case ColumnKind::Unknown:
        break;
    }
    if (t == QMetaType::Bool) sqlite3_bind_int(s, idx, v.toBool() ? 1 : 0);
    else if (IsIntegralType(t)) sqlite3_bind_int64(s, idx, v.toLongLong());
    else if (IsNumericType(t)) sqlite3_bind_double(s, idx, v.toDouble());
    else if (t == QMetaType::QByteArray) {
        const QByteArray b = v.toByteArray();
        sqlite3_bind_blob(s, idx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    } else if (dateOf(dt)) sqlite3_bind_double(s, idx, dt);
    else text(v.toString());
}

class RecordsetImpl final : public Recordset {
public:
    RecordsetImpl(TADOConnection* c, QString source, bool isTable, bool readOnly)
        : FAlive(c->AliveToken()), FSource(std::move(source)), FIsTable(isTable), FReadOnly(readOnly)
    {
    }

    std::unique_ptr<TADOConnection> OwnConnection;

    TADOConnection* Connection() const override { return *FAlive; }
    QString Source() const override { return FSource; }
    bool IsTable() const override { return FIsTable; }

    int ColumnCount() const override { return int(S.Columns.size()); }
    const ColumnInfo& Column(int i) const override
    {
        // A computed column's kind comes from its values: read them when asked.
        if (!FComplete && S.Columns.at(size_t(i)).Kind == ColumnKind::Unknown) ReadRest();
        return S.Columns.at(size_t(i));
    }

    int FindColumn(const QString& name) const override
    {
        const int n = ColumnCount();
        for (int i = 0; i < n; ++i)
            if (S.Columns[size_t(i)].Name.compare(name, Qt::CaseInsensitive) == 0) return i;
        const int dot = int(name.lastIndexOf(QLatin1Char('.')));
        if (dot > 0) {
            const QString table = name.left(dot), col = name.mid(dot + 1);
            for (int i = 0; i < n; ++i) {
                const ColumnInfo& c = S.Columns[size_t(i)];
                if (c.Table.compare(table, Qt::CaseInsensitive) == 0 && c.Origin.compare(col, Qt::CaseInsensitive) == 0)
                    return i;
            }
            return -1;
        }
        for (int i = 0; i < n; ++i) {
            const QString& nm = S.Columns[size_t(i)].Name;
            const int d = int(nm.lastIndexOf(QLatin1Char('.')));
            if (d >= 0 && QStringView(nm).mid(d + 1).compare(name, Qt::CaseInsensitive) == 0) return i;
        }
        return -1;
    }

    qsizetype RowCount() const override
    {
        if (!FComplete) ReadRest();
        return FOrdered ? qsizetype(FOrder.size()) : qsizetype(S.Count);
    }

    bool AllRowsRead() const override { return FComplete; }

    bool RowsAtLeast(qsizetype n) const override
    {
        if (!FComplete && (qsizetype(S.Count) >= n || (n <= 1 && FHasRows))) return true;
        return RowCount() >= n;
    }

    bool IsNull(qsizetype row, int col) const override { return TypeAt(row, col) == kNull; }

    Variant Value(qsizetype row, int col) const override
    {
        const ColumnData& d = Data(col);
        const size_t p = Phys(row);
        const unsigned char t = d.Type[p];
        const quint64 v = d.Val[p];
        if (t == kNull) return VarNull();
        switch (S.Columns[size_t(col)].Kind) {
        case ColumnKind::DateTime:
            if (t == kInt) return double(qint64(v));
            if (t == kFloat) return BitsDouble(v);
            break;
        case ColumnKind::Boolean:
            if (t == kInt) return v != 0;
            if (t == kFloat) return BitsDouble(v) != 0;
            break;
        case ColumnKind::Float:
            if (t == kInt) return double(qint64(v));
            break;
        case ColumnKind::Text:
            if (t == kInt || t == kFloat) return Text(row, col);
            break;
        case ColumnKind::Blob:
            if (t == kText || t == kBlob) return S.Texts->Get(v).toByteArray();
            break;
        default: break;
        }
        switch (t) {
        case kInt: return qlonglong(v);
        case kFloat: return BitsDouble(v);
        case kText: return QString::fromUtf8(S.Texts->Get(v));
        default: return S.Texts->Get(v).toByteArray();
        }
    }

    QString Text(qsizetype row, int col) const override
    {
        const ColumnData& d = Data(col);
        const size_t p = Phys(row);
        const unsigned char t = d.Type[p];
        const quint64 v = d.Val[p];
        const ColumnKind k = S.Columns[size_t(col)].Kind;
        switch (t) {
        case kNull: return QString();
        case kInt:
            if (k == ColumnKind::DateTime) return DateTimeText(double(qint64(v)));
            if (k == ColumnKind::Boolean) return v ? QStringLiteral("1") : QStringLiteral("0");
            return QString::number(qint64(v));
        case kFloat:
            if (k == ColumnKind::DateTime) return DateTimeText(BitsDouble(v));
            if (k == ColumnKind::Boolean) return BitsDouble(v) != 0 ? QStringLiteral("1") : QStringLiteral("0");
            return QString::number(BitsDouble(v), 'g', QLocale::FloatingPointShortest);
        default: return QString::fromUtf8(S.Texts->Get(v));
        }
    }

    RowKey Key(qsizetype row) const override
    {
        if (!S.WithRowid) return row;
        return S.Rowids[Phys(row)];
    }

    // Keys map to stored rows through an index sorted by rowid (built on
    // first use, kept up to date by inserts), stored rows to positions
    // through a table remade after inserts and deletes.
    qsizetype FindKey(RowKey key) const override
    {
        if (!FComplete) ReadRest();
        if (!S.WithRowid) return key >= 0 && key < RowCount() ? key : -1;
        if (FOrdered && !FPositionsValid) {
            FPositions.assign(S.Count, -1);
            for (size_t pos = 0; pos < FOrder.size(); ++pos) FPositions[FOrder[pos]] = qint32(pos);
            FPositionsValid = true;
        }
        if (!FKeyIndexBuilt) {
            // Rows held only: a deleted row's rowid may be the engine's
            // again, for a row taken in since.
            FKeyIndex.clear();
            FKeyIndex.reserve(FOrdered ? FOrder.size() : S.Count);
            bool sorted = true;
            for (size_t i = 0; i < S.Count; ++i) {
                if (FOrdered && FPositions[i] < 0) continue;
                if (!FKeyIndex.empty() && S.Rowids[i] < FKeyIndex.back().first) sorted = false;
                FKeyIndex.emplace_back(S.Rowids[i], quint32(i));
            }
            if (!sorted) std::sort(FKeyIndex.begin(), FKeyIndex.end());
            FKeyIndexBuilt = true;
        }
        auto it = std::lower_bound(FKeyIndex.begin(), FKeyIndex.end(), std::pair<qint64, quint32>(key, 0));
        if (it == FKeyIndex.end() || it->first != key) return -1;
        const quint32 phys = it->second;
        if (!FOrdered) return qsizetype(phys);
        return FPositions[phys];
    }

    CellType TypeOf(qsizetype row, int col) const override
    {
        switch (TypeAt(row, col)) {
        case kInt: return CellType::Integer;
        case kFloat: return CellType::Float;
        case kText: return CellType::Text;
        case kBlob: return CellType::Blob;
        default: return CellType::Null;
        }
    }

    qint64 IntegerAt(qsizetype row, int col) const override
    {
        const ColumnData& d = Data(col);
        const size_t p = Phys(row);
        if (d.Type[p] == kInt) return qint64(d.Val[p]);
        if (d.Type[p] == kFloat) return qint64(BitsDouble(d.Val[p]));
        return 0;
    }

    double FloatAt(qsizetype row, int col) const override
    {
        const ColumnData& d = Data(col);
        const size_t p = Phys(row);
        if (d.Type[p] == kInt) return double(qint64(d.Val[p]));
        if (d.Type[p] == kFloat) return BitsDouble(d.Val[p]);
        return 0;
    }

    QByteArrayView Utf8At(qsizetype row, int col) const override
    {
        const ColumnData& d = Data(col);
        const size_t p = Phys(row);
        if (d.Type[p] == kText || d.Type[p] == kBlob) return S.Texts->Get(d.Val[p]);
        return QByteArrayView();
    }

    int CompareRows(qsizetype a, qsizetype b, int col) const override
    {
        const ColumnData& d = Data(col);
        const size_t pa = Phys(a), pb = Phys(b);
        const unsigned char ta = d.Type[pa], tb = d.Type[pb];
        auto rank = [](unsigned char t) { return t == kNull ? 0 : (t == kInt || t == kFloat) ? 1 : t == kText ? 2 : 3; };
        const int ra = rank(ta), rb = rank(tb);
        if (ra != rb) return ra < rb ? -1 : 1;
        switch (ra) {
        case 0: return 0;
        case 1:
            if (ta == kInt && tb == kInt) {
                const qint64 x = qint64(d.Val[pa]), y = qint64(d.Val[pb]);
                return x < y ? -1 : x > y ? 1 : 0;
            } else {
                const double x = ta == kInt ? double(qint64(d.Val[pa])) : BitsDouble(d.Val[pa]);
                const double y = tb == kInt ? double(qint64(d.Val[pb])) : BitsDouble(d.Val[pb]);
                return x < y ? -1 : x > y ? 1 : 0;
            }
        case 2: return CompareTextNoCase(S.Texts->Get(d.Val[pa]), S.Texts->Get(d.Val[pb]));
        default: {
            const QByteArrayView x = S.Texts->Get(d.Val[pa]), y = S.Texts->Get(d.Val[pb]);
            const int c = std::memcmp(x.data(), y.data(), size_t(std::min(x.size(), y.size())));
            if (c) return c < 0 ? -1 : 1;
            return x.size() < y.size() ? -1 : x.size() > y.size() ? 1 : 0;
        }
        }
    }

    bool Updatable() const override { return FUpdatable; }
    QString BaseTable() const override { return FBaseTable; }

    qsizetype InsertRow(qsizetype position, const std::vector<Variant>& values) override
    {
        ReadRest();
        sqlite3* db = CheckWritable(values);
        QStringList names;
        std::vector<int> cols;
        for (size_t i = 0; i < values.size(); ++i) {
            if (!values[i].isValid()) continue;
            const ColumnInfo& c = S.Columns[i];
            if (!c.Writable) {
                if (VarIsNull(values[i])) continue;
                throw EDatabaseError(QStringLiteral("Field '%1' cannot be updated.").arg(c.Name));
            }
            names << QuoteIdentifier(c.Origin);
            cols.push_back(int(i));
        }
        QString sql = QLatin1String("INSERT INTO ") + QuoteIdentifier(FBaseTable);
        if (cols.empty()) {
            sql += QLatin1String(" DEFAULT VALUES");
        } else {
            QStringList marks;
            for (size_t i = 0; i < cols.size(); ++i) marks << QLatin1Char('?') + QString::number(i + 1);
            sql += QLatin1String(" (") + names.join(QLatin1String(", ")) + QLatin1String(") VALUES (") +
                   marks.join(QLatin1String(", ")) + QLatin1Char(')');
        }
        StatementGuard g(Prepare(db, sql.toUtf8()));
        for (size_t i = 0; i < cols.size(); ++i) BindValue(g.Stmt, int(i + 1), values[size_t(cols[i])], S.Columns[size_t(cols[i])]);
        if (sqlite3_step(g.Stmt) != SQLITE_DONE) Fail(db);
        const qint64 rowid = sqlite3_last_insert_rowid(db);
        std::vector<Cell> cells;
        if (!FetchRow(db, rowid, cells)) return -1;
        MakeOrder();
        const size_t phys = AppendStored(cells, rowid);
        const qsizetype pos = std::clamp<qsizetype>(position, 0, qsizetype(FOrder.size()));
        FOrder.insert(FOrder.begin() + pos, quint32(phys));
        FPositionsValid = false;
        Changed();
        return pos;
    }

    void UpdateRow(qsizetype row, const std::vector<Variant>& values) override
    {
        ReadRest();
        sqlite3* db = CheckWritable(values);
        CheckRow(row);
        const Stamp before = BeforeOwnWrite();
        QStringList sets;
        std::vector<int> cols;
        for (size_t i = 0; i < values.size(); ++i) {
            if (!values[i].isValid()) continue;
            const ColumnInfo& c = S.Columns[i];
            if (!c.Writable) {
                const Variant cur = Value(row, int(i));
                if ((VarIsNull(values[i]) && VarIsNull(cur)) || values[i] == cur) continue;
                throw EDatabaseError(QStringLiteral("Field '%1' cannot be updated.").arg(c.Name));
            }
            cols.push_back(int(i));
            sets << QuoteIdentifier(c.Origin) + QLatin1String(" = ?") + QString::number(cols.size());
        }
        if (cols.empty()) return;
        const qint64 rowid = S.Rowids[Phys(row)];
        const QString sql = QLatin1String("UPDATE ") + QuoteIdentifier(FBaseTable) + QLatin1String(" SET ") +
                            sets.join(QLatin1String(", ")) + QLatin1String(" WHERE rowid = ?") +
                            QString::number(cols.size() + 1);
        StatementGuard g(Prepare(db, sql.toUtf8()));
        for (size_t i = 0; i < cols.size(); ++i) BindValue(g.Stmt, int(i + 1), values[size_t(cols[i])], S.Columns[size_t(cols[i])]);
        sqlite3_bind_int64(g.Stmt, int(cols.size() + 1), rowid);
        if (sqlite3_step(g.Stmt) != SQLITE_DONE) Fail(db);
        if (sqlite3_changes(db) == 0) throw EDatabaseError(QString::fromLatin1(kRowMissing));
        std::vector<Cell> cells;
        if (!FetchRow(db, rowid, cells)) throw EDatabaseError(QString::fromLatin1(kRowMissing));
        const size_t p = Phys(row);
        std::vector<bool> changed(cells.size(), false);
        for (size_t c = 0; c < cells.size(); ++c) changed[c] = StoreIfChanged(p, c, cells[c]);
        AfterOwnWrite(before);
        ChangedInPlace(changed);
    }

    void DeleteRow(qsizetype row) override
    {
        ReadRest();
        sqlite3* db = CheckWritable({});
        CheckRow(row);
        const Stamp before = BeforeOwnWrite();
        StatementGuard g(Prepare(db, QByteArray("DELETE FROM ") + QuoteIdentifier(FBaseTable).toUtf8() +
                                         QByteArray(" WHERE rowid = ?1")));
        sqlite3_bind_int64(g.Stmt, 1, S.Rowids[Phys(row)]);
        if (sqlite3_step(g.Stmt) != SQLITE_DONE) Fail(db);
        // A row some statement removed already is gone all the same.
        MakeOrder();
        FOrder.erase(FOrder.begin() + row);
        FPositionsValid = false;
        AfterOwnWrite(before);
        Changed();
    }

    void Requery() override
    {
        // Nothing written to the tables the statement reads since the rows
        // were read, nothing undone there, no other connection's commit and
        // no schema change: the rows held are the rows the statement would
        // give, so keep them (a vote list re-queried on every scroll then
        // costs nothing). When a few rows of a table changed (a rolled-back
        // edit), only those are read again.
        if (FLoadStamp.Valid) {
            const Stamp now = CurrentStamp();
            if (FLoadStamp == now) return;
            try {
                if (Patch(now)) return;
            } catch (const Exception&) {
                // Read it all below.
            }
        }
        Run(!FComplete);
        Changed();
    }

    quint64 Generation() const override { return FGeneration; }

    bool ColumnUnchangedSince(quint64 generation, int col) const override
    {
        if (generation == FGeneration) return true;
        if (col < 0 || size_t(col) >= FChangedCols.size() || FChangedCols[size_t(col)]) return false;
        return std::find(FStableGenerations.begin(), FStableGenerations.end(), generation) != FStableGenerations.end();
    }

    // Prepares the source and reads its rows (with a preview, only the first
    // few; the rest when first needed).
    void Run(bool preview = false)
    {
        sqlite3* db = Db();
        std::vector<QByteArray> tries;  // with the rowid first, then without
        QString base;
        if (FIsTable) {
            const QByteArray t = QuoteIdentifier(FSource).toUtf8();
            if (!FReadOnly) tries.push_back("SELECT rowid, * FROM " + t);
            tries.push_back("SELECT * FROM " + t);
            base = FSource;
        } else {
            const auto st = Connection()->TranslateStatement(FSource);
            if (st->Kind == JetStatementKind::Password || st->Sql.isEmpty())
                throw EDatabaseError(QStringLiteral("The statement returns no rows."));
            if (st->Updatable && !FReadOnly) {
                tries.push_back(st->RowidSql);
                FRowSql = st->RowSql;
            }
            tries.push_back(st->Sql);
            base = st->BaseTable;
        }
        sqlite3_stmt* stmt = nullptr;
        bool withRowid = false;
        for (size_t i = 0; i < tries.size(); ++i) {
            const int rc = sqlite3_prepare_v2(db, tries[i].constData(), int(tries[i].size()), &stmt, nullptr);
            if (rc == SQLITE_OK && stmt) {
                withRowid = i + 1 < tries.size();
                break;
            }
            if (stmt) sqlite3_finalize(stmt);
            stmt = nullptr;
            if (i + 1 == tries.size()) Fail(db);
        }
        if (!stmt) throw EDatabaseError(QStringLiteral("The statement returns no rows."));
        // Held until Load takes it: the row check below may throw.
        StatementGuard prepared(stmt);
        if (FIsTable && withRowid)
            FRowSql = "SELECT rowid, * FROM " + QuoteIdentifier(FSource).toUtf8() + " WHERE rowid = ?1";
        FRunSql = QByteArray(sqlite3_sql(stmt));
        FReadTables.clear();
        if (FIsTable) FReadTables << FSource.toLower();
        FReadKnown = FIsTable || Connection()->ReadTables(FRunSql, FReadTables);
        FLoadStamp = CurrentStamp();
        qsizetype limit = preview ? kPreviewRows : -1;
        FHasRows = false;
        if (preview && !FIsTable && HasRows(db, FRunSql)) {
            // A statement's first row may cost all of them (a sort): only
            // whether there is one is asked now, which needs no order.
            limit = 0;
            FHasRows = true;
        }
        Load(prepared.Release(), withRowid, base, limit);
        FHasRows = FHasRows || S.Count > 0;
    }

    static bool HasRows(sqlite3* db, const QByteArray& sql)
    {
        StatementGuard g(Prepare(db, "SELECT EXISTS (" + sql + ")"));
        const int rc = sqlite3_step(g.Stmt);
        if (rc != SQLITE_ROW) Fail(db);
        return sqlite3_column_int(g.Stmt, 0) != 0;
    }

    // Reads the rows after the first ones read at open.
    void ReadRest() const { const_cast<RecordsetImpl*>(this)->ReadRestNow(); }

    void ReadRestNow()
    {
        if (FComplete) return;
        if (!(FLoadStamp.Valid && FLoadStamp == CurrentStamp())) {
            // The database changed since the first rows were read: read it all anew.
            Run();
            Changed();
            return;
        }
        sqlite3* db = Db();
        sqlite3_stmt* stmt = Prepare(db, FRunSql);
        if (!stmt) Fail(db);
        StatementGuard g(stmt);
        for (size_t skipped = 0; skipped < S.Count; ++skipped) {
            const int rc = sqlite3_step(stmt);
            if (rc == SQLITE_DONE) break;
            if (rc != SQLITE_ROW) Fail(db);
        }
        ReadRows(stmt, S, -1);
        FComplete = true;
    }

    // Reads the rows of a prepared statement (finalized here), all of them or
    // the first limit ones.
    void Load(sqlite3_stmt* stmt, bool withRowid, const QString& base, qsizetype limit = -1)
    {
        StatementGuard g(stmt);
        const int n = sqlite3_column_count(stmt);
        if (n == 0) throw EDatabaseError(QStringLiteral("The statement returns no rows."));
        const int first = withRowid ? 1 : 0;
        Storage s;
        s.WithRowid = withRowid;
        for (int i = first; i < n; ++i) {
            ColumnInfo c;
            auto str = [](const char* p) { return p ? QString::fromUtf8(p) : QString(); };
            c.Name = str(sqlite3_column_name(stmt, i));
            c.Table = str(sqlite3_column_table_name(stmt, i));
            c.Origin = str(sqlite3_column_origin_name(stmt, i));
            c.DeclType = str(sqlite3_column_decltype(stmt, i));
            c.Kind = internal::KindOfDeclType(c.DeclType);
            c.Size = DeclSize(c.DeclType);
            c.Writable = withRowid && !c.Origin.isEmpty() && c.Table.compare(base, Qt::CaseInsensitive) == 0;
            s.Columns.push_back(std::move(c));
        }
        // Columns that share a name are told apart by their table, "T.col".
        std::vector<bool> dup(s.Columns.size());
        for (size_t i = 0; i < s.Columns.size(); ++i)
            for (size_t j = 0; j < s.Columns.size() && !dup[i]; ++j)
                dup[i] = j != i && s.Columns[j].Name.compare(s.Columns[i].Name, Qt::CaseInsensitive) == 0;
        for (size_t i = 0; i < s.Columns.size(); ++i)
            if (dup[i] && !s.Columns[i].Table.isEmpty())
                s.Columns[i].Name = s.Columns[i].Table + QLatin1Char('.') + s.Columns[i].Name;
        s.Data.resize(s.Columns.size());
        const bool complete = ReadRows(stmt, s, limit);
        S = std::move(s);
        FComplete = complete;
        FOrder.clear();
        FOrdered = false;
        FKeyIndex.clear();
        FKeyIndexBuilt = false;
        FPositionsValid = false;
        FBaseTable = withRowid ? base : QString();
        FUpdatable = false;
        for (const ColumnInfo& c : S.Columns) FUpdatable = FUpdatable || c.Writable;
    }

    // Appends the statement's next rows to s, all of them or up to limit in
    // all; true when the statement has no more.
    bool ReadRows(sqlite3_stmt* stmt, Storage& s, qsizetype limit)
    {
        sqlite3* db = sqlite3_db_handle(stmt);
        const int first = s.WithRowid ? 1 : 0;
        const int cols = int(s.Columns.size());
        Arena& arena = *s.Texts;
        std::vector<TextCache> caches{size_t(cols)};
        bool complete = false;
        for (; limit != 0;) {
            if (limit >= 0 && qsizetype(s.Count) >= limit + 1) break;
            const int rc = sqlite3_step(stmt);
            if (rc == SQLITE_ROW) {
                if (limit >= 0 && qsizetype(s.Count) == limit) break;   // there are more
                if (s.WithRowid) s.Rowids.push_back(sqlite3_column_int64(stmt, 0));
                for (int c = 0; c < cols; ++c) StoreCell(stmt, c + first, s.Data[size_t(c)], arena, caches[size_t(c)]);
                ++s.Count;
            } else if (rc == SQLITE_DONE) {
                complete = true;
                break;
            } else {
                Fail(db);
            }
        }
        // A computed column takes the kind of its first value.
        for (int c = 0; c < cols; ++c) {
            ColumnInfo& info = s.Columns[size_t(c)];
            if (info.Kind != ColumnKind::Unknown) continue;
            const ColumnData& d = s.Data[size_t(c)];
            for (size_t r = 0; r < s.Count; ++r) {
                const unsigned char t = d.Type[r];
                if (t == kNull) continue;
                info.Kind = t == kInt ? ColumnKind::Integer : t == kFloat ? ColumnKind::Float
                          : t == kText ? ColumnKind::Text : ColumnKind::Blob;
                break;
            }
        }
        return complete;
    }

private:
    static constexpr qsizetype kPreviewRows = 16;
    QByteArray FRunSql;          // the statement last run, for reading the rest
    bool FComplete = true;       // every row of the statement is held
    bool FHasRows = false;       // the statement gave a row when last run
    std::shared_ptr<TADOConnection* const> FAlive;
    QString FSource;
    bool FIsTable;
    bool FReadOnly;
    Storage S;
    QByteArray FRowSql;
    QString FBaseTable;
    bool FUpdatable = false;
    std::vector<quint32> FOrder;
    bool FOrdered = false;
    quint64 FGeneration = NextGeneration();
    // The generations since which only the marked columns changed in place.
    std::vector<quint64> FStableGenerations;
    std::vector<bool> FChangedCols;
    mutable std::vector<std::pair<qint64, quint32>> FKeyIndex;   // (rowid, stored row), by rowid
    mutable bool FKeyIndexBuilt = false;
    mutable std::vector<qint32> FPositions;                     // stored row -> position, -1 deleted
    mutable bool FPositionsValid = false;

    size_t Phys(qsizetype row) const
    {
        if (!FComplete && row >= 0 && row < qsizetype(S.Count)) return size_t(row);
        if (row < 0 || row >= RowCount()) throw EDatabaseError(QStringLiteral("Row %1 is out of range.").arg(row));
        return FOrdered ? FOrder[size_t(row)] : size_t(row);
    }
    const ColumnData& Data(int col) const
    {
        if (col < 0 || col >= ColumnCount()) throw EDatabaseError(QStringLiteral("Column %1 is out of range.").arg(col));
        return S.Data[size_t(col)];
    }
    unsigned char TypeAt(qsizetype row, int col) const
    {
        const ColumnData& d = Data(col);
        return d.Type[Phys(row)];
    }
    void CheckRow(qsizetype row) const { (void)Phys(row); }

    void MakeOrder()
    {
        if (FOrdered) return;
        FOrder.resize(S.Count);
        for (size_t i = 0; i < S.Count; ++i) FOrder[i] = quint32(i);
        FOrdered = true;
    }

    // The rows changed: positions, count or anything else.
    void Changed()
    {
        FGeneration = NextGeneration();
        FStableGenerations.clear();
        FChangedCols.clear();
    }
    // Only values of the marked columns changed, each row where it was.
    void ChangedInPlace(const std::vector<bool>& cols)
    {
        if (FStableGenerations.size() >= 64) {
            Changed();
            return;
        }
        FStableGenerations.push_back(FGeneration);
        FChangedCols.resize(S.Columns.size(), false);
        for (size_t c = 0; c < cols.size() && c < FChangedCols.size(); ++c)
            if (cols[c]) FChangedCols[c] = true;
        FGeneration = NextGeneration();
    }

    // What tells that the database may hold other rows than those read:
    // the versions of the tables the statement reads (of all tables when
    // that is not known), changes the versions do not tell, another
    // connection's commit, a schema change, a reconnect.
    struct Stamp {
        bool Valid = false;
        quint64 Tables = 0;
        qint64 Untracked = 0, DataVersion = 0, SchemaVersion = 0;
        quint64 Epoch = 0;
        bool operator==(const Stamp& o) const
        {
            return Tables == o.Tables && Untracked == o.Untracked && DataVersion == o.DataVersion &&
                   SchemaVersion == o.SchemaVersion && Epoch == o.Epoch;
        }
    };
    Stamp FLoadStamp;
    QStringList FReadTables;     // the tables the statement reads
    bool FReadKnown = false;

    static qint64 PragmaValue(sqlite3* db, const char* sql)
    {
        sqlite3_stmt* st = nullptr;
        qint64 v = -1;
        if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
            v = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
        return v;
    }

    // A write through a table's recordset changes the rows held as it changes
    // the table (the row is read back, or dropped, in place). When it was the
    // only change since the rows were read, they still are what the statement
    // gives, so a requery keeps them (a vote changed in the grid, then the
    // requery that follows the next participant).
    Stamp BeforeOwnWrite() const { return FIsTable && FLoadStamp.Valid ? CurrentStamp() : Stamp{}; }
    void AfterOwnWrite(const Stamp& before)
    {
        if (!before.Valid || !(before == FLoadStamp)) return;
        const Stamp now = CurrentStamp();
        Stamp expected = before;
        expected.Tables += 1;
        if (now == expected) FLoadStamp = now;
    }

    Stamp CurrentStamp() const
    {
        Stamp s;
        TADOConnection* c = Connection();
        if (!c || !c->Connected()) return s;
        sqlite3* db = c->CheckedHandle();
        s.Valid = true;
        if (FReadKnown)
            for (const QString& t : FReadTables) s.Tables += c->TableVersion(t);
        else
            s.Tables = c->TableVersion(QString());
        s.Untracked = c->UntrackedChanges();
        s.DataVersion = PragmaValue(db, "PRAGMA data_version");
        s.SchemaVersion = PragmaValue(db, "PRAGMA schema_version");
        s.Epoch = c->UndoEpoch();
        return s;
    }

    sqlite3* Db() const
    {
        TADOConnection* c = Connection();
        if (!c) throw EDatabaseError(QStringLiteral("The connection of the recordset no longer exists."));
        return c->CheckedHandle();
    }

    sqlite3* CheckWritable(const std::vector<Variant>& values) const
    {
        if (!FUpdatable) throw EDatabaseError(QString::fromLatin1(kNotUpdatable));
        if (values.size() > S.Columns.size())
            throw EDatabaseError(QStringLiteral("More values than columns were given."));
        return Db();
    }

    [[noreturn]] static void Fail(sqlite3* db) { throw EDatabaseError(EngineMessage(db)); }

    static sqlite3_stmt* Prepare(sqlite3* db, const QByteArray& sql)
    {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db, sql.constData(), int(sql.size()), &s, nullptr) != SQLITE_OK) {
            if (s) sqlite3_finalize(s);
            Fail(db);
        }
        return s;
    }

    // Appends a row read back to the storage; returns its stored index.
    size_t AppendStored(std::vector<Cell>& cells, qint64 rowid)
    {
        const size_t phys = S.Count;
        for (size_t c = 0; c < cells.size(); ++c) {
            ColumnData& d = S.Data[c];
            d.Type.push_back(cells[c].Type);
            d.Val.push_back(CellValue(cells[c]));
        }
        S.Rowids.push_back(rowid);
        ++S.Count;
        if (FKeyIndexBuilt) {  // a rowid the engine hands out again replaces the deleted row's entry
            auto it = std::lower_bound(FKeyIndex.begin(), FKeyIndex.end(), std::pair<qint64, quint32>(rowid, 0));
            if (it != FKeyIndex.end() && it->first == rowid) it->second = quint32(phys);
            else FKeyIndex.insert(it, {rowid, quint32(phys)});
        }
        return phys;
    }

    // A table's rows brought up to date row by row: when everything that
    // changed since they were read is rows of the table, all of them listed
    // by the connection and few next to the rows held, and the rows held
    // stand in the order a reading gives (by rowid). Each row listed is read
    // back by its rowid: changed in place, dropped when it is gone, taken in
    // at its place when it is new. False when a reading must do.
    bool Patch(const Stamp& now)
    {
        if (!FIsTable || !S.WithRowid || !FComplete || !now.Valid || FRowSql.isEmpty()) return false;
        if (now.Untracked != FLoadStamp.Untracked || now.DataVersion != FLoadStamp.DataVersion ||
            now.SchemaVersion != FLoadStamp.SchemaVersion || now.Epoch != FLoadStamp.Epoch)
            return false;
        std::vector<qint64> rowids;
        if (!Connection()->RowsChangedSince(FSource, FLoadStamp.Tables, rowids)) return false;
        if (rowids.size() > S.Count / 8 + 64) return false;
        auto stored = [this](size_t pos) { return FOrdered ? size_t(FOrder[pos]) : pos; };
        const size_t held = FOrdered ? FOrder.size() : S.Count;
        for (size_t i = 1; i < held; ++i)
            if (S.Rowids[stored(i - 1)] >= S.Rowids[stored(i)]) return false;

        sqlite3* db = Db();
        std::vector<qsizetype> positions(rowids.size());
        for (size_t i = 0; i < rowids.size(); ++i) positions[i] = FindKey(rowids[i]);
        std::vector<qsizetype> dropped;
        std::vector<std::pair<qint64, std::vector<Cell>>> added;
        std::vector<Cell> cells;
        std::vector<bool> changedCols(S.Columns.size(), false);
        for (size_t i = 0; i < rowids.size(); ++i) {
            const bool there = FetchRow(db, rowids[i], cells);
            if (there && positions[i] >= 0) {
                const size_t p = stored(size_t(positions[i]));
                for (size_t c = 0; c < cells.size(); ++c)
                    if (StoreIfChanged(p, c, cells[c])) changedCols[c] = true;
            } else if (there) {
                added.emplace_back(rowids[i], std::move(cells));
                cells.clear();
            } else if (positions[i] >= 0) {
                dropped.push_back(positions[i]);
            }
        }
        if (!dropped.empty() || !added.empty()) {
            MakeOrder();
            std::sort(dropped.begin(), dropped.end());
            std::vector<quint32> order;
            order.reserve(FOrder.size() - dropped.size() + added.size());
            // Rowids came sorted, so the rows taken in are in rowid order.
            FKeyIndexBuilt = false;
            FKeyIndex.clear();
            std::vector<quint32> fresh;
            for (auto& [rowid, c] : added) fresh.push_back(quint32(AppendStored(c, rowid)));
            size_t d = 0, a = 0;
            for (size_t pos = 0; pos < FOrder.size(); ++pos) {
                if (d < dropped.size() && dropped[d] == qsizetype(pos)) {
                    ++d;
                    continue;
                }
                const qint64 rowid = S.Rowids[FOrder[pos]];
                while (a < fresh.size() && S.Rowids[fresh[a]] < rowid) order.push_back(fresh[a++]);
                order.push_back(FOrder[pos]);
            }
            while (a < fresh.size()) order.push_back(fresh[a++]);
            FOrder = std::move(order);
            FPositionsValid = false;
            Changed();
        } else {
            ChangedInPlace(changedCols);
        }
        FLoadStamp = now;
        return true;
    }

    // Puts a cell read back into the stored row; true when its value differs.
    bool StoreIfChanged(size_t p, size_t c, Cell& cell)
    {
        ColumnData& d = S.Data[c];
        bool same = d.Type[p] == cell.Type;
        if (same && (cell.Type == kText || cell.Type == kBlob))
            same = S.Texts->Get(d.Val[p]) == QByteArrayView(cell.Bytes);
        else if (same)
            same = d.Val[p] == cell.Val;
        if (same) return false;
        d.Type[p] = cell.Type;
        d.Val[p] = CellValue(cell);
        return true;
    }

    quint64 CellValue(Cell& c)
    {
        if (c.Type == kText || c.Type == kBlob) return S.Texts->Add(c.Bytes.constData(), quint32(c.Bytes.size()));
        return c.Val;
    }

    // The row as the statement's columns show it now, read back by rowid.
    bool FetchRow(sqlite3* db, qint64 rowid, std::vector<Cell>& cells)
    {
        StatementGuard g(Prepare(db, FRowSql));
        sqlite3_bind_int64(g.Stmt, 1, rowid);
        const int rc = sqlite3_step(g.Stmt);
        if (rc == SQLITE_DONE) return false;
        if (rc != SQLITE_ROW) Fail(db);
        const int n = sqlite3_column_count(g.Stmt);
        if (n - 1 != ColumnCount()) throw EDatabaseError(QStringLiteral("The columns of the table have changed; requery it."));
        cells.assign(size_t(n - 1), Cell{});
        for (int i = 1; i < n; ++i) {
            Cell& c = cells[size_t(i - 1)];
            c.Type = static_cast<unsigned char>(sqlite3_column_type(g.Stmt, i));
            switch (c.Type) {
            case kInt: c.Val = quint64(sqlite3_column_int64(g.Stmt, i)); break;
            case kFloat: c.Val = DoubleBits(sqlite3_column_double(g.Stmt, i)); break;
            case kText: {
                const char* p = reinterpret_cast<const char*>(sqlite3_column_text(g.Stmt, i));
                c.Bytes = QByteArray(p, sqlite3_column_bytes(g.Stmt, i));
                break;
            }
            case kBlob: {
                const char* p = static_cast<const char*>(sqlite3_column_blob(g.Stmt, i));
                c.Bytes = QByteArray(p, sqlite3_column_bytes(g.Stmt, i));
                break;
            }
            default: c.Type = kNull; break;
            }
        }
        return true;
    }
};

}  // namespace

namespace internal {

RecordsetPtr ReadOnlyFromStatement(TADOConnection* connection, const QString& source, sqlite3_stmt* stmt)
{
    StatementGuard g(stmt);
    auto r = std::make_shared<RecordsetImpl>(connection, source, false, true);
    r->Load(g.Release(), false, QString());
    return r;
}

}  // namespace internal

std::shared_ptr<Recordset> Recordset::Open(TADOConnection* connection, const QString& jetSql)
{
    if (!connection) throw EDatabaseError(QStringLiteral("The recordset has no connection."));
    auto r = std::make_shared<RecordsetImpl>(connection, jetSql, false, false);
    r->Run(true);
    return r;
}

std::shared_ptr<Recordset> Recordset::OpenTable(TADOConnection* connection, const QString& tableName)
{
    if (!connection) throw EDatabaseError(QStringLiteral("The recordset has no connection."));
    auto r = std::make_shared<RecordsetImpl>(connection, tableName, true, false);
    r->Run(true);
    return r;
}

std::shared_ptr<Recordset> Recordset::OpenWithConnectionString(const QString& connectionString, const QString& jetSql)
{
    auto c = std::make_unique<TADOConnection>();
    c->SetConnectionString(connectionString);
    c->Open();
    auto r = std::make_shared<RecordsetImpl>(c.get(), jetSql, false, true);
    r->OwnConnection = std::move(c);
    r->Run();
    return r;
}

}  // namespace ado
