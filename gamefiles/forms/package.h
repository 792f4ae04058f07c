// The game data package (a file starting with "MYP\0"): its header, the
// chain of block tables and their slot records, and its entries, stored or
// compressed. Read (Package), written anew (PackageWriter) and written as a
// copy of another with some entries changed (PackagePatch); nothing else
// knows its layout.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "io/binary_io.h"
#include "io/bytes.h"
#include "io/result.h"
#include "io/save_file.h"

// Largest decoded entry a package may hold.
inline constexpr std::uint32_t kPackageMaxEntry = 64u << 20;

// One live slot record.
struct PackageEntry {
    std::uint64_t slotOffset = 0;   // where the slot record lies
    std::uint64_t offset = 0;       // where the entry header starts
    std::uint32_t headerLength = 0;
    std::uint32_t storedSize = 0;
    std::uint32_t decodedSize = 0;
    std::uint64_t hash = 0;
    std::uint16_t flag = 0;
};

// A block table: where it lies and how many slot records it counts.
struct PackageTable {
    std::uint64_t offset = 0;
    std::uint32_t slotCount = 0;
};

// The compression flags of entries: stored, a zlib stream, and a zlib
// stream of the second stage.
inline constexpr std::uint16_t kStoredEntry = 0, kZlibEntry = 1, kSecondStageEntry = 3;

// The slots per table of the client's own packages of a version.
std::uint32_t ShippedCapacity(std::uint32_t version);

// An entry as a package stores it: compressed as its flag (0, 1 or 3) says.
struct StoredEntry {
    Bytes stored;
    std::uint32_t decodedSize = 0;
    std::uint16_t flag = 0;
};

// True when `first` (a file's first bytes) starts as a package does.
bool StartsLikePackage(ByteView first);
// True when the file starts as a package does, whatever its name.
bool IsPackageFile(const std::string& path);

class Package {
public:
    // Reads and checks the whole structure; on a failure the message names
    // the file and the offset, and nothing of the package is kept.
    Status Open(const std::string& path);

    const std::string& Path() const { return file_.Path(); }
    std::int64_t Size() const { return file_.Size(); }
    std::uint32_t Version() const { return version_; }
    std::size_t TableCount() const { return tables_.size(); }
    // The tables in the order of their chain.
    const std::vector<PackageTable>& Tables() const { return tables_; }
    // The header's slots per table: a hint for writers, no limit.
    std::uint32_t Capacity() const { return capacity_; }
    // The live entries the header counts.
    std::uint32_t CountedEntries() const { return counted_; }
    // The live entries in table order.
    const std::vector<PackageEntry>& Entries() const { return entries_; }
    // The live entry with this name hash, or nullptr.
    const PackageEntry* Find(std::uint64_t hash) const;
    // The slot records no live entry uses, in table order.
    std::vector<std::uint64_t> EmptySlots() const;

    // One entry decoded, or why it does not decode; the other entries stay
    // readable.
    Result<Bytes> Read(const PackageEntry& entry) const;
    // Whether the entry's slot record (but for its offset) and its stored
    // bytes equal those of `other` in `otherPackage`; false when a read fails.
    bool StoredAlike(const PackageEntry& entry, const Package& otherPackage, const PackageEntry& other) const;
    // The entry's stored bytes as they are, to be stored again elsewhere.
    Result<StoredEntry> ReadStored(const PackageEntry& entry) const;

private:
    Error Refuse(std::uint64_t offset, const std::string& what);
    Status ReadTables(std::uint64_t headerLink);
    Status ReadTable(std::uint64_t offset);
    Status IndexByHash();

    InputFile file_;
    std::uint32_t version_ = 0;
    std::uint32_t capacity_ = 0;
    std::uint32_t counted_ = 0;
    std::vector<PackageTable> tables_;
    std::vector<PackageEntry> entries_;
    std::vector<std::uint32_t> byHash_;  // positions in entries_, ordered by hash
};

StoredEntry StoreEntry(ByteView payload, std::uint16_t flag);

// A slot record as stored.
using PackageSlotRecord = std::array<std::uint8_t, 34>;
// The slot record of `entry`, named by `hash`, whose entry header starts at
// `offset`: the checksum is the Adler-32 of the entry header where there is
// one, else of the stored bytes.
PackageSlotRecord SlotRecord(std::uint64_t offset, std::uint32_t version, const StoredEntry& entry, std::uint64_t hash);

// Writes a new package.
class PackageWriter {
public:
    // Version 5 files start their first table at 0x200 and give entries no
    // header; version 4 files start it behind the header and give each
    // entry a 12-byte header. The message of a failure names the file.
    Status Open(const std::string& path, std::uint32_t version, std::uint32_t slotsPerTable);
    // Adds an entry; flag 0, 1 or 3.
    void Add(const std::string& name, ByteView payload, std::uint16_t flag);
    void AddHashed(std::uint64_t hash, ByteView payload, std::uint16_t flag);
    // Adds an entry stored already (another package's, as it stores it).
    void AddStored(std::uint64_t hash, StoredEntry entry);
    // Leaves one slot of the current table empty.
    void AddEmptySlot();
    // Writes the last table and the header's entry count and flushes the
    // file to disk: it is whole at Written(), its target not replaced yet.
    Status Finish();
    const std::string& Written() const { return file_.TemporaryPath(); }
    // Finishes and renames into place.
    Status Commit();

private:
    struct Pending {
        std::uint64_t hash = 0;
        StoredEntry entry;
        bool empty = false;
    };
    void WriteTable();

    SaveFile file_;
    std::uint32_t version_ = 5;
    std::uint32_t slotsPerTable_ = 1000;
    std::uint32_t entryCount_ = 0;
    std::int64_t linkAt_ = 12;  // where the offset of the next table goes
    std::vector<Pending> pending_;
    bool finished_ = false;
};

// Writes a copy of a package with some entries replaced, added or dropped:
// the base is copied as it is, each new entry's bytes are appended and its
// slot record rewritten (a dropped entry's emptied, a new one put into an
// empty slot or a table added behind the last). Every other entry keeps
// its stored bytes, header, name hash, checksum, flag and place.
class PackagePatch {
public:
    // Copies `base` into `out` (opened, unfinished), telling `copied` the
    // bytes as they go; false from it stops the copy (kCancelled).
    Status Start(const Package& base, SaveFile& out, const std::function<bool(std::int64_t)>& copied);
    // Puts `payload` in place of `old` (or as a new entry named by `hash`
    // when `old` is nullptr), compressed as `old` is where its flag is
    // known, else as most of the base's entries are. Returns the bytes stored.
    std::int64_t Put(const PackageEntry* old, std::uint64_t hash, ByteView payload);
    // Empties the slot record of `old`.
    void Drop(const PackageEntry& old);
    // Adds the tables the new entries need and counts the live entries in the header.
    void Finish();

private:
    const Package* base_ = nullptr;
    SaveFile* out_ = nullptr;
    std::uint16_t usualFlag_ = 0;
    std::vector<std::uint64_t> empty_;
    std::size_t nextEmpty_ = 0;
    std::vector<PackageSlotRecord> unplaced_;  // new entries beyond the empty slots
    std::int64_t live_ = 0;
};
