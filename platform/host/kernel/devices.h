// The devices of the simulated card.
#pragma once

#include "../host_kernel.h"

namespace hostwin {

// Opens "\\.\NAME" (name is what follows "\\.\"): a device of the card when
// card.ini has it present, else INVALID_HANDLE_VALUE with ERROR_FILE_NOT_FOUND.
HANDLE OpenDevice(const char* name, DWORD flags);

}  // namespace hostwin
