// The system's directories.
#include <cstring>

#include "../host_kernel.h"

namespace {
constexpr char kWindowsDirectory[] = "C:\\WINDOWS";
constexpr UINT kWindowsDirectoryLength = sizeof kWindowsDirectory - 1;
}  // namespace

// The length copied, or the size needed (with the NUL) when it does not fit.
HOSTWIN_API UINT WINAPI GetWindowsDirectoryA(LPSTR buf, UINT size) {
    if (!buf || size <= kWindowsDirectoryLength) return kWindowsDirectoryLength + 1;
    std::memcpy(buf, kWindowsDirectory, sizeof kWindowsDirectory);
    return kWindowsDirectoryLength;
}
