// Reading the blocks of one file type from a source, whatever its form: the
// common ground of imports and compares.
#pragma once

#include <algorithm>
#include <cstdint>

#include "io/result.h"
#include "patch/block_bytes.h"

// A block as a source hands it out.
struct SourceBlock {
    std::int32_t length = -1;  // -1 for an absent block, else the size of `bytes`
    std::int16_t flagA = 0, flagB = 0;
    BlockBytes bytes;
};

class BlockSource {
public:
    virtual ~BlockSource() = default;
    // The highest block number the source holds; -1 when it holds none.
    virtual std::int32_t Highest() const = 0;
    // The first block number from `n` on that the source has an entry for
    // (with or without data); -1 when none. Data files and packages have
    // one for every number up to the highest.
    virtual std::int32_t Next(std::int32_t n) const { return n <= Highest() ? std::max(n, 0) : -1; }
    // Block n; fails with why its data does not decode (the block is left out).
    virtual Result<SourceBlock> Load(std::int32_t n) = 0;
    // Asked before blocks first..last are read: fails when what the source
    // declares of them (a package's decoded sizes) is past its read budget,
    // naming the file.
    virtual Status Reserve(std::int32_t first, std::int32_t last) const = 0;
    // Counts `bytes` of block data kept from the source against its read
    // budget (see ReadBudget).
    virtual Status Keep(std::int64_t bytes) = 0;
};
