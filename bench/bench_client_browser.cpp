// The "Client" view on a client of real size: 70,000 gumps and 81,920 art
// blocks, in data files and in packages. With the window at 1280 x 800 and
// the default thumbnail size: how soon choosing the type lists the numbers,
// how soon every thumbnail of the first screen is there, the longest the
// window waits on one scroll step from top to bottom, and the memory kept
// once every thumbnail has been seen: the thumbnails kept are bounded at 64
// MiB; the worker threads' readers and allocations come on top. And how long
// the filter "item N" takes over the statics of a whole map.
#include <QApplication>
#include <QListView>
#include <QScrollBar>
#include <chrono>
#include <cstdlib>
#include <random>

#include "app/client_browser.h"
#include "app/client_browser_model.h"
#include "app/main_window.h"
#include "bench_support.h"
#include "codecs/art.h"
#include "codecs/file_ids.h"
#include "codecs/gump.h"
#include "gamefiles/forms/package.h"
#include "gamefiles/forms/package_blocks.h"
#include "gamefiles/forms/package_names.h"

namespace {
constexpr std::int32_t kGumpCount = 70000;
constexpr std::int32_t kArtCount = 81920;
// A whole map's statics: 393,216 blocks holding 4 million items (28 MB).
constexpr std::int32_t kStaticsBlocks = 393216;
constexpr std::int32_t kItemsPerBlock = 10;
enum { kItemsType = 1, kGumpsType = 2, kStaticsType = 7 };

using Clock = std::chrono::steady_clock;
double Ms(Clock::time_point since) { return std::chrono::duration<double, std::milli>(Clock::now() - since).count(); }

// Sixteen pictures of each kind, used in turn.
std::vector<Bytes> Pictures(std::uint8_t fileId, std::int32_t first) {
    std::mt19937 rng(static_cast<unsigned>(fileId + first));
    std::vector<Bytes> pictures;
    for (int i = 0; i < 16; ++i) {
        const int w = fileId == kGumps ? 40 + i * 7 : 44, h = fileId == kGumps ? 30 + i * 5 : 44 + i * 3;
        std::vector<std::uint16_t> colors(static_cast<std::size_t>(w * h));
        for (std::size_t c = 0; c < colors.size(); ++c) colors[c] = static_cast<std::uint16_t>(1 + (rng() % 4 == 0 ? rng() : c / 9) % 0x7FFF);
        if (fileId == kGumps) pictures.push_back(*EncodeGump(colors, w, h));
        else if (first == 0) pictures.push_back(EncodeLandTile(colors));
        else pictures.push_back(*EncodeStaticTile(colors, w, h, 0));
    }
    return pictures;
}

// The client's blocks of a type, in its data files and as its package.
struct Generated {
    Bytes data, index;
    std::vector<std::pair<std::int32_t, Bytes>> blocks;  // number and payload, for the package
};

Generated Generate(std::uint8_t fileId, std::int32_t count) {
    Generated g;
    const std::vector<Bytes> land = Pictures(fileId, 0), items = Pictures(fileId, kArtStaticBase);
    for (std::int32_t n = 0; n < count; ++n) {
        const Bytes& picture = (fileId == kArt && n < kArtStaticBase ? land : items)[static_cast<std::size_t>(n % 16)];
        const int w = 40 + (n % 16) * 7, h = 30 + (n % 16) * 5;
        const std::uint32_t extra = fileId == kGumps ? static_cast<std::uint32_t>(h | w << 16) : 0;
        Bytes entry(12);
        PutLE32(&entry[0], static_cast<std::uint32_t>(g.data.size()));
        PutLE32(&entry[4], static_cast<std::uint32_t>(picture.size()));
        PutLE32(&entry[8], extra);
        g.index.insert(g.index.end(), entry.begin(), entry.end());
        g.data.insert(g.data.end(), picture.begin(), picture.end());
        g.blocks.emplace_back(n, fileId == kGumps ? PayloadOfBlock(kGumps, n, picture, static_cast<std::int16_t>(h),
                                                                   static_cast<std::int16_t>(w))
                                                  : picture);
    }
    return g;
}

// Two client folders, "files" and "packages", with gumps and art.
const std::string& Client() {
    static ScratchDir dir;
    static const std::string path = [] {
        Shell("mkdir -p '" + dir / "files" + "' '" + dir / "packages" + "'");
        for (const auto& [fileId, count, data, index, package] :
             {std::tuple(kGumps, kGumpCount, "gumpart.mul", "gumpidx.mul", "gumpartLegacyMUL.uop"),
              std::tuple(kArt, kArtCount, "art.mul", "artidx.mul", "artLegacyMUL.uop")}) {
            const Generated g = Generate(fileId, count);
            WriteFileOrDie(dir / "files/" + data, g.data);
            WriteFileOrDie(dir / "files/" + index, g.index);
            PackageWriter writer;
            if (!writer.Open(dir / "packages/" + package, 5, 1000)) std::abort();
            for (const auto& [n, payload] : g.blocks)
                writer.Add(LegacyName(SchemeOfFileId(fileId)->formats[0], static_cast<std::uint32_t>(n)), payload, 0);
            if (!writer.Commit()) std::abort();
        }
        std::mt19937 rng(7);
        Bytes statics, index;
        for (std::int32_t n = 0; n < kStaticsBlocks; ++n) {
            const int count = n % 4 == 0 ? 0 : kItemsPerBlock + n % 7 - 3;
            Bytes entry(12);
            PutLE32(&entry[0], count ? static_cast<std::uint32_t>(statics.size()) : 0xFFFFFFFF);
            PutLE32(&entry[4], count ? static_cast<std::uint32_t>(count * 7) : 0xFFFFFFFF);
            index.insert(index.end(), entry.begin(), entry.end());
            for (int i = 0; i < count; ++i) {
                const auto id = static_cast<std::uint32_t>(rng() % 0x4000);
                for (const std::uint32_t b : {id & 0xFF, id >> 8, static_cast<std::uint32_t>(rng() % 8),
                                              static_cast<std::uint32_t>(rng() % 8), static_cast<std::uint32_t>(rng() % 40), 0u, 0u})
                    statics.push_back(static_cast<std::uint8_t>(b));
            }
        }
        WriteFileOrDie(dir / "files/statics0.mul", statics);
        WriteFileOrDie(dir / "files/staidx0.mul", index);
        return dir / "";
    }();
    return path;
}

struct Shown {
    MainWindow window;
    ClientBrowser& browser = *window.Browser();
    QListView& view = *browser.View();
    ClientBrowserModel& model = browser.Model();

    explicit Shown(const std::string& folder) {
        window.Values().ClientFolder = folder;
        window.resize(1280, 800);
        window.show();
        browser.show();
        browser.Reload();
        QApplication::processEvents();
    }
    // The thumbnails of the first screen not decoded yet; `screen` gets how many it shows.
    int Waiting(int* screen = nullptr) {
        int waiting = 0, shownRows = 0;
        const QRect rect = view.viewport()->rect();
        for (int row = 0; row < model.rowCount() && view.visualRect(model.index(row)).intersects(rect); ++row) {
            ++shownRows;
            waiting += !model.Thumbnails().Decoded(model.NumberAt(row));
        }
        if (screen) *screen = shownRows;
        return waiting;
    }
};

// Choosing the type: the numbers listed and laid out (numbers_ms), then
// every thumbnail of the first screen (first_screen_ms).
void ChooseType(benchmark::State& state, const char* form, int type) {
    Shown shown(Client() + form);
    double numbers = 0, screen = 0;
    for (auto _ : state) {
        shown.browser.ChooseType(0);  // from another type: land tiles
        QApplication::processEvents();
        const auto start = Clock::now();
        shown.browser.ChooseType(type);
        shown.view.doItemsLayout();
        QApplication::processEvents();
        numbers += Ms(start);
        int onScreen = 0;
        shown.Waiting(&onScreen);
        if (onScreen == 0) std::abort();
        state.counters["on_screen"] = onScreen;
        while (shown.Waiting() > 0) {
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            shown.view.viewport()->update();
        }
        screen += Ms(start);
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["numbers_ms"] = numbers / runs;
    state.counters["first_screen_ms"] = screen / runs;
    state.counters["rows"] = shown.model.rowCount();
}

// Scrolling page by page from top to bottom: the longest step, and the
// thumbnails' memory at the end.
void Scroll(benchmark::State& state, const char* form, int type) {
    Shown shown(Client() + form);
    shown.browser.ChooseType(type);
    QApplication::processEvents();
    double longest = 0;
    for (auto _ : state) {
        QScrollBar* bar = shown.view.verticalScrollBar();
        for (int at = 0; at <= bar->maximum(); at += bar->pageStep()) {
            const auto start = Clock::now();
            bar->setValue(at);
            shown.view.viewport()->repaint();
            QApplication::processEvents();
            longest = std::max(longest, Ms(start));
        }
    }
    state.counters["longest_step_ms"] = longest;
    state.counters["thumbnails_mb"] = static_cast<double>(shown.model.Thumbnails().CachedBytes()) / 1e6;
}

// The statics of a whole map searched for an item: the first search reads
// every block (first_ms); later ones look at the item numbers it kept.
void BM_FindItemInStatics(benchmark::State& state) {
    Shown shown(Client() + "files");
    double first = 0, again = 0;
    for (auto _ : state) {
        shown.browser.ChooseType(kStaticsType);
        auto start = Clock::now();
        shown.model.SetFilter(QStringLiteral("item 0x0E75"));
        first += Ms(start);
        start = Clock::now();
        shown.model.SetFilter(QStringLiteral("item 0x0E76"));
        again += Ms(start);
        shown.browser.ChooseType(0);
        shown.model.SetFilter({});
    }
    const auto runs = static_cast<double>(state.iterations());
    state.counters["first_ms"] = first / runs;
    state.counters["again_ms"] = again / runs;
}

void BM_GumpsInDataFiles(benchmark::State& state) { ChooseType(state, "files", kGumpsType); }
void BM_GumpsInPackage(benchmark::State& state) { ChooseType(state, "packages", kGumpsType); }
void BM_ItemsInDataFiles(benchmark::State& state) { ChooseType(state, "files", kItemsType); }
void BM_ItemsInPackage(benchmark::State& state) { ChooseType(state, "packages", kItemsType); }
void BM_ScrollGumpsInDataFiles(benchmark::State& state) { Scroll(state, "files", kGumpsType); }
void BM_ScrollItemsInPackage(benchmark::State& state) { Scroll(state, "packages", kItemsType); }

#define MEDIAN_OF_5 Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true)
BENCHMARK(BM_GumpsInDataFiles)->MEDIAN_OF_5;
BENCHMARK(BM_GumpsInPackage)->MEDIAN_OF_5;
BENCHMARK(BM_ItemsInDataFiles)->MEDIAN_OF_5;
BENCHMARK(BM_ItemsInPackage)->MEDIAN_OF_5;
BENCHMARK(BM_FindItemInStatics)->MEDIAN_OF_5;
BENCHMARK(BM_ScrollGumpsInDataFiles)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_ScrollItemsInPackage)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    // The whole program after every thumbnail of 81,920 art blocks was seen once.
    RegisterPeakWork("browse-all-items", [](const std::vector<std::string>& folder) {
        Shown shown(folder.at(0));
        shown.browser.ChooseType(kItemsType);
        for (int row = 0; row < shown.model.rowCount(); ++row) {
            shown.model.index(row).data(Qt::DecorationRole);
            if (row % 1024 == 1023) shown.model.Thumbnails().Wait();
        }
        shown.model.Thumbnails().Wait();
    });
    RegisterPeakWork("open-items", [](const std::vector<std::string>& folder) {
        Shown shown(folder.at(0));
        shown.browser.ChooseType(kItemsType);
    });
    if (argc < 3 || std::string(argv[1]) != "--peak-of") {
        const std::string packages = Client() + "packages";
        const long long opened = PeakBytesOf({"open-items", packages});
        AddMemoryLine("every art thumbnail seen once (beyond the listing)", PeakBytesOf({"browse-all-items", packages}) - opened,
                      ClientThumbnails::kCacheBytes, 2.0);
    }
    return RunWithRatios(argc, argv, {});
}
