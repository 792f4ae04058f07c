// The bytes of a patch's live blocks of one file ID, the last copy of each
// number, by number: held apart from the patch (the bytes shared, not
// copied), so that a worker thread reads them while the document changes.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "patch/patch.h"

class LastBlocks {
public:
    using Entries = std::vector<std::pair<std::int32_t, BlockBytes>>;  // by number

    LastBlocks() = default;
    LastBlocks(const Patch& patch, std::uint8_t fileId);

    // Block n's bytes (empty for a block without data), or nullptr.
    const BlockBytes* Find(std::int32_t n) const;
    const Entries& All() const { return blocks_; }
    bool Empty() const { return blocks_.empty(); }

private:
    Entries blocks_;
};
