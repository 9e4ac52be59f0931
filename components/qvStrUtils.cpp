#include "components/qvStrUtils.h"

bool AllCharsInSet(const QString& S, const TCharSet& CharSet)
{
    for (QChar c : S)
        if (!CharSet.Contains(c)) return false;
    return true;
}

QString ReplaceStr(const QString& S, const QString& Srch, const QString& Replace)
{
    if (Srch.isEmpty()) return S;
    QString r;
    int from = 0;
    for (;;) {
        int p = S.indexOf(Srch, from);
        if (p < 0) break;
        r += QStringView(S).mid(from, p - from);
        r += Replace;
        from = p + Srch.size();
    }
    r += QStringView(S).mid(from);
    return r;
}

QString MakeStr(QChar C, int N) { return N < 1 ? QString() : QString(N, C); }

int WordCount(const QString& S, const TCharSet& WordDelims)
{
    int count = 0;
    int i = 0;
    const int n = S.size();
    while (i < n) {
        while (i < n && WordDelims.Contains(S[i])) ++i;
        if (i < n) ++count;
        while (i < n && !WordDelims.Contains(S[i])) ++i;
    }
    return count;
}

int WordPosition(int N, const QString& S, const TCharSet& WordDelims)
{
    int count = 0;
    int i = 0;
    const int n = S.size();
    while (i < n && count != N) {
        while (i < n && WordDelims.Contains(S[i])) ++i;
        if (i < n) ++count;
        if (count != N) {
            while (i < n && !WordDelims.Contains(S[i])) ++i;
        } else {
            return i + 1;
        }
    }
    return 0;
}

QString ExtractWord(int N, const QString& S, const TCharSet& WordDelims)
{
    int p = WordPosition(N, S, WordDelims);
    if (p == 0) return QString();
    int i = p - 1;
    int e = i;
    while (e < S.size() && !WordDelims.Contains(S[e])) ++e;
    return S.mid(i, e - i);
}

QByteArray XorString(const QByteArray& Key, const QByteArray& Src)
{
    const QByteArray key = Key.left(255);
    QByteArray r = Src.left(255);
    if (key.isEmpty()) return r;
    for (int i = 0; i < r.size(); ++i) r[i] = char(quint8(r[i]) ^ quint8(key[i % key.size()]));
    return r;
}

QString XorEncode(const QString& Key, const QString& Source)
{
    static const char digits[] = "0123456789abcdef";
    const QByteArray key = Key.toUtf8();
    const QByteArray src = Source.toUtf8();
    QString r;
    r.reserve(src.size() * 2);
    for (int i = 0; i < src.size(); ++i) {
        quint8 b = quint8(src[i]);
        if (!key.isEmpty()) b ^= quint8(key[i % key.size()]);
        r += QLatin1Char(digits[b >> 4]);
        r += QLatin1Char(digits[b & 15]);
    }
    return r;
}

static int HexValue(QChar c)
{
    ushort u = c.unicode();
    if (u >= '0' && u <= '9') return u - '0';
    if (u >= 'a' && u <= 'f') return u - 'a' + 10;
    if (u >= 'A' && u <= 'F') return u - 'A' + 10;
    return -1;
}

QString XorDecode(const QString& Key, const QString& Source)
{
    const QByteArray key = Key.toUtf8();
    QByteArray bytes;
    bytes.reserve(Source.size() / 2);
    for (int i = 0; i + 1 < Source.size(); i += 2) {
        int hi = HexValue(Source[i]), lo = HexValue(Source[i + 1]);
        quint8 b = (hi < 0 || lo < 0) ? quint8(' ') : quint8(hi * 16 + lo);
        int index = i / 2;
        if (!key.isEmpty()) b ^= quint8(key[index % key.size()]);
        bytes += char(b);
    }
    return QString::fromUtf8(bytes);
}
