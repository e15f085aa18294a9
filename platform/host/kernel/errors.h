// Win32 error codes of host failures.
#pragma once

#include "../host_kernel.h"

namespace hostwin {

// The Win32 error for an errno value of a failed file call.
DWORD ErrorFromErrno(int error);

}  // namespace hostwin
