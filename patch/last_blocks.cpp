#include "patch/last_blocks.h"

#include <algorithm>

#include "patch/settle_duplicates.h"

LastBlocks::LastBlocks(const Patch& patch, std::uint8_t fileId) {
    for (const auto& [number, slot] : LastCopies(patch[fileId])) blocks_.emplace_back(number, patch[fileId].blocks[slot].bytes);
}

const BlockBytes* LastBlocks::Find(std::int32_t n) const {
    const auto at = std::lower_bound(blocks_.begin(), blocks_.end(), n, [](const auto& b, std::int32_t v) { return b.first < v; });
    return at != blocks_.end() && at->first == n ? &at->second : nullptr;
}
