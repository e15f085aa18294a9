// The modal property sheet and its tab control.
#include "user_internal.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace hostwin {
namespace {

// ---- tab control ------------------------------------------------------------

struct TabData : WindowExtra {
    std::vector<std::string> titles;
    std::vector<LPARAM> params;
    int selected = -1;
};

}  // namespace

void InitTab(Window* w) { w->extra = std::make_unique<TabData>(); }

LRESULT CALLBACK TabProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    Window* w = FromHandle(wnd);
    auto* d = ExtraOf<TabData>(w);
    if (!d) return DefWindowProcA(wnd, msg, wp, lp);
    int index = static_cast<int>(static_cast<INT_PTR>(wp));
    int count = static_cast<int>(d->titles.size());
    auto* item = reinterpret_cast<TCITEMA*>(lp);
    switch (msg) {
    case TCM_GETITEMCOUNT: return count;
    case TCM_GETCURSEL: return d->selected;
    case TCM_SETCURSEL: {
        if (index < 0 || index >= count) return -1;
        int old = d->selected;
        d->selected = index;
        return old;
    }
    case TCM_INSERTITEMA: {
        if (!item || index < 0) return -1;
        index = std::min(index, count);
        d->titles.insert(d->titles.begin() + index, (item->mask & TCIF_TEXT) && item->pszText ? item->pszText : "");
        d->params.insert(d->params.begin() + index, (item->mask & TCIF_PARAM) ? item->lParam : 0);
        if (d->selected >= index) ++d->selected;
        return index;
    }
    case TCM_GETITEMA: {
        if (!item || index < 0 || index >= count) return FALSE;
        if ((item->mask & TCIF_TEXT) && item->pszText && item->cchTextMax > 0)
            CopyOut(d->titles[static_cast<std::size_t>(index)], item->pszText, static_cast<WPARAM>(item->cchTextMax));
        if (item->mask & TCIF_PARAM) item->lParam = d->params[static_cast<std::size_t>(index)];
        return TRUE;
    }
    case TCM_DELETEALLITEMS:
        d->titles.clear();
        d->params.clear();
        d->selected = -1;
        return TRUE;
    default: return DefWindowProcA(wnd, msg, wp, lp);
    }
}

namespace {

// ---- the sheet ---------------------------------------------------------------

constexpr int kTabId = 0x3020;
constexpr int kMargin = 7;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 6;
constexpr int kTabHeaderHeight = 24;
constexpr int kTabInset = 4;
constexpr POINT kSheetPosition{100, 60};

struct SheetPage {
    std::vector<unsigned char> record;  // the page record as given, dwSize bytes
    const HostDialogTemplate* tmpl = nullptr;
    HINSTANCE instance = nullptr;
    std::string title;
    HWND wnd = nullptr;
    bool changed = false;

    PROPSHEETPAGEA* Record() { return reinterpret_cast<PROPSHEETPAGEA*>(record.data()); }
};

struct SheetData : WindowExtra {
    std::vector<SheetPage> pages;
    HWND tab = nullptr, ok = nullptr, cancel = nullptr, apply = nullptr;
    RECT pageArea{};
    int current = -1;
    bool closed = false;
    bool closedByOk = false;
    bool reboot = false;
    bool restart = false;
};

SheetData* DataOf(HWND sheet) { return ExtraOf<SheetData>(FromHandle(sheet)); }

std::string ResourceText(HINSTANCE instance, LPCSTR text) {
    if (!text) return {};
    if (!IS_INTRESOURCE(text)) return text;
    char buf[256];
    LoadStringA(instance, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(text)), buf, sizeof buf);
    return buf;
}

LRESULT NotifyPage(HWND sheet, SheetPage& page, UINT code, LPARAM param) {
    if (!FromHandle(page.wnd)) return 0;
    PSHNOTIFY n{};
    n.hdr.hwndFrom = sheet;
    n.hdr.idFrom = 0;
    n.hdr.code = code;
    n.lParam = param;
    return SendMessageA(page.wnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
}

// A page's dialog is made the first time the page is shown: a hidden child
// of the sheet in its page area, told WM_INITDIALOG with its page record.
bool CreatePage(HWND sheet, SheetData* d, int i) {
    SheetPage& page = d->pages[static_cast<std::size_t>(i)];
    DWORD style = page.tmpl->style;
    style &= ~static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_MODALFRAME | WS_DISABLED |
                                 WS_VISIBLE);
    style |= WS_CHILD | WS_TABSTOP | DS_CONTROL | DS_3DLOOK;
    HWND wnd = CreateDialogFromTemplate(page.instance, page.tmpl, sheet, page.Record()->pfnDlgProc,
                                        reinterpret_cast<LPARAM>(page.Record()), &style);
    if (!FromHandle(sheet) || !wnd) return false;
    Window* w = FromHandle(wnd);
    LONG cx = w->rect.right - w->rect.left, cy = w->rect.bottom - w->rect.top;
    w->rect = RECT{d->pageArea.left, d->pageArea.top, d->pageArea.left + cx, d->pageArea.top + cy};
    // The page may have been made already while it was being initialised.
    if (page.wnd && page.wnd != wnd) {
        DestroyWindow(wnd);
        return true;
    }
    page.wnd = wnd;
    return true;
}

void ShowPage(SheetData* d, int i) {
    if (d->current == i) return;
    SheetPage& page = d->pages[static_cast<std::size_t>(i)];
    if (d->current >= 0) {
        HWND old = d->pages[static_cast<std::size_t>(d->current)].wnd;
        if (FromHandle(old)) ShowWindow(old, SW_HIDE);
    }
    d->current = i;
    ShowWindow(page.wnd, SW_SHOW);
    SendMessageA(d->tab, TCM_SETCURSEL, static_cast<WPARAM>(i), 0);
}

int PageIndex(SheetData* d, HWND page) {
    for (std::size_t i = 0; i < d->pages.size(); ++i)
        if (page && d->pages[i].wnd == page) return static_cast<int>(i);
    return -1;
}

// Leaves the current page (which may refuse) and shows page i.
BOOL SetCurSel(HWND sheet, SheetData* d, int i) {
    if (i < 0 || i >= static_cast<int>(d->pages.size())) return FALSE;
    if (i == d->current) return TRUE;
    if (d->current >= 0 && NotifyPage(sheet, d->pages[static_cast<std::size_t>(d->current)], PSN_KILLACTIVE, 0))
        return FALSE;
    if (!FromHandle(sheet) || d->closed) return FALSE;
    if (!d->pages[static_cast<std::size_t>(i)].wnd && !CreatePage(sheet, d, i)) return FALSE;
    NotifyPage(sheet, d->pages[static_cast<std::size_t>(i)], PSN_SETACTIVE, 0);
    if (!FromHandle(sheet) || d->closed || !FromHandle(d->pages[static_cast<std::size_t>(i)].wnd)) return FALSE;
    ShowPage(d, i);
    return TRUE;
}

void UpdateApply(SheetData* d) {
    bool any = std::any_of(d->pages.begin(), d->pages.end(), [](const SheetPage& p) { return p.changed; });
    EnableWindow(d->apply, any ? TRUE : FALSE);
}

// OK and Apply: the current page may refuse to be left, then every page
// made so far applies in order; one that answers PSNRET_INVALID is shown
// and keeps the sheet open.
bool Apply(HWND sheet, SheetData* d, bool fromOk) {
    if (d->current >= 0 && NotifyPage(sheet, d->pages[static_cast<std::size_t>(d->current)], PSN_KILLACTIVE, 0))
        return false;
    for (std::size_t i = 0; i < d->pages.size(); ++i) {
        if (!FromHandle(sheet) || d->closed) return false;
        SheetPage& page = d->pages[i];
        if (!page.wnd) continue;
        LRESULT r = NotifyPage(sheet, page, PSN_APPLY, fromOk ? TRUE : FALSE);
        if (!FromHandle(sheet) || d->closed) return false;
        if (r == PSNRET_INVALID) {
            ShowPage(d, static_cast<int>(i));
            return false;
        }
        if (r == PSNRET_INVALID_NOCHANGEPAGE) return false;
    }
    for (SheetPage& page : d->pages) page.changed = false;
    EnableWindow(d->apply, FALSE);
    // The current page was told it was being left; it is active again.
    if (!fromOk && d->current >= 0) NotifyPage(sheet, d->pages[static_cast<std::size_t>(d->current)], PSN_SETACTIVE, 0);
    return true;
}

void Ok(HWND sheet, SheetData* d) {
    if (!Apply(sheet, d, true) || !FromHandle(sheet) || d->closed) return;
    d->closed = true;
    d->closedByOk = true;
}

// Cancel: the current page may refuse; then every page made so far is
// reset (PSN_RESET's lParam says whether the close box did it).  forced
// closes the sheet even when the page refuses.
enum class CancelBy { Button, CloseBox, NobodyLeft };

void Cancel(HWND sheet, SheetData* d, CancelBy by) {
    bool forced = by == CancelBy::NobodyLeft;
    if (d->current >= 0 && NotifyPage(sheet, d->pages[static_cast<std::size_t>(d->current)], PSN_QUERYCANCEL, 0) &&
        !forced)
        return;
    if (!FromHandle(sheet) || d->closed) return;
    for (SheetPage& page : d->pages)
        if (page.wnd) NotifyPage(sheet, page, PSN_RESET, by == CancelBy::CloseBox ? TRUE : FALSE);
    d->closed = true;
}

void Command(HWND sheet, SheetData* d, int id) {
    switch (id) {
    case IDOK: Ok(sheet, d); break;
    case IDCANCEL: Cancel(sheet, d, CancelBy::Button); break;
    case IDC_APPLY_BUTTON: Apply(sheet, d, false); break;
    default: break;
    }
}

LRESULT CALLBACK SheetProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
    SheetData* d = DataOf(wnd);
    if (!d) return DialogDefault(wnd, msg, wp, lp);
    switch (msg) {
    case PSM_SETCURSEL: {
        int index = static_cast<int>(static_cast<INT_PTR>(wp));
        if (lp) {
            // A page handle: the page's own window or its record.
            index = PageIndex(d, reinterpret_cast<HWND>(lp));
            for (std::size_t i = 0; index < 0 && i < d->pages.size(); ++i)
                if (reinterpret_cast<LPARAM>(d->pages[i].Record()) == lp) index = static_cast<int>(i);
        }
        return SetCurSel(wnd, d, index);
    }
    case PSM_CHANGED: {
        int i = PageIndex(d, reinterpret_cast<HWND>(wp));
        if (i >= 0) d->pages[static_cast<std::size_t>(i)].changed = true;
        UpdateApply(d);
        return TRUE;
    }
    case PSM_UNCHANGED: {
        int i = PageIndex(d, reinterpret_cast<HWND>(wp));
        if (i >= 0) d->pages[static_cast<std::size_t>(i)].changed = false;
        UpdateApply(d);
        return TRUE;
    }
    case PSM_REBOOTSYSTEM: d->reboot = true; return 0;
    case PSM_RESTARTWINDOWS: d->restart = true; return 0;
    case PSM_CANCELTOCLOSE:
        EnableWindow(d->cancel, FALSE);
        SetWindowTextA(d->ok, "Close");
        return 0;
    case PSM_QUERYSIBLINGS:
        for (SheetPage& page : d->pages)
            if (FromHandle(page.wnd))
                if (LRESULT r = SendMessageA(page.wnd, PSM_QUERYSIBLINGS, wp, lp)) return r;
        return 0;
    case PSM_APPLY: return Apply(wnd, d, false) ? TRUE : FALSE;
    case PSM_SETTITLEA: {
        std::string title = ResourceText(FromHandle(wnd)->instance, reinterpret_cast<LPCSTR>(lp));
        if (wp & PSH_PROPTITLE) title = "Properties for " + title;
        SetWindowTextA(wnd, title.c_str());
        return 0;
    }
    case PSM_PRESSBUTTON: {
        // Apply is pressed even while its button is disabled; OK and
        // Cancel as the user's press, which a disabled button ignores.
        if (wp == PSBTN_APPLYNOW) {
            Command(wnd, d, IDC_APPLY_BUTTON);
            return 0;
        }
        HWND button = wp == PSBTN_OK ? d->ok : wp == PSBTN_CANCEL ? d->cancel : nullptr;
        if (button && IsWindowEnabled(button) && IsWindowVisible(button)) Command(wnd, d, GetDlgCtrlID(button));
        return 0;
    }
    case PSM_GETTABCONTROL: return reinterpret_cast<LRESULT>(d->tab);
    case PSM_GETCURRENTPAGEHWND:
        return d->current >= 0 ? reinterpret_cast<LRESULT>(d->pages[static_cast<std::size_t>(d->current)].wnd) : 0;
    case WM_COMMAND:
        if (HIWORD(wp) == BN_CLICKED) Command(wnd, d, LOWORD(wp));
        return 0;
    case WM_CLOSE: Cancel(wnd, d, CancelBy::CloseBox); return 0;
    default: return DialogDefault(wnd, msg, wp, lp);
    }
}

HWND AddButton(HWND sheet, const char* text, int id, int x, int y, DWORD extra) {
    return CreateWindowExA(0, "Button", text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | extra, x, y, kButtonWidth,
                           kButtonHeight, sheet, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

}  // namespace

}  // namespace hostwin

using namespace hostwin;

// The modal sheet.  Answers ID_PSREBOOTSYSTEM when a page asked for a
// reboot, else ID_PSRESTARTWINDOWS when one asked for a restart, whatever
// closed the sheet; else 1 when OK closed it and 0 when it was cancelled,
// changes applied or not; -1 for a header or page record it cannot use.
HOSTWIN_API INT_PTR WINAPI PropertySheetA(LPCPROPSHEETHEADERA header) {
    if (!header || header->dwSize < PROPSHEETHEADERA_V1_SIZE || !(header->dwFlags & PSH_PROPSHEETPAGE) ||
        !header->ppsp || header->nPages == 0)
        return -1;

    // The page records, stepped by each one's own size.
    std::vector<SheetPage> pages;
    const unsigned char* at = reinterpret_cast<const unsigned char*>(header->ppsp);
    for (UINT i = 0; i < header->nPages; ++i) {
        const auto* record = reinterpret_cast<const PROPSHEETPAGEA*>(at);
        if (record->dwSize < PROPSHEETPAGEA_V1_SIZE || (record->dwFlags & PSP_DLGINDIRECT)) return -1;
        SheetPage page;
        page.record.assign(at, at + record->dwSize);
        page.instance = record->hInstance;
        page.tmpl = FindDialogTemplate(record->hInstance, record->pszTemplate);
        if (!page.tmpl) {
            std::fprintf(stderr, "hostwin: PropertySheetA: page %u has no dialog template\n", i);
            return -1;
        }
        page.title = (record->dwFlags & PSP_USETITLE) ? ResourceText(record->hInstance, record->pszTitle)
                                                       : std::string(page.tmpl->caption ? page.tmpl->caption : "");
        pages.push_back(std::move(page));
        at += record->dwSize;
    }

    int pageCx = 0, pageCy = 0;
    for (const SheetPage& page : pages) {
        pageCx = std::max(pageCx, DluToPixelsX(page.tmpl->cx));
        pageCy = std::max(pageCy, DluToPixelsY(page.tmpl->cy));
    }
    int tabCx = pageCx + 2 * kTabInset, tabCy = pageCy + kTabHeaderHeight + kTabInset;
    int buttonsCx = 3 * kButtonWidth + 2 * kButtonGap;
    int clientCx = std::max(tabCx, buttonsCx) + 2 * kMargin;
    int buttonY = kMargin + tabCy + kMargin;
    int clientCy = buttonY + kButtonHeight + kMargin;

    std::string caption = ResourceText(header->hInstance, header->pszCaption);
    if (header->dwFlags & PSH_PROPTITLE) caption = "Properties for " + caption;
    CreateParams p{};
    p.className = "#32770";
    p.text = caption.c_str();
    p.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_3DLOOK | WS_VISIBLE;
    p.rect = RECT{kSheetPosition.x, kSheetPosition.y, kSheetPosition.x + clientCx + 6, kSheetPosition.y + clientCy + 25};
    p.parent = header->hwndParent;
    p.instance = header->hInstance;
    HWND sheet = CreateWindowRecord(p);
    Window* w = FromHandle(sheet);
    if (!w) return -1;
    // The record (and its sheet data) stays readable until the end, even
    // if someone destroys the window meanwhile.
    HoldWindow(w);
    w->proc = SheetProc;
    auto owned = std::make_unique<SheetData>();
    SheetData* d = owned.get();
    w->extra = std::move(owned);
    d->pages = std::move(pages);
    d->pageArea = RECT{kMargin + kTabInset, kMargin + kTabHeaderHeight, kMargin + kTabInset + pageCx,
                       kMargin + kTabHeaderHeight + pageCy};
    d->tab = CreateWindowExA(0, "SysTabControl32", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, kMargin, kMargin, tabCx,
                             tabCy, sheet, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTabId)), nullptr, nullptr);
    for (std::size_t i = 0; i < d->pages.size(); ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = d->pages[i].title.data();
        SendMessageA(d->tab, TCM_INSERTITEMA, i, reinterpret_cast<LPARAM>(&item));
    }
    int right = clientCx - kMargin;
    d->apply = AddButton(sheet, "&Apply", IDC_APPLY_BUTTON, right - kButtonWidth, buttonY, WS_DISABLED);
    d->cancel = AddButton(sheet, "Cancel", IDCANCEL, right - 2 * kButtonWidth - kButtonGap, buttonY, 0);
    d->ok = AddButton(sheet, "OK", IDOK, right - 3 * kButtonWidth - 2 * kButtonGap, buttonY, BS_DEFPUSHBUTTON);
    if (header->dwFlags & PSH_NOAPPLYNOW) ShowWindow(d->apply, SW_HIDE);

    // The owner stays disabled while the sheet runs.
    Window* owner = FromHandle(header->hwndParent);
    BOOL ownerWasDisabled = owner ? EnableWindow(header->hwndParent, FALSE) : TRUE;

    UINT start = header->nStartPage < d->pages.size() ? header->nStartPage : 0;
    INT_PTR result = -1;
    if (SetCurSel(sheet, d, static_cast<int>(start)) && FromHandle(sheet)) {
        const HostUserAgent* agent = UserAgent();
        while (FromHandle(sheet) && !d->closed) {
            DeliverPostedMessages();
            if (!FromHandle(sheet) || d->closed) break;
            // Without a user, or when the user has nothing more to do, the
            // sheet is cancelled; a page that refuses cannot keep it open.
            if (!agent || !agent->step || !agent->step(UserAgentContext(), sheet)) {
                if (FromHandle(sheet) && !d->closed) Cancel(sheet, d, CancelBy::NobodyLeft);
                break;
            }
        }
        result = d->reboot ? ID_PSREBOOTSYSTEM : d->restart ? ID_PSRESTARTWINDOWS : d->closedByOk ? 1 : 0;
    }
    if (owner && FromHandle(header->hwndParent) && !ownerWasDisabled) EnableWindow(header->hwndParent, TRUE);
    if (FromHandle(sheet)) DestroyWindow(sheet);
    ReleaseWindow(w);
    return result;
}
