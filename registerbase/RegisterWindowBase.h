#pragma once
// TRegisterWindowBase: what every list of records shares, whether it is an
// MDI register window (TRegisterWindow) or the modal record picker: the
// dataset's grid with sorting by a click on a column title, the navigation,
// refresh, search and export commands, the filter rows above the grid that
// build an SQL condition over the window's table, the search line under the
// grid (cPanelSearch), and the 50 ms timer that keeps the commands' states.
//
// It has no status bar, no form storage, no report menu and no editing
// commands: the derived window adds those it has. The tool bar is empty
// here; each derived window lays out its buttons (AddToolButtons) in the
// order its form shows them.
#include <QString>
#include <initializer_list>
#include <vector>

#include "components/QvDBCtrl.h"
#include "platform/ui/Forms.h"
#include "platform/ui/PaintCtrls.h"
#include "registerbase/RegisterFilter.h"

class TAction;
class TActionManager;
class TADOQuery;
class TColumn;
class TComboBox;
class TCoolBar;
class TDataSet;
class TDataSource;
class TEdit;
class TField;
class TImageList;
class TPanel;
class TQvDBGrid;
class TQvSpeedButton;
class TTimer;
class TToolBar;
class TToolButton;
class cPanelSearch;

class TRegisterWindowBase : public TForm {
    QV_CLASS(TRegisterWindowBase, TForm)
public:
    explicit TRegisterWindowBase(TComponent* AOwner = nullptr);
    ~TRegisterWindowBase() override;

    // ---- components (names as in the form definitions)
    TCoolBar* CoolBar;
    TToolBar* ToolBar;
    // The shared buttons; made by the derived window's AddToolButtons.
    TToolButton* ToolButton1 = nullptr;
    TToolButton* ToolButton2 = nullptr;
    TToolButton* ToolButton3 = nullptr;
    TToolButton* ToolButton4 = nullptr;
    TToolButton* ToolButton10 = nullptr;
    TToolButton* ToolButton11 = nullptr;
    TToolButton* ToolButton12 = nullptr;
    TToolButton* ToolButton13 = nullptr;
    TToolButton* ToolButton14 = nullptr;
    TPanel* panFilter;
    TQvSpeedButton* sbDelFilter0;
    TQvSpeedButton* sbAddFilter;
    TQvSpeedButton* sbApplyFilter;
    TQvDBGrid* DBGrid;
    TPanel* panSearch;
    TPanel* Bevel1;
    TEdit* edSearch;
    TActionManager* AManager;
    TImageList* ImageList;
    TTimer* Timer;
    TDataSource* DataSource;
    TADOQuery* Filter;

    TAction* aNFirst;
    TAction* aNPrev;
    TAction* aNNext;
    TAction* aNLast;
    TAction* aNRefresh;
    TAction* aSearch;
    TAction* aExportToExcel;

    // ---- handlers
    virtual void FormShow(TObject* Sender);
    virtual void FormActivate(TObject* Sender);
    virtual void FormClose(TObject* Sender, TCloseAction& Action);
    virtual void TimerTimer(TObject* Sender);
    virtual void DataSourceDataChange(TObject* Sender, TField* Field);
    virtual void DataSourceStateChange(TObject* Sender);
    virtual void DBGridKeyDown(TObject* Sender, WORD& Key, TShiftState Shift) {}
    virtual void DBGridTitleClick(TColumn* Column);
    virtual void DBGridGetBtnParams(TObject* Sender, TField* Field, TFont* AFont, TColor& Background,
                                    TSortMarker& SortMarker, bool IsDown);

    virtual void aNFirstExecute(TObject* Sender);
    virtual void aNPrevExecute(TObject* Sender);
    virtual void aNNextExecute(TObject* Sender);
    virtual void aNLastExecute(TObject* Sender);
    virtual void aNRefreshExecute(TObject* Sender);
    virtual void aSearchExecute(TObject* Sender);
    virtual void aExportToExcelExecute(TObject* Sender);

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
    // Navigation commands: enabled when the dataset is open, not at that end
    // and the record number is not the first (last) one.
    virtual void UpdateNavigationActions();
    bool IsValueOperation(const QString& Text) const { return RegisterFilter::IsValueOperation(Text); }
    TField* FindFieldByDisplayLabel(const QString& Text) const;
    void WMDeleteFilterRow();
    TDataSet* DataSet() const;
    // The dataset's table name (its command text).
    QString TableName() const;
    // Whether the data module's connection is open (the timer idles while
    // it is not).
    static bool DatabaseConnected();

    // Pieces of the show handlers: the dataset closed and opened again (the
    // rows read afresh) with the boolean columns' pick lists; the search
    // object made and hooked to edSearch; the first filter row and the
    // search line.
    void ReopenDataSet();
    void InstallSearch();
    void ShowFilterAndSearch();
    // Export and search enabled exactly when there are records; the search
    // command's check mark follows the search line.
    void UpdateSearchExportActions();

    // Makes an action of the window's action list.
    template <class W>
    TAction* MakeAction(TAction*& a, const char* name, const QString& caption, int image, const QString& hint,
                        void (W::*exec)(TObject*))
    {
        W* w = static_cast<W*>(this);
        return NewAction(a, name, caption, image, hint, [w, exec](TObject* s) { (w->*exec)(s); });
    }
    // One tool button of the bar: its variable, name and action (none for a
    // separator).
    struct ButtonDef {
        TToolButton*& Button;
        const char* Name;
        TAction* Action;
    };
    void AddToolButtons(std::initializer_list<ButtonDef> Buttons);

    // Switches of the filter builder: the object windows list only data
    // fields; the record picker does not keep the column widths.
    bool FilterDataFieldsOnly = false;
    bool FilterKeepsColumnWidths = true;

    cPanelSearch* FPanelSearch = nullptr;
    int FPendingFilterRow = -1;
    std::vector<FilterRow> FFilterRows;

    // Makes an action of the window's action list running exec.
    TAction* NewAction(TAction*& a, const char* name, const QString& caption, int image, const QString& hint,
                       TNotifyEvent exec);

private:
    void BuildImages();
    TQvSpeedButton* MakeFilterButton(TQvSpeedButton*& b, const char* name, const QString& hint, int left);
    int RowIndexOf(TObject* Sender) const;
    void SetBooleanPickLists();
    // No filter: the query closed and emptied, the dataset opened again on
    // its own table.
    void ShowUnfiltered(TDataSet* Shown);
};
