#include <gtest/gtest.h>

#include "codecs/bytes.h"
#include "codecs/cMulConvert.h"
#include "codecs/colors.h"

namespace {
std::int32_t Rgb(int r, int g, int b) { return r + 256 * g + 65536 * b; }
}  // namespace

// Sixteen to thirty-two multiplies each channel by eight; back, red is divided
// by 8.1 and halves round to even.
TEST(Colors, ConvertBothWaysAndEveryDecodedColourEncodesBackUnchanged) {
    for (auto [c16, c32] : {std::pair{0x7FFF, Rgb(248, 248, 248)}, {0x8000, 0}, {0x001F, Rgb(0, 0, 248)},
                            {0x7C00, Rgb(248, 0, 0)}})  // bit 15 is ignored
        EXPECT_EQ(Color16To32(c16), c32) << c16;
    EXPECT_EQ(cMulConvert().Color16ToColor32(0x03E0), Rgb(0, 248, 0));
    for (auto [c32, c16] : {std::pair{Rgb(255, 255, 255), 0x7FFF}, {Rgb(124, 0, 0), 15 << 10}, {Rgb(0, 124, 0), 16 << 5},
                            {Rgb(0, 4, 0), 0}, {Rgb(0, 12, 0), 2 << 5}, {Rgb(0, 20, 0), 2 << 5}, {Rgb(0, 28, 0), 4 << 5},
                            {Rgb(0, 0, 252), 31}, {static_cast<std::int32_t>(0xFF000000u), 0}})  // top byte ignored
        EXPECT_EQ(Color32To16(c32), c16) << c32;
    for (std::int32_t c = 0; c < 0x8000; ++c) ASSERT_EQ(Color32To16(Color16To32(c)), c) << c;
}

// Little-endian, unsigned below four bytes and signed at four; reads outside
// the array yield no value, writes stop quietly at its end, copies are whole or refused.
TEST(Bytes, ReadWriteAndCopyStayInsideTheArray) {
    const Bytes ff = {0xFF, 0xFF, 0xFF, 0xFF}, three = {1, 2, 3};
    EXPECT_EQ(Bytes2Long(ff, 0, 2), 65535);
    EXPECT_EQ(Bytes2Long(ff, 0, 4), -1);
    EXPECT_EQ(Bytes2Long(Bytes{0x34, 0x12, 0x01}, 0, 3), 0x011234);
    EXPECT_EQ(Bytes2Integer(ff, 0, 2), -1);
    EXPECT_EQ(Bytes2Integer(ff, 0, 1), 255);
    EXPECT_EQ(Bytes2Long(three, 1, 2), 0x0302);
    for (auto [at, size] : {std::pair{2, 2}, {-1, 1}, {3, 1}, {0, 5}}) EXPECT_FALSE(Bytes2Long(three, at, size)) << at;
    EXPECT_FALSE(Bytes2Integer(three, 2, 2));

    Bytes b = {9, 9, 9, 9}, tail = {0, 0, 0, 0};
    Long2Bytes(258, b, 0, 3);
    Long2Bytes(0x030201, tail, 2, 3);
    EXPECT_EQ(b, (Bytes{2, 1, 0, 9}));
    EXPECT_EQ(tail, (Bytes{0, 0, 1, 2}));

    const Bytes four = {1, 2, 3, 4};
    Bytes dst = {0, 0, 0};
    EXPECT_TRUE(CopyByteRange(four, dst, 0, 0, 0));
    EXPECT_TRUE(CopyByteRange(four, dst, 2, 2, 1));
    EXPECT_FALSE(CopyByteRange(four, dst, 2, 3, 0));
    EXPECT_FALSE(CopyByteRange(four, dst, 0, 2, 2));
    EXPECT_EQ(dst, (Bytes{0, 3, 4}));
}
