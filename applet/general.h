// zpcfgpnl: the General page and its mixer configurations share this record
// and these operations (page_general.cpp, mixer.cpp).
#pragma once

#include "applet.h"

inline constexpr int kMixerNameSize = 30;     // a configuration's name, at most 29 characters
inline constexpr int kSettingValueSize = 30;  // the page's switch and name values
inline constexpr int kLanguageSlots = 30;
inline constexpr int kMixerSlots = 30;

// One named mixer configuration; the list is kept in ascending name order
// (ASCII, case ignored) and never holds two names that compare equal.
struct MixerConfig {
    MixerConfig* prev;
    MixerConfig* next;
    char name[kMixerNameSize];
    char* settings;  // owned; may be null
    LONG inFile;     // 1: the file holds its key
    LONG removed;    // 1: removed or renamed away; kept until the next initialisation
};

struct GeneralSettings {
    char* LanguageKeys[kLanguageSlots];
    char* DefaultLanguage;
    char* MaxWaveClientsText;
    char* MixerKeys[kMixerSlots];
    char* DefaultMixerName;
    char CurrentMixerName[kMixerNameSize];
    LONG LanguageIndex;
    LONG LanguageCount;
    LONG MixerKeyCount;
    DWORD MixerSettingsSize;
    LONG EffectsOn;
    LONG SaveOnExit;
    LONG ApmOn;
    LONG GeneralChanged;
    MixerConfig* MixerConfigList;
};

extern GeneralSettings General;
extern LONG EffectsToggled;    // Effects was clicked since the page was initialised
extern LONG DriverUnavailable;  // set once the driver is found missing; the page is inert

LRESULT MarkGeneralChanged(HWND page);

// ---- the list (mixer.cpp) -------------------------------------------------------

enum InsertResult : int {
    kInserted = 0,
    kDuplicateName = -2,
    kNoMemoryForRecord = -3,
};

// The record named name (*found = 1); otherwise *found = 0 and the last
// record whose name sorts below it, or the first record when none does.
MixerConfig* FindMixerConfig(const char* name, LONG* found);
// Takes over settings only when it answers kInserted.
int InsertMixerConfig(const char* name, char* settings, LONG inFile, LONG removed);

// ---- the driver's mixer (mixer.cpp) ---------------------------------------------

// Only sizes from 1 to 32 767 bytes are taken from the driver.
inline constexpr DWORD kSettingsSizeLimit = 32768;
bool IsMixerSettingsText(const char* text);

// The live settings text in a new buffer the caller owns (null when the driver
// gave none); false when the driver could not be opened (the page is inert).
bool ReadMixerSettings(char** text, LONG* size);
void ApplyMixerSettings(const char* text);

// ---- the General page's calls into the mixer group (mixer.cpp) -------------------

void LoadMixerConfigNames(HWND page);  // first stage: current name, candidates, field 2004
bool LoadMixerConfigItems(HWND page);  // second stage; false when out of memory (box shown)
bool SaveMixerConfigs();               // false when a write failed (no box shown)

LRESULT AddMixerConfig(HWND page, WORD id, WORD code, HWND control);
LRESULT RestoreMixerConfig(HWND page, WORD id, WORD code, HWND control);
LRESULT RemoveMixerConfig(HWND page, WORD id, WORD code, HWND control);
LRESULT MixerKeyDown(HWND page, const NMHDR* header);
LRESULT RenameMixerConfig(HWND page, const NMHDR* header);
LRESULT MixerFocusChanged(HWND page, const NMHDR* header);
LRESULT SelectMixerConfig(HWND page, const NMHDR* header);
