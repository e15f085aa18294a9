// The General page's mixer group when the driver goes away between two
// operations, and when memory runs out: what a scripted session cannot
// arrange.  The page runs on a one-page sheet of the applet's own template.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "applet_support.h"
#include "general.h"

namespace {

constexpr char kZpIni[] =
    "[languages]\r\ndefault=english\r\nenglish=English\r\n"
    "[mixer settings]\r\ndefault=Studio\r\nSaveOnWindowsExit=true\r\n"
    "Games=zp8a1:games\r\nStudio=zp8a1:studio\r\n";
constexpr char kCardPresent[] = "[devices]\nvzpd=present\n[mixer]\nsettings=zp8a1:studio\n";
constexpr char kCardAbsent[] = "[devices]\nvzpd=absent\n";
constexpr char kBox114[] =
    "Error opening VZPD.VXD.  Is your Harmonaire Plug & Play audio device installed?  "
    "Is your Harmonaire Plug & Play software installed?";

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string ZpIniPath() {
    return MachineRoot() + "/drive_c/HARMPNP/ZP.INI";
}

void SetCard(const char* text) {
    WriteFile(MachineRoot() + "/card.ini", text);
}

HWND List(HWND page) {
    return GetDlgItem(page, IDC_MIXER_LIST);
}

std::string ItemText(HWND list, int index) {
    char text[64] = "";
    LVITEMA item{};
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    return text;
}

std::vector<std::string> Items(HWND list) {
    std::vector<std::string> items;
    int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        items.push_back(ItemText(list, i));
    }
    return items;
}

int IndexOf(HWND list, const std::string& text) {
    std::vector<std::string> items = Items(list);
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i] == text) {
            return static_cast<int>(i);
        }
    }
    ADD_FAILURE() << "no item " << text;
    return -1;
}

void FocusItem(HWND page, const std::string& text) {
    LVITEMA item{};
    item.stateMask = LVIS_FOCUSED | LVIS_SELECTED;
    item.state = LVIS_FOCUSED | LVIS_SELECTED;
    SendMessageA(List(page), LVM_SETITEMSTATE, static_cast<WPARAM>(IndexOf(List(page), text)),
                 reinterpret_cast<LPARAM>(&item));
}

void DoubleClickItem(HWND page, const std::string& text) {
    HWND list = List(page);
    RECT rect{};
    rect.left = LVIR_BOUNDS;
    SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(IndexOf(list, text)), reinterpret_cast<LPARAM>(&rect));
    POINT client{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    POINT screen = client;
    ClientToScreen(list, &screen);
    SetCursorPos(screen.x, screen.y);
    SendMessageA(list, WM_LBUTTONDBLCLK, 1, MAKELPARAM(client.x, client.y));
}

void Click(HWND page, int id) {
    SendMessageA(GetDlgItem(page, id), BM_CLICK, 0, 0);
}

// The label edit's end, as the list view reports it.
LRESULT EndLabelEdit(HWND page, const std::string& item, const char* newText) {
    NMLVDISPINFOA info{};
    info.hdr.hwndFrom = List(page);
    info.hdr.idFrom = IDC_MIXER_LIST;
    info.hdr.code = LVN_ENDLABELEDITA;
    info.item.iItem = IndexOf(List(page), item);
    info.item.pszText = const_cast<char*>(newText);
    return SendMessageA(page, WM_NOTIFY, IDC_MIXER_LIST, reinterpret_cast<LPARAM>(&info));
}

std::string Field(HWND page, int id) {
    char text[64] = "";
    GetDlgItemTextA(page, id, text, sizeof text);
    return text;
}

std::string BoxTexts(const RecordingAgent& agent) {
    std::string texts;
    for (const BoxSeen& box : agent.boxes) {
        texts += (texts.empty() ? "" : " | ") + box.text;
    }
    return texts;
}

std::string ListNames() {
    std::string names;
    for (const MixerConfig* config = General.MixerConfigList; config != nullptr; config = config->next) {
        names += (names.empty() ? "" : " ") + std::string(config->name) + (config->removed != 0 ? "(removed)" : "");
    }
    return names;
}

class OnSheet : public ::testing::Test {
protected:
    void SetUp() override {
        LoadedApplet();
        CopyBounded(ConfigFilePath, sizeof ConfigFilePath, "C:\\HARMPNP\\ZP.INI");
        WriteFile(ZpIniPath(), kZpIni);
        SetCard(kCardPresent);
        DriverUnavailable = 0;
    }
    void TearDown() override {
        HostFailAlloc(0);
        FreeMixerConfigList();
        DriverUnavailable = 0;
    }
    // Runs body on a freshly initialised page.
    void OnPage(const std::function<void(HWND sheet, HWND page)>& body) {
        RunOnePageSheet(IDD_GENERAL, GeneralPageProc, body);
    }
};

// After each operation finds the driver gone: the one message, the list
// emptied (the items stay on screen), and whether the page turned inert.
TEST_F(OnSheet, DriverGoneInEachMixerOperation) {
    struct Case {
        const char* operation;
        std::function<void(HWND sheet, HWND page)> before;
        std::function<void(HWND sheet, HWND page)> act;
        LONG inert;
        const char* field;  // field 2004 afterwards
        std::size_t items;  // what stays on screen
    };
    const Case cases[] = {
        {"Add", nullptr, [](HWND, HWND page) { Click(page, IDC_MIXER_ADD); }, 0, "Studio", 2},
        {"Restore", [](HWND, HWND page) { FocusItem(page, "Studio"); },
         [](HWND, HWND page) { Click(page, IDC_MIXER_RESTORE); }, 1, "Studio", 2},
        {"double-click", nullptr, [](HWND, HWND page) { DoubleClickItem(page, "Games"); }, 1, "Studio", 2},
        {"Remove of the current one", [](HWND, HWND page) { FocusItem(page, "Studio"); },
         [](HWND, HWND page) { Click(page, IDC_MIXER_REMOVE); }, 1, "Games", 1},
        {"apply", [](HWND, HWND page) { Click(page, IDC_APM); },
         [](HWND sheet, HWND) { SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0); }, 0, "Studio", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.operation);
        SetUp();
        RecordingAgent agent;
        OnPage([&](HWND sheet, HWND page) {
            if (c.before) {
                c.before(sheet, page);
            }
            ASSERT_EQ(BoxTexts(agent), "");
            SetCard(kCardAbsent);
            c.act(sheet, page);
            EXPECT_EQ(BoxTexts(agent), kBox114);
            EXPECT_EQ(ListNames(), "");
            EXPECT_EQ(Items(List(page)).size(), c.items) << "the items stay on screen";
            EXPECT_EQ(DriverUnavailable, c.inert);
            EXPECT_EQ(Field(page, IDC_CURRENT_MIXER), c.field);

            // An inert page takes no change; a live one still does.
            General.GeneralChanged = 0;
            Click(page, IDC_SAVE_ON_EXIT);
            EXPECT_EQ(General.GeneralChanged, c.inert != 0 ? 0 : 1);
        });
        TearDown();
    }
}

// The apply that finds the driver gone still succeeds: the file is written.
TEST_F(OnSheet, ApplyWithoutDriverStillWrites) {
    RecordingAgent agent;
    OnPage([&](HWND sheet, HWND page) {
        Click(page, IDC_APM);
        SetCard(kCardAbsent);
        SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
        EXPECT_EQ(General.GeneralChanged, 0);
    });
    EXPECT_EQ(BoxTexts(agent), kBox114);
    EXPECT_NE(ReadFile(ZpIniPath()).find("apm=on\r\n"), std::string::npos) << ReadFile(ZpIniPath());
}

// Out of memory in Add and in a rename: the message, and what stays.
TEST_F(OnSheet, NoMemoryInAddAndRename) {
    struct Case {
        const char* what;
        long failingAlloc;  // counted from the operation's start
        std::function<void(HWND page)> act;
        const char* list;   // the records afterwards
        const char* items;  // the list view's items afterwards
    };
    const auto add = [](HWND page) { Click(page, IDC_MIXER_ADD); };
    const auto rename = [](HWND page) { EXPECT_EQ(EndLabelEdit(page, "Studio", "Night"), FALSE); };
    const Case cases[] = {
        {"Add, the snapshot", 1, add, "Games Studio", "Games Studio"},
        {"Add, the record", 2, add, "", "Games Studio"},
        {"rename, the copy", 1, rename, "Games Studio", "Games Studio"},
        {"rename, the record", 2, rename, "Games Studio", "Games Studio"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        RecordingAgent agent;
        OnPage([&](HWND, HWND page) {
            HostFailAlloc(c.failingAlloc);
            c.act(page);
            HostFailAlloc(0);
            EXPECT_EQ(BoxTexts(agent), "Out of memory.");
            EXPECT_EQ(ListNames(), c.list);
            std::string items;
            for (const std::string& item : Items(List(page))) {
                items += (items.empty() ? "" : " ") + item;
            }
            EXPECT_EQ(items, c.items);
            EXPECT_EQ(Field(page, IDC_CURRENT_MIXER), "Studio");
        });
        TearDown();
    }
}

// Every opening reads the file and the driver again; the language index
// and the records of the last opening do not come back, the index stays.
TEST_F(OnSheet, EachOpeningStartsFromTheFile) {
    WriteFile(ZpIniPath(),
              "[languages]\r\ndefault=german\r\nenglish=English\r\ngerman=Deutsch\r\n"
              "[mixer settings]\r\ndefault=Studio\r\nGames=zp8a1:games\r\nStudio=zp8a1:studio\r\n");
    std::remove((MachineRoot() + "/requests.log").c_str());
    {
        RecordingAgent agent;
        OnPage([&](HWND, HWND page) {
            EXPECT_EQ(SendDlgItemMessageA(page, IDC_LANGUAGE, CB_GETCURSEL, 0, 0), 1);
            Click(page, IDC_MIXER_ADD);
            EXPECT_EQ(ListNames(), "Games new_string Studio");
        });
        EXPECT_EQ(BoxTexts(agent), "");
    }
    WriteFile(ZpIniPath(),
              "[languages]\r\nenglish=English\r\ngerman=Deutsch\r\n"
              "[mixer settings]\r\ndefault=Studio\r\nGames=zp8a1:games\r\nStudio=zp8a1:studio\r\n");
    RecordingAgent agent;
    OnPage([&](HWND, HWND page) {
        EXPECT_EQ(SendDlgItemMessageA(page, IDC_LANGUAGE, CB_GETCURSEL, 0, 0), 1);
        EXPECT_EQ(ListNames(), "Games Studio");
        EXPECT_EQ(Items(List(page)).size(), 2u);
    });
    EXPECT_EQ(BoxTexts(agent), "Error reading default language from (zp.ini) configuration file.");
    EXPECT_EQ(ReadFile(MachineRoot() + "/requests.log"), "12\n11\n12\n");
}

// The Resources page asks the driver at every opening.
TEST_F(OnSheet, ResourcesAskTheDriverAtEveryOpening) {
    SetCard("[devices]\nvzpd=present\n[resources]\ncodec_io=0x32c\n");
    std::remove((MachineRoot() + "/requests.log").c_str());
    for (int opening = 0; opening < 2; ++opening) {
        RecordingAgent agent;
        RunOnePageSheet(IDD_RESOURCES, ResourcesPageProc, [&](HWND, HWND page) {
            EXPECT_EQ(Field(page, IDC_CODEC_IO), "32c - 32f") << "opening " << opening;
        });
        EXPECT_EQ(BoxTexts(agent), "");
    }
    EXPECT_EQ(ReadFile(MachineRoot() + "/requests.log"), "1\n14\n1\n14\n");
}

}  // namespace
