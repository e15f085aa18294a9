// Files of the machine: open, read, write, directory search, rename, delete.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "devices.h"
#include "errors.h"
#include "faults.h"
#include "handles.h"
#include "machine.h"

namespace hostwin {
namespace {

struct FileObject : KernelObject {
    FileObject(int f, DWORD a, bool d, std::string p)
        : KernelObject(ObjectKind::File), fd(f), access(a), deleteOnClose(d), path(std::move(p)) {}
    ~FileObject() override {
        if (fd >= 0) close(fd);
    }

    BOOL Release() override {
        const bool injected = FileOpFails();
        const int rc = close(fd);
        const int error = errno;
        fd = -1;
        if (deleteOnClose) unlink(path.c_str());
        if (injected) {
            SetLastError(ERROR_WRITE_FAULT);
            return FALSE;
        }
        if (rc != 0) {
            SetLastError(ErrorFromErrno(error));
            return FALSE;
        }
        return TRUE;
    }

    int fd;
    DWORD access;
    bool deleteOnClose;
    std::string path;
};

struct SearchObject : KernelObject {
    SearchObject() : KernelObject(ObjectKind::Find) {}
};

bool IsDevicePath(const char* name) { return std::strncmp(name, "\\\\.\\", 4) == 0; }

DWORD NotFoundError(const MappedPath& mapped) {
    return mapped.parentExists ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

DWORD AttributesOf(const struct stat& st) {
    DWORD attributes = S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    if ((st.st_mode & 0222) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
    return attributes;
}

// 100-nanosecond intervals since 1601-01-01.
FILETIME FileTimeOf(const struct timespec& t) {
    const std::uint64_t ticks = (static_cast<std::uint64_t>(t.tv_sec) + 11644473600ull) * 10000000ull +
                                static_cast<std::uint64_t>(t.tv_nsec) / 100;
    return {static_cast<DWORD>(ticks & 0xffffffffu), static_cast<DWORD>(ticks >> 32)};
}

bool IsWildcard(std::string_view pattern) { return pattern.find_first_of("*?") != std::string_view::npos; }

// DOS wildcards, ignoring case: '*' any run, '?' any one character; "*.*" is "*".
bool MatchesPattern(std::string_view name, std::string_view pattern) {
    if (pattern == "*.*") pattern = "*";
    std::size_t n = 0, p = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && (pattern[p] == '?' || FoldAscii(pattern[p]) == FoldAscii(name[n]))) {
            ++n;
            ++p;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

// The first entry of dir in byte order that matches pattern.
bool FindMatch(const std::string& dir, std::string_view pattern, std::string& found) {
    DIR* d = opendir(dir.c_str());
    if (!d) return false;
    bool any = false;
    while (const dirent* entry = readdir(d)) {
        std::string_view candidate(entry->d_name);
        if (candidate == "." || candidate == "..") continue;
        if (MatchesPattern(candidate, pattern) && (!any || candidate < found)) {
            found.assign(candidate);
            any = true;
        }
    }
    closedir(d);
    return any;
}

}  // namespace
}  // namespace hostwin

using namespace hostwin;

HOSTWIN_API HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa,
                                      DWORD disposition, DWORD flags, HANDLE templ) {
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (IsDevicePath(name)) return OpenDevice(name + 4, flags);

    if (FileOpFails()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    MappedPath mapped;
    if (!MapDosPath(name, mapped)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    struct stat st;
    const bool existed = mapped.exists && stat(mapped.path.c_str(), &st) == 0;
    if (existed && S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if (!mapped.hasName || !mapped.parentExists) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }

    int mode;
    switch (disposition) {
    case CREATE_NEW: mode = O_CREAT | O_EXCL; break;
    case CREATE_ALWAYS: mode = O_CREAT | O_TRUNC; break;
    case OPEN_EXISTING: mode = 0; break;
    case OPEN_ALWAYS: mode = O_CREAT; break;
    case TRUNCATE_EXISTING:
        if (!(access & GENERIC_WRITE)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return INVALID_HANDLE_VALUE;
        }
        mode = O_TRUNC;
        break;
    default: SetLastError(ERROR_INVALID_PARAMETER); return INVALID_HANDLE_VALUE;
    }
    if (access & GENERIC_WRITE) mode |= (access & GENERIC_READ) ? O_RDWR : O_WRONLY;
    else mode |= (mode & O_TRUNC) ? O_RDWR : O_RDONLY;

    // A new file takes the spelling given; an existing one keeps its own.
    const std::string& path = existed ? mapped.path : mapped.parent + "/" + mapped.name;
    const int fd = open(path.c_str(), mode | O_CLOEXEC, 0666);
    if (fd < 0) {
        const int error = errno;
        SetLastError(error == EEXIST ? ERROR_FILE_EXISTS : error == ENOENT ? NotFoundError(mapped)
                                                                            : ErrorFromErrno(error));
        return INVALID_HANDLE_VALUE;
    }
    HANDLE h = AddHandle(std::make_unique<FileObject>(fd, access, (flags & FILE_FLAG_DELETE_ON_CLOSE) != 0, path));
    const bool reopened = existed && (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS);
    SetLastError(reopened ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return h;
}

HOSTWIN_API BOOL WINAPI ReadFile(HANDLE h, LPVOID buf, DWORD size, LPDWORD read, LPOVERLAPPED ov) {
    if (read) *read = 0;
    FileObject* file = FindObject<FileObject>(h, ObjectKind::File);
    if (!file) {
        SetLastError(FindHandle(h, ObjectKind::Device) ? ERROR_INVALID_FUNCTION : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (FileOpFails()) {
        SetLastError(ERROR_READ_FAULT);
        return FALSE;
    }
    if (ov || (!buf && size > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!(file->access & GENERIC_READ)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    DWORD total = 0;
    while (total < size) {
        const ssize_t got = ::read(file->fd, static_cast<char*>(buf) + total, size - total);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            SetLastError(ErrorFromErrno(errno));
            if (read) *read = total;
            return FALSE;
        }
        if (got == 0) break;
        total += static_cast<DWORD>(got);
    }
    if (read) *read = total;
    return TRUE;
}

HOSTWIN_API BOOL WINAPI WriteFile(HANDLE h, LPCVOID buf, DWORD size, LPDWORD written, LPOVERLAPPED ov) {
    if (written) *written = 0;
    FileObject* file = FindObject<FileObject>(h, ObjectKind::File);
    if (!file) {
        SetLastError(FindHandle(h, ObjectKind::Device) ? ERROR_INVALID_FUNCTION : ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (FileOpFails()) {
        SetLastError(ERROR_WRITE_FAULT);
        return FALSE;
    }
    if (ov || (!buf && size > 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!(file->access & GENERIC_WRITE)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    DWORD total = 0;
    while (total < size) {
        const ssize_t put = ::write(file->fd, static_cast<const char*>(buf) + total, size - total);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            SetLastError(put < 0 ? ErrorFromErrno(errno) : ERROR_DISK_FULL);
            if (written) *written = total;
            return FALSE;
        }
        total += static_cast<DWORD>(put);
    }
    if (written) *written = total;
    return TRUE;
}

// Finds the first entry that the last name matches (DOS wildcards allowed);
// the handle serves FindClose only.
HOSTWIN_API HANDLE WINAPI FindFirstFileA(LPCSTR name, LPWIN32_FIND_DATAA data) {
    MappedPath mapped;
    if (!name || !data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    if (!MapDosPath(name, mapped) || !mapped.hasName) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    if (!mapped.parentExists) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::string found;
    struct stat st;
    if (IsWildcard(mapped.name)) {
        if (!FindMatch(mapped.parent, mapped.name, found)) found.clear();
    } else if (mapped.exists) {
        found = mapped.path.substr(mapped.parent.size() + 1);
    }
    if (found.empty() || stat((mapped.parent + "/" + found).c_str(), &st) != 0) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    std::memset(data, 0, sizeof *data);
    data->dwFileAttributes = AttributesOf(st);
    data->ftCreationTime = FileTimeOf(st.st_ctim);
    data->ftLastAccessTime = FileTimeOf(st.st_atim);
    data->ftLastWriteTime = FileTimeOf(st.st_mtim);
    if (!S_ISDIR(st.st_mode)) {
        data->nFileSizeHigh = static_cast<DWORD>(static_cast<std::uint64_t>(st.st_size) >> 32);
        data->nFileSizeLow = static_cast<DWORD>(st.st_size & 0xffffffff);
    }
    std::snprintf(data->cFileName, sizeof data->cFileName, "%s", found.c_str());
    SetLastError(ERROR_SUCCESS);
    return AddHandle(std::make_unique<SearchObject>());
}

HOSTWIN_API BOOL WINAPI FindClose(HANDLE h) {
    if (!TakeHandle(h, ObjectKind::Find)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

HOSTWIN_API BOOL WINAPI MoveFileA(LPCSTR from, LPCSTR to) { return MoveFileExA(from, to, 0); }

// MOVEFILE_REPLACE_EXISTING replaces the target in one atomic rename.
HOSTWIN_API BOOL WINAPI MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags) {
    if (FileOpFails()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    MappedPath source, target;
    if ((flags & ~MOVEFILE_REPLACE_EXISTING) != 0 || !from || !to) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!MapDosPath(from, source) || !MapDosPath(to, target) || !target.hasName) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (!source.exists || !source.hasName) {
        SetLastError(NotFoundError(source));
        return FALSE;
    }
    if (!target.parentExists) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    const std::string targetPath = target.parent + "/" + target.name;
    int rc;
    if (target.exists && target.path == source.path) {
        // The same entry under another spelling: a change of case.
        rc = targetPath == source.path ? 0 : rename(source.path.c_str(), targetPath.c_str());
    } else if (target.exists) {
        struct stat st;
        if (!(flags & MOVEFILE_REPLACE_EXISTING)) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
        if (stat(target.path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            SetLastError(ERROR_ACCESS_DENIED);
            return FALSE;
        }
        rc = rename(source.path.c_str(), target.path.c_str());
    } else {
        rc = renameat2(AT_FDCWD, source.path.c_str(), AT_FDCWD, targetPath.c_str(), RENAME_NOREPLACE);
        if (rc != 0 && errno == EINVAL) rc = rename(source.path.c_str(), targetPath.c_str());
    }
    if (rc != 0) {
        SetLastError(errno == EEXIST ? ERROR_ALREADY_EXISTS : ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

HOSTWIN_API BOOL WINAPI DeleteFileA(LPCSTR name) {
    if (FileOpFails()) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    MappedPath mapped;
    if (!MapDosPath(name, mapped)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    struct stat st;
    if (!mapped.exists || !mapped.hasName || stat(mapped.path.c_str(), &st) != 0) {
        SetLastError(NotFoundError(mapped));
        return FALSE;
    }
    if (S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (unlink(mapped.path.c_str()) != 0) {
        SetLastError(ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

HOSTWIN_API DWORD WINAPI GetFileAttributesA(LPCSTR name) {
    MappedPath mapped;
    if (!MapDosPath(name, mapped)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_FILE_ATTRIBUTES;
    }
    struct stat st;
    // A trailing separator names a directory only.
    if (!mapped.exists || stat(mapped.path.c_str(), &st) != 0 || (!mapped.hasName && !S_ISDIR(st.st_mode))) {
        SetLastError(NotFoundError(mapped));
        return INVALID_FILE_ATTRIBUTES;
    }
    return AttributesOf(st);
}
