#include "patch/block_tree.h"

#include <algorithm>
#include <cstdio>

namespace {
// The IDs above hold whole files, never many.
constexpr int kLastLotsFileId = 250;
}  // namespace

std::string PadToWidth(const std::string& text, std::size_t width) {
    return text.size() < width ? std::string(width - text.size(), '0') + text : text;
}

std::string ThreeDigit(int number) {
    const std::string s = std::to_string(number);
    return s.size() > 3 ? std::string() : PadToWidth(s, 3);
}

std::string Hex(std::int64_t value, int width) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%X", static_cast<unsigned>(static_cast<std::uint32_t>(value)));
    return PadToWidth(buf, static_cast<std::size_t>(width));
}

std::string FileTypeKey(std::uint8_t fileId) { return "F" + PadToWidth(std::to_string(fileId), 3); }

std::string BlockKey(std::uint8_t fileId, std::int32_t blockNumber) {
    return "F" + ThreeDigit(fileId) + "B" + std::to_string(blockNumber);
}

std::string BlockText(std::int32_t blockNumber) { return "0x" + Hex(blockNumber, 5); }

std::string SettledBlockText(std::int32_t blockNumber) { return PadToWidth(std::to_string(blockNumber), 6); }

std::string WholeFileText(std::int32_t blockNumber) {
    switch (blockNumber) {
        case kClientExeBlock: return "Client.exe";
        case kReadmeBlock: return "Readme.txt";
        case kMapFileBlock: return "Map0.mul";
        default: return "unknown";
    }
}

std::string BlockNodeText(std::uint8_t fileId, std::int32_t n, bool settled) {
    if (fileId == kFiles) return WholeFileText(n);
    return settled ? SettledBlockText(n) : BlockText(n);
}

std::vector<FileTypeNode> PlanTree(const Patch& patch, const FileTypeTable& types) {
    std::vector<FileTypeNode> plan;
    for (int f = 0; f < Patch::kFileIds; ++f) {
        const auto id = static_cast<std::uint8_t>(f);
        if (types[id].name.empty()) continue;
        FileTypeNode& node = plan.emplace_back();
        node.fileId = id;
        node.lots = f <= kLastLotsFileId && patch[id].Count() >= kLotsThreshold;
        node.blocks.reserve(static_cast<std::size_t>(patch[id].LiveCount()));
        patch.ForEachLive(id, [&](const PatchBlock& b) { node.blocks.push_back(b.number); });
        // Imports add blocks in ascending order: most entries need no sorting.
        if (!std::is_sorted(node.blocks.begin(), node.blocks.end()))
            std::sort(node.blocks.begin(), node.blocks.end());
        node.blocks.erase(std::unique(node.blocks.begin(), node.blocks.end()), node.blocks.end());
    }
    return plan;
}
