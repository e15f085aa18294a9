// cplhost's command language: what the user of the applet's sheet does, one
// command a line.  Parsing only; commands.h performs the commands.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum class CommandKind {
    Page,          // page NAME
    Click,         // click ID
    Select,        // select ID TEXT | select ID #N
    Type,          // type ID TEXT
    Focus,         // focus ID TEXT
    DblClick,      // dblclick ID TEXT
    Key,           // key ID KEY
    Rename,        // rename ID TEXT NEW | rename ID TEXT -cancel
    Label,         // label NEW | label -cancel
    Help,          // help ID: F1 on the control
    ListCommands,  // help alone: the list of commands
    Answer,        // answer WORD
    Apply,
    Ok,
    Cancel,
    Show,
    Expect,  // expect ID WHAT
};

enum class ExpectKind { Checked, Unchecked, Enabled, Disabled, Text, Selected, SelectedNone, Items, Has, Lacks };

// The buttons a queued answer can press.
enum class AnswerWord { Ok, Cancel, Yes, No };

// The sheet's tabs in order; page NAME selects the tab of that index.
inline constexpr const char* kPageNames[] = {"Resources", "General", "Midi", "Emulation", "Advanced"};
inline constexpr int kPageCount = 5;

struct Command {
    CommandKind kind = CommandKind::Show;
    int line = 0;              // line of the script, 0 when typed at the prompt
    int control = 0;           // ID
    int number = 0;            // page index, entry number (#N), virtual key, item count
    bool byIndex = false;      // select ID #N
    bool cancelEdit = false;   // rename/label with -cancel: Escape instead of Enter
    ExpectKind expect = ExpectKind::Checked;
    AnswerWord answer = AnswerWord::Ok;
    std::string text;     // TEXT, the T of expect, the NEW of label
    std::string newText;  // the NEW of rename
};

enum class ParseStatus { Blank, Parsed, Failed };

// Parses one line.  Blank: nothing but blanks or a comment.  Failed: error
// says what is wrong with the line.
ParseStatus ParseCommand(std::string_view line, Command& command, std::string& error);

struct ScriptError {
    int line;
    std::string message;
};

// Parses a whole script (lines ended by LF or CR LF); every command gets its
// line number.  Answers false, with every faulty line in errors, when a line
// does not parse.
bool ParseScript(std::string_view text, std::vector<Command>& commands, std::vector<ScriptError>& errors);

// The command in its canonical spelling (texts always quoted), for messages.
std::string FormatCommand(const Command& command);

const char* AnswerName(AnswerWord answer);

// The list of commands that `help` alone prints.
extern const char kCommandSummary[];
