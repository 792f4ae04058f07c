#include "codecs/previews.h"

#include "codecs/block_fields.h"
#include "codecs/colors.h"
#include "codecs/file_ids.h"

Result<ColorGrid> MapPreview(ByteView block, const std::vector<std::int32_t>& radarColors, ColorGrid* drawn) {
    constexpr int kCells = 8, kSquare = 10;
    const BlockType& type = *BlockTypeOf(kMap, 0);
    const RecordLayout& layout = type.layouts[0];
    const BlockField& tileField = *FindField(layout, "tile");
    const std::size_t blockSize = RecordOffset(type, layout, type.records);
    ColorGrid picture;
    picture.Reset(kCells * kSquare, kCells * kSquare, ColorGrid::kBackground);
    for (int r = 0; r < kCells; ++r)
        for (int c = 0; c < kCells; ++c) {
            const std::size_t at = RecordOffset(type, layout, static_cast<std::size_t>(8 * r + c));
            if (at + tileField.offset + tileField.width > block.size()) continue;  // a tile without its z is drawn
            const auto t = static_cast<std::size_t>(FieldNumber(tileField, block.subspan(at)));
            const std::int32_t color = t < radarColors.size() ? radarColors[t] : 0;
            for (int y = 0; y < kSquare; ++y)
                for (int x = 0; x < kSquare; ++x) picture.At(kSquare * c + x, kSquare * r + y) = color;
        }
    if (block.size() == blockSize) return picture;
    if (drawn) *drawn = std::move(picture);
    const std::string size = std::to_string(blockSize);
    return Error("The map block holds " + std::to_string(block.size()) + " bytes, not the " + size + " of a map block" +
                 (block.size() > blockSize ? "; the first " + size + " are drawn." : "."));
}

Result<ColorGrid> AnimPreview(ByteView block) {
    const Error pastEnd("The animation's first frame runs past the end of the block.");
    std::int32_t palette[256];
    for (int i = 0; i < 256; ++i) {
        const auto c = ReadLE(block, 2 * i, 2);
        if (!c) return Error("The animation block is shorter than its palette.");
        palette[i] = Color16To32(*c);
    }
    const auto frames = ReadLE(block, 512, 3);
    if (!frames) return Error("The animation block has no frame count.");
    if (*frames == 0) return Error("The animation has no frames.");
    const auto first = ReadLE(block, 516, 3);
    if (!first) return pastEnd;

    // The frame header: centre x, centre y (signed), width, height.
    const std::int64_t frame = static_cast<std::int64_t>(*first) + 512;
    const auto centreX = ReadSignedLE(block, frame, 2), centreY = ReadSignedLE(block, frame + 2, 2);
    const auto height = ReadLE(block, frame + 6, 2);
    if (!centreX || !centreY || !height) return pastEnd;

    ColorGrid picture;
    picture.Reset(200, 200, ColorGrid::kBackground);
    // Each run: a 32-bit header (bits 0-11 length, 12-21 signed y offset,
    // 22-31 signed x offset), then one palette index per pixel. A header or a
    // run cut off by the end of the block ends the drawing.
    auto signed10 = [](std::uint32_t v) { return static_cast<std::int32_t>(v & 0x3FF) - (v & 0x200 ? 0x400 : 0); };
    for (std::int64_t p = frame + 8;;) {
        const auto header = ReadLE(block, p, 4);
        if (!header || static_cast<std::uint32_t>(*header) == 0x7FFF7FFFu) break;
        const auto word = static_cast<std::uint32_t>(*header);
        const std::int64_t length = word & 0xFFF;
        p += 4;
        if (p + length > static_cast<std::int64_t>(block.size())) break;
        const std::int64_t x = *centreX + signed10(word >> 22);
        const std::int64_t y = *centreY + *height + signed10(word >> 12);
        for (std::int64_t k = 0; k < length; ++k, ++p)
            if (picture.Contains(x + k, y)) picture.At(x + k, y) = palette[block[static_cast<std::size_t>(p)]];
    }
    return picture;
}
