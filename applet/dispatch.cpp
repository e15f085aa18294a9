// Table dispatch of the pages' messages and commands, the pieces every page
// skeleton shares, and the control data exchange helpers.
#include <cstring>

#include "applet.h"

LRESULT CallDefaultProc(LONG kind, HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    switch (kind) {
    case kDefaultWindowProc:
        return DefWindowProcA(page, msg, wp, lp);
    case kDefaultDialogProc:
        return DefDlgProcA(page, msg, wp, lp);
    default:
        return 0;
    }
}

LRESULT DispatchPageMessage(const PageMessageTable& table, HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    for (LONG i = 0; i < table.count; ++i) {
        const PageMessageEntry& entry = table.entries[i];
        if (entry.message == msg && entry.handler) {
            return entry.handler(page, msg, wp, lp);
        }
    }
    return CallDefaultProc(table.defaultKind, page, msg, wp, lp);
}

LRESULT DispatchPageCommand(const PageCommandTable& table, HWND page, WPARAM wp, LPARAM lp) {
    WORD id = LOWORD(wp);
    WORD code = HIWORD(wp);
    HWND control = reinterpret_cast<HWND>(lp);
    for (LONG i = 0; i < table.count; ++i) {
        const PageCommandEntry& entry = table.entries[i];
        if ((entry.controlId == id || entry.controlId == 0) && entry.handler) {
            return entry.handler(page, id, code, control);
        }
    }
    return CallDefaultProc(table.defaultKind, page, WM_COMMAND, wp, lp);
}

LRESULT ShowPageHelp(LPARAM helpInfo, const HelpIdPair* helpIds) {
    const HELPINFO* info = reinterpret_cast<const HELPINFO*>(helpInfo);
    if (info) {
        WinHelpA(static_cast<HWND>(info->hItemHandle), kHelpFile, HELP_WM_HELP,
                 reinterpret_cast<ULONG_PTR>(helpIds));
    }
    return 0;
}

LRESULT MarkPageChanged(HWND page, LONG& changedFlag) {
    SendMessageA(GetParent(page), PSM_CHANGED, reinterpret_cast<WPARAM>(page), 0);
    changedFlag = 1;
    return 0;
}

bool IsChangeNotification(WORD code) {
    return code == BN_CLICKED || code == CBN_SELCHANGE || code == CBN_EDITCHANGE;
}

LRESULT HandleSheetNotify(HWND page, LPARAM lp, PageApplyStep apply, bool* handled) {
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lp);
    bool taken = false;
    LRESULT answer = 0;
    if (header && header->code == PSN_APPLY) {
        LONG result = apply ? apply(page) : PSNRET_NOERROR;
        SetWindowLongA(page, DWL_MSGRESULT, result);
        taken = true;
        answer = 1;
    } else if (header && header->code == PSN_KILLACTIVE) {
        SetWindowLongA(page, DWL_MSGRESULT, 0);
        taken = true;
        answer = 1;
    }
    if (handled) {
        *handled = taken;
    }
    return answer;
}

// ---- control data exchange -----------------------------------------------------

namespace {

bool Saving(const ExchangeContext& ctx) {
    return ctx.direction != 0;
}

}  // namespace

void ExchangeText(const ExchangeContext& ctx, int id, char** slot) {
    if (!Saving(ctx)) {
        SetDlgItemTextA(ctx.page, id, *slot ? *slot : "");
        return;
    }
    FreeText(*slot);
    char text[kExchangeTextSize] = {};
    GetDlgItemTextA(ctx.page, id, text, kExchangeTextSize);
    text[kExchangeTextSize - 1] = '\0';
    *slot = CopyText(text);
}

void ExchangeInt(const ExchangeContext& ctx, int id, LONG* value) {
    if (!Saving(ctx)) {
        SetDlgItemInt(ctx.page, id, static_cast<UINT>(*value), TRUE);
        return;
    }
    *value = static_cast<LONG>(GetDlgItemInt(ctx.page, id, nullptr, TRUE));
}

void ExchangeCheck(const ExchangeContext& ctx, int id, LONG* value) {
    if (!Saving(ctx)) {
        CheckDlgButton(ctx.page, id, static_cast<UINT>(*value));
        return;
    }
    *value = static_cast<LONG>(IsDlgButtonChecked(ctx.page, id));
}

// Load selects the first item, searching from the second and wrapping round,
// that begins with the slot's text; an empty or absent text looks for
// nothing, so that a value saved from an empty selection loads as none.
// Save stores the selected item's text, or the empty text without a
// selection.
void ExchangeComboText(const ExchangeContext& ctx, int id, char** slot) {
    HWND combo = GetDlgItem(ctx.page, id);
    if (!Saving(ctx)) {
        if (*slot && **slot) {
            SendMessageA(combo, CB_SELECTSTRING, 0, reinterpret_cast<LPARAM>(*slot));
        }
        return;
    }
    LRESULT selected = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    FreeText(*slot);
    LRESULT length = selected == CB_ERR ? CB_ERR : SendMessageA(combo, CB_GETLBTEXTLEN, selected, 0);
    if (length < 0) {
        *slot = CopyText("");
        return;
    }
    std::size_t size = static_cast<std::size_t>(length) + 1;
    char* text = static_cast<char*>(AllocMemory(size));
    if (!text) {
        return;
    }
    std::memset(text, 0, size);
    SendMessageA(combo, CB_GETLBTEXT, selected, reinterpret_cast<LPARAM>(text));
    text[size - 1] = '\0';
    *slot = text;
}

void ExchangeComboIndex(const ExchangeContext& ctx, int id, LONG* value) {
    HWND combo = GetDlgItem(ctx.page, id);
    if (!Saving(ctx)) {
        SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(static_cast<INT_PTR>(*value)), 0);
        return;
    }
    *value = static_cast<LONG>(SendMessageA(combo, CB_GETCURSEL, 0, 0));
}
