// Opening the sheet and initialising all five pages, with no user to wait
// for, on the sample ZP.INI and on files with 10 and 100 times as many keys;
// goal: the cost grows no faster than the file (10x the keys at most 12x
// the time, 100x at most 120x).
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "bench.h"
#include "host/host_seams.h"
#include "platform.h"

namespace {

// The number of keys of a profile text: lines with an '=' that are no comment.
int KeyCount(const std::string& text) {
    int keys = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        if (!line.empty() && line[0] != ';' && line[0] != '[' && line.find('=') != std::string::npos) ++keys;
        start = end + 1;
    }
    return keys;
}

std::string Number(int n) {
    std::string digits = std::to_string(n);
    return std::string(digits.size() < 4 ? 4 - digits.size() : 0, '0') + digits;
}

// The sample grown to factor times its keys: a quarter each more languages,
// mixer configurations, patch sets (a key in vendors and one in patch
// descriptions) and sections of other software.
std::string Grown(const std::string& sample, int factor) {
    const int extra = KeyCount(sample) * (factor - 1);
    std::string languages, mixers, vendors, descriptions, others;
    for (int i = 0; i < extra / 4; ++i) {
        languages += "lang" + Number(i) + "=Language " + Number(i) + ",0409\r\n";
        mixers += "Config " + Number(i) + "=zp8a1:18:18:0c:0c:10:10:0a:0a:00:00:1f:1f:00:01:04:04\r\n";
    }
    for (int i = 0; i < extra / 8; ++i) {
        vendors += "set" + Number(i) + "=C:\\HARMPNP\\PATCHES\\SET" + Number(i) + ".ZPB\r\n";
        descriptions += "set" + Number(i) + "=Patch set " + Number(i) + " of the Harmonaire synthesizer\r\n";
    }
    for (int i = 0; i < extra / 4; ++i) {
        if (i % 10 == 0) others += "[other software " + Number(i / 10) + "]\r\n";
        others += "Setting" + Number(i) + "=value " + Number(i) + "\r\n";
    }
    // Each list goes at the end of its section: before the next "[" line.
    std::string text = sample;
    auto append = [&](const std::string& section, const std::string& lines) {
        const std::size_t header = text.find("[" + section + "]");
        if (header == std::string::npos) return;
        std::size_t next = text.find("\r\n[", header);
        next = next == std::string::npos ? text.size() : next + 2;
        text.insert(next, lines);
    };
    append("languages", languages);
    append("mixer settings", mixers);
    append("vendors", vendors);
    append("patch descriptions", descriptions);
    return text + others;
}

// The user: visits each page once, then closes the sheet as Cancel; every
// message box gets the button Escape would press.
struct Visitor {
    int page = 0;
};

int VisitPages(void* ctx, HWND sheet) {
    Visitor& visitor = *static_cast<Visitor*>(ctx);
    if (++visitor.page >= 5) return 0;
    SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(visitor.page), 0);
    return 1;
}

int Escape(void*, HWND, const char*, const char*, UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OK: return IDOK;
    case MB_YESNO: return IDNO;
    default: return IDCANCEL;
    }
}

void NoHelp(void*, HWND, const char*, UINT, ULONG_PTR) {}

struct Machine {
    explicit Machine(const std::string& config) : directory("zpbench") {
        const std::string sample = ZP_SAMPLE_MACHINE;
        for (const char* file : {"card.ini", "registry.reg"}) {
            std::filesystem::copy_file(sample + "/" + file, directory.Path(file));
        }
        directory.Write("drive_c/HARMPNP/ZP.INI", config);
        std::filesystem::create_directories(directory.Path("drive_c/WINDOWS/SYSTEM"));
        std::filesystem::copy_file(ZP_APPLET_BUILT, directory.Path("drive_c/WINDOWS/SYSTEM/ZPCFGPNL.CPL"));
    }
    zpbench::ScratchDirectory directory;
};

// Opens the applet's sheet on the machine and visits every page.
void OpenSheet(const Machine& machine) {
    setenv("HOSTWIN_ROOT", machine.directory.Path().c_str(), 1);
    HMODULE library = LoadLibraryA("C:\\WINDOWS\\SYSTEM\\ZPCFGPNL.CPL");
    auto applet = reinterpret_cast<APPLET_PROC>(reinterpret_cast<void (*)()>(GetProcAddress(library, "CPlApplet")));
    if (!applet) return;
    Visitor visitor;
    static const HostUserAgent agent = {VisitPages, Escape, NoHelp};
    HostSetUserAgent(&agent, &visitor);
    HWND panel = nullptr;
    if (applet(panel, CPL_INIT, 0, 0)) {
        NEWCPLINFOA info{};
        info.dwSize = sizeof info;
        applet(panel, CPL_NEWINQUIRE, 0, reinterpret_cast<LPARAM>(&info));
        applet(panel, CPL_DBLCLK, 0, info.lData);
        applet(panel, CPL_STOP, 0, info.lData);
        applet(panel, CPL_EXIT, 0, 0);
    }
    HostSetUserAgent(nullptr, nullptr);
    FreeLibrary(library);
}

void SheetAgainstKeys(benchmark::State& state) {
    std::ifstream in(ZP_SAMPLE_MACHINE "/drive_c/HARMPNP/ZP.INI", std::ios::binary);
    const std::string sample((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    setenv("ZENOPHASE", "C:\\HARMPNP\\ZP.INI", 1);
    const Machine small(sample), tenfold(Grown(sample, 10)), hundredfold(Grown(sample, 100));
    OpenSheet(small);
    std::vector<double> one, ten, hundred;
    for (auto _ : state) {
        one.push_back(zpbench::TimeMs([&] { OpenSheet(small); }));
        ten.push_back(zpbench::TimeMs([&] { OpenSheet(tenfold); }));
        hundred.push_back(zpbench::TimeMs([&] { OpenSheet(hundredfold); }));
    }
    const auto keys = [](const Machine& m) {
        std::ifstream file(m.directory.Path("drive_c/HARMPNP/ZP.INI"), std::ios::binary);
        return KeyCount(std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>()));
    };
    const std::string counts = " (" + std::to_string(keys(small)) + ", " + std::to_string(keys(tenfold)) + " and " +
                               std::to_string(keys(hundredfold)) + " keys)";
    zpbench::ReportFigure(state, "the sheet opened, all five pages initialised: 10x the keys / the sample ZP.INI" + counts,
                          ten, one, 12.0);
    zpbench::ReportFigure(state, "the same: 100x the keys / the sample ZP.INI", hundred, one, 120.0);
}
BENCHMARK(SheetAgainstKeys)->Unit(benchmark::kMillisecond)->Iterations(15)->UseRealTime();

}  // namespace
