#include "gamefiles/data_file.h"

#include <algorithm>
#include <array>

namespace {
constexpr std::int64_t kEntrySize = 12;

// A count of whole entries, an exact half rounded to the even neighbour.
// Every entry that begins inside the index counts; a cut-off last one is damaged.
std::int32_t EntryCount(std::int64_t indexBytes) {
    return static_cast<std::int32_t>(std::min<std::int64_t>((indexBytes + kEntrySize - 1) / kEntrySize, INT32_MAX));
}
}  // namespace

DataFile::DataFile() = default;
DataFile::~DataFile() = default;

std::string DataFile::OpenFiles(const std::string& idxFilename, const std::string& mulFilename, bool indexed) {
    const std::string unable = "Unable to open " + idxFilename + " and " + mulFilename + ".";
    if (data_.IsOpen()) return idxFilename + " and " + mulFilename + " is allready opened.";
    if (std::string e = data_.Open(mulFilename); !e.empty()) return data_.IsLfsPointer() ? e : unable;
    if (std::string e = indexed ? index_.Open(idxFilename) : ""; !e.empty()) {
        data_.Close();
        return index_.IsLfsPointer() ? e : unable;
    }
    idxPath_ = idxFilename;
    mulPath_ = mulFilename;
    indexed_ = indexed;
    dataReader_ = std::make_unique<WindowedReader>(data_);
    if (indexed) indexReader_ = std::make_unique<WindowedReader>(index_);
    return "";
}

std::string DataFile::Open(const std::string& idxFilename, const std::string& mulFilename, std::int32_t constantIndex) {
    if (constantIndex > 0) return OpenCut(mulFilename, {0, constantIndex, constantIndex});
    if (std::string err = OpenFiles(idxFilename, mulFilename, true); !err.empty()) return err;
    count_ = EntryCount(index_.Size());
    return "";
}

std::string DataFile::OpenCut(const std::string& mulFilename, BlockCut cut) {
    if (cut.lowCount < 0 || cut.lowSize < 1 || cut.highSize < 1) return "Illegal block size.";
    if (std::string err = OpenFiles("", mulFilename, false); !err.empty()) return err;
    cut_ = cut;
    const std::int64_t size = data_.Size();
    const std::int64_t lowBytes = static_cast<std::int64_t>(cut.lowCount) * cut.lowSize;
    const std::int64_t count = size <= lowBytes ? (size + cut.lowSize - 1) / cut.lowSize
                                                : cut.lowCount + (size - lowBytes + cut.highSize - 1) / cut.highSize;
    // Block numbers end at 2^31 - 1.
    count_ = std::min<std::int64_t>(count, std::int64_t{INT32_MAX} + 1);
    return "";
}

void DataFile::Close() {
    indexReader_.reset();
    dataReader_.reset();
    index_.Close();
    data_.Close();
    count_ = 0;
}

std::int64_t DataFile::Count() const { return data_.IsOpen() ? count_ : 0; }

DataFile::Entry DataFile::ReadEntry(std::int32_t n) {
    Entry e;
    if (!indexed_) {
        const bool low = n < cut_.lowCount;
        e.length = low ? cut_.lowSize : cut_.highSize;
        e.offset = low ? static_cast<std::int64_t>(n) * cut_.lowSize
                       : static_cast<std::int64_t>(cut_.lowCount) * cut_.lowSize +
                             static_cast<std::int64_t>(n - cut_.lowCount) * cut_.highSize;
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

bool DataFile::Locate(std::int32_t indexNumber, LoadedBlock& block, std::int64_t& offset) {
    if (!data_.IsOpen() || indexNumber < 0) return false;
    const Entry e = ReadEntry(indexNumber);
    block.flagA = e.flagA;
    block.flagB = e.flagB;
    if (!indexed_ && indexNumber >= count_) return false;
    if (indexed_ && indexNumber < count_ && (std::int64_t{indexNumber} + 1) * kEntrySize > index_.Size()) {
        block.damaged = true;
        return false;
    }
    block.length = e.length;
    if (e.length <= 0) return false;
    // An indexed block must lie wholly inside the data file; the last block
    // of a file without index may be partly present and reads padded.
    if (indexed_ && (e.offset < 0 || e.offset + e.length > data_.Size())) {
        block.damaged = true;
        return false;
    }
    offset = e.offset;
    return true;
}

LoadedBlock DataFile::Load(std::int32_t indexNumber) {
    LoadedBlock block;
    std::int64_t offset = 0;
    if (!Locate(indexNumber, block, offset)) return block;
    Bytes bytes(static_cast<std::size_t>(block.length));
    if (!dataReader_->ReadAt(offset, bytes)) {
        block.damaged = true;
        return block;
    }
    block.bytes = std::move(bytes);
    return block;
}

LoadedBlock DataFile::Load(std::int32_t indexNumber, ByteArena& arena, BlockBytes& data) {
    LoadedBlock block;
    std::int64_t offset = 0;
    data = {};
    if (Locate(indexNumber, block, offset)) ReadInto(block, offset, arena, data);
    return block;
}

LoadedBlock DataFile::View(std::int32_t indexNumber, ByteArena& spare, BlockBytes& hold, ByteView& data) {
    LoadedBlock block;
    std::int64_t offset = 0;
    data = {};
    hold = {};
    if (!Locate(indexNumber, block, offset)) return block;
    if (const auto view = dataReader_->View(offset, static_cast<std::size_t>(block.length))) data = *view;
    else if (ReadInto(block, offset, spare, hold)) data = hold;
    return block;
}

bool DataFile::ReadInto(LoadedBlock& block, std::int64_t offset, ByteArena& arena, BlockBytes& data) {
    ByteArena::Space space = arena.Allocate(static_cast<std::size_t>(block.length));
    if (!dataReader_->ReadAt(offset, space.fill)) {
        block.damaged = true;
        return false;
    }
    data = std::move(space.bytes);
    return true;
}

std::optional<ByteView> DataFile::ViewRun(std::int32_t first, std::int32_t count) {
    if (indexed_ || !data_.IsOpen() || first < 0 || count < 1 || std::int64_t{first} + count > count_)
        return std::nullopt;
    const Entry a = ReadEntry(first), b = ReadEntry(first + count - 1);
    return dataReader_->View(a.offset, static_cast<std::size_t>(b.offset + b.length - a.offset));
}
