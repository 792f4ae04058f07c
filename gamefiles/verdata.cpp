#include "gamefiles/verdata.h"

#include <algorithm>
#include <array>
#include <vector>

#include "patch/binary_io.h"
#include "patch/patch_file.h"
#include "patch/read_budget.h"
#include "patch/save_file.h"

namespace {
struct Entry {
    std::int32_t fileId, blockNumber, position, length;
    std::int16_t flagA, flagB;
};

Entry DecodeEntry(const std::uint8_t* p) {
    return {static_cast<std::int32_t>(GetLE32(p)),      static_cast<std::int32_t>(GetLE32(p + 4)),
            static_cast<std::int32_t>(GetLE32(p + 8)),  static_cast<std::int32_t>(GetLE32(p + 12)),
            static_cast<std::int16_t>(GetLE16(p + 16)), static_cast<std::int16_t>(GetLE16(p + 18))};
}
}  // namespace

std::string ReadVerdata(const std::string& filename, Patch& patch, bool clearFirst, std::uint8_t fileIdFrom,
                        std::uint8_t fileIdTo, std::int32_t blockFrom, std::int32_t blockTo) {
    InputFile file;
    if (std::string err = file.Open(filename); !err.empty()) return err;
    const std::string bad = "'" + filename + "' is not a valid verdata file: ";
    Patch staged;
    if (file.Size() > 0) {
        if (file.Size() < 4) return bad + "it is shorter than its 4-byte entry count.";
        std::array<std::uint8_t, 4> countBytes{};
        if (file.ReadAt(0, countBytes) != 4) return "Cannot read '" + filename + "'.";
        const auto count = static_cast<std::int32_t>(GetLE32(countBytes.data()));
        if (count < 0) return bad + "its entry count is negative.";
        if (count > (file.Size() - 4) / kVerdataEntrySize)
            return bad + "it claims " + std::to_string(count) + " entries, more than its " +
                   std::to_string(file.Size()) + " bytes can hold.";

        std::vector<std::uint8_t> directory(static_cast<std::size_t>(count * kVerdataEntrySize));
        if (file.ReadAt(4, directory) != static_cast<std::int64_t>(directory.size()))
            return "Cannot read '" + filename + "'.";
        WindowedReader data(file);
        ReadBudget budget(filename, file.Size());
        for (std::int32_t i = 0; i < count; ++i) {
            const Entry e = DecodeEntry(&directory[static_cast<std::size_t>(i) * kVerdataEntrySize]);
            if (e.length > 0 && (e.position < 0 || static_cast<std::int64_t>(e.position) + e.length > file.Size()))
                return bad + "entry " + std::to_string(i) + " (file ID " + std::to_string(e.fileId) + ", block " +
                       std::to_string(e.blockNumber) + ") has data beyond the end of the file.";
            if (e.fileId < fileIdFrom || e.fileId > fileIdTo || e.blockNumber < blockFrom || e.blockNumber > blockTo)
                continue;
            Bytes bytes;
            if (std::string err = budget.Take(e.length); !err.empty()) return err;
            if (e.length > 0) {
                bytes.resize(static_cast<std::size_t>(e.length));
                if (!data.ReadAt(e.position, bytes)) return "Cannot read '" + filename + "'.";
            }
            staged.AppendWithLength(static_cast<std::uint8_t>(e.fileId), e.blockNumber, e.length, std::move(bytes),
                                    e.flagA, e.flagB);
        }
    }
    if (clearFirst) patch = std::move(staged);
    else patch.AppendAll(std::move(staged));
    return "";
}

std::string WriteVerdata(const std::string& newFilename, const std::string& baseFilename, const Patch& patch) {
    Patch base;
    if (!baseFilename.empty()) {
        if (!IsExistingFile(baseFilename)) return kBaseVerdataMissing;
        if (std::string err = ReadVerdata(baseFilename, base, false, 0, 255, 0, kMaxBlockNumber); !err.empty())
            return err;
    }

    // The merge list of one file ID: the base's blocks, then the patch's live
    // blocks 0..400000. Of one block number only the last one is written.
    // `lastOf` holds, per block number, its last index in the current merge
    // list; every number of the list is written there before it is read.
    std::vector<const PatchBlock*> kept;
    std::vector<const PatchBlock*> merged;
    std::int32_t highest = -1;
    auto note = [&](const PatchBlock& b) {
        if (b.BlockNumber <= kMaxBlockNumber) highest = std::max(highest, b.BlockNumber);
    };
    for (int f = 0; f < Patch::kFileIds; ++f) {
        base.ForEachLive(static_cast<std::uint8_t>(f), note);
        patch.ForEachLive(static_cast<std::uint8_t>(f), note);
    }
    std::vector<std::uint32_t> lastOf(static_cast<std::size_t>(highest + 1));
    for (int f = 0; f < Patch::kFileIds; ++f) {
        const auto id = static_cast<std::uint8_t>(f);
        merged.clear();
        auto add = [&](const PatchBlock& b) {
            if (b.BlockNumber < 0 || b.BlockNumber > kMaxBlockNumber) return;
            lastOf[static_cast<std::size_t>(b.BlockNumber)] = static_cast<std::uint32_t>(merged.size());
            merged.push_back(&b);
        };
        base.ForEachLive(id, add);
        patch.ForEachLive(id, add);
        for (std::size_t i = 0; i < merged.size(); ++i)
            if (lastOf[static_cast<std::size_t>(merged[i]->BlockNumber)] == i) kept.push_back(merged[i]);
    }

    const auto count = static_cast<std::int64_t>(kept.size());
    std::vector<std::uint8_t> head(static_cast<std::size_t>(4 + count * kVerdataEntrySize));
    PutLE32(head.data(), static_cast<std::uint32_t>(count));
    std::int64_t position = 4 + count * kVerdataEntrySize;
    for (std::int64_t k = 0; k < count; ++k) {
        const PatchBlock& b = *kept[static_cast<std::size_t>(k)];
        const std::int32_t length = b.Length > 0 ? static_cast<std::int32_t>(b.ByteArray.size()) : b.Length;
        if (length > 0 && position > INT32_MAX - length) return "The new verdata.mul would be larger than 2 GB.";
        std::uint8_t* e = &head[static_cast<std::size_t>(4 + k * kVerdataEntrySize)];
        PutLE32(e, b.FileID);
        PutLE32(e + 4, static_cast<std::uint32_t>(b.BlockNumber));
        PutLE32(e + 8, static_cast<std::uint32_t>(length > 0 ? position : -1));
        PutLE32(e + 12, static_cast<std::uint32_t>(length));
        PutLE16(e + 16, static_cast<std::uint16_t>(b.FlagA));
        PutLE16(e + 18, static_cast<std::uint16_t>(b.FlagB));
        if (length > 0) position += length;
    }

    SaveFile out;
    if (std::string err = out.Open(newFilename); !err.empty()) return err;
    out.Write(head);
    for (const PatchBlock* b : kept)
        if (b->Length > 0) out.Write(b->ByteArray);
    return out.Commit();
}
