// The art tile decoders.
#include "codecs/art.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ByteView block(data, size);
    if (const Result<ColorGrid> land = DecodeLandTile(block)) FUZZ_CHECK(land->width == 44 && land->height == 44);
    if (const Result<ColorGrid> tile = DecodeStaticTile(block)) FUZZ_CHECK(tile->width <= 2048 && tile->height <= 2048);
    return 0;
}
