// The command language: each line parses to the command it spells, in its
// canonical form, or is refused with a message that says why.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script.h"

namespace {

struct LineCase {
    const char* line;
    const char* parsed;  // canonical form; null: the line is blank
};

TEST(ScriptParse, LinesGiveTheirCommands) {
    const LineCase cases[] = {
        {"", nullptr},
        {"   \t ", nullptr},
        {"# a comment", nullptr},
        {"   # indented comment with \"an open quote", nullptr},
        {"page Resources", "page Resources"},
        {"page general", "page General"},
        {"PAGE ADVANCED", "page Advanced"},
        {"click 2002", "click 2002"},
        {"click 2002   # the Effects box", "click 2002"},
        {"click 2002\r", "click 2002"},
        {"select 2001 English", "select 2001 \"English\""},
        {"select 2001 \"Deutsch (de)\"", "select 2001 \"Deutsch (de)\""},
        {"select 2000 #0", "select 2000 #0"},
        {"select 2000 #12 # a comment after the entry", "select 2000 #12"},
        {"select 2000 \"#2\"", "select 2000 \"#2\""},
        {"type 4002 \"C:\\HARMPNP\\\"", "type 4002 \"C:\\HARMPNP\\\""},
        {"type 4002 \"\"", "type 4002 \"\""},
        {"type 4002 \"say \"\"hi\"\"\"", "type 4002 \"say \"\"hi\"\"\""},
        {"focus 2010 mix1", "focus 2010 \"mix1\""},
        {"dblclick 2010 \"live mix\"", "dblclick 2010 \"live mix\""},
        {"key 2010 Delete", "key 2010 46"},
        {"key 2010 delete", "key 2010 46"},
        {"key 2010 113", "key 2010 113"},
        {"key 2010 0x71", "key 2010 113"},
        {"rename 2010 mix1 mix2", "rename 2010 \"mix1\" \"mix2\""},
        {"rename 2010 mix1 -cancel", "rename 2010 \"mix1\" -cancel"},
        {"rename 2010 mix1 \"-cancel\"", "rename 2010 \"mix1\" \"-cancel\""},
        {"label studio", "label \"studio\""},
        {"label -cancel", "label -cancel"},
        {"help 2001", "help 2001"},
        {"help", "help"},
        {"help # alone", "help"},
        {"answer yes", "answer yes"},
        {"answer Cancel", "answer cancel"},
        {"apply", "apply"},
        {"ok", "ok"},
        {"cancel", "cancel"},
        {"show", "show"},
        {"expect 2002 checked", "expect 2002 checked"},
        {"expect 2002 unchecked", "expect 2002 unchecked"},
        {"expect 2007 enabled", "expect 2007 enabled"},
        {"expect 2007 disabled", "expect 2007 disabled"},
        {"expect 2004 text \"\"", "expect 2004 text \"\""},
        {"expect 1004 text \"620-62F\"", "expect 1004 text \"620-62F\""},
        {"expect 2001 selected English", "expect 2001 selected \"English\""},
        {"expect 2001 selected none", "expect 2001 selected none"},
        {"expect 2001 selected \"none\"", "expect 2001 selected \"none\""},
        {"expect 2010 items 0", "expect 2010 items 0"},
        {"expect 2010 items 3", "expect 2010 items 3"},
        {"expect 2010 has \"new_string\"", "expect 2010 has \"new_string\""},
        {"expect 2010 lacks mix1", "expect 2010 lacks \"mix1\""},
    };
    for (const LineCase& c : cases) {
        Command command;
        std::string error;
        ParseStatus status = ParseCommand(c.line, command, error);
        if (!c.parsed) {
            EXPECT_EQ(status, ParseStatus::Blank) << "line: " << c.line << "\nerror: " << error;
            continue;
        }
        ASSERT_EQ(status, ParseStatus::Parsed) << "line: " << c.line << "\nerror: " << error;
        EXPECT_EQ(FormatCommand(command), c.parsed) << "line: " << c.line;
    }
}

TEST(ScriptParse, CanonicalFormsParseBackToThemselves) {
    const char* lines[] = {
        "select 2000 \"#2\"", "rename 2010 \"a \"\"b\"\"\" -cancel", "expect 2001 selected \"none\"",
        "type 4002 \"C:\\HARMPNP\\\"", "label \"-cancel\"", "expect 2010 has \"\"",
    };
    for (const char* line : lines) {
        Command command;
        std::string error;
        ASSERT_EQ(ParseCommand(line, command, error), ParseStatus::Parsed) << line << ": " << error;
        Command again;
        ASSERT_EQ(ParseCommand(FormatCommand(command), again, error), ParseStatus::Parsed) << line;
        EXPECT_EQ(FormatCommand(again), line);
    }
}

TEST(ScriptParse, FieldsOfTheCommand) {
    Command command;
    std::string error;
    ASSERT_EQ(ParseCommand("page Emulation", command, error), ParseStatus::Parsed);
    EXPECT_EQ(command.kind, CommandKind::Page);
    EXPECT_EQ(command.number, 3);

    ASSERT_EQ(ParseCommand("select 2000 #3", command, error), ParseStatus::Parsed);
    EXPECT_TRUE(command.byIndex);
    EXPECT_EQ(command.control, 2000);
    EXPECT_EQ(command.number, 3);

    ASSERT_EQ(ParseCommand("rename 2010 \"old name\" new", command, error), ParseStatus::Parsed);
    EXPECT_EQ(command.text, "old name");
    EXPECT_EQ(command.newText, "new");
    EXPECT_FALSE(command.cancelEdit);

    ASSERT_EQ(ParseCommand("label -cancel", command, error), ParseStatus::Parsed);
    EXPECT_TRUE(command.cancelEdit);
    EXPECT_EQ(command.text, "");
}

struct ErrorCase {
    const char* line;
    const char* says;  // a part of the message
};

TEST(ScriptParse, FaultyLinesAreRefused) {
    const ErrorCase cases[] = {
        {"clik 2002", "unknown command \"clik\""},
        {"\"click\" 2002", "unknown command"},
        {"click", "the control id is missing"},
        {"click # comment", "the control id is missing"},
        {"click two", "\"two\" is not a control id"},
        {"click 0", "is not a control id"},
        {"click -1", "is not a control id"},
        {"click 65536", "is not a control id"},
        {"click \"2002\"", "is not a control id"},
        {"click 2002 2003", "too many words"},
        {"page", "the page name is missing"},
        {"page Mixer", "no page \"Mixer\""},
        {"select 2001", "the entry is missing"},
        {"select 2001 #", "is not an entry number"},
        {"select 2001 #x", "is not an entry number"},
        {"select 2001 Deutsch (de)", "too many words"},
        {"select 2001 \"Deutsch", "not closed"},
        {"select 2001 \"Deutsch\"x", "closing quote must end the text"},
        {"select 2001 Deut\"sch", "a quote inside a word"},
        {"type 4002", "the text is missing"},
        {"focus 2010", "the text is missing"},
        {"key 2010", "the key is missing"},
        {"key 2010 Enter", "neither Delete nor a virtual-key number"},
        {"key 2010 256", "neither Delete nor a virtual-key number"},
        {"key 2010 0", "neither Delete nor a virtual-key number"},
        {"rename 2010 mix1", "the new label is missing"},
        {"label", "the new label is missing"},
        {"help 2001 2002", "too many words"},
        {"answer", "the answer is missing"},
        {"answer maybe", "is not ok, cancel, yes or no"},
        {"ok now", "too many words"},
        {"expect 2002", "what to expect is missing"},
        {"expect 2002 ticked", "\"ticked\" is not checked"},
        {"expect 2002 checked yes", "too many words"},
        {"expect 2004 text", "the text is missing"},
        {"expect 2001 selected", "the text is missing"},
        {"expect 2010 items", "the number of items is missing"},
        {"expect 2010 items many", "is not a number of items"},
        {"expect 2010 items -1", "is not a number of items"},
    };
    for (const ErrorCase& c : cases) {
        Command command;
        std::string error;
        EXPECT_EQ(ParseCommand(c.line, command, error), ParseStatus::Failed) << "line: " << c.line;
        EXPECT_NE(error.find(c.says), std::string::npos) << "line: " << c.line << "\nerror: " << error
                                                         << "\nexpected it to say: " << c.says;
    }
}

TEST(ScriptParse, ScriptsNumberTheirLinesAndReportEveryFault) {
    std::vector<Command> commands;
    std::vector<ScriptError> errors;
    EXPECT_TRUE(ParseScript("# open General\r\npage General\r\n\r\nclick 2002\nok", commands, errors));
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[0].line, 2);
    EXPECT_EQ(commands[1].line, 4);
    EXPECT_EQ(commands[2].line, 5);
    EXPECT_EQ(FormatCommand(commands[2]), "ok");

    commands.clear();
    EXPECT_FALSE(ParseScript("page General\nclik 2002\nok\nexpect 2002 ticked\n", commands, errors));
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].line, 2);
    EXPECT_EQ(errors[1].line, 4);
}

}  // namespace
