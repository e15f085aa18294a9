// The machine directory (HOSTWIN_ROOT) and the mapping of DOS paths into it.
#include "machine.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "../host_seams.h"

namespace hostwin {
namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDirectory(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The entry of dir named name without regard to case: the exact spelling
// when there is one, else the first of the others in byte order.
bool FindEntry(const std::string& dir, std::string_view name, std::string& found) {
    DIR* d = opendir(dir.c_str());
    if (!d) return false;
    bool any = false;
    while (const dirent* entry = readdir(d)) {
        std::string_view candidate(entry->d_name);
        if (candidate == "." || candidate == "..") continue;
        if (candidate == name) {
            found.assign(candidate);
            any = true;
            break;
        }
        if (EqualsIgnoringCase(candidate, name) && (!any || candidate < found)) {
            found.assign(candidate);
            any = true;
        }
    }
    closedir(d);
    return any;
}

}  // namespace

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

std::string RequireMachineRoot() {
    const char* root = std::getenv("HOSTWIN_ROOT");
    if (!root || !*root) {
        std::fputs("hostwin: HOSTWIN_ROOT is not set; set it to a machine directory (a copy of samples/machine)\n",
                   stderr);
        std::exit(2);
    }
    if (!IsDirectory(root)) {
        std::fprintf(stderr, "hostwin: HOSTWIN_ROOT=%s is not a directory\n", root);
        std::exit(2);
    }
    return root;
}

bool MapDosPath(const char* dosPath, MappedPath& out) {
    if (!dosPath) return false;
    std::string_view rest(dosPath);
    char drive;
    if (rest.size() >= 2 && rest[1] == ':' && FoldAscii(rest[0]) >= 'a' && FoldAscii(rest[0]) <= 'z') {
        drive = FoldAscii(rest[0]);
        rest.remove_prefix(2);
    } else if (!rest.empty() && IsSeparator(rest[0]) && !(rest.size() >= 2 && IsSeparator(rest[1]))) {
        drive = 'c';
    } else {
        return false;
    }

    std::vector<std::string_view> names;
    const bool trailingSeparator = !rest.empty() && IsSeparator(rest.back());
    while (!rest.empty()) {
        std::size_t end = 0;
        while (end < rest.size() && !IsSeparator(rest[end])) ++end;
        std::string_view name = rest.substr(0, end);
        rest.remove_prefix(end < rest.size() ? end + 1 : end);
        if (name.empty() || name == ".") continue;
        if (name == "..") {
            if (!names.empty()) names.pop_back();
            continue;
        }
        names.push_back(name);
    }

    const std::string root = RequireMachineRoot();
    const std::string driveName = std::string("drive_") + drive;
    std::string found;
    bool resolved = FindEntry(root, driveName, found);
    out.path = root + "/" + (resolved ? found : driveName);
    out.parentExists = resolved;
    out.parent = out.path;
    out.name.clear();
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i + 1 == names.size()) {
            out.parentExists = resolved;
            out.parent = out.path;
            out.name.assign(names[i]);
        }
        if (resolved && FindEntry(out.path, names[i], found)) {
            out.path += "/" + found;
        } else {
            out.path += "/";
            out.path += names[i];
            resolved = false;
        }
    }
    if (names.empty()) out.parentExists = true;
    out.exists = resolved;
    out.hasName = !names.empty() && !trailingSeparator;
    return true;
}

}  // namespace hostwin

HOSTWIN_API const char* HostMachineRoot(void) {
    const char* root = std::getenv("HOSTWIN_ROOT");
    return root && *root ? root : nullptr;
}

HOSTWIN_API int HostMapPath(const char* dosPath, char* out, unsigned size) {
    hostwin::MappedPath mapped;
    if (!out || !hostwin::MapDosPath(dosPath, mapped) || mapped.path.size() + 1 > size) return 0;
    std::memcpy(out, mapped.path.c_str(), mapped.path.size() + 1);
    return 1;
}
