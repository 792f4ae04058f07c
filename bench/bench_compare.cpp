// Comparing two whole map files (fixed-size blocks) that differ in 1% of
// their blocks, and two indexed art files of about 60 MB, against reading
// both files with cat.
#include <random>

#include "bench_support.h"
#include "gamefiles/import.h"
#include "patch/file_types.h"

namespace {
struct ComparePair {
    ScratchDir dir;
    std::string map1 = dir / "map1.mul", map2 = dir / "map2.mul";
    std::string art1 = dir / "art1.mul", art2 = dir / "art2.mul", idx1 = dir / "art1.idx", idx2 = dir / "art2.idx";

    ComparePair() {
        std::mt19937 rng(17);
        Bytes map(393216 * 196);
        for (auto& b : map) b = static_cast<std::uint8_t>(rng());
        WriteFileOrDie(map1, map);
        for (int n = 0; n < 393216; n += 100) map[static_cast<std::size_t>(n) * 196 + 7] ^= 0xFF;
        WriteFileOrDie(map2, map);

        Bytes art, index;
        for (int n = 0; n < 65536; ++n) {
            const std::size_t size = n < 16384 ? 2024 : 500 + rng() % 700;
            std::uint8_t entry[12];
            PutLE32(entry, static_cast<std::uint32_t>(art.size()));
            PutLE32(entry + 4, static_cast<std::uint32_t>(size));
            PutLE32(entry + 8, 0);
            index.insert(index.end(), entry, entry + 12);
            for (std::size_t i = 0; i < size; ++i) art.push_back(static_cast<std::uint8_t>(rng()));
        }
        WriteFileOrDie(art1, art);
        WriteFileOrDie(idx1, index);
        for (int n = 0; n < 65536; n += 100) art[GetLE32(&index[static_cast<std::size_t>(n) * 12])] ^= 0xFF;
        WriteFileOrDie(art2, art);
        WriteFileOrDie(idx2, index);
    }
};

ComparePair& Pair() {
    static ComparePair pair;
    return pair;
}

void BM_CatBothMaps(benchmark::State& state) {
    Pair();  // the files are made before the timing starts
    for (auto _ : state) Shell("cat '" + Pair().map1 + "' '" + Pair().map2 + "' >/dev/null");
}

void BM_CompareMaps(benchmark::State& state) {
    for (auto _ : state) {
        Patch p;
        const Result<ImportReport> r = CompareBlocks(p, 0, {Pair().map1, ""}, {Pair().map2, ""});
        if (!r || r->added != 3933) state.SkipWithError("compare");
    }
}

void BM_CatBothArts(benchmark::State& state) {
    for (auto _ : state) Shell("cat '" + Pair().art1 + "' '" + Pair().art2 + "' >/dev/null");
}

void BM_CompareArts(benchmark::State& state) {
    for (auto _ : state) {
        Patch p;
        const Result<ImportReport> r = CompareBlocks(p, 4, {Pair().art1, Pair().idx1}, {Pair().art2, Pair().idx2});
        if (!r || r->added != 656) state.SkipWithError("compare");
    }
}

BENCHMARK(BM_CatBothMaps)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CompareMaps)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CatBothArts)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CompareArts)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace
