// Starts the shell's applet runner on zpcfgpnl.CPL.
#include "panelrun.h"

#include <cstring>

namespace {

constexpr std::size_t kPathSize = 256;
// The most of the path buffer the Windows directory may fill, with its NUL.
constexpr UINT kWindowsDirectorySize = 144;

constexpr char kRunnerFile[] = "\\RUNDLL32.EXE";
constexpr char kRunnerEntry[] = "SHELL32.DLL,Control_RunDLL";
constexpr char kAppletFile[] = "zpcfgpnl.CPL";

bool Append(char* buffer, std::size_t size, const char* text) {
    const std::size_t used = std::strlen(buffer), more = std::strlen(text);
    if (used + more >= size) return false;
    std::memcpy(buffer + used, text, more + 1);
    return true;
}

bool RunnerExists(const char* path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path, &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    return true;
}

}  // namespace

HANDLE StartAppletRunner(const char* windowsDirectory) {
    char path[kPathSize] = "";
    if (!Append(path, kWindowsDirectorySize, windowsDirectory) || !Append(path, kPathSize, kRunnerFile) ||
        !RunnerExists(path)) {
        return nullptr;
    }
    // The three items joined by single blanks, unquoted.
    char commandLine[kPathSize * 2] = "";
    Append(commandLine, sizeof commandLine, path);
    Append(commandLine, sizeof commandLine, " ");
    Append(commandLine, sizeof commandLine, kRunnerEntry);
    Append(commandLine, sizeof commandLine, " ");
    Append(commandLine, sizeof commandLine, kAppletFile);

    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    if (!CreateProcessA(path, commandLine, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
        return nullptr;
    }
    CloseHandle(process.hThread);
    return process.hProcess;
}

int RunPanelLauncher() {
    // A failed query, or a directory that does not fit its 144 bytes, leaves
    // nothing to start.
    char directory[kPathSize];
    const UINT length = GetWindowsDirectoryA(directory, kWindowsDirectorySize);
    if (length > 0 && length < kWindowsDirectorySize) StartAppletRunner(directory);
    return 0;
}
