#include "gamefiles/compare.h"

#include <algorithm>

#include "codecs/hues.h"
#include "gamefiles/data_file.h"
#include "gamefiles/data_layout.h"
#include "patch/file_types.h"
#include "io/read_budget.h"

bool IsPrefixOf(ByteView a, ByteView b) {
    return a.size() <= b.size() && std::equal(a.begin(), a.end(), b.begin());
}

ImportResult CompareDataFiles(Patch& patch, std::uint8_t fileId, DataFile& base, DataFile& altered,
                              const Progress& progress) {
    ImportResult result;
    if (fileId == kTiledata && base.Cut().lowSize != altered.Cut().lowSize) {
        result.error = "'" + base.DataPath() + "' and '" + altered.DataPath() + "' are tiledata files of different layouts.";
        return result;
    }

    Patch added;
    ReadBudget budget(altered.DataPath());
    const std::int64_t count = std::max(base.Count(), altered.Count());
    // Blocks are compared where they lie in the files' read windows; only a
    // differing block is copied to the patch's own buffers.
    ByteArena spare, kept;
    BlockBytes aHold, bHold;
    ByteView aData, bData;
    // Files without index hold their blocks end to end: equal runs of blocks
    // are passed over with one comparison.
    constexpr std::int32_t kRun = 16;
    const bool runs = !base.Indexed() && !altered.Indexed() && base.Cut() == altered.Cut();
    for (std::int64_t n = 0; n < count; ++n) {
        if (!progress.Step(n, count)) {
            result = {};
            result.error = kCancelled;
            return result;
        }
        if (runs && n % kRun == 0) {
            const auto a = base.ViewRun(static_cast<std::int32_t>(n), kRun);
            const auto b = altered.ViewRun(static_cast<std::int32_t>(n), kRun);
            if (a && b && a->size() == b->size() && std::equal(a->begin(), a->end(), b->begin())) {
                n += kRun - 1;
                continue;
            }
        }
        spare.Reuse();
        const LoadedBlock a = base.View(static_cast<std::int32_t>(n), spare, aHold, aData);
        LoadedBlock b = altered.View(static_cast<std::int32_t>(n), spare, bHold, bData);
        if (a.damaged || b.damaged) {
            ++result.damaged;
            continue;
        }
        const std::int32_t l1 = a.length < 1 ? -1 : a.length;
        std::int32_t l2 = b.length < 1 ? -1 : b.length;
        if (l1 == l2 && (l2 < 1 || IsPrefixOf(aData, bData))) continue;
        if (result.error = budget.Take(l2); !result.error.empty()) return result;
        BlockBytes data;
        if (l2 < 1) {
            ++result.absent;
        } else if (fileId == kHues) {
            data = HuesToVerdataBytes(bData);
            l2 = static_cast<std::int32_t>(data.size());
        } else {
            data = kept.Copy(bData);
        }
        added.AppendWithLength(fileId, static_cast<std::int32_t>(n), l2, std::move(data), b.flagA, b.flagB);
        ++result.added;
    }
    patch.AppendAll(std::move(added));
    return result;
}
