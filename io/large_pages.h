// Memory for large arrays filled once, such as a file's block data and its
// slots: mapped on huge-page boundaries and asked for huge pages. Touching
// fresh memory costs a page fault per page, and one 2 MB page replaces 512
// small ones. Smaller requests come from the heap.
#pragma once

#include <cstddef>
#include <new>

inline constexpr std::size_t kLargePage = std::size_t{2} << 20;

// `bytes` of memory; throws std::bad_alloc when there is none.
void* AllocateLarge(std::size_t bytes);
// Gives back memory of AllocateLarge; `bytes` as asked for.
void FreeLarge(void* p, std::size_t bytes) noexcept;

template <class T>
struct LargePageAllocator {
    using value_type = T;
    LargePageAllocator() = default;
    template <class U>
    LargePageAllocator(const LargePageAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
        return static_cast<T*>(AllocateLarge(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept { FreeLarge(p, n * sizeof(T)); }
    friend bool operator==(const LargePageAllocator&, const LargePageAllocator&) { return true; }
};
