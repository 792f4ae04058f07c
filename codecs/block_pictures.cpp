#include "codecs/block_pictures.h"

#include "codecs/art.h"
#include "codecs/block_facts.h"
#include "codecs/colors.h"
#include "codecs/file_ids.h"

namespace {
struct KindFacts {
    const char* name;
    const char* takes;
    std::int32_t largestSide;
};

KindFacts FactsOf(PictureKind kind) {
    switch (kind) {
        case PictureKind::kLandTile: return {"a land tile", "44 × 44", kLandTileSide};
        case PictureKind::kStaticTile: return {"a static tile", "at most 2,048 × 2,048", kStaticTileLimit};
        case PictureKind::kTexture: break;
    }
    return {"a texture", "64 × 64 or 128 × 128", 128};
}

std::string Pixels(std::int64_t n) { return Grouped(n) + (n == 1 ? " pixel" : " pixels"); }

// The picture of a grid of 16-bit colours, transparent where it holds
// ColorGrid::kBackground. Where 0 is transparent, a drawn 0 is written as
// the colour it would come back as.
RgbaPicture PictureOfCells(const ColorGrid& cells, Transparency rule, Notes& notes) {
    RgbaPicture picture{cells.width, cells.height, Bytes(4 * cells.cells.size(), 0), false};
    std::int64_t highBit = 0, zeros = 0;
    for (std::size_t i = 0; i < cells.cells.size(); ++i) {
        std::int32_t c = cells.cells[i];
        if (c == ColorGrid::kBackground) {
            picture.hasAlpha = true;
            continue;
        }
        highBit += (c & 0x8000) != 0;
        if (rule == Transparency::kColorZero && (c & 0x7FFF) == 0) {
            ++zeros;
            c = kDarkestGrey;
        }
        const std::int32_t rgb = Color16To32(c);
        std::uint8_t* p = &picture.rgba[4 * i];
        p[0] = static_cast<std::uint8_t>(rgb), p[1] = static_cast<std::uint8_t>(rgb >> 8);
        p[2] = static_cast<std::uint8_t>(rgb >> 16), p[3] = 255;
    }
    if (highBit)
        notes.push_back(Pixels(highBit) + (highBit == 1 ? " loses" : " lose") +
                        " bit 15, which a picture does not keep.");
    if (zeros)
        notes.push_back(Pixels(zeros) + " of colour 0 inside the runs " + (zeros == 1 ? "becomes" : "become") +
                        " the darkest grey (0x0421): black there would be transparent.");
    return picture;
}
}  // namespace

std::optional<PictureKind> PictureKindOf(std::uint8_t fileId, std::int32_t blockNumber) {
    if (fileId == kArt) return blockNumber < 16384 ? PictureKind::kLandTile : PictureKind::kStaticTile;
    if (fileId == kTexmaps) return PictureKind::kTexture;
    return std::nullopt;
}

const char* PictureKindName(PictureKind kind) { return FactsOf(kind).name; }

std::int32_t LargestSide(PictureKind kind) { return FactsOf(kind).largestSide; }

Status CheckPictureSize(PictureKind kind, std::int64_t width, std::int64_t height, const std::string& picture) {
    bool fits = false;
    switch (kind) {
        case PictureKind::kLandTile: fits = width == kLandTileSide && height == kLandTileSide; break;
        case PictureKind::kStaticTile:
            fits = width > 0 && height > 0 && width <= kStaticTileLimit && height <= kStaticTileLimit;
            break;
        case PictureKind::kTexture: fits = width == height && (width == 64 || width == 128); break;
    }
    if (fits) return {};
    const KindFacts facts = FactsOf(kind);
    return Error(picture + " is " + Grouped(width) + " × " + Grouped(height) + " pixels; " + facts.name + " takes " +
                 facts.takes + ".");
}

Result<RgbaPicture> BlockToPicture(PictureKind kind, ByteView block, Notes& notes) {
    if (kind == PictureKind::kTexture) {
        const BlockFacts facts = TexmapFacts(block);
        if (facts.picture.cells.empty()) return Error(facts.problem);
        ColorGrid cells;
        cells.width = facts.picture.width, cells.height = facts.picture.height;
        cells.cells.assign(facts.picture.cells.begin(), facts.picture.cells.end());
        return PictureOfCells(cells, Transparency::kNone, notes);
    }
    const bool land = kind == PictureKind::kLandTile;
    const Result<ColorGrid> cells = land ? DecodeLandTile16(block) : DecodeStaticTile16(block);
    if (!cells) return cells.error();
    RgbaPicture picture = PictureOfCells(*cells, land ? Transparency::kNone : Transparency::kColorZero, notes);
    if (land && block.size() > kLandTileBytes)
        notes.push_back("The block holds " + Grouped(static_cast<std::int64_t>(block.size() - kLandTileBytes)) +
                        " bytes after the tile's 2,024, which the picture does not keep.");
    return picture;
}

Result<Bytes> PictureToBlock(PictureKind kind, const RgbaPicture& picture, std::optional<ByteView> replaced) {
    if (Status fits = CheckPictureSize(kind, picture.width, picture.height); !fits) return fits.error();
    const std::size_t pixels = static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height);
    if (picture.rgba.size() != 4 * pixels)
        return Error("The picture holds " + Grouped(static_cast<std::int64_t>(picture.rgba.size())) +
                     " bytes, not four for each of its pixels.");
    const bool statics = kind == PictureKind::kStaticTile;
    const std::vector<std::uint16_t> colors =
        ColorsOfPixels(picture.rgba, picture.hasAlpha, statics ? Transparency::kColorZero : Transparency::kNone);
    if (statics) return EncodeStaticTile(colors, picture.width, picture.height, StaticHeaderWord(replaced));
    if (kind == PictureKind::kLandTile) return EncodeLandTile(colors);
    Bytes texture(2 * pixels);
    for (std::size_t i = 0; i < pixels; ++i) PutLE16(&texture[2 * i], colors[i]);
    return texture;
}

std::uint32_t StaticHeaderWord(std::optional<ByteView> replaced) {
    return replaced && replaced->size() >= 4 ? GetLE32(replaced->data()) : 0;
}
