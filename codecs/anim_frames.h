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

// The widest and tallest frame: real frames are a few hundred pixels, so a
// larger one is damage (a width of -3 read as 65,533), never allocated.
inline constexpr std::uint16_t kLargestAnimFrameSide = 2048;

// A block decoded as far as it goes.
struct AnimDecoding {
    // The palette and the frames that decode, in the block's order.
    Animation animation;
    std::vector<std::size_t> numbers;  // each frame's number in the block
    std::size_t count = 0;             // the frames the block holds
    // Why frames are left out, one line each in frame order; or the one
    // reason no frame decodes (the block's palette, count or offsets).
    std::vector<std::string> damage;
    // The block is damaged and no frame of it decodes.
    bool Undecodable() const { return animation.frames.empty() && !damage.empty(); }
};

// Decodes what can be decoded of an animation block, the palette's colours
// with bit 15 (unused) cleared. A frame that does not decode (one larger
// than kLargestAnimFrameSide either way, one starting outside the block or
// inside another's runs, one whose runs pass the end of the block) is left
// out and named in `damage`.
AnimDecoding DecodeAnimationFrames(ByteView block);

// The damage of a decoding in one text for messages: its first lines and
// how many more there are; "" for a whole block.
std::string DamageText(const AnimDecoding& decoding);

// Decodes an animation block whole; or why it does not decode (its first
// damage).
Result<Animation> DecodeAnimation(ByteView block);

// Encodes frames and palette in the one layout this program writes, so that
// a block it wrote decodes and encodes again to the same bytes: the palette
// (bit 15 cleared), the count, the offsets, then each frame right after the
// one before: its header, its runs row by row from the top and left to
// right, each the longest stretch of covered cells of its row (at most
// 4,095), and the end mark. Or why the frames cannot be written (one the run
// offsets cannot address is named).
Result<Bytes> EncodeAnimation(const Animation& animation);

// Whether the frame can be written (and decodes again: at most
// kLargestAnimFrameSide wide and high); if not, why, beginning with `name`.
Status CheckAnimFrame(const AnimFrame& frame, const std::string& name);
