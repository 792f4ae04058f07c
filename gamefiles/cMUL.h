// Block-by-number access to one game data file: either indexed (a companion
// .idx of 12-byte entries: offset, length, FlagA, FlagB) or of fixed-size
// blocks (block n at n * ConstantIndex, flags 0xFFFF). Input files are opened
// for reading only and never created.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "codecs/bytes.h"
#include "patch/binary_io.h"

class cMUL {
public:
    cMUL();
    ~cMUL();

    // "" on success, otherwise the message of the failure. In the fixed-size
    // layout (constantIndex > 0) the index name is ignored and nbrOfBlocks
    // gives the block count; otherwise the count comes from the index file.
    std::string cOpen(const std::string& idxFilename, const std::string& mulFilename, std::int32_t constantIndex,
                      std::int32_t nbrOfBlocks);
    void cClose();
    std::int32_t cCount() const;

    // Returns the block's length as stored (0 or -1 for an absent block).
    // When it is above 0, `bytes` receives exactly that many bytes; bytes that
    // lie beyond the end of the data file read as 0. A length larger than the
    // whole data file cannot be real and reads as 0.
    std::int32_t cLoad(std::int32_t indexNumber, Bytes& bytes, std::int16_t& flagA, std::int16_t& flagB);

    // Writes block `indexNumber` (the only writer of data files). "" or a message.
    std::string cSave(std::int32_t indexNumber, const Bytes& bytes, std::int16_t flagA, std::int16_t flagB,
                      bool isEmpty);

private:
    struct Entry {
        std::int32_t offset = 0, length = 0;
        std::int16_t flagA = 0, flagB = 0;
    };
    Entry ReadEntry(std::int32_t n);

    InputFile index_, data_;
    std::unique_ptr<WindowedReader> indexReader_, dataReader_;
    std::string idxPath_, mulPath_;
    std::int32_t nbrOfBlocks_ = 0;
    std::int32_t constantIndex_ = 0;
};
