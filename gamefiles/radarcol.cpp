#include "gamefiles/radarcol.h"

#include "codecs/colors.h"
#include "io/binary_io.h"
#include "io/bytes.h"

Result<std::vector<std::int32_t>> ReadRadarColors(const std::string& path) {
    constexpr std::size_t kColors = 65536;
    InputFile file;
    if (Status opened = file.Open(path); !opened) return opened.error();
    std::vector<std::uint8_t> raw(kColors * 2, 0);
    if (!file.ReadAt(0, raw)) return Error("Cannot read '" + path + "'.");
    std::vector<std::int32_t> colors(kColors);
    for (std::size_t i = 0; i < kColors; ++i) colors[i] = Color16To32(GetLE16(&raw[2 * i]));
    return colors;
}
