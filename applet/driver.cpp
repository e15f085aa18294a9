// The card's audio driver: one open per operation, closed again at once.
#include "applet.h"

namespace {

constexpr char kDriverDevice[] = "\\\\.\\vzpd.vxd";

}  // namespace

// Only the handle tells whether the open worked: the last error is not reset
// by a successful open, so a stale one must not count as a failure.
bool AudioDriver::Open() {
    Close();
    handle_ = CreateFileA(kDriverDevice, 0, 0, nullptr, 0, 0, nullptr);
    return IsOpen();
}

bool AudioDriver::Control(DriverCode code, void* in, DWORD inSize, void* out, DWORD outSize, DWORD* returned) {
    if (!IsOpen()) {
        return false;
    }
    DWORD count = 0;
    return DeviceIoControl(handle_, code, in, inSize, out, outSize, returned ? returned : &count, nullptr) != 0;
}

void AudioDriver::Close() {
    if (IsOpen()) {
        CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }
}

int ReloadDriverConfig() {
    AudioDriver driver;
    if (!driver.Open()) {
        ShowErrorBox(IDS_ERR_OPEN_DRIVER);
        FreeMixerConfigList();
        return 1;
    }
    return driver.Control(DIOC_RELOAD_CONFIG, nullptr, 0, nullptr, 0, nullptr) ? 1 : 0;
}
