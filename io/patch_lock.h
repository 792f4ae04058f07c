// Two programs saving one patch: each read–modify–write holds an advisory
// lock on a hidden file beside the patch, never on the patch itself, which a
// save replaces by rename (a lock on it would go with the old file). The lock
// file takes the patch's group and permissions, so that everybody who may
// write the patch may lock it, and is only read. It stays beside the patch
// (it holds nothing) but never beside a patch that does not exist.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

#include "io/save_file.h"

class PatchLock {
public:
    PatchLock() = default;
    PatchLock(const PatchLock&) = delete;
    PatchLock& operator=(const PatchLock&) = delete;
    ~PatchLock() { Release(); }

    // Takes the lock of `patchPath`, waiting at most `patience` while another
    // program holds it; `waiting` is called once when that lasts a second.
    // The message of a failure names the patch.
    Status Acquire(const std::string& patchPath, std::chrono::milliseconds patience,
                   const std::function<void()>& waiting = {});
    void Release();
    bool Held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
    std::string patch_, lockFile_;
    RemovedOnSignal removed_;  // while held: the lock file, when the patch does not exist
};

// What tells that a file changed on disk since it was read or written:
// identity, size and modification time. A file that does not exist has an
// empty stamp.
struct FileStamp {
    bool exists = false;
    std::uint64_t device = 0, inode = 0;
    std::int64_t size = 0, modifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::string& path);
