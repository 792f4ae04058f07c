// What a bake reports: the files it wrote, the blocks it left out, and
// what else there is to say.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One file written, with what it received.
struct BakedFile {
    std::string name;  // in the output folder
    std::int64_t replaced = 0, added = 0, removed = 0, leftOut = 0;
    std::int64_t size = 0;
    std::string sha256;  // lower-case hexadecimal
};

// A patch block a form of the client's files cannot take.
struct LeftOutBlock {
    std::uint8_t fileId = 0;
    std::int32_t block = 0;
    std::string file;  // the client's file it was meant for
    std::string why;
};

struct BakeReport {
    std::vector<BakedFile> files;
    std::vector<LeftOutBlock> leftOut;
    // Everything else worth saying: blocks moved to verdata.mul, slots
    // written whole, damaged entries emptied, the client's verdata.mul
    // replacing baked blocks.
    std::vector<std::string> notes;
};
