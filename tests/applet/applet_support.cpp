// The applet tests' machine, user agent, one-page sheets and child runs.
#include "applet_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

#include <gtest/gtest.h>

namespace fs = std::filesystem;

// ---- the machine -----------------------------------------------------------------

void MakeMachine(const std::string& root, const std::string& registryLines) {
    fs::path c = fs::path(root) / "drive_c";
    fs::create_directories(c / "WINDOWS" / "SYSTEM");
    fs::create_directories(c / "HARMPNP");
    fs::copy_file(ZPCFGPNL_BUILT, c / "WINDOWS" / "SYSTEM" / "ZPCFGPNL.CPL", fs::copy_options::overwrite_existing);
    PutSampleFiles(root);
    std::ofstream reg(fs::path(root) / "registry.reg", std::ios::binary);
    reg << "REGEDIT4\r\n\r\n" << registryLines;
}

// The sample machine's card and configuration file, so that the pages open
// quietly.
void PutSampleFiles(const std::string& root) {
    const fs::path sample(ZP_SAMPLE_MACHINE);
    fs::copy_file(sample / "card.ini", fs::path(root) / "card.ini", fs::copy_options::overwrite_existing);
    fs::copy_file(sample / "drive_c" / "HARMPNP" / "ZP.INI", fs::path(root) / "drive_c" / "HARMPNP" / "ZP.INI",
                  fs::copy_options::overwrite_existing);
}

std::string MachineRoot() {
    const char* root = std::getenv("HOSTWIN_ROOT");
    return root ? root : "";
}

namespace {

HMODULE appletModule = nullptr;

}  // namespace

HMODULE LoadedApplet() {
    if (!appletModule) {
        MakeMachine(MachineRoot());
        appletModule = LoadLibraryA(kInstalledApplet);
        ModuleInstance = appletModule;
    }
    return appletModule;
}

void UnloadApplet() {
    if (appletModule) {
        FreeLibrary(appletModule);
        appletModule = nullptr;
        ModuleInstance = nullptr;
    }
}

// ---- the user agent ----------------------------------------------------------------

namespace {

RecordingAgent* current = nullptr;

int AgentStep(void*, HWND modal) {
    return current && current->step ? current->step(modal) : 0;
}

int AgentMessageBox(void*, HWND, const char* text, const char* caption, UINT type) {
    if (!current) {
        return IDOK;
    }
    current->boxes.push_back({caption ? caption : "", text ? text : "", type});
    return current->answer;
}

void AgentHelp(void*, HWND, const char* file, UINT command, ULONG_PTR data) {
    if (!current) {
        return;
    }
    HelpSeen seen{file ? file : "", command, {}};
    const HelpIdPair* pairs = reinterpret_cast<const HelpIdPair*>(data);
    for (int i = 0; pairs && i < 64 && (pairs[i].controlId || pairs[i].contextId); ++i) {
        seen.pairs.push_back(pairs[i]);
    }
    current->helps.push_back(seen);
}

const HostUserAgent kAgent = {AgentStep, AgentMessageBox, AgentHelp};

}  // namespace

RecordingAgent::RecordingAgent() {
    current = this;
    HostSetUserAgent(&kAgent, nullptr);
}

RecordingAgent::~RecordingAgent() {
    HostSetUserAgent(nullptr, nullptr);
    current = nullptr;
}

INT_PTR RunOnePageSheet(int templateId, DLGPROC proc, const std::function<void(HWND sheet, HWND page)>& body) {
    PROPSHEETPAGEA_V1 page = {};
    page.dwSize = PROPSHEETPAGEA_V1_SIZE;
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = LoadedApplet();
    page.pszTemplate = MAKEINTRESOURCEA(templateId);
    page.pfnDlgProc = proc;
    PROPSHEETHEADERA header = {};
    header.dwSize = PROPSHEETHEADERA_V1_SIZE;
    header.dwFlags = PSH_PROPSHEETPAGE;
    header.hInstance = LoadedApplet();
    header.pszCaption = "Test sheet";
    header.nPages = 1;
    header.ppsp = reinterpret_cast<LPCPROPSHEETPAGEA>(&page);

    std::optional<RecordingAgent> own;
    if (!current) {
        own.emplace();
    }
    RecordingAgent& agent = *current;
    std::function<int(HWND)> saved = agent.step;
    bool ran = false;
    agent.step = [&](HWND sheet) {
        if (!ran) {
            ran = true;
            HWND shown = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
            body(sheet, shown);
        }
        return 0;
    };
    INT_PTR result = PropertySheetA(&header);
    agent.step = saved;
    EXPECT_TRUE(ran) << "the sheet never waited for the user";
    return result;
}

// ---- child runs ----------------------------------------------------------------------

std::string RunChild(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    std::vector<std::string> argvText = {"/proc/self/exe", "--child"};
    argvText.insert(argvText.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argvText) {
        argv.push_back(a.data());
    }
    argv.push_back(nullptr);
    std::vector<std::string> envText = env;
    std::vector<char*> envp;
    for (std::string& e : envText) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);

    int fds[2];
    if (pipe(fds) != 0) {
        return "pipe failed";
    }
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        close(fds[0]);
        close(fds[1]);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(fds[1]);
    std::string out;
    char chunk[512];
    ssize_t n;
    while ((n = read(fds[0], chunk, sizeof chunk)) > 0) {
        out.append(chunk, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        out += "[child failed]";
    }
    return out;
}

namespace {

void PrintBoxes(const RecordingAgent& agent) {
    for (const BoxSeen& box : agent.boxes) {
        std::printf("box \"%s\" \"%s\" %u\n", box.caption.c_str(), box.text.c_str(), box.type);
    }
}

}  // namespace

// Modes: "find-path" runs the linked-in FindConfigFilePath with the
// installed applet's strings; "init DOSPATH" loads an applet file and
// answers its CPL_INIT.
int ChildMain(int argc, char** argv) {
    std::string mode = argc > 2 ? argv[2] : "";
    RecordingAgent agent;
    if (mode == "find-path") {
        ModuleInstance = LoadLibraryA(kInstalledApplet);
        int result = FindConfigFilePath();
        std::printf("result %d path \"%s\"\n", result, ConfigFilePath);
        PrintBoxes(agent);
        FreeLibrary(ModuleInstance);
        return 0;
    }
    if (mode == "init" && argc > 3) {
        HMODULE module = LoadLibraryA(argv[3]);
        APPLET_PROC entry = module ? reinterpret_cast<APPLET_PROC>(reinterpret_cast<void*>(GetProcAddress(module, "CPlApplet"))) : nullptr;
        if (entry) {
            std::printf("result %ld\n", static_cast<long>(entry(nullptr, CPL_INIT, 0, 0)));
        } else {
            std::printf("no applet\n");
        }
        PrintBoxes(agent);
        if (module) {
            FreeLibrary(module);
        }
        return 0;
    }
    std::printf("unknown mode\n");
    return 1;
}

std::string Show(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c == '\0') {
            out += "\\0";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0) {
        return ChildMain(argc, argv);
    }
    ::testing::InitGoogleTest(&argc, argv);
    int status = RUN_ALL_TESTS();
    UnloadApplet();
    return status;
}
