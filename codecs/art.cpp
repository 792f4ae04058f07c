#include "codecs/art.h"

#include <string>

#include "codecs/colors.h"

namespace {
// How many cells row r of the diamond covers, centred on columns 21 and 22.
std::int32_t LandRowWidth(std::int32_t r) { return r < 22 ? 2 * (r + 1) : 2 * (kLandTileSide - r); }

// The 16-bit grid in the colours the previews draw, the background as 255.
void To32(ColorGrid& grid) {
    for (std::int32_t& cell : grid.cells) cell = cell == ColorGrid::kBackground ? kArtBackground : Color16To32(cell);
}

Result<ColorGrid> Decoded32(Result<ColorGrid> (*decode16)(ByteView, ColorGrid*), ByteView block, ColorGrid* drawn) {
    ColorGrid partial;
    Result<ColorGrid> grid = decode16(block, drawn ? &partial : nullptr);
    if (grid) {
        To32(*grid);
        return grid;
    }
    if (drawn && partial.width > 0) {
        To32(partial);
        *drawn = std::move(partial);
    }
    return grid;
}
}  // namespace

bool OnLandTile(std::int32_t x, std::int32_t y) {
    if (y < 0 || y >= kLandTileSide) return false;
    const std::int32_t half = LandRowWidth(y) / 2;
    return x >= 22 - half && x <= 21 + half;
}

Result<ColorGrid> DecodeLandTile16(ByteView block, ColorGrid* drawn) {
    ColorGrid grid;
    grid.Reset(kLandTileSide, kLandTileSide, ColorGrid::kBackground);
    std::size_t at = 0;
    for (std::int32_t r = 0; r < kLandTileSide; ++r) {
        const std::int32_t half = LandRowWidth(r) / 2;
        for (std::int32_t c = 22 - half; c <= 21 + half && at + 2 <= block.size(); ++c, at += 2)
            grid.At(c, r) = GetLE16(&block[at]);
    }
    if (block.size() >= kLandTileBytes) return grid;
    if (drawn) *drawn = std::move(grid);
    return Error("The land tile holds " + std::to_string(block.size()) + " bytes, fewer than its 2024.");
}

Result<ColorGrid> DecodeStaticTile16(ByteView block, ColorGrid* drawn) {
    const auto width = ReadLE(block, 4, 2), height = ReadLE(block, 6, 2);
    if (!width || !height) return Error("The static tile is shorter than its 8-byte header.");
    if (*width > kStaticTileLimit || *height > kStaticTileLimit || *width == 0 || *height == 0)
        return Error("The static tile is " + std::to_string(*width) + "x" + std::to_string(*height) +
                     " pixels; a tile is 1 to 2048 wide and high.");
    const std::int32_t w = *width, h = *height;
    ColorGrid grid;
    grid.Reset(w, h, ColorGrid::kBackground);
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
            if (*offset + *run >= kStaticTileLimit || (*offset == 0 && *run == 0)) break;
            const std::int64_t first = column + *offset;
            for (std::int32_t k = 0; k < *run; ++k) {
                const auto color = ReadLE(block, p + 2 * static_cast<std::int64_t>(k), 2);
                if (!color) return fail(cut);
                if (!grid.Contains(first + k, y))
                    return fail("Row " + std::to_string(y) + " of the static tile is wider than " + std::to_string(w) +
                                " pixels.");
                grid.At(first + k, y) = *color;
            }
            column = first + *run;
            p += 2 * static_cast<std::int64_t>(*run);
        }
    }
    return grid;
}

Result<ColorGrid> DecodeLandTile(ByteView block, ColorGrid* drawn) { return Decoded32(DecodeLandTile16, block, drawn); }

Result<ColorGrid> DecodeStaticTile(ByteView block, ColorGrid* drawn) {
    return Decoded32(DecodeStaticTile16, block, drawn);
}

Bytes EncodeLandTile(std::span<const std::uint16_t> colors) {
    Bytes out(kLandTileBytes);
    std::size_t at = 0;
    for (std::int32_t y = 0; y < kLandTileSide; ++y)
        for (std::int32_t x = 0; x < kLandTileSide; ++x)
            if (OnLandTile(x, y)) {
                PutLE16(&out[at], colors[static_cast<std::size_t>(y * kLandTileSide + x)]);
                at += 2;
            }
    return out;
}

Result<Bytes> EncodeStaticTile(std::span<const std::uint16_t> colors, std::int32_t width, std::int32_t height,
                               std::uint32_t headerWord) {
    if (width <= 0 || height <= 0 || width > kStaticTileLimit || height > kStaticTileLimit)
        return Error("A static tile of " + std::to_string(width) + " × " + std::to_string(height) +
                     " pixels cannot be written: a static tile is 1 to 2,048 pixels wide and high.");
    const auto w = static_cast<std::size_t>(width);
    if (colors.size() != w * static_cast<std::size_t>(height))
        return Error("The picture holds " + std::to_string(colors.size()) + " colours, not its width times height.");
    const std::size_t data = 8 + 2 * static_cast<std::size_t>(height);
    Bytes out(data);
    PutLE32(&out[0], headerWord);
    PutLE16(&out[4], static_cast<std::uint16_t>(width));
    PutLE16(&out[6], static_cast<std::uint16_t>(height));
    auto run = [&out](std::size_t offset, const std::uint16_t* first, std::size_t length) {
        std::size_t at = out.size();
        out.resize(at + 4 + 2 * length);
        PutLE16(&out[at], static_cast<std::uint16_t>(offset));
        PutLE16(&out[at + 2], static_cast<std::uint16_t>(length));
        for (std::size_t k = 0; k < length; ++k) PutLE16(&out[at + 4 + 2 * k], first[k]);
    };
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
        const std::size_t words = (out.size() - data) / 2;
        if (words > 0xFFFF)
            return Error("The picture's runs are too many for a static tile: row " + std::to_string(y) +
                         " would start beyond the line table's reach of 65,535 words.");
        PutLE16(&out[8 + 2 * y], static_cast<std::uint16_t>(words));
        const std::uint16_t* row = colors.data() + y * w;
        std::size_t end = 0;  // where the previous run ended
        for (std::size_t x = 0; x < w;) {
            if (row[x] == 0) {
                ++x;
                continue;
            }
            std::size_t stop = x;
            while (stop < w && row[stop] != 0) ++stop;
            const std::size_t offset = x - end, length = stop - x;
            // The decoder ends a row at a run reaching 2048, which only a
            // row's first run can: its last pixel goes into a run of its own.
            if (offset + length >= static_cast<std::size_t>(kStaticTileLimit)) {
                run(offset, row + x, length - 1);
                run(0, row + stop - 1, 1);
            } else {
                run(offset, row + x, length);
            }
            end = x = stop;
        }
        run(0, row, 0);
    }
    return out;
}
