#include "app/block_commands.h"

#include <algorithm>
#include <cctype>

#include "patch/user_numbers.h"

std::string EnsureExtension(std::string path, const std::string& extension) {
    if (!path.empty() && path.back() == '\0') path.pop_back();
    std::string wanted = "." + extension;
    std::string tail = path.size() >= wanted.size() ? path.substr(path.size() - wanted.size()) : path;
    auto upper = [](std::string s) {
        std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
        return s;
    };
    if (upper(tail) != upper(wanted)) path += wanted;
    return path;
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
