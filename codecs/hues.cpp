#include "codecs/hues.h"

#include <algorithm>

namespace {
constexpr std::size_t kEntries = 8;
constexpr std::size_t kHueEntrySize = 88;
constexpr std::size_t kVerdataHueEntrySize = 152;
constexpr std::size_t kHeaderSize = 4;
}  // namespace

void HuesBlock2VerdataHuesBlock(const HuesBlock& source, VerdataHuesBlock& destination) {
    VerdataHuesBlock image{};
    for (std::size_t i = 0; i < kEntries; ++i)
        std::copy_n(source.begin() + kHeaderSize + kHueEntrySize * i, kHueEntrySize,
                    image.begin() + kHeaderSize + kVerdataHueEntrySize * i);
    destination = image;
}

void VerdataHuesBlock2HuesBlock(const VerdataHuesBlock& source, HuesBlock& destination) {
    HuesBlock image{};
    for (std::size_t i = 0; i < kEntries; ++i)
        std::copy_n(source.begin() + kHeaderSize + kVerdataHueEntrySize * i, kHueEntrySize,
                    image.begin() + kHeaderSize + kHueEntrySize * i);
    destination = image;
}

Bytes HuesToVerdataBytes(ByteView d) {
    if (d.size() < kHuesBlockSize) return {};
    HuesBlock source;
    std::copy_n(d.begin(), kHuesBlockSize, source.begin());
    VerdataHuesBlock converted;
    HuesBlock2VerdataHuesBlock(source, converted);
    return Bytes(converted.begin(), converted.end());
}
