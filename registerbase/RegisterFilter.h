#pragma once
// The filter builder's vocabulary and the SQL condition of one filter row,
// shared by the register windows and the record picker.
#include <QString>
#include <QStringList>

#include "platform/ui/Windows.h"

class TComboBox;
class TField;
class TQvSpeedButton;

// The private message that removes the filter row whose deletion is pending.
constexpr UINT WM_DELETEFILTERROW = WM_USER + 171;   // 1195

// One condition row of a filter panel.
struct FilterRow {
    TComboBox* cmbField = nullptr;
    TComboBox* cmbExp = nullptr;
    TComboBox* cmbValue = nullptr;
    TQvSpeedButton* sbDel = nullptr;
};

namespace RegisterFilter {
extern const QString FieldPlaceholder;       // " - Поле - "
extern const QString OperationPlaceholder;   // " - Операция - "
// The 12 operations that take a value, in list order.
extern const QStringList FilterOperations;
// Whether the text is one of FilterOperations (exact).
bool IsValueOperation(const QString& Operation);
// The operations offered for the field, in list order (without placeholder).
QStringList OperationsFor(const TField* Field);
// The source a lookup field's subselect reads: the table of its lookup
// dataset (a table's name, or the table after FROM of a query's statement).
QString LookupSource(const TField* Field);
// The condition of one row: Field compared by Operation with Value (the
// value box's text, "NULL" for the operations without value). Values are
// written as SQL literals, so any text filters literally. Empty when the
// field's class does not offer the operation.
QString Condition(const TField* Field, const QString& Operation, const QString& Value);
}  // namespace RegisterFilter
