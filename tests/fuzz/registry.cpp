// The registry reader on arbitrary registry.reg bytes, through the Win32
// calls: opens, default values and named values with buffers of every size.
// A query never writes past the size it is given, a successful one hands
// back a text terminated at the size it reports, the two ways to the same
// default value agree, every key the file names can be opened, and every
// opened key closes.
//
// Input: a key path, a NUL, a value name, a NUL, a buffer size (one byte),
// then the file's bytes.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_support.h"
#include "platform.h"

namespace {

using zpfuzz::Fail;

struct Root {
    HKEY key;
    const char* name;
};
const Root kRoots[] = {{HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
                       {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
                       {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
                       {HKEY_USERS, "HKEY_USERS"}};

// A buffer of exactly size bytes, so that the sanitizer sees any write past it.
struct Buffer {
    explicit Buffer(std::size_t n) : size(n), bytes(static_cast<char*>(std::malloc(n ? n : 1))) {
        std::memset(bytes, 0x5a, size ? size : 1);
    }
    ~Buffer() { std::free(bytes); }
    std::size_t size;
    char* bytes;
};

// A successful query's text: within the buffer and terminated where the size says.
void CheckText(const char* what, LSTATUS status, const Buffer& buffer, DWORD reported) {
    if (status == ERROR_SUCCESS) {
        // The file may hold NUL bytes inside a value, as a real registry may.
        if (reported == 0 || reported > buffer.size || buffer.bytes[reported - 1] != '\0') {
            Fail(std::string(what) + ": the size reported, " + std::to_string(reported) + " of " +
                     std::to_string(buffer.size) + ", does not fit the text",
                 std::string_view(buffer.bytes, std::min<std::size_t>(buffer.size, reported)));
        }
    } else if (status == ERROR_MORE_DATA) {
        if (reported <= buffer.size) Fail(std::string(what) + ": more data, yet the size needed fits");
    }
}

// The default value of an open key, read both ways; the size from a query
// without a buffer is enough for the real one.
void QueryDefault(HKEY key, std::size_t size) {
    Buffer buffer(size);
    LONG got = static_cast<LONG>(size);
    const LSTATUS status = RegQueryValueA(key, nullptr, buffer.bytes, &got);
    CheckText("RegQueryValueA", status, buffer, static_cast<DWORD>(got));

    DWORD needed = 0;
    if (RegQueryValueExA(key, nullptr, nullptr, nullptr, nullptr, &needed) == ERROR_SUCCESS) {
        Buffer exact(needed);
        DWORD type = REG_NONE, room = needed;
        const LSTATUS again = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(exact.bytes), &room);
        if (again != ERROR_SUCCESS) Fail("RegQueryValueExA fails with the size it asked for");
        CheckText("RegQueryValueExA", again, exact, room);
        if (status == ERROR_SUCCESS &&
            (static_cast<DWORD>(got) != room || std::memcmp(buffer.bytes, exact.bytes, room) != 0)) {
            Fail("RegQueryValueA and RegQueryValueExA read different default values",
                 std::string_view(buffer.bytes, static_cast<std::size_t>(got)), std::string_view(exact.bytes, room));
        }
    }
}

void QueryNamed(HKEY key, const char* name, std::size_t size) {
    Buffer buffer(size);
    DWORD room = static_cast<DWORD>(size), type = REG_NONE;
    const LSTATUS status = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.bytes), &room);
    CheckText("RegQueryValueExA", status, buffer, room);
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

void Close(HKEY key) {
    if (RegCloseKey(key) != ERROR_SUCCESS) Fail("an opened key does not close");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    zpfuzz::Machine();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::string path = zpfuzz::TakeField(input).value_or("");
    const std::string name = zpfuzz::TakeField(input).value_or("");
    std::size_t bufferSize = 0;
    if (!input.empty()) {
        bufferSize = static_cast<unsigned char>(input.front());
        input.remove_prefix(1);
    }
    const std::string file(input);
    zpfuzz::ResetMachine("");
    zpfuzz::WriteFile("registry.reg", file);

    for (const Root& root : kRoots) {
        HKEY key;
        if (RegOpenKeyA(root.key, path.c_str(), &key) == ERROR_SUCCESS) {
            QueryDefault(key, bufferSize);
            QueryNamed(key, name.c_str(), bufferSize);
            Close(key);
        }
        if (RegOpenKeyExA(root.key, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
            QueryNamed(key, name.c_str(), bufferSize);
            Close(key);
        }
        // The default value of a subkey, without opening it first.
        Buffer buffer(bufferSize);
        LONG got = static_cast<LONG>(bufferSize);
        CheckText("RegQueryValueA of a subkey", RegQueryValueA(root.key, path.c_str(), buffer.bytes, &got), buffer,
                  static_cast<DWORD>(got));
    }

    // Every key the file names opens: "[ROOT\PATH]" lines, blanks around them ignored.
    std::string_view rest(file);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        if (line.size() < 2 || line.front() != '[' || line[1] == '-') continue;
        const std::size_t close = line.rfind(']');
        if (close == std::string_view::npos) continue;
        const std::string named(line.substr(1, close - 1));
        if (named.find('\0') != std::string::npos) continue;
        for (const Root& root : kRoots) {
            const std::size_t length = std::strlen(root.name);
            if (named.size() <= length + 1 || named[length] != '\\') continue;
            bool same = true;
            for (std::size_t i = 0; i < length && same; ++i) same = Upper(named[i]) == root.name[i];
            if (!same) continue;
            HKEY key;
            const std::string sub = named.substr(length + 1);
            if (sub.find_first_not_of('\\') == std::string::npos) continue;
            if (RegOpenKeyA(root.key, sub.c_str(), &key) != ERROR_SUCCESS) Fail("a key the file names does not open", sub);
            QueryDefault(key, bufferSize);
            Close(key);
        }
    }
    return 0;
}
