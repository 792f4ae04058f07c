#include "patch/patch_lock.h"

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

std::string Resolved(const std::string& path) {
    char resolved[PATH_MAX];
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && ::realpath(path.c_str(), resolved)) return resolved;
    return path;
}
}  // namespace

std::string LockFileOf(const std::string& patchPath) {
    const std::string path = Resolved(patchPath);
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

std::string PatchLock::Acquire(const std::string& patchPath, std::chrono::milliseconds patience,
                               const std::function<void()>& waiting) {
    Release();
    const std::string lockPath = LockFileOf(patchPath);
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) return "Cannot lock '" + patchPath + "' (" + lockPath + "): " + std::strerror(errno) + ".";
    const auto start = std::chrono::steady_clock::now();
    bool told = false;
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno != EWOULDBLOCK && errno != EINTR) {
            const std::string why = std::strerror(errno);
            ::close(fd);
            return "Cannot lock '" + patchPath + "': " + why + ".";
        }
        const auto waited = std::chrono::steady_clock::now() - start;
        if (waited >= patience) {
            ::close(fd);
            return "'" + patchPath + "' is being saved by another program; nothing was changed. Try again when it "
                   "has finished.";
        }
        if (!told && waited >= kQuietWait && waiting) {
            waiting();
            told = true;
        }
        std::this_thread::sleep_for(kPoll);
    }
    fd_ = fd;
    return "";
}

void PatchLock::Release() {
    if (fd_ >= 0) ::close(fd_);  // closing the only descriptor drops the lock
    fd_ = -1;
}

FileStamp StampOf(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return {};
    return {true, static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            static_cast<std::int64_t>(st.st_size),
            static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}
