// cplwine: cplhost's twin for the Windows build.  Loads a control-panel
// library, opens its applet on the main thread as the control panel does,
// and plays the sheet's user from a second thread with cplhost's command
// language; a third thread answers the message boxes.  Prints the same
// transcript and ends with the same status as cplhost.
//
//   cplwine [--script FILE] [SHELL32.DLL,Control_RunDLL] zpcfgpnl.CPL
//   cplwine --pictures DIR [SHELL32.DLL,Control_RunDLL] zpcfgpnl.CPL
//
// Without --script the commands come from standard input; when that is no
// file or pipe (a program started it, as panelrun starts the shell's runner)
// a person uses the sheet and cplwine only opens the applet.  --pictures shows
// each page of the sheet in turn and saves the sheet's window as it is on the
// screen, DIR\PAGE.bmp (resources.bmp, general.bmp, ...), then cancels.
//
// The applet's WinHelpA and PropertySheetA imports are redirected to this
// program, which prints the help requests and notes the sheet's result; the
// message boxes are real and are read and pressed through their windows.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "commands.h"
#include "imports.h"

namespace {

constexpr char kRunnerEntry[] = "SHELL32.DLL,Control_RunDLL";
// A posted WM_NULL with this wParam marks how far the sheet's thread has
// read its queue.
constexpr WPARAM kSyncMark = 0x5A50;
// How long the sheet may take for one command before the run gives up.
constexpr DWORD kStepTimeoutMs = 30000;

// Everything the three threads share.  The lock guards the user's answers
// and failure, the transcript and the index of the command being performed.
struct WineRun {
    CRITICAL_SECTION lock;
    SheetUser user;
    std::vector<Command> script;
    std::size_t next = 0;  // the next command of the script
    DWORD sheetThread = 0;
    HANDLE sheetDone = nullptr;  // set when CPL_DBLCLK has returned
    HANDLE markSeen = nullptr;   // set when the sheet's thread read the last mark
    volatile LONG markWanted = 0;
    volatile LONG stopBoxes = 0;
    std::vector<INT_PTR> sheetResults;
    std::string picturesDir;  // --pictures
    bool person = false;      // nobody to play: the sheet is a person's
};

WineRun run;

struct Locked {
    Locked() { EnterCriticalSection(&run.lock); }
    ~Locked() { LeaveCriticalSection(&run.lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

bool EqualsNoCase(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b) {
        char x = *a >= 'A' && *a <= 'Z' ? static_cast<char>(*a - 'A' + 'a') : *a;
        char y = *b >= 'A' && *b <= 'Z' ? static_cast<char>(*b - 'A' + 'a') : *b;
        if (x != y) return false;
    }
    return *a == *b;
}

void Complain(const std::string& message) {
    std::fflush(stdout);
    std::fprintf(stderr, "cplwine: %s\n", message.c_str());
    std::fflush(stderr);
}

std::string Where(const Command& command) {
    std::string where = command.line ? "line " + std::to_string(command.line) + ": " : std::string();
    return where + FormatCommand(command) + ": ";
}

// Keeps the first failure and reports it.  Call with the lock held.
void Fail(int result, const std::string& message) {
    if (run.user.failure != kRunOk || result == kRunOk) return;
    NoteFailure(run.user, result, message);
    Complain(message);
}

// ---- what the applet calls -------------------------------------------------------

using WinHelpFunction = BOOL(WINAPI*)(HWND, LPCSTR, UINT, ULONG_PTR);
using PropertySheetFunction = INT_PTR(WINAPI*)(LPCPROPSHEETHEADERA);
PropertySheetFunction realPropertySheet = nullptr;
void* realWinHelp = nullptr;

BOOL WINAPI RecordWinHelp(HWND wnd, LPCSTR file, UINT command, ULONG_PTR data) {
    Locked locked;
    std::fputs(FormatHelpLine(wnd, file, command, data).c_str(), stdout);
    std::fflush(stdout);
    return TRUE;
}

INT_PTR WINAPI RecordPropertySheet(LPCPROPSHEETHEADERA header) {
    INT_PTR result = realPropertySheet(header);
    Locked locked;
    run.sheetResults.push_back(result);
    return result;
}

// ---- the sheet's thread ------------------------------------------------------------

LRESULT CALLBACK WatchQueue(int code, WPARAM removed, LPARAM lParam) {
    if (code == HC_ACTION && removed == PM_REMOVE) {
        const MSG* msg = reinterpret_cast<const MSG*>(lParam);
        if (msg->message == WM_NULL && msg->wParam == kSyncMark && msg->lParam == run.markWanted)
            SetEvent(run.markSeen);
    }
    return CallNextHookEx(nullptr, code, removed, lParam);
}

bool IsWindowClass(HWND wnd, const char* name) {
    char found[64] = "";
    GetClassNameA(wnd, found, sizeof found);
    return EqualsNoCase(found, name);
}

bool IsSheet(HWND wnd) {
    return IsWindowClass(wnd, "#32770") && FindWindowExA(wnd, nullptr, "SysTabControl32", nullptr) != nullptr;
}

bool IsMessageBox(HWND wnd) {
    return IsWindowVisible(wnd) && IsWindowClass(wnd, "#32770") && GetDlgItem(wnd, 0xFFFF) != nullptr &&
           !IsSheet(wnd);
}

struct WindowSearch {
    bool (*wanted)(HWND);
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND wnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    if (search->wanted(wnd)) search->found.push_back(wnd);
    return TRUE;
}

std::vector<HWND> SheetThreadWindows(bool (*wanted)(HWND)) {
    WindowSearch search{wanted, {}};
    EnumThreadWindows(run.sheetThread, CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool BoxOpen() { return !SheetThreadWindows(IsMessageBox).empty(); }

// Waits until the sheet's thread has read everything posted to it so far and
// no message box is open: then every message sent or posted for the last
// command has been handled.  Answers false when the sheet is gone.
bool SettleSheet(HWND sheet) {
    DWORD start = GetTickCount();
    for (;;) {
        LONG mark = InterlockedIncrement(&run.markWanted);
        ResetEvent(run.markSeen);
        if (!PostMessageA(sheet, WM_NULL, kSyncMark, mark)) return false;
        bool seen = false;
        while (!seen) {
            seen = WaitForSingleObject(run.markSeen, 20) == WAIT_OBJECT_0;
            if (!IsWindow(sheet)) return false;
            if (GetTickCount() - start > kStepTimeoutMs) return IsWindow(sheet);
        }
        // A mark read inside a message box's loop says nothing about the
        // sheet's own; a mark read with a box open neither.
        if (!BoxOpen()) {
            // The sheet ends only after its loop has read the mark: a second
            // mark tells whether it is still there.
            LONG again = InterlockedIncrement(&run.markWanted);
            ResetEvent(run.markSeen);
            if (!PostMessageA(sheet, WM_NULL, kSyncMark, again)) return false;
            for (;;) {
                if (WaitForSingleObject(run.markSeen, 20) == WAIT_OBJECT_0) break;
                if (!IsWindow(sheet)) return false;
                if (GetTickCount() - start > kStepTimeoutMs) return IsWindow(sheet);
            }
            if (!BoxOpen()) return IsWindow(sheet);
        }
    }
}

// ---- the message boxes ---------------------------------------------------------------

// The type of a box, told by its buttons.
UINT BoxType(HWND box) {
    auto has = [box](int id) { return GetDlgItem(box, id) != nullptr; };
    if (has(IDYES) && has(IDNO)) return has(IDCANCEL) ? MB_YESNOCANCEL : MB_YESNO;
    if (has(IDABORT)) return MB_ABORTRETRYIGNORE;
    if (has(IDRETRY)) return MB_RETRYCANCEL;
    if (has(IDCANCEL)) return has(IDOK) ? MB_OKCANCEL : MB_OK;
    return MB_OK;
}

// A window's text, read without waiting on a thread that no longer reads
// its messages (a box that is closing).
std::string TextOf(HWND wnd) {
    char text[1024] = "";
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(wnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, 2000,
                             &length))
        return {};
    text[sizeof text - 1] = '\0';
    return text;
}

// Waits for a thread of this program while answering the messages that other
// threads send to this one's windows.
void WaitPumping(HANDLE thread) {
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    }
}

void AnswerBox(HWND box) {
    std::string caption = TextOf(box);
    std::string text = TextOf(GetDlgItem(box, 0xFFFF));
    UINT type = BoxType(box);
    int button;
    {
        Locked locked;
        std::string message;
        if (int result = ChooseBoxButton(run.user.answers, type, button, message)) {
            std::string where = run.next > 0 && run.next <= run.script.size() ? Where(run.script[run.next - 1]) : "";
            Fail(result, where + "box \"" + text + "\": " + message);
        }
        std::fputs(FormatBoxLine(caption.c_str(), text.c_str(), button).c_str(), stdout);
        std::fflush(stdout);
    }
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

DWORD WINAPI WatchBoxes(LPVOID) {
    std::vector<HWND> answered;
    while (!run.stopBoxes) {
        for (HWND box : SheetThreadWindows(IsMessageBox)) {
            bool seen = false;
            for (HWND old : answered) seen = seen || old == box;
            if (!seen) {
                answered.push_back(box);
                AnswerBox(box);
            }
        }
        // Forget the boxes that have closed.
        std::vector<HWND> open;
        for (HWND old : answered)
            if (IsWindow(old)) open.push_back(old);
        answered.swap(open);
        Sleep(5);
    }
    return 0;
}

// ---- the user ------------------------------------------------------------------------------

// A double click is read where the cursor is when its message arrives: the
// cursor goes to the item first and the sheet's thread takes note of it.
void PointAtItem(HWND sheet, const Command& command) {
    HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    HWND list = page ? GetDlgItem(page, command.control) : nullptr;
    if (!list || !IsWindowClass(list, "SysListView32")) return;
    LRESULT count = SendMessageA(list, LVM_GETITEMCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[1024] = "";
        LVITEMA item{};
        item.pszText = text;
        item.cchTextMax = sizeof text;
        SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        if (command.text != text) continue;
        RECT rect{};
        rect.left = LVIR_BOUNDS;
        SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&rect));
        POINT point{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
        ClientToScreen(list, &point);
        SetCursorPos(point.x, point.y);
        SettleSheet(sheet);
        return;
    }
}

HWND WaitForSheet() {
    for (;;) {
        std::vector<HWND> sheets = SheetThreadWindows(IsSheet);
        if (!sheets.empty() && IsWindowVisible(sheets.front())) return sheets.front();
        if (WaitForSingleObject(run.sheetDone, 10) == WAIT_OBJECT_0) return nullptr;
    }
}

// ---- pictures ------------------------------------------------------------------------------

bool WriteBitmap(const std::string& path, HWND wnd) {
    RECT rect{};
    GetWindowRect(wnd, &rect);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) return false;
    HDC screen = GetWindowDC(wnd);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // bottom-up rows
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::vector<BYTE> pixels(stride * static_cast<DWORD>(height));
    int rows = GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(),
                         reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(wnd, screen);
    if (rows != height) return false;

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (!out) return false;
    bool written = std::fwrite(&file, sizeof file, 1, out) == 1 && std::fwrite(&info, sizeof info, 1, out) == 1 &&
                   std::fwrite(pixels.data(), 1, pixels.size(), out) == pixels.size();
    return std::fclose(out) == 0 && written;
}

// Each page in turn, drawn afresh and saved as the screen shows it.
void TakePictures(HWND sheet) {
    for (int page = 0; page < kPageCount; ++page) {
        SendMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(page), 0);
        SettleSheet(sheet);
        RedrawWindow(sheet, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Sleep(300);
        SettleSheet(sheet);
        std::string name = kPageNames[page];
        for (char& c : name) c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        std::string path = run.picturesDir + "\\" + name + ".bmp";
        if (!WriteBitmap(path, sheet)) {
            Locked locked;
            Fail(kRunScriptError, "cannot save the picture " + path);
            return;
        }
    }
}

DWORD WINAPI PlayUser(LPVOID) {
    HWND sheet = WaitForSheet();
    if (!sheet || !SettleSheet(sheet)) return 0;
    if (!run.picturesDir.empty()) TakePictures(sheet);
    for (;;) {
        const Command* command = nullptr;
        {
            Locked locked;
            if (run.user.failure != kRunOk || run.next >= run.script.size()) break;
            command = &run.script[run.next++];
            if (command->kind == CommandKind::Answer) {
                run.user.answers.push_back(command->answer);
                continue;
            }
        }
        if (command->kind == CommandKind::DblClick) PointAtItem(sheet, *command);
        std::string message;
        int result = PerformCommand(run.user, sheet, *command, message);
        if (result != kRunOk) {
            Locked locked;
            Fail(result, Where(*command) + message);
        }
        if (!SettleSheet(sheet)) return 0;
    }
    // Nothing more to do, or the run failed: the sheet closes as Cancel would.
    if (IsWindow(sheet)) {
        SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        SettleSheet(sheet);
    }
    return 0;
}

// ---- the control panel ----------------------------------------------------------------------

bool ReadAll(std::FILE* file, std::string& text) {
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    return !std::ferror(file);
}

int Usage() {
    std::fprintf(stderr, "usage: cplwine [--script FILE | --pictures DIR] [%s] LIBRARY.CPL\n", kRunnerEntry);
    return kRunScriptError;
}

void Redirect(HMODULE library, const char* dll, const char* function, void* replacement, void** original,
              const std::string& path) {
    if (!RedirectImport(library, dll, function, replacement, original))
        Complain(path + " does not import " + function + " from " + dll);
}

int RunApplet(const std::string& path, bool& initFailed) {
    HMODULE library = LoadLibraryA(path.c_str());
    if (!library) {
        Complain("cannot load " + path + " (error " + std::to_string(GetLastError()) + ")");
        return kRunScriptError;
    }
    void* sheetFunction = nullptr;
    Redirect(library, "COMCTL32.DLL", "PropertySheetA", reinterpret_cast<void*>(RecordPropertySheet),
             &sheetFunction, path);
    realPropertySheet = reinterpret_cast<PropertySheetFunction>(sheetFunction);
    if (!run.person)
        Redirect(library, "USER32.DLL", "WinHelpA", reinterpret_cast<void*>(RecordWinHelp), &realWinHelp, path);
    APPLET_PROC applet =
        reinterpret_cast<APPLET_PROC>(reinterpret_cast<void (*)()>(GetProcAddress(library, "CPlApplet")));
    if (!applet) {
        Complain(path + " exports no CPlApplet");
        FreeLibrary(library);
        return kRunScriptError;
    }
    HWND panel = nullptr;
    if (applet(panel, CPL_INIT, 0, 0) == 0) {
        // The control panel drops an applet whose initialisation fails.
        Locked locked;
        std::printf("init failed\n");
        std::fflush(stdout);
        initFailed = true;
        FreeLibrary(library);
        return run.user.failure;
    }
    LONG count = applet(panel, CPL_GETCOUNT, 0, 0);
    std::vector<LONG_PTR> data;
    for (LONG i = 0; i < count; ++i) {
        NEWCPLINFOA info{};
        info.dwSize = sizeof info;
        applet(panel, CPL_NEWINQUIRE, i, reinterpret_cast<LPARAM>(&info));
        data.push_back(info.lData);
    }
    int result = kRunOk;
    if (count > 0) {
        HANDLE user = run.person ? nullptr : CreateThread(nullptr, 0, PlayUser, nullptr, 0, nullptr);
        applet(panel, CPL_DBLCLK, 0, data[0]);
        SetEvent(run.sheetDone);
        if (user) {
            WaitPumping(user);
            CloseHandle(user);
        }
        Locked locked;
        for (INT_PTR sheetResult : run.sheetResults) std::printf("sheet %ld\n", static_cast<long>(sheetResult));
        std::fflush(stdout);
    } else {
        Complain(path + " offers no applet");
        result = kRunScriptError;
    }
    for (LONG i = 0; i < count; ++i) applet(panel, CPL_STOP, i, data[i]);
    applet(panel, CPL_EXIT, 0, 0);
    FreeLibrary(library);
    return run.user.failure != kRunOk ? run.user.failure : result;
}

// What a scripted run left undone once the sheet has closed.
int CheckScriptDone() {
    if (run.next < run.script.size()) {
        Complain(Where(run.script[run.next]) + "the sheet closed before this command");
        return kRunExpectFailed;
    }
    if (!run.user.answers.empty()) {
        Complain(std::string("the queued answer ") + AnswerName(run.user.answers.front()) +
                 " was left for a message box that never came");
        return kRunExpectFailed;
    }
    return kRunOk;
}

}  // namespace

int main(int argc, char** argv) {
    // The transcript's lines end LF, as on the host.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stdin), _O_BINARY);

    const char* scriptFile = nullptr;
    const char* libraryName = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--script") == 0) {
            if (++i == argc || scriptFile) return Usage();
            scriptFile = argv[i];
        } else if (std::strcmp(argv[i], "--pictures") == 0) {
            if (++i == argc || !run.picturesDir.empty()) return Usage();
            run.picturesDir = argv[i];
        } else if (EqualsNoCase(argv[i], kRunnerEntry) && !libraryName) {
        } else if (!libraryName && argv[i][0] != '-') {
            libraryName = argv[i];
        } else {
            return Usage();
        }
    }
    if (!libraryName) return Usage();

    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD inputType = input && input != INVALID_HANDLE_VALUE ? GetFileType(input) : FILE_TYPE_UNKNOWN;
    run.person = !scriptFile && run.picturesDir.empty() && inputType != FILE_TYPE_DISK && inputType != FILE_TYPE_PIPE;

    std::string text;
    bool read = true;
    if (!run.person && (scriptFile || run.picturesDir.empty())) {
        std::FILE* input = scriptFile ? std::fopen(scriptFile, "rb") : stdin;
        read = input && ReadAll(input, text);
        if (input && input != stdin) std::fclose(input);
    }
    if (!read) {
        Complain(std::string("cannot read ") + (scriptFile ? scriptFile : "standard input"));
        return kRunScriptError;
    }
    std::vector<ScriptError> errors;
    if (!ParseScript(text, run.script, errors)) {
        for (const ScriptError& error : errors)
            std::fprintf(stderr, "cplwine: %s:%d: %s\n", scriptFile ? scriptFile : "stdin", error.line,
                         error.message.c_str());
        return kRunScriptError;
    }

    std::string path;
    if (!FindLibrary(libraryName, path)) {
        Complain(std::string("no ") + libraryName + " in the system directory");
        return kRunScriptError;
    }

    InitializeCriticalSection(&run.lock);
    run.sheetThread = GetCurrentThreadId();
    run.sheetDone = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    run.markSeen = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (run.person) {
        bool initFailed = false;
        return RunApplet(path, initFailed);
    }
    HHOOK hook = SetWindowsHookExA(WH_GETMESSAGE, WatchQueue, nullptr, run.sheetThread);
    HANDLE boxes = CreateThread(nullptr, 0, WatchBoxes, nullptr, 0, nullptr);

    bool initFailed = false;
    int result = RunApplet(path, initFailed);

    InterlockedExchange(&run.stopBoxes, 1);
    WaitPumping(boxes);
    if (hook) UnhookWindowsHookEx(hook);
    std::fflush(stdout);
    if (result != kRunOk || initFailed) return result;
    return CheckScriptDone();
}
