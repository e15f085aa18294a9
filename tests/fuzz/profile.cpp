// The host profile functions on arbitrary file bytes, then a script of
// reads, key lists, section lists and writes with arbitrary names, values
// and buffer sizes.  No read writes past its buffer or leaves it
// unterminated, a key-list walk stays inside the buffer, a write that fails
// leaves the file's bytes as they were, and after every write each key that
// was not touched reads as before, the one written reads back, and no copy
// of the file is left beside it.
//
// Input: the script, a NUL, then the file's bytes.  One command a line,
// fields split by '|', "\N" for a null pointer:
//   g|SECTION|KEY|DEFAULT|SIZE   read a value
//   l|SECTION|DEFAULT|SIZE       read a section's key list
//   s|SIZE                       read the list of sections
//   w|SECTION|KEY|VALUE          write (a null value deletes the key, a null key the section)
//   f                            the flush call
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform.h"

namespace {

using zpfuzz::Fail;

constexpr char kFile[] = "C:\\HARMPNP\\ZP.INI";
constexpr char kMachineFile[] = "drive_c/HARMPNP/ZP.INI";

// A buffer of exactly size bytes, filled with a byte no read writes, so that
// the sanitizer sees a write past it and the checks see what was left.
struct Buffer {
    explicit Buffer(std::size_t n) : size(n), bytes(static_cast<char*>(std::malloc(n ? n : 1))) {
        std::memset(bytes, 0xee, n ? n : 1);
    }
    ~Buffer() { std::free(bytes); }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    std::size_t size;
    char* bytes;
};

std::vector<std::string> Split(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = line.find('|', start);
        fields.push_back(line.substr(start, bar - start));
        if (bar == std::string::npos) return fields;
        start = bar + 1;
    }
}

const char* Text(const std::string& field) { return field == "\\N" ? nullptr : field.c_str(); }

std::size_t Size(const std::string& field) {
    const unsigned long n = std::strtoul(field.c_str(), nullptr, 10);
    return n > 4096 ? 4096 : n;
}

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i])) return false;
    }
    return true;
}

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
    std::size_t start = 0;
    while (start < text.size() && (text[start] == ' ' || text[start] == '\t')) ++start;
    return text.substr(start);
}

// The names of a list buffer, walked as the pages walk it: up to the first
// empty name, never past the buffer.
std::vector<std::string> WalkList(const Buffer& buffer, const char* what) {
    std::vector<std::string> names;
    std::size_t at = 0;
    while (at < buffer.size && buffer.bytes[at] != '\0') {
        const void* end = std::memchr(buffer.bytes + at, '\0', buffer.size - at);
        if (!end) Fail(std::string(what) + ": a walk of the list runs past the buffer");
        const std::size_t length = static_cast<const char*>(end) - (buffer.bytes + at);
        names.emplace_back(buffer.bytes + at, length);
        at += length + 1;
    }
    if (at >= buffer.size) Fail(std::string(what) + ": the list does not end inside the buffer");
    return names;
}

std::string ReadValue(const char* section, const char* key, const char* fallback, std::size_t size) {
    Buffer buffer(size);
    const DWORD got = GetPrivateProfileStringA(section, key, fallback, buffer.bytes, static_cast<DWORD>(size), kFile);
    if (size == 0) {
        if (got != 0) Fail("a read with no buffer answered " + std::to_string(got));
        return std::string();
    }
    if (got > size - 1) Fail("a read answered " + std::to_string(got) + " for a buffer of " + std::to_string(size));
    if (buffer.bytes[got] != '\0') Fail("a read did not end its text where its count says");
    return std::string(buffer.bytes, got);
}

std::vector<std::string> ReadList(const char* section, const char* fallback, std::size_t size) {
    Buffer buffer(size);
    const DWORD got = GetPrivateProfileStringA(section, nullptr, fallback, buffer.bytes, static_cast<DWORD>(size), kFile);
    if (size == 0) return {};
    // A whole list that fills the buffer to its last byte answers size-1,
    // a cut one size-2.
    if (got > size - 1) Fail("a list answered " + std::to_string(got) + " for a buffer of " + std::to_string(size));
    return WalkList(buffer, section ? "a key list" : "the section list");
}

// What the file says, through the functions themselves: every section and
// every key of it with its value.  Only whole lists are taken (a large
// buffer); names with a NUL byte in them cannot be asked for and are left
// out.
using Contents = std::map<std::pair<std::string, std::string>, std::string>;

std::string Lower(std::string text) {
    for (char& c : text) c = Fold(c);
    return text;
}

Contents Snapshot() {
    Contents contents;
    for (const std::string& section : ReadList(nullptr, nullptr, 65536)) {
        // A section that cannot be found by the name listed (a name with a
        // NUL in it) gives the default back: it has no keys to ask for.
        const std::vector<std::string> keys = ReadList(section.c_str(), "\x01none", 65536);
        if (keys.size() == 1 && keys[0] == "\x01none") continue;
        for (const std::string& key : keys) {
            const auto where = std::make_pair(Lower(section), Lower(key));
            if (contents.count(where)) continue;  // the first of two keys wins
            contents[where] = ReadValue(section.c_str(), key.c_str(), "\x01missing", 65536);
        }
    }
    return contents;
}

void Write(const char* section, const char* key, const char* value) {
    const std::string before = zpfuzz::ReadFile(kMachineFile).value_or("<none>");
    const Contents was = Snapshot();
    const BOOL written = WritePrivateProfileStringA(section, key, value, kFile);
    const std::string after = zpfuzz::ReadFile(kMachineFile).value_or("<none>");
    if (!written && after != before) Fail("a write that failed changed the file", after, before);
    if (zpfuzz::Files().size() != (after == "<none>" ? 1u : 2u)) Fail("a write left a file beside ZP.INI");
    if (!section) return;

    const Contents now = Snapshot();
    for (const auto& [where, text] : was) {
        // Names are taken without the blanks around them.
        const bool touched =
            SameName(where.first, Trimmed(section)) && (!key || SameName(where.second, Trimmed(key)));
        if (touched && written) continue;
        const auto found = now.find(where);
        if (found == now.end()) Fail("a write lost [" + where.first + "] " + where.second);
        if (found->second != text) Fail("a write changed [" + where.first + "] " + where.second, found->second, text);
    }
    if (written && key && value) {
        const std::string back = ReadValue(section, key, "\x01missing", 65536);
        if (back != Trimmed(value)) {
            Fail(std::string("a written value does not read back: [") + section + "] " + key, back, Trimmed(value));
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    zpfuzz::Machine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::optional<std::string> script = zpfuzz::TakeField(input);
    if (!script) return 0;
    zpfuzz::ResetMachine("");
    zpfuzz::WriteFile(kMachineFile, input);
    // Another program wrote the file: forget any parsed copy.
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, kFile);

    std::size_t start = 0;
    for (int commands = 0; start < script->size() && commands < 32; ++commands) {
        std::size_t end = script->find('\n', start);
        if (end == std::string::npos) end = script->size();
        const std::vector<std::string> f = Split(script->substr(start, end - start));
        start = end + 1;
        if (f[0] == "g" && f.size() == 5) {
            ReadValue(Text(f[1]), Text(f[2]), Text(f[3]), Size(f[4]));
        } else if (f[0] == "l" && f.size() == 4) {
            ReadList(Text(f[1]), Text(f[2]), Size(f[3]));
        } else if (f[0] == "s" && f.size() == 2) {
            ReadList(nullptr, nullptr, Size(f[1]));
        } else if (f[0] == "w" && f.size() == 4) {
            Write(Text(f[1]), Text(f[2]), Text(f[3]));
        } else if (f[0] == "f") {
            WritePrivateProfileStringA(nullptr, nullptr, nullptr, kFile);
        }
    }
    return 0;
}
