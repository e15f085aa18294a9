// DOS paths mapped into the machine, names matched without regard to case.
#include <gtest/gtest.h>

#include "host/host_seams.h"
#include "testmachine.h"

namespace {

std::optional<std::string> Mapped(const char* dosPath) {
    char out[1024];
    if (!HostMapPath(dosPath, out, sizeof out)) return std::nullopt;
    return std::string(out);
}

TEST(Paths, MapEachNameIgnoringCase) {
    zptest::TestMachine machine;
    machine.Remove("drive_c");
    machine.Write("drive_c/Windows/System/Zp.Dll", "x");
    machine.Write("drive_c/AutoExec.bat", "x");
    machine.Write("drive_d/Win95/DosStart.bat", "x");
    const std::string root = machine.Root();
    struct Case {
        const char* dos;
        const char* expected;  // relative to the machine, or null: not mapped
    } cases[] = {
        {"C:\\WINDOWS\\SYSTEM\\ZP.DLL", "drive_c/Windows/System/Zp.Dll"},
        {"c:/windows/system/zp.dll", "drive_c/Windows/System/Zp.Dll"},
        {"C:\\WINDOWS\\NEW.TXT", "drive_c/Windows/NEW.TXT"},
        {"C:\\NODIR\\Sub\\F.TXT", "drive_c/NODIR/Sub/F.TXT"},
        {"D:\\WIN95\\DOSSTART.BAT", "drive_d/Win95/DosStart.bat"},
        {"C:\\WINDOWS\\..\\AUTOEXEC.BAT", "drive_c/AutoExec.bat"},
        {"C:\\.\\WINDOWS\\\\SYSTEM", "drive_c/Windows/System"},
        {"C:\\..\\..\\AUTOEXEC.BAT", "drive_c/AutoExec.bat"},
        {"\\AUTOEXEC.BAT", "drive_c/AutoExec.bat"},
        {"C:AUTOEXEC.BAT", "drive_c/AutoExec.bat"},
        {"C:\\", "drive_c"},
        {"E:\\X", "drive_e/X"},
        {"AUTOEXEC.BAT", nullptr},
        {"", nullptr},
        {"\\\\server\\share\\X", nullptr},
        {"\\\\.\\vzpd.vxd", nullptr},
    };
    for (const Case& c : cases) {
        const std::optional<std::string> got = Mapped(c.dos);
        if (!c.expected) {
            EXPECT_FALSE(got) << c.dos << " mapped to " << got.value_or("");
        } else {
            EXPECT_EQ(got.value_or("<not mapped>"), root + "/" + c.expected) << c.dos;
        }
    }
}

TEST(Paths, ExactSpellingWinsOverOtherCases) {
    zptest::TestMachine machine;
    machine.Write("drive_c/b.txt", "lower");
    machine.Write("drive_c/B.TXT", "upper");
    machine.Write("drive_c/B.txt", "mixed");
    EXPECT_EQ(Mapped("C:\\B.txt").value_or(""), machine.Path("drive_c/B.txt"));
    EXPECT_EQ(Mapped("C:\\b.TXT").value_or(""), machine.Path("drive_c/B.TXT")) << "else the first in byte order";
}

TEST(Paths, ResultMustFitTheBuffer) {
    zptest::TestMachine machine;
    const std::string expected = machine.Path("drive_c/AUTOEXEC.BAT");
    std::vector<char> out(expected.size() + 1);
    EXPECT_EQ(HostMapPath("C:\\AUTOEXEC.BAT", out.data(), static_cast<unsigned>(out.size())), 1);
    EXPECT_EQ(std::string(out.data()), expected);
    EXPECT_EQ(HostMapPath("C:\\AUTOEXEC.BAT", out.data(), static_cast<unsigned>(out.size() - 1)), 0);
    EXPECT_STREQ(HostMachineRoot(), machine.Root().c_str());
}

TEST(PathsDeathTest, NoMachineSaysSoAndEnds) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    char out[256];
    {
        zptest::ScopedEnv root("HOSTWIN_ROOT", std::nullopt);
        EXPECT_EQ(HostMachineRoot(), nullptr);
        EXPECT_EXIT(HostMapPath("C:\\X", out, sizeof out), testing::ExitedWithCode(2),
                    "^hostwin: HOSTWIN_ROOT is not set[^\n]*\n$");
        EXPECT_EXIT(GetFileAttributesA("C:\\X"), testing::ExitedWithCode(2), "HOSTWIN_ROOT is not set");
    }
    zptest::ScopedEnv root("HOSTWIN_ROOT", "/nonexistent/machine");
    EXPECT_EXIT(CreateFileA("\\\\.\\vzpd.vxd", 0, 0, nullptr, 0, 0, nullptr), testing::ExitedWithCode(2),
                "^hostwin: HOSTWIN_ROOT=/nonexistent/machine is not a directory\n$");
}

}  // namespace
