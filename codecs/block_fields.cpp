#include "codecs/block_fields.h"

#include <array>

#include "codecs/facts_text.h"
#include "codecs/file_ids.h"

namespace {
using K = FieldKind;

constexpr std::array<BlockField, 3> kLandOlder = {{
    {"flags", 0, 4, K::kFlags, 1, 8},
    {"texture", 4, 2, K::kUnsigned, 1, 4},
    {"name", 6, 20, K::kName},
}};
constexpr std::array<BlockField, 13> kItemOlder = {{
    {"flags", 0, 4, K::kFlags, 1, 8},
    {"weight", 4, 1, K::kUnsigned},
    {"quality", 5, 1, K::kUnsigned},
    {"miscData", 6, 2, K::kUnsigned},
    {"unknown2", 8, 1, K::kUnsigned},
    {"quantity", 9, 1, K::kUnsigned},
    {"animation", 10, 2, K::kUnsigned, 1, 4},
    {"unknown3", 12, 1, K::kUnsigned},
    {"hue", 13, 1, K::kUnsigned},
    {"stackingOffset", 14, 1, K::kUnsigned},
    {"value", 15, 1, K::kUnsigned},
    {"height", 16, 1, K::kUnsigned},
    {"name", 17, 20, K::kName},
}};

// The newer tiledata layout: the same records with 64-bit flags.
template <std::size_t N>
constexpr std::array<BlockField, N> Widened(const std::array<BlockField, N>& older) {
    std::array<BlockField, N> newer = older;
    for (BlockField& f : newer) {
        if (f.kind == K::kFlags) {
            f.width = 8;
            f.hexDigits = 16;
        } else {
            f.offset += 4;
        }
    }
    return newer;
}
constexpr std::array<BlockField, 3> kLandNewer = Widened(kLandOlder);
constexpr std::array<BlockField, 13> kItemNewer = Widened(kItemOlder);
constexpr RecordLayout kLandLayouts[] = {{"older", 26, kLandOlder}, {"newer", 30, kLandNewer}};
constexpr RecordLayout kItemLayouts[] = {{"older", 37, kItemOlder}, {"newer", 41, kItemNewer}};

constexpr BlockField kHueFields[] = {
    {"colors", 0, 2, K::kUnsigned, 32},
    {"tableStart", 64, 2, K::kUnsigned, 1, 4},
    {"tableEnd", 66, 2, K::kUnsigned, 1, 4},
    {"name", 68, 20, K::kName},
    {"extra", 88, 64, K::kBytes},
};
constexpr RecordLayout kHueLayouts[] = {{"", 152, kHueFields}};

constexpr BlockField kAnimdataFields[] = {
    {"frames", 0, 1, K::kSigned, 64},
    {"unknown", 64, 1, K::kUnsigned},
    {"frameCount", 65, 1, K::kUnsigned},
    {"interval", 66, 1, K::kUnsigned},
    {"startDelay", 67, 1, K::kUnsigned},
};
constexpr RecordLayout kAnimdataLayouts[] = {{"", 68, kAnimdataFields}};

constexpr BlockField kComponentFields[] = {
    {"item", 0, 2, K::kUnsigned, 1, 4},
    {"x", 2, 2, K::kSigned},
    {"y", 4, 2, K::kSigned},
    {"z", 6, 2, K::kSigned},
    {"flags", 8, 4, K::kBits, 1, 8},
    {"unknown", 12, 4, K::kUnsigned, 1, 8},
};
constexpr RecordLayout kComponentLayouts[] = {{"", 12, std::span(kComponentFields).first(5)}, {"", 16, kComponentFields}};

constexpr BlockField kSkillFields[] = {
    {"action", 0, 1, K::kUnsigned},
    {"name", 1, 0, K::kName},
};
constexpr RecordLayout kSkillLayouts[] = {{"", 0, kSkillFields}};

constexpr BlockField kStaticFields[] = {
    {"item", 0, 2, K::kUnsigned, 1, 4},
    {"x", 2, 1, K::kUnsigned},
    {"y", 3, 1, K::kUnsigned},
    {"z", 4, 1, K::kSigned},
    {"hue", 5, 2, K::kUnsigned},
};
constexpr RecordLayout kStaticLayouts[] = {{"", 7, kStaticFields}};

constexpr BlockField kCellFields[] = {
    {"tile", 0, 2, K::kUnsigned, 1, 4},
    {"z", 2, 1, K::kSigned},
};
constexpr RecordLayout kCellLayouts[] = {{"", 3, kCellFields}};

constexpr BlockType kTypes[] = {
    {kTiledata, "tiledata-land", "entries", "Entry", 4, 32, kLandLayouts},
    {kTiledata, "tiledata-items", "entries", "Entry", 4, 32, kItemLayouts},
    {kHues, "hues", "hues", "Hue", 4, 8, kHueLayouts},
    {kAnimdata, "animdata", "entries", "Entry", 4, 8, kAnimdataLayouts},
    {kMultis, "multi", "components", "Component", 0, 0, kComponentLayouts},
    {kSkills, "skill", "", "The skill", 0, 1, kSkillLayouts},
    {kStatics, "statics", "items", "Item", 0, 0, kStaticLayouts},
    {kMap, "map", "cells", "Cell", 4, 64, kCellLayouts},
};

constexpr std::string_view kFlagNames[] = {
    "Background", "Weapon",   "Transparent", "Translucent", "Wall",       "Damaging",  "Impassable", "Wet",
    "Unknown1",   "Surface",  "Bridge",      "Generic",     "Window",     "NoShoot",   "ArticleA",   "ArticleAn",
    "Internal",   "Foliage",  "PartialHue",  "Unknown2",    "Map",        "Container", "Wearable",   "LightSource",
    "Animation",  "HoverOver", "Unknown3",   "Armor",       "Roof",       "Door",      "StairBack",  "StairRight",
};
static_assert(std::size(kFlagNames) == 32);

// Where both sizes divide a multi, 16-byte rows end in a word of 0 or 1.
const RecordLayout& MultiLayout(ByteView block) {
    const bool by12 = block.size() % 12 == 0, by16 = block.size() % 16 == 0;
    if (by16 && !by12) return kComponentLayouts[1];
    if (!by16) return kComponentLayouts[0];
    for (std::size_t at = 12; at < block.size(); at += 16)
        if (GetLE32(block.data() + at) > 1) return kComponentLayouts[0];
    return kComponentLayouts[1];
}

std::string Number(const BlockField& field, std::uint64_t v) {
    if (field.hexDigits > 0) return HexText(v, field.hexDigits);
    return field.kind == K::kSigned ? std::to_string(static_cast<std::int64_t>(v)) : std::to_string(v);
}
}  // namespace

const BlockType* BlockTypeOf(std::uint8_t fileId, std::int32_t blockNumber) {
    if (fileId == kTiledata) return &kTypes[blockNumber < kTiledataLandGroups ? 0 : 1];
    for (const BlockType& t : kTypes)
        if (t.fileId == fileId) return &t;
    return nullptr;
}

const RecordLayout& LayoutOf(const BlockType& type, ByteView block) {
    if (type.fileId == kMultis) return MultiLayout(block);
    // A tiledata group longer than an older one is read as the newer layout
    // (cut short or with bytes added), a shorter one as the older.
    if (type.layouts.size() == 2 && block.size() > type.header + type.records * type.layouts[0].size)
        return type.layouts[1];
    return type.layouts[0];
}

bool FitsLayout(const BlockType& type, const RecordLayout& layout, std::size_t length) {
    if (layout.size == 0) return length >= 1;
    if (type.records > 0) return length == type.header + type.records * layout.size;
    return length >= type.header && (length - type.header) % layout.size == 0;
}

std::size_t RecordsHeld(const BlockType& type, const RecordLayout& layout, std::size_t length) {
    if (layout.size == 0) return length >= 1 ? 1 : 0;
    if (length < type.header) return 0;
    const std::size_t whole = (length - type.header) / layout.size;
    return type.records > 0 ? std::min(whole, type.records) : whole;
}

std::string LengthsTaken(const BlockType& type) {
    const auto size = [](const RecordLayout& l) { return std::to_string(l.size); };
    if (type.layouts[0].size == 0) return "1 or more";
    if (type.records == 0) {
        std::string sizes = size(type.layouts[0]);
        if (type.layouts.size() == 2) sizes += " or " + size(type.layouts[1]);
        return "a multiple of " + sizes;
    }
    const auto group = [&](const RecordLayout& l) { return std::to_string(type.header + type.records * l.size); };
    if (type.layouts.size() == 1) return group(type.layouts[0]);
    return group(type.layouts[0]) + " (" + std::string(type.layouts[0].name) + " layout) or " +
           group(type.layouts[1]) + " (" + std::string(type.layouts[1].name) + " layout)";
}

const BlockField* FindField(const RecordLayout& layout, std::string_view name) {
    for (const BlockField& f : layout.fields)
        if (f.name == name) return &f;
    return nullptr;
}

std::string FlagName(int bit) { return bit < 32 ? std::string(kFlagNames[bit]) : "Bit" + std::to_string(bit); }

int FlagBit(std::string_view name) {
    for (int bit = 0; bit < 64; ++bit)
        if (FlagName(bit) == name) return bit;
    return -1;
}

std::uint64_t FieldNumber(const BlockField& field, ByteView record, std::size_t k) {
    const std::uint8_t* p = record.data() + field.offset + field.width * k;
    std::uint64_t v = 0;
    for (std::size_t i = field.width; i-- > 0;) v = v << 8 | p[i];
    const std::size_t bits = 8 * field.width;
    if (field.kind == K::kSigned && bits < 64 && (v >> (bits - 1) & 1)) v |= ~std::uint64_t{0} << bits;
    return v;
}

std::string FieldText(const BlockField& field, ByteView record) {
    switch (field.kind) {
        case K::kName:
            return FixedText(record, field.offset, field.width > 0 ? field.width : record.size()).text;
        case K::kBytes: return HexBytes(record.subspan(field.offset, field.width));
        default: {
            std::string text;
            for (std::size_t k = 0; k < field.count; ++k)
                text += (k ? " " : "") + Number(field, FieldNumber(field, record, k));
            return text;
        }
    }
}
