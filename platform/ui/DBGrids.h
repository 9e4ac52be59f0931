#pragma once
// The data-aware grid: TDBGrid with its columns (TColumn, TDBGridColumns), the
// selected-rows list (TBookmarkList) and the in-place editor.
//
// The grid is drawn by its own painting on a Qt scroll area; it never holds
// the dataset's rows. Its data link keeps a window of as many view rows as fit
// on the screen (BufferCount), and painting reads only those rows through the
// link (SetActiveRecord), so a page costs the same for 10 rows and for a
// million. The vertical scroll bar shows the current record's position.
//
// Raw grid coordinates count the indicator column (raw column 0 when
// dgIndicator is set) and the title row (raw row 0 when dgTitles is set):
// data column = raw column - IndicatorOffset(), data row = raw row -
// TitleOffset(). The fixed area is the indicator plus FixedCount() - 1 frozen
// data columns, which stay put while the other columns scroll horizontally.
//
// Derived grids customise through the virtual operations below (DrawCell,
// DrawColumnCell, HighlightCell, KeyDown, KeyPress, MouseDown/Move/Up,
// DoMouseWheel, TopLeftChanged, ColWidthsChanged, LayoutChanged, CanEditShow,
// SetColumnAttributes, Paint); the base versions are the framework's
// behaviour.
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/core/Sets.h"
#include "platform/db/DB.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Graphics.h"
#include "platform/ui/Windows.h"

class QPainter;
class QKeyEvent;
class QWidget;
class TDBGrid;
class TColumn;
class TGridWidget;
class TInplaceEdit;

enum TDBGridOption {
    dgEditing, dgAlwaysShowEditor, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines, dgTabs,
    dgRowSelect, dgAlwaysShowSelection, dgConfirmDelete, dgCancelOnExit, dgMultiSelect
};
using TDBGridOptions = TSet<TDBGridOption>;

enum TGridDrawStateFlag { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSet<TGridDrawStateFlag>;

enum TColumnButtonStyle { cbsAuto, cbsEllipsis, cbsNone };
enum TImeMode { imDisable, imClose, imOpen, imDontCare, imSAlpha, imAlpha, imHira, imSKata, imKata, imChinese,
                imSHanguel, imHanguel };
enum TDBGridColumnsState { csDefault, csCustomized };

struct TGridCoord {
    int X = -1, Y = -1;
    bool operator==(const TGridCoord&) const = default;
};

using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, QChar& Key)>;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseWheelUpDownEvent = std::function<void(TObject* Sender, TShiftState Shift, TPoint MousePos, bool& Handled)>;
using TDBGridClickEvent = std::function<void(TColumn* Column)>;
using TDrawColumnCellEvent =
    std::function<void(TObject* Sender, const TRect& Rect, int DataCol, TColumn* Column, TGridDrawState State)>;
using TDrawDataCellEvent = std::function<void(TObject* Sender, const TRect& Rect, TField* Field, TGridDrawState State)>;

// The surface a grid paints on while it paints: font, brush and pen colours
// over the painter of the grid's window (or of an image in tests and
// benchmarks). Colours are the framework's TColor numbers.
class TGridCanvas {
public:
    TGridCanvas();
    TFont* Font() { return &FFont; }
    TColor BrushColor() const { return FBrush; }
    void SetBrushColor(TColor c) { FBrush = c; }
    TColor PenColor() const { return FPen; }
    void SetPenColor(TColor c) { FPen = c; }
    QPainter* Painter() const { return FPainter; }
    void SetPainter(QPainter* p) { FPainter = p; }

    void FillRect(const TRect& r);
    // Fills r and draws the text at (x, y), clipped to r.
    void TextRect(const TRect& r, int x, int y, const QString& text);
    // Draws the text inside r with the alignment, vertically centred; with
    // word wrap the lines break at blanks.
    void TextAligned(const TRect& r, const QString& text, TAlignment alignment, bool wordWrap, bool rightToLeft);
    int TextWidth(const QString& text) const;
    int TextHeight(const QString& text = QStringLiteral("Ag")) const;
    void MoveTo(int x, int y) { FPos = Point(x, y); }
    void LineTo(int x, int y);
    void DrawFocusRect(const TRect& r);
    // Draws the image with every pixel of the transparent colour left out
    // (clNone: all pixels).
    void Draw(int x, int y, const QImage& image, TColor transparent = clNone);

private:
    TFont FFont;
    TColor FBrush = clWindow, FPen = clBlack;
    QPainter* FPainter = nullptr;
    TPoint FPos;
};

// ---------------------------------------------------------------- columns

class TColumnTitle : public TPersistent {
    QV_CLASS(TColumnTitle, TPersistent)
public:
    explicit TColumnTitle(TColumn* column);
    ~TColumnTitle() override;
    TColumn* Column() const { return FColumn; }
    // The caption: set text, else the field's display label, else the field name.
    QString Caption() const;
    void SetCaption(const QString& v);
    bool IsCaptionStored() const { return FCaptionAssigned; }
    TAlignment Alignment() const;
    void SetAlignment(TAlignment v);
    TColor Color() const;
    void SetColor(TColor v);
    TFont* Font() const;
    void SetFont(TFont* v);
    void RestoreDefaults();
    void Assign(TPersistent* Source) override;

private:
    friend class TColumn;
    TColumn* FColumn;
    QString FCaption;
    bool FCaptionAssigned = false, FAlignmentAssigned = false, FColorAssigned = false, FFontAssigned = false;
    TAlignment FAlignment = taLeftJustify;
    TColor FColor = clBtnFace;
    TFont* FFont;
    bool FSettingDefault = false;
    void FontChanged();
    void RefreshDefaultFont();
};

class TColumn : public TCollectionItem {
    QV_CLASS(TColumn, TCollectionItem)
public:
    explicit TColumn(TCollection* Collection);
    ~TColumn() override;

    TDBGrid* Grid() const;
    // The field, found by FieldName in the grid's dataset (none when it has no
    // such field or the dataset is closed).
    TField* Field() const;
    void SetField(TField* f);
    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& v);

    TAlignment Alignment() const;
    void SetAlignment(TAlignment v);
    TColumnButtonStyle ButtonStyle() const { return FButtonStyle; }
    void SetButtonStyle(TColumnButtonStyle v);
    TColor Color() const;
    void SetColor(TColor v);
    int DropDownRows() const { return FDropDownRows; }
    void SetDropDownRows(int v) { FDropDownRows = v; }
    bool Expanded() const { return FExpanded; }
    void SetExpanded(bool v) { FExpanded = v; }
    bool Expandable() const { return false; }
    TFont* Font() const;
    void SetFont(TFont* v);
    TImeMode ImeMode() const { return FImeMode; }
    void SetImeMode(TImeMode v) { FImeMode = v; }
    QString ImeName() const { return FImeName; }
    void SetImeName(const QString& v) { FImeName = v; }
    TStrings* PickList() const { return FPickList; }
    void SetPickList(TStrings* v) { FPickList->Assign(v); }
    TComponent* PopupMenu() const { return FPopupMenu; }
    void SetPopupMenu(TComponent* v) { FPopupMenu = v; }
    bool ReadOnly() const;
    void SetReadOnly(bool v);
    TColumnTitle* Title() const { return FTitle; }
    void SetTitle(TColumnTitle* v) { FTitle->Assign(v); }
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);
    // Pixels; the default comes from the field's display width.
    int Width() const;
    void SetWidth(int v);
    // Shown in the grid (visible); nested object columns are not kept here, so
    // every column is its own master column of depth 0.
    bool Showing() const { return FVisible; }
    int Depth() const { return 0; }
    TColumn* MasterColumn() const { return const_cast<TColumn*>(this); }
    TColumn* ParentColumn() const { return nullptr; }

    int DefaultWidth() const;
    TAlignment DefaultAlignment() const;
    TColor DefaultColor() const;
    TFont* DefaultFont() const;
    bool DefaultReadOnly() const;
    void RestoreDefaults();
    void Assign(TPersistent* Source) override;
    QString DisplayName() const override;

private:
    friend class TColumnTitle;
    friend class TDBGridColumns;
    friend class TDBGrid;
    QString FFieldName;
    mutable TField* FField = nullptr;
    mutable quint64 FFieldStamp = 0;
    TAlignment FAlignment = taLeftJustify;
    bool FAlignmentAssigned = false, FColorAssigned = false, FFontAssigned = false, FReadOnlyAssigned = false;
    TColor FColor = clWindow;
    TColumnButtonStyle FButtonStyle = cbsAuto;
    int FDropDownRows = 7;
    bool FExpanded = true;
    TFont* FFont;
    TImeMode FImeMode = imDontCare;
    QString FImeName;
    TStrings* FPickList;
    TComponent* FPopupMenu = nullptr;
    bool FReadOnly = false;
    TColumnTitle* FTitle;
    bool FVisible = true;
    int FWidth = -1;           // -1: the default width
    bool FStored = true;       // made by the user (customised), not from the fields
    bool FSettingDefault = false;
    void FontChanged();
    void RefreshDefaultFont();
    void Changed() { TCollectionItem::Changed(false); }
};

class TDBGridColumns : public TCollection {
    QV_CLASS(TDBGridColumns, TCollection)
public:
    explicit TDBGridColumns(TDBGrid* grid);
    TDBGrid* Grid() const { return FGrid; }
    TColumn* Items(int i) const { return static_cast<TColumn*>(TCollection::Items(i)); }
    TColumn* operator[](int i) const { return Items(i); }
    TColumn* Add() { return static_cast<TColumn*>(TCollection::Add()); }
    // csDefault: the columns follow the dataset's visible fields and are
    // rebuilt when the fields change; adding a column makes them customised.
    TDBGridColumnsState State() const;
    void SetState(TDBGridColumnsState v);
    void RebuildColumns();
    void RestoreDefaults();
    TPersistent* GetOwner() const override;

protected:
    void Update(TCollectionItem* Item) override;
    void Notify(TCollectionItem* Item, bool added) override;

private:
    friend class TDBGrid;
    friend class TColumn;
    TDBGrid* FGrid;
    bool FInternal = false;   // columns being made from the fields
};

// The records of a multi-row selection, as bookmarks in view order.
class TBookmarkList {
public:
    explicit TBookmarkList(TDBGrid* grid) : FGrid(grid) {}
    int Count() const { return int(FList.size()); }
    const TBookmark& Items(int i) const { return FList.at(size_t(i)); }
    const TBookmark& operator[](int i) const { return Items(i); }
    bool CurrentRowSelected() const;
    void SetCurrentRowSelected(bool v);
    // True and the index when the bookmark is in the list, else false and the
    // index where it would go.
    bool Find(const TBookmark& b, int& index) const;
    int IndexOf(const TBookmark& b) const;
    void Clear();
    // Deletes every selected record from the dataset and empties the list.
    void Delete();
    // Drops bookmarks of records that are gone; true when some were.
    bool Refresh();
    // Compares two bookmarks by their records' places in the dataset.
    int Compare(const TBookmark& a, const TBookmark& b) const;

private:
    friend class TDBGrid;
    TDBGrid* FGrid;
    std::vector<TBookmark> FList;
    quint64 FStamp = 0;
    void Sort();
    void Changed();
};

// The in-place editor: a line edit, or a drop-down list for columns with a
// pick list and for lookup fields.
class TInplaceEdit {
public:
    explicit TInplaceEdit(TDBGrid* grid) : FGrid(grid) {}
    ~TInplaceEdit();
    QString Text() const;
    void SetText(const QString& v);
    bool Visible() const;
    bool Modified() const { return FModified; }
    void SetModified(bool v) { FModified = v; }
    QWidget* Widget() const;
    // The drop-down list's items (empty for a plain editor).
    QStringList Items() const;
    bool DroppedDown() const;
    void DropDown();
    void CloseUp(bool accept);
    void SelectAll();

private:
    friend class TDBGrid;
    TDBGrid* FGrid;
    QPointer<QWidget> FEdit;      // QLineEdit or QComboBox
    bool FList = false;           // a drop-down list
    bool FModified = false;
    bool FSetting = false;
};

// ---------------------------------------------------------------- the grid

class TGridDataLink;

// Watches the in-place editor's keys for the grid.
class TEditorKeyFilter : public QObject {
public:
    explicit TEditorKeyFilter(TDBGrid* g);
    bool eventFilter(QObject* o, QEvent* e) override;
private:
    TDBGrid* FGrid;
};

class TDBGrid : public TWinControl {
    QV_CLASS(TDBGrid, TWinControl)
public:
    explicit TDBGrid(TComponent* AOwner = nullptr);
    ~TDBGrid() override;

    TDataSource* DataSource() const;
    void SetDataSource(TDataSource* v);
    TGridDataLink* DataLink() const { return FDataLink; }
    TDBGridColumns* Columns() const { return FColumns; }
    void SetColumns(TDBGridColumns* v) { FColumns->Assign(v); }
    int FieldCount() const { return FColumns->Count(); }
    TField* Fields(int i) const;

    virtual TDBGridOptions Options() const { return FOptions; }
    virtual void SetOptions(TDBGridOptions v);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v);
    TFont* TitleFont() const { return FTitleFont; }
    void SetTitleFont(TFont* v) { FTitleFont->Assign(v); }
    TColor FixedColor() const { return FFixedColor; }
    void SetFixedColor(TColor v);
    // The base grid's own default drawing of cell texts.
    bool DefaultDrawing() const { return FDefaultDrawing; }
    void SetDefaultDrawing(bool v) { FDefaultDrawing = v; }

    // Current cell: the data column and the field shown there.
    int SelectedIndex() const;
    void SetSelectedIndex(int v);
    TField* SelectedField() const;
    void SetSelectedField(TField* f);
    // Raw current column and row.
    int Col() const { return FCol; }
    void SetCol(int v);
    int Row() const;
    int ColCount() const { return IndicatorOffset() + FColumns->Count(); }
    int RowCount() const;
    int LeftCol() const { return FLeftCol; }
    void SetLeftCol(int v);
    int TopRow() const { return TitleOffset(); }
    int VisibleColCount() const;
    int VisibleRowCount() const;
    // The raw fixed columns: the indicator and the frozen data columns.
    int FixedCount() const { return FFixedCols; }
    void SetFixedCount(int v);
    int IndicatorOffset() const { return FOptions.Contains(dgIndicator) ? 1 : 0; }
    int TitleOffset() const;

    int DefaultRowHeight() const { return FDefaultRowHeight; }
    void SetDefaultRowHeight(int v);
    int RowHeights(int row) const;
    void SetRowHeights(int row, int v);
    int ColWidths(int col) const;
    void SetColWidths(int col, int v);
    bool TabStops(int col) const;
    void SetTabStops(int col, bool v);

    TBookmarkList* SelectedRows() const { return FSelectedRows; }

    // The in-place editor; while it is open Enter and Esc are its own. Esc
    // on a row being edited or inserted is the grid's too: it cancels the
    // row, and the window's cancel button does not act on the same key.
    bool EditorMode() const { return FEditorMode; }
    bool WantsDialogKey(WORD Key, TShiftState Shift) const override;
    void SetEditorMode(bool v);
    TInplaceEdit* InplaceEditor() const { return FEditor; }
    void ShowEditor();
    void HideEditor();

    // The cell under a client point (-1, -1 when none), its rectangle (empty
    // when not on the screen).
    TGridCoord MouseCoord(int X, int Y) const;
    TRect CellRect(int ACol, int ARow) const;
    // The rectangle round the cells from (l, t) to (r, b).
    TRect BoxRect(int ALeft, int ATop, int ARight, int ABottom) const;
    TGridCanvas* Canvas() { return &FCanvas; }

    void BeginLayout();
    void EndLayout();
    bool InLayout() const { return FLayoutCount > 0; }
    // Draws what the window shows into a painter (the window's paint event and
    // off-screen renderings use it).
    void PaintTo(QPainter* painter, const TRect& clip);
    // Draws the grid into an image of its client size.
    QImage Grab();

    // Draws the field's text in the cell as the grid does by default.
    void DefaultDrawColumnCell(const TRect& Rect, int DataCol, TColumn* Column, TGridDrawState State);
    void DefaultDrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State);

    // Simulated input for tests: client coordinates, framework key codes.
    void SimulateKeyDown(WORD key, TShiftState shift = {});
    void SimulateKeyPress(QChar key);

    void SetFocus() override;

    // Leaves the new row as the focus leaving the grid does, now: an
    // untouched new row, the grid's own or one kept for a control that edits
    // it (a memo beside the grid), is cancelled; a typed one stays for its
    // post. A window closing calls it before it stores what is edited.
    void CancelUntouchedNewRow();

    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;
    TMouseEvent OnMouseDown, OnMouseUp;
    TMouseMoveEvent OnMouseMove;
    TMouseWheelUpDownEvent OnMouseWheelDown, OnMouseWheelUp;
    TDBGridClickEvent OnTitleClick;
    TDBGridClickEvent OnCellClick;
    TNotifyEvent OnColEnter, OnColExit, OnColumnMoved;
    TDrawColumnCellEvent OnDrawColumnCell;
    TDrawDataCellEvent OnDrawDataCell;
    TNotifyEvent OnEditButtonClick;

protected:
    friend class TGridDataLink;
    friend class TGridWidget;
    friend class TDBGridColumns;
    friend class TColumn;
    friend class TColumnTitle;
    friend class TBookmarkList;
    friend class TInplaceEdit;
    friend class TEditorKeyFilter;

    QWidget* CreateWidget(QWidget* parentWidget) override;
    QWidget* ClientOriginWidget() const override;
    void InitWidget() override;
    void FontChanged() override;
    void ColorChanged() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Resize() override;

    // ---- what derived grids customise
    virtual void Paint();
    virtual void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState);
    virtual void DrawColumnCell(const TRect& Rect, int DataCol, TColumn* Column, TGridDrawState State);
    virtual void DrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State);
    virtual bool HighlightCell(int DataCol, int DataRow, const QString& Value, TGridDrawState AState);
    virtual void KeyDown(WORD& Key, TShiftState Shift);
    virtual void KeyUp(WORD& Key, TShiftState Shift);
    virtual void KeyPress(QChar& Key);
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void DblClickAt(TShiftState Shift, int X, int Y);
    // Wheel: +1 down, -1 up; true when handled.
    virtual bool DoMouseWheel(int direction, TShiftState Shift, TPoint MousePos);
    virtual void TopLeftChanged();
    virtual void ColWidthsChanged();
    virtual void LayoutChanged();
    virtual bool CanEditShow();
    virtual bool CanEditModify();
    virtual void SetColumnAttributes();
    virtual void Scroll(int Distance);
    virtual void TitleClick(TColumn* Column);
    virtual void CellClick(TColumn* Column);
    virtual void ColumnMoved(int FromIndex, int ToIndex);
    virtual void EditorChanged() {}
    virtual void CancelMode();
    // The focus-acquiring option of the grid (always on here).
    bool FocusOnClick() const { return true; }

    // ---- the framework's helpers for derived grids
    bool AcquireFocus();
    void InvalidateCell(int ACol, int ARow);
    void InvalidateRow(int ARow);
    void InvalidateTitles();
    void InvalidateGrid() { Invalidate(); }
    // Whether the row's record (raw row) is the current record.
    bool IsCurrentRow(int ARow) const;
    // Moves the current cell; moves the dataset when the row changes.
    void MoveCol(int RawCol, int Direction = 0);
    bool IsColumnResizePoint(int X, int Y) const;
    void SetCapture(bool v);
    bool MouseCaptured() const { return FCaptured; }
    void Beep();
    // Whether the selected column's field can take the typed character.
    bool CanEditAcceptKey(QChar Key) const;
    bool HasFocusNow() const;
    bool IsActiveControl() const;
    int FirstDataRawCol() const { return IndicatorOffset(); }
    // The column at the raw index (none for the indicator).
    TColumn* RawColumn(int ACol) const;
    // Sends the edit text to the field.
    void UpdateData();
    void DataChanged();
    void UpdateScrollBars();
    void UpdateRowCount();
    void LinkActive(bool v);
    void RecordChanged(TField* f);
    void EditingChanged();
    void InternalLayout();
    // The base grid's own handling of a press and a release (no events fired).
    void GridMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    void GridMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    void KeyPressBase(QChar& Key);
    void KeyDownBase(WORD& Key, TShiftState Shift);
    bool CanModifyData() const;
    // Runs user input; errors go to the application's error display.
    void GuardedInput(const std::function<void()>& f);
    int ViewClientWidth() const;
    int ViewClientHeight() const;
    int RowTop(int ARow) const;
    int ResizeColumnAt(int X) const;

    TGridDataLink* FDataLink;
    TDBGridColumns* FColumns;
    TBookmarkList* FSelectedRows;
    TInplaceEdit* FEditor;
    TGridCanvas FCanvas;
    TDBGridOptions FOptions{dgEditing, dgTabs, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines,
                            dgConfirmDelete, dgCancelOnExit};
    bool FReadOnly = false;
    TFont* FTitleFont;
    TColor FFixedColor = clBtnFace;
    bool FDefaultDrawing = true;
    int FCol = 0;
    int FLeftCol = 0;            // first raw column shown after the fixed ones
    int FFixedCols = 1;          // raw fixed columns (the indicator counts)
    int FDefaultRowHeight = 17;
    int FTitleHeight = -1;       // -1: the default row height
    std::vector<char> FTabStops; // per raw column; empty: all true
    int FLayoutCount = 0;
    bool FLayoutPending = false;
    bool FEditorMode = false;
    bool FCaptured = false;
    bool FUpdatingEditor = false;
    bool FInColExit = false;
    // Mouse tracking of the base grid: column sizing and moving, title click.
    enum class TGridState { Normal, Selecting, ColSizing, ColMoving, TitlePress };
    TGridState FGridState = TGridState::Normal;
    int FSizingCol = -1, FSizingStart = 0, FSizingWidth = 0;
    int FMoveFrom = -1, FMoveTo = -1, FPressX = 0;
    bool FMoved = false;
    int FTitlePressCol = -1;
    QPointer<TGridWidget> FGridWidget;
    int FLastTopRecord = -1;
    int FLastLeftCol = -1;
    quint64 FFieldsStamp = 1;        // changes when the columns' fields must be found again
    bool FDefaultRowHeightValid = false;
    bool FEditorWanted = false;      // the user asked for the editor (Enter, F2, typing)
    bool FEditorReplaceHomeEnd = false;
    bool FEditorTypedKey = false;    // the grid hands the editor the key that opened it
    int FClickCol = -1;
    TRect FPaintClip;
    TEditorKeyFilter* FEditorFilter = nullptr;
    QMetaObject::Connection FNewRowWatch;    // see KeepNewRow
    bool FLeavingNewRow = false;             // see CancelUntouchedNewRow

protected:
    int IndicatorWidth() const { return 11; }
    int ColLineWidth() const { return FOptions.Contains(dgColLines) ? 1 : 0; }
    int RowLineWidth() const { return FOptions.Contains(dgRowLines) ? 1 : 0; }
    int DataRowsFit() const;
    int ColLeft(int ACol) const;   // -1 when not on the screen
    void DrawIndicatorCell(const TRect& r, int ARow);
    void DrawTitleCellBase(int ACol, const TRect& r);
    void DrawDataCellBase(int ACol, int ARow, const TRect& r, TGridDrawState state);
    void CreateEditorWidget();
    void PlaceEditor();
    void CheckTopLeft();
    bool ColumnsCustomised() const { return FColumns->State() == csCustomized; }
    void CheckBrowse();
    void DoColExit();
    void ComputeRowHeight();
    void VScrollTo(int viewRow);
    void QtKey(QKeyEvent* e);
    void DispatchKeyPress(QChar ch);
    void FocusLost();
    bool FocusLeftFor(QWidget* now) const;
    // Whether the widget belongs to a control of the grid's form that edits a
    // field of the grid's data source.
    bool EditsRecord(QWidget* w) const;
    // A new row in the grid that nobody has typed into (cancel on exit).
    bool UntouchedNewRow() const;
    // The untouched new row stays while the focus is in a control of the
    // form that edits it; the focus moving on from there is watched.
    void KeepNewRow();
    void StopKeepingNewRow();
    void NewRowFocusMoved();
    void EditorTextChanged();
    void RefreshEditorText();
    bool EditorKeyEvent(QKeyEvent* e);
};

// The grid's data link: follows the dataset and tells the grid.
class TGridDataLink : public TDataLink {
public:
    explicit TGridDataLink(TDBGrid* grid) : FGrid(grid) {}
    TDBGrid* Grid() const { return FGrid; }
    // Fields of the columns, for derived grids.
    int FieldCount() const { return FGrid->FieldCount(); }

protected:
    void ActiveChanged() override;
    void DataSetChanged() override;
    void DataSetScrolled(int Distance) override;
    void EditingChanged() override;
    void LayoutChanged() override;
    void RecordChanged(TField* Field) override;
    void UpdateData() override;
    void FocusControl(TField* Field) override;
    // Before the dataset leaves the record (a move, a refresh, another
    // insert), an untouched new row of a grid the rows are typed in goes as
    // it goes when the grid is left, rather than being stored empty with
    // its defaults.
    void CheckBrowseMode() override;

private:
    TDBGrid* FGrid;
};

// Framework texts of the grid.
extern const char* const SDeleteRecordQuestion;       // "Delete record?"
extern const char* const SDeleteMultipleRecordsQuestion;   // "Delete all selected records?"
