// Rebuilding the block tree for 11 file types of 30,000 live blocks each.
#include <QApplication>
#include <QTreeWidget>
#include <cstdlib>

#include "app/frmStart.h"
#include "bench_support.h"
#include "patch/app_values.h"

namespace {
void BM_RefreshTreeView(benchmark::State& state) {
    Patch& p = App().WorkingPatch;
    p.Clear();
    for (std::uint8_t f : {0, 2, 4, 6, 8, 10, 12, 14, 16, 30, 31})
        for (int n = 0; n < 30000; ++n) p.Append(f, n, {}, 0, 0);
    frmStart window;
    for (auto _ : state) window.RefreshTreeView();
    state.counters["nodes"] = 11 * 30000;
}
BENCHMARK(BM_RefreshTreeView)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    return RunWithRatios(argc, argv, {});
}
