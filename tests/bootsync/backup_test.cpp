// Backup names and the environment lookup.
#include <gtest/gtest.h>

#include <cstring>

#include "bootsync.h"
#include "testmachine.h"

namespace {

TEST(BackupName, FirstFreeNumber) {
    const std::string dotless251 = "C:\\" + std::string(248, 'N');
    const std::string dotless252 = "C:\\" + std::string(249, 'N');
    struct Case {
        std::string path;
        std::vector<std::string> existing;  // machine files made first
        int firstTaken, lastTaken;          // numbered AUTOEXEC files made first (0: none)
        int result;
        std::string backup;
    } cases[] = {
        {"C:\\AUTOEXEC.BAT", {}, 0, 0, 1, "C:\\AUTOEXEC.001"},
        {"C:\\AUTOEXEC.BAT", {}, 1, 2, 1, "C:\\AUTOEXEC.003"},
        {"C:\\AUTOEXEC.BAT", {}, 1, 9, 1, "C:\\AUTOEXEC.010"},
        {"C:\\AUTOEXEC.BAT", {}, 1, 99, 1, "C:\\AUTOEXEC.100"},
        {"C:\\AUTOEXEC.BAT", {}, 2, 5, 1, "C:\\AUTOEXEC.001"},
        {"C:\\AUTOEXEC.BAT", {}, 1, 999, 0, "C:\\AUTOEXEC.TMP"},
        {"c:\\autoexec.bat", {"drive_c/AUTOEXEC.001/"}, 0, 0, 1, "c:\\autoexec.002"},
        {"C:\\HARMPNP\\ZP.INI", {}, 0, 0, 1, "C:\\HARMPNP\\ZP.001"},
        {"C:\\HARMPNP\\ZPINI", {}, 0, 0, 1, "C:\\HARMPNP\\ZPINI.001"},
        {"C:\\HARM.PNP\\ZPINI", {"drive_c/HARM.PNP/ZPINI"}, 0, 0, 1, "C:\\HARM.PNP\\ZPINI.001"},
        {"C:\\HARM.PNP\\ZP.INI", {}, 0, 0, 1, "C:\\HARM.PNP\\ZP.001"},
        {"D:\\WIN.95\\DOSSTART.BAT", {}, 0, 0, 1, "D:\\WIN.95\\DOSSTART.001"},
        {"", {}, 0, 0, 1, ".001"},
        {dotless251, {}, 0, 0, 1, dotless251 + ".001"},
        {dotless252, {}, 0, 0, -1, ""},
        {std::string(300, 'L'), {}, 0, 0, -1, ""},
    };
    for (const Case& c : cases) {
        zptest::TestMachine machine;
        for (const std::string& file : c.existing) {
            if (file.back() == '/') machine.MakeDirectory(file);
            else machine.Write(file, "x");
        }
        for (int n = c.firstTaken; n && n <= c.lastTaken; ++n) {
            char name[32];
            std::snprintf(name, sizeof name, "drive_c/AUTOEXEC.%03d", n);
            machine.Write(name, "");
        }
        char backup[kTextSize];
        std::memset(backup, 'x', sizeof backup);
        EXPECT_EQ(MakeBackupName(c.path.c_str(), backup), c.result) << c.path;
        EXPECT_EQ(std::string(backup), c.backup) << c.path;
    }
}

TEST(Environment, LookupRules) {
    // Entries, each ended by a NUL, then an empty one.
    const std::string block = std::string("=C:=C:\\WINDOWS\0", 15) + std::string("harmnair=lower\0", 15) +
                              std::string("HARMNAIR=second\0", 16) + std::string("BLASTERX=no\0", 12) +
                              std::string("BLASTER\0", 8) + std::string("EMPTY=\0", 7) +
                              std::string("LONG=0123456789\0", 16) + std::string("=HIDDEN=x\0", 10) +
                              std::string("\0", 1);
    struct Case {
        const char* name;
        std::size_t size;
        int result;
        const char* value;
    } cases[] = {
        {"HARMNAIR", kTextSize, 5, "lower"},  // the first match, ignoring case
        {"Harmnair", kTextSize, 5, "lower"},
        {"BLASTER", kTextSize, -1, ""},       // BLASTERX and a bare BLASTER do not match
        {"EMPTY", kTextSize, 0, ""},
        {"LONG", 5, 10, "0123"},              // cut to fit, whole length returned
        {"HIDDEN", kTextSize, -1, ""},        // entries that start with '=' are not variables
        {"C:", kTextSize, -1, ""},
        {"COMSPEC", kTextSize, -1, ""},
    };
    for (const Case& c : cases) {
        char value[kTextSize];
        std::memset(value, 'x', sizeof value);
        EXPECT_EQ(LookupEnvironment(block.c_str(), c.name, value, c.size), c.result) << c.name;
        EXPECT_STREQ(value, c.value) << c.name;
    }
}

}  // namespace
