// A stand-in for the shell's RUNDLL32.EXE that only notes how it was started:
// its command line, its own file and the Windows directory, one a line, in
// C:\RUNDLL32.LOG.
#include <cstdio>

#include "platform.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    char self[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, self, sizeof self);
    char windows[MAX_PATH] = "";
    GetWindowsDirectoryA(windows, sizeof windows);
    std::FILE* log = std::fopen("C:\\RUNDLL32.LOG", "wb");
    if (!log) return 1;
    std::fprintf(log, "%s\n%s\n%s\n", GetCommandLineA(), self, windows);
    std::fclose(log);
    return 0;
}
