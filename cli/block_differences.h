// The blocks in which two patches differ once duplicates are settled: added,
// removed, or changed (length, bytes or flags). Shared by diff and verify.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "patch/patch.h"

struct BlockSide {
    std::int32_t length = 0;
    std::int16_t flagA = 0, flagB = 0;
    std::string sha256;  // hexadecimal, of the block's bytes
};

struct BlockDifference {
    enum Kind { kAdded, kRemoved, kChanged } kind = kAdded;
    std::uint8_t fileId = 0;
    std::int32_t block = 0;
    BlockSide a, b;  // a: only for removed and changed; b: only for added and changed
};

// Settles both patches, then lists the differences from `a` to `b` in file ID
// and block number order.
std::vector<BlockDifference> DifferingBlocks(Patch& a, Patch& b);

// "added", "removed" or "changed".
const char* KindName(BlockDifference::Kind kind);
