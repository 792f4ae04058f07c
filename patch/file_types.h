// The catalogue of known game data files, indexed by file ID.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "codecs/file_ids.h"

struct FileTypeEntry {
    std::string name;                 // empty: not a known file type
    std::int32_t fixedBlockSize = 0;  // > 0: fixed-size blocks, no index file
    std::int32_t highestBlock = 0;    // highest block number of a usual file of the type
};

using FileTypeTable = std::array<FileTypeEntry, 256>;

// The catalogue, filled on first use and never changed.
const FileTypeTable& FileTypes();

// A named type of the client's data files (not the whole files of kFiles).
bool IsDataFileType(std::uint8_t fileId);

// The type's name for messages ("Art"), or "file ID 7" for one without a
// name; at the start of a sentence "File ID 7".
std::string TypeName(std::uint8_t fileId);
std::string TypeNameAtStart(std::uint8_t fileId);
// The type's name as a word within a sentence: "gumps", "art".
std::string TypeWord(std::uint8_t fileId);
