// The editor against a client folder: marks, the state filter, the panel's
// "In the client:" and pruning as one step; judging runs beside the window.
#include <QElapsedTimer>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableView>

#include "app/anim_player.h"
#include "app/client_comparison.h"
#include "app/client_side_view.h"
#include "app/fact_table_model.h"
#include "app/info_panel.h"
#include "app/picture_view.h"
#include "codecs/anim_frames.h"
#include "codecs/file_ids.h"
#include "codecs/gump.h"
#include "gui_fixture.h"

namespace {
using ClientView = GuiTest;

// A 4 x 4 gump of distinct colours, `changed` cell set to white.
B Gump(int changed = -1) {
    std::vector<std::uint16_t> colors(16);
    for (int i = 0; i < 16; ++i) colors[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(i == changed ? 0x7FFF : 0x0400 + i * 33);
    return *EncodeGump(colors, 4, 4);
}

// The client's folder: gumps 0 and 1 alike, an art file of three blocks.
std::string WriteClient(const TempDir& dir) {
    const std::string client = dir / "client";
    std::filesystem::create_directory(client);
    const B gump = Gump();
    B data = gump;
    data.insert(data.end(), gump.begin(), gump.end());
    const auto size = static_cast<std::int32_t>(gump.size());
    WriteFileBytes(client + "/gumpart.mul", data);
    WriteFileBytes(client + "/gumpidx.mul", IndexBytes({{0, size, 0x00040004}, {size, size, 0x00040004}}));
    // Tiledata of the older layout: 512 land groups and one static group naming item 0.
    B tiledata(512 * 836 + 1188, 0);
    const std::string name = "lamp";
    std::copy(name.begin(), name.end(), tiledata.begin() + 512 * 836 + 4 + 4 + 13);
    WriteFileBytes(client + "/tiledata.mul", tiledata);
    WriteText(client + "/art.mul", "ABC");
    WriteFileBytes(client + "/artidx.mul", IndexBytes({{0, 1, 0}, {1, 1, 0}, {2, 1, 0}}));
    return client;
}

void UseClient(MainWindow& window, const std::string& folder) {
    window.Values().ClientFolder = folder;
    window.Comparison()->SetClient(QString::fromStdString(folder), true);
}
}  // namespace

TEST_F(ClientView, MarksFilterPanelAndPruneFollowTheClient) {
    UseClient(window, WriteClient(dir));
    Load(PatchOf({{kGumps, 0, Gump(), 4, 4}, {kGumps, 1, Gump(5), 4, 4}, {kGumps, 5, Gump(), 4, 4}}));
    window.Comparison()->Wait();
    for (const auto& [n, tip] : {std::pair{0, "same"}, {1, "changes"}, {5, "new"}})
        EXPECT_TRUE(Model().IndexOf({kGumps, n}).data(Qt::ToolTipRole).toString().startsWith(tip)) << n;

    // The filter's state words narrow the tree to the blocks in that state.
    const QString changed = Text({kGumps, 1});
    SetText(&window, "txtFilter", "changes");
    EXPECT_EQ(ChildTexts(Model().IndexOf({kGumps, -1})), QStringList({changed}));
    int shown = 0;
    for (int row = 0; row < Model().rowCount(); ++row) shown += !window.Tree()->isRowHidden(row, {});
    EXPECT_EQ(shown, 1);
    SetText(&window, "txtFilter", "");
    EXPECT_EQ(Children(kGumps), 3);

    // The client's gump beside the patch's, at the same scale; the toggle keeps the one differing cell.
    window.Panel()->View().SetZoom(4);
    Select({kGumps, 1});
    EXPECT_EQ(Label("lblClient"), "In the client: gumpart.mul");
    const QImage whole = window.Panel()->ClientSide().Shown();
    EXPECT_EQ(whole.size(), window.Panel()->View().Shown().size());
    Child<QCheckBox>(&window, "chkDiffering")->setChecked(true);
    const QImage differing = window.Panel()->ClientSide().Shown();
    int kept = 0;
    for (int y = 0; y < 16; y += 4)
        for (int x = 0; x < 16; x += 4) kept += differing.pixel(x + 1, y + 1) == whole.pixel(x + 1, y + 1);
    EXPECT_EQ(kept, 1);
    Select({kGumps, 5});
    EXPECT_EQ(Label("lblClient"), "In the client: none");

    // An item is named by the client's tiledata; a table marks the one field that differs.
    Modify(0x4000);
    window.Comparison()->Wait();
    Select({kArt, 0x4000});
    EXPECT_EQ(Label("lblBlockName"), "Item 0x0000 'lamp'");
    B group(836, 0);
    group[4 + 26 * 3 + 4 + 2] = 'x';  // land tile 3 gets a name and flags
    group[4 + 26 * 3] = 0x53;
    PatchEdit edit;
    edit.added.Append(kTiledata, 0, group, 0, 0);
    Doc().Run(QStringLiteral("Import"), std::move(edit));
    window.Comparison()->Wait();
    Select({kTiledata, 0});
    const FactTableModel& table = window.Panel()->Facts();
    for (int row = 0; row < table.rowCount(); ++row)
        for (int column = 0; column < table.columnCount(); ++column)
            EXPECT_EQ(table.Differs(row, column), row == 3 && (column == 1 || column == 2)) << row << "," << column;
    // The columns are wide enough for the bold text of the cells that differ.
    auto* view = Child<QTableView>(&window, "tblFacts");
    for (int column = 0; column < table.columnCount(); ++column)
        EXPECT_GE(view->columnWidth(column), static_cast<QAbstractItemView*>(view)->sizeHintForColumn(column)) << column;

    ExpectUndoable([&] { Trigger("actRemoveClientHas"); }, "Undo Remove blocks the client already has");
    window.Comparison()->Wait();
    EXPECT_FALSE(Model().Holds({kGumps, 0}));
    EXPECT_TRUE(Model().Holds({kGumps, 1}));
}

// The player's steps reach the anim blocks the client holds; one the patch
// lacks is played as the client has it, with no node selected, so that no
// block command acts on another block than the one shown.
TEST_F(ClientView, AnimPlayerStepsToTheClientsBlocks) {
    Animation ours;
    ours.palette[7] = 0x7C00;
    ours.frames = {{0, 0, 2, 1, {7, 7}, 0}};
    Animation theirs = ours;
    theirs.palette[7] = 0x03E0;
    const B client = *EncodeAnimation(theirs);
    const std::string folder = dir / "client";
    std::filesystem::create_directory(folder);
    WriteFileBytes(folder + "/anim.mul", client);
    std::vector<std::array<std::int32_t, 3>> entries(112, {-1, -1, 0});
    entries[111] = {0, static_cast<std::int32_t>(client.size()), 0};  // body 1, action 0, direction 1
    WriteFileBytes(folder + "/anim.idx", IndexBytes(entries));
    Load(PatchOf({{kAnim, 110, *EncodeAnimation(ours)}}));
    Select({kAnim, 110});
    EXPECT_FALSE(Action("actDirectionNext")->isEnabled()) << "no client folder yet";
    UseClient(window, folder);
    window.Panel()->ShowClientSide();  // as Settings does

    Trigger("actDirectionNext");
    EXPECT_EQ(window.Current(), std::nullopt);
    EXPECT_EQ(Label("lblAnimName"), "Body 1, action 0, direction 1");
    EXPECT_EQ(Label("lblInfo1"), "Not in the patch: the client's block is shown");
    EXPECT_EQ(Label("lblClient"), "In the client: anim.mul");
    EXPECT_EQ(window.Panel()->Picture().pixel(0, 0), qRgb(0, 248, 0));
    EXPECT_TRUE(window.Panel()->ClientSide().Shown().isNull()) << "drawn once, by the player";
    for (const char* command : {"actSaveFramesAsPNG", "actRemove", "actChangeFlags"})
        EXPECT_FALSE(Action(command)->isEnabled()) << command;
    EXPECT_FALSE(Action("actDirectionNext")->isEnabled());

    Trigger("actDirectionBack");
    EXPECT_EQ(window.Current(), std::optional(BlockId{kAnim, 110}));
    EXPECT_EQ(window.Panel()->Picture().pixel(0, 0), qRgb(248, 0, 0));
    EXPECT_TRUE(Action("actSaveFramesAsPNG")->isEnabled());
}

// Fit fits both pictures to the room each has, at one scale, whatever the
// window's size; the client's animation plays frame by frame with the patch's.
TEST_F(ClientView, BothPicturesFitAtOneScaleAndTheClientsAnimationPlaysInStep) {
    const std::string folder = dir / "client";
    std::filesystem::create_directory(folder);
    // A tall gump: the client's column, below its lines, is the shorter.
    const B gump = *EncodeGump(std::vector<std::uint16_t>(4 * 16, 0x001F), 4, 16);
    WriteFileBytes(folder + "/gumpart.mul", gump);
    WriteFileBytes(folder + "/gumpidx.mul", IndexBytes({{0, static_cast<std::int32_t>(gump.size()), 0x00040010}}));
    Animation theirs;
    theirs.palette = {0, 0x7C00, 0x03E0, 0x001F};
    for (std::int16_t c : {1, 2, 3}) theirs.frames.push_back({0, 0, 2, 2, std::vector<std::int16_t>(4, c), 0});
    Animation ours = theirs;
    ours.frames.push_back(ours.frames[0]);
    const B anim = *EncodeAnimation(theirs);
    WriteFileBytes(folder + "/anim.mul", anim);
    std::vector<std::array<std::int32_t, 3>> entries(111, {-1, -1, 0});
    entries[110] = {0, static_cast<std::int32_t>(anim.size()), 0};
    WriteFileBytes(folder + "/anim.idx", IndexBytes(entries));
    UseClient(window, folder);
    Load(PatchOf({{kGumps, 0, *EncodeGump(std::vector<std::uint16_t>(4 * 16, 0x7C00), 4, 16), 16, 4},
                  {kAnim, 110, *EncodeAnimation(ours)}}));
    window.Panel()->View().SetZoom(0);
    window.show();
    Select({kGumps, 0});
    const ClientSideView& client = window.Panel()->ClientSide();
    auto* clientArea = client.findChild<QScrollArea*>();
    auto* patchArea = window.Panel()->View().findChild<QScrollArea*>();
    double before = 0;
    for (const QSize size : {QSize(900, 620), QSize(1300, 960)}) {
        window.resize(size);
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        const QImage shown = client.Shown();
        EXPECT_EQ(shown.size(), window.Panel()->View().Shown().size()) << size.height();
        EXPECT_GT(window.Panel()->View().Scale(), before);
        before = window.Panel()->View().Scale();
        for (QScrollArea* area : {clientArea, patchArea})
            EXPECT_TRUE(area->viewport()->width() >= shown.width() && area->viewport()->height() >= shown.height() &&
                        !area->verticalScrollBar()->isVisible())
                << size.height() << " " << area->viewport()->height() << " " << shown.height();
    }

    Select({kAnim, 110});
    AnimPlayer& player = window.Panel()->Player();
    player.Pause();
    for (std::size_t frame = 0; frame < 4; ++frame) {
        EXPECT_EQ(player.FrameNumber(), frame);
        const QImage shown = client.Shown();
        if (frame < 3) {
            const QRgb colours[] = {qRgb(248, 0, 0), qRgb(0, 248, 0), qRgb(0, 0, 248)};
            ASSERT_FALSE(shown.isNull()) << frame;
            EXPECT_EQ(shown.pixel(shown.width() / 2, shown.height() / 2), colours[frame]) << frame;
            EXPECT_TRUE(Child<QLabel>(&window, "lblClientFrame")->isHidden());
        } else {
            EXPECT_TRUE(shown.isNull());
            EXPECT_EQ(Label("lblClientFrame"), "The client's block has only 3 frames.");
        }
        player.StepForward();
    }
}

TEST_F(ClientView, JudgesALargePatchBesideTheWindowAndAgainAfterEachChange) {
    UseClient(window, WriteClient(dir));
    constexpr std::int32_t kBlocks = 1'000'000;
    Patch patch;
    patch.Reserve(kArt, kBlocks);
    for (std::int32_t n = 0; n < kBlocks; ++n) patch.AppendWithLength(kArt, n, n == 1 ? 1 : 0, n == 1 ? B{'B'} : B{}, 0, 0);
    Load(std::move(patch));
    // No marks until judged; meanwhile the tree and the panel answer.
    EXPECT_FALSE(window.Comparison()->StateOf({kArt, 1}));
    Select({kArt, 2});
    EXPECT_FALSE(Label("lblHeading").isEmpty());
    Modify(1);  // art 1 becomes {1, 2, 3}: judged again, the earlier judgement dropped
    QElapsedTimer waited;
    waited.start();
    while (window.Comparison()->Busy() && waited.elapsed() < 60'000) QApplication::processEvents();
    window.Comparison()->Wait();
    EXPECT_EQ(window.Comparison()->StateOf({kArt, 1}), BlockState::kChanges);
    EXPECT_EQ(window.Comparison()->Count(kArt, BlockState::kRemoves), 2);  // art 0 and 2
    EXPECT_EQ(window.Comparison()->Count(kArt, BlockState::kSame), kBlocks - 3);
}
