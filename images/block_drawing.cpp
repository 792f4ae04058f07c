#include "images/block_drawing.h"

#include <algorithm>
#include <optional>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "codecs/art.h"
#include "codecs/block_fields.h"
#include "codecs/colors.h"
#include "codecs/file_ids.h"

namespace {
constexpr std::int64_t kHalfTile = kLandTileSide / 2;  // 22: a cell's step across and down
constexpr std::int64_t kStepUp = 4;                    // pixels a unit of z raises a piece

struct Piece {
    std::int32_t art;  // the art block
    std::int64_t x, y, z;
    std::int32_t height;  // the item's tiledata height
    std::size_t place;    // in the block
};

// Back to front: the order the pieces are drawn in.
void SortForDrawing(std::vector<Piece>& pieces) {
    std::sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) {
        return std::tuple(a.x + a.y, a.z, a.height, a.place) < std::tuple(b.x + b.y, b.z, b.height, b.place);
    });
}

QRgb Opaque(std::int32_t color16) {
    const std::int32_t c = Color16To32(color16 & 0x7FFF);
    return qRgb(c & 0xFF, c >> 8 & 0xFF, c >> 16 & 0xFF);
}

// The number fields of one record, by name.
class Record {
public:
    Record(const RecordLayout& layout, ByteView bytes) : layout_(layout), bytes_(bytes) {}
    std::int64_t operator[](std::string_view name) const {
        const BlockField* field = FindField(layout_, name);
        return field ? static_cast<std::int64_t>(FieldNumber(*field, bytes_)) : 0;
    }

private:
    const RecordLayout& layout_;
    ByteView bytes_;
};

// Calls fn(record, place) for each whole record of a block of `fileId`.
template <class Fn>
void ForEachRecord(std::uint8_t fileId, ByteView block, Fn&& fn) {
    const BlockType& type = *BlockTypeOf(fileId, 0);
    const RecordLayout& layout = LayoutOf(type, block);
    const std::size_t count = RecordsHeld(type, layout, block.size());
    for (std::size_t i = 0; i < count; ++i)
        fn(Record(layout, block.subspan(RecordOffset(type, layout, i), layout.size)), i, layout);
}

// Draws the groups of pieces one after the other, each group back to front.
BlockDrawing Compose(std::vector<std::vector<Piece>> groups, ArtLookup& art, BlockDrawing drawing) {
    std::unordered_map<std::int32_t, std::optional<ColorGrid>> decoded;
    auto tileOf = [&](std::int32_t block) -> const std::optional<ColorGrid>& {
        auto [at, fresh] = decoded.try_emplace(block);
        if (!fresh) return at->second;
        const ByteView bytes = art.Block(kArt, block);
        if (bytes.empty()) return at->second;
        Result<ColorGrid> grid = block < kArtStaticBase ? DecodeLandTile16(bytes) : DecodeStaticTile16(bytes);
        if (grid) at->second = std::move(*grid);
        return at->second;
    };
    struct Placed {
        const ColorGrid* tile;  // nullptr: the outline of a tile
        std::int64_t left, top;
    };
    std::vector<Placed> placed;
    std::int64_t x0 = INT64_MAX, y0 = INT64_MAX, x1 = INT64_MIN, y1 = INT64_MIN;
    for (std::vector<Piece>& group : groups) {
        SortForDrawing(group);
        for (const Piece& p : group) {
            const std::int64_t sx = (p.x - p.y) * kHalfTile, sy = (p.x + p.y) * kHalfTile - p.z * kStepUp;
            const std::optional<ColorGrid>& tile = tileOf(p.art);
            const std::int64_t w = tile ? tile->width : kLandTileSide, h = tile ? tile->height : kLandTileSide;
            // The art's bottom centre on the cell's.
            const Placed at{tile ? &*tile : nullptr, sx + kHalfTile - w / 2, sy + 2 * kHalfTile - h};
            placed.push_back(at);
            x0 = std::min(x0, at.left), y0 = std::min(y0, at.top);
            x1 = std::max(x1, at.left + w), y1 = std::max(y1, at.top + h);
            ++(tile ? drawing.drawn : drawing.missing);
        }
    }
    if (placed.empty()) return drawing;
    if (x1 - x0 > kMostDrawingSide || y1 - y0 > kMostDrawingSide) {
        drawing.problem = "The drawing would be " + std::to_string(x1 - x0) + " x " + std::to_string(y1 - y0) +
                          " pixels, more than " + std::to_string(kMostDrawingSide) + " each way: its pieces lie too far apart.";
        return drawing;
    }
    QImage image(static_cast<int>(x1 - x0), static_cast<int>(y1 - y0), QImage::Format_ARGB32);
    if (image.isNull()) {
        drawing.problem = "There is not enough memory to draw it.";
        return drawing;
    }
    image.fill(Qt::transparent);
    auto put = [&](std::int64_t x, std::int64_t y, QRgb color) {
        reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y - y0)))[x - x0] = color;
    };
    for (const Placed& p : placed) {
        if (!p.tile) {
            for (std::int32_t y = 0; y < kLandTileSide; ++y)
                for (std::int32_t x = 0; x < kLandTileSide; ++x)
                    if (OnLandTile(x, y) && !(OnLandTile(x - 1, y) && OnLandTile(x + 1, y) && OnLandTile(x, y - 1) && OnLandTile(x, y + 1)))
                        put(p.left + x, p.top + y, kMissingArtOutline);
            continue;
        }
        for (std::int32_t y = 0; y < p.tile->height; ++y)
            for (std::int32_t x = 0; x < p.tile->width; ++x)
                if (const std::int32_t cell = p.tile->At(x, y); cell != ColorGrid::kBackground) put(p.left + x, p.top + y, Opaque(cell));
    }
    drawing.image = std::move(image);
    return drawing;
}
}  // namespace

BlockDrawing DrawMulti(ByteView multi, ArtLookup& art, bool showHidden) {
    BlockDrawing drawing;
    std::vector<Piece> pieces;
    ForEachRecord(kMultis, multi, [&](const Record& r, std::size_t place, const RecordLayout& layout) {
        // Only the 16-byte rows mark components hidden.
        if (layout.size == 16 && r["flags"] == 0 && !showHidden) {
            ++drawing.hidden;
            return;
        }
        const auto item = static_cast<std::int32_t>(r["item"]);
        pieces.push_back({kArtStaticBase + item, r["x"], r["y"], r["z"], art.ItemHeight(item), place});
    });
    return Compose({std::move(pieces)}, art, std::move(drawing));
}

BlockDrawing DrawMapBlock(ByteView map, std::int32_t block, ArtLookup& art) {
    std::vector<Piece> land, items;
    ForEachRecord(kMap, map, [&](const Record& r, std::size_t place, const RecordLayout&) {
        const auto cell = static_cast<std::int64_t>(place);
        land.push_back({static_cast<std::int32_t>(r["tile"]), cell % 8, cell / 8, r["z"], 0, place});
    });
    // Copied: the client's bytes last only until its next block is read.
    const ByteView held = art.Block(kStatics, block);
    const Bytes statics(held.begin(), held.end());
    ForEachRecord(kStatics, statics, [&](const Record& r, std::size_t place, const RecordLayout&) {
        if (r["x"] >= 8 || r["y"] >= 8) return;  // off the block's cells
        const auto item = static_cast<std::int32_t>(r["item"]);
        items.push_back({kArtStaticBase + item, r["x"], r["y"], r["z"], art.ItemHeight(item), place});
    });
    return Compose({std::move(land), std::move(items)}, art, {});
}

std::string DrawingSummary(const BlockDrawing& drawing, const ArtLookup& art, bool multi) {
    const std::int32_t total = drawing.drawn + drawing.hidden + drawing.missing;
    std::string text = std::to_string(total) + (multi ? " components: " : " land cells and statics: ") +
                       std::to_string(drawing.drawn) + " drawn";
    if (drawing.hidden > 0) text += ", " + std::to_string(drawing.hidden) + " hidden";
    if (drawing.missing > 0) text += ", " + std::to_string(drawing.missing) + " without art (outlined)";
    text += ".";
    if (!drawing.problem.empty()) text += "\n" + drawing.problem;
    // A house stands on no statics block.
    for (const auto& [fileId, line] : art.Lacking())
        if (!(multi && fileId == kStatics)) text += "\n" + line;
    return text;
}
