#include "gamefiles/read_ahead.h"

#include <algorithm>

namespace {
constexpr std::size_t kBatch = 64;

std::int64_t BytesOf(const Result<SourceBlock>& block) { return block ? std::max(block->length, 0) : 0; }
}  // namespace

ReadAhead::ReadAhead(BlockSource& source, std::int32_t last, std::int64_t ahead)
    : source_(source), last_(last), ahead_(ahead), thread_([this] { Run(); }) {}

ReadAhead::~ReadAhead() {
    {
        const std::lock_guard lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void ReadAhead::Run() {
    for (std::int32_t n = 0; n <= last_; ++n) {
        try {
            Result<SourceBlock> block = source_.Load(n);
            std::unique_lock lock(mutex_);
            loaderWaits_ = true;
            changed_.wait(lock, [&] { return stop_ || held_ < ahead_; });
            loaderWaits_ = false;
            if (stop_) return;
            held_ += BytesOf(block);
            ready_.push_back(std::move(block));
            // A waiting taker is woken for a batch of blocks, not each small one.
            if (!takerWaits_ || (ready_.size() < kBatch && held_ < ahead_ / 4 && n < last_)) continue;
        } catch (...) {
            const std::lock_guard lock(mutex_);
            failed_ = std::current_exception();
            changed_.notify_all();
            return;
        }
        changed_.notify_all();
    }
}

Result<SourceBlock> ReadAhead::Next() {
    // The blocks ready are taken all at once: one lock for many small blocks.
    if (taken_.empty()) {
        std::unique_lock lock(mutex_);
        takerWaits_ = true;
        changed_.wait(lock, [&] { return !ready_.empty() || failed_; });
        takerWaits_ = false;
        if (ready_.empty()) std::rethrow_exception(failed_);
        taken_.swap(ready_);
        held_ = 0;
        const bool wake = loaderWaits_;
        lock.unlock();
        if (wake) changed_.notify_all();
    }
    Result<SourceBlock> block = std::move(taken_.front());
    taken_.pop_front();
    return block;
}
