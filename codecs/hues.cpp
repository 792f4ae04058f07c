#include "codecs/hues.h"

#include <algorithm>

namespace {
constexpr std::size_t kEntries = 8;
constexpr std::size_t kHueEntrySize = 88;
constexpr std::size_t kVerdataHueEntrySize = 152;
constexpr std::size_t kHeaderSize = 4;
}  // namespace

VerdataHuesBlock ToVerdataHues(const HuesBlock& group) {
    VerdataHuesBlock block{};
    for (std::size_t i = 0; i < kEntries; ++i)
        std::copy_n(group.begin() + kHeaderSize + kHueEntrySize * i, kHueEntrySize,
                    block.begin() + kHeaderSize + kVerdataHueEntrySize * i);
    return block;
}

HuesBlock ToHuesGroup(const VerdataHuesBlock& block) {
    HuesBlock group{};
    for (std::size_t i = 0; i < kEntries; ++i)
        std::copy_n(block.begin() + kHeaderSize + kVerdataHueEntrySize * i, kHueEntrySize,
                    group.begin() + kHeaderSize + kHueEntrySize * i);
    return group;
}

Bytes HuesToVerdataBytes(ByteView d) {
    if (d.size() < kHuesBlockSize) return {};
    HuesBlock group;
    std::copy_n(d.begin(), kHuesBlockSize, group.begin());
    const VerdataHuesBlock block = ToVerdataHues(group);
    return Bytes(block.begin(), block.end());
}
