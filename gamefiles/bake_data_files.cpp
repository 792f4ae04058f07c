// The data files of the old forms: with an index, of fixed-size slots or
// groups, and whole files.
#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_map>

#include "codecs/file_ids.h"
#include "codecs/sha256.h"
#include "gamefiles/bake_writers.h"
#include "gamefiles/forms/data_file.h"
#include "gamefiles/forms/data_file_patch.h"
#include "gamefiles/forms/data_layout.h"
#include "io/binary_io.h"

namespace {
// Reads go in pieces of this size, so that a stop is heard soon.
constexpr std::int64_t kPiece = 16 << 20;

std::int64_t AppendedBytes(const FormChanges& changes) {
    std::int64_t bytes = 0;
    for (const BlockChange& c : changes.changes) bytes += c.length;
    return bytes;
}

// The entries the output's index holds: the client's, and as many more as the highest block put needs.
std::int32_t EntriesAfter(const FormChanges& changes, const std::string& indexPath) {
    InputFile index;
    const std::int64_t bytes = index.Open(indexPath) ? index.Size() : 0;
    const std::int32_t entries = WholeIndexEntries(bytes);
    return changes.changes.empty() ? entries : std::max(entries, changes.changes.back().n + 1);
}

// Says which entries were emptied for being damaged.
void NoteDamaged(const OutputFile& index, const std::vector<std::int32_t>& damaged, std::vector<std::string>& notes) {
    if (damaged.empty()) return;
    notes.push_back(index.report.name + ": emptied " + std::to_string(damaged.size()) +
                    (damaged.size() == 1 ? " damaged entry" : " damaged entries") + " (blocks " + NumbersText(damaged) +
                    "): " + kNotInsideDataFile + ".");
}

CopyMeter Copied(BakeMeter& meter) {
    return [&meter](std::int64_t n) { return meter.Add(n); };
}

// What a reader gives for block n: its bytes, or none for a block without
// data or a damaged entry; flags only where there are bytes.
struct Read {
    bool data = false;
    ByteView bytes;
    std::int16_t flagA = 0, flagB = 0;
};
Read ReadBack(DataFile& file, std::int32_t n, ByteArena& spare) {
    spare.Reuse();
    const Result<ViewedBlock> block = file.View(n, spare);
    if (!block || block->length <= 0) return {};
    return {true, block->bytes, block->flagA, block->flagB};
}

bool Same(const Read& a, const Read& b, bool flags) {
    return a.data == b.data && std::equal(a.bytes.begin(), a.bytes.end(), b.bytes.begin(), b.bytes.end()) &&
           (!flags || !a.data || (a.flagA == b.flagA && a.flagB == b.flagB));
}

Error Differs(const OutputFile& out, std::int32_t n, bool changed) {
    return Error(WrittenFileText(out) + "block " + std::to_string(n) + " reads back other than " +
                 (changed ? "it was written" : "the client's") + ".");
}

// Slot n of a whole map held in memory as reading it back from a file
// gives it: padded with zeros where the map ends inside it.
Read CarriedSlot(ByteView map, std::int32_t n, Bytes& padded) {
    const ClientBlock slot = SlotOfWholeMap(map, n, "");
    if (slot.slotSize == 0) return {};
    padded.assign(slot.bytes.begin(), slot.bytes.end());
    padded.resize(static_cast<std::size_t>(slot.slotSize), 0);
    return {true, padded};
}
}  // namespace

bool BakeMeter::Add(std::int64_t bytes) {
    done_ = std::min(done_ + bytes, total_);
    return !progress_.report || progress_.report(done_, total_);
}

void OutputFile::Count(const FormChanges& changes) {
    report.replaced += changes.Count([](const BlockChange& c) { return c.HasData() && c.hadData; });
    report.added += changes.Count([](const BlockChange& c) { return c.HasData() && !c.hadData; });
    report.removed += changes.Count([](const BlockChange& c) { return !c.HasData() && c.hadData; });
    report.leftOut += std::ssize(changes.leftOut);
}

std::string WrittenFileText(const OutputFile& out) { return "Reading back the written " + out.report.name + ": "; }

Status PrepareIndexed(const FormChanges& changes, const ClientTypeFiles& files, bool compact) {
    return CheckIndexedPatch(files.data->path, files.index->path, AppendedBytes(changes), compact);
}

Status WriteIndexed(const FormChanges& changes, const ClientTypeFiles& files, bool compact, OutputFile& data,
                    OutputFile& index, BakeMeter& meter, std::vector<std::string>& notes) {
    ChangeBytes patched(changes.fileId, changes.patch);
    const std::int32_t entries = EntriesAfter(changes, files.index->path);
    const auto put = [&](const BlockChange& c) { return PutBlock{patched.Of(c), c.flagA, c.flagB, patched.Lasting(c)}; };
    Result<std::vector<std::int32_t>> damaged = std::vector<std::int32_t>();
    if (compact) {
        damaged = WriteCompactIndexed(
            changes.fileId, files.data->path, files.index->path, entries,
            [&](std::int32_t n) -> std::optional<PutBlock> {
                const BlockChange* c = changes.Find(n);
                return c ? std::optional(put(*c)) : std::nullopt;
            },
            *data.save, *index.save, Copied(meter));
    } else {
        // The client's bytes stay where they are: delta updaters ship only the tail and the index.
        IndexedPatch patch;
        damaged = patch.Start(files.data->path, files.index->path, entries, *data.save, *index.save,
                              [&](std::int32_t n) { return changes.Find(n) != nullptr; }, Copied(meter));
        if (damaged)
            for (const BlockChange& c : changes.changes) {
                patch.Put(c.n, put(c));
                if (!meter.Add(c.length)) return Cancelled();
            }
    }
    if (!damaged) return damaged.error();
    NoteDamaged(index, *damaged, notes);
    return patched.Intact();
}

Status CheckIndexed(const FormChanges& changes, const ClientTypeFiles& files, const OutputFile& data,
                    const OutputFile& index, BakeMeter& meter) {
    DataFile client, written;
    if (Status opened = OpenDataFile(client, changes.fileId, files.data->path, files.index->path); !opened) return opened;
    if (Status opened = OpenDataFile(written, changes.fileId, data.Written(), index.Written()); !opened) return opened;
    if (written.Count() < client.Count())
        return Error(WrittenFileText(index) + "it holds fewer entries than the client's.");
    ByteArena spareClient, spareWritten;
    ChangeBytes patched(changes.fileId, changes.patch);
    for (std::int32_t n = 0; n < written.Count(); ++n) {
        const Read found = ReadBack(written, n, spareWritten);
        const BlockChange* c = changes.Find(n);
        const Read expected = c ? Read{c->HasData(), patched.Of(*c), c->flagA, c->flagB} : ReadBack(client, n, spareClient);
        if (!Same(expected, found, true)) return Differs(data, n, c);
        if (!meter.Add(std::ssize(found.bytes))) return Cancelled();
    }
    return patched.Intact();
}

Status WriteSlots(const FormChanges& changes, const std::string& base, ByteView carried, OutputFile& out,
                  BakeMeter& meter, std::vector<std::string>& notes) {
    SlotPatch patch;
    if (Status started = patch.Start(changes.fileId, base, carried, *out.save, Copied(meter)); !started) return started;
    ChangeBytes patched(changes.fileId, changes.patch);
    for (const BlockChange& c : changes.changes) {
        const auto [written, endsInside] = patch.Put(c.n, patched.Of(c));
        if (endsInside) notes.push_back(out.report.name + " ends inside block " + std::to_string(c.n) + ": it was written whole.");
        if (!meter.Add(written)) return Cancelled();
    }
    return patched.Intact();
}

Status CheckSlots(const FormChanges& changes, const std::string& base, ByteView carried, const OutputFile& out,
                  BakeMeter& meter) {
    DataFile client, written;
    if (carried.empty())
        if (Status opened = OpenDataFile(client, changes.fileId, base, ""); !opened) return opened;
    if (Status opened = OpenDataFile(written, changes.fileId, out.Written(), ""); !opened) return opened;
    const std::int64_t baseCount = carried.empty() ? client.Count() : (std::ssize(carried) + kMapBlockSize - 1) / kMapBlockSize;
    if (written.Count() < baseCount) return Error(WrittenFileText(out) + "it is shorter than the file it was copied from.");
    if (written.Cut() != (carried.empty() ? client.Cut() : BlockCut::Fixed(kMapBlockSize)))
        return Error(WrittenFileText(out) + "its groups are of another layout than the client's.");
    ByteArena spareClient, spareWritten;
    Bytes padded, hue;
    ChangeBytes patched(changes.fileId, changes.patch);
    for (std::int32_t n = 0; n < written.Count(); ++n) {
        Read found = ReadBack(written, n, spareWritten);
        const BlockChange* c = changes.Find(n);
        const Read expected = c                 ? Read{true, patched.Of(*c)}
                              : carried.empty() ? ReadBack(client, n, spareClient)
                                                : CarriedSlot(carried, n, padded);
        const std::int64_t size = std::ssize(found.bytes);
        if (c && changes.fileId == kHues) {
            // A group written anew keeps the client's header and reads back as the hue block.
            const Read theirs = ReadBack(client, n, spareClient);
            const std::size_t header = std::min({kHueGroupHeader, theirs.bytes.size(), found.bytes.size()});
            if (!std::equal(theirs.bytes.begin(), theirs.bytes.begin() + static_cast<std::ptrdiff_t>(header), found.bytes.begin()))
                return Differs(out, n, c);
            hue = HueBlockOfGroup(found.bytes);
            found.bytes = hue;
        }
        if (!Same(expected, found, false)) return Differs(out, n, c);
        if (!meter.Add(size)) return Cancelled();
    }
    return patched.Intact();
}

Status WriteWhole(const FormChanges& changes, const BlockChange& change, OutputFile& out, BakeMeter& meter) {
    ChangeBytes patched(changes.fileId, changes.patch);
    out.save->Write(patched.Of(change));
    if (!meter.Add(change.length)) return Cancelled();
    return patched.Intact();
}

Status CheckWhole(const FormChanges& changes, const BlockChange& change, const OutputFile& out, BakeMeter& meter) {
    InputFile written;
    if (Status opened = written.Open(out.Written()); !opened) return opened;
    ChangeBytes patched(changes.fileId, changes.patch);
    const ByteView bytes = patched.Of(change);
    if (written.Size() != std::ssize(bytes)) return Error(WrittenFileText(out) + "its size differs.");
    Bytes piece;
    for (std::int64_t at = 0; at < written.Size(); at += kPiece) {
        piece.resize(static_cast<std::size_t>(std::min(kPiece, written.Size() - at)));
        if (!written.Fills(at, piece)) return Error("Cannot read '" + out.Written() + "'.");
        if (!std::equal(piece.begin(), piece.end(), bytes.begin() + at))
            return Error(WrittenFileText(out) + "its bytes differ from the patch's.");
        if (!meter.Add(std::ssize(piece))) return Cancelled();
    }
    return patched.Intact();
}

Status Fingerprint(OutputFile& out, BakeMeter& meter) {
    InputFile written;
    if (Status opened = written.Open(out.Written()); !opened) return opened;
    Sha256 hash;
    Bytes piece(static_cast<std::size_t>(std::clamp<std::int64_t>(written.Size(), 1, 1 << 20)));
    for (std::int64_t at = 0; at < written.Size();) {
        const Result<std::size_t> n = written.ReadAt(at, piece);
        if (!n || *n == 0) return Error("Cannot read '" + out.Written() + "'.");
        hash.Update(ByteView(piece).first(*n));
        at += static_cast<std::int64_t>(*n);
        if (!meter.Add(static_cast<std::int64_t>(*n))) return Cancelled();
    }
    out.report.size = written.Size();
    out.report.sha256 = hash.Hex();
    return {};
}
