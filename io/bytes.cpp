#include "io/bytes.h"

namespace {
bool InRange(std::size_t size, std::int64_t pos, std::int64_t count) {
    return pos >= 0 && count >= 0 && static_cast<std::uint64_t>(pos) <= size &&
           static_cast<std::uint64_t>(count) <= size - static_cast<std::uint64_t>(pos);
}
}  // namespace

std::optional<std::int32_t> ReadLE(ByteView bytes, std::int64_t pos, int count) {
    if (count < 1 || count > 4 || !InRange(bytes.size(), pos, count)) return std::nullopt;
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[static_cast<std::size_t>(pos + i)];
    return static_cast<std::int32_t>(value);
}

std::optional<std::int16_t> ReadSignedLE(ByteView bytes, std::int64_t pos, int count) {
    if (count < 1 || count > 2) return std::nullopt;
    auto v = ReadLE(bytes, pos, count);
    if (!v) return std::nullopt;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(*v));
}
