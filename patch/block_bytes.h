// A block's data. Readers put the data of many blocks into one large buffer
// (an arena) and each block refers to its bytes there; bytes the editor makes
// get a buffer of their own. A buffer lives as long as any block refers to it,
// so a copy of a block (the undo stack's included) is cheap and stays valid.
// The buffers are the program's own memory: rewriting or truncating the file a
// block came from cannot change the block.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

#include "io/bytes.h"
#include "io/result.h"

class BlockBuffer;

// Aligned to 4 bytes only, so that a block's slot (this and two 32-bit
// fields) takes 24 bytes rather than 32: it counts for files of many blocks.
class __attribute__((packed, aligned(4))) BlockBytes {
public:
    using value_type = std::uint8_t;
    using const_iterator = const std::uint8_t*;
    using iterator = const_iterator;

    BlockBytes() = default;
    // Bytes of the block's own (copied into a buffer of their own).
    BlockBytes(const Bytes& owned);  // implicit: writers assign Bytes to a block
    BlockBytes(std::initializer_list<std::uint8_t> owned) : BlockBytes(CopyOf({owned.begin(), owned.size()})) {}
    static BlockBytes CopyOf(ByteView bytes);
    BlockBytes(const BlockBytes& other);
    BlockBytes(BlockBytes&& other) noexcept;
    BlockBytes& operator=(const BlockBytes& other);
    BlockBytes& operator=(BlockBytes&& other) noexcept;
    ~BlockBytes();

    const std::uint8_t* data() const;
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const_iterator begin() const { return data(); }
    const_iterator end() const { return data() + size_; }
    std::uint8_t operator[](std::size_t i) const { return data()[i]; }
    operator ByteView() const { return {data(), size_}; }  // implicit: read wherever bytes are read

    // The bytes to change in place: copied first unless no other block
    // shares this block's buffer.
    std::span<std::uint8_t> Mutable();

    // No bytes, standing for a block whose data is absent or was not read:
    // it keeps the length the block was stored with (<= 0 for a block
    // without data), so that writing it again gives the same bytes.
    static BlockBytes Absent(std::int32_t storedLength);
    // size() when there are bytes, else the length Absent was given.
    std::int32_t StoredLength() const {
        return buffer_ ? static_cast<std::int32_t>(size_) : static_cast<std::int32_t>(offset_);
    }

    friend bool operator==(const BlockBytes& a, const BlockBytes& b) { return Same(a, b); }
    friend bool operator==(const BlockBytes& a, const Bytes& b) { return Same(a, b); }

private:
    friend class ByteArena;
    BlockBytes(BlockBuffer* buffer, std::uint32_t offset, std::uint32_t size);
    static bool Same(ByteView a, ByteView b);

    BlockBuffer* buffer_ = nullptr;
    std::uint32_t offset_ = 0;  // without a buffer: the stored length
    std::uint32_t size_ = 0;
};

// Hands out room for block data from large buffers filled by the reader.
class ByteArena {
public:
    ByteArena() = default;
    ByteArena(const ByteArena&) = delete;
    ByteArena& operator=(const ByteArena&) = delete;
    ~ByteArena();

    struct Space {
        BlockBytes bytes;                // the block's bytes, once filled
        std::span<std::uint8_t> fill;    // where the caller puts them
    };
    // About how many bytes the reader will ask for in all: buffers are then
    // made no larger than what remains, so the last one has no unused tail.
    void Expect(std::size_t bytes) { expected_ = bytes; }
    // Room for `size` bytes (at most 2 GB).
    Space Allocate(std::size_t size);
    // Room for one block's `size` bytes in a buffer of its own.
    static Space Own(std::size_t size);
    BlockBytes Copy(ByteView bytes);
    // Starts the current buffer over when no block refers to it any more.
    void Reuse();

private:
    BlockBuffer* buffer_ = nullptr;
    std::size_t used_ = 0;
    std::size_t expected_ = 0;  // bytes still expected; 0: unknown
};

// The bytes of a whole file as a block, read straight into the block's own
// buffer (a 500 MB block takes 500 MB, not twice that); refused above
// `maxBytes`.
Result<BlockBytes> ReadFileAsBlock(const std::string& path, std::int64_t maxBytes = INT32_MAX);
