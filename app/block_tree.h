// The keys and texts of the block tree and the plan of its nodes. A file-type
// node has the key "F" + three-digit file ID; a block node that key + "B" +
// the block number in decimal. The keys are the only link to the patch.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "patch/FileTypes.h"
#include "patch/Patch.h"

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

// A node key taken apart by character position.
struct NodeKey {
    std::uint8_t fileId = 0;
    bool isBlock = false;       // "B" at the fifth character
    bool isFileType = false;    // exactly four characters
    std::int32_t blockNumber = 0;
};
NodeKey ParseNodeKey(const std::string& key);

struct TreeNode {
    std::string key;
    std::string text;
    std::string parentKey;  // "" for a top-level node
    int image = 0;          // 0: none
};

// A file type with this many slots or more shows one "LOTS" node instead.
inline constexpr std::int32_t kLotsThreshold = 30001;
inline constexpr int kProgressBatch = 500;

// The nodes of the tree for `patch`, in the order they are added. Settles
// duplicate block numbers on the way: the older live slot is removed from
// `patch` and the node shows the survivor with its decimal text. `progress`
// receives the running count of live blocks every 500 blocks.
std::vector<TreeNode> BuildTreeNodes(Patch& patch, const FileTypeTable& types,
                                     const std::function<void(std::int64_t)>& progress = {});
