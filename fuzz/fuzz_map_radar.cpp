// The radar colours of a map block and its statics: the first byte says
// where the map block's bytes end and the statics' begin.
#include <algorithm>

#include "fuzz_support.h"
#include "gamefiles/map_radar.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const ByteView rest(data + 1, size - 1);
    const std::size_t cut = std::min<std::size_t>(rest.size(), std::size_t{data[0]} * 2);
    for (const std::int32_t entry : RadarEntries(rest.first(cut), rest.subspan(cut))) FUZZ_CHECK(entry >= -1 && entry <= 0xFFFF);
    return 0;
}
