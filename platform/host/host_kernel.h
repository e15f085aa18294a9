// Host layer: kernel, registry and profile services.
//
// The simulated machine lives in the directory named by HOSTWIN_ROOT:
// drive_c/ is C:, drive_d/ is D:, registry.reg the registry (REGEDIT4 text),
// card.ini the card.  DOS paths resolve there, each name matched without
// regard to ASCII case.
#pragma once

#include "host_types.h"

// ---- errors -------------------------------------------------------------
#define ERROR_SUCCESS 0L
#define NO_ERROR 0L
#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_PATH_NOT_FOUND 3L
#define ERROR_ACCESS_DENIED 5L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_NOT_ENOUGH_MEMORY 8L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_GEN_FAILURE 31L
#define ERROR_WRITE_FAULT 29L
#define ERROR_READ_FAULT 30L
#define ERROR_NOT_SUPPORTED 50L
#define ERROR_FILE_EXISTS 80L
#define ERROR_INSUFFICIENT_BUFFER 122L
#define ERROR_ALREADY_EXISTS 183L
#define ERROR_MORE_DATA 234L
#define ERROR_NO_MORE_FILES 18L
#define ERROR_INVALID_FUNCTION 1L
#define ERROR_DISK_FULL 112L
#define ERROR_BAD_EXE_FORMAT 193L
#define ERROR_ENVVAR_NOT_FOUND 203L
#define ERROR_FILENAME_EXCED_RANGE 206L

HOSTWIN_API DWORD WINAPI GetLastError(void);
HOSTWIN_API void WINAPI SetLastError(DWORD code);

// ---- handles and files ----------------------------------------------------
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define FILE_ATTRIBUTE_READONLY 0x00000001u
#define FILE_ATTRIBUTE_DIRECTORY 0x00000010u
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u
#define FILE_FLAG_DELETE_ON_CLOSE 0x04000000u

struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
typedef SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

struct OVERLAPPED;
typedef OVERLAPPED* LPOVERLAPPED;

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};

struct WIN32_FIND_DATAA {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    CHAR cFileName[MAX_PATH];
    CHAR cAlternateFileName[14];
};
typedef WIN32_FIND_DATAA* LPWIN32_FIND_DATAA;

// "\\.\NAME.VXD" opens a device of the simulated card (card.ini) when it is
// present; anything else is a file of the machine.
HOSTWIN_API HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                                      DWORD disposition, DWORD flags, HANDLE templ);
HOSTWIN_API BOOL WINAPI CloseHandle(HANDLE h);
HOSTWIN_API BOOL WINAPI ReadFile(HANDLE h, LPVOID buf, DWORD size, LPDWORD read, LPOVERLAPPED ov);
HOSTWIN_API BOOL WINAPI WriteFile(HANDLE h, LPCVOID buf, DWORD size, LPDWORD written, LPOVERLAPPED ov);
HOSTWIN_API HANDLE WINAPI FindFirstFileA(LPCSTR name, LPWIN32_FIND_DATAA data);
HOSTWIN_API BOOL WINAPI FindClose(HANDLE h);
HOSTWIN_API BOOL WINAPI MoveFileA(LPCSTR from, LPCSTR to);
HOSTWIN_API BOOL WINAPI MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags);
#define MOVEFILE_REPLACE_EXISTING 0x00000001u
HOSTWIN_API BOOL WINAPI DeleteFileA(LPCSTR name);
HOSTWIN_API DWORD WINAPI GetFileAttributesA(LPCSTR name);
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)

HOSTWIN_API BOOL WINAPI DeviceIoControl(HANDLE device, DWORD code, LPVOID in, DWORD inSize, LPVOID out,
                                        DWORD outSize, LPDWORD returned, LPOVERLAPPED ov);

// ---- environment, modules, system ----------------------------------------
// The block: NAME=VALUE entries, each NUL-terminated, ended by an empty entry.
HOSTWIN_API LPSTR WINAPI GetEnvironmentStrings(void);
#define GetEnvironmentStringsA GetEnvironmentStrings
HOSTWIN_API BOOL WINAPI FreeEnvironmentStringsA(LPSTR block);
HOSTWIN_API DWORD WINAPI GetEnvironmentVariableA(LPCSTR name, LPSTR buf, DWORD size);

HOSTWIN_API UINT WINAPI GetWindowsDirectoryA(LPSTR buf, UINT size);

// Finds a loaded module (the program or a library) by file name, ignoring
// case; a null name gives the program itself.
HOSTWIN_API HMODULE WINAPI GetModuleHandleA(LPCSTR name);
HOSTWIN_API HMODULE WINAPI LoadLibraryA(LPCSTR name);
HOSTWIN_API BOOL WINAPI FreeLibrary(HMODULE module);
typedef INT_PTR(WINAPI* FARPROC)();
HOSTWIN_API FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name);
HOSTWIN_API BOOL WINAPI DisableThreadLibraryCalls(HMODULE module);

#define DLL_PROCESS_DETACH 0
#define DLL_PROCESS_ATTACH 1
#define DLL_THREAD_ATTACH 2
#define DLL_THREAD_DETACH 3

// ---- processes ------------------------------------------------------------
struct STARTUPINFOA {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
};
typedef STARTUPINFOA* LPSTARTUPINFOA;

struct PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
};
typedef PROCESS_INFORMATION* LPPROCESS_INFORMATION;

// The application name is mapped into the machine and started without
// waiting; its argument vector is the command line split at blanks.
HOSTWIN_API BOOL WINAPI CreateProcessA(LPCSTR app, LPSTR cmdLine, LPSECURITY_ATTRIBUTES pa,
                                       LPSECURITY_ATTRIBUTES ta, BOOL inherit, DWORD flags, LPVOID env,
                                       LPCSTR dir, LPSTARTUPINFOA si, LPPROCESS_INFORMATION pi);
HOSTWIN_API DWORD WINAPI WaitForSingleObject(HANDLE h, DWORD ms);
HOSTWIN_API BOOL WINAPI GetExitCodeProcess(HANDLE process, LPDWORD code);
#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0u
#define WAIT_TIMEOUT 258u
#define WAIT_FAILED 0xFFFFFFFFu
#define STILL_ACTIVE 259u

// ---- heap -------------------------------------------------------------------
// The applet's heap.  Tests can make the n-th allocation fail (host_seams.h).
HOSTWIN_API HANDLE WINAPI GetProcessHeap(void);
HOSTWIN_API LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T size);
HOSTWIN_API BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, LPVOID mem);
#define HEAP_ZERO_MEMORY 0x00000008u

// ---- profile files ----------------------------------------------------------
HOSTWIN_API DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR buf,
                                                  DWORD size, LPCSTR file);
HOSTWIN_API BOOL WINAPI WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file);

// ---- registry (read only) ---------------------------------------------------
#define HKEY_CLASSES_ROOT ((HKEY)(ULONG_PTR)0x80000000u)
#define HKEY_CURRENT_USER ((HKEY)(ULONG_PTR)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(ULONG_PTR)0x80000002u)
#define HKEY_USERS ((HKEY)(ULONG_PTR)0x80000003u)
#define KEY_QUERY_VALUE 0x0001u
#define KEY_READ 0x20019u
#define REG_NONE 0u
#define REG_SZ 1u
#define REG_EXPAND_SZ 2u
#define REG_BINARY 3u
#define REG_DWORD 4u

HOSTWIN_API LSTATUS WINAPI RegOpenKeyA(HKEY key, LPCSTR sub, PHKEY result);
HOSTWIN_API LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR sub, DWORD options, REGSAM sam, PHKEY result);
HOSTWIN_API LSTATUS WINAPI RegQueryValueA(HKEY key, LPCSTR sub, LPSTR data, PLONG size);
HOSTWIN_API LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                            LPDWORD size);
HOSTWIN_API LSTATUS WINAPI RegCloseKey(HKEY key);
