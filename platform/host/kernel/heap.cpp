// The process heap over malloc, with the allocation fault of host_seams.h and
// a count of the blocks still allocated.
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <unordered_set>

#include "../host_seams.h"
#include "faults.h"

namespace {

struct HeapState {
    std::mutex lock;
    std::unordered_set<void*> blocks;
};

HeapState& Heap() {
    static HeapState* heap = new HeapState;
    return *heap;
}

// The one heap's handle: any fixed value that is no other handle.
HANDLE const kProcessHeap = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x00150000));

}  // namespace

HOSTWIN_API HANDLE WINAPI GetProcessHeap(void) { return kProcessHeap; }

HOSTWIN_API LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T size) {
    if (heap != kProcessHeap) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (hostwin::AllocFails()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    // A zero-sized block is still a distinct block.
    const SIZE_T bytes = size ? size : 1;
    void* block = (flags & HEAP_ZERO_MEMORY) ? std::calloc(1, bytes) : std::malloc(bytes);
    if (!block) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    HeapState& state = Heap();
    std::lock_guard<std::mutex> guard(state.lock);
    state.blocks.insert(block);
    return block;
}

// Freeing a block the heap did not hand out (or freed already) fails and
// says so on stderr, instead of corrupting the heap.
HOSTWIN_API BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, LPVOID mem) {
    if (heap != kProcessHeap) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!mem) return TRUE;
    {
        HeapState& state = Heap();
        std::lock_guard<std::mutex> guard(state.lock);
        if (state.blocks.erase(mem) == 0) {
            std::fprintf(stderr, "hostwin: HeapFree of %p, which is not an allocated block\n", mem);
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
    }
    std::free(mem);
    return TRUE;
}

HOSTWIN_API long HostLiveAllocations(void) {
    HeapState& state = Heap();
    std::lock_guard<std::mutex> guard(state.lock);
    return static_cast<long>(state.blocks.size());
}
