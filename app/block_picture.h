// The picture of a block, drawn one way for the patch's block and for the
// client's alike.
#pragma once

#include <QImage>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "patch/block_tree.h"
#include "patch/patch.h"

struct BlockFacts;

struct BlockPicture {
    QImage image;                     // null: the block has no picture
    std::optional<QRgb> transparent;  // the colour of the cells drawn over a checkerboard
    std::string problem;              // why the data did not decode whole
};

// The picture of a map, art or gump block, or the one a block's facts draw
// (texmaps, hues); an anim block's frames are the player's. A block that does
// not decode whole gives what could be drawn and says why.
BlockPicture PictureOfBlock(BlockId id, const PatchBlock& block, const std::vector<std::int32_t>& radarColors);

// The picture a block's facts draw; null when they draw none.
QImage FactsPicture(const BlockFacts& facts);
