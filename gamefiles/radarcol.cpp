#include "gamefiles/radarcol.h"

#include "io/bytes.h"
#include "codecs/colors.h"
#include "io/binary_io.h"

std::string ReadRadarColors(const std::string& path, std::vector<std::int32_t>& colors) {
    constexpr std::size_t kColors = 65536;
    InputFile file;
    if (std::string err = file.Open(path); !err.empty()) return err;
    std::vector<std::uint8_t> raw(kColors * 2, 0);
    if (file.ReadAt(0, raw) < 0) return "Cannot read '" + path + "'.";
    std::vector<std::int32_t> loaded(kColors);
    for (std::size_t i = 0; i < kColors; ++i) loaded[i] = Color16To32(GetLE16(&raw[2 * i]));
    colors = std::move(loaded);
    return "";
}
