#include "registerbase/RegisterWindowBase.h"

#include "components/DrawUtils.h"
#include "components/QvCtrls.h"
#include "data/unCommon.h"
#include "data/unDM.h"
#include "platform/ado/ADODB.h"
#include "platform/core/SysUtils.h"
#include "platform/db/DB.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComboBoxes.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/StdCtrls.h"
#include "registerbase/unPanSearch.h"

using namespace RegisterFilter;

TRegisterWindowBase::TRegisterWindowBase(TComponent* AOwner) : TForm(AOwner)
{
    SetClientWidth(502);
    SetClientHeight(308);
    Font()->SetName(QStringLiteral("Tahoma"));
    Font()->SetSize(8);

    ImageList = new TImageList(16, 16, this);
    ImageList->SetName(QStringLiteral("ImageList"));
    BuildImages();

    AManager = new TActionManager(this);
    AManager->SetName(QStringLiteral("AManager"));
    AManager->SetImages(ImageList);
    using W = TRegisterWindowBase;
    MakeAction(aNFirst, "aNFirst", QString(), 4,
               QStringLiteral("Перейти к первой позиции (Ctrl+Up)|Перейти к первой позиции"), &W::aNFirstExecute);
    MakeAction(aNPrev, "aNPrev", QString(), 9,
               QStringLiteral("Перейти к предыдущей позиции (Up)|Перейти к предыдущей позиции"), &W::aNPrevExecute);
    MakeAction(aNNext, "aNNext", QString(), 7,
               QStringLiteral("Перейти к следующей позиции (Down)|Перейти к следующей позиции"), &W::aNNextExecute);
    MakeAction(aNLast, "aNLast", QString(), 6,
               QStringLiteral("Перейти к последней позиции (Ctrl+Down)|Перейти к последней позиции"),
               &W::aNLastExecute);
    MakeAction(aNRefresh, "aNRefresh", QString(), 0, QStringLiteral("Обновить"), &W::aNRefreshExecute);
    aNRefresh->SetShortCut(VK_F5);
    MakeAction(aSearch, "aSearch", QStringLiteral("&Поиск..."), 18, QStringLiteral("Поиск по справочнику"),
               &W::aSearchExecute);
    aSearch->SetShortCut(scCtrl | 'F');
    MakeAction(aExportToExcel, "aExportToExcel", QString(), 11, QStringLiteral("Экспорт в Excel"),
               &W::aExportToExcelExecute);

    // The tool bar in its cool bar; the buttons come from the derived window.
    CoolBar = new TCoolBar(this);
    CoolBar->SetName(QStringLiteral("CoolBar"));
    CoolBar->SetParent(this);
    CoolBar->SetAlign(alTop);
    CoolBar->SetAutoSize(false);
    CoolBar->SetHeight(30);
    CoolBar->SetEdgeBorders(TEdgeBorders{ebTop, ebBottom});
    CoolBar->SetBandMaximize(bmDblClick);
    ToolBar = new TToolBar(this);
    ToolBar->SetName(QStringLiteral("ToolBar"));
    ToolBar->SetParent(CoolBar);
    ToolBar->SetFlat(true);
    ToolBar->SetImages(ImageList);
    ToolBar->SetShowHint(true);
    CoolBar->AddBand(ToolBar, 22);

    // Filter panel.
    panFilter = new TPanel(this);
    panFilter->SetName(QStringLiteral("panFilter"));
    panFilter->SetParent(this);
    panFilter->SetAlign(alTop);
    panFilter->SetBevelOuter(bvNone);
    panFilter->SetCaption(QString());
    panFilter->SetHeight(25);
    MakeFilterButton(sbDelFilter0, "sbDelFilter0", QStringLiteral("Удалить условие фильтра"),
                     panFilter->Width() - 67);
    sbDelFilter0->SetVisible(false);
    MakeFilterButton(sbAddFilter, "sbAddFilter", QStringLiteral("Добавить условие фильтра"),
                     panFilter->Width() - 45);
    MakeFilterButton(sbApplyFilter, "sbApplyFilter", QStringLiteral("Обновить данные в соответствии с фильтром"),
                     panFilter->Width() - 23);
    {
        auto glyph = [this](TQvSpeedButton* b, int index) {
            TBitmap bmp(16, 16);
            bmp.Canvas()->Brush()->SetColor(clFuchsia);
            bmp.Canvas()->FillRect(Rect(0, 0, 16, 16));
            ImageList->Draw(bmp.Canvas(), 0, 0, index);
            b->SetGlyph(&bmp);
        };
        glyph(sbDelFilter0, 15);
        glyph(sbAddFilter, 16);
        glyph(sbApplyFilter, 17);
    }
    sbAddFilter->OnClick = [this](TObject* s) { sbAddFilterClick(s); };
    sbApplyFilter->OnClick = [this](TObject* s) { sbApplyFilterClick(s); };

    panSearch = new TPanel(this);
    panSearch->SetName(QStringLiteral("panSearch"));
    panSearch->SetParent(this);
    panSearch->SetAlign(alBottom);
    panSearch->SetBevelOuter(bvNone);
    panSearch->SetCaption(QString());
    panSearch->SetHeight(25);
    panSearch->SetVisible(false);
    Bevel1 = new TPanel(this);
    Bevel1->SetName(QStringLiteral("Bevel1"));
    Bevel1->SetParent(panSearch);
    Bevel1->SetCaption(QString());
    Bevel1->SetBevelOuter(bvLowered);
    Bevel1->SetAlign(alTop);
    Bevel1->SetHeight(2);
    edSearch = new TSearchEdit(this);
    edSearch->SetName(QStringLiteral("edSearch"));
    edSearch->SetParent(panSearch);
    edSearch->SetBounds(0, 3, panSearch->Width(), 21);
    edSearch->SetAnchors(TAnchors{akLeft, akTop, akRight});

    DataSource = new TDataSource(this);
    DataSource->SetName(QStringLiteral("DataSource"));
    DataSource->OnDataChange = [this](TObject* s, TField* f) { DataSourceDataChange(s, f); };
    DataSource->OnStateChange = [this](TObject* s) { DataSourceStateChange(s); };

    DBGrid = new TQvDBGrid(this);
    DBGrid->SetName(QStringLiteral("DBGrid"));
    DBGrid->SetParent(this);
    DBGrid->SetAlign(alClient);
    DBGrid->SetDataSource(DataSource);
    DBGrid->SetTitleButtons(true);
    DBGrid->SetOptions(TDBGridOptions{dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines,
                                      dgAlwaysShowSelection, dgCancelOnExit});
    DBGrid->OnKeyDown = [this](TObject* s, WORD& k, TShiftState sh) { DBGridKeyDown(s, k, sh); };
    DBGrid->OnTitleClick = [this](TColumn* c) { DBGridTitleClick(c); };
    DBGrid->OnGetBtnParams = [this](TObject* s, TField* f, TFont* font, TColor& bg, TSortMarker& m, bool down) {
        DBGridGetBtnParams(s, f, font, bg, m, down);
    };

    Filter = new TADOQuery(this);
    Filter->SetName(QStringLiteral("Filter"));

    Timer = new TTimer(this);
    Timer->SetName(QStringLiteral("Timer"));
    Timer->SetInterval(50);
    Timer->OnTimer = [this](TObject* s) { TimerTimer(s); };

    OnShow = [this](TObject* s) { FormShow(s); };
    OnActivate = [this](TObject* s) { FormActivate(s); };
    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
}

TRegisterWindowBase::~TRegisterWindowBase()
{
    delete FPanelSearch;
    FPanelSearch = nullptr;
}

void TRegisterWindowBase::BuildImages()
{
    // The pictures at the indexes the actions name.
    LoadActionPictures(ImageList, 21,
                       {{0, "refresh"},   {1, "cancel"},       {2, "delete"},     {3, "edit"},
                        {4, "first"},     {5, "add"},          {6, "last"},       {7, "next"},
                        {8, "post"},      {9, "prior"},        {11, "spreadsheet"}, {12, "document-new"},
                        {15, "delete"},   {16, "add"},         {17, "apply-filter"}, {18, "search"},
                        {19, "text-document"}, {20, "spreadsheet"}});
}

TAction* TRegisterWindowBase::NewAction(TAction*& a, const char* name, const QString& caption, int image,
                                        const QString& hint, TNotifyEvent exec)
{
    a = new TAction(this);
    a->SetName(QString::fromLatin1(name));
    a->SetCaption(caption);
    a->SetImageIndex(image);
    a->SetHint(hint);
    a->OnExecute = std::move(exec);
    a->SetActionList(AManager);
    return a;
}

TQvSpeedButton* TRegisterWindowBase::MakeFilterButton(TQvSpeedButton*& b, const char* name, const QString& hint,
                                                  int left)
{
    b = new TQvSpeedButton(this);
    b->SetName(QString::fromLatin1(name));
    b->SetParent(panFilter);
    b->SetBounds(left, 2, 22, 22);
    b->SetFlat(true);
    b->SetHint(hint);
    b->SetShowHint(true);
    b->SetAnchors(TAnchors{akRight, akBottom});
    return b;
}

TDataSet* TRegisterWindowBase::DataSet() const { return DataSource ? DataSource->DataSet() : nullptr; }

QString TRegisterWindowBase::TableName() const
{
    auto* ds = dynamic_cast<TCustomADODataSet*>(DataSet());
    return ds ? ds->CommandText() : QString();
}

void TRegisterWindowBase::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_DELETEFILTERROW) {
        WMDeleteFilterRow();
        return;
    }
    TForm::WndProc(Message);
}

void TRegisterWindowBase::AddToolButtons(std::initializer_list<ButtonDef> Buttons)
{
    for (const ButtonDef& d : Buttons) {
        d.Button = new TToolButton(this);
        d.Button->SetName(QString::fromLatin1(d.Name));
        d.Button->SetToolBar(ToolBar);
        if (d.Action)
            d.Button->SetAction(d.Action);
        else
            d.Button->SetStyle(tbsSeparator);
    }
}

bool TRegisterWindowBase::DatabaseConnected()
{
    return DM && DM->adoConnection && DM->adoConnection->Connected();
}

// ---------------------------------------------------------------- show, activate, close

void TRegisterWindowBase::SetBooleanPickLists()
{
    for (int i = 0; i < DBGrid->Columns()->Count(); ++i) {
        TColumn* c = DBGrid->Columns()->Items(i);
        if (c->Field() && c->Field()->DataType() == ftBoolean) {
            c->PickList()->Clear();
            c->PickList()->Add(QStringLiteral("Да"));
            c->PickList()->Add(QStringLiteral("Нет"));
        }
    }
}

void TRegisterWindowBase::ReopenDataSet()
{
    TDataSet* ds = DataSet();
    if (ds->Active()) ds->Close();
    ds->Open();
    SetBooleanPickLists();
}

void TRegisterWindowBase::InstallSearch()
{
    delete FPanelSearch;
    FPanelSearch = new cPanelSearch;
    FPanelSearch->DataSet = DataSet();
    FPanelSearch->Grid = DBGrid;
    FPanelSearch->Edit = edSearch;
    FPanelSearch->Panel = panSearch;
    FPanelSearch->Form = this;
    FPanelSearch->Install();
}

void TRegisterWindowBase::ShowFilterAndSearch()
{
    sbAddFilter->Click();
    InstallSearch();
}

void TRegisterWindowBase::FormShow(TObject*)
{
    if (!DataSet()) return;
    ReopenDataSet();
    ShowFilterAndSearch();
    if (DBGrid->CanFocus()) DBGrid->SetFocus();
}

void TRegisterWindowBase::FormActivate(TObject*)
{
    if (TDataSet* ds = DataSet(); ds && ds->Active()) ds->Requery();
}

void TRegisterWindowBase::FormClose(TObject*, TCloseAction&) { FFilterRows.clear(); }

// ---------------------------------------------------------------- timer and command states

void TRegisterWindowBase::UpdateSearchExportActions()
{
    TDataSet* ds = DataSet();
    const int count = ds && ds->Active() ? ds->RecordCount() : 0;
    aExportToExcel->SetEnabled(count > 0);
    aSearch->SetEnabled(count > 0);
    if (aSearch->Enabled()) aSearch->SetChecked(panSearch->Visible());
}

void TRegisterWindowBase::TimerTimer(TObject*)
{
    if (DatabaseConnected()) UpdateSearchExportActions();
}

void TRegisterWindowBase::UpdateNavigationActions()
{
    TDataSet* ds = DataSet();
    const bool open = ds && ds->Active();
    const int recNo = open ? ds->RecNo() : 0;
    const int count = open ? ds->RecordCount() : 0;
    aNFirst->SetEnabled(open && !ds->Bof() && recNo > 1);
    aNPrev->SetEnabled(open && !ds->Bof() && recNo > 1);
    aNNext->SetEnabled(open && !ds->Eof() && recNo < count);
    aNLast->SetEnabled(open && !ds->Eof() && recNo < count);
}

void TRegisterWindowBase::DataSourceDataChange(TObject*, TField*) { UpdateNavigationActions(); }
void TRegisterWindowBase::DataSourceStateChange(TObject*) { UpdateNavigationActions(); }

// ---------------------------------------------------------------- commands

void TRegisterWindowBase::aNFirstExecute(TObject*) { DataSet()->First(); }
void TRegisterWindowBase::aNPrevExecute(TObject*) { DataSet()->Prior(); }
void TRegisterWindowBase::aNNextExecute(TObject*) { DataSet()->Next(); }
void TRegisterWindowBase::aNLastExecute(TObject*) { DataSet()->Last(); }
void TRegisterWindowBase::aNRefreshExecute(TObject*) { DataSet()->Refresh(); }

void TRegisterWindowBase::aSearchExecute(TObject*)
{
    const bool show = !panSearch->Visible();
    // The search line opens right under the grid, above any other bottom
    // control (a status bar), wherever it stood when it was closed.
    if (show) panSearch->SetTop(0);
    panSearch->SetVisible(show);
    if (show && edSearch->CanFocus()) edSearch->SetFocus();
}

void TRegisterWindowBase::aExportToExcelExecute(TObject*)
{
    aExportToExcel->SetEnabled(false);
    try {
        ExportGridToExcel(DBGrid, Caption());
    } catch (...) {
        aExportToExcel->SetEnabled(true);
        throw;
    }
    aExportToExcel->SetEnabled(true);
}

// ---------------------------------------------------------------- grid

void TRegisterWindowBase::DBGridTitleClick(TColumn* Column)
{
    TDataSet* ds = DataSet();
    TField* f = Column ? Column->Field() : nullptr;
    // Lookup and calculated columns have no column of the table to sort on.
    if (!ds || !f || f->FieldKind() != fkData) return;
    const QString n = f->FieldName();
    const QString s = ds->Sort();
    if (s == n + QStringLiteral(" ASC"))
        ds->SetSort(n + QStringLiteral(" DESC"));
    else if (s == n + QStringLiteral(" DESC"))
        ds->SetSort(QString());
    else
        ds->SetSort(n + QStringLiteral(" ASC"));
}

void TRegisterWindowBase::DBGridGetBtnParams(TObject*, TField* Field, TFont*, TColor&, TSortMarker& SortMarker,
                                         bool IsDown)
{
    TDataSet* ds = DataSet();
    if (IsDown || !Field || Field->FieldKind() != fkData || !ds) return;
    const QString n = Field->FieldName();
    if (ds->Sort() == n + QStringLiteral(" ASC"))
        SortMarker = smDown;
    else if (ds->Sort() == n + QStringLiteral(" DESC"))
        SortMarker = smUp;
    else
        SortMarker = smNone;
}

// ---------------------------------------------------------------- filter builder

TField* TRegisterWindowBase::FindFieldByDisplayLabel(const QString& Text) const
{
    TDataSet* ds = DataSet();
    if (!ds) return nullptr;
    for (int i = 0; i < ds->FieldCount(); ++i) {
        TField* f = ds->Fields(i);
        if (f->Visible() && f->DisplayLabel() == Text) return f;
    }
    return nullptr;
}

int TRegisterWindowBase::RowIndexOf(TObject* Sender) const
{
    for (size_t i = 0; i < FFilterRows.size(); ++i) {
        const FilterRow& r = FFilterRows[i];
        if (Sender == r.cmbField || Sender == r.cmbExp || Sender == r.cmbValue || Sender == r.sbDel) return int(i);
    }
    return -1;
}

void TRegisterWindowBase::sbAddFilterClick(TObject*)
{
    const int n = int(FFilterRows.size());
    const int newHeight = (n + 1) * 23 + 2;
    if (DBGrid->Height() + panFilter->Height() - newHeight < 100) return;
    panFilter->SetHeight(newHeight);
    const int top = n * 23 + 2;

    FilterRow row;
    row.cmbField = new TComboBox(panFilter);
    row.cmbField->SetParent(panFilter);
    row.cmbField->SetStyle(csDropDownList);
    row.cmbField->SetBounds(0, top, 160, 21);
    row.cmbField->SetTabOrder(3 * n);
    row.cmbField->SetTag(n);
    row.cmbField->Items()->Add(FieldPlaceholder);
    if (TDataSet* ds = DataSet())
        for (int i = 0; i < ds->FieldCount(); ++i) {
            TField* f = ds->Fields(i);
            if (!f->Visible()) continue;
            if (FilterDataFieldsOnly && (f->Lookup() || f->FieldKind() != fkData)) continue;
            row.cmbField->Items()->Add(f->DisplayLabel());
        }
    row.cmbField->SetItemIndex(0);
    row.cmbField->OnSelect = [this](TObject* s) { cmbFieldSelect(s); };

    row.cmbExp = new TComboBox(panFilter);
    row.cmbExp->SetParent(panFilter);
    row.cmbExp->SetDropDownCount(15);
    row.cmbExp->SetBounds(162, top, 152, 21);
    row.cmbExp->SetTabOrder(3 * n + 1);
    row.cmbExp->SetTag(n);
    row.cmbExp->SetStyle(csDropDownList);
    row.cmbExp->OnSelect = [this](TObject* s) { cmbExpSelect(s); };

    row.cmbValue = new TComboBox(panFilter);
    row.cmbValue->SetParent(panFilter);
    row.cmbValue->SetBounds(316, top, panFilter->Width() - 385, 21);
    row.cmbValue->SetAnchors(TAnchors{akLeft, akTop, akRight});
    row.cmbValue->SetStyle(csDropDownList);
    row.cmbValue->SetTabOrder(3 * n + 2);
    row.cmbValue->SetTag(n);
    row.cmbValue->OnKeyPress = [this](TObject* s, QChar& k) { cmbValueKeyPress(s, k); };

    row.sbDel = new TQvSpeedButton(panFilter);
    row.sbDel->SetParent(panFilter);
    row.sbDel->SetAnchors(TAnchors{akTop, akRight});
    row.sbDel->SetFlat(true);
    row.sbDel->SetFont(panFilter->Font());
    row.sbDel->SetGlyph(sbDelFilter0->Glyph());
    row.sbDel->SetBounds(panFilter->Width() - 67, top, 22, 22);
    row.sbDel->SetHint(QStringLiteral("Удалить условие фильтра"));
    row.sbDel->SetMargin(2);
    row.sbDel->SetTag(n);
    row.sbDel->SetParentShowHint(false);
    row.sbDel->SetShowHint(true);
    row.sbDel->OnClick = [this](TObject* s) { sbDelFilterClick(s); };
    FFilterRows.push_back(row);

    sbAddFilter->SetTop(top);
    sbApplyFilter->SetTop(top);
}

void TRegisterWindowBase::cmbFieldSelect(TObject* Sender)
{
    const int r = RowIndexOf(Sender);
    if (r < 0) return;
    FilterRow& row = FFilterRows[size_t(r)];
    TComboBox* exp = row.cmbExp;
    exp->Items()->Clear();
    if (row.cmbField->ItemIndex() <= 0) {
        exp->Clear();
    } else {
        exp->Items()->Add(OperationPlaceholder);
        for (const QString& op : OperationsFor(FindFieldByDisplayLabel(row.cmbField->Text()))) exp->Items()->Add(op);
        exp->SetItemIndex(0);
    }
    cmbExpSelect(exp);
}

void TRegisterWindowBase::cmbExpSelect(TObject* Sender)
{
    const int r = RowIndexOf(Sender);
    if (r < 0) return;
    FilterRow& row = FFilterRows[size_t(r)];
    row.cmbValue->Items()->Clear();
    row.cmbValue->SetStyle(IsValueOperation(row.cmbExp->Text()) ? csSimple : csDropDownList);
    row.cmbValue->SetText(QString());
}

void TRegisterWindowBase::cmbValueKeyPress(TObject* Sender, QChar& Key)
{
    auto* box = dynamic_cast<TComboBox*>(Sender);
    if (!box || box->Style() != csSimple) return;
    if (Key == QLatin1Char('\r')) {
        if (!box->Text().isEmpty()) {
            sbApplyFilter->Click();
            if (DBGrid->CanFocus()) DBGrid->SetFocus();
        }
    } else if (Key == QLatin1Char('\'')) {
        Key = QChar(0);
    }
}

void TRegisterWindowBase::sbDelFilterClick(TObject* Sender)
{
    auto* b = dynamic_cast<TComponent*>(Sender);
    if (!b) return;
    if (FFilterRows.size() > 1) {
        // The clicked button is one of the controls to be freed: the row goes
        // after the click has finished.
        FPendingFilterRow = int(b->Tag());
        PostMessage(Handle(), WM_DELETEFILTERROW);
        return;
    }
    if (FFilterRows.empty()) return;
    FFilterRows.front().cmbField->SetItemIndex(0);
    cmbFieldSelect(FFilterRows.front().cmbField);
    sbApplyFilter->Click();
    if (DBGrid->CanFocus()) DBGrid->SetFocus();
}

void TRegisterWindowBase::WMDeleteFilterRow()
{
    const int n = int(FFilterRows.size());
    const int k = FPendingFilterRow;
    FPendingFilterRow = -1;
    if (k < 0 || k >= n || n < 2) return;
    {
        FilterRow& row = FFilterRows[size_t(k)];
        delete row.cmbField;
        delete row.cmbExp;
        delete row.cmbValue;
        delete row.sbDel;
    }
    for (int i = k + 1; i < n; ++i) {
        FilterRow& row = FFilterRows[size_t(i)];
        const int top = (i - 1) * 23 + 2;
        for (TControl* c : {static_cast<TControl*>(row.cmbField), static_cast<TControl*>(row.cmbExp),
                            static_cast<TControl*>(row.cmbValue), static_cast<TControl*>(row.sbDel)}) {
            c->SetTop(top);
            c->SetTag(i - 1);
        }
        row.cmbField->SetTabOrder(3 * (i - 1));
        row.cmbExp->SetTabOrder(3 * (i - 1) + 1);
        row.cmbValue->SetTabOrder(3 * (i - 1) + 2);
    }
    FFilterRows.erase(FFilterRows.begin() + k);
    panFilter->SetHeight((n - 1) * 23 + 2);
    const int lastTop = (n - 2) * 23 + 2;
    sbAddFilter->SetTop(lastTop);
    sbApplyFilter->SetTop(lastTop);
    sbApplyFilter->Click();
}

QString TRegisterWindowBase::FilterConditionText()
{
    QString c;
    for (const FilterRow& row : FFilterRows) {
        if (row.cmbField->ItemIndex() <= 0 || row.cmbField->Text() == FieldPlaceholder) continue;
        const QString op = row.cmbExp->Text();
        if (op.isEmpty() || op == OperationPlaceholder) continue;
        const bool simple = row.cmbValue->Style() == csSimple;
        if (simple && row.cmbValue->Text().isEmpty()) continue;
        TField* f = FindFieldByDisplayLabel(row.cmbField->Text());
        if (!f) continue;
        QString v = simple ? row.cmbValue->Text() : QStringLiteral("NULL");
        if (f->Calculated() || (f->FieldKind() != fkData && !f->Lookup())) continue;
        if (f->DataType() == ftBoolean && !f->Lookup()) {
            if (v.toUpper() == QStringLiteral("ДА"))
                v = QStringLiteral("1");
            else if (v.toUpper() == QStringLiteral("НЕТ"))
                v = QStringLiteral("0");
        }
        const QString cond = Condition(f, op, v);
        if (cond.isEmpty()) continue;
        c += (c.isEmpty() ? QStringLiteral(" ") : QStringLiteral(" AND ")) + cond;
    }
    return c;
}

void TRegisterWindowBase::ShowUnfiltered(TDataSet* Shown)
{
    Filter->Close();
    Filter->SetConnection(nullptr);
    Filter->SQL()->Clear();
    Shown->Close();
    Shown->Open();
}

void TRegisterWindowBase::sbApplyFilterClick(TObject*)
{
    auto* ds = dynamic_cast<TCustomADODataSet*>(DataSet());
    if (!ds) return;
    // The rows are read anew: a record being typed is stored first (or
    // refused with the data module's message, and nothing is applied), an
    // untouched new one goes; neither is thrown away with the old rows.
    if (ds->Active()) ds->CheckBrowseMode();
    std::vector<int> widths;
    for (int i = 0; i < DBGrid->Columns()->Count(); ++i) widths.push_back(DBGrid->Columns()->Items(i)->Width());
    // Reopening the dataset makes the columns anew: their pick lists and the
    // widths the user gave them come back, whether the filter was taken or not.
    auto restoreColumns = [&] {
        SetBooleanPickLists();
        if (FilterKeepsColumnWidths)
            for (int i = 0; i < DBGrid->Columns()->Count() && i < int(widths.size()); ++i)
                DBGrid->Columns()->Items(i)->SetWidth(widths[size_t(i)]);
    };

    try {
        const QString c = FilterConditionText();
        if (!c.isEmpty()) {
            const QString statement = QStringLiteral("SELECT * FROM ") + TableName() + QStringLiteral(" WHERE ") + c;
            if (Filter->Active()) Filter->Close();
            Filter->SetConnection(DM->adoConnection);
            Filter->SQL()->SetText(statement);
            Filter->Open();
            ds->SetRecordset(Filter->Recordset());
        } else {
            ShowUnfiltered(ds);
        }
    } catch (...) {
        // A refused filter leaves no filter: the query is closed, so the grid
        // must not go on showing the rows of an earlier one; it shows the
        // whole table, as the status bar (no "Фильтр") then says.
        ShowUnfiltered(ds);
        restoreColumns();
        throw;
    }
    restoreColumns();
}
