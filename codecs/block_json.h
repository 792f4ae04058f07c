// Item data, hues, animation timings, houses, skills, statics and map blocks
// as JSON documents, for scripts and version control, and back: the fields
// of block_fields.h by name. A document written and read back gives the same
// bytes, whatever another program put in the block.
//
//   {"type": "tiledata-items", "layout": "older", "header": 0,
//    "entries": [{"flags": "0x00000040", "flagNames": ["Impassable"], "weight": 255, ..., "name": "anvil"}, ...]}
//
// Every field is a JSON integer but these: "flags", a hex text (with the
// names of its bits as "flagNames" for tiledata); "name", the text up to its
// zero, or "nameBytes", the hex of the whole field when the name holds other
// bytes than 0x20-0x7E or its field holds more than zeros after it; a hue's
// "extra", the hex of its 64 trailing bytes, written only when not all zero.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "io/bytes.h"
#include "io/result.h"

// The document of block `blockNumber` of `fileId`, ending in a line break:
// each record on a line of its own. Refused for a file ID without fields and
// for a block whose length fits no layout of its type, naming its length and
// the lengths the type takes.
Result<std::string> BlockToJson(std::uint8_t fileId, std::int32_t blockNumber, ByteView block);

// The block a document describes. Records may carry "index" (their place in
// the block); those without follow the one before (the first is record 0).
// What the document leaves out keeps the value of `base`; with no base it
// must give every record and field ("extra" and "flagNames" may be left
// out). The layout is the document's "layout", else the base's, read as the
// panel reads it. For statics and multis, a list without any "index" is the
// whole list of records; with one, the records it names (or adds at the end)
// change and the rest stay. Refusals name the record, the field and the
// values it takes.
Result<Bytes> BlockFromJson(std::uint8_t fileId, std::int32_t blockNumber, std::string_view json,
                            std::optional<ByteView> base);

// `block` with field `field` of record `record` set to `text` as the panel
// shows it: a number in decimal or as "0x" hex, flags as hex or their names
// apart by spaces, a name, the values of a row apart by spaces (those not
// given stay). "header" sets a group's header; a skill's fields take record 0.
// Refused as BlockFromJson refuses.
Result<Bytes> SetBlockField(std::uint8_t fileId, std::int32_t blockNumber, ByteView block, std::size_t record,
                            std::string_view field, std::string_view text);
