// Runs the benchmarks, then prints each figure with its goal.
#include <cstdio>

#include "bench.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

extern char** environ;

namespace zpbench {

struct Figure {
    std::string what;
    double measured, baseline, goal;
};
std::vector<Figure> figures;  // in the order measured

double Median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void ReportFigure(benchmark::State& state, const std::string& what, const std::vector<double>& measured,
                  const std::vector<double>& baseline, double goal) {
    const double m = Median(measured), b = Median(baseline);
    if (!state.counters.count("ms")) {
        state.counters["ms"] = m;
        state.counters["ratio"] = b > 0 ? m / b : 0;
    }
    figures.push_back({what, m, b, goal});
}

ScratchDirectory::ScratchDirectory(const char* name) {
    std::string pattern = (std::filesystem::temp_directory_path() / (std::string(name) + ".XXXXXX")).string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

ScratchDirectory::~ScratchDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

void ScratchDirectory::Write(const std::string& relative, const std::string& bytes) const {
    const std::filesystem::path path = Path(relative);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

int Spawn(const std::vector<std::string>& argv) {
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t pid;
    if (posix_spawn(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace zpbench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::printf("\nFigures (medians of interleaved runs):\n");
    for (const zpbench::Figure& figure : zpbench::figures) {
        const double ratio = figure.baseline > 0 ? figure.measured / figure.baseline : 0;
        std::printf("  %s\n    %.1f ms against %.1f ms: %.2fx (goal: at most %.2fx) %s\n", figure.what.c_str(),
                    figure.measured, figure.baseline, ratio, figure.goal, ratio <= figure.goal ? "met" : "MISSED");
    }
    return 0;
}
