#include "codecs/picture_colors.h"

#include "codecs/colors.h"

std::vector<std::uint16_t> ColorsOfPixels(std::span<const std::uint8_t> rgba, bool hasAlpha, Transparency rule) {
    std::vector<std::uint16_t> colors(rgba.size() / 4);
    const bool alphaClears = hasAlpha && rule == Transparency::kColorZero;
    for (std::size_t i = 0; i < colors.size(); ++i) {
        const std::uint8_t* p = &rgba[4 * i];
        auto c = static_cast<std::uint16_t>(Color32To16(p[0] + 256 * p[1] + 65536 * p[2]));
        if (alphaClears) c = p[3] < 128 ? 0 : c == 0 ? kDarkestGrey : c;
        colors[i] = c;
    }
    return colors;
}
