// The filter language of the datasets, as the system writes it:
//   condition  := term { OR term }
//   term       := factor { AND factor }
//   factor     := '(' condition ')' | field op value | field IS [NOT] NULL
//   op         := = | <> | != | < | > | <= | >= | LIKE | NOT LIKE
//   value      := 'text' (apostrophes doubled inside) | "text" | #date# | number
//               | NULL | bare word (up to a blank or ')', e.g. {GUID})
// Field names are column names, optionally in [brackets]. Text compares
// ignoring letter case; LIKE takes '*' or '%' for any run of characters.
// A NULL cell satisfies only IS NULL (and "= NULL").
#include <QDateTime>
#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/core/Hash.h"
#include "platform/db/DBImpl.h"

namespace dbimpl {

namespace {

enum class Op { Eq, Ne, Lt, Gt, Le, Ge, Like, NotLike, IsNull, IsNotNull };
enum class LitKind { Text, Number, Date, Bare, Null };
enum class Mode { Text, Number, Date, Dynamic };

[[noreturn]] void FilterError(const QString& text, const QString& why)
{
    throw EDatabaseError(QStringLiteral("Invalid filter \"%1\": %2").arg(text, why));
}

// ASCII-aware case folding of UTF-8 bytes into buf; non-ASCII goes through QString.
inline QByteArray FoldUtf8(QByteArrayView v, char* buf, qsizetype bufSize)
{
    const char* p = v.data();
    const qsizetype n = v.size();
    if (n <= bufSize) {
        qsizetype i = 0;
        for (; i < n; ++i) {
            unsigned char c = static_cast<unsigned char>(p[i]);
            if (c >= 0x80) break;
            buf[i] = char(c >= 'A' && c <= 'Z' ? c + 32 : c);
        }
        if (i == n) return QByteArray::fromRawData(buf, n);
    }
    return QString::fromUtf8(v).toCaseFolded().toUtf8();
}

// Compares cell bytes with a folded ASCII key: 1 equal, 0 different, -1 undecided
// (non-ASCII bytes met: fold and compare the slow way).
inline int AsciiEqualFolded(QByteArrayView cell, const QByteArray& key)
{
    const char* a = cell.data();
    const char* b = key.constData();
    const qsizetype n = std::min(cell.size(), key.size());
    for (qsizetype i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(a[i]);
        if (c >= 0x80) return -1;
        if (c >= 'A' && c <= 'Z') c += 32;
        if (c != static_cast<unsigned char>(b[i])) return 0;
    }
    if (cell.size() == key.size()) return 1;
    if (cell.size() > key.size()) {
        for (qsizetype i = n; i < cell.size(); ++i)
            if (static_cast<unsigned char>(a[i]) >= 0x80) return -1;
    }
    return 0;
}

bool IsAscii(const QByteArray& b)
{
    for (char c : b)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Wildcard pattern, folded, split at '*' / '%'.
struct Like {
    std::vector<QString> parts;
    bool anchoredStart = true, anchoredEnd = true;
    void Compile(const QString& pattern)
    {
        QString p = FoldText(pattern);
        parts.clear();
        QString cur;
        anchoredStart = !(p.startsWith(QLatin1Char('*')) || p.startsWith(QLatin1Char('%')));
        anchoredEnd = !(p.endsWith(QLatin1Char('*')) || p.endsWith(QLatin1Char('%')));
        for (QChar c : p) {
            if (c == QLatin1Char('*') || c == QLatin1Char('%')) {
                if (!cur.isEmpty()) parts.push_back(cur);
                cur.clear();
            } else
                cur += c;
        }
        if (!cur.isEmpty()) parts.push_back(cur);
        if (p.isEmpty()) anchoredStart = anchoredEnd = true;
    }
    bool Match(const QString& folded) const
    {
        if (parts.empty()) return (anchoredStart && anchoredEnd) ? folded.isEmpty() : true;
        qsizetype pos = 0, end = folded.size();
        size_t i0 = 0, i1 = parts.size();
        if (anchoredStart) {
            if (!folded.startsWith(parts[0])) return false;
            pos = parts[0].size();
            i0 = 1;
        }
        if (anchoredEnd) {
            if (i0 == i1) return pos == end;
            const QString& tail = parts[i1 - 1];
            if (end - pos < tail.size() || !folded.endsWith(tail)) return false;
            end -= tail.size();
            --i1;
        }
        for (size_t k = i0; k < i1; ++k) {
            qsizetype at = QStringView(folded).left(end).indexOf(parts[k], pos);
            if (at < 0) return false;
            pos = at + parts[k].size();
        }
        return true;
    }
};

struct Literal {
    LitKind kind = LitKind::Text;
    QString text;
};

class Parser {
public:
    explicit Parser(const QString& t) : s(t) {}
    std::unique_ptr<Filter::Node> ParseAll();
private:
    const QString& s;
    qsizetype i = 0;
    void Ws() { while (i < s.size() && s[i].isSpace()) ++i; }
    bool AtEnd() { Ws(); return i >= s.size(); }
    bool Keyword(const char* kw);
    std::unique_ptr<Filter::Node> Or();
    std::unique_ptr<Filter::Node> And();
    std::unique_ptr<Filter::Node> Primary();
    std::unique_ptr<Filter::Node> Comparison();
    [[noreturn]] void Fail(const QString& why) { FilterError(s, why); }
};

}  // namespace

struct Filter::Node {
    enum Kind { And, Or, Cmp } kind = Cmp;
    std::vector<std::unique_ptr<Node>> kids;
    QString field;
    Op op = Op::Eq;
    Literal lit;
    // Bound:
    int col = -1;
    Mode mode = Mode::Text;
    double num = 0;
    QString folded;         // folded literal text
    bool litIsNumber = false;
    Like like;
};

struct Filter::Trie {
    struct Level {
        // Few keys: compared one by one on the bytes; many: hashed.
        std::vector<QByteArray> keys;
        std::vector<int> next;          // child level index, -1 = match
        QHash<QByteArray, int> hash;
        bool asciiKeys = true;
    };
    std::vector<Level> levels;
    int Find(const Level& L, QByteArrayView cell) const
    {
        if (L.keys.size() <= 8 && L.asciiKeys) {
            for (size_t k = 0; k < L.keys.size(); ++k) {
                int r = AsciiEqualFolded(cell, L.keys[k]);
                if (r == 1) return int(k);
                if (r < 0) {
                    QByteArray f = QString::fromUtf8(cell).toCaseFolded().toUtf8();
                    for (size_t j = 0; j < L.keys.size(); ++j)
                        if (L.keys[j] == f) return int(j);
                    return -1;
                }
            }
            return -1;
        }
        char buf[256];
        QByteArray f = FoldUtf8(cell, buf, sizeof buf);
        auto it = L.hash.constFind(f);
        return it == L.hash.constEnd() ? -1 : it.value();
    }
};

Filter::~Filter() = default;

// ------------------------------------------------------------------ parsing

bool Parser::Keyword(const char* kw)
{
    Ws();
    qsizetype n = qsizetype(strlen(kw));
    if (i + n > s.size()) return false;
    if (QStringView(s).mid(i, n).compare(QLatin1String(kw), Qt::CaseInsensitive) != 0) return false;
    if (i + n < s.size() && (s[i + n].isLetterOrNumber() || s[i + n] == QLatin1Char('_'))) return false;
    i += n;
    return true;
}

std::unique_ptr<Filter::Node> Parser::ParseAll()
{
    auto n = Or();
    if (!AtEnd()) Fail(QStringLiteral("unexpected \"%1\"").arg(s.mid(i, 20)));
    return n;
}

std::unique_ptr<Filter::Node> Parser::Or()
{
    auto left = And();
    if (!Keyword("OR")) return left;
    auto n = std::make_unique<Filter::Node>();
    n->kind = Filter::Node::Or;
    n->kids.push_back(std::move(left));
    do n->kids.push_back(And());
    while (Keyword("OR"));
    return n;
}

std::unique_ptr<Filter::Node> Parser::And()
{
    auto left = Primary();
    if (!Keyword("AND")) return left;
    auto n = std::make_unique<Filter::Node>();
    n->kind = Filter::Node::And;
    n->kids.push_back(std::move(left));
    do n->kids.push_back(Primary());
    while (Keyword("AND"));
    return n;
}

std::unique_ptr<Filter::Node> Parser::Primary()
{
    Ws();
    if (i >= s.size()) Fail(QStringLiteral("condition expected"));
    if (s[i] == QLatin1Char('(')) {
        ++i;
        auto n = Or();
        Ws();
        if (i >= s.size() || s[i] != QLatin1Char(')')) Fail(QStringLiteral("')' expected"));
        ++i;
        return n;
    }
    return Comparison();
}

std::unique_ptr<Filter::Node> Parser::Comparison()
{
    auto n = std::make_unique<Filter::Node>();
    Ws();
    // Field name.
    if (s[i] == QLatin1Char('[')) {
        qsizetype e = s.indexOf(QLatin1Char(']'), i + 1);
        if (e < 0) Fail(QStringLiteral("']' expected"));
        n->field = s.mid(i + 1, e - i - 1);
        i = e + 1;
    } else {
        qsizetype b = i;
        while (i < s.size() && !s[i].isSpace() && !QStringLiteral("=<>!()'#\"").contains(s[i])) ++i;
        n->field = s.mid(b, i - b);
    }
    if (n->field.isEmpty()) Fail(QStringLiteral("field name expected"));
    // Operator.
    Ws();
    auto two = [&](const char* op) {
        if (i + 1 < s.size() && s[i] == QLatin1Char(op[0]) && s[i + 1] == QLatin1Char(op[1])) { i += 2; return true; }
        return false;
    };
    if (two("<=")) n->op = Op::Le;
    else if (two(">=")) n->op = Op::Ge;
    else if (two("<>") || two("!=")) n->op = Op::Ne;
    else if (i < s.size() && s[i] == QLatin1Char('=')) { ++i; n->op = Op::Eq; }
    else if (i < s.size() && s[i] == QLatin1Char('<')) { ++i; n->op = Op::Lt; }
    else if (i < s.size() && s[i] == QLatin1Char('>')) { ++i; n->op = Op::Gt; }
    else if (Keyword("LIKE")) n->op = Op::Like;
    else if (Keyword("NOT")) {
        if (!Keyword("LIKE")) Fail(QStringLiteral("LIKE expected after NOT"));
        n->op = Op::NotLike;
    } else if (Keyword("IS")) {
        bool no = Keyword("NOT");
        if (!Keyword("NULL")) Fail(QStringLiteral("NULL expected after IS"));
        n->op = no ? Op::IsNotNull : Op::IsNull;
        return n;
    } else
        Fail(QStringLiteral("operator expected after \"%1\"").arg(n->field));
    // Value.
    Ws();
    if (i >= s.size()) Fail(QStringLiteral("value expected after \"%1\"").arg(n->field));
    QChar q = s[i];
    if (q == QLatin1Char('\'') || q == QLatin1Char('"')) {
        QString v;
        ++i;
        for (;;) {
            if (i >= s.size()) Fail(QStringLiteral("unterminated text value"));
            if (s[i] == q) {
                if (i + 1 < s.size() && s[i + 1] == q) { v += q; i += 2; continue; }
                ++i;
                break;
            }
            v += s[i++];
        }
        n->lit = {LitKind::Text, v};
    } else if (q == QLatin1Char('#')) {
        qsizetype e = s.indexOf(QLatin1Char('#'), i + 1);
        if (e < 0) Fail(QStringLiteral("'#' expected after a date"));
        n->lit = {LitKind::Date, s.mid(i + 1, e - i - 1).trimmed()};
        i = e + 1;
    } else {
        qsizetype b = i;
        while (i < s.size() && !s[i].isSpace() && s[i] != QLatin1Char(')')) ++i;
        QString w = s.mid(b, i - b);
        if (w.isEmpty()) Fail(QStringLiteral("value expected after \"%1\"").arg(n->field));
        if (w.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0) {
            if (n->op == Op::Eq) n->op = Op::IsNull;
            else if (n->op == Op::Ne) n->op = Op::IsNotNull;
            else Fail(QStringLiteral("NULL can only be compared with = or <>"));
            n->lit = {LitKind::Null, QString()};
        } else {
            bool isNum = false;
            w.toDouble(&isNum);
            n->lit = {isNum ? LitKind::Number : LitKind::Bare, w};
        }
    }
    return n;
}

std::shared_ptr<Filter> Filter::Parse(const QString& text)
{
    auto f = std::make_shared<Filter>();
    f->FText = text;
    Parser p(text);
    f->FRoot = p.ParseAll();
    return f;
}

// ------------------------------------------------------------------ binding

namespace {

bool LiteralNumber(const Literal& l, double& out)
{
    if (l.kind == LitKind::Date) {
        TDateTime d;
        if (!TryStrToDateTime(l.text, d)) return false;
        out = d;
        return true;
    }
    QString t = l.text.trimmed();
    bool ok = false;
    out = t.toDouble(&ok);
    if (ok) return true;
    return TryStrToFloat(t, out);
}

bool LiteralDate(const Literal& l, double& out)
{
    TDateTime d;
    QString t = l.text.trimmed();
    if (TryStrToDateTime(t, d)) { out = d; return true; }
    // Also yyyy-mm-dd[ hh:mm:ss] and m/d/yyyy.
    QDateTime dt = QDateTime::fromString(t, Qt::ISODate);
    if (!dt.isValid()) dt = QDateTime::fromString(t, QStringLiteral("M/d/yyyy"));
    if (!dt.isValid()) dt = QDateTime::fromString(t, QStringLiteral("M/d/yyyy h:mm:ss"));
    if (dt.isValid()) { out = QDateTimeToDateTime(dt); return true; }
    return false;
}

}  // namespace

void Filter::Bind(const TDataSet* ds)
{
    std::function<void(Node&)> bind = [&](Node& n) {
        if (n.kind != Node::Cmp) {
            for (auto& k : n.kids) bind(*k);
            return;
        }
        int col = ds->StoreFindColumn(n.field);
        if (col < 0) {
            if (TField* f = ds->FindField(n.field); f && f->FieldKind() == fkData)
                col = ds->StoreFindColumn(f->FieldName());
        }
        if (col < 0) FilterError(FText, QStringLiteral("field '%1' not found").arg(n.field));
        n.col = col;
        if (n.op == Op::IsNull || n.op == Op::IsNotNull) return;
        TStoreColumnKind kind = ds->StoreColumn(col).Kind;
        n.folded = FoldText(n.lit.text);
        n.litIsNumber = LiteralNumber(n.lit, n.num);
        if (n.op == Op::Like || n.op == Op::NotLike) {
            n.mode = Mode::Text;
            n.like.Compile(n.lit.text);
            return;
        }
        switch (kind) {
        case TStoreColumnKind::Integer:
        case TStoreColumnKind::Float:
            if (!n.litIsNumber) FilterError(FText, QStringLiteral("'%1' is not a number for field '%2'").arg(n.lit.text, n.field));
            n.mode = Mode::Number;
            break;
        case TStoreColumnKind::Boolean: {
            bool b;
            if (n.litIsNumber) b = n.num != 0;
            else if (!TextToBoolean(n.lit.text, b))
                FilterError(FText, QStringLiteral("'%1' is not a boolean value for field '%2'").arg(n.lit.text, n.field));
            n.num = b ? 1 : 0;
            n.mode = Mode::Number;
            break;
        }
        case TStoreColumnKind::DateTime:
            if (!LiteralDate(n.lit, n.num))
                FilterError(FText, QStringLiteral("'%1' is not a date for field '%2'").arg(n.lit.text, n.field));
            n.mode = Mode::Date;
            break;
        case TStoreColumnKind::Text:
        case TStoreColumnKind::Blob:
            n.mode = Mode::Text;
            break;
        case TStoreColumnKind::Unknown:
            n.mode = Mode::Dynamic;
            break;
        }
    };
    bind(*FRoot);

    // An equality set over the same text columns becomes a trie.
    FTrie.reset();
    FTrieCols.clear();
    std::vector<const Node*> disj;
    if (FRoot->kind == Node::Or)
        for (auto& k : FRoot->kids) disj.push_back(k.get());
    else
        disj.push_back(FRoot.get());
    std::vector<std::vector<const Node*>> conj;
    std::function<bool(const Node*, std::vector<const Node*>&)> leaves = [&](const Node* n, std::vector<const Node*>& out) {
        if (n->kind == Node::And) {
            for (auto& k : n->kids)
                if (!leaves(k.get(), out)) return false;
            return true;
        }
        if (n->kind != Node::Cmp || n->op != Op::Eq || n->mode != Mode::Text) return false;
        out.push_back(n);
        return true;
    };
    for (const Node* d : disj) {
        std::vector<const Node*> ls;
        if (!leaves(d, ls)) return;
        std::sort(ls.begin(), ls.end(), [](const Node* a, const Node* b) { return a->col < b->col; });
        for (size_t k = 1; k < ls.size(); ++k)
            if (ls[k]->col == ls[k - 1]->col) return;
        conj.push_back(std::move(ls));
    }
    std::vector<int> cols;
    for (auto* n : conj[0]) cols.push_back(n->col);
    for (auto& c : conj) {
        if (c.size() != cols.size()) return;
        for (size_t k = 0; k < c.size(); ++k)
            if (c[k]->col != cols[k]) return;
    }
    auto trie = std::make_unique<Trie>();
    trie->levels.emplace_back();
    for (auto& c : conj) {
        int level = 0;
        for (size_t k = 0; k < c.size(); ++k) {
            QByteArray key = c[k]->folded.toUtf8();
            Trie::Level* L = &trie->levels[size_t(level)];
            auto it = std::find(L->keys.begin(), L->keys.end(), key);
            int slot;
            if (it == L->keys.end()) {
                L->keys.push_back(key);
                L->next.push_back(-1);
                if (!IsAscii(key)) L->asciiKeys = false;
                slot = int(L->keys.size() - 1);
                L->hash.insert(key, slot);
                if (k + 1 < c.size()) {
                    trie->levels.emplace_back();
                    L = &trie->levels[size_t(level)];
                    L->next[size_t(slot)] = int(trie->levels.size() - 1);
                }
            } else
                slot = int(it - L->keys.begin());
            if (k + 1 < c.size()) level = L->next[size_t(slot)];
        }
    }
    FTrie = std::move(trie);
    FTrieCols = cols;
}

// ---------------------------------------------------------------- evaluating

namespace {

int CompareNumbers(double a, double b) { return a < b ? -1 : (a > b ? 1 : 0); }

bool ApplyOp(Op op, int c)
{
    switch (op) {
    case Op::Eq: return c == 0;
    case Op::Ne: return c != 0;
    case Op::Lt: return c < 0;
    case Op::Gt: return c > 0;
    case Op::Le: return c <= 0;
    case Op::Ge: return c >= 0;
    default: return false;
    }
}

}  // namespace

namespace {

quint64 HashBytes(QByteArrayView v) { return ::HashBytes(v.data(), v.size()); }

}  // namespace

qint64 Filter::IndexBucket(const ColumnIndex& idx, const TDataSet* ds, qsizetype row)
{
    QByteArrayView v;
    if (row < 0 || row >= qsizetype(idx.Next.size()) || !ds->StoreUtf8(row, idx.Col, v)) return -1;
    char buf[256];
    return qint64(HashBytes(FoldUtf8(v, buf, sizeof buf)) & idx.Mask);
}

void Filter::Rechain(ColumnIndex& idx, const TDataSet* ds, qsizetype row, qint64 from, quint64 stamp)
{
    const qint32 me = qint32(row + 1);
    if (from >= 0) {
        qint32* link = &idx.Head[size_t(from)];
        while (*link && *link != me) link = &idx.Next[size_t(*link - 1)];
        if (*link == me) *link = idx.Next[size_t(row)];
    }
    idx.Next[size_t(row)] = 0;
    const qint64 to = IndexBucket(idx, ds, row);
    if (to >= 0) {
        // Chains run in store order.
        qint32* link = &idx.Head[size_t(to)];
        while (*link && *link < me) link = &idx.Next[size_t(*link - 1)];
        idx.Next[size_t(row)] = *link;
        *link = me;
    }
    idx.StoreStamp = stamp;
}

bool Filter::SelectRows(const TDataSet* ds, qsizetype n, quint64 stamp, std::shared_ptr<ColumnIndex>& idx,
                        std::vector<qsizetype>& out) const
{
    if (!FTrie || FTrieCols.empty() || n >= std::numeric_limits<qint32>::max()) return false;
    const int col = FTrieCols[0];
    if (idx && idx->Col == col && idx->StoreStamp != stamp && ds->StoreColumnUnchangedSince(idx->StoreStamp, col))
        idx->StoreStamp = stamp;   // only other columns changed: the index holds
    if (!idx || idx->Col != col || idx->StoreStamp != stamp) {
        auto x = std::make_shared<ColumnIndex>();
        x->Col = col;
        x->StoreStamp = stamp;
        size_t buckets = 16;
        while (buckets < size_t(n)) buckets <<= 1;
        x->Mask = buckets - 1;
        x->Head.assign(buckets, 0);
        x->Next.assign(size_t(n), 0);
        char buf[256];
        // From the last row back, so every chain runs in store order.
        for (qsizetype r = n - 1; r >= 0; --r) {
            QByteArrayView v;
            if (!ds->StoreUtf8(r, col, v)) continue;
            const size_t b = size_t(HashBytes(FoldUtf8(v, buf, sizeof buf)) & x->Mask);
            x->Next[size_t(r)] = x->Head[b];
            x->Head[b] = qint32(r + 1);
        }
        idx = std::move(x);
    }
    out.clear();
    std::vector<size_t> seen;
    for (const QByteArray& key : FTrie->levels[0].keys) {
        const size_t b = size_t(HashBytes(key) & idx->Mask);
        if (std::find(seen.begin(), seen.end(), b) != seen.end()) continue;   // that chain is done
        seen.push_back(b);
        for (qint32 r = idx->Head[b]; r; r = idx->Next[size_t(r - 1)])
            if (Match(ds, r - 1)) out.push_back(r - 1);
    }
    if (seen.size() > 1) {
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
    }
    return true;
}

bool Filter::Match(const TDataSet* ds, qsizetype row) const
{
    if (FTrie) {
        int level = 0;
        for (int col : FTrieCols) {
            QByteArrayView v;
            if (!ds->StoreUtf8(row, col, v)) return false;
            const Trie::Level& L = FTrie->levels[size_t(level)];
            int slot = FTrie->Find(L, v);
            if (slot < 0) return false;
            level = L.next[size_t(slot)];
        }
        return true;
    }
    std::function<bool(const Node&)> eval = [&](const Node& n) -> bool {
        if (n.kind == Node::And) {
            for (auto& k : n.kids)
                if (!eval(*k)) return false;
            return true;
        }
        if (n.kind == Node::Or) {
            for (auto& k : n.kids)
                if (eval(*k)) return true;
            return false;
        }
        bool isNull = ds->StoreIsNull(row, n.col);
        if (n.op == Op::IsNull) return isNull;
        if (n.op == Op::IsNotNull) return !isNull;
        if (isNull) return false;
        switch (n.mode) {
        case Mode::Text: {
            QString cell = ds->StoreText(row, n.col);
            if (n.op == Op::Like || n.op == Op::NotLike) {
                bool m = n.like.Match(FoldText(cell));
                return n.op == Op::Like ? m : !m;
            }
            return ApplyOp(n.op, QString::compare(FoldText(cell), n.folded, Qt::CaseSensitive));
        }
        case Mode::Number: {
            double d;
            if (!VariantToNumber(ds->StoreValue(row, n.col), d)) return false;
            return ApplyOp(n.op, CompareNumbers(d, n.num));
        }
        case Mode::Date: {
            TDateTime d;
            if (!VariantToDateTime(ds->StoreValue(row, n.col), d)) return false;
            return ApplyOp(n.op, CompareNumbers(d, n.num));
        }
        case Mode::Dynamic: {
            Variant v = ds->StoreValue(row, n.col);
            double d;
            int t = v.typeId();
            bool numeric = t == QMetaType::Int || t == QMetaType::LongLong || t == QMetaType::Double ||
                           t == QMetaType::UInt || t == QMetaType::ULongLong || t == QMetaType::Bool;
            if (numeric && n.litIsNumber && VariantToNumber(v, d)) return ApplyOp(n.op, CompareNumbers(d, n.num));
            return ApplyOp(n.op, QString::compare(FoldText(v.toString()), n.folded, Qt::CaseSensitive));
        }
        }
        return false;
    };
    return eval(*FRoot);
}

}  // namespace dbimpl
