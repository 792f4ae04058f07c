// Converting a type's whole client files from one form into the other: its
// data files (a data file with its index, or map0.mul alone) into a legacy
// game data package written as the client's own, or such a package into
// data files. The blocks' bytes are carried unread; each target is written
// as a temporary file, read back through the readers of its form and
// compared block by block with what the source gave, then renamed into
// place, an index after its data file, so that a cut leaves at most a data
// file without its index, which no reader takes for a pair.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "io/progress.h"
#include "io/result.h"

// How a package's entries are stored: as the client's own package of the
// type stores them, or as chosen.
enum class EntryCompression { kUsual, kNone, kZlib, kZlib2 };

struct ConvertOptions {
    // The type of the blocks; else what the source's content and the usual
    // names tell.
    std::optional<std::uint8_t> fileId;
    // 4 or 5; else the version the client's own package of the type has.
    std::optional<std::uint32_t> packageVersion;
    EntryCompression compression = EntryCompression::kUsual;
    // A package whose entries that are no block (housing.bin) a package
    // written from data files carries over.
    std::string base;
    // Converts without the source's damaged entries, instead of failing.
    bool skipDamaged = false;
    // Told the bytes written and read back; a stop leaves nothing behind.
    Progress progress;
};

// One file written.
struct ConvertedFile {
    std::string path;
    // Blocks with data written, damaged ones left out, blocks without data,
    // and blocks whose values the target cannot hold as the source has them.
    std::int64_t written = 0, leftOut = 0, empty = 0, lossy = 0;
    std::int64_t size = 0;
    std::string sha256;  // lower-case hexadecimal
};

struct ConvertReport {
    std::uint8_t fileId = 0;
    std::string from, to;  // the forms' names
    std::vector<ConvertedFile> files;
    // "block 5: why" for each damaged entry left out, and each lossy value.
    std::vector<std::string> damaged, lossy;
    // Entries that one form holds and the other cannot, not carried.
    std::vector<std::string> missing;
};

// Converts the sources at the front of `paths` into the targets behind
// them: the first file's content tells the source's form and so how many of
// the paths are sources (a package: one; data files: the data file and its
// index where the type has one). Targets must not exist yet. Refused
// before anything is written when the paths do not fit the type and the
// forms; fails, writing nothing, when the source has damaged entries
// unless `skipDamaged`, and when a target does not read back as written.
Result<ConvertReport> Convert(const std::vector<std::string>& paths, const ConvertOptions& options = {});

// Whether `fileId` is a type whose files convert between the two forms.
bool Converts(std::uint8_t fileId);
