#include "io/bytes.h"

namespace {
bool InRange(std::size_t size, std::int64_t pos, std::int64_t count) {
    return pos >= 0 && count >= 0 && static_cast<std::uint64_t>(pos) <= size &&
           static_cast<std::uint64_t>(count) <= size - static_cast<std::uint64_t>(pos);
}
}  // namespace

std::optional<std::int32_t> Bytes2Long(ByteView bytes, std::int64_t pos, int count) {
    if (count < 1 || count > 4 || !InRange(bytes.size(), pos, count)) return std::nullopt;
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[static_cast<std::size_t>(pos + i)];
    return static_cast<std::int32_t>(value);
}

std::optional<std::int16_t> Bytes2Integer(ByteView bytes, std::int64_t pos, int count) {
    if (count < 1 || count > 2) return std::nullopt;
    auto v = Bytes2Long(bytes, pos, count);
    if (!v) return std::nullopt;
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(*v));
}

void Long2Bytes(std::int32_t value, std::span<std::uint8_t> bytes, std::int64_t pos, int count) {
    auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < count && i < 4; ++i) {
        std::int64_t at = pos + i;
        if (at < 0 || static_cast<std::uint64_t>(at) >= bytes.size()) return;
        bytes[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(v >> (8 * i));
    }
}

bool CopyByteRange(ByteView source, std::span<std::uint8_t> destination, std::int64_t sourcePos,
                   std::int64_t count, std::int64_t destinationPos) {
    if (count <= 0) return true;
    if (!InRange(source.size(), sourcePos, count) || !InRange(destination.size(), destinationPos, count))
        return false;
    for (std::int64_t i = 0; i < count; ++i)
        destination[static_cast<std::size_t>(destinationPos + i)] = source[static_cast<std::size_t>(sourcePos + i)];
    return true;
}
