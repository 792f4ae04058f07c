#include <gtest/gtest.h>

#include "patch/Patch.h"
#include "patch/settle_duplicates.h"
#include "test_support.h"

// Zero-length blocks are live; removal marks the first live slot; Clear empties every entry.
TEST(Patch, AppendKeepsOrderRemoveMarksTheFirstLiveSlotAndClearEmptiesAll) {
    Patch p = PatchOf({{4, 5, {1}}, {4, 5, {2, 3}, 7, -1}, {0, 1, {}}, {255, 1, {1}}});
    EXPECT_EQ(SlotsOf(p, 4), (std::vector<SlotFacts>{{5, 1, 0, 0}, {5, 2, 7, -1}}));
    EXPECT_EQ(std::tuple(p.FindBlock(4, 5), p.FindLiveBlock(4, 5), p.LiveCount()), std::tuple(0, 1, 4));
    EXPECT_TRUE(p[0].Blocks[0].IsLive());

    p.RemoveBlock(4, 99);
    EXPECT_EQ(p[4].RemovedCount, 0);
    p.RemoveBlock(4, 5);
    EXPECT_EQ(SlotsOf(p, 4)[0], SlotFacts(-1, 1, 0, 0));
    EXPECT_EQ(p[4].RemovedCount, 1);
    EXPECT_EQ(std::tuple(p.FindBlock(4, 5), p.FindBlock(7, 0)), std::tuple(1, -1));
    int live = 0;
    p.ForEachLive(4, [&](const PatchBlock& b) { live += b.BlockNumber == 5; });
    EXPECT_EQ(live, 1);

    p.Clear();
    for (int f = 0; f < 256; ++f) EXPECT_EQ(p[static_cast<std::uint8_t>(f)].Count(), 0);
    EXPECT_EQ(p.LiveCount(), 0);
}

TEST(SettleDuplicates, KeepsTheNewestSlotOfEachNumberAndRestoresExactly) {
    // The same number in another file ID is no duplicate.
    Patch p = PatchOf({{4, 5, {1}}, {4, 6, {2}}, {4, 5, {3}}, {252, 1, {4}}, {252, 1, {5}}, {252, 1, {6}}, {9, 5, {7}}});
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
