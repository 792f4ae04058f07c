// save-block and load-block: a block as the file a person edits (a picture,
// a sound, JSON, raw bytes) and built again from one.
#include <optional>
#include <ostream>
#include <utility>

#include "cli/cli_session.h"
#include "cli/cli_support.h"
#include "cli/command_line.h"
#include "cli/picture_commands.h"
#include "codecs/file_ids.h"
#include "gamefiles/art_source.h"
#include "gamefiles/client_blocks.h"
#include "gamefiles/client_folder.h"
#include "images/block_files.h"
#include "io/counted.h"
#include "io/save_file.h"
#include "patch/file_types.h"

namespace {
// What the report says in brackets: the picture's size or the samples, and the bytes.
std::string Measures(const BlockFileReport& report) {
    std::string text;
    if (report.width) text = std::to_string(*report.width) + "x" + std::to_string(*report.height) + " pixels, ";
    if (report.samples) text = Counted(*report.samples, "sample") + ", ";
    if (!report.converted.empty()) text += report.converted + ", ";
    return text + Counted(report.bytes, "byte");
}

Json ReportJson(std::uint8_t fileId, std::int32_t number, const BlockFileReport& report, bool sound) {
    Json result = {{"fileId", fileId}, {"block", number}, {"bytes", report.bytes}};
    if (report.width) result["width"] = *report.width, result["height"] = *report.height;
    if (report.samples) result["samples"] = *report.samples;
    if (sound) result["converted"] = report.converted;
    return result;
}

void PrintNotes(const Notes& notes, std::ostream& err) {
    for (const std::string& note : notes) err << "palindra-cli: " << note << "\n";
}

// The client's block `number` of `fileId` in the folder `dir`, as status
// reads it; nothing when the client has no data there.
Result<std::optional<Bytes>> ClientBlockOf(const std::string& dir, std::uint8_t fileId, std::int32_t number) {
    const Result<ClientFolder> folder = ClientFolder::Open(dir);
    if (!folder) return folder.error();
    const std::optional<Form> form = folder->ShownForm(fileId);
    if (!form) return Error("The client folder '" + dir + "' has no files of " + TypeWord(fileId) + ".");
    ClientBlocks blocks;
    if (Status opened = blocks.Open(*folder, fileId, *form, true); !opened) return opened.error();
    const ClientBlock block = blocks.Block(number);
    std::optional<Bytes> bytes;
    if (block.HasData() && !block.damaged) bytes = Bytes(block.bytes.begin(), block.bytes.end());
    if (Status intact = blocks.Intact(); !intact) return intact.error();
    return bytes;
}
}  // namespace

CommandResult SaveBlock(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    const std::string &path = args.Text("PATCH.uop"), &number = args.Text("BLOCK"), &target = args.Text("FILE");
    const std::uint8_t fileId = args.FileId("FILEID");
    const auto n = static_cast<std::int32_t>(args.Number("BLOCK"));
    if (const Result<BlockFileForm> form = BlockFileFormOf(fileId, n, target, true); !form) return form.error();
    Patch patch;
    const Result<const PatchBlock*> block = ReadLiveBlock(path, fileId, n, number, TypeWord(fileId), patch);
    if (!block) return block.error();
    if (Status done = RefuseOverwriting(target, path, "the patch"); !done) return done.error();
    if (args.client && args.client->empty()) return Error("--client needs the path of the client's folder.");
    // A house is drawn from the patch's art over the client's.
    std::optional<ArtSource> art;
    if (args.client && fileId == kMultis) {
        art.emplace();
        art->SetPatch(std::make_shared<const PatchArtLayer>(patch));
        art->OpenClient(*args.client, true);
    }
    const Result<BlockFileReport> report = SaveBlockFile(fileId, n, **block, target, art ? &*art : nullptr);
    if (!report) return report.error();
    PrintNotes(report->notes, err);
    session.Report(out,
                   "Wrote block " + std::to_string(n) + " of " + TypeName(fileId) + " to " + target + " (" +
                       Measures(*report) + ").\n",
                   ReportJson(fileId, n, *report, false));
    return kDone;
}

CommandResult LoadBlock(const CommandArgs& args, std::ostream& out, std::ostream& err, CliSession& session) {
    const std::string &path = args.Text("PATCH.uop"), &source = args.Text("FILE");
    const std::uint8_t fileId = args.FileId("FILEID");
    const auto n = static_cast<std::int32_t>(args.Number("BLOCK"));
    const Result<BlockFileForm> form = BlockFileFormOf(fileId, n, source, false);
    if (!form) return form.error();
    if (args.client && args.client->empty()) return Error("--client needs the path of the client's folder.");
    Patch patch;
    if (Status done = session.LoadForWriting(path, patch); !done) return done.error();
    const PatchBlock* replaced = patch.LiveBlock(fileId, n);
    // What a partial JSON file leaves out: the patch's block, else the client's.
    std::optional<Bytes> clientBlock;
    std::optional<ByteView> base;
    if (replaced) {
        base = replaced->bytes;
    } else if (args.client && *form == BlockFileForm::kJsonFile) {
        Result<std::optional<Bytes>> theirs = ClientBlockOf(*args.client, fileId, n);
        if (!theirs) return theirs.error();
        clientBlock = std::move(*theirs);
        if (clientBlock) base = *clientBlock;
    }
    Result<BuiltBlock> built = LoadBlockFile(fileId, n, source, replaced, base);
    if (!built) return built.error();
    patch.RemoveBlock(fileId, n);
    patch.Append(fileId, n, built->bytes, built->flagA, built->flagB);
    if (Status done = session.Save(path, std::move(patch)); !done) return done.error();
    PrintNotes(built->report.notes, err);
    session.Report(out,
                   "Built block " + std::to_string(n) + " of " + TypeName(fileId) + " from " + source + " (" +
                       Measures(built->report) + ").\n",
                   ReportJson(fileId, n, built->report, *form == BlockFileForm::kSoundFile));
    return kDone;
}
