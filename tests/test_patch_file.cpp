#include <gtest/gtest.h>

#include <filesystem>

#include "gamefiles/verdata.h"
#include "patch/patch_file.h"
#include "patch/save_file.h"
#include "test_support.h"

namespace {
using B = std::vector<std::uint8_t>;

B Header(std::uint32_t low, std::uint32_t high) {
    B b = {0x55, 0x4F, 0x50, 0x04};
    PutLE(b, low, 4);
    PutLE(b, high, 4);
    return b;
}

void AddRecord(B& out, std::uint8_t fileId, std::int32_t block, std::int32_t length, const B& data = {}) {
    out.push_back(fileId);
    PutLE(out, static_cast<std::uint32_t>(block), 4);
    PutLE(out, static_cast<std::uint32_t>(length), 4);
    PutLE(out, 0, 4);
    out.insert(out.end(), data.begin(), data.end());
}

std::string ReadAll(const std::string& path, Patch& p) { return ReadPatchFile(path, p, true, 0, 255, 0, kMaxBlockNumber); }
}  // namespace

// Exact bytes, written over a longer file: file IDs above 250 count in the
// second count and records follow file ID order.
TEST(PatchFile, WritesTheHeaderCountsAndRecordsInFileIdOrder) {
    TempDir dir;
    const B oneBlock = {0x55, 0x4F, 0x50, 0x04, 1, 0, 0, 0, 0, 0, 0, 0, 0x04, 0x34,
                        0x12, 0, 0, 3, 0, 0, 0, 1, 2, 3, 4, 1, 2, 3};
    B above250 = Header(1, 1);
    AddRecord(above250, 250, 3, 0);
    AddRecord(above250, 252, 0, 1, {9});
    const std::pair<Patch, B> cases[] = {{Patch{}, Header(0, 0)},
                                         {PatchOf({{4, 0x1234, {1, 2, 3}, 0x0201, 0x0403}}), oneBlock},
                                         {PatchOf({{252, 0, {9}}, {250, 3, {}}}), above250}};
    for (const auto& [patch, bytes] : cases) {
        WriteFileBytes(dir / "p.uop", B(1000, 0xAA));
        ASSERT_EQ(WritePatchFile(dir / "p.uop", patch), "");
        EXPECT_EQ(ReadFileBytes(dir / "p.uop"), bytes);
    }
}

TEST(PatchFile, RemovedSlotsAreDroppedAndBlocksWithoutDataStayLiveWithTheirLength) {
    TempDir dir;
    Patch p = PatchOf({{2, 7, {1, 2}}, {2, 8, {}, 5, 6}});
    p.AppendWithLength(2, 9, -1, {}, 0, 0);
    p.AppendWithLength(2, 10, -5, {}, 0, 0);
    p.Append(2, INT32_MAX, {3}, 0, 0);
    p.RemoveBlock(2, 7);
    ASSERT_EQ(WritePatchFile(dir / "p.uop", p), "");
    Patch back;
    ASSERT_EQ(ReadAll(dir / "p.uop", back), "");
    // Absent from its data file (-1 or another negative length), still live.
    EXPECT_EQ(SlotsOf(back, 2), (std::vector<SlotFacts>{{8, 0, 5, 6}, {9, -1, 0, 0}, {10, -5, 0, 0}, {INT32_MAX, 1, 0, 0}}));
    EXPECT_EQ(back[2].RemovedCount, 0);
}

// As patch files and as verdata; many blocks share a number.
TEST(PatchFile, RandomPatchesRoundTripByteForByteAlsoAsVerdata) {
    TempDir dir;
    std::mt19937 rng(20261206);
    for (int round = 0; round < 20; ++round) {
        Patch p;
        const int blocks = static_cast<int>(rng() % 200);
        for (int i = 0; i < blocks; ++i) {
            const auto f = static_cast<std::uint8_t>(rng() % 256);
            const auto n = static_cast<std::int32_t>(rng() % 2 ? rng() % 50 : rng() % 400001);
            p.Append(f, n, RandomBytes(rng, rng() % 300), static_cast<std::int16_t>(rng()),
                     static_cast<std::int16_t>(rng()));
            if (rng() % 10 == 0) p.RemoveBlock(f, n);
        }
        ASSERT_EQ(WritePatchFile(dir / "a.uop", p), "");
        Patch back;
        ASSERT_EQ(ReadAll(dir / "a.uop", back), "");
        ASSERT_EQ(back.LiveCount(), p.LiveCount());
        ASSERT_EQ(WritePatchFile(dir / "b.uop", back), "");
        ASSERT_EQ(ReadFileBytes(dir / "a.uop"), ReadFileBytes(dir / "b.uop"));
        ASSERT_EQ(WriteVerdata(dir / "a.mul", "", p), "");
        ASSERT_EQ(ReadVerdata(dir / "a.mul", back, true, 0, 255, 0, 400000), "");
        ASSERT_EQ(WriteVerdata(dir / "b.mul", "", back), "");
        ASSERT_EQ(ReadFileBytes(dir / "a.mul"), ReadFileBytes(dir / "b.mul"));
    }
}

TEST(PatchFile, RangesTurnOutsideRecordsIntoRemovedSlotsAndReadOnCorrectly) {
    TempDir dir;
    B file = Header(3, 0);
    AddRecord(file, 4, -7, 2, {7, 7});
    AddRecord(file, 4, 10, 1, {5});
    AddRecord(file, 12, 1, 1, {6});
    WriteFileBytes(dir / "r.uop", file);

    Patch p;
    ASSERT_EQ(ReadAll(dir / "r.uop", p), "");
    EXPECT_EQ(p[4].Count(), 2);
    EXPECT_EQ(p[4].RemovedCount, 1);
    EXPECT_EQ(p[4].Blocks[1].ByteArray, (B{5}));

    Patch gumpsOnly;
    gumpsOnly.Append(12, 1, {1}, 0, 0);
    ASSERT_EQ(ReadPatchFile(dir / "r.uop", gumpsOnly, false, 12, 12, 0, 400000), "");
    EXPECT_EQ(gumpsOnly[12].Count(), 2);  // appended, not replaced
    EXPECT_EQ(gumpsOnly[12].Blocks[1].ByteArray, (B{6}));
    EXPECT_EQ(std::pair(gumpsOnly[4].RemovedCount, gumpsOnly.LiveCount()), std::pair(2, std::int64_t{2}));
}

TEST(PatchFile, MalformedFilesAreRefusedAndLeaveThePatchUntouched) {
    TempDir dir;
    B truncated = Header(2, 0);
    AddRecord(truncated, 4, 1, 20, B(20, 1));
    truncated.insert(truncated.end(), 5, 0);
    B tooLong = Header(1, 0);
    AddRecord(tooLong, 4, 1, 100, {1, 2});
    B wrongVersion = Header(0, 0);
    wrongVersion[3] = 5;
    B twoBillion = Header(2000000000u, 0);
    twoBillion.resize(40);
    const std::pair<B, const char*> cases[] = {
        {{0x55, 0x4F}, "shorter than the 12-byte header"},
        {B{'X', 'O', 'P', 4, 0, 0, 0, 0, 0, 0, 0, 0}, "does not start with \"UOP\""},
        {wrongVersion, "version is 5, not 4"},
        {Header(0xFFFFFFFFu, 0), "negative"},
        {twoBillion, "claims 2000000000 blocks"},
        {truncated, "block 1 at offset 45 runs past the end"},
        {tooLong, "claims 100 bytes, but only 2 remain"},
    };
    for (const auto& [bytes, expect] : cases) {
        WriteFileBytes(dir / "bad.uop", bytes);
        Patch p = PatchOf({{12, 3, {1, 2, 3}}});
        const std::string error = ReadAll(dir / "bad.uop", p);
        EXPECT_TRUE(Has(error, expect) && Has(error, dir / "bad.uop"));
        EXPECT_EQ(SlotsOf(p, 12), (std::vector<SlotFacts>{{3, 3, 0, 0}})) << expect;
        EXPECT_EQ(p.LiveCount(), 1) << expect;
    }
    Patch p;
    EXPECT_NE(ReadAll(dir / "missing.uop", p), "");
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.uop"));
}

TEST(SaveFile, AnUncommittedOrFailedSaveLeavesTheOldFileAndNoLeftoversAVanishedTargetIsWrittenAnew) {
    TempDir dir;
    const std::string target = dir / "keep.uop";
    WriteFileBytes(target, B{1, 2, 3});
    {
        SaveFile f;
        ASSERT_EQ(f.Open(target), "");
        f.Write(B(5000, 0));
    }
    EXPECT_EQ(ReadFileBytes(target), (B{1, 2, 3}));

    SaveFile f;
    ASSERT_EQ(f.Open(target), "");
    f.Write(B{4});
    // The temporary file vanishes midway: the commit must fail, not report success.
    for (const auto& e : std::filesystem::directory_iterator(dir.path()))
        if (e.path().filename().string().starts_with(".keep.uop.")) std::filesystem::remove(e.path());
    EXPECT_NE(f.Commit(), "");
    EXPECT_EQ(ReadFileBytes(target), (B{1, 2, 3}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    // The target vanishing midway is written anew.
    SaveFile again;
    ASSERT_EQ(again.Open(target), "");
    again.Write(B{9});
    std::filesystem::remove(target);
    EXPECT_EQ(again.Commit(), "");
    EXPECT_EQ(ReadFileBytes(target), B{9});

    EXPECT_NE(WritePatchFile(dir / "no/such/folder/p.uop", Patch{}), "");
    EXPECT_NE(WritePatchFile(dir.path().string(), Patch{}), "");
}
