#include "registerbase/unPanSearch.h"

#include "components/QvDBCtrl.h"
#include "data/unCommon.h"
#include "platform/db/DB.h"
#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

QString cPanelSearch::SelectedFieldName() const
{
    if (!Grid) return QString();
    TField* f = Grid->SelectedField();
    return f ? f->FieldName() : QString();
}

void cPanelSearch::EditChange(TObject*)
{
    if (!Edit || Edit->Text().isEmpty()) return;
    const QString field = SelectedFieldName();
    // A grid without a visible column has nothing to search in: the text is
    // shown as not found.
    const bool found = !field.isEmpty() && DataSet && DataSet->Active() &&
                       SearchInDataSet(true, DataSet, field, Edit->Text());
    Edit->Font()->SetColor(found ? clWindowText : TColor(255));
}

void cPanelSearch::EditKeyDown(TObject*, WORD& Key, TShiftState)
{
    if (Key == VK_RETURN) {
        const QString field = SelectedFieldName();
        if (!field.isEmpty() && DataSet && DataSet->Active() && Edit)
            SearchInDataSet(false, DataSet, field, Edit->Text());
    } else if (Key == VK_ESCAPE) {
        if (Grid && Grid->CanFocus()) Grid->SetFocus();
        // The grid may not take the focus (window not on the screen yet): the
        // line is left all the same.
        if (Panel && Panel->Visible()) EditExit(Edit);
    }
}

void cPanelSearch::EditExit(TObject*)
{
    if (Panel) Panel->SetVisible(false);
}

void cPanelSearch::Install()
{
    if (!Edit) return;
    Edit->OnChange = [this](TObject* s) { EditChange(s); };
    Edit->OnKeyDown = [this](TObject* s, WORD& k, TShiftState sh) { EditKeyDown(s, k, sh); };
    Edit->OnExit = [this](TObject* s) { EditExit(s); };
}
