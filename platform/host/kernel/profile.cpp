// Profile files of the machine: GetPrivateProfileStringA and
// WritePrivateProfileStringA.
//
// A file is parsed once and kept, keyed by the file of the machine it maps
// to, for as long as its size, times and identity stay the same.  Every
// write makes a new copy next to the file (CR LF line ends) and puts it in
// the old one's place in one step, so that a failure at any point leaves
// the old file as it was.  Lines a write does not change keep their bytes
// (comments, blanks inside lines, the case of names); blank lines are dropped.
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "host/host_seams.h"

namespace {

// ---- the parsed file ------------------------------------------------------------

enum class LineKind { kOther, kSection, kEntry };

struct Line {
    std::string text;  // the line as in the file, without its line end
    LineKind kind = LineKind::kOther;
    std::string name;   // section or key name, blanks around it dropped
    std::string value;  // an entry's value, blanks around it dropped
};

using Lines = std::vector<Line>;
constexpr std::size_t kNone = static_cast<std::size_t>(-1);

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

char Fold(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i])) {
            return false;
        }
    }
    return true;
}

Line ParseLine(std::string text) {
    Line line;
    std::string_view s = Trim(text);
    if (!s.empty() && s.front() == '[') {
        s.remove_prefix(1);
        std::size_t close = s.find(']');
        line.kind = LineKind::kSection;
        line.name = std::string(Trim(s.substr(0, close)));
    } else if (!s.empty() && s.front() != ';') {
        std::size_t equals = s.find('=');
        if (equals != std::string_view::npos && !Trim(s.substr(0, equals)).empty()) {
            line.kind = LineKind::kEntry;
            line.name = std::string(Trim(s.substr(0, equals)));
            line.value = std::string(Trim(s.substr(equals + 1)));
        }
    }
    line.text = std::move(text);
    return line;
}

// Lines end with LF or CR LF.
Lines ParseFile(const std::string& bytes) {
    Lines lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
        std::size_t stop = end == std::string::npos ? bytes.size() : end;
        if (stop > start && bytes[stop - 1] == '\r') {
            --stop;
        }
        lines.push_back(ParseLine(bytes.substr(start, stop - start)));
        start = next;
    }
    return lines;
}

bool IsBlankLine(const Line& line) {
    return Trim(line.text).empty();
}

// A closing Ctrl-Z line; an entry whose name happens to begin with one is
// an entry like any other.
bool IsEndOfText(const Line& line) {
    return line.kind == LineKind::kOther && !line.text.empty() && line.text.front() == '\x1a';
}

// Every line ends with CR LF, but for a closing Ctrl-Z line.
std::string FormatFile(const Lines& lines) {
    std::string bytes;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        bytes += lines[i].text;
        if (i + 1 < lines.size() || !IsEndOfText(lines[i])) {
            bytes += "\r\n";
        }
    }
    return bytes;
}

std::size_t FindSection(const Lines& lines, std::string_view section) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].kind == LineKind::kSection && SameName(lines[i].name, section)) {
            return i;
        }
    }
    return kNone;
}

// One past the last line of the section whose header is at index header.
std::size_t SectionEnd(const Lines& lines, std::size_t header) {
    std::size_t i = header + 1;
    while (i < lines.size() && lines[i].kind != LineKind::kSection) {
        ++i;
    }
    return i;
}

std::size_t FindKey(const Lines& lines, std::size_t header, std::string_view key) {
    std::size_t end = SectionEnd(lines, header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (lines[i].kind == LineKind::kEntry && SameName(lines[i].name, key)) {
            return i;
        }
    }
    return kNone;
}

// ---- the files of the machine ---------------------------------------------------

struct FileStamp {
    bool exists = false;
    off_t size = 0;
    dev_t device = 0;
    ino_t inode = 0;
    timespec modified = {};
    timespec changed = {};
};

bool operator==(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

bool operator==(const FileStamp& a, const FileStamp& b) {
    return a.exists == b.exists && a.size == b.size && a.device == b.device && a.inode == b.inode &&
           a.modified == b.modified && a.changed == b.changed;
}

FileStamp StampOf(const std::string& hostPath) {
    FileStamp stamp;
    struct stat st;
    if (stat(hostPath.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        stamp.exists = true;
        stamp.size = st.st_size;
        stamp.device = st.st_dev;
        stamp.inode = st.st_ino;
        stamp.modified = st.st_mtim;
        stamp.changed = st.st_ctim;
    }
    return stamp;
}

struct ProfileFile {
    std::string dosPath;
    std::string hostPath;
};

// A bare file name lives in the Windows directory, as on the real system.
bool ResolveFile(const char* file, ProfileFile& out) {
    std::string dos = (file && *file) ? file : "WIN.INI";
    if (dos.find_first_of(":\\/") == std::string::npos) {
        char dir[MAX_PATH] = {};
        UINT n = GetWindowsDirectoryA(dir, sizeof dir);
        if (n == 0 || n >= sizeof dir) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return false;
        }
        dos = std::string(dir) + "\\" + dos;
    }
    char host[4096] = {};
    if (!HostMapPath(dos.c_str(), host, sizeof host)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    out.dosPath = dos;
    out.hostPath = host;
    return true;
}

bool ReadWholeFile(const std::string& dosPath, std::string& bytes) {
    HANDLE h = CreateFileA(dosPath.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    bytes.clear();
    char chunk[4096];
    bool ok = true;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(h, chunk, sizeof chunk, &got, nullptr)) {
            ok = false;
            break;
        }
        if (got == 0) {
            break;
        }
        bytes.append(chunk, got);
    }
    CloseHandle(h);
    return ok;
}

bool WriteWholeFile(const std::string& dosPath, const std::string& bytes) {
    HANDLE h = CreateFileA(dosPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        DWORD written = 0;
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        ok = WriteFile(h, bytes.data() + done, chunk, &written, nullptr) && written == chunk;
        done += written;
    }
    if (!CloseHandle(h)) {
        ok = false;
    }
    return ok;
}

struct CachedFile {
    FileStamp stamp;
    Lines lines;
};

std::map<std::string, CachedFile>& Cache() {
    static std::map<std::string, CachedFile> cache;
    return cache;
}

const Lines& NoLines() {
    static const Lines none;
    return none;
}

// The file's lines, parsed again only when the file changed; a file that
// does not exist has none.  False when the file exists but cannot be read.
bool LoadLines(const ProfileFile& file, const Lines*& lines) {
    auto& cache = Cache();
    FileStamp stamp = StampOf(file.hostPath);
    if (!stamp.exists) {
        cache.erase(file.hostPath);
        lines = &NoLines();
        return true;
    }
    auto found = cache.find(file.hostPath);
    if (found != cache.end() && found->second.stamp == stamp) {
        lines = &found->second.lines;
        return true;
    }
    std::string bytes;
    if (!ReadWholeFile(file.dosPath, bytes)) {
        cache.erase(file.hostPath);
        return false;
    }
    CachedFile& entry = cache[file.hostPath];
    entry.stamp = stamp;
    entry.lines = ParseFile(bytes);
    lines = &entry.lines;
    return true;
}

// Writes the new copy beside the file and moves it into the file's place.
bool StoreLines(const ProfileFile& file, Lines lines) {
    std::string temp = file.dosPath + "~";
    if (!WriteWholeFile(temp, FormatFile(lines))) {
        DeleteFileA(temp.c_str());
        return false;
    }
    if (!MoveFileExA(temp.c_str(), file.dosPath.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        DeleteFileA(temp.c_str());
        Cache().erase(file.hostPath);
        return false;
    }
    FileStamp stamp = StampOf(file.hostPath);
    if (stamp.exists) {
        Cache()[file.hostPath] = CachedFile{stamp, std::move(lines)};
    } else {
        Cache().erase(file.hostPath);
    }
    return true;
}

// ---- copying out ------------------------------------------------------------------

DWORD CopyText(std::string_view text, char* buf, DWORD size) {
    std::size_t n = std::min<std::size_t>(text.size(), size - 1);
    std::memcpy(buf, text.data(), n);
    buf[n] = '\0';
    return static_cast<DWORD>(n);
}

// Names each ended by a NUL and one more NUL after the last; names that do
// not fit are dropped and the last one cut, the list still ending with two.
DWORD CopyList(const std::vector<std::string_view>& names, char* buf, DWORD size) {
    std::string all;
    for (std::string_view name : names) {
        all.append(name);
        all.push_back('\0');
    }
    if (all.size() + 1 <= size) {
        std::memcpy(buf, all.data(), all.size());
        buf[all.size()] = '\0';
        if (all.empty() && size >= 2) {
            buf[1] = '\0';
        }
        return static_cast<DWORD>(all.empty() ? 0 : all.size());
    }
    if (size < 2) {
        buf[0] = '\0';
        return 0;
    }
    std::memcpy(buf, all.data(), size - 2);
    buf[size - 2] = '\0';
    buf[size - 1] = '\0';
    return size - 2;
}

// ---- changing the lines ------------------------------------------------------------

bool HasLineBreak(std::string_view s) {
    return s.find_first_of("\r\n") != std::string_view::npos;
}

// Names and values that would not read back as written are refused.
bool WritableNames(const char* section, const char* key, const char* value) {
    std::string_view s = section;
    if (Trim(s).empty() || HasLineBreak(s) || s.find(']') != std::string_view::npos) {
        return false;
    }
    if (key) {
        std::string_view k = Trim(key);
        if (k.empty() || HasLineBreak(k) || k.find('=') != std::string_view::npos || k.front() == '[' ||
            k.front() == ';') {
            return false;
        }
    }
    return !value || !HasLineBreak(value);
}

// Where a new section goes: at the end, but before a closing Ctrl-Z line.
std::size_t EndOfText(const Lines& lines) {
    if (!lines.empty() && IsEndOfText(lines.back())) {
        return lines.size() - 1;
    }
    return lines.size();
}

// Applies one write to the lines; false when nothing changes.  Names are
// taken without the blanks around them, as the file's own are.
bool ChangeLines(Lines& lines, const char* sectionText, const char* keyText, const char* value) {
    const std::string section(Trim(sectionText));
    const std::string keyName = keyText ? std::string(Trim(keyText)) : std::string();
    const char* key = keyText ? keyName.c_str() : nullptr;
    std::size_t header = FindSection(lines, section);
    if (!key) {
        if (header == kNone) {
            return false;
        }
        lines.erase(lines.begin() + header, lines.begin() + SectionEnd(lines, header));
        return true;
    }
    std::size_t at = header == kNone ? kNone : FindKey(lines, header, key);
    if (!value) {
        if (at == kNone) {
            return false;
        }
        lines.erase(lines.begin() + at);
        return true;
    }
    if (at != kNone) {
        if (lines[at].value == value && Trim(value) == value) {
            return false;
        }
        lines[at] = ParseLine(lines[at].name + "=" + value);
        return true;
    }
    Line entry = ParseLine(std::string(key) + "=" + value);
    if (header == kNone) {
        std::size_t end = EndOfText(lines);
        lines.insert(lines.begin() + end, ParseLine("[" + section + "]"));
        lines.insert(lines.begin() + end + 1, std::move(entry));
        return true;
    }
    // After the section's last line, its comments included, as the real
    // function places it.
    std::size_t last = header;
    std::size_t end = SectionEnd(lines, header);
    for (std::size_t i = header + 1; i < end; ++i) {
        if (!IsBlankLine(lines[i])) {
            last = i;
        }
    }
    lines.insert(lines.begin() + last + 1, std::move(entry));
    return true;
}

// A rewritten file keeps no blank lines, as the real function writes it.
void DropBlankLines(Lines& lines) {
    std::erase_if(lines, IsBlankLine);
}

}  // namespace

HOSTWIN_API DWORD WINAPI GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR def, LPSTR buf, DWORD size,
                                                  LPCSTR file) {
    if (!buf || size == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::string_view fallback = def ? def : "";
    ProfileFile where;
    const Lines* lines = &NoLines();
    if (!ResolveFile(file, where) || !LoadLines(where, lines)) {
        lines = &NoLines();
    }
    if (lines == &NoLines()) {
        SetLastError(ERROR_FILE_NOT_FOUND);  // as the real function tells a missing file
    }

    if (!section) {
        std::vector<std::string_view> names;
        for (const Line& line : *lines) {
            if (line.kind == LineKind::kSection) {
                names.push_back(line.name);
            }
        }
        return CopyList(names, buf, size);
    }
    // Names are found without the blanks around them, as the file's own are.
    std::size_t header = FindSection(*lines, Trim(section));
    if (!key) {
        if (header == kNone) {
            DWORD copied = CopyList({fallback}, buf, size);
            return std::min<DWORD>(copied, static_cast<DWORD>(fallback.size()));
        }
        std::vector<std::string_view> names;
        std::size_t end = SectionEnd(*lines, header);
        for (std::size_t i = header + 1; i < end; ++i) {
            if ((*lines)[i].kind == LineKind::kEntry) {
                names.push_back((*lines)[i].name);
            }
        }
        if (names.empty()) {  // a section without keys reads like a missing one
            DWORD copied = CopyList({fallback}, buf, size);
            return std::min<DWORD>(copied, static_cast<DWORD>(fallback.size()));
        }
        return CopyList(names, buf, size);
    }
    std::size_t at = header == kNone ? kNone : FindKey(*lines, header, Trim(key));
    return CopyText(at == kNone ? fallback : std::string_view((*lines)[at].value), buf, size);
}

HOSTWIN_API BOOL WINAPI WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR file) {
    ProfileFile where;
    if (!section) {
        if (key || value) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        // Nothing is ever held back: the flush only forgets the parsed copy.
        if (ResolveFile(file, where)) {
            Cache().erase(where.hostPath);
        }
        return TRUE;
    }
    if (!WritableNames(section, key, value)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!ResolveFile(file, where)) {
        return FALSE;
    }
    const Lines* current = nullptr;
    if (!LoadLines(where, current)) {
        return FALSE;  // never rewrite a file that could not be read
    }
    Lines lines = *current;
    if (!ChangeLines(lines, section, key, value)) {
        return TRUE;
    }
    DropBlankLines(lines);
    return StoreLines(where, std::move(lines)) ? TRUE : FALSE;
}
