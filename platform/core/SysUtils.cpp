#include "platform/core/SysUtils.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

void Abort() { throw EAbort(); }

QString AnsiUpperCase(const QString& s) { return s.toUpper(); }
QString AnsiLowerCase(const QString& s) { return s.toLower(); }

int AnsiCompareText(const QString& a, const QString& b)
{
    int c = QString::compare(a.toCaseFolded(), b.toCaseFolded(), Qt::CaseSensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int AnsiCompareStr(const QString& a, const QString& b)
{
    int c = QString::compare(a, b, Qt::CaseSensitive);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

bool SameText(const QString& a, const QString& b) { return AnsiCompareText(a, b) == 0; }
int CompareStr(const QString& a, const QString& b) { return AnsiCompareStr(a, b); }

QString Trim(const QString& s)
{
    int b = 0, e = s.size();
    while (b < e && s[b].unicode() <= ' ') ++b;
    while (e > b && s[e - 1].unicode() <= ' ') --e;
    return s.mid(b, e - b);
}
QString TrimLeft(const QString& s)
{
    int b = 0;
    while (b < s.size() && s[b].unicode() <= ' ') ++b;
    return s.mid(b);
}
QString TrimRight(const QString& s)
{
    int e = s.size();
    while (e > 0 && s[e - 1].unicode() <= ' ') --e;
    return s.left(e);
}

QString IntToStr(qint64 v) { return QString::number(v); }

bool TryStrToInt(const QString& str, int& v)
{
    QString s = Trim(str);
    bool ok = false;
    qlonglong r;
    if (s.startsWith(QLatin1Char('$')))
        r = s.mid(1).toLongLong(&ok, 16);
    else if (s.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        r = s.mid(2).toLongLong(&ok, 16);
    else if (s.startsWith(QLatin1String("-0x"), Qt::CaseInsensitive)) {
        r = -s.mid(3).toLongLong(&ok, 16);
    } else
        r = s.toLongLong(&ok, 10);
    if (!ok || r < INT_MIN || r > UINT_MAX) return false;
    v = int(qint64(r) > INT_MAX ? int(quint32(r)) : int(r));
    return true;
}

int StrToInt(const QString& s)
{
    int v;
    if (!TryStrToInt(s, v))
        throw EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(s));
    return v;
}

int StrToIntDef(const QString& s, int def)
{
    int v;
    return TryStrToInt(s, v) ? v : def;
}

bool TryStrToFloat(const QString& str, double& v)
{
    QString s = Trim(str);
    s.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    double r = s.toDouble(&ok);
    if (ok) v = r;
    return ok;
}

double StrToFloat(const QString& s)
{
    double v;
    if (!TryStrToFloat(s, v))
        throw EConvertError(QStringLiteral("'%1' is not a valid floating point value").arg(s));
    return v;
}

QString FloatToStr(double v)
{
    // Decimal separator of the Russian settings is a comma.
    QString s = QString::number(v, 'g', 15);
    s.replace(QLatin1Char('.'), QLatin1Char(','));
    return s;
}

QString StringReplaceAll(const QString& s, const QString& from, const QString& to)
{
    QString r = s;
    return r.replace(from, to);
}

QString QuotedStr(const QString& s, QChar quote)
{
    QString r = s;
    r.replace(quote, QString(2, quote));
    return quote + r + quote;
}

QString ExtractFilePath(const QString& fileName)
{
    int i = fileName.lastIndexOf(QLatin1Char('/'));
    return i < 0 ? QString() : fileName.left(i + 1);
}

QString ExtractFileName(const QString& fileName)
{
    int i = fileName.lastIndexOf(QLatin1Char('/'));
    return fileName.mid(i + 1);
}

QString ExtractFileExt(const QString& fileName)
{
    QString n = ExtractFileName(fileName);
    int i = n.lastIndexOf(QLatin1Char('.'));
    return i < 0 ? QString() : n.mid(i);
}

QString IncludeTrailingPathDelimiter(const QString& s)
{
    return s.endsWith(QLatin1Char('/')) ? s : s + QLatin1Char('/');
}

bool FileExists(const QString& fileName) { return QFileInfo(fileName).isFile(); }
bool DeleteFile(const QString& fileName) { return QFile::remove(fileName); }

QString ExeFolder()
{
    QString p = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (p.isEmpty() && QCoreApplication::instance()) p = QCoreApplication::applicationFilePath();
    return IncludeTrailingPathDelimiter(QFileInfo(p).absolutePath());
}
