// What the bytes of each kind of block mean: gumps, previews, pictures,
// sounds and the facts the panel shows.
#include <gtest/gtest.h>

#include <numeric>

#include "images/bitmap.h"
#include "codecs/anim_frames.h"
#include "codecs/block_facts.h"
#include "codecs/colors.h"
#include "codecs/gump.h"
#include "codecs/previews.h"
#include "codecs/wav.h"
#include "patch/file_types.h"
#include "patch/patch_file.h"
#include "cli_runner.h"
#include "test_support.h"

namespace {
constexpr std::uint16_t A = 0x7C00, Bc = 0x03E0, C = 0x001F;

B Encode(const std::vector<std::uint16_t>& colors, int w, int h) { return EncodeGump(colors, w, h).value(); }

using Row = std::vector<std::string>;

struct Case {
    std::string name;
    BlockFacts facts;
    std::size_t rows;
    std::string problem;
};

// Every case: its row count and problem; every row as wide as the columns.
void CheckCases(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.facts.table.rows.size(), c.rows);
        EXPECT_EQ(c.facts.problem, c.problem);
        for (const Row& row : c.facts.table.rows) EXPECT_EQ(row.size(), c.facts.table.columns.size());
    }
}

Bytes Cut(Bytes b, std::size_t size) {
    b.resize(size);
    return b;
}

void Put(Bytes& b, std::size_t at, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void PutText(Bytes& b, std::size_t at, const std::string& text) { std::copy(text.begin(), text.end(), b.begin() + at); }

std::string Holds(std::size_t n) { return "The block holds " + std::to_string(n) + " bytes, "; }
}  // namespace

TEST(Gump, EncodesOnePairPerRunWithTheRowTableInUnitsAndRefusesDamagedBlocks) {
    EXPECT_EQ(Encode({0x1234, 0x1234}, 2, 1), (B{1, 0, 0, 0, 0x34, 0x12, 2, 0}));
    EXPECT_EQ(Encode({A, A, Bc}, 3, 1), (B{1, 0, 0, 0, 0x00, 0x7C, 2, 0, 0xE0, 0x03, 1, 0}));
    EXPECT_EQ(Encode({A, Bc, A}, 3, 1).size(), 4u + 3 * 4);
    EXPECT_EQ(Encode({A, A, Bc, C}, 2, 2),
              (B{2, 0, 0, 0, 3, 0, 0, 0, 0x00, 0x7C, 2, 0, 0xE0, 0x03, 1, 0, 0x1F, 0x00, 1, 0}));
    EXPECT_FALSE(Ok(EncodeGump(std::vector<std::uint16_t>{}, 0, 0)) || Ok(EncodeGump(std::vector<std::uint16_t>{1, 2}, 3, 1)));

    // A row that stops short of the width leaves the rest at zero.
    const ColorGrid grid = DecodeGump(B{1, 0, 0, 0, 0xFF, 0x7F, 1, 0}, 3, 1).value();
    EXPECT_EQ(std::pair(grid.At(0, 0), grid.At(2, 0)), std::pair(Color16To32(0x7FFF), 0));

    // Damaged blocks fail cleanly with a reason.
    B tenBytes = {1, 0, 0, 0, 0x00, 0x7C, 1, 0, 0x00, 0x7C};  // 1.5 pairs round to 2: the second is cut off
    EXPECT_TRUE(Has(DecodeGump(tenBytes, 1, 1), "runs past the end"));
    EXPECT_TRUE(Has(DecodeGump(Encode({A, A, A}, 3, 1), 2, 1), "wider than 2 pixels"));
    EXPECT_TRUE(Has(DecodeGump(B{1, 0}, 1, 1), "row table"));
    EXPECT_FALSE(Ok(DecodeGump(B(8, 0), 0, 1)) || Ok(DecodeGump(B(8, 0), 1, -3)));
    EXPECT_TRUE(Has(DecodeGump(B(8, 0), 32767, 32767), "too large"));
    B farRow = {0xFF, 0xFF, 0xFF, 0, 1, 0, 1, 0};  // the row starts far beyond the block
    EXPECT_TRUE(Ok(DecodeGump(farRow, 1, 1)));  // a negative pair count draws nothing
}

TEST(Pictures, APngsAlphaDecidesTransparencyAndABitmapsBlackDoes) {
    QImage png(5, 1, QImage::Format_ARGB32);
    const QRgb pixels[] = {qRgba(255, 0, 0, 0), qRgba(255, 255, 255, 127), qRgba(0, 0, 0, 128),
                           qRgba(8, 16, 24, 255), qRgba(0, 0, 248, 200)};
    for (int x = 0; x < 5; ++x) png.setPixel(x, 0, pixels[x]);
    QImage bmp(2, 1, QImage::Format_RGB32);
    bmp.setPixel(0, 0, qRgb(0, 0, 0));
    bmp.setPixel(1, 0, qRgb(0, 0, 248));
    Patch p;
    ASSERT_TRUE(Ok(ImportGumpFromBmp(p, 1, png)));
    ASSERT_TRUE(Ok(ImportGumpFromBmp(p, 2, bmp)));
    const std::vector<std::uint16_t> expected = {0, 0, 0x0421, static_cast<std::uint16_t>(Color32To16(0x181008)), 0x001F};
    EXPECT_EQ(p[kGumps].blocks[0].bytes, Encode(expected, 5, 1));
    EXPECT_EQ(p[kGumps].blocks[1].bytes, Encode({0, 0x001F}, 2, 1));
}

TEST(BlockFacts, HuesGiveEightRowsOfSwatchesNamesAndWordsTexmapsSquares) {
    Bytes hues(1220);
    for (std::uint32_t i = 0; i < 8; ++i) {
        const std::size_t at = 4 + 152 * i;
        for (std::uint32_t c = 0; c < 32; ++c) Put(hues, at + 2 * c, 32 * i + c + 1, 2);
        Put(hues, at + 64, 0x1000 + i, 2);
        Put(hues, at + 66, 0x2000 + i, 2);
        PutText(hues, at + 68, "Hue " + std::to_string(i));
    }
    PutText(hues, 4 + 152 * 7 + 68, "\x01" "Caf\xE9 with a long name");  // 20 bytes, no zero
    const BlockFacts good = HueFacts(2, hues);
    // The colours come last, as numbers.
    EXPECT_EQ(Row(good.table.rows[3].begin(), good.table.rows[3].begin() + 4), (Row{"19", "Hue 3", "0x1003", "0x2003"}));
    EXPECT_TRUE(good.table.rows[3][4].starts_with("97 98 99 ")) << good.table.rows[3][4];
    EXPECT_EQ(good.table.rows[7][1], "?Caf\xC3\xA9 with a long na");
    ASSERT_EQ(good.picture.cells.size(), 32u * 8);
    EXPECT_EQ(good.picture.cells[32 * 5 + 6], 32 * 5 + 6 + 1);
    CheckCases({{"whole block", good, 8, ""},
                {"hues-file form", HueFacts(0, Cut(hues, 708)), 5, Holds(708) + "not the 1220 of a hue block."},
                {"empty", HueFacts(0, {}), 0, Holds(0) + "not the 1220 of a hue block."}});

    // Texmaps are squares chosen by the block length.
    Bytes texture(2 * 64 * 64);
    Put(texture, 2 * (64 * 2 + 3), 0x7C1F, 2);
    const BlockFacts f = TexmapFacts(texture);
    ASSERT_EQ(f.picture.cells.size(), 64u * 64);
    EXPECT_EQ(f.picture.cells[64 * 2 + 3], 0x7C1F);
    EXPECT_EQ(TexmapFacts(Bytes(2 * 128 * 128)).lines, Row{"Size: 128x128"});
    const BlockFacts bad = TexmapFacts(Bytes(8191));
    EXPECT_TRUE(bad.picture.cells.empty());
    EXPECT_EQ(bad.problem, Holds(8191) + "not the 8192 of a 64x64 texture or the 32768 of a 128x128 one.");
}

TEST(BlockFacts, TiledataReadsBothLayoutsOfLandAndStaticGroups) {
    auto group = [](std::size_t record, std::size_t flagBytes) {
        Bytes b(4 + 32 * record);
        const std::size_t at = 4 + record;  // record 1
        Put(b, at, 0x89ABCDEF, 4);
        if (flagBytes == 8) Put(b, at + 4, 0x01234567, 4);
        for (std::size_t k = flagBytes; k < record - 20; ++k) b[at + k] = static_cast<std::uint8_t>(k - flagBytes + 1);
        PutText(b, at + record - 20, "twenty characters!!!");
        return b;
    };
    const BlockFacts land = TiledataFacts(5, group(26, 4)), landNew = TiledataFacts(5, group(30, 8));
    const BlockFacts statics = TiledataFacts(513, group(37, 4)), staticsNew = TiledataFacts(513, group(41, 8));
    EXPECT_EQ(land.table.rows[1], (Row{"0x00A1", "twenty characters!!!", "0x89ABCDEF", "0x0201"}));
    EXPECT_EQ(statics.table.rows[1], (Row{"0x0021", "twenty characters!!!", "0x89ABCDEF", "1", "2", "1027", "5", "6",
                                          "0x0807", "9", "10", "11", "12", "13"}));
    EXPECT_EQ(statics.table.columns, (Row{"Item", "name", "flags", "weight", "quality", "miscData", "unknown2", "quantity",
                                          "animation", "unknown3", "hue", "stackingOffset", "value", "height"}));
    EXPECT_EQ(landNew.table.rows[1][2], "0x0123456789ABCDEF");
    EXPECT_EQ(staticsNew.table.rows[1][2], "0x0123456789ABCDEF");
    EXPECT_EQ(staticsNew.table.rows[1].back(), "13");
    const std::string land2 = "not the 836 or 964 of a land tiledata group.";
    CheckCases({{"land, older", land, 32, ""},
                {"land, newer", landNew, 32, ""},
                {"statics, older", statics, 32, ""},
                {"statics, newer", staticsNew, 32, ""},
                {"newer land cut short", TiledataFacts(0, Cut(group(30, 8), 900)), 29, Holds(900) + land2},
                {"static group under a land number", TiledataFacts(511, group(37, 4)), 32, Holds(1188) + land2},
                {"two static records", TiledataFacts(600, Cut(group(37, 4), 80)), 2,
                 Holds(80) + "not the 1188 or 1316 of a static tiledata group."},
                {"no header", TiledataFacts(1, Bytes(3)), 0, Holds(3) + land2}});
}

TEST(BlockFacts, MultisTellTwelveFromSixteenByteComponents) {
    auto components = [](std::size_t size, std::uint8_t count, std::uint8_t last) {
        Bytes b;
        for (std::uint8_t i = 0; i < count; ++i) {
            b.insert(b.end(), {static_cast<std::uint8_t>(0x34 + i), 0x12, 0xFF, 0xFF, 2, 0, 3, 0, 0, 0, 1, 0});
            if (size == 16) b.insert(b.end(), {last, 0, 0, 0});
        }
        return b;
    };
    const BlockFacts twelve = MultiFacts(components(12, 2, 0)), sixteen = MultiFacts(components(16, 3, 1));
    EXPECT_EQ(twelve.table.rows[1], (Row{"0x1235", "-1", "2", "3", "0x00010000"}));
    EXPECT_EQ(sixteen.table.rows[2], (Row{"0x1236", "-1", "2", "3", "0x00010000", "0x00000001"}));
    EXPECT_EQ(sixteen.lines, (Row{"Components: 3", "Component size: 16 bytes"}));
    CheckCases({{"12 divides", twelve, 2, ""},
                {"16 divides", MultiFacts(components(16, 2, 7)), 2, ""},
                {"both, last words 0 or 1", sixteen, 3, ""},
                {"both, a last word of 5", MultiFacts(components(16, 3, 5)), 4, ""},
                {"neither", MultiFacts(Bytes(20)), 1,
                 Holds(20) + "a whole number of neither 12- nor 16-byte components."}});
}

TEST(BlockFacts, SkillsGiveTheActionButtonAndTheNameSoundsTheDuration) {
    EXPECT_EQ(SkillFacts(Bytes{1, 'A', 'n', 'a', 't', 'o', 'm', 'y', 0}).lines, (Row{"Action button: Yes", "Name: Anatomy"}));
    EXPECT_EQ(SkillFacts(Bytes{0, 'X', 0, 'Y'}).lines, (Row{"Action button: No", "Name: X"}));
    Bytes second(40 + 2 * 22050);
    PutText(second, 0, "door.wav");
    EXPECT_EQ(SoundFacts(second).lines, (Row{"Name: door.wav", "Duration: 1.000 s", "Samples: 22050"}));
    EXPECT_EQ(SoundFacts(Cut(second, 6)).lines, (Row{"Name: door.w", "Duration: 0.000 s", "Samples: 0"}));
    // One row, for editing: the action, then the name.
    EXPECT_EQ(SkillFacts(Bytes{0, 'X', 0}).table.rows, std::vector<Row>{(Row{"X", "0"})});
    CheckCases({{"unterminated skill", SkillFacts(Bytes{2, 'A', 'b'}), 1, "The name has no terminating zero."},
                {"empty skill", SkillFacts({}), 0, "The block is empty."},
                {"one second", SoundFacts(second), 0, ""},
                {"half a sample", SoundFacts(Cut(second, 45)), 0,
                 "The samples end in half a sample: one byte is left over."},
                {"short header", SoundFacts(Cut(second, 6)), 0, Holds(6) + "fewer than the 40 of a sound header."},
                {"name fills the header", SoundFacts(Bytes(41, 'a')), 0,
                 "The name fills the 40-byte header without a terminating zero."}});
}

TEST(BlockFacts, WavHoldsTheSamplesAfterAFortyFourByteHeaderAlsoFromTheCommandLine) {
    Bytes block(40);
    PutText(block, 0, "beep");
    for (std::uint8_t b : {0x01, 0x02, 0xFE, 0xFF, 0x7F}) block.push_back(b);  // two samples and half of one
    const Bytes expected = {'R', 'I', 'F', 'F', 40, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0,
                            1, 0, 1, 0, 0x22, 0x56, 0, 0, 0x44, 0xAC, 0, 0, 2, 0, 16, 0,
                            'd', 'a', 't', 'a', 4, 0, 0, 0, 0x01, 0x02, 0xFE, 0xFF};
    EXPECT_EQ(SoundToWav(block).value(), expected);
    EXPECT_EQ(Why(SoundToWav(Bytes(39))), "The sound block holds 39 bytes, fewer than its 40-byte header.");

    TempDir dir;
    ASSERT_TRUE(Ok(WritePatchFile(dir / "p.uop", PatchOf({{8, 42, block}}))));
    RunSteps(dir, {{"sound-to-wav @p.uop 42 @s.wav", 0, "*"}, {"sound-to-wav @p.uop 41 @t.wav", 1, "has no sound block 41"}});
    EXPECT_EQ(ReadFileBytes(dir / "s.wav"), expected);
    EXPECT_FALSE(std::filesystem::exists(dir / "t.wav"));
}

TEST(BlockFacts, AnimdataGivesTheEightRecordsOfAGroup) {
    Bytes group(548);
    const std::size_t second = 4 + 68;
    Put(group, second, 0x03FE01, 3);        // offsets 1, -2, 3
    Put(group, second + 64, 0x05040306, 4);  // unknown 6, 3 frames, interval 4, start 5
    const BlockFacts good = AnimdataFacts(2, group);
    EXPECT_EQ(good.table.columns, (Row{"Record", "unknown", "frameCount", "interval", "startDelay", "frames"}));
    EXPECT_EQ(good.table.rows[1], (Row{"17", "6", "3", "4", "5", "1 -2 3"}));
    Bytes tooMany = group;
    tooMany[4 + 68 * 7 + 65] = 65;
    const BlockFacts many = AnimdataFacts(0, tooMany);
    EXPECT_EQ(many.table.rows[7][5].size(), 64 * 2 - 1u);  // held at 64 offsets
    CheckCases({{"whole group", good, 8, ""},
                {"too many frames", many, 8, "Record 7 claims 65 frames; a record holds at most 64."},
                {"cut short", AnimdataFacts(0, Cut(group, 300)), 4, Holds(300) + "not the 548 of an animdata group."},
                {"empty", AnimdataFacts(0, {}), 0, Holds(0) + "not the 548 of an animdata group."}});
}

TEST(BlockFacts, StaticsAreSevenByteEntriesAndEachFileIdHasItsDecoder) {
    const Bytes two = {0x34, 0x12, 1, 7, 0xFB, 0x2C, 0x01, 0x01, 0, 2, 3, 4, 0, 0};
    const BlockFacts good = StaticsFacts(two);
    EXPECT_EQ(good.table.rows[0], (Row{"0x1234", "1", "7", "-5", "300"}));
    Bytes outside = two, left = two;
    outside[9] = 8;
    left.push_back(0);
    CheckCases({{"two statics", good, 2, ""},
                {"outside the cells", StaticsFacts(outside), 2, "Static 1 lies outside the block's 8x8 cells (8,3)."},
                {"a byte left over", StaticsFacts(left), 2,
                 Holds(15) + "not a whole number of 7-byte statics; 1 byte is left over."}});

    // Each file ID goes to its decoder (the panel shows most of them); tiledata by its block number.
    EXPECT_EQ(DescribeBlockData(30, 512, {})->heading, "Static tiledata");
    EXPECT_FALSE(DescribeBlockData(12, 0, Bytes(40)));
}
