#include "patch/settle_duplicates.h"

#include <algorithm>
#include <climits>
#include <new>

void SeenNumbers::Reset(std::int32_t low, std::int32_t high, std::size_t count) {
    low_ = low;
    const std::int64_t range = std::int64_t{high} - low + 1;
    dense_ = range <= 64 * static_cast<std::int64_t>(count) + 4096;
    bits_.clear();
    set_.clear();
    if (dense_) bits_.resize(static_cast<std::size_t>((range + 63) / 64));
}

bool SeenNumbers::Insert(std::int32_t n) {
    if (!dense_) return set_.insert(n).second;
    const auto i = static_cast<std::size_t>(n - low_);
    const std::uint64_t bit = std::uint64_t{1} << (i % 64);
    if (bits_[i / 64] & bit) return false;
    bits_[i / 64] |= bit;
    return true;
}

std::vector<RemovedMark> SettleDuplicates(Patch& patch) {
    std::vector<RemovedMark> marks;
    SeenNumbers seen;
    try {
        for (int f = 0; f < Patch::kFileIds; ++f) {
            const auto id = static_cast<std::uint8_t>(f);
            const auto& blocks = patch[id].blocks;
            if (patch[id].LiveCount() < 2) continue;
            std::int32_t low = INT32_MAX, high = INT32_MIN;
            bool rising = true, any = false;  // a file's blocks in order have no duplicates
            for (const PatchBlock& b : blocks) {
                if (b.number == -1) continue;
                rising = rising && (!any || b.number > high);
                any = true;
                low = std::min(low, b.number);
                high = std::max(high, b.number);
            }
            if (rising) continue;
            seen.Reset(low, high, blocks.size());
            // Walking from the newest slot, every number seen again is an older duplicate.
            for (std::size_t i = blocks.size(); i-- > 0;) {
                const std::int32_t n = blocks[i].number;
                if (n == -1 || seen.Insert(n)) continue;
                marks.push_back({id, static_cast<std::int32_t>(i), n});
                patch.MarkRemoved(id, i);
            }
        }
    } catch (const std::bad_alloc&) {
        // Out of memory half way: the patch goes back to as it was.
        RestoreMarks(patch, marks);
        throw;
    }
    return marks;
}

void RestoreMarks(Patch& patch, const std::vector<RemovedMark>& marks) {
    for (auto it = marks.rbegin(); it != marks.rend(); ++it)
        patch.Unmark(it->fileId, static_cast<std::size_t>(it->slot), it->blockNumber);
}

std::vector<std::pair<std::int32_t, std::uint32_t>> LastCopies(const PatchFileEntry& entry) {
    std::vector<std::pair<std::int32_t, std::uint32_t>> order;
    order.reserve(static_cast<std::size_t>(entry.LiveCount()));
    for (std::size_t slot = 0; slot < entry.blocks.size(); ++slot)
        if (entry.blocks[slot].IsLive()) order.emplace_back(entry.blocks[slot].number, static_cast<std::uint32_t>(slot));
    // Blocks read from a file come in order; only edits add them out of it.
    if (!std::is_sorted(order.begin(), order.end())) std::sort(order.begin(), order.end());
    // Of equal numbers the last slot, which sorts last, stands for the number.
    const auto end = std::unique(order.rbegin(), order.rend(), [](const auto& a, const auto& b) { return a.first == b.first; });
    order.erase(order.begin(), end.base());
    return order;
}
