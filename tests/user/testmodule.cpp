// A library for the module tests: its entry point reports to the test
// program, and it has resources of its own.
#include "platform.h"

extern "C" void TestModuleEvent(const char* what, HINSTANCE instance);

extern "C" __attribute__((visibility("default"))) BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    TestModuleEvent(reason == DLL_PROCESS_ATTACH   ? "attach"
                    : reason == DLL_PROCESS_DETACH ? "detach"
                                                   : "other",
                    instance);
    return TRUE;
}

extern "C" __attribute__((visibility("default"))) int TestModuleAnswer() { return 42; }
