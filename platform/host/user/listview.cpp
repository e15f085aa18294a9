// The list view (SysListView32), laid out as in list mode: items run down
// columns of equal width, then on to the next column.  Every view style
// uses this layout; there are no columns of sub-items.
#include "user_internal.h"

#include <algorithm>
#include <cstring>

namespace hostwin {

void ReleaseImageListWith(HIMAGELIST list);

namespace {

constexpr int kItemHeight = 17;  // a small icon (16) or a line of text (13), and a gap
constexpr int kIconWidth = 18;   // the small icon and its margin
constexpr int kCharWidth = 6;
constexpr int kLabelEditId = 1;

struct Item {
    std::string text;
    int image = 0;
    LPARAM param = 0;
    UINT state = 0;
};

struct ListData : WindowExtra {
    std::vector<Item> items;
    HIMAGELIST images[3] = {nullptr, nullptr, nullptr};
    HWND edit = nullptr;
    int editItem = -1;
    bool ending = false;
    int scrollX = 0;
};

int Count(ListData* d) { return static_cast<int>(d->items.size()); }
bool Valid(ListData* d, int i) { return i >= 0 && i < Count(d); }

// Linguistic order of the Western code page with case ignored, as the
// real control sorts: punctuation before digits before letters; hyphens
// and apostrophes count only when all else is equal.
int SortWeight(unsigned char c) {
    unsigned char f = FoldCase(c);
    if (f >= 'a' && f <= 'z') return 0x300 + f;
    if (f >= '0' && f <= '9') return 0x200 + f;
    if (f >= 0x80) return 0x400 + f;
    return 0x100 + f;
}

int CompareText(const std::string& a, const std::string& b) {
    auto next = [](const std::string& s, std::size_t& i) {
        while (i < s.size() && (s[i] == '-' || s[i] == '\'')) ++i;
        return i < s.size() ? SortWeight(static_cast<unsigned char>(s[i++])) : -1;
    };
    std::size_t i = 0, j = 0;
    for (;;) {
        int x = next(a, i), y = next(b, j);
        if (x != y) return x < y ? -1 : 1;
        if (x < 0) break;
    }
    for (std::size_t k = 0; k < a.size() && k < b.size(); ++k) {
        int x = SortWeight(static_cast<unsigned char>(a[k])), y = SortWeight(static_cast<unsigned char>(b[k]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool Sorted(Window* w) { return (w->style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) != 0; }

// Where a text goes in a sorted list: after the items that sort equal.
int SortedPosition(Window* w, ListData* d, const std::string& text) {
    bool descending = (w->style & LVS_SORTDESCENDING) != 0;
    int at = 0;
    for (const Item& item : d->items) {
        int c = CompareText(item.text, text);
        if (descending ? c >= 0 : c <= 0) ++at;
    }
    return at;
}

int ColumnWidth(ListData* d) {
    std::size_t longest = 0;
    for (const Item& item : d->items) longest = std::max(longest, item.text.size());
    return std::max(kIconWidth + 4 + static_cast<int>(longest) * kCharWidth + 4, 48);
}

int PerColumn(Window* w) {
    RECT client{};
    GetClientRect(ToHandle(w), &client);
    return std::max(1, static_cast<int>(client.bottom) / kItemHeight);
}

RECT ItemBounds(Window* w, ListData* d, int i) {
    int per = PerColumn(w), width = ColumnWidth(d);
    int left = (i / per) * width - d->scrollX, top = (i % per) * kItemHeight;
    return RECT{left, top, left + width, top + kItemHeight};
}

RECT ItemPart(Window* w, ListData* d, int i, int part) {
    RECT r = ItemBounds(w, d, i);
    if (part == LVIR_ICON) r.right = r.left + kIconWidth;
    if (part == LVIR_LABEL) r.left += kIconWidth;
    return r;
}

int HitTest(Window* w, ListData* d, LVHITTESTINFO* info) {
    info->flags = 0;
    info->iItem = -1;
    RECT client{};
    GetClientRect(ToHandle(w), &client);
    POINT pt = info->pt;
    if (pt.x < 0) info->flags |= LVHT_TOLEFT;
    if (pt.x >= client.right) info->flags |= LVHT_TORIGHT;
    if (pt.y < 0) info->flags |= LVHT_ABOVE;
    if (pt.y >= client.bottom) info->flags |= LVHT_BELOW;
    if (info->flags) return -1;
    for (int i = 0; i < Count(d); ++i) {
        RECT r = ItemBounds(w, d, i);
        if (pt.x < r.left || pt.x >= r.right || pt.y < r.top || pt.y >= r.bottom) continue;
        info->iItem = i;
        info->flags = pt.x < r.left + kIconWidth ? LVHT_ONITEMICON : LVHT_ONITEMLABEL;
        return i;
    }
    info->flags = LVHT_NOWHERE;
    return -1;
}

LRESULT NotifyItem(Window* w, ListData* d, UINT code, int i, UINT newState, UINT oldState, UINT changed) {
    NMLISTVIEW nm{};
    nm.iItem = i;
    nm.uNewState = newState;
    nm.uOldState = oldState;
    nm.uChanged = changed;
    nm.ptAction = POINT{-1, -1};
    nm.lParam = Valid(d, i) ? d->items[static_cast<std::size_t>(i)].param : 0;
    return NotifyParent(w, code, &nm.hdr);
}

// Changes the state bits of one item.  The parent may refuse the change
// (LVN_ITEMCHANGING answered TRUE) and hears LVN_ITEMCHANGED after it.
// Selecting an item of a single-selection list deselects the others
// first, and focusing one takes the focus from the item that had it, each
// with its own notifications.
bool ChangeState(Window* w, ListData* d, int i, UINT state, UINT mask) {
    if (!Valid(d, i)) return false;
    HWND wnd = ToHandle(w);
    UINT old = d->items[static_cast<std::size_t>(i)].state;
    UINT now = (old & ~mask) | (state & mask);
    if (now == old) return true;
    if (NotifyItem(w, d, LVN_ITEMCHANGING, i, now, old, LVIF_STATE) || !FromHandle(wnd) || !Valid(d, i)) return false;
    UINT gained = now & ~old;
    if ((gained & LVIS_SELECTED) && (w->style & LVS_SINGLESEL))
        for (int j = 0; j < Count(d); ++j)
            if (j != i && (d->items[static_cast<std::size_t>(j)].state & LVIS_SELECTED))
                ChangeState(w, d, j, 0, LVIS_SELECTED);
    if (gained & LVIS_FOCUSED)
        for (int j = 0; j < Count(d); ++j)
            if (j != i && (d->items[static_cast<std::size_t>(j)].state & LVIS_FOCUSED))
                ChangeState(w, d, j, 0, LVIS_FOCUSED);
    if (!FromHandle(wnd) || !Valid(d, i)) return false;
    Item& item = d->items[static_cast<std::size_t>(i)];
    old = item.state;
    item.state = (old & ~mask) | (state & mask);
    NotifyItem(w, d, LVN_ITEMCHANGED, i, item.state, old, LVIF_STATE);
    return true;
}

// Focuses and selects one item, as a click or a key does.
void Choose(Window* w, ListData* d, int i) {
    if (!(w->style & LVS_SINGLESEL))
        for (int j = 0; j < Count(d); ++j)
            if (j != i) ChangeState(w, d, j, 0, LVIS_SELECTED);
    ChangeState(w, d, i, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
}

int Focused(ListData* d) {
    for (int i = 0; i < Count(d); ++i)
        if (d->items[static_cast<std::size_t>(i)].state & LVIS_FOCUSED) return i;
    return -1;
}

void SetItemText(Window* w, ListData* d, int i, const char* text, bool resort) {
    d->items[static_cast<std::size_t>(i)].text = text ? text : "";
    if (!resort || !Sorted(w)) return;
    Item moved = std::move(d->items[static_cast<std::size_t>(i)]);
    d->items.erase(d->items.begin() + i);
    int at = SortedPosition(w, d, moved.text);
    d->items.insert(d->items.begin() + at, std::move(moved));
    if (d->editItem == i) {
        d->editItem = at;
    } else if (d->editItem >= 0) {
        if (d->editItem > i) --d->editItem;
        if (d->editItem >= at) ++d->editItem;
    }
}

int Insert(Window* w, ListData* d, const LVITEMA* item) {
    if (!item || item->iSubItem != 0 || item->iItem < 0) return -1;
    Item entry;
    if ((item->mask & LVIF_TEXT) && item->pszText && item->pszText != reinterpret_cast<LPSTR>(-1))
        entry.text = item->pszText;
    if (item->mask & LVIF_IMAGE) entry.image = item->iImage;
    if (item->mask & LVIF_PARAM) entry.param = item->lParam;
    int at = Sorted(w) ? SortedPosition(w, d, entry.text) : std::min(item->iItem, Count(d));
    d->items.insert(d->items.begin() + at, std::move(entry));
    if (d->editItem >= at) ++d->editItem;
    HWND wnd = ToHandle(w);
    NotifyItem(w, d, LVN_INSERTITEM, at, 0, 0, 0);
    // The new item takes its states as any item does, with notifications.
    if (FromHandle(wnd) && (item->mask & LVIF_STATE) && (item->state & item->stateMask))
        ChangeState(w, d, at, item->state, item->stateMask);
    return at;
}

void EndLabelEdit(Window* w, ListData* d, bool accept);

bool Delete(Window* w, ListData* d, int i) {
    if (!Valid(d, i)) return false;
    HWND wnd = ToHandle(w);
    if (d->edit && d->editItem == i) EndLabelEdit(w, d, false);
    // The item gives up the focus and the selection before it goes.
    if (FromHandle(wnd) && Valid(d, i)) ChangeState(w, d, i, 0, LVIS_FOCUSED | LVIS_SELECTED);
    if (!FromHandle(wnd) || !Valid(d, i)) return false;
    NotifyItem(w, d, LVN_DELETEITEM, i, 0, 0, 0);
    if (!FromHandle(wnd) || !Valid(d, i)) return false;
    d->items.erase(d->items.begin() + i);
    if (d->editItem > i) --d->editItem;
    return true;
}

void DeleteAll(Window* w, ListData* d) {
    if (d->items.empty()) return;
    HWND wnd = ToHandle(w);
    if (d->edit) EndLabelEdit(w, d, false);
    bool quiet = NotifyItem(w, d, LVN_DELETEALLITEMS, -1, 0, 0, 0) != 0;
    if (!FromHandle(wnd)) return;
    if (!quiet)
        for (int i = 0; i < Count(d); ++i) NotifyItem(w, d, LVN_DELETEITEM, i, 0, 0, 0);
    d->items.clear();
    d->scrollX = 0;
}

// The label editor: an "Edit" child that Enter accepts, Escape cancels and
// losing the focus accepts.
LRESULT CALLBACK LabelEditProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* edit = FromHandle(wnd);
    Window* list = edit ? edit->parent : nullptr;
    auto* d = ExtraOf<ListData>(list);
    if (d && d->edit == wnd) {
        if (msg == WM_KEYDOWN && (wp == VK_RETURN || wp == VK_ESCAPE)) {
            EndLabelEdit(list, d, wp == VK_RETURN);
            return 0;
        }
        if (msg == WM_KILLFOCUS) {
            EditProc(wnd, msg, wp, lp);
            if (FromHandle(wnd) && d->edit == wnd) EndLabelEdit(list, d, true);
            return 0;
        }
    }
    return EditProc(wnd, msg, wp, lp);
}

HWND BeginLabelEdit(Window* w, ListData* d, int i) {
    HWND wnd = ToHandle(w);
    if (d->edit) EndLabelEdit(w, d, true);
    if (!FromHandle(wnd) || !Valid(d, i)) return nullptr;
    // Editing makes the item the focused and selected one.
    Choose(w, d, i);
    if (!FromHandle(wnd) || !Valid(d, i)) return nullptr;
    RECT r = ItemPart(w, d, i, LVIR_LABEL);
    HWND edit = CreateWindowExA(0, "Edit", d->items[static_cast<std::size_t>(i)].text.c_str(),
                                WS_CHILD | WS_BORDER | ES_AUTOHSCROLL, r.left, r.top, r.right - r.left,
                                r.bottom - r.top, wnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLabelEditId)),
                                w->instance, nullptr);
    Window* e = FromHandle(edit);
    if (!e) return nullptr;
    e->proc = LabelEditProc;
    d->edit = edit;
    d->editItem = i;
    // The parent may look at the editor (LVM_GETEDITCONTROL) or refuse.
    NMLVDISPINFOA info{};
    info.item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
    info.item.iItem = i;
    info.item.state = d->items[static_cast<std::size_t>(i)].state;
    info.item.pszText = const_cast<char*>(d->items[static_cast<std::size_t>(i)].text.c_str());
    info.item.cchTextMax = static_cast<int>(d->items[static_cast<std::size_t>(i)].text.size() + 1);
    info.item.lParam = d->items[static_cast<std::size_t>(i)].param;
    LRESULT refused = NotifyParent(w, LVN_BEGINLABELEDITA, &info.hdr);
    if (!FromHandle(wnd)) return nullptr;
    if (refused || d->edit != edit || !FromHandle(edit)) {
        if (d->edit == edit) {
            d->edit = nullptr;
            d->editItem = -1;
        }
        DestroyWindow(edit);
        return nullptr;
    }
    ShowWindow(edit, SW_SHOW);
    SetFocus(edit);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    return FromHandle(edit) && d->edit == edit ? edit : nullptr;
}

void EndLabelEdit(Window* w, ListData* d, bool accept) {
    if (!d->edit || d->ending) return;
    d->ending = true;
    HWND wnd = ToHandle(w), edit = d->edit;
    int i = d->editItem;
    char text[1024] = "";
    GetWindowTextA(edit, text, sizeof text);
    NMLVDISPINFOA info{};
    info.item.mask = LVIF_TEXT | LVIF_PARAM;
    info.item.iItem = i;
    info.item.pszText = accept ? text : nullptr;
    info.item.cchTextMax = accept ? static_cast<int>(sizeof text) : 0;
    info.item.lParam = Valid(d, i) ? d->items[static_cast<std::size_t>(i)].param : 0;
    LRESULT keep = NotifyParent(w, LVN_ENDLABELEDITA, &info.hdr);
    if (!FromHandle(wnd)) return;
    i = d->editItem;
    d->edit = nullptr;
    d->editItem = -1;
    if (accept && keep && Valid(d, i)) SetItemText(w, d, i, text, true);
    DestroyWindow(edit);
    d->ending = false;
}

void CopyItemText(const Item& item, LVITEMA* out) {
    if (!out->pszText || out->cchTextMax <= 0) return;
    CopyOut(out->iSubItem == 0 ? item.text : std::string(), out->pszText, static_cast<WPARAM>(out->cchTextMax));
}

int NextItem(ListData* d, int start, UINT flags) {
    UINT want = flags & (LVNI_FOCUSED | LVNI_SELECTED);
    for (int i = std::max(start + 1, 0); i < Count(d); ++i)
        if ((d->items[static_cast<std::size_t>(i)].state & want) == want) return i;
    return -1;
}

int FindItem(ListData* d, int start, const LVFINDINFOA* find) {
    if (!find) return -1;
    int count = Count(d);
    if (count == 0) return -1;
    if (start < -1 || start >= count) start = -1;
    int steps = (find->flags & LVFI_WRAP) ? count : count - (start + 1);
    for (int n = 1; n <= steps; ++n) {
        int i = (start + n) % count;
        const Item& item = d->items[static_cast<std::size_t>(i)];
        if (find->flags & LVFI_PARAM) {
            if (item.param == find->lParam) return i;
        } else if (find->psz) {
            bool hit = (find->flags & LVFI_PARTIAL) ? StartsWithNoCase(item.text, find->psz)
                                                    : EqualsNoCase(item.text, find->psz);
            if (hit) return i;
        }
    }
    return -1;
}

void EnsureVisible(Window* w, ListData* d, int i) {
    if (!Valid(d, i)) return;
    RECT client{};
    GetClientRect(ToHandle(w), &client);
    RECT r = ItemBounds(w, d, i);
    if (r.left < 0) d->scrollX += r.left;
    else if (r.right > client.right && r.left > 0) d->scrollX += std::min<LONG>(r.right - client.right, r.left);
}

// Arrow keys, Home and End move the focus and the selection.
void Navigate(Window* w, ListData* d, WPARAM key) {
    int count = Count(d);
    if (count == 0) return;
    int at = Focused(d), per = PerColumn(w), to = at;
    switch (key) {
    case VK_UP: to = at < 0 ? 0 : std::max(at - 1, 0); break;
    case VK_DOWN: to = at < 0 ? 0 : std::min(at + 1, count - 1); break;
    case VK_LEFT: to = at < 0 ? 0 : (at - per >= 0 ? at - per : at); break;
    case VK_RIGHT: to = at < 0 ? 0 : std::min(at + per, count - 1); break;
    case VK_HOME: to = 0; break;
    case VK_END: to = count - 1; break;
    default: return;
    }
    Choose(w, d, to);
    EnsureVisible(w, d, to);
}

LRESULT MouseNotify(Window* w, ListData* d, UINT code, LPARAM lp) {
    LVHITTESTINFO hit{};
    hit.pt = POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    HitTest(w, d, &hit);
    NMITEMACTIVATE nm{};
    nm.iItem = hit.iItem;
    nm.ptAction = hit.pt;
    nm.lParam = Valid(d, hit.iItem) ? d->items[static_cast<std::size_t>(hit.iItem)].param : 0;
    HWND wnd = ToHandle(w);
    NotifyParent(w, code, &nm.hdr);
    if (code == NM_DBLCLK && FromHandle(wnd) && hit.iItem >= 0 && Valid(d, hit.iItem)) {
        NMITEMACTIVATE activate = nm;
        NotifyParent(w, LVN_ITEMACTIVATE, &activate.hdr);
    }
    return 0;
}

}  // namespace

void InitListView(Window* w) { w->extra = std::make_unique<ListData>(); }

LRESULT CALLBACK ListViewProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = FromHandle(wnd);
    auto* d = ExtraOf<ListData>(w);
    if (!d) return DefWindowProcA(wnd, msg, wp, lp);
    int index = static_cast<int>(static_cast<INT_PTR>(wp));
    auto* item = reinterpret_cast<LVITEMA*>(lp);
    switch (msg) {
    case LVM_GETITEMCOUNT: return Count(d);
    case LVM_INSERTITEMA: return Insert(w, d, item);
    case LVM_DELETEITEM: return Delete(w, d, index) ? TRUE : FALSE;
    case LVM_DELETEALLITEMS: DeleteAll(w, d); return TRUE;
    case LVM_GETITEMA: {
        if (!item || !Valid(d, item->iItem)) return FALSE;
        const Item& it = d->items[static_cast<std::size_t>(item->iItem)];
        if (item->mask & LVIF_TEXT) CopyItemText(it, item);
        if (item->mask & LVIF_IMAGE) item->iImage = it.image;
        if (item->mask & LVIF_PARAM) item->lParam = it.param;
        if (item->mask & LVIF_STATE) item->state = it.state & item->stateMask;
        return TRUE;
    }
    case LVM_SETITEMA: {
        if (!item || !Valid(d, item->iItem) || item->iSubItem != 0) return FALSE;
        int i = item->iItem;
        if (item->mask & LVIF_TEXT) SetItemText(w, d, i, item->pszText, false);
        if (item->mask & LVIF_IMAGE) d->items[static_cast<std::size_t>(i)].image = item->iImage;
        if (item->mask & LVIF_PARAM) d->items[static_cast<std::size_t>(i)].param = item->lParam;
        if (item->mask & LVIF_STATE) return ChangeState(w, d, i, item->state, item->stateMask) ? TRUE : FALSE;
        return TRUE;
    }
    case LVM_GETITEMTEXTA: {
        if (!item) return 0;
        if (!Valid(d, index)) {
            if (item->pszText && item->cchTextMax > 0) item->pszText[0] = '\0';
            return 0;
        }
        CopyItemText(d->items[static_cast<std::size_t>(index)], item);
        return item->pszText && item->cchTextMax > 0 ? static_cast<LRESULT>(std::strlen(item->pszText)) : 0;
    }
    case LVM_SETITEMTEXTA:
        if (!item || !Valid(d, index) || item->iSubItem != 0) return FALSE;
        SetItemText(w, d, index, item->pszText, false);
        return TRUE;
    case LVM_SETITEMSTATE: {
        if (!item) return FALSE;
        if (index == -1) {
            // Every item; the focus cannot go to all of them.
            UINT mask = item->stateMask;
            if (item->state & LVIS_FOCUSED) mask &= ~static_cast<UINT>(LVIS_FOCUSED);
            for (int i = 0; i < Count(d); ++i) ChangeState(w, d, i, item->state, mask);
            return TRUE;
        }
        return ChangeState(w, d, index, item->state, item->stateMask) ? TRUE : FALSE;
    }
    case LVM_GETITEMSTATE:
        return Valid(d, index) ? static_cast<LRESULT>(d->items[static_cast<std::size_t>(index)].state & lp) : 0;
    case LVM_GETNEXTITEM: return NextItem(d, index, static_cast<UINT>(lp));
    case LVM_FINDITEMA: return FindItem(d, index, reinterpret_cast<const LVFINDINFOA*>(lp));
    case LVM_GETITEMRECT: {
        auto* rect = reinterpret_cast<RECT*>(lp);
        if (!rect || !Valid(d, index)) return FALSE;
        int part = rect->left;
        if (part != LVIR_BOUNDS && part != LVIR_ICON && part != LVIR_LABEL) part = LVIR_BOUNDS;
        *rect = ItemPart(w, d, index, part);
        return TRUE;
    }
    case LVM_GETITEMPOSITION: {
        auto* pt = reinterpret_cast<POINT*>(lp);
        if (!pt || !Valid(d, index)) return FALSE;
        RECT r = ItemBounds(w, d, index);
        *pt = POINT{r.left, r.top};
        return TRUE;
    }
    case LVM_HITTEST: {
        auto* info = reinterpret_cast<LVHITTESTINFO*>(lp);
        return info ? HitTest(w, d, info) : -1;
    }
    case LVM_ENSUREVISIBLE: EnsureVisible(w, d, index); return Valid(d, index) ? TRUE : FALSE;
    case LVM_ARRANGE: return TRUE;
    case LVM_SETIMAGELIST: {
        if (wp > LVSIL_STATE) return 0;
        HIMAGELIST old = d->images[wp];
        d->images[wp] = reinterpret_cast<HIMAGELIST>(lp);
        return reinterpret_cast<LRESULT>(old);
    }
    case LVM_GETIMAGELIST: return wp <= LVSIL_STATE ? reinterpret_cast<LRESULT>(d->images[wp]) : 0;
    case LVM_EDITLABELA:
        if (index == -1) {
            if (d->edit) EndLabelEdit(w, d, false);
            return 0;
        }
        return reinterpret_cast<LRESULT>(BeginLabelEdit(w, d, index));
    case LVM_GETEDITCONTROL: return reinterpret_cast<LRESULT>(d->edit);
    case WM_KEYDOWN: {
        NMLVKEYDOWN key{};
        key.wVKey = static_cast<WORD>(wp);
        key.flags = 0;
        NotifyParent(w, LVN_KEYDOWN, &key.hdr);
        if (FromHandle(wnd)) Navigate(w, d, wp);
        return 0;
    }
    case WM_LBUTTONDOWN: {
        SetFocus(wnd);
        if (!FromHandle(wnd)) return 0;
        LVHITTESTINFO hit{};
        hit.pt = POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (HitTest(w, d, &hit) >= 0) {
            Choose(w, d, hit.iItem);
        } else {
            for (int i = 0; i < Count(d); ++i) ChangeState(w, d, i, 0, LVIS_SELECTED);
        }
        if (FromHandle(wnd)) MouseNotify(w, d, NM_CLICK, lp);
        return 0;
    }
    case WM_LBUTTONDBLCLK: return MouseNotify(w, d, NM_DBLCLK, lp);
    case WM_SETFOCUS: {
        NMHDR hdr{};
        NotifyParent(w, NM_SETFOCUS, &hdr);
        return 0;
    }
    case WM_KILLFOCUS: {
        NMHDR hdr{};
        NotifyParent(w, NM_KILLFOCUS, &hdr);
        return 0;
    }
    case WM_DESTROY:
        if (d->edit) EndLabelEdit(w, d, false);
        DeleteAll(w, d);
        // Image lists go with the control unless they are shared.
        if (!(w->style & LVS_SHAREIMAGELISTS))
            for (HIMAGELIST& list : d->images) {
                ReleaseImageListWith(list);
                list = nullptr;
            }
        return 0;
    default: return DefWindowProcA(wnd, msg, wp, lp);
    }
}

}  // namespace hostwin
