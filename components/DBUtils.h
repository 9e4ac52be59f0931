#pragma once
// Layout of a dataset's fields (order, display width, visibility) kept in the
// settings file, and the emptiness test of a dataset.
//
// One key per field: the dataset's Name followed by the field's FieldName,
// with the value "index,width,visible" (visible 1 or 0).
#include <QString>

#include "platform/db/DB.h"

// The section of a dataset: its owner form's class name when owned by a
// form, else the dataset's Name.
QString DataSetSectionName(TDataSet* DataSet);
// The section, or DataSetSectionName when it is empty.
QString CheckSection(TDataSet* DataSet, const QString& Section);
void SaveFields(TDataSet* DataSet, TObject* IniFile, const QString& Section);
// A field without an entry keeps its place, width and visibility; a word of an
// entry that is no number keeps that one value.
void RestoreFields(TDataSet* DataSet, TObject* IniFile, const QString& Section, bool RestoreVisible);
// True when the dataset is closed, or at both its beginning and its end.
bool IsDataSetEmpty(TDataSet* DataSet);
