// The dialog manager: dialogs from templates, their procedures and the
// *DlgItem* calls.
#include "user_internal.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace hostwin {
namespace {

// Messages whose answer is the dialog procedure's own return value rather
// than DWL_MSGRESULT.
bool AnswersDirectly(UINT msg) {
    return msg == WM_INITDIALOG || (msg >= 0x0132 && msg <= 0x0138) /* WM_CTLCOLOR* */ ||
           msg == 0x0039 /* WM_COMPAREITEM */ || msg == 0x002E /* WM_VKEYTOITEM */ ||
           msg == 0x002F /* WM_CHARTOITEM */ || msg == 0x0037 /* WM_QUERYDRAGICON */;
}

HWND FirstTabStop(Window* dlg) {
    for (Window* child : dlg->children)
        if ((child->style & WS_TABSTOP) && (child->style & WS_VISIBLE) && !(child->style & WS_DISABLED))
            return ToHandle(child);
    return nullptr;
}

}  // namespace

// The class procedure of "#32770": the dialog procedure first; what it
// leaves goes to the dialog manager's own handling.  DWL_MSGRESULT is
// cleared before each call, so that a stale answer never leaks into the
// next message.
LRESULT CALLBACK DialogProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = FromHandle(wnd);
    if (!w) return 0;
    w->msgResult = 0;
    INT_PTR handled = w->dlgProc ? w->dlgProc(wnd, msg, wp, lp) : 0;
    if (w->destroyed) return handled;
    if (!handled) return DialogDefault(wnd, msg, wp, lp);
    if (AnswersDirectly(msg)) return handled;
    return w->msgResult;
}

LRESULT DialogDefault(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CLOSE:
        SendMessageA(wnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(wnd, IDCANCEL)));
        return 0;
    case WM_INITDIALOG:
    case WM_COMMAND:
    case WM_NOTIFY: return 0;
    default: return DefWindowProcA(wnd, msg, wp, lp);
    }
}

HWND CreateDialogFromTemplate(HINSTANCE instance, const HostDialogTemplate* tmpl, HWND parent, DLGPROC proc,
                              LPARAM param, const DWORD* styleOverride) {
    if (!tmpl) return nullptr;
    DWORD style = styleOverride ? *styleOverride : tmpl->style;
    Window* parentWindow = FromHandle(parent);
    if (parent && !parentWindow) return nullptr;
    // x, y are relative to the parent's client area; cx, cy give the
    // client size.
    int x = DluToPixelsX(tmpl->x), y = DluToPixelsY(tmpl->y);
    if (parentWindow && !(style & WS_CHILD)) {
        POINT o = ClientOrigin(parentWindow);
        x += o.x;
        y += o.y;
    }
    CreateParams p{};
    p.className = "#32770";
    p.text = tmpl->caption;
    p.style = style & ~static_cast<DWORD>(WS_VISIBLE);
    p.exStyle = tmpl->exStyle;
    p.rect = RECT{x, y, x + DluToPixelsX(tmpl->cx), y + DluToPixelsY(tmpl->cy)};
    p.parent = parent;
    p.instance = instance;
    HWND dlg = CreateWindowRecord(p);
    Window* w = FromHandle(dlg);
    if (!w) return nullptr;
    // Room for the frame around the client area.
    RECT client{};
    GetClientRect(dlg, &client);
    w->rect.right += DluToPixelsX(tmpl->cx) - client.right;
    w->rect.bottom += DluToPixelsY(tmpl->cy) - client.bottom;
    w->dlgProc = proc;

    for (int i = 0; i < tmpl->itemCount; ++i) {
        const HostDialogItem& item = tmpl->items[i];
        int ix = DluToPixelsX(item.x), iy = DluToPixelsY(item.y);
        HWND control = CreateWindowExA(item.exStyle | WS_EX_NOPARENTNOTIFY, item.className, item.text,
                                       item.style | WS_CHILD, ix, iy, DluToPixelsX(item.cx), DluToPixelsY(item.cy),
                                       dlg, reinterpret_cast<HMENU>(static_cast<INT_PTR>(item.id)), instance, nullptr);
        if (!control) {
            // A control of a class we do not have fails the whole dialog,
            // as it does without DS_NOFAILCREATE.
            std::fprintf(stderr, "hostwin: dialog control of unknown class \"%s\"\n",
                         item.className ? item.className : "");
            DestroyWindow(dlg);
            return nullptr;
        }
    }

    HWND focus = FirstTabStop(w);
    LRESULT setFocus = SendMessageA(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(focus), param);
    if (!FromHandle(dlg)) return nullptr;
    if (setFocus && (!(style & DS_CONTROL) || (style & WS_VISIBLE))) {
        HWND first = FirstTabStop(w);
        if (first) SetFocus(first);
    }
    if (style & WS_VISIBLE) ShowWindow(dlg, SW_SHOW);
    return FromHandle(dlg) ? dlg : nullptr;
}

}  // namespace hostwin

using namespace hostwin;

// The dialog manager's default handling; it does not call the dialog
// procedure again, so that a procedure may hand a message on to it.
HOSTWIN_API LRESULT WINAPI DefDlgProcA(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    return DialogDefault(wnd, msg, wp, lp);
}

HOSTWIN_API HWND WINAPI CreateDialogParamA(HINSTANCE instance, LPCSTR name, HWND parent, DLGPROC proc, LPARAM param) {
    return CreateDialogFromTemplate(instance, FindDialogTemplate(instance, name), parent, proc, param, nullptr);
}

HOSTWIN_API BOOL WINAPI MapDialogRect(HWND dlg, LPRECT rect) {
    if (!FromHandle(dlg) || !rect) return FALSE;
    rect->left = DluToPixelsX(rect->left);
    rect->right = DluToPixelsX(rect->right);
    rect->top = DluToPixelsY(rect->top);
    rect->bottom = DluToPixelsY(rect->bottom);
    return TRUE;
}

HOSTWIN_API HWND WINAPI GetDlgItem(HWND dlg, int id) {
    Window* w = FromHandle(dlg);
    if (!w) return nullptr;
    for (Window* child : w->children)
        if (child->id == id) return ToHandle(child);
    return nullptr;
}

HOSTWIN_API int WINAPI GetDlgCtrlID(HWND wnd) {
    Window* w = FromHandle(wnd);
    return w && (w->style & WS_CHILD) ? w->id : 0;
}

HOSTWIN_API LRESULT WINAPI SendDlgItemMessageA(HWND dlg, int id, UINT msg, WPARAM wp, LPARAM lp) {
    HWND control = GetDlgItem(dlg, id);
    return control ? SendMessageA(control, msg, wp, lp) : 0;
}

HOSTWIN_API BOOL WINAPI SetDlgItemTextA(HWND dlg, int id, LPCSTR text) {
    HWND control = GetDlgItem(dlg, id);
    return control ? SetWindowTextA(control, text) : FALSE;
}

HOSTWIN_API UINT WINAPI GetDlgItemTextA(HWND dlg, int id, LPSTR buf, int size) {
    if (buf && size > 0) buf[0] = '\0';
    HWND control = GetDlgItem(dlg, id);
    if (!control) return 0;
    return static_cast<UINT>(GetWindowTextA(control, buf, size));
}

HOSTWIN_API BOOL WINAPI SetDlgItemInt(HWND dlg, int id, UINT value, BOOL isSigned) {
    char text[16];
    if (isSigned)
        std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    else
        std::snprintf(text, sizeof text, "%u", value);
    return SetDlgItemTextA(dlg, id, text);
}

// The control's first 29 characters read as a decimal number: blanks, one
// optional sign, digits up to the first other character.  No digit, or a
// value outside the range, gives 0 and *ok FALSE.  Unsigned, a minus
// counts modulo 2^32 ("-7" is 4294967289), and a negative number too large
// for 32 bits gives 1, as the real function's conversion does.
HOSTWIN_API UINT WINAPI GetDlgItemInt(HWND dlg, int id, BOOL* ok, BOOL isSigned) {
    if (ok) *ok = FALSE;
    char text[30];
    if (!GetDlgItemTextA(dlg, id, text, sizeof text)) return 0;
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\r' || *p == '\v' || *p == '\f') ++p;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    if (*p < '0' || *p > '9') return 0;
    constexpr unsigned long long kLimit = 0xFFFFFFFFull;
    unsigned long long magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) magnitude = std::min(magnitude * 10 + static_cast<unsigned>(*p - '0'), kLimit + 1);
    UINT value = 0;
    if (isSigned) {
        if (magnitude > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return 0;
        value = negative ? static_cast<UINT>(0u - static_cast<UINT>(magnitude)) : static_cast<UINT>(magnitude);
    } else if (magnitude > kLimit) {
        if (!negative) return 0;
        value = 1;
    } else {
        value = negative ? 0u - static_cast<UINT>(magnitude) : static_cast<UINT>(magnitude);
    }
    if (ok) *ok = TRUE;
    return value;
}

HOSTWIN_API BOOL WINAPI CheckDlgButton(HWND dlg, int id, UINT check) {
    HWND control = GetDlgItem(dlg, id);
    if (!control) return FALSE;
    SendMessageA(control, BM_SETCHECK, check, 0);
    return TRUE;
}

HOSTWIN_API UINT WINAPI IsDlgButtonChecked(HWND dlg, int id) {
    HWND control = GetDlgItem(dlg, id);
    return control ? static_cast<UINT>(SendMessageA(control, BM_GETCHECK, 0, 0)) : 0;
}
