// panelrun: the runner's command line, a missing runner, and not waiting.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "panelrun.h"
#include "testmachine.h"

namespace {

std::string FileBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// A runner script that records its arguments (not its argv[0], which a
// script cannot see), then waits until the test releases it.
constexpr char kWaitingRunner[] =
    "#!/bin/sh\n"
    "printf '%s\\n' \"$@\" > \"$HOSTWIN_ROOT/runner.part\" && mv \"$HOSTWIN_ROOT/runner.part\" "
    "\"$HOSTWIN_ROOT/runner.args\"\n"
    "while [ ! -e \"$HOSTWIN_ROOT/release\" ]; do sleep 0.02; done\n"
    "touch \"$HOSTWIN_ROOT/runner.done\"\n";

TEST(Launcher, TheRunnersArgumentVector) {
    const std::string dir143 = "C:\\" + std::string(140, 'D');
    const std::string dir144 = "C:\\" + std::string(141, 'D');
    struct Case {
        std::string windows;  // the Windows directory given
        std::string runner;   // where the runner is put
        std::string argv;     // what it records, empty: nothing is started
    } cases[] = {
        {"C:\\WINDOWS", "drive_c/WINDOWS/RUNDLL32.EXE",
         "C:\\WINDOWS\\RUNDLL32.EXE\nSHELL32.DLL,Control_RunDLL\nzpcfgpnl.CPL\n"},
        {"c:\\windows", "drive_c/WINDOWS/rundll32.exe",
         "c:\\windows\\RUNDLL32.EXE\nSHELL32.DLL,Control_RunDLL\nzpcfgpnl.CPL\n"},
        // A blank in the directory is passed on unquoted.
        {"C:\\MY WIN", "drive_c/MY WIN/RUNDLL32.EXE",
         "C:\\MY\nWIN\\RUNDLL32.EXE\nSHELL32.DLL,Control_RunDLL\nzpcfgpnl.CPL\n"},
        {dir143, "drive_c/" + std::string(140, 'D') + "/RUNDLL32.EXE",
         dir143 + "\\RUNDLL32.EXE\nSHELL32.DLL,Control_RunDLL\nzpcfgpnl.CPL\n"},
        {dir144, "drive_c/" + std::string(141, 'D') + "/RUNDLL32.EXE", ""},
        {"C:\\WINDOWS", "drive_c/WINNT/RUNDLL32.EXE", ""},
    };
    for (const Case& c : cases) {
        zptest::TestMachine machine;
        machine.WriteExecutable(c.runner, FileBytes(RECORDER_PROGRAM));
        HANDLE process = StartAppletRunner(c.windows.c_str());
        EXPECT_EQ(process != nullptr, !c.argv.empty()) << c.windows;
        if (!process) continue;
        EXPECT_EQ(WaitForSingleObject(process, INFINITE), WAIT_OBJECT_0);
        EXPECT_EQ(machine.Read("runner.argv").value_or("<none>"), c.argv) << c.windows;
        CloseHandle(process);
    }
}

TEST(Launcher, EndsAtOnceWhileTheRunnerRuns) {
    zptest::TestMachine machine;
    machine.WriteExecutable("drive_c/WINDOWS/RUNDLL32.EXE", kWaitingRunner);
    const zptest::ProgramRun run = zptest::RunProgram(PANELRUN_PROGRAM, {"ignored"}, {});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.errors, "");
    ASSERT_TRUE(zptest::WaitForFile(machine.Path("runner.args")));
    EXPECT_EQ(machine.Read("runner.args").value_or(""), "SHELL32.DLL,Control_RunDLL\nzpcfgpnl.CPL\n");
    EXPECT_FALSE(machine.Read("runner.done")) << "the runner is still waiting";
    machine.Write("release", "");
    EXPECT_TRUE(zptest::WaitForFile(machine.Path("runner.done")));
}

TEST(Launcher, ExitsZeroWhenNothingCanStart) {
    struct Case {
        const char* what;
        const char* runner;  // null: none
    } cases[] = {
        {"no runner", nullptr},
        {"a runner that cannot be run", "not a program\n"},
    };
    for (const Case& c : cases) {
        zptest::TestMachine machine;
        if (c.runner) machine.Write("drive_c/WINDOWS/RUNDLL32.EXE", c.runner);
        const zptest::ProgramRun run = zptest::RunProgram(PANELRUN_PROGRAM, {}, {});
        EXPECT_EQ(run.exitCode, 0) << c.what;
        EXPECT_EQ(run.errors, "") << c.what;
    }
}

TEST(Launcher, TheSampleMachinesRunnerStartsTheControlPanelHost) {
    zptest::TestMachine machine(ZP_SAMPLE_MACHINE);
    machine.WriteExecutable("bin/cplhost", FileBytes(RECORDER_PROGRAM));
    const zptest::ProgramRun run = zptest::RunProgram(PANELRUN_PROGRAM, {}, {{"HOSTWIN_BIN", machine.Path("bin")}});
    EXPECT_EQ(run.exitCode, 0);
    ASSERT_TRUE(zptest::WaitForFile(machine.Path("runner.argv")));
    EXPECT_EQ(machine.Read("runner.argv").value_or(""),
              machine.Path("bin") + "/cplhost\nSHELL32.DLL,Control_RunDLL\nzpcfgpnl.CPL\n");
}

}  // namespace
