// The Windows side of the profile read benchmark: the system's own
// GetPrivateProfileStringA on the benchmark's file and reads.
// profbench FILE PASSES: writes FILE, reads it once, then times PASSES
// passes over the reads and prints "<milliseconds> <reads> <checksum>".
#include <cstdio>
#include <cstdlib>

#include "platform.h"
#include "profile_workload.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: profbench FILE PASSES\n");
        return 2;
    }
    const char* file = argv[1];
    const int passes = std::atoi(argv[2]);
    const std::string bytes = zpbench::ProfileBenchFile();
    std::FILE* out = std::fopen(file, "wb");
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size() || std::fclose(out) != 0) {
        std::fprintf(stderr, "profbench: cannot write %s\n", file);
        return 1;
    }
    const std::vector<zpbench::ProfileRead> reads = zpbench::ProfileBenchReads();
    static char buffer[zpbench::kListSize];
    unsigned long checksum = 0;
    auto pass = [&] {
        for (const zpbench::ProfileRead& read : reads) {
            const bool list = read.key.empty();
            checksum += GetPrivateProfileStringA(read.section.c_str(), list ? nullptr : read.key.c_str(), "foo", buffer,
                                                 list ? zpbench::kListSize : zpbench::kValueSize, file);
        }
    };
    pass();
    checksum = 0;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < passes; ++i) pass();
    QueryPerformanceCounter(&end);
    const double ms = 1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    std::printf("%.3f %lu %lu\n", ms, static_cast<unsigned long>(reads.size()) * static_cast<unsigned long>(passes),
                checksum);
    return 0;
}
