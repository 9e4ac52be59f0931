#include "platform/ado/EngineFunctions.h"

#include <sqlcipher/sqlite3.h>

#include <QChar>
#include <QDateTime>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/core/DateTime.h"

namespace ado {
namespace {

inline char32_t NextCodePoint(const unsigned char*& p, const unsigned char* end)
{
    const unsigned c = *p++;
    if (c < 0x80) return c;
    int extra;
    if (c >= 0xC2 && c < 0xE0) extra = 1;
    else if (c >= 0xE0 && c < 0xF0) extra = 2;
    else if (c >= 0xF0 && c < 0xF5) extra = 3;
    else return 0xFFFD;
    char32_t cp = c & (0x3Fu >> extra);
    for (int k = 0; k < extra; ++k) {
        if (p >= end || (*p & 0xC0) != 0x80) return 0xFFFD;
        cp = (cp << 6) | (*p++ & 0x3F);
    }
    return cp;
}

inline char32_t Fold(char32_t c)
{
    if (c < 0x80) return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    return QChar::toCaseFolded(c);
}

void DecodeFolded(const unsigned char* s, int n, std::vector<char32_t>& out)
{
    out.clear();
    const unsigned char* end = s + n;
    while (s < end) out.push_back(Fold(NextCodePoint(s, end)));
}

// ------------------------------------------------------------------ LIKE

enum class ElemKind : unsigned char { Literal, AnyOne, AnyMany, Set };

struct Elem {
    ElemKind Kind = ElemKind::Literal;
    bool Negated = false;
    char32_t Ch = 0;
    std::vector<std::pair<char32_t, char32_t>> Ranges;  // for sets

    bool Matches(char32_t c) const
    {
        switch (Kind) {
        case ElemKind::Literal: return c == Ch;
        case ElemKind::AnyOne: return true;
        case ElemKind::Set: {
            bool in = false;
            for (const auto& r : Ranges)
                if (c >= r.first && c <= r.second) {
                    in = true;
                    break;
                }
            return in != Negated;
        }
        default: return false;
        }
    }
};

struct LikePattern {
    std::vector<Elem> Elems;
    char32_t Escape = 0;
    bool HasEscape = false;
};

LikePattern* CompilePattern(const unsigned char* s, int n, bool hasEscape, char32_t escape)
{
    std::vector<char32_t> cp;
    DecodeFolded(s, n, cp);
    auto* pat = new LikePattern;
    pat->HasEscape = hasEscape;
    pat->Escape = escape;
    const size_t len = cp.size();
    for (size_t i = 0; i < len; ++i) {
        const char32_t c = cp[i];
        Elem e;
        if (hasEscape && c == escape) {
            e.Ch = i + 1 < len ? cp[++i] : c;
        } else if (c == '%') {
            if (!pat->Elems.empty() && pat->Elems.back().Kind == ElemKind::AnyMany) continue;
            e.Kind = ElemKind::AnyMany;
        } else if (c == '_') {
            e.Kind = ElemKind::AnyOne;
        } else if (c == '[') {
            size_t close = i + 1;
            if (close < len && (cp[close] == '!' || cp[close] == '^')) ++close;
            if (close < len && cp[close] == ']') ++close;  // "[]...]" holds a ']'
            while (close < len && cp[close] != ']') ++close;
            if (close >= len) {
                e.Ch = c;
            } else {
                e.Kind = ElemKind::Set;
                size_t j = i + 1;
                if (cp[j] == '!' || cp[j] == '^') {
                    e.Negated = true;
                    ++j;
                }
                while (j < close) {
                    char32_t lo = cp[j], hi = cp[j];
                    if (j + 2 < close && cp[j + 1] == '-') {
                        hi = cp[j + 2];
                        j += 3;
                    } else {
                        ++j;
                    }
                    if (hi < lo) std::swap(lo, hi);
                    e.Ranges.emplace_back(lo, hi);
                }
                i = close;
            }
        } else {
            e.Ch = c;
        }
        pat->Elems.push_back(std::move(e));
    }
    return pat;
}

bool MatchPattern(const LikePattern& p, const std::vector<char32_t>& s)
{
    const Elem* el = p.Elems.data();
    const size_t np = p.Elems.size(), ns = s.size();
    size_t pi = 0, si = 0, starP = size_t(-1), starS = 0;
    while (si < ns) {
        if (pi < np && el[pi].Kind == ElemKind::AnyMany) {
            starP = pi++;
            starS = si;
        } else if (pi < np && el[pi].Matches(s[si])) {
            ++pi;
            ++si;
        } else if (starP != size_t(-1)) {
            pi = starP + 1;
            si = ++starS;
        } else {
            return false;
        }
    }
    while (pi < np && el[pi].Kind == ElemKind::AnyMany) ++pi;
    return pi == np;
}

void DeletePattern(void* p) { delete static_cast<LikePattern*>(p); }

void LikeFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL ||
        (argc == 3 && sqlite3_value_type(argv[2]) == SQLITE_NULL)) {
        sqlite3_result_null(ctx);
        return;
    }
    bool hasEscape = false;
    char32_t escape = 0;
    if (argc == 3) {
        const unsigned char* e = sqlite3_value_text(argv[2]);
        const int en = sqlite3_value_bytes(argv[2]);
        const unsigned char* p = e;
        if (en == 0 || (escape = Fold(NextCodePoint(p, e + en)), p != e + en)) {
            sqlite3_result_error(ctx, "ESCAPE expression must be a single character", -1);
            return;
        }
        hasEscape = true;
    }
    auto* pat = static_cast<LikePattern*>(sqlite3_get_auxdata(ctx, 0));
    bool fresh = false;
    if (!pat || pat->HasEscape != hasEscape || pat->Escape != escape) {
        const unsigned char* ps = sqlite3_value_text(argv[0]);
        pat = CompilePattern(ps, sqlite3_value_bytes(argv[0]), hasEscape, escape);
        fresh = true;
    }
    thread_local std::vector<char32_t> value;
    const unsigned char* vs = sqlite3_value_text(argv[1]);
    DecodeFolded(vs, sqlite3_value_bytes(argv[1]), value);
    sqlite3_result_int(ctx, MatchPattern(*pat, value) ? 1 : 0);
    // Kept for the next row while the pattern is a constant; the engine may
    // free it at once, so it is not used after this call.
    if (fresh) sqlite3_set_auxdata(ctx, 0, pat, DeletePattern);
}

// ------------------------------------------------------------------ case mapping

void CaseFunc(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const bool up = sqlite3_user_data(ctx) != nullptr;
    const unsigned char* s = sqlite3_value_text(argv[0]);
    const int n = sqlite3_value_bytes(argv[0]);
    if (!s) {
        sqlite3_result_error_nomem(ctx);
        return;
    }
    bool ascii = true;
    for (int i = 0; i < n; ++i)
        if (s[i] >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii) {
        std::string r(reinterpret_cast<const char*>(s), size_t(n));
        for (char& c : r) {
            if (up && c >= 'a' && c <= 'z') c = char(c - 32);
            else if (!up && c >= 'A' && c <= 'Z') c = char(c + 32);
        }
        sqlite3_result_text(ctx, r.data(), n, SQLITE_TRANSIENT);
        return;
    }
    const QString q = QString::fromUtf8(reinterpret_cast<const char*>(s), n);
    const QByteArray r = (up ? q.toUpper() : q.toLower()).toUtf8();
    sqlite3_result_text(ctx, r.constData(), int(r.size()), SQLITE_TRANSIENT);
}

void RightFunc(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const sqlite3_int64 count = sqlite3_value_int64(argv[1]);
    if (count < 0) {
        sqlite3_result_error(ctx, "Invalid procedure call or argument", -1);
        return;
    }
    const unsigned char* s = sqlite3_value_text(argv[0]);
    const int n = sqlite3_value_bytes(argv[0]);
    int pos = n;
    sqlite3_int64 k = 0;
    while (pos > 0 && k < count) {
        --pos;
        while (pos > 0 && (s[pos] & 0xC0) == 0x80) --pos;
        ++k;
    }
    sqlite3_result_text(ctx, reinterpret_cast<const char*>(s) + pos, n - pos, SQLITE_TRANSIENT);
}

// ------------------------------------------------------------------ dates

bool ParseDateText(const QString& text, double& out)
{
    const QString s = text.trimmed();
    if (s.isEmpty()) return false;
    if (TryStrToDate(s, out) || TryStrToDateTime(s, out)) return true;
    const QDateTime iso = QDateTime::fromString(s, Qt::ISODate);
    if (iso.isValid()) {
        out = QDateTimeToDateTime(iso);
        return true;
    }
    const QDate isoDate = QDate::fromString(s, Qt::ISODate);
    if (isoDate.isValid()) {
        out = QDateToDateTime(isoDate);
        return true;
    }
    return false;
}

// 1: a date in out; 0: NULL; -1: not a date.
int ValueToDate(sqlite3_value* v, double& out)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_NULL: return 0;
    case SQLITE_INTEGER:
    case SQLITE_FLOAT: out = sqlite3_value_double(v); return 1;
    case SQLITE_TEXT: {
        const char* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
        const QString s = QString::fromUtf8(text, sqlite3_value_bytes(v));
        return ParseDateText(s, out) ? 1 : -1;
    }
    default: return -1;
    }
}

const char* const kTypeMismatch = "Data type mismatch in criteria expression.";

void DateValueFunc(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    double d;
    switch (ValueToDate(argv[0], d)) {
    case 0: sqlite3_result_null(ctx); return;
    case 1: sqlite3_result_double(ctx, DateOf(d)); return;
    default: sqlite3_result_error(ctx, kTypeMismatch, -1); return;
    }
}

void CDateFunc(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    double d;
    switch (ValueToDate(argv[0], d)) {
    case 0: sqlite3_result_null(ctx); return;
    case 1: sqlite3_result_double(ctx, d); return;
    default: sqlite3_result_error(ctx, kTypeMismatch, -1); return;
    }
}

void DateTextFunc(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const int t = sqlite3_value_type(argv[0]);
    if (t == SQLITE_INTEGER || t == SQLITE_FLOAT) {
        char buf[40];
        int y, m, d, h, n, s, ms;
        const double v = sqlite3_value_double(argv[0]);
        DecodeDate(v, y, m, d);
        DecodeTime(v, h, n, s, ms);
        int len = std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", d, m, y);
        if (h || n || s || ms) len += std::snprintf(buf + len, sizeof buf - size_t(len), " %d:%02d:%02d", h, n, s);
        sqlite3_result_text(ctx, buf, len, SQLITE_TRANSIENT);
        return;
    }
    sqlite3_result_value(ctx, argv[0]);
}

void ClockFunc(sqlite3_context* ctx, int, sqlite3_value**)
{
    const intptr_t which = reinterpret_cast<intptr_t>(sqlite3_user_data(ctx));
    sqlite3_result_double(ctx, which == 0 ? Now() : which == 1 ? Date() : Time());
}

void DatePartFunc(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    double v;
    const int r = ValueToDate(argv[0], v);
    if (r == 0) {
        sqlite3_result_null(ctx);
        return;
    }
    if (r < 0) {
        sqlite3_result_error(ctx, kTypeMismatch, -1);
        return;
    }
    int y, m, d, h, n, s, ms;
    DecodeDate(v, y, m, d);
    DecodeTime(v, h, n, s, ms);
    const int parts[] = {y, m, d, h, n, s, DayOfWeek(v)};
    sqlite3_result_int(ctx, parts[reinterpret_cast<intptr_t>(sqlite3_user_data(ctx))]);
}

int NoCaseCollation(void*, int na, const void* a, int nb, const void* b)
{
    return CompareTextNoCase(QByteArrayView(static_cast<const char*>(a), na),
                             QByteArrayView(static_cast<const char*>(b), nb));
}

}  // namespace

int CompareTextNoCase(QByteArrayView a, QByteArrayView b)
{
    const auto* pa = reinterpret_cast<const unsigned char*>(a.data());
    const auto* pb = reinterpret_cast<const unsigned char*>(b.data());
    const unsigned char* ea = pa + a.size();
    const unsigned char* eb = pb + b.size();
    while (pa < ea && pb < eb) {
        if (*pa < 0x80 && *pb < 0x80) {
            const unsigned ca = *pa >= 'A' && *pa <= 'Z' ? *pa + 32u : *pa;
            const unsigned cb = *pb >= 'A' && *pb <= 'Z' ? *pb + 32u : *pb;
            if (ca != cb) return ca < cb ? -1 : 1;
            ++pa;
            ++pb;
            continue;
        }
        const char32_t ca = Fold(NextCodePoint(pa, ea));
        const char32_t cb = Fold(NextCodePoint(pb, eb));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (pa < ea) return 1;
    if (pb < eb) return -1;
    const int c = std::memcmp(a.data(), b.data(), size_t(std::min(a.size(), b.size())));
    if (c) return c < 0 ? -1 : 1;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

QString DateTimeText(double dt)
{
    int y, m, d, h, n, s, ms;
    DecodeDate(dt, y, m, d);
    DecodeTime(dt, h, n, s, ms);
    QString r = QString::asprintf("%02d.%02d.%04d", d, m, y);
    if (h || n || s || ms) r += QString::asprintf(" %d:%02d:%02d", h, n, s);
    return r;
}

int RegisterEngineFunctions(sqlite3* db)
{
    const int det = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    int rc = SQLITE_OK;
    auto reg = [&](const char* name, int nArg, int flags, void* data,
                   void (*fn)(sqlite3_context*, int, sqlite3_value**)) {
        if (rc == SQLITE_OK) rc = sqlite3_create_function(db, name, nArg, flags, data, fn, nullptr, nullptr);
    };
    reg("like", 2, det, nullptr, LikeFunc);
    reg("like", 3, det, nullptr, LikeFunc);
    reg("upper", 1, det, reinterpret_cast<void*>(1), CaseFunc);
    reg("lower", 1, det, nullptr, CaseFunc);
    reg("jet_right", 2, det, nullptr, RightFunc);
    reg("jet_datevalue", 1, det, nullptr, DateValueFunc);
    reg("jet_cdate", 1, det, nullptr, CDateFunc);
    reg("jet_datetext", 1, det, nullptr, DateTextFunc);
    reg("jet_now", 0, SQLITE_UTF8, reinterpret_cast<void*>(0), ClockFunc);
    reg("jet_date", 0, SQLITE_UTF8, reinterpret_cast<void*>(1), ClockFunc);
    reg("jet_time", 0, SQLITE_UTF8, reinterpret_cast<void*>(2), ClockFunc);
    static const char* const parts[] = {"jet_year", "jet_month", "jet_day", "jet_hour",
                                        "jet_minute", "jet_second", "jet_weekday"};
    for (intptr_t i = 0; i < 7; ++i) reg(parts[i], 1, det, reinterpret_cast<void*>(i), DatePartFunc);
    if (rc == SQLITE_OK) rc = sqlite3_create_collation(db, "jet_nocase", SQLITE_UTF8, nullptr, NoCaseCollation);
    return rc;
}

}  // namespace ado
