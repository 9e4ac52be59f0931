#include "platform/ui/AppEvnts.h"

#include <algorithm>
#include <vector>

#include "platform/ui/Forms.h"

namespace {
std::vector<TApplicationEvents*>& Instances()
{
    static std::vector<TApplicationEvents*> v;
    return v;
}

template <class Member>
void Dispatch(Member m, TObject* sender)
{
    for (TApplicationEvents* e : std::vector<TApplicationEvents*>(Instances())) {
        auto& h = e->*m;
        if (h) h(sender);
    }
}
}  // namespace

TApplicationEvents::TApplicationEvents(TComponent* AOwner) : TComponent(AOwner)
{
    if (Instances().empty()) {
        Application->OnActivate = [](TObject* s) { Dispatch(&TApplicationEvents::OnActivate, s); };
        Application->OnDeactivate = [](TObject* s) { Dispatch(&TApplicationEvents::OnDeactivate, s); };
        Application->OnHint = [](TObject* s) { Dispatch(&TApplicationEvents::OnHint, s); };
    }
    Instances().push_back(this);
}

TApplicationEvents::~TApplicationEvents()
{
    auto& v = Instances();
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
}
