#include "components/QvHook.h"

#include <algorithm>

#include "platform/ui/Forms.h"

// The procedure the hook installs. It reaches the hook through a cell that
// outlives it, so a procedure left in someone's chain after the hook is
// freed passes messages on to the control itself.
struct TControlHook::Cell {
    TControlHook* hook = nullptr;
    TWinControl* control = nullptr;
};

struct TControlHook::Proc {
    std::shared_ptr<Cell> cell;
    void operator()(TMessage& m) const
    {
        std::shared_ptr<Cell> c = cell;   // this functor may be replaced while it runs
        if (c->hook)
            c->hook->WndProc(m);
        else if (c->control)
            c->control->WndProc(m);
    }
};

class TControlHook::ControlWatch : public TComponent {
public:
    explicit ControlWatch(TControlHook* h) : hook(h) {}
    TControlHook* hook;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove && hook && AComponent == hook->FControl) hook->ControlDestroyed();
    }
};

namespace {

struct HookListHolder {
    THookList* list = nullptr;
    ~HookListHolder()
    {
        delete list;
        list = nullptr;
    }
};

HookListHolder& Holder()
{
    static HookListHolder h;
    return h;
}

bool Designing(const TComponent* c) { return c && (c->ComponentState() & csDesigning); }

}  // namespace

THookList* GetHookList()
{
    HookListHolder& h = Holder();
    if (!h.list) h.list = new THookList;
    return h.list;
}

bool HookListExists() { return Holder().list != nullptr; }

// ----------------------------------------------------------- TQvWindowHook

TQvWindowHook::TQvWindowHook(TComponent* AOwner) : TComponent(AOwner) {}

TQvWindowHook::~TQvWindowHook()
{
    SetActive(false);
    SetWinControl(nullptr);
}

void TQvWindowHook::SetActive(bool v)
{
    if (v)
        HookControl();
    else
        UnhookControl();
    FActive = v;
}

TWinControl* TQvWindowHook::WinControl() const
{
    if (FControlHook && FControlHook->Control()) return FControlHook->Control();
    return FControl;
}

void TQvWindowHook::SetWinControl(TWinControl* v)
{
    if (v == FControl) return;
    const bool wasActive = FActive;
    // The control hook left behind (also when this watcher was detached).
    TControlHook* old = FControlHook;
    if (!old && FControl && HookListExists()) old = GetHookList()->FindControlHook(FControl);
    UnhookControl();
    FControl = v;
    if (v) v->FreeNotification(this);
    if (old && old->HookCount() == 0 && HookListExists())
        PostMessage(GetHookList()->Handle(), HM_FREEHOOK, 0, LPARAM(old));
    if (wasActive) HookControl();
}

bool TQvWindowHook::IsForm() const { return FControl && FControl == Owner(); }

void TQvWindowHook::SetIsForm(bool v)
{
    if (v)
        if (auto* f = dynamic_cast<TForm*>(Owner())) SetWinControl(f);
}

void TQvWindowHook::HookControl()
{
    if (FControl && !IsDestroying()) GetHookList()->GetControlHook(FControl)->AddHook(this);
}

void TQvWindowHook::UnhookControl()
{
    if (FControlHook) FControlHook->RemoveHook(this);
}

void TQvWindowHook::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation != opRemove || !AComponent) return;
    if (AComponent == FControl) {
        if (FControlHook && FControlHook->Control() == FControl) FControlHook->ControlDestroyed();
        SetWinControl(nullptr);
    } else if (AComponent == Owner() || !Owner()) {
        SetWinControl(nullptr);
    }
}

void TQvWindowHook::DoAfterMessage(TMessage& Msg, bool& Handled)
{
    if (AfterMessage) AfterMessage(this, Msg, Handled);
}

void TQvWindowHook::DoBeforeMessage(TMessage& Msg, bool& Handled)
{
    if (BeforeMessage) BeforeMessage(this, Msg, Handled);
}

// ------------------------------------------------------------ TControlHook

TControlHook::TControlHook() : FWatch(new ControlWatch(this)), FCell(std::make_shared<Cell>())
{
    FCell->hook = this;
}

TControlHook::~TControlHook()
{
    FDestroying = true;
    if (HookListExists()) GetHookList()->Remove(this);
    while (!FList.empty()) RemoveHook(FList.back());
    UnhookWndProc();
    FCell->hook = nullptr;
    delete FWatch;
}

void TControlHook::BindControl(TWinControl* c)
{
    if (FControl) FWatch->RemoveFreeNotification(FControl);
    FControl = c;
    FCell->control = c;
    if (c) c->FreeNotification(FWatch);
}

void TControlHook::SetControl(TWinControl* c)
{
    if (c == FControl) return;
    UnhookWndProc();
    BindControl(c);
    if (!FList.empty()) HookWndProc();
}

void TControlHook::ControlDestroyed()
{
    FPrevWndProc = nullptr;
    FControl = nullptr;
    FCell->control = nullptr;
}

void TControlHook::AddHook(TQvWindowHook* Hook)
{
    if (std::find(FList.begin(), FList.end(), Hook) == FList.end()) {
        FList.push_back(Hook);
        Hook->FControlHook = this;
        if (Hook->FControl != FControl) {
            UnhookWndProc();
            BindControl(Hook->FControl);
        }
    }
    HookWndProc();
}

void TControlHook::RemoveHook(TQvWindowHook* Hook)
{
    Hook->FControlHook = nullptr;
    auto it = std::find(FList.begin(), FList.end(), Hook);
    if (it != FList.end()) FList.erase(it);
    if (FList.empty()) UnhookWndProc();
}

bool TControlHook::IsOwnProc(const TWndMethod& proc) const
{
    const Proc* p = proc.target<Proc>();
    return p && p->cell == FCell;
}

void TControlHook::HookWndProc()
{
    if (!FControl || Designing(FControl) || FControl->IsDestroying() || FDestroying) return;
    FControl->HandleNeeded();
    if (!IsOwnProc(FControl->WindowProc)) {
        FPrevWndProc = FControl->WindowProc;
        FControl->WindowProc = Proc{FCell};
    }
}

void TControlHook::UnhookWndProc()
{
    // The procedure belongs to the control object here, so it is put back
    // whether or not the window still exists; one who subclassed after us
    // keeps its place.
    if (FControl && FPrevWndProc && !FControl->IsDestroying() && IsOwnProc(FControl->WindowProc))
        FControl->WindowProc = FPrevWndProc;
    FPrevWndProc = nullptr;
}

void TControlHook::NotifyHooks(bool Before, TMessage& Msg, bool& Handled)
{
    if (FList.empty() || !FControl || FDestroying || FControl->IsDestroying()) return;
    const std::vector<TQvWindowHook*> hooks(FList);
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it) {
        TQvWindowHook* h = *it;
        if (std::find(FList.begin(), FList.end(), h) == FList.end()) continue;   // left meanwhile
        try {
            if (Before)
                h->DoBeforeMessage(Msg, Handled);
            else
                h->DoAfterMessage(Msg, Handled);
        } catch (...) {
            Application->HandleException(h);
        }
        if (Handled) break;
    }
}

void TControlHook::WndProc(TMessage& Msg)
{
    bool handled = false;
    if (Msg.Msg != WM_QUIT) NotifyHooks(true, Msg, handled);
    if (!handled || Msg.Msg == WM_DESTROY) {
        TWndMethod prev = FPrevWndProc;   // unhooking may clear it meanwhile
        struct After {
            TControlHook* h;
            TMessage& m;
            bool& handled;
            ~After() { h->NotifyHooks(false, m, handled); }
        };
        {
            After after{this, Msg, handled};
            if (prev)
                prev(Msg);
            else if (FControl)
                FControl->WndProc(Msg);
        }
    }
    if (Msg.Msg == WM_DESTROY) {
        const bool controlGoing = !FControl || FControl->IsDestroying();
        UnhookWndProc();
        if (HookListExists() && !FDestroying && !controlGoing)
            PostMessage(GetHookList()->Handle(), HM_REHOOK, 0, LPARAM(this));
    }
}

// --------------------------------------------------------------- THookList

THookList::THookList()
{
    FHandle = AllocateHWnd([this](TMessage& m) { WndProc(m); });
}

THookList::~THookList()
{
    while (!FList.empty()) delete FList.back();   // each leaves the list
    DeallocateHWnd(FHandle);
}

TControlHook* THookList::FindControlHook(TWinControl* Control) const
{
    for (TControlHook* h : FList)
        if (h->Control() == Control) return h;
    return nullptr;
}

TControlHook* THookList::GetControlHook(TWinControl* Control)
{
    if (TControlHook* h = FindControlHook(Control)) return h;
    auto* h = new TControlHook;
    FList.push_back(h);
    h->SetControl(Control);
    return h;
}

bool THookList::Contains(TControlHook* Hook) const { return std::find(FList.begin(), FList.end(), Hook) != FList.end(); }

void THookList::Remove(TControlHook* Hook)
{
    auto it = std::find(FList.begin(), FList.end(), Hook);
    if (it != FList.end()) FList.erase(it);
}

void THookList::WndProc(TMessage& Msg)
{
    try {
        auto* hook = reinterpret_cast<TControlHook*>(Msg.LParam);
        switch (Msg.Msg) {
        case HM_REHOOK:
            if (Contains(hook)) hook->HookWndProc();
            break;
        case HM_FREEHOOK:
            if (Contains(hook) && hook->HookCount() == 0) delete hook;
            break;
        default: break;
        }
    } catch (...) {
        Application->HandleException(this);
    }
}
