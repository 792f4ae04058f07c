#include "cli/command_runs.h"

#include <algorithm>
#include <optional>
#include <ostream>

#include "cli/cli_json.h"
#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "cli/command_line.h"
#include "cli/line_writer.h"
#include "cli/samples.h"
#include "gamefiles/forms/block_source.h"
#include "gamefiles/forms/form.h"
#include "gamefiles/import.h"
#include "gamefiles/forms/verdata.h"
#include "gamefiles/forms/whole_files.h"
#include "patch/file_types.h"
#include "patch/patch.h"
#include "io/binary_io.h"
#include "io/counted.h"
#include "patch/patch_file.h"
#include "io/save_file.h"
#include "patch/settle_duplicates.h"

// A patch lists by file ID, as the editor shows it; a verdata in the order of its directory.
CommandResult List(const CommandArgs& args, std::ostream& out, std::ostream&, CliSession& session) {
    const std::string& path = args.Text("FILE");
    const Result<std::optional<Form>> form = ProbeSource(path, false);
    if (!form) return form.error();
    if (*form == Form::kPackage)
        return Error(path + " is a game data package: palindra-cli package lists its entries.");
    Patch patch;
    std::vector<VerdataEntry> entries;
    const bool isPatch = *form == Form::kPatchFile;
    if (isPatch) {
        if (Status done = ReadPatchHeaders(path, patch); !done) return done.error();
        if (session.json)
            for (int f = 0; f < Patch::kFileIds; ++f)
                patch.ForEachLive(static_cast<std::uint8_t>(f), [&](const PatchBlock& b) {
                    entries.push_back({static_cast<std::uint8_t>(f), b.number, 0, b.Length(), b.flagA, b.flagB});
                });
    } else {
        Result<std::vector<VerdataEntry>> directory = ReadVerdataDirectory(path);
        if (!directory)
            return Error(directory.error().message + " Nor is it a patch project file: those start with \"UOP\".");
        entries = std::move(*directory);
    }
    if (session.json) {
        PrintBlocksJson(out, entries);
        return kDone;
    }
    LineWriter lines(out);
    if (isPatch)
        for (int f = 0; f < Patch::kFileIds; ++f)
            patch.ForEachLive(static_cast<std::uint8_t>(f), [&](const PatchBlock& b) {
                lines.Line({}, {f, b.number, b.Length(), b.flagA, b.flagB});
            });
    for (const VerdataEntry& e : entries) lines.Line({}, {e.fileId, e.blockNumber, e.length, e.flagA, e.flagB});
    return kDone;
}

CommandResult Insert(const CommandArgs& args, std::ostream& out, std::ostream&, CliSession& session) {
    const std::string& path = args.Text("PATCH.uop");
    const std::uint8_t fileId = args.FileId("FILEID");
    const auto block = static_cast<std::int32_t>(args.Number("BLOCK"));
    Patch patch;
    if (Status done = session.LoadForWriting(path, patch); !done) return done.error();
    Result<BlockBytes> data = ReadFileAsBlock(args.Text("IN.dat"));
    if (!data) return data.error();
    const std::size_t size = data->size();
    patch.Append(fileId, block, std::move(*data), 0, 0);
    if (Status done = session.Save(path, std::move(patch)); !done) return done.error();
    session.Report(out,
                   "Added block " + std::to_string(block) + " of file ID " + std::to_string(fileId) + " (" +
                       Counted(static_cast<std::int64_t>(size), "byte") + ").\n",
                   {{"fileId", fileId}, {"block", block}, {"bytes", size}});
    return kDone;
}

CommandResult Extract(const CommandArgs& args, std::ostream& out, std::ostream&, CliSession& session) {
    const std::string &path = args.Text("PATCH.uop"), &target = args.Text("OUT.dat");
    const std::uint8_t fileId = args.FileId("FILEID");
    const auto block = static_cast<std::int32_t>(args.Number("BLOCK"));
    Patch patch;
    if (Status done = ReadPatchFile(path, patch); !done) return done.error();
    const PatchBlock* b = patch.LiveBlock(fileId, block);
    if (!b)
        return Error("'" + path + "' has no block " + std::to_string(block) + " of file ID " + std::to_string(fileId) +
                     ".");
    if (b->Length() <= 0) return Error("That block is empty.");
    if (Status done = RefuseOverwriting(target, path, "the patch"); !done) return done.error();
    SaveFile file;
    if (Status done = file.Open(target); !done) return done.error();
    file.Write(b->bytes);
    if (Status done = file.Commit(); !done) return done.error();
    const auto size = static_cast<std::int64_t>(b->bytes.size());
    session.Report(out, "Wrote " + Counted(size, "byte") + " to " + target + ".\n", {{"written", target}, {"bytes", size}});
    return kDone;
}

CommandResult Export(const CommandArgs& args, std::ostream& out, std::ostream&, CliSession& session) {
    const std::string &path = args.Text("PATCH.uop"), &target = args.Text("NEW.mul");
    const std::string base = args.base.value_or("");
    if (args.base && base.empty()) return Error("--base needs the path of a verdata file.");
    if (Status done = RefuseMissingBase(base); !done) return done.error();
    if (Status done = RefuseOverwriting(target, path, "the patch"); !done) return done.error();
    Patch patch;
    if (Status done = session.Load(path, patch); !done) return done.error();
    SettleDuplicates(patch);
    if (Status done = session.Export(target, patch, base); !done) return done.error();
    session.Report(out, "Wrote " + target + ".\n", {{"written", target}});
    return kDone;
}

CommandResult Import(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    const std::string& path = args.Text("PATCH.uop");
    const bool everyType = args.Word("WHAT") >= 0;  // uop or verdata
    if (!everyType && args.files) return UsageError("--files goes with uop or verdata, not with a FILEID");
    if (everyType && args.Given("INDEX.idx")) return UsageError("uop and verdata take no INDEX.idx");
    for (const auto& [range, name] : {std::pair(&args.files, "--files"), std::pair(&args.blocks, "--blocks")})
        if (*range && (*range)->from > (*range)->to)
            return Error("The range " + (*range)->text + " of " + name + " selects nothing.");
    const NumberRange files = args.files.value_or(NumberRange{0, 255, ""}),
                      blocks = args.blocks.value_or(NumberRange{0, INT32_MAX, ""});
    Patch patch;
    if (Status done = session.LoadForWriting(path, patch); !done) return done.error();
    const BlockRange range{static_cast<std::int32_t>(blocks.from), static_cast<std::int32_t>(blocks.to)};
    ImportSelection what = ImportSelection::EveryType(static_cast<std::uint8_t>(files.from),
                                                      static_cast<std::uint8_t>(files.to));
    SourceFiles source{args.Text("SOURCE"), args.Text("INDEX.idx")};
    if (everyType) {
        if (!IsExistingFile(source.data)) return Error("Cannot find the file '" + source.data + "'!");
    } else {
        const std::uint8_t id = args.FileId("WHAT");
        if (!IsDataFileType(id)) return Error("File ID " + args.Text("WHAT") + " is not a known file type.");
        const FileTypeEntry& type = FileTypes()[id];
        if (!source.index.empty() && type.fixedBlockSize > 0) return Error(type.name + " files have no index file.");
        what = ImportSelection::OneType(id);
        // Most often the file of the type chosen before, still on the line.
        if (const std::optional<OtherTypeName> other = OtherTypeNamed(id, source); other && !args.trustType)
            return Error(other->name + " is usually the " + TypeWord(other->fileId) + " file, not one of " +
                         TypeWord(id) + "; --trust-type imports it as " + TypeWord(id) + " all the same.");
    }
    const Result<ImportReport> report = ImportBlocks(patch, what, source, range, {args.skipAbsent});
    if (!report) return report.error();
    if (Status done = session.Save(path, std::move(patch)); !done) return done.error();
    session.Report(out, "Imported " + Counted(report->added, "block") + " into " + path + ".\n", ResultJson(*report));
    if (!session.json) ReportImport(*report, out, err);
    return kDone;
}

CommandResult Compare(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    const std::string& path = args.Text("PATCH.uop");
    const std::uint8_t id = args.FileId("FILEID");
    // Each side is one file, or a data file and its index where it needs one.
    const std::vector<std::string>& files = args.Texts("FILES");
    SourceFiles sides[2];
    auto next = files.begin();
    for (std::ptrdiff_t s = 0; s < 2; ++s) {
        sides[s].data = *next++;
        if (SourceNeedsIndex(id, sides[s].data) && files.end() - next > 1 - s) sides[s].index = *next++;
    }
    if (next != files.end()) return UsageError("too many arguments: '" + *next + "'");
    Patch patch;
    if (Status done = session.LoadForWriting(path, patch); !done) return done.error();
    const Result<ImportReport> report = CompareBlocks(patch, id, sides[0], sides[1]);
    if (!report) return report.error();
    if (Status done = session.Save(path, std::move(patch)); !done) return done.error();
    session.Report(out,
                   "Added " + Counted(report->added, "block") + " that " +
                       std::string(ForCount(report->added, "differs", "differ")) + ".\n",
                   ResultJson(*report));
    if (!session.json) ReportImport(*report, out, err);
    return kDone;
}

CommandResult AddFile(const CommandArgs& args, std::ostream& out, std::ostream&, CliSession& session) {
    const std::string &path = args.Text("PATCH.uop"), &file = args.Text("FILE"), &kind = args.Text("KIND");
    if (!IsExistingFile(file)) return Error("You must select a file to add first.");
    Patch patch;
    if (Status done = session.LoadForWriting(path, patch); !done) return done.error();
    // The kinds are declared in the order of the patch's numbers for them.
    if (Status done = AddWholeFile(patch, args.Word("KIND"), file); !done) return done.error();
    if (Status done = session.Save(path, std::move(patch)); !done) return done.error();
    session.Report(out, "Added " + file + " as the " + kind + " file.\n", {{"kind", kind}, {"file", file}});
    return kDone;
}

CommandResult Samples(const CommandArgs& args, std::ostream& out, std::ostream&, CliSession& session) {
    const std::string& folder = args.Text("DIR");
    if (Status done = MakeSamples(folder); !done) return done.error();
    std::string text = "Wrote " + std::to_string(SampleFileNames().size()) + " sample files to " + folder + ":";
    Json files = Json::array();
    for (const std::string& name : SampleFileNames()) {
        text += " " + name;
        files.push_back(name);
    }
    session.Report(out, text + "\n", {{"folder", folder}, {"files", files}});
    return kDone;
}
