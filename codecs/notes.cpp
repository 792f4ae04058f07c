#include "codecs/notes.h"

std::string Grouped(std::int64_t n) {
    const std::string digits = std::to_string(n);
    std::string out;
    const std::size_t sign = n < 0 ? 1 : 0;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > sign && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}
