// The map and animation preview decoders.
#include "codecs/previews.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::vector<std::int32_t> radar(65536, 0x102030);
    const ByteView block(data, size);
    ColorGrid picture;
    if (MapPreview(block, radar, picture).empty()) FUZZ_CHECK(picture.width == 80 && picture.height == 80);
    if (AnimPreview(block, picture).empty()) FUZZ_CHECK(picture.width == 200 && picture.height == 200);
    return 0;
}
