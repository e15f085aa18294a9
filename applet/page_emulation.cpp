// The Emulation page: settings of the DOS emulation program.
#include "applet.h"

namespace {

LONG EmulationChanged = 0;

constexpr HelpIdPair EmulationHelpIds[] = {
    {IDC_MPU_EMULATION, IDC_MPU_EMULATION},
    {IDC_EMULATION_BANNER, IDC_EMULATION_BANNER},
    {IDC_PATCH_LOCATION, IDC_PATCH_LOCATION},
    {0, 0},
};

LRESULT EmulationHelp(HWND, UINT, WPARAM, LPARAM lp) {
    return ShowPageHelp(lp, EmulationHelpIds);
}

LRESULT MarkEmulationChanged(HWND page) {
    return MarkPageChanged(page, EmulationChanged);
}

LRESULT EmulationControlChanged(HWND page, WORD, WORD code, HWND) {
    if (IsChangeNotification(code)) {
        MarkEmulationChanged(page);
    }
    return 0;
}

constexpr PageCommandEntry EmulationCommandEntries[] = {
    {0, EmulationControlChanged},
};
constexpr PageCommandTable EmulationCommandTable = MakeCommandTable(EmulationCommandEntries);

LRESULT EmulationCommand(HWND page, UINT, WPARAM wp, LPARAM lp) {
    return DispatchPageCommand(EmulationCommandTable, page, wp, lp);
}

LRESULT InitEmulationPage(HWND, UINT, WPARAM, LPARAM) {
    EmulationChanged = 0;
    return 1;
}

LONG ApplyEmulationPage(HWND) {
    EmulationChanged = 0;
    return PSNRET_NOERROR;
}

LRESULT EmulationNotify(HWND page, UINT, WPARAM, LPARAM lp) {
    return HandleSheetNotify(page, lp, ApplyEmulationPage);
}

constexpr PageMessageEntry EmulationMessageEntries[] = {
    {WM_HELP, EmulationHelp},
    {WM_COMMAND, EmulationCommand},
    {WM_INITDIALOG, InitEmulationPage},
    {WM_NOTIFY, EmulationNotify},
};
constexpr PageMessageTable EmulationMessageTable = MakeMessageTable(EmulationMessageEntries);

}  // namespace

INT_PTR CALLBACK EmulationPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    return DispatchPageMessage(EmulationMessageTable, page, msg, wp, lp);
}
