// Host profile reads against Wine's own GetPrivateProfileStringA, on the
// same file and sequence of reads, each an in-process loop; goal: the host
// at least as fast.  The Windows side is profbench.exe of the win32 build,
// run under Wine in a win98 prefix that is made once in the build tree.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>

#include "bench.h"
#include "platform.h"
#include "profile_workload.h"

namespace {

constexpr int kPasses = 5;

// The prefix: made with the Mono and Gecko installers and the menu builder
// kept away, the Windows version set to win98.
bool MakePrefix(const std::string& prefix) {
    if (std::filesystem::exists(prefix + "/system.reg")) return true;
    setenv("WINEARCH", "win32", 1);
    setenv("WINEPREFIX", prefix.c_str(), 1);
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml,winemenubuilder.exe=", 1);
    setenv("WINEDEBUG", "-all", 1);
    std::printf("making the Wine prefix %s (once)\n", prefix.c_str());
    std::fflush(stdout);
    zpbench::Spawn({"/usr/bin/wineboot", "-i"}, true);
    zpbench::Spawn({"/usr/bin/wineserver", "-w"}, true);
    zpbench::Spawn({"/usr/bin/wine", "reg", "add", "HKCU\\Software\\Wine", "/v", "Version", "/d", "win98", "/f"}, true);
    zpbench::Spawn({"/usr/bin/wineserver", "-w"}, true);
    return std::filesystem::exists(prefix + "/system.reg");
}

// One run of profbench: the milliseconds of its loop and its checksum.
bool RunUnderWine(const std::string& exe, const std::string& unixFile, double& ms, unsigned long& checksum) {
    std::string windowsFile = "Z:" + unixFile;
    for (char& c : windowsFile) c = c == '/' ? '\\' : c;
    std::string output;
    if (zpbench::SpawnOutput({"/usr/bin/wine", exe, windowsFile, std::to_string(kPasses)}, output) != 0) return false;
    unsigned long reads = 0;
    std::istringstream in(output);
    return static_cast<bool>(in >> ms >> reads >> checksum);
}

void ProfileReadsAgainstWine(benchmark::State& state) {
    if (!std::filesystem::exists(ZP_PROFBENCH_EXE)) {
        state.SkipWithError("no profbench.exe: build it with cmake --build --preset win32");
        return;
    }
    if (!MakePrefix(ZP_BENCH_WORK "/wineprefix")) {
        state.SkipWithError("cannot make a Wine prefix");
        return;
    }
    setenv("WINEPREFIX", ZP_BENCH_WORK "/wineprefix", 1);
    setenv("WINEDEBUG", "-all", 1);
    zpbench::ScratchDirectory machine("zpbench");
    machine.Write("drive_c/HARMPNP/ZP.INI", zpbench::ProfileBenchFile());
    std::filesystem::create_directories(machine.Path("wine"));
    setenv("HOSTWIN_ROOT", machine.Path().c_str(), 1);
    const std::vector<zpbench::ProfileRead> reads = zpbench::ProfileBenchReads();
    static char buffer[zpbench::kListSize];
    unsigned long hostChecksum = 0;
    auto pass = [&] {
        for (const zpbench::ProfileRead& read : reads) {
            const bool list = read.key.empty();
            hostChecksum += GetPrivateProfileStringA(read.section.c_str(), list ? nullptr : read.key.c_str(), "foo",
                                                     buffer, list ? zpbench::kListSize : zpbench::kValueSize,
                                                     "C:\\HARMPNP\\ZP.INI");
        }
    };
    pass();
    hostChecksum = 0;

    std::vector<double> host, wine;
    unsigned long wineChecksum = 0;
    for (auto _ : state) {
        double ms = 0;
        if (!RunUnderWine(ZP_PROFBENCH_EXE, machine.Path("wine/BENCH.INI"), ms, wineChecksum)) {
            state.SkipWithError("profbench.exe did not run under Wine");
            return;
        }
        wine.push_back(ms);
        hostChecksum = 0;
        host.push_back(zpbench::TimeMs([&] {
            for (int i = 0; i < kPasses; ++i) pass();
        }));
    }
    if (hostChecksum != wineChecksum) {
        state.SetLabel("the two sides read different lengths: " + std::to_string(hostChecksum) + " and " +
                       std::to_string(wineChecksum));
    }
    zpbench::ReportFigure(state,
                          "host GetPrivateProfileStringA / Wine's, " + std::to_string(reads.size() * kPasses) +
                              " reads of a " + std::to_string(zpbench::ProfileBenchFile().size() / 1024) + " KB ZP.INI",
                          host, wine, 1.0);
}
BENCHMARK(ProfileReadsAgainstWine)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace
