// Reading a game data package (a file starting with "MYP\0"): the header,
// the chain of block tables and their slot records, and one entry at a time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "io/binary_io.h"
#include "io/bytes.h"
#include "io/result.h"

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

// "MYP\0", the first four bytes of every package.
inline constexpr std::uint32_t kPackageMagic = 0x0050594D;

// True when the file starts with the package magic, whatever its name.
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
    // The live entries in table order.
    const std::vector<PackageEntry>& Entries() const { return entries_; }
    // The live entry with this name hash, or nullptr.
    const PackageEntry* Find(std::uint64_t hash) const;

    // One entry decoded, or why it does not decode; the other entries stay
    // readable.
    Result<Bytes> Read(const PackageEntry& entry) const;

private:
    Error Refuse(std::uint64_t offset, const std::string& what);
    Status ReadTables(std::uint64_t headerLink);
    Status ReadTable(std::uint64_t offset);
    Status IndexByHash();

    InputFile file_;
    std::uint32_t version_ = 0;
    std::uint32_t capacity_ = 0;
    std::vector<PackageTable> tables_;
    std::vector<PackageEntry> entries_;
    std::vector<std::uint32_t> byHash_;  // positions in entries_, ordered by hash
};
