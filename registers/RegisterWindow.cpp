#include "registers/RegisterWindow.h"

#include "components/Placement.h"
#include "components/QvCtrls.h"
#include "platform/ado/ADODB.h"
#include "platform/core/SysUtils.h"
#include "platform/db/DB.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/Canvas.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ComboBoxes.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/Menus.h"
#include "platform/ui/StdCtrls.h"

TRegisterWindow::TRegisterWindow(TComponent* AOwner) : TRegisterWindowBase(AOwner)
{
    SetFormStyle(fsMDIChild);
    SetPosition(poDefault);
    Constraints()->SetMinWidth(510);
    Constraints()->SetMinHeight(150);

    using W = TRegisterWindow;
    MakeAction(aNAdd, "aNAdd", QString(), 5, QStringLiteral("Добавить новую позицию (Ins)|Добавить новую позицию"),
               &W::aNAddExecute);
    MakeAction(aNDelete, "aNDelete", QString(), 2,
               QStringLiteral("Удалить текущую позицию (Ctrl+Del)|Удалить текущую позицию"), &W::aNDeleteExecute);
    MakeAction(aNEdit, "aNEdit", QString(), 3,
               QStringLiteral("Редактировать текущую позицию (F2)|Редактировать текущую позицию"),
               &W::aNEditExecute);
    MakeAction(aNPost, "aNPost", QString(), 8, QStringLiteral("Сохранить изменения"), &W::aNPostExecute);
    MakeAction(aNCancel, "aNCancel", QString(), 1, QStringLiteral("Отменить изменения (Esc)|Отменить изменения"),
               &W::aNCancelExecute);
    MakeAction(aCallReport, "aCallReport", QString(), 12, QStringLiteral("Создать документ"),
               &W::aCallReportExecute);
    MakeAction(aFilter, "aFilter", QStringLiteral("&Фильтр"), -1, QStringLiteral("Фильтровать справочник"),
               &W::aFilterExecute);

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
    DBGrid->OnMouseUp = [this](TObject*, TMouseButton b, TShiftState, int x, int y) {
        if (b != mbRight) return;
        const TPoint p = DBGrid->ClientToScreen(Point(x, y));
        pmnGrid->Popup(p.X, p.Y);
    };

    AddToolButtons({{ToolButton1, "ToolButton1", aNFirst},
                    {ToolButton2, "ToolButton2", aNPrev},
                    {ToolButton3, "ToolButton3", aNNext},
                    {ToolButton4, "ToolButton4", aNLast},
                    {ToolButton5, "ToolButton5", aNAdd},
                    {ToolButton6, "ToolButton6", aNDelete},
                    {ToolButton7, "ToolButton7", aNEdit},
                    {ToolButton8, "ToolButton8", aNPost},
                    {ToolButton9, "ToolButton9", aNCancel},
                    {ToolButton10, "ToolButton10", aNRefresh},
                    {ToolButton11, "ToolButton11", nullptr},
                    {ToolButton12, "ToolButton12", aSearch},
                    {ToolButton13, "ToolButton13", nullptr},
                    {ToolButton14, "ToolButton14", aExportToExcel},
                    {ToolButton15, "ToolButton15", aCallReport}});
    ToolButton15->SetStyle(tbsDropDown);
    ToolButton15->SetMenuItem(reports1);
    ToolButton15->SetVisible(false);

    // The status bar lies under the search line: the lowest of the bottom
    // controls.
    StatusBar = new TStatusBar(this);
    StatusBar->SetName(QStringLiteral("StatusBar"));
    StatusBar->SetParent(this);
    StatusBar->SetTop(ClientHeight());
    StatusBar->SetAlign(alBottom);
    StatusBar->AddPanel(96);
    StatusBar->AddPanel(55, taCenter);
    StatusBar->AddPanel(50, taLeftJustify, pbNone);
    StatusBar->SetPanelText(0, QStringLiteral("  Позиция: 0 из 0  "));

    FormStorage = new TFormStorage(this);
    FormStorage->SetName(QStringLiteral("FormStorage"));
    FormStorage->SetActive(false);
    FormStorage->SetIniFileName(QStringLiteral("qorvane.ini"));
    {
        TStringList props;
        props.Add(QStringLiteral("DBGrid.Columns"));
        FormStorage->SetStoredProps(&props);
    }
}

// ---------------------------------------------------------------- show, activate, close

void TRegisterWindow::FormShow(TObject*)
{
    if (!ShowDataSet()) return;
    ShowFilterAndSearch();
    RestorePlacement();
    if (OnActivate) OnActivate(nullptr);
}

bool TRegisterWindow::ShowDataSet()
{
    if (DBGrid->CanFocus()) DBGrid->SetFocus();
    if (!DataSet()) return false;
    ReopenDataSet();
    return true;
}

void TRegisterWindow::RestorePlacement()
{
    if (TForm* frame = MDIFrame()) {
        for (int i = frame->MDIChildCount() - 1; i >= 0; --i) {
            TForm* child = frame->MDIChildren(i);
            if (child->WindowState() == wsMaximized) {
                // The frame shows its children maximised while one is: this
                // window joins them and keeps its storage off.
                if (WindowState() != wsMaximized) SetWindowState(wsMaximized);
                return;
            }
        }
    }
    FormStorage->SetIniSection(Name());
    FormStorage->SetActive(true);
    FormStorage->RestoreFormPlacement();
}

void TRegisterWindow::FormActivate(TObject*)
{
    TDataSet* ds = DataSet();
    if (!ds) return;
    // A record being edited is never thrown away by a re-query.
    if (!IsEditing(ds)) {
        if (ds->Active())
            ds->Requery();
        else
            ds->Open();
    }
    RebuildReportMenu();
}

void TRegisterWindow::RebuildReportMenu()
{
    const QString table = TableName();
    FExcelReports = LoadReports(ExcelReportsDir, table);
    FWordReports = LoadReports(WordReportsDir, table);
    BuildReportsMenu(AManager, reports1, FExcelReports, FWordReports, 20, 19,
                     [this](TObject* s) { ReportMenuItemClick(s); });
    ToolButton15->SetImageIndex(12);
    ToolButton15->SetVisible(reports1->Count() > 0);
}

void TRegisterWindow::PostOrCancelEdits(const std::vector<TDataSet*>& DataSets)
{
    // No empty record is stored as the window closes.
    try {
        DBGrid->CancelUntouchedNewRow();
    } catch (...) {
    }
    try {
        for (TDataSet* ds : DataSets)
            if (IsEditing(ds)) ds->Post();
    } catch (...) {
        for (TDataSet* ds : DataSets) {
            try {
                if (IsEditing(ds)) ds->Cancel();
            } catch (...) {
            }
        }
    }
}

void TRegisterWindow::FormClose(TObject*, TCloseAction& Action)
{
    PostOrCancelEdits({DataSet()});
    FFilterRows.clear();
    Action = caFree;
}

// ---------------------------------------------------------------- reports

void TRegisterWindow::ReportMenuItemClick(TObject* Sender)
{
    auto* c = dynamic_cast<TComponent*>(Sender);
    if (!c) return;
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
            RunReport(FExcelReports[size_t(n)], filterTable, filterValue, true);
    } else if (prefix == QLatin1String("aWReport")) {
        if (n >= 0 && n < int(FWordReports.size()))
            RunReport(FWordReports[size_t(n)], filterTable, filterValue, false);
    }
}

// ---------------------------------------------------------------- timer and command states

void TRegisterWindow::TimerTimer(TObject*)
{
    if (!DatabaseConnected()) return;
    TDataSet* ds = DataSet();
    DBGrid->SetReadOnly(panSearch->Visible());
    const bool open = ds && ds->Active();
    const int count = open ? ds->RecordCount() : 0;
    UpdateSearchExportActions();
    const bool status = WindowState() != wsMaximized;
    // Shown again, the status bar goes under the other bottom controls (the
    // search line), wherever it stood when it was hidden.
    if (status && !StatusBar->Visible()) StatusBar->SetTop(ClientHeight());
    StatusBar->SetVisible(status);
    // Without the status bar (maximised in the frame, under its bars) the
    // cool bar drops its top edge.
    CoolBar->SetEdgeBorders(StatusBar->Visible() ? TEdgeBorders{ebTop, ebBottom} : TEdgeBorders{ebBottom});

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

void TRegisterWindow::UpdateEditActions()
{
    TDataSet* ds = DataSet();
    const bool m = ds && ds->Active() && ds->CanModify();
    const bool editing = m && IsEditing(ds);
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
    MoveColumnOnEnter(DBGrid, Key, Shift);
}

void TRegisterWindow::MoveColumnOnEnter(TQvDBGrid* Grid, WORD Key, TShiftState Shift)
{
    if (Key != VK_RETURN || !Grid->InplaceEditor() || !Grid->InplaceEditor()->Visible()) return;
    const bool back = Shift.Contains(ssShift);
    const int col = Grid->Col();
    if (back ? col < 2 : col >= Grid->Columns()->Count()) return;
    TDataSet* ds = Grid->DataSource() ? Grid->DataSource()->DataSet() : nullptr;
    if (IsEditing(ds) && Grid->SelectedField()) {
        Grid->SelectedField()->SetAsString(Grid->InplaceEditor()->Text());
        Grid->InplaceEditor()->SetText(QString());
    }
    Grid->HideEditor();
    Grid->SetCol(back ? col - 1 : col + 1);
}

