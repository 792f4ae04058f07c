// The blocks of an old data file as a legacy game data package holds them:
// the same lengths, bytes and flags the data file and its index would give.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "gamefiles/forms/block_source.h"
#include "gamefiles/forms/package.h"
#include "gamefiles/forms/package_names.h"
#include "io/read_budget.h"

// The live entries of the package named by the scheme, by index, up to the
// highest index that has one.
std::vector<const PackageEntry*> EntriesByIndex(const Package& package, const LegacyScheme& scheme);

// The name of every live entry a legacy scheme (or a known catalogue name)
// produces, by position in package.Entries(); "" where none does.
std::vector<std::string> KnownEntryNames(const Package& package);

// The file ID whose legacy scheme names the package's live entries, tried
// first for `likely` (what its name tells); nothing when none does or the
// package does not open.
std::optional<std::uint8_t> FileIdOfPackage(const std::string& path, std::optional<std::uint8_t> likely = std::nullopt);

// How the client's own legacy package of `fileId` is written: its version
// and the compression flag of its entries.
struct ShippedShape {
    std::uint32_t version = 5;
    std::uint16_t flag = kStoredEntry;
};
ShippedShape ShippedShapeOf(std::uint8_t fileId);

// The names of the entries the client's own package of `fileId` holds that
// are no block (the multi collection's housing.bin).
std::vector<std::string> EntriesBeyondBlocks(std::uint8_t fileId);

class PackageBlocks : public BlockSource {
public:
    // Refuses a package of another kind than the file ID's, naming the kind it holds.
    Status Open(const std::string& path, std::uint8_t fileId);
    Form GetForm() const override { return Form::kPackage; }
    const std::string& Path() const override { return package_.Path(); }
    std::int32_t Highest() const override { return highest_; }
    Result<SourceBlock> Load(std::int32_t n) override;
    void Show(std::int32_t n, ShownBlock& block) override;
    // The decoded sizes the tables declare for the entries of the blocks,
    // each entry once, within the package's budget.
    Status Reserve(std::int32_t first, std::int32_t last) override;
    // Nothing decodes to more than it declares: Reserve bounds it all.
    Status Keep(std::int64_t) override { return {}; }
    Status Intact() const override { return spent_ ? Status(*spent_) : Status(); }
    // Takes what the entries of these blocks declare from the package's
    // budget, each entry once over the reader's life, before any is decoded;
    // fails, naming the package, past it. Load takes an entry's share itself
    // when it decodes one not reserved, and fails past the budget, so that
    // no reader of a package decodes more than that, however it is asked.
    Status ReserveBlocks(std::span<const std::int32_t> numbers) override;
    // Block n of a type other than the map as Load gives it, once
    // ReserveBlocks took its share: it changes nothing, so several threads
    // may decode at once.
    Result<SourceBlock> Decode(std::int32_t n) const;
    // The package and its entries by index, as opened.
    const Package& Container() const { return package_; }
    const std::vector<const PackageEntry*>& ByIndex() const { return byIndex_; }

private:
    Result<SourceBlock> MapBlock(std::int32_t n);
    // The entry at index i, counted against the budget the first time.
    Status Take(std::size_t index);

    Package package_;
    ReadBudget budget_{"", 0};
    std::vector<bool> taken_;  // by index: entries counted against the budget
    std::optional<Error> spent_;  // why a load failed for the budget
    SourceBlock shown_;
    std::uint8_t fileId_ = 0;
    std::vector<const PackageEntry*> byIndex_;
    std::int32_t highest_ = -1;
    // The map chunk read last, since 4096 blocks share one entry.
    std::int32_t chunkIndex_ = -1;
    Bytes chunk_;
    std::string chunkError_;
};

// What an entry of a legacy package holds for a block, each type's way: a
// gump's width and height (FlagB, FlagA) in front of its pixels, a multi's
// rows as a multi collection record, a sound's serial (n + 1) in its flags
// when read back; other blocks as they are.
Bytes PayloadOfBlock(std::uint8_t fileId, std::int32_t n, ByteView bytes, std::int16_t flagA, std::int16_t flagB);
// The block an entry's payload gives; none for a placeholder gump or an
// empty payload; an error for a payload that does not hold together.
Result<SourceBlock> BlockOfPayload(std::uint8_t fileId, std::int32_t n, Bytes payload);

// The entry index that holds block n of `fileId` (map blocks share chunks),
// and the first and last block an entry index holds.
inline std::int32_t EntryOfBlock(std::uint8_t fileId, std::int32_t n) { return fileId == kMap ? n / kMapBlocksPerChunk : n; }
inline std::pair<std::int64_t, std::int64_t> BlocksOfEntry(std::uint8_t fileId, std::int64_t index) {
    if (fileId != kMap) return {index, index};
    return {index * kMapBlocksPerChunk, index * kMapBlocksPerChunk + kMapBlocksPerChunk - 1};
}

// The byte range of map block n within the map chunk that holds it.
inline std::size_t MapBlockInChunk(std::int32_t n) { return static_cast<std::size_t>(n % kMapBlocksPerChunk) * kMapBlockSize; }

// An old multi block is made of rows: u16 item, i16 x, y, z, u32 flag, u32 extra.
inline constexpr std::size_t kMultiRowSize = 16;

// The rows of an old multi block that a multi collection record holds.
Result<Bytes> MultiRecordToBlock(ByteView record);
// The multi collection record of multi `id` made of the whole rows of
// `rows` (a partial last row is dropped): a tile a row, flagged 0x0001 where
// the row's flag is 0 and 0x0100 where its extra is not, without id lists.
// MultiRecordToBlock gives the rows back with flag and extra as 0 or 1.
Bytes MultiBlockToRecord(std::int32_t id, ByteView rows);
