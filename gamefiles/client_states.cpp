#include "gamefiles/client_states.h"

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "gamefiles/client_blocks.h"

std::optional<BlockState> StateNamed(std::string_view name) {
    for (std::size_t s = 0; s < kBlockStates; ++s)
        if (name == StateName(static_cast<BlockState>(s))) return static_cast<BlockState>(s);
    return std::nullopt;
}

namespace {
// A type's live blocks as (number, slot), in number order.
std::vector<std::pair<std::int32_t, std::uint32_t>> LiveInOrder(const PatchFileEntry& entry) {
    std::vector<std::pair<std::int32_t, std::uint32_t>> order;
    order.reserve(static_cast<std::size_t>(entry.LiveCount()));
    for (std::size_t slot = 0; slot < entry.blocks.size(); ++slot)
        if (entry.blocks[slot].IsLive()) order.emplace_back(entry.blocks[slot].number, static_cast<std::uint32_t>(slot));
    // Blocks read from a file come in order; only edits add them out of it.
    if (!std::is_sorted(order.begin(), order.end())) std::sort(order.begin(), order.end());
    return order;
}
}  // namespace

Status JudgePatch(const Patch& patch, const ClientFolder& folder, bool withVerdata, const JudgedFn& judged,
                  const Progress& progress) {
    // Every type's files open first: one that does not fails the walk before anything is told.
    std::vector<std::pair<std::uint8_t, std::unique_ptr<ClientBlocks>>> types;
    for (int f = 0; f < Patch::kFileIds; ++f) {
        const auto fileId = static_cast<std::uint8_t>(f);
        if (patch[fileId].LiveCount() == 0) continue;
        std::unique_ptr<ClientBlocks> blocks;
        if (const std::optional<ClientForm> form = folder.ShownForm(fileId)) {
            blocks = std::make_unique<ClientBlocks>();
            if (Status opened = blocks->Open(folder, fileId, *form, withVerdata); !opened) return opened;
        }
        types.emplace_back(fileId, std::move(blocks));
    }
    const std::int64_t total = patch.LiveCount();
    std::int64_t done = 0;
    for (auto& [fileId, blocks] : types) {
        const PatchFileEntry& entry = patch[fileId];
        for (const auto& [number, slot] : LiveInOrder(entry)) {
            if (!progress.Step(done++, total)) return Cancelled();
            if (!blocks) {
                judged(fileId, slot, JudgedBlock{});
                continue;
            }
            const BlockData data = BlockData::Of(entry.blocks[slot]);
            judged(fileId, slot, JudgeBlock(fileId, blocks->Form(), number, data, blocks->Block(number)));
        }
    }
    return {};
}
