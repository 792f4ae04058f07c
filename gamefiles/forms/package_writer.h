// Writing a game data package: for the samples, the tests and converting
// old data files. Entries are stored (flag 0), zlib-packed (1) or packed
// with the second stage under zlib (3).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "io/bytes.h"
#include "io/save_file.h"

inline constexpr std::size_t kPackageSlotSize = 34;
using PackageSlotRecord = std::array<std::uint8_t, kPackageSlotSize>;

// An entry as a package stores it: compressed as its flag (0, 1 or 3) says.
struct StoredEntry {
    Bytes stored;
    std::uint32_t decodedSize = 0;
    std::uint16_t flag = 0;
};
StoredEntry StoreEntry(ByteView payload, std::uint16_t flag);

// The entry header written in front of an entry's stored bytes: 12 bytes in
// version 4 files (3, 8 and a timestamp of 0), none in version 5.
ByteView EntryHeader(std::uint32_t version);
// The slot record of `entry`, named by `hash`, whose entry header starts at
// `offset`: the checksum is the Adler-32 of the entry header where there is
// one, else of the stored bytes.
PackageSlotRecord SlotRecord(std::uint64_t offset, std::uint32_t version, const StoredEntry& entry, std::uint64_t hash);

class PackageWriter {
public:
    // Version 5 files start their first table at 0x200 and give entries no
    // header; version 4 files start it behind the header and give each
    // entry a 12-byte header. The message of a failure names the file.
    Status Open(const std::string& path, std::uint32_t version, std::uint32_t slotsPerTable);
    // Adds an entry; flag 0, 1 or 3.
    void Add(const std::string& name, ByteView payload, std::uint16_t flag);
    void AddHashed(std::uint64_t hash, ByteView payload, std::uint16_t flag);
    // Leaves one slot of the current table empty.
    void AddEmptySlot();
    // Writes the last table and the header's entry count and renames into place.
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
};
