// Windows-1252 and UTF-8.
#include "codepage.h"

namespace {

// 0x80 to 0x9F; the five bytes that the code page leaves undefined stand for
// the control characters of the same number.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t CodePoint(unsigned char byte) {
    return byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : byte;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

char WindowsByte(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (kHighControls[i] == c) return static_cast<char>(0x80 + i);
    return '?';
}

}  // namespace

std::string WindowsToUtf8(std::string_view text) {
    std::string out;
    for (char c : text) AppendUtf8(out, CodePoint(static_cast<unsigned char>(c)));
    return out;
}

std::string Utf8ToWindows(std::string_view text) {
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char lead = static_cast<unsigned char>(text[i++]);
        int extra = lead < 0x80            ? 0
                    : (lead & 0xE0) == 0xC0 ? 1
                    : (lead & 0xF0) == 0xE0 ? 2
                    : (lead & 0xF8) == 0xF0 ? 3
                                            : -1;
        if (extra < 0) {
            out += '?';  // a follower without its lead byte, or no UTF-8 at all
            continue;
        }
        char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
        int taken = 0;
        while (taken < extra && i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) {
            c = (c << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
            ++taken;
        }
        out += taken == extra ? WindowsByte(c) : '?';  // a cut sequence is one '?'
    }
    return out;
}
