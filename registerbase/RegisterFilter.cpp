#include "registerbase/RegisterFilter.h"

#include <QRegularExpression>

#include "data/unCommon.h"
#include "platform/ado/ADODB.h"
#include "platform/core/SysUtils.h"
#include "platform/db/DB.h"

namespace RegisterFilter {

const QString FieldPlaceholder = QStringLiteral(" - Поле - ");
const QString OperationPlaceholder = QStringLiteral(" - Операция - ");
const QStringList FilterOperations = {
    QStringLiteral("Содержит"),         QStringLiteral("Не содержит"),         QStringLiteral("Начинается с"),
    QStringLiteral("Не начинается с"),  QStringLiteral("Заканчивается на"),    QStringLiteral("Не заканчивается на"),
    QStringLiteral("Равно"),            QStringLiteral("Не равно"),            QStringLiteral("Больше"),
    QStringLiteral("Меньше"),           QStringLiteral("Больше или равно"),    QStringLiteral("Меньше или равно")};
static const QString OpEmpty = QStringLiteral("Пусто");
static const QString OpNotEmpty = QStringLiteral("Не пусто");

bool IsValueOperation(const QString& Operation) { return FilterOperations.contains(Operation); }

namespace {
enum class Cls { Text, DateTime, Bcd, Lookup, Calculated, Other };

bool IsStringType(TFieldType t)
{
    return t == ftString || t == ftWideString || t == ftFixedChar || t == ftFixedWideChar || t == ftGuid;
}
bool IsIntegerType(TFieldType t)
{
    return t == ftSmallint || t == ftInteger || t == ftWord || t == ftAutoInc || t == ftLargeint;
}
bool IsDateType(TFieldType t) { return t == ftDate || t == ftTime || t == ftDateTime || t == ftTimeStamp; }
bool IsBcdType(TFieldType t) { return t == ftBCD || t == ftFMTBcd; }

Cls ClassOf(const TField* f)
{
    if (f->Lookup()) return Cls::Lookup;
    if (f->FieldKind() != fkData) return Cls::Calculated;
    const TFieldType t = f->DataType();
    if (IsDateType(t)) return Cls::DateTime;
    if (IsBcdType(t)) return Cls::Bcd;
    if (IsStringType(t) || IsIntegerType(t) || t == ftBoolean) return Cls::Text;
    return Cls::Other;
}

QString Lit(const QString& v) { return SqlQuote(v, QLatin1Char('\'')); }

// A BCD value goes into the statement unquoted, so it must be a number.
QString BcdLiteral(const QString& v)
{
    QString s = v.trimmed();
    s.replace(QLatin1Char(','), QLatin1Char('.'));
    static const QRegularExpression number(QStringLiteral("^[-+]?([0-9]+([.][0-9]*)?|[.][0-9]+)$"));
    if (!number.match(s).hasMatch())
        throw EDatabaseError(QStringLiteral("Значение \"") + v + QStringLiteral("\" не является числом"));
    return s;
}
}  // namespace

QStringList OperationsFor(const TField* f)
{
    QStringList ops;
    if (!f) return ops;
    const TFieldType t = f->DataType();
    const bool lookup = f->Lookup();
    if (!lookup && f->FieldKind() != fkData) return ops;
    const bool wide = IsStringType(t), date = IsDateType(t), integer = IsIntegerType(t), bcd = IsBcdType(t),
               boolean = t == ftBoolean;
    if ((wide || date) && !lookup) ops += FilterOperations.mid(0, 6);
    if (integer || boolean || bcd || date || wide) ops += FilterOperations.mid(6, 2);
    if ((integer || bcd || date || wide) && !lookup) ops += FilterOperations.mid(8, 4);
    if (integer || boolean || bcd || date || wide) ops << OpEmpty << OpNotEmpty;
    return ops;
}

QString LookupSource(const TField* f)
{
    TDataSet* ds = f ? f->LookupDataSet() : nullptr;
    if (auto* t = dynamic_cast<TADOTable*>(ds)) return t->TableName();
    auto* q = dynamic_cast<TCustomADODataSet*>(ds);
    if (!q) return QString();
    // The lookup queries are whole statements over one table: the table after
    // FROM is the source.
    static const QRegularExpression from(QStringLiteral("\\bFROM\\s+(\\[[^\\]]+\\]|[A-Za-z_][A-Za-z0-9_]*)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const auto m = from.match(q->CommandText());
    return m.hasMatch() ? m.captured(1) : QString();
}

QString Condition(const TField* f, const QString& op, const QString& v)
{
    if (!f) return QString();
    const QString n = f->FieldName();
    switch (ClassOf(f)) {
    case Cls::Lookup: {
        const QString k = f->KeyFields();
        if (op == OpEmpty) return k + QStringLiteral(" IS NULL");
        if (op == OpNotEmpty) return k + QStringLiteral(" IS NOT NULL");
        if (op != FilterOperations[6] && op != FilterOperations[7]) return QString();
        const QString src = LookupSource(f);
        if (src.isEmpty()) return QString();
        return QStringLiteral("(") + k + QStringLiteral(" IN (SELECT ") + f->LookupKeyFields() +
               QStringLiteral(" FROM ") + src + QStringLiteral(" WHERE ") + f->LookupResultField() +
               (op == FilterOperations[6] ? QStringLiteral(" = ") : QStringLiteral(" <> ")) + Lit(v) +
               QStringLiteral("))");
    }
    case Cls::Text:
    case Cls::DateTime: {
        const bool date = ClassOf(f) == Cls::DateTime;
        const int i = int(FilterOperations.indexOf(op));
        switch (i) {
        case 0: return n + QStringLiteral(" LIKE ") + Lit(QLatin1Char('%') + v + QLatin1Char('%'));
        case 1: return n + QStringLiteral(" NOT LIKE ") + Lit(QLatin1Char('%') + v + QLatin1Char('%'));
        case 2: return n + QStringLiteral(" LIKE ") + Lit(v + QLatin1Char('%'));
        case 3: return n + QStringLiteral(" NOT LIKE ") + Lit(v + QLatin1Char('%'));
        case 4: return n + QStringLiteral(" LIKE ") + Lit(QLatin1Char('%') + v);
        case 5: return n + QStringLiteral(" NOT LIKE ") + Lit(QLatin1Char('%') + v);
        default: break;
        }
        if (i >= 6) {
            static const char* const textOps[] = {" LIKE ", " NOT LIKE ", " > ", " < ", " >= ", " <= "};
            static const char* const dateOps[] = {" = ", " <> ", " > ", " < ", " >= ", " <= "};
            if (date)
                return n + QString::fromLatin1(dateOps[i - 6]) + QStringLiteral("DateValue(") + Lit(v) +
                       QStringLiteral(")");
            return n + QString::fromLatin1(textOps[i - 6]) + Lit(v);
        }
        if (op == OpEmpty)
            return date ? n + QStringLiteral(" IS NULL")
                        : QStringLiteral("((") + n + QStringLiteral(" IS NULL") + QStringLiteral(")") +
                              QStringLiteral(" OR (") + n + QStringLiteral(" LIKE ''") + QStringLiteral("))");
        if (op == OpNotEmpty)
            return date ? n + QStringLiteral(" IS NOT NULL")
                        : QStringLiteral("((") + n + QStringLiteral(" IS NOT NULL") + QStringLiteral(")") +
                              QStringLiteral(" AND (") + n + QStringLiteral(" NOT LIKE ''") + QStringLiteral("))");
        return QString();
    }
    case Cls::Bcd: {
        static const char* const ops[] = {" = ", " <> ", " > ", " < ", " >= ", " <= "};
        const int i = int(FilterOperations.indexOf(op));
        if (i >= 6) return n + QString::fromLatin1(ops[i - 6]) + BcdLiteral(v);
        if (op == OpEmpty) return n + QStringLiteral(" IS NULL");
        if (op == OpNotEmpty) return n + QStringLiteral(" IS NOT NULL");
        return QString();
    }
    default:
        return QString();
    }
}

}  // namespace RegisterFilter
