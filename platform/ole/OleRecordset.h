#pragma once
// The recordset object handed to a template's macro: the rows of an ado
// recordset, reached by member name like the database access objects'
// recordset.
//
//   EOF, BOF, RecordCount              properties
//   MoveFirst, MoveNext, MovePrevious, MoveLast
//   Fields(index or name)              a field: Value (its default member), Name
//   Fields.Count, Fields.Item(i)
//   GetRows([count])                   the rows from the current one on (at most
//                                      count of them), as an array of rows, each
//                                      an array of the field values; the cursor
//                                      moves past them. One call ships a block
//                                      of rows, where field by field each value
//                                      costs a call.
//
// Values: NULL is Empty, dates are dates, numbers are numbers, yes/no is a
// Boolean, texts are texts. The object is positioned on the first row.
//
// ReleaseRecordsetObject lets go of the rows (and with them the connection
// the recordset holds); whoever still holds the object afterwards (a macro
// that kept it) gets an error from any member but EOF and BOF, which read as
// true.
#include "platform/ado/Recordset.h"
#include "platform/ole/ComObj.h"

OleVariant CreateRecordsetObject(ado::RecordsetPtr Rows);
void ReleaseRecordsetObject(const OleVariant& Object);
