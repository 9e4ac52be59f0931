#include "platform/ado/JetSql.h"

#include <cmath>
#include <vector>

#include "platform/core/DateTime.h"
#include "platform/core/SysUtils.h"

namespace ado {
namespace {

enum class TokKind { Ident, QuotedName, String, Number, DateLiteral, Op };

struct Token {
    TokKind Kind;
    QString Text;      // identifier, name or string value (unescaped), number, date text, operator
    bool SpaceBefore;  // blank(s) between this token and the one before
    int Depth = 0;     // parenthesis depth; '(' and ')' carry the outer depth
};

bool IsIdentStart(QChar c) { return c.isLetter() || c == QLatin1Char('_') || c.isSurrogate(); }
bool IsIdentChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_') || c.isSurrogate() || c.isMark(); }

std::vector<Token> Tokenize(const QString& s)
{
    std::vector<Token> out;
    const int n = int(s.size());
    int i = 0;
    bool space = false;
    auto push = [&](TokKind k, QString text) {
        out.push_back(Token{k, std::move(text), space, 0});
        space = false;
    };
    while (i < n) {
        const QChar c = s[i];
        if (c.isSpace()) {
            space = true;
            ++i;
            continue;
        }
        if (c.unicode() == 0) throw EDatabaseError(QStringLiteral("Invalid character in the SQL text."));
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            const int start = i;
            QString v;
            ++i;
            bool closed = false;
            while (i < n) {
                if (s[i] == c) {
                    if (i + 1 < n && s[i + 1] == c) {
                        v += c;
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                if (s[i].unicode() == 0) throw EDatabaseError(QStringLiteral("Invalid character in the SQL text."));
                v += s[i++];
            }
            if (!closed)
                throw EDatabaseError(QStringLiteral("Syntax error in string in query expression '%1'.").arg(s.mid(start)));
            push(TokKind::String, v);
            continue;
        }
        if (c == QLatin1Char('[')) {
            const int start = i;
            QString v;
            ++i;
            bool closed = false;
            while (i < n) {
                if (s[i] == QLatin1Char(']')) {
                    if (i + 1 < n && s[i + 1] == QLatin1Char(']')) {
                        v += QLatin1Char(']');
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                v += s[i++];
            }
            if (!closed || v.isEmpty())
                throw EDatabaseError(QStringLiteral("Invalid bracketing of name '%1'.").arg(s.mid(start)));
            push(TokKind::QuotedName, v);
            continue;
        }
        if (c == QLatin1Char('#')) {
            const int end = int(s.indexOf(QLatin1Char('#'), i + 1));
            if (end < 0) throw EDatabaseError(QStringLiteral("Syntax error in date in query expression '%1'.").arg(s.mid(i)));
            push(TokKind::DateLiteral, s.mid(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        if (c.isDigit() || (c == QLatin1Char('.') && i + 1 < n && s[i + 1].isDigit())) {
            const int start = i;
            while (i < n && s[i].isDigit()) ++i;
            if (i < n && s[i] == QLatin1Char('.')) {
                ++i;
                while (i < n && s[i].isDigit()) ++i;
            }
            if (i < n && (s[i] == QLatin1Char('e') || s[i] == QLatin1Char('E'))) {
                int j = i + 1;
                if (j < n && (s[j] == QLatin1Char('+') || s[j] == QLatin1Char('-'))) ++j;
                if (j < n && s[j].isDigit()) {
                    i = j;
                    while (i < n && s[i].isDigit()) ++i;
                }
            }
            push(TokKind::Number, s.mid(start, i - start));
            continue;
        }
        if (IsIdentStart(c)) {
            const int start = i;
            while (i < n && IsIdentChar(s[i])) ++i;
            push(TokKind::Ident, s.mid(start, i - start));
            continue;
        }
        static const char* const two[] = {"<>", "<=", ">=", "!=", "==", "||"};
        bool done = false;
        if (i + 1 < n) {
            for (const char* op : two) {
                if (c == QLatin1Char(op[0]) && s[i + 1] == QLatin1Char(op[1])) {
                    push(TokKind::Op, QString::fromLatin1(op, 2));
                    i += 2;
                    done = true;
                    break;
                }
            }
        }
        if (done) continue;
        push(TokKind::Op, QString(c));
        ++i;
    }
    int depth = 0;
    for (Token& t : out) {
        if (t.Kind == TokKind::Op && t.Text == QLatin1String(")") && depth > 0) --depth;
        t.Depth = depth;
        if (t.Kind == TokKind::Op && t.Text == QLatin1String("(")) ++depth;
    }
    return out;
}

bool IsOp(const Token& t, const char* op) { return t.Kind == TokKind::Op && t.Text == QLatin1String(op); }
bool IsKw(const Token& t, const char* kw)
{
    return t.Kind == TokKind::Ident && t.Text.compare(QLatin1String(kw), Qt::CaseInsensitive) == 0;
}
bool IsName(const Token& t) { return t.Kind == TokKind::Ident || t.Kind == TokKind::QuotedName; }

QString QuoteString(const QString& v)
{
    QString r = v;
    r.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + r + QLatin1Char('\'');
}

// Two-digit years of date literals: 00-29 are 2000-2029, 30-99 are 1930-1999.
int FullYear(int y, int digits) { return digits <= 2 ? (y < 30 ? 2000 + y : 1900 + y) : y; }

bool ReadInt(const QString& s, int& pos, int& v, int& digits)
{
    digits = 0;
    v = 0;
    while (pos < s.size() && s[pos].isDigit() && digits < 5) {
        v = v * 10 + s[pos].digitValue();
        ++pos;
        ++digits;
    }
    return digits > 0;
}

// #mm/dd/yyyy#, #yyyy-mm-dd#, each with an optional time "h:nn[:ss] [AM|PM]", or a time alone.
bool ParseDateLiteral(const QString& text, double& out)
{
    const QString s = text.trimmed();
    int pos = 0;
    double day = 0;
    bool haveDate = false;
    int a, b, c, da, db, dc;
    int save = pos;
    if (ReadInt(s, pos, a, da) && pos < s.size() && (s[pos] == QLatin1Char('/') || s[pos] == QLatin1Char('-'))) {
        const QChar sep = s[pos++];
        if (!ReadInt(s, pos, b, db) || pos >= s.size() || s[pos] != sep) return false;
        ++pos;
        if (!ReadInt(s, pos, c, dc)) return false;
        int y, m, d;
        if (sep == QLatin1Char('-') || da == 4) {
            y = FullYear(a, da);
            m = b;
            d = c;
        } else {
            m = a;
            d = b;
            y = FullYear(c, dc);
        }
        if (!TryEncodeDate(y, m, d, day)) return false;
        haveDate = true;
    } else {
        pos = save;
    }
    while (pos < s.size() && s[pos].isSpace()) ++pos;
    double time = 0;
    if (pos < s.size()) {
        int h, n = 0, sec = 0, dh, dn, ds;
        if (!ReadInt(s, pos, h, dh)) return false;
        if (pos < s.size() && s[pos] == QLatin1Char(':')) {
            ++pos;
            if (!ReadInt(s, pos, n, dn)) return false;
            if (pos < s.size() && s[pos] == QLatin1Char(':')) {
                ++pos;
                if (!ReadInt(s, pos, sec, ds)) return false;
            }
        } else if (!haveDate) {
            return false;
        }
        while (pos < s.size() && s[pos].isSpace()) ++pos;
        const QString rest = s.mid(pos).toUpper();
        if (rest == QLatin1String("AM") || rest == QLatin1String("PM")) {
            if (h < 1 || h > 12) return false;
            if (h == 12) h = 0;
            if (rest == QLatin1String("PM")) h += 12;
        } else if (!rest.isEmpty()) {
            return false;
        }
        if (h > 23 || n > 59 || sec > 59) return false;
        time = (h * 3600.0 + n * 60.0 + sec) / 86400.0;
    } else if (!haveDate) {
        return false;
    }
    out = day >= 0 ? day + time : day - time;
    return true;
}

QString NumberLiteral(double v)
{
    QString r = QString::number(v, 'g', 17);
    if (!r.contains(QLatin1Char('.')) && !r.contains(QLatin1Char('e'))) r += QLatin1String(".0");
    return r;
}

class Emitter {
public:
    Emitter(const std::vector<Token>& t, const QSet<QString>& dates, const QSet<QString>& numeric)
        : T(t), Dates(dates), Numeric(numeric)
    {
    }

    QString Out;

    void Put(const QString& s, bool spaceBefore = false)
    {
        if (s.isEmpty()) return;
        if (!Out.isEmpty() && !Out.endsWith(QLatin1Char(' '))) {
            const QChar last = Out.back();
            const QChar first = s.front();
            auto wordish = [](QChar c) {
                return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('\'') ||
                       c == QLatin1Char('"') || c.unicode() >= 0x80;
            };
            if (spaceBefore || (wordish(last) && wordish(first)) ||
                (last == QLatin1Char('-') && first == QLatin1Char('-')) ||
                (last == QLatin1Char('/') && first == QLatin1Char('*')) ||
                (last == QLatin1Char('.') && first.isDigit()))
                Out += QLatin1Char(' ');
        }
        Out += s;
    }

    // The token's text in the engine's dialect, without any rewriting of keywords.
    QString Plain(const Token& t) const
    {
        switch (t.Kind) {
        case TokKind::QuotedName: return QuoteIdentifier(t.Text);
        case TokKind::String: return QuoteString(t.Text);
        case TokKind::DateLiteral: {
            double v;
            if (!ParseDateLiteral(t.Text, v))
                throw EDatabaseError(
                    QStringLiteral("Syntax error in date in query expression '#%1#'.").arg(t.Text));
            return NumberLiteral(v);
        }
        case TokKind::Op:
            if (t.Text == QLatin1String("&")) return QStringLiteral("||");
            if (t.Text == QLatin1String("==")) return QStringLiteral("=");
            return t.Text;
        default: return t.Text;
        }
    }

    int Matching(int open, int end) const
    {
        int depth = 0;
        for (int j = open; j < end; ++j) {
            if (IsOp(T[j], "(")) ++depth;
            else if (IsOp(T[j], ")") && --depth == 0) return j;
        }
        return -1;
    }

    // Emits the tokens [b, e) of one nesting level.
    void Range(int b, int e)
    {
        QString limit;
        int i = b;
        while (i < e) {
            const Token& k = T[size_t(i)];
            if (IsOp(k, "(")) {
                const int j = Matching(i, e);
                Put(QStringLiteral("("), k.SpaceBefore);
                if (j < 0) {
                    ++i;
                    continue;
                }
                Range(i + 1, j);
                Put(QStringLiteral(")"), T[size_t(j)].SpaceBefore);
                i = j + 1;
                continue;
            }
            if (IsName(k)) {
                const bool afterDot = i > 0 && IsOp(T[size_t(i - 1)], ".");
                const bool call = k.Kind == TokKind::Ident && i + 1 < e && IsOp(T[size_t(i + 1)], "(");
                const QString lower = k.Text.toLower();
                if (k.Kind == TokKind::Ident && !afterDot) {
                    if (call) {
                        const int next = Function(i, e, lower);
                        if (next > 0) {
                            i = next;
                            continue;
                        }
                    }
                    if (lower == QLatin1String("order") && i + 1 < e && IsKw(T[size_t(i + 1)], "by")) {
                        Put(k.Text, k.SpaceBefore);
                        Put(T[size_t(i + 1)].Text, true);
                        i = OrderByTerms(i + 2, e);
                        continue;
                    }
                    if (lower == QLatin1String("delete")) {
                        Put(k.Text, k.SpaceBefore);
                        ++i;
                        if (i < e && IsOp(T[size_t(i)], "*")) {
                            ++i;
                        } else if (i + 3 < e && IsName(T[size_t(i)]) && IsOp(T[size_t(i + 1)], ".") &&
                                   IsOp(T[size_t(i + 2)], "*") && IsKw(T[size_t(i + 3)], "from")) {
                            i += 3;
                        }
                        continue;
                    }
                    if (lower == QLatin1String("select")) {
                        Put(k.Text, k.SpaceBefore);
                        ++i;
                        if (i < e && IsKw(T[size_t(i)], "distinctrow")) {
                            Put(QStringLiteral("DISTINCT"), true);
                            ++i;
                        } else if (i < e && (IsKw(T[size_t(i)], "distinct") || IsKw(T[size_t(i)], "all"))) {
                            Put(T[size_t(i)].Text, true);
                            ++i;
                        }
                        if (i + 1 < e && IsKw(T[size_t(i)], "top") && T[size_t(i + 1)].Kind == TokKind::Number) {
                            limit = T[size_t(i + 1)].Text;
                            i += 2;
                            if (i < e && IsKw(T[size_t(i)], "percent"))
                                throw EDatabaseError(QStringLiteral("TOP ... PERCENT is not supported."));
                        }
                        continue;
                    }
                    const bool bareWord = !call && !(i + 1 < e && IsOp(T[size_t(i + 1)], ".")) &&
                                          !(i > 0 && IsKw(T[size_t(i - 1)], "as"));
                    if (bareWord && (lower == QLatin1String("true") || lower == QLatin1String("yes"))) {
                        Put(QStringLiteral("1"), k.SpaceBefore);
                        ++i;
                        continue;
                    }
                    if (bareWord && (lower == QLatin1String("false") || lower == QLatin1String("no"))) {
                        Put(QStringLiteral("0"), k.SpaceBefore);
                        ++i;
                        continue;
                    }
                    if (bareWord && lower == QLatin1String("mod")) {
                        Put(QStringLiteral("%"), true);
                        ++i;
                        continue;
                    }
                }
                if (!afterDot && !call) {
                    // A date-time column before LIKE: match the date's text.
                    int q = i + 1;
                    while (q + 1 < e && IsOp(T[size_t(q)], ".") && IsName(T[size_t(q + 1)])) q += 2;
                    const bool like = q < e && (IsKw(T[size_t(q)], "like") ||
                                                (q + 1 < e && IsKw(T[size_t(q)], "not") && IsKw(T[size_t(q + 1)], "like")));
                    if (like && Dates.contains(T[size_t(q - 1)].Text.toLower())) {
                        Put(QStringLiteral("jet_datetext("), k.SpaceBefore);
                        for (int j = i; j < q; ++j) Out += Plain(T[size_t(j)]);
                        Out += QLatin1Char(')');
                        i = q;
                        continue;
                    }
                }
            }
            Put(Plain(k), k.SpaceBefore);
            ++i;
        }
        if (!limit.isEmpty()) {
            Put(QStringLiteral("LIMIT"), true);
            Put(limit, true);
        }
    }

private:
    const std::vector<Token>& T;
    const QSet<QString>& Dates;
    const QSet<QString>& Numeric;

    // A term that is one (qualified) column holding numbers only.
    bool NumericName(int b, int e) const
    {
        if (e <= b || !IsName(T[size_t(e - 1)])) return false;
        for (int q = b; q < e - 1; q += 2)
            if (!IsName(T[size_t(q)]) || !IsOp(T[size_t(q + 1)], ".")) return false;
        return (e - b) % 2 == 1 && Numeric.contains(T[size_t(e - 1)].Text.toLower());
    }

    std::vector<std::pair<int, int>> Args(int open, int close) const
    {
        std::vector<std::pair<int, int>> r;
        if (close == open + 1) return r;
        int start = open + 1;
        int depth = 0;
        for (int j = open + 1; j < close; ++j) {
            if (IsOp(T[size_t(j)], "(")) ++depth;
            else if (IsOp(T[size_t(j)], ")")) --depth;
            else if (depth == 0 && IsOp(T[size_t(j)], ",")) {
                r.emplace_back(start, j);
                start = j + 1;
            }
        }
        r.emplace_back(start, close);
        return r;
    }

    // Rewrites a Jet function call at i; returns the index after it, or 0
    // when the function is left as written.
    int Function(int i, int e, const QString& name)
    {
        const Token& k = T[size_t(i)];
        const int close = Matching(i + 1, e);
        if (close < 0) return 0;
        const auto a = Args(i + 1, close);
        const int n = int(a.size());
        auto arg = [&](int idx) {
            if (a[size_t(idx)].first >= a[size_t(idx)].second)
                throw EDatabaseError(QStringLiteral("Syntax error (missing operand) in query expression '%1'.").arg(k.Text));
            Range(a[size_t(idx)].first, a[size_t(idx)].second);
        };
        auto need = [&](int lo, int hi) {
            if (n < lo || n > hi)
                throw EDatabaseError(
                    QStringLiteral("Wrong number of arguments used with function in query expression '%1'.").arg(k.Text));
        };
        auto simple = [&](const char* to, int lo, int hi) {
            need(lo, hi);
            Put(QLatin1String(to) + QLatin1Char('('), k.SpaceBefore);
            for (int j = 0; j < n; ++j) {
                if (j) Put(QStringLiteral(","));
                arg(j);
            }
            Put(QStringLiteral(")"));
            return close + 1;
        };
        if (name == QLatin1String("left")) {
            need(2, 2);
            Put(QStringLiteral("substr("), k.SpaceBefore);
            arg(0);
            Put(QStringLiteral(", 1,"));
            arg(1);
            Put(QStringLiteral(")"));
            return close + 1;
        }
        if (name == QLatin1String("right")) return simple("jet_right", 2, 2);
        if (name == QLatin1String("mid")) return simple("substr", 2, 3);
        if (name == QLatin1String("len")) return simple("length", 1, 1);
        if (name == QLatin1String("ucase")) return simple("upper", 1, 1);
        if (name == QLatin1String("lcase")) return simple("lower", 1, 1);
        if (name == QLatin1String("iif")) {
            need(3, 3);
            Put(QStringLiteral("(CASE WHEN"), k.SpaceBefore);
            arg(0);
            Put(QStringLiteral("THEN"), true);
            arg(1);
            Put(QStringLiteral("ELSE"), true);
            arg(2);
            Put(QStringLiteral("END)"), true);
            return close + 1;
        }
        if (name == QLatin1String("nz")) {
            need(1, 2);
            Put(QStringLiteral("ifnull("), k.SpaceBefore);
            arg(0);
            Put(QStringLiteral(","));
            if (n == 2) arg(1);
            else Put(QStringLiteral("''"));
            Put(QStringLiteral(")"));
            return close + 1;
        }
        if (n == 0 && (name == QLatin1String("now") || name == QLatin1String("date") || name == QLatin1String("time"))) {
            Put(QLatin1String("jet_") + name + QLatin1String("()"), k.SpaceBefore);
            return close + 1;
        }
        if (name == QLatin1String("datevalue")) return simple("jet_datevalue", 1, 1);
        if (name == QLatin1String("cdate")) return simple("jet_cdate", 1, 1);
        static const char* const parts[] = {"year", "month", "day", "hour", "minute", "second", "weekday"};
        for (const char* p : parts) {
            if (name == QLatin1String(p)) {
                const QByteArray to = QByteArray("jet_") + p;
                return simple(to.constData(), 1, 1);
            }
        }
        return 0;
    }

    // ORDER BY terms up to the end of this level: texts sort case-insensitively.
    int OrderByTerms(int i, int e)
    {
        while (i < e) {
            int j = i;
            int depth = 0;
            while (j < e) {
                const Token& t = T[size_t(j)];
                if (IsOp(t, "(")) ++depth;
                else if (IsOp(t, ")")) --depth;
                else if (depth == 0 && (IsOp(t, ",") || IsKw(t, "limit") || IsKw(t, "offset") || IsKw(t, "union")))
                    break;
                ++j;
            }
            int termEnd = j;
            if (termEnd > i && (IsKw(T[size_t(termEnd - 1)], "asc") || IsKw(T[size_t(termEnd - 1)], "desc"))) --termEnd;
            bool hasCollate = false;
            for (int q = i; q < termEnd; ++q)
                if (IsKw(T[size_t(q)], "collate")) hasCollate = true;
            Range(i, termEnd);
            if (!hasCollate && termEnd > i && !NumericName(i, termEnd)) Put(QStringLiteral("COLLATE jet_nocase"), true);
            for (int q = termEnd; q < j; ++q) Put(T[size_t(q)].Text, true);
            if (j < e && IsOp(T[size_t(j)], ",")) {
                Put(QStringLiteral(","));
                i = j + 1;
                continue;
            }
            return j;
        }
        return i;
    }
};

// "ALTER DATABASE PASSWORD new old": the passwords stand as typed (a word up
// to the next blank, or [bracketed]); NULL stands for no password.
bool ParsePasswordStatement(const QString& s, JetStatement& r)
{
    int i = 0;
    const int n = int(s.size());
    auto skip = [&] {
        while (i < n && s[i].isSpace()) ++i;
    };
    auto word = [&](const char* w) {
        skip();
        const int len = int(qstrlen(w));
        if (s.mid(i, len).compare(QLatin1String(w), Qt::CaseInsensitive) != 0) return false;
        if (i + len < n && !s[i + len].isSpace()) return false;
        i += len;
        return true;
    };
    if (!word("ALTER") || !word("DATABASE") || !word("PASSWORD")) return false;
    QString items[2];
    for (QString& item : items) {
        skip();
        if (i >= n) throw EDatabaseError(QStringLiteral("Syntax error in ALTER DATABASE PASSWORD statement."));
        if (s[i] == QLatin1Char('[')) {
            ++i;
            bool closed = false;
            while (i < n) {
                if (s[i] == QLatin1Char(']')) {
                    if (i + 1 < n && s[i + 1] == QLatin1Char(']')) {
                        item += QLatin1Char(']');
                        i += 2;
                        continue;
                    }
                    ++i;
                    closed = true;
                    break;
                }
                item += s[i++];
            }
            if (!closed) throw EDatabaseError(QStringLiteral("Syntax error in ALTER DATABASE PASSWORD statement."));
        } else {
            const int start = i;
            while (i < n && !s[i].isSpace()) ++i;
            item = s.mid(start, i - start);
            if (item.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0) item.clear();
        }
    }
    skip();
    if (i < n && s[i] == QLatin1Char(';')) ++i;
    skip();
    if (i < n) throw EDatabaseError(QStringLiteral("Syntax error in ALTER DATABASE PASSWORD statement."));
    r.Kind = JetStatementKind::Password;
    r.NewPassword = items[0];
    r.OldPassword = items[1];
    return true;
}

bool IsClauseWord(const Token& t)
{
    static const char* const words[] = {"where", "order", "group", "having", "union", "inner", "left", "right",
                                        "outer", "join", "cross", "natural", "limit", "on", "intersect", "except"};
    for (const char* w : words)
        if (IsKw(t, w)) return true;
    return false;
}

void AnalyseUpdatable(const std::vector<Token>& t, int e, const QSet<QString>& dates, const QSet<QString>& numeric,
                      JetStatement& r)
{
    int i = 1;
    if (i < e && (IsKw(t[size_t(i)], "distinct") || IsKw(t[size_t(i)], "distinctrow") || IsKw(t[size_t(i)], "top")))
        return;
    if (i < e && IsKw(t[size_t(i)], "all")) ++i;
    int from = -1;
    for (int j = i; j < e; ++j) {
        if (t[size_t(j)].Depth == 0 && IsKw(t[size_t(j)], "from")) {
            from = j;
            break;
        }
    }
    if (from <= i) return;
    static const char* const aggregates[] = {"count", "sum", "min", "max", "avg", "total", "group_concat",
                                             "first", "last", "stdev", "stdevp", "var", "varp"};
    for (int j = i; j + 1 < from; ++j) {
        if (t[size_t(j)].Kind != TokKind::Ident || !IsOp(t[size_t(j + 1)], "(")) continue;
        for (const char* a : aggregates)
            if (IsKw(t[size_t(j)], a)) return;
    }
    const int tb = from + 1;
    if (tb >= e || !IsName(t[size_t(tb)])) return;
    if (tb + 1 < e && IsOp(t[size_t(tb + 1)], ".")) return;
    int k = tb + 1;
    QString alias;
    if (k < e && IsKw(t[size_t(k)], "as")) {
        if (k + 1 >= e || !IsName(t[size_t(k + 1)])) return;
        alias = t[size_t(k + 1)].Text;
        k += 2;
    } else if (k < e && IsName(t[size_t(k)]) && !(t[size_t(k)].Kind == TokKind::Ident && IsClauseWord(t[size_t(k)]))) {
        alias = t[size_t(k)].Text;
        ++k;
    }
    if (k < e && !IsKw(t[size_t(k)], "where") && !IsKw(t[size_t(k)], "order")) return;
    for (int j = k; j < e; ++j) {
        const Token& x = t[size_t(j)];
        if (x.Depth != 0) continue;
        if (IsKw(x, "group") || IsKw(x, "having") || IsKw(x, "union") || IsKw(x, "intersect") || IsKw(x, "except") ||
            IsKw(x, "join"))
            return;
    }
    const QString qual = QuoteIdentifier(alias.isEmpty() ? t[size_t(tb)].Text : alias);
    const QString rowid = qual + QLatin1String(".rowid");
    Emitter rest(t, dates, numeric);
    rest.Range(i, e);
    Emitter list(t, dates, numeric);
    list.Range(i, from);
    Emitter fromClause(t, dates, numeric);
    fromClause.Range(from, k);
    r.Updatable = true;
    r.BaseTable = t[size_t(tb)].Text;
    r.RowidSql = (QLatin1String("SELECT ") + rowid + QLatin1String(", ") + rest.Out).toUtf8();
    r.RowSql = (QLatin1String("SELECT ") + rowid + QLatin1String(", ") + list.Out + QLatin1Char(' ') + fromClause.Out +
                QLatin1String(" WHERE ") + rowid + QLatin1String(" = ?1"))
                   .toUtf8();
}

}  // namespace

QString QuoteIdentifier(const QString& name)
{
    QString r = name;
    r.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + r + QLatin1Char('"');
}

JetStatement TranslateJet(const QString& jetSql, const QSet<QString>& dateTimeColumns,
                          const QSet<QString>& numericColumns)
{
    JetStatement r;
    if (ParsePasswordStatement(jetSql, r)) return r;
    const std::vector<Token> t = Tokenize(jetSql);
    int e = int(t.size());
    while (e > 0 && IsOp(t[size_t(e - 1)], ";")) --e;
    for (int i = 0; i < e; ++i)
        if (IsOp(t[size_t(i)], ";")) throw EDatabaseError(QStringLiteral("Characters found after end of SQL statement."));
    if (e == 0)
        throw EDatabaseError(
            QStringLiteral("Invalid SQL statement; expected 'DELETE', 'INSERT', 'PROCEDURE', 'SELECT', or 'UPDATE'."));
    const Token& first = t[0];
    if (IsKw(first, "select")) r.Kind = JetStatementKind::Select;
    else if (IsKw(first, "insert")) r.Kind = JetStatementKind::Insert;
    else if (IsKw(first, "update")) r.Kind = JetStatementKind::Update;
    else if (IsKw(first, "delete")) r.Kind = JetStatementKind::Delete;
    else if (IsKw(first, "create") || IsKw(first, "drop") || IsKw(first, "alter")) r.Kind = JetStatementKind::Ddl;
    Emitter em(t, dateTimeColumns, numericColumns);
    em.Range(0, e);
    r.Sql = em.Out.toUtf8();
    if (r.Kind == JetStatementKind::Select) AnalyseUpdatable(t, e, dateTimeColumns, numericColumns, r);
    return r;
}

}  // namespace ado

QString SqlQuote(const QString& v, QChar delim)
{
    if (delim == QLatin1Char('[')) {
        QString r = v;
        r.replace(QLatin1Char(']'), QLatin1String("]]"));
        return QLatin1Char('[') + r + QLatin1Char(']');
    }
    QString r = v;
    r.replace(delim, QString(2, delim));
    return delim + r + delim;
}
