// The plan of the block tree: one node per named file type, holding its live
// block numbers in ascending order, and the keys and texts users see. A
// file-type node has the key "F" + three-digit file ID; a block node that key
// + "B" + the block number in decimal; a file type with too many slots to
// list shows one "LOTS" node (key + "LOTS") whose children are its blocks.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "patch/file_types.h"
#include "patch/patch.h"

// What a tree node stands for: a block, or (blockNumber -1) a file type.
struct BlockId {
    std::uint8_t fileId = 0;
    std::int32_t blockNumber = -1;

    bool IsBlock() const { return blockNumber != -1; }
    bool operator==(const BlockId&) const = default;
};

// Prepends "0" until `text` is `width` characters long.
std::string PadToWidth(const std::string& text, std::size_t width);
// The decimal form of 0..999 in three digits; "" for four digits or more.
std::string ThreeDigit(int number);
// Upper-case hexadecimal of the 32-bit pattern of `value`, at least `width` digits.
std::string Hex(std::int64_t value, int width);

std::string FileTypeKey(std::uint8_t fileId);
std::string BlockKey(std::uint8_t fileId, std::int32_t blockNumber);
// "0x" + at least five hexadecimal digits, e.g. 0x01234.
std::string BlockText(std::int32_t blockNumber);
// The decimal text of a block kept after settling a duplicate, e.g. 004660.
std::string SettledBlockText(std::int32_t blockNumber);
// "Client.exe", "Readme.txt", "Map0.mul" or "unknown".
std::string WholeFileText(std::int32_t blockNumber);

// A file type with this many slots or more shows one "LOTS" node instead.
inline constexpr std::int32_t kLotsThreshold = 30001;

struct FileTypeNode {
    std::uint8_t fileId = 0;
    bool lots = false;                  // the blocks hang below one "LOTS" node
    std::vector<std::int32_t> blocks;   // live block numbers, ascending, each once
};

// Block numbers whose duplicates the last settling removed, per file ID:
// their nodes show the decimal text until the next change.
using SettledNumbers = std::array<std::unordered_set<std::int32_t>, Patch::kFileIds>;

// The file types of the catalogue in file ID order with their live blocks.
// Blocks of file IDs without a name get no node. Expects a settled patch.
std::vector<FileTypeNode> PlanTree(const Patch& patch, const FileTypeTable& types);

// The text of block `n` of `fileId`, as its node shows it.
std::string BlockNodeText(std::uint8_t fileId, std::int32_t n, bool settled);
