// The game's patch file verdata.mul: an entry count N, N directory entries of
// 20 bytes (file ID, block number, position, length, FlagA, FlagB), then the
// block data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/binary_io.h"
#include "io/progress.h"
#include "io/result.h"
#include "patch/patch.h"

class SaveFile;

inline constexpr std::int64_t kVerdataEntrySize = 20;

// One directory entry as stored.
struct VerdataEntry {
    std::int32_t fileId, blockNumber, position, length;
    std::int16_t flagA, flagB;
};

// Whether the open file's directory holds together as a verdata's: a count
// it has room for, file IDs of one byte, and data behind the directory and
// inside the file (read up to the first entry that does not fit, which for
// other files is the first).
bool HoldsVerdataDirectory(const InputFile& file);

// The directory in its order, checked as ReadVerdata checks it.
Result<std::vector<VerdataEntry>> ReadVerdataDirectory(const std::string& path);

// An entry carried as it is stored. Block numbers below 0 have no place in
// a patch (-1 marks a removed block there), so such entries travel so.
struct VerdataRecord {
    VerdataEntry entry;
    Bytes bytes;  // its data; none when its length is not above 0
    bool operator==(const VerdataRecord& other) const;
};
// The entries whose block numbers lie below 0, with their data, in
// directory order; none for a missing or empty file.
Result<std::vector<VerdataRecord>> ReadVerdataBelowZero(const std::string& path);

// Reads one block per directory entry that the options keep, in directory
// order. A malformed file (a count or data beyond its end, a missing file) is
// refused with a message and changes nothing.
Status ReadVerdata(const std::string& path, Patch& patch, const ReadOptions& options = {});

// Writes a new verdata file from the live blocks of `patch` (numbers below
// 0 too), merged over the entries of the verdata `base` unless it is "": of
// several blocks with one file ID and block number the last (the patch's
// newest) survives. The base's entries below block 0 and `carried` follow
// them as they are stored. The target is replaced only when everything was written;
// a stop through `progress` leaves it as it was (kCancelled). A target that
// is the base itself is refused, a base that does not exist too (kBaseMissing).
Status WriteVerdata(const std::string& path, const Patch& patch, const std::string& base = "",
                    const Progress& progress = {});
// The same into `out`, which is opened on `path` and finished but left for
// the caller to commit.
Status WriteVerdata(SaveFile& out, const std::string& path, const Patch& patch, const std::string& base = "",
                    const Progress& progress = {}, const std::vector<VerdataRecord>& carried = {});

// The blocks WriteVerdata would write, in the file's order, as reading the
// written file gives them; no file is written. Fails as WriteVerdata would.
Result<Patch> ExpectedVerdata(const Patch& patch, const std::string& base = "");
