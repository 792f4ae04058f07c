// Art tiles: landscape tiles are a 44 x 44 diamond of 1012 colours, row
// after row; static tiles carry a header word, a width, a height, a line
// table and runs of colours.
#pragma once

#include <cstdint>
#include <span>

#include "codecs/color_grid.h"
#include "io/bytes.h"
#include "io/result.h"

// What the 32-bit decoders leave in cells that no pixel covers.
inline constexpr std::int32_t kArtBackground = 255;

inline constexpr std::int32_t kLandTileSide = 44;
inline constexpr std::size_t kLandTileBytes = 2 * 1012;
// The largest width and height of a static tile.
inline constexpr std::int32_t kStaticTileLimit = 2048;

// A landscape tile as a 44 x 44 grid; refused when the block is shorter than
// its 2024 bytes. Both decoders put what they drew before a refusal into
// `drawn` when it is given and the tile has a size.
Result<ColorGrid> DecodeLandTile(ByteView block, ColorGrid* drawn = nullptr);

// A static tile as a grid of its width and height; refused when the width or
// height is 0 or above 2048, the header is cut off, or a row runs past the
// block or past the grid.
Result<ColorGrid> DecodeStaticTile(ByteView block, ColorGrid* drawn = nullptr);

// The same tiles with each cell the 16-bit colour as the block stores it
// (bit 15 included), and ColorGrid::kBackground where nothing is drawn.
Result<ColorGrid> DecodeLandTile16(ByteView block, ColorGrid* drawn = nullptr);
Result<ColorGrid> DecodeStaticTile16(ByteView block, ColorGrid* drawn = nullptr);

// Whether cell (x, y) of a 44 x 44 grid lies on the landscape tile's diamond.
bool OnLandTile(std::int32_t x, std::int32_t y);

// The 2024 bytes of a landscape tile from a 44 x 44 grid of 16-bit colours
// (row after row); the cells off the diamond are not used.
Bytes EncodeLandTile(std::span<const std::uint16_t> colors);

// A static tile from a grid of 16-bit colours (row after row, `width` per
// row) in which 0 draws nothing: each row's stretches of other colours become
// runs, the row ends with a (0, 0) run. A stretch that would reach column
// 2048 is split in two, since the decoder ends a row at such a run. Refused:
// a width or height of 0 or above 2048, or runs that start beyond the
// 16-bit line table's reach.
Result<Bytes> EncodeStaticTile(std::span<const std::uint16_t> colors, std::int32_t width, std::int32_t height,
                               std::uint32_t headerWord);
