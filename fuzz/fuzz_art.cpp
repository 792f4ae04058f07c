// The art tile decoders.
#include "codecs/art.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ByteView block(data, size);
    ColorGrid grid;
    if (DecodeLandTile(block, grid)) FUZZ_CHECK(grid.width == 44 && grid.height == 44);
    ColorGrid tile;
    if (DecodeStaticTile(block, tile)) FUZZ_CHECK(tile.width <= 2048 && tile.height <= 2048);
    return 0;
}
