#include <algorithm>

#include "gamefiles/import.h"
#include "patch/file_types.h"

namespace {
// True when the `count` blocks from `n` on lie end to end in both sources'
// read windows and are the same bytes.
bool SameRun(BlockSource& base, BlockSource& altered, std::int64_t n, std::int32_t count) {
    const auto a = base.ShowRun(static_cast<std::int32_t>(n), count);
    const auto b = altered.ShowRun(static_cast<std::int32_t>(n), count);
    return a && b && a->size() == b->size() && std::equal(a->begin(), a->end(), b->begin());
}

// Compares two sources block by block where the blocks lie (flags are not
// compared); only a differing block is read into the patch's own buffers.
Result<ImportReport> CompareSources(Patch& patch, std::uint8_t fileId, BlockSource& base, BlockSource& altered,
                                    BlockRange blocks, const Progress& progress) {
    ImportReport report;
    Patch added;
    const std::int64_t first = std::max(blocks.first, 0);
    const std::int64_t last = std::min<std::int64_t>(blocks.last, std::max(base.Highest(), altered.Highest()));
    if (last >= first) {
        if (Status reserved = base.Reserve(static_cast<std::int32_t>(first), static_cast<std::int32_t>(last)); !reserved)
            return reserved.error();
        if (Status reserved = altered.Reserve(static_cast<std::int32_t>(first), static_cast<std::int32_t>(last)); !reserved)
            return reserved.error();
    }
    ShownBlock a, b;
    // Files of slots hold their blocks end to end: equal runs of blocks are
    // passed over with one comparison.
    constexpr std::int32_t kRun = 16;
    for (std::int64_t n = first; n <= last; ++n) {
        if (!progress.Step(n - first, last - first + 1)) return Cancelled();
        if ((n - first) % kRun == 0 && n + kRun - 1 <= last && SameRun(base, altered, n, kRun)) {
            n += kRun - 1;
            continue;
        }
        base.Show(static_cast<std::int32_t>(n), a);
        altered.Show(static_cast<std::int32_t>(n), b);
        if (a.damaged || b.damaged) {
            ++report.damaged;
            continue;
        }
        if (a.bytes.size() == b.bytes.size() && std::equal(a.bytes.begin(), a.bytes.end(), b.bytes.begin())) continue;
        // The differing block as an import takes it.
        Result<SourceBlock> block = altered.Load(static_cast<std::int32_t>(n));
        if (!block) {
            ++report.damaged;
            continue;
        }
        if (Status taken = altered.Keep(block->length); !taken) return taken.error();
        if (block->length < 1) ++report.absent;
        added.AppendWithLength(fileId, static_cast<std::int32_t>(n), block->length < 1 ? -1 : block->length,
                               std::move(block->bytes), block->flagA, block->flagB);
        ++report.added;
    }
    patch.AppendAll(std::move(added));
    return report;
}
}  // namespace

Result<ImportReport> CompareBlocks(Patch& patch, std::uint8_t fileId, const SourceFiles& base,
                                   const SourceFiles& altered, BlockRange blocks, const Progress& progress) {
    std::unique_ptr<BlockSource> sides[2];
    for (int s = 0; s < 2; ++s) {
        Result<std::unique_ptr<BlockSource>> opened = OpenSource(fileId, s == 0 ? base : altered);
        if (!opened) return opened.error();
        sides[s] = std::move(*opened);
    }
    for (const auto& side : sides)
        if (side->GetForm() == Form::kPatchFile || side->GetForm() == Form::kVerdata)
            return Error("'" + side->Path() + "' holds patches, not a client's data: diff compares those.");
    if (fileId == kTiledata && sides[0]->GetForm() == Form::kSlots && sides[1]->GetForm() == Form::kSlots &&
        sides[0]->Highest() >= 0 && sides[1]->Highest() >= 0) {
        // Groups of two layouts never compare equal: say so rather than add every group.
        ShownBlock a, b;
        sides[0]->Show(0, a);
        sides[1]->Show(0, b);
        if (a.slotSize != b.slotSize)
            return Error("'" + base.data + "' and '" + altered.data + "' are tiledata files of different layouts.");
    }
    Result<ImportReport> report = CompareSources(patch, fileId, *sides[0], *sides[1], blocks, progress);
    if (!report) return report;
    for (const auto& side : sides)
        if (const std::string remark = side->SizeRemark(); !remark.empty())
            report->note += (report->note.empty() ? "" : "\n") + remark;
    return report;
}
