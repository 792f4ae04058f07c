// The fields of the records that item data, hues, animation timings, houses,
// skills, statics and map blocks hold: where each lies in its record, how
// wide and of what kind it is. One table for the JSON form (block_json.h),
// the panel's facts and their column headings.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "io/bytes.h"

enum class FieldKind : std::uint8_t {
    kUnsigned,  // little-endian, `width` bytes
    kSigned,    // little-endian two's complement
    kFlags,     // tiledata's flag bits: hex text, and their names
    kBits,      // another word of bits: hex text
    kName,      // 8-bit text ending at a zero; `width` 0: the rest of the block
    kBytes,     // raw bytes kept as they are, as hex text
};

struct BlockField {
    std::string_view name;  // the JSON key and the panel's column heading
    std::size_t offset;     // in the record
    std::size_t width;      // bytes of one value; of the whole field for names and raw bytes
    FieldKind kind;
    std::size_t count = 1;  // values in a row (a hue's 32 colours, 64 frame offsets)
    int hexDigits = 0;      // the panel shows it as hex of this many digits; 0: in decimal
};

// The fields tile their record: every byte belongs to exactly one.
struct RecordLayout {
    std::string_view name;  // "older", "newer"; "" where the record size names it (multis) or there is one
    std::size_t size;       // bytes of one record; 0: the whole block (a skill)
    std::span<const BlockField> fields;
};

struct BlockType {
    std::uint8_t fileId;
    std::string_view type;        // the JSON "type"
    std::string_view recordsKey;  // the JSON list of records; "": one record, its fields at the top
    std::string_view recordNoun;  // "Entry", "Hue", "Component", ... in messages
    std::size_t header;           // bytes before the records, a little-endian word when 4
    std::size_t records;          // records a block holds; 0: as many as its length takes
    std::span<const RecordLayout> layouts;
};

// The type of block `blockNumber` of `fileId`; nullptr for a file ID without
// fields (tiledata land groups are the blocks below 512).
const BlockType* BlockTypeOf(std::uint8_t fileId, std::int32_t blockNumber);

// The layout a block of `length` bytes is read in: the type's only one, else
// the one its length (and, for a multi that both sizes divide, its rows'
// last words) tells. Given for a length that fits no layout too, as the
// panel reads a damaged block.
const RecordLayout& LayoutOf(const BlockType& type, ByteView block);
// Whether a block of `length` bytes is whole in `layout`.
bool FitsLayout(const BlockType& type, const RecordLayout& layout, std::size_t length);
// The whole records a block of `length` bytes holds in `layout`.
std::size_t RecordsHeld(const BlockType& type, const RecordLayout& layout, std::size_t length);
// Where record `index` starts.
inline std::size_t RecordOffset(const BlockType& type, const RecordLayout& layout, std::size_t index) {
    return type.header + layout.size * index;
}
// "836 (older) or 964 (newer) bytes", "a multiple of 7 bytes": the lengths
// the type takes, for messages.
std::string LengthsTaken(const BlockType& type);

// The field called `name`, or nullptr.
const BlockField* FindField(const RecordLayout& layout, std::string_view name);

// The name of tiledata flag `bit` (0 to 63): Background ... StairRight, then Bit32 ... Bit63.
std::string FlagName(int bit);
// The bit of a flag name, or -1.
int FlagBit(std::string_view name);

// Value `k` of a number field of `record`: unsigned, or sign-extended.
std::uint64_t FieldNumber(const BlockField& field, ByteView record, std::size_t k = 0);
// The panel's text of a field of `record`: a number in decimal or hex as the
// field has it, the values of a row apart by spaces, a name up to its zero.
std::string FieldText(const BlockField& field, ByteView record);
