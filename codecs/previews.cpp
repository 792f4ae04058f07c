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
