// Houses (multis) and map blocks drawn from art: each piece at screen x =
// (x - y) * 22 and y = (x + y) * 22 - z * 4 from the origin, its art's
// bottom centre at (screen x + 22, screen y + 44), the pieces in the order of
// x + y, then z, then the item's height, then their place in the block. The
// command line and the editor both draw here, so that a saved picture is
// the one the panel shows.
#pragma once

#include <QImage>
#include <cstdint>
#include <string>

#include "codecs/art_lookup.h"
#include "io/bytes.h"

// The largest drawing, each way: far beyond a real house, whose components
// lie some dozens of cells apart.
inline constexpr std::int64_t kMostDrawingSide = 8192;

struct BlockDrawing {
    QImage image;  // ARGB32, clear where nothing is drawn; null when nothing is
    std::int32_t drawn = 0;    // pieces drawn from their art
    std::int32_t hidden = 0;   // components left out, being hidden
    std::int32_t missing = 0;  // pieces whose art is missing or damaged: drawn as a tile's outline
    std::string problem;       // why nothing could be drawn
};

// The colour of the outline a piece without art is drawn as.
inline constexpr QRgb kMissingArtOutline = 0xFFFF00FF;

// A multi's components from their items' static art; components whose
// flags are 0 (hidden, in the 16-byte layout) only with `showHidden`.
BlockDrawing DrawMulti(ByteView multi, ArtLookup& art, bool showHidden);

// A map block's 64 cells in their land art at their altitudes, and over
// them the statics of statics block `block` (the patch's, else the
// client's) standing on the block's cells.
BlockDrawing DrawMapBlock(ByteView map, std::int32_t block, ArtLookup& art);

// What a drawing says under it: "12 components drawn, 2 hidden, 1 without
// art (outlined)", then what the source lacks.
std::string DrawingSummary(const BlockDrawing& drawing, const ArtLookup& art, bool multi);
