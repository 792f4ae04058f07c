// A grid of 32-bit colours (red + 256 * green + 65536 * blue) indexed by
// column and row; the column varies fastest in memory.
#pragma once

#include <cstdint>
#include <vector>

struct ColorGrid {
    // A cell that nothing was drawn into: the picture's background shows there.
    static constexpr std::int32_t kBackground = -1;

    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::int32_t> cells;

    void Reset(std::int32_t w, std::int32_t h, std::int32_t fill) {
        width = w;
        height = h;
        cells.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), fill);
    }
    bool Contains(std::int64_t x, std::int64_t y) const { return x >= 0 && y >= 0 && x < width && y < height; }
    std::int32_t& At(std::int64_t x, std::int64_t y) { return cells[static_cast<std::size_t>(y * width + x)]; }
    std::int32_t At(std::int64_t x, std::int64_t y) const { return cells[static_cast<std::size_t>(y * width + x)]; }
};

// The largest picture a decoder builds (64 million cells, 256 MB): larger
// claims come from damaged flags, not from real blocks.
inline constexpr std::int64_t kMaxPictureCells = std::int64_t{1} << 26;
