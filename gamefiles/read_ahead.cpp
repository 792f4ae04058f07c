#include "gamefiles/read_ahead.h"

#include <algorithm>
#include <system_error>

namespace {
// Blocks and bytes per run: one lock and one wake for many small blocks, and
// few large ones held at once.
constexpr std::int32_t kRunBlocks = 64;
constexpr std::int64_t kRunBytes = 1 << 20;

std::int64_t BytesOf(const Result<SourceBlock>& block) { return block ? std::max(block->length, 0) : 0; }
}  // namespace

ReadAhead::ReadAhead(Reserve reserve, Load load, const Weigh& weigh, std::int32_t last, std::int64_t ahead, int loaders)
    : reserve_(std::move(reserve)), load_(std::move(load)), ahead_(ahead) {
    std::int64_t bytes = 0;
    for (std::int32_t n = 0; n <= last; ++n) {
        if (runs_.empty() || n - runs_.back() == kRunBlocks || bytes >= kRunBytes) {
            runs_.push_back(n);
            bytes = 0;
        }
        bytes += weigh(n);
    }
    runs_.push_back(last + 1);
    threads_.reserve(static_cast<std::size_t>(std::max(loaders, 1)));
    for (int i = 0; i < std::max(loaders, 1); ++i) {
        try {
            threads_.emplace_back([this] { Loader(); });
        } catch (const std::system_error&) {
            // Fewer loaders do, as long as there is one.
            if (threads_.empty()) throw;
            break;
        }
    }
}

ReadAhead::~ReadAhead() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    for (std::thread& t : threads_) t.join();
}

void ReadAhead::Loader() {
    try {
        for (;;) {
            std::unique_lock lock(mutex_);
            const std::int32_t r = nextRun_++;
            if (static_cast<std::size_t>(r) + 1 >= runs_.size()) return;
            const std::int32_t first = runs_[static_cast<std::size_t>(r)];
            const std::int32_t count = runs_[static_cast<std::size_t>(r) + 1] - first;
            // Reserved in block order, whichever loader loads them.
            ++waiting_;
            changed_.wait(lock, [&] { return stop_ || reservedRuns_ == r; });
            --waiting_;
            if (stop_) return;
            lock.unlock();
            Run run;
            run.reserve(static_cast<std::size_t>(count));
            for (std::int32_t i = 0; i < count; ++i) {
                Status reserved = reserve_(first + i);
                if (reserved) run.emplace_back(SourceBlock{});
                else run.emplace_back(reserved.error());
            }
            lock.lock();
            ++reservedRuns_;
            if (waiting_ > 0) changed_.notify_all();
            lock.unlock();
            std::int64_t bytes = 0;
            for (std::int32_t i = 0; i < count; ++i) {
                Result<SourceBlock>& block = run[static_cast<std::size_t>(i)];
                if (block) block = load_(first + i);
                bytes += BytesOf(block);
            }
            lock.lock();
            ++waiting_;
            changed_.wait(lock, [&] { return stop_ || held_ < ahead_ || takenRuns_ == r; });
            --waiting_;
            if (stop_) return;
            held_ += bytes;
            ready_.emplace(r, std::move(run));
            if (waiting_ > 0) changed_.notify_all();
        }
    } catch (...) {
        const std::lock_guard lock(mutex_);
        if (!failed_) failed_ = std::current_exception();
        changed_.notify_all();
    }
}

Result<SourceBlock> ReadAhead::Next() {
    if (taken_.empty()) {
        std::unique_lock lock(mutex_);
        ++waiting_;
        changed_.wait(lock, [&] { return ready_.count(takenRuns_) > 0 || failed_; });
        --waiting_;
        const auto it = ready_.find(takenRuns_);
        if (it == ready_.end()) std::rethrow_exception(failed_);
        for (Result<SourceBlock>& block : it->second) {
            held_ -= BytesOf(block);
            taken_.push_back(std::move(block));
        }
        ready_.erase(it);
        ++takenRuns_;
        if (waiting_ > 0) changed_.notify_all();
    }
    Result<SourceBlock> block = std::move(taken_.front());
    taken_.pop_front();
    return block;
}
