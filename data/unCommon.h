#pragma once
// Routines shared by the windows: line-break flattening, joining texts, and
// the incremental search in a dataset behind the search line of the lists.
#include <QString>
#include <QStringList>

class OleVariant;
class TDataSet;
class TDBGrid;

// Every LF removed, then every CR replaced by one blank.
QString RemoveLineBreaks(const QString& S);
// The items in order; the separator goes before an item only when the text
// built so far is not empty.
QString JoinStrings(const QString& Separator, const QStringList& Items);
// Moves DataSet to the next record whose field FieldName contains Text,
// ignoring case (from the first record when FromFirst); wraps around once.
// Returns false and stays where it was when nothing matches.
bool SearchInDataSet(bool FromFirst, TDataSet* DataSet, const QString& FieldName, const QString& Text);

// Copies the whole list the grid shows into a new workbook of the
// spreadsheet: the title in the first cell, a merged empty second row, then
// the grid's column titles (bold, grey) and every record, sent in one block.
// Hidden columns stay empty; values of integer, floating-point and BCD fields
// arrive as numbers, all others as text. A failure of the spreadsheet shows
// the export error message. The dataset is left on its first record.
void ExportGridToExcel(TDBGrid* Grid, const QString& Title);

// The running instance of an automation server, else a new one; empty when
// neither can be had.
OleVariant ReachAutomationServer(const QString& ProgId);
// The message shown when the spreadsheet (IsExcel) or the word processor
// cannot be automated.
void ShowAutomationError(bool IsExcel);
