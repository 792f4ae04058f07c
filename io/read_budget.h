// How much block data one read of an outside file may allocate. Entries of an
// index or a verdata directory may all point at one region, so the sum of
// their lengths is no measure of the file: a 3 MB file could ask for 100 GB.
// A read is allowed what its input holds twice over, plus 64 MiB: a file
// whose every byte is read once uses half of that; the rest covers entries
// that really share data (blank tiles, repeated sounds) in real files, and the
// 64 MiB lets small files share freely. A game data package declares what
// its entries decode to, which may be many times what it stores: its reads
// are allowed 16 times its size (real packages decode to a few times theirs,
// packed gumps the most), checked against what it declares before anything
// is decoded.
#pragma once

#include <cstdint>
#include <string>

#include "io/result.h"

class ReadBudget {
public:
    static constexpr std::int64_t kSlack = std::int64_t{64} << 20;
    static constexpr std::int64_t kFactor = 2;
    static constexpr std::int64_t kPackageFactor = 16;

    // `path` names the file in the message; `inputBytes` is what it holds,
    // of which `factor` times (and the slack) may be read.
    ReadBudget(std::string path, std::int64_t inputBytes, std::int64_t factor = kFactor);
    // The budget of a read of the file at `path`, by its size on disk.
    explicit ReadBudget(const std::string& path);

    // Counts `bytes` more; fails once the total is past the budget, naming
    // the file (and so does every later call).
    Status Take(std::int64_t bytes);

private:
    std::string path_;
    std::int64_t left_;
};
