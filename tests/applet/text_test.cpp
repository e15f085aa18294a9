// Heap texts, bounded copies and the ASCII comparisons.
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "applet_support.h"

namespace {

TEST(Text, CopyBoundedCutsAndTerminates) {
    struct Case {
        const char* src;
        std::size_t size;
        std::string expected;  // the whole buffer of 6 bytes afterwards
    };
    const Case cases[] = {
        {"abc", 6, std::string("abc\0##", 6)},
        {"abcdefgh", 6, std::string("abcde\0", 6)},
        {"abcdef", 6, std::string("abcde\0", 6)},
        {"abc", 1, std::string("\0#####", 6)},
        {"abc", 0, std::string("######", 6)},
        {nullptr, 6, std::string("\0#####", 6)},
    };
    for (const Case& c : cases) {
        char buf[6];
        std::memset(buf, '#', sizeof buf);
        CopyBounded(buf, c.size, c.src);
        EXPECT_EQ(Show(std::string(buf, sizeof buf)), Show(c.expected))
            << (c.src ? c.src : "(null)") << " into " << c.size;
    }
}

// Only A-Z fold; other bytes compare as unsigned values.
TEST(Text, ComparisonsFoldOnlyAsciiLetters) {
    struct Case {
        const char* a;
        const char* b;
        int sign;
    };
    const Case cases[] = {
        {"Default", "dEFAULT", 0},
        {"abc", "abd", -1},
        {"abc", "ab", 1},
        {"", "", 0},
        {"_", "A", -1},      // '_' (0x5f) sorts below 'a' (0x61) once A folds
        {"[", "a", -1},
        {"\xc4", "\xe4", -1},  // no folding beyond ASCII
        {"\xe4", "z", 1},    // unsigned bytes
        {"new_string1", "NEW_STRING", 1},
    };
    for (const Case& c : cases) {
        int got = CompareNoCase(c.a, c.b);
        int sign = got < 0 ? -1 : got > 0 ? 1 : 0;
        EXPECT_EQ(sign, c.sign) << '"' << c.a << "\" vs \"" << c.b << '"';
        EXPECT_EQ(EqualsNoCase(c.a, c.b), c.sign == 0) << '"' << c.a << "\" vs \"" << c.b << '"';
    }
}

TEST(Text, StartsWithNoCase) {
    struct Case {
        const char* text;
        const char* prefix;
        bool expected;
    };
    const Case cases[] = {
        {"zp8a1 0 0", "ZP8A1", true}, {"ZP8A", "zp8a1", false}, {"ROM", "r", true},
        {"RAM", "ro", false},         {"abc", "", true},        {"", "a", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StartsWithNoCase(c.text, c.prefix), c.expected) << '"' << c.text << "\" \"" << c.prefix << '"';
    }
}

TEST(Text, HeapTextsOwnTheirCopies) {
    long live = HostLiveAllocations();
    char* slot = nullptr;
    ASSERT_TRUE(ReplaceText(slot, "first"));
    EXPECT_STREQ(slot, "first");
    ASSERT_TRUE(ReplaceText(slot, slot)) << "replacing a text by itself";
    EXPECT_STREQ(slot, "first");
    ASSERT_TRUE(ReplaceText(slot, nullptr));
    EXPECT_STREQ(slot, "");
    EXPECT_EQ(HostLiveAllocations(), live + 1);

    HostFailAlloc(1);
    EXPECT_FALSE(ReplaceText(slot, "second"));
    HostFailAlloc(0);
    EXPECT_EQ(slot, nullptr) << "out of memory leaves the slot null";
    EXPECT_EQ(HostLiveAllocations(), live) << "the old text was freed";

    HostFailAlloc(1);
    EXPECT_EQ(CopyText("x"), nullptr);
    HostFailAlloc(0);
    FreeText(slot);
    EXPECT_EQ(HostLiveAllocations(), live);
}

}  // namespace
