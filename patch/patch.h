// The working document: for each of the 256 file IDs, the block slots in the
// order they were added. Removal only marks a slot (number -1); of several
// live slots with one block number, the one added last wins.
#pragma once

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <optional>
#include <vector>

#include "patch/block_bytes.h"
#include "io/large_pages.h"

// A slot; its file ID is the entry that holds it.
struct PatchBlock {
    std::int32_t number = 0;
    std::int16_t flagA = 0;
    std::int16_t flagB = 0;
    BlockBytes bytes;

    bool IsLive() const { return number != -1; }
    // The number of data bytes, or for a block read without its data the
    // length it was stored with (<= 0: a block without data).
    std::int32_t Length() const { return bytes.StoredLength(); }
    // The length a writer stores with the bytes it writes: a block read
    // without its data has none to write.
    std::int32_t WrittenLength() const { return bytes.empty() ? std::min(Length(), 0) : Length(); }
};
static_assert(sizeof(PatchBlock) == 24);

// Which blocks a reader of a patch project file or a verdata.mul keeps, and
// whether they replace what the patch holds or follow it.
struct ReadOptions {
    std::uint8_t firstFileId = 0, lastFileId = 255;
    std::int32_t firstBlock = INT32_MIN, lastBlock = INT32_MAX;
    bool append = false;

    bool Keeps(std::uint8_t fileId, std::int32_t block) const {
        return fileId >= firstFileId && fileId <= lastFileId && block >= firstBlock && block <= lastBlock;
    }
};

// Slots of a large file fill huge pages.
using BlockSlots = std::vector<PatchBlock, LargePageAllocator<PatchBlock>>;

struct PatchFileEntry {
    BlockSlots blocks;
    std::int32_t removedCount = 0;

    std::int32_t Count() const { return static_cast<std::int32_t>(blocks.size()); }
    std::int32_t LiveCount() const { return Count() - removedCount; }
};

class Patch {
public:
    static constexpr int kFileIds = 256;

    PatchFileEntry& operator[](std::uint8_t fileId) { return entries_[fileId]; }
    const PatchFileEntry& operator[](std::uint8_t fileId) const { return entries_[fileId]; }

    // Empties every entry.
    void Clear();

    // Appends a slot to entry `fileId`; Length() is the number of data bytes.
    PatchBlock& Append(std::uint8_t fileId, std::int32_t blockNumber, BlockBytes data, std::int16_t flagA,
                       std::int16_t flagB);
    // Appends a slot whose Length is given as stored (0 or -1 for blocks
    // without data; the data is then empty).
    PatchBlock& AppendWithLength(std::uint8_t fileId, std::int32_t blockNumber, std::int32_t length, BlockBytes data,
                                 std::int16_t flagA, std::int16_t flagB);

    // Makes room for `count` more slots of entry `fileId`.
    void Reserve(std::uint8_t fileId, std::size_t count);

    // Moves every slot of `other` behind the slots of this patch.
    void AppendAll(Patch&& other);

    // Marks the first live slot with this block number removed.
    void RemoveBlock(std::uint8_t fileId, std::int32_t blockNumber);

    // Marks slot `slot` removed; Unmark gives it its number back. Both keep
    // removedCount right and ignore slots already in the wanted state.
    void MarkRemoved(std::uint8_t fileId, std::size_t slot);
    void Unmark(std::uint8_t fileId, std::size_t slot, std::int32_t blockNumber);

    // The first slot with this block number.
    std::optional<std::size_t> FindBlock(std::uint8_t fileId, std::int32_t blockNumber) const;
    // The last live slot with this block number: the one that wins.
    std::optional<std::size_t> FindLiveBlock(std::uint8_t fileId, std::int32_t blockNumber) const;
    // That slot's block; nullptr when there is none.
    const PatchBlock* LiveBlock(std::uint8_t fileId, std::int32_t blockNumber) const;

    // Total number of live slots over all file IDs.
    std::int64_t LiveCount() const;

    // Calls fn(block) for every live slot of one entry, in slot order.
    template <class Fn>
    void ForEachLive(std::uint8_t fileId, Fn&& fn) const {
        for (const PatchBlock& b : entries_[fileId].blocks)
            if (b.IsLive()) fn(b);
    }

private:
    std::array<PatchFileEntry, kFileIds> entries_;
};
