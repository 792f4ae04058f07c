#include "gamefiles/import.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>

#include "gamefiles/forms/verdata.h"
#include "io/counted.h"
#include "io/read_budget.h"
#include "patch/file_types.h"
#include "patch/patch_file.h"

namespace {
std::int64_t CountWithoutData(const Patch& patch) {
    std::int64_t n = 0;
    for (int f = 0; f < Patch::kFileIds; ++f)
        patch.ForEachLive(static_cast<std::uint8_t>(f), [&](const PatchBlock& b) { n += b.Length() <= 0; });
    return n;
}

// The entries of a patch project file or a verdata with file IDs in the
// selection whose block numbers lie below 0, in the file's order.
Result<std::vector<std::pair<std::uint8_t, std::int32_t>>> EntriesBelowZero(const std::string& path, ImportSelection what) {
    std::vector<std::pair<std::uint8_t, std::int32_t>> found;
    const auto keep = [&](std::int64_t fileId, std::int32_t n) {
        if (n < 0 && fileId >= what.firstFileId && fileId <= what.lastFileId) found.emplace_back(fileId, n);
    };
    const Result<std::optional<Form>> form = ProbeSource(path, false);
    if (!form) return form.error();
    if (*form == Form::kPatchFile) {
        Patch below;
        ReadOptions options{what.firstFileId, what.lastFileId, INT32_MIN, -1, false};
        if (Status read = ReadPatchFile(path, below, options); !read) return read.error();
        for (int f = 0; f < Patch::kFileIds; ++f)
            below.ForEachLive(static_cast<std::uint8_t>(f), [&](const PatchBlock& b) { keep(f, b.number); });
        return found;
    }
    const Result<std::vector<VerdataEntry>> directory = ReadVerdataDirectory(path);
    if (!directory) return directory.error();
    for (const VerdataEntry& e : *directory) keep(e.fileId, e.blockNumber);
    return found;
}

// Every block of a patch project file or a verdata in the ranges, in the
// order the file holds them.
Result<ImportReport> ImportEveryType(Patch& patch, ImportSelection what, const std::string& path, BlockRange blocks) {
    ReadOptions options{what.firstFileId, what.lastFileId, blocks.first, blocks.last, true};
    Patch read;
    if (Status done = ReadPatchOrVerdata(path, read, options); !done) return done.error();
    ImportReport report;
    if (blocks.first <= 0) {
        Result<std::vector<std::pair<std::uint8_t, std::int32_t>>> below = EntriesBelowZero(path, what);
        if (!below) return below.error();
        report.belowZero = std::move(*below);
    }
    report.added = read.LiveCount();
    report.absent = CountWithoutData(read);
    patch.AppendAll(std::move(read));
    return report;
}

// The blocks in the range that the source has entries for: every number of
// a data file or a package, the entries of a patch project file or a verdata.
Result<ImportReport> ImportFromSource(Patch& patch, std::uint8_t fileId, BlockSource& source, BlockRange blocks,
                                      ImportOptions options, const Progress& progress) {
    ImportReport report;
    Patch imported;
    const std::int32_t last = std::min(blocks.last, source.Highest());
    const std::int32_t first = std::max(blocks.first, 0);
    if (Status reserved = source.Reserve(first, last); !reserved) return reserved.error();
    const bool dense = source.GetForm() != Form::kPatchFile && source.GetForm() != Form::kVerdata;
    if (dense && last >= first) imported.Reserve(fileId, static_cast<std::size_t>(std::int64_t{last} - first + 1));
    // A source with an entry for every number steps through the range; one
    // with a few (a verdata) counts its entries against it.
    std::int64_t step = 0;
    const auto next = [&](std::int32_t n) { return n >= last ? -1 : dense ? n + 1 : source.Next(n + 1); };
    for (std::int32_t n = source.Next(first); n >= 0 && n <= last; n = next(n)) {
        if (!progress.Step(step++, std::int64_t{last} - first + 1)) return Cancelled();
        Result<SourceBlock> block = source.Load(n);
        if (!block) {
            ++report.damaged;
            continue;
        }
        if (block->length < 1 && options.skipAbsent) {
            ++report.leftOut;
            continue;
        }
        if (block->length < 1) ++report.absent;
        if (Status kept = source.Keep(block->length); !kept) return kept.error();
        imported.AppendWithLength(fileId, n, block->length, std::move(block->bytes), block->flagA, block->flagB);
        ++report.added;
    }
    patch.AppendAll(std::move(imported));
    return report;
}

std::string DamagedText(std::int64_t damaged) {
    return Counted(damaged, "damaged block") + std::string(ForCount(damaged, " was", " were")) +
           " left out: their data does not lie wholly inside the data file or does not decode.";
}
}  // namespace

Result<ImportReport> ImportBlocks(Patch& patch, ImportSelection what, const SourceFiles& source, BlockRange blocks,
                                  ImportOptions options, const Progress& progress) {
    if (what.everyType) return ImportEveryType(patch, what, source.data, blocks);
    const std::uint8_t fileId = what.firstFileId;
    Result<std::unique_ptr<BlockSource>> opened = OpenSource(fileId, source);
    if (!opened) return opened.error();
    BlockSource& from = **opened;
    Result<ImportReport> report = ImportFromSource(patch, fileId, from, blocks, options, progress);
    if (!report) return report;
    if ((from.GetForm() == Form::kPatchFile || from.GetForm() == Form::kVerdata) && blocks.first <= 0) {
        Result<std::vector<std::pair<std::uint8_t, std::int32_t>>> below = EntriesBelowZero(source.data, what);
        if (!below) return below.error();
        report->belowZero = std::move(*below);
    }
    // A range that selects none of the blocks the source holds is said.
    const std::int32_t first = from.Next(0);
    const bool missed = report->added + report->damaged + report->leftOut == 0 && first >= 0;
    report->unusualSize = from.SizeRemark();
    if (missed)
        report->note = "'" + source.data + "' holds blocks " + std::to_string(first) + "\u2013" +
                       std::to_string(from.Highest()) + "; none lies in " + std::to_string(blocks.first) + "\u2013" +
                       std::to_string(blocks.last) + ".";
    return report;
}

std::vector<LeftOutLine> DescribeLeftOut(const ImportReport& r, const std::string& leaveOutHint) {
    std::vector<LeftOutLine> lines;
    if (r.absent > 0)
        lines.push_back({std::to_string(r.absent) + std::string(ForCount(r.absent, " of them carries", " of them carry")) +
                         " no data: an export makes the client drop its own copy of those blocks" +
                         (leaveOutHint.empty() ? "" : " (" + leaveOutHint + " leaves them out)") + "."});
    if (r.leftOut > 0)
        lines.push_back({Counted(r.leftOut, "block") + " without data " + std::string(ForCount(r.leftOut, "was", "were")) +
                         " left out."});
    if (r.damaged > 0) lines.push_back({DamagedText(r.damaged), true});
    if (!r.belowZero.empty()) {
        const auto n = std::ssize(r.belowZero);
        std::string named;
        constexpr std::size_t kNamed = 10;
        for (std::size_t i = 0; i < std::min(r.belowZero.size(), kNamed); ++i) {
            const auto [fileId, block] = r.belowZero[i];
            named += (i == 0 ? "" : ", ") + TypeWord(fileId) + " block " + std::to_string(block);
        }
        if (r.belowZero.size() > kNamed) named += ", and " + std::to_string(r.belowZero.size() - kNamed) + " more";
        lines.push_back({std::to_string(n) + std::string(ForCount(n, " entry was", " entries were")) +
                             " left out: block numbers below 0 name no block (" + named + ").",
                         true});
    }
    if (!r.unusualSize.empty()) lines.push_back({r.unusualSize, true});
    for (std::size_t at = 0; at < r.note.size();) {
        const std::size_t end = std::min(r.note.find('\n', at), r.note.size());
        lines.push_back({r.note.substr(at, end - at), true});
        at = end + 1;
    }
    return lines;
}
