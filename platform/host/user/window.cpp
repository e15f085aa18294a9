// Window records, message delivery, focus and geometry.
#include "user_internal.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <unordered_set>

namespace hostwin {
namespace {

std::unordered_set<Window*>& LiveWindows() {
    // Never destroyed: windows alive at exit stay reachable.
    static auto* live = new std::unordered_set<Window*>;
    return *live;
}

Window* g_focus = nullptr;
POINT g_cursor{0, 0};

struct PostedMessage {
    HWND wnd;
    UINT msg;
    WPARAM wp;
    LPARAM lp;
};
std::deque<PostedMessage> g_posted;

struct ClassInfo {
    const char* name;
    WindowKind kind;
    WNDPROC proc;
    void (*init)(Window*);
};

const ClassInfo kClasses[] = {
    {"Button", WindowKind::Button, ButtonProc, InitButton},
    {"Static", WindowKind::Static, StaticProc, nullptr},
    {"Edit", WindowKind::Edit, EditProc, InitEdit},
    {"ComboBox", WindowKind::ComboBox, ComboProc, InitCombo},
    {"SysListView32", WindowKind::ListView, ListViewProc, InitListView},
    {"SysTabControl32", WindowKind::TabControl, TabProc, InitTab},
    {"#32770", WindowKind::Dialog, DialogProc, nullptr},
};

bool SameName(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (FoldCase(static_cast<unsigned char>(*a)) != FoldCase(static_cast<unsigned char>(*b))) return false;
    return *a == *b;
}

const ClassInfo* FindClass(const char* name) {
    if (!name) return nullptr;
    for (const ClassInfo& info : kClasses)
        if (SameName(info.name, name)) return &info;
    return nullptr;
}

void FreeIfDone(Window* w) {
    if (w->destroyed && w->depth == 0) delete w;
}

bool Contains(Window* outer, Window* inner) {
    for (Window* w = inner; w; w = w->parent)
        if (w == outer) return true;
    return false;
}

// Non-client insets: a caption and frame for top-level windows, a border
// line for bordered children.
RECT Insets(const Window* w) {
    RECT r{0, 0, 0, 0};
    if (!(w->style & WS_CHILD) && (w->style & WS_CAPTION) == WS_CAPTION) {
        r = RECT{3, 22, 3, 3};
    } else {
        int b = (w->style & WS_BORDER) ? 1 : 0;
        if (w->exStyle & WS_EX_CLIENTEDGE) b += 2;
        r = RECT{b, b, b, b};
    }
    return r;
}

POINT WindowOrigin(Window* w) {
    if (!w->parent || !(w->style & WS_CHILD)) return POINT{w->rect.left, w->rect.top};
    POINT p = ClientOrigin(w->parent);
    return POINT{p.x + w->rect.left, p.y + w->rect.top};
}

void DestroyTree(Window* w) {
    if (w->destroyed) return;
    SendMessageA(ToHandle(w), WM_DESTROY, 0, 0);
    // Children go after their parent has been told, last created first.
    while (!w->children.empty()) {
        Window* child = w->children.back();
        DestroyTree(child);
    }
    if (w->parent) {
        auto& siblings = w->parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), w), siblings.end());
    }
    if (g_focus == w) g_focus = nullptr;
    LiveWindows().erase(w);
    w->destroyed = true;
    FreeIfDone(w);
}

}  // namespace

Window* FromHandle(HWND wnd) {
    Window* w = reinterpret_cast<Window*>(wnd);
    if (!w || !LiveWindows().count(w)) return nullptr;
    return w;
}

void HoldWindow(Window* w) { ++w->depth; }

void ReleaseWindow(Window* w) {
    --w->depth;
    FreeIfDone(w);
}

POINT ClientOrigin(Window* w) {
    POINT p = WindowOrigin(w);
    RECT in = Insets(w);
    return POINT{p.x + in.left, p.y + in.top};
}

HWND CreateWindowRecord(const CreateParams& params) {
    const ClassInfo* info = FindClass(params.className);
    if (!info) return nullptr;
    Window* parent = FromHandle(params.parent);
    if ((params.style & WS_CHILD) && !parent) return nullptr;
    auto* w = new Window;
    w->kind = info->kind;
    w->className = info->name;
    w->proc = info->proc;
    w->style = params.style;
    w->exStyle = params.exStyle;
    w->id = (params.style & WS_CHILD) ? params.id : 0;
    w->text = params.text ? params.text : "";
    w->parent = parent;
    w->rect = params.rect;
    w->instance = params.instance;
    LiveWindows().insert(w);
    if (parent) parent->children.push_back(w);
    if (info->init) info->init(w);
    CREATESTRUCTA cs{};
    cs.lpCreateParams = params.param;
    cs.hInstance = params.instance;
    cs.hwndParent = params.parent;
    cs.x = params.rect.left;
    cs.y = params.rect.top;
    cs.cx = params.rect.right - params.rect.left;
    cs.cy = params.rect.bottom - params.rect.top;
    cs.style = static_cast<LONG>(params.style);
    cs.lpszName = params.text;
    cs.lpszClass = info->name;
    cs.dwExStyle = params.exStyle;
    HWND wnd = ToHandle(w);
    if (SendMessageA(wnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(wnd);
        return nullptr;
    }
    return FromHandle(wnd) ? wnd : nullptr;
}

void SetText(Window* w, const char* text) { w->text = text ? text : ""; }

LRESULT CopyOut(const std::string& text, char* buf, WPARAM size) {
    if (!buf || size == 0) return 0;
    std::size_t n = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
    return static_cast<LRESULT>(n);
}

void CommandToParent(Window* w, WORD code) {
    if (!w->parent) return;
    SendMessageA(ToHandle(w->parent), WM_COMMAND, MAKEWPARAM(w->id, code), reinterpret_cast<LPARAM>(ToHandle(w)));
}

LRESULT NotifyParent(Window* w, UINT code, NMHDR* hdr) {
    hdr->hwndFrom = ToHandle(w);
    hdr->idFrom = static_cast<UINT_PTR>(w->id);
    hdr->code = code;
    if (!w->parent) return 0;
    return SendMessageA(ToHandle(w->parent), WM_NOTIFY, static_cast<WPARAM>(w->id), reinterpret_cast<LPARAM>(hdr));
}

int DluToPixelsX(int x) {
    int v = x * kBaseUnitX;
    return v >= 0 ? (v + 2) / 4 : -((-v + 2) / 4);
}

int DluToPixelsY(int y) {
    int v = y * kBaseUnitY;
    return v >= 0 ? (v + 4) / 8 : -((-v + 4) / 8);
}

void DeliverPostedMessages() {
    while (!g_posted.empty()) {
        PostedMessage m = g_posted.front();
        g_posted.pop_front();
        if (FromHandle(m.wnd)) SendMessageA(m.wnd, m.msg, m.wp, m.lp);
    }
}

}  // namespace hostwin

using namespace hostwin;

HOSTWIN_API int HostLiveWindowCount(void) { return static_cast<int>(LiveWindows().size()); }

HOSTWIN_API HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR text, DWORD style, int x, int y,
                                        int cx, int cy, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    CreateParams p{};
    p.className = className;
    p.text = text;
    p.style = style;
    p.exStyle = exStyle;
    p.rect = RECT{x, y, x + cx, y + cy};
    p.parent = parent;
    p.id = static_cast<int>(reinterpret_cast<INT_PTR>(menu));
    p.instance = instance;
    p.param = param;
    return CreateWindowRecord(p);
}

HOSTWIN_API LRESULT WINAPI SendMessageA(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = FromHandle(wnd);
    if (!w || !w->proc) return 0;
    ++w->depth;
    LRESULT result = w->proc(wnd, msg, wp, lp);
    --w->depth;
    FreeIfDone(w);
    return result;
}

HOSTWIN_API BOOL WINAPI PostMessageA(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (!FromHandle(wnd)) return FALSE;
    g_posted.push_back(PostedMessage{wnd, msg, wp, lp});
    return TRUE;
}

HOSTWIN_API LRESULT WINAPI DefWindowProcA(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = FromHandle(wnd);
    if (!w) return 0;
    switch (msg) {
    case WM_SETTEXT: SetText(w, reinterpret_cast<const char*>(lp)); return TRUE;
    case WM_GETTEXT: return CopyOut(w->text, reinterpret_cast<char*>(lp), wp);
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(w->text.size());
    case WM_CLOSE: DestroyWindow(wnd); return 0;
    case WM_HELP:
        // A child passes help on to its parent.
        if ((w->style & WS_CHILD) && w->parent) return SendMessageA(ToHandle(w->parent), msg, wp, lp);
        return 0;
    default: return 0;
    }
}

HOSTWIN_API LONG WINAPI SetWindowLongA(HWND wnd, int index, LONG value) {
    Window* w = FromHandle(wnd);
    if (!w) return 0;
    LONG old = 0;
    switch (index) {
    case GWL_STYLE: old = static_cast<LONG>(w->style); w->style = static_cast<DWORD>(value); break;
    case GWL_EXSTYLE: old = static_cast<LONG>(w->exStyle); w->exStyle = static_cast<DWORD>(value); break;
    case GWL_ID: old = w->id; w->id = value; break;
    case GWL_USERDATA: old = static_cast<LONG>(w->userData); w->userData = value; break;
    case DWL_MSGRESULT:
        if (w->kind != WindowKind::Dialog) return 0;
        old = static_cast<LONG>(w->msgResult);
        w->msgResult = value;
        break;
    case DWL_USER:
        if (w->kind != WindowKind::Dialog) return 0;
        old = static_cast<LONG>(w->dlgUser);
        w->dlgUser = value;
        break;
    default: return 0;  // a procedure pointer does not fit 32 bits on this host
    }
    return old;
}

HOSTWIN_API LONG WINAPI GetWindowLongA(HWND wnd, int index) {
    Window* w = FromHandle(wnd);
    if (!w) return 0;
    switch (index) {
    case GWL_STYLE: return static_cast<LONG>(w->style);
    case GWL_EXSTYLE: return static_cast<LONG>(w->exStyle);
    case GWL_ID: return w->id;
    case GWL_USERDATA: return static_cast<LONG>(w->userData);
    case DWL_MSGRESULT: return w->kind == WindowKind::Dialog ? static_cast<LONG>(w->msgResult) : 0;
    case DWL_USER: return w->kind == WindowKind::Dialog ? static_cast<LONG>(w->dlgUser) : 0;
    default: return 0;
    }
}

HOSTWIN_API BOOL WINAPI IsWindow(HWND wnd) { return FromHandle(wnd) != nullptr; }

HOSTWIN_API BOOL WINAPI IsWindowEnabled(HWND wnd) {
    Window* w = FromHandle(wnd);
    return w && !(w->style & WS_DISABLED);
}

HOSTWIN_API BOOL WINAPI EnableWindow(HWND wnd, BOOL enable) {
    Window* w = FromHandle(wnd);
    if (!w) return FALSE;
    BOOL wasDisabled = (w->style & WS_DISABLED) ? TRUE : FALSE;
    if (enable && wasDisabled) {
        w->style &= ~static_cast<DWORD>(WS_DISABLED);
        SendMessageA(wnd, WM_ENABLE, TRUE, 0);
    } else if (!enable && !wasDisabled) {
        w->style |= WS_DISABLED;
        // A disabled window cannot keep the keyboard focus.
        if (g_focus == w) SetFocus(nullptr);
        if (FromHandle(wnd)) SendMessageA(wnd, WM_ENABLE, FALSE, 0);
    }
    return wasDisabled;
}

HOSTWIN_API BOOL WINAPI IsWindowVisible(HWND wnd) {
    Window* w = FromHandle(wnd);
    if (!w) return FALSE;
    for (; w; w = (w->style & WS_CHILD) ? w->parent : nullptr)
        if (!(w->style & WS_VISIBLE)) return FALSE;
    return TRUE;
}

HOSTWIN_API BOOL WINAPI ShowWindow(HWND wnd, int cmd) {
    Window* w = FromHandle(wnd);
    if (!w) return FALSE;
    BOOL wasVisible = (w->style & WS_VISIBLE) ? TRUE : FALSE;
    bool show = cmd != SW_HIDE;
    if (show == static_cast<bool>(wasVisible)) return wasVisible;
    if (show) {
        w->style |= WS_VISIBLE;
    } else {
        w->style &= ~static_cast<DWORD>(WS_VISIBLE);
        // A hidden child hands the focus it holds to its parent.
        if (g_focus && Contains(w, g_focus)) SetFocus((w->style & WS_CHILD) ? ToHandle(w->parent) : nullptr);
    }
    if (FromHandle(wnd)) SendMessageA(wnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    return wasVisible;
}

HOSTWIN_API HWND WINAPI SetFocus(HWND wnd) {
    Window* target = wnd ? FromHandle(wnd) : nullptr;
    if (wnd && !target) return nullptr;
    Window* old = g_focus;
    if (old == target) return ToHandle(old);
    HWND oldHandle = ToHandle(old);
    g_focus = target;
    if (old) SendMessageA(oldHandle, WM_KILLFOCUS, reinterpret_cast<WPARAM>(wnd), 0);
    // The window may have lost the focus again while the old one was told.
    if (target && g_focus == target) SendMessageA(wnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(oldHandle), 0);
    return FromHandle(oldHandle) ? oldHandle : nullptr;
}

HOSTWIN_API HWND WINAPI GetFocus(void) { return ToHandle(g_focus); }

HOSTWIN_API HWND WINAPI GetParent(HWND wnd) {
    Window* w = FromHandle(wnd);
    return w && w->parent ? ToHandle(w->parent) : nullptr;
}

HOSTWIN_API HWND WINAPI GetWindow(HWND wnd, UINT cmd) {
    Window* w = FromHandle(wnd);
    if (!w) return nullptr;
    if (cmd == GW_CHILD) return w->children.empty() ? nullptr : ToHandle(w->children.front());
    if (cmd == GW_OWNER) return (w->style & WS_CHILD) ? nullptr : ToHandle(w->parent);
    if (!w->parent || !(w->style & WS_CHILD)) return cmd == GW_HWNDFIRST || cmd == GW_HWNDLAST ? wnd : nullptr;
    const auto& siblings = w->parent->children;
    auto at = std::find(siblings.begin(), siblings.end(), w);
    switch (cmd) {
    case GW_HWNDFIRST: return ToHandle(siblings.front());
    case GW_HWNDLAST: return ToHandle(siblings.back());
    case GW_HWNDNEXT: return at + 1 < siblings.end() ? ToHandle(*(at + 1)) : nullptr;
    case GW_HWNDPREV: return at > siblings.begin() ? ToHandle(*(at - 1)) : nullptr;
    default: return nullptr;
    }
}

HOSTWIN_API BOOL WINAPI DestroyWindow(HWND wnd) {
    Window* w = FromHandle(wnd);
    if (!w) return FALSE;
    // The focus leaves the window first; a child's goes to its parent.
    if (g_focus && Contains(w, g_focus)) {
        HWND next = (w->style & WS_CHILD) && w->parent ? ToHandle(w->parent) : nullptr;
        SetFocus(next);
        if (g_focus && Contains(w, g_focus)) g_focus = nullptr;
    }
    if (!FromHandle(wnd)) return TRUE;
    ++w->depth;
    DestroyTree(w);
    --w->depth;
    FreeIfDone(w);
    return TRUE;
}

HOSTWIN_API int WINAPI GetWindowTextA(HWND wnd, LPSTR buf, int size) {
    if (buf && size > 0) buf[0] = '\0';
    if (!FromHandle(wnd) || !buf || size <= 0) return 0;
    return static_cast<int>(SendMessageA(wnd, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buf)));
}

HOSTWIN_API BOOL WINAPI SetWindowTextA(HWND wnd, LPCSTR text) {
    if (!FromHandle(wnd)) return FALSE;
    return SendMessageA(wnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) ? TRUE : FALSE;
}

HOSTWIN_API int WINAPI GetClassNameA(HWND wnd, LPSTR buf, int size) {
    Window* w = FromHandle(wnd);
    if (buf && size > 0) buf[0] = '\0';
    if (!w || !buf || size <= 0) return 0;
    return static_cast<int>(CopyOut(w->className, buf, static_cast<WPARAM>(size)));
}

// ---- geometry and the mouse ----------------------------------------------------

HOSTWIN_API DWORD WINAPI GetMessagePos(void) {
    return static_cast<DWORD>(MAKELONG(static_cast<SHORT>(g_cursor.x), static_cast<SHORT>(g_cursor.y)));
}

HOSTWIN_API BOOL WINAPI SetCursorPos(int x, int y) {
    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    g_cursor.x = std::clamp(x, 0, cx - 1);
    g_cursor.y = std::clamp(y, 0, cy - 1);
    return TRUE;
}

HOSTWIN_API BOOL WINAPI GetCursorPos(LPPOINT pt) {
    if (!pt) return FALSE;
    *pt = g_cursor;
    return TRUE;
}

HOSTWIN_API BOOL WINAPI ScreenToClient(HWND wnd, LPPOINT pt) {
    Window* w = FromHandle(wnd);
    if (!w || !pt) return FALSE;
    POINT o = ClientOrigin(w);
    pt->x -= o.x;
    pt->y -= o.y;
    return TRUE;
}

HOSTWIN_API BOOL WINAPI ClientToScreen(HWND wnd, LPPOINT pt) {
    Window* w = FromHandle(wnd);
    if (!w || !pt) return FALSE;
    POINT o = ClientOrigin(w);
    pt->x += o.x;
    pt->y += o.y;
    return TRUE;
}

HOSTWIN_API BOOL WINAPI GetWindowRect(HWND wnd, LPRECT rect) {
    Window* w = FromHandle(wnd);
    if (!w || !rect) return FALSE;
    POINT o = WindowOrigin(w);
    *rect = RECT{o.x, o.y, o.x + (w->rect.right - w->rect.left), o.y + (w->rect.bottom - w->rect.top)};
    return TRUE;
}

HOSTWIN_API BOOL WINAPI GetClientRect(HWND wnd, LPRECT rect) {
    Window* w = FromHandle(wnd);
    if (!w || !rect) return FALSE;
    RECT in = Insets(w);
    LONG cx = (w->rect.right - w->rect.left) - in.left - in.right;
    LONG cy = (w->rect.bottom - w->rect.top) - in.top - in.bottom;
    *rect = RECT{0, 0, std::max<LONG>(cx, 0), std::max<LONG>(cy, 0)};
    return TRUE;
}

// The first child (in z-order, hidden and disabled ones included) whose
// window contains the client point; the parent itself when none does but
// the point lies in its client area; null outside.
HOSTWIN_API HWND WINAPI ChildWindowFromPoint(HWND parent, POINT pt) {
    Window* w = FromHandle(parent);
    if (!w) return nullptr;
    RECT client{};
    GetClientRect(parent, &client);
    if (pt.x < client.left || pt.y < client.top || pt.x >= client.right || pt.y >= client.bottom) return nullptr;
    for (Window* child : w->children) {
        const RECT& r = child->rect;
        if (pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom) return ToHandle(child);
    }
    return parent;
}

HOSTWIN_API int WINAPI GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXSCREEN: return 1024;
    case SM_CYSCREEN: return 768;
    case SM_CXICON:
    case SM_CYICON: return 32;
    case SM_CXSMICON:
    case SM_CYSMICON: return 16;
    default: return 0;
    }
}
