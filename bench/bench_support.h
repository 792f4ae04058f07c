// Shared pieces of the benchmarks: a scratch folder, a reporter that prints
// the ratio of each benchmark to the physical baseline measured in the same
// run, and the peak memory of work done in a child process.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Writes a scratch file; aborts the benchmark when it cannot.
void WriteFileOrDie(const std::string& path, const std::vector<std::uint8_t>& bytes);

// Runs `command` with the shell and aborts the benchmark when it fails.
void Shell(const std::string& command);

// Peak resident memory, in bytes, of a fresh process of this benchmark
// started with the arguments "--peak-of NAME ARGS...", which runs the work
// registered under NAME and exits.
long long PeakBytesOf(const std::vector<std::string>& args);
void RegisterPeakWork(const std::string& name, std::function<void(const std::vector<std::string>&)> work);

// A child process's wall time and peak resident memory.
struct ChildRun {
    double seconds = 0;
    long long peakBytes = 0;
};
// Runs argv with stdout to `out` ("" keeps it); exits on failure.
ChildRun Spawn(const std::vector<std::string>& args, const std::string& out = "/dev/null");

// Ends a writing iteration: flushes the written bytes to disk and deletes
// `path` outside the timing, so that every iteration starts alike.
void SettleWrites(benchmark::State& state, const std::string& path);

struct Ratio {
    std::string benchmark;  // a benchmark's name
    std::string baseline;   // the name of the benchmark it is compared with
    double limit;           // the target ratio; 0 reports the ratio alone
};

// Runs every registered benchmark, then prints "benchmark / baseline" for
// each ratio and the memory lines added with AddMemoryLine.
int RunWithRatios(int argc, char** argv, const std::vector<Ratio>& ratios);
void AddMemoryLine(const std::string& what, long long peakBytes, long long dataBytes, double limit);
