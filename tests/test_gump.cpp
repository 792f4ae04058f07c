#include <gtest/gtest.h>

#include "codecs/colors.h"
#include "codecs/gump.h"
#include "codecs/previews.h"
#include "test_support.h"

namespace {
using B = std::vector<std::uint8_t>;
constexpr std::uint16_t A = 0x7C00, Bc = 0x03E0, C = 0x001F;

B Encode(const std::vector<std::uint16_t>& colors, int w, int h) {
    auto block = EncodeGump(colors, w, h);
    EXPECT_TRUE(block);
    return block ? *block : B{};
}
}  // namespace

TEST(Gump, EncodesOnePairPerRunWithTheRowTableInUnits) {
    EXPECT_EQ(Encode({0x1234, 0x1234}, 2, 1), (B{1, 0, 0, 0, 0x34, 0x12, 2, 0}));
    EXPECT_EQ(Encode({A, A, Bc}, 3, 1), (B{1, 0, 0, 0, 0x00, 0x7C, 2, 0, 0xE0, 0x03, 1, 0}));
    EXPECT_EQ(Encode({A, Bc, A}, 3, 1).size(), 4u + 3 * 4);
    EXPECT_EQ(Encode({A, A, Bc, C}, 2, 2),
              (B{2, 0, 0, 0, 3, 0, 0, 0, 0x00, 0x7C, 2, 0, 0xE0, 0x03, 1, 0, 0x1F, 0x00, 1, 0}));
    EXPECT_FALSE(EncodeGump(std::vector<std::uint16_t>{}, 0, 0));
    EXPECT_FALSE(EncodeGump(std::vector<std::uint16_t>{1, 2}, 3, 1));
}

TEST(Gump, DecodesRowsFromTheTableAndTheLastRowFromTheBlockLength) {
    LongArray grid;
    ASSERT_EQ(GumpToLongArray(Encode({A, A, Bc, C}, 2, 2), grid, 2, 2), "");
    EXPECT_EQ(grid.At(0, 0), Color16To32(A));
    EXPECT_EQ(grid.At(1, 0), Color16To32(A));
    EXPECT_EQ(grid.At(0, 1), Color16To32(Bc));
    EXPECT_EQ(grid.At(1, 1), Color16To32(C));

    // A row that stops short of the width leaves the rest at 0.
    ASSERT_EQ(GumpToLongArray(B{1, 0, 0, 0, 0xFF, 0x7F, 1, 0}, grid, 3, 1), "");
    EXPECT_EQ(grid.At(0, 0), Color16To32(0x7FFF));
    EXPECT_EQ(grid.At(2, 0), 0);
}

TEST(Gump, RandomPicturesSurviveEncodeAndDecode) {
    std::mt19937 rng(5);
    for (int round = 0; round < 50; ++round) {
        const int w = 1 + static_cast<int>(rng() % 40), h = 1 + static_cast<int>(rng() % 40);
        std::vector<std::uint16_t> colors(static_cast<std::size_t>(w * h));
        for (auto& c : colors) c = static_cast<std::uint16_t>(rng() % 3 == 0 ? rng() & 0x7FFF : 0x1234);
        LongArray grid;
        ASSERT_EQ(GumpToLongArray(Encode(colors, w, h), grid, w, h), "");
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                ASSERT_EQ(grid.At(x, y), Color16To32(colors[static_cast<std::size_t>(y * w + x)]));
    }
}

TEST(Gump, DamagedBlocksFailCleanlyWithAReason) {
    LongArray grid;
    B tenBytes = {1, 0, 0, 0, 0x00, 0x7C, 1, 0, 0x00, 0x7C};  // 1.5 pairs round to 2: the second is cut off
    EXPECT_NE(GumpToLongArray(tenBytes, grid, 1, 1).find("runs past the end"), std::string::npos);
    EXPECT_NE(GumpToLongArray(Encode({A, A, A}, 3, 1), grid, 2, 1).find("wider than 2 pixels"), std::string::npos);
    EXPECT_NE(GumpToLongArray(B{1, 0}, grid, 1, 1).find("row table"), std::string::npos);
    EXPECT_NE(GumpToLongArray(B(8, 0), grid, 0, 1), "");
    EXPECT_NE(GumpToLongArray(B(8, 0), grid, 1, -3), "");
    EXPECT_NE(GumpToLongArray(B(8, 0), grid, 32767, 32767).find("too large"), std::string::npos);
    B farRow = {0xFF, 0xFF, 0xFF, 0, 1, 0, 1, 0};  // the row starts far beyond the block
    EXPECT_EQ(GumpToLongArray(farRow, grid, 1, 1), "");  // a negative pair count draws nothing
}

TEST(Previews, MapBlockIsSixtyFourSquaresOfRadarColours) {
    std::vector<std::int32_t> radar(65536, 0);
    radar[5] = 0x112233;
    radar[0x0102] = 0x445566;
    B block(196, 0);
    block[4] = 5;                         // cell (0, 0): tile 5
    block[4 + 3 * 9] = 0x02;              // cell row 1, column 1: tile 0x0102
    block[4 + 3 * 9 + 1] = 0x01;
    LongArray picture;
    ASSERT_EQ(MapPreview(block, radar, picture), "");
    EXPECT_EQ(picture.width, 80);
    EXPECT_EQ(picture.At(0, 0), 0x112233);
    EXPECT_EQ(picture.At(9, 9), 0x112233);
    EXPECT_EQ(picture.At(10, 0), 0);
    EXPECT_EQ(picture.At(10, 10), 0x445566);
    EXPECT_EQ(picture.At(19, 19), 0x445566);
    EXPECT_NE(MapPreview(B(195, 0), radar, picture), "");
}

namespace {
// An animation with a palette where colour i is i, one frame at offset 4.
B Animation(const std::vector<std::pair<std::uint16_t, B>>& runs, std::int16_t centre, std::uint32_t frames = 1) {
    B a;
    for (int i = 0; i < 256; ++i) PutLE(a, static_cast<std::uint32_t>(i), 2);
    PutLE(a, frames, 4);      // frame count at 512
    PutLE(a, 8, 4);           // offset(0): the frame starts at 512 + 8 = 520
    a.resize(520, 0);
    PutLE(a, static_cast<std::uint16_t>(centre), 2);
    PutLE(a, 0, 2);
    PutLE(a, 0, 2);
    PutLE(a, 0, 2);
    for (const auto& [h1, pixels] : runs) {
        PutLE(a, h1, 2);
        PutLE(a, 0, 2);  // x offset 0
        a.insert(a.end(), pixels.begin(), pixels.end());
    }
    PutLE(a, 0x7FFF, 2);
    PutLE(a, 0x7FFF, 2);
    return a;
}
}  // namespace

TEST(Previews, AnimationRowsAreCountedByChangesOfTag) {
    LongArray picture;
    // A tag-1 run of two pixels, a second tag-1 run of one (same row, drawn
    // over the first pixel), then a tag-2 run that starts the next row.
    ASSERT_EQ(AnimPreview(Animation({{0x1002, {3, 4}}, {0x1001, {5}}, {0x2001, {6}}}, 10), picture), "");
    EXPECT_EQ(picture.width, 200);
    EXPECT_EQ(picture.height, 200);
    EXPECT_EQ(picture.At(10, 0), Color16To32(5));
    EXPECT_EQ(picture.At(11, 0), Color16To32(4));
    EXPECT_EQ(picture.At(12, 0), LongArray::kBackground);
    EXPECT_EQ(picture.At(10, 1), Color16To32(6));
    EXPECT_EQ(picture.At(10, 2), LongArray::kBackground);
}

TEST(Previews, AnimationsThatCannotDrawSayWhy) {
    LongArray picture;
    ASSERT_EQ(AnimPreview(Animation({}, 0), picture), "");  // the first header ends the frame: nothing drawn
    EXPECT_EQ(picture.width, 200);
    EXPECT_EQ(std::count(picture.cells.begin(), picture.cells.end(), LongArray::kBackground), 200 * 200);

    EXPECT_NE(AnimPreview(Animation({{0x1001, {1}}}, 0, 0), picture).find("no frames"), std::string::npos);
    B cut = Animation({{0x1004, {1, 2, 3, 4}}}, 0);
    cut.resize(cut.size() - 6);
    EXPECT_NE(AnimPreview(cut, picture).find("past the end"), std::string::npos);
    B farOffset = Animation({}, 0);
    farOffset[516] = 0xFF;
    farOffset[517] = 0xFF;
    EXPECT_NE(AnimPreview(farOffset, picture).find("past the end"), std::string::npos);
    EXPECT_NE(AnimPreview(B(100, 0), picture), "");
}
