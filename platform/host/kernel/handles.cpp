// The handle table and CloseHandle.
#include "handles.h"

#include <map>
#include <mutex>

namespace hostwin {
namespace {

struct HandleTable {
    std::mutex lock;
    std::map<std::uintptr_t, std::unique_ptr<KernelObject>> objects;
    std::uintptr_t next = 0x100;
};

HandleTable& Table() {
    static HandleTable* table = new HandleTable;  // outlives every static destructor
    return *table;
}

}  // namespace

HANDLE AddHandle(std::unique_ptr<KernelObject> object) {
    HandleTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    const std::uintptr_t value = table.next;
    table.next += 4;
    table.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

KernelObject* FindHandle(const void* handle, ObjectKind kind) {
    HandleTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return it != table.objects.end() && it->second->kind == kind ? it->second.get() : nullptr;
}

std::unique_ptr<KernelObject> TakeHandle(const void* handle, ObjectKind kind) {
    HandleTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    auto it = table.objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == table.objects.end() || it->second->kind != kind) return nullptr;
    std::unique_ptr<KernelObject> object = std::move(it->second);
    table.objects.erase(it);
    return object;
}

}  // namespace hostwin

// Files, devices, processes and threads are closed here; search handles go
// to FindClose and registry keys to RegCloseKey.
HOSTWIN_API BOOL WINAPI CloseHandle(HANDLE h) {
    using hostwin::ObjectKind;
    for (ObjectKind kind : {ObjectKind::File, ObjectKind::Device, ObjectKind::Process, ObjectKind::Thread}) {
        if (std::unique_ptr<hostwin::KernelObject> object = hostwin::TakeHandle(h, kind)) return object->Release();
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}
