// wsprintfA and the OEM code page.
#include "user_support.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Strings, WsprintfForms) {
    struct Case {
        std::string got;
        const char* expected;
    };
    char b[64];
    auto f = [&](int n) { return std::string(b, static_cast<std::size_t>(n)); };
    const Case cases[] = {
        {f(wsprintfA(b, "%d", -42)), "-42"},
        {f(wsprintfA(b, "%i|%u", 7, static_cast<UINT>(-1))), "7|4294967295"},
        {f(wsprintfA(b, "%x %X %#x %#X", 0x7e, 0x7e, 0x7e, 0x7e)), "7e 7E 0x7e 0X7E"},
        {f(wsprintfA(b, "%04X-%04X", 0x220, 0x22f)), "0220-022F"},
        {f(wsprintfA(b, "[%5d|%-5d|%05d]", 42, 42, -42)), "[   42|42   |-0042]"},
        {f(wsprintfA(b, "%.3d %.0d", 5, 0)), "005 "},
        {f(wsprintfA(b, "%s/%.2s/%6s/%-6s|", "abc", "abc", "abc", "abc")), "abc/ab/   abc/abc   |"},
        {f(wsprintfA(b, "%c%c", 'o', 'k')), "ok"},
        {f(wsprintfA(b, "%lu %ld %lx", 4000000000u, -5, 0xffu)), "4000000000 -5 ff"},
        {f(wsprintfA(b, "new_string%d", 12)), "new_string12"},
        {f(wsprintfA(b, "100%% %s", static_cast<const char*>(nullptr))), "100% (null)"},
        {f(wsprintfA(b, "%q")), "q"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.got, c.expected);
}

TEST(Strings, WsprintfStopsAt1024Bytes) {
    std::string big(2000, 'x');
    std::string out(1100, '\0');
    int n = wsprintfA(out.data(), "%s", big.c_str());
    EXPECT_EQ(n, 1023);
    EXPECT_EQ(out[1023], '\0');
    EXPECT_EQ(out[1024], '\0') << "nothing written past the limit";
}

TEST(Strings, OemToChar) {
    struct Case {
        unsigned char oem;
        unsigned char ansi;
    };
    const Case cases[] = {
        {0x81, 0xFC},  // u diaeresis
        {0x84, 0xE4},  // a diaeresis
        {0x8E, 0xC4},  // A diaeresis
        {0x94, 0xF6},  // o diaeresis
        {0x99, 0xD6},  // O diaeresis
        {0x9A, 0xDC},  // U diaeresis
        {0xE1, 0xDF},  // sharp s
        {0x82, 0xE9},  // e acute
        {0x87, 0xE7},  // c cedilla
        {0xA4, 0xF1},  // n tilde
        {0x9C, 0xA3},  // pound
        {0xF8, 0xB0},  // degree
        {0xC4, '-'},   // a line drawing look-alike
        {'A', 'A'},
    };
    for (const Case& c : cases) {
        char in[2] = {static_cast<char>(c.oem), 0}, out[2] = {0, 0};
        EXPECT_TRUE(OemToCharA(in, out));
        EXPECT_EQ(static_cast<unsigned char>(out[0]), c.ansi) << "OEM " << std::hex << int{c.oem};
        if (c.ansi >= 0x80) {
            char back[2] = {0, 0};
            CharToOemA(out, back);
            EXPECT_EQ(static_cast<unsigned char>(back[0]), c.oem) << "back from " << std::hex << int{c.ansi};
        }
    }
    char text[] = "Fran\x87" "ais, Deutsch \x84\x94\x81";
    OemToCharA(text, text);  // in place
    EXPECT_STREQ(text, "Fran\xE7" "ais, Deutsch \xE4\xF6\xFC");
}

}  // namespace
