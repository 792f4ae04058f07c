// Numbers typed by the user, read the way the editor always has: a leading
// number of a text (the rest ignored), or a whole text that must be a number
// ("&H" introduces hexadecimal), rounded with halves to the even neighbour.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

// The number at the start of `text` after blanks: 0 when there is none.
double LeadingNumber(const std::string& text);

// The value of `text` when all of it (blanks around allowed) is a decimal
// number with optional sign, fraction and exponent, or "&H" and hex digits
// (four digits 8000..FFFF read as negative 16-bit values).
std::optional<double> WholeNumber(const std::string& text);

// The block number typed at a prompt: decimal (halves to even) or "0x"
// followed by hexadecimal digits; nothing unless it lies in 0..65535.
std::optional<std::int32_t> ParseBlockNumberInput(const std::string& text);

// Rounds to nearest with halves to even; nothing when outside [min, max].
std::optional<std::int64_t> RoundInRange(double value, std::int64_t min, std::int64_t max);
