#include "gamefiles/import.h"

#include <algorithm>

#include "codecs/hues.h"
#include "gamefiles/data_file.h"
#include "patch/file_types.h"
#include "io/counted.h"
#include "io/read_budget.h"

ImportResult ImportDataFile(Patch& patch, std::uint8_t fileId, DataFile& file, std::int32_t blockFrom,
                            std::int32_t blockTo, bool skipAbsent, const Progress& progress) {
    ImportResult result;
    ReadBudget budget(file.DataPath());
    const std::int64_t first = std::max(blockFrom, 0);
    const std::int64_t last = std::min<std::int64_t>(blockTo, file.Count() - 1);
    // Staged apart so an error or a stop leaves the caller's patch as it was.
    Patch staged;
    if (last >= first) staged.Reserve(fileId, static_cast<std::size_t>(last - first + 1));
    ByteArena arena;
    arena.Expect(static_cast<std::size_t>(file.DataFileSize()));
    BlockBytes data;
    for (std::int64_t n = first; n <= last; ++n) {
        if (!progress.Step(n - first, last - first + 1)) {
            result = {};
            result.error = kCancelled;
            return result;
        }
        LoadedBlock b = file.Load(static_cast<std::int32_t>(n), arena, data);
        if (b.damaged) {
            ++result.damaged;
            continue;
        }
        if (result.error = budget.Take(b.length); !result.error.empty()) return result;
        if (b.length <= 0) {
            if (skipAbsent) {
                ++result.leftOut;
                continue;
            }
            ++result.absent;
        } else if (fileId == kHues) {
            data = HuesToVerdataBytes(data);
            b.length = static_cast<std::int32_t>(data.size());
        }
        staged.AppendWithLength(fileId, static_cast<std::int32_t>(n), b.length, std::move(data), b.flagA, b.flagB);
        ++result.added;
    }
    patch.AppendAll(std::move(staged));
    return result;
}

std::int64_t CountWithoutData(const Patch& patch) {
    std::int64_t n = 0;
    for (int f = 0; f < Patch::kFileIds; ++f)
        patch.ForEachLive(static_cast<std::uint8_t>(f), [&](const PatchBlock& b) { n += b.Length() <= 0; });
    return n;
}

std::string DescribeLeftOut(const ImportResult& r) {
    std::string text;
    if (r.absent > 0)
        text += std::to_string(r.absent) + (r.absent == 1 ? " of them carries" : " of them carry") +
                " no data: an export makes the client drop its own copy of those blocks.\n";
    if (r.leftOut > 0)
        text += Counted(r.leftOut, "block") + " without data " + (r.leftOut == 1 ? "was" : "were") + " left out.\n";
    if (r.damaged > 0) text += DamagedText(r.damaged) + "\n";
    if (!r.note.empty()) text += r.note + "\n";
    if (!text.empty()) text.pop_back();
    return text;
}

std::string DamagedText(std::int64_t damaged) {
    return Counted(damaged, "damaged block") + (damaged == 1 ? " was" : " were") +
           " left out: their data does not lie wholly inside the data file or does not decode.";
}
