// Entry names of game data packages: the name hash that addresses entries,
// and the name schemes of the packages that mirror old data files.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codecs/file_ids.h"

// The 64-bit hash of an entry name (lookup3's two results, the second high).
std::uint64_t PackageNameHash(std::string_view name);

// A legacy package: entry i is named after index i by the first format that
// names a live entry.
struct LegacyScheme {
    std::string kind;                  // what the package holds, for messages
    int fileId;                        // patch file ID; -1: nothing imports it
    std::vector<std::string> formats;  // printf formats of the entry name
    std::uint32_t lastIndex;           // names are tried for 0..lastIndex
};

const std::vector<LegacyScheme>& LegacySchemes();
// The scheme a file ID is imported with, or nullptr.
const LegacyScheme* SchemeOfFileId(int fileId);
std::string LegacyName(const std::string& format, std::uint32_t index);
// The name a writer files entry `index` under, as the client's own packages
// do: the scheme's first format, but the one gump they file under a
// seven-digit name keeps it.
std::string WrittenName(const LegacyScheme& scheme, std::uint32_t index);

// Each entry (chunk) of a map package holds 4096 map blocks.
inline constexpr std::int32_t kMapBlocksPerChunk = 4096;
