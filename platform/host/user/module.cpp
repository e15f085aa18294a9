// Modules: the program and the libraries it loads, their entry points,
// exports and resource tables.
#include "user_internal.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Kernel services that may be built without this part.
extern "C" int HostMapPath(const char* dosPath, char* out, unsigned size) __attribute__((weak));
extern "C" void SetLastError(DWORD code) __attribute__((weak));

namespace hostwin {

void ForgetModuleIcons(HINSTANCE instance);

namespace {

constexpr DWORD kErrorModNotFound = 126;
constexpr DWORD kErrorProcNotFound = 127;
constexpr DWORD kErrorInvalidParameter = 87;
constexpr DWORD kErrorDllInitFailed = 1114;

struct Module {
    std::string name;      // the file name it was loaded under
    std::string given;     // the path as the caller gave it
    std::string hostPath;  // the file on this host
    void* handle = nullptr;
    link_map* map = nullptr;
    int refs = 0;
    bool permanent = false;  // the program, the host layer, or a library someone else loaded
    bool resourcesLooked = false;
    const HostResourceTable* resources = nullptr;
};

std::vector<Module*>& Modules() {
    static auto* modules = new std::vector<Module*>;  // never destroyed, as the modules
    return *modules;
}

void Fail(DWORD code) {
    if (SetLastError) SetLastError(code);
}

bool SameNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldCase(static_cast<unsigned char>(a[i])) != FoldCase(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

std::string BaseName(const std::string& path) {
    std::size_t at = path.find_last_of("\\/:");
    return at == std::string::npos ? path : path.substr(at + 1);
}

link_map* MapOf(void* handle) {
    link_map* map = nullptr;
    if (!handle || dlinfo(handle, RTLD_DI_LINKMAP, &map) != 0) return nullptr;
    return map;
}

Module* Program() {
    static Module* program = [] {
        auto* m = new Module;
        char path[PATH_MAX];
        ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
        m->hostPath = n > 0 ? std::string(path, static_cast<std::size_t>(n)) : std::string();
        m->name = BaseName(m->hostPath);
        m->handle = dlopen(nullptr, RTLD_NOW);
        m->map = MapOf(m->handle);
        m->permanent = true;
        Modules().push_back(m);
        return m;
    }();
    return program;
}

// The host layer itself answers for the system's libraries.
Module* SystemModule() {
    static Module* system = [] {
        auto* m = new Module;
        Dl_info info{};
        link_map* map = nullptr;
        if (dladdr1(reinterpret_cast<void*>(&HostLiveWindowCount), &info, reinterpret_cast<void**>(&map),
                    RTLD_DL_LINKMAP) &&
            map) {
            m->hostPath = map->l_name;
            m->handle = dlopen(map->l_name, RTLD_NOW | RTLD_NOLOAD);
            m->map = map;
        }
        m->name = BaseName(m->hostPath);
        m->permanent = true;
        return m;
    }();
    return system;
}

bool IsSystemName(const std::string& name) {
    static const char* const kNames[] = {"KERNEL32.DLL", "USER32.DLL", "COMCTL32.DLL", "ADVAPI32.DLL", "SHELL32.DLL"};
    std::string base = BaseName(name);
    if (base.find('.') == std::string::npos) base += ".DLL";
    for (const char* n : kNames)
        if (SameNoCase(base, n)) return true;
    return false;
}

// A symbol of the module itself, not of a library it depends on.
void* OwnSymbol(Module* m, const char* name) {
    if (!m->handle) return nullptr;
    void* sym = dlsym(m->handle, name);
    if (!sym) return nullptr;
    Dl_info info{};
    link_map* map = nullptr;
    if (!dladdr1(sym, &info, reinterpret_cast<void**>(&map), RTLD_DL_LINKMAP) || map != m->map) return nullptr;
    return sym;
}

Module* FindByHandle(HMODULE handle) {
    if (!handle) return Program();
    Module* m = reinterpret_cast<Module*>(handle);
    if (m == SystemModule()) return m;
    for (Module* known : Modules())
        if (known == m) return m;
    return nullptr;
}

// A library loaded by other means (linked in, or opened by hand), found by
// its file name.
Module* Adopt(const std::string& name) {
    struct Search {
        std::string name;
        std::string path;
    } search{name, {}};
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* data) {
            auto* s = static_cast<Search*>(data);
            if (info->dlpi_name && *info->dlpi_name && SameNoCase(BaseName(info->dlpi_name), s->name)) {
                s->path = info->dlpi_name;
                return 1;
            }
            return 0;
        },
        &search);
    if (search.path.empty()) return nullptr;
    void* handle = dlopen(search.path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle) return nullptr;
    auto* m = new Module;
    m->name = BaseName(search.path);
    m->hostPath = search.path;
    m->handle = handle;
    m->map = MapOf(handle);
    m->permanent = true;
    Modules().push_back(m);
    return m;
}

bool Exists(const std::string& path) { return !path.empty() && access(path.c_str(), R_OK) == 0; }

std::string MapDos(const std::string& dos) {
    if (!HostMapPath) return {};
    char out[PATH_MAX];
    if (!HostMapPath(dos.c_str(), out, sizeof out)) return {};
    return out;
}

// The host file a LoadLibraryA name stands for: a DOS path in the machine,
// a host path, or a bare name looked for in the machine's system and
// Windows directories and then the current directory.
std::string Resolve(const std::string& name) {
    if (name.size() >= 2 && name[1] == ':') return MapDos(name);
    if (name.find('/') != std::string::npos) return name;
    if (name.find('\\') == std::string::npos) {
        for (const char* dir : {"C:\\WINDOWS\\SYSTEM\\", "C:\\WINDOWS\\"}) {
            std::string mapped = MapDos(dir + name);
            if (Exists(mapped)) return mapped;
        }
        return "./" + name;
    }
    return {};
}

using DllEntry = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);

}  // namespace

const HostResourceTable* ResourcesOf(HINSTANCE instance) {
    Module* m = FindByHandle(reinterpret_cast<HMODULE>(instance));
    if (!m) return nullptr;
    if (!m->resourcesLooked) {
        m->resourcesLooked = true;
        auto answer = reinterpret_cast<HostResourceTableFunction>(OwnSymbol(m, HOSTWIN_RESOURCE_TABLE_SYMBOL));
        const HostResourceTable* table = answer ? answer() : nullptr;
        if (table && table->version == kHostResourceTableVersion) m->resources = table;
    }
    return m->resources;
}

}  // namespace hostwin

using namespace hostwin;

HOSTWIN_API HMODULE WINAPI GetModuleHandleA(LPCSTR name) {
    Module* program = Program();
    if (!name) return reinterpret_cast<HMODULE>(program);
    std::string wanted = name;
    bool byPath = wanted.find_first_of("\\/") != std::string::npos;
    if (BaseName(wanted).find('.') == std::string::npos) wanted += ".DLL";
    for (Module* m : Modules()) {
        bool match = byPath ? (SameNoCase(m->given, wanted) || m->hostPath == wanted) : SameNoCase(m->name, wanted);
        if (match) return reinterpret_cast<HMODULE>(m);
    }
    if (IsSystemName(wanted)) return reinterpret_cast<HMODULE>(SystemModule());
    if (!byPath)
        if (Module* m = Adopt(wanted)) return reinterpret_cast<HMODULE>(m);
    Fail(kErrorModNotFound);
    return nullptr;
}

HOSTWIN_API HMODULE WINAPI LoadLibraryA(LPCSTR name) {
    if (!name || !*name) {
        Fail(kErrorInvalidParameter);
        return nullptr;
    }
    Program();
    if (IsSystemName(name)) return reinterpret_cast<HMODULE>(SystemModule());
    std::string path = Resolve(name);
    char real[PATH_MAX];
    if (!Exists(path) || !realpath(path.c_str(), real)) {
        Fail(kErrorModNotFound);
        return nullptr;
    }
    for (Module* m : Modules())
        if (m->hostPath == real) {
            if (!m->permanent) ++m->refs;
            return reinterpret_cast<HMODULE>(m);
        }
    void* handle = dlopen(real, RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "hostwin: LoadLibraryA(\"%s\"): %s\n", name, dlerror());
        Fail(kErrorModNotFound);
        return nullptr;
    }
    auto* m = new Module;
    m->name = BaseName(name);
    m->given = name;
    m->hostPath = real;
    m->handle = handle;
    m->map = MapOf(handle);
    m->refs = 1;
    Modules().push_back(m);
    auto hinst = reinterpret_cast<HINSTANCE>(m);
    if (auto entry = reinterpret_cast<DllEntry>(OwnSymbol(m, "DllMain"))) {
        if (!entry(hinst, DLL_PROCESS_ATTACH, nullptr)) {
            entry(hinst, DLL_PROCESS_DETACH, nullptr);
            auto& all = Modules();
            all.erase(std::remove(all.begin(), all.end(), m), all.end());
            dlclose(handle);
            delete m;
            Fail(kErrorDllInitFailed);
            return nullptr;
        }
    }
    return reinterpret_cast<HMODULE>(m);
}

HOSTWIN_API BOOL WINAPI FreeLibrary(HMODULE module) {
    if (!module) return FALSE;
    Module* m = FindByHandle(module);
    if (!m) {
        Fail(6);  // ERROR_INVALID_HANDLE
        return FALSE;
    }
    if (m->permanent || --m->refs > 0) return TRUE;
    auto hinst = reinterpret_cast<HINSTANCE>(m);
    if (auto entry = reinterpret_cast<DllEntry>(OwnSymbol(m, "DllMain"))) entry(hinst, DLL_PROCESS_DETACH, nullptr);
    ForgetModuleIcons(hinst);
    auto& all = Modules();
    all.erase(std::remove(all.begin(), all.end(), m), all.end());
    dlclose(m->handle);
    delete m;
    return TRUE;
}

HOSTWIN_API FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR name) {
    Module* m = FindByHandle(module);
    void* sym = m && name && !IS_INTRESOURCE(name) ? OwnSymbol(m, name) : nullptr;
    if (!sym) Fail(kErrorProcNotFound);
    return reinterpret_cast<FARPROC>(sym);
}

HOSTWIN_API BOOL WINAPI DisableThreadLibraryCalls(HMODULE module) { return TRUE; }
