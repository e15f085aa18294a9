// Playing the user of a property sheet: the commands of script.h performed
// with ordinary Win32 calls, the answers to message boxes and the transcript
// lines.  Shared by the host's cplhost and its Windows twin.
#pragma once

#include <cstdio>
#include <deque>
#include <string>

#include "platform.h"
#include "script.h"

// Exit status of a run.
enum RunResult : int {
    kRunOk = 0,
    kRunExpectFailed = 1,  // the sheet is not as the script expects
    kRunScriptError = 2,   // the script is wrong, or cplhost could not run it
};

// The user's side of one run: answers queued for the next message boxes and
// the first failure, which ends a scripted run.
struct SheetUser {
    std::FILE* transcript = stdout;  // box, help and sheet lines
    std::FILE* notes = stderr;       // what show and help alone print
    std::deque<AnswerWord> answers;
    int failure = kRunOk;
    std::string failureMessage;
};

// Keeps the first failure only.
void NoteFailure(SheetUser& user, int result, std::string message);

// Performs one command on the sheet's current page.  Answers kRunOk, or a
// failure with message saying what went wrong.
int PerformCommand(SheetUser& user, HWND sheet, const Command& command, std::string& message);

// The button a message box of this type gets: the next queued answer, or OK
// on a box whose only button is OK.  Answers kRunOk, or a failure (message
// set) with button the one that closes the box as Escape would.
int ChooseBoxButton(std::deque<AnswerWord>& answers, UINT type, int& button, std::string& message);

// The button Escape would press on a box of this type.
int EscapeButton(UINT type);
// Whether a box of this type has the button of this answer.
bool BoxHasButton(UINT type, AnswerWord answer);
// The buttons of a box of this type, for prompts: "yes, no, cancel".
const char* BoxButtonList(UINT type);
int ButtonOfAnswer(AnswerWord answer);

// Where the runner finds the applet library: a bare name in the machine's
// system directory, anything else as the path it is.
bool FindLibrary(const char* name, std::string& path);

// The transcript line box "CAPTION" "TEXT" -> ANSWER.
std::string FormatBoxLine(const char* caption, const char* text, int button);
// The transcript line help "FILE" ID of a WinHelpA request; empty for
// HELP_QUIT.
std::string FormatHelpLine(HWND wnd, const char* file, UINT command, ULONG_PTR data);
// The current page with each control's id, kind, text and state, a line
// each.
std::string DescribePage(HWND sheet);
