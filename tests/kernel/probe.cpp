// A program for the process and seam tests.
//   probe args FILE      writes its argument vector to FILE, one per line
//   probe exit N         ends with exit code N
//   probe heap           tries three HeapAllocs and prints which succeeded
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform.h"

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "args") == 0) {
        std::FILE* out = std::fopen(argv[2], "w");
        for (int i = 0; i < argc; ++i) std::fprintf(out, "%s\n", argv[i]);
        std::fclose(out);
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "exit") == 0) return std::atoi(argv[2]);
    if (argc >= 2 && std::strcmp(argv[1], "heap") == 0) {
        for (int i = 0; i < 3; ++i) {
            void* block = HeapAlloc(GetProcessHeap(), 0, 16);
            std::printf("%c", block ? 'y' : 'n');
            if (block) HeapFree(GetProcessHeap(), 0, block);
        }
        return 0;
    }
    return 99;
}
