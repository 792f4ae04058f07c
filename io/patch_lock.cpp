#include "io/patch_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace {
constexpr std::size_t kMaxName = 255;
constexpr auto kPoll = std::chrono::milliseconds(20);
constexpr auto kQuietWait = std::chrono::seconds(1);

// The hidden lock file of the patch at `path` (no link): ".NAME.lock" in its
// folder, shortened for very long names.
std::string LockFileBeside(const std::string& path) {
    const auto slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
    if (base.size() + 6 > kMaxName) {
        // Too long to add to: keep a start and tell names apart by a hash of the rest.
        std::uint64_t hash = 14695981039346656037ull;
        for (const char c : base) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
        base = base.substr(0, 200) + "-" + hex;
    }
    return folder + "." + base + ".lock";
}

// Opens the lock file of `patch` for reading, which is all flock needs,
// creating it with the patch's group and permissions. -1 with errno set.
int OpenLockFile(const std::string& lockFile, const std::string& patch) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = ::open(lockFile.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        struct stat st {};
        if (fd >= 0 && ::stat(patch.c_str(), &st) == 0) {
            if (::fchown(fd, static_cast<uid_t>(-1), st.st_gid) != 0) {
                // Not a member of the patch's group: the folder's group stays.
            }
            ::fchmod(fd, st.st_mode & 0666);
        }
        if (fd >= 0 || errno != EEXIST) return fd;
        if (const int existing = ::open(lockFile.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC); existing >= 0 || errno != ENOENT)
            return existing;
        // Removed in between by a holder that found the patch gone: make it anew.
    }
    return -1;
}

bool SameFile(int fd, const std::string& path) {
    struct stat a {}, b {};
    return ::fstat(fd, &a) == 0 && ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// How long a lock is waited for, and whether the waiting was told yet.
struct Waiting {
    std::chrono::steady_clock::time_point start;
    std::chrono::milliseconds patience;
    const std::function<void()>& waiting;
    bool told = false;
};

// Waits until `fd` holds its lock, or the patience runs out.
Status WaitForLock(int fd, const std::string& patchPath, Waiting& wait) {
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return Error("Cannot lock '" + patchPath + "': " + std::strerror(errno) + ".");
        const auto waited = std::chrono::steady_clock::now() - wait.start;
        if (waited >= wait.patience)
            return Error("'" + patchPath + "' is being saved by another program; nothing was changed. Try again "
                         "when it has finished.");
        if (!wait.told && waited >= kQuietWait && wait.waiting) {
            wait.waiting();
            wait.told = true;
        }
        std::this_thread::sleep_for(kPoll);
    }
    return {};
}
}  // namespace

Status PatchLock::Acquire(const std::string& patchPath, std::chrono::milliseconds patience,
                          const std::function<void()>& waiting) {
    Release();
    const Result<std::string> followed = FollowLinks(patchPath);
    if (!followed) return Error("Cannot lock '" + patchPath + "': " + followed.error().message);
    const std::string& patch = *followed;
    const std::string lockFile = LockFileBeside(patch);
    auto take = [&](int fd) {
        fd_ = fd;
        patch_ = patch;
        lockFile_ = lockFile;
        removed_.Arm(lockFile_, patch_);
    };
    Waiting wait{std::chrono::steady_clock::now(), patience, waiting};
    for (;;) {
        int fd = -1;
        {
            // A lock file made here is armed before a signal could leave it behind.
            const SignalsHeld held;
            fd = OpenLockFile(lockFile, patch);
            if (fd < 0) return Error("Cannot lock '" + patchPath + "' (" + lockFile + "): " + std::strerror(errno) + ".");
            if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && SameFile(fd, lockFile)) {
                take(fd);
                return {};
            }
        }
        if (Status locked = WaitForLock(fd, patchPath, wait); !locked) {
            ::close(fd);
            return locked;
        }
        // The holder before may have removed the file this lock is on.
        if (SameFile(fd, lockFile)) {
            take(fd);
            return {};
        }
        ::close(fd);
    }
}

void PatchLock::Release() {
    if (fd_ < 0) return;
    // Removed while still held, so that a program waiting for it sees it go.
    struct stat st {};
    if (::stat(patch_.c_str(), &st) != 0 && errno == ENOENT) ::unlink(lockFile_.c_str());
    removed_.Disarm();
    ::close(fd_);  // closing the only descriptor drops the lock
    fd_ = -1;
}

FileStamp StampOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return {true, static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}
