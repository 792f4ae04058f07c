#include "codecs/cHues.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

cHues::~cHues() { CloseHues(); }

std::string cHues::OpenHues(const std::string& filename) {
    if (fd_ >= 0) return "";
    fd_ = ::open(filename.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0) return "Cannot open '" + filename + "': " + std::strerror(errno) + ".";
    return "";
}

void cHues::CloseHues() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

bool cHues::LoadHuesBlock(const std::int32_t& blockNumber, HuesBlock& block) const {
    if (fd_ < 0 || blockNumber < 0) return false;
    HuesBlock image{};
    const off_t at = static_cast<off_t>(blockNumber) * static_cast<off_t>(kHuesBlockSize);
    std::size_t done = 0;
    while (done < image.size()) {
        const ssize_t n = ::pread(fd_, image.data() + done, image.size() - done, at + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    block = image;
    return true;
}

bool cHues::SaveHuesBlock(const std::int32_t& blockNumber, const HuesBlock& block) {
    if (fd_ < 0 || blockNumber < 0) return false;
    const off_t at = static_cast<off_t>(blockNumber) * static_cast<off_t>(kHuesBlockSize);
    std::size_t done = 0;
    while (done < block.size()) {
        const ssize_t n = ::pwrite(fd_, block.data() + done, block.size() - done, at + static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}
