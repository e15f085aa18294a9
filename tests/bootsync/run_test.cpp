// The whole run: where the files are, when nothing is done, and that no
// failed file operation ever loses a file's content.
#include <gtest/gtest.h>

#include <map>

#include "bootsync.h"
#include "host/host_seams.h"
#include "testmachine.h"

namespace {

using zptest::Dos;
using zptest::Show;

using Env = std::vector<std::pair<const char*, std::optional<std::string>>>;

const std::string kAutoexecOld = Dos({"@ECHO OFF", "SET HARMNAIR=OLD", "SET BLASTER=A220 I7 D1", "C:\\HARMPNP\\ZPVELT.COM"});
const std::string kAutoexecNew = Dos({"@ECHO OFF", "SET HARMNAIR=NEWH", "SET BLASTER=NEWB", "C:\\HARMPNP\\ZPVELT.COM"});
const std::string kDosstartOld = Dos({"@SET BLASTER=A220 I7 D1", "C:\\HARMPNP\\ZPVELT.COM"});
const std::string kDosstartNew = Dos({"@SET BLASTER=NEWB", "C:\\HARMPNP\\ZPVELT.COM", "@SET HARMNAIR=NEWH"});
const std::string kConfigOld = Dos({"[setup 0]", "SynthBase=620", "IRQ1=10", "[zpvelt]", "MPUIRQ=5"});
const std::string kConfigNew = Dos({"[setup 0]", "SynthBase=620", "IRQ1=11", "[zpvelt]", "MPUIRQ=9"});

// The environment of a run: the given variables, the other four removed.
struct RunEnvironment {
    explicit RunEnvironment(const Env& env) {
        const char* names[] = {"HARMNAIR", "BLASTER", "COMSPEC", "WINBOOTDIR", "ZENOPHASE"};
        for (const char* name : names) {
            std::optional<std::string> value;
            for (const auto& [n, v] : env) {
                if (std::string(n) == name) value = v;
            }
            scoped.emplace_back(std::make_unique<zptest::ScopedEnv>(name, value));
        }
    }
    std::vector<std::unique_ptr<zptest::ScopedEnv>> scoped;
};

const Env kUsual = {{"HARMNAIR", "NEWH"}, {"BLASTER", "NEWB"}, {"ZENOPHASE", "C:\\HARMPNP\\ZP.INI"}};

TEST(Run, WhereTheFilesAre) {
    struct Case {
        const char* what;
        Env env;
        std::map<std::string, std::string> extra;     // files made first
        std::map<std::string, std::string> changed;   // files expected to change, and their bytes
    } cases[] = {
        {"defaults", {{"HARMNAIR", "NEWH"}, {"BLASTER", "NEWB"}}, {},
         {{"drive_c/AUTOEXEC.BAT", kAutoexecNew}, {"drive_c/WINDOWS/DOSSTART.BAT", kDosstartNew}}},
        {"COMSPEC on drive D", {{"HARMNAIR", "NEWH"}, {"BLASTER", "NEWB"}, {"COMSPEC", "D:\\COMMAND.COM"}},
         {{"drive_d/AUTOEXEC.BAT", kAutoexecOld}},
         {{"drive_d/AUTOEXEC.BAT", kAutoexecNew}, {"drive_c/WINDOWS/DOSSTART.BAT", kDosstartNew}}},
        {"COMSPEC in the Windows directory",
         {{"HARMNAIR", "NEWH"}, {"BLASTER", "NEWB"}, {"COMSPEC", "C:\\WINDOWS\\COMMAND.COM"}}, {},
         {{"drive_c/AUTOEXEC.BAT", kAutoexecNew}, {"drive_c/WINDOWS/DOSSTART.BAT", kDosstartNew}}},
        {"WINBOOTDIR ending in a backslash", {{"HARMNAIR", "NEWH"}, {"BLASTER", "NEWB"}, {"WINBOOTDIR", "C:\\"}},
         {{"drive_c/DOSSTART.BAT", kDosstartOld}},
         {{"drive_c/AUTOEXEC.BAT", kAutoexecNew}, {"drive_c/DOSSTART.BAT", kDosstartNew}}},
        {"WINBOOTDIR on drive D", {{"HARMNAIR", "NEWH"}, {"BLASTER", "NEWB"}, {"WINBOOTDIR", "D:\\WIN95"}},
         {{"drive_d/WIN95/DOSSTART.BAT", kDosstartOld}},
         {{"drive_c/AUTOEXEC.BAT", kAutoexecNew}, {"drive_d/WIN95/DOSSTART.BAT", kDosstartNew}}},
        {"HARMNAIR and BLASTER absent", {}, {},
         {{"drive_c/AUTOEXEC.BAT", Dos({"@ECHO OFF", "SET HARMNAIR=", "SET BLASTER=", "C:\\HARMPNP\\ZPVELT.COM"})},
          {"drive_c/WINDOWS/DOSSTART.BAT", Dos({"@SET BLASTER=", "C:\\HARMPNP\\ZPVELT.COM", "@SET HARMNAIR="})}}},
        {"a HARMNAIR too long for its buffer", {{"HARMNAIR", std::string(300, 'h')}, {"BLASTER", "NEWB"}}, {},
         {{"drive_c/AUTOEXEC.BAT", Dos({"@ECHO OFF", "SET HARMNAIR=OLD", "SET BLASTER=NEWB", "C:\\HARMPNP\\ZPVELT.COM"})},
          {"drive_c/WINDOWS/DOSSTART.BAT", Dos({"@SET BLASTER=NEWB", "C:\\HARMPNP\\ZPVELT.COM"})}}},
        {"ZENOPHASE", kUsual, {},
         {{"drive_c/AUTOEXEC.BAT", kAutoexecNew},
          {"drive_c/WINDOWS/DOSSTART.BAT", kDosstartNew},
          {"drive_c/HARMPNP/ZP.INI", kConfigNew}}},
        {"ZENOPHASE naming no file", {{"HARMNAIR", "NEWH"}, {"BLASTER", "NEWB"}, {"ZENOPHASE", "C:\\HARMPNP\\NO.INI"}},
         {}, {{"drive_c/AUTOEXEC.BAT", kAutoexecNew}, {"drive_c/WINDOWS/DOSSTART.BAT", kDosstartNew}}},
        {"ZENOPHASE empty", {{"HARMNAIR", "NEWH"}, {"BLASTER", "NEWB"}, {"ZENOPHASE", ""}}, {},
         {{"drive_c/AUTOEXEC.BAT", kAutoexecNew}, {"drive_c/WINDOWS/DOSSTART.BAT", kDosstartNew}}},
        {"ZENOPHASE too long for its buffer",
         {{"HARMNAIR", "NEWH"}, {"BLASTER", "NEWB"}, {"ZENOPHASE", "C:\\HARMPNP\\" + std::string(250, 'Z')}}, {},
         {{"drive_c/AUTOEXEC.BAT", kAutoexecNew}, {"drive_c/WINDOWS/DOSSTART.BAT", kDosstartNew}}},
    };
    for (const Case& c : cases) {
        zptest::TestMachine machine;
        for (const auto& [file, bytes] : c.extra) machine.Write(file, bytes);
        std::map<std::string, std::string> before;
        for (const std::string& file : machine.Files()) before[file] = machine.Read(file).value();
        RunEnvironment env(c.env);
        EXPECT_EQ(RunBootSync(), 1) << c.what;
        for (const auto& [file, bytes] : before) {
            const auto changed = c.changed.find(file);
            const std::string& expected = changed == c.changed.end() ? bytes : changed->second;
            EXPECT_EQ(Show(machine.Read(file).value_or("<none>")), Show(expected)) << c.what << ": " << file;
        }
        std::vector<std::string> files;
        for (const auto& entry : before) files.push_back(entry.first);
        EXPECT_EQ(machine.Files(), files) << c.what;
    }
}

TEST(Run, NothingWithoutTheHelperDriver) {
    for (const char* card : {"[devices]\nvzpd=present\n", "[devices]\nsetharmo=absent\n"}) {
        zptest::TestMachine machine;
        machine.Write("card.ini", card);
        std::map<std::string, std::string> before;
        for (const std::string& file : machine.Files()) before[file] = machine.Read(file).value();
        RunEnvironment env(kUsual);
        const long ops = HostFileOpCount();
        EXPECT_EQ(RunBootSync(), 1);
        EXPECT_EQ(HostFileOpCount(), ops) << "no file was even opened";
        for (const auto& [file, bytes] : before) EXPECT_EQ(machine.Read(file).value_or(""), bytes) << file;
    }
}

// Fails each file operation of a run in turn.  Afterwards every file holds
// its old or its new content, and nothing else is left, except where the
// failed operation was the deletion of a backup: then the file is new and
// the backup holds the old content.
TEST(Run, NothingIsLostWhateverOperationFails) {
    const std::map<std::string, std::pair<std::string, std::string>> files = {
        {"drive_c/AUTOEXEC.BAT", {kAutoexecOld, kAutoexecNew}},
        {"drive_c/WINDOWS/DOSSTART.BAT", {kDosstartOld, kDosstartNew}},
        {"drive_c/HARMPNP/ZP.INI", {kConfigOld, kConfigNew}},
    };
    const std::map<std::string, std::string> backups = {
        {"drive_c/AUTOEXEC.001", "drive_c/AUTOEXEC.BAT"},
        {"drive_c/WINDOWS/DOSSTART.001", "drive_c/WINDOWS/DOSSTART.BAT"},
        {"drive_c/HARMPNP/ZP.001", "drive_c/HARMPNP/ZP.INI"},
    };
    long operations;
    {
        zptest::TestMachine machine;
        RunEnvironment env(kUsual);
        const long start = HostFileOpCount();
        RunBootSync();
        operations = HostFileOpCount() - start;
        for (const auto& [file, contents] : files) ASSERT_EQ(machine.Read(file).value_or(""), contents.second);
    }
    ASSERT_GT(operations, 20);

    int restored = 0, backupsLeft = 0;
    for (long n = 1; n <= operations; ++n) {
        zptest::TestMachine machine;
        const auto fixture = machine.Files();
        RunEnvironment env(kUsual);
        HostFailFileOp(n);
        RunBootSync();
        HostFailFileOp(0);
        for (const auto& [file, contents] : files) {
            const std::string now = machine.Read(file).value_or("<none>");
            EXPECT_TRUE(now == contents.first || now == contents.second)
                << "operation " << n << " failed; " << file << " holds:\n" << Show(now);
            restored += now == contents.first;
        }
        for (const std::string& file : machine.Files()) {
            if (std::find(fixture.begin(), fixture.end(), file) != fixture.end()) continue;
            const auto backup = backups.find(file);
            ASSERT_NE(backup, backups.end()) << "operation " << n << " failed and left " << file;
            const auto& [old, fresh] = files.at(backup->second);
            EXPECT_EQ(machine.Read(file).value_or(""), old) << "operation " << n << ": " << file;
            EXPECT_EQ(machine.Read(backup->second).value_or(""), fresh) << "operation " << n << ": " << file;
            ++backupsLeft;
        }
    }
    // Every failure puts its file's old content back, but the two that come
    // when the new file is complete: closing the backup that was read, and
    // deleting it.
    EXPECT_EQ(restored, static_cast<int>(operations) - 2 * 3);
    EXPECT_EQ(backupsLeft, 3) << "one failed deletion of each file's backup";
}

TEST(Run, ARenameThatFailsTouchesNothing) {
    // All 999 numbers taken and the .TMP name too: the rename cannot go ahead.
    zptest::TestMachine machine;
    for (int n = 1; n <= 999; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "drive_c/AUTOEXEC.%03d", n);
        machine.Write(name, "");
    }
    machine.Write("drive_c/AUTOEXEC.TMP", "the user's own");
    EXPECT_EQ(RewriteBatchFile("C:\\AUTOEXEC.BAT", "H", "B"), -1);
    EXPECT_EQ(machine.Read("drive_c/AUTOEXEC.BAT").value_or(""), kAutoexecOld);
    EXPECT_EQ(machine.Read("drive_c/AUTOEXEC.TMP").value_or(""), "the user's own");
}

TEST(Run, TheProgram) {
    zptest::TestMachine machine;
    zptest::ProgramRun run = zptest::RunProgram(
        BOOTSYNC_PROGRAM, {"ignored", "arguments"},
        {{"HARMNAIR", "NEWH"}, {"BLASTER", "NEWB"}, {"ZENOPHASE", "C:\\HARMPNP\\ZP.INI"}, {"COMSPEC", std::nullopt},
         {"WINBOOTDIR", std::nullopt}});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.errors, "");
    EXPECT_EQ(machine.Read("drive_c/AUTOEXEC.BAT").value_or(""), kAutoexecNew);
    EXPECT_EQ(machine.Read("drive_c/HARMPNP/ZP.INI").value_or(""), kConfigNew);

    run = zptest::RunProgram(BOOTSYNC_PROGRAM, {}, {{"HOSTWIN_ROOT", std::nullopt}});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.exitCode, 1);
    EXPECT_EQ(run.errors, "hostwin: HOSTWIN_ROOT is not set; set it to a machine directory (a copy of samples/machine)\n");
}

}  // namespace
