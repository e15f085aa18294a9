// Windows: the toolchain's SDK headers, pinned to the Windows 95 generation.
#pragma once

#ifndef WINVER
#define WINVER 0x0400
#endif
#ifndef _WIN32_WINDOWS
#define _WIN32_WINDOWS 0x0400
#endif
#ifndef _WIN32_IE
#define _WIN32_IE 0x0400
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <cpl.h>

// True on the real platform, false on the host layer; lets the system's code
// state layout checks that only hold for 32-bit Windows without an #if.
inline constexpr bool kPlatformIsWin32 = true;
