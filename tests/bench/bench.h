// What the benchmarks share: each figure is the ratio of two costs measured
// side by side, interleaved in the same iterations, with the goal it is held
// to; bench_main prints every figure at the end.
#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

namespace zpbench {

// Milliseconds of wall time that fn takes.
template <typename Fn>
double TimeMs(Fn&& fn) {
    const auto start = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values);

// Records the figure: the median of measured over the median of baseline
// (each a list of milliseconds, one per iteration), which should be at most
// goal.  what says what the two sides are.
void ReportFigure(benchmark::State& state, const std::string& what, const std::vector<double>& measured,
                  const std::vector<double>& baseline, double goal);

// A fresh scratch directory, removed with the object.
class ScratchDirectory {
public:
    explicit ScratchDirectory(const char* name);
    ~ScratchDirectory();
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    const std::string& Path() const { return path_; }
    std::string Path(const std::string& relative) const { return path_ + "/" + relative; }
    void Write(const std::string& relative, const std::string& bytes) const;

private:
    std::string path_;
};

// Runs a program with arguments and waits; its exit status.  quiet sends
// its output nowhere.
int Spawn(const std::vector<std::string>& argv, bool quiet = false);
// The same, keeping what it wrote to standard output.
int SpawnOutput(const std::vector<std::string>& argv, std::string& output);

}  // namespace zpbench
