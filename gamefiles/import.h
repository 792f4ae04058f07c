// Bringing blocks of a game data file into the patch.
#pragma once

#include <cstdint>
#include <string>

#include "patch/patch.h"
#include "io/progress.h"

// What an import or a compare did, for the user to be told.
struct ImportResult {
    std::string error;         // "" when the sources could be read; nothing was added otherwise
    std::int64_t added = 0;    // slots appended
    std::int64_t absent = 0;   // of those, blocks without data (Length <= 0)
    std::int64_t damaged = 0;  // entries left out: their data does not lie wholly inside the file
    std::int64_t leftOut = 0;  // other blocks left out (absent blocks skipped on request, ...)
    std::string note;          // what the user should know about the sources, a sentence a line; "" for nothing
};

class DataFile;

// Appends every block the open data file holds (its index entries, or the
// blocks that begin inside a file without index) whose number lies within
// blockFrom..blockTo. Absent blocks are appended without data, or left out
// and counted when `skipAbsent` is set; damaged entries are left out and
// counted. Hues blocks (file ID 32) become their 1220-byte verdata form.
// Nothing is appended when `progress` stops the work (the error is then
// kCancelled). ImportFromFiles (block_source.h) opens the file.
ImportResult ImportDataFile(Patch& patch, std::uint8_t fileId, DataFile& file, std::int32_t blockFrom,
                            std::int32_t blockTo, bool skipAbsent, const Progress& progress = {});

// The live blocks of `patch` that carry no data (Length <= 0).
std::int64_t CountWithoutData(const Patch& patch);

// The sentence on damaged blocks, the same in the editor and the command line.
std::string DamagedText(std::int64_t damaged);

// What the user should hear about blocks without data, blocks left out and
// the sources, one sentence a line; "" when there is nothing to say.
std::string DescribeLeftOut(const ImportResult& result);
