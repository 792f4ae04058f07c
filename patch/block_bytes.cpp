#include "patch/block_bytes.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <utility>

#include "io/binary_io.h"
#include "io/large_pages.h"

namespace {
// A buffer shared by the blocks of one read: large enough that a whole file
// of small blocks costs a handful of allocations. Pages never filled cost
// no memory.
constexpr std::size_t kArenaBuffer = std::size_t{16} << 20;
}  // namespace

// A reference count followed by the bytes.
class BlockBuffer {
public:
    static BlockBuffer* Make(std::size_t capacity) {
        if (capacity > std::size_t{1} << 40) throw std::bad_alloc();
        return new (AllocateLarge(sizeof(BlockBuffer) + capacity)) BlockBuffer(capacity);
    }
    std::uint8_t* Data() { return reinterpret_cast<std::uint8_t*>(this) + sizeof(BlockBuffer); }
    std::size_t Capacity() const { return capacity_; }
    void Ref() { refs_.fetch_add(1, std::memory_order_relaxed); }
    void Unref() {
        if (refs_.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
        const std::size_t size = sizeof(BlockBuffer) + capacity_;
        this->~BlockBuffer();
        FreeLarge(this, size);
    }
    bool Alone() const { return refs_.load(std::memory_order_acquire) == 1; }

    static constexpr std::size_t kHeader = 16;

private:
    explicit BlockBuffer(std::size_t capacity) : capacity_(capacity) {}
    std::atomic<std::uint32_t> refs_{1};
    std::size_t capacity_;
};
static_assert(sizeof(BlockBuffer) == BlockBuffer::kHeader);

BlockBytes::BlockBytes(BlockBuffer* buffer, std::uint32_t offset, std::uint32_t size)
    : buffer_(buffer), offset_(offset), size_(size) {
    buffer_->Ref();
}

BlockBytes::BlockBytes(const Bytes& owned) : BlockBytes(CopyOf(owned)) {}

BlockBytes BlockBytes::CopyOf(ByteView bytes) {
    BlockBytes b;
    if (bytes.empty()) return b;
    b.buffer_ = BlockBuffer::Make(bytes.size());
    b.size_ = static_cast<std::uint32_t>(bytes.size());
    std::memcpy(b.buffer_->Data(), bytes.data(), bytes.size());
    return b;
}

BlockBytes::BlockBytes(const BlockBytes& other) : buffer_(other.buffer_), offset_(other.offset_), size_(other.size_) {
    if (buffer_) buffer_->Ref();
}

BlockBytes::BlockBytes(BlockBytes&& other) noexcept
    : buffer_(other.buffer_), offset_(other.offset_), size_(other.size_) {
    other.buffer_ = nullptr;
    other.offset_ = other.size_ = 0;
}

BlockBytes& BlockBytes::operator=(const BlockBytes& other) {
    if (this != &other) *this = BlockBytes(other);
    return *this;
}

BlockBytes& BlockBytes::operator=(BlockBytes&& other) noexcept {
    if (this == &other) return *this;
    if (buffer_) buffer_->Unref();
    buffer_ = other.buffer_;
    offset_ = other.offset_;
    size_ = other.size_;
    other.buffer_ = nullptr;
    other.offset_ = other.size_ = 0;
    return *this;
}

BlockBytes::~BlockBytes() {
    if (buffer_) buffer_->Unref();
}

BlockBytes BlockBytes::Absent(std::int32_t storedLength) {
    BlockBytes b;
    b.offset_ = static_cast<std::uint32_t>(storedLength);
    return b;
}

const std::uint8_t* BlockBytes::data() const { return buffer_ ? buffer_->Data() + offset_ : nullptr; }

std::span<std::uint8_t> BlockBytes::Mutable() {
    if (buffer_ && !buffer_->Alone()) *this = CopyOf(*this);
    return {buffer_ ? buffer_->Data() + offset_ : nullptr, size_};
}

bool BlockBytes::Same(ByteView a, ByteView b) { return std::ranges::equal(a, b); }

ByteArena::~ByteArena() {
    if (buffer_) buffer_->Unref();
}

ByteArena::Space ByteArena::Allocate(std::size_t size) {
    if (size == 0) return {};
    expected_ -= std::min(expected_, size);
    // A large block gets a buffer of its own and leaves the shared one be.
    if (size > kArenaBuffer / 4) return Own(size);
    if (!buffer_ || buffer_->Capacity() - used_ < size) {
        if (buffer_) buffer_->Unref();
        buffer_ = nullptr;  // Make may throw
        // The buffer and its count together fill whole huge pages, unless
        // less than a buffer's worth is still to come.
        const std::size_t whole = kArenaBuffer - BlockBuffer::kHeader;
        buffer_ = BlockBuffer::Make(expected_ > 0 ? std::clamp(expected_ + size, size, whole) : whole);
        used_ = 0;
    }
    Space s{BlockBytes(buffer_, static_cast<std::uint32_t>(used_), static_cast<std::uint32_t>(size)),
            {buffer_->Data() + used_, size}};
    used_ += size;
    return s;
}

ByteArena::Space ByteArena::Own(std::size_t size) {
    if (size == 0) return {};
    BlockBuffer* own = BlockBuffer::Make(size);
    Space s{BlockBytes(own, 0, static_cast<std::uint32_t>(size)), {own->Data(), size}};
    own->Unref();
    return s;
}

BlockBytes ByteArena::Copy(ByteView bytes) {
    Space s = Allocate(bytes.size());
    std::copy(bytes.begin(), bytes.end(), s.fill.begin());
    return std::move(s.bytes);
}

void ByteArena::Reuse() {
    if (buffer_ && buffer_->Alone()) used_ = 0;
}

Result<BlockBytes> ReadFileAsBlock(const std::string& path, std::int64_t maxBytes) {
    InputFile f;
    if (Status opened = f.Open(path); !opened) return opened.error();
    if (f.Size() > maxBytes) return Error("'" + path + "' is too large (" + std::to_string(f.Size()) + " bytes).");
    ByteArena::Space space = ByteArena::Own(static_cast<std::size_t>(f.Size()));
    if (!f.Fills(0, space.fill)) return Error("Cannot read '" + path + "': " + std::strerror(errno) + ".");
    return std::move(space.bytes);
}
