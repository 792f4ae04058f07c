#include <gtest/gtest.h>

#include "codecs/bitmap.h"
#include "codecs/colors.h"
#include "codecs/gump.h"
#include "codecs/previews.h"
#include "patch/FileTypes.h"
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

TEST(Gump, EncodesOnePairPerRunWithTheRowTableInUnitsAndRefusesDamagedBlocks) {
    EXPECT_EQ(Encode({0x1234, 0x1234}, 2, 1), (B{1, 0, 0, 0, 0x34, 0x12, 2, 0}));
    EXPECT_EQ(Encode({A, A, Bc}, 3, 1), (B{1, 0, 0, 0, 0x00, 0x7C, 2, 0, 0xE0, 0x03, 1, 0}));
    EXPECT_EQ(Encode({A, Bc, A}, 3, 1).size(), 4u + 3 * 4);
    EXPECT_EQ(Encode({A, A, Bc, C}, 2, 2),
              (B{2, 0, 0, 0, 3, 0, 0, 0, 0x00, 0x7C, 2, 0, 0xE0, 0x03, 1, 0, 0x1F, 0x00, 1, 0}));
    EXPECT_FALSE(EncodeGump(std::vector<std::uint16_t>{}, 0, 0));
    EXPECT_FALSE(EncodeGump(std::vector<std::uint16_t>{1, 2}, 3, 1));

    LongArray grid;  // a row that stops short of the width leaves the rest at zero
    ASSERT_EQ(GumpToLongArray(B{1, 0, 0, 0, 0xFF, 0x7F, 1, 0}, grid, 3, 1), "");
    EXPECT_EQ(std::pair(grid.At(0, 0), grid.At(2, 0)), std::pair(Color16To32(0x7FFF), 0));

    // Damaged blocks fail cleanly with a reason.
    B tenBytes = {1, 0, 0, 0, 0x00, 0x7C, 1, 0, 0x00, 0x7C};  // 1.5 pairs round to 2: the second is cut off
    EXPECT_TRUE(Has(GumpToLongArray(tenBytes, grid, 1, 1), "runs past the end"));
    EXPECT_TRUE(Has(GumpToLongArray(Encode({A, A, A}, 3, 1), grid, 2, 1), "wider than 2 pixels"));
    EXPECT_TRUE(Has(GumpToLongArray(B{1, 0}, grid, 1, 1), "row table"));
    EXPECT_NE(GumpToLongArray(B(8, 0), grid, 0, 1), "");
    EXPECT_NE(GumpToLongArray(B(8, 0), grid, 1, -3), "");
    EXPECT_TRUE(Has(GumpToLongArray(B(8, 0), grid, 32767, 32767), "too large"));
    B farRow = {0xFF, 0xFF, 0xFF, 0, 1, 0, 1, 0};  // the row starts far beyond the block
    EXPECT_EQ(GumpToLongArray(farRow, grid, 1, 1), "");  // a negative pair count draws nothing
}

// Rows come from the table and the last row's end from the block length.
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
    for (auto [x, y, c] : {std::tuple{0, 0, 0x112233}, {9, 9, 0x112233}, {10, 0, 0}, {10, 10, 0x445566}, {19, 19, 0x445566}})
        EXPECT_EQ(picture.At(x, y), c) << x << "," << y;
    EXPECT_NE(MapPreview(B(195, 0), radar, picture), "");
}

namespace {
struct Run {
    int dx, dy;
    B pixels;
};

// An animation with a palette where colour i is i and one frame (centre 10, 20, height 30).
B Animation(const std::vector<Run>& runs, std::uint32_t frames = 1) {
    B a;
    for (int i = 0; i < 256; ++i) PutLE(a, static_cast<std::uint32_t>(i), 2);
    PutLE(a, frames, 4);  // frame count at 512
    PutLE(a, 8, 4);       // offset(0): the frame starts at 512 + 8 = 520
    a.resize(520, 0);
    for (std::uint32_t v : {10u, 20u, 5u, 30u}) PutLE(a, v, 2);  // centre x, centre y, width, height
    for (const Run& r : runs) {
        PutLE(a, static_cast<std::uint32_t>(r.pixels.size()) | ((static_cast<std::uint32_t>(r.dy) & 0x3FF) << 12) |
                     ((static_cast<std::uint32_t>(r.dx) & 0x3FF) << 22), 4);
        a.insert(a.end(), r.pixels.begin(), r.pixels.end());
    }
    PutLE(a, 0x7FFF7FFF, 4);
    return a;
}
}  // namespace

TEST(Previews, AnimationRunsLandAtTheirOffsetsAndDamagedOnesEndTheDrawing) {
    LongArray picture;
    // x = 10 + dx, y = 20 + 30 + dy: a run left of the centre, two rows with an
    // empty row between them, and a run clipped at the box's left edge.
    ASSERT_EQ(AnimPreview(Animation({{-3, -2, {3, 4}}, {0, -5, {5}}, {-12, -5, {6, 7, 8}}}), picture), "");
    EXPECT_EQ(std::pair(picture.width, picture.height), std::pair(200, 200));
    for (auto [x, y, c] : {std::tuple{7, 48, Color16To32(3)}, {8, 48, Color16To32(4)}, {9, 48, LongArray::kBackground},
                           {10, 45, Color16To32(5)}, {10, 46, LongArray::kBackground}, {0, 45, Color16To32(8)}})
        EXPECT_EQ(picture.At(x, y), c) << x << "," << y;

    ASSERT_EQ(AnimPreview(Animation({}), picture), "");  // the first header ends the frame: nothing drawn
    EXPECT_EQ(std::count(picture.cells.begin(), picture.cells.end(), LongArray::kBackground), 200 * 200);

    B cut = Animation({{0, 0, {1}}, {1, 0, {2, 3, 4, 5}}});
    cut.resize(cut.size() - 6);
    ASSERT_EQ(AnimPreview(cut, picture), "");
    EXPECT_EQ(picture.At(10, 50), Color16To32(1));
    EXPECT_EQ(picture.At(11, 50), LongArray::kBackground);

    EXPECT_TRUE(Has(AnimPreview(Animation({{0, 0, {1}}}, 0), picture), "no frames"));
    B farOffset = Animation({});
    farOffset[516] = 0xFF;
    farOffset[517] = 0xFF;
    EXPECT_TRUE(Has(AnimPreview(farOffset, picture), "past the end"));
    EXPECT_NE(AnimPreview(B(100, 0), picture), "");
}

TEST(Pictures, APngsAlphaDecidesTransparencyAndABitmapsBlackDoes) {
    QImage png(5, 1, QImage::Format_ARGB32);
    const QRgb pixels[] = {qRgba(255, 0, 0, 0), qRgba(255, 255, 255, 127), qRgba(0, 0, 0, 128),
                           qRgba(8, 16, 24, 255), qRgba(0, 0, 248, 200)};
    for (int x = 0; x < 5; ++x) png.setPixel(x, 0, pixels[x]);
    QImage bmp(2, 1, QImage::Format_RGB32);
    bmp.setPixel(0, 0, qRgb(0, 0, 0));
    bmp.setPixel(1, 0, qRgb(0, 0, 248));
    Patch p;
    ASSERT_EQ(ImportGumpFromBmp(p, 1, png), "");
    ASSERT_EQ(ImportGumpFromBmp(p, 2, bmp), "");
    const std::vector<std::uint16_t> expected = {0, 0, 0x0421, static_cast<std::uint16_t>(Color32To16(0x181008)), 0x001F};
    EXPECT_EQ(p[kGumpFileId].Blocks[0].ByteArray, Encode(expected, 5, 1));
    EXPECT_EQ(p[kGumpFileId].Blocks[1].ByteArray, Encode({0, 0x001F}, 2, 1));

    // Written out, colour 0 is transparent in a PNG and black in a bitmap.
    TempDir dir;
    std::string error;
    const QImage picture = GumpPicture(p[kGumpFileId].Blocks[1], error);
    ASSERT_EQ(error, "");
    for (const char* name : {"g.png", "g.bmp"}) {
        const QString path = QString::fromStdString(dir / name);
        ASSERT_EQ(SavePicture(picture, path), "");
        const QImage back = LoadPicture(path, error);
        ASSERT_EQ(error, "");
        EXPECT_EQ(back.pixel(0, 0), std::string(name) == "g.png" ? qRgba(0, 0, 0, 0) : qRgb(0, 0, 0)) << name;
        EXPECT_EQ(back.pixel(1, 0), qRgb(0, 0, 248)) << name;
    }
}
