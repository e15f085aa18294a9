// The card's devices through CreateFileA and DeviceIoControl.
#include <gtest/gtest.h>

#include "host/host_seams.h"
#include "testmachine.h"

namespace {

HANDLE OpenDevice(const char* name, DWORD flags = 0) { return CreateFileA(name, 0, 0, nullptr, 0, flags, nullptr); }

TEST(Devices, OpenExactlyWhenPresent) {
    struct Case {
        const char* card;  // null: no card.ini
        const char* name;
        bool opens;
    } cases[] = {
        {"[devices]\nsetharmo=present\nvzpd=present\n", "\\\\.\\SETHARMO.VXD", true},
        {"[devices]\nsetharmo=present\nvzpd=present\n", "\\\\.\\setharmo.vxd", true},
        {"[devices]\nsetharmo=present\nvzpd=present\n", "\\\\.\\vzpd.vxd", true},
        {"[devices]\nsetharmo=present\nvzpd=present\n", "\\\\.\\VZPD.VXD", true},
        {"[devices]\nsetharmo=present\nvzpd=present\n", "\\\\.\\OTHER.VXD", false},
        {"[devices]\nsetharmo=present\nvzpd=present\n", "\\\\.\\SETHARMO", false},
        {"[devices]\nsetharmo=absent\nvzpd=present\n", "\\\\.\\SETHARMO.VXD", false},
        {"[devices]\nsetharmo=present\n", "\\\\.\\vzpd.vxd", false},
        {nullptr, "\\\\.\\SETHARMO.VXD", false},
        {nullptr, "\\\\.\\vzpd.vxd", false},
    };
    for (const Case& c : cases) {
        zptest::TestMachine machine;
        if (c.card) machine.Write("card.ini", c.card);
        else machine.Remove("card.ini");
        SetLastError(0);
        HANDLE h = OpenDevice(c.name, FILE_FLAG_DELETE_ON_CLOSE);
        EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.opens) << c.name << " with " << (c.card ? c.card : "no card.ini");
        if (h != INVALID_HANDLE_VALUE) {
            EXPECT_TRUE(CloseHandle(h));
        } else {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << c.name;
        }
    }
}

TEST(Devices, RequestsAreAnsweredAndLogged) {
    zptest::TestMachine machine;
    machine.Write("card.ini",
                  "[devices]\nvzpd=present\nsetharmo=present\n[resources]\nsynth_irq1=11\n"
                  "[mixer]\nsettings=zp8a1old\n[request 16]\nresult=0\n");
    HANDLE vzpd = OpenDevice("\\\\.\\vzpd.vxd");
    ASSERT_NE(vzpd, INVALID_HANDLE_VALUE);

    unsigned char record[178];
    DWORD returned = 0;
    EXPECT_EQ(DeviceIoControl(vzpd, 1, nullptr, 0, record, sizeof record, &returned, nullptr), TRUE);
    EXPECT_EQ(returned, 178u);
    EXPECT_EQ(record[27], 11);

    char text[] = "zp8a1new\r\n";
    EXPECT_EQ(DeviceIoControl(vzpd, 15, text, 5, nullptr, 0, &returned, nullptr), TRUE);
    EXPECT_TRUE(CloseHandle(vzpd));

    // The live settings outlive the handle.
    vzpd = OpenDevice("\\\\.\\VZPD.VXD");
    char settings[32] = {};
    EXPECT_EQ(DeviceIoControl(vzpd, 11, nullptr, 0, settings, sizeof settings, &returned, nullptr), TRUE);
    EXPECT_STREQ(settings, "zp8a1new\r\n");
    EXPECT_EQ(returned, 11u);

    EXPECT_EQ(DeviceIoControl(vzpd, 16, nullptr, 0, nullptr, 0, &returned, nullptr), FALSE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_GEN_FAILURE));
    EXPECT_EQ(DeviceIoControl(vzpd, 99, nullptr, 0, nullptr, 0, &returned, nullptr), FALSE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_TRUE(CloseHandle(vzpd));

    // The helper driver takes no requests, and they are not logged.
    HANDLE setharmo = OpenDevice("\\\\.\\SETHARMO.VXD");
    EXPECT_EQ(DeviceIoControl(setharmo, 1, nullptr, 0, record, sizeof record, &returned, nullptr), FALSE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_TRUE(CloseHandle(setharmo));

    EXPECT_EQ(machine.Read("requests.log").value_or("<none>"), "1\n15 zp8a1new\\r\\n\n11\n16\n99\n");
}

TEST(Devices, NotFilesAndFilesNotDevices) {
    zptest::TestMachine machine;
    const long before = HostFileOpCount();
    HANDLE vzpd = OpenDevice("\\\\.\\vzpd.vxd");
    char byte;
    DWORD count;
    EXPECT_FALSE(ReadFile(vzpd, &byte, 1, &count, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    EXPECT_TRUE(CloseHandle(vzpd));
    EXPECT_EQ(HostFileOpCount(), before) << "device opens and closes are no file operations";

    HANDLE file = CreateFileA("C:\\AUTOEXEC.BAT", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(DeviceIoControl(file, 1, nullptr, 0, nullptr, 0, &count, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FUNCTION));
    CloseHandle(file);
    EXPECT_FALSE(DeviceIoControl(nullptr, 1, nullptr, 0, nullptr, 0, &count, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
