// The small pictures the information panel draws for map and statics blocks.
#pragma once

#include <cstdint>
#include <vector>

#include "codecs/color_grid.h"
#include "io/bytes.h"
#include "io/result.h"

// An 80 x 80 picture of a map block: its 8 x 8 cells (a 4-byte header, then
// 3 bytes per cell whose first two are the tile number) as 10 x 10 squares in
// the tile's radar colour. A block of another length than 196 bytes is
// refused saying so, with the cells it holds drawn into `drawn` when given.
Result<ColorGrid> MapPreview(ByteView block, const std::vector<std::int32_t>& radarColors, ColorGrid* drawn = nullptr);

// The same 80 x 80 picture of a statics block: each cell in the radar colour
// of its highest item (the last of equal heights), as the radar shows it;
// cells without items are background. Items outside the 8 x 8 cells and a
// part record at the end are left out.
ColorGrid StaticsPreview(ByteView block, const std::vector<std::int32_t>& radarColors);
