#include "codecs/gump.h"

#include <algorithm>
#include <cmath>

#include "codecs/colors.h"

Result<ColorGrid> DecodeGump(ByteView gump, std::int32_t width, std::int32_t height, ColorGrid* drawn) {
    if (width <= 0 || height <= 0)
        return Error("The gump has no size (" + std::to_string(width) + "x" + std::to_string(height) + ").");
    if (static_cast<std::int64_t>(width) * height > kMaxPictureCells) return Error("The gump is too large to draw.");
    ColorGrid grid;
    grid.Reset(width, height, 0);
    auto fail = [&](std::string message) {
        if (drawn) *drawn = std::move(grid);
        return Error(std::move(message));
    };
    if (static_cast<std::int64_t>(height) * 4 > static_cast<std::int64_t>(gump.size()))
        return fail("The gump's row table runs past the end of the block.");
    const auto units = static_cast<double>(gump.size()) / 4.0;
    for (std::int32_t y = 0; y < height; ++y) {
        const std::int64_t start = *ReadLE(gump, 4 * static_cast<std::int64_t>(y), 3);
        std::int64_t pairs = 0;
        if (y + 1 < height) pairs = *ReadLE(gump, 4 * static_cast<std::int64_t>(y) + 4, 3) - start;
        else pairs = static_cast<std::int64_t>(std::nearbyint(units - static_cast<double>(start)));
        if (pairs <= 0) continue;
        if (4 * (start + pairs) > static_cast<std::int64_t>(gump.size()))
            return fail("Row " + std::to_string(y) + " of the gump runs past the end of the block.");
        const std::uint8_t* pair = gump.data() + 4 * start;
        std::int32_t* line = &grid.At(0, y);
        std::int64_t x = 0;
        for (std::int64_t i = 0; i < pairs; ++i, pair += 4) {
            const std::int32_t run = GetLE16(pair + 2);
            if (x + run > width)
                return fail("Row " + std::to_string(y) + " of the gump is wider than " + std::to_string(width) + " pixels.");
            std::fill_n(line + x, run, Color16To32(GetLE16(pair)));
            x += run;
        }
    }
    return grid;
}

Result<Bytes> EncodeGump(std::span<const std::uint16_t> colors, std::int32_t width, std::int32_t height) {
    if (width <= 0 || height <= 0 || width > 0xFFFF)
        return Error("A gump of " + std::to_string(width) + "x" + std::to_string(height) + " pixels cannot be written.");
    if (colors.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height))
        return Error("The picture holds " + std::to_string(colors.size()) + " colours, not its width times height.");
    Bytes out(static_cast<std::size_t>(height) * 4, 0);
    std::uint32_t unit = static_cast<std::uint32_t>(height);
    auto appendPair = [&](std::uint16_t color, std::uint32_t run) {
        std::uint8_t pair[4];
        PutLE16(pair, color);
        PutLE16(pair + 2, static_cast<std::uint16_t>(run));
        out.insert(out.end(), pair, pair + 4);
        ++unit;
    };
    for (std::int32_t y = 0; y < height; ++y) {
        // The row table keeps three bytes of each unit number.
        if (unit > 0xFFFFFF) return Error("The picture is too large for a gump block.");
        PutLE32(&out[static_cast<std::size_t>(y) * 4], unit);
        const std::uint16_t* row = colors.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width);
        std::uint16_t current = row[0];
        std::uint32_t run = 0;
        for (std::int32_t x = 0; x < width; ++x) {
            if (row[x] == current) {
                ++run;
            } else {
                appendPair(current, run);
                current = row[x];
                run = 1;
            }
        }
        appendPair(current, run);
    }
    return out;
}
