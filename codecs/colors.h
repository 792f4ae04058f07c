// The game's 16-bit colours (5 bits each of blue, green, red; bit 15 unused)
// and the 32-bit RGB form (red + 256 * green + 65536 * blue) of the previews.
#pragma once

#include <cstdint>

// 16-bit colour to 32-bit colour: every 5-bit channel times 8, so 31 gives 248.
std::int32_t Color16To32(std::int32_t color16);

// The reverse: red / 8.1, green / 8, blue / 8, halves to even, held at 31.
std::int32_t Color32To16(std::int32_t color32);
