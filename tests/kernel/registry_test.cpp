// The registry reader: REGEDIT4 text, Win32 status codes and buffer sizes.
#include <gtest/gtest.h>

#include <cstring>

#include "platform.h"
#include "testmachine.h"

namespace {

const std::string kRegistry = zptest::Dos({
    "REGEDIT4",
    "",
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Norrix\\Environment]",
    "\"ZENOPHASE\"=\"C:\\\\HARMPNP\\\\ZP.INI\"",
    "\"Quoted\"=\"say \\\"hi\\\" \\\\ done\"",
    "\"Number\"=dword:00000001",
    "",
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Deep\\Only\\Leaf]",
    "@=\"leaf default\"",
    "",
    "[hkey_local_machine\\software\\deep\\only\\leaf]",
    "\"Second\"=\"merged\"",
    "@=\"later default\"",
    "",
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Empty]",
    "@=\"\"",
    "",
    "[HKEY_CURRENT_USER\\Software\\Other]",
    "@=\"user\"",
    "",
    "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Removed]",
    "@=\"ignored\"",
});

class Registry : public testing::Test {
protected:
    void SetUp() override { machine.Write("registry.reg", kRegistry); }
    zptest::TestMachine machine;
};

TEST_F(Registry, OpenKeys) {
    struct Case {
        HKEY root;
        const char* sub;
        LSTATUS status;
    } cases[] = {
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Norrix\\Environment", ERROR_SUCCESS},
        {HKEY_LOCAL_MACHINE, "software\\NORRIX\\environment", ERROR_SUCCESS},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Deep", ERROR_SUCCESS},  // above a named key
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Deep\\Only\\Leaf\\", ERROR_SUCCESS},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Dee", ERROR_FILE_NOT_FOUND},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Norrix\\Environment\\ZENOPHASE", ERROR_FILE_NOT_FOUND},
        {HKEY_LOCAL_MACHINE, "Software\\Other", ERROR_FILE_NOT_FOUND},
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Removed", ERROR_FILE_NOT_FOUND},
        {HKEY_CURRENT_USER, "Software\\Other", ERROR_SUCCESS},
        {reinterpret_cast<HKEY>(0x4321), "SOFTWARE", ERROR_INVALID_HANDLE},
    };
    for (const Case& c : cases) {
        HKEY key = reinterpret_cast<HKEY>(0x1);
        EXPECT_EQ(RegOpenKeyA(c.root, c.sub, &key), c.status) << c.sub;
        if (c.status == ERROR_SUCCESS) {
            EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS) << c.sub;
        } else {
            EXPECT_EQ(key, nullptr) << c.sub;
        }
        EXPECT_EQ(RegOpenKeyExA(c.root, c.sub, 0, KEY_READ, &key), c.status) << c.sub;
        if (c.status == ERROR_SUCCESS) RegCloseKey(key);
    }
}

TEST_F(Registry, KeysOpenBelowOpenKeys) {
    HKEY software, leaf, same;
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE", &software), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(software, "deep\\only\\leaf", 0, KEY_QUERY_VALUE, &leaf), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyA(leaf, nullptr, &same), ERROR_SUCCESS);
    EXPECT_EQ(same, leaf) << "a null subkey gives the key itself";
    EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "", &same), ERROR_SUCCESS);
    EXPECT_EQ(same, HKEY_LOCAL_MACHINE);
    EXPECT_EQ(RegCloseKey(leaf), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(leaf), ERROR_INVALID_HANDLE) << "closed twice";
    EXPECT_EQ(RegCloseKey(software), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
    EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE", nullptr), ERROR_INVALID_PARAMETER);
}

TEST_F(Registry, DefaultValuesAndBufferSizes) {
    struct Case {
        const char* sub;
        LONG size;  // -1: no data buffer
        LSTATUS status;
        LONG sizeAfter;
        const char* data;  // null: the buffer is left alone
    } cases[] = {
        {"SOFTWARE\\Deep\\Only\\Leaf", 255, ERROR_SUCCESS, 14, "later default"},
        {"SOFTWARE\\Deep\\Only\\Leaf", 14, ERROR_SUCCESS, 14, "later default"},
        {"SOFTWARE\\Deep\\Only\\Leaf", 13, ERROR_MORE_DATA, 14, nullptr},
        {"SOFTWARE\\Deep\\Only\\Leaf", -1, ERROR_SUCCESS, 14, nullptr},
        {"SOFTWARE\\Empty", 255, ERROR_SUCCESS, 1, ""},
        {"SOFTWARE\\Norrix\\Environment", 255, ERROR_SUCCESS, 1, ""},  // no default value: the empty text
        {"SOFTWARE\\Missing", 255, ERROR_FILE_NOT_FOUND, 255, nullptr},
    };
    for (const Case& c : cases) {
        char data[300];
        std::memset(data, 'x', sizeof data);
        LONG size = c.size < 0 ? 0 : c.size;
        EXPECT_EQ(RegQueryValueA(HKEY_LOCAL_MACHINE, c.sub, c.size < 0 ? nullptr : data, &size), c.status) << c.sub;
        EXPECT_EQ(size, c.sizeAfter < 0 ? c.size : c.sizeAfter) << c.sub << " size " << c.size;
        if (c.data) EXPECT_STREQ(data, c.data) << c.sub;
        else EXPECT_EQ(data[0], 'x') << c.sub << " size " << c.size;
    }

    // The same through an open key and no subkey.
    HKEY key;
    ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Deep\\Only\\Leaf", &key), ERROR_SUCCESS);
    char data[32];
    LONG size = sizeof data;
    EXPECT_EQ(RegQueryValueA(key, nullptr, data, &size), ERROR_SUCCESS);
    EXPECT_STREQ(data, "later default");
    EXPECT_EQ(RegQueryValueA(key, nullptr, data, nullptr), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(Registry, NamedValues) {
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Norrix\\Environment", 0, KEY_READ, &key), ERROR_SUCCESS);
    struct Case {
        const char* name;
        DWORD size;
        LSTATUS status;
        DWORD sizeAfter;
        const char* data;
    } cases[] = {
        {"ZENOPHASE", 260, ERROR_SUCCESS, 18, "C:\\HARMPNP\\ZP.INI"},
        {"zenophase", 260, ERROR_SUCCESS, 18, "C:\\HARMPNP\\ZP.INI"},
        {"ZENOPHASE", 17, ERROR_MORE_DATA, 18, nullptr},
        {"Quoted", 260, ERROR_SUCCESS, 16, "say \"hi\" \\ done"},
        {"Number", 260, ERROR_FILE_NOT_FOUND, 260, nullptr},  // not a string: skipped
        {"Missing", 260, ERROR_FILE_NOT_FOUND, 260, nullptr},
        {nullptr, 260, ERROR_FILE_NOT_FOUND, 260, nullptr},   // no default value
    };
    for (const Case& c : cases) {
        BYTE data[300];
        std::memset(data, 'x', sizeof data);
        DWORD size = c.size, type = 99;
        const char* label = c.name ? c.name : "(default)";
        EXPECT_EQ(RegQueryValueExA(key, c.name, nullptr, &type, data, &size), c.status) << label;
        EXPECT_EQ(size, c.sizeAfter) << label;
        if (c.data) {
            EXPECT_STREQ(reinterpret_cast<char*>(data), c.data) << label;
            EXPECT_EQ(type, REG_SZ) << label;
        } else {
            EXPECT_EQ(data[0], 'x') << label;
        }
    }
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "ZENOPHASE", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 18u);
    DWORD reserved = 0;
    EXPECT_EQ(RegQueryValueExA(key, "ZENOPHASE", &reserved, nullptr, nullptr, &size), ERROR_INVALID_PARAMETER);
    RegCloseKey(key);
}

TEST_F(Registry, NoFileHoldsOnlyTheRoots) {
    machine.Remove("registry.reg");
    HKEY key;
    EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE", &key), ERROR_FILE_NOT_FOUND);
    char data[8];
    LONG size = sizeof data;
    EXPECT_EQ(RegQueryValueA(HKEY_LOCAL_MACHINE, nullptr, data, &size), ERROR_SUCCESS);
    EXPECT_STREQ(data, "");
}

}  // namespace
