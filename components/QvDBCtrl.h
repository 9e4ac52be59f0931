#pragma once
// TQvDBGrid: the data grid of the register windows, the record picker and the
// session dialog. On top of the platform's TDBGrid it draws the titles as
// buttons that can be pressed, draws the sort marker the form asks for
// (OnGetBtnParams), lets the form choose each cell's font and background
// (OnGetCellParams / OnGetCellProps), keeps its own multi-row selection
// (mouse, Ctrl+click, Shift+arrows) with marks in the indicator column, has
// frozen data columns (FixedCols), shows pictures for memo and blob fields,
// applies its own keyboard rules (deletion, Tab, Home/Left in frozen
// columns), fires OnKeyPress also outside the in-place editor, and can keep
// its column layout in the settings file through IniStorage.
//
// The "DBG_" pictures are drawn by the program itself, at the sizes the
// grid's layout relies on: field pictures 18 x 14 on olive, sort markers
// 10 x 9 on fuchsia, selection marks 6 x 11 (white is the mask).
#include <QImage>

#include "components/Placement.h"
#include "platform/ui/DBGrids.h"

enum TSortMarker { smNone, smDown, smUp };

using TCheckTitleBtnEvent = std::function<void(TObject* Sender, int ACol, TField* Field, bool& Enabled)>;
using TGetCellPropsEvent = std::function<void(TObject* Sender, TField* Field, TFont* AFont, TColor& Background)>;
using TGetCellParamsEvent =
    std::function<void(TObject* Sender, TField* Field, TFont* AFont, TColor& Background, bool Highlight)>;
using TGetBtnParamsEvent = std::function<void(TObject* Sender, TField* Field, TFont* AFont, TColor& Background,
                                              TSortMarker& SortMarker, bool IsDown)>;
using TDBEditShowEvent = std::function<void(TObject* Sender, TField* Field, bool& AllowEdit)>;
using TTitleClickEvent = std::function<void(TObject* Sender, int ACol, TField* Field)>;

// The grid's pictures by index: 0 DBG_BLOB, 1 DBG_MEMO, 2 DBG_PICT, 3 DBG_OLE,
// 4 DBG_OBJECT, 5 DBG_DATA, 6 DBG_NOTEMPTY, 7 DBG_SMDOWN, 8 DBG_SMUP; and the
// selection marks 0 DBG_MSDOT, 1 DBG_MSARROW. Made once per run.
const QImage& QvGridPicture(int index);
const QImage& QvGridSelectionMark(int index);
// The picture by resource name ("DBG_MEMO", ...); a null image when unknown.
QImage QvGridPictureByName(const QString& name);

class TQvDBGrid : public TDBGrid {
    QV_CLASS(TQvDBGrid, TDBGrid)
public:
    explicit TQvDBGrid(TComponent* AOwner = nullptr);
    ~TQvDBGrid() override;

    // dgMultiSelect is present exactly when MultiSelect is on.
    TDBGridOptions Options() const override;
    void SetOptions(TDBGridOptions v) override;
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool v);
    int FixedCols() const;
    void SetFixedCols(int v);
    bool ClearSelection() const { return FClearSelection; }
    void SetClearSelection(bool v) { FClearSelection = v; }
    bool DefaultDrawing() const { return FOwnDefaultDrawing; }
    void SetDefaultDrawing(bool v) { FOwnDefaultDrawing = v; Invalidate(); }
    TFormPlacement* IniStorage() const { return FIniLink->Storage(); }
    void SetIniStorage(TFormPlacement* v);
    bool ShowGlyphs() const { return FShowGlyphs; }
    void SetShowGlyphs(bool v);
    bool TitleButtons() const { return FTitleButtons; }
    void SetTitleButtons(bool v);
    int RowsHeight() const { return DefaultRowHeight(); }
    void SetRowsHeight(int v);

    // Raw column and row of the cell under the client point (-1 when none).
    void MouseToCell(int X, int Y, int& ACol, int& ARow) const;
    void SaveGridLayout(TObject* IniFile, const QString& Section);
    void RestoreGridLayout(TObject* IniFile, const QString& Section);
    // The column whose title button is held down (none when none).
    // The title button held down, or nullptr. The grid remakes its columns
    // when the dataset reopens, so the pressed one counts only while it is
    // still among them.
    TColumn* PressedColumn() const;
    bool TitlePressed() const { return FPressed; }
    bool Tracking() const { return FTracking; }
    // The picture index of a field (-1: its text is shown).
    int GetImageIndex(TField* Field) const;

    TCheckTitleBtnEvent OnCheckButton;
    TGetCellPropsEvent OnGetCellProps;
    TGetCellParamsEvent OnGetCellParams;
    TGetBtnParamsEvent OnGetBtnParams;
    TNotifyEvent OnEditChange;
    TDBEditShowEvent OnShowEditor;
    TTitleClickEvent OnTitleBtnClick;
    TNotifyEvent OnTopLeftChanged;

protected:
    void DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState) override;
    void DrawColumnCell(const TRect& Rect, int DataCol, TColumn* Column, TGridDrawState State) override;
    void DrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State) override {}
    bool HighlightCell(int DataCol, int DataRow, const QString& Value, TGridDrawState AState) override;
    void KeyDown(WORD& Key, TShiftState Shift) override;
    void KeyPress(QChar& Key) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    bool DoMouseWheel(int direction, TShiftState Shift, TPoint MousePos) override;
    void TopLeftChanged() override;
    void ColWidthsChanged() override;
    void LayoutChanged() override;
    bool CanEditShow() override;
    void SetColumnAttributes() override;
    void CancelMode() override;
    void EditorChanged() override;

    virtual void GetCellProps(TField* Field, TFont* AFont, TColor& Background, bool Highlight);
    virtual void CheckTitleButton(int ACol, TField* Field, bool& Enabled);
    virtual void TitleButtonClick(int ACol, TField* Field);

private:
    bool FShowGlyphs = true;
    bool FOwnDefaultDrawing = true;
    bool FMultiSelect = false;
    bool FSelecting = false;
    bool FClearSelection = true;
    bool FTitleButtons = false;
    TColumn* FPressedCol = nullptr;
    bool FPressed = false;
    bool FTracking = false;
    bool FSwapButtons = false;
    TIniLink* FIniLink;
    int FDisableCount = 0;
    int FFixedColsStored = 0;
    TBookmark FSelectionAnchor;
    bool FInKeyDown = false;

    void DrawTitleButton(int ACol, int ARow, const TRect& ARect);
    void DrawSelectionMark(int ARow, const TRect& ARect);
    void TrackButton(int X, int Y);
    void StopTracking();
    bool PointInTitle(int X, int Y, TColumn*& column) const;
    void DoClearSelection();
    void SelectionStep(int direction, TShiftState Shift);
    void TabCheck(bool backwards);
    bool DeleteConfirmed(int count);
    void ApplyFixedCols();
    int FirstNonFrozenVisible() const;
    void IniSave(TObject*);
    void IniLoad(TObject*);
    QString LayoutSection();
};
