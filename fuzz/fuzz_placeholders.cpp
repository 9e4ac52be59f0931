// Feeds arbitrary report SQL and arbitrary typed parameter values to the
// placeholder replacement. The values go through the literal writers the
// parameter dialog uses, so whatever a user types stays one literal: the
// statement's shape outside quoted literals is the same as with harmless
// stand-in values. SQL naming no known parameter comes back unchanged.
//
// Input: byte 0 gives the kinds of up to four parameters (two bits each:
// text, integer, number, reference), the rest is UTF-8 split at 0x1F into the
// SQL followed by name/value pairs.
#include "FuzzUtil.h"

#include <QRegularExpression>
#include <cstddef>
#include <cstdint>

#include "reports/unReportsEnterParams.h"

namespace {

enum Kind { Text, Integer, Number, Reference };

// The statement as the database's reader sees it outside literals: every
// quoted literal ('...' or "...", a doubled quote staying inside) becomes one
// mark, runs of marks one mark (two literals side by side read as one).
QString Shape(const QString& sql)
{
    QString out;
    for (int i = 0; i < sql.size(); ++i) {
        const QChar c = sql[i];
        if (c != QLatin1Char('\'') && c != QLatin1Char('"')) {
            out += c;
            continue;
        }
        for (++i; i < sql.size(); ++i)
            if (sql[i] == c) {
                if (i + 1 < sql.size() && sql[i + 1] == c) ++i;
                else break;
            }
        if (!out.endsWith(QChar(0xFFFF))) out += QChar(0xFFFF);
    }
    return out;
}

// The keys of a reference as the picker writes them: each quoted, joined by ", ".
QString ReferenceLiteral(const QString& keys, bool standIn)
{
    QStringList parts;
    for (const QString& k : keys.split(QLatin1Char(','))) parts << ReportTextLiteral(standIn ? QStringLiteral("k") : k);
    return parts.join(QStringLiteral(", "));
}

}   // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0 || size > 4096) return 0;
    const uint8_t kinds = data[0];
    const QStringList fields =
        QString::fromUtf8(reinterpret_cast<const char*>(data) + 1, qsizetype(size - 1)).split(QChar(0x1F));
    const QString sql = fields[0];

    CHECK(ReplaceReportPlaceholders(sql, TReportParams()) == sql);

    static const QRegularExpression number(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?$"));
    TReportParams typed, standIn;
    for (int i = 0; i < 4 && 2 * i + 2 < fields.size(); ++i) {
        TReportParam p, q;
        p.Name = q.Name = fields[2 * i + 1];
        const QString& value = fields[2 * i + 2];
        const Kind kind = Kind((kinds >> (2 * i)) & 3);
        switch (kind) {
        case Text:
            p.Value = ReportTextLiteral(value);
            q.Value = ReportTextLiteral(QStringLiteral("x"));
            break;
        case Integer:
        case Number: {
            const bool isFloat = kind == Number;
            if (!ReportNumberLiteral(value, isFloat, p.Value)) continue;   // refused at OK
            CHECK(p.Value.isEmpty() || number.match(p.Value).hasMatch());
            CHECK(isFloat || !p.Value.contains(QLatin1Char('.')));
            q.Value = p.Value;   // a checked number is its own stand-in
            break;
        }
        case Reference:
            p.Value = ReferenceLiteral(value, false);
            q.Value = ReferenceLiteral(value, true);
            break;
        }
        typed.Add(p);
        standIn.Add(q);
    }

    const QString replaced = ReplaceReportPlaceholders(sql, typed);
    CHECK(Shape(replaced) == Shape(ReplaceReportPlaceholders(sql, standIn)));
    if (!sql.contains(QLatin1Char(':'))) CHECK(replaced == sql);
    return 0;
}
