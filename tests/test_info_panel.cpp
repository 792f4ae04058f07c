#include <QClipboard>
#include <QFileDialog>
#include <QTimer>
#include <QDir>
#include <QScrollArea>
#include <QTest>
#include <QImage>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QWheelEvent>

#include "app/anim_player.h"
#include "app/info_panel.h"
#include "app/picture_view.h"
#include "codecs/anim_frames.h"
#include "app/fact_table_model.h"
#include "app/file_dialogs.h"
#include "images/bitmap.h"
#include "codecs/gump.h"
#include "codecs/wav.h"
#include "cli_runner.h"
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

// Every kind of node: its texts, its picture (what could be drawn when the
// block does not decode whole, with a red line saying why), its facts table
// and the Play button.
TEST_F(Panel, EachKindOfNodeShowsItsTextsPictureAndFacts) {
    window.Values().RadarColors[3] = 0x0000F8;  // red
    Bytes map(196, 0);
    map[4] = 3;
    Bytes longMap = map;
    longMap.resize(300);
    Bytes hues(1220, 0);
    hues[4] = 0x1F;  // the first swatch of the first entry: pure blue
    // Six whole entries and the colours of a seventh, whose name is cut off.
    Bytes shortHues(hues.begin(), hues.begin() + 4 + 6 * 152 + 64);
    Bytes sound(40 + 6, 0);
    sound[0] = 'h';
    sound[41] = 0x7F;
    Animation anim;
    anim.frames = {{0, 0, 2, 1, {1, kAnimTransparent}, 0}};
    anim.palette[1] = 0x7C00;
    Bytes cutAnim = *EncodeAnimation(anim);
    cutAnim.resize(cutAnim.size() - 4);  // no end mark
    anim.frames.push_back(anim.frames[0]);
    Bytes cutSecond = *EncodeAnimation(anim);  // the first frame whole, the second without its end mark
    cutSecond.resize(cutSecond.size() - 4);
    Bytes cutGump = *EncodeGump(std::vector<std::uint16_t>{0x7C00, 0x001F, 0x7C00, 0x001F}, 2, 2);
    cutGump[4] = 64;  // the second row starts far past the end
    // Gump 2 has width 0; statics 5 one entry and a stray byte.
    Patch p = PatchOf({{0, 0, map}, {0, 1, Bytes(50, 0)}, {0, 2, longMap}, {12, 1, {1, 0}, 1, 1},
                       {12, 2, *EncodeGump(std::vector<std::uint16_t>{1, 2}, 2, 1), 1, 0}, {12, 3, cutGump, 2, 2},
                       {12, 4, {}}, {4, 5, Bytes(2024, 0xFF)}, {4, 6, Bytes(1000, 0xFF)}, {4, 16384, {1, 2, 3}},
                       {252, 0, {1}}, {252, 1, {'a', '\r', '\n', 'b'}}, {32, 0, hues}, {32, 1, shortHues}, {6, 1, cutSecond}, {6, 2, cutAnim},
                       {2, 5, {0x34, 0x12, 3, 4, 0xFB, 0x21, 0x00, 9}}, {8, 3, sound}, Gump(5, {0x7C00, 0x001F}, 2, 1)});
    p.RemoveBlock(12, 4);
    Load(std::move(p));
    const FactTableModel& table = window.Panel()->Facts();
    const QString shortMap = "The map block holds 50 bytes, not the 196 of a map block.";
    const struct {
        BlockId id;
        std::vector<std::pair<const char*, QString>> labels;
        QSize picture;
        std::vector<std::pair<QPoint, QRgb>> pixels;
        int rows = 0;
        QString firstCell = {};
        bool play = false;
    } cases[] = {
        {{12, -1}, {{"lblHeading", "Gumps:"}, {"lblInfo1", "Number of blocks: 4"}}, {}, {}},
        {{0, 0}, {{"lblHeading", "Map 0x00000 (0) :"}, {"lblProblem", ""}}, {80, 80},
         {{{5, 5}, qRgb(248, 0, 0)}, {{15, 5}, qRgb(0, 0, 0)}}, 64, "0,0"},
        {{0, 1}, {{"lblInfo1", "Block size: 50"}, {"lblProblem", shortMap}}, {80, 80}, {{{79, 79}, 0}}, 15, "0,0"},
        {{0, 2}, {{"lblProblem", "The map block holds 300 bytes, not the 196 of a map block; the first 196 are drawn."}},
         {80, 80}, {{{5, 5}, qRgb(248, 0, 0)}}, 64, "0,0"},
        {{12, 5}, {{"lblInfo2", "Size: 2x1"}}, {2, 1}, {{{0, 0}, qRgb(248, 0, 0)}}},
        {{12, 1}, {{"lblProblem", "The gump's row table runs past the end of the block."}}, {1, 1}, {}},
        {{12, 2}, {{"lblInfo2", "Size: 0x1"}, {"lblProblem", "The gump has no size (0x1)."}}, {}, {}},
        {{12, 3}, {{"lblProblem", "Row 0 of the gump runs past the end of the block."}}, {2, 2}, {{{1, 1}, qRgb(0, 0, 0)}}},
        {{4, 5}, {{"lblInfo2", "Type: Landscape tile"}}, {44, 44}, {{{21, 0}, qRgb(248, 248, 248)}, {{0, 0}, 0}}},
        {{4, 6}, {{"lblProblem", "The land tile holds 1000 bytes, fewer than its 2024."}}, {44, 44},
         {{{21, 0}, qRgb(248, 248, 248)}, {{21, 43}, 0}}},
        {{4, 16384}, {{"lblInfo2", "Type: Static tile"}, {"lblProblem", "The static tile is shorter than its 8-byte header."}},
         {}, {}},
        // A damaged animation plays the frames that decode, at the zoom of the other pictures.
        {{6, 1},
         {{"lblProblem", "Frame 1 runs past the end of the block without its end mark."}, {"lblFrame", "Frame 1 of 2"},
          {"lblAnimName", "Body 0, action 0, direction 1"}},
         {2, 1}, {{{0, 0}, qRgb(248, 0, 0)}, {{1, 0}, 0}}},
        {{6, 2}, {{"lblProblem", "Frame 0 runs past the end of the block without its end mark."}, {"lblFrame", "No frame decodes"}},
         {}, {}},
        {{252, 0}, {{"lblProblem", "This is NOT an UO client.exe file."}}, {}, {}},
        {{252, 1}, {{"lblProblem", ""}}, {}, {}, 2, "a"},
        {{32, 0}, {{"lblProblem", ""}}, {32, 8}, {{{0, 0}, qRgb(0, 0, 248)}}, 8, "0"},
        {{32, 1}, {{"lblProblem", "The block holds 980 bytes, not the 1220 of a hue block."}}, {32, 7},
         {{{0, 0}, qRgb(0, 0, 248)}}, 6, "8"},
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
        EXPECT_TRUE(c.rows == 0 || table.index(0, 0).data().toString() == c.firstCell);
        EXPECT_EQ(Child<QPushButton>(&window, "cmdPlay")->isVisibleTo(window.Panel()), c.play);
        EXPECT_EQ(Action("actCopyPicture")->isEnabled(), c.picture.isValid());
    }
    Click({252, 1});  // the readme's name, size and text
    EXPECT_EQ(Label("lblFacts"), "<b>Readme.txt</b><br>Size: 4 bytes");

    Click({8, 3});
    Trigger("actSaveAsWAV", {File("out.wav")});
    EXPECT_EQ(prompts.asked.back().dir, QDir::home().filePath("sound-0x0003.wav"));
    EXPECT_EQ(ReadFileBytes(dir / "out.wav"), SoundToWav(sound).value());
    // Play says so when the desktop has no player (its opener fails or is missing).
    for (const char* opener : {"false", "/no/such/opener"}) {
        window.Commands()->SetSoundOpener(QString::fromLatin1(opener));
        const qsizetype before = prompts.messages.size();
        Child<QPushButton>(&window, "cmdPlay")->click();
        EXPECT_TRUE(QTest::qWaitFor([&] { return prompts.messages.size() > before; })) << opener;
        EXPECT_TRUE(prompts.messages.last().startsWith("Play: The desktop has no program that plays this sound."));
    }

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

// Fit: the largest scale at which the whole picture fits, in whole steps
// when it enlarges, smooth when it shrinks, on first sight and after every
// change of the area's size; the zoom keys step by the scale drawn.
TEST(PictureView, FitFollowsTheAreaAndTheZoomKeysStepFromTheScaleDrawn) {
    EmptySettings empty;
    PictureView view(nullptr);
    QImage picture(100, 50, QImage::Format_RGB32);
    picture.fill(qRgb(0, 0, 248));
    view.SetPicture(picture);
    view.resize(500, 400);
    view.show();
    QApplication::processEvents();
    auto* label = view.findChild<QLabel*>(QStringLiteral("picInfo"));
    auto* area = view.findChild<QScrollArea*>();
    ASSERT_GT(area->maximumViewportSize().height(), 250);  // the width decides: 5x
    EXPECT_EQ(label->size(), QSize(500, 250));
    view.resize(330, 400);
    QApplication::processEvents();
    EXPECT_EQ(label->size(), QSize(300, 150));
    view.SetPicture(picture.scaled(1200, 600));  // shrunk smoothly to the area
    EXPECT_EQ(label->size(), QSize(330, 165));
    view.SetPicture(picture);
    view.resize(500, 400);
    QApplication::processEvents();

    const std::pair<const char*, int> steps[] = {{"actZoomIn", 8},     {"actZoomIn", 8},   {"wheel-", 0},
                                                 {"wheel-", 4},        {"actZoomActual", 1}, {"Ctrl+9", 0},
                                                 {"Ctrl+0", 1},        {"actZoomOut", 1},
                                                 {"cmdZoom2", 2},      {"actZoomIn", 4},   {"actZoomIn", 0}};
    for (const auto& [how, zoom] : steps) {
        const std::string h = how;
        if (h.starts_with("wheel")) {
            QWheelEvent e(QPointF(1, 1), QPointF(1, 1), {}, QPoint(0, h == "wheel+" ? 120 : -120), Qt::NoButton,
                          Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(area->viewport(), &e);
        } else if (h.starts_with("cmd")) {
            Child<QToolButton>(&view, how)->click();
        } else if (h.starts_with("Ctrl")) {
            QTest::keySequence(&view, QKeySequence(QString::fromLatin1(how)));
        } else {
            Child<QAction>(&view, how)->trigger();
        }
        EXPECT_EQ(view.Zoom(), zoom) << how;
    }
    EXPECT_EQ(label->size(), QSize(500, 250));
    EXPECT_EQ(view.findChild<QLabel*>(QStringLiteral("lblPictureSize"))->text(), "100 \u00D7 50 pixels");
    // The buttons name their keys.
    for (const auto& [button, key] : {std::pair{"cmdZoomFit", "(Ctrl+9)"}, {"cmdZoom1", "(Ctrl+0)"}, {"cmdZoom4", "Ctrl++"}})
        EXPECT_TRUE(Child<QToolButton>(&view, button)->toolTip().contains(QString::fromLatin1(key))) << button;
}

TEST_F(Panel, PicturesFitOnFirstSightDrawTransparencyOverACheckerboardCopyItAndTheZoomIsKept) {
    std::vector<std::uint16_t> big(120 * 90, 0x1234);
    Load(PatchOf({Gump(1, {0, 0x7C00}, 2, 1), Gump(2, big, 120, 90), {32, 0, Bytes(1220, 0)}}));
    PictureView& view = window.Panel()->View();
    view.SetZoom(0);
    window.resize(1000, 700);
    window.show();
    auto* label = Child<QLabel>(&window, "picInfo");
    auto fitted = [&] {
        QApplication::processEvents();
        const QSize area = window.findChild<QScrollArea*>()->maximumViewportSize();
        return QSize(120, 90) * std::min(area.width() / 120, area.height() / 90);
    };
    for (const BlockId id : {BlockId{12, 2}, BlockId{32, 0}, BlockId{12, 2}}) {  // first sight, and after a hues block
        Click(id);
        EXPECT_TRUE(id.fileId != kGumps || label->size() == fitted());
    }
    EXPECT_GE(fitted().width(), 240);  // enlarged, never below 1x
    window.resize(800, 600);
    EXPECT_EQ(label->size(), fitted());

    Click({12, 1});  // a transparent cell, then red
    const QImage original = Picture();
    view.SetZoom(4);
    ASSERT_EQ(view.Shown().size(), QSize(8, 4));
    EXPECT_EQ(view.Shown().pixel(0, 0), qRgb(0xD8, 0xD8, 0xD8));  // checkerboard, not the black of colour 0
    EXPECT_EQ(view.Shown().pixel(7, 3), qRgb(248, 0, 0));
    EXPECT_EQ(Picture(), original);
    window.Tree()->setFocus();
    Trigger("actCopyPicture");  // with its transparency
    const QImage copied = QGuiApplication::clipboard()->image();
    EXPECT_EQ(std::pair(qAlpha(copied.pixel(0, 0)), copied.pixel(1, 0)), std::pair(0, qRgb(248, 0, 0)));

    view.SetZoom(2);
    window.resize(1000, 700);
    Child<QSplitter>(&window, "splBlocks")->setSizes({333, 600});
    const int left = Child<QSplitter>(&window, "splBlocks")->sizes().first();
    window.close();
    MainWindow next;  // the zoom, the splitter and the window's size are kept for the next start
    next.show();
    EXPECT_EQ(std::tuple(next.Panel()->View().Zoom(), Child<QSplitter>(&next, "splBlocks")->sizes().first(), next.size()),
              std::tuple(2, left, QSize(1000, 700)));
}

// Frames of other sizes and centres share one canvas on which their anchors
// meet; the player steps either way around them and to the neighbouring
// directions and actions the patch holds.
TEST_F(Panel, ThePlayerKeepsTheAnchorInPlaceAndStepsToFramesAndNeighbours) {
    Animation anim;
    anim.palette[7] = 0x7C00;
    // Each frame marks the cell just above and left of its anchor.
    const struct {
        std::int16_t centreX, centreY;
        std::uint16_t width, height;
    } frames[] = {{1, 0, 2, 2}, {5, -3, 9, 4}, {-2, 4, 3, 1}};
    for (const auto& f : frames) {
        AnimFrame frame{f.centreX, f.centreY, f.width, f.height, {}, 0};
        frame.cells.assign(std::size_t{f.width} * f.height, 0);
        const int x = f.centreX - 1, y = f.centreY + f.height - 1;
        if (x >= 0 && x < f.width && y >= 0 && y < f.height) frame.cells[std::size_t(y) * f.width + x] = 7;
        anim.frames.push_back(frame);
    }
    const Bytes bytes = *EncodeAnimation(anim);
    // Body 1: action 0 in directions 0 and 2, action 2 in direction 1, action 3 in direction 2.
    Load(PatchOf({{6, 110, bytes}, {6, 112, bytes}, {6, 121, bytes}, {6, 127, bytes}}));
    Click({6, 110});
    AnimPlayer& player = window.Panel()->Player();
    EXPECT_TRUE(QTest::qWaitFor([&] { return player.Frame() != 0; })) << "it plays";
    player.Pause();
    while (player.Frame() != 0) player.StepForward();
    const QRect canvas = player.Canvas();
    EXPECT_EQ(canvas, QRect(-5, -5, 10, 8));
    const QPoint marker = QPoint(-1, -1) - canvas.topLeft();
    for (int step : {+1, +1, +1, -1, -1, -1, -1}) {
        step > 0 ? player.StepForward() : player.StepBack();
        SCOPED_TRACE(player.Frame());
        EXPECT_EQ(Label("lblFrame"), QStringLiteral("Frame %1 of 3").arg(player.Frame() + 1));
        EXPECT_EQ(Picture().size(), canvas.size());
        const bool marked = player.Frame() != 2;  // the last frame's mark lies outside it
        EXPECT_EQ(Picture().pixel(marker), marked ? qRgb(248, 0, 0) : 0);
        EXPECT_EQ(player.IsPlaying(), false);
    }
    EXPECT_EQ(player.Frame(), 2u);

    const struct {
        const char* action;
        std::int32_t to;  // -1: the action is off
        const char* name;
    } steps[] = {
        {"actDirectionBack", -1, "Body 1, action 0, direction 0"}, {"actActionBack", -1, ""},
        {"actDirectionNext", 112, "Body 1, action 0, direction 2"}, {"actDirectionNext", -1, ""},
        {"actActionNext", 121, "Body 1, action 2, direction 1"},    // no action 1, no direction 2 in action 2
        {"actDirectionBack", -1, ""},  {"actActionNext", 127, "Body 1, action 3, direction 2"},
        {"actActionNext", -1, ""},     {"actActionBack", 121, "Body 1, action 2, direction 1"},
        {"actActionBack", 110, "Body 1, action 0, direction 0"},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.action);
        EXPECT_EQ(Action(s.action)->isEnabled(), s.to >= 0);
        if (s.to < 0) continue;
        Trigger(s.action);
        EXPECT_EQ(window.Current(), std::optional(BlockId{6, s.to}));
        EXPECT_EQ(Label("lblAnimName"), s.name);
    }

    // Centres too far apart for one canvas: each frame stands in its own box.
    const AnimFrame dot{0, 0, 1, 1, {7}, 0};
    Bytes far = *EncodeAnimation({anim.palette, {dot, dot}});
    const std::uint32_t second = 512 + GetLE32(&far[520]);
    PutLE16(&far[second], 30000);
    PutLE16(&far[second + 2], 30000);
    Load(PatchOf({{kAnim, 5, far}}));
    Click({kAnim, 5});
    for (int i = 0; i < 2; ++i, player.StepForward()) EXPECT_EQ(Picture().size(), QSize(1, 1));
}

// Save frames writes the files anim-to-png writes, Load frames builds the
// bytes png-to-anim builds as one undoable step keeping the flags, and a
// folder either refuses changes nothing.
TEST_F(Panel, FramesGoToAndComeFromPicturesAsOnTheCommandLine) {
    Animation anim;
    anim.palette[3] = 0x03E0;
    anim.palette[9] = 0x7C1F;
    anim.frames = {{2, -1, 3, 2, {3, 9, kAnimTransparent, kAnimTransparent, 9, 3}, 0}, {0, 0, 0, 0, {}, 0}};
    const Patch patch = PatchOf({{kAnim, 110, *EncodeAnimation(anim), 4, 5}, {kAnim, 111, Bytes(100, 0), 6, 7}});
    WritePatch("cli.uop", patch);
    Load(patch);
    ASSERT_EQ(Cli(dir, "anim-to-png @cli.uop 110 @cli").code, 0);
    Select({kAnim, 110});
    Trigger("actSaveFramesAsPNG", {File("gui")});  // a folder not made yet
    EXPECT_EQ(prompts.asked.back().kind, "folder:new");
    EXPECT_EQ(window.statusBar()->currentMessage(), "Saved 2 frames of Anim 0x0006E to " + File("gui"));
    for (const std::string name : {"frame-000.png", "frame-001.png", "frames.json"})
        EXPECT_EQ(ReadFileBytes(dir / ("gui/" + name)), ReadFileBytes(dir / ("cli/" + name))) << name;

    // A folder that already holds frames, a folder without any, a block that does not decode.
    const auto before = SavedBytes();
    const struct {
        BlockId at;
        const char* action;
        std::deque<QString> answers;
        const char* message;
    } refusals[] = {
        {{kAnim, 110}, "actSaveFramesAsPNG", {File("gui")}, "already holds 2 frame-*.png files and frames.json"},
        {{kAnim, 110}, "actLoadFramesFromPNG", {File("")}, "holds no frame pictures"},
        {{kAnim, 111}, "actSaveFramesAsPNG", {}, "Anim 0x0006F does not decode: The block holds 100 bytes"},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.action);
        Select(r.at);
        prompts.messages.clear();
        Trigger(r.action, r.answers);
        ASSERT_EQ(prompts.messages.size(), 1);
        EXPECT_TRUE(prompts.messages[0].contains(QString::fromLatin1(r.message))) << prompts.messages[0].toStdString();
    }
    EXPECT_EQ(SavedBytes(), before);
    EXPECT_EQ(prompts.asked.back().dir, QString::fromStdString(dir.path().string())) << "where the user was";
    EXPECT_EQ(prompts.asked.back().kind, "folder");  // Load frames reads an existing one

    // The real folder dialog takes a name not made yet where a new folder may be; the command makes it.
    SetPrompts(nullptr);
    QTimer::singleShot(0, [] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        auto* name = Child<QLineEdit>(dialog, "fileNameEdit");
        name->setText(QStringLiteral("brand-new"));
        QTest::keyClick(name, Qt::Key_Return);
    });
    const QString chosen = CurrentPrompts().ChooseFolder(&window, "Frames", File(""), FolderUse::kNewOrExisting);
    SetPrompts(&prompts);
    EXPECT_EQ(chosen, File("brand-new"));
    EXPECT_FALSE(std::filesystem::exists(dir / "brand-new"));

    ASSERT_EQ(Cli(dir, "png-to-anim @cli.uop 111 @gui").code, 0);
    Patch built;
    ASSERT_TRUE(Ok(ReadPatchFile(dir / "cli.uop", built)));
    Select({kAnim, -1});
    prompts.answers = {"0x6F", File("gui")};
    QString said;
    ExpectUndoable([&] { Trigger("actLoadFramesFromPNG"), said = window.statusBar()->currentMessage(); },
                   "Undo Load frames from PNG");
    const PatchBlock* loaded = Doc().patch().LiveBlock(kAnim, 111);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->bytes, built.LiveBlock(kAnim, 111)->bytes);
    EXPECT_EQ(loaded->flagA, 6);
    EXPECT_EQ(loaded->flagB, 7);
    EXPECT_EQ(said, "Anim 0x0006F now holds 2 frames (" + QString::number(loaded->bytes.size()) +
                  " bytes), its palette from frames.json");
}

