#include "patch/user_numbers.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// True when `s` is digits with an optional fraction and exponent.
bool IsDecimal(std::string_view s) {
    std::size_t i = 0, digits = 0;
    while (i < s.size() && IsDigit(s[i])) ++i, ++digits;
    if (i < s.size() && s[i] == '.')
        for (++i; i < s.size() && IsDigit(s[i]); ++i) ++digits;
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        if (++i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        const std::size_t exponent = i;
        while (i < s.size() && IsDigit(s[i])) ++i;
        if (i == exponent) return false;
    }
    return i == s.size();
}

bool IsHexPrefixed(std::string_view s) {
    return s.size() > 2 && ((s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) || (s[0] == '&' && (s[1] == 'H' || s[1] == 'h')));
}

// The whole number `s` spells in decimal, or in hexadecimal after its prefix.
std::optional<std::uint64_t> WholeMagnitude(std::string_view s) {
    const bool hex = IsHexPrefixed(s);
    if (hex) s.remove_prefix(2);
    // from_chars would take a sign of its own.
    if (s.empty() || s[0] == '-' || s[0] == '+') return std::nullopt;
    std::uint64_t v = 0;
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, hex ? 16 : 10);
    if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
    return v;
}

// A magnitude and its sign as one signed value, when it fits.
std::optional<std::int64_t> Signed(bool negative, std::optional<std::uint64_t> m) {
    if (!m) return std::nullopt;
    if (negative) {
        if (*m > std::uint64_t{INT64_MAX} + 1) return std::nullopt;
        return static_cast<std::int64_t>(0 - *m);
    }
    if (*m > std::uint64_t{INT64_MAX}) return std::nullopt;
    return static_cast<std::int64_t>(*m);
}

std::optional<std::uint64_t> Magnitude(std::string_view s) {
    if (const auto whole = WholeMagnitude(s)) return whole;
    if (IsHexPrefixed(s) || !IsDecimal(s)) return std::nullopt;
    std::uint64_t v = 0;
    if (std::from_chars(s.data(), s.data() + s.size(), v).ec == std::errc::result_out_of_range) return std::nullopt;
    // A fraction or an exponent: rounded with halves to even.
    const double d = std::nearbyint(std::strtod(std::string(s).c_str(), nullptr));
    if (!(d < 18446744073709551616.0)) return std::nullopt;
    return static_cast<std::uint64_t>(d);
}
}  // namespace

std::optional<std::int64_t> ParseEditorNumber(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
    return Signed(negative, Magnitude(text));
}

std::optional<std::int64_t> ParseEditorNumber(std::string_view text, std::int64_t min, std::int64_t max) {
    const auto v = ParseEditorNumber(text);
    if (!v || *v < min || *v > max) return std::nullopt;
    return v;
}

std::optional<std::int64_t> ParseCommandLineNumber(std::string_view text, std::int64_t min, std::int64_t max) {
    const bool negative = text.starts_with('-');
    if (negative && min >= 0) return std::nullopt;
    if (negative) text.remove_prefix(1);
    const auto v = Signed(negative, WholeMagnitude(text));
    if (!v || *v < min || *v > max) return std::nullopt;
    return v;
}
