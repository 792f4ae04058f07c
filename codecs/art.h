// Art tiles: landscape tiles are a 44 x 44 diamond of 1012 colours, row
// after row; static tiles carry a width, a height, a line table and runs of
// colours. Cells that no pixel covers keep the background value 255.
#pragma once

#include <cstdint>

#include "io/bytes.h"
#include "codecs/color_grid.h"

inline constexpr std::int32_t kArtBackground = 255;

// Decodes a landscape tile into a 44 x 44 grid. False when the block is
// shorter than its 2024 bytes (the grid then holds what was drawn).
bool DecodeLandTile(ByteView block, ColorGrid& grid);

// Decodes a static tile into a grid of its width and height. False, with
// `grid` untouched, when the width or height is 0 or above 2048 or the header
// is cut off; false as well when a row runs past the block or past the grid.
bool DecodeStaticTile(ByteView block, ColorGrid& grid);
