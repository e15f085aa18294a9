// zpcfgpnl: the General page's named mixer configurations.  Snapshots of the
// driver's mixer settings, held in memory and written at apply.
#include <cstring>

#include "general.h"

namespace {

constexpr char kMixerSection[] = "mixer settings";
constexpr char kSettingsTag[] = "zp8a1";
constexpr char kNewName[] = "new_string";
// The prompt's caption, spelled as users of the panel have always seen it.
constexpr char kPromptCaption[] = "Harmonaire Plug & Play Configuation Panel";
constexpr char kPromptFormat[] =
    "The mixer settings are different from those saved for \"%s\".  "
    "Do you want to save the current mixer settings to \"%s\"?";
constexpr char kNameRefused[] = "\\;/ =:\"";
constexpr int kItemTextSize = 40;
constexpr int kPromptSize = 256;
constexpr DWORD kFirstReadSize = 256;  // when the driver's size is of no use
constexpr int kImageIndex = 0;

static_assert(sizeof kPromptFormat - 4 + 2 * (kMixerNameSize - 1) < kPromptSize);

bool SettingsSizeUsable(DWORD size) {
    return size > 0 && size < kSettingsSizeLimit;
}

HWND MixerList(HWND page) {
    return GetDlgItem(page, IDC_MIXER_LIST);
}

// The item's text, at most 39 characters; empty when there is no such item.
void GetItemText(HWND list, int item, char (&text)[kItemTextSize]) {
    text[0] = '\0';
    LVITEMA lv{};
    lv.iSubItem = 0;
    lv.pszText = text;
    lv.cchTextMax = kItemTextSize;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&lv));
    text[kItemTextSize - 1] = '\0';
}

int ItemCount(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

int FocusedItem(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
}

void InsertItem(HWND list, const char* name, UINT state) {
    LVITEMA lv{};
    lv.mask = LVIF_TEXT | LVIF_IMAGE | (state != 0 ? LVIF_STATE : 0u);
    lv.iItem = ItemCount(list);
    lv.pszText = const_cast<char*>(name);
    lv.iImage = kImageIndex;
    lv.state = state;
    lv.stateMask = state;
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&lv));
}

void EnableItemButtons(HWND page, BOOL enable) {
    EnableWindow(GetDlgItem(page, IDC_MIXER_REMOVE), enable);
    EnableWindow(GetDlgItem(page, IDC_MIXER_RESTORE), enable);
}

void SetCurrentMixer(HWND page, const char* name) {
    SetDlgItemTextA(page, IDC_CURRENT_MIXER, name);
    CopyBounded(General.CurrentMixerName, kMixerNameSize, name);
}

// The driver is gone: the page turns inert and forgets its configurations.
void DriverMissing() {
    DriverUnavailable = 1;
    ShowErrorBox(IDS_ERR_OPEN_DRIVER);
    FreeMixerConfigList();
}

MixerConfig* FindLive(const char* name) {
    LONG found = 0;
    MixerConfig* config = FindMixerConfig(name, &found);
    return found != 0 && config->removed == 0 ? config : nullptr;
}

MixerConfig* FindExact(const char* name) {
    LONG found = 0;
    MixerConfig* config = FindMixerConfig(name, &found);
    return found != 0 ? config : nullptr;
}

enum class StoredRead { kRead, kTooLong, kNoMemory };

// Reads a configuration's stored value whole: the buffer starts at
// firstSize bytes and grows while the value fills it, up to the limit.
StoredRead ReadStoredSettings(const char* name, const char* fallback, DWORD firstSize, char** value) {
    *value = nullptr;
    DWORD size = firstSize < kSettingsSizeLimit ? firstSize : kSettingsSizeLimit;
    for (;;) {
        char* buffer = static_cast<char*>(AllocMemory(size));
        if (buffer == nullptr) {
            return StoredRead::kNoMemory;
        }
        DWORD length = ReadConfig(kMixerSection, name, fallback, buffer, size);
        if (length + 1 < size) {
            *value = buffer;
            return StoredRead::kRead;
        }
        FreeMemory(buffer);
        if (size >= kSettingsSizeLimit) {
            return StoredRead::kTooLong;
        }
        size = size * 2 < kSettingsSizeLimit ? size * 2 : kSettingsSizeLimit;
    }
}

// The first name of "new_string", "new_string1", "new_string2", ... that
// no live configuration holds.
void ProposeNewName(char (&name)[kMixerNameSize]) {
    CopyBounded(name, sizeof name, kNewName);
    for (int n = 1; FindLive(name) != nullptr; ++n) {
        wsprintfA(name, "new_string%d", n);
    }
}

bool NameIsAllowed(const char* name) {
    if (EqualsNoCase(name, "default") || std::strpbrk(name, kNameRefused) != nullptr) {
        return false;
    }
    return std::strlen(name) < static_cast<std::size_t>(kMixerNameSize);
}

// Gives a revived record a new snapshot, keeping where it is stored.
void Revive(MixerConfig* config, char* settings) {
    FreeMemory(config->settings);
    config->settings = settings;
    config->removed = 0;
}

}  // namespace

// ---- the list -------------------------------------------------------------------

MixerConfig* FindMixerConfig(const char* name, LONG* found) {
    *found = 0;
    MixerConfig* config = General.MixerConfigList;
    if (config == nullptr) {
        return nullptr;
    }
    while (config->next != nullptr && CompareNoCase(config->name, name) < 0) {
        config = config->next;
    }
    int order = CompareNoCase(config->name, name);
    if (order == 0) {
        *found = 1;
        return config;
    }
    if (order > 0) {
        return config->prev != nullptr ? config->prev : config;
    }
    return config;
}

int InsertMixerConfig(const char* name, char* settings, LONG inFile, LONG removed) {
    MixerConfig* first = General.MixerConfigList;
    MixerConfig* after = nullptr;
    if (first != nullptr && CompareNoCase(first->name, name) <= 0) {
        LONG found = 0;
        after = FindMixerConfig(name, &found);
        if (found != 0) {
            return kDuplicateName;
        }
    }
    auto* config = static_cast<MixerConfig*>(AllocMemory(sizeof(MixerConfig)));
    if (config == nullptr) {
        return kNoMemoryForRecord;
    }
    if (after != nullptr) {
        config->prev = after;
        config->next = after->next;
        if (after->next != nullptr) {
            after->next->prev = config;
        }
        after->next = config;
    } else {
        config->prev = nullptr;
        config->next = first;
        if (first != nullptr) {
            first->prev = config;
        }
        General.MixerConfigList = config;
    }
    CopyBounded(config->name, kMixerNameSize, name);
    config->settings = settings;
    config->inFile = inFile;
    config->removed = removed;
    return kInserted;
}

void FreeMixerConfigList() {
    MixerConfig* config = General.MixerConfigList;
    while (config != nullptr) {
        MixerConfig* next = config->next;
        FreeMemory(config->settings);
        FreeMemory(config);
        config = next;
    }
    General.MixerConfigList = nullptr;
}

// ---- the driver's mixer ---------------------------------------------------------------

bool IsMixerSettingsText(const char* text) {
    return text != nullptr && StartsWithNoCase(text, kSettingsTag);
}

bool ReadMixerSettings(char** text, LONG* size) {
    *text = nullptr;
    AudioDriver driver;
    if (!driver.Open()) {
        DriverMissing();
        return false;
    }
    DWORD reported = 0;
    DWORD returned = 0;
    driver.Control(DIOC_GET_MIXER_SETTINGS_SIZE, nullptr, 0, &reported, sizeof reported, &returned);
    General.MixerSettingsSize = reported;
    if (size != nullptr) {
        *size = static_cast<SHORT>(reported);
    }
    if (SettingsSizeUsable(reported)) {
        auto* buffer = static_cast<char*>(AllocMemory(reported + 1));
        if (buffer != nullptr) {
            std::memset(buffer, 0, reported + 1);
            driver.Control(DIOC_GET_MIXER_SETTINGS, nullptr, 0, buffer, reported, &returned);
            *text = buffer;
        }
    }
    return true;
}

void ApplyMixerSettings(const char* text) {
    AudioDriver driver;
    if (!driver.Open()) {
        DriverMissing();
        return;
    }
    if (text != nullptr) {
        // The driver takes the text up to its terminator; the stated length is 5.
        DWORD returned = 0;
        driver.Control(DIOC_SET_MIXER_SETTINGS, const_cast<char*>(text), 5, nullptr, 0, &returned);
    }
}

// ---- loading and saving -------------------------------------------------------------

void LoadMixerConfigNames(HWND page) {
    FreeMixerConfigList();
    char name[kSettingValueSize];
    ReadConfig(kMixerSection, "default", " ", name, sizeof name);
    if (std::strcmp(name, " ") == 0) {
        ShowErrorBox(IDS_ERR_READ_MIXER);
        name[0] = '\0';
    }
    ReplaceText(General.DefaultMixerName, name);
    CopyBounded(General.CurrentMixerName, kMixerNameSize, name);
    LONG unused = 0;
    General.MixerKeyCount = WalkKeyList(kMixerSection, General.MixerKeys, nullptr, &unused);
    SetDlgItemTextA(page, IDC_CURRENT_MIXER, General.DefaultMixerName != nullptr ? General.DefaultMixerName : "");
}

bool LoadMixerConfigItems(HWND page) {
    HWND list = MixerList(page);
    HICON icon = LoadIconA(ModuleInstance, MAKEINTRESOURCEA(IDI_MIXER));
    HIMAGELIST large = ImageList_Create(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), ILC_MASK, 1, 1);
    HIMAGELIST small = ImageList_Create(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), ILC_MASK, 1, 1);
    ImageList_ReplaceIcon(large, -1, icon);
    ImageList_ReplaceIcon(small, -1, icon);
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_NORMAL, reinterpret_cast<LPARAM>(large));
    SendMessageA(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(small));

    DWORD size = General.MixerSettingsSize;
    DWORD firstSize = SettingsSizeUsable(size) ? size + 1 : kFirstReadSize;
    for (LONG i = 0; i < General.MixerKeyCount && i < kMixerSlots; ++i) {
        const char* name = General.MixerKeys[i];
        // A key whose name does not fit a record is left alone in the file.
        if (name == nullptr || std::strlen(name) >= static_cast<std::size_t>(kMixerNameSize)) {
            continue;
        }
        char* settings = nullptr;
        StoredRead read = ReadStoredSettings(name, "", firstSize, &settings);
        if (read == StoredRead::kNoMemory) {
            ShowErrorBox(IDS_ERR_MEMORY);
            return false;
        }
        if (read == StoredRead::kTooLong || !IsMixerSettingsText(settings)) {
            FreeMemory(settings);
            continue;
        }
        int inserted = InsertMixerConfig(name, settings, 1, 0);
        if (inserted == kNoMemoryForRecord) {
            FreeMemory(settings);
            ShowErrorBox(IDS_ERR_MEMORY);
            FreeMixerConfigList();
            return false;
        }
        if (inserted == kDuplicateName) {
            FreeMemory(settings);
            continue;
        }
        InsertItem(list, name, 0);
    }
    return true;
}

bool SaveMixerConfigs() {
    for (MixerConfig* config = General.MixerConfigList; config != nullptr; config = config->next) {
        if (config->removed == 0) {
            if (config->settings == nullptr) {
                continue;
            }
            if (!WriteConfig(kMixerSection, config->name, config->settings)) {
                return false;
            }
            config->inFile = 1;
        } else if (config->inFile != 0) {
            if (!WriteConfig(kMixerSection, config->name, nullptr)) {
                return false;
            }
        }
    }
    return WriteConfig(kMixerSection, "default", General.CurrentMixerName) != FALSE;
}

// ---- the buttons and the list view --------------------------------------------------

LRESULT AddMixerConfig(HWND page, WORD id, WORD code, HWND control) {
    if (code != BN_CLICKED || DriverUnavailable != 0) {
        return 0;
    }
    char name[kMixerNameSize];
    ProposeNewName(name);

    DWORD size = General.MixerSettingsSize;
    char* settings = nullptr;
    if (SettingsSizeUsable(size)) {
        settings = static_cast<char*>(AllocMemory(size + 1));
        if (settings == nullptr) {
            ShowErrorBox(IDS_ERR_MEMORY);
            return 0;
        }
        std::memset(settings, 0, size + 1);
    }
    AudioDriver driver;
    if (!driver.Open()) {
        ShowErrorBox(IDS_ERR_OPEN_DRIVER);
        FreeMixerConfigList();
        FreeMemory(settings);
        return 0;
    }
    if (settings != nullptr) {
        DWORD returned = 0;
        driver.Control(DIOC_GET_MIXER_SETTINGS, nullptr, 0, settings, size, &returned);
    }
    driver.Close();
    // Without a snapshot from the driver there is nothing to keep.
    if (!IsMixerSettingsText(settings)) {
        FreeMemory(settings);
        return 0;
    }

    if (MixerConfig* old = FindExact(name); old != nullptr && old->removed != 0) {
        Revive(old, settings);
    } else if (InsertMixerConfig(name, settings, 0, 0) != kInserted) {
        ShowErrorBox(IDS_ERR_MEMORY);
        FreeMixerConfigList();
        FreeMemory(settings);
        return 0;
    }

    HWND list = MixerList(page);
    InsertItem(list, name, LVIS_FOCUSED | LVIS_SELECTED);
    MarkGeneralChanged(page);

    SetFocus(list);
    char text[kItemTextSize];
    for (int item = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_ALL));
         item >= 0;
         item = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(item), LVNI_ALL))) {
        GetItemText(list, item, text);
        if (EqualsNoCase(text, name)) {
            SendMessageA(list, LVM_EDITLABELA, static_cast<WPARAM>(item), 0);
            break;
        }
    }
    return 0;
}

LRESULT RemoveMixerConfig(HWND page, WORD id, WORD code, HWND control) {
    if (code != BN_CLICKED || DriverUnavailable != 0) {
        return 0;
    }
    HWND list = MixerList(page);
    if (ItemCount(list) == 1) {
        ShowNoticeBox(IDS_NOTE_LAST_MIXER);
        return 0;
    }
    int item = FocusedItem(list);
    if (item < 0) {
        return 0;
    }
    char text[kItemTextSize];
    GetItemText(list, item, text);
    MixerConfig* config = FindExact(text);
    if (config == nullptr) {
        return 0;
    }
    config->removed = 1;
    SendMessageA(list, LVM_DELETEITEM, static_cast<WPARAM>(item), 0);
    SendMessageA(list, LVM_ARRANGE, LVA_DEFAULT, 0);

    if (EqualsNoCase(config->name, General.CurrentMixerName)) {
        GetItemText(list, item > 0 ? item - 1 : 0, text);
        SetCurrentMixer(page, text);
        if (MixerConfig* current = FindExact(General.CurrentMixerName); current != nullptr) {
            ApplyMixerSettings(current->settings);
        }
    }
    MarkGeneralChanged(page);
    EnableItemButtons(page, FALSE);
    return 0;
}

LRESULT MixerKeyDown(HWND page, const NMHDR* header) {
    const auto* key = reinterpret_cast<const NMLVKEYDOWN*>(header);
    if (key->wVKey == VK_DELETE) {
        RemoveMixerConfig(page, IDC_MIXER_LIST, BN_CLICKED, nullptr);
    }
    return TRUE;
}

LRESULT RestoreMixerConfig(HWND page, WORD id, WORD code, HWND control) {
    HWND list = MixerList(page);
    int item = FocusedItem(list);
    if (item < 0 || item >= ItemCount(list)) {
        return 0;
    }
    char text[kItemTextSize];
    GetItemText(list, item, text);
    MixerConfig* config = FindExact(text);
    if (config == nullptr) {
        return 0;
    }
    AudioDriver driver;
    if (!driver.Open()) {
        DriverMissing();
        return 0;
    }
    DWORD size = 0;
    DWORD returned = 0;
    driver.Control(DIOC_GET_MIXER_SETTINGS_SIZE, nullptr, 0, &size, sizeof size, &returned);
    driver.Close();

    char* stored = nullptr;
    DWORD firstSize = SettingsSizeUsable(size) ? size + 100 : kFirstReadSize;
    StoredRead read = ReadStoredSettings(config->name, "foo", firstSize, &stored);
    if (read == StoredRead::kNoMemory) {
        ShowErrorBox(IDS_ERR_MEMORY);
        return 0;
    }
    if (read == StoredRead::kTooLong || std::strcmp(stored, "foo") == 0 || config->settings == nullptr) {
        FreeMemory(stored);
        return 0;
    }
    FreeMemory(config->settings);
    config->settings = stored;
    if (std::strcmp(config->name, General.CurrentMixerName) == 0) {
        ApplyMixerSettings(stored);
    }
    return 0;
}

LRESULT RenameMixerConfig(HWND page, const NMHDR* header) {
    const auto* info = reinterpret_cast<const NMLVDISPINFOA*>(header);
    if (DriverUnavailable != 0 || info->item.iItem == -1 || info->item.pszText == nullptr) {
        return FALSE;
    }
    const char* newName = info->item.pszText;
    if (!NameIsAllowed(newName)) {
        ShowNoticeBox(IDS_NOTE_BAD_MIXER_NAME);
        return FALSE;
    }
    HWND list = MixerList(page);
    char oldName[kItemTextSize];
    GetItemText(list, info->item.iItem, oldName);
    if (std::strcmp(newName, oldName) == 0) {
        return FALSE;
    }
    if (FindLive(newName) != nullptr) {
        ShowNoticeBox(IDS_NOTE_DUPLICATE_MIXER);
        return FALSE;
    }
    MixerConfig* old = FindExact(oldName);
    if (old == nullptr) {
        return FALSE;
    }
    char* copy = nullptr;
    if (old->settings != nullptr) {
        copy = CopyText(old->settings);
        if (copy == nullptr) {
            ShowErrorBox(IDS_ERR_MEMORY);
            return FALSE;
        }
    }
    if (MixerConfig* target = FindExact(newName); target != nullptr) {
        Revive(target, copy);
    } else if (InsertMixerConfig(newName, copy, 0, 0) != kInserted) {
        ShowErrorBox(IDS_ERR_MEMORY);
        FreeMemory(copy);
        return FALSE;
    }
    old->removed = 1;

    LVITEMA lv{};
    lv.iSubItem = 0;
    lv.pszText = const_cast<char*>(newName);
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(info->item.iItem), reinterpret_cast<LPARAM>(&lv));
    SendMessageA(list, LVM_ARRANGE, LVA_DEFAULT, 0);

    if (EqualsNoCase(oldName, General.CurrentMixerName)) {
        SetCurrentMixer(page, newName);
    }
    MarkGeneralChanged(page);
    return TRUE;
}

LRESULT MixerFocusChanged(HWND page, const NMHDR* header) {
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if ((change->uOldState & LVIS_FOCUSED) != 0 && (change->uNewState & LVIS_FOCUSED) == 0) {
        EnableItemButtons(page, FALSE);
    } else if ((change->uNewState & LVIS_FOCUSED) != 0) {
        EnableItemButtons(page, TRUE);
    }
    return TRUE;
}

LRESULT SelectMixerConfig(HWND page, const NMHDR* header) {
    if (DriverUnavailable != 0) {
        return FALSE;
    }
    HWND list = MixerList(page);
    DWORD where = GetMessagePos();
    POINT point{static_cast<SHORT>(LOWORD(where)), static_cast<SHORT>(HIWORD(where))};
    ScreenToClient(list, &point);
    if (ChildWindowFromPoint(list, point) != list) {
        return FALSE;
    }
    LVHITTESTINFO hit{};
    hit.pt = point;
    hit.flags = LVHT_ONITEM;
    int item = static_cast<int>(SendMessageA(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (item < 0) {
        return FALSE;
    }
    char clicked[kItemTextSize];
    GetItemText(list, item, clicked);
    if (std::strcmp(clicked, General.CurrentMixerName) == 0) {
        return FALSE;
    }

    char* live = nullptr;
    if (!ReadMixerSettings(&live, nullptr)) {
        return FALSE;
    }
    MixerConfig* current = FindExact(General.CurrentMixerName);
    // A live text that is no settings text is not worth a question.
    if (current != nullptr && current->settings != nullptr && IsMixerSettingsText(live) &&
        std::strcmp(current->settings, live) != 0) {
        char prompt[kPromptSize];
        wsprintfA(prompt, kPromptFormat, General.CurrentMixerName, General.CurrentMixerName);
        int answer = MessageBoxA(nullptr, prompt, kPromptCaption, MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL) {
            FreeMemory(live);
            return FALSE;
        }
        if (answer == IDYES) {
            char* snapshot = nullptr;
            if (!ReadMixerSettings(&snapshot, nullptr)) {
                FreeMemory(live);
                return FALSE;
            }
            current = FindExact(General.CurrentMixerName);
            if (current != nullptr && IsMixerSettingsText(snapshot)) {
                FreeMemory(current->settings);
                current->settings = snapshot;
            } else {
                FreeMemory(snapshot);
            }
        }
    }
    FreeMemory(live);

    SetCurrentMixer(page, clicked);
    if (MixerConfig* target = FindExact(clicked); target != nullptr && target->settings != nullptr) {
        ApplyMixerSettings(target->settings);
    }
    EnableItemButtons(page, FALSE);
    MarkGeneralChanged(page);
    return FALSE;
}
