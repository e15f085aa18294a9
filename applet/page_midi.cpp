// The Midi page: the current patch set and synchronous MIDI output.
#include "applet.h"

namespace {

LONG MidiChanged = 0;

constexpr HelpIdPair MidiHelpIds[] = {
    {IDC_MIDI_SYNC, IDC_MIDI_SYNC},
    {IDC_PATCH_SET, IDC_PATCH_SET},
    {0, 0},
};

LRESULT MidiHelp(HWND, UINT, WPARAM, LPARAM lp) {
    return ShowPageHelp(lp, MidiHelpIds);
}

LRESULT MarkMidiChanged(HWND page) {
    return MarkPageChanged(page, MidiChanged);
}

LRESULT MidiSyncClicked(HWND page, WORD, WORD code, HWND) {
    if (code == BN_CLICKED) {
        MarkMidiChanged(page);
    }
    return 0;
}

// The check box has its own entry; the catch-all sees the combo box.
LRESULT MidiControlChanged(HWND page, WORD, WORD code, HWND) {
    if (code == CBN_SELCHANGE || code == CBN_EDITCHANGE) {
        MarkMidiChanged(page);
    }
    return 0;
}

constexpr PageCommandEntry MidiCommandEntries[] = {
    {IDC_MIDI_SYNC, MidiSyncClicked},
    {0, MidiControlChanged},
};
constexpr PageCommandTable MidiCommandTable = MakeCommandTable(MidiCommandEntries);

LRESULT MidiCommand(HWND page, UINT, WPARAM wp, LPARAM lp) {
    return DispatchPageCommand(MidiCommandTable, page, wp, lp);
}

LRESULT InitMidiPage(HWND, UINT, WPARAM, LPARAM) {
    MidiChanged = 0;
    return 1;
}

LONG ApplyMidiPage(HWND) {
    MidiChanged = 0;
    return PSNRET_NOERROR;
}

LRESULT MidiNotify(HWND page, UINT, WPARAM, LPARAM lp) {
    return HandleSheetNotify(page, lp, ApplyMidiPage);
}

constexpr PageMessageEntry MidiMessageEntries[] = {
    {WM_HELP, MidiHelp},
    {WM_COMMAND, MidiCommand},
    {WM_INITDIALOG, InitMidiPage},
    {WM_NOTIFY, MidiNotify},
};
constexpr PageMessageTable MidiMessageTable = MakeMessageTable(MidiMessageEntries);

}  // namespace

INT_PTR CALLBACK MidiPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp) {
    return DispatchPageMessage(MidiMessageTable, page, msg, wp, lp);
}
