// Animation blocks: frames decoded and encoded, to and from pictures, and
// which body, action and direction a block holds.
#include <gtest/gtest.h>

#include "codecs/anim_frames.h"
#include "codecs/anim_pictures.h"
#include "gamefiles/anim_layout.h"
#include "test_support.h"

namespace {
constexpr std::int16_t T = kAnimTransparent;

int Pick(std::mt19937& rng, int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); }

// Up to five frames, empty ones among them, with centres up to far outside
// the box but every cell within reach of the run offsets; a palette of
// distinct colours, so a picture's colour names its entry.
Animation RandomAnimation(std::mt19937& rng) {
    Animation a;
    for (std::size_t i = 0; i < a.palette.size(); ++i)
        a.palette[i] = static_cast<std::uint16_t>(97 * i + Pick(rng, 0, 96));
    a.frames.resize(static_cast<std::size_t>(Pick(rng, 0, 5)));
    for (AnimFrame& f : a.frames) {
        f.width = static_cast<std::uint16_t>(Pick(rng, 0, 40));
        f.height = static_cast<std::uint16_t>(Pick(rng, 0, 40));
        f.centreX = static_cast<std::int16_t>(Pick(rng, f.width - 512, 512));
        f.centreY = static_cast<std::int16_t>(Pick(rng, -512, 512 - f.height));
        const int holes = Pick(rng, 0, 5);  // in fifths; 5: an empty frame
        f.cells.resize(std::size_t{f.width} * f.height);
        for (auto& c : f.cells) c = static_cast<std::int16_t>(Pick(rng, 0, 4) < holes ? T : Pick(rng, 0, 255));
    }
    return a;
}

void ExpectSameFrames(const Animation& a, const Animation& b) {
    ASSERT_EQ(a.frames.size(), b.frames.size());
    for (std::size_t i = 0; i < a.frames.size(); ++i) {
        const AnimFrame &x = a.frames[i], &y = b.frames[i];
        EXPECT_EQ(std::tie(x.centreX, x.centreY, x.width, x.height, x.cells),
                  std::tie(y.centreX, y.centreY, y.width, y.height, y.cells))
            << "frame " << i;
    }
}

void PutRun(B& b, int dx, int dy, const std::vector<std::uint8_t>& cells) {
    PutLE(b,
          static_cast<std::uint32_t>(cells.size()) | (static_cast<std::uint32_t>(dy & 0x3FF) << 12) |
              (static_cast<std::uint32_t>(dx & 0x3FF) << 22),
          4);
    b.insert(b.end(), cells.begin(), cells.end());
}

// The frames as another program may write them: bit 15 set in the palette,
// frames stored last to first, rows from the bottom, stretches cut into runs
// of random lengths, and bytes after the last frame.
B ForeignBlock(const Animation& a, std::mt19937& rng) {
    B b;
    for (std::uint16_t c : a.palette) PutLE(b, c | 0x8000u, 2);
    PutLE(b, static_cast<std::uint32_t>(a.frames.size()), 4);
    b.resize(516 + 4 * a.frames.size());
    for (std::size_t i = a.frames.size(); i-- > 0;) {
        const AnimFrame& f = a.frames[i];
        PutLE32(&b[516 + 4 * i], static_cast<std::uint32_t>(b.size() - 512));
        for (int v : {int{f.centreX}, int{f.centreY}, int{f.width}, int{f.height}})
            PutLE(b, static_cast<std::uint32_t>(v), 2);
        for (int y = f.height; y-- > 0;)
            for (int x = 0; x < f.width;) {
                std::vector<std::uint8_t> run;
                const int first = x, cut = Pick(rng, 1, 8);
                for (; x < f.width && f.cells[static_cast<std::size_t>(y * f.width + x)] != T && x - first < cut; ++x)
                    run.push_back(static_cast<std::uint8_t>(f.cells[static_cast<std::size_t>(y * f.width + x)]));
                if (run.empty())
                    ++x;
                else
                    PutRun(b, first - f.centreX, y - f.centreY - f.height, run);
            }
        PutLE(b, 0x7FFF7FFF, 4);
    }
    b.push_back(0xAB);
    return b;
}
}  // namespace

TEST(AnimFrames, WritesOneLayoutThatComesBackByteForByte) {
    Animation a;
    a.palette[0] = 0x8001;  // bit 15 is not part of the colour
    a.frames = {{1, 0, 3, 2, {5, T, 6, 7, 8, 9}, 0}, {-3, 4, 0, 0, {}, 0}};
    B expected;
    for (std::size_t i = 0; i < 256; ++i) PutLE(expected, i == 0, 2);
    for (std::uint32_t v : {2u, 12u, 41u}) PutLE(expected, v, 4);  // count, offsets from byte 512
    for (std::uint32_t v : {1u, 0u, 3u, 2u}) PutLE(expected, v, 2);
    for (const char* bytes : {"01 E0 FF FF 05  01 E0 7F 00 06  03 F0 FF FF 07 08 09  FF 7F FF 7F",  // runs, end mark
                              "FD FF 04 00 00 00 00 00  FF 7F FF 7F"}) {
        const B b = HexBytes(bytes);
        expected.insert(expected.end(), b.begin(), b.end());
    }
    B block;
    ASSERT_EQ(EncodeAnimation(a, block), "");
    EXPECT_EQ(block, expected);

    std::mt19937 rng(27);
    for (int round = 0; round < 200; ++round) {
        a = RandomAnimation(rng);
        ASSERT_EQ(EncodeAnimation(a, block), "");
        Animation back, foreign;
        B again;
        ASSERT_EQ(DecodeAnimation(block, back), "");
        ExpectSameFrames(back, a);
        ASSERT_EQ(EncodeAnimation(back, again), "");
        EXPECT_EQ(again, block);
        ASSERT_EQ(DecodeAnimation(ForeignBlock(a, rng), foreign), "");
        ExpectSameFrames(foreign, a);
        EXPECT_EQ(foreign.palette, back.palette);
    }
}

TEST(AnimFrames, LeavesOutCellsPlacedOutsideTheBoxAndCopiesSharedFrames) {
    B b(512, 0);
    for (std::uint32_t v : {2u, 12u, 12u}) PutLE(b, v, 4);  // both frames at the same bytes
    for (std::uint32_t v : {0u, 0u, 2u, 2u}) PutLE(b, v, 2);
    PutRun(b, -1, -2, {1, 2, 3});  // x from -1: one cell to the left of the box
    PutRun(b, 0, 0, {4, 5});       // y 2: below the box
    PutRun(b, 1, -1, {6});
    PutLE(b, 0x7FFF7FFF, 4);
    Animation a;
    ASSERT_EQ(DecodeAnimation(b, a), "");
    ASSERT_EQ(a.frames.size(), 2u);
    for (const AnimFrame& f : a.frames)
        EXPECT_EQ(std::tie(f.cells, f.cellsOutside), std::tuple(std::vector<std::int16_t>{2, 3, T, 6}, 3));
}

TEST(AnimFrames, RefusesDamagedBlocksAndFramesItCannotWrite) {
    Animation one;
    one.frames = {{0, 0, 2, 1, {1, 2}, 0}};
    B good;
    ASSERT_EQ(EncodeAnimation(one, good), "");  // 516 + 4 + 8 + 4 + 2 + 4 bytes
    auto with = [&](std::size_t at, std::uint32_t value, std::size_t size) {
        B b = good;
        PutLE32(&b[at], value);
        b.resize(size);
        return b;
    };
    B overlapping = with(512, 2, good.size());
    overlapping.insert(overlapping.begin() + 520, 4, 0);
    PutLE32(&overlapping[516], 12);
    PutLE32(&overlapping[520], 16);  // inside the first frame
    const std::vector<std::pair<B, std::string>> damaged = {
        {B(515, 0), "The block holds 515 bytes, fewer than the 516 of an animation's palette and frame count."},
        {with(512, 6, good.size()), "The animation block claims 6 frames; its 538 bytes hold offsets for 5."},
        {with(516, 0xFFFFFFF8, good.size()),
         "Frame 0 starts at byte 4294967800, past the end of the block's 538 bytes."},
        {with(516, 0x01000008, good.size()), "Frame 0 starts at byte 16777736, past the end of the block's 538 bytes."},
        {with(516, 4, good.size()), "Frame 0 starts at byte 516, inside the palette and offsets."},
        {with(524, 0xFFFFFFFF, good.size()),
         "The animation's frames claim more than 67108864 cells together: the block is damaged."},
        {with(528, 0x003FF003, good.size()), "Frame 0 runs past the end of the block without its end mark."},
        {with(516, 8, good.size() - 1), "Frame 0 runs past the end of the block without its end mark."},
        {overlapping, "Frame 1 starts inside the runs of frame 0."},
    };
    for (const auto& [block, message] : damaged) {
        Animation a = one;
        EXPECT_EQ(DecodeAnimation(block, a), message);
        EXPECT_EQ(a.frames.size(), 1u);
    }

    std::vector<FramePicture> colourful = {{"frame-000.png", {257, 1, {}}, {}, {}}};
    for (int i = 0; i < 257; ++i)
        colourful[0].picture.rgba.insert(colourful[0].picture.rgba.end(),
                                         {8, std::uint8_t(i % 32 * 8), std::uint8_t(i / 32 * 8), 255});
    const std::vector<FramePicture> tall = {{"frame-002.png", {1, 513, B(4 * 513, 255)}, {}, {}}};
    Animation a = one;
    EXPECT_EQ(AnimationFromPictures(colourful, std::nullopt, a),
              "The pictures use 257 colours, more than the 256 a palette holds.");
    EXPECT_EQ(
        AnimationFromPictures(tall, std::nullopt, a),
        "frame-002.png is larger than the run offsets can address: its cells at x 0, y 0 begin 0 columns and -513 rows "
        "from the anchor (centre x, centre y + height), where runs begin from -512 to 511.");
    // A run of 4,095 cells 511 columns right of and 9 rows above the anchor would read as the end mark.
    AnimFrame endless{0, 8, 4606, 1, std::vector<std::int16_t>(4606, 1), 0};
    std::fill_n(endless.cells.begin(), 511, T);
    B block = good;
    EXPECT_EQ(EncodeAnimation({{}, {endless}}, block),
              "Frame 0 has a run of 4095 cells at x 511, y 0 whose header would read as the end of the frame.");
    EXPECT_EQ(std::tuple(a.frames.size(), block), std::tuple(1u, good));
}

TEST(AnimPictures, FramesBecomePicturesAndPicturesTheSameFrames) {
    // Alpha below 128 is transparent; colours in order of first appearance; the anchor mid-bottom.
    const RgbaPicture picture{
        3, 2, {248, 0, 0, 255, 9, 9, 9, 127, 0, 8, 0, 128, 248, 0, 0, 255, 1, 2, 3, 0, 0, 0, 248, 200}};
    AnimPalette given{};
    given[7] = 0x001F, given[8] = 0x8020, given[9] = given[10] = 0x7C00;
    AnimPalette lacking = given;
    lacking[7] = 0;
    const std::vector<FramePicture> pictures = {{"a", picture, {}, {}}, {"b", picture, 5, -6}};
    for (const auto& [palette, cells] :
         {std::pair(std::optional(given), std::vector<std::int16_t>{9, T, 8, 9, T, 7}),
          std::pair(std::optional(lacking), std::vector<std::int16_t>{0, T, 1, 0, T, 2})}) {
        Animation a;
        ASSERT_EQ(AnimationFromPictures(pictures, palette, a), "");
        EXPECT_EQ(a.palette[0], palette == given ? 0 : 0x7C00);
        EXPECT_EQ(std::tie(a.frames[0].cells, a.frames[0].centreX, a.frames[0].centreY), std::tuple(cells, 1, 0));
        EXPECT_EQ(std::tie(a.frames[1].centreX, a.frames[1].centreY), std::tuple(5, -6));
        EXPECT_EQ(FrameToPicture(a.frames[0], a.palette).rgba,
                  B({248, 0, 0, 255, 0, 0, 0, 0, 0, 8, 0, 255, 248, 0, 0, 255, 0, 0, 0, 0, 0, 0, 248, 255}));
    }

    std::mt19937 rng(26);
    for (int round = 0; round < 50; ++round) {
        const Animation a = RandomAnimation(rng);
        std::vector<FramePicture> frames;
        for (const AnimFrame& f : a.frames) frames.push_back({"f", FrameToPicture(f, a.palette), f.centreX, f.centreY});
        Animation same, built;
        B block, again;
        ASSERT_EQ(AnimationFromPictures(frames, a.palette, same), "");
        ASSERT_EQ(EncodeAnimation(a, block), "");
        ASSERT_EQ(EncodeAnimation(same, again), "");
        EXPECT_EQ(again, block);  // with the palette it came with: the same bytes
        ASSERT_EQ(AnimationFromPictures(frames, std::nullopt, built), "");
        ASSERT_EQ(EncodeAnimation(built, block), "");
        ASSERT_EQ(DecodeAnimation(block, built), "");
        for (std::size_t i = 0; i < frames.size(); ++i)
            EXPECT_EQ(FrameToPicture(built.frames[i], built.palette).rgba, frames[i].picture.rgba);
    }
}

TEST(AnimLayout, NamesBlocksByBodyActionAndDirectionAcrossTheGroups) {
    const std::vector<std::pair<std::int32_t, AnimName>> names = {
        {0, {0, 0, 0}},       {109, {0, 21, 4}},     {110, {1, 0, 0}},     {21999, {199, 21, 4}},
        {22000, {200, 0, 0}}, {22064, {200, 12, 4}}, {22065, {201, 0, 0}}, {34999, {399, 12, 4}},
        {35000, {400, 0, 0}}, {35174, {400, 34, 4}}, {35175, {401, 0, 0}}, {35000 + 175 * 600 + 73, {1000, 14, 3}},
    };
    for (const auto& [block, name] : names) {
        EXPECT_EQ(AnimBlockName(block), name) << block;
        EXPECT_EQ(AnimBlockNumber(name), block) << block;
    }
    for (const AnimName& none : {AnimName{0, 22, 0}, AnimName{200, 13, 0}, AnimName{400, 35, 0}, AnimName{5, 0, 5},
                                 AnimName{5, -1, 0}, AnimName{-1, 0, 0}, AnimName{0x7FFFFFFF, 0, 0}})
        EXPECT_EQ(AnimBlockNumber(none), std::nullopt) << none.body << " " << none.action << " " << none.direction;
    EXPECT_EQ(AnimBlockName(-1), std::nullopt);
    EXPECT_EQ(std::tuple(AnimActionsOf(199), AnimActionsOf(200), AnimActionsOf(399), AnimActionsOf(400)),
              std::tuple(22, 13, 13, 35));
}
