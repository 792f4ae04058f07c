#include "images/frame_pictures.h"

#include <QBuffer>
#include <QImage>
#include <algorithm>
#include <cstring>

#include "images/bitmap.h"

namespace {
constexpr int kLargestFrameSide = 0xFFFF;  // width and height are 16-bit
}  // namespace

QImage FrameImage(const RgbaPicture& picture) {
    const auto rowBytes = 4 * static_cast<std::size_t>(std::max(picture.width, 0));
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.rgba.size() < rowBytes * static_cast<std::size_t>(picture.height))
        return {};
    QImage image(picture.width, picture.height, QImage::Format_RGBA8888);
    for (int y = 0; !image.isNull() && y < picture.height; ++y)
        std::memcpy(image.scanLine(y), &picture.rgba[rowBytes * static_cast<std::size_t>(y)], rowBytes);
    return image;
}

Result<Bytes> FramePng(const RgbaPicture& picture) {
    if (picture.width <= 0 || picture.height <= 0) return Error("A picture without pixels cannot be saved.");
    if (picture.rgba.size() != 4 * static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height))
        return Error("The picture does not hold 4 bytes for each of its pixels.");
    const QImage image = FrameImage(picture);
    if (image.isNull()) return Error("There is not enough memory for the picture.", ErrorCode::kOutOfMemory);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) return Error("Cannot encode the picture.");
    return Bytes(bytes.begin(), bytes.end());
}

Result<RgbaPicture> LoadFramePicture(const std::string& path, std::int64_t before) {
    const std::string what = before == 0 ? std::string("an animation frame")
                                         : "an animation frame after the " + std::to_string(before) +
                                               " pixels of the frames before it";
    const PictureUse use{kLargestFrameSide, what.c_str(), kMaxPictureCells - std::clamp<std::int64_t>(before, 0, kMaxPictureCells)};
    const Result<QImage> loaded = LoadPicture(path, use);
    if (!loaded) return loaded.error();
    // Straight, not premultiplied, alpha: a half-transparent pixel keeps its colour.
    const QImage image = loaded->convertToFormat(QImage::Format_RGBA8888);
    if (image.isNull())
        return Error("There is not enough memory for the picture '" + path + "'.", ErrorCode::kOutOfMemory);
    RgbaPicture picture{image.width(), image.height(), {}};
    const auto rowBytes = 4 * static_cast<std::size_t>(picture.width);
    picture.rgba.resize(rowBytes * static_cast<std::size_t>(picture.height));
    for (int y = 0; y < picture.height; ++y)
        std::memcpy(&picture.rgba[rowBytes * static_cast<std::size_t>(y)], image.constScanLine(y), rowBytes);
    return picture;
}
