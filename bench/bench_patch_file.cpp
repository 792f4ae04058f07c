// Saving and opening a patch of a whole map: 393,216 blocks of 196 bytes.
#include <random>

#include "bench_support.h"
#include "io/binary_io.h"
#include "patch/patch_file.h"

namespace {
constexpr int kMapBlocks = 393216;
constexpr int kMapBlockSize = 196;

struct MapPatch {
    ScratchDir dir;
    Patch patch;
    std::string file = dir / "map.uop";
    long long dataBytes = static_cast<long long>(kMapBlocks) * kMapBlockSize;

    MapPatch() {
        std::mt19937 rng(7);
        for (int n = 0; n < kMapBlocks; ++n) {
            Bytes data(kMapBlockSize);
            for (auto& b : data) b = static_cast<std::uint8_t>(rng());
            patch.Append(0, n, std::move(data), -1, -1);
        }
        if (!WritePatchFile(file, patch)) std::abort();
    }
};

MapPatch& Map() {
    static MapPatch map;
    return map;
}

void BM_CopyWithCp(benchmark::State& state) {
    for (auto _ : state) {
        Shell("cp '" + Map().file + "' '" + (Map().dir / "copy.uop") + "' && sync '" + (Map().dir / "copy.uop") + "'");
        SettleWrites(state, Map().dir / "copy.uop");
    }
}

void BM_SavePatchFile(benchmark::State& state) {
    for (auto _ : state) {
        if (!WritePatchFile(Map().dir / "saved.uop", Map().patch)) state.SkipWithError("save failed");
        SettleWrites(state, Map().dir / "saved.uop");
    }
}

void BM_ReadWithCat(benchmark::State& state) {
    for (auto _ : state) Shell("cat '" + Map().file + "' >/dev/null");
}

// Reading the file into memory that was never touched before: the page faults
// that any loader pays, and cat does not.
void BM_ReadIntoFreshMemory(benchmark::State& state) {
    for (auto _ : state) {
        const Result<Bytes> data = ReadWholeFile(Map().file);
        if (!data) state.SkipWithError("read failed");
        benchmark::DoNotOptimize(data->data());
    }
}

void BM_OpenPatchFile(benchmark::State& state) {
    for (auto _ : state) {
        Patch p;
        if (!ReadPatchFile(Map().file, p)) state.SkipWithError("open failed");
        benchmark::DoNotOptimize(p);
        state.PauseTiming();  // freeing the patch is not part of opening it
        p.Clear();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_CopyWithCp)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SavePatchFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadWithCat)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadIntoFreshMemory)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_OpenPatchFile)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace

void RegisterPatchFileMemory() {
    RegisterPeakWork("idle", [](const std::vector<std::string>&) {});
    RegisterPeakWork("open", [](const std::vector<std::string>& args) {
        Patch p;
        if (!ReadPatchFile(args.at(0), p)) std::abort();
    });
}

void ReportPatchFileMemory() {
    const long long idle = PeakBytesOf({"idle"});
    AddMemoryLine("open of a whole map", PeakBytesOf({"open", Map().file}) - idle, Map().dataBytes, 1.5);
}
