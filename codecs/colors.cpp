#include "codecs/colors.h"

#include <cmath>

std::int32_t Color16To32(std::int32_t c) {
    const std::int32_t blue = (c & 31) * 8;
    const std::int32_t green = ((c >> 5) & 31) * 8;
    const std::int32_t red = ((c >> 10) & 31) * 8;
    return red + 256 * green + 65536 * blue;
}

namespace {
// Rounds to nearest with halves to even (the default floating-point mode).
std::int32_t RoundEven(double v) { return static_cast<std::int32_t>(std::nearbyint(v)); }
}  // namespace

std::int32_t Color32To16(std::int32_t value) {
    const std::int32_t red = value & 0xFF;
    const std::int32_t green = (value >> 8) & 0xFF;
    const std::int32_t blue = (value >> 16) & 0xFF;
    std::int32_t r = RoundEven(red / 8.1);
    std::int32_t g = RoundEven(green / 8.0);
    std::int32_t b = RoundEven(blue / 8.0);
    if (r > 31) r = 31;
    if (g > 31) g = 31;
    if (b > 31) b = 31;
    return r * 1024 + g * 32 + b;
}
