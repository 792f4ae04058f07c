// Little-endian helpers over block data. Every read is bounds-checked: a
// position outside the array yields no value instead of touching memory.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

using Bytes = std::vector<std::uint8_t>;
using ByteView = std::span<const std::uint8_t>;

// Reads `count` bytes (1..4) at `pos` as a little-endian number. With fewer
// than four bytes the result is unsigned; with four it is the signed value.
std::optional<std::int32_t> ReadLE(ByteView bytes, std::int64_t pos, int count);

// Reads one or two bytes at `pos` as a little-endian word and returns it as a
// signed 16-bit number (FF FF gives -1).
std::optional<std::int16_t> ReadSignedLE(ByteView bytes, std::int64_t pos, int count);

// Plain little-endian stores and loads for writers that own their buffer.
inline void PutLE16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutLE32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}
inline void PutLE64(std::uint8_t* p, std::uint64_t v) {
    PutLE32(p, static_cast<std::uint32_t>(v));
    PutLE32(p + 4, static_cast<std::uint32_t>(v >> 32));
}
inline std::uint16_t GetLE16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t GetLE32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::uint64_t GetLE64(const std::uint8_t* p) {
    return GetLE32(p) | (static_cast<std::uint64_t>(GetLE32(p + 4)) << 32);
}
