// The registry, read from the machine's registry.reg (REGEDIT4 text):
// [HKEY_...\KEY] lines, @="..." default values and "Name"="..." values, with
// \\ and \" escapes.  Other value kinds are skipped.  Key and value names
// ignore case.  The file is read again by every call, so it is never stale.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "handles.h"
#include "machine.h"

namespace hostwin {
namespace {

struct RegValue {
    std::string name;  // empty for the default value
    std::string data;
};

struct RegKey {
    std::string path;  // ROOT\NAME\NAME
    std::vector<RegValue> values;
};

using Registry = std::vector<RegKey>;

struct KeyObject : KernelObject {
    explicit KeyObject(std::string p) : KernelObject(ObjectKind::Key), path(std::move(p)) {}
    const std::string path;
};

struct RootKey {
    HKEY key;
    const char* name;
};

const RootKey kRoots[] = {
    {HKEY_CLASSES_ROOT, "HKEY_CLASSES_ROOT"},
    {HKEY_CURRENT_USER, "HKEY_CURRENT_USER"},
    {HKEY_LOCAL_MACHINE, "HKEY_LOCAL_MACHINE"},
    {HKEY_USERS, "HKEY_USERS"},
};

bool IsRoot(HKEY key) {
    for (const RootKey& root : kRoots) {
        if (root.key == key) return true;
    }
    return false;
}

// Appends the names of a key path to path, one backslash between them.
void AppendNames(std::string& path, std::string_view names) {
    while (!names.empty()) {
        const std::size_t end = names.find('\\');
        const std::string_view name = names.substr(0, end);
        names.remove_prefix(end == std::string_view::npos ? names.size() : end + 1);
        if (name.empty()) continue;
        if (!path.empty()) path += '\\';
        path += name;
    }
}

// A key line's path with its root spelt as Windows spells it; empty when the
// root is none of ours.
std::string CanonicalPath(std::string_view text) {
    std::string path;
    AppendNames(path, text);
    const std::size_t end = path.find('\\');
    const std::string_view root = std::string_view(path).substr(0, end);
    for (const RootKey& known : kRoots) {
        if (EqualsIgnoringCase(root, known.name)) return known.name + path.substr(root.size());
    }
    return std::string();
}

// A quoted REGEDIT4 string at the start of text; text is left after it.
bool ParseQuoted(std::string_view& text, std::string& out) {
    if (text.empty() || text.front() != '"') return false;
    out.clear();
    for (std::size_t i = 1; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '"') {
            text.remove_prefix(i + 1);
            return true;
        }
        if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) {
            out += text[++i];
        } else {
            out += c;
        }
    }
    return false;
}

// A value line: @="data" or "name"="data".
bool ParseValue(std::string_view line, RegValue& value) {
    if (!line.empty() && line.front() == '@') {
        value.name.clear();
        line.remove_prefix(1);
    } else if (!ParseQuoted(line, value.name)) {
        return false;
    }
    if (line.empty() || line.front() != '=') return false;
    line.remove_prefix(1);
    return ParseQuoted(line, value.data);
}

RegKey* FindKey(Registry& registry, std::string_view path) {
    for (RegKey& key : registry) {
        if (EqualsIgnoringCase(key.path, path)) return &key;
    }
    return nullptr;
}

Registry LoadRegistry() {
    Registry registry;
    std::FILE* file = std::fopen((RequireMachineRoot() + "/registry.reg").c_str(), "rb");
    if (!file) return registry;
    std::string text;
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
    std::fclose(file);

    RegKey* current = nullptr;
    std::string_view rest(text);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);

        if (!line.empty() && line.front() == '[') {
            const std::size_t close = line.rfind(']');
            const std::string path =
                close == std::string_view::npos || line.substr(1, 1) == "-" ? std::string()
                                                                            : CanonicalPath(line.substr(1, close - 1));
            current = nullptr;
            if (path.empty()) continue;
            current = FindKey(registry, path);
            if (!current) {
                registry.push_back({path, {}});
                current = &registry.back();
            }
            continue;
        }
        RegValue value;
        if (!current || !ParseValue(line, value)) continue;
        bool replaced = false;
        for (RegValue& old : current->values) {
            if (EqualsIgnoringCase(old.name, value.name)) {
                old.data = value.data;
                replaced = true;
            }
        }
        if (!replaced) current->values.push_back(value);
    }
    return registry;
}

// A key exists when it is named in the file or lies above one that is.
bool KeyExists(const Registry& registry, const std::string& path) {
    if (path.find('\\') == std::string::npos) return true;  // a root
    for (const RegKey& key : registry) {
        if (key.path.size() >= path.size() && EqualsIgnoringCase(std::string_view(key.path).substr(0, path.size()), path) &&
            (key.path.size() == path.size() || key.path[path.size()] == '\\')) {
            return true;
        }
    }
    return false;
}

const std::string* FindValue(const Registry& registry, const std::string& path, std::string_view name) {
    for (const RegKey& key : registry) {
        if (!EqualsIgnoringCase(key.path, path)) continue;
        for (const RegValue& value : key.values) {
            if (EqualsIgnoringCase(value.name, name)) return &value.data;
        }
    }
    return nullptr;
}

// The path of an open key, or false for a handle that is none.
bool PathOf(HKEY key, std::string& path) {
    for (const RootKey& root : kRoots) {
        if (root.key == key) {
            path = root.name;
            return true;
        }
    }
    if (const KeyObject* object = FindObject<KeyObject>(key, ObjectKind::Key)) {
        path = object->path;
        return true;
    }
    return false;
}

// Copies a string value the way the query functions do: the size needed
// (with the NUL) is always reported; data that does not fit is not written.
LSTATUS CopyValue(const std::string& value, LPBYTE data, DWORD* size) {
    const DWORD needed = static_cast<DWORD>(value.size() + 1);
    if (!data) {
        if (size) *size = needed;
        return ERROR_SUCCESS;
    }
    if (!size) return ERROR_INVALID_PARAMETER;
    const DWORD room = *size;
    *size = needed;
    if (room < needed) return ERROR_MORE_DATA;
    std::memcpy(data, value.c_str(), needed);
    return ERROR_SUCCESS;
}

LSTATUS OpenKey(HKEY key, LPCSTR sub, PHKEY result, bool sameHandleForEmpty) {
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::string path;
    if (!PathOf(key, path)) return ERROR_INVALID_HANDLE;
    if (!sub || !*sub) {
        if (sameHandleForEmpty || IsRoot(key)) {
            *result = key;
            return ERROR_SUCCESS;
        }
    } else {
        AppendNames(path, sub);
        if (!KeyExists(LoadRegistry(), path)) return ERROR_FILE_NOT_FOUND;
    }
    *result = reinterpret_cast<HKEY>(AddHandle(std::make_unique<KeyObject>(path)));
    return ERROR_SUCCESS;
}

}  // namespace
}  // namespace hostwin

using namespace hostwin;

// A null or empty subkey gives back the key itself.
HOSTWIN_API LSTATUS WINAPI RegOpenKeyA(HKEY key, LPCSTR sub, PHKEY result) { return OpenKey(key, sub, result, true); }

HOSTWIN_API LSTATUS WINAPI RegOpenKeyExA(HKEY key, LPCSTR sub, DWORD options, REGSAM sam, PHKEY result) {
    if (options != 0) return ERROR_INVALID_PARAMETER;
    return OpenKey(key, sub, result, false);
}

// The default value of key\sub.  A key without one gives the empty text.
HOSTWIN_API LSTATUS WINAPI RegQueryValueA(HKEY key, LPCSTR sub, LPSTR data, PLONG size) {
    std::string path;
    if (!PathOf(key, path)) return ERROR_INVALID_HANDLE;
    if (sub) AppendNames(path, sub);
    const Registry registry = LoadRegistry();
    if (!KeyExists(registry, path)) return ERROR_FILE_NOT_FOUND;
    const std::string* value = FindValue(registry, path, "");
    DWORD room = size ? static_cast<DWORD>(*size) : 0;
    const LSTATUS status = CopyValue(value ? *value : std::string(), reinterpret_cast<LPBYTE>(data), size ? &room : nullptr);
    if (size && status != ERROR_INVALID_PARAMETER) *size = static_cast<LONG>(room);
    return status;
}

HOSTWIN_API LSTATUS WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD reserved, LPDWORD type, LPBYTE data,
                                            LPDWORD size) {
    if (reserved) return ERROR_INVALID_PARAMETER;
    std::string path;
    if (!PathOf(key, path)) return ERROR_INVALID_HANDLE;
    const Registry registry = LoadRegistry();
    const std::string* value = FindValue(registry, path, name ? name : "");
    if (!value) return ERROR_FILE_NOT_FOUND;
    if (data && !size) return ERROR_INVALID_PARAMETER;
    if (type) *type = REG_SZ;
    return CopyValue(*value, data, size);
}

HOSTWIN_API LSTATUS WINAPI RegCloseKey(HKEY key) {
    if (IsRoot(key) || TakeHandle(key, ObjectKind::Key)) return ERROR_SUCCESS;
    return ERROR_INVALID_HANDLE;
}
