#include "platform/ui/DBGrids.h"
#include "platform/ui/EventBridge.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

#include "platform/core/TypInfo.h"
#include "platform/ui/ComboBoxes.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/PaintCtrls.h"

const char* const SDeleteRecordQuestion = "Delete record?";
const char* const SDeleteMultipleRecordsQuestion = "Delete all selected records?";

namespace {

QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }

}  // namespace

// ------------------------------------------------------------ TGridCanvas

TGridCanvas::TGridCanvas() = default;

void TGridCanvas::FillRect(const TRect& r)
{
    if (!FPainter || r.Width() <= 0 || r.Height() <= 0) return;
    FPainter->fillRect(ToQRect(r), ColorToQColor(FBrush));
}

void TGridCanvas::TextRect(const TRect& r, int x, int y, const QString& text)
{
    if (!FPainter) return;
    FillRect(r);
    if (text.isEmpty()) return;
    FPainter->save();
    FPainter->setClipRect(ToQRect(r), Qt::IntersectClip);
    FPainter->setFont(FFont.ToQFont());
    FPainter->setPen(ColorToQColor(FFont.Color()));
    QFontMetrics fm(FPainter->font());
    FPainter->drawText(x, y + fm.ascent(), text);
    FPainter->restore();
}

void TGridCanvas::TextAligned(const TRect& r, const QString& text, TAlignment alignment, bool wordWrap,
                              bool rightToLeft)
{
    if (!FPainter || text.isEmpty()) return;
    int flags = Qt::AlignVCenter;
    TAlignment a = alignment;
    if (rightToLeft && a != taCenter) a = a == taLeftJustify ? taRightJustify : taLeftJustify;
    flags |= a == taLeftJustify ? Qt::AlignLeft : a == taRightJustify ? Qt::AlignRight : Qt::AlignHCenter;
    if (wordWrap) flags |= Qt::TextWordWrap;
    FPainter->save();
    FPainter->setClipRect(ToQRect(r), Qt::IntersectClip);
    FPainter->setFont(FFont.ToQFont());
    FPainter->setPen(ColorToQColor(FFont.Color()));
    FPainter->drawText(ToQRect(r), flags, text);
    FPainter->restore();
}

int TGridCanvas::TextWidth(const QString& text) const
{
    return QFontMetrics(FFont.ToQFont()).horizontalAdvance(text);
}

int TGridCanvas::TextHeight(const QString&) const { return QFontMetrics(FFont.ToQFont()).height(); }

void TGridCanvas::LineTo(int x, int y)
{
    if (FPainter) {
        FPainter->save();
        FPainter->setPen(QPen(ColorToQColor(FPen), 1));
        // Like the platform's LineTo, the end point itself is not drawn.
        if (x == FPos.X)
            FPainter->drawLine(x, FPos.Y, x, y > FPos.Y ? y - 1 : y + 1);
        else if (y == FPos.Y)
            FPainter->drawLine(FPos.X, y, x > FPos.X ? x - 1 : x + 1, y);
        else
            FPainter->drawLine(FPos.X, FPos.Y, x, y);
        FPainter->restore();
    }
    FPos = Point(x, y);
}

void TGridCanvas::DrawFocusRect(const TRect& r)
{
    if (!FPainter || r.Width() <= 1 || r.Height() <= 1) return;
    FPainter->save();
    QPen pen(Qt::black, 1, Qt::DotLine);
    FPainter->setPen(pen);
    FPainter->setBrush(Qt::NoBrush);
    FPainter->drawRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1);
    FPainter->restore();
}

void TGridCanvas::Draw(int x, int y, const QImage& image, TColor transparent)
{
    if (!FPainter || image.isNull()) return;
    if (transparent == clNone) {
        FPainter->drawImage(x, y, image);
        return;
    }
    QImage img = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = ColorToQColor(transparent).rgb() & 0xFFFFFF;
    for (int j = 0; j < img.height(); ++j) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(j));
        for (int i = 0; i < img.width(); ++i)
            if ((line[i] & 0xFFFFFF) == key) line[i] = 0;
    }
    FPainter->drawImage(x, y, img);
}

// ------------------------------------------------------------ TColumnTitle

TColumnTitle::TColumnTitle(TColumn* column) : FColumn(column), FFont(new TFont)
{
    FFont->OnChange = [this](TObject*) { FontChanged(); };
    RefreshDefaultFont();
}

TColumnTitle::~TColumnTitle() { delete FFont; }

QString TColumnTitle::Caption() const
{
    if (FCaptionAssigned) return FCaption;
    if (TField* f = FColumn->Field()) return f->DisplayLabel();
    return FColumn->FieldName();
}

void TColumnTitle::SetCaption(const QString& v)
{
    FCaption = v;
    FCaptionAssigned = true;
    FColumn->Changed();
}

TAlignment TColumnTitle::Alignment() const { return FAlignmentAssigned ? FAlignment : taLeftJustify; }

void TColumnTitle::SetAlignment(TAlignment v)
{
    FAlignment = v;
    FAlignmentAssigned = true;
    FColumn->Changed();
}

TColor TColumnTitle::Color() const
{
    if (FColorAssigned) return FColor;
    TDBGrid* g = FColumn->Grid();
    return g ? g->FixedColor() : clBtnFace;
}

void TColumnTitle::SetColor(TColor v)
{
    FColor = v;
    FColorAssigned = true;
    FColumn->Changed();
}

TFont* TColumnTitle::Font() const
{
    const_cast<TColumnTitle*>(this)->RefreshDefaultFont();
    return FFont;
}

void TColumnTitle::SetFont(TFont* v) { FFont->Assign(v); }

void TColumnTitle::FontChanged()
{
    if (FSettingDefault) return;
    FFontAssigned = true;
    FColumn->Changed();
}

void TColumnTitle::RefreshDefaultFont()
{
    if (FFontAssigned) return;
    TDBGrid* g = FColumn->Grid();
    if (!g) return;
    FSettingDefault = true;
    if (!(*FFont == *g->TitleFont())) FFont->Assign(g->TitleFont());
    FSettingDefault = false;
}

void TColumnTitle::RestoreDefaults()
{
    FCaptionAssigned = FAlignmentAssigned = FColorAssigned = FFontAssigned = false;
    RefreshDefaultFont();
    FColumn->Changed();
}

void TColumnTitle::Assign(TPersistent* Source)
{
    auto* t = dynamic_cast<TColumnTitle*>(Source);
    if (!t) return TPersistent::Assign(Source);
    if (t->FCaptionAssigned) SetCaption(t->FCaption);
    if (t->FAlignmentAssigned) SetAlignment(t->FAlignment);
    if (t->FColorAssigned) SetColor(t->FColor);
    if (t->FFontAssigned) SetFont(t->FFont);
}

// ----------------------------------------------------------------- TColumn

TColumn::TColumn(TCollection* Collection) : TCollectionItem(Collection), FFont(new TFont), FPickList(new TStringList)
{
    FTitle = new TColumnTitle(this);
    FFont->OnChange = [this](TObject*) { FontChanged(); };
    auto* cols = dynamic_cast<TDBGridColumns*>(Collection);
    FStored = !(cols && cols->FInternal);
    RefreshDefaultFont();
    // A column made by the user replaces the columns made from the fields.
    if (cols && FStored) {
        for (int i = cols->Count() - 1; i >= 0; --i) {
            TColumn* c = cols->Items(i);
            if (c != this && !c->FStored) delete c;
        }
    }
}

TColumn::~TColumn()
{
    delete FTitle;
    delete FPickList;
    delete FFont;
}

TDBGrid* TColumn::Grid() const
{
    auto* cols = dynamic_cast<TDBGridColumns*>(Collection());
    return cols ? cols->Grid() : nullptr;
}

TField* TColumn::Field() const
{
    TDBGrid* g = Grid();
    if (!g) return nullptr;
    if (FFieldStamp != g->FFieldsStamp) {
        FFieldStamp = g->FFieldsStamp;
        FField = nullptr;
        TDataSet* ds = g->DataLink()->DataSet();
        if (ds && ds->Active() && !FFieldName.isEmpty()) FField = ds->FindField(FFieldName);
    }
    return FField;
}

void TColumn::SetField(TField* f)
{
    SetFieldName(f ? f->FieldName() : QString());
}

void TColumn::SetFieldName(const QString& v)
{
    // A column made from the fields that is given another field no longer
    // follows them: the columns become customised. Left default, the next
    // layout pass would make them anew in the fields' order and with their
    // default widths (a stored layout loaded item by item would be lost).
    if (!FStored && v != FFieldName)
        if (auto* cols = dynamic_cast<TDBGridColumns*>(Collection()); cols && !cols->FInternal)
            cols->SetState(csCustomized);
    FFieldName = v;
    FFieldStamp = 0;
    if (TDBGrid* g = Grid()) ++g->FFieldsStamp;
    Changed();
}

TAlignment TColumn::Alignment() const { return FAlignmentAssigned ? FAlignment : DefaultAlignment(); }

void TColumn::SetAlignment(TAlignment v)
{
    FAlignment = v;
    FAlignmentAssigned = true;
    Changed();
}

TAlignment TColumn::DefaultAlignment() const
{
    if (TField* f = Field()) {
        if (dynamic_cast<TNumericField*>(f)) return taRightJustify;
    }
    return taLeftJustify;
}

void TColumn::SetButtonStyle(TColumnButtonStyle v)
{
    FButtonStyle = v;
    Changed();
}

TColor TColumn::Color() const { return FColorAssigned ? FColor : DefaultColor(); }

void TColumn::SetColor(TColor v)
{
    FColor = v;
    FColorAssigned = true;
    Changed();
}

TColor TColumn::DefaultColor() const
{
    TDBGrid* g = Grid();
    return g ? g->Color() : clWindow;
}

TFont* TColumn::Font() const
{
    const_cast<TColumn*>(this)->RefreshDefaultFont();
    return FFont;
}

void TColumn::SetFont(TFont* v) { FFont->Assign(v); }

TFont* TColumn::DefaultFont() const
{
    TDBGrid* g = Grid();
    return g ? g->Font() : FFont;
}

void TColumn::FontChanged()
{
    if (FSettingDefault) return;
    FFontAssigned = true;
    Changed();
}

void TColumn::RefreshDefaultFont()
{
    if (FFontAssigned) return;
    TDBGrid* g = Grid();
    if (!g) return;
    FSettingDefault = true;
    if (!(*FFont == *g->Font())) FFont->Assign(g->Font());
    FSettingDefault = false;
}

bool TColumn::ReadOnly() const { return FReadOnlyAssigned ? FReadOnly : DefaultReadOnly(); }

void TColumn::SetReadOnly(bool v)
{
    FReadOnly = v;
    FReadOnlyAssigned = true;
    Changed();
}

bool TColumn::DefaultReadOnly() const
{
    TField* f = Field();
    return f && f->ReadOnly();
}

void TColumn::SetVisible(bool v)
{
    if (v == FVisible) return;
    FVisible = v;
    Changed();
}

int TColumn::Width() const { return FWidth >= 0 ? FWidth : DefaultWidth(); }

void TColumn::SetWidth(int v)
{
    if (v < 0) v = 0;
    if (v == FWidth) return;
    FWidth = v;
    Changed();
}

int TColumn::DefaultWidth() const
{
    TDBGrid* g = Grid();
    if (!g) return 64;
    TField* f = Field();
    if (!f) return 64;
    QFontMetrics fm(Font()->ToQFont());
    int w = std::min(f->DisplayWidth(), 50) * fm.horizontalAdvance(QLatin1Char('0')) + 4;
    if (g->Options().Contains(dgTitles)) {
        QFontMetrics tm(FTitle->Font()->ToQFont());
        w = std::max(w, tm.horizontalAdvance(FTitle->Caption()) + 4);
    }
    return w;
}

void TColumn::RestoreDefaults()
{
    FAlignmentAssigned = FColorAssigned = FFontAssigned = FReadOnlyAssigned = false;
    FWidth = -1;
    FTitle->RestoreDefaults();
    RefreshDefaultFont();
    Changed();
}

void TColumn::Assign(TPersistent* Source)
{
    auto* c = dynamic_cast<TColumn*>(Source);
    if (!c) return TPersistent::Assign(Source);
    SetFieldName(c->FFieldName);
    if (c->FAlignmentAssigned) SetAlignment(c->FAlignment);
    if (c->FColorAssigned) SetColor(c->FColor);
    if (c->FFontAssigned) SetFont(c->FFont);
    if (c->FReadOnlyAssigned) SetReadOnly(c->FReadOnly);
    FButtonStyle = c->FButtonStyle;
    FDropDownRows = c->FDropDownRows;
    FExpanded = c->FExpanded;
    FImeMode = c->FImeMode;
    FImeName = c->FImeName;
    FPickList->Assign(c->FPickList);
    FPopupMenu = c->FPopupMenu;
    FVisible = c->FVisible;
    FWidth = c->FWidth;
    FTitle->Assign(c->FTitle);
    Changed();
}

QString TColumn::DisplayName() const { return FFieldName.isEmpty() ? ClassName() : FFieldName; }

// ------------------------------------------------------------ TDBGridColumns

TDBGridColumns::TDBGridColumns(TDBGrid* grid)
    : TCollection([](TCollection* c) { return new TColumn(c); }),
      FGrid(grid)
{
}

TDBGridColumnsState TDBGridColumns::State() const
{
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->FStored) return csCustomized;
    return csDefault;
}

void TDBGridColumns::SetState(TDBGridColumnsState v)
{
    if (v == State()) return;
    if (v == csDefault) {
        Clear();
        RebuildColumns();
    } else {
        for (int i = 0; i < Count(); ++i) Items(i)->FStored = true;
    }
}

void TDBGridColumns::RebuildColumns()
{
    if (State() == csCustomized || !FGrid) return;
    TDataSet* ds = FGrid->DataLink()->DataSet();
    BeginUpdate();
    FInternal = true;
    try {
        while (Count() > 0) delete Items(Count() - 1);
        if (ds && ds->Active())
            for (TField* f : ds->FieldList())
                if (f->Visible()) Add()->FFieldName = f->FieldName();
    } catch (...) {
        FInternal = false;
        EndUpdate();
        throw;
    }
    FInternal = false;
    ++FGrid->FFieldsStamp;
    EndUpdate();
}

void TDBGridColumns::RestoreDefaults()
{
    BeginUpdate();
    for (int i = 0; i < Count(); ++i) Items(i)->RestoreDefaults();
    EndUpdate();
}

TPersistent* TDBGridColumns::GetOwner() const { return FGrid; }

void TDBGridColumns::Update(TCollectionItem*)
{
    if (FGrid && !FGrid->IsDestroying()) FGrid->InternalLayout();
}

void TDBGridColumns::Notify(TCollectionItem*, bool) {}

// ------------------------------------------------------------ TBookmarkList

int TBookmarkList::Compare(const TBookmark& a, const TBookmark& b) const
{
    TDataSet* ds = FGrid->DataLink()->DataSet();
    if (!ds || !ds->Active()) return a.Key < b.Key ? -1 : a.Key > b.Key ? 1 : 0;
    return ds->CompareBookmarks(a, b);
}

void TBookmarkList::Sort()
{
    TDataSet* ds = FGrid->DataLink()->DataSet();
    quint64 stamp = ds && ds->Active() ? ds->ViewStamp() : 0;
    if (stamp == FStamp) return;
    FStamp = stamp;
    std::stable_sort(FList.begin(), FList.end(), [this](const TBookmark& a, const TBookmark& b) {
        return Compare(a, b) < 0;
    });
}

bool TBookmarkList::Find(const TBookmark& b, int& index) const
{
    const_cast<TBookmarkList*>(this)->Sort();
    auto it = std::lower_bound(FList.begin(), FList.end(), b,
                               [this](const TBookmark& x, const TBookmark& y) { return Compare(x, y) < 0; });
    index = int(it - FList.begin());
    // Records outside the view compare equal among themselves: look for the key.
    for (auto j = it; j != FList.end() && Compare(*j, b) == 0; ++j)
        if (*j == b) {
            index = int(j - FList.begin());
            return true;
        }
    return false;
}

int TBookmarkList::IndexOf(const TBookmark& b) const
{
    int i;
    return Find(b, i) ? i : -1;
}

bool TBookmarkList::CurrentRowSelected() const
{
    TDataSet* ds = FGrid->DataLink()->DataSet();
    if (!FGrid->DataLink()->Active() || !ds || ds->IsEmpty() || FList.empty()) return false;
    TBookmark b = ds->GetBookmark();
    if (b.IsNull()) return false;
    int i;
    return Find(b, i);
}

void TBookmarkList::SetCurrentRowSelected(bool v)
{
    TDataSet* ds = FGrid->DataLink()->DataSet();
    if (!FGrid->DataLink()->Active() || !ds || ds->IsEmpty()) return;
    TBookmark b = ds->GetBookmark();
    if (b.IsNull()) return;
    int i;
    const bool found = Find(b, i);
    if (found == v) return;
    if (v)
        FList.insert(FList.begin() + i, b);
    else
        FList.erase(FList.begin() + i);
    Changed();
}

void TBookmarkList::Clear()
{
    if (FList.empty()) return;
    FList.clear();
    Changed();
}

void TBookmarkList::Delete()
{
    TDataSet* ds = FGrid->DataLink()->DataSet();
    if (!ds) return;
    ds->DisableControls();
    try {
        while (!FList.empty()) {
            TBookmark b = FList.back();
            if (ds->BookmarkValid(b)) {
                ds->GotoBookmark(b);
                ds->Delete();
            }
            FList.pop_back();
        }
    } catch (...) {
        ds->EnableControls();
        Changed();
        throw;
    }
    ds->EnableControls();
    Changed();
}

bool TBookmarkList::Refresh()
{
    TDataSet* ds = FGrid->DataLink()->DataSet();
    if (!ds || !ds->Active()) return false;
    auto n = FList.size();
    FList.erase(std::remove_if(FList.begin(), FList.end(), [ds](const TBookmark& b) { return !ds->BookmarkValid(b); }),
                FList.end());
    FStamp = 0;
    if (n != FList.size()) {
        Changed();
        return true;
    }
    return false;
}

void TBookmarkList::Changed() { FGrid->Invalidate(); }

// ------------------------------------------------------------ TInplaceEdit

TInplaceEdit::~TInplaceEdit()
{
    if (FEdit) delete FEdit.data();
}

QString TInplaceEdit::Text() const
{
    if (auto* c = qobject_cast<QComboBox*>(FEdit.data())) return c->currentText();
    if (auto* e = qobject_cast<QLineEdit*>(FEdit.data())) return e->text();
    return QString();
}

void TInplaceEdit::SetText(const QString& v)
{
    FSetting = true;
    if (auto* c = qobject_cast<QComboBox*>(FEdit.data())) {
        int i = c->findText(v);
        if (c->isEditable())
            c->setEditText(v);
        else
            c->setCurrentIndex(i);
        if (c->isEditable() && i >= 0) c->setCurrentIndex(i);
    } else if (auto* e = qobject_cast<QLineEdit*>(FEdit.data())) {
        e->setText(v);
    }
    FSetting = false;
}

bool TInplaceEdit::Visible() const { return FEdit && FEdit->isVisibleTo(FEdit->parentWidget()); }

QWidget* TInplaceEdit::Widget() const { return FEdit; }

QStringList TInplaceEdit::Items() const
{
    QStringList l;
    if (auto* c = qobject_cast<QComboBox*>(FEdit.data()))
        for (int i = 0; i < c->count(); ++i) l << c->itemText(i);
    return l;
}

bool TInplaceEdit::DroppedDown() const
{
    auto* c = qobject_cast<QComboBox*>(FEdit.data());
    return c && c->view() && c->view()->isVisible();
}

void TInplaceEdit::DropDown()
{
    if (auto* c = qobject_cast<QComboBox*>(FEdit.data())) c->showPopup();
}

void TInplaceEdit::CloseUp(bool)
{
    if (auto* c = qobject_cast<QComboBox*>(FEdit.data())) c->hidePopup();
}

void TInplaceEdit::SelectAll()
{
    if (auto* c = qobject_cast<QComboBox*>(FEdit.data())) {
        if (c->lineEdit()) c->lineEdit()->selectAll();
    } else if (auto* e = qobject_cast<QLineEdit*>(FEdit.data())) {
        e->selectAll();
    }
}

// ------------------------------------------------------------ the widget

class TGridWidget : public QAbstractScrollArea {
public:
    explicit TGridWidget(TDBGrid* grid, QWidget* parent) : QAbstractScrollArea(parent), FGrid(grid)
    {
        setFrameShape(QFrame::StyledPanel);
        setFocusPolicy(Qt::StrongFocus);
        viewport()->setMouseTracking(true);
        viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this](int) {
            if (FSyncing) return;
            FGrid->GuardedInput([this] { FGrid->VScrollTo(verticalScrollBar()->sliderPosition()); });
        });
        connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int v) {
            if (FSyncing) return;
            FGrid->GuardedInput([&] { FGrid->SetLeftCol(FGrid->FixedCount() + v); });
        });
    }
    TDBGrid* FGrid;
    bool FSyncing = false;
    bool FPaintFailed = false;

protected:
    bool viewportEvent(QEvent* e) override
    {
        if (!FGrid) return QAbstractScrollArea::viewportEvent(e);
        switch (e->type()) {
        case QEvent::Paint: {
            QPainter p(viewport());
            auto* pe = static_cast<QPaintEvent*>(e);
            QRect r = pe->rect();
            CallPaintHandler(FPaintFailed,
                             [&] { FGrid->PaintTo(&p, Rect(r.left(), r.top(), r.right() + 1, r.bottom() + 1)); });
            return true;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick: {
            auto* me = static_cast<QMouseEvent*>(e);
            TMouseButton b = me->button() == Qt::RightButton ? mbRight
                             : me->button() == Qt::MiddleButton ? mbMiddle : mbLeft;
            TShiftState s = ShiftStateOf(me->modifiers(), me->buttons());
            if (e->type() == QEvent::MouseButtonDblClick) s += ssDouble;
            FGrid->GuardedInput([&] { FGrid->MouseDown(b, s, me->position().toPoint().x(), me->position().toPoint().y()); });
            return true;
        }
        case QEvent::MouseMove: {
            auto* me = static_cast<QMouseEvent*>(e);
            FGrid->GuardedInput([&] {
                FGrid->MouseMove(ShiftStateOf(me->modifiers(), me->buttons()), me->position().toPoint().x(),
                                 me->position().toPoint().y());
            });
            return true;
        }
        case QEvent::MouseButtonRelease: {
            auto* me = static_cast<QMouseEvent*>(e);
            TMouseButton b = me->button() == Qt::RightButton ? mbRight
                             : me->button() == Qt::MiddleButton ? mbMiddle : mbLeft;
            FGrid->GuardedInput([&] {
                FGrid->MouseUp(b, ShiftStateOf(me->modifiers(), me->buttons()), me->position().toPoint().x(),
                               me->position().toPoint().y());
            });
            return true;
        }
        case QEvent::Wheel: {
            auto* we = static_cast<QWheelEvent*>(e);
            int dy = we->angleDelta().y();
            if (dy != 0) {
                QPoint p = we->position().toPoint();
                FGrid->GuardedInput([&] { FGrid->DoMouseWheel(dy < 0 ? 1 : -1, ShiftStateOf(we->modifiers()), Point(p.x(), p.y())); });
            }
            return true;
        }
        case QEvent::Resize:
            FGrid->UpdateRowCount();
            break;
        default: break;
        }
        return QAbstractScrollArea::viewportEvent(e);
    }
    void scrollContentsBy(int, int) override {}
    bool focusNextPrevChild(bool next) override
    {
        // Tab stays in the grid when it moves between the columns.
        if (FGrid && FGrid->Options().Contains(dgTabs)) return false;
        return QAbstractScrollArea::focusNextPrevChild(next);
    }
public:
    // Tab or Shift+Tab pressed in the cell's editor of a grid where Tab
    // does not move between the columns: the focus goes from the grid to
    // the next or previous control, as from the grid itself (the editor is
    // no stop of its own in the window's order).
    void LeaveByTab(bool next)
    {
        setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
        if (hasFocus()) QAbstractScrollArea::focusNextPrevChild(next);
    }

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if (!FGrid) return;
        FGrid->GuardedInput([&] { FGrid->QtKey(e); });
    }
    void focusInEvent(QFocusEvent* e) override
    {
        QAbstractScrollArea::focusInEvent(e);
        viewport()->update();
    }
    void focusOutEvent(QFocusEvent* e) override
    {
        QAbstractScrollArea::focusOutEvent(e);
        if (FGrid) FGrid->GuardedInput([&] { FGrid->FocusLost(); });
        viewport()->update();
    }
};

// ------------------------------------------------------------ TDBGrid

TDBGrid::TDBGrid(TComponent* AOwner) : TWinControl(AOwner)
{
    FDataLink = new TGridDataLink(this);
    FColumns = new TDBGridColumns(this);
    FSelectedRows = new TBookmarkList(this);
    FEditor = new TInplaceEdit(this);
    FTitleFont = new TFont;
    FTitleFont->Assign(Font());
    FTitleFont->OnChange = [this](TObject*) {
        FDefaultRowHeightValid = false;
        InternalLayout();
    };
    SetColor(clWindow);
    SetParentColor(false);
    SetTabStop(true);
    SetBounds(0, 0, 320, 120);
    ComputeRowHeight();
}

TDBGrid::~TDBGrid()
{
    Destroying();
    StopKeepingNewRow();
    FDataLink->SetDataSource(nullptr);
    delete FEditor;
    FEditor = nullptr;
    // After the editor: its widgets may still send it events while they go.
    delete FEditorFilter;
    FEditorFilter = nullptr;
    delete FSelectedRows;
    delete FColumns;
    FColumns = nullptr;
    delete FDataLink;
    delete FTitleFont;
}

TDataSource* TDBGrid::DataSource() const { return FDataLink->DataSource(); }

void TDBGrid::SetDataSource(TDataSource* v)
{
    if (v == FDataLink->DataSource()) return;
    if (FDataLink->DataSource()) FDataLink->DataSource()->RemoveFreeNotification(this);
    FDataLink->SetDataSource(v);
    if (v) v->FreeNotification(this);
    LinkActive(FDataLink->Active());
}

void TDBGrid::Notification(TComponent* AComponent, TOperation Operation)
{
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && FDataLink && AComponent == FDataLink->DataSource()) {
        FDataLink->SetDataSource(nullptr);
        LinkActive(false);
    }
}

TField* TDBGrid::Fields(int i) const { return i >= 0 && i < FColumns->Count() ? FColumns->Items(i)->Field() : nullptr; }

void TDBGrid::SetOptions(TDBGridOptions v)
{
    if (v == FOptions) return;
    const bool layout = (v.Contains(dgTitles) != FOptions.Contains(dgTitles)) ||
                        (v.Contains(dgIndicator) != FOptions.Contains(dgIndicator));
    const int dataCol = SelectedIndex();
    const int frozen = FFixedCols - IndicatorOffset();
    if (v.Contains(dgRowSelect)) v -= TDBGridOptions{dgEditing, dgAlwaysShowEditor};
    FOptions = v;
    if (!v.Contains(dgEditing) && FEditorMode) HideEditor();
    if (!v.Contains(dgMultiSelect)) FSelectedRows->Clear();
    if (layout) {
        FFixedCols = std::max(frozen, 0) + IndicatorOffset();
        FCol = std::clamp(dataCol + IndicatorOffset(), FFixedCols == IndicatorOffset() ? IndicatorOffset() : 0,
                          std::max(ColCount() - 1, IndicatorOffset()));
        FLeftCol = std::max(FLeftCol, FFixedCols);
        InternalLayout();
    } else {
        UpdateRowCount();
    }
    if (v.Contains(dgAlwaysShowEditor) && !FEditorMode) ShowEditor();
    Invalidate();
}

void TDBGrid::SetReadOnly(bool v)
{
    if (v == FReadOnly) return;
    FReadOnly = v;
    if (v && FEditorMode) HideEditor();
    Invalidate();
}

void TDBGrid::SetFixedColor(TColor v)
{
    FFixedColor = v;
    Invalidate();
}

void TDBGrid::FontChanged()
{
    TWinControl::FontChanged();
    FDefaultRowHeightValid = false;
    for (int i = 0; i < FColumns->Count(); ++i) FColumns->Items(i)->RefreshDefaultFont();
    ComputeRowHeight();
    InternalLayout();
}

void TDBGrid::ColorChanged()
{
    TWinControl::ColorChanged();
    Invalidate();
}

void TDBGrid::ComputeRowHeight()
{
    if (FDefaultRowHeightValid) return;
    QFontMetrics fm(Font()->ToQFont());
    FDefaultRowHeight = fm.height() + 3;
    if (FOptions.Contains(dgRowLines)) ++FDefaultRowHeight;
    FDefaultRowHeightValid = true;
}

// ---- geometry

int TDBGrid::TitleOffset() const { return FOptions.Contains(dgTitles) ? 1 : 0; }

int TDBGrid::RowHeights(int row) const
{
    if (row < TitleOffset()) {
        if (FTitleHeight >= 0) return FTitleHeight;
        QFontMetrics fm(FTitleFont->ToQFont());
        return std::max(FDefaultRowHeight, fm.height() + 4);
    }
    return FDefaultRowHeight;
}

void TDBGrid::SetRowHeights(int row, int v)
{
    if (row < TitleOffset())
        FTitleHeight = std::max(v, 0);
    UpdateRowCount();
    Invalidate();
}

void TDBGrid::SetDefaultRowHeight(int v)
{
    if (v <= 0) return;
    FDefaultRowHeight = v;
    FDefaultRowHeightValid = true;
    UpdateRowCount();
    Invalidate();
}

int TDBGrid::ColWidths(int col) const
{
    if (col < IndicatorOffset()) return IndicatorWidth();
    TColumn* c = RawColumn(col);
    if (!c || !c->Showing()) return 0;
    return c->Width();
}

void TDBGrid::SetColWidths(int col, int v)
{
    if (TColumn* c = RawColumn(col)) {
        c->SetWidth(v);
        ColWidthsChanged();
    }
}

bool TDBGrid::TabStops(int col) const
{
    if (col < IndicatorOffset() || col >= ColCount()) return false;
    if (size_t(col) < FTabStops.size()) return FTabStops[size_t(col)] != 0;
    return true;
}

void TDBGrid::SetTabStops(int col, bool v)
{
    if (col < 0) return;
    if (FTabStops.size() <= size_t(col)) FTabStops.resize(size_t(col) + 1, 1);
    FTabStops[size_t(col)] = v ? 1 : 0;
}

TColumn* TDBGrid::RawColumn(int ACol) const
{
    int i = ACol - IndicatorOffset();
    return i >= 0 && i < FColumns->Count() ? FColumns->Items(i) : nullptr;
}

int TDBGrid::ViewClientWidth() const
{
    if (FGridWidget) return FGridWidget->viewport()->width();
    return std::max(ClientWidth() - 4, 0);
}

int TDBGrid::ViewClientHeight() const
{
    if (FGridWidget) return FGridWidget->viewport()->height();
    return std::max(ClientHeight() - 4, 0);
}

int TDBGrid::DataRowsFit() const
{
    int h = ViewClientHeight();
    for (int r = 0; r < TitleOffset(); ++r) h -= RowHeights(r) + RowLineWidth();
    int rh = FDefaultRowHeight + RowLineWidth();
    return std::max(1, h / std::max(rh, 1));
}

int TDBGrid::RowCount() const { return TitleOffset() + std::max(FDataLink->RecordCount(), 1); }

int TDBGrid::VisibleRowCount() const { return DataRowsFit(); }

int TDBGrid::Row() const
{
    TDataSet* ds = FDataLink->DataSet();
    if (!FDataLink->Active() || !ds) return TitleOffset();
    return TitleOffset() + std::max(ds->CurrentViewRow() - FDataLink->FirstRecord(), 0);
}

int TDBGrid::ColLeft(int ACol) const
{
    int x = 0;
    for (int c = 0; c < FFixedCols && c < ColCount(); ++c) {
        if (c == ACol) return x;
        int w = ColWidths(c);
        if (w > 0 || c < IndicatorOffset()) x += w + ColLineWidth();
    }
    if (ACol < FFixedCols) return -1;
    if (ACol < FLeftCol) return -1;
    for (int c = FLeftCol; c < ColCount(); ++c) {
        if (c == ACol) return x;
        int w = ColWidths(c);
        if (w > 0) x += w + ColLineWidth();
        if (x > ViewClientWidth()) return -1;
    }
    return -1;
}

int TDBGrid::RowTop(int ARow) const
{
    int y = 0;
    if (ARow < TitleOffset()) {
        for (int r = 0; r < ARow; ++r) y += RowHeights(r) + RowLineWidth();
        return y;
    }
    for (int r = 0; r < TitleOffset(); ++r) y += RowHeights(r) + RowLineWidth();
    return y + (ARow - TitleOffset()) * (FDefaultRowHeight + RowLineWidth());
}

TRect TDBGrid::CellRect(int ACol, int ARow) const
{
    if (ACol < 0 || ACol >= ColCount() || ARow < 0) return TRect{};
    int x = ColLeft(ACol);
    if (x < 0) return TRect{};
    int w = ColWidths(ACol);
    if (w <= 0) return TRect{};
    if (ARow >= TitleOffset() + DataRowsFit()) return TRect{};
    int y = RowTop(ARow);
    return Rect(x, y, x + w, y + RowHeights(ARow));
}

TRect TDBGrid::BoxRect(int ALeft, int ATop, int ARight, int ABottom) const
{
    TRect a = CellRect(ALeft, ATop), b = CellRect(ARight, ABottom);
    if (a.Width() == 0) {
        for (int c = ALeft; c <= ARight && a.Width() == 0; ++c) a = CellRect(c, ATop);
    }
    if (b.Width() == 0) {
        for (int c = ARight; c >= ALeft && b.Width() == 0; --c) b = CellRect(c, ABottom);
    }
    if (a.Width() == 0 || b.Width() == 0) return TRect{};
    return Rect(a.Left, a.Top, b.Right, b.Bottom);
}

TGridCoord TDBGrid::MouseCoord(int X, int Y) const
{
    TGridCoord c;
    if (X < 0 || Y < 0 || X >= ViewClientWidth() || Y >= ViewClientHeight()) return c;
    for (int col = 0; col < ColCount(); ++col) {
        int l = ColLeft(col);
        if (l < 0) continue;
        int w = ColWidths(col);
        if (w <= 0) continue;
        if (X >= l && X < l + w + ColLineWidth()) {
            c.X = col;
            break;
        }
    }
    if (c.X < 0) return TGridCoord{};
    int y = 0;
    for (int r = 0; r < TitleOffset(); ++r) {
        int h = RowHeights(r) + RowLineWidth();
        if (Y < y + h) {
            c.Y = r;
            return c;
        }
        y += h;
    }
    int rh = FDefaultRowHeight + RowLineWidth();
    int r = (Y - y) / std::max(rh, 1);
    if (r >= std::max(FDataLink->RecordCount(), 1)) return TGridCoord{};
    c.Y = TitleOffset() + r;
    return c;
}

int TDBGrid::VisibleColCount() const
{
    int n = 0;
    for (int c = FLeftCol; c < ColCount(); ++c) {
        int l = ColLeft(c);
        if (l < 0) break;
        if (l + ColWidths(c) <= ViewClientWidth()) ++n;
    }
    return n;
}

bool TDBGrid::IsColumnResizePoint(int X, int Y) const
{
    if (!FOptions.Contains(dgColumnResize)) return false;
    TGridCoord c = MouseCoord(X, Y);
    if (c.Y < 0 || c.Y >= TitleOffset()) return false;
    for (int col = IndicatorOffset(); col < ColCount(); ++col) {
        int l = ColLeft(col);
        if (l < 0 || ColWidths(col) <= 0) continue;
        int right = l + ColWidths(col);
        if (std::abs(X - right) <= 2) return true;
    }
    return false;
}

int TDBGrid::ResizeColumnAt(int X) const
{
    for (int col = IndicatorOffset(); col < ColCount(); ++col) {
        int l = ColLeft(col);
        if (l < 0 || ColWidths(col) <= 0) continue;
        if (std::abs(X - (l + ColWidths(col))) <= 2) return col;
    }
    return -1;
}

void TDBGrid::SetFixedCount(int v)
{
    v = std::max(v, IndicatorOffset());
    FFixedCols = v;
    if (FLeftCol < FFixedCols) FLeftCol = FFixedCols;
    if (FCol < FFixedCols && ColCount() > FFixedCols) FCol = FFixedCols;
    UpdateScrollBars();
    Invalidate();
}

void TDBGrid::SetLeftCol(int v)
{
    v = std::clamp(v, FFixedCols, std::max(ColCount() - 1, FFixedCols));
    if (v == FLeftCol) return;
    FLeftCol = v;
    PlaceEditor();
    UpdateScrollBars();
    Invalidate();
    TopLeftChanged();
}

// ---- current cell

int TDBGrid::SelectedIndex() const { return FCol - IndicatorOffset(); }

void TDBGrid::SetSelectedIndex(int v) { SetCol(v + IndicatorOffset()); }

TField* TDBGrid::SelectedField() const
{
    TColumn* c = RawColumn(FCol);
    return c ? c->Field() : nullptr;
}

void TDBGrid::SetSelectedField(TField* f)
{
    if (!f) return;
    for (int i = 0; i < FColumns->Count(); ++i)
        if (FColumns->Items(i)->Field() == f) {
            SetSelectedIndex(i);
            return;
        }
}

void TDBGrid::SetCol(int v)
{
    if (ColCount() <= IndicatorOffset()) {
        FCol = IndicatorOffset();
        return;
    }
    v = std::clamp(v, IndicatorOffset(), ColCount() - 1);
    if (v == FCol) return;
    if (FEditorMode) UpdateData();
    DoColExit();
    const int old = FCol;
    FCol = v;
    // Keep the current column on the screen.
    if (FCol >= FFixedCols) {
        if (FCol < FLeftCol) SetLeftCol(FCol);
        else {
            while (FLeftCol < FCol && (ColLeft(FCol) < 0 || ColLeft(FCol) + ColWidths(FCol) > ViewClientWidth()))
                SetLeftCol(FLeftCol + 1);
        }
    }
    InvalidateCell(old, Row());
    InvalidateCell(FCol, Row());
    if (FEditorMode) {
        HideEditor();
        if (FOptions.Contains(dgAlwaysShowEditor) || FEditorWanted) ShowEditor();
    }
    if (OnColEnter) OnColEnter(this);
}

void TDBGrid::DoColExit()
{
    if (FInColExit) return;
    FInColExit = true;
    try {
        if (OnColExit) OnColExit(this);
    } catch (...) {
        FInColExit = false;
        throw;
    }
    FInColExit = false;
}

void TDBGrid::MoveCol(int RawCol, int Direction)
{
    if (ColCount() <= IndicatorOffset()) return;
    int c = std::clamp(RawCol, IndicatorOffset(), ColCount() - 1);
    // Skip hidden columns in the direction of travel.
    int step = Direction == 0 ? 1 : Direction;
    int guard = ColCount();
    while (guard-- > 0 && ColWidths(c) <= 0) {
        c += step;
        if (c >= ColCount() || c < IndicatorOffset()) {
            step = -step;
            c = std::clamp(c, IndicatorOffset(), ColCount() - 1);
        }
    }
    SetCol(c);
}

bool TDBGrid::IsCurrentRow(int ARow) const { return FDataLink->Active() && ARow == Row(); }

// ---- layout and data events

void TDBGrid::BeginLayout() { ++FLayoutCount; }

void TDBGrid::EndLayout()
{
    if (FLayoutCount > 0 && --FLayoutCount == 0 && FLayoutPending) {
        FLayoutPending = false;
        InternalLayout();
    }
}

void TDBGrid::InternalLayout()
{
    if (IsDestroying() || !FColumns) return;
    if (FLayoutCount > 0) {
        FLayoutPending = true;
        return;
    }
    ++FFieldsStamp;
    if (FColumns->State() == csDefault && !FColumns->FInternal && FColumns->UpdateCount() == 0) {
        // Default columns follow the dataset's visible fields.
        bool same = true;
        TDataSet* ds = FDataLink->DataSet();
        std::vector<QString> want;
        if (ds && FDataLink->Active())
            for (TField* f : ds->FieldList())
                if (f->Visible()) want.push_back(f->FieldName());
        if (int(want.size()) != FColumns->Count()) same = false;
        for (int i = 0; same && i < FColumns->Count(); ++i)
            if (FColumns->Items(i)->FieldName() != want[size_t(i)]) same = false;
        if (!same) {
            FLayoutCount++;
            try {
                FColumns->RebuildColumns();
            } catch (...) {
                FLayoutCount--;
                throw;
            }
            FLayoutCount--;
        }
    }
    if (FFixedCols > ColCount()) FFixedCols = std::max(IndicatorOffset(), 1 <= ColCount() ? IndicatorOffset() : 0);
    if (FFixedCols < IndicatorOffset()) FFixedCols = IndicatorOffset();
    if (FLeftCol < FFixedCols) FLeftCol = FFixedCols;
    if (FLeftCol >= ColCount()) FLeftCol = std::max(FFixedCols, ColCount() - 1);
    if (FCol >= ColCount()) FCol = std::max(IndicatorOffset(), ColCount() - 1);
    if (FCol < IndicatorOffset()) FCol = IndicatorOffset();
    SetColumnAttributes();
    UpdateRowCount();
    LayoutChanged();
    PlaceEditor();
    Invalidate();
}

void TDBGrid::LayoutChanged() {}

void TDBGrid::SetColumnAttributes()
{
    for (int c = IndicatorOffset(); c < ColCount(); ++c) {
        TColumn* col = RawColumn(c);
        if (size_t(c) < FTabStops.size()) continue;
        SetTabStops(c, col && col->Showing());
    }
    if (FTabStops.size() > size_t(ColCount())) FTabStops.resize(size_t(ColCount()));
}

void TDBGrid::UpdateRowCount()
{
    if (IsDestroying()) return;
    const int fit = DataRowsFit();
    if (FDataLink->BufferCount() != fit) FDataLink->SetBufferCount(fit);
    UpdateScrollBars();
    CheckTopLeft();
    PlaceEditor();
    Invalidate();
}

void TDBGrid::UpdateScrollBars()
{
    if (!FGridWidget) return;
    TDataSet* ds = FDataLink->DataSet();
    FGridWidget->FSyncing = true;
    QScrollBar* v = FGridWidget->verticalScrollBar();
    if (FDataLink->Active() && ds) {
        int n = ds->ViewRowCount();
        v->setRange(0, std::max(n - 1, 0));
        v->setPageStep(std::max(DataRowsFit(), 1));
        v->setValue(std::max(ds->CurrentViewRow(), 0));
    } else {
        v->setRange(0, 0);
    }
    QScrollBar* h = FGridWidget->horizontalScrollBar();
    int scrollable = ColCount() - FFixedCols;
    h->setRange(0, std::max(scrollable - 1, 0));
    h->setValue(std::max(FLeftCol - FFixedCols, 0));
    FGridWidget->FSyncing = false;
}

void TDBGrid::VScrollTo(int viewRow)
{
    TDataSet* ds = FDataLink->DataSet();
    if (!FDataLink->Active() || !ds) return;
    int cur = ds->CurrentViewRow();
    if (viewRow != cur) {
        CheckBrowse();
        ds->MoveBy(viewRow - cur);
    }
}

void TDBGrid::CheckTopLeft()
{
    int top = FDataLink->Active() ? FDataLink->FirstRecord() : 0;
    if (top != FLastTopRecord) {
        bool first = FLastTopRecord < 0;
        FLastTopRecord = top;
        if (!first) TopLeftChanged();
    }
}

void TDBGrid::LinkActive(bool v)
{
    if (IsDestroying()) return;
    if (!v) {
        StopKeepingNewRow();
        HideEditor();
        FSelectedRows->Clear();
    }
    ++FFieldsStamp;
    FLastTopRecord = -1;
    InternalLayout();
    if (v && FOptions.Contains(dgAlwaysShowEditor)) ShowEditor();
}

void TDBGrid::DataChanged()
{
    ++FFieldsStamp;
    if (!FDataLink->Active()) return;
    UpdateScrollBars();
    CheckTopLeft();
    if (FEditorMode && !FEditor->Modified()) {
        // Another record, or the record read again.
        if (FEditor->Visible()) RefreshEditorText();
    }
    PlaceEditor();
    Invalidate();
}

void TDBGrid::RecordChanged(TField* f)
{
    if (!FDataLink->Active()) return;
    InvalidateRow(Row());
    if (FEditorMode && FEditor->Visible() && (f == nullptr || f == SelectedField()) && !FEditor->Modified())
        RefreshEditorText();
}

void TDBGrid::EditingChanged()
{
    InvalidateCell(0, Row());
    // A new row begun while the focus is in a control that edits it (the
    // tool bar's "+" takes no focus from the memo) is kept for it as one
    // the grid hands on.
    TDataSet* ds = FDataLink->DataSet();
    if (FDataLink->Editing() && ds && ds->State() == dsInsert && EditsRecord(QApplication::focusWidget()))
        KeepNewRow();
    if (!FDataLink->Editing()) {
        StopKeepingNewRow();
        FEditor->SetModified(false);
        if (FEditorMode && !FOptions.Contains(dgAlwaysShowEditor)) HideEditor();
    }
}

void TDBGrid::Scroll(int Distance)
{
    Invalidate();
    UpdateScrollBars();
    CheckTopLeft();
    if (FEditorMode) {
        if (!FEditor->Modified()) RefreshEditorText();
        PlaceEditor();
    }
}

void TDBGrid::TopLeftChanged() {}
void TDBGrid::ColWidthsChanged()
{
    UpdateScrollBars();
    PlaceEditor();
    Invalidate();
}

void TDBGrid::Resize()
{
    TWinControl::Resize();
    UpdateRowCount();
}

// ---- invalidation

void TDBGrid::InvalidateCell(int ACol, int ARow)
{
    if (!FGridWidget) return;
    TRect r = CellRect(ACol, ARow);
    if (r.Width() > 0) FGridWidget->viewport()->update(ToQRect(r).adjusted(-1, -1, 1, 1));
}

void TDBGrid::InvalidateRow(int ARow)
{
    if (!FGridWidget) return;
    int y = RowTop(ARow);
    FGridWidget->viewport()->update(0, y - 1, FGridWidget->viewport()->width(), RowHeights(ARow) + 2);
}

void TDBGrid::InvalidateTitles()
{
    if (!FGridWidget || TitleOffset() == 0) return;
    FGridWidget->viewport()->update(0, 0, FGridWidget->viewport()->width(), RowHeights(0) + 1);
}

// ---- widget

QWidget* TDBGrid::CreateWidget(QWidget* parentWidget)
{
    auto* w = new TGridWidget(this, parentWidget);
    FGridWidget = w;
    return w;
}

// Cells are drawn in the scroll area's viewport, inside its frame.
QWidget* TDBGrid::ClientOriginWidget() const
{
    return PaintedWidget(Widget());
}

void TDBGrid::InitWidget()
{
    TWinControl::InitWidget();
    UpdateRowCount();
}

void TDBGrid::SetFocus()
{
    TWinControl::SetFocus();
}

bool TDBGrid::HasFocusNow() const
{
    if (!FGridWidget) return false;
    QWidget* f = QApplication::focusWidget();
    return f && (f == FGridWidget || FGridWidget->isAncestorOf(f));
}

bool TDBGrid::IsActiveControl() const
{
    TForm* f = GetParentForm(this);
    if (f) return f->ActiveControl() == this;
    return HasFocusNow();
}

bool TDBGrid::AcquireFocus()
{
    if (!FocusOnClick() || !CanFocus() || (ComponentState() & csDesigning)) return true;
    if (!HasFocusNow()) {
        try {
            SetFocus();
        } catch (const EInvalidOperation&) {
        }
    }
    // Without a shown window (tests, off-screen), the press still goes on.
    return HasFocusNow() || !FGridWidget || !FGridWidget->isVisible() || QApplication::focusWidget() == nullptr ||
           QGuiApplication::platformName() == QLatin1String("offscreen");
}

void TDBGrid::SetCapture(bool v)
{
    FCaptured = v;
    if (FGridWidget) {
        if (v)
            FGridWidget->viewport()->grabMouse();
        else if (QWidget::mouseGrabber() == FGridWidget->viewport())
            FGridWidget->viewport()->releaseMouse();
    }
}

void TDBGrid::Beep() { MessageBeep(); }

bool TDBGrid::CanEditAcceptKey(QChar Key) const
{
    TField* f = SelectedField();
    return FDataLink->Active() && f && f->IsValidChar(Key);
}

void TDBGrid::CancelMode()
{
    if (FGridState != TGridState::Normal) {
        FGridState = TGridState::Normal;
        SetCapture(false);
        Invalidate();
    }
}

void TDBGrid::GuardedInput(const std::function<void()>& f) { CallHandler(this, f); }

// ---- painting

QImage TDBGrid::Grab()
{
    QImage img(std::max(ViewClientWidth(), 1), std::max(ViewClientHeight(), 1), QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    PaintTo(&p, Rect(0, 0, img.width(), img.height()));
    return img;
}

void TDBGrid::PaintTo(QPainter* painter, const TRect& clip)
{
    FCanvas.SetPainter(painter);
    FPaintClip = clip;
    try {
        Paint();
    } catch (...) {
        TDataSet* ds = FDataLink->DataSet();
        if (ds && ds->Active()) ds->SetActiveViewRow(-1);
        FCanvas.SetPainter(nullptr);
        throw;
    }
    FCanvas.SetPainter(nullptr);
}

void TDBGrid::Paint()
{
    QPainter* p = FCanvas.Painter();
    if (!p) return;
    const int W = ViewClientWidth(), H = ViewClientHeight();
    TDataSet* ds = FDataLink->DataSet();
    const bool active = FDataLink->Active() && ds;
    const int rows = active ? FDataLink->RecordCount() : 0;
    const int rowsShown = std::max(rows, 1);
    const auto intersects = [this](const TRect& r) {
        return r.Right > FPaintClip.Left && r.Left < FPaintClip.Right && r.Bottom > FPaintClip.Top &&
               r.Top < FPaintClip.Bottom;
    };
    // Background past the cells.
    FCanvas.SetBrushColor(Color());
    FCanvas.FillRect(FPaintClip);
    int lastRight = 0;
    for (int c = 0; c < ColCount(); ++c) {
        int l = ColLeft(c);
        if (l < 0) continue;
        lastRight = std::max(lastRight, l + ColWidths(c) + ColLineWidth());
    }
    const int bottom = RowTop(TitleOffset() + rowsShown);
    try {
        for (int r = 0; r < TitleOffset() + rowsShown; ++r) {
            const bool dataRow = r >= TitleOffset();
            const int i = r - TitleOffset();
            if (dataRow && (i >= rows) && !(i == 0 && rows == 0)) break;
            const int top = RowTop(r), h = RowHeights(r);
            if (top > H) break;
            TRect rowRect = Rect(0, top, W, top + h + RowLineWidth());
            if (!intersects(rowRect)) continue;
            if (dataRow && active && i < rows) FDataLink->SetActiveRecord(i);
            for (int c = 0; c < ColCount(); ++c) {
                TRect cell = CellRect(c, r);
                if (cell.Width() <= 0) continue;
                if (!intersects(Rect(cell.Left, cell.Top, cell.Right + 1, cell.Bottom + 1))) continue;
                TGridDrawState st;
                if (c < FFixedCols || r < TitleOffset()) st += gdFixed;
                if (dataRow && c >= FFixedCols - (FFixedCols > IndicatorOffset() ? FFixedCols - IndicatorOffset() : 0) &&
                    c >= IndicatorOffset()) {
                    const bool cur = active && i < rows && IsCurrentRow(r);
                    if (cur && (c == FCol || FOptions.Contains(dgRowSelect))) st += gdSelected;
                    if (cur && c == FCol && HasFocusNow()) st += gdFocused;
                }
                if (c >= IndicatorOffset() && c < FFixedCols) st += gdFixed;
                DrawCell(c, r, cell, st);
                // Grid lines.
                FCanvas.SetPenColor(st.Contains(gdFixed) ? clBlack : clSilver);
                if (st.Contains(gdFixed)) FCanvas.SetPenColor(clGray);
                if (ColLineWidth()) {
                    FCanvas.MoveTo(cell.Right, cell.Top);
                    FCanvas.LineTo(cell.Right, cell.Bottom + RowLineWidth());
                }
                if (RowLineWidth()) {
                    FCanvas.MoveTo(cell.Left, cell.Bottom);
                    FCanvas.LineTo(cell.Right + ColLineWidth(), cell.Bottom);
                }
            }
        }
    } catch (...) {
        if (active) ds->SetActiveViewRow(-1);
        throw;
    }
    if (active) ds->SetActiveViewRow(-1);
    (void)lastRight;
    (void)bottom;
}

void TDBGrid::DrawCell(int ACol, int ARow, const TRect& ARect, TGridDrawState AState)
{
    if (ACol < IndicatorOffset() && ARow >= TitleOffset()) {
        DrawIndicatorCell(ARect, ARow);
        return;
    }
    if (ARow < TitleOffset()) {
        DrawTitleCellBase(ACol, ARect);
        return;
    }
    if (ACol < IndicatorOffset()) {
        FCanvas.SetBrushColor(FFixedColor);
        FCanvas.FillRect(ARect);
        return;
    }
    DrawDataCellBase(ACol, ARow, ARect, AState);
}

void TDBGrid::DrawIndicatorCell(const TRect& r, int ARow)
{
    FCanvas.SetBrushColor(FFixedColor);
    FCanvas.FillRect(r);
    QPainter* p = FCanvas.Painter();
    if (!FDataLink->Active() || !IsCurrentRow(ARow) || !p) return;
    TDataSet* ds = FDataLink->DataSet();
    const int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setPen(Qt::black);
    p->setBrush(Qt::black);
    if (ds->State() == dsInsert) {
        // An asterisk: the new record.
        p->drawLine(cx - 3, cy, cx + 3, cy);
        p->drawLine(cx, cy - 3, cx, cy + 3);
        p->drawLine(cx - 2, cy - 2, cx + 2, cy + 2);
        p->drawLine(cx - 2, cy + 2, cx + 2, cy - 2);
    } else if (ds->State() == dsEdit) {
        // An I-beam: the record being edited.
        p->drawLine(cx, cy - 4, cx, cy + 4);
        p->drawLine(cx - 2, cy - 4, cx + 2, cy - 4);
        p->drawLine(cx - 2, cy + 4, cx + 2, cy + 4);
    } else {
        // A triangle pointing right: the current record.
        QPoint pts[3] = {QPoint(cx - 2, cy - 4), QPoint(cx + 2, cy), QPoint(cx - 2, cy + 4)};
        p->drawPolygon(pts, 3);
    }
    p->restore();
}

void TDBGrid::DrawTitleCellBase(int ACol, const TRect& r)
{
    TColumn* c = RawColumn(ACol);
    QPainter* p = FCanvas.Painter();
    FCanvas.Font()->Assign(c ? c->Title()->Font() : FTitleFont);
    FCanvas.SetBrushColor(c ? c->Title()->Color() : FFixedColor);
    FCanvas.FillRect(r);
    if (p) {
        // A raised edge.
        p->save();
        p->setPen(Qt::white);
        p->drawLine(r.Left, r.Top, r.Right - 1, r.Top);
        p->drawLine(r.Left, r.Top, r.Left, r.Bottom - 1);
        p->restore();
    }
    if (!c) return;
    TRect tr = Rect(r.Left + 2, r.Top, r.Right - 2, r.Bottom);
    FCanvas.TextAligned(tr, c->Title()->Caption(), c->Title()->Alignment(), false, false);
}

void TDBGrid::DrawDataCellBase(int ACol, int ARow, const TRect& r, TGridDrawState state)
{
    TColumn* c = RawColumn(ACol);
    if (!c) return;
    const int dataCol = ACol - IndicatorOffset();
    const bool rowOk = FDataLink->Active() && (ARow - TitleOffset()) < FDataLink->RecordCount();
    TGridDrawState st = state;
    FCanvas.Font()->Assign(c->Font());
    FCanvas.SetBrushColor(ACol < FFixedCols ? FFixedColor : c->Color());
    if (!rowOk) {
        FCanvas.FillRect(r);
        return;
    }
    QString value;
    if (HighlightCell(dataCol, ARow - TitleOffset(), value, st)) {
        FCanvas.SetBrushColor(clHighlight);
        FCanvas.Font()->SetColor(clHighlightText);
    }
    if (FDefaultDrawing) DefaultDrawColumnCell(r, dataCol, c, st);
    DrawColumnCell(r, dataCol, c, st);
    if (FDefaultDrawing && st.Contains(gdSelected) && HasFocusNow() && !FOptions.Contains(dgRowSelect) &&
        !(FEditorMode && FEditor->Visible()))
        FCanvas.DrawFocusRect(r);
}

bool TDBGrid::HighlightCell(int DataCol, int DataRow, const QString&, TGridDrawState AState)
{
    if (!AState.Contains(gdSelected)) return false;
    if (FEditorMode && FEditor->Visible() && !FOptions.Contains(dgRowSelect)) return false;
    return FOptions.Contains(dgAlwaysShowSelection) || HasFocusNow();
}

void TDBGrid::DefaultDrawColumnCell(const TRect& Rect, int DataCol, TColumn* Column, TGridDrawState State)
{
    TField* f = Column ? Column->Field() : nullptr;
    QString text = f ? f->DisplayText() : QString();
    TAlignment a = Column ? Column->Alignment() : taLeftJustify;
    FCanvas.FillRect(Rect);
    TRect tr = ::Rect(Rect.Left + 2, Rect.Top, Rect.Right - 2, Rect.Bottom);
    FCanvas.TextAligned(tr, text, a, false, false);
}

void TDBGrid::DefaultDrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State)
{
    QString text = Field ? Field->DisplayText() : QString();
    FCanvas.FillRect(Rect);
    FCanvas.TextAligned(::Rect(Rect.Left + 2, Rect.Top, Rect.Right - 2, Rect.Bottom), text, taLeftJustify, false,
                        false);
}

void TDBGrid::DrawColumnCell(const TRect& Rect, int DataCol, TColumn* Column, TGridDrawState State)
{
    if (OnDrawColumnCell) OnDrawColumnCell(this, Rect, DataCol, Column, State);
}

void TDBGrid::DrawDataCell(const TRect& Rect, TField* Field, TGridDrawState State)
{
    if (OnDrawDataCell) OnDrawDataCell(this, Rect, Field, State);
}

// ---- keyboard

void TDBGrid::QtKey(QKeyEvent* e)
{
    WORD key = VirtualKeyOf(e);
    TShiftState shift = ShiftStateOf(e->modifiers());
    if (e->key() == Qt::Key_Backtab) shift += ssShift;
    if (key != 0) {
        KeyDown(key, shift);
        if (key == 0) return;
    }
    QString t = e->text();
    if (!t.isEmpty()) {
        QChar ch = t.at(0);
        if (ch.isPrint() || ch == QChar(13) || ch == QChar(27) || ch == QChar(8)) {
            if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) ch = QChar(13);
            DispatchKeyPress(ch);
        }
    } else if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        QChar ch(13);
        DispatchKeyPress(ch);
    }
}

void TDBGrid::DispatchKeyPress(QChar ch) { KeyPress(ch); }

void TDBGrid::SimulateKeyDown(WORD key, TShiftState shift)
{
    WORD k = key;
    KeyDown(k, shift);
    if (k == 0) return;
    QChar ch;
    if (k == VK_RETURN) ch = QChar(13);
    else if (k == VK_ESCAPE) ch = QChar(27);
    if (!ch.isNull()) DispatchKeyPress(ch);
}

void TDBGrid::SimulateKeyPress(QChar key) { DispatchKeyPress(key); }

void TDBGrid::KeyDown(WORD& Key, TShiftState Shift)
{
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
    if (Key == 0) return;
    KeyDownBase(Key, Shift);
}

void TDBGrid::KeyUp(WORD& Key, TShiftState Shift)
{
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TDBGrid::CheckBrowse()
{
    if (FEditorMode) UpdateData();
}

bool TDBGrid::CanModifyData() const
{
    TDataSet* ds = FDataLink->DataSet();
    return ds && ds->Active() && ds->CanModify() && !FReadOnly && !FDataLink->ReadOnly();
}

void TDBGrid::KeyDownBase(WORD& Key, TShiftState Shift)
{
    TDataSet* ds = FDataLink->DataSet();
    if (!FDataLink->Active() || !ds) return;
    const bool ctrl = Shift.Contains(ssCtrl);
    auto firstCol = [this] {
        for (int c = IndicatorOffset(); c < ColCount(); ++c)
            if (ColWidths(c) > 0) return c;
        return IndicatorOffset();
    };
    auto lastCol = [this] {
        for (int c = ColCount() - 1; c >= IndicatorOffset(); --c)
            if (ColWidths(c) > 0) return c;
        return IndicatorOffset();
    };
    auto insertUntouched = [ds] { return ds->State() == dsInsert && !ds->Modified(); };
    switch (Key) {
    case VK_UP:
        CheckBrowse();
        if (ctrl) {
            ds->MoveBy(-(ds->CurrentViewRow() - FDataLink->FirstRecord()));
        } else if (insertUntouched() && ds->Eof()) {
            ds->Cancel();
        } else {
            if (insertUntouched()) ds->Cancel();
            else ds->MoveBy(-1);
        }
        break;
    case VK_DOWN:
        CheckBrowse();
        if (ctrl) {
            int last = FDataLink->RecordCount() - 1;
            ds->MoveBy(last - (ds->CurrentViewRow() - FDataLink->FirstRecord()));
        } else if (insertUntouched()) {
            // An untouched new record is not followed by another.
        } else {
            ds->MoveBy(1);
            if (ds->Eof() && CanModifyData() && FOptions.Contains(dgEditing)) ds->Append();
        }
        break;
    case VK_PRIOR:
        CheckBrowse();
        if (ctrl) ds->First();
        else ds->MoveBy(-DataRowsFit());
        break;
    case VK_NEXT:
        CheckBrowse();
        if (ctrl) ds->Last();
        else ds->MoveBy(DataRowsFit());
        break;
    case VK_HOME:
        if (ctrl || FOptions.Contains(dgRowSelect)) {
            CheckBrowse();
            ds->First();
        } else if (!FEditorMode || FEditorReplaceHomeEnd) {
            MoveCol(firstCol(), 1);
        }
        break;
    case VK_END:
        if (ctrl || FOptions.Contains(dgRowSelect)) {
            CheckBrowse();
            ds->Last();
        } else if (!FEditorMode || FEditorReplaceHomeEnd) {
            MoveCol(lastCol(), -1);
        }
        break;
    case VK_LEFT:
        if (FOptions.Contains(dgRowSelect)) {
            SetLeftCol(FLeftCol - 1);
        } else if (ctrl) {
            MoveCol(firstCol(), 1);
        } else {
            int c = FCol - 1;
            while (c >= IndicatorOffset() && ColWidths(c) <= 0) --c;
            if (c >= IndicatorOffset()) MoveCol(c, -1);
        }
        break;
    case VK_RIGHT:
        if (FOptions.Contains(dgRowSelect)) {
            SetLeftCol(FLeftCol + 1);
        } else if (ctrl) {
            MoveCol(lastCol(), -1);
        } else {
            int c = FCol + 1;
            while (c < ColCount() && ColWidths(c) <= 0) ++c;
            if (c < ColCount()) MoveCol(c, 1);
        }
        break;
    case VK_TAB:
        if (!FOptions.Contains(dgTabs) || Shift.Contains(ssAlt)) break;
        if (Shift.Contains(ssShift)) {
            int c = FCol - 1;
            while (c >= IndicatorOffset() && !(TabStops(c) && ColWidths(c) > 0)) --c;
            if (c >= IndicatorOffset()) {
                MoveCol(c, -1);
            } else if (!ds->Bof()) {
                CheckBrowse();
                ds->MoveBy(-1);
                MoveCol(lastCol(), -1);
            }
        } else {
            int c = FCol + 1;
            while (c < ColCount() && !(TabStops(c) && ColWidths(c) > 0)) ++c;
            if (c < ColCount()) {
                MoveCol(c, 1);
            } else {
                CheckBrowse();
                ds->MoveBy(1);
                if (ds->Eof() && CanModifyData() && FOptions.Contains(dgEditing)) ds->Append();
                MoveCol(firstCol(), 1);
            }
        }
        break;
    case VK_INSERT:
        if (!Shift.Contains(ssShift) && !ctrl && CanModifyData() && FOptions.Contains(dgEditing)) {
            CheckBrowse();
            ds->Insert();
        }
        break;
    case VK_DELETE:
        if (ctrl && CanModifyData() && !ds->IsEmpty()) {
            if (!FOptions.Contains(dgConfirmDelete) ||
                MessageDlg(QString::fromLatin1(SDeleteRecordQuestion), mtConfirmation, TMsgDlgButtons{mbOK, mbCancel}) ==
                    mrOk)
                ds->Delete();
        }
        break;
    case VK_ESCAPE:
        if (FEditorMode && FEditor->Modified()) {
            RefreshEditorText();
            FEditor->SetModified(false);
        }
        if (IsEditing(ds)) ds->Cancel();
        if (!FOptions.Contains(dgAlwaysShowEditor)) HideEditor();
        break;
    case VK_F2:
        if (FOptions.Contains(dgEditing)) SetEditorMode(!FEditorMode);
        break;
    default: break;
    }
}

void TDBGrid::KeyPress(QChar& Key)
{
    if (OnKeyPress) OnKeyPress(this, Key);
    if (Key.isNull()) return;
    KeyPressBase(Key);
}

void TDBGrid::KeyPressBase(QChar& Key)
{
    if (!FDataLink->Active()) return;
    if (Key == QChar(13)) {
        if (FEditorMode) {
            UpdateData();
            if (!FOptions.Contains(dgAlwaysShowEditor)) HideEditor();
            FEditorWanted = false;
        } else if (CanEditShow()) {
            FEditorWanted = true;
            ShowEditor();
        }
        return;
    }
    if (Key == QChar(27) || (Key == QChar(8) && !FEditorMode)) return;
    if (Key.isPrint() && !FEditorMode && CanEditShow() && CanEditModify()) {
        if (!CanEditAcceptKey(Key)) {
            Beep();
            return;
        }
        FEditorWanted = true;
        ShowEditor();
        if (!FEditor->Visible()) return;
        if (!FEditor->FList) {
            FEditor->SetText(QString(Key));
            if (auto* e = qobject_cast<QLineEdit*>(FEditor->Widget())) e->end(false);
            FEditor->SetModified(true);
        } else {
            // The character that opened a list starts its search (a closed
            // list) or its text (an editable one), as if typed into it.
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(Key));
            QScopedValueRollback<bool> forwarding(FEditorTypedKey, true);
            QApplication::sendEvent(FEditor->Widget(), &press);
        }
    }
}

// ---- mouse

void TDBGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    GridMouseDown(Button, Shift, X, Y);
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TDBGrid::GridMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (!AcquireFocus()) return;
    if (Shift.Contains(ssDouble) && Button == mbLeft) {
        DblClickAt(Shift, X, Y);
        return;
    }
    if (Button != mbLeft) return;
    TGridCoord c = MouseCoord(X, Y);
    FPressX = X;
    FMoved = false;
    if (c.Y >= 0 && c.Y < TitleOffset()) {
        if (FOptions.Contains(dgColumnResize)) {
            int rc = ResizeColumnAt(X);
            if (rc >= 0) {
                FGridState = TGridState::ColSizing;
                FSizingCol = rc;
                FSizingStart = X;
                FSizingWidth = ColWidths(rc);
                SetCapture(true);
                return;
            }
        }
        if (c.X >= IndicatorOffset()) {
            FGridState = TGridState::TitlePress;
            FTitlePressCol = c.X;
            FMoveFrom = c.X;
            FMoveTo = c.X;
            SetCapture(true);
        }
        return;
    }
    if (c.X < 0 || c.Y < 0 || !FDataLink->Active()) return;
    TDataSet* ds = FDataLink->DataSet();
    const int wantRow = c.Y - TitleOffset();
    const int curRow = ds->CurrentViewRow() - FDataLink->FirstRecord();
    const bool sameCell = wantRow == curRow && c.X == FCol;
    if (wantRow != curRow) {
        CheckBrowse();
        ds->MoveBy(wantRow - curRow);
    }
    if (c.X >= IndicatorOffset() && !FOptions.Contains(dgRowSelect)) SetCol(c.X);
    if (sameCell && c.X >= IndicatorOffset() && FOptions.Contains(dgEditing) && !FEditorMode && CanEditShow()) {
        FEditorWanted = true;
        ShowEditor();
    }
    FGridState = TGridState::Selecting;
    FClickCol = c.X;
}

void TDBGrid::MouseMove(TShiftState Shift, int X, int Y)
{
    switch (FGridState) {
    case TGridState::ColSizing: {
        int w = std::max(FSizingWidth + X - FSizingStart, 1);
        if (TColumn* col = RawColumn(FSizingCol)) {
            col->SetWidth(w);
        }
        break;
    }
    case TGridState::TitlePress:
        if (FOptions.Contains(dgColumnResize) && std::abs(X - FPressX) > 4) {
            FGridState = TGridState::ColMoving;
            FMoved = true;
        }
        [[fallthrough]];
    case TGridState::ColMoving:
        if (FGridState == TGridState::ColMoving) {
            TGridCoord c = MouseCoord(std::clamp(X, 0, ViewClientWidth() - 1), std::max(Y, 0));
            if (c.X >= IndicatorOffset()) FMoveTo = c.X;
        }
        break;
    default: break;
    }
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TDBGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    GridMouseUp(Button, Shift, X, Y);
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TDBGrid::GridMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TGridState st = FGridState;
    FGridState = TGridState::Normal;
    if (FCaptured) SetCapture(false);
    switch (st) {
    case TGridState::ColSizing:
        ColWidthsChanged();
        break;
    case TGridState::ColMoving:
        if (FMoveTo >= 0 && FMoveTo != FMoveFrom) {
            const int from = FMoveFrom - IndicatorOffset(), to = FMoveTo - IndicatorOffset();
            if (TColumn* col = RawColumn(FMoveFrom)) {
                FColumns->SetState(csCustomized);
                col->SetIndex(to);
                if (FCol == FMoveFrom) FCol = FMoveTo;
                ColumnMoved(from, to);
            }
        }
        break;
    case TGridState::Normal:
    case TGridState::TitlePress: {
        // A left release over a title is a title click.
        TGridCoord c = MouseCoord(X, Y);
        if (Button == mbLeft && c.X >= IndicatorOffset() && c.Y >= 0 && c.Y < TitleOffset() && FDataLink->Active())
            if (TColumn* col = RawColumn(c.X)) TitleClick(col);
        break;
    }
    case TGridState::Selecting: {
        TGridCoord c = MouseCoord(X, Y);
        if (Button == mbLeft && c.X >= IndicatorOffset() && c.Y >= TitleOffset() && c.X == FClickCol)
            if (TColumn* col = RawColumn(c.X)) CellClick(col);
        break;
    }
    default: break;
    }
    FTitlePressCol = -1;
    Invalidate();
}

void TDBGrid::DblClickAt(TShiftState Shift, int X, int Y) { DblClick(); }

bool TDBGrid::DoMouseWheel(int direction, TShiftState Shift, TPoint MousePos)
{
    bool handled = false;
    const TMouseWheelUpDownEvent& ev = direction > 0 ? OnMouseWheelDown : OnMouseWheelUp;
    if (ev) ev(this, Shift, MousePos, handled);
    if (handled) return true;
    TDataSet* ds = FDataLink->DataSet();
    if (!FDataLink->Active() || !ds) return false;
    CheckBrowse();
    return ds->MoveBy(direction) != 0;
}

void TDBGrid::TitleClick(TColumn* Column)
{
    if (OnTitleClick) OnTitleClick(Column);
}

void TDBGrid::CellClick(TColumn* Column)
{
    if (OnCellClick) OnCellClick(Column);
}

void TDBGrid::ColumnMoved(int, int)
{
    if (OnColumnMoved) OnColumnMoved(this);
}

bool TDBGrid::EditsRecord(QWidget* w) const
{
    TDataSource* src = FDataLink->DataSource();
    const TForm* form = GetParentForm(this);
    if (!src || !form) return false;
    for (TControl* c = FindControl(w); c; c = c->Parent()) {
        if (c == this || GetParentForm(c) != form) return false;
        for (int i = 0; i < src->DataLinkCount(); ++i)
            if (auto* l = dynamic_cast<TFieldDataLink*>(src->DataLinks(i)); l && l->Control() == c) return true;
    }
    return false;
}

// In a grid the rows are typed in, the values the dataset's own insert
// handlers fill in (a key, today's date) are not the user's: such a row is
// still untouched. A grid that only shows rows made elsewhere (by a dialog)
// counts every change, as the dataset does.
bool TDBGrid::UntouchedNewRow() const
{
    TDataSet* ds = FDataLink->DataSet();
    if (!FOptions.Contains(dgCancelOnExit) || !ds || !ds->Active() || ds->State() != dsInsert) return false;
    if (FOptions.Contains(dgEditing) ? ds->TouchedSinceInsert() : ds->Modified()) return false;
    return !(FEditorMode && FEditor->Modified());
}

// The focus, now in the widget, has gone from the grid to another control
// of the grid's window. The grid's own editor is the grid; a pop-up (the
// editor's list, a context menu), a message box or another window over it,
// and another program (no widget of this one has the focus) only stand in
// front of the grid for a while: the focus comes back to where it was.
bool TDBGrid::FocusLeftFor(QWidget* now) const
{
    if (!now || !FGridWidget) return false;
    if (now == FGridWidget || FGridWidget->isAncestorOf(now)) return false;
    return now->window() == FGridWidget->window();
}

void TDBGrid::FocusLost()
{
    QWidget* now = QApplication::focusWidget();
    if (!FocusLeftFor(now) || !UntouchedNewRow()) return;
    // A new row is thrown away when the user leaves it untouched, but kept
    // while the focus is in a control of the same window that edits a field
    // of this very record (a memo beside the grid): that control fills the
    // new row in.
    if (EditsRecord(now))
        KeepNewRow();
    else
        FDataLink->DataSet()->Cancel();
}

void TDBGrid::KeepNewRow()
{
    if (FNewRowWatch || !FGridWidget) return;
    FNewRowWatch = QObject::connect(qApp, &QApplication::focusChanged, FGridWidget.data(),
                                    [this](QWidget*, QWidget*) { GuardedInput([this] { NewRowFocusMoved(); }); });
}

void TDBGrid::StopKeepingNewRow() { QObject::disconnect(FNewRowWatch); }

// The focus moved on while the new row is kept for a control that edits it:
// back in the grid, the grid has its row again; to another control of the
// window the row is left as the grid leaves it. A pop-up, a message box,
// another window or program over the window leave it waiting.
void TDBGrid::NewRowFocusMoved()
{
    QWidget* now = QApplication::focusWidget();
    if (now && FGridWidget && (now == FGridWidget || FGridWidget->isAncestorOf(now))) {
        StopKeepingNewRow();
        return;
    }
    if (!FocusLeftFor(now) || EditsRecord(now)) return;
    CancelUntouchedNewRow();
}

bool TDBGrid::WantsDialogKey(WORD Key, TShiftState Shift) const
{
    // The page keys go past the grid and its editor (the editor's list is a
    // pop-up of its own that has the keys while it is open).
    if (PageKeyDirection(Key, Shift) != 0) return false;
    return FEditorMode || (Key == VK_ESCAPE && IsEditing(FDataLink->DataSet()));
}

void TDBGrid::CancelUntouchedNewRow()
{
    StopKeepingNewRow();
    // The cancel itself tells the links the record is being left.
    if (FLeavingNewRow || !UntouchedNewRow()) return;
    QScopedValueRollback<bool> leaving(FLeavingNewRow, true);
    // What a control holds and has not written yet (a memo left for another
    // window) counts as typed.
    TDataSet* ds = FDataLink->DataSet();
    ds->UpdateRecord();
    if (UntouchedNewRow()) ds->Cancel();
}

// ---- editor

bool TDBGrid::CanEditShow()
{
    if (!FOptions.Contains(dgEditing) || FOptions.Contains(dgRowSelect) || FReadOnly) return false;
    if (!FDataLink->Active() || FCol < IndicatorOffset()) return false;
    TColumn* c = RawColumn(FCol);
    if (!c || !c->Showing() || !c->Field()) return false;
    return true;
}

bool TDBGrid::CanEditModify()
{
    TColumn* c = RawColumn(FCol);
    TField* f = c ? c->Field() : nullptr;
    if (!f || c->ReadOnly() || !CanModifyData()) return false;
    if (!f->CanModify() && !f->Lookup()) return false;
    if (f->Lookup()) {
        TDataSet* ds = FDataLink->DataSet();
        for (const QString& k : f->KeyFields().split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            TField* kf = ds->FindField(k.trimmed());
            if (!kf || !kf->CanModify()) return false;
        }
    }
    return true;
}

void TDBGrid::SetEditorMode(bool v)
{
    if (v) {
        FEditorWanted = true;
        ShowEditor();
    } else {
        FEditorWanted = false;
        if (FEditorMode) UpdateData();
        HideEditor();
    }
}

void TDBGrid::CreateEditorWidget()
{
    TColumn* c = RawColumn(FCol);
    TField* f = c ? c->Field() : nullptr;
    QStringList items;
    bool list = false, editable = true;
    if (f && f->Lookup() && f->LookupDataSet() && f->LookupDataSet()->Active()) {
        list = true;
        editable = false;
        TDataSet* lds = f->LookupDataSet();
        if (TField* rf = lds->FindField(f->LookupResultField()))
            for (int i = 0; i < lds->ViewRowCount(); ++i) items << lds->GetFieldText(i, rf);
    } else if (c && c->PickList()->Count() > 0) {
        list = true;
        for (int i = 0; i < c->PickList()->Count(); ++i) items << c->PickList()->Strings(i);
    }
    QWidget* parent = FGridWidget ? FGridWidget->viewport() : nullptr;
    if (!parent) return;
    if (FEditor->FEdit) delete FEditor->FEdit.data();
    QWidget* w;
    if (list) {
        auto* cb = new QComboBox(parent);
        DropListUnderBox(cb);
        cb->setEditable(editable);
        cb->addItems(items);
        cb->setMaxVisibleItems(std::max(c->DropDownRows(), 1));
        cb->setFrame(false);
        QObject::connect(cb, &QComboBox::currentTextChanged, cb, [this](const QString&) { CallHandler(this, [this] { EditorTextChanged(); }); });
        w = cb;
    } else {
        auto* e = new QLineEdit(parent);
        e->setFrame(false);
        QObject::connect(e, &QLineEdit::textEdited, e, [this](const QString&) { CallHandler(this, [this] { EditorTextChanged(); }); });
        w = e;
    }
    // Reached by a click or by the grid, never by Tab: the editor is a part
    // of the grid, not a stop of the window's tab order.
    w->setFocusPolicy(Qt::ClickFocus);
    if (auto* cb = qobject_cast<QComboBox*>(w); cb && cb->lineEdit()) cb->lineEdit()->setFocusPolicy(Qt::ClickFocus);
    FEditor->FList = list;
    FEditor->FEdit = w;
    w->installEventFilter(FEditorFilter);
    if (auto* cb = qobject_cast<QComboBox*>(w); cb && cb->lineEdit()) cb->lineEdit()->installEventFilter(FEditorFilter);
}

void TDBGrid::EditorTextChanged()
{
    if (FEditor->FSetting) return;
    if (!FDataLink->Editing()) {
        // Marked first: the data events of the edit starting must not put
        // the field's text back over what was just typed.
        FEditor->SetModified(true);
        if (!CanEditModify() || !FDataLink->Edit()) {
            // Not editable now: put the field's text back.
            RefreshEditorText();
            return;
        }
    }
    FEditor->SetModified(true);
    EditorChanged();
}

void TDBGrid::RefreshEditorText()
{
    TField* f = SelectedField();
    FEditor->SetText(f ? f->Text() : QString());
    FEditor->SetModified(false);
}

void TDBGrid::ShowEditor()
{
    if (!CanEditShow()) return;
    if (!FEditorFilter) {
        FEditorFilter = new TEditorKeyFilter(this);
    }
    // Asked before the editor is made again: the old one may have the focus,
    // which goes with it.
    const bool focused = HasFocusNow();
    CreateEditorWidget();
    if (!FEditor->FEdit) {
        FEditorMode = true;
        return;
    }
    FEditorMode = true;
    TColumn* c = RawColumn(FCol);
    QFont qf = c ? c->Font()->ToQFont() : Font()->ToQFont();
    FEditor->FEdit->setFont(qf);
    RefreshEditorText();
    const bool ro = !CanEditModify();
    if (auto* e = qobject_cast<QLineEdit*>(FEditor->FEdit.data())) {
        e->setReadOnly(ro);
        if (c) e->setAlignment(c->Alignment() == taRightJustify ? Qt::AlignRight
                               : c->Alignment() == taCenter ? Qt::AlignHCenter : Qt::AlignLeft);
    } else if (auto* cb = qobject_cast<QComboBox*>(FEditor->FEdit.data())) {
        cb->setEnabled(!ro);
    }
    PlaceEditor();
    FEditor->FEdit->show();
    if (focused) FEditor->FEdit->setFocus();
    FEditor->SelectAll();
    InvalidateCell(FCol, Row());
}

void TDBGrid::HideEditor()
{
    if (!FEditorMode) return;
    FEditorMode = false;
    if (FEditor->FEdit) {
        const bool focus = FEditor->FEdit->hasFocus() || FEditor->FEdit->isAncestorOf(QApplication::focusWidget());
        FEditor->FEdit->hide();
        if (focus && FGridWidget) FGridWidget->setFocus();
    }
    Invalidate();
}

void TDBGrid::PlaceEditor()
{
    if (!FEditorMode || !FEditor->FEdit) return;
    TRect r = CellRect(FCol, Row());
    if (r.Width() <= 0) {
        // Scrolled off the screen: the focus the editor had stays in the grid
        // (hidden with it, the toolkit would hand it to the next control).
        QWidget* e = FEditor->FEdit;
        if (FGridWidget && (e->hasFocus() || e->isAncestorOf(QApplication::focusWidget())))
            FGridWidget->setFocus(Qt::OtherFocusReason);
        e->hide();
        return;
    }
    FEditor->FEdit->setGeometry(ToQRect(r));
}

void TDBGrid::UpdateData()
{
    if (!FEditorMode || !FEditor->Modified()) return;
    TField* f = SelectedField();
    if (!f) return;
    const QString text = FEditor->Text();
    FEditor->SetModified(false);
    if (!FDataLink->Editing() && !FDataLink->Edit()) return;
    f->SetText(text);
}

bool TDBGrid::EditorKeyEvent(QKeyEvent* e)
{
    // The grid passes on the character that opened the editor: seen already.
    if (FEditorTypedKey) return false;
    // Keys the editor leaves to the grid.
    WORD key = VirtualKeyOf(e);
    TShiftState shift = ShiftStateOf(e->modifiers());
    if (e->key() == Qt::Key_Backtab) shift += ssShift;
    // Without "tab moves", Tab and Shift+Tab leave the grid as they leave
    // any control; the cell keeps its text, as when the grid is left by a
    // click.
    if (key == VK_TAB && !FOptions.Contains(dgTabs) && !(e->modifiers() & (Qt::AltModifier | Qt::ControlModifier))) {
        if (FGridWidget) GuardedInput([&] { FGridWidget->LeaveByTab(!shift.Contains(ssShift)); });
        return true;
    }
    bool toGrid = false;
    switch (key) {
    case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT:
        toGrid = !FEditor->DroppedDown() && !(e->modifiers() & Qt::AltModifier);
        break;
    case VK_ESCAPE: case VK_RETURN: case VK_TAB: case VK_F2: toGrid = true; break;
    case VK_INSERT: toGrid = false; break;
    case VK_DELETE: toGrid = shift.Contains(ssCtrl); break;
    case VK_LEFT: case VK_HOME:
        if (auto* le = qobject_cast<QLineEdit*>(FEditor->Widget()))
            toGrid = le->cursorPosition() == 0 && !le->hasSelectedText();
        break;
    case VK_RIGHT: case VK_END:
        if (auto* le = qobject_cast<QLineEdit*>(FEditor->Widget()))
            toGrid = le->cursorPosition() == le->text().length() && !le->hasSelectedText();
        break;
    default: break;
    }
    if (!toGrid) {
        // The grid's key-press event also fires for what is typed in the editor.
        QString t = e->text();
        if (!t.isEmpty() && t.at(0).isPrint()) {
            QChar ch = t.at(0);
            if (OnKeyPress) OnKeyPress(this, ch);
            if (ch.isNull()) return true;
            // A character the column's field cannot take is refused as typed.
            if (!(e->modifiers() & Qt::ControlModifier) && !CanEditAcceptKey(ch)) {
                Beep();
                return true;
            }
        }
        return false;
    }
    GuardedInput([&] {
        FEditorReplaceHomeEnd = true;
        WORD k = key;
        KeyDown(k, shift);
        FEditorReplaceHomeEnd = false;
        if (k == VK_RETURN) {
            QChar ch(13);
            KeyPress(ch);
        } else if (k == VK_ESCAPE) {
            QChar ch(27);
            KeyPress(ch);
        }
    });
    return true;
}

TEditorKeyFilter::TEditorKeyFilter(TDBGrid* g) : FGrid(g) {}

bool TEditorKeyFilter::eventFilter(QObject* o, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) return FGrid->EditorKeyEvent(static_cast<QKeyEvent*>(e));
    if (e->type() == QEvent::FocusOut) FGrid->GuardedInput([this] { FGrid->FocusLost(); });
    return false;
}

// ---------------------------------------------------------- TGridDataLink

void TGridDataLink::ActiveChanged() { FGrid->LinkActive(Active()); }
void TGridDataLink::DataSetChanged() { FGrid->DataChanged(); }
void TGridDataLink::DataSetScrolled(int Distance) { FGrid->Scroll(Distance); }
void TGridDataLink::EditingChanged() { FGrid->EditingChanged(); }
void TGridDataLink::LayoutChanged()
{
    FGrid->InternalLayout();
    FGrid->DataChanged();
}
void TGridDataLink::RecordChanged(TField* Field) { FGrid->RecordChanged(Field); }
void TGridDataLink::UpdateData() { FGrid->UpdateData(); }
void TGridDataLink::CheckBrowseMode()
{
    if (FGrid->Options().Contains(dgEditing) && DataSet()->LeavingRecord()) FGrid->CancelUntouchedNewRow();
}
void TGridDataLink::FocusControl(TField* Field)
{
    for (int i = 0; i < FGrid->Columns()->Count(); ++i)
        if (FGrid->Columns()->Items(i)->Field() == Field) {
            FGrid->SetSelectedIndex(i);
            try {
                if (FGrid->CanFocus()) FGrid->SetFocus();
            } catch (const EInvalidOperation&) {
            }
            return;
        }
}

// ------------------------------------------------------- property tables

static const TPropertyRegistration regColumnTitle(QStringLiteral("TColumnTitle"), QString(), [] {
    PTypeInfo color = RegisterOrdinalType(QStringLiteral("TColor"), tkInteger);
    PTypeInfo align = RegisterEnumType(QStringLiteral("TAlignment"), {QStringLiteral("taLeftJustify"),
                                                                       QStringLiteral("taRightJustify"),
                                                                       QStringLiteral("taCenter")});
    return std::vector<TPropInfo>{
        OrdProp(QStringLiteral("Alignment"), align, &TColumnTitle::Alignment, &TColumnTitle::SetAlignment),
        StrProp(QStringLiteral("Caption"), &TColumnTitle::Caption, &TColumnTitle::SetCaption),
        OrdProp(QStringLiteral("Color"), color, &TColumnTitle::Color, &TColumnTitle::SetColor),
        ObjectProp(QStringLiteral("Font"), RegisterClassType(QStringLiteral("TFont")), &TColumnTitle::Font,
                   &TColumnTitle::SetFont),
    };
});

static const TPropertyRegistration regColumn(QStringLiteral("TColumn"), QString(), [] {
    PTypeInfo color = RegisterOrdinalType(QStringLiteral("TColor"), tkInteger);
    PTypeInfo align = RegisterEnumType(QStringLiteral("TAlignment"), {QStringLiteral("taLeftJustify"),
                                                                       QStringLiteral("taRightJustify"),
                                                                       QStringLiteral("taCenter")});
    PTypeInfo button = RegisterEnumType(QStringLiteral("TColumnButtonStyle"),
                                        {QStringLiteral("cbsAuto"), QStringLiteral("cbsEllipsis"), QStringLiteral("cbsNone")});
    PTypeInfo ime = RegisterEnumType(
        QStringLiteral("TImeMode"),
        {QStringLiteral("imDisable"), QStringLiteral("imClose"), QStringLiteral("imOpen"), QStringLiteral("imDontCare"),
         QStringLiteral("imSAlpha"), QStringLiteral("imAlpha"), QStringLiteral("imHira"), QStringLiteral("imSKata"),
         QStringLiteral("imKata"), QStringLiteral("imChinese"), QStringLiteral("imSHanguel"), QStringLiteral("imHanguel")});
    return std::vector<TPropInfo>{
        OrdProp(QStringLiteral("Alignment"), align, &TColumn::Alignment, &TColumn::SetAlignment),
        OrdProp(QStringLiteral("ButtonStyle"), button, &TColumn::ButtonStyle, &TColumn::SetButtonStyle, cbsAuto),
        OrdProp(QStringLiteral("Color"), color, &TColumn::Color, &TColumn::SetColor),
        OrdProp(QStringLiteral("DropDownRows"), TypeInfoInteger(), &TColumn::DropDownRows, &TColumn::SetDropDownRows, 7),
        OrdProp(QStringLiteral("Expanded"), TypeInfoBoolean(), &TColumn::Expanded, &TColumn::SetExpanded, 1),
        StrProp(QStringLiteral("FieldName"), &TColumn::FieldName, &TColumn::SetFieldName),
        ObjectProp(QStringLiteral("Font"), RegisterClassType(QStringLiteral("TFont")), &TColumn::Font, &TColumn::SetFont),
        OrdProp(QStringLiteral("ImeMode"), ime, &TColumn::ImeMode, &TColumn::SetImeMode, imDontCare),
        StrProp(QStringLiteral("ImeName"), &TColumn::ImeName, &TColumn::SetImeName),
        ObjectProp(QStringLiteral("PickList"), RegisterClassType(QStringLiteral("TStrings")), &TColumn::PickList,
                   &TColumn::SetPickList),
        ObjectProp(QStringLiteral("PopupMenu"), RegisterClassType(QStringLiteral("TPopupMenu")), &TColumn::PopupMenu,
                   &TColumn::SetPopupMenu),
        OrdProp(QStringLiteral("ReadOnly"), TypeInfoBoolean(), &TColumn::ReadOnly, &TColumn::SetReadOnly, 0),
        ObjectProp(QStringLiteral("Title"), RegisterClassType(QStringLiteral("TColumnTitle")), &TColumn::Title,
                   &TColumn::SetTitle),
        OrdProp(QStringLiteral("Visible"), TypeInfoBoolean(), &TColumn::Visible, &TColumn::SetVisible, 1),
        OrdProp(QStringLiteral("Width"), TypeInfoInteger(), &TColumn::Width, &TColumn::SetWidth),
    };
});

// The grid's columns are stored with the form (a form storage's
// "DBGrid.Columns" keeps their order, widths, titles and the rest).
static const TPropertyRegistration regDBGrid(QStringLiteral("TDBGrid"), QStringLiteral("TWinControl"), [] {
    return std::vector<TPropInfo>{
        ObjectProp(QStringLiteral("Columns"), RegisterClassType(QStringLiteral("TDBGridColumns")), &TDBGrid::Columns,
                   &TDBGrid::SetColumns),
    };
});
