#include "codecs/block_facts.h"

#include <algorithm>
#include <cstdio>

#include "codecs/colors.h"
#include "codecs/file_ids.h"
#include "codecs/facts_text.h"

std::string HexText(std::uint64_t value, int digits) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return buf;
}

std::string HexBytes(ByteView bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (const std::uint8_t b : bytes) {
        hex += kDigits[b >> 4];
        hex += kDigits[b & 15];
    }
    return hex;
}

FixedString FixedText(ByteView bytes, std::size_t pos, std::size_t maxBytes) {
    FixedString out;
    std::string& text = out.text;
    for (std::size_t i = pos; i < bytes.size() && i - pos < maxBytes; ++i) {
        const std::uint8_t c = bytes[i];
        if (c == 0) {
            out.terminated = true;
            break;
        }
        if (c < 0x20 || c == 0x7F) {
            text += '?';
        } else if (c < 0x80) {
            text += static_cast<char>(c);
        } else {
            text += static_cast<char>(0xC0 | (c >> 6));
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

void NoteProblem(BlockFacts& facts, const std::string& problem) {
    if (facts.problem.empty()) facts.problem = problem;
}

std::string HoldsBytes(std::size_t size) { return "The block holds " + std::to_string(size) + " bytes, "; }

namespace {
// The fields of the panel's columns, in their order.
std::vector<const BlockField*> Shown(const RecordLayout& layout, std::initializer_list<std::string_view> skip) {
    std::vector<const BlockField*> fields;
    for (const int rank : {0, 1, 2})
        for (const BlockField& f : layout.fields) {
            const int fieldRank = f.kind == FieldKind::kName ? 0 : f.count == 1 ? 1 : 2;
            if (fieldRank == rank && f.kind != FieldKind::kBytes &&
                std::find(skip.begin(), skip.end(), f.name) == skip.end())
                fields.push_back(&f);
        }
    return fields;
}
}  // namespace

std::vector<std::string> FieldColumns(const RecordLayout& layout, std::initializer_list<std::string_view> skip) {
    std::vector<std::string> columns;
    for (const BlockField* f : Shown(layout, skip)) columns.emplace_back(f->name);
    return columns;
}

std::vector<std::string> FieldCells(const RecordLayout& layout, ByteView record,
                                    std::initializer_list<std::string_view> skip) {
    std::vector<std::string> cells;
    for (const BlockField* f : Shown(layout, skip)) cells.push_back(FieldText(*f, record));
    return cells;
}

std::optional<BlockFacts> DescribeBlockData(std::uint8_t fileId, std::int32_t blockNumber, ByteView block) {
    switch (fileId) {
        case kStatics: return StaticsFacts(block);
        case kSound: return SoundFacts(block);
        case kTexmaps: return TexmapFacts(block);
        case kMultis: return MultiFacts(block);
        case kSkills: return SkillFacts(block);
        case kTiledata: return TiledataFacts(blockNumber, block);
        case kAnimdata: return AnimdataFacts(blockNumber, block);
        case kHues: return HueFacts(blockNumber, block);
        default: return std::nullopt;
    }
}

ColorGrid PictureColors(const Picture16& picture) {
    ColorGrid colors;
    colors.Reset(picture.width, picture.height, 0);
    for (std::size_t i = 0; i < colors.cells.size() && i < picture.cells.size(); ++i)
        colors.cells[i] = Color16To32(picture.cells[i]);
    return colors;
}
