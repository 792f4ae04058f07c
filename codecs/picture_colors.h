// Pictures as plain pixels, and the one conversion of their colours to the
// game's 16-bit ones that gumps, art tiles and textures share.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "io/bytes.h"

// Four bytes a pixel, red, green, blue and alpha (a PNG's RGBA order), row
// after row.
struct RgbaPicture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    Bytes rgba;
    // Whether the alpha bytes tell what is transparent. A picture without
    // alpha (a bitmap) marks the pixels that draw nothing in black instead,
    // where colour 0 is transparent.
    bool hasAlpha = true;
};

// The darkest visible grey: what a drawn pixel becomes whose colour would
// otherwise be the transparent 0.
inline constexpr std::uint16_t kDarkestGrey = 0x0421;

enum class Transparency {
    kNone,       // land tiles and textures: black is colour 0, alpha is ignored
    kColorZero,  // statics and gumps: colour 0 draws nothing
};

// The 16-bit colour of each pixel of `rgba` (four bytes each) by
// Color32To16. With kColorZero and alpha, a pixel of alpha below 128 is 0 and
// any other is never 0 (kDarkestGrey); without alpha, black gives 0.
std::vector<std::uint16_t> ColorsOfPixels(std::span<const std::uint8_t> rgba, bool hasAlpha, Transparency rule);

