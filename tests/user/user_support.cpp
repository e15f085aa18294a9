#include "user_support.h"

#include <cstdio>

std::vector<std::string> g_log;
std::function<LRESULT(HWND, const NMHDR*)> g_notifyAnswer;

namespace {

std::string CodeName(UINT code) {
    switch (code) {
    case LVN_ITEMCHANGING: return "changing";
    case LVN_ITEMCHANGED: return "changed";
    case LVN_INSERTITEM: return "insert";
    case LVN_DELETEITEM: return "delete";
    case LVN_DELETEALLITEMS: return "deleteall";
    case LVN_BEGINLABELEDITA: return "beginedit";
    case LVN_ENDLABELEDITA: return "endedit";
    case LVN_KEYDOWN: return "keydown";
    case LVN_ITEMACTIVATE: return "activate";
    case NM_CLICK: return "click";
    case NM_DBLCLK: return "dblclick";
    case NM_SETFOCUS: return "setfocus";
    case NM_KILLFOCUS: return "killfocus";
    case NM_RELEASEDCAPTURE: return "releasedcapture";
    default: return std::to_string(static_cast<int>(code));
    }
}

std::string Describe(const NMHDR* hdr) {
    std::string line = "notify " + std::to_string(hdr->idFrom) + " " + CodeName(hdr->code);
    char extra[160] = "";
    switch (hdr->code) {
    case LVN_ITEMCHANGING:
    case LVN_ITEMCHANGED: {
        auto* nm = reinterpret_cast<const NMLISTVIEW*>(hdr);
        std::snprintf(extra, sizeof extra, " %d %u->%u%s", nm->iItem, nm->uOldState, nm->uNewState,
                      nm->uChanged == LVIF_TEXT ? " text" : "");
        break;
    }
    case LVN_INSERTITEM:
    case LVN_DELETEITEM: std::snprintf(extra, sizeof extra, " %d", reinterpret_cast<const NMLISTVIEW*>(hdr)->iItem); break;
    case LVN_BEGINLABELEDITA:
    case LVN_ENDLABELEDITA: {
        auto* info = reinterpret_cast<const NMLVDISPINFOA*>(hdr);
        std::snprintf(extra, sizeof extra, " %d %s", info->item.iItem,
                      info->item.pszText ? ("\"" + std::string(info->item.pszText) + "\"").c_str() : "null");
        break;
    }
    case LVN_KEYDOWN: std::snprintf(extra, sizeof extra, " %u", reinterpret_cast<const NMLVKEYDOWN*>(hdr)->wVKey); break;
    case NM_CLICK:
    case NM_DBLCLK:
    case LVN_ITEMACTIVATE: std::snprintf(extra, sizeof extra, " %d", reinterpret_cast<const NMITEMACTIVATE*>(hdr)->iItem); break;
    default: break;
    }
    return line + extra;
}

}  // namespace

INT_PTR CALLBACK RecordingProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: return TRUE;
    case WM_COMMAND:
        g_log.push_back("command " + std::to_string(LOWORD(wp)) + " " + std::to_string(HIWORD(wp)));
        return TRUE;
    case WM_NOTIFY: {
        auto* hdr = reinterpret_cast<const NMHDR*>(lp);
        g_log.push_back(Describe(hdr));
        LRESULT answer = g_notifyAnswer ? g_notifyAnswer(dlg, hdr) : 0;
        SetWindowLongA(dlg, DWL_MSGRESULT, static_cast<LONG>(answer));
        return TRUE;
    }
    default: return FALSE;
    }
}

HWND CreateControlsDialog() {
    g_log.clear();
    g_notifyAnswer = nullptr;
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CONTROLS), nullptr, RecordingProc, 0);
}

std::vector<std::string> TakeLog() {
    std::vector<std::string> taken;
    taken.swap(g_log);
    return taken;
}

std::string TextOf(HWND wnd) {
    char text[512] = "";
    GetWindowTextA(wnd, text, sizeof text);
    return text;
}
