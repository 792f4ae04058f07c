// Gump pictures: a row table of `height` 32-bit words (the unit, in 4 bytes,
// at which each row's pairs begin), then pairs of a 16-bit colour and a 16-bit
// run length, row after row. Width and height travel in the flags (flagB, flagA).
#pragma once

#include <cstdint>
#include <span>

#include "codecs/color_grid.h"
#include "io/bytes.h"
#include "io/result.h"

// The picture of a gump block: width x height cells, 0 where no run
// reaches; or why the block does not decode, with the rows that did in
// `drawn` when it is given and the size is sound.
Result<ColorGrid> DecodeGump(ByteView gump, std::int32_t width, std::int32_t height, ColorGrid* drawn = nullptr);

// Encodes a grid of 16-bit colours (row after row, `width` per row) as a gump
// block: one pair per run of equal colours in each row. Refuses a picture
// that is empty or too large for the format.
Result<Bytes> EncodeGump(std::span<const std::uint16_t> colors, std::int32_t width, std::int32_t height);
