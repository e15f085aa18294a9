// Window manager internals shared by the sources of platform/host/user.
#pragma once

#include "host/host_seams.h"
#include "host/user/resource_tables.h"

#include <memory>
#include <string>
#include <vector>

namespace hostwin {

enum class WindowKind { Generic, Dialog, Button, Static, Edit, ComboBox, ListView, TabControl };

// Per-class state hung on a window record.
struct WindowExtra {
    virtual ~WindowExtra() = default;
};

// One window.  Its HWND is the record's address; records stay allocated
// while a message to them is still being handled.
struct Window {
    WindowKind kind = WindowKind::Generic;
    std::string className;
    WNDPROC proc = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    int id = 0;
    std::string text;
    Window* parent = nullptr;
    std::vector<Window*> children;  // creation order, which is also the z-order
    RECT rect{};                    // in the parent's client coordinates (the screen's for top-level windows)
    LONG_PTR msgResult = 0;         // DWL_MSGRESULT
    LONG_PTR dlgUser = 0;           // DWL_USER
    LONG_PTR userData = 0;          // GWL_USERDATA
    DLGPROC dlgProc = nullptr;
    HINSTANCE instance = nullptr;
    std::unique_ptr<WindowExtra> extra;
    int depth = 0;  // messages being handled
    bool destroyed = false;
};

inline HWND ToHandle(Window* w) { return reinterpret_cast<HWND>(w); }
// The live window of a handle, or null.
Window* FromHandle(HWND wnd);

template <typename T>
T* ExtraOf(Window* w) {
    return w ? dynamic_cast<T*>(w->extra.get()) : nullptr;
}

struct CreateParams {
    const char* className;
    const char* text;
    DWORD style;
    DWORD exStyle;
    RECT rect;  // in the parent's client coordinates
    HWND parent;
    int id;
    HINSTANCE instance;
    LPVOID param;
};
// Keeps a window's record allocated (not alive) until released.
void HoldWindow(Window* w);
void ReleaseWindow(Window* w);

// Creates a window of a built-in class; null for an unknown class.
HWND CreateWindowRecord(const CreateParams& params);

// Class procedures and their per-window set-up.
LRESULT CALLBACK ButtonProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK StaticProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ComboProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK ListViewProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK TabProc(HWND, UINT, WPARAM, LPARAM);
LRESULT CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM);
void InitButton(Window* w);
void InitEdit(Window* w);
void InitCombo(Window* w);
void InitListView(Window* w);
void InitTab(Window* w);

// Notifications to the parent.
void CommandToParent(Window* w, WORD code);
LRESULT NotifyParent(Window* w, UINT code, NMHDR* hdr);

// Text helpers.
void SetText(Window* w, const char* text);
LRESULT CopyOut(const std::string& text, char* buf, WPARAM size);
// ASCII and Windows-1252 letters folded to lower case.
unsigned char FoldCase(unsigned char c);
bool StartsWithNoCase(const std::string& text, const char* prefix);
bool EqualsNoCase(const std::string& a, const char* b);

// The dialog manager's handling of a message the dialog procedure left.
LRESULT DialogDefault(HWND wnd, UINT msg, WPARAM wp, LPARAM lp);
// Creates a dialog from a template; styleOverride (when set) replaces the
// template's style.
HWND CreateDialogFromTemplate(HINSTANCE instance, const HostDialogTemplate* tmpl, HWND parent, DLGPROC proc,
                              LPARAM param, const DWORD* styleOverride);

// Dialog units to pixels (MS Sans Serif 8: 6 x 13 pixels per 4 x 8 units).
constexpr int kBaseUnitX = 6;
constexpr int kBaseUnitY = 13;
int DluToPixelsX(int x);
int DluToPixelsY(int y);

// The module's resources.
const HostResourceTable* ResourcesOf(HINSTANCE instance);
const HostDialogTemplate* FindDialogTemplate(HINSTANCE instance, LPCSTR name);

// The user agent (null when none is set).
const HostUserAgent* UserAgent();
void* UserAgentContext();

// Delivers the posted messages that are waiting.
void DeliverPostedMessages();

// The screen position of a window's client area.
POINT ClientOrigin(Window* w);

}  // namespace hostwin
