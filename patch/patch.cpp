#include "patch/patch.h"

void Patch::Clear() {
    for (PatchFileEntry& e : entries_) e = PatchFileEntry{};
}

PatchBlock& Patch::Append(std::uint8_t fileId, std::int32_t blockNumber, BlockBytes data, std::int16_t flagA,
                          std::int16_t flagB) {
    const auto length = static_cast<std::int32_t>(data.size());
    return AppendWithLength(fileId, blockNumber, length, std::move(data), flagA, flagB);
}

PatchBlock& Patch::AppendWithLength(std::uint8_t fileId, std::int32_t blockNumber, std::int32_t length,
                                    BlockBytes data, std::int16_t flagA, std::int16_t flagB) {
    PatchFileEntry& e = entries_[fileId];
    PatchBlock& b = e.blocks.emplace_back();
    b.number = blockNumber;
    b.flagA = flagA;
    b.flagB = flagB;
    b.bytes = length > 0 && !data.empty() ? std::move(data) : BlockBytes::Absent(length);
    if (blockNumber == -1) ++e.removedCount;
    return b;
}

void Patch::Reserve(std::uint8_t fileId, std::size_t count) {
    BlockSlots& blocks = entries_[fileId].blocks;
    blocks.reserve(blocks.size() + count);
}

void Patch::AppendAll(Patch&& other) {
    for (int f = 0; f < kFileIds; ++f) {
        PatchFileEntry& to = entries_[static_cast<std::size_t>(f)];
        PatchFileEntry& from = other.entries_[static_cast<std::size_t>(f)];
        if (to.blocks.empty()) {
            to = std::move(from);
            continue;
        }
        to.blocks.reserve(to.blocks.size() + from.blocks.size());
        for (PatchBlock& b : from.blocks) to.blocks.push_back(std::move(b));
        to.removedCount += from.removedCount;
    }
    other.Clear();
}

void Patch::RemoveBlock(std::uint8_t fileId, std::int32_t blockNumber) {
    if (blockNumber == -1) return;
    if (const auto slot = FindBlock(fileId, blockNumber)) MarkRemoved(fileId, *slot);
}

void Patch::MarkRemoved(std::uint8_t fileId, std::size_t slot) {
    PatchFileEntry& e = entries_[fileId];
    if (slot >= e.blocks.size() || !e.blocks[slot].IsLive()) return;
    e.blocks[slot].number = -1;
    ++e.removedCount;
}

void Patch::Unmark(std::uint8_t fileId, std::size_t slot, std::int32_t blockNumber) {
    PatchFileEntry& e = entries_[fileId];
    if (slot >= e.blocks.size() || e.blocks[slot].IsLive() || blockNumber == -1) return;
    e.blocks[slot].number = blockNumber;
    --e.removedCount;
}

std::optional<std::size_t> Patch::FindBlock(std::uint8_t fileId, std::int32_t blockNumber) const {
    const auto& blocks = entries_[fileId].blocks;
    for (std::size_t i = 0; i < blocks.size(); ++i)
        if (blocks[i].number == blockNumber) return i;
    return std::nullopt;
}

std::optional<std::size_t> Patch::FindLiveBlock(std::uint8_t fileId, std::int32_t blockNumber) const {
    if (blockNumber == -1) return std::nullopt;
    const auto& blocks = entries_[fileId].blocks;
    for (std::size_t i = blocks.size(); i-- > 0;)
        if (blocks[i].number == blockNumber) return i;
    return std::nullopt;
}

const PatchBlock* Patch::LiveBlock(std::uint8_t fileId, std::int32_t blockNumber) const {
    const auto slot = FindLiveBlock(fileId, blockNumber);
    return slot ? &entries_[fileId].blocks[*slot] : nullptr;
}

std::int64_t Patch::LiveCount() const {
    std::int64_t n = 0;
    for (const PatchFileEntry& e : entries_) n += e.LiveCount();
    return n;
}
