// How much block data one read of an outside file may allocate. Entries of an
// index or a verdata directory may all point at one region, so the sum of
// their lengths is no measure of the file: a 3 MB file could ask for 100 GB.
// A read is allowed what its input holds twice over, plus 64 MiB: a file
// whose every byte is read once uses half of that; the rest covers entries
// that really share data (blank tiles, repeated sounds) in real files, and the
// 64 MiB lets small files share freely.
#pragma once

#include <cstdint>
#include <string>

class ReadBudget {
public:
    static constexpr std::int64_t kSlack = std::int64_t{64} << 20;
    static constexpr std::int64_t kFactor = 2;

    // `path` names the file in the message; `inputBytes` is what it holds.
    ReadBudget(std::string path, std::int64_t inputBytes);
    // The budget of a read of the file at `path`, by its size on disk.
    explicit ReadBudget(const std::string& path);

    // Counts `bytes` more; "" while the total stays within the budget,
    // otherwise a message naming the file (every later call fails too).
    std::string Take(std::int64_t bytes);

private:
    std::string path_;
    std::int64_t left_;
};
