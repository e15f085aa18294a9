// bootsync rewriting a 10 MB AUTOEXEC.BAT, DOSSTART.BAT and ZP.INI, against
// cp of the same three files; goal: at most 1.5 times the copy.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "bench.h"

namespace {

constexpr std::size_t kFileSize = 10 * 1024 * 1024;

const char* const kResourceKeys[] = {"SynthBase", "CodecBase", "IRQ1",     "IRQ2",      "DMA1",  "DMA2",    "CDBase",
                                     "ATAPIBase", "CDIRQ",     "GamePort", "ADLibBase", "SBIRQ", "MpuBase", "MPUIRQ"};

// A start-up file of ordinary lines, with a SET HARMNAIR and a SET BLASTER
// line, a remark and a blank line every so often.
std::string BatchFile() {
    std::string text;
    for (int i = 0; text.size() < kFileSize; ++i) {
        switch (i % 50) {
        case 0: text += "SET HARMNAIR=C:\\HARMPNP\r\n"; break;
        case 1: text += "@SET BLASTER=A220 I5 D1 H5 P330 T6\r\n"; break;
        case 2: text += "REM set blaster=A220 I7 D1\r\n"; break;
        case 3: text += "\r\n"; break;
        default: text += "C:\\DOS\\TOOL" + std::to_string(i) + ".EXE /Q /OPTION:" + std::to_string(i * 7) + "\r\n";
        }
    }
    return text;
}

// A configuration file as the card's software leaves it, its resource keys
// once, grown by many saved mixer configurations.
std::string ConfigFile() {
    std::string text =
        "; Harmonaire Plug & Play configuration\r\n[zpvelt]\r\nMpu401Emulation=on\r\nADLibBase=220\r\nSBIRQ=5\r\n"
        "MpuBase=330\r\nMPUIRQ=9\r\n\r\n[setup 0]\r\neffects=on\r\nSynthBase=620\r\nCodecBase=534\r\nIRQ1=10\r\n"
        "IRQ2=9\r\nDMA1=5\r\nDMA2=7\r\nCDBase=170\r\nATAPIBase=376\r\nCDIRQ=15\r\nGamePort=200\r\n\r\n"
        "[mixer settings]\r\ndefault=Studio\r\nSaveOnWindowsExit=true\r\n";
    for (int i = 0; text.size() < kFileSize; ++i) {
        text += "Configuration " + std::to_string(i) + "=zp8a1:18:18:0c:0c:10:10:0a:0a:00:00:1f:1f:00:01:04:04\r\n";
    }
    return text;
}

// A configuration file with a resource key on every line but the section
// headers: each of them costs a registry lookup.
std::string ResourceKeyFile() {
    std::string text;
    for (int section = 0; text.size() < kFileSize; ++section) {
        text += "[section " + std::to_string(section) + "]\r\n";
        for (const char* name : kResourceKeys) text += std::string(name) + "=0\r\n";
    }
    return text;
}

std::string Registry() {
    std::string text = "REGEDIT4\r\n";
    for (const char* name : kResourceKeys) {
        text += std::string("\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Calderon\\Brevik Harmonaire Plug & Play\\Settings\\") +
                name + "]\r\n@=\"" + std::to_string(std::strlen(name)) + "\"\r\n";
    }
    return text;
}

// The machine: 10 MB each of AUTOEXEC.BAT, DOSSTART.BAT and ZP.INI, which
// bootsync has rewritten once (a rewrite of files in step does the same
// work every time).
struct BenchMachine {
    explicit BenchMachine(const std::string& config) : directory("zpbench") {
        directory.Write("card.ini", "[devices]\nsetharmo=present\n");
        directory.Write("registry.reg", Registry());
        const std::string batch = BatchFile();
        directory.Write("drive_c/AUTOEXEC.BAT", batch);
        directory.Write("drive_c/WINDOWS/DOSSTART.BAT", batch);
        directory.Write("drive_c/HARMPNP/ZP.INI", config);
        setenv("HOSTWIN_ROOT", directory.Path().c_str(), 1);
        setenv("ZENOPHASE", "C:\\HARMPNP\\ZP.INI", 1);
        setenv("HARMNAIR", "C:\\HARMPNP", 1);
        setenv("BLASTER", "A220 I5 D1 H5 P330 T6", 1);
        unsetenv("COMSPEC");
        unsetenv("WINBOOTDIR");
        zpbench::Spawn({BOOTSYNC_PROGRAM});
    }
    std::vector<std::string> Files() const {
        return {directory.Path("drive_c/AUTOEXEC.BAT"), directory.Path("drive_c/WINDOWS/DOSSTART.BAT"),
                directory.Path("drive_c/HARMPNP/ZP.INI")};
    }
    zpbench::ScratchDirectory directory;
};

// bootsync against cp of the same files (which copies them inside the
// kernel) and against a copy through user space (dd, 64 KB a call), each
// in every iteration.
void RunAgainstCopies(benchmark::State& state, const BenchMachine& machine, const std::string& what) {
    const std::string copies = machine.directory.Path("copies");
    std::vector<std::string> cp = {"/bin/cp"};
    for (const std::string& file : machine.Files()) cp.push_back(file);
    cp.push_back(copies);
    std::vector<double> rewrites, copied, userCopied;
    for (auto _ : state) {
        std::filesystem::remove_all(copies);
        std::filesystem::create_directory(copies);
        copied.push_back(zpbench::TimeMs([&] { zpbench::Spawn(cp); }));
        std::filesystem::remove_all(copies);
        std::filesystem::create_directory(copies);
        userCopied.push_back(zpbench::TimeMs([&] {
            int n = 0;
            for (const std::string& file : machine.Files()) {
                zpbench::Spawn({"/bin/dd", "if=" + file, "of=" + copies + "/" + std::to_string(++n), "bs=64k",
                                "status=none"});
            }
        }));
        rewrites.push_back(zpbench::TimeMs([&] { zpbench::Spawn({BOOTSYNC_PROGRAM}); }));
    }
    for (const std::string& file : machine.Files()) {
        if (std::filesystem::file_size(file) < kFileSize) state.SkipWithError("a file was not rewritten whole");
    }
    zpbench::ReportFigure(state, what + " / cp of the three", rewrites, copied, 1.5);
    zpbench::ReportFigure(state, what + " / dd of the three (64 KB blocks)", rewrites, userCopied, 1.5);
}

void BootSyncAgainstCopy(benchmark::State& state) {
    const BenchMachine machine(ConfigFile());
    RunAgainstCopies(state, machine, "bootsync rewriting 10 MB each of AUTOEXEC.BAT, DOSSTART.BAT and ZP.INI");
}
BENCHMARK(BootSyncAgainstCopy)->Unit(benchmark::kMillisecond)->Iterations(9)->UseRealTime();

void BootSyncResourceKeysAgainstCopy(benchmark::State& state) {
    const BenchMachine machine(ResourceKeyFile());
    RunAgainstCopies(state, machine, "the same, a resource key on every line of ZP.INI");
}
BENCHMARK(BootSyncResourceKeysAgainstCopy)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
