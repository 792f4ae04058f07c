#include "patch/save_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>

namespace {
// Writes go out in pieces of this size: few system calls, little memory.
constexpr std::size_t kBufferSize = std::size_t{1} << 20;
// Temporary names keep this much of the target's name, so that a name near
// the file system's limit still leaves room and a leftover shows whose it was.
constexpr std::size_t kNameKept = 24;

// The temporary file a signal handler removes. A handler can reach nothing
// else, so this one path lives here; `tempOwner` is the SaveFile writing it.
volatile std::sig_atomic_t tempArmed = 0;
char tempPath[PATH_MAX];
const void* tempOwner = nullptr;

void ArmTemp(const void* owner, const std::string& path) {
    tempArmed = 0;
    if (path.size() >= sizeof tempPath) return;
    std::memcpy(tempPath, path.c_str(), path.size() + 1);
    tempOwner = owner;
    tempArmed = 1;
}

void DisarmTemp(const void* owner) {
    if (tempOwner == owner) tempArmed = 0;
}

void RemoveTempAndDie(int signal) {
    if (tempArmed) ::unlink(tempPath);
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

// The file a save replaces: the target of a symbolic link, not the link.
std::string ResolveTarget(const std::string& path) {
    char resolved[PATH_MAX];
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && ::realpath(path.c_str(), resolved))
        return resolved;
    return path;
}

// Makes a rename in `folder` survive a power cut. Some file systems cannot
// flush a folder; the file itself is on disk by then, so that is no failure.
void FlushFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
}  // namespace

void RemoveTemporaryFilesOnSignals() {
    struct sigaction action {};
    action.sa_handler = RemoveTempAndDie;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

SaveFile::~SaveFile() { Discard(); }

std::string SaveFile::Open(const std::string& targetPath) {
    Discard();
    error_.clear();
    written_ = 0;
    buffer_.clear();
    kept_ = {};
    buffer_.reserve(kBufferSize);
    if (targetPath.empty()) return "No file name was given.";
    target_ = ResolveTarget(targetPath);
    const std::string cannot = "Cannot save '" + targetPath + "': ";
    struct stat st {};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) return cannot + (S_ISDIR(st.st_mode) ? "it is a folder." : "it is not a regular file.");
    // Saving replaces the file by rename, which the folder allows even where
    // the file forbids writing: ask what writing in place would be allowed.
    if (exists && (st.st_mode & 0222) == 0) return cannot + "the file is read-only.";
    if (exists && ::access(target_.c_str(), W_OK) != 0)
        return cannot + (errno == EACCES ? std::string("you have no permission to write to it.") : std::strerror(errno) + std::string("."));
    const std::string base = BaseOf(target_);
    std::string pattern = FolderOf(target_) + "/." + base.substr(0, std::min(base.size(), kNameKept)) + ".palindra-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0) return cannot + std::strerror(errno) + ".";
    temp_ = name.data();
    ArmTemp(this, temp_);
    // Keep the owner, group and permissions of the file being replaced; a user
    // who may not give a file away keeps at least its group when a member of it.
    mode_t mode = 0666;
    if (exists) {
        mode = st.st_mode & 07777;
        if (::fchown(fd_, st.st_uid, st.st_gid) != 0 && ::fchown(fd_, static_cast<uid_t>(-1), st.st_gid) != 0) {
            // Neither is allowed: the new file belongs to whoever saves it.
        }
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    ::fchmod(fd_, mode);
    return "";
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

std::string SaveFile::Fail(const std::string& what) {
    if (error_.empty()) error_ = "Cannot save '" + target_ + "': " + what + ".";
    return error_;
}

void SaveFile::WriteKept(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0 || !error_.empty() || bytes.empty()) return;
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
    if (fd_ < 0 || !error_.empty()) return;
    EndRun();
    if (buffer_.size() + bytes.size() > kBufferSize && !Flush()) return;
    if (bytes.size() >= kBufferSize) {
        WriteAll(bytes.data(), bytes.size());
        return;
    }
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

void SaveFile::WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes) {
    if (fd_ < 0 || !error_.empty()) return;
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

std::string SaveFile::Commit() {
    if (fd_ < 0) return error_.empty() ? "The file was not opened." : error_;
    if (error_.empty()) Flush();
    if (error_.empty() && ::fsync(fd_) != 0) Fail(std::strerror(errno));
    if (::close(fd_) != 0) Fail(std::strerror(errno));
    fd_ = -1;
    if (error_.empty() && ::rename(temp_.c_str(), target_.c_str()) != 0) Fail(std::strerror(errno));
    DisarmTemp(this);
    if (!error_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
        return error_;
    }
    temp_.clear();
    FlushFolder(FolderOf(target_));
    return "";
}

void SaveFile::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    DisarmTemp(this);
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
}
