// Numbers typed by the user, in two readings.
//
// Editor numbers (the fields and block-number prompts of the editor):
// decimal with a sign, a fraction and an exponent allowed, rounded with
// halves to the even neighbour, or hexadecimal after "0x" or "&H" in any
// case; blanks around the number are allowed.
//
// Command-line numbers (arguments and manifest lines): a whole number,
// decimal (leading zeros stay decimal) or hexadecimal after "0x" or "&H" in
// any case, nothing around it. A minus sign stands first and only where the
// value may be negative ("-0x10", never "0x-10"); no plus sign, blank,
// fraction or exponent: "1.4999" or "1e3" would name another block than the
// user meant.
//
// In both, hexadecimal digits are unsigned (0xFFFF is 65535); anything else
// refuses the whole text.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// The editor number `text` denotes; nothing when it is not one or lies
// outside the 64-bit range.
std::optional<std::int64_t> ParseEditorNumber(std::string_view text);
// ParseEditorNumber within min..max.
std::optional<std::int64_t> ParseEditorNumber(std::string_view text, std::int64_t min, std::int64_t max);

// The command-line number `text` denotes within min..max (a minus sign only
// where min is negative); nothing when it is not one.
std::optional<std::int64_t> ParseCommandLineNumber(std::string_view text, std::int64_t min, std::int64_t max);
