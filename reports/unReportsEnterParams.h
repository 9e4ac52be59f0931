#pragma once
// The report parameter dialog: one row per parameter of CurrentReport, built
// when the dialog is first shown (a label and an editor by the parameter's
// kind), each parameter's Value kept in step with its editor as an SQL
// literal, and on OK the placeholders of CurrentSql replaced by the values.
//
// Literals: texts and dates are quoted (an apostrophe inside doubled, so a
// pasted apostrophe is text, never SQL), numbers go in bare with a decimal
// point, yes/no as 1 or 0, references as quoted keys joined by ", ". A
// parameter without a value is written as NULL.
//
// Placeholders are ":" + the parameter's name, found as whole names (a name
// ends where letters, digits and "_" end) in any letter case, outside quoted
// literals of the SQL, in one pass: an inserted value is never searched again.
#include <QString>
#include <vector>

#include "platform/ui/Forms.h"
#include "reports/unReports.h"

class TButton;
class TCheckBox;
class TDataSet;
class TImageList;
struct TBookmark;

// ---- values and placeholders (the dialog's rules, usable without it)

// A text or date as an SQL literal.
QString ReportTextLiteral(const QString& Text);
// A typed number as a bare SQL number ("-1,5" gives -1.5). Empty text gives
// an empty value; false for a text that is no number of the kind.
bool ReportNumberLiteral(const QString& Text, bool IsFloat, QString& Literal);
// Whether a text reads as a date.
bool IsReportDateText(const QString& Text);
// The SQL with every known placeholder replaced by its parameter's value.
QString ReplaceReportPlaceholders(const QString& Sql, const TReportParams& Params);
// The display text of a reference value (one quoted key or several joined by
// commas) from DataSet's DisplayField, texts joined by "; ". The dataset does
// not move.
QString ReferenceDisplayText(TDataSet* DataSet, const QString& Value, const QString& DisplayField);
// The records picked in DataSet: the current one, or those of Bookmarks in
// their order; gives the quoted keys joined by ", " and the display texts
// joined by "; " (both empty when there is no record).
void PickedRecords(TDataSet* DataSet, const std::vector<TBookmark>* Bookmarks, const QString& DisplayField,
                   QString& Keys, QString& Names);

class TfmReportsEnterParams : public TForm {
    QV_CLASS(TfmReportsEnterParams, TForm)
public:
    explicit TfmReportsEnterParams(TComponent* AOwner = nullptr);

    TButton* btOK;
    TButton* btCancel;
    TImageList* ImageList;

    void FormShow(TObject* Sender);
    void btOKClick(TObject* Sender);
    void EditOnChange(TObject* Sender);
    void DateEditOnChange(TObject* Sender);
    void CheckBoxOnChange(TObject* Sender);
    void ptRefButtonClick(TObject* Sender);
    void EditStringKeyPress(TObject* Sender, QChar& Key);
    void EditIntegerKeyPress(TObject* Sender, QChar& Key);
    void EditFloatKeyPress(TObject* Sender, QChar& Key);

    // The widest caption of the parameters that have a label.
    int GetMaxCaptionWidth();
    // Register windows over DataSet take back their stored placement and
    // column layout (the picker used the same dataset).
    void RestoreWindowsPlacement(TDataSet* DataSet);

private:
    TReportParam& ParamOf(TObject* Sender) const;
    bool FRowsBuilt = false;
};

// The text of the required-values message and its caption.
extern const QString ReportParamsErrorText;
extern const QString ReportParamsErrorCaption;
