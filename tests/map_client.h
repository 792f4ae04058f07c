// A small client folder to draw the map from: map0.mul of two block columns
// (1,024 blocks, cells 0..15 across), statics on blocks 0 and 512, and a
// radarcol.mul whose entry e is the 16-bit colour e & 0x7FFF.
#pragma once

#include <filesystem>
#include <string>

#include "codecs/colors.h"
#include "codecs/file_ids.h"
#include "gamefiles/map_radar.h"
#include "test_support.h"

inline constexpr std::int32_t kClientMapBlocks = 1024;

// The client's land tile of cell x, y.
inline std::int32_t ClientTile(std::int32_t x, std::int32_t y) {
    const std::int32_t n = MapBlockOfCell(x, y);
    return (n * 64 + y % 8 * 8 + x % 8) & 0x3FFF;
}

// A static: item, cell in its block, z.
inline B Static(std::uint16_t item, std::uint8_t x, std::uint8_t y, std::int8_t z) {
    B s;
    PutLE(s, item, 2);
    s.push_back(x);
    s.push_back(y);
    s.push_back(static_cast<std::uint8_t>(z));
    PutLE(s, 0, 2);
    return s;
}

// A map block of one tile at z 0.
inline B MapBlockOf(std::uint16_t tile) {
    B block(4, 0);
    for (int i = 0; i < 64; ++i) {
        PutLE(block, tile, 2);
        block.push_back(0);
    }
    return block;
}

// The client's radar entry of cell x, y: the static on block 0 stands above
// its land, the one on block 512 below it.
inline std::int32_t ClientEntry(std::int32_t x, std::int32_t y) {
    return x == 3 && y == 3 ? 0x4010 : ClientTile(x, y);
}

// 0xRRGGBB of radar entry e (-1: black).
inline std::uint32_t EntryRgb(std::int32_t e) {
    if (e < 0) return 0;
    const std::int32_t c = Color16To32(e & 0x7FFF);
    return static_cast<std::uint32_t>((c & 0xFF) << 16 | (c >> 8 & 0xFF) << 8 | (c >> 16 & 0xFF));
}

inline std::string WriteMapClient(const TempDir& dir, const std::string& name = "client") {
    const std::string client = dir / name;
    std::filesystem::create_directories(client);
    B map;
    for (std::int32_t n = 0; n < kClientMapBlocks; ++n) {
        PutLE(map, static_cast<std::uint32_t>(n), 4);
        for (std::int32_t i = 0; i < 64; ++i) {
            PutLE(map, static_cast<std::uint32_t>((n * 64 + i) & 0x3FFF), 2);
            map.push_back(0);
        }
    }
    WriteFileBytes(client + "/map0.mul", map);
    B statics = Static(0x10, 3, 3, 5);
    const B below = Static(0x20, 1, 1, -5);
    statics.insert(statics.end(), below.begin(), below.end());
    std::vector<std::array<std::int32_t, 3>> index(kClientMapBlocks, {-1, -1, 0});
    index[0] = {0, 7, 0};
    index[512] = {7, 7, 0};
    WriteFileBytes(client + "/statics0.mul", statics);
    WriteFileBytes(client + "/staidx0.mul", IndexBytes(index));
    B radarcol;
    for (std::uint32_t e = 0; e < 65536; ++e) PutLE(radarcol, e & 0x7FFF, 2);
    WriteFileBytes(client + "/radarcol.mul", radarcol);
    return client;
}

// Radar colours as the program reads them from that radarcol.mul.
inline std::vector<std::int32_t> ClientColors() {
    std::vector<std::int32_t> colors(65536);
    for (std::int32_t e = 0; e < 65536; ++e) colors[static_cast<std::size_t>(e)] = Color16To32(e & 0x7FFF);
    return colors;
}

// A patch on that client: map block 1 (cells 0..7 by 8..15) of tile 0x200,
// statics block 512 (cells 8..15 by 0..7) with item 3 high on cell 10, 2 and
// none on cell 9, 1, where the client has one below the land.
inline Patch MapTestPatch() {
    return PatchOf({{kMap, 1, MapBlockOf(0x200)}, {kStatics, 512, Static(3, 2, 2, 100)}});
}
