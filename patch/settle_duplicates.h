// Settling duplicates: of several live slots with one block number, the one
// added last wins and the older ones are marked removed. The editor's tree,
// every command that changes or exports a patch, and undo work from this.
#pragma once

#include <cstdint>
#include <vector>

#include "patch/Patch.h"

// One "removed" mark made by settling: enough to take it back.
struct RemovedMark {
    std::uint8_t fileId = 0;
    std::int32_t slot = 0;
    std::int32_t blockNumber = 0;  // the number the slot had before the mark
};

// Settles every file ID in one pass, linear in the number of slots. Returns
// the marks it made; when memory runs out it takes them back and rethrows.
std::vector<RemovedMark> SettleDuplicates(Patch& patch);

// Takes marks back (in reverse order), restoring the slots' numbers.
void RestoreMarks(Patch& patch, const std::vector<RemovedMark>& marks);
