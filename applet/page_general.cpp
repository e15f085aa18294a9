// The General page: wave clients, language, effects, APM, saving the mixer
// at Windows exit, and the mixer configurations (mixer.cpp).
#include "applet.h"

namespace {

LONG GeneralChanged = 0;

constexpr HelpIdPair GeneralHelpIds[] = {
    {IDC_MAX_WAVE_CLIENTS, IDC_MAX_WAVE_CLIENTS},
    {IDC_LANGUAGE, IDC_LANGUAGE},
    {IDC_EFFECTS, IDC_EFFECTS},
    {IDC_SAVE_ON_EXIT, IDC_SAVE_ON_EXIT},
    {IDC_APM, IDC_APM},
    {IDC_CURRENT_MIXER, IDC_CURRENT_MIXER},
    {IDC_MIXER_REMOVE, IDC_MIXER_REMOVE},
    {IDC_MIXER_RESTORE, IDC_MIXER_RESTORE},
    {IDC_MIXER_ADD, IDC_MIXER_ADD},
    {IDC_MIXER_LIST, IDC_MIXER_LIST},
    {0, 0},
};

LRESULT GeneralHelp(HWND, UINT, WPARAM, LPARAM lp) {
    return ShowPageHelp(lp, GeneralHelpIds);
}

LRESULT MarkGeneralChanged(HWND page) {
    return MarkPageChanged(page, GeneralChanged);
}

// The mixer buttons do nothing until the mixer configurations are in.
LRESULT AddMixerConfig(HWND, WORD, WORD, HWND) {
    return 0;
}

LRESULT RestoreMixerConfig(HWND, WORD, WORD, HWND) {
    return 0;
}

LRESULT RemoveMixerConfig(HWND, WORD, WORD, HWND) {
    return 0;
}

LRESULT GeneralControlChanged(HWND page, WORD, WORD code, HWND) {
    if (IsChangeNotification(code)) {
        MarkGeneralChanged(page);
    }
    return 0;
}

constexpr PageCommandEntry GeneralCommandEntries[] = {
    {IDC_MIXER_ADD, AddMixerConfig},
    {IDC_MIXER_RESTORE, RestoreMixerConfig},
    {IDC_MIXER_REMOVE, RemoveMixerConfig},
    {0, GeneralControlChanged},
};
constexpr PageCommandTable GeneralCommandTable = MakeCommandTable(GeneralCommandEntries);

LRESULT GeneralCommand(HWND page, UINT, WPARAM wp, LPARAM lp) {
    return DispatchPageCommand(GeneralCommandTable, page, wp, lp);
}

LRESULT InitGeneralPage(HWND, UINT, WPARAM, LPARAM) {
    GeneralChanged = 0;
    return 1;
}

LONG ApplyGeneralPage(HWND) {
    GeneralChanged = 0;
    return PSNRET_NOERROR;
}

LRESULT GeneralNotify(HWND page, UINT, WPARAM, LPARAM lp) {
    return HandleSheetNotify(page, lp, ApplyGeneralPage);
}

constexpr PageMessageEntry GeneralMessageEntries[] = {
    {WM_HELP, GeneralHelp},
    {WM_COMMAND, GeneralCommand},
    {WM_INITDIALOG, InitGeneralPage},
    {WM_NOTIFY, GeneralNotify},
};
constexpr PageMessageTable GeneralMessageTable = MakeMessageTable(GeneralMessageEntries);

}  // namespace

INT_PTR CALLBACK GeneralPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    return DispatchPageMessage(GeneralMessageTable, page, msg, wp, lp);
}
