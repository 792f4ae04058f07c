#include "bench_support.h"

#include "io/save_file.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <iostream>

ScratchDir::ScratchDir() {
    char pattern[] = "/tmp/palindra-bench-XXXXXX";
    if (!::mkdtemp(pattern)) std::abort();
    path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

void WriteFileOrDie(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    SaveFile f;
    if (!f.Open(path)) std::abort();
    f.Write(bytes);
    if (!f.Commit()) std::abort();
}

void Shell(const std::string& command) {
    if (std::system(command.c_str()) != 0) {
        std::cerr << "command failed: " << command << "\n";
        std::abort();
    }
}

namespace {
std::map<std::string, std::function<void(const std::vector<std::string>&)>>& PeakWork() {
    static std::map<std::string, std::function<void(const std::vector<std::string>&)>> work;
    return work;
}
}  // namespace

void RegisterPeakWork(const std::string& name, std::function<void(const std::vector<std::string>&)> work) {
    PeakWork()[name] = std::move(work);
}

long long PeakBytesOf(const std::vector<std::string>& args) {
    // The child reports its own high-water mark: the one that the kernel
    // accounts to a child includes the parent's pages copied by fork.
    std::string command = "'" + std::filesystem::read_symlink("/proc/self/exe").string() + "' --peak-of";
    for (const std::string& a : args) command += " '" + a + "'";
    FILE* pipe = ::popen(command.c_str(), "r");
    long long kb = -1;
    if (!pipe || std::fscanf(pipe, "%lld", &kb) != 1 || ::pclose(pipe) != 0) std::abort();
    return kb * 1024;
}

void SettleWrites(benchmark::State& state, const std::string& path) {
    state.PauseTiming();
    ::sync();
    std::remove(path.c_str());
    state.ResumeTiming();
}

namespace {
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs)
            if (r.run_type == Run::RT_Iteration && r.iterations > 0) seconds[r.benchmark_name()] = r.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> seconds;
};

std::vector<std::string>& MemoryLines() {
    static std::vector<std::string> lines;
    return lines;
}
}  // namespace

void AddMemoryLine(const std::string& what, long long peakBytes, long long dataBytes, double limit) {
    char line[256];
    const double ratio = static_cast<double>(peakBytes) / static_cast<double>(dataBytes);
    std::snprintf(line, sizeof line, "%-44s peak %7.1f MB for %7.1f MB of data: %.2fx (target < %.1fx) %s",
                  what.c_str(), peakBytes / 1e6, dataBytes / 1e6, ratio, limit, ratio < limit ? "ok" : "OVER");
    MemoryLines().push_back(line);
}

int RunWithRatios(int argc, char** argv, const std::vector<Ratio>& ratios) {
    if (argc >= 3 && std::string(argv[1]) == "--peak-of") {
        PeakWork().at(argv[2])(std::vector<std::string>(argv + 3, argv + argc));
        std::FILE* status = std::fopen("/proc/self/status", "r");
        char line[256];
        while (status && std::fgets(line, sizeof line, status))
            if (std::strncmp(line, "VmHWM:", 6) == 0) std::printf("%lld\n", std::atoll(line + 6));
        if (status) std::fclose(status);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::cout << "\nRatios to the physical baseline of the same run:\n";
    for (const Ratio& r : ratios) {
        auto a = reporter.seconds.find(r.benchmark), b = reporter.seconds.find(r.baseline);
        if (a == reporter.seconds.end() || b == reporter.seconds.end()) continue;
        const double ratio = a->second / b->second;
        if (r.limit <= 0) {
            std::printf("  %-36s / %-28s %6.2fx\n", r.benchmark.c_str(), r.baseline.c_str(), ratio);
            continue;
        }
        std::printf("  %-36s / %-28s %6.2fx (target < %.1fx) %s\n", r.benchmark.c_str(), r.baseline.c_str(), ratio,
                    r.limit, ratio < r.limit ? "ok" : "OVER");
    }
    for (const std::string& line : MemoryLines()) std::cout << "  " << line << "\n";
    benchmark::Shutdown();
    return 0;
}

extern char** environ;

ChildRun Spawn(const std::vector<std::string>& args, const std::string& out) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!out.empty()) posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_TRUNC, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        std::exit(2);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "failed: %s\n", args.back().c_str());
        std::exit(2);
    }
    return {seconds, usage.ru_maxrss * 1024LL};
}
