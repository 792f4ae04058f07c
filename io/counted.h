// Counts in messages, with the noun (and what goes with it) in the plural
// unless the count is one.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// "1 block", "0 blocks", "2 live blocks" for ("block"), ("live block").
inline std::string Counted(std::int64_t n, std::string_view noun) {
    return std::to_string(n) + " " + std::string(noun) + (n == 1 ? "" : "s");
}

// The word that agrees with a count: `one` for 1, else `many` ("was", "were").
inline std::string_view ForCount(std::int64_t n, std::string_view one, std::string_view many) {
    return n == 1 ? one : many;
}
