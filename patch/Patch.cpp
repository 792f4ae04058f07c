#include "patch/Patch.h"

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
    PatchBlock& b = e.Blocks.emplace_back();
    b.BlockNumber = blockNumber;
    b.FlagA = flagA;
    b.FlagB = flagB;
    b.ByteArray = length > 0 && !data.empty() ? std::move(data) : BlockBytes::Absent(length);
    if (blockNumber == -1) ++e.RemovedCount;
    return b;
}

void Patch::Reserve(std::uint8_t fileId, std::size_t count) {
    BlockSlots& blocks = entries_[fileId].Blocks;
    blocks.reserve(blocks.size() + count);
}

void Patch::AppendAll(Patch&& other) {
    for (int f = 0; f < kFileIds; ++f) {
        PatchFileEntry& to = entries_[static_cast<std::size_t>(f)];
        PatchFileEntry& from = other.entries_[static_cast<std::size_t>(f)];
        if (to.Blocks.empty()) {
            to = std::move(from);
            continue;
        }
        to.Blocks.reserve(to.Blocks.size() + from.Blocks.size());
        for (PatchBlock& b : from.Blocks) to.Blocks.push_back(std::move(b));
        to.RemovedCount += from.RemovedCount;
    }
    other.Clear();
}

void Patch::RemoveBlock(std::uint8_t fileId, std::int32_t blockNumber) {
    const std::int32_t index = blockNumber == -1 ? -1 : FindBlock(fileId, blockNumber);
    if (index >= 0) MarkRemoved(fileId, static_cast<std::size_t>(index));
}

void Patch::MarkRemoved(std::uint8_t fileId, std::size_t slot) {
    PatchFileEntry& e = entries_[fileId];
    if (slot >= e.Blocks.size() || !e.Blocks[slot].IsLive()) return;
    e.Blocks[slot].BlockNumber = -1;
    ++e.RemovedCount;
}

void Patch::Unmark(std::uint8_t fileId, std::size_t slot, std::int32_t blockNumber) {
    PatchFileEntry& e = entries_[fileId];
    if (slot >= e.Blocks.size() || e.Blocks[slot].IsLive() || blockNumber == -1) return;
    e.Blocks[slot].BlockNumber = blockNumber;
    --e.RemovedCount;
}

std::int32_t Patch::FindBlock(std::uint8_t fileId, std::int32_t blockNumber) const {
    const auto& blocks = entries_[fileId].Blocks;
    for (std::size_t i = 0; i < blocks.size(); ++i)
        if (blocks[i].BlockNumber == blockNumber) return static_cast<std::int32_t>(i);
    return -1;
}

std::int32_t Patch::FindLiveBlock(std::uint8_t fileId, std::int32_t blockNumber) const {
    if (blockNumber == -1) return -1;
    const auto& blocks = entries_[fileId].Blocks;
    for (std::size_t i = blocks.size(); i-- > 0;)
        if (blocks[i].BlockNumber == blockNumber) return static_cast<std::int32_t>(i);
    return -1;
}

std::int64_t Patch::LiveCount() const {
    std::int64_t n = 0;
    for (const PatchFileEntry& e : entries_) n += e.LiveCount();
    return n;
}
