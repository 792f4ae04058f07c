#include <gtest/gtest.h>

#include "codecs/bytes.h"
#include "codecs/cMulConvert.h"
#include "codecs/colors.h"

namespace {
std::int32_t Rgb(int r, int g, int b) { return r + 256 * g + 65536 * b; }
}  // namespace

TEST(Colors, SixteenToThirtyTwoMultipliesEachChannelByEight) {
    EXPECT_EQ(Color16To32(0x7FFF), Rgb(248, 248, 248));
    EXPECT_EQ(Color16To32(0x8000), 0);  // bit 15 is ignored
    EXPECT_EQ(Color16To32(0x001F), Rgb(0, 0, 248));
    EXPECT_EQ(Color16To32(0x7C00), Rgb(248, 0, 0));
    cMulConvert codec;
    EXPECT_EQ(codec.Color16ToColor32(0x03E0), Rgb(0, 248, 0));
}

TEST(Colors, ThirtyTwoToSixteenDividesRedByEightPointOneAndRoundsHalvesToEven) {
    EXPECT_EQ(Color32To16(Rgb(255, 255, 255)), 0x7FFF);
    EXPECT_EQ(Color32To16(Rgb(124, 0, 0)), 15 << 10);
    EXPECT_EQ(Color32To16(Rgb(0, 124, 0)), 16 << 5);
    EXPECT_EQ(Color32To16(Rgb(0, 4, 0)), 0);
    EXPECT_EQ(Color32To16(Rgb(0, 12, 0)), 2 << 5);
    EXPECT_EQ(Color32To16(Rgb(0, 20, 0)), 2 << 5);
    EXPECT_EQ(Color32To16(Rgb(0, 28, 0)), 4 << 5);
    EXPECT_EQ(Color32To16(Rgb(0, 0, 252)), 31);  // held at 31
    EXPECT_EQ(Color32To16(static_cast<std::int32_t>(0xFF000000u)), 0);  // top byte ignored
}

TEST(Colors, EveryDecodedColourEncodesBackUnchanged) {
    for (std::int32_t c = 0; c < 0x8000; ++c) ASSERT_EQ(Color32To16(Color16To32(c)), c) << c;
}

TEST(Bytes, ReadsLittleEndianUnsignedBelowFourBytesSignedAtFour) {
    const Bytes ff = {0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(Bytes2Long(ff, 0, 2), 65535);
    EXPECT_EQ(Bytes2Long(ff, 0, 4), -1);
    EXPECT_EQ(Bytes2Long(Bytes{0x34, 0x12, 0x01}, 0, 3), 0x011234);
    EXPECT_EQ(Bytes2Integer(ff, 0, 2), -1);
    EXPECT_EQ(Bytes2Integer(ff, 0, 1), 255);
}

TEST(Bytes, ReadsOutsideTheArrayYieldNoValue) {
    const Bytes three = {1, 2, 3};
    EXPECT_FALSE(Bytes2Long(three, 2, 2));
    EXPECT_FALSE(Bytes2Long(three, -1, 1));
    EXPECT_FALSE(Bytes2Long(three, 3, 1));
    EXPECT_FALSE(Bytes2Long(three, 0, 5));
    EXPECT_FALSE(Bytes2Integer(three, 2, 2));
    EXPECT_TRUE(Bytes2Long(three, 1, 2));
}

TEST(Bytes, WritesStopQuietlyAtTheEndOfTheArray) {
    Bytes b = {9, 9, 9, 9};
    Long2Bytes(258, b, 0, 3);
    EXPECT_EQ(b, (Bytes{2, 1, 0, 9}));
    Bytes tail = {0, 0, 0, 0};
    Long2Bytes(0x030201, tail, 2, 3);
    EXPECT_EQ(tail, (Bytes{0, 0, 1, 2}));
}

TEST(Bytes, CopyRangeCopiesOrRefusesWhole) {
    const Bytes src = {1, 2, 3, 4};
    Bytes dst = {0, 0, 0};
    EXPECT_TRUE(CopyByteRange(src, dst, 0, 0, 0));
    EXPECT_EQ(dst, (Bytes{0, 0, 0}));
    EXPECT_TRUE(CopyByteRange(src, dst, 2, 2, 1));
    EXPECT_EQ(dst, (Bytes{0, 3, 4}));
    EXPECT_FALSE(CopyByteRange(src, dst, 2, 3, 0));
    EXPECT_FALSE(CopyByteRange(src, dst, 0, 2, 2));
    EXPECT_EQ(dst, (Bytes{0, 3, 4}));
}
