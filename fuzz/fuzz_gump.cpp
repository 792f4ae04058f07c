// The gump decoder: whatever it accepts at its size, encoding the grid and
// decoding again gives the same pixels.
#include "codecs/colors.h"
#include "codecs/gump.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    // Sizes up to 1024 keep each run fast; the decoder's own size cap is tested elsewhere.
    const std::int32_t width = static_cast<std::int16_t>(GetLE16(data)) % 1025;
    const std::int32_t height = static_cast<std::int16_t>(GetLE16(data + 2)) % 1025;
    const ByteView block(data + 4, size - 4);
    const Result<ColorGrid> grid = DecodeGump(block, width, height);
    if (!grid) return 0;
    std::vector<std::uint16_t> colors(grid->cells.size());
    for (std::size_t i = 0; i < colors.size(); ++i) colors[i] = static_cast<std::uint16_t>(Color32To16(grid->cells[i]));
    const Result<Bytes> encoded = EncodeGump(colors, width, height);
    FUZZ_CHECK(encoded.has_value());
    const Result<ColorGrid> again = DecodeGump(*encoded, width, height);
    FUZZ_CHECK(again && again->cells == grid->cells);
    return 0;
}
