// The texts of the information panel for a clicked node: a heading and up to
// four lines of facts about a block, or the size of a file type.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "patch/patch.h"

struct BlockInfo {
    std::string heading;
    std::array<std::string, 5> lines;  // lblInfo1..lblInfo5
};

// The texts for block `blockNumber` of `fileId`; `block` is null when the
// patch does not hold it, which leaves only the heading.
BlockInfo DescribeBlock(std::uint8_t fileId, std::int32_t blockNumber, const PatchBlock* block);

// The texts for a file-type node: its name with a colon and its live blocks.
BlockInfo DescribeFileType(const std::string& nodeText, const PatchFileEntry& entry);

// L / 7 with 15 significant digits: 3 for 21, 1.42857142857143 for 10.
std::string Sevenths(std::int32_t length);
