#include "patch/user_numbers.h"

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The length of the decimal number (sign, digits, fraction, exponent) at `s`.
std::size_t DecimalLength(const std::string& s, std::size_t at) {
    std::size_t i = at;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        const std::size_t expStart = j;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j;
        if (j > expStart) i = j;
    }
    return i - at;
}

std::optional<double> HexValue(const std::string& digits) {
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    for (char c : digits)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
    const unsigned long v = std::strtoul(digits.c_str(), nullptr, 16);
    // Hexadecimal literals of up to four digits are 16-bit values.
    if (digits.size() <= 4) return static_cast<double>(static_cast<std::int16_t>(v));
    return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(v)));
}
}  // namespace

double LeadingNumber(const std::string& text) {
    std::size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) ++at;
    const std::size_t n = DecimalLength(text, at);
    return n == 0 ? 0.0 : std::strtod(text.substr(at, n).c_str(), nullptr);
}

std::optional<double> WholeNumber(const std::string& text) {
    std::size_t begin = 0, end = text.size();
    while (begin < end && IsBlank(text[begin])) ++begin;
    while (end > begin && IsBlank(text[end - 1])) --end;
    const std::string s = text.substr(begin, end - begin);
    if (s.size() > 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) return HexValue(s.substr(2));
    if (s.empty() || DecimalLength(s, 0) != s.size()) return std::nullopt;
    return std::strtod(s.c_str(), nullptr);
}

std::optional<std::int64_t> RoundInRange(double value, std::int64_t min, std::int64_t max) {
    if (!std::isfinite(value)) return std::nullopt;
    const double r = std::nearbyint(value);
    if (r < static_cast<double>(min) || r > static_cast<double>(max)) return std::nullopt;
    return static_cast<std::int64_t>(r);
}

std::optional<std::int32_t> ParseBlockNumberInput(const std::string& text) {
    std::string s = text;
    if (s.size() >= 2 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        // Hexadecimal digits up to the first other character; none gives 0.
        std::size_t end = 2;
        while (end < s.size() && std::isxdigit(static_cast<unsigned char>(s[end]))) ++end;
        const std::string digits = s.substr(2, end - 2);
        const auto value = digits.empty() ? std::optional<double>(0.0) : WholeNumber("&H" + digits);
        if (!value) return std::nullopt;
        s = std::to_string(static_cast<std::int64_t>(*value));
    }
    const auto value = WholeNumber(s);
    if (!value || *value < 0 || *value > 65535) return std::nullopt;
    return static_cast<std::int32_t>(*RoundInRange(*value, 0, 65535));
}
