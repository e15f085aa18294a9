// bootsync: while the card's helper driver is loaded, brings the SET lines of
// AUTOEXEC.BAT and DOSSTART.BAT and the resource keys of the configuration
// file in step with the environment and the registry.
#pragma once

#include <cstddef>

#include "platform.h"

// Every working text: at most 255 characters and the terminator.
inline constexpr std::size_t kTextSize = 256;
// One read of a text file delivers at most this many characters.
inline constexpr int kPieceMax = 254;

// The whole run; the exit code is 1 on every path.
int RunBootSync();

// Rewrites the HARMNAIR and BLASTER SET lines of one batch file.  A null
// value leaves that variable's lines as they are and appends none for it.
// Returns 0 when the file was rewritten and its backup deleted, -1 otherwise
// (the file untouched or restored, or the backup left because it could not
// be deleted).
int RewriteBatchFile(const char* path, const char* harmnair, const char* blaster);

// The name of a free backup file for path: the path without the extension of
// its file name, then .001 to .999, the first that does not exist (1), or
// .TMP when all are taken (0).  -1, with an empty name, when no such name
// fits in kTextSize bytes.
int MakeBackupName(const char* path, char* backup);

// Rewrites the resource keys of the configuration file from the registry.
void SyncResourceKeys(const char* path);

// The default value of HKEY_LOCAL_MACHINE\keyPath into value (kTextSize
// bytes): 0 when read, -1 when the key cannot be opened, else the query's status.
LONG ReadSettingsValue(const char* keyPath, char* value);

// Looks name up in an environment block (NAME=VALUE entries, each
// NUL-terminated, ended by an empty one), ignoring case; entries that start
// with '=' are not variables.  Copies at most size-1 characters of the value
// (always terminated) and returns the value's whole length, or -1 (and an
// empty value) when the variable is absent.
int LookupEnvironment(const char* block, const char* name, char* value, std::size_t size);

// True when a directory search finds exactly this name (a file or a directory).
bool FileExists(const char* path);
