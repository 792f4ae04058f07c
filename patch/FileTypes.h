// The catalogue of known game data files, indexed by file ID.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct FileTypeEntry {
    std::string Name;               // empty: not a known file type
    std::int32_t ConstantIndex = 0; // > 0: fixed-size blocks, no index file
    std::int32_t NbrOfBlocks = 0;   // highest block number of a usual file of the type
};

using FileTypeTable = std::array<FileTypeEntry, 256>;

// The catalogue, filled on first use and never changed.
const FileTypeTable& FileTypes();

// File ID of whole client files (executable, readme, first map).
inline constexpr std::uint8_t kFilesFileId = 252;
inline constexpr std::uint8_t kMapFileId = 0;
inline constexpr std::uint8_t kArtFileId = 4;
inline constexpr std::uint8_t kAnimFileId = 6;
inline constexpr std::uint8_t kGumpFileId = 12;
inline constexpr std::uint8_t kHuesFileId = 32;
