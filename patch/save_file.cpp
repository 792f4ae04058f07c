#include "patch/save_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace {
constexpr std::size_t kBufferSize = 1 << 20;

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
}  // namespace

SaveFile::~SaveFile() { Discard(); }

std::string SaveFile::Open(const std::string& targetPath) {
    Discard();
    error_.clear();
    written_ = 0;
    buffer_.clear();
    if (targetPath.empty()) return "No file name was given.";
    target_ = ResolveTarget(targetPath);
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0 && !S_ISREG(st.st_mode))
        return "Cannot save '" + targetPath + "': it is " + (S_ISDIR(st.st_mode) ? "a folder." : "not a regular file.");
    std::string pattern = FolderOf(target_) + "/." + BaseOf(target_) + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0) return "Cannot save '" + targetPath + "': " + std::strerror(errno) + ".";
    temp_ = name.data();
    // Keep the permissions of the file being replaced; new files get the usual ones.
    mode_t mode = 0666;
    if (::stat(target_.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode &= ~mask;
    }
    ::fchmod(fd_, mode);
    return "";
}

bool SaveFile::Flush() {
    std::size_t done = 0;
    while (done < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail(std::strerror(errno));
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    written_ += static_cast<std::int64_t>(buffer_.size());
    buffer_.clear();
    return true;
}

std::string SaveFile::Fail(const std::string& what) {
    if (error_.empty()) error_ = "Cannot save '" + target_ + "': " + what + ".";
    return error_;
}

void SaveFile::Write(std::span<const std::uint8_t> bytes) {
    if (fd_ < 0 || !error_.empty()) return;
    if (buffer_.size() + bytes.size() > kBufferSize && !Flush()) return;
    if (bytes.size() >= kBufferSize) {
        buffer_.assign(bytes.begin(), bytes.end());
        Flush();
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
    if (::close(fd_) != 0) Fail(std::strerror(errno));
    fd_ = -1;
    if (error_.empty() && ::rename(temp_.c_str(), target_.c_str()) != 0) Fail(std::strerror(errno));
    if (!error_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
        return error_;
    }
    temp_.clear();
    return "";
}

void SaveFile::Discard() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
}
