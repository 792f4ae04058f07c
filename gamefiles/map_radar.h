// Map 0 as the client's radar draws it: every cell in the radar colour of
// the highest of its land and its statics, with or without a patch's map and
// statics blocks over the client's. Drawn in pieces from the client's files
// through the table of forms, by several threads at once, so that no caller
// ever holds the whole facet at one pixel a cell.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "gamefiles/client_folder.h"
#include "io/bytes.h"
#include "io/result.h"
#include "patch/last_blocks.h"
#include "patch/patch.h"

// Cells along a block's side, and the blocks down a facet (4,096 cells): map
// blocks are numbered down the columns, block n at column n / 512, row n % 512.
inline constexpr std::int32_t kCellsPerBlockSide = 8;
inline constexpr std::int32_t kMapBlockRows = 512;

// The facet's width in block columns, told by how many blocks the map holds:
// 896 (7,168 cells) from 458,752 blocks on, else 768 (6,144 cells).
std::int32_t MapColumnsOf(std::int64_t blocks);

inline std::int32_t MapBlockOfCell(std::int32_t x, std::int32_t y) {
    return x / kCellsPerBlockSide * kMapBlockRows + y / kCellsPerBlockSide;
}

// The radar entry of each of a block's 64 cells (row by row): the highest of
// the land and the statics by z decides, a static winning a tie with the land
// and a later static one with an earlier; land tile t is entry t, item i entry
// 0x4000 + i. A static whose entry lies beyond the table shows the land's
// entry. -1 where a cell has neither (a map block cut short or without data).
// Statics outside the block's cells and bytes past the last whole static are
// not looked at.
std::array<std::int32_t, 64> RadarEntries(ByteView mapBlock, ByteView staticsBlock);

// What a patch puts on the map: its live map and statics blocks, and the map
// it carries whole, held apart from the patch (the bytes are shared, not
// copied) so that threads draw from them while the document changes.
class MapPatchLayer {
public:
    explicit MapPatchLayer(const Patch& patch);

    // The patch's block n (its bytes; empty for a block without data), or nullptr.
    const BlockBytes* Map(std::int32_t n) const { return map_.Find(n); }
    const BlockBytes* Statics(std::int32_t n) const { return statics_.Find(n); }
    const std::optional<BlockBytes>& WholeMap() const { return wholeMap_; }
    // Bit 1: the patch holds map block n; bit 2: statics block n.
    std::uint8_t Mark(std::int32_t n) const { return (Map(n) ? 1 : 0) | (Statics(n) ? 2 : 0); }
    // The marks of the blocks of columns c0..c1, rows r0..r1, column by column.
    std::vector<std::uint8_t> Marks(std::int32_t c0, std::int32_t c1, std::int32_t r0, std::int32_t r1) const;
    bool Empty() const { return map_.Empty() && statics_.Empty() && !wholeMap_; }

private:
    LastBlocks map_, statics_;
    std::optional<BlockBytes> wholeMap_;
};

// Marks drawn over a patch's blocks on their border cells: a map block's
// border all round, a statics block's every other border cell, so that the
// two tell apart by shape as well as colour.
inline constexpr std::uint32_t kMapOutline = 0xFF00FF;      // 0xRRGGBB
inline constexpr std::uint32_t kStaticsOutline = 0x00FFFF;

// The cells along one axis of a picture: for each pixel the cell whose
// colour it shows and the cells first..last its square covers (for the
// marks); -1 where a pixel lies off the map.
struct PictureAxis {
    std::vector<std::int32_t> cell, first, last;

    // `count` pixels of `scale` cells each from cell `start`, each showing
    // the cell at the top left of its square.
    static PictureAxis Scaled(std::int32_t start, std::int32_t count, std::int32_t scale, std::int32_t cells);
    // `count` pixels from pixel `start` of a picture drawn at `zoom` pixels a
    // cell, each showing the cell at its centre; at zoom 1 the same as Scaled.
    static PictureAxis Zoomed(std::int64_t start, std::int32_t count, double zoom, std::int32_t cells);
};

class MapRadar {
public:
    // Opens map 0 and its statics in `folder` (the package or the data
    // files, with the folder's verdata.mul over them when asked), drawn in
    // `colors` (65536 colours, 0xBBGGRR as codecs/colors.h makes them), with
    // `layer` over the client's blocks when given. A folder without
    // statics draws the land alone; one without a map fails unless the
    // layer carries a whole map.
    static Result<std::shared_ptr<MapRadar>> Open(const std::string& folder, bool withVerdata,
                                                  std::vector<std::int32_t> colors,
                                                  std::shared_ptr<const MapPatchLayer> layer);
    MapRadar(const MapRadar&) = delete;
    MapRadar& operator=(const MapRadar&) = delete;
    ~MapRadar();

    std::int32_t Columns() const { return columns_; }
    std::int32_t Width() const { return columns_ * kCellsPerBlockSide; }
    std::int32_t Height() const { return kMapBlockRows * kCellsPerBlockSide; }
    const MapPatchLayer* Layer() const { return layer_.get(); }

    // Draws the pixels `xs` by `ys` as 3-byte RGB rows `stride` bytes apart;
    // pixels off the map are black. Safe from several threads at once. Fails
    // when a file changed while it was read.
    Status Draw(const PictureAxis& xs, const PictureAxis& ys, std::uint8_t* rgb, std::size_t stride) const;

private:
    struct Readers;
    MapRadar() = default;
    Result<std::unique_ptr<Readers>> Take() const;
    void Give(std::unique_ptr<Readers> readers) const;

    ClientFolder folder_;
    bool withVerdata_ = true;
    std::optional<Form> mapForm_, staticsForm_;
    std::int32_t columns_ = 0;
    std::vector<std::int32_t> colors_;
    std::shared_ptr<const MapPatchLayer> layer_;
    mutable std::mutex mutex_;
    mutable std::vector<std::unique_ptr<Readers>> idle_;
};

// The client's map blocks of block columns c0..c1 and rows r0..r1 and their
// statics blocks, in `added`, but for those `patch` holds already: a statics
// block only where the client has data for it. Fails when the folder's map
// does not open.
struct ClientMapBlocks {
    Patch added;
    std::int64_t map = 0, statics = 0, kept = 0;  // added, added, left as the patch has them
};
Result<ClientMapBlocks> ReadClientMapBlocks(const std::string& folder, bool withVerdata, const Patch& patch,
                                            std::int32_t c0, std::int32_t c1, std::int32_t r0, std::int32_t r1);

// The folder's radarcol.mul, in any case; "" when it has none.
std::string RadarcolIn(const std::string& folder);
