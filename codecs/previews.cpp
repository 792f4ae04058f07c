#include "codecs/previews.h"

#include "codecs/colors.h"

Result<ColorGrid> MapPreview(ByteView block, const std::vector<std::int32_t>& radarColors, ColorGrid* drawn) {
    constexpr int kCells = 8, kSquare = 10;
    constexpr std::size_t kBlockSize = 4 + 3 * kCells * kCells;
    ColorGrid picture;
    picture.Reset(kCells * kSquare, kCells * kSquare, ColorGrid::kBackground);
    for (int r = 0; r < kCells; ++r)
        for (int c = 0; c < kCells; ++c) {
            const auto tile = ReadLE(block, 4 + 3 * (8 * r + c), 2);
            if (!tile) continue;
            const auto t = static_cast<std::size_t>(*tile);
            const std::int32_t color = t < radarColors.size() ? radarColors[t] : 0;
            for (int y = 0; y < kSquare; ++y)
                for (int x = 0; x < kSquare; ++x) picture.At(kSquare * c + x, kSquare * r + y) = color;
        }
    if (block.size() == kBlockSize) return picture;
    if (drawn) *drawn = std::move(picture);
    return Error("The map block holds " + std::to_string(block.size()) + " bytes, not the 196 of a map block" +
                 (block.size() > kBlockSize ? "; the first 196 are drawn." : "."));
}
