// Kernel objects behind HANDLE and HKEY values.
#pragma once

#include <memory>

#include "../host_kernel.h"

namespace hostwin {

enum class ObjectKind { File, Find, Device, Process, Thread, Key };

struct KernelObject {
    explicit KernelObject(ObjectKind k) : kind(k) {}
    virtual ~KernelObject() = default;
    KernelObject(const KernelObject&) = delete;
    KernelObject& operator=(const KernelObject&) = delete;

    // Releases what the object holds when its handle is closed; returns what
    // the closing call answers, with the last error set when that is FALSE.
    virtual BOOL Release() { return TRUE; }

    const ObjectKind kind;
};

// Enters the object into the table and returns its new handle; handle values
// are never reused within a process.
HANDLE AddHandle(std::unique_ptr<KernelObject> object);

// The live object of that kind behind a handle, or null.
KernelObject* FindHandle(const void* handle, ObjectKind kind);

template <typename T>
T* FindObject(const void* handle, ObjectKind kind) {
    return static_cast<T*>(FindHandle(handle, kind));
}

// Removes the handle from the table and hands its object over, or null when
// the handle is no live handle of that kind.
std::unique_ptr<KernelObject> TakeHandle(const void* handle, ObjectKind kind);

}  // namespace hostwin
