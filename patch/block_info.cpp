#include "patch/block_info.h"

#include <cstdio>

#include "patch/block_tree.h"
#include "patch/file_types.h"

std::string Sevenths(std::int32_t length) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", static_cast<double>(length) / 7.0);
    return buf;
}

namespace {
struct Kind {
    std::uint8_t fileId;
    const char* prefix;
    int width;
};
constexpr Kind kKinds[] = {{kMap, "Map 0x", 5},           {kStatics, "Statics 0x", 4},   {kArt, "Art 0x", 4},
                           {kAnim, "Anim 0x", 4},         {kSound, "Sound 0x", 4},       {kTexmaps, "Texmaps 0x", 4},
                           {kGumps, "Gump 0x", 4},        {kMultis, "Multi 0x", 4},      {kSkills, "Skills 0x", 4},
                           {kTiledata, "Tiledata 0x", 4}, {kAnimdata, "Animdata 0x", 4}, {kHues, "Hues 0x", 4}};

std::string Dec(std::int64_t v) { return std::to_string(v); }

// Map and statics block n covers the cells 8X..8X+7 by 8Y..8Y+7.
void Cells(std::int32_t n, std::string& from, std::string& to) {
    const std::int64_t x = n / 512, y = n - 512 * x;
    from = "From: " + Dec(8 * x) + "," + Dec(8 * y);
    to = "To: " + Dec(8 * x + 7) + "," + Dec(8 * y + 7);
}
}  // namespace

BlockInfo DescribeBlock(std::uint8_t fileId, std::int32_t n, const PatchBlock* block) {
    BlockInfo info;
    const Kind* kind = nullptr;
    for (const Kind& k : kKinds)
        if (k.fileId == fileId) kind = &k;
    if (!kind) return info;
    info.heading = kind->prefix + Hex(n, kind->width) + " (" + Dec(n) + ") :";
    if (!block) return info;

    const std::int32_t length = block->Length();
    auto& l = info.lines;
    const std::string size = "Block size: " + Dec(length);
    switch (fileId) {
        case kMap:
            l[0] = size;
            Cells(n, l[1], l[2]);
            break;
        case kStatics:
            l[0] = "Number of items: " + Sevenths(length);
            l[1] = size;
            Cells(n, l[2], l[3]);
            break;
        case kArt:
            l[0] = size;
            l[1] = n < kArtStaticBase ? "Type: Landscape tile" : "Type: Static tile";
            if (n >= kArtStaticBase) l[2] = "Itemnumber: 0x" + Hex(n - kArtStaticBase, 4) + " (" + Dec(n - kArtStaticBase) + ")";
            break;
        case kAnim:
            l[0] = size;
            if (length > 0 && block->bytes.size() > 512) l[1] = "Frame count: " + Dec(block->bytes[512]);
            break;
        case kGumps:
            l[0] = size;
            l[1] = "Size: " + Dec(block->flagB) + "x" + Dec(block->flagA);
            break;
        case kTiledata: {
            const std::int64_t first = 32 * static_cast<std::int64_t>(n);
            l[0] = size;
            l[1] = n < kTiledataLandGroups ? "Type: Landscape tiledata" : "Type: Statics tiledata";
            l[2] = "From: 0x" + Hex(first, 4) + " (" + Dec(first) + ")";
            l[3] = "To: 0x" + Hex(first + 31, 4) + " (" + Dec(first + 31) + ")";
            break;
        }
        default:
            l[0] = size;
    }
    return info;
}

BlockInfo DescribeFileType(const std::string& nodeText, const PatchFileEntry& entry) {
    BlockInfo info;
    info.heading = nodeText + ":";
    info.lines[0] = "Number of blocks: " + Dec(entry.LiveCount());
    return info;
}
