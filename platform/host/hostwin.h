// The host layer: our own model of the Win32 interfaces the system calls.
//
// Names, signatures, constants and widths are those of Win32 (LONG, DWORD,
// UINT and BOOL are 32 bits; WPARAM, LPARAM, LRESULT and handles are
// pointer-sized), so that code that is right on one build is right on the
// other.  Only what the system calls is declared, and nothing wider.
// Everything here is written by us; the behaviour follows the documented
// behaviour of the real functions.
#pragma once

#include "host_types.h"
#include "host_kernel.h"
#include "host_user.h"
#include "host_comctl.h"

inline constexpr bool kPlatformIsWin32 = false;
