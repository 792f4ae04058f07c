#include "codecs/art.h"

#include "codecs/colors.h"

Result<ColorGrid> DecodeLandTile(ByteView block, ColorGrid* drawn) {
    constexpr int kSide = 44;
    ColorGrid grid;
    grid.Reset(kSide, kSide, kArtBackground);
    std::size_t at = 0;
    for (int r = 0; r < kSide; ++r) {
        const int w = r < 22 ? 2 * (r + 1) : 2 * (kSide - r);
        for (int c = 22 - w / 2; c <= 21 + w / 2 && at + 2 <= block.size(); ++c, at += 2)
            grid.At(c, r) = Color16To32(GetLE16(&block[at]));
    }
    if (block.size() >= 2 * 1012) return grid;
    if (drawn) *drawn = std::move(grid);
    return Error("The land tile holds " + std::to_string(block.size()) + " bytes, fewer than its 2024.");
}

Result<ColorGrid> DecodeStaticTile(ByteView block, ColorGrid* drawn) {
    constexpr std::int32_t kLimit = 2048;
    const auto width = ReadLE(block, 4, 2), height = ReadLE(block, 6, 2);
    if (!width || !height) return Error("The static tile is shorter than its 8-byte header.");
    if (*width > kLimit || *height > kLimit || *width == 0 || *height == 0)
        return Error("The static tile is " + std::to_string(*width) + "x" + std::to_string(*height) +
                     " pixels; a tile is 1 to 2048 wide and high.");
    const std::int32_t w = *width, h = *height;
    ColorGrid grid;
    grid.Reset(w, h, kArtBackground);
    auto fail = [&](std::string message) {
        if (drawn) *drawn = std::move(grid);
        return Error(std::move(message));
    };
    const std::string cut = "The static tile's rows run past the end of the block.";
    const std::int64_t data = 8 + 2 * static_cast<std::int64_t>(h);
    const auto size = static_cast<std::int64_t>(block.size());
    for (std::int32_t y = 0; y < h; ++y) {
        const auto table = ReadLE(block, 8 + 2 * static_cast<std::int64_t>(y), 2);
        if (!table) return fail(cut);
        std::int64_t p = data + 2 * static_cast<std::int64_t>(*table);
        std::int64_t column = 0;
        while (p < size) {
            const auto offset = ReadLE(block, p, 2), run = ReadLE(block, p + 2, 2);
            if (!offset || !run) return fail(cut);
            p += 4;
            if (*offset + *run >= kLimit || (*offset == 0 && *run == 0)) break;
            const std::int64_t first = column + *offset;
            for (std::int32_t k = 0; k < *run; ++k) {
                const auto color = ReadLE(block, p + 2 * static_cast<std::int64_t>(k), 2);
                if (!color) return fail(cut);
                if (!grid.Contains(first + k, y))
                    return fail("Row " + std::to_string(y) + " of the static tile is wider than " + std::to_string(w) +
                                " pixels.");
                grid.At(first + k, y) = Color16To32(*color);
            }
            column = first + *run;
            p += 2 * static_cast<std::int64_t>(*run);
        }
    }
    return grid;
}
