// The Advanced page: low-level settings behind a warning.
#include "applet.h"

namespace {

LONG AdvancedChanged = 0;

constexpr HelpIdPair AdvancedHelpIds[] = {
    {IDC_USE_DMA, IDC_USE_DMA},
    {IDC_CHAIN_NMI, IDC_CHAIN_NMI},
    {IDC_VELT_VECTOR, IDC_VELT_VECTOR},
    {IDC_GPU_USAGE, IDC_GPU_USAGE},
    {0, 0},
};

LRESULT AdvancedHelp(HWND, UINT, WPARAM, LPARAM lp) {
    return ShowPageHelp(lp, AdvancedHelpIds);
}

LRESULT MarkAdvancedChanged(HWND page) {
    return MarkPageChanged(page, AdvancedChanged);
}

LRESULT AdvancedControlChanged(HWND page, WORD, WORD code, HWND) {
    if (IsChangeNotification(code)) {
        MarkAdvancedChanged(page);
    }
    return 0;
}

constexpr PageCommandEntry AdvancedCommandEntries[] = {
    {0, AdvancedControlChanged},
};
constexpr PageCommandTable AdvancedCommandTable = MakeCommandTable(AdvancedCommandEntries);

LRESULT AdvancedCommand(HWND page, UINT, WPARAM wp, LPARAM lp) {
    return DispatchPageCommand(AdvancedCommandTable, page, wp, lp);
}

LRESULT InitAdvancedPage(HWND, UINT, WPARAM, LPARAM) {
    AdvancedChanged = 0;
    return 1;
}

LONG ApplyAdvancedPage(HWND) {
    AdvancedChanged = 0;
    return PSNRET_NOERROR;
}

LRESULT AdvancedNotify(HWND page, UINT, WPARAM, LPARAM lp) {
    return HandleSheetNotify(page, lp, ApplyAdvancedPage);
}

constexpr PageMessageEntry AdvancedMessageEntries[] = {
    {WM_HELP, AdvancedHelp},
    {WM_COMMAND, AdvancedCommand},
    {WM_INITDIALOG, InitAdvancedPage},
    {WM_NOTIFY, AdvancedNotify},
};
constexpr PageMessageTable AdvancedMessageTable = MakeMessageTable(AdvancedMessageEntries);

}  // namespace

INT_PTR CALLBACK AdvancedPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    return DispatchPageMessage(AdvancedMessageTable, page, msg, wp, lp);
}
