// Imports from game data packages: 65,536 zlib-packed gumps and a whole map
// of 96 stored chunks, each against cat of the package, and the zlib decode
// of the gump entries alone to show its share of the import.
#include <random>

#include "bench_support.h"
#include "codecs/zlib_codec.h"
#include "gamefiles/import.h"
#include "gamefiles/forms/package.h"
#include "gamefiles/forms/package_names.h"
#include "gamefiles/forms/package.h"
#include "patch/file_types.h"

namespace {
constexpr std::uint32_t kGumpCount = 65536;
constexpr std::uint32_t kChunks = 96;

struct Packages {
    ScratchDir dir;
    std::string gumps = dir / "gumpartLegacyMUL.uop";
    std::string map = dir / "map0LegacyMUL.uop";

    Packages() {
        std::mt19937 rng(14);
        PackageWriter writer;
        if (!writer.Open(gumps, 4, 100)) std::abort();
        const std::string& gumpName = SchemeOfFileId(kGumps)->formats[0];
        for (std::uint32_t i = 0; i < kGumpCount; ++i) {
            // A gump of rows of runs: 8-byte prefix, a lookup table, then run pairs of colour and length.
            const std::uint32_t width = 40 + rng() % 40, height = 30 + rng() % 20;
            Bytes p(8 + 4 * height);
            PutLE32(p.data(), width);
            PutLE32(p.data() + 4, height);
            for (std::uint32_t r = 0; r < height; ++r)
                for (std::uint32_t run = 0; run < 12; ++run) {
                    const std::uint32_t v = rng();
                    p.insert(p.end(), {static_cast<std::uint8_t>(v & 0x1F), static_cast<std::uint8_t>((v >> 8) & 0x7C),
                                       static_cast<std::uint8_t>(1 + (v >> 16) % 8), 0});
                }
            writer.Add(LegacyName(gumpName, i), p, 1);
        }
        if (!writer.Commit()) std::abort();

        if (!writer.Open(map, 5, 1000)) std::abort();
        Bytes chunk(static_cast<std::size_t>(kMapBlocksPerChunk) * kMapBlockSize);
        for (std::uint32_t k = 0; k < kChunks; ++k) {
            for (auto& b : chunk) b = static_cast<std::uint8_t>(rng());
            writer.Add(LegacyName(SchemeOfFileId(kMap)->formats[0], k), chunk, 0);
        }
        if (!writer.Commit()) std::abort();
    }
};

Packages& Data() {
    static Packages data;
    return data;
}

void Import(benchmark::State& state, const std::string& path, std::uint8_t fileId, std::int64_t expected) {
    for (auto _ : state) {
        Patch p;
        const Result<ImportReport> r = ImportBlocks(p, ImportSelection::OneType(fileId), {path, ""}, {0, 400000});
        if (!r || r->added != expected) state.SkipWithError("import");
        state.PauseTiming();
        p.Clear();
        state.ResumeTiming();
    }
}

// Data() is built before the first timed iteration.
void BM_CatGumpPackage(benchmark::State& state) {
    const std::string command = "cat '" + Data().gumps + "' >/dev/null";
    for (auto _ : state) Shell(command);
}
void BM_ImportGumpPackage(benchmark::State& state) { Import(state, Data().gumps, kGumps, kGumpCount); }

// Inflating every gump entry from memory: the zlib decode without the rest.
void BM_InflateGumpEntries(benchmark::State& state) {
    Package package;
    if (!package.Open(Data().gumps)) std::abort();
    std::vector<Bytes> stored;
    InputFile file;
    if (!file.Open(Data().gumps)) std::abort();
    for (const PackageEntry& e : package.Entries()) {
        Bytes b(e.storedSize);
        if (!file.Fills(static_cast<std::int64_t>(e.offset + e.headerLength), b)) std::abort();
        stored.push_back(std::move(b));
    }
    for (auto _ : state)
        for (std::size_t i = 0; i < stored.size(); ++i) {
            bool given = false;
            const InputPull pull = [&]() -> ByteView { return given ? ByteView{} : (given = true, ByteView(stored[i])); };
            if (!InflateExact(pull, package.Entries()[i].decodedSize)) state.SkipWithError("inflate");
        }
}

void BM_CatMapPackage(benchmark::State& state) {
    const std::string command = "cat '" + Data().map + "' >/dev/null";
    for (auto _ : state) Shell(command);
}
void BM_ImportMapPackage(benchmark::State& state) {
    Import(state, Data().map, kMap, static_cast<std::int64_t>(kChunks) * kMapBlocksPerChunk);
}

BENCHMARK(BM_CatGumpPackage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImportGumpPackage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_InflateGumpEntries)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CatMapPackage)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImportMapPackage)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace
