// Advanced page: Use DMA, Chain NMI, the VELT vector and the GPU usage.
// Apply asks for confirmation first; a refusal puts the page back to what the
// file holds.  A touched GPU usage makes the sheet announce a reboot.
#include "applet.h"

namespace {

constexpr DWORD kValueSize = 256;

struct AdvancedSettingsRecord {
    LONG useDma;       // check box 5000, "setup 0"/"UseDma"
    LONG chainNmi;     // check box 5001, "zpvelt"/"chainnmi"
    char* veltVector;  // entry of combo 5002, "zpvelt"/the vector key
    char* gpuUsage;    // entry of combo 5003, "setup 0"/"GPusage"
};

AdvancedSettingsRecord AdvancedSettings;
LONG AdvancedChanged;
LONG GpuUsageChanged;  // a command came from combo 5003 since initialisation

// Hands the record's texts back when the library is unloaded.
struct AdvancedSettingsRelease {
    ~AdvancedSettingsRelease() {
        FreeText(AdvancedSettings.veltVector);
        FreeText(AdvancedSettings.gpuUsage);
    }
} const AdvancedSettingsAtUnload;

constexpr char kWarningText[] =
    "Settings on the Advanced page should never need to be changed except with a hardware change.  "
    "You can completly break the sound drivers if you continue to make these changes.  "
    "Write changed information to ini file?";

void ExchangeAdvanced(HWND page, LONG direction) {
    const ExchangeContext ctx{page, direction};
    ExchangeCheck(ctx, IDC_USE_DMA, &AdvancedSettings.useDma);
    ExchangeCheck(ctx, IDC_CHAIN_NMI, &AdvancedSettings.chainNmi);
    ExchangeComboText(ctx, IDC_VELT_VECTOR, &AdvancedSettings.veltVector);
    ExchangeComboText(ctx, IDC_GPU_USAGE, &AdvancedSettings.gpuUsage);
}

LRESULT MarkAdvancedChanged(HWND page) { return MarkPageChanged(page, AdvancedChanged); }

LRESULT AdvancedControlChanged(HWND page, WORD id, WORD code, HWND control) {
    if (!IsChangeNotification(code)) return 0;
    if (control == GetDlgItem(page, IDC_GPU_USAGE)) GpuUsageChanged = 1;
    MarkAdvancedChanged(page);
    return 0;
}

constexpr PageCommandEntry kAdvancedCommands[] = {
    {0, AdvancedControlChanged},
};
constexpr PageCommandTable AdvancedCommandTable = MakeCommandTable(kAdvancedCommands);

constexpr HelpIdPair AdvancedHelpIds[] = {
    {IDC_USE_DMA, IDC_USE_DMA},
    {IDC_CHAIN_NMI, IDC_CHAIN_NMI},
    {IDC_VELT_VECTOR, IDC_VELT_VECTOR},
    {IDC_GPU_USAGE, IDC_GPU_USAGE},
    {0, 0},
};

void AddComboEntry(HWND page, int id, const char* text) {
    SendDlgItemMessageA(page, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
}

// Reads the four settings from the file, shows them and clears both flags.
void LoadAdvancedSettings(HWND page) {
    char text[kValueSize];

    ReplaceText(AdvancedSettings.gpuUsage,
                ReadConfig("setup 0", "GPusage", "IRQ", text, sizeof text) != 0 ? text : "None");
    ReplaceText(AdvancedSettings.veltVector,
                ReadConfig("zpvelt", "VeltVector", "7E", text, sizeof text) != 0 ? text : "7E");

    DWORD length = ReadConfig("setup 0", "UseDma", "false", text, sizeof text);
    AdvancedSettings.useDma = SwitchIsOn(text, length, "true", true) ? 1 : 0;

    length = ReadConfig("zpvelt", "chainnmi", "false", text, sizeof text);
    AdvancedSettings.chainNmi = SwitchIsOn(text, length, "on", false) ? 1 : 0;

    ExchangeAdvanced(page, 0);
    AdvancedChanged = 0;
    GpuUsageChanged = 0;
}

LRESULT InitAdvancedPage(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    AddComboEntry(page, IDC_GPU_USAGE, "None");
    AddComboEntry(page, IDC_GPU_USAGE, "PM");
    AddComboEntry(page, IDC_GPU_USAGE, "IRQ");
    for (int vector = 0x70; vector <= 0x7f; ++vector) {
        char text[8];
        wsprintfA(text, "%x", vector);
        AddComboEntry(page, IDC_VELT_VECTOR, text);
    }
    LoadAdvancedSettings(page);
    return 1;
}

// Writes a text setting; a null text (no memory for the combo's entry) would
// delete the key, so the stored value is kept instead.
void WriteTextSetting(const char* section, const char* key, const char* text) {
    if (text != nullptr) WriteConfig(section, key, text);
}

LONG ApplyAdvancedPage(HWND page) {
    if (!AdvancedChanged) return PSNRET_NOERROR;

    const HWND sheet = GetParent(page);
    if (MessageBoxA(sheet, kWarningText, "Warning", MB_OKCANCEL | MB_ICONEXCLAMATION) == IDCANCEL) {
        // Back to what the file holds.  The selections are cleared first so
        // that a stored text no entry begins with shows no selection, as it
        // does when the page is first shown.
        SendDlgItemMessageA(page, IDC_VELT_VECTOR, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        SendDlgItemMessageA(page, IDC_GPU_USAGE, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        LoadAdvancedSettings(page);
        SendMessageA(sheet, PSM_UNCHANGED, reinterpret_cast<WPARAM>(page), 0);
        AdvancedChanged = 0;
        return PSNRET_INVALID;
    }

    if (GpuUsageChanged) SendMessageA(sheet, PSM_REBOOTSYSTEM, 0, 0);
    ExchangeAdvanced(page, 1);
    WriteConfig("setup 0", "UseDma", AdvancedSettings.useDma ? "true" : "false");
    WriteConfig("zpvelt", "chainnmi", AdvancedSettings.chainNmi ? "on" : "off");
    WriteTextSetting("zpvelt", "VELTVector", AdvancedSettings.veltVector);
    WriteTextSetting("setup 0", "GPusage", AdvancedSettings.gpuUsage);
    ReloadDriverConfig();

    AdvancedChanged = 0;
    return PSNRET_NOERROR;
}

LRESULT AdvancedHelp(HWND page, UINT msg, WPARAM wp, LPARAM lp) { return ShowPageHelp(lp, AdvancedHelpIds); }

LRESULT AdvancedCommand(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    return DispatchPageCommand(AdvancedCommandTable, page, wp, lp);
}

LRESULT AdvancedNotify(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    return HandleSheetNotify(page, lp, ApplyAdvancedPage);
}

constexpr PageMessageEntry kAdvancedMessages[] = {
    {WM_HELP, AdvancedHelp},
    {WM_COMMAND, AdvancedCommand},
    {WM_INITDIALOG, InitAdvancedPage},
    {WM_NOTIFY, AdvancedNotify},
};
constexpr PageMessageTable AdvancedMessageTable = MakeMessageTable(kAdvancedMessages);

}  // namespace

INT_PTR CALLBACK AdvancedPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    return DispatchPageMessage(AdvancedMessageTable, page, msg, wp, lp);
}
