// Bringing blocks of the client's data into a patch: one road for every form
// a source comes in, for the editor, the command line and manifests alike.
#pragma once

#include <climits>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "gamefiles/forms/form.h"
#include "io/progress.h"
#include "io/result.h"
#include "patch/patch.h"

// What an import takes from its source: the blocks of one file type, read
// from whatever form the source comes in; or, from a patch project file or a
// verdata.mul, every block whose file ID lies in a range.
struct ImportSelection {
    static ImportSelection OneType(std::uint8_t fileId) { return {false, fileId, fileId}; }
    static ImportSelection EveryType(std::uint8_t first = 0, std::uint8_t last = 255) { return {true, first, last}; }
    bool everyType = false;
    std::uint8_t firstFileId = 0, lastFileId = 255;
};

struct BlockRange {
    std::int32_t first = 0, last = INT32_MAX;
};

struct ImportOptions {
    bool skipAbsent = false;  // leave out blocks without data
};

// What an import or a compare did, for the user to be told.
struct ImportReport {
    std::int64_t added = 0;    // slots appended
    std::int64_t absent = 0;   // of those, blocks without data (Length() <= 0)
    std::int64_t damaged = 0;  // entries left out: their data does not lie wholly inside the file or does not decode
    std::int64_t leftOut = 0;  // other blocks left out (absent blocks skipped on request)
    // Entries of a verdata or a patch project file left out because their
    // block numbers lie below 0, which a patch cannot hold: file ID and block.
    std::vector<std::pair<std::uint8_t, std::int32_t>> belowZero;
    std::string note;          // what the user should know about the sources, a sentence a line; "" for nothing
    // A source that holds more blocks than a usual file of its type, asking
    // whether it is the right file; "" for none. The editor asks it before
    // the blocks go in.
    std::string unusualSize;
};

// Appends to `patch` the blocks of `source` in `blocks` that `what` selects.
// Absent blocks come without data unless `options` leave them out; blocks
// whose data does not decode are left out and counted as damaged. Hues blocks
// of a hues file become their 1220-byte verdata form. Nothing is appended when
// a source cannot be opened, when a read passes its budget, or when
// `progress` stops the work (kCancelled).
Result<ImportReport> ImportBlocks(Patch& patch, ImportSelection what, const SourceFiles& source,
                                  BlockRange blocks = {}, ImportOptions options = {}, const Progress& progress = {});

// Appends to `patch`, with the altered source's flags, every block of
// `fileId` in `blocks` whose length or bytes differ between the sources
// (flags are not compared); a block the altered source lacks is added with
// Length() -1. Blocks damaged on either side are left out and counted. Data
// files and packages are compared; patch project files and verdata files are
// refused (diff compares those), as are tiledata files of two layouts.
// Nothing is appended on a failure or when `progress` stops the work.
Result<ImportReport> CompareBlocks(Patch& patch, std::uint8_t fileId, const SourceFiles& base,
                                   const SourceFiles& altered, BlockRange blocks = {}, const Progress& progress = {});

// What the user should hear about an import or a compare beyond what it
// added, a sentence a line, the same in the editor and on the command line.
// A warning says what went wrong with the sources (damaged blocks, the
// notes); the others what became of the blocks without data, where
// `leaveOutHint` names how to leave them out next time.
struct LeftOutLine {
    std::string text;
    bool warning = false;
};
std::vector<LeftOutLine> DescribeLeftOut(const ImportReport& report, const std::string& leaveOutHint = "");
