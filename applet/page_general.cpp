// zpcfgpnl: the General page.  Wave clients, language, effects, APM and
// saving the mixer at exit; the mixer group lives in mixer.cpp.
#include <cstring>

#include "general.h"

GeneralSettings General{};
LONG EffectsToggled = 0;
LONG DriverUnavailable = 0;

namespace {

constexpr char kLanguages[] = "languages";
constexpr int kWaveClientItems = 4;
constexpr const char* kWaveClients[kWaveClientItems] = {"1", "2", "3", "4"};

constexpr HelpIdPair kGeneralHelpIds[] = {
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

// The page's texts stay with the library; they go when it is unloaded.
struct GeneralTextsRelease {
    ~GeneralTextsRelease() {
        for (char*& key : General.LanguageKeys) {
            FreeText(key);
        }
        for (char*& key : General.MixerKeys) {
            FreeText(key);
        }
        FreeText(General.DefaultLanguage);
        FreeText(General.MaxWaveClientsText);
        FreeText(General.DefaultMixerName);
    }
};
GeneralTextsRelease generalTextsRelease;

void ExchangeGeneral(const ExchangeContext& ctx) {
    ExchangeComboText(ctx, IDC_MAX_WAVE_CLIENTS, &General.MaxWaveClientsText);
    ExchangeCheck(ctx, IDC_SAVE_ON_EXIT, &General.SaveOnExit);
    ExchangeCheck(ctx, IDC_APM, &General.ApmOn);
    ExchangeCheck(ctx, IDC_EFFECTS, &General.EffectsOn);
    ExchangeComboIndex(ctx, IDC_LANGUAGE, &General.LanguageIndex);
    ExchangeText(ctx, IDC_CURRENT_MIXER, &General.DefaultMixerName);
}

LONG ReadSwitch(const char* section, const char* key, const char* fallback, const char* onWord) {
    char value[kSettingValueSize];
    DWORD length = ReadConfig(section, key, fallback, value, sizeof value);
    return SwitchIsOn(value, length, onWord, false) ? 1 : 0;
}

void FillLanguageCombo(HWND page) {
    if (General.LanguageCount != 0) {
        SendDlgItemMessageA(page, IDC_LANGUAGE, CB_INITSTORAGE, static_cast<WPARAM>(General.LanguageCount),
                            kSettingValueSize);
    }
    for (LONG i = 0; i < General.LanguageCount && i < kLanguageSlots; ++i) {
        char text[kSettingValueSize] = "";
        // A slot without a key keeps its place in the combo, empty.
        if (General.LanguageKeys[i] != nullptr) {
            ReadConfig(kLanguages, General.LanguageKeys[i], "English", text, sizeof text);
            if (char* comma = std::strchr(text, ','); comma != nullptr) {
                *comma = '\0';
            }
            OemToCharA(text, text);
        }
        SendDlgItemMessageA(page, IDC_LANGUAGE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
}

LRESULT InitGeneralPage(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    AudioDriver driver;
    if (!driver.Open()) {
        DriverUnavailable = 1;
        ShowErrorBox(IDS_ERR_OPEN_DRIVER);
        FreeMixerConfigList();
        return TRUE;
    }

    char value[kSettingValueSize];
    ReadConfig(kLanguages, "default", "foo", value, sizeof value);
    if (EqualsNoCase(value, "foo")) {
        ShowErrorBox(IDS_ERR_READ_LANGUAGE);
        value[0] = '\0';
    }
    ReplaceText(General.DefaultLanguage, value);
    General.LanguageCount =
        WalkKeyList(kLanguages, General.LanguageKeys, General.DefaultLanguage, &General.LanguageIndex);
    FillLanguageCombo(page);

    LoadMixerConfigNames(page);

    DWORD size = 0;
    DWORD returned = 0;
    driver.Control(DIOC_GET_MIXER_SETTINGS_SIZE, nullptr, 0, &size, sizeof size, &returned);
    General.MixerSettingsSize = size;
    driver.Close();

    if (!LoadMixerConfigItems(page)) {
        return TRUE;
    }

    General.EffectsOn = ReadSwitch("setup 0", "effects", "on", "on");
    ReadConfig("windows", "MaxWaveClients", "4", value, sizeof value);
    ReplaceText(General.MaxWaveClientsText, value);
    for (const char* item : kWaveClients) {
        SendDlgItemMessageA(page, IDC_MAX_WAVE_CLIENTS, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
    }
    General.SaveOnExit = ReadSwitch("mixer settings", "SaveOnWindowsExit", "true", "true");
    General.ApmOn = ReadSwitch("windows", "apm", "off", "on");

    ExchangeGeneral({page, 0});
    General.GeneralChanged = 0;
    EffectsToggled = 0;
    return TRUE;
}

LRESULT GeneralControlChanged(HWND page, WORD id, WORD code, HWND control) {
    if (DriverUnavailable != 0 || !IsChangeNotification(code)) {
        return 0;
    }
    if (id == IDC_EFFECTS) {
        EffectsToggled = 1;
    }
    return MarkGeneralChanged(page);
}

bool WriteGeneral(const char* section, const char* key, const char* value) {
    if (WriteConfig(section, key, value)) {
        return true;
    }
    ShowErrorBox(IDS_ERR_WRITE_CONFIG);
    return false;
}

LONG ApplyGeneralPage(HWND page) {
    if (General.GeneralChanged == 0 || DriverUnavailable != 0) {
        return PSNRET_NOERROR;
    }
    ExchangeGeneral({page, 1});
    if (EffectsToggled != 0) {
        SendMessageA(GetParent(page), PSM_REBOOTSYSTEM, 0, 0);
    }
    if (!WriteGeneral("mixer settings", "SaveOnWindowsExit", General.SaveOnExit != 0 ? "true" : "false") ||
        !WriteGeneral("windows", "apm", General.ApmOn != 0 ? "on" : "off") ||
        !WriteGeneral("setup 0", "effects", General.EffectsOn != 0 ? "on" : "off")) {
        return PSNRET_INVALID;
    }
    if (General.LanguageIndex < 0 || General.LanguageIndex >= General.LanguageCount ||
        General.LanguageIndex >= kLanguageSlots) {
        ShowErrorBox(IDS_ERR_BAD_LANGUAGE);
        return PSNRET_INVALID;
    }
    const char* key = General.LanguageKeys[General.LanguageIndex];
    if (key == nullptr || !ReplaceText(General.DefaultLanguage, key)) {
        ShowErrorBox(IDS_ERR_MEMORY);
        return PSNRET_INVALID;
    }
    if (!WriteGeneral(kLanguages, "default", General.DefaultLanguage)) {
        return PSNRET_INVALID;
    }
    // The saved combo text is null only when it could not be allocated;
    // writing null would delete the key.
    if (General.MaxWaveClientsText == nullptr) {
        ShowErrorBox(IDS_ERR_MEMORY);
        return PSNRET_INVALID;
    }
    if (!WriteGeneral("windows", "MaxWaveClients", General.MaxWaveClientsText)) {
        return PSNRET_INVALID;
    }
    if (!SaveMixerConfigs()) {
        ShowErrorBox(IDS_ERR_WRITE_CONFIG);
        return PSNRET_INVALID;
    }
    ReloadDriverConfig();
    General.GeneralChanged = 0;
    return PSNRET_NOERROR;
}

LRESULT GeneralNotify(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    bool handled = false;
    LRESULT answer = HandleSheetNotify(page, lp, ApplyGeneralPage, &handled);
    if (handled) {
        return answer;
    }
    const auto* header = reinterpret_cast<const NMHDR*>(lp);
    switch (header->code) {
    case LVN_KEYDOWN:
        MixerKeyDown(page, header);
        return TRUE;
    case LVN_ENDLABELEDITA:
        // A dialog answers a notification through DWL_MSGRESULT.
        answer = RenameMixerConfig(page, header);
        SetWindowLongA(page, DWL_MSGRESULT, static_cast<LONG>(answer));
        return answer;
    case LVN_BEGINLABELEDITA:
        return FALSE;
    case LVN_ITEMCHANGED:
        MixerFocusChanged(page, header);
        return TRUE;
    case NM_KILLFOCUS:
        return TRUE;
    case NM_DBLCLK:
        return SelectMixerConfig(page, header);
    default:
        return FALSE;
    }
}

LRESULT GeneralHelp(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    return ShowPageHelp(lp, kGeneralHelpIds);
}

constexpr PageCommandEntry kGeneralCommands[] = {
    {IDC_MIXER_ADD, AddMixerConfig},
    {IDC_MIXER_RESTORE, RestoreMixerConfig},
    {IDC_MIXER_REMOVE, RemoveMixerConfig},
    {0, GeneralControlChanged},
};
constexpr PageCommandTable kGeneralCommandTable = MakeCommandTable(kGeneralCommands);

LRESULT GeneralCommand(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    return DispatchPageCommand(kGeneralCommandTable, page, wp, lp);
}

constexpr PageMessageEntry kGeneralMessages[] = {
    {WM_HELP, GeneralHelp},
    {WM_COMMAND, GeneralCommand},
    {WM_INITDIALOG, InitGeneralPage},
    {WM_NOTIFY, GeneralNotify},
};
constexpr PageMessageTable kGeneralMessageTable = MakeMessageTable(kGeneralMessages);

}  // namespace

LRESULT MarkGeneralChanged(HWND page) {
    return MarkPageChanged(page, General.GeneralChanged);
}

INT_PTR CALLBACK GeneralPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    return DispatchPageMessage(kGeneralMessageTable, page, msg, wp, lp);
}
