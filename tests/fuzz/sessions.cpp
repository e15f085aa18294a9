// Random sessions of the applet: the commands of cplhost's language against
// arbitrary ZP.INI files and card.ini answers (odd mixer sizes, texts
// without a terminator, refused requests, wrong byte counts), played in
// process as cplhost plays them, from CPL_INIT to CPL_EXIT.  No crash, no
// sanitizer report, no hang (the fuzzer's -timeout).
//
// Input: the script, a NUL, ZP.INI's bytes, a NUL, card.ini's bytes.  Lines
// of the script that do not parse are passed over; a message box takes the
// next queued answer, else the button Escape would press.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "commands.h"
#include "fuzz_support.h"
#include "host/host_seams.h"
#include "script.h"

namespace {

constexpr char kApplet[] = "C:\\WINDOWS\\SYSTEM\\ZPCFGPNL.CPL";

struct Session {
    SheetUser user;
    std::vector<Command> script;
    std::size_t next = 0;
};

int Step(void* ctx, HWND sheet) {
    Session& session = *static_cast<Session*>(ctx);
    if (session.next >= session.script.size()) return 0;
    std::string message;
    PerformCommand(session.user, sheet, session.script[session.next++], message);
    return 1;
}

int MessageBoxAgent(void* ctx, HWND, const char*, const char*, UINT type) {
    Session& session = *static_cast<Session*>(ctx);
    int button;
    std::string message;
    ChooseBoxButton(session.user.answers, type, button, message);
    return button;
}

void HelpAgent(void*, HWND, const char*, UINT, ULONG_PTR) {}

APPLET_PROC applet = nullptr;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string& machine = zpfuzz::Machine();
    zpfuzz::ResetMachine("");
    std::filesystem::copy_file(ZP_SAMPLE_MACHINE "/registry.reg", machine + "/registry.reg");
    std::filesystem::copy_file(ZP_APPLET_BUILT, machine + "/drive_c/WINDOWS/SYSTEM/ZPCFGPNL.CPL");
    setenv("ZENOPHASE", "C:\\HARMPNP\\ZP.INI", 1);
    // Loaded once, as the control panel keeps it, before the fuzzing starts.
    HMODULE library = LoadLibraryA(kApplet);
    if (library) {
        applet = reinterpret_cast<APPLET_PROC>(reinterpret_cast<void (*)()>(GetProcAddress(library, "CPlApplet")));
    }
    if (!applet) {
        std::fprintf(stderr, "cannot load %s\n", kApplet);
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string script = zpfuzz::TakeField(input).value_or("");
    const std::string config = zpfuzz::TakeField(input).value_or(std::string(input));
    const std::string card(input);

    const std::string& machine = zpfuzz::Machine();
    zpfuzz::WriteFile("card.ini", card);
    zpfuzz::WriteFile("drive_c/HARMPNP/ZP.INI", config);
    std::filesystem::remove(machine + "/requests.log");

    static Session session;
    session = Session{};
    // What show and help print goes nowhere.
    static std::FILE* nowhere = std::fopen("/dev/null", "w");
    session.user.transcript = nowhere;
    session.user.notes = nowhere;
    std::size_t start = 0;
    while (start <= script.size() && session.script.size() < 64) {
        std::size_t end = script.find('\n', start);
        if (end == std::string::npos) end = script.size();
        Command command;
        std::string error;
        if (ParseCommand(std::string_view(script).substr(start, end - start), command, error) == ParseStatus::Parsed) {
            session.script.push_back(command);
        }
        start = end + 1;
    }
    static const HostUserAgent agent = {Step, MessageBoxAgent, HelpAgent};
    HostSetUserAgent(&agent, &session);

    HWND panel = nullptr;
    if (applet(panel, CPL_INIT, 0, 0) != 0) {
        const LONG count = applet(panel, CPL_GETCOUNT, 0, 0);
        std::vector<LONG_PTR> items;
        for (LONG i = 0; i < count && i < 8; ++i) {
            NEWCPLINFOA info{};
            info.dwSize = sizeof info;
            applet(panel, CPL_NEWINQUIRE, i, reinterpret_cast<LPARAM>(&info));
            items.push_back(info.lData);
        }
        if (!items.empty()) applet(panel, CPL_DBLCLK, 0, items[0]);
        for (LONG i = 0; i < static_cast<LONG>(items.size()); ++i) applet(panel, CPL_STOP, i, items[i]);
        applet(panel, CPL_EXIT, 0, 0);
    }
    HostSetUserAgent(nullptr, nullptr);
    return 0;
}
