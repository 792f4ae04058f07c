// How the data files without index are cut into blocks. Tiledata holds 512
// land groups, then static groups, each a 4-byte header and 32 records; two
// record sizes exist, told apart by the file size. Animdata is a run of
// 548-byte groups (a 4-byte header and 8 records of 68 bytes).
#pragma once

#include <cstdint>
#include <string>

#include "codecs/file_ids.h"
#include "gamefiles/forms/data_file.h"
#include "io/result.h"

struct TiledataLayout {
    std::int32_t landGroup;    // 4 + 32 land records
    std::int32_t staticGroup;  // 4 + 32 static records
};
// Land records of 26 bytes (u32 flags), static records of 37.
inline constexpr TiledataLayout kTiledataOlder{836, 1188};
// Land records of 30 bytes (u64 flags), static records of 41.
inline constexpr TiledataLayout kTiledataNewer{964, 1316};

// The layout of a tiledata.mul of `size` bytes: a size that fits both takes
// the one whose static group count is a power of two, else the older one.
// Refused when the size fits neither; `path` names the file in the message.
Result<TiledataLayout> TiledataLayoutOf(std::int64_t size, const std::string& path);

// How a data file without index of `fileId` and `size` bytes is cut: fixed
// blocks, or tiledata's groups in the layout its size shows (refused as
// TiledataLayoutOf refuses, naming `path`).
Result<BlockCut> CutOfFile(std::uint8_t fileId, std::int64_t size, const std::string& path);

// Opens a data file (and its index when its type has one) cut as its file
// ID's blocks are.
Status OpenDataFile(DataFile& file, std::uint8_t fileId, const std::string& dataPath, const std::string& indexPath);

// Hue blocks travel in the patch's 1,220-byte form; a hues file keeps
// 708-byte groups. The group as a hue block (empty for one cut short), a
// hue block as a group, and a hue block as writing it into a hues file and
// reading it back gives it.
inline constexpr std::size_t kHueGroupHeader = 4;  // a group's header word, which a hue block has not
Bytes HueBlockOfGroup(ByteView group);
Bytes HueGroupOfBlock(ByteView block);
Bytes HueBlockAsStored(ByteView block);
