#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <numeric>

#include "codecs/file_ids.h"
#include "codecs/sha256.h"
#include "codecs/zlib_codec.h"
#include "gamefiles/convert.h"
#include "gamefiles/forms/form.h"
#include "gamefiles/forms/package.h"
#include "gamefiles/forms/package_names.h"
#include "gamefiles/read_ahead.h"
#include "io/json.h"
#include "cli_runner.h"
#include "test_support.h"

namespace {
// A block of a data file: no bytes for one without data.
struct Blk {
    B bytes;
    std::int16_t flagA = 0, flagB = 0;
};

// A data file and its index as the client's own tools write them: blocks in
// order, no gaps, (-1, -1, -1) for a block without data.
void WriteIndexed(const std::string& data, const std::string& index, const std::vector<Blk>& blocks) {
    B d, i;
    for (const Blk& b : blocks) {
        const bool has = !b.bytes.empty();
        PutLE(i, has ? static_cast<std::uint32_t>(d.size()) : 0xFFFFFFFFu, 4);
        PutLE(i, has ? static_cast<std::uint32_t>(b.bytes.size()) : 0xFFFFFFFFu, 4);
        PutLE(i, static_cast<std::uint16_t>(has ? b.flagA : -1), 2);
        PutLE(i, static_cast<std::uint16_t>(has ? b.flagB : -1), 2);
        d.insert(d.end(), b.bytes.begin(), b.bytes.end());
    }
    WriteFileBytes(data, d);
    WriteFileBytes(index, i);
}

// 16-byte multi rows: item, x, y, z, flag, extra.
B MultiRows(std::vector<std::array<std::uint32_t, 6>> rows, std::size_t rowSize = 16) {
    B out;
    for (const auto& r : rows) {
        for (int k = 0; k < 4; ++k) PutLE(out, r[static_cast<std::size_t>(k)], 2);
        PutLE(out, r[4], 4);
        if (rowSize == 16) PutLE(out, r[5], 4);
    }
    return out;
}

// Blocks of each type in the form a package gives back unchanged.
std::vector<Blk> BlocksOf(std::uint8_t fileId, std::mt19937& rng) {
    std::vector<Blk> blocks(7);
    for (std::int32_t n = 0; n < 7; ++n) {
        if (n == 2 || n == 5) continue;  // without data
        Blk& b = blocks[static_cast<std::size_t>(n)];
        if (fileId == kMultis) {
            b.bytes = MultiRows({{std::uint32_t(n + 1), 1, 2, 3, 0, 1}, {7, 0xFFFF, 5, 0x80, 1, 0}});
        } else {
            b.bytes = RandomBytes(rng, 40 + 13 * static_cast<std::size_t>(n));
        }
        if (fileId == kGumps) b.flagA = static_cast<std::int16_t>(n + 1), b.flagB = static_cast<std::int16_t>(2 * n + 3);
        if (fileId == kSound) b.flagA = static_cast<std::int16_t>(n + 1);
    }
    return blocks;
}

struct TypeFiles {
    std::uint8_t fileId;
    const char *data, *index, *package;
};
const TypeFiles kTypes[] = {{kArt, "art.mul", "artidx.mul", "artLegacyMUL.uop"},
                            {kGumps, "gumpart.mul", "gumpidx.mul", "gumpartLegacyMUL.uop"},
                            {kSound, "sound.mul", "soundidx.mul", "soundLegacyMUL.uop"},
                            {kMultis, "multi.mul", "multi.idx", "MultiCollection.uop"}};

std::uint32_t U32(const B& b, std::size_t at) { return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24; }
std::uint64_t U64(const B& b, std::size_t at) { return U32(b, at) | std::uint64_t{U32(b, at + 4)} << 32; }

ConvertOptions With(std::optional<std::uint32_t> version, EntryCompression compression) {
    ConvertOptions o;
    o.packageVersion = version;
    o.compression = compression;
    return o;
}
}  // namespace

TEST(Convert, RoundTripsEveryTypeBothVersionsAndEveryCompressionToTheSameBytes) {
    std::mt19937 rng(43);
    for (const TypeFiles& t : kTypes)
        for (const std::optional<std::uint32_t> version : {std::optional<std::uint32_t>(), std::optional(4u), std::optional(5u)})
            for (const EntryCompression c : {EntryCompression::kUsual, EntryCompression::kNone, EntryCompression::kZlib, EntryCompression::kZlib2}) {
                SCOPED_TRACE(std::string(t.data) + " v" + std::to_string(version.value_or(0)) + " c" + std::to_string(int(c)));
                TempDir dir;
                const std::vector<Blk> blocks = BlocksOf(t.fileId, rng);
                WriteIndexed(dir / t.data, dir / t.index, blocks);
                const auto packed = Convert({dir / t.data, dir / t.index, dir / t.package}, With(version, c));
                ASSERT_TRUE(Ok(packed));
                EXPECT_EQ(packed->files[0].written, 5);
                EXPECT_EQ(packed->files[0].empty, 2);
                EXPECT_TRUE(packed->lossy.empty()) << packed->lossy.front();
                Package package;
                ASSERT_TRUE(package.Open(dir / t.package));
                EXPECT_EQ(package.CountedEntries(), 5u);
                const auto unpacked = Convert({dir / t.package, dir / "back.mul", dir / "back.idx"});
                ASSERT_TRUE(Ok(unpacked));
                EXPECT_EQ(unpacked->files.size(), 2u);
                EXPECT_EQ(ReadFileBytes(dir / "back.mul"), ReadFileBytes(dir / t.data));
                EXPECT_EQ(ReadFileBytes(dir / "back.idx"), ReadFileBytes(dir / t.index));
                EXPECT_EQ(unpacked->files[1].sha256, Sha256Hex(ReadFileBytes(dir / "back.idx")));
            }
}

TEST(Convert, RoundTripsAMapOfTwoChunks) {
    std::mt19937 rng(7);
    for (const EntryCompression c : {EntryCompression::kUsual, EntryCompression::kZlib, EntryCompression::kZlib2}) {
        TempDir dir;
        const B map = RandomBytes(rng, (4096 + 9) * 196);
        WriteFileBytes(dir / "map0.mul", map);
        const auto packed = Convert({dir / "map0.mul", dir / "map0LegacyMUL.uop"}, With(std::nullopt, c));
        ASSERT_TRUE(Ok(packed));
        EXPECT_EQ(packed->files[0].written, 4096 + 9);
        Package package;
        ASSERT_TRUE(package.Open(dir / "map0LegacyMUL.uop"));
        ASSERT_EQ(package.Entries().size(), 2u);
        EXPECT_TRUE(package.Find(0xDBB7AFA433A3764B));  // build/map0legacymul/00000000.dat
        ASSERT_TRUE(Ok(Convert({dir / "map0LegacyMUL.uop", dir / "back0.mul"})));
        EXPECT_EQ(ReadFileBytes(dir / "back0.mul"), map);
    }
}

TEST(Convert, WritesPackagesAsTheClientsOwn) {
    TempDir dir;
    // Art: version 5, first table at 0x200, 1,000 slots, no entry headers, the Adler-32 of the stored bytes.
    WriteIndexed(dir / "art.mul", dir / "artidx.mul", {{}, {{1, 2, 3, 4}}});
    ASSERT_TRUE(Ok(Convert({dir / "art.mul", dir / "artidx.mul", dir / "artLegacyMUL.uop"})));
    const B art = ReadFileBytes(dir / "artLegacyMUL.uop");
    EXPECT_EQ(B(art.begin(), art.begin() + 12), HexBytes("4D 59 50 00 05 00 00 00 43 EC 23 FD"));
    EXPECT_EQ(U64(art, 12), 0x200u);
    EXPECT_EQ(U32(art, 20), 1000u);
    EXPECT_EQ(U32(art, 24), 1u);
    const std::size_t slot = 0x200 + 12;
    EXPECT_EQ(U32(art, slot + 8), 0u);  // header length
    EXPECT_EQ(U32(art, slot + 12), 4u);
    EXPECT_EQ(U64(art, slot + 20), 0x489F800D56FBDE36u);  // build/artlegacymul/00000001.tga
    EXPECT_EQ(U32(art, slot + 28), 0x0018000Bu);
    EXPECT_EQ(B(art.end() - 4, art.end()), (B{1, 2, 3, 4}));

    // Gumps: version 4, first table behind the header, 100 slots, 12-byte entry headers; gump 9834 under its seven-digit name.
    std::vector<Blk> gumps(9835);
    gumps[5] = {{1, 0, 0, 0, 0x1F, 0x7C, 2, 0}, 1, 2};
    gumps[9834] = {{9, 9, 9, 9}, 3, 4};
    WriteIndexed(dir / "gumpart.mul", dir / "gumpidx.mul", gumps);
    ASSERT_TRUE(Ok(Convert({dir / "gumpart.mul", dir / "gumpidx.mul", dir / "gumpartLegacyMUL.uop"})));
    const B gump = ReadFileBytes(dir / "gumpartLegacyMUL.uop");
    EXPECT_EQ(U32(gump, 4), 4u);
    EXPECT_EQ(U64(gump, 12), 0x28u);
    EXPECT_EQ(U32(gump, 20), 100u);
    EXPECT_EQ(U32(gump, 24), 2u);
    const std::size_t first = 0x28 + 12;
    EXPECT_EQ(U64(gump, first + 20), 0xB95B935A0EAFEB8Du);  // build/gumpartlegacymul/00000005.tga
    EXPECT_EQ(U64(gump, first + 34 + 20), 0x906142EFE9FDB38Au);
    const B header = HexBytes("03 00 08 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(U32(gump, first + 8), 12u);
    EXPECT_EQ(U32(gump, first + 28), Adler32(header));
    const std::size_t entry = U64(gump, first);
    EXPECT_EQ(B(gump.begin() + static_cast<std::ptrdiff_t>(entry), gump.begin() + static_cast<std::ptrdiff_t>(entry + 12 + 16)),
              HexBytes("03 00 08 00 00 00 00 00 00 00 00 00 02 00 00 00 01 00 00 00 01 00 00 00 1F 7C 02 00"));

    // Multis are stored as zlib streams.
    WriteIndexed(dir / "multi.mul", dir / "multi.idx", {{MultiRows({{5, 1, 2, 3, 0, 1}})}});
    const auto multis = Convert({dir / "multi.mul", dir / "multi.idx", dir / "MultiCollection.uop"});
    ASSERT_TRUE(Ok(multis));
    Package multi;
    ASSERT_TRUE(multi.Open(dir / "MultiCollection.uop"));
    ASSERT_TRUE(multi.Find(0x665FF35AC79D382B));
    EXPECT_EQ(multi.Find(0x665FF35AC79D382B)->flag, 1);
    ASSERT_EQ(multis->missing.size(), 1u);  // housing.bin, which data files cannot hold
    EXPECT_TRUE(Has(multis->missing[0], "build/multicollection/housing.bin"));
}

TEST(Convert, CarriesHousingFromTheBaseAndNamesWhatDataFilesCannotHold) {
    TempDir dir;
    const B housing = {0xAA, 0xBB, 0xCC};
    PackageWriter base;
    ASSERT_TRUE(base.Open(dir / "base.uop", 4, 100));
    base.Add("build/multicollection/000000.bin", HexBytes("00 00 00 00 00 00 00 00"), 1);
    base.Add("build/multicollection/housing.bin", housing, 1);
    ASSERT_TRUE(base.Commit());
    WriteIndexed(dir / "multi.mul", dir / "multi.idx", {{MultiRows({{1, 0, 0, 0, 1, 0}})}});
    ConvertOptions options;
    options.base = dir / "base.uop";
    const auto packed = Convert({dir / "multi.mul", dir / "multi.idx", dir / "MultiCollection.uop"}, options);
    ASSERT_TRUE(Ok(packed));
    EXPECT_TRUE(packed->missing.empty());
    Package written;
    ASSERT_TRUE(written.Open(dir / "MultiCollection.uop"));
    EXPECT_EQ(written.CountedEntries(), 2u);
    const PackageEntry* e = written.Find(0x126D1E99DDEDEE0A);
    ASSERT_TRUE(e);
    EXPECT_EQ(*written.Read(*e), housing);
    // Back into data files, housing.bin is named as left behind.
    const auto unpacked = Convert({dir / "MultiCollection.uop", dir / "m.mul", dir / "m.idx"});
    ASSERT_TRUE(Ok(unpacked));
    ASSERT_EQ(unpacked->missing.size(), 1u);
    EXPECT_TRUE(Has(unpacked->missing[0], "housing.bin"));
}

TEST(Convert, CountsAndNamesTheValuesTheOtherFormCannotHold) {
    TempDir dir;
    struct Case {
        std::uint8_t fileId;
        const char *data, *index;
        Blk block;
        B back;  // the block the package gives back
        std::int16_t flagA, flagB;
        const char* named;
    };
    const B rows = MultiRows({{1, 2, 3, 4, 1, 0}});
    const Case cases[] = {
        {kArt, "art.mul", "artidx.mul", {{1, 2, 3}, 7, 0}, {1, 2, 3}, 0, 0, "extra word (FlagA 7, FlagB 0) becomes 0"},
        {kSound, "sound.mul", "soundidx.mul", {{1, 2, 3}, 0, 0}, {1, 2, 3}, 1, 0, "becomes its serial 1"},
        {kMultis, "multi.mul", "multi.idx", {MultiRows({{1, 2, 3, 4, 1, 0}}, 12)}, rows, 0, 0, "rows of 12 bytes"},
        {kMultis, "multi.mul", "multi.idx", {MultiRows({{1, 2, 3, 4, 2, 0}})}, rows, 0, 0, "other than 0 and 1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.named);
        TempDir here;
        WriteIndexed(here / c.data, here / c.index, {c.block});
        const auto packed = Convert({here / c.data, here / c.index, here / "p.uop"}, [&] {
            ConvertOptions o;
            o.fileId = c.fileId;
            return o;
        }());
        ASSERT_TRUE(Ok(packed));
        EXPECT_EQ(packed->files[0].lossy, 1);
        ASSERT_EQ(packed->lossy.size(), 1u);
        EXPECT_TRUE(Has(packed->lossy[0], c.named));
        ASSERT_TRUE(Ok(Convert({here / "p.uop", here / "b.mul", here / "b.idx"}, [&] {
            ConvertOptions o;
            o.fileId = c.fileId;
            return o;
        }())));
        const B index = ReadFileBytes(here / "b.idx");
        ASSERT_EQ(index.size(), 12u);
        EXPECT_EQ(ReadFileBytes(here / "b.mul"), c.back);
        EXPECT_EQ(std::int16_t(index[8] | index[9] << 8), c.flagA);
        EXPECT_EQ(std::int16_t(index[10] | index[11] << 8), c.flagB);
    }
}

TEST(Convert, LeavesOutDamagedEntriesOnlyWhenAskedAndWritesNothingElse) {
    TempDir dir;
    // An index entry past the end of the data file.
    WriteFileBytes(dir / "art.mul", {1, 2, 3, 4});
    WriteFileBytes(dir / "artidx.mul", IndexBytes({{0, 4, 0}, {2, 100, 0}, {-1, -1, -1}}));
    const std::vector<std::string> words = {dir / "art.mul", dir / "artidx.mul", dir / "art.uop"};
    EXPECT_TRUE(Has(Convert(words), "1 damaged block"));
    EXPECT_EQ(FilesIn(dir.path()), 2u);
    ConvertOptions skip;
    skip.skipDamaged = true;
    const auto packed = Convert(words, skip);
    ASSERT_TRUE(Ok(packed));
    EXPECT_EQ(packed->files[0].leftOut, 1);
    EXPECT_EQ(packed->files[0].written, 1);
    EXPECT_TRUE(Has(packed->damaged[0], "block 1: "));

    // A package: an absent entry, one whose zlib stream is damaged, one that decodes.
    PackageWriter w;
    ASSERT_TRUE(w.Open(dir / "gumps.uop", 4, 100));
    w.Add("build/gumpartlegacymul/00000000.tga", HexBytes("01 00 00 00 01 00 00 00 AA BB"), 1);
    StoredEntry broken = StoreEntry(HexBytes("01 00 00 00 01 00 00 00 CC DD"), 1);
    broken.stored[4] ^= 0xFF;
    w.AddStored(PackageNameHash("build/gumpartlegacymul/00000002.tga"), broken);
    ASSERT_TRUE(w.Commit());
    const std::vector<std::string> back = {dir / "gumps.uop", dir / "g.mul", dir / "g.idx"};
    EXPECT_TRUE(Has(Convert(back), "--skip-damaged"));
    EXPECT_FALSE(std::filesystem::exists(dir / "g.mul"));
    const auto unpacked = Convert(back, skip);
    ASSERT_TRUE(Ok(unpacked));
    EXPECT_EQ(unpacked->files[0].written, 1);
    EXPECT_EQ(unpacked->files[0].empty, 1);
    EXPECT_EQ(unpacked->files[0].leftOut, 1);
    EXPECT_EQ(ReadFileBytes(dir / "g.idx"), IndexBytes({{0, 2, 0x00010001}, {-1, -1, -1}, {-1, -1, -1}}));
}

TEST(Convert, RefusalsWriteNothing) {
    TempDir dir;
    WriteIndexed(dir / "art.mul", dir / "artidx.mul", {{{1, 2}}});
    WriteFileBytes(dir / "taken.uop", {1});
    std::filesystem::create_directory(dir / "folder.uop");
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{dir / "art.mul", dir / "artidx.mul", dir / "taken.uop"}, "exists already"},
        {{dir / "art.mul", dir / "artidx.mul", dir / "folder.uop"}, "exists already"},
        {{dir / "art.mul", dir / "artidx.mul", dir / "art.mul"}, "exists already"},
        {{dir / "art.mul", dir / "artidx.mul", dir / "gumpartLegacyMUL.uop"}, "usual name of Gumps"},
        {{dir / "art.mul", dir / "artidx.mul"}, "2 sources and a package"},
        {{dir / "art.mul", dir / "artidx.mul", dir / "a.uop", dir / "b.uop"}, "4 files given"},
        {{dir / "taken.uop", dir / "x.uop"}, "Cannot tell what"},
    };
    for (const auto& [words, why] : cases) EXPECT_TRUE(Has(Convert(words), why)) << why;
    EXPECT_EQ(FilesIn(dir.path()), 4u);
}

TEST(ConvertDeathTest, AKillBetweenTheRenamesLeavesADataFileNoReaderTakesForAPair) {
    TempDir dir;
    WriteIndexed(dir / "art.mul", dir / "artidx.mul", {{{1, 2}}, {{3}}});
    ASSERT_TRUE(Ok(Convert({dir / "art.mul", dir / "artidx.mul", dir / "art.uop"})));
    const std::string data = dir / "out.mul", index = dir / "outidx.mul";
    EXPECT_EXIT(
        {
            ConvertOptions options;
            options.progress.report = [&](std::int64_t, std::int64_t) {
                if (std::filesystem::exists(data)) std::raise(SIGKILL);
                return true;
            };
            (void)Convert({dir / "art.uop", data, index}, options);
        },
        ::testing::KilledBySignal(SIGKILL), "");
    EXPECT_TRUE(std::filesystem::exists(data));
    EXPECT_FALSE(std::filesystem::exists(index));
    EXPECT_FALSE(OpenSource(kArt, {data, ""}));
    // The data file stands in the way of a second run until it is removed.
    EXPECT_TRUE(Has(Convert({dir / "art.uop", data, index}), "exists already"));
}

TEST(Convert, CommandLineReportsAsJsonAndExitsOnDamage) {
    TempDir dir;
    WriteFileBytes(dir / "art.mul", {1, 2, 3, 4});
    WriteFileBytes(dir / "artidx.mul", IndexBytes({{0, 4, 0}, {2, 100, 0}}));
    CliResult r = Cli(dir, "convert @art.mul @artidx.mul @art.uop");
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(Has(r.err, "1 damaged block"));
    r = Cli(dir, "convert --json --skip-damaged --package-version 4 --compression zlib @art.mul @artidx.mul @art.uop");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(Has(r.err, "Left out 1 damaged block"));
    const Json report = Json::parse(r.out);
    EXPECT_EQ(report["files"][0]["written"], 1);
    EXPECT_EQ(report["files"][0]["leftOut"], 1);
    EXPECT_EQ(report["files"][0]["sha256"], Sha256Hex(ReadFileBytes(dir / "art.uop")));
    Package p;
    ASSERT_TRUE(p.Open(dir / "art.uop"));
    EXPECT_EQ(p.Version(), 4u);
    EXPECT_EQ(p.Entries()[0].flag, 1);
    EXPECT_EQ(Cli(dir, "convert --compression zip @art.mul @artidx.mul @b.uop").code, 2);
    r = Cli(dir, "convert --type gumps @art.uop @g.mul @g.idx");
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(Has(r.err, "not of gumps"));
}

TEST(ReadAhead, GivesBlocksInOrderReservedInOrderWhateverTheLoadersAndBudget) {
    for (const auto& [loaders, ahead] : {std::pair{1, 1}, {2, 1}, {2, 1 << 20}, {3, 100}}) {
        std::vector<std::int32_t> reserved;
        std::atomic<int> loading = 0, mostAtOnce = 0;
        ReadAhead::Reserve reserve = [&](std::int32_t n) {
            reserved.push_back(n);
            return n % 97 == 5 ? Status(Error("past the budget")) : Status();
        };
        ReadAhead::Load load = [&](std::int32_t n) -> Result<SourceBlock> {
            mostAtOnce = std::max(mostAtOnce.load(), ++loading);
            Result<SourceBlock> b = n % 13 == 0 ? Result<SourceBlock>(Error("bad " + std::to_string(n)))
                                                : SourceBlock{n % 7, 0, 0, BlockBytes(Bytes(static_cast<std::size_t>(n % 7), static_cast<std::uint8_t>(n)))};
            --loading;
            return b;
        };
        // Runs of one block past 300 KB, else of up to 64.
        auto weigh = [](std::int32_t n) -> std::int64_t { return n % 10 == 0 ? 300 << 10 : 1; };
        {
            ReadAhead blocks(reserve, load, weigh, 999, ahead, loaders);
            for (std::int32_t n = 0; n <= 999; ++n) {
                const Result<SourceBlock> b = blocks.Next();
                if (n % 97 == 5) EXPECT_EQ(b.error().message, "past the budget") << n;
                else if (n % 13 == 0) EXPECT_EQ(b.error().message, "bad " + std::to_string(n));
                else EXPECT_EQ(B(b->bytes.begin(), b->bytes.end()), B(static_cast<std::size_t>(n % 7), static_cast<std::uint8_t>(n))) << n;
            }
        }
        std::vector<std::int32_t> all(1000);
        std::iota(all.begin(), all.end(), 0);
        EXPECT_EQ(reserved, all) << loaders;
        EXPECT_LE(mostAtOnce, loaders);
        // Left with blocks still to load, it stops its loaders rather than hang.
        ReadAhead early(reserve, load, weigh, 100000, ahead, loaders);
        EXPECT_EQ(early.Next().error().message, "bad 0");
    }
}
