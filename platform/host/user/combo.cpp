// Combo boxes: drop-down lists, and drop-downs with an edit field (a child
// "Edit" with id 1001, as the real control has).
#include "user_internal.h"

#include <cstring>

namespace hostwin {
namespace {

constexpr int kEditId = 1001;

struct ComboData : WindowExtra {
    std::vector<std::string> items;
    std::vector<LPARAM> data;
    int selected = -1;
    bool dropped = false;
    HWND edit = nullptr;
};

bool HasEdit(Window* w) { return (w->style & 0x3) == CBS_DROPDOWN || (w->style & 0x3) == CBS_SIMPLE; }

int Count(ComboData* d) { return static_cast<int>(d->items.size()); }

// The edit field shows the selected item (or nothing).  An edit field of a
// combo box announces no text set with WM_SETTEXT, only typing.
void ShowSelectionInEdit(ComboData* d) {
    if (!d->edit) return;
    const char* text = d->selected >= 0 ? d->items[static_cast<std::size_t>(d->selected)].c_str() : "";
    SendMessageA(d->edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

// Linguistic order of the Western code page, case ignored: what CBS_SORT uses.
int CompareItems(const std::string& a, const char* b) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(a.c_str());
    const unsigned char* q = reinterpret_cast<const unsigned char*>(b);
    for (; *p && *q; ++p, ++q) {
        unsigned char x = FoldCase(*p), y = FoldCase(*q);
        if (x != y) return x < y ? -1 : 1;
    }
    return *p ? 1 : *q ? -1 : 0;
}

// Searches from the item after start, wrapping round; start -1 (or out of
// range) searches from the first item.  An empty text finds nothing.
int Find(ComboData* d, WPARAM startParam, const char* text, bool exact) {
    if (!text || !*text) return CB_ERR;
    int count = Count(d);
    if (count == 0) return CB_ERR;
    int start = static_cast<int>(static_cast<INT_PTR>(startParam));
    if (start < -1 || start >= count) start = -1;
    for (int n = 1; n <= count; ++n) {
        int i = (start + n) % count;
        const std::string& item = d->items[static_cast<std::size_t>(i)];
        if (exact ? EqualsNoCase(item, text) : StartsWithNoCase(item, text)) return i;
    }
    return CB_ERR;
}

int Insert(ComboData* d, int at, const char* text) {
    std::string item = text ? text : "";
    if (at < 0 || at > Count(d)) at = Count(d);
    d->items.insert(d->items.begin() + at, item);
    d->data.insert(d->data.begin() + at, 0);
    if (d->selected >= at) ++d->selected;
    return at;
}

}  // namespace

void InitCombo(Window* w) {
    auto data = std::make_unique<ComboData>();
    ComboData* d = data.get();
    w->extra = std::move(data);
    if (HasEdit(w)) {
        int cx = w->rect.right - w->rect.left;
        d->edit = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 0, 0, cx > 18 ? cx - 18 : cx,
                                  21, ToHandle(w), reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEditId)),
                                  w->instance, nullptr);
    }
}

LRESULT CALLBACK ComboProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = FromHandle(wnd);
    auto* d = ExtraOf<ComboData>(w);
    if (!d) return DefWindowProcA(wnd, msg, wp, lp);
    const char* text = reinterpret_cast<const char*>(lp);
    switch (msg) {
    case CB_ADDSTRING: {
        int at = Count(d);
        if (w->style & CBS_SORT) {
            at = 0;
            while (at < Count(d) && CompareItems(d->items[static_cast<std::size_t>(at)], text ? text : "") <= 0) ++at;
        }
        return Insert(d, at, text);
    }
    case CB_INSERTSTRING: {
        int at = static_cast<int>(static_cast<INT_PTR>(wp));
        if (at > Count(d) || at < -1) return CB_ERR;
        return Insert(d, at, text);
    }
    case CB_DELETESTRING: {
        int at = static_cast<int>(static_cast<INT_PTR>(wp));
        if (at < 0 || at >= Count(d)) return CB_ERR;
        d->items.erase(d->items.begin() + at);
        d->data.erase(d->data.begin() + at);
        if (d->selected == at)
            d->selected = -1;
        else if (d->selected > at)
            --d->selected;
        return Count(d);
    }
    case CB_RESETCONTENT:
        d->items.clear();
        d->data.clear();
        d->selected = -1;
        ShowSelectionInEdit(d);
        return CB_OKAY;
    case CB_GETCOUNT: return Count(d);
    case CB_GETCURSEL: return d->selected;
    case CB_SETCURSEL: {
        // -1 clears the selection; an index out of range changes nothing.
        int at = static_cast<int>(static_cast<INT_PTR>(wp));
        if (at != -1 && (at < 0 || at >= Count(d))) return CB_ERR;
        d->selected = at;
        ShowSelectionInEdit(d);
        return at >= 0 ? at : CB_ERR;
    }
    case CB_GETLBTEXT: {
        int at = static_cast<int>(static_cast<INT_PTR>(wp));
        if (at < 0 || at >= Count(d) || !lp) return CB_ERR;
        const std::string& item = d->items[static_cast<std::size_t>(at)];
        std::memcpy(reinterpret_cast<char*>(lp), item.c_str(), item.size() + 1);
        return static_cast<LRESULT>(item.size());
    }
    case CB_GETLBTEXTLEN: {
        int at = static_cast<int>(static_cast<INT_PTR>(wp));
        if (at < 0 || at >= Count(d)) return CB_ERR;
        return static_cast<LRESULT>(d->items[static_cast<std::size_t>(at)].size());
    }
    case CB_FINDSTRING: return Find(d, wp, text, false);
    case CB_FINDSTRINGEXACT: return Find(d, wp, text, true);
    case CB_SELECTSTRING: {
        int at = Find(d, wp, text, false);
        if (at == CB_ERR) return CB_ERR;
        d->selected = at;
        ShowSelectionInEdit(d);
        return at;
    }
    case CB_INITSTORAGE:
        d->items.reserve(d->items.size() + wp);
        d->data.reserve(d->data.size() + wp);
        return static_cast<LRESULT>(d->items.size() + wp);
    case CB_SETITEMDATA: {
        int at = static_cast<int>(static_cast<INT_PTR>(wp));
        if (at < 0 || at >= Count(d)) return CB_ERR;
        d->data[static_cast<std::size_t>(at)] = lp;
        return TRUE;
    }
    case CB_GETITEMDATA: {
        int at = static_cast<int>(static_cast<INT_PTR>(wp));
        if (at < 0 || at >= Count(d)) return CB_ERR;
        return d->data[static_cast<std::size_t>(at)];
    }
    case CB_SHOWDROPDOWN:
        if ((wp != 0) != d->dropped) {
            d->dropped = wp != 0;
            CommandToParent(w, d->dropped ? CBN_DROPDOWN : CBN_CLOSEUP);
        }
        return TRUE;
    case CB_GETDROPPEDSTATE: return d->dropped ? TRUE : FALSE;
    case CB_LIMITTEXT:
        if (d->edit) SendMessageA(d->edit, EM_LIMITTEXT, wp, 0);
        return TRUE;
    case CB_GETEDITSEL:
        if (!d->edit) return CB_ERR;
        return SendMessageA(d->edit, EM_GETSEL, wp, lp);
    case CB_SETEDITSEL:
        if (!d->edit) return CB_ERR;
        SendMessageA(d->edit, EM_SETSEL, static_cast<WPARAM>(static_cast<SHORT>(LOWORD(lp))),
                     static_cast<SHORT>(HIWORD(lp)));
        return TRUE;
    case WM_SETTEXT:
        // Without an edit field there is no text of its own to set.  The
        // selection stays what it was, whatever the text.
        if (!d->edit) return CB_ERR;
        return SendMessageA(d->edit, WM_SETTEXT, wp, lp);
    case WM_GETTEXT:
        if (d->edit) return SendMessageA(d->edit, WM_GETTEXT, wp, lp);
        return CopyOut(d->selected >= 0 ? d->items[static_cast<std::size_t>(d->selected)] : std::string(),
                       reinterpret_cast<char*>(lp), wp);
    case WM_GETTEXTLENGTH:
        if (d->edit) return SendMessageA(d->edit, WM_GETTEXTLENGTH, 0, 0);
        return d->selected >= 0 ? static_cast<LRESULT>(d->items[static_cast<std::size_t>(d->selected)].size()) : 0;
    case WM_COMMAND: {
        // The edit field's changes, which only typing makes: the text no
        // longer is an item's, so a closed list loses its selection (an
        // open one selects the first item the text begins), and the parent
        // hears of the user's edit.
        if (!d->edit || reinterpret_cast<HWND>(lp) != d->edit) return 0;
        WORD code = HIWORD(wp);
        if (code == EN_SETFOCUS || code == EN_KILLFOCUS) {
            CommandToParent(w, code == EN_SETFOCUS ? CBN_SETFOCUS : CBN_KILLFOCUS);
            return 0;
        }
        if (code == EN_CHANGE && !d->dropped) d->selected = -1;
        if (code == EN_CHANGE && d->dropped) {
            char buf[1024];
            SendMessageA(d->edit, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
            d->selected = Find(d, static_cast<WPARAM>(-1), buf, false);
        }
        if (code == EN_UPDATE) CommandToParent(w, CBN_EDITUPDATE);
        if (code == EN_CHANGE && FromHandle(wnd)) CommandToParent(w, CBN_EDITCHANGE);
        return 0;
    }
    case WM_SETFOCUS:
        // With an edit field the focus lives there, and the field reports it.
        if (d->edit)
            SetFocus(d->edit);
        else
            CommandToParent(w, CBN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        if (!d->edit) CommandToParent(w, CBN_KILLFOCUS);
        return 0;
    default: return DefWindowProcA(wnd, msg, wp, lp);
    }
}

}  // namespace hostwin
