// What the information panel shows about the data of one block, decoded
// without Qt: a heading, lines of facts, a table and, where the block holds
// one, a picture of 16-bit colours. A damaged block still gives every fact
// that could be read, and `problem` says what is wrong with it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "io/bytes.h"
#include "codecs/color_grid.h"

struct FactTable {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;  // each as many cells as columns
};

// Row after row, `width` colours per row; empty when the block has no picture.
struct Picture16 {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint16_t> cells;
};

struct BlockFacts {
    std::string heading;
    std::vector<std::string> lines;
    FactTable table;
    Picture16 picture;
    std::string problem;  // "" for a sound block
};

// Hues (32): the eight entries of a 1220-byte block as a 32 x 8 picture, one
// row of swatches per entry, and a table of their names and further words.
// A damaged block shows the colours of every entry that holds them whole.
BlockFacts HueFacts(std::int32_t blockNumber, ByteView block);
// Texmaps (10): a 64 x 64 or 128 x 128 texture, chosen by the block length.
BlockFacts TexmapFacts(ByteView block);
// Tiledata (30): the 32 records of a land (block < 512) or static group, in
// the older or newer layout told apart by the block length.
BlockFacts TiledataFacts(std::int32_t blockNumber, ByteView block);
// The names in tiledata group `blockNumber` (land groups below 512), record
// by record, in the group's layout; as many as the block holds whole.
std::vector<std::string> TiledataNames(std::int32_t blockNumber, ByteView block);
// Skills (16): the action-button byte, then the zero-terminated name.
BlockFacts SkillFacts(ByteView block);
// Multis (14): the components, 12 or 16 bytes each.
BlockFacts MultiFacts(ByteView block);
// Sound (8): the name in the 40-byte header and the length of the 16-bit mono
// 22,050 Hz samples after it.
BlockFacts SoundFacts(ByteView block);
// Animdata (31): the eight 68-byte records after the 4-byte header.
BlockFacts AnimdataFacts(std::int32_t blockNumber, ByteView block);
// Statics (2): 7-byte entries of item number, x, y, z and hue.
BlockFacts StaticsFacts(ByteView block);
// Map (0): the 64 cells after the 4-byte header, row after row, each named
// by its column and row in the block ("3,1"); as many as the block holds whole.
FactTable MapCellsTable(ByteView block);

// The facts for a block of `fileId`; nothing for a file ID without a decoder here.
std::optional<BlockFacts> DescribeBlockData(std::uint8_t fileId, std::int32_t blockNumber, ByteView block);

// The picture in the 32-bit colours the panel draws.
ColorGrid PictureColors(const Picture16& picture);
