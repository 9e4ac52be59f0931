#include "platform/ui/Windows.h"
#include "platform/ui/EventBridge.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QHash>
#include <QObject>
#include <QScrollBar>
#include <QStyle>

#include "platform/ui/Forms.h"

namespace {

using winapi_detail::IWindowTarget;

// A hidden message window: only a window procedure.
class HiddenWindow : public IWindowTarget {
public:
    explicit HiddenWindow(TWndMethod m) : method(std::move(m)) {}
    void HandleMessage(TMessage& m) override
    {
        if (method) method(m);
    }
    bool GetWindowPlacementOf(TWindowPlacement&) override { return false; }
    bool SetWindowPlacementOf(const TWindowPlacement&) override { return false; }
    bool WindowVisible() override { return false; }
    bool WindowMinimized() override { return false; }
    bool WindowMaximized() override { return false; }
    bool ShowWindowCmd(int) override { return false; }
    void UpdateWindowNow() override {}
    TWndMethod method;
};

struct HandleTable {
    QHash<quintptr, IWindowTarget*> live;
    QHash<quintptr, HiddenWindow*> hidden;
    quintptr next = 0x100;
    int pending = 0;
};

// Never destroyed: handles may be released from static destructors.
HandleTable& Table()
{
    static HandleTable* t = new HandleTable;
    return *t;
}

const QEvent::Type PostedMessageEvent = QEvent::Type(QEvent::registerEventType());

class PostedMessage : public QEvent {
public:
    PostedMessage(HWND w, const TMessage& m) : QEvent(PostedMessageEvent), wnd(w), msg(m) {}
    HWND wnd;
    TMessage msg;
};

class MessageQueue : public QObject {
protected:
    void customEvent(QEvent* e) override
    {
        if (e->type() != PostedMessageEvent) return;
        auto* pm = static_cast<PostedMessage*>(e);
        --Table().pending;
        if (IWindowTarget* t = winapi_detail::FindWindowTarget(pm->wnd)) {
            TMessage m = pm->msg;
            CallHandler(nullptr, [&] { t->HandleMessage(m); });
        }
    }
};

MessageQueue* Queue()
{
    static MessageQueue* q = nullptr;
    if (!q) {
        TApplication::EnsureQtApplication();
        q = new MessageQueue;
    }
    return q;
}

}  // namespace

namespace winapi_detail {

HWND RegisterWindow(IWindowTarget* target)
{
    HandleTable& t = Table();
    quintptr id = t.next++;
    t.live.insert(id, target);
    return HWND(id);
}

void UnregisterWindow(HWND wnd) { Table().live.remove(quintptr(wnd)); }

IWindowTarget* FindWindowTarget(HWND wnd)
{
    if (wnd == NullHWND) return nullptr;
    return Table().live.value(quintptr(wnd), nullptr);
}

}  // namespace winapi_detail

HWND AllocateHWnd(TWndMethod method)
{
    auto* w = new HiddenWindow(std::move(method));
    HWND h = winapi_detail::RegisterWindow(w);
    Table().hidden.insert(quintptr(h), w);
    return h;
}

void DeallocateHWnd(HWND wnd)
{
    HandleTable& t = Table();
    HiddenWindow* w = t.hidden.take(quintptr(wnd));
    if (!w) return;
    winapi_detail::UnregisterWindow(wnd);
    delete w;
}

bool IsWindow(HWND wnd) { return winapi_detail::FindWindowTarget(wnd) != nullptr; }

LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    IWindowTarget* t = winapi_detail::FindWindowTarget(wnd);
    if (!t) return 0;
    TMessage m{msg, wParam, lParam, 0};
    t->HandleMessage(m);
    return m.Result;
}

bool PostMessage(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!IsWindow(wnd)) return false;
    ++Table().pending;
    QCoreApplication::postEvent(Queue(), new PostedMessage(wnd, TMessage{msg, wParam, lParam, 0}));
    return true;
}

int DeliverPostedMessages()
{
    int delivered = 0;
    // Messages posted while delivering are delivered too; a window that keeps
    // posting to itself gets a bounded number of rounds, never a hang.
    for (int round = 0; round < 1000 && Table().pending > 0; ++round) {
        int before = Table().pending;
        QCoreApplication::sendPostedEvents(Queue(), PostedMessageEvent);
        delivered += before - Table().pending > 0 ? before - Table().pending : 0;
        if (Table().pending >= before) break;
    }
    return delivered;
}

int PendingPostedMessages() { return Table().pending; }

bool GetWindowPlacement(HWND wnd, TWindowPlacement* wp)
{
    IWindowTarget* t = winapi_detail::FindWindowTarget(wnd);
    if (!t || !wp) return false;
    wp->length = sizeof(TWindowPlacement);
    return t->GetWindowPlacementOf(*wp);
}

bool SetWindowPlacement(HWND wnd, const TWindowPlacement* wp)
{
    IWindowTarget* t = winapi_detail::FindWindowTarget(wnd);
    if (!t || !wp) return false;
    return t->SetWindowPlacementOf(*wp);
}

bool IsWindowVisible(HWND wnd)
{
    IWindowTarget* t = winapi_detail::FindWindowTarget(wnd);
    return t && t->WindowVisible();
}

bool IsIconic(HWND wnd)
{
    IWindowTarget* t = winapi_detail::FindWindowTarget(wnd);
    return t && t->WindowMinimized();
}

bool IsZoomed(HWND wnd)
{
    IWindowTarget* t = winapi_detail::FindWindowTarget(wnd);
    return t && t->WindowMaximized();
}

bool ShowWindow(HWND wnd, int cmd)
{
    IWindowTarget* t = winapi_detail::FindWindowTarget(wnd);
    return t && t->ShowWindowCmd(cmd);
}

void UpdateWindow(HWND wnd)
{
    if (IWindowTarget* t = winapi_detail::FindWindowTarget(wnd)) t->UpdateWindowNow();
}

bool GetCursorPos(TPoint* p)
{
    if (!p) return false;
    const QPoint q = QCursor::pos();
    *p = Point(q.x(), q.y());
    return true;
}

TPoint GetCursorPos()
{
    TPoint p;
    GetCursorPos(&p);
    return p;
}

bool SetCursorPos(int x, int y)
{
    QCursor::setPos(x, y);
    return true;
}

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN: return Screen->Width();
    case SM_CYSCREEN: return Screen->Height();
    case SM_CXVSCROLL:
    case SM_CYHSCROLL:
        TApplication::EnsureQtApplication();
        return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    case SM_CYCAPTION:
        TApplication::EnsureQtApplication();
        return QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
    // Frame widths as the original platform reports them at 96 pixels per
    // inch; the window manager draws the real frames here, so these only serve
    // the placement arithmetic (a maximised window's position).
    case SM_CXBORDER:
    case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME:
    case SM_CYDLGFRAME: return 3;
    case SM_CXFRAME:
    case SM_CYFRAME: return 4;
    default: return 0;
    }
}
