// The patch in memory, its bytes and colours, and the texts of the block tree.
#include <gtest/gtest.h>

#include "io/bytes.h"
#include "codecs/colors.h"
#include "patch/patch.h"
#include "patch/block_info.h"
#include "patch/block_tree.h"
#include "test_support.h"

namespace {
std::int32_t Rgb(int r, int g, int b) { return r + 256 * g + 65536 * b; }

std::vector<std::int32_t> Blocks(const std::vector<FileTypeNode>& plan, std::uint8_t fileId) {
    for (const FileTypeNode& f : plan)
        if (f.fileId == fileId) return f.blocks;
    return {{-99}};
}
}  // namespace

// Zero-length blocks are live; removal marks the first live slot.
TEST(Patch, AppendKeepsOrderAndRemoveMarksTheFirstLiveSlot) {
    Patch p = PatchOf({{4, 5, {1}}, {4, 5, {2, 3}, 7, -1}, {0, 1, {}}, {255, 1, {1}}});
    EXPECT_EQ(SlotsOf(p, 4), (std::vector<SlotFacts>{{5, 1, 0, 0}, {5, 2, 7, -1}}));
    EXPECT_EQ(std::tuple(*p.FindBlock(4, 5), *p.FindLiveBlock(4, 5), p.LiveCount()), std::tuple(0u, 1u, 4));
    EXPECT_TRUE(p[0].blocks[0].IsLive());

    p.RemoveBlock(4, 99);
    EXPECT_EQ(p[4].removedCount, 0);
    p.RemoveBlock(4, 5);
    EXPECT_EQ(SlotsOf(p, 4)[0], SlotFacts(-1, 1, 0, 0));
    EXPECT_EQ(p[4].removedCount, 1);
    EXPECT_EQ(p.FindBlock(4, 5), 1u);
    EXPECT_FALSE(p.FindBlock(7, 0) || p.LiveBlock(7, 0));
    int live = 0;
    p.ForEachLive(4, [&](const PatchBlock& b) { live += b.number == 5; });
    EXPECT_EQ(live, 1);
}

// Sixteen to thirty-two multiplies each channel by eight; back, red is divided
// by 8.1 and halves round to even.
TEST(Colors, ConvertBothWaysAndEveryDecodedColourEncodesBackUnchanged) {
    for (auto [c16, c32] : {std::pair{0x7FFF, Rgb(248, 248, 248)}, {0x8000, 0}, {0x001F, Rgb(0, 0, 248)},
                            {0x7C00, Rgb(248, 0, 0)}})  // bit 15 is ignored
        EXPECT_EQ(Color16To32(c16), c32) << c16;
    for (auto [c32, c16] : {std::pair{Rgb(255, 255, 255), 0x7FFF}, {Rgb(124, 0, 0), 15 << 10}, {Rgb(0, 124, 0), 16 << 5},
                            {Rgb(0, 4, 0), 0}, {Rgb(0, 12, 0), 2 << 5}, {Rgb(0, 20, 0), 2 << 5}, {Rgb(0, 28, 0), 4 << 5},
                            {Rgb(0, 0, 252), 31}, {static_cast<std::int32_t>(0xFF000000u), 0}})  // top byte ignored
        EXPECT_EQ(Color32To16(c32), c16) << c32;
    for (std::int32_t c = 0; c < 0x8000; ++c) ASSERT_EQ(Color32To16(Color16To32(c)), c) << c;
}

// Little-endian, unsigned below four bytes and signed at four; reads outside
// the array yield no value.
TEST(Bytes, ReadsStayInsideTheArray) {
    const Bytes ff = {0xFF, 0xFF, 0xFF, 0xFF}, three = {1, 2, 3};
    EXPECT_EQ(ReadLE(ff, 0, 2), 65535);
    EXPECT_EQ(ReadLE(ff, 0, 4), -1);
    EXPECT_EQ(ReadLE(Bytes{0x34, 0x12, 0x01}, 0, 3), 0x011234);
    EXPECT_EQ(ReadSignedLE(ff, 0, 2), -1);
    EXPECT_EQ(ReadSignedLE(ff, 0, 1), 255);
    EXPECT_EQ(ReadLE(three, 1, 2), 0x0302);
    for (auto [at, size] : {std::pair{2, 2}, {-1, 1}, {3, 1}, {0, 5}}) EXPECT_FALSE(ReadLE(three, at, size)) << at;
    EXPECT_FALSE(ReadSignedLE(three, 2, 2));
}

TEST(BlockTree, TextsPadButNeverCutTheirNumbers) {
    const std::pair<std::string, const char*> cases[] = {
        {BlockKey(4, 4660), "F004B4660"}, {BlockText(4660), "0x01234"}, {BlockText(0x123456), "0x123456"},
        {SettledBlockText(4660), "004660"}, {Hex(393215, 5), "5FFFF"}, {Hex(65536, 4), "10000"},
        {BlockNodeText(252, 1, false), "Readme.txt"}, {BlockNodeText(252, 5, true), "unknown"},
        {BlockNodeText(4, 7, true), "000007"}};
    for (const auto& [text, expected] : cases) EXPECT_EQ(text, expected);
}

TEST(BlockTree, PlanListsNamedFileTypesWithTheirBlocksSortedByNumber) {
    Patch p;
    for (std::int32_t n : {0x123456, 7, 0x12345, 9}) p.Append(4, n, {}, 0, 0);
    p.RemoveBlock(4, 9);
    p.Append(1, 5, {1}, 0, 0);  // no name: no node
    for (int i = 0; i < kLotsThreshold; ++i) p.Append(2, i, {}, 0, 0);
    for (int i = 0; i < kLotsThreshold - 1; ++i) p.RemoveBlock(2, i);
    for (int n : {2, 0}) p.Append(252, n, {1}, 0, 0);
    const auto plan = PlanTree(p, FileTypes());
    ASSERT_EQ(plan.size(), 13u);
    EXPECT_EQ(plan.front().fileId, 0);
    EXPECT_EQ(plan.back().fileId, 252);
    EXPECT_EQ(Blocks(plan, 4), (std::vector<std::int32_t>{7, 0x12345, 0x123456}));
    EXPECT_EQ(Blocks(plan, 252), (std::vector<std::int32_t>{0, 2}));
    EXPECT_TRUE(plan[1].lots);  // counted by slots, removed ones too
    EXPECT_EQ(plan[1].blocks, (std::vector<std::int32_t>{kLotsThreshold - 1}));
    EXPECT_FALSE(plan[2].lots);
}

TEST(BlockInfo, TextsFollowTheTableOfEachFileType) {
    auto block = [](std::int32_t length, std::int16_t flagA = 0, std::int16_t flagB = 0) {
        PatchBlock b;
        b.bytes = length > 0 ? BlockBytes(Bytes(static_cast<std::size_t>(length))) : BlockBytes::Absent(length);
        b.flagA = flagA;
        b.flagB = flagB;
        return b;
    };
    auto texts = [](const BlockInfo& info) {
        return std::vector<std::string>{info.heading,  info.lines[0], info.lines[1],
                                        info.lines[2], info.lines[3], info.lines[4]};
    };
    PatchBlock b196 = block(196), b100 = block(100), b2024 = block(2024), b21 = block(21), gump = block(8, 1, 2);
    using V = std::vector<std::string>;
    EXPECT_EQ(texts(DescribeBlock(0, 513, &b196)), (V{"Map 0x00201 (513) :", "Block size: 196", "From: 8,8", "To: 15,15", "", ""}));
    EXPECT_EQ(texts(DescribeBlock(4, 16384, &b100)),
              (V{"Art 0x4000 (16384) :", "Block size: 100", "Type: Static tile", "Itemnumber: 0x0000 (0)", "", ""}));
    EXPECT_EQ(texts(DescribeBlock(4, 16383, &b2024)),
              (V{"Art 0x3FFF (16383) :", "Block size: 2024", "Type: Landscape tile", "", "", ""}));
    EXPECT_EQ(texts(DescribeBlock(30, 511, &b100)), (V{"Tiledata 0x01FF (511) :", "Block size: 100", "Type: Landscape tiledata",
                                                       "From: 0x3FE0 (16352)", "To: 0x3FFF (16383)", ""}));
    EXPECT_EQ(texts(DescribeBlock(30, 512, &b100))[2], "Type: Statics tiledata");
    EXPECT_EQ(texts(DescribeBlock(2, 0, &b21)),
              (V{"Statics 0x0000 (0) :", "Number of items: 3", "Block size: 21", "From: 0,0", "To: 7,7", ""}));
    EXPECT_EQ(texts(DescribeBlock(12, 5, &gump)), (V{"Gump 0x0005 (5) :", "Block size: 8", "Size: 2x1", "", "", ""}));
    EXPECT_EQ(Sevenths(10), "1.42857142857143");
    EXPECT_EQ(texts(DescribeBlock(0, 393215, &b196))[0], "Map 0x5FFFF (393215) :");
    EXPECT_EQ(texts(DescribeBlock(32, 1, nullptr)), (V{"Hues 0x0001 (1) :", "", "", "", "", ""}));
    EXPECT_EQ(texts(DescribeBlock(252, 0, &b100)), (V{"", "", "", "", "", ""}));
    PatchBlock anim = block(600);
    anim.bytes.Mutable()[512] = 7;
    EXPECT_EQ(texts(DescribeBlock(6, 3, &anim))[2], "Frame count: 7");
}
