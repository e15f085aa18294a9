// One of the card's drivers as a Windows library: vzpd.vxd (ZP_DEVICE_VZPD)
// or setharmo.vxd (ZP_DEVICE_SETHARMO).
//
// The machine directory is the Unix path in HOSTWIN_ROOT, as for the host
// layer; Wine names it for Windows (wine_get_dos_file_name, else Z: and the
// path).  The library refuses to load when card.ini marks its device absent
// (or there is no machine), which makes the open fail with error 2, as a
// driver that is not installed does.
#include <windows.h>

#include <string>

#include "card.h"

namespace {

#if defined(ZP_DEVICE_VZPD)
constexpr card::Device kDevice = card::Device::Vzpd;
#elif defined(ZP_DEVICE_SETHARMO)
constexpr card::Device kDevice = card::Device::Setharmo;
#else
#error "ZP_DEVICE_VZPD or ZP_DEVICE_SETHARMO"
#endif

std::string MachineDir;
card::Card TheCard;  // the live mixer settings last for the process

// The machine directory as a Windows path, or empty when HOSTWIN_ROOT is unset.
std::string FindMachineDir() {
    char unixPath[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("HOSTWIN_ROOT", unixPath, sizeof unixPath);
    if (length == 0 || length >= sizeof unixPath) return {};
    using DosName = WCHAR*(CDECL*)(const char*);
    auto dosName = reinterpret_cast<DosName>(
        reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    if (WCHAR* wide = dosName ? dosName(unixPath) : nullptr) {
        char path[MAX_PATH];
        int got = WideCharToMultiByte(CP_ACP, 0, wide, -1, path, sizeof path, nullptr, nullptr);
        HeapFree(GetProcessHeap(), 0, wide);
        if (got > 0) return path;
    }
    std::string path = "Z:";
    for (const char* c = unixPath; *c; ++c) path += *c == '/' ? '\\' : *c;
    return path;
}

}  // namespace

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH) return TRUE;
    DisableThreadLibraryCalls(instance);
    MachineDir = FindMachineDir();
    if (MachineDir.empty()) return FALSE;
    card::CardConfig config;
    card::ReadCardIni(MachineDir, config);
    card::ReloadCard(TheCard, config);
    return card::DevicePresent(config, kDevice) ? TRUE : FALSE;
}

// What Wine calls for DeviceIoControl on the device's handle: the kernel32
// arguments without the handle.
extern "C" BOOL WINAPI VxdDeviceIoControl(DWORD code, LPVOID in, DWORD inSize, LPVOID out, DWORD outSize,
                                          LPDWORD returned, LPOVERLAPPED overlapped) {
    if (returned) *returned = 0;
    if (overlapped) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (kDevice != card::Device::Vzpd) {
        // The helper driver takes no requests.
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    // card.ini is read again for every request, as the host reads it at
    // every open; the live mixer settings stay.
    card::CardConfig config;
    card::ReadCardIni(MachineDir, config);
    card::ReloadCard(TheCard, config);
    card::AppendRequestLog(MachineDir, card::RequestLogLine(code, in));
    card::Answer answer = card::AnswerRequest(TheCard, code, in, inSize, out, outSize);
    if (returned) *returned = answer.returned;
    if (answer.result == 0) SetLastError(answer.lastError);
    return answer.result;
}
