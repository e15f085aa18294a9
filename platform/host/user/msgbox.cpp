// Message boxes, help requests and the user agent that answers them.
#include "user_internal.h"

namespace hostwin {
namespace {

HostUserAgent g_agent{};
bool g_haveAgent = false;
void* g_context = nullptr;

// What a box answers when nobody is there to press a button: OK for a box
// with only that button, else the button that Escape would press.
int UnattendedAnswer(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OK: return IDOK;
    case MB_ABORTRETRYIGNORE: return IDABORT;
    case MB_YESNO: return IDNO;
    default: return IDCANCEL;
    }
}

}  // namespace

const HostUserAgent* UserAgent() { return g_haveAgent ? &g_agent : nullptr; }
void* UserAgentContext() { return g_context; }

}  // namespace hostwin

using namespace hostwin;

HOSTWIN_API void HostSetUserAgent(const HostUserAgent* agent, void* ctx) {
    g_haveAgent = agent != nullptr;
    g_agent = agent ? *agent : HostUserAgent{};
    g_context = agent ? ctx : nullptr;
}

HOSTWIN_API int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    const HostUserAgent* agent = UserAgent();
    if (!agent || !agent->messageBox) return UnattendedAnswer(type);
    return agent->messageBox(UserAgentContext(), owner, text ? text : "", caption ? caption : "Error", type);
}

HOSTWIN_API BOOL WINAPI WinHelpA(HWND wnd, LPCSTR file, UINT command, ULONG_PTR data) {
    const HostUserAgent* agent = UserAgent();
    if (agent && agent->help) agent->help(UserAgentContext(), wnd, file ? file : "", command, data);
    return TRUE;
}

HOSTWIN_API void WINAPI InitCommonControls(void) {}
