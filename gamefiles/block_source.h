// Reading the blocks of one file type from a source, whatever its form: the
// common ground of imports and compares.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "io/bytes.h"
#include "gamefiles/import.h"
#include "patch/patch.h"
#include "io/progress.h"

class BlockSource {
public:
    virtual ~BlockSource() = default;
    // The highest block number the source holds; -1 when it holds none.
    virtual std::int32_t Highest() const = 0;
    // The first block number from `n` on that the source has an entry for
    // (with or without data); -1 when none. Data files and packages have
    // one for every number up to the highest.
    virtual std::int32_t Next(std::int32_t n) const { return n <= Highest() ? std::max(n, 0) : -1; }
    // Block n: `length` is -1 for an absent block, else the size of `data`.
    // "" or why the block's data does not decode (the block is left out).
    virtual std::string Load(std::int32_t n, std::int32_t& length, Bytes& data, std::int16_t& flagA,
                             std::int16_t& flagB) = 0;
    // Asked before blocks first..last are read: "" when what the source
    // declares of them (a package's decoded sizes) fits its read budget,
    // else a message naming the file.
    virtual std::string Reserve(std::int32_t first, std::int32_t last) const = 0;
    // Counts `bytes` of block data kept from the source against its read
    // budget (see ReadBudget): "" or the message.
    virtual std::string Keep(std::int64_t bytes) = 0;
};

// Appends the blocks blockFrom..blockTo the source has entries for. Absent
// blocks are appended without data unless skipAbsent; blocks whose data does
// not decode are left out and counted as damaged. Past the read budget
// nothing is appended.
ImportResult ImportBlocks(Patch& patch, std::uint8_t fileId, BlockSource& source, std::int32_t blockFrom,
                          std::int32_t blockTo, bool skipAbsent, const Progress& progress = {});

// Appends, with the altered source's flags, every block whose length or
// bytes differ between the sources (flags are not compared); a block the
// altered source lacks is added with Length -1. Blocks that do not decode
// on either side are left out and counted as damaged. Past the read budget
// nothing is appended.
ImportResult CompareBlocks(Patch& patch, std::uint8_t fileId, BlockSource& base, BlockSource& altered,
                           const Progress& progress = {});

// The two above from paths, for the dialogs and the command line, each path
// read as what its content shows it to be (see DataSource). `error` of the
// result is set when a source cannot be opened; nothing is appended then,
// nor when `progress` stops the work (the error is then kCancelled). A
// compare reads data files and packages; patch project files and verdata
// files are compared by diff.
ImportResult ImportFromFiles(Patch& patch, std::uint8_t fileId, const std::string& dataPath,
                             const std::string& idxPath, std::int32_t blockFrom, std::int32_t blockTo,
                             bool skipAbsent, const Progress& progress = {});
ImportResult CompareFiles(Patch& patch, std::uint8_t fileId, const std::string& baseData, const std::string& baseIdx,
                          const std::string& alteredData, const std::string& alteredIdx,
                          const Progress& progress = {});
