// Writes a file through a temporary file in the target's folder that replaces
// the target only when every byte was written and flushed to disk: a failed
// save leaves an existing file exactly as it was, and a power cut leaves the
// old file or the new one, never an empty one.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class SaveFile {
public:
    SaveFile() = default;
    SaveFile(const SaveFile&) = delete;
    SaveFile& operator=(const SaveFile&) = delete;
    ~SaveFile();  // discards the temporary file unless committed

    // "" on success, otherwise a message naming the target and the reason.
    // Refuses a target that is read-only (no write permission bit at all,
    // whoever saves) or that the user could not write in place.
    std::string Open(const std::string& targetPath);
    // Buffered append; a failure is remembered and reported by Commit. Large
    // spans are written straight from the caller's memory.
    void Write(std::span<const std::uint8_t> bytes);
    // Appends bytes that stay where they are until Commit, such as a block's
    // data: pieces lying end to end in memory go out together, straight from
    // there, and only short runs are copied through the buffer.
    void WriteKept(std::span<const std::uint8_t> bytes);
    // Overwrites bytes already written (for headers completed at the end).
    void WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes);
    std::int64_t Position() const {
        return written_ + static_cast<std::int64_t>(buffer_.size() + kept_.size());
    }
    // Flushes to disk, closes, renames over the target and flushes the folder.
    std::string Commit();

private:
    bool Flush();
    // Writes or buffers the run of kept bytes.
    void EndRun();
    bool WriteAll(const std::uint8_t* data, std::size_t size);
    std::string Fail(const std::string& what);
    void Discard();

    int fd_ = -1;
    std::string target_;
    std::string temp_;
    std::vector<std::uint8_t> buffer_;
    std::span<const std::uint8_t> kept_;  // a run of kept bytes not yet written
    std::int64_t written_ = 0;
    std::string error_;
};

// Makes SIGINT and SIGTERM remove the temporary file of the save under way
// before the process ends as the signal asks (for the command-line tool).
void RemoveTemporaryFilesOnSignals();
