// Writing copies of the client's data files with some blocks put over them:
// a data file with its index, appended to (the bytes players have stay
// where they are) or compacted, and a file of slots. Their read-back goes
// through the data file's reader (DataFile).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "gamefiles/forms/data_file.h"
#include "io/bytes.h"
#include "io/result.h"
#include "io/save_file.h"

// Told the bytes copied so far; false stops the copy (kCancelled).
using CopyMeter = std::function<bool(std::int64_t bytes)>;

// A block to put: no bytes for one without data. `lasting` bytes stay where
// they are until the write is finished; others are copied as they are put.
struct PutBlock {
    ByteView bytes;
    std::int16_t flagA = 0, flagB = 0;
    bool lasting = false;
};

// Refuses, before anything is written, an index that is not whole entries
// (entries written into it would be misaligned) and, unless compacting, a
// data file that `appended` bytes would take past what its index's offsets
// address.
Status CheckIndexedPatch(const std::string& data, const std::string& index, std::int64_t appended, bool compact);

// A data file and its index written as the base pair with blocks put
// behind: the base's bytes are copied as they are and each block put is
// appended, its entry rewritten.
class IndexedPatch {
public:
    // Copies the base pair into `data` and `index` (opened, unfinished),
    // with entries up to `entries`. Entries whose data the base data file
    // does not hold would point into the appended bytes: they are emptied,
    // unless `keep` says the block is put anyway, and returned.
    Result<std::vector<std::int32_t>> Start(const std::string& baseData, const std::string& baseIndex, std::int32_t entries,
                                            SaveFile& data, SaveFile& index, const std::function<bool(std::int32_t)>& keep,
                                            const CopyMeter& copied);
    // Puts block n behind the data file and points its entry at it.
    void Put(std::int32_t n, const PutBlock& block);

private:
    SaveFile* data_ = nullptr;
    SaveFile* index_ = nullptr;
    std::int64_t at_ = 0;
};

// A compacted data file and index: block n is `changed(n)` where that gives
// one, else the base's; the data file holds each live entry's bytes once
// (entries that shared bytes still share them), absent entries stay as they
// were and damaged ones are emptied. The damaged entries' numbers.
Result<std::vector<std::int32_t>> WriteCompactIndexed(std::uint8_t fileId, const std::string& baseData,
                                                      const std::string& baseIndex, std::int32_t entries,
                                                      const std::function<std::optional<PutBlock>(std::int32_t)>& changed,
                                                      SaveFile& data, SaveFile& index, const CopyMeter& copied);

// A data file and its index written anew from blocks put in rising number
// order: the data file holds their bytes in that order without gaps, and
// the index has an entry for every number up to the last put, (-1, -1, -1)
// for a block without data.
class IndexedWriter {
public:
    IndexedWriter(SaveFile& data, SaveFile& index) : data_(&data), index_(&index) {}
    // Fails when the data file would outgrow what its index's offsets address.
    Status Put(std::int32_t n, ByteView bytes, std::int16_t flagA, std::int16_t flagB);
    // The index entries written.
    std::int32_t Entries() const { return next_; }

private:
    SaveFile* data_;
    SaveFile* index_;
    std::int32_t next_ = 0;
};

// A file of slots written as the base (a file, or a whole map held in
// memory) with blocks put into their slots.
class SlotPatch {
public:
    // Copies `base` (or writes `carried` where it is not empty) into `out`,
    // cut as the type's files are.
    Status Start(std::uint8_t fileId, const std::string& base, ByteView carried, SaveFile& out, const CopyMeter& copied);
    // Puts block n into its slot: a hue block goes into its group under the
    // header the group has. The bytes written, and whether the file ended
    // inside the slot (it is then written whole).
    std::pair<std::int64_t, bool> Put(std::int32_t n, ByteView bytes);

private:
    std::uint8_t fileId_ = 0;
    SaveFile* out_ = nullptr;
    std::int64_t size_ = 0;
    BlockCut cut_;
};

// The block numbers of a list, for a note: the first few, then how many more.
std::string NumbersText(const std::vector<std::int32_t>& numbers);
