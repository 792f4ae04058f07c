#include "patch/patch_edit.h"

#include <new>

bool PatchEdit::Empty() const { return added.LiveCount() == 0 && removals.empty() && flags.empty(); }

void PatchEdit::Apply(Patch& patch) {
    appended_.clear();
    // Room for every appended slot first: from here on only settling can run
    // out of memory, and that is taken back below, so a failed Apply leaves
    // the patch as it was.
    for (int f = 0; f < Patch::kFileIds; ++f) {
        const auto id = static_cast<std::uint8_t>(f);
        if (added[id].blocks.empty()) continue;
        appended_.push_back({id, patch[id].blocks.size()});
        patch[id].blocks.reserve(patch[id].blocks.size() + added[id].blocks.size());
    }
    const bool appendedAny = !appended_.empty();
    patch.AppendAll(std::move(added));
    for (const RemovedMark& m : removals) patch.MarkRemoved(m.fileId, static_cast<std::size_t>(m.slot));
    for (FlagChange& c : flags) {
        PatchBlock& b = patch[c.fileId].blocks[static_cast<std::size_t>(c.slot)];
        std::swap(b.flagA, c.flagA);
        std::swap(b.flagB, c.flagB);
    }
    if (!applied_) {
        if (appendedAny) {
            try {
                settled_ = SettleDuplicates(patch);
            } catch (const std::bad_alloc&) {
                TakeBackUnsettled(patch);
                throw;
            }
        }
        applied_ = true;
    } else {
        for (const RemovedMark& m : settled_) patch.MarkRemoved(m.fileId, static_cast<std::size_t>(m.slot));
    }
}

void PatchEdit::Revert(Patch& patch) {
    // The only memory undoing needs, taken before anything changes.
    for (const Appended& a : appended_)
        added[a.fileId].blocks.reserve(added[a.fileId].blocks.size() + patch[a.fileId].blocks.size() - a.from);
    RestoreMarks(patch, settled_);
    TakeBackFlagsAndRemovals(patch);
    for (const Appended& a : appended_) {
        PatchFileEntry& entry = patch[a.fileId];
        for (std::size_t i = a.from; i < entry.blocks.size(); ++i) {
            PatchBlock& b = entry.blocks[i];
            if (!b.IsLive()) --entry.removedCount;
            const std::int32_t length = b.Length();  // before the bytes move away
            added.AppendWithLength(a.fileId, b.number, length, std::move(b.bytes), b.flagA, b.flagB);
        }
        entry.blocks.resize(a.from);
    }
}

void PatchEdit::TakeBackFlagsAndRemovals(Patch& patch) {
    for (auto it = flags.rbegin(); it != flags.rend(); ++it) {
        PatchBlock& b = patch[it->fileId].blocks[static_cast<std::size_t>(it->slot)];
        std::swap(b.flagA, it->flagA);
        std::swap(b.flagB, it->flagB);
    }
    RestoreMarks(patch, removals);
}

void PatchEdit::TakeBackUnsettled(Patch& patch) {
    TakeBackFlagsAndRemovals(patch);
    // Dropping the appended slots needs no memory; the edit is spent.
    for (const Appended& a : appended_) {
        PatchFileEntry& entry = patch[a.fileId];
        for (std::size_t i = a.from; i < entry.blocks.size(); ++i)
            if (!entry.blocks[i].IsLive()) --entry.removedCount;
        entry.blocks.resize(a.from);
    }
    appended_.clear();
}
