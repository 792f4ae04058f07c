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

// The file IDs up to this one are the client's data files; the ones above
// it (kFiles) are carried whole.
inline constexpr std::uint8_t kLastDataFileId = 200;
