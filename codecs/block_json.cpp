#include "codecs/block_json.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <utility>

#include "codecs/block_fields.h"
#include "codecs/facts_text.h"

namespace {
using Json = nlohmann::json;
using K = FieldKind;

// The bytes of `field` in `record`; a name of width 0 runs to the record's end.
ByteView FieldBytes(const BlockField& field, ByteView record) {
    return record.subspan(field.offset, field.width > 0 ? field.width * field.count : record.size() - field.offset);
}

// Whether a name's bytes read back the same from text: 0x20-0x7E up to a zero
// and only zeros after it. A name running to the end of the block (a skill's)
// ends at its one zero.
bool NameIsText(ByteView bytes, bool toEnd) {
    std::size_t i = 0;
    while (i < bytes.size() && bytes[i] >= 0x20 && bytes[i] <= 0x7E) ++i;
    if (toEnd) return i + 1 == bytes.size() && bytes[i] == 0;
    return std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(i), bytes.end(), [](std::uint8_t c) { return c == 0; });
}

std::string Quoted(std::string_view s) { return Json(std::string(s)).dump(); }

std::string NumberText(const BlockField& f, std::uint64_t v) {
    return f.kind == K::kSigned ? std::to_string(static_cast<std::int64_t>(v)) : std::to_string(v);
}

// The members of a record, in the table's order.
std::vector<std::string> RecordMembers(const RecordLayout& layout, ByteView record) {
    std::vector<std::string> members;
    for (const BlockField& f : layout.fields) {
        const std::string key = Quoted(f.name) + ": ";
        const ByteView bytes = FieldBytes(f, record);
        switch (f.kind) {
            case K::kName:
                if (NameIsText(bytes, f.width == 0))
                    members.push_back(key + Quoted(FixedText(bytes, 0, bytes.size()).text));
                else
                    members.push_back("\"nameBytes\": " + Quoted(HexBytes(bytes)));
                break;
            case K::kBytes:
                if (std::any_of(bytes.begin(), bytes.end(), [](std::uint8_t c) { return c != 0; }))
                    members.push_back(key + Quoted(HexBytes(bytes)));
                break;
            case K::kFlags:
            case K::kBits: {
                const std::uint64_t v = FieldNumber(f, record);
                members.push_back(key + Quoted(HexText(v, 2 * static_cast<int>(f.width))));
                if (f.kind == K::kBits) break;
                std::string names;
                for (int bit = 0; bit < 64; ++bit)
                    if (v >> bit & 1) names += (names.empty() ? "" : ", ") + Quoted(FlagName(bit));
                members.push_back("\"flagNames\": [" + names + "]");
                break;
            }
            default:
                if (f.count == 1) {
                    members.push_back(key + NumberText(f, FieldNumber(f, record)));
                    break;
                }
                std::string values;
                for (std::size_t k = 0; k < f.count; ++k)
                    values += (k ? ", " : "") + NumberText(f, FieldNumber(f, record, k));
                members.push_back(key + "[" + values + "]");
        }
    }
    return members;
}

std::string Joined(const std::vector<std::string>& parts, std::string_view between) {
    std::string out;
    for (std::size_t i = 0; i < parts.size(); ++i) out += (i ? std::string(between) : "") + parts[i];
    return out;
}

// The JSON value of "layout": its name, or a multi's record size.
Json LayoutValue(const RecordLayout& layout) {
    return layout.name.empty() ? Json(layout.size) : Json(std::string(layout.name));
}

// ---- Reading.

enum class Held : std::uint8_t { kMissing, kGiven, kLost };  // kLost: the base's value does not fit the layout
struct Value {
    Bytes bytes;
    Held held = Held::kMissing;
};
using Record = std::vector<Value>;  // one value a field of the layout

// The block being built: the base's values in the target layout, then the document's.
struct Draft {
    const BlockType& type;
    const RecordLayout& layout;
    bool hasBase;
    Value header;
    std::vector<Record> records;

    Record Empty() const {
        Record r(layout.fields.size());
        for (std::size_t i = 0; i < r.size(); ++i) r[i].bytes.resize(layout.fields[i].width * layout.fields[i].count);
        return r;
    }
    std::string RecordName(std::size_t i) const {
        return type.recordsKey.empty() ? std::string(type.recordNoun)
                                       : std::string(type.recordNoun) + " " + std::to_string(i);
    }
};

// A value as the message shows it: its JSON text, held short.
std::string Shown(const Json& v) {
    std::string text = v.dump(-1, ' ', false, Json::error_handler_t::replace);
    if (text.size() > 40) text = text.substr(0, 37) + "...";
    return text;
}

std::string RangeText(const BlockField& f) {
    const unsigned bits = 8 * static_cast<unsigned>(f.width);
    if (f.kind == K::kSigned)
        return std::to_string(-(std::int64_t{1} << (bits - 1))) + " to " + std::to_string((std::int64_t{1} << (bits - 1)) - 1);
    const std::uint64_t max = bits >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << bits) - 1;
    if (f.hexDigits > 0) return HexText(0, f.hexDigits) + " to " + HexText(max, f.hexDigits);
    return "0 to " + std::to_string(max);
}

void PutNumber(std::uint8_t* p, std::size_t width, std::uint64_t v) {
    for (std::size_t i = 0; i < width; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// An integer within the field's range, as the bits its bytes hold.
Result<std::uint64_t> ParseNumber(const Json& v, const BlockField& f, const std::string& where) {
    const unsigned bits = 8 * static_cast<unsigned>(f.width);
    const Error wrong(where + ": " + Shown(v) + " is not an integer from " + RangeText(f) + ".");
    const Error outside(where + ": " + Shown(v) + " is outside " + RangeText(f) + ".");
    if (!v.is_number_integer()) return wrong;
    if (f.kind == K::kSigned) {
        const std::int64_t limit = std::int64_t{1} << (bits - 1);
        if (v.is_number_unsigned() && v.get<std::uint64_t>() >= static_cast<std::uint64_t>(limit)) return outside;
        const auto s = v.get<std::int64_t>();
        if (s < -limit || s >= limit) return outside;
        return static_cast<std::uint64_t>(s);
    }
    if (!v.is_number_unsigned() && v.get<std::int64_t>() < 0) return outside;
    const auto u = v.get<std::uint64_t>();
    if (bits < 64 && u >> bits) return outside;
    return u;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') return (c | 0x20) - 'a' + 10;
    return -1;
}

// Up to 16 hex digits.
std::optional<std::uint64_t> HexDigits(std::string_view s) {
    if (s.empty() || s.size() > 16) return std::nullopt;
    std::uint64_t v = 0;
    for (const char c : s) {
        const int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        v = v << 4 | static_cast<std::uint64_t>(d);
    }
    return v;
}

// "0x" and 1 to 16 hex digits.
std::optional<std::uint64_t> HexNumber(std::string_view s) {
    if (s.size() < 2 || s[0] != '0' || (s[1] != 'x' && s[1] != 'X')) return std::nullopt;
    return HexDigits(s.substr(2));
}

Result<std::uint64_t> ParseHexWord(const Json& v, const BlockField& f, const std::string& where) {
    const std::optional<std::uint64_t> n = v.is_string() ? HexNumber(v.get_ref<const std::string&>()) : std::nullopt;
    if (!n) return Error(where + ": " + Shown(v) + " is not a hex number such as \"" + HexText(0x40, f.hexDigits) + "\".");
    if (f.width < 8 && *n >> (8 * f.width)) return Error(where + ": " + Shown(v) + " is outside " + RangeText(f) + ".");
    return *n;
}

// Bytes from hex digits, `size` of them (any number when 0).
Result<Bytes> ParseHexBytes(const Json& v, std::size_t size, const std::string& where) {
    const std::string need = size > 0 ? std::to_string(2 * size) + " hex digits (the field's " + std::to_string(size) + " bytes)"
                                      : "hex digits, two a byte";
    const Error wrong(where + ": " + Shown(v) + " is not " + need + ".");
    if (!v.is_string()) return wrong;
    const std::string& s = v.get_ref<const std::string&>();
    if (s.size() % 2 != 0 || (size > 0 && s.size() != 2 * size)) return wrong;
    Bytes out;
    for (std::size_t i = 0; i < s.size(); i += 2) {
        const auto pair = HexDigits(std::string_view(s).substr(i, 2));
        if (!pair) return wrong;
        out.push_back(static_cast<std::uint8_t>(*pair));
    }
    return out;
}

// A name's bytes: printable Latin-1 in one byte each, zero-padded to the
// field (ended by one zero where the name runs to the end of the block).
Result<Bytes> ParseName(const Json& v, const BlockField& f, const std::string& where) {
    if (!v.is_string()) return Error(where + ": " + Shown(v) + " is not a text.");
    const std::string& s = v.get_ref<const std::string&>();
    Bytes out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto lead = static_cast<unsigned char>(s[i]);
        unsigned c = lead;
        if ((lead == 0xC2 || lead == 0xC3) && i + 1 < s.size() && (static_cast<unsigned char>(s[i + 1]) & 0xC0) == 0x80)
            c = (lead & 0x1Fu) << 6 | (static_cast<unsigned char>(s[++i]) & 0x3Fu);
        if (c < 0x20 || (c >= 0x7F && c < 0xA0))
            return Error(where + ": " + Shown(v) +
                         " holds a character other than U+0020-U+007E and U+00A0-U+00FF; give \"nameBytes\".");
        out.push_back(static_cast<std::uint8_t>(c));
    }
    if (f.width > 0 && out.size() > f.width)
        return Error(where + ": " + Shown(v) + " is " + std::to_string(out.size()) + " bytes long; the field holds " +
                     std::to_string(f.width) + ".");
    out.resize(f.width > 0 ? f.width : out.size() + 1, 0);
    return out;
}

Result<std::uint64_t> ParseFlagNames(const Json& v, const BlockField& f, const std::string& where) {
    const Error wrong(where + ": " + Shown(v) + " is not a list of flag names such as [\"Wet\", \"Door\"].");
    if (!v.is_array()) return wrong;
    std::uint64_t mask = 0;
    for (const Json& name : v) {
        if (!name.is_string()) return wrong;
        const int bit = FlagBit(name.get_ref<const std::string&>());
        if (bit < 0)
            return Error(where + ": " + Shown(name) + " is no flag name; they are " + FlagName(0) + " ... " +
                         FlagName(31) + " and " + FlagName(32) + " ... " + FlagName(63) + ".");
        if (static_cast<std::size_t>(bit) >= 8 * f.width)
            return Error(where + ": " + Shown(name) + " is not among the " + std::to_string(8 * f.width) +
                         " flags of this layout (" + FlagName(0) + " ... " + FlagName(static_cast<int>(8 * f.width) - 1) + ").");
        mask |= std::uint64_t{1} << bit;
    }
    return mask;
}

std::string AllowedKeys(const RecordLayout& layout, bool listed) {
    std::vector<std::string> keys;
    if (listed) keys.emplace_back("index");
    for (const BlockField& f : layout.fields) {
        keys.emplace_back(f.name);
        if (f.kind == K::kFlags) keys.emplace_back("flagNames");
        if (f.kind == K::kName) keys.emplace_back("nameBytes");
    }
    return Joined(keys, ", ");
}

// Sets the values `object` gives to `record`; `skip` are the keys handled elsewhere.
Status ApplyRecord(const Draft& d, const Json& object, Record& record, const std::string& name,
                   std::initializer_list<std::string_view> skip) {
    const BlockField* flags = nullptr;
    std::optional<std::uint64_t> hexFlags, namedFlags;
    bool named = false;
    for (const auto& [key, v] : object.items()) {
        if (std::find(skip.begin(), skip.end(), key) != skip.end()) continue;
        const std::string where = name + ", \"" + key + "\"";
        const bool flagNames = key == "flagNames", nameBytes = key == "nameBytes";
        const BlockField* f = FindField(d.layout, key);
        for (const BlockField& g : d.layout.fields)
            if ((flagNames && g.kind == K::kFlags) || (nameBytes && g.kind == K::kName)) f = &g;
        if (!f)
            return Error(name + ": \"" + key + "\" is no field of " + std::string(d.type.type) + " records; they have " +
                         AllowedKeys(d.layout, !d.type.recordsKey.empty()) + ".");
        Value& value = record[static_cast<std::size_t>(f - d.layout.fields.data())];
        if (f->kind == K::kName) {
            if (named) return Error(name + ": give \"name\" or \"nameBytes\", not both.");
            named = true;
            Result<Bytes> bytes = nameBytes ? ParseHexBytes(v, f->width, where) : ParseName(v, *f, where);
            if (!bytes) return bytes.error();
            value = {std::move(*bytes), Held::kGiven};
        } else if (f->kind == K::kBytes) {
            Result<Bytes> bytes = ParseHexBytes(v, f->width, where);
            if (!bytes) return bytes.error();
            value = {std::move(*bytes), Held::kGiven};
        } else if (f->kind == K::kFlags || f->kind == K::kBits) {
            flags = f;
            Result<std::uint64_t> n = flagNames ? ParseFlagNames(v, *f, where) : ParseHexWord(v, *f, where);
            if (!n) return n.error();
            (flagNames ? namedFlags : hexFlags) = *n;
        } else if (f->count == 1) {
            const Result<std::uint64_t> n = ParseNumber(v, *f, where);
            if (!n) return n.error();
            PutNumber(value.bytes.data(), f->width, *n);
            value.held = Held::kGiven;
        } else {
            if (!v.is_array() || v.size() > f->count)
                return Error(where + ": " + Shown(v) + " is not a list of at most " + std::to_string(f->count) +
                             " integers from " + RangeText(*f) + ".");
            if (v.size() < f->count && value.held != Held::kGiven)
                return Error(where + ": " + std::to_string(v.size()) + " of its " + std::to_string(f->count) +
                             " values given; with no block to keep the rest from, all are needed.");
            for (std::size_t k = 0; k < v.size(); ++k) {
                const Result<std::uint64_t> n = ParseNumber(v[k], *f, where + "[" + std::to_string(k) + "]");
                if (!n) return n.error();
                PutNumber(value.bytes.data() + f->width * k, f->width, *n);
            }
            value.held = Held::kGiven;
        }
    }
    if (!flags) return {};
    if (hexFlags && namedFlags && *hexFlags != *namedFlags)
        return Error(name + ": \"flags\" " + HexText(*hexFlags, flags->hexDigits) + " and \"flagNames\" (" +
                     HexText(*namedFlags, flags->hexDigits) + ") disagree.");
    Value& value = record[static_cast<std::size_t>(flags - d.layout.fields.data())];
    PutNumber(value.bytes.data(), flags->width, hexFlags ? *hexFlags : *namedFlags);
    value.held = Held::kGiven;
    return {};
}

// The base's records, field by field in the target layout.
Draft FromBase(const BlockType& type, const RecordLayout& layout, std::optional<ByteView> base) {
    Draft d{type, layout, base.has_value(), {}, {}};
    const ByteView b = base.value_or(ByteView());
    if (type.header > 0) {
        d.header.bytes.assign(type.header, 0);
        if (base && b.size() >= type.header) d.header = {Bytes(b.begin(), b.begin() + static_cast<std::ptrdiff_t>(type.header)), Held::kGiven};
    }
    const RecordLayout& from = LayoutOf(type, b);
    const std::size_t held = base ? RecordsHeld(type, from, b.size()) : 0;
    d.records.assign(type.records > 0 ? type.records : held, d.Empty());
    for (std::size_t i = 0; i < held; ++i) {
        const ByteView record = b.subspan(RecordOffset(type, from, i), from.size > 0 ? from.size : b.size());
        for (std::size_t k = 0; k < layout.fields.size(); ++k) {
            const BlockField& to = layout.fields[k];
            const BlockField* was = FindField(from, to.name);
            if (!was) continue;
            const ByteView bytes = FieldBytes(*was, record);
            Value& v = d.records[i][k];
            v.held = Held::kGiven;
            if (to.width == 0) v.bytes.resize(bytes.size());
            // Flags narrowed to the older layout keep their lower word, if the upper one is clear.
            for (std::size_t j = 0; j < bytes.size(); ++j) {
                if (j < v.bytes.size()) v.bytes[j] = bytes[j];
                else if (bytes[j] != 0) v.held = Held::kLost;
            }
        }
    }
    return d;
}

Status ApplyRecords(Draft& d, const Json& list) {
    const std::string key = "\"" + std::string(d.type.recordsKey) + "\"";
    if (!list.is_array()) return Error(key + " is not a list of records.");
    const bool fixed = d.type.records > 0;
    const bool indexed = std::any_of(list.begin(), list.end(), [](const Json& r) { return r.is_object() && r.contains("index"); });
    // Without any index, a list of statics or components is the whole list.
    if (!fixed && !indexed) d.records.resize(list.size(), d.Empty());
    if (fixed && list.size() > d.type.records)
        return Error(key + " gives " + std::to_string(list.size()) + " records; the block holds " +
                     std::to_string(d.type.records) + ".");
    std::vector<bool> seen(d.records.size());
    std::size_t next = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const Json& r = list[i];
        const std::string where = "Record " + std::to_string(i) + " of " + key;
        if (!r.is_object()) return Error(where + " is not an object.");
        std::size_t at = next;
        // A list of statics or components may grow by one record at a time.
        const std::size_t last = fixed ? d.records.size() - 1 : d.records.size();
        if (const auto index = r.find("index"); index != r.end()) {
            if (!index->is_number_integer() || index->get<std::int64_t>() < 0 || index->get<std::uint64_t>() > last)
                return Error(where + ": \"index\" " + Shown(*index) + " is not an integer from 0 to " + std::to_string(last) + ".");
            at = index->get<std::size_t>();
        } else if (at > last) {
            return Error(where + " lies past the " + std::to_string(d.records.size()) + " records the block holds.");
        }
        if (at == d.records.size()) {
            d.records.push_back(d.Empty());
            seen.push_back(false);
        }
        if (seen[at]) return Error(d.RecordName(at) + " is given twice.");
        seen[at] = true;
        if (Status applied = ApplyRecord(d, r, d.records[at], d.RecordName(at), {"index"}); !applied) return applied;
        next = at + 1;
    }
    return {};
}

std::string NoBase(const Draft& d) {
    return d.hasBase ? "the block it builds on has none" : "with no block to build on, the file must give it";
}

Result<Bytes> Encode(const Draft& d) {
    Bytes out;
    if (d.type.header > 0) {
        if (d.header.held != Held::kGiven) return Error("\"header\" is missing: " + NoBase(d) + ".");
        out = d.header.bytes;
    }
    for (std::size_t i = 0; i < d.records.size(); ++i) {
        const Record& r = d.records[i];
        const bool none = std::none_of(r.begin(), r.end(), [](const Value& v) { return v.held == Held::kGiven; });
        if (none && !d.hasBase)
            return Error(d.RecordName(i) + " is missing: with no block to build on, the file must give every record.");
        const std::size_t at = out.size();
        out.resize(at + d.layout.size);
        for (std::size_t k = 0; k < r.size(); ++k) {
            const BlockField& f = d.layout.fields[k];
            if (r[k].held == Held::kLost)
                return Error(d.RecordName(i) + ", \"" + std::string(f.name) + "\": the value of the block it builds on does not fit the " +
                             std::string(d.layout.name) + " layout (" + RangeText(f) + ").");
            if (r[k].held == Held::kMissing && f.kind != K::kBytes)
                return Error(d.RecordName(i) + ": \"" + std::string(f.name) + "\" is missing: " + NoBase(d) + ".");
            // A record as long as the block (a skill) is its fields one after the other.
            if (d.layout.size == 0) out.insert(out.end(), r[k].bytes.begin(), r[k].bytes.end());
            else std::copy(r[k].bytes.begin(), r[k].bytes.end(), out.begin() + static_cast<std::ptrdiff_t>(at + f.offset));
        }
    }
    return out;
}

Result<Bytes> BuildBlock(const BlockType& type, const Json& doc, std::optional<ByteView> base) {
    if (!doc.is_object()) return Error("The document is not a JSON object: {\"type\": \"" + std::string(type.type) + "\", ...}.");
    const auto typeKey = doc.find("type");
    if (typeKey == doc.end() || *typeKey != std::string(type.type))
        return Error("The document's \"type\" is " + (typeKey == doc.end() ? std::string("missing") : Shown(*typeKey)) +
                     "; this block takes \"" + std::string(type.type) + "\".");

    const RecordLayout* layout = base ? &LayoutOf(type, *base) : type.layouts.size() == 1 ? &type.layouts[0] : nullptr;
    std::string layouts;
    for (const RecordLayout& l : type.layouts) layouts += (layouts.empty() ? "" : " or ") + LayoutValue(l).dump();
    if (const auto given = doc.find("layout"); given != doc.end() && type.layouts.size() > 1) {
        layout = nullptr;
        for (const RecordLayout& l : type.layouts)
            if (*given == LayoutValue(l)) layout = &l;
        if (!layout) return Error("\"layout\" " + Shown(*given) + " is not " + layouts + ".");
    }
    if (!layout) return Error("\"layout\" is missing: with no block to build on, the file must say " + layouts + ".");

    Draft d = FromBase(type, *layout, base);
    for (const auto& [key, v] : doc.items()) {
        if (key == "type" || (key == "layout" && type.layouts.size() > 1)) continue;
        if (key == "header" && type.header > 0) {
            const BlockField word{"header", 0, type.header, K::kUnsigned};
            const Result<std::uint64_t> n = ParseNumber(v, word, "\"header\"");
            if (!n) return n.error();
            PutNumber(d.header.bytes.data(), type.header, *n);
            d.header.held = Held::kGiven;
        } else if (key == type.recordsKey) {
            if (Status applied = ApplyRecords(d, v); !applied) return applied.error();
        } else if (type.recordsKey.empty()) {
            if (Status applied = ApplyRecord(d, doc, d.records[0], d.RecordName(0), {"type"}); !applied)
                return applied.error();
            break;
        } else {
            std::string keys = "type";
            if (type.layouts.size() > 1) keys += ", layout";
            if (type.header > 0) keys += ", header";
            return Error("\"" + key + "\" is no member of a " + std::string(type.type) + " document; it has " + keys +
                         ", " + std::string(type.recordsKey) + ".");
        }
    }
    return Encode(d);
}

const BlockType* TypeOrNull(std::uint8_t fileId, std::int32_t blockNumber) { return BlockTypeOf(fileId, blockNumber); }

Error NoFields(std::uint8_t fileId) {
    return Error("Blocks of file ID " + std::to_string(fileId) + " have no JSON form.");
}

// A number as the panel shows it, in decimal or "0x" hex; else the text, to be refused as not a number.
Json NumberFromText(const std::string& text) {
    if (const std::optional<std::uint64_t> hex = HexNumber(text)) return *hex;
    const Json n = Json::parse(text, nullptr, false);
    return n.is_number_integer() ? n : Json(text);
}

std::vector<std::string> Words(std::string_view text) {
    std::vector<std::string> words;
    std::string word;
    for (const char c : text) {
        if (c != ' ' && c != '\t' && c != ',') word += c;
        else if (!word.empty()) words.push_back(std::exchange(word, {}));
    }
    if (!word.empty()) words.push_back(word);
    return words;
}
}  // namespace

Result<std::string> BlockToJson(std::uint8_t fileId, std::int32_t blockNumber, ByteView block) {
    const BlockType* type = TypeOrNull(fileId, blockNumber);
    if (!type) return NoFields(fileId);
    const RecordLayout& layout = LayoutOf(*type, block);
    if (!FitsLayout(*type, layout, block.size()))
        return Error("The block holds " + std::to_string(block.size()) + " bytes; a " + std::string(type->type) +
                     " block takes " + LengthsTaken(*type) + ".");

    std::vector<std::string> members = {"\"type\": " + Quoted(type->type)};
    if (type->layouts.size() > 1) members.push_back("\"layout\": " + LayoutValue(layout).dump());
    if (type->header == 4) members.push_back("\"header\": " + std::to_string(GetLE32(block.data())));
    if (type->recordsKey.empty()) {
        for (std::string& m : RecordMembers(layout, block)) members.push_back(std::move(m));
    } else {
        std::vector<std::string> records;
        for (std::size_t i = 0; i < RecordsHeld(*type, layout, block.size()); ++i)
            records.push_back("{" + Joined(RecordMembers(layout, block.subspan(RecordOffset(*type, layout, i), layout.size)), ", ") + "}");
        members.push_back(Quoted(type->recordsKey) + ": " +
                          (records.empty() ? "[]" : "[\n        " + Joined(records, ",\n        ") + "\n    ]"));
    }
    return "{\n    " + Joined(members, ",\n    ") + "\n}\n";
}

Result<Bytes> BlockFromJson(std::uint8_t fileId, std::int32_t blockNumber, std::string_view json,
                            std::optional<ByteView> base) {
    const BlockType* type = TypeOrNull(fileId, blockNumber);
    if (!type) return NoFields(fileId);
    Json doc;
    try {
        doc = Json::parse(json);
    } catch (const Json::parse_error& e) {
        return Error("The document is not JSON: it breaks off or goes wrong at byte " + std::to_string(e.byte) + ".");
    } catch (const Json::exception&) {  // a number past what a double holds
        return Error("The document holds a number too large to read.");
    }
    return BuildBlock(*type, doc, base);
}

Result<Bytes> SetBlockField(std::uint8_t fileId, std::int32_t blockNumber, ByteView block, std::size_t record,
                            std::string_view field, std::string_view text) {
    const BlockType* type = TypeOrNull(fileId, blockNumber);
    if (!type) return NoFields(fileId);
    const std::string key(field), value(text);
    Json doc = {{"type", type->type}};
    if (key == "header") {
        doc[key] = NumberFromText(value);
        return BuildBlock(*type, doc, block);
    }
    Json r = Json::object();
    const BlockField* f = FindField(LayoutOf(*type, block), key);
    if (!f || f->kind == K::kName || f->kind == K::kBytes) {
        r[key] = value;
    } else if (f->kind == K::kFlags && !HexNumber(value)) {
        r["flagNames"] = Words(value);
    } else if (f->kind == K::kFlags || f->kind == K::kBits) {
        r[key] = value;
    } else if (f->count == 1) {
        r[key] = NumberFromText(value);
    } else {
        Json values = Json::array();
        for (const std::string& w : Words(value)) values.push_back(NumberFromText(w));
        r[key] = values;
    }
    if (type->recordsKey.empty()) {
        doc.update(r);
    } else {
        r["index"] = record;
        doc[std::string(type->recordsKey)] = Json::array({r});
    }
    return BuildBlock(*type, doc, block);
}
