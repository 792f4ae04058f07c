#include "io/large_pages.h"

#include <sys/mman.h>

#include <cstdint>

namespace {
std::size_t Mapped(std::size_t bytes) { return (bytes + kLargePage - 1) / kLargePage * kLargePage; }
}  // namespace

void* AllocateLarge(std::size_t bytes) {
    if (bytes < kLargePage) return ::operator new(bytes);
    if (bytes > std::size_t{1} << 46) throw std::bad_alloc();
    const std::size_t mapped = Mapped(bytes);
    // Map one page more and trim, so that the start lies on a page boundary.
    void* p = ::mmap(nullptr, mapped + kLargePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(p);
    const std::uintptr_t aligned = (start + kLargePage - 1) / kLargePage * kLargePage;
    if (aligned > start) ::munmap(p, aligned - start);
    if (const std::uintptr_t end = start + mapped + kLargePage; end > aligned + mapped)
        ::munmap(reinterpret_cast<void*>(aligned + mapped), end - aligned - mapped);
    // A partly used last page stays in small pages, which cost only what is touched.
    ::madvise(reinterpret_cast<void*>(aligned), bytes / kLargePage * kLargePage, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
}

void FreeLarge(void* p, std::size_t bytes) noexcept {
    if (bytes < kLargePage) ::operator delete(p);
    else ::munmap(p, Mapped(bytes));
}
