// The static tile's encoder: a tile that decodes, made a picture and built
// again, draws the same picture (colour 0 and bit 15 aside, as the notes
// say), and building that tile again gives the same bytes.
#include "codecs/art.h"
#include "codecs/block_pictures.h"
#include "fuzz_support.h"

namespace {
Result<Bytes> Rebuilt(ByteView block) {
    Notes notes;
    const Result<RgbaPicture> picture = BlockToPicture(PictureKind::kStaticTile, block, notes);
    FUZZ_CHECK(picture.has_value());
    return PictureToBlock(PictureKind::kStaticTile, *picture, block);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ByteView block(data, size);
    const Result<ColorGrid> first = DecodeStaticTile16(block);
    // Rows are encoded one by one: taller tiles cost time, not coverage.
    if (!first || first->cells.size() > std::size_t{1} << 18) return 0;
    const Result<Bytes> encoded = Rebuilt(block);
    // Rows sharing their runs in the line table can hold more runs than it reaches.
    if (!encoded) {
        FUZZ_CHECK(encoded.error().message.find("line table") != std::string::npos);
        return 0;
    }
    const Result<ColorGrid> second = DecodeStaticTile16(*encoded);
    FUZZ_CHECK(second.has_value() && second->width == first->width && second->height == first->height);
    for (std::size_t i = 0; i < first->cells.size(); ++i) {
        const std::int32_t c = first->cells[i];
        const std::int32_t kept = c == ColorGrid::kBackground ? c : (c & 0x7FFF) == 0 ? 0x0421 : c & 0x7FFF;
        FUZZ_CHECK(second->cells[i] == kept);
    }
    const Result<Bytes> again = Rebuilt(*encoded);
    FUZZ_CHECK(again.has_value() && *again == *encoded);
    return 0;
}
