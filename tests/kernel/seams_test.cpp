// The fault seams: which calls count as file operations, what an injected
// failure does, and arming at process start.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "host/host_seams.h"
#include "testmachine.h"

namespace {

HANDLE OpenRead(const char* name) {
    return CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
}

TEST(Seams, EachFileOperationCountsOnce) {
    zptest::TestMachine machine;
    char byte;
    DWORD count;
    WIN32_FIND_DATAA data;
    long before = HostFileOpCount();
    HANDLE h = OpenRead("C:\\AUTOEXEC.BAT");
    EXPECT_EQ(HostFileOpCount(), before + 1) << "CreateFileA";
    ReadFile(h, &byte, 1, &count, nullptr);
    EXPECT_EQ(HostFileOpCount(), before + 2) << "ReadFile";
    WriteFile(h, &byte, 1, &count, nullptr);
    EXPECT_EQ(HostFileOpCount(), before + 3) << "WriteFile";
    CloseHandle(h);
    EXPECT_EQ(HostFileOpCount(), before + 4) << "CloseHandle";
    MoveFileA("C:\\AUTOEXEC.BAT", "C:\\AUTOEXEC.OLD");
    EXPECT_EQ(HostFileOpCount(), before + 5) << "MoveFileA";
    MoveFileExA("C:\\AUTOEXEC.OLD", "C:\\AUTOEXEC.BAT", MOVEFILE_REPLACE_EXISTING);
    EXPECT_EQ(HostFileOpCount(), before + 6) << "MoveFileExA";
    DeleteFileA("C:\\NONE");
    EXPECT_EQ(HostFileOpCount(), before + 7) << "DeleteFileA, even a failing one";

    before = HostFileOpCount();
    FindClose(FindFirstFileA("C:\\AUTOEXEC.BAT", &data));
    GetFileAttributesA("C:\\AUTOEXEC.BAT");
    CloseHandle(CreateFileA("\\\\.\\vzpd.vxd", 0, 0, nullptr, 0, 0, nullptr));
    EXPECT_EQ(HostFileOpCount(), before) << "searches, attributes and devices are not counted";
}

TEST(Seams, AnInjectedFailureDoesNothing) {
    struct Case {
        const char* what;
        BOOL (*op)();
        DWORD error;
        const char* autoexec;  // AUTOEXEC.BAT afterwards, null: gone
    } cases[] = {
        {"CreateFileA", [] { return BOOL(OpenRead("C:\\AUTOEXEC.BAT") != INVALID_HANDLE_VALUE); }, ERROR_ACCESS_DENIED,
         "old"},
        {"MoveFileA", [] { return MoveFileA("C:\\AUTOEXEC.BAT", "C:\\X.BAT"); }, ERROR_ACCESS_DENIED, "old"},
        {"MoveFileExA",
         [] { return MoveFileExA("C:\\AUTOEXEC.BAT", "C:\\X.BAT", MOVEFILE_REPLACE_EXISTING); },
         ERROR_ACCESS_DENIED, "old"},
        {"DeleteFileA", [] { return DeleteFileA("C:\\AUTOEXEC.BAT"); }, ERROR_ACCESS_DENIED, "old"},
    };
    for (const Case& c : cases) {
        zptest::TestMachine machine;
        machine.Write("drive_c/AUTOEXEC.BAT", "old");
        HostFailFileOp(1);
        SetLastError(0);
        EXPECT_FALSE(c.op()) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
        EXPECT_EQ(machine.Read("drive_c/AUTOEXEC.BAT").value_or("<none>"), c.autoexec) << c.what;
        EXPECT_FALSE(machine.Read("drive_c/X.BAT")) << c.what;
    }
}

TEST(Seams, InjectedReadWriteAndCloseFailures) {
    zptest::TestMachine machine;
    HANDLE h = CreateFileA("C:\\NEW.TXT", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD count = 9;
    HostFailFileOp(1);
    EXPECT_FALSE(WriteFile(h, "abc", 3, &count, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WRITE_FAULT));
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(WriteFile(h, "abc", 3, &count, nullptr)) << "the fault fires once";

    HANDLE in = OpenRead("C:\\NEW.TXT");
    char buf[8];
    HostFailFileOp(1);
    EXPECT_FALSE(ReadFile(in, buf, sizeof buf, &count, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_READ_FAULT));
    EXPECT_EQ(count, 0u);
    EXPECT_TRUE(ReadFile(in, buf, sizeof buf, &count, nullptr));
    EXPECT_EQ(count, 3u);

    HostFailFileOp(2);
    EXPECT_TRUE(CloseHandle(in));
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WRITE_FAULT));
    EXPECT_FALSE(CloseHandle(h)) << "a failed close still releases the handle";
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Seams, ArmedFromTheEnvironmentAtStart) {
    struct Case {
        const char* fail;
        const char* printed;
    } cases[] = {{"2", "yny"}, {"1", "nyy"}, {"0", "yyy"}, {"x", "yyy"}};
    for (const Case& c : cases) {
        char out[] = "/tmp/zpprobe.XXXXXX";
        const int fd = mkstemp(out);
        const std::string command = std::string(PROBE_PROGRAM) + " heap > " + out;
        zptest::ScopedEnv fail("HOSTWIN_FAIL_ALLOC", c.fail);
        EXPECT_EQ(std::system(command.c_str()), 0);
        char printed[8] = {};
        EXPECT_EQ(read(fd, printed, 7), 3);
        close(fd);
        unlink(out);
        EXPECT_STREQ(printed, c.printed) << "HOSTWIN_FAIL_ALLOC=" << c.fail;
    }

    // The first file operation of bootsync is the rename of AUTOEXEC.BAT.
    zptest::TestMachine machine;
    const std::string before = machine.Read("drive_c/AUTOEXEC.BAT").value();
    const zptest::ProgramRun run = zptest::RunProgram(BOOTSYNC_PROGRAM, {}, {{"HOSTWIN_FAIL_FILE_OP", "1"},
                                                                            {"ZENOPHASE", std::nullopt},
                                                                            {"HARMNAIR", "NEW"}});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(machine.Read("drive_c/AUTOEXEC.BAT").value_or(""), before);
    EXPECT_NE(machine.Read("drive_c/WINDOWS/DOSSTART.BAT").value_or(""),
              zptest::Dos({"@SET BLASTER=A220 I7 D1", "C:\\HARMPNP\\ZPVELT.COM"}))
        << "the rest of the run went on";
}

}  // namespace
