#include "gamefiles/forms/package.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>
#include <span>
#include <sstream>
#include <tuple>

#include "codecs/second_stage.h"
#include "codecs/zlib_codec.h"
#include "gamefiles/forms/package_names.h"
#include "io/progress.h"

namespace {
// "MYP\0", the first four bytes of every package.
constexpr std::uint32_t kMagic = 0x0050594D;
constexpr std::uint32_t kSignature = 0xFD23EC43;
constexpr std::uint64_t kHeaderSize = 40;
// Version 5 files start their first table here; version 4 files behind the header.
constexpr std::uint64_t kVersion5FirstTable = 0x200;
constexpr std::uint64_t kTableHeaderSize = 12;
constexpr std::uint64_t kSlotSize = std::tuple_size_v<PackageSlotRecord>;
constexpr std::uint64_t kSlotsPerRead = 1024;
// What a zlib stream may hold beyond its decoded size: its header, its
// checksum and the heads of stored deflate blocks.
constexpr std::uint64_t kWholeStreamSlack = 1 << 16;
// Deflate cannot expand data more than about 1032 times.
constexpr std::uint64_t kMaxInflateRatio = 1032;
// The 12-byte entry header of version 4 files: 3, 8 and a timestamp of 0.
constexpr std::array<std::uint8_t, 12> kEntryHeaderV4 = {3, 0, 8, 0};
// Copies go in pieces of this size, so that a stop is heard soon.
constexpr std::int64_t kCopyPiece = 16 << 20;

ByteView EntryHeader(std::uint32_t version) { return version == 4 ? ByteView(kEntryHeaderV4) : ByteView(); }

// A table of `slots` slot records, the first of them `records`, linking to no next table yet.
Bytes TableBytes(std::size_t slots, std::span<const PackageSlotRecord> records) {
    Bytes table(kTableHeaderSize + slots * kSlotSize, 0);
    PutLE32(&table[0], static_cast<std::uint32_t>(slots));
    for (std::size_t i = 0; i < records.size(); ++i) std::copy(records[i].begin(), records[i].end(), &table[kTableHeaderSize + i * kSlotSize]);
    return table;
}

std::string Hex(std::uint64_t v) {
    std::ostringstream s;
    s << "0x" << std::hex << std::uppercase << v;
    return s.str();
}
}  // namespace

bool StartsLikePackage(ByteView first) { return first.size() >= 4 && GetLE32(first.data()) == kMagic; }

bool IsPackageFile(const std::string& path) {
    InputFile f;
    std::array<std::uint8_t, 4> magic{};
    return f.Open(path) && f.Fills(0, magic) && StartsLikePackage(magic);
}

Error Package::Refuse(std::uint64_t offset, const std::string& what) {
    Error refused(file_.Path() + " is not a usable game data package: " + what + " at offset " +
                  std::to_string(offset) + " (" + Hex(offset) + ").");
    file_.Close();
    entries_.clear();
    byHash_.clear();
    tables_.clear();
    return refused;
}

Status Package::Open(const std::string& path) {
    file_.Close();
    entries_.clear();
    byHash_.clear();
    tables_.clear();
    if (Status opened = file_.Open(path); !opened) return opened;
    const auto size = static_cast<std::uint64_t>(file_.Size());
    std::array<std::uint8_t, kHeaderSize> header{};
    if (size < kHeaderSize || !file_.Fills(0, header)) return Refuse(0, "the file is shorter than the 40-byte header");
    if (!StartsLikePackage(header)) return Refuse(0, "the magic \"MYP\\0\" is missing");
    version_ = GetLE32(&header[4]);
    capacity_ = GetLE32(&header[20]);
    counted_ = GetLE32(&header[24]);
    if (version_ != 4 && version_ != 5) return Refuse(4, "unknown version " + std::to_string(version_));
    if (Status read = ReadTables(GetLE64(&header[12])); !read) return read;
    return IndexByHash();
}

// Follows the chain of tables from the header's link.
Status Package::ReadTables(std::uint64_t first) {
    const auto size = static_cast<std::uint64_t>(file_.Size());
    std::set<std::uint64_t> visited;
    std::uint64_t link = 12;
    for (std::uint64_t table = first; table != 0;) {
        if (table < kHeaderSize || size < kTableHeaderSize || table > size - kTableHeaderSize)
            return Refuse(link, "the table offset " + std::to_string(table) + " lies outside the file");
        if (!visited.insert(table).second)
            return Refuse(link, "the table chain loops back to the table at " + std::to_string(table));
        if (Status read = ReadTable(table); !read) return read;
        std::array<std::uint8_t, 8> next{};
        if (!file_.Fills(static_cast<std::int64_t>(table + 4), next)) return Refuse(table, "a read failed");
        link = table + 4;
        table = GetLE64(next.data());
    }
    return {};
}

// Orders the entries by name hash, each hash once.
Status Package::IndexByHash() {
    byHash_.resize(entries_.size());
    for (std::uint32_t i = 0; i < byHash_.size(); ++i) byHash_[i] = i;
    std::sort(byHash_.begin(), byHash_.end(), [&](std::uint32_t a, std::uint32_t b) {
        return entries_[a].hash != entries_[b].hash ? entries_[a].hash < entries_[b].hash : a < b;
    });
    for (std::size_t i = 1; i < byHash_.size(); ++i)
        if (entries_[byHash_[i]].hash == entries_[byHash_[i - 1]].hash)
            return Refuse(entries_[byHash_[i]].slotOffset + 20,
                          "the name hash " + Hex(entries_[byHash_[i]].hash) + " occurs twice");
    return {};
}

Status Package::ReadTable(std::uint64_t table) {
    const auto size = static_cast<std::uint64_t>(file_.Size());
    std::array<std::uint8_t, 4> countBytes{};
    if (!file_.Fills(static_cast<std::int64_t>(table), countBytes)) return Refuse(table, "a read failed");
    const std::uint64_t slots = GetLE32(countBytes.data());
    if (slots > (size - table - kTableHeaderSize) / kSlotSize)
        return Refuse(table, std::to_string(slots) + " slots run past the end of the file");
    tables_.push_back({table, static_cast<std::uint32_t>(slots)});

    std::vector<std::uint8_t> raw;
    for (std::uint64_t first = 0; first < slots; first += kSlotsPerRead) {
        const std::uint64_t count = std::min(kSlotsPerRead, slots - first);
        const std::uint64_t at = table + kTableHeaderSize + first * kSlotSize;
        raw.resize(count * kSlotSize);
        if (!file_.Fills(static_cast<std::int64_t>(at), raw)) return Refuse(at, "a read failed");
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::uint8_t* p = raw.data() + i * kSlotSize;
            PackageEntry e;
            e.slotOffset = at + i * kSlotSize;
            e.offset = GetLE64(p);
            if (e.offset == 0) continue;  // empty slot, also inside the counted range
            e.headerLength = GetLE32(p + 8);
            e.storedSize = GetLE32(p + 12);
            e.decodedSize = GetLE32(p + 16);
            e.hash = GetLE64(p + 20);
            e.flag = GetLE16(p + 32);
            if (e.offset < kHeaderSize || e.offset > size ||
                static_cast<std::uint64_t>(e.headerLength) + e.storedSize > size - e.offset)
                return Refuse(e.slotOffset, "the entry at " + std::to_string(e.offset) + " runs past the end of the file");
            if (e.decodedSize > kPackageMaxEntry)
                return Refuse(e.slotOffset + 16, "a decoded size of " + std::to_string(e.decodedSize) + " bytes is over 64 MiB");
            if (e.flag == 0 && e.storedSize != e.decodedSize)
                return Refuse(e.slotOffset + 12, "a stored entry's stored and decoded sizes differ");
            entries_.push_back(e);
        }
    }
    return {};
}

const PackageEntry* Package::Find(std::uint64_t hash) const {
    const auto it = std::lower_bound(byHash_.begin(), byHash_.end(), hash,
                                     [&](std::uint32_t i, std::uint64_t h) { return entries_[i].hash < h; });
    return it != byHash_.end() && entries_[*it].hash == hash ? &entries_[*it] : nullptr;
}

std::vector<std::uint64_t> Package::EmptySlots() const {
    std::set<std::uint64_t> used;
    for (const PackageEntry& e : entries_) used.insert(e.slotOffset);
    std::vector<std::uint64_t> empty;
    for (const PackageTable& t : tables_)
        for (std::uint64_t i = 0; i < t.slotCount; ++i)
            if (const std::uint64_t at = t.offset + kTableHeaderSize + i * kSlotSize; !used.count(at)) empty.push_back(at);
    return empty;
}

bool Package::StoredAlike(const PackageEntry& entry, const Package& otherPackage, const PackageEntry& other) const {
    // The slot records but for their first 8 bytes (the entry's offset), then the entries, in pieces.
    PackageSlotRecord a{}, b{};
    if (!file_.Fills(static_cast<std::int64_t>(entry.slotOffset), a) ||
        !otherPackage.file_.Fills(static_cast<std::int64_t>(other.slotOffset), b) || !std::equal(a.begin() + 8, a.end(), b.begin() + 8))
        return false;
    std::array<std::uint8_t, 1 << 16> x, y;
    const std::uint64_t length = std::uint64_t{entry.headerLength} + entry.storedSize;
    for (std::uint64_t at = 0; at < length; at += x.size()) {
        const auto n = static_cast<std::size_t>(std::min<std::uint64_t>(x.size(), length - at));
        if (!file_.Fills(static_cast<std::int64_t>(entry.offset + at), std::span(x).first(n)) ||
            !otherPackage.file_.Fills(static_cast<std::int64_t>(other.offset + at), std::span(y).first(n)) ||
            !std::equal(x.begin(), x.begin() + static_cast<std::ptrdiff_t>(n), y.begin()))
            return false;
    }
    return true;
}

Result<Bytes> Package::Read(const PackageEntry& entry) const {
    const Error readFailed("a read failed");
    const auto start = static_cast<std::int64_t>(entry.offset + entry.headerLength);
    if (entry.flag == 0) {
        Bytes stored(entry.storedSize);
        if (!file_.Fills(start, stored)) return readFailed;
        return stored;
    }
    if (entry.flag != 1 && entry.flag != 3) return Error("unsupported compression flag " + std::to_string(entry.flag));
    if (entry.decodedSize > kMaxInflateRatio * entry.storedSize)
        return Error("the zlib stream is too short for " + std::to_string(entry.decodedSize) + " bytes");

    // A stream no longer than deflate makes of its decoded size is read whole
    // and decoded at once; a longer one (bytes behind the stream's end) is
    // pulled in pieces, so that only the decoded size is held whole.
    if (entry.storedSize <= std::uint64_t{entry.decodedSize} + entry.decodedSize / 8 + kWholeStreamSlack) {
        Bytes stored(entry.storedSize);
        if (!file_.Fills(start, stored)) return readFailed;
        Result<Bytes> inflated = InflateWhole(stored, entry.decodedSize);
        if (!inflated || entry.flag == 1) return inflated;
        return UndoSecondStage(std::move(*inflated));
    }
    std::array<std::uint8_t, 65536> piece;  // filled by each read; not cleared
    std::int64_t at = start;
    const std::int64_t end = start + entry.storedSize;
    bool failed = false;
    const InputPull pull = [&]() -> ByteView {
        const auto want = static_cast<std::size_t>(std::min<std::int64_t>(end - at, piece.size()));
        if (want == 0) return {};
        const Result<std::size_t> got = file_.ReadAt(at, std::span(piece.data(), want));
        if (!got || *got == 0) {
            failed = true;
            return {};
        }
        at += static_cast<std::int64_t>(*got);
        return ByteView(piece.data(), *got);
    };
    Result<Bytes> inflated = InflateExact(pull, entry.decodedSize);
    if (failed) return readFailed;
    if (!inflated || entry.flag == 1) return inflated;
    return UndoSecondStage(std::move(*inflated));
}

Result<StoredEntry> Package::ReadStored(const PackageEntry& entry) const {
    StoredEntry e;
    e.flag = entry.flag;
    e.decodedSize = entry.decodedSize;
    e.stored.resize(entry.storedSize);
    if (!file_.Fills(static_cast<std::int64_t>(entry.offset + entry.headerLength), e.stored)) return Error("a read failed");
    return e;
}

std::uint32_t ShippedCapacity(std::uint32_t version) { return version == 4 ? 100 : 1000; }

StoredEntry StoreEntry(ByteView payload, std::uint16_t flag) {
    StoredEntry e;
    e.flag = flag;
    if (flag == 3) {
        const Bytes staged = ApplySecondStage(payload);
        e.decodedSize = static_cast<std::uint32_t>(staged.size());
        e.stored = Deflate(staged);
    } else {
        e.decodedSize = static_cast<std::uint32_t>(payload.size());
        e.stored = flag == 1 ? Deflate(payload) : Bytes(payload.begin(), payload.end());
    }
    return e;
}

PackageSlotRecord SlotRecord(std::uint64_t offset, std::uint32_t version, const StoredEntry& entry, std::uint64_t hash) {
    const ByteView header = EntryHeader(version);
    PackageSlotRecord r{};
    PutLE64(&r[0], offset);
    PutLE32(&r[8], static_cast<std::uint32_t>(header.size()));
    PutLE32(&r[12], static_cast<std::uint32_t>(entry.stored.size()));
    PutLE32(&r[16], entry.decodedSize);
    PutLE64(&r[20], hash);
    PutLE32(&r[28], header.empty() ? Adler32(entry.stored) : Adler32(header));
    PutLE16(&r[32], entry.flag);
    return r;
}

Status PackageWriter::Open(const std::string& path, std::uint32_t version, std::uint32_t slotsPerTable) {
    version_ = version;
    slotsPerTable_ = std::max<std::uint32_t>(slotsPerTable, 1);
    entryCount_ = 0;
    linkAt_ = 12;
    pending_.clear();
    finished_ = false;
    if (Status opened = file_.Open(path); !opened) return opened;
    Bytes header(version == 4 ? kHeaderSize : kVersion5FirstTable, 0);
    PutLE32(&header[0], kMagic);
    PutLE32(&header[4], version);
    PutLE32(&header[8], kSignature);
    PutLE32(&header[20], slotsPerTable_);
    file_.Write(header);
    return {};
}

void PackageWriter::Add(const std::string& name, ByteView payload, std::uint16_t flag) {
    AddHashed(PackageNameHash(name), payload, flag);
}

void PackageWriter::AddHashed(std::uint64_t hash, ByteView payload, std::uint16_t flag) {
    AddStored(hash, StoreEntry(payload, flag));
}

void PackageWriter::AddStored(std::uint64_t hash, StoredEntry entry) {
    Pending p;
    p.hash = hash;
    p.entry = std::move(entry);
    pending_.push_back(std::move(p));
    ++entryCount_;
    if (pending_.size() == slotsPerTable_) WriteTable();
}

void PackageWriter::AddEmptySlot() {
    Pending p;
    p.empty = true;
    pending_.push_back(std::move(p));
    if (pending_.size() == slotsPerTable_) WriteTable();
}

void PackageWriter::WriteTable() {
    const auto table = static_cast<std::uint64_t>(file_.Position());
    std::array<std::uint8_t, 8> link{};
    PutLE64(link.data(), table);
    file_.WriteAt(linkAt_, link);
    linkAt_ = static_cast<std::int64_t>(table) + 4;

    const ByteView entryHeader = EntryHeader(version_);
    std::vector<PackageSlotRecord> records(pending_.size());
    std::uint64_t at = table + kTableHeaderSize + pending_.size() * kSlotSize;
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        const Pending& p = pending_[i];
        if (p.empty) continue;
        records[i] = SlotRecord(at, version_, p.entry, p.hash);
        at += entryHeader.size() + p.entry.stored.size();
    }
    file_.Write(TableBytes(pending_.size(), records));
    for (const Pending& p : pending_) {
        if (p.empty) continue;
        file_.Write(entryHeader);
        file_.Write(p.entry.stored);
    }
    pending_.clear();
}

Status PackageWriter::Finish() {
    if (!finished_) {
        if (!pending_.empty() || linkAt_ == 12) WriteTable();
        std::array<std::uint8_t, 4> count{};
        PutLE32(count.data(), entryCount_);
        file_.WriteAt(24, count);
        finished_ = true;
    }
    return file_.Finish();
}

Status PackageWriter::Commit() {
    if (Status finished = Finish(); !finished) return finished;
    return file_.Commit();
}

Status PackagePatch::Start(const Package& base, SaveFile& out, const std::function<bool(std::int64_t)>& copied) {
    base_ = &base;
    out_ = &out;
    InputFile file;
    if (Status opened = file.Open(base.Path()); !opened) return opened;
    for (std::int64_t at = 0; at < file.Size(); at += kCopyPiece) {
        const std::int64_t n = std::min(kCopyPiece, file.Size() - at);
        out.Copy(file, at, n);
        if (!copied(n)) return Cancelled();
    }
    // A new entry takes the compression most live entries use.
    std::map<std::uint16_t, std::int64_t> uses;
    for (const PackageEntry& e : base.Entries())
        if (e.flag == 0 || e.flag == 1 || e.flag == 3) ++uses[e.flag];
    std::int64_t most = 0;
    for (const auto& [f, n] : uses)
        if (n > most) std::tie(usualFlag_, most) = std::pair(f, n);
    empty_ = base.EmptySlots();
    live_ = std::ssize(base.Entries());
    return {};
}

std::int64_t PackagePatch::Put(const PackageEntry* old, std::uint64_t hash, ByteView payload) {
    const bool known = old && (old->flag == 0 || old->flag == 1 || old->flag == 3);
    const StoredEntry stored = StoreEntry(payload, known ? old->flag : usualFlag_);
    const PackageSlotRecord record =
        SlotRecord(static_cast<std::uint64_t>(out_->Position()), base_->Version(), stored, old ? old->hash : hash);
    out_->Write(EntryHeader(base_->Version()));
    out_->Write(stored.stored);
    if (old) out_->WriteAt(static_cast<std::int64_t>(old->slotOffset), record);
    else if (nextEmpty_ < empty_.size()) out_->WriteAt(static_cast<std::int64_t>(empty_[nextEmpty_++]), record);
    else unplaced_.push_back(record);
    live_ += old == nullptr;
    return std::ssize(stored.stored);
}

void PackagePatch::Drop(const PackageEntry& old) {
    out_->WriteAt(static_cast<std::int64_t>(old.slotOffset), PackageSlotRecord{});
    --live_;
}

void PackagePatch::Finish() {
    // Tables of the base's capacity behind the last, linked from it.
    std::uint64_t linkAt = base_->Tables().empty() ? 12 : base_->Tables().back().offset + 4;
    const std::uint32_t capacity = base_->Capacity() > 0 && base_->Capacity() <= 100000 ? base_->Capacity()
                                   : base_->Version() == 4                             ? 100
                                                                                       : 1000;
    for (std::size_t first = 0; first < unplaced_.size(); first += capacity) {
        const auto table = static_cast<std::uint64_t>(out_->Position());
        std::array<std::uint8_t, 8> link{};
        PutLE64(link.data(), table);
        out_->WriteAt(static_cast<std::int64_t>(linkAt), link);
        out_->Write(TableBytes(capacity, std::span(unplaced_).subspan(first, std::min<std::size_t>(capacity, unplaced_.size() - first))));
        linkAt = table + 4;
    }
    std::array<std::uint8_t, 4> count{};
    PutLE32(count.data(), static_cast<std::uint32_t>(live_));
    out_->WriteAt(24, count);
}
