// The configuration file, reached only through the profile functions.
#include <cstring>

#include "applet.h"

DWORD ReadConfig(const char* section, const char* key, const char* def, char* buf, DWORD size) {
    if (!buf || size == 0) {
        return 0;
    }
    std::memset(buf, 0, size);
    DWORD result = GetPrivateProfileStringA(section, key, def, buf, size, ConfigFilePath);
    buf[size - 1] = '\0';
    if (!key) {
        // A key list ends with an empty name, even one the platform cut short.
        if (size >= 2) {
            buf[size - 2] = '\0';
        }
        return result < size ? result : size - 1;
    }
    return static_cast<DWORD>(std::strlen(buf));
}

BOOL WriteConfig(const char* section, const char* key, const char* value) {
    return WritePrivateProfileStringA(section, key, value, ConfigFilePath);
}

void FlushConfig() {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, ConfigFilePath);
}

bool SwitchIsOn(const char* text, DWORD length, const char* onWord, bool emptyIsOn) {
    if (length == 0) {
        return emptyIsOn;
    }
    return EqualsNoCase(text, onWord);
}

// A name that cannot be copied for want of memory is passed over, so that
// the taken names stay one after another without gaps.
LONG WalkKeyList(const char* section, std::span<char*> names, const char* current, LONG* selected,
                 bool* missing) {
    char list[kKeyListSize];
    ReadConfig(section, nullptr, "foo", list, sizeof list);

    for (char*& slot : names) {
        FreeText(slot);
    }
    if (missing) {
        *missing = EqualsNoCase(list, "foo");
        if (*missing) {
            return 0;
        }
    }

    std::size_t taken = 0;
    std::size_t pos = 0;
    while (pos < sizeof list && list[pos] != '\0' && taken < names.size()) {
        const char* name = list + pos;
        const void* end = std::memchr(name, '\0', sizeof list - pos);
        if (!end) {
            break;
        }
        std::size_t length = static_cast<const char*>(end) - name;
        if (!EqualsNoCase(name, "default")) {
            char* copy = CopyText(name);
            if (copy) {
                names[taken] = copy;
                if (current && selected && EqualsNoCase(name, current)) {
                    *selected = static_cast<LONG>(taken);
                }
                ++taken;
            }
        }
        pos += length + 1;
    }
    return static_cast<LONG>(taken);
}
