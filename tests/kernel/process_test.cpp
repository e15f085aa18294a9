// CreateProcessA: programs of the machine, started without waiting.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform.h"
#include "testmachine.h"

namespace {

std::string FileBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Starts app with cmdLine; the process handle (thread handle closed), or null.
HANDLE Start(const char* app, const char* cmdLine) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string line = cmdLine ? cmdLine : "";
    if (!CreateProcessA(app, cmdLine ? line.data() : nullptr, nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
        return nullptr;
    EXPECT_NE(pi.dwProcessId, 0u);
    EXPECT_TRUE(CloseHandle(pi.hThread));
    return pi.hProcess;
}

DWORD WaitForExit(HANDLE process) {
    EXPECT_EQ(WaitForSingleObject(process, INFINITE), WAIT_OBJECT_0);
    DWORD code = 12345;
    EXPECT_TRUE(GetExitCodeProcess(process, &code));
    EXPECT_TRUE(CloseHandle(process));
    return code;
}

TEST(Process, ArgumentsAreTheCommandLineSplitAtBlanks) {
    zptest::TestMachine machine;
    machine.WriteExecutable("drive_c/BIN/Probe.Exe", FileBytes(PROBE_PROGRAM));
    const std::string record = machine.Path("args.txt");
    struct Case {
        const char* app;
        std::string cmdLine;
        std::string expected;
    } cases[] = {
        {"C:\\BIN\\PROBE.EXE", "C:\\BIN\\PROBE.EXE args " + record, "C:\\BIN\\PROBE.EXE\nargs\n" + record + "\n"},
        {"c:\\bin\\probe.exe", "first   args \t" + record + "  ", "first\nargs\n" + record + "\n"},
        {"C:\\BIN\\PROBE.EXE", "\"C:\\MY args " + record + " \"quoted arg\" DIR\\X.EXE\"",
         "\"C:\\MY\nargs\n" + record + "\n\"quoted\narg\"\nDIR\\X.EXE\"\n"},
        {nullptr, "C:\\BIN\\PROBE.EXE args " + record, "C:\\BIN\\PROBE.EXE\nargs\n" + record + "\n"},
    };
    for (const Case& c : cases) {
        machine.Remove("args.txt");
        HANDLE process = Start(c.app, c.cmdLine.c_str());
        ASSERT_NE(process, nullptr) << c.cmdLine;
        EXPECT_EQ(WaitForExit(process), 0u);
        EXPECT_EQ(machine.Read("args.txt").value_or("<none>"), c.expected) << c.cmdLine;
    }
}

TEST(Process, ExitCodesAndScripts) {
    zptest::TestMachine machine;
    machine.WriteExecutable("drive_c/BIN/PROBE.EXE", FileBytes(PROBE_PROGRAM));
    machine.WriteExecutable("drive_c/BIN/RUN.BAT", "#!/bin/sh\necho \"$@\" > \"$HOSTWIN_ROOT/script.txt\"\nexit 7\n");
    HANDLE process = Start("C:\\BIN\\PROBE.EXE", "PROBE exit 42");
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(WaitForExit(process), 42u);

    process = Start("C:\\BIN\\RUN.BAT", "RUN.BAT one two");
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(WaitForExit(process), 7u);
    EXPECT_EQ(machine.Read("script.txt").value_or("<none>"), "one two\n") << "the environment is inherited";
}

TEST(Process, StartsWithoutWaiting) {
    zptest::TestMachine machine;
    machine.WriteExecutable("drive_c/BIN/SLOW.BAT",
                            "#!/bin/sh\ntouch \"$HOSTWIN_ROOT/started\"\n"
                            "while [ ! -e \"$HOSTWIN_ROOT/release\" ]; do sleep 0.02; done\nexit 3\n");
    HANDLE process = Start("C:\\BIN\\SLOW.BAT", "SLOW.BAT");
    ASSERT_NE(process, nullptr);
    ASSERT_TRUE(zptest::WaitForFile(machine.Path("started")));
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(process, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(process, 30), WAIT_TIMEOUT);
    machine.Write("release", "");
    EXPECT_EQ(WaitForExit(process), 3u);
}

TEST(Process, FailuresStartNothing) {
    zptest::TestMachine machine;
    machine.Write("drive_c/BIN/PLAIN.TXT", "not a program\n");
    machine.WriteExecutable("drive_c/BIN/NOTEXE.BAT", "\x7f" "ELF garbage");
    struct Case {
        const char* app;
        DWORD error;
    } cases[] = {
        {"C:\\WINDOWS\\RUNDLL32.EXE", ERROR_FILE_NOT_FOUND},
        {"C:\\NODIR\\RUNDLL32.EXE", ERROR_PATH_NOT_FOUND},
        {"C:\\BIN", ERROR_ACCESS_DENIED},
        {"C:\\BIN\\PLAIN.TXT", ERROR_ACCESS_DENIED},
        {"C:\\BIN\\NOTEXE.BAT", ERROR_BAD_EXE_FORMAT},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        std::string line = std::string(c.app) + " x";
        EXPECT_EQ(Start(c.app, line.c_str()), nullptr) << c.app;
        EXPECT_EQ(GetLastError(), c.error) << c.app;
    }
    EXPECT_EQ(WaitForSingleObject(nullptr, 0), WAIT_FAILED);
    DWORD code;
    EXPECT_FALSE(GetExitCodeProcess(nullptr, &code));
}

}  // namespace
