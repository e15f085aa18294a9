// The run: load the helper driver, then the two batch files and the
// configuration file.
#include <cstring>

#include "textfile.h"

namespace {

// Looks name up in the environment the program inherited.
int GetVariable(const char* name, char* value) {
    char* block = GetEnvironmentStrings();
    if (!block) {
        value[0] = '\0';
        return -1;
    }
    const int length = LookupEnvironment(block, name, value, kTextSize);
    FreeEnvironmentStringsA(block);
    return length;
}

// A value is taken only whole: one that does not fit its buffer gives null.
const char* WholeValue(int length, const char* value) {
    return length < static_cast<int>(kTextSize) ? value : nullptr;
}

}  // namespace

int LookupEnvironment(const char* block, const char* name, char* value, std::size_t size) {
    const std::size_t nameLength = std::strlen(name);
    for (const char* entry = block; *entry; entry += std::strlen(entry) + 1) {
        if (entry[0] == '=') continue;
        if (std::strlen(entry) <= nameLength || entry[nameLength] != '=') continue;
        bool same = true;
        for (std::size_t i = 0; i < nameLength && same; ++i) same = UpperAscii(entry[i]) == UpperAscii(name[i]);
        if (!same) continue;
        const char* found = entry + nameLength + 1;
        const std::size_t length = std::strlen(found);
        const std::size_t copied = length < size ? length : size - 1;
        std::memcpy(value, found, copied);
        value[copied] = '\0';
        return static_cast<int>(length);
    }
    value[0] = '\0';
    return -1;
}

int RunBootSync() {
    HANDLE driver = CreateFileA("\\\\.\\SETHARMO.VXD", 0, 0, nullptr, 0, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (driver == INVALID_HANDLE_VALUE) return 1;

    // An absent variable is the empty value.
    char harmnair[kTextSize];
    char blaster[kTextSize];
    const char* harmnairValue = WholeValue(GetVariable("HARMNAIR", harmnair), harmnair);
    const char* blasterValue = WholeValue(GetVariable("BLASTER", blaster), blaster);

    // AUTOEXEC.BAT in the root of COMSPEC's drive: its first three characters.
    char autoexecPath[kTextSize];
    char comspec[kTextSize];
    if (GetVariable("COMSPEC", comspec) >= 0) {
        if (std::strlen(comspec) > 3) comspec[3] = '\0';
        JoinText(autoexecPath, comspec, "AUTOEXEC.BAT");
    } else {
        JoinText(autoexecPath, "C:\\AUTOEXEC.BAT");
    }
    if (FileExists(autoexecPath)) RewriteBatchFile(autoexecPath, harmnairValue, blasterValue);

    // DOSSTART.BAT in the boot directory; a directory too long for the
    // buffers names no file that can be rewritten.
    char directory[kTextSize];
    char dosstartPath[kTextSize];
    const int directoryLength = GetVariable("WINBOOTDIR", directory);
    if (directoryLength < 0) JoinText(directory, "C:\\WINDOWS");
    const std::size_t length = std::strlen(directory);
    const bool endsInBackslash = length > 0 && directory[length - 1] == '\\';
    if (WholeValue(directoryLength, directory) &&
        JoinText(dosstartPath, directory, endsInBackslash ? "" : "\\", "DOSSTART.BAT") && FileExists(dosstartPath)) {
        RewriteBatchFile(dosstartPath, harmnairValue, blasterValue);
    }

    // The configuration file, reusing the directory buffer; a path too long
    // for it names no file that can be rewritten.
    const int configLength = GetVariable("ZENOPHASE", directory);
    if (configLength >= 0 && WholeValue(configLength, directory)) SyncResourceKeys(directory);

    CloseHandle(driver);
    return 1;
}
