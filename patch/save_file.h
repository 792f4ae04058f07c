// Writes a file through a temporary file in the target's folder that replaces
// the target only when every byte was written: a failed save leaves an
// existing file exactly as it was.
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
    std::string Open(const std::string& targetPath);
    // Buffered append; a failure is remembered and reported by Commit.
    void Write(std::span<const std::uint8_t> bytes);
    // Overwrites bytes already written (for headers completed at the end).
    void WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes);
    std::int64_t Position() const { return written_ + static_cast<std::int64_t>(buffer_.size()); }
    // Flushes, closes and renames over the target.
    std::string Commit();

private:
    bool Flush();
    std::string Fail(const std::string& what);
    void Discard();

    int fd_ = -1;
    std::string target_;
    std::string temp_;
    std::vector<std::uint8_t> buffer_;
    std::int64_t written_ = 0;
    std::string error_;
};
