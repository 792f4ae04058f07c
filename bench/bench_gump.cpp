// Decoding and encoding 640 x 480 gumps: one with runs typical of interface
// art, one where every pixel is a run of its own. Compared with a plain
// memcpy of the same number of 32-bit pixels.
#include <cstring>
#include <random>

#include "bench_support.h"
#include "codecs/gump.h"

namespace {
constexpr int kWidth = 640, kHeight = 480;

std::vector<std::uint16_t> Picture(bool singlePixelRuns) {
    std::mt19937 rng(3);
    std::vector<std::uint16_t> colors(kWidth * kHeight);
    std::uint16_t current = 0;
    int left = 0;
    for (auto& c : colors) {
        if (singlePixelRuns) {
            current = static_cast<std::uint16_t>((current + 1 + rng() % 100) & 0x7FFF);
        } else if (left-- <= 0) {
            current = static_cast<std::uint16_t>(rng() & 0x7FFF);
            left = 4 + static_cast<int>(rng() % 40);
        }
        c = current;
    }
    return colors;
}

void BM_MemcpyPixels(benchmark::State& state) {
    std::vector<std::int32_t> from(kWidth * kHeight, 7), to(kWidth * kHeight);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * sizeof(std::int32_t));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.counters["Mpixel/s"] = benchmark::Counter(kWidth * kHeight / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_DecodeGump(benchmark::State& state) {
    const Bytes block = EncodeGump(Picture(state.range(0) == 1), kWidth, kHeight).value();
    for (auto _ : state) {
        const Result<ColorGrid> grid = DecodeGump(block, kWidth, kHeight);
        if (!grid) state.SkipWithError("decode");
        benchmark::DoNotOptimize(grid->cells.data());
    }
    state.counters["Mpixel/s"] = benchmark::Counter(kWidth * kHeight / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_EncodeGump(benchmark::State& state) {
    const std::vector<std::uint16_t> colors = Picture(state.range(0) == 1);
    for (auto _ : state) benchmark::DoNotOptimize(EncodeGump(colors, kWidth, kHeight));
    state.counters["Mpixel/s"] = benchmark::Counter(kWidth * kHeight / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

BENCHMARK(BM_MemcpyPixels)->Unit(benchmark::kMicrosecond);
// Argument 0: typical runs; 1: a run per pixel.
BENCHMARK(BM_DecodeGump)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EncodeGump)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
}  // namespace
