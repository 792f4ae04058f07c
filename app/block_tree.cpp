#include "app/block_tree.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <unordered_map>

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
        case 0: return "Client.exe";
        case 1: return "Readme.txt";
        case 2: return "Map0.mul";
        default: return "unknown";
    }
}

namespace {
// A whole number at the start of `text` (optional sign), or nothing.
std::optional<std::int64_t> LeadingNumber(std::string_view text) {
    std::int64_t v = 0;
    const char* first = text.data();
    if (!text.empty() && text[0] == '+') ++first;
    auto [end, ec] = std::from_chars(first, text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return v;
}
}  // namespace

NodeKey ParseNodeKey(const std::string& key) {
    NodeKey k;
    if (key.size() < 4 || key[0] != 'F') return k;
    const auto id = LeadingNumber(std::string_view(key).substr(1, 3));
    if (!id || *id < 0 || *id > 255) return k;
    k.fileId = static_cast<std::uint8_t>(*id);
    if (key.size() == 4) {
        k.isFileType = true;
        return k;
    }
    if (key[4] != 'B') return k;
    const auto n = LeadingNumber(std::string_view(key).substr(5));
    if (!n || *n < INT32_MIN || *n > INT32_MAX) return k;
    k.isBlock = true;
    k.blockNumber = static_cast<std::int32_t>(*n);
    return k;
}

std::vector<TreeNode> BuildTreeNodes(Patch& patch, const FileTypeTable& types,
                                     const std::function<void(std::int64_t)>& progress) {
    std::vector<TreeNode> nodes;
    nodes.reserve(static_cast<std::size_t>(std::min<std::int64_t>(patch.LiveCount(), 400000)) + 256);
    for (int f = 0; f <= 254; ++f)
        if (!types[static_cast<std::size_t>(f)].Name.empty())
            nodes.push_back({FileTypeKey(static_cast<std::uint8_t>(f)), types[static_cast<std::size_t>(f)].Name, "", 1});

    // Adds the block nodes of one file ID; a second live slot with a shown
    // number removes the older slot and takes over its node.
    auto addBlocks = [&](std::uint8_t f, auto&& textOf, auto&& afterEach) {
        const std::string parent = FileTypeKey(f);
        std::unordered_map<std::int32_t, std::size_t> shown;
        auto& blocks = patch[f].Blocks;
        for (std::size_t i = 0; i < blocks.size(); ++i) {
            const std::int32_t n = blocks[i].BlockNumber;
            if (n == -1) continue;
            auto [it, fresh] = shown.try_emplace(n, nodes.size());
            if (fresh) {
                nodes.push_back({BlockKey(f, n), textOf(n, false), parent, 2});
            } else {
                patch.RemoveBlock(f, n);
                nodes[it->second].text = textOf(n, true);
            }
            afterEach();
        }
    };

    std::int64_t total = 0;
    int batch = 0;
    auto count = [&] {
        ++total;
        if (++batch == kProgressBatch) {
            if (progress) progress(total);
            batch = 0;
        }
    };
    for (int f = 0; f <= 250; ++f) {
        const auto id = static_cast<std::uint8_t>(f);
        const bool listed = !types[id].Name.empty();
        if (patch[id].Count() >= kLotsThreshold) {
            if (listed) nodes.push_back({FileTypeKey(id) + "LOTS", "LOTS", FileTypeKey(id), 0});
            continue;
        }
        if (!listed) {
            // No file-type node to hang the blocks on: they get no nodes.
            for (const PatchBlock& b : patch[id].Blocks)
                if (b.IsLive()) count();
            continue;
        }
        addBlocks(id, [](std::int32_t n, bool settled) { return settled ? SettledBlockText(n) : BlockText(n); },
                  count);
    }
    if (!types[kFilesFileId].Name.empty())
        addBlocks(kFilesFileId, [](std::int32_t n, bool) { return WholeFileText(n); }, [] {});
    return nodes;
}
