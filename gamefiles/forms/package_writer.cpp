#include "gamefiles/forms/package_writer.h"

#include <zlib.h>

#include <array>

#include "codecs/second_stage.h"
#include "codecs/zlib_codec.h"
#include "gamefiles/forms/package.h"
#include "gamefiles/forms/package_names.h"

namespace {
constexpr std::size_t kHeaderSize = 40;
constexpr std::array<std::uint8_t, 12> kEntryHeaderV4 = {3, 0, 8, 0};

std::uint32_t Adler(ByteView bytes) {
    return static_cast<std::uint32_t>(adler32(adler32(0, nullptr, 0), bytes.data(), static_cast<uInt>(bytes.size())));
}
}  // namespace

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

ByteView EntryHeader(std::uint32_t version) { return version == 4 ? ByteView(kEntryHeaderV4) : ByteView(); }

PackageSlotRecord SlotRecord(std::uint64_t offset, std::uint32_t version, const StoredEntry& entry, std::uint64_t hash) {
    const ByteView header = EntryHeader(version);
    PackageSlotRecord r{};
    PutLE64(&r[0], offset);
    PutLE32(&r[8], static_cast<std::uint32_t>(header.size()));
    PutLE32(&r[12], static_cast<std::uint32_t>(entry.stored.size()));
    PutLE32(&r[16], entry.decodedSize);
    PutLE64(&r[20], hash);
    PutLE32(&r[28], header.empty() ? Adler(entry.stored) : Adler(header));
    PutLE16(&r[32], entry.flag);
    return r;
}

Status PackageWriter::Open(const std::string& path, std::uint32_t version, std::uint32_t slotsPerTable) {
    version_ = version;
    slotsPerTable_ = std::max<std::uint32_t>(slotsPerTable, 1);
    entryCount_ = 0;
    linkAt_ = 12;
    pending_.clear();
    if (Status opened = file_.Open(path); !opened) return opened;
    Bytes header(version == 4 ? kHeaderSize : 0x200, 0);
    PutLE32(&header[0], kPackageMagic);
    PutLE32(&header[4], version);
    PutLE32(&header[8], 0xFD23EC43);
    PutLE32(&header[20], slotsPerTable_);
    file_.Write(header);
    return {};
}

void PackageWriter::Add(const std::string& name, ByteView payload, std::uint16_t flag) {
    AddHashed(PackageNameHash(name), payload, flag);
}

void PackageWriter::AddHashed(std::uint64_t hash, ByteView payload, std::uint16_t flag) {
    Pending p;
    p.hash = hash;
    p.entry = StoreEntry(payload, flag);
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
    Bytes records(12 + pending_.size() * kPackageSlotSize, 0);
    PutLE32(&records[0], static_cast<std::uint32_t>(pending_.size()));
    std::uint64_t at = table + records.size();
    for (std::size_t i = 0; i < pending_.size(); ++i) {
        const Pending& p = pending_[i];
        if (p.empty) continue;
        const PackageSlotRecord r = SlotRecord(at, version_, p.entry, p.hash);
        std::copy(r.begin(), r.end(), &records[12 + i * kPackageSlotSize]);
        at += entryHeader.size() + p.entry.stored.size();
    }
    file_.Write(records);
    for (const Pending& p : pending_) {
        if (p.empty) continue;
        file_.Write(entryHeader);
        file_.Write(p.entry.stored);
    }
    pending_.clear();
}

Status PackageWriter::Commit() {
    if (!pending_.empty() || linkAt_ == 12) WriteTable();
    std::array<std::uint8_t, 4> count{};
    PutLE32(count.data(), entryCount_);
    file_.WriteAt(24, count);
    return file_.Commit();
}
