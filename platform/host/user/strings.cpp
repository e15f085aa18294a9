// Text services: case folding, wsprintfA and the OEM code page.
#include "user_internal.h"

#include <cstdarg>
#include <cstring>

namespace hostwin {

unsigned char FoldCase(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + ('a' - 'A'));
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 0x20);
    switch (c) {
    case 0x8A: return 0x9A;
    case 0x8C: return 0x9C;
    case 0x8E: return 0x9E;
    case 0x9F: return 0xFF;
    default: return c;
    }
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    std::size_t n = std::strlen(prefix);
    if (n > text.size()) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (FoldCase(static_cast<unsigned char>(text[i])) != FoldCase(static_cast<unsigned char>(prefix[i])))
            return false;
    return true;
}

bool EqualsNoCase(const std::string& a, const char* b) { return std::strlen(b) == a.size() && StartsWithNoCase(a, b); }

namespace {

constexpr std::size_t kFormatLimit = 1024;  // bytes, with the terminating NUL

// Code page 437 (0x80-0xFF) to Windows-1252.  Characters that 1252 lacks
// take their nearest look-alike: line drawing becomes + - | =, Greek and
// mathematical signs the nearest Latin letter or sign, shades and blocks
// a question mark.
constexpr unsigned char kOemToAnsi[128] = {
    0xC7, 0xFC, 0xE9, 0xE2, 0xE4, 0xE0, 0xE5, 0xE7, 0xEA, 0xEB, 0xE8, 0xEF, 0xEE, 0xEC, 0xC4, 0xC5,  // 80
    0xC9, 0xE6, 0xC6, 0xF4, 0xF6, 0xF2, 0xFB, 0xF9, 0xFF, 0xD6, 0xDC, 0xA2, 0xA3, 0xA5, 'P',  0x83,  // 90
    0xE1, 0xED, 0xF3, 0xFA, 0xF1, 0xD1, 0xAA, 0xBA, 0xBF, 0xAC, 0xAC, 0xBD, 0xBC, 0xA1, 0xAB, 0xBB,  // A0
    '?',  '?',  '?',  '|',  '+',  '+',  '+',  '+',  '+',  '+',  '|',  '+',  '+',  '+',  '+',  '+',   // B0
    '+',  '+',  '+',  '+',  '-',  '+',  '+',  '+',  '+',  '+',  '+',  '+',  '+',  '=',  '+',  '+',   // C0
    '+',  '+',  '+',  '+',  '+',  '+',  '+',  '+',  '+',  '+',  '+',  '?',  '?',  '?',  '?',  '?',   // D0
    'a',  0xDF, 'G',  'p',  'S',  's',  0xB5, 't',  'F',  'T',  'O',  'd',  '8',  'f',  'e',  'n',   // E0
    '=',  0xB1, '=',  '=',  '(',  ')',  0xF7, '~',  0xB0, 0xB7, 0xB7, 'v',  'n',  0xB2, '?',  0xA0,  // F0
};

void Put(char* out, std::size_t& n, char c) {
    if (n + 1 < kFormatLimit) out[n] = c;
    ++n;
}

void PutPadded(char* out, std::size_t& n, const char* body, std::size_t length, const char* prefix, int width,
               bool left, bool zero) {
    std::size_t prefixLength = std::strlen(prefix);
    int pad = width - static_cast<int>(length + prefixLength);
    if (!left && !zero)
        for (; pad > 0; --pad) Put(out, n, ' ');
    for (std::size_t i = 0; i < prefixLength; ++i) Put(out, n, prefix[i]);
    if (!left && zero)
        for (; pad > 0; --pad) Put(out, n, '0');
    for (std::size_t i = 0; i < length; ++i) Put(out, n, body[i]);
    for (; pad > 0; --pad) Put(out, n, ' ');
}

}  // namespace
}  // namespace hostwin

using namespace hostwin;

// The forms %s %c %d %i %u %x %X with flags '-' '0' '#', width, precision
// and the size letters l and h (32-bit either way); %% is a percent sign,
// and an unknown form prints its letter.  At most 1023 characters are
// written, then the terminating NUL.
HOSTWIN_API int WINAPIV wsprintfA(LPSTR buf, LPCSTR format, ...) {
    if (!buf) return 0;
    if (!format) {
        buf[0] = '\0';
        return 0;
    }
    va_list args;
    va_start(args, format);
    std::size_t n = 0;
    for (const char* f = format; *f; ++f) {
        if (*f != '%') {
            Put(buf, n, *f);
            continue;
        }
        ++f;
        if (!*f) break;
        bool left = false, zero = false, alt = false;
        for (;; ++f) {
            if (*f == '-') left = true;
            else if (*f == '0') zero = true;
            else if (*f == '#') alt = true;
            else break;
        }
        int width = 0;
        for (; *f >= '0' && *f <= '9'; ++f) width = width * 10 + (*f - '0');
        int precision = -1;
        if (*f == '.') {
            precision = 0;
            for (++f; *f >= '0' && *f <= '9'; ++f) precision = precision * 10 + (*f - '0');
        }
        while (*f == 'l' || *f == 'h') ++f;
        if (!*f) break;
        char digits[40];
        switch (*f) {
        case 's': {
            const char* s = va_arg(args, const char*);
            if (!s) s = "(null)";
            std::size_t length = std::strlen(s);
            if (precision >= 0 && static_cast<std::size_t>(precision) < length) length = static_cast<std::size_t>(precision);
            PutPadded(buf, n, s, length, "", width, left, false);
            break;
        }
        case 'c': {
            char c = static_cast<char>(va_arg(args, int));
            PutPadded(buf, n, &c, 1, "", width, left, zero);
            break;
        }
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X': {
            int raw = va_arg(args, int);
            bool negative = (*f == 'd' || *f == 'i') && raw < 0;
            unsigned value = negative ? 0u - static_cast<unsigned>(raw) : static_cast<unsigned>(raw);
            unsigned base = (*f == 'x' || *f == 'X') ? 16 : 10;
            const char* set = *f == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
            char reversed[16];
            int count = 0;
            do {
                reversed[count++] = set[value % base];
                value /= base;
            } while (value);
            if (precision == 0 && raw == 0) count = 0;
            std::size_t length = 0;
            for (int i = count; i < precision && length < 16; ++i) digits[length++] = '0';
            while (count > 0) digits[length++] = reversed[--count];
            const char* prefix = negative ? "-" : (alt && base == 16 && raw != 0) ? (*f == 'X' ? "0X" : "0x") : "";
            PutPadded(buf, n, digits, length, prefix, width, left, zero && precision < 0);
            break;
        }
        default: Put(buf, n, *f); break;
        }
    }
    va_end(args);
    std::size_t end = n < kFormatLimit ? n : kFormatLimit - 1;
    buf[end] = '\0';
    return static_cast<int>(end);
}

HOSTWIN_API BOOL WINAPI OemToCharA(LPCSTR src, LPSTR dst) {
    if (!src || !dst) return FALSE;
    for (;; ++src, ++dst) {
        unsigned char c = static_cast<unsigned char>(*src);
        *dst = static_cast<char>(c < 0x80 ? c : kOemToAnsi[c - 0x80]);
        if (!c) break;
    }
    return TRUE;
}

// Windows-1252 back to code page 437: what has a place there goes back to
// it, anything else becomes a question mark.
HOSTWIN_API BOOL WINAPI CharToOemA(LPCSTR src, LPSTR dst) {
    if (!src || !dst) return FALSE;
    static unsigned char table[128];
    static bool built = false;
    if (!built) {
        for (unsigned char& c : table) c = '?';
        // Where two OEM characters share a look-alike (the later one is
        // the exact match), the later wins.
        for (int i = 0; i < 128; ++i)
            if (kOemToAnsi[i] >= 0x80) table[kOemToAnsi[i] - 0x80] = static_cast<unsigned char>(0x80 + i);
        built = true;
    }
    for (;; ++src, ++dst) {
        unsigned char c = static_cast<unsigned char>(*src);
        *dst = static_cast<char>(c < 0x80 ? c : table[c - 0x80]);
        if (!c) break;
    }
    return TRUE;
}
