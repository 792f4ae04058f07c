// Export of a whole-map patch over a base verdata, and imports of a whole
// fixed-size map file and of all art blocks of an indexed file.
#include <filesystem>
#include <random>

#include "bench_support.h"
#include "gamefiles/import.h"
#include "gamefiles/forms/verdata.h"
#include "patch/file_types.h"
#include "io/binary_io.h"
#include "patch/patch_file.h"

namespace {
constexpr int kMapBlocks = 393216;
constexpr int kBaseEntries = 100000;
constexpr int kArtBlocks = 65536;

struct GameData {
    ScratchDir dir;
    Patch mapPatch;
    std::string base = dir / "base_verdata.mul";
    std::string map = dir / "map0.mul";
    std::string art = dir / "art.mul", artIdx = dir / "artidx.mul";
    std::string exported = dir / "new_verdata.mul";
    long long mapBytes = 0, artBytes = 0, exportBytes = 0;

    GameData() {
        std::mt19937 rng(11);
        auto random = [&](std::size_t n) {
            Bytes b(n);
            for (auto& x : b) x = static_cast<std::uint8_t>(rng());
            return b;
        };
        Patch baseBlocks;
        for (int n = 0; n < kBaseEntries; ++n) baseBlocks.Append(2, n, random(100), 0, 0);
        if (!WriteVerdata(base, baseBlocks)) std::abort();
        for (int n = 0; n < kMapBlocks; ++n) mapPatch.Append(0, n, random(196), -1, -1);

        Bytes mapFile = random(static_cast<std::size_t>(kMapBlocks) * 196);
        mapBytes = static_cast<long long>(mapFile.size());
        WriteFileOrDie(map, mapFile);

        // About 60 MB of art: landscape tiles of 2024 bytes, static tiles of varying size.
        Bytes index, data;
        for (int n = 0; n < kArtBlocks; ++n) {
            const std::size_t size = n < 16384 ? 2024 : 400 + rng() % 800;
            const auto offset = static_cast<std::uint32_t>(data.size());
            Bytes block = random(size);
            data.insert(data.end(), block.begin(), block.end());
            std::uint8_t entry[12];
            PutLE32(entry, offset);
            PutLE32(entry + 4, static_cast<std::uint32_t>(size));
            PutLE32(entry + 8, 0);
            index.insert(index.end(), entry, entry + 12);
        }
        artBytes = static_cast<long long>(data.size());
        WriteFileOrDie(art, data);
        WriteFileOrDie(artIdx, index);

        if (!WriteVerdata(exported, mapPatch, base)) std::abort();
        exportBytes = static_cast<long long>(std::filesystem::file_size(exported));
    }
};

GameData& Data() {
    static GameData data;
    return data;
}

void BM_CopyExportSizedFileWithCp(benchmark::State& state) {
    for (auto _ : state) {
        Shell("cp '" + Data().exported + "' '" + (Data().dir / "copy.mul") + "' && sync '" + (Data().dir / "copy.mul") + "'");
        SettleWrites(state, Data().dir / "copy.mul");
    }
}

void BM_ExportMapOverBase(benchmark::State& state) {
    for (auto _ : state) {
        if (!WriteVerdata(Data().dir / "export.mul", Data().mapPatch, Data().base)) state.SkipWithError("export");
        SettleWrites(state, Data().dir / "export.mul");
    }
}

void BM_CatMapFile(benchmark::State& state) {
    for (auto _ : state) Shell("cat '" + Data().map + "' >/dev/null");
}

void BM_ImportWholeMap(benchmark::State& state) {
    for (auto _ : state) {
        Patch p;
        if (!ImportBlocks(p, ImportSelection::OneType(0), {Data().map, ""}))
            state.SkipWithError("import");
        state.PauseTiming();
        p.Clear();
        state.ResumeTiming();
    }
}

void BM_CatArtFile(benchmark::State& state) {
    for (auto _ : state) Shell("cat '" + Data().art + "' >/dev/null");
}

void BM_ImportAllArt(benchmark::State& state) {
    for (auto _ : state) {
        Patch p;
        if (!ImportBlocks(p, ImportSelection::OneType(4), {Data().art, Data().artIdx})) state.SkipWithError("import");
        state.PauseTiming();
        p.Clear();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_CopyExportSizedFileWithCp)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ExportMapOverBase)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CatMapFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImportWholeMap)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_CatArtFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImportAllArt)->Unit(benchmark::kMillisecond)->UseRealTime();
}  // namespace

void RegisterGameDataMemory() {
    RegisterPeakWork("import-map", [](const std::vector<std::string>& a) {
        Patch p;
        if (!ImportBlocks(p, ImportSelection::OneType(0), {a.at(0), ""})) std::abort();
    });
    RegisterPeakWork("import-art", [](const std::vector<std::string>& a) {
        Patch p;
        if (!ImportBlocks(p, ImportSelection::OneType(4), {a.at(0), a.at(1)})) std::abort();
    });
    // The export's input patch is part of the data held: a map patch read
    // from its patch project file, then written over the base.
    RegisterPeakWork("export", [](const std::vector<std::string>& a) {
        Patch p;
        if (!ReadPatchFile(a.at(0), p)) std::abort();
        if (!WriteVerdata(a.at(2), p, a.at(1))) std::abort();
    });
}

void ReportGameDataMemory() {
    GameData& d = Data();
    const long long idle = PeakBytesOf({"idle"});
    AddMemoryLine("import of a whole map", PeakBytesOf({"import-map", d.map}) - idle, d.mapBytes, 2.0);
    AddMemoryLine("import of all art", PeakBytesOf({"import-art", d.art, d.artIdx}) - idle, d.artBytes, 2.0);
    const std::string patchFile = d.dir / "map.uop";
    if (!WritePatchFile(patchFile, d.mapPatch)) std::abort();
    AddMemoryLine("export of a whole map over the base", PeakBytesOf({"export", patchFile, d.base, d.dir / "m.mul"}) - idle,
                  d.exportBytes, 2.0);
}
