#include "components/QvDBCtrl.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>
#include <algorithm>

#include "components/AppUtils.h"
#include "components/DBUtils.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"

// ------------------------------------------------------------ pictures

namespace {

const QColor Olive(128, 128, 0), Fuchsia(255, 0, 255), Grey(128, 128, 128);

QImage FieldPicture(int index)
{
    QImage img(18, 14, QImage::Format_RGB32);
    img.fill(Olive);
    QPainter p(&img);
    p.setPen(Qt::black);
    switch (index) {
    case 0:   // blob: a sheet of binary digits
        p.fillRect(3, 1, 12, 12, Qt::white);
        p.drawRect(3, 1, 11, 11);
        for (int y = 3; y < 12; y += 3) p.drawLine(5, y, 12, y);
        break;
    case 1:   // memo: a page with lines of text
        p.fillRect(4, 1, 10, 12, Qt::white);
        p.drawRect(4, 1, 9, 11);
        for (int y = 3; y < 12; y += 2) p.drawLine(6, y, 11, y);
        break;
    case 2:   // picture: a frame with a hill
        p.fillRect(2, 2, 14, 10, QColor(0, 128, 128));
        p.drawRect(2, 2, 13, 9);
        p.setBrush(QColor(0, 128, 0));
        p.drawEllipse(5, 6, 8, 6);
        break;
    case 3:   // OLE: two linked boxes
        p.fillRect(2, 2, 7, 6, Qt::white);
        p.drawRect(2, 2, 6, 5);
        p.fillRect(9, 6, 7, 6, Qt::white);
        p.drawRect(9, 6, 6, 5);
        break;
    case 4:   // object: a cube
        p.drawRect(4, 4, 8, 8);
        p.drawLine(4, 4, 7, 1);
        p.drawLine(12, 4, 15, 1);
        p.drawLine(7, 1, 15, 1);
        p.drawLine(15, 1, 15, 9);
        p.drawLine(12, 12, 15, 9);
        break;
    case 5:   // data: a small table
        p.fillRect(2, 2, 14, 10, Qt::white);
        p.drawRect(2, 2, 13, 9);
        p.drawLine(2, 5, 15, 5);
        p.drawLine(7, 2, 7, 11);
        break;
    default:  // not empty: a filled square
        p.fillRect(6, 4, 6, 6, Qt::black);
        break;
    }
    return img;
}

QImage SortMarker(bool down)
{
    QImage img(10, 9, QImage::Format_RGB32);
    img.fill(Fuchsia);
    QPainter p(&img);
    if (down) {
        // Top edge and left slope grey, right slope white.
        p.setPen(Grey);
        p.drawLine(0, 1, 8, 1);
        p.drawLine(0, 1, 4, 8);
        p.setPen(Qt::white);
        p.drawLine(8, 1, 4, 8);
    } else {
        // Left slope grey, right slope and base white.
        p.setPen(Grey);
        p.drawLine(4, 0, 0, 7);
        p.setPen(Qt::white);
        p.drawLine(4, 0, 8, 7);
        p.drawLine(0, 7, 8, 7);
    }
    return img;
}

QImage SelectionMark(bool arrow)
{
    // Monochrome on white (the mask colour): black where the mark is.
    QImage img(6, 11, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    if (!arrow) {
        p.drawEllipse(1, 3, 4, 4);
    } else {
        p.setPen(Qt::black);
        p.drawLine(0, 1, 4, 5);
        p.drawLine(0, 9, 4, 5);
        p.drawLine(0, 2, 3, 5);
        p.drawLine(0, 8, 3, 5);
        p.setPen(Qt::NoPen);
        p.drawRect(4, 4, 2, 3);
    }
    return img;
}

struct Pictures {
    QImage pics[9];
    QImage marks[2];
    Pictures()
    {
        for (int i = 0; i < 7; ++i) pics[i] = FieldPicture(i);
        pics[7] = SortMarker(true);
        pics[8] = SortMarker(false);
        marks[0] = SelectionMark(false);
        marks[1] = SelectionMark(true);
    }
};

const Pictures& Pics()
{
    static const Pictures p;
    return p;
}

}  // namespace

const QImage& QvGridPicture(int index) { return Pics().pics[std::clamp(index, 0, 8)]; }
const QImage& QvGridSelectionMark(int index) { return Pics().marks[index ? 1 : 0]; }

QImage QvGridPictureByName(const QString& name)
{
    static const char* const names[] = {"DBG_BLOB", "DBG_MEMO", "DBG_PICT", "DBG_OLE", "DBG_OBJECT",
                                        "DBG_DATA", "DBG_NOTEMPTY", "DBG_SMDOWN", "DBG_SMUP"};
    for (int i = 0; i < 9; ++i)
        if (name == QLatin1String(names[i])) return QvGridPicture(i);
    if (name == QLatin1String("DBG_MSDOT")) return QvGridSelectionMark(0);
    if (name == QLatin1String("DBG_MSARROW")) return QvGridSelectionMark(1);
    return QImage();
}

namespace {

// The text cut to the width with "..." appended when it does not fit.
QString ShortenToWidth(const QString& text, const QFont& font, int width)
{
    QFontMetrics fm(font);
    if (fm.horizontalAdvance(text) <= width) return text;
    const QString dots = QStringLiteral("...");
    int n = text.size();
    while (n > 0 && fm.horizontalAdvance(text.left(n) + dots) > width) --n;
    return text.left(n) + dots;
}

}  // namespace

// ------------------------------------------------------------ TQvDBGrid

TQvDBGrid::TQvDBGrid(TComponent* AOwner) : TDBGrid(AOwner)
{
    TDBGrid::SetDefaultDrawing(false);
    TDBGrid::SetOptions(TDBGridOptions{dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines,
                                       dgConfirmDelete, dgCancelOnExit});
    FIniLink = new TIniLink;
    FIniLink->OnIniSave = [this](TObject* s) { IniSave(s); };
    FIniLink->OnIniLoad = [this](TObject* s) { IniLoad(s); };
    (void)Pics();
}

TQvDBGrid::~TQvDBGrid()
{
    FIniLink->SetStorage(nullptr);
    delete FIniLink;
}

TDBGridOptions TQvDBGrid::Options() const
{
    TDBGridOptions o = TDBGrid::Options() - dgMultiSelect;
    if (FMultiSelect) o += dgMultiSelect;
    return o;
}

void TQvDBGrid::SetOptions(TDBGridOptions v)
{
    TDBGrid::SetOptions(v - dgMultiSelect);
    SetMultiSelect(v.Contains(dgMultiSelect));
}

void TQvDBGrid::SetMultiSelect(bool v)
{
    if (v == FMultiSelect) return;
    FMultiSelect = v;
    if (!v) SelectedRows()->Clear();
    Invalidate();
}

void TQvDBGrid::SetTitleButtons(bool v)
{
    if (v == FTitleButtons) return;
    FTitleButtons = v;
    Invalidate();
    SetOptions(Options());
}

void TQvDBGrid::SetShowGlyphs(bool v)
{
    if (v == FShowGlyphs) return;
    FShowGlyphs = v;
    Invalidate();
}

void TQvDBGrid::SetRowsHeight(int v)
{
    if (ComponentState() & csDesigning) return;
    if (v == DefaultRowHeight()) return;
    SetDefaultRowHeight(v);
    if (TDBGrid::Options().Contains(dgTitles)) SetRowHeights(0, v + 2);
    UpdateRowCount();
}

void TQvDBGrid::SetIniStorage(TFormPlacement* v) { FIniLink->SetStorage(v); }

int TQvDBGrid::FixedCols() const
{
    if (DataLink()->Active()) return FixedCount() - IndicatorOffset();
    return FFixedColsStored;
}

void TQvDBGrid::SetFixedCols(int v)
{
    const int ind = IndicatorOffset();
    int count = std::max(v, 0) + ind;
    if (DataLink()->Active() && !IsLoading() && ColCount() > ind + 1) {
        count = std::min(count, ColCount() - 1);
        SetFixedCount(count);
        // The frozen data columns are no tab stops.
        for (int c = ind; c < FixedCount(); ++c) SetTabStops(c, false);
    }
    FFixedColsStored = count - ind;
    Invalidate();
}

void TQvDBGrid::ApplyFixedCols()
{
    if (!DataLink()->Active() || FFixedColsStored <= 0) return;
    const int prev = Col();
    SetFixedCols(FFixedColsStored);
    int first = FirstNonFrozenVisible();
    int c = std::min(std::max(first, prev), ColCount() - 1);
    if (c != Col() && c >= IndicatorOffset()) FCol = c;
}

int TQvDBGrid::FirstNonFrozenVisible() const
{
    for (int c = FixedCount(); c < ColCount(); ++c)
        if (ColWidths(c) > 0) return c;
    return FixedCount();
}

void TQvDBGrid::SetColumnAttributes()
{
    TDBGrid::SetColumnAttributes();
    if (FFixedColsStored > 0 && DataLink()->Active() && ColCount() > IndicatorOffset() + 1) {
        int count = std::min(FFixedColsStored + IndicatorOffset(), ColCount() - 1);
        if (count != FixedCount()) SetFixedCount(count);
        for (int c = IndicatorOffset(); c < count; ++c) SetTabStops(c, false);
    }
}

void TQvDBGrid::LayoutChanged()
{
    TDBGrid::LayoutChanged();
    if (DataLink()->Active() && FFixedColsStored > 0) {
        int c = std::min(std::max(FirstNonFrozenVisible(), Col()), ColCount() - 1);
        if (c >= IndicatorOffset()) FCol = c;
    }
}

void TQvDBGrid::ColWidthsChanged()
{
    TDBGrid::ColWidthsChanged();
    if (DataLink()->Active() && FFixedColsStored > 0) {
        int c = std::min(std::max(FirstNonFrozenVisible(), Col()), ColCount() - 1);
        if (c >= IndicatorOffset()) SetCol(c);
    }
}

void TQvDBGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) const
{
    TGridCoord c = MouseCoord(X, Y);
    ACol = c.X;
    ARow = c.Y;
}

int TQvDBGrid::GetImageIndex(TField* Field) const
{
    if (!FShowGlyphs || !Field) return -1;
    if (!ReadOnly() && Field->CanModify() && Field->OnGetText && Field->OnSetText) return -1;
    switch (Field->DataType()) {
    case ftBytes: case ftVarBytes: case ftBlob: case ftTypedBinary: case ftOraBlob: return 0;
    case ftMemo: case ftFmtMemo: case ftOraClob: return 1;
    case ftGraphic: return 2;
    case ftParadoxOle: case ftDBaseOle: return 3;
    case ftCursor: case ftReference: case ftDataSet: return 5;
    default: return -1;
    }
}

bool TQvDBGrid::CanEditShow()
{
    bool r = TDBGrid::CanEditShow();
    TField* f = SelectedField();
    if (r && f) r = GetImageIndex(f) < 0;
    if (r && OnShowEditor) OnShowEditor(this, f, r);
    return r;
}

void TQvDBGrid::EditorChanged()
{
    if (OnEditChange) OnEditChange(this);
}

// ---- drawing

void TQvDBGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState)
{
    TDBGrid::DrawCell(ACol, ARow, ARect, AState);
    const int ind = IndicatorOffset();
    if (ARow < TitleOffset() && TDBGrid::Options().Contains(dgTitles) && (FTitleButtons || FixedCols() > 0) &&
        !IsLoading() && ACol >= ind)
        DrawTitleButton(ACol, ARow, ARect);
    if (ind > 0 && ACol == 0 && ARow >= TitleOffset()) DrawSelectionMark(ARow, ARect);
}

void TQvDBGrid::DrawSelectionMark(int ARow, const TRect& ARect)
{
    TDataSet* ds = DataLink()->DataSet();
    if (!FMultiSelect || !DataLink()->Active() || !ds || ds->State() != dsBrowse) return;
    const int i = ARow - TitleOffset();
    if (i >= DataLink()->RecordCount()) return;
    TBookmark b = ds->ViewRowBookmark(DataLink()->FirstRecord() + i);
    if (b.IsNull()) return;
    int idx;
    if (!SelectedRows()->Find(b, idx)) return;
    const QImage& mark = QvGridSelectionMark(IsCurrentRow(ARow) ? 1 : 0);
    QPainter* p = Canvas()->Painter();
    if (!p) return;
    const int x = ARect.Right - 2 - mark.width();
    const int y = ARect.Top + (ARect.Height() - mark.height()) / 2;
    if (!IsCurrentRow(ARow)) {
        Canvas()->SetBrushColor(FixedColor());
        Canvas()->FillRect(ARect);
    }
    Canvas()->Draw(x, y, mark, clWhite);
}

void TQvDBGrid::DrawTitleButton(int ACol, int ARow, const TRect& ARect)
{
    TGridCanvas* cv = Canvas();
    QPainter* p = cv->Painter();
    if (!p) return;
    const TColor savedPen = cv->PenColor();
    try {
        cv->SetPenColor(clWindowFrame);
        const int dataCol = ACol - IndicatorOffset();
        TField* field = nullptr;
        TSortMarker marker = smNone;
        TColumn* column = nullptr;
        if (DataLink()->Active() && dataCol >= 0 && dataCol < Columns()->Count()) {
            column = Columns()->Items(dataCol);
            field = column->Field();
        }
        if (column && !column->Showing()) {
            cv->SetPenColor(savedPen);
            return;
        }
        TRect r = ARect;
        const TDBGridOptions opts = TDBGrid::Options();
        if ((opts.Contains(dgColLines) || FTitleButtons) && dataCol == FixedCols() - 1 && ACol + 1 < ColCount() &&
            ColWidths(ACol + 1) <= 0) {
            cv->MoveTo(r.Right, r.Top);
            cv->LineTo(r.Right, r.Bottom);
        }
        const bool down = FPressed && FTitleButtons && column && column == FPressedCol;
        if (FTitleButtons || (opts.Contains(dgColLines) && opts.Contains(dgRowLines))) {
            // A 3-D edge: bottom-right first, then top-left.
            p->save();
            const QColor light = ColorToQColor(clBtnHighlight), dark = ColorToQColor(clBtnShadow);
            p->setPen(down ? light : dark);
            p->drawLine(r.Right - 1, r.Top, r.Right - 1, r.Bottom - 1);
            p->drawLine(r.Left, r.Bottom - 1, r.Right - 1, r.Bottom - 1);
            p->setPen(down ? dark : light);
            p->drawLine(r.Left, r.Top, r.Right - 1, r.Top);
            p->drawLine(r.Left, r.Top, r.Left, r.Bottom - 1);
            p->restore();
            r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
        }
        cv->Font()->Assign(TitleFont());
        cv->SetBrushColor(FixedColor());
        if (column) {
            cv->Font()->Assign(column->Title()->Font());
            cv->SetBrushColor(column->Title()->Color());
        }
        if (FTitleButtons && field && OnGetBtnParams) {
            TColor bg = cv->BrushColor();
            OnGetBtnParams(this, field, cv->Font(), bg, marker, down);
            cv->SetBrushColor(bg);
        }
        if (down) r = Rect(r.Left + 1, r.Top + 1, r.Right, r.Bottom);
        if (!DataLink()->Active()) {
            cv->FillRect(r);
        } else if (!column) {
            cv->FillRect(r);
        } else {
            const QImage* pic = marker == smDown ? &QvGridPicture(7) : marker == smUp ? &QvGridPicture(8) : nullptr;
            const int reserve = pic ? pic->width() + 6 : 1;
            cv->FillRect(r);
            TRect tr = Rect(r.Left + 2, r.Top, r.Right - 2, r.Bottom);
            const QString caption =
                ShortenToWidth(column->Title()->Caption(), cv->Font()->ToQFont(), tr.Width() - reserve);
            const TAlignment a = column->Title()->Alignment();
            TRect textRect = tr;
            if (pic) textRect.Right = std::max(textRect.Left, textRect.Right - reserve + 1);
            cv->TextAligned(textRect, caption, a, a == taCenter, false);
            if (pic) {
                const int x = r.Right - pic->width() - 3 + (down ? 1 : 0);
                const int y = r.Top + (r.Height() - pic->height()) / 2;
                if (x > r.Left && x + pic->width() < r.Right) cv->Draw(x, y, *pic, clFuchsia);
            }
        }
    } catch (...) {
        cv->SetPenColor(savedPen);
        throw;
    }
    cv->SetPenColor(savedPen);
}

bool TQvDBGrid::HighlightCell(int DataCol, int DataRow, const QString& Value, TGridDrawState AState)
{
    TDataSet* ds = DataLink()->DataSet();
    if (FMultiSelect && ds && ds->Active() && SelectedRows()->Count() > 0) {
        TBookmark b = ds->ViewRowBookmark(DataLink()->FirstRecord() + DataRow);
        int i;
        if (!b.IsNull() && SelectedRows()->Find(b, i)) return true;
    }
    return TDBGrid::HighlightCell(DataCol, DataRow, Value, AState);
}

void TQvDBGrid::GetCellProps(TField* Field, TFont* AFont, TColor& Background, bool Highlight)
{
    if (OnGetCellParams) {
        OnGetCellParams(this, Field, AFont, Background, Highlight);
    } else if (OnGetCellProps) {
        if (Highlight) {
            TColor scratch = Background;
            const TColor fontColor = AFont->Color();
            OnGetCellProps(this, Field, AFont, scratch);
            AFont->SetColor(fontColor);
        } else {
            OnGetCellProps(this, Field, AFont, Background);
        }
    }
}

void TQvDBGrid::DrawColumnCell(const TRect& Rect, int DataCol, TColumn* Column, TGridDrawState State)
{
    TGridCanvas* cv = Canvas();
    TDataSet* ds = DataLink()->DataSet();
    const bool highlight = State.Contains(gdSelected) && (TDBGrid::Options().Contains(dgAlwaysShowSelection) || HasFocusNow());
    bool value = highlight;
    if (!highlight && FMultiSelect && ds && ds->Active() && SelectedRows()->Count() > 0) {
        TBookmark b = ds->ViewRowBookmark(ds->ActiveViewRow());
        int i;
        value = !b.IsNull() && SelectedRows()->Find(b, i);
    }
    TField* field = Column ? Column->Field() : nullptr;
    TColor bg = cv->BrushColor();
    GetCellProps(field, cv->Font(), bg, value);
    cv->SetBrushColor(bg);
    if (FOwnDefaultDrawing) {
        const int img = GetImageIndex(field);
        if (img >= 0) {
            cv->FillRect(Rect);
            const QImage& pic = QvGridPicture(img);
            cv->Draw(Rect.Left + (Rect.Width() - pic.width()) / 2, Rect.Top + (Rect.Height() - pic.height()) / 2, pic,
                     clOlive);
        } else {
            DefaultDrawColumnCell(Rect, DataCol, Column, State);
        }
    }
    if (Columns()->State() == csDefault) TDBGrid::DrawDataCell(Rect, field, State);
    TDBGrid::DrawColumnCell(Rect, DataCol, Column, State);
    if (FOwnDefaultDrawing && highlight && !(ComponentState() & csDesigning) &&
        !TDBGrid::Options().Contains(dgRowSelect) && IsActiveControl() && !(EditorMode() && InplaceEditor()->Visible()))
        cv->DrawFocusRect(Rect);
}

// ---- selection

void TQvDBGrid::DoClearSelection()
{
    if (FMultiSelect) {
        if (FClearSelection) SelectedRows()->Clear();
        FSelecting = false;
    }
}

bool TQvDBGrid::DeleteConfirmed(int count)
{
    if (!TDBGrid::Options().Contains(dgConfirmDelete)) return true;
    const QString q = QString::fromLatin1(count > 1 ? SDeleteMultipleRecordsQuestion : SDeleteRecordQuestion);
    return MessageDlg(q, mtConfirmation, TMsgDlgButtons{mbYes, mbNo}) == mrYes;
}

void TQvDBGrid::SelectionStep(int direction, TShiftState Shift)
{
    TDataSet* ds = DataLink()->DataSet();
    BeginLayout();
    try {
        bool add = false;
        if (FMultiSelect && DataLink()->Active()) {
            if (Shift.Contains(ssShift)) {
                if (!FSelecting) {
                    FSelectionAnchor = ds->GetBookmark();
                    SelectedRows()->SetCurrentRowSelected(true);
                    FSelecting = true;
                    add = true;
                } else {
                    const int cmp = SelectedRows()->Compare(ds->GetBookmark(), FSelectionAnchor);
                    if (cmp == -direction) {
                        SelectedRows()->SetCurrentRowSelected(false);
                        add = false;
                    } else {
                        add = true;
                    }
                }
            } else {
                // A plain move leaves the new current row alone selected.
                DoClearSelection();
                add = FClearSelection;
            }
        }
        CheckBrowse();
        ds->MoveBy(direction);
        if (add) SelectedRows()->SetCurrentRowSelected(true);
        if (direction > 0 && ds->Eof() && ds->CanModify() && !ReadOnly() && TDBGrid::Options().Contains(dgEditing))
            ds->Append();
    } catch (...) {
        EndLayout();
        throw;
    }
    EndLayout();
}

void TQvDBGrid::TabCheck(bool backwards)
{
    if (!FMultiSelect || !DataLink()->Active()) return;
    const int start = Col();
    int c = start;
    const int first = IndicatorOffset(), last = ColCount() - 1;
    if (last < first) return;
    for (int guard = 0; guard <= ColCount(); ++guard) {
        if (backwards) {
            --c;
            if (c < first) {
                DoClearSelection();
                c = last;
            }
        } else {
            ++c;
            if (c > last) {
                DoClearSelection();
                c = first;
            }
        }
        if (c == start || TabStops(c)) break;
    }
}

// ---- keyboard

void TQvDBGrid::KeyDown(WORD& Key, TShiftState Shift)
{
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
    if (Key == 0) return;
    auto base = [&] {
        TKeyEvent saved = std::move(OnKeyDown);
        OnKeyDown = nullptr;
        try {
            TDBGrid::KeyDown(Key, Shift);
        } catch (...) {
            OnKeyDown = std::move(saved);
            throw;
        }
        OnKeyDown = std::move(saved);
    };
    TDataSet* ds = DataLink()->DataSet();
    if (!DataLink()->Active() || !ds) return base();
    const bool ctrl = Shift.Contains(ssCtrl);
    const TDBGridOptions opts = TDBGrid::Options();
    // A row move by a key without Shift: the selection is cleared and, as
    // after a plain click, the row moved to is selected.
    auto rowMove = [&] {
        DoClearSelection();
        base();
        if (FMultiSelect && FClearSelection && !Shift.Contains(ssShift) && ds->State() == dsBrowse)
            SelectedRows()->SetCurrentRowSelected(true);
    };
    if (ctrl) {
        switch (Key) {
        case VK_PRIOR: case VK_NEXT: case VK_END: case VK_HOME: case VK_UP: case VK_DOWN:
            return rowMove();
        case VK_LEFT:
            if (FixedCols() > 0) {
                SetCol(FirstNonFrozenVisible());
                return;
            }
            return base();
        case VK_DELETE:
            if (!ReadOnly() && ds->CanModify() && !IsDataSetEmpty(ds)) {
                const int n = SelectedRows()->Count();
                if (DeleteConfirmed(n)) {
                    if (n > 0)
                        SelectedRows()->Delete();
                    else
                        ds->Delete();
                }
                return;
            }
            return base();
        default: return base();
        }
    }
    switch (Key) {
    case VK_HOME:
        if (FixedCols() > 0 && Columns()->Count() > 1 && !opts.Contains(dgRowSelect)) {
            SetCol(FirstNonFrozenVisible());
            return;
        }
        // In row-select mode Home and End go to the first and last rows.
        if (opts.Contains(dgRowSelect)) return rowMove();
        if (Columns()->Count() == 1) DoClearSelection();
        return base();
    case VK_END:
        if (opts.Contains(dgRowSelect)) return rowMove();
        if (Columns()->Count() == 1) DoClearSelection();
        return base();
    case VK_LEFT:
        if (FixedCols() > 0 && !opts.Contains(dgRowSelect) && Col() <= FirstNonFrozenVisible()) return;
        if (opts.Contains(dgRowSelect)) DoClearSelection();
        return base();
    case VK_RIGHT:
        if (opts.Contains(dgRowSelect)) DoClearSelection();
        return base();
    case VK_UP:
    case VK_DOWN:
        if (ds->State() == dsBrowse) {
            SelectionStep(Key == VK_UP ? -1 : 1, Shift);
            return;
        }
        return base();
    case VK_PRIOR: case VK_NEXT:
        return rowMove();
    case VK_ESCAPE:
        DoClearSelection();
        return base();
    case VK_INSERT:
        if (ds->CanModify() && !ReadOnly() && opts.Contains(dgEditing)) DoClearSelection();
        return base();
    case VK_TAB:
        if (!Shift.Contains(ssAlt)) TabCheck(Shift.Contains(ssShift));
        return base();
    default: return base();
    }
}

void TQvDBGrid::KeyPress(QChar& Key)
{
    // The form's key preview runs in the form; here the grid's own event.
    if (OnKeyPress) OnKeyPress(this, Key);
    if (Key.isNull()) return;
    KeyPressBase(Key);
}

// ---- mouse

bool TQvDBGrid::PointInTitle(int X, int Y, TColumn*& column) const
{
    column = nullptr;
    if (X < 0 || Y < 0 || X >= ViewClientWidth() || Y >= ViewClientHeight()) return false;
    TGridCoord c = MouseCoord(X, Y);
    if (c.Y < 0 || c.Y >= TitleOffset() || c.X < IndicatorOffset()) return false;
    column = RawColumn(c.X);
    return column != nullptr;
}

TColumn* TQvDBGrid::PressedColumn() const
{
    for (int i = 0; FPressedCol && i < Columns()->Count(); ++i)
        if (Columns()->Items(i) == FPressedCol) return FPressedCol;
    return nullptr;
}

void TQvDBGrid::TrackButton(int X, int Y)
{
    TColumn* col;
    const bool inTitle = PointInTitle(X, Y, col);
    const bool pressed = inTitle && col == FPressedCol;
    if (pressed != FPressed) {
        FPressed = pressed;
        InvalidateTitles();
    }
}

void TQvDBGrid::StopTracking()
{
    if (!FTracking) return;
    TrackButton(-1000, -1000);
    FTracking = false;
    FPressed = false;
    FPressedCol = nullptr;
    SetCapture(false);
    InvalidateTitles();
}

void TQvDBGrid::CancelMode()
{
    StopTracking();
    TDBGrid::CancelMode();
}

void TQvDBGrid::CheckTitleButton(int ACol, TField* Field, bool& Enabled)
{
    if (ACol >= 0 && ACol < Columns()->Count()) {
        if (OnCheckButton) OnCheckButton(this, ACol, Field, Enabled);
    } else {
        Enabled = false;
    }
}

void TQvDBGrid::TitleButtonClick(int ACol, TField* Field)
{
    if (OnTitleBtnClick) OnTitleBtnClick(this, ACol, Field);
}

void TQvDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (!AcquireFocus()) return;
    if (Button == mbLeft && Shift.Contains(ssDouble)) {
        DblClickAt(Shift, X, Y);
        return;
    }
    const TDBGridOptions opts = TDBGrid::Options();
    TGridCoord cell = MouseCoord(X, Y);
    const bool titleRow = cell.Y >= 0 && cell.Y < TitleOffset();
    const bool designing = ComponentState() & csDesigning;
    if (titleRow && IsColumnResizePoint(X, Y)) {
        GridMouseDown(Button, Shift, X, Y);
    } else if (titleRow && FTitleButtons && DataLink()->Active() && cell.X >= IndicatorOffset() && !designing) {
        if (Button == mbRight && opts.Contains(dgColumnResize)) {
            // Columns are dragged with the right button too.
            FSwapButtons = true;
            GridMouseDown(mbLeft, Shift - ssRight + ssLeft, X, Y);
            SetCapture(true);
        } else if (Button == mbLeft) {
            const int dataCol = cell.X - IndicatorOffset();
            bool enabled = true;
            TColumn* col = RawColumn(cell.X);
            CheckTitleButton(dataCol, col ? col->Field() : nullptr, enabled);
            if (!enabled) {
                Beep();
            } else {
                SetCapture(true);
                FTracking = true;
                FPressedCol = col;
                TrackButton(X, Y);
            }
        }
    } else if (cell.X >= 0 && cell.X < FixedCount() && DataLink()->Active() && !titleRow) {
        if (IndicatorOffset() > 0) {
            // On the indicator: selects the row, never the frozen cell.
            GridMouseDown(Button, Shift, 1, Y);
        } else if (cell.Y >= TitleOffset()) {
            TDataSet* ds = DataLink()->DataSet();
            CheckBrowse();
            ds->MoveBy((cell.Y - TitleOffset()) - (ds->CurrentViewRow() - DataLink()->FirstRecord()));
        }
    } else {
        GridMouseDown(Button, Shift, X, Y);
    }
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
    if (titleRow && (designing || opts.Contains(dgColumnResize))) return;
    if (Button == mbLeft && FMultiSelect && DataLink()->Active() && !titleRow) {
        FSelecting = false;
        if (Shift.Contains(ssCtrl)) {
            SelectedRows()->SetCurrentRowSelected(!SelectedRows()->CurrentRowSelected());
        } else {
            SelectedRows()->Clear();
            if (FClearSelection) SelectedRows()->SetCurrentRowSelected(true);
        }
    }
}

void TQvDBGrid::MouseMove(TShiftState Shift, int X, int Y)
{
    if (FTracking) {
        TrackButton(X, Y);
        if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
        return;
    }
    TDBGrid::MouseMove(Shift, X, Y);
}

void TQvDBGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (FTracking && FPressedCol) {
        TColumn* col;
        TColumn* pressed = PressedColumn();
        const bool click = PointInTitle(X, Y, col) && pressed && col == pressed;
        StopTracking();
        if (click && DataLink()->Active()) {
            TGridCoord c = MouseCoord(X, Y);
            const int dataCol = c.X - IndicatorOffset();
            if (dataCol >= 0 && dataCol < Columns()->Count()) TitleButtonClick(pressed->Index(), pressed->Field());
        }
        TDBGrid::MouseUp(Button, Shift, X, Y);
        return;
    }
    if (FSwapButtons) {
        FSwapButtons = false;
        SetCapture(false);
        if (Button == mbRight) Button = mbLeft;
    }
    TDBGrid::MouseUp(Button, Shift, X, Y);
}

bool TQvDBGrid::DoMouseWheel(int direction, TShiftState Shift, TPoint MousePos)
{
    bool handled = false;
    const TMouseWheelUpDownEvent& ev = direction > 0 ? OnMouseWheelDown : OnMouseWheelUp;
    if (ev) ev(this, Shift, MousePos, handled);
    if (handled) return true;
    TDataSet* ds = DataLink()->DataSet();
    if (!CanFocus() || !DataLink()->Active() || !ds) return false;
    CheckBrowse();
    return ds->MoveBy(direction) != 0;
}

void TQvDBGrid::TopLeftChanged()
{
    if (TDBGrid::Options().Contains(dgRowSelect) && FOwnDefaultDrawing) InvalidateRow(Row());
    TDBGrid::TopLeftChanged();
    StopTracking();
    if (OnTopLeftChanged) OnTopLeftChanged(this);
}

// ---- layout store

QString TQvDBGrid::LayoutSection()
{
    const QString root = FIniLink->RootSection();
    if (Columns()->State() == csCustomized) return root + GetDefaultSection(this);
    if (!root.isEmpty() && DataLink()->DataSet()) return root + DataSetSectionName(DataLink()->DataSet());
    return QString();
}

void TQvDBGrid::IniSave(TObject*)
{
    TObject* ini = FIniLink->IniObject();
    if (Name().isEmpty() || !ini) return;
    const QString section = LayoutSection();
    if (Columns()->State() == csCustomized)
        SaveGridLayout(ini, section);
    else if (DataLink()->DataSet())
        SaveFields(DataLink()->DataSet(), ini, section);
}

void TQvDBGrid::IniLoad(TObject*)
{
    TObject* ini = FIniLink->IniObject();
    if (Name().isEmpty() || !ini) return;
    const QString section = LayoutSection();
    BeginLayout();
    try {
        if (Columns()->State() == csCustomized)
            RestoreGridLayout(ini, section);
        else if (DataLink()->DataSet())
            RestoreFields(DataLink()->DataSet(), ini, section, false);
    } catch (...) {
        EndLayout();
        throw;
    }
    EndLayout();
}

void TQvDBGrid::SaveGridLayout(TObject* IniFile, const QString& Section)
{
    const QString section = Section.isEmpty() ? GetDefaultSection(this) : Section;
    IniEraseSection(IniFile, section);
    for (int i = 0; i < Columns()->Count(); ++i) {
        TColumn* c = Columns()->Items(i);
        IniWriteString(IniFile, section, QStringLiteral("%1.%2").arg(Name(), c->FieldName()),
                       QStringLiteral("%1,%2").arg(c->Index()).arg(c->Width()));
    }
}

void TQvDBGrid::RestoreGridLayout(TObject* IniFile, const QString& Section)
{
    const QString section = Section.isEmpty() ? GetDefaultSection(this) : Section;
    struct Entry { TColumn* column; int index; };
    std::vector<Entry> entries;
    const QRegularExpression sep(QStringLiteral("[ ,]"));
    for (int i = 0; i < Columns()->Count(); ++i) {
        TColumn* c = Columns()->Items(i);
        const QString text = IniReadString(IniFile, section, QStringLiteral("%1.%2").arg(Name(), c->FieldName()), QString());
        Entry e{c, c->Index()};
        if (!text.isEmpty()) {
            const QStringList words = text.split(sep, Qt::SkipEmptyParts);
            bool ok = false;
            if (words.size() >= 1) {
                int v = words[0].toInt(&ok);
                if (ok) e.index = v;
            }
            if (words.size() >= 2) {
                int w = words[1].toInt(&ok);
                if (ok) c->SetWidth(w);
            }
        }
        entries.push_back(e);
    }
    for (int pos = 0; pos < int(entries.size()); ++pos)
        for (const Entry& e : entries)
            if (e.index == pos) {
                e.column->SetIndex(pos);
                break;
            }
}
