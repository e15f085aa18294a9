// A module's resources: strings, icons and dialog templates.
#include "user_internal.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>

struct HICON__ {
    HINSTANCE module;
    unsigned id;
    int width;
    int height;
};

namespace hostwin {
namespace {

bool NameMatches(unsigned id, const char* name, LPCSTR wanted) {
    if (IS_INTRESOURCE(wanted)) return !name && id == static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(wanted));
    if (!name) {
        // "#129" names resource 129.
        if (wanted[0] == '#') return std::strtoul(wanted + 1, nullptr, 10) == id;
        return false;
    }
    std::string n = name;
    return EqualsNoCase(n, wanted);
}

std::map<std::pair<HINSTANCE, unsigned>, HICON__*>& Icons() {
    static auto* icons = new std::map<std::pair<HINSTANCE, unsigned>, HICON__*>;  // never destroyed
    return *icons;
}

}  // namespace

const HostDialogTemplate* FindDialogTemplate(HINSTANCE instance, LPCSTR name) {
    const HostResourceTable* table = ResourcesOf(instance);
    if (!table || !name) return nullptr;
    for (int i = 0; i < table->dialogCount; ++i)
        if (NameMatches(table->dialogs[i].id, table->dialogs[i].name, name)) return &table->dialogs[i];
    return nullptr;
}

void ForgetModuleIcons(HINSTANCE instance) {
    static auto* retired = new std::vector<HICON__*>;
    auto& icons = Icons();
    for (auto it = icons.begin(); it != icons.end();) {
        if (it->first.first == instance) {
            it->second->module = nullptr;  // the handle stays valid, its module is gone
            retired->push_back(it->second);
            it = icons.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace hostwin

using namespace hostwin;

HOSTWIN_API int WINAPI LoadStringA(HINSTANCE inst, UINT id, LPSTR buf, int size) {
    if (!buf || size <= 0) return 0;
    buf[0] = '\0';
    const HostResourceTable* table = ResourcesOf(inst);
    if (!table) return 0;
    for (int i = 0; i < table->stringCount; ++i) {
        const HostStringResource& s = table->strings[i];
        if (s.id != id) continue;
        std::size_t n = std::min<std::size_t>(s.length, static_cast<std::size_t>(size) - 1);
        std::memcpy(buf, s.text, n);
        buf[n] = '\0';
        return static_cast<int>(n);
    }
    return 0;
}

// Icons are shared: each resource has one handle for the life of its module.
HOSTWIN_API HICON WINAPI LoadIconA(HINSTANCE inst, LPCSTR name) {
    if (!name) return nullptr;
    if (!inst) {
        // The system's icons.
        if (!IS_INTRESOURCE(name)) return nullptr;
        unsigned id = static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(name));
        if (id < 32512 || id > 32516) return nullptr;
        HICON__*& icon = Icons()[{nullptr, id}];
        if (!icon) icon = new HICON__{nullptr, id, 32, 32};
        return icon;
    }
    const HostResourceTable* table = ResourcesOf(inst);
    if (!table) return nullptr;
    for (int i = 0; i < table->iconCount; ++i) {
        const HostIconResource& r = table->icons[i];
        if (!NameMatches(r.id, r.name, name)) continue;
        HICON__*& icon = Icons()[{inst, static_cast<unsigned>(i)}];
        if (!icon) icon = new HICON__{inst, r.id, r.width, r.height};
        return icon;
    }
    return nullptr;
}

// Shared icons are not destroyed.
HOSTWIN_API BOOL WINAPI DestroyIcon(HICON icon) { return icon ? TRUE : FALSE; }
