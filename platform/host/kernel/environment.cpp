// The process environment, as Win32 shows it.
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string>

#include "../host_kernel.h"
#include "machine.h"

extern char** environ;

namespace {

std::mutex blocksLock;
std::set<void*> blocks;  // the blocks GetEnvironmentStrings handed out

}  // namespace

HOSTWIN_API LPSTR WINAPI GetEnvironmentStrings(void) {
    std::string block;
    for (char** entry = environ; entry && *entry; ++entry) {
        block += *entry;
        block += '\0';
    }
    block += '\0';
    if (block.size() == 1) block += '\0';
    char* copy = static_cast<char*>(std::malloc(block.size()));
    if (!copy) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::memcpy(copy, block.data(), block.size());
    std::lock_guard<std::mutex> guard(blocksLock);
    blocks.insert(copy);
    return copy;
}

HOSTWIN_API BOOL WINAPI FreeEnvironmentStringsA(LPSTR block) {
    {
        std::lock_guard<std::mutex> guard(blocksLock);
        if (blocks.erase(block) == 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
    }
    std::free(block);
    return TRUE;
}

// Names match without regard to case, as on Windows; the first entry wins.
HOSTWIN_API DWORD WINAPI GetEnvironmentVariableA(LPCSTR name, LPSTR buf, DWORD size) {
    const std::size_t nameLength = name ? std::strlen(name) : 0;
    for (char** entry = environ; name && entry && *entry; ++entry) {
        const char* equals = std::strchr(*entry, '=');
        if (!equals || equals == *entry ||
            !hostwin::EqualsIgnoringCase(std::string_view(*entry, static_cast<std::size_t>(equals - *entry)),
                                         std::string_view(name, nameLength))) {
            continue;
        }
        const char* value = equals + 1;
        const DWORD length = static_cast<DWORD>(std::strlen(value));
        if (!buf || size <= length) return length + 1;
        std::memcpy(buf, value, length + 1);
        SetLastError(ERROR_SUCCESS);
        return length;
    }
    SetLastError(ERROR_ENVVAR_NOT_FOUND);
    return 0;
}
