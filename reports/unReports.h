#pragma once
// Report catalogues and report menus.
//
// A catalogue (reports.dat in a report folder, beside its templates) lists
// entries separated by empty lines: caption, parameter line, template file
// name, then the SQL lines. Lines starting with ";" are comments. The file is
// Windows Cyrillic text with CR LF line ends; a file that is valid UTF-8 (with
// or without a byte-order mark) is read as UTF-8 instead, and one that starts
// with a UTF-16 byte-order mark as UTF-16.
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "platform/core/Classes.h"

class TActionList;
class TMenuItem;

struct TReportParam {
    QString Name;
    QString Kind;      // ptString, ptInteger, ptFloat, ptDate, ptBoolean, ptReference
    QString Caption;
    bool Required = false;
    QString RefTable;
    bool MultiSelect = false;
    QString Default;
    QString Value;     // the value as an SQL literal; filled when the report runs
};

// A list of parameters with reference semantics: copies share the elements,
// so a value written through one copy is seen through all of them.
class TReportParams {
public:
    TReportParams() : d(std::make_shared<std::vector<TReportParam>>()) {}
    int Length() const { return int(d->size()); }
    bool Empty() const { return d->empty(); }
    TReportParam& operator[](int i) const { return d->at(size_t(i)); }
    void Add(const TReportParam& p) { d->push_back(p); }
    void Clear() { d->clear(); }
    // A list of its own (no longer shared).
    void Unshare() { d = std::make_shared<std::vector<TReportParam>>(*d); }
    std::vector<TReportParam>::iterator begin() const { return d->begin(); }
    std::vector<TReportParam>::iterator end() const { return d->end(); }
    bool SharesWith(const TReportParams& o) const { return d == o.d; }

private:
    std::shared_ptr<std::vector<TReportParam>> d;
};

struct TReport {
    QString Caption;
    TReportParams Params;
    QString FileName;
    QString Sql;
};

using TReportList = std::vector<TReport>;
using TStringArray = QStringList;

void ParseReportParams(const QString& Line, const QString& FilterTable, TReportParams& Params);
// A yes/no of a parameter line ("true" in any letter case, or a whole number
// other than 0).
bool ReportParamBool(const QString& Text);
TReportList LoadReports(const QString& Folder, const QString& FilterTable);
// The catalogue file and the template path of a folder.
QString ReportCatalogueFile(const QString& Folder);
QString ReportTemplateFile(const QString& Folder, const QString& FileName);
// The lines of a catalogue file's bytes (encoding and line ends as above).
QStringList DecodeCatalogueLines(const QByteArray& bytes);

void BuildReportsMenu(TActionList* ActionList, TMenuItem* Menu, const TReportList& ExcelReports,
                      const TReportList& WordReports, int ExcelImage, int WordImage, TNotifyEvent OnExecute);

// The report folders beside the executable ("reports/excel/" and
// "reports/word/", with the trailing separator), set after login.
extern QString ExcelReportsDir;
extern QString WordReportsDir;

// --------------------------------------------------------- document generation
//
// GenerateReport runs one catalogue entry: it empties the parameters' values,
// presets those that refer to FilterTable with FilterValue, asks the others
// in the parameter dialog (when the report has any), opens the SQL into a
// recordset on a connection of its own, creates a new document from the
// template in the spreadsheet (IsExcel) or the word processor and runs the
// template's macro "BuildReport" (document, recordset, parameter pairs,
// system pairs) in it. An SQL error goes on to the caller (the general error
// display); an automation failure shows the application's message, closes
// the half-made document unsaved and lets the office go when nothing else is
// open in it.
void GenerateReport(TReport Report, const QString& FilterTable, const QString& FilterValue, bool IsExcel);
// One "name|!=!|val" pair per row of SYS_PARAMETERS.
void LoadSysParamPairs(TStringArray& Pairs);
// S without apostrophes; an empty result gives S back unchanged ("''" stays).
QString RemoveApostrophes(const QString& S);

// The separator of a pair's name and value.
inline const QString ReportPairSeparator = QStringLiteral("|!=!|");

// The report being run and its SQL, handed to the parameter dialog and back.
extern TReport CurrentReport;
extern QString CurrentSql;

// The parameter dialog, called by GenerateReport with CurrentReport and
// CurrentSql set and the dialog's caption ("Параметры документа «...»"). It
// keeps the parameters' Value fields (shared with CurrentReport), on OK puts
// the SQL with its placeholders replaced into CurrentSql, and returns the
// modal result. Unless a test installs a stand-in, GenerateReport shows
// TfmReportsEnterParams (ShowReportParamsDialog).
using TReportParamsDialogProc = std::function<int(const QString& Caption)>;
extern TReportParamsDialogProc ReportParamsDialog;
// The real parameter dialog with the caption, shown modally and freed.
int ShowReportParamsDialog(const QString& Caption);

// The runner of the report commands (the main menu and the register
// windows); GenerateReport unless a test puts another in place.
using TGenerateReportProc =
    std::function<void(TReport Report, const QString& FilterTable, const QString& FilterValue, bool IsExcel)>;
extern TGenerateReportProc GenerateReportProc;

// Builds the report's document, filtered by the record FilterValue of
// FilterTable when both are given (a register window's current record).
// While it runs, report menus are not rebuilt (BuildReportsMenu waits for the
// run's end), so the action that started the run is never freed under it.
void RunReport(const TReport& Report, const QString& FilterTable, const QString& FilterValue, bool IsExcel);
// Whether a report is being run now.
bool ReportRunning();
