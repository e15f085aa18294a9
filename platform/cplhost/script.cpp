// cplhost's command language: words, quoted texts and the commands.
#include "script.h"

#include <cstdio>

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameWord(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

struct Token {
    std::string text;
    bool quoted = false;
};

// Walks the words of one line.  A word is a run of non-blanks or a text in
// double quotes, in which two double quotes stand for one.  Where a command
// expects no more words, a word beginning with # starts a comment.
class Cursor {
public:
    explicit Cursor(std::string_view line) : line_(line) {}

    // With comments false, a word beginning with # is a word like others.
    bool AtEnd(bool comments = true) {
        SkipBlanks();
        return pos_ >= line_.size() || (comments && line_[pos_] == '#');
    }

    bool Next(Token& token, std::string& error) {
        SkipBlanks();
        token = Token{};
        if (pos_ >= line_.size()) return false;
        if (line_[pos_] != '"') {
            while (pos_ < line_.size() && !IsBlank(line_[pos_])) {
                if (line_[pos_] == '"') {
                    error = "a quote inside a word; put the whole text in quotes";
                    return false;
                }
                token.text += line_[pos_++];
            }
            return true;
        }
        token.quoted = true;
        ++pos_;
        for (;;) {
            if (pos_ >= line_.size()) {
                error = "a text in quotes is not closed";
                return false;
            }
            char c = line_[pos_++];
            if (c != '"') {
                token.text += c;
            } else if (pos_ < line_.size() && line_[pos_] == '"') {
                token.text += '"';
                ++pos_;
            } else {
                break;
            }
        }
        if (pos_ < line_.size() && !IsBlank(line_[pos_])) {
            error = "a closing quote must end the text";
            return false;
        }
        return true;
    }

private:
    void SkipBlanks() {
        while (pos_ < line_.size() && IsBlank(line_[pos_])) ++pos_;
    }

    std::string_view line_;
    std::size_t pos_ = 0;
};

// A non-negative decimal number, or 0x and hex digits when hex is allowed.
bool ParseNumber(std::string_view text, long max, bool hex, int& value) {
    int base = 10;
    if (hex && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 9) return false;
    long result = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return false;
        result = result * base + digit;
    }
    if (result > max) return false;
    value = static_cast<int>(result);
    return true;
}

constexpr int kVirtualKeyDelete = 0x2E;

struct CommandName {
    const char* word;
    CommandKind kind;
};

constexpr CommandName kCommandNames[] = {
    {"page", CommandKind::Page},         {"click", CommandKind::Click},
    {"select", CommandKind::Select},     {"type", CommandKind::Type},
    {"focus", CommandKind::Focus},       {"dblclick", CommandKind::DblClick},
    {"key", CommandKind::Key},           {"rename", CommandKind::Rename},
    {"label", CommandKind::Label},       {"help", CommandKind::Help},
    {"answer", CommandKind::Answer},     {"apply", CommandKind::Apply},
    {"ok", CommandKind::Ok},             {"cancel", CommandKind::Cancel},
    {"show", CommandKind::Show},         {"expect", CommandKind::Expect},
};

struct AnswerEntry {
    const char* word;
    AnswerWord answer;
};

constexpr AnswerEntry kAnswerNames[] = {
    {"ok", AnswerWord::Ok}, {"cancel", AnswerWord::Cancel}, {"yes", AnswerWord::Yes}, {"no", AnswerWord::No}};

// The forms of expect; `text` says whether a T follows.
struct ExpectName {
    const char* word;
    ExpectKind kind;
    bool text;
};

constexpr ExpectName kExpectNames[] = {
    {"checked", ExpectKind::Checked, false},   {"unchecked", ExpectKind::Unchecked, false},
    {"enabled", ExpectKind::Enabled, false},   {"disabled", ExpectKind::Disabled, false},
    {"text", ExpectKind::Text, true},          {"selected", ExpectKind::Selected, true},
    {"items", ExpectKind::Items, false},       {"has", ExpectKind::Has, true},
    {"lacks", ExpectKind::Lacks, true},
};

const char* ExpectWord(ExpectKind kind) {
    if (kind == ExpectKind::SelectedNone) return "selected";
    for (const ExpectName& name : kExpectNames)
        if (name.kind == kind) return name.word;
    return "?";
}

class LineParser {
public:
    LineParser(std::string_view line, Command& command, std::string& error)
        : cursor_(line), command_(command), error_(error) {}

    ParseStatus Run() {
        if (cursor_.AtEnd()) return ParseStatus::Blank;
        Token word;
        if (!cursor_.Next(word, error_)) return ParseStatus::Failed;
        const CommandName* name = nullptr;
        for (const CommandName& candidate : kCommandNames)
            if (!word.quoted && SameWord(word.text, candidate.word)) name = &candidate;
        if (!name) return Fail("unknown command \"" + word.text + "\"; help lists the commands");
        word_ = name->word;
        command_.kind = name->kind;
        if (!Arguments()) return ParseStatus::Failed;
        if (!cursor_.AtEnd()) return Fail(std::string(word_) + ": too many words (a text with blanks goes in quotes)");
        return ParseStatus::Parsed;
    }

private:
    ParseStatus Fail(std::string message) {
        error_ = std::move(message);
        return ParseStatus::Failed;
    }

    bool Missing(const char* what) {
        if (error_.empty()) error_ = std::string(word_) + ": " + what + " is missing";
        return false;
    }

    bool Take(Token& token, const char* what, bool comments = true) {
        if (cursor_.AtEnd(comments)) return Missing(what);
        return cursor_.Next(token, error_);
    }

    bool Control() {
        Token token;
        if (!Take(token, "the control id")) return false;
        if (token.quoted || !ParseNumber(token.text, 65535, false, command_.control) || command_.control == 0) {
            error_ = std::string(word_) + ": \"" + token.text + "\" is not a control id";
            return false;
        }
        return true;
    }

    bool Text(std::string& text, const char* what) {
        Token token;
        if (!Take(token, what)) return false;
        text = token.text;
        return true;
    }

    // NEW or -cancel (unquoted).
    bool NewText(std::string& text) {
        Token token;
        if (!Take(token, "the new label")) return false;
        if (!token.quoted && token.text == "-cancel") command_.cancelEdit = true;
        else text = token.text;
        return true;
    }

    bool Arguments() {
        switch (command_.kind) {
        case CommandKind::Page: return PageName();
        case CommandKind::Click: return Control();
        case CommandKind::Select: return Control() && Entry();
        case CommandKind::Type:
        case CommandKind::Focus:
        case CommandKind::DblClick: return Control() && Text(command_.text, "the text");
        case CommandKind::Key: return Control() && Key();
        case CommandKind::Rename:
            return Control() && Text(command_.text, "the item's text") && NewText(command_.newText);
        case CommandKind::Label: return NewText(command_.text);
        case CommandKind::Help:
            if (cursor_.AtEnd()) {
                command_.kind = CommandKind::ListCommands;
                return true;
            }
            return Control();
        case CommandKind::Answer: return Answer();
        case CommandKind::Expect: return Control() && Expectation();
        default: return true;
        }
    }

    bool PageName() {
        Token token;
        if (!Take(token, "the page name")) return false;
        for (int i = 0; i < kPageCount; ++i) {
            if (SameWord(token.text, kPageNames[i])) {
                command_.number = i;
                return true;
            }
        }
        error_ = "page: no page \"" + token.text + "\" (Resources, General, Midi, Emulation, Advanced)";
        return false;
    }

    bool Entry() {
        Token token;
        if (!Take(token, "the entry", false)) return false;  // #N is the entry, not a comment
        if (!token.quoted && !token.text.empty() && token.text[0] == '#') {
            if (!ParseNumber(std::string_view(token.text).substr(1), 65535, false, command_.number)) {
                error_ = "select: \"" + token.text + "\" is not an entry number (#0, #1, ...)";
                return false;
            }
            command_.byIndex = true;
            return true;
        }
        command_.text = token.text;
        return true;
    }

    bool Key() {
        Token token;
        if (!Take(token, "the key")) return false;
        if (!token.quoted && SameWord(token.text, "Delete")) {
            command_.number = kVirtualKeyDelete;
            return true;
        }
        if (token.quoted || !ParseNumber(token.text, 255, true, command_.number) || command_.number == 0) {
            error_ = "key: \"" + token.text + "\" is neither Delete nor a virtual-key number";
            return false;
        }
        return true;
    }

    bool Answer() {
        Token token;
        if (!Take(token, "the answer")) return false;
        for (const AnswerEntry& name : kAnswerNames) {
            if (!token.quoted && SameWord(token.text, name.word)) {
                command_.answer = name.answer;
                return true;
            }
        }
        error_ = "answer: \"" + token.text + "\" is not ok, cancel, yes or no";
        return false;
    }

    bool Expectation() {
        Token token;
        if (!Take(token, "what to expect")) return false;
        const ExpectName* name = nullptr;
        for (const ExpectName& candidate : kExpectNames)
            if (!token.quoted && SameWord(token.text, candidate.word)) name = &candidate;
        if (!name) {
            error_ = "expect: \"" + token.text +
                     "\" is not checked, unchecked, enabled, disabled, text, selected, items, has or lacks";
            return false;
        }
        command_.expect = name->kind;
        if (name->kind == ExpectKind::Items) {
            Token count;
            if (!Take(count, "the number of items")) return false;
            if (count.quoted || !ParseNumber(count.text, 1000000, false, command_.number)) {
                error_ = "expect: \"" + count.text + "\" is not a number of items";
                return false;
            }
            return true;
        }
        if (!name->text) return true;
        Token text;
        if (!Take(text, "the text")) return false;
        if (name->kind == ExpectKind::Selected && !text.quoted && text.text == "none")
            command_.expect = ExpectKind::SelectedNone;
        else
            command_.text = text.text;
        return true;
    }

    Cursor cursor_;
    Command& command_;
    std::string& error_;
    const char* word_ = "";
};

std::string Quote(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"') quoted += '"';
    }
    return quoted + '"';
}

}  // namespace

ParseStatus ParseCommand(std::string_view line, Command& command, std::string& error) {
    command = Command{};
    error.clear();
    return LineParser(line, command, error).Run();
}

bool ParseScript(std::string_view text, std::vector<Command>& commands, std::vector<ScriptError>& errors) {
    int lineNumber = 0;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++lineNumber;
        Command command;
        std::string error;
        switch (ParseCommand(line, command, error)) {
        case ParseStatus::Blank: break;
        case ParseStatus::Parsed:
            command.line = lineNumber;
            commands.push_back(std::move(command));
            break;
        case ParseStatus::Failed: errors.push_back({lineNumber, std::move(error)}); break;
        }
    }
    return errors.empty();
}

const char* AnswerName(AnswerWord answer) {
    for (const AnswerEntry& name : kAnswerNames)
        if (name.answer == answer) return name.word;
    return "?";
}

std::string FormatCommand(const Command& command) {
    const char* word = "?";
    for (const CommandName& name : kCommandNames)
        if (name.kind == command.kind) word = name.word;
    std::string id = std::to_string(command.control);
    std::string newText = command.cancelEdit ? std::string("-cancel") : Quote(command.newText);
    switch (command.kind) {
    case CommandKind::Page: return std::string(word) + " " + kPageNames[command.number];
    case CommandKind::Click:
    case CommandKind::Help: return std::string(word) + " " + id;
    case CommandKind::ListCommands: return "help";
    case CommandKind::Select:
        return "select " + id + " " + (command.byIndex ? "#" + std::to_string(command.number) : Quote(command.text));
    case CommandKind::Type:
    case CommandKind::Focus:
    case CommandKind::DblClick: return std::string(word) + " " + id + " " + Quote(command.text);
    case CommandKind::Key: return "key " + id + " " + std::to_string(command.number);
    case CommandKind::Rename: return "rename " + id + " " + Quote(command.text) + " " + newText;
    case CommandKind::Label: return std::string("label ") + (command.cancelEdit ? "-cancel" : Quote(command.text));
    case CommandKind::Answer: return std::string("answer ") + AnswerName(command.answer);
    case CommandKind::Expect: {
        std::string text = "expect " + id + " " + ExpectWord(command.expect);
        switch (command.expect) {
        case ExpectKind::Text:
        case ExpectKind::Selected:
        case ExpectKind::Has:
        case ExpectKind::Lacks: return text + " " + Quote(command.text);
        case ExpectKind::SelectedNone: return text + " none";
        case ExpectKind::Items: return text + " " + std::to_string(command.number);
        default: return text;
        }
    }
    default: return word;
    }
}

const char kCommandSummary[] =
    "page NAME            select the tab Resources, General, Midi, Emulation or Advanced\n"
    "click ID             click button or check box ID\n"
    "select ID TEXT       pick the entry TEXT of combo box ID; select ID #N picks entry N (from 0)\n"
    "type ID TEXT         type TEXT into the edit field of combo box ID\n"
    "focus ID TEXT        click item TEXT of list view ID (focus and selection)\n"
    "dblclick ID TEXT     double-click item TEXT of list view ID\n"
    "key ID KEY           press KEY (Delete, or a virtual-key number) in list view ID\n"
    "rename ID TEXT NEW   edit the label of item TEXT to NEW and press Enter; NEW -cancel presses Escape\n"
    "label NEW            finish a label edit that the applet opened; label -cancel presses Escape\n"
    "help ID              press F1 on control ID (help alone prints this list)\n"
    "answer WORD          answer the next message box with ok, cancel, yes or no\n"
    "apply | ok | cancel  press the sheet's Apply, OK or Cancel button\n"
    "show                 print the current page\n"
    "expect ID WHAT       check control ID: checked | unchecked | enabled | disabled | text \"T\" |\n"
    "                     selected \"T\" | selected none | items N | has \"T\" | lacks \"T\"\n"
    "A TEXT with blanks goes in double quotes (two quotes inside stand for one); # starts a comment.\n";
