#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "codecs/second_stage.h"
#include "codecs/zlib_codec.h"
#include "gamefiles/forms/block_source.h"
#include "gamefiles/forms/data_layout.h"
#include "gamefiles/forms/form.h"
#include "gamefiles/forms/package.h"
#include "gamefiles/forms/package_blocks.h"
#include "gamefiles/forms/package_names.h"
#include "gamefiles/forms/package.h"
#include "gamefiles/forms/verdata.h"
#include "patch/file_types.h"
#include "patch/patch_file.h"
#include "cli_runner.h"
#include "test_support.h"

namespace {
// One table at 0x28 right behind the header, the entries behind the table.
struct RawSlot {
    std::uint64_t hash = 0;
    std::uint16_t flag = 0;
    B stored;
    std::uint32_t decoded = 0;
    bool sharesFirst = false;  // points at the first entry's stored bytes
};
B RawPackage(const std::vector<RawSlot>& entries) {
    const auto n = static_cast<std::uint32_t>(entries.size());
    B out;
    for (std::uint32_t v : {0x0050594Du, 5u, 0xFD23EC43u, 0x28u, 0u, n, n, 0u, 0u, 0u, n, 0u, 0u}) PutLE(out, v, 4);
    const std::uint32_t first = 52 + 34 * n;
    std::uint32_t at = first;
    for (const RawSlot& s : entries) {
        const auto size = static_cast<std::uint32_t>((s.sharesFirst ? entries[0] : s).stored.size());
        for (std::uint32_t v : {s.sharesFirst ? first : at, 0u, 0u, size, s.decoded, static_cast<std::uint32_t>(s.hash),
                                static_cast<std::uint32_t>(s.hash >> 32), 0u})
            PutLE(out, v, 4);
        PutLE(out, s.flag, 2);
        at += s.sharesFirst ? 0 : size;
    }
    for (const RawSlot& s : entries) out.insert(out.end(), s.stored.begin(), s.stored.end());
    return out;
}

RawSlot Stored(const std::string& name, const B& payload) {
    return {PackageNameHash(name), 0, payload, static_cast<std::uint32_t>(payload.size())};
}


std::string CliText(const std::vector<std::string>& args, int expected) {
    const CliResult r = Cli(args);
    EXPECT_EQ(r.code, expected) << r.err;
    return r.out + r.err;
}
}  // namespace

TEST(PackageNames, HashTheTestVectors) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0x126D1E99DDEDEE0A, "build/multicollection/housing.bin"}, {0x906142EFE9FDB38A, "build/gumpartlegacymul/0009834.tga"},
        {0x99361F7D3A53AEA8, "build/artlegacymul/00000000.tga"}, {0x2B323AA4D0FCED19, "build/artlegacymul/00016384.tga"},
        {0xB95B935A0EAFEB8D, "build/gumpartlegacymul/00000005.tga"}, {0xCB36450C320CD308, "build/soundlegacymul/00000000.dat"},
        {0x665FF35AC79D382B, "build/multicollection/000000.bin"}, {0xDBB7AFA433A3764B, "build/map0legacymul/00000000.dat"},
        {0xA357E0163076AE09, "build/animationsequence/00000000.bin"}, {0xCE7226E617770551, "Four score and seven years ago"},
        {0xDEADBEEFDEADBEEF, ""},
    };
    for (const auto& [hash, name] : cases) EXPECT_EQ(PackageNameHash(name), hash) << name;
}

TEST(SecondStage, MatchesTheWorkedExampleBothWays) {
    B expected(1044, 0);
    expected[0] = 0x36, expected[1] = 0x9A, expected[2] = 0x2C, expected[3] = 0x8E;
    for (auto [at, v] : {std::pair{388, 5}, {389, 1}, {392, 3}, {393, 1}, {396, 3}, {397, 1}, {400, 1}, {401, 1},
                         {456, 2}, {457, 1}})
        expected[static_cast<std::size_t>(4 + at)] = static_cast<std::uint8_t>(v);
    const B tail = HexBytes("00 01 02 00 01 01 05 02 01 05 01 04 00 00 00 00");
    std::copy(tail.begin(), tail.end(), expected.begin() + 4 + 1024);

    const std::string text = "abracadabra";
    const B payload(text.begin(), text.end()), deflated = HexBytes(
        "78 DA 33 9B A5 D3 C7 30 0A 06 1C B0 32 32 30 30 43 31 23 23 79 66 30 31 8E 86 E3 28 20"
        " 03 30 32 01 D3 1C 2B 13 23 2B 23 0B 88 0B 00 78 B0 01 B5");
    EXPECT_EQ(ApplySecondStage(payload), expected);
    bool given = false;
    const B stream = InflateExact([&] { return given ? ByteView{} : (given = true, ByteView(deflated)); }, 1044).value();
    EXPECT_EQ(stream, expected);
    EXPECT_EQ(UndoSecondStage(stream).value(), payload);

    // Long, skewed and all-values payloads survive the round trip, and so
    // do 17 values, whose ranks straddle the 16 the decoder moves at once.
    std::mt19937 rng(3);
    B seventeen = RandomBytes(rng, 5000);
    for (auto& b : seventeen) b %= 17;
    for (B p : {B{}, B{7}, RandomBytes(rng, 5000), B(3000, 9), seventeen}) {
        for (std::size_t i = 0; i < p.size(); i += 3) p[i] = static_cast<std::uint8_t>(i % 5);
        EXPECT_EQ(UndoSecondStage(ApplySecondStage(p)).value(), p);
    }
}

TEST(GamePackage, ReadsTheNinetyByteVectorAndGumpsOfFlag3AndOfSevenDigitNames) {
    TempDir dir;
    WriteFileBytes(dir / "art.uop", HexBytes(
        "4D 59 50 00 05 00 00 00 43 EC 23 FD 28 00 00 00 00 00 00 00 01 00 00 00 01 00 00 00 00 00 00 00"
        " 00 00 00 00 00 00 00 00 01 00 00 00 00 00 00 00 00 00 00 00 56 00 00 00 00 00 00 00 00 00 00 00"
        " 04 00 00 00 04 00 00 00 36 DE FB 56 0D 80 9F 48 0B 00 18 00 00 00 01 02 03 04"));
    // Its one entry holds block 1; block 0 before it is absent.
    Patch patch;
    const Result<ImportReport> r = ImportType(patch, kArt, {dir / "art.uop", ""});
    EXPECT_EQ(std::tie(r->added, r->absent), std::tuple(2, 1));
    EXPECT_EQ(SlotsOf(patch, kArt), (std::vector<SlotFacts>{{0, -1, 0, 0}, {1, 4, 0, 0}}));
    EXPECT_EQ(patch[kArt].blocks[1].bytes, (B{1, 2, 3, 4}));

    const B gump = HexBytes("78 DA D3 9D A5 D3 C7 C5 C8 C0 C0 0C C4 8C 40 4C 6F C0 3C 00 76 8E 74 C0 38 1A E6 A3 00 35"
                            " 3D 40 10 0B 33 33 33 2B 0B 23 13 48 10 00 84 A5 01 B8");
    WriteFileBytes(dir / "gump.uop", RawPackage({{0xB95B935A0EAFEB8D, 3, gump, 1049}}));
    Patch gumps;
    ASSERT_TRUE(Ok(ImportType(gumps, kGumps, {dir / "gump.uop", ""})));
    const PatchBlock& g = gumps[kGumps].blocks.back();
    EXPECT_EQ(std::tie(g.number, g.flagA, g.flagB), std::tuple(5, 1, 2));
    EXPECT_EQ(g.bytes, HexBytes("01 00 00 00 1F 7C 02 00"));
    // A gump's name may have seven digits; placeholders of no size and absent blocks are left out.
    WriteFileBytes(dir / "g.uop",
                   RawPackage({Stored("build/gumpartlegacymul/0009834.tga", HexBytes("03 00 00 00 02 00 00 00 AA BB")),
                               Stored("build/gumpartlegacymul/00000004.tga", HexBytes("00 00 00 00 05 00 00 00"))}));
    Patch named;
    const Result<ImportReport> read = ImportType(named, kGumps, {dir / "g.uop", ""}, {}, true);
    ASSERT_TRUE(Ok(read));
    EXPECT_EQ(std::tie(read->added, read->leftOut), std::tuple(1, 9834));
    const PatchBlock& seven = named[kGumps].blocks[0];
    EXPECT_EQ(std::tie(seven.number, seven.flagA, seven.flagB), std::tuple(9834, 2, 3));

    RunSteps(dir, {{"package @art.uop", 0, dir / "art.uop" + ": version 5, 1 tables, 1 entries\nhash flag stored decoded name\n"
                                          "489F800D56FBDE36 0 4 4 build/artlegacymul/00000001.tga\n"},
                   {"list @art.uop", 1, "palindra-cli package lists its entries."}});
    const QJsonObject first = QJsonDocument::fromJson(QByteArray::fromStdString(CliText(
        {"package", dir / "art.uop", "--json"}, 0))).object()["entries"].toArray()[0].toObject();
    EXPECT_EQ(std::tuple(first["hash"].toString(), first["name"].toString(), first["decoded"].toInt()),
              std::tuple(QString("489F800D56FBDE36"), QString("build/artlegacymul/00000001.tga"), 4));
}

// Each kind written as a package (every flag, both versions, empty slots,
// chained tables) imports exactly as the same blocks from a data file and index.
// Every file type from every form it comes in: its data file (with its index
// where it has one), its package where it has one, a verdata and a patch
// project file, whatever the names say. Each gives the blocks of the data
// file; a Git LFS pointer in place of any file is refused.
TEST(Forms, EveryFileTypeReadsTheSameFromEveryFormItComesIn) {
    TempDir dir;
    std::mt19937 rng(5);
    const B multi = HexBytes("10 00 FF FF 02 00 05 00 01 00 00 00 01 00 00 00 11 00 01 00 FE FF 00 00 00 00 00 00 00 00 00 00"),
            multiEntry = HexBytes("00 00 00 00 02 00 00 00 10 00 FF FF 02 00 05 00 00 01 01 00 00 00 AA BB CC DD"
                                  " 11 00 01 00 FE FF 00 00 01 00 00 00 00 00");
    WriteFileBytes(dir / "pointer", kLfsPointer);
    for (std::uint8_t fileId = 0; fileId <= 200; ++fileId) {
        const FileTypeEntry& type = FileTypes()[fileId];
        if (type.name.empty()) continue;
        SCOPED_TRACE(type.name);
        const LegacyScheme* scheme = SchemeOfFileId(fileId);
        PackageWriter writer;
        ASSERT_TRUE(Ok(writer.Open(dir / "package", fileId == kGumps ? 4 : 5, 3)));
        const std::uint16_t flag = fileId == kGumps ? 3 : fileId == kMap ? 0 : 1;
        B data;
        std::vector<std::array<std::int32_t, 3>> index;
        if (fileId == kMap) {  // the second chunk first, an empty slot between
            data = RandomBytes(rng, (4096 + 10) * 196);
            writer.Add(LegacyName(scheme->formats[0], 1), B(data.begin() + 4096 * 196, data.end()), flag);
            writer.AddEmptySlot();
            writer.Add(LegacyName(scheme->formats[0], 0), B(data.begin(), data.begin() + 4096 * 196), flag);
        } else if (type.fixedBlockSize > 0) {  // tiledata: all land groups and two static groups
            data = RandomBytes(rng, fileId == kTiledata ? 512 * 836 + 2 * 1188 : 3 * type.fixedBlockSize + 5);
        }
        for (std::uint32_t i = 0; type.fixedBlockSize <= 0 && i < 8; ++i) {
            if (i == 2 || i == 5) {  // absent blocks, one with an empty slot in the package
                index.push_back({-1, -1, 0});
                if (i == 5) writer.AddEmptySlot();
                continue;
            }
            B block = RandomBytes(rng, 20 + i * 16), payload = block;
            std::uint32_t extra = fileId == 8 ? i + 1 : 0x00070003;
            if (fileId == kGumps) {
                payload.insert(payload.begin(), 8, 0);
                PutLE32(payload.data(), 300 + i);  // width, then height
                PutLE32(payload.data() + 4, 40 + i);
                extra = ((300 + i) << 16) | (40 + i);
            } else if (fileId == 14) {  // two tiles: one visible with an id list, one invisible with bit 0x100
                block = multi, payload = multiEntry;
                block[0] = payload[0] = payload[8] = static_cast<std::uint8_t>(i);
            }
            if (scheme) extra = fileId == 8 ? i + 1 : fileId == kGumps ? extra : 0;
            index.push_back({static_cast<std::int32_t>(data.size()), static_cast<std::int32_t>(block.size()),
                             static_cast<std::int32_t>(extra)});
            data.insert(data.end(), block.begin(), block.end());
            if (scheme) writer.Add(LegacyName(scheme->formats[0], i), payload, flag);
        }
        ASSERT_TRUE(Ok(writer.Commit()));
        WriteFileBytes(dir / "data", data);
        WriteFileBytes(dir / "index", IndexBytes(index));
        const bool indexed = type.fixedBlockSize <= 0;
        const SourceFiles plain{dir / "data", indexed ? dir / "index" : ""};
        Patch reference, refused;
        ASSERT_TRUE(Ok(ImportType(reference, fileId, plain)));
        ASSERT_GT(reference.LiveCount(), 2);
        ASSERT_TRUE(Ok(WriteVerdata(dir / "verdata", reference)));
        ASSERT_TRUE(Ok(WritePatchFile(dir / "patch", reference)));

        std::vector<std::pair<SourceFiles, Form>> forms = {
            {{dir / "verdata", ""}, Form::kVerdata}, {{dir / "patch", ""}, Form::kPatchFile},
            {plain, indexed ? Form::kIndexed : Form::kSlots}};
        if (scheme) forms.push_back({{dir / "package", ""}, Form::kPackage});
        for (const auto& [files, form] : forms) {
            SCOPED_TRACE(files.data);
            Result<std::unique_ptr<BlockSource>> source = OpenSource(fileId, files);
            ASSERT_TRUE(Ok(source));
            EXPECT_EQ((*source)->GetForm(), form);
            Patch p;
            ASSERT_TRUE(Ok(ImportType(p, fileId, files)));
            EXPECT_EQ(std::pair(SlotsOf(p, fileId), DataOf(p, fileId)),
                      std::pair(SlotsOf(reference, fileId), DataOf(reference, fileId)));
        }
        const SourceFiles pointers[] = {{dir / "pointer", ""}, {indexed ? dir / "data" : dir / "pointer", indexed ? dir / "pointer" : ""}};
        for (const SourceFiles& pointer : pointers) EXPECT_TRUE(Has(ImportType(refused, fileId, pointer), "is a Git LFS pointer"));
    }
}

TEST(GamePackage, RefusesABrokenStructureNamingTheOffset) {
    TempDir dir;
    const B good = RawPackage({Stored("build/artlegacymul/00000000.tga", {1, 2}),
                               Stored("build/artlegacymul/00000001.tga", {3})});
    auto with = [&](std::size_t at, std::vector<std::uint8_t> bytes) {
        B b = good;
        std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<std::ptrdiff_t>(at));
        return b;
    };
    const std::pair<B, std::string> cases[] = {
        {B(good.begin(), good.begin() + 39), "shorter than the 40-byte header at offset 0"},
        {with(0, {'M', 'Y', 'Q'}), "magic"},
        {with(4, {6}), "unknown version 6 at offset 4"},
        {with(12, {0xF0}), "table offset 240 lies outside the file at offset 12"},
        {with(44, {0x28}), "loops back to the table at 40 at offset 44"},
        {with(40, {3}), "3 slots run past the end of the file at offset 40"},
        {with(52 + 34 + 12, {0xFF}), "runs past the end of the file at offset 86"},
        {with(52 + 16, {0, 0, 0, 5}), "over 64 MiB at offset 68"},
        {with(52 + 16, {3}), "stored and decoded sizes differ at offset 64"},
        {with(52 + 34 + 20, B(good.begin() + 52 + 20, good.begin() + 52 + 28)), "occurs twice at offset 106"},
    };
    for (const auto& [bytes, message] : cases) {
        WriteFileBytes(dir / "bad.uop", bytes);
        Package package;
        const Status error = package.Open(dir / "bad.uop");
        EXPECT_TRUE(Has(error, message) && Has(error, dir / "bad.uop"));
        Patch patch;
        EXPECT_FALSE(Ok(ImportType(patch, kArt, {dir / "bad.uop", ""})));
        EXPECT_EQ(patch.LiveCount(), 0);
    }

    WriteFileBytes(dir / "gumps.uop", RawPackage({Stored("build/gumpartlegacymul/00000001.tga", B(9, 1))}));
    WriteFileBytes(dir / "housing.uop", RawPackage({Stored("build/multicollection/housing.bin", B(9, 1))}));
    Patch patch;
    EXPECT_TRUE(Has(ImportType(patch, kArt, {dir / "gumps.uop", ""}),
                    "gumps.uop is a game data package of gumps, not of art."));
    EXPECT_TRUE(Has(ImportType(patch, 14, {dir / "housing.uop", ""}), "housing.uop holds no legacy blocks."));
}

TEST(GamePackage, LeavesOutAndCountsEntriesThatDoNotDecode) {
    TempDir dir;
    auto name = [](int i) { return PackageNameHash(LegacyName(SchemeOfFileId(kArt)->formats[0], i)); };
    B staged = ApplySecondStage(B{1, 2, 2});
    staged[5] ^= 1;  // the counts no longer add up
    const B good = Deflate(B{7, 8});
    WriteFileBytes(dir / "p.uop", RawPackage({
                                      {name(0), 2, {1, 2}, 2},
                                      {name(1), 1, {0x78, 0x9C, 1, 2, 3}, 9},
                                      {name(2), 1, good, 3},  // one byte short
                                      {name(3), 3, Deflate(staged), static_cast<std::uint32_t>(staged.size())},
                                      {name(4), 1, good, 2000000},  // more than deflate can expand to
                                      {name(5), 1, good, 2},
                                  }));
    Patch patch;
    const Result<ImportReport> r = ImportType(patch, kArt, {dir / "p.uop", ""});
    ASSERT_TRUE(Ok(r));
    EXPECT_EQ(std::tie(r->damaged, r->added), std::tuple(5, 1));
    EXPECT_EQ(patch[kArt].blocks[0].bytes, (B{7, 8}));

    // The command line compares a data file against a package and reports the count.
    WriteFileBytes(dir / "a.mul", {7, 9});
    std::vector<std::array<std::int32_t, 3>> index(5, {-1, -1, 0});
    index.push_back({0, 2, 0});
    WriteFileBytes(dir / "a.idx", IndexBytes(index));
    EXPECT_EQ(CliText({"compare", dir / "y.uop", "4", dir / "a.mul", dir / "a.idx", dir / "p.uop"}, 0),
              "Added 1 block that differs.\npalindra-cli: 5 damaged blocks were left out: their data does not lie wholly "
              "inside the data file or does not decode.\n");
}

// Entries that all point at one region of 1 MiB, or at one small stream that
// unpacks to 64 MiB each, are read only within a budget: twice the size of a
// verdata or data file and 64 MiB, 16 times a package's (checked against what
// its tables declare before anything is decoded) and 64 MiB.
TEST(HostileFiles, EntriesAliasingOneRegionAreBoundedByTheFileSize) {
    constexpr std::uint32_t kRegion = 1 << 20;
    TempDir dir;
    auto sharing = [](const B& stored, std::uint16_t flag, std::uint32_t decoded, std::uint32_t count) {
        std::vector<RawSlot> entries;
        for (std::uint32_t i = 0; i < count; ++i)
            entries.push_back({PackageNameHash(LegacyName(SchemeOfFileId(kArt)->formats[0], i)), flag,
                               i == 0 ? stored : B{}, decoded, i > 0});
        return RawPackage(entries);
    };
    for (const std::uint32_t entries : {40u, 100u, 2u}) {  // 40 MiB fit each budget, 100 none; 2 x 64 MiB a package's not
        SCOPED_TRACE(entries);
        const bool bomb = entries == 2, filesFit = entries != 100, packageFits = entries == 40;
        B verdata, index;
        PutLE(verdata, entries, 4);
        const std::uint32_t data = 4 + entries * 20;
        for (std::uint32_t i = 0; i < entries; ++i) {
            for (const std::uint32_t v : {12u, i, data, kRegion, 0x00020001u}) PutLE(verdata, v, 4);
            for (const std::uint32_t v : {0u, kRegion, 0x00030004u}) PutLE(index, v, 4);
        }
        verdata.resize(data + kRegion, 9);
        WriteFileBytes(dir / "verdata.mul", verdata);
        WriteFileBytes(dir / "artidx.mul", index);
        WriteFileBytes(dir / "art.mul", B(kRegion, 8));
        WriteFileBytes(dir / "art.uop", bomb ? sharing(Deflate(B(64 << 20, 0)), 1, 64 << 20, 2)
                                             : sharing(B(kRegion, 8), 0, kRegion, entries));
        Patch p;
        const Status fromVerdata = ReadVerdata(dir / "verdata.mul", p);
        EXPECT_TRUE(filesFit ? fromVerdata && p[12].LiveCount() == std::int64_t{entries} : Has(fromVerdata, dir / "verdata.mul"));
        for (const auto& [line, fits] : {std::pair{"import @p.uop 4 @art.mul @artidx.mul", filesFit},
                                         {"import @p.uop art @art.uop", packageFits},
                                         {"compare @p.uop art @art.uop @art.uop", packageFits}}) {
            const CliResult r = Cli(dir, line);
            EXPECT_TRUE(fits ? r.code == 0 : r.code == 1 && Has(r.err, dir / "art.") && !std::filesystem::exists(dir / "p.uop"))
                << line << ": " << r.err;
            std::filesystem::remove(dir / "p.uop");
        }
    }
}

// An entry's zlib stream is decoded whole, or in pieces when bytes lie far
// behind its end: both ways give the payload, and both refuse a wrong checksum.
TEST(PackageRead, DecodesStreamsWholeOrInPiecesAlike) {
    TempDir dir;
    std::mt19937 rng(9);
    B payload = RandomBytes(rng, 3000);
    payload.resize(20000, 4);
    PackageWriter w;
    ASSERT_TRUE(w.Open(dir / "p.uop", 5, 10));
    const std::size_t tails[] = {0, 10, 300000};
    for (std::size_t i = 0; i < 6; ++i) {
        StoredEntry e = StoreEntry(payload, i % 2 == 0 ? 1 : 3);
        if (i >= 4) e.stored.back() ^= 1;  // the Adler-32 trailer
        e.stored.resize(e.stored.size() + tails[i % 3], 0xEE);
        w.AddStored(PackageNameHash("entry" + std::to_string(i)), e);
    }
    ASSERT_TRUE(w.Commit());
    Package p;
    ASSERT_TRUE(p.Open(dir / "p.uop"));
    for (std::size_t i = 0; i < 6; ++i) {
        const Result<B> read = p.Read(*p.Find(PackageNameHash("entry" + std::to_string(i))));
        if (i < 4) EXPECT_EQ(read.value_or(B()), payload) << i;
        else EXPECT_TRUE(Has(read, "zlib stream")) << i;
    }
}
