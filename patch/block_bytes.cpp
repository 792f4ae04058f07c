#include "patch/block_bytes.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <utility>

namespace {
// A buffer shared by the blocks of one read: large enough that a whole file
// of small blocks costs a handful of allocations. Pages never filled cost
// no memory.
constexpr std::size_t kArenaBuffer = std::size_t{16} << 20;
}  // namespace

// A reference count followed by the bytes. Large buffers are mapped on
// huge-page boundaries and asked for huge pages: filling memory touched once
// costs a page fault per page, and a 2 MB page takes one fault for 512 small
// ones.
class BlockBuffer {
public:
    static BlockBuffer* Make(std::size_t capacity) {
        if (capacity > std::size_t{1} << 40) throw std::bad_alloc();
        const std::size_t size = sizeof(BlockBuffer) + capacity;
        if (size < kHugePage) return new (::operator new(size)) BlockBuffer(capacity, 0);
        const std::size_t mapped = (size + kHugePage - 1) / kHugePage * kHugePage;
        void* p = ::mmap(nullptr, mapped + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) throw std::bad_alloc();
        const auto start = reinterpret_cast<std::uintptr_t>(p);
        const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
        if (aligned > start) ::munmap(p, aligned - start);
        if (const std::uintptr_t end = start + mapped + kHugePage; end > aligned + mapped)
            ::munmap(reinterpret_cast<void*>(aligned + mapped), end - aligned - mapped);
        ::madvise(reinterpret_cast<void*>(aligned), mapped, MADV_HUGEPAGE);
        return new (reinterpret_cast<void*>(aligned)) BlockBuffer(capacity, mapped);
    }
    std::uint8_t* Data() { return reinterpret_cast<std::uint8_t*>(this) + sizeof(BlockBuffer); }
    std::size_t Capacity() const { return capacity_; }
    void Ref() { refs_.fetch_add(1, std::memory_order_relaxed); }
    void Unref() {
        if (refs_.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
        const std::size_t mapped = mapped_;
        this->~BlockBuffer();
        if (mapped > 0) ::munmap(this, mapped);
        else ::operator delete(this);
    }
    bool Alone() const { return refs_.load(std::memory_order_acquire) == 1; }

    static constexpr std::size_t kHeader = 24;

private:
    static constexpr std::size_t kHugePage = std::size_t{2} << 20;
    BlockBuffer(std::size_t capacity, std::size_t mapped) : capacity_(capacity), mapped_(mapped) {}
    std::atomic<std::uint32_t> refs_{1};
    std::size_t capacity_;
    std::size_t mapped_;  // bytes mapped, 0 for heap memory
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
    : buffer_(std::exchange(other.buffer_, nullptr)), offset_(other.offset_), size_(std::exchange(other.size_, 0)) {}

BlockBytes& BlockBytes::operator=(const BlockBytes& other) {
    if (this != &other) *this = BlockBytes(other);
    return *this;
}

BlockBytes& BlockBytes::operator=(BlockBytes&& other) noexcept {
    if (this == &other) return *this;
    if (buffer_) buffer_->Unref();
    buffer_ = std::exchange(other.buffer_, nullptr);
    offset_ = other.offset_;
    size_ = std::exchange(other.size_, 0);
    return *this;
}

BlockBytes::~BlockBytes() {
    if (buffer_) buffer_->Unref();
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
    if (size > kArenaBuffer / 4) {
        // A large block gets a buffer of its own and leaves the shared one be.
        BlockBuffer* own = BlockBuffer::Make(size);
        Space s{BlockBytes(own, 0, static_cast<std::uint32_t>(size)), {own->Data(), size}};
        own->Unref();
        return s;
    }
    if (!buffer_ || buffer_->Capacity() - used_ < size) {
        if (buffer_) buffer_->Unref();
        buffer_ = nullptr;  // Make may throw
        // The buffer and its count together fill whole huge pages.
        buffer_ = BlockBuffer::Make(kArenaBuffer - BlockBuffer::kHeader);
        used_ = 0;
    }
    Space s{BlockBytes(buffer_, static_cast<std::uint32_t>(used_), static_cast<std::uint32_t>(size)),
            {buffer_->Data() + used_, size}};
    used_ += size;
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
