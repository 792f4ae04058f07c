#include "patch/patch_file.h"

#include <algorithm>
#include <array>
#include <climits>
#include <vector>

#include "io/binary_io.h"
#include "io/save_file.h"

namespace {
constexpr std::size_t kHeaderSize = 12;
constexpr std::size_t kRecordSize = 13;
constexpr std::uint8_t kVersion = 4;
constexpr std::array<std::uint8_t, 3> kMagic = {'U', 'O', 'P'};
// The header's first count covers the file IDs up to this one, its second the rest.
constexpr int kLastLowFileId = 250;

void WriteRecord(SaveFile& out, std::uint8_t fileId, const PatchBlock& b) {
    const std::int32_t length = b.WrittenLength();
    std::array<std::uint8_t, kRecordSize> rec{};
    rec[0] = fileId;
    PutLE32(&rec[1], static_cast<std::uint32_t>(b.number));
    PutLE32(&rec[5], static_cast<std::uint32_t>(length));
    PutLE16(&rec[9], static_cast<std::uint16_t>(b.flagA));
    PutLE16(&rec[11], static_cast<std::uint16_t>(b.flagB));
    out.Write(rec);
    if (length > 0) out.Write(b.bytes);
}

// How many records were whole, and where the last of them ended.
struct WholeRecords {
    std::int64_t count = 0, end = 0;
};

// Reads records from the reader's position until the end of the file or the
// first one that does not fit in it, appending them to `into` when given.
WholeRecords ReadWholeRecords(BufferedReader& in, Patch* into) {
    WholeRecords whole{0, in.Position()};
    std::array<std::uint8_t, kRecordSize> rec{};
    ByteArena arena;
    while (in.Read(rec)) {
        const auto length = static_cast<std::int32_t>(GetLE32(&rec[5]));
        BlockBytes data;
        if (length > in.Remaining() || static_cast<std::int32_t>(GetLE32(&rec[1])) < 0) break;
        if (length > 0 && into) {
            ByteArena::Space space = arena.Allocate(static_cast<std::size_t>(length));
            if (!in.Read(space.fill)) break;
            data = std::move(space.bytes);
        } else if (length > 0 && !in.Skip(length)) {
            break;
        }
        if (into)
            into->AppendWithLength(rec[0], static_cast<std::int32_t>(GetLE32(&rec[1])), length, std::move(data),
                                   static_cast<std::int16_t>(GetLE16(&rec[9])), static_cast<std::int16_t>(GetLE16(&rec[11])));
        ++whole.count;
        whole.end = in.Position();
    }
    return whole;
}

using DataOffsets = std::array<std::vector<std::int64_t>, Patch::kFileIds>;
Status ReadRecords(const InputFile& file, Patch& patch, const ReadOptions& options, bool withData,
                   DataOffsets* offsets = nullptr);
Status ReadRecords(const std::string& path, Patch& patch, const ReadOptions& options, bool withData) {
    InputFile file;
    if (Status opened = file.Open(path); !opened) return opened;
    return ReadRecords(file, patch, options, withData);
}
}  // namespace

Status WritePatchFile(const std::string& path, const Patch& patch) {
    SaveFile out;
    if (Status written = WritePatchFile(out, path, patch); !written) return written;
    return out.Commit();
}

Status WritePatchFile(SaveFile& out, const std::string& path, const Patch& patch) {
    std::uint32_t low = 0, high = 0;
    for (int f = 0; f < Patch::kFileIds; ++f)
        (f <= kLastLowFileId ? low : high) += static_cast<std::uint32_t>(patch[static_cast<std::uint8_t>(f)].LiveCount());

    if (Status opened = out.Open(path); !opened) return opened;
    std::array<std::uint8_t, kHeaderSize> header{kMagic[0], kMagic[1], kMagic[2], kVersion};
    PutLE32(&header[4], low);
    PutLE32(&header[8], high);
    out.Write(header);
    for (int f = 0; f < Patch::kFileIds; ++f)
        patch.ForEachLive(static_cast<std::uint8_t>(f),
                          [&](const PatchBlock& b) { WriteRecord(out, static_cast<std::uint8_t>(f), b); });
    return out.Finish();
}

Status ReadPatchFile(const std::string& path, Patch& patch, const ReadOptions& options) {
    return ReadRecords(path, patch, options, true);
}

bool StartsLikePatchFile(ByteView first) {
    return first.size() >= kMagic.size() && std::equal(kMagic.begin(), kMagic.end(), first.begin());
}

Status ReadPatchHeaders(const std::string& path, Patch& patch) { return ReadRecords(path, patch, {}, false); }

namespace {
// The record count the header declares, once it is checked against the file.
Result<std::int64_t> ReadHeader(BufferedReader& in, const InputFile& file, const std::string& notPatch) {
    std::array<std::uint8_t, kHeaderSize> header{};
    if (!in.Read(header)) return Error(notPatch + "it is shorter than the 12-byte header.");
    if (!StartsLikePatchFile(header)) return Error(notPatch + "it does not start with \"UOP\".");
    if (header[3] != kVersion)
        return Error(notPatch + "its format version is " + std::to_string(header[3]) + ", not 4.");
    const auto low = static_cast<std::int32_t>(GetLE32(&header[4]));
    const auto high = static_cast<std::int32_t>(GetLE32(&header[8]));
    if (low < 0 || high < 0) return Error(notPatch + "its block counts are negative.");
    const std::int64_t records = static_cast<std::int64_t>(low) + high;
    // Every record takes at least 13 bytes: refuse impossible counts before allocating.
    if (records > in.Remaining() / static_cast<std::int64_t>(kRecordSize))
        return Error(notPatch + "it claims " + std::to_string(records) + " blocks, more than its " +
                     std::to_string(file.Size()) + " bytes can hold.");
    return records;
}

// What every record of one file is read with.
struct RecordRead {
    const std::string& path;
    const std::string& notPatch;
    const ReadOptions& options;
    bool withData;
    std::int64_t records;
    DataOffsets* offsets;  // where to note each record's data offset, if anywhere
};

// Record `r`: its fields checked, its data read when kept and wanted, else skipped.
Status ReadRecord(BufferedReader& in, const RecordRead& how, std::int64_t r, ByteArena& arena, Patch& staged) {
    const std::int64_t at = in.Position();
    std::array<std::uint8_t, kRecordSize> rec{};
    // Made only for a message: a large patch has millions of records.
    const auto where = [&] { return how.notPatch + "block " + std::to_string(r) + " at offset " + std::to_string(at); };
    if (!in.Read(rec)) return Error(where() + " runs past the end of the file.");
    const std::uint8_t fileId = rec[0];
    const auto blockNumber = static_cast<std::int32_t>(GetLE32(&rec[1]));
    const auto length = static_cast<std::int32_t>(GetLE32(&rec[5]));
    // No writer stores a negative number; it would mark the block removed.
    if (blockNumber < 0) return Error(where() + " has the negative block number " + std::to_string(blockNumber) + ".");
    // Every length <= 0 is a block without data and is kept as stored.
    if (length > in.Remaining())
        return Error(where() + " claims " + std::to_string(length) + " bytes, but only " +
                     std::to_string(in.Remaining()) + " remain.");
    const bool inRange = how.options.Keeps(fileId, blockNumber);
    BlockBytes data;
    if (inRange && length > 0 && how.withData) {
        ByteArena::Space space = arena.Allocate(static_cast<std::size_t>(length));
        if (!in.Read(space.fill)) return Error("Cannot read '" + how.path + "'.");
        data = std::move(space.bytes);
    } else if (length > 0 && !in.Skip(length)) {
        return Error("Cannot read '" + how.path + "'.");
    }
    // Most patches hold one file ID: room for every record the (checked)
    // header counts goes to the first one; pages never filled cost nothing.
    if (r == 0) staged.Reserve(fileId, static_cast<std::size_t>(how.records));
    if (how.offsets) {
        std::vector<std::int64_t>& offsets = (*how.offsets)[fileId];
        if (r == 0) offsets.reserve(static_cast<std::size_t>(how.records));
        offsets.push_back(at + static_cast<std::int64_t>(kRecordSize));
    }
    // Records outside the ranges stay as removed slots; their data is never read again.
    staged.AppendWithLength(fileId, inRange ? blockNumber : -1, length, std::move(data),
                            static_cast<std::int16_t>(GetLE16(&rec[9])), static_cast<std::int16_t>(GetLE16(&rec[11])));
    return {};
}

Status ReadRecords(const InputFile& file, Patch& patch, const ReadOptions& options, bool withData,
                   DataOffsets* offsets) {
    const std::string& path = file.Path();
    const std::string notPatch = "'" + path + "' is not a patch project file: ";
    BufferedReader in(file);
    const Result<std::int64_t> counted = ReadHeader(in, file, notPatch);
    if (!counted) return counted.error();
    const std::int64_t records = *counted;

    // Read into a patch of its own, so that a refused file changes nothing.
    Patch staged;
    ByteArena arena;
    if (withData)
        arena.Expect(static_cast<std::size_t>(in.Remaining() - records * static_cast<std::int64_t>(kRecordSize)));
    const RecordRead how{path, notPatch, options, withData, records, offsets};
    for (std::int64_t r = 0; r < records; ++r)
        if (Status read = ReadRecord(in, how, r, arena, staged); !read) return read;

    if (in.Remaining() > 0) {
        const WholeRecords more = ReadWholeRecords(in, nullptr);
        return Error("'" + path + "' holds more than its header counts: the header counts " + std::to_string(records) +
                     " blocks, but " + std::to_string(more.count) + " more blocks and " +
                     std::to_string(file.Size() - more.end) +
                     " further bytes follow them. It is not opened, so that saving it cannot lose them.");
    }

    if (options.append) patch.AppendAll(std::move(staged));
    else patch = std::move(staged);
    return {};
}

// Opens the file and reads its header: the records it declares, or why it is
// no patch project file.
Result<std::int64_t> OpenPatch(const std::string& path, InputFile& file) {
    if (Status opened = file.Open(path); !opened) return opened.error();
    std::array<std::uint8_t, kHeaderSize> header{};
    if (!file.Fills(0, header) || !StartsLikePatchFile(header) || header[3] != kVersion)
        return Error("'" + path + "' is not a patch project file of version 4.");
    return static_cast<std::int64_t>(GetLE32(&header[4])) + GetLE32(&header[8]);
}
}  // namespace

Status PatchFileData::Open(const std::string& path, Patch& patch) {
    if (Status opened = file_.Open(path); !opened) return opened;
    DataOffsets offsets;
    if (Status read = ReadRecords(file_, patch, {}, false, &offsets); !read) return read;
    offsets_ = std::move(offsets);
    return {};
}

Status PatchFileData::Reader::ReadOutsideWindow(std::uint8_t fileId, std::size_t slot, std::int32_t length,
                                                ByteView& bytes) {
    const std::vector<std::int64_t>& offsets = data_.offsets_[fileId];
    if (slot >= offsets.size()) return Error("'" + data_.file_.Path() + "' holds no such block.");
    large_.resize(static_cast<std::size_t>(length));
    if (!data_.file_.Fills(offsets[slot], large_)) return ChangedWhileRead(data_.file_.Path());
    bytes = large_;
    return {};
}

Status PatchFileData::Reader::Intact() const {
    return window_.Intact() ? Status() : ChangedWhileRead(data_.file_.Path());
}

std::int64_t RecoverableRecords(const std::string& path) {
    InputFile file;
    const Result<std::int64_t> declared = OpenPatch(path, file);
    if (!declared) return 0;
    BufferedReader in(file);
    in.Skip(kHeaderSize);
    const WholeRecords whole = ReadWholeRecords(in, nullptr);
    return whole.count == *declared && whole.end == file.Size() ? 0 : whole.count;
}

Result<Recovery> RecoverPatchFile(const std::string& path) {
    InputFile file;
    const Result<std::int64_t> declared = OpenPatch(path, file);
    if (!declared) return declared.error();
    Recovery r;
    r.declared = *declared;
    BufferedReader in(file);
    in.Skip(kHeaderSize);
    const WholeRecords whole = ReadWholeRecords(in, &r.patch);
    r.recovered = whole.count;
    r.unreadBytes = file.Size() - whole.end;
    return r;
}
