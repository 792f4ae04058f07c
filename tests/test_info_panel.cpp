#include <gtest/gtest.h>

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QTreeWidget>

#include "app/BlockCommands.h"
#include "app/InfoPanel.h"
#include "app/mComdlg.h"
#include "patch/user_numbers.h"
#include "app/block_info.h"
#include "app/frmStart.h"
#include "codecs/bitmap.h"
#include "codecs/colors.h"
#include "codecs/gump.h"
#include "patch/app_values.h"
#include "scripted_prompts.h"
#include "test_support.h"

namespace {
std::vector<std::string> Texts(const BlockInfo& info) {
    return {info.heading, info.lines[0], info.lines[1], info.lines[2], info.lines[3], info.lines[4]};
}

PatchBlock Block(std::int32_t length, std::int16_t flagA = 0, std::int16_t flagB = 0) {
    PatchBlock b;
    b.Length = length;
    b.ByteArray.resize(static_cast<std::size_t>(std::max(length, 0)));
    b.FlagA = flagA;
    b.FlagB = flagB;
    return b;
}

class Panel : public ::testing::Test {
protected:
    void Click(const QString& key) {
        QTreeWidgetItem* item = window.NodeByKey(key);
        ASSERT_NE(item, nullptr) << key.toStdString();
        emit window.Tree()->itemClicked(item, 0);
    }
    QString Label(const char* name) { return window.findChild<QLabel*>(QString::fromLatin1(name))->text(); }
    const QImage& Picture() { return window.Panel()->Picture(); }
    void AddGump(std::int32_t n, const std::vector<std::uint16_t>& colors, int w, int h) {
        App().WorkingPatch.Append(12, n, *EncodeGump(colors, w, h), static_cast<std::int16_t>(h),
                                  static_cast<std::int16_t>(w));
    }

    CleanApp clean;
    ScriptedPrompts prompts;
    TempDir dir;
    frmStart window;
};
}  // namespace

TEST(BlockInfo, TextsFollowTheTableOfEachFileType) {
    PatchBlock b196 = Block(196), b100 = Block(100), b2024 = Block(2024), b21 = Block(21), gump = Block(8, 1, 2);
    using V = std::vector<std::string>;
    EXPECT_EQ(Texts(DescribeBlock(0, 0, &b196)), (V{"Map 0x00000 (0) :", "Block size: 196", "From: 0,0", "To: 7,7", "", ""}));
    EXPECT_EQ(Texts(DescribeBlock(0, 513, &b196))[2], "From: 8,8");
    EXPECT_EQ(Texts(DescribeBlock(0, 513, &b196))[3], "To: 15,15");
    EXPECT_EQ(Texts(DescribeBlock(4, 16384, &b100)),
              (V{"Art 0x4000 (16384) :", "Block size: 100", "Type: Static tile", "Itemnumber: 0x0000 (0)", "", ""}));
    EXPECT_EQ(Texts(DescribeBlock(4, 16383, &b2024)),
              (V{"Art 0x3FFF (16383) :", "Block size: 2024", "Type: Landscape tile", "", "", ""}));
    EXPECT_EQ(Texts(DescribeBlock(30, 511, &b100)), (V{"Tiledata 0x01FF (511) :", "Block size: 100", "Type: Landscape tiledata",
                                                       "From: 0x3FE0 (16352)", "To: 0x3FFF (16383)", ""}));
    EXPECT_EQ(Texts(DescribeBlock(30, 512, &b100)), (V{"Tiledata 0x0200 (512) :", "Block size: 100", "Type: Statics tiledata",
                                                       "From: 0x4000 (16384)", "To: 0x401F (16415)", ""}));
    EXPECT_EQ(Texts(DescribeBlock(2, 0, &b21)),
              (V{"Statics 0x0000 (0) :", "Number of items: 3", "Block size: 21", "From: 0,0", "To: 7,7", ""}));
    EXPECT_EQ(Texts(DescribeBlock(12, 5, &gump)), (V{"Gump 0x0005 (5) :", "Block size: 8", "Size: 2x1", "", "", ""}));
    EXPECT_EQ(Texts(DescribeBlock(12, 255, &gump))[0], "Gump 0x00FF (255) :");
    EXPECT_EQ(Sevenths(10), "1.42857142857143");
    EXPECT_EQ(Texts(DescribeBlock(0, 393215, &b196))[0], "Map 0x5FFFF (393215) :");
    EXPECT_EQ(Texts(DescribeBlock(32, 1, nullptr)), (V{"Hues 0x0001 (1) :", "", "", "", "", ""}));
    EXPECT_EQ(Texts(DescribeBlock(252, 0, &b100)), (V{"", "", "", "", "", ""}));

    PatchBlock anim = Block(600);
    anim.ByteArray[512] = 7;
    EXPECT_EQ(Texts(DescribeBlock(6, 3, &anim))[2], "Frame count: 7");
    PatchBlock emptyAnim = Block(0);
    EXPECT_EQ(Texts(DescribeBlock(6, 3, &emptyAnim))[2], "");
}

TEST_F(Panel, FileTypeAndWholeFileNodesFillTheInfoFrame) {
    for (int n : {1, 2, 3, 4}) App().WorkingPatch.Append(12, n, {}, 0, 0);
    App().WorkingPatch.RemoveBlock(12, 4);
    App().WorkingPatch.Append(252, 0, {1}, 0, 0);
    window.RefreshTreeView();
    Click("F012");
    EXPECT_EQ(Label("lblHeading"), "Gumps:");
    EXPECT_EQ(Label("lblInfo1"), "Number of blocks: 3");
    EXPECT_FALSE(window.findChild<QFrame*>("frMenu1")->isHidden());
    EXPECT_TRUE(window.findChild<QFrame*>("frMenu0")->isHidden());
    Click("F252B0");
    EXPECT_EQ(Label("lblHeading"), "");
    EXPECT_FALSE(window.findChild<QFrame*>("frMenu1")->isHidden());
}

TEST_F(Panel, MapBlocksDrawTheirSquaresAndBadBlocksDrawNothing) {
    App().RadarColors[3] = 0x0000F8;  // red
    Bytes map(196, 0);
    map[4] = 3;
    App().WorkingPatch.Append(0, 0, map, 0, 0);
    App().WorkingPatch.Append(0, 1, Bytes(50, 0), 0, 0);
    window.RefreshTreeView();
    Click("F000B0");
    EXPECT_EQ(Label("lblHeading"), "Map 0x00000 (0) :");
    ASSERT_EQ(Picture().size(), QSize(80, 80));
    EXPECT_EQ(Picture().pixel(5, 5), qRgb(248, 0, 0));
    EXPECT_EQ(Picture().pixel(15, 5), qRgb(0, 0, 0));
    Click("F000B1");
    EXPECT_EQ(Label("lblInfo1"), "Block size: 50");
    EXPECT_TRUE(Picture().isNull());
}

TEST_F(Panel, AGumpIsDecodedOnceUntilThePatchOrTheBoxChanges) {
    AddGump(5, {0x7C00, 0x001F}, 2, 1);
    App().WorkingPatch.Append(0, 0, Bytes(196, 0), 0, 0);
    window.RefreshTreeView();
    Click("F012B5");
    EXPECT_EQ(Label("lblInfo2"), "Size: 2x1");
    ASSERT_EQ(Picture().size(), QSize(2, 1));
    EXPECT_EQ(Picture().pixel(0, 0), qRgb(248, 0, 0));

    // A second click keeps the picture without decoding the block again.
    PatchBlock& gump = App().WorkingPatch[12].Blocks[0];
    gump.ByteArray[5] = 0x03;  // first pixel now green
    gump.ByteArray[4] = 0xE0;
    Click("F012B5");
    EXPECT_EQ(Picture().pixel(0, 0), qRgb(248, 0, 0));

    // Another preview in between clears the box; the gump is drawn afresh.
    Click("F000B0");
    Click("F012B5");
    EXPECT_EQ(Picture().pixel(0, 0), qRgb(0, 248, 0));

    // So does a rebuild after the patch changed.
    gump.ByteArray[4] = 0x1F, gump.ByteArray[5] = 0;
    window.RefreshTreeView();
    Click("F012B5");
    EXPECT_EQ(Picture().pixel(0, 0), qRgb(0, 0, 248));
}

TEST_F(Panel, GumpsThatDoNotDecodeShowTheirTextsAndNoPicture) {
    App().WorkingPatch.Append(12, 1, Bytes{1, 0}, 1, 1);
    App().WorkingPatch.Append(12, 2, *EncodeGump(std::vector<std::uint16_t>{1, 2}, 2, 1), 1, 0);
    window.RefreshTreeView();
    Click("F012B1");
    EXPECT_EQ(Label("lblInfo1"), "Block size: 2");
    EXPECT_TRUE(Picture().isNull());
    Click("F012B2");
    EXPECT_EQ(Label("lblInfo2"), "Size: 0x1");
    EXPECT_TRUE(Picture().isNull());
}

TEST_F(Panel, ABitmapBecomesAGumpBlockReplacingTheOldOne) {
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    picture.setPixel(1, 0, qRgb(255, 0, 0));
    picture.setPixel(2, 0, qRgb(0, 0, 255));
    for (int x = 0; x < 3; ++x) picture.setPixel(x, 1, qRgb(255, 255, 255));
    ASSERT_TRUE(picture.save(QString::fromStdString(dir / "in.bmp"), "BMP"));

    AddGump(10, {1}, 1, 1);
    window.RefreshTreeView();
    prompts.answers = {"10", QString::fromStdString(dir / "in.bmp")};
    window.Commands()->LoadFromBmp();
    ASSERT_TRUE(prompts.messages.isEmpty()) << prompts.messages.join("\n").toStdString();
    const PatchFileEntry& gumps = App().WorkingPatch[12];
    ASSERT_EQ(gumps.Count(), 2);
    EXPECT_EQ(gumps.RemovedCount, 1);
    const PatchBlock& b = gumps.Blocks[1];
    EXPECT_EQ(b.FlagB, 3);
    EXPECT_EQ(b.FlagA, 2);
    EXPECT_EQ(b.ByteArray, (Bytes{2, 0, 0, 0, 4, 0, 0, 0, 0x00, 0x7C, 2, 0, 0x1F, 0x00, 1, 0, 0xFF, 0x7F, 3, 0}));
    EXPECT_EQ(window.NodeByKey("F012")->childCount(), 1);
    EXPECT_EQ(window.NodeByKey("F012B10")->text(0), "0x0000A");

    prompts.answers = {"0xFFFF"};
    window.Commands()->LoadFromBmp();
    EXPECT_EQ(prompts.messages.last(), "Import Gump from Bmp: Illegal blocknumber! Gump blocks goes from 0 to 65535.");
    prompts.answers = {"65535", QString::fromStdString(dir / "in.bmp")};
    window.Commands()->LoadFromBmp();
    EXPECT_EQ(window.NodeByKey("F012B65535")->text(0), "0x0FFFF");
}

TEST_F(Panel, SavingThePreviewAndLoadingItBackGivesTheSameBytes) {
    std::vector<std::uint16_t> colors;
    for (int i = 0; i < 12; ++i) colors.push_back(static_cast<std::uint16_t>(i < 6 ? 0x1234 : (i * 977) & 0x7FFF));
    AddGump(7, colors, 4, 3);
    const Bytes original = App().WorkingPatch[12].Blocks[0].ByteArray;
    window.RefreshTreeView();
    for (const char* name : {"g.bmp", "g.png"}) {
        Click("F012B7");
        prompts.answers = {QString::fromStdString(dir / name)};
        window.Commands()->SaveToBmp();
        ASSERT_TRUE(prompts.messages.isEmpty()) << prompts.messages.join("\n").toStdString();
        prompts.answers = {"7", QString::fromStdString(dir / name)};
        window.Commands()->LoadFromBmp();
        const PatchFileEntry& gumps = App().WorkingPatch[12];
        EXPECT_EQ(gumps.Blocks.back().ByteArray, original) << name;
        EXPECT_EQ(gumps.Blocks.back().FlagB, 4);
    }
    // A name without the extension gets ".bmp".
    Click("F012B7");
    prompts.answers = {QString::fromStdString(dir / "plain")};
    window.Commands()->SaveToBmp();
    EXPECT_TRUE(std::filesystem::exists(dir / "plain.bmp"));
}

TEST_F(Panel, UnreadableAndOversizedPicturesAreRefusedBeforeThePatchChanges) {
    WriteFileBytes(dir / "junk.bmp", {'B', 'M', 1, 2, 3});
    QImage wide(40000, 1, QImage::Format_RGB32);
    wide.fill(Qt::white);
    ASSERT_TRUE(wide.save(QString::fromStdString(dir / "wide.png"), "PNG"));
    for (const char* name : {"junk.bmp", "wide.png", "missing.bmp"}) {
        prompts.answers = {"3", QString::fromStdString(dir / name)};
        window.Commands()->LoadFromBmp();
        EXPECT_EQ(App().WorkingPatch[12].Count(), 0) << name;
    }
    ASSERT_EQ(prompts.messages.size(), 3);
    EXPECT_TRUE(prompts.messages[0].contains("Cannot read the picture"));
    EXPECT_TRUE(prompts.messages[1].contains("at most 32767 pixels"));
}

TEST(BlockCommands, EnsureExtensionAndTheBlockNumberPrompt) {
    EXPECT_EQ(EnsureExtension("gump5.txt", "bmp"), "gump5.txt.bmp");
    EXPECT_EQ(EnsureExtension("gump5.BMP", "bmp"), "gump5.BMP");
    EXPECT_EQ(EnsureExtension("block.DAT", "dat"), "block.DAT");
    EXPECT_EQ(EnsureExtension("block", "dat"), "block.dat");
    EXPECT_EQ(EnsureExtension(QStringLiteral("a.bin") + QChar(0), "dat"), "a.bin.dat");
    EXPECT_EQ(ParseBlockNumberInput("0x1A"), 26);
    EXPECT_EQ(ParseBlockNumberInput("0X1a"), 26);
    EXPECT_EQ(ParseBlockNumberInput("0xZZ"), 0);
    EXPECT_EQ(ParseBlockNumberInput("12.5"), 12);
    EXPECT_EQ(ParseBlockNumberInput("13.5"), 14);
    EXPECT_EQ(ParseBlockNumberInput(" 65535 "), 65535);
    EXPECT_FALSE(ParseBlockNumberInput("0xFFFF"));
    EXPECT_FALSE(ParseBlockNumberInput("65536"));
    EXPECT_FALSE(ParseBlockNumberInput("-1"));
    EXPECT_FALSE(ParseBlockNumberInput(""));
    EXPECT_FALSE(ParseBlockNumberInput("abc"));
}
