#include "registers/RegisterPanes.h"

#include "platform/ui/ExtCtrls.h"
#include "platform/ui/StdCtrls.h"

namespace RegisterPanes {

TPanel* Pane(TComponent* Owner, const QString& Name, TWinControl* Parent, TAlign Align, int Size, int MinSize)
{
    auto* p = new TPanel(Owner);
    p->SetName(Name);
    p->SetParent(Parent);
    p->SetBevelOuter(bvNone);
    p->SetCaption(QString());
    const bool vertical = Align == alTop || Align == alBottom;
    // Bottom and right panes start beyond the parent's far edge, so that they
    // keep to it when aligned after what is already there.
    if (Align == alBottom) p->SetTop(Parent->ClientHeight());
    if (Align == alRight) p->SetLeft(Parent->ClientWidth());
    p->SetAlign(Align);
    if (Size > 0) {
        if (vertical) p->SetHeight(Size);
        else p->SetWidth(Size);
    }
    if (MinSize > 0) {
        if (vertical) p->Constraints()->SetMinHeight(MinSize);
        else p->Constraints()->SetMinWidth(MinSize);
    }
    return p;
}

TSplitter* Splitter(TComponent* Owner, const QString& Name, TWinControl* Parent, TAlign Align, int MinSize)
{
    auto* s = new TSplitter(Owner);
    s->SetName(Name);
    s->SetParent(Parent);
    const bool vertical = Align == alTop || Align == alBottom;
    if (Align == alBottom) s->SetTop(Parent->ClientHeight());
    if (Align == alRight) s->SetLeft(Parent->ClientWidth());
    s->SetAlign(Align);
    if (vertical) s->SetHeight(3);
    else s->SetWidth(3);
    s->SetCursor(vertical ? crVSplit : crHSplit);
    s->SetMinSize(MinSize);
    return s;
}

TLabel* Strip(TComponent* Owner, const QString& Label, const QString& Caption, TWinControl* Parent, int Height,
              TWinControl* Focus, const QString& Spacer)
{
    auto* b = new TBevel(Owner);
    if (!Spacer.isEmpty()) b->SetName(Spacer);
    b->SetParent(Parent);
    b->SetShape(bsSpacer);
    b->SetAlign(alTop);
    b->SetHeight(Height);
    auto* l = new TLabel(Owner);
    l->SetName(Label);
    l->SetParent(Parent);
    l->SetLeft(6);
    l->SetTop(Height > 17 ? 3 : 2);
    l->SetFocusControl(Focus);
    l->SetCaption(Caption);
    l->BringToFront();
    return l;
}

}  // namespace RegisterPanes
