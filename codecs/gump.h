// Gump pictures: a row table of `height` 32-bit words (the unit, in 4 bytes,
// at which each row's pairs begin), then pairs of a 16-bit colour and a 16-bit
// run length, row after row. Width and height travel in FlagB and FlagA.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "io/bytes.h"
#include "codecs/color_grid.h"

// Decodes a gump block into `grid` (width x height cells, 0 where no run
// reaches). "" on success; otherwise why the block does not decode, and
// `grid` holds what was drawn before the fault.
std::string DecodeGump(ByteView gump, ColorGrid& grid, std::int32_t width, std::int32_t height);

// Encodes a grid of 16-bit colours (row after row, `width` per row) as a gump
// block: one pair per run of equal colours in each row. Nothing when the
// picture is empty or too large for the format.
std::optional<Bytes> EncodeGump(std::span<const std::uint16_t> colors, std::int32_t width, std::int32_t height);
