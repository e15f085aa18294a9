// cplhost: the host's control panel.  Loads a control-panel library from the
// machine, opens its applet and plays the sheet's user, from a script or at
// a terminal.
//
//   cplhost [--script FILE] [SHELL32.DLL,Control_RunDLL] zpcfgpnl.CPL
//
// Without --script, commands come from standard input; on a terminal the
// session is interactive.
#include <langinfo.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "codepage.h"
#include "commands.h"
#include "host/host_seams.h"
#include "sheet_result.h"

namespace {

constexpr char kRunnerEntry[] = "SHELL32.DLL,Control_RunDLL";

struct HostRun {
    SheetUser user;
    std::vector<Command> script;
    std::size_t next = 0;  // the next command of the script
    bool interactive = false;
    bool showPage = true;  // interactive: print the page before the next prompt
    bool initFailed = false;
    bool utf8Terminal = false;  // interactive: the terminal speaks UTF-8, the applet Windows-1252
};

// Whether the user's locale speaks UTF-8; the process itself stays in the
// C locale, which the applet runs in.
bool LocaleSpeaksUtf8() {
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    std::string saved = current ? current : "C";
    std::setlocale(LC_CTYPE, "");
    bool utf8 = std::strcmp(nl_langinfo(CODESET), "UTF-8") == 0;
    std::setlocale(LC_CTYPE, saved.c_str());
    return utf8;
}

// Standard output: the applet's bytes in a script's transcript, readable
// characters at the terminal.
void Say(const HostRun& run, const std::string& text) {
    std::fputs(run.utf8Terminal ? WindowsToUtf8(text).c_str() : text.c_str(), stdout);
}

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
    std::fprintf(stderr, "cplhost: %s\n", message.c_str());
}

std::string Where(const Command& command) {
    std::string where = command.line ? "line " + std::to_string(command.line) + ": " : std::string();
    return where + FormatCommand(command) + ": ";
}

// Reads a line from standard input without its line end; false at the end.
bool ReadLine(std::string& line) {
    line.clear();
    int c;
    while ((c = std::fgetc(stdin)) != EOF && c != '\n') line += static_cast<char>(c);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return c != EOF || !line.empty();
}

bool ReadAll(std::FILE* file, std::string& text) {
    char buffer[4096];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, got);
    return !std::ferror(file);
}

int ScriptStep(HostRun& run, HWND sheet) {
    if (run.user.failure != kRunOk || run.next >= run.script.size()) return 0;
    const Command& command = run.script[run.next++];
    std::string message;
    int result = PerformCommand(run.user, sheet, command, message);
    // A message box during the command may have ended the run already.
    if (result != kRunOk && run.user.failure == kRunOk) {
        NoteFailure(run.user, result, Where(command) + message);
        Complain(run.user.failureMessage);
    }
    return run.user.failure == kRunOk ? 1 : 0;
}

bool IsAction(CommandKind kind) {
    return kind != CommandKind::Show && kind != CommandKind::Expect && kind != CommandKind::ListCommands &&
           kind != CommandKind::Answer;
}

// At the terminal: commands until one acts on the sheet; the end of the
// input closes the sheet as Cancel would.
int InteractiveStep(HostRun& run, HWND sheet) {
    for (;;) {
        if (run.showPage) {
            Say(run, DescribePage(sheet));
            run.showPage = false;
        }
        std::fputs("cplhost> ", stdout);
        std::fflush(stdout);
        std::string line;
        if (!ReadLine(line)) {
            std::fputc('\n', stdout);
            return 0;
        }
        if (run.utf8Terminal) line = Utf8ToWindows(line);
        Command command;
        std::string error;
        ParseStatus status = ParseCommand(line, command, error);
        if (status == ParseStatus::Blank) continue;
        if (status == ParseStatus::Failed) {
            Say(run, error + "\n");
            continue;
        }
        if (command.kind == CommandKind::Show) {
            Say(run, DescribePage(sheet));
            continue;
        }
        std::string message;
        if (PerformCommand(run.user, sheet, command, message)) {
            Say(run, message + "\n");
            continue;
        }
        if (command.kind == CommandKind::Expect) std::printf("as expected\n");
        if (IsAction(command.kind)) {
            run.showPage = true;
            return 1;
        }
    }
}

int Step(void* ctx, HWND sheet) {
    HostRun& run = *static_cast<HostRun*>(ctx);
    return run.interactive ? InteractiveStep(run, sheet) : ScriptStep(run, sheet);
}

// At the terminal a box that needs a decision asks for it.
int AskAtTerminal(UINT type) {
    for (;;) {
        std::printf("answer (%s)? ", BoxButtonList(type));
        std::fflush(stdout);
        std::string line;
        if (!ReadLine(line)) return EscapeButton(type);
        Command command;
        std::string error;
        if (ParseCommand("answer " + Utf8ToWindows(line), command, error) == ParseStatus::Parsed &&
            BoxHasButton(type, command.answer))
            return ButtonOfAnswer(command.answer);
    }
}

int MessageBoxAgent(void* ctx, HWND, const char* text, const char* caption, UINT type) {
    HostRun& run = *static_cast<HostRun*>(ctx);
    int button;
    std::string message;
    if (run.interactive && run.user.answers.empty() && (type & MB_TYPEMASK) != MB_OK) {
        Say(run, std::string("message box \"") + (caption ? caption : "Error") + "\": \"" + (text ? text : "") +
                     "\"\n");
        button = AskAtTerminal(type);
    } else if (int result = ChooseBoxButton(run.user.answers, type, button, message)) {
        std::string where = run.interactive || run.next == 0 ? std::string() : Where(run.script[run.next - 1]);
        message = where + "box \"" + (text ? text : "") + "\": " + message;
        if (run.interactive) {
            Say(run, message + "\n");
        } else if (run.user.failure == kRunOk) {
            NoteFailure(run.user, result, message);
            Complain(message);
        }
    }
    Say(run, FormatBoxLine(caption, text, button));
    if (run.interactive) run.showPage = true;
    return button;
}

void HelpAgent(void* ctx, HWND wnd, const char* file, UINT command, ULONG_PTR data) {
    Say(*static_cast<HostRun*>(ctx), FormatHelpLine(wnd, file, command, data));
}

int Usage() {
    std::fprintf(stderr, "usage: cplhost [--script FILE] [%s] LIBRARY.CPL\n", kRunnerEntry);
    return kRunScriptError;
}

// The control panel's side of the applet protocol, from CPL_INIT to CPL_EXIT.
int RunApplet(HostRun& run, const std::string& path) {
    HMODULE library = LoadLibraryA(path.c_str());
    if (!library) {
        Complain("cannot load " + path + " (error " + std::to_string(GetLastError()) + ")");
        return kRunScriptError;
    }
    // Through void (*)(void), the generic function pointer type.
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
        std::printf("init failed\n");
        run.initFailed = true;
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
        // The icon is the control panel's to show and then to destroy.
        if (info.hIcon) DestroyIcon(info.hIcon);
    }
    int result = kRunOk;
    if (count > 0) {
        applet(panel, CPL_DBLCLK, 0, data[0]);
        for (INT_PTR sheetResult : TakeSheetResults()) std::printf("sheet %ld\n", static_cast<long>(sheetResult));
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
int CheckScriptDone(HostRun& run) {
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
    const char* scriptFile = nullptr;
    const char* libraryName = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--script") == 0) {
            if (++i == argc || scriptFile) return Usage();
            scriptFile = argv[i];
        } else if (EqualsNoCase(argv[i], kRunnerEntry) && !libraryName) {
        } else if (!libraryName && argv[i][0] != '-') {
            libraryName = argv[i];
        } else {
            return Usage();
        }
    }
    if (!libraryName) return Usage();

    static HostRun run;
    std::string text;
    if (scriptFile) {
        std::FILE* file = std::fopen(scriptFile, "rb");
        bool read = file && ReadAll(file, text);
        if (file) std::fclose(file);
        if (!read) {
            Complain(std::string("cannot read ") + scriptFile);
            return kRunScriptError;
        }
    } else if (isatty(STDIN_FILENO)) {
        run.interactive = true;
        run.user.notes = stdout;
        run.utf8Terminal = LocaleSpeaksUtf8();
    } else if (!ReadAll(stdin, text)) {
        Complain("cannot read the commands from standard input");
        return kRunScriptError;
    }
    if (!run.interactive) {
        std::vector<ScriptError> errors;
        if (!ParseScript(text, run.script, errors)) {
            for (const ScriptError& error : errors)
                std::fprintf(stderr, "cplhost: %s:%d: %s\n", scriptFile ? scriptFile : "stdin", error.line,
                             error.message.c_str());
            return kRunScriptError;
        }
    } else {
        std::printf("cplhost: you are the sheet's user; help lists the commands, end of input cancels.\n");
    }

    std::string path;
    if (!FindLibrary(libraryName, path)) {
        Complain(std::string("no ") + libraryName + " in the system directory");
        return kRunScriptError;
    }
    static const HostUserAgent agent = {Step, MessageBoxAgent, HelpAgent};
    HostSetUserAgent(&agent, &run);
    int result = RunApplet(run, path);
    std::fflush(stdout);
    if (result != kRunOk || run.interactive || run.initFailed) return result;
    return CheckScriptDone(run);
}
