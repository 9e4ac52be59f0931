// FormatFloat: numbers through a format picture, as the run-time library does it.
// Supported: '0' (digit, always shown), '#' (digit when significant), '.'
// (decimal point, shown as the locale's separator), ',' (thousands grouping,
// anywhere left of the point), 'E+'/'E-' exponents, quoted literals ('..' or
// ".."), other characters copied, and up to three sections "pos;neg;zero".
#include <QStringList>
#include <cmath>

#include "platform/core/DateTime.h"
#include "platform/core/SysUtils.h"

namespace {


// Splits at ';' outside quotes.
QStringList SplitSections(const QString& f)
{
    QStringList out;
    QString cur;
    QChar quote;
    for (QChar c : f) {
        if (!quote.isNull()) {
            cur += c;
            if (c == quote) quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
            cur += c;
        } else if (c == QLatin1Char(';')) {
            out << cur;
            cur.clear();
        } else
            cur += c;
    }
    out << cur;
    return out;
}

QString FormatSection(const QString& f, double value)
{
    // Scan the picture for its digit layout.
    int intZeros = 0, intDigits = 0, fracZeros = 0, fracDigits = 0;
    bool point = false, thousands = false, sci = false;
    int expDigits = 0;
    bool expSign = false;
    int firstDigit = -1, lastDigit = -1;
    QChar quote;
    for (int i = 0; i < f.size(); ++i) {
        QChar c = f[i];
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) { quote = c; continue; }
        if (sci) {
            if (c == QLatin1Char('0')) ++expDigits;
            continue;
        }
        if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            if (firstDigit < 0) firstDigit = i;
            lastDigit = i;
            if (point) {
                ++fracDigits;
                if (c == QLatin1Char('0')) fracZeros = fracDigits;
            } else {
                ++intDigits;
                if (c == QLatin1Char('0') || intZeros > 0) ++intZeros;
            }
        } else if (c == QLatin1Char('.')) {
            if (!point) {
                point = true;
                if (firstDigit < 0) firstDigit = i;
                lastDigit = i;
            }
        } else if (c == QLatin1Char(',')) {
            if (!point) thousands = true;
        } else if ((c == QLatin1Char('E') || c == QLatin1Char('e')) && i + 1 < f.size() &&
                   (f[i + 1] == QLatin1Char('+') || f[i + 1] == QLatin1Char('-'))) {
            sci = true;
            expSign = f[i + 1] == QLatin1Char('+');
            ++i;
        }
    }

    const QChar dec = FormatSettings().DecimalSeparator;
    QString number;
    double a = std::fabs(value);
    if (firstDigit < 0) {
        number.clear();
    } else if (sci) {
        int exp = 0;
        if (a != 0) {
            exp = int(std::floor(std::log10(a)));
            exp -= (std::max(intDigits, 1) - 1);
        }
        double mant = a / std::pow(10.0, exp);
        QString m = QString::number(mant, 'f', fracDigits);
        if (m.contains(QLatin1Char('.'))) {
            while (m.size() > 0 && m.endsWith(QLatin1Char('0')) &&
                   m.size() - m.indexOf(QLatin1Char('.')) - 1 > fracZeros)
                m.chop(1);
            if (m.endsWith(QLatin1Char('.'))) m.chop(1);
        }
        m.replace(QLatin1Char('.'), dec);
        QString e = QString::number(std::abs(exp)).rightJustified(std::max(expDigits, 1), QLatin1Char('0'));
        number = m + QLatin1Char('E') + (exp < 0 ? QStringLiteral("-") : (expSign ? QStringLiteral("+") : QString())) + e;
    } else {
        QString s = QString::number(a, 'f', fracDigits);
        QString ip = s, fp;
        int dot = s.indexOf(QLatin1Char('.'));
        if (dot >= 0) {
            ip = s.left(dot);
            fp = s.mid(dot + 1);
        }
        while (fp.size() > fracZeros && fp.endsWith(QLatin1Char('0'))) fp.chop(1);
        if (ip == QLatin1String("0") && intZeros == 0) ip.clear();
        while (ip.size() < intZeros) ip.prepend(QLatin1Char('0'));
        if (thousands && ip.size() > 3) {
            QString g;
            int n = 0;
            for (int i = ip.size() - 1; i >= 0; --i) {
                g.prepend(ip[i]);
                if (++n % 3 == 0 && i > 0) g.prepend(QLatin1Char(' '));
            }
            ip = g;
        }
        number = ip;
        if (!fp.isEmpty()) number += dec + fp;
        if (number.isEmpty()) number = QStringLiteral("0");
    }

    // Put the number in place of the digit run, keeping the literals around it.
    QString out;
    quote = QChar();
    bool placed = false;
    for (int i = 0; i < f.size(); ++i) {
        QChar c = f[i];
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
            else out += c;
            continue;
        }
        if (c == QLatin1Char('"') || c == QLatin1Char('\'')) { quote = c; continue; }
        if (i >= firstDigit && firstDigit >= 0 && (i <= lastDigit || (sci && (c == QLatin1Char('E') || c == QLatin1Char('e') ||
                                                                             c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('0'))))) {
            if (!placed) { out += number; placed = true; }
            continue;
        }
        if (c == QLatin1Char(',') && i > firstDigit && i < lastDigit) continue;
        out += c;
    }
    return out;
}

}  // namespace

QString FormatFloat(const QString& format, double value)
{
    if (format.isEmpty()) return FloatToStr(value);
    QStringList sec = SplitSections(format);
    QString f = sec[0];
    bool neg = value < 0;
    bool useNegSection = false;
    if (value == 0 && sec.size() >= 3 && !sec[2].isEmpty())
        f = sec[2];
    else if (neg && sec.size() >= 2 && !sec[1].isEmpty()) {
        f = sec[1];
        useNegSection = true;
    }
    QString r = FormatSection(f, value);
    if (neg && !useNegSection) {
        // A value that rounds to zero shows without its sign.
        bool allZero = true;
        for (QChar c : r)
            if (c.isDigit() && c != QLatin1Char('0')) allZero = false;
        if (!allZero) r.prepend(QLatin1Char('-'));
    }
    return r;
}
