#include <QClipboard>
#include <QImage>
#include <QSplitter>
#include <QToolButton>
#include <QWheelEvent>

#include "app/InfoPanel.h"
#include "app/fact_table_model.h"
#include "app/mComdlg.h"
#include "images/bitmap.h"
#include "codecs/gump.h"
#include "codecs/wav.h"
#include "gui_fixture.h"

namespace {
class Panel : public GuiTest {
protected:
    void Click(BlockId id) {
        window.Tree()->clearSelection();
        Select(id);
    }
    const QImage& Picture() { return window.Panel()->Picture(); }
    // Gump block `n` of these colours, its height in FlagA and its width in FlagB.
    static BlockFields Gump(std::int32_t n, const std::vector<std::uint16_t>& colors, int w, int h) {
        return {12, n, *EncodeGump(colors, w, h), static_cast<std::int16_t>(h), static_cast<std::int16_t>(w)};
    }
};
}  // namespace

// Every kind of node: its texts, its picture (none when the block does not
// decode), its facts table and the Play button.
TEST_F(Panel, EachKindOfNodeShowsItsTextsPictureAndFacts) {
    window.Values().RadarColors[3] = 0x0000F8;  // red
    Bytes map(196, 0);
    map[4] = 3;
    Bytes hues(1220, 0);
    hues[4] = 0x1F;  // the first swatch of the first entry: pure blue
    Bytes sound(40 + 6, 0);
    sound[0] = 'h';
    sound[41] = 0x7F;
    // Gump 2 has width 0; statics 5 one entry and a stray byte.
    Patch p = PatchOf({{0, 0, map}, {0, 1, Bytes(50, 0)}, {12, 1, {1, 0}, 1, 1},
                       {12, 2, *EncodeGump(std::vector<std::uint16_t>{1, 2}, 2, 1), 1, 0}, {12, 4, {}},
                       {4, 5, Bytes(2024, 0xFF)}, {4, 16384, {1, 2, 3}}, {252, 0, {1}}, {32, 0, hues},
                       {2, 5, {0x34, 0x12, 3, 4, 0xFB, 0x21, 0x00, 9}}, {8, 3, sound}, Gump(5, {0x7C00, 0x001F}, 2, 1)});
    p.RemoveBlock(12, 4);
    Load(std::move(p));
    const QRgb background = window.Panel()->palette().color(QPalette::Button).rgb();
    const FactTableModel& table = window.Panel()->Facts();
    const struct {
        BlockId id;
        std::vector<std::pair<const char*, QString>> labels;
        QSize picture;
        std::vector<std::pair<QPoint, QRgb>> pixels;
        int rows = 0;
        QString firstCell = {};
        bool play = false;
    } cases[] = {
        {{12, -1}, {{"lblHeading", "Gumps:"}, {"lblInfo1", "Number of blocks: 3"}}, {}, {}},
        {{252, 0}, {{"lblHeading", ""}}, {}, {}},
        {{0, 0}, {{"lblHeading", "Map 0x00000 (0) :"}}, {80, 80},
         {{{5, 5}, qRgb(248, 0, 0)}, {{15, 5}, qRgb(0, 0, 0)}}},
        {{0, 1}, {{"lblInfo1", "Block size: 50"}}, {}, {}},
        {{12, 5}, {{"lblInfo2", "Size: 2x1"}}, {2, 1}, {{{0, 0}, qRgb(248, 0, 0)}}},
        {{12, 1}, {{"lblInfo1", "Block size: 2"}}, {}, {}},
        {{12, 2}, {{"lblInfo2", "Size: 0x1"}}, {}, {}},
        {{4, 5}, {{"lblInfo2", "Type: Landscape tile"}}, {44, 44},
         {{{21, 0}, qRgb(248, 248, 248)}, {{0, 0}, background}}},
        {{4, 16384}, {{"lblInfo2", "Type: Static tile"}}, {}, {}},
        {{32, 0}, {{"lblProblem", ""}}, {32, 8}, {{{0, 0}, qRgb(0, 0, 248)}}, 8, "0"},
        {{2, 5}, {{"lblProblem", "The block holds 8 bytes, not a whole number of 7-byte statics; 1 byte is left over."}},
         {}, {}, 1, "0x1234"},
        {{8, 3}, {{"lblProblem", ""}}, {}, {}, 0, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.id.fileId) + "/" + std::to_string(c.id.blockNumber));
        Click(c.id);
        for (const auto& [label, text] : c.labels) EXPECT_EQ(Label(label), text) << label;
        EXPECT_EQ(Picture().size(), c.picture.isValid() ? c.picture : QSize(0, 0));
        for (const auto& [at, color] : c.pixels) EXPECT_EQ(Picture().pixel(at), color) << at.x() << "," << at.y();
        EXPECT_EQ(table.rowCount(), c.rows);
        EXPECT_EQ(Label("lblFacts").isEmpty(), c.rows == 0 && !c.play);  // only data blocks have facts
        EXPECT_TRUE(c.rows == 0 || table.index(0, 0).data().toString() == c.firstCell);
        EXPECT_EQ(Child<QPushButton>(&window, "cmdPlay")->isVisibleTo(window.Panel()), c.play);
    }

    Trigger("actSaveAsWAV", {File("out.wav")});
    EXPECT_EQ(ReadFileBytes(dir / "out.wav"), SoundToWav(sound).value());

    // A gump is drawn afresh when the patch changes under the selection.
    Click({12, 5});
    Load(PatchOf({Gump(5, {0x03E0, 0x001F}, 2, 1)}));
    EXPECT_EQ(Picture().pixel(0, 0), qRgb(0, 248, 0));
}

TEST_F(Panel, APictureBecomesAGumpBlockReplacingTheOldOneOrIsRefusedChangingNothing) {
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(qRgb(255, 255, 255));
    picture.setPixel(0, 0, qRgb(255, 0, 0));
    picture.setPixel(1, 0, qRgb(255, 0, 0));
    picture.setPixel(2, 0, qRgb(0, 0, 255));
    ASSERT_TRUE(picture.save(File("in.bmp"), "BMP"));
    Load(PatchOf({Gump(10, {1}, 1, 1)}));
    Select({12, -1});
    prompts.answers = {"10", File("in.bmp")};
    ExpectUndoable([&] { Trigger("actLoadFromBMP"); }, "Undo Load from BMP");
    ASSERT_TRUE(prompts.messages.isEmpty()) << prompts.messages.join("\n").toStdString();
    EXPECT_EQ(SlotsOf(Doc().patch(), 12), (std::vector<SlotFacts>{{-1, 8, 1, 1}, {10, 20, 2, 3}}));  // height 2, width 3
    EXPECT_EQ(Doc().patch()[12].blocks[1].bytes,
              (Bytes{2, 0, 0, 0, 4, 0, 0, 0, 0x00, 0x7C, 2, 0, 0x1F, 0x00, 1, 0, 0xFF, 0x7F, 3, 0}));
    EXPECT_EQ(Children(12), 1);
    EXPECT_EQ(Text({12, 10}), "000010");  // settled: the decimal text

    // Refusals leave the patch as it was.
    QImage wide(40000, 1, QImage::Format_RGB32);
    wide.fill(Qt::white);
    ASSERT_TRUE(wide.save(File("wide.png"), "PNG"));
    const auto before = SavedBytes();
    for (const auto& [answers, message] : {std::pair<std::deque<QString>, QString>{
                                               {"&H10000"}, "Import Gump from Bmp: Illegal blocknumber! Gump blocks goes "
                                                           "from 0 to 65535."},
                                           {{"3", File("wide.png")}, "at most 32767 pixels"},
                                           {{"3", File("missing.bmp")}, "Cannot open '" + File("missing.bmp") + "'"}}) {
        prompts.messages.clear();
        Trigger("actLoadFromBMP", answers);
        ASSERT_EQ(prompts.messages.size(), 1) << message.toStdString();
        EXPECT_TRUE(prompts.messages[0].contains(message)) << prompts.messages[0].toStdString();
        EXPECT_EQ(SavedBytes(), before);
    }
    Trigger("actLoadFromBMP", {"0xFFFF", File("in.bmp")});  // unsigned: a legal gump number
    EXPECT_EQ(Text({12, 65535}), "0x0FFFF");
    EXPECT_EQ(Model().IndexOf({12, 65535}).row(), 1);  // after block 10
}

// Colour 0 is transparent in a PNG and black in a bitmap: either way it comes back as 0.
TEST_F(Panel, SavingThePreviewAndLoadingItBackGivesTheSameBytes) {
    std::vector<std::uint16_t> colors;
    for (int i = 0; i < 12; ++i) colors.push_back(static_cast<std::uint16_t>(i < 2 ? 0 : i < 6 ? 0x1234 : (i * 977) & 0x7FFF));
    const BlockFields gump = Gump(7, colors, 4, 3);
    Load(PatchOf({gump}));
    for (const char* name : {"g.bmp", "g.png"}) {
        Click({12, 7});
        Trigger("actSaveToBmp", {File(name)});
        ASSERT_TRUE(prompts.messages.isEmpty()) << prompts.messages.join("\n").toStdString();
        EXPECT_EQ(prompts.asked.back().kind, "save:bmp");
        Click({12, -1});
        Trigger("actLoadFromBMP", {"7", File(name)});
        EXPECT_EQ(Doc().patch()[12].blocks.back().bytes, gump.bytes) << name;
        EXPECT_EQ(Doc().patch()[12].blocks.back().flagB, 4);
    }
    Click({12, 7});
    Trigger("actSaveToBmp", {File("plain")});  // a name without the extension gets ".bmp"
    EXPECT_TRUE(std::filesystem::exists(dir / "plain.bmp"));
}

// The cases the command tests do not reach.
TEST(BlockCommands, EnsureExtension) {
    for (const auto& [name, ext, out] : {std::tuple<QString, const char*, QString>{"gump5.txt", "bmp", "gump5.txt.bmp"},
                                         {"gump5.BMP", "bmp", "gump5.BMP"}, {"block.DAT", "dat", "block.DAT"},
                                         {QString("a.bin") + QChar(0), "dat", "a.bin.dat"}})
        EXPECT_EQ(EnsureExtension(name, ext), out) << name.toStdString();
}

TEST_F(Panel, ZoomDrawsCrispPixelsOverACheckerboardKeepsThePictureAndIsKeptWithTheWindowsLayout) {
    Load(PatchOf({Gump(1, {0, 0x7C00}, 2, 1)}));  // a transparent cell, then red
    Click({12, 1});
    InfoPanel& panel = *window.Panel();
    const QImage original = Picture();
    panel.SetZoom(4);
    ASSERT_EQ(panel.Shown().size(), QSize(8, 4));
    EXPECT_EQ(panel.Shown().pixel(0, 0), qRgb(0xD8, 0xD8, 0xD8));  // checkerboard, not the black of colour 0
    EXPECT_EQ(panel.Shown().pixel(7, 3), qRgb(248, 0, 0));
    EXPECT_EQ(Picture(), original);

    QWidget* viewport = Child<QLabel>(&window, "picInfo")->parentWidget();
    const std::pair<const char*, int> steps[] = {{"actZoomIn", 8},     {"actZoomIn", 8},  {"wheel-", 4},
                                                 {"wheel+", 8},        {"actZoomActual", 1}, {"actZoomOut", 0},
                                                 {"actZoomOut", 0},    {"cmdZoom2", 2}};
    for (const auto& [how, zoom] : steps) {
        const std::string h = how;
        if (h.starts_with("wheel")) {
            QWheelEvent e(QPointF(1, 1), QPointF(1, 1), {}, QPoint(0, h == "wheel+" ? 120 : -120), Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(viewport, &e);
        } else if (h.starts_with("cmd")) {
            Child<QToolButton>(&window, how)->click();
        } else {
            Trigger(how);
        }
        EXPECT_EQ(panel.Zoom(), zoom) << how;
    }
    EXPECT_EQ(panel.Shown().size(), QSize(4, 2));

    window.Tree()->setFocus();
    Trigger("actCopyPicture");
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(original.format()), original);
    window.show();
    window.resize(1000, 700);
    Child<QSplitter>(&window, "splBlocks")->setSizes({333, 600});
    const int left = Child<QSplitter>(&window, "splBlocks")->sizes().first();
    window.close();
    frmStart next;  // the zoom, the splitter and the window's size are kept for the next start
    next.show();
    EXPECT_EQ(std::tuple(next.Panel()->Zoom(), Child<QSplitter>(&next, "splBlocks")->sizes().first(), next.size()),
              std::tuple(2, left, QSize(1000, 700)));
}
