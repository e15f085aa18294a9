// Midi page: the current patch set (section "vendors") and synchronous MIDI
// output.  Apply writes both, flushes the file and asks the driver to reload;
// the driver's status tells whether it could switch to the new patch set.
#include <cstring>

#include "applet.h"

namespace {

constexpr int kMaxPatchSets = 64;
constexpr DWORD kPatchTextSize = 128;

struct MidiSettingsRecord {
    char* currentPatchSet;               // key name of the current patch set
    char* patchSetKeys[kMaxPatchSets];   // key names of "vendors", file order
    LONG selectedIndex;                  // entry of combo 3000
    LONG synchronous;                    // check box 3001
    LONG patchSetCount;                  // used entries of patchSetKeys
};

MidiSettingsRecord MidiSettings;
LONG MidiChanged;

// Hands the record's texts back when the library is unloaded.
struct MidiSettingsRelease {
    ~MidiSettingsRelease() {
        FreeText(MidiSettings.currentPatchSet);
        for (char*& key : MidiSettings.patchSetKeys) FreeText(key);
        MidiSettings.patchSetCount = 0;
    }
} const MidiSettingsAtUnload;

void ExchangeMidi(HWND page, LONG direction, MidiSettingsRecord& record) {
    const ExchangeContext ctx{page, direction};
    ExchangeComboIndex(ctx, IDC_PATCH_SET, &record.selectedIndex);
    ExchangeCheck(ctx, IDC_MIDI_SYNC, &record.synchronous);
}

// The key name behind a combo index, or null when the index names no entry.
const char* PatchSetKeyAt(LONG index) {
    if (index < 0 || index >= MidiSettings.patchSetCount || index >= kMaxPatchSets) return nullptr;
    return MidiSettings.patchSetKeys[index];
}

LRESULT MarkMidiChanged(HWND page) { return MarkPageChanged(page, MidiChanged); }

LRESULT MidiSyncClicked(HWND page, WORD id, WORD code, HWND control) {
    if (code == BN_CLICKED) MarkMidiChanged(page);
    return 0;
}

LRESULT MidiControlChanged(HWND page, WORD id, WORD code, HWND control) {
    if (code == CBN_SELCHANGE || code == CBN_EDITCHANGE) MarkMidiChanged(page);
    return 0;
}

constexpr PageCommandEntry kMidiCommands[] = {
    {IDC_MIDI_SYNC, MidiSyncClicked},
    {0, MidiControlChanged},
};
constexpr PageCommandTable MidiCommandTable = MakeCommandTable(kMidiCommands);

constexpr HelpIdPair MidiHelpIds[] = {
    {IDC_MIDI_SYNC, IDC_MIDI_SYNC},
    {IDC_PATCH_SET, IDC_PATCH_SET},
    {0, 0},
};

LRESULT InitMidiPage(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    char text[kPatchTextSize];

    ReadConfig("vendors", "default", "foo", text, sizeof text);
    if (EqualsNoCase(text, "foo")) {
        ShowErrorBox(IDS_ERR_READ_PATCH);
        ReplaceText(MidiSettings.currentPatchSet, "");
    } else {
        ReplaceText(MidiSettings.currentPatchSet, text);
    }

    bool missing = false;
    MidiSettings.patchSetCount = WalkKeyList("vendors", MidiSettings.patchSetKeys, MidiSettings.currentPatchSet,
                                             &MidiSettings.selectedIndex, &missing);
    if (missing) ShowErrorBox(IDS_ERR_READ_PATCHES);

    if (MidiSettings.patchSetCount > 0)
        SendDlgItemMessageA(page, IDC_PATCH_SET, CB_INITSTORAGE, static_cast<WPARAM>(MidiSettings.patchSetCount), 64);

    // One line per patch set, in file order: its description, or its key
    // name when it has none.
    for (LONG i = 0; i < MidiSettings.patchSetCount; ++i) {
        const char* key = PatchSetKeyAt(i);
        if (key == nullptr) key = "";
        ReadConfig("patch descriptions", key, "Error", text, sizeof text);
        const char* shown = std::strcmp(text, "Error") == 0 ? key : text;
        SendDlgItemMessageA(page, IDC_PATCH_SET, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown));
    }

    const DWORD length = ReadConfig("windows", "midi_out_synchronous", "false", text, sizeof text);
    MidiSettings.synchronous = SwitchIsOn(text, length, "true", false) ? 1 : 0;

    ExchangeMidi(page, 0, MidiSettings);
    MidiChanged = 0;
    return 1;
}

LONG ApplyMidiPage(HWND page) {
    if (!MidiChanged) return PSNRET_NOERROR;

    // The patch set counts as changed when the combo now names another entry
    // than the one chosen at initialisation or at the last apply.
    MidiSettingsRecord scratch{};
    ExchangeMidi(page, 1, scratch);
    const LONG previousIndex = MidiSettings.selectedIndex;

    // The user's choice stays recorded even when this attempt fails, so a
    // second Apply no longer counts the patch set as changed.
    ExchangeMidi(page, 1, MidiSettings);

    // With no entry selected (an empty list, or an index from an earlier
    // opening beyond a shorter list) the stored patch set is kept.
    const char* chosenKey = PatchSetKeyAt(MidiSettings.selectedIndex);
    const bool patchSetChanged = chosenKey != nullptr && scratch.selectedIndex != previousIndex;
    if (chosenKey != nullptr) {
        if (!ReplaceText(MidiSettings.currentPatchSet, chosenKey)) {
            ShowErrorBox(IDS_ERR_MEMORY_WRITING);
            return PSNRET_INVALID;
        }
        if (!WriteConfig("vendors", "default", MidiSettings.currentPatchSet)) {
            ShowErrorBox(IDS_ERR_WRITE_CONFIG);
            return PSNRET_INVALID;
        }
    }
    WriteConfig("windows", "midi_out_synchronous", MidiSettings.synchronous ? "true" : "false");
    FlushConfig();

    AudioDriver driver;
    if (!driver.Open()) {
        ShowErrorBox(IDS_ERR_OPEN_DRIVER);
        SendMessageA(GetParent(page), PSM_REBOOTSYSTEM, 0, 0);
    } else {
        DWORD status = 0;
        DWORD returned = 0;
        if (!driver.Control(DIOC_RELOAD_CONFIG, nullptr, 0, &status, sizeof status, &returned) ||
            returned != sizeof status) {
            ShowErrorBox(IDS_ERR_PATCH);
            return PSNRET_INVALID;
        }
        if (patchSetChanged && status != 0) {
            ShowErrorBox(status == 1   ? IDS_ERR_PATCH_MIDI_BUSY
                         : status == 2 ? IDS_ERR_PATCH_NOT_FOUND
                                       : IDS_ERR_PATCH_UNKNOWN);
            return PSNRET_INVALID;
        }
    }

    MidiChanged = 0;
    return PSNRET_NOERROR;
}

LRESULT MidiHelp(HWND page, UINT msg, WPARAM wp, LPARAM lp) { return ShowPageHelp(lp, MidiHelpIds); }

LRESULT MidiCommand(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    return DispatchPageCommand(MidiCommandTable, page, wp, lp);
}

LRESULT MidiNotify(HWND page, UINT msg, WPARAM wp, LPARAM lp) { return HandleSheetNotify(page, lp, ApplyMidiPage); }

constexpr PageMessageEntry kMidiMessages[] = {
    {WM_HELP, MidiHelp},
    {WM_COMMAND, MidiCommand},
    {WM_INITDIALOG, InitMidiPage},
    {WM_NOTIFY, MidiNotify},
};
constexpr PageMessageTable MidiMessageTable = MakeMessageTable(kMidiMessages);

}  // namespace

INT_PTR CALLBACK MidiPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    return DispatchPageMessage(MidiMessageTable, page, msg, wp, lp);
}
