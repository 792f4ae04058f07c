// Text helpers shared by the block decoders of block_facts.h.
#pragma once

#include <cstdint>
#include <string>

#include <initializer_list>
#include <string_view>

#include "codecs/block_facts.h"
#include "codecs/block_fields.h"

// "0x" and `digits` upper-case hexadecimal digits (more when the value needs them).
std::string HexText(std::uint64_t value, int digits);
// Two upper-case hexadecimal digits a byte, nothing between.
std::string HexBytes(ByteView bytes);

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

// The panel's columns for the fields of `layout`, headed by their names: the
// name first, then single values in the table's order, then rows of values;
// raw bytes and the fields in `skip` left out.
std::vector<std::string> FieldColumns(const RecordLayout& layout, std::initializer_list<std::string_view> skip = {});
// The cells of those columns for `record`.
std::vector<std::string> FieldCells(const RecordLayout& layout, ByteView record,
                                    std::initializer_list<std::string_view> skip = {});
