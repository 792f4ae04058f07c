#include "gamefiles/forms/data_file_patch.h"

#include <algorithm>
#include <unordered_map>

#include "codecs/file_ids.h"
#include "gamefiles/forms/data_layout.h"
#include "io/binary_io.h"
#include "io/progress.h"

namespace {
// Copies go in pieces of this size, so that a stop is heard soon.
constexpr std::int64_t kPiece = 16 << 20;
// An index's offsets are 32-bit.
constexpr std::int64_t kMostData = INT32_MAX;
const IndexEntryBytes kEmptyEntry = EncodeIndexEntry(kEmptyIndexEntry);

bool CopyWhole(SaveFile& save, const InputFile& from, const CopyMeter& copied) {
    for (std::int64_t at = 0; at < from.Size(); at += kPiece) {
        const std::int64_t n = std::min(kPiece, from.Size() - at);
        save.Copy(from, at, n);
        if (!copied(n)) return false;
    }
    return true;
}

IndexEntryBytes EntryOf(std::int64_t offset, const PutBlock& block) {
    return EncodeIndexEntry({static_cast<std::int32_t>(offset), static_cast<std::int32_t>(block.bytes.size()), block.flagA, block.flagB});
}
}  // namespace

std::string NumbersText(const std::vector<std::int32_t>& numbers) {
    constexpr std::size_t kShown = 10;
    std::string text;
    for (std::size_t i = 0; i < std::min(numbers.size(), kShown); ++i) text += (i ? ", " : "") + std::to_string(numbers[i]);
    if (numbers.size() > kShown) text += " and " + std::to_string(numbers.size() - kShown) + " more";
    return text;
}

Status CheckIndexedPatch(const std::string& dataPath, const std::string& indexPath, std::int64_t appended, bool compact) {
    InputFile data, index;
    if (Status opened = data.Open(dataPath); !opened) return opened;
    if (Status opened = index.Open(indexPath); !opened) return opened;
    if (index.Size() % kIndexEntrySize != 0)
        return Error("'" + indexPath + "' holds " + std::to_string(index.Size()) +
                     " bytes, not whole 12-byte entries: entries written into it would be misaligned.");
    if (!compact && data.Size() + appended > kMostData)
        return Error("'" + dataPath + "' would grow past 2 GB, more than its index's offsets can address.");
    return {};
}

Result<std::vector<std::int32_t>> IndexedPatch::Start(const std::string& baseData, const std::string& baseIndex,
                                                      std::int32_t entries, SaveFile& data, SaveFile& index,
                                                      const std::function<bool(std::int32_t)>& keep, const CopyMeter& copied) {
    data_ = &data;
    index_ = &index;
    InputFile clientData, clientIndex;
    if (Status opened = clientData.Open(baseData); !opened) return opened.error();
    if (Status opened = clientIndex.Open(baseIndex); !opened) return opened.error();
    if (!CopyWhole(data, clientData, copied) || !CopyWhole(index, clientIndex, copied)) return Cancelled();
    for (std::int64_t n = clientIndex.Size() / kIndexEntrySize; n < entries; ++n) index.Write(kEmptyEntry);
    at_ = clientData.Size();
    BufferedReader read(clientIndex);
    std::vector<std::int32_t> emptied;
    IndexEntryBytes raw{};
    for (std::int32_t n = 0; read.Read(raw); ++n) {
        const IndexEntry e = DecodeIndexEntry(raw);
        if (e.length <= 0 || (e.offset >= 0 && std::int64_t{e.offset} + e.length <= clientData.Size()) || keep(n)) continue;
        emptied.push_back(n);
        index.WriteAt(n * kIndexEntrySize, kEmptyEntry);
    }
    return emptied;
}

void IndexedPatch::Put(std::int32_t n, const PutBlock& block) {
    index_->WriteAt(n * kIndexEntrySize, block.bytes.empty() ? kEmptyEntry : EntryOf(at_, block));
    // Bytes that stay where they are go out without a copy.
    if (block.lasting) data_->WriteKept(block.bytes);
    else data_->Write(block.bytes);
    at_ += std::ssize(block.bytes);
}

Result<std::vector<std::int32_t>> WriteCompactIndexed(std::uint8_t fileId, const std::string& baseData,
                                                      const std::string& baseIndex, std::int32_t entries,
                                                      const std::function<std::optional<PutBlock>(std::int32_t)>& changed,
                                                      SaveFile& data, SaveFile& index, const CopyMeter& copied) {
    DataFile client;
    InputFile rawIndex;
    if (Status opened = OpenDataFile(client, fileId, baseData, baseIndex); !opened) return opened.error();
    if (Status opened = rawIndex.Open(baseIndex); !opened) return opened.error();
    BufferedReader read(rawIndex);
    const auto indexEntries = static_cast<std::int32_t>(rawIndex.Size() / kIndexEntrySize);
    std::unordered_map<std::uint64_t, std::int64_t> placed;  // (offset, length) in the base -> new offset
    std::vector<std::int32_t> damaged;
    ByteArena spare;
    auto append = [&](ByteView bytes) -> Result<std::int64_t> {
        const std::int64_t at = data.Position();
        if (at + std::ssize(bytes) > kMostData)
            return Error("'" + baseData + "' would grow past 2 GB, more than its index's offsets can address.");
        data.Write(bytes);
        return at;
    };
    for (std::int32_t n = 0; n < entries; ++n) {
        IndexEntryBytes raw = kEmptyEntry;
        if (n < indexEntries && !read.Read(raw)) return Error("Cannot read '" + baseIndex + "'.");
        IndexEntryBytes out = raw;
        if (const std::optional<PutBlock> put = changed(n)) {
            out = kEmptyEntry;
            if (!put->bytes.empty()) {
                const Result<std::int64_t> at = append(put->bytes);
                if (!at) return at.error();
                out = EntryOf(*at, *put);
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
        index.Write(out);
        if (n % 4096 == 0 && !copied(4096 * kIndexEntrySize)) return Cancelled();
    }
    return damaged;
}

Status IndexedWriter::Put(std::int32_t n, ByteView bytes, std::int16_t flagA, std::int16_t flagB) {
    for (; next_ < n; ++next_) index_->Write(kEmptyEntry);
    const std::int64_t at = data_->Position();
    if (at + std::ssize(bytes) > kMostData)
        return Error("the data file would grow past 2 GB, more than its index's offsets can address");
    index_->Write(bytes.empty() ? kEmptyEntry : EncodeIndexEntry({static_cast<std::int32_t>(at), static_cast<std::int32_t>(bytes.size()), flagA, flagB}));
    data_->Write(bytes);
    next_ = n + 1;
    return {};
}

Status SlotPatch::Start(std::uint8_t fileId, const std::string& base, ByteView carried, SaveFile& out, const CopyMeter& copied) {
    fileId_ = fileId;
    out_ = &out;
    size_ = std::ssize(carried);
    if (carried.empty()) {
        InputFile client;
        if (Status opened = client.Open(base); !opened) return opened;
        size_ = client.Size();
        if (!CopyWhole(out, client, copied)) return Cancelled();
    } else {
        out.WriteKept(carried);
    }
    const Result<BlockCut> cut = CutOfFile(fileId, size_, base);
    if (!cut) return cut.error();
    cut_ = *cut;
    return {};
}

std::pair<std::int64_t, bool> SlotPatch::Put(std::int32_t n, ByteView bytes) {
    const std::int64_t at = cut_.OffsetOf(n);
    // A hue block goes into its group under the header the group has.
    const bool hue = fileId_ == kHues;
    const Bytes group = hue ? HueGroupOfBlock(bytes) : Bytes();
    const ByteView stored = hue ? ByteView(group) : bytes;
    const std::size_t kept = hue ? kHueGroupHeader : 0;
    out_->WriteAt(at + static_cast<std::int64_t>(kept), stored.subspan(kept));
    return {std::ssize(stored), at + std::ssize(stored) > size_};
}
