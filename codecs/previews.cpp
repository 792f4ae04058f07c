#include "codecs/previews.h"

#include <array>
#include <optional>

#include "codecs/block_fields.h"
#include "codecs/colors.h"
#include "codecs/file_ids.h"

namespace {
constexpr int kCells = 8, kSquare = 10;

void FillSquare(ColorGrid& picture, int column, int row, std::int32_t color) {
    for (int y = 0; y < kSquare; ++y)
        for (int x = 0; x < kSquare; ++x) picture.At(kSquare * column + x, kSquare * row + y) = color;
}
}  // namespace

Result<ColorGrid> MapPreview(ByteView block, const std::vector<std::int32_t>& radarColors, ColorGrid* drawn) {
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
            FillSquare(picture, c, r, color);
        }
    if (block.size() == blockSize) return picture;
    if (drawn) *drawn = std::move(picture);
    const std::string size = std::to_string(blockSize);
    return Error("The map block holds " + std::to_string(block.size()) + " bytes, not the " + size + " of a map block" +
                 (block.size() > blockSize ? "; the first " + size + " are drawn." : "."));
}

ColorGrid StaticsPreview(ByteView block, const std::vector<std::int32_t>& radarColors) {
    const BlockType& type = *BlockTypeOf(kStatics, 0);
    const RecordLayout& layout = type.layouts[0];
    const BlockField& item = *FindField(layout, "item");
    const BlockField& x = *FindField(layout, "x");
    const BlockField& y = *FindField(layout, "y");
    const BlockField& z = *FindField(layout, "z");
    std::array<std::optional<std::pair<std::int64_t, std::int32_t>>, kCells * kCells> top;  // z and colour
    for (std::size_t i = 0, count = RecordsHeld(type, layout, block.size()); i < count; ++i) {
        const ByteView s = block.subspan(RecordOffset(type, layout, i), layout.size);
        const auto cx = static_cast<std::int64_t>(FieldNumber(x, s)), cy = static_cast<std::int64_t>(FieldNumber(y, s));
        const auto height = static_cast<std::int64_t>(FieldNumber(z, s));
        if (cx < 0 || cx >= kCells || cy < 0 || cy >= kCells) continue;
        auto& cell = top[static_cast<std::size_t>(cy * kCells + cx)];
        if (cell && cell->first > height) continue;
        const auto t = static_cast<std::size_t>(kArtStaticBase + FieldNumber(item, s));
        cell = std::pair(height, t < radarColors.size() ? radarColors[t] : 0);
    }
    ColorGrid picture;
    picture.Reset(kCells * kSquare, kCells * kSquare, ColorGrid::kBackground);
    for (int r = 0; r < kCells; ++r)
        for (int c = 0; c < kCells; ++c)
            if (const auto& cell = top[static_cast<std::size_t>(r * kCells + c)]) FillSquare(picture, c, r, cell->second);
    return picture;
}
