#include "registers/RegisterWindow.h"

#include <QRegularExpression>

#include "app/unMain.h"
#include "components/DrawUtils.h"
#include "components/Placement.h"
#include "components/QvCtrls.h"
#include "data/unCommon.h"
#include "data/unDM.h"
#include "platform/ado/ADODB.h"
#include "platform/ado/JetSql.h"
#include "platform/core/SysUtils.h"
#include "platform/db/DB.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComboBoxes.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/ImgList.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"
#include "registers/unPanSearch.h"

// ================================================================ conditions

namespace RegisterFilter {

const QString FieldPlaceholder = QStringLiteral(" - Поле - ");
const QString OperationPlaceholder = QStringLiteral(" - Операция - ");
const QStringList FilterOperations = {
    QStringLiteral("Содержит"),         QStringLiteral("Не содержит"),         QStringLiteral("Начинается с"),
    QStringLiteral("Не начинается с"),  QStringLiteral("Заканчивается на"),    QStringLiteral("Не заканчивается на"),
    QStringLiteral("Равно"),            QStringLiteral("Не равно"),            QStringLiteral("Больше"),
    QStringLiteral("Меньше"),           QStringLiteral("Больше или равно"),    QStringLiteral("Меньше или равно")};
static const QString OpEmpty = QStringLiteral("Пусто");
static const QString OpNotEmpty = QStringLiteral("Не пусто");

bool IsValueOperation(const QString& Operation) { return FilterOperations.contains(Operation); }

namespace {
enum class Cls { Text, DateTime, Bcd, Lookup, Calculated, Other };

bool IsStringType(TFieldType t)
{
    return t == ftString || t == ftWideString || t == ftFixedChar || t == ftFixedWideChar || t == ftGuid;
}
bool IsIntegerType(TFieldType t)
{
    return t == ftSmallint || t == ftInteger || t == ftWord || t == ftAutoInc || t == ftLargeint;
}
bool IsDateType(TFieldType t) { return t == ftDate || t == ftTime || t == ftDateTime || t == ftTimeStamp; }
bool IsBcdType(TFieldType t) { return t == ftBCD || t == ftFMTBcd; }

Cls ClassOf(const TField* f)
{
    if (f->Lookup()) return Cls::Lookup;
    if (f->FieldKind() != fkData) return Cls::Calculated;
    const TFieldType t = f->DataType();
    if (IsDateType(t)) return Cls::DateTime;
    if (IsBcdType(t)) return Cls::Bcd;
    if (IsStringType(t) || IsIntegerType(t) || t == ftBoolean) return Cls::Text;
    return Cls::Other;
}

QString Lit(const QString& v) { return SqlQuote(v, QLatin1Char('\'')); }

// A BCD value goes into the statement unquoted, so it must be a number.
QString BcdLiteral(const QString& v)
{
    QString s = v.trimmed();
    s.replace(QLatin1Char(','), QLatin1Char('.'));
    static const QRegularExpression number(QStringLiteral("^[-+]?([0-9]+([.][0-9]*)?|[.][0-9]+)$"));
    if (!number.match(s).hasMatch())
        throw EDatabaseError(QStringLiteral("Значение \"") + v + QStringLiteral("\" не является числом"));
    return s;
}
}  // namespace

QStringList OperationsFor(const TField* f)
{
    QStringList ops;
    if (!f) return ops;
    const TFieldType t = f->DataType();
    const bool lookup = f->Lookup();
    if (!lookup && f->FieldKind() != fkData) return ops;
    const bool wide = IsStringType(t), date = IsDateType(t), integer = IsIntegerType(t), bcd = IsBcdType(t),
               boolean = t == ftBoolean;
    if ((wide || date) && !lookup) ops += FilterOperations.mid(0, 6);
    if (integer || boolean || bcd || date || wide) ops += FilterOperations.mid(6, 2);
    if ((integer || bcd || date || wide) && !lookup) ops += FilterOperations.mid(8, 4);
    if (integer || boolean || bcd || date || wide) ops << OpEmpty << OpNotEmpty;
    return ops;
}

QString LookupSource(const TField* f)
{
    TDataSet* ds = f ? f->LookupDataSet() : nullptr;
    if (auto* t = dynamic_cast<TADOTable*>(ds)) return t->TableName();
    auto* q = dynamic_cast<TCustomADODataSet*>(ds);
    if (!q) return QString();
    // The lookup queries are whole statements over one table: the table after
    // FROM is the source.
    static const QRegularExpression from(QStringLiteral("\\bFROM\\s+(\\[[^\\]]+\\]|[A-Za-z_][A-Za-z0-9_]*)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const auto m = from.match(q->CommandText());
    return m.hasMatch() ? m.captured(1) : QString();
}

QString Condition(const TField* f, const QString& op, const QString& v)
{
    if (!f) return QString();
    const QString n = f->FieldName();
    switch (ClassOf(f)) {
    case Cls::Lookup: {
        const QString k = f->KeyFields();
        if (op == OpEmpty) return k + QStringLiteral(" IS NULL");
        if (op == OpNotEmpty) return k + QStringLiteral(" IS NOT NULL");
        if (op != FilterOperations[6] && op != FilterOperations[7]) return QString();
        const QString src = LookupSource(f);
        if (src.isEmpty()) return QString();
        return QStringLiteral("(") + k + QStringLiteral(" IN (SELECT ") + f->LookupKeyFields() +
               QStringLiteral(" FROM ") + src + QStringLiteral(" WHERE ") + f->LookupResultField() +
               (op == FilterOperations[6] ? QStringLiteral(" = ") : QStringLiteral(" <> ")) + Lit(v) +
               QStringLiteral("))");
    }
    case Cls::Text:
    case Cls::DateTime: {
        const bool date = ClassOf(f) == Cls::DateTime;
        const int i = int(FilterOperations.indexOf(op));
        switch (i) {
        case 0: return n + QStringLiteral(" LIKE ") + Lit(QLatin1Char('%') + v + QLatin1Char('%'));
        case 1: return n + QStringLiteral(" NOT LIKE ") + Lit(QLatin1Char('%') + v + QLatin1Char('%'));
        case 2: return n + QStringLiteral(" LIKE ") + Lit(v + QLatin1Char('%'));
        case 3: return n + QStringLiteral(" NOT LIKE ") + Lit(v + QLatin1Char('%'));
        case 4: return n + QStringLiteral(" LIKE ") + Lit(QLatin1Char('%') + v);
        case 5: return n + QStringLiteral(" NOT LIKE ") + Lit(QLatin1Char('%') + v);
        default: break;
        }
        if (i >= 6) {
            static const char* const textOps[] = {" LIKE ", " NOT LIKE ", " > ", " < ", " >= ", " <= "};
            static const char* const dateOps[] = {" = ", " <> ", " > ", " < ", " >= ", " <= "};
            if (date)
                return n + QString::fromLatin1(dateOps[i - 6]) + QStringLiteral("DateValue(") + Lit(v) +
                       QStringLiteral(")");
            return n + QString::fromLatin1(textOps[i - 6]) + Lit(v);
        }
        if (op == OpEmpty)
            return date ? n + QStringLiteral(" IS NULL")
                        : QStringLiteral("((") + n + QStringLiteral(" IS NULL") + QStringLiteral(")") +
                              QStringLiteral(" OR (") + n + QStringLiteral(" LIKE ''") + QStringLiteral("))");
        if (op == OpNotEmpty)
            return date ? n + QStringLiteral(" IS NOT NULL")
                        : QStringLiteral("((") + n + QStringLiteral(" IS NOT NULL") + QStringLiteral(")") +
                              QStringLiteral(" AND (") + n + QStringLiteral(" NOT LIKE ''") + QStringLiteral("))");
        return QString();
    }
    case Cls::Bcd: {
        static const char* const ops[] = {" = ", " <> ", " > ", " < ", " >= ", " <= "};
        const int i = int(FilterOperations.indexOf(op));
        if (i >= 6) return n + QString::fromLatin1(ops[i - 6]) + BcdLiteral(v);
        if (op == OpEmpty) return n + QStringLiteral(" IS NULL");
        if (op == OpNotEmpty) return n + QStringLiteral(" IS NOT NULL");
        return QString();
    }
    default:
        return QString();
    }
}

}  // namespace RegisterFilter

using namespace RegisterFilter;

// ================================================================ the window

TRegisterWindow::TRegisterWindow(TComponent* AOwner) : TForm(AOwner)
{
    SetFormStyle(fsMDIChild);
    SetPosition(poDefault);
    SetClientWidth(502);
    SetClientHeight(308);
    Constraints()->SetMinWidth(510);
    Constraints()->SetMinHeight(150);
    Font()->SetName(QStringLiteral("Tahoma"));
    Font()->SetSize(8);

    ImageList = new TImageList(16, 16, this);
    ImageList->SetName(QStringLiteral("ImageList"));
    BuildImages();

    AManager = new TActionManager(this);
    AManager->SetName(QStringLiteral("AManager"));
    AManager->SetImages(ImageList);
    MakeAction(aNFirst, "aNFirst", QString(), 4,
               QStringLiteral("Перейти к первой позиции (Ctrl+Up)|Перейти к первой позиции"),
               &TRegisterWindow::aNFirstExecute);
    MakeAction(aNPrev, "aNPrev", QString(), 9,
               QStringLiteral("Перейти к предыдущей позиции (Up)|Перейти к предыдущей позиции"),
               &TRegisterWindow::aNPrevExecute);
    MakeAction(aNNext, "aNNext", QString(), 7,
               QStringLiteral("Перейти к следующей позиции (Down)|Перейти к следующей позиции"),
               &TRegisterWindow::aNNextExecute);
    MakeAction(aNLast, "aNLast", QString(), 6,
               QStringLiteral("Перейти к последней позиции (Ctrl+Down)|Перейти к последней позиции"),
               &TRegisterWindow::aNLastExecute);
    MakeAction(aNAdd, "aNAdd", QString(), 5, QStringLiteral("Добавить новую позицию (Ins)|Добавить новую позицию"),
               &TRegisterWindow::aNAddExecute);
    MakeAction(aNDelete, "aNDelete", QString(), 2,
               QStringLiteral("Удалить текущую позицию (Ctrl+Del)|Удалить текущую позицию"),
               &TRegisterWindow::aNDeleteExecute);
    MakeAction(aNEdit, "aNEdit", QString(), 3,
               QStringLiteral("Редактировать текущую позицию (F2)|Редактировать текущую позицию"),
               &TRegisterWindow::aNEditExecute);
    MakeAction(aNPost, "aNPost", QString(), 8, QStringLiteral("Сохранить изменения"),
               &TRegisterWindow::aNPostExecute);
    MakeAction(aNCancel, "aNCancel", QString(), 1, QStringLiteral("Отменить изменения (Esc)|Отменить изменения"),
               &TRegisterWindow::aNCancelExecute);
    MakeAction(aNRefresh, "aNRefresh", QString(), 0, QStringLiteral("Обновить"), &TRegisterWindow::aNRefreshExecute);
    aNRefresh->SetShortCut(VK_F5);
    MakeAction(aSearch, "aSearch", QStringLiteral("&Поиск..."), 18, QStringLiteral("Поиск по справочнику"),
               &TRegisterWindow::aSearchExecute);
    aSearch->SetShortCut(scCtrl | 'F');
    MakeAction(aExportToExcel, "aExportToExcel", QString(), 11, QStringLiteral("Экспорт в Excel"),
               &TRegisterWindow::aExportToExcelExecute);
    MakeAction(aCallReport, "aCallReport", QString(), 12, QStringLiteral("Создать документ"),
               &TRegisterWindow::aCallReportExecute);
    MakeAction(aFilter, "aFilter", QStringLiteral("&Фильтр"), -1, QStringLiteral("Фильтровать справочник"),
               &TRegisterWindow::aFilterExecute);

    // Report menu: the report items are built under reports1 on activation.
    pmnReports = new TPopupMenu(this);
    pmnReports->SetName(QStringLiteral("pmnReports"));
    pmnReports->SetImages(ImageList);
    reports1 = NewMenuItem(this, QStringLiteral("reports1"), aCallReport);
    pmnReports->Items()->Add(reports1);

    pmnGrid = new TPopupMenu(this);
    pmnGrid->SetName(QStringLiteral("pmnGrid"));
    pmnGrid->SetImages(ImageList);
    miSearch = NewMenuItem(this, QStringLiteral("miSearch"), aSearch);
    miFilter = NewMenuItem(this, QStringLiteral("miFilter"), aFilter);
    pmnGrid->Items()->Add(miSearch);
    pmnGrid->Items()->Add(miFilter);

    // Tool bar in its cool bar.
    CoolBar = new TCoolBar(this);
    CoolBar->SetName(QStringLiteral("CoolBar"));
    CoolBar->SetParent(this);
    CoolBar->SetAlign(alTop);
    CoolBar->SetHeight(30);
    ToolBar = new TToolBar(this);
    ToolBar->SetName(QStringLiteral("ToolBar"));
    ToolBar->SetParent(CoolBar);
    ToolBar->SetFlat(true);
    ToolBar->SetImages(ImageList);
    ToolBar->SetShowHint(true);
    CoolBar->AddBand(ToolBar, 22);
    MakeButton(ToolButton1, "ToolButton1", aNFirst);
    MakeButton(ToolButton2, "ToolButton2", aNPrev);
    MakeButton(ToolButton3, "ToolButton3", aNNext);
    MakeButton(ToolButton4, "ToolButton4", aNLast);
    MakeButton(ToolButton5, "ToolButton5", aNAdd);
    MakeButton(ToolButton6, "ToolButton6", aNDelete);
    MakeButton(ToolButton7, "ToolButton7", aNEdit);
    MakeButton(ToolButton8, "ToolButton8", aNPost);
    MakeButton(ToolButton9, "ToolButton9", aNCancel);
    MakeButton(ToolButton10, "ToolButton10", aNRefresh);
    MakeButton(ToolButton11, "ToolButton11", nullptr)->SetStyle(tbsSeparator);
    MakeButton(ToolButton12, "ToolButton12", aSearch);
    MakeButton(ToolButton13, "ToolButton13", nullptr)->SetStyle(tbsSeparator);
    MakeButton(ToolButton14, "ToolButton14", aExportToExcel);
    MakeButton(ToolButton15, "ToolButton15", aCallReport);
    ToolButton15->SetStyle(tbsDropDown);
    ToolButton15->SetMenuItem(reports1);
    ToolButton15->SetVisible(false);

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
    sbAddFilter->OnClick = [this](TObject* s) { Guarded([&] { sbAddFilterClick(s); }); };
    sbApplyFilter->OnClick = [this](TObject* s) { Guarded([&] { sbApplyFilterClick(s); }); };

    // Status bar, search line, grid.
    StatusBar = new TStatusBar(this);
    StatusBar->SetName(QStringLiteral("StatusBar"));
    StatusBar->SetParent(this);
    StatusBar->SetAlign(alBottom);
    StatusBar->AddPanel(96);
    StatusBar->AddPanel(55);
    StatusBar->AddPanel(50);
    StatusBar->SetPanelText(0, QStringLiteral("  Позиция: 0 из 0  "));

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
    edSearch = new TEdit(this);
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
    DBGrid->OnMouseUp = [this](TObject*, TMouseButton b, TShiftState, int x, int y) {
        if (b != mbRight) return;
        const TPoint p = DBGrid->ClientToScreen(Point(x, y));
        pmnGrid->Popup(p.X, p.Y);
    };

    Filter = new TADOQuery(this);
    Filter->SetName(QStringLiteral("Filter"));

    FormStorage = new TFormStorage(this);
    FormStorage->SetName(QStringLiteral("FormStorage"));
    FormStorage->SetActive(false);
    FormStorage->SetIniFileName(QStringLiteral("qorvane.ini"));
    {
        TStringList props;
        props.Add(QStringLiteral("DBGrid.Columns"));
        FormStorage->SetStoredProps(&props);
    }

    Timer = new TTimer(this);
    Timer->SetName(QStringLiteral("Timer"));
    Timer->SetInterval(50);
    Timer->OnTimer = [this](TObject* s) { Guarded([&] { TimerTimer(s); }); };

    OnShow = [this](TObject* s) { FormShow(s); };
    OnActivate = [this](TObject* s) { FormActivate(s); };
    OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
}

TRegisterWindow::~TRegisterWindow()
{
    delete FPanelSearch;
    FPanelSearch = nullptr;
}

void TRegisterWindow::Guarded(const std::function<void()>& f)
{
    try {
        f();
    } catch (...) {
        Application->HandleException(this);
    }
}

void TRegisterWindow::BuildImages()
{
    // Tool-bar pictures at the indexes the actions name: simple drawn glyphs.
    ImageList->SetCount(21);
    struct Glyph {
        int index;
        TColor colour;
        const char* text;
    };
    const Glyph glyphs[] = {
        {0, RGB(40, 120, 60), "R"},   {1, RGB(190, 50, 40), "x"},   {2, RGB(190, 50, 40), "-"},
        {3, RGB(60, 100, 170), "e"},  {4, RGB(60, 60, 120), "|<"},  {5, RGB(40, 140, 60), "+"},
        {6, RGB(60, 60, 120), ">|"},  {7, RGB(60, 60, 120), ">"},   {8, RGB(40, 140, 60), "v"},
        {9, RGB(60, 60, 120), "<"},   {11, RGB(30, 130, 60), "X"},  {12, RGB(60, 100, 150), "D"},
        {15, RGB(190, 50, 40), "-"},  {16, RGB(40, 140, 60), "+"},  {17, RGB(60, 100, 170), "F"},
        {18, RGB(160, 110, 40), "?"}, {19, RGB(40, 80, 170), "W"},  {20, RGB(30, 130, 60), "E"}};
    for (const Glyph& g : glyphs) DrawLetterGlyph(ImageList, g.index, g.colour, QString::fromLatin1(g.text));
}

TAction* TRegisterWindow::MakeAction(TAction*& a, const char* name, const QString& caption, int image,
                                     const QString& hint, void (TRegisterWindow::*exec)(TObject*))
{
    a = new TAction(this);
    a->SetName(QString::fromLatin1(name));
    a->SetCaption(caption);
    a->SetImageIndex(image);
    a->SetHint(hint);
    a->OnExecute = [this, exec](TObject* s) { (this->*exec)(s); };
    a->SetActionList(AManager);
    return a;
}

TToolButton* TRegisterWindow::MakeButton(TToolButton*& b, const char* name, TAction* a)
{
    b = new TToolButton(this);
    b->SetName(QString::fromLatin1(name));
    b->SetToolBar(ToolBar);
    if (a) b->SetAction(a);
    return b;
}

TQvSpeedButton* TRegisterWindow::MakeFilterButton(TQvSpeedButton*& b, const char* name, const QString& hint,
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

TDataSet* TRegisterWindow::DataSet() const { return DataSource ? DataSource->DataSet() : nullptr; }

QString TRegisterWindow::TableName() const
{
    auto* ds = dynamic_cast<TCustomADODataSet*>(DataSet());
    return ds ? ds->CommandText() : QString();
}

void TRegisterWindow::WndProc(TMessage& Message)
{
    if (Message.Msg == WM_DELETEFILTERROW) {
        Guarded([this] { WMDeleteFilterRow(); });
        return;
    }
    TForm::WndProc(Message);
}

// ---------------------------------------------------------------- show, activate, close

void TRegisterWindow::FormShow(TObject*)
{
    if (DBGrid->CanFocus()) DBGrid->SetFocus();
    TDataSet* ds = DataSet();
    if (!ds) return;
    if (ds->Active()) ds->Close();
    ds->Open();
    for (int i = 0; i < DBGrid->Columns()->Count(); ++i) {
        TColumn* c = DBGrid->Columns()->Items(i);
        if (c->Field() && c->Field()->DataType() == ftBoolean) {
            c->PickList()->Clear();
            c->PickList()->Add(QStringLiteral("Да"));
            c->PickList()->Add(QStringLiteral("Нет"));
        }
    }
    sbAddFilter->Click();

    delete FPanelSearch;
    FPanelSearch = new cPanelSearch;
    FPanelSearch->DataSet = ds;
    FPanelSearch->Grid = DBGrid;
    FPanelSearch->Edit = edSearch;
    FPanelSearch->Panel = panSearch;
    FPanelSearch->Form = this;
    FPanelSearch->Install();

    if (TForm* frame = MDIFrame()) {
        for (int i = frame->MDIChildCount() - 1; i >= 0; --i) {
            TForm* child = frame->MDIChildren(i);
            if (child->WindowState() == wsMaximized) {
                // The frame shows its children maximised while one is: this
                // window joins them and keeps its storage off.
                if (WindowState() != wsMaximized) SetWindowState(wsMaximized);
                if (OnActivate) OnActivate(nullptr);
                return;
            }
        }
    }
    FormStorage->SetIniSection(Name());
    FormStorage->SetActive(true);
    FormStorage->RestoreFormPlacement();
    if (OnActivate) OnActivate(nullptr);
}

void TRegisterWindow::FormActivate(TObject*)
{
    TDataSet* ds = DataSet();
    if (!ds) return;
    // A record being edited is never thrown away by a re-query.
    if (ds->State() != dsEdit && ds->State() != dsInsert) {
        if (ds->Active())
            ds->Requery();
        else
            ds->Open();
    }
    const QString table = TableName();
    FExcelReports = LoadReports(ExcelReportsDir, table);
    FWordReports = LoadReports(WordReportsDir, table);
    BuildReportsMenu(AManager, reports1, FExcelReports, FWordReports, 20, 19,
                     [this](TObject* s) { ReportMenuItemClick(s); });
    ToolButton15->SetImageIndex(12);
    ToolButton15->SetVisible(reports1->Count() > 0);
}

void TRegisterWindow::FormClose(TObject*, TCloseAction& Action)
{
    if (TDataSet* ds = DataSet(); ds && (ds->State() == dsEdit || ds->State() == dsInsert)) {
        try {
            ds->Post();
        } catch (...) {
            // The data module has shown why the record could not be saved. The
            // shared dataset must not stay in edit state after its window is
            // gone.
            try {
                if (ds->State() == dsEdit || ds->State() == dsInsert) ds->Cancel();
            } catch (...) {
            }
        }
    }
    FFilterRows.clear();
    Action = caFree;
}

// ---------------------------------------------------------------- reports

void TRegisterWindow::ReportMenuItemClick(TObject* Sender)
{
    auto* c = dynamic_cast<TComponent*>(Sender);
    if (!c || !fmMain) return;
    QString filterTable, filterValue;
    TDataSet* ds = DataSet();
    if (ds && ds->Active() && ds->RecordCount() > 0 && ds->RecNo() > 0) {
        filterTable = TableName();
        if (TField* id = ds->FindField(QStringLiteral("ID"))) filterValue = id->AsString();
    }
    const QString prefix = c->Name().left(8);
    const int n = StrToIntDef(c->Name().mid(8), -1);
    if (prefix == QLatin1String("aEReport")) {
        if (n >= 0 && n < int(FExcelReports.size()))
            fmMain->RunReport(FExcelReports[size_t(n)], filterTable, filterValue, true);
    } else if (prefix == QLatin1String("aWReport")) {
        if (n >= 0 && n < int(FWordReports.size()))
            fmMain->RunReport(FWordReports[size_t(n)], filterTable, filterValue, false);
    }
}

// ---------------------------------------------------------------- timer and command states

void TRegisterWindow::TimerTimer(TObject*)
{
    if (!DM || !DM->adoConnection || !DM->adoConnection->Connected()) return;
    TDataSet* ds = DataSet();
    DBGrid->SetReadOnly(panSearch->Visible());
    const bool open = ds && ds->Active();
    const int count = open ? ds->RecordCount() : 0;
    aExportToExcel->SetEnabled(count > 0);
    aSearch->SetEnabled(count > 0);
    StatusBar->SetVisible(WindowState() != wsMaximized);
    if (aSearch->Enabled()) aSearch->SetChecked(panSearch->Visible());

    QString pos;
    if (open && ds->State() == dsInsert)
        pos = QStringLiteral("  Позиция: ") + QString::number(count + 1) + QStringLiteral(" из ") +
              QString::number(count + 1) + QStringLiteral("  ");
    else if (count > 0)
        pos = QStringLiteral("  Позиция: ") + QString::number(ds->RecNo()) + QStringLiteral(" из ") +
              QString::number(count) + QStringLiteral("  ");
    else
        pos = QStringLiteral("  Позиция: 0 из 0  ");
    const QString filt = Filter->Active() ? QStringLiteral("Фильтр") : QString();
    if (StatusBar->PanelText(0) != pos) {
        StatusBar->SetPanelText(0, pos);
        TBitmap measure(1, 1);
        measure.Canvas()->Font()->Assign(StatusBar->Font());
        StatusBar->SetPanelWidth(0, measure.Canvas()->TextWidth(pos) + 3);
    }
    if (StatusBar->PanelText(1) != filt) StatusBar->SetPanelText(1, filt);
    ToolButton15->SetHint(aCallReport->Hint());
    UpdateNavigationActions();
    UpdateEditActions();
}

void TRegisterWindow::UpdateNavigationActions()
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

void TRegisterWindow::UpdateEditActions()
{
    TDataSet* ds = DataSet();
    const bool m = ds && ds->Active() && ds->CanModify();
    const bool editing = m && (ds->State() == dsEdit || ds->State() == dsInsert);
    const int recNo = m ? ds->RecNo() : 0;
    const int count = m ? ds->RecordCount() : 0;
    aCallReport->SetEnabled(m && !editing && count >= 1 && recNo > 0 && recNo <= count);
    aNAdd->SetEnabled(m && ds->State() != dsInsert);
    aNDelete->SetEnabled(m && recNo > 0 && !editing);
    aNEdit->SetEnabled(m && !editing && recNo > 0);
    aNPost->SetEnabled(editing);
    aNCancel->SetEnabled(editing);
    aNRefresh->SetEnabled(m);
}

void TRegisterWindow::DataSourceDataChange(TObject*, TField*)
{
    UpdateNavigationActions();
    UpdateEditActions();
}

void TRegisterWindow::DataSourceStateChange(TObject*)
{
    UpdateNavigationActions();
    UpdateEditActions();
}

// ---------------------------------------------------------------- commands

void TRegisterWindow::aNFirstExecute(TObject*) { DataSet()->First(); }
void TRegisterWindow::aNPrevExecute(TObject*) { DataSet()->Prior(); }
void TRegisterWindow::aNNextExecute(TObject*) { DataSet()->Next(); }
void TRegisterWindow::aNLastExecute(TObject*) { DataSet()->Last(); }
void TRegisterWindow::aNAddExecute(TObject*) { DataSet()->Insert(); }

void TRegisterWindow::aNDeleteExecute(TObject*)
{
    if (DBGrid->CanFocus()) DBGrid->SetFocus();
    DataSet()->Delete();
}

void TRegisterWindow::aNEditExecute(TObject*)
{
    DataSet()->Edit();
    DBGrid->SetEditorMode(true);
}

void TRegisterWindow::aNPostExecute(TObject*)
{
    DataSet()->Post();
    DBGrid->SetEditorMode(false);
}

void TRegisterWindow::aNCancelExecute(TObject*) { DataSet()->Cancel(); }
void TRegisterWindow::aNRefreshExecute(TObject*) { DataSet()->Refresh(); }

void TRegisterWindow::aSearchExecute(TObject*)
{
    const bool show = !panSearch->Visible();
    panSearch->SetVisible(show);
    if (show && edSearch->CanFocus()) edSearch->SetFocus();
}

void TRegisterWindow::aExportToExcelExecute(TObject*)
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

void TRegisterWindow::aFilterExecute(TObject*)
{
    if (!FFilterRows.empty() && FFilterRows.front().cmbField->CanFocus()) FFilterRows.front().cmbField->SetFocus();
}

// ---------------------------------------------------------------- grid

void TRegisterWindow::DBGridKeyDown(TObject*, WORD& Key, TShiftState Shift)
{
    if (Key == VK_DELETE && Shift.Contains(ssCtrl)) {
        if (aNDelete->Enabled()) aNDelete->Execute();
        Key = VK_CLEAR;
        return;
    }
    if (Key != VK_RETURN || !DBGrid->InplaceEditor()->Visible()) return;
    const bool back = Shift.Contains(ssShift);
    const int col = DBGrid->Col();
    if (back ? col < 2 : col >= DBGrid->Columns()->Count()) return;
    TDataSet* ds = DataSet();
    if (ds && (ds->State() == dsEdit || ds->State() == dsInsert) && DBGrid->SelectedField()) {
        DBGrid->SelectedField()->SetAsString(DBGrid->InplaceEditor()->Text());
        DBGrid->InplaceEditor()->SetText(QString());
    }
    DBGrid->HideEditor();
    DBGrid->SetCol(back ? col - 1 : col + 1);
}

void TRegisterWindow::DBGridTitleClick(TColumn* Column)
{
    TDataSet* ds = DataSet();
    TField* f = Column ? Column->Field() : nullptr;
    if (!ds || !f || f->Lookup()) return;
    const QString n = f->FieldName();
    const QString s = ds->Sort();
    if (s == n + QStringLiteral(" ASC"))
        ds->SetSort(n + QStringLiteral(" DESC"));
    else if (s == n + QStringLiteral(" DESC"))
        ds->SetSort(QString());
    else
        ds->SetSort(n + QStringLiteral(" ASC"));
}

void TRegisterWindow::DBGridGetBtnParams(TObject*, TField* Field, TFont*, TColor&, TSortMarker& SortMarker,
                                         bool IsDown)
{
    TDataSet* ds = DataSet();
    if (IsDown || !Field || Field->Lookup() || !ds) return;
    const QString n = Field->FieldName();
    if (ds->Sort() == n + QStringLiteral(" ASC"))
        SortMarker = smDown;
    else if (ds->Sort() == n + QStringLiteral(" DESC"))
        SortMarker = smUp;
    else
        SortMarker = smNone;
}

// ---------------------------------------------------------------- filter builder

TField* TRegisterWindow::FindFieldByDisplayLabel(const QString& Text) const
{
    TDataSet* ds = DataSet();
    if (!ds) return nullptr;
    for (int i = 0; i < ds->FieldCount(); ++i) {
        TField* f = ds->Fields(i);
        if (f->Visible() && f->DisplayLabel() == Text) return f;
    }
    return nullptr;
}

int TRegisterWindow::RowIndexOf(TObject* Sender) const
{
    for (size_t i = 0; i < FFilterRows.size(); ++i) {
        const FilterRow& r = FFilterRows[i];
        if (Sender == r.cmbField || Sender == r.cmbExp || Sender == r.cmbValue || Sender == r.sbDel) return int(i);
    }
    return -1;
}

void TRegisterWindow::sbAddFilterClick(TObject*)
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
    row.cmbField->OnSelect = [this](TObject* s) { Guarded([&] { cmbFieldSelect(s); }); };

    row.cmbExp = new TComboBox(panFilter);
    row.cmbExp->SetParent(panFilter);
    row.cmbExp->SetDropDownCount(15);
    row.cmbExp->SetBounds(162, top, 152, 21);
    row.cmbExp->SetTabOrder(3 * n + 1);
    row.cmbExp->SetTag(n);
    row.cmbExp->SetStyle(csDropDownList);
    row.cmbExp->OnSelect = [this](TObject* s) { Guarded([&] { cmbExpSelect(s); }); };

    row.cmbValue = new TComboBox(panFilter);
    row.cmbValue->SetParent(panFilter);
    row.cmbValue->SetBounds(316, top, panFilter->Width() - 385, 21);
    row.cmbValue->SetAnchors(TAnchors{akLeft, akTop, akRight});
    row.cmbValue->SetStyle(csDropDownList);
    row.cmbValue->SetTabOrder(3 * n + 2);
    row.cmbValue->SetTag(n);
    row.cmbValue->OnKeyPress = [this](TObject* s, QChar& k) { Guarded([&] { cmbValueKeyPress(s, k); }); };

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
    row.sbDel->OnClick = [this](TObject* s) { Guarded([&] { sbDelFilterClick(s); }); };
    FFilterRows.push_back(row);

    sbAddFilter->SetTop(top);
    sbApplyFilter->SetTop(top);
}

void TRegisterWindow::cmbFieldSelect(TObject* Sender)
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

void TRegisterWindow::cmbExpSelect(TObject* Sender)
{
    const int r = RowIndexOf(Sender);
    if (r < 0) return;
    FilterRow& row = FFilterRows[size_t(r)];
    row.cmbValue->Items()->Clear();
    row.cmbValue->SetStyle(IsValueOperation(row.cmbExp->Text()) ? csSimple : csDropDownList);
    row.cmbValue->SetText(QString());
}

void TRegisterWindow::cmbValueKeyPress(TObject* Sender, QChar& Key)
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

void TRegisterWindow::sbDelFilterClick(TObject* Sender)
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

void TRegisterWindow::WMDeleteFilterRow()
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

QString TRegisterWindow::FilterConditionText()
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

void TRegisterWindow::sbApplyFilterClick(TObject*)
{
    auto* ds = dynamic_cast<TCustomADODataSet*>(DataSet());
    if (!ds) return;
    const QString c = FilterConditionText();
    std::vector<int> widths;
    for (int i = 0; i < DBGrid->Columns()->Count(); ++i) widths.push_back(DBGrid->Columns()->Items(i)->Width());

    if (!c.isEmpty()) {
        const QString statement = QStringLiteral("SELECT * FROM ") + TableName() + QStringLiteral(" WHERE ") + c;
        if (Filter->Active()) Filter->Close();
        Filter->SetConnection(DM->adoConnection);
        Filter->SQL()->SetText(statement);
        try {
            Filter->Open();
        } catch (...) {
            Filter->Close();
            throw;
        }
        ds->SetRecordset(Filter->Recordset());
    } else {
        Filter->Close();
        Filter->SetConnection(nullptr);
        Filter->SQL()->Clear();
        ds->Close();
        ds->Open();
    }
    for (int i = 0; i < DBGrid->Columns()->Count(); ++i) {
        TColumn* col = DBGrid->Columns()->Items(i);
        if (col->Field() && col->Field()->DataType() == ftBoolean) {
            col->PickList()->Clear();
            col->PickList()->Add(QStringLiteral("Да"));
            col->PickList()->Add(QStringLiteral("Нет"));
        }
        if (FilterKeepsColumnWidths && i < int(widths.size())) col->SetWidth(widths[size_t(i)]);
    }
}
