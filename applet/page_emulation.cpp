// Emulation page: the DOS emulation program's MPU 401 emulation, banner and
// patch location (section "zpvelt").  Apply writes all three keys and asks
// the driver to reload.
#include "applet.h"

namespace {

constexpr DWORD kValueSize = 256;

struct EmulationSettingsRecord {
    LONG mpuEmulation;    // check box 4000, "Mpu401Emulation"
    LONG bannerShown;     // check box 4001, "quiet" inverted
    char* patchLocation;  // entry of combo 4002, "memcfg"
};

EmulationSettingsRecord EmulationSettings;
LONG EmulationChanged;

// Hands the record's text back when the library is unloaded.
struct EmulationSettingsRelease {
    ~EmulationSettingsRelease() { FreeText(EmulationSettings.patchLocation); }
} const EmulationSettingsAtUnload;

void ExchangeEmulation(HWND page, LONG direction) {
    const ExchangeContext ctx{page, direction};
    ExchangeCheck(ctx, IDC_MPU_EMULATION, &EmulationSettings.mpuEmulation);
    ExchangeCheck(ctx, IDC_EMULATION_BANNER, &EmulationSettings.bannerShown);
    ExchangeComboText(ctx, IDC_PATCH_LOCATION, &EmulationSettings.patchLocation);
}

void UpperCaseAscii(char* text) {
    for (; *text != '\0'; ++text)
        if (*text >= 'a' && *text <= 'z') *text = static_cast<char>(*text - 'a' + 'A');
}

// Typing into the edit field drops the list's selection.  A typed text that
// is an entry's name (ignoring case) is taken as that entry, so that what
// the user typed is what gets stored.
void SelectTypedPatchLocation(HWND page) {
    if (SendDlgItemMessageA(page, IDC_PATCH_LOCATION, CB_GETCURSEL, 0, 0) != CB_ERR) return;
    char typed[64] = "";
    GetDlgItemTextA(page, IDC_PATCH_LOCATION, typed, sizeof typed);
    if (typed[0] == '\0') return;
    const LRESULT entry = SendDlgItemMessageA(page, IDC_PATCH_LOCATION, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                              reinterpret_cast<LPARAM>(typed));
    if (entry != CB_ERR) SendDlgItemMessageA(page, IDC_PATCH_LOCATION, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
}

LRESULT MarkEmulationChanged(HWND page) { return MarkPageChanged(page, EmulationChanged); }

LRESULT EmulationControlChanged(HWND page, WORD id, WORD code, HWND control) {
    if (IsChangeNotification(code)) MarkEmulationChanged(page);
    return 0;
}

constexpr PageCommandEntry kEmulationCommands[] = {
    {0, EmulationControlChanged},
};
constexpr PageCommandTable EmulationCommandTable = MakeCommandTable(kEmulationCommands);

constexpr HelpIdPair EmulationHelpIds[] = {
    {IDC_MPU_EMULATION, IDC_MPU_EMULATION},
    {IDC_EMULATION_BANNER, IDC_EMULATION_BANNER},
    {IDC_PATCH_LOCATION, IDC_PATCH_LOCATION},
    {0, 0},
};

LRESULT InitEmulationPage(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    SendDlgItemMessageA(page, IDC_PATCH_LOCATION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("ROM"));
    SendDlgItemMessageA(page, IDC_PATCH_LOCATION, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("RAM"));

    char text[kValueSize];
    if (ReadConfig("zpvelt", "memcfg", "ROM", text, sizeof text) != 0) {
        UpperCaseAscii(text);
        ReplaceText(EmulationSettings.patchLocation, text);
    } else {
        ReplaceText(EmulationSettings.patchLocation, "ROM");
    }

    DWORD length = ReadConfig("zpvelt", "Mpu401Emulation", "on", text, sizeof text);
    EmulationSettings.mpuEmulation = SwitchIsOn(text, length, "on", true) ? 1 : 0;

    length = ReadConfig("zpvelt", "quiet", "on", text, sizeof text);
    EmulationSettings.bannerShown = SwitchIsOn(text, length, "off", true) ? 1 : 0;

    ExchangeEmulation(page, 0);
    EmulationChanged = 0;
    return 1;
}

LONG ApplyEmulationPage(HWND page) {
    if (!EmulationChanged) return PSNRET_NOERROR;

    SelectTypedPatchLocation(page);
    ExchangeEmulation(page, 1);
    WriteConfig("zpvelt", "Mpu401Emulation", EmulationSettings.mpuEmulation ? "on" : "off");
    WriteConfig("zpvelt", "quiet", EmulationSettings.bannerShown ? "off" : "on");
    // A null text (no memory for the combo's entry) would delete the key;
    // the stored value is kept instead.
    if (EmulationSettings.patchLocation != nullptr)
        WriteConfig("zpvelt", "memcfg", EmulationSettings.patchLocation);
    ReloadDriverConfig();

    EmulationChanged = 0;
    return PSNRET_NOERROR;
}

LRESULT EmulationHelp(HWND page, UINT msg, WPARAM wp, LPARAM lp) { return ShowPageHelp(lp, EmulationHelpIds); }

LRESULT EmulationCommand(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    return DispatchPageCommand(EmulationCommandTable, page, wp, lp);
}

LRESULT EmulationNotify(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    return HandleSheetNotify(page, lp, ApplyEmulationPage);
}

constexpr PageMessageEntry kEmulationMessages[] = {
    {WM_HELP, EmulationHelp},
    {WM_COMMAND, EmulationCommand},
    {WM_INITDIALOG, InitEmulationPage},
    {WM_NOTIFY, EmulationNotify},
};
constexpr PageMessageTable EmulationMessageTable = MakeMessageTable(kEmulationMessages);

}  // namespace

INT_PTR CALLBACK EmulationPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    return DispatchPageMessage(EmulationMessageTable, page, msg, wp, lp);
}
