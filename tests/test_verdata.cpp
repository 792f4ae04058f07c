#include <gtest/gtest.h>

#include "gamefiles/verdata.h"
#include "test_support.h"

namespace {
using B = std::vector<std::uint8_t>;

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

TEST(WriteVerdata, MergesOverTheBaseKeepingTheLastCopySortedByFileId) {
    TempDir dir;
    ASSERT_EQ(WriteVerdata(dir / "v.mul", "", Patch{}), "");
    EXPECT_EQ(ReadFileBytes(dir / "v.mul"), (B{0, 0, 0, 0}));
    ASSERT_EQ(WriteVerdata(dir / "v.mul", "", PatchOf({{12, 5, {7, 8, 9}, 2, 3}})), "");
    EXPECT_EQ(ReadFileBytes(dir / "v.mul"), Verdata({{12, 5, 24, 3, 2, 3}}, {7, 8, 9}));

    // The base: unsorted file IDs, a block replaced by the patch, an absent block, a block over 400000.
    const B base = Verdata({{4, 1, 104, 1}, {2, 7, 105, 2}, {2, 9, -1, -1}, {2, 400001, 107, 1}, {2, 3, 108, 1}},
                           {0xA1, 0xB1, 0xB2, 0xC1, 0xD1});
    WriteFileBytes(dir / "base.mul", base);

    // The second copy of 4/9 wins; 8/0 has no data: position -1.
    const Patch p = PatchOf({{2, 7, {0xEE}, 5, 6}, {4, 9, {0x01}}, {4, 9, {0x02}}, {8, 0, {}}, {8, 400001, {0x03}},
                             {8, INT32_MAX, {0x04}}});
    ASSERT_EQ(WriteVerdata(dir / "new.mul", dir / "base.mul", p), "");

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
    EXPECT_EQ(p[4].RemovedCount, 0);
}

TEST(ReadVerdata, AppendsOnlyTheEntriesInRangeInDirectoryOrder) {
    TempDir dir;
    WriteFileBytes(dir / "v.mul", Verdata({{12, 150, 84, 1}, {4, 150, 85, 1}, {12, 99, 86, 1}, {12, 100, -1, 0}},
                                          {1, 2, 3}));
    Patch p = PatchOf({{12, 150, {9}}});
    ASSERT_EQ(ReadVerdata(dir / "v.mul", p, false, 12, 12, 100, 200), "");
    ASSERT_EQ(p[12].Count(), 3);
    EXPECT_EQ(p[12].Blocks[1].ByteArray, (B{1}));
    EXPECT_EQ(SlotsOf(p, 12)[2], SlotFacts(100, 0, 0, 0));
    EXPECT_EQ(p[4].Count(), 0);

    WriteFileBytes(dir / "empty.mul", {});
    EXPECT_EQ(ReadVerdata(dir / "empty.mul", p, false, 0, 255, 0, 400000), "");
}

// Nor can they be the base of an export, which then leaves its target as it was.
TEST(ReadVerdata, MalformedFilesAreRefusedAndAddNothing) {
    TempDir dir;
    WriteFileBytes(dir / "target.mul", {1, 2, 3});
    EXPECT_EQ(WriteVerdata(dir / "target.mul", dir / "nobase.mul", Patch{}), kBaseVerdataMissing);
    B twoBillion = Verdata({}, {});
    twoBillion[3] = 0x77;
    twoBillion.resize(40);
    const std::pair<B, const char*> cases[] = {
        {twoBillion, "more than its 40 bytes can hold"},
        {Verdata({{1, 1, 24, 10}}, {1, 2}), "entry 0 (file ID 1, block 1) has data beyond the end"},
        {Verdata({{1, 1, -5, 1}}, {1}), "data beyond the end"},
        {B{1, 0}, "shorter than its 4-byte entry count"},
        {B{0xFF, 0xFF, 0xFF, 0xFF}, "negative"},
    };
    for (const auto& [bytes, expect] : cases) {
        WriteFileBytes(dir / "bad.mul", bytes);
        Patch p;
        const std::string error = ReadVerdata(dir / "bad.mul", p, false, 0, 255, 0, 400000);
        EXPECT_TRUE(Has(error, expect));
        EXPECT_EQ(p.LiveCount(), 0);
        EXPECT_TRUE(Has(WriteVerdata(dir / "target.mul", dir / "bad.mul", Patch{}), expect));
    }
    EXPECT_EQ(ReadFileBytes(dir / "target.mul"), (B{1, 2, 3}));
    Patch p;
    EXPECT_NE(ReadVerdata(dir / "missing.mul", p, false, 0, 255, 0, 400000), "");
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.mul"));
}
