// Views of a file's bytes through a window of it mapped into memory: a walk
// over a large file in order reads it without copying it, and holds no more
// of it than a window. A file that shrinks under a window cannot crash the
// program: its lost pages read as zeros and the reader says it was damaged.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "io/binary_io.h"
#include "io/bytes.h"
#include "io/result.h"

class MappedReader {
public:
    static constexpr std::size_t kWindow = std::size_t{1} << 20;
    // Readers that can map at once; the others map nothing, so their
    // callers read as usual.
    static constexpr int kMapping = 64;

    explicit MappedReader(const InputFile& file, std::size_t windowSize = kWindow);
    MappedReader(const MappedReader&) = delete;
    MappedReader& operator=(const MappedReader&) = delete;
    ~MappedReader();

    // The `size` bytes at `offset`, valid until the next call; none (an
    // empty view) when they do not lie wholly inside the file (as large as
    // it was opened and as it is now), are larger than the window, or
    // cannot be mapped: the caller then reads them as usual.
    ByteView View(std::int64_t offset, std::size_t size) {
        // Inline: a walk asks once for every block, nearly always inside the window.
        if (map_ && offset >= mapStart_ && size <= windowSize_ && size <= mapLength_ &&
            static_cast<std::size_t>(offset - mapStart_) <= mapLength_ - size)
            return {map_ + (offset - mapStart_), size};
        return Remap(offset, size);
    }
    // False once a page of a window went missing (the file shrank while it
    // was read): bytes shown since may be zeros rather than the file's.
    bool Intact() const;
    const InputFile& File() const { return file_; }

private:
    ByteView Remap(std::int64_t offset, std::size_t size);
    void Unmap();

    const InputFile& file_;
    std::size_t windowSize_;
    const std::uint8_t* map_ = nullptr;
    std::size_t mapLength_ = 0;
    std::int64_t mapStart_ = 0;
    int guard_ = -1;  // the window's slot among the guarded ones
    bool damaged_ = false;
};

// What a reader says of a file that shrank or vanished while it was read.
inline Error ChangedWhileRead(const std::string& path) {
    return Error("Cannot read '" + path + "': it changed while it was read.");
}
