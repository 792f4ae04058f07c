// Block-by-number access to one game data file: either indexed (a companion
// index of 12-byte entries: offset, length, flagA, flagB) or cut into blocks
// of known sizes without an index (flags 0xFFFF). Input files are opened for
// reading only and never created.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "gamefiles/forms/block_source.h"
#include "io/binary_io.h"
#include "io/bytes.h"
#include "io/read_budget.h"
#include "io/result.h"
#include "patch/block_bytes.h"

// How a file without index is cut: `lowCount` blocks of `lowSize` bytes, then
// blocks of `highSize` bytes up to the end of the file.
struct BlockCut {
    std::int32_t lowCount = 0;
    std::int32_t lowSize = 0;
    std::int32_t highSize = 0;
    static BlockCut Fixed(std::int32_t size) { return {0, size, size}; }
    // The size of block n and where it begins.
    std::int32_t SizeOf(std::int32_t n) const { return n < lowCount ? lowSize : highSize; }
    std::int64_t OffsetOf(std::int32_t n) const {
        return n < lowCount ? std::int64_t{n} * lowSize
                            : std::int64_t{lowCount} * lowSize + std::int64_t{n - lowCount} * highSize;
    }
    bool operator==(const BlockCut&) const = default;
};

// The flags of every block of a file without index.
inline constexpr std::int16_t kNoIndexFlags = -1;

// An index entry: where the block's data starts in the data file, its
// length (<= 0: no data) and two flag words.
struct IndexEntry {
    std::int32_t offset = -1, length = -1;
    std::int16_t flagA = -1, flagB = -1;
};
inline constexpr std::int64_t kIndexEntrySize = 12;
// The whole entries an index of `bytes` bytes holds.
inline std::int32_t WholeIndexEntries(std::int64_t bytes) { return static_cast<std::int32_t>(bytes / kIndexEntrySize); }
using IndexEntryBytes = std::array<std::uint8_t, kIndexEntrySize>;
IndexEntryBytes EncodeIndexEntry(const IndexEntry& entry);
IndexEntry DecodeIndexEntry(const IndexEntryBytes& bytes);
// The entry of a block without data, as the client's own tools write it.
inline constexpr IndexEntry kEmptyIndexEntry{};

// What the file says of a block.
struct BlockEntry {
    std::int32_t length = 0;  // as stored; <= 0 means the block has no data
    std::int16_t flagA = 0, flagB = 0;
};
// A block with its bytes (none when it has no data; `length` as stored).
using LoadedBlock = SourceBlock;
// A block with its bytes shown where they lie, which `held` keeps alive.
struct ViewedBlock : BlockEntry {
    ByteView bytes;
    BlockBytes held;
};

class DataFile {
public:
    DataFile();
    ~DataFile();

    // Opens a data file and its index; the message of a failure names both.
    Status Open(const std::string& dataPath, const std::string& indexPath);
    // Opens a data file without index cut as `cut` says.
    Status OpenCut(const std::string& dataPath, BlockCut cut);
    void Close();

    // The blocks the file holds: the index's entries, or for a file without
    // index every block that begins inside it (a partly present last block
    // counts).
    std::int64_t Count() const;
    // How a file without index is cut.
    BlockCut Cut() const { return cut_; }
    bool Indexed() const { return indexed_; }
    std::int64_t DataFileSize() const { return data_.Size(); }
    const std::string& DataPath() const { return dataPath_; }
    const InputFile& DataInput() const { return data_; }

    // Block n, its bytes in `arena`. Without index, a partly present block is
    // padded with zeros and blocks past the end read as absent (length 0).
    // Fails when its entry is cut off or its data does not lie wholly inside
    // the data file.
    Result<LoadedBlock> Load(std::int32_t n, ByteArena& arena);
    // The same in a buffer of its own.
    Result<LoadedBlock> Load(std::int32_t n);
    // As Load, but the bytes are shown where they already are: in the file's
    // read window, or else in `spare`. Valid until the next call on this file.
    Result<ViewedBlock> View(std::int32_t n, ByteArena& spare);
    // For a file without index: the bytes of `count` blocks from `first`,
    // which lie end to end, in the read window; nothing when they are not
    // all wholly inside the file or do not fit the window.
    std::optional<ByteView> ViewRun(std::int32_t first, std::int32_t count);
    // False once the files were found shorter than when they were opened.
    bool Intact() const;

private:
    struct Entry {
        std::int64_t offset = 0;
        std::int32_t length = 0;
        std::int16_t flagA = 0, flagB = 0;
    };
    Entry ReadEntry(std::int32_t n);
    // The block's entry, and where its data is to be read from (nothing for
    // a block without data).
    struct Located {
        BlockEntry entry;
        std::optional<std::int64_t> offset;
    };
    Result<Located> Locate(std::int32_t n);
    Result<LoadedBlock> ReadInto(const Located& at, ByteArena::Space space);
    Status OpenFiles(const std::string& dataPath, const std::string& indexPath, bool indexed, std::size_t window);

    InputFile index_, data_;
    std::unique_ptr<WindowedReader> indexReader_, dataReader_;
    std::string dataPath_;
    std::int64_t count_ = 0;
    bool indexed_ = false;
    BlockCut cut_;
};

// A type's blocks in its data files: a data file with its index, or one of
// slots cut as the type's files are. A hues file's groups come as the
// patch's 1,220-byte hue blocks.
class DataFileSource : public BlockSource {
public:
    // The message of a failure names the files.
    Status Open(std::uint8_t fileId, const std::string& dataPath, const std::string& indexPath);

    Form GetForm() const override { return file_.Indexed() ? Form::kIndexed : Form::kSlots; }
    const std::string& Path() const override { return file_.DataPath(); }
    std::int32_t Highest() const override { return highest_; }
    Result<SourceBlock> Load(std::int32_t n) override;
    void Show(std::int32_t n, ShownBlock& block) override;
    std::optional<ByteView> ShowRun(std::int32_t first, std::int32_t count) override;
    // Prepares for reading the whole file.
    Status Reserve(std::int32_t first, std::int32_t last) override;
    Status Keep(std::int64_t bytes) override { return budget_.Take(bytes); }
    Status Intact() const override;
    std::string SizeRemark() const override;

private:
    std::uint8_t fileId_ = 0;
    std::int32_t highest_ = -1;
    DataFile file_;
    ByteArena arena_;  // of the blocks handed out
    ReadBudget budget_{"", 0};
    ByteArena spare_;  // of the block shown, where it is not in the window
    BlockBytes held_;
    Bytes hue_;
};

// What a block whose entry is damaged says.
inline constexpr char kNotInsideDataFile[] = "its data does not lie wholly inside the data file";
