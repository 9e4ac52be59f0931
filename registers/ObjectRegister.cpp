#include "registers/ObjectRegister.h"

#include "components/DrawUtils.h"
#include "platform/core/ScopeGuard.h"
#include "platform/db/DB.h"
#include "platform/ui/ActnList.h"
#include "platform/ui/ComCtrls.h"
#include "platform/ui/ImgList.h"

TObjectRegisterWindow::TObjectRegisterWindow(TComponent* AOwner) : TRegisterWindow(AOwner)
{
    FilterDataFieldsOnly = true;
    DataSource->SetAutoEdit(false);
    DBGrid->SetOptions(TDBGridOptions{dgTitles, dgIndicator, dgColumnResize, dgColLines, dgRowLines,
                                      dgAlwaysShowSelection, dgCancelOnExit});
    DBGrid->OnDblClick = [this](TObject* s) { DBGridDblClick(s); };
    DBGrid->OnGetCellParams = [this](TObject* s, TField* f, TFont* font, TColor& bg, bool h) {
        DBGridGetCellParams(s, f, font, bg, h);
    };

    struct Command {
        TAction* action;
        TShortCut shortCut;
        const char* hint;
    };
    for (const Command& c : {Command{aNAdd, VK_INSERT, "Добавить новую позицию|Добавить новую позицию"},
                             Command{aNDelete, TShortCut(scCtrl | VK_DELETE),
                                     "Удалить текущую позицию|Удалить текущую позицию"},
                             Command{aNEdit, VK_F2, "Редактировать текущую позицию|Редактировать текущую позицию"}}) {
        c.action->SetShortCut(c.shortCut);
        c.action->SetHint(QString::fromUtf8(c.hint));
    }
    for (TToolButton* b : {ToolButton8, ToolButton9, ToolButton10}) b->SetVisible(false);

    LoadActionPictures(ImageList, 22, {{21, "highlight"}});
}

void TObjectRegisterWindow::MakeHighlightAction(TAction*& a, const char* Name, const QString& Caption,
                                                TNotifyEvent Execute)
{
    NewAction(a, Name, Caption, 21, Caption, std::move(Execute));
    a->SetAutoCheck(true);
    AddToolButtons({{ToolButton16, "ToolButton16", a}});
    ToolButton16->SetVisible(false);
}

void TObjectRegisterWindow::HighlightExecute(TObject*) { DBGrid->Repaint(); }

TModalResult TObjectRegisterWindow::ShowEditDialog(TForm* Dialog, const std::function<void()>& Prepare,
                                                  const std::vector<TDataSet*>& CancelUnlessOk)
{
    auto done = Finally([Dialog] { Dialog->Free(); });
    auto cancel = [&] {
        for (TDataSet* ds : CancelUnlessOk)
            if (IsEditing(ds)) ds->Cancel();
    };
    TModalResult result = mrCancel;
    try {
        Prepare();
        result = Dialog->ShowModal();
    } catch (...) {
        cancel();
        throw;
    }
    if (result != mrOk) cancel();
    return result;
}

void TObjectRegisterWindow::DBGridDblClick(TObject*)
{
    const TPoint p = DBGrid->ScreenToClient(GetCursorPos());
    int col = -1, row = -1;
    DBGrid->MouseToCell(p.X, p.Y, col, row);
    if (col >= 1 && row >= 1 && aNEdit->Enabled()) aNEdit->Execute();
}

void TObjectRegisterWindow::DBGridKeyDown(TObject*, WORD& Key, TShiftState Shift)
{
    // Only Ctrl+Del: the grid's own deletion never runs (it would delete
    // without asking), and Enter does not move between the columns of this
    // read-only grid.
    if (Key == VK_DELETE && Shift.Contains(ssCtrl)) {
        if (aNDelete->Enabled()) aNDelete->Execute();
        Key = VK_CLEAR;
    }
}

void TObjectRegisterWindow::DBGridGetCellParams(TObject*, TField*, TFont*, TColor&, bool) {}

