// Pictures to and from image files (Windows bitmaps, or PNG when the name
// ends in ".png"), through Qt's image reading and writing: gumps, and the
// plain pixels of art tiles and textures.
#pragma once

#include <QImage>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>

#include "codecs/block_pictures.h"
#include "codecs/color_grid.h"
#include "io/result.h"
#include "patch/patch.h"

// The largest width or height a gump can have: the flags are 16-bit signed.
inline constexpr int kMaxGumpSide = 32767;

// A picture of the grid; cells holding ColorGrid::kBackground get `background`
// (a transparent one gives a picture with alpha). Null when Qt cannot allocate it.
QImage GridToImage(const ColorGrid& grid, QRgb background);

// What a picture is loaded to become: how wide and high it may be, and its
// name in messages.
struct PictureUse {
    int largestSide;
    const char* what;  // "a gump"
    // The most pixels it may have; a picture claiming more is refused unread.
    std::int64_t mostPixels = kMaxPictureCells;
    // A block that takes certain sizes only: others are refused by
    // CheckPictureSize, which names them.
    std::optional<PictureKind> kind = std::nullopt;
};
inline constexpr PictureUse kGumpPicture{kMaxGumpSide, "a gump"};

// Loads a picture file; refuses one that cannot be read or is wider or
// taller than `use` allows. Only a PNG keeps its alpha channel. Refuses
// anything but a regular file, and pictures of more pixels than `use` allows
// (at most kMaxPictureCells), saying they are too large.
Result<QImage> LoadPicture(const QString& path);
// The same for a path as the system spells it (bytes, perhaps not UTF-8).
Result<QImage> LoadPicture(const std::string& path, const PictureUse& use = kGumpPicture);

// Saves an image as a Windows bitmap, or as PNG when the name ends in
// ".png" (black pixels, the gump's colour 0, then transparent); an existing
// file is replaced only when the whole image was written.
Status SavePicture(const QImage& image, const QString& path);
Status SavePicture(const QImage& image, const std::string& path);

// Loads a picture for a block of `kind` as plain pixels (with alpha only
// from a PNG that has it); refuses a size the kind does not take, larger
// ones before decoding them, besides LoadPicture's refusals.
Result<RgbaPicture> LoadBlockPicture(const std::string& path, PictureKind kind);

// Saves plain pixels as a PNG of 8-bit RGB, or RGBA when some pixel is not
// opaque, not interlaced; or as a 24-bit Windows bitmap, whose transparent
// pixels are black. Replaces an existing file only when all was written.
Status SaveBlockPicture(const RgbaPicture& picture, const std::string& path);

// Builds gump block `blockNumber` from the picture and puts it into the patch
// (with an alpha channel: alpha below 128 is colour 0, and an opaque pixel
// whose colour would be 0 becomes 0x0421): the first live block of that
// number is marked removed and the new one is appended with flagA = height
// and flagB = width. On a refusal the patch is untouched.
Status ImportGumpFromBmp(Patch& patch, std::int32_t blockNumber, const QImage& picture);

// The picture of a gump block as the preview draws it (cells of value 0
// black), or why it does not decode.
Result<QImage> GumpPicture(const PatchBlock& block);
