#include "app/block_picture.h"

#include "codecs/art.h"
#include "codecs/block_facts.h"
#include "codecs/file_ids.h"
#include "codecs/gump.h"
#include "codecs/previews.h"
#include "images/bitmap.h"

namespace {
constexpr QRgb kClear = 0;  // the transparent colour of pictures with alpha
}  // namespace

QImage FactsPicture(const BlockFacts& facts) {
    if (facts.picture.width <= 0 || facts.picture.height <= 0) return {};
    return GridToImage(PictureColors(facts.picture), kClear);
}

BlockPicture PictureOfBlock(BlockId id, const PatchBlock& block, const std::vector<std::int32_t>& radarColors) {
    ColorGrid drawn;
    auto picture = [&](const Result<ColorGrid>& grid, QRgb transparent) {
        BlockPicture p;
        if (!grid) p.problem = grid.error().message;
        const ColorGrid& cells = grid ? *grid : drawn;
        if (cells.width <= 0 || cells.height <= 0) return p;
        p.image = GridToImage(cells, transparent);
        // A picture with alpha needs no transparent colour of its own.
        if (qAlpha(transparent) == 255) p.transparent = transparent;
        return p;
    };
    switch (id.fileId) {
        case kMap: return picture(MapPreview(block.bytes, radarColors, &drawn), kClear);
        case kStatics: return picture(StaticsPreview(block.bytes, radarColors), kClear);
        case kArt: {
            Result<ColorGrid> tile = id.blockNumber < kArtStaticBase ? DecodeLandTile(block.bytes, &drawn)
                                                            : DecodeStaticTile(block.bytes, &drawn);
            for (std::int32_t& cell : (tile ? tile->cells : drawn.cells))
                if (cell == kArtBackground) cell = ColorGrid::kBackground;
            return picture(tile, kClear);
        }
        case kGumps:
            // Colour 0, the transparent cells, is black in the picture "Save to Bmp" writes.
            return picture(DecodeGump(block.bytes, block.flagB, block.flagA, &drawn), qRgb(0, 0, 0));
        default:
            if (const auto facts = DescribeBlockData(id.fileId, id.blockNumber, block.bytes))
                return {FactsPicture(*facts), std::nullopt, {}};
            return {};
    }
}
