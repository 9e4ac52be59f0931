#pragma once
// Window-procedure hooks: a component watches and answers the messages of
// another control's window without that control's class knowing, by
// replacing the control's window procedure (subclassing).
//
// Several watchers (TQvWindowHook) may watch one control; they share one
// TControlHook, which installs its procedure in front of the control's. Each
// message goes first to the watchers' BeforeMessage (last added first; one
// that sets Handled stops the message, except WM_DESTROY, which always
// reaches the control), then to the control's previous procedure, then to the
// watchers' AfterMessage. On WM_DESTROY the hook takes itself out and asks,
// through a message posted to the hook list's hidden window, to be put back
// in once the message has returned, so that a window made again (RecreateWnd)
// is watched again. A control hook that no watcher uses any more is freed the
// same way.
#include <functional>
#include <memory>
#include <vector>

#include "platform/core/Classes.h"
#include "platform/ui/Controls.h"

// Messages of the hook list's hidden window (LParam: the control hook).
constexpr UINT HM_REHOOK = 0xB052;
constexpr UINT HM_FREEHOOK = 0xB053;

using THookMessageEvent = std::function<void(TObject* Sender, TMessage& Msg, bool& Handled)>;

class TControlHook;

class TQvWindowHook : public TComponent {
    QV_CLASS(TQvWindowHook, TComponent)
public:
    explicit TQvWindowHook(TComponent* AOwner = nullptr);
    ~TQvWindowHook() override;

    bool Active() const { return FActive; }
    void SetActive(bool v);
    // The watched control: the control hook's while attached.
    TWinControl* WinControl() const;
    void SetWinControl(TWinControl* v);
    // As stored in a form definition instead of WinControl when the watched
    // control is the owner form.
    bool IsForm() const;
    void SetIsForm(bool v);

    void HookControl();
    void UnhookControl();
    TControlHook* ControlHook() const { return FControlHook; }

    THookMessageEvent BeforeMessage;
    THookMessageEvent AfterMessage;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    virtual void DoAfterMessage(TMessage& Msg, bool& Handled);
    virtual void DoBeforeMessage(TMessage& Msg, bool& Handled);

private:
    friend class TControlHook;
    bool FActive = true;
    TWinControl* FControl = nullptr;
    TControlHook* FControlHook = nullptr;
};

// One per hooked control.
class TControlHook : public TObject {
    QV_CLASS(TControlHook, TObject)
public:
    TControlHook();
    ~TControlHook() override;

    TWinControl* Control() const { return FControl; }
    void SetControl(TWinControl* c);
    void AddHook(TQvWindowHook* Hook);
    void RemoveHook(TQvWindowHook* Hook);
    int HookCount() const { return int(FList.size()); }
    void HookWndProc();
    void UnhookWndProc();
    // True while the hook's procedure is in the control's chain.
    bool Installed() const { return bool(FPrevWndProc); }
    bool IsOwnProc(const TWndMethod& proc) const;
    void NotifyHooks(bool Before, TMessage& Msg, bool& Handled);
    // The watched control is being freed: the hook lets go of it.
    void ControlDestroyed();

private:
    struct Cell;
    struct Proc;
    class ControlWatch;
    void WndProc(TMessage& Msg);
    void BindControl(TWinControl* c);
    TWinControl* FControl = nullptr;
    // Told when the control is freed, whether or not watchers are left.
    ControlWatch* FWatch = nullptr;
    std::shared_ptr<Cell> FCell;
    TWndMethod FPrevWndProc;
    std::vector<TQvWindowHook*> FList;
    bool FDestroying = false;
};

// The control hooks of the program, with the hidden window that re-hooks
// and frees them.
class THookList : public TObject {
    QV_CLASS(THookList, TObject)
public:
    THookList();
    ~THookList() override;
    TControlHook* FindControlHook(TWinControl* Control) const;
    TControlHook* GetControlHook(TWinControl* Control);
    bool Contains(TControlHook* Hook) const;
    void Remove(TControlHook* Hook);
    int Count() const { return int(FList.size()); }
    HWND Handle() const { return FHandle; }

private:
    void WndProc(TMessage& Msg);
    std::vector<TControlHook*> FList;
    HWND FHandle = NullHWND;
};

// Made on first use, freed at the program's end.
THookList* GetHookList();
bool HookListExists();
