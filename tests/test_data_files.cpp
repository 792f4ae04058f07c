// The game's data files: index and data files, hues, radar colours, imports
// and comparisons of every kind of block, and whole files.
#include <gtest/gtest.h>

#include "codecs/art.h"
#include "codecs/colors.h"
#include "codecs/hues.h"
#include "gamefiles/block_source.h"
#include "gamefiles/data_file.h"
#include "gamefiles/data_layout.h"
#include "gamefiles/import.h"
#include "gamefiles/radarcol.h"
#include "gamefiles/verdata.h"
#include "gamefiles/whole_files.h"
#include "patch/file_types.h"
#include "patch/patch_file.h"
#include "patch/user_numbers.h"
#include "test_support.h"

namespace {
B Sequence(std::size_t n) {
    B b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    return b;
}

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

// What each kind of index entry loads as is checked through the imports below.
TEST(DataFile, CountsEveryIndexEntryThatBeginsAndACutOffLastOneIsDamaged) {
    TempDir dir;
    WriteFileBytes(dir / "d.mul", {1});
    const B index = IndexBytes({{0, 1, 0}, {0, 1, 0}, {0, 1, 0x00020001}});
    // Index bytes, entries counted, and whether the last of them is cut off.
    for (auto [bytes, count, cut] : {std::tuple{36, 3, false}, {18, 2, true}, {30, 3, true}, {0, 0, false}}) {
        WriteFileBytes(dir / "i.idx", B(index.begin(), index.begin() + bytes));
        DataFile m;
        ASSERT_EQ(m.Open(dir / "i.idx", dir / "d.mul", 0), "");
        EXPECT_EQ(m.Count(), count) << bytes;
        EXPECT_EQ(std::pair(m.Load(3).length, m.Load(-1).length), std::pair(0, 0)) << bytes;  // beyond the index
        EXPECT_TRUE(count == 0 || m.Load(count - 1).damaged == cut) << bytes;
        const LoadedBlock last = m.Load(2);
        EXPECT_TRUE(count < 3 || cut || std::tie(last.bytes, last.flagA, last.flagB) == std::make_tuple(B{1}, 1, 2));
        m.Close();
        EXPECT_EQ(m.Count(), 0);
    }
}

TEST(DataFile, FilesWithoutIndexHoldEveryBlockThatBeginsInThemTheLastPadded) {
    TempDir dir;
    // File size, cut, blocks counted, and the length and start of the last block.
    const std::tuple<std::size_t, BlockCut, std::int32_t, std::int32_t, std::size_t> cases[] = {
        {0, {0, 4, 4}, 0, 0, 0}, {3, {0, 4, 4}, 1, 4, 0},  {8, {0, 4, 4}, 2, 4, 4},   {9, {0, 4, 4}, 3, 4, 8},
        {5, {2, 3, 5}, 2, 3, 3}, {7, {2, 3, 5}, 3, 5, 6},  {12, {2, 3, 5}, 4, 5, 11}};
    for (const auto& [size, cut, count, lastLength, lastStart] : cases) {
        const B data = Sequence(size);
        WriteFileBytes(dir / "f.mul", data);
        DataFile m;
        ASSERT_EQ(m.OpenCut(dir / "f.mul", cut), "");
        ASSERT_EQ(m.Count(), count) << size;
        EXPECT_EQ(m.Load(count).length, 0) << size;  // past the end: absent
        if (count == 0) continue;
        const LoadedBlock last = m.Load(count - 1);
        ASSERT_EQ(std::tie(last.length, last.flagA, last.flagB), std::tuple(lastLength, -1, -1)) << size;
        B expected(data.begin() + static_cast<std::ptrdiff_t>(lastStart), data.end());
        expected.resize(static_cast<std::size_t>(lastLength), 0);
        EXPECT_EQ(last.bytes, expected) << size;
    }
}

TEST(DataFile, RefusalsNameTheFilesAndCreateNothing) {
    TempDir dir;
    WriteFileBytes(dir / "hues.mul", Sequence(708 * 6));
    DataFile m;
    EXPECT_EQ(m.OpenCut(dir / "hues.mul", {0, 0, 4}), "Illegal block size.");
    ASSERT_EQ(m.Open("", dir / "hues.mul", 708), "");
    EXPECT_EQ(m.Open("", dir / "hues.mul", 708), " and " + (dir / "hues.mul") + " is allready opened.");

    DataFile missing;
    EXPECT_EQ(missing.Open(dir / "no.idx", dir / "no.mul", 0),
              "Unable to open " + (dir / "no.idx") + " and " + (dir / "no.mul") + ".");
    EXPECT_EQ(missing.Open(dir / "no.idx", dir / "hues.mul", 0),
              "Unable to open " + (dir / "no.idx") + " and " + (dir / "hues.mul") + ".");
    EXPECT_FALSE(std::filesystem::exists(dir / "no.mul") || std::filesystem::exists(dir / "no.idx"));
}

TEST(Hues, VerdataFormMovesEachEntryAndZeroesTheRestAndTheGroupFormTakesThemBack) {
    HuesBlock h;
    for (std::size_t i = 0; i < h.size(); ++i) h[i] = static_cast<std::uint8_t>(i % 251 + 1);
    h[0] = 0x12, h[1] = 0x34, h[2] = 0x56, h[3] = 0x78;
    VerdataHuesBlock v;
    v.fill(0xEE);
    HuesBlock2VerdataHuesBlock(h, v);
    EXPECT_EQ(v[0] | v[1] | v[2] | v[3], 0);
    EXPECT_EQ(v[156], h[92]);
    EXPECT_EQ(v[1155], h[707]);
    for (std::size_t i = 1156; i < 1220; ++i) ASSERT_EQ(v[i], 0) << i;

    for (std::size_t i = 0; i < 8; ++i) v[4 + 152 * i + 100] = 0x55;  // extra bytes are dropped
    HuesBlock back;
    VerdataHuesBlock2HuesBlock(v, back);
    HuesBlock expected = h;
    expected[0] = expected[1] = expected[2] = expected[3] = 0;
    EXPECT_EQ(back, expected);
    EXPECT_EQ(HuesToVerdataBytes(B(707, 0)), B{});
}

TEST(DataFileImport, EveryKindOfEntryIsKeptAsStoredOrLeftOutAndSurvivesSaveAndOpen) {
    TempDir dir;
    WriteFileBytes(dir / "art.mul", {1, 2, 3, 4});
    // Present, absent, length 0, negative length, negative offset, partly past the end, present.
    WriteFileBytes(dir / "art.idx", IndexBytes({{0, 2, 0x00090007}, {-1, -1, 0}, {0, 0, 0x00030002}, {0, -5, 0},
                                           {-4, 2, 0}, {2, 10, 0}, {2, 2, 0}}));
    struct Case {
        std::int32_t from, to;
        bool skipAbsent;
        std::vector<SlotFacts> slots;
        std::int64_t absent, damaged, leftOut;
    };
    const SlotFacts first{0, 2, 7, 9}, absent{1, -1, 0, 0}, empty{2, 0, 2, 3}, negative{3, -5, 0, 0}, last{6, 2, 0, 0};
    const Case cases[] = {
        {0, INT32_MAX, false, {first, absent, empty, negative, last}, 3, 2, 0},
        {0, INT32_MAX, true, {first, last}, 0, 2, 3},
        {2, 4, false, {empty, negative}, 2, 1, 0},
        {-9, 0, false, {first}, 0, 0, 0},
    };
    for (const Case& c : cases) {
        Patch p, back;
        const ImportResult r = ImportFromFiles(p, 4, dir / "art.mul", dir / "art.idx", c.from, c.to, c.skipAbsent);
        ASSERT_EQ(r.error, "");
        EXPECT_EQ(std::tie(r.added, r.absent, r.damaged, r.leftOut),
                  std::tuple(static_cast<std::int64_t>(c.slots.size()), c.absent, c.damaged, c.leftOut));
        ASSERT_EQ(WritePatchFile(dir / "p.uop", p), "");
        ASSERT_EQ(ReadPatchFile(dir / "p.uop", back, true, 0, 255, 0, kMaxBlockNumber), "");
        EXPECT_EQ(SlotsOf(back, 4), c.slots);
        EXPECT_TRUE(c.from > 0 || DataOf(back, 4).front() == B({1, 2}));
    }
    Patch none;
    EXPECT_NE(ImportFromFiles(none, 4, dir / "art.mul", dir / "nope.idx", 0, 10, false).error, "");
    EXPECT_EQ(none.LiveCount(), 0);
}

TEST(DataFileImport, TakesEveryIndexEntryBeyondTheCataloguesHighestNumber) {
    TempDir dir;
    const std::int32_t entries = FileTypes()[14].highestBlock + 10;  // multis
    std::vector<std::array<std::int32_t, 3>> index(static_cast<std::size_t>(entries), {-1, -1, 0});
    index.back() = {0, 3, 0};
    WriteFileBytes(dir / "multi.idx", IndexBytes(index));
    WriteFileBytes(dir / "multi.mul", {5, 6, 7});
    Patch p;
    ASSERT_EQ(ImportFromFiles(p, 14, dir / "multi.mul", dir / "multi.idx", 0, INT32_MAX, false).added, entries);
    EXPECT_EQ(std::tie(p[14].blocks.back().number, p[14].blocks.back().bytes), std::tuple(entries - 1, B{5, 6, 7}));
}

TEST(DataFileImport, BlocksPastTheCutOfATruncatedDataFileAreLeftOutNeverPadded) {
    TempDir dir;
    std::vector<std::array<std::int32_t, 3>> index;
    for (std::int32_t n = 0; n < 5; ++n) index.push_back({10 * n, 10, 0});
    WriteFileBytes(dir / "gumpidx.mul", IndexBytes(index));
    const B whole = Sequence(50);
    for (std::size_t cut : {0, 15, 30, 49, 50}) {
        WriteFileBytes(dir / "gumpart.mul", B(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
        Patch p;
        const ImportResult r = ImportFromFiles(p, kGumps, dir / "gumpart.mul", dir / "gumpidx.mul", 0, INT32_MAX, false);
        EXPECT_EQ(r.added, static_cast<std::int64_t>(cut / 10)) << cut;
        EXPECT_EQ(r.damaged, 5 - static_cast<std::int64_t>(cut / 10)) << cut;
        for (const PatchBlock& b : p[kGumps].blocks)
            EXPECT_EQ(b.bytes, B(whole.begin() + 10 * b.number, whole.begin() + 10 * b.number + 10));
    }
}

TEST(DataFileImport, TiledataIsCutIntoLandAndStaticGroupsByItsLayout) {
    // File size and land group size; 0: refused. The first is a real older file of 512 land and 512 static
    // groups; the third fits both layouts and neither is a power of two.
    for (const auto& [size, landGroup] : {std::pair<std::int64_t, std::int32_t>{1036288, 836}, {493568 + 1316 * 1024, 964},
                                          {601480, 836}, {428032, 836}, {1036289, 0}, {0, 0}}) {
        TiledataLayout layout{};
        const std::string e = TiledataLayoutOf(size, "t.mul", layout);
        EXPECT_TRUE(landGroup == 0 ? !e.empty() : e.empty() && layout.landGroup == landGroup) << size << e;
    }

    TempDir dir;
    WriteFileBytes(dir / "odd.mul", B(100, 0));
    Patch p;
    EXPECT_TRUE(Has(ImportFromFiles(p, kTiledata, dir / "odd.mul", "", 0, INT32_MAX, false).error, "not a tiledata"));
    EXPECT_EQ(p.LiveCount(), 0);
}

// Files without an index are cut by their layout, an index given is ignored,
// the last short block is padded, and hues become their verdata form.
TEST(DataFileImport, FilesWithoutIndexAreCutByTheirLayout) {
    TempDir dir;
    struct Case {
        std::uint8_t fileId;
        std::size_t size;
        std::int32_t from;
        std::int64_t added;
        std::int32_t number;     // the block checked: its bytes at `at`, padded to `length`
        std::size_t at, length;
    };
    const Case cases[] = {
        {kMap, 196 * 2 + 10, 0, 3, 2, 392, 196},
        {kMap, 0, 0, 0, 0, 0, 0},
        {kAnimdata, 548 * 2, 0, 2, 1, 548, 548},
        {kTiledata, 512 * 836 + 2 * 1188, 511, 3, 511, 511 * 836, 836},
        {kTiledata, 512 * 836 + 2 * 1188, 511, 3, 513, 512 * 836 + 1188, 1188},
        {kHues, 708 * 5, 3, 2, 3, 708 * 3, 708},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.fileId) + " " + std::to_string(c.number));
        const B file = Sequence(c.size);
        WriteFileBytes(dir / "f.mul", file);
        Patch p;
        const ImportResult r = ImportFromFiles(p, c.fileId, dir / "f.mul", "no-index-asked-for", c.from, INT32_MAX, false);
        ASSERT_EQ(r.error, "");
        ASSERT_EQ(r.added, c.added);
        if (c.added == 0) continue;
        B expected(file.begin() + static_cast<std::ptrdiff_t>(c.at),
                   file.begin() + static_cast<std::ptrdiff_t>(std::min(c.at + c.length, file.size())));
        expected.resize(c.length, 0);
        const auto& blocks = p[c.fileId].blocks;
        const auto b = std::find_if(blocks.begin(), blocks.end(),
                                    [&](const PatchBlock& x) { return x.number == c.number; });
        ASSERT_NE(b, blocks.end());
        EXPECT_EQ(b->bytes, c.fileId == kHues ? HuesToVerdataBytes(expected) : expected);
        EXPECT_EQ(b->Length(), static_cast<std::int32_t>(b->bytes.size()));
    }
}

TEST(RadarColors, ShortFilesLoadWhatTheyHold) {
    TempDir dir;
    WriteFileBytes(dir / "radarcol.mul", {0xFF, 0x7F, 0x1F, 0x00});
    std::vector<std::int32_t> colors(65536, 5);
    ASSERT_EQ(ReadRadarColors(dir / "radarcol.mul", colors), "");
    EXPECT_EQ(std::vector<std::int32_t>(colors.begin(), colors.begin() + 3),
              (std::vector<std::int32_t>{0xF8F8F8, 0xF80000, 0}));
    EXPECT_NE(ReadRadarColors(dir / "none.mul", colors), "");
    EXPECT_EQ(colors[0], 0xF8F8F8);
}

// One syntax for every number the user types, in the editor and on the command line.
TEST(UserNumbers, DecimalRoundedHalvesToEvenOrUnsignedHexadecimal) {
    const std::optional<std::int64_t> refused;
    const std::pair<const char*, std::optional<std::int64_t>> cases[] = {
        {" 12 ", 12}, {"-3", -3}, {"+7", 7}, {"12.5", 12}, {"13.5", 14}, {"1e3", 1000}, {"0x1F", 31},
        {"0X1f", 31}, {"&H1F", 31}, {"&hffff", 65535}, {"0xFFFF", 65535}, {"-0x10", -16},
        {"0xFFFFFFFF", 4294967295}, {"12abc", refused}, {"", refused}, {"0x", refused}, {"&HZZ", refused},
        {"- 5", refused}, {"1 2", refused}, {"--5", refused}, {"99999999999999999999", refused},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(ParseNumber(text), value) << text;
    EXPECT_EQ(std::tuple(ParseNumber("65535", 0, 65535), ParseNumber("65536", 0, 65535), ParseNumber("-1", 0, 65535)),
              std::tuple(std::optional<std::int64_t>(65535), refused, refused));
}

TEST(Art, LandscapeTileIsADiamondOverTheBackground) {
    ColorGrid grid;
    ASSERT_TRUE(DecodeLandTile(B(2024, 0), grid));
    EXPECT_EQ(grid.width, 44);
    for (auto [x, y, cell] : {std::tuple{21, 0, 0}, {22, 0, 0}, {20, 0, kArtBackground}, {0, 0, kArtBackground},
                              {43, 43, kArtBackground}, {0, 21, 0}, {43, 21, 0}, {0, 22, 0}, {43, 22, 0}})
        EXPECT_EQ(grid.At(x, y), cell) << x << "," << y;
    EXPECT_FALSE(DecodeLandTile(B(2023, 0), grid));
}

TEST(Art, StaticTilesDrawTheirRunsWithinLimits) {
    B wide = StaticTile(3, {{}});
    wide[4] = 0x01, wide[5] = 0x08;  // width 2049
    B widest = wide;
    widest[4] = 0x00;  // width 2048, one row without runs
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
        {"runs", StaticTile(3, {{ArtRun(1, {0x7C00, 0x001F}), ArtRun(0, {})}, {}}), true, 3, 2,
         {{0, 0, bg}, {1, 0, Color16To32(0x7C00)}, {2, 0, Color16To32(0x001F)}, {0, 1, bg}, {2, 1, bg}}},
        {"later runs start after the one before", StaticTile(6, {{ArtRun(1, {1}), ArtRun(2, {2}), ArtRun(0, {})}}),
         true, 6, 1, {{1, 0, Color16To32(1)}, {2, 0, bg}, {4, 0, Color16To32(2)}, {5, 0, bg}}},
        {"too wide", wide, false, 1, 1, {}},
        {"no rows", StaticTile(3, {}), false, 1, 1, {}},
        {"widest", widest, true, 2048, 1, {}},
        {"run reaching 2048", StaticTile(3, {{reachesTheEnd}}), true, 3, 1, {{0, 0, bg}}},
        {"run past the width", StaticTile(1, {{ArtRun(1, {1, 2, 3}), ArtRun(0, {})}}), false, 0, 0, {}},
        {"cut", cut, false, 0, 0, {}},
        {"no header", B{1, 2, 3}, false, 0, 0, {}},
    };
    for (const auto& c : cases) {
        ColorGrid grid;
        grid.Reset(1, 1, 7);
        EXPECT_EQ(DecodeStaticTile(c.tile, grid), c.drawn) << c.name;
        if (c.width > 0) {
            EXPECT_EQ(std::pair(grid.width, grid.height), std::pair(c.width, c.height)) << c.name;
        }
        for (auto [x, y, cell] : c.cells) EXPECT_EQ(grid.At(x, y), cell) << c.name << " " << x << "," << y;
    }
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
    const ImportResult r = CompareFiles(p, 4, dir / "a.mul", dir / "a.idx", dir / "b.mul", dir / "b.idx");
    ASSERT_EQ(r.error, "");
    EXPECT_EQ(std::tie(r.added, r.absent, r.damaged), std::tuple(4, 1, 1));
    EXPECT_EQ(SlotsOf(p, 4), (std::vector<SlotFacts>{{1, 2, 6, 5}, {2, 2, 0, 0}, {3, -1, 0, 0}, {5, 1, 0, 0}}));
    EXPECT_EQ(DataOf(p, 4), (std::vector<B>{{3, 9}, {5, 6}, {}, {8}}));

    Patch same;
    EXPECT_EQ(CompareFiles(same, 4, dir / "a.mul", dir / "a.idx", dir / "a.mul", dir / "a.idx").added, 0);
    // Blocks larger than any read window are compared whole, the equal one and the changed one.
    std::mt19937 rng(5);
    B large = RandomBytes(rng, 10 << 20);
    WriteFileBytes(dir / "large.idx", IndexBytes({{0, 5 << 20, 0}, {5 << 20, 5 << 20, 0}}));
    WriteFileBytes(dir / "a.mul", large);
    large.back() ^= 1;
    WriteFileBytes(dir / "b.mul", large);
    Patch big;
    EXPECT_EQ(CompareFiles(big, 4, dir / "a.mul", dir / "large.idx", dir / "b.mul", dir / "large.idx").added, 1);
    EXPECT_EQ(DataOf(big, 4), (std::vector<B>{B(large.begin() + (5 << 20), large.end())}));
    Patch failed;
    const ImportResult missing = CompareFiles(failed, 4, dir / "a.mul", dir / "x.idx", dir / "b.mul", dir / "b.idx");
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
    ASSERT_EQ(ImportFromFiles(full, 4, dir / "a.mul", dir / "a.idx", 0, INT32_MAX, false).added, kBlocks);
    const std::string a = dir / "a.idx", am = dir / "a.mul", bm = dir / "b.mul";
    const std::pair<const char*, std::function<std::string(Patch&)>> cases[] = {
        {"import", [&](Patch& p) { return ImportFromFiles(p, 4, am, a, 0, INT32_MAX, false, stopLater).error; }},
        {"import files", [&](Patch& p) { return ImportFromFiles(p, 4, am, a, 0, INT32_MAX, false, stopLater).error; }},
        {"compare", [&](Patch& p) { return CompareFiles(p, 4, am, a, bm, a, stopLater).error; }},
        {"compare files", [&](Patch& p) { return CompareFiles(p, 4, am, a, bm, a, stopLater).error; }},
        {"export", [&](Patch&) { return WriteVerdata(dir / "verdata.mul", "", full, stopLater); }},
    };
    for (const auto& [name, run] : cases) {
        SCOPED_TRACE(name);
        seen.clear();
        Patch p;
        p.AppendWithLength(9, 3, 2, B{5, 6}, 0, 0);
        EXPECT_EQ(run(p), kCancelled);
        EXPECT_EQ(seen, (std::vector<std::int64_t>{0, Progress::kEvery}));
        EXPECT_EQ(std::pair(p.LiveCount(), p[4].Count()), std::pair(std::int64_t{1}, 0));
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
    ASSERT_EQ(CompareFiles(p, kHues, dir / "a.mul", "", dir / "b.mul", "").added, 1);
    const PatchBlock& b = p[kHues].blocks[0];
    EXPECT_EQ(b.number, 3);
    EXPECT_EQ(b.Length(), 1220);
    EXPECT_EQ(b.bytes, HuesToVerdataBytes(B(altered.begin() + 708 * 3, altered.begin() + 708 * 4)));

    WriteFileBytes(dir / "older.mul", B(512 * 836, 0));
    WriteFileBytes(dir / "newer.mul", B(512 * 964, 0));
    EXPECT_EQ(CompareFiles(p, kTiledata, dir / "older.mul", "", dir / "newer.mul", "").error,
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
    ASSERT_EQ(AddWholeFile(p, 1, dir / "readme2.txt"), "");  // replaced in place
    EXPECT_EQ(AddWholeFile(p, 0, dir / "fake.exe"), kNotAClient);
    ASSERT_EQ(AddWholeFile(p, 0, dir / "client.exe"), "");
    EXPECT_EQ(AddWholeFile(p, 0, dir / "fake.exe"), kNotAClient);  // the valid client stays
    ASSERT_EQ(AddWholeFile(p, 2, dir / "empty.mul"), "");
    EXPECT_NE(AddWholeFile(p, 2, dir / "missing.mul"), "");
    EXPECT_EQ(SlotsOf(p, 252), (std::vector<SlotFacts>{{1, 2, 0, 0}, {0, 12, 0, 0}, {2, 0, 0, 0}}));
    EXPECT_EQ(p[252].blocks[0].bytes, (B{'b', 'c'}));

    Patch q;
    ASSERT_EQ(LoadBlockFromDatafile(q, dir / "readme2.txt", 0, 7), "");
    ASSERT_EQ(LoadBlockFromDatafile(q, dir / "empty.mul", 0, 8), "");
    EXPECT_NE(LoadBlockFromDatafile(q, dir / "missing.dat", 0, 9), "");
    EXPECT_EQ(SlotsOf(q, 0), (std::vector<SlotFacts>{{7, 2, 0, 0}, {8, 0, 0, 0}}));
    EXPECT_TRUE(q[0].blocks[1].IsLive());
}
