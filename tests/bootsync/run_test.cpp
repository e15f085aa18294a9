// The whole run: where the files are, when nothing is done, and that no
// failed file operation ever loses a file's content.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <iostream>
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

// One file a run rewrites: its backup's name, its bytes before and after.
struct SweptFile {
    std::string file;
    std::string backup;
    std::string old;
    std::string fresh;
};

struct SweepSetup {
    const char* what;
    std::map<std::string, std::string> written;  // files put on the machine first
    std::vector<SweptFile> files;
};

// The test machine as it comes.
SweepSetup SmallFiles() {
    return {"the test machine",
            {},
            {{"drive_c/AUTOEXEC.BAT", "drive_c/AUTOEXEC.001", kAutoexecOld, kAutoexecNew},
             {"drive_c/WINDOWS/DOSSTART.BAT", "drive_c/WINDOWS/DOSSTART.001", kDosstartOld, kDosstartNew},
             {"drive_c/HARMPNP/ZP.INI", "drive_c/HARMPNP/ZP.001", kConfigOld, kConfigNew}}};
}

// Files of several buffers each, LF-only lines, a Ctrl-Z, long lines, and a
// user's own AUTOEXEC.001 that the backup must step around.
SweepSetup LargeFiles() {
    std::string autoexecOld, autoexecNew, dosstartOld, dosstartNew, configOld, configNew;
    for (int i = 0; i < 5000; ++i) {
        const std::string line = "ECHO line " + std::to_string(i) + " of a long AUTOEXEC.BAT";
        autoexecOld += line + "\n";
        autoexecNew += line + "\r\n";
        if (i == 2500) {
            autoexecOld += "set blaster=A220 I7 D1\n";
            autoexecNew += "SET BLASTER=NEWB\r\n";
        }
    }
    autoexecOld += "\x1aREM after the end\n";
    autoexecNew += "@SET HARMNAIR=NEWH\r\n";
    const std::string longLine(600, 'x');
    dosstartOld = "@SET HARMNAIR=OLD\r\n" + longLine + "\r\n@set blaster=old";
    dosstartNew = "@SET HARMNAIR=NEWH\r\n" + longLine + "\r\n@SET BLASTER=NEWB\r\n";
    for (int section = 0; section < 2500; ++section) {
        const std::string head = "[section " + std::to_string(section) + "]\r\nkey=" + std::string(40, 'k') + "\r\n";
        configOld += head + "IRQ1=10\r\n";
        configNew += head + "IRQ1=11\r\n";
    }
    configOld += "MPUIRQ=5";
    configNew += "MPUIRQ=9\r\n";
    return {"large files",
            {{"drive_c/AUTOEXEC.001", "the user's own"}},
            {{"drive_c/AUTOEXEC.BAT", "drive_c/AUTOEXEC.002", autoexecOld, autoexecNew},
             {"drive_c/WINDOWS/DOSSTART.BAT", "drive_c/WINDOWS/DOSSTART.001", dosstartOld, dosstartNew},
             {"drive_c/HARMPNP/ZP.INI", "drive_c/HARMPNP/ZP.001", configOld, configNew}}};
}

// Fails each file operation of a run in turn, the first to the last, with
// run(n) (run(0) fails none).  Afterwards every file holds its old or its new
// content, whole, and nothing else is left, except where the failed
// operation was the deletion of a backup: then the file is new and the
// backup holds the old content.  Every failure but two per file (closing the
// backup that was read, and deleting it, when the new file is complete) puts
// the old content back.
void Sweep(const SweepSetup& setup, long operations, const std::function<void(long)>& run) {
    int restored = 0, backupsLeft = 0;
    for (long n = 1; n <= operations; ++n) {
        zptest::TestMachine machine;
        for (const SweptFile& swept : setup.files) machine.Write(swept.file, swept.old);
        for (const auto& [file, bytes] : setup.written) machine.Write(file, bytes);
        const auto fixture = machine.Files();
        run(n);
        for (const SweptFile& swept : setup.files) {
            const std::string now = machine.Read(swept.file).value_or("<none>");
            EXPECT_TRUE(now == swept.old || now == swept.fresh)
                << setup.what << ": operation " << n << " failed; " << swept.file << " holds:\n" << Show(now);
            restored += now == swept.old;
        }
        for (const auto& [file, bytes] : setup.written) {
            EXPECT_EQ(machine.Read(file).value_or("<none>"), bytes) << setup.what << ": operation " << n;
        }
        for (const std::string& file : machine.Files()) {
            if (std::find(fixture.begin(), fixture.end(), file) != fixture.end()) continue;
            const auto swept = std::find_if(setup.files.begin(), setup.files.end(),
                                            [&](const SweptFile& f) { return f.backup == file; });
            ASSERT_NE(swept, setup.files.end()) << setup.what << ": operation " << n << " failed and left " << file;
            EXPECT_EQ(machine.Read(file).value_or(""), swept->old) << setup.what << ": operation " << n << ": " << file;
            EXPECT_EQ(machine.Read(swept->file).value_or(""), swept->fresh)
                << setup.what << ": operation " << n << ": " << file;
            ++backupsLeft;
        }
    }
    const int files = static_cast<int>(setup.files.size());
    EXPECT_EQ(restored, static_cast<int>(operations) - 2 * files) << setup.what;
    EXPECT_EQ(backupsLeft, files) << setup.what << ": one failed deletion of each file's backup";
    std::cout << "[ faults ] " << setup.what << ": " << operations << " faults tried, one per file operation; "
              << restored << " put the old content back, " << operations - restored
              << " left the new content, " << backupsLeft << " of them with the backup\n";
}

// The file operations of a clean run; checks that it rewrites every file.
long CountOperations(const SweepSetup& setup) {
    zptest::TestMachine machine;
    for (const SweptFile& swept : setup.files) machine.Write(swept.file, swept.old);
    for (const auto& [file, bytes] : setup.written) machine.Write(file, bytes);
    const auto fixture = machine.Files();
    RunEnvironment env(kUsual);
    const long start = HostFileOpCount();
    RunBootSync();
    const long operations = HostFileOpCount() - start;
    for (const SweptFile& swept : setup.files) {
        EXPECT_EQ(Show(machine.Read(swept.file).value_or("")), Show(swept.fresh)) << setup.what << ": " << swept.file;
    }
    EXPECT_EQ(machine.Files(), fixture) << setup.what;
    return operations;
}

TEST(Run, NothingIsLostWhateverOperationFails) {
    for (const SweepSetup& setup : {SmallFiles(), LargeFiles()}) {
        const long operations = CountOperations(setup);
        ASSERT_GT(operations, 20) << setup.what;
        Sweep(setup, operations, [](long n) {
            RunEnvironment env(kUsual);
            HostFailFileOp(n);
            RunBootSync();
            HostFailFileOp(0);
        });
    }
}

// The same through the program, the fault armed by HOSTWIN_FAIL_FILE_OP.
TEST(Run, TheProgramLosesNothingWhateverOperationFails) {
    const SweepSetup setup = LargeFiles();
    const long operations = CountOperations(setup);
    Sweep(setup, operations, [](long n) {
        const zptest::ProgramRun run = zptest::RunProgram(
            BOOTSYNC_PROGRAM, {},
            {{"HARMNAIR", "NEWH"}, {"BLASTER", "NEWB"}, {"ZENOPHASE", "C:\\HARMPNP\\ZP.INI"}, {"COMSPEC", std::nullopt},
             {"WINBOOTDIR", std::nullopt}, {"HOSTWIN_FAIL_FILE_OP", std::to_string(n)}});
        EXPECT_EQ(run.exitCode, 1) << "operation " << n;
        EXPECT_EQ(run.errors, "") << "operation " << n;
    });
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
