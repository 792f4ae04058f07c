// The map and statics previews.
#include "codecs/previews.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::vector<std::int32_t> radar(65536, 0x102030);
    const ByteView block(data, size);
    if (const Result<ColorGrid> map = MapPreview(block, radar)) FUZZ_CHECK(map->width == 80 && map->height == 80);
    const ColorGrid statics = StaticsPreview(block, radar);
    FUZZ_CHECK(statics.width == 80 && statics.height == 80);
    return 0;
}
