// Undo and redo of a 77 MB import (a whole map over a whole map, so that
// settling marks every older block), against copying those bytes once; and
// settling 300,000 copies of one whole file.
#include <cstring>

#include "bench_support.h"
#include "patch/patch_edit.h"

namespace {
constexpr int kMapBlocks = 393216;  // 196 bytes each: 77 MB
constexpr std::size_t kMapBytes = static_cast<std::size_t>(kMapBlocks) * 196;

Patch Map(std::uint8_t fill) {
    Patch p;
    for (int n = 0; n < kMapBlocks; ++n) p.Append(0, n, Bytes(196, fill), 0, 0);
    return p;
}

// The document's map with the import applied once, as the command left it.
struct Imported {
    Patch patch = Map(1);
    PatchEdit edit;
    Imported() {
        edit.added = Map(2);
        edit.Apply(patch);
    }
};

void BM_MemcpyImportBytes(benchmark::State& state) {
    std::vector<std::uint8_t> from(kMapBytes, 1), to(kMapBytes);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), kMapBytes);
        benchmark::DoNotOptimize(to.data());
    }
}

void BM_UndoImport77MB(benchmark::State& state) {
    Imported d;
    for (auto _ : state) {
        d.edit.Revert(d.patch);
        state.PauseTiming();
        d.edit.Apply(d.patch);
        state.ResumeTiming();
    }
}

void BM_RedoImport77MB(benchmark::State& state) {
    Imported d;
    for (auto _ : state) {
        state.PauseTiming();
        d.edit.Revert(d.patch);
        state.ResumeTiming();
        d.edit.Apply(d.patch);
    }
}

void BM_SettleWholeFileCopies300000(benchmark::State& state) {
    Patch p;
    for (int i = 0; i < 300000; ++i) p.Append(252, 1, Bytes(64, static_cast<std::uint8_t>(i)), 0, 0);
    for (auto _ : state) {
        const std::vector<RemovedMark> marks = SettleDuplicates(p);
        state.PauseTiming();
        if (marks.size() != 299999u) state.SkipWithError("settle");
        RestoreMarks(p, marks);
        state.ResumeTiming();
    }
}

BENCHMARK(BM_MemcpyImportBytes)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UndoImport77MB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_RedoImport77MB)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_SettleWholeFileCopies300000)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace

void RegisterEditMemory() {
    RegisterPeakWork("import-once", [](const std::vector<std::string>&) { Imported d; });
    RegisterPeakWork("import-undo-redo", [](const std::vector<std::string>&) {
        Imported d;
        for (int i = 0; i < 3; ++i) {
            d.edit.Revert(d.patch);
            d.edit.Apply(d.patch);
        }
    });
}

void ReportEditMemory() {
    const long long once = PeakBytesOf({"import-once"});
    // What undo and redo add beyond the import itself, against its data: the
    // slot records change hands, the block data is never copied.
    AddMemoryLine("undo and redo of a 77 MB import (extra)", PeakBytesOf({"import-undo-redo"}) - once,
                  static_cast<long long>(kMapBytes), 0.1);
}
