// Bringing blocks of a game data file into the patch.
#pragma once

#include <cstdint>
#include <string>

#include "patch/Patch.h"

// What an import or a compare did, for the user to be told.
struct ImportResult {
    std::string error;         // "" when the sources could be read; nothing was added otherwise
    std::int64_t added = 0;    // slots appended
    std::int64_t absent = 0;   // of those, blocks without data (Length <= 0)
    std::int64_t damaged = 0;  // entries left out: their data does not lie wholly inside the file
    std::int64_t leftOut = 0;  // other blocks left out (absent blocks skipped on request, ...)
};

// Appends one block per block number n in 0..nbrOfBlocks that lies within
// blockFrom..blockTo, read from the data file (and its index file unless
// constantIndex > 0). Hues blocks (file ID 32) are converted to their 1220-byte
// verdata form. Absent blocks are appended without data. Returns "" or the
// message of the failed open; nothing is appended then.
std::string ImportMulRange(Patch& patch, const std::string& idxFilename, const std::string& mulFilename,
                           std::uint8_t fileId, std::int32_t blockFrom, std::int32_t blockTo,
                           std::int32_t nbrOfBlocks, std::int32_t constantIndex);

// Opens a data file (and its index) the way the import and the compare do.
class cMUL;
std::string OpenDataFile(cMUL& file, const std::string& idxFilename, const std::string& mulFilename,
                         std::int32_t nbrOfBlocks, std::int32_t constantIndex);
