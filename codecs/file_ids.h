// The file IDs by which the patch, verdata.mul and the client number their
// kinds of data.
#pragma once

#include <cstdint>

inline constexpr std::uint8_t kMap = 0;
inline constexpr std::uint8_t kStatics = 2;
inline constexpr std::uint8_t kArt = 4;
inline constexpr std::uint8_t kAnim = 6;
inline constexpr std::uint8_t kSound = 8;
inline constexpr std::uint8_t kTexmaps = 10;
inline constexpr std::uint8_t kGumps = 12;
inline constexpr std::uint8_t kMultis = 14;
inline constexpr std::uint8_t kSkills = 16;
inline constexpr std::uint8_t kTiledata = 30;
inline constexpr std::uint8_t kAnimdata = 31;
inline constexpr std::uint8_t kHues = 32;
// Whole client files: block 0 the executable, 1 its readme, 2 its first map.
inline constexpr std::uint8_t kFiles = 252;
inline constexpr std::int32_t kClientExeBlock = 0;
inline constexpr std::int32_t kReadmeBlock = 1;
inline constexpr std::int32_t kMapFileBlock = 2;

// Art blocks below this are land tiles; from it on, static items (item 0 is
// block 0x4000).
inline constexpr std::int32_t kArtStaticBase = 0x4000;
// Tiledata groups below this hold land records; from it on, items.
inline constexpr std::int32_t kTiledataLandGroups = 512;
// Records a tiledata group holds: item n is record n % 32 of group 512 + n / 32.
inline constexpr std::int32_t kTiledataGroupRecords = 32;
// A map block: a 4-byte header and 64 cells of 3 bytes.
inline constexpr std::int32_t kMapBlockSize = 196;

// The file IDs up to this one are the client's data files; the ones above
// it (kFiles) are carried whole.
inline constexpr std::uint8_t kLastDataFileId = 200;
