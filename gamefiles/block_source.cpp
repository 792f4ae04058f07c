#include "gamefiles/block_source.h"

#include "gamefiles/cMUL.h"
#include "gamefiles/data_layout.h"
#include "gamefiles/package_blocks.h"
#include "patch/FileTypes.h"
#include "patch/read_budget.h"

namespace {
// What a stopped or refused import or compare reports: nothing was added.
ImportResult Failed(std::string error) {
    ImportResult result;
    result.error = std::move(error);
    return result;
}

// A data file with its index, or of fixed-size blocks.
class DataFileSource : public BlockSource {
public:
    explicit DataFileSource(const std::string& dataPath) : budget_(dataPath) {}
    std::string Open(std::uint8_t fileId, const std::string& dataPath, const std::string& idxPath) {
        if (std::string e = OpenDataFile(file_, fileId, idxPath, dataPath); !e.empty()) return e;
        highest_ = static_cast<std::int32_t>(std::min<std::int64_t>(file_.cCount(), INT32_MAX) - 1);
        return "";
    }
    std::string Reserve(std::int32_t, std::int32_t) const override { return ""; }
    std::string Keep(std::int64_t bytes) override { return budget_.Take(bytes); }
    std::int32_t Highest() const override { return highest_; }
    std::string Load(std::int32_t n, std::int32_t& length, Bytes& data, std::int16_t& flagA,
                     std::int16_t& flagB) override {
        LoadedBlock block = file_.cLoad(n);
        if (block.damaged) return "its data does not lie wholly inside the data file";
        length = block.length;
        data = std::move(block.bytes);
        flagA = block.flagA;
        flagB = block.flagB;
        return "";
    }

private:
    cMUL file_;
    std::int32_t highest_ = -1;
    ReadBudget budget_;
};
}  // namespace

std::string OpenBlockSource(std::unique_ptr<BlockSource>& source, std::uint8_t fileId, const std::string& dataPath,
                            const std::string& idxPath) {
    if (IsPackageFile(dataPath)) {
        auto package = std::make_unique<PackageBlocks>();
        if (std::string e = package->Open(dataPath, fileId); !e.empty()) return e;
        source = std::move(package);
        return "";
    }
    auto file = std::make_unique<DataFileSource>(dataPath);
    if (std::string e = file->Open(fileId, dataPath, idxPath); !e.empty()) return e;
    source = std::move(file);
    return "";
}

ImportResult ImportBlocks(Patch& patch, std::uint8_t fileId, BlockSource& source, std::int32_t blockFrom,
                          std::int32_t blockTo, bool skipAbsent, const Progress& progress) {
    ImportResult result;
    Patch imported;
    const std::int32_t last = std::min(blockTo, source.Highest());
    const std::int32_t first = std::max(blockFrom, 0);
    if (result.error = source.Reserve(first, last); !result.error.empty()) return result;
    for (std::int32_t n = first; n <= last; ++n) {
        if (!progress.Step(n - first, std::int64_t{last} - first + 1)) return Failed(kCancelled);
        std::int32_t length = -1;
        std::int16_t flagA = 0, flagB = 0;
        Bytes data;
        if (!source.Load(n, length, data, flagA, flagB).empty()) {
            ++result.damaged;
            continue;
        }
        if (length < 1 && skipAbsent) {
            ++result.leftOut;
            continue;
        }
        if (length < 1) ++result.absent;
        if (std::string e = source.Keep(length); !e.empty()) return Failed(e);
        imported.AppendWithLength(fileId, n, length, std::move(data), flagA, flagB);
        ++result.added;
    }
    patch.AppendAll(std::move(imported));
    return result;
}

ImportResult CompareBlocks(Patch& patch, std::uint8_t fileId, BlockSource& base, BlockSource& altered,
                           const Progress& progress) {
    ImportResult result;
    Patch added;
    const std::int32_t last = std::max(base.Highest(), altered.Highest());
    if (result.error = base.Reserve(0, last); !result.error.empty()) return result;
    if (result.error = altered.Reserve(0, last); !result.error.empty()) return result;
    for (std::int32_t n = 0; n <= last; ++n) {
        if (!progress.Step(n, std::int64_t{last} + 1)) return Failed(kCancelled);
        Bytes a, b;
        std::int32_t l1 = -1, l2 = -1;
        std::int16_t flagA = 0, flagB = 0, unusedA = 0, unusedB = 0;
        if (!base.Load(n, l1, a, unusedA, unusedB).empty() || !altered.Load(n, l2, b, flagA, flagB).empty()) {
            ++result.damaged;
            continue;
        }
        if (l1 == l2 && (l2 < 1 || a == b)) continue;
        if (l2 < 1) ++result.absent;
        if (std::string e = altered.Keep(l2); !e.empty()) return Failed(e);
        added.AppendWithLength(fileId, n, l2, std::move(b), flagA, flagB);
        ++result.added;
    }
    patch.AppendAll(std::move(added));
    return result;
}

ImportResult ImportFromFiles(Patch& patch, std::uint8_t fileId, const std::string& dataPath,
                             const std::string& idxPath, std::int32_t blockFrom, std::int32_t blockTo,
                             bool skipAbsent, const Progress& progress) {
    std::unique_ptr<BlockSource> source;
    ImportResult result;
    result.error = OpenBlockSource(source, fileId, dataPath, idxPath);
    return result.error.empty() ? ImportBlocks(patch, fileId, *source, blockFrom, blockTo, skipAbsent, progress) : result;
}

ImportResult CompareFiles(Patch& patch, std::uint8_t fileId, const std::string& baseData, const std::string& baseIdx,
                          const std::string& alteredData, const std::string& alteredIdx,
                          const Progress& progress) {
    std::unique_ptr<BlockSource> base, altered;
    ImportResult result;
    result.error = OpenBlockSource(base, fileId, baseData, baseIdx);
    if (result.error.empty()) result.error = OpenBlockSource(altered, fileId, alteredData, alteredIdx);
    return result.error.empty() ? CompareBlocks(patch, fileId, *base, *altered, progress) : result;
}
