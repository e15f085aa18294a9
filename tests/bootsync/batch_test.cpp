// The SET lines of a batch file, the DOS text conventions and the buffer rules.
#include <gtest/gtest.h>

#include "bootsync.h"
#include "textfile.h"
#include "testmachine.h"

namespace {

using zptest::Dos;
using zptest::Show;

// Rewrites C:\X.BAT holding before; the file's bytes afterwards.  No other
// file may be left behind.
std::string Rewrite(std::string_view before, const char* harmnair = "NEWH", const char* blaster = "NEWB",
                    int expectedResult = 0) {
    zptest::TestMachine machine;
    machine.Write("drive_c/X.BAT", before);
    const auto files = machine.Files();
    EXPECT_EQ(RewriteBatchFile("C:\\X.BAT", harmnair, blaster), expectedResult);
    EXPECT_EQ(machine.Files(), files) << "a backup or another file was left";
    return machine.Read("drive_c/X.BAT").value_or("<none>");
}

TEST(BatchFile, LineRules) {
    const std::string H = "@SET HARMNAIR=NEWH", B = "@SET BLASTER=NEWB";
    struct Case {
        std::vector<std::string> in, out;
    } cases[] = {
        {{"rem set blaster=old"}, {"rem set blaster=old", H, B}},
        {{"@Rem SET HARMNAIR=old"}, {"@Rem SET HARMNAIR=old", H, B}},
        {{"REMARK SET BLASTER=x"}, {"REMARK SET BLASTER=x", H, B}},
        {{"  rem set blaster=old"}, {"SET BLASTER=NEWB", H}},
        {{"@set blaster=old"}, {"@SET BLASTER=NEWB", H}},
        {{"set Harmnair=old"}, {"SET HARMNAIR=NEWH", B}},
        {{"IF EXIST C:\\X SET BLASTER=old"}, {"SET BLASTER=NEWB", H}},
        {{"@SET BLASTER=x rem trailing"}, {"@SET BLASTER=NEWB", H}},
        {{"SET BLASTER =old", "SET  HARMNAIR=old"}, {"SET BLASTER =old", "SET  HARMNAIR=old", H, B}},
        {{"@ECHO OFF", "PATH C:\\DOS"}, {"@ECHO OFF", "PATH C:\\DOS", H, B}},
        {{"SET BLASTER=1", "ECHO", "set blaster=2"}, {"SET BLASTER=NEWB", "ECHO", "SET BLASTER=NEWB", H}},
        {{"SET HARMNAIR=a SET BLASTER=b"}, {"SET HARMNAIR=NEWH", B}},
        {{"SET BLASTER=b", "@SET HARMNAIR=a"}, {"SET BLASTER=NEWB", "@SET HARMNAIR=NEWH"}},
    };
    for (const Case& c : cases) {
        std::string in, out;
        for (const std::string& line : c.in) in += line + "\r\n";
        for (const std::string& line : c.out) out += line + "\r\n";
        EXPECT_EQ(Show(Rewrite(in)), Show(out)) << "from:\n" << Show(in);
    }
}

TEST(BatchFile, ValuesAsTheEnvironmentGivesThem) {
    struct Case {
        const char* what;
        const char* harmnair;
        const char* blaster;
        std::string out;
    } cases[] = {
        {"empty values", "", "", Dos({"SET HARMNAIR=", "ECHO", "@SET BLASTER="})},
        {"values with blanks", "C:\\HARM PNP", "A220 I5 D1 T4",
         Dos({"SET HARMNAIR=C:\\HARM PNP", "ECHO", "@SET BLASTER=A220 I5 D1 T4"})},
        {"no HARMNAIR value: its line stays", nullptr, "B", Dos({"set harmnair=old", "ECHO", "@SET BLASTER=B"})},
        {"no values at all", nullptr, nullptr, Dos({"set harmnair=old", "ECHO"})},
        // A line feed would end the SET line and make the rest a command of
        // its own; a Ctrl-Z would end the file for every later reader.
        {"a HARMNAIR with a line feed: its line stays", "C:\\X\nDEL C:\\*.*", "B",
         Dos({"set harmnair=old", "ECHO", "@SET BLASTER=B"})},
        {"a BLASTER with a Ctrl-Z: nothing is appended for it", "H", "A220\x1a", Dos({"SET HARMNAIR=H", "ECHO"})},
        {"a lone CR is text like any other", "H\r", "B", Dos({"SET HARMNAIR=H\r", "ECHO", "@SET BLASTER=B"})},
        // Its line would be a HARMNAIR line to the next run.
        {"a BLASTER holding set harmnair=: nothing is appended for it", "H", "A220 set harmnair=x",
         Dos({"SET HARMNAIR=H", "ECHO"})},
        {"a HARMNAIR holding SET BLASTER= is written", "SET BLASTER=x", "B",
         Dos({"SET HARMNAIR=SET BLASTER=x", "ECHO", "@SET BLASTER=B"})},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Show(Rewrite(Dos({"set harmnair=old", "ECHO"}), c.harmnair, c.blaster)), Show(c.out)) << c.what;
    }
}

TEST(BatchFile, ValuesTooLongForTheLineBufferLeaveTheirLines) {
    // A written line must come back as one piece when the file is read
    // again: "@SET HARMNAIR=", the value and a line feed in 254 characters
    // leave 239 for the value; "@SET BLASTER=" leaves 240.
    const std::string h239(239, 'h'), h240(240, 'h'), b240(240, 'b'), b241(241, 'b');
    struct Case {
        const std::string* harmnair;
        const std::string* blaster;
        std::string out;
    } cases[] = {
        {&h239, &b240, Dos({"SET HARMNAIR=" + h239, "@SET BLASTER=" + b240})},
        {&h240, &b240, Dos({"SET HARMNAIR=old", "@SET BLASTER=" + b240})},
        {&h239, &b241, Dos({"SET HARMNAIR=" + h239})},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Show(Rewrite(Dos({"SET HARMNAIR=old"}), c.harmnair->c_str(), c.blaster->c_str())), Show(c.out))
            << c.harmnair->size() << " and " << c.blaster->size() << " characters";
    }
}

TEST(BatchFile, ASecondRunChangesNothing) {
    // Lines written at the longest, lines cut into pieces, a last line without
    // a line feed: the next boot finds nothing to change.
    const std::string h239(239, 'h'), b240(240, 'b'), h240(240, 'h'), b241(241, 'b');
    const std::string setBlaster = "x SET BLASTER=y", setHarmnair = "x Set Harmnair=y";
    struct Case {
        const char* what;
        std::string in;
        const std::string* harmnair;
        const std::string* blaster;
    } cases[] = {
        {"appended lines of the longest values", Dos({"ECHO"}), &h239, &b240},
        {"replaced lines of the longest values", Dos({"@SET HARMNAIR=x", "SET BLASTER=y"}), &h239, &b240},
        {"values one character too long", Dos({"ECHO"}), &h240, &b241},
        {"values one character too long, lines to replace", Dos({"@SET HARMNAIR=x", "SET BLASTER=y"}), &h240, &b241},
        {"a long line cut after its SET", "SET BLASTER=" + std::string(300, 'x') + "\r\nECHO", &h239, &b240},
        {"a long line without a SET", std::string(600, 'z'), &h239, &b240},
        {"each value holding the other's SET", Dos({"SET BLASTER=old"}), &setBlaster, &setHarmnair},
    };
    for (const Case& c : cases) {
        zptest::TestMachine machine;
        machine.Write("drive_c/X.BAT", c.in);
        ASSERT_EQ(RewriteBatchFile("C:\\X.BAT", c.harmnair->c_str(), c.blaster->c_str()), 0) << c.what;
        const std::string once = machine.Read("drive_c/X.BAT").value_or("<none>");
        ASSERT_EQ(RewriteBatchFile("C:\\X.BAT", c.harmnair->c_str(), c.blaster->c_str()), 0) << c.what;
        EXPECT_EQ(Show(machine.Read("drive_c/X.BAT").value_or("<none>")), Show(once)) << c.what;
    }
}

TEST(BatchFile, DosTextConventions) {
    const std::string H = "@SET HARMNAIR=NEWH\r\n", B = "@SET BLASTER=NEWB\r\n";
    const std::string x254(254, 'x'), y46(46, 'y'), a254(254, 'a');
    const std::string filler(kFileBufferSize - 1, 'f');
    struct Case {
        const char* what;
        std::string in, out;
    } cases[] = {
        {"LF line ends and a final Ctrl-Z", "SET BLASTER=old\nECHO hi\n\x1a", "SET BLASTER=NEWB\r\nECHO hi\r\n" + H},
        {"text after a Ctrl-Z is gone", "ECHO a\r\n\x1aSET BLASTER=old\r\n", "ECHO a\r\n" + H + B},
        {"a last line without line feed", "SET HARMNAIR=x\r\nECHO last", "SET HARMNAIR=NEWH\r\nECHO last\r\n" + B},
        {"nothing appended: the last line stays open", "SET HARMNAIR=x\r\nSET BLASTER=y\r\nECHO z",
         "SET HARMNAIR=NEWH\r\nSET BLASTER=NEWB\r\nECHO z"},
        {"a lone CR stays", "ECHO a\rb\r\nX\r\r\n", "ECHO a\rb\r\nX\r\r\n" + H + B},
        {"a CR at the very end stays", "ECHO\r", "ECHO\r\r\n" + H + B},
        {"NUL bytes are kept", std::string("EC\0HO\r\n", 7), std::string("EC\0HO\r\n", 7) + H + B},
        {"an empty file", "", H + B},
        {"a 300-character line in two pieces", "SET BLASTER=" + x254.substr(12) + y46 + "\r\n",
         "SET BLASTER=NEWB\r\n" + y46 + "\r\n" + H},
        {"a 254-character line and its line feed", a254 + "\r\n", a254 + "\r\n" + H + B},
        {"a 254-character line without CR", a254 + "\n", a254 + "\r\n" + H + B},
        // The file is read a buffer at a time: a CR as the last byte of one.
        {"CR LF across a buffer's end", filler + "\r\nSET BLASTER=old\r\n", filler + "\r\nSET BLASTER=NEWB\r\n" + H},
        {"a lone CR at a buffer's end", filler + "\rX\r\n", filler + "\rX\r\n" + H + B},
        {"a Ctrl-Z after a CR at a buffer's end", filler + "\r\x1aSET BLASTER=old\r\n", filler + "\r\r\n" + H + B},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Show(Rewrite(c.in)), Show(c.out)) << c.what;
    }
}

TEST(BatchFile, NumberedFilesOfTheUserAreNotTouched) {
    zptest::TestMachine machine;
    machine.Write("drive_c/AUTOEXEC.001", "mine 1");
    machine.Write("drive_c/AUTOEXEC.002", "mine 2");
    const auto files = machine.Files();
    EXPECT_EQ(RewriteBatchFile("C:\\AUTOEXEC.BAT", "H", "B"), 0);
    EXPECT_EQ(machine.Files(), files) << "AUTOEXEC.003 was the backup and is gone";
    EXPECT_EQ(machine.Read("drive_c/AUTOEXEC.001").value_or(""), "mine 1");
    EXPECT_EQ(machine.Read("drive_c/AUTOEXEC.002").value_or(""), "mine 2");
    EXPECT_EQ(Show(machine.Read("drive_c/AUTOEXEC.BAT").value_or("")),
              Show(Dos({"@ECHO OFF", "SET HARMNAIR=H", "SET BLASTER=B", "C:\\HARMPNP\\ZPVELT.COM"})));
}

TEST(BatchFile, NoFileNoDirectory) {
    zptest::TestMachine machine;
    const auto files = machine.Files();
    EXPECT_EQ(RewriteBatchFile("C:\\NONE.BAT", "H", "B"), -1);
    EXPECT_EQ(RewriteBatchFile("C:\\WINDOWS", "H", "B"), -1);
    EXPECT_EQ(machine.Files(), files);
    EXPECT_TRUE(machine.Read("drive_c/WINDOWS/DOSSTART.BAT")) << "the directory was left alone";
}

}  // namespace
