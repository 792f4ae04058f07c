// The picture of a block as the panel draws it, for the patch's block and
// for the client's alike.
#pragma once

#include <QImage>
#include <QSize>
#include <cstdint>
#include <optional>
#include <vector>

#include "patch/block_tree.h"
#include "patch/patch.h"

struct BlockPicture {
    QImage image;
    std::optional<QRgb> transparent;  // the colour of the cells drawn over a checkerboard
};

// The picture of a map, anim, art or gump block, or the one a block's facts
// draw (texmaps, hues); `background` fills the cells outside the drawing.
// None for types without pictures and for data that does not decode.
std::optional<BlockPicture> PictureOfBlock(BlockId id, const PatchBlock& block,
                                           const std::vector<std::int32_t>& radarColors, QRgb background);

// `picture` scaled to `size` cell by cell, its transparent cells over a
// checkerboard.
QImage DrawnPicture(const QImage& picture, std::optional<QRgb> transparent, QSize size);
