#include "gamefiles/cMUL.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace {
constexpr std::int64_t kEntrySize = 12;

// A count of whole entries, an exact half rounded to the even neighbour.
std::int32_t EntryCount(std::int64_t indexBytes) {
    std::int64_t q = indexBytes / kEntrySize;
    const std::int64_t twice = 2 * (indexBytes % kEntrySize);
    if (twice > kEntrySize || (twice == kEntrySize && q % 2 == 1)) ++q;
    return static_cast<std::int32_t>(std::min<std::int64_t>(q, INT32_MAX));
}

bool WriteAllAt(int fd, const std::uint8_t* data, std::size_t size, std::int64_t offset) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(fd, data + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}
}  // namespace

cMUL::cMUL() = default;
cMUL::~cMUL() = default;

std::string cMUL::cOpen(const std::string& idxFilename, const std::string& mulFilename, std::int32_t constantIndex,
                        std::int32_t nbrOfBlocks) {
    const std::string unable = "Unable to open " + idxFilename + " and " + mulFilename + ".";
    if (data_.IsOpen()) return idxFilename + " and " + mulFilename + " is allready opened.";
    constantIndex_ = constantIndex;
    if (constantIndex > 0 && nbrOfBlocks < 1) return "Illegal number of blocks.";
    if (!data_.Open(mulFilename).empty()) return unable;
    if (constantIndex < 1 && !index_.Open(idxFilename).empty()) {
        data_.Close();
        return unable;
    }
    idxPath_ = idxFilename;
    mulPath_ = mulFilename;
    nbrOfBlocks_ = constantIndex > 0 ? nbrOfBlocks : EntryCount(index_.Size());
    dataReader_ = std::make_unique<WindowedReader>(data_);
    if (index_.IsOpen()) indexReader_ = std::make_unique<WindowedReader>(index_);
    return "";
}

void cMUL::cClose() {
    indexReader_.reset();
    dataReader_.reset();
    index_.Close();
    data_.Close();
    constantIndex_ = -1;
    nbrOfBlocks_ = 0;
}

std::int32_t cMUL::cCount() const { return data_.IsOpen() ? nbrOfBlocks_ : 0; }

cMUL::Entry cMUL::ReadEntry(std::int32_t n) {
    Entry e;
    if (constantIndex_ >= 1) {
        e.offset = static_cast<std::int32_t>(static_cast<std::int64_t>(n) * constantIndex_);
        e.length = constantIndex_;
        e.flagA = e.flagB = -1;
        return e;
    }
    // An entry beyond the end of the index reads as zeros: an absent block.
    std::array<std::uint8_t, kEntrySize> raw{};
    if (!indexReader_ || n < 0 || !indexReader_->ReadAt(static_cast<std::int64_t>(n) * kEntrySize, raw)) return e;
    e.offset = static_cast<std::int32_t>(GetLE32(&raw[0]));
    e.length = static_cast<std::int32_t>(GetLE32(&raw[4]));
    e.flagA = static_cast<std::int16_t>(GetLE16(&raw[8]));
    e.flagB = static_cast<std::int16_t>(GetLE16(&raw[10]));
    return e;
}

std::int32_t cMUL::cLoad(std::int32_t indexNumber, Bytes& bytes, std::int16_t& flagA, std::int16_t& flagB) {
    if (!data_.IsOpen()) return 0;
    const Entry e = ReadEntry(indexNumber);
    flagA = e.flagA;
    flagB = e.flagB;
    if (e.length <= 0) return e.length;
    if (e.length > data_.Size()) return 0;
    const std::int64_t offset = constantIndex_ >= 1 ? static_cast<std::int64_t>(indexNumber) * constantIndex_ : e.offset;
    Bytes block(static_cast<std::size_t>(e.length));
    if (!dataReader_->ReadAt(offset, block)) return 0;
    bytes = std::move(block);
    return e.length;
}

std::string cMUL::cSave(std::int32_t indexNumber, const Bytes& bytes, std::int16_t flagA, std::int16_t flagB,
                        bool isEmpty) {
    if (!data_.IsOpen()) return "No data file is open.";
    if (indexNumber < 0) return "Illegal block number.";
    const auto size = static_cast<std::int32_t>(bytes.size());
    if (constantIndex_ >= 1 && !isEmpty && size > constantIndex_)
        return "A block of " + std::to_string(size) + " bytes does not fit the fixed block size of " +
               std::to_string(constantIndex_) + " bytes.";
    Entry e = ReadEntry(indexNumber);
    if (isEmpty) {
        e.offset = e.length = -1;
    } else {
        if (e.length < size) e.offset = static_cast<std::int32_t>(data_.Size());
        e.length = size;
    }
    e.flagA = flagA;
    e.flagB = flagB;

    const std::string failed = "Cannot write " + mulPath_ + ": ";
    if (constantIndex_ < 1) {
        const int fd = ::open(idxPath_.c_str(), O_WRONLY | O_CLOEXEC);
        std::array<std::uint8_t, kEntrySize> raw{};
        PutLE32(&raw[0], static_cast<std::uint32_t>(e.offset));
        PutLE32(&raw[4], static_cast<std::uint32_t>(e.length));
        PutLE16(&raw[8], static_cast<std::uint16_t>(e.flagA));
        PutLE16(&raw[10], static_cast<std::uint16_t>(e.flagB));
        const bool ok = fd >= 0 && WriteAllAt(fd, raw.data(), raw.size(), static_cast<std::int64_t>(indexNumber) * kEntrySize);
        const std::string why = std::strerror(errno);
        if (fd >= 0) ::close(fd);
        if (!ok) return "Cannot write " + idxPath_ + ": " + why + ".";
    }
    if (!isEmpty) {
        const int fd = ::open(mulPath_.c_str(), O_WRONLY | O_CLOEXEC);
        const bool ok = fd >= 0 && WriteAllAt(fd, bytes.data(), bytes.size(), e.offset);
        const std::string why = std::strerror(errno);
        if (fd >= 0) ::close(fd);
        if (!ok) return failed + why + ".";
    }
    // Reopen so that later loads see what was written.
    const std::string idx = idxPath_, mul = mulPath_;
    const std::int32_t ci = constantIndex_, count = nbrOfBlocks_;
    cClose();
    return cOpen(idx, mul, ci, count);
}
