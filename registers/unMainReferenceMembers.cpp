#include "registers/unMainReferenceMembers.h"

#include "components/Placement.h"
#include "data/unDM.h"
#include "platform/db/DB.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"
#include "registers/RegisterPanes.h"

using namespace RegisterPanes;

TQvDBGrid* TfmMainReferenceMembers::DetailGrid(TWinControl* Parent, const char* Name, TDataSource* Source,
                                                TDBGridOptions Options)
{
    auto* g = new TQvDBGrid(this);
    g->SetName(QString::fromLatin1(Name));
    g->SetParent(Parent);
    g->SetAlign(alClient);
    g->SetDataSource(Source);
    g->SetTitleButtons(true);
    g->SetOptions(Options);
    g->OnKeyDown = [this](TObject* s, WORD& k, TShiftState sh) { DBGrid1KeyDown(s, k, sh); };
    return g;
}

TfmMainReferenceMembers::TfmMainReferenceMembers(TComponent* AOwner) : TRegisterWindow(AOwner)
{
    SetClientWidth(572);
    SetClientHeight(366);
    Constraints()->SetMinWidth(580);
    Constraints()->SetMinHeight(400);

    auto source = [this](TDataSource*& s, const char* name) {
        s = new TDataSource(this);
        s->SetName(QString::fromLatin1(name));
        s->OnDataChange = [this](TObject* o, TField* f) { DataSourceDataChange(o, f); };
        s->OnStateChange = [this](TObject* o) { DataSourceStateChange(o); };
    };
    source(DataSource1, "DataSource1");
    source(DataSource2, "DataSource2");

    // Left: the members grid over the payment details; right: posts over seats.
    Panel1 = Pane(this, QStringLiteral("Panel1"), this, alClient);
    Panel2 = Pane(this, QStringLiteral("Panel2"), Panel1, alRight, 240, 200);
    Splitter1 = Splitter(this, QStringLiteral("Splitter1"), Panel1, alRight, 150);
    Splitter1->SetLeft(Panel2->Left() - 3);
    Panel3 = Pane(this, QStringLiteral("Panel3"), Panel1, alClient);

    Panel5 = Pane(this, QStringLiteral("Panel5"), Panel3, alBottom, 124, 100);
    Splitter3 = Splitter(this, QStringLiteral("Splitter3"), Panel3, alBottom, 70);
    Splitter3->SetTop(Panel5->Top() - 3);
    Panel4 = Pane(this, QStringLiteral("Panel4"), Panel3, alClient);
    DBGrid->SetParent(Panel4);
    panSearch->SetParent(Panel4);
    panSearch->SetTop(Panel4->ClientHeight());
    DBMemo = new TDBMemo(this);
    DBMemo->SetName(QStringLiteral("DBMemo"));
    DBMemo->SetParent(Panel5);
    DBMemo->SetDataSource(DataSource);
    DBMemo->SetScrollBars(ssVertical);
    lblMemo = Strip(this, QStringLiteral("lblMemo"), QStringLiteral("&Реквизиты для вознаграждений:"), Panel5, 17,
                    DBMemo);
    DBMemo->SetAlign(alClient);

    Panel6 = Pane(this, QStringLiteral("Panel6"), Panel2, alBottom, 124, 100);
    Splitter2 = Splitter(this, QStringLiteral("Splitter2"), Panel2, alBottom, 70);
    Splitter2->SetTop(Panel6->Top() - 3);
    Panel7 = Pane(this, QStringLiteral("Panel7"), Panel2, alClient);
    DBGrid1 = DetailGrid(Panel7, "DBGrid1", DataSource1,
                         TDBGridOptions{dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines,
                                        dgAlwaysShowSelection, dgCancelOnExit});
    Label2 = Strip(this, QStringLiteral("Label2"), QStringLiteral("&Должности за 5 лет:"), Panel7, 18, DBGrid1);
    DBGrid2 = DetailGrid(Panel6, "DBGrid2", DataSource2,
                         TDBGridOptions{dgEditing, dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines,
                                        dgTabs, dgConfirmDelete, dgCancelOnExit});
    Label1 = Strip(this, QStringLiteral("Label1"), QStringLiteral("&Участие в управлении:"), Panel6, 17, DBGrid2);

    {
        TStringList props;
        for (const char* p : {"Panel5.Height", "Panel6.Height", "Panel2.Width", "DBGrid.Columns", "DBGrid1.Columns",
                              "DBGrid2.Columns"})
            props.Add(QString::fromLatin1(p));
        FormStorage->SetStoredProps(&props);
    }
    OnResize = [this](TObject* s) { FormResize(s); };
}

void TfmMainReferenceMembers::FormShow(TObject*)
{
    if (!ShowDataSet()) return;
    DBMemo->SetDataField(QStringLiteral("paymentinfo"));
    for (auto [source, ds] : {std::pair{DataSource1, static_cast<TDataSet*>(DM->adoRefPosts)},
                              std::pair{DataSource2, static_cast<TDataSet*>(DM->adoRefOtherManagement)}}) {
        source->SetDataSet(ds);
        if (ds->Active()) ds->Close();
        ds->Open();
    }
    ShowFilterAndSearch();
    RestorePlacement();
    CapPanes();
    SetHeight(Height() + 1);
    SetHeight(Height() - 1);
    if (OnActivate) OnActivate(nullptr);
}

void TfmMainReferenceMembers::FormResize(TObject*) { CapPanes(); }

void TfmMainReferenceMembers::CapPanes()
{
    if (!Panel2 || !Panel5 || !Panel6) return;
    if (Panel5->Height() > Height() - 100) Panel5->SetHeight(100);
    if (Panel6->Height() > Height() - 100) Panel6->SetHeight(100);
    if (Panel2->Width() > Width() - 200) Panel2->SetWidth(240);
}

void TfmMainReferenceMembers::FormActivate(TObject* Sender)
{
    // A detail row being typed is neither thrown away nor half posted: while
    // one is, no dataset of the window is read again (a new read of the
    // members would post it, as moving to another member does).
    const bool detailEditing = IsEditing(DataSource1->DataSet()) || IsEditing(DataSource2->DataSet());
    if (detailEditing) {
        if (DataSet()) RebuildReportMenu();
        return;
    }
    TRegisterWindow::FormActivate(Sender);
    for (TDataSource* s : {DataSource1, DataSource2})
        if (TDataSet* ds = s->DataSet(); ds && ds->Active()) ds->Requery();
}

void TfmMainReferenceMembers::FormClose(TObject* Sender, TCloseAction& Action)
{
    PostOrCancelEdits({DataSet(), DataSource1->DataSet(), DataSource2->DataSet()});
    TRegisterWindow::FormClose(Sender, Action);
}

void TfmMainReferenceMembers::UpdateEditActions()
{
    TRegisterWindow::UpdateEditActions();
    TDataSet* ds = DataSet();
    aNEdit->SetEnabled(ds && ds->Active() && ds->CanModify() && !IsEditing(ds));
}

void TfmMainReferenceMembers::DBGrid1KeyDown(TObject* Sender, WORD& Key, TShiftState Shift)
{
    auto* grid = dynamic_cast<TQvDBGrid*>(Sender);
    if (!grid) return;
    TDataSet* ds = grid->DataSource() ? grid->DataSource()->DataSet() : nullptr;
    if (Key == VK_DELETE && Shift.Contains(ssCtrl)) {
        Key = VK_CLEAR;   // the grid's own Ctrl+Del never runs, whatever the answer
        if (ds && ds->Active() && ds->RecNo() > 0 && ds->CanModify() && !IsEditing(ds)) {
            if (grid->CanFocus()) grid->SetFocus();
            ds->Delete();   // the data module asks first
        }
        return;
    }
    MoveColumnOnEnter(grid, Key, Shift);
}
