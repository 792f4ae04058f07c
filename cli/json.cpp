#include "cli/json.h"

#include <algorithm>
#include <charconv>

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

void WriteString(std::string& out, const std::string& s) {
    out += '"';
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const char* escape = c == '"' ? "\\\"" : c == '\\' ? "\\\\" : c == '\n' ? "\\n" : c == '\t' ? "\\t"
                           : c == '\r' ? "\\r" : c == '\b' ? "\\b" : c == '\f' ? "\\f" : nullptr;
        if (escape) {
            out += escape;
            ++i;
        } else if (c < 0x20) {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
            ++i;
        } else if (const std::size_t length = SequenceLength(s, i); length == 0) {
            out += "\xEF\xBF\xBD";
            ++i;
        } else {
            out.append(s, i, length);
            i += length;
        }
    }
    out += '"';
}
}  // namespace

Json::Json(std::initializer_list<Member> members) : kind_(Kind::kObject) {
    for (const Member& m : members) Set(m.name, m.value);
}

void Json::Set(const std::string& name, Json value) {
    const auto at = std::lower_bound(names_.begin(), names_.end(), name);
    const auto index = at - names_.begin();
    if (at != names_.end() && *at == name) {
        items_[static_cast<std::size_t>(index)] = std::move(value);
        return;
    }
    names_.insert(at, name);
    items_.insert(items_.begin() + index, std::move(value));
}

std::string Json::Text() const {
    std::string out;
    Write(out, 0);
    out += '\n';
    return out;
}

void Json::Write(std::string& out, int depth) const {
    switch (kind_) {
    case Kind::kBool:
        out += number_ ? "true" : "false";
        return;
    case Kind::kNumber: {
        char digits[24];
        out.append(digits, std::to_chars(digits, digits + sizeof digits, number_).ptr);
        return;
    }
    case Kind::kString:
        WriteString(out, text_);
        return;
    case Kind::kArray:
    case Kind::kObject:
        break;
    }
    const bool object = kind_ == Kind::kObject;
    out += object ? "{\n" : "[\n";
    const std::string indent(4 * static_cast<std::size_t>(depth + 1), ' ');
    for (std::size_t i = 0; i < items_.size(); ++i) {
        out += indent;
        if (object) {
            WriteString(out, names_[i]);
            out += ": ";
        }
        items_[i].Write(out, depth + 1);
        out += i + 1 < items_.size() ? ",\n" : "\n";
    }
    out.append(4 * static_cast<std::size_t>(depth), ' ');
    out += object ? '}' : ']';
}
