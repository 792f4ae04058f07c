#include <algorithm>

#include "codecs/hues.h"
#include "gamefiles/forms/data_layout.h"
#include "gamefiles/import.h"
#include "io/read_budget.h"
#include "patch/file_types.h"

namespace {
// True when every byte of `a` equals the byte at the same index of `b`.
bool IsPrefixOf(ByteView a, ByteView b) { return a.size() <= b.size() && std::equal(a.begin(), a.end(), b.begin()); }

// True when the `count` blocks from `n` on lie end to end in both files' read
// windows and are the same bytes.
bool SameRun(DataFile& base, DataFile& altered, std::int64_t n, std::int32_t count) {
    const auto a = base.ViewRun(static_cast<std::int32_t>(n), count);
    const auto b = altered.ViewRun(static_cast<std::int32_t>(n), count);
    return a && b && a->size() == b->size() && std::equal(a->begin(), a->end(), b->begin());
}

// Compares the two open data files block by block where the blocks lie in
// the files' read windows; only a differing block is copied to the patch's
// own buffers.
Result<ImportReport> CompareDataFiles(Patch& patch, std::uint8_t fileId, DataFile& base, DataFile& altered,
                                      BlockRange blocks, const Progress& progress) {
    if (fileId == kTiledata && base.Cut().lowSize != altered.Cut().lowSize)
        return Error("'" + base.DataPath() + "' and '" + altered.DataPath() +
                     "' are tiledata files of different layouts.");
    ImportReport report;
    Patch added;
    ReadBudget budget(altered.DataPath());
    const std::int64_t first = std::max(blocks.first, 0);
    const std::int64_t last = std::min<std::int64_t>(blocks.last, std::max(base.Count(), altered.Count()) - 1);
    ByteArena spare, kept;
    // Files without index hold their blocks end to end: equal runs of blocks
    // are passed over with one comparison.
    constexpr std::int32_t kRun = 16;
    const bool runs = !base.Indexed() && !altered.Indexed() && base.Cut() == altered.Cut();
    for (std::int64_t n = first; n <= last; ++n) {
        if (!progress.Step(n - first, last - first + 1)) return Cancelled();
        if (runs && (n - first) % kRun == 0 && n + kRun - 1 <= last && SameRun(base, altered, n, kRun)) {
            n += kRun - 1;
            continue;
        }
        spare.Reuse();
        const Result<ViewedBlock> a = base.View(static_cast<std::int32_t>(n), spare);
        const Result<ViewedBlock> b = altered.View(static_cast<std::int32_t>(n), spare);
        if (!a || !b) {
            ++report.damaged;
            continue;
        }
        const std::int32_t l1 = a->length < 1 ? -1 : a->length;
        std::int32_t l2 = b->length < 1 ? -1 : b->length;
        if (l1 == l2 && (l2 < 1 || IsPrefixOf(a->bytes, b->bytes))) continue;
        if (Status taken = budget.Take(l2); !taken) return taken.error();
        BlockBytes data;
        if (l2 < 1) {
            ++report.absent;
        } else if (fileId == kHues) {
            data = HuesToVerdataBytes(b->bytes);
            l2 = static_cast<std::int32_t>(data.size());
        } else {
            data = kept.Copy(b->bytes);
        }
        added.AppendWithLength(fileId, static_cast<std::int32_t>(n), l2, std::move(data), b->flagA, b->flagB);
        ++report.added;
    }
    patch.AppendAll(std::move(added));
    return report;
}

// Compares two sources of any other forms block by block.
Result<ImportReport> CompareSources(Patch& patch, std::uint8_t fileId, BlockSource& base, BlockSource& altered,
                                    BlockRange blocks, const Progress& progress) {
    ImportReport report;
    Patch added;
    const std::int32_t first = std::max(blocks.first, 0);
    const std::int32_t last = std::min(blocks.last, std::max(base.Highest(), altered.Highest()));
    if (Status reserved = base.Reserve(first, last); !reserved) return reserved.error();
    if (Status reserved = altered.Reserve(first, last); !reserved) return reserved.error();
    for (std::int64_t n = first; n <= last; ++n) {
        if (!progress.Step(n - first, std::int64_t{last} - first + 1)) return Cancelled();
        const Result<SourceBlock> a = base.Load(static_cast<std::int32_t>(n));
        Result<SourceBlock> b = altered.Load(static_cast<std::int32_t>(n));
        if (!a || !b) {
            ++report.damaged;
            continue;
        }
        if (a->length == b->length && (b->length < 1 || a->bytes == b->bytes)) continue;
        if (b->length < 1) ++report.absent;
        if (Status kept = altered.Keep(b->length); !kept) return kept.error();
        added.AppendWithLength(fileId, static_cast<std::int32_t>(n), b->length, std::move(b->bytes), b->flagA, b->flagB);
        ++report.added;
    }
    patch.AppendAll(std::move(added));
    return report;
}
}  // namespace

Result<ImportReport> CompareBlocks(Patch& patch, std::uint8_t fileId, const SourceFiles& base,
                                   const SourceFiles& altered, BlockRange blocks, const Progress& progress) {
    DataSource sides[2];
    if (Status opened = sides[0].Open(fileId, base); !opened) return opened.error();
    if (Status opened = sides[1].Open(fileId, altered); !opened) return opened.error();
    for (const DataSource& side : sides)
        if (side.Form() == SourceForm::kPatchFile || side.Form() == SourceForm::kVerdata)
            return Error("'" + side.Path() + "' holds patches, not a client's data: diff compares those.");
    Result<ImportReport> report =
        sides[0].File() && sides[1].File()
            ? CompareDataFiles(patch, fileId, *sides[0].File(), *sides[1].File(), blocks, progress)
            : CompareSources(patch, fileId, sides[0], sides[1], blocks, progress);
    if (!report) return report;
    for (const DataSource& side : sides)
        if (const std::string remark = side.SizeRemark(); !remark.empty())
            report->note += (report->note.empty() ? "" : "\n") + remark;
    return report;
}
