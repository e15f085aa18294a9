// The card's devices: SETHARMO.VXD (opened only to be loaded) and the audio
// driver vzpd.vxd, whose requests the card simulator answers and logs.
#include "devices.h"

#include <mutex>

#include "card.h"
#include "handles.h"
#include "machine.h"

namespace hostwin {
namespace {

struct DeviceObject : KernelObject {
    explicit DeviceObject(card::Device d) : KernelObject(ObjectKind::Device), device(d) {}
    const card::Device device;
};

// card.ini is read at every open; the mixer settings the driver was given
// stay in memory for the rest of the process (for the same machine).
struct CardState {
    std::mutex lock;
    std::string root;
    card::Card card;
};

CardState& State() {
    static CardState* state = new CardState;
    return *state;
}

}  // namespace

HANDLE OpenDevice(const char* name, DWORD flags) {
    card::Device device;
    if (EqualsIgnoringCase(name, "SETHARMO.VXD")) {
        device = card::Device::Setharmo;
    } else if (EqualsIgnoringCase(name, "vzpd.vxd")) {
        device = card::Device::Vzpd;
    } else {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const std::string root = RequireMachineRoot();
    card::CardConfig config;
    card::ReadCardIni(root, config);
    {
        CardState& state = State();
        std::lock_guard<std::mutex> guard(state.lock);
        if (state.root != root) {
            state.card = card::Card{};
            state.root = root;
        }
        card::ReloadCard(state.card, config);
    }
    if (!card::DevicePresent(config, device)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    SetLastError(ERROR_SUCCESS);
    return AddHandle(std::make_unique<DeviceObject>(device));
}

}  // namespace hostwin

using namespace hostwin;

HOSTWIN_API BOOL WINAPI DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                                        DWORD outSize, LPDWORD returned, LPOVERLAPPED ov) {
    if (returned) *returned = 0;
    DeviceObject* object = FindObject<DeviceObject>(device, ObjectKind::Device);
    if (!object) {
        SetLastError(FindHandle(device, ObjectKind::File) ? ERROR_INVALID_FUNCTION : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (ov) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (object->device != card::Device::Vzpd) {
        // The helper driver takes no requests.
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    const std::string root = RequireMachineRoot();
    card::AppendRequestLog(root, card::RequestLogLine(code, in));
    card::Answer answer;
    {
        CardState& state = State();
        std::lock_guard<std::mutex> guard(state.lock);
        answer = card::AnswerRequest(state.card, code, in, inSize, out, outSize);
    }
    if (returned) *returned = answer.returned;
    if (answer.result == 0) SetLastError(answer.lastError);
    return answer.result;
}
