#include <gtest/gtest.h>

#include "patch/FileTypes.h"
#include "patch/Patch.h"

TEST(FileTypes, CatalogueHoldsThirteenRowsExactly) {
    const FileTypeTable& t = FileTypes();
    int named = 0;
    for (const FileTypeEntry& e : t) named += !e.Name.empty();
    EXPECT_EQ(named, 13);
    EXPECT_EQ(t[0].Name, "Map");
    EXPECT_EQ(t[0].ConstantIndex, 196);
    EXPECT_EQ(t[0].NbrOfBlocks, 393215);
    EXPECT_EQ(t[2].Name, "Statics");
    EXPECT_EQ(t[6].NbrOfBlocks, 148809);
    EXPECT_EQ(t[14].NbrOfBlocks, 8182);
    EXPECT_EQ(t[30].ConstantIndex, 196);
    EXPECT_EQ(t[30].NbrOfBlocks, 1023);
    EXPECT_EQ(t[31].NbrOfBlocks, 0);
    EXPECT_EQ(t[32].ConstantIndex, 708);
    EXPECT_EQ(t[32].NbrOfBlocks, 374);
    EXPECT_EQ(t[252].Name, "Files");
    EXPECT_EQ(t[252].NbrOfBlocks, 2);
    for (int f : {1, 3, 17, 29, 33, 251, 253, 255}) EXPECT_TRUE(t[static_cast<std::size_t>(f)].Name.empty()) << f;
}

TEST(Patch, AppendKeepsOrderAndRemoveMarksTheFirstLiveSlot) {
    Patch p;
    p.Append(4, 5, {1}, 0, 0);
    p.Append(4, 5, {2, 3}, 7, -1);
    EXPECT_EQ(p[4].Count(), 2);
    EXPECT_EQ(p[4].Blocks[1].Length, 2);
    EXPECT_EQ(p[4].Blocks[1].FlagB, -1);
    EXPECT_EQ(p.FindBlock(4, 5), 0);
    EXPECT_EQ(p.FindLiveBlock(4, 5), 1);

    p.RemoveBlock(4, 99);
    EXPECT_EQ(p[4].RemovedCount, 0);
    p.RemoveBlock(4, 5);
    EXPECT_EQ(p[4].Blocks[0].BlockNumber, -1);
    EXPECT_EQ(p[4].RemovedCount, 1);
    EXPECT_EQ(p.FindBlock(4, 5), 1);
    EXPECT_EQ(p.FindBlock(7, 0), -1);

    int live = 0;
    p.ForEachLive(4, [&](const PatchBlock& b) { live += b.BlockNumber == 5; });
    EXPECT_EQ(live, 1);
}

TEST(Patch, ClearEmptiesEveryEntryAndZeroLengthBlocksAreLive) {
    Patch p;
    p.Append(0, 1, {}, 0, 0);
    p.Append(255, 1, {1}, 0, 0);
    EXPECT_EQ(p[0].Blocks[0].Length, 0);
    EXPECT_TRUE(p[0].Blocks[0].IsLive());
    EXPECT_EQ(p.LiveCount(), 2);
    p.Clear();
    for (int f = 0; f < 256; ++f) EXPECT_EQ(p[static_cast<std::uint8_t>(f)].Count(), 0);
    EXPECT_EQ(p.LiveCount(), 0);
}
