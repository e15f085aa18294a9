// Single-line edit controls.
#include "user_internal.h"

#include <algorithm>

namespace hostwin {
namespace {

struct EditData : WindowExtra {
    std::size_t limit = 0x7FFFFFFE;
    std::size_t selStart = 0;
    std::size_t selEnd = 0;
};

// A change of the text is announced with EN_UPDATE and then EN_CHANGE.
void Changed(Window* w) {
    HWND wnd = ToHandle(w);
    CommandToParent(w, EN_UPDATE);
    if (FromHandle(wnd)) CommandToParent(w, EN_CHANGE);
}

void Type(Window* w, EditData* data, char c) {
    if (w->style & ES_READONLY) return;
    std::size_t start = std::min(data->selStart, data->selEnd), end = std::max(data->selStart, data->selEnd);
    start = std::min(start, w->text.size());
    end = std::min(end, w->text.size());
    if (c == '\b') {
        if (start == end && start > 0) --start;
        if (start == end) return;
        w->text.erase(start, end - start);
    } else {
        if (static_cast<unsigned char>(c) < ' ') return;
        if (w->text.size() - (end - start) >= data->limit) return;
        w->text.replace(start, end - start, 1, c);
        ++start;
    }
    data->selStart = data->selEnd = start;
    Changed(w);
}

}  // namespace

void InitEdit(Window* w) {
    auto data = std::make_unique<EditData>();
    data->selStart = data->selEnd = w->text.size();
    w->extra = std::move(data);
}

LRESULT CALLBACK EditProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = FromHandle(wnd);
    auto* data = ExtraOf<EditData>(w);
    if (!data) return DefWindowProcA(wnd, msg, wp, lp);
    switch (msg) {
    case WM_SETTEXT:
        // Announced even when the text stays the same; the edit field of
        // a combo box announces only typing.
        SetText(w, reinterpret_cast<const char*>(lp));
        data->selStart = data->selEnd = 0;
        if (!w->parent || w->parent->kind != WindowKind::ComboBox) Changed(w);
        return TRUE;
    case WM_CHAR: Type(w, data, static_cast<char>(wp)); return 0;
    case EM_SETREADONLY:
        if (wp)
            w->style |= ES_READONLY;
        else
            w->style &= ~static_cast<DWORD>(ES_READONLY);
        return TRUE;
    case EM_LIMITTEXT: data->limit = wp ? wp : 0x7FFFFFFE; return 0;
    case EM_GETLIMITTEXT: return static_cast<LRESULT>(data->limit);
    case EM_SETSEL: {
        std::size_t size = w->text.size();
        auto clampTo = [size](LPARAM v) { return v < 0 ? size : std::min<std::size_t>(static_cast<std::size_t>(v), size); };
        data->selStart = clampTo(static_cast<LPARAM>(static_cast<INT_PTR>(wp)));
        data->selEnd = clampTo(lp);
        return 0;
    }
    case EM_GETSEL: {
        DWORD start = static_cast<DWORD>(std::min(data->selStart, data->selEnd));
        DWORD end = static_cast<DWORD>(std::max(data->selStart, data->selEnd));
        if (wp) *reinterpret_cast<DWORD*>(wp) = start;
        if (lp) *reinterpret_cast<DWORD*>(lp) = end;
        return MAKELONG(start, end);
    }
    case WM_SETFOCUS: CommandToParent(w, EN_SETFOCUS); return 0;
    case WM_KILLFOCUS: CommandToParent(w, EN_KILLFOCUS); return 0;
    default: return DefWindowProcA(wnd, msg, wp, lp);
    }
}

}  // namespace hostwin
