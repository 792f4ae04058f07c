// Hue blocks: the hues file keeps blocks of 708 bytes (a header word and eight
// 88-byte hue entries); the patch and verdata.mul carry them as 1220 bytes (a
// zero header and eight 152-byte entries whose last 64 bytes are zero).
#pragma once

#include <array>
#include <cstdint>

#include "io/bytes.h"

inline constexpr std::size_t kHuesBlockSize = 708;
inline constexpr std::size_t kVerdataHuesBlockSize = 1220;

using HuesBlock = std::array<std::uint8_t, kHuesBlockSize>;
using VerdataHuesBlock = std::array<std::uint8_t, kVerdataHuesBlockSize>;

// The verdata form of a hues file's group: each entry moves to its place,
// the header and the bytes behind each entry are zero.
VerdataHuesBlock ToVerdataHues(const HuesBlock& group);
// The group of a hues file that a verdata form stands for, with a zero header.
HuesBlock ToHuesGroup(const VerdataHuesBlock& block);

// The verdata form of a block read from a hues file, as the import and the
// compare store it; an empty result when the source is too short.
Bytes HuesToVerdataBytes(ByteView d);
