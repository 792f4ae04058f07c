#include "io/binary_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

InputFile::~InputFile() { Close(); }

Status InputFile::Open(const std::string& path) {
    Close();
    path_ = path;
    if (path.empty()) return Error("No file name was given.");
    // Opened without blocking, so that a FIFO or a device is refused at once
    // instead of waiting for a writer for ever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return Error("Cannot open '" + path + "': " + std::strerror(errno) + ".");
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Error("Cannot open '" + path + "': it is not a regular file.");
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    fd_ = fd;
    size_ = st.st_size;
    // A file kept in version control may be a small text that stands for it.
    static constexpr std::string_view kLfsPointer = "version https://git-lfs.github.com/spec/v1";
    std::uint8_t head[kLfsPointer.size()] = {};
    if (size_ < 1024 && Fills(0, head) && std::equal(kLfsPointer.begin(), kLfsPointer.end(), head)) {
        Close();
        return Error("'" + path + "' is a Git LFS pointer, not the file itself: fetch the real file first (git lfs pull).",
                     ErrorCode::kNotFetched);
    }
    return {};
}

void InputFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    size_ = 0;
}

Result<std::size_t> InputFile::ReadAt(std::int64_t offset, std::span<std::uint8_t> out) const {
    if (fd_ < 0 || offset < 0) return Error("Cannot read '" + path_ + "' at offset " + std::to_string(offset) + ".");
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::pread(fd_, out.data() + done, out.size() - done, static_cast<off_t>(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return Error("Cannot read '" + path_ + "': " + std::strerror(errno) + ".");
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

bool InputFile::Fills(std::int64_t offset, std::span<std::uint8_t> out) const {
    const Result<std::size_t> n = ReadAt(offset, out);
    return n && *n == out.size();
}

namespace {
// No buffer larger than the file it reads (and never empty).
std::size_t BufferFor(const InputFile& file, std::size_t wanted) {
    return static_cast<std::size_t>(std::clamp<std::int64_t>(file.Size(), 1, static_cast<std::int64_t>(wanted)));
}
}  // namespace

BufferedReader::BufferedReader(const InputFile& file, std::size_t bufferSize)
    : file_(file), buffer_(BufferFor(file, bufferSize)) {}

bool BufferedReader::Fill() {
    const Result<std::size_t> n = file_.ReadAt(filePosition_, buffer_);
    if (!n || *n == 0) return false;
    begin_ = 0;
    end_ = *n;
    filePosition_ += static_cast<std::int64_t>(*n);
    return true;
}

bool BufferedReader::Read(std::span<std::uint8_t> out) {
    std::size_t done = 0;
    while (done < out.size()) {
        if (begin_ == end_) {
            const std::size_t want = out.size() - done;
            if (want >= buffer_.size()) {
                // Large reads bypass the buffer.
                if (!file_.Fills(filePosition_, out.subspan(done))) return false;
                filePosition_ += static_cast<std::int64_t>(want);
                position_ += static_cast<std::int64_t>(want);
                return true;
            }
            if (!Fill()) return false;
        }
        const std::size_t take = std::min(end_ - begin_, out.size() - done);
        std::memcpy(out.data() + done, buffer_.data() + begin_, take);
        begin_ += take;
        done += take;
        position_ += static_cast<std::int64_t>(take);
    }
    return true;
}

bool BufferedReader::Skip(std::int64_t count) {
    if (count < 0 || count > Remaining()) return false;
    const auto inBuffer = static_cast<std::int64_t>(end_ - begin_);
    if (count <= inBuffer) {
        begin_ += static_cast<std::size_t>(count);
    } else {
        filePosition_ += count - inBuffer;
        begin_ = end_ = 0;
    }
    position_ += count;
    return true;
}

WindowedReader::WindowedReader(const InputFile& file, std::size_t windowSize)
    : file_(file), window_(BufferFor(file, windowSize)) {}

bool WindowedReader::ReadAt(std::int64_t offset, std::span<std::uint8_t> out) {
    // Only the part that lies inside the file is read; the rest reads as 0.
    const std::int64_t begin = std::max<std::int64_t>(offset, 0);
    const std::int64_t end = std::min<std::int64_t>(offset + static_cast<std::int64_t>(out.size()), file_.Size());
    if (begin >= end) {
        std::fill(out.begin(), out.end(), std::uint8_t{0});
        return true;
    }
    std::span<std::uint8_t> inside = out.subspan(static_cast<std::size_t>(begin - offset),
                                                 static_cast<std::size_t>(end - begin));
    std::fill(out.begin(), out.begin() + (begin - offset), std::uint8_t{0});
    std::fill(out.begin() + (end - offset), out.end(), std::uint8_t{0});
    if (inside.size() > window_.size() / 2) {
        if (file_.Fills(begin, inside)) return true;
        shrunk_ = true;
        return false;
    }
    if (!Cover(begin, end)) return false;
    std::memcpy(inside.data(), window_.data() + (begin - windowStart_), inside.size());
    return true;
}

std::optional<std::span<const std::uint8_t>> WindowedReader::View(std::int64_t offset, std::size_t size) {
    if (offset < 0 || size > window_.size() / 2 || offset > file_.Size() - static_cast<std::int64_t>(size))
        return std::nullopt;
    const std::int64_t end = offset + static_cast<std::int64_t>(size);
    if (!Cover(offset, end)) return std::nullopt;
    return std::span<const std::uint8_t>(window_.data() + (offset - windowStart_), size);
}

bool WindowedReader::Cover(std::int64_t begin, std::int64_t end) {
    if (begin >= windowStart_ && end <= windowStart_ + static_cast<std::int64_t>(windowLength_)) return true;
    const Result<std::size_t> n = file_.ReadAt(begin, window_);
    // A failed or short read (the file shrank) has overwritten the window.
    windowStart_ = begin;
    windowLength_ = n ? *n : 0;
    const std::int64_t expected = std::min<std::int64_t>(std::ssize(window_), file_.Size() - begin);
    if (static_cast<std::int64_t>(windowLength_) < expected) shrunk_ = true;
    return static_cast<std::int64_t>(windowLength_) >= end - begin;
}

bool IsExistingFile(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

Result<std::vector<std::uint8_t>> ReadWholeFile(const std::string& path, std::int64_t maxBytes) {
    InputFile f;
    if (Status opened = f.Open(path); !opened) return opened.error();
    if (f.Size() > maxBytes) return Error("'" + path + "' is too large (" + std::to_string(f.Size()) + " bytes).");
    std::vector<std::uint8_t> data(static_cast<std::size_t>(f.Size()));
    if (!f.Fills(0, data)) return Error("Cannot read '" + path + "': " + std::strerror(errno) + ".");
    return data;
}
