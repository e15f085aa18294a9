// The terminal's conversions: Windows-1252 to UTF-8 and back.
#include <gtest/gtest.h>

#include "codepage.h"

namespace {

struct Pair {
    const char* windows;
    const char* utf8;
};

TEST(CodePage, TextsConvertBothWays) {
    const Pair pairs[] = {
        {"English", "English"},
        {"Fran\xE7" "ais", "Fran\xC3\xA7" "ais"},
        {"Espa\xF1ol", "Espa\xC3\xB1ol"},
        {"\x80 5", "\xE2\x82\xAC 5"},                    // the euro sign
        {"\x93quoted\x94", "\xE2\x80\x9Cquoted\xE2\x80\x9D"},
        {"\x9F\xFF", "\xC5\xB8\xC3\xBF"},                // the two y with diaeresis
        {"\xA0", "\xC2\xA0"},
        {"", ""},
    };
    for (const Pair& p : pairs) {
        EXPECT_EQ(WindowsToUtf8(p.windows), p.utf8) << "from " << p.windows;
        EXPECT_EQ(Utf8ToWindows(p.utf8), p.windows) << "from " << p.utf8;
    }
}

TEST(CodePage, WhatWindows1252LacksBecomesAQuestionMark) {
    const Pair pairs[] = {
        {"?", "\xE2\x86\x92"},              // an arrow
        {"a?b", "a\xF0\x9F\x8E\xB5" "b"},   // a character beyond 16 bits
        {"?x", "\xC3x"},                    // a lead byte without its follower
        {"x?", "x\xE2\x82"},                // a sequence cut at the end
        {"??", "\x80\xBF"},                 // followers without a lead byte
        {"?", "\xFF"},
    };
    for (const Pair& p : pairs) EXPECT_EQ(Utf8ToWindows(p.utf8), p.windows) << "from " << p.utf8;
}

}  // namespace
