// The applet's PropertySheetA binds to this definition, which the program
// exports; it calls through to the host layer's sheet and notes the result,
// which the applet itself never reports.
#include "sheet_result.h"

#include <dlfcn.h>

namespace {

std::vector<INT_PTR> results;

}  // namespace

HOSTWIN_API INT_PTR WINAPI PropertySheetA(LPCPROPSHEETHEADERA header) {
    using SheetFunction = INT_PTR (*)(LPCPROPSHEETHEADERA);
    static const auto hostSheet = reinterpret_cast<SheetFunction>(dlsym(RTLD_NEXT, "PropertySheetA"));
    INT_PTR result = hostSheet ? hostSheet(header) : -1;
    results.push_back(result);
    return result;
}

std::vector<INT_PTR> TakeSheetResults() {
    std::vector<INT_PTR> taken;
    taken.swap(results);
    return taken;
}
