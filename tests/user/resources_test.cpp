// Strings, icons and modules.
#include "user_support.h"

#include "testmachine.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::vector<std::string> g_moduleEvents;
HINSTANCE g_moduleInstance = nullptr;

}  // namespace

extern "C" __attribute__((visibility("default"))) void TestModuleEvent(const char* what, HINSTANCE instance) {
    g_moduleEvents.push_back(what);
    g_moduleInstance = instance;
}

namespace {

TEST(Resources, LoadString) {
    HINSTANCE self = GetModuleHandleA(nullptr);
    struct Case {
        UINT id;
        int size;
        int length;
        const char* text;
    };
    const Case cases[] = {
        {IDS_PLAIN, 64, 10, "Plain text"},
        {IDS_PLAIN, 6, 5, "Plain"},  // cut to size - 1
        {IDS_PLAIN, 1, 0, ""},
        {IDS_ESCAPES, 64, 21, "Say \"hi\" \\ back\tslash"},
        {IDS_LONG, 64, 16, "0123456789abcdef"},  // adjacent texts join
        {99, 64, 0, ""},                         // no such string
    };
    for (const Case& c : cases) {
        char buf[64];
        std::fill(std::begin(buf), std::end(buf), 'z');
        EXPECT_EQ(LoadStringA(self, c.id, buf, c.size), c.length) << c.id << "/" << c.size;
        EXPECT_STREQ(buf, c.text) << c.id << "/" << c.size;
    }
}

TEST(Resources, LoadIcon) {
    HINSTANCE self = GetModuleHandleA(nullptr);
    HICON icon = LoadIconA(self, MAKEINTRESOURCEA(IDI_BLANK));
    EXPECT_NE(icon, nullptr);
    EXPECT_EQ(LoadIconA(self, MAKEINTRESOURCEA(IDI_BLANK)), icon) << "one shared handle";
    EXPECT_EQ(LoadIconA(self, "#300"), icon);
    EXPECT_EQ(LoadIconA(self, MAKEINTRESOURCEA(301)), nullptr);
    EXPECT_EQ(LoadIconA(self, "BLANK"), nullptr);
    EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr) << "a system icon";
    EXPECT_TRUE(DestroyIcon(icon));
    EXPECT_EQ(CreateDialogParamA(self, MAKEINTRESOURCEA(999), nullptr, RecordingProc, 0), nullptr);
}

// A library: loaded by path, found by its file name ignoring case, its
// entry point told of the attach and the detach, its exports and
// resources its own.
TEST(Modules, LoadFindFree) {
    g_moduleEvents.clear();
    EXPECT_EQ(GetModuleHandleA("testmod.dll"), nullptr);
    HMODULE module = LoadLibraryA(TESTMODULE_PATH);
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(g_moduleEvents, (std::vector<std::string>{"attach"}));
    EXPECT_EQ(g_moduleInstance, reinterpret_cast<HINSTANCE>(module));
    EXPECT_EQ(GetModuleHandleA("testmod.dll"), module);
    EXPECT_EQ(GetModuleHandleA("TESTMOD"), module) << ".DLL is implied";
    EXPECT_EQ(LoadLibraryA(TESTMODULE_PATH), module) << "loaded once";
    EXPECT_EQ(g_moduleEvents.size(), 1u);

    auto answer = reinterpret_cast<int (*)()>(reinterpret_cast<void*>(GetProcAddress(module, "TestModuleAnswer")));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(GetProcAddress(module, "SendMessageA"), nullptr) << "not the library's own export";
    EXPECT_EQ(GetProcAddress(module, "NoSuchFunction"), nullptr);

    char text[32];
    EXPECT_EQ(LoadStringA(reinterpret_cast<HINSTANCE>(module), 1, text, sizeof text), 16);
    EXPECT_STREQ(text, "From the library");
    EXPECT_EQ(LoadStringA(reinterpret_cast<HINSTANCE>(module), IDS_PLAIN + 1, text, sizeof text), 0)
        << "the program's strings are not the library's";
    EXPECT_NE(GetModuleHandleA(nullptr), module);
    EXPECT_TRUE(DisableThreadLibraryCalls(module));

    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(g_moduleEvents.size(), 1u) << "still loaded once more";
    EXPECT_TRUE(FreeLibrary(module));
    EXPECT_EQ(g_moduleEvents, (std::vector<std::string>{"attach", "detach"}));
    EXPECT_EQ(GetModuleHandleA("testmod.dll"), nullptr);
    EXPECT_FALSE(FreeLibrary(module));
    EXPECT_EQ(LoadLibraryA("/no/such/library.dll"), nullptr);
}

// DOS paths name files of the machine; a bare name is looked for in its
// system directory.
TEST(Modules, DosPathsAndBareNames) {
    zptest::TestMachine machine;
    std::ifstream in(TESTMODULE_PATH, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    machine.Write("drive_c/WINDOWS/SYSTEM/TESTMOD.DLL", bytes.str());
    g_moduleEvents.clear();
    HMODULE byDos = LoadLibraryA("c:\\windows\\system\\testmod.dll");
    ASSERT_NE(byDos, nullptr);
    EXPECT_EQ(LoadLibraryA("TESTMOD.DLL"), byDos) << "the same file";
    EXPECT_EQ(GetModuleHandleA("C:\\WINDOWS\\SYSTEM\\TESTMOD.DLL"), byDos) << "by its path, ignoring case";
    EXPECT_EQ(GetModuleHandleA("testmod.dll"), byDos);
    EXPECT_EQ(LoadLibraryA("C:\\WINDOWS\\SYSTEM\\MISSING.DLL"), nullptr);
    EXPECT_TRUE(FreeLibrary(byDos));
    EXPECT_TRUE(FreeLibrary(byDos));
    EXPECT_EQ(g_moduleEvents, (std::vector<std::string>{"attach", "detach"}));
    EXPECT_NE(GetModuleHandleA("USER32.DLL"), nullptr) << "the system's libraries are the host layer";
    EXPECT_EQ(LoadLibraryA("comctl32"), GetModuleHandleA("COMCTL32.DLL"));
}

}  // namespace
