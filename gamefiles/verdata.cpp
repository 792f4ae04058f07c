#include "gamefiles/verdata.h"

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

// Reads and checks the directory of an open verdata file; `directory` holds
// its entries as stored (20 bytes each), the least memory they take.
std::string LoadDirectory(const InputFile& file, const std::string& filename, std::vector<std::uint8_t>& directory) {
    directory.clear();
    if (file.Size() == 0) return "";
    const std::string bad = "'" + filename + "' is not a verdata.mul (or damaged): ";
    if (file.Size() < 4) return bad + "it is shorter than its 4-byte entry count.";
    std::array<std::uint8_t, 4> countBytes{};
    if (file.ReadAt(0, countBytes) != 4) return "Cannot read '" + filename + "'.";
    // Another file given as a verdata mostly shows here: a first word of 0
    // with more behind it (a hues.mul), or a count beyond the file's size.
    const std::uint32_t count = GetLE32(countBytes.data());
    const std::string counts = "it counts " + std::to_string(count) + " entries";
    if (count == 0 && file.Size() > 4)
        return bad + counts + " but holds " + std::to_string(file.Size()) + " bytes.";
    if (count > (file.Size() - 4) / kVerdataEntrySize)
        return bad + counts + ", whose directory of " + std::to_string(4 + kVerdataEntrySize * std::int64_t{count}) +
               " bytes is larger than its " + std::to_string(file.Size()) + " bytes.";

    directory.resize(static_cast<std::size_t>(count * kVerdataEntrySize));
    if (file.ReadAt(4, directory) != static_cast<std::int64_t>(directory.size())) return "Cannot read '" + filename + "'.";
    for (std::uint32_t i = 0; i < count; ++i) {
        const VerdataEntry e = DecodeEntry(&directory[static_cast<std::size_t>(i) * kVerdataEntrySize]);
        if (e.length > 0 && (e.position < 0 || static_cast<std::int64_t>(e.position) + e.length > file.Size()))
            return bad + "entry " + std::to_string(i) + " (file ID " + std::to_string(e.fileId) + ", block " +
                   std::to_string(e.blockNumber) + ") has data beyond the end of the file.";
    }
    return "";
}

}  // namespace

std::string ReadVerdataDirectory(const std::string& filename, std::vector<VerdataEntry>& entries) {
    InputFile file;
    if (std::string err = file.Open(filename); !err.empty()) return err;
    std::vector<std::uint8_t> directory;
    if (std::string err = LoadDirectory(file, filename, directory); !err.empty()) return err;
    entries.clear();
    entries.reserve(directory.size() / kVerdataEntrySize);
    for (std::size_t at = 0; at < directory.size(); at += kVerdataEntrySize) entries.push_back(DecodeEntry(&directory[at]));
    return "";
}

std::string ReadVerdata(const std::string& filename, Patch& patch, bool clearFirst, std::uint8_t fileIdFrom,
                        std::uint8_t fileIdTo, std::int32_t blockFrom, std::int32_t blockTo) {
    InputFile file;
    if (std::string err = file.Open(filename); !err.empty()) return err;
    std::vector<std::uint8_t> directory;
    if (std::string err = LoadDirectory(file, filename, directory); !err.empty()) return err;
    auto wanted = [&](const VerdataEntry& e) {
        return e.fileId >= fileIdFrom && e.fileId <= fileIdTo && e.blockNumber >= blockFrom && e.blockNumber <= blockTo;
    };
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
    ReadBudget budget(filename, file.Size());
    for (std::size_t at = 0; at < directory.size(); at += kVerdataEntrySize) {
        const VerdataEntry e = DecodeEntry(&directory[at]);
        if (!wanted(e)) continue;
        if (std::string err = budget.Take(e.length); !err.empty()) return err;
        BlockBytes bytes;
        if (e.length > 0) {
            ByteArena::Space space = arena.Allocate(static_cast<std::size_t>(e.length));
            if (!data.ReadAt(e.position, space.fill)) return "Cannot read '" + filename + "'.";
            bytes = std::move(space.bytes);
        }
        staged.AppendWithLength(static_cast<std::uint8_t>(e.fileId), e.blockNumber, e.length, std::move(bytes),
                                e.flagA, e.flagB);
    }
    if (clearFirst) patch = std::move(staged);
    else patch.AppendAll(std::move(staged));
    return "";
}

namespace {
// Which blocks an export writes. Of one file ID and block number only the
// last copy is written: the base's blocks come first, then the patch's.
// Walking each file ID's blocks from the patch's last back to the base's
// first, a number seen before is an older copy. One bit per slot marks those
// written.
class ExportPlan {
public:
    explicit ExportPlan(const Patch& patch) : sources_{&base_, &patch} {}

    // Reads the base verdata ("" for none) and marks the blocks written. "" or the message.
    std::string Make(const std::string& baseFilename) {
        if (!baseFilename.empty()) {
            if (!IsExistingFile(baseFilename)) return kBaseVerdataMissing;
            if (std::string err = ReadVerdata(baseFilename, base_, false, 0, 255, 0, kMaxBlockNumber); !err.empty())
                return err;
        }
        SeenNumbers seen;
        for (int f = 0; f < Patch::kFileIds; ++f) {
            const auto id = static_cast<std::uint8_t>(f);
            std::int32_t high = -1;
            std::size_t live = 0;
            for (const Patch* p : sources_)
                p->ForEachLive(id, [&](const PatchBlock& b) {
                    high = std::max(high, b.number);
                    ++live;
                });
            if (high < 0) continue;
            seen.Reset(0, high, live);
            for (int s = 1; s >= 0; --s) {
                const BlockSlots& blocks = (*sources_[s])[id].blocks;
                std::vector<bool>& marks = written_[s][id];
                marks.assign(blocks.size(), false);
                for (std::size_t i = blocks.size(); i-- > 0;)
                    if (blocks[i].number >= 0 && seen.Insert(blocks[i].number)) {
                        marks[i] = true;
                        ++count_;
                    }
            }
        }
        std::int64_t position = 4 + count_ * kVerdataEntrySize;
        const bool fits = ForEach([&](int, const PatchBlock& b) {
            const std::int32_t length = b.WrittenLength();
            if (length > 0 && position > INT32_MAX - length) return false;
            if (length > 0) position += length;
            return true;
        });
        return fits ? "" : "The new verdata.mul would be larger than 2 GB.";
    }

    std::int64_t Count() const { return count_; }

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
    Patch base_;
    std::array<const Patch*, 2> sources_;
    std::array<std::array<std::vector<bool>, Patch::kFileIds>, 2> written_;
    std::int64_t count_ = 0;
};
}  // namespace

std::string WriteVerdata(SaveFile& out, const std::string& newFilename, const std::string& baseFilename,
                         const Patch& patch, const Progress& progress) {
    if (std::string err = OverwritesInput(newFilename, baseFilename, "the base verdata"); !err.empty()) return err;
    ExportPlan plan(patch);
    if (std::string err = plan.Make(baseFilename); !err.empty()) return err;
    const std::int64_t count = plan.Count();

    // The directory goes out entry by entry through the save's buffer, then the data.
    if (std::string err = out.Open(newFilename); !err.empty()) return err;
    std::array<std::uint8_t, 4> countBytes{};
    PutLE32(countBytes.data(), static_cast<std::uint32_t>(count));
    out.Write(countBytes);
    std::int64_t position = 4 + count * kVerdataEntrySize;
    plan.ForEach([&](int f, const PatchBlock& b) {
        const std::int32_t length = b.WrittenLength();
        std::array<std::uint8_t, kVerdataEntrySize> entry{};
        std::uint8_t* e = entry.data();
        PutLE32(e, static_cast<std::uint32_t>(f));
        PutLE32(e + 4, static_cast<std::uint32_t>(b.number));
        PutLE32(e + 8, static_cast<std::uint32_t>(length > 0 ? position : -1));
        PutLE32(e + 12, static_cast<std::uint32_t>(length));
        PutLE16(e + 16, static_cast<std::uint16_t>(b.flagA));
        PutLE16(e + 18, static_cast<std::uint16_t>(b.flagB));
        out.Write(entry);
        if (length > 0) position += length;
        return true;
    });
    std::int64_t done = 0;
    // A cancel leaves the unfinished temporary file to `out`; the target is untouched.
    const bool finished = plan.ForEach([&](int, const PatchBlock& b) {
        if (!progress.Step(done++, count)) return false;
        out.WriteKept(b.bytes);
        return true;
    });
    if (!finished) return kCancelled;
    return out.Finish();
}

std::string WriteVerdata(const std::string& newFilename, const std::string& baseFilename, const Patch& patch,
                         const Progress& progress) {
    SaveFile out;
    if (std::string err = WriteVerdata(out, newFilename, baseFilename, patch, progress); !err.empty()) return err;
    return out.Commit();
}

std::string ExpectedVerdata(const std::string& baseFilename, const Patch& patch, Patch& expected) {
    ExportPlan plan(patch);
    if (std::string err = plan.Make(baseFilename); !err.empty()) return err;
    Patch blocks;
    plan.ForEach([&](int f, const PatchBlock& b) {
        const std::int32_t length = b.WrittenLength();
        blocks.AppendWithLength(static_cast<std::uint8_t>(f), b.number, length,
                                length > 0 ? b.bytes : BlockBytes{}, b.flagA, b.flagB);
        return true;
    });
    expected = std::move(blocks);
    return "";
}
