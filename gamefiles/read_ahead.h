// A source's blocks loaded in order on a thread of their own, a bounded
// number of bytes ahead of whoever takes them: decoding a package's entries
// (inflating, undoing the second stage) then overlaps writing them out.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

#include "gamefiles/forms/block_source.h"

class ReadAhead {
public:
    // Blocks 0 to `last` of `source`, which is the thread's alone until this
    // is destroyed. At most `ahead` bytes of blocks (and always one) wait,
    // and as many again are being taken.
    ReadAhead(BlockSource& source, std::int32_t last, std::int64_t ahead);
    // Stops the thread after the block it is loading.
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The next block in order, as Load gives it; rethrows what Load threw.
    Result<SourceBlock> Next();

private:
    void Run();

    BlockSource& source_;
    const std::int32_t last_;
    const std::int64_t ahead_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Result<SourceBlock>> ready_;
    std::int64_t held_ = 0;  // bytes of the blocks in ready_
    // Each side wakes the other only when it waits.
    bool stop_ = false, takerWaits_ = false, loaderWaits_ = false;
    std::exception_ptr failed_;
    std::deque<Result<SourceBlock>> taken_;  // the taker's own, no lock needed
    std::thread thread_;  // last: started once the rest is in place
};
