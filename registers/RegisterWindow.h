#pragma once
// TRegisterWindow: the register window template that every list of records
// repeats (the places directory is the template itself, unMainReference).
//
// On top of the shared part (TRegisterWindowBase: grid, navigation, filter
// rows, search line, sorting, export) it has the editing commands, the
// status bar with the position text and the filter indicator, the form
// storage of its placement and grid columns, the grid's pop-up menu and the
// report drop-down of the reports that refer to its table.
//
// Each window class derives from this one and keeps its components and
// handler names (DataSource, DBGrid, Filter, FormStorage, aCallReport,
// panFilter, panSearch, edSearch, StatusBar, Timer, FormShow, ...). A window
// that differs replaces single handlers (they are virtual) or changes the two
// switches of the filter builder; it adds its own components in its
// constructor.
//
// The main window reaches these windows only through the components named
// "DataSource", "aCallReport" and "FormStorage" and through OnShow/OnActivate.
#include "registerbase/RegisterWindowBase.h"
#include "reports/unReports.h"

class TFormStorage;
class TMenuItem;
class TPopupMenu;
class TStatusBar;

class TRegisterWindow : public TRegisterWindowBase {
    QV_CLASS(TRegisterWindow, TRegisterWindowBase)
public:
    explicit TRegisterWindow(TComponent* AOwner = nullptr);

    // ---- components (names as in the form definition)
    TToolButton* ToolButton5;
    TToolButton* ToolButton6;
    TToolButton* ToolButton7;
    TToolButton* ToolButton8;
    TToolButton* ToolButton9;
    TToolButton* ToolButton15;
    TStatusBar* StatusBar;
    TFormStorage* FormStorage;
    TPopupMenu* pmnGrid;
    TMenuItem* miSearch;
    TMenuItem* miFilter;
    TPopupMenu* pmnReports;
    TMenuItem* reports1;

    TAction* aNAdd;
    TAction* aNDelete;
    TAction* aNEdit;
    TAction* aNPost;
    TAction* aNCancel;
    TAction* aCallReport;
    TAction* aFilter;

    // ---- handlers
    void FormShow(TObject* Sender) override;
    void FormActivate(TObject* Sender) override;
    void FormClose(TObject* Sender, TCloseAction& Action) override;
    void TimerTimer(TObject* Sender) override;
    void DataSourceDataChange(TObject* Sender, TField* Field) override;
    void DataSourceStateChange(TObject* Sender) override;
    void DBGridKeyDown(TObject* Sender, WORD& Key, TShiftState Shift) override;
    virtual void ReportMenuItemClick(TObject* Sender);
    void aCallReportExecute(TObject* Sender) {}

    virtual void aNAddExecute(TObject* Sender);
    virtual void aNDeleteExecute(TObject* Sender);
    virtual void aNEditExecute(TObject* Sender);
    virtual void aNPostExecute(TObject* Sender);
    virtual void aNCancelExecute(TObject* Sender);
    virtual void aFilterExecute(TObject* Sender);

protected:
    // The command states of the editing commands (a window may differ).
    virtual void UpdateEditActions();
    // On closing: drops the grid's new row when nobody typed into it (as
    // leaving the grid does), then posts each of the datasets still editing;
    // when a post is refused (the data module has shown why), cancels every
    // one still editing, so no shared dataset stays in edit state once the
    // window is gone.
    void PostOrCancelEdits(const std::vector<TDataSet*>& DataSets);

    // The steps of FormShow, for windows that run them in their own order:
    // focus the grid and read the rows afresh (false while DataSource has no
    // dataset: nothing more to do); the first filter row and the search
    // line; the placement and stored properties restored unless a child
    // window is maximised (then this one is maximised too).
    bool ShowDataSet();
    void RestorePlacement();
    // The second half of FormActivate: the report lists and menu rebuilt.
    void RebuildReportMenu();
    // Enter and Shift+Enter in the grid's cell editor: the text written to
    // the field, the next (previous) column selected.
    void MoveColumnOnEnter(TQvDBGrid* Grid, WORD Key, TShiftState Shift);

    TReportList FWordReports;
    TReportList FExcelReports;
};
