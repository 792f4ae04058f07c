#include "codecs/block_facts.h"

#include <cstdio>

#include "codecs/colors.h"
#include "codecs/file_ids.h"
#include "codecs/facts_text.h"

std::string HexText(std::uint64_t value, int digits) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "0x%0*llX", digits, static_cast<unsigned long long>(value));
    return buf;
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
