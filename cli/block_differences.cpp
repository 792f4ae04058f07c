#include "cli/block_differences.h"

#include <map>

#include "cli/cli_support.h"
#include "codecs/sha256.h"
#include "gamefiles/forms/verdata.h"
#include "patch/patch_file.h"
#include "patch/settle_duplicates.h"

namespace {
using Live = std::map<std::int32_t, const PatchBlock*>;

Live LiveBlocks(const Patch& patch, std::uint8_t fileId) {
    Live live;
    patch.ForEachLive(fileId, [&](const PatchBlock& b) { live[b.number] = &b; });
    return live;
}

BlockSide Side(const PatchBlock& b) {
    return {b.Length(), b.flagA, b.flagB, Sha256Hex(b.bytes)};
}

bool Same(const BlockSide& a, const BlockSide& b) {
    return a.length == b.length && a.flagA == b.flagA && a.flagB == b.flagB && a.sha256 == b.sha256;
}
}  // namespace

std::vector<BlockDifference> DifferingBlocks(Patch& a, Patch& b) {
    SettleDuplicates(a);
    SettleDuplicates(b);
    std::vector<BlockDifference> out;
    for (int f = 0; f < Patch::kFileIds; ++f) {
        const auto id = static_cast<std::uint8_t>(f);
        const Live left = LiveBlocks(a, id), right = LiveBlocks(b, id);
        auto l = left.begin();
        auto r = right.begin();
        while (l != left.end() || r != right.end()) {
            if (r == right.end() || (l != left.end() && l->first < r->first)) {
                out.push_back({BlockDifference::kRemoved, id, l->first, Side(*l->second), {}});
                ++l;
            } else if (l == left.end() || r->first < l->first) {
                out.push_back({BlockDifference::kAdded, id, r->first, {}, Side(*r->second)});
                ++r;
            } else {
                BlockSide sa = Side(*l->second), sb = Side(*r->second);
                if (!Same(sa, sb)) out.push_back({BlockDifference::kChanged, id, l->first, sa, sb});
                ++l;
                ++r;
            }
        }
    }
    return out;
}

const char* KindName(BlockDifference::Kind kind) {
    switch (kind) {
    case BlockDifference::kAdded: return "added";
    case BlockDifference::kRemoved: return "removed";
    case BlockDifference::kChanged: return "changed";
    }
    return "";
}
