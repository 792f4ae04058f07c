// The game's patch file verdata.mul: an entry count N, N directory entries of
// 20 bytes (file ID, block number, position, length, FlagA, FlagB), then the
// block data.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "patch/patch.h"
#include "io/progress.h"

class SaveFile;

inline constexpr std::int64_t kVerdataEntrySize = 20;

// One directory entry as stored.
struct VerdataEntry {
    std::int32_t fileId, blockNumber, position, length;
    std::int16_t flagA, flagB;
};

// Reads the directory in its order, checked as ReadVerdata checks it. "" or a message.
std::string ReadVerdataDirectory(const std::string& filename, std::vector<VerdataEntry>& entries);

// Appends one block per directory entry whose file ID and block number lie in
// the inclusive ranges, in directory order. A malformed file (a count or data
// beyond its end, a missing file) is refused with a message and adds nothing.
std::string ReadVerdata(const std::string& filename, Patch& patch, bool clearFirst, std::uint8_t fileIdFrom,
                        std::uint8_t fileIdTo, std::int32_t blockFrom, std::int32_t blockTo);

// Writes a new verdata file from the live blocks (numbers 0 and up) of `patch`, merged
// over the entries of `baseFilename` unless it is "": of several blocks with
// one file ID and block number the last (the patch's newest) survives. The
// target is replaced only when everything was written; a stop through
// `progress` leaves it as it was and returns kCancelled. A target that is the
// base itself is refused. "" or a message.
std::string WriteVerdata(const std::string& newFilename, const std::string& baseFilename, const Patch& patch,
                         const Progress& progress = {});
// The same into `out`, which is opened on `newFilename` and finished but left
// for the caller to commit.
std::string WriteVerdata(SaveFile& out, const std::string& newFilename, const std::string& baseFilename,
                         const Patch& patch, const Progress& progress = {});

// The blocks WriteVerdata would write, in the file's order, as reading the
// written file gives them; no file is written. "" or the message
// WriteVerdata would give.
std::string ExpectedVerdata(const std::string& baseFilename, const Patch& patch, Patch& expected);

// The message when the base verdata file does not exist.
inline constexpr const char* kBaseVerdataMissing = "Cannot find the origional verdata.mul. Check the settings.";
