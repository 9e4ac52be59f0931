#pragma once
// Application events: a component that receives the application's
// activation, deactivation and hint events. Several may exist at once; each
// gets every event while it lives.
#include "platform/core/Classes.h"

class TApplicationEvents : public TComponent {
    QV_CLASS(TApplicationEvents, TComponent)
public:
    explicit TApplicationEvents(TComponent* AOwner = nullptr);
    ~TApplicationEvents() override;
    TNotifyEvent OnActivate;
    TNotifyEvent OnDeactivate;
    TNotifyEvent OnHint;
};
