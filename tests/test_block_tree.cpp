#include <gtest/gtest.h>

#include "app/block_tree.h"

namespace {
const TreeNode* Find(const std::vector<TreeNode>& nodes, const std::string& key) {
    for (const TreeNode& n : nodes)
        if (n.key == key) return &n;
    return nullptr;
}
}  // namespace

TEST(BlockTree, TextsPadButNeverCutTheirNumbers) {
    EXPECT_EQ(BlockKey(4, 4660), "F004B4660");
    EXPECT_EQ(BlockText(4660), "0x01234");
    EXPECT_EQ(BlockText(0x123456), "0x123456");
    EXPECT_EQ(SettledBlockText(4660), "004660");
    EXPECT_EQ(Hex(393215, 5), "5FFFF");
    EXPECT_EQ(Hex(65536, 4), "10000");
    EXPECT_EQ(Hex(255, 4), "00FF");
}

TEST(BlockTree, KeysAreTakenApartByPosition) {
    NodeKey k = ParseNodeKey("F012B255");
    EXPECT_TRUE(k.isBlock);
    EXPECT_EQ(k.fileId, 12);
    EXPECT_EQ(k.blockNumber, 255);
    k = ParseNodeKey("F012");
    EXPECT_TRUE(k.isFileType);
    EXPECT_FALSE(k.isBlock);
    EXPECT_FALSE(ParseNodeKey("F012LOTS").isBlock);
    EXPECT_FALSE(ParseNodeKey("F012LOTS").isFileType);
    EXPECT_FALSE(ParseNodeKey("F012B").isBlock);
    EXPECT_FALSE(ParseNodeKey("F012B99999999999").isBlock);
    EXPECT_FALSE(ParseNodeKey("").isFileType);
}

TEST(BlockTree, EmptyPatchListsTheThirteenFileTypesInFileIdOrder) {
    Patch p;
    const auto nodes = BuildTreeNodes(p, FileTypes());
    ASSERT_EQ(nodes.size(), 13u);
    EXPECT_EQ(nodes.front().key, "F000");
    EXPECT_EQ(nodes.front().text, "Map");
    EXPECT_EQ(nodes.back().key, "F252");
    EXPECT_EQ(nodes.back().text, "Files");
}

TEST(BlockTree, DuplicatesAreSettledInFavourOfTheBlockAddedLast) {
    Patch p;
    p.Append(4, 7, {1}, 0, 0);
    p.Append(4, 7, {2}, 0, 0);
    p.Append(4, 8, {3}, 0, 0);
    auto nodes = BuildTreeNodes(p, FileTypes());
    EXPECT_EQ(p[4].Blocks[0].BlockNumber, -1);
    EXPECT_EQ(p[4].RemovedCount, 1);
    ASSERT_NE(Find(nodes, "F004B7"), nullptr);
    EXPECT_EQ(Find(nodes, "F004B7")->text, "000007");
    EXPECT_EQ(Find(nodes, "F004B8")->text, "0x00008");
    EXPECT_EQ(nodes.size(), 15u);

    nodes = BuildTreeNodes(p, FileTypes());
    EXPECT_EQ(Find(nodes, "F004B7")->text, "0x00007");
    EXPECT_EQ(p[4].RemovedCount, 1);

    // Whole files are settled the same way and keep their names.
    p.Append(252, 1, {1}, 0, 0);
    p.Append(252, 1, {2}, 0, 0);
    nodes = BuildTreeNodes(p, FileTypes());
    EXPECT_EQ(p[252].RemovedCount, 1);
    EXPECT_EQ(Find(nodes, "F252B1")->text, "Readme.txt");
}

TEST(BlockTree, LotsUnknownFileIdsAndWholeFiles) {
    Patch p;
    for (int i = 0; i < 30001; ++i) p.Append(2, i, {}, 0, 0);
    for (int i = 0; i < 30000; ++i) p.RemoveBlock(2, i);
    p.Append(1, 5, {1}, 0, 0);
    for (int n : {0, 1, 2, 5}) p.Append(252, n, {1}, 0, 0);
    const auto nodes = BuildTreeNodes(p, FileTypes());
    ASSERT_NE(Find(nodes, "F002LOTS"), nullptr);
    EXPECT_EQ(Find(nodes, "F002LOTS")->parentKey, "F002");
    EXPECT_EQ(Find(nodes, "F001B5"), nullptr);
    EXPECT_EQ(Find(nodes, "F252B0")->text, "Client.exe");
    EXPECT_EQ(Find(nodes, "F252B5")->text, "unknown");
    EXPECT_EQ(Find(nodes, "F252B2")->parentKey, "F252");
}

TEST(BlockTree, ProgressIsReportedEveryFiveHundredBlocks) {
    Patch p;
    for (int i = 0; i < 1200; ++i) p.Append(4, i, {}, 0, 0);
    std::vector<std::int64_t> seen;
    BuildTreeNodes(p, FileTypes(), [&](std::int64_t n) { seen.push_back(n); });
    EXPECT_EQ(seen, (std::vector<std::int64_t>{500, 1000}));
}
