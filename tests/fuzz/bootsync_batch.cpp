// bootsync's whole run on arbitrary AUTOEXEC.BAT and DOSSTART.BAT bytes and
// HARMNAIR / BLASTER values, now and then with a file operation that fails.
// Afterwards each batch file holds what the line rules make of it (or, when
// an operation failed, possibly its old bytes), nothing else is left but a
// backup whose deletion failed, and a second run changes nothing.
//
// Input: a flags byte (bit 0: HARMNAIR set, bit 1: BLASTER set, bits 2-7:
// the file operation to fail, counted from the start of the run, 0 for
// none), the HARMNAIR value and a NUL, the BLASTER value and a NUL, then the
// batch file's bytes (both files start with the same).
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

const char* const kFiles[] = {"drive_c/AUTOEXEC.BAT", "drive_c/WINDOWS/DOSSTART.BAT"};
const char* const kBackups[] = {"drive_c/AUTOEXEC.001", "drive_c/WINDOWS/DOSSTART.001"};

struct Variable {
    std::string search;                // "SET HARMNAIR="
    std::optional<std::string> value;  // what its lines get; none: they stay as they are
    int count = 0;
};

// The value a SET line can carry: an absent variable is the empty value; one
// whose longest line, "@SET NAME=value" and a line feed, is longer than a
// piece (254 characters), or that holds a line feed or a Ctrl-Z of its own
// (which would end the line or the file early), is not written at all.
std::optional<std::string> Writable(const std::string& search, const std::optional<std::string>& set) {
    if (!set) return std::string();
    if (1 + search.size() + set->size() + 1 > 254) return std::nullopt;
    if (set->find_first_of("\n\x1a") != std::string::npos) return std::nullopt;
    return set;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// The rewritten file, from the line rules.
std::string Rewritten(std::string_view old, Variable harmnair, Variable blaster) {
    std::string text;
    for (const std::string& piece : zpfuzz::DosPieces(old)) {
        std::string upper = piece;
        for (char& c : upper) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        Variable* variable = nullptr;
        if (!StartsWith(upper, "REM") && !StartsWith(upper, "@REM")) {
            if (upper.find(harmnair.search) != std::string::npos) variable = &harmnair;
            else if (upper.find(blaster.search) != std::string::npos) variable = &blaster;
        }
        if (!variable) {
            text += piece;
            continue;
        }
        ++variable->count;
        text += variable->value ? (piece[0] == '@' ? "@" : "") + variable->search + *variable->value + "\n" : piece;
    }
    for (const Variable* variable : {&harmnair, &blaster}) {
        if (variable->count != 0 || !variable->value) continue;
        if (!text.empty() && text.back() != '\n') text += '\n';
        text += "@" + variable->search + *variable->value + "\n";
    }
    return zpfuzz::DosBytes(text);
}

void SetVariable(const char* name, const std::optional<std::string>& value) {
    if (value) setenv(name, value->c_str(), 1);
    else unsetenv(name);
}

// Runs bootsync; true when the armed operation (if any) was reached.
bool Run(long failAt) {
    const long start = HostFileOpCount();
    HostFailFileOp(failAt);
    RunBootSync();
    HostFailFileOp(0);
    return failAt > 0 && HostFileOpCount() - start >= failAt;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    zpfuzz::Machine();
    for (const char* name : {"COMSPEC", "WINBOOTDIR", "ZENOPHASE"}) unsetenv(name);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::string_view input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const unsigned flags = data[0];
    std::optional<std::string> harmnair = zpfuzz::TakeField(input);
    std::optional<std::string> blaster = zpfuzz::TakeField(input);
    if (!(flags & 1)) harmnair.reset();
    if (!(flags & 2)) blaster.reset();
    if (!harmnair && (flags & 1)) harmnair = "";
    if (!blaster && (flags & 2)) blaster = "";
    const long failAt = static_cast<long>(flags >> 2);
    const std::string old(input);

    zpfuzz::ResetMachine("[devices]\nsetharmo=present\n");
    for (const char* file : kFiles) zpfuzz::WriteFile(file, old);
    const std::vector<std::string> fixture = zpfuzz::Files();
    SetVariable("HARMNAIR", harmnair);
    SetVariable("BLASTER", blaster);

    // A BLASTER value holding "SET HARMNAIR=" would make its line a HARMNAIR
    // line to the next run: it is not written either.
    std::optional<std::string> blasterWritten = Writable("SET BLASTER=", blaster);
    if (blasterWritten) {
        std::string upper = *blasterWritten;
        for (char& c : upper) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        if (upper.find("SET HARMNAIR=") != std::string::npos) blasterWritten.reset();
    }
    const std::string expected = Rewritten(old, {"SET HARMNAIR=", Writable("SET HARMNAIR=", harmnair)},
                                           {"SET BLASTER=", blasterWritten});
    const bool failed = Run(failAt);
    const std::string when = failed ? " after file operation " + std::to_string(failAt) + " failed" : "";
    for (const char* file : kFiles) {
        const std::string now = zpfuzz::ReadFile(file).value_or("<none>");
        if (now != expected && !(failed && now == old)) Fail(std::string(file) + " is not as rewritten" + when, now, expected);
        if (now != old && now.find('\x1a') != std::string::npos) Fail(std::string(file) + " holds a Ctrl-Z", now);
    }
    for (const std::string& file : zpfuzz::Files()) {
        if (std::find(fixture.begin(), fixture.end(), file) != fixture.end()) continue;
        // Only a backup whose deletion failed may stay, with the old bytes,
        // beside the new file.
        int which = -1;
        for (int i = 0; i < 2; ++i) {
            if (file == kBackups[i]) which = i;
        }
        if (!failed || which < 0) Fail(file + " was left" + when);
        const std::string backup = zpfuzz::ReadFile(file).value_or("");
        if (backup != old) Fail(file + " does not hold the old bytes", backup, old);
        if (zpfuzz::ReadFile(kFiles[which]) != expected) Fail(file + " was left but its file is not rewritten");
    }
    if (failed) return 0;

    // The rewrite is its own fixed point.
    Run(0);
    for (const char* file : kFiles) {
        const std::string again = zpfuzz::ReadFile(file).value_or("<none>");
        if (again != expected) Fail(std::string("a second run changed ") + file, again, expected);
    }
    if (zpfuzz::Files() != fixture) Fail("a second run left a file");
    return 0;
}
