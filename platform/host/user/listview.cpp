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
constexpr int kLabelEditId = 0;  // the label editor has no id of its own
constexpr UINT kFocusSelect = LVIS_FOCUSED | LVIS_SELECTED;

// LPSTR_TEXTCALLBACKA: the parent would supply the text; this list keeps none.
bool IsTextCallback(const char* text) { return text == reinterpret_cast<const char*>(-1); }

struct Item {
    std::string text;
    int image = 0;
    LPARAM param = 0;
    bool selected = false;
    UINT otherState = 0;  // the state bits besides focus and selection
};

// The focus is one index, not a mark on an item; the selection is.
struct ListData : WindowExtra {
    std::vector<Item> items;
    int focus = -1;
    HIMAGELIST images[3] = {nullptr, nullptr, nullptr};
    HWND edit = nullptr;
    int editItem = -1;
    bool ending = false;
    int scrollX = 0;
};

int Count(ListData* d) { return static_cast<int>(d->items.size()); }
bool Valid(ListData* d, int i) { return i >= 0 && i < Count(d); }
Item& At(ListData* d, int i) { return d->items[static_cast<std::size_t>(i)]; }

UINT StateOf(ListData* d, int i) {
    const Item& item = At(d, i);
    return item.otherState | (item.selected ? LVIS_SELECTED : 0u) | (d->focus == i ? LVIS_FOCUSED : 0u);
}

// ---- sort order --------------------------------------------------------------
// The Western locale's word sort, case-sensitive: texts compare first by
// their characters with case ignored, then by case (lower before upper),
// and only then by the apostrophes and hyphens, which the first two passes
// skip.  Spaces and punctuation come before digits, digits before letters.

constexpr char kPunctuationOrder[] = " !\"#$%&()*,./:;?@[\\]^_`{|}~+<=>";

bool IsWordMark(unsigned char c) { return c == '\'' || c == '-'; }

int PrimaryWeight(unsigned char c) {
    if (c < ' ') return c;
    if (const char* at = std::strchr(kPunctuationOrder, c))
        return 0x100 + static_cast<int>(at - kPunctuationOrder);
    if (c >= '0' && c <= '9') return 0x200 + c;
    return 0x300 + FoldCase(c);  // letters, then the upper half of the code page
}

int CaseWeight(unsigned char c) { return FoldCase(c) != c ? 1 : 0; }

int CompareText(const std::string& a, const std::string& b) {
    auto bytes = [](const std::string& s, std::size_t i) { return static_cast<unsigned char>(s[i]); };
    // Walks the characters of both that are no word marks, in step.
    auto compareLevel = [&](int (*weight)(unsigned char)) {
        std::size_t i = 0, j = 0;
        for (;;) {
            while (i < a.size() && IsWordMark(bytes(a, i))) ++i;
            while (j < b.size() && IsWordMark(bytes(b, j))) ++j;
            if (i == a.size() || j == b.size()) return (i == a.size() ? 0 : 1) - (j == b.size() ? 0 : 1);
            int x = weight(bytes(a, i++)), y = weight(bytes(b, j++));
            if (x != y) return x < y ? -1 : 1;
        }
    };
    if (int c = compareLevel(PrimaryWeight)) return c;
    if (int c = compareLevel(CaseWeight)) return c;
    // The word marks: a mark further right sorts first; an apostrophe
    // before a hyphen at the same place; fewer marks first.
    std::size_t i = 0, j = 0;
    for (;;) {
        while (i < a.size() && !IsWordMark(bytes(a, i))) ++i;
        while (j < b.size() && !IsWordMark(bytes(b, j))) ++j;
        if (i == a.size() || j == b.size()) return (i == a.size() ? 0 : 1) - (j == b.size() ? 0 : 1);
        if (i != j) return i > j ? -1 : 1;
        if (a[i] != b[j]) return a[i] == '\'' ? -1 : 1;
        ++i;
        ++j;
    }
}

bool Sorted(Window* w) { return (w->style & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) != 0; }

// Where a new text goes in a sorted list: before the first item, from the
// top, that does not sort before it.  The list is not sorted again after a
// text changes, so this is the place in the order the list has now.
int SortedPosition(Window* w, ListData* d, const std::string& text) {
    bool descending = (w->style & LVS_SORTDESCENDING) != 0;
    int at = 0;
    for (; at < Count(d); ++at) {
        int c = CompareText(At(d, at).text, text);
        if (descending ? c <= 0 : c >= 0) break;
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

LRESULT NotifyItem(Window* w, UINT code, int i, UINT newState, UINT oldState, UINT changed, LPARAM param) {
    NMLISTVIEW nm{};
    nm.iItem = i;
    nm.uNewState = newState;
    nm.uOldState = oldState;
    nm.uChanged = changed;
    nm.ptAction = POINT{-1, -1};
    nm.lParam = param;
    return NotifyParent(w, code, &nm.hdr);
}

// The list view and its item i are still there after a notification.
bool StillThere(HWND wnd, ListData* d, int i) { return FromHandle(wnd) && Valid(d, i); }

bool SetState(Window* w, ListData* d, int i, UINT state, UINT mask, bool inserting = false);

// Every selected item but keep loses its selection, in index order, each
// with its notifications.
void DeselectOthers(Window* w, ListData* d, int keep) {
    HWND wnd = ToHandle(w);
    for (int j = 0; FromHandle(wnd) && j < Count(d); ++j)
        if (j != keep && At(d, j).selected) SetState(w, d, j, 0, LVIS_SELECTED);
}

// Changes the state bits of item i.  The parent hears LVN_ITEMCHANGING
// even when nothing changes, and may refuse; LVN_ITEMCHANGED follows a
// change.  Selecting an item of a single-selection list deselects the
// others on the way, and focusing one takes the focus from the item the
// focus index names, each with notifications of their own.  An item being
// inserted reports no state and no lParam before the change.
bool SetState(Window* w, ListData* d, int i, UINT state, UINT mask, bool inserting) {
    if (!Valid(d, i)) return false;
    HWND wnd = ToHandle(w);
    UINT old = inserting ? 0 : StateOf(d, i);
    UINT now = (old & ~mask) | (state & mask);
    if (NotifyItem(w, LVN_ITEMCHANGING, i, now, old, LVIF_STATE, inserting ? 0 : At(d, i).param) ||
        !StillThere(wnd, d, i))
        return false;
    if (now == old) return true;
    if (mask & LVIS_SELECTED) {
        if ((state & LVIS_SELECTED) && (w->style & LVS_SINGLESEL)) DeselectOthers(w, d, i);
        if (!StillThere(wnd, d, i)) return false;
        At(d, i).selected = (state & LVIS_SELECTED) != 0;
    }
    At(d, i).otherState = (At(d, i).otherState & ~mask) | (state & mask & ~kFocusSelect);
    if (mask & LVIS_FOCUSED) {
        if (state & LVIS_FOCUSED) {
            if (d->focus != -1) SetState(w, d, d->focus, 0, LVIS_FOCUSED);
            if (!StillThere(wnd, d, i)) return false;
            d->focus = i;
        } else if (d->focus == i) {
            d->focus = -1;
        }
    }
    NotifyItem(w, LVN_ITEMCHANGED, i, now, old, LVIF_STATE, At(d, i).param);
    return true;
}

// Focuses and selects one item, as a click, a key or a label edit does:
// the others lose their selection before the item changes.
void Choose(Window* w, ListData* d, int i) {
    HWND wnd = ToHandle(w);
    DeselectOthers(w, d, i);
    if (StillThere(wnd, d, i)) SetState(w, d, i, kFocusSelect, kFocusSelect);
}

// Item i's text, with LVN_ITEMCHANGING and (when it changes) LVN_ITEMCHANGED.
// The list keeps its order: a sorted list does not move the item.
bool SetItemText(Window* w, ListData* d, int i, const char* text) {
    HWND wnd = ToHandle(w);
    std::string now = text && !IsTextCallback(text) ? text : "";
    if (NotifyItem(w, LVN_ITEMCHANGING, i, 0, 0, LVIF_TEXT, At(d, i).param) || !StillThere(wnd, d, i)) return false;
    if (At(d, i).text == now) return true;
    At(d, i).text = std::move(now);
    NotifyItem(w, LVN_ITEMCHANGED, i, 0, 0, LVIF_TEXT, At(d, i).param);
    return true;
}

int Insert(Window* w, ListData* d, const LVITEMA* item) {
    if (!item || item->iSubItem != 0 || item->iItem < 0) return -1;
    Item entry;
    if ((item->mask & LVIF_TEXT) && item->pszText && !IsTextCallback(item->pszText)) entry.text = item->pszText;
    if (item->mask & LVIF_IMAGE) entry.image = item->iImage;
    if (item->mask & LVIF_PARAM) entry.param = item->lParam;
    int at = Sorted(w) ? SortedPosition(w, d, entry.text) : std::min(item->iItem, Count(d));
    d->items.insert(d->items.begin() + at, std::move(entry));
    if (d->editItem >= at) ++d->editItem;
    // The focus index follows its item, except while the new item takes
    // the focus: then the old index loses it, whatever item now stands
    // there.  An item inserted selected where the focused one stood leaves
    // no item focused.
    UINT state = (item->mask & LVIF_STATE) ? item->state & item->stateMask : 0;
    int shifted = d->focus >= at ? d->focus + 1 : d->focus;
    int before = d->focus;
    if (!(state & LVIS_FOCUSED)) d->focus = (state & LVIS_SELECTED) && d->focus == at ? -1 : shifted;
    HWND wnd = ToHandle(w);
    if (state && !SetState(w, d, at, item->state, item->stateMask, true) && FromHandle(wnd) && d->focus == before)
        d->focus = shifted;
    if (!StillThere(wnd, d, at)) return FromHandle(wnd) ? at : -1;
    NotifyItem(w, LVN_INSERTITEM, at, 0, 0, 0, At(d, at).param);
    return at;
}

void EndLabelEdit(Window* w, ListData* d, bool accept);

// The item gives up its focus and selection, with notifications, before
// it goes.  A focus it had passes, unannounced, to the item that takes its
// place (the one before it when it was the last).
bool Delete(Window* w, ListData* d, int i) {
    if (!Valid(d, i)) return false;
    HWND wnd = ToHandle(w);
    if (d->edit && d->editItem == i) EndLabelEdit(w, d, false);
    if (!StillThere(wnd, d, i)) return false;
    bool hadFocus = d->focus == i;
    SetState(w, d, i, 0, kFocusSelect);
    if (!StillThere(wnd, d, i)) return false;
    NotifyItem(w, LVN_DELETEITEM, i, 0, 0, 0, At(d, i).param);
    if (!StillThere(wnd, d, i)) return false;
    d->items.erase(d->items.begin() + i);
    if (hadFocus && (d->focus == -1 || d->focus == i))
        d->focus = std::min(i, Count(d) - 1);
    else if (d->focus > i)
        --d->focus;
    if (d->editItem > i) --d->editItem;
    return true;
}

// LVN_DELETEALLITEMS, then (unless the parent answered TRUE) an
// LVN_DELETEITEM for each item, the last first.
void DeleteAll(Window* w, ListData* d) {
    if (d->items.empty()) return;
    HWND wnd = ToHandle(w);
    if (d->edit) EndLabelEdit(w, d, false);
    bool quiet = NotifyItem(w, LVN_DELETEALLITEMS, -1, 0, 0, 0, 0) != 0;
    if (!FromHandle(wnd)) return;
    if (!quiet)
        for (int i = Count(d) - 1; FromHandle(wnd) && i >= 0; --i)
            if (Valid(d, i)) NotifyItem(w, LVN_DELETEITEM, i, 0, 0, 0, At(d, i).param);
    if (!FromHandle(wnd)) return;
    d->items.clear();
    d->focus = -1;
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

void FillDispInfo(ListData* d, int i, NMLVDISPINFOA& info) {
    info.item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
    info.item.iItem = i;
    if (!Valid(d, i)) return;
    info.item.state = StateOf(d, i);
    info.item.stateMask = ~0u;
    info.item.lParam = At(d, i).param;
}

// The item becomes the focused and selected one, the parent hears
// LVN_BEGINLABELEDITA (and may refuse), then the editor takes the focus.
// An edit already open is cancelled first.
HWND BeginLabelEdit(Window* w, ListData* d, int i) {
    HWND wnd = ToHandle(w);
    if (d->edit) EndLabelEdit(w, d, false);
    if (!StillThere(wnd, d, i)) return nullptr;
    Choose(w, d, i);
    if (!StillThere(wnd, d, i)) return nullptr;
    RECT r = ItemPart(w, d, i, LVIR_LABEL);
    HWND edit = CreateWindowExA(0, "Edit", At(d, i).text.c_str(), WS_CHILD | WS_BORDER | ES_AUTOHSCROLL, r.left,
                                r.top, r.right - r.left, r.bottom - r.top, wnd,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kLabelEditId)), w->instance, nullptr);
    Window* e = FromHandle(edit);
    if (!e) return nullptr;
    e->proc = LabelEditProc;
    d->edit = edit;
    d->editItem = i;
    // The parent may look at the editor (LVM_GETEDITCONTROL) or refuse.
    NMLVDISPINFOA info{};
    FillDispInfo(d, i, info);
    std::string text = At(d, i).text;
    info.item.pszText = text.data();
    info.item.cchTextMax = static_cast<int>(text.size() + 1);
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

// LVN_ENDLABELEDITA carries the edited text, or null when the edit was
// cancelled or left the text empty or as it was; the parent's TRUE sets it.
void EndLabelEdit(Window* w, ListData* d, bool accept) {
    if (!d->edit || d->ending) return;
    d->ending = true;
    HWND wnd = ToHandle(w), edit = d->edit;
    int i = d->editItem;
    char text[1024] = "";
    GetWindowTextA(edit, text, sizeof text);
    bool given = accept && text[0] && Valid(d, i) && At(d, i).text != text;
    NMLVDISPINFOA info{};
    FillDispInfo(d, i, info);
    info.item.pszText = given ? text : nullptr;
    info.item.cchTextMax = given ? static_cast<int>(sizeof text) : 0;
    LRESULT keep = NotifyParent(w, LVN_ENDLABELEDITA, &info.hdr);
    if (!FromHandle(wnd)) return;
    i = d->editItem;
    d->edit = nullptr;
    d->editItem = -1;
    if (given && keep && Valid(d, i)) SetItemText(w, d, i, text);
    if (FromHandle(wnd)) {
        DestroyWindow(edit);
        d->ending = false;
    }
}

void CopyItemText(const Item& item, LVITEMA* out) {
    if (!out->pszText || out->cchTextMax <= 0) return;
    CopyOut(out->iSubItem == 0 ? item.text : std::string(), out->pszText, static_cast<WPARAM>(out->cchTextMax));
}

int NextItem(ListData* d, int start, UINT flags) {
    UINT want = flags & kFocusSelect;
    for (int i = std::max(start + 1, 0); i < Count(d); ++i)
        if ((StateOf(d, i) & want) == want) return i;
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
    int at = d->focus, per = PerColumn(w), to = at;
    switch (key) {
    case VK_UP: to = at < 0 ? 0 : std::max(at - 1, 0); break;
    case VK_DOWN: to = at < 0 ? 0 : std::min(at + 1, count - 1); break;
    case VK_LEFT: to = at < 0 ? 0 : (at - per >= 0 ? at - per : at); break;
    case VK_RIGHT: to = at < 0 ? 0 : std::min(at + per, count - 1); break;
    case VK_HOME: to = 0; break;
    case VK_END: to = count - 1; break;
    default: return;
    }
    if (to == at) return;
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
    nm.lParam = Valid(d, hit.iItem) ? At(d, hit.iItem).param : 0;
    HWND wnd = ToHandle(w);
    if (code == NM_DBLCLK) {
        NMHDR released{};
        NotifyParent(w, NM_RELEASEDCAPTURE, &released);
        if (!FromHandle(wnd)) return 0;
    }
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
        const Item& it = At(d, item->iItem);
        if (item->mask & LVIF_TEXT) CopyItemText(it, item);
        if (item->mask & LVIF_IMAGE) item->iImage = it.image;
        if (item->mask & LVIF_PARAM) item->lParam = it.param;
        if (item->mask & LVIF_STATE) item->state = StateOf(d, item->iItem) & item->stateMask;
        return TRUE;
    }
    case LVM_SETITEMA: {
        if (!item || !Valid(d, item->iItem) || item->iSubItem != 0) return FALSE;
        int i = item->iItem;
        if ((item->mask & LVIF_TEXT) && !SetItemText(w, d, i, item->pszText)) return FALSE;
        if (!Valid(d, i)) return FALSE;
        if (item->mask & LVIF_IMAGE) At(d, i).image = item->iImage;
        if (item->mask & LVIF_PARAM) At(d, i).param = item->lParam;
        if (item->mask & LVIF_STATE) return SetState(w, d, i, item->state, item->stateMask) ? TRUE : FALSE;
        return TRUE;
    }
    case LVM_GETITEMTEXTA: {
        if (!item) return 0;
        if (!Valid(d, index)) {
            if (item->pszText && item->cchTextMax > 0) item->pszText[0] = '\0';
            return 0;
        }
        CopyItemText(At(d, index), item);
        return item->pszText && item->cchTextMax > 0 ? static_cast<LRESULT>(std::strlen(item->pszText)) : 0;
    }
    case LVM_SETITEMTEXTA:
        if (!item || !Valid(d, index) || item->iSubItem != 0) return FALSE;
        return SetItemText(w, d, index, item->pszText) ? TRUE : FALSE;
    case LVM_SETITEMSTATE: {
        if (!item) return FALSE;
        if (index == -1) {
            // Every item in turn; neither the focus nor a single selection
            // can go to all of them.
            UINT set = item->state & item->stateMask;
            if ((set & LVIS_FOCUSED) || ((set & LVIS_SELECTED) && (w->style & LVS_SINGLESEL))) return FALSE;
            for (int i = 0; FromHandle(wnd) && i < Count(d); ++i) SetState(w, d, i, item->state, item->stateMask);
            return TRUE;
        }
        return SetState(w, d, index, item->state, item->stateMask) ? TRUE : FALSE;
    }
    case LVM_GETITEMSTATE:
        return Valid(d, index) ? static_cast<LRESULT>(StateOf(d, index) & static_cast<UINT>(lp)) : 0;
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
            DeselectOthers(w, d, -1);
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
    case WM_COMMAND:
        // The label editor's notifications go on to the parent, but for
        // the ones the list view uses itself.
        if (HIWORD(wp) == EN_UPDATE || HIWORD(wp) == EN_KILLFOCUS || !w->parent) return 0;
        return SendMessageA(ToHandle(w->parent), WM_COMMAND, wp, lp);
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
