#include "gamefiles/forms/data_file.h"

#include <algorithm>
#include <array>

#include "codecs/notes.h"
#include "gamefiles/forms/data_layout.h"
#include "patch/file_types.h"

namespace {
// Windows of a quarter MB: large reads, and copies out of them that stay
// in the processor's cache. Runs of slots (ViewRun) take up to half.
constexpr std::size_t kIndexedWindow = std::size_t{1} << 18, kSlotWindow = std::size_t{1} << 18;

// Every entry that begins inside the index counts; a cut-off last one is damaged.
std::int32_t EntryCount(std::int64_t indexBytes) {
    return static_cast<std::int32_t>(std::min<std::int64_t>((indexBytes + kIndexEntrySize - 1) / kIndexEntrySize, INT32_MAX));
}
}  // namespace

IndexEntryBytes EncodeIndexEntry(const IndexEntry& entry) {
    IndexEntryBytes e{};
    PutLE32(&e[0], static_cast<std::uint32_t>(entry.offset));
    PutLE32(&e[4], static_cast<std::uint32_t>(entry.length));
    PutLE16(&e[8], static_cast<std::uint16_t>(entry.flagA));
    PutLE16(&e[10], static_cast<std::uint16_t>(entry.flagB));
    return e;
}

IndexEntry DecodeIndexEntry(const IndexEntryBytes& e) {
    return {static_cast<std::int32_t>(GetLE32(&e[0])), static_cast<std::int32_t>(GetLE32(&e[4])),
            static_cast<std::int16_t>(GetLE16(&e[8])), static_cast<std::int16_t>(GetLE16(&e[10]))};
}

DataFile::DataFile() = default;
DataFile::~DataFile() = default;

Status DataFile::OpenFiles(const std::string& dataPath, const std::string& indexPath, bool indexed, std::size_t window) {
    const Error unable("Unable to open " + indexPath + " and " + dataPath + ".");
    if (data_.IsOpen()) return Error(indexPath + " and " + dataPath + " is allready opened.");
    // A Git LFS pointer is named as what it is; any other failure as the pair.
    if (Status opened = data_.Open(dataPath); !opened)
        return opened.error().code == ErrorCode::kNotFetched ? opened : unable;
    if (Status opened = indexed ? index_.Open(indexPath) : Status(); !opened) {
        data_.Close();
        return opened.error().code == ErrorCode::kNotFetched ? opened : unable;
    }
    dataPath_ = dataPath;
    indexed_ = indexed;
    dataReader_ = std::make_unique<WindowedReader>(data_, window);
    if (indexed) indexReader_ = std::make_unique<WindowedReader>(index_);
    return {};
}

Status DataFile::Open(const std::string& dataPath, const std::string& indexPath) {
    if (Status opened = OpenFiles(dataPath, indexPath, true, kIndexedWindow); !opened) return opened;
    count_ = EntryCount(index_.Size());
    return {};
}

Status DataFile::OpenCut(const std::string& dataPath, BlockCut cut) {
    if (cut.lowCount < 0 || cut.lowSize < 1 || cut.highSize < 1) return Error("Illegal block size.");
    if (Status opened = OpenFiles(dataPath, "", false, kSlotWindow); !opened) return opened;
    cut_ = cut;
    const std::int64_t size = data_.Size();
    const std::int64_t lowBytes = static_cast<std::int64_t>(cut.lowCount) * cut.lowSize;
    const std::int64_t count = size <= lowBytes ? (size + cut.lowSize - 1) / cut.lowSize
                                                : cut.lowCount + (size - lowBytes + cut.highSize - 1) / cut.highSize;
    // Block numbers end at 2^31 - 1.
    count_ = std::min<std::int64_t>(count, std::int64_t{INT32_MAX} + 1);
    return {};
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
        e.length = cut_.SizeOf(n);
        e.offset = cut_.OffsetOf(n);
        e.flagA = e.flagB = kNoIndexFlags;
        return e;
    }
    // An entry beyond the end of the index reads as zeros: an absent block.
    IndexEntryBytes raw{};
    if (!indexReader_ || n < 0 || !indexReader_->ReadAt(static_cast<std::int64_t>(n) * kIndexEntrySize, raw)) return e;
    const IndexEntry read = DecodeIndexEntry(raw);
    e.offset = read.offset;
    e.length = read.length;
    e.flagA = read.flagA;
    e.flagB = read.flagB;
    return e;
}

Result<DataFile::Located> DataFile::Locate(std::int32_t n) {
    Located at;
    if (!data_.IsOpen() || n < 0) return at;
    const Entry e = ReadEntry(n);
    at.entry.flagA = e.flagA;
    at.entry.flagB = e.flagB;
    if (!indexed_ && n >= count_) return at;
    if (indexed_ && n < count_ && (std::int64_t{n} + 1) * kIndexEntrySize > index_.Size()) return Error(kNotInsideDataFile);
    at.entry.length = e.length;
    if (e.length <= 0) return at;
    // An indexed block must lie wholly inside the data file; the last block
    // of a file without index may be partly present and reads padded.
    if (indexed_ && (e.offset < 0 || e.offset + e.length > data_.Size())) return Error(kNotInsideDataFile);
    at.offset = e.offset;
    return at;
}

Result<LoadedBlock> DataFile::ReadInto(const Located& at, ByteArena::Space space) {
    LoadedBlock block{at.entry.length, at.entry.flagA, at.entry.flagB, {}};
    if (!at.offset) return block;
    if (!dataReader_->ReadAt(*at.offset, space.fill)) return Error(kNotInsideDataFile);
    block.bytes = std::move(space.bytes);
    return block;
}

Result<LoadedBlock> DataFile::Load(std::int32_t n, ByteArena& arena) {
    const Result<Located> at = Locate(n);
    if (!at) return at.error();
    return ReadInto(*at, at->offset ? arena.Allocate(static_cast<std::size_t>(at->entry.length)) : ByteArena::Space{});
}

Result<LoadedBlock> DataFile::Load(std::int32_t n) {
    const Result<Located> at = Locate(n);
    if (!at) return at.error();
    return ReadInto(*at, at->offset ? ByteArena::Own(static_cast<std::size_t>(at->entry.length)) : ByteArena::Space{});
}

Result<ViewedBlock> DataFile::View(std::int32_t n, ByteArena& spare) {
    const Result<Located> at = Locate(n);
    if (!at) return at.error();
    ViewedBlock block{at->entry, {}, {}};
    if (!at->offset) return block;
    if (const auto view = dataReader_->View(*at->offset, static_cast<std::size_t>(at->entry.length))) {
        block.bytes = *view;
        return block;
    }
    Result<LoadedBlock> read = ReadInto(*at, spare.Allocate(static_cast<std::size_t>(at->entry.length)));
    if (!read) return read.error();
    block.held = std::move(read->bytes);
    block.bytes = block.held;
    return block;
}

bool DataFile::Intact() const {
    return (!dataReader_ || dataReader_->Intact()) && (!indexReader_ || indexReader_->Intact());
}

std::optional<ByteView> DataFile::ViewRun(std::int32_t first, std::int32_t count) {
    if (indexed_ || !data_.IsOpen() || first < 0 || count < 1 || std::int64_t{first} + count > count_)
        return std::nullopt;
    const Entry a = ReadEntry(first), b = ReadEntry(first + count - 1);
    return dataReader_->View(a.offset, static_cast<std::size_t>(b.offset + b.length - a.offset));
}

Status DataFileSource::Open(std::uint8_t fileId, const std::string& dataPath, const std::string& indexPath) {
    fileId_ = fileId;
    highest_ = -1;
    file_.Close();
    if (FileTypes()[fileId].fixedBlockSize <= 0 && indexPath.empty())
        return Error(FileTypes()[fileId].name + " files need their index file.");
    if (Status opened = OpenDataFile(file_, fileId, dataPath, indexPath); !opened) return opened;
    budget_ = ReadBudget(dataPath);
    highest_ = static_cast<std::int32_t>(std::min<std::int64_t>(file_.Count(), INT32_MAX) - 1);
    return {};
}

Result<SourceBlock> DataFileSource::Load(std::int32_t n) {
    Result<SourceBlock> block = file_.Load(n, arena_);
    if (block && fileId_ == kHues && block->length > 0) {
        block->bytes = HueBlockOfGroup(block->bytes);
        block->length = static_cast<std::int32_t>(block->bytes.size());
    }
    return block;
}

void DataFileSource::Show(std::int32_t n, ShownBlock& block) {
    block = {};
    // Only a block read outside the window holds bytes of its own.
    if (!held_.empty()) {
        held_ = {};
        spare_.Reuse();
    }
    Result<ViewedBlock> viewed = file_.View(n, spare_);
    if (!viewed) {
        block.damaged = true;
        return;
    }
    held_ = std::move(viewed->held);
    block.flagA = viewed->flagA;
    block.flagB = viewed->flagB;
    if (viewed->length > 0) block.bytes = viewed->bytes;
    if (!file_.Indexed() && n >= 0 && n < file_.Count()) {
        // The reader pads a slot the file ends inside; the client has only what is there.
        block.slotSize = file_.Cut().SizeOf(n);
        const std::int64_t present = file_.DataFileSize() - file_.Cut().OffsetOf(n);
        block.bytes = block.bytes.first(static_cast<std::size_t>(std::min<std::int64_t>(present, block.slotSize)));
    }
    // A whole group shows as a hue block; one the file ends inside as the part present.
    if (fileId_ == kHues && block.bytes.size() >= static_cast<std::size_t>(block.slotSize) && block.HasData()) {
        hue_ = HueBlockOfGroup(block.bytes);
        block.bytes = hue_;
    }
}

std::optional<ByteView> DataFileSource::ShowRun(std::int32_t first, std::int32_t count) {
    // Hue groups are shown converted, one at a time.
    if (fileId_ == kHues) return std::nullopt;
    return file_.ViewRun(first, count);
}

Status DataFileSource::Reserve(std::int32_t, std::int32_t) {
    arena_.Expect(static_cast<std::size_t>(file_.DataFileSize()));
    return {};
}

Status DataFileSource::Intact() const { return file_.Intact() ? Status() : ChangedWhileRead(file_.DataPath()); }

std::string DataFileSource::SizeRemark() const {
    if (file_.Indexed()) return "";
    const FileTypeEntry& type = FileTypes()[fileId_];
    const std::int64_t blocks = std::int64_t{highest_} + 1, usual = std::int64_t{type.highestBlock} + 1;
    if (blocks <= usual) return "";
    return "'" + file_.DataPath() + "' holds " + Grouped(blocks) + " blocks; a " + type.name + " file usually holds " +
           Grouped(usual) + ": is this the right file?";
}
