#include <gtest/gtest.h>

#include "codecs/art.h"
#include "codecs/colors.h"
#include "codecs/hues.h"
#include "gamefiles/block_source.h"
#include "gamefiles/compare.h"
#include "gamefiles/verdata.h"
#include "gamefiles/data_layout.h"
#include "gamefiles/whole_files.h"
#include "patch/FileTypes.h"
#include "test_support.h"

namespace {
using B = std::vector<std::uint8_t>;

// A static tile: header, width, height, line table, then each row's runs.
B StaticTile(int w, const std::vector<std::vector<B>>& rows) {
    B t, data;
    PutLE(t, 0, 4);
    PutLE(t, static_cast<std::uint32_t>(w), 2);
    PutLE(t, static_cast<std::uint32_t>(rows.size()), 2);
    for (const auto& runs : rows) {
        PutLE(t, static_cast<std::uint32_t>(data.size() / 2), 2);
        for (const B& r : runs) data.insert(data.end(), r.begin(), r.end());
    }
    t.insert(t.end(), data.begin(), data.end());
    return t;
}

B ArtRun(std::uint16_t offset, const std::vector<std::uint16_t>& colors) {
    B r;
    PutLE(r, offset, 2);
    PutLE(r, static_cast<std::uint32_t>(colors.size()), 2);
    for (auto c : colors) PutLE(r, c, 2);
    return r;
}

}  // namespace

TEST(Art, LandscapeTileIsADiamondOverTheBackground) {
    LongArray grid;
    ASSERT_TRUE(ArtRun2LongArray(B(2024, 0), grid));
    EXPECT_EQ(grid.width, 44);
    for (auto [x, y, cell] : {std::tuple{21, 0, 0}, {22, 0, 0}, {20, 0, kArtBackground}, {0, 0, kArtBackground},
                              {43, 43, kArtBackground}, {0, 21, 0}, {43, 21, 0}, {0, 22, 0}, {43, 22, 0}})
        EXPECT_EQ(grid.At(x, y), cell) << x << "," << y;
    EXPECT_FALSE(ArtRun2LongArray(B(2023, 0), grid));
}

TEST(Art, StaticTilesDrawTheirRunsWithinLimits) {
    B wide = StaticTile(3, {});
    wide[4] = 0x01, wide[5] = 0x08;  // width 2049
    B widest = wide;
    widest[4] = 0x00;  // width 2048, height 0
    B cut = StaticTile(3, {{ArtRun(0, {1, 2})}});
    cut.resize(cut.size() - 2);
    B reachesTheEnd;  // offset and length reach 2048: the row ends without drawing
    PutLE(reachesTheEnd, 2046, 2);
    PutLE(reachesTheEnd, 2, 2);
    const std::int32_t bg = kArtBackground;
    const struct {
        const char* name;
        B tile;
        bool drawn;
        int width, height;  // 0: not checked; an oversized tile leaves the grid as it was, 1 x 1
        std::vector<std::tuple<int, int, std::int32_t>> cells;
    } cases[] = {
        {"runs", StaticTile(3, {{ArtRun(1, {0x7C00, 0x001F}), ArtRun(0, {})}}), true, 4, 2,
         {{0, 0, bg}, {1, 0, Color16To32(0x7C00)}, {2, 0, Color16To32(0x001F)}, {3, 0, bg}, {0, 1, bg}, {3, 1, bg}}},
        {"later runs start after the one before", StaticTile(6, {{ArtRun(1, {1}), ArtRun(2, {2}), ArtRun(0, {})}}),
         true, 7, 2, {{1, 0, Color16To32(1)}, {2, 0, bg}, {4, 0, Color16To32(2)}}},
        {"too wide", wide, false, 1, 1, {}},
        {"widest", widest, true, 2049, 1, {}},
        {"run reaching 2048", StaticTile(3, {{reachesTheEnd}}), true, 4, 2, {{0, 0, bg}}},
        {"run past the width", StaticTile(1, {{ArtRun(1, {1, 2, 3}), ArtRun(0, {})}}), false, 0, 0, {}},
        {"cut", cut, false, 0, 0, {}},
        {"no header", B{1, 2, 3}, false, 0, 0, {}},
    };
    for (const auto& c : cases) {
        LongArray grid;
        grid.Reset(1, 1, 7);
        EXPECT_EQ(ArtRaw2LongArray(c.tile, grid), c.drawn) << c.name;
        if (c.width > 0) {
            EXPECT_EQ(std::pair(grid.width, grid.height), std::pair(c.width, c.height)) << c.name;
        }
        for (auto [x, y, cell] : c.cells) EXPECT_EQ(grid.At(x, y), cell) << c.name << " " << x << "," << y;
    }
    LongArray empty;
    Bytes none;
    EXPECT_FALSE(LongArray2ArtRun(empty, none));
}

TEST(Compare, AddsExactlyTheBlocksThatDiffer) {
    TempDir dir;
    WriteFileBytes(dir / "a.mul", {1, 2, 3, 4, 5, 6, 7});
    WriteFileBytes(dir / "b.mul", {1, 2, 3, 9, 5, 6, 7, 8});
    // Block 0 equal (flags differ), block 1 changed bytes, block 2 changed length,
    // block 3 absent in the altered file, block 4 absent in both; the altered
    // index goes on with a new block 5 and a damaged block 6.
    WriteFileBytes(dir / "a.idx", IndexBytes({{0, 2, 0}, {2, 2, 0}, {4, 1, 0}, {5, 2, 0}, {-1, -1, 0}}));
    WriteFileBytes(dir / "b.idx", IndexBytes({{0, 2, 0x00050006}, {2, 2, 0x00050006}, {4, 2, 0}, {-1, -1, 0},
                                              {-1, -1, 0}, {7, 1, 0}, {7, 5, 0}}));
    Patch p;
    const ImportResult r = CompareMuls(p, dir / "a.idx", dir / "a.mul", dir / "b.idx", dir / "b.mul", 4);
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(r.added, 4);
    EXPECT_EQ(r.absent, 1);
    EXPECT_EQ(r.damaged, 1);
    const struct {
        std::int32_t number, length;
        B bytes;
        std::int16_t flagA, flagB;
    } expected[] = {{1, 2, {3, 9}, 6, 5}, {2, 2, {5, 6}, 0, 0}, {3, -1, {}, 0, 0}, {5, 1, {8}, 0, 0}};
    ASSERT_EQ(p[4].Blocks.size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const PatchBlock& b = p[4].Blocks[i];
        const auto& e = expected[i];
        EXPECT_EQ(std::make_tuple(b.BlockNumber, b.Length(), b.FlagA, b.FlagB), std::make_tuple(e.number, e.length, e.flagA, e.flagB));
        EXPECT_EQ(B(b.ByteArray.begin(), b.ByteArray.end()), e.bytes) << e.number;
    }

    Patch same;
    EXPECT_EQ(CompareMuls(same, dir / "a.idx", dir / "a.mul", dir / "a.idx", dir / "a.mul", 4).added, 0);
    Patch failed;
    const ImportResult missing = CompareMuls(failed, dir / "x.idx", dir / "a.mul", dir / "b.idx", dir / "b.mul", 4);
    EXPECT_EQ(missing.error, "Unable to open " + (dir / "x.idx") + " and " + (dir / "a.mul") + ".");
    EXPECT_EQ(failed.LiveCount(), 0);
}

// Stopped after the first report, past the first few thousand blocks: the
// patch keeps only what it had and an existing target keeps its bytes.
TEST(Progress, EveryLongCommandStopsWhenAskedAndChangesNothing) {
    TempDir dir;
    constexpr std::int32_t kBlocks = 5000;
    std::vector<std::array<std::int32_t, 3>> entries;
    B mul(kBlocks), other(kBlocks);
    for (std::int32_t n = 0; n < kBlocks; ++n) {
        entries.push_back({n, 1, 0});
        mul[static_cast<std::size_t>(n)] = static_cast<std::uint8_t>(n);
        other[static_cast<std::size_t>(n)] = static_cast<std::uint8_t>(n + 1);
    }
    WriteFileBytes(dir / "a.idx", IndexBytes(entries));
    WriteFileBytes(dir / "a.mul", mul);
    WriteFileBytes(dir / "b.mul", other);
    const B oldTarget{7, 8, 9};
    WriteFileBytes(dir / "verdata.mul", oldTarget);

    std::vector<std::int64_t> seen;
    const Progress stopLater{[&](std::int64_t done, std::int64_t total) {
        seen.push_back(done);
        EXPECT_EQ(total, kBlocks);
        return done == 0;
    }};
    Patch full;
    ASSERT_EQ(ImportMulRange(full, dir / "a.idx", dir / "a.mul", 4, 0, INT32_MAX).added, kBlocks);
    const std::string a = dir / "a.idx", am = dir / "a.mul", bm = dir / "b.mul";
    const struct {
        const char* name;
        std::function<std::string(Patch&)> run;
    } cases[] = {
        {"import", [&](Patch& p) { return ImportMulRange(p, a, am, 4, 0, INT32_MAX, false, stopLater).error; }},
        {"import files", [&](Patch& p) { return ImportFromFiles(p, 4, am, a, 0, INT32_MAX, false, stopLater).error; }},
        {"compare", [&](Patch& p) { return CompareMuls(p, a, am, a, bm, 4, stopLater).error; }},
        {"compare files", [&](Patch& p) { return CompareFiles(p, 4, am, a, bm, a, stopLater).error; }},
        {"export", [&](Patch&) { return WriteVerdata(dir / "verdata.mul", "", full, stopLater); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        seen.clear();
        Patch p;
        p.AppendWithLength(9, 3, 2, B{5, 6}, 0, 0);
        EXPECT_EQ(c.run(p), kCancelled);
        EXPECT_EQ(seen, (std::vector<std::int64_t>{0, Progress::kEvery}));
        EXPECT_EQ(p.LiveCount(), 1);
        EXPECT_EQ(p[4].Blocks.size(), 0u);
        EXPECT_EQ(ReadFileBytes(dir / "verdata.mul"), oldTarget);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 4);
    }
}

TEST(Compare, HuesBlocksTakeTheirVerdataFormAndTiledataLayoutsMustMatch) {
    TempDir dir;
    B base(708 * 375, 0), altered = base;
    altered[708 * 3 + 10] = 0x42;
    WriteFileBytes(dir / "a.mul", base);
    WriteFileBytes(dir / "b.mul", altered);
    Patch p;
    ASSERT_EQ(CompareMuls(p, "", dir / "a.mul", "", dir / "b.mul", kHuesFileId).added, 1);
    const PatchBlock& b = p[kHuesFileId].Blocks[0];
    EXPECT_EQ(b.BlockNumber, 3);
    EXPECT_EQ(b.Length(), 1220);
    EXPECT_EQ(b.ByteArray, HuesToVerdataBytes(B(altered.begin() + 708 * 3, altered.begin() + 708 * 4)));

    WriteFileBytes(dir / "older.mul", B(512 * 836, 0));
    WriteFileBytes(dir / "newer.mul", B(512 * 964, 0));
    EXPECT_EQ(CompareMuls(p, "", dir / "older.mul", "", dir / "newer.mul", kTiledataFileId).error,
              "'" + (dir / "older.mul") + "' and '" + (dir / "newer.mul") + "' are tiledata files of different layouts.");
    EXPECT_EQ(p.LiveCount(), 1);
}

TEST(WholeFiles, ReplaceInPlaceAndRefuseAClientWithoutTheMarker) {
    TempDir dir;
    WriteFileBytes(dir / "readme1.txt", {'a'});
    WriteFileBytes(dir / "readme2.txt", {'b', 'c'});
    WriteFileBytes(dir / "client.exe", {'x', 'C', 'l', 'o', 's', 'e', 'G', 'u', 'm', 'p', 's', 'y'});
    WriteFileBytes(dir / "fake.exe", {'C', 'l', 'o', 's', 'e', 'g', 'u', 'm', 'p', 's'});
    WriteFileBytes(dir / "empty.mul", {});
    Patch p;
    ASSERT_EQ(AddWholeFile(p, 1, dir / "readme1.txt"), "");
    ASSERT_EQ(AddWholeFile(p, 1, dir / "readme2.txt"), "");
    EXPECT_EQ(p[252].Count(), 1);
    EXPECT_EQ(p[252].Blocks[0].ByteArray, (B{'b', 'c'}));
    EXPECT_EQ(p[252].Blocks[0].Length(), 2);

    EXPECT_EQ(AddWholeFile(p, 0, dir / "fake.exe"), kNotAClient);
    EXPECT_EQ(p[252].Count(), 1);
    ASSERT_EQ(AddWholeFile(p, 0, dir / "client.exe"), "");
    EXPECT_EQ(AddWholeFile(p, 0, dir / "fake.exe"), kNotAClient);
    EXPECT_EQ(p.FindLiveBlock(252, 0), 1);  // the valid client stays
    EXPECT_EQ(p[252].RemovedCount, 0);
    ASSERT_EQ(AddWholeFile(p, 2, dir / "empty.mul"), "");
    EXPECT_EQ(p[252].Blocks[2].Length(), 0);
    EXPECT_NE(AddWholeFile(p, 2, dir / "missing.mul"), "");
    EXPECT_EQ(p[252].Count(), 3);

    Patch q;
    ASSERT_EQ(LoadBlockFromDatafile(q, dir / "readme2.txt", 0, 7), "");
    ASSERT_EQ(LoadBlockFromDatafile(q, dir / "empty.mul", 0, 8), "");
    EXPECT_NE(LoadBlockFromDatafile(q, dir / "missing.dat", 0, 9), "");
    EXPECT_EQ(q[0].Count(), 2);
    EXPECT_EQ(q[0].Blocks[1].Length(), 0);
    EXPECT_TRUE(q[0].Blocks[1].IsLive());
}
