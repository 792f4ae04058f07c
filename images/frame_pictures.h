// Animation frames' pictures as PNG files, their pixels as they are: alpha
// is kept both ways, and black stays black (unlike a gump's PNG).
#pragma once

#include <QImage>
#include <cstdint>
#include <string>

#include "codecs/anim_pictures.h"
#include "io/bytes.h"
#include "io/result.h"

// The picture as an image with alpha; a null image when memory runs out.
QImage FrameImage(const RgbaPicture& picture);

// The bytes of a PNG file of the picture; a picture without pixels (0 wide
// or high) has none and is refused.
Result<Bytes> FramePng(const RgbaPicture& picture);

// A picture file's pixels (opaque where the file has no alpha channel), with
// LoadPicture's refusals; a frame may be up to 65535 pixels wide and high.
// `before` pixels of other frames leave it the rest of kMaxPictureCells: a
// picture claiming more is refused before it is decoded.
Result<RgbaPicture> LoadFramePicture(const std::string& path, std::int64_t before);
