#pragma once
// Variant values of fields and automation calls: QVariant, with Null (a value
// that is known to be empty, as a database NULL) told apart from Unassigned.
#include <QVariant>

using Variant = QVariant;

inline Variant VarNull() { return QVariant(QMetaType(QMetaType::Nullptr)); }
inline Variant Unassigned() { return QVariant(); }
// Null or unassigned.
inline bool VarIsNull(const Variant& v) { return !v.isValid() || v.isNull(); }
inline bool VarIsEmpty(const Variant& v) { return !v.isValid(); }
