#include <gtest/gtest.h>

#include "patch/FileTypes.h"
#include "patch/Patch.h"
#include "patch/settle_duplicates.h"

TEST(FileTypes, OnlyTheThirteenKnownTypesHaveNames) {
    int named = 0;
    for (const FileTypeEntry& e : FileTypes()) named += !e.Name.empty();
    EXPECT_EQ(named, 13);
    EXPECT_EQ(FileTypes()[0].NbrOfBlocks, 393215);  // blocks 0..393215: a whole map
    EXPECT_EQ(FileTypes()[32].ConstantIndex, 708);
}

TEST(Patch, AppendKeepsOrderAndRemoveMarksTheFirstLiveSlot) {
    Patch p;
    p.Append(4, 5, {1}, 0, 0);
    p.Append(4, 5, {2, 3}, 7, -1);
    EXPECT_EQ(p[4].Count(), 2);
    EXPECT_EQ(p[4].Blocks[1].Length(), 2);
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
    EXPECT_EQ(p[0].Blocks[0].Length(), 0);
    EXPECT_TRUE(p[0].Blocks[0].IsLive());
    EXPECT_EQ(p.LiveCount(), 2);
    p.Clear();
    for (int f = 0; f < 256; ++f) EXPECT_EQ(p[static_cast<std::uint8_t>(f)].Count(), 0);
    EXPECT_EQ(p.LiveCount(), 0);
}

TEST(SettleDuplicates, KeepsTheNewestSlotOfEachNumberAndRestoresExactly) {
    Patch p;
    p.Append(4, 5, {1}, 0, 0);
    p.Append(4, 6, {2}, 0, 0);
    p.Append(4, 5, {3}, 0, 0);
    p.Append(252, 1, {4}, 0, 0);
    p.Append(252, 1, {5}, 0, 0);
    p.Append(252, 1, {6}, 0, 0);
    p.Append(9, 5, {7}, 0, 0);  // same number in another file ID: no duplicate

    const std::vector<RemovedMark> marks = SettleDuplicates(p);
    ASSERT_EQ(marks.size(), 3u);
    EXPECT_EQ(p.LiveCount(), 4);
    EXPECT_EQ(p[4].Blocks[p.FindLiveBlock(4, 5)].ByteArray, Bytes{3});
    EXPECT_EQ(p[252].Blocks[p.FindLiveBlock(252, 1)].ByteArray, Bytes{6});
    EXPECT_TRUE(SettleDuplicates(p).empty());

    RestoreMarks(p, marks);
    EXPECT_EQ(p.LiveCount(), 7);
    EXPECT_EQ(p[4].Blocks[0].BlockNumber, 5);
    EXPECT_EQ(p[252].RemovedCount, 0);
}
