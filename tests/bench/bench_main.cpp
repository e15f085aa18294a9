// Runs the benchmarks, then prints each figure with its goal.
#include "bench.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

extern char** environ;

namespace zpbench {

namespace {

struct Figure {
    std::string what;
    double measured, baseline, goal;
};
std::vector<Figure> figures;  // in the order measured

}  // namespace

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

namespace {

// Starts argv with its standard output (and, when quiet, its errors) on
// outFd, or as ours when outFd is -1; its exit status.
int SpawnWith(const std::vector<std::string>& argv, int outFd, bool quiet) {
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (outFd >= 0) posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    if (quiet) {
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        if (outFd < 0) posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    }
    pid_t pid;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

int Spawn(const std::vector<std::string>& argv, bool quiet) { return SpawnWith(argv, -1, quiet); }

int SpawnOutput(const std::vector<std::string>& argv, std::string& output) {
    char name[] = "/tmp/zpbench-out.XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) return -1;
    const int status = SpawnWith(argv, fd, true);
    std::ifstream in(name, std::ios::binary);
    output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    close(fd);
    unlink(name);
    return status;
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
