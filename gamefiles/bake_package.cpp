// Game data packages: the client's package is copied as it is; each patched
// entry's new bytes are appended and its slot record rewritten (a removed
// block's record emptied, a new block's put into an empty slot or a table
// added behind the last). Every other entry keeps its stored bytes, header,
// name hash, checksum and flag, and its place in the file.
#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <set>
#include <span>
#include <unordered_map>

#include "codecs/file_ids.h"
#include "gamefiles/bake_writers.h"
#include "gamefiles/forms/package.h"
#include "gamefiles/forms/package_blocks.h"
#include "gamefiles/forms/package_names.h"

namespace {
// An entry the bake writes anew: at index `index` (a block, or a map chunk).
struct NewEntry {
    std::uint32_t index = 0;
    const PackageEntry* old = nullptr;  // the client's entry it replaces
    // The changes it takes: one block, or a map chunk's blocks.
    std::span<const BlockChange> changes;
};

// The entries a bake writes, by index: map blocks grouped by chunk.
std::vector<NewEntry> NewEntries(const FormChanges& changes, const std::vector<const PackageEntry*>& byIndex) {
    auto old = [&](std::int64_t i) { return i < std::ssize(byIndex) ? byIndex[static_cast<std::size_t>(i)] : nullptr; };
    std::vector<NewEntry> entries;
    const std::span<const BlockChange> all(changes.changes);
    for (std::size_t i = 0; i < all.size(); ++i) {
        const std::int32_t n = all[i].n;
        const auto index = static_cast<std::uint32_t>(EntryOfBlock(changes.fileId, n));
        if (!entries.empty() && entries.back().index == index) {
            entries.back().changes = {entries.back().changes.data(), entries.back().changes.size() + 1};
            continue;
        }
        entries.push_back({index, old(index), all.subspan(i, 1)});
    }
    return entries;
}

// The payload of an entry as the package's reader expects it; empty when
// the entry is dropped. A map chunk is read and re-assembled around its
// patched blocks only now, so that one chunk at a time is held.
Result<Bytes> PayloadOf(std::uint8_t fileId, const NewEntry& e, const Package& package, ChangeBytes& patched) {
    if (fileId != kMap) {
        const BlockChange& c = e.changes[0];
        return c.HasData() ? PayloadOfBlock(fileId, c.n, patched.Of(c), c.flagA, c.flagB) : Bytes();
    }
    // A map block fits only where a live chunk that decodes holds it.
    if (!e.old) return Error(package.Path() + ": no map chunk " + std::to_string(e.index) + " to write into");
    Result<Bytes> chunk = package.Read(*e.old);
    if (!chunk) return Error(package.Path() + ": map chunk " + std::to_string(e.index) + ": " + chunk.error().message);
    for (const BlockChange& c : e.changes) {
        const std::size_t at = MapBlockInChunk(c.n);
        const ByteView bytes = patched.Of(c);
        if (at + bytes.size() > chunk->size())
            return Error(package.Path() + ": map chunk " + std::to_string(e.index) + " does not hold block " + std::to_string(c.n));
        std::copy(bytes.begin(), bytes.end(), chunk->begin() + static_cast<std::ptrdiff_t>(at));
    }
    return chunk;
}

Error Differs(const OutputFile& out, const std::string& what) { return Error(WrittenFileText(out) + what + "."); }
}  // namespace

namespace {
// The client's package as the plan opened it.
PackageBlocks& ClientPackage(const FormChanges& changes) { return dynamic_cast<PackageBlocks&>(*changes.client); }
}  // namespace

Status WritePackage(const FormChanges& changes, OutputFile& out, BakeMeter& meter) {
    const PackageBlocks& blocks = ClientPackage(changes);
    const Package& package = blocks.Container();
    const LegacyScheme& scheme = *SchemeOfFileId(changes.fileId);
    const std::vector<NewEntry> entries = NewEntries(changes, blocks.ByIndex());
    PackagePatch patch;
    if (Status started = patch.Start(package, *out.save, [&](std::int64_t n) { return meter.Add(n); }); !started) return started;
    ChangeBytes patched(changes.fileId, changes.patch);
    for (const NewEntry& e : entries) {
        const Result<Bytes> payload = PayloadOf(changes.fileId, e, package, patched);
        if (!payload) return payload.error();
        if (payload->empty()) {
            if (e.old) patch.Drop(*e.old);
            continue;
        }
        const std::int64_t stored = patch.Put(e.old, PackageNameHash(LegacyName(scheme.formats[0], e.index)), *payload);
        if (!meter.Add(stored)) return Cancelled();
    }
    patch.Finish();
    return patched.Intact();
}

Status CheckPackage(const FormChanges& changes, const OutputFile& out, BakeMeter& meter) {
    PackageBlocks& clientBlocks = ClientPackage(changes);
    const Package& client = clientBlocks.Container();
    // The indices the bake wrote: blocks, or the chunks of map blocks.
    std::set<std::int64_t> patched;
    for (const BlockChange& c : changes.changes) patched.insert(EntryOfBlock(changes.fileId, c.n));
    std::unordered_map<std::uint64_t, std::int64_t> indexOf;  // name hash -> index
    const std::vector<const PackageEntry*>& clientIndex = clientBlocks.ByIndex();
    for (std::size_t i = 0; i < clientIndex.size(); ++i)
        if (clientIndex[i]) indexOf[clientIndex[i]->hash] = static_cast<std::int64_t>(i);
    const auto untouched = [&](const PackageEntry& e) {
        const auto index = indexOf.find(e.hash);
        return index == indexOf.end() || !patched.count(index->second);
    };
    // The entries the written package holds: the untouched ones, and the patched that have data.
    std::int64_t entries = std::count_if(client.Entries().begin(), client.Entries().end(), untouched);
    for (const std::int64_t i : patched)
        entries += changes.fileId == kMap ? 1 : changes.Find(static_cast<std::int32_t>(i))->HasData();
    // A patch that removes every entry leaves a package no reader takes for its kind.
    PackageBlocks writtenBlocks;
    Package writtenAlone;
    if (Status opened = entries > 0 ? writtenBlocks.Open(out.Written(), changes.fileId) : writtenAlone.Open(out.Written()); !opened)
        return Differs(out, opened.error().message);
    const Package& written = entries > 0 ? writtenBlocks.Container() : writtenAlone;

    // Every entry not patched is the client's, record and bytes alike.
    for (const PackageEntry& e : client.Entries()) {
        if (!untouched(e)) continue;
        const PackageEntry* w = written.Find(e.hash);
        if (!w || !client.StoredAlike(e, written, *w))
            return Differs(out, "an entry the patch does not touch (name hash " + std::to_string(e.hash) +
                                    ") is not the client's as it was stored");
        if (!meter.Add(std::int64_t{e.headerLength} + e.storedSize)) return Cancelled();
    }
    // Every patched block reads back as written, and nothing else is there.
    ChangeBytes patchBytes(changes.fileId, changes.patch);
    for (const std::int64_t i : entries > 0 ? patched : std::set<std::int64_t>()) {
        const auto [first, last] = BlocksOfEntry(changes.fileId, i);
        for (std::int64_t n = first; n <= last; ++n) {
            const auto block = static_cast<std::int32_t>(n);
            Result<SourceBlock> found = writtenBlocks.Load(block);
            if (!found) return Differs(out, "block " + std::to_string(n) + ": " + found.error().message);
            const BlockChange* c = changes.Find(block);
            Result<SourceBlock> theirs = c ? Result<SourceBlock>(SourceBlock{}) : clientBlocks.Load(block);
            const ByteView expected = c ? patchBytes.Of(*c) : theirs ? ByteView(theirs->bytes) : ByteView();
            const bool size = changes.fileId == kGumps && c && c->HasData() &&
                              (found->flagA != c->flagA || found->flagB != c->flagB);
            if (size || !std::equal(expected.begin(), expected.end(), found->bytes.begin(), found->bytes.end()))
                return Differs(out, "block " + std::to_string(n) + " reads back other than it was written");
        }
    }
    if (std::ssize(written.Entries()) != entries)
        return Differs(out, "it holds " + std::to_string(written.Entries().size()) + " entries, not " + std::to_string(entries));
    if (written.CountedEntries() != static_cast<std::uint32_t>(entries))
        return Differs(out, "its header does not count its entries");
    return patchBytes.Intact();
}
