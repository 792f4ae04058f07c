#include "codecs/art.h"

#include "codecs/colors.h"

bool DecodeLandTile(ByteView block, ColorGrid& grid) {
    constexpr int kSide = 44;
    grid.Reset(kSide, kSide, kArtBackground);
    std::int64_t at = 0;
    for (int r = 0; r < kSide; ++r) {
        const int w = r < 22 ? 2 * (r + 1) : 2 * (kSide - r);
        for (int c = 22 - w / 2; c <= 21 + w / 2; ++c) {
            const auto color = ReadLE(block, at, 2);
            if (!color) return false;
            grid.At(c, r) = Color16To32(*color);
            at += 2;
        }
    }
    return true;
}

bool DecodeStaticTile(ByteView block, ColorGrid& grid) {
    constexpr std::int32_t kLimit = 2048;
    const auto width = ReadLE(block, 4, 2), height = ReadLE(block, 6, 2);
    if (!width || !height || *width > kLimit || *height > kLimit || *width == 0 || *height == 0) return false;
    const std::int32_t w = *width, h = *height;
    grid.Reset(w, h, kArtBackground);
    const std::int64_t data = 8 + 2 * static_cast<std::int64_t>(h);
    const auto size = static_cast<std::int64_t>(block.size());
    for (std::int32_t y = 0; y < h; ++y) {
        const auto table = ReadLE(block, 8 + 2 * static_cast<std::int64_t>(y), 2);
        if (!table) return false;
        std::int64_t p = data + 2 * static_cast<std::int64_t>(*table);
        std::int64_t column = 0;
        while (p < size) {
            const auto offset = ReadLE(block, p, 2), run = ReadLE(block, p + 2, 2);
            if (!offset || !run) return false;
            p += 4;
            if (*offset + *run >= kLimit || (*offset == 0 && *run == 0)) break;
            const std::int64_t first = column + *offset;
            for (std::int32_t k = 0; k < *run; ++k) {
                const auto color = ReadLE(block, p + 2 * static_cast<std::int64_t>(k), 2);
                if (!color || !grid.Contains(first + k, y)) return false;
                grid.At(first + k, y) = Color16To32(*color);
            }
            column = first + *run;
            p += 2 * static_cast<std::int64_t>(*run);
        }
    }
    return true;
}
