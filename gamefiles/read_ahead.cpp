#include "gamefiles/read_ahead.h"

#include <algorithm>

namespace {
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
            changed_.wait(lock, [&] { return stop_ || held_ < ahead_ || ready_.empty(); });
            if (stop_) return;
            held_ += BytesOf(block);
            ready_.push_back(std::move(block));
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
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return !ready_.empty() || failed_; });
    if (ready_.empty()) std::rethrow_exception(failed_);
    Result<SourceBlock> block = std::move(ready_.front());
    ready_.pop_front();
    held_ -= BytesOf(block);
    lock.unlock();
    changed_.notify_all();
    return block;
}
