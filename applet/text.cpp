// Heap texts, bounded copies and the ASCII comparisons every page uses.
#include <cstring>

#include "applet.h"

namespace {

unsigned char FoldAscii(unsigned char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

const char* OrEmpty(const char* text) {
    return text ? text : "";
}

}  // namespace

void* AllocMemory(std::size_t size) {
    return HeapAlloc(GetProcessHeap(), 0, size);
}

void FreeMemory(void* block) {
    if (block) {
        HeapFree(GetProcessHeap(), 0, block);
    }
}

// A null text is copied as the empty text.
char* CopyText(const char* text) {
    text = OrEmpty(text);
    std::size_t size = std::strlen(text) + 1;
    char* copy = static_cast<char*>(AllocMemory(size));
    if (copy) {
        std::memcpy(copy, text, size);
    }
    return copy;
}

void FreeText(char*& slot) {
    FreeMemory(slot);
    slot = nullptr;
}

// The copy is made before the old text goes, so text may be the slot's own.
bool ReplaceText(char*& slot, const char* text) {
    char* copy = CopyText(text);
    FreeText(slot);
    slot = copy;
    return copy != nullptr;
}

void CopyBounded(char* dst, std::size_t size, const char* src) {
    if (!dst || size == 0) {
        return;
    }
    src = OrEmpty(src);
    std::size_t n = 0;
    while (n + 1 < size && src[n] != '\0') {
        dst[n] = src[n];
        ++n;
    }
    dst[n] = '\0';
}

int CompareNoCase(const char* a, const char* b) {
    const unsigned char* x = reinterpret_cast<const unsigned char*>(OrEmpty(a));
    const unsigned char* y = reinterpret_cast<const unsigned char*>(OrEmpty(b));
    for (;; ++x, ++y) {
        unsigned char cx = FoldAscii(*x);
        unsigned char cy = FoldAscii(*y);
        if (cx != cy) {
            return cx < cy ? -1 : 1;
        }
        if (cx == '\0') {
            return 0;
        }
    }
}

bool EqualsNoCase(const char* a, const char* b) {
    return CompareNoCase(a, b) == 0;
}

bool StartsWithNoCase(const char* text, const char* prefix) {
    const unsigned char* t = reinterpret_cast<const unsigned char*>(OrEmpty(text));
    const unsigned char* p = reinterpret_cast<const unsigned char*>(OrEmpty(prefix));
    for (; *p != '\0'; ++t, ++p) {
        if (FoldAscii(*t) != FoldAscii(*p)) {
            return false;
        }
    }
    return true;
}
