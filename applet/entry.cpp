// The control-panel entry, the configuration file's path, the property
// sheet and the two message boxes.
#include <cstddef>
#include <cstring>

#include "applet.h"

HINSTANCE ModuleInstance = nullptr;
char ConfigFilePath[kConfigPathSize] = {};

namespace {

constexpr char kModuleName[] = "zpcfgpnl.cpl";
constexpr char kPathVariable[] = "ZENOPHASE=";
constexpr std::size_t kPathVariableLength = sizeof kPathVariable - 1;
constexpr char kPathRegistryKey[] = "SOFTWARE\\Norrix\\Environment";
constexpr char kPathRegistryValue[] = "ZENOPHASE";
constexpr char kSheetCaption[] = "Harmonaire Plug & Play Properties";

constexpr int kBoxTextSize = 512;
constexpr int kBoxCaptionSize = 64;

// The record layouts of the first generation of the shell and the common
// controls: the control panel reads NEWCPLINFOA by its dwSize, and the sheet
// steps through the page array by each page's dwSize.
constexpr std::size_t kSheetHeaderV1Size = offsetof(PROPSHEETHEADERA, pfnCallback) + sizeof(PFNPROPSHEETCALLBACK);
static_assert(!kPlatformIsWin32 || sizeof(PROPSHEETPAGEA_V1) == 40);
static_assert(!kPlatformIsWin32 || kSheetHeaderV1Size == 40);
static_assert(!kPlatformIsWin32 || sizeof(NEWCPLINFOA) == 244);
constexpr DWORD kNewCplInfoSize = sizeof(NEWCPLINFOA);

struct SheetPage {
    int templateId;
    const char* title;
    DLGPROC proc;
};

constexpr SheetPage kSheetPages[] = {
    {IDD_RESOURCES, "Resources", ResourcesPageProc},
    {IDD_GENERAL, "General", GeneralPageProc},
    {IDD_MIDI, "Midi", MidiPageProc},
    {IDD_EMULATION, "Emulation", EmulationPageProc},
    {IDD_ADVANCED, "Advanced", AdvancedPageProc},
};
constexpr int kSheetPageCount = static_cast<int>(sizeof kSheetPages / sizeof kSheetPages[0]);

// Copies value into ConfigFilePath when it fits whole; a longer one is
// refused rather than cut into a path that names another file.
void TakeConfigPath(const char* value) {
    std::size_t length = std::strlen(value);
    if (length < sizeof ConfigFilePath) {
        std::memcpy(ConfigFilePath, value, length + 1);
    }
}

// The first entry named exactly ZENOPHASE (case counts, as in the block).
void ConfigPathFromEnvironment() {
    LPSTR block = GetEnvironmentStrings();
    if (!block) {
        return;
    }
    for (const char* entry = block; *entry != '\0'; entry += std::strlen(entry) + 1) {
        if (std::strncmp(entry, kPathVariable, kPathVariableLength) == 0) {
            TakeConfigPath(entry + kPathVariableLength);
            break;
        }
    }
    FreeEnvironmentStringsA(block);
}

// A value that does not fit, or a query that fails, leaves the path empty.
void ConfigPathFromRegistry() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kPathRegistryKey, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return;
    }
    DWORD size = sizeof ConfigFilePath;
    DWORD type = REG_NONE;
    LSTATUS status =
        RegQueryValueExA(key, kPathRegistryValue, nullptr, &type, reinterpret_cast<LPBYTE>(ConfigFilePath), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || size > sizeof ConfigFilePath) {
        ConfigFilePath[0] = '\0';
        return;
    }
    // The stored data need not end with a NUL; a full buffer without one
    // held 260 characters, one too many.
    if (size < sizeof ConfigFilePath) {
        ConfigFilePath[size] = '\0';
    } else if (ConfigFilePath[sizeof ConfigFilePath - 1] != '\0') {
        ConfigFilePath[0] = '\0';
    }
}

void ShowStringBox(int stringId, int captionId) {
    char text[kBoxTextSize] = {};
    char caption[kBoxCaptionSize] = {};
    LoadStringA(ModuleInstance, static_cast<UINT>(stringId), text, sizeof text);
    LoadStringA(ModuleInstance, static_cast<UINT>(captionId), caption, sizeof caption);
    MessageBoxA(nullptr, text, caption, MB_OK);
}

void FillNewInquire(NEWCPLINFOA* info) {
    if (!info) {
        return;
    }
    std::memset(info, 0, sizeof *info);
    info->dwSize = kNewCplInfoSize;
    info->dwFlags = 0;
    info->dwHelpContext = 0;
    info->lData = 0;
    info->hIcon = LoadIconA(ModuleInstance, MAKEINTRESOURCEA(IDI_APPLET));
    LoadStringA(ModuleInstance, IDS_APPLET_NAME, info->szName, sizeof info->szName);
    LoadStringA(ModuleInstance, IDS_APPLET_INFO, info->szInfo, sizeof info->szInfo);
    info->szHelpFile[0] = '\0';
}

LONG InitApplet() {
    InitCommonControls();
    ModuleInstance = GetModuleHandleA(kModuleName);
    if (!ModuleInstance) {
        return 0;
    }
    return FindConfigFilePath() ? 1 : 0;
}

}  // namespace

int FindConfigFilePath() {
    ConfigFilePath[0] = '\0';
    ConfigPathFromEnvironment();
    if (ConfigFilePath[0] == '\0') {
        ConfigPathFromRegistry();
    }
    if (ConfigFilePath[0] != '\0') {
        return 1;
    }
    ShowErrorBox(IDS_ERR_NO_CONFIG_PATH);
    return 0;
}

INT_PTR RunPropertySheet() {
    PROPSHEETPAGEA_V1 pages[kSheetPageCount] = {};
    for (int i = 0; i < kSheetPageCount; ++i) {
        pages[i].dwSize = PROPSHEETPAGEA_V1_SIZE;
        pages[i].dwFlags = PSP_USETITLE;
        pages[i].hInstance = ModuleInstance;
        pages[i].pszTemplate = MAKEINTRESOURCEA(kSheetPages[i].templateId);
        pages[i].pszTitle = kSheetPages[i].title;
        pages[i].pfnDlgProc = kSheetPages[i].proc;
        pages[i].lParam = 0;
    }

    PROPSHEETHEADERA header = {};
    header.dwSize = PROPSHEETHEADERA_V1_SIZE;
    header.dwFlags = PSH_PROPSHEETPAGE;
    header.hwndParent = nullptr;
    header.hInstance = ModuleInstance;
    header.pszIcon = MAKEINTRESOURCEA(IDI_APPLET);
    header.pszCaption = kSheetCaption;
    header.nPages = kSheetPageCount;
    header.nStartPage = 0;
    header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(pages);

    INT_PTR result = PropertySheetA(&header);
    if (result == ID_PSREBOOTSYSTEM) {
        ShowNoticeBox(IDS_NOTE_REBOOT);
    } else if (result == ID_PSRESTARTWINDOWS) {
        ShowNoticeBox(IDS_NOTE_RESTART);
    }
    return result;
}

void ShowErrorBox(int stringId) {
    ShowStringBox(stringId, IDS_ERROR_CAPTION);
}

void ShowNoticeBox(int stringId) {
    ShowStringBox(stringId, IDS_NOTICE_CAPTION);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

extern "C" LONG APIENTRY CPlApplet(HWND, UINT msg, LPARAM, LPARAM lParam2) {
    switch (msg) {
    case CPL_INIT:
        return InitApplet();
    case CPL_GETCOUNT:
        return 1;
    case CPL_DBLCLK:
        RunPropertySheet();
        return 0;
    case CPL_EXIT:
        FreeMixerConfigList();
        return 0;
    case CPL_NEWINQUIRE:
        FillNewInquire(reinterpret_cast<NEWCPLINFOA*>(lParam2));
        return 0;
    default:  // CPL_INQUIRE, CPL_SELECT, CPL_STOP and anything else
        return 0;
    }
}
