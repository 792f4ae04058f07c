#include <QFrame>
#include <QImage>
#include <QLabel>

#include "app/InfoPanel.h"
#include "app/fact_table_model.h"
#include "codecs/wav.h"
#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QToolButton>
#include <QWheelEvent>
#include "app/mComdlg.h"
#include "codecs/bitmap.h"
#include "codecs/gump.h"
#include "gui_fixture.h"
#include "patch/user_numbers.h"

namespace {
class Panel : public GuiTest {
protected:
    void Click(BlockId id) {
        window.Tree()->clearSelection();
        Select(id);
    }
    QString Label(const char* name) { return window.findChild<QLabel*>(QString::fromLatin1(name))->text(); }
    const QImage& Picture() { return window.Panel()->Picture(); }
    static void AddGump(Patch& p, std::int32_t n, const std::vector<std::uint16_t>& colors, int w, int h) {
        p.Append(12, n, *EncodeGump(colors, w, h), static_cast<std::int16_t>(h), static_cast<std::int16_t>(w));
    }
};
}  // namespace

TEST_F(Panel, FileTypeAndWholeFileNodesFillTheInfoFrame) {
    Patch p;
    for (int n : {1, 2, 3, 4}) p.Append(12, n, {}, 0, 0);
    p.RemoveBlock(12, 4);
    p.Append(252, 0, {1}, 0, 0);
    Load(std::move(p));
    Click({12, -1});
    EXPECT_EQ(Label("lblHeading"), "Gumps:");
    EXPECT_EQ(Label("lblInfo1"), "Number of blocks: 3");
    EXPECT_FALSE(window.findChild<QFrame*>("frMenu1")->isHidden());
    EXPECT_TRUE(window.findChild<QFrame*>("frMenu0")->isHidden());
    Click({252, 0});
    EXPECT_EQ(Label("lblHeading"), "");
    EXPECT_FALSE(window.findChild<QFrame*>("frMenu1")->isHidden());
}

TEST_F(Panel, MapBlocksDrawTheirSquaresAndBadBlocksDrawNothing) {
    window.Values().RadarColors[3] = 0x0000F8;  // red
    Bytes map(196, 0);
    map[4] = 3;
    Patch p;
    p.Append(0, 0, map, 0, 0);
    p.Append(0, 1, Bytes(50, 0), 0, 0);
    Load(std::move(p));
    Click({0, 0});
    EXPECT_EQ(Label("lblHeading"), "Map 0x00000 (0) :");
    ASSERT_EQ(Picture().size(), QSize(80, 80));
    EXPECT_EQ(Picture().pixel(5, 5), qRgb(248, 0, 0));
    EXPECT_EQ(Picture().pixel(15, 5), qRgb(0, 0, 0));
    Click({0, 1});
    EXPECT_EQ(Label("lblInfo1"), "Block size: 50");
    EXPECT_TRUE(Picture().isNull());
}

TEST_F(Panel, AGumpIsDrawnAfreshWhenThePatchChanges) {
    Patch red;
    AddGump(red, 5, {0x7C00, 0x001F}, 2, 1);
    Load(std::move(red));
    Click({12, 5});
    EXPECT_EQ(Label("lblInfo2"), "Size: 2x1");
    ASSERT_EQ(Picture().size(), QSize(2, 1));
    EXPECT_EQ(Picture().pixel(0, 0), qRgb(248, 0, 0));
    Patch green;
    AddGump(green, 5, {0x03E0, 0x001F}, 2, 1);
    Load(std::move(green));  // the selection stays on block 5
    EXPECT_EQ(Picture().pixel(0, 0), qRgb(0, 248, 0));
}

TEST_F(Panel, GumpsThatDoNotDecodeShowTheirTextsAndNoPicture) {
    Patch p;
    p.Append(12, 1, Bytes{1, 0}, 1, 1);
    p.Append(12, 2, *EncodeGump(std::vector<std::uint16_t>{1, 2}, 2, 1), 1, 0);
    Load(std::move(p));
    Click({12, 1});
    EXPECT_EQ(Label("lblInfo1"), "Block size: 2");
    EXPECT_TRUE(Picture().isNull());
    Click({12, 2});
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

    Patch p;
    AddGump(p, 10, {1}, 1, 1);
    Load(std::move(p));
    Select({12, -1});
    prompts.answers = {"10", QString::fromStdString(dir / "in.bmp")};
    ExpectUndoable([&] { Trigger("actLoadFromBMP"); }, "Undo Load from BMP");
    ASSERT_TRUE(prompts.messages.isEmpty()) << prompts.messages.join("\n").toStdString();
    const PatchFileEntry& gumps = Doc().patch()[12];
    ASSERT_EQ(gumps.Count(), 2);
    EXPECT_EQ(gumps.RemovedCount, 1);
    const PatchBlock& b = gumps.Blocks[1];
    EXPECT_EQ(b.FlagB, 3);
    EXPECT_EQ(b.FlagA, 2);
    EXPECT_EQ(b.ByteArray, (Bytes{2, 0, 0, 0, 4, 0, 0, 0, 0x00, 0x7C, 2, 0, 0x1F, 0x00, 1, 0, 0xFF, 0x7F, 3, 0}));
    EXPECT_EQ(Children(12), 1);
    EXPECT_EQ(Text({12, 10}), "000010");  // settled: the decimal text

    prompts.answers = {"0xFFFF"};
    Trigger("actLoadFromBMP");
    EXPECT_EQ(prompts.messages.last(), "Import Gump from Bmp: Illegal blocknumber! Gump blocks goes from 0 to 65535.");
    prompts.answers = {"65535", QString::fromStdString(dir / "in.bmp")};
    Trigger("actLoadFromBMP");
    EXPECT_EQ(Text({12, 65535}), "0x0FFFF");
    EXPECT_EQ(Model().IndexOf({12, 65535}).row(), 1);  // after block 10
}

TEST_F(Panel, SavingThePreviewAndLoadingItBackGivesTheSameBytes) {
    std::vector<std::uint16_t> colors;
    for (int i = 0; i < 12; ++i) colors.push_back(static_cast<std::uint16_t>(i < 6 ? 0x1234 : (i * 977) & 0x7FFF));
    Patch p;
    AddGump(p, 7, colors, 4, 3);
    const Bytes original(p[12].Blocks[0].ByteArray.begin(), p[12].Blocks[0].ByteArray.end());
    Load(std::move(p));
    for (const char* name : {"g.bmp", "g.png"}) {
        Click({12, 7});
        prompts.answers = {QString::fromStdString(dir / name)};
        Trigger("actSaveToBmp");
        ASSERT_TRUE(prompts.messages.isEmpty()) << prompts.messages.join("\n").toStdString();
        EXPECT_EQ(prompts.asked.back().kind, "save:bmp");
        Click({12, -1});
        prompts.answers = {"7", QString::fromStdString(dir / name)};
        Trigger("actLoadFromBMP");
        const PatchFileEntry& gumps = Doc().patch()[12];
        EXPECT_EQ(gumps.Blocks.back().ByteArray, original) << name;
        EXPECT_EQ(gumps.Blocks.back().FlagB, 4);
    }
    // A name without the extension gets ".bmp".
    Click({12, 7});
    prompts.answers = {QString::fromStdString(dir / "plain")};
    Trigger("actSaveToBmp");
    EXPECT_TRUE(std::filesystem::exists(dir / "plain.bmp"));
}

TEST_F(Panel, UnreadableAndOversizedPicturesAreRefusedBeforeThePatchChanges) {
    WriteFileBytes(dir / "junk.bmp", {'B', 'M', 1, 2, 3});
    QImage wide(40000, 1, QImage::Format_RGB32);
    wide.fill(Qt::white);
    ASSERT_TRUE(wide.save(QString::fromStdString(dir / "wide.png"), "PNG"));
    Select({12, -1});
    for (const char* name : {"junk.bmp", "wide.png", "missing.bmp"}) {
        prompts.answers = {"3", QString::fromStdString(dir / name)};
        Trigger("actLoadFromBMP");
        EXPECT_EQ(Doc().patch()[12].Count(), 0) << name;
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

TEST_F(Panel, DataBlocksShowTheirFactsTablesPicturesAndProblems) {
    Bytes hues(1220, 0);
    hues[4] = 0x1F;  // the first swatch of the first entry: pure blue
    Bytes statics = {0x34, 0x12, 3, 4, 0xFB, 0x21, 0x00, 9};  // one entry and a stray byte
    Bytes sound(40 + 6, 0);
    sound[0] = 'h';
    sound[41] = 0x7F;
    Patch p;
    p.Append(32, 0, hues, 0, 0);
    p.Append(2, 5, statics, 0, 0);
    p.Append(8, 3, sound, 0, 0);
    Load(std::move(p));
    const FactTableModel& table = window.Panel()->Facts();
    struct Case {
        BlockId id;
        int rows;
        QString firstCell, problem;
        QSize picture;
        bool play;
    };
    const Case cases[] = {{{32, 0}, 8, "0", "", {32, 8}, false},
                          {{2, 5}, 1, "0x1234", "?", {}, false},
                          {{8, 3}, 0, "", "", {}, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id.fileId);
        Click(c.id);
        EXPECT_FALSE(Label("lblFacts").isEmpty());
        EXPECT_EQ(table.rowCount(), c.rows);
        if (c.rows > 0) {
            EXPECT_EQ(table.index(0, 0).data().toString(), c.firstCell);
        }
        EXPECT_EQ(Label("lblProblem").isEmpty(), c.problem.isEmpty()) << Label("lblProblem").toStdString();
        EXPECT_EQ(Picture().size(), c.picture.isValid() ? c.picture : QSize(0, 0));
        EXPECT_EQ(window.findChild<QPushButton*>("cmdPlay")->isVisibleTo(window.Panel()), c.play);
    }
    EXPECT_EQ(Picture().isNull(), true);
    Click({32, 0});
    EXPECT_EQ(Picture().pixel(0, 0), qRgb(0, 0, 248));

    Click({8, 3});
    const std::string wav = dir / "out.wav";
    prompts.answers = {QString::fromStdString(wav)};
    Trigger("actSaveAsWAV");
    Bytes expected;
    ASSERT_EQ(SoundToWav(sound, expected), "");
    EXPECT_EQ(ReadFileBytes(wav), expected);
}

TEST_F(Panel, ZoomDrawsCrispPixelsOverACheckerboardAndKeepsThePicture) {
    Patch p;
    AddGump(p, 1, {0, 0x7C00}, 2, 1);  // a transparent cell, then red
    Load(std::move(p));
    Click({12, 1});
    InfoPanel& panel = *window.Panel();
    const QImage original = Picture();
    panel.SetZoom(4);
    QImage shown = panel.Shown();
    ASSERT_EQ(shown.size(), QSize(8, 4));
    EXPECT_EQ(shown.pixel(0, 0), qRgb(0xD8, 0xD8, 0xD8));  // checkerboard, not the black of colour 0
    EXPECT_EQ(shown.pixel(7, 3), qRgb(248, 0, 0));
    EXPECT_EQ(Picture(), original);

    struct Step {
        const char* how;
        int zoom;
    };
    QWidget* viewport = window.findChild<QLabel*>("picInfo")->parentWidget();
    auto wheel = [&](int delta) {
        QWheelEvent e(QPointF(1, 1), QPointF(1, 1), {}, QPoint(0, delta), Qt::NoButton, Qt::ControlModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(viewport, &e);
    };
    const Step steps[] = {{"actZoomIn", 8}, {"actZoomIn", 8}, {"wheel-", 4}, {"wheel+", 8},
                          {"actZoomActual", 1}, {"actZoomOut", 0}, {"actZoomOut", 0}, {"cmdZoom2", 2}};
    for (const Step& s : steps) {
        const std::string how = s.how;
        if (how == "wheel-") wheel(-120);
        else if (how == "wheel+") wheel(120);
        else if (how.starts_with("cmd")) window.findChild<QToolButton*>(s.how)->click();
        else Trigger(s.how);
        EXPECT_EQ(panel.Zoom(), s.zoom) << s.how;
    }
    EXPECT_EQ(panel.Shown().size(), QSize(4, 2));

    window.Tree()->setFocus();
    Trigger("actCopyPicture");
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(original.format()), original);
    frmStart next;  // the zoom is kept for the next start
    EXPECT_EQ(next.Panel()->Zoom(), 2);
}
