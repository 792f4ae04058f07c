// Numbers typed by the user, read the same way in every field of the editor
// and every argument of the command-line tool: decimal (a sign, a fraction
// and an exponent allowed, rounded with halves to the even neighbour), or
// hexadecimal after "0x" or "&H" in any case. Hexadecimal digits are unsigned
// (0xFFFF is 65535); a negative number needs a minus sign. Blanks around the
// number are allowed, anything else refuses the whole text.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The number `text` denotes; nothing when it is not one or lies outside the
// 64-bit range.
std::optional<std::int64_t> ParseNumber(std::string_view text);

// ParseNumber within min..max.
std::optional<std::int64_t> ParseNumber(std::string_view text, std::int64_t min, std::int64_t max);
