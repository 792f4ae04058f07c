#include "io/mapped_reader.h"

#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>

namespace {
// A bus error (a mapped page whose file part is gone) is answered by the
// handler below, which knows the mapped windows only through this table: a
// signal handler can reach nothing else. Slots are claimed and given back
// with atomics alone, which the handler may read.
struct Guarded {
    std::atomic<bool> taken{false};
    std::atomic<std::uintptr_t> begin{0}, end{0};
    std::atomic<bool> hit{false};
};
Guarded guarded[MappedReader::kMapping];
struct sigaction previous {};
std::uintptr_t pageSize = 4096;

void OnBusError(int signal, siginfo_t* info, void* context) {
    const auto at = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (Guarded& g : guarded)
        if (at >= g.begin.load() && at < g.end.load()) {
            // Zeros in place of the lost page; the access then goes on.
            void* page = reinterpret_cast<void*>(at & ~(pageSize - 1));
            if (::mmap(page, pageSize, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED) {
                g.hit.store(true);
                return;
            }
            break;
        }
    // Not ours: as the program would have had it. Returning repeats the access.
    if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction != nullptr) {
        previous.sa_sigaction(signal, info, context);
    } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
    } else {
        ::sigaction(SIGBUS, &previous, nullptr);
    }
}

void InstallHandler() {
    static std::once_flag once;
    std::call_once(once, [] {
        pageSize = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
        struct sigaction action {};
        action.sa_sigaction = OnBusError;
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGBUS, &action, &previous);
    });
}

int ClaimGuard() {
    for (int i = 0; i < MappedReader::kMapping; ++i)
        if (bool free = false; guarded[i].taken.compare_exchange_strong(free, true)) return i;
    return -1;
}
}  // namespace

MappedReader::MappedReader(const InputFile& file, std::size_t windowSize) : file_(file), windowSize_(windowSize) {
    InstallHandler();
    guard_ = ClaimGuard();
}

MappedReader::~MappedReader() {
    Unmap();
    if (guard_ >= 0) guarded[guard_].taken.store(false);
}

void MappedReader::Unmap() {
    if (!map_) return;
    Guarded& g = guarded[guard_];
    g.end.store(0);
    g.begin.store(0);
    damaged_ = damaged_ || g.hit.exchange(false);
    ::munmap(const_cast<std::uint8_t*>(map_), mapLength_);
    map_ = nullptr;
    mapLength_ = 0;
}

ByteView MappedReader::Remap(std::int64_t offset, std::size_t size) {
    const auto end = offset + static_cast<std::int64_t>(size);
    if (offset < 0 || size > windowSize_ || end > file_.Size()) return {};
    Unmap();
    // Only with a slot for its windows can the reader map safely.
    if (guard_ < 0 || !file_.IsOpen()) return {};
    struct stat st {};
    if (::fstat(file_.Descriptor(), &st) != 0 || st.st_size < end) return {};
    const auto page = static_cast<std::int64_t>(pageSize);
    const std::int64_t start = offset / page * page;
    const std::int64_t stop = std::min({start + static_cast<std::int64_t>(windowSize_) + page, st.st_size, file_.Size()});
    const auto length = static_cast<std::size_t>(stop - start);
    void* map = ::mmap(nullptr, length, PROT_READ, MAP_PRIVATE | MAP_POPULATE, file_.Descriptor(), start);
    if (map == MAP_FAILED) return {};
    map_ = static_cast<const std::uint8_t*>(map);
    mapLength_ = length;
    mapStart_ = start;
    Guarded& g = guarded[guard_];
    g.begin.store(reinterpret_cast<std::uintptr_t>(map_));
    g.end.store(reinterpret_cast<std::uintptr_t>(map_) + length);
    return {map_ + (offset - mapStart_), size};
}

bool MappedReader::Intact() const { return !damaged_ && !(map_ && guarded[guard_].hit.load()); }
