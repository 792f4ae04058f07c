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
#include "gamefiles/forms/data_layout.h"
#include "io/binary_io.h"

namespace {
// Copies and reads go in pieces of this size, so that a stop is heard soon.
constexpr std::int64_t kPiece = 16 << 20;

IndexEntryBytes Entry(std::int64_t offset, std::int32_t length, std::int16_t flagA, std::int16_t flagB) {
    return EncodeIndexEntry({static_cast<std::int32_t>(offset), length, flagA, flagB});
}
const IndexEntryBytes kEmptyEntry = EncodeIndexEntry(kEmptyIndexEntry);

bool CopyWhole(SaveFile& save, const InputFile& from, BakeMeter& meter) {
    for (std::int64_t at = 0; at < from.Size(); at += kPiece) {
        const std::int64_t n = std::min(kPiece, from.Size() - at);
        save.Copy(from, at, n);
        if (!meter.Add(n)) return false;
    }
    return true;
}

std::int64_t AppendedBytes(const FormChanges& changes) {
    std::int64_t bytes = 0;
    for (const BlockChange& c : changes.changes) bytes += c.length;
    return bytes;
}

std::int32_t EntriesAfter(const FormChanges& changes, std::int64_t indexBytes) {
    const auto entries = static_cast<std::int32_t>(indexBytes / kIndexEntrySize);
    return changes.changes.empty() ? entries : std::max(entries, changes.changes.back().n + 1);
}

// The block numbers of a list, for a note: the first few, then how many more.
std::string Numbers(const std::vector<std::int32_t>& numbers) {
    constexpr std::size_t kShown = 10;
    std::string text;
    for (std::size_t i = 0; i < std::min(numbers.size(), kShown); ++i) text += (i ? ", " : "") + std::to_string(numbers[i]);
    if (numbers.size() > kShown) text += " and " + std::to_string(numbers.size() - kShown) + " more";
    return text;
}

// Says which entries were emptied for being damaged.
void NoteDamaged(const OutputFile& index, const std::vector<std::int32_t>& damaged, std::vector<std::string>& notes) {
    if (damaged.empty()) return;
    notes.push_back(index.report.name + ": emptied " + std::to_string(damaged.size()) +
                    (damaged.size() == 1 ? " damaged entry" : " damaged entries") + " (blocks " + Numbers(damaged) +
                    "): " + kNotInsideDataFile + ".");
}

// Writes every block of the compacted data file and its index: live entries
// point at their bytes written once each (entries that shared bytes still
// share them), absent entries stay as they were, damaged ones are emptied.
Status WriteCompact(const FormChanges& changes, const ClientTypeFiles& files, OutputFile& data, OutputFile& index,
                    BakeMeter& meter, std::vector<std::string>& notes) {
    DataFile client;
    InputFile rawIndex;
    if (Status opened = OpenDataFile(client, changes.fileId, files.data->path, files.index->path); !opened) return opened;
    if (Status opened = rawIndex.Open(files.index->path); !opened) return opened;
    BufferedReader entries(rawIndex);
    const std::int32_t indexEntries = static_cast<std::int32_t>(rawIndex.Size() / kIndexEntrySize);
    const std::int32_t count = EntriesAfter(changes, rawIndex.Size());
    std::unordered_map<std::uint64_t, std::int64_t> placed;  // (offset, length) in the client's file -> new offset
    std::vector<std::int32_t> damaged;
    ByteArena spare;
    ChangeBytes patched(changes.fileId, changes.patch);
    auto append = [&](ByteView bytes) -> Result<std::int64_t> {
        const std::int64_t at = data.save->Position();
        if (at + std::ssize(bytes) > INT32_MAX)
            return Error(data.report.name + " would grow past 2 GB, more than its index's offsets can address.");
        data.save->Write(bytes);
        return at;
    };
    for (std::int32_t n = 0; n < count; ++n) {
        IndexEntryBytes raw = kEmptyEntry;
        if (n < indexEntries && !entries.Read(raw)) return Error("Cannot read '" + files.index->path + "'.");
        IndexEntryBytes out = raw;
        if (const BlockChange* c = changes.Find(n)) {
            out = kEmptyEntry;
            if (c->HasData()) {
                const Result<std::int64_t> at = append(patched.Of(*c));
                if (!at) return at.error();
                out = Entry(*at, c->length, c->flagA, c->flagB);
            }
        } else if (n < indexEntries) {
            spare.Reuse();
            const Result<ViewedBlock> block = client.View(n, spare);
            if (!block) {
                damaged.push_back(n);
                out = kEmptyEntry;
            } else if (block->length > 0) {
                IndexEntry entry = DecodeIndexEntry(raw);
                const std::uint64_t key = std::uint64_t{static_cast<std::uint32_t>(entry.offset)} << 32 |
                                          static_cast<std::uint32_t>(entry.length);
                auto [where, fresh] = placed.try_emplace(key, 0);
                if (fresh) {
                    const Result<std::int64_t> at = append(block->bytes);
                    if (!at) return at.error();
                    where->second = *at;
                }
                entry.offset = static_cast<std::int32_t>(where->second);
                out = EncodeIndexEntry(entry);
            }
        }
        index.save->Write(out);
        if (n % 4096 == 0 && !meter.Add(4096 * kIndexEntrySize)) return Cancelled();
    }
    NoteDamaged(index, damaged, notes);
    return patched.Intact();
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
    InputFile data, index;
    if (Status opened = data.Open(files.data->path); !opened) return opened;
    if (Status opened = index.Open(files.index->path); !opened) return opened;
    if (index.Size() % kIndexEntrySize != 0)
        return Error("'" + files.index->path + "' holds " + std::to_string(index.Size()) +
                     " bytes, not whole 12-byte entries: entries written into it would be misaligned.");
    if (!compact && data.Size() + AppendedBytes(changes) > INT32_MAX)
        return Error("'" + files.data->path + "' would grow past 2 GB, more than its index's offsets can address.");
    return {};
}

Status WriteIndexed(const FormChanges& changes, const ClientTypeFiles& files, bool compact, OutputFile& data,
                    OutputFile& index, BakeMeter& meter, std::vector<std::string>& notes) {
    if (compact) return WriteCompact(changes, files, data, index, meter, notes);
    InputFile clientData, clientIndex;
    if (Status opened = clientData.Open(files.data->path); !opened) return opened;
    if (Status opened = clientIndex.Open(files.index->path); !opened) return opened;
    // The client's bytes stay where they are: delta updaters ship only the tail and the index.
    if (!CopyWhole(*data.save, clientData, meter) || !CopyWhole(*index.save, clientIndex, meter)) return Cancelled();
    for (std::int64_t n = clientIndex.Size() / kIndexEntrySize; n < EntriesAfter(changes, clientIndex.Size()); ++n)
        index.save->Write(kEmptyEntry);
    // An entry whose data does not lie inside the client's data file would
    // point into the bytes appended now: it is emptied.
    BufferedReader entries(clientIndex);
    std::vector<std::int32_t> damaged;
    IndexEntryBytes raw{};
    for (std::int32_t n = 0; entries.Read(raw); ++n) {
        const IndexEntry e = DecodeIndexEntry(raw);
        if (e.length <= 0 || (e.offset >= 0 && std::int64_t{e.offset} + e.length <= clientData.Size()) || changes.Find(n))
            continue;
        damaged.push_back(n);
        index.save->WriteAt(n * kIndexEntrySize, kEmptyEntry);
    }
    NoteDamaged(index, damaged, notes);
    std::int64_t at = clientData.Size();
    ChangeBytes patched(changes.fileId, changes.patch);
    for (const BlockChange& c : changes.changes) {
        index.save->WriteAt(c.n * kIndexEntrySize, c.HasData() ? Entry(at, c.length, c.flagA, c.flagB) : kEmptyEntry);
        // Bytes that stay where they are go out without a copy; a window of the patch file moves on.
        if (patched.Lasting(c)) data.save->WriteKept(patched.Of(c));
        else data.save->Write(patched.Of(c));
        at += c.length;
        if (!meter.Add(c.length)) return Cancelled();
    }
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
    InputFile client;
    std::int64_t size = std::ssize(carried);
    if (carried.empty()) {
        if (Status opened = client.Open(base); !opened) return opened;
        size = client.Size();
        if (!CopyWhole(*out.save, client, meter)) return Cancelled();
    } else {
        out.save->WriteKept(carried);
    }
    const Result<BlockCut> cut = CutOfFile(changes.fileId, size, base);
    if (!cut) return cut.error();
    ChangeBytes patched(changes.fileId, changes.patch);
    for (const BlockChange& c : changes.changes) {
        const std::int64_t at = cut->OffsetOf(c.n);
        // A hue block goes into its group under the header the group has.
        const bool hue = changes.fileId == kHues;
        const Bytes group = hue ? HueGroupOfBlock(patched.Of(c)) : Bytes();
        const ByteView stored = hue ? ByteView(group) : patched.Of(c);
        if (at + std::ssize(stored) > size)
            notes.push_back(out.report.name + " ends inside block " + std::to_string(c.n) + ": it was written whole.");
        const std::size_t kept = hue ? kHueGroupHeader : 0;
        out.save->WriteAt(at + static_cast<std::int64_t>(kept), stored.subspan(kept));
        if (!meter.Add(std::ssize(stored))) return Cancelled();
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
