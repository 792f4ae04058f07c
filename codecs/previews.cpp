#include "codecs/previews.h"

#include "codecs/colors.h"

std::string MapPreview(ByteView block, const std::vector<std::int32_t>& radarColors, LongArray& picture) {
    constexpr int kCells = 8, kSquare = 10;
    if (block.size() < 4 + 3 * kCells * kCells)
        return "The map block holds " + std::to_string(block.size()) + " bytes, fewer than the 196 of a map block.";
    picture.Reset(kCells * kSquare, kCells * kSquare, 0);
    for (int r = 0; r < kCells; ++r)
        for (int c = 0; c < kCells; ++c) {
            const auto tile = static_cast<std::size_t>(*Bytes2Long(block, 4 + 3 * (8 * r + c), 2));
            const std::int32_t color = tile < radarColors.size() ? radarColors[tile] : 0;
            for (int y = 0; y < kSquare; ++y)
                for (int x = 0; x < kSquare; ++x) picture.At(kSquare * c + x, kSquare * r + y) = color;
        }
    return "";
}

std::string AnimPreview(ByteView block, LongArray& picture) {
    const std::string pastEnd = "The animation's first frame runs past the end of the block.";
    std::int32_t palette[256];
    for (int i = 0; i < 256; ++i) {
        const auto c = Bytes2Long(block, 2 * i, 2);
        if (!c) return "The animation block is shorter than its palette.";
        palette[i] = Color16To32(*c);
    }
    const auto frames = Bytes2Long(block, 512, 3);
    if (!frames) return "The animation block has no frame count.";
    if (*frames == 0) return "The animation has no frames.";
    const auto first = Bytes2Long(block, 516, 3);
    if (!first) return pastEnd;

    picture.Reset(200, 200, LongArray::kBackground);
    std::int64_t p = static_cast<std::int64_t>(*first) + 512;
    const auto centre = Bytes2Integer(block, p, 2);
    if (!centre) return pastEnd;
    p += 8;
    std::int64_t row = -1;
    int previousTag = 255;
    for (;;) {
        const auto h1 = Bytes2Integer(block, p, 2), h2 = Bytes2Integer(block, p + 2, 2);
        if (!h1 || !h2) return pastEnd;
        if (*h1 == 0x7FFF || *h2 == 0x7FFF) break;
        p += 4;
        const int length = *h1 & 0xFFF;
        const int tag = *h1 / 4096;
        auto x = static_cast<std::int16_t>(*h2 / 64 + *centre);
        if (tag != previousTag) {
            previousTag = tag;
            ++row;
        }
        for (int k = 0; k < length; ++k) {
            const auto index = Bytes2Long(block, p, 1);
            if (!index) return pastEnd;
            if (picture.Contains(x, row)) picture.At(x, row) = palette[*index];
            ++x;
            ++p;
        }
    }
    return "";
}
