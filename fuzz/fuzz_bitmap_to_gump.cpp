// A picture file turned into a gump block: whatever is imported decodes to
// the picture's colours as the 16-bit conversion gives them.
#include <QBuffer>
#include <QImageReader>

#include "images/bitmap.h"
#include "codecs/colors.h"
#include "fuzz_support.h"
#include "patch/file_types.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAllocationLimit(16);  // megabytes
    const QSize claimed = reader.size();
    if (claimed.isValid() && static_cast<long long>(claimed.width()) * claimed.height() > 1 << 20) return 0;
    const QImage picture = reader.read();
    if (picture.isNull()) return 0;
    Patch patch;
    if (!ImportGumpFromBmp(patch, 5, picture)) return 0;
    const Result<QImage> picked = GumpPicture(patch[kGumps].blocks.back());
    FUZZ_CHECK(picked.has_value());
    const QImage& decoded = *picked;
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y)
        for (int x = 0; x < rgb.width(); ++x) {
            const QRgb c = rgb.pixel(x, y);
            const std::int32_t expected = Color16To32(Color32To16(qRed(c) + 256 * qGreen(c) + 65536 * qBlue(c)));
            const QRgb d = decoded.pixel(x, y);
            FUZZ_CHECK(qRed(d) + 256 * qGreen(d) + 65536 * qBlue(d) == expected);
        }
    return 0;
}
