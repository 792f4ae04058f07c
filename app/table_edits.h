// The panel's table of a block as the user edits it: cells set from typed
// or pasted text, records of houses and statics added, removed and moved.
// Each gives the block's new bytes, or why it is refused, and the name of
// the step it makes. The table's column headings are the field names of
// block_fields.h; a column that is no field (an item's number) is read-only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "codecs/block_fields.h"
#include "io/bytes.h"
#include "io/result.h"

struct CellText {
    std::size_t row = 0;  // the record
    std::string column;   // the field's name
    std::string text;
};

// Why block `blockNumber` of `fileId` cannot be edited as a table; "" when it can.
std::string TableReadOnlyReason(std::uint8_t fileId, std::int32_t blockNumber, ByteView block);

// `block` with every cell set; refused as a whole naming the first cell
// that does not fit its field. Numbers are read as the editor reads them
// (decimal, fractions rounded, or hex after 0x or &H); flags as hex or by
// their names apart by spaces.
Result<Bytes> SetCells(std::uint8_t fileId, std::int32_t blockNumber, ByteView block, const std::vector<CellText>& cells);

// Whether the type's blocks hold as many records as their length takes
// (houses, statics): those rows can be added, removed and moved.
bool RowsVary(std::uint8_t fileId);
// A record of zeros inserted before record `at` (at the end when `at` is the count).
Result<Bytes> InsertRecord(std::uint8_t fileId, ByteView block, std::size_t at);
Result<Bytes> RemoveRecord(std::uint8_t fileId, ByteView block, std::size_t at);
// Record `at` swapped with record `to`.
Result<Bytes> MoveRecord(std::uint8_t fileId, ByteView block, std::size_t at, std::size_t to);

// What the step calls record `row` of the block: "item 0x0F3A", "hue 12",
// "component 3 of Multis 0x00010".
std::string RecordSubject(std::uint8_t fileId, std::int32_t blockNumber, std::size_t row);
// "Multis 0x00010", as the tree names the block.
std::string BlockTitle(std::uint8_t fileId, std::int32_t blockNumber);
