// The game's data files: index and data files, hues, radar colours, imports
// and comparisons of every kind of block, and whole files.
#include <gtest/gtest.h>

#include "codecs/art.h"
#include "codecs/colors.h"
#include "codecs/hues.h"
#include "gamefiles/forms/data_file.h"
#include "gamefiles/forms/data_layout.h"
#include "gamefiles/import.h"
#include "gamefiles/forms/verdata.h"
#include "gamefiles/forms/whole_files.h"
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
TEST(DataFile, CountsEveryIndexEntryThatBeginsAndRefusalsNameTheFilesAndCreateNothing) {
    TempDir dir;
    WriteFileBytes(dir / "d.mul", {1});
    const B index = IndexBytes({{0, 1, 0}, {0, 1, 0}, {0, 1, 0x00020001}});
    // Index bytes, entries counted, and whether the last of them is cut off.
    for (auto [bytes, count, cut] : {std::tuple{36, 3, false}, {18, 2, true}, {30, 3, true}, {0, 0, false}}) {
        WriteFileBytes(dir / "i.idx", B(index.begin(), index.begin() + bytes));
        DataFile m;
        ASSERT_TRUE(Ok(m.Open(dir / "d.mul", dir / "i.idx")));
        EXPECT_EQ(m.Count(), count) << bytes;
        EXPECT_EQ(std::pair(m.Load(3)->length, m.Load(-1)->length), std::pair(0, 0)) << bytes;  // beyond the index
        EXPECT_TRUE(count == 0 || m.Load(count - 1).has_value() != cut) << bytes;
        const Result<LoadedBlock> last = m.Load(2);
        EXPECT_TRUE(count < 3 || cut || std::tie(last->bytes, last->flagA, last->flagB) == std::make_tuple(B{1}, 1, 2));
    }
    for (const char* data : {"no.mul", "d.mul"})
        EXPECT_EQ(Why(DataFile().Open(dir / data, dir / "no.idx")),
                  "Unable to open " + (dir / "no.idx") + " and " + (dir / data) + ".");
    EXPECT_FALSE(std::filesystem::exists(dir / "no.mul") || std::filesystem::exists(dir / "no.idx"));
}

TEST(Hues, VerdataFormMovesEachEntryAndZeroesTheRestAndTheGroupFormTakesThemBack) {
    HuesBlock h;
    for (std::size_t i = 0; i < h.size(); ++i) h[i] = static_cast<std::uint8_t>(i % 251 + 1);
    VerdataHuesBlock v = ToVerdataHues(h);
    EXPECT_EQ(std::tuple(v[0] | v[1] | v[2] | v[3], v[156], v[1155]), std::tuple(0, h[92], h[707]));
    for (std::size_t i = 1156; i < 1220; ++i) ASSERT_EQ(v[i], 0) << i;
    for (std::size_t i = 0; i < 8; ++i) v[4 + 152 * i + 100] = 0x55;  // extra bytes are dropped
    HuesBlock expected = h;
    expected[0] = expected[1] = expected[2] = expected[3] = 0;
    EXPECT_EQ(ToHuesGroup(v), expected);
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
        const Result<ImportReport> r = ImportType(p, 4, {dir / "art.mul", dir / "art.idx"}, {c.from, c.to}, c.skipAbsent);
        ASSERT_TRUE(Ok(r));
        EXPECT_EQ(std::tie(r->added, r->absent, r->damaged, r->leftOut),
                  std::tuple(static_cast<std::int64_t>(c.slots.size()), c.absent, c.damaged, c.leftOut));
        ASSERT_TRUE(Ok(WritePatchFile(dir / "p.uop", p)));
        ASSERT_TRUE(Ok(ReadPatchFile(dir / "p.uop", back)));
        EXPECT_EQ(SlotsOf(back, 4), c.slots);
        EXPECT_TRUE(c.from > 0 || DataOf(back, 4).front() == B({1, 2}));
    }
    // Every index entry counts, beyond the catalogue's highest number too.
    Patch none;
    const std::int32_t entries = FileTypes()[kMultis].highestBlock + 10;
    std::vector<std::array<std::int32_t, 3>> index(static_cast<std::size_t>(entries), {-1, -1, 0});
    index.back() = {0, 3, 0};
    WriteFileBytes(dir / "multi.idx", IndexBytes(index));
    ASSERT_EQ(ImportType(none, kMultis, {dir / "art.mul", dir / "multi.idx"})->added, entries);
    EXPECT_EQ(std::tie(none[kMultis].blocks.back().number, none[kMultis].blocks.back().bytes),
              std::tuple(entries - 1, B{1, 2, 3}));
}

TEST(DataFileImport, TiledataIsCutIntoLandAndStaticGroupsByItsLayout) {
    // File size and land group size; 0: refused. The first is a real older file of 512 land and 512 static
    // groups; the third fits both layouts and neither is a power of two.
    for (const auto& [size, landGroup] : {std::pair<std::int64_t, std::int32_t>{1036288, 836}, {493568 + 1316 * 1024, 964},
                                          {601480, 836}, {428032, 836}, {1036289, 0}, {0, 0}}) {
        const Result<TiledataLayout> layout = TiledataLayoutOf(size, "t.mul");
        EXPECT_TRUE(landGroup == 0 ? !layout : layout && layout->landGroup == landGroup) << size;
    }
    TempDir dir;
    WriteFileBytes(dir / "odd.mul", B(100, 0));
    Patch p;
    EXPECT_TRUE(Has(Why(ImportType(p, kTiledata, {dir / "odd.mul", ""})), "not a tiledata"));
    EXPECT_EQ(p.LiveCount(), 0);
}

// Files without an index are cut by their layout, an index given is ignored,
// every block that begins in the file counts, the last short one is padded,
// none has flags, and hues become their verdata form.
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
        const Result<ImportReport> r = ImportType(p, c.fileId, {dir / "f.mul", "no-index-asked-for"}, {c.from});
        ASSERT_TRUE(Ok(r));
        ASSERT_EQ(r->added, c.added);
        if (c.added == 0) continue;
        B expected(file.begin() + static_cast<std::ptrdiff_t>(c.at),
                   file.begin() + static_cast<std::ptrdiff_t>(std::min(c.at + c.length, file.size())));
        expected.resize(c.length, 0);
        const PatchBlock* b = p.LiveBlock(c.fileId, c.number);
        ASSERT_TRUE(b);
        EXPECT_EQ(b->bytes, c.fileId == kHues ? HuesToVerdataBytes(expected) : expected);
        EXPECT_EQ(std::tuple(b->Length(), b->flagA, b->flagB),
                  std::tuple(static_cast<std::int32_t>(b->bytes.size()), std::int16_t{-1}, std::int16_t{-1}));
    }
}

// Two readings: the editor's fields round what they are given; the command
// line takes whole numbers only, so that no typo names another block.
TEST(UserNumbers, EditorNumbersRoundCommandLineNumbersAreWholeAndSignedOnlyWhereNegativeIsLegal) {
    const std::optional<std::int64_t> refused;
    struct Case {
        const char* text;
        std::optional<std::int64_t> editor, commandLine;  // the command line's within -32768..65535
    };
    const Case cases[] = {
        {"12", 12, 12},           {"007", 7, 7},            {"0x1F", 31, 31},        {"0X1f", 31, 31},
        {"&H1F", 31, 31},         {"&hffff", 65535, 65535}, {"-0x10", -16, -16},     {"-3", -3, -3},
        {" 12 ", 12, refused},    {"+7", 7, refused},       {"12.5", 12, refused},   {"13.5", 14, refused},
        {"1.4999", 1, refused},   {"1e3", 1000, refused},   {"0x-1", refused, refused}, {"12abc", refused, refused},
        {"", refused, refused},   {"0x", refused, refused}, {"&HZZ", refused, refused}, {"- 5", refused, refused},
        {"--5", refused, refused}, {"65536", 65536, refused}, {"99999999999999999999", refused, refused},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseEditorNumber(c.text), c.editor) << c.text;
        EXPECT_EQ(ParseCommandLineNumber(c.text, -32768, 65535), c.commandLine) << c.text;
    }
    EXPECT_EQ(std::tuple(ParseEditorNumber("65535", 0, 65535), ParseEditorNumber("65536", 0, 65535),
                         ParseEditorNumber("-1", 0, 65535), ParseCommandLineNumber("-0", 0, 65535),
                         ParseCommandLineNumber("0xFFFFFFFF", 0, INT64_MAX)),
              std::tuple(std::optional<std::int64_t>(65535), refused, refused, refused,
                         std::optional<std::int64_t>(4294967295)));
}

TEST(Art, LandTilesAreADiamondOverTheBackgroundStaticTilesDrawTheirRunsWithinLimits) {
    const std::int32_t bg = kArtBackground;
    const Result<ColorGrid> land = DecodeLandTile(B(2024, 0));
    ASSERT_TRUE(Ok(land));
    EXPECT_EQ(land->width, 44);
    for (auto [x, y, cell] : {std::tuple{21, 0, 0}, {22, 0, 0}, {20, 0, bg}, {0, 0, bg}, {43, 43, bg}, {0, 21, 0},
                              {43, 21, 0}, {0, 22, 0}, {43, 22, 0}})
        EXPECT_EQ(land->At(x, y), cell) << x << "," << y;
    EXPECT_FALSE(Ok(DecodeLandTile(B(2023, 0))));

    B wide = StaticTile(3, {{}});
    wide[4] = 0x01, wide[5] = 0x08;  // width 2049
    B widest = wide;
    widest[4] = 0x00;  // width 2048, one row without runs
    B cut = StaticTile(3, {{ArtRun(0, {1, 2})}});
    cut.resize(cut.size() - 2);
    B reachesTheEnd;  // offset and length reach 2048: the row ends without drawing
    PutLE(reachesTheEnd, 2046, 2);
    PutLE(reachesTheEnd, 2, 2);
    const struct {
        const char* name;
        B tile;
        int width, height;  // 0: refused
        std::vector<std::tuple<int, int, std::int32_t>> cells;
    } cases[] = {
        {"runs", StaticTile(3, {{ArtRun(1, {0x7C00, 0x001F}), ArtRun(0, {})}, {}}), 3, 2,
         {{0, 0, bg}, {1, 0, Color16To32(0x7C00)}, {2, 0, Color16To32(0x001F)}, {0, 1, bg}, {2, 1, bg}}},
        {"later runs start after the one before", StaticTile(6, {{ArtRun(1, {1}), ArtRun(2, {2}), ArtRun(0, {})}}),
         6, 1, {{1, 0, Color16To32(1)}, {2, 0, bg}, {4, 0, Color16To32(2)}, {5, 0, bg}}},
        {"too wide", wide, 0, 0, {}},
        {"no rows", StaticTile(3, {}), 0, 0, {}},
        {"widest", widest, 2048, 1, {}},
        {"run reaching 2048", StaticTile(3, {{reachesTheEnd}}), 3, 1, {{0, 0, bg}}},
        {"run past the width", StaticTile(1, {{ArtRun(1, {1, 2, 3}), ArtRun(0, {})}}), 0, 0, {}},
        {"cut", cut, 0, 0, {}},
        {"no header", B{1, 2, 3}, 0, 0, {}},
    };
    for (const auto& c : cases) {
        const Result<ColorGrid> tile = DecodeStaticTile(c.tile);
        ASSERT_EQ(tile.has_value(), c.width > 0) << c.name;
        if (!tile) continue;
        EXPECT_EQ(std::pair(tile->width, tile->height), std::pair(c.width, c.height)) << c.name;
        for (auto [x, y, cell] : c.cells) EXPECT_EQ(tile->At(x, y), cell) << c.name << " " << x << "," << y;
    }
}

// Hues compared take their verdata form: see the manifest of every operation.
TEST(Compare, AddsExactlyTheBlocksThatDifferInTheRangeOfFilesOfOneLayout) {
    TempDir dir;
    WriteFileBytes(dir / "a.mul", {1, 2, 3, 4, 5, 6, 7});
    WriteFileBytes(dir / "b.mul", {1, 2, 3, 9, 5, 6, 7, 8});
    // Block 0 equal (flags differ), block 1 changed bytes, block 2 changed length,
    // block 3 absent in the altered file, block 4 absent in both; the altered
    // index goes on with a new block 5 and a damaged block 6.
    WriteFileBytes(dir / "a.idx", IndexBytes({{0, 2, 0}, {2, 2, 0}, {4, 1, 0}, {5, 2, 0}, {-1, -1, 0}}));
    WriteFileBytes(dir / "b.idx", IndexBytes({{0, 2, 0x00050006}, {2, 2, 0x00050006}, {4, 2, 0}, {-1, -1, 0},
                                              {-1, -1, 0}, {7, 1, 0}, {7, 5, 0}}));
    const SourceFiles a{dir / "a.mul", dir / "a.idx"}, b{dir / "b.mul", dir / "b.idx"};
    Patch p, part, same;
    const Result<ImportReport> r = CompareBlocks(p, 4, a, b);
    ASSERT_TRUE(Ok(r));
    EXPECT_EQ(std::tie(r->added, r->absent, r->damaged), std::tuple(4, 1, 1));
    EXPECT_EQ(SlotsOf(p, 4), (std::vector<SlotFacts>{{1, 2, 6, 5}, {2, 2, 0, 0}, {3, -1, 0, 0}, {5, 1, 0, 0}}));
    EXPECT_EQ(DataOf(p, 4), (std::vector<B>{{3, 9}, {5, 6}, {}, {8}}));
    EXPECT_EQ(CompareBlocks(part, 4, a, b, {2, 4})->added, 2);
    EXPECT_EQ(CompareBlocks(same, 4, a, a)->added, 0);

    // Blocks larger than any read window are compared whole, the equal one and the changed one.
    std::mt19937 rng(5);
    B large = RandomBytes(rng, 10 << 20);
    WriteFileBytes(dir / "large.idx", IndexBytes({{0, 5 << 20, 0}, {5 << 20, 5 << 20, 0}}));
    WriteFileBytes(dir / "a.mul", large);
    large.back() ^= 1;
    WriteFileBytes(dir / "b.mul", large);
    Patch big;
    EXPECT_EQ(CompareBlocks(big, 4, {dir / "a.mul", dir / "large.idx"}, {dir / "b.mul", dir / "large.idx"})->added, 1);
    EXPECT_EQ(DataOf(big, 4), (std::vector<B>{B(large.begin() + (5 << 20), large.end())}));
    Patch failed;
    EXPECT_EQ(Why(CompareBlocks(failed, 4, {dir / "a.mul", dir / "x.idx"}, b)),
              "Unable to open " + (dir / "x.idx") + " and " + (dir / "a.mul") + ".");
    WriteFileBytes(dir / "older.mul", B(512 * 836, 0));
    WriteFileBytes(dir / "newer.mul", B(512 * 964, 0));
    EXPECT_EQ(Why(CompareBlocks(failed, kTiledata, {dir / "older.mul", ""}, {dir / "newer.mul", ""})),
              "'" + (dir / "older.mul") + "' and '" + (dir / "newer.mul") + "' are tiledata files of different layouts.");
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
    const SourceFiles a{dir / "a.mul", dir / "a.idx"}, b{dir / "b.mul", dir / "a.idx"};
    Patch full;
    ASSERT_EQ(ImportType(full, 4, a)->added, kBlocks);
    const std::pair<const char*, std::function<Status(Patch&)>> cases[] = {
        {"import", [&](Patch& p) { return StatusOf(ImportType(p, 4, a, {}, false, stopLater)); }},
        {"compare", [&](Patch& p) { return StatusOf(CompareBlocks(p, 4, a, b, {}, stopLater)); }},
        {"export", [&](Patch&) { return WriteVerdata(dir / "verdata.mul", full, "", stopLater); }},
    };
    for (const auto& [name, run] : cases) {
        SCOPED_TRACE(name);
        seen.clear();
        Patch p;
        p.AppendWithLength(9, 3, 2, B{5, 6}, 0, 0);
        const Status stopped = run(p);
        EXPECT_TRUE(!stopped && stopped.error().code == ErrorCode::kCancelled);
        EXPECT_EQ(seen, (std::vector<std::int64_t>{0, Progress::kEvery}));
        EXPECT_EQ(std::pair(p.LiveCount(), p[4].Count()), std::pair(std::int64_t{1}, 0));
        EXPECT_EQ(ReadFileBytes(dir / "verdata.mul"), oldTarget);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 4);
    }
}

TEST(WholeFiles, ReplaceInPlaceAndRefuseAClientWithoutTheMarker) {
    TempDir dir;
    WriteFileBytes(dir / "readme2.txt", {'b', 'c'});
    WriteFileBytes(dir / "client.exe", {'x', 'C', 'l', 'o', 's', 'e', 'G', 'u', 'm', 'p', 's', 'y'});
    WriteFileBytes(dir / "fake.exe", {'C', 'l', 'o', 's', 'e', 'g', 'u', 'm', 'p', 's'});
    WriteFileBytes(dir / "empty.mul", {});
    Patch p;
    ASSERT_TRUE(Ok(AddWholeFile(p, 1, dir / "readme2.txt")));
    EXPECT_EQ(Why(AddWholeFile(p, 0, dir / "fake.exe")), kNotAClient);
    ASSERT_TRUE(Ok(AddWholeFile(p, 0, dir / "client.exe")));
    EXPECT_EQ(Why(AddWholeFile(p, 0, dir / "fake.exe")), kNotAClient);  // the valid client stays
    ASSERT_TRUE(Ok(AddWholeFile(p, 2, dir / "empty.mul")));
    EXPECT_FALSE(Ok(AddWholeFile(p, 2, dir / "missing.mul")));
    EXPECT_EQ(SlotsOf(p, kFiles), (std::vector<SlotFacts>{{1, 2, 0, 0}, {0, 12, 0, 0}, {2, 0, 0, 0}}));
    EXPECT_EQ(p[kFiles].blocks[0].bytes, (B{'b', 'c'}));
    // A block loaded from an empty file is live without data.
    Patch q;
    ASSERT_TRUE(Ok(LoadBlockFromDatafile(q, 0, 8, dir / "empty.mul")));
    EXPECT_TRUE(q[0].blocks[0].IsLive() && q[0].blocks[0].Length() == 0);
}
