#include "io/save_folder.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "io/broken_links.h"
#include "io/progress.h"

namespace {
// Temporary names keep this much of the target's name (as a save's do).
constexpr std::size_t kNameKept = 24;

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

std::string ParentOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void Flush(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
}  // namespace

FolderPlace PlaceOfFolder(const std::string& path) {
    FolderPlace place;
    struct statx self {}, parent {};
    const std::string folder = WithoutTrailingSlashes(path);
    if (::statx(AT_FDCWD, folder.c_str(), 0, STATX_BASIC_STATS, &self) != 0) return place;
    if ((self.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT) != 0)
        place.mountPoint = (self.stx_attributes & STATX_ATTR_MOUNT_ROOT) != 0;
    if (::statx(AT_FDCWD, ParentOf(folder).c_str(), 0, STATX_BASIC_STATS, &parent) == 0)
        place.otherDevice = self.stx_dev_major != parent.stx_dev_major || self.stx_dev_minor != parent.stx_dev_minor;
    return place;
}

Status CheckReplaceable(const std::string& name, const FolderPlace& place) {
    const std::string inside = "; write into a folder inside it, such as '" + WithoutTrailingSlashes(name) + "/shipped'.";
    if (place.mountPoint) return Error("'" + name + "' is a mount point, which no rename can replace" + inside);
    if (place.otherDevice)
        return Error("'" + name + "' lies on another file system than the folder holding it, so no rename can replace it" +
                     inside);
    return {};
}

Result<std::string> FolderBehindLinks(const std::string& path) {
    const std::string folder = WithoutTrailingSlashes(path);
    if (const std::string why = BrokenLinkReason(folder); !why.empty())
        return Error("Cannot create the folder '" + folder + "': " + why + ".");
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return folder;
    const Result<std::string> target = FollowLinks(folder);
    if (!target) return target.error();
    return *target;
}

SaveFolder::~SaveFolder() { Discard(); }

Status SaveFolder::Open(const std::string& target) {
    Discard();
    target_ = WithoutTrailingSlashes(target);
    parent_ = ParentOf(target_);
    const std::string cannot = "Cannot write the folder '" + target_ + "': ";
    struct stat st {};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists)
        if (Status replaceable = CheckReplaceable(target_, PlaceOfFolder(target_)); !replaceable) return replaceable;
    const std::string base = BaseOf(target_);
    std::string name = parent_ + "/." + base.substr(0, std::min(base.size(), kNameKept)) + ".palindra-" +
                       std::to_string(::getpid()) + "-XXXXXX";
    RemoveStaleTemporaries(parent_, "." + base.substr(0, std::min(base.size(), kNameKept)) + ".palindra-");
    {
        const SignalsHeld held;
        if (!::mkdtemp(name.data()))
            return Error(cannot + "a new folder cannot be made beside it in '" + parent_ + "' (" + std::strerror(errno) +
                         ").");
        path_ = name;
        armed_.Arm(path_);
    }
    lock_ = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (lock_ >= 0) ::flock(lock_, LOCK_EX | LOCK_NB);
    if (exists) {
        // The new folder stands for the old one: its owner where allowed, its group and its mode.
        if (::chown(path_.c_str(), st.st_uid, st.st_gid) != 0 && ::chown(path_.c_str(), static_cast<uid_t>(-1), st.st_gid) != 0) {
            // Neither is allowed: the folder belongs to whoever writes it.
        }
        ::chmod(path_.c_str(), st.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::chmod(path_.c_str(), 0777 & ~mask);
    }
    return {};
}

Status SaveFolder::Commit() {
    if (path_.empty()) return Error("The folder was not opened.");
    Flush(path_);
    const SignalsHeld held;
    if (StopSignalPending()) return Cancelled();
    if (::rename(path_.c_str(), target_.c_str()) != 0) {
        const int why = errno;
        return Error("Cannot put the new files in place of '" + target_ + "': " +
                     (why == ENOTEMPTY || why == EEXIST ? std::string("files came into it meanwhile.")
                                                        : std::strerror(why) + std::string(".")));
    }
    armed_.Disarm();
    path_.clear();
    if (lock_ >= 0) ::close(lock_);
    lock_ = -1;
    Flush(parent_);
    return {};
}

void SaveFolder::Discard() {
    armed_.Disarm();
    if (!path_.empty()) {
        if (lock_ >= 0) RemoveFilesIn(lock_);
        ::rmdir(path_.c_str());
    }
    if (lock_ >= 0) ::close(lock_);
    lock_ = -1;
    path_.clear();
}
