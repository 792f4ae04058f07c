// Plain file access for the readers: sized, positioned and buffered reads
// that report failures as messages naming the file.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "io/result.h"

// A file opened for reading only; it is never created.
class InputFile {
public:
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile();

    // The message names the path and the reason. A Git LFS pointer is
    // refused (kNotFetched): its text stands for a file not fetched.
    Status Open(const std::string& path);
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    std::int64_t Size() const { return size_; }
    const std::string& Path() const { return path_; }
    // The open file, for mapping it.
    int Descriptor() const { return fd_; }

    // Reads up to out.size() bytes at `offset`: how many were read (fewer
    // at the end of the file).
    Result<std::size_t> ReadAt(std::int64_t offset, std::span<std::uint8_t> out) const;
    // True when all of `out` could be read from `offset`.
    bool Fills(std::int64_t offset, std::span<std::uint8_t> out) const;

private:
    friend class SaveFile;  // copies from the file without reading it into memory

    int fd_ = -1;
    std::int64_t size_ = 0;
    std::string path_;
};

// Sequential reads through a buffer, so that small fields cost no system call.
class BufferedReader {
public:
    explicit BufferedReader(const InputFile& file, std::size_t bufferSize = 1 << 20);

    // Reads exactly out.size() bytes; false at the end of the file or on error.
    bool Read(std::span<std::uint8_t> out);
    bool Skip(std::int64_t count);
    std::int64_t Position() const { return position_; }
    std::int64_t Remaining() const { return file_.Size() - position_; }

private:
    bool Fill();

    const InputFile& file_;
    std::vector<std::uint8_t> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::int64_t position_ = 0;      // logical position of the next byte handed out
    std::int64_t filePosition_ = 0;  // where the next Fill reads
};

// Positioned reads through a window of the file kept in memory, so that
// reading many small neighbouring records costs few system calls, and a walk
// over a large file in order sees its bytes without copying them again.
// Bytes that lie outside the file read as 0. A file that shrinks while it is
// read is noticed, never read past: its bytes are then missing, not wrong.
class WindowedReader {
public:
    // A quarter MB: large reads, few pages to fault in, little read for nothing on random access.
    explicit WindowedReader(const InputFile& file, std::size_t windowSize = 1 << 18);
    // Fills `out` from `offset`; false on an I/O error.
    bool ReadAt(std::int64_t offset, std::span<std::uint8_t> out);
    // The bytes at `offset` inside the window, valid until the next call;
    // nullopt when they do not lie wholly inside the file, are larger than
    // half the window, or cannot be read.
    std::optional<std::span<const std::uint8_t>> View(std::int64_t offset, std::size_t size);
    // False once a read found the file shorter than when it was opened.
    bool Intact() const { return !shrunk_; }

private:
    // Reads the window from `begin` unless it holds [begin, end) already.
    bool Cover(std::int64_t begin, std::int64_t end);

    const InputFile& file_;
    std::vector<std::uint8_t> window_;
    std::int64_t windowStart_ = 0;
    std::size_t windowLength_ = 0;
    bool shrunk_ = false;
};

// What a reader says of a file that shrank or vanished while it was read.
inline Error ChangedWhileRead(const std::string& path) {
    return Error("Cannot read '" + path + "': it changed while it was read.");
}

// True when `path` names an existing regular file.
bool IsExistingFile(const std::string& path);

// The bytes of a whole file, refusing files larger than `maxBytes`.
Result<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::int64_t maxBytes = INT32_MAX);
