// The two files blocks are saved in, patch files and verdata: exact bytes,
// round trips, ranges and refusals of damaged files.
#include <gtest/gtest.h>

#include <filesystem>

#include "gamefiles/forms/verdata.h"
#include "patch/patch_file.h"
#include "io/save_file.h"
#include "test_support.h"

namespace {
B Header(std::uint32_t low, std::uint32_t high) {
    B b = {0x55, 0x4F, 0x50, 0x04};
    PutLE(b, low, 4);
    PutLE(b, high, 4);
    return b;
}

// A record; `flags` holds FlagA in its low half.
void AddRecord(B& out, std::uint8_t fileId, std::int32_t block, std::int32_t length, const B& data = {},
               std::uint32_t flags = 0) {
    out.push_back(fileId);
    PutLE(out, static_cast<std::uint32_t>(block), 4);
    PutLE(out, static_cast<std::uint32_t>(length), 4);
    PutLE(out, flags, 4);
    out.insert(out.end(), data.begin(), data.end());
}


// A verdata entry: where its data lies and its flags.
struct E {
    std::int32_t fileId, block, position, length;
    std::uint16_t flagA = 0, flagB = 0;
};

B Verdata(const std::vector<E>& entries, const B& data) {
    B out;
    PutLE(out, static_cast<std::uint32_t>(entries.size()), 4);
    for (const E& e : entries)
        for (std::uint32_t v : {std::uint32_t(e.fileId), std::uint32_t(e.block), std::uint32_t(e.position),
                                std::uint32_t(e.length), e.flagA | std::uint32_t(e.flagB) << 16})
            PutLE(out, v, 4);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}
}  // namespace

// Exact bytes, written over a longer file: file IDs above 250 count in the
// second count, records follow file ID order, removed slots are dropped and
// blocks without data keep their length (-1 or another negative one). Read
// back, each file is written again byte for byte.
TEST(PatchFile, WritesTheHeaderCountsAndRecordsInFileIdOrderAndReadsThemBack) {
    TempDir dir;
    const B oneBlock = {0x55, 0x4F, 0x50, 0x04, 1, 0, 0, 0, 0, 0, 0, 0, 0x04, 0x34,
                        0x12, 0, 0, 3, 0, 0, 0, 1, 2, 3, 4, 1, 2, 3};
    B above250 = Header(1, 1);
    AddRecord(above250, 250, 3, 0);
    AddRecord(above250, 252, 0, 1, {9});
    Patch withoutData = PatchOf({{2, 7, {1, 2}}, {2, 8, {}, 5, 6}});
    withoutData.AppendWithLength(2, 9, -1, {}, 0, 0);
    withoutData.AppendWithLength(2, 10, -5, {}, 0, 0);
    withoutData.Append(2, INT32_MAX, {3}, 0, 0);
    withoutData.RemoveBlock(2, 7);
    B lengths = Header(4, 0);
    AddRecord(lengths, 2, 8, 0, {}, 0x00060005);
    AddRecord(lengths, 2, 9, -1);
    AddRecord(lengths, 2, 10, -5);
    AddRecord(lengths, 2, INT32_MAX, 1, {3});
    const std::pair<Patch, B> cases[] = {{Patch{}, Header(0, 0)},
                                         {PatchOf({{4, 0x1234, {1, 2, 3}, 0x0201, 0x0403}}), oneBlock},
                                         {PatchOf({{252, 0, {9}}, {250, 3, {}}}), above250},
                                         {withoutData, lengths}};
    for (const auto& [patch, bytes] : cases) {
        WriteFileBytes(dir / "p.uop", B(1000, 0xAA));
        ASSERT_TRUE(Ok(WritePatchFile(dir / "p.uop", patch)));
        EXPECT_EQ(ReadFileBytes(dir / "p.uop"), bytes);
        Patch back;
        ASSERT_TRUE(Ok(ReadPatchFile(dir / "p.uop", back)));
        ASSERT_TRUE(Ok(WritePatchFile(dir / "again.uop", back)));
        EXPECT_EQ(ReadFileBytes(dir / "again.uop"), bytes);
    }
}

// A patch read leaving its data in the file gives each slot the bytes a
// whole read gives it: from a mapped window, from a read of its own for a
// block larger than the window, none for blocks without data. A file that
// shrank meanwhile fails the read rather than giving other bytes.
TEST(PatchFileData, GivesEachSlotTheBytesAWholeReadGivesAndFailsOnceTheFileShrank) {
    TempDir dir;
    Patch patch = PatchOf({{4, 1, {1, 2}}, {4, 1, {3}}, {4, 2, B(1100000, 7)}, {12, 5, {}}, {12, 6, {4, 5, 6}}});
    patch.AppendWithLength(12, 9, -1, {}, 0, 0);
    ASSERT_TRUE(Ok(WritePatchFile(dir / "p.uop", patch)));
    Patch whole, headers;
    PatchFileData data;
    ASSERT_TRUE(Ok(ReadPatchFile(dir / "p.uop", whole)) && Ok(data.Open(dir / "p.uop", headers)));
    PatchFileData::Reader reader(data);
    for (const std::uint8_t f : {4, 12}) {
        EXPECT_EQ(SlotsOf(headers, f), SlotsOf(whole, f));
        std::vector<B> read;
        for (std::size_t s = 0; s < headers[f].blocks.size(); ++s) {
            ByteView bytes;
            ASSERT_TRUE(Ok(reader.Read(f, s, headers[f].blocks[s].Length(), bytes)));
            read.emplace_back(bytes.begin(), bytes.end());
        }
        EXPECT_EQ(read, DataOf(whole, f));
    }
    std::filesystem::resize_file(dir / "p.uop", 100);
    PatchFileData::Reader late(data);
    ByteView bytes;
    EXPECT_TRUE(Has(late.Read(12, 1, 3, bytes), "changed while it was read"));
}

TEST(ReadOptions, RangesTurnOutsideRecordsIntoRemovedSlotsAndLeaveOutVerdataEntries) {
    TempDir dir;
    B file = Header(3, 0);
    AddRecord(file, 4, 400001, 2, {7, 7});
    AddRecord(file, 4, 10, 1, {5});
    AddRecord(file, 12, 1, 1, {6});
    WriteFileBytes(dir / "r.uop", file);

    Patch p;
    ASSERT_TRUE(Ok(ReadPatchFile(dir / "r.uop", p, {.lastBlock = 400000})));
    EXPECT_EQ(SlotsOf(p, 4), (std::vector<SlotFacts>{{-1, 2, 0, 0}, {10, 1, 0, 0}}));
    EXPECT_EQ(p[4].blocks[1].bytes, (B{5}));

    Patch gumpsOnly;
    gumpsOnly.Append(12, 1, {1}, 0, 0);
    ASSERT_TRUE(Ok(ReadPatchFile(dir / "r.uop", gumpsOnly, {12, 12, 0, 400000, true})));
    EXPECT_EQ(DataOf(gumpsOnly, 12), (std::vector<B>{{1}, {6}}));  // appended, not replaced
    EXPECT_EQ(std::pair(gumpsOnly[4].removedCount, gumpsOnly.LiveCount()), std::pair(2, std::int64_t{2}));

    // A verdata's entries outside the ranges are left out; those inside follow in directory order.
    WriteFileBytes(dir / "v.mul", Verdata({{12, 150, 84, 1}, {4, 150, 85, 1}, {12, 99, 86, 1}, {12, 100, -1, 0}},
                                          {1, 2, 3}));
    Patch v = PatchOf({{12, 150, {9}}});
    ASSERT_TRUE(Ok(ReadVerdata(dir / "v.mul", v, {12, 12, 100, 200, true})));
    EXPECT_EQ(SlotsOf(v, 12), (std::vector<SlotFacts>{{150, 1, 0, 0}, {150, 1, 0, 0}, {100, 0, 0, 0}}));
    EXPECT_TRUE(v[12].blocks[1].bytes == B{1} && v[4].Count() == 0);
    WriteFileBytes(dir / "empty.mul", {});
    EXPECT_TRUE(Ok(ReadVerdata(dir / "empty.mul", v, {.append = true})));
}

// A verdata that is refused cannot be the base of an export either, which
// then leaves its target as it was.
TEST(PatchFile, MalformedPatchesAndVerdataAreRefusedAndLeaveThePatchUntouched) {
    TempDir dir;
    B truncated = Header(2, 0);
    AddRecord(truncated, 4, 1, 20, B(20, 1));
    truncated.insert(truncated.end(), 5, 0);
    B tooLong = Header(1, 0);
    AddRecord(tooLong, 4, 1, 100, {1, 2});
    B negative = Header(2, 0);  // a number that would mark the block removed, dropping it at the next save
    AddRecord(negative, 4, 1, 1, {1});
    AddRecord(negative, 4, -7, 1, {2});
    B wrongVersion = Header(0, 0);
    wrongVersion[3] = 5;
    B twoBillion = Header(2000000000u, 0), twoBillionEntries = Verdata({}, {});
    twoBillion.resize(40);
    twoBillionEntries[3] = 0x77;
    twoBillionEntries.resize(40);
    const std::tuple<const char*, B, const char*> cases[] = {
        {"bad.uop", {0x55, 0x4F}, "shorter than the 12-byte header"},
        {"bad.uop", B{'X', 'O', 'P', 4, 0, 0, 0, 0, 0, 0, 0, 0}, "does not start with \"UOP\""},
        {"bad.uop", wrongVersion, "version is 5, not 4"},
        {"bad.uop", Header(0xFFFFFFFFu, 0), "negative"},
        {"bad.uop", twoBillion, "claims 2000000000 blocks"},
        {"bad.uop", truncated, "block 1 at offset 45 runs past the end"},
        {"bad.uop", tooLong, "claims 100 bytes, but only 2 remain"},
        {"bad.uop", negative, "block 1 at offset 26 has the negative block number -7"},
        {"bad.mul", twoBillionEntries, "is larger than its 40 bytes"},
        {"bad.mul", B(708 * 3, 0), "is not a verdata.mul (or damaged): it counts 0 entries but holds 2124 bytes."},
        {"bad.mul", Verdata({{1, 1, 24, 10}}, {1, 2}), "entry 0 (file ID 1, block 1) has data beyond the end"},
        {"bad.mul", Verdata({{1, 1, -5, 1}}, {1}), "data beyond the end"},
        {"bad.mul", B{1, 0}, "shorter than its 4-byte entry count"},
        {"bad.mul", B{0xFF, 0xFF, 0xFF, 0xFF}, "it counts 4294967295 entries"},
        {"bad.uop", kLfsPointer, "is a Git LFS pointer, not the file itself: fetch the real file first (git lfs pull)."},
        {"bad.mul", kLfsPointer, "is a Git LFS pointer"},
    };
    WriteFileBytes(dir / "target.mul", {1, 2, 3});
    for (const auto& [name, bytes, expect] : cases) {
        const std::string bad = dir / name;
        const bool verdata = bad.ends_with(".mul");
        WriteFileBytes(bad, bytes);
        Patch p = PatchOf({{12, 3, {1, 2, 3}}});
        const Status error = verdata ? ReadVerdata(bad, p, {.append = true}) : ReadPatchFile(bad, p, {.append = true});
        EXPECT_TRUE(Has(error, expect) && Has(error, bad));
        EXPECT_EQ(SlotsOf(p, 12), (std::vector<SlotFacts>{{3, 3, 0, 0}})) << expect;
        EXPECT_EQ(p.LiveCount(), 1) << expect;
        EXPECT_TRUE(!verdata || Has(WriteVerdata(dir / "target.mul", Patch{}, bad), expect));
    }
    const Status noBase = WriteVerdata(dir / "target.mul", Patch{}, dir / "nobase.mul");
    EXPECT_EQ(std::pair(noBase.error().code, noBase.error().message),
              std::pair(ErrorCode::kBaseMissing, std::string("Cannot find the origional verdata.mul. Check the settings.")));
    EXPECT_EQ(ReadFileBytes(dir / "target.mul"), (B{1, 2, 3}));
    Patch p;
    EXPECT_FALSE(Ok(ReadPatchFile(dir / "missing.uop", p)));
    EXPECT_FALSE(Ok(ReadVerdata(dir / "missing.mul", p)));
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.uop") || std::filesystem::exists(dir / "missing.mul"));
}

TEST(SaveFile, AnUncommittedOrFailedSaveLeavesTheOldFileAndNoLeftoversAVanishedTargetIsWrittenAnew) {
    TempDir dir;
    const std::string target = dir / "keep.uop";
    WriteFileBytes(target, B{1, 2, 3});
    {
        SaveFile f;
        ASSERT_TRUE(Ok(f.Open(target)));
        f.Write(B(5000, 0));
    }
    EXPECT_EQ(ReadFileBytes(target), (B{1, 2, 3}));

    SaveFile f;
    ASSERT_TRUE(Ok(f.Open(target)));
    f.Write(B{4});
    // The temporary file vanishes midway: the commit must fail, not report success.
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        if (e.path().filename().string().starts_with(".keep.uop.")) std::filesystem::remove(e.path());
    EXPECT_FALSE(Ok(f.Commit()));
    EXPECT_EQ(ReadFileBytes(target), (B{1, 2, 3}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    // The target vanishing midway is written anew.
    SaveFile again;
    ASSERT_TRUE(Ok(again.Open(target)));
    again.Write(B{9});
    std::filesystem::remove(target);
    EXPECT_TRUE(Ok(again.Commit()));
    EXPECT_EQ(ReadFileBytes(target), B{9});

    // A set replaces all its targets or none: one that fails puts back those replaced before it.
    for (const bool fails : {true, false}) {
        SaveSet set;
        SaveFile& first = set.Add();
        ASSERT_TRUE(Ok(first.Open(target)));
        first.Write(B{5});
        SaveFile& second = set.Add();
        ASSERT_TRUE(Ok(second.Open(dir / "new.uop")));
        second.Write(B{6});
        ASSERT_TRUE(Ok(second.Finish()));
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            if (fails && e.path().filename().string().starts_with(".new.uop.")) std::filesystem::remove(e.path());
        EXPECT_EQ(set.Commit().has_value(), !fails);
        EXPECT_EQ(ReadFileBytes(target), fails ? B{9} : B{5});
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), fails ? 1 : 2);
    }
}

TEST(WriteVerdata, MergesOverTheBaseKeepingTheLastCopySortedByFileId) {
    TempDir dir;
    ASSERT_TRUE(Ok(WriteVerdata(dir / "v.mul", Patch{})));
    EXPECT_EQ(ReadFileBytes(dir / "v.mul"), (B{0, 0, 0, 0}));
    ASSERT_TRUE(Ok(WriteVerdata(dir / "v.mul", PatchOf({{12, 5, {7, 8, 9}, 2, 3}}))));
    EXPECT_EQ(ReadFileBytes(dir / "v.mul"), Verdata({{12, 5, 24, 3, 2, 3}}, {7, 8, 9}));

    // The base: unsorted file IDs, a block replaced by the patch, an absent block, a block over 400000.
    const B base = Verdata({{4, 1, 104, 1}, {2, 7, 105, 2}, {2, 9, -1, -1}, {2, 400001, 107, 1}, {2, 3, 108, 1}},
                           {0xA1, 0xB1, 0xB2, 0xC1, 0xD1});
    WriteFileBytes(dir / "base.mul", base);

    // The second copy of 4/9 wins; 8/0 has no data: position -1.
    const Patch p = PatchOf({{2, 7, {0xEE}, 5, 6}, {4, 9, {0x01}}, {4, 9, {0x02}}, {8, 0, {}}, {8, 400001, {0x03}},
                             {8, INT32_MAX, {0x04}}});
    ASSERT_TRUE(Ok(WriteVerdata(dir / "new.mul", p, dir / "base.mul")));

    // Block numbers above 400,000 are written like any other.
    const std::int32_t d = 4 + 20 * 9;
    EXPECT_EQ(ReadFileBytes(dir / "new.mul"),
              Verdata({{2, 9, -1, -1},
                       {2, 400001, d, 1},
                       {2, 3, d + 1, 1},
                       {2, 7, d + 2, 1, 5, 6},
                       {4, 1, d + 3, 1},
                       {4, 9, d + 4, 1},
                       {8, 0, -1, 0},
                       {8, 400001, d + 5, 1},
                       {8, INT32_MAX, d + 6, 1}},
                      {0xC1, 0xD1, 0xEE, 0xA1, 0x02, 0x03, 0x04}));
    EXPECT_EQ(p[4].Count(), 2);  // the working patch is not changed
    EXPECT_EQ(p[4].removedCount, 0);
}
