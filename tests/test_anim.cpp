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

// Up to five frames, empty ones among them, centres up to far outside the
// box yet every cell within the runs' reach; distinct palette colours.
Animation RandomAnimation(std::mt19937& rng) {
    Animation a;
    for (std::size_t i = 0; i < 256; ++i) a.palette[i] = static_cast<std::uint16_t>(97 * i + Pick(rng, 0, 96));
    a.frames.resize(static_cast<std::size_t>(Pick(rng, 0, 5)));
    for (AnimFrame& f : a.frames) {
        f.width = static_cast<std::uint16_t>(Pick(rng, 0, 40));
        f.height = static_cast<std::uint16_t>(Pick(rng, 0, 40));
        f.centreX = static_cast<std::int16_t>(Pick(rng, f.width - 512, 512));
        f.centreY = static_cast<std::int16_t>(Pick(rng, -512, 512 - f.height));
        const int holes = Pick(rng, 0, 5);  // in fifths
        for (int i = 0; i < f.width * f.height; ++i) f.cells.push_back(Pick(rng, 0, 4) < holes ? T : Pick(rng, 0, 255));
    }
    return a;
}

// As another program may write them: bit 15 set in the palette, frames last
// to first, rows from the bottom, stretches cut at random, bytes after.
B ForeignBlock(const Animation& a, std::mt19937& rng) {
    B b;
    for (std::uint16_t c : a.palette) PutLE(b, c | 0x8000u, 2);
    PutLE(b, static_cast<std::uint32_t>(a.frames.size()), 4);
    b.resize(516 + 4 * a.frames.size());
    for (std::size_t i = a.frames.size(); i-- > 0;) {
        const AnimFrame& f = a.frames[i];
        PutLE32(&b[516 + 4 * i], static_cast<std::uint32_t>(b.size() - 512));
        for (int v : {f.centreX, f.centreY}) PutLE(b, static_cast<std::uint32_t>(v), 2);
        for (int v : {f.width, f.height}) PutLE(b, static_cast<std::uint32_t>(v), 2);
        for (int y = f.height; y-- > 0;) {
            B run;
            for (int x = 0; x <= f.width; ++x) {
                const std::int16_t cell = x < f.width ? f.cells[static_cast<std::size_t>(y * f.width + x)] : T;
                if (!run.empty() && (cell == T || Pick(rng, 0, 3) == 0)) {
                    const int dx = x - static_cast<int>(run.size()) - f.centreX, dy = y - f.centreY - f.height;
                    PutLE(b, static_cast<std::uint32_t>(run.size() | (dy & 0x3FFu) << 12 | (dx & 0x3FFu) << 22), 4);
                    b.insert(b.end(), run.begin(), run.end());
                    run.clear();
                }
                if (cell != T) run.push_back(static_cast<std::uint8_t>(cell));
            }
        }
        PutLE(b, 0x7FFF7FFF, 4);
    }
    b.push_back(0xAB);
    return b;
}
}  // namespace

TEST(AnimFrames, WritesOneLayoutByteForByteAndReadsOtherLayoutsAndItsPicturesToTheSameFrames) {
    Animation a;
    a.palette[0] = 0x8001;  // bit 15 is not part of the colour
    a.frames = {{1, 0, 3, 2, {5, T, 6, 7, 8, 9}, 0}, {-3, 4, 0, 0, {}, 0}};
    B expected(512, 0);
    expected[0] = 1;
    const B rest = HexBytes(
        "02 00 00 00 0C 00 00 00 29 00 00 00  01 00 00 00 03 00 02 00  01 E0 FF FF 05  01 E0 7F 00 06"
        "  03 F0 FF FF 07 08 09  FF 7F FF 7F  FD FF 04 00 00 00 00 00  FF 7F FF 7F");
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(EncodeAnimation(a).value(), expected);

    std::mt19937 rng(27);
    for (int round = 0; round < 200; ++round) {
        a = RandomAnimation(rng);
        std::vector<FramePicture> pictures;
        for (const AnimFrame& f : a.frames)
            pictures.push_back({"", FrameToPicture(f, a.palette), f.centreX, f.centreY});
        const B block = EncodeAnimation(a).value();
        const Animation back = DecodeAnimation(block).value();
        const Animation same = AnimationFromPictures(pictures, a.palette).value();  // the palette it came with
        EXPECT_TRUE(back == a && EncodeAnimation(back).value() == block && DecodeAnimation(ForeignBlock(a, rng)).value() == a &&
                    same == a)
            << round;
    }
}

TEST(AnimFrames, LeavesOutCellsOutsideTheBoxCopiesSharedFramesAndRefusesDamage) {
    // Two frames at the same bytes; runs from x -1 (a cell left of the box), at y 2 (below it) and at 1, 1.
    B shared(512, 0);
    const B frame = HexBytes(
        "02 00 00 00 0C 00 00 00 0C 00 00 00  00 00 00 00 02 00 02 00"
        "  03 E0 FF FF 01 02 03  02 00 00 00 04 05  01 F0 7F 00 06  FF 7F FF 7F");
    shared.insert(shared.end(), frame.begin(), frame.end());
    const AnimFrame expected{0, 0, 2, 2, {2, 3, T, 6}, 3};
    EXPECT_EQ(DecodeAnimation(shared).value().frames, std::vector<AnimFrame>(2, expected));

    const B good = EncodeAnimation({{}, {{0, 0, 2, 1, {1, 2}, 0}}}).value();  // 538 bytes: one 2 x 1 frame of one run
    auto with = [&](std::size_t at, std::uint32_t value, std::size_t size) {
        B b = good;
        PutLE32(&b[at], value);
        b.resize(size);
        return b;
    };
    B overlapping = with(512, 2, good.size());
    overlapping.insert(overlapping.begin() + 520, {16, 0, 0, 0});  // inside the first frame's header
    PutLE32(&overlapping[516], 12);
    // Seventeen frames at the bytes of one 2048 x 2048 frame.
    B crowded(512, 0);
    PutLE(crowded, 17, 4);
    for (int i = 0; i < 17; ++i) PutLE(crowded, 4 + 4 * 17, 4);
    for (std::uint32_t v : {0u, 2048u, 2048u}) PutLE(crowded, v, v == 0 ? 4 : 2);
    PutLE(crowded, 0x7FFF7FFF, 4);
    const std::vector<std::pair<B, std::string>> damaged = {
        {B(515, 0), "The block holds 515 bytes, fewer than the 516 of an animation's palette and frame count."},
        {with(512, 6, 538), "The animation block claims 6 frames; its 538 bytes hold offsets for 5."},
        {with(516, 0xFFFFFFF8, 538), "Frame 0 starts at byte 4294967800, past the end of the block's 538 bytes."},
        {with(516, 4, 538), "Frame 0 starts at byte 516, inside the palette and offsets."},
        {with(524, 0xFFFFFFFF, 538), "Frame 0 is 65535 x 65535 pixels, larger than the 2048 x 2048 a frame may be."},
        {crowded, "The animation's frames claim more than 67108864 cells together: the block is damaged."},
        {with(528, 0x003FF003, 538), "Frame 0 runs past the end of the block without its end mark."},
        {overlapping, "Frame 1 starts inside the runs of frame 0."},
    };
    for (const auto& [block, message] : damaged) EXPECT_EQ(Why(DecodeAnimation(block)), message);
}

// A damaged frame is left out and named; the frames around it decode. A
// frame larger than 2048 pixels either way is damage, never allocated: the
// block found by fuzzing (a width of -3 read as 65,533) stands for it.
TEST(AnimFrames, LeavesOutTheFramesThatDoNotDecodeAndFramesTooLargeToBeReal) {
    const B found = ReadFileBytes(std::string(PALINDRA_FUZZ_REGRESSIONS) + "/anim/frame-65533-wide.bin");
    ASSERT_EQ(found.size(), 587u);
    const std::string tooWide = "Frame 0 is 65533 x 1022 pixels, larger than the 2048 x 2048 a frame may be.";
    const AnimDecoding none = DecodeAnimationFrames(found);
    EXPECT_EQ(std::tuple(none.count, none.animation.frames.size(), none.damage, none.Undecodable()),
              std::tuple(std::size_t{1}, std::size_t{0}, std::vector<std::string>{tooWide}, true));
    EXPECT_EQ(Why(DecodeAnimation(found)), tooWide);

    // Frames 0 and 3 whole; 1 one pixel too high, 2 past the end of the block, 4 a copy of 2.
    const AnimFrame small{2, 0, 2, 1, {7, 8}, 0};
    const AnimFrame high{0, 0, 1, 2049, std::vector<std::int16_t>(2049, T), 0};
    EXPECT_EQ(Why(EncodeAnimation({{}, {high}})), "Frame 0 is 1 x 2049 pixels, larger than the 2048 x 2048 a frame may be.");
    B block = EncodeAnimation({{}, {small, {}, {}, small, {}}}).value();
    const std::uint32_t frame1 = GetLE32(&block[520]);
    PutLE16(&block[512 + frame1 + 6], 2049);
    PutLE32(&block[524], 0xFFFFFF00);
    PutLE32(&block[532], 0xFFFFFF00);
    const AnimDecoding partly = DecodeAnimationFrames(block);
    EXPECT_EQ(partly.animation.frames, (std::vector<AnimFrame>{small, small}));
    EXPECT_EQ(std::pair(partly.numbers, partly.count), std::pair(std::vector<std::size_t>{0, 3}, std::size_t{5}));
    ASSERT_EQ(partly.damage.size(), 3u);
    EXPECT_EQ(partly.damage[0], "Frame 1 is 0 x 2049 pixels, larger than the 2048 x 2048 a frame may be.");
    EXPECT_TRUE(Has(partly.damage[1], "Frame 2 starts at byte 4294967552, past the end") &&
                Has(partly.damage[2], "Frame 4 starts at byte 4294967552"));
    EXPECT_EQ(DamageText(partly), partly.damage[0] + " " + partly.damage[1] + " " + partly.damage[2]);
    AnimDecoding more = partly;
    more.damage.push_back("x");
    EXPECT_TRUE(DamageText(more).ends_with(partly.damage[2] + " 1 more frame does not decode either."));
}

TEST(AnimPictures, FramesBecomePicturesAndPicturesTheSameFramesOrAReason) {
    // Alpha below 128 is transparent; the anchor is mid-bottom unless given.
    const RgbaPicture picture{
        3, 2, {248, 0, 0, 255, 9, 9, 9, 127, 0, 8, 0, 128, 248, 0, 0, 255, 1, 2, 3, 0, 0, 0, 248, 200}};
    const B drawn = {248, 0, 0, 255, 0, 0, 0, 0, 0, 8, 0, 255, 248, 0, 0, 255, 0, 0, 0, 0, 0, 0, 248, 255};
    AnimPalette given{}, lacking{};
    given[7] = 0x001F, given[8] = 0x8020, given[9] = given[10] = lacking[9] = 0x7C00;
    const std::vector<FramePicture> pictures = {{"a", picture, {}, {}}, {"b", picture, 5, -6}};
    for (const auto& [palette, first, cells] :
         {std::tuple(given, 0, std::vector<std::int16_t>{9, T, 8, 9, T, 7}),
          std::tuple(lacking, 0x7C00, std::vector<std::int16_t>{0, T, 1, 0, T, 2})}) {
        const Animation a = AnimationFromPictures(pictures, palette).value();
        EXPECT_EQ(std::tie(a.palette[0], a.frames[0].cells, a.frames[0].centreX, a.frames[0].centreY,
                           a.frames[1].centreX, a.frames[1].centreY),
                  std::tuple(first, cells, 1, 0, 5, -6));
        EXPECT_EQ(FrameToPicture(a.frames[0], a.palette).rgba, drawn);
    }

    FramePicture colourful{"frame-000.png", {257, 1, {}}, {}, {}};
    for (int i = 0; i < 257; ++i)
        colourful.picture.rgba.insert(colourful.picture.rgba.end(),
                                      {8, B::value_type(i % 32 * 8), B::value_type(i / 32 * 8), 255});
    const FramePicture tall{"frame-002.png", {1, 513, B(4 * 513, 255)}, {}, {}};
    EXPECT_EQ(Why(AnimationFromPictures({&colourful, 1}, std::nullopt)),
              "The pictures use 257 colours, more than the 256 a palette holds.");
    EXPECT_TRUE(Has(AnimationFromPictures({&tall, 1}, std::nullopt),
                    "frame-002.png is larger than the run offsets can address: its cells at x 0, y 0 begin 0 columns "
                    "and -513 rows from the anchor"));
    AnimFrame wide{0, 0, 1100, 1, std::vector<std::int16_t>(1100, 1), 0};  // its run starts 600 right of the anchor
    std::fill_n(wide.cells.begin(), 600, T);
    EXPECT_TRUE(Has(EncodeAnimation({{}, {wide}}), "Frame 0 is larger than the run offsets can address"));
}

TEST(AnimLayout, NamesBlocksByBodyActionAndDirectionAcrossTheGroups) {
    const std::vector<std::pair<std::int32_t, AnimName>> names = {
        {0, {0, 0, 0}},       {109, {0, 21, 4}},     {110, {1, 0, 0}},     {21999, {199, 21, 4}},
        {22000, {200, 0, 0}}, {22064, {200, 12, 4}}, {22065, {201, 0, 0}}, {34999, {399, 12, 4}},
        {35000, {400, 0, 0}}, {35174, {400, 34, 4}}, {35175, {401, 0, 0}}, {35000 + 175 * 600 + 73, {1000, 14, 3}}};
    for (const auto& [block, name] : names) {
        EXPECT_EQ(AnimBlockName(block), name) << block;
        EXPECT_EQ(AnimBlockNumber(name), block) << block;
    }
    for (const AnimName& none : {AnimName{0, 22, 0}, AnimName{200, 13, 0}, AnimName{400, 35, 0}, AnimName{5, 0, 5},
                                 AnimName{5, -1, 0}, AnimName{-1, 0, 0}, AnimName{0x7FFFFFFF, 0, 0}})
        EXPECT_EQ(AnimBlockNumber(none), std::nullopt) << none.body << " " << none.action << " " << none.direction;
    EXPECT_EQ(AnimBlockName(-1), std::nullopt);
}
