#include <gtest/gtest.h>

#include "codecs/cHues.h"
#include "codecs/hues.h"
#include "gamefiles/cMUL.h"
#include "gamefiles/import.h"
#include "gamefiles/radarcol.h"
#include "patch/FileTypes.h"
#include "patch/user_numbers.h"
#include "test_support.h"

namespace {
using B = std::vector<std::uint8_t>;

B Index(const std::vector<std::array<std::int32_t, 3>>& entries) {
    B out;
    for (const auto& e : entries) {
        PutLE(out, static_cast<std::uint32_t>(e[0]), 4);
        PutLE(out, static_cast<std::uint32_t>(e[1]), 4);
        PutLE(out, static_cast<std::uint32_t>(e[2]), 4);
    }
    return out;
}

B Sequence(std::size_t n) {
    B b(n);
    for (std::size_t i = 0; i < n; ++i) b[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    return b;
}
}  // namespace

TEST(cMUL, CountsIndexEntriesWithHalvesToEven) {
    TempDir dir;
    WriteFileBytes(dir / "d.mul", {1});
    for (auto [bytes, count] : {std::pair{36, 3}, {18, 2}, {30, 2}, {0, 0}}) {
        WriteFileBytes(dir / "i.idx", B(static_cast<std::size_t>(bytes), 0));
        cMUL m;
        ASSERT_EQ(m.cOpen(dir / "i.idx", dir / "d.mul", -1, -1), "");
        EXPECT_EQ(m.cCount(), count) << bytes;
        m.cClose();
        EXPECT_EQ(m.cCount(), 0);
    }
}

TEST(cMUL, LoadsIndexedBlocksAbsentOnesAndEntriesPastTheIndex) {
    TempDir dir;
    WriteFileBytes(dir / "d.mul", {10, 11, 12, 13, 14});
    WriteFileBytes(dir / "i.idx", Index({{1, 3, 0x00020001}, {-1, -1, 0}, {0, 0, 0}, {3, 4, 0}, {0, 2000, 0}}));
    cMUL m;
    ASSERT_EQ(m.cOpen(dir / "i.idx", dir / "d.mul", -1, -1), "");
    B buf = {99};
    std::int16_t a = 0, b = 0;
    EXPECT_EQ(m.cLoad(0, buf, a, b), 3);
    EXPECT_EQ(buf, (B{11, 12, 13}));
    EXPECT_EQ(a, 1);
    EXPECT_EQ(b, 2);
    buf = {99};
    EXPECT_EQ(m.cLoad(1, buf, a, b), -1);
    EXPECT_EQ(buf, (B{99}));  // untouched
    EXPECT_EQ(m.cLoad(2, buf, a, b), 0);
    EXPECT_EQ(m.cLoad(3, buf, a, b), 4);
    EXPECT_EQ(buf, (B{13, 14, 0, 0}));  // bytes past the end read as 0
    EXPECT_EQ(m.cLoad(4, buf, a, b), 0);  // longer than the whole data file: not real
    EXPECT_EQ(m.cLoad(100, buf, a, b), 0);
}

TEST(cMUL, FixedSizeLayoutAndItsRefusals) {
    TempDir dir;
    const B data = Sequence(708 * 6);
    WriteFileBytes(dir / "hues.mul", data);
    cMUL m;
    EXPECT_EQ(m.cOpen("", dir / "hues.mul", 196, 0), "Illegal number of blocks.");
    EXPECT_EQ(m.cCount(), 0);
    ASSERT_EQ(m.cOpen("", dir / "hues.mul", 708, 375), "");
    EXPECT_EQ(m.cOpen("", dir / "hues.mul", 708, 375), " and " + (dir / "hues.mul") + " is allready opened.");
    EXPECT_EQ(m.cCount(), 375);
    B buf;
    std::int16_t a = 0, b = 0;
    EXPECT_EQ(m.cLoad(5, buf, a, b), 708);
    EXPECT_EQ(buf, B(data.begin() + 3540, data.begin() + 4248));
    EXPECT_EQ(a, -1);
    EXPECT_EQ(b, -1);
    EXPECT_NE(m.cSave(1, B(709, 1), 0, 0, false), "");
    EXPECT_EQ(ReadFileBytes(dir / "hues.mul"), data);

    cMUL missing;
    EXPECT_EQ(missing.cOpen(dir / "no.idx", dir / "no.mul", -1, -1),
              "Unable to open " + (dir / "no.idx") + " and " + (dir / "no.mul") + ".");
    EXPECT_EQ(missing.cOpen(dir / "no.idx", dir / "hues.mul", -1, -1),
              "Unable to open " + (dir / "no.idx") + " and " + (dir / "hues.mul") + ".");
    EXPECT_FALSE(std::filesystem::exists(dir / "no.mul"));
    EXPECT_FALSE(std::filesystem::exists(dir / "no.idx"));
}

TEST(cMUL, SaveOverwritesInPlaceOrAppendsWhenLonger) {
    TempDir dir;
    WriteFileBytes(dir / "d.mul", B(20, 0xAA));
    WriteFileBytes(dir / "i.idx", Index({{4, 12, 0}}));
    cMUL m;
    ASSERT_EQ(m.cOpen(dir / "i.idx", dir / "d.mul", -1, -1), "");
    ASSERT_EQ(m.cSave(0, B(10, 1), 3, 4, false), "");
    B buf;
    std::int16_t a = 0, b = 0;
    EXPECT_EQ(m.cLoad(0, buf, a, b), 10);
    EXPECT_EQ(ReadFileBytes(dir / "i.idx"), Index({{4, 10, 0x00040003}}));
    EXPECT_EQ(ReadFileBytes(dir / "d.mul").size(), 20u);
    ASSERT_EQ(m.cSave(0, B(20, 2), 3, 4, false), "");
    EXPECT_EQ(ReadFileBytes(dir / "i.idx"), Index({{20, 20, 0x00040003}}));
    EXPECT_EQ(ReadFileBytes(dir / "d.mul").size(), 40u);
    ASSERT_EQ(m.cSave(0, {}, 0, 0, true), "");
    EXPECT_EQ(ReadFileBytes(dir / "i.idx"), Index({{-1, -1, 0}}));
}

TEST(Hues, VerdataFormMovesEachEntryAndZeroesTheRest) {
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

    B out(1220, 1);
    EXPECT_FALSE(Hues2VHues(B(707, 0), out));
    EXPECT_EQ(out, B(1220, 1));
}

TEST(Hues, FileAccessReadsAndWritesBlocksAtTheirOffsets) {
    TempDir dir;
    const B file = Sequence(708 * 3);
    WriteFileBytes(dir / "hues.mul", file);
    cHues hues;
    HuesBlock block{};
    EXPECT_FALSE(hues.LoadHuesBlock(2, block));
    EXPECT_NE(hues.OpenHues(dir / "missing.mul"), "");
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.mul"));
    ASSERT_EQ(hues.OpenHues(dir / "hues.mul"), "");
    EXPECT_EQ(hues.OpenHues(dir / "other.mul"), "");  // the first file stays open
    ASSERT_TRUE(hues.LoadHuesBlock(2, block));
    EXPECT_TRUE(std::equal(block.begin(), block.end(), file.begin() + 1416));
    block.fill(9);
    ASSERT_TRUE(hues.SaveHuesBlock(4, block));
    hues.CloseHues();
    EXPECT_EQ(ReadFileBytes(dir / "hues.mul").size(), 708u * 5);
}

TEST(ImportMulRange, AppendsEveryBlockNumberInRangeAbsentOnesWithoutData) {
    TempDir dir;
    WriteFileBytes(dir / "art.mul", {1, 2, 3, 4});
    B idx = Index({{0, 2, 7}, {-1, -1, 0}, {2, 2, 0}});
    WriteFileBytes(dir / "art.idx", idx);
    Patch p;
    ASSERT_EQ(ImportMulRange(p, dir / "art.idx", dir / "art.mul", 4, 0, 10, 65535, 0), "");
    ASSERT_EQ(p[4].Count(), 11);
    EXPECT_EQ(p[4].Blocks[0].ByteArray, (B{1, 2}));
    EXPECT_EQ(p[4].Blocks[0].FlagA, 7);
    EXPECT_EQ(p[4].Blocks[1].Length, -1);
    EXPECT_EQ(p[4].Blocks[2].ByteArray, (B{3, 4}));
    EXPECT_EQ(p[4].Blocks[10].Length, 0);

    Patch all;
    ASSERT_EQ(ImportMulRange(all, dir / "art.idx", dir / "art.mul", 4, 0, 400000, 65535, 0), "");
    EXPECT_EQ(all[4].Count(), 65536);

    Patch none;
    EXPECT_NE(ImportMulRange(none, dir / "nope.idx", dir / "art.mul", 4, 0, 10, 65535, 0), "");
    EXPECT_EQ(none[4].Count(), 0);
}

TEST(ImportMulRange, HuesBlocksBecomeTheVerdataForm) {
    TempDir dir;
    const B file = Sequence(708 * 5);
    WriteFileBytes(dir / "hues.mul", file);
    Patch p;
    const FileTypeEntry& hues = FileTypes()[kHuesFileId];
    ASSERT_EQ(ImportMulRange(p, "", dir / "hues.mul", kHuesFileId, 3, 3, hues.NbrOfBlocks, hues.ConstantIndex), "");
    ASSERT_EQ(p[32].Count(), 1);
    const PatchBlock& b = p[32].Blocks[0];
    EXPECT_EQ(b.BlockNumber, 3);
    EXPECT_EQ(b.Length, 1220);
    EXPECT_EQ(b.ByteArray, HuesToVerdataBytes(B(file.begin() + 2124, file.begin() + 2832)));
}

TEST(RadarColors, ShortFilesLoadWhatTheyHold) {
    TempDir dir;
    WriteFileBytes(dir / "radarcol.mul", {0xFF, 0x7F, 0x1F, 0x00});
    std::vector<std::int32_t> colors(65536, 5);
    ASSERT_EQ(ReadRadarColors(dir / "radarcol.mul", colors), "");
    EXPECT_EQ(colors[0], 248 + 248 * 256 + 248 * 65536);
    EXPECT_EQ(colors[1], 248 * 65536);
    EXPECT_EQ(colors[2], 0);
    EXPECT_NE(ReadRadarColors(dir / "none.mul", colors), "");
    EXPECT_EQ(colors[0], 248 + 248 * 256 + 248 * 65536);
}

TEST(UserNumbers, LeadingAndWholeNumbersRoundHalvesToEven) {
    EXPECT_EQ(LeadingNumber("12abc"), 12);
    EXPECT_EQ(LeadingNumber("abc"), 0);
    EXPECT_EQ(LeadingNumber("  -3.5x"), -3.5);
    EXPECT_EQ(WholeNumber(" 12.5 "), 12.5);
    EXPECT_EQ(WholeNumber("1e3"), 1000);
    EXPECT_EQ(WholeNumber("&H1A"), 26);
    EXPECT_EQ(WholeNumber("&HFFFF"), -1);
    EXPECT_FALSE(WholeNumber("12abc"));
    EXPECT_FALSE(WholeNumber(""));
    EXPECT_FALSE(WholeNumber("&HZZ"));
    EXPECT_EQ(RoundInRange(12.5, 0, 65535), 12);
    EXPECT_EQ(RoundInRange(13.5, 0, 65535), 14);
    EXPECT_FALSE(RoundInRange(65536, 0, 65535));
    EXPECT_FALSE(RoundInRange(3e10, INT32_MIN, INT32_MAX));
}
