#include "platform/ui/DBCtrls.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QTableView>
#include <QToolButton>
#include <algorithm>

#include "platform/ui/ComboBoxes.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/EventBridge.h"
#include "platform/ui/Forms.h"

// ======================================================= TFieldControlLink

TFieldControlLink::TFieldControlLink(TComponent* control)
{
    FDataLink.SetControl(control);
    FDataLink.OnDataChange = [this](TObject*) { DataChange(); };
    FDataLink.OnEditingChange = [this](TObject*) { EditingChange(); };
    FDataLink.OnUpdateData = [this](TObject*) { UpdateData(); };
    FDataLink.OnActiveChange = [this](TObject*) { EditingChange(); };
}

TFieldControlLink::~TFieldControlLink()
{
    FDataLink.OnDataChange = nullptr;
    FDataLink.OnEditingChange = nullptr;
    FDataLink.OnUpdateData = nullptr;
    FDataLink.OnActiveChange = nullptr;
    FDataLink.SetDataSource(nullptr);
}

bool TFieldControlLink::CommitOrReport(TWinControl* control)
{
    try {
        FDataLink.UpdateRecord();
        return true;
    } catch (...) {
        if (control->CanFocus()) {
            try { control->SetFocus(); } catch (...) {}
        }
        Application->HandleException(control);
        return false;
    }
}

void TFieldControlLink::EditKeyDown(WORD& Key, TShiftState Shift, bool EnterEdits)
{
    // Keys that change the text without typing a character.
    const bool edits = Key == VK_DELETE || Key == VK_BACK || (Key == VK_INSERT && Shift.Contains(ssShift)) ||
                       ((Key == 'X' || Key == 'V') && Shift.Contains(ssCtrl)) || (EnterEdits && Key == VK_RETURN);
    if (Key && edits && !FDataLink.Edit()) Key = 0;
}

bool TFieldControlLink::EditKeyPress(QChar& Key)
{
    if (Key.isNull()) return false;
    if (Key.unicode() == 27) {
        FDataLink.Reset();
        Key = QChar();
        return true;
    }
    // A character that cannot belong to the field's value (a letter in a
    // number) is refused as it is typed.
    if (Key.isPrint() && Field() && !Field()->IsValidChar(Key)) {
        MessageBeep();
        Key = QChar();
        return false;
    }
    if ((Key.isPrint() || Key == QLatin1Char('\b')) && !FDataLink.Edit()) {
        MessageBeep();
        Key = QChar();
    }
    return false;
}

void TFieldControlLink::TextChangedByUser()
{
    if (!FShowing) FDataLink.SetModified();
}

// ================================================================= TDBEdit

TDBEdit::TDBEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner), TFieldControlLink(this)
{
    SetWindowReadOnly(true);
}

void TDBEdit::DataChange()
{
    TField* f = Field();
    FShowing = true;
    // Qt's line edit loses its selection when its limit is set: only on a change.
    const int limit = f && f->InheritsFrom(QStringLiteral("TStringField")) ? f->Size() : 0;
    if (limit != MaxLength()) SetMaxLength(limit);
    // The edit text while the edit has the focus and may change the field,
    // the display text otherwise.
    const QString t = !f ? QString() : Focused() && FDataLink.CanModify() ? f->Text() : f->DisplayText();
    if (t != Text()) SetText(t);   // the same text keeps the selection
    SetModified(false);
    FShowing = false;
}

void TDBEdit::EditingChange() { SetWindowReadOnly(!FDataLink.Editing()); }

void TDBEdit::DoEnter()
{
    if (Field()) FDataLink.Reset();
    TCustomMaskEdit::DoEnter();
}

void TDBEdit::UpdateData()
{
    if (TField* f = Field()) f->SetText(Text());
}

void TDBEdit::Change()
{
    TextChangedByUser();
    TCustomMaskEdit::Change();
}

void TDBEdit::KeyDown(WORD& Key, TShiftState Shift)
{
    TCustomMaskEdit::KeyDown(Key, Shift);
    EditKeyDown(Key, Shift, false);
}

void TDBEdit::KeyPress(QChar& Key)
{
    TCustomMaskEdit::KeyPress(Key);
    if (EditKeyPress(Key)) SelectAll();
}

void TDBEdit::DoExit()
{
    if (!CommitOrReport(this)) {
        SelectAll();
        return;
    }
    TCustomMaskEdit::DoExit();
    if (Field()) FDataLink.Reset();
}

// ================================================================= TDBMemo

TDBMemo::TDBMemo(TComponent* AOwner) : TMemo(AOwner), TFieldControlLink(this)
{
    TMemo::SetReadOnly(true);
}

void TDBMemo::DataChange()
{
    FShowing = true;
    TField* f = Field();
    const QString t = f ? f->AsString() : QString();
    if (t != Text()) SetText(t);   // the same text keeps the cursor
    FShowing = false;
}

void TDBMemo::EditingChange() { TMemo::SetReadOnly(!FDataLink.Editing()); }

void TDBMemo::UpdateData()
{
    if (TField* f = Field()) f->SetAsString(Text());
}

void TDBMemo::Change()
{
    TextChangedByUser();
    TMemo::Change();
}

void TDBMemo::KeyDown(WORD& Key, TShiftState Shift)
{
    TMemo::KeyDown(Key, Shift);
    EditKeyDown(Key, Shift, true);
}

void TDBMemo::KeyPress(QChar& Key)
{
    TMemo::KeyPress(Key);
    EditKeyPress(Key);
}

void TDBMemo::DoExit()
{
    if (!CommitOrReport(this)) return;
    TMemo::DoExit();
}

// ======================================================= TDBLookupComboBox

class TDBLookupComboBox::ListLink : public TDataLink {
public:
    explicit ListLink(TDBLookupComboBox* box) : box(box) {}
    TDBLookupComboBox* box;

protected:
    void ActiveChanged() override { box->ListChanged(); }
    void DataSetChanged() override { box->ListChanged(); }
    void LayoutChanged() override { box->ListChanged(); }
    void DataSetScrolled(int) override {}
    void RecordChanged(TField*) override {}
};

// The list dataset's rows as the drop-down's table: read from the view
// without moving the dataset, only the rows the list shows.
class TDBLookupComboBox::ListModel : public QAbstractTableModel {
public:
    explicit ListModel(TDBLookupComboBox* box) : box(box) {}
    TDBLookupComboBox* box;
    int rowCount(const QModelIndex& parent) const override
    {
        TDataSet* ds = box->FListLink->DataSet();
        return parent.isValid() || !ds || !ds->Active() || box->ListFields().empty() ? 0 : ds->ViewRowCount();
    }
    int columnCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : std::max(1, int(box->ListFields().size()));
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole) return {};
        const std::vector<TField*> fields = box->ListFields();
        TDataSet* ds = box->FListLink->DataSet();
        if (!ds || index.column() >= int(fields.size())) return {};
        return ds->GetFieldText(index.row(), fields[size_t(index.column())], true);
    }
    void Reset()
    {
        beginResetModel();
        endResetModel();
    }
};

namespace {
// The combo box whose drop-down may be wider than the box and aligned to
// its right edge.
class LookupCombo : public QComboBox {
public:
    using QComboBox::QComboBox;
    int popupWidth = 0;
    TDropDownAlign align = daLeft;
    std::function<void()> onDropDown, onCloseUp;
    void showPopup() override
    {
        if (onDropDown) onDropDown();
        view()->setMinimumWidth(std::max(popupWidth, width()));
        QComboBox::showPopup();
        QWidget* popup = view()->window();
        if (popup && popup != window() && align != daLeft) {
            const int extra = popup->width() - width();
            const int dx = align == daRight ? extra : extra / 2;
            popup->move(mapToGlobal(QPoint(-dx, 0)).x(), popup->y());
        }
    }
    void hidePopup() override
    {
        QComboBox::hidePopup();
        if (onCloseUp) onCloseUp();
    }
};
}  // namespace

TDBLookupComboBox::TDBLookupComboBox(TComponent* AOwner)
    : TWinControl(AOwner), TFieldControlLink(this), FListLink(new ListLink(this)), FModel(new ListModel(this))
{
    SetTabStop(true);
    FWidth = 145;
    FHeight = 21;
    SetColor(clWindow);
    SetParentColor(false);
}

TDBLookupComboBox::~TDBLookupComboBox()
{
    Destroying();
    FListLink->SetDataSource(nullptr);
    delete FListLink;
    FListLink = nullptr;
    // The box's widget lets go of a model that is destroyed.
    delete FModel;
    FModel = nullptr;
}

QComboBox* TDBLookupComboBox::Combo() const { return qobject_cast<QComboBox*>(FWidget.data()); }

QWidget* TDBLookupComboBox::CreateWidget(QWidget* parentWidget)
{
    auto* c = new LookupCombo(parentWidget);
    DropListUnderBox(c);
    auto* view = new QTableView(c);
    view->horizontalHeader()->hide();
    view->verticalHeader()->hide();
    view->setShowGrid(false);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->verticalHeader()->setMinimumSectionSize(1);
    c->setModel(FModel);
    c->setView(view);
    QObject::connect(c, QOverload<int>::of(&QComboBox::activated), Bridge(),
                     [this](int row) { CallHandler(this, [&] { SelectRow(row); }); });
    c->onDropDown = [this] {
        ApplyListLook();
        if (OnDropDown) OnDropDown(this);
    };
    c->onCloseUp = [this] {
        if (OnCloseUp) OnCloseUp(this);
    };
    return c;
}

void TDBLookupComboBox::InitWidget()
{
    TWinControl::InitWidget();
    ApplyListLook();
    ShowKey();
}

TDataSource* TDBLookupComboBox::ListSource() const { return FListLink->DataSource(); }

void TDBLookupComboBox::SetListSource(TDataSource* v)
{
    FListLink->SetDataSource(v);
    ListChanged();
}

void TDBLookupComboBox::SetKeyField(const QString& v)
{
    FKeyField = v;
    ListChanged();
}

void TDBLookupComboBox::SetListField(const QString& v)
{
    FListField = v;
    ListChanged();
}

void TDBLookupComboBox::SetListFieldIndex(int v)
{
    FListFieldIndex = std::max(0, v);
    ListChanged();
}

void TDBLookupComboBox::SetDropDownRows(int v)
{
    FDropDownRows = std::max(1, v);
    ApplyListLook();
}

std::vector<TField*> TDBLookupComboBox::ListFields() const
{
    std::vector<TField*> out;
    TDataSet* ds = FListLink ? FListLink->DataSet() : nullptr;
    if (!ds || !ds->Active()) return out;
    QString names = FListField.isEmpty() ? FKeyField : FListField;
    for (const QString& n : names.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        if (TField* f = ds->FindField(n.trimmed())) out.push_back(f);
    return out;
}

std::vector<int> TDBLookupComboBox::ColumnWidths() const
{
    std::vector<int> out;
    const std::vector<TField*> fields = ListFields();
    if (fields.size() == 1) {
        out.push_back(std::max(FDropDownWidth, FWidth));
        return out;
    }
    // As the framework measures a column: the field's display width in
    // average characters of the font, plus a margin.
    const QFontMetrics fm(Font()->ToQFont());
    const int ch = fm.horizontalAdvance(QLatin1Char('0'));
    for (TField* f : fields) out.push_back(f->DisplayWidth() * ch + 4);
    return out;
}

void TDBLookupComboBox::ApplyListLook()
{
    auto* c = static_cast<LookupCombo*>(Combo());
    if (!c || !FModel) return;
    c->setMaxVisibleItems(FDropDownRows);
    c->align = FDropDownAlign;
    const std::vector<int> widths = ColumnWidths();
    int total = 0;
    if (auto* view = qobject_cast<QTableView*>(c->view())) {
        for (size_t i = 0; i < widths.size(); ++i) {
            view->setColumnWidth(int(i), widths[i]);
            total += widths[i];
        }
        view->horizontalHeader()->setStretchLastSection(true);
        view->resizeRowsToContents();
    }
    c->popupWidth = FDropDownWidth > 0 ? FDropDownWidth : total;
    c->setModelColumn(std::min(FListFieldIndex, std::max(0, int(widths.size()) - 1)));
}

void TDBLookupComboBox::ListChanged()
{
    if (!FModel || IsDestroying()) return;
    FModel->Reset();
    ApplyListLook();
    ShowKey();
}

void TDBLookupComboBox::DataChange()
{
    TField* f = Field();
    if (f) FKeyValue = f->Value();
    else if (FDataLink.DataSource()) FKeyValue = Variant();
    ShowKey();
}

void TDBLookupComboBox::SetKeyValue(const Variant& v)
{
    FKeyValue = v;
    ShowKey();
}

// Finds the key's row in the list (moving the list dataset there, so that
// whatever follows the list sees the choice) and shows its text.
void TDBLookupComboBox::ShowKey()
{
    if (FShowing || !FListLink) return;
    FShowing = true;
    QString text;
    int row = -1;
    TDataSet* ds = FListLink->DataSet();
    const std::vector<TField*> fields = ListFields();
    try {
        if (ds && ds->Active() && !fields.empty() && !FKeyField.isEmpty() && !FKeyValue.isNull() &&
            FKeyValue.isValid()) {
            const bool browsing = ds->State() == dsBrowse;
            if (browsing ? ds->Locate(FKeyField, FKeyValue, 0)
                         : ds->FindField(FKeyField) && ds->FieldByName(FKeyField)->Value() == FKeyValue) {
                row = ds->CurrentViewRow();
                text = fields[size_t(std::min(FListFieldIndex, int(fields.size()) - 1))]->DisplayText();
            }
        }
    } catch (...) {
        row = -1;
        text.clear();
    }
    TControl::SetText(text);
    if (QComboBox* c = Combo()) {
        const QSignalBlocker block(c);
        c->setCurrentIndex(row);
    }
    FShowing = false;
}

void TDBLookupComboBox::SelectRow(int row)
{
    TDataSet* ds = FListLink->DataSet();
    TField* key = ds && ds->Active() ? ds->FindField(FKeyField) : nullptr;
    if (!key || row < 0 || row >= ds->ViewRowCount()) {
        ShowKey();
        return;
    }
    const Variant value = ds->GetFieldValue(row, key);
    try {
        if (FDataLink.DataSource()) {
            if (!FDataLink.Edit() || !Field()) {
                ShowKey();
                return;
            }
            Field()->SetValue(value);   // the field's change shows the new key
        } else {
            SetKeyValue(value);
        }
        Click();
    } catch (...) {
        ShowKey();
        Application->HandleException(this);
    }
}

void TDBLookupComboBox::DropDown()
{
    if (QComboBox* c = Combo()) c->showPopup();
}

void TDBLookupComboBox::CloseUp()
{
    if (QComboBox* c = Combo()) c->hidePopup();
}

bool TDBLookupComboBox::ListVisible() const
{
    QComboBox* c = Combo();
    return c && c->view() && c->view()->isVisible();
}

// ============================================================ TDBNavigator

class TDBNavigator::NavLink : public TDataLink {
public:
    explicit NavLink(TDBNavigator* nav) : nav(nav) {}
    TDBNavigator* nav;

protected:
    void ActiveChanged() override { nav->UpdateButtons(); }
    void DataSetChanged() override { nav->UpdateButtons(); }
    void EditingChanged() override { nav->UpdateButtons(); }
    void RecordChanged(TField*) override {}
};

namespace {
constexpr int NavButtonCount = nbRefresh + 1;

// The button's picture: arrows, bars, plus and minus, a check mark, a cross
// and a turning arrow, in the button text's colour.
QIcon NavGlyph(TNavigateBtn b)
{
    QPixmap pm(12, 12);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing, true);
    const QColor ink(0, 0, 0);
    p.setPen(QPen(ink, 1.6));
    p.setBrush(ink);
    auto tri = [&](qreal x, bool left) {
        QPolygonF t;
        if (left) t << QPointF(x, 6) << QPointF(x + 4.5, 1.5) << QPointF(x + 4.5, 10.5);
        else t << QPointF(x + 4.5, 6) << QPointF(x, 1.5) << QPointF(x, 10.5);
        p.drawPolygon(t);
    };
    switch (b) {
    case nbFirst: p.drawLine(QPointF(2.5, 1.5), QPointF(2.5, 10.5)); tri(4, true); break;
    case nbPrior: tri(3.5, true); break;
    case nbNext: tri(4, false); break;
    case nbLast: tri(3, false); p.drawLine(QPointF(9.5, 1.5), QPointF(9.5, 10.5)); break;
    case nbInsert: p.drawLine(QPointF(6, 2), QPointF(6, 10)); p.drawLine(QPointF(2, 6), QPointF(10, 6)); break;
    case nbDelete: p.drawLine(QPointF(2, 6), QPointF(10, 6)); break;
    case nbEdit: {
        QPolygonF t;
        t << QPointF(6, 2) << QPointF(10.5, 9) << QPointF(1.5, 9);
        p.drawPolygon(t);
        break;
    }
    case nbPost: p.setBrush(Qt::NoBrush); p.drawPolyline(QPolygonF{QPointF(2, 6), QPointF(5, 9.5), QPointF(10.5, 2.5)}); break;
    case nbCancel: p.drawLine(QPointF(2.5, 2.5), QPointF(9.5, 9.5)); p.drawLine(QPointF(9.5, 2.5), QPointF(2.5, 9.5)); break;
    case nbRefresh: {
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(2, 2, 8, 8), 90 * 16, 270 * 16);
        p.setBrush(ink);
        QPolygonF t;
        t << QPointF(6, 0.5) << QPointF(9, 2.5) << QPointF(6, 4.5);
        p.drawPolygon(t);
        break;
    }
    }
    return QIcon(pm);
}
}  // namespace

TDBNavigator::TDBNavigator(TComponent* AOwner) : TWinControl(AOwner), FLink(new NavLink(this)), FHints(new TStringList)
{
    FWidth = 240;
    FHeight = 25;
    FButtons.resize(NavButtonCount);
    FHints->OnChange = [this](TObject*) { ApplyHints(); };
}

TDBNavigator::~TDBNavigator()
{
    Destroying();
    FLink->SetDataSource(nullptr);
    delete FLink;
    delete FHints;
}

TDataSource* TDBNavigator::DataSource() const { return FLink->DataSource(); }

void TDBNavigator::SetDataSource(TDataSource* v)
{
    FLink->SetDataSource(v);
    UpdateButtons();
}

void TDBNavigator::SetVisibleButtons(TButtonSet v)
{
    FVisibleButtons = v;
    LayoutButtons();
}

void TDBNavigator::SetFlat(bool v)
{
    FFlat = v;
    for (auto& b : FButtons)
        if (b) b->setAutoRaise(v);
}

TStrings* TDBNavigator::Hints() const { return FHints; }
void TDBNavigator::SetHints(TStrings* v) { FHints->Assign(v); }

bool TDBNavigator::ButtonVisible(TNavigateBtn b) const { return FVisibleButtons.Contains(b); }

QToolButton* TDBNavigator::Button(TNavigateBtn b) const { return FButtons[size_t(b)]; }

QWidget* TDBNavigator::CreateWidget(QWidget* parentWidget)
{
    auto* w = new QWidget(parentWidget);
    for (int i = 0; i < NavButtonCount; ++i) {
        auto* b = new QToolButton(w);
        b->setIcon(NavGlyph(TNavigateBtn(i)));
        b->setFocusPolicy(Qt::NoFocus);
        QObject::connect(b, &QToolButton::clicked, Bridge(),
                         [this, i] { CallHandler(this, [&] { BtnClick(TNavigateBtn(i)); }); });
        FButtons[size_t(i)] = b;
        WatchWidget(b);
    }
    return w;
}

bool TDBNavigator::WidgetEvent(QObject* watched, QEvent* event)
{
    // The application's hint follows the button under the mouse as it
    // follows a control; off a button it is the navigator's own.
    // The tool tip is brought up to date first (ShowHint may have changed).
    if (event->type() == QEvent::Enter || event->type() == QEvent::Leave) {
        for (int i = 0; i < NavButtonCount; ++i) {
            if (watched != FButtons[size_t(i)]) continue;
            const QString hint = ButtonHint(TNavigateBtn(i));
            if (event->type() == QEvent::Leave || hint.isEmpty()) {
                Perform(CM_MOUSEENTER);
            } else {
                ApplyHints();
                Application->SetHint(GetLongHint(hint));
            }
            break;
        }
    }
    return TWinControl::WidgetEvent(watched, event);
}

QString TDBNavigator::ButtonHint(TNavigateBtn b) const { return int(b) < FHints->Count() ? FHints->Strings(int(b)) : QString(); }

void TDBNavigator::InitWidget()
{
    TWinControl::InitWidget();
    SetFlat(FFlat);
    ApplyHints();
    LayoutButtons();
    UpdateButtons();
}

void TDBNavigator::Resize()
{
    TWinControl::Resize();
    LayoutButtons();
}

void TDBNavigator::EnabledChanged()
{
    TWinControl::EnabledChanged();
    UpdateButtons();
}

void TDBNavigator::LayoutButtons()
{
    int shown = 0;
    for (int i = 0; i < NavButtonCount; ++i) shown += ButtonVisible(TNavigateBtn(i)) ? 1 : 0;
    if (shown == 0) shown = 1;
    // The width is shared out evenly; the pixels left over go to the first buttons.
    const int w = FWidth / shown, extra = FWidth % shown;
    int x = 0, k = 0;
    for (int i = 0; i < NavButtonCount; ++i) {
        QToolButton* b = FButtons[size_t(i)];
        if (!b) continue;
        const bool visible = ButtonVisible(TNavigateBtn(i));
        b->setVisible(visible);
        if (!visible) continue;
        const int bw = w + (k++ < extra ? 1 : 0);
        b->setGeometry(x, 0, bw, FHeight);
        x += bw;
    }
}

void TDBNavigator::ApplyHints()
{
    for (int i = 0; i < NavButtonCount; ++i)
        if (QToolButton* b = FButtons[size_t(i)])
            b->setToolTip(EffectiveShowHint() && Application->ShowHint() ? GetShortHint(ButtonHint(TNavigateBtn(i)))
                                                                         : QString());
}

bool TDBNavigator::ButtonEnabled(TNavigateBtn b) const
{
    TDataSet* ds = FLink->DataSet();
    if (!Enabled() || !FLink->Active() || !ds) return false;
    const bool editing = FLink->Editing();
    const bool canModify = ds->CanModify();
    switch (b) {
    case nbFirst:
    case nbPrior: return !ds->Bof();
    case nbNext:
    case nbLast: return !ds->Eof();
    case nbInsert: return canModify;
    case nbDelete: return canModify && !(ds->Bof() && ds->Eof());
    case nbEdit: return canModify && !editing;
    case nbPost:
    case nbCancel: return canModify && editing;
    case nbRefresh: return !editing;
    }
    return false;
}

void TDBNavigator::UpdateButtons()
{
    if (IsDestroying()) return;
    for (int i = 0; i < NavButtonCount; ++i)
        if (QToolButton* b = FButtons[size_t(i)]) b->setEnabled(ButtonEnabled(TNavigateBtn(i)));
}

void TDBNavigator::BtnClick(TNavigateBtn Index)
{
    TDataSet* ds = FLink->DataSet();
    if (!ds || !FLink->Active()) return;
    try {
        if (BeforeAction) BeforeAction(this, Index);
        switch (Index) {
        case nbFirst: ds->First(); break;
        case nbPrior: ds->Prior(); break;
        case nbNext: ds->Next(); break;
        case nbLast: ds->Last(); break;
        case nbInsert: ds->Insert(); break;
        case nbDelete:
            if (!FConfirmDelete || MessageDlg(QStringLiteral("Удалить запись?"), mtConfirmation, {mbOK, mbCancel}) ==
                                       mrOk)
                ds->Delete();
            break;
        case nbEdit: ds->Edit(); break;
        case nbPost: ds->Post(); break;
        case nbCancel: ds->Cancel(); break;
        case nbRefresh: ds->Refresh(); break;
        }
        if (OnClick) OnClick(this, Index);
    } catch (...) {
        Application->HandleException(this);
    }
    UpdateButtons();
}
