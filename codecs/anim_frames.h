// Animation blocks (file ID 6): a palette of 256 16-bit colours, a u32 frame
// count at byte 512 and that many u32 offsets counted from byte 512; each
// frame is s16 centre x, s16 centre y, u16 width, u16 height, then runs, each
// a u32 header (bits 0-11 length, 12-21 y offset, 22-31 x offset, both
// 10-bit two's complement) and `length` palette indices, until the header
// 0x7FFF7FFF. A run's first cell lies at x = centre x + x offset,
// y = centre y + height + y offset; cells no run covers are transparent.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "io/bytes.h"
#include "io/result.h"

using AnimPalette = std::array<std::uint16_t, 256>;

// A cell no run covers.
inline constexpr std::int16_t kAnimTransparent = -1;

struct AnimFrame {
    std::int16_t centreX = 0;
    std::int16_t centreY = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    // width * height cells, row after row: a palette index or kAnimTransparent.
    std::vector<std::int16_t> cells;
    // Cells the block's runs placed outside the frame's width x height box,
    // left out by the decoder; 0 for frames not read from a block.
    std::int64_t cellsOutside = 0;
    bool operator==(const AnimFrame&) const = default;
};

struct Animation {
    AnimPalette palette{};
    std::vector<AnimFrame> frames;
    bool operator==(const Animation&) const = default;
};

// Decodes an animation block; the palette's colours come with bit 15
// (unused) cleared. Or why the block does not decode.
Result<Animation> DecodeAnimation(ByteView block);

// Encodes frames and palette in the one layout this program writes, so that
// a block it wrote decodes and encodes again to the same bytes: the palette
// (bit 15 cleared), the count, the offsets, then each frame right after the
// one before: its header, its runs row by row from the top and left to
// right, each the longest stretch of covered cells of its row (at most
// 4,095), and the end mark. Or why the frames cannot be written (one the run
// offsets cannot address is named).
Result<Bytes> EncodeAnimation(const Animation& animation);

// Whether the frame can be written; if not, why, beginning with `name`.
Status CheckAnimFrame(const AnimFrame& frame, const std::string& name);
