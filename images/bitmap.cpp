#include "images/bitmap.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <cstdlib>
#include <vector>

#include "codecs/gump.h"
#include "codecs/picture_colors.h"
#include "patch/file_types.h"
#include "io/binary_io.h"
#include "io/save_file.h"

namespace {
// Qt refuses pictures above 128 MiB by default, about 5,800 x 5,800 pixels.
constexpr int kPictureLimitMiB = 1024;

// The pixels a picture file claims. Qt gives no size for a bitmap it will
// not read, so a bitmap's header is read here.
std::int64_t ClaimedPixels(QSize size, const Bytes& file) {
    if (size.isValid()) return std::int64_t{size.width()} * size.height();
    if (file.size() < 26 || file[0] != 'B' || file[1] != 'M') return 0;
    const auto width = static_cast<std::int32_t>(GetLE32(&file[18]));
    const auto height = static_cast<std::int32_t>(GetLE32(&file[22]));
    return std::abs(std::int64_t{width}) * std::abs(std::int64_t{height});
}

QRgb ToQRgb(std::int32_t c) { return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }

// Qt gives a null picture when it cannot allocate one.
Error NoMemoryForPicture() { return Error("There is not enough memory for the picture.", ErrorCode::kOutOfMemory); }

// A size that `use` does not take, named as it claims; nothing when it does.
std::optional<Error> WrongSize(const std::string& path, QSize size, const PictureUse& use) {
    if (use.kind) {
        if (Status fits = CheckPictureSize(*use.kind, size.width(), size.height(), "The picture '" + path + "'"); !fits)
            return fits.error();
    } else if (size.width() > use.largestSide || size.height() > use.largestSide) {
        return Error("The picture '" + path + "' is " + std::to_string(size.width()) + "x" +
                     std::to_string(size.height()) + " pixels; " + use.what + " can be at most " +
                     std::to_string(use.largestSide) + " pixels wide and high.");
    }
    return std::nullopt;
}

// The picture's pixels as red, green, blue, alpha bytes, row after row (a
// row of 32-bit pixels needs no padding). Null when Qt cannot allocate it.
QImage RgbaImage(const QImage& picture) {
    return picture.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_RGBA8888 : QImage::Format_RGBX8888);
}

std::span<const std::uint8_t> PixelBytes(const QImage& rgba) {
    return {rgba.constBits(), static_cast<std::size_t>(rgba.sizeInBytes())};
}

// Writes a picture Qt encoded in memory; an existing file is replaced only
// when all of it was written.
Status WriteEncoded(bool encoded, const QByteArray& bytes, const std::string& path) {
    if (!encoded) return Error("Cannot encode the picture.");
    SaveFile file;
    if (Status opened = file.Open(path); !opened) return opened;
    file.Write(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())));
    return file.Commit();
}

bool IsPng(const std::string& path) {
    return path.size() >= 4 && QByteArray::fromStdString(path.substr(path.size() - 4)).toLower() == ".png";
}
}  // namespace

QImage GridToImage(const ColorGrid& grid, QRgb background) {
    QImage image(grid.width, grid.height, qAlpha(background) == 255 ? QImage::Format_RGB32 : QImage::Format_ARGB32);
    if (image.isNull()) return image;  // Qt could not allocate it
    for (std::int32_t y = 0; y < grid.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (std::int32_t x = 0; x < grid.width; ++x) {
            const std::int32_t c = grid.At(x, y);
            line[x] = c == ColorGrid::kBackground ? background : ToQRgb(c);
        }
    }
    return image;
}

Result<QImage> LoadPicture(const QString& path) { return LoadPicture(QFile::encodeName(path).toStdString()); }

Result<QImage> LoadPicture(const std::string& path, const PictureUse& use) {
    // Read by the core, which refuses FIFOs and devices and takes any name the
    // system can spell; Qt decodes from memory.
    const Result<Bytes> read = ReadWholeFile(path);
    if (!read) return read.error();
    const Bytes& file = *read;
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(file.data()), static_cast<qsizetype>(file.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader::setAllocationLimit(kPictureLimitMiB);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    const std::optional<Error> wrongSize = size.isValid() ? WrongSize(path, size, use) : std::nullopt;
    // The sizes a block takes are named before anything else.
    if (wrongSize && use.kind) return *wrongSize;
    if (ClaimedPixels(size, file) > use.mostPixels)
        return Error("The picture '" + path + "' is too large: " + use.what + " holds at most " +
                     std::to_string(use.mostPixels) + " pixels" +
                     (use.mostPixels == kMaxPictureCells ? " (8192 x 8192)." : "."));
    if (wrongSize) return *wrongSize;
    const bool png = reader.format() == "png";  // known only before the read
    QImage image = reader.read();
    if (image.isNull())
        return Error("Cannot read the picture '" + path + "': " + reader.errorString().toStdString() + ".");
    // Only a PNG's alpha means transparency; in a bitmap black does, as modders expect.
    if (!png) image = image.convertToFormat(QImage::Format_RGB32);
    if (image.isNull())
        return Error("There is not enough memory for the picture '" + path + "'.", ErrorCode::kOutOfMemory);
    if (use.kind) {
        if (std::optional<Error> wrong = WrongSize(path, image.size(), use)) return *wrong;
    } else if (image.width() > use.largestSide || image.height() > use.largestSide) {
        const std::string side = std::to_string(use.largestSide);
        return Error("The picture '" + path + "' is larger than " + use.what + " can be (" + side + " x " + side +
                     " pixels).");
    }
    return image;
}

Status SavePicture(const QImage& image, const QString& path) {
    return SavePicture(image, QFile::encodeName(path).toStdString());
}

Status SavePicture(const QImage& image, const std::string& path) {
    if (image.isNull()) return Error("There is no picture to save.");
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    bool encoded = false;
    if (IsPng(path)) {
        // Black is the game's colour 0, which it draws transparent.
        QImage png = image.convertToFormat(QImage::Format_ARGB32);
        if (png.isNull()) return NoMemoryForPicture();
        for (int y = 0; y < png.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(png.scanLine(y));
            for (int x = 0; x < png.width(); ++x)
                if ((line[x] & 0xFFFFFF) == 0) line[x] = qRgba(0, 0, 0, 0);
        }
        encoded = png.save(&buffer, "PNG");
    } else {
        encoded = image.convertToFormat(QImage::Format_RGB32).save(&buffer, "BMP");
    }
    return WriteEncoded(encoded, bytes, path);
}

Result<RgbaPicture> LoadBlockPicture(const std::string& path, PictureKind kind) {
    const std::int32_t side = LargestSide(kind);
    const Result<QImage> image = LoadPicture(path, {side, PictureKindName(kind), std::int64_t{side} * side, kind});
    if (!image) return image.error();
    const QImage rgba = RgbaImage(*image);
    if (rgba.isNull()) return NoMemoryForPicture();
    const std::span<const std::uint8_t> pixels = PixelBytes(rgba);
    return RgbaPicture{rgba.width(), rgba.height(), Bytes(pixels.begin(), pixels.end()), rgba.hasAlphaChannel()};
}

Status SaveBlockPicture(const RgbaPicture& picture, const std::string& path) {
    if (picture.width <= 0 || picture.height <= 0 ||
        picture.rgba.size() != 4 * static_cast<std::size_t>(picture.width) * static_cast<std::size_t>(picture.height))
        return Error("There is no picture to save.");
    const QImage pixels(picture.rgba.data(), picture.width, picture.height, 4 * picture.width, QImage::Format_RGBA8888);
    const bool png = IsPng(path);
    // A bitmap has no alpha: black marks what draws nothing, which the pixels already hold.
    const QImage image = pixels.convertToFormat(png && picture.hasAlpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (image.isNull()) return NoMemoryForPicture();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    return WriteEncoded(image.save(&buffer, png ? "PNG" : "BMP"), bytes, path);
}

Status ImportGumpFromBmp(Patch& patch, std::int32_t blockNumber, const QImage& picture) {
    if (picture.isNull()) return Error("There is no picture to import.");
    const int w = picture.width(), h = picture.height();
    if (w > kMaxGumpSide || h > kMaxGumpSide) return Error("A gump can be at most 32767 pixels wide and high.");
    if (std::int64_t{w} * h > kMaxPictureCells)
        return Error("The picture is too large: a gump holds at most 8192 x 8192 pixels.");
    const QImage rgba = RgbaImage(picture);
    if (rgba.isNull()) return NoMemoryForPicture();
    const std::vector<std::uint16_t> colors =
        ColorsOfPixels(PixelBytes(rgba), picture.hasAlphaChannel(), Transparency::kColorZero);
    const Result<Bytes> block = EncodeGump(colors, w, h);
    if (!block) return Error("The picture is too large for a gump block.");
    patch.RemoveBlock(kGumps, blockNumber);
    patch.Append(kGumps, blockNumber, *block, static_cast<std::int16_t>(h), static_cast<std::int16_t>(w));
    return {};
}

Result<QImage> GumpPicture(const PatchBlock& block) {
    const Result<ColorGrid> grid = DecodeGump(block.bytes, block.flagB, block.flagA);
    if (!grid) return grid.error();
    QImage image = GridToImage(*grid, qRgb(0, 0, 0));
    if (image.isNull()) return NoMemoryForPicture();
    return image;
}
