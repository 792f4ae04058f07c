// status and prune: the patch's blocks against a client folder, as lines,
// counts and JSON, with and without the client's verdata.mul.
#include <gtest/gtest.h>

#include "io/json.h"
#include "codecs/file_ids.h"
#include "gamefiles/forms/package_names.h"
#include "gamefiles/forms/package.h"
#include "gamefiles/forms/verdata.h"
#include "patch/patch_file.h"
#include "cli_runner.h"
#include "test_support.h"

namespace {
// A client with art (0: "AAAA" flags 1/2, 1: absent, 2: "BB", 3: "C"), a
// verdata.mul over art 2, a map of two slots and no gump files; a patch with
// a block in each state.
void WriteClientAndPatch(const TempDir& dir) {
    std::filesystem::create_directory(dir / "client");
    WriteText(dir / "client/Art.mul", "AAAABBC");
    WriteFileBytes(dir / "client/artidx.MUL", IndexBytes({{0, 4, 0x00020001}, {-1, -1, -1}, {4, 2, 0}, {6, 1, 0}}));
    B map(2 * 196);
    for (std::size_t i = 0; i < map.size(); ++i) map[i] = static_cast<std::uint8_t>(i * 7);
    WriteFileBytes(dir / "client/map0.mul", map);
    ASSERT_TRUE(Ok(WriteVerdata(dir / "client/verdata.mul", PatchOf({{kArt, 2, {'V', 'V'}}}))));
    ASSERT_TRUE(Ok(WritePatchFile(dir / "p.uop", PatchOf({
        {kArt, 0, {'X'}, 1, 2},  // settled away by the later copy
        {kArt, 0, {'A', 'A', 'A', 'A'}, 1, 2}, {kArt, 1, {'N'}}, {kArt, 2, {'B', 'B'}}, {kArt, 3, {}}, {kArt, 5, {}},
        {kGumps, 7, {1, 2}}, {kMap, 0, B(map.begin(), map.begin() + 196)}, {kMap, 1, B(100, 1)},
        {kMap, 2, B(196, 1)},
    }))));
}
}  // namespace

TEST(ClientStatus, StatusTellsEachBlocksStateAndPruneDropsWhatTheClientHas) {
    TempDir dir;
    WriteClientAndPatch(dir);
    const std::string lines = "same 0 0\nunfit 0 1\nunfit 0 2\nsame 4 0\nnew 4 1\n";
    RunSteps(dir, {
        {"status @p.uop @client", 0, lines + "changes 4 2\nremoves 4 3\nsame 4 5\nunknown 12 7\n"
                                             "Map: same 1, unfit 2\nArt: new 1, changes 1, same 2, removes 1\n"
                                             "Gumps: unknown 1\n"},
        {"status --client-verdata=ignore @p.uop @client", 0, lines + "same 4 2\nremoves 4 3\nsame 4 5\nunknown 12 7\n"
                                                                       "Map: same 1, unfit 2\nArt: new 1, same 3, removes 1\n"
                                                                       "Gumps: unknown 1\n"},
        {"status @p.uop @client --client-verdata both", 2, "--client-verdata takes apply or ignore, not 'both'"},
        {"status @p.uop @nowhere", 1, "is not a folder"},
        {"prune @missing.uop @client", 1, "Cannot find the patch"},
        {"prune @p.uop @client", 0, "Removed 3 blocks the client already has: Map 1, Art 2.\n"},
        {"list @p.uop", 0, "0 1 100 0 0\n0 2 196 0 0\n4 1 1 0 0\n4 2 2 0 0\n4 3 0 0 0\n12 7 2 0 0\n"},
        {"prune --client-verdata ignore @p.uop @client", 0, "Removed 1 block the client already has: Art 1.\n"},
    });
    // Unknown blocks are named with the files the folder lacks; JSON gives the reason a block is unfit.
    const CliResult json = Cli(dir, "status --json @p.uop @client");
    EXPECT_EQ(json.err, "palindra-cli: The client folder lacks gumpart.mul and gumpidx.mul: 1 Gumps block is unknown.\n");
    const Json document = Json::parse(json.out);
    EXPECT_EQ(document["blocks"][0], Json({{"state", "unfit"}, {"fileId", 0}, {"block", 1},
                                           {"why", "its 100 bytes do not fit a 196-byte slot of map0.mul"}}));
    EXPECT_EQ(document["counts"][1], Json({{"fileId", 4}, {"name", "Art"}, {"new", 1}, {"changes", 0}, {"same", 0},
                                           {"removes", 1}, {"unfit", 0}, {"unknown", 0}}));
}

// With art both as a package and as data files, a block is same only where
// both forms have it; prune keeps the others, so the next bake writes them.
TEST(ClientStatus, ATypeInBothFormsIsSameOnlyWhereEveryFormHasTheBlock) {
    TempDir dir;
    std::filesystem::create_directory(dir / "client");
    WriteText(dir / "client/art.mul", "AABBCC");
    WriteFileBytes(dir / "client/artidx.mul", IndexBytes({{0, 2, 0}, {2, 2, 0}, {4, 2, 0}}));
    PackageWriter package;
    ASSERT_TRUE(Ok(package.Open(dir / "client/artLegacyMUL.uop", 5, 10)));
    for (const auto& [n, bytes] : {std::pair(0, "AA"), {1, "XX"}, {2, "PP"}})
        package.Add(LegacyName(SchemeOfFileId(kArt)->formats[0], static_cast<std::uint32_t>(n)), ByteView(reinterpret_cast<const std::uint8_t*>(bytes), 2), 0);
    ASSERT_TRUE(Ok(package.Commit()));
    // 0: both agree; 1: only the data file has it; 2: only the package has it.
    ASSERT_TRUE(Ok(WritePatchFile(dir / "p.uop", PatchOf({{kArt, 0, {'A', 'A'}}, {kArt, 1, {'B', 'B'}}, {kArt, 2, {'P', 'P'}}}))));
    RunSteps(dir, {
        {"status @p.uop @client", 0, "same 4 0\nchanges 4 1 artLegacyMUL.uop\nchanges 4 2 art.mul\nArt: changes 2, same 1\n"},
        {"prune @p.uop @client", 0, "Removed 1 block the client already has: Art 1.\n"},
        {"list @p.uop", 0, "4 1 2 0 0\n4 2 2 0 0\n"},
    });
    const Json blocks = Json::parse(Cli(dir, "status --json @p.uop @client").out)["blocks"];
    EXPECT_EQ(blocks[1], Json({{"state", "changes"}, {"fileId", 4}, {"block", 2},
                               {"forms", {{{"file", "artLegacyMUL.uop"}, {"state", "same"}}, {{"file", "art.mul"}, {"state", "changes"}}}}}));
    EXPECT_EQ(blocks.size(), 2u);
}
