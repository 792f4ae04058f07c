// The patch project file (.uop): "UOP", version 4, two record counts (file IDs
// 0..250 and 251..255), then 13-byte block records each followed by its data.
#pragma once

#include <cstdint>
#include <string>

#include "io/result.h"
#include "patch/patch.h"

class SaveFile;

// Every block number from 0 up is kept (-1 marks a removed slot).
inline constexpr std::int32_t kMaxBlockNumber = INT32_MAX;

// Writes every live block of `patch`; on failure an existing file at `path`
// is left as it was.
Status WritePatchFile(const std::string& path, const Patch& patch);
// The same into `out`, which is opened on `path` and finished but left for
// the caller to commit.
Status WritePatchFile(SaveFile& out, const std::string& path, const Patch& patch);

// Reads the blocks of a patch project file into `patch`; records outside the
// options' ranges become removed slots. The file is checked completely before
// `patch` changes (a record with a negative block number is refused): on
// failure the message names the file and `patch` is untouched.
Status ReadPatchFile(const std::string& path, Patch& patch, const ReadOptions& options = {});

// Reads every record of a patch project file as ReadPatchFile does, but
// without the blocks' data (Length() as stored, no bytes): for listing.
Status ReadPatchHeaders(const std::string& path, Patch& patch);

// A patch whose header counts other records than the file holds (more
// behind them, or a file cut short) is refused by ReadPatchFile. The number
// of whole records such a file holds (0 for a whole patch and for any other
// file), so that the editor can offer to recover them.
std::int64_t RecoverableRecords(const std::string& path);

// Every whole record of a patch project file, whatever its header counts, up
// to the first record that does not fit in the file or holds a negative block
// number: to recover a damaged patch into a new one. Fails only when the file
// is no patch project file at all.
struct Recovery {
    Patch patch;
    std::int64_t declared = 0;     // records the header counts
    std::int64_t recovered = 0;    // records read
    std::int64_t unreadBytes = 0;  // bytes after the last whole record
};
Result<Recovery> RecoverPatchFile(const std::string& path);
