#include "patch/settle_duplicates.h"

#include <new>
#include <unordered_set>

std::vector<RemovedMark> SettleDuplicates(Patch& patch) {
    std::vector<RemovedMark> marks;
    std::unordered_set<std::int32_t> seen;
    try {
        for (int f = 0; f < Patch::kFileIds; ++f) {
            const auto id = static_cast<std::uint8_t>(f);
            const auto& blocks = patch[id].Blocks;
            if (patch[id].LiveCount() < 2) continue;
            seen.clear();
            // Walking from the newest slot, every number seen again is an older duplicate.
            for (std::size_t i = blocks.size(); i-- > 0;) {
                const std::int32_t n = blocks[i].BlockNumber;
                if (n == -1 || seen.insert(n).second) continue;
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
