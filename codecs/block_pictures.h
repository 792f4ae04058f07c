// Art tiles and textures as pictures and built from pictures, in memory.
// Gumps have their own road (images/bitmap.h): their size lives in the flags.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "codecs/notes.h"
#include "codecs/picture_colors.h"
#include "io/bytes.h"
#include "io/result.h"

enum class PictureKind {
    kLandTile,    // art blocks 0 to 16383: 44 x 44, the diamond
    kStaticTile,  // art blocks from 16384: up to 2048 x 2048, 0 transparent
    kTexture,     // texmaps: 64 x 64 or 128 x 128
};

// What block `blockNumber` of `fileId` is as a picture; none for gumps and
// for blocks that are no pictures.
std::optional<PictureKind> PictureKindOf(std::uint8_t fileId, std::int32_t blockNumber);

// "a land tile", "a static tile", "a texture".
const char* PictureKindName(PictureKind kind);

// The widest and highest picture the kind takes, to refuse larger files
// before decoding them.
std::int32_t LargestSide(PictureKind kind);

// Refuses a size the kind does not take, naming the size and what it takes:
// "<picture> is 40 × 40 pixels; a land tile takes 44 × 44."
Status CheckPictureSize(PictureKind kind, std::int64_t width, std::int64_t height,
                        const std::string& picture = "The picture");

// The block as a picture, transparent where the block draws nothing (with
// alpha only when some pixel is). A land tile's or texture's colour 0 is
// opaque black; a static's colour 0 inside a run is the darkest grey, which
// it comes back as even from a bitmap. `notes` gets what the picture cannot
// keep: pixels with bit 15 set, a static's colour 0 inside runs, bytes after
// a land tile. Refused when the block does not decode.
Result<RgbaPicture> BlockToPicture(PictureKind kind, ByteView block, Notes& notes);

// The block a picture gives (colours as ColorsOfPixels turns them). A static
// takes the header word of `replaced`, the live block it replaces, if any.
// Refused: a size the kind does not take, a static too large for its line table.
Result<Bytes> PictureToBlock(PictureKind kind, const RgbaPicture& picture, std::optional<ByteView> replaced);

// The header word a new static takes: the first four bytes of the block it
// replaces, 0 for a new one (or a block too short to hold one).
std::uint32_t StaticHeaderWord(std::optional<ByteView> replaced);
