// The map window: pixels to cells and blocks at several zooms for hover and
// click, the rubber band's one undoable step, and the picture at 1:1 equal
// to map-to-png's, with the patch and without.
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStatusBar>
#include <QListView>
#include <QPushButton>
#include <QTest>

#include "app/client_browser.h"
#include "app/client_browser_model.h"
#include "app/map_view.h"
#include "cli_runner.h"
#include "gui_fixture.h"
#include "map_client.h"

namespace {
class MapWindowTest : public GuiTest {
protected:
    void SetUp() override {
        client = WriteMapClient(dir);
        window.Values().ClientFolder = client;
        Load(MapTestPatch());
        map = window.ShowMap();
        view = map->View();
        WaitDrawn();
    }
    void WaitDrawn() {
        QElapsedTimer timer;
        timer.start();
        while (!view->Drawn() && timer.elapsed() < 20000) QTest::qWait(5);
        ASSERT_TRUE(view->Drawn());
    }
    void Mouse(QEvent::Type type, QPoint pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, pos, view->viewport()->mapToGlobal(pos), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button), modifiers);
        QCoreApplication::sendEvent(view->viewport(), &event);
    }
    void ClickCell(QPoint cell) {
        Mouse(QEvent::MouseButtonPress, view->PixelOf(cell));
        Mouse(QEvent::MouseButtonRelease, view->PixelOf(cell));
    }
    void ScrollHome() {
        view->horizontalScrollBar()->setValue(0);
        view->verticalScrollBar()->setValue(0);
    }
    // The viewport's pixels x..x+w-1, y..y+h-1 as 0xRRGGBB.
    std::vector<std::uint32_t> Shown(int w, int h) {
        const QImage shot = view->viewport()->grab().toImage();
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) pixels.push_back(shot.pixel(x, y) & 0xFFFFFF);
        return pixels;
    }
    std::vector<std::uint32_t> Png(const std::string& path) {
        const QImage png(QString::fromStdString(path));
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < png.height(); ++y)
            for (int x = 0; x < png.width(); ++x) pixels.push_back(png.pixel(x, y) & 0xFFFFFF);
        return pixels;
    }

    std::string client;
    MapWindow* map = nullptr;
    MapView* view = nullptr;
};
}  // namespace

TEST_F(MapWindowTest, HoverAndClickFindTheCellAndBlockUnderThePointerAtEveryZoom) {
    EXPECT_DOUBLE_EQ(view->Zoom(), view->FitZoom());
    for (const double zoom : {view->FitZoom(), 1.0 / 6, 0.5, 1.0, 4.0, 32.0}) {
        view->SetZoom(zoom);
        ScrollHome();
        for (const QPoint cell : {QPoint(0, 0), QPoint(3, 9), QPoint(8, 0), QPoint(15, 15), QPoint(40, 30)}) {
            SCOPED_TRACE(std::to_string(zoom) + " " + std::to_string(cell.x()) + "," + std::to_string(cell.y()));
            const std::optional<QPoint> found = view->CellAt(view->PixelOf(cell));
            ASSERT_TRUE(found);
            // Below one pixel a cell, a pixel shows the cell at the middle of its square.
            EXPECT_LT(std::abs(found->x() - cell.x()), std::max(1.0, 1 / zoom));
            EXPECT_LT(std::abs(found->y() - cell.y()), std::max(1.0, 1 / zoom));
            if (zoom >= 1) {
                EXPECT_EQ(*found, cell);
            }
        }
    }
    view->SetZoom(4);
    ScrollHome();
    EXPECT_EQ(view->CellAt({4 * 9 + 3, 4 * 3}), QPoint(9, 3));
    EXPECT_EQ(view->CellAt({-1, 0}), std::nullopt);
    for (const auto& [cell, text] : {std::pair{QPoint(3, 9), "Cell 3, 9 - block 1 (0x00001) - patch: map"},
                                     std::pair{QPoint(9, 1), "Cell 9, 1 - block 512 (0x00200) - patch: statics"},
                                     std::pair{QPoint(20, 0), "Cell 20, 0 - block 1024 (0x00400) - not in the patch"}}) {
        Mouse(QEvent::MouseMove, view->PixelOf(cell));
        EXPECT_EQ(Label("lblHover"), QString::fromLatin1(text));
    }

    // A click selects the patch's block, map before statics, or shows the client's.
    ClickCell({3, 9});
    EXPECT_EQ(window.Current(), (BlockId{kMap, 1}));
    ClickCell({9, 1});
    EXPECT_EQ(window.Current(), (BlockId{kStatics, 512}));
    ClickCell({0, 0});
    EXPECT_EQ(window.Current(), std::nullopt);
    EXPECT_EQ(Label("lblHeading"), QStringLiteral("Map 0x00000 (0) :"));
    // A drag pans rather than clicks.
    const int before = view->horizontalScrollBar()->value();
    Mouse(QEvent::MouseButtonPress, {200, 200});
    Mouse(QEvent::MouseMove, {150, 200});
    Mouse(QEvent::MouseButtonRelease, {150, 200});
    EXPECT_EQ(view->horizontalScrollBar()->value(), before + 50);
    EXPECT_EQ(Label("lblHeading"), QStringLiteral("Map 0x00000 (0) :"));
}

TEST_F(MapWindowTest, ARubberBandAddsTheClientsBlocksOfTheRangeAsOneStep) {
    view->SetZoom(4);
    ScrollHome();
    QString reported;
    ExpectUndoable(
        [&] {
            Mouse(QEvent::MouseButtonPress, view->PixelOf({2, 2}), Qt::ShiftModifier);
            Mouse(QEvent::MouseMove, view->PixelOf({12, 9}), Qt::ShiftModifier);
            Mouse(QEvent::MouseButtonRelease, view->PixelOf({12, 9}), Qt::ShiftModifier);
            reported = window.statusBar()->currentMessage();
        },
        "Undo Add the client's map blocks");
    EXPECT_EQ(reported, QStringLiteral("Added 3 map and 1 statics blocks of the client; 2 the patch holds stay as they are."));
    EXPECT_EQ(Children(kMap), 4);
    EXPECT_EQ(Children(kStatics), 2);
    // Everything there in the patch now: nothing more to add, and no step.
    const int steps = Doc().UndoStack()->count();
    map->AddClientBlocks(QRect(QPoint(0, 0), QPoint(15, 15)));
    EXPECT_EQ(Doc().UndoStack()->count(), steps);
}

TEST_F(MapWindowTest, AtOneToOneTheViewShowsMapToPngsPixelsWithThePatchAndWithout) {
    const std::string patch = WritePatch("p.uop", MapTestPatch());
    Trigger("actMapOneToOne");
    EXPECT_EQ(view->Zoom(), 1);
    ScrollHome();
    WaitDrawn();
    ASSERT_EQ(Cli({"map-to-png", client, dir / "with.png", "--patch", patch, "--area", "0,0,40,30"}).code, 0);
    EXPECT_EQ(Shown(40, 30), Png(dir / "with.png"));
    Child<QCheckBox>(map, "chkWithPatch")->setChecked(false);
    WaitDrawn();
    ASSERT_EQ(Cli({"map-to-png", client, dir / "without.png", "--area", "0,0,40,30"}).code, 0);
    const std::vector<std::uint32_t> without = Shown(40, 30);
    EXPECT_EQ(without, Png(dir / "without.png"));
    EXPECT_EQ(without[9 * 40 + 3], EntryRgb(ClientTile(3, 9)));

    // Zoom steps keep the cell under the pointer; Fit shows the whole map again.
    Trigger("actMapZoomIn");
    EXPECT_DOUBLE_EQ(view->Zoom(), MapView::kStep);
    Trigger("actMapFit");
    EXPECT_DOUBLE_EQ(view->Zoom(), view->FitZoom());
}

TEST_F(MapWindowTest, TheClientViewsMapEntryOpensTheWholeMapAtItsBlock) {
    map->hide();
    window.Browser()->Reload();
    const auto& types = ClientBrowserTypes();
    const int mapType = static_cast<int>(
        std::find_if(types.begin(), types.end(), [](const ClientBrowserType& t) { return t.fileId == kMap; }) - types.begin());
    window.Browser()->ChooseType(mapType);
    auto* open = window.Browser()->findChild<QPushButton*>(QStringLiteral("cmdOpenMap"));
    ASSERT_NE(open, nullptr);
    EXPECT_FALSE(open->isHidden());
    const std::int32_t block = 812;  // the second block column, cells 8-15 by 2400-2407
    ClientBrowserModel& model = window.Browser()->Model();
    window.Browser()->View()->setCurrentIndex(model.index(model.RowOf(block)));
    open->click();
    EXPECT_TRUE(map->isVisible());
    EXPECT_DOUBLE_EQ(view->Zoom(), 4);
    EXPECT_TRUE(view->viewport()->rect().contains(view->PixelOf(QPoint(12, 2404))));
}
