#include "registers/unMainReferenceMemo.h"

#include "components/Placement.h"
#include "platform/db/DB.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/DBCtrls.h"
#include "platform/ui/ExtCtrls.h"
#include "registers/RegisterPanes.h"

using namespace RegisterPanes;

TfmMainReferenceMemo::TfmMainReferenceMemo(TComponent* AOwner) : TRegisterWindow(AOwner)
{
    Panel2 = Pane(this, QStringLiteral("Panel2"), this, alClient);
    Panel3 = Pane(this, QStringLiteral("Panel3"), Panel2, alClient);
    DBGrid->SetParent(Panel3);
    panSearch->SetParent(Panel3);
    panSearch->SetTop(Panel3->ClientHeight());
    Panel1 = Pane(this, QStringLiteral("Panel1"), Panel2, alBottom, 70, 70);
    Splitter1 = Splitter(this, QStringLiteral("Splitter1"), Panel2, alBottom, 50);
    Splitter1->SetTop(Panel1->Top() - 3);
    DBMemo1 = new TDBMemo(this);
    DBMemo1->SetName(QStringLiteral("DBMemo1"));
    DBMemo1->SetParent(Panel1);
    DBMemo1->SetDataSource(DataSource);
    DBMemo1->SetScrollBars(ssVertical);
    lblMemo = Strip(this, QStringLiteral("lblMemo"), QStringLiteral("lblMemo"), Panel1, 17, DBMemo1,
                    QStringLiteral("Bevel2"));
    lblMemo->SetTop(0);
    Bevel2 = dynamic_cast<TBevel*>(FindComponent(QStringLiteral("Bevel2")));
    DBMemo1->SetAlign(alClient);
    DBMemo1->SetTabOrder(0);

    {
        TStringList props;
        props.Add(QStringLiteral("Panel1.Height"));
        FormStorage->SetStoredProps(&props);
    }
    OnResize = [this](TObject* s) { FormResize(s); };
}

void TfmMainReferenceMemo::FormShow(TObject*)
{
    if (!ShowDataSet()) return;
    // The first memo field of the dataset is the memo's field; its label
    // names it.
    TDataSet* ds = DataSet();
    for (int i = 0; i < ds->FieldCount(); ++i) {
        TField* f = ds->Fields(i);
        if (f->DataType() == ftMemo) {
            DBMemo1->SetDataField(f->FieldName());
            lblMemo->SetCaption(QStringLiteral("&") + f->DisplayLabel() + QStringLiteral(":"));
            break;
        }
    }
    ShowFilterAndSearch();
    RestorePlacement();
    CapMemoPane();
    SetHeight(Height() + 1);
    SetHeight(Height() - 1);
    if (OnActivate) OnActivate(nullptr);
}

void TfmMainReferenceMemo::FormResize(TObject*) { CapMemoPane(); }

void TfmMainReferenceMemo::CapMemoPane()
{
    if (!Panel1 || !Panel2) return;
    if (Panel1->Height() > Height() - 100) Panel1->SetHeight(70);
    RealignPanes();
}

void TfmMainReferenceMemo::RealignPanes()
{
    // The status bar under the whole client area, the panes filling the rest.
    StatusBar->SetAlign(alNone);
    Panel2->SetAlign(alNone);
    StatusBar->SetTop(ClientHeight());
    StatusBar->SetAlign(alBottom);
    Panel2->SetAlign(alClient);
}

void TfmMainReferenceMemo::UpdateEditActions()
{
    TRegisterWindow::UpdateEditActions();
    // Editing needs no current record here: on an empty directory the edit
    // command starts a new record.
    TDataSet* ds = DataSet();
    const bool m = ds && ds->Active() && ds->CanModify();
    aNEdit->SetEnabled(m && !IsEditing(ds));
}
