#include "data/unCommon.h"

#include "platform/core/SysUtils.h"
#include "platform/db/DB.h"
#include "platform/ole/ComObj.h"
#include "platform/ui/DBGrids.h"
#include "platform/ui/Forms.h"

QString RemoveLineBreaks(const QString& S)
{
    QString r = S;
    r.remove(QLatin1Char('\n'));
    r.replace(QLatin1Char('\r'), QLatin1Char(' '));
    return r;
}

QString JoinStrings(const QString& Separator, const QStringList& Items)
{
    QString r;
    for (const QString& s : Items) {
        if (!r.isEmpty()) r += Separator;
        r += s;
    }
    return r;
}

bool SearchInDataSet(bool FromFirst, TDataSet* DataSet, const QString& FieldName, const QString& Text)
{
    bool result = true;
    DataSet->DisableControls();
    try {
        const TBookmark start = DataSet->GetBookmark();
        if (FromFirst)
            DataSet->First();
        else if (!DataSet->Eof())
            DataSet->Next();
        const QString wanted = AnsiUpperCase(Text);
        TField* field = DataSet->FieldByName(FieldName);
        bool found = false;
        // An empty text is never found inside another.
        if (!wanted.isEmpty()) {
            while (!DataSet->Eof()) {
                if (AnsiUpperCase(field->AsString()).contains(wanted)) {
                    found = true;
                    break;
                }
                DataSet->Next();
            }
        }
        if (!found) result = FromFirst ? false : SearchInDataSet(true, DataSet, FieldName, Text);
        if (!result && !start.IsNull() && DataSet->BookmarkValid(start)) DataSet->GotoBookmark(start);
    } catch (...) {
        DataSet->EnableControls();
        throw;
    }
    DataSet->EnableControls();
    return result;
}

void ExportGridToExcel(TDBGrid* Grid, const QString& Title)
{
    TDataSource* source = Grid ? Grid->DataSource() : nullptr;
    TDataSet* ds = source ? source->DataSet() : nullptr;
    if (!ds || !ds->Active()) return;
    const int R = ds->RecordCount();
    const int C = Grid->Columns()->Count();
    ds->DisableControls();
    try {
        OleVariant Data = VarArrayCreate({0, R, 0, C});
        TVarArray* data = Data.Array();
        const OleVariant Excel = ReachAutomationServer(QStringLiteral("Excel.Application"));
        if (Excel.IsEmpty()) throw EOleError(QStringLiteral("Excel.Application"));
        Excel.Get(QStringLiteral("Application")).Set(QStringLiteral("EnableEvents"), false);
        OleVariant WorkBook = Excel.Get(QStringLiteral("WorkBooks")).Call(QStringLiteral("Add"));

        for (int i = 0; i < C; ++i) {
            TColumn* column = Grid->Columns()->Items(i);
            if (column->Visible()) data->Put(0, i, column->Title()->Caption());
        }
        ds->First();
        // Stops at the end of the records should the count have been larger
        // than what is there to read.
        for (int k = 1; k <= R && !ds->Eof(); ++k) {
            for (int i = 0; i < C; ++i) {
                TColumn* column = Grid->Columns()->Items(i);
                TField* field = column->Visible() ? column->Field() : nullptr;
                if (!field) continue;
                const TFieldType type = field->DataType();
                const bool number = type == ftInteger || type == ftFloat || type == ftBCD;
                data->Put(k, i, number ? field->AsString() : QStringLiteral("'") + field->AsString());
            }
            ds->Next();
        }

        OleVariant Sheet = WorkBook.Get(QStringLiteral("WorkSheets"), {1});
        auto Cell = [&](int row, int col) { return Sheet.Get(QStringLiteral("Cells"), {row, col}); };
        auto Area = [&](int r1, int c1, int r2, int c2) { return Sheet.Get(QStringLiteral("Range"), {Cell(r1, c1), Cell(r2, c2)}); };

        OleVariant TitleCell = Cell(1, 1);
        TitleCell.Set(QStringLiteral("Value"), Title);
        TitleCell.Get(QStringLiteral("Font")).Set(QStringLiteral("Size"), 12);
        TitleCell.Get(QStringLiteral("Font")).Set(QStringLiteral("Bold"), true);

        OleVariant Gap = Area(2, 1, 2, C);
        Gap.Set(QStringLiteral("MergeCells"), true);
        Gap.Set(QStringLiteral("WrapText"), true);

        OleVariant Table = Area(3, 1, R + 3, C);
        Table.Set(QStringLiteral("Value"), Data);
        Table.Get(QStringLiteral("Columns")).Call(QStringLiteral("AutoFit"));
        Table.Get(QStringLiteral("Font")).Set(QStringLiteral("Size"), 8);
        Table.Set(QStringLiteral("HorizontalAlignment"), 2);

        OleVariant Header = Area(3, 1, 3, C);
        Header.Get(QStringLiteral("Interior")).Set(QStringLiteral("ColorIndex"), 15);
        Header.Get(QStringLiteral("Font")).Set(QStringLiteral("Bold"), true);

        Excel.Get(QStringLiteral("Application")).Set(QStringLiteral("EnableEvents"), true);
        Excel.Set(QStringLiteral("Visible"), true);
    } catch (const EAbort&) {
        ds->First();
        ds->EnableControls();
        throw;
    } catch (...) {
        // Whatever the spreadsheet already did stays as it is.
        ShowAutomationError(true);
    }
    try {
        ds->First();
    } catch (...) {
        ds->EnableControls();
        throw;
    }
    ds->EnableControls();
}

void ShowAutomationError(bool IsExcel)
{
    const QString app = IsExcel ? QStringLiteral("Excel") : QStringLiteral("Word");
    Application->MessageBox(
        QStringLiteral("Ошибка экспорта в Microsoft %1. Данная ошибка может возникнуть в случае,   ").arg(app) +
            QStringLiteral("\r\n") +
            QStringLiteral("если у вас не установлен (или установлен некорректно) Microsoft %1.  ").arg(app),
        QStringLiteral("Ошибка экспорта в %1").arg(app), MB_OK | MB_ICONERROR);
}

OleVariant ReachAutomationServer(const QString& ProgId)
{
    try {
        return GetActiveOleObject(ProgId);
    } catch (const EOleError&) {
    }
    try {
        return CreateOleObject(ProgId);
    } catch (const EOleError&) {
        return {};
    }
}
