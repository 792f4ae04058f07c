// Block-by-number access to one game data file: either indexed (a companion
// .idx of 12-byte entries: offset, length, FlagA, FlagB) or cut into blocks
// of known sizes without an index (flags 0xFFFF). Input files are opened for
// reading only and never created.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "io/bytes.h"
#include "patch/block_bytes.h"
#include "io/binary_io.h"

// How a file without index is cut: `lowCount` blocks of `lowSize` bytes, then
// blocks of `highSize` bytes up to the end of the file. A plain fixed-size
// file is {0, size, size}.
struct BlockCut {
    std::int32_t lowCount = 0;
    std::int32_t lowSize = 0;
    std::int32_t highSize = 0;
    bool operator==(const BlockCut&) const = default;
};

// One block as DataFile::Load found it.
struct LoadedBlock {
    std::int32_t length = 0;  // as stored; <= 0 means the block has no data
    std::int16_t flagA = 0, flagB = 0;
    bool damaged = false;  // its data does not lie wholly inside the data file
    Bytes bytes;           // `length` bytes when above 0 and not damaged, else empty
};

class DataFile {
public:
    DataFile();
    ~DataFile();

    // "" on success, otherwise the message of the failure. constantIndex > 0
    // opens a file of fixed-size blocks (the index name is ignored); otherwise
    // the index file gives the blocks.
    std::string Open(const std::string& idxFilename, const std::string& mulFilename, std::int32_t constantIndex);
    // Opens a file without index cut as `cut` says.
    std::string OpenCut(const std::string& mulFilename, BlockCut cut);
    void Close();

    // The blocks the file holds: the index's entries, or for a file without
    // index every block that begins inside it (a partly present last block
    // counts).
    std::int64_t Count() const;
    // How a file without index is cut.
    BlockCut Cut() const { return cut_; }
    std::int64_t DataFileSize() const { return data_.Size(); }
    const std::string& DataPath() const { return mulPath_; }

    // Reads block `indexNumber`. Without index, a partly present block is
    // padded with zeros and blocks past the end read as absent (length 0).
    LoadedBlock Load(std::int32_t indexNumber);
    // As Load, but the data goes into `arena` and `data` refers to it
    // (block.bytes stays empty).
    LoadedBlock Load(std::int32_t indexNumber, ByteArena& arena, BlockBytes& data);
    // As Load, but `data` shows the bytes where they already are: in the
    // file's read window, or else in `spare` (kept alive by `hold`). Valid
    // until the next call on this file with this `hold`.
    LoadedBlock View(std::int32_t indexNumber, ByteArena& spare, BlockBytes& hold, ByteView& data);
    // For a file without index: the bytes of `count` blocks from `first`,
    // which lie end to end, in the read window; nullopt when they are not
    // all wholly inside the file or do not fit the window.
    std::optional<ByteView> ViewRun(std::int32_t first, std::int32_t count);
    bool Indexed() const { return indexed_; }

private:
    struct Entry {
        std::int64_t offset = 0;
        std::int32_t length = 0;
        std::int16_t flagA = 0, flagB = 0;
    };
    Entry ReadEntry(std::int32_t n);
    // Fills the block's fields; true when its data is to be read from `offset`.
    bool Locate(std::int32_t indexNumber, LoadedBlock& block, std::int64_t& offset);
    // Reads a located block's data into `arena`; marks it damaged when that fails.
    bool ReadInto(LoadedBlock& block, std::int64_t offset, ByteArena& arena, BlockBytes& data);
    std::string OpenFiles(const std::string& idxFilename, const std::string& mulFilename, bool indexed);

    InputFile index_, data_;
    std::unique_ptr<WindowedReader> indexReader_, dataReader_;
    std::string idxPath_, mulPath_;
    std::int64_t count_ = 0;
    bool indexed_ = false;
    BlockCut cut_;
};
