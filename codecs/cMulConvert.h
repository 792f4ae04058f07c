// The stateless codec instance that the previews and imports create for one
// operation. Each operation forwards to the free function that does the work.
#pragma once

#include <cstdint>

#include "codecs/colors.h"
#include "codecs/hues.h"

class cMulConvert {
public:
    std::int32_t Color16ToColor32(const std::int32_t& color16) const { return Color16To32(color16); }
    bool Hues2VHues(ByteView d, std::span<std::uint8_t> h) const { return ::Hues2VHues(d, h); }
};
