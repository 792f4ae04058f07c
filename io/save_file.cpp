#include "io/save_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "io/binary_io.h"

namespace {
// Writes go out in pieces of this size: few system calls, little memory.
constexpr std::size_t kBufferSize = std::size_t{1} << 20;
// Temporary names keep this much of the target's name, so that a name near
// the file system's limit still leaves room and a leftover shows whose it was.
constexpr std::size_t kNameKept = 24;
// As many links as the system follows in one path.
constexpr int kMaxLinks = 40;
constexpr int kCleanedSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The files a signal removes. A handler can reach nothing else, so the list
// starts here; signals are held while it changes, so a handler never walks
// it half changed.
RemovedOnSignal* armedFiles = nullptr;

void RemoveAndDie(int signal) {
    RemovedOnSignal::RemoveAllArmed();
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Makes a rename in `folder` survive a power cut. Some file systems cannot
// flush a folder; the file itself is on disk by then, so that is no failure.
void FlushFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

constexpr std::string_view kTemporaryMark = ".palindra-";
}  // namespace

void RemoveFilesIn(int folderFd) {
    const int fd = ::dup(folderFd);
    DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
        if (fd >= 0) ::close(fd);
        return;
    }
    ::rewinddir(dir);
    while (const dirent* entry = ::readdir(dir)) {
        struct stat st {};
        if (::fstatat(folderFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(st.st_mode))
            ::unlinkat(folderFd, entry->d_name, 0);
    }
    ::closedir(dir);
}

void RemoveStaleTemporaries(const std::string& folder, const std::string& prefix) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        // "." name ".palindra-" process ID "-" and the random rest, which holds no dot.
        const std::size_t mark = name.rfind(kTemporaryMark);
        if (!name.starts_with(prefix) || mark == std::string_view::npos) continue;
        long pid = 0;
        const char* digits = name.data() + mark + kTemporaryMark.size();
        const auto [end, ec] = std::from_chars(digits, name.data() + name.size(), pid);
        if (ec != std::errc() || end == digits || *end != '-' || pid <= 0) continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && (S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) && ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            if (S_ISDIR(st.st_mode)) RemoveFilesIn(fd);
            ::unlinkat(dirFd, entry->d_name, S_ISDIR(st.st_mode) ? AT_REMOVEDIR : 0);
        }
        ::close(fd);
    }
    ::closedir(dir);
}

SignalsHeld::SignalsHeld() {
    sigset_t set;
    sigemptyset(&set);
    for (const int s : kCleanedSignals) sigaddset(&set, s);
    ::pthread_sigmask(SIG_BLOCK, &set, &old_);
}

SignalsHeld::~SignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &old_, nullptr); }

bool StopSignalPending() {
    sigset_t pending;
    sigemptyset(&pending);
    ::sigpending(&pending);
    for (const int s : kCleanedSignals)
        if (sigismember(&pending, s) == 1) return true;
    return false;
}

void DropStopSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int s : kCleanedSignals) sigaddset(&set, s);
    const timespec now{};
    while (StopSignalPending() && ::sigtimedwait(&set, nullptr, &now) > 0) {
    }
}

void RemovedOnSignal::Arm(const std::string& path, const std::string& unless) {
    Disarm();
    path_ = path;
    unless_ = unless;
    const SignalsHeld held;
    next_ = armedFiles;
    armedFiles = this;
    armed_ = true;
}

void RemovedOnSignal::Disarm() {
    if (!armed_) return;
    const SignalsHeld held;
    for (RemovedOnSignal** link = &armedFiles; *link; link = &(*link)->next_)
        if (*link == this) {
            *link = next_;
            break;
        }
    armed_ = false;
}

void RemovedOnSignal::RemoveAllArmed() {
    for (const RemovedOnSignal* f = armedFiles; f; f = f->next_) {
        struct stat st {};
        if (!f->unless_.empty() && (::stat(f->unless_.c_str(), &st) == 0 || errno != ENOENT)) continue;
        if (::unlink(f->path_.c_str()) != 0 && errno == EISDIR) ::rmdir(f->path_.c_str());
    }
}

void RemoveTemporaryFilesOnSignals() {
    struct sigaction action {};
    action.sa_handler = RemoveAndDie;
    sigemptyset(&action.sa_mask);
    for (const int s : kCleanedSignals) sigaddset(&action.sa_mask, s);
    for (const int s : kCleanedSignals) ::sigaction(s, &action, nullptr);
}

Result<std::string> FollowLinks(const std::string& path) {
    const Error loops("it is a symbolic link that leads round in a loop.");
    std::string at = path;
    for (int hops = 0;; ++hops) {
        struct stat st {};
        const bool found = ::lstat(at.c_str(), &st) == 0;
        if (!found && errno == ELOOP) return loops;  // a folder on the way loops
        if (!found || !S_ISLNK(st.st_mode)) return at;
        if (hops == kMaxLinks) return loops;
        std::string link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(at.c_str(), link.data(), link.size());
        if (n <= 0) return at;  // refused as no regular file
        link.resize(static_cast<std::size_t>(n));
        at = link[0] == '/' ? link : FolderOf(at) + "/" + link;
    }
}

Status RefuseOverwriting(const std::string& target, const std::string& input, const std::string& what) {
    struct stat a {}, b {};
    if (input.empty() || ::stat(target.c_str(), &a) != 0 || ::stat(input.c_str(), &b) != 0 || a.st_dev != b.st_dev ||
        a.st_ino != b.st_ino)
        return {};
    return Error("Cannot write '" + target + "': it is " + what + " '" + input + "' itself.");
}

SaveFile::~SaveFile() { Discard(); }

Status SaveFile::CheckTarget() const {
    const std::string cannot = "Cannot save '" + name_ + "': ";
    struct stat st {};
    if (::lstat(target_.c_str(), &st) != 0) return errno == ENOENT ? Status() : Error(cannot + std::strerror(errno) + ".");
    if (!S_ISREG(st.st_mode)) return Error(cannot + (S_ISDIR(st.st_mode) ? "it is a folder." : "it is not a regular file."));
    // Saving replaces the file by rename, which the folder allows even where
    // the file forbids writing: ask what writing in place would be allowed.
    if ((st.st_mode & 0222) == 0) return Error(cannot + "the file is read-only.");
    if (::access(target_.c_str(), W_OK) != 0)
        return Error(cannot + (errno == EACCES ? std::string("you have no permission to write to it.")
                                               : std::strerror(errno) + std::string(".")));
    return {};
}

namespace {
// Keep the owner, group and permissions of the file being replaced; a user
// who may not give a file away keeps at least its group when a member of it.
void KeepOwnerAndMode(int fd, const std::string& target) {
    struct stat st {};
    mode_t mode = 0666;
    if (::stat(target.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
        if (::fchown(fd, st.st_uid, st.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), st.st_gid) != 0) {
            // Neither is allowed: the new file belongs to whoever saves it.
        }
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    ::fchmod(fd, mode);
}
}  // namespace

Status SaveFile::Open(const std::string& targetPath, StaleTemporaries stale) {
    Discard();
    error_.clear();
    written_ = 0;
    buffer_.clear();
    kept_ = {};
    finished_ = false;
    name_ = targetPath;
    if (targetPath.empty()) return Error("No file name was given.");
    const std::string cannot = "Cannot save '" + targetPath + "': ";
    Result<std::string> target = FollowLinks(targetPath);
    if (!target) return Error(cannot + target.error().message);
    target_ = std::move(*target);
    if (Status writable = CheckTarget(); !writable) return writable;
    const std::string base = BaseOf(target_);
    const std::string prefix = "." + base.substr(0, std::min(base.size(), kNameKept)) + std::string(kTemporaryMark);
    const std::string folder = FolderOf(target_);
    if (stale == StaleTemporaries::kRemove) RemoveStaleTemporaries(folder, prefix);
    std::string name = folder + "/" + prefix + std::to_string(::getpid()) + "-XXXXXX";
    {
        const SignalsHeld held;
        fd_ = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd_ < 0) return Error(cannot + std::strerror(errno) + ".");
        temp_ = name;
        armed_.Arm(temp_);
    }
    // Held until the save ends, so that a later save tells this file from one left behind.
    ::flock(fd_, LOCK_EX | LOCK_NB);
    buffer_.reserve(kBufferSize);
    KeepOwnerAndMode(fd_, target_);
    return {};
}

bool SaveFile::WriteAll(const std::uint8_t* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd_, data + done, size - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail(std::strerror(errno));
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    written_ += static_cast<std::int64_t>(size);
    return true;
}

bool SaveFile::Flush() {
    EndRun();
    const bool ok = WriteAll(buffer_.data(), buffer_.size());
    buffer_.clear();
    return ok;
}

Error SaveFile::Fail(const std::string& what) {
    if (error_.empty()) error_ = "Cannot save '" + name_ + "': " + what + ".";
    return Error(error_);
}

void SaveFile::WriteKept(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0 || finished_ || !error_.empty() || bytes.empty()) return;
    if (!kept_.empty() && bytes.data() == kept_.data() + kept_.size()) {
        kept_ = {kept_.data(), kept_.size() + bytes.size()};
        return;
    }
    EndRun();
    kept_ = bytes;
}

void SaveFile::EndRun() {
    if (kept_.empty()) return;
    const std::span<const std::uint8_t> run = kept_;
    kept_ = {};
    // A short run is cheaper copied than written on its own.
    if (run.size() < kBufferSize / 16) {
        Write(run);
        return;
    }
    if (Flush()) WriteAll(run.data(), run.size());
}

void SaveFile::Write(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0 || finished_ || !error_.empty()) return;
    EndRun();
    if (buffer_.size() + bytes.size() > kBufferSize && !Flush()) return;
    if (bytes.size() >= kBufferSize) {
        WriteAll(bytes.data(), bytes.size());
        return;
    }
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

void SaveFile::Copy(const InputFile& from, std::int64_t offset, std::int64_t length) {
    if (fd_ < 0 || finished_ || !error_.empty() || length <= 0 || !Flush()) return;
    const std::string unread = "'" + from.Path() + "' could not be read to the end";
    loff_t at = offset;
    while (length > 0) {
        const ssize_t n = ::copy_file_range(from.fd_, &at, fd_, nullptr,
                                            static_cast<std::size_t>(std::min<std::int64_t>(length, 1 << 30)), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n == 0) {
            Fail(unread);
            return;
        }
        if (n < 0) break;  // not offered between these files: copied through memory below
        length -= n;
        written_ += n;
    }
    std::vector<std::uint8_t> piece(static_cast<std::size_t>(std::min<std::int64_t>(length, kBufferSize)));
    while (length > 0) {
        const auto want = static_cast<std::size_t>(std::min<std::int64_t>(length, kBufferSize));
        const Result<std::size_t> n = from.ReadAt(at, std::span(piece.data(), want));
        if (!n || *n == 0) {
            Fail(unread);
            return;
        }
        if (!WriteAll(piece.data(), *n)) return;
        at += static_cast<loff_t>(*n);
        length -= static_cast<std::int64_t>(*n);
    }
}

void SaveFile::WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes) {
    if (fd_ < 0 || finished_ || !error_.empty()) return;
    if (!Flush()) return;
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done, offset + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail(std::strerror(errno));
            return;
        }
        done += static_cast<std::size_t>(n);
    }
}

Status SaveFile::Finish() {
    if (fd_ < 0) return Error(error_.empty() ? "The file was not opened." : error_);
    if (!finished_) {
        if (error_.empty()) Flush();
        finished_ = true;
        if (error_.empty() && ::fsync(fd_) != 0) Fail(std::strerror(errno));
        std::vector<std::uint8_t>().swap(buffer_);
    }
    return error_.empty() ? Status() : Error(error_);
}

Status SaveFile::Commit() {
    Status done = Finish();
    if (done) done = CheckTarget();
    if (done && ::rename(temp_.c_str(), target_.c_str()) != 0) done = Fail(std::strerror(errno));
    if (!done) {
        Discard();
        return done;
    }
    placed_ = Placed::kForGood;
    Settle();
    return {};
}

Status SaveFile::Replace() {
    if (::renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, target_.c_str(), RENAME_EXCHANGE) == 0) {
        placed_ = Placed::kSwapped;
        return {};
    }
    // No file to swap with, or a file system that cannot swap: a plain rename.
    const bool absent = errno == ENOENT;
    if (::rename(temp_.c_str(), target_.c_str()) != 0) return Fail(std::strerror(errno));
    placed_ = absent ? Placed::kNew : Placed::kForGood;
    return {};
}

void SaveFile::Restore() {
    if (placed_ == Placed::kSwapped) ::renameat2(AT_FDCWD, temp_.c_str(), AT_FDCWD, target_.c_str(), RENAME_EXCHANGE);
    else if (placed_ == Placed::kNew) ::rename(target_.c_str(), temp_.c_str());
    placed_ = Placed::kNot;
}

void SaveFile::Settle() {
    if (placed_ == Placed::kSwapped) ::unlink(temp_.c_str());  // the old file
    placed_ = Placed::kNot;
    temp_.clear();
    armed_.Disarm();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    FlushFolder(FolderOf(target_));
}

void SaveFile::Discard() {
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
    armed_.Disarm();
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    placed_ = Placed::kNot;
}

SaveFile& SaveSet::Add() { return *saves_.emplace_back(std::make_unique<SaveFile>()); }

Status SaveSet::Commit() {
    Status done;
    for (const auto& save : saves_)
        if (done) done = save->Finish();
    for (const auto& save : saves_)
        if (done) done = save->CheckTarget();
    if (done) {
        // A signal in between would leave some targets replaced and others not.
        const SignalsHeld held;
        std::size_t placed = 0;
        while (placed < saves_.size() && done)
            if (done = saves_[placed]->Replace(); done) ++placed;
        if (done)
            for (const auto& save : saves_) save->Settle();
        else
            while (placed > 0) saves_[--placed]->Restore();
    }
    saves_.clear();  // removes every temporary file not settled
    return done;
}
