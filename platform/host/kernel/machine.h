// The simulated machine: its directory and the mapping of DOS paths into it.
#pragma once

#include <string>
#include <string_view>

namespace hostwin {

// The machine directory.  Without HOSTWIN_ROOT (or when it names no
// directory) this says so on stderr in one line and ends the process.
std::string RequireMachineRoot();

struct MappedPath {
    std::string path;           // the file of the machine
    std::string parent;         // the directory that holds it
    std::string name;           // its last name as given
    bool exists = false;        // the whole path names an existing entry
    bool parentExists = false;  // every directory above the last name exists
    bool hasName = false;       // there is a last name (not just a drive or a trailing separator)
};

// Maps a DOS path (C:\DIR\NAME) into the machine, matching each name without
// regard to ASCII case; names that do not exist keep their spelling.  Every
// drive's current directory is its root, and a path that starts with one
// backslash is on drive C.  False for a path without a drive, a device or
// network path ("\\...") and a path the machine cannot hold.
bool MapDosPath(const char* dosPath, MappedPath& out);

inline char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b);

}  // namespace hostwin
