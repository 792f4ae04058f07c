#include "gamefiles/forms/verdata.h"

#include <algorithm>
#include <array>
#include <vector>

#include "io/binary_io.h"
#include "patch/patch_file.h"
#include "io/read_budget.h"
#include "io/save_file.h"
#include "patch/settle_duplicates.h"

namespace {
VerdataEntry DecodeEntry(const std::uint8_t* p) {
    return {static_cast<std::int32_t>(GetLE32(p)),      static_cast<std::int32_t>(GetLE32(p + 4)),
            static_cast<std::int32_t>(GetLE32(p + 8)),  static_cast<std::int32_t>(GetLE32(p + 12)),
            static_cast<std::int16_t>(GetLE16(p + 16)), static_cast<std::int16_t>(GetLE16(p + 18))};
}

// Reads and checks the directory of an open verdata file: its entries as
// stored (20 bytes each), the least memory they take.
Result<Bytes> LoadDirectory(const InputFile& file, const std::string& path) {
    if (file.Size() == 0) return Bytes();
    const std::string bad = "'" + path + "' is not a verdata.mul (or damaged): ";
    const Error unreadable("Cannot read '" + path + "'.");
    if (file.Size() < 4) return Error(bad + "it is shorter than its 4-byte entry count.");
    std::array<std::uint8_t, 4> countBytes{};
    if (!file.Fills(0, countBytes)) return unreadable;
    // Another file given as a verdata mostly shows here: a first word of 0
    // with more behind it (a hues.mul), or a count beyond the file's size.
    const std::uint32_t count = GetLE32(countBytes.data());
    const std::string counts = "it counts " + std::to_string(count) + " entries";
    if (count == 0 && file.Size() > 4) return Error(bad + counts + " but holds " + std::to_string(file.Size()) + " bytes.");
    if (count > (file.Size() - 4) / kVerdataEntrySize)
        return Error(bad + counts + ", whose directory of " + std::to_string(4 + kVerdataEntrySize * std::int64_t{count}) +
                     " bytes is larger than its " + std::to_string(file.Size()) + " bytes.");

    Bytes directory(static_cast<std::size_t>(count * kVerdataEntrySize));
    if (!file.Fills(4, directory)) return unreadable;
    for (std::uint32_t i = 0; i < count; ++i) {
        const VerdataEntry e = DecodeEntry(&directory[static_cast<std::size_t>(i) * kVerdataEntrySize]);
        if (e.length > 0 && (e.position < 0 || static_cast<std::int64_t>(e.position) + e.length > file.Size()))
            return Error(bad + "entry " + std::to_string(i) + " (file ID " + std::to_string(e.fileId) + ", block " +
                         std::to_string(e.blockNumber) + ") has data beyond the end of the file.");
    }
    return directory;
}

bool Keeps(const ReadOptions& options, const VerdataEntry& e) {
    return e.fileId >= 0 && e.fileId <= 255 && options.Keeps(static_cast<std::uint8_t>(e.fileId), e.blockNumber);
}
}  // namespace

bool HoldsVerdataDirectory(const InputFile& file) {
    BufferedReader reader(file, 1 << 16);
    std::array<std::uint8_t, 4> countBytes{};
    if (!reader.Read(countBytes)) return false;
    const std::int64_t count = GetLE32(countBytes.data());
    const std::int64_t dataStart = 4 + kVerdataEntrySize * count;
    if (count == 0 ? file.Size() != 4 : dataStart > file.Size()) return false;
    std::array<std::uint8_t, kVerdataEntrySize> entry{};
    for (std::int64_t i = 0; i < count; ++i) {
        if (!reader.Read(entry)) return false;
        const std::uint32_t fileId = GetLE32(entry.data()), position = GetLE32(entry.data() + 8);
        const auto length = static_cast<std::int32_t>(GetLE32(entry.data() + 12));
        if (fileId > 255) return false;
        if (length > 0 && (position < dataStart || position + std::int64_t{length} > file.Size())) return false;
    }
    return true;
}

Result<std::vector<VerdataEntry>> ReadVerdataDirectory(const std::string& path) {
    InputFile file;
    if (Status opened = file.Open(path); !opened) return opened.error();
    const Result<Bytes> directory = LoadDirectory(file, path);
    if (!directory) return directory.error();
    std::vector<VerdataEntry> entries;
    entries.reserve(directory->size() / kVerdataEntrySize);
    for (std::size_t at = 0; at < directory->size(); at += kVerdataEntrySize)
        entries.push_back(DecodeEntry(&(*directory)[at]));
    return entries;
}

bool VerdataRecord::operator==(const VerdataRecord& other) const {
    const VerdataEntry &a = entry, &b = other.entry;
    return a.fileId == b.fileId && a.blockNumber == b.blockNumber && a.length == b.length && a.flagA == b.flagA &&
           a.flagB == b.flagB && bytes == other.bytes;
}

Result<std::vector<VerdataRecord>> ReadVerdataBelowZero(const std::string& path) {
    std::vector<VerdataRecord> records;
    if (path.empty() || !IsExistingFile(path)) return records;
    InputFile file;
    if (Status opened = file.Open(path); !opened) return opened.error();
    const Result<Bytes> directory = LoadDirectory(file, path);
    if (!directory) return directory.error();
    for (std::size_t at = 0; at < directory->size(); at += kVerdataEntrySize) {
        VerdataRecord r{DecodeEntry(&(*directory)[at]), {}};
        if (r.entry.blockNumber >= 0) continue;
        if (r.entry.length > 0) {
            r.bytes.resize(static_cast<std::size_t>(r.entry.length));
            if (!file.Fills(r.entry.position, r.bytes)) return Error("Cannot read '" + path + "'.");
        }
        records.push_back(std::move(r));
    }
    return records;
}

Status ReadVerdata(const std::string& path, Patch& patch, const ReadOptions& options) {
    InputFile file;
    if (Status opened = file.Open(path); !opened) return opened;
    const Result<Bytes> loaded = LoadDirectory(file, path);
    if (!loaded) return loaded.error();
    const Bytes& directory = *loaded;
    auto wanted = [&](const VerdataEntry& e) { return Keeps(options, e); };
    std::array<std::size_t, Patch::kFileIds> counts{};
    std::size_t dataBytes = 0;
    for (std::size_t at = 0; at < directory.size(); at += kVerdataEntrySize) {
        const VerdataEntry e = DecodeEntry(&directory[at]);
        if (!wanted(e)) continue;
        ++counts[static_cast<std::size_t>(e.fileId)];
        if (e.length > 0) dataBytes += static_cast<std::size_t>(e.length);
    }
    Patch staged;
    for (int f = 0; f < Patch::kFileIds; ++f)
        staged.Reserve(static_cast<std::uint8_t>(f), counts[static_cast<std::size_t>(f)]);
    ByteArena arena;
    arena.Expect(dataBytes);
    WindowedReader data(file);
    ReadBudget budget(path, file.Size());
    for (std::size_t at = 0; at < directory.size(); at += kVerdataEntrySize) {
        const VerdataEntry e = DecodeEntry(&directory[at]);
        if (!wanted(e)) continue;
        if (Status kept = budget.Take(e.length); !kept) return kept;
        BlockBytes bytes;
        if (e.length > 0) {
            ByteArena::Space space = arena.Allocate(static_cast<std::size_t>(e.length));
            if (!data.ReadAt(e.position, space.fill)) return Error("Cannot read '" + path + "'.");
            bytes = std::move(space.bytes);
        }
        staged.AppendWithLength(static_cast<std::uint8_t>(e.fileId), e.blockNumber, e.length, std::move(bytes),
                                e.flagA, e.flagB);
    }
    if (options.append) patch.AppendAll(std::move(staged));
    else patch = std::move(staged);
    return {};
}

namespace {
// Which blocks an export writes. Of one file ID and block number only the
// last copy is written: the base's blocks come first, then the patch's.
// Walking each file ID's blocks from the patch's last back to the base's
// first, a number seen before is an older copy. One bit per slot marks those
// written.
class ExportPlan {
public:
    // Reads the base verdata ("" for none) and marks the blocks written;
    // the base's entries below block 0 and `carried` follow as they are.
    static Result<ExportPlan> Make(const Patch& patch, const std::string& base, const std::vector<VerdataRecord>& carried = {}) {
        ExportPlan plan(patch);
        if (!base.empty()) {
            if (!IsExistingFile(base))
                return Error("Cannot find the origional verdata.mul. Check the settings.", ErrorCode::kBaseMissing);
            ReadOptions fromZero;
            fromZero.firstBlock = 0;
            if (Status read = ReadVerdata(base, plan.base_, fromZero); !read) return read.error();
            Result<std::vector<VerdataRecord>> below = ReadVerdataBelowZero(base);
            if (!below) return below.error();
            plan.carried_ = std::move(*below);
        }
        plan.carried_.insert(plan.carried_.end(), carried.begin(), carried.end());
        plan.MarkWritten();
        if (!plan.FitsTwoGigabytes()) return Error("The new verdata.mul would be larger than 2 GB.");
        return plan;
    }

    ExportPlan(ExportPlan&& other) noexcept
        : base_(std::move(other.base_)), sources_{&base_, other.sources_[1]}, written_(std::move(other.written_)),
          carried_(std::move(other.carried_)), count_(other.count_) {}

    std::int64_t Count() const { return count_ + std::ssize(carried_); }
    const std::vector<VerdataRecord>& Carried() const { return carried_; }

    // Calls fn(fileId, block) for each block written, in the file's order,
    // while it returns true.
    template <class Fn>
    bool ForEach(Fn&& fn) const {
        for (int f = 0; f < Patch::kFileIds; ++f)
            for (int s = 0; s < 2; ++s) {
                const BlockSlots& blocks = (*sources_[s])[static_cast<std::uint8_t>(f)].blocks;
                const std::vector<bool>& marks = written_[s][f];
                for (std::size_t i = 0; i < marks.size(); ++i)
                    if (marks[i] && !fn(f, blocks[i])) return false;
            }
        return true;
    }

private:
    explicit ExportPlan(const Patch& patch) : sources_{&base_, &patch} {}

    void MarkWritten() {
        SeenNumbers seen;
        for (int f = 0; f < Patch::kFileIds; ++f) {
            const auto id = static_cast<std::uint8_t>(f);
            std::int32_t low = INT32_MAX, high = INT32_MIN;
            std::size_t live = 0;
            for (const Patch* p : sources_)
                p->ForEachLive(id, [&](const PatchBlock& b) {
                    low = std::min(low, b.number);
                    high = std::max(high, b.number);
                    ++live;
                });
            if (live == 0) continue;
            seen.Reset(low, high, live);
            for (int s = 1; s >= 0; --s) {
                const BlockSlots& blocks = (*sources_[s])[id].blocks;
                std::vector<bool>& marks = written_[s][id];
                marks.assign(blocks.size(), false);
                for (std::size_t i = blocks.size(); i-- > 0;)
                    if (blocks[i].IsLive() && seen.Insert(blocks[i].number)) {
                        marks[i] = true;
                        ++count_;
                    }
            }
        }
    }

    // A verdata's positions are 32-bit.
    bool FitsTwoGigabytes() const {
        std::int64_t position = 4 + Count() * kVerdataEntrySize;
        const auto fits = [&](std::int32_t length) {
            if (length > 0 && position > INT32_MAX - length) return false;
            if (length > 0) position += length;
            return true;
        };
        return ForEach([&](int, const PatchBlock& b) { return fits(b.WrittenLength()); }) &&
               std::all_of(carried_.begin(), carried_.end(), [&](const VerdataRecord& r) { return fits(r.entry.length); });
    }

    Patch base_;
    std::array<const Patch*, 2> sources_;
    std::array<std::array<std::vector<bool>, Patch::kFileIds>, 2> written_;
    std::vector<VerdataRecord> carried_;
    std::int64_t count_ = 0;
};

// The entry count and the directory, each block's data placed behind it.
void WriteDirectory(SaveFile& out, const ExportPlan& plan) {
    std::array<std::uint8_t, 4> countBytes{};
    PutLE32(countBytes.data(), static_cast<std::uint32_t>(plan.Count()));
    out.Write(countBytes);
    std::int64_t position = 4 + plan.Count() * kVerdataEntrySize;
    const auto write = [&](const VerdataEntry& v) {
        std::array<std::uint8_t, kVerdataEntrySize> entry{};
        std::uint8_t* e = entry.data();
        PutLE32(e, static_cast<std::uint32_t>(v.fileId));
        PutLE32(e + 4, static_cast<std::uint32_t>(v.blockNumber));
        PutLE32(e + 8, static_cast<std::uint32_t>(v.length > 0 ? position : v.position));
        PutLE32(e + 12, static_cast<std::uint32_t>(v.length));
        PutLE16(e + 16, static_cast<std::uint16_t>(v.flagA));
        PutLE16(e + 18, static_cast<std::uint16_t>(v.flagB));
        out.Write(entry);
        if (v.length > 0) position += v.length;
    };
    plan.ForEach([&](int f, const PatchBlock& b) {
        write({f, b.number, -1, b.WrittenLength(), b.flagA, b.flagB});
        return true;
    });
    for (const VerdataRecord& r : plan.Carried()) write(r.entry);
}

// The blocks' data in the directory's order; false when `progress` stopped it.
bool WriteData(SaveFile& out, const ExportPlan& plan, const Progress& progress) {
    std::int64_t done = 0;
    if (!plan.ForEach([&](int, const PatchBlock& b) {
            if (!progress.Step(done++, plan.Count())) return false;
            out.WriteKept(b.bytes);
            return true;
        }))
        return false;
    for (const VerdataRecord& r : plan.Carried()) out.WriteKept(r.bytes);
    return true;
}
}  // namespace

Status WriteVerdata(SaveFile& out, const std::string& path, const Patch& patch, const std::string& base,
                    const Progress& progress, const std::vector<VerdataRecord>& carried) {
    if (Status other = RefuseOverwriting(path, base, "the base verdata"); !other) return other;
    const Result<ExportPlan> plan = ExportPlan::Make(patch, base, carried);
    if (!plan) return plan.error();
    if (Status opened = out.Open(path); !opened) return opened;
    WriteDirectory(out, *plan);
    // A stop leaves the unfinished temporary file to `out`; the target is untouched.
    if (!WriteData(out, *plan, progress)) return Cancelled();
    return out.Finish();
}

Status WriteVerdata(const std::string& path, const Patch& patch, const std::string& base, const Progress& progress) {
    SaveFile out;
    if (Status written = WriteVerdata(out, path, patch, base, progress); !written) return written;
    return out.Commit();
}

Result<Patch> ExpectedVerdata(const Patch& patch, const std::string& base) {
    const Result<ExportPlan> plan = ExportPlan::Make(patch, base);
    if (!plan) return plan.error();
    Patch blocks;
    plan->ForEach([&](int f, const PatchBlock& b) {
        const std::int32_t length = b.WrittenLength();
        blocks.AppendWithLength(static_cast<std::uint8_t>(f), b.number, length, length > 0 ? b.bytes : BlockBytes{},
                                b.flagA, b.flagB);
        return true;
    });
    for (const VerdataRecord& r : plan->Carried())
        if (r.entry.fileId >= 0 && r.entry.fileId < Patch::kFileIds)
            blocks.AppendWithLength(static_cast<std::uint8_t>(r.entry.fileId), r.entry.blockNumber, r.entry.length,
                                    BlockBytes::CopyOf(r.bytes), r.entry.flagA, r.entry.flagB);
    return blocks;
}
