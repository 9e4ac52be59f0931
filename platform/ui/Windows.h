#pragma once
// The window-system vocabulary the system code is written in: window handles,
// message records and numbers, posted messages, window placement, system
// metrics, message-box flags and answers.
//
// A window handle (HWND) names a live message target: every windowed control
// while its Qt widget exists, the application window, and hidden message
// windows made by AllocateHWnd. Handles are numbers, never pointers: a message
// sent or posted to a handle that has gone is dropped, as on the original
// platform. Posted messages are queued on the Qt event loop and delivered, in
// the order posted, to the target's window procedure when the loop (or
// Application->ProcessMessages) runs.
//
// WParam and LParam are pointer-sized so that records (TMinMaxInfo*) travel
// in LParam as on the original platform.
#include <QtGlobal>
#include <functional>

using UINT = quint32;
using WORD = quint16;
using DWORD = quint32;
using WPARAM = quintptr;
using LPARAM = qintptr;
using LRESULT = qintptr;
using BOOL = bool;

enum class HWND : quintptr {};
constexpr HWND NullHWND{};

struct TPoint {
    int X = 0, Y = 0;
    constexpr bool operator==(const TPoint&) const = default;
};
inline constexpr TPoint Point(int x, int y) { return TPoint{x, y}; }

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    constexpr int Width() const { return Right - Left; }
    constexpr int Height() const { return Bottom - Top; }
    constexpr bool operator==(const TRect&) const = default;
};
inline constexpr TRect Rect(int l, int t, int r, int b) { return TRect{l, t, r, b}; }
inline constexpr TRect Bounds(int l, int t, int w, int h) { return TRect{l, t, l + w, t + h}; }

struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
    WORD WParamLo() const { return WORD(WParam & 0xFFFF); }
    WORD WParamHi() const { return WORD((WParam >> 16) & 0xFFFF); }
    WORD LParamLo() const { return WORD(LParam & 0xFFFF); }
    WORD LParamHi() const { return WORD((quintptr(LParam) >> 16) & 0xFFFF); }
};
using TWndMethod = std::function<void(TMessage&)>;

inline constexpr WORD LOWORD(quintptr v) { return WORD(v & 0xFFFF); }
inline constexpr WORD HIWORD(quintptr v) { return WORD((v >> 16) & 0xFFFF); }
inline constexpr LPARAM MAKELPARAM(WORD lo, WORD hi) { return LPARAM(DWORD(lo) | (DWORD(hi) << 16)); }
inline constexpr WPARAM MAKEWPARAM(WORD lo, WORD hi) { return WPARAM(DWORD(lo) | (DWORD(hi) << 16)); }

// Window messages.
constexpr UINT WM_NULL = 0x0000, WM_CREATE = 0x0001, WM_DESTROY = 0x0002, WM_MOVE = 0x0003, WM_SIZE = 0x0005,
               WM_ACTIVATE = 0x0006, WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008, WM_ENABLE = 0x000A,
               WM_SETTEXT = 0x000C, WM_GETTEXT = 0x000D, WM_PAINT = 0x000F, WM_CLOSE = 0x0010, WM_QUIT = 0x0012,
               WM_ERASEBKGND = 0x0014, WM_SHOWWINDOW = 0x0018, WM_ACTIVATEAPP = 0x001C, WM_CANCELMODE = 0x001F,
               WM_SETCURSOR = 0x0020, WM_GETMINMAXINFO = 0x0024, WM_WINDOWPOSCHANGING = 0x0046,
               WM_WINDOWPOSCHANGED = 0x0047, WM_CONTEXTMENU = 0x007B, WM_NCDESTROY = 0x0082,
               WM_NCHITTEST = 0x0084, WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101, WM_CHAR = 0x0102,
               WM_SYSKEYDOWN = 0x0104, WM_SYSKEYUP = 0x0105, WM_SYSCHAR = 0x0106, WM_SYSCOMMAND = 0x0112,
               WM_TIMER = 0x0113, WM_INITMENUPOPUP = 0x0117, WM_MOUSEMOVE = 0x0200, WM_LBUTTONDOWN = 0x0201,
               WM_LBUTTONUP = 0x0202, WM_LBUTTONDBLCLK = 0x0203, WM_RBUTTONDOWN = 0x0204, WM_RBUTTONUP = 0x0205,
               WM_MBUTTONDOWN = 0x0207, WM_MBUTTONUP = 0x0208, WM_MOUSEWHEEL = 0x020A, WM_MDIACTIVATE = 0x0222,
               WM_USER = 0x0400;

// The control framework's own messages (CM_BASE .. CM_BASE + 0x3F).
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0, CM_DEACTIVATE = CM_BASE + 1, CM_RELEASE = CM_BASE + 2,
               CM_SHOWINGCHANGED = CM_BASE + 3, CM_RECREATEWND = CM_BASE + 4, CM_MOUSEENTER = CM_BASE + 5,
               CM_MOUSELEAVE = CM_BASE + 6, CM_TEXTCHANGED = CM_BASE + 7, CM_FONTCHANGED = CM_BASE + 8,
               CM_COLORCHANGED = CM_BASE + 9, CM_ENABLEDCHANGED = CM_BASE + 10, CM_VISIBLECHANGED = CM_BASE + 11,
               CM_DIALOGKEY = CM_BASE + 12;   // WParam the key, LParam the shift state's bits

// WM_SYSCOMMAND commands.
constexpr WPARAM SC_SIZE = 0xF000, SC_MOVE = 0xF010, SC_MINIMIZE = 0xF020, SC_MAXIMIZE = 0xF030,
                 SC_NEXTWINDOW = 0xF040, SC_PREVWINDOW = 0xF050, SC_CLOSE = 0xF060,
                 SC_RESTORE = 0xF120;

// WM_SIZE kinds.
constexpr WPARAM SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2;
// WM_ACTIVATE states.
constexpr WORD WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2;

// WM_NCHITTEST results.
constexpr LRESULT HTERROR = -2, HTTRANSPARENT = -1, HTNOWHERE = 0, HTCLIENT = 1, HTCAPTION = 2, HTSYSMENU = 3,
                  HTGROWBOX = 4, HTSIZE = 4, HTMENU = 5, HTHSCROLL = 6, HTVSCROLL = 7, HTMINBUTTON = 8,
                  HTMAXBUTTON = 9, HTLEFT = 10, HTRIGHT = 11, HTTOP = 12, HTTOPLEFT = 13, HTTOPRIGHT = 14,
                  HTBOTTOM = 15, HTBOTTOMLEFT = 16, HTBOTTOMRIGHT = 17, HTBORDER = 18;

// Show commands.
constexpr UINT SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_NORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED = 3,
               SW_MAXIMIZE = 3, SW_SHOWNOACTIVATE = 4, SW_SHOW = 5, SW_MINIMIZE = 6, SW_SHOWMINNOACTIVE = 7,
               SW_SHOWNA = 8, SW_RESTORE = 9, SW_SHOWDEFAULT = 10, SW_FORCEMINIMIZE = 11;

// Window placement: flags, show command, minimised and maximised positions and
// the normal (restored) rectangle, in the coordinates of the window's parent
// area (the screen, or the MDI client area for an MDI child).
constexpr UINT WPF_SETMINPOSITION = 1, WPF_RESTORETOMAXIMIZED = 2;
struct TWindowPlacement {
    UINT length = sizeof(TWindowPlacement);
    UINT flags = 0;
    UINT showCmd = 0;
    TPoint ptMinPosition;
    TPoint ptMaxPosition;
    TRect rcNormalPosition;
};

// The record of WM_GETMINMAXINFO (LParam points to it).
struct TMinMaxInfo {
    TPoint ptReserved;
    TPoint ptMaxSize;
    TPoint ptMaxPosition;
    TPoint ptMinTrackSize;
    TPoint ptMaxTrackSize;
};

// System metrics.
constexpr int SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CXVSCROLL = 2, SM_CYHSCROLL = 3, SM_CYCAPTION = 4,
              SM_CXBORDER = 5, SM_CYBORDER = 6, SM_CXDLGFRAME = 7, SM_CYDLGFRAME = 8, SM_CXFRAME = 32,
              SM_CYFRAME = 33, SM_CXFIXEDFRAME = SM_CXDLGFRAME, SM_CYFIXEDFRAME = SM_CYDLGFRAME,
              SM_CXSIZEFRAME = SM_CXFRAME, SM_CYSIZEFRAME = SM_CYFRAME;
int GetSystemMetrics(int index);
// The mouse cursor's position in screen coordinates.
bool GetCursorPos(TPoint* p);
TPoint GetCursorPos();
// Moves the mouse cursor (tests place it where a click is meant to land).
bool SetCursorPos(int x, int y);

// Message boxes: flags and answers.
constexpr int MB_OK = 0x0, MB_OKCANCEL = 0x1, MB_ABORTRETRYIGNORE = 0x2, MB_YESNOCANCEL = 0x3, MB_YESNO = 0x4,
              MB_RETRYCANCEL = 0x5, MB_TYPEMASK = 0xF, MB_ICONHAND = 0x10, MB_ICONERROR = 0x10,
              MB_ICONSTOP = 0x10, MB_ICONQUESTION = 0x20, MB_ICONEXCLAMATION = 0x30, MB_ICONWARNING = 0x30,
              MB_ICONASTERISK = 0x40, MB_ICONINFORMATION = 0x40, MB_ICONMASK = 0xF0, MB_DEFBUTTON1 = 0x0,
              MB_DEFBUTTON2 = 0x100, MB_DEFBUTTON3 = 0x200, MB_DEFMASK = 0xF00, MB_APPLMODAL = 0x0,
              MB_SYSTEMMODAL = 0x1000, MB_TASKMODAL = 0x2000;
constexpr int IDOK = 1, IDCANCEL = 2, IDABORT = 3, IDRETRY = 4, IDIGNORE = 5, IDYES = 6, IDNO = 7;

// Virtual-key codes of the keyboard messages.
constexpr WORD VK_BACK = 8, VK_TAB = 9, VK_CLEAR = 12, VK_RETURN = 13, VK_SHIFT = 16, VK_CONTROL = 17, VK_MENU = 18,
               VK_ESCAPE = 27, VK_SPACE = 32, VK_PRIOR = 33, VK_NEXT = 34, VK_END = 35, VK_HOME = 36, VK_LEFT = 37,
               VK_UP = 38, VK_RIGHT = 39, VK_DOWN = 40, VK_INSERT = 45, VK_DELETE = 46, VK_F1 = 112, VK_F2 = 113,
               VK_F3 = 114, VK_F4 = 115, VK_F5 = 116, VK_F6 = 117, VK_F7 = 118, VK_F8 = 119, VK_F9 = 120,
               VK_F10 = 121, VK_F11 = 122, VK_F12 = 123;
constexpr WORD VK_NUMPAD0 = 0x60, VK_MULTIPLY = 0x6A, VK_ADD = 0x6B, VK_SUBTRACT = 0x6D, VK_DECIMAL = 0x6E,
               VK_DIVIDE = 0x6F;
// ------------------------------------------------------------ handles
// A hidden window whose messages go to the method.
HWND AllocateHWnd(TWndMethod method);
void DeallocateHWnd(HWND wnd);
// True while the handle names a live window.
bool IsWindow(HWND wnd);

// Calls the window's procedure at once; 0 for a dead handle.
LRESULT SendMessage(HWND wnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
// Queues the message; false for a dead handle. A message whose window is gone
// by the time it comes up is dropped.
bool PostMessage(HWND wnd, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
// Delivers the posted messages queued so far (and those they post), without
// waiting; returns how many were delivered.
int DeliverPostedMessages();
// Number of posted messages not yet delivered.
int PendingPostedMessages();

// Placement and state of a form's window (or any windowed control: its bounds).
bool GetWindowPlacement(HWND wnd, TWindowPlacement* wp);
bool SetWindowPlacement(HWND wnd, const TWindowPlacement* wp);
bool IsWindowVisible(HWND wnd);
bool IsIconic(HWND wnd);
bool IsZoomed(HWND wnd);
bool ShowWindow(HWND wnd, int cmd);
// Paints what is pending at once.
void UpdateWindow(HWND wnd);

// Used by the window classes: registration of a control's handle.
namespace winapi_detail {
class IWindowTarget {
public:
    virtual ~IWindowTarget() = default;
    virtual void HandleMessage(TMessage& m) = 0;
    virtual bool GetWindowPlacementOf(TWindowPlacement& wp) = 0;
    virtual bool SetWindowPlacementOf(const TWindowPlacement& wp) = 0;
    virtual bool WindowVisible() = 0;
    virtual bool WindowMinimized() = 0;
    virtual bool WindowMaximized() = 0;
    virtual bool ShowWindowCmd(int cmd) = 0;
    virtual void UpdateWindowNow() = 0;
};
HWND RegisterWindow(IWindowTarget* target);
void UnregisterWindow(HWND wnd);
IWindowTarget* FindWindowTarget(HWND wnd);
}  // namespace winapi_detail
