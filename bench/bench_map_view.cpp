// The whole map at a glance on a full-size facet: a generated 77 MB
// map0.mul with statics on every block (warm page cache). Times the map
// window from opening to the complete fitted picture and a zoom to 1:1 at a
// point until its screen is drawn, and map-to-png of the whole facet beside
// cat of the files it reads; the median of the runs counts. Peak memory is a
// child's high-water mark less that of the same program doing nothing.
//
//   palindra_map_bench [PATH-TO-palindra-cli] [RUNS]
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <algorithm>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "app/map_view.h"
#include "app/patch_document.h"
#include "app/settings.h"
#include "bench_support.h"
#include "codecs/file_ids.h"
#include "io/bytes.h"

namespace {
constexpr std::int64_t kBlocks = 393216;
constexpr int kStaticsPerBlock = 4;


// Land as a facet has it: regions of one ground (four tiles of it mixed
// cell by cell) at heights that change slowly, and four statics on every block.
void MakeClient(const ScratchDir& dir) {
    std::mt19937 rng(41);
    Bytes map(static_cast<std::size_t>(kBlocks * kMapBlockSize));
    for (std::int64_t n = 0; n < kBlocks; ++n)
        for (std::size_t cell = 0; cell < 64; ++cell) {
            const double x = static_cast<double>(n / 512 * 8 + static_cast<std::int64_t>(cell % 8));
            const double y = static_cast<double>(n % 512 * 8 + static_cast<std::int64_t>(cell / 8));
            const double h = std::sin(x * 0.004) * std::cos(y * 0.005) + 0.5 * std::sin(x * 0.021 + y * 0.013);
            const auto ground = static_cast<std::uint16_t>((h + 1.5) * 4);
            std::uint8_t* at = &map[static_cast<std::size_t>(n) * kMapBlockSize + 4 + 3 * cell];
            PutLE16(at, static_cast<std::uint16_t>(ground * 64 + rng() % 4));
            at[2] = static_cast<std::uint8_t>(h * 20);
        }
    WriteFileOrDie(dir / "map0.mul", map);
    Bytes statics(static_cast<std::size_t>(kBlocks * kStaticsPerBlock * 7)), index(static_cast<std::size_t>(kBlocks * 12));
    for (std::int64_t n = 0; n < kBlocks; ++n) {
        PutLE32(&index[static_cast<std::size_t>(n * 12)], static_cast<std::uint32_t>(n * kStaticsPerBlock * 7));
        PutLE32(&index[static_cast<std::size_t>(n * 12 + 4)], kStaticsPerBlock * 7);
        for (int s = 0; s < kStaticsPerBlock; ++s) {
            std::uint8_t* item = &statics[static_cast<std::size_t>((n * kStaticsPerBlock + s) * 7)];
            PutLE16(item, static_cast<std::uint16_t>(rng() % 0x4000));
            item[2] = static_cast<std::uint8_t>(rng() % 8);
            item[3] = static_cast<std::uint8_t>(rng() % 8);
            item[4] = static_cast<std::uint8_t>(rng() % 60);
        }
    }
    WriteFileOrDie(dir / "statics0.mul", statics);
    WriteFileOrDie(dir / "staidx0.mul", index);
    Bytes radarcol(131072);
    for (auto& b : radarcol) b = static_cast<std::uint8_t>(rng());
    WriteFileOrDie(dir / "radarcol.mul", radarcol);
}

void WaitDrawn(const MapView& view) {
    if (view.Drawn()) return;
    QEventLoop loop;
    QObject::connect(&view, &MapView::TilesDrawn, &loop, &QEventLoop::quit);
    loop.exec();
}

// Opens the map window on `dir` until the fitted picture is whole, then zooms to 1:1 at a point until its screen is.
std::pair<double, double> ViewOnce(const std::string& dir) {
    PatchDocument document;
    Settings settings;
    settings.ClientFolder = dir;
    QElapsedTimer timer;
    timer.start();
    MapWindow window(nullptr, document, settings);
    window.resize(1200, 800);
    window.show();
    WaitDrawn(*window.View());
    const double fitted = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    timer.restart();
    window.View()->SetZoom(1, QPointF(400, 300));
    WaitDrawn(*window.View());
    return {fitted, static_cast<double>(timer.nsecsElapsed()) / 1e9};
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}
}  // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // A child's own work, for its peak memory: the view once, or nothing.
    if (argc == 3 && std::string(argv[1]) == "--view-once") {
        QApplication app(argc, argv);
        ViewOnce(argv[2]);
        return 0;
    }
    if (argc == 2 && std::string(argv[1]) == "--idle") {
        QApplication app(argc, argv);
        return 0;
    }
    const std::string cli = argc > 1 ? argv[1] : PALINDRA_CLI_PATH;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;
    ScratchDir dir;
    // A child makes the files, so that this process stays small.
    if (const pid_t maker = fork(); maker == 0) {
        MakeClient(dir);
        _exit(0);
    } else {
        waitpid(maker, nullptr, 0);
    }
    const std::string client = dir / ".", png = dir / "map.png";
    const std::string files = "'" + dir / "map0.mul" + "' '" + dir / "statics0.mul" + "' '" + dir / "staidx0.mul" + "' '" +
                              dir / "radarcol.mul" + "'";
    Spawn({"/bin/sh", "-c", "cat " + files + " >/dev/null"});  // warm
    // Peaks first: a spawned child starts with this process's high-water mark, which must stay small.
    const long long viewPeak = Spawn({argv[0], "--view-once", client}).peakBytes;
    const long long viewIdle = Spawn({argv[0], "--idle"}).peakBytes;
    const long long cliIdle = Spawn({cli, "types"}).peakBytes;
    const long long commandPeak = Spawn({cli, "map-to-png", client, png}).peakBytes;
    // The window's own runs, after the peaks.
    QApplication app(argc, argv);
    std::vector<double> fitted, actual, command, cat;
    for (int r = 0; r < runs; ++r) {
        const auto [f, a] = ViewOnce(client);
        fitted.push_back(f);
        actual.push_back(a);
        command.push_back(Spawn({cli, "map-to-png", client, png}).seconds);
        cat.push_back(Spawn({"/bin/sh", "-c", "cat " + files + " >/dev/null"}, "").seconds);
    }
    std::printf("map window, 1200 x 800, %d runs (median):\n", runs);
    std::printf("  open to the whole fitted picture   %7.3f s  (target 1 s)\n", Median(fitted));
    std::printf("  zoom to 1:1 at a point, drawn      %7.3f s  (target 0.2 s)\n", Median(actual));
    std::printf("  peak memory                        %7.1f MB (%.1f MB above the idle program)\n", viewPeak / 1e6,
                (viewPeak - viewIdle) / 1e6);
    std::printf("map-to-png of the whole facet (6144 x 4096):\n");
    std::printf("  map-to-png                         %7.3f s  (target 3 s)\n", Median(command));
    std::printf("  cat of map0, statics0, staidx0, radarcol %7.3f s: ratio %.1fx\n", Median(cat), Median(command) / Median(cat));
    std::printf("  the picture: %.1f MB, written and flushed to disk as every save is\n", static_cast<double>(std::filesystem::file_size(png)) / 1e6);
    std::printf("  peak memory                        %7.1f MB (%.1f MB above palindra-cli types)\n", commandPeak / 1e6,
                (commandPeak - cliIdle) / 1e6);
    return 0;
}
