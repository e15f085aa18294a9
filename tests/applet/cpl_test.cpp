// The control-panel entry of the built applet, the configuration file's
// path, the sheet it runs and the notices after it, and the pages' tables
// as the real sheet routes to them.
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "applet_support.h"

namespace {

// The built applet's entry, on a machine with the sample card and
// configuration file.
APPLET_PROC Entry() {
    HMODULE module = LoadedApplet();
    PutSampleFiles(MachineRoot());
    return reinterpret_cast<APPLET_PROC>(reinterpret_cast<void*>(GetProcAddress(module, "CPlApplet")));
}

TEST(ControlPanel, AnswersEveryMessage) {
    APPLET_PROC entry = Entry();
    ASSERT_NE(entry, nullptr);
    RecordingAgent agent;
    EXPECT_EQ(entry(nullptr, CPL_INIT, 0, 0), 1);
    EXPECT_EQ(entry(nullptr, CPL_GETCOUNT, 0, 0), 1);

    CPLINFO info;
    std::memset(&info, 0x5a, sizeof info);
    CPLINFO untouched = info;
    EXPECT_EQ(entry(nullptr, CPL_INQUIRE, 0, reinterpret_cast<LPARAM>(&info)), 0);
    EXPECT_EQ(std::memcmp(&info, &untouched, sizeof info), 0) << "CPL_INQUIRE wrote the record";

    NEWCPLINFOA inquire;
    std::memset(&inquire, 0x5a, sizeof inquire);
    EXPECT_EQ(entry(nullptr, CPL_NEWINQUIRE, 0, reinterpret_cast<LPARAM>(&inquire)), 0);
    EXPECT_EQ(inquire.dwSize, sizeof(NEWCPLINFOA));
    EXPECT_EQ(inquire.dwFlags, 0u);
    EXPECT_EQ(inquire.dwHelpContext, 0u);
    EXPECT_EQ(inquire.lData, 0);
    EXPECT_NE(inquire.hIcon, nullptr);
    EXPECT_STREQ(inquire.szName, "Harmonaire PnP");
    EXPECT_STREQ(inquire.szInfo, "Change or view settings of the Harmonaire Plug & Play.");
    EXPECT_EQ(inquire.szHelpFile[0], '\0');
    DestroyIcon(inquire.hIcon);  // the control panel's to release

    for (UINT msg : {static_cast<UINT>(CPL_SELECT), static_cast<UINT>(CPL_STOP), 99u}) {
        EXPECT_EQ(entry(nullptr, msg, 0, 0), 0) << "message " << msg;
    }
    EXPECT_EQ(entry(nullptr, CPL_EXIT, 0, 0), 0);
    EXPECT_EQ(entry(nullptr, CPL_EXIT, 0, 0), 0) << "a second release";
    EXPECT_TRUE(agent.boxes.empty());
}

// The sheet: its caption, five pages, and the result dropped.
TEST(ControlPanel, DoubleClickRunsTheSheet) {
    APPLET_PROC entry = Entry();
    ASSERT_EQ(entry(nullptr, CPL_INIT, 0, 0), 1);
    RecordingAgent agent;
    std::string caption;
    LRESULT tabs = -1;
    agent.step = [&](HWND sheet) {
        char text[128] = {};
        GetWindowTextA(sheet, text, sizeof text);
        caption = text;
        HWND tab = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
        tabs = SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0);
        return 0;
    };
    EXPECT_EQ(entry(nullptr, CPL_DBLCLK, 0, 0), 0);
    EXPECT_EQ(caption, "Harmonaire Plug & Play Properties");
    EXPECT_EQ(tabs, 5);
    EXPECT_TRUE(agent.boxes.empty());
}

struct NoticeCase {
    const char* name;
    UINT request;  // sent to the sheet before OK; 0: the sheet is cancelled
    const char* text;  // the notice shown after the sheet, or null
};

const NoticeCase kNoticeCases[] = {
    {"cancelled", 0, nullptr},
    {"restart asked", PSM_RESTARTWINDOWS,
     "The changes you have made will not take effect until windows is restarted."},
    {"reboot asked", PSM_REBOOTSYSTEM,
     "The changes you have made will not take effect until the system is rebooted."},
};

TEST(ControlPanel, NoticeAfterTheSheet) {
    APPLET_PROC entry = Entry();
    ASSERT_EQ(entry(nullptr, CPL_INIT, 0, 0), 1);
    for (const NoticeCase& c : kNoticeCases) {
        RecordingAgent agent;
        bool pressed = false;
        agent.step = [&](HWND sheet) {
            if (c.request == 0 || pressed) {
                return 0;
            }
            pressed = true;
            SendMessageA(sheet, c.request, 0, 0);
            SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
            return 1;
        };
        entry(nullptr, CPL_DBLCLK, 0, 0);
        std::vector<std::string> got;
        for (const BoxSeen& box : agent.boxes) {
            got.push_back(box.caption + " | " + box.text + " | " + std::to_string(box.type));
        }
        std::vector<std::string> expected;
        if (c.text) {
            expected.push_back(std::string("Harmonaire Plug & Play Configuration Panel | ") + c.text + " | 0");
        }
        EXPECT_EQ(got, expected) << c.name;
    }
}

// ---- the pages' tables through the real sheet ------------------------------------

struct PageHelp {
    const char* page;
    int index;
    std::vector<DWORD> ids;
};

const PageHelp kPageHelp[] = {
    {"Resources", 0, {1000, 1001, 1002, 1003, 1004, 1100, 1010, 1005, 1007, 1009, 1008, 1025, 1011, 1012, 1013,
                      1014, 1015, 1016, 1017, 1018}},
    {"General", 1, {2000, 2001, 2002, 2003, 1022, 2004, 2008, 2007, 2009, 2010}},
    {"Midi", 2, {3001, 3000}},
    {"Emulation", 3, {4000, 4001, 4002}},
    {"Advanced", 4, {5000, 5001, 5002, 5003}},
};

HWND ShowPage(HWND sheet, int index) {
    SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(index), 0);
    return reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
}

LRESULT AskHelp(HWND page, int id) {
    HELPINFO info = {};
    info.cbSize = sizeof info;
    info.iContextType = HELPINFO_WINDOW;
    info.iCtrlId = id;
    info.hItemHandle = GetDlgItem(page, id);
    info.dwContextId = static_cast<DWORD_PTR>(id);
    return SendMessageA(page, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
}

LRESULT Command(HWND page, WORD id, WORD code) {
    return SendMessageA(page, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(page, id)));
}

bool ApplyEnabled(HWND sheet) {
    return IsWindowEnabled(GetDlgItem(sheet, IDC_APPLY_BUTTON)) != 0;
}

TEST(ControlPanel, EveryPageHasItsHelpList) {
    APPLET_PROC entry = Entry();
    ASSERT_EQ(entry(nullptr, CPL_INIT, 0, 0), 1);
    RecordingAgent agent;
    agent.step = [&](HWND sheet) {
        for (const PageHelp& p : kPageHelp) {
            HWND page = ShowPage(sheet, p.index);
            size_t before = agent.helps.size();
            EXPECT_EQ(AskHelp(page, static_cast<int>(p.ids.front())), 0) << p.page;
            if (agent.helps.size() != before + 1) {
                ADD_FAILURE() << p.page << ": no help request";
                continue;
            }
            const HelpSeen& seen = agent.helps.back();
            EXPECT_EQ(seen.file, "zpcfgpnl.hlp") << p.page;
            EXPECT_EQ(seen.command, static_cast<UINT>(HELP_WM_HELP)) << p.page;
            std::vector<DWORD> controls, contexts;
            for (const HelpIdPair& pair : seen.pairs) {
                controls.push_back(pair.controlId);
                contexts.push_back(pair.contextId);
            }
            EXPECT_EQ(controls, p.ids) << p.page;
            EXPECT_EQ(contexts, p.ids) << p.page << ": each context id is its control id";
        }
        return 0;
    };
    entry(nullptr, CPL_DBLCLK, 0, 0);
    EXPECT_EQ(agent.helps.size(), std::size(kPageHelp));
}

// Which commands mark a page changed (the sheet's Apply button comes on):
// the Resources page takes none, Midi's check box only its click, and the
// catch-all entries only clicks and combo box changes.
TEST(ControlPanel, CommandsThatMarkAPageChanged) {
    struct CommandCase {
        const char* name;
        int page;
        WORD id;
        WORD code;
        bool marks;
    };
    const CommandCase cases[] = {
        {"Resources field", 0, IDC_SYNTH_DMA1, BN_CLICKED, false},
        {"Midi check box, selection code", 2, IDC_MIDI_SYNC, CBN_SELCHANGE, false},
        {"Midi combo box, click code", 2, IDC_PATCH_SET, BN_CLICKED, false},
        {"Emulation combo box, edit change", 3, IDC_PATCH_LOCATION, EN_CHANGE, false},
        {"General mixer field, edit change", 1, IDC_CURRENT_MIXER, EN_CHANGE, false},
        {"Midi combo box, selection", 2, IDC_PATCH_SET, CBN_SELCHANGE, true},
        {"Midi check box, click", 2, IDC_MIDI_SYNC, BN_CLICKED, true},
        {"Emulation combo box, typing", 3, IDC_PATCH_LOCATION, CBN_EDITCHANGE, true},
        {"General effects, click", 1, IDC_EFFECTS, BN_CLICKED, true},
        {"Advanced GPU usage, selection", 4, IDC_GPU_USAGE, CBN_SELCHANGE, true},
    };
    APPLET_PROC entry = Entry();
    ASSERT_EQ(entry(nullptr, CPL_INIT, 0, 0), 1);
    for (const CommandCase& c : cases) {
        RecordingAgent agent;
        bool before = true;
        bool after = false;
        LRESULT answer = -1;
        agent.step = [&](HWND sheet) {
            HWND page = ShowPage(sheet, c.page);
            before = ApplyEnabled(sheet);
            answer = Command(page, c.id, c.code);
            after = ApplyEnabled(sheet);
            return 0;
        };
        entry(nullptr, CPL_DBLCLK, 0, 0);
        EXPECT_FALSE(before) << c.name;
        EXPECT_EQ(answer, 0) << c.name;
        EXPECT_EQ(after, c.marks) << c.name;
        EXPECT_TRUE(agent.boxes.empty()) << c.name;
    }
}

// ---- the configuration file's path ---------------------------------------------------

std::string Registry(const std::string& value) {
    std::string escaped;
    for (char ch : value) {
        if (ch == '\\' || ch == '"') {
            escaped += '\\';
        }
        escaped += ch;
    }
    return "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Norrix\\Environment]\r\n\"ZENOPHASE\"=\"" + escaped + "\"\r\n";
}

const std::string kLong259 = "C:\\" + std::string(249, 'D') + "\\ZP.INI";
const std::string kLong260 = "C:\\" + std::string(250, 'D') + "\\ZP.INI";
const std::string kBox106 =
    "box \"Harmonaire Plug & Play Configuration Panel Error:\" \"ZENOPHASE environment variable not set and not in "
    "registry.  Install Harmonaire Plug & Play software.\" 0\n";

struct PathCase {
    const char* name;
    std::vector<std::string> env;
    std::string registry;  // registry.reg lines after the header
    std::string expected;  // what the child prints
};

std::vector<PathCase> PathCases() {
    return {
        {"environment", {"A=1", "ZENOPHASE=C:\\HARMPNP\\ZP.INI", "B=2"}, "", "result 1 path \"C:\\HARMPNP\\ZP.INI\"\n"},
        {"environment wins", {"ZENOPHASE=C:\\ENV\\ZP.INI"}, Registry("C:\\REG\\ZP.INI"),
         "result 1 path \"C:\\ENV\\ZP.INI\"\n"},
        {"empty value: registry", {"ZENOPHASE="}, Registry("C:\\REG\\ZP.INI"), "result 1 path \"C:\\REG\\ZP.INI\"\n"},
        {"longer name is no match", {"ZENOPHASEX=C:\\ENV\\ZP.INI"}, Registry("C:\\REG\\ZP.INI"),
         "result 1 path \"C:\\REG\\ZP.INI\"\n"},
        {"lower case is no match", {"zenophase=C:\\ENV\\ZP.INI"}, "", "result 0 path \"\"\n" + kBox106},
        {"registry only", {"PATH=/bin"}, Registry("C:\\REG\\ZP.INI"), "result 1 path \"C:\\REG\\ZP.INI\"\n"},
        {"neither", {}, "", "result 0 path \"\"\n" + kBox106},
        {"registry value empty", {}, Registry(""), "result 0 path \"\"\n" + kBox106},
        {"259 characters in the environment", {"ZENOPHASE=" + kLong259}, "", "result 1 path \"" + kLong259 + "\"\n"},
        {"260 characters in the environment: registry", {"ZENOPHASE=" + kLong260}, Registry("C:\\REG\\ZP.INI"),
         "result 1 path \"C:\\REG\\ZP.INI\"\n"},
        {"260 characters in the environment alone", {"ZENOPHASE=" + kLong260}, "", "result 0 path \"\"\n" + kBox106},
        {"259 characters in the registry", {}, Registry(kLong259), "result 1 path \"" + kLong259 + "\"\n"},
        {"260 characters in the registry", {}, Registry(kLong260), "result 0 path \"\"\n" + kBox106},
    };
}

TEST(ConfigPath, EnvironmentThenRegistry) {
    int n = 0;
    for (const PathCase& c : PathCases()) {
        std::string root = MachineRoot() + "-path" + std::to_string(n++);
        MakeMachine(root, c.registry);
        std::vector<std::string> env = c.env;
        env.push_back("HOSTWIN_ROOT=" + root);
        EXPECT_EQ(RunChild({"find-path"}, env), c.expected) << c.name;
    }
}

// CPL_INIT of the built applet: a file by another name is not the applet
// (silently), and a missing path fails with box 106.
TEST(ConfigPath, InitAnswers) {
    std::string root = MachineRoot() + "-init";
    MakeMachine(root);
    std::filesystem::copy_file(root + "/drive_c/WINDOWS/SYSTEM/ZPCFGPNL.CPL", root + "/drive_c/WINDOWS/SYSTEM/OTHER.CPL",
                               std::filesystem::copy_options::overwrite_existing);
    std::string env = "HOSTWIN_ROOT=" + root;
    EXPECT_EQ(RunChild({"init", kInstalledApplet}, {env, "ZENOPHASE=C:\\HARMPNP\\ZP.INI"}), "result 1\n");
    EXPECT_EQ(RunChild({"init", kInstalledApplet}, {env}), "result 0\n" + kBox106);
    EXPECT_EQ(RunChild({"init", "C:\\WINDOWS\\SYSTEM\\OTHER.CPL"}, {env, "ZENOPHASE=C:\\HARMPNP\\ZP.INI"}),
              "result 0\n");
}

}  // namespace
