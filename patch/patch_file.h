// The patch project file (.uop): "UOP", version 4, two record counts (file IDs
// 0..250 and 251..255), then 13-byte block records each followed by its data.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "io/binary_io.h"
#include "io/bytes.h"
#include "io/result.h"
#include "patch/patch.h"

class SaveFile;

// Every block number from 0 up is kept (-1 marks a removed slot).
inline constexpr std::int32_t kMaxBlockNumber = INT32_MAX;

// Writes every live block of `patch`; on failure an existing file at `path`
// is left as it was.
Status WritePatchFile(const std::string& path, const Patch& patch);
// The same into `out`, which is opened on `path` and finished but left for
// the caller to commit.
Status WritePatchFile(SaveFile& out, const std::string& path, const Patch& patch);

// True when `first` (a file's first bytes) starts as a patch project file does.
bool StartsLikePatchFile(ByteView first);

// Reads the blocks of a patch project file into `patch`; records outside the
// options' ranges become removed slots. The file is checked completely before
// `patch` changes (a record with a negative block number is refused): on
// failure the message names the file and `patch` is untouched.
Status ReadPatchFile(const std::string& path, Patch& patch, const ReadOptions& options = {});

// Reads every record of a patch project file as ReadPatchFile does, but
// without the blocks' data (Length() as stored, no bytes): for listing.
Status ReadPatchHeaders(const std::string& path, Patch& patch);

// A patch project file whose blocks' data stays in the file until it is
// asked for: for commands that look at each block of a large patch once,
// which then hold no more than a window of it. Open reads the records as
// ReadPatchHeaders does and notes where each block's data lies; the file
// stays open, so a patch saved meanwhile (under a new inode) changes nothing.
class PatchFileData {
public:
    Status Open(const std::string& path, Patch& patch);

    // One thread's reads, through a window of its own.
    class Reader {
    public:
        explicit Reader(const PatchFileData& data) : data_(data), window_(data.file_, kWindow) {}
        // The data of slot `slot` of entry `fileId` (`length` as the patch
        // read it; <= 0: none) into `bytes`, valid until the next call.
        // Fails when the file no longer holds it.
        Status Read(std::uint8_t fileId, std::size_t slot, std::int32_t length, ByteView& bytes) {
            // Inline: asked once for every block of a large patch.
            bytes = {};
            if (length <= 0) return {};
            const std::vector<std::int64_t>& offsets = data_.offsets_[fileId];
            if (slot < offsets.size()) {
                if (const auto view = window_.View(offsets[slot], static_cast<std::size_t>(length))) {
                    bytes = *view;
                    return {};
                }
            }
            return ReadOutsideWindow(fileId, slot, length, bytes);
        }
        // Fails when the file shrank while the bytes Read gave were looked
        // at: they may have been zeros rather than the patch's.
        Status Intact() const;

    private:
        Status ReadOutsideWindow(std::uint8_t fileId, std::size_t slot, std::int32_t length, ByteView& bytes);

        const PatchFileData& data_;
        // Blocks of up to half of it are shown in the window.
        static constexpr std::size_t kWindow = std::size_t{1} << 21;
        WindowedReader window_;
        Bytes large_;  // a block too large for the window
    };

private:
    InputFile file_;
    // Per file ID, per slot: where the slot's data starts in the file.
    std::array<std::vector<std::int64_t>, 256> offsets_;
};

// A patch whose header counts other records than the file holds (more
// behind them, or a file cut short) is refused by ReadPatchFile. The number
// of whole records such a file holds (0 for a whole patch and for any other
// file), so that the editor can offer to recover them.
std::int64_t RecoverableRecords(const std::string& path);

// Every whole record of a patch project file, whatever its header counts, up
// to the first record that does not fit in the file or holds a negative block
// number: to recover a damaged patch into a new one. Fails only when the file
// is no patch project file at all.
struct Recovery {
    Patch patch;
    std::int64_t declared = 0;     // records the header counts
    std::int64_t recovered = 0;    // records read
    std::int64_t unreadBytes = 0;  // bytes after the last whole record
};
Result<Recovery> RecoverPatchFile(const std::string& path);
