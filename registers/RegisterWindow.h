#pragma once
// TRegisterWindow: the register window template that every list of records
// repeats (the places directory is the template itself, unMainReference).
//
// The window shows one dataset of the data module in its grid, with the tool
// bar of navigation and editing commands, the filter rows above the grid
// that build an SQL condition over the window's table, the search line under
// the grid (cPanelSearch), sorting by a click on a column title, the status
// bar with the position text and the filter indicator, the report drop-down
// and export of the whole list to the spreadsheet.
//
// Each window class derives from this one and keeps its components and
// handler names (DataSource, DBGrid, Filter, FormStorage, aCallReport,
// panFilter, panSearch, edSearch, StatusBar, Timer, FormShow, ...). A window
// that differs replaces single handlers (they are virtual) or changes the two
// switches of the filter builder below; it adds its own components in its
// constructor.
//
// The main window reaches these windows only through the components named
// "DataSource", "aCallReport" and "FormStorage" and through OnShow/OnActivate.
#include <QString>
#include <vector>

#include "components/QvDBCtrl.h"
#include "platform/ui/Forms.h"
#include "platform/ui/PaintCtrls.h"
#include "reports/unReports.h"

class TAction;
class TActionManager;
class TADOQuery;
class TComboBox;
class TCoolBar;
class TDataSet;
class TDataSource;
class TEdit;
class TField;
class TFormStorage;
class TImageList;
class TMenuItem;
class TPanel;
class TPopupMenu;
class TQvDBGrid;
class TQvSpeedButton;
class TStatusBar;
class TTimer;
class TToolBar;
class TToolButton;
class TColumn;
class cPanelSearch;

// The private message that removes the filter row whose deletion is pending.
constexpr UINT WM_DELETEFILTERROW = WM_USER + 171;   // 1195

// One condition row of a filter panel.
struct FilterRow {
    TComboBox* cmbField = nullptr;
    TComboBox* cmbExp = nullptr;
    TComboBox* cmbValue = nullptr;
    TQvSpeedButton* sbDel = nullptr;
};

// The filter builder's vocabulary and conditions (shared by every window and
// the record picker).
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

class TRegisterWindow : public TForm {
    QV_CLASS(TRegisterWindow, TForm)
public:
    explicit TRegisterWindow(TComponent* AOwner = nullptr);
    ~TRegisterWindow() override;

    // ---- components (names as in the form definition)
    TCoolBar* CoolBar;
    TToolBar* ToolBar;
    TToolButton* ToolButton1;
    TToolButton* ToolButton2;
    TToolButton* ToolButton3;
    TToolButton* ToolButton4;
    TToolButton* ToolButton5;
    TToolButton* ToolButton6;
    TToolButton* ToolButton7;
    TToolButton* ToolButton8;
    TToolButton* ToolButton9;
    TToolButton* ToolButton10;
    TToolButton* ToolButton11;
    TToolButton* ToolButton12;
    TToolButton* ToolButton13;
    TToolButton* ToolButton14;
    TToolButton* ToolButton15;
    TPanel* panFilter;
    TQvSpeedButton* sbDelFilter0;
    TQvSpeedButton* sbAddFilter;
    TQvSpeedButton* sbApplyFilter;
    TQvDBGrid* DBGrid;
    TPanel* panSearch;
    TPanel* Bevel1;
    TEdit* edSearch;
    TStatusBar* StatusBar;
    TActionManager* AManager;
    TImageList* ImageList;
    TTimer* Timer;
    TDataSource* DataSource;
    TADOQuery* Filter;
    TFormStorage* FormStorage;
    TPopupMenu* pmnGrid;
    TMenuItem* miSearch;
    TMenuItem* miFilter;
    TPopupMenu* pmnReports;
    TMenuItem* reports1;

    TAction* aNFirst;
    TAction* aNPrev;
    TAction* aNNext;
    TAction* aNLast;
    TAction* aNAdd;
    TAction* aNDelete;
    TAction* aNEdit;
    TAction* aNPost;
    TAction* aNCancel;
    TAction* aNRefresh;
    TAction* aSearch;
    TAction* aExportToExcel;
    TAction* aCallReport;
    TAction* aFilter;

    // ---- handlers
    virtual void FormShow(TObject* Sender);
    virtual void FormActivate(TObject* Sender);
    virtual void FormClose(TObject* Sender, TCloseAction& Action);
    virtual void TimerTimer(TObject* Sender);
    virtual void DataSourceDataChange(TObject* Sender, TField* Field);
    virtual void DataSourceStateChange(TObject* Sender);
    virtual void DBGridKeyDown(TObject* Sender, WORD& Key, TShiftState Shift);
    virtual void DBGridTitleClick(TColumn* Column);
    virtual void DBGridGetBtnParams(TObject* Sender, TField* Field, TFont* AFont, TColor& Background,
                                    TSortMarker& SortMarker, bool IsDown);
    virtual void ReportMenuItemClick(TObject* Sender);
    void aCallReportExecute(TObject* Sender) {}

    virtual void aNFirstExecute(TObject* Sender);
    virtual void aNPrevExecute(TObject* Sender);
    virtual void aNNextExecute(TObject* Sender);
    virtual void aNLastExecute(TObject* Sender);
    virtual void aNAddExecute(TObject* Sender);
    virtual void aNDeleteExecute(TObject* Sender);
    virtual void aNEditExecute(TObject* Sender);
    virtual void aNPostExecute(TObject* Sender);
    virtual void aNCancelExecute(TObject* Sender);
    virtual void aNRefreshExecute(TObject* Sender);
    virtual void aSearchExecute(TObject* Sender);
    virtual void aExportToExcelExecute(TObject* Sender);
    virtual void aFilterExecute(TObject* Sender);

    // ---- filter builder
    void sbAddFilterClick(TObject* Sender);
    void sbDelFilterClick(TObject* Sender);
    void sbApplyFilterClick(TObject* Sender);
    void cmbFieldSelect(TObject* Sender);
    void cmbExpSelect(TObject* Sender);
    void cmbValueKeyPress(TObject* Sender, QChar& Key);

    // The filter rows, in row order (read-only for callers).
    const std::vector<FilterRow>& FilterRows() const { return FFilterRows; }
    // The condition text the rows make now (" " + first condition + ...).
    QString FilterConditionText();
    cPanelSearch* PanelSearch() const { return FPanelSearch; }

    void WndProc(TMessage& Message) override;

protected:
    void UpdateNavigationActions();
    void UpdateEditActions();
    bool IsValueOperation(const QString& Text) const { return RegisterFilter::IsValueOperation(Text); }
    TField* FindFieldByDisplayLabel(const QString& Text) const;
    void WMDeleteFilterRow();
    TDataSet* DataSet() const;
    // The dataset's table name (its command text).
    QString TableName() const;

    // Switches of the filter builder: the object windows list only data
    // fields; the record picker does not keep the column widths.
    bool FilterDataFieldsOnly = false;
    bool FilterKeepsColumnWidths = true;

    TReportList FWordReports;
    TReportList FExcelReports;
    cPanelSearch* FPanelSearch = nullptr;
    int FPendingFilterRow = -1;
    std::vector<FilterRow> FFilterRows;

private:
    void BuildImages();
    TAction* MakeAction(TAction*& a, const char* name, const QString& caption, int image, const QString& hint,
                        void (TRegisterWindow::*exec)(TObject*));
    TToolButton* MakeButton(TToolButton*& b, const char* name, TAction* a);
    TQvSpeedButton* MakeFilterButton(TQvSpeedButton*& b, const char* name, const QString& hint, int left);
    int RowIndexOf(TObject* Sender) const;
    // Runs a handler of a user's click; errors go to the error display.
    void Guarded(const std::function<void()>& f);
};
