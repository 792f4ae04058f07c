// The "Client" view over generated client folders: its rows, names, marks
// and filter words; taking blocks into the patch as one step; drops on the
// tree; replacing a block from a file; thumbnails decoded off the window's thread.
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QListView>
#include <QMimeData>
#include <QPushButton>
#include <QThread>
#include <atomic>

#include "app/client_browser.h"
#include "app/info_panel.h"
#include "app/client_browser_model.h"
#include "app/client_comparison.h"
#include "codecs/file_ids.h"
#include "codecs/gump.h"
#include "codecs/previews.h"
#include "gamefiles/forms/package.h"
#include "gamefiles/forms/package_blocks.h"
#include "gamefiles/forms/package_names.h"
#include "gamefiles/forms/verdata.h"
#include "images/bitmap.h"
#include "gui_fixture.h"

namespace {
using Rows = std::vector<std::int32_t>;

// Types by their place in the view's list.
enum { kLandTiles, kItems, kGumpType, kTextures, kHueType, kAnimType, kMapType, kStaticsType, kSounds, kTiledataType, kMultiType };

// A 4 x 4 gump of distinct colours, `changed` cell set to white.
B Gump(int changed = -1) {
    std::vector<std::uint16_t> colors(16);
    for (int i = 0; i < 16; ++i) colors[static_cast<std::size_t>(i)] = static_cast<std::uint16_t>(i == changed ? 0x7FFF : 0x0400 + i * 33);
    return *EncodeGump(colors, 4, 4);
}

void Put(B& bytes, std::size_t at, const std::string& text) { std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(at)); }

// A client's folder in data files: land tiles 0 and 2 (1 absent, given by
// the verdata; 3 damaged), items 0 and 1 (flags 1 and 2), tiledata naming
// land 0 "grass" and item 1 "anvil", gumps 0 and 2 (1 absent), two hues, an
// animation whose first action has directions 0 and 3. With `package`, the
// gumps also in a package: 0 differs from the data file's, 2 alike.
std::string WriteClient(const TempDir& dir, bool package = false) {
    const std::string client = dir / "client";
    std::filesystem::create_directories(client);
    std::vector<std::array<std::int32_t, 3>> art(kArtStaticBase + 2, {-1, -1, 0});
    art[0] = {0, 2, 0};
    art[2] = {2, 1, 0};
    art[3] = {4000, 10, 0};  // past the end of art.mul
    art[kArtStaticBase] = {3, 2, 0};
    art[kArtStaticBase + 1] = {5, 2, 0x00020001};
    WriteText(client + "/art.mul", "AABLLNN");
    WriteFileBytes(client + "/artidx.mul", IndexBytes(art));
    EXPECT_TRUE(Ok(WriteVerdata(client + "/verdata.mul", PatchOf({{kArt, 1, {'V', 'V'}}}))));
    B tiledata(512 * 836 + 1188, 0);
    Put(tiledata, 4 + 6, "grass");
    Put(tiledata, 512 * 836 + 4 + 37 + 17, "anvil");
    WriteFileBytes(client + "/tiledata.mul", tiledata);
    const B gump = Gump(), other = Gump(5);
    B gumps = gump;
    gumps.insert(gumps.end(), other.begin(), other.end());
    const auto size = static_cast<std::int32_t>(gump.size());
    WriteFileBytes(client + "/gumpart.mul", gumps);
    WriteFileBytes(client + "/gumpidx.mul", IndexBytes({{0, size, 0x00040004}, {-1, -1, 0}, {size, size, 0x00040004}}));
    B hues(2 * 708);
    for (std::size_t i = 0; i < hues.size(); ++i) hues[i] = static_cast<std::uint8_t>(i * 13 + 1);
    WriteFileBytes(client + "/hues.mul", hues);
    WriteText(client + "/anim.mul", "D0D3");
    WriteFileBytes(client + "/anim.idx", IndexBytes({{0, 2, 0}, {-1, -1, 0}, {-1, -1, 0}, {2, 2, 0}, {-1, -1, 0}, {-1, -1, 0}}));
    if (package) {
        PackageWriter writer;
        EXPECT_TRUE(Ok(writer.Open(client + "/gumpartLegacyMUL.uop", 5, 10)));
        for (const auto& [n, bytes] : {std::pair(0, Gump(7)), {2, other}})
            writer.Add(LegacyName(SchemeOfFileId(kGumps)->formats[0], static_cast<std::uint32_t>(n)),
                       PayloadOfBlock(kGumps, n, bytes, 4, 4), 0);
        EXPECT_TRUE(Ok(writer.Commit()));
    }
    return client;
}

class ClientBrowse : public GuiTest {
protected:
    ClientBrowser& Browser() { return *window.Browser(); }
    ClientBrowserModel& Browsed() { return Browser().Model(); }
    void UseClient(const std::string& folder) {
        window.Values().ClientFolder = folder;
        window.Comparison()->SetClient(QString::fromStdString(folder), true);
        Browser().Reload();
    }
    Rows Listed() {
        Rows rows;
        for (int r = 0; r < Browsed().rowCount(); ++r) rows.push_back(Browsed().NumberAt(r));
        return rows;
    }
    QModelIndex RowOf(std::int32_t n) { return Browsed().index(Browsed().RowOf(n)); }
    void SelectAll() { Browser().View()->selectAll(); }
    // The client's blocks of a type as an import from its data file gives them.
    Patch Imported(std::uint8_t fileId, const std::string& data, const std::string& index = "") {
        Patch p;
        EXPECT_TRUE(Ok(ImportType(p, fileId, {data, index})));
        return p;
    }
};
}  // namespace

TEST_F(ClientBrowse, ListsTheClientsBlocksInOrderWithNamesAndFindsThemByFilterWords) {
    const std::string client = WriteClient(dir);
    Browsed().SetClient(client, true);
    EXPECT_EQ(Listed(), (Rows{0, 1, 2}));  // 1 from the verdata; 3 damaged, 4 on absent
    EXPECT_EQ(Browsed().Source(), "From art.mul, with verdata.mul over it.");
    EXPECT_EQ(Browsed().index(0).data(Qt::ToolTipRole).toString(), "0x00000\nLand tile 0x0000 'grass'");
    Browsed().SetType(kItems);
    EXPECT_EQ(RowOf(kArtStaticBase + 1).data(Qt::ToolTipRole).toString(), "0x04001\nItem 0x0001 'anvil'");

    const struct {
        int type;
        const char* filter;
        Rows rows;
    } cases[] = {
        {kLandTiles, "grass", {0}},
        {kLandTiles, "0x0001", {1}},
        {kLandTiles, "3-4 empty", {3, 4}},
        {kItems, "", {0x4000, 0x4001}},
        {kItems, "Anvil", {0x4001}},
        {kItems, "anvil grass", {}},
        {kItems, "item 0x0001", {0x4001}},
        {kItems, "item 0-1", {0x4000, 0x4001}},
        {kItems, "0x4000-0x4000", {0x4000}},
        {kTiledataType, "anvil", {512}},
        {kTiledataType, "item 0x0001", {512}},
        {kTiledataType, "grass", {0}},
        {kGumpType, "", {0, 2}},
        {kGumpType, "1", {}},
        {kGumpType, "1 empty", {1}},
        {kSounds, "", {}},  // the folder has no sounds
        {kAnimType, "", {0}},
        {kAnimType, "3", {0}},
        {kAnimType, "empty", {0, 5}},
        {kGumpType, "item 1", {}},
    };
    for (const auto& c : cases) {
        Browsed().SetType(c.type);
        Browsed().SetFilter(QString::fromLatin1(c.filter));
        EXPECT_EQ(Listed(), c.rows) << c.type << " " << c.filter;
    }
    Browsed().SetType(kSounds);
    EXPECT_EQ(Browsed().Source(), "The client folder lacks sound.mul.");

    // Without its verdata the client has no land tile 1.
    Browsed().SetFilter({});
    Browsed().SetType(kLandTiles);
    Browsed().SetClient(client, false);
    EXPECT_EQ(Listed(), (Rows{0, 2}));
    Browsed().SetClient("", true);
    EXPECT_EQ(Listed(), Rows{});
    EXPECT_EQ(Browsed().Source(), "No client folder is chosen: choose it in Settings.");
}

// Sounds by name and length, houses by their size, statics blocks by the
// items they hold and drawn in the radar colours of their highest items.
TEST_F(ClientBrowse, ListRowsSayWhatTheirBlocksHoldAndStaticsAreFoundByItem) {
    const std::string client = WriteClient(dir);
    B anvil(40 + 2 * 22050, 1), door(40 + 2 * 11025, 2);
    std::fill_n(anvil.begin(), 40, 0);
    std::fill_n(door.begin(), 40, 0);
    Put(anvil, 0, "anvil.wav");
    Put(door, 0, "door");
    const auto a = static_cast<std::int32_t>(anvil.size()), d = static_cast<std::int32_t>(door.size());
    B sounds = anvil;
    sounds.insert(sounds.end(), door.begin(), door.end());
    WriteFileBytes(client + "/sound.mul", sounds);
    WriteFileBytes(client + "/soundidx.mul", IndexBytes({{0, a, 1}, {-1, -1, 0}, {a, d, 3}}));
    // Statics: block 0 holds 0x0E75 at (1,2) under 0x0001 beside it in height;
    // block 2 holds 0x0001 alone; block 1 none.
    auto item = [](std::uint16_t id, std::uint8_t x, std::uint8_t y, std::int8_t z) {
        return B{static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8), x, y, static_cast<std::uint8_t>(z), 0, 0};
    };
    B statics = item(0x0E75, 1, 2, 0), top = item(0x0001, 1, 2, 5), low = item(0x0E75, 1, 2, -3), lone = item(0x0001, 7, 7, 0);
    for (const B* more : {&top, &low, &lone}) statics.insert(statics.end(), more->begin(), more->end());
    WriteFileBytes(client + "/statics0.mul", statics);
    WriteFileBytes(client + "/staidx0.mul", IndexBytes({{0, 21, 0}, {-1, -1, 0}, {21, 7, 0}}));
    // A house of two components from (-1,-2) to (2,3), in 16-byte rows.
    B multi(32, 0);
    for (const auto& [at, x, y] : {std::tuple(0, -1, -2), {16, 2, 3}}) {
        PutLE16(&multi[at + 2], static_cast<std::uint16_t>(x));
        PutLE16(&multi[at + 4], static_cast<std::uint16_t>(y));
        multi[at + 8] = 1;
    }
    WriteFileBytes(client + "/multi.mul", multi);
    WriteFileBytes(client + "/multi.idx", IndexBytes({{0, 32, 0}}));
    auto radar = std::make_shared<std::vector<std::int32_t>>(65536, 0);
    (*radar)[kArtStaticBase + 0x0001] = 0x123456;
    (*radar)[kArtStaticBase + 0x0E75] = 0x654321;
    Browsed().SetClient(client, true, radar);

    Browsed().SetType(kSounds);
    EXPECT_EQ(Browsed().index(0).data().toString(), "0x00000  anvil.wav  1.00 s");
    EXPECT_EQ(Browsed().index(1).data().toString(), "0x00002  door  0.50 s");
    const struct {
        int type;
        const char* filter;
        Rows rows;
    } cases[] = {
        {kSounds, "anvil", {0}},       {kSounds, "DOOR", {2}},         {kStaticsType, "item 0x0E75", {0}},
        {kStaticsType, "item 1", {0, 2}}, {kStaticsType, "item 2-0xE74", {}}, {kStaticsType, "", {0, 2}},
    };
    for (const auto& c : cases) {
        Browsed().SetType(c.type);
        Browsed().SetFilter(QString::fromLatin1(c.filter));
        EXPECT_EQ(Listed(), c.rows) << c.type << " " << c.filter;
    }
    EXPECT_EQ(Browsed().index(0).data().toString(), "0x00000  3 items");
    // The highest item gives a cell its colour; cells without items stay clear.
    const ColorGrid preview = StaticsPreview(statics, *radar);
    EXPECT_EQ(preview.At(15, 25), 0x123456);
    EXPECT_EQ(preview.At(75, 75), 0x123456);
    EXPECT_EQ(preview.At(5, 5), ColorGrid::kBackground);
    Browsed().index(0).data(Qt::DecorationRole);
    Browsed().Thumbnails().Wait();
    const QImage icon = qvariant_cast<QImage>(Browsed().index(0).data(Qt::DecorationRole));
    EXPECT_EQ(icon.size(), QSize(34, 16));
    EXPECT_EQ(icon.pixel(3, 5), qRgb(0x56, 0x34, 0x12));  // red + 256 * green + 65536 * blue

    Browsed().SetFilter({});
    Browsed().SetType(kMultiType);
    EXPECT_EQ(Browsed().index(0).data(Qt::ToolTipRole).toString(), "0x00000\n4 x 6 tiles, 2 components");
}

TEST_F(ClientBrowse, ReadsThePackageBeforeTheDataFilesAndMarksWhatThePatchHolds) {
    UseClient(WriteClient(dir, true));
    Browser().ChooseType(kGumpType);
    EXPECT_EQ(Listed(), (Rows{0, 2}));
    EXPECT_EQ(Browsed().Source(), "From gumpartLegacyMUL.uop, which the client reads rather than gumpart.mul.");
    Load(PatchOf({{kGumps, 2, Gump(5), 4, 4}, {kGumps, 0, Gump(), 4, 4}}));
    window.Comparison()->Wait();
    // 0 differs from the package's, 2 is what both forms hold.
    for (const auto& [n, state] : {std::pair(0, BlockState::kChanges), {2, BlockState::kSame}}) {
        EXPECT_EQ(qvariant_cast<QIcon>(RowOf(n).data(ClientBrowserModel::MarkRole)).cacheKey(), ClientComparison::Mark(state).cacheKey()) << n;
        EXPECT_TRUE(RowOf(n).data(Qt::ToolTipRole).toString().contains(ClientComparison::Tooltip(state))) << n;
    }
    Doc().Run(QStringLiteral("Remove"), [] {
        PatchEdit edit;
        edit.removals.push_back({kGumps, 1, 0});
        return edit;
    }());
    window.Comparison()->Wait();
    EXPECT_TRUE(qvariant_cast<QIcon>(RowOf(0).data(ClientBrowserModel::MarkRole)).isNull());
    Browsed().SetFilter(QStringLiteral("patch"));
    EXPECT_EQ(Listed(), (Rows{2}));
    Browsed().SetFilter(QStringLiteral("!patch"));
    EXPECT_EQ(Listed(), (Rows{0}));
}

// The client's bytes and flags as an import of the client's files would give
// them: hues as the patch's 1,220-byte blocks, an animation's five directions.
TEST_F(ClientBrowse, AddToPatchTakesTheSelectionInOneStepAndAsksBeforeReplacing) {
    const std::string client = WriteClient(dir);
    UseClient(client);
    Browser().ChooseType(kGumpType);
    Load(PatchOf({{kGumps, 2, {9}, 1, 1}}));
    SelectAll();
    ExpectUndoable(
        [&] {
            prompts.confirms = {false};
            Trigger("actAddToPatch");
        },
        "Undo Add to patch");
    EXPECT_EQ(prompts.questions,
              QStringList{"Add to patch: The patch already holds 1 block of these. Replace them with the client's? "
                          "Cancel skips them."});
    const Patch gumps = Imported(kGumps, client + "/gumpart.mul", client + "/gumpidx.mul");
    auto live = [&](std::int32_t n) { return *Doc().patch().LiveBlock(kGumps, n); };
    auto same = [](const PatchBlock& a, const PatchBlock& b) {
        return std::tie(a.number, a.flagA, a.flagB) == std::tie(b.number, b.flagA, b.flagB) && a.bytes == b.bytes;
    };
    EXPECT_TRUE(same(live(0), gumps[kGumps].blocks[0]));
    EXPECT_EQ(live(2).bytes, B{9});
    prompts.confirms = {true};
    Trigger("actAddToPatch");
    EXPECT_TRUE(same(live(0), gumps[kGumps].blocks[0]));
    EXPECT_TRUE(same(live(2), gumps[kGumps].blocks[2]));
    EXPECT_EQ(Doc().UndoStack()->count(), 2);

    Browser().ChooseType(kHueType);
    Browser().View()->selectionModel()->select(Browsed().index(1), QItemSelectionModel::Select);
    Trigger("actAddToPatch");
    const PatchBlock& hue = *Doc().patch().LiveBlock(kHues, 1);
    EXPECT_EQ(hue.bytes.size(), 1220u);
    EXPECT_TRUE(same(hue, Imported(kHues, client + "/hues.mul")[kHues].blocks[1]));

    Browser().ChooseType(kAnimType);
    SelectAll();
    Trigger("actAddToPatch");
    EXPECT_EQ(SlotsOf(Doc().patch(), kAnim), (std::vector<SlotFacts>{{0, 2, 0, 0}, {3, 2, 0, 0}}));
    EXPECT_EQ(Doc().UndoStack()->count(), 4);
}

// Enter on an entry shows the client's block in the panel, whose own "Add to
// patch" takes it as one step and selects it in the tree.
TEST_F(ClientBrowse, TheClientsBlockShownInThePanelIsAddedFromThere) {
    const std::string client = WriteClient(dir);
    UseClient(client);
    Browser().ChooseType(kHueType);
    emit Browser().View()->activated(Browsed().index(1));
    auto* add = window.Panel()->findChild<QPushButton*>(QStringLiteral("cmdAddClientBlock"));
    ASSERT_NE(add, nullptr);
    ASSERT_FALSE(add->isHidden());
    add->click();
    EXPECT_EQ(window.Current(), (BlockId{kHues, 1}));
    EXPECT_EQ(Action("actUndo")->text().remove(QLatin1Char('&')), "Undo Add to patch");
    const PatchBlock& hue = *Doc().patch().LiveBlock(kHues, 1);
    const Patch hues = Imported(kHues, client + "/hues.mul");
    const PatchBlock& imported = hues[kHues].blocks[1];
    EXPECT_EQ(std::tie(hue.flagA, hue.flagB), std::tie(imported.flagA, imported.flagB));
    EXPECT_EQ(hue.bytes, imported.bytes);
    EXPECT_TRUE(add->isHidden());
}

TEST_F(ClientBrowse, EntriesDroppedOnTheTreeGoIntoThePatch) {
    UseClient(WriteClient(dir));
    Browser().ChooseType(kItems);
    window.resize(900, 620);
    window.show();
    Browser().show();
    QCoreApplication::processEvents();
    auto drop = [&](QWidget* on) {
        std::unique_ptr<QMimeData> dragged(Browsed().mimeData({RowOf(kArtStaticBase + 1)}));
        const QPoint at = on->mapTo(&window, on->rect().center());
        QDragEnterEvent enter(at, Qt::CopyAction, dragged.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &enter);
        QDropEvent dropped(QPointF(at), Qt::CopyAction, dragged.get(), Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &dropped);
        return dropped.isAccepted();
    };
    EXPECT_FALSE(drop(Browser().View()->viewport()));  // dropped back on the view
    EXPECT_EQ(Doc().patch().LiveCount(), 0);
    EXPECT_TRUE(drop(window.Tree()->viewport()));
    const PatchBlock* item = Doc().patch().LiveBlock(kArt, kArtStaticBase + 1);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(std::tie(item->flagA, item->flagB), std::tuple(1, 2));
    EXPECT_EQ(item->bytes, (B{'N', 'N'}));
    EXPECT_EQ(Action("actUndo")->text().remove(QLatin1Char('&')), "Undo Add to patch");
}

TEST_F(ClientBrowse, ReplaceWithFileMakesTheBlockOfAPictureOrOfRawBytes) {
    UseClient(WriteClient(dir));
    Browser().ChooseType(kGumpType);
    Browser().View()->setCurrentIndex(RowOf(2));
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(qRgb(255, 0, 0));
    ASSERT_TRUE(picture.save(File("red.png")));
    WriteText(dir / "raw.dat", "RAW");
    ExpectUndoable([&] { Trigger("actReplaceWithFile", {File("red.png")}); }, "Undo Replace with file");
    const PatchBlock* gump = Doc().patch().LiveBlock(kGumps, 2);
    ASSERT_NE(gump, nullptr);
    EXPECT_EQ(std::tie(gump->flagA, gump->flagB), std::tuple(2, 3));  // its height and width
    ASSERT_TRUE(GumpPicture(*gump));
    EXPECT_EQ(GumpPicture(*gump)->pixel(2, 1), qRgb(248, 0, 0));  // in 15-bit colour
    // Raw bytes keep the flags of the block they replace: the client's, or
    // the patch's once it holds the block.
    Trigger("actReplaceWithFile", {File("raw.dat")});
    gump = Doc().patch().LiveBlock(kGumps, 2);
    EXPECT_EQ(std::tie(gump->flagA, gump->flagB), std::tuple(2, 3));
    EXPECT_EQ(gump->bytes, (B{'R', 'A', 'W'}));
    Doc().UndoStack()->undo();
    Doc().UndoStack()->undo();
    Trigger("actReplaceWithFile", {File("raw.dat")});
    gump = Doc().patch().LiveBlock(kGumps, 2);
    EXPECT_EQ(std::tie(gump->flagA, gump->flagB), std::tuple(4, 4));
    // A picture cannot become a hue.
    Browser().ChooseType(kHueType);
    Browser().View()->setCurrentIndex(Browsed().index(0));
    Trigger("actReplaceWithFile", {File("red.png")});
    EXPECT_EQ(prompts.messages, QStringList{"Replace with file: '" + File("red.png") +
                                            "' does not fit block 0 of Hues: it is built from .json or .dat."});
}

// The window's thread only asks: the first ask gives no thumbnail, the
// decoding happens in a worker, and the thumbnail comes with a row change.
TEST_F(ClientBrowse, ThumbnailsAreDecodedInWorkerThreadsOnly) {
    Browsed().SetClient(WriteClient(dir), true);
    Browsed().SetType(kGumpType);
    std::atomic<int> decoded = 0, onWindowThread = 0;
    QThread* windowThread = QThread::currentThread();
    Browsed().Thumbnails().SetDecodeWatcher([&] {
        ++decoded;
        if (QThread::currentThread() == windowThread) ++onWindowThread;
    });
    int changed = 0;
    QObject::connect(&Browsed(), &QAbstractItemModel::dataChanged, [&] { ++changed; });
    for (int row = 0; row < Browsed().rowCount(); ++row)
        EXPECT_TRUE(qvariant_cast<QImage>(Browsed().index(row).data(Qt::DecorationRole)).isNull());
    Browsed().Thumbnails().Wait();
    EXPECT_EQ(decoded, 2);
    EXPECT_EQ(onWindowThread, 0);
    EXPECT_EQ(changed, 2);
    const QImage first = qvariant_cast<QImage>(Browsed().index(0).data(Qt::DecorationRole));
    const QImage second = qvariant_cast<QImage>(Browsed().index(1).data(Qt::DecorationRole));
    ASSERT_EQ(first.size(), QSize(4, 4));
    EXPECT_NE(first.pixel(1, 1), second.pixel(1, 1));  // gump 2's cell 5 is white
    EXPECT_EQ(decoded, 2);  // kept, not decoded again
    // Another size decodes afresh.
    Browsed().Thumbnails().SetSide(2);
    EXPECT_TRUE(qvariant_cast<QImage>(Browsed().index(0).data(Qt::DecorationRole)).isNull());
    Browsed().Thumbnails().Wait();
    EXPECT_EQ(qvariant_cast<QImage>(Browsed().index(0).data(Qt::DecorationRole)).size(), QSize(2, 2));
    EXPECT_EQ(onWindowThread, 0);
}
