// Settling duplicates: of several live slots with one block number, the one
// added last wins and the older ones are marked removed. The editor's tree,
// every command that changes or exports a patch, and undo work from this.
#pragma once

#include <cstdint>
#include <unordered_set>
#include <utility>
#include <vector>

#include "patch/patch.h"

// The block numbers a walk has met, for walks that keep the newest copy of
// each: a bit per number when the numbers lie close together (as a file's
// blocks do), a hash set otherwise.
class SeenNumbers {
public:
    // Forgets every number; the next ones lie within low..high, `count` of them.
    void Reset(std::int32_t low, std::int32_t high, std::size_t count);
    // True when `n` was not met before.
    bool Insert(std::int32_t n);

private:
    std::int64_t low_ = 0;
    bool dense_ = false;
    std::vector<std::uint64_t> bits_;
    std::unordered_set<std::int32_t> set_;
};

// One "removed" mark made by settling: enough to take it back.
struct RemovedMark {
    std::uint8_t fileId = 0;
    std::int32_t slot = 0;
    std::int32_t blockNumber = 0;  // the number the slot had before the mark
};

// Settles every file ID in one pass, linear in the number of slots. Returns
// the marks it made; when memory runs out it takes them back and rethrows.
std::vector<RemovedMark> SettleDuplicates(Patch& patch);

// The live blocks of one file ID as (number, slot), in number order, each
// number once: of several copies the one added last, as settling keeps.
std::vector<std::pair<std::int32_t, std::uint32_t>> LastCopies(const PatchFileEntry& entry);

// Takes marks back (in reverse order), restoring the slots' numbers.
void RestoreMarks(Patch& patch, const std::vector<RemovedMark>& marks);
