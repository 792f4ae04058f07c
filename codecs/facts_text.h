// Text helpers shared by the block decoders of block_facts.h.
#pragma once

#include <cstdint>
#include <string>

#include "codecs/block_facts.h"

// "0x" and `digits` upper-case hexadecimal digits (more when the value needs them).
std::string HexText(std::uint64_t value, int digits);

// The 8-bit text of at most `maxBytes` bytes from `pos`, ending at the first
// zero or at the end of the block, as UTF-8; control bytes become '?'.
struct FixedString {
    std::string text;
    bool terminated = false;  // a zero ended it
};
FixedString FixedText(ByteView bytes, std::size_t pos, std::size_t maxBytes);

// Keeps the first fault found: it is the one the rest follows from.
void NoteProblem(BlockFacts& facts, const std::string& problem);

// "The block holds N bytes, " as the start of a length fault.
std::string HoldsBytes(std::size_t size);
