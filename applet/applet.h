// zpcfgpnl: what the applet's sources share.  Entry and sheet (entry.cpp),
// page dispatch and exchange (dispatch.cpp), the audio driver (driver.cpp),
// the configuration file (config.cpp), and one source per page.
#pragma once

#include <cstddef>
#include <span>

#include "platform.h"
#include "resource.h"

// ---- applet-wide state (entry.cpp) ------------------------------------------

inline constexpr int kConfigPathSize = 260;

extern HINSTANCE ModuleInstance;
extern char ConfigFilePath[kConfigPathSize];

int FindConfigFilePath();
INT_PTR RunPropertySheet();

// Message boxes with a text of the string table, one OK button, no owner;
// caption IDS_ERROR_CAPTION or IDS_NOTICE_CAPTION.
void ShowErrorBox(int stringId);
void ShowNoticeBox(int stringId);

// Releases the General page's mixer configurations (mixer.cpp).
void FreeMixerConfigList();

// ---- the five page procedures (one source each) -------------------------------

INT_PTR CALLBACK ResourcesPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK GeneralPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK MidiPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK EmulationPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK AdvancedPageProc(HWND page, UINT msg, WPARAM wp, LPARAM lp);

// ---- heap texts ---------------------------------------------------------------
// Texts that a page keeps are owned by its record and live on the heap.

void* AllocMemory(std::size_t size);  // null when there is no memory
void FreeMemory(void* block);         // null is fine
char* CopyText(const char* text);     // heap copy, or null when out of memory
void FreeText(char*& slot);           // frees the slot's text and nulls it
// Frees the slot's text and stores a copy of text; false (slot null) when
// out of memory.
bool ReplaceText(char*& slot, const char* text);

// Bounded copy: at most size-1 bytes and always a NUL; size 0 copies nothing.
void CopyBounded(char* dst, std::size_t size, const char* src);

// ASCII comparisons: A-Z fold onto a-z and nothing else.
int CompareNoCase(const char* a, const char* b);  // <0, 0, >0 by unsigned bytes
bool EqualsNoCase(const char* a, const char* b);
bool StartsWithNoCase(const char* text, const char* prefix);

// ---- page dispatch (dispatch.cpp) ---------------------------------------------

// Page message handler: page window, message, word and long parameter.
using PageMessageHandler = LRESULT (*)(HWND page, UINT msg, WPARAM wp, LPARAM lp);
// Page command handler: page window, control id, notification code, control.
using PageCommandHandler = LRESULT (*)(HWND page, WORD id, WORD code, HWND control);

// What a message or command that no entry takes is answered with.
enum DefaultKind : LONG {
    kDefaultAnswerZero = 0,
    kDefaultWindowProc = 1,
    kDefaultDialogProc = 2,
};

struct PageMessageEntry {
    UINT message;
    PageMessageHandler handler;
};

struct PageMessageTable {
    LONG count;
    const PageMessageEntry* entries;
    LONG defaultKind;
};

struct PageCommandEntry {
    WORD controlId;  // 0: any control
    PageCommandHandler handler;  // null: the entry is inert
};

struct PageCommandTable {
    LONG count;
    const PageCommandEntry* entries;
    LONG defaultKind;
};

template <std::size_t N>
constexpr PageMessageTable MakeMessageTable(const PageMessageEntry (&entries)[N],
                                            LONG kind = kDefaultAnswerZero) {
    return {static_cast<LONG>(N), entries, kind};
}

template <std::size_t N>
constexpr PageCommandTable MakeCommandTable(const PageCommandEntry (&entries)[N],
                                            LONG kind = kDefaultAnswerZero) {
    return {static_cast<LONG>(N), entries, kind};
}

LRESULT CallDefaultProc(LONG kind, HWND page, UINT msg, WPARAM wp, LPARAM lp);
LRESULT DispatchPageMessage(const PageMessageTable& table, HWND page, UINT msg, WPARAM wp, LPARAM lp);
LRESULT DispatchPageCommand(const PageCommandTable& table, HWND page, WPARAM wp, LPARAM lp);

// {control id, help context id} pairs ended by {0, 0}, as WinHelpA takes them.
struct HelpIdPair {
    DWORD controlId;
    DWORD contextId;
};

inline constexpr char kHelpFile[] = "zpcfgpnl.hlp";

// The help handler's body: WinHelpA on the HELPINFO's item with the page's
// list; answers 0.
LRESULT ShowPageHelp(LPARAM helpInfo, const HelpIdPair* helpIds);

// The mark-changed step: PSM_CHANGED to the sheet, then the flag := 1.
LRESULT MarkPageChanged(HWND page, LONG& changedFlag);

// True for the notification codes that mark a page changed: BN_CLICKED (0),
// CBN_SELCHANGE (1) and CBN_EDITCHANGE (5).
bool IsChangeNotification(WORD code);

// The notify handler's body for PSN_APPLY (the apply step's result stored in
// DWL_MSGRESULT, answer 1) and PSN_KILLACTIVE (0 stored, answer 1); any other
// code answers 0 and *handled is false.
using PageApplyStep = LONG (*)(HWND page);
LRESULT HandleSheetNotify(HWND page, LPARAM lp, PageApplyStep apply, bool* handled = nullptr);

// ---- control data exchange (dispatch.cpp) -------------------------------------

struct ExchangeContext {
    HWND page;
    LONG direction;  // non-zero: save, controls -> variables; zero: load
};

inline constexpr int kExchangeTextSize = 512;

void ExchangeText(const ExchangeContext& ctx, int id, char** slot);
void ExchangeInt(const ExchangeContext& ctx, int id, LONG* value);
void ExchangeCheck(const ExchangeContext& ctx, int id, LONG* value);
void ExchangeComboText(const ExchangeContext& ctx, int id, char** slot);
void ExchangeComboIndex(const ExchangeContext& ctx, int id, LONG* value);

// ---- the audio driver (driver.cpp) -----------------------------------------------

enum DriverCode : DWORD {
    DIOC_GET_RESOURCES = 1,
    DIOC_GET_MIXER_SETTINGS = 11,
    DIOC_GET_MIXER_SETTINGS_SIZE = 12,
    DIOC_GET_MEMORY_INFO = 14,
    DIOC_SET_MIXER_SETTINGS = 15,
    DIOC_RELOAD_CONFIG = 16,
};

// One open of "\\.\vzpd.vxd", closed when it goes out of scope.
class AudioDriver {
public:
    AudioDriver() = default;
    AudioDriver(const AudioDriver&) = delete;
    AudioDriver& operator=(const AudioDriver&) = delete;
    ~AudioDriver() { Close(); }

    bool Open();  // false when the driver cannot be opened
    bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
    // DeviceIoControl on the open handle; false (and nothing sent) when closed.
    bool Control(DriverCode code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned);
    void Close();

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// Opens the driver and sends DIOC_RELOAD_CONFIG.  A failed open shows
// IDS_ERR_OPEN_DRIVER, releases the mixer configurations and answers 1;
// otherwise the request's success.
int ReloadDriverConfig();

// ---- the configuration file (config.cpp) ----------------------------------------
// Every access goes through the profile functions with ConfigFilePath.

// GetPrivateProfileStringA into buf, with the buffer cleared first and
// always NUL-terminated within size, whatever the platform left in it.
DWORD ReadConfig(const char* section, const char* key, const char* def, char* buf, DWORD size);
// WritePrivateProfileStringA; value null deletes the key.
BOOL WriteConfig(const char* section, const char* key, const char* value);
// Writes any cached copy of the file out (null section, key and value).
void FlushConfig();

// Switch reading: on when text equals onWord ignoring case, or when the
// value is empty (length 0) and emptyIsOn.
bool SwitchIsOn(const char* text, DWORD length, const char* onWord, bool emptyIsOn);

inline constexpr int kKeyListSize = 1024;

// The key-list walk: reads the key list of section (default "foo") and takes
// every name but "default" into names (old texts freed, unused slots null),
// at most names.size() of them, in file order, never reading past the list
// buffer.  When current is not null, the index of the name that equals it
// ignoring case goes to *selected; otherwise *selected is left alone.
// Answers the number of names taken.  With missing given, a list whose first
// name is "foo" ignoring case means the section is missing: *missing is set
// and no name is taken; without it, "foo" is taken like any other name.
LONG WalkKeyList(const char* section, std::span<char*> names, const char* current, LONG* selected,
                 bool* missing = nullptr);
