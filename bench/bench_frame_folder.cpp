// An animation's frames written into a folder of pictures: the time a frame
// takes must not grow with the frames already there (each save once listed
// the whole folder), so 4,000 frames take at most 12 times as long as 400.
#include <filesystem>
#include <numeric>
#include <string>

#include "bench_support.h"
#include "codecs/anim_frames.h"
#include "images/frame_files.h"

namespace {
// `count` frames of 16 x 16 cells, each its own pattern.
AnimDecoding Frames(std::size_t count) {
    AnimDecoding d;
    d.count = count;
    d.numbers.resize(count);
    std::iota(d.numbers.begin(), d.numbers.end(), std::size_t{0});
    for (std::size_t i = 0; i < 256; ++i) d.animation.palette[i] = static_cast<std::uint16_t>(i * 0x0421 & 0x7FFF);
    for (std::size_t f = 0; f < count; ++f) {
        AnimFrame frame{0, 0, 16, 16, std::vector<std::int16_t>(256), 0};
        for (std::size_t c = 0; c < frame.cells.size(); ++c)
            frame.cells[c] = (c + f) % 5 == 0 ? kAnimTransparent : static_cast<std::int16_t>((c * 7 + f) % 256);
        d.animation.frames.push_back(std::move(frame));
    }
    return d;
}

void BM_SaveFrameFolder(benchmark::State& state) {
    const ScratchDir dir;
    const AnimDecoding frames = Frames(static_cast<std::size_t>(state.range(0)));
    int round = 0;
    for (auto _ : state) {
        const std::string folder = dir / ("frames" + std::to_string(round++));
        if (!SaveFrameFolder(folder, frames)) state.SkipWithError("the frames could not be saved");
        state.PauseTiming();
        std::filesystem::remove_all(folder);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
}  // namespace

BENCHMARK(BM_SaveFrameFolder)->Arg(400)->Arg(4000)->Unit(benchmark::kMillisecond)->UseRealTime();
