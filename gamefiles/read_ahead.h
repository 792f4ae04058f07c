// A source's blocks loaded in order on threads of their own, a bounded
// number of bytes ahead of whoever takes them: decoding a package's entries
// (inflating, undoing the second stage) then overlaps writing them out, and
// with two loaders uses both cores.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "gamefiles/forms/block_source.h"

class ReadAhead {
public:
    // Counts block n against what may be read; called for each block in
    // order, by one loader at a time.
    using Reserve = std::function<Status(std::int32_t)>;
    // Block n once reserved; called by several loaders at once when there
    // are several.
    using Load = std::function<Result<SourceBlock>(std::int32_t)>;

    // Bytes block n is expected to take, to cut the runs.
    using Weigh = std::function<std::int64_t(std::int32_t)>;

    // Blocks 0 to `last`, loaded in runs of consecutive blocks (up to 64,
    // and of about 1 MB) by `loaders` threads. At most `ahead` bytes of runs
    // (and always the run taken next) wait, besides the run being taken and
    // one per loader.
    ReadAhead(Reserve reserve, Load load, const Weigh& weigh, std::int32_t last, std::int64_t ahead, int loaders);
    // Stops the loaders after the runs they are loading.
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The next block in order, as `load` or `reserve` gives it; rethrows
    // what they threw.
    Result<SourceBlock> Next();

private:
    using Run = std::vector<Result<SourceBlock>>;
    void Loader();

    const Reserve reserve_;
    const Load load_;
    const std::int64_t ahead_;
    std::vector<std::int32_t> runs_;  // each run's first block, then last + 1
    std::mutex mutex_;
    std::condition_variable changed_;
    std::int32_t nextRun_ = 0;      // the next run a loader starts
    std::int32_t reservedRuns_ = 0;  // runs whose blocks are reserved
    std::int32_t takenRuns_ = 0;    // runs the taker has had
    std::map<std::int32_t, Run> ready_;  // by run number
    std::int64_t held_ = 0;  // bytes of the blocks in ready_
    int waiting_ = 0;  // threads waiting on changed_
    bool stop_ = false;
    std::exception_ptr failed_;
    std::deque<Result<SourceBlock>> taken_;  // the taker's own, no lock needed
    std::vector<std::thread> threads_;  // last: started once the rest is in place
};
