#include "reports/unReportsSelectFromRef.h"

#include "components/QvCtrls.h"
#include "components/QvDBCtrl.h"
#include "components/StrHolder.h"
#include "data/unDM.h"
#include "platform/ado/ADODB.h"
#include "platform/core/ScopeGuard.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

TfmReportsSelectFromRef::TfmReportsSelectFromRef(TComponent* AOwner) : TRegisterWindowBase(AOwner)
{
    SetName(QStringLiteral("fmReportsSelectFromRef"));
    SetBorderStyle(bsDialog);
    SetPosition(poOwnerFormCenter);
    SetClientWidth(502);
    SetClientHeight(335);
    ToolBar->SetName(QStringLiteral("ToolBar1"));
    AddToolButtons({{ToolButton1, "ToolButton1", aNFirst},
                    {ToolButton2, "ToolButton2", aNPrev},
                    {ToolButton3, "ToolButton3", aNNext},
                    {ToolButton4, "ToolButton4", aNLast},
                    {ToolButton10, "ToolButton10", aNRefresh},
                    {ToolButton11, "ToolButton11", nullptr},
                    {ToolButton12, "ToolButton12", aSearch},
                    {ToolButton13, "ToolButton13", nullptr},
                    {ToolButton14, "ToolButton14", aExportToExcel}});

    DBGrid->SetReadOnly(true);
    DBGrid->SetOptions(TDBGridOptions{dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines,
                                      dgAlwaysShowSelection, dgCancelOnExit});
    DBGrid->OnDblClick = [this](TObject* s) { DBGridDblClick(s); };

    panBottom = new TPanel(this);
    panBottom->SetName(QStringLiteral("panBottom"));
    panBottom->SetParent(this);
    panBottom->SetCaption(QString());
    panBottom->SetBevelOuter(bvNone);
    panBottom->SetBounds(0, ClientHeight() - 44, ClientWidth(), 44);
    panBottom->SetAlign(alBottom);
    auto button = [this](TButton*& b, const char* name, const QString& caption, int left, int width, int result) {
        b = new TButton(this);
        b->SetName(QString::fromLatin1(name));
        b->SetParent(panBottom);
        b->SetBounds(left, 11, width, 25);
        b->SetCaption(caption);
        b->SetModalResult(result);
        b->SetAnchors({akRight, akBottom});
    };
    button(btOK, "btOK", QStringLiteral("OK"), 337, 72, mrOk);
    btOK->SetDefault(true);
    button(btCancel, "btCancel", QStringLiteral("Отмена"), 418, 75, mrCancel);
    btCancel->SetCancel(true);

    // The picker filters like a directory (every visible field) and leaves
    // the column widths as the filter makes them.
    FilterKeepsColumnWidths = false;
}

TfmReportsSelectFromRef::~TfmReportsSelectFromRef()
{
    try {
        GiveBackDataSet();
    } catch (...) {
        Application->HandleException(this);
    }
}

// ---------------------------------------------------------------- the shared dataset

void TfmReportsSelectFromRef::KeepDataSet()
{
    TDataSet* ds = DataSet();
    // A record being edited in a register window is written first: the
    // picker reopens the dataset and must not drop it.
    if (IsEditing(ds)) ds->CheckBrowseMode();
    FKept = Kept();
    FKept.DataSet = ds;
    FKept.Active = ds->Active();
    if (auto* ado = dynamic_cast<TCustomADODataSet*>(ds)) FKept.HandedOver = ado->HandedOverRecordset();
    FKept.Filter = ds->Filter();
    FKept.Filtered = ds->Filtered();
    FKept.Sort = ds->Sort();
    if (ds->Active() && !ds->IsEmpty()) {
        FKept.Bookmark = ds->GetBookmark();
        if (TField* id = ds->FindField(QStringLiteral("ID"))) FKept.Key = id->AsString();
    }
}

void TfmReportsSelectFromRef::GiveBackDataSet()
{
    TDataSet* ds = FKept.DataSet;
    if (!ds) return;
    FKept.DataSet = nullptr;
    // The picker's filter query goes with the picker: its rows must not stay.
    DataSource->SetDataSet(nullptr);
    ds->DisableControls();
    auto enable = Finally([ds] { ds->EnableControls(); });
    auto* ado = dynamic_cast<TCustomADODataSet*>(ds);
    if (ds->Active()) ds->Close();
    if (ds->Sort() != FKept.Sort) ds->SetSort(FKept.Sort);
    if (ds->Filter() != FKept.Filter) ds->SetFilter(FKept.Filter);
    if (ds->Filtered() != FKept.Filtered) ds->SetFiltered(FKept.Filtered);
    if (!FKept.Active) return;
    if (ado && FKept.HandedOver)
        ado->SetRecordset(FKept.HandedOver);
    else
        ds->Open();
    if (!FKept.Key.isEmpty() && ds->Locate(QStringLiteral("ID"), FKept.Key)) return;
    if (ds->BookmarkValid(FKept.Bookmark)) ds->GotoBookmark(FKept.Bookmark);
}

// ---------------------------------------------------------------- show and close

void TfmReportsSelectFromRef::FormShow(TObject* Sender)
{
    TDataSet* ds = DataSet();
    if (!ds) return;
    const int tag = int(ds->Tag());
    const TStrings* captions = DM ? DM->SelectFromCaptions->Strings() : nullptr;
    if (captions && tag >= 0 && tag < captions->Count()) {
        const QString pair = captions->Strings(tag);
        const int eq = pair.indexOf(QLatin1Char('='));
        const bool several = DBGrid->Options().Contains(dgMultiSelect);
        SetCaption(eq < 0 ? pair : several ? pair.mid(eq + 1) : pair.left(eq));
    }
    KeepDataSet();
    TRegisterWindowBase::FormShow(Sender);
    if (DM) Filter->OnPostError = [](TDataSet* d, EDatabaseError& e, TDataAction& a) { DM->DataSetPostError(d, e, a); };
}

void TfmReportsSelectFromRef::FormClose(TObject* Sender, TCloseAction& Action)
{
    TRegisterWindowBase::FormClose(Sender, Action);
    Action = caHide;
}

// ---------------------------------------------------------------- command states

void TfmReportsSelectFromRef::UpdateNavigationActions()
{
    TDataSet* ds = DataSet();
    const bool open = ds && ds->Active();
    aNFirst->SetEnabled(open && !ds->Bof());
    aNPrev->SetEnabled(open && !ds->Bof());
    aNNext->SetEnabled(open && !ds->Eof());
    aNLast->SetEnabled(open && !ds->Eof());
}

void TfmReportsSelectFromRef::UpdateRefreshAction()
{
    TDataSet* ds = DataSet();
    aNRefresh->SetEnabled(ds && ds->Active() && ds->CanModify());
}

void TfmReportsSelectFromRef::DataSourceDataChange(TObject*, TField*)
{
    UpdateNavigationActions();
    UpdateRefreshAction();
}

void TfmReportsSelectFromRef::DataSourceStateChange(TObject*)
{
    UpdateNavigationActions();
    UpdateRefreshAction();
}

// ---------------------------------------------------------------- grid

void TfmReportsSelectFromRef::DBGridKeyDown(TObject*, WORD& Key, TShiftState Shift)
{
    if (Key != VK_RETURN) return;
    const int index = DBGrid->SelectedIndex();
    if (!Shift.Contains(ssShift)) {
        if (index < DBGrid->Columns()->Count() - 1) DBGrid->SetSelectedIndex(index + 1);
    } else if (index + 1 > 1) {
        DBGrid->SetSelectedIndex(index - 1);
    }
}

void TfmReportsSelectFromRef::DBGridDblClick(TObject*)
{
    const TPoint p = DBGrid->ScreenToClient(GetCursorPos());
    const TGridCoord cell = DBGrid->MouseCoord(p.X, p.Y);
    if (cell.X >= 1 && cell.Y >= 1) btOK->Click();
}
