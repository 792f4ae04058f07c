// How soon the block tree is ready after a change: the model's rebuild and
// the view's layout of what it shows, for 11 file types of 30,000 blocks and
// for a patch of 2,000,000 blocks below an expanded "LOTS" node; and the
// bytes the tree keeps per block. And the editor's whole Open of a patch of
// 2,000,000 blocks until the tree answers, against reading the file.
#include <QApplication>
#include <QTreeView>
#include <cstdlib>
#include <random>

#include "app/block_tree_model.h"
#include "app/main_window.h"
#include "app/patch_document.h"
#include "bench_support.h"
#include "patch/patch_file.h"

namespace {
void Ready(benchmark::State& state, Patch patch, std::uint8_t lotsFileId) {
    PatchDocument document;
    const std::int64_t blocks = patch.LiveCount();
    document.Reset(std::move(patch), "");
    BlockTreeModel model(document);
    QTreeView view;
    view.setUniformRowHeights(true);
    view.setModel(&model);
    view.show();
    auto expandAll = [&] {
        for (int r = 0; r < model.rowCount(); ++r) view.expand(model.index(r, 0));
        const QModelIndex file = model.IndexOf({lotsFileId, -1});
        if (model.rowCount(file) == 1) view.expand(model.index(0, 0, file));
        QApplication::processEvents();
    };
    expandAll();
    for (auto _ : state) {
        model.Update();
        expandAll();
    }
    state.counters["blocks"] = static_cast<double>(blocks);
    state.counters["tree_bytes_per_block"] = static_cast<double>(model.PlanBytes()) / static_cast<double>(blocks);
}

// The model's own part: planning the tree afresh, no view attached.
void Rebuild(benchmark::State& state, Patch patch) {
    PatchDocument document;
    document.Reset(std::move(patch), "");
    BlockTreeModel model(document);
    for (auto _ : state) model.Update();
}

Patch Types11x30000() {
    Patch p;
    for (std::uint8_t f : {0, 2, 4, 6, 8, 10, 12, 14, 16, 30, 31})
        for (int n = 0; n < 30000; ++n) p.Append(f, n, {}, 0, 0);
    return p;
}

Patch Blocks2000000() {
    Patch p;
    for (int n = 0; n < 2000000; ++n) p.Append(0, n, {}, 0, 0);
    return p;
}

// 2,000,000 blocks averaging 100 bytes: map blocks of 196 bytes and
// statics, art, gumps and animations of 4 to 200.
const std::string& LargePatchFile() {
    static ScratchDir dir;
    static const std::string path = [] {
        const std::string p = dir / "large.uop";
        Patch patch;
        std::mt19937 rng(2000000);
        Bytes pool(1 << 20);
        for (auto& b : pool) b = static_cast<std::uint8_t>(rng());
        const std::uint8_t kinds[] = {0, 2, 4, 12, 6};
        for (int n = 0; n < 2000000; ++n) {
            const std::uint8_t fileId = kinds[n % 5];
            const std::size_t size = fileId == 0 ? 196 : 4 + rng() % 197;
            const std::size_t at = rng() % (pool.size() - size);
            patch.Append(fileId, n / 5, Bytes(pool.begin() + at, pool.begin() + at + size), 0, 0);
        }
        if (!WritePatchFile(p, patch)) std::abort();
        return p;
    }();
    return path;
}

// The editor's File > Open of that patch: read, settle, tree rebuilt and laid out.
void BM_EditorOpen2000000(benchmark::State& state) {
    const QString path = QString::fromStdString(LargePatchFile());
    MainWindow window;
    window.show();
    QApplication::processEvents();
    for (auto _ : state) {
        if (!window.OpenPath(path)) std::abort();
        const QModelIndex map = window.Model()->IndexOf({0, -1});
        if (window.Model()->rowCount(map) == 0) std::abort();
        window.Tree()->expand(map);
        QApplication::processEvents();
        state.PauseTiming();
        window.New();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

void BM_CatLargePatch(benchmark::State& state) {
    const std::string command = "cat '" + LargePatchFile() + "' >/dev/null";
    for (auto _ : state) Shell(command);
}

void BM_TreeRebuild11x30000(benchmark::State& state) { Rebuild(state, Types11x30000()); }
void BM_TreeRebuild2000000(benchmark::State& state) { Rebuild(state, Blocks2000000()); }
void BM_TreeReady11x30000(benchmark::State& state) { Ready(state, Types11x30000(), 0); }
void BM_TreeReady2000000(benchmark::State& state) { Ready(state, Blocks2000000(), 0); }

BENCHMARK(BM_TreeRebuild11x30000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_TreeRebuild2000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_TreeReady11x30000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_TreeReady2000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
BENCHMARK(BM_EditorOpen2000000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_CatLargePatch)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    return RunWithRatios(argc, argv, {{"BM_EditorOpen2000000/iterations:3/real_time", "BM_CatLargePatch/iterations:3/real_time", 0}});
}
