// Opens the sample patch in the editor's main window, shows a gump, and saves
// pictures of the main window, of a zoomed gump, of hue swatches, of a
// tiledata table and of it edited, of the animation player, of a changed gump beside the
// client's, of the import dialog and of the map view on a generated facet
// with a town the patch adds. Run on a (virtual)
// display by the run script and by the script that makes the documentation's
// pictures.
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QSettings>
#include <QTemporaryDir>
#include <QThread>
#include <QTreeView>
#include <cmath>
#include <cstdio>

#include "app/anim_player.h"
#include "app/block_drawer.h"
#include "codecs/art.h"
#include "app/client_browser.h"
#include "app/client_browser_model.h"
#include "app/client_comparison.h"
#include "app/main_window.h"
#include "app/map_view.h"
#include "app/settings.h"
#include "app/prompts.h"
#include "gamefiles/radarcol.h"
#include "patch/file_types.h"
#include "app/import_dialog.h"
#include "app/fact_table_model.h"
#include "app/fact_table_view.h"
#include "app/info_panel.h"
#include "app/picture_view.h"
#include "app/block_tree_model.h"
#include "app/patch_document.h"
#include "images/bitmap.h"
#include "io/binary_io.h"
#include "io/bytes.h"
#include "codecs/file_ids.h"

namespace {
// Where the sample town lies, in blocks.
constexpr int kTownColumn = 300, kTownRow = 250;

// Answers the one question the Open command asks: which file.
class OpenPrompt final : public Prompts {
public:
    explicit OpenPrompt(QString path) : path_(std::move(path)) {}
    QString OpenFile(QWidget*, const QString&, const QString&, const QString&) override { return path_; }
    QString SaveFile(QWidget*, const QString&, const QString&, const QString&, const QString&) override { return {}; }
    QString ChooseFolder(QWidget*, const QString&, const QString&, FolderUse) override { return {}; }
    void Message(QWidget*, const QString& text, const QString&) override {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }
    QString Input(QWidget*, const QString&, const QString&, const QString&, const QString&) override { return {}; }
    bool Confirm(QWidget*, const QString&, const QString&, const QString&) override { return false; }
    SaveChoice AskSaveChanges(QWidget*, const QString&, const QString&) override { return SaveChoice::Cancel; }
    std::optional<QColor> ChooseColor(QWidget*, const QColor&, const QString&) override { return std::nullopt; }
    int Exec(QDialog*) override { return 0; }

private:
    QString path_;
};

void Settle() {
    for (int i = 0; i < 20; ++i) {
        QApplication::processEvents();
        QThread::msleep(25);
    }
}

// A static tiledata group in the older layout: 32 records of 37 bytes, the
// flags first and the name at byte 17.
Bytes TiledataGroup() {
    Bytes group(4 + 32 * 37, 0);
    const char* names[] = {"wooden chair", "stone wall", "barrel", "lantern", "bookcase", "anvil", "forge", "loom"};
    for (std::size_t i = 0; i < 32; ++i) {
        std::uint8_t* record = group.data() + 4 + i * 37;
        const std::uint32_t flags = (0x00400040u << (i % 4)) | static_cast<std::uint32_t>(i);
        for (int b = 0; b < 4; ++b) record[b] = static_cast<std::uint8_t>(flags >> (8 * b));
        record[4] = static_cast<std::uint8_t>(10 + i);  // weight
        const std::string name = std::string(names[i % 8]) + (i >= 8 ? " " + std::to_string(i / 8 + 1) : "");
        std::copy(name.begin(), name.end(), record + 17);
    }
    return group;
}

// A client folder with a whole facet of land (sea, beaches, meadows, woods
// with trees, rock, snow) for the map view, and radar colours for its tiles.
bool WriteMapClient(const QString& dir) {
    constexpr int kColumns = 768, kRows = 512, kWidth = kColumns * 8, kHeight = kRows * 8;
    struct Ground {
        double below;
        std::uint16_t tile, color;  // first of four tiles, and its 16-bit colour
        std::int8_t z;
    };
    const Ground grounds[] = {{-0.15, 0x00A8, 0x0C51, -5}, {0.0, 0x0016, 0x6B0E, 0}, {0.45, 0x0003, 0x2A05, 2},
                              {0.8, 0x00C4, 0x1D03, 5},    {1.05, 0x0220, 0x4A52, 20}, {9, 0x011A, 0x739C, 40}};
    std::vector<double> ax(kWidth), bx(kWidth), ay(kHeight), by(kHeight), sum(kWidth + kHeight), diff(kWidth + kHeight);
    for (int x = 0; x < kWidth; ++x) ax[x] = std::sin(x * 0.0011 + 0.4), bx[x] = std::sin(x * 0.0067 + 1.3);
    for (int y = 0; y < kHeight; ++y) ay[y] = std::cos(y * 0.0015 - 0.2), by[y] = std::sin(y * 0.0051 + 0.7);
    for (int i = 0; i < kWidth + kHeight; ++i) sum[i] = std::sin(i * 0.019), diff[i] = std::cos((i - kHeight) * 0.023);
    Bytes map(static_cast<std::size_t>(kColumns) * kRows * kMapBlockSize), statics, index;
    for (int c = 0; c < kColumns; ++c)
        for (int r = 0; r < kRows; ++r) {
            const std::size_t n = static_cast<std::size_t>(c) * kRows + r, offset = statics.size();
            for (int cell = 0; cell < 64; ++cell) {
                const int x = c * 8 + cell % 8, y = r * 8 + cell / 8;
                const std::uint32_t hash = static_cast<std::uint32_t>(x) * 2654435761u ^ static_cast<std::uint32_t>(y) * 40503u;
                const double h = 0.9 * ax[x] * ay[y] + 0.45 * bx[x] * by[y] + 0.2 * sum[x + y] * diff[x - y + kHeight] +
                                 0.04 * ((hash >> 8) % 100) / 100.0;
                const Ground* g = grounds;
                while (h >= g->below) ++g;
                std::uint8_t* at = &map[n * kMapBlockSize + 4 + 3 * static_cast<std::size_t>(cell)];
                PutLE16(at, static_cast<std::uint16_t>(g->tile + hash % 4));
                at[2] = static_cast<std::uint8_t>(g->z);
                // Trees in the woods.
                if (g->tile == 0x00C4 && hash % 3 == 0) {
                    const std::uint8_t tree[7] = {0xCA, 0x0C, static_cast<std::uint8_t>(cell % 8),
                                                  static_cast<std::uint8_t>(cell / 8), 15, 0, 0};
                    statics.insert(statics.end(), tree, tree + 7);
                }
            }
            std::uint8_t entry[12] = {};
            PutLE32(entry, static_cast<std::uint32_t>(offset));
            PutLE32(entry + 4, static_cast<std::uint32_t>(statics.size() - offset));
            if (statics.size() == offset) PutLE32(entry, 0xFFFFFFFFu);
            index.insert(index.end(), entry, entry + 12);
        }
    Bytes radarcol(131072, 0);
    for (const Ground& g : grounds)
        for (int v = 0; v < 4; ++v) PutLE16(&radarcol[2 * (g.tile + v)], static_cast<std::uint16_t>(g.color + v * 0x0021));
    PutLE16(&radarcol[2 * (kArtStaticBase + 0x0CCA)], 0x0140);  // a tree's dark green
    PutLE16(&radarcol[2 * 0x0071], 0x5294);                       // paving
    PutLE16(&radarcol[2 * (kArtStaticBase + 0x0064)], 0x6000);    // a roof's red
    for (const auto& [name, bytes] : {std::pair{"/map0.mul", &map}, std::pair{"/statics0.mul", &statics},
                                      std::pair{"/staidx0.mul", &index}, std::pair{"/radarcol.mul", &radarcol}}) {
        QFile file(dir + QLatin1String(name));
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(bytes->data()), static_cast<qint64>(bytes->size())) !=
                static_cast<qint64>(bytes->size()))
            return false;
    }
    return true;
}

// A house for the panel to draw: a plank floor, walls of stone blocks (the
// patch's art) and two of the client's sample trees in the yard.
PatchEdit SampleHouse() {
    constexpr std::int32_t kFloor = 0x200, kBlock = 0x201, kTree = 1, kBlockRise = 5;  // z units: 20 pixels
    auto rgb = [](int r, int g, int b) { return static_cast<std::uint16_t>(r << 10 | g << 5 | b); };
    std::vector<std::uint16_t> floor(44 * 44, 0);
    for (int y = 0; y < 44; ++y)
        for (int x = 0; x < 44; ++x)
            if (OnLandTile(x, y)) floor[static_cast<std::size_t>(y * 44 + x)] = (x + 2 * y) % 11 == 0 ? rgb(12, 7, 3) : rgb(20, 13, 6);
    // A block: the cell's diamond swept down by its rise, lit from the left.
    constexpr int kRise = kBlockRise * 4, kBlockHeight = 44 + kRise;
    std::vector<std::uint16_t> block(44 * kBlockHeight, 0);
    for (int y = 0; y < kBlockHeight; ++y)
        for (int x = 0; x < 44; ++x) {
            bool under = false;
            for (int t = 0; t <= kRise && !under; ++t) under = OnLandTile(x, y - t);
            if (!under) continue;
            const bool mortar = !OnLandTile(x, y) && (y % 10 == 0 || (x + (y / 10) * 11) % 22 == 0);
            block[static_cast<std::size_t>(y * 44 + x)] = OnLandTile(x, y) ? rgb(24, 23, 21)
                                                        : mortar            ? rgb(9, 9, 9)
                                                        : x < 22            ? rgb(19, 18, 16)
                                                                            : rgb(14, 13, 12);
        }
    PatchEdit edit;
    edit.added.Append(kArt, kArtStaticBase + kFloor, EncodeStaticTile(floor, 44, 44, 0).value(), 0, 0);
    edit.added.Append(kArt, kArtStaticBase + kBlock, EncodeStaticTile(block, 44, kBlockHeight, 0).value(), 0, 0);
    Bytes group(4 + 32 * 37, 0);
    group[4 + (kBlock % 32) * 37 + 16] = kBlockRise;  // the height the blocks stack by
    edit.added.Append(kTiledata, 512 + kFloor / 32, group, 0, 0);
    Bytes multi;
    auto add = [&multi](std::int32_t item, int x, int y, int z, std::uint32_t flags) {
        for (const std::int32_t v : {item, x, y, z}) {
            multi.push_back(static_cast<std::uint8_t>(v));
            multi.push_back(static_cast<std::uint8_t>(v >> 8));
        }
        for (int i = 0; i < 4; ++i) multi.push_back(static_cast<std::uint8_t>(flags >> (8 * i)));
        for (int i = 0; i < 4; ++i) multi.push_back(0);
    };
    for (int x = -3; x <= 3; ++x)
        for (int y = -3; y <= 3; ++y) {
            add(kFloor, x, y, 0, 1);
            const bool back = x == -3 || y == -3, front = x == 3 || y == 3, door = x == 3 && y == 0;
            for (int level = 0; level < (back ? 3 : front && !door ? 1 : 0); ++level) add(kBlock, x, y, level * kBlockRise, 1);
        }
    add(kTree, 5, -2, 0, 1);
    add(kTree, -2, 5, 0, 1);
    add(kBlock, 0, 0, 0, 0);  // hidden: drawn only with Show hidden
    edit.added.Append(kMultis, 0, multi, 0, 0);
    return edit;
}

// A town in the patch: paved map blocks with red roofs on their statics.
PatchEdit Town(int column, int row) {
    PatchEdit edit;
    for (int c = column; c < column + 4; ++c)
        for (int r = row; r < row + 3; ++r) {
            Bytes block(kMapBlockSize, 0);
            for (int cell = 0; cell < 64; ++cell) PutLE16(&block[4 + 3 * static_cast<std::size_t>(cell)], 0x0071);
            edit.added.Append(kMap, c * 512 + r, block, 0, 0);
            Bytes roofs;
            for (std::uint8_t y = 1; y < 7; y += 3)
                for (std::uint8_t x = 1; x < 7; ++x) roofs.insert(roofs.end(), {0x64, 0x00, x, y, 20, 0, 0});
            edit.added.Append(kStatics, c * 512 + r, roofs, 0, 0);
        }
    return edit;
}

// Waits until the map view has drawn what it shows.
void WaitForMap(MapView* view) {
    for (int i = 0; i < 2000 && !view->Drawn(); ++i) {
        QApplication::processEvents();
        QThread::msleep(5);
    }
}

bool Save(QWidget* w, const QString& path) {
    Settle();
    if (!w->grab().save(path)) {
        std::fprintf(stderr, "palindra-screenshots: cannot save %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}
}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // The zoom and the folders the window remembers stay out of the user's own settings.
    QTemporaryDir settingsDir;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    if (argc != 3) {
        std::fprintf(stderr, "usage: palindra-screenshots SAMPLES-FOLDER OUT-FOLDER\n");
        return 2;
    }
    const QString samples = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    const QString out = QDir(QString::fromLocal8Bit(argv[2])).absolutePath();
    QDir().mkpath(out);

    // File names relative to the samples' folder: the pictures show no path of the machine they were made on.
    if (!QDir::setCurrent(samples)) return 1;
    OpenPrompt prompt(QStringLiteral("sample.uop"));
    SetPrompts(&prompt);
    MainWindow window;
    if (auto colors = ReadRadarColors("radarcol.mul")) window.Values().RadarColors = std::move(*colors);
    window.resize(1000, 700);
    window.show();
    window.Open();
    window.Tree()->expand(window.Model()->IndexOf({12, -1}));
    window.Tree()->expand(window.Model()->IndexOf({0, -1}));
    if (!window.Select({12, 1})) return 1;
    if (!Save(&window, out + "/main-window.png")) return 1;

    window.Panel()->View().SetZoom(4);
    if (!Save(&window, out + "/gump-zoomed.png")) return 1;
    window.Tree()->expand(window.Model()->IndexOf({32, -1}));
    window.Panel()->View().SetZoom(0);
    if (!window.Select({32, 0})) return 1;
    if (!Save(&window, out + "/hue-swatches.png")) return 1;
    PatchEdit edit;
    edit.added.Append(30, 512, TiledataGroup(), 0, 0);
    window.Document().Run(QStringLiteral("Import"), std::move(edit));
    window.Tree()->expand(window.Model()->IndexOf({30, -1}));
    if (!window.Select({30, 512})) return 1;
    if (!Save(&window, out + "/tiledata-table.png")) return 1;
    // The same group edited in place: item 5 renamed and lighter, its flags
    // beside the table, the next name being typed.
    FactTableModel& facts = window.Panel()->Facts();
    FactTableView& table = window.Panel()->Table();
    facts.setData(facts.index(5, facts.ColumnOf("name")), QStringLiteral("iron anvil"));
    facts.setData(facts.index(5, facts.ColumnOf("weight")), QStringLiteral("60"));
    table.setCurrentIndex(facts.index(6, facts.ColumnOf("name")));
    table.edit(table.currentIndex());
    auto* cell = table.findChild<QLineEdit*>(QStringLiteral("txtCell"));
    if (!cell) return 1;
    cell->setText(QStringLiteral("steel forge"));
    if (!Save(&window, out + "/tiledata-edited.png")) return 1;
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(cell, &escape);

    // The sample animation, paused with its arms up.
    window.Tree()->expand(window.Model()->IndexOf({kAnim, -1}));
    if (!window.Select({kAnim, 110})) return 1;
    AnimPlayer& player = window.Panel()->Player();
    player.Pause();
    while (player.Frame() != 2) player.StepForward();
    if (!Save(&window, out + "/anim-player.png")) return 1;

    // The sample gump changed (a blue square, a paler disc) beside the
    // client's own, then only the cells where the two differ.
    const PatchBlock* sampleGump = window.Document().patch().LiveBlock(kGumps, 1);
    if (!sampleGump) return 1;
    Result<QImage> changed = GumpPicture(*sampleGump);
    if (!changed) return 1;
    {
        QPainter painter(&*changed);
        painter.fillRect(10, 10, 20, 20, QColor(0x20, 0x50, 0xD0));
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xC0, 0x38, 0x38));
        painter.drawEllipse(QPoint(45, 55), 15, 15);
    }
    PatchEdit gump;
    if (!ImportGumpFromBmp(gump.added, 1, *changed)) return 1;
    window.Document().Run(QStringLiteral("Load from BMP"), std::move(gump));
    window.Values().ClientFolder = ".";
    window.Comparison()->SetClient(QStringLiteral("."), true);
    window.Comparison()->Wait();
    window.Tree()->expand(window.Model()->IndexOf({kGumps, -1}));
    window.Panel()->View().SetZoom(2);
    if (!window.Select({kGumps, 1})) return 1;
    if (!Save(&window, out + "/client-beside-patch.png")) return 1;
    window.Panel()->findChild<QCheckBox*>(QStringLiteral("chkDiffering"))->setChecked(true);
    if (!Save(&window, out + "/client-differing-cells.png")) return 1;
    window.Panel()->findChild<QCheckBox*>(QStringLiteral("chkDiffering"))->setChecked(false);
    window.Panel()->View().SetZoom(0);

    // A house drawn from its components' art: the patch's floor and walls, the client's trees.
    window.Document().Run(QStringLiteral("Import"), SampleHouse());
    window.Tree()->expand(window.Model()->IndexOf({kMultis, -1}));
    if (!window.Select({kMultis, 0})) return 1;
    window.Panel()->Drawer().Wait();
    Settle();
    if (!Save(&window, out + "/house-drawn.png")) return 1;

    // The client's gumps in the "Client" view, the sample gump's entry chosen.
    ClientBrowser& browser = *window.Browser();
    browser.show();
    browser.Reload();
    browser.ChooseType(2);
    browser.View()->setCurrentIndex(browser.Model().index(std::min(1, browser.Model().rowCount() - 1)));
    Settle();
    browser.Model().Thumbnails().Wait();
    if (!Save(&window, out + "/client-browser.png")) return 1;
    browser.hide();

    QDialog* import = window.ShowImport();
    auto* list = import->findChild<QComboBox*>(QStringLiteral("cboMULType"));
    list->setCurrentIndex(list->findText(QStringLiteral("Gumps (12)")));
    import->findChild<QLineEdit*>(QStringLiteral("txtMUL"))->setText(QStringLiteral("gumpart.mul"));
    import->findChild<QLineEdit*>(QStringLiteral("txtBlockTo"))->setText(QStringLiteral("2"));
    if (!Save(import, out + "/import-dialog.png")) return 1;
    import->close();

    // The map view on a whole facet, with a town the patch adds.
    QTemporaryDir mapClient;
    if (!mapClient.isValid() || !WriteMapClient(mapClient.path())) return 1;
    window.Values().ClientFolder = mapClient.path().toStdString();
    window.Values().RadarcolPath.clear();
    window.Document().Run(QStringLiteral("Import"), Town(kTownColumn, kTownRow));
    MapWindow* map = window.ShowMap();
    map->resize(1000, 700);
    Settle();
    WaitForMap(map->View());
    if (!Save(map, out + "/map-whole.png")) return 1;
    map->View()->SetZoom(8);
    map->View()->CentreOn({kTownColumn * 8 + 16, kTownRow * 8 + 12});
    WaitForMap(map->View());
    const QPoint over = map->View()->PixelOf({kTownColumn * 8 + 9, kTownRow * 8 + 4});
    QMouseEvent hover(QEvent::MouseMove, over, map->View()->viewport()->mapToGlobal(over), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(map->View()->viewport(), &hover);
    if (!Save(map, out + "/map-patch.png")) return 1;
    SetPrompts(nullptr);
    return 0;
}
