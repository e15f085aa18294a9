// Host layer seams: what tests and cplhost reach beyond the Win32 surface.
// The system's code never includes this header.
#pragma once

#include "hostwin.h"

// ---- the user -----------------------------------------------------------------
// Whoever plays the user: cplhost's script or terminal, or a test.  A modal
// loop (PropertySheetA) calls step() each time it waits for input; the agent
// performs one action through the ordinary Win32 calls (SendMessageA,
// PSM_PRESSBUTTON, ...) and returns non-zero, or returns 0 when it has
// nothing more to do, which closes the sheet as Cancel would.  MessageBoxA
// asks messageBox() for the button pressed; WinHelpA reports to help().
struct HostUserAgent {
    int (*step)(void* ctx, HWND modal);
    int (*messageBox)(void* ctx, HWND owner, const char* text, const char* caption, UINT type);
    void (*help)(void* ctx, HWND wnd, const char* file, UINT command, ULONG_PTR data);
};
// The agent is copied; null removes it.
HOSTWIN_API void HostSetUserAgent(const HostUserAgent* agent, void* ctx);

// ---- windows ------------------------------------------------------------------
// The number of windows that exist (tests check that a sheet leaves none).
HOSTWIN_API int HostLiveWindowCount(void);

// ---- injected faults ------------------------------------------------------------
// File operations are CreateFileA of a file, ReadFile, WriteFile, CloseHandle
// of a file, MoveFileA, MoveFileExA and DeleteFileA.  HostFailFileOp(n) makes
// the n-th such operation from now on fail (n counts from 1; 0 disarms), once.
// The environment variable HOSTWIN_FAIL_FILE_OP=n arms the same fault at
// process start, for tests that run a whole program.  A failed operation does
// nothing (a failed CloseHandle still releases the handle) and sets the last
// error: ERROR_ACCESS_DENIED for opens, renames and deletes, ERROR_READ_FAULT
// for reads, ERROR_WRITE_FAULT for writes and closes.
HOSTWIN_API void HostFailFileOp(long n);
HOSTWIN_API long HostFileOpCount(void);

// The same for HeapAlloc (HOSTWIN_FAIL_ALLOC=n at process start).
HOSTWIN_API void HostFailAlloc(long n);
HOSTWIN_API long HostAllocCount(void);
HOSTWIN_API long HostLiveAllocations(void);

// ---- the machine --------------------------------------------------------------------
// The machine directory (HOSTWIN_ROOT), or null when it is not set.
HOSTWIN_API const char* HostMachineRoot(void);
// Maps a DOS path (C:\WINDOWS\SYSTEM\X.DLL) to the file of the machine that
// it names, matching each name without regard to case; a name that does not
// exist yet keeps its spelling.  Returns 0 when the path names no drive.
HOSTWIN_API int HostMapPath(const char* dosPath, char* out, unsigned size);
