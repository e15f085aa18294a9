// bootsync's rewrite of the configuration file's resource keys on arbitrary
// ZP.INI bytes and registry values, now and then with a file operation that
// fails.  Afterwards ZP.INI holds what the line rules make of it (or, when an
// operation failed, possibly its old bytes), nothing else is left but a
// backup whose deletion failed, and a second run changes nothing.
//
// Input: the file operation to fail (a byte, counted from the start of the
// run; 0 for none), two bytes (little-endian) telling which of the 14
// resource keys the registry holds, the value of each key it holds followed
// by a NUL, in table order, then the file's bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "bootsync.h"
#include "fuzz_support.h"
#include "host/host_seams.h"

namespace {

using zpfuzz::Fail;

const char* const kKeys[14] = {"SynthBase", "CodecBase", "IRQ1",     "IRQ2",  "DMA1",      "DMA2",  "CDBase",
                               "ATAPIBase", "CDIRQ",     "GamePort", "ADLibBase", "SBIRQ", "MpuBase", "MPUIRQ"};
const char kFile[] = "drive_c/HARMPNP/ZP.INI";
const char kBackup[] = "drive_c/HARMPNP/ZP.001";

// A registry file with the default value of Settings\key for each value given.
std::string RegistryFile(const std::optional<std::string> (&values)[14]) {
    std::string text = "REGEDIT4\r\n";
    for (int i = 0; i < 14; ++i) {
        if (!values[i]) continue;
        text += "\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Calderon\\Brevik Harmonaire Plug & Play\\Settings\\";
        text += kKeys[i];
        text += "]\r\n@=\"";
        for (char c : *values[i]) {
            if (c == '\\' || c == '"') text += '\\';
            text += c;
        }
        text += "\"\r\n";
    }
    return text;
}

// The rewritten file, from the line rules: a line that begins with a key
// and '=' (exact case; the first key of the table that matches) takes the
// registry's text when there is one that fits (at most 254 characters, and
// the whole line, with its line feed, within one piece of 254) and holds no
// line feed or Ctrl-Z of its own; every other line is copied.
std::string Rewritten(std::string_view old, const std::optional<std::string> (&values)[14]) {
    std::string text;
    for (const std::string& piece : zpfuzz::DosPieces(old)) {
        std::string line = piece;
        for (int i = 0; i < 14 && piece[0] != ';'; ++i) {
            const std::string prefix = std::string(kKeys[i]) + "=";
            if (piece.rfind(prefix, 0) != 0) continue;
            const std::optional<std::string>& value = values[i];
            if (value && value->size() <= 254 && prefix.size() + value->size() + 1 <= 254 &&
                value->find_first_of("\n\x1a") == std::string::npos) {
                line = prefix + *value + "\n";
            }
            break;
        }
        text += line;
    }
    return zpfuzz::DosBytes(text);
}

bool Run(long failAt) {
    const long start = HostFileOpCount();
    HostFailFileOp(failAt);
    SyncResourceKeys("C:\\HARMPNP\\ZP.INI");
    HostFailFileOp(0);
    return failAt > 0 && HostFileOpCount() - start >= failAt;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    zpfuzz::Machine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const long failAt = data[0];
    const unsigned held = data[1] | (data[2] << 8);
    std::string_view input(reinterpret_cast<const char*>(data) + 3, size - 3);
    std::optional<std::string> values[14];
    for (int i = 0; i < 14; ++i) {
        if (!(held & (1u << i))) continue;
        values[i] = zpfuzz::TakeField(input).value_or("");
        // A registry file holds a value on one line.
        std::replace(values[i]->begin(), values[i]->end(), '\n', '\r');
    }
    const std::string old(input);

    zpfuzz::ResetMachine("[devices]\nsetharmo=present\n");
    zpfuzz::WriteFile("registry.reg", RegistryFile(values));
    zpfuzz::WriteFile(kFile, old);
    const std::vector<std::string> fixture = zpfuzz::Files();

    const std::string expected = Rewritten(old, values);
    const bool failed = Run(failAt);
    const std::string when = failed ? " after file operation " + std::to_string(failAt) + " failed" : "";
    const std::string now = zpfuzz::ReadFile(kFile).value_or("<none>");
    if (now != expected && !(failed && now == old)) Fail(std::string("ZP.INI is not as rewritten") + when, now, expected);
    if (now != old && now.find('\x1a') != std::string::npos) Fail("ZP.INI holds a Ctrl-Z", now);
    for (const std::string& file : zpfuzz::Files()) {
        if (std::find(fixture.begin(), fixture.end(), file) != fixture.end()) continue;
        if (!failed || file != kBackup) Fail(file + " was left" + when);
        const std::string backup = zpfuzz::ReadFile(file).value_or("");
        if (backup != old) Fail(file + " does not hold the old bytes", backup, old);
        if (now != expected) Fail(file + " was left but ZP.INI is not rewritten");
    }
    if (failed) return 0;

    Run(0);
    const std::string again = zpfuzz::ReadFile(kFile).value_or("<none>");
    if (again != expected) Fail("a second run changed ZP.INI", again, expected);
    if (zpfuzz::Files() != fixture) Fail("a second run left a file");
    return 0;
}
