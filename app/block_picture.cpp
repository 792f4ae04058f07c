#include "app/block_picture.h"

#include <QPainter>

#include "codecs/art.h"
#include "codecs/block_facts.h"
#include "codecs/file_ids.h"
#include "codecs/previews.h"
#include "images/bitmap.h"

std::optional<BlockPicture> PictureOfBlock(BlockId id, const PatchBlock& block,
                                           const std::vector<std::int32_t>& radarColors, QRgb background) {
    switch (id.fileId) {
        case kMap:
            if (const Result<ColorGrid> map = MapPreview(block.bytes, radarColors))
                return BlockPicture{GridToImage(*map, background), std::nullopt};
            break;
        case kAnim:
            if (block.Length() <= 0) break;
            if (const Result<ColorGrid> frame = AnimPreview(block.bytes))
                return BlockPicture{GridToImage(*frame, background), std::nullopt};
            break;
        case kArt: {
            Result<ColorGrid> tile = id.blockNumber < 16384 ? DecodeLandTile(block.bytes) : DecodeStaticTile(block.bytes);
            if (!tile) break;
            for (std::int32_t& cell : tile->cells)
                if (cell == kArtBackground) cell = ColorGrid::kBackground;
            return BlockPicture{GridToImage(*tile, background), background};
        }
        case kGumps:
            // Colour 0, the transparent cells, is black in the picture.
            if (const Result<QImage> picture = GumpPicture(block)) return BlockPicture{*picture, qRgb(0, 0, 0)};
            break;
        default:
            if (const auto facts = DescribeBlockData(id.fileId, id.blockNumber, block.bytes);
                facts && facts->picture.width > 0 && facts->picture.height > 0)
                return BlockPicture{GridToImage(PictureColors(facts->picture), background), std::nullopt};
            break;
    }
    return std::nullopt;
}

namespace {
// Light squares behind transparent cells, as image editors draw them.
void PaintCheckerboard(QImage& canvas) {
    constexpr int kSquare = 8;
    QPainter painter(&canvas);
    painter.fillRect(canvas.rect(), QColor(0xFF, 0xFF, 0xFF));
    for (int y = 0; y < canvas.height(); y += kSquare)
        for (int x = (y / kSquare % 2) * kSquare; x < canvas.width(); x += 2 * kSquare)
            painter.fillRect(x, y, kSquare, kSquare, QColor(0xD8, 0xD8, 0xD8));
}
}  // namespace

QImage DrawnPicture(const QImage& picture, std::optional<QRgb> transparent, QSize size) {
    QImage cells = picture.convertToFormat(QImage::Format_ARGB32);
    if (transparent)
        for (int y = 0; y < cells.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(cells.scanLine(y));
            for (int x = 0; x < cells.width(); ++x)
                if ((line[x] & 0xFFFFFFu) == (*transparent & 0xFFFFFFu)) line[x] = 0;
        }
    QImage canvas(size.expandedTo({1, 1}), QImage::Format_RGB32);
    PaintCheckerboard(canvas);
    QPainter(&canvas).drawImage(canvas.rect(), cells.scaled(canvas.size(), Qt::IgnoreAspectRatio, Qt::FastTransformation));
    return canvas;
}
