// Buttons: push buttons, check boxes, radio buttons and group boxes.
#include "user_internal.h"

namespace hostwin {
namespace {

struct ButtonData : WindowExtra {
    UINT check = BST_UNCHECKED;
    bool pushed = false;
};

DWORD TypeOf(Window* w) { return w->style & BS_TYPEMASK; }

bool IsCheckType(DWORD type) {
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_RADIOBUTTON || type == BS_3STATE ||
           type == BS_AUTO3STATE || type == BS_AUTORADIOBUTTON;
}

UINT MaxCheck(DWORD type) { return type == BS_3STATE || type == BS_AUTO3STATE ? BST_INDETERMINATE : BST_CHECKED; }

// The automatic radio buttons of the group around w: the run of siblings
// between two WS_GROUP marks.
void UncheckGroup(Window* w) {
    if (!w->parent) return;
    auto& siblings = w->parent->children;
    std::size_t at = 0;
    while (at < siblings.size() && siblings[at] != w) ++at;
    std::size_t first = at;
    while (first > 0 && !(siblings[first]->style & WS_GROUP)) --first;
    for (std::size_t i = first; i < siblings.size(); ++i) {
        Window* s = siblings[i];
        if (i > first && (s->style & WS_GROUP)) break;
        if (s != w && s->kind == WindowKind::Button && TypeOf(s) == BS_AUTORADIOBUTTON)
            SendMessageA(ToHandle(s), BM_SETCHECK, BST_UNCHECKED, 0);
    }
}

// A click that ends over the button: automatic types change their state,
// then the parent hears BN_CLICKED.
void Click(Window* w, ButtonData* data) {
    DWORD type = TypeOf(w);
    if (type == BS_GROUPBOX) return;
    if (type == BS_AUTOCHECKBOX) {
        data->check = data->check == BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED;
    } else if (type == BS_AUTO3STATE) {
        data->check = (data->check + 1) % 3;
    } else if (type == BS_AUTORADIOBUTTON) {
        data->check = BST_CHECKED;
        UncheckGroup(w);
    }
    CommandToParent(w, BN_CLICKED);
}

}  // namespace

void InitButton(Window* w) { w->extra = std::make_unique<ButtonData>(); }

LRESULT CALLBACK ButtonProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = FromHandle(wnd);
    auto* data = ExtraOf<ButtonData>(w);
    if (!data) return DefWindowProcA(wnd, msg, wp, lp);
    DWORD type = TypeOf(w);
    switch (msg) {
    case BM_GETCHECK: return IsCheckType(type) ? data->check : 0;
    case BM_SETCHECK:
        if (IsCheckType(type)) data->check = wp > MaxCheck(type) ? MaxCheck(type) : static_cast<UINT>(wp);
        return 0;
    case BM_GETSTATE:
        return (IsCheckType(type) ? data->check : 0) | (data->pushed ? BST_PUSHED : 0) |
               (GetFocus() == wnd ? BST_FOCUS : 0);
    case BM_SETSTATE: data->pushed = wp != 0; return 0;
    case BM_CLICK:
        // A disabled button takes no click; an enabled one takes the focus
        // as the mouse press does, then the release clicks it.
        if ((w->style & WS_DISABLED) || type == BS_GROUPBOX) return 0;
        SendMessageA(wnd, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        if (!FromHandle(wnd)) return 0;
        SendMessageA(wnd, WM_LBUTTONUP, 0, 0);
        return 0;
    case WM_LBUTTONDOWN:
        if (type == BS_GROUPBOX) return 0;
        SetFocus(wnd);
        if (FromHandle(wnd)) data->pushed = true;
        return 0;
    case WM_LBUTTONUP:
        if (!data->pushed) return 0;
        data->pushed = false;
        Click(w, data);
        return 0;
    case WM_KEYDOWN:
        if (wp == VK_SPACE && !(w->style & WS_DISABLED)) Click(w, data);
        return 0;
    default: return DefWindowProcA(wnd, msg, wp, lp);
    }
}

// Static texts, icons and frames.
LRESULT CALLBACK StaticProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = FromHandle(wnd);
    if (!w) return 0;
    switch (msg) {
    case STM_SETICON: {
        LRESULT old = w->userData;
        w->userData = static_cast<LONG_PTR>(wp);
        return old;
    }
    case STM_GETICON: return w->userData;
    default: return DefWindowProcA(wnd, msg, wp, lp);
    }
}

}  // namespace hostwin
