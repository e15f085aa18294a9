// Injected faults: the n-th file operation or allocation from the arming on
// fails once.  HOSTWIN_FAIL_FILE_OP and HOSTWIN_FAIL_ALLOC arm them at start.
#include "faults.h"

#include <atomic>
#include <cstdlib>

#include "../host_seams.h"

namespace {

struct Seam {
    std::atomic<long> count{0};
    std::atomic<long> failAt{0};  // the count that fails; 0 when disarmed

    bool Fails() {
        const long n = ++count;
        long armed = n;
        return failAt.compare_exchange_strong(armed, 0);
    }
    void Arm(long n) { failAt = n > 0 ? count + n : 0; }
};

Seam fileOps;
Seam allocations;

void ArmFromEnvironment(Seam& seam, const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return;
    char* end = nullptr;
    const long n = std::strtol(value, &end, 10);
    if (*end == '\0') seam.Arm(n);
}

// Read once, when the host layer is loaded.
const bool armedAtStart = (ArmFromEnvironment(fileOps, "HOSTWIN_FAIL_FILE_OP"),
                           ArmFromEnvironment(allocations, "HOSTWIN_FAIL_ALLOC"), true);

}  // namespace

namespace hostwin {

bool FileOpFails() { return fileOps.Fails(); }

bool AllocFails() { return allocations.Fails(); }

}  // namespace hostwin

HOSTWIN_API void HostFailFileOp(long n) { fileOps.Arm(n); }

HOSTWIN_API long HostFileOpCount(void) { return fileOps.count; }

HOSTWIN_API void HostFailAlloc(long n) { allocations.Arm(n); }

HOSTWIN_API long HostAllocCount(void) { return allocations.count; }
