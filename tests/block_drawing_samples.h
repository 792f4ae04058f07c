// Art of solid colours to draw houses and map blocks from: static items and
// land tiles each of one colour, tiledata heights, multis and statics blocks.
#pragma once

#include <QImage>
#include <map>

#include "codecs/art.h"
#include "codecs/file_ids.h"
#include "test_support.h"

// A static item of one 16-bit colour, w x h.
inline B SolidItem(std::uint16_t color, int w, int h) {
    return EncodeStaticTile(std::vector<std::uint16_t>(static_cast<std::size_t>(w * h), color), w, h, 0).value();
}
inline B SolidLand(std::uint16_t color) {
    return EncodeLandTile(std::vector<std::uint16_t>(kLandTileSide * kLandTileSide, color));
}
// How a 16-bit colour is drawn.
inline QRgb Drawn(std::uint16_t c) { return qRgb((c >> 10 & 31) * 8, (c >> 5 & 31) * 8, (c & 31) * 8); }

// Tiledata group 512 (items 0..31) in the older layout with these heights.
inline B ItemGroup(const std::map<int, int>& heights) {
    B group(4 + 32 * 37, 0);
    for (const auto& [item, height] : heights) group[4 + static_cast<std::size_t>(item) * 37 + 16] = static_cast<std::uint8_t>(height);
    return group;
}

// A 16-byte multi row.
struct Component {
    std::uint16_t item;
    std::int16_t x, y, z;
    std::uint32_t flags;
};
inline B MultiOf(const std::vector<Component>& rows) {
    B b;
    for (const Component& c : rows) {
        PutLE(b, c.item, 2);
        PutLE(b, static_cast<std::uint16_t>(c.x), 2);
        PutLE(b, static_cast<std::uint16_t>(c.y), 2);
        PutLE(b, static_cast<std::uint16_t>(c.z), 2);
        PutLE(b, c.flags, 4);
        PutLE(b, 0, 4);
    }
    return b;
}

// The test house's items: a colour and a size each; item 9 has no art.
struct SampleItem {
    std::uint16_t item, color;
    int w, h, height;
};
inline const std::vector<SampleItem> kSampleItems = {
    {1, 0x7C00, 10, 20, 0},  // red
    {2, 0x03E0, 30, 10, 0},  // green
    {3, 0x001F, 12, 12, 9},  // blue, taller
    {5, 0x7FFF, 6, 6, 9},    // white
    {6, 0x03FF, 8, 8, 0},    // cyan
    {7, 0x7E00, 16, 4, 0},   // orange
};

// The art blocks and tiledata group of the sample items.
inline Patch SampleArt() {
    Patch p;
    std::map<int, int> heights;
    for (const SampleItem& s : kSampleItems) {
        p.Append(kArt, kArtStaticBase + s.item, SolidItem(s.color, s.w, s.h), 0, 0);
        heights[s.item] = s.height;
    }
    p.Append(kTiledata, kTiledataLandGroups, ItemGroup(heights), 0, 0);
    return p;
}

// The sample house, listed out of drawing order so that each key is tried
// against the place in the block: item 7 is hidden, item 9 has no art.
inline const std::vector<Component> kSampleHouse = {
    {6, 0, 0, 2, 1},  // over item 1: higher
    {3, 1, 0, 0, 1},  // over item 2: taller
    {2, 1, 0, 0, 1},  // after the cell of x + y = 0
    {1, 0, 0, 0, 1},  // first
    {5, 1, 0, 0, 1},  // over item 3: as tall, later in the block
    {7, 0, 0, 0, 0},  // hidden: over item 1, under item 6
    {9, 2, 0, 0, 1},  // an outline
};
