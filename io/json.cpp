#include "io/json.h"

#include <algorithm>

namespace {
// The length of the well-formed UTF-8 sequence at s[i], or 0.
std::size_t SequenceLength(const std::string& s, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char lead = at(i);
    if (lead < 0x80) return 1;
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // the second byte's range
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;       // no overlong forms
        if (lead == 0xED) high = 0x9F;      // no surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;      // nothing above U+10FFFF
    } else {
        return 0;
    }
    if (i + length > s.size() || at(i + 1) < low || at(i + 1) > high) return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (at(i + k) < 0x80 || at(i + k) > 0xBF) return 0;
    return length;
}

// `s` with each byte that is not part of a well-formed sequence replaced.
std::string ValidUtf8(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t length = SequenceLength(s, i);
        if (length == 0) out += "\xEF\xBF\xBD";
        else out.append(s, i, length);
        i += std::max<std::size_t>(length, 1);
    }
    return out;
}

void WriteString(std::string& out, const std::string& s) { out += Json(ValidUtf8(s)).dump(); }

void Write(std::string& out, const Json& value, std::size_t depth) {
    if (value.is_string()) return WriteString(out, value.get_ref<const std::string&>());
    if (!value.is_structured()) {
        out += value.dump();
        return;
    }
    const bool object = value.is_object();
    out += object ? "{\n" : "[\n";
    const std::string indent(4 * (depth + 1), ' ');
    std::size_t left = value.size();
    for (auto at = value.begin(); at != value.end(); ++at) {
        out += indent;
        if (object) {
            WriteString(out, at.key());
            out += ": ";
        }
        Write(out, *at, depth + 1);
        out += --left > 0 ? ",\n" : "\n";
    }
    out.append(4 * depth, ' ');
    out += object ? '}' : ']';
}
}  // namespace

std::string JsonText(const Json& document) {
    std::string out;
    Write(out, document, 0);
    out += '\n';
    return out;
}
