// The process environment and the Windows directory.
#include <gtest/gtest.h>

#include <cstring>

#include "platform.h"
#include "testmachine.h"

namespace {

TEST(Environment, BlockHoldsTheProcessEnvironment) {
    zptest::ScopedEnv a("ZPTEST_ONE", "first value");
    zptest::ScopedEnv b("ZPTEST_EMPTY", "");
    char* block = GetEnvironmentStrings();
    ASSERT_NE(block, nullptr);
    bool one = false, empty = false;
    const char* entry = block;
    for (; *entry; entry += std::strlen(entry) + 1) {
        one = one || std::strcmp(entry, "ZPTEST_ONE=first value") == 0;
        empty = empty || std::strcmp(entry, "ZPTEST_EMPTY=") == 0;
    }
    EXPECT_TRUE(one);
    EXPECT_TRUE(empty);
    EXPECT_TRUE(FreeEnvironmentStringsA(block));
    EXPECT_FALSE(FreeEnvironmentStringsA(block)) << "freed twice";
}

TEST(Environment, VariablesByNameIgnoringCase) {
    zptest::ScopedEnv a("ZPTEST_VALUE", "C:\\HARMPNP");
    zptest::ScopedEnv b("ZPTEST_EMPTY", "");
    zptest::ScopedEnv c("ZPTEST_NONE", std::nullopt);
    char buf[32];

    EXPECT_EQ(GetEnvironmentVariableA("zptest_value", buf, sizeof buf), 10u);
    EXPECT_STREQ(buf, "C:\\HARMPNP");

    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(GetEnvironmentVariableA("ZPTEST_VALUE", buf, 10), 11u) << "too small: the size needed";
    EXPECT_EQ(buf[0], 'x');
    EXPECT_EQ(GetEnvironmentVariableA("ZPTEST_VALUE", nullptr, 0), 11u);

    SetLastError(99);
    EXPECT_EQ(GetEnvironmentVariableA("ZPTEST_EMPTY", buf, sizeof buf), 0u);
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_STREQ(buf, "");

    EXPECT_EQ(GetEnvironmentVariableA("ZPTEST_NONE", buf, sizeof buf), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ENVVAR_NOT_FOUND));
    EXPECT_EQ(GetEnvironmentVariableA("ZPTEST_VALU", buf, sizeof buf), 0u);
}

TEST(Environment, WindowsDirectory) {
    char buf[144];
    EXPECT_EQ(GetWindowsDirectoryA(buf, sizeof buf), 10u);
    EXPECT_STREQ(buf, "C:\\WINDOWS");
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(GetWindowsDirectoryA(buf, 10), 11u);
    EXPECT_EQ(buf[0], 'x');
    EXPECT_EQ(GetWindowsDirectoryA(buf, 11), 10u);
}

}  // namespace
