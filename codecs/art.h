// Art tiles: landscape tiles are a 44 x 44 diamond of 1012 colours, row
// after row; static tiles carry a width, a height, a line table and runs of
// colours. Cells that no pixel covers keep the background value 255.
#pragma once

#include <cstdint>

#include "codecs/color_grid.h"
#include "io/bytes.h"
#include "io/result.h"

inline constexpr std::int32_t kArtBackground = 255;

// A landscape tile as a 44 x 44 grid; refused when the block is shorter than
// its 2024 bytes. Both decoders put what they drew before a refusal into
// `drawn` when it is given and the tile has a size.
Result<ColorGrid> DecodeLandTile(ByteView block, ColorGrid* drawn = nullptr);

// A static tile as a grid of its width and height; refused when the width or
// height is 0 or above 2048, the header is cut off, or a row runs past the
// block or past the grid.
Result<ColorGrid> DecodeStaticTile(ByteView block, ColorGrid* drawn = nullptr);
