#include "gamefiles/block_source.h"

#include "gamefiles/compare.h"
#include "gamefiles/data_source.h"
#include "patch/file_types.h"

namespace {
// The texts that are not empty, a line each.
std::string JoinLines(std::initializer_list<std::string> texts) {
    std::string out;
    for (const std::string& t : texts)
        if (!t.empty()) out += (out.empty() ? "" : "\n") + t;
    return out;
}

// What a stopped or refused import or compare reports: nothing was added.
ImportResult Failed(std::string error) {
    ImportResult result;
    result.error = std::move(error);
    return result;
}
}  // namespace

ImportResult ImportBlocks(Patch& patch, std::uint8_t fileId, BlockSource& source, std::int32_t blockFrom,
                          std::int32_t blockTo, bool skipAbsent, const Progress& progress) {
    ImportResult result;
    Patch imported;
    const std::int32_t last = std::min(blockTo, source.Highest());
    const std::int32_t first = std::max(blockFrom, 0);
    if (result.error = source.Reserve(first, last); !result.error.empty()) return result;
    // A source with an entry for every number steps through the range; one
    // with a few (a verdata) counts its entries against it.
    std::int64_t step = 0;
    for (std::int32_t n = source.Next(first); n >= 0 && n <= last; n = n < last ? source.Next(n + 1) : -1) {
        if (!progress.Step(step++, std::int64_t{last} - first + 1)) return Failed(kCancelled);
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
    DataSource source;
    ImportResult result;
    if (result.error = source.Open(fileId, dataPath, idxPath); !result.error.empty()) return result;
    DataFile* file = source.File();
    result = file ? ImportDataFile(patch, fileId, *file, blockFrom, blockTo, skipAbsent, progress)
                  : ImportBlocks(patch, fileId, source, blockFrom, blockTo, skipAbsent, progress);
    if (!result.error.empty()) return result;
    const std::int32_t first = source.Next(0);
    const bool missed = result.added + result.damaged + result.leftOut == 0 && first >= 0;
    result.note = JoinLines({source.SizeRemark(),
                             missed ? "'" + dataPath + "' holds blocks " + std::to_string(first) + "\u2013" +
                                          std::to_string(source.Highest()) + "; none lies in " +
                                          std::to_string(blockFrom) + "\u2013" + std::to_string(blockTo) + "."
                                    : ""});
    return result;
}

ImportResult CompareFiles(Patch& patch, std::uint8_t fileId, const std::string& baseData, const std::string& baseIdx,
                          const std::string& alteredData, const std::string& alteredIdx,
                          const Progress& progress) {
    DataSource base, altered;
    ImportResult result;
    result.error = base.Open(fileId, baseData, baseIdx);
    if (result.error.empty()) result.error = altered.Open(fileId, alteredData, alteredIdx);
    for (const DataSource* side : {&base, &altered})
        if (result.error.empty() && (side->Form() == SourceForm::kPatchFile || side->Form() == SourceForm::kVerdata))
            result.error = "'" + side->Path() + "' holds patches, not a client's data: diff compares those.";
    if (!result.error.empty()) return result;
    if (base.File() && altered.File())
        result = CompareDataFiles(patch, fileId, *base.File(), *altered.File(), progress);
    else
        result = CompareBlocks(patch, fileId, base, altered, progress);
    if (result.error.empty()) result.note = JoinLines({base.SizeRemark(), altered.SizeRemark()});
    return result;
}
